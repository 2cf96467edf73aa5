// The routines of this subsystem that this build does not carry out yet,
// and the table through which the per-assemblage calculation reaches every
// routine here.  The mode-1 set-up stops a run that asks for what these
// routines would do, so none of them is reached with work to do; each
// leaves its output out rather than writing a stand-in.
#include "diagramresults/diagramresults.h"

namespace diagramresults {

DogminCounts dogmincounts;

void install()
{
    phasediagram::ResultRoutines& r = phasediagram::resultroutines;
    r.setupfract = setupfract;
    r.setupmontecarlo = setupmontecarlo;
    r.dofract = dofract;
    r.domontecarlo = domontecarlo;
    r.fractbulk = fractbulk;
    r.printfractresults = printfractresults;
    r.accumulatemc = accumulatemc;
    r.dogmin = dogmin;
    r.dogminreport = dogminreport;
    r.cleardogmin = cleardogmin;
    r.printstep = printstep;
    r.progresscount = progresscount;
    r.printresult = printresult;
    r.printmorestuff = printmorestuff;
    r.writebraceresults = writebraceresults;
    r.guessadvice = guessadvice;
    r.ptxyzrow = ptxyzrow;
}

void cleardogmin() { dogmincounts = DogminCounts{}; }

// ---------------------------------------------------------------- fractionation
// Will read the path and the fractionating phase and keep "printxyz".
void setupfract(SolveState&) {}
// Will move to the next step of the path with the depleted bulk.
void dofract(SolveState&) {}
// Will take the fractionated material out of the bulk after item 1.
void fractbulk(SolveState&) {}
// Will report a step and write the restart block when a phase appears.
void printfractresults(SolveState&) {}

// ---------------------------------------------------------------- Monte Carlo
// Will set up the perturbed a-x parameters and switch the runs on.
void setupmontecarlo(SolveState&) {}
// Will draw the next set of perturbed parameters.
void domontecarlo(SolveState&) {}
// Will accumulate the point's result and count the successes.
void accumulatemc(SolveState&, int, int, bool&) {}

}  // namespace diagramresults
