// The search for intersections on tables of lines made in the test: the
// Al2SiO5 triple point of the reaction tests' linear end-members, where
// sill = ky and and = ky cross at T = 875.9 K; tables doctored so that the
// refinement fails in each of its ways, or meets one line's two solutions
// in one interval; the headings and point lines of every kind of diagram;
// Schreinemakers' rule at a point of a log a diagram.
#include <string>

#include "calcwindows/rxnfixture.h"
#include "emcalcs/emcalcs.h"
#include "harness/bombcheck.h"
#include "lineardata.h"

namespace {

using namespace rxtest;
namespace em = emcalcs;

// and in its own place, a little above and everywhere: it keeps the triple
// point stable, unless and's own G rises above it.
const Em am{"am", andal.h + 0.5, andal.s, andal.v};

class IntersectionSearch : public RxnTest {
protected:
    // sill = ky, and = ky and and = sill with ky -> sill, ky -> and and
    // sill -> and as written, and and = am apart; their point and the lines
    // at the temperatures of the list (P solved), the second solutions none.
    void SetUp() override
    {
        RxnTest::SetUp();
        setems({ky, sill, andal, am});
        addreaction({{1, -1}, {2, 1}});
        addreaction({{1, -1}, {3, 1}});
        addreaction({{2, -1}, {3, 1}});
        addreaction({{3, -1}, {4, 1}});
        for (int i = 1; i <= rxns.nrxn; ++i) {
            runio::BClr2(rxns.rxnphases[i]);
            for (int k = 1; k <= 4; ++k)
                if (rxns.r[i][k] != 0) runio::BSet2(rxns.rxnphases[i], k);
            calcwindows::writereaction(i);
        }
        ptwindow(1.0, 20.0, 673.15, 1273.15);
        win.calcvariable = 0;
        win.othervariable = 1;
        em::rxlines.solvedvar = 1;
        em::rxlines.linesol1.assign(td::maxrxn + 1, {});
        em::rxlines.linesol2.assign(td::maxrxn + 1, {});
        point({1, 2, 3});
    }
    void point(const std::vector<int>& rx)
    {
        rsearch.nptrxn = 1;
        rsearch.nptreactions[1] = static_cast<int>(rx.size());
        runio::BClr2(rsearch.ptphases[1]);
        for (std::size_t i = 0; i < rx.size(); ++i) {
            rsearch.ptrxn[1][static_cast<int>(i) + 1] = rx[i];
            for (int w = 1; w <= 3; ++w)
                rsearch.ptphases[1][w] = runio::BOr(rsearch.ptphases[1][w], rxns.rxnphases[rx[i]][w]);
        }
    }
    // P of reaction i's line at T, kbar.
    double pline(int i, double t)
    {
        const auto& nu = rxns.r[i];
        double dh = 0.0, ds = 0.0, dv = 0.0;
        for (int k = 1; k <= 4; ++k) {
            dh += nu[k] * system[static_cast<std::size_t>(k - 1)].h;
            ds += nu[k] * system[static_cast<std::size_t>(k - 1)].s;
            dv += nu[k] * system[static_cast<std::size_t>(k - 1)].v;
        }
        return pref + (t * ds - dh) / dv;
    }
    // The list of temperatures and each line on it: real where no value is given.
    void table(const std::vector<double>& ts, const std::vector<std::vector<double>>& values = {})
    {
        win.ntlist = static_cast<int>(ts.size());
        for (int j = 1; j <= win.ntlist; ++j) {
            win.tlist[j] = ts[static_cast<std::size_t>(j - 1)];
            for (int i = 1; i <= rxns.nrxn; ++i) {
                em::rxlines.linesol1[i][j] = pline(i, win.tlist[j]);
                em::rxlines.linesol2[i][j] = calcwindows::nosecond;
            }
        }
        for (std::size_t i = 0; i < values.size(); ++i)
            for (int j = 1; j <= win.ntlist; ++j)
                em::rxlines.linesol1[static_cast<int>(i) + 1][j] = values[i][static_cast<std::size_t>(j - 1)];
    }
};

// where sill = ky (ky -> sill: dH 8 kJ, dS 0.013 kJ/K, dV 0.58 kJ/kbar) and
// and = ky (4, 0.0095, 0.74) meet: T = 3.6 / 0.00411 K
const double tstar = 3.6 / 0.00411;
const double pstar = pref + (0.013 * tstar - 8.0) / 0.58;

TEST_F(IntersectionSearch, RefinementsThatFail)
{
    const std::string failed = "\nfinding the intersection : ";
    const std::string rxs = " ( involving reactions: 1 2 3 )\n";
    // the lower end of the table far from the lines: the chords creep
    // towards the point, 2 K a step
    table({700.0, 900.0}, {{0.01, pline(1, 900.0)}, {24.0, pline(2, 900.0)}, {15.0, 15.0}});
    em::intersections();
    EXPECT_NE(logtext().find(failed + "iteration did not converge" + rxs + "\nsorry, none in the window\n"),
              std::string::npos)
        << logtext();
    // lines 1 and 2 both cross line 3 but never each other: their chords
    // meet 40 K below the interval
    table({850.0, 860.0}, {{5.0, 5.1}, {5.2, 5.35}, {6.0, 4.0}});
    em::intersections();
    EXPECT_NE(logtext().find(failed + "iteration went outside bracket - it shouldn't !!" + rxs), std::string::npos);
    // an interval too short for a chord
    table({800.0, 800.00000001}, {{5.0, 6.0}, {6.0, 5.0}, {15.0, 15.0}});
    em::intersections();
    EXPECT_NE(logtext().find(failed + "divide by zero" + rxs), std::string::npos);

    rsearch.nptreactions[1] = 22;
    EXPECT_BOMB(em::intersections(), "-- run bombed in intersections : too many reactions in intersection \\(max = 21\\) ");
}

// The point line of P-T: P and T within the tolerances of the refinement.
void expecttriplepoint(const std::string& text, std::size_t from)
{
    const std::size_t at = text.find("\nP = ", from);
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_NEAR(std::stod(text.substr(at + 5)), pstar, 0.01);
    EXPECT_NEAR(std::stod(text.substr(text.find("T = ", at) + 4)), tstar - 273.15, 0.5);
}

TEST_F(IntersectionSearch, OneLineCrossedOnBothItsSolutionsInOneInterval)
{
    // sill = ky with a second solution (its real line) and a steep first
    // one that 2) and 3) also cross: first 2) and 3) are refined, then the
    // second solution of 1) with 2), both at the triple point
    table({860.0, 890.0});
    em::rxlines.linesol1[1][1] = 2.0;
    em::rxlines.linesol1[1][2] = 9.0;
    em::rxlines.linesol2[1][1] = pline(1, 860.0);
    em::rxlines.linesol2[1][2] = pline(1, 890.0);
    rxns.lnk[3] = 0.5;
    em::intersections();
    std::string log = logtext();
    // oriented with the products stable 5 K up: sill -> and (dS < 0) turned round
    EXPECT_EQ(rxns.r[1][2], 1);
    EXPECT_EQ(rxns.r[2][3], 1);
    EXPECT_EQ(rxns.r[3][3], -1);
    EXPECT_EQ(rxns.lnk[3], -0.5);
    const std::size_t first = log.find("# stable intersection 1 involving ky sill and  or [am]\n");
    ASSERT_NE(first, std::string::npos) << log;
    expecttriplepoint(log, first);
    const std::size_t second = log.find("# stable intersection 1 involving", first + 1);
    ASSERT_NE(second, std::string::npos) << log;
    expecttriplepoint(log, second);

    // with 1) and 2) alone the first refinement has one line only: it is
    // passed over, and the second finds the point
    point({1, 2});
    table({860.0, 890.0});
    em::rxlines.linesol1[1][1] = 2.0;
    em::rxlines.linesol1[1][2] = 9.0;
    em::rxlines.linesol2[1][1] = pline(1, 860.0);
    em::rxlines.linesol2[1][2] = pline(1, 890.0);
    const std::size_t before = logtext().size();
    em::intersections();
    log = logtext().substr(before);
    EXPECT_EQ(pmtest::countof(log, "intersection 1 involving"), 1) << log;
    expecttriplepoint(log, 0);
}

TEST_F(IntersectionSearch, AxisActivityImposedInTheStabilityOfAPoint)
{
    // T-ln a with and on the axis at ln a = 0: am lies above and, so and = am
    // does not make the triple point metastable, whatever and's entropy held
    runio::run.diagrammode = 4;
    win.calcvariable = 1;
    win.othervariable = 3;
    win.pcalc = pstar;
    ems.logaem = 3;
    win.setaentropy[1] = andal.s;
    ems.td[3][td::sS] = andal.s - 1.0;
    EXPECT_TRUE(em::isstable(1, 0.0, tstar));
    // with ln a = 1, and lies RT above its standard state, and above am
    EXPECT_FALSE(em::isstable(1, 1.0, tstar));
}

class FluidSlope : public RxnTest {};

TEST_F(FluidSlope, StepsTowardsTheMiddleNearTheEndsOfXCO2)
{
    // q + cc = wo + CO2 at 5 kbar in T-x(CO2): the slope dx/dT of its line
    // from its T at x and at x + dx, dx = x/2 below x = 0.02 and -(1 - x)/2
    // above 0.98, against T by bisection with the fluid's own G
    std::vector<Em> e;
    for (const char* n : {"q", "cc", "wo", "CO2"}) {
        const lineards::Em& d = lineards::em(n);
        e.push_back({n, d.h, d.s, d.v});
    }
    setems(e);
    ems.ico2 = 4;
    addreaction({{1, -1}, {2, -1}, {3, 1}, {4, 1}});
    calcwindows::writereaction(1);
    runio::run.diagrammode = 2;
    win.calcvariable = 1;
    win.othervariable = 2;
    win.fluidtype = 6;
    ptwindow(5.0, 5.0, 673.15, 1273.15);
    win.pcalc = 5.0;
    auto tof = [](double x) {
        return lineards::bisect([&](double t) { return lineards::gem(lineards::em("wo"), 5.0, t) + lineards::fluidg("CO2", 5.0, t, x) -
                                                           lineards::gem(lineards::em("q"), 5.0, t) - lineards::gem(lineards::em("cc"), 5.0, t); },
                                673.15, 1273.15);
    };
    for (const double x : {0.01, 0.99}) {
        em::Intersection pt;
        pt.p = pt.m = pt.rx[1] = 1;
        pt.stable = true;
        pt.x = pt.xco2 = x;
        pt.xh2o = 1.0 - x;
        pt.y = pt.tk = tof(x);
        pt.pkbar = 5.0;
        const std::size_t before = logtext().size();
        em::printintersection(pt);
        const std::string block = logtext().substr(before);
        const std::size_t end = block.find('\n', block.find("1)  q + cc = wo + CO2"));
        const double dx = x < 0.02 ? x / 2.0 : -(1.0 - x) / 2.0;
        const double slope = dx / (tof(x + dx) - tof(x));
        EXPECT_NEAR(std::stod(block.substr(block.rfind(' ', end) + 1)), slope, 0.01 * std::fabs(slope)) << block;
    }
}

TEST_F(IntersectionSearch, HeadingsAndPointLinesOfEveryDiagram)
{
    win.tcalc = 873.15;
    win.pcalc = 5.0;
    win.xlow = 0.1;
    win.xhigh = 0.9;
    win.lnalow = -4.0;
    win.lnahigh = 0.5;
    win.setalabel[1] = "H2O";
    win.xco2 = 0.2;
    win.xh2o = 0.8;
    win.fluidtype = 6;
    em::Intersection pt;
    pt.pkbar = 6.25;
    pt.tk = 973.15;
    pt.xco2 = 0.2346;
    pt.a = -1.234;
    const std::string deg = "\xA1";
    struct Kind {
        int mode;
        std::string first, second, pointline;
    };
    const Kind kinds[] = {
        {1, "P-x(CO2)  of intersections : T = 600" + deg + "C",
         "window : P 1.0 <-> 20.0 kbars; x(CO2) 0.1 <-> 0.9", "P = 6.250 kbar, x(CO2) = 0.235"},
        {2, "\nT-x(CO2)  of intersections : P = 5.0 kbar",
         "window : T 400 <-> 1000" + deg + "C; x(CO2) 0.1 <-> 0.9", "T = 700.00 " + deg + "C , x(CO2) = 0.235"},
        {3, "P-x(H2O)  of intersections  : T = 600" + deg + "C",
         "window : P 1.0 <-> 20.0 kbars; ln a(H2O) -4.0 <-> 0.5", "P = 6.250kbar ,ln a(H2O) = -1.23"},
        {4, "T-a(H2O)  of intersections : P = 5.0 kbar",
         "window : T 400 <-> 1000" + deg + "C; ln a(H2O) -4.0 <-> 0.5", "T = 700.00 " + deg + "C,ln a(H2O) = -1.23"},
    };
    for (const Kind& k : kinds) {
        runio::run.diagrammode = k.mode;
        const std::size_t before = logtext().size();
        em::intersectionheadings();
        em::intersectionpoint(pt);
        EXPECT_EQ(logtext().substr(before), k.first + "\n" + k.second + "\n" + k.pointline + "\n");
    }
    // with a rock name, in log a and in P-T with the fluid label
    runio::scriptset.rockname = "r7";
    runio::scriptset.setloga = 0;
    runio::run.diagrammode = 3;
    std::size_t before = logtext().size();
    em::intersectionheadings();
    em::intersectionpoint(pt);
    EXPECT_EQ(logtext().substr(before), "P-x(H2O)  of intersections for r7 : T = 600" + deg +
                                            "C\nwindow : P 1.0 <-> 20.0 kbars; log a(H2O) -4.0 <-> 0.5\n"
                                            "P = 6.250kbar ,log a(H2O) = -1.23\n");
    runio::run.diagrammode = 0;
    comps.nexcess = 1;
    comps.nemr = 3;
    before = logtext().size();
    em::intersectionheadings();
    EXPECT_EQ(logtext().substr(before), "P-T of intersections for r7 (for x(CO2) = 0.2 and x(H2O) = 0.8)\n"
                                        "window : P 1.0 <-> 20.0 kbars; T 400 <-> 1000" + deg + "C\nin excess : am \n");

    // coefficients go, the digits of H2O and CO2 and the first four characters stay
    EXPECT_EQ(em::stripdigits("12)  2dsp + 3q = 2ky + 10H2O + CO2"), "12)  dsp + q = ky + H2O + CO2");
}

}  // namespace
