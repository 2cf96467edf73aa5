// Phase-diagram runs of petramondo end to end on the ideal olivine-
// orthopyroxene-quartz system and the example files: a divariant grid, an
// isopleth line over two passes and a pseudosection against their closed
// forms and the lever rule, the texts of the driver and of the enumeration,
// and the result files the runs leave.
#include <regex>
#include <sstream>

#include "calcfixture.h"
#include "harness.h"
#include "runfiles.h"
#include "phasediagram/phasediagram.h"

namespace {

using calctest::Calc;
using pmtest::runpm;
using namespace runtest;

// A temperature as the files show it, two decimals.
std::string calcfmt(double t)
{
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", t);
    return b;
}

TEST_F(Calc, DivariantGridOfTheIdealSystem)
{
    prepare("ol opx q");
    numerics::makecrossrefs(all);   // the closed form's end-members
    const auto r = runpm(inputs(runscript("ol opx q", "calcP 5 15 5\ncalcT 500 700 100\ncalcsdnle\nprintbulkinfo\n")), "");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_TRUE(has(r.screen, "\n" + std::string(60, '-') + "\n   P(kbar)     T(" + deg + "C)     x(ol)    x(opx)\n"))
        << r.screen;
    const auto rows = numberrows(r.screen, 4);
    ASSERT_EQ(rows.size(), 9u) << r.screen;
    for (const auto& row : rows) {
        double xol, xopx;
        calctest::closedform(row[0], row[1] + 273.15, xol, xopx);
        // Four significant digits.
        EXPECT_NEAR(row[2], xol, 5.01e-5) << row[0] << " " << row[1];
        EXPECT_NEAR(row[3], xopx, 5.01e-5) << row[0] << " " << row[1];
    }
    EXPECT_EQ(pmtest::countof(r.screen, "\nsd    "), 9);
    EXPECT_TRUE(has(r.screen, "your calculation relied on the starting guesses for the phases provided in the"));

    const std::string& ic = r.file("pm-t-ic.txt");
    EXPECT_TRUE(has(ic, "\n" + std::string(59, '=') + "\n\nol opx q  {5.0000, 500.000}  kbar/" + deg + "C\nvar = 2\n"))
        << ic;
    EXPECT_TRUE(has(ic, "activity        prop               \xB5" "0         RT ln a\n"));

    // The guesses of the first point, pasted into a script, read back.
    const std::string& log = r.file("pm-log.txt");
    const std::string d60 = "% " + std::string(58, '-') + "\n";
    const std::size_t at = log.find(d60 + "% at P = 5.0, T = 500, for: ol opx q\n" + d60 + "ptguess 5.000 500.00\n");
    ASSERT_NE(at, std::string::npos) << log;
    const std::size_t from = log.find("ptguess", at), to = log.find("\n\n", from);
    const std::string block = log.substr(from, to - from + 1);
    EXPECT_TRUE(has(block, "xyzguess x(ol)         0.726600\n% -----------------------------\n")) << block;
    EXPECT_TRUE(has(log, d60 + "rbi  no") && has(log, "rbi      ol          ##"));
    double xol, xopx;
    calctest::closedform(5, 773.15, xol, xopx);
    pmtest::readpass(pmtest::replaceall(runscript("ol opx q", block), "axid", "axex"), pmtest::idealolopx);
    const runio::ScriptTables& st = runio::scripttabs;
    ASSERT_EQ(st.nxyzguess, 2);
    EXPECT_NEAR(st.xyzguesses[1].value, xol, 5e-7);
    EXPECT_NEAR(st.xyzguesses[2].value, xopx, 5e-7);
    EXPECT_DOUBLE_EQ(st.ptguesst, 773.15);
}

TEST_F(Calc, IsoplethLineOverTwoPasses)
{
    prepare("ol opx q");
    numerics::makecrossrefs(all);
    const std::string more = "isopleth x(ol) 0.7\ncalcTatP yes\ncalcP 4 10 3\nxyzguess x(ol) 0.7\nxyzguess x(opx) 0.5\n";
    const auto r = runpm(inputs(runscript("ol opx q", more, false, false)), "y\nn\n\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    const auto rows = numberrows(r.screen, 4);
    ASSERT_EQ(rows.size(), 6u) << r.screen;
    for (const auto& row : rows) {
        // T in degrees C with two decimals: within 0.01 K of the closed form.
        EXPECT_NEAR(row[1] + 273.15, calctest::isoplethT(row[0], 0.7), 0.01) << row[0];
        EXPECT_EQ(row[2], 0.7);
    }
    const std::string& px = r.file("pm-t-px.txt");
    const std::string frame = "\n% ------------------------------\nu<k>   ol opx q \n\nbegin  end  \n\n";
    EXPECT_EQ(pmtest::countof(px, frame), 2) << px;
    EXPECT_TRUE(has(px, frame + "4.000 " + calcfmt(rows[0][1]) + " % x(ol) = 0.7\n7.000 ")) << px;
    const std::string& csv = r.file("pm-t.csv");
    const std::string head = "   P(kbar),      T(" + deg + "C), \n";
    EXPECT_EQ(csv.substr(0, head.size()), head);
    EXPECT_EQ(pmtest::countof(csv, "P(kbar)"), 1);
    EXPECT_TRUE(has(csv, "     4.000, " + std::string(10 - calcfmt(rows[0][1]).size(), ' ') + calcfmt(rows[0][1]) +
                             ",   ol opx q \n"))
        << csv;
    // The second pass starts its rows after an empty line.
    EXPECT_TRUE(has(csv, ", \n\n     4.000, ")) << csv;
}

TEST_F(Calc, PseudosectionRuns)
{
    prepare("ol opx q");
    numerics::makecrossrefs(all);
    double xol, xopx;
    calctest::closedform(10, 873.15, xol, xopx);
    // 0.2 ol + 0.5 opx + 0.3 q in moles of SiO2, MgO and FeO.
    const std::vector<double> b = {1.5, 0.4 * (1 - xol) + 1.0 * (1 - xopx), 0.4 * xol + 1.0 * xopx};
    char bulkline[128];
    std::snprintf(bulkline, sizeof bulkline, "bulk %.10f %.10f %.10f\n", b[0], b[1], b[2]);
    auto r = runpm(inputs(runscript("ol opx q", "calcP 10\ncalcT 600\nbulk SiO2 MgO FeO\n" + std::string(bulkline), true)), "");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::vector<double> modes = rowafter(r.file("pm-t-o.txt"), " mode        ol       opx         q           G");
    const std::vector<double> lever = calctest::levermodes(b, xol, xopx);
    ASSERT_GE(modes.size(), 8u) << r.file("pm-t-o.txt");
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(modes[i], lever[i], 5.01e-5) << i;
    EXPECT_TRUE(has(r.file("pm-t-ic.txt"), "  kbar/" + deg + "C\nvar = 2; seen\n"));

    // A pure phase of one Fe/Mg ratio and quartz cannot hold a bulk of
    // another ratio.
    const std::string ax = "q\nolm 1 folm\n     make 2 fo 1/2 fa 1/2\n" + pmtest::idealolopx;
    const std::string more = "acceptvar no\ncalcP 8\ncalcT 700\nbulk SiO2 MgO FeO\nbulk 45 40 15\n";
    r = runpm(inputs(runscript("q olm ol", more, true), ax), "3\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.screen, "\n\nreduced system needed for handling equilibrium involving: q olm \n"
                              "bulk NOT in reduced system\nthis equation must apply\n    - MgO + FeO = 0\n"))
        << r.screen;
    // At debug level 2 the subsets are listed in order, and a bulk outside
    // its reduced system stops the run after the listing of its matrices.
    r = runpm(inputs(runscript("q olm ol", more + "debuglevel 2\n", true), ax), "3\n");
    EXPECT_TRUE(has(r.screen, "-- run bombed in calcrankp : bulk not in reduced system")) << r.screen;
    const std::size_t first = r.screen.find("SiO2 MgO FeO  ol q   - modes by nle");
    const std::size_t second = r.screen.find("reduced system needed for handling equilibrium involving: ol olm");
    EXPECT_NE(first, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_TRUE(has(r.screen, "\nmatrix is rank deficient\n\ncomposition matrix\n   fo   fa folm\n"));

    // The example pseudosection: the modes with the rock's properties.
    std::map<std::string, std::string> ex;
    for (const char* f : {"pm-prefs.txt", "pm-exps.txt", "pm-ds6ex.txt", "pm-axex.txt"}) ex[f] = pmtest::examplefile(f);
    r = runpm(ex, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(pmtest::countof(r.file("pm-exps-o.txt"), "\n mode       opx         g         q    sillim           G"
                                                          "           H         S         V       rho\n"),
              25);
    EXPECT_EQ(pmtest::countof(r.file("pm-exps-ic.txt"), "  kbar/" + deg + "C\novar = 3; var = 2 (seen)\n"), 25);
}

// The texts of the driver, each from a run of its own.
TEST(ModeOneRun, DriverTexts)
{
    const std::string grid = "calcP 6 10 2\ncalcT 600 800 100\n";
    auto run = [&](const std::string& more, const std::string& replies, const std::string& ax = pmtest::idealolopx,
                   const std::string& with = "ol opx q") {
        return runpm(inputs(pmtest::replaceall(runscript(with, more), "axid", ax == "ex" ? "axex" : "axid"),
                            ax == "ex" ? pmtest::idealolopx : ax),
                     replies);
    };
    EXPECT_TRUE(has(run("acceptvar no\n" + grid, "5\n").screen,
                    "variance of required equilibrium (2?) : variance looks awry: reset to 2\n"));
    EXPECT_TRUE(has(run("acceptvar no\n" + grid, "x\n").screen, "garbage info for variance: set to 2\n"));
    const std::string low = run("acceptvar no\nsetvar 1\n" + grid, "").screen;
    EXPECT_TRUE(has(low, "variance too low: reset to 2\n\nrequired equilibria are univariant (from script)\n")) << low;
    const auto three = run("acceptvar no\n" + grid, "3\nkill\n");
    EXPECT_TRUE(has(three.screen, "\nyou will have to set at least 1 compositional variable\n")) << three.screen;
    const auto pure = run(grid + "calcTatP yes\n", "", pmtest::idealolopx, "q ky");
    EXPECT_TRUE(has(pure.screen, "\nno solid solutions involved: run in mode 3\n"
                                 "\n-- run bombed in calcwhat : not currently implemented"))
        << pure.screen;
    // An orthopyroxene guess off its sites is replaced; with usecalcq its
    // state of order is solved at the starting P and T.
    const std::string order = grid + "isopleth x(ol) 0.3\nxyzguess x(opx) 0.2\nxyzguess Q(opx) 0.9\n";
    EXPECT_TRUE(has(run(order, "", "ex", "ol opx").screen, "\nillegal Q starting guess for opx: random value used\n<="));
    const std::string solved = run(grid + "isopleth x(ol) 0.3\nusecalcq\n", "", "ex", "ol opx").screen;
    EXPECT_TRUE(has(solved, "equilibrium state of order (for given P, T and compositions)\n"
                            " P(kbar)    T(C)    x(opx)    Q(opx)\n     8.0     700"))
        << solved;
}

// A set activity of quartz from 0.6 to 0.800009 by 0.001: the high end lies
// 9e-6 above the 201st activity, within the 1e-5 that counts it as reached,
// so the list is the 201 activities 0.600, 0.601, ..., 0.800 and no more
// (in ln a the high end lies 1.1e-5 above, which once appended a 202nd).
TEST(ModeOneRun, SetActivityListKeepsTo201Values)
{
    const auto r = runpm(inputs(runscript("ol opx q", "seta q\ncalcP 8\ncalcT 650\n")), "y\n0.6 0.800009\n0.001\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_TRUE(has(r.screen, "\n P(kbar)     T(" + deg + "C)      a(q)     x(ol)    x(opx)\n")) << r.screen;
    const auto rows = numberrows(r.screen, 5);
    ASSERT_EQ(rows.size(), 201u);
    // a(q) is shown with three decimals, so every step shows exactly.
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_NEAR(rows[i][2], 0.6 + 0.001 * i, 1e-9) << i;
}

// The example pseudosection with its P and T calculations typed: P -5 to -1
// kbar lies wholly below the diagram's 2 to 14 kbar, so it shrinks to 2 kbar
// and the T values 500 to 900 C are calculated there alone; the typed T
// interval is not the script's.
TEST(ModeOneRun, TypedPRangeBelowTheDiagramShrinksToItsLowEnd)
{
    std::map<std::string, std::string> ex;
    for (const char* f : {"pm-prefs.txt", "pm-ds6ex.txt", "pm-axex.txt"}) ex[f] = pmtest::examplefile(f);
    ex["pm-exps.txt"] = pmtest::replaceall(
        pmtest::replaceall(pmtest::examplefile("pm-exps.txt"), "calcP 4 12 2\n", ""), "calcT 500 900 100\n", "");
    const auto r = runpm(ex, "-5 -1 1\n500 900 100\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& log = r.file("pm-log.txt");
    EXPECT_TRUE(has(log, "with T increment :  500 900 100 \nP(low) must be greater than 2.0: this used\n"
                         "T interval = 100.0 " + deg + "C\n\nspecification of bulk composition\n"))
        << log;
    const auto rows = numberrows(r.screen, 6);
    ASSERT_EQ(rows.size(), 5u) << r.screen;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0], 2.0) << i;
        EXPECT_EQ(rows[i][1], 500.0 + 100.0 * i) << i;
    }
}

// A pass after one that fixed components (an externally buffered
// pseudosection, say) starts with every component in the mass balance.
TEST_F(Calc, APassStartsWithEveryComponentFree)
{
    pmtest::writefile("pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt"));
    pmtest::writefile("pm-axex.txt", pmtest::idealolopx);
    pmtest::writefile("pm-t.txt", pmtest::replaceall(runscript("ol opx q", "calcP 8\ncalcT 600\n"), "axid", "axex"));
    std::vector<std::vector<double>> runs;
    for (bool stale : {false, true}) {
        calctest::installrecorders();
        pmtest::talk(
            [&] {
                thermodata::comps.oxfree[2] = !stale;
                phasediagram::nlecalcs();
            },
            "");
        ASSERT_EQ(calctest::points.size(), 1u) << stale;
        runs.push_back(calctest::points[0].vars);
    }
    EXPECT_EQ(runs[0], runs[1]);
}

TEST_F(Calc, ScalingsOfPAndT)
{
    prepare("ol opx q");
    runio::Windows& w = calcwindows::win;
    runio::ScriptSet& ss = runio::scriptset;
    ss.calcP = ss.calcT = 0;
    w.plow = 1;
    w.phigh = 9;
    w.tlow = 300;
    w.thigh = 1500;
    w.pinc = 4;
    w.tinc = 600;
    pmtest::talk([] { phasediagram::ptsetup(); }, "");
    // d = 1 + 0.075 x 5 = 1.375: P from 0.0009 (not 1 - d) to 10.375 kbar;
    // T from 283 K (not 300 - 75) to 1575 K.
    const runio::Scalings& sc = runio::scal;
    EXPECT_DOUBLE_EQ(sc.pscale, 1 / (10.375 - 0.0009));
    EXPECT_DOUBLE_EQ(sc.poffset, -0.0009 * sc.pscale);
    EXPECT_DOUBLE_EQ(sc.tscale, 1.0 / (1575 - 283));
    EXPECT_DOUBLE_EQ(sc.toffset, -283 * sc.tscale);
    EXPECT_DOUBLE_EQ(w.pcalc, 5.0);
    EXPECT_DOUBLE_EQ(w.tcalc, 900.0);
}

TEST_F(Calc, ConstraintRowsOfAReducedSystem)
{
    const std::string ax = "q\nolm 1 folm\n     make 2 fo 1/2 fa 1/2\n" + pmtest::idealolopx;
    prepare("q olm ol", "", true, ax);
    bulk({45, 40, 15});
    numerics::PhaseFlags subset{};
    const int q = modeone::phasenumber("q"), olm = modeone::phasenumber("olm");
    subset[q] = subset[olm] = 1;
    int rank = 0;
    bool ok = true;
    phasediagram::calcrankp(subset, rank, ok);
    EXPECT_EQ(rank, 2);
    EXPECT_FALSE(ok);
    const numerics::Reduction& red = numerics::red;
    ASSERT_EQ(red.rankdeficit, 1);
    // The last row is no zero row, and it annihilates both phases' oxide amounts exactly.
    const thermodata::Components& cs = thermodata::comps;
    bool nonzero = false;
    for (int t = 1; t <= 3; ++t) nonzero = nonzero || red.projc[3][t] != 0;
    EXPECT_TRUE(nonzero);
    for (const axmodels::PurePhase* pp : {&axmodels::ph.prec0[1], &axmodels::ph.prec0[2]}) {
        double s = 0;
        for (int t = 1; t <= 3; ++t) s += red.projc[3][t] * static_cast<double>(pp->comp[t]) / cs.compmult[t];
        EXPECT_EQ(s, 0.0) << pp->name;
    }
}

}  // namespace
