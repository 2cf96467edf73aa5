// The report of the invariant points of a Schreinemakers analysis: the
// headings of the diagram, and per point its phases, for a stable point its
// reactions in the order of their slopes with the sides on which each is
// stable (the absent-phase labels of Schreinemakers' analysis), and the
// point itself, in P-T with the standard deviations of P and T and their
// correlation from the enthalpy covariances and the activity uncertainties.
#include <cctype>
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
using runio::msol;
using runio::putstr;
using runio::realstr;
using runio::realstrshort;
using thermodata::comps;
using thermodata::ems;

// Slopes beyond this are vertical (or the reaction does not involve the axis).
constexpr double vertical = 1e20;

std::string withdecimals(double v) { return realstr(v, runio::ndecimals(v), true); }
std::string logtext() { return runio::scriptset.setloga == 0 ? "log a(" : "ln a("; }
std::string firstline(const std::string& kind, const char* tail)
{
    const std::string& rock = runio::scriptset.rockname;
    return kind + (rock.empty() ? std::string(tail) : " for " + rock);
}

std::string pwindow()
{
    return "window : P " + realstr(win.plow, 1, true) + " <-> " + realstr(win.phigh, 1, true) + " kbars; ";
}
std::string twindow()
{
    return realstrshort(win.tlow - 273.15) + " <-> " + realstrshort(win.thigh - 273.15) + degreesc;
}
std::string xwindow() { return "x(CO2) " + withdecimals(win.xlow) + " <-> " + withdecimals(win.xhigh); }
std::string awindow()
{
    return logtext() + win.setalabel[1] + ") " + withdecimals(win.lnalow) + " <-> " + withdecimals(win.lnahigh);
}

// The slope of reaction k's line at the point, in the diagram's own terms:
// dP/dT in P-T, and the change of the abscissa per unit ordinate elsewhere.
double slope(int k, const Intersection& pt)
{
    const int dm = runio::run.diagrammode;
    const auto& nu = rxns.r[k];
    if (dm == 0) {
        double dgdp, dgdt, g;
        thermodata::calcrxn(k, dgdp, dgdt, g, pt.pkbar, pt.tk, pt.xco2, pt.xh2o);
        return dgdp == 0.0 ? vertical : -dgdt / dgdp;
    }
    double step = 0.01;
    if (dm == 1 || dm == 2) {
        if ((ems.ih2o == 0 || nu[ems.ih2o] == 0) && (ems.ico2 == 0 || nu[ems.ico2] == 0)) return vertical;
        // Steps stay inside 0 < x(CO2) < 1.
        if (pt.xco2 < 0.02) step = pt.xco2 / 2.0;
        if (pt.xco2 > 0.98) step = -(1.0 - pt.xco2) / 2.0;
    } else if (ems.logaem == 0 || nu[ems.logaem] == 0) {
        return vertical;
    }
    double y1 = pt.y, y2 = pt.y, second;
    lineat(k, pt.x, true, y1, second);
    lineat(k, pt.x + step, true, y2, second);
    if (y1 == y2) return vertical;
    if (y1 > vertical || y2 > vertical) return 0.0;
    return step / (y2 - y1);
}

}  // namespace

std::string stripdigits(const std::string& text)
{
    std::string out;
    for (std::size_t c = 0; c < text.size(); ++c) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[c])) != 0;
        if (c >= 4 && digit && text[c - 1] != 'H' && text[c - 1] != 'O') continue;
        out += text[c];
    }
    return out;
}

void intersectionheadings()
{
    std::string line;
    const std::string pfixed = " : P = " + realstr(win.pcalc, 1, true) + " kbar";
    const std::string tfixed = " : T = " + realstrshort(win.tcalc - 273.15) + degreesc;
    const std::string& axis = win.setalabel[1];
    switch (runio::run.diagrammode) {
    case 0:
        line = firstline("P-T of intersections", "");
        calcwindows::fluidlabel(line);
        putstr(0, line, 1, msol);
        putstr(0, pwindow() + "T " + twindow(), 1, msol);
        break;
    case 1:
        putstr(0, firstline("P-x(CO2)  of intersections", "") + tfixed, 1, msol);
        putstr(0, pwindow() + xwindow(), 1, msol);
        break;
    case 2:
        putstr(1, firstline("T-x(CO2)  of intersections", "") + pfixed, 1, msol);
        putstr(0, "window : T " + twindow() + "; " + xwindow(), 1, msol);
        break;
    case 3:
        putstr(0, firstline("P-x(" + axis + ")  of intersections", " ") + tfixed, 1, msol);
        putstr(0, pwindow() + awindow(), 1, msol);
        break;
    default:
        putstr(0, firstline("T-a(" + axis + ")  of intersections", "") + pfixed, 1, msol);
        putstr(0, "window : T " + twindow() + "; " + awindow(), 1, msol);
        break;
    }
    if (comps.nexcess > 0) {
        line = "in excess : ";
        for (int e = comps.nemr + 1; e <= ems.nem; ++e) line += ems.emname[e] + " ";
        putstr(0, line, 1, msol);
    }
}

