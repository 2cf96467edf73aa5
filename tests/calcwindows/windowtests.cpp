// Reaction-in-window tests against closed forms: corner signs, an edge
// along which dG turns back, exact zeros, the fluid maximum of a reaction
// releasing H2O and CO2 (ideal mixing: RT (nu ln x(H2O) + nu ln x(CO2))),
// and the activity axes.
#include "harness/bombcheck.h"
#include "rxnfixture.h"

namespace {

using namespace rxtest;
using calcwindows::Corners;

bool inwindow(int i, Corners& c) { return calcwindows::inPTXwindow(i, c); }

class WindowTest : public RxnTest {};

TEST_F(WindowTest, CornersOfDifferentSignMeanTheLineCrosses)
{
    setems({ky, andal});
    addreaction({{1, -1}, {2, 1}});
    ptwindow(1.0, 10.0, 600.0, 1100.0);
    Corners c{};
    EXPECT_TRUE(inwindow(1, c));
    // corners 1 (plow, tlow), 2 (phigh, tlow), 3 (phigh, thigh), 4 (plow, thigh)
    EXPECT_EQ(c[1], dg0(1, 1.0, 600.0) < 0.0);
    EXPECT_EQ(c[2], dg0(1, 10.0, 600.0) < 0.0);
    EXPECT_EQ(c[3], dg0(1, 10.0, 1100.0) < 0.0);
    EXPECT_EQ(c[4], dg0(1, 1.0, 1100.0) < 0.0);
    EXPECT_TRUE(c[1] && !c[2] && c[4]);

    // a window wholly on the kyanite side
    ptwindow(9.0, 10.0, 600.0, 700.0);
    EXPECT_FALSE(inwindow(1, c));
    EXPECT_FALSE(c[1] || c[2] || c[3] || c[4]);

    // P-x(CO2): T fixed at 800 K, the line at P = 4.866 kbar for every x
    runio::run.diagrammode = 1;
    ptwindow(1.0, 10.0, 600.0, 1100.0);
    win.tcalc = 800.0;
    win.xlow = 0.1;
    win.xhigh = 0.9;
    EXPECT_TRUE(inwindow(1, c));
    EXPECT_TRUE(c[1] && c[2] && !c[3] && !c[4]);
    win.tcalc = 1500.0;
    EXPECT_FALSE(inwindow(1, c));
}

// dG = dH - T dS + da ((T - T0) - T ln(T/T0)): a line curved in T.
class EdgeTest : public RxnTest {
protected:
    void setreaction(double dh, double dv)
    {
        const double da = 0.1, dsr = -da * std::log(800.0 / 298.15);
        // the reaction turned round: dG has its least value at 800 K
        setems({{"x", 0.0, 0.05, 0.0}, {"y", dh, dsr + 0.05, dv, da}});
        addreaction({{1, 1}, {2, -1}});
        ptwindow(1.0, 10.0, 500.0, 1100.0);
    }
};

TEST_F(EdgeTest, LineEnteringAndLeavingThroughOneEdge)
{
    // dG > 0 at all four corners, below zero around 800 K along P = 1 kbar
    setreaction(-49.185, -0.5);
    for (double p : {1.0, 10.0})
        for (double t : {500.0, 1100.0}) ASSERT_GT(dg0(1, p, t), 0.0);
    ASSERT_LT(dg0(1, 1.0, 800.0), 0.0);
    Corners c{};
    EXPECT_TRUE(inwindow(1, c));
    EXPECT_FALSE(c[1] || c[2] || c[3] || c[4]);
    // from 3 kbar up the dip stays above zero: nowhere in the window is dG < 0
    ptwindow(3.0, 10.0, 500.0, 1100.0);
    ASSERT_GT(dg0(1, 3.0, 800.0), 0.0);
    EXPECT_FALSE(inwindow(1, c));
}

TEST_F(WindowTest, ExactZerosCountAsNotNegativeAndAsAnySign)
{
    // no volumes: dG = -100 + 0.125 T is exactly 0 at 800 K, dG/dP exactly 0
    setems({{"x", 0.0, 0.25, 0.0}, {"y", -100.0, 0.125, 0.0}});
    addreaction({{1, -1}, {2, 1}});
    ptwindow(1.0, 10.0, 800.0, 1000.0);
    ASSERT_EQ(dg0(1, 1.0, 800.0), 0.0);
    Corners c{};
    EXPECT_FALSE(inwindow(1, c));
    EXPECT_FALSE(c[1]);
    win.tlow = 700.0;
    EXPECT_TRUE(inwindow(1, c));
    EXPECT_TRUE(c[1] && c[2]);
}

// T-x(CO2) at 2 kbar, 700..900 K, x(CO2) 0.05 ..: a reaction A = B + w + c
// with w and c standing for H2O and CO2, ideal: dG = dH - T dS + RT ln K(x).
class FluidMaximum : public RxnTest {
protected:
    void setreaction(double dh, double ds, int nuc, double xhigh)
    {
        setems({{"A", 0.0, 0.1, 0.0}, {"B", dh, 0.1 + ds, 0.0}, {"w", 0.0, 0.0, 0.0}, {"c", 0.0, 0.0, 0.0}});
        ems.td[3][td::sS] = ems.td[4][td::sS] = 0.0;
        ems.ih2o = 3;
        ems.ico2 = 4;
        addreaction({{1, -1}, {2, 1}, {3, 1}, {4, nuc}});
        runio::run.diagrammode = 2;
        ptwindow(1.0, 10.0, 700.0, 900.0);
        win.pcalc = 2.0;
        win.xlow = 0.05;
        win.xhigh = xhigh;
        nu = nuc;
        dhr = dh;
        dsr = ds;
    }
    int nu = 1;
    double dhr = 0.0, dsr = 0.0;
    double g(double t, double x) const
    {
        return dhr - t * dsr + rgas * t * (std::log(1.0 - x) + nu * std::log(x));
    }
    double dgdt(double x) const { return -dsr + rgas * (std::log(1.0 - x) + nu * std::log(x)); }
};

TEST_F(FluidMaximum, AtTheMaximumTheLineCrossesBetweenCornersOfOneSign)
{
    // w and c released together: ln K is largest at x* = 0.5
    setreaction(-5.7, -0.018, 1, 0.6);
    for (double t : {700.0, 900.0})
        for (double x : {0.05, 0.6}) ASSERT_LT(g(t, x), 0.0);
    ASSERT_FALSE(calcwindows::samesign(dgdt(0.05), dgdt(0.6)));   // the corners 1 and 2 differ in slope
    ASSERT_LT(g(700.0, 0.5), 0.0);
    ASSERT_GT(g(900.0, 0.5), 0.0);
    Corners c{};
    EXPECT_TRUE(inwindow(1, c));
    EXPECT_TRUE(c[1] && c[2] && c[3] && c[4]);
    // 0.3 kJ lower, the maximum stays below zero too
    setreaction(-6.0, -0.018, 1, 0.6);
    ASSERT_LT(g(900.0, 0.5), 0.0);
    EXPECT_FALSE(inwindow(1, c));
}

TEST_F(FluidMaximum, AMaximumAboveZeroAtBothTemperatures)
{
    // x(CO2) up to 0.9: the corners below zero, the maximum above it at both
    // 700 and 900 K, so along each isotherm dG crosses zero twice
    setreaction(-5.0, -0.0225, 1, 0.9);
    for (double t : {700.0, 900.0}) {
        ASSERT_LT(g(t, 0.05), 0.0);
        ASSERT_LT(g(t, 0.9), 0.0);
        ASSERT_GT(g(t, 0.5), 0.0);
    }
    ASSERT_FALSE(calcwindows::samesign(dgdt(0.05), dgdt(0.9)));
    Corners c{};
    EXPECT_TRUE(inwindow(1, c));
}

TEST_F(FluidMaximum, NoMaximumWithH2OAndCO2OnOppositeSides)
{
    // A + c = B + w: ln K = ln x(H2O) - ln x(CO2) falls steadily with x(CO2)
    setreaction(-14.0, 0.01, -1, 0.6);
    ASSERT_FALSE(calcwindows::samesign(dgdt(0.05), dgdt(0.6)));
    ASSERT_LT(g(900.0, 0.05), 0.0);   // the largest dG in the window
    Corners c{};
    EXPECT_FALSE(inwindow(1, c));
    EXPECT_TRUE(c[1] && c[2] && c[3] && c[4]);
}

TEST_F(WindowTest, ActivityAxes)
{
    // ky = and with the activity of "and" on the axis: dG = dG0 + RT ln a
    setems({ky, andal});
    addreaction({{1, -1}, {2, 1}});
    ems.logaem = 2;
    win.setaentropy[1] = andal.s;
    ptwindow(1.0, 10.0, 600.0, 1100.0);
    win.lnalow = -2.0;
    win.lnahigh = 0.0;
    win.tcalc = 800.0;
    runio::run.diagrammode = 3;   // P-ln a at 800 K: at ln a = 0 the line lies at 4.866 kbar
    Corners c{};
    EXPECT_TRUE(inwindow(1, c));
    EXPECT_EQ(c[1], dg0(1, 1.0, 800.0) - 2.0 * rgas * 800.0 < 0.0);
    // the axis end-member keeps the entropy of the last corner, (phigh, lnalow)
    EXPECT_DOUBLE_EQ(ems.td[2][td::sS], andal.s + 2.0 * rgas);

    // T-log10 a at 9 kbar: dG = dG0 + ln 10 RT log a; at log a = 0 the line
    // lies at 1122 K, above the window, at log a = -0.5 at 559 K, below it
    runio::run.diagrammode = 4;
    runio::scriptset.setloga = 0;
    const double ln10rt = std::log(10.0) * rgas;
    auto g = [&](double p, double t, double loga) { return dg0(1, p, t) + ln10rt * t * loga; };
    win.pcalc = 9.0;
    win.lnalow = -0.5;
    win.lnahigh = 0.0;
    ASSERT_LT(g(9.0, 600.0, -0.5), 0.0);
    ASSERT_GT(g(9.0, 600.0, 0.0), 0.0);
    EXPECT_TRUE(inwindow(1, c));
    EXPECT_TRUE(c[1] && !c[2]);
    // at 12 kbar and log a from -0.1 the line lies above 1100 K throughout
    win.pcalc = 12.0;
    win.lnalow = -0.1;
    ASSERT_GT(g(12.0, 1100.0, -0.1), 0.0);
    EXPECT_FALSE(inwindow(1, c));

    runio::run.diagrammode = 7;
    EXPECT_BOMB(inwindow(1, c), "-- run bombed in inPTXwindow : unknown diagrammode");
}

}  // namespace
