// Dataset least-squares fit (kalfit): its settings, readers, the weighted
// least-squares problem and the writers of the refined dataset.
#pragma once

#include <string>

namespace dsfit {

struct FitSettings {
    std::string pmdssuffix;   // suffix of the fit's script, output and csv files
    std::string axsuffix;     // the fit's a-x file is "ds-ax" + axsuffix + ".txt"
};
extern FitSettings fitprefs;

void kalfitalloc();   // storage and settings of the fit, before the run's files are opened
void kalfitrun();     // the whole fit, one pass
void kalfitend();     // end of the run

}  // namespace dsfit
