// Schreinemakers' rule in the all-reactions diagrams, and the small routines
// the whole mode shares: the diagram point of an abscissa and ordinate, the
// axis activity of the log a diagrams, a reaction's line at an abscissa, and
// the widening of the window of the solved variable.
//
// The rule: an assemblage is metastable where some other reaction among its
// phases has its unstable side (the side of higher G) wholly inside it.
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/reactions.h"
#include "emcalcs/emcalcs.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace emcalcs {

ReactionLines rxlines;

namespace {

using calcwindows::rxns;
using calcwindows::win;
using runio::BitSet3;
using thermodata::comps;

// The widening of the solved variable's window: lines that leave it near an
// edge are still followed to their crossings. P in kbar, T in K.
constexpr double pwiden = 5.0, twidenlow = 300.0, twidenhigh = 400.0;
constexpr double pabsmax = 1500.0, tabsmin = 283.0, tabsmax = 3000.0;

bool sharesone(const BitSet3& a, const BitSet3& b)
{
    for (int w = 1; w <= 3; ++w)
        if ((a[w] & b[w]) != 0) return true;
    return false;
}

// Reaction m's unstable side at (p, t): its reactants where its dG < 0, its
// products where dG >= 0 (a zero dG takes the products).
BitSet3 unstableside(int m, double p, double t, double xco2, double xh2o)
{
    double dgdp, dgdt, g;
    thermodata::calcrxn(m, dgdp, dgdt, g, p, t, xco2, xh2o);
    BitSet3 side{};
    runio::BClr2(side);
    const auto& nu = rxns.r[m];
    for (int e = 1; e <= comps.nemr; ++e)
        if (g < 0.0 ? nu[e] < 0 : nu[e] > 0) runio::BSet2(side, e);
    return side;
}

struct Point {
    double p = 0.0, t = 0.0, xco2 = 0.0, xh2o = 0.0, a = 0.0;
};

// The point (x, y) of the diagram with its axis activity in place.
Point pointof(double x, double y)
{
    Point pt;
    double mu = 0.0;
    setiptx(pt.p, pt.t, pt.xco2, pt.xh2o, pt.a, mu, x, y);
    imposeaxis(pt.a);
    return pt;
}

void saveandwiden(double& low, double& high, double& savedlow, double& savedhigh, double down, double up,
                  double lowest, double highest)
{
    savedlow = low;
    savedhigh = high;
    low -= down;
    if (low < lowest) low = lowest;
    high += up;
    if (high > highest) high = highest;
}

}  // namespace

int abscissacount()
{
    switch (win.othervariable) {
    case 0: return win.nplist;
    case 1: return win.ntlist;
    case 2: return win.nxlist;
    default: return win.nalist[1];
    }
}

double abscissa(int j)
{
    switch (win.othervariable) {
    case 0: return win.plist[j];
    case 1: return win.tlist[j];
    case 2: return win.xlist[j];
    default: return win.alist[1][j];
    }
}

void setiptx(double& p, double& t, double& xco2, double& xh2o, double& a, double& /*mu*/, double x, double y)
{
    p = win.pcalc;
    t = win.tcalc;
    xco2 = win.xco2;
    xh2o = win.xh2o;
    switch (runio::run.diagrammode) {
    case 0:
        if (win.calcvariable == 0) {
            t = x;
            p = y;
        } else {
            p = x;
            t = y;
        }
        break;
    case 1:
    case 2:
        xco2 = x;
        xh2o = 1.0 - x;
        (runio::run.diagrammode == 1 ? p : t) = y;
        break;
    case 3:
    case 4:
        a = x;
        (runio::run.diagrammode == 3 ? p : t) = y;
        break;
    default: runio::bomb("setiptx", "unknown diagrammode", 1);
    }
}

void imposeaxis(double a)
{
    if (runio::run.diagrammode == 3 || runio::run.diagrammode == 4) calcwindows::setaxisactivity(a);
}

void lineat(int i, double x, bool start, double& y1, double& y2)
{
    const Point pt = pointof(x, y1);
    double dgdp1, dgdp2, dgdt1, dgdt2;
    if (win.calcvariable == 0)
        calcwindows::findp(i, pt.t, pt.xco2, pt.xh2o, start, y1, y2, dgdp1, dgdp2, dgdt1, dgdt2);
    else
        calcwindows::findt(i, pt.p, pt.xco2, pt.xh2o, start, y1, y2, dgdp1, dgdp2, dgdt1, dgdt2);
}

void enlargewindow(int v)
{
    ReactionLines& l = rxlines;
    if (v == 0)
        saveandwiden(win.plow, win.phigh, l.savedplow, l.savedphigh, pwiden, pwiden, runio::scal.pminall, pabsmax);
    else if (v == 1)
        saveandwiden(win.tlow, win.thigh, l.savedtlow, l.savedthigh, twidenlow, twidenhigh, tabsmin, tabsmax);
    else
        runio::bomb("enlargewindow", "unknown calcvariable", 1);
}

void restorewindow(int v)
{
    const ReactionLines& l = rxlines;
    if (v == 0) {
        win.plow = l.savedplow;
        win.phigh = l.savedphigh;
    } else if (v == 1) {
        win.tlow = l.savedtlow;
        win.thigh = l.savedthigh;
    } else {
        runio::bomb("restorewindow", "unknown calcvariable", 1);
    }
}

bool isstable(int pt, double x, double y)
{
    const Point at = pointof(x, y);
    const BitSet3& phases = calcwindows::rsearch.ptphases[pt];
    for (int k = 1; k <= rxns.nrxn; ++k) {
        const BitSet3& own = rxns.rxnphases[k];
        if (!sharesone(own, phases) || runio::setsubset3(own, phases)) continue;
        if (runio::setsubset3(unstableside(k, at.p, at.t, at.xco2, at.xh2o), phases)) return false;
    }
    return true;
}

void rstable(const RxnFlags& involved)
{
    const int n = abscissacount();
    const int sv = rxlines.solvedvar;
    bool headed = false;
    for (int k = 1; k <= rxns.nrxn; ++k) {
        if (involved[k]) continue;
        // The first abscissa where the line lies in the window, on its
        // first solution if anywhere, else on its second.
        int j = 0;
        double y = 0.0;
        for (int s = 1; s <= 2 && j == 0; ++s) {
            const auto& sol = s == 1 ? rxlines.linesol1[k] : rxlines.linesol2[k];
            for (int q = 1; q <= n && j == 0; ++q)
                if (axmodels::inrange(sv, sol[q])) {
                    j = q;
                    y = sol[q];
                }
        }
        if (!headed) {
            runio::putstr(1, std::string(52, '-'), 1, runio::msol);
            runio::putstr(0, "Stability of reactions not involved in intersections :", 2, runio::msol);
            headed = true;
        }
        std::string row;
        if (j != 0) {
            const Point at = pointof(abscissa(j), y);
            const BitSet3& own = rxns.rxnphases[k];
            bool metastable = false;
            for (int m = 1; m <= rxns.nrxn && !metastable; ++m)
                if (m != k && sharesone(rxns.rxnphases[m], own))
                    metastable = runio::setsubset3(unstableside(m, at.p, at.t, at.xco2, at.xh2o), own);
            runio::addfield(metastable ? "metastable" : "<= stable =>", -13, row);
            calcwindows::turnreaction(k, at.p, at.t, at.xco2, at.xh2o, at.a, 0.0);
        } else {
            runio::addfield("*not known*", -13, row);
        }
        runio::putstr(0, row + rxns.rxntext[k], 1, runio::msol);
    }
}

}  // namespace emcalcs
