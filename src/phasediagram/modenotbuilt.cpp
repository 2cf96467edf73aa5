// Mode 1 is not in this build yet: choosing it stops the run with a clear message.
#include "phasediagram/phasediagram.h"
#include "runio/runio.h"

namespace phasediagram {

void nlecalcs() { runio::bomb("setup", "calculation mode 1 (phase diagrams) is not available yet", 0); }

}  // namespace phasediagram
