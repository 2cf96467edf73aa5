// Thermodynamic dataset and end-member properties: the dataset file, the
// components and composition matrix, the working end-member list, the data
// rows and covariance, the reaction set, and the Gibbs energy of end-members
// and reactions.
//
// A two-way tie with axmodels: the working end-member list, the
// calculation's compositions and the made end-members are built from the
// phase records of the a-x file, which in turn hold end-member data rows.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "runio/runio.h"

namespace thermodata {

// ---------------------------------------------------------------- limits
constexpr int maxntp = 300;     // end-members a dataset file may hold
constexpr int maxem = 400;      // end-members in one calculation (and rows of td)
constexpr int maxcomp = 19;     // components: the entries of the oxide table
constexpr int nslots = 30;      // data slots of a td row
constexpr int maxformula = 8;   // (element, amount) pairs of a formula in the dataset file
// A formula as stored: the pairs of the file, plus the left-over oxygen pair
// that the components step appends to a formula without one.
constexpr int maxempairs = maxformula + 1;
constexpr int maxcopies = 4;    // working positions one dataset end-member may serve
constexpr int dsnamelen = 8;    // end-member names in the dataset file
constexpr int maxphaselist = 400;   // phases in all, the length of a drop list
constexpr int maxcandidates = 800;  // names gathered before repeats are removed
constexpr int maxcint = 32767;      // an entry of the composition matrix is a 16-bit integer
constexpr int oxygenentry = 10;     // the oxide-table entry of oxygen
constexpr int listbatch = 25;       // dataset end-members read at a time for the lists
// The Bragg-Williams n counts the atoms that order on a site of a formula
// unit: a whole number, and a small one in any mineral; a larger value in a
// file is a slip of the pen.
constexpr int maxbwn = 20;
inline bool legalbwn(double n) { return n == std::trunc(n) && n >= 1.0 && n <= maxbwn; }
// The Landau term starts from the order of the phase at 298.15 K, which
// needs a critical temperature above it (K); without Smax above 0 there is
// no Landau term to take it.
inline bool legallandautc(double tc, double smax) { return !(smax > 0.0) || tc > 298.15; }

// Slots of a td row (1-based, as the dataset reader fills them).
enum Slot {
    sH = 1, sS = 2, sV = 3, sCpa = 4, sCpb = 5, sCpc = 6, sCpd = 7,
    sAlpha0 = 8, sKappa0 = 9, sKappa0p = 10, sKappa0pp = 11, sTheta = 12, sDkappadT = 13,
    sTc = 14, sSmax = 15, sVmax = 16, sAq = 17, sZ1 = 18, sZ2 = 19,
    sBWdH = 20, sBWdHv = 21, sBWW = 22, sBWWv = 23, sBWn = 24, sBWfac = 25,
    sIonic = 26, sXco2 = 27, sXh2o = 28, sPhase = 29, sEntry = 30
};

using TdRow = runio::Arr<double, nslots + 1>;   // slots 1..30

// ---------------------------------------------------------------- the dataset file
struct Dataset {
    int ndsem = 0;                                   // end-members in the file
    runio::Arr<std::string, maxntp + 1> dsemname{};  // names in file order (8 characters, blank-filled)
    int dsmode = 5;                                  // line 3 of the new layout; -1 for the old layout
    bool dsold = false, dsnew = true;                // exactly one is set
    bool dsgen6 = true;                              // the newer fluid equations of state
    // The dataset fit's current experiment: its number, shown when an
    // end-member's thermal pressure fails, and whether cordierite holds
    // channel fluid in it.
    int expno = 1;
    bool fitcrd = false;
    std::string filesuffix;                          // "ds" + dataset suffix
    std::string dsfilename;                          // "pm-" + filesuffix + ".txt"
    std::string dstitle;                             // the title line less its last 18 characters
    runio::TextFile dsfile;                          // open from stage 1 to the end of stage 3
};
extern Dataset ds;

// ---------------------------------------------------------------- end-members of a calculation
struct EndMembers {
    int nem = 0;                                          // working end-members
    runio::Arr<std::string, maxem + 1> emname{};          // 1-based
    // The dataset end-member a row follows when the row goes by another name
    // (a pure phase named apart from its end-member); empty otherwise.  Its
    // equations of state (fluid, liquid) go by this name, not the phase's.
    runio::Arr<std::string, maxem + 1> emdsname{};
    runio::Vec<TdRow> td;                                // td[k][slot], rows 1..400
    runio::Vec<double> cov;                              // (maxem+1)^2, use covat()
    runio::Arr<int, maxem + 1> emcode{};                  // dataset code (site multiplicity)
    runio::Arr<int, maxem + 1> emncomp{};                 // (element, amount) pairs in the formula
    runio::Arr<runio::Arr<int, maxempairs + 1>, maxem + 1> emcompcode{};
    runio::Arr<runio::Arr<double, maxempairs + 1>, maxem + 1> emcompamt{};
    runio::Arr<double, maxem + 1> ematoms{};              // atoms in the formula
    runio::Arr<double, maxem + 1> act{};                  // activity
    runio::Arr<double, maxem + 1> sdact{};                // uncertainty of the activity
    runio::Arr<double, maxem + 1> varlna{};               // variance of ln a
    int ih2o = 0, ico2 = 0, icrd = 0, ifcrd = 0;          // positions of the special end-members
    int logaem = 0;                                       // end-member of the first set activity
    int nemsave = 0;                                      // the working-list count before the calculation's end-members
    // Parameters of the default activity uncertainties: the scale of the
    // uncertainty of a site activity, its smallest value and its smallest
    // value relative to the site activity.
    double sdafactor = 0.0, sdamin = 0.0, sdarelmin = 0.0;
    int nexcl = 0;                                        // end-members left out of the calculation
    runio::Arr<int, maxem + 1> exclem{};                  // their positions in emname
    bool emfound = false;                                 // the last emposition found its name
    double& covat(int i, int j) { return cov[static_cast<std::size_t>(i) * (maxem + 1) + static_cast<std::size_t>(j)]; }
};
extern EndMembers ems;

// ---------------------------------------------------------------- components
struct Components {
    int ncomp = 0;
    runio::Arr<std::string, maxcomp + 1> compname{};
    runio::Arr<long long, maxcomp + 1> compmult{};        // integer multiplier of each row of c
    runio::Arr<int, maxcomp + 1> compatoms{};
    runio::Arr<bool, maxcomp + 1> oxfree{};               // free components
    runio::Vec<runio::Arr<int, maxem + 1>> c;            // c[component][end-member], rows 1..19
    int ncomp0 = 0;                                       // components of the reaction system
    int nemr = 0;                                         // end-members of the reaction system
    int nexcess = 0;                                      // end-members in excess, after the first nemr
    int ncompsave = 0, ncomp0save = 0;                    // ncomp and ncomp0 of the calculation's end-members
    int nfreeox = 0;                                      // free components of a phase-diagram calculation
};
extern Components comps;

// ---------------------------------------------------------------- the reaction set
constexpr int maxrxn = 150;       // reactions in one set
// The reaction set: rows of integer coefficients over the working end-members.
struct Reactions {
    int nrxn = 0;
    runio::Vec<runio::Arr<std::int16_t, maxem + 1>> r;   // r[reaction][end-member], rows 1..150
    runio::Arr<int, maxrxn + 1> rxndiv{};
    runio::Arr<double, maxrxn + 1> lnk{};
    runio::Arr<runio::BitSet3, maxrxn + 1> rxnphases{};   // the end-members of each reaction (1..90)
    runio::Arr<std::string, maxrxn + 1> rxntext{};        // "7)  2a + b = c"
    int rxntextwidth = 0;                                  // the longest text + 1
};
extern Reactions rxns;

// A drop list: one byte per phase, solution phases first; non-zero drops it.
using DropList = runio::Arr<std::uint8_t, maxphaselist + 1>;

// ---------------------------------------------------------------- dataset reader
// Stage 1: names and title; 2: formulas and components of the working list;
// any other value: data rows and covariance of the working list.
void readds(int stage);
// Position (1-based) of a name among the dataset's names, compared as words.
bool findem(const std::string& name, int& i);

// ---------------------------------------------------------------- components
void makeoxides();
void countcomp();
void clean();

// ---------------------------------------------------------------- working end-member list
void makename(const DropList& drop);
int emposition(const std::string& name);
void findspecials();
bool checkphasename(std::string& name, const std::string* names, bool noprompt, int& pos);
bool checkemname(std::string& name);

// ---------------------------------------------------------------- the calculation's end-members
// The end-members of the chosen phases (solution-phase end-members phase by
// phase, then the pure phases): their compositions, then their data rows,
// made end-members and covariance.
void makeemc();
void setupemdata();

// ---------------------------------------------------------------- default activity uncertainties
void setuncertaintyparams(bool quiet);
void defaultsda();

// The Gibbs energy of end-members and reactions: thermodata/gibbs.h.

}  // namespace thermodata
