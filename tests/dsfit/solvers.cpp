// The least-squares solvers against an exact rational solution and against
// LAPACK's least-squares solver; their failures on problems that do not fix
// every enthalpy; and the update of the enthalpies between iterations.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

#include "bombcheck.h"
#include "dsfit/dsfit.h"
#include "fittest.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

using namespace dsfit;

extern "C" void dgels_(const char* trans, const int* m, const int* n, const int* nrhs, double* a, const int* lda,
                       double* b, const int* ldb, double* work, const int* lwork, int* info);

namespace {

// Exact rational arithmetic on 128-bit integers, enough for a 6 x 4 problem
// of small integers.
struct Q {
    __int128 p = 0, q = 1;
    Q(long long a = 0, long long b = 1) : p(a), q(b) { norm(); }
    void norm()
    {
        __int128 a = p < 0 ? -p : p, b = q;
        while (b != 0) {
            const __int128 t = a % b;
            a = b;
            b = t;
        }
        if (a > 1) {
            p /= a;
            q /= a;
        }
        if (q < 0) {
            p = -p;
            q = -q;
        }
    }
    double value() const { return static_cast<double>(p) / static_cast<double>(q); }
};
Q operator+(Q a, Q b)
{
    Q r;
    r.p = a.p * b.q + b.p * a.q;
    r.q = a.q * b.q;
    r.norm();
    return r;
}
Q operator*(Q a, Q b)
{
    Q r;
    r.p = a.p * b.p;
    r.q = a.q * b.q;
    r.norm();
    return r;
}
Q operator-(Q a, Q b) { return a + Q(-1) * b; }
Q operator/(Q a, Q b)
{
    Q r;
    r.p = a.p * b.q;
    r.q = a.q * b.p;
    r.norm();
    return r;
}

struct Problem {
    std::vector<std::vector<int>> x;
    std::vector<double> y, ysd;
};

void load(const Problem& pr)
{
    const int m = static_cast<int>(pr.y.size()), n = static_cast<int>(pr.x[0].size());
    lsq.nobs = m;
    fit.ntda = n;
    for (int i = 1; i <= m; ++i) {
        for (int j = 1; j <= n; ++j) {
            lsq.xat(i, j) = static_cast<std::int16_t>(pr.x[i - 1][j - 1]);
            lsq.bat(i, j) = pr.x[i - 1][j - 1] != 0;
        }
        lsq.y[i] = pr.y[i - 1];
        lsq.ysd[i] = pr.ysd[i - 1];
    }
}

// theta and C = (A'WA)^-1 by Gauss-Jordan elimination in rationals.
void exactsolution(const Problem& pr, std::vector<Q>& theta, std::vector<std::vector<Q>>& c, Q& rss)
{
    const std::size_t m = pr.y.size(), n = pr.x[0].size();
    std::vector<std::vector<Q>> a(n, std::vector<Q>(2 * n + 1));
    for (std::size_t i = 0; i < m; ++i) {
        const Q w = Q(1) / (Q(static_cast<long long>(pr.ysd[i])) * Q(static_cast<long long>(pr.ysd[i])));
        for (std::size_t j = 0; j < n; ++j) {
            for (std::size_t l = 0; l < n; ++l) a[j][l] = a[j][l] + Q(pr.x[i][j]) * Q(pr.x[i][l]) * w;
            a[j][2 * n] = a[j][2 * n] + Q(pr.x[i][j]) * Q(static_cast<long long>(pr.y[i])) * w;
        }
    }
    for (std::size_t j = 0; j < n; ++j) a[j][n + j] = Q(1);
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t piv = k;
        while (a[piv][k].p == 0) ++piv;
        std::swap(a[k], a[piv]);
        const Q d = a[k][k];
        for (Q& v : a[k]) v = v / d;
        for (std::size_t r = 0; r < n; ++r) {
            if (r == k || a[r][k].p == 0) continue;
            const Q f = a[r][k];
            for (std::size_t l = 0; l <= 2 * n; ++l) a[r][l] = a[r][l] - f * a[k][l];
        }
    }
    theta.assign(n, Q());
    c.assign(n, std::vector<Q>(n));
    for (std::size_t j = 0; j < n; ++j) {
        theta[j] = a[j][2 * n];
        for (std::size_t l = 0; l < n; ++l) c[j][l] = a[j][n + l];
    }
    rss = Q();
    for (std::size_t i = 0; i < m; ++i) {
        Q r = Q(static_cast<long long>(pr.y[i]));
        for (std::size_t j = 0; j < n; ++j) r = r - Q(pr.x[i][j]) * theta[j];
        r = r / Q(static_cast<long long>(pr.ysd[i]));
        rss = rss + r * r;
    }
}

// Six rows over four enthalpies, uncertainties 1 and 2.
const Problem small = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {1, 1, 0, -1}, {0, 0, 2, 1}, {-1, 0, 1, 0}, {0, 2, -1, 1}},
                       {3, -2, 4, 7, 1, 0},
                       {1, 2, 1, 1, 2, 1}};

