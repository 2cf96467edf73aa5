// Checks and listings of the equilibrium equations at high trace levels.
#include "numerics/residualwork.h"

namespace numerics {

void compcalccheck(Vector&) {}
void fdcheck1(Vector&, double, double) {}
void printlnk() {}
void printjac(const Vector&, const Vector&, const SquareTable&) {}

}  // namespace numerics
