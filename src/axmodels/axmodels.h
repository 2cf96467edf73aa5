// Solution-phase (a-x) models: the records the a-x file is read into, and
// the routines that read, evaluate, check and list them.
//
// A two-way tie with thermodata: the records hold end-member data rows, and
// thermodata builds the working end-member list, the compositions and the
// made end-members from them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "thermodata/thermodata.h"

namespace axmodels {

// ---------------------------------------------------------------- limits
constexpr int maxnp = 80;          // solution phases
constexpr int maxphases = 400;     // phases in all
constexpr int maxsolem = 15;       // end-members of one solution phase
constexpr int maxpairs = 105;      // interaction pairs of 15 end-members
constexpr int maxsf = 30;          // site fractions of one phase
constexpr int maxidterms = 15;     // factors of one ideal-mixing term
constexpr int maxmakeconst = 6;    // constituents of a made end-member
constexpr int maxsxterms = 24;     // products in one expression
constexpr int maxxterms = 4;       // linear forms in one product
constexpr int maxterms = 12;       // variable terms in one linear form
constexpr int maxverbatim = 50;    // verbatim lines kept per phase, the two "#" lines included
constexpr int maxheader = 50;      // header lines of the a-x file, the two "#" lines included
constexpr int maxvarlim = 22;      // variable-limit rows of one phase
constexpr int maxfluidspecies = 12;
constexpr int nfluidspecies = 8;   // species of the built-in fluid model
constexpr int maxint16 = 32767;    // numerators and divisors are kept within 16 bits

// ---------------------------------------------------------------- expressions
struct XTerm {                      // p/q + sum of (p_m/q_m) x[var_m]
    int p = 0, q = 1;
    int n = 0;
    runio::Arr<int, maxterms + 1> tp{}, tq{}, var{};
};
struct SXTerm {                     // factor x product of its linear forms
    double factor = 1.0;
    int n = 0;
    runio::Arr<XTerm, maxxterms + 1> x{};
};
// Products are held 1-based and sized to need (t[0] unused); the reader
// keeps n within maxsxterms.
struct SfExpr {
    int n = 0;
    runio::Vec<SXTerm> t;
};

// ---------------------------------------------------------------- made end-members
struct MakeRecipe {
    int count = 0;       // 0 not made, 1..6 constituents, -1 a pure phase given code 6
    int divisor = 1;     // least common multiple of the coefficient denominators
    runio::Arr<std::string, maxmakeconst + 1> cname{};
    runio::Arr<int, maxmakeconst + 1> num{};    // coefficient j = num[j] / divisor
    runio::Arr<int, maxmakeconst + 1> kind{};   // 0 equilibrium, 1 disordered, 2 ordered, 4 not given
    runio::Arr<int, maxmakeconst + 1> pos{};    // row of the constituent in td
};

// ---------------------------------------------------------------- records
struct IdealTerm {
    int sf = 0, p = 1, q = 1;       // (site fraction)^(p/q)
};

struct EmRec {
    std::string name;
    double normconst = 1.0;
    bool constrational = false;
    int nterms = 0;
    runio::Arr<IdealTerm, maxidterms + 1> term{};
    MakeRecipe make{};
    int checkdiv = 0;                                  // 0: no "check" given
    runio::Arr<int, maxsolem + 1> checknum{};
    runio::Arr<int, thermodata::maxcomp + 1> comp{};  // component amounts
    double oxsum = 0.0;
    double dqfa = 0.0, dqfb = 0.0, dqfc = 0.0;         // G increment a + bT + cP (kJ)
    int dqfkind = 0;                                    // 0 DQF, 1 make, 2 mod, 3 od, 4 tran, 5 rcal
    runio::Arr<bool, 4> dqfperturbed{};                // parts a, b, c (1..3)
    thermodata::TdRow slots{};
    runio::Vec<double> covrow;                        // 1..400, sized when used
    int largestpower = 1;
    int dscode = 1;          // the dataset code of the end-member (1 for a made one), set with its data row
    int fluidindex = 0;
    bool exclude = false;
};

struct XyzVar {
    std::string name;
    double guess = 0.0;
    double sd = 0.01;
    double lower = -1e20, upper = 1e20;
    bool isorder = false;
    double scale = 1.0, offset = 0.0, typsize = 1.0;
    int lokind = 0, hikind = 0;     // 1 inclusive, 4 strict
    bool fixed = false;
    int loopindex = 0;
};

struct SolPhase {
    std::string name = "unset";
    int n = 0;
    bool modeflag = false;
    int nverbatim = 0;
    runio::Arr<std::string, maxverbatim + 1> verbatim{};
    bool noverbatim = false;
    runio::Arr<EmRec, maxsolem + 1> em{};
    int model = 0;                                       // 0 ideal, 1 symmetric, 2 van Laar
    int ngterm = 0;
    runio::Arr<runio::Arr<int, 3>, maxpairs + 1> gterm{};   // (W index, i, j)
    runio::Arr<SfExpr, maxsolem + 1> prop{};            // proportions
    int nw = 0;
    runio::Arr<double, maxpairs + 1> wa{}, wb{}, wc{};  // W = a + bT + cP (kJ, K, kbar)
    runio::Arr<std::string, maxpairs + 1> wname{};
    runio::Arr<double, maxpairs + 1> wsd{};
    runio::Arr<bool, maxpairs + 1> wsddefaulted{};
    runio::Arr<double, maxsolem + 1> sizea{}, sizeb{}, sizec{};   // van Laar sizes a + bT + cP
    int nsf = 0;
    runio::Arr<std::string, maxsf + 1> sfname{};
    runio::Arr<SfExpr, maxsf + 1> sf{};
    int nvar = 0;
    runio::Arr<XyzVar, maxsolem + 1> var{};
    int nzeroed = 0;
    runio::Arr<std::string, maxsolem + 1> zeroedname{};
    int nvarlim = 0;
    runio::Arr<runio::Arr<int, maxsolem + 1>, maxvarlim + 1> varlimnum{}, varlimden{};
    runio::Arr<bool, maxsf + 1> sflinear{};
    bool alllinear = false;
    runio::Arr<double, 2> modeconst{0.6666667, 0.1666667};
    double modestart = -1.0;
    int modeloop = 0;        // the isopleth value list that loops a held mode
    bool contracted = false;
    int nasread = 0, nvarasread = 0;
    runio::Arr<bool, maxsolem + 1> emkept{};
    runio::Arr<bool, maxsolem + 1> varnonzero{};
    runio::Arr<std::string, maxsolem + 1> varnameasread{};
    bool hasorder = false;
    bool fluid = false, aqueous = false;
    int h2opos = 0, co2pos = 0;
    bool coloured = false;
    runio::Arr<int, 3> colour{};
    bool zeroguess = false;
    bool scriptguess = false;
};

struct PurePhase {
    std::string name = "unset";
    std::string emname;
    bool modeflag = false;
    int modeloop = 0;
    runio::Arr<int, thermodata::maxcomp + 1> comp{};
    double oxsum = 0.0;
    int dqfkind = 0;
    double dqfa = 0.0, dqfb = 0.0, dqfc = 0.0;
    thermodata::TdRow slots{};
    double act = 1.0;
    double sdact = 0.0;
    MakeRecipe make{};
    runio::Vec<double> covrow;
    runio::Arr<double, 2> modeconst{0.6666667, 0.1666667};
    double modestart = -1.0;
    bool coloured = false;
    runio::Arr<int, 3> colour{};
};

struct FluidSpecies {
    int n = 0;
    runio::Arr<std::string, maxfluidspecies + 1> name{};
    runio::Arr<double, maxfluidspecies + 1> pcrit{}, tcrit{};   // kbar, K
    runio::Arr<runio::Arr<double, maxfluidspecies + 1>, maxfluidspecies + 1> w{};   // kJ
};

// All phases of the pass: prec1[1..nss] solution phases, prec0[1..npure] pure phases.
struct Phases {
    int nss = 0, npure = 0, nph = 0;
    runio::Vec<SolPhase> prec1;   // 1..maxnp
    runio::Vec<PurePhase> prec0;  // 1..maxphases
    FluidSpecies fluidspecies;
};
extern Phases ph;

// What the last reading of the a-x file leaves besides the phases.
struct AxFileInfo {
    int naxheader = 0;                                  // 0: the file has no header block
    runio::Arr<std::string, maxheader + 1> axheader{};  // lines 1 and naxheader are "#"
    std::string axfilename;                             // full name of the a-x file
    runio::Arr<std::string, 4> runinfo{};               // heading lines 1..3 of the run
    double wsddefault = 2.0;                            // default uncertainty of an interaction energy (kJ)
};
extern AxFileInfo axinfo;

// The recipe of a made end-member: phase ph < 1 names pure phase e, otherwise
// end-member e of solution phase ph.
const MakeRecipe& reciperef(int phase, int entry);

// ---------------------------------------------------------------- reading and set-up
void setupphases();       // reads the a-x file and sets up every phase of it
void readaxentries();     // the reading part: header block and every phase entry
void contractphase(int k);
bool emabsent(SfExpr& e, const runio::Arr<bool, maxsolem + 1>& zeroed);
void setvarlim(const SfExpr& e, int j, int k, int n, SolPhase& s);

// ---------------------------------------------------------------- evaluation and printing
// Value of an expression; x is 1-based and variable v of the phase is read
// from x[v + base - 1].
double evalpoly(const SfExpr& e, const double* x, int base);
bool legalcomp(int k);
void shortvarnames(int k, runio::Arr<std::string, maxsolem + 1>& names);
std::string shortname(const std::string& varname);
void writeexpression(const SfExpr& e, const std::string& name, int k, std::uint32_t mask);
void writephaselist(const std::vector<bool>& selected);
bool inrange(int code, double value);
void printsxterms(const std::string& title, const SfExpr& e);

// ---------------------------------------------------------------- states of order and activities
// Values per end-member of a solution phase, in its end-member order (1-based).
using EmValues = runio::Arr<double, maxsolem + 1>;
// The states of order of a phase (findlegalq, calcq) need the equation
// solver and the reaction lists: they are in calcwindows.
// Activities and their uncertainties of the end-members of phase k at the
// values x[1..] of its variables, at p (kbar) and t (K).
void calcemactivities(int k, const double* x, EmValues& a, EmValues& sda, double p, double t);
// A van Laar size that is not positive at the point where it is evaluated
// (its a + bT + cP from the a-x file, perhaps perturbed) stops the run with
// the phase, the end-member and the value, under the where-text given.
[[noreturn]] void badsize(const char* where, const SolPhase& s, int m, double p, double t);
// An activity of end-member m that is no positive number (an activity
// coefficient beyond every double, from interaction energies no phase can
// have) stops the run with the phase, the end-member, P, T and RT ln gamma
// (kJ), under the where-text given.
[[noreturn]] void badactivity(const char* where, const SolPhase& s, int m, double rtlngamma, double p, double t);

// ---------------------------------------------------------------- listings
void printaxnum(int n, std::string& buffer, double x);
void printaxmodel(int k);
void printwtable(int k);

}  // namespace axmodels