TEST(FitSolvers, ExactSixByFour)
{
    fittest::FitDir dir;
    std::vector<Q> theta;
    std::vector<std::vector<Q>> c;
    Q rss;
    exactsolution(small, theta, c, rss);
    for (bool useqr : {true, false}) {
        load(small);
        useqr ? qr() : choleski();
        for (int j = 1; j <= 4; ++j) {
            EXPECT_NEAR(lsq.theta[j], theta[j - 1].value(), 1e-12) << j;
            for (int l = 1; l <= 4; ++l) EXPECT_NEAR(lsq.xxat(j, l), c[j - 1][l - 1].value(), 1e-12);
        }
        EXPECT_NEAR(lsq.sigfit2, (rss / Q(2)).value(), 1e-12);
        // the leverages sum to the number of unknowns
        double sum = 0.0;
        for (int i = 1; i <= 6; ++i) sum += lsq.hat[i];
        EXPECT_NEAR(sum, 4.0, 1e-12);
    }
}

// 60 rows of three to five entries over 20 enthalpies, and one row of each
// enthalpy alone, from a fixed sequence of pseudo-random numbers.
Problem randomproblem()
{
    Problem pr;
    std::uint32_t s = 12345;
    auto next = [&](int n) {
        s = s * 1103515245u + 12345u;
        return static_cast<int>((s >> 16) % static_cast<std::uint32_t>(n));
    };
    for (int i = 0; i < 80; ++i) {
        std::vector<int> row(20, 0);
        if (i < 20) {
            row[static_cast<std::size_t>(i)] = 1;
        } else {
            const int k = 3 + next(3);
            for (int e = 0; e < k; ++e) row[static_cast<std::size_t>(next(20))] = next(7) - 3;
        }
        pr.x.push_back(row);
        pr.y.push_back(next(2001) - 1000.0);
        pr.ysd.push_back(0.5 + next(10));
    }
    return pr;
}

TEST(FitSolvers, QrCholeskiAndLapackAgree)
{
    fittest::FitDir dir;
    const Problem pr = randomproblem();
    const int m = 80, n = 20;
    // LAPACK's QR least squares on the weighted rows
    std::vector<double> a(static_cast<std::size_t>(m * n)), b(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j)
            a[static_cast<std::size_t>(j * m + i)] = pr.x[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] /
                                                     pr.ysd[static_cast<std::size_t>(i)];
        b[static_cast<std::size_t>(i)] = pr.y[static_cast<std::size_t>(i)] / pr.ysd[static_cast<std::size_t>(i)];
    }
    int info = 0, lwork = 4096, nrhs = 1;
    std::vector<double> work(4096);
    dgels_("N", &m, &n, &nrhs, a.data(), &m, b.data(), &m, work.data(), &lwork, &info);
    ASSERT_EQ(info, 0);
    double rss = 0.0;
    for (int i = n; i < m; ++i) rss += b[static_cast<std::size_t>(i)] * b[static_cast<std::size_t>(i)];

    std::vector<double> theta(n + 1), cov(static_cast<std::size_t>((n + 1) * (n + 1)));
    load(pr);
    qr();
    for (int j = 1; j <= n; ++j) {
        theta[static_cast<std::size_t>(j)] = lsq.theta[j];
        EXPECT_NEAR(lsq.theta[j], b[static_cast<std::size_t>(j - 1)], 1e-9 * (1.0 + std::fabs(b[j - 1])));
        for (int l = 1; l <= n; ++l) cov[static_cast<std::size_t>(j * (n + 1) + l)] = lsq.xxat(j, l);
    }
    EXPECT_NEAR(lsq.sigfit2, rss / (m - n), 1e-9 * rss);
    load(pr);
    choleski();
    for (int j = 1; j <= n; ++j) {
        EXPECT_NEAR(lsq.theta[j], theta[static_cast<std::size_t>(j)], 1e-8 * (1.0 + std::fabs(theta[j])));
        for (int l = 1; l <= n; ++l)
            EXPECT_NEAR(lsq.xxat(j, l), cov[static_cast<std::size_t>(j * (n + 1) + l)], 1e-10);
    }
    double sum = 0.0;
    for (int i = 1; i <= m; ++i) sum += lsq.hat[i];
    EXPECT_NEAR(sum, n, 1e-9);
}

TEST(FitSolvers, SquareProblemIsExact)
{
    fittest::FitDir dir;
    Problem pr = small;
    pr.x.resize(4);
    pr.y.resize(4);
    pr.ysd.resize(4);
    for (bool useqr : {true, false}) {
        load(pr);
        useqr ? qr() : choleski();
        EXPECT_NEAR(lsq.theta[1], 3.0, 1e-12);
        EXPECT_NEAR(lsq.theta[2], -2.0, 1e-12);
        EXPECT_NEAR(lsq.theta[4], -3.0, 1e-12);
        EXPECT_NEAR(lsq.theta[3], 5.0, 1e-12);
        // QR has no residual rows: exactly 0; Choleski the plain sum
        if (useqr) {
            EXPECT_EQ(lsq.sigfit2, 0.0);
        }
        EXPECT_LT(lsq.sigfit2, 1e-20);
    }
}