void printintersection(const Intersection& pt)
{
    const int nemr = comps.nemr, m = pt.m;
    const int axisem = ems.logaem;
    // The axis end-member goes by its label, as in the reaction texts.
    const std::string axisname = ems.emname[axisem];
    const bool relabel = axisem > 0 && !win.setalabel[1].empty();
    if (relabel) ems.emname[axisem] = win.setalabel[1];

    runio::Arr<bool, thermodata::maxem + 1> inpt{};
    for (int i = 1; i <= m; ++i)
        for (int e = 1; e <= ems.nem; ++e) inpt[e] = inpt[e] || rxns.r[pt.rx[i]][e] != 0;

    putstr(0, std::string(58, '-'), 1, msol);
    std::string line = (pt.stable ? "# stable intersection " : "metastable intersection ") + runio::inttext(pt.p) +
                       " involving ";
    std::string names, others;
    for (int e = 1; e <= nemr; ++e) {
        std::string& list = inpt[e] ? names : others;
        list += (list.empty() ? "" : inpt[e] ? " " : ",") + ems.emname[e];
    }
    line += names;
    if (comps.nexcess > 0) {
        line += " + (";
        for (int e = nemr + 1; e <= nemr + comps.nexcess; ++e) line += (e > nemr + 1 ? " " : "") + ems.emname[e];
        line += ")";
    }
    if (!others.empty()) {
        addfield(" or [", 6, line);
        line += others + "]";
    }
    putstr(0, line, 1, msol);
    if (runio::run.diagrammode >= 3 && axisem > 0) inpt[axisem] = false;

    if (pt.stable) {
        runio::Arr<double, maxptrxn + 1> s{};
        runio::Arr<int, maxptrxn + 1> nabs{};
        runio::Arr<std::string, maxptrxn + 1> label{};
        for (int i = 1; i <= m; ++i) {
            const int k = pt.rx[i];
            calcwindows::turnreaction(k, pt.pkbar, pt.tk, pt.xco2, pt.xh2o, pt.a, 0.0);
            s[i] = slope(k, pt);
            label[i] = "[";
            for (int e = 1; e <= nemr; ++e) {
                if (!inpt[e] || rxns.r[k][e] != 0) continue;
                label[i] += (nabs[i] > 0 ? "," : "") + ems.emname[e];
                ++nabs[i];
            }
            label[i] += "]";
        }
        // The reactions in the order of their slopes, each with its neighbours.
        runio::Arr<int, maxptrxn + 2> order{};
        runio::Arr<bool, maxptrxn + 1> taken{};
        for (int k = 1; k <= m; ++k) {
            double best = 1e30;
            for (int i = 1; i <= m; ++i)
                if (!taken[i] && s[i] < best) {
                    best = s[i];
                    order[k] = i;
                }
            taken[order[k]] = true;
        }
        order[0] = order[m];
        order[m + 1] = order[1];

        static const char* columns[][3] = {{"low T", "high T", "dp/dt"},  {"low P", "high P", "dx/dp"},
                                           {"low T", "high T", "dx/dt"},  {"low P", "high P", "dlna/dp"},
                                           {"low T", "high T", "dlna/dt"}};
        const char* const* heads = columns[runio::run.diagrammode];
        line = runio::spaces(66);
        for (int c = 0; c < 3; ++c) addfield(heads[c], 10, line);
        putstr(0, line, 1, msol);

        for (int k = 1; k <= m; ++k) {
            const int i = order[k];
            const int nb = s[i] < 0.0 ? order[k - 1] : order[k + 1];
            const double si = s[i], sn = s[nb];
            const bool turned = (0.0 < sn && sn < si) || (si < sn && sn < 0.0);
            // absent phases of i on the side where the neighbour produces them
            int c = 0;
            for (int e = 1; e <= nemr; ++e) {
                if (!inpt[e] || rxns.r[pt.rx[i]][e] != 0) continue;
                const int nu = rxns.r[pt.rx[nb]][e];
                if (turned ? nu <= -1 : nu >= 1) ++c;
            }
            line.clear();
            addfield(stripdigits(rxns.rxntext[pt.rx[i]]), -50, line);
            addfield(label[i], 16, line);
            addfield(c == 0 ? "" : "stable", 10, line);
            addfield(c > 0 && c == nabs[i] ? "" : "stable", 10, line);
            if (std::fabs(si) < 1e-10)
                addfield("0", 10, line);
            else if (std::fabs(si) > 1e19)
                addfield(std::string(1, runio::degreesign), 10, line);
            else
                addfield(realstr(si, 3, false), 10, line);
            putstr(0, line, k == m ? 2 : 1, msol);
        }
    }
    if (relabel) ems.emname[axisem] = axisname;
}

