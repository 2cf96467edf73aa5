// Dataset least-squares fit (kalfit): its settings, readers, the weighted
// least-squares problem and the writers of the refined dataset.
//
// The unknowns are the enthalpies of formation H (kJ) of the end-members of
// the fit's end-member file, in file order. The rows are direct calorimetry
// (one per end-member whose H is known), oxide calorimetry (reaction
// enthalpies corrected to 298.15 K) and one row per used experiment (the
// interval of its reaction enthalpy sum that its brackets allow).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "axmodels/axmodels.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace dsfit {

// The fit's file suffixes that name the run's files and the fit's a-x file
// are kept with the preferences, as the lower subsystems read them.
using runio::fitprefs;

// ---------------------------------------------------------------- limits
constexpr int maxntp = thermodata::maxntp;   // end-members of the end-member file: the unknowns
constexpr int maxoxcal = 200;                // oxide-calorimetry records
constexpr int maxnexp = 1200;                // experiment records, and rows of the least-squares problem
constexpr int maxnb = 270;                   // brackets of one experiment
constexpr int maxrxnem = 15;                 // members of one reaction
constexpr int maxactlist = 15;               // entries of the activity list of an experiment
constexpr int maxbrx = 14;                   // composition values in one bracket
constexpr int maxelements = thermodata::maxformula;   // (element, amount) pairs of a formula
constexpr int nplaceholders = 4;             // phase slots kept free below the fit's a-x phases
constexpr int maxfitphases = axmodels::maxnp - nplaceholders;   // a-x phases the fit can hold
constexpr int ncategories = 6;               // kinds of bracket behaviour

constexpr double freesd = 99.0;     // an sd(H) as read of this or more leaves H free (kJ)
constexpr double minysd = 0.0001;   // smallest uncertainty of a row (kJ): the solvers divide by it

// ---------------------------------------------------------------- settings ("ds-prefs.txt")
// Switches hold the script-switch code: 0 yes, 1 no, 2 ask.
struct FitOptions {
    std::string xpsuffix;   // experiments file "ds-xp" + suffix + ".txt"
    std::string emsuffix;   // end-member file "ds-em" + suffix + ".txt"
    int infolevel = 1;      // 1 to 3: how much of the fit is listed
    int printomit = 0;      // list the experiments left out
    int useqr = 0;          // QR (yes) or Choleski (no)
    int mark456 = 1;        // bullet the experiments of categories 4 to 6
    int userfac = 0;        // use each experiment's own weighting factor
    int tighten = 1;        // experiments with rfac <= 0 weigh double
};
extern FitOptions fitopts;

// ---------------------------------------------------------------- end-member records
enum EmKind { kdrop = 0, kplain = 1, klandau = 2, kaqueous = 3, kbraggwilliams = 4 };
constexpr int nlabels = 7;   // value lines of a record: H, S, V, heat capacity, alpha0, kappa, extra

struct FitEm {
    std::string name;
    std::string description;
    int code = 0;     // dataset code
    int atoms = 0;    // atoms per formula unit
    int nel = 0;      // (element code, amount) pairs of the formula
    runio::Arr<int, maxelements + 1> elcode{};
    runio::Arr<double, maxelements + 1> elamount{};
    // H, S, V, cp, alpha0, kappa0 and its derivatives, theta, dkappa0/dT,
    // the Landau and Bragg-Williams terms (n as a real), the aqueous term and
    // the fluid x(CO2), in the slots of a row of thermodata::ems.td, which is
    // what the Gibbs energy of this mode reads.
    thermodata::TdRow row{};
    runio::Arr<std::string, nlabels + 1> label{};   // what follows the values on each line
    int kind = kplain;
    double sdh = 0.0, sds = 0.0;            // current uncertainties of H and S
    double hread = 0.0, sdhread = 0.0;      // H and sd(H) as the file gives them
    double hbefore = 0.0, sdhbefore = 0.0;  // H and sd(H) of the previous iteration
};

// ---------------------------------------------------------------- oxide calorimetry
struct OxCal {
    bool used = false;   // code 1: it makes a row
    int n = 0;
    runio::Arr<int, maxrxnem + 1> em{};   // end-member records
    runio::Arr<int, maxrxnem + 1> nu{};   // reaction coefficients
    double value = 0.0, sd = 0.0;         // kJ, as measured
    double t = 0.0;                       // K, of the measurement
    double corrected = 0.0;               // the value brought to 298.15 K
};

