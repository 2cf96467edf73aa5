// The globals of the per-assemblage calculation.
#include "phasediagram/solvestate.h"

namespace phasediagram {

SolveGlobals solveglobals;

}  // namespace phasediagram
