// Singular value decomposition, checked against LAPACK's dgesvd (linked into
// this test program only) and against decompositions worked by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "harness/bombcheck.h"
#include "numerics/numerics.h"

extern "C" void dgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, double* a,
                        const int* lda, double* s, double* u, const int* ldu, double* vt, const int* ldvt,
                        double* work, const int* lwork, int* info, std::size_t, std::size_t);

namespace {

using numerics::sv;

// Row-major m x n matrix, 0-based.
struct Matrix {
    int m = 0, n = 0;
    std::vector<double> x;
    double operator()(int i, int j) const { return x[i * n + j]; }
    double& operator()(int i, int j) { return x[i * n + j]; }
};

Matrix randommatrix(int m, int n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Matrix a{m, n, std::vector<double>(static_cast<std::size_t>(m * n))};
    for (double& v : a.x) v = u(gen);
    return a;
}

struct LapackSvd {
    std::vector<double> s;    // descending
    std::vector<double> vt;   // n x n, column-major: row i of V^T is right singular vector i
};

LapackSvd lapacksvd(const Matrix& a)
{
    const int m = a.m, n = a.n;
    std::vector<double> col(static_cast<std::size_t>(m * n));
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < n; ++j) col[j * m + i] = a(i, j);
    LapackSvd r;
    const int k = std::min(m, n);
    r.s.resize(static_cast<std::size_t>(k));
    r.vt.resize(static_cast<std::size_t>(n * n));
    std::vector<double> u(static_cast<std::size_t>(m * k));
    int lwork = -1, info = 0;
    double wq = 0.0;
    dgesvd_("S", "A", &m, &n, col.data(), &m, r.s.data(), u.data(), &m, r.vt.data(), &n, &wq, &lwork, &info, 1, 1);
    lwork = static_cast<int>(wq);
    std::vector<double> work(static_cast<std::size_t>(lwork));
    dgesvd_("S", "A", &m, &n, col.data(), &m, r.s.data(), u.data(), &m, r.vt.data(), &n, work.data(), &lwork,
            &info, 1, 1);
    EXPECT_EQ(info, 0);
    return r;
}

void runsvd(const Matrix& a)
{
    for (int i = 1; i <= a.m; ++i)
        for (int j = 1; j <= a.n; ++j) sv.svdu[i][j] = a(i - 1, j - 1);
    numerics::svd(a.m, a.n);
}

double largestabs(const Matrix& a)
{
    double big = 0.0;
    for (double v : a.x) big = std::max(big, std::fabs(v));
    return big;
}

// What every decomposition of an m x n matrix (m >= n) must satisfy: values
// ascending and non-negative, U with orthonormal columns, V orthogonal, and
// U diag(w) V^T giving the matrix back. Rounding of a backward-stable method
// is a few hundred ulps of the norm at these sizes, hence 1e-13 relative.
void checkfactors(const Matrix& a)
{
    const int m = a.m, n = a.n;
    const double wmax = sv.svdw[n];
    for (int i = 1; i <= n; ++i) {
        EXPECT_GE(sv.svdw[i], 0.0) << "w" << i;
        if (i > 1) {
            EXPECT_LE(sv.svdw[i - 1], sv.svdw[i]) << "order at " << i;
        }
    }
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            double uu = 0.0, vv = 0.0, vvt = 0.0;
            for (int k = 1; k <= m; ++k) uu += sv.svdu[k][i] * sv.svdu[k][j];
            for (int k = 1; k <= n; ++k) {
                vv += sv.svdv[k][i] * sv.svdv[k][j];
                vvt += sv.svdv[i][k] * sv.svdv[j][k];
            }
            const double id = i == j ? 1.0 : 0.0;
            EXPECT_NEAR(uu, id, 1e-13) << "U^T U " << i << "," << j;
            EXPECT_NEAR(vv, id, 1e-13) << "V^T V " << i << "," << j;
            EXPECT_NEAR(vvt, id, 1e-13) << "V V^T " << i << "," << j;
        }
    const double scale = std::max(wmax, largestabs(a));
    for (int i = 1; i <= m; ++i)
        for (int j = 1; j <= n; ++j) {
            double x = 0.0;
            for (int k = 1; k <= n; ++k) x += sv.svdu[i][k] * sv.svdw[k] * sv.svdv[j][k];
            EXPECT_NEAR(x, a(i - 1, j - 1), 1e-13 * scale) << "A " << i << "," << j;
        }
}

