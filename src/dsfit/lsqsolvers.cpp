// The weighted linear least-squares problem of the fit: minimise the sum
// over rows i of ((y(i) - sum over j of x(i, j) H(j)) / ysd(i))^2 for the
// enthalpies H of every end-member, by Householder reflections of the
// weighted design matrix or by the Cholesky factor of the normal equations.
// Both leave the solution in theta, its covariance in units of sigfit^2 in
// the leading n x n block of xx, the leverage of each row in hat, and
// sigfit2; neither allocates.
#include <cmath>

#include "dsfit/dsfit.h"
#include "runio/runio.h"

namespace dsfit {

namespace {

// A column whose part still to be reduced is this small a share of the whole
// column is a combination of the columns before it (rounding leaves it a
// few units in the last place, not zero): the data do not fix every
// enthalpy. The Cholesky pivot goes as the square of that share.
constexpr double qrsingular = 1e-10;
constexpr double choleskisingular = 1e-12;

// The end-members that take part in row i, in cols[1..count].
int rowentries(int i, int n, runio::Arr<int, maxntp + 1>& cols)
{
    int count = 0;
    for (int j = 1; j <= n; ++j)
        if (lsq.bat(i, j) != 0) cols[++count] = j;
    return count;
}

void mirrorcovariance(int n)
{
    for (int j = 1; j <= n; ++j)
        for (int i = j + 1; i <= n; ++i) lsq.xxat(i, j) = lsq.xxat(j, i);
}

// hat(i) = x(i)' C x(i) / ysd(i)^2 over the entries of row i.
void leverages(int m, int n)
{
    runio::Arr<int, maxntp + 1> cols{};
    for (int i = 1; i <= m; ++i) {
        const int count = rowentries(i, n, cols);
        double h = 0.0;
        for (int a = 1; a <= count; ++a) {
            double s = 0.0;
            for (int b = 1; b <= count; ++b) s += lsq.xxat(cols[a], cols[b]) * lsq.xat(i, cols[b]);
            h += lsq.xat(i, cols[a]) * s;
        }
        lsq.hat[i] = h / (lsq.ysd[i] * lsq.ysd[i]);
    }
}

double residualvariance(double sum, int m, int n) { return m > n ? sum / (m - n) : sum; }

}  // namespace

void qr()
{
    const int m = lsq.nobs, n = fit.ntda;
    auto a = [](int i, int j) -> double& { return lsq.xxat(i, j); };
    runio::Vec<double>& yy = lsq.yy;
    runio::Vec<double>& theta = lsq.theta;

    // Weighted design matrix and right-hand side; theta holds each column's
    // size until the solution replaces it.
    for (int j = 1; j <= n; ++j)
        for (int i = 1; i <= m; ++i) a(i, j) = 0.0;
    for (int i = 1; i <= m; ++i) {
        for (int j = 1; j <= n; ++j)
            if (lsq.bat(i, j) != 0) a(i, j) = lsq.xat(i, j) / lsq.ysd[i];
        yy[i] = lsq.y[i] / lsq.ysd[i];
    }
    for (int j = 1; j <= n; ++j) {
        theta[j] = 0.0;
        for (int i = 1; i <= m; ++i) theta[j] += std::fabs(a(i, j));
    }

    // Householder reduction, column by column; the reflection vector of
    // column k is kept below its diagonal, its first element in vk.
    for (int k = 1; k <= n; ++k) {
        double scale = 0.0;
        for (int i = k; i <= m; ++i) scale += std::fabs(a(i, k));
        if (scale <= qrsingular * theta[k]) runio::bomb("qr", "matrix is singular", 0);
        double s2 = 0.0;
        for (int i = k; i <= m; ++i) {
            a(i, k) /= scale;
            s2 += a(i, k) * a(i, k);
        }
        const double alpha = a(k, k);
        const double beta = alpha >= 0.0 ? -std::sqrt(s2) : std::sqrt(s2);
        const double h = alpha * beta - s2;
        const double vk = alpha - beta;
        a(k, k) = scale * beta;
        for (int j = k + 1; j <= n; ++j) {
            double f = vk * a(k, j);
            for (int i = k + 1; i <= m; ++i) f += a(i, k) * a(i, j);
            f /= h;
            a(k, j) += f * vk;
            for (int i = k + 1; i <= m; ++i) a(i, j) += f * a(i, k);
        }
        double f = vk * yy[k];
        for (int i = k + 1; i <= m; ++i) f += a(i, k) * yy[i];
        f /= h;
        yy[k] += f * vk;
        for (int i = k + 1; i <= m; ++i) yy[i] += f * a(i, k);
    }

    for (int i = n; i >= 1; --i) {
        double s = yy[i];
        for (int j = i + 1; j <= n; ++j) s -= a(i, j) * theta[j];
        theta[i] = s / a(i, i);
    }
    double rss = 0.0;
    for (int i = n + 1; i <= m; ++i) rss += yy[i] * yy[i];
    lsq.sigfit2 = residualvariance(rss, m, n);

    // C = (R'R)^-1 from R C = R'^-1, row by row from the last, in place over
    // R; row i of R is kept in yy while it is replaced.
    if (n > 0) a(n, n) = 1.0 / (a(n, n) * a(n, n));
    for (int i = n - 1; i >= 1; --i) {
        const double d = -1.0 / a(i, i);
        for (int j = i + 1; j <= n; ++j) yy[j] = a(i, j);
        double s = 0.0;
        for (int j = i + 1; j <= n; ++j) {
            double t = 0.0;
            for (int l = i + 1; l <= j; ++l) t += yy[l] * a(l, j);
            for (int l = j + 1; l <= n; ++l) t += yy[l] * a(j, l);
            a(i, j) = d * t;
            s += t * yy[j];
        }
        a(i, i) = d * d * (1.0 + s);
    }
    mirrorcovariance(n);
    leverages(m, n);
}

void choleski()
{
    using namespace runio;
    putstr(1, "constructing LSQ for choleski...", 1, msl);
    const int m = lsq.nobs, n = fit.ntda;
    // The normal matrix N, then its factor U = L' in the upper triangle.
    auto u = [](int i, int j) -> double& { return lsq.xxat(i, j); };
    Vec<double>& yy = lsq.yy;
    Vec<double>& theta = lsq.theta;

    for (int j = 1; j <= n; ++j) {
        yy[j] = 0.0;
        for (int i = 1; i <= n; ++i) u(i, j) = 0.0;
    }
    Arr<int, maxntp + 1> cols{};
    for (int i = 1; i <= m; ++i) {
        const int count = rowentries(i, n, cols);
        const double wt = 1.0 / (lsq.ysd[i] * lsq.ysd[i]);
        for (int a = 1; a <= count; ++a) {
            const double xa = lsq.xat(i, cols[a]) * wt;
            yy[cols[a]] += xa * lsq.y[i];
            for (int b = 1; b <= count; ++b) u(cols[a], cols[b]) += xa * lsq.xat(i, cols[b]);
        }
    }
    for (int j = 1; j <= n; ++j) theta[j] = u(j, j);

    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j < i; ++j) {
            double s = u(j, i);
            for (int l = 1; l < j; ++l) s -= u(l, j) * u(l, i);
            u(j, i) = s / u(j, j);
        }
        double d = u(i, i);
        for (int l = 1; l < i; ++l) d -= u(l, i) * u(l, i);
        if (d <= choleskisingular * theta[i]) bomb("choleski", "sqrt", 0);
        u(i, i) = std::sqrt(d);
    }

    // L z = rhs, then L' theta = z.
    for (int i = 1; i <= n; ++i) {
        double s = yy[i];
        for (int l = 1; l < i; ++l) s -= u(l, i) * yy[l];
        yy[i] = s / u(i, i);
    }
    for (int i = n; i >= 1; --i) {
        double s = yy[i];
        for (int l = i + 1; l <= n; ++l) s -= u(i, l) * theta[l];
        theta[i] = s / u(i, i);
    }

    double rss = 0.0;
    for (int i = 1; i <= m; ++i) {
        double r = lsq.y[i];
        for (int j = 1; j <= n; ++j)
            if (lsq.bat(i, j) != 0) r -= lsq.xat(i, j) * theta[j];
        r /= lsq.ysd[i];
        rss += r * r;
    }
    lsq.sigfit2 = residualvariance(rss, m, n);
    putstr(1, "lsq (choleski) gives sigfit = " + realstr(std::sqrt(lsq.sigfit2), 3, true) + "     (ndf = " +
                  inttext(m - n) + ")", 1, msol);

    // U^-1 in place, rows from the last, each from its right end; then
    // C = U^-1 U^-1', row by row over it.
    for (int i = n; i >= 1; --i) {
        for (int j = n; j > i; --j) {
            double s = 0.0;
            for (int l = i + 1; l <= j; ++l) s += u(i, l) * u(l, j);
            u(i, j) = -s / u(i, i);
        }
        u(i, i) = 1.0 / u(i, i);
    }
    for (int i = 1; i <= n; ++i) {
        for (int j = i; j <= n; ++j) {
            double s = 0.0;
            for (int l = j; l <= n; ++l) s += u(i, l) * u(j, l);
            u(i, j) = s;
        }
    }
    mirrorcovariance(n);
    leverages(m, n);
}

}  // namespace dsfit
