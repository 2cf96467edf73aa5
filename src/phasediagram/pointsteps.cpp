// The steps of the per-assemblage calculation around the solve of one grid
// point: whether the assemblage can be calculated at all, the starting and
// set values of the point (held variables and modes, the bulk point, set
// activities and chemical potentials, P and T) with the starting guesses of
// the modes, the solved unknowns back in their own units into the result
// record, and the site fractions, compositions, mode factors and phase
// properties of the result.
//
// Every point starts from the phases' stored starting guesses: the previous
// point's solution is not carried over, so the result of a point does not
// depend on the order of the grid.
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "numerics/numerics.h"
#include "numerics/result.h"
#include "phasediagram/calculation.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace phasediagram {

namespace {

using axmodels::ph;
using numerics::unk;
using runio::bomb;
using runio::putstr;

// ln a of a set activity per unit of entropy: R (values as ln a) or R ln 10
// (values as log a), kJ/K.
constexpr double rlog10 = 0.019144654296;

numerics::FreeMap freecomp;   // the free components of the pass, by rank

double bulkrowatoms(const runio::Arr<double, thermodata::maxcomp + 1>& row, int nfree)
{
    double atoms = 0.0;
    for (int j = 1; j <= nfree; ++j) atoms += row[j] * thermodata::comps.compatoms[freecomp[j]];
    return atoms;
}

// The unknown that fixes mode m belongs to this phase (solution phases
// first, then pure phases).
int modephaseno(int m)
{
    const numerics::Unknowns& u = unk;
    return m <= u.nsolmodes ? u.modephase[m] : ph.nss + u.modephase[m];
}

void clearresultpoint()
{
    numerics::ResultRec& r = numerics::result;
    const thermodata::Components& cs = thermodata::comps;
    const runio::ScriptFlags& sf = runio::scriptflags;
    // Every mode vector of every entry: the modes after the solve write only
    // the vectors of the bulk points that balance.
    for (int e = 1; e <= numerics::maxassemblage; ++e) {
        numerics::ResPhase& p = r.ph[e];
        for (int v = 1; v <= numerics::maxmodevec; ++v) p.mode[v] = p.factor[v] = 0.0;
    }
    r.sysg[1] = r.sysv[1] = r.syss[1] = r.sysh[1] = r.sysrho[1] = 0.0;
    r.nmodevec = r.firstmodept = sf.modesinnle ? 1 : 0;
    r.vecrow[1] = 1;
    r.ncomps = cs.ncomp;
    r.nfree = cs.nfreeox;
    for (int c = 1; c <= cs.ncomp; ++c) {
        r.compnames[c] = cs.compname[c];
        r.compfree[c] = cs.oxfree[c];
    }
    r.var = runio::win.variance;
    r.ovar = sf.dogminon ? runio::win.variance : numerics::phchoice.variance0;
}

// Order variables held by isopleths need a legal state of order to start from.
void orderunderisopleths()
{
    const numerics::Unknowns& u = unk;
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e]) continue;
        const int k = u.emphase[e];
        const axmodels::SolPhase& sp = ph.prec1[k];
        if (!sp.hasorder) continue;
        bool ask = false;
        for (int v = 1; v <= sp.nvar; ++v) {
            if (u.xfree[u.emfirstx[e] + v - 1]) continue;
            if (sp.var[v].isorder) {
                if (!axmodels::legalcomp(k)) bomb("setx", "illegal starting guess in isopleth-ing Q in " + sp.name, 0);
            } else if (!axmodels::legalcomp(k)) {
                ask = true;
            }
        }
        if (!ask) continue;
        bool randomused = false;
        const runio::Windows& w = runio::win;
        if (!calcwindows::findlegalq(k, false, randomused, w.pcalc, w.tcalc))
            bomb("setx", "cannot find legal Q for isopleth in " + sp.name, 0);
        if (randomused)
            putstr(0, "illegal Q starting guess in isopleth-ing involving " + sp.name + ": random value used", 1,
                   runio::msol);
    }
}

