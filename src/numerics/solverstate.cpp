// The unknowns shared by every calculation.
#include "numerics/numerics.h"

namespace numerics {

SolverState solver;

}  // namespace numerics