// Singular values equal to LAPACK's within 1e-12 of the largest (and, for a
// matrix of full rank, within 1e-12 of each value itself); right singular
// vectors the same up to sign.
void checkagainstlapack(const Matrix& a, bool fullrank)
{
    const LapackSvd ref = lapacksvd(a);
    const int n = a.n;
    const double wmax = ref.s[0];
    for (int i = 1; i <= n; ++i) {
        const double expected = ref.s[n - i];
        EXPECT_NEAR(sv.svdw[i], expected, 1e-12 * wmax) << "w" << i;
        if (fullrank) {
            EXPECT_NEAR(sv.svdw[i], expected, 1e-12 * expected) << "w" << i;
        }
    }
    if (!fullrank) return;
    for (int i = 1; i <= n; ++i) {
        const int r = n - i;   // row of V^T
        double dot = 0.0;
        for (int k = 1; k <= n; ++k) dot += sv.svdv[k][i] * ref.vt[(k - 1) * n + r];
        // Error of a singular vector grows as the gap to its neighbours shrinks.
        EXPECT_NEAR(std::fabs(dot), 1.0, 1e-9) << "v" << i;
    }
}

TEST(Svd, RandomMatricesAgreeWithLapack)
{
    const int sizes[][2] = {{6, 4}, {50, 50}, {74, 74}, {120, 74}, {9, 1}};
    unsigned seed = 17;
    for (const auto& sz : sizes) {
        SCOPED_TRACE(std::to_string(sz[0]) + " x " + std::to_string(sz[1]));
        const Matrix a = randommatrix(sz[0], sz[1], seed++);
        runsvd(a);
        checkfactors(a);
        checkagainstlapack(a, true);
    }
}

TEST(Svd, RankDeficientMatrixHasZeroSingularValues)
{
    // 8 x 6 of rank 3: the product of an 8 x 3 and a 3 x 6 random matrix.
    const Matrix b = randommatrix(8, 3, 5), c = randommatrix(3, 6, 6);
    Matrix a{8, 6, std::vector<double>(48, 0.0)};
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 6; ++j)
            for (int k = 0; k < 3; ++k) a(i, j) += b(i, k) * c(k, j);
    runsvd(a);
    checkfactors(a);
    checkagainstlapack(a, false);
    for (int i = 1; i <= 3; ++i) EXPECT_LT(sv.svdw[i], 1e-13 * sv.svdw[6]);
    EXPECT_GT(sv.svdw[4], 1e-3);
}

TEST(Svd, ZeroColumnGivesAZeroValueWithItsUnitVector)
{
    Matrix a = randommatrix(7, 5, 11);
    for (int i = 0; i < 7; ++i) a(i, 2) = 0.0;
    runsvd(a);
    checkfactors(a);
    checkagainstlapack(a, false);
    EXPECT_LT(sv.svdw[1], 1e-15);
    // The right singular vector of the zero value is the unit vector of that column.
    EXPECT_NEAR(std::fabs(sv.svdv[3][1]), 1.0, 1e-14);
}

// A diagonal matrix decomposes by hand: value i is |d_k| for some k, with
// the unit vector of column k (either sign) as right singular vector i.
void expectdiagonal(const std::vector<double>& d, const std::vector<double>& w, const std::vector<int>& from)
{
    const int n = static_cast<int>(d.size());
    Matrix a{n, n, std::vector<double>(static_cast<std::size_t>(n * n), 0.0)};
    for (int i = 0; i < n; ++i) a(i, i) = d[i];
    runsvd(a);
    for (int i = 1; i <= n; ++i) {
        EXPECT_DOUBLE_EQ(sv.svdw[i], w[i - 1]) << "w" << i;
        EXPECT_NEAR(std::fabs(sv.svdv[from[i - 1]][i]), 1.0, 1e-15) << "v" << i;
    }
}

