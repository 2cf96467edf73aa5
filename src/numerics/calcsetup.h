// The set-up of a phase-diagram calculation that the solver reads: which
// phases are in excess or outside the mass balance, the free components'
// reduced system of the current phase subset, the held quantities with their
// value lists, and the bulk composition.  The mode-1 readers (phasediagram)
// fill these records once per pass; the unknowns, the residual function and
// the steps after a solve read them.
#pragma once

#include <cstdint>
#include <string>

#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace numerics {

constexpr int maxisolists = 10;     // value lists of held quantities (isopleths and the x(CO2) list)
constexpr int maxisovalues = 201;   // values in one such list
constexpr int maxmodeiso = 2;       // mode isopleths, zero modes included
constexpr int maxbulkpts = 101;     // points of a bulk range
constexpr int nphflags = 400;       // one flag byte per phase of a run

using PhaseFlags = runio::Arr<std::uint8_t, nphflags + 1>;   // 1-based in phase order

// The phases of the pass and what is held of them.  Phase numbers: solution
// phases 1..nss, then pure phases nss+1..nph.
struct PhaseChoice {
    PhaseFlags isexcess{};     // in excess
    PhaseFlags istozero{};     // in excess with the mode held at zero
    PhaseFlags isnobulk{};     // outside the mass balance
    int nexcessph = 0, ntozeroph = 0, nnobulk = 0;
    runio::Arr<std::string, nphflags + 1> chosenph{};   // the last pass's choice, offered again
    int nchosenph = 0;
    int exbuffph = 0;          // the externally buffered fluid phase, 0 when none
    int variance0 = 0;         // variance of the chosen phases as the driver set it up
    bool phaseprops = false;   // phase properties are worked out after each solve
};
extern PhaseChoice phchoice;

// The reduced system of the current phase subset: the transformation of the
// free-component rows and the rank deficit of its composition matrix over
// the free components.
struct Reduction {
    runio::Arr<runio::Arr<std::int32_t, thermodata::maxem + 1>, thermodata::maxem + 1> projc{};
    int rankdeficit = 0;
};
extern Reduction red;

// Held quantities: mode isopleths first, then the x(CO2) list, then the
// compositional isopleths; a held mode or variable carries the number of its
// list (xloop of the unknowns).
struct Isopleths {
    runio::Arr<runio::Arr<double, maxisovalues + 1>, maxisolists + 1> isovalues{};
    runio::Arr<int, maxisolists + 1> nisovalues{};
    int niso = 0, nmodeiso = 0, nxyziso = 0;
};
extern Isopleths iso;

// The bulk composition over the free components (order of compname, entries
// 1..nfreeox), each composition summing to 100; point i of a range is
// (1 - t) bulk + t bulk2 with t = (i - 1)/(nbulk - 1).
struct BulkSetup {
    runio::Arr<double, thermodata::maxcomp + 1> bulk{}, bulk2{};
    int nbulk = -1;            // points; while the script is read also its bulk lines
    double bulkpropstart = 0.0, bulkpropend = 1.0;
    runio::Arr<double, thermodata::maxcomp + 1> fractstartbulk{};   // the rbi bulk before normalisation
    // The point in use: its bulk as fractions, its position along the range
    // and the atoms of its bulk.
    runio::Arr<double, thermodata::maxcomp + 1> bulkcalc{};
    double bulkpos = 0.0;
    double bulkatoms = 0.0;
};
extern BulkSetup bulks;

// Where the per-assemblage calculation stands, as the solver's checks and
// messages read it: the batch item in work, the outer (Monte Carlo)
// iteration, and whether a Monte Carlo run is in progress (its trial points
// may fail silently).  The per-assemblage calculation keeps them.
struct SolveProgress {
    int batchitem = 1;
    int mcrun = 0;
    bool mcon = false;
};
extern SolveProgress progress;

}  // namespace numerics
