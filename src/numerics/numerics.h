// Numerical methods and the equilibrium solver: combinations, integer null
// space, singular value decomposition, the non-linear solver and what
// surrounds it.  The integer, rational, random and statistical helpers that
// the lower subsystems also need are in the ground (runio).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "runio/runio.h"

namespace numerics {

constexpr int maxnlex = 74;        // solver unknowns
using runio::maxvecint;

// State shared by every calculation's unknowns.
struct SolverState {
    int nvar = 0;      // unknowns before the modes
    int nmodes = 0;    // mode unknowns
    runio::Vec<double> compdx;   // phases x components x variables, sized at set-up
};
extern SolverState solver;

// ---------------------------------------------------------------- combinations and odometers
// State of an enumeration: positions 1..k in use, the rest held at -1.
using IndexVector = runio::Arr<int, maxvecint + 1>;
void startcombination(IndexVector& c, int k);
void nextcombination(IndexVector& c, int k, int n, bool& more);
void startodometer(IndexVector& d, int k);
void nextodometer(IndexVector& d, const IndexVector& lim, int k, bool& more);

// ---------------------------------------------------------------- integer row reduction
// Integer matrices of up to 400 x 400, rows 1..m of columns 1..n (the
// composition matrix thermodata::comps.c has this shape).
using IntRow = runio::Arr<std::int32_t, maxvecint + 1>;
using IntMatrix = runio::Vec<IntRow>;
int intechelon(const IntMatrix& a, int m, int n);   // rank
int nullspace(const IntMatrix& a, int m, int n);    // rank; appends the reactions to thermodata::rxns

// ---------------------------------------------------------------- singular value decomposition
constexpr int maxsvdrows = 800;    // rows of a matrix handed to svd
constexpr int maxsvdcols = 400;    // columns of a matrix handed to svd

// One decomposition at a time: the caller fills rows 1..m, columns 1..n of
// svdu, calls svd(m, n), and reads U (m x n, in svdu), the singular values
// (svdw[1..n], ascending, non-negative) and V (n x n, in svdv) before the next.
struct SvdArrays {
    runio::Arr<runio::Arr<double, maxsvdcols + 1>, maxsvdrows + 1> svdu{};
    runio::Arr<runio::Arr<double, maxsvdcols + 1>, maxsvdcols + 1> svdv{};
    runio::Arr<double, maxsvdcols + 1> svdw{};
};
extern SvdArrays sv;
void svd(int m, int n);

}  // namespace numerics