TEST(Svd, DiagonalMatrixHandWorked)
{
    // diag(3, -1, 2): values 1, 2, 3 ascending, non-negative; the sign of the
    // -1 is carried by U and V, and the product gives the matrix back.
    expectdiagonal({3, -1, 2}, {1, 2, 3}, {2, 3, 1});
    checkfactors(Matrix{3, 3, {3, 0, 0, 0, -1, 0, 0, 0, 2}});
    EXPECT_NEAR(sv.svdu[2][1] * sv.svdv[2][1], -1.0, 1e-15);
}

TEST(Svd, EqualValuesAreTakenLowestIndexFirst)
{
    // diag(2, 2, 1): position 1 takes the 1 from column 3 (column 1 goes
    // there); position 2 keeps the 2 of column 2. So the two 2s end exchanged.
    expectdiagonal({2, 2, 1}, {1, 2, 2}, {3, 2, 1});
}

TEST(Svd, HugeValuesAreLeftWhereTheyAre)
{
    // The sort looks only below 1e35: with 3 first, nothing below remains.
    expectdiagonal({3, 2e36, 1e36}, {3, 2e36, 1e36}, {1, 2, 3});
}

TEST(Svd, ZeroMatrixGivesIdentityFactorsAtOnce)
{
    Matrix a{4, 3, std::vector<double>(12, 0.0)};
    runsvd(a);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(sv.svdw[i], 0.0);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) EXPECT_EQ(sv.svdv[i][j], i == j ? 1.0 : 0.0);
    for (int i = 1; i <= 4; ++i)
        for (int j = 1; j <= 3; ++j) EXPECT_EQ(sv.svdu[i][j], i == j ? 1.0 : 0.0);
}

TEST(Svd, OneByOneAndNothing)
{
    sv.svdu[1][1] = -4.0;
    numerics::svd(1, 1);
    EXPECT_EQ(sv.svdw[1], 4.0);
    EXPECT_EQ(sv.svdu[1][1] * sv.svdv[1][1], -1.0);
    sv.svdw[1] = 7.0;
    numerics::svd(1, 0);
    EXPECT_EQ(sv.svdw[1], 7.0);
}

TEST(Svd, MatrixBeyondItsTableStopsTheRun)
{
    EXPECT_BOMB(numerics::svd(801, 4), "svd : matrix larger than its table \\(max = 800 x 400\\)");
    EXPECT_BOMB(numerics::svd(4, 401), "matrix larger than its table");
}

TEST(Svd, WideMatrixSingularValues)
{
    // Fewer rows than columns: the values are LAPACK's and n - m zeros.
    const Matrix a = randommatrix(3, 5, 23);
    runsvd(a);
    const LapackSvd ref = lapacksvd(a);
    EXPECT_NEAR(sv.svdw[1], 0.0, 1e-13 * ref.s[0]);
    EXPECT_NEAR(sv.svdw[2], 0.0, 1e-13 * ref.s[0]);
    for (int i = 3; i <= 5; ++i) EXPECT_NEAR(sv.svdw[i], ref.s[5 - i], 1e-12 * ref.s[0]);
}

TEST(Svd, NonConvergenceIsReportedOnTheScreenAndTheCallReturns)
{
    // A NaN defeats every negligibility test, so the last value never
    // converges: one screen line for k = 2, after 31 sweeps; k = 1 splits at once.
    Matrix a{2, 2, {1.0, std::nan(""), 0.5, 2.0}};
    testing::internal::CaptureStdout();
    runsvd(a);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "too many iterations (k =    2)\n");
}

}  // namespace
