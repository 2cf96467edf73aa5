// The reaction table of an all-reactions pass: each reaction's equation, its
// thermodynamics linearised about the calculation point as
// 0 = a + bT + cP + RT ln K with the uncertainties of a and ln K, and its
// line across the diagram: the solved variable (P in kbar or T in degrees C)
// at the values of the abscissa list, with the uncertainty of the line at
// one of them. The lines are kept for the intersections.
#include <algorithm>
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/reactions.h"
#include "emcalcs/emcalcs.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace emcalcs {

namespace {

using calcwindows::rxns;
using calcwindows::win;
using runio::addfield;
using runio::addreal;
using runio::msol;
using runio::putstr;
using runio::realstr;
using runio::realstrshort;
using thermodata::ems;


// At most this many columns of the list are shown; every value is solved.
constexpr int maxcolumns = 20;
// Solutions beyond these bounds are the root finder's "not found" marks.
constexpr double farabove = 1e10, farbelow = -1e10;
// An uncertainty in T this large (K) says the line runs nearly along T.
constexpr double tsdlimit = 32767.0;

bool psolved() { return win.calcvariable == 0; }
double windowlow() { return psolved() ? win.plow : win.tlow; }
double windowhigh() { return psolved() ? win.phigh : win.thigh; }

// The solved variable as a table cell: kbar, or K shown in degrees C.
void addsolved(double v, int width, std::string& buffer)
{
    if (psolved())
        calcwindows::addP(v, width, buffer);
    else
        calcwindows::addT(v - 273.15, width, buffer);
}

std::string logname() { return runio::scriptset.setloga == 0 ? "log a" : "ln a"; }

// Every list index up to 20 values; beyond, every s-th from the first and the last.
bool shown(int j, int n)
{
    if (n <= maxcolumns) return true;
    const int s = (n + maxcolumns - 1) / maxcolumns;
    return (j - 1) % s == 0 || j == n;
}

int columnwidth()
{
    const runio::Windows& w = win;
    const int solved = psolved() ? w.pdecimals - 3 : w.tdecimals - 2 + (w.tdecimals != 0 ? 1 : 0);
    int listed = 0;
    switch (w.othervariable) {
    case 0: listed = w.pdecimals - 3; break;
    case 1: listed = w.tdecimals - 2 + (w.tdecimals != 0 ? 1 : 0); break;
    case 2: listed = w.xdecimals - 2; break;
    default: listed = w.adecimals; break;
    }
    return 7 + std::max(solved, listed);
}

// A standard deviation, or the variance itself when it is not above 0.
double sdorvar(double var) { return var > 0.0 ? std::sqrt(var) : var; }

// The linearised thermodynamics of every reaction about the calculation point.
void thermodynamics()
{
    const runio::Windows& w = win;
    putstr(1, "Thermodynamics of reactions (0 = a + bT + cP + RT ln K)", 1, msol);
    std::string line = "linearised at T = " + realstrshort(w.tcalc - 273.15) + ", P = " + realstr(w.pcalc, 1, true);
    const bool co2shown = ems.ico2 != 0 && w.xco2 > 0.0;
    if (co2shown) line += ", x(CO2) = " + realstr(w.xco2, 3, true);
    if (ems.ih2o != 0 && w.xh2o > 0.0 && (!co2shown || std::fabs(w.xco2 + w.xh2o - 1.0) > 0.001))
        line += ", x(H2O) = " + realstr(w.xh2o, 3, true);
    putstr(0, line, 1, msol);
    putstr(0, "(a, b and c includes fluid fugacities; ln K includes x(CO2), x(H2O))", 2, msol);
    line = "    ";
    addfield("a", 10, line);
    addfield("sd(a)", 8, line);
    addfield("b", 11, line);
    addfield("c", 11, line);
    addfield("ln_K", 9, line);
    addfield("sd(ln_K)", 9, line);
    putstr(0, line, 1, msol);

    calcwindows::calclnkall();
    calcwindows::calcvarlna();
    const int nem = ems.nem;
    for (int i = 1; i <= rxns.nrxn; ++i) {
        const auto& nu = rxns.r[i];
        double vara = 0.0, varlnk = 0.0;
        for (int j = 1; j <= nem; ++j) {
            if (nu[j] == 0) continue;
            for (int k = 1; k <= nem; ++k)
                if (nu[k] != 0) vara += nu[j] * ems.covat(j, k) * nu[k];
            varlnk += nu[j] * nu[j] * ems.varlna[j];
        }
        double dgdp, dgdt, g;
        thermodata::calcrxn(i, dgdp, dgdt, g, w.pcalc, w.tcalc, w.xco2, w.xh2o);
        // The fluid's own mixing enters ln K as x(CO2) and x(H2O).
        double lnk = rxns.lnk[i];
        if (ems.ico2 != 0 && nu[ems.ico2] != 0 && 0.0 < w.xco2 && w.xco2 < 1.0) lnk += nu[ems.ico2] * std::log(w.xco2);
        if (ems.ih2o != 0 && nu[ems.ih2o] != 0 && 0.0 < w.xh2o && w.xh2o < 1.0) lnk += nu[ems.ih2o] * std::log(w.xh2o);
        const double a = g - w.tcalc * dgdt - w.pcalc * dgdp;
        const double b = dgdt - thermodata::rgas * lnk;
        line.clear();
        addfield(runio::inttext(i), -4, line);
        addreal(a, 3, true, 10, line);
        addreal(sdorvar(vara), 2, true, 8, line);
        addreal(b, 6, true, 11, line);
        addreal(dgdp, 5, true, 11, line);
        addreal(lnk, 3, true, 9, line);
        addreal(sdorvar(varlnk), 3, true, 9, line);
        putstr(0, line, 1, msol);
    }
}

void tableheading(int n, int width)
{
    const runio::Windows& w = win;
    const std::string& rock = runio::scriptset.rockname;
    std::string line;
    if (psolved())
        line = (rock.empty() ? std::string("Prsessures") : "Pressures for " + rock) + " in the range " +
               realstr(w.plow, 1, true) + " <-> " + realstr(w.phigh, 1, true) + "kbar;  ";
    else
        line = (rock.empty() ? std::string("Temperatures") : "Temperatures for " + rock) + " in the range " +
               realstrshort(w.tlow - 273.15) + " <-> " + realstrshort(w.thigh - 273.15) + degreesc + ";  ";
    switch (runio::run.diagrammode) {
    case 0: calcwindows::fluidlabel(line); break;
    case 1:
    case 3: line += "for T = " + realstrshort(w.tcalc - 273.15) + degreesc; break;
    default: line += "for P = " + realstr(w.pcalc, 1, true) + " kbar"; break;
    }
    putstr(1, line, 1, msol);

    const std::string& axis = w.setalabel[1];
    auto middle = [](double lo, double hi) {
        const double m = (lo + hi) / 2.0;
        return realstr(m, runio::ndecimals(m), true);
    };
    switch (w.othervariable) {
    case 0: line = "uncertainties at " + realstr(w.pcalc, 1, true) + " kbars "; break;
    case 1: line = "uncertainties at " + realstrshort(w.tcalc - 273.15) + degreesc + " "; break;
    case 2: line = "uncertainties at or near x(CO2) = " + middle(w.xlow, w.xhigh); break;
    default: line = "uncertainties at or near " + logname() + "(" + axis + ") " + middle(w.lnalow, w.lnahigh); break;
    }
    putstr(0, line, 1, msol);

    line.clear();
    const std::string labels[] = {"T" + degreesc, "P(kbar)", "x(CO2)"};
    addfield(w.othervariable <= 2 ? labels[w.othervariable] : logname(), -6, line);
    for (int j = 1; j <= n; ++j) {
        if (!shown(j, n)) continue;
        const double v = abscissa(j);
        switch (w.othervariable) {
        case 0: calcwindows::addP(v, width, line); break;
        case 1: calcwindows::addT(v - 273.15, width, line); break;
        case 2: calcwindows::addX(v, width, line); break;
        default: addreal(v, runio::ndecimals(v), true, width, line); break;
        }
    }
    if (w.othervariable <= 1) {
        addfield("sdT", width, line);
        addfield("sdP", width, line);
    } else {
        addfield(psolved() ? "sdP" : "sdT", width, line);
    }
    putstr(1, line, 2, msol);
}

// The list index of the calculation point: the first value not below it.
int calcpointindex(int n)
{
    const runio::Windows& w = win;
    if (w.othervariable >= 2) return n / 2 >= 1 ? n / 2 : 1;
    // A list built by steps may hold the point a rounding below it.
    const double point = w.othervariable == 0 ? w.pcalc : w.tcalc;
    const double below = point - 1e-9 * std::max(1.0, std::fabs(point));
    for (int j = 1; j <= n; ++j)
        if (!(abscissa(j) < below)) return j;
    return n;
}

using LineRow = runio::Arr<double, runio::maxlist + 1>;

// The uncertainty cells of a row of line solutions v: at the calculation
// point's column, or at the nearest column whose solution lies in the window.
void uncertaintycells(int i, const LineRow& v, bool firstrow, int n, int m0, int width, std::string& row)
{
    const int sv = rxlines.solvedvar;
    int m = 0;
    if (axmodels::inrange(sv, v[m0])) {
        m = m0;
    } else {
        int below = 0, above = 0;
        for (int j = m0 - 1; j >= 1 && below == 0; --j)
            if (axmodels::inrange(sv, v[j])) below = j;
        for (int j = m0 + 1; j <= n && above == 0; ++j)
            if (axmodels::inrange(sv, v[j])) above = j;
        if (below != 0 && above != 0)
            m = m0 - below < above - m0 ? below : above;
        else
            m = below + above;
    }
    if (m == 0) return;

    calcwindows::calcvarlna();
    double p, t, xco2, xh2o, a = 0.0, mu = 0.0;
    setiptx(p, t, xco2, xh2o, a, mu, abscissa(m), v[m]);
    imposeaxis(a);
    double u1, u2, sd1, sd2, slope1, slope2;
    if (psolved())
        calcwindows::linepointp(i, t, xco2, xh2o, u1, u2, sd1, sd2, slope1, slope2);
    else
        calcwindows::linepointt(i, p, xco2, xh2o, u1, u2, sd1, sd2, slope1, slope2);
    const bool in1 = axmodels::inrange(sv, u1), in2 = axmodels::inrange(sv, u2);
    if (!in1 && !in2) return;
    const bool use1 = in1 && (!in2 || std::fabs(u1 - v[m]) < std::fabs(u2 - v[m]));
    const double u = use1 ? u1 : u2, sd = std::fabs(use1 ? sd1 : sd2);
    const bool precise = firstrow && use1;
    const runio::Windows& w = win;
    double dgdp, dgdt, g;
    if (psolved()) {
        if (w.othervariable == 1) {
            // sd(T) of the line at fixed P: sd(P) times the line's dT/dP.
            thermodata::calcrxn(i, dgdp, dgdt, g, u, w.tlist[m], xco2, xh2o);
            // A line along T (dG/dT = 0) has no sd of T at all.
            if (std::fabs(1000.0 * dgdt) < std::fabs(sd * dgdp) || dgdt == 0.0)
                addfield("+", width, row);
            else
                addfield(realstrshort(std::fabs(sd * dgdp / dgdt)), width, row);
        }
        addreal(sd, 2, true, width, row);
    } else {
        if (sd >= tsdlimit)
            addfield("+", width, row);
        else
            addfield(precise ? realstr(sd, 1, true) : realstrshort(sd), width, row);
        if (w.othervariable == 0) {
            thermodata::calcrxn(i, dgdp, dgdt, g, w.plist[m], u, xco2, xh2o);
            const double sdp = std::fabs(sd * dgdt / dgdp);
            if (std::fabs(100.0 * dgdp) < std::fabs(sd * dgdt) || dgdp == 0.0)
                addfield("+", width, row);
            else
                addreal(sdp, 2, precise, width, row);
        }
    }
}

// The two solutions of reaction i's line at every list value, the lower
// first, searched in the widened window.
void solvelines(int i, int n)
{
    LineRow& s1 = rxlines.linesol1[i];
    LineRow& s2 = rxlines.linesol2[i];
    enlargewindow(win.calcvariable);
    for (int j = 1; j <= n; ++j) lineat(i, abscissa(j), false, s1[j], s2[j]);
    restorewindow(win.calcvariable);
    bool anysecond = false;
    for (int j = 1; j <= n && !anysecond; ++j) anysecond = !(s2[j] < farbelow);
    if (!anysecond) return;
    for (int j = 1; j <= n; ++j)
        if (s1[j] <= farabove && s2[j] > farbelow && s1[j] > s2[j]) std::swap(s1[j], s2[j]);
}

void linerows(int i, int n, int m0, int width)
{
    const LineRow& s1 = rxlines.linesol1[i];
    const LineRow& s2 = rxlines.linesol2[i];
    const double low = windowlow(), high = windowhigh();
    std::string row;
    addfield(runio::inttext(i), -6, row);
    for (int j = 1; j <= n; ++j) {
        if (!shown(j, n)) continue;
        if (0.0 < s1[j] && s1[j] < low && 0.0 < s2[j] && s2[j] < low)
            addfield("", width, row);
        else
            addsolved(s1[j], width, row);
    }
    uncertaintycells(i, s1, true, n, m0, width, row);
    putstr(0, row, 1, msol);

    row = runio::spaces(6);
    for (int j = 1; j <= n; ++j) {
        if (!shown(j, n)) continue;
        if (high < s1[j] && s1[j] < farabove && high < s2[j] && s2[j] < farabove)
            addfield("", width, row);
        else
            addsolved(s2[j], width, row);
    }
    uncertaintycells(i, s2, false, n, m0, width, row);
    putstr(0, row, 1, msol);
}

}  // namespace

void ptxtable()
{
    ReactionLines& l = rxlines;
    if (l.linesol1.empty()) {
        l.linesol1.assign(thermodata::maxrxn + 1, LineRow{});
        l.linesol2.assign(thermodata::maxrxn + 1, LineRow{});
    }
    for (int i = 1; i <= rxns.nrxn; ++i) putstr(i == 1 ? 1 : 0, rxns.rxntext[i], 1, msol);
    if (ems.logaem == 0) thermodynamics();

    const int n = abscissacount();
    const int width = columnwidth();
    tableheading(n, width);
    const int m0 = calcpointindex(n);
    calcwindows::calclnkall();
    for (int i = 1; i <= rxns.nrxn; ++i) {
        solvelines(i, n);
        linerows(i, n, m0, width);
    }
}

}  // namespace emcalcs
