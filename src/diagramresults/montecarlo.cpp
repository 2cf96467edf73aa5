// Monte Carlo runs on the a-x parameters: each pass after the first draws
// new values of the chosen interaction energies W, van Laar sizes and DQF
// terms (each the a, b or c of a + bT + cP; kJ, K, kbar) around the values
// the phases held at set-up, uniformly within +- the half-width (two
// standard deviations) or from normal distributions, correlated through the
// Choleski factor of their covariance matrix.  Items linked to a shared
// range move with that range's deviation, or with a linear function of
// several ranges.  The set-up lists the perturbation in the drawing-program
// file, ahead of the results of the passes.
#include <algorithm>
#include <cmath>

#include "diagramresults/diagramresults.h"
#include "diagramresults/repeatpasses.h"
#include "diagramresults/resultwork.h"
#include "runio/scriptset.h"

namespace diagramresults {

McState mc;

namespace {

using runio::bomb;
using runio::inttext;
using runio::McItem;

constexpr double twopi = 6.28319;     // the Box-Muller angle, to the precision the draws were made with
constexpr double choleskitol = 1e-8;  // |L L^T - C| allowed, per entry

runio::McTables& tables() { return runio::mcs; }
int nfuncs() { return tables().nmcfunc > 0 ? tables().nmcfunc : 0; }
int ncorrs() { return tables().nmccorr > 0 ? tables().nmccorr : 0; }

// The a, b or c part of a parameter a + bT + cP.
double& abcpart(double& a, double& b, double& c, int coef, const char* where)
{
    switch (coef) {
    case 1: return a;
    case 2: return b;
    case 3: return c;
    default: bomb(where, "bad abc code", 0);
    }
}

// The parameter an item names in solution phase k; nullptr when the phase
// has no such parameter (its pair or end-member was left out of it).
double* parameter(const runio::McRef& r, int k, const char* where)
{
    axmodels::SolPhase& s = axmodels::ph.prec1[k];
    const int p = r.paramindex;
    switch (r.kind) {
    case 1:
        if (p < 1 || p > s.nw) return nullptr;
        return &abcpart(s.wa[p], s.wb[p], s.wc[p], r.coef, where);
    case 2:
        if (p < 1 || p > s.n) return nullptr;
        return &abcpart(s.sizea[p], s.sizeb[p], s.sizec[p], r.coef, where);
    case 3: {
        if (p < 1 || p > s.n) return nullptr;
        thermodata::TdRow& slots = s.em[p].slots;
        return &abcpart(slots[thermodata::sH], slots[thermodata::sS], slots[thermodata::sV], r.coef, where);
    }
    default:
        bomb(where, "bad variable code", 0);
    }
}

void putparameter(const McItem& it, double value)
{
    for (int j = 1; j <= it.ref.nphases; ++j) {
        double* p = parameter(it.ref, it.ref.phaseno[j], "domontecarlo");
        if (p != nullptr) *p = value;
    }
}

// The DQF term of an item's end-member in its first phase, as the a-x file
// writes it (G increment a + bT + cP).
double dqfterm(const McItem& it)
{
    const axmodels::SolPhase& s = axmodels::ph.prec1[it.ref.phaseno[1]];
    const int p = it.ref.paramindex;
    if (p < 1 || p > s.n) return 0.0;
    const axmodels::EmRec& e = s.em[p];
    switch (it.ref.coef) {
    case 1: return e.dqfa;
    case 2: return e.dqfb;
    case 3: return e.dqfc;
    default: bomb("domontecarlo", "bad abc code", 0);
    }
}

// The label of item i, from its first phase's end-member names.
std::string makelabel(const McItem& it)
{
    const axmodels::SolPhase& s = axmodels::ph.prec1[it.ref.phaseno[1]];
    auto emname = [&](int m) { return m >= 1 && m <= s.n ? s.em[m].name : std::string("?"); };
    std::string inner;
    switch (it.ref.kind) {
    case 1: {
        int pair = 0, a = 0, b = 0;
        for (int i = 1; i < s.n && a == 0; ++i)
            for (int j = i + 1; j <= s.n; ++j)
                if (++pair == it.ref.paramindex) {
                    a = i;
                    b = j;
                    break;
                }
        inner = "w(" + emname(a) + "," + emname(b) + ")";
        break;
    }
    case 2: inner = "a(" + emname(it.ref.paramindex) + ")"; break;
    case 3: inner = "DQF(" + emname(it.ref.paramindex) + ")"; break;
    default: bomb("domontecarlo", "bad variable code", 0);
    }
    if (it.ref.coef < 1 || it.ref.coef > 3) bomb("domontecarlo", "bad abc code", 0);
    inner += "abc"[it.ref.coef - 1];
    // Cut to the name length, keeping both quotes so that the lists stay whole.
    const auto inside = static_cast<std::size_t>(runio::namelen - 2);
    if (inner.size() > inside) inner.resize(inside);
    return "\"" + inner + "\"";
}

std::string unquoted(const std::string& label) { return label.substr(1, label.size() - 2); }

int solphasenumber(const std::string& name)
{
    const axmodels::Phases& p = axmodels::ph;
    for (int k = 1; k <= p.nss; ++k)
        if (p.prec1[k].name == name) return k;
    return 0;
}

int rangenumber(const std::string& name)
{
    for (int r = 1; r <= nmcranges(); ++r)
        if (tables().mcranges[r].name == name) return r;
    return 0;
}

void findphases(runio::McRef& r, const std::string& message)
{
    for (int j = 1; j <= r.nphases; ++j) {
        r.phaseno[j] = solphasenumber(r.phases[j]);
        if (r.phaseno[j] == 0) bomb("setupmontecarlo", message + r.phases[j] + "\"", 0);
    }
}

// The item without a link that an item correlation names: the first item
// whose first phase and parameter match; 0 when there is none, or when that
// item follows a range and so has no draw of its own.
int correlatedvariable(const runio::McRef& r)
{
    for (int i = 1; i <= nmcitems(); ++i) {
        const runio::McRef& q = tables().mcitems[i].ref;
        if (q.phaseno[1] == r.phaseno[1] && q.paramindex == r.paramindex && q.kind == r.kind && q.coef == r.coef)
            return mc.itemvar[i];
    }
    return 0;
}

void screenline(const std::string& text) { putstr(0, text, 1, runio::mscreen); }

// The random variables, their standard deviations and, with correlations,
// the Choleski factor of their covariance matrix, listed on the screen.
void setupgaussian()
{
    McState& m = mc;
    const int nr = nmcranges();
    int n = nr;
    for (int i = 1; i <= nmcitems(); ++i) {
        m.itemvar[i] = 0;
        if (tables().mcitems[i].link != 0) continue;
        if (n + 1 > maxmcvar) bomb("setupmontecarlo", "too many random variables" + runio::maxlabel(maxmcvar), 0);
        m.itemvar[i] = ++n;
        m.varitem[n] = i;
    }
    m.nvar = n;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) m.mccov[i][j] = 0.0;
    for (int r = 1; r <= n; ++r)
        m.mccov[r][r] = 0.5 * (r <= nr ? tables().mcranges[r].halfwidth : tables().mcitems[m.varitem[r]].halfwidth);

