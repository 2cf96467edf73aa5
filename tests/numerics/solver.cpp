// The non-linear solver: the ideal olivine-orthopyroxene-quartz system
// solved to its closed form at five P-T points; through residual functions
// of our own in place of the equilibrium equations, a Rosenbrock-type root,
// a system without a root, a start already solved, a solve that never
// converges, the Newton direction against J d = r, the dropped singular
// values, the edge cases of the line search and of the largest admissible
// step, and the texts of its reports and fatal errors.
#include <cmath>
#include <functional>

#include "assemblage.h"
#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "numerics/nlestate.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace {

using namespace numerics;
using asmtest::Assemblage;
using asmtest::gem;
using asmtest::rgas;


class Acceptance : public Assemblage {};

TEST_F(Acceptance, OlivineOrthopyroxeneQuartzToTheClosedForm)
{
    runio::scal.pscale = 1.0 / 50.0;
    runio::scal.poffset = 0.0;
    runio::scal.tscale = 1.0 / 2000.0;
    runio::scal.toffset = 0.0;
    runio::win.ptypsize = runio::win.ttypsize = 1e-4;
    setup(asmtest::olopx, {"ol", "opx", "q"});
    assemblage({"ol", "opx", "q"});
    bool any;
    calcwindows::writereactionlists(any);
    unk.xfree[1] = unk.xfree[2] = false;
    const double pts[5][2] = {{5, 700}, {10, 900}, {15, 1000}, {20, 1150}, {30, 1300}};
    for (const auto& pt : pts) {
        const double p = pt[0], t = pt[1];
        // Mg2Si2O6 and Fe2Si2O6 against two olivine formulae and quartz: the
        // activities carry the power 2 of the Mg-Fe site
        const double dg1 = gem("en", p, t) - gem("fo", p, t) - gem("q", p, t);
        const double dg2 = gem("fs", p, t) - gem("fa", p, t) - gem("q", p, t);
        const double k1 = std::exp(-dg1 / (2 * rgas * t)), k2 = std::exp(-dg2 / (2 * rgas * t));
        const double xol = (1 - k1) / (k2 - k1), xopx = k2 * xol;
        ASSERT_GT(xol, 0.0);
        ASSERT_LT(xol, 1.0);
        // from the a-x file's starting guesses
        unk.nlex[1] = p;
        unk.nlex[2] = t;
        unk.nlex[3] = 0.3;
        unk.nlex[4] = 0.2;
        int code = -1;
        ASSERT_TRUE(nle(code)) << p << " " << t;
        EXPECT_EQ(code, 0);
        EXPECT_NEAR(unk.nlex[3], xol, 1e-7) << p << " " << t;
        EXPECT_NEAR(unk.nlex[4], xopx, 1e-7) << p << " " << t;
        EXPECT_LE(nst.iteration, 8);
    }
}

// ---------------------------------------------------------------- residual functions of our own

// A residual function of the scaled unknowns, for the duration of a test.
std::function<bool(Vector&, SquareTable&, Vector&)> model;
bool seam(Vector& x, SquareTable& j, Vector& f) { return model(x, j, f); }

// r = (10 (u2 - u1^2), 0.5 - u1): a curved valley with its root at (0.5, 0.25)
bool rosenbrock(Vector& x, SquareTable& j, Vector& f)
{
    f[1] = 10 * (x[2] - x[1] * x[1]);
    f[2] = 0.5 - x[1];
    j[1][1] = -20 * x[1];
    j[1][2] = 10;
    j[2][1] = -1;
    j[2][2] = 0;
    return true;
}

class Solver : public ::testing::Test {
protected:
    void SetUp() override
    {
        runio::makestarttables();
        runio::chans.chanset = 0;
        runio::prefs.bombautoexit = true;
        runio::prefs.wrapscreen = false;
        runio::scriptflags = runio::ScriptFlags{};
        runio::scriptflags.debuglevel = 0;
        runio::scriptset = runio::ScriptSet{};
        runio::mcs.mcit = 1.0;
        residualfunction = seam;
        Unknowns& u = unk;
        u = Unknowns{};
        u.nvar = 2;
        u.xname[1] = "P(kbar)";
        u.xname[2] = "u2";
        for (int i = 1; i <= 2; ++i) {
            u.xfree[i] = true;
            u.xscale[i] = 1.0;
            u.xtypsize[i] = 1e-9;
        }
        u.xoffset[2] = 273.15;   // shown as it is, once less 273.15
        thermodata::ems.nem = 0;
        calls.clear();
    }
    void TearDown() override { residualfunction = nlefunc; }
    int solve()
    {
        int code = -1;
        nle(code);
        return code;
    }
    std::vector<Vector> calls;   // every point evaluated
    asmtest::ScratchDir scratch;
};

