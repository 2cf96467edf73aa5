// The per-assemblage calculation: one assemblage of a phase-diagram run over
// its iterations (Monte Carlo runs or fractionation steps), its batch items
// and, for each item, the grid of its held values, bulk points, set
// activities and chemical potentials, pressures and temperatures.  Each
// point is set up, solved, checked against the windows and the mode range,
// completed and handed to the printing or to the Gibbs energy minimisation.
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "numerics/numerics.h"
#include "numerics/result.h"
#include "phasediagram/calculation.h"
#include "runio/scriptset.h"

namespace phasediagram {

namespace {

using axmodels::ph;
using numerics::unk;
using runio::bomb;
using runio::putstr;

constexpr int maxaqueous = 5;            // aqueous phases of one assemblage
constexpr double ionicstart = 0.00018;   // ionic strength of the first solve
constexpr double ionicmax = 0.0018;      // the activity model holds up to this ionic strength
constexpr double ionicsettled = 1e-5;
constexpr int maxionicpasses = 10;

// The aqueous phases of the assemblage: the range of their end-members in
// the calculation's list and the position of their first variable.
struct Aqueous {
    int n = 0;
    runio::Arr<int, maxaqueous + 1> phase{}, firstx{}, firstem{}, lastem{};
};

void findaqueous(Aqueous& aq)
{
    const numerics::Unknowns& u = unk;
    aq.n = 0;
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e] || !ph.prec1[u.emphase[e]].aqueous) continue;
        if (aq.n + 1 > maxaqueous) bomb("donle", "no of aq", 0);
        const int k = ++aq.n;
        aq.phase[k] = u.emphase[e];
        aq.firstx[k] = u.emfirstx[e];
        aq.firstem[k] = e;
        aq.lastem[k] = e + ph.prec1[u.emphase[e]].n - 1;
    }
}

void setionic(const Aqueous& aq, int k, double strength)
{
    auto& td = thermodata::ems.td;
    for (int e = aq.firstem[k]; e <= aq.lastem[k]; ++e) td[e][thermodata::sIonic] = strength;
}

// Activities of the assemblage's end-members before the grid: solution-phase
// end-members 1 (their activities come from the solve), pure phases their own.
void setactivities(const SolveState& s)
{
    auto& ems = thermodata::ems;
    int j = 0;
    for (int k = 1; k <= ph.nss; ++k) {
        if (!s.phases[k]) continue;
        for (int m = 1; m <= ph.prec1[k].n; ++m) {
            ++j;
            ems.act[j] = 1.0;
            ems.sdact[j] = 0.0;
        }
    }
    for (int k = 1; k <= ph.npure; ++k) {
        if (!s.phases[ph.nss + k]) continue;
        ++j;
        ems.act[j] = ph.prec0[k].act;
        ems.sdact[j] = ph.prec0[k].sdact;
    }
}

// With the modes found after the solve, the mode positions after nvar are
// no solved unknowns: the uncertainties there are none.
void uncertainties()
{
    numerics::propagatecov();
    if (!runio::scriptflags.modesafternle) return;
    numerics::Uncertainties& c = numerics::unc;
    const numerics::Unknowns& u = unk;
    for (int i = u.nvar + 1; i <= u.nvar + u.nmodes; ++i) {
        c.xsd[i] = 0.0;
        for (int w = 1; w <= u.nvar + u.nmodes; ++w) c.xcov[i][w] = c.xcov[w][i] = 0.0;
    }
}

