// The independent set of reactions of a rock: its activities with their
// relative uncertainties, the reactions, each reaction's own estimate of the
// solved variable with its uncertainty and its linearised thermodynamics
// 0 = a + bT + cP + RT ln K, the correlations between reactions, and the
// same data as lists for the drawing program.
#include <algorithm>
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/reactions.h"
#include "emcalcs/emcalcs.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace emcalcs {

namespace {

using calcwindows::rsearch;
using calcwindows::rxns;
using calcwindows::win;
using calcwindows::Windows;
using runio::addfield;
using runio::addreal;
using runio::msol;
using runio::putstr;
using thermodata::ems;
using thermodata::rgas;

constexpr double kelvin = 273.15;
constexpr int perblock = 14;   // end-members in a block of the activity table

bool fluidem(int k) { return k == ems.ih2o || k == ems.ico2; }

// The standard deviation of a variance, or a tiny one with a note on the
// screen when the variance is not positive (data without uncertainty).
double sdof(double var, const char* what, int i)
{
    if (var > 0.0) return std::sqrt(var);
    putstr(0, std::string(what) + runio::realstrshort(i) + ")  " + runio::realstr(var, 6, false), 1, runio::mscreen);
    return 1e-8;
}

void correlations(const std::string& title, const RxnMatrix& v, const runio::Arr<double, maxrockrxn + 1>& sd)
{
    putstr(1, title, 2, msol);
    for (int i = 1; i <= rxns.nrxn; ++i) {
        std::string line;
        for (int j = 1; j <= rxns.nrxn; ++j) addreal(v[i][j] / (sd[i] * sd[j]), 4, true, 9, line);
        putstr(0, line, 1, msol);
    }
}

// A list row of the drawing-program file: "  {" items "}" and its ending.
// A row too long for one line goes on over several (the drawing program
// reads the list whatever its line breaks), so that nothing is cut.
void listrow(const runio::Vec<std::string>& items, const std::string& ending)
{
    constexpr std::size_t room = runio::maxlinelen - 12;
    std::string line = "  {";
    const int n = static_cast<int>(items.size()) - 1;
    for (int k = 1; k <= n; ++k) {
        if (line.size() + items[k].size() > room) {
            putstr(0, line, 1, runio::mpx);
            line = runio::spaces(4);
        }
        line += items[k];
        line += k < n ? ", " : "}" + ending;
    }
    putstr(0, line, 1, runio::mpx);
}

std::string field(double x, int n, int width)
{
    std::string s;
    addreal(x, n, true, width, s);
    return s;
}

}  // namespace