TEST_F(Solver, RosenbrockTypeRoot)
{
    model = rosenbrock;
    unk.nlex[1] = 0.1;
    unk.nlex[2] = 0.9;
    EXPECT_EQ(solve(), 0);
    EXPECT_NEAR(unk.nlex[1], 0.5, 1e-9);
    EXPECT_NEAR(unk.nlex[2], 0.25, 1e-9);
}

TEST_F(Solver, NoRootIsAFailureWithItsReport)
{
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        f[1] = x[1] * x[1] + 0.1;   // never 0
        f[2] = x[2] - 0.5;
        j[1][1] = 2 * x[1];
        j[1][2] = j[2][1] = 0;
        j[2][2] = 1;
        return true;
    };
    unk.nlex[1] = 0.6;
    unk.nlex[2] = 0.4;
    runio::scriptflags.debuglevel = 2;
    int code = -1;
    const std::string out = asmtest::output([&] { code = solve(); });
    EXPECT_NE(code, 0);
    EXPECT_NE(out.find("\nNo solution (" + runio::inttext(code) + "):\n"), std::string::npos) << out;
    EXPECT_NE(out.find("at which stage x was:\n   P(kbar)        u2\n"), std::string::npos) << out;
    EXPECT_NE(out.find(std::string(54, '_') + "\n\n"), std::string::npos);
}

TEST_F(Solver, AStartAtTheSolutionIsLeftAlone)
{
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        f[1] = 5e-7 * (x[1] - 0.3);
        f[2] = 1e-9;
        j[1][1] = 5e-7;
        j[1][2] = j[2][1] = 0;
        j[2][2] = 1;
        return true;
    };
    unk.nlex[1] = 0.4;
    unk.nlex[2] = 0.4;
    for (int level = 0; level <= 5; ++level) {
        runio::scriptflags.debuglevel = level;
        int code = -1;
        const std::string out = asmtest::output([&] { code = solve(); });
        EXPECT_EQ(code, 0);
        EXPECT_EQ(out, "") << level;
        EXPECT_EQ(unk.nlex[1], 0.4);
    }
}

TEST_F(Solver, ANeverConvergingSolveStopsAfter26Steps)
{
    // r = 1e12 (u - 0.4)^2: Newton halves the distance each step, and the
    // residual is not small before 32 halvings
    unk.nvar = 1;
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        const double e = x[1] - 0.4;
        f[1] = 1e12 * e * e;
        j[1][1] = 2e12 * e;
        return true;
    };
    unk.nlex[1] = 0.8;
    EXPECT_EQ(solve(), 2);
    EXPECT_EQ(nst.iteration, 26);
    EXPECT_NEAR(unk.nlex[1] - 0.4, 0.4 / std::pow(2.0, 26), 1e-15);
}

TEST_F(Solver, NewtonDirectionAndDroppedSingularValues)
{
    unk.nvar = 3;
    unk.xname[3] = "u3";
    unk.xfree[3] = true;
    unk.xscale[3] = 1.0;
    unk.xtypsize[3] = 1e-9;
    // r = A (u - u*) for a well-conditioned A: one Newton step, J d = r
    const double a[4][4] = {{0}, {0, 2, 1, 0}, {0, -1, 3, 0.5}, {0, 0.5, 0, 1.5}};
    const double star[] = {0, 0.4, 0.5, 0.6};
    Vector r0{};
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        for (int i = 1; i <= 3; ++i) {
            f[i] = 0;
            for (int k = 1; k <= 3; ++k) {
                f[i] += a[i][k] * (x[k] - star[k]);
                j[i][k] = a[i][k];
            }
        }
        return true;
    };
    unk.nlex[1] = 0.3;
    unk.nlex[2] = 0.6;
    unk.nlex[3] = 0.55;
    model(unk.nlex, nst.jac, r0);
    EXPECT_EQ(solve(), 0);
    for (int i = 1; i <= 3; ++i) {
        double jd = 0;
        for (int k = 1; k <= 3; ++k) jd += a[i][k] * nst.d[k];
        EXPECT_NEAR(jd, r0[i], 1e-14) << i;
        EXPECT_NEAR(unk.nlex[i], star[i], 1e-14);
    }
    EXPECT_FALSE(nst.svdropped);
}