// Bulk point p of the range (1 without a range) as the point in use.
void modesbulk(SolveState& s, int p)
{
    numerics::BulkSetup& b = numerics::bulks;
    const runio::ScriptSet& ss = runio::scriptset;
    const int nf = thermodata::comps.nfreeox;
    if (b.nbulk <= 1) {
        b.bulkpos = given(ss.onebulk) || given(ss.bulksubrange) ? ss.onebulkvalue : 0.0;
        for (int j = 1; j <= nf; ++j) b.bulkcalc[j] = b.bulk[j] / 100.0;
        s.bulkpoint = 1;
    } else {
        const double f = static_cast<double>(p - 1) / (b.nbulk - 1);
        b.bulkpos = b.bulkpropstart + f * (b.bulkpropend - b.bulkpropstart);
        for (int j = 1; j <= nf; ++j) b.bulkcalc[j] = ((1.0 - f) * b.bulk[j] + f * b.bulk2[j]) / 100.0;
        s.bulkpoint = p;
    }
    numerics::ResultRec& r = numerics::result;
    r.bulkstep = s.bulkpoint;
    r.bulkx[1] = b.bulkpos;
    for (int j = 1; j <= nf; ++j) r.bulkrows[1][j] = b.bulkcalc[j];
    const double atoms = bulkrowatoms(b.bulkcalc, nf);
    b.bulkatoms = std::fabs(atoms - 1.0) <= 1e-6 ? 1.0 : atoms;
}

// The mode unknowns scaled for a bulk of bulkatoms atoms: the modes of the
// solve sum to sqrt(bulkatoms).
void scalemodes()
{
    numerics::Unknowns& u = unk;
    const double root = std::sqrt(numerics::bulks.bulkatoms);
    for (int m = 1; m <= u.nmodes; ++m) {
        const int i = u.nvar + m;
        const runio::Arr<double, 2>& mc =
            m <= u.nsolmodes ? ph.prec1[u.modephase[m]].modeconst : ph.prec0[u.modephase[m]].modeconst;
        u.xscale[i] = mc[0] / root;
        u.xoffset[i] = mc[1] * root;
        u.nlex[i] = u.xfree[i] ? u.xnat[i] * root * u.xscale[i] + u.xoffset[i] : u.xnat[i] * root;
    }
}

[[noreturn]] void modesumproblem(double sum)
{
    const numerics::Unknowns& u = unk;
    std::string text = "mode setup problem: sum = ";
    runio::addreal(sum, 4, true, 10, text);
    text += "\n\nmode guesses: \n";
    for (int m = 1; m <= u.nmodes; ++m) {
        runio::addfield(u.xname[u.nvar + m], 7, text);
        runio::addreal(u.xnat[u.nvar + m], 5, true, 10, text);
        text += "\n";
    }
    runio::screenwrite(text + "\n");
    bomb("mode guess subs", "don't sum to 1", 0);
}

}  // namespace

bool cannotcalc(SolveState& s)
{
    const numerics::Unknowns& u = unk;
    const thermodata::Reactions& rx = thermodata::rxns;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const int nem = thermodata::ems.nem;
    int code = 0;
    if (rx.nrxn == 0) {
        code = 1;
    } else {
        runio::Arr<bool, calcwindows::maxrxn + 1> rused{};
        runio::Arr<bool, numerics::maxnlex + 1> xused{};
        for (int e = 1; e <= nem; ++e) {
            if (!u.phasestart[e]) continue;
            const axmodels::SolPhase& sp = ph.prec1[u.emphase[e]];
            const int first = u.emfirstx[e];
            for (int k = 1; k <= sp.n; ++k) {
                const int j = e + k - 1;
                bool inany = false;
                for (int r = 1; r <= rx.nrxn; ++r)
                    if (rx.r[r][j] != 0) rused[r] = inany = true;
                if (!inany) continue;
                // The variables its ideal-mixing activity depends on.
                const axmodels::EmRec& em = sp.em[k];
                for (int t = 1; t <= em.nterms; ++t) {
                    const axmodels::SfExpr& ex = sp.sf[em.term[t].sf];
                    for (int a = 1; a <= ex.n; ++a)
                        for (int b = 1; b <= ex.t[a].n; ++b) {
                            const axmodels::XTerm& xt = ex.t[a].x[b];
                            for (int c = 1; c <= xt.n; ++c) xused[first + xt.var[c] - 1] = true;
                        }
                }
            }
        }
        bool ok = true;
        for (int i = 3; i <= u.nvar && ok; ++i)
            if (u.xfree[i] && !xused[i]) ok = false;
        if (ok) {
            int unused = 0;
            for (int r = 1; r <= rx.nrxn; ++r)
                if (!rused[r]) ++unused;
            ok = 2 - runio::win.variance >= unused;
        }
        if (sf.modesinnle) ok = true;
        if (!ok) code = 2;
    }
    if (solveglobals.fracton) code = 0;
    s.cannotcalc = code;
    if (code != 0) {
        const bool dogmin = sf.dogminon;
        const std::string why = code == 1 ? "(no reactions)" : dogmin ? "(degenerate)" : "(degenerate?)";
        if (dogmin && sf.dogminlevel > 1)
            putstr(0, "  cannot calculate this equilibrium " + why, 1, runio::mlog);
        else if (!dogmin && sf.debuglevel != 0)
            putstr(0, "  cannot calculate this equilibrium " + why, 1, runio::msol);
        else
            runio::screenwrite(code == 1 ? "#" : "@");
    }
    return code == 0;
}

