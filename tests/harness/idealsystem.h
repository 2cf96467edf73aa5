// The ideal olivine-orthopyroxene-quartz system over the example dataset,
// shared by the tests of the solver, the per-assemblage calculation and the
// end-to-end runs of mode 1.
#pragma once

#include <string>

namespace pmtest {

// Ideal olivine fo-fa and orthopyroxene en-fs, each Mg-Fe on one site of
// multiplicity 2, so that a(fo) = (1 - x)^2; fs is made from fa and q with
// a DQF of 4 kJ, so that fa + q = fs has dG0 = 4 kJ exactly.  Then the
// equilibrium of the three phases has the closed form
//   x(ol) = (1 - k1)/(k2 - k1), x(opx) = k2 x(ol),
//   k1 = exp(-dG(fo + q = en)/2RT), k2 = exp(-dG(fa + q = fs)/2RT).
inline const std::string idealolopx =
    "ol 2 1\nverbatim\nverbatim\n  x(ol) 0.3\n  p(fo) 1 1 1 1 -1 x\n  p(fa) 1 1 0 1 1 x\n  ideal\n"
    "  2\n  xMgM 1 1 1 1 -1 x\n  xFeM 1 1 0 1 1 x\n  fo 1 1 xMgM 2\n  fa 1 1 xFeM 2\n\n"
    "opx 2 1\nverbatim\nverbatim\n  x(opx) 0.2\n  p(en) 1 1 1 1 -1 x\n  p(fs) 1 1 0 1 1 x\n  ideal\n"
    "  2\n  xMgM 1 1 1 1 -1 x\n  xFeM 1 1 0 1 1 x\n  en 1 1 xMgM 2\n"
    "  fs 1 1 xFeM 2\n     make 2 fa 1 equilibrium q 1\n     DQF 4 0 0\n\n"
    "q\nky\n";

}  // namespace pmtest
