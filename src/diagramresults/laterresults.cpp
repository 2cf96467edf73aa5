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

// ---------------------------------------------------------------- Gibbs energy minimisation
// Will keep, per grid point, the assemblage of lowest system G and the gap to
// the next, list every equilibrium in the intermediate-results file and keep
// the best result of a single-point grid in prevresult.
void dogmin(SolveState&, bool, bool) {}
// Will report the assemblage of lowest G per grid point, with the modes near
// the minimum and the script-form blocks of the winning result.
void dogminreport() {}

// ---------------------------------------------------------------- projection
// Will express each phase in the apices of the projection plane, through the
// phases in excess, as a table, brace lists and csv rows.
void writebraceresults(double, double, const numerics::PhaseFlags&, const phasediagram::ReactionNames&,
                       const phasediagram::ReactionCoefs&, int)
{
}

// ---------------------------------------------------------------- conversions of a result
// Will find the chemical potential of each component (kJ) from a reaction
// through a temporary end-member of that component.
void docalcmu(const numerics::PhaseFlags&, double, double) {}
// Will find mu(O) (kJ) the same way.
double docalcmuo(const numerics::PhaseFlags&, double, double) { return 0.0; }
// Will find a(H2O) from a reaction through an H2O end-member.
double docalcah2o(const numerics::PhaseFlags&, double, double) { return 0.0; }
// Will print the shares of H2O and CO2 in the assemblage.
void fificalc(const numerics::PhaseFlags&, double&, double&, double, double) {}
// Will convert a melt into the species of "convliq" and print mol% and wt%.
void conv2wt(const numerics::PhaseFlags&, runio::Arr<double, runio::maxconvrows + 1>&) {}

}  // namespace diagramresults
