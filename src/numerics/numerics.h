// Numerical methods and the equilibrium solver: integer, rational, random and
// statistical helpers, combinations, integer null space, singular value
// decomposition, the non-linear solver and what surrounds it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "runio/runio.h"

namespace numerics {

constexpr int maxnlex = 74;        // solver unknowns
constexpr int maxvecint = 400;     // entries of an integer vector

// Wichmann-Hill generator state.
struct RandomState {
    std::int32_t s1 = 131, s2 = 137, s3 = 141;
};
extern RandomState rng;

// State shared by every calculation's unknowns.
struct SolverState {
    int nvar = 0;      // unknowns before the modes
    int nmodes = 0;    // mode unknowns
    std::vector<double> compdx;   // phases x components x variables, sized at set-up
};
extern SolverState solver;

// ---------------------------------------------------------------- integer, rational, random, statistics
std::int32_t gcd(std::int32_t a, std::int32_t b);
std::int32_t gcdvector(const std::int32_t* v, int n);          // v[1..n]
std::int32_t lcm(std::int32_t a, std::int32_t b);
std::int32_t lcmvector(const std::int32_t* v, int n);          // v[1..n]
void intvector(double* x, int n, std::int32_t& mult);          // x[1..n]
void seedrandom(bool repeatable);
double whrandom();
void shellsort(double* a, int n);                               // a[1..n]
double quantile(const double* a, int n, double p);              // a[1..n], sorted
void medianmad(const double* x, int n, double& median, double& spread);
double tentopower(int k);
double ratpower(int p, int q, double x);

}  // namespace numerics