    std::string& line = runio::chans.line3;
    screenline("");
    line.clear();
    addfield(inttext(nr), 3, line);
    addfield(inttext(n - nr), 3, line);
    screenline(line + " 2sd");
    for (int r = 1; r <= n; ++r) {
        line.clear();
        addfield(r <= nr ? tables().mcranges[r].name : tables().mcitems[m.varitem[r]].ref.phases[1], 6, line);
        addreal(2.0 * m.mccov[r][r], 2, true, 10, line);
        screenline(line);
    }

    m.correlated = ncorrs() > 0;
    if (!m.correlated) return;
    auto& c = m.mccovin;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) c[i][j] = i == j ? m.mccov[i][i] * m.mccov[i][i] : 0.0;
    for (int k = 1; k <= ncorrs(); ++k) {
        const runio::McCorr& cr = tables().mccorrs[k];
        int i, j;
        if (!cr.named) {
            i = rangenumber(cr.ref1.phases[1]);
            j = rangenumber(cr.ref2.phases[1]);
        } else {
            i = correlatedvariable(cr.ref1);
            j = correlatedvariable(cr.ref2);
        }
        // A correlation of a variable with itself would overwrite its variance.
        if (i == 0 || j == 0 || i == j) continue;
        c[i][j] = c[j][i] = cr.corr * m.mccov[i][i] * m.mccov[j][j];
    }
    screenline("");
    screenline("covariance matrix");
    for (int i = 1; i <= n; ++i) {
        line.clear();
        for (int j = 1; j <= n; ++j) addreal(c[i][j], 6, true, 11, line);
        screenline(line);
    }
    screenline("");
    screenline("correlation matrix");
    for (int i = 1; i <= n; ++i) {
        line.clear();
        for (int j = 1; j <= n; ++j) addreal(c[i][j] / std::sqrt(c[i][i] * c[j][j]), 4, true, 8, line);
        screenline(line);
    }

