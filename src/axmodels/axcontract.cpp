// Contraction of a solution phase to the smaller model left when some of its
// compositional variables are held at zero, and the variable-limit rows the
// solver takes from single-product site fractions.
#include "axmodels/axread.h"
#include "runio/runio.h"

namespace axmodels {

namespace {

using ZeroSet = std::array<bool, maxsolem + 1>;

// Variable indices of an expression after the variables have been renumbered.
void renumbervariables(SfExpr& e, const std::array<int, maxsolem + 1>& newvar)
{
    for (int k = 1; k <= e.n; ++k) {
        SXTerm& s = e.t[static_cast<std::size_t>(k)];
        for (int j = 1; j <= s.n; ++j) {
            XTerm& x = s.x[static_cast<std::size_t>(j)];
            for (int t = 1; t <= x.n; ++t) {
                int& v = x.var[static_cast<std::size_t>(t)];
                v = newvar[static_cast<std::size_t>(v)];
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
    for (int i = 1; i <= s.n; ++i) text += s.em[static_cast<std::size_t>(i)].name + "  ";
    text += "\n";
    for (int i = 1; i <= s.nvar; ++i) text += s.var[static_cast<std::size_t>(i)].name + "  ";
    text += "\n";
    runio::screenwrite(text);
}

}  // namespace

bool emabsent(SfExpr& e, const ZeroSet& zeroed)
{
    int kept = 0;
    for (int k = 1; k <= e.n; ++k) {
        SXTerm s = e.t[static_cast<std::size_t>(k)];
        s.factor = 1.0;
        for (int j = 1; j <= s.n; ++j) {
            XTerm& x = s.x[static_cast<std::size_t>(j)];
            if (x.n == 0) continue;
            int left = 0;
            for (int t = 1; t <= x.n; ++t) {
                const auto tt = static_cast<std::size_t>(t);
                if (zeroed[static_cast<std::size_t>(x.var[tt])]) continue;
                ++left;
                x.tp[static_cast<std::size_t>(left)] = x.tp[tt];
                x.tq[static_cast<std::size_t>(left)] = x.tq[tt];
                x.var[static_cast<std::size_t>(left)] = x.var[tt];
            }
            x.n = left;
            // a form that is identically 0 makes its whole product vanish
            if (left == 0 && x.p == 0) s.factor = 0.0;
        }
        if (s.factor == 0.0) s.n = 0;
        if (s.n == 0) continue;
        e.t[static_cast<std::size_t>(++kept)] = s;
    }
    e.n = kept;
    e.t.resize(static_cast<std::size_t>(kept + 1));
    return kept == 0;
}

void contractphase(int k)
{
    SolPhase& s = ph.prec1[static_cast<std::size_t>(k)];
    ZeroSet zeroed{};
    for (int i = 1; i <= s.nvar; ++i)
        zeroed[static_cast<std::size_t>(i)] = s.var[static_cast<std::size_t>(i)].guess == 0.0;
    s.contracted = true;
    s.nasread = s.n;
    const int n0 = s.n;

    // New numbers of the variables that stay.
    std::array<int, maxsolem + 1> newvar{};
    int nv = 0;
    for (int i = 1; i <= s.nvar; ++i)
        if (!zeroed[static_cast<std::size_t>(i)]) newvar[static_cast<std::size_t>(i)] = ++nv;

    // End-members whose proportion vanishes identically are dropped.
    std::array<int, maxsolem + 1> newem{};
    int ne = 0;
    for (int i = 1; i <= n0; ++i) {
        const auto ii = static_cast<std::size_t>(i);
        const bool absent = emabsent(s.prop[ii], zeroed);
        s.emkept[ii] = !absent;
        if (absent) continue;
        const auto to = static_cast<std::size_t>(++ne);
        newem[ii] = ne;
        EmRec& e = s.em[ii];
        // The composition at which the end-member is pure is kept in the new
        // variables when it lies in the smaller model; otherwise it is dropped.
        if (e.checkdiv > 0) {
            bool inmodel = true;
            std::array<int, maxsolem + 1> num{};
            for (int v = 1; v <= s.nvar; ++v) {
                const auto vv = static_cast<std::size_t>(v);
                if (zeroed[vv])
                    inmodel = inmodel && e.checknum[vv] == 0;
                else
                    num[static_cast<std::size_t>(newvar[vv])] = e.checknum[vv];
            }
            e.checknum = num;
            if (!inmodel) e.checkdiv = 0;
        }
        if (to != ii) {
            s.prop[to] = s.prop[ii];
            s.em[to] = s.em[ii];
            s.em[to].checkdiv = 0;
            s.sizea[to] = s.sizea[ii];
            s.sizeb[to] = s.sizeb[ii];
            s.sizec[to] = s.sizec[ii];
        }
    }

    // Interaction pairs of two kept end-members, in pair order of the new numbering.
    std::array<int, maxpairs + 1> newpair{};
    int np = 0, kp = 0;
    for (int i = 1; i < n0; ++i) {
        for (int j = i + 1; j <= n0; ++j) {
            const auto from = static_cast<std::size_t>(++kp);
            if (!s.emkept[static_cast<std::size_t>(i)] || !s.emkept[static_cast<std::size_t>(j)]) continue;
            const auto to = static_cast<std::size_t>(++np);
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
        const auto [w, i, j] = s.gterm[static_cast<std::size_t>(g)];
        if (!s.emkept[static_cast<std::size_t>(i)] || !s.emkept[static_cast<std::size_t>(j)]) continue;
        s.gterm[static_cast<std::size_t>(++ng)] = {newpair[static_cast<std::size_t>(w)],
                                                   newem[static_cast<std::size_t>(i)],
                                                   newem[static_cast<std::size_t>(j)]};
    }
    s.ngterm = ng;

    for (int i = 1; i <= s.nvar; ++i)
        if (newvar[static_cast<std::size_t>(i)] != 0)
            s.var[static_cast<std::size_t>(newvar[static_cast<std::size_t>(i)])] = s.var[static_cast<std::size_t>(i)];
    s.nvar = nv;
    if (nv >= 1) {
        s.hasorder = false;
        for (int i = 1; i <= nv; ++i) s.hasorder = s.hasorder || s.var[static_cast<std::size_t>(i)].isorder;
    }

    s.n = ne;
    if (s.nvar + 1 != s.n) {
        showwrongsize(s);
        runio::bomb("setupphases", "contraction wrong size", 0);
    }
    for (int i = 1; i <= s.n; ++i) renumbervariables(s.prop[static_cast<std::size_t>(i)], newvar);

    // Site fractions that vanish identically are dropped.
    std::array<int, maxsf + 1> newsf{};
    int nsf = 0;
    for (int j = 1; j <= s.nsf; ++j) {
        const auto jj = static_cast<std::size_t>(j);
        if (emabsent(s.sf[jj], zeroed)) continue;
        const auto to = static_cast<std::size_t>(++nsf);
        newsf[jj] = nsf;
        if (to != jj) {
            s.sf[to] = s.sf[jj];
            s.sfname[to] = s.sfname[jj];
        }
    }
    s.nsf = nsf;
    // A kept end-member whose ideal-mixing term names a dropped site fraction
    // keeps that term with index 0; its ideal activity is then 0.
    for (int i = 1; i <= s.n; ++i) {
        EmRec& e = s.em[static_cast<std::size_t>(i)];
        for (int t = 1; t <= e.nterms; ++t) {
            int& sf = e.term[static_cast<std::size_t>(t)].sf;
            sf = newsf[static_cast<std::size_t>(sf)];
        }
    }
    for (int j = 1; j <= s.nsf; ++j) renumbervariables(s.sf[static_cast<std::size_t>(j)], newvar);
}

void setvarlim(const SfExpr& e, int j, int k, int n, SolPhase& s)
{
    const XTerm& x = e.t[static_cast<std::size_t>(j)].x[static_cast<std::size_t>(k)];
    if (x.n < 2) return;
    std::array<int, maxsolem + 1> num{}, den{};
    den.fill(1);
    for (int t = 1; t <= x.n; ++t) {
        const auto v = static_cast<std::size_t>(x.var[static_cast<std::size_t>(t)]);
        num[v] = x.tp[static_cast<std::size_t>(t)];
        den[v] = x.tq[static_cast<std::size_t>(t)];
    }
    num[static_cast<std::size_t>(n)] = x.p;
    den[static_cast<std::size_t>(n)] = x.q;
    for (int r = 1; r <= s.nvarlim; ++r) {
        bool same = true;
        for (int c = 1; c <= n && same; ++c)
            same = s.varlimnum[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] ==
                       num[static_cast<std::size_t>(c)] &&
                   s.varlimden[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] ==
                       den[static_cast<std::size_t>(c)];
        if (same) return;
    }
    if (s.nvarlim + 1 > maxvarlim) {
        runio::putstr(1, std::string(2, runio::bulletsign) + " insufficient space to store variable limits...", 1,
                      runio::mlog);
        runio::bomb("setvarlim", "increase mmaxnvarlim", 0);
    }
    ++s.nvarlim;
    s.varlimnum[static_cast<std::size_t>(s.nvarlim)] = num;
    s.varlimden[static_cast<std::size_t>(s.nvarlim)] = den;
}

}  // namespace axmodels
