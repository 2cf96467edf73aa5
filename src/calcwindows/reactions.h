// The reactions of the end-member calculations (modes 0, 2 and 3): the root
// finder that follows a reaction line inside the window, the tests of a line
// against the diagram window, the engine that forms one reaction for each
// subset of phases and decides whether it stays, and the all-reactions
// calculation with the intersections of the lines.
//
// A reaction is row i of thermodata::rxns (products positive); its line is
// where dG = dG0(P, T) + RT ln K = 0. Units: P kbar, T K, G kJ.
#pragma once

#include <cstdint>
#include <string>

#include "calcwindows/calcwindows.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace calcwindows {

// ---------------------------------------------------------------- limits
constexpr int maxformed = 600;        // phase sets of formed reactions kept for the exclusion test
constexpr int maxindep = 80;          // independent reactions held in echelon form
constexpr int maxindeprock = 20;      // independent reactions of an average P-T calculation
constexpr int maxexclass = 60;        // metastable assemblages of a Schreinemakers analysis
constexpr int maxpoints = 200;        // intersections of reaction lines
constexpr int progresstries = 400;    // reaction attempts after which a fruitless search may stop
constexpr int maxrxnsubmatrix = thermodata::maxcomp + 1;   // phases of one reaction: rank + 1

// ---------------------------------------------------------------- markers of the root finder
constexpr double nosolution = 1e21;   // no solution was found
constexpr double nosecond = -1e21;    // there is no second solution
constexpr double nosd = 1e31;         // no standard error: the solution lies outside the window

using EmFlags = runio::Arr<bool, thermodata::maxem + 1>;       // one per working end-member
using CompFlags = runio::Arr<bool, thermodata::maxcomp + 1>;   // one per component
using Corners = runio::Arr<bool, 5>;                           // corners 1..4: G < 0 there
using runio::BitSet3;

// The state of a search for reactions: the component subsystem in hand, the
// phase sets already formed, the independent set of an average P-T
// calculation, the metastable assemblages of a Schreinemakers analysis and
// the intersections of the lines.
struct ReactionSearch {
    // Set by the average P-T driver: what is solved for and how precise a
    // reaction must be (sd of its P in kbar or of its T in K).
    int rockcalc = 0;             // 0 average P, 1 average T
    double maxsd = 0.0;
    bool incompleteset = false;   // fewer independent reactions than the system needs

    int rankc = 0;                // rank of the usable phases of the subsystem
    int nmax = 0;                 // their number
    int nindep = 0;               // reactions an independent set needs
    int nsubrxn = 0, nsubmax = 0, nsubstart = 0;   // kept, wanted and found-before of the subsystem
    bool linewindow = false;      // the window of the variable not solved for is a single value
    bool phaselinedone = false;
    bool rxnfull = false, ptfull = false;

    // Every reaction formed in the pass, dropped ones of mode 2 included: a
    // subset holding one of these sets gives no new reaction.
    int nformed = 0;
    runio::Arr<BitSet3, maxformed + 1> formed{};

    // Echelon form of the independent reactions kept in mode 2: row m and
    // its pivot column belong to reaction m.
    runio::Arr<runio::Arr<std::int32_t, thermodata::maxem + 1>, maxindep + 1> indrows{};
    runio::Arr<int, maxindep + 1> indpivot{};

    int nexclass = 0;             // assemblages found metastable throughout the window
    runio::Arr<BitSet3, maxexclass + 1> exclass{};

    int nptrxn = 0;               // intersections: the reactions through each and their phases
    runio::Arr<int, maxpoints + 1> nptreactions{};
    runio::Arr<runio::Arr<int, thermodata::maxrxn + 1>, maxpoints + 1> ptrxn{};
    runio::Arr<BitSet3, maxpoints + 1> ptphases{};
};
extern ReactionSearch rsearch;

// ---------------------------------------------------------------- root finder
// Both <= 0 or both >= 0: a zero agrees with anything.
bool samesign(double a, double b);
// The line of reaction i inside the window: mode 0 its T at the given P,
// mode 1 its P at the given T; x1 the first solution (on entry the start
// value when start is set), x2 the second; each with its derivatives of dG.
void find(int i, double p, double t, double xco2, double xh2o, int mode, bool start, double& x1, double& x2,
          double& dgdp1, double& dgdp2, double& dgdt1, double& dgdt2);
void findp(int i, double t, double xco2, double xh2o, bool start, double& p1, double& p2, double& dgdp1,
           double& dgdp2, double& dgdt1, double& dgdt2);
void findt(int i, double p, double xco2, double xh2o, bool start, double& t1, double& t2, double& dgdp1,
           double& dgdp2, double& dgdt1, double& dgdt2);
// The solutions of findp (findt) with the standard error of each and the
// slope dT/dP of the line there.
void linepointp(int i, double t, double xco2, double xh2o, double& p1, double& p2, double& sd1, double& sd2,
                double& slope1, double& slope2);
void linepointt(int i, double p, double xco2, double xh2o, double& t1, double& t2, double& sd1, double& sd2,
                double& slope1, double& slope2);
void calclnkall();
void calcvarlna();
// Orients reaction i so that its products are stable just above the point
// on the diagram's vertical axis (5 K or 0.2 kbar).
void turnreaction(int i, double p, double t, double xco2, double xh2o, double lna, double mu);
void writereaction(int i);

// ---------------------------------------------------------------- window tests
// Does the line of reaction i cross the diagram window? corners[k] is set
// when G < 0 at corner k.
bool inPTXwindow(int i, Corners& corners);
bool inPTwindow(int i, Corners& corners);
bool inPXwindow(int i, Corners& corners);
bool inTXwindow(int i, Corners& corners);
bool inPlnawindow(int i, Corners& corners);
bool inTlnawindow(int i, Corners& corners);

// The activity axis of the log a diagrams works through the axis end-member
// (thermodata::ems.logaem): its entropy takes R ln a (or R ln 10 log a) off,
// so that its Gibbs energy gains RT ln a at axis value v.
void setaxisactivity(double v);

// ---------------------------------------------------------------- reaction-set engine
// Forms the reaction among the phases of subset in the k components of
// compflags, appends it to the reaction set and keeps it or not as the
// calculation mode says; subset is left holding the phases of the reaction.
void findreactions(int k, const CompFlags& compflags, const EmFlags& usable, EmFlags& subset);
bool newindr();
int selectionrank(const EmFlags& flags);
void sumnulna();
bool windowcorners(double& sd);
void progresschar(const std::string& ch);
// End-member j is left out of the calculation (thermodata::ems.exclem).
bool excludedem(int j);

// ---------------------------------------------------------------- all reactions
void calcre(bool& result);
void prunereactions(bool withtexts);

}  // namespace calcwindows
