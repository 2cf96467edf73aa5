// Calculation modes whose drivers this build does not have yet: choosing one
// stops the run with a clear message instead of producing nothing.
#include "emcalcs/emcalcs.h"
#include "runio/runio.h"

namespace emcalcs {

void setupallreactions() { runio::bomb("setup", "calculation mode 3 (all reactions) is not available yet", 0); }
void phasediagramcalcs() { runio::bomb("setup", "calculation mode 3 (all reactions) is not available yet", 0); }

}  // namespace emcalcs