// ---------------------------------------------------------------- experiments
// Activity markers of an entry of an experiment's activity list.
constexpr double agiven = 0.0;        // given in each bracket
constexpr double afirstem = -1.0;     // first end-member of a phase whose composition each bracket gives
constexpr double aotherem = -2.0;     // another end-member of such a phase
constexpr double aconstituent = 0.5;  // a constituent of a made end-member

struct ActEntry {
    std::string name;
    int em = 0;          // end-member record, 0 when not in the end-member file
    int phase = 0;       // position in the fit's phase list, 0 for none
    int inphase = 0;     // end-member number within that phase
    double marker = 1.0; // a positive value is a fixed activity; else as above
};

struct Bracket {
    int id = 0;         // its place in the file: reversal may move it, this does not change
    double p = 0.0, t = 0.0, xco2 = 0.0;          // kbar, K
    runio::Arr<double, maxbrx + 1> xyz{};         // compositional variables of the phases
    runio::Arr<double, maxactlist + 1> a{};       // activity of each entry of the list
    double lnq = 0.0;   // sum of nu ln a over the reaction
    double y = 0.0;     // reaction enthalpy sum at which this bracket is at equilibrium (kJ)
    double sd2 = 0.0;   // two standard deviations of y (kJ)
    int side = 0;       // 0 bounds the enthalpy sum from below, 1 from above
    bool sense = false; // the file's code 1: the reaction went the way it is written
    bool samep = false, samet = false;   // pairs with the bracket before it at one P / one T
    // The report's pairing with the bracket before it (apart from the
    // pairing the statistics use): the two bracket T at one P, P at one T,
    // or ln K at one P and T.
    bool tpair = false, ppair = false, kpair = false;
    // The equilibrium the refined data put at this bracket: the T (K) at its
    // P, the P (kbar) at its T, and their uncertainties; an assemblage that
    // could not be solved leaves 273.15 K and 0 kbar.
    double calct = 273.15, calcp = 0.0, sdt = 0.0, sdp = 0.0;
};

struct Experiment {
    bool used = false;        // code 1: it makes a row
    bool hasphases = false;   // the header names solution phases
    bool show = false, unknowncomps = false, compsmissing = false;
    bool nofluid = false;     // neither H2O nor CO2 in the activity list
    bool crd = false;         // cordierite holds channel fluid in this experiment
    bool onesided = false;    // left out: every bracket lies on one side
    int kind = -1;            // 1 univariant, 2 divariant, -1 not given
    int groupsize = 1;        // equilibria read from one record with phases
    int groupno = 1;          // position in that group
    std::string header;       // the names of the header line, each followed by a blank
    int n = 0;                // members of the reaction
    runio::Arr<int, maxrxnem + 1> em{};    // their end-member records
    runio::Arr<int, maxrxnem + 1> nu{};    // their coefficients
    runio::Arr<int, maxrxnem + 1> col{};   // their entries in the activity list
    int nact = 0;
    runio::Arr<ActEntry, maxactlist + 1> act{};
    double rfac = 1.0;        // the experiment's own uncertainty factor
    std::string label, rxntext;
    int nb = 0;
    runio::Vec<Bracket> br;   // 1..nb, sized as read
    // From the bracket statistics: the enthalpy sum of the reaction, the
    // interval of it the brackets allow, its half-width, the separation of
    // the two sides and its critical value, the factor and category, and the
    // weight of the bracket pairs.
    double dh = 0.0, low = 0.0, high = 0.0, w = 0.0, t0 = 0.0, tcrit = 0.0, f = 0.0, wsum = 0.0;
    int category = 0;
    bool reversed = false;    // the last statistics found the sides the wrong way round
    bool orientation = false; // its sides now run the other way from the file's codes
    int row = 0;              // its least-squares row, 0 when it has none
    double rowsd = 0.0;       // the uncertainty of that row (kJ)
    double usedh = 0.0;       // the value of that row (kJ)
    double scale = 0.0;       // the pair-weight sum the row's uncertainty came from (1/kJ)
    double sddh = 0.0;        // the uncertainty of dh from the refined data (kJ)
};

// ---------------------------------------------------------------- what the readers fill
struct FitData {
    int ntda = 0;
    runio::Vec<FitEm> tda;        // 1..maxntp
    int noxcal = 0;
    runio::Vec<OxCal> oxcal;      // 1..maxoxcal
    int nexp = 0;
    runio::Vec<Experiment> xp;    // 1..maxnexp
    int nphname = 0;              // the phase list: four placeholders, then the a-x phases
    runio::Arr<std::string, axmodels::maxnp + 1> phname{};
    runio::Arr<int, ncategories + 1> xpcatcount{};
    int io2 = 0, is2 = 0;         // O2 and S2 in the current experiment's activity list
};
extern FitData fit;

