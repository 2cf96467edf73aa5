// The table through which the per-assemblage calculation reaches every
// routine of this subsystem, filled once at start-up, and the minimisation's
// counts, which the per-point routines and the report share.
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
    r.endmontecarlo = endmontecarlo;
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

}  // namespace diagramresults
