// Expressions of the a-x file: proportions and site fractions written as sums
// of products of linear forms in the phase's variables, with rational
// coefficients.
#include "axmodels/axread.h"
#include "runio/runio.h"

namespace axmodels {

namespace {

using runio::maxlabel;
using runio::bomb;

int readcount(const std::string& context)
{
    readitem(context);
    return runio::getinteger(rd.kind, rd.item, rd.context);
}

void readvariable(XTerm& x, int t, const std::string& where)
{
    readitem("index/name in " + where);
    int v = 0;
    if (rd.kind == kindint) {
        v = runio::getinteger(rd.kind, rd.item, rd.context);
    } else if (rd.kind == kindname) {
        if (!runio::posinlist(rd.item, rd.shortnames.data(), rd.nvar, v))
            bomb("setup phases", rd.item + " not a variable name: " + rd.context, 0);
    } else {
        bomb("setup phases", rd.item + " not a " + rd.context, 0);
    }
    if (v < 1 || v > rd.nvar) bomb("setup phases", "illegal " + rd.context, 0);
    x.var[t] = v;
}

}  // namespace

void readsfexpr(SfExpr& e, const std::string& context)
{
    const int n = readcount("no of sxterms" + context);
    if (n < 1) bomb("setup phases", "too few sxterms" + context, 0);
    if (n > maxsxterms) bomb("setup phases", "too many sxterms" + context + maxlabel(maxsxterms), 0);
    e.n = n;
    e.t.assign(n + 1, SXTerm{});
    for (int j = 1; j <= n; ++j) {
        SXTerm& s = e.t[j];
        s.factor = 1.0;
        const int m = readcount("no of xterms" + context);
        if (m < 1) bomb("setup phases", "too few x terms" + context, 0);
        if (m > maxxterms) bomb("setup phases", "too many x terms" + context + maxlabel(maxxterms), 0);
        s.n = m;
        for (int k = 1; k <= m; ++k) {
            XTerm& x = s.x[k];
            readitem("constant in " + ordinal(k) + " term" + context);
            runio::getrational(rd.kind, rd.item, x.p, x.q, rd.context);
            const int nt = readcount("no of terms in " + ordinal(k) + " term" + context);
            if (nt < 0) bomb("setup phases", "too few terms in x" + context, 0);
            if (nt > maxterms) bomb("setup phases", "too many terms in x" + context + maxlabel(maxterms), 0);
            if (nt == 0 && x.p == 0) bomb("setup phases", "zero term" + context, 0);
            x.n = nt;
            for (int t = 1; t <= nt; ++t) {
                const std::string where = ordinal(t) + " of " + ordinal(k) + " term" + context;
                readitem("mult in " + where);
                runio::getrational(rd.kind, rd.item, x.tp[t],
                                   x.tq[t], rd.context);
                readvariable(x, t, where);
            }
        }
    }
}

void printsxterms(const std::string& title, const SfExpr& e)
{
    using runio::msl;
    std::string& line = runio::chans.line;
    line = title + ":  nsxterms = ";
    runio::addrealshort(e.n, 0, line);
    runio::putstr(1, line, 1, msl);
    for (int j = 1; j <= e.n; ++j) {
        const SXTerm& s = e.t[j];
        line = "  " + ordinal(j) + " sxterm: nxterms = ";
        runio::addrealshort(s.n, 0, line);
        runio::putstr(0, line, 1, msl);
        for (int k = 1; k <= s.n; ++k) {
            const XTerm& x = s.x[k];
            line = "    " + ordinal(k) + " xterm: " + rationaltext(x.p, x.q);
            for (int t = 1; t <= x.n; ++t) {
                line += " " + rationaltext(x.tp[t], x.tq[t]) + " ";
                runio::addrealshort(x.var[t], 0, line);
            }
            runio::putstr(0, line, 1, msl);
        }
    }
}

}  // namespace axmodels
