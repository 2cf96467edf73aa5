// The dataset fit is not in this build yet: choosing it stops the run with a clear message.
#include "dsfit/dsfit.h"
#include "runio/runio.h"

namespace dsfit {

void kalfitalloc() { runio::bomb("setup", "calculation mode kalfit (dataset fit) is not available yet", 0); }
void kalfitrun() { runio::bomb("setup", "calculation mode kalfit (dataset fit) is not available yet", 0); }
void kalfitend() {}

}  // namespace dsfit
