// Brackets of an experiment: their pairing, the uncertainty of each, and the
// statistics that turn them into an interval of the reaction enthalpy sum,
// against experiments worked by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsfit/dsfit.h"
#include "fittest.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

using namespace dsfit;

namespace {

struct Br {
    int side;
    double y;
    double p = 0.0, t = 0.0, xco2 = 0.0;
    double sd2 = 1.0;
};

// Experiment 1 with the given brackets, paired as the pairing finds them.
Experiment& experiment(const std::vector<Br>& brs, bool phases = false)
{
    Experiment& x = fit.xp[1];
    x = Experiment{};
    x.used = true;
    x.hasphases = phases;
    x.nb = static_cast<int>(brs.size());
    x.br.assign(1, Bracket{});
    for (const Br& b : brs) {
        Bracket k;
        k.side = b.side;
        k.y = b.y;
        k.sd2 = b.sd2;
        k.p = b.p;
        k.t = b.t;
        k.xco2 = b.xco2;
        x.br.push_back(k);
    }
    markpairs(1);
    return x;
}

// Brackets each at a P and T of their own, so that none pair.
std::vector<Br> unpaired(const std::vector<double>& a, const std::vector<double>& b)
{
    std::vector<Br> brs;
    double p = 1.0;
    for (double y : a) brs.push_back({0, y, p, 900.0 + p++});
    for (double y : b) brs.push_back({1, y, p, 900.0 + p++});
    return brs;
}

// spread(f) = 0.887 + f (0.194 + 0.0973 f): the half-width of the interval
// in units of w, worked by hand for each f below.
struct Expected {
    int category;
    double f, low, high;
};

void expectstats(const Experiment& x, const Expected& e)
{
    EXPECT_EQ(x.category, e.category);
    EXPECT_NEAR(x.f, e.f, 1e-12);
    EXPECT_NEAR(x.low, e.low, 1e-12);
    EXPECT_NEAR(x.high, e.high, 1e-12);
}

TEST(BracketStatistics, CategoriesWorkedByHand)
{
    fittest::FitDir dir;
    fit.xpcatcount.fill(0);

    // 1: one pair at 10 kbar, cleanly apart. t = (10 - 0) / (1 + 1) = 5;
    // q = spread(5) x 2 = 8.579, weight sum sqrt(1 / (q/2)^2) = 1/4.2895;
    // tcrit = 5 held to 1.5; w = 1, t0 = 5 >= tcrit: f = 5, centre 5.
    Experiment& x = experiment({{0, 0.0, 10.0, 900.0}, {1, 10.0, 10.0, 1000.0}});
    bracketstats(1);
    expectstats(x, {1, 5.0, 5.0 - 4.2895, 5.0 + 4.2895});
    EXPECT_NEAR(x.wsum, 1.0 / 4.2895, 1e-12);
    EXPECT_EQ(x.tcrit, 1.5);

    // 2: the pair overlaps: t = (2 - 3) / 2 = -0.5, tcrit held to 1.0;
    // t0 = -0.5 and both sides have fewer than 3: f = tcrit = 1, centre 2.5,
    // spread(1) = 1.1783.
    experiment({{0, 3.0, 10.0, 900.0}, {1, 2.0, 10.0, 1000.0}});
    bracketstats(1);
    expectstats(x, {2, 1.0, 2.5 - 1.1783, 2.5 + 1.1783});
    EXPECT_EQ(x.tcrit, 1.0);
    EXPECT_NEAR(x.wsum, 1.0 / (1.62865 / 2.0), 1e-12);

    // 3: A = {0, 1, 2}, B = {3}, no pairs (tcrit 1.5): t0 = 0.5; low = the
    // median of A, 1; dA = 1, dB = 0; s = (2 x 1.5 + 2 - 3) / 1 = 2;
    // centre = (2 + 3 + 2 (0 - 1)) / 2 = 1.5; spread(1.5) = 1.396925.
    experiment(unpaired({0.0, 1.0, 2.0}, {3.0}));
    bracketstats(1);
    expectstats(x, {3, 1.5, 1.5 - 1.396925, 1.5 + 1.396925});

    // 4: A = {0, 1, 5}, B = {-1, 3, 4}: the medians 1 and 3 lie inside the
    // extremes -1 and 5: f = 2, centre 2, spread(2) = 1.6642.
    experiment(unpaired({0.0, 1.0, 5.0}, {-1.0, 3.0, 4.0}));
    bracketstats(1);
    expectstats(x, {4, 2.0, 2.0 - 1.6642, 2.0 + 1.6642});

    // 5: A = {0, 1, 2}, B = {0.5, 6, 7}: t0 = -0.75, minB 0.5 below the
    // median of A; t1 = (6 - 1) / 2 = 2.5 > tcrit: f = 2.5, centre 3.5,
    // spread(2.5) = 1.980125.
    experiment(unpaired({0.0, 1.0, 2.0}, {0.5, 6.0, 7.0}));
    bracketstats(1);
    expectstats(x, {5, 2.5, 3.5 - 1.980125, 3.5 + 1.980125});

    // 6: as 5 with B = {0.5, 3, 3.5}: t1 = (3 - 1) / 2 = 1 <= tcrit:
    // f = 1.5, centre 2.
    experiment(unpaired({0.0, 1.0, 2.0}, {0.5, 3.0, 3.5}));
    bracketstats(1);
    expectstats(x, {6, 1.5, 2.0 - 1.396925, 2.0 + 1.396925});

    // 3 with the medians at the extremes (A = {1, 1, 1}, B = {3}): nothing
    // to share the overlap out by, the interval stays centred on them.
    experiment(unpaired({1.0, 1.0, 1.0}, {3.0}));
    bracketstats(1);
    expectstats(x, {3, 1.5, 2.0 - 1.396925, 2.0 + 1.396925});

    // Brackets all on one side give no interval and no category.
    experiment(unpaired({1.0, 2.0}, {}));
    bracketstats(1);
    EXPECT_TRUE(x.onesided);
    EXPECT_EQ(x.category, 0);

    // Only used experiments are counted.
    experiment({{0, 0.0, 10.0, 900.0}, {1, 10.0, 10.0, 1000.0}});
    x.used = false;
    bracketstats(1);
    const runio::Arr<int, ncategories + 1> counts{{0, 1, 1, 2, 1, 1, 1}};
    EXPECT_EQ(fit.xpcatcount, counts);
}

TEST(BracketStatistics, PairingAndReversal)
{
    fittest::FitDir dir;
    // Consecutive brackets of opposite sides at one P (or T) and fluid pair,
    // two by two.
    Experiment& x = experiment({{0, 0.0, 10.0, 700.0},
                                {1, 0.0, 10.0, 800.0},
                                {0, 0.0, 10.0, 900.0},
                                {1, 0.0, 12.0, 900.0},
                                {1, 0.0, 12.0, 900.0},
                                {0, 0.0, 12.0, 900.0, 0.1},
                                {0, 0.0, 12.0, 950.0, 0.1},
                                {1, 0.0, 12.0, 950.0, 0.1}});
    const std::vector<std::pair<bool, bool>> flags = {{false, false}, {true, false}, {false, false}, {false, true},
                                                      {false, false}, {false, false}, {false, false}, {true, true}};
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(x.br[k].samep, flags[k - 1].first) << k;
        EXPECT_EQ(x.br[k].samet, flags[k - 1].second) << k;
    }