TEST_F(Solver, ASingularValueOfExactly1e12OfTheLargestIsDropped)
{
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        f[1] = x[1] - 0.5;
        f[2] = 1e-12 * (x[2] - 0.5) + 1e-3;
        j[1][1] = 1;
        j[1][2] = j[2][1] = 0;
        j[2][2] = 1e-12;
        return true;
    };
    unk.nlex[1] = 0.3;
    unk.nlex[2] = 0.4;
    runio::scriptflags.debuglevel = 2;
    const std::string out = asmtest::output([&] { solve(); });
    EXPECT_TRUE(nst.svdropped);
    EXPECT_EQ(nst.d[2], 0.0);   // nothing along the dropped value
    EXPECT_NE(out.find("\n@1 "), std::string::npos) << out;
    EXPECT_NEAR(unk.nlex[1], 0.5, 1e-12);
}

TEST_F(Solver, AJacobianWithoutSingularValuesIsRefused)
{
    model = [&](Vector&, SquareTable& j, Vector& f) {
        f[1] = f[2] = 0.1;
        j[1][1] = j[1][2] = j[2][1] = j[2][2] = 0;
        return true;
    };
    unk.nlex[1] = unk.nlex[2] = 0.4;
    runio::scriptflags.debuglevel = 2;
    int code = -1;
    const std::string out = asmtest::output([&] { code = solve(); });
    EXPECT_EQ(code, 3);
    EXPECT_NE(out.find("No solution (3):\n   jacobian singular in steplength\n"), std::string::npos) << out;
}

// The step lengths tried in the first iteration, from the points evaluated.
class LineSearch : public Solver {
protected:
    void SetUp() override
    {
        Solver::SetUp();
        unk.nvar = 1;
    }
    std::vector<double> steps()
    {
        std::vector<double> a;
        for (std::size_t k = 2; k < calls.size(); ++k) a.push_back((calls[0][1] - calls[k][1]) / nst.d[1]);
        return a;
    }
};

TEST_F(LineSearch, FirstTrialByTheLargestAdmissibleStep)
{
    // linear: slim just below 1 (the step stops 2 eps inside the range)
    // gives 0.9 of it; well above 1 gives the Newton step 1
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        calls.push_back(x);
        f[1] = x[1] - 0.2;
        j[1][1] = 1;
        return true;
    };
    unk.nlex[1] = 0.8;   // d = 0.6, the root inside: slim = 0.8 / 0.6
    runio::scriptflags.debuglevel = 0;
    unk.xlokind[1] = 0;
    solve();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_DOUBLE_EQ((calls[0][1] - calls[2][1]) / 0.6, 1.0);
    calls.clear();
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        calls.push_back(x);
        f[1] = x[1] + 0.7;   // root at -0.7: the step to it passes 0
        j[1][1] = 1;
        return true;
    };
    unk.nlex[1] = 0.3;   // d = 1, slim = 0.3 - 2 eps
    solve();
    EXPECT_NEAR(0.3 - calls[2][1], 0.9 * (0.3 - 2 * runio::run.macheps), 1e-15);
}

TEST_F(LineSearch, ALargestStepAbove50IsCut)
{
    // r = u - 0.5 with a jacobian ten times too steep: d = 0.01 at u = 0.6,
    // slim 60 is cut to 50, and the first trial neither passes nor brackets,
    // so the search reaches out to 0.9999999999 of 50
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        calls.push_back(x);
        f[1] = x[1] - 0.5;
        j[1][1] = 10;
        return true;
    };
    unk.nlex[1] = 0.6;
    solve();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_NEAR(calls[2][1], 0.59, 1e-15);
    EXPECT_NEAR((0.6 - calls[3][1]) / 0.01, 0.9999999999 * 50.0, 1e-9);
}

TEST_F(LineSearch, TheTenthZoomTrialIsAcceptedOnTheDecreaseAlone)
{
    // r = sqrt(e) above the root, -1.5 sqrt(-e) below: the slope of f along
    // the step is as large as f itself wherever it is taken, so the
    // curvature test never holds
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        calls.push_back(x);
        const double e = x[1] - 0.5;
        f[1] = e < 0 ? -1.5 * std::sqrt(-e) : std::sqrt(e);
        j[1][1] = (e < 0 ? 0.75 : 0.5) / std::sqrt(std::fabs(e));
        return true;
    };
    unk.nlex[1] = 0.6;
    runio::scriptflags.debuglevel = 3;
    const std::string out = asmtest::output([&] { solve(); });
    // startup, first trial (overshoot to 0.4, f unchanged), ten zoom trials
    ASSERT_GE(calls.size(), 12u);
    EXPECT_NE(out.find("\n b"), std::string::npos);
    int zoom = 0;
    for (std::size_t at = out.find("\n b"); at != std::string::npos; at = out.find("\n b", at + 1)) ++zoom;
    EXPECT_GE(zoom, 10);
}

