// The state of the repeated passes over one assemblage (diagramresults
// only): a fractionation along a straight P-T path, where one phase keeps no
// more than a set porosity and the rest leaves the bulk; Monte Carlo runs
// on the a-x parameters (W, van Laar sizes, DQF terms, each a + bT + cP in
// kJ, K and kbar); and the accumulation of the points of each pass into the
// results list of the drawing-program file and the csv files.  Each lives
// from its set-up at the start of the per-assemblage calculation to the
// end of its passes.
#pragma once

#include <string>

#include "numerics/unknowns.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace diagramresults {

// ---------------------------------------------------------------- fractionation
struct FractState {
    int step = 0;           // steps taken along the path
    int pos = 0;            // place of the fractionating phase among batch 1's phases (and rbi rows)
    double lost = 0.0;      // mode taken out of the rock so far
    // The components of the fractionation, n = 1..ncomp: the rbi columns
    // with an amount, in order; per component its rbi column and its
    // component number in the system.
    int ncomp = 0;
    runio::Arr<int, thermodata::maxcomp + 1> column{}, component{};
    // Per component, the moles in the fractionating phase and in the others.
    runio::Arr<double, thermodata::maxcomp + 1> fluid{}, solid{};
    bool repeat = false;    // this pass repeats the first step with the porosity just filled
    int printcount = 0;     // restart blocks written
    double firstloss = 0.0; // mode taken out when the first restart block was written
    double lostatevent = 0.0;   // the mode lost up to the step of the events
};
extern FractState fract;

// ---------------------------------------------------------------- Monte Carlo
constexpr int maxmcvar = 150;   // random variables: the ranges, then the items without a link

struct McState {
    int nvar = 0;
    runio::Arr<int, runio::maxmc + 1> itemvar{};   // variable of an item without a link, else 0
    runio::Arr<int, maxmcvar + 1> varitem{};       // item owning a variable beyond the ranges
    bool correlated = false;                        // mccov holds the Choleski factor
    // Standard deviations on the diagonal, or the lower-triangular factor L
    // of the covariance matrix mccovin (C = L L^T).
    runio::Arr<runio::Arr<double, maxmcvar + 1>, maxmcvar + 1> mccov{}, mccovin{};
    runio::Arr<double, runio::maxmcrange + 1> deviation{};   // of each range in this pass
    runio::Arr<double, runio::maxmc + 1> base{};             // each item's parameter as set up
    runio::Arr<double, runio::maxmc + 1> listvalue{};        // the value of each item written per entry
    runio::Arr<std::string, runio::maxmc + 1> label{};       // "w(a,b)a" and the like, quoted
};
extern McState mc;

// One point of a pass, kept until the pass's verdict.
struct StoredPoint {
    int item = 0, point = 0;   // batch item and its point number
    // The last unknown the point carries: from 3 on, those its item solves
    // for (phasediagram::batchcolumns), in every output alike.
    int last = 2;
    bool success = false, filterpass = false;
    double p = 0.0, t = 0.0;   // kbar, K
    runio::Arr<double, numerics::maxnlex + 1> x{};   // unknowns 3..74 in their own units
    runio::Arr<double, 6> sys{};                      // G, H, S, V, rho of the rock
    bool hassys = false;                              // those were calculated (modes and phase properties)
    std::string text;
};

constexpr int maxpasspoints = runio::maxbatch * runio::maxbatchpt;   // points of one pass

struct McAccumulation {
    int nstored = 0;
    runio::Vec<StoredPoint> stored;                             // 1..nstored, sized once
    runio::Arr<int, runio::maxbatch + 1> notcalculated{}, notpassed{};   // per filter group
    bool listopen = false;       // " results = {" written and not yet closed
    std::string pending;         // the last line of the last entry, before its closing
};
extern McAccumulation acc;

// The counts of the script's Monte Carlo tables, 0 for a table never given.
inline int nmcitems() { return runio::mcs.nmc > 0 ? runio::mcs.nmc : 0; }
inline int nmcranges() { return runio::mcs.nmcrange > 0 ? runio::mcs.nmcrange : 0; }

// One normal deviate of that mean and standard deviation (two uniform draws).
double normaldeviate(double mean, double sd);
// The parameters of every item back at their values as set up.
void restoremcbase();
// Item i's parameter at value v as the lists show it: for a DQF item the
// DQF term moved by v - base (its b part the other way, as it stands for -S).
double itemshown(int i, double v);

}  // namespace diagramresults
