// The phase records of the run.
#include "axmodels/axmodels.h"

namespace axmodels {

Phases ph;

const MakeRecipe& reciperef(int phase, int entry)
{
    if (phase < 1) return ph.prec0[static_cast<std::size_t>(entry)].make;
    return ph.prec1[static_cast<std::size_t>(phase)].em[static_cast<std::size_t>(entry)].make;
}

}  // namespace axmodels
