// The reaction-line root finder against the closed forms of lines without
// heat capacity (T = (dH + dV P')/dS, P = (T dS - dH)/dV + 1 bar), a line
// curved by a heat-capacity term whose roots the test finds by its own
// bisection, the standard error of a line from the test's own sums, and the
// small reaction routines beside it.
#include "harness/bombcheck.h"
#include "rxnfixture.h"

namespace {

using namespace rxtest;
using calcwindows::nosecond;
using calcwindows::nosolution;

// ky = and: dH 4 kJ, dS 0.0095 kJ/K, dV 0.74 kJ/kbar.
constexpr double dh = 4.0, ds = 0.0095, dv = 0.74;
double tofline(double p) { return (dh + dv * (p - pref)) / ds; }
double pofline(double t) { return (t * ds - dh) / dv + pref; }

class RootFinder : public RxnTest {
protected:
    void SetUp() override
    {
        RxnTest::SetUp();
        setems({ky, andal});
        addreaction({{1, -1}, {2, 1}});
        ptwindow(1.0, 10.0, 600.0, 1100.0);
    }
};

TEST_F(RootFinder, StraightLineWithinTheTolerances)
{
    double x1, x2, dgdp1, dgdp2, dgdt1, dgdt2;
    calcwindows::findt(1, 5.0, 0.0, 1.0, false, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    EXPECT_NEAR(x1, tofline(5.0), 0.001);   // the T tolerance with two decimals printed
    EXPECT_EQ(x2, nosecond);
    EXPECT_NEAR(dgdp1, dv, 1e-6);
    EXPECT_NEAR(dgdt1, -ds, 1e-6);
    EXPECT_EQ(dgdp2, 0.0);

    calcwindows::findp(1, 800.0, 0.0, 1.0, false, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    EXPECT_NEAR(x1, pofline(800.0), 0.0001);
    // below 1 kbar the tolerance is relative
    win.plow = 0.01;
    calcwindows::findp(1, 425.0, 0.0, 1.0, false, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    EXPECT_NEAR(x1, pofline(425.0), 0.0001 * pofline(425.0));

    // from a start inside the window; a start outside gives both markers at once
    x1 = 700.0;
    calcwindows::findt(1, 5.0, 0.0, 1.0, true, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    EXPECT_NEAR(x1, tofline(5.0), 0.001);
    EXPECT_EQ(x2, nosecond);
    x1 = 500.0;
    calcwindows::findt(1, 5.0, 0.0, 1.0, true, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    EXPECT_EQ(x1, nosolution);
    EXPECT_EQ(x2, nosecond);
}

TEST_F(RootFinder, LinesOutsideTheWindowAreMarkedOnTheirSide)
{
    double x1, x2, dgdp1, dgdp2, dgdt1, dgdt2;
    // at 1 kbar the line lies at 499 K, below the window; at 10 kbar at 1200 K, above it
    ASSERT_LT(tofline(1.0), 600.0);
    calcwindows::findt(1, 1.0, 0.0, 1.0, false, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    EXPECT_EQ(x1, 599.0);
    EXPECT_EQ(x2, nosecond);
    ASSERT_GT(tofline(10.0), 1100.0);
    calcwindows::findt(1, 10.0, 0.0, 1.0, false, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    EXPECT_EQ(x1, 1101.0);
    // the reaction turned round: G falls across the window, the markers stay on their sides
    rxns.r[1][1] = 1;
    rxns.r[1][2] = -1;
    calcwindows::findt(1, 10.0, 0.0, 1.0, false, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    EXPECT_EQ(x1, 1101.0);
    ASSERT_LT(pofline(450.0), 1.0);
    calcwindows::findp(1, 450.0, 0.0, 1.0, false, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    EXPECT_EQ(x1, 0.0);
}

// A line curved by a heat-capacity difference of 0.1 kJ/K: dG has its
// largest value, +1 kJ, at 800 K and crosses zero twice in 500..1100 K.
class CurvedLine : public RxnTest {
protected:
    const double da = 0.1, tmax = 800.0;
    void SetUp() override
    {
        RxnTest::SetUp();
        const double dsr = -da * std::log(tmax / 298.15);
        const double peak = -tmax * dsr + da * ((tmax - 298.15) - tmax * std::log(tmax / 298.15));
        setems({{"x", 1.0 - peak, dsr + 0.05, 0.0, da}, {"y", 0.0, 0.05, 0.0}});
        addreaction({{1, 1}, {2, -1}});
        ptwindow(1.0, 10.0, 500.0, 1100.0);
    }
    // The root between a (dG < 0) and b (dG > 0), by halving.
    double root(double a, double b) const
    {
        for (int k = 0; k < 100; ++k) {
            const double m = 0.5 * (a + b);
            (dg0(1, 5.0, m) < 0.0 ? a : b) = m;
        }
        return 0.5 * (a + b);
    }
};

TEST_F(CurvedLine, TwoCrossingsComeLargestFirst)
{
    ASSERT_NEAR(dg0(1, 5.0, 800.0), 1.0, 1e-9);
    ASSERT_LT(dg0(1, 5.0, 500.0), 0.0);
    ASSERT_LT(dg0(1, 5.0, 1100.0), 0.0);
    double x1, x2, dgdp1, dgdp2, dgdt1, dgdt2;
    calcwindows::findt(1, 5.0, 0.0, 1.0, false, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    EXPECT_NEAR(x1, root(1100.0, 800.0), 0.001);
    EXPECT_NEAR(x2, root(500.0, 800.0), 0.001);
    EXPECT_GT(x1, x2);
    EXPECT_LT(dgdt1, 0.0);
    EXPECT_GT(dgdt2, 0.0);

    // with the peak below zero the walks from both edges leave: no solution
    ems.td[1][td::sH] -= 2.0;
    system[0].h -= 2.0;
    calcwindows::findt(1, 5.0, 0.0, 1.0, false, x1, x2, dgdp1, dgdp2, dgdt1, dgdt2);
    EXPECT_EQ(x1, nosolution);
    EXPECT_EQ(x2, nosecond);
}

TEST_F(RootFinder, StandardErrorAndSlopeOfTheLine)
{
    // ky at activity 0.8 +- 0.05; enthalpy covariances 0.25, 0.16 and 0.05
    ems.act[1] = 0.8;
    ems.sdact[1] = 0.05;
    ems.covat(1, 1) = 0.25;
    ems.covat(2, 2) = 0.16;
    ems.covat(1, 2) = ems.covat(2, 1) = 0.05;
    const double lnk = -std::log(0.8);   // the reactant ky at 0.8
    const double a = 0.25 + 0.16 - 2.0 * 0.05, b = (0.05 / 0.8) * (0.05 / 0.8);
    double x1, x2, sd1, sd2, slope1, slope2;

    const double t = 800.0;
    calcwindows::linepointp(1, t, 0.0, 1.0, x1, x2, sd1, sd2, slope1, slope2);
    EXPECT_NEAR(x1, (t * ds - dh - rgas * t * lnk) / dv + pref, 0.0001);
    EXPECT_NEAR(sd1, std::sqrt(a + (rgas * t) * (rgas * t) * b) / dv, 1e-6);
    EXPECT_NEAR(slope1, -dv / (-ds + rgas * lnk), 1e-4);
    EXPECT_EQ(sd2, calcwindows::nosd);

    const double p = 5.0;
    calcwindows::linepointt(1, p, 0.0, 1.0, x1, x2, sd1, sd2, slope1, slope2);
    const double tline = (dh + dv * (p - pref)) / (ds - rgas * lnk);
    EXPECT_NEAR(x1, tline, 0.001);
    EXPECT_NEAR(sd1, std::sqrt(a + (rgas * tline) * (rgas * tline) * b) / (ds - rgas * lnk), 1e-5);
    EXPECT_EQ(sd2, calcwindows::nosd);
}

TEST_F(RootFinder, VariancesOfLnA)
{
    ems.act[1] = 0.5;
    ems.sdact[1] = 0.1;
    ems.act[2] = 1.0;
    ems.sdact[2] = 0.1;
    ems.nem = 3;
    ems.act[3] = 0.0;
    ems.sdact[3] = 0.1;
    calcwindows::calcvarlna();
    EXPECT_DOUBLE_EQ(ems.varlna[1], 0.04);
    EXPECT_EQ(ems.varlna[2], 0.0);
    EXPECT_EQ(ems.varlna[3], 0.0);
    runio::run.calcmode = 1;
    calcwindows::calcvarlna();
    EXPECT_EQ(ems.varlna[1], 0.0);
}

TEST_F(RootFinder, TurnReactionForEachKindOfDiagram)
{
    const double p = 5.0, t = tofline(5.0);   // on the line
    auto turned = [&](int mode, double lna = 0.0, double mu = 0.0) {
        runio::run.diagrammode = mode;
        rxns.r[1][1] = -1;
        rxns.r[1][2] = 1;
        rxns.lnk[1] = 0.5;
        calcwindows::turnreaction(1, p, t, 0.0, 1.0, lna, mu);
        return rxns.r[1][2] == -1;
    };
    // ky = and: 5 K up dG = -5 dS < 0 keeps it; 0.2 kbar up dG = 0.2 dV > 0 turns it
    EXPECT_FALSE(turned(0));
    EXPECT_FALSE(turned(2));
    EXPECT_TRUE(turned(1));
    EXPECT_EQ(rxns.r[1][1], 1);
    EXPECT_EQ(rxns.lnk[1], -0.5);

    // an activity axis through "and": S = S0 - R ln a
    ems.logaem = 2;
    win.setaentropy[1] = andal.s;
    EXPECT_TRUE(turned(3, 0.0));
    EXPECT_DOUBLE_EQ(ems.td[2][td::sS], andal.s);
    // at 5 K up, ln a = -1 adds -R T to G(and): dG = -5 dS - R (T + 5) < 0
    EXPECT_FALSE(turned(4, -1.0));
    EXPECT_DOUBLE_EQ(ems.td[2][td::sS], andal.s + rgas);
    // ln a = +1 at 5 K up: dG = -5 dS + R (T + 5) > 0
    EXPECT_TRUE(turned(4, 1.0));
    runio::scriptset.setloga = 0;   // a log10 a axis
    EXPECT_TRUE(turned(4, 1.0));
    EXPECT_DOUBLE_EQ(ems.td[2][td::sS], andal.s - 0.019144654296);

    // a chemical-potential axis through the enthalpy of "and"
    EXPECT_TRUE(turned(6, 0.0, andal.h + 1.0));
    EXPECT_EQ(ems.td[2][td::sH], andal.h + 1.0);
    EXPECT_TRUE(turned(5, 0.0, andal.h));

    // only in the all-reactions mode
    runio::run.calcmode = 0;
    EXPECT_FALSE(turned(1));
    EXPECT_NE(logtext().find("\ncall of turnreaction unexpected\n"), std::string::npos);
    runio::run.calcmode = 3;
    EXPECT_BOMB(turned(7), "-- run bombed in turnreaction : unknown diagrammode");
}

TEST_F(RootFinder, EquationText)
{
    setems({{"a", 0, 0, 0}, {"b", 0, 0, 0}, {"c", 0, 0, 0}});
    rxns.nrxn = 6;
    addreaction({{1, -2}, {2, -1}, {3, 1}});
    calcwindows::writereaction(7);
    EXPECT_EQ(rxns.rxntext[7], "7)  2a + b = c");
    EXPECT_EQ(rxns.rxntextwidth, 15);
    // a set activity shows its label
    runio::scripttabs.nseta = 1;
    runio::scripttabs.setaname[1] = "b";
    win.setalabel[1] = "b(0.3)";
    calcwindows::writereaction(7);
    EXPECT_EQ(rxns.rxntext[7], "7)  2a + b(0.3) = c");
}

TEST_F(RootFinder, OnlyPAndTAreSolvedFor)
{
    double x1, x2, d1, d2, d3, d4;
    EXPECT_BOMB(calcwindows::find(1, 5.0, 800.0, 0.0, 1.0, 2, false, x1, x2, d1, d2, d3, d4),
                "-- run bombed in find : unimplemented");
}

}  // namespace