// ---------------------------------------------------------------- the least-squares problem
// Row i says: sum over end-members j of x(i, j) H(j) = y(i), sd ysd(i);
// b(i, j) marks the end-members that take part.
struct LsqArrays {
    int ncal = 0;     // direct-calorimetry rows
    int noxrow = 0;   // rows up to the end of oxide calorimetry
    int nobs = 0;     // all rows
    runio::Vec<double> y, yy, ysd, theta, hat;   // 1..maxnexp
    runio::Vec<double> xx;           // maxnexp x maxntp, by columns
    runio::Vec<std::int16_t> x;      // maxnexp x maxntp, by rows
    runio::Vec<std::uint8_t> b;      // maxnexp x maxntp, by rows
    double sigfit2 = 0.0;            // weighted residual sum of squares per degree of freedom

    // The weighted design matrix, then the covariance of the solution; held
    // by columns, as the Householder steps run down them.
    double& xxat(int i, int j) { return xx[j * (maxnexp + 1) + i]; }
    std::int16_t& xat(int i, int j) { return x[i * (maxntp + 1) + j]; }
    std::uint8_t& bat(int i, int j) { return b[i * (maxntp + 1) + j]; }
};
extern LsqArrays lsq;

// ================================================================ routines

// the run sequence
void kalfitalloc();   // storage and settings of the fit, before the run's files are opened
void kalfitrun();     // the whole fit, one pass
void kalfitend();     // end of the run
// The enthalpies and their uncertainties after an iteration, from the
// solution of the least-squares problem.
void updateenthalpies(bool last);

// settings
void readdsprefs();

// end-member file
void readth();

// calorimetry and experiments
void readrc();
void readax();
bool posinphname(const std::string& name, int& pos, bool required);
void findspecialems(const int* members, int count);   // members[1..count], end-member records
double heatcontent(int em, double t);   // kJ from 298.15 K to t (K) at 1 bar, ordering included
std::string writerxn(const int* nu, const int* em, int n);   // nu[1..n], em[1..n]

// bracket statistics
void markpairs(int e);
double rxndg0(int e, double p, double t, double xco2);
void rxndg(int e, int k, double& dgdp, double& dgdt, double& g);
void brackety(int e, int k, double& y, double& mdgdp, double& mdgdt);
void bracketsd(int e);
void bracketstats(int e);

// assembly and solvers
void assemblelsq(int iteration);
void qr();
void choleski();
bool xpphasecalc(int phase, const double* x, axmodels::EmValues& a, double p, double t);

// experiment thermodynamics: the experiment's phases as a phase-diagram
// calculation, the activities of a bracket, and the T (K) at the bracket's P
// or the P (kbar) at its T at which the reaction is at equilibrium (150 K
// and 0.005 kbar when Newton's method does not converge)
void setupxpsystem(int e);
void xpcalca(int e, int b);
double xpcalct(int e, int b, double& dgdp, double& dgdt);
double xpcalcp(int e, int b, double& dgdp, double& dgdt);
// The bracket of experiment e2 that is bracket b of experiment e (the same
// run of the file), 0 when there is none.
int samebracket(int e, int b, int e2);

// assemblage calculation: kind 2 univariant (P or T solved), 3 divariant
// (compositions solved at the bracket's P and T)
void calcass(int e, int kind, bool printit);

// the refined dataset, the new end-member file and the report
void writeds();
void writeemfile();
std::string cleanlabel(const std::string& label);
void latex();
// The columns of an end-member's properties in the report and the LaTeX
// tables, each after the separator: H, sd(H), S, V, heat capacity, alpha0,
// kappa0 and its derivatives; the Landau terms; the Bragg-Williams terms.
void propertyfields(const FitEm& e, const std::string& separator, std::string& line);
void landaufields(const thermodata::TdRow& r, const std::string& separator, std::string& line);
void orderfields(const thermodata::TdRow& r, const std::string& separator, std::string& line);
// A temperature given in K, as whole degrees Celsius.
std::string celsius(double t);
// A liquid end-member: its name ends in "L"; its record holds dkappa0/dT.
bool isliquid(const std::string& name);
// A line of texts, each in its field (negative width: left-aligned).
std::string fieldline(std::initializer_list<std::pair<const char*, int>> fields);
void printlsqresults();
void printxpresults(int e);
void pairbrackets(int e);

}  // namespace dsfit
