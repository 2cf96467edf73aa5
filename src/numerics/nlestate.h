// The state of one call of the non-linear solver, shared by its step
// routines (numerics only).
#pragma once

#include "numerics/numerics.h"

namespace numerics {

struct NleState {
    int method = 0;          // 0 line search, 1 trust region
    int maxit = 25;
    int n = 0;               // free unknowns, and residuals
    runio::Arr<int, maxnlex + 1> idx{};   // the k-th free unknown's position
    Vector w{};              // step weights, 1 / typical size
    Vector r{}, d{}, g{};
    SquareTable jac{};
    double fstart = 0.0, maxestart = 0.0, f0 = 0.0;
    double a = 0.0, slopea = 0.0, fa = 0.0;
    double maxe = 1.0, maxdx = 1.0;
    bool fsize = false, esize = false, smallstep = false, dxconverge = false;
    bool overit = false, stop = false, done = false;
    bool svdropped = false;  // the last direction dropped a singular value
    int iteration = 0, stepcode = 0, notreduced = 0, rounds = 0, evaluations = 0, tracelines = 0;
    int accessibility = 4;
    double radius = 1.0;
};
extern NleState nst;

bool evalnle(Vector x, SquareTable& j, Vector& r);
bool fn(double a, double& f, double& slope, int site);
bool steplength(double& a, int& stepcode);
void findlimit(double& slim, int& accessibility);
// The two stationary points of the cubic with values f0, f1 and slopes g0,
// g1 at a0, a1 (outside the bracket when it has none there).
void cubicmin(double a0, double f0, double g0, double a1, double f1, double g1, double& s1, double& s2);
void printheader();
void printiterline(int indent);
void printvarnames(int indent);

}  // namespace numerics
