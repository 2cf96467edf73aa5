// The phase records of the run.
#include "axmodels/axmodels.h"

namespace axmodels {

Phases ph;

const MakeRecipe& reciperef(int phase, int entry)
{
    if (phase < 1) return ph.prec0[entry].make;
    return ph.prec1[phase].em[entry].make;
}

}  // namespace axmodels