void pointsteps(SolveState& s)
{
    const numerics::Unknowns& u = unk;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const runio::ScriptSet& ss = runio::scriptset;
    const ResultRoutines& out = resultroutines;
    SolveGlobals& g = solveglobals;
    numerics::ResultRec& r = numerics::result;
    ++s.points;
    if (++g.pointcount > numerics::maxdogmin && sf.dogminon) bomb("solve", "PT grid in dogmin too big", 0);
    setx(s);
    s.inwindow = true;
    s.solved = donle(s);
    s.svdropped = numerics::lastsolvedropped();
    g.systemg = 0.0;
    s.keep = false;
    if (!s.solved) {
        s.inwindow = false;
    } else {
        extract(s, s.keep);
        s.inwindow = !u.xfree[1] || axmodels::inrange(1, r.p);
        if (s.inwindow && u.xfree[2]) s.inwindow = axmodels::inrange(0, r.t);
        if (!given(ss.c8) && s.inwindow && sf.modesinnle)
            for (int i = u.nvar + 1; i <= u.nvar + u.nmodes && s.inwindow; ++i)
                if (u.nlex[i] < 0.0 || u.nlex[i] > 1.0) {
                    s.inwindow = false;
                    s.nlecode = 8;
                    s.keep = false;
                }
        if (s.inwindow) postprocess(s);
    }
    s.success = s.solved && s.inwindow;
    if (sf.dogminon && s.success && sf.dogminlevel == 1) out.printstep(s);
    const int v0 = numerics::phchoice.variance0;
    bool reaction = false, brace = false;
    if (s.success) {
        s.table = sf.debuglevel >= 2 || sf.modesinnle || r.nmodevec > 0 || given(ss.projection) ||
                  given(ss.calcmu) || given(ss.convliq);
        reaction = v0 == 1 || (given(ss.exbuff) && v0 == 2);
        brace = given(ss.projection);
    } else {
        s.table = false;
    }
    s.mckeep = s.success;
    if (s.success) ++s.successes;
    const int item = numerics::progress.batchitem;
    const bool batch = given(ss.batchsw);
    // A point is accumulated once, with "mcdebug" and at debug level 0 alike.
    if (batch && given(ss.mcdebug)) out.accumulatemc(s, item, s.points, s.mckeep);
    if (sf.dogminon) {
        out.dogmin(s, s.success, s.keep);
    } else if (batch && sf.debuglevel == 0) {
        if (!given(ss.mcdebug)) out.accumulatemc(s, item, s.points, s.mckeep);
    } else if (!s.success) {
        out.progresscount(s);
    } else {
        const runio::ScriptTables& st = runio::scripttabs;
        if (given(ss.calcsdnle) && st.nseta == 0 && st.nsetmu == 0) uncertainties();
        if (reaction)
            numerics::assemblagereaction(s.phases, s.reactionnames, s.reactioncoefs, s.nreaction, s.reactiontext);
        out.printresult(s);
        if (brace) out.writebraceresults(r.p, r.t, s.phases, s.reactionnames, s.reactioncoefs, s.nreaction);
        out.printmorestuff(s);
    }
}

// One batch item (the whole calculation when there are no batch lines):
// true when its last point succeeded.
void batchitemloop(SolveState& s)
{
    const runio::ScriptFlags& sf = runio::scriptflags;
    const runio::ScriptSet& ss = runio::scriptset;
    const ResultRoutines& out = resultroutines;
    SolveGlobals& g = solveglobals;
    const bool batch = given(ss.batchsw);
    const int nbatch = batch ? runio::batches.nbatch : 1;
    for (;;) {
        const int item = ++numerics::progress.batchitem;
        s.firstitem = item == 1;
        s.points = 0;
        if (batch) dobatch(s, item);
        numerics::makecrossrefs(s.phases);
        if (given(ss.mcdebug) && item == 1)
            for (int k = 1; k <= ph.nss; ++k) axmodels::printwtable(k);
        thermodata::findspecials();
        if (batch && s.firstiteration && s.firstitem && (sf.debuglevel == 0 || given(ss.mcdebug)))
            writeequilist(s, item);
        if ((!sf.dogminon && sf.debuglevel > 0) || (sf.dogminon && sf.dogminlevel == 2)) out.printstep(s);
        calcwindows::writereactionlists(s.solved);
        s.success = false;
        if (cannotcalc(s)) {
            setactivities(s);
            s.successes = 0;
            ++g.equilcount;
            g.pointcount = 0;
            numerics::setuploops(s.looplengths, s.nloops);
            numerics::startodometer(s.odometer, s.nloops);
            for (;;) {
                bool more = false;
                numerics::nextodometer(s.odometer, s.looplengths, s.nloops, more);
                if (!more) break;
                pointsteps(s);
            }
            if (sf.debuglevel != 0 && s.successes == 0 && (!sf.dogminon || sf.dogminlevel > 1))
                putstr(0, s.points > 0 ? "<== nothing in range ==>" : "<== nothing found ==>", 1, runio::msol);
        }
        if (g.fracton && s.success) {
            if (item == 1)
                out.fractbulk(s);
            else
                out.printfractresults(s);
        }
        if (item >= nbatch) return;
        if (numerics::progress.mcon) {
            if (!s.mckeep) return;
        } else if (!(g.fracton && item > 1) && !s.success) {
            return;
        }
    }
}

}  // namespace

