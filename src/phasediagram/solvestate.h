// The state of one per-assemblage calculation: one record shared by the
// calculation, its batch items, its per-point steps and the result,
// Monte Carlo and fractionation routines it calls, living for one call; and
// the few globals that outlive the call.
//
// A two-way tie with diagramresults: the result, fractionation and Monte
// Carlo routines read this state, so they sit above this subsystem, while
// the calculation here calls them.  The calculation reaches them through the
// table `resultroutines` below, which diagramresults::install fills at
// start-up (a test may put its own routines in their place).
#pragma once

#include <cstdint>
#include <string>

#include "numerics/calcsetup.h"
#include "numerics/unknowns.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace phasediagram {

constexpr int maxloops = 400;   // loops of the odometer of one calculation

struct SolveState {
    numerics::PhaseFlags phases{};      // the assemblage, in phase order
    // For each phase name of the batch lines, its position among the
    // assemblage's phases (solution phases first).
    runio::Arr<int, runio::maxwith + 1> batchphasemap{};
    int nlecode = 0;          // code of the last solve; 8 when its modes fail the range test
    int cannotcalc = 0;       // 0 calculable, 1 no reactions, 2 degenerate
    bool solved = false;      // the assemblage has reactions, then the point was solved
    bool inwindow = false;    // the result lies in the windows and passes the mode test
    bool success = false;     // solved and in the window
    bool keep = false;        // the result may enter the minimisation bookkeeping
    bool mckeep = false;      // success as the Monte Carlo accumulation may change it
    bool firstiteration = false, firstitem = false;
    bool fractstop = false;   // the fractionation routines end the fractionation
    bool printxyzkept = false;   // "printxyz" was given when the fractionation was set up
    int successes = 0;        // successful points of the current batch item
    int points = 0;           // grid points of the current batch item
    int iterlow = 0, iterhigh = 0;   // outer iteration = iterlow + 10000 iterhigh
    int mccount = 0;          // kept by the Monte Carlo routines
    // The assemblage reaction, for the result printing.
    int nreaction = 0;
    runio::Arr<std::string, thermodata::maxem + 1> reactionnames{};
    runio::Arr<double, thermodata::maxem + 1> reactioncoefs{};
    std::string reactiontext;
    // Atoms per formula unit of each phase, over all and over the free components.
    runio::Arr<double, numerics::maxnlex + 1> phaseatoms{}, phaseatomsfree{};
    runio::Arr<double, numerics::maxnlex + 1> normmodes{};   // unknowns and normalised modes
    double modefactor = 1.0;
    bool table = false;       // the full result table is wanted
    runio::Arr<int, maxloops + 1> odometer{}, looplengths{};
    int nloops = 0;
    int bulkpoint = 0;        // the point of a bulk range in use
    bool svdropped = false;   // the last solve dropped singular values (its result is marked)
    double ah2o = 1.0, muo = 1.0;   // a(H2O) and mu(O) (kJ) of the last printed mode row
    runio::Arr<double, runio::maxconvrows + 1> wtpercent{};   // wt% of the melt species of "convliq"
};

// Globals of the per-assemblage calculation.  The batch item in work and the
// Monte Carlo flag are read by the solver too, so they live in
// numerics::progress (batchitem, mcrun, mcon).
struct SolveGlobals {
    bool fracton = false;     // a fractionation runs
    int equilcount = 0;       // assemblage calculations of the pass (one per batch item)
    int pointcount = 0;       // grid points of the current item
    double systemg = 0.0;     // Gibbs energy of the system at the point (kJ)
    // Monte Carlo runs: the successful iterations wanted (0 no target) and
    // those counted so far by the accumulation.
    int mcwanted = 0;
    int mcsuccesses = 0;
};
extern SolveGlobals solveglobals;

// The routines of the result printing, the fractionation and the Monte
// Carlo runs that the calculation and the mode-1 driver call (see the
// opening comment).  Until install runs, each stops the run.
using ReactionNames = runio::Arr<std::string, thermodata::maxem + 1>;
using ReactionCoefs = runio::Arr<double, thermodata::maxem + 1>;
[[noreturn]] void resultsnotinstalled();
struct ResultRoutines {
    // Fractionation and Monte Carlo, between and after the batch items.
    void (*setupfract)(SolveState&) = [](SolveState&) { resultsnotinstalled(); };
    void (*setupmontecarlo)(SolveState&) = [](SolveState&) { resultsnotinstalled(); };
    void (*dofract)(SolveState&) = [](SolveState&) { resultsnotinstalled(); };
    void (*domontecarlo)(SolveState&) = [](SolveState&) { resultsnotinstalled(); };
    void (*fractbulk)(SolveState&) = [](SolveState&) { resultsnotinstalled(); };
    void (*printfractresults)(SolveState&) = [](SolveState&) { resultsnotinstalled(); };
    void (*accumulatemc)(SolveState&, int item, int points, bool& keep) = [](SolveState&, int, int, bool&) {
        resultsnotinstalled();
    };
    // After the passes of a Monte Carlo run or of an accumulating batch run:
    // the results list closed and the perturbed parameters put back.
    void (*endmontecarlo)(SolveState&) = [](SolveState&) { resultsnotinstalled(); };
    // Gibbs energy minimisation bookkeeping of one point, and its report
    // after the enumeration (with the counters the driver clears before it).
    void (*dogmin)(SolveState&, bool success, bool keep) = [](SolveState&, bool, bool) { resultsnotinstalled(); };
    void (*dogminreport)() = [] { resultsnotinstalled(); };
    void (*cleardogmin)() = [] { resultsnotinstalled(); };
    // The printed results of an assemblage.
    void (*printstep)(SolveState&) = [](SolveState&) { resultsnotinstalled(); };
    void (*progresscount)(SolveState&) = [](SolveState&) { resultsnotinstalled(); };
    void (*printresult)(SolveState&) = [](SolveState&) { resultsnotinstalled(); };
    void (*printmorestuff)(SolveState&) = [](SolveState&) { resultsnotinstalled(); };
    void (*writebraceresults)(double p, double t, const numerics::PhaseFlags& phases, const ReactionNames& names,
                              const ReactionCoefs& coefs, int n) =
        [](double, double, const numerics::PhaseFlags&, const ReactionNames&, const ReactionCoefs&, int) {
            resultsnotinstalled();
        };
    void (*guessadvice)() = [] { resultsnotinstalled(); };
    // The starting guesses of solution phase k, after its state of order is found.
    void (*ptxyzrow)(int k) = [](int) { resultsnotinstalled(); };
};
extern ResultRoutines resultroutines;

}  // namespace phasediagram