    // Both pairs of an experiment with phases run the wrong way: it is
    // reversed, the brackets of each pair swapped and every side flipped.
    const std::vector<Br> wrong = {{0, 5.0, 10.0, 900.0}, {1, 2.0, 10.0, 1000.0}, {0, 6.0, 12.0, 900.0},
                                   {1, 1.0, 12.0, 1000.0}};
    experiment(wrong, true);
    bracketstats(1);
    EXPECT_TRUE(x.reversed);
    const std::vector<double> y = {2.0, 5.0, 1.0, 6.0};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(x.br[k].y, y[k - 1]);
        EXPECT_EQ(x.br[k].side, (k + 1) % 2);
    }
    EXPECT_TRUE(x.br[2].samep);
    EXPECT_TRUE(x.br[4].samep);
    // now maxA = 2 and minB = 5: t0 = 1.5 = tcrit, the smaller of the
    // pairs' t (1.5 and 2.5)
    EXPECT_EQ(x.category, 1);
    EXPECT_NEAR(x.low + x.high, 7.0, 1e-12);

    // Without phases, or with one pair of two wrong, nothing is reversed.
    experiment(wrong, false);
    bracketstats(1);
    EXPECT_FALSE(x.reversed);
    experiment({{0, 5.0, 10.0, 900.0}, {1, 2.0, 10.0, 1000.0}, {0, 1.0, 12.0, 900.0}, {1, 6.0, 12.0, 1000.0}}, true);
    bracketstats(1);
    EXPECT_FALSE(x.reversed);
    EXPECT_EQ(x.br[1].y, 5.0);
}

