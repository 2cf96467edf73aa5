// The equilibrium state of order needs the non-linear equation solver, which
// this build does not have yet: asking for it stops the run with a clear
// message instead of going on with an unsolved state.
#include "axmodels/axmodels.h"
#include "runio/runio.h"

namespace axmodels {

bool calcq(int k, double, double)
{
    runio::bomb("calcq", "solving for the state of order of " + ph.prec1[k].name +
                             " is not available yet", 0);
}

}  // namespace axmodels
