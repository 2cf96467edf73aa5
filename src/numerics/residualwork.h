// Work tables of the equilibrium residual function shared with its checks
// and listings (numerics only).
#pragma once

#include "numerics/numerics.h"

namespace numerics {

struct ResidualWork {
    EmTable dp{}, dt{};    // d(RT ln a)/dP, /dT per end-member
    EmByUnknown dx{};      // d(RT ln a)/d(unknown) per end-member
    // Composition of each mode phase over the free components (per oxide unit).
    runio::Arr<runio::Arr<double, maxfreecomp + 1>, maxnlex + 1> cm{};
    runio::Arr<int, maxfreecomp + 1> freecomp{};   // the free components in order
    int nfree = 0;
};
extern ResidualWork rw;

// Compositions of the mode phases at x and, for solution phases, their
// derivatives by the phase variables (into eqs.compdx).
void compcalc(const Vector& x);

// Checks and listings at high trace levels, on the residual function's state.
void compcalccheck(Vector& x);
void fdcheck1(Vector& x, double p, double t);
void printlnk();
void printjac(const Vector& x, const Vector& f, const SquareTable& j);

}  // namespace numerics