TEST_F(LineSearch, AFlatVariableLimitRowStopsTheStep)
{
    // a row on u1 that u1 does not move along: slim 0, code 7
    unk.nvar = 2;
    unk.nvarlim = 1;
    unk.xvarlim[1][1] = {1, 1};
    unk.xvarlim[1][3] = {0, 1};
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        f[1] = x[1] - 0.3;
        f[2] = x[2] - 0.5;
        j[1][1] = j[2][2] = 1;
        j[1][2] = j[2][1] = 0;
        return true;
    };
    unk.nlex[1] = 0.3;
    unk.nlex[2] = 0.4;
    runio::scriptflags.debuglevel = 2;
    int code = -1;
    const std::string out = asmtest::output([&] { code = solve(); });
    EXPECT_EQ(code, 7);
    EXPECT_NE(out.find("No solution (7):\n   slim too small (on edge looking out?)\n"), std::string::npos) << out;
}

// One linear form p/q + x of the phase's only variable.
axmodels::XTerm form(int p, int q)
{
    axmodels::XTerm f;
    f.p = p;
    f.q = q;
    f.n = 1;
    f.tp[1] = f.tq[1] = f.var[1] = 1;
    return f;
}

TEST_F(LineSearch, ASiteFractionRisingAlongTheStepShrinksItByATenth)
{
    // u = x = 0.5 stepping down (d = 1): its range stops the step at
    // S = 0.5 - 2 eps. Two checked site fractions of a phase in x:
    // A = x - 0.1, zero at a step of 0.4, and B = (x - 0.09)(x - 0.13),
    // negative between steps of 0.37 and 0.41. At S only A is negative, and
    // its Newton zero a1 = 0.99 (0.4 + 1e-9 S) becomes the step; there B is
    // negative and rises along the step (rate < 0), its zero within S, so
    // the step shrinks by a tenth to 0.9 a1, where both are positive.
    // Hand-worked from the formula.
    const axmodels::Phases kept = axmodels::ph;
    axmodels::ph.prec1.assign(2, axmodels::SolPhase{});
    axmodels::SolPhase& s = axmodels::ph.prec1[1];
    s.nvar = 1;
    s.nsf = 2;
    for (int j = 1; j <= 2; ++j) {
        s.sf[j].n = 1;
        s.sf[j].t.assign(2, axmodels::SXTerm{});
    }
    s.sf[1].t[1].n = 1;
    s.sf[1].t[1].x[1] = form(-1, 10);
    s.sf[2].t[1].n = 2;
    s.sf[2].t[1].x[1] = form(-9, 100);
    s.sf[2].t[1].x[2] = form(-13, 100);
    unk.nsfcheck = 2;
    for (int j = 1; j <= 2; ++j) {
        unk.sfcheckphase[j] = 1;
        unk.sfchecksite[j] = j;
        unk.sfcheckx[j] = 1;
    }
    unk.nlex[1] = 0.5;
    nst.n = 1;
    nst.idx[1] = 1;
    nst.d[1] = 1.0;
    double slim = 0.0;
    int accessibility = 0;
    findlimit(slim, accessibility);
    axmodels::ph = kept;

    const double top = 0.5 - 2.0 * runio::run.macheps;
    const double a1 = 0.99 * (top + (0.5 - 0.999999999 * top - 0.1));
    EXPECT_NEAR(slim, 0.9 * a1, 1e-15);
    EXPECT_EQ(accessibility, 4);
}

// ---------------------------------------------------------------- texts

TEST_F(Solver, TheIterationTableAtLevelTwo)
{
    model = rosenbrock;
    unk.nlex[1] = 0.1;
    unk.nlex[2] = 274.05;   // shown as 0.9
    unk.xoffset[2] = 273.15;
    unk.nlex[2] = 0.9 + 273.15;
    runio::scriptflags.debuglevel = 2;
    unk.nlex[2] = 0.9;
    unk.xoffset[2] = 0.0;
    const std::string out = asmtest::output([&] { solve(); });
    const std::string bullet(1, '\xA5');
    EXPECT_EQ(out.substr(0, out.find(bullet)),
              "\nstarting guesses:     P(kbar)          u2\n"
              "                     0.100000    -272.250\n\n");
    EXPECT_NE(out.find(bullet + "            f     slope      step         maxe     maxdx     P(kbar)          u2\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\n 1 "), std::string::npos);
    EXPECT_NE(out.find("\nsize of max residual (esize)\n"), std::string::npos) << out;
}

