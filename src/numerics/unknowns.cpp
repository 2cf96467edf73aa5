// The unknowns of the current calculation, what its equations last left,
// and the record of the last calculated point.
#include "numerics/result.h"
#include "numerics/unknowns.h"

namespace numerics {

Unknowns unk;
Equations eqs;
Uncertainties unc;
ResultRec result, prevresult;

}  // namespace numerics