    // C = L L^T, row by row.
    auto& l = m.mccov;
    screenline("");
    for (int i = 1; i <= n; ++i) {
        line.clear();
        addfield(inttext(i), 2, line);
        for (int j = 1; j < i; ++j) {
            double sum = c[i][j];
            for (int k = 1; k < j; ++k) sum -= l[i][k] * l[j][k];
            l[i][j] = sum / l[j][j];
            addreal(l[i][j], 4, true, 10, line);
        }
        double d = c[i][i];
        for (int k = 1; k < i; ++k) d -= l[i][k] * l[i][k];
        addreal(d > 0.0 ? std::sqrt(d) : d, 4, true, 10, line);
        screenline(line);
        if (!(d > 0.0)) bomb("setupmc", "choleski not positive definite", 0);
        l[i][i] = std::sqrt(d);
        for (int j = i + 1; j <= n; ++j) l[i][j] = 0.0;
    }
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            double sum = 0.0;
            for (int k = 1; k <= n; ++k) sum += l[i][k] * l[j][k];
            if (std::fabs(sum - c[i][j]) > choleskitol) bomb("setupmc", "choleski check fails", 0);
        }
}

// ---------------------------------------------------------------- header lists of the drawing-program file
void pxline(const std::string& text) { putstr(0, text, 1, runio::mpx); }

// "value, half-width", to 4 decimals.
void addvaluewidth(double value, double width, std::string& line)
{
    addreal(value, 4, true, 0, line);
    line += ", ";
    addreal(width, 4, true, 0, line);
}

void mcinfolist()
{
    std::string& line = runio::chans.line3;
    bool any = false;
    for (int i = 1; i <= nmcitems(); ++i) {
        const McItem& it = tables().mcitems[i];
        if (it.link != 0) continue;
        if (any) pxline(line + ",");
        line = any ? "           {" : " mcinfo = {{";
        any = true;
        line += mc.label[i] + ", ";
        addvaluewidth(it.ref.kind == 3 ? dqfterm(it) : mc.base[i], it.halfwidth, line);
        line += "}";
    }
    pxline(any ? line + "};" : " mcinfo = {};");
    pxline("");
}

void mcrangelist()
{
    std::string& line = runio::chans.line3;
    const int nr = nmcranges();
    for (int r = 1; r <= nr; ++r) {
        const runio::McRange& rg = tables().mcranges[r];
        line = r == 1 ? " mcrange = {{{" : "            {{";
        line += "\"" + rg.name + "\", ";
        addvaluewidth(rg.value, rg.halfwidth, line);
        line += "}, {";
        int n = 0;
        for (int i = 1; i <= nmcitems(); ++i) {
            const McItem& it = tables().mcitems[i];
            if (it.link != r || it.relation <= -2) continue;
            line += (n++ > 0 ? ", " : "") + mc.label[i];
        }
        int nterm = 0;
        for (int f = 1; f <= nfuncs(); ++f) {
            const runio::McFunc& fn = tables().mcfuncs[f];
            for (int t = 1; t <= fn.nterms; ++t) {
                if (fn.range[t] != r) continue;
                if (n++ > 0) line += ", ";
                if (nterm > 0 && nterm % 6 == 0) {
                    pxline(line);
                    line = runio::spaces(38);
                }
                ++nterm;
                line += "{\"func" + inttext(f) + "\", \"term" + inttext(t) + "\"}";
            }
        }
        pxline(line + (r == nr ? "}}};" : "}},"));
    }
    if (nr == 0) pxline(" mcrange = {};");
    pxline("");
}

void mcfunclist()
{
    std::string& line = runio::chans.line3;
    const int nf = nfuncs();
    for (int f = 1; f <= nf; ++f) {
        const runio::McFunc& fn = tables().mcfuncs[f];
        line = f == 1 ? " mcfunc = {{" : "           {";
        line += "(* " + inttext(f) + " *) \"" + fn.name + "\", ";
        addreal(fn.base, 4, true, 0, line);
        line += ", ";
        for (int t = 1; t <= fn.nterms; ++t) {
            if (t > 1) line += ", ";
            if (t == 9 || t == 17) {
                pxline(line);
                line = runio::spaces(13);
            }
            addreal(fn.coef[t], 4, true, 0, line);
            line += ", \"" + tables().mcranges[fn.range[t]].name + "\"";
        }
        pxline(line + (f == nf ? "}};" : "},"));
    }
    if (nf == 0) pxline(" mcfunc = {};");
    pxline("");
}