bool donle(SolveState& s)
{
    numerics::Unknowns& u = unk;
    static Aqueous aq;
    findaqueous(aq);
    if (aq.n == 0) return numerics::nle(s.nlecode);
    for (int k = 1; k <= aq.n; ++k) setionic(aq, k, ionicstart);
    bool ok = numerics::nle(s.nlecode);
    if (!ok) return false;
    for (int pass = 1;; ++pass) {
        // The proportions at the solution, in the unknowns' own units.
        numerics::Vector x = u.nlex;
        for (int i = 1; i <= u.nvar + u.nmodes; ++i)
            if (u.xfree[i]) x[i] = (x[i] - u.xoffset[i]) / u.xscale[i];
        bool converged = true;
        for (int k = 1; k <= aq.n; ++k) {
            const axmodels::SolPhase& sp = ph.prec1[aq.phase[k]];
            const double old = thermodata::ems.td[aq.firstem[k]][thermodata::sIonic];
            double strength = 0.0;
            for (int m = 1; m <= sp.n; ++m) {
                const double q = axmodels::evalpoly(sp.prop[m], x.data(), aq.firstx[k]);
                strength += q * sp.em[m].slots[thermodata::sZ1] * sp.em[m].slots[thermodata::sZ2];
            }
            strength *= 0.5;
            if (strength > ionicmax) strength = ionicmax;
            setionic(aq, k, strength);
            if (converged) converged = std::fabs(old - strength) < ionicsettled;
        }
        ok = numerics::nle(s.nlecode);
        if (pass > maxionicpasses) bomb("solve", "debye-huckel loop", 0);
        if (converged || !ok) return ok;
    }
}

void solve(const numerics::PhaseFlags& phases)
{
    const runio::ScriptSet& ss = runio::scriptset;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const ResultRoutines& out = resultroutines;
    SolveGlobals& g = solveglobals;
    numerics::SolveProgress& pr = numerics::progress;
    static SolveState s;
    s = SolveState{};
    s.phases = phases;
    s.modefactor = 1.0;
    pr.mcon = false;
    g.mcwanted = g.mcsuccesses = 0;
    g.fracton = given(ss.fract);
    if (given(ss.batchsw)) setupbatch(s);
    if (g.fracton) out.setupfract(s);
    // The fractionation drops the Monte Carlo items (setupfract): its passes
    // follow the steps of its path, not a count of Monte Carlo passes.
    if (given(ss.mc) && !g.fracton) out.setupmontecarlo(s);
    for (;;) {
        if (++s.iterlow == 10000) {
            ++s.iterhigh;
            s.iterlow = 0;
        }
        const int iteration = s.iterlow + 10000 * s.iterhigh;
        pr.mcrun = iteration;
        s.firstiteration = s.iterhigh == 0 && s.iterlow == 1;
        if (!s.firstiteration) {
            if (g.fracton)
                out.dofract(s);
            else
                out.domontecarlo(s);
            if (s.fractstop) break;
        }
        pr.batchitem = 0;
        batchitemloop(s);
        // No target of successes (0) leaves the count of passes to decide; the
        // fractionation counts its passes past 9999 too.
        if (pr.mcon) {
            if (iteration >= runio::mcs.mcit || (g.mcwanted > 0 && g.mcsuccesses == g.mcwanted)) break;
        } else if (!g.fracton) {
            break;
        } else if (iteration > runio::mcs.fractset.nsteps || s.fractstop || (pr.batchitem < 2 && !s.success)) {
            break;
        }
    }
    // The points went to the accumulation, whose results list is closed here,
    // exactly when the per-point steps sent them there.
    const bool accumulated = given(ss.batchsw) && (given(ss.mcdebug) || (sf.debuglevel == 0 && !sf.dogminon));
    if (pr.mcon || accumulated) out.endmontecarlo(s);
    if (!pr.mcon && !g.fracton) out.guessadvice();
    if (g.mcwanted > 0 && g.mcsuccesses == g.mcwanted)
        runio::screenwrite("\n" + runio::inttext(g.mcsuccesses) + " successes in " +
                           runio::inttext(s.iterlow + 10000 * s.iterhigh) + " runs.\n");
    if (pr.mcon && sf.debuglevel == 0) {
        putstr(0, runio::inttext(g.mcsuccesses), 1, runio::mout);
        putstr(0, runio::inttext(s.mccount), 1, runio::mpx);
    }
}

}  // namespace phasediagram
