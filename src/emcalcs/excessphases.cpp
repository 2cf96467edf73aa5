// The set-up of an all-reactions pass: the role of the fluid, the end-member
// whose activity is the axis of a log a diagram, and the phases in excess.
// The composition space is projected through the phases in excess: each
// takes a component of its own (its pivot), which the other components no
// longer hold, so that the reactions among the remaining end-members are
// found in the remaining components and are balanced by the phases in
// excess afterwards.

#include <vector>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "emcalcs/emcalcs.h"
#include "runio/scriptset.h"
#include "script/script.h"

namespace emcalcs {

namespace {

using runio::gcd64;
using runio::msl;
using runio::msol;
using runio::putstr;
using thermodata::comps;
using thermodata::ems;

// Fluid kinds of this set-up (see runio::Windows::fluidtype).
constexpr int nofluid = 2, waterfluid = 3, co2fluid = 4, fixedfluid = 6;

// An entry of the composition matrix is a 16-bit integer, and a row's
// multiplier is kept within 32 bits.
constexpr long long maxentry = thermodata::maxcint;
constexpr long long maxmult = 2147483647LL;

bool fluidname(const std::string& name) { return name == "H2O" || name == "CO2"; }

bool inlist(const runio::Words& list, const std::string& name)
{
    for (int i = 1; i <= list.n; ++i)
        if (list[i] == name) return true;
    return false;
}

void append(runio::Words& list, const std::string& name)
{
    if (inlist(list, name)) return;
    if (list.n == runio::maxwords) runio::bomb("inexcess", "too many phases in excess" + runio::maxlabel(runio::maxwords), 0);
    list[++list.n] = name;
}

// "fluid in excess" as the fluidexcess switch says: 0 yes, 1 no, 2 asked.
bool fluidexcessswitch(bool asknotgiven)
{
    const int sw = runio::scriptset.fluidexcess;
    if (sw == 0) return true;
    if (sw == 2 || asknotgiven) return runio::query("fluid in excess");
    return false;
}

// The end-member whose activity is the axis of a log a diagram; the fluid
// then follows from it.
bool logaaxis()
{
    runio::Windows& w = calcwindows::win;
    runio::ScriptTables& t = runio::scripttabs;
    std::string name;
    runio::promptstring("name of end-member to be used in log a", name);
    int pos = thermodata::emposition(name);
    if (pos == 0) {
        runio::promptstring("bad name : replace " + name + " with", name);
        pos = thermodata::emposition(name);
        if (pos == 0) runio::bomb("inexcess", "log a setup", 0);
    }
    // With both fluid end-members present, one of them cannot be an axis:
    // the fluid's composition would fix it twice over.
    if (fluidname(name) && ems.ih2o != 0 && ems.ico2 != 0) {
        putstr(0, "Cannot handle H2O or CO2 in lna in system with H2O and CO2", 1, msl);
        runio::promptstring("replace " + name + " with", name);
        pos = thermodata::emposition(name);
        if (pos == 0 || fluidname(name)) runio::bomb("inexcess", "log a setup", 0);
    }
    t.nseta = 1;
    t.setaname[1] = name;
    ems.logaem = pos;
    if (fluidname(name))
        w.fluidtype = nofluid;
    else if (runio::scriptset.fluidpresent != 0 && !runio::query("fluid may be present"))
        w.fluidtype = nofluid;
    if (w.fluidtype == nofluid) return false;
    return fluidexcessswitch(true);
}

// The names of the phases in excess, from the script or asked.
void excesslist(runio::Words& list)
{
    runio::ScriptSet& s = runio::scriptset;
    const runio::ScriptTables& t = runio::scripttabs;
    runio::promptcontrol("use in excess phases specified in scriptfile", s.inexcesssw);
    list.n = 0;
    if (s.inexcesssw != 0) {
        runio::promptstrings("in excess: names", list);
    } else if (t.nexcessnames == 0) {
        putstr(0, "no phases in excess (from script)", 1, msol);
    } else {
        std::string line = "phases in excess: ";
        for (int i = 1; i <= t.nexcessnames; ++i) {
            list[++list.n] = t.excessnames[i];
            line += t.excessnames[i] + " ";
        }
        putstr(0, line + " (from script)", 1, msol);
    }
    if (list.n > 0 && list[list.n] == "*") --list.n;
}

// The positions of the named end-members, each asked for once more when
// unknown and dropped when still unknown; a name given twice counts once.
int excessmembers(const runio::Words& list, runio::Arr<int, thermodata::maxem + 1>& xs)
{
    int n = 0;
    for (int i = 1; i <= list.n; ++i) {
        std::string name = list[i];
        int pos = thermodata::emposition(name);
        if (pos == 0) {
            runio::promptstring(name + " not recognised : replace with", name);
            pos = thermodata::emposition(name);
        }
        if (pos == 0) {
            putstr(0, "forget it!  (name still unrecognised)", 1, msl);
            continue;
        }
        bool twice = false;
        for (int k = 1; k <= n; ++k) twice = twice || xs[k] == pos;
        if (!twice) xs[++n] = pos;
    }
    return n;
}

[[noreturn]] void toolarge(int e)
{
    runio::bomb("in excess", "projection does not work: the compositions projected through " + ems.emname[e] +
                                 " outgrow 16-bit amounts (max = 32767)", 0);
}

// Takes end-member e's amounts out of every component row but the pivot k:
// row j becomes (p/g) row j - (c[j][e]/g) row k, p = c[k][e], exactly, in
// 64-bit integers checked against the 16-bit entries.
void reduce(int e, int k)
{
    auto& c = comps.c;
    const long long p = c[k][e];
    for (int j = 1; j <= comps.ncomp; ++j) {
        if (j == k || c[j][e] == 0) continue;
        const long long g = gcd64(p, c[j][e]);
        const long long fp = p / g, fe = c[j][e] / g;
        long long mult = comps.compmult[j] * fp;
        const int sign = mult < 0 ? -1 : 1;
        mult *= sign;
        if (mult > maxmult) toolarge(e);
        comps.compmult[j] = mult;
        for (int m = 1; m <= ems.nem; ++m) {
            if (m == e) continue;
            const long long v = sign * (fp * c[j][m] - fe * c[k][m]);
            if (v > maxentry || v < -maxentry) toolarge(e);
            c[j][m] = static_cast<int>(v);
        }
        c[j][e] = 0;
    }
}

// The pivot component of each end-member in excess: a single-component
// end-member takes its own; the others, in list order, the first component
// they hold that is not yet a pivot. Each reduces the matrix in turn.
void pivots(int nx, const runio::Arr<int, thermodata::maxem + 1>& xs, runio::Arr<int, thermodata::maxcomp + 1>& pivot)
{
    auto& c = comps.c;
    runio::Arr<bool, thermodata::maxcomp + 1> taken{};
    for (int i = 1; i <= nx; ++i) {
        int count = 0, only = 0;
        for (int q = 1; q <= comps.ncomp; ++q)
            if (c[q][xs[i]] != 0) {
                ++count;
                only = q;
            }
        pivot[i] = 0;
        if (count == 1 && !taken[only]) {
            pivot[i] = only;
            taken[only] = true;
        }
    }
    for (int i = 1; i <= nx; ++i) {
        const int e = xs[i];
        if (pivot[i] == 0) {
            for (int q = 1; q <= comps.ncomp && pivot[i] == 0; ++q)
                if (c[q][e] != 0 && !taken[q]) pivot[i] = q;
            if (pivot[i] == 0) runio::bomb("in excess", "projection does not work", 0);
            taken[pivot[i]] = true;
        }
        reduce(e, pivot[i]);
    }
}

// The end-members not in excess first, in their order, then those in
// excess; the components not pivots first, then the pivots, each named
// after its end-member in excess, whose amount of it is its multiplier.
void reorder(int nx, const runio::Arr<int, thermodata::maxem + 1>& xs,
             const runio::Arr<int, thermodata::maxcomp + 1>& pivot)
{
    const int nem = ems.nem, ncomp = comps.ncomp;
    runio::Arr<int, thermodata::maxem + 1> from{};       // new position -> old
    runio::Arr<int, thermodata::maxcomp + 1> cfrom{};    // new component -> old
    runio::Arr<bool, thermodata::maxem + 1> inexcess{};
    runio::Arr<bool, thermodata::maxcomp + 1> ispivot{};
    for (int i = 1; i <= nx; ++i) {
        inexcess[xs[i]] = true;
        ispivot[pivot[i]] = true;
    }
    int n = 0;
    for (int m = 1; m <= nem; ++m)
        if (!inexcess[m]) from[++n] = m;
    for (int i = 1; i <= nx; ++i) from[n + i] = xs[i];
    int nc = 0;
    for (int q = 1; q <= ncomp; ++q)
        if (!ispivot[q]) cfrom[++nc] = q;
    for (int i = 1; i <= nx; ++i) cfrom[nc + i] = pivot[i];

    const thermodata::Components old = comps;
    const auto oldname = ems.emname, olddsname = ems.emdsname;
    const auto oldact = ems.act, oldsdact = ems.sdact;
    const auto oldcode = ems.emcode;
    const runio::Vec<thermodata::TdRow> oldtd(ems.td.begin(), ems.td.begin() + nem + 1);
    std::vector<double> oldcov(static_cast<std::size_t>(nem + 1) * (nem + 1));
    for (int a = 1; a <= nem; ++a)
        for (int b = 1; b <= nem; ++b) oldcov[static_cast<std::size_t>(a * (nem + 1) + b)] = ems.covat(a, b);

    for (int m = 1; m <= nem; ++m) {
        const int o = from[m];
        ems.emname[m] = oldname[o];
        ems.emdsname[m] = olddsname[o];
        ems.act[m] = oldact[o];
        ems.sdact[m] = oldsdact[o];
        ems.emcode[m] = oldcode[o];
        ems.td[m] = oldtd[o];
        for (int l = 1; l <= nem; ++l) ems.covat(m, l) = oldcov[static_cast<std::size_t>(o * (nem + 1) + from[l])];
    }
    for (int q = 1; q <= ncomp; ++q) {
        const int o = cfrom[q];
        comps.compname[q] = old.compname[o];
        comps.compmult[q] = old.compmult[o];
        comps.compatoms[q] = old.compatoms[o];
        for (int m = 1; m <= nem; ++m) comps.c[q][m] = m <= n ? old.c[o][from[m]] : 0;
    }
    for (int i = 1; i <= nx; ++i) {
        const int q = nc + i, e = xs[i];
        const int p = old.c[pivot[i]][e];
        comps.compname[q] = runio::str22(oldname[e]);
        comps.compmult[q] = p;
        comps.c[q][n + i] = p;
    }
}

void project(const runio::Words& list)
{
    runio::Arr<int, thermodata::maxem + 1> xs{};
    const int nx = excessmembers(list, xs);
    if (nx == 0) return;
    runio::Arr<int, thermodata::maxcomp + 1> pivot{};
    pivots(nx, xs, pivot);
    reorder(nx, xs, pivot);
    comps.nexcess = nx;
    comps.nemr = ems.nem - nx;
    comps.ncomp0 = comps.ncomp - nx;
}

}  // namespace

void inexcess()
{
    runio::Windows& w = calcwindows::win;
    const runio::ScriptSet& s = runio::scriptset;
    const int dm = runio::run.diagrammode;

    if (ems.ih2o == 0 && ems.ico2 == 0)
        w.fluidtype = nofluid;
    else if (s.fluidpresent != 0 && !runio::query("fluid may be present"))
        w.fluidtype = nofluid;
    if (w.fluidtype != nofluid && w.fluidtype != fixedfluid) w.fluidtype = ems.ico2 != 0 ? co2fluid : waterfluid;

    std::string line;
    for (int m = 1; m <= ems.nem; ++m) line += ems.emname[m] + "  ";
    putstr(1, line, 1, msl);

    bool fluidxs = false;
    switch (dm) {
    case 0: fluidxs = w.fluidtype != nofluid && fluidexcessswitch(false); break;
    case 1:
    case 2:
        if (ems.ih2o == 0 && ems.ico2 == 0) runio::bomb("inexcess", "no H2O or CO2 in P-x/T-x?", 0);
        fluidxs = true;
        putstr(0, "fluid in excess", 1, msl);
        break;
    default: fluidxs = logaaxis(); break;
    }
    if (fluidxs) putstr(0, "additionally ", 0, msl);

    runio::Words list;
    excesslist(list);
    if (fluidxs) {
        if (ems.ico2 != 0) append(list, "CO2");
        if (ems.ih2o != 0) append(list, "H2O");
    }
    const runio::ScriptTables& t = runio::scripttabs;
    if (ems.logaem != 0) append(list, t.setaname[1]);

    if (list.n >= 1 && list.n < comps.ncomp0) project(list);

    if (ems.logaem != 0) {
        int pos;
        if (runio::posinlist(t.setaname[1], ems.emname.data(), ems.nem, pos)) {
            ems.logaem = pos;
            w.setaentropy[1] = ems.td[pos][thermodata::sS];
        }
    }
}

void setupallreactions()
{
    // No activity axis of an earlier pass carries over, nor the end-members
    // its Schreinemakers analysis ruled out: the set-up looks names up.
    ems.logaem = 0;
    ems.nexcl = 0;
    thermodata::readds(1);
    script::readscripts();
    axmodels::setupphases();
    calcwindows::setdiagrammode();
    extractem();
    thermodata::clean();
    thermodata::findspecials();
    inexcess();
}

}  // namespace emcalcs
