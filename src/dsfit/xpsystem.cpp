// An experiment as the program's phase-equilibrium calculation sees it: its
// phases and end-members loaded into the phase records and the working
// end-member list; the activities of its end-members in one bracket, from
// the compositions of its solution phases at their equilibrium state of
// order, and for the constituents of made end-members from the activity of
// the made end-member; and the temperature or pressure at which its
// reaction is at equilibrium at a bracket, by Newton's method.
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "dsfit/dsfit.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace dsfit {

namespace {

using runio::addfield;
using runio::addreal;
using runio::inttext;
using thermodata::ems;

// The while-it-works switch to calculation mode 1, in which the Gibbs
// energy reads the working rows rather than the fit's records.
struct CalcModeOne {
    int saved = runio::run.calcmode;
    CalcModeOne() { runio::run.calcmode = 1; }
    ~CalcModeOne() { runio::run.calcmode = saved; }
};

// Working end-member m from end-member record em (0: a made end-member,
// which has no record of its own).
void loadem(int m, int em)
{
    using namespace thermodata;
    thermodata::TdRow& row = ems.td[m];
    row.fill(0.0);
    ems.emdsname[m].clear();
    if (em == 0) {
        ems.emname[m] = "###";
        ems.emncomp[m] = 0;
        ems.ematoms[m] = 0.0;
        ems.emcode[m] = 1;
        return;
    }
    const FitEm& r = fit.tda[em];
    ems.emname[m] = r.name;
    ems.emcode[m] = r.code;
    ems.emncomp[m] = r.nel;
    double atoms = 0.0;
    for (int j = 1; j <= r.nel; ++j) {
        ems.emcompcode[m][j] = r.elcode[j];
        ems.emcompamt[m][j] = r.elamount[j];
        atoms += r.elamount[j];
    }
    ems.ematoms[m] = atoms;
    for (int s = sH; s <= sAq; ++s) row[s] = r.row[s];
    for (int s = sBWdH; s <= sBWfac; ++s) row[s] = r.row[s];
}

[[noreturn]] void orderfailure(int e, int b, const std::string& phase)
{
    std::string line = "xp = ";
    addfield(inttext(e), 4, line);
    line += ", br = ";
    addfield(inttext(b), 3, line);
    line += ", ";
    addfield(phase, 5, line);
    runio::putstr(0, line, 1, runio::mscreen);
    runio::bomb("calca", "couldn't solve for state of order for " + phase, 0);
}

// The activity of a constituent of a made end-member: the made one's
// activity to the power divisor / numerator of the constituent's share.
double dependentactivity(const Experiment& x, int k, const Bracket& br)
{
    const ActEntry& a = x.act[k];
    const axmodels::SolPhase& s = axmodels::ph.prec1[a.phase];
    const axmodels::EmRec& made = s.em[a.inphase];
    const axmodels::MakeRecipe& mk = made.make;
    int j = mk.count;
    for (int c = 1; c <= mk.count; ++c)
        if (mk.cname[c] == a.name) {
            j = c;
            break;
        }
    int m = x.nact;
    for (int i = 1; i <= x.nact; ++i)
        if (x.act[i].name == made.name) {
            m = i;
            break;
        }
    const double am = br.a[m];
    const double d = mk.divisor, q = j >= 1 ? mk.num[j] : 0.0;
    if (am > 0.0 && am < 1.0 && q != 0.0) return std::exp(d / q * std::log(am));

    using runio::putstr;
    putstr(0, "", 1, runio::mscreen);
    putstr(0, "dependent end-member activity not between 0 and 1", 1, runio::mscreen);
    std::string line;
    addfield(a.name, 6, line);
    addfield(s.name, 6, line);
    addfield(made.name, 6, line);
    addfield(j >= 1 ? mk.cname[j] : std::string(), 6, line);
    line += "; mult = ";
    addreal(q / d, 2, true, 8, line);
    line += "; a(" + x.act[m].name + ") = ";
    addreal(am, 4, true, 10, line);
    if (am > 0.0) {
        line += "; giving a(" + a.name + ") = ";
        addreal(q != 0.0 ? std::exp(d / q * std::log(am)) : 0.0, 4, true, 10, line);
    }
    putstr(0, line, 1, runio::mscreen);
    runio::bomb("calca", "messed up make a", 0);
}

// Newton's method on the bracket's T (K) or P (kbar) for the reaction at
// equilibrium, at most 13 steps within a range; the value that stands for
// no solution when it does not converge. The bracket is left as it was.
struct NewtonLimits {
    double tolerance, low, high, failed;
};

double equilibrium(int e, int b, double Bracket::*v, const NewtonLimits& lim, double& dgdp, double& dgdt)
{
    Bracket& br = fit.xp[e].br[b];
    const double start = br.*v;
    double x = start, g;
    bool converged = false;
    for (int count = 1;; ++count) {
        br.*v = x;
        rxndg(e, b, dgdp, dgdt, g);
        const double d = v == &Bracket::t ? dgdt : dgdp;
        const double step = d != 0.0 ? -g / d : 0.0;
        x += step;
        if (std::fabs(step) < lim.tolerance) {
            converged = true;
            break;
        }
        if (count > 12 || x < lim.low || x > lim.high) break;
    }
    if (converged) {
        br.*v = x;
        rxndg(e, b, dgdp, dgdt, g);
    } else {
        x = lim.failed;
        dgdp = dgdt = 0.0;
    }
    br.*v = start;
    return x;
}

}  // namespace

