// Set activities of pure end-members and set chemical potentials of
// components as calculation variables: each keeps a value, or a range of
// values to step through, and its phase is taken out of the mass balance.
// A chemical potential (kJ) enters as a pseudo pure phase of one component
// whose Gibbs energy is that potential.
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "numerics/calcsetup.h"
#include "runio/scriptset.h"

namespace calcwindows {

namespace {

using runio::msl;
using runio::putstr;

// A set activity's value from 9.9 up means that none was given.
constexpr double novalue = 9.9;
// Phases a run may hold beside the end-member limit: the chemical-potential
// phases are kept within the solution-phase count as well.
constexpr int maxmuphases = axmodels::maxnp;

using Values = runio::Arr<double, runio::maxwords + 1>;

// A phase held in excess and outside the mass balance; each flag is counted
// only when it is newly set.
void takeoutofbulk(int phase)
{
    numerics::PhaseChoice& pc = numerics::phchoice;
    if (!pc.isexcess[phase]) {
        pc.isexcess[phase] = 1;
        ++pc.nexcessph;
    }
    if (!pc.isnobulk[phase]) {
        pc.isnobulk[phase] = 1;
        ++pc.nnobulk;
    }
}

void fluidnamed(const std::string& name)
{
    if (name == "CO2")
        win.xco2 = 1.0;
    else if (name == "H2O")
        win.xh2o = 1.0;
}

void asklowhigh(const std::string& prompt, double& low, double& high)
{
    Values v{};
    int n = 2;
    runio::promptreals(prompt, v, n);
    low = v[1];
    high = v[2];
}

}  // namespace

void askactivity(int k, int row)
{
    const std::string& name = runio::scripttabs.setaname[k];
    double low, high;
    asklowhigh("activity(" + name + "): low, high", low, high);
    promptawindow(low, high, 0);
    listactivity(row, low, high);
    win.lnalow = std::log(low);
    win.lnahigh = std::log(high);
    fluidnamed(name);
}

void asklogactivity(int k, int row)
{
    const std::string& name = runio::scripttabs.setaname[k];
    const bool natural = runio::scriptset.setloga != 0;
    putstr(0, natural ? "all logs are to the base e (ie natural logs)" : "all logs are to the base 10", 1,
           runio::msol);
    double low, high;
    asklowhigh((natural ? "ln a(" : "log a(") + name + "): low, high", low, high);
    promptlogawindow(low, high, 0);
    listlna(row, low, high);
    fluidnamed(name);
}

void askmu(int k, int row)
{
    const std::string prompt = "mu(" + runio::scripttabs.setmuname[k] + "): low, high";
    Values v{};
    int n = 0;
    runio::promptreals(prompt, v, n);
    if (n == 0) {
        n = 2;
        runio::promptreals(prompt, v, n);
    }
    double low = v[1], high = n == 1 ? v[1] : v[2];
    promptmuwindow(low, high, 0);
    listmu(row, low, high);
}

void setupactivityranges()
{
    runio::ScriptTables& t = runio::scripttabs;
    const runio::ScriptSet& s = runio::scriptset;
    axmodels::Phases& p = axmodels::ph;
    const thermodata::Components& cs = thermodata::comps;
    Windows& w = win;
    int r = 0;
    for (int k = 1; k <= t.nseta; ++k) {
        const std::string name = t.setaname[k];
        int j = 0;
        for (int i = 1; i <= p.npure && j == 0; ++i)
            if (p.prec0[i].name == name) j = i;
        if (j == 0) continue;
        ++r;
        t.setaname[r] = name;
        t.setaval[r] = t.setaval[k];
        takeoutofbulk(p.nss + j);
        // With its activity set, the fluid end-member is no longer a phase of its own.
        if ((name == "H2O" && w.fluidtype == 3) || (name == "CO2" && w.fluidtype == 4)) w.fluidtype = 2;
        if (t.setaval[r] < novalue) {
            w.alist[r][1] = t.setaval[r];
            w.nalist[r] = 1;
        } else if (s.seta != 0) {
            asklogactivity(k, r);
        } else {
            askactivity(k, r);
        }
        const axmodels::PurePhase& pp = p.prec0[j];
        w.setaentropy[r] = pp.slots[thermodata::sS];
        int ncomps = 0, only = 0;
        for (int i = 1; i <= cs.ncomp; ++i)
            if (pp.comp[i] != 0) {
                ++ncomps;
                only = i;
            }
        w.setalabel[r] = ncomps == 1 ? cs.compname[only] : name;
    }
    t.nseta = r;
}

void setupmu()
{
    runio::ScriptTables& t = runio::scripttabs;
    axmodels::Phases& p = axmodels::ph;
    thermodata::EndMembers& e = thermodata::ems;
    thermodata::Components& cs = thermodata::comps;
    Windows& w = win;
    const int npure0 = p.npure;
    int r = 0;
    for (int k = 1; k <= t.nsetmu; ++k) {
        const std::string name = t.setmuname[k];
        int c = 0;
        for (int i = 1; i <= cs.ncomp && c == 0; ++i)
            if (cs.compname[i] == name) c = i;
        if (c == 0) continue;
        ++r;
        if (e.nem + 1 > thermodata::maxem || p.npure + 1 > axmodels::maxphases || p.nph + 1 > maxmuphases)
            runio::bomb("setupmu", "with mu 'phase', max no of phases exceeded", 0);
        ++e.nem;
        ++p.npure;
        ++p.nph;
        takeoutofbulk(p.nph);

        axmodels::PurePhase& pp = p.prec0[p.npure];
        pp = axmodels::PurePhase{};
        pp.name = pp.emname = name;
        pp.comp[c] = static_cast<int>(cs.compmult[c]);
        pp.make.count = 0;
        pp.act = 1.0;
        e.emname[e.nem] = name;
        e.emcode[e.nem] = 1;
        e.act[e.nem] = 1.0;
        for (int i = 1; i <= cs.ncomp; ++i) cs.c[i][e.nem] = pp.comp[i];

        for (int i = 1; i <= npure0; ++i) {
            bool same = true;
            for (int m = 1; m <= cs.ncomp && same; ++m) same = p.prec0[i].comp[m] == pp.comp[m];
            if (!same) continue;
            // Screen-only diagnostics of the two phases compared.
            putstr(0, "i = " + runio::inttext(i) + ", j = " + runio::inttext(cs.ncomp) + ", k = " + runio::inttext(c) +
                          ", ii = " + runio::inttext(k),
                   1, runio::mscreen);
            putstr(0, "np00 = " + runio::inttext(npure0) + ", nuv = " + runio::inttext(cs.ncomp), 1, runio::mscreen);
            runio::bomb("setupmu", name + " is same as " + p.prec0[i].name, 0);
        }

        if (t.setmuval[k] == 0.0) {
            askmu(k, r);
            pp.slots[thermodata::sH] = w.mulist[r][1];
        } else {
            w.mulist[r][1] = t.setmuval[k];
            w.nmulist[r] = 1;
            pp.slots[thermodata::sH] = t.setmuval[k];
        }
        if (!e.td.empty()) e.td[e.nem] = pp.slots;
        t.setmuname[r] = name;
        t.setmuval[r] = t.setmuval[k];
    }
    t.nsetmu = r;
}

}  // namespace calcwindows
