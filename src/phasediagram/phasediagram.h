// Phase-diagram calculations (mode 1): the driver, its set-up readers, the
// enumeration of assemblages and the per-assemblage calculation loop.
#pragma once

namespace phasediagram {

void nlecalcs();   // one pass of mode 1

}  // namespace phasediagram
