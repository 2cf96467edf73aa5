// Phase-diagram results, fractionation and Monte Carlo: the printing of each
// mode-1 result (tables on screen, output file and log, the drawing-program
// frame and lines, the csv lines, the intermediate-results listing and the
// script-form blocks in the log), the Gibbs energy minimisation report, and
// the fractionation and Monte Carlo runs between the passes of an
// assemblage.
//
// A two-way tie with phasediagram: these routines read the state of the
// per-assemblage calculation (phasediagram/solvestate.h), and that
// calculation calls them through the table phasediagram::resultroutines,
// which install() fills at start-up.
#pragma once

#include <string>

#include "numerics/calcsetup.h"
#include "numerics/result.h"
#include "phasediagram/solvestate.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace diagramresults {

using phasediagram::SolveState;
using ResultFlags = runio::Arr<bool, numerics::maxassemblage + 1>;   // one per phase entry of the result

// ---------------------------------------------------------------- state
struct Printing {
    int progresscol = 0;   // progress marks on the current screen line
    runio::Arr<double, thermodata::maxcomp + 1> compmu{};   // chemical potentials of the components (kJ)
};
extern Printing printing;

// The bookkeeping of the Gibbs energy minimisation, cleared by the mode-1
// driver before the enumeration: the counters, the marks of the current
// assemblage at each grid point, and at a single-point grid every accepted
// equilibrium with its modes and the system's G (kJ).
constexpr int maxstored = 200;   // equilibria kept at a single-point grid
struct StoredEquil {
    int number = 0;                // the assemblage's "#"
    numerics::PhaseFlags flags{};
    int nmodes = 0;                // phases of the assemblage in use, with their modes of row 1
    runio::Arr<int, numerics::maxassemblage + 1> phase{};
    runio::Arr<double, numerics::maxassemblage + 1> mode{};
    double g = 0.0;
};
// An assemblage is numbered by the count of calculated assemblages
// (phasediagram::solveglobals.equilcount), the "#" of the listing.
struct DogminCounts {
    int nsolved = 0;       // solved calculations
    int nstored = 0;       // equilibria kept at a single-point grid
    std::string marks;     // two characters per grid point, the first the point's mark
    runio::Vec<StoredEquil> stored;   // 1..nstored
};
extern DogminCounts dogmincounts;

// Fills phasediagram::resultroutines with the routines below.
void install();

// ---------------------------------------------------------------- called by the per-assemblage calculation
void setupfract(SolveState& s);
void setupmontecarlo(SolveState& s);
void dofract(SolveState& s);
void domontecarlo(SolveState& s);
void fractbulk(SolveState& s);
void printfractresults(SolveState& s);
void accumulatemc(SolveState& s, int item, int points, bool& keep);
void endmontecarlo(SolveState& s);
void dogmin(SolveState& s, bool success, bool keep);
void printstep(SolveState& s);
void progresscount(SolveState& s);
void printresult(SolveState& s);
void printmorestuff(SolveState& s);
void writebraceresults(double p, double t, const numerics::PhaseFlags& phases,
                       const phasediagram::ReactionNames& names, const phasediagram::ReactionCoefs& coefs, int n);
void guessadvice();

// ---------------------------------------------------------------- called by the driver and the enumeration
void ptxyzrow(int k);
void dogminreport();
void cleardogmin();

// ---------------------------------------------------------------- result tables
void printtable(SolveState& s);
void printphasereaction(SolveState& s);
void printmodes(SolveState& s);
void printsimple();
void printmus(SolveState& s);
// The phases set to zero mode by the script ("tozero") among the result's
// phases in use, and f, the factor that renormalises the other modes of row
// 1 to a rock without them: 1 / (1 - their modes).  f stays 1 when they hold
// the whole rock.
void excessfactor(ResultFlags& flags, double& f);
// Mask of the result tables: screen, output file and log, or the log alone
// while the Gibbs energy minimisation reports at output level 1.
std::uint32_t resultmask();

// ---------------------------------------------------------------- drawing-program frame and csv lines
void writepxheader(SolveState& s);
void writepxline(SolveState& s);
void writepxbraceline(SolveState& s);
void writemodelists(SolveState& s);
void writecsvline(SolveState& s);

// ---------------------------------------------------------------- script-form blocks in the log
void printguesses(SolveState& s);
void writeguesses();
void writerbi();
void printbulkinfo(SolveState& s);
void printbatchbulk(SolveState& s);

// ---------------------------------------------------------------- intermediate-results listing
void printic();

// ---------------------------------------------------------------- conversions of a result
void docalcmu(const numerics::PhaseFlags& phases, double p, double t);
double docalcmuo(const numerics::PhaseFlags& phases, double p, double t);
double docalcah2o(const numerics::PhaseFlags& phases, double p, double t);
void fificalc(const numerics::PhaseFlags& phases, double& x1, double& x2, double p, double t);
void conv2wt(const numerics::PhaseFlags& phases, runio::Arr<double, runio::maxconvrows + 1>& wtpercent);

}  // namespace diagramresults