// A filter bound: P to 0.1 kbar, T in whole degrees C, other unknowns to 4 decimals.
std::string boundtext(int kind, double x)
{
    if (kind == 1) return realstr(x, 1, true);
    if (kind == 2) return runio::realstrshort(std::nearbyint(celsius(x)));
    return realstr(x, 4, true);
}

void filterlist()
{
    const runio::BatchTables& bt = runio::batches;
    std::string& line = runio::chans.line3;
    if (!bt.flittersgiven) {
        pxline(" filter = {{}};");
        pxline("");
        return;
    }
    for (int b = 1; b <= bt.nbatch; ++b) {
        const runio::BatchRec& r = bt.batchrec[b];
        const int npt = r.npt < 1 ? 1 : r.npt;
        for (int k = 1; k <= npt; ++k) {
            if (k == 1)
                line = (b == 1 ? " filter = {{" : "           {") + std::string(" (* ") +
                       inttext(bt.batchmap[b] > 0 ? bt.batchmap[b] : b) + " *) ";
            else
                line = runio::spaces(11);
            const bool lastset = k == npt, lastitem = b == bt.nbatch;
            const std::string close = lastset ? (lastitem ? "}};" : "},") : "";
            const int nf = k <= runio::maxbatchpt ? r.nfilter[k] : 0;
            if (nf == 0) {
                pxline(line + "{ }" + (close.empty() ? "," : " " + close));
                continue;
            }
            line += "{";
            for (int f = 1; f <= nf; ++f) {
                const runio::BatchFilter& fl = r.filters[k][f];
                line += " {" + inttext(fl.kind) + ", " + boundtext(fl.kind, fl.low) + ", " +
                        boundtext(fl.kind, fl.high) + "}";
                if (f < nf) {
                    line += ",";
                    if (f % 8 == 0) {
                        pxline(line);
                        line = runio::spaces(22);
                    }
                }
            }
            pxline(line + " }" + (close.empty() ? "," : close));
        }
    }
    pxline("");
}

}  // namespace

double normaldeviate(double mean, double sd)
{
    const double u1 = runio::whrandom();
    const double u2 = runio::whrandom();
    return mean + sd * std::sqrt(-2.0 * std::log(std::max(u1, 1e-10))) * std::cos(twopi * u2);
}

void setupmontecarlo(SolveState& s)
{
    runio::McTables& t = tables();
    numerics::progress.mcon = true;
    if (std::fabs(t.mcit) < 1e-8) bomb("solve", "mcit = 0", 0);
    // A negative count would make one unperturbed pass look like a finished run.
    if (t.mcit < 0.0) bomb("solve", "mcit below 0", 0);
    s.mccount = 0;
    phasediagram::solveglobals.mcwanted = runio::mcoutkind > 0 ? runio::mcoutkind : 0;
    for (int i = 1; i <= nmcitems(); ++i) findphases(t.mcitems[i].ref, "bad name ");
    for (int k = 1; k <= ncorrs(); ++k) {
        runio::McCorr& c = t.mccorrs[k];
        if (c.named) {
            findphases(c.ref1, "bad name1 ");
            findphases(c.ref2, "bad name2 ");
        } else {
            if (rangenumber(c.ref1.phases[1]) == 0)
                bomb("setupmontecarlo", "bad name1 " + c.ref1.phases[1] + "\"", 0);
            if (rangenumber(c.ref2.phases[1]) == 0)
                bomb("setupmontecarlo", "bad name2 " + c.ref2.phases[1] + "\"", 0);
        }
    }
    for (int r = 1; r <= nmcranges(); ++r) mc.deviation[r] = 0.0;
    mc.nvar = 0;
    mc.correlated = false;
    if (t.gaussmc) setupgaussian();

    for (int i = 1; i <= nmcitems(); ++i) {
        McItem& it = t.mcitems[i];
        const double* p = parameter(it.ref, it.ref.phaseno[1], "domontecarlo");
        mc.base[i] = p != nullptr ? *p : 0.0;
        it.current = mc.base[i];
        mc.label[i] = makelabel(it);
    }

    const runio::ScriptFlags& sf = runio::scriptflags;
    if (sf.debuglevel == 0 || given(runio::scriptset.mcdebug)) {
        mcinfolist();
        mcrangelist();
        mcfunclist();
        filterlist();
    }

    for (int i = 1; i <= nmcitems(); ++i) {
        const McItem& it = t.mcitems[i];
        if (it.link == 0) {
            mc.listvalue[i] = mc.base[i];
        } else if (it.link > 0) {
            mc.listvalue[i] = t.mcranges[it.link].value;
        } else {
            const runio::McFunc& f = t.mcfuncs[-it.link];
            double v = f.base;
            for (int k = 1; k <= f.nterms; ++k) v += f.coef[k] * t.mcranges[f.range[k]].value;
            mc.listvalue[i] = v;
        }
    }
}

