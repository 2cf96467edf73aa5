// Numerical methods and the equilibrium solver: combinations, integer null
// space, singular value decomposition, the non-linear solver and what
// surrounds it.  The integer, rational, random and statistical helpers that
// the lower subsystems also need are in the ground (runio).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "axmodels/axmodels.h"
#include "numerics/calcsetup.h"
#include "numerics/unknowns.h"
#include "runio/runio.h"

namespace numerics {

using runio::maxvecint;

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

// ---------------------------------------------------------------- unknowns of an assemblage
// The unknown list and cross-references of the assemblage whose phases are
// flagged (1-based: solution phases 1..nss, then the pure phases).
void makecrossrefs(const PhaseFlags& phases);
// Whether phase k (solution phases 1..nss, then the pure phases) takes a
// mode unknown when the modes are solved for.
bool hasmodeunknown(int k);
// Loop lengths of the calculation's odometer (lim[1..nloops]): held
// variables and modes, bulk points, set activities and chemical potentials,
// then P and T.
using LoopLengths = runio::Arr<int, 400 + 1>;
void setuploops(LoopLengths& lim, int& nloops);
// Pieces of a lay-out, shared with the order-disorder solve: the data row
// of calculation end-member e (a made one keeps its DQF and the address of
// its recipe, phase 0 for a pure phase); unknown n from a phase variable
// (name, scaling, bound kinds); and the variable-limit rows and checked site
// fractions of solution phase k, whose variables follow unknown n (nvar set).
void settdrow(int e, const thermodata::TdRow& slots, bool made, int phase, int entry);
void setvariable(int n, const axmodels::XyzVar& x);
void addphaselimits(int k, int n, const char* where);

// ---------------------------------------------------------------- activities and residuals
using Vector = runio::Arr<double, maxnlex + 1>;   // 1..74
using EmTable = runio::Arr<double, thermodata::maxem + 1>;
using EmByUnknown = runio::Arr<runio::Arr<double, maxnlex + 1>, thermodata::maxem + 1>;
// Activities of the assemblage's end-members at the unknowns x (own units)
// into thermodata::ems.act, and on request d(RT ln a)/dP, /dT and /dx
// (kJ/kbar, kJ/K, kJ per unit of the variable).
void calca(const Vector& x, bool wantpt, bool wantx, EmTable& dp, EmTable& dt, EmByUnknown& dx, double p,
           double t);
// Residuals f and jacobian j (by the scaled free unknowns) of the
// equilibrium equations at x; x returns in natural units.  False when the
// point cannot be evaluated.
bool nlefunc(Vector& x, SquareTable& j, Vector& f);
// Forgets the end-member Gibbs energies kept between evaluations (after the
// end-member list or the names behind it change).
void forgetgibbs();

// ---------------------------------------------------------------- the non-linear solver
// Solves the equations of the current unknowns from nlex (free unknowns
// scaled, fixed ones in their own units), leaving the point reached in nlex.
// code: 0 solved, 1 step too small away from the solution, 2 too many
// iterations, 3 jacobian singular, 4 no interval found, 5 no acceptable step
// in it, 6 three steps not reduced, 7 largest admissible step too small,
// 9 no start, 10 stopped otherwise.  True exactly when code is 0.
bool nle(int& code);
// The residual function the solver evaluates: nlefunc, unless a test
// puts another in its place.
using ResidualFunction = bool (*)(Vector& x, SquareTable& j, Vector& f);
extern ResidualFunction residualfunction;

// Covariance and standard deviations of the solved unknowns (into unc) from
// the enthalpy covariance of the end-members, through the jacobian in
// natural units that the last evaluation left.
void propagatecov();
// LU decomposition with scaled partial pivoting of a[1..n][1..n] (pivots in
// L, unit diagonal in U); logdet carries the sign of the determinant.
bool ludecomp(SquareTable& a, runio::Arr<int, maxnlex + 1>& perm, double& logdet, int n);
using Sensitivities = runio::Arr<runio::Arr<double, thermodata::maxem + 1>, maxnlex + 1>;
bool solvesens(const SquareTable& a, Sensitivities& sens, int n);

// ---------------------------------------------------------------- shared helpers
constexpr int maxdogmin = 120;   // P-T points of a Gibbs energy minimisation grid
struct DogminPoint {
    double p = 0.0, t = 0.0;     // kbar, K
    double gmin = 0.0;           // lowest system G so far (kJ)
    double gap = 100.0;          // between the lowest and the next lowest
    PhaseFlags best{};             // phases of the best assemblage
    int nfound = 0, ibest = 0;
};
struct DogminGrid {
    int ndogmin = 0;
    runio::Arr<DogminPoint, maxdogmin + 1> dogminpoints{};
};
extern DogminGrid dogmin;
void setupdogmin();

using CompVector = runio::Arr<double, thermodata::maxcomp + 1>;
// Oxide amounts of the solution phase whose first end-member is k, at the
// current unknowns (in their own units).
void phasebulk(int k, CompVector& comp);
// The one reaction among the n columns of an m-row real matrix.
using RealMatrix = runio::Arr<runio::Arr<double, thermodata::maxem + 1>, thermodata::maxem + 1>;
void realreaction(const RealMatrix& a, int m, int n, EmTable& x);
void printrealreaction(const EmTable& coef, const std::string* names, int n, std::string& text);
// ---------------------------------------------------------------- modes and phase properties after a solve
// The free components in component order: map[1..n] are their positions in
// compname; returns n.
using FreeMap = runio::Arr<int, maxfreecomp + 1>;
int freecomponentmap(FreeMap& map);
// A pure phase named as a set activity or a set chemical potential is held
// by that setting: it takes neither a mode nor a part in the modes.
bool heldbysetting(const std::string& name);
// The last solve dropped singular values of its jacobian.
bool lastsolvedropped();
// Atoms per formula unit of each phase of the assemblage in the mode order
// (over all components and over the free ones); count phases, the entries
// after them 1.
using AtomTable = runio::Arr<double, maxnlex + 1>;
void phaseatoms(const PhaseFlags& phases, AtomTable& atoms, AtomTable& freeatoms, int& count);
// Modes by mass balance against every bulk point, into the mode vectors of
// the result record, after a solve (unknowns in their own units); ok when a
// bulk point has modes, text the reaction among the phases or "????".
void calcmodesafternle(const PhaseFlags& phases, bool& ok, std::string& text, AtomTable& atoms,
                       AtomTable& freeatoms);
// The one reaction among the phases of the assemblage (a buffered H2O-CO2
// fluid of a divariant set-up split into H2O and CO2), H2O and CO2 on the
// product side; count 0 and "####" after a solve that dropped singular values.
using NameTable = runio::Arr<std::string, thermodata::maxem + 1>;
void assemblagereaction(const PhaseFlags& phases, NameTable& names, EmTable& coef, int& count, std::string& text);
// Gibbs energies (kJ) and chemical potentials of the assemblage's
// end-members at x (own units), P (kbar), T (K) and the fluid composition.
void calcemmu(const PhaseFlags& phases, const Vector& x, EmTable& g, EmTable& mu, double p, double t, double xco2,
              double xh2o);
// The oxide-table row of each free component; a component that is not an
// oxide of the table stops the run.
void makemw2c(FreeMap& map);
// G, H, S, V and density of every phase of the result, and the totals of the
// assemblage per mode vector.
void calcgphase(const PhaseFlags& phases, const Vector& x, double p, double t, double xco2, double xh2o);

// x with n significant digits in exponent form ("-1.000e-2").
std::string realexp(double x, int n);
// d(expression)/d(variable k), variable v read from x[v + base - 1].
double devalpoly(const axmodels::SfExpr& e, int k, const double* x, int base);

}  // namespace numerics