TEST_F(Solver, AnUnevaluableStart)
{
    model = [&](Vector&, SquareTable&, Vector&) { return false; };
    unk.nlex[1] = 10.0;
    unk.nlex[2] = 1000.0;
    progress.batchitem = 2;
    progress.mcrun = 7;
    auto o = asmtest::runchild([&] {
        const int code = solve();
        std::printf("code %d level %d\n", code, runio::scriptflags.debuglevel);
    });
    EXPECT_NE(o.screen.find("\nillegal start   2  7\n   P(kbar)        u2\n      10.0       727\n"), std::string::npos)
        << o.screen;
    EXPECT_NE(o.screen.find("code 9 level 1\n"), std::string::npos) << o.screen;
    runio::scriptflags.debuglevel = 1;
    o = asmtest::runchild([&] { solve(); });
    EXPECT_EQ(o.bombed, "nle : illegal start");
    EXPECT_NE(o.screen.find("\n   P(kbar)        u2\n      10.0       727\n"), std::string::npos) << o.screen;
}

TEST_F(Solver, FatalErrorsOfAStep)
{
    int calls = 0;
    unk.nlex[1] = unk.nlex[2] = 0.4;
    auto linear = [&](Vector& x, SquareTable& j, Vector& f) {
        f[1] = x[1] - 0.3;
        f[2] = x[2] - 0.2;
        j[1][1] = j[2][2] = 1;
        j[1][2] = j[2][1] = 0;
    };
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        linear(x, j, f);
        return ++calls == 1;
    };
    auto o = asmtest::runchild([&] { solve(); });
    EXPECT_EQ(o.bombed, "startup : bad start to iteration");
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        linear(x, j, f);
        f[2] = std::nan("");
        return true;
    };
    o = asmtest::runchild([&] { solve(); });
    EXPECT_EQ(o.bombed, "startup : residual NaN");
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        linear(x, j, f);
        j[2][1] = HUGE_VAL;
        return true;
    };
    o = asmtest::runchild([&] { solve(); });
    EXPECT_EQ(o.bombed, "startup : jacobian NaN");
    EXPECT_NE(o.screen.find("\n\nDivide by zero occurred during calculation of jacobian??\n"
                            "Check that initial guess substituted into a composition term doesn't give zero. \n"
                            "If so, change starting guess or guesses:\n"),
              std::string::npos)
        << o.screen;
    // a failed trial of a single run at a trace level is fatal
    calls = 0;
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        linear(x, j, f);
        return ++calls <= 2;
    };
    runio::scriptflags.debuglevel = 1;
    o = asmtest::runchild([&] { solve(); });
    EXPECT_EQ(o.bombed, "fn : not ok (1)");
}

TEST_F(Solver, TheJacobianComparedWithFiniteDifferences)
{
    // r1 = 2 u1 + u2^2 - 1, r2 = 3 u2 - 1: the analytic and the difference
    // jacobians agree ("--") and the zero entry shows "-"
    model = [&](Vector& x, SquareTable& j, Vector& f) {
        f[1] = 2 * x[1] + x[2] * x[2] - 1;
        f[2] = 3 * x[2] - 1;
        j[1][1] = 2;
        j[1][2] = 2 * x[2];
        j[2][1] = 0;
        j[2][2] = 3;
        return true;
    };
    unk.nlex[1] = 0.2;
    unk.nlex[2] = 0.5;
    runio::scriptset.fdaccess = 1;
    const std::string out = asmtest::output([&] { EXPECT_EQ(solve(), 0); });
    EXPECT_NE(out.find("\n% difference\n        --        --\n         -        --\n"), std::string::npos) << out;
    // solved on the difference jacobian alike
    runio::scriptset.fdaccess = 2;
    unk.nlex[1] = 0.2;
    unk.nlex[2] = 0.5;
    EXPECT_NE(asmtest::output([&] { EXPECT_EQ(solve(), 0); }).find("% difference"), std::string::npos);
    EXPECT_NEAR(unk.nlex[2], 1.0 / 3.0, 1e-9);
    EXPECT_NEAR(unk.nlex[1], (1 - 1.0 / 9.0) / 2, 1e-9);
}

}  // namespace
