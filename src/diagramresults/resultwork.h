// Small shared pieces of the result writers (diagramresults only).
#pragma once

#include <cmath>
#include <string>

#include "axmodels/axmodels.h"
#include "numerics/result.h"
#include "runio/runio.h"
#include "runio/scriptset.h"

namespace diagramresults {

using runio::addfield;
using runio::addreal;
using runio::addrealshort;
using runio::putstr;
using runio::realstr;

// A script switch is 0 when its keyword is given.
inline bool given(int sw) { return sw == 0; }

inline double celsius(double tk) { return tk - 273.15; }

inline std::string repeated(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

// A phase entry of the result is a solution phase when it has variables or
// more than one end-member; a pure phase has neither.
inline bool issolution(const numerics::ResPhase& e) { return e.firstx > 0 || e.nems > 1; }

// Name of phase k of the pass (solution phases first, then pure phases).
inline const std::string& phasename(int k)
{
    const axmodels::Phases& p = axmodels::ph;
    return k <= p.nss ? p.prec1[k].name : p.prec0[k - p.nss].name;
}

// An amount of a component per formula unit: a whole number as such, else
// with 6 decimals.
inline std::string amounttext(double x)
{
    if (std::fabs(x - std::nearbyint(x)) < 1e-9) return runio::realstrshort(x);
    return runio::realstr(x, 6, true);
}

// Name of component c of the result as the rbi blocks show it: FeO stands
// for all the iron as "FeOt" when O is a component of the system.
inline std::string rbiname(int c)
{
    const numerics::ResultRec& r = numerics::result;
    if (r.compnames[c] != "FeO") return r.compnames[c];
    for (int i = 1; i <= r.ncomps; ++i)
        if (r.compnames[i] == "O") return "FeOt";
    return "FeO";
}

}  // namespace diagramresults
