// The globals of the per-assemblage calculation.
#include "phasediagram/solvestate.h"

namespace phasediagram {

SolveGlobals solveglobals;
ResultRoutines resultroutines;

void resultsnotinstalled() { runio::bomb("solve", "result routines not installed", 1); }

}  // namespace phasediagram