void rockreactions()
{
    const Windows& w = win;
    const bool avt = rsearch.rockcalc == 1;
    const std::string deg(1, runio::degreesign);
    calcwindows::calcvarlna();
    const std::string& name = runio::scriptset.rockname;
    std::string line = name.empty() ? "Activities and uncertainties at "
                                    : "Activities and uncertainties for " + name + " at ";
    line += runio::realstr(w.pcalc, 2, true) + " kbar and T = " + runio::realstrshort(w.tcalc - kelvin) + " " + deg + "C";
    putstr(1, line, 1, msol);
    for (int first = 1; first <= ems.nem; first += perblock) {
        const int last = std::min(ems.nem, first + perblock - 1);
        std::string names = runio::spaces(10), acts, sds;
        addfield("a", -10, acts);
        addfield("sd(a)/a", -10, sds);
        for (int k = first; k <= last; ++k) {
            if (calcwindows::excludedem(k)) continue;
            addfield(ems.emname[k], 10, names);
            if (k == ems.ico2 || k == ems.ih2o) {
                addreal(k == ems.ico2 ? w.xco2 : w.xh2o, 4, false, 10, acts);
                addfield(" ", 10, sds);
            } else {
                addreal(ems.act[k], 4, false, 10, acts);
                addreal(std::sqrt(ems.varlna[k]), 5, true, 10, sds);
            }
        }
        putstr(1, names, 1, msol);
        putstr(0, acts, 1, msol);
        putstr(0, sds, 1, msol);
    }

    calcwindows::calclnkall();
    reactioncov(rock.covh, rock.covlnk);
    const int n = rxns.nrxn;
    for (int i = 1; i <= n; ++i) {
        const auto& nu = rxns.r[i];
        if (ems.ico2 > 0 && nu[ems.ico2] != 0 && w.xco2 > 0.0 && w.xco2 < 1.0)
            rxns.lnk[i] += nu[ems.ico2] * std::log(w.xco2);
        if (ems.ih2o > 0 && nu[ems.ih2o] != 0 && w.xh2o > 0.0 && w.xh2o < 1.0)
            rxns.lnk[i] += nu[ems.ih2o] * std::log(w.xh2o);
    }

    using RxnVector = runio::Arr<double, maxrockrxn + 1>;
    RxnVector sdh{}, sdlnk{}, a{}, b{}, c{}, e{}, f{}, x1{}, sdx{};
    for (int i = 1; i <= n; ++i) {
        sdh[i] = sdof(rock.covh[i][i], "covh(", i);
        sdlnk[i] = sdof(rock.covlnk[i][i], "covlnk(", i);
        double x2, dgdp1, dgdp2, dgdt1, dgdt2;
        if (avt)
            calcwindows::findt(i, w.pcalc, w.xco2, w.xh2o, false, x1[i], x2, dgdp1, dgdp2, dgdt1, dgdt2);
        else
            calcwindows::findp(i, w.tcalc, w.xco2, w.xh2o, false, x1[i], x2, dgdp1, dgdp2, dgdt1, dgdt2);
        c[i] = dgdp1;
        b[i] = dgdt1;
        const double t = avt ? x1[i] : w.tcalc, p = avt ? w.pcalc : x1[i];
        a[i] = -t * b[i] - p * c[i];
        e[i] = -1.0 / (avt ? b[i] : c[i]);
        f[i] = rgas * t * e[i];
    }
    RxnMatrix v{};
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            v[i][j] = e[i] * rock.covh[i][j] * e[j] + f[i] * rock.covlnk[i][j] * f[j];
    for (int i = 1; i <= n; ++i) sdx[i] = std::sqrt(v[i][i]);

    const std::string bullets(2, runio::bulletsign);
    putstr(1, rsearch.incompleteset ? bullets + "INCOMPLETE" + bullets + " independent set of reactions"
                                    : "Independent set of reactions",
           1, msol);
    for (int i = 1; i <= n; ++i) {
        calcwindows::writereaction(i);
        putstr(0, rxns.rxntext[i], 1, msol);
    }

    line = "Calculations for the set of reactions";
    line += avt ? " at P = " + runio::realstr(w.pcalc, 1, true) + " kbar"
                : " at T = " + runio::realstrshort(w.tcalc - kelvin) + deg + "C ";
    calcwindows::fluidlabel(line);
    putstr(1, line, 1, msol);
    line = runio::spaces(4);
    addfield(avt ? "T" : "P", 9, line);
    addfield(avt ? "sd(T)" : "sd(P)", 9, line);
    addfield("a", 11, line);
    addfield("sd(a)", 9, line);
    addfield("b", 11, line);
    addfield("c", 10, line);
    addfield("ln_K", 10, line);
    addfield("sd(ln_K)", 10, line);
    putstr(0, line, 1, msol);
    for (int i = 1; i <= n; ++i) {
        line.clear();
        addfield(runio::realstrshort(i), -4, line);
        if (axmodels::inrange(avt ? 0 : 1, x1[i])) {
            addreal(avt ? x1[i] - kelvin : x1[i], avt ? 1 : 2, true, 9, line);
            addreal(sdx[i], avt ? 1 : 2, true, 9, line);
        } else {
            line += runio::spaces(18);
        }
        addreal(a[i], 3, true, 11, line);
        addreal(sdh[i], 3, true, 9, line);
        addreal(b[i] - rgas * rxns.lnk[i], 6, true, 11, line);
        addreal(c[i], 4, true, 10, line);
        addreal(rxns.lnk[i], 4, true, 10, line);
        addreal(sdlnk[i], 4, true, 10, line);
        putstr(0, line, 1, msol);
    }

    if (runio::scriptset.printcor == 0 || runio::scriptflags.debuglevel >= 2) {
        correlations("Correlation matrix: enthalpy of reaction", rock.covh, sdh);
        correlations("Correlation matrix: ln K", rock.covlnk, sdlnk);
        correlations(avt ? "Correlation matrix:  calculated temperatures" : "Correlation matrix:  calculated pressures",
                     v, sdx);
    }
}

void exportrockdata()
{
    const Windows& w = win;
    calcwindows::calcvarlna();
    reactioncov(rock.covh, rock.covlnk);
    const int n = rxns.nrxn;

    putstr(2, "{name, lna, sdlna} = Transpose[{", 1, runio::mpx);
    for (int k = 1; k <= ems.nem; ++k) {
        const double act = k == ems.ico2 ? w.xco2 : k == ems.ih2o ? w.xh2o : ems.act[k];
        const double sd = fluidem(k) ? 0.0 : std::sqrt(ems.varlna[k]);
        std::string line = "  {";
        addfield(ems.emname[k], 6, line);
        line += ", " + field(std::log(act), 6, 10) + ", " + field(sd, 6, 10);
        line += k < ems.nem ? "}," : "}}];";
        putstr(0, line, k < ems.nem ? 1 : 2, runio::mpx);
    }

    putstr(0, "r = {", 1, runio::mpx);
    for (int i = 1; i <= n; ++i) {
        runio::Vec<std::string> items(1);
        for (int k = 1; k <= ems.nem; ++k) {
            std::string s;
            runio::addrealshort(rxns.r[i][k], 3, s);
            items.push_back(s);
        }
        listrow(items, i < n ? "," : "};");
    }

    putstr(1, "{a, b, c, lnK, sdlnK} = Transpose[{", 1, runio::mpx);
    for (int i = 1; i <= n; ++i) {
        double dgdp, dgdt, g;
        thermodata::calcrxn(i, dgdp, dgdt, g, w.pcalc, w.tcalc, w.xco2, w.xh2o);
        std::string line = "  {" + field(g - dgdt * w.tcalc - dgdp * w.pcalc, 2, 7) + ", " +
                           field(dgdt - rgas * rxns.lnk[i], 5, 9) + ", " + field(dgdp, 3, 8) + ", " +
                           field(rxns.lnk[i], 4, 9) + ", " + field(std::sqrt(rock.covlnk[i][i]), 4, 9);
        line += i < n ? "}," : "}}];";
        putstr(0, line, i < n ? 1 : 2, runio::mpx);
    }

    putstr(0, "covh = {", 1, runio::mpx);
    for (int i = 1; i <= n; ++i) {
        runio::Vec<std::string> items(1);
        for (int j = 1; j <= n; ++j) items.push_back(field(rock.covh[i][j], 4, 10));
        listrow(items, i < n ? "," : "};");
    }
}

}  // namespace emcalcs