TEST(BracketStatistics, UncertaintyOfABracket)
{
    fittest::FitDir dir;
    runio::run.calcmode = 5;
    using namespace thermodata;
    // End-members of linear G = H - T S + V (P - 0.001): dG/dP = V and
    // dG/dT = -S exactly, so the forward differences are exact too.
    const char* names[] = {"", "a", "O2"};
    for (int k = 1; k <= 2; ++k) {
        FitEm& e = fit.tda[k];
        e = FitEm{};
        e.name = names[k];
        e.row[sS] = 0.004;
        e.row[sV] = 1.0;
        e.row[sSmax] = -1.0;
        ds.dsemname[k] = names[k];
    }
    fit.ntda = ds.ndsem = 2;
    for (int member = 1; member <= 2; ++member) {
        Experiment& x = experiment({{0, 0.0, 5.0, 1000.0}, {1, 0.0, 30.0, 1000.0}, {0, 0.0, 5.0, 1000.0}});
        x.n = 1;
        x.em[1] = member;
        x.nu[1] = 1;
        x.col[1] = 1;
        x.nact = 1;
        x.act[1].em = member;
        x.act[1].name = names[member];
        x.br[1].a[1] = x.br[2].a[1] = 1.0;
        x.br[3].a[1] = 0.5;
        x.br[3].lnq = std::log(0.5);
        const int list[] = {0, member};
        findspecialems(list, 1);
        bracketsd(1);
        // sigma(P) 0.05 kbar at 5 kbar, 0.3 at 30: var = (2.5 x 0.004)^2 + sigma(P)^2
        EXPECT_NEAR(x.br[1].sd2, 2.0 * std::sqrt(1e-4 + 0.0025), 1e-9);
        EXPECT_NEAR(x.br[2].sd2, 2.0 * std::sqrt(1e-4 + 0.09), 1e-9);
        // y = DH - G = 0.004 T - (P - 0.001) - RT ln Q
        EXPECT_NEAR(x.br[1].y, 4.0 - 4.999, 1e-9);
        EXPECT_NEAR(x.br[3].y, 4.0 - 4.999 - rgas * 1000.0 * std::log(0.5), 1e-9);
        // dG/dT takes R ln Q, and 1 % on an activity of 0.5 adds
        // (0.01 R T)^2, but not for O2
        const double dgdt = -0.004 + rgas * std::log(0.5);
        const double extra = member == 1 ? (0.01 * rgas * 1000.0) * (0.01 * rgas * 1000.0) : 0.0;
        EXPECT_NEAR(x.br[3].sd2, 2.0 * std::sqrt(6.25 * dgdt * dgdt + 0.0025 + extra), 1e-9) << names[member];
    }
}

}  // namespace
