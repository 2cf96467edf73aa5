// The line of a reaction inside the window: its temperature at a given
// pressure or its pressure at a given temperature, by Newton steps guarded
// by interval halving, with a second solution where the line turns back
// inside the window; the standard error and slope of the line; ln K and the
// variances of ln a; the orientation of a reaction for a diagram; and the
// text of its equation.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "axmodels/axmodels.h"
#include "calcwindows/reactions.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace calcwindows {

namespace {

using thermodata::ems;
using thermodata::rgas;

constexpr int solvet = 0, solvep = 1;   // what find solves for
constexpr int fromlow = 0, fromhigh = 1, frominside = 2;   // where a Newton walk starts

// Halvings of a bracket: enough to reach the tolerance, and never so many
// that a zero tolerance (a root at P = 0) runs on past double precision.
constexpr int minhalvings = 2, maxhalvings = 100;

// The frame of one call of find, shared by its steps.
struct Finder {
    int i = 0;
    double p = 0.0, t = 0.0, xco2 = 0.0, xh2o = 0.0;   // the fixed values
    int mode = solvet;
    double low = 0.0, high = 0.0;                      // the window of the unknown
    double tol0 = 0.0, tol = 0.0;                      // tolerance: at the start, and at the current x
    int base = 0;                                      // sets the number of Newton steps
    int side = frominside;
};

void setup(Finder& f)
{
    const Windows& w = win;
    if (f.mode == solvet) {
        f.low = w.tlow;
        f.high = w.thigh;
        // A tenth of the last decimal printed: 0.001 K with two decimals.
        f.tol0 = runio::tentopower(-1 - w.tdecimals);
        f.base = w.tdecimals - 2;
    } else if (f.mode == solvep) {
        f.low = w.plow;
        f.high = w.phigh;
        f.tol0 = runio::tentopower(-1 - w.pdecimals);
        f.base = w.pdecimals - 3;
    } else {
        runio::bomb("find", "unimplemented", 1);
    }
    f.tol = f.tol0;
}

// Below 1 kbar a pressure is found to a relative tolerance.
void setlimit(Finder& f, double x)
{
    if (f.mode == solvet || x > 1.0)
        f.tol = f.tol0;
    else
        f.tol = f.tol0 * std::fabs(x);
}

bool inwindow(const Finder& f, double x) { return f.low <= x && x <= f.high; }

// dG (kJ) with its derivatives at the unknown x.
void evaluate(const Finder& f, double x, double& dgdp, double& dgdt, double& g)
{
    if (f.mode == solvet)
        thermodata::calcrxn(f.i, dgdp, dgdt, g, f.p, x, f.xco2, f.xh2o);
    else
        thermodata::calcrxn(f.i, dgdp, dgdt, g, x, f.t, f.xco2, f.xh2o);
}

// dG and its derivative in the unknown.
void calc(const Finder& f, double x, double& d, double& g)
{
    double dgdp, dgdt;
    evaluate(f, x, dgdp, dgdt, g);
    d = f.mode == solvet ? dgdt : dgdp;
}

double gat(const Finder& f, double x)
{
    double d, g;
    calc(f, x, d, g);
    return g;
}

// Newton steps from x. A walk that leaves the window once is put back on
// the edge it crossed (unless it started there); a second time it has left.
// Not found: x = nosolution, or, for a root found outside the window, one
// beyond the edge on that side.
bool iterate(Finder& f, double& x)
{
    const int maxsteps = 3 * f.base + 9;
    int n = 0, outside = 0;
    bool converged = false, left = false;
    do {
        ++n;
        double d, g;
        calc(f, x, d, g);
        const double step = -g / d;
        // A flat or undefined dG offers no step: the walk ends here.
        if (!std::isfinite(step)) {
            left = true;
            break;
        }
        x += step;
        setlimit(f, x);
        if (!inwindow(f, x)) {
            ++outside;
            if (outside == 1 && x < f.low && f.side != fromlow)
                x = f.low;
            else if (outside == 1 && x > f.high && f.side != fromhigh)
                x = f.high;
            else
                left = true;
        }
        converged = std::fabs(step) < f.tol;
    } while (!converged && n <= maxsteps && !left);

    if (converged && inwindow(f, x)) return true;
    if (converged)
        x = x < f.low ? f.low - 1.0 : f.high + 1.0;
    else
        x = nosolution;
    return false;
}

int halvings(double ratio)
{
    const double n = std::trunc(std::log2(ratio) + 1.0);
    if (!(n >= minhalvings)) return minhalvings;
    return n > maxhalvings ? maxhalvings : static_cast<int>(n);
}

// Narrows a..b, over which dG changes sign, to the tolerance or by nmax
// halvings.
void intervalhalving(Finder& f, double& a, double& b, int nmax)
{
    if (b - a < f.tol) return;
    double ga = gat(f, a);
    const double gb = gat(f, b);
    if (samesign(ga, gb)) runio::bomb("interval halving", "same sign", 1);
    int k = 0;
    do {
        const double m = 0.5 * (a + b);
        const double gm = gat(f, m);
        setlimit(f, m);
        if (gm == 0.0) {   // the root itself
            a = b = m;
            break;
        }
        if (samesign(gm, ga)) {
            a = m;
            ga = gm;
        } else {
            b = m;
        }
        ++k;
    } while (!(b - a < f.tol) && k < nmax);
}

// The root within a..b: Newton steps from x, and where they fail or wander
// off, halving first to a hundred tolerances and then to the tolerance
// itself.
void bracketsolve(Finder& f, double a, double b, double& x)
{
    if (iterate(f, x) && a <= x && x <= b) return;
    setlimit(f, a);
    intervalhalving(f, a, b, halvings((b - a) / (100.0 * f.tol)));
    x = 0.5 * (a + b);
    if (iterate(f, x)) return;
    setlimit(f, a);
    intervalhalving(f, a, b, halvings((b - a) / (2.0 * f.tol)));
    x = 0.5 * (a + b);
}

// dG has one sign at both edges but its slope changes sign inside: the line
// may cross the window twice, or touch it once. x1 >= x2 on return.
void tworoots(Finder& f, double glo, double ghi, double& x1, double& x2)
{
    f.side = fromlow;
    x1 = f.low;
    const bool ok1 = iterate(f, x1);
    f.side = fromhigh;
    x2 = f.high;
    const bool ok2 = iterate(f, x2);
    bool oneroot = true;
    if (ok1 && ok2)
        oneroot = std::fabs(x1 - x2) < 4.0 * f.tol;
    else if (ok1)
        x2 = x1;
    else if (!ok2) {
        x1 = nosolution;
        x2 = nosecond;
        return;
    }
    if (oneroot) {
        // Look for the other crossing on either side of the one found.
        const double r = x2;
        setlimit(f, r);
        double m = r + 4.0 * f.tol;
        if (m < f.high && !samesign(gat(f, m), ghi)) {
            f.side = frominside;
            x1 = 0.5 * (m + f.high);
            bracketsolve(f, m, f.high, x1);
        } else {
            m = std::max(r - 4.0 * f.tol, f.low);
            if (!samesign(gat(f, m), glo)) {
                f.side = frominside;
                x1 = 0.5 * (m + f.low);
                bracketsolve(f, f.low, m, x1);
            } else {
                x1 = r;
            }
        }
    }
    if (x1 < x2) std::swap(x1, x2);
}

// The standard error of the reaction's dG: the enthalpy covariances and the
// variances of ln a of its end-members, A = nu.cov.nu and B = sum varlna nu^2.
void sdsums(int i, double& a, double& b)
{
    const auto& nu = rxns.r[i];
    a = 0.0;
    b = 0.0;
    for (int j = 1; j <= ems.nem; ++j) {
        if (nu[j] == 0) continue;
        for (int k = 1; k <= ems.nem; ++k)
            if (nu[k] != 0) a += nu[j] * ems.covat(j, k) * nu[k];
        b += ems.varlna[j] * nu[j] * nu[j];
    }
}

double sdof(double a, double b, double t, double slope)
{
    const double rt = rgas * t;
    return std::sqrt((a + rt * rt * b) / (slope * slope));
}

// The solutions of the line at the fixed T (mode solvep) or P (solvet),
// each inside the window with its standard error, sd = sqrt(A + (RT)^2 B)
// over the slope of dG in the unknown, and its slope dT/dP.
void linepoint(int i, int mode, double fixed, double xco2, double xh2o, double& x1, double& x2, double& sd1,
               double& sd2, double& slope1, double& slope2)
{
    const bool forp = mode == solvep;
    double dgdp1, dgdp2, dgdt1, dgdt2;
    find(i, forp ? 0.0 : fixed, forp ? fixed : 0.0, xco2, xh2o, mode, false, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    const int code = forp ? 1 : 0;
    const bool in1 = axmodels::inrange(code, x1), in2 = axmodels::inrange(code, x2);
    double a = 0.0, b = 0.0;
    if (in1 || in2) {
        calcvarlna();
        sdsums(i, a, b);
    }
    auto one = [&](double x, double dgdp, double dgdt, double& sd, double& slope) {
        sd = sdof(a, b, forp ? fixed : x, forp ? dgdp : dgdt);
        slope = -dgdp / dgdt;
    };
    sd1 = sd2 = nosd;
    if (in1) one(x1, dgdp1, dgdt1, sd1, slope1);
    if (in2) one(x2, dgdp2, dgdt2, sd2, slope2);
}

std::string emlabel(int j)
{
    const runio::ScriptTables& st = runio::scripttabs;
    int pos;
    if (st.nseta > 0 && runio::posinlist(ems.emname[j], st.setaname.data(), st.nseta, pos) &&
        !win.setalabel[pos].empty())
        return win.setalabel[pos];
    return ems.emname[j];
}

}  // namespace

bool samesign(double a, double b) { return (a <= 0.0 && b <= 0.0) || (a >= 0.0 && b >= 0.0); }

void find(int i, double p, double t, double xco2, double xh2o, int mode, bool start, double& x1, double& x2,
          double& dgdp1, double& dgdp2, double& dgdt1, double& dgdt2)
{
    Finder f;
    f.i = i;
    f.p = p;
    f.t = t;
    f.xco2 = xco2;
    f.xh2o = xh2o;
    f.mode = mode;
    setup(f);
    const double low = f.low, high = f.high;

    if (start) {
        if (!inwindow(f, x1)) {
            x1 = nosolution;
            x2 = nosecond;
            return;
        }
        f.side = frominside;
        iterate(f, x1);
        x2 = nosecond;
    } else {
        double dlo, glo, dhi, ghi;
        calc(f, low, dlo, glo);
        calc(f, high, dhi, ghi);
        if (!samesign(glo, ghi)) {
            if (samesign(dlo, dhi)) {
                f.side = frominside;
                x1 = 0.5 * (low + high);
                bracketsolve(f, low, high, x1);
                x2 = nosecond;
            } else if (!samesign(glo, dlo)) {
                // G heads for zero from the low edge, and turns back later.
                f.side = fromlow;
                x1 = low;
                bracketsolve(f, low, high, x1);
                x2 = high + 1.0;
            } else {
                f.side = fromhigh;
                x1 = high;
                bracketsolve(f, low, high, x1);
                x2 = low - 1.0;
            }
        } else if (dlo > 0.0 && dhi > 0.0) {
            x1 = glo < 0.0 ? high + 1.0 : low - 1.0;
            x2 = nosecond;
        } else if (dlo < 0.0 && dhi < 0.0) {
            x1 = glo > 0.0 ? high + 1.0 : low - 1.0;
            x2 = nosecond;
        } else if (samesign(glo, dlo)) {
            // G moves away from zero at the low edge and comes back to the
            // high edge without reaching it.
            x1 = low - 1.0;
            x2 = high + 1.0;
        } else {
            tworoots(f, glo, ghi, x1, x2);
        }
    }

    dgdp1 = dgdp2 = dgdt1 = dgdt2 = 0.0;
    double g;
    if (inwindow(f, x1)) {
        evaluate(f, x1, dgdp1, dgdt1, g);
        if (inwindow(f, x2)) evaluate(f, x2, dgdp2, dgdt2, g);
    }
}

void findp(int i, double t, double xco2, double xh2o, bool start, double& p1, double& p2, double& dgdp1,
           double& dgdp2, double& dgdt1, double& dgdt2)
{
    find(i, 0.0, t, xco2, xh2o, solvep, start, p1, p2, dgdp1, dgdp2, dgdt1, dgdt2);
}

void findt(int i, double p, double xco2, double xh2o, bool start, double& t1, double& t2, double& dgdp1,
           double& dgdp2, double& dgdt1, double& dgdt2)
{
    find(i, p, 0.0, xco2, xh2o, solvet, start, t1, t2, dgdp1, dgdp2, dgdt1, dgdt2);
}

void linepointp(int i, double t, double xco2, double xh2o, double& p1, double& p2, double& sd1, double& sd2,
                double& slope1, double& slope2)
{
    linepoint(i, solvep, t, xco2, xh2o, p1, p2, sd1, sd2, slope1, slope2);
}

void linepointt(int i, double p, double xco2, double xh2o, double& t1, double& t2, double& sd1, double& sd2,
                double& slope1, double& slope2)
{
    linepoint(i, solvet, p, xco2, xh2o, t1, t2, sd1, sd2, slope1, slope2);
}

void calclnkall()
{
    for (int m = 1; m <= rxns.nrxn; ++m) {
        const auto& nu = rxns.r[m];
        double lnk = 0.0;
        for (int j = 1; j <= ems.nem; ++j)
            if (nu[j] != 0) lnk += nu[j] * std::log(ems.act[j]);
        rxns.lnk[m] = lnk;
    }
}

void calcvarlna()
{
    for (int j = 1; j <= ems.nem; ++j) ems.varlna[j] = 0.0;
    // The phase-diagram calculation carries activities as unknowns, not as data.
    if (runio::run.calcmode == 1) return;
    for (int j = 1; j <= ems.nem; ++j) {
        const double a = ems.act[j];
        if (a > 0.0 && a < 1.0) {
            const double rel = ems.sdact[j] / a;
            ems.varlna[j] = rel * rel;
        }
    }
}

void turnreaction(int i, double p, double t, double xco2, double xh2o, double lna, double mu)
{
    if (runio::run.calcmode != 3) {
        runio::putstr(1, "call of turnreaction unexpected", 1, runio::msl);
        return;
    }
    // A step up the diagram's vertical axis: 5 K or 0.2 kbar.
    constexpr double tstep = 5.0, pstep = 0.2;
    double dp = 0.0, dt = 0.0;
    switch (runio::run.diagrammode) {
    case 0:
    case 2: dt = tstep; break;
    case 1: dp = pstep; break;
    case 3:
        setaxisactivity(lna);
        dp = pstep;
        break;
    case 4:
        setaxisactivity(lna);
        dt = tstep;
        break;
    // A chemical-potential axis works through the enthalpy of the last end-member.
    case 5:
        ems.td[ems.nem][thermodata::sH] = mu;
        dp = pstep;
        break;
    case 6:
        ems.td[ems.nem][thermodata::sH] = mu;
        dt = tstep;
        break;
    default: runio::bomb("turnreaction", "unknown diagrammode", 1);
    }
    double dgdp, dgdt, g;
    thermodata::calcrxn(i, dgdp, dgdt, g, p + dp, t + dt, xco2, xh2o);
    if (g > 0.0) {
        auto& nu = rxns.r[i];
        for (int j = 1; j <= ems.nem; ++j) nu[j] = static_cast<std::int16_t>(-nu[j]);
        rxns.lnk[i] = -rxns.lnk[i];
    }
}

void writereaction(int i)
{
    const auto& nu = rxns.r[i];
    std::string text = runio::realstrshort(i) + ")  ";
    // Reactants (negative coefficients) on the left, products on the right.
    auto side = [&](int sign) {
        bool first = true;
        for (int j = 1; j <= ems.nem; ++j) {
            const int n = nu[j] * sign;
            if (n <= 0) continue;
            if (!first) text += " + ";
            first = false;
            if (n != 1) text += runio::realstrshort(n);
            text += emlabel(j);
        }
    };
    side(-1);
    text += " = ";
    side(1);
    if (text.size() > static_cast<std::size_t>(runio::maxstr)) text.resize(runio::maxstr);
    const int len = static_cast<int>(text.size());
    if (len > rxns.rxntextwidth) rxns.rxntextwidth = len + 1;
    rxns.rxntext[i] = text;
}

}  // namespace calcwindows
