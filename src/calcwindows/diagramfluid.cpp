// The kind of phase diagram of the all-reactions calculation, and the fluid
// condition of a calculation: the composition of an H2O-CO2 fluid, or the
// activities of H2O and CO2 when no fluid phase takes part.
#include "calcwindows/calcwindows.h"
#include "runio/scriptset.h"

namespace calcwindows {

namespace {

using runio::addfield;
using runio::msl;
using runio::putstr;

// Fluid kinds read here (see runio::Windows::fluidtype).
constexpr int fluidactivities = 2;   // no fluid phase: H2O and CO2 enter with fixed activities
constexpr int fluidfixedx = 6;       // an H2O-CO2 fluid of fixed composition

void askpair(double& a, double& b, const std::string& prompt)
{
    runio::Arr<double, runio::maxwords + 1> v{};
    int n = 2;
    runio::promptreals(prompt, v, n);
    a = v[1];
    b = v[2];
}

// An H2O-CO2 fluid of fixed composition: x asked, the other 1 - x.
void fixedfluid(const char* prompt, double& x, double& other)
{
    putstr(0, "fluid is just H2O-CO2", 1, msl);
    runio::promptreal(prompt, x);
    other = 1.0 - x;
    win.fluidtype = fluidfixedx;
}

std::string decimalsof(double x) { return runio::realstr(x, runio::ndecimals(x), true); }

}  // namespace

void setdiagrammode()
{
    runio::RunState& r = runio::run;
    runio::ScriptSet& s = runio::scriptset;
    if (r.calcmode != 3) {
        r.diagrammode = 0;
        return;
    }
    int code = s.calctypecode;
    if (code == 0 || code > 5) {
        putstr(1, "code for type of phase diagram :", 1, msl);
        putstr(0, "        1 : pressure-temperature", 1, msl);
        putstr(0, "        2 : temperature-x(CO2)", 1, msl);
        putstr(0, "        3 : pressure-x(CO2)", 1, msl);
        putstr(0, "        4 : temperature-log a", 1, msl);
        putstr(0, "        5 : pressure-log a", 1, msl);
        runio::promptinteger("code", code);
    }
    if (code <= 0 || code > 5) code = 1;
    // The menu lists T before P; the diagram codes run the other way.
    switch (code) {
    case 1: r.diagrammode = 0; break;
    case 2:
    case 3:
        r.diagrammode = code == 2 ? 2 : 1;
        s.fluidpresent = 0;
        win.fluidtype = fluidfixedx;
        break;
    case 4: r.diagrammode = 4; break;
    default: r.diagrammode = 3; break;
    }
}

void promptfluid()
{
    runio::ScriptSet& s = runio::scriptset;
    const thermodata::EndMembers& e = thermodata::ems;
    Windows& w = win;
    runio::promptcontrol("use the fluid composition given in the datafile", s.setfluid);
    bool fromscript = s.setfluid == 0;
    const bool h2o = e.ih2o != 0, co2 = e.ico2 != 0;
    if (fromscript) {
        bool ok = true;
        if (co2 && !h2o) ok = w.xco2 > 0.0;
        if (h2o && !co2) ok = w.xh2o > 0.0;
        if (h2o && co2) ok = w.xco2 > 0.0 && w.xh2o > 0.0;
        if (!ok) {
            if (s.strictscripting) runio::bomb("promptfluid", "script x(H2O) and/or x(CO2) inappropriate", 0);
            putstr(1, "fluid composition in script is inappropriate so not used", 1, msl);
            fromscript = false;
        }
    }
    if (!fromscript) w.xco2 = w.xh2o = 0.0;
    // Cordierite takes H2O and CO2 into its channels, so their activities
    // matter even when neither is an end-member of the calculation.
    const bool crd = e.icrd != 0 || e.ifcrd != 0;
    bool activities = false;
    bool scriptstood = false;   // the script's values passed at the first pass
    for (int pass = 1;; ++pass) {
        if (pass > 1 || !fromscript) {
            if (!h2o && !co2) {
                if (crd) {
                    putstr(0, "for cordierite activity calculation", 1, msl);
                    askpair(w.xco2, w.xh2o, "fixed a(CO2), a(H2O)");
                    activities = true;
                }
            } else if (w.fluidtype == fluidactivities) {
                if (!co2 && !crd) {
                    runio::promptreal("fixed a(H2O)", w.xh2o);
                } else if (!h2o && !crd) {
                    runio::promptreal("fixed a(CO2)", w.xco2);
                } else {
                    if (crd && (!h2o || !co2)) putstr(0, "for cordierite activity calculation", 1, msl);
                    askpair(w.xco2, w.xh2o, "fixed a(CO2), a(H2O)");
                }
                activities = true;
            } else if (h2o && !co2) {
                if (runio::query("fluid just H2O"))
                    w.xh2o = 1.0;
                else
                    fixedfluid("fixed x(H2O)", w.xh2o, w.xco2);
            } else if (h2o && co2) {
                fixedfluid("fixed x(CO2)", w.xco2, w.xh2o);
            } else {
                if (runio::query("fluid just CO2"))
                    w.xco2 = 1.0;
                else
                    fixedfluid("fixed x(CO2)", w.xco2, w.xh2o);
            }
        }
        // A fluid end-member with nothing of it present has no chemical
        // potential (ln 0), and a negative mole fraction or activity has no
        // logarithm at all.
        bool valid = w.xco2 >= 0.0 && w.xh2o >= 0.0;
        if (h2o && w.xh2o == 0.0 && !crd) valid = false;
        if (co2 && w.xco2 == 0.0 && !crd) valid = false;
        // 1e-12: a sum typed as 1.0001 may come out a rounding above it.
        if (!activities && w.xco2 + w.xh2o > 1.0001 + 1e-12) valid = false;
        // Without H2O, CO2 or cordierite the fluid enters nothing, and nothing would be asked.
        if (valid || (!h2o && !co2 && !crd)) {
            scriptstood = pass == 1 && fromscript;
            break;
        }
        if (pass == 1 && fromscript) {
            putstr(0, "x(CO2), x(H2O) from script not valid : ", 0, msl);
            if (s.strictscripting) runio::bomb("promptfluid", "bad values from script", 0);
        } else {
            putstr(0, "not valid : ", 0, msl);
        }
        // Values from the script that failed are asked for, not used.
    }
    if (!scriptstood) return;
    std::string& line2 = runio::chans.line2;
    if ((!h2o && !co2 && crd) || w.fluidtype == fluidactivities)
        line2 = "a(CO2) = " + runio::realstr(w.xco2, 4, true) + ", a(H2O) = " + runio::realstr(w.xh2o, 4, true);
    else if (h2o || co2)
        line2 = "x(CO2) = " + runio::realstr(w.xco2, 4, true) + ", x(H2O) = " + runio::realstr(w.xh2o, 4, true);
    else
        return;
    putstr(0, line2 + " ( from script ) ", 1, msl);
}

void fluidlabel(std::string& buffer)
{
    const Windows& w = win;
    const bool c = w.xco2 > 0.0, h = w.xh2o > 0.0;
    if (!c && !h) return;
    const std::string co2 = w.fluidtype == fluidactivities ? "a(CO2) = " : "x(CO2) = ";
    const std::string h2o = w.fluidtype == fluidactivities ? "a(H2O) = " : "x(H2O) = ";
    if (c && h) {
        addfield(" (for " + co2, 0, buffer);
        addfield(decimalsof(w.xco2), 0, buffer);
        addfield(" and ", 0, buffer);
        addfield(h2o, 0, buffer);
        addfield(decimalsof(w.xh2o), 0, buffer);
        addfield(")", 0, buffer);
    } else if (c) {
        addfield(" (for " + co2, 0, buffer);
        addfield(decimalsof(w.xco2), 0, buffer);
        addfield(")", 0, buffer);
    } else {
        // The mole-fraction form of x(H2O) alone has never had a leading blank.
        addfield(w.fluidtype == fluidactivities ? " (for " + h2o : "(for " + h2o, 0, buffer);
        addfield(decimalsof(w.xh2o), 0, buffer);
        addfield(")", 0, buffer);
    }
}

}  // namespace calcwindows
