// End-member calculations: tables of end-member data (mode 0), average P-T
// of rocks (mode 2), all reactions and their intersections (mode 3) and lists
// of end-members (mode 4).
#pragma once

#include <array>
#include <string>

#include "runio/runio.h"
#include "runio/tables.h"
#include "thermodata/thermodata.h"

namespace emcalcs {

void tablecalcs();          // one pass of mode 0
void setupavpt();           // set-up of a mode-2 pass
void rockcalcs();           // one pass of mode 2
void setupallreactions();   // set-up of a mode-3 pass
void phasediagramcalcs();   // one pass of mode 3
void listsystem();          // one pass of mode 4

// The end-member system of modes 0, 2 and 3: the chosen solution phases
// taken apart into end-members, each with a fixed activity.
void extractem();

// ---------------------------------------------------------------- tables of mode 0
constexpr int maxgrid = 40;   // pressures, and temperatures, of a table grid
constexpr int perline = 12;   // values a list line of the drawing program holds before it is broken
using runio::degreesc;

// The P-T grid of the tables: pressures in kbar, temperatures in K.
struct TableGrid {
    int np = 0, nt = 0;
    runio::Arr<double, maxgrid + 1> p{}, t{};
};
extern TableGrid grid;

void thermotable();        // every section of the tables of a pass
void PTgrid();             // asks for the grid (or takes the script's single P and T)
void gibbstables();        // the Gibbs energies of the working end-members on the grid
// Linearised reaction thermodynamics, or the fugacity tables, as the user asks.
void furthertables();

// ---------------------------------------------------------------- all reactions (mode 3)
// The lines of the reactions of a pass across the diagram: for reaction i
// and abscissa index j the first (lower) and the second solution of its
// line for the ordinate, kbar or K; a solution not found lies outside every
// window. The windows of P and T as they were before the last widening.
struct ReactionLines {
    int solvedvar = 1;   // the inrange code of the ordinate: 1 P, 0 T
    runio::Vec<runio::Arr<double, runio::maxlist + 1>> linesol1, linesol2;   // rows 1..150
    double savedtlow = 0.0, savedthigh = 0.0, savedplow = 0.0, savedphigh = 0.0;
};
extern ReactionLines rxlines;

using RxnFlags = runio::Arr<bool, thermodata::maxrxn + 1>;   // one per reaction

// Settles the fluid, the activity axis and the phases in excess, and
// projects the composition space through the phases in excess.
void inexcess();
// The reactions, their linearised thermodynamics and their lines across the window.
void ptxtable();

// The abscissa list of the diagram (T, P, x(CO2) or the activity axis): its
// count and its j-th value.
int abscissacount();
double abscissa(int j);
// P, T, x(CO2), x(H2O) and the axis value a of the diagram point (x, y);
// the others keep the current point's values (a and mu what the caller gave).
void setiptx(double& p, double& t, double& xco2, double& xh2o, double& a, double& mu, double x, double y);
// In the log a diagrams, the axis activity a (log a or ln a) into the axis end-member.
void imposeaxis(double a);
// Reaction i's line at abscissa x: the solutions for the ordinate, searched
// in the current window (with start, from y1), the axis activity imposed.
void lineat(int i, double x, bool start, double& y1, double& y2);
// Widens the window of the solved variable (0 P, 1 T) and puts it back.
void enlargewindow(int v);
void restorewindow(int v);
// Schreinemakers' rule at intersection point pt, at the diagram point (x, y).
bool isstable(int pt, double x, double y);
// The stability of every reaction that passes through no printed intersection.
void rstable(const RxnFlags& involved);

// The invariant points where the lines of the reactions cross in the window,
// each refined, judged by Schreinemakers' rule and reported.
void intersections();
// Tolerances of a refined point on the abscissa and the ordinate.
void setlim(double& tolx, double& toly);

constexpr int maxptrxn = 21;   // reactions through one intersection point

// An intersection point as refined: its reactions, the diagram point (x, y)
// with its P, T, fluid and axis value, whether it is stable, and the
// reactions of the two lines whose crossing was refined.
struct Intersection {
    int p = 0, m = 0;
    runio::Arr<int, maxptrxn + 1> rx{};
    double x = 0.0, y = 0.0;
    double pkbar = 0.0, tk = 0.0, xco2 = 0.0, xh2o = 0.0, a = 0.0;
    bool stable = false;
    int line1 = 0, line2 = 0;
};
void intersectionheadings();
// The block of a point: its rule line and heading and, for a stable point,
// its reactions around it, each oriented there, with their stable sides
// and slopes; then the line of the point itself.
void printintersection(const Intersection& pt);
void intersectionpoint(const Intersection& pt);
// sd of P (kbar) and of T (K) and their correlation at the crossing (x, y)
// of the lines of reactions i and j.
void intersectionptx(int i, int j, double x, double y, double& sdp, double& sdt, double& cor);
// A reaction's text without its coefficients (the digits of H2O and CO2 stay).
std::string stripdigits(const std::string& text);

// A real with exactly n decimals, however many digits stand before the point.
std::string fixedtext(double x, int n);

// ---------------------------------------------------------------- average P-T of a rock (mode 2)
// The reactions of an average P or T are an independent set of at most 20.
constexpr int maxrockrxn = 20;
using RxnMatrix = runio::Arr<runio::Arr<double, maxrockrxn + 1>, maxrockrxn + 1>;

// The state of the rock calculations of a pass: the covariances of the
// reactions (enthalpies, kJ^2; ln K), the rock's activities as set up, the
// end-members the user left out, and what the last calculation did.
struct RockState {
    RxnMatrix covh{}, covlnk{};
    runio::Arr<double, thermodata::maxem + 1> savedact{}, savedsdact{};
    runio::Arr<bool, thermodata::maxem + 1> excluded{};
    bool datachanged = false;   // the user edited the data in the last calculation
    int lastcode = 0;           // kind of the last calculation: 1 average P, 2 average T
};
extern RockState rock;

// The weighted least-squares average of the estimates of the reactions,
// with its sd and the fit measure sigfit.
struct Average {
    double avx = 0.0, sdx = 0.0, sigfit = 0.0;
};

// Inverse of the symmetric positive-definite leading n x n block of a.
void posdefinvert(const RxnMatrix& a, RxnMatrix& ainv, int n);
// Covariances of the reactions' enthalpies and of their ln K.
void reactioncov(RxnMatrix& covh, RxnMatrix& covlnk);
// The average P at temperature y (K) or T at pressure y (kbar), as
// rsearch.rockcalc says; quiet false prints the single end-member diagnostics.
Average lsqav(bool quiet, double y, double xco2, double xh2o);
// sigfit and sd of an average from the sum of the weights s and the
// weighted sum of squares chi over dof degrees of freedom.
void fitmeasures(double s, double chi, int dof, Average& av);
// The 95% critical value of sigfit for dof degrees of freedom.
double k95(int dof);

void updateactivity(double p, double t);   // activities of the solution-phase end-members at p, t
void averagep();
void averaget();
void printavpline(int n, double t, const Average& av);
void printavtline(int n, double tact, double p, const Average& av);
void rockreactions();
void exportrockdata();

}  // namespace emcalcs
