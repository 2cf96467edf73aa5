// Dataset least-squares fit (kalfit): its settings, readers, the weighted
// least-squares problem and the writers of the refined dataset.
#pragma once

#include <string>

#include "runio/runio.h"

namespace dsfit {

// The fit's file suffixes are kept with the preferences, as they name the
// run's files.
using runio::fitprefs;

void kalfitalloc();   // storage and settings of the fit, before the run's files are opened
void kalfitrun();     // the whole fit, one pass
void kalfitend();     // end of the run

}  // namespace dsfit
