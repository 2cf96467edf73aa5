// The optional last sections of the mode-0 tables: the standard Gibbs
// energy change of every reaction among the working end-members, linearised
// about a chosen point as dG0 = a + bT + cP, with the departure of the
// linear form from the full calculation on a grid; or RT ln f of H2O, CO2,
// CH4, H2, H2S and S2 on a grid.
#include <cmath>

#include "calcwindows/reactions.h"
#include "emcalcs/emcalcs.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace emcalcs {

namespace {

using calcwindows::rxns;
using calcwindows::win;
using runio::addfield;
using runio::addreal;
using runio::addrealshort;
using runio::putstr;
using thermodata::ems;

constexpr double kelvin = 273.15;

// dG0 = a + bT + cP about (pcalc, tcalc): the tangent plane of the full
// calculation there, fluids included through their equations of state.
struct Linear {
    double a = 0.0, b = 0.0, c = 0.0;
};

Linear linearise(int i)
{
    double dgdp, dgdt, g;
    thermodata::calcdg0(i, dgdp, dgdt, g, win.pcalc, win.tcalc);
    return {g - dgdt * win.tcalc - dgdp * win.pcalc, dgdt, dgdp};
}

double dg0(int i, double p, double t)
{
    double dgdp, dgdt, g;
    thermodata::calcdg0(i, dgdp, dgdt, g, p, t);
    return g;
}

// The separator after value k of n in a drawing-program list, and the
// break after every twelfth, so that a long row is never cut.
void listnext(std::string& line3, int k, int n, const char* last)
{
    addfield(k < n ? "," : last, 0, line3);
    if (k % perline == 0 && k < n) {
        putstr(0, line3, 1, runio::mpx);
        line3 = runio::spaces(5);
    }
}

// "{" values "};" of a grid axis for the drawing program.
void axislist(const std::string& head, const runio::Arr<double, maxgrid + 1>& v, int n, int decimals, int before,
              int after)
{
    std::string& line3 = runio::chans.line3;
    // The line ends before the list come before its first line.
    if (before > 0) putstr(before, "", 0, runio::mpx);
    line3 = head;
    for (int k = 1; k <= n; ++k) {
        addreal(v[k], decimals, true, 8, line3);
        listnext(line3, k, n, "};");
    }
    putstr(0, line3, after, runio::mpx);
}

void askpoint()
{
    putstr(1, "PT about which thermodynamics linearised", 1, runio::msl);
    runio::promptreal("  P", win.pcalc);
    win.tcalc = runio::promptcelsius("  T" + degreesc);
}

std::string pointtext()
{
    return "P = " + runio::realstr(win.pcalc, 1, true) + " kbar and T = " +
           runio::realstrshort(std::nearbyint(win.tcalc - kelvin)) + degreesc;
}

void reactiontable()
{
    std::string& line = runio::chans.line;
    std::string& line3 = runio::chans.line3;
    putstr(0, "(a, b and c includes fluid fugacities, at " + pointtext() + ")", 1, runio::msol);
    line.clear();
    addfield("", 5, line);
    for (int j = 1; j <= ems.nem; ++j) addfield(ems.emname[j], 5, line);
    for (const char* h : {"a", "b", "c"}) addfield(h, 10, line);
    putstr(1, line, 1, runio::msol);
    putstr(0, "(* reaction thermo linearised at " + pointtext() + " *)", 2, runio::mpx);

    for (int i = 1; i <= rxns.nrxn; ++i) {
        const auto& nu = rxns.r[i];
        const Linear l = linearise(i);
        line.clear();
        addrealshort(i, 5, line);
        line3 = i == 1 ? "{{" : " {";
        addrealshort(i, 4, line3);
        addfield(",", 0, line3);
        for (int j = 1; j <= ems.nem; ++j) {
            if (nu[j] == 0) {
                addfield(".", 5, line);
                addfield("0,", 6, line3);
            } else {
                addrealshort(nu[j], 5, line);
                addrealshort(nu[j], 5, line3);
                addfield(",", 0, line3);
            }
        }
        addreal(l.a, 4, false, 10, line);
        addreal(l.b, 5, true, 10, line);
        addreal(l.c, 3, true, 10, line);
        addreal(l.a, 4, false, 10, line3);
        addfield(",", 0, line3);
        addreal(l.b, 5, true, 10, line3);
        addfield(",", 0, line3);
        addreal(l.c, 3, true, 10, line3);
        addfield(i == rxns.nrxn ? "}};" : "},", 0, line3);
        putstr(0, line, 1, runio::msol);
        putstr(0, line3, 1, runio::mpx);
    }
}

// How far the linear form departs from the full calculation, reaction by
// reaction as the user asks, on a grid asked once.
void departures()
{
    std::string& line = runio::chans.line;
    std::string& line3 = runio::chans.line3;
    putstr(1, "error matrix for linearisation", 1, runio::msl);
    bool gridasked = false;
    for (;;) {
        int n = 0;
        runio::promptinteger("which reaction", n);
        if (n < 1 || n > rxns.nrxn) return;
        if (!gridasked) PTgrid();
        gridasked = true;
        const Linear l = linearise(n);

        line.clear();
        addfield("", 8, line);
        for (int k = 1; k <= grid.nt; ++k) addreal(grid.t[k] - kelvin, 2, true, 8, line);
        putstr(1, line, 1, runio::msol);
        putstr(2, "(* reaction thermo for (" + runio::realstrshort(n) + ") *)", 1, runio::mpx);
        axislist("{", grid.p, grid.np, 2, 1, 1);
        axislist("{", grid.t, grid.nt, 2, 0, 2);

        for (int ip = 1; ip <= grid.np; ++ip) {
            const double p = grid.p[ip];
            line.clear();
            addreal(p, 2, true, 8, line);
            line3 = ip == 1 ? "{{" : " {";
            for (int it = 1; it <= grid.nt; ++it) {
                const double t = grid.t[it];
                const double g = dg0(n, p, t);
                addreal(g - (l.a + l.b * t + l.c * p), 2, true, 8, line);
                addreal(g, 4, true, 10, line3);
                listnext(line3, it, grid.nt, "}");
            }
            putstr(0, line, 1, runio::msol);
            addfield(ip < grid.np ? "," : "};", 0, line3);
            putstr(0, line3, 1, runio::mpx);
        }
    }
}

void reactionthermo()
{
    // The tables give the pure fluids: no mixing in the end-members' rows.
    for (int k = 1; k <= ems.nem; ++k) {
        ems.td[k][thermodata::sXco2] = 0.0;
        ems.td[k][thermodata::sXh2o] = 0.0;
    }
    bool complete;
    calcwindows::calcre(complete);
    if (rxns.nrxn == 0) {
        putstr(0, "No reactions...", 1, runio::msol);
        return;
    }
    putstr(1, "Thermodynamics of reactions (delta G^0 = a + bT + cP)", 1, runio::msol);
    askpoint();
    reactiontable();
    departures();
}

// ---------------------------------------------------------------- fugacity tables

void fugacityheading()
{
    std::string& line = runio::chans.line;
    line.clear();
    addfield("kbar", 7, line);
    addfield(" " + degreesc, 3, line);
    for (int k = 1; k <= grid.nt; ++k) addrealshort(grid.t[k] - kelvin, 8, line);
    putstr(0, line, 1, runio::msol);
}

void h2otable()
{
    std::string& line = runio::chans.line;
    std::string& line3 = runio::chans.line3;
    putstr(1, "RT ln f(H2O)", 2, runio::msol);
    PTgrid();
    fugacityheading();
    axislist("flp = {", grid.p, grid.np, 3, 1, 1);
    axislist("flt = {", grid.t, grid.nt, 1, 1, 2);
    line3 = "rtlnfh2o = {";
    for (int ip = 1; ip <= grid.np; ++ip) {
        const double p = grid.p[ip];
        line.clear();
        addreal(p, 1, true, 8, line);
        addfield("", 3, line);
        addfield("{", 0, line3);
        for (int it = 1; it <= grid.nt; ++it) {
            double v, rtlnf;
            thermodata::h2oeos(v, rtlnf, p, grid.t[it]);
            addreal(rtlnf, 3, true, 8, line);
            addreal(rtlnf, 3, true, 8, line3);
            listnext(line3, it, grid.nt, ip < grid.np ? "}," : "}};");
        }
        putstr(0, line, 1, runio::msol);
        putstr(0, line3, 1, runio::mpx);
        line3.clear();
    }
}

// RT ln f (kJ) of the fluid of a table other than H2O's.
double rtlnfof(const std::string& fluid, double p, double t)
{
    double v, rtlnf;
    if (fluid == "CO2") {
        thermodata::co2eos(v, rtlnf, p, t);
    } else {
        const thermodata::CsGas* gas = thermodata::csgas(fluid);
        thermodata::corkcs(v, rtlnf, p, t, gas->pcrit, gas->tcrit);
    }
    return rtlnf;
}

void fugacitytables()
{
    h2otable();
    std::string& line = runio::chans.line;
    for (const std::string fluid : {"CO2", "CH4", "H2", "H2S", "S2"}) {
        putstr(1, "RT ln f(" + fluid + ")", 2, runio::msol);
        if (!runio::query("same PT grid")) PTgrid();
        fugacityheading();
        for (int ip = 1; ip <= grid.np; ++ip) {
            const double p = grid.p[ip];
            line.clear();
            addreal(p, 1, true, 7, line);
            addfield("", 3, line);
            for (int it = 1; it <= grid.nt; ++it) addreal(rtlnfof(fluid, p, grid.t[it]), 3, true, 8, line);
            putstr(0, line, 1, runio::msol);
        }
    }
}

}  // namespace

void furthertables()
{
    const runio::ScriptSet& s = runio::scriptset;
    // A script that fixes one P and one T asks for one point, not for tables.
    if (s.calcP == 0 && win.plow == win.phigh && s.calcT == 0 && win.tlow == win.thigh) return;
    if (runio::query("linearised reaction thermo"))
        reactionthermo();
    else if (runio::query("H2O and CO2 fugacity tables"))
        fugacitytables();
}

}  // namespace emcalcs
