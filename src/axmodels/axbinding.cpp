// The script's Monte Carlo items bound to the model parameters they perturb
// (interaction energies W, van Laar sizes, DQF increments, each a + bT + cP in
// kJ, K, kbar), the items renumbered when their phase is contracted, and the
// phases that share the coding of another phase ("samecoding").
#include <algorithm>

#include "axmodels/axread.h"
#include "runio/runio.h"
#include "runio/scriptset.h"

namespace axmodels {

namespace {

// Number of the solution phase of that name, 0 when none.
int findsolphase(const std::string& name)
{
    for (int k = 1; k <= ph.nss; ++k)
        if (ph.prec1[k].name == name) return k;
    return 0;
}

// Position of the parameter a reference names in its phase: the W term of
// that name, or the end-member whose size or DQF label matches. 0 when no
// parameter bears the label, -1 for a kind that names no parameter.
int findparam(const SolPhase& s, const runio::McRef& r)
{
    switch (r.kind) {
    case 1:
        for (int k = 1; k <= s.nw; ++k)
            if (s.wname[k] == r.varname) return k;
        return 0;
    case 2:
    case 3: {
        const std::string open = r.kind == 2 ? "a(" : "DQF(";
        for (int i = 1; i <= s.n; ++i)
            if (open + s.em[i].name + ")" == r.varname) return i;
        return 0;
    }
    default:
        return -1;
    }
}

// Finds the phase and the parameter of a reference; the three messages are
// for a missing phase, a bad kind and a missing parameter.
void bindref(runio::McRef& r, const std::string& nophase, const std::string& badkind, const std::string& noparam)
{
    const int k = findsolphase(r.phases[1]);
    if (k == 0) runio::bomb("read", nophase, 0);
    const int p = findparam(ph.prec1[k], r);
    if (p < 0) runio::bomb("read", badkind, 0);
    if (p == 0) runio::bomb("read", noparam, 0);
    r.paramindex = p;
}

// The part a, b or c of a parameter written as a + bT + cP.
double& abcpart(double& a, double& b, double& c, int coef, const std::string& badcode)
{
    switch (coef) {
    case 1: return a;
    case 2: return b;
    case 3: return c;
    default: runio::bomb("read", badcode, 0);
    }
}

// The item's value becomes the phase's parameter, so that every Monte Carlo
// pass perturbs around the value the script gives.
void writeitem(SolPhase& s, const runio::McItem& it)
{
    const runio::McRef& r = it.ref;
    const auto p = r.paramindex;
    switch (r.kind) {
    case 1:
        abcpart(s.wa[p], s.wb[p], s.wc[p], r.coef, "finding kp in mc: bad abc code (1)") = it.value;
        break;
    case 2:
        abcpart(s.sizea[p], s.sizeb[p], s.sizec[p], r.coef, "finding kp in mc: bad abc code (2)") = it.value;
        break;
    case 3: {
        EmRec& e = s.em[p];
        abcpart(e.dqfa, e.dqfb, e.dqfc, r.coef, "finding kp in mc: bad abc code (3)") = it.value;
        e.dqfperturbed[r.coef] = true;
        break;
    }
    default:
        runio::bomb("read", "finding kp in mc (2b)", 0);
    }
}

// New index of a parameter once the contraction has kept only some of the
// n0 end-members as read: pairs are counted among the kept ones in the order
// (1,2), (1,3) ... (2,3) ..., end-members among the kept ones in order. A
// parameter of a dropped end-member no longer exists in the phase and gets 0,
// which addresses no parameter, rather than the index of a neighbouring one.
int keptindex(const SolPhase& s, int kind, int old)
{
    auto kept = [&](int i) { return s.emkept[i]; };
    const int n0 = s.nasread;
    if (kind == 1) {
        int pair = 0, newpair = 0;
        for (int i = 1; i < n0; ++i) {
            for (int j = i + 1; j <= n0; ++j) {
                ++pair;
                const bool both = kept(i) && kept(j);
                if (both) ++newpair;
                if (pair == old) return both ? newpair : 0;
            }
        }
        return 0;
    }
    if (old < 1 || old > n0 || !kept(old)) return 0;
    int count = 0;
    for (int i = 1; i <= old; ++i)
        if (kept(i)) ++count;
    return count;
}

// Name of a variable of a copy: the template's variable name keeps what comes
// before the template's own name, as x( of x(g), and takes the copy's name.
std::string copiedvarname(const std::string& varname, const std::string& templ, const std::string& copy)
{
    const auto keep = static_cast<long>(varname.size()) - static_cast<long>(templ.size()) - 1;
    return varname.substr(0, static_cast<std::size_t>(std::max(0L, keep))) + copy + ")";
}

bool hasguess(const std::string& name)
{
    const runio::ScriptTables& st = runio::scripttabs;
    for (int i = 1; i <= st.nxyzguess; ++i)
        if (st.xyzguesses[i].name == name) return true;
    return false;
}

bool inwith(const std::string& name)
{
    const runio::ScriptTables& st = runio::scripttabs;
    for (int i = 1; i <= st.nwith; ++i)
        if (st.withnames[i] == name) return true;
    return false;
}

// Phase t copied into the place right after it, under the new name.
void insertcopy(int t, const std::string& name)
{
    if (ph.nss + 1 > maxnp) runio::bomb("setup phases", "too many ss phases (in making samecoding phases)", 0);
    ++ph.nph;
    ++ph.nss;
    for (int k = ph.nss; k > t + 1; --k)
        ph.prec1[k] = std::move(ph.prec1[k - 1]);
    SolPhase& c = ph.prec1[t + 1];
    c = ph.prec1[t];
    const std::string templ = c.name;
    c.name = name;
    for (int v = 1; v <= c.nvar; ++v) {
        XyzVar& x = c.var[v];
        x.name = copiedvarname(x.name, templ, name);
    }
}

}  // namespace

void bindmcitems()
{
    runio::McTables& m = runio::mcs;
    if (m.nmc > 0 && ph.nss > 0) {
        for (int i = 1; i <= m.nmc; ++i) {
            runio::McItem& it = m.mcitems[i];
            bindref(it.ref, "finding kp in mc (1)", "finding kp in mc (2a)", "finding kp in mc (3)");
            writeitem(ph.prec1[findsolphase(it.ref.phases[1])], it);
        }
    }
    // A correlation only pairs two items' draws: nothing goes into the phases.
    // One given without parameter words names no parameter to find.
    for (int i = 1; i <= m.nmccorr; ++i) {
        runio::McCorr& c = m.mccorrs[i];
        if (!c.named) continue;
        bindref(c.ref1, "finding kp1 in mccorr (1)", "finding kp1 in mccorr (2)", "finding kp1 in mccorr (3)");
        bindref(c.ref2, "finding kp1 in mccorr (1)", "finding kp2 in mccorr (2)", "finding kp2 in mccorr (3)");
    }
}

void renumbermcitems(int k)
{
    // One item is found per pass over the items, and the passes are bounded:
    // at most 48 items may name one contracted phase.
    constexpr int maxpasses = 50;
    runio::McTables& m = runio::mcs;
    const SolPhase& s = ph.prec1[k];
    int last = 0;
    for (int pass = 1;; ++pass) {
        if (pass >= maxpasses) runio::bomb("read", "boilover in kp decrease", 0);
        int found = 0;
        for (int i = last + 1; i <= m.nmc && found == 0; ++i)
            if (m.mcitems[i].ref.phases[1] == s.name) found = i;
        if (found == 0) return;
        runio::McRef& r = m.mcitems[found].ref;
        r.paramindex = keptindex(s, r.kind, r.paramindex);
        last = found;
    }
}

void makesamecoding()
{
    runio::ScriptTables& st = runio::scripttabs;
    if (thermodata::ds.dsnew) {
        for (int g = 1; g <= st.nsamecoding; ++g) {
            const runio::SameCoding& group = st.samecodings[g];
            const int t = findsolphase(group.names[1]);
            if (t == 0) continue;
            // copies go in right after the template, whose place does not move
            for (int i = 2; i <= group.n; ++i) {
                const SolPhase& templ = ph.prec1[t];
                const std::string& name = group.names[i];
                // A copy needs its own starting guesses: its first variable must be
                // among the script's guesses under the copy's name.
                if (hasguess(copiedvarname(templ.var[1].name, templ.name, name)))
                    insertcopy(t, name);
                else if (inwith(name))
                    runio::bomb("setup phases", "no xyzguess for samecoding phase " + name, 0);
            }
        }
    }
    for (int g = 1; g <= st.nsamecoding; ++g) {
        runio::SameCoding& group = st.samecodings[g];
        int kept = 0;
        for (int i = 1; i <= group.n; ++i) {
            const int k = findsolphase(group.names[i]);
            if (k == 0) continue;
            ++kept;
            group.names[kept] = group.names[i];
            group.phaseno[kept] = k;
        }
        group.n = kept;
    }
}

}  // namespace axmodels
