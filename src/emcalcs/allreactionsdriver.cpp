// One pass of the all-reactions calculation: the diagram's windows, the
// activities that are not 1, the choice between all reactions in the window
// and a Schreinemakers analysis, the reactions themselves, their table and,
// for a Schreinemakers analysis, their intersections.
#include <algorithm>
#include <cmath>

#include "calcwindows/calcwindows.h"
#include "calcwindows/reactions.h"
#include "emcalcs/emcalcs.h"
#include "runio/scriptset.h"

namespace emcalcs {

namespace {

using calcwindows::win;
using runio::addfield;
using runio::addreal;
using runio::msl;
using runio::msol;
using runio::putstr;
using thermodata::ems;

// An activity from this value up counts as 1.
constexpr double unitactivity = 0.999;
// Activities shown side by side in a block of the activity table.
constexpr int perblock = 8;

bool fluidem(int k) { return k == ems.ih2o || k == ems.ico2; }

void unitaxes()
{
    const int dm = runio::run.diagrammode;
    auto unit = [](int k) {
        if (k < 1) return;
        ems.act[k] = 1.0;
        ems.sdact[k] = 0.0;
    };
    if (dm == 1 || dm == 2) {
        unit(ems.ih2o);
        unit(ems.ico2);
    }
    if (dm == 3 || dm == 4) unit(ems.logaem);
}

void activityreport()
{
    runio::Arr<int, thermodata::maxem + 1> low{};
    int nlow = 0;
    for (int k = 1; k <= ems.nem; ++k)
        if (!fluidem(k) && k != ems.logaem && ems.act[k] < unitactivity) low[++nlow] = k;
    if (nlow == 0) {
        for (int k = 1; k <= ems.nem; ++k) ems.varlna[k] = 0.0;
        putstr(1, "Unit activities", 1, msol);
        return;
    }
    calcwindows::calcvarlna();
    std::string line;
    if (nlow <= 3) {
        putstr(1, "Unit activities except :", 1, msol);
        addfield("name", 9, line);
        addfield("a", 9, line);
        addfield("sd(ln a)", 9, line);
        putstr(0, line, 1, msol);
        for (int i = 1; i <= nlow; ++i) {
            const int k = low[i];
            line.clear();
            addfield(ems.emname[k], 9, line);
            addreal(ems.act[k], 3, false, 9, line);
            addreal(std::sqrt(ems.varlna[k]), 5, true, 9, line);
            putstr(0, line, 1, msol);
        }
        return;
    }
    runio::Arr<int, thermodata::maxem + 1> shown{};
    int n = 0;
    for (int k = 1; k <= ems.nem; ++k)
        if (!fluidem(k)) shown[++n] = k;
    for (int first = 1; first <= n; first += perblock) {
        const int last = std::min(n, first + perblock - 1);
        std::string names = runio::spaces(10), acts, sds;
        addfield("a", -10, acts);
        addfield("sd(ln a)", -10, sds);
        for (int i = first; i <= last; ++i) {
            const int k = shown[i];
            addfield(ems.emname[k], 9, names);
            addreal(ems.act[k], 3, false, 9, acts);
            addreal(std::sqrt(ems.varlna[k]), 5, true, 9, sds);
        }
        putstr(1, names, 1, msol);
        putstr(0, acts, 1, msol);
        putstr(0, sds, 1, msol);
    }
}

// A Schreinemakers analysis (false) or all reactions in the window (true).
bool allreactionschosen()
{
    int& sw = runio::scriptset.doallr;
    if (sw == 0) return true;
    if (sw == 1) return false;
    putstr(1, "required action:", 1, msl);
    putstr(0, " 0: do Schreinemakers (reactions which cannot be stable in the", 1, msl);
    putstr(0, "     window not calculated)", 1, msl);
    putstr(0, " 1: calculate all reactions within the window regardless of stability", 1, msl);
    int code = 1;
    runio::promptinteger("code", code);
    return code != 0;
}

}  // namespace

void phasediagramcalcs()
{
    ems.nexcl = 0;
    calcwindows::rsearch.nexclass = 0;
    static const char* headings[] = {"pressure-temperature calculations", "pressure-x(CO2) calculations",
                                     "temperature-x(CO2) calculations", "pressure-log a calculations",
                                     "temperature-log a calculations"};
    const int dm = runio::run.diagrammode;
    const int code = runio::scriptset.calctypecode;
    std::string heading = headings[dm >= 0 && dm <= 4 ? dm : 0];
    if (code >= 1 && code <= 5) heading += " (from script)";
    putstr(1, heading, 1, msol);

    win.variance = 1;
    thermodata::findspecials();
    calcwindows::diagramwindowsetup(true);
    // The activity axis is tested against its own window, log a or ln a.
    if (dm == 3 || dm == 4) {
        win.alow = win.lnalow;
        win.ahigh = win.lnahigh;
    }
    unitaxes();
    activityreport();
    rxlines.solvedvar = win.calcvariable == 0 ? 1 : 0;
    win.allreactions = allreactionschosen();

    bool complete;
    calcwindows::calcre(complete);
    if (calcwindows::rxns.nrxn == 0) return;
    ptxtable();
    if (!win.allreactions && calcwindows::rxns.nrxn > 2) intersections();
}

}  // namespace emcalcs