void setx(SolveState& s)
{
    numerics::Unknowns& u = unk;
    numerics::ResultRec& r = numerics::result;
    const runio::ScriptFlags& sf = runio::scriptflags;
    runio::Windows& w = runio::win;
    const numerics::Isopleths& is = numerics::iso;
    numerics::freecomponentmap(freecomp);
    clearresultpoint();
    int d = 0;
    auto digit = [&]() { return s.odometer[++d]; };

    // Held compositional variables take the values of their lists.
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e]) continue;
        axmodels::SolPhase& sp = ph.prec1[u.emphase[e]];
        for (int v = 1; v <= sp.nvar; ++v) {
            const int n = u.emfirstx[e] + v - 1;
            if (!u.xfree[n]) sp.var[v].guess = is.isovalues[u.xloop[n]][digit()];
        }
    }
    orderunderisopleths();
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e]) continue;
        const axmodels::SolPhase& sp = ph.prec1[u.emphase[e]];
        for (int v = 1; v <= sp.nvar; ++v) {
            const int n = u.emfirstx[e] + v - 1;
            u.xnat[n] = sp.var[v].guess;
            u.nlex[n] = u.xfree[n] ? u.xnat[n] * u.xscale[n] + u.xoffset[n] : u.xnat[n];
        }
    }

    numerics::BulkSetup& b = numerics::bulks;
    const int nf = thermodata::comps.nfreeox;
    r.nbulkpts = b.nbulk;
    b.bulkpos = 0.0;
    r.bulkx[1] = 0.0;
    if (sf.modesafternle) {
        u.nmodes = 0;
        s.bulkpoint = 1;
        r.bulkstep = 1;
        for (int p = 1; p <= (b.nbulk > 1 ? b.nbulk : 1); ++p) {
            const double f = b.nbulk > 1 ? static_cast<double>(p - 1) / (b.nbulk - 1) : 0.0;
            for (int j = 1; j <= nf; ++j) r.bulkrows[p][j] = ((1.0 - f) * b.bulk[j] + f * b.bulk2[j]) / 100.0;
        }
    }
    if (sf.modesinnle) {
        for (int m = 1; m <= u.nmodes; ++m) {
            const int i = u.nvar + m;
            if (!u.xfree[i]) u.xnat[i] = is.isovalues[u.xloop[i]][digit()];
        }
        setmodeguess(s);
        modesbulk(s, digit());
        scalemodes();
    }

    // Set activities add RT ln a to their end-member through its entropy.
    const runio::ScriptTables& st = runio::scripttabs;
    auto& td = thermodata::ems.td;
    for (int a = 1; a <= st.nseta; ++a) {
        runio::scripttabs.setaval[a] = w.alist[a][digit()];
        int e;
        if (!runio::posinlist(st.setaname[a], thermodata::ems.emname.data(), thermodata::ems.nem, e))
            bomb("setx", "lna name not recognised", 0);
        const double per = given(runio::scriptset.setloga) ? rlog10 : thermodata::rgas;
        td[e][thermodata::sS] = w.setaentropy[a] - per * st.setaval[a];
    }
    // A set chemical potential is the enthalpy of its one-component phase.
    for (int m = 1; m <= st.nsetmu; ++m) {
        runio::scripttabs.setmuval[m] = w.mulist[m][digit()];
        td[thermodata::ems.nem - st.nsetmu + m][thermodata::sH] = st.setmuval[m];
    }

    w.pcalc = w.plist[digit()];
    u.nlex[1] = u.xfree[1] ? w.pcalc * u.xscale[1] + u.xoffset[1] : w.pcalc;
    w.tcalc = w.tlist[digit()];
    u.nlex[2] = u.xfree[2] ? w.tcalc * u.xscale[2] + u.xoffset[2] : w.tcalc;
}

