// The set-up records of a phase-diagram calculation.
#include "numerics/calcsetup.h"

namespace numerics {

PhaseChoice phchoice;
Reduction red;
Isopleths iso;
BulkSetup bulks;
SolveProgress progress;

}  // namespace numerics
