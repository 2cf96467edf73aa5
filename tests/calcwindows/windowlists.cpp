// Windows and value lists asked at the terminal or taken from the script:
// the repairs of script windows, the re-asking of typed windows with the
// five-try limit, and lists of P, T, x(CO2), activities and chemical
// potentials checked against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "calcwindows/calcwindows.h"
#include "dialog.h"

namespace {

using calcwindows::win;
using pmtest::talk;

const std::string deg = "\xA1";
const std::string mu = "\xB5";

struct Windows : testing::Test {
    pmtest::WorkDir dir;
    void SetUp() override
    {
        pmtest::startrun(1);
        win = calcwindows::Windows{};
    }
};

std::vector<double> listof(const runio::Arr<double, runio::maxlist + 1>& v, int n)
{
    return std::vector<double>(v.begin() + 1, v.begin() + 1 + n);
}

// Values equal to a hand-worked list within rounding of the steps.
void expectlist(const std::vector<double>& got, const std::vector<double>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << "value " << i + 1;
}

TEST_F(Windows, ScriptWindowsAreSwappedClampedAtBothEndsAndWidened)
{
    const auto d = talk(
        [] {
            double lo = 5.0, hi = 2.0;
            calcwindows::checkpwindow(lo, hi, false);
            EXPECT_EQ(lo, 2.0);
            EXPECT_EQ(hi, 5.0);
            // -300 to 4000 degrees C: both ends lie outside 283..3000 K
            double tlo = -300.0 + 273.15, thi = 4000.0 + 273.15;
            calcwindows::checktwindow(tlo, thi, true);
            EXPECT_EQ(tlo, 283.0);
            EXPECT_EQ(thi, 3000.0);
            double plo = 7.0, phi = 7.0;
            calcwindows::checkpwindow(plo, phi, true);
            EXPECT_EQ(plo, win.pmin);
            EXPECT_EQ(phi, 1500.0);
            plo = phi = 7.0;
            calcwindows::checkpwindow(plo, phi, false);   // a single pressure is allowed
            EXPECT_EQ(plo, 7.0);
        },
        "");
    EXPECT_EQ(d.log,
              "P(low) must be less than P(high): values swapped\n"
              "T(high) must be less than 3000.0: this used\n"
              "T(low) must be greater than 283.0: this used\n"
              "P window needed but P(low) = P(high): overall P window used (script overridden)\n");
}

TEST_F(Windows, TypedWindowsAreAskedAgainFourTimesAtMost)
{
    // The window passed in and three typed ones are wrong; the fourth is right.
    auto d = talk(
        [] {
            double lo = 5.0, hi = 2.0;
            calcwindows::promptpwindow(lo, hi, 1);
            EXPECT_EQ(lo, 1.0);
            EXPECT_EQ(hi, 10.0);
        },
        "3 3\n1 2000\n0 5\n1 10\n");
    EXPECT_EQ(d.log,
              "P(low) must be less than P(high) : try again\nP low,high :  3 3 \n"
              "P(low) must be less than P(high) : try again\nP low,high :  1 2000 \n"
              "P(high) must be less than 1500 : try again\nP low,high :  0 5 \n"
              "P(low) must be greater than 0.001 : try again\nP low,high :  1 10 \n");
    EXPECT_EQ(d.rest, "");

    // A fifth wrong window ends the run.
    d = talk(
        [] {
            double lo = 5.0, hi = 2.0;
            calcwindows::promptpwindow(lo, hi, 1);
        },
        "3 3\n1 2000\n0 5\n4 3\n", true);
    EXPECT_EQ(d.status, 1);
    EXPECT_EQ(d.bombed, "*OK : too many tries");
    EXPECT_NE(d.log.find("P low,high :  4 3 \nP(low) must be less than P(high) : try again\n\n-- run bombed in *OK : "
                         "too many tries"),
              std::string::npos)
        << d.log;

    // Temperatures are typed in degrees C and kept in K; equal ends pass with strict 0.
    d = talk(
        [] {
            double lo = 3100.0, hi = 3200.0;
            calcwindows::prompttwindow(lo, hi, 0);
            EXPECT_NEAR(lo, 773.15, 1e-9);
            EXPECT_NEAR(hi, 773.15, 1e-9);
        },
        "0 500\n500 500\n");
    EXPECT_EQ(d.log,
              "T(high) must be less than 2727 : try again\n T low,high :  0 500 \n"
              "T(low) must be greater than 10 : try again\n T low,high :  500 500 \n");

    // An activity is stored as ln a: a zero or negative low end is refused.
    d = talk(
        [] {
            double lo = 0.0, hi = 0.5;
            calcwindows::promptawindow(lo, hi, 0);
            EXPECT_EQ(lo, 0.1);
        },
        "0.1 0.5\n");
    EXPECT_EQ(d.log, "a(low) must be greater than 0 : try again\nactivity low,high :  0.1 0.5 \n");

    d = talk(
        [] {
            double lo = 2.0, hi = 1.0;
            calcwindows::promptmuwindow(lo, hi, 1);
            double xlo = 0.0, xhi = 1.0;
            calcwindows::promptxco2window(xlo, xhi, 0);
        },
        "-5 -5\n-5 -1\n0.2 0.99\n");
    EXPECT_EQ(d.log, mu + "(low) must be less than " + mu + "(high) : try again\n" + mu + " low,high :  -5 -5 \n" +
                         mu + "(low) must be less than " + mu + "(high) : try again\n" + mu + " low,high :  -5 -1 \n" +
                         "x(CO2) high must be less than 1 : try again\nx(CO2) low,high :  0.2 0.99 \n");
}

TEST_F(Windows, ScriptIntervalsGiveListsOfAtMost201)
{
    win.plow = 2.0;
    win.phigh = 10.0;
    win.pinc = 3.0;
    win.listselect = 1;
    auto d = talk([] { calcwindows::setplist(); }, "");
    expectlist(listof(win.plist, win.nplist), {2, 5, 8, 10});
    EXPECT_EQ(d.log, "P interval = 3.0 kbar (from script)\n");

    win.pinc = 20.0;   // wider than the window: half the window
    d = talk([] { calcwindows::setplist(); }, "");
    expectlist(listof(win.plist, win.nplist), {2, 6, 10});

    win.plow = 0.0;
    win.phigh = 1000.0;
    win.pinc = 1.0;   // 1001 values: the interval becomes 1000/200
    talk([] { calcwindows::setplist(); }, "");
    ASSERT_EQ(win.nplist, 201);
    EXPECT_NEAR(win.plist[2], 5.0, 1e-12);
    EXPECT_NEAR(win.plist[201], 1000.0, 1e-9);

    // 1 to 1001.5 by 5: 201 steps and the high end would make 202.
    win.plow = 1.0;
    win.phigh = 1001.5;
    win.pinc = 5.0;
    talk([] { calcwindows::setplist(); }, "");
    ASSERT_LE(win.nplist, 201);
    EXPECT_NEAR(win.plist[win.nplist], 1001.5, 1e-9);
    for (int i = 2; i <= win.nplist; ++i) EXPECT_LE(win.plist[i] - win.plist[i - 1], 1000.5 / 200 + 1e-9);

    // No script interval: asked only when T values are listed.
    win.tlow = 673.15;
    win.thigh = 1073.15;
    win.listselect = 1;
    win.ntlist = 1;
    d = talk([] { calcwindows::settlist(); }, "");
    EXPECT_EQ(win.ntlist, 1);
    EXPECT_EQ(d.log, "");
    win.listselect = 3;
    d = talk([] { calcwindows::settlist(); }, "100\n");
    expectlist(listof(win.tlist, win.ntlist), {673.15, 773.15, 873.15, 973.15, 1073.15});
    EXPECT_EQ(d.log, "T interval : 100\n");
}

TEST_F(Windows, AskedIntervalsAreAskedAgainUntilTheListFits)
{
    win.plow = 0.0;
    win.phigh = 1000.0;
    win.variance = 1;
    runio::chans.line2 = "P at which T of reactions to be calculated: ";
    auto d = talk([] { calcwindows::promptplist(); }, "1\n2000\n-3\n0.5\n5\n");
    EXPECT_EQ(d.log,
              "P at which T of reactions to be calculated: P interval : 1\n"
              "P interval too small : max of 201 pressures\ntry again: P interval : 2000\n"
              "P interval too large : max P(high) - P(low) = 1000.0\ntry again: P interval : -3\n"
              "P interval must be positive - try again: P interval : 0.5\n"
              "P interval too small : max of 201 pressures\ntry again: P interval : 5\n");
    EXPECT_EQ(win.nplist, 201);
    EXPECT_EQ(win.pdecimals, 3);
    EXPECT_EQ(win.tdecimals, 2);

    // 2.25 to 3 by 0.125: decimals of the ends and the interval
    win.plow = 2.25;
    win.phigh = 3.0;
    talk([] { calcwindows::promptplist(); }, "0.125\n");
    expectlist(listof(win.plist, win.nplist), {2.25, 2.375, 2.5, 2.625, 2.75, 2.875, 3.0});
    EXPECT_EQ(win.pdecimals, 3);
    EXPECT_EQ(win.tdecimals, 2);

    // The count of T steps is rounded: 3.6 steps of 100 give 400..800.
    win.tlow = 400 + 273.15;
    win.thigh = 760 + 273.15;
    d = talk([] { calcwindows::prompttlist(); }, "100\n");
    expectlist(listof(win.tlist, win.ntlist), {673.15, 773.15, 873.15, 973.15, 1073.15});
    EXPECT_EQ(d.log, "T interval : 100\n");
    EXPECT_EQ(win.tdecimals, 2);
    EXPECT_EQ(win.pdecimals, 4);
}

TEST_F(Windows, XCO2ListsFromTheLadderOrTyped)
{
    win.xlow = 0.1;
    win.xhigh = 0.9;
    auto d = talk([] { calcwindows::listxco2(); }, "y\n");
    expectlist(listof(win.xlist, win.nxlist), {0.1, 0.2, 0.4, 0.6, 0.8, 0.9});
    EXPECT_NEAR(win.xh2olist[3], 0.6, 1e-12);
    EXPECT_EQ(d.log, "x(CO2) window : 0.1 <-> 0.9\n0.1 0.2 0.4 0.6 0.8 0.9  : use these x(CO2) ? yes\n");
    EXPECT_EQ(win.xdecimals, 1);

    // A run of two ladder values is not offered.
    win.xlow = 0.3;
    win.xhigh = 0.35;
    d = talk([] { calcwindows::listxco2(); }, "\n");
    expectlist(listof(win.xlist, win.nxlist), {0.3, 0.35});
    EXPECT_EQ(d.log, "x(CO2) window : 0.3 <-> 0.35\nx(CO2) in ascending order : (nothing input)\n");
    EXPECT_EQ(win.xdecimals, 2);

    // Values outside the window or not above the last one kept are dropped.
    win.xlow = 0.05;
    win.xhigh = 0.6;
    talk([] { calcwindows::listxco2(); }, "0.2 0.1 0.5\n");
    expectlist(listof(win.xlist, win.nxlist), {0.05, 0.2, 0.5, 0.6});
    talk([] { calcwindows::listxco2(); }, "0.3 0.1 0.2 0.7\n");
    expectlist(listof(win.xlist, win.nxlist), {0.05, 0.3, 0.6});

    // An empty reply gives the two ends.
    d = talk([] { calcwindows::listxco2(); }, "\n");
    expectlist(listof(win.xlist, win.nxlist), {0.05, 0.6});
    // (A reply of at most 255 characters holds fewer than 201 values, so the
    // "too many" re-ask cannot be reached from the terminal.)
}

TEST_F(Windows, ActivityLogActivityAndMuLists)
{
    // a from 0.2 to 0.9 by 0.2, stored as ln a, with the high end appended
    auto d = talk([] { calcwindows::listactivity(1, 0.2, 0.9); }, "0\n1\n0.2\n");
    expectlist(listof(win.alist[1], win.nalist[1]),
               {std::log(0.2), std::log(0.4), std::log(0.6), std::log(0.8), std::log(0.9)});
    EXPECT_EQ(d.log,
              "activity window : 0.2 <-> 0.9 : activity interval : 0\n"
              "activity interval must be positive - try again: activity interval : 1\n"
              "activity interval too large :    max a(high) - a(low) =0.7\n"
              "try again: activity interval : 0.2\n");
    EXPECT_EQ(win.adecimals, 2);

    talk([] { calcwindows::listactivity(2, 0.5, 0.5); }, "");
    expectlist(listof(win.alist[2], win.nalist[2]), {std::log(0.5)});

    runio::scriptset.setloga = 0;
    d = talk([] { calcwindows::listlna(3, -2.0, 0.0); }, "0.0001\n0.5\n");
    expectlist(listof(win.alist[3], win.nalist[3]), {-2.0, -1.5, -1.0, -0.5, 0.0});
    EXPECT_EQ(d.log,
              "log a window : -2.0 <-> 0 : log a interval : 0.0001\n"
              "interval too small : max of 201 values\ntry again: interval : 0.5\n");

    d = talk([] { calcwindows::listmu(1, 0.0, 10.0); }, "-1\n3\n");
    expectlist(listof(win.mulist[1], win.nmulist[1]), {0, 3, 6, 9, 10});
    EXPECT_EQ(d.log, mu + " window : 0 <-> 10.0 : " + mu + " interval : -1\n" + mu +
                         " interval must be positive - try again: " + mu + " interval : 3\n");
    EXPECT_EQ(win.mudecimals, 1);

    win.calcvariable = 7;
    d = talk([] { calcwindows::listmu(2, 0.0, 1.0); }, "0.5\n", true);
    EXPECT_EQ(d.bombed, "listmu : unknown calcvariable");
}

}  // namespace