void setmodeguess(SolveState& s)
{
    numerics::Unknowns& u = unk;
    const int n = u.nmodes;
    (void)s;
    if (n == 1) {
        u.xnat[u.nvar + 1] = 1.0;
        return;
    }
    auto x = [&](int m) -> double& { return u.xnat[u.nvar + m]; };
    auto fixed = [&](int m) { return !u.xfree[u.nvar + m]; };
    auto guessed = [&](int m) { return u.modevalue[m] > 0.0 && !fixed(m); };
    double g = 0.0, held = 0.0, sum = 0.0;
    int k = 0;
    for (int m = 1; m <= n; ++m) {
        if (guessed(m)) {
            x(m) = u.modevalue[m];
            g += x(m);
        }
        if (guessed(m) || fixed(m)) {
            ++k;
            sum += x(m);
        }
        if (fixed(m)) held += x(m);
    }
    bool spread = true;
    if (k == 0) {
        sum = 0.0;
    } else if (k == n) {
        spread = false;
        // The guessed modes take up what the held ones leave; only held
        // modes that alone exceed 1 cannot be met.
        if (g > 0.0) {
            if (held > 1.0) bomb("setmodeguess", "mode isopleths not sum to 1", 0);
            for (int m = 1; m <= n; ++m)
                if (!fixed(m)) x(m) *= (1.0 - sum) / g + 1.0;
        }
    } else if (sum >= 1.0) {
        // Leave 0.01 for each mode still to be spread.
        sum = 1.0 - 0.01 * (n - k);
        if (g > 0.0) {
            if (held > sum) bomb("setmodeguess", "mode isopleths sum to >1", 0);
            for (int m = 1; m <= n; ++m)
                if (guessed(m)) x(m) *= (sum - held) / g;
        }
    }
    if (spread) {
        // The rest rises evenly by 2/(5 n) across the modes without a guess.
        const int left = n - k;
        int c = 0;
        for (int m = 1; m <= n; ++m) {
            if (guessed(m) || fixed(m)) continue;
            ++c;
            x(m) = left == 1 ? 1.0 - sum
                             : (1.0 - sum) * (1.0 / left + (2.0 * (c - 1) / (left - 1) - 1.0) / (5.0 * n));
        }
    }
    double total = 0.0;
    for (int m = 1; m <= n; ++m) total += x(m);
    if (std::fabs(total - 1.0) > 1e-5) modesumproblem(total);
}