void intersectionpoint(const Intersection& pt)
{
    std::string line;
    const double tc = pt.tk - 273.15;
    switch (runio::run.diagrammode) {
    case 0: {
        double sdp, sdt, cor;
        intersectionptx(pt.line1, pt.line2, pt.x, pt.y, sdp, sdt, cor);
        line = "P = ";
        calcwindows::addP(pt.pkbar, 0, line);
        line += " kbar (sd = " + realstr(sdp, 1, true) + "), T = ";
        calcwindows::addT(tc, 0, line);
        line += " " + degreesc + " (sd = " + realstrshort(sdt) + "), (cor = " + realstr(cor, 3, true) + ")";
        break;
    }
    case 1:
        line = "P = ";
        calcwindows::addP(pt.pkbar, 0, line);
        line += " kbar, x(CO2) = " + realstr(pt.xco2, 3, false);
        break;
    case 2:
        line = "T = ";
        calcwindows::addT(tc, 0, line);
        line += " " + degreesc + " , x(CO2) = " + realstr(pt.xco2, 3, false);
        break;
    case 3:
        line = "P = ";
        calcwindows::addP(pt.pkbar, 0, line);
        line += "kbar ," + logtext() + win.setalabel[1] + ") = " + realstr(pt.a, 2, true);
        break;
    default:
        line = "T = ";
        calcwindows::addT(tc, 0, line);
        line += " " + degreesc + "," + logtext() + win.setalabel[1] + ") = " + realstr(pt.a, 2, true);
        break;
    }
    putstr(0, line, 1, msol);
}

void intersectionptx(int i, int j, double x, double y, double& sdp, double& sdt, double& cor)
{
    double p, t, xco2, xh2o, a = 0.0, mu = 0.0;
    setiptx(p, t, xco2, xh2o, a, mu, x, y);
    // dG/dP and dG/dT of each reaction on its line at P; a line along T
    // (dG/dT = 0) has no T there, and takes them at the point itself.
    auto derivatives = [&](int k, double& dgdp, double& dgdt) {
        double t1 = t, t2, dgdp2, dgdt2, g;
        calcwindows::findt(k, p, xco2, xh2o, true, t1, t2, dgdp, dgdp2, dgdt, dgdt2);
        if (!axmodels::inrange(0, t1)) thermodata::calcrxn(k, dgdp, dgdt, g, p, t, xco2, xh2o);
    };
    double ai, bi, aj, bj;
    derivatives(i, ai, bi);
    derivatives(j, aj, bj);
    calcwindows::calcvarlna();
    const double d = ai * bj - aj * bi;
    const double m1[2] = {-bj / d, bi / d}, m2[2] = {aj / d, -ai / d};
    // covariances of the two reactions' G: enthalpies, and ln a of their end-members
    const auto& ni = rxns.r[i];
    const auto& nj = rxns.r[j];
    double c[2][2] = {{0, 0}, {0, 0}}, cl[2][2] = {{0, 0}, {0, 0}};
    for (int k = 1; k <= ems.nem; ++k) {
        if (ni[k] == 0 && nj[k] == 0) continue;
        for (int l = 1; l <= ems.nem; ++l) {
            const double v = ems.covat(k, l);
            c[0][0] += ni[k] * v * ni[l];
            c[0][1] += ni[k] * v * nj[l];
            c[1][1] += nj[k] * v * nj[l];
        }
        cl[0][0] += ems.varlna[k] * ni[k] * ni[k];
        cl[0][1] += ems.varlna[k] * ni[k] * nj[k];
        cl[1][1] += ems.varlna[k] * nj[k] * nj[k];
    }
    c[1][0] = c[0][1];
    cl[1][0] = cl[0][1];
    const double rt2 = std::pow(thermodata::rgas * t, 2);
    auto form = [&](const double* u, const double* v) {
        double sum = 0.0;
        for (int r = 0; r < 2; ++r)
            for (int q = 0; q < 2; ++q) sum += u[r] * (c[r][q] + rt2 * cl[r][q]) * v[q];
        return sum;
    };
    sdp = std::sqrt(form(m1, m1));
    sdt = std::sqrt(form(m2, m2));
    cor = sdp > 0.0 && sdt > 0.0 ? form(m1, m2) / (sdp * sdt) : 0.0;
}

}  // namespace emcalcs
