// End-member activities of solution phases against closed forms: ideal
// mixing on one site (a = x^n), the symmetric binary (RT ln gamma = W x^2),
// the van Laar binary (RT ln gamma_1 = W phi_2^2 2 s_1 / (s_1 + s_2)), and the
// example garnet written out pair by pair; and their uncertainties from the
// uncertainties of the variables (d a0 / dx sd(x), by the forward step of
// 0.001 the routine uses) and of the interaction energies.
#include <gtest/gtest.h>

#include <cmath>

#include "axmodels/axmodels.h"
#include "axtest.h"
#include "runio/scriptset.h"

using namespace axmodels;
using axtest::replaced;

namespace {

constexpr double rgas = 0.0083144;

// An ideal binary on one site, each end-member's activity the cube of its
// site fraction, x with an uncertainty of 0.02.
const std::string idealcubed =
    "ol 2 1 verbatim\nverbatim\n x(ol) 0.3 sd 0.02\n p(fo) 1 1 1 1 -1 x\n p(fa) 1 1 0 1 1 x\n ideal\n"
    " 2 xA 1 1 1 1 -1 x\n xB 1 1 0 1 1 x\n fo 1 1 xA 3\n fa 1 1 xB 3\n";

// A van Laar binary with sizes 1 and 2 + 0.001 T - 0.01 P, and an
// interaction energy with its uncertainty.
const std::string vanlaar =
    "ol 2 1 verbatim\nverbatim\n x(ol) 0.4 sd 0\n p(fo) 1 1 1 1 -1 x\n p(fa) 1 1 0 1 1 x\n asf\n"
    " W(fo,fa) 10 -0.002 0.05 sd 1.5\n a(fo) 1 0 0\n a(fa) 2 0.001 -0.01\n"
    " 2 xA 1 1 1 1 -1 x\n xB 1 1 0 1 1 x\n fo 1 1 xA 1\n fa 1 1 xB 1\n";

class Activities : public ::testing::Test {
protected:
    void SetUp() override { axtest::initrun(); }
    axtest::ScratchDir dir;
    EmValues a{}, sda{};
    void calc(int k, std::vector<double> xs, double p, double t)
    {
        std::array<double, maxsolem + 1> x{};
        for (std::size_t v = 0; v < xs.size(); ++v) x[v + 1] = xs[v];
        calcemactivities(k, x.data(), a, sda, p, t);
    }
    static int phase(const std::string& name)
    {
        for (int k = 1; k <= ph.nss; ++k)
            if (ph.prec1[k].name == name) return k;
        return 0;
    }
};

TEST_F(Activities, IdealOnOneSite)
{
    axtest::readax(idealcubed);
    calc(1, {0.3}, 10.0, 900.0);
    EXPECT_NEAR(a[1], std::pow(0.7, 3), 1e-15);
    EXPECT_NEAR(a[2], std::pow(0.3, 3), 1e-15);
    // sd = |d a / dx| sd(x), the derivative by the step 0.001
    const double dfo = (std::pow(0.699, 3) - std::pow(0.7, 3)) / 0.001;
    EXPECT_NEAR(sda[1], std::fabs(dfo) * 0.02, 1e-12);
    // and that is the analytic 3 (1 - x)^2 sd(x) to within the error of the
    // step h: f'' h / 2 + f''' h^2 / 6 = (3 (1 - x) h + h^2) sd(x) for a cube
    EXPECT_NEAR(sda[1], 3 * 0.49 * 0.02, (3 * 0.7 * 0.001 + 1e-6) * 0.02 + 1e-12);
    EXPECT_NEAR(sda[2], 3 * 0.09 * 0.02, (3 * 0.3 * 0.001 + 1e-6) * 0.02 + 1e-12);
}

TEST_F(Activities, ExampleOlivineIsTheSymmetricBinary)
{
    axtest::readax(axtest::exampleax());
    const int k = phase("ol");
    const double p = 12.0, t = 1100.0, x = 0.35, rt = rgas * t;
    const double w = 4.0 + 0.01 * p;   // W(fo,fa) = 4.0 + 0 T + 0.01 P
    calc(k, {x}, p, t);
    // two sites: a0 = x^2; RT ln gamma(fo) = W x^2, RT ln gamma(fa) = W (1 - x)^2
    EXPECT_NEAR(a[1], std::pow(1 - x, 2) * std::exp(w * x * x / rt), 1e-14);
    EXPECT_NEAR(a[2], x * x * std::exp(w * (1 - x) * (1 - x) / rt), 1e-14);
    // sd: x has sd 0.02; W has none given, so it gets 2 kJ x the mean power
    // of the ideal terms (2) x the mean size (1) = 4 kJ.
    const double d0 = (std::pow(1 - x - 0.001, 2) - std::pow(1 - x, 2)) / 0.001 * 0.02;
    const double f = x * x;
    const double expected = a[1] * std::sqrt((f * 4.0) * (f * 4.0) / (rt * rt) + d0 * d0 / std::pow(1 - x, 4));
    EXPECT_NEAR(sda[1], expected, 1e-14);
}

TEST_F(Activities, VanLaarBinary)
{
    axtest::readax(vanlaar);
    const double p = 5.0, t = 800.0, x = 0.4, rt = rgas * t;
    calc(1, {x}, p, t);
    const double s1 = 1.0, s2 = 2.0 + 0.001 * t - 0.01 * p;
    const double phi1 = s1 * (1 - x) / (s1 * (1 - x) + s2 * x), phi2 = 1 - phi1;
    const double w = 10.0 - 0.002 * t + 0.05 * p;
    EXPECT_NEAR(a[1], (1 - x) * std::exp(w * phi2 * phi2 * 2 * s1 / (s1 + s2) / rt), 1e-14);
    EXPECT_NEAR(a[2], x * std::exp(w * phi1 * phi1 * 2 * s2 / (s1 + s2) / rt), 1e-14);
    // no sd on x: the uncertainty is that of W (1.5 kJ) alone
    EXPECT_NEAR(sda[1], a[1] * 1.5 * phi2 * phi2 * 2 * s1 / (s1 + s2) / rt, 1e-14);
    // with equal sizes the van Laar form is the symmetric one
    ph.prec1[1].sizea[2] = 1.0;
    ph.prec1[1].sizeb[2] = ph.prec1[1].sizec[2] = 0.0;
    calc(1, {x}, p, t);
    EXPECT_NEAR(a[1], (1 - x) * std::exp(w * x * x / rt), 1e-14);
}

TEST_F(Activities, ExampleGarnetPairByPair)
{
    axtest::readax(axtest::exampleax());
    const int k = phase("g");
    const double p = 9.0, t = 950.0, x = 0.7, z = 0.15, rt = rgas * t;
    calc(k, {x, z}, p, t);
    // site fractions of X (3 sites) and proportions
    const double mg = (1 - x) * (1 - z), fe = x * (1 - z), ca = z;
    const double s[4] = {0, 1.0, 1.0, 2.7};
    const double pr[4] = {0, mg, fe, ca};
    const double sum = s[1] * pr[1] + s[2] * pr[2] + s[3] * pr[3];
    double phi[4];
    for (int i = 1; i <= 3; ++i) phi[i] = s[i] * pr[i] / sum;
    const double w12 = 2.5 + 0.08 * p, w13 = 31.0, w23 = 5.1 + 0.17 * p;
    for (int m = 1; m <= 3; ++m) {
        auto q = [&](int i) { return (i == m ? 1.0 : 0.0) - phi[i]; };
        const double rtlng = -(q(1) * q(2) * w12 * 2 * s[m] / (s[1] + s[2]) + q(1) * q(3) * w13 * 2 * s[m] / (s[1] + s[3]) +
                               q(2) * q(3) * w23 * 2 * s[m] / (s[2] + s[3]));
        EXPECT_NEAR(a[m], std::pow(pr[m], 3) * std::exp(rtlng / rt), 1e-14) << m;
    }
}

TEST_F(Activities, ReadingTheAxFileClearsTheUncertaintyParameters)
{
    thermodata::ems.sdafactor = thermodata::ems.sdamin = thermodata::ems.sdarelmin = 1.0;
    axtest::readax(idealcubed);
    EXPECT_EQ(thermodata::ems.sdafactor, 0.0);
    EXPECT_EQ(thermodata::ems.sdamin, 0.0);
    EXPECT_EQ(thermodata::ems.sdarelmin, 0.0);
}

TEST_F(Activities, ExcludedEndMemberHasNoActivity)
{
    axtest::readax(axtest::exampleax());
    const int k = phase("g");
    ph.prec1[k].em[3].exclude = true;
    calc(k, {0.7, 0.15}, 9.0, 950.0);
    EXPECT_EQ(a[3], 0.0);
    EXPECT_EQ(sda[3], 0.0);
    EXPECT_GT(a[1], 0.0);
}

TEST_F(Activities, NoUncertaintiesGiveNone)
{
    runio::scriptset.justrelu = 0;   // interaction energies carry no uncertainty
    axtest::readax(replaced(vanlaar, " sd 1.5", ""));
    calc(1, {0.4}, 5.0, 800.0);
    EXPECT_EQ(sda[1], 0.0);
    EXPECT_EQ(sda[2], 0.0);
}

TEST_F(Activities, ASiteFractionSteppedBelowZeroLeavesOnlyThePerturbedProduct)
{
    axtest::readax(idealcubed);
    // at x = 1 fo is absent; the step makes xA negative, which drops out of
    // the stepped product (leaving the constant 1), not out of a itself
    calc(1, {1.0}, 10.0, 900.0);
    EXPECT_EQ(a[1], 0.0);
    EXPECT_NEAR(sda[1], (1.0 - 0.0) / 0.001 * 0.02, 1e-12);
}

}  // namespace