void extract(SolveState& s, bool& keep)
{
    numerics::Unknowns& u = unk;
    numerics::ResultRec& r = numerics::result;
    const runio::Windows& w = runio::win;
    const runio::ScriptFlags& sf = runio::scriptflags;
    // A P or T beyond its window by 1 fails the window test of the point.
    auto limited = [](double v, double lo, double hi) { return v > hi ? hi + 1.0 : v < lo ? lo - 1.0 : v; };
    for (int i = 1; i <= u.nvar + u.nmodes; ++i)
        if (u.xfree[i]) u.nlex[i] = (u.nlex[i] - u.xoffset[i]) / u.xscale[i];
    const double p = u.xfree[1] ? limited(u.nlex[1], w.plow, w.phigh) : u.nlex[1];
    const double t = u.xfree[2] ? limited(u.nlex[2], w.tlow, w.thigh) : u.nlex[2];
    keep = true;
    if (sf.modesinnle) {
        int count = 0;
        numerics::phaseatoms(s.phases, s.phaseatoms, s.phaseatomsfree, count);
        const numerics::PhaseChoice& pc = numerics::phchoice;
        double all = 0.0, inbulk = 0.0;
        for (int m = 1; m <= u.nmodes; ++m) {
            const double v = u.nlex[u.nvar + m];
            all += v;
            if (!pc.isnobulk[modephaseno(m)]) inbulk += v;
        }
        for (int i = 1; i <= u.nvar; ++i) s.normmodes[i] = u.nlex[i];
        for (int m = 1; m <= u.nmodes; ++m) {
            double& v = u.nlex[u.nvar + m];
            s.normmodes[u.nvar + m] = v / inbulk;
            v /= all;
        }
    } else if (sf.modesafternle) {
        bool ok = false;
        numerics::calcmodesafternle(s.phases, ok, s.reactiontext, s.phaseatoms, s.phaseatomsfree);
        keep = ok;
        if (!ok) s.nlecode = 8;
    }
    r.p = p;
    r.t = t;
    int entry = 0, m = 0;
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e]) continue;
        numerics::ResPhase& ent = r.ph[++entry];
        for (int v = 1; v <= ent.nems - 1; ++v) ent.varval[v] = u.nlex[ent.firstx + v - 1];
        if (!ent.show)
            ent.mode[1] = -1.0;
        else if (sf.modesinnle)
            ent.mode[1] = u.nlex[u.nvar + ++m];
    }
    for (int k = 1; k <= ph.npure; ++k) {
        if (!s.phases[ph.nss + k]) continue;
        numerics::ResPhase& ent = r.ph[++entry];
        if (!ent.show)
            ent.mode[1] = -1.0;
        else if (sf.modesinnle)
            ent.mode[1] = u.nlex[u.nvar + ++m];
    }
    if (entry != r.nphases) bomb("extract", "number of phases in summary does not match", 0);
}

void postprocess(SolveState& s)
{
    const numerics::Unknowns& u = unk;
    numerics::ResultRec& r = numerics::result;
    const thermodata::Components& cs = thermodata::comps;
    numerics::CompVector comp{};
    int entry = 0;
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e]) continue;
        numerics::ResPhase& ent = r.ph[++entry];
        const axmodels::SolPhase& sp = ph.prec1[u.emphase[e]];
        for (int k = 1; k <= sp.nsf; ++k) ent.sf[k] = axmodels::evalpoly(sp.sf[k], ent.varval.data(), 1);
        numerics::phasebulk(e, comp);
        for (int c = 1; c <= cs.ncomp; ++c) ent.comp[c] = comp[c];
    }
    for (int k = 1; k <= ph.npure; ++k) {
        if (!s.phases[ph.nss + k]) continue;
        numerics::ResPhase& ent = r.ph[++entry];
        for (int c = 1; c <= cs.ncomp; ++c)
            ent.comp[c] = ph.prec0[k].comp[c] / static_cast<double>(cs.compmult[c]);
    }
    // mode x factor is the amount of the phase in formula units.
    const bool pseudo = runio::scriptflags.pseudosection;
    for (int i = 1; i <= r.nphases; ++i) {
        numerics::ResPhase& ent = r.ph[i];
        double atoms = 0.0;
        for (int c = 1; c <= cs.ncomp; ++c) atoms += ent.comp[c] * cs.compatoms[c];
        for (int v = 1; v <= r.nmodevec; ++v)
            ent.factor[v] = pseudo && atoms != 0.0 ? bulkrowatoms(r.bulkrows[r.vecrow[v]], r.nfree) / atoms : 0.0;
    }
    if (numerics::phchoice.phaseprops) {
        const runio::Windows& w = runio::win;
        numerics::calcgphase(s.phases, u.nlex, r.p, r.t, w.xco2, w.xh2o);
        if (r.nmodevec > 0) solveglobals.systemg = r.sysg[1];
    }
}

}  // namespace phasediagram
