// Helpers around the solve: the one reaction among the columns of a real
// composition matrix (checked by multiplying back), its text as a balanced
// equation, the oxide composition of a phase worked by hand, the derivative
// of an expression with a squared variable, and the minimisation grid.
#include <cmath>

#include "assemblage.h"
#include "axmodels/axmodels.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace {

using namespace numerics;

TEST(RealReaction, NullVectorOfAFullRankMatrix)
{
    asmtest::ScratchDir scratch;
    thermodata::ems.nem = 6;
    static RealMatrix a{};
    // MgO, FeO, SiO2 of fo, fa, en, q (columns): fo + q = en has fa 0
    const double c[4][5] = {{0}, {0, 2, 0, 2, 0}, {0, 0, 2, 0, 0}, {0, 1, 1, 2, 1}};
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 4; ++j) a[i][j] = c[i][j];
    EmTable x{};
    x.fill(9.0);
    realreaction(a, 3, 4, x);
    for (int i = 1; i <= 3; ++i) {
        double s = 0.0;
        for (int j = 1; j <= 4; ++j) s += a[i][j] * x[j];
        EXPECT_NEAR(s, 0.0, 1e-12) << i;
    }
    EXPECT_EQ(x[2], 0.0);            // cancels exactly
    EXPECT_EQ(x[5] + x[6], 0.0);     // cleared over the whole end-member list
    int minusone = 0;
    for (int j = 1; j <= 4; ++j) minusone += x[j] == -1.0;
    EXPECT_GE(minusone, 1);
    EXPECT_NEAR(x[1] / x[3], -1.0, 1e-12);
    EXPECT_NEAR(x[4] / x[3], -1.0, 1e-12);
    // two columns too few for a reaction among three independent rows
    const auto o = asmtest::runchild([&] { realreaction(a, 3, 3, x); });
    EXPECT_EQ(o.bombed, "realreaction : no reaction - WHY");
}

TEST(PrintRealReaction, BalancedEquations)
{
    const std::string names[] = {"", "a", "b", "c"};
    EmTable c{};
    std::string text;
    c[1] = -2;
    c[2] = -1;
    c[3] = 3;
    printrealreaction(c, names, 3, text);
    EXPECT_EQ(text, "2a + b = 3c");
    c[1] = -1.5;
    c[2] = 1;
    printrealreaction(c, names, 2, text);
    EXPECT_EQ(text, "15a = 10b");
    c[1] = -1;
    c[2] = 2e-5;   // above 1e-7 of the largest, below a thousandth
    c[3] = 1;
    printrealreaction(c, names, 3, text);
    // (the tiny one, counted as 1 tenth, makes the set not whole)
    EXPECT_EQ(text, "10a = 0b + 10c");
}

TEST(DevalPoly, SquaredVariableAndProducts)
{
    // 0.5 (1 - x)(1 - x)(2 + 3y) + x y, x = variable 1, y = variable 2
    axmodels::SfExpr e;
    e.n = 2;
    e.t.assign(3, axmodels::SXTerm{});
    auto form = [](int p, int q, std::initializer_list<std::tuple<int, int, int>> terms) {
        axmodels::XTerm f;
        f.p = p;
        f.q = q;
        for (auto [tp, tq, v] : terms) {
            ++f.n;
            f.tp[f.n] = tp;
            f.tq[f.n] = tq;
            f.var[f.n] = v;
        }
        return f;
    };
    e.t[1].factor = 0.5;
    e.t[1].n = 3;
    e.t[1].x[1] = form(1, 1, {{-1, 1, 1}});
    e.t[1].x[2] = form(1, 1, {{-1, 1, 1}});
    e.t[1].x[3] = form(2, 1, {{3, 1, 2}});
    e.t[2].n = 2;
    e.t[2].x[1] = form(0, 1, {{1, 1, 1}});
    e.t[2].x[2] = form(0, 1, {{1, 1, 2}});
    // the variables from position base = 3 on
    const double x = 0.3, y = 0.6;
    const double v[] = {0, 0, 0, x, y};
    EXPECT_NEAR(devalpoly(e, 1, v, 3), -(1 - x) * (2 + 3 * y) + y, 1e-15);
    EXPECT_NEAR(devalpoly(e, 2, v, 3), 0.5 * (1 - x) * (1 - x) * 3 + x, 1e-15);
}

TEST(SetupDogmin, GridAndItsLimit)
{
    asmtest::ScratchDir scratch;
    runio::makestarttables();
    runio::win.nplist = 2;
    runio::win.ntlist = 3;
    runio::win.plist[1] = 5.0;
    runio::win.plist[2] = 7.0;
    for (int j = 1; j <= 3; ++j) runio::win.tlist[j] = 800.0 + 50.0 * j;
    runio::scriptflags.dogminlevel = 0;
    setupdogmin();
    EXPECT_EQ(dogmin.ndogmin, 6);
    EXPECT_EQ(runio::scriptflags.dogminlevel, 2);
    EXPECT_EQ(dogmin.dogminpoints[4].p, 7.0);   // P-major
    EXPECT_EQ(dogmin.dogminpoints[4].t, 850.0);
    EXPECT_EQ(dogmin.dogminpoints[4].gap, 100.0);
    runio::win.nplist = runio::win.ntlist = 1;
    runio::scriptflags.dogminlevel = 0;
    setupdogmin();
    EXPECT_EQ(runio::scriptflags.dogminlevel, 0);
    runio::win.nplist = runio::win.ntlist = 11;
    const auto o = asmtest::runchild([] { setupdogmin(); });
    EXPECT_EQ(o.bombed, "setup dogmin : too many PT (max 120");
}

class PhaseBulk : public asmtest::Assemblage {};

TEST_F(PhaseBulk, OxidesOfAPhaseAtItsComposition)
{
    setup(asmtest::exampleax(), {"g", "q"});
    assemblage({"g", "q"});
    // x(g) = 0.7, z(g) = 0.2: (Mg0.24 Fe0.56 Ca0.2)3 Al2 Si3 O12
    unk.nlex[3] = 0.7;
    unk.nlex[4] = 0.2;
    CompVector c{};
    phasebulk(1, c);
    const auto& comps = thermodata::comps;
    for (int i = 1; i <= comps.ncomp; ++i) {
        const std::string& n = comps.compname[i];
        const double expected = n == "MgO" ? 0.72 : n == "FeO" ? 1.68 : n == "CaO" ? 0.6 : n == "Al2O3" ? 1 : 3;
        EXPECT_NEAR(c[i], expected, 1e-14) << n;
    }
}

}  // namespace
