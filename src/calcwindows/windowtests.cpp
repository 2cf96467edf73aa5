// Does a reaction's line cross the window of the diagram? First from the
// sign of dG at the four corners; where the corners agree, from the line's
// own position on an edge along which dG turns back, and in the x(CO2)
// diagrams from the fluid maximum of a reaction that releases both H2O and
// CO2.
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/reactions.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace calcwindows {

namespace {

using thermodata::ems;

// R ln 10 (kJ/K): the entropy change of a tenfold activity.
constexpr double rln10 = 0.019144654296;

enum Kind { ptdiagram, pxdiagram, txdiagram, plnadiagram, tlnadiagram };

// A diagram as the test sees it: the axis the line is solved for (s: P or
// T) and the other axis (o: P, x(CO2) or the activity axis), each with its
// window.
struct Diagram {
    Kind kind;
    int i;
    bool sist;                 // s is T, else P
    double slo, shi, olo, ohi;
};

// The axes of each kind: T or P solved for, and the windows.
Diagram diagram(Kind kind, int i)
{
    const Windows& w = win;
    switch (kind) {
    case ptdiagram: return {kind, i, true, w.tlow, w.thigh, w.plow, w.phigh};
    case pxdiagram: return {kind, i, false, w.plow, w.phigh, w.xlow, w.xhigh};
    case txdiagram: return {kind, i, true, w.tlow, w.thigh, w.xlow, w.xhigh};
    case plnadiagram: return {kind, i, false, w.plow, w.phigh, w.lnalow, w.lnahigh};
    case tlnadiagram: break;
    }
    return {kind, i, true, w.tlow, w.thigh, w.lnalow, w.lnahigh};
}

struct Point {
    double g = 0.0, dgdp = 0.0, dgdt = 0.0;
};

// dG with its derivatives at axis values s and o.
Point point(const Diagram& d, double s, double o)
{
    const Windows& w = win;
    Point pt;
    double p = 0.0, t = 0.0, xco2 = w.xco2, xh2o = w.xh2o;
    switch (d.kind) {
    case ptdiagram:
        p = o;
        t = s;
        break;
    case pxdiagram:
        p = s;
        t = w.tcalc;
        xco2 = o;
        xh2o = 1.0 - o;
        break;
    case txdiagram:
        p = w.pcalc;
        t = s;
        xco2 = o;
        xh2o = 1.0 - o;
        break;
    case plnadiagram:
        setaxisactivity(o);
        p = s;
        t = w.tcalc;
        break;
    case tlnadiagram:
        setaxisactivity(o);
        p = w.pcalc;
        t = s;
        break;
    }
    thermodata::calcrxn(d.i, pt.dgdp, pt.dgdt, pt.g, p, t, xco2, xh2o);
    return pt;
}

double ds(const Diagram& d, const Point& pt) { return d.sist ? pt.dgdt : pt.dgdp; }

// The first solution of the line for s at o, and whether it lies in the window of s.
bool lineinwindow(const Diagram& d, double o)
{
    const Windows& w = win;
    double s1, s2, dgdp1, dgdp2, dgdt1, dgdt2;
    switch (d.kind) {
    case ptdiagram: findt(d.i, o, w.xco2, w.xh2o, false, s1, s2, dgdp1, dgdp2, dgdt1, dgdt2); break;
    case pxdiagram: findp(d.i, w.tcalc, o, 1.0 - o, false, s1, s2, dgdp1, dgdp2, dgdt1, dgdt2); break;
    case txdiagram: findt(d.i, w.pcalc, o, 1.0 - o, false, s1, s2, dgdp1, dgdp2, dgdt1, dgdt2); break;
    case plnadiagram:
        setaxisactivity(o);
        findp(d.i, w.tcalc, w.xco2, w.xh2o, false, s1, s2, dgdp1, dgdp2, dgdt1, dgdt2);
        break;
    case tlnadiagram:
        setaxisactivity(o);
        findt(d.i, w.pcalc, w.xco2, w.xh2o, false, s1, s2, dgdp1, dgdp2, dgdt1, dgdt2);
        break;
    }
    return axmodels::inrange(d.sist ? 0 : 1, s1);
}

// A reaction that releases (or takes up) both H2O and CO2 has its largest
// RT ln K at x(CO2) = nu(CO2) / (nu(H2O) + nu(CO2)); there its line may
// cross the window between two corners of one sign. The trigger pair are
// the corners whose derivatives along s are compared.
bool fluidmaximumsame(const Diagram& d, const Corners& corners, const Point& a, const Point& b)
{
    const int ih2o = ems.ih2o, ico2 = ems.ico2;
    if (samesign(ds(d, a), ds(d, b))) return true;
    if (ih2o <= 0 || ico2 <= 0) return true;
    const auto& nu = rxns.r[d.i];
    if (nu[ih2o] <= 0 || nu[ico2] <= 0) return true;
    const double xstar = static_cast<double>(nu[ico2]) / (nu[ih2o] + nu[ico2]);
    // Outside the x(CO2) window dG is monotonic across it, and the corners
    // and the x(CO2) edges decide.
    if (xstar < d.olo || xstar > d.ohi) return true;
    const bool negative = corners[1];
    const double g1 = point(d, d.slo, xstar).g, g2 = point(d, d.shi, xstar).g;
    // The maximum crosses zero when its dG differs in sign from the corners'.
    return (g1 < 0.0) == negative && (g2 < 0.0) == negative;
}

bool crosses(const Diagram& d, Corners& corners)
{
    runio::Arr<Point, 5> c{};
    c[1] = point(d, d.slo, d.olo);
    c[2] = point(d, d.slo, d.ohi);
    c[3] = point(d, d.shi, d.ohi);
    c[4] = point(d, d.shi, d.olo);
    for (int k = 1; k <= 4; ++k) corners[k] = c[k].g < 0.0;
    bool same = (corners[1] && corners[2] && corners[3] && corners[4]) ||
                !(corners[1] || corners[2] || corners[3] || corners[4]);
    if (!same) return true;

    if (d.kind == pxdiagram) same = fluidmaximumsame(d, corners, c[3], c[4]);
    if (d.kind == txdiagram) same = fluidmaximumsame(d, corners, c[1], c[2]);

    // An edge along which dG turns back may hold the line twice over.
    if (same && !samesign(ds(d, c[1]), ds(d, c[4]))) same = !lineinwindow(d, d.olo);
    if (same && !samesign(ds(d, c[2]), ds(d, c[3]))) same = !lineinwindow(d, d.ohi);

    if (d.kind == ptdiagram) {
        const Windows& w = win;
        double p1, p2, dgdp1, dgdp2, dgdt1, dgdt2;
        if (same && !samesign(c[1].dgdp, c[2].dgdp)) {
            findp(d.i, w.tlow, w.xco2, w.xh2o, false, p1, p2, dgdp1, dgdp2, dgdt1, dgdt2);
            same = !axmodels::inrange(1, p1);
        }
        if (same && !samesign(c[3].dgdp, c[4].dgdp)) {
            findp(d.i, w.thigh, w.xco2, w.xh2o, false, p1, p2, dgdp1, dgdp2, dgdt1, dgdt2);
            same = !axmodels::inrange(1, p1);
        }
    }
    return !same;
}

}  // namespace

void setaxisactivity(double v)
{
    // The axis end-member need not be the last: one named early among the
    // phases in excess stands before the others in excess.
    const int k = ems.logaem;
    if (k < 1 || k > ems.nem) runio::bomb("setaxisactivity", "no end-member for the activity axis", 1);
    const double perunit = runio::scriptset.setloga == 0 ? rln10 : thermodata::rgas;
    ems.td[k][thermodata::sS] = win.setaentropy[1] - v * perunit;
}

bool inPTwindow(int i, Corners& corners) { return crosses(diagram(ptdiagram, i), corners); }
bool inPXwindow(int i, Corners& corners) { return crosses(diagram(pxdiagram, i), corners); }
bool inTXwindow(int i, Corners& corners) { return crosses(diagram(txdiagram, i), corners); }
bool inPlnawindow(int i, Corners& corners) { return crosses(diagram(plnadiagram, i), corners); }
bool inTlnawindow(int i, Corners& corners) { return crosses(diagram(tlnadiagram, i), corners); }

bool inPTXwindow(int i, Corners& corners)
{
    switch (runio::run.diagrammode) {
    case 0: return inPTwindow(i, corners);
    case 1: return inPXwindow(i, corners);
    case 2: return inTXwindow(i, corners);
    case 3: return inPlnawindow(i, corners);
    case 4: return inTlnawindow(i, corners);
    default: runio::bomb("inPTXwindow", "unknown diagrammode", 1);
    }
}

}  // namespace calcwindows
