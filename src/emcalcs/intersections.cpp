// The invariant points of a Schreinemakers analysis: for each point the
// reaction search recorded, where its reactions' lines (known at the values
// of the abscissa list, each as up to two solutions for the ordinate) change
// order between two list values; each such crossing refined by chords,
// the lines solved again at the chords' intersection; the points in the
// window judged stable or metastable and reported.
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/reactions.h"
#include "emcalcs/emcalcs.h"

namespace emcalcs {

namespace {

using calcwindows::rsearch;
using calcwindows::rxns;
using calcwindows::win;
using runio::msol;
using runio::putstr;

// A refined point that failed, outside every window.
constexpr double nopoint = 1e21;
constexpr int maxsteps = 6;   // chord steps of one refinement

using Values = runio::Arr<double, runio::maxlist + 1>;
using Flags = runio::Arr<bool, runio::maxlist + 1>;

// The lines of the point in hand: per position its two solutions at every
// abscissa value, whether each lies in the (widened) window, and the marks
// of crossings with another of the point's lines between x(j-1) and x(j).
struct PointLines {
    int m = 0, n = 0;
    runio::Arr<int, maxptrxn + 1> rx{};
    runio::Arr<runio::Arr<Values, 3>, maxptrxn + 1> sol{};          // sol[i][s][j], s = 1, 2
    runio::Arr<runio::Arr<Flags, 3>, maxptrxn + 1> inwin{}, mark{};
};
PointLines pl;

// A line of the refinement: its position and solution.
struct Pick {
    int pos = 0, s = 0;
};

// Solution s of line a and solution t of line b change order strictly
// between x(j-1) and x(j).
bool crossesat(int a, int b, int s, int t, int j)
{
    const Values& ya = pl.sol[a][s];
    const Values& yb = pl.sol[b][t];
    return (ya[j] > yb[j] && ya[j - 1] < yb[j - 1]) || (ya[j] < yb[j] && ya[j - 1] > yb[j - 1]);
}

// Marks where solution s of line a and solution t of line b, both in the
// window, swap sides; the interval after a crossing is not compared.
bool linescross(int a, int b, int s, int t)
{
    bool found = false, restart = true, above = false;
    for (int j = 1; j <= pl.n; ++j) {
        bool crossed = false;
        if (pl.inwin[a][s][j] && pl.inwin[b][t][j]) {
            const bool now = pl.sol[b][t][j] > pl.sol[a][s][j];
            if (!restart) crossed = now != above;
            restart = false;
            above = now;
        } else {
            restart = true;
        }
        if (crossed) {
            found = true;
            pl.mark[a][s][j] = pl.mark[b][t][j] = true;
            restart = true;
        }
    }
    return found;
}

bool findcrossings()
{
    for (int i = 1; i <= pl.m; ++i)
        for (int s = 1; s <= 2; ++s)
            for (int j = 1; j <= pl.n; ++j) {
                pl.inwin[i][s][j] = axmodels::inrange(rxlines.solvedvar, pl.sol[i][s][j]);
                pl.mark[i][s][j] = false;
            }
    bool found = false;
    for (int a = 1; a <= pl.m; ++a)
        for (int b = a + 1; b <= pl.m; ++b)
            for (int s = 1; s <= 2; ++s)
                for (int t = 1; t <= 2; ++t) found = linescross(a, b, s, t) || found;
    return found;
}

// The lines of the first marked crossing, their marks consumed. A line
// marked on both its solutions (d) takes part through the lines crossing
// its first solution; those that cross its second keep that mark.
int select(int& j, runio::Arr<Pick, 2 * maxptrxn + 1>& picks)
{
    int i = 0;
    for (int q = 2; q <= pl.n && i == 0; ++q)
        for (int k = 1; k <= pl.m && i == 0; ++k)
            if (pl.mark[k][1][q] || pl.mark[k][2][q]) {
                i = k;
                j = q;
            }
    if (i == 0) return -1;
    auto both = [&](int k) { return pl.mark[k][1][j] && pl.mark[k][2][j]; };
    int d = 0;
    for (int k = i; k <= pl.m && d == 0; ++k)
        if (both(k)) d = k;
    int n = 0;
    if (d == 0) {
        for (int k = i; k <= pl.m; ++k) {
            const int s = pl.mark[k][1][j] ? 1 : pl.mark[k][2][j] ? 2 : 0;
            if (s == 0) continue;
            picks[++n] = {k, s};
            pl.mark[k][s][j] = false;
        }
        return n;
    }
    pl.mark[d][1][j] = false;
    for (int k = i; k <= pl.m; ++k) {
        if (k == d) continue;
        if (both(k)) {
            const int s = crossesat(d, k, 1, 1, j) ? 1 : 2;
            picks[++n] = {k, s};
            pl.mark[k][s][j] = false;
        } else {
            for (int s = 1; s <= 2; ++s)
                if (pl.mark[k][s][j] && crossesat(d, k, 1, s, j)) {
                    picks[++n] = {k, s};
                    pl.mark[k][s][j] = crossesat(d, k, 2, s, j);
                }
        }
    }
    return n;
}

enum Failure { none, outside, divide, notconverged };

// The chords of lines a and b across x0..x1 and where they meet.
bool chordintersect(double x0, double x1, double ya0, double ya1, double yb0, double yb1, double& x, double& y)
{
    const double dx = x1 - x0;
    if (!(std::fabs(dx / x1) > 1e-10)) return false;
    const double ma = (ya1 - ya0) / dx, ba = (ya0 * x1 - ya1 * x0) / dx;
    const double mb = (yb1 - yb0) / dx, bb = (yb0 * x1 - yb1 * x0) / dx;
    if (std::fabs(mb - ma) < 1e-10) return false;
    x = -(bb - ba) / (mb - ma);
    y = ma * x + ba;
    return true;
}

// One crossing refined: the chords across the bracket meet at x, where both
// lines are solved again, and the end of the bracket on the same side of
// the crossing moves there.
void calcptx(Intersection& pt, bool& found, bool& converged)
{
    int j = 0;
    runio::Arr<Pick, 2 * maxptrxn + 1> picks{};
    const int n = select(j, picks);
    found = n >= 0;
    converged = false;
    pt.x = pt.y = nopoint;
    if (!found) return;
    // One line crossing both solutions of another, with no third line
    // there: nothing to refine, and the marks that remain are taken in turn.
    if (n < 2) return;
    double tolx, toly;
    setlim(tolx, toly);
    const Pick a = picks[1], b = picks[2];
    pt.line1 = pl.rx[a.pos];
    pt.line2 = pl.rx[b.pos];
    double x0 = abscissa(j - 1), x1 = abscissa(j);
    const double lo = x0, hi = x1;
    double ya0 = pl.sol[a.pos][a.s][j - 1], ya1 = pl.sol[a.pos][a.s][j];
    double yb0 = pl.sol[b.pos][b.s][j - 1], yb1 = pl.sol[b.pos][b.s][j];
    double prevx = 1e10, prevy = 1e10, x = 0.0, y = 0.0;
    Failure why = notconverged;
    for (int step = 1; step <= maxsteps; ++step) {
        if (!chordintersect(x0, x1, ya0, ya1, yb0, yb1, x, y)) {
            why = divide;
            break;
        }
        // Lines that meet on a value of the list itself: the chords meet at
        // that end of the bracket, where the table already holds the point.
        // Met at the lower end, the point belongs to the interval before.
        if (step == 1 && std::fabs(x - hi) <= 1e-9 * std::fabs(hi) && std::fabs(ya1 - yb1) < toly) {
            converged = true;
            break;
        }
        if (step == 1 && std::fabs(x - lo) <= 1e-9 * std::fabs(lo) && std::fabs(ya0 - yb0) < toly) return;
        converged = std::fabs(x - prevx) < tolx && std::fabs(y - prevy) < toly;
        if (converged) break;
        if (x < lo || x > hi) {
            why = outside;
            break;
        }
        double ya = y, yb = y, second;
        lineat(pt.line1, x, true, ya, second);
        lineat(pt.line2, x, true, yb, second);
        if ((ya1 < yb1 && ya < yb) || (yb1 < ya1 && yb < ya)) {
            x1 = x;
            ya1 = ya;
            yb1 = yb;
        } else {
            x0 = x;
            ya0 = ya;
            yb0 = yb;
        }
        prevx = x;
        prevy = y;
    }
    if (converged) {
        pt.x = x;
        pt.y = y;
        return;
    }
    std::string line = "finding the intersection : ";
    line += why == outside  ? "iteration went outside bracket - it shouldn't !!"
            : why == divide ? "divide by zero"
                            : "iteration did not converge";
    line += " ( involving reactions: ";
    for (int i = 1; i <= pl.m; ++i) line += runio::realstrshort(pl.rx[i]) + " ";
    putstr(1, line + ")", 1, msol);
}

// The window codes of the abscissa and the ordinate, as inrange takes them.
bool inwindow(double x, double y)
{
    static const int abscissacode[] = {1, 0, 2, 3};   // by othervariable: P, T, x(CO2), activity
    return axmodels::inrange(abscissacode[win.othervariable], x) && axmodels::inrange(rxlines.solvedvar, y);
}

}  // namespace

void setlim(double& tolx, double& toly)
{
    // kbar and K: a hundredth of a kbar, half a degree; x(CO2) and log a to 0.001
    const bool psolved = win.calcvariable == 0;
    switch (runio::run.diagrammode) {
    case 0:
        tolx = psolved ? 0.5 : 0.01;
        toly = psolved ? 0.01 : 0.5;
        break;
    case 1:
    case 2:
    case 3:
    case 4:
        tolx = 0.001;
        toly = psolved ? 0.01 : 0.5;
        break;
    default: runio::bomb("setlim", "unknown diagrammode", 1);
    }
}

void intersections()
{
    pl.n = abscissacount();
    intersectionheadings();
    RxnFlags involved{};
    int count = 0;
    const int v = win.calcvariable;
    for (int p = 1; p <= rsearch.nptrxn; ++p) {
        const int m = rsearch.nptreactions[p];
        if (m > maxptrxn)
            runio::bomb("intersections", "too many reactions in intersection" + runio::maxlabel(maxptrxn), 0);
        pl.m = m;
        for (int i = 1; i <= m; ++i) {
            const int k = rsearch.ptrxn[p][i];
            pl.rx[i] = k;
            for (int j = 1; j <= pl.n; ++j) {
                pl.sol[i][1][j] = rxlines.linesol1[k][j];
                pl.sol[i][2][j] = rxlines.linesol2[k][j];
            }
        }
        enlargewindow(v);
        if (!findcrossings()) {
            restorewindow(v);
            continue;
        }
        Intersection pt;
        pt.p = p;
        pt.m = m;
        pt.rx = pl.rx;
        for (;;) {
            bool found, converged;
            calcptx(pt, found, converged);
            restorewindow(v);
            if (!found) break;
            if (!inwindow(pt.x, pt.y)) continue;
            ++count;
            double mu = 0.0;
            setiptx(pt.pkbar, pt.tk, pt.xco2, pt.xh2o, pt.a, mu, pt.x, pt.y);
            pt.stable = converged && isstable(p, pt.x, pt.y);
            printintersection(pt);
            intersectionpoint(pt);
            for (int i = 1; i <= m; ++i) involved[pt.rx[i]] = true;
        }
    }
    if (count == 0) putstr(1, "sorry, none in the window", 1, msol);
    rstable(involved);
}

}  // namespace emcalcs
