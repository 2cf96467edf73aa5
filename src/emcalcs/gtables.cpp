// The P-T grid of the mode-0 tables and the Gibbs energy of every working
// end-member on it: on screen, output file and log, and as lists for the
// drawing program.
#include <cmath>

#include "calcwindows/calcwindows.h"
#include "emcalcs/emcalcs.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace emcalcs {

TableGrid grid;

namespace {

using runio::addfield;
using runio::addreal;
using runio::putstr;
using thermodata::ems;

// A range giving too few or too many points is replaced by this many.
constexpr int fallbackpoints = 10;

struct AxisAsk {
    const char* prompt;
    double defaultvalue;   // for an empty reply, as the user gives it
    double shift;          // from the user's unit to the stored one (273.15 for degrees C)
    bool temperature;
    const char* oddmessage;
};

// Why a reply is not taken: empty when it is.
std::string refusal(const AxisAsk& a, int n, const runio::Arr<double, maxgrid + 1>& v)
{
    if (!a.temperature) return "";
    for (int i = 1; i <= n; ++i)
        if (v[i] <= 0.0)
            return "temperatures must be above -273.15" + degreesc + " (0 K): give the temperatures again";
    return "";
}

// One axis of the grid from a reply: a list of values, or start, finish and
// interval (three values of which the second is not below the third).
void askaxis(const AxisAsk& a, int& n, runio::Arr<double, maxgrid + 1>& v)
{
    for (;;) {
        runio::Arr<double, runio::maxwords + 1> reply{};
        int nr = 0;
        runio::promptreals(a.prompt, reply, nr);
        if (nr == 0) {
            n = 1;
            v[1] = a.defaultvalue + a.shift;
        } else if (nr == 3 && reply[2] >= reply[3]) {
            const double start = reply[1], finish = reply[2], step = reply[3];
            if (step == 0.0 || start > finish) runio::bomb("PTgrid", a.oddmessage, 0);
            const double count = std::nearbyint((finish - start) / step) + 1.0;
            if (count >= 2.0 && count <= maxgrid) {
                n = static_cast<int>(count);
                for (int i = 1; i <= n; ++i) v[i] = start + (i - 1) * step;
            } else {
                n = fallbackpoints;
                const double spacing = (finish - start) / fallbackpoints;
                for (int i = 1; i <= n; ++i) v[i] = start + (i - 1) * spacing;
            }
            // A pressure grid starting at 0 starts at 1 bar, the standard state.
            if (!a.temperature && v[1] == 0.0) v[1] = 0.001;
            for (int i = 1; i <= n; ++i) v[i] += a.shift;
            if (a.temperature && v[1] == 300.0) v[1] = 298.15;
        } else if (nr > maxgrid) {
            putstr(0, "at most " + runio::inttext(maxgrid) + " values in a list: give them again", 1, runio::msl);
            continue;
        } else {
            n = nr;
            for (int i = 1; i <= n; ++i) v[i] = reply[i] + a.shift;
        }
        const std::string why = refusal(a, n, v);
        if (why.empty()) return;
        putstr(0, why, 1, runio::msl);
    }
}

// "lp = {" ... "};": a grid axis as a list, twelve values to a line.
void gridlist(const std::string& head, const runio::Arr<double, maxgrid + 1>& v, int n, int decimals, double shift)
{
    std::string& line3 = runio::chans.line3;
    line3 = head;
    for (int i = 1; i <= n; ++i) {
        addreal(v[i] + shift, decimals, true, 8, line3);
        if (i < n) addfield(",", 0, line3);
        if (i % perline == 0 && i < n) {
            putstr(0, line3, 1, runio::mpx);
            line3 = runio::spaces(6);
        }
    }
    addfield("};", 0, line3);
    putstr(1, line3, 1, runio::mpx);
}

// G of working end-member k at the fluid-free state of its row.
double gibbs(int k, double p, double t)
{
    thermodata::TdRow& r = ems.td[k];
    r[thermodata::sXco2] = 0.0;
    r[thermodata::sXh2o] = 0.0;
    double g;
    thermodata::gemmake(k, g, p, t);
    return g;
}

void singlepoint()
{
    std::string& line = runio::chans.line;
    std::string& line3 = runio::chans.line3;
    const double p = grid.p[1], t = grid.t[1];
    line = "G at " + runio::realstr(p, 3, true) + " kbar and " + runio::realstr(t - 273.15, 2, true);
    addfield(" " + degreesc, 3, line);
    putstr(1, line, 1, runio::msol);
    putstr(0, "", 1, runio::mpx);
    for (int k = 1; k <= ems.nem; ++k) {
        const std::string& name = ems.emname[k];
        const double g = gibbs(k, p, t);
        line.clear();
        addfield(name, 6, line);
        line += " =";
        addfield(fixedtext(g, 8), 17, line);
        putstr(0, line, 1, runio::msol);
        line3.clear();
        addfield("G[" + name + "] ^= {{", 15, line3);
        addreal(g, 8, false, 12, line3);
        addfield("}};", 0, line3);
        putstr(0, line3, 1, runio::mpx);
    }
}

void severalpoints()
{
    std::string& line = runio::chans.line;
    std::string& line3 = runio::chans.line3;
    for (int k = 1; k <= ems.nem; ++k) {
        const std::string& name = ems.emname[k];
        putstr(1, "G(" + name + ")", 2, runio::msol);
        putstr(1, "G[" + name + "] ^= {", 2, runio::mpx);
        line.clear();
        addfield("kbar", 7, line);
        addfield(" " + degreesc, 3, line);
        for (int j = 1; j <= grid.nt; ++j) runio::addrealshort(grid.t[j] - 273.15, 10, line);
        putstr(0, line, 1, runio::msol);
        for (int i = 1; i <= grid.np; ++i) {
            const double p = grid.p[i];
            line.clear();
            addreal(p, 1, true, 7, line);
            addfield("", 3, line);
            line3 = "    {";
            for (int j = 1; j <= grid.nt; ++j) {
                const double g = gibbs(k, p, grid.t[j]);
                addreal(g, 4, true, 12, line);
                addreal(g, 8, false, 18, line3);
                if (j < grid.nt)
                    addfield(",", 0, line3);
                else
                    addfield(i < grid.np ? "}," : "}};", 0, line3);
                if (j % perline == 0 && j < grid.nt) {
                    putstr(0, line3, 1, runio::mpx);
                    line3 = runio::spaces(5);
                }
            }
            putstr(0, line, 1, runio::msol);
            putstr(0, line3, 1, runio::mpx);
        }
    }
}

}  // namespace

void PTgrid()
{
    const runio::ScriptSet& s = runio::scriptset;
    const calcwindows::Windows& w = calcwindows::win;
    putstr(1, "specification of table PT", 1, runio::msl);
    if (s.calcP == 0 && w.plow == w.phigh) {
        grid.np = 1;
        grid.p[1] = w.plow;
    } else {
        askaxis({"P: list of values OR start, finish, interval", 5.0, 0.0, false, "odd P"}, grid.np, grid.p);
    }
    if (s.calcT == 0 && w.tlow == w.thigh) {
        grid.nt = 1;
        grid.t[1] = w.tlow;
    } else {
        const std::string prompt = "T" + degreesc + ": list of values OR start, finish, interval";
        askaxis({prompt.c_str(), 5.0, 273.15, true, "odd T"}, grid.nt, grid.t);
    }
}

void gibbstables()
{
    gridlist("lp = {", grid.p, grid.np, 3, 0.0);
    gridlist("lt = 273.15 + {", grid.t, grid.nt, 1, -273.15);
    if (grid.np == 1 && grid.nt == 1)
        singlepoint();
    else
        severalpoints();
}

}  // namespace emcalcs