void domontecarlo(SolveState&)
{
    runio::McTables& t = tables();
    McState& m = mc;
    const int debug = runio::scriptflags.debuglevel;
    if (debug > 0 && nmcitems() > 0) {
        putstr(1, repeated('_', 78), 1, runio::msol);
        putstr(0, "                      original     this mc  difference    original     this mc", 1, runio::msol);
    }

    // Normal deviates of every variable: independent, or correlated through L.
    static runio::Arr<double, maxmcvar + 1> z{}, u{};
    if (t.gaussmc) {
        if (!m.correlated) {
            for (int r = 1; r <= m.nvar; ++r) z[r] = normaldeviate(0.0, 1.0) * m.mccov[r][r];
        } else {
            for (int r = 1; r <= m.nvar; ++r) u[r] = normaldeviate(0.0, 1.0);
            for (int r = 1; r <= m.nvar; ++r) {
                double sum = 0.0;
                for (int k = 1; k <= r; ++k) sum += m.mccov[r][k] * u[k];
                z[r] = sum;
            }
        }
    }
    for (int r = 1; r <= nmcranges(); ++r)
        m.deviation[r] = t.gaussmc ? z[r] : (2.0 * runio::whrandom() - 1.0) * t.mcranges[r].halfwidth;

    for (int i = 1; i <= nmcitems(); ++i) {
        McItem& it = t.mcitems[i];
        const double base = m.base[i], w = it.halfwidth;
        double v;
        if (it.link == 0) {
            v = t.gaussmc ? base + z[m.itemvar[i]] : base + (2.0 * runio::whrandom() - 1.0) * w;
        } else {
            const double dev = it.link > 0 ? m.deviation[it.link] : 0.0;
            switch (it.relation) {
            case 0: v = base + dev; break;
            case -1: v = (base - w) + runio::whrandom() * (dev + w); break;
            case 1: v = (base + w) - runio::whrandom() * (w - dev); break;
            case -2: {
                const runio::McFunc& f = t.mcfuncs[-it.link];
                v = base;
                for (int k = 1; k <= f.nterms; ++k) v += f.coef[k] * m.deviation[f.range[k]];
                break;
            }
            default: bomb("domontecarlo", "bad rangecode", 0);
            }
        }
        it.current = v;
        m.listvalue[i] = v;
    }

    if (debug > 0) {
        std::string& line = runio::chans.line3;
        for (int i = 1; i <= nmcitems(); ++i) {
            const McItem& it = t.mcitems[i];
            const double diff = it.current - m.base[i];
            line.clear();
            addfield(unquoted(m.label[i]), -18, line);
            if (it.ref.kind == 3) {
                const double dqf = dqfterm(it);
                const double moved = itemshown(i, it.current);
                for (double x : {dqf, moved, moved - dqf, m.base[i], it.current}) addreal(x, 4, true, 12, line);
            } else {
                for (double x : {m.base[i], it.current, diff}) addreal(x, 4, true, 12, line);
            }
            putstr(0, line, i == nmcitems() ? 2 : 1, runio::msol);
        }
    }
    for (int i = 1; i <= nmcitems(); ++i) putparameter(t.mcitems[i], t.mcitems[i].current);
}

double itemshown(int i, double v)
{
    const McItem& it = tables().mcitems[i];
    if (it.ref.kind != 3) return v;
    const double diff = v - mc.base[i];
    return it.ref.coef == 2 ? dqfterm(it) - diff : dqfterm(it) + diff;
}

void restoremcbase()
{
    runio::McTables& t = tables();
    for (int i = 1; i <= nmcitems(); ++i) {
        t.mcitems[i].current = mc.base[i];
        putparameter(t.mcitems[i], mc.base[i]);
    }
}

}  // namespace diagramresults
