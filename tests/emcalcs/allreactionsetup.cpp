// The set-up and the stability tests of the all-reactions mode on systems
// worked by hand: the projection of a three-component composition matrix
// through end-members in excess, and Schreinemakers' rule around the
// invariant point of two components and four phases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bombcheck.h"
#include "calcwindows/reactions.h"
#include "dialog.h"
#include "emcalcs/emcalcs.h"
#include "thermodata/gibbs.h"

namespace {

namespace td = thermodata;
using calcwindows::rxns;
using calcwindows::win;
using td::comps;
using td::ems;

// Components X, Y, Z and six end-members a..f of made-up compositions, each
// with its own activity, entropy and covariances 10 i + j, so that every
// entry shows where it went.
void threecomponents()
{
    pmtest::startrun(3);
    runio::run.diagrammode = 0;
    runio::scriptset.inexcesssw = 1;   // the names are asked
    const std::vector<std::vector<int>> comp = {{2, 1, 0}, {1, 0, 1}, {0, 3, 1}, {2, 1, 1}, {0, 0, 2}, {3, 1, 2}};
    comps.ncomp = comps.ncomp0 = 3;
    comps.nexcess = 0;
    for (int q = 1; q <= 3; ++q) {
        comps.compname[q] = std::string(1, static_cast<char>('W' + q));
        comps.compmult[q] = 1;
    }
    ems.nem = comps.nemr = 6;
    ems.ih2o = ems.ico2 = ems.logaem = 0;
    ems.nexcl = 0;
    for (int k = 1; k <= 6; ++k) {
        ems.emname[k] = std::string(1, static_cast<char>('a' + k - 1));
        ems.act[k] = 0.1 * k;
        ems.td[k].fill(0.0);
        ems.td[k][td::sS] = k;
        for (int l = 1; l <= 6; ++l) ems.covat(k, l) = 10 * k + l;
        for (int q = 1; q <= 3; ++q) comps.c[q][k] = comp[static_cast<std::size_t>(k - 1)][static_cast<std::size_t>(q - 1)];
    }
}

std::vector<int> row(int q)
{
    std::vector<int> v;
    for (int k = 1; k <= ems.nem; ++k) v.push_back(comps.c[q][k]);
    return v;
}

// The end-members in their new order, as the letters of their old places.
std::string order()
{
    std::string s;
    for (int k = 1; k <= ems.nem; ++k) s += ems.emname[k];
    return s;
}

TEST(ExcessPhases, ProjectionThroughOneAndTwoEndMembers)
{
    pmtest::WorkDir dir;
    // d = (2, 1, 1) pivots on X (p = 2): Y := 2Y - X, Z := 2Z - X, each
    // multiplier 2; an unknown name asked again and still unknown is dropped
    threecomponents();
    auto d = pmtest::talk([] { emcalcs::inexcess(); }, "zz d\nyy\n");
    EXPECT_NE(d.screen.find("a  b  c  d  e  f  \nin excess: names : zz not recognised : replace with : "
                            "forget it!  (name still unrecognised)\n"),
              std::string::npos)
        << d.screen;
    EXPECT_EQ(order(), "abcefd");
    EXPECT_EQ(comps.nexcess, 1);
    EXPECT_EQ(comps.nemr, 5);
    EXPECT_EQ(comps.ncomp0, 2);
    EXPECT_EQ(row(1), (std::vector<int>{0, -1, 6, 0, -1, 0}));
    EXPECT_EQ(row(2), (std::vector<int>{-2, 1, 2, 4, 1, 0}));
    EXPECT_EQ(row(3), (std::vector<int>{2, 1, 0, 0, 3, 2}));
    EXPECT_EQ(comps.compname[3], "d");
    EXPECT_EQ((std::vector<long long>{comps.compmult[1], comps.compmult[2], comps.compmult[3]}),
              (std::vector<long long>{2, 2, 2}));
    EXPECT_DOUBLE_EQ(ems.act[6], 0.4);
    EXPECT_DOUBLE_EQ(ems.td[6][td::sS], 4.0);
    EXPECT_DOUBLE_EQ(ems.act[4], 0.5);
    EXPECT_DOUBLE_EQ(ems.covat(4, 6), 54.0);   // e with d
    EXPECT_DOUBLE_EQ(ems.covat(6, 6), 44.0);
    EXPECT_DOUBLE_EQ(ems.covat(5, 1), 61.0);   // f with a

    // e (single component Z) pivots on Z first, then d on X; Z's row takes
    // d's reduction too (e's amount 2 becomes 4); a last "*" is dropped
    threecomponents();
    d = pmtest::talk([] { emcalcs::inexcess(); }, "e d *\n");
    EXPECT_EQ(order(), "abcfed");
    EXPECT_EQ(comps.ncomp0, 1);
    EXPECT_EQ(row(1), (std::vector<int>{0, -1, 6, -1, 0, 0}));
    EXPECT_EQ(row(2), (std::vector<int>{-2, 1, 2, 1, 4, 0}));
    EXPECT_EQ(row(3), (std::vector<int>{2, 1, 0, 3, 0, 2}));
    EXPECT_EQ(comps.compname[1], "Y");
    EXPECT_EQ(comps.compname[2], "e");
    EXPECT_EQ((std::vector<long long>{comps.compmult[1], comps.compmult[2], comps.compmult[3]}),
              (std::vector<long long>{2, 4, 2}));
    // the blocks of the covariance: kept, in excess, and across
    EXPECT_DOUBLE_EQ(ems.covat(4, 3), 63.0);
    EXPECT_DOUBLE_EQ(ems.covat(5, 6), 54.0);
    EXPECT_DOUBLE_EQ(ems.covat(6, 4), 46.0);

    // e alone takes its own component away and changes no other row
    threecomponents();
    pmtest::talk([] { emcalcs::inexcess(); }, "e\n");
    EXPECT_EQ(order(), "abcdfe");
    EXPECT_EQ(row(1), (std::vector<int>{2, 1, 0, 2, 3, 0}));
    EXPECT_EQ(row(2), (std::vector<int>{1, 0, 3, 1, 1, 0}));
    EXPECT_EQ(row(3), (std::vector<int>{0, 1, 1, 1, 2, 2}));
    EXPECT_EQ(comps.compmult[1], 1);

    // as many names as components: no projection
    threecomponents();
    pmtest::talk([] { emcalcs::inexcess(); }, "a b c\n");
    EXPECT_EQ(order(), "abcdef");
    EXPECT_EQ(comps.nexcess, 0);
    EXPECT_EQ(comps.ncomp0, 3);
}

TEST(ExcessPhases, ProjectionBeyondSixteenBitsStopsTheRun)
{
    pmtest::WorkDir dir;
    // Y := 301 Y - 211 X makes a's amount 301 x 300 - 211 x 200 = 48100
    threecomponents();
    comps.c[1][1] = 200;
    comps.c[2][1] = 300;
    comps.c[1][4] = 301;
    comps.c[2][4] = 211;
    const auto d = pmtest::talk([] { emcalcs::inexcess(); }, "d\n", true);
    EXPECT_EQ(d.bombed, "in excess : projection does not work: the compositions projected through d outgrow "
                        "16-bit amounts (max = 32767)");
}

// A (X), B (Y), C (XY) and D (X2Y), all at the invariant point T = 1000 K,
// P = 5 kbar: G(C) = 0.01 (T - 1000) + 0.5 (P - 5), G(D) = 0.03 (T - 1000)
// - 0.5 (P - 5), G(A) = G(B) = 0. Lines with T solved at P:
// 1) A + B = C at T = 1000 - 50 (P - 5); 2) 2A + B = D at 1000 + 50/3 (P - 5);
// 3) A + C = D at 1000 + 50 (P - 5); 4) B + D = 2C at 1000 + 150 (P - 5).
void invariantpoint()
{
    pmtest::startrun(3);
    struct Phase {
        const char* name;
        double s, v;
    };
    const Phase phases[] = {{"A", 0, 0}, {"B", 0, 0}, {"C", -0.01, 0.5}, {"D", -0.03, -0.5}};
    ems.nem = comps.nemr = 4;
    ems.ih2o = ems.ico2 = ems.logaem = 0;
    for (int k = 1; k <= 4; ++k) {
        const Phase& p = phases[k - 1];
        ems.emname[k] = p.name;
        ems.emdsname[k].clear();
        ems.act[k] = 1.0;
        ems.td[k].fill(0.0);
        ems.td[k][td::sS] = p.s;
        ems.td[k][td::sV] = p.v;
        // G = 0 at the invariant point
        ems.td[k][td::sH] = 1000.0 * p.s - p.v * (5.0 - td::pref);
    }
    const std::vector<std::vector<int>> nu = {{-1, -1, 1, 0}, {-2, -1, 0, 1}, {-1, 0, -1, 1}, {0, -1, 2, -1}};
    const char* texts[] = {"1)  A + B = C", "2)  2A + B = D", "3)  A + C = D", "4)  B + D = 2C"};
    rxns.nrxn = 4;
    for (int i = 1; i <= 4; ++i) {
        rxns.r[i].fill(0);
        runio::BClr2(rxns.rxnphases[i]);
        for (int k = 1; k <= 4; ++k) {
            rxns.r[i][k] = static_cast<std::int16_t>(nu[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(k - 1)]);
            if (rxns.r[i][k] != 0) runio::BSet2(rxns.rxnphases[i], k);
        }
        rxns.lnk[i] = 0.25 * i;
        rxns.rxntext[i] = texts[i - 1];
    }
    // T solved in 600..1500 K at P = 1 and 2 kbar: the line of 4) lies below
    runio::run.diagrammode = 0;
    win.calcvariable = 1;
    win.othervariable = 0;
    win.tlow = 600.0;
    win.thigh = 1500.0;
    win.plow = 1.0;
    win.phigh = 2.0;
    win.nplist = 2;
    win.plist[1] = 1.0;
    win.plist[2] = 2.0;
    emcalcs::rxlines.solvedvar = 0;
    emcalcs::rxlines.linesol1.assign(td::maxrxn + 1, {});
    emcalcs::rxlines.linesol2.assign(td::maxrxn + 1, {});
    for (int j = 1; j <= 2; ++j) {
        const double dp = win.plist[j] - 5.0;
        const double t[] = {1000.0 - 50.0 * dp, 1000.0 + 50.0 / 3.0 * dp, 1000.0 + 50.0 * dp, 1000.0 + 150.0 * dp};
        for (int i = 1; i <= 4; ++i) {
            emcalcs::rxlines.linesol1[i][j] = t[i - 1];
            emcalcs::rxlines.linesol2[i][j] = calcwindows::nosecond;
        }
    }
}

const std::string stabilitytable = "\n" + std::string(52, '-') +
                                   "\nStability of reactions not involved in intersections :\n\n"
                                   "<= stable => 1)  A + B = C\n"
                                   "metastable   2)  2A + B = D\n"
                                   "<= stable => 3)  A + C = D\n"
                                   "*not known*  4)  B + D = 2C\n";

TEST(ReactionStability, SchreinemakersRuleAroundAnInvariantPoint)
{
    pmtest::WorkDir dir;
    // At P = 1 kbar: on line 2) at 933.3 K, G(C) = -2.67 < 0 puts A + B, all
    // within 2)'s phases, on the unstable side of 1); lines 1) (1200 K) and
    // 3) (800 K) have no such reaction; line 4) never enters the window.
    invariantpoint();
    emcalcs::RxnFlags involved{};
    const auto d = pmtest::talk([&] { emcalcs::rstable(involved); }, "");
    EXPECT_EQ(d.screen, stabilitytable);
    // 5 K up each of 1), 2) and 3) has dG > 0 (0.05, 0.15, 0.1 kJ): turned round
    EXPECT_EQ(rxns.r[1][3], -1);
    EXPECT_EQ(rxns.r[2][4], -1);
    EXPECT_EQ(rxns.r[3][4], -1);
    EXPECT_EQ(rxns.r[4][3], 2);
    EXPECT_EQ(rxns.lnk[1], -0.25);
    EXPECT_EQ(rxns.lnk[4], 1.0);

    // every reaction through a printed intersection: nothing at all
    invariantpoint();
    involved.fill(true);
    EXPECT_EQ(pmtest::talk([&] { emcalcs::rstable(involved); }, "").screen, "");

    // T-ln a with D on the axis at ln a = 0: the test points take the axis
    // activity, whatever D's entropy held before
    invariantpoint();
    runio::run.diagrammode = 4;
    win.othervariable = 3;
    win.pcalc = 1.0;
    win.nalist[1] = 2;
    win.alist[1][1] = 0.0;
    win.alist[1][2] = 0.5;
    ems.logaem = 4;
    win.setaentropy[1] = ems.td[4][td::sS];
    ems.td[4][td::sS] = 1.0;   // G(D) far below: 4) would rule out 1)
    involved.fill(false);
    EXPECT_EQ(pmtest::talk([&] { emcalcs::rstable(involved); }, "").screen, stabilitytable);
}

TEST(ReactionStability, WindowsAndDiagramPoints)
{
    pmtest::startrun(3);
    win.plow = 3.0;
    win.phigh = 10.0;
    win.tlow = 600.0;
    win.thigh = 2900.0;
    emcalcs::enlargewindow(0);
    emcalcs::enlargewindow(1);
    EXPECT_EQ(win.plow, runio::scal.pminall);
    EXPECT_EQ(win.phigh, 15.0);
    EXPECT_EQ(win.tlow, 300.0);
    EXPECT_EQ(win.thigh, 3000.0);
    for (int twice = 0; twice < 2; ++twice) {
        emcalcs::restorewindow(0);
        emcalcs::restorewindow(1);
        EXPECT_EQ(win.plow, 3.0);
        EXPECT_EQ(win.thigh, 2900.0);
    }
    EXPECT_BOMB(emcalcs::enlargewindow(2), "-- run bombed in enlargewindow : unknown calcvariable");

    // (x, y) = (0.3, 700): the abscissa and ordinate of each kind of diagram
    win.pcalc = 8.0;
    win.tcalc = 900.0;
    win.xco2 = 0.1;
    win.xh2o = 0.9;
    struct Case {
        int mode, calcvariable;
        double p, t, xco2, a;
    };
    const Case cases[] = {{0, 0, 700, 0.3, 0.1, -9}, {0, 1, 0.3, 700, 0.1, -9}, {1, 0, 700, 900, 0.3, -9},
                          {2, 1, 8, 700, 0.3, -9},   {3, 0, 700, 900, 0.1, 0.3}, {4, 1, 8, 700, 0.1, 0.3}};
    for (const Case& c : cases) {
        runio::run.diagrammode = c.mode;
        win.calcvariable = c.calcvariable;
        double p, t, x, h, a = -9.0, mu = 0.0;
        emcalcs::setiptx(p, t, x, h, a, mu, 0.3, 700.0);
        EXPECT_EQ((std::vector<double>{p, t, x, h, a}), (std::vector<double>{c.p, c.t, c.xco2, 1.0 - c.xco2, c.a}))
            << "diagram " << c.mode;
    }
    runio::run.diagrammode = 5;
    double p, t, x, h, a, mu;
    EXPECT_BOMB(emcalcs::setiptx(p, t, x, h, a, mu, 0.3, 700.0), "-- run bombed in setiptx : unknown diagrammode");
}

}  // namespace
