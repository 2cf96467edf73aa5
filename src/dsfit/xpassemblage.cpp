// The assemblage of an experiment calculated bracket by bracket with the
// equilibrium solver: for a univariant assemblage the T at the bracket's P
// (or the P at its T, for a pair of brackets at one T), with the phase
// compositions; for a divariant one the compositions at the bracket's P and
// T. The calculated P and T go into the brackets of every equilibrium of
// the group, and unknown compositions back into the brackets.
#include <algorithm>
#include <cmath>

#include "calcwindows/calcwindows.h"
#include "dsfit/dsfit.h"
#include "numerics/numerics.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace dsfit {

namespace {

using runio::addfield;
using runio::addreal;
using runio::addrealshort;
using runio::inttext;
using runio::mol;
using runio::putstr;

constexpr double failedt = 273.15;   // K: what an unsolved bracket shows (0 C)


// The P-T window of the solve: the brackets' range widened by 11 kbar and a
// twentieth of the pressures, and by 600 K (kbar, K).
struct Window {
    double plow = 100.0, phigh = 0.0, tlow = 0.0, thigh = 0.0;
};

Window solvewindow(const Experiment& x)
{
    Window w;
    w.tlow = x.nb > 0 ? x.br[1].t : 0.0;
    for (int b = 1; b <= x.nb; ++b) {
        const Bracket& br = x.br[b];
        w.plow = std::min(w.plow, br.p);
        w.phigh = std::max(w.phigh, br.p);
        w.tlow = std::min(w.tlow, br.t);
        w.thigh = std::max(w.thigh, br.t);
    }
    const double dp = 11.0 + 0.05 * (w.plow + w.phigh);
    w.plow -= dp;
    w.phigh += dp;
    w.tlow -= 600.0;
    w.thigh += 600.0;
    if (w.plow < 0.0) w.plow = 1e-16;
    if (w.tlow < 373.0) w.tlow = 373.0;
    return w;
}

void setscalings(const Window& w)
{
    runio::Scalings& sc = runio::scal;
    sc.pscale = 1.0 / (w.phigh - w.plow);
    sc.poffset = -w.plow * sc.pscale;
    runio::win.ptypsize = 0.01 / (w.phigh - w.plow);
    sc.tscale = 1.0 / (w.thigh - w.tlow);
    sc.toffset = -w.tlow * sc.tscale;
    runio::win.ttypsize = 0.1 / (w.thigh - w.tlow);
}

void printreactions()
{
    const auto& ems = thermodata::ems;
    const auto& rx = thermodata::rxns;
    std::string line = "  ";
    addfield(inttext(rx.nrxn), 2, line);
    putstr(1, line + " reactions:", 1, mol);
    line = "   ";
    for (int j = 1; j <= ems.nem; ++j) addfield(ems.emname[j], 6, line);
    putstr(0, line, 1, mol);
    for (int i = 1; i <= rx.nrxn; ++i) {
        line = "   ";
        for (int j = 1; j <= ems.nem; ++j) addrealshort(rx.r[i][j], 6, line);
        putstr(0, line, 1, mol);
    }
}

void printheading(int kind)
{
    const numerics::Unknowns& u = numerics::unk;
    std::string line;
    addfield("P(kbar)", 9, line);
    addfield("", 1, line);
    addfield("T(C)", 9, line);
    addfield("", 2, line);
    addfield("calc", 10, line);
    for (int k = 3; k <= u.nvar; ++k) addfield(u.xname[k], 10, line);
    if (kind < 3) addfield("miss", 8, line);
    putstr(1, line, 1, mol);
}

// How bracket b pairs with the bracket after it in the table (none after
// the last: the bracket behind the list carries no flags).
struct Pairing {
    bool twin = false;    // both flags: P and T of the pair alike
    bool ppair = false;   // the two P at one T, P solved
    bool tpair = false;   // the two T at one P
};

Pairing pairing(const Experiment& x, int b, int kind)
{
    Pairing pr;
    if (b >= x.nb) return pr;
    const Bracket& nx = x.br[b + 1];
    pr.twin = nx.tpair && nx.ppair;
    if (kind == 2) {
        pr.ppair = !nx.tpair && nx.ppair;
        pr.tpair = nx.tpair;
    } else {
        pr.tpair = pr.twin;
    }
    return pr;
}

// The left of the two T columns holds the brackets that bound the reaction
// enthalpy sum from below: those of the file's code 0, or of code 1 when the
// experiment's sides were found the other way round.
bool leftcolumn(const Experiment& x, const Bracket& br) { return br.sense == x.orientation; }

// One line of the table: the bracket (and its partner), the calculated P or
// T with the phase variables, and how far the calculation misses the
// observed side.
void calcassline(int e, int b, int kind)
{
    const Experiment& x = fit.xp[e];
    const Bracket& br = x.br[b];
    const Bracket* nx = b < x.nb ? &x.br[b + 1] : nullptr;
    const numerics::Unknowns& u = numerics::unk;
    const Pairing pr = pairing(x, b, kind);
    const bool kind3p = kind == 3 && (br.ppair || (nx != nullptr && nx->ppair)) && !pr.twin;
    std::string line;

    if (pr.ppair) {
        const Bracket& first = x.orientation ? *nx : br;
        const Bracket& second = x.orientation ? br : *nx;
        addreal(first.p, 1, true, 5, line);
        addreal(second.p, 1, true, 5, line);
    } else if (kind3p) {
        if (br.sense) addfield("", 5, line);
        addreal(br.p, 1, true, 5, line);
        if (!br.sense) addfield("", 5, line);
    } else {
        addreal(br.p, 1, true, 8, line);
        addfield("", 3, line);
    }

    if (!pr.ppair && !pr.twin && !kind3p) {
        if (pr.tpair) {
            addfield(celsius(x.orientation ? nx->t : br.t), 5, line);
            addfield(celsius(x.orientation ? br.t : nx->t), 5, line);
        } else if (leftcolumn(x, br)) {
            addfield(celsius(br.t), 5, line);
            addfield("", 5, line);
        } else {
            addfield("", 5, line);
            addfield(celsius(br.t), 5, line);
        }
    } else {
        addfield(celsius(br.t), 8, line);
        addfield("", pr.twin ? 2 : 3, line);
    }

    if (kind == 3)
        addfield("-", 10, line);
    else if (pr.ppair)
        addreal(br.calcp, 1, true, 10, line);
    else
        addfield(celsius(br.calct), 10, line);
    for (int k = 3; k <= u.nvar; ++k) addreal(u.nlex[k], 4, true, 10, line);

    if (kind < 3) {
        if (pr.twin) {
            addfield("", 8, line);
        } else if (pr.ppair) {
            const double lo = std::min(br.p, nx->p), hi = std::max(br.p, nx->p);
            if (br.calcp > hi) addreal(br.calcp - hi, 1, true, 8, line);
            if (br.calcp < lo) addreal(br.calcp - lo, 1, true, 8, line);
        } else if (pr.tpair) {
            const double lo = std::min(br.t, nx->t), hi = std::max(br.t, nx->t);
            if (br.calct > hi) addfield(runio::wholetext(std::round(br.calct - hi)), 8, line);
            if (br.calct < lo) addfield(runio::wholetext(std::round(br.calct - lo)), 8, line);
        } else {
            const double d = br.calct - br.t;
            const bool low = leftcolumn(x, br);
            // A low-side bracket is missed when the equilibrium lies below it.
            if (low && d < 0.0) addfield(runio::wholetext(std::round(d)), 8, line);
            if (!low && d > 0.0) addfield(runio::wholetext(std::round(x.orientation ? -d : d)), 8, line);
        }
    }
    putstr(0, line, 1, mol);
}

void failureline(const Bracket& br, int kind, bool solvep, const Window& w)
{
    std::string line;
    if (kind == 3) {
        addreal(br.p, 2, true, 10, line);
        addfield(celsius(br.t), 10, line);
    } else if (solvep) {
        line = "      --  ";
        addfield(celsius(br.t), 10, line);
    } else {
        addreal(br.p, 2, true, 10, line);
        line += "      --  ";
    }
    line += "  not converged";
    if (kind != 3) {
        if (solvep)
            line += "  (?not in P window " + runio::realstr(w.plow, 1, true) + " - " +
                    runio::realstr(w.phigh, 1, true) + ")";
        else
            line += "  (?not in T window: " + celsius(w.tlow) + " - " + celsius(w.thigh) + ")";
    }
    putstr(0, line, 1, mol);
}

// What the calculation borrows of the run's settings, given back at its end.
struct Borrowed {
    int calcmode = runio::run.calcmode;
    bool pseudosection = runio::scriptflags.pseudosection;
    bool modesinnle = runio::scriptflags.modesinnle;
    bool modesafternle = runio::scriptflags.modesafternle;
    int modeiso = runio::scriptset.modeiso;
    int debuglevel = runio::scriptflags.debuglevel;
    bool mcon = numerics::progress.mcon;
    Borrowed()
    {
        runio::run.calcmode = 1;
        runio::scriptflags.pseudosection = false;
        runio::scriptflags.modesinnle = runio::scriptflags.modesafternle = false;
        runio::scriptset.modeiso = 1;
    }
    ~Borrowed()
    {
        runio::run.calcmode = calcmode;
        runio::scriptflags.pseudosection = pseudosection;
        runio::scriptflags.modesinnle = modesinnle;
        runio::scriptflags.modesafternle = modesafternle;
        runio::scriptset.modeiso = modeiso;
        runio::scriptflags.debuglevel = debuglevel;
        numerics::progress.mcon = mcon;
    }
};

// One solve; a bracket the solver cannot reach is an outcome, not an error
// of the run, so its failures are kept quiet.
bool solve()
{
    runio::scriptflags.debuglevel = 0;
    numerics::progress.mcon = true;
    int code = 0;
    return numerics::nle(code);
}

// Bracket b of experiment e unsolved, in every equilibrium of the group.
void storefailure(int e, int b)
{
    const Experiment& x = fit.xp[e];
    for (int g = 0; g < x.groupsize; ++g) {
        const int k = samebracket(e, b, e + g);
        if (k == 0) continue;
        Bracket& br = fit.xp[e + g].br[k];
        br.calcp = 0.0;
        br.calct = failedt;
    }
}

// The solved values for bracket b of experiment e go to the same run in
// every equilibrium of the group; unknown compositions also to the bracket
// paired with it, which is not solved on its own.
void storesolution(int e, int b, bool alsonext)
{
    const numerics::Unknowns& u = numerics::unk;
    const Experiment& x = fit.xp[e];
    for (int g = 0; g < x.groupsize; ++g) {
        const int ex = e + g;
        for (int k : {b, alsonext ? b + 1 : 0}) {
            if (k == 0 || k > x.nb) continue;
            const int kk = samebracket(e, k, ex);
            if (kk == 0) continue;
            Bracket& br = fit.xp[ex].br[kk];
            if (k == b) {
                br.calcp = u.nlex[1];
                br.calct = u.nlex[2];
            }
            if (x.unknowncomps)
                for (int i = 3; i <= u.nvar; ++i) br.xyz[i - 2] = u.nlex[i];
        }
    }
}

}  // namespace

