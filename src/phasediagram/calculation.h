// The per-assemblage calculation of a phase-diagram run and its steps: the
// loops over iterations, batch items and grid points, the solve of one point
// with the ionic-strength loop of aqueous phases, the steps before and after
// the solve, and the batch items.  The driver and the enumeration of
// assemblages are in phasediagram.h.
#pragma once

#include <string>

#include "axmodels/axmodels.h"
#include "numerics/calcsetup.h"
#include "phasediagram/solvestate.h"

namespace phasediagram {

// A script switch is 0 when its keyword is given.
inline bool given(int sw) { return sw == 0; }

// Name of phase k of the pass (solution phases first, then pure phases).
inline const std::string& phasename(int k)
{
    const axmodels::Phases& p = axmodels::ph;
    return k <= p.nss ? p.prec1[k].name : p.prec0[k - p.nss].name;
}

// One assemblage over its whole grid, batch items and iterations.
void solve(const numerics::PhaseFlags& phases);
// The point's equations solved from nlex; true when solved (s.nlecode the
// solver's code of the last solve).
bool donle(SolveState& s);

// ---------------------------------------------------------------- per-point steps
// True when the assemblage can be calculated; s.cannotcalc tells why not.
bool cannotcalc(SolveState& s);
// Starting and set values of the point of the odometer digits s.odometer.
void setx(SolveState& s);
void setmodeguess(SolveState& s);
// After a solve: unknowns in their own units, P, T, variables and modes into
// the result record.
void extract(SolveState& s, bool& keep);
// Site fractions, compositions, mode factors and phase properties.
void postprocess(SolveState& s);

// ---------------------------------------------------------------- batch items
void setupbatch(SolveState& s);
void dobatch(SolveState& s, int item);
void writeequilist(SolveState& s, int item);
// The unknowns from 3 on that batch item b solves for, by name: the
// variables of its solution phases, then, when its modes are unknowns of the
// solve, the mode of each phase that takes one.  The points of the item that
// a batch run accumulates carry exactly these, and the csv header names them.
constexpr int maxcolumns = numerics::maxnlex - 2;
using ColumnNames = runio::Arr<std::string, maxcolumns + 1>;
int batchcolumns(const SolveState& s, int b, ColumnNames* names = nullptr);

}  // namespace phasediagram
