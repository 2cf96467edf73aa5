// The average P-T calculations of a rock (mode 2): within one pass the user
// may run several calculations with the rock's data, each choosing average
// P or average T, optionally leaving out end-members and changing
// activities, setting the windows, taking an independent set of reactions
// from the reaction search or from the script, listing and exporting it and
// calculating the average.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "axmodels/axmodels.h"
#include "calcwindows/reactions.h"
#include "emcalcs/emcalcs.h"
#include "runio/runio.h"
#include "runio/scriptset.h"

namespace emcalcs {

namespace {

using axmodels::ph;
using calcwindows::rsearch;
using calcwindows::rxns;
using calcwindows::win;
using calcwindows::Windows;
using runio::addfield;
using runio::addreal;
using runio::msl;
using runio::msol;
using runio::putstr;
using thermodata::comps;
using thermodata::ems;

constexpr int perblock = 14;                    // end-members in a block of the activity table
constexpr int fluidabsent = 2;                  // fluidtype: H2O and CO2 enter with fixed activities
constexpr double maxsdplimit = 20.0, minsdplimit = 0.05;   // kbar
constexpr double maxsdtlimit = 500.0, minsdtlimit = 20.0;  // K

const std::string deg(1, runio::degreesign);

void restoreactivities()
{
    for (int k = 1; k <= ems.nem; ++k) {
        ems.act[k] = rock.savedact[k];
        ems.sdact[k] = rock.savedsdact[k];
    }
}

void exclude(int k)
{
    rock.datachanged = true;
    if (rock.excluded[k]) return;
    rock.excluded[k] = true;
    ems.exclem[++ems.nexcl] = k;
}

void clearexclusions()
{
    ems.nexcl = 0;
    rock.excluded.fill(false);
}

// 1 average P or 2 average T, from the script or the menu.
int calculationtype()
{
    const runio::ScriptSet& s = runio::scriptset;
    if (s.calctype == 0 && (s.calctypecode == 1 || s.calctypecode == 2)) return s.calctypecode;
    putstr(1, "type of rock calculation: ", 1, msl);
    putstr(0, "       1 : average P", 1, msl);
    putstr(0, "       2 : average T", 1, msl);
    int code = 0;
    runio::promptinteger("code", code);
    return code == 2 ? 2 : 1;
}

void activitytable()
{
    const std::string& name = runio::scriptset.rockname;
    bool firstblock = true;
    for (int first = 1; first <= ems.nem; first += perblock) {
        const int last = std::min(ems.nem, first + perblock - 1);
        std::string names, acts, sds;
        addfield(firstblock && !name.empty() ? name : " ", 6, names);
        addfield("a", 6, acts);
        addfield("sd(a)", 6, sds);
        for (int k = first; k <= last; ++k) {
            if (rock.excluded[k]) continue;
            addfield(ems.emname[k], 9, names);
            if (k == ems.ih2o || k == ems.ico2) {
                addfield(" ", 9, acts);
                addfield(" ", 9, sds);
                continue;
            }
            addreal(ems.act[k], 3, false, 9, acts);
            if (ems.sdact[k] <= 0.0)
                addfield("       0", 9, sds);
            else
                addreal(ems.sdact[k], 3, false, 9, sds);
        }
        putstr(firstblock ? 1 : 0, names, 1, msl);
        putstr(0, acts, 1, msl);
        putstr(0, sds, 2, msl);
        firstblock = false;
    }
}

// The working position of a name, with one replacement asked for an
// unknown one; 0 when it stays unknown.
int excludedname(const std::string& name)
{
    int pos;
    if (runio::posinlist(name, ems.emname.data(), ems.nem, pos)) return pos;
    std::string other;
    runio::promptstring("bad name : replace " + name + " with ", other);
    if (runio::posinlist(other, ems.emname.data(), ems.nem, pos)) return pos;
    putstr(0, "forget it!  (check the name\xC9)", 1, msl);
    return 0;
}

// New activities and uncertainties of pure phases, one end-member at a time.
void editactivities(bool namesgiven)
{
    if (namesgiven ? runio::query("these are the only changes you want to make")
                   : !runio::query("do you want to change anything else"))
        return;
    for (;;) {
        std::string name;
        runio::promptstring("name of end-member", name);
        int k;
        if (name.empty() || name == "*" || !runio::posinlist(name, ems.emname.data(), ems.nem, k)) return;
        double a = 0.0, sd = 0.0;
        runio::promptreal("     activity(" + name + ")", a);
        while (!(a > 0.0 && a <= 1.0)) runio::promptreal("should be 0 < activity <= 1 : try again", a);
        runio::promptreal("     sd activity(" + name + ")", sd);
        // An unchanged entry leaves the record of earlier changes as it was.
        if (a != ems.act[k] || sd != ems.sdact[k]) rock.datachanged = true;
        ems.act[k] = a;
        ems.sdact[k] = sd;
    }
}

void editdata()
{
    if (runio::query("these data ok")) return;
    runio::Words words;
    runio::promptstrings("names of end-members to be excluded", words);
    int n = words.n;
    if (n > 0 && words[n] == "*") --n;
    for (int i = 1; i <= n; ++i) {
        const int k = excludedname(words[i]);
        if (k > 0) exclude(k);
    }
    if (ph.nss == 0) editactivities(n > 0);
    // A component that only one end-member holds cannot be balanced in any
    // reaction: that end-member goes too.
    for (int q = 1; q <= comps.ncomp; ++q) {
        int count = 0, last = 0;
        for (int k = 1; k <= ems.nem && count < 2; ++k)
            if (!rock.excluded[k] && comps.c[q][k] != 0) {
                ++count;
                last = k;
            }
        if (count == 1) exclude(last);
    }
}

void windows(int code)
{
    Windows& w = win;
    const bool avp = code == 1;
    w.listselect = avp ? 2 : 1;
    if (avp) {
        calcwindows::ptcalcsetup("", "P window within which average P expected to lie",
                                 "T at which average P to be calculated");
        calcwindows::checkpwindow(w.plow, w.phigh, true);
        calcwindows::checktwindow(w.tlow, w.thigh, false);
        calcwindows::settlist();
        w.nplist = 0;
    } else {
        calcwindows::ptcalcsetup("", "P at which average T to be calculated",
                                 "T window within which average T expected to lie");
        calcwindows::checktwindow(w.tlow, w.thigh, true);
        calcwindows::checkpwindow(w.plow, w.phigh, false);
        calcwindows::setplist();
        w.ntlist = 0;
    }
    w.nxlist = 0;
    if (ph.nss == 0) {
        w.tcalc = (w.tlow + w.thigh) / 2.0;
        w.pcalc = (w.plow + w.phigh) / 2.0;
    }
    runio::ScriptSet& s = runio::scriptset;
    runio::promptcontrol("independent set of reactions for rereading (put into logfile)", s.pisr);
    runio::promptcontrol("use independent set of reactions (isr) in script", s.isr);
}

// The largest sd a reaction's estimate may have to enter the set.
void maxsdsetting(bool avp)
{
    runio::ScriptSet& s = runio::scriptset;
    int& sw = avp ? s.maxsdp : s.maxsdt;
    double& maxsd = rsearch.maxsd;
    maxsd = 0.0;
    runio::promptcontrol(avp ? "use max sd(P) in script" : "use max sd(T) in script", sw);
    if (sw == 0) {
        maxsd = avp ? s.maxsdpvalue : s.maxsdtvalue;
        putstr(0, avp ? "max allowed sd(P): " + runio::realstr(maxsd, 1, true) + " kbar (from script)"
                      : "max allowed sd(T): " + runio::realstrshort(std::nearbyint(maxsd)) + deg + "C (from script)",
               1, msl);
        return;
    }
    runio::promptreal(avp ? "max allowed sd(P)" : "max allowed sd(T)", maxsd);
    const double hi = avp ? maxsdplimit : maxsdtlimit, lo = avp ? minsdplimit : minsdtlimit;
    const std::string what = avp ? "max sd(P) reset to " : "max sd(T) reset to ";
    if (maxsd > hi) {
        maxsd = hi;
        putstr(0, what + (avp ? "20 kbar" : "500" + deg + "C"), 1, msol);
    } else if (maxsd < lo) {
        maxsd = lo;
        putstr(0, what + (avp ? "0.05 kbar" : "20" + deg + "C"), 1, msol);
    }
}

// The independent set of reactions of the script's "isr" block.
void scriptreactions()
{
    const runio::ScriptTables& t = runio::scripttabs;
    if (t.nisrnames != ems.nem) runio::bomb("rockcalcs", "isr matrix has wrong shape", 0);
    rxns.nrxn = t.nisrrows;
    for (int k = 1; k <= ems.nem; ++k)
        if (t.isrnames[k] != ems.emname[k]) runio::bomb("rockcalcs", "setisr phases do not match", 0);
    for (int i = 1; i <= rxns.nrxn; ++i) {
        auto& row = rxns.r[i];
        row.fill(0);
        for (int k = 1; k <= ems.nem; ++k) row[k] = static_cast<std::int16_t>(t.isrrows[i][k]);
        for (int q = 1; q <= comps.ncomp; ++q) {
            long long sum = 0;
            for (int k = 1; k <= ems.nem; ++k) sum += static_cast<long long>(comps.c[q][k]) * row[k];
            if (sum != 0) runio::bomb("rockcalcs", "setisr reaction doesn't balance", 0);
        }
        double lnk = 0.0;
        for (int k = 1; k <= ems.nem; ++k)
            if (row[k] != 0) lnk += row[k] * std::log(ems.act[k]);
        rxns.lnk[i] = lnk;
    }
    // The script's set is the set asked for, whatever the last search found.
    rsearch.incompleteset = false;
    putstr(1, "using independent set of reactions (from script)", 1, msl);
}

// The set in the form the script reads back, to paste into a later run.
void writeisr()
{
    putstr(0, "", 1, runio::mlog);
    putstr(0, "", 1, runio::mlog);
    std::string line = "isr     ";
    for (int k = 1; k <= ems.nem; ++k) addfield(ems.emname[k], 5, line);
    putstr(0, line, 1, runio::mlog);
    for (int i = 1; i <= rxns.nrxn; ++i) {
        line = "isr     ";
        for (int k = 1; k <= ems.nem; ++k) runio::addrealshort(rxns.r[i][k], 5, line);
        putstr(0, line, 1, runio::mlog);
    }
    putstr(0, "", 1, runio::mlog);
}

}  // namespace

void rockcalcs()
{
    for (int k = 1; k <= ems.nem; ++k) {
        rock.savedact[k] = ems.act[k];
        rock.savedsdact[k] = ems.sdact[k];
    }
    // The end-member list is new on every pass: so are its exclusions.
    clearexclusions();
    rock.datachanged = false;
    calcwindows::dofigPT();
    runio::ScriptSet& s = runio::scriptset;

    for (int pass = 1;; ++pass) {
        if (pass >= 2) putstr(1, std::string(38, '*'), 2, msol);
        const int code = calculationtype();
        rsearch.rockcalc = code == 2 ? 1 : 0;
        if (ph.nss > 0 && pass >= 2) restoreactivities();
        if (rock.datachanged && !runio::query("continue with/add to data changes in last calculation")) {
            rock.datachanged = false;
            if (ph.nss == 0) restoreactivities();
            clearexclusions();
        }
        if (pass >= 2 || s.dataok != 0) {
            activitytable();
            editdata();
        }
        thermodata::findspecials();
        thermodata::defaultsda();

        Windows& w = win;
        const bool fluid =
            (ems.ih2o != 0 || ems.ico2 != 0) && (s.fluidpresent == 0 || runio::query("rock was fluid-bearing"));
        w.fluidtype = fluid ? 0 : fluidabsent;

        if (!(pass >= 2 && code == rock.lastcode && runio::query("same PT window"))) windows(code);
        rock.lastcode = code;
        calcwindows::promptfluid();

        if (s.isr != 0) {
            maxsdsetting(code == 1);
            bool found;
            calcwindows::calcre(found);
            runio::promptcontrol("show correlations in calculations", s.printcor);
        } else {
            scriptreactions();
        }
        if (s.pisr == 0) writeisr();

        if (rxns.nrxn >= 1) {
            rockreactions();
            exportrockdata();
        } else {
            putstr(1, "** no reactions", 1, msol);
        }
        if (rxns.nrxn == 1)
            putstr(1, "** insufficient reactions for average P/T calculations", 1, msol);
        else if (rxns.nrxn >= 2 && code == 1)
            averagep();
        else if (rxns.nrxn >= 2)
            averaget();

        putstr(0, "", 1, msl);
        putstr(0, "", 1, msl);
        if (s.autoexit || !runio::closingquery("more calculations with these data")) return;
    }
}

}  // namespace emcalcs