void calcass(int e, int kind, bool printit)
{
    Borrowed borrowed;
    axmodels::Phases& ph = axmodels::ph;
    numerics::Unknowns& u = numerics::unk;
    Experiment& x = fit.xp[e];

    numerics::PhaseFlags marks{};
    for (int i = 1; i <= ph.nss; ++i) marks[i] = 1;
    for (int p = 1; p <= ph.npure; ++p) marks[ph.nss + p] = ph.prec0[p].act > 0.0 ? 1 : 0;

    const Window w = solvewindow(x);
    setscalings(w);
    numerics::makecrossrefs(marks);
    thermodata::findspecials();
    bool any;
    calcwindows::writereactionlists(any);
    if (printit) printreactions();
    if (kind == 1) runio::bomb("calcass", "not currently implemented", 0);
    if (printit) printheading(kind);

    for (int b = 1; b <= x.nb; ++b) {
        Bracket& br = x.br[b];
        // The second bracket of a pair is calculated with the first.
        if ((br.tpair && br.ppair) || (kind < 3 && (br.tpair || br.ppair))) {
            storefailure(e, b);
            continue;
        }
        for (int k = 3; k <= u.nvar; ++k) {
            const double v = br.xyz[k - 2];
            u.nlex[k] = u.xfree[k] ? v * u.xscale[k] + u.xoffset[k] : v;
        }
        const Bracket* nx = b < x.nb ? &x.br[b + 1] : nullptr;
        const bool solvep = nx != nullptr && !nx->tpair && nx->ppair;
        u.nlex[1] = runio::win.pcalc = br.p;
        u.nlex[2] = runio::win.tcalc = br.t;
        u.xfree[1] = u.xfree[2] = false;
        if (kind != 3) {
            const int i = solvep ? 1 : 2;
            u.xfree[i] = true;
            u.nlex[i] = u.nlex[i] * u.xscale[i] + u.xoffset[i];
        }
        if (solve()) {
            for (int k = 1; k <= u.nvar; ++k)
                if (u.xfree[k]) u.nlex[k] = (u.nlex[k] - u.xoffset[k]) / u.xscale[k];
            const bool paired = nx != nullptr && ((nx->tpair && nx->ppair) || (kind < 3 && (nx->tpair || nx->ppair)));
            storesolution(e, b, paired);
            if (printit) calcassline(e, b, kind);
        } else {
            storefailure(e, b);
            if (printit) failureline(br, kind, solvep, w);
        }
    }
}

}  // namespace dsfit