TEST(FitSolversDeathTest, EnthalpiesTheRowsDoNotFix)
{
    fittest::FitDir dir;
    // an end-member in no row
    Problem none = small;
    for (auto& row : none.x) row.push_back(0);
    // two end-members that only ever appear together
    Problem together = small;
    for (auto& row : together.x) row.push_back(row[3]);
    for (const Problem& pr : {none, together}) {
        EXPECT_BOMB(
            {
                load(pr);
                qr();
            },
            "-- run bombed in qr : matrix is singular\n");
        EXPECT_BOMB(
            {
                load(pr);
                choleski();
            },
            "-- run bombed in choleski : sqrt\n");
    }
}

TEST(FitSolvers, ExampleFit)
{
    fittest::FitDir dir;
    readrc();
    assemblelsq(1);
    // The rows over per, q, fo, en: the three enthalpies known by
    // calorimetry, 2 per + 2 q - en by oxide calorimetry, and the two
    // experiments fo + q = en and 2 per + en = 2 fo.
    const std::vector<std::vector<int>> x = {{1, 0, 0, 0}, {0, 1, 0, 0},   {0, 0, 1, 0},
                                             {2, 2, 0, -1}, {0, -1, -1, 1}, {-2, 0, 2, -1}};
    ASSERT_EQ(lsq.nobs, 6);
    const int m = 6, n = 4;
    std::vector<double> a(m * n), b(m);
    for (int i = 1; i <= m; ++i) {
        for (int j = 1; j <= n; ++j) {
            EXPECT_EQ(lsq.xat(i, j), x[i - 1][j - 1]) << i << " " << j;
            EXPECT_EQ(lsq.bat(i, j) != 0, x[i - 1][j - 1] != 0);
            a[static_cast<std::size_t>((j - 1) * m + i - 1)] = x[i - 1][j - 1] / lsq.ysd[i];
        }
        b[static_cast<std::size_t>(i - 1)] = lsq.y[i] / lsq.ysd[i];
    }
    EXPECT_EQ(lsq.y[1], -601.60);
    EXPECT_EQ(lsq.ysd[3], 0.60);
    int info = 0, lwork = 256, nrhs = 1;
    std::vector<double> work(256);
    dgels_("N", &m, &n, &nrhs, a.data(), &m, b.data(), &m, work.data(), &lwork, &info);
    qr();
    std::vector<double> theta(n + 1);
    for (int j = 1; j <= n; ++j) {
        EXPECT_NEAR(lsq.theta[j], b[static_cast<std::size_t>(j - 1)], 1e-8);
        theta[static_cast<std::size_t>(j)] = lsq.theta[j];
    }
    choleski();
    for (int j = 1; j <= n; ++j) EXPECT_NEAR(lsq.theta[j], theta[static_cast<std::size_t>(j)], 1e-6);
    // the categories count the experiments of the last assembly
    assemblelsq(2);
    EXPECT_EQ(std::accumulate(fit.xpcatcount.begin(), fit.xpcatcount.end(), 0), 2);
}

TEST(FitSolvers, EnthalpiesBetweenIterations)
{
    fittest::FitDir dir;
    using thermodata::sH;
    fit.ntda = 3;
    const double sdread[] = {0.0, 98.9, 99.0, 0.00005};
    for (int i = 1; i <= 3; ++i) {
        FitEm& e = fit.tda[i];
        e.hread = -100.0 * i;
        e.row[sH] = -100.0 * i + 5.0;
        e.sdhread = sdread[i];
        e.sdh = 1.0;
        lsq.theta[i] = -100.0 * i + 1.0;
        lsq.xxat(i, i) = 4.0 * i;
    }
    lsq.sigfit2 = 2.25;
    updateenthalpies(false);
    // 98.9 is held at its value as read, 99 is free, sd(H) at least 0.0001
    EXPECT_EQ(fit.tda[1].row[sH], -100.0);
    EXPECT_EQ(fit.tda[1].sdh, 98.9);
    EXPECT_EQ(fit.tda[2].row[sH], -199.0);
    EXPECT_EQ(fit.tda[2].sdh, std::sqrt(8.0));
    EXPECT_EQ(fit.tda[3].row[sH], -300.0);
    EXPECT_EQ(fit.tda[3].sdh, 0.0001);
    EXPECT_EQ(fit.tda[1].hbefore, -95.0);
    EXPECT_EQ(fit.tda[1].sdhbefore, 1.0);
    // after the last iteration every enthalpy is fitted, its sd scaled by sigfit
    updateenthalpies(true);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(fit.tda[i].row[sH], lsq.theta[i]);
        EXPECT_DOUBLE_EQ(fit.tda[i].sdh, 1.5 * std::sqrt(4.0 * i));
    }
}

}  // namespace
