// Uncertainties of the solved unknowns: the LU decomposition against Eigen's
// (test only) and its identity and zero-row cases, the standard deviation
// of P for one reaction in closed form, and the covariance of P and T of
// two reactions against J^-1 N C N^T J^-T formed with Eigen.
#include <Eigen/Dense>
#include <cmath>

#include "assemblage.h"
#include "thermodata/thermodata.h"

namespace {

using namespace numerics;
using thermodata::ems;
using thermodata::rxns;

TEST(LuDecomp, AgainstEigenOnRandomMatrices)
{
    runio::seedrandom(true);
    for (const int n : {3, 7, 50}) {
        SquareTable a{}, lu{};
        Eigen::MatrixXd m(n, n);
        for (int i = 1; i <= n; ++i)
            for (int j = 1; j <= n; ++j) {
                a[i][j] = runio::whrandom() - 0.5 + (i == j ? 0.2 : 0.0);
                m(i - 1, j - 1) = a[i][j];
            }
        lu = a;
        runio::Arr<int, maxnlex + 1> perm{};
        double logdet = 0.0;
        ASSERT_TRUE(ludecomp(lu, perm, logdet, n));
        const double det = Eigen::PartialPivLU<Eigen::MatrixXd>(m).determinant();
        // ln|det|, negated for a negative determinant; ln 2 is taken as
        // 0.693147, exact only to 1.8e-7 per power of two
        const double expected = (det < 0 ? -1.0 : 1.0) * std::log(std::fabs(det));
        EXPECT_NEAR(logdet, expected, 1e-6 * (1 + std::fabs(expected))) << n;
        // L U is the matrix with its rows exchanged in order
        for (int j = 1; j <= n; ++j) std::swap(a[j], a[perm[j]]);
        for (int i = 1; i <= n; ++i)
            for (int j = 1; j <= n; ++j) {
                double s = 0.0;
                for (int k = 1; k <= std::min(i, j); ++k) s += lu[i][k] * (k == j ? 1.0 : lu[k][j]);
                EXPECT_NEAR(s, a[i][j], 1e-12) << n << ": " << i << " " << j;
            }
    }
}

TEST(LuDecomp, IdentityAndAZeroRow)
{
    SquareTable a{};
    for (int i = 1; i <= 4; ++i) a[i][i] = 1.0;
    runio::Arr<int, maxnlex + 1> perm{};
    double logdet = -1.0;
    EXPECT_TRUE(ludecomp(a, perm, logdet, 4));
    for (int j = 1; j <= 4; ++j) EXPECT_EQ(perm[j], j);
    EXPECT_NEAR(logdet, 0.0, 1e-6);
    a = SquareTable{};
    a[1][1] = 2.0;
    a[1][2] = 1.0;
    a[3][3] = 1.0;   // row 2 is zero
    EXPECT_FALSE(ludecomp(a, perm, logdet, 3));
    EXPECT_EQ(logdet, 1000.0);
}

class Uncertainties : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (ems.cov.empty()) ems.cov.assign(static_cast<std::size_t>(thermodata::maxem + 1) * (thermodata::maxem + 1), 0.0);
        if (rxns.r.empty()) rxns.r.assign(thermodata::maxrxn + 1, {});
        unk = Unknowns{};
        ems.nem = 4;
        // a covariance of four enthalpies (kJ^2), positive definite
        const double c[5][5] = {{0}, {0, 1.2, 0.3, 0.1, 0}, {0, 0.3, 0.8, 0, 0.2}, {0, 0.1, 0, 0.5, 0.1},
                                {0, 0, 0.2, 0.1, 0.9}};
        for (int i = 1; i <= 4; ++i)
            for (int j = 1; j <= 4; ++j) {
                ems.covat(i, j) = c[i][j];
                cmat(i - 1, j - 1) = c[i][j];
            }
    }
    Eigen::Matrix4d cmat;
};

TEST_F(Uncertainties, PressureOfOneReaction)
{
    // fo + q = en, say: P free, T held; sigma(P) = sqrt(nu' C nu) / |dG/dP|
    rxns.nrxn = 1;
    const int nu[] = {0, -1, -1, 1, 0};
    for (int e = 1; e <= 4; ++e) rxns.r[1][e] = static_cast<std::int16_t>(nu[e]);
    unk.nvar = 2;
    unk.xfree[1] = true;
    eqs.njacrows = eqs.njaccols = 1;
    eqs.jacnat[1][1] = -0.37;   // dV of the reaction, kJ/kbar
    propagatecov();
    Eigen::Vector4d v(-1, -1, 1, 0);
    EXPECT_NEAR(unc.xsd[1], std::sqrt(v.dot(cmat * v)) / 0.37, 1e-13);
    EXPECT_EQ(unc.xsd[2], 0.0);
    EXPECT_EQ(unc.corrpt, 0.0);
    // no covariance: a free unknown has no standard deviation
    for (int i = 1; i <= 4; ++i)
        for (int j = 1; j <= 4; ++j) ems.covat(i, j) = 0.0;
    propagatecov();
    EXPECT_EQ(unc.xsd[1], -1.0);
    EXPECT_EQ(unc.xsd[2], 0.0);
}

TEST_F(Uncertainties, PressureAndTemperatureOfTwoReactions)
{
    rxns.nrxn = 2;
    const int nu[3][5] = {{0}, {0, -1, -1, 1, 0}, {0, 0, -2, 1, 1}};
    Eigen::Matrix<double, 2, 4> n;
    for (int k = 1; k <= 2; ++k)
        for (int e = 1; e <= 4; ++e) {
            rxns.r[k][e] = static_cast<std::int16_t>(nu[k][e]);
            n(k - 1, e - 1) = nu[k][e];
        }
    unk.nvar = 2;
    unk.xfree[1] = unk.xfree[2] = true;
    eqs.njacrows = eqs.njaccols = 2;
    const double j[3][3] = {{0}, {0, -0.37, 0.012}, {0, 0.52, 0.031}};   // dV, -dS
    Eigen::Matrix2d jm;
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 2; ++c) {
            eqs.jacnat[r][c] = j[r][c];
            jm(r - 1, c - 1) = j[r][c];
        }
    propagatecov();
    const Eigen::Matrix<double, 2, 4> s = -jm.inverse() * n;
    const Eigen::Matrix2d x = s * cmat * s.transpose();
    EXPECT_NEAR(unc.xcov[1][1], x(0, 0), 1e-12 * x(0, 0));
    EXPECT_NEAR(unc.xcov[1][2], x(0, 1), 1e-12 * std::fabs(x(0, 1)) + 1e-15);
    EXPECT_EQ(unc.xcov[2][1], unc.xcov[1][2]);
    EXPECT_NEAR(unc.xsd[2], std::sqrt(x(1, 1)), 1e-12 * std::sqrt(x(1, 1)));
    EXPECT_NEAR(unc.corrpt, x(0, 1) / std::sqrt(x(0, 0) * x(1, 1)), 1e-12);
    EXPECT_LE(std::fabs(unc.corrpt), 1.0);
    // a singular jacobian gives no uncertainties
    eqs.jacnat[2][1] = -0.37 * 2;
    eqs.jacnat[2][2] = 0.012 * 2;
    propagatecov();
    EXPECT_EQ(unc.xsd[1], 0.0);
    EXPECT_EQ(unc.corrpt, 0.0);
}

}  // namespace
