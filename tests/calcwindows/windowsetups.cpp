// The set-ups built from the windows: the diagram type, the fluid, the
// overall P-T window, the P and T calculations of each list choice, the
// windows of the five diagram kinds, the table writers, and the set
// activities and chemical potentials of a pass read from the example files.
#include <gtest/gtest.h>

#include <cmath>

#include "calcwindows/calcwindows.h"
#include "dialog.h"
#include "numerics/calcsetup.h"

namespace {

using calcwindows::win;
using pmtest::talk;

const std::string deg = "\xA1";

struct Setups : testing::Test {
    pmtest::WorkDir dir;
    void SetUp() override
    {
        pmtest::startrun(1);
        win = calcwindows::Windows{};
        runio::scriptset = runio::ScriptSet{};
        runio::scripttabs.setaname[1].clear();
        thermodata::ems.ih2o = thermodata::ems.ico2 = thermodata::ems.icrd = thermodata::ems.ifcrd = 0;
    }
};

TEST_F(Setups, DiagramTypeFromTheScriptOrTheMenu)
{
    runio::run.calcmode = 1;
    runio::run.diagrammode = 3;
    runio::scriptset.calctypecode = 3;
    auto d = talk([] { calcwindows::setdiagrammode(); }, "");
    EXPECT_EQ(runio::run.diagrammode, 0);
    EXPECT_EQ(d.log, "");

    runio::run.calcmode = 3;
    talk([] { calcwindows::setdiagrammode(); }, "");
    EXPECT_EQ(runio::run.diagrammode, 1);   // P-x(CO2)
    EXPECT_EQ(runio::scriptset.fluidpresent, 0);
    EXPECT_EQ(win.fluidtype, 6);
    runio::scriptset.calctypecode = 4;
    talk([] { calcwindows::setdiagrammode(); }, "");
    EXPECT_EQ(runio::run.diagrammode, 4);   // T-log a

    runio::scriptset.calctypecode = 0;
    d = talk([] { calcwindows::setdiagrammode(); }, "7\n");
    EXPECT_EQ(runio::run.diagrammode, 0);
    EXPECT_EQ(d.log,
              "\ncode for type of phase diagram :\n"
              "        1 : pressure-temperature\n        2 : temperature-x(CO2)\n        3 : pressure-x(CO2)\n"
              "        4 : temperature-log a\n        5 : pressure-log a\ncode : 7\n");
    for (const char* reply : {"0\n", "-2\n"}) {
        runio::run.diagrammode = 2;
        talk([] { calcwindows::setdiagrammode(); }, reply);
        EXPECT_EQ(runio::run.diagrammode, 0) << reply;
    }
    talk([] { calcwindows::setdiagrammode(); }, "2\n");
    EXPECT_EQ(runio::run.diagrammode, 2);
}

TEST_F(Setups, FluidFromTheScriptOrAsked)
{
    thermodata::ems.ih2o = 15;
    thermodata::ems.ico2 = 16;
    runio::scriptset.setfluid = 0;
    win.xco2 = 0.3;
    win.xh2o = 0.8;   // sums to 1.1
    auto d = talk([] { calcwindows::promptfluid(); }, "0.4\n");
    EXPECT_EQ(d.log, "x(CO2), x(H2O) from script not valid : fluid is just H2O-CO2\nfixed x(CO2) : 0.4\n");
    EXPECT_EQ(win.xco2, 0.4);
    EXPECT_NEAR(win.xh2o, 0.6, 1e-15);
    EXPECT_EQ(win.fluidtype, 6);

    win.xco2 = 0.3;
    win.xh2o = 0.7001;
    d = talk([] { calcwindows::promptfluid(); }, "");
    EXPECT_EQ(d.log, "x(CO2) = 0.3000, x(H2O) = 0.7001 ( from script ) \n");

    // Under strict scripting bad script values are fatal.
    runio::scriptset.strictscripting = true;
    win.xh2o = 0.8;
    d = talk([] { calcwindows::promptfluid(); }, "", true);
    EXPECT_EQ(d.bombed, "promptfluid : bad values from script");
    win.xco2 = 0.0;
    d = talk([] { calcwindows::promptfluid(); }, "", true);
    EXPECT_EQ(d.bombed, "promptfluid : script x(H2O) and/or x(CO2) inappropriate");
    runio::scriptset.strictscripting = false;

    // Just H2O present: a negative x(H2O) (x(CO2) 1.2) is refused.
    thermodata::ems.ico2 = 0;
    runio::scriptset.setfluid = 1;
    d = talk([] { calcwindows::promptfluid(); }, "n\n-0.2\nn\n0.9\n");
    EXPECT_EQ(d.log,
              "fluid just H2O ? no\nfluid is just H2O-CO2\nfixed x(H2O) : -0.2\n"
              "not valid : fluid just H2O ? no\nfluid is just H2O-CO2\nfixed x(H2O) : 0.9\n");
    EXPECT_NEAR(win.xco2, 0.1, 1e-15);

    // No fluid phase: activities, which may sum past 1; a(H2O) 0 is refused.
    win.fluidtype = 2;
    d = talk([] { calcwindows::promptfluid(); }, "0\n0.8\n");
    EXPECT_EQ(d.log, "fixed a(H2O) : 0\nnot valid : fixed a(H2O) : 0.8\n");
    EXPECT_EQ(win.xh2o, 0.8);

    // Cordierite takes both into its channels.
    thermodata::ems.ih2o = 0;
    thermodata::ems.icrd = 3;
    d = talk([] { calcwindows::promptfluid(); }, "0.6 0.7\n");
    EXPECT_EQ(d.log, "for cordierite activity calculation\nfixed a(CO2), a(H2O) :  0.6 0.7 \n");
    EXPECT_EQ(win.xco2, 0.6);
    EXPECT_EQ(win.xh2o, 0.7);

    // Nothing of the fluid present: nothing asked, both zero.
    thermodata::ems.icrd = 0;
    d = talk([] { calcwindows::promptfluid(); }, "");
    EXPECT_EQ(d.log, "");
    EXPECT_EQ(win.xco2, 0.0);
    EXPECT_EQ(win.xh2o, 0.0);
}

TEST_F(Setups, FluidLabels)
{
    auto label = [](double c, double h, int type) {
        win.xco2 = c;
        win.xh2o = h;
        win.fluidtype = type;
        std::string b = "head";
        calcwindows::fluidlabel(b);
        return b;
    };
    EXPECT_EQ(label(0.1, 0.9, 5), "head (for x(CO2) = 0.1 and x(H2O) = 0.9)");
    EXPECT_EQ(label(0.0, 1.0, 3), "head(for x(H2O) = 1.0)");
    EXPECT_EQ(label(0.25, 0.0, 4), "head (for x(CO2) = 0.25)");
    EXPECT_EQ(label(0.125, 0.5, 2), "head (for a(CO2) = 0.125 and a(H2O) = 0.5)");
    EXPECT_EQ(label(0.0, 0.5, 2), "head (for a(H2O) = 0.5)");
    EXPECT_EQ(label(0.0, 0.0, 5), "head");
}

TEST_F(Setups, OverallPTWindow)
{
    runio::scriptset.diagramPT = 1;
    auto d = talk([] { calcwindows::dofigPT(); }, "n\n1 10 400 900\n");
    EXPECT_EQ(win.pmin, 1.0);
    EXPECT_EQ(win.pmax, 10.0);
    EXPECT_NEAR(win.tmin, 673.15, 1e-9);
    EXPECT_NEAR(win.tmax, 1173.15, 1e-9);
    EXPECT_NE(d.log.find("stop, and put info in the scriptfile ? no\noverall PT window: P low,high T low,high (in "
                         "kbar, " + deg + "C) :  1 10 400 900 \n"
                         "overall PT window is P: 1.0 to 10.0 kbar, and T: 400 to 900" + deg + "C\n"),
              std::string::npos)
        << d.log;

    d = talk([] { calcwindows::dofigPT(); }, "n\n1 10 400 2800\n", true);
    EXPECT_EQ(d.bombed, "dofigPT : inappropriate PT window input");
    d = talk([] { calcwindows::dofigPT(); }, "y\n", true);
    EXPECT_EQ(d.status, 0);
    EXPECT_NE(d.screen.find("-- run killed --"), std::string::npos);

    runio::scriptset.diagramPT = 0;
    runio::scripttabs.plowdefault = 4.0;
    runio::scripttabs.phighdefault = 12.0;
    runio::scripttabs.tlowdefault = 773.15;
    runio::scripttabs.thighdefault = 1073.15;
    d = talk([] { calcwindows::dofigPT(); }, "");
    EXPECT_EQ(d.log, "\nspecification of overall PT window:\n"
                     "overall PT window is P: 4.0 to 12.0 kbar, and T: 500 to 800" + deg + "C (from script)\n");
}

TEST_F(Setups, PTCalculationsOfEachListChoice)
{
    win.pmin = 1.0;
    win.pmax = 10.0;
    win.tmin = 673.15;
    win.tmax = 1173.15;
    runio::ScriptSet& s = runio::scriptset;

    // Nothing listed: the overall window.
    win.listselect = 0;
    s.calcT = s.calcP = 0;
    auto d = talk([] { calcwindows::ptcalcsetup("PT window within which invariant points expected to lie", "", ""); },
                  "");
    EXPECT_EQ(d.log, "\nspecification of PT calcs:\nusing overall PT window for the PT window within which invariant "
                     "points expected to lie\n");
    EXPECT_EQ(win.phigh, 10.0);
    EXPECT_EQ(win.thigh, 1173.15);

    // P listed, asked: an empty reply takes the overall P window, one value a single P.
    win.listselect = 1;
    s.calcT = s.calcP = 2;
    d = talk([] { calcwindows::ptcalcsetup("", "P at which T of reactions to be calculated", "T window"); },
             "n\n5\n");
    EXPECT_EQ(d.log, "\nspecification of PT calcs:\nuse PT calcs given in datafile ? no\n"
                     "P at which T of reactions to be calculated\n"
                     "P calcs: between P(low) and P(high), with P increment : 5\n"
                     "using overall T window for the T window\n");
    EXPECT_EQ(win.plow, 5.0);
    EXPECT_EQ(win.phigh, 5.0);
    s.calcP = 1;
    talk([] { calcwindows::ptcalcsetup("", "P", "T"); }, "\n");
    EXPECT_EQ(win.plow, 1.0);
    EXPECT_EQ(win.phigh, 10.0);

    // T listed from the script; P asked with an increment.
    win.listselect = 3;
    s.calcT = 0;
    s.calcP = 2;
    win.tlow = 773.15;
    win.thigh = 973.15;
    d = talk([] { calcwindows::ptcalcsetup("", "P at which", "T at which"); }, "y\n");
    EXPECT_EQ(d.log, "\nspecification of PT calcs:\nT calcs set; use P calcs given in datafile ? yes\n"
                     "P at which: 1.000 to 10.000 kbar (from script)\n"
                     "T at which: 500.00 to 700.00" + deg + "C (from script)\n");
    s.calcP = 1;
    d = talk([] { calcwindows::ptcalcsetup("", "P at which", "T at which"); }, "2 8 0.5\n");
    EXPECT_EQ(win.pinc, 0.5);
    EXPECT_EQ(win.phigh, 8.0);

    // T listed, asked in degrees C; P the overall window.
    win.listselect = 2;
    s.calcT = 1;
    s.calcP = 0;
    d = talk([] { calcwindows::ptcalcsetup("", "P window", "T at which P of reactions to be calculated"); },
             "600 700 25\n");
    EXPECT_NEAR(win.tlow, 873.15, 1e-9);
    EXPECT_EQ(win.tinc, 25.0);
    EXPECT_EQ(win.plow, 1.0);
    EXPECT_NE(d.log.find("using overall P window for the P window\n"), std::string::npos) << d.log;

    // Univariant lines: T solved at P, so the P window may be one value.
    s.calcTatP = 0;
    win.plow = win.phigh = 5.0;
    win.tlow = 900;
    win.thigh = 800;
    d = talk([] { calcwindows::univariantsetup(); }, "500 600\n");
    EXPECT_EQ(win.calcvariable, 1);
    EXPECT_EQ(win.othervariable, 0);
    EXPECT_EQ(d.log, "T(low) must be less than T(high) : try again\n T low,high :  500 600 \n");
    s.calcTatP = 1;
    d = talk([] { calcwindows::univariantsetup(); }, "5 6\n");
    EXPECT_EQ(win.calcvariable, 0);
    EXPECT_EQ(d.log, "P(low) must be less than P(high) : try again\nP low,high :  5 6 \n");
}

TEST_F(Setups, WindowsOfTheFiveDiagramKinds)
{
    runio::ScriptSet& s = runio::scriptset;
    runio::run.calcmode = 3;
    s.diagramPT = 0;
    runio::scripttabs.plowdefault = 1.0;
    runio::scripttabs.phighdefault = 10.0;
    runio::scripttabs.tlowdefault = 673.15;
    runio::scripttabs.thighdefault = 1173.15;
    thermodata::ems.ih2o = 15;

    // P-T, T at P: P listed, the script's windows used.
    runio::run.diagrammode = 0;
    s.calcT = s.calcP = 0;
    win.plow = 2;
    win.phigh = 8;
    win.tlow = 773.15;
    win.thigh = 973.15;
    auto d = talk([] { calcwindows::diagramwindowsetup(true); }, "y\n2\ny\n");
    EXPECT_EQ(win.listselect, 1);
    EXPECT_EQ(win.calcvariable, 1);
    EXPECT_EQ(win.nplist, 4);   // 2, 4, 6, 8
    EXPECT_EQ(win.nxlist, 0);
    EXPECT_EQ(win.xh2o, 1.0);
    EXPECT_NE(d.log.find("P at which T of reactions to be calculated: 2.000 to 8.000 kbar (from script)\n"
                         "using overall T window for the T window within which reactions expected to lie\n"
                         "P at which T of reactions to be calculated: 2.000 to 8.000 kbar (from script)P interval : 2\n"
                         "fluid just H2O ? yes\n"),
              std::string::npos)
        << d.log;

    // The same again without asking the windows: only the fluid.
    runio::scripttabs.setaname[1] = "CO2";
    d = talk([] { calcwindows::diagramwindowsetup(false); }, "");
    EXPECT_EQ(win.xco2, 1.0);
    EXPECT_EQ(win.xlow, 1.0);

    // P-x(CO2), univariant: the P window needs a width; T fixed.
    runio::scripttabs.setaname[1].clear();
    thermodata::ems.ico2 = 16;
    runio::run.diagrammode = 1;
    win.variance = 1;
    d = talk([] { calcwindows::diagramwindowsetup(true); }, "5 5 0.2 0.4\n0.3\n600\n");
    EXPECT_EQ(win.plow, 1.0);   // widened to the overall window
    EXPECT_EQ(win.phigh, 10.0);
    EXPECT_NEAR(win.tcalc, 873.15, 1e-9);
    EXPECT_EQ(win.tlow, win.thigh);
    EXPECT_EQ(win.othervariable, 2);
    EXPECT_EQ(win.nxlist, 3);
    EXPECT_NE(d.log.find("\nP-x(CO2) window in which the phase diagram to be drawn\n"
                         "P low, high , x(CO2) low, high :  5 5 0.2 0.4 \n"
                         "P window needed but P(low) = P(high): overall P window used (script overridden)\n"
                         "x(CO2) window : 0.2 <-> 0.4\n"),
              std::string::npos)
        << d.log;

    // T-x(CO2), divariant: P fixed.
    runio::run.diagrammode = 2;
    win.variance = 2;
    d = talk([] { calcwindows::diagramwindowsetup(true); }, "500 700 0.2 0.4\n0.3\n7\n");
    EXPECT_NEAR(win.tcalc, 873.15, 1e-9);
    EXPECT_EQ(win.pcalc, 7.0);
    EXPECT_EQ(win.plow, 7.0);
    EXPECT_EQ(win.calcvariable, 1);
    EXPECT_EQ(win.nplist, 0);

    // P-log a with natural logs; a set activity of an end-member that is no
    // fluid gets a label asked.
    thermodata::ems.ih2o = thermodata::ems.ico2 = 0;
    runio::run.diagrammode = 3;
    runio::scripttabs.setaname[1] = "q";
    win.variance = 2;
    d = talk([] { calcwindows::diagramwindowsetup(true); }, "n\n2 8 -1 0\n0.5\n650\nSiO2\n");
    EXPECT_EQ(s.setlna, 0);
    EXPECT_EQ(s.setloga, 1);
    EXPECT_NEAR(runio::scripttabs.setaval[1], -0.5, 1e-15);
    EXPECT_EQ(win.nalist[1], 3);
    EXPECT_EQ(win.setalabel[1], "SiO2");
    EXPECT_EQ(win.othervariable, 3);
    EXPECT_NE(d.log.find("for P-log a, are logs to be to the base 10 ? no\nlogs are to the base e (ie natural logs)\n"
                         "\nP-ln a window in which the phase diagram to be drawn\n"
                         "P low, high , ln a low, high :  2 8 -1 0 \n"
                         "ln a window : -1.0 <-> 0 : ln a interval : 0.5\n"
                         "fixed T (in " + deg + "C) : 650\n"
                         "\nfor labelling purposes in ln a, replace name, 'q', with : SiO2\n"),
              std::string::npos)
        << d.log;

    // T-log a, base 10; an empty reply keeps the end-member's name.
    runio::run.diagrammode = 4;
    d = talk([] { calcwindows::diagramwindowsetup(true); }, "y\n600 800 -2 -1\n0.25\n6\n\n");
    EXPECT_EQ(s.setloga, 0);
    EXPECT_EQ(win.setalabel[1], "q");
    EXPECT_EQ(win.nalist[1], 5);
    EXPECT_NE(d.log.find("\nT-log a window in which the phase diagram to be drawn\nT low, high , log a low, high"),
              std::string::npos)
        << d.log;

    runio::run.diagrammode = 5;
    d = talk([] { calcwindows::diagramwindowsetup(true); }, "", true);
    EXPECT_EQ(d.bombed, "diagram : unknown diagrammode");
}

TEST_F(Setups, TableWritersMarkValuesOutsideTheWindow)
{
    win.plow = 0.01;
    win.phigh = 200.0;
    win.tlow = 673.15;
    win.thigh = 1073.15;
    win.xlow = 0.1;
    win.xhigh = 0.5;
    win.pdecimals = 3;
    win.tdecimals = 1;
    std::string b;
    calcwindows::addP(150.0, 0, b);
    calcwindows::addP(0.05, 8, b);
    calcwindows::addP(2.5, 0, b);
    calcwindows::addP(0.001, 3, b);
    calcwindows::addP(300.0, 3, b);
    calcwindows::addP(1e21, 3, b);
    calcwindows::addP(-1e21, 3, b);
    EXPECT_EQ(b, "150   0.0502.500  -  +  *   ");
    b.clear();
    calcwindows::addT(500.0, 7, b);
    calcwindows::addT(350.0, 3, b);
    calcwindows::addT(850.0, 3, b);
    calcwindows::addT(2e20, 3, b);
    calcwindows::addT(-1e21, 3, b);
    EXPECT_EQ(b, "  500.0  -  +  *   ");
    b.clear();
    calcwindows::addX(0.25, 6, b);
    calcwindows::addX(0.05, 2, b);
    calcwindows::addX(0.6, 2, b);
    EXPECT_EQ(b, "  0.25 - +");
}

// A pass read from the example dataset and a-x file, with pure H2O and
// periclase added to the a-x file's pure phases.
std::string examplepass(const std::string& with, const std::string& more)
{
    return "axfile axex\nwith " + with + "\ndiagramPT 4 12 500 800\npseudosection no\n" + more + "*\n";
}

std::string axwithh2o(bool periclase)
{
    return pmtest::examplefile("pm-axex.txt") + "H2O\n" + (periclase ? "per\n" : "");
}

TEST_F(Setups, SetActivitiesOfPurePhases)
{
    numerics::phchoice = numerics::PhaseChoice{};
    const auto d = talk(
        [] {
            pmtest::readpass(examplepass("g q ky H2O", "seta H2O q 0.9 foo\n"), axwithh2o(false));
            pmtest::buildphases();
            const axmodels::Phases& p = axmodels::ph;
            ASSERT_EQ(p.prec0[p.npure].name, "H2O");
            // H2O is already in excess: its flags are not counted twice.
            numerics::phchoice.isexcess[p.nph] = 1;
            numerics::phchoice.nexcessph = 1;
            win.fluidtype = 3;
            calcwindows::setupactivityranges();
        },
        "y\n0.5 0.5\n");
    EXPECT_EQ(d.rest, "");
    const runio::ScriptTables& t = runio::scripttabs;
    ASSERT_EQ(t.nseta, 2);
    EXPECT_EQ(t.setaname[1], "H2O");
    EXPECT_EQ(t.setaname[2], "q");
    EXPECT_EQ(win.nalist[1], 1);
    EXPECT_DOUBLE_EQ(win.alist[1][1], std::log(0.5));
    EXPECT_DOUBLE_EQ(win.alist[2][1], std::log(0.9));
    EXPECT_EQ(win.fluidtype, 2);   // no fluid phase once a(H2O) is set
    EXPECT_EQ(win.xh2o, 1.0);
    // entropies (kJ/K) and labels as the example dataset gives them
    EXPECT_DOUBLE_EQ(win.setaentropy[1], 0.1888);
    EXPECT_DOUBLE_EQ(win.setaentropy[2], 0.0415);
    EXPECT_EQ(win.setalabel[1], "H2O");
    EXPECT_EQ(win.setalabel[2], "SiO2");
    const numerics::PhaseChoice& pc = numerics::phchoice;
    EXPECT_EQ(pc.nexcessph, 2);
    EXPECT_EQ(pc.nnobulk, 2);
    int q = 0;
    for (int j = 1; j <= axmodels::ph.npure; ++j)
        if (axmodels::ph.prec0[j].name == "q") q = axmodels::ph.nss + j;
    EXPECT_TRUE(pc.isnobulk[axmodels::ph.nph] && pc.isexcess[q] && pc.isnobulk[q]);
    EXPECT_NE(d.log.find("activity(H2O): low, high :  0.5 0.5 \n"), std::string::npos) << d.log;
}

TEST_F(Setups, SetChemicalPotentialsBecomePseudoPhases)
{
    numerics::phchoice = numerics::PhaseChoice{};
    int nem0 = 0, npure0 = 0, mgo = 0;
    auto d = talk(
        [&] {
            pmtest::readpass(examplepass("g q ky", "setmu MgO -850 FeO\n"), pmtest::examplefile("pm-axex.txt"));
            pmtest::buildphases();
            nem0 = thermodata::ems.nem;
            npure0 = axmodels::ph.npure;
            for (int i = 1; i <= thermodata::comps.ncomp; ++i)
                if (thermodata::comps.compname[i] == "MgO") mgo = i;
            calcwindows::setupmu();
        },
        "y\n-300\n");
    ASSERT_GT(mgo, 0);
    const axmodels::Phases& p = axmodels::ph;
    ASSERT_EQ(p.npure, npure0 + 2);
    EXPECT_EQ(thermodata::ems.nem, nem0 + 2);
    const axmodels::PurePhase& m = p.prec0[npure0 + 1];
    EXPECT_EQ(m.name, "MgO");
    EXPECT_EQ(m.slots[thermodata::sH], -850.0);
    EXPECT_EQ(m.comp[mgo], thermodata::comps.compmult[mgo]);
    EXPECT_EQ(thermodata::ems.emname[nem0 + 1], "MgO");
    EXPECT_EQ(win.nmulist[1], 1);
    // FeO asked with one value: a window of that single value
    EXPECT_EQ(p.prec0[npure0 + 2].slots[thermodata::sH], -300.0);
    EXPECT_EQ(win.nmulist[2], 1);
    EXPECT_NE(d.log.find("mu(FeO): low, high : -300\n"), std::string::npos) << d.log;
    EXPECT_EQ(numerics::phchoice.nexcessph, 2);
    EXPECT_TRUE(numerics::phchoice.isnobulk[p.nph]);

    // Periclase already is a phase of MgO alone.
    d = talk(
        [] {
            pmtest::readpass(examplepass("g q per", "setmu MgO -850\n"), axwithh2o(true));
            pmtest::buildphases();
            calcwindows::setupmu();
        },
        "y\n", true);
    EXPECT_EQ(d.bombed, "setupmu : MgO is same as per");
}

}  // namespace
