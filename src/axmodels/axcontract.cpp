// Contraction of a solution phase to the smaller model left when some of its
// compositional variables are held at zero, and the variable-limit rows the
// solver takes from single-product site fractions.
#include "axmodels/axread.h"
#include "runio/runio.h"

namespace axmodels {

namespace {

using ZeroSet = runio::Arr<bool, maxsolem + 1>;

// Variable indices of an expression after the variables have been renumbered.
void renumbervariables(SfExpr& e, const runio::Arr<int, maxsolem + 1>& newvar)
{
    for (int k = 1; k <= e.n; ++k) {
        SXTerm& s = e.t[k];
        for (int j = 1; j <= s.n; ++j) {
            XTerm& x = s.x[j];
            for (int t = 1; t <= x.n; ++t) {
                int& v = x.var[t];
                v = newvar[v];
            }
        }
    }
}

void showwrongsize(const SolPhase& s)
{
    std::string text = "\n\nproblem in ";
    runio::addfield(s.name, 6, text);
    runio::addrealshort(s.n, 3, text);
    runio::addrealshort(s.nvar, 3, text);
    text += "\n";
    for (int i = 1; i <= s.n; ++i) text += s.em[i].name + "  ";
    text += "\n";
    for (int i = 1; i <= s.nvar; ++i) text += s.var[i].name + "  ";
    text += "\n";
    runio::screenwrite(text);
}

}  // namespace

bool emabsent(SfExpr& e, const ZeroSet& zeroed)
{
    int kept = 0;
    for (int k = 1; k <= e.n; ++k) {
        SXTerm s = e.t[k];
        s.factor = 1.0;
        for (int j = 1; j <= s.n; ++j) {
            XTerm& x = s.x[j];
            if (x.n == 0) continue;
            int left = 0;
            for (int t = 1; t <= x.n; ++t) {
                if (zeroed[x.var[t]]) continue;
                ++left;
                x.tp[left] = x.tp[t];
                x.tq[left] = x.tq[t];
                x.var[left] = x.var[t];
            }
            x.n = left;
            // a form that is identically 0 makes its whole product vanish
            if (left == 0 && x.p == 0) s.factor = 0.0;
        }
        if (s.factor == 0.0) s.n = 0;
        if (s.n == 0) continue;
        e.t[++kept] = s;
    }
    e.n = kept;
    e.t.resize(kept + 1);
    return kept == 0;
}

void contractphase(int k)
{
    SolPhase& s = ph.prec1[k];
    ZeroSet zeroed{};
    for (int i = 1; i <= s.nvar; ++i)
        zeroed[i] = s.var[i].guess == 0.0;
    s.contracted = true;
    s.nasread = s.n;
    const int n0 = s.n;

    // New numbers of the variables that stay.
    runio::Arr<int, maxsolem + 1> newvar{};
    int nv = 0;
    for (int i = 1; i <= s.nvar; ++i)
        if (!zeroed[i]) newvar[i] = ++nv;

    // End-members whose proportion vanishes identically are dropped.
    runio::Arr<int, maxsolem + 1> newem{};
    int ne = 0;
    for (int i = 1; i <= n0; ++i) {
        const bool absent = emabsent(s.prop[i], zeroed);
        s.emkept[i] = !absent;
        if (absent) continue;
        const auto to = ++ne;
        newem[i] = ne;
        EmRec& e = s.em[i];
        // The composition at which the end-member is pure is kept in the new
        // variables when it lies in the smaller model; otherwise it is dropped.
        if (e.checkdiv > 0) {
            bool inmodel = true;
            runio::Arr<int, maxsolem + 1> num{};
            for (int v = 1; v <= s.nvar; ++v) {
                if (zeroed[v])
                    inmodel = inmodel && e.checknum[v] == 0;
                else
                    num[newvar[v]] = e.checknum[v];
            }
            e.checknum = num;
            if (!inmodel) e.checkdiv = 0;
        }
        if (to != i) {
            s.prop[to] = s.prop[i];
            s.em[to] = s.em[i];
            s.em[to].checkdiv = 0;
            s.sizea[to] = s.sizea[i];
            s.sizeb[to] = s.sizeb[i];
            s.sizec[to] = s.sizec[i];
        }
    }

    // Interaction pairs of two kept end-members, in pair order of the new numbering.
    runio::Arr<int, maxpairs + 1> newpair{};
    int np = 0, kp = 0;
    for (int i = 1; i < n0; ++i) {
        for (int j = i + 1; j <= n0; ++j) {
            const auto from = ++kp;
            if (!s.emkept[i] || !s.emkept[j]) continue;
            const auto to = ++np;
            newpair[from] = np;
            s.wa[to] = s.wa[from];
            s.wb[to] = s.wb[from];
            s.wc[to] = s.wc[from];
            s.wsd[to] = s.wsd[from];
            s.wname[to] = s.wname[from];
            s.wsddefaulted[to] = s.wsddefaulted[from];
        }
    }
    s.nw = np;
    int ng = 0;
    for (int g = 1; g <= s.ngterm; ++g) {
        const auto [w, i, j] = s.gterm[g];
        if (!s.emkept[i] || !s.emkept[j]) continue;
        s.gterm[++ng] = {newpair[w],
                                                   newem[i],
                                                   newem[j]};
    }
    s.ngterm = ng;

    for (int i = 1; i <= s.nvar; ++i)
        if (newvar[i] != 0)
            s.var[newvar[i]] = s.var[i];
    s.nvar = nv;
    if (nv >= 1) {
        s.hasorder = false;
        for (int i = 1; i <= nv; ++i) s.hasorder = s.hasorder || s.var[i].isorder;
    }

    s.n = ne;
    if (s.nvar + 1 != s.n) {
        showwrongsize(s);
        runio::bomb("setupphases", "contraction wrong size", 0);
    }
    for (int i = 1; i <= s.n; ++i) renumbervariables(s.prop[i], newvar);

    // Site fractions that vanish identically are dropped.
    runio::Arr<int, maxsf + 1> newsf{};
    int nsf = 0;
    for (int j = 1; j <= s.nsf; ++j) {
        if (emabsent(s.sf[j], zeroed)) continue;
        const auto to = ++nsf;
        newsf[j] = nsf;
        if (to != j) {
            s.sf[to] = s.sf[j];
            s.sfname[to] = s.sfname[j];
        }
    }
    s.nsf = nsf;
    // A kept end-member whose ideal-mixing term names a dropped site fraction
    // keeps that term with index 0; its ideal activity is then 0.
    for (int i = 1; i <= s.n; ++i) {
        EmRec& e = s.em[i];
        for (int t = 1; t <= e.nterms; ++t) {
            int& sf = e.term[t].sf;
            sf = newsf[sf];
        }
    }
    for (int j = 1; j <= s.nsf; ++j) renumbervariables(s.sf[j], newvar);
}

void setvarlim(const SfExpr& e, int j, int k, int n, SolPhase& s)
{
    const XTerm& x = e.t[j].x[k];
    if (x.n < 2) return;
    runio::Arr<int, maxsolem + 1> num{}, den{};
    den.fill(1);
    for (int t = 1; t <= x.n; ++t) {
        const auto v = x.var[t];
        num[v] = x.tp[t];
        den[v] = x.tq[t];
    }
    num[n] = x.p;
    den[n] = x.q;
    for (int r = 1; r <= s.nvarlim; ++r) {
        bool same = true;
        for (int c = 1; c <= n && same; ++c)
            same = s.varlimnum[r][c] ==
                       num[c] &&
                   s.varlimden[r][c] ==
                       den[c];
        if (same) return;
    }
    if (s.nvarlim + 1 > maxvarlim) {
        runio::putstr(1, std::string(2, runio::bulletsign) + " insufficient space to store variable limits...", 1,
                      runio::mlog);
        runio::bomb("setvarlim", "increase mmaxnvarlim", 0);
    }
    ++s.nvarlim;
    s.varlimnum[s.nvarlim] = num;
    s.varlimden[s.nvarlim] = den;
}

}  // namespace axmodels
