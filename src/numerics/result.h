// The record of the last calculated point of a phase-diagram calculation:
// its variance, P and T, the components and bulk compositions of the system,
// one entry per phase of the assemblage, and the totals of the assemblage
// per mode vector.  It is the one hand-over between the calculation of a
// point and everything that reports it.  Writers rewrite only their own
// fields and bound their loops by the counts in use: nothing clears or
// copies the record as a whole, except the Gibbs energy minimisation, which
// keeps a whole copy of its best point in prevresult.
//
// Units: P kbar, T K; G and H kJ, S kJ/K, V kJ/kbar, rho g/cm3; a phase's
// properties per formula unit, the totals per mode vector.
#pragma once

#include <string>

#include "axmodels/axmodels.h"
#include "numerics/unknowns.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace numerics {

constexpr int maxmodevec = 202;   // mode vectors: two per bulk point of a one-reaction range
constexpr int maxresbulk = 101;   // bulk points of a range

// One phase of the assemblage.
struct ResPhase {
    std::string name;
    bool show = false;        // takes part in the modes (not the buffered fluid, not a set a or mu)
    bool isfluid = false;
    int phaseno = 0;          // solution phase number, or index among the pure phases
    int firstx = 0;           // position of its first variable among the unknowns; 0 pure
    int nems = 0;             // end-members; 1 for a pure phase
    runio::Arr<std::string, maxnlex + 1> varname{};
    runio::Arr<double, maxnlex + 1> varval{};
    int nsf = 0;
    runio::Arr<std::string, axmodels::maxsf + 1> sfname{};
    runio::Arr<double, axmodels::maxsf + 1> sf{};
    runio::Arr<double, thermodata::maxcomp + 1> comp{};         // per component, per formula unit
    runio::Arr<std::string, thermodata::maxem + 1> emnames{};
    runio::Arr<double, thermodata::maxem + 1> emact{}, emideal{}, emgamma{}, emprop{}, emg{}, emrtlna{};
    runio::Arr<double, maxmodevec + 1> mode{}, factor{};
    double g = 0.0, s = 0.0, v = 0.0, h = 0.0, rho = 0.0;
};

struct ResultRec {
    int var = 0;              // variance at this point
    int ovar = 0;             // variance as set up
    int nphases = 0;
    double p = 0.0, t = 0.0;
    int nbulkpts = 0;
    int bulkstep = 0;
    int ncomps = 0, nfree = 0;
    runio::Arr<std::string, thermodata::maxcomp + 1> compnames{};
    runio::Arr<bool, thermodata::maxcomp + 1> compfree{};
    runio::Arr<runio::Arr<double, thermodata::maxcomp + 1>, maxresbulk + 1> bulkrows{};   // fractions
    runio::Arr<double, maxresbulk + 1> bulkx{};
    runio::Arr<ResPhase, maxassemblage + 1> ph{};
    runio::Arr<int, maxmodevec + 1> modestatus{};
    int nmodevec = 0;
    int firstmodept = 0;
    // Per mode vector, the row of bulkrows that holds its bulk.
    runio::Arr<int, maxmodevec + 1> vecrow{};
    // Totals per mode vector, in the order G, V, S, H, rho.
    runio::Arr<double, maxmodevec + 1> sysg{}, sysv{}, syss{}, sysh{}, sysrho{};
};
extern ResultRec result, prevresult;

}  // namespace numerics