int samebracket(int e, int b, int e2)
{
    const int id = fit.xp[e].br[b].id;
    const Experiment& x2 = fit.xp[e2];
    // Reversal swaps the brackets of a pair, so the one sought is at most
    // one place away.
    for (int k : {b, b - 1, b + 1})
        if (k >= 1 && k <= x2.nb && x2.br[k].id == id) return k;
    for (int k = 1; k <= x2.nb; ++k)
        if (x2.br[k].id == id) return k;
    return 0;
}

void setupxpsystem(int e)
{
    CalcModeOne mode1;
    axmodels::Phases& ph = axmodels::ph;
    const Experiment& x = fit.xp[e];
    ems.act.fill(1.0);
    int m = 0, p = 0, s = 0;
    for (int k = 1; k <= x.nact; ++k) {
        const ActEntry& a = x.act[k];
        if (a.marker == aotherem) continue;
        if (a.marker == afirstem) {
            // A solution phase: a copy of the fit's phase in one of the
            // slots kept free below them, with its end-members in order.
            ++s;
            ph.prec1[s] = ph.prec1[a.phase];
            axmodels::SolPhase& sp = ph.prec1[s];
            for (int j = 1; j <= sp.n; ++j) {
                loadem(++m, x.act[k + j - 1].em);
                sp.em[j].covrow.assign(thermodata::maxem + 1, 0.0);
            }
            continue;
        }
        // A phase of one end-member: a fixed activity, one given in each
        // bracket, or a constituent of a made end-member (activity 0, so
        // that it stays out of the assemblage).
        ++p;
        loadem(++m, a.em);
        axmodels::PurePhase& pp = ph.prec0[p];
        pp = axmodels::PurePhase{};
        if (a.em != 0) pp.name = pp.emname = fit.tda[a.em].name;
        pp.covrow.assign(thermodata::maxem + 1, 0.0);
        pp.act = a.marker == aconstituent ? 0.0 : 1.0;
        pp.sdact = 0.0;
    }
    ph.npure = p;
    ph.nss = s;
    ph.nph = s + p;
    ems.nem = x.nact;
    for (int i = 1; i <= x.nact; ++i)
        for (int j = 1; j <= x.nact; ++j) ems.covat(i, j) = 0.0;
    thermodata::makeoxides();
    thermodata::makeemc();
    thermodata::setupemdata();
}

void xpcalca(int e, int b)
{
    CalcModeOne mode1;
    axmodels::Phases& ph = axmodels::ph;
    Experiment& x = fit.xp[e];
    Bracket& br = x.br[b];
    runio::win.pcalc = br.p;
    runio::win.tcalc = br.t;

    // The state of order of each ordered phase at the bracket's P and T,
    // from the bracket's values as the start.
    int readpos = 0, writepos = 0;
    for (int k = 1; k <= ph.nss; ++k) {
        axmodels::SolPhase& s = ph.prec1[k];
        if (!s.hasorder) {
            readpos += s.nvar;
            writepos += s.nvar;
            continue;
        }
        for (int v = 1; v <= s.nvar; ++v) s.var[v].guess = br.xyz[++readpos];
        bool startillegal;
        if (!calcwindows::findlegalq(k, true, startillegal, br.p, br.t)) orderfailure(e, b, s.name);
        for (int v = 1; v <= s.nvar; ++v) br.xyz[++writepos] = s.var[v].guess;
    }

    int valuepos = 0, phase = 0;
    for (int k = 1; k <= x.nact; ++k) {
        const ActEntry& a = x.act[k];
        if (a.marker == aconstituent) {
            br.a[k] = dependentactivity(x, k, br);
        } else if (a.marker == afirstem) {
            const axmodels::SolPhase& s = ph.prec1[++phase];
            axmodels::EmValues act{}, sda{};
            axmodels::calcemactivities(phase, &br.xyz[valuepos], act, sda, br.p, br.t);
            for (int j = 1; j <= s.n; ++j) br.a[k + j - 1] = act[j];
            valuepos += s.n - 1;
        }
    }

    // The equilibria of a group share the compositions of their brackets.
    for (int g = 1; g < x.groupsize; ++g) {
        const int k = samebracket(e, b, e + g);
        if (k == 0) continue;
        Bracket& other = fit.xp[e + g].br[k];
        for (int i = 1; i <= x.nact; ++i) other.a[i] = br.a[i];
    }
}

double xpcalct(int e, int b, double& dgdp, double& dgdt)
{
    return equilibrium(e, b, &Bracket::t, {0.01, 300.0, 3000.0, 150.0}, dgdp, dgdt);
}

double xpcalcp(int e, int b, double& dgdp, double& dgdt)
{
    return equilibrium(e, b, &Bracket::p, {0.001, 0.01, 1500.0, 0.005}, dgdp, dgdt);
}

}  // namespace dsfit
