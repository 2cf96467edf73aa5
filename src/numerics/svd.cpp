// Singular value decomposition A = U diag(w) V^T of the block held in svdu:
// Householder reduction to upper bidiagonal form, accumulation of the right-
// and left-hand transformations, then implicit-shift QR sweeps that drive the
// superdiagonal to zero one singular value at a time, from the last upwards.
#include <algorithm>
#include <cmath>

#include "numerics/numerics.h"

namespace numerics {

SvdArrays sv;

namespace {

constexpr int maxsweeps = 31;       // QR sweeps allowed for one singular value
constexpr double relnegligible = 1e-13;   // negligible, relative to the norm estimate
constexpr double sortceiling = 1e35;      // values at or above this are left in place

using Block = runio::Arr<double, maxsvdcols + 1>;   // one row of svdu or svdv

// U and V transposed while the QR sweeps run: each plane rotation then works
// along two stored rows instead of down two columns of 400-wide rows (about
// 15% off a 74 x 74 decomposition). Scratch only; the results are the same
// numbers, since every entry sees the same operations in the same order.
struct SweepWork {
    runio::Arr<runio::Arr<double, maxsvdrows + 1>, maxsvdcols + 1> ut;
    runio::Arr<runio::Arr<double, maxsvdcols + 1>, maxsvdcols + 1> vt;
};
SweepWork sweep;

double signof(double f) { return f < 0.0 ? -1.0 : 1.0; }

double hyp(double a, double b) { return std::sqrt(a * a + b * b); }

// Plane rotation of columns j and i of U or V, held transposed as rows
// j and i, over entries 1..len.
template <std::size_t N>
void rotate(runio::Arr<runio::Arr<double, N>, maxsvdcols + 1>& t, int len, int j, int i, double c, double s)
{
    double* pj = t[j].data();
    double* pi = t[i].data();
    for (int r = 1; r <= len; ++r) {
        const double x = pj[r];
        const double z = pi[r];
        pj[r] = x * c + z * s;
        pi[r] = z * c - x * s;
    }
}

void swapcols(Block* rows, int nrows, int j, int i)
{
    for (int r = 1; r <= nrows; ++r) std::swap(rows[r][j], rows[r][i]);
}

// Householder reflections H = I + u u^T / h, with h = -|u|^2 / 2, alternately
// from the left (zeroing column i below the diagonal) and from the right
// (zeroing row i beyond the superdiagonal). Each is built on the entries
// divided by the sum of their absolute values, against over- and underflow.
// The Householder vectors stay in place of the entries they zeroed.
// Returns the norm estimate max |w_i| + |e_i|.
double svdbidiag(int m, int n, double* e)
{
    auto& a = sv.svdu;
    auto& w = sv.svdw;
    double dot[maxsvdcols + 1];
    double g = 0.0, scale = 0.0, anorm = 0.0;
    for (int i = 1; i <= n; ++i) {
        const int l = i + 1;
        e[i] = scale * g;   // superdiagonal left by the row reflection of step i-1
        g = 0.0;
        scale = 0.0;
        if (i <= m) {
            for (int k = i; k <= m; ++k) scale += std::fabs(a[k][i]);
            if (scale > 0.0) {
                double s = 0.0;
                for (int k = i; k <= m; ++k) {
                    a[k][i] /= scale;
                    s += a[k][i] * a[k][i];
                }
                const double f = a[i][i];
                g = -signof(f) * std::sqrt(s);
                const double h = f * g - s;
                a[i][i] = f - g;
                // Dot products of u with every later column, gathered row by
                // row so that the work runs along the stored rows.
                for (int j = l; j <= n; ++j) dot[j] = 0.0;
                for (int k = i; k <= m; ++k) {
                    const double uk = a[k][i];
                    for (int j = l; j <= n; ++j) dot[j] += uk * a[k][j];
                }
                for (int j = l; j <= n; ++j) dot[j] /= h;
                for (int k = i; k <= m; ++k) {
                    const double uk = a[k][i];
                    for (int j = l; j <= n; ++j) a[k][j] += dot[j] * uk;
                }
                for (int k = i; k <= m; ++k) a[k][i] *= scale;
            }
        }
        w[i] = scale * g;
        g = 0.0;
        scale = 0.0;
        if (i <= m && i != n) {
            for (int k = l; k <= n; ++k) scale += std::fabs(a[i][k]);
            if (scale > 0.0) {
                double s = 0.0;
                for (int k = l; k <= n; ++k) {
                    a[i][k] /= scale;
                    s += a[i][k] * a[i][k];
                }
                const double f = a[i][l];
                g = -signof(f) * std::sqrt(s);
                const double h = f * g - s;
                a[i][l] = f - g;
                // e[l..n] is free until step l sets e[l]: it holds u / h.
                for (int k = l; k <= n; ++k) e[k] = a[i][k] / h;
                for (int j = l; j <= m; ++j) {
                    double sj = 0.0;
                    for (int k = l; k <= n; ++k) sj += a[j][k] * a[i][k];
                    for (int k = l; k <= n; ++k) a[j][k] += sj * e[k];
                }
                for (int k = l; k <= n; ++k) a[i][k] *= scale;
            }
        }
        anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(e[i]));
    }
    return anorm;
}

// V as the product of the right-hand reflections, built from the last.
// Row i of svdu holds scale * u beyond the diagonal and e[i+1] = scale * g,
// with u_(i+1) g = h: so u_j / h = (a_ij / a_i,i+1) / e[i+1].
void svdright(int n, const double* e)
{
    auto& a = sv.svdu;
    auto& v = sv.svdv;
    double dot[maxsvdcols + 1];
    double g = 0.0;
    int l = n + 1;
    for (int i = n; i >= 1; --i) {
        if (i < n) {
            if (g != 0.0) {
                for (int j = l; j <= n; ++j) v[j][i] = (a[i][j] / a[i][l]) / g;
                for (int j = l; j <= n; ++j) dot[j] = 0.0;
                for (int k = l; k <= n; ++k) {
                    const double aik = a[i][k];
                    for (int j = l; j <= n; ++j) dot[j] += aik * v[k][j];
                }
                for (int k = l; k <= n; ++k) {
                    const double vki = v[k][i];
                    for (int j = l; j <= n; ++j) v[k][j] += dot[j] * vki;
                }
            }
            for (int j = l; j <= n; ++j) {
                v[i][j] = 0.0;
                v[j][i] = 0.0;
            }
        }
        v[i][i] = 1.0;
        g = e[i];
        l = i;
    }
}

// U as the product of the left-hand reflections, in place of the Householder
// vectors, over the first min(m, n) columns. Column i holds scale * u and
// w[i] = scale * g, so the first column of the reflection is e_i + a_ki / w_i.
void svdleft(int m, int n)
{
    auto& a = sv.svdu;
    auto& w = sv.svdw;
    double f[maxsvdcols + 1];
    for (int i = std::min(m, n); i >= 1; --i) {
        const int l = i + 1;
        const double g = w[i];
        for (int j = l; j <= n; ++j) a[i][j] = 0.0;
        if (g != 0.0) {
            for (int j = l; j <= n; ++j) f[j] = 0.0;
            for (int k = l; k <= m; ++k) {
                const double aki = a[k][i];
                for (int j = l; j <= n; ++j) f[j] += aki * a[k][j];
            }
            for (int j = l; j <= n; ++j) f[j] = (f[j] / a[i][i]) / g;
            for (int k = i; k <= m; ++k) {
                const double aki = a[k][i];
                for (int j = l; j <= n; ++j) a[k][j] += f[j] * aki;
            }
            for (int j = i; j <= m; ++j) a[j][i] /= g;
        } else {
            for (int j = i; j <= m; ++j) a[j][i] = 0.0;
        }
        a[i][i] += 1.0;
    }
}

// Finds the top l of the unreduced block that ends at row k: e[l] negligible
// splits the matrix there; a negligible w[l-1] makes the block singular, and
// e[l] is then rotated away into the rows below (Givens rotations from the
// left, applied to U). Row 1 ends every scan: e[1] is zero by construction.
int svdsplit(int k, int m, double* e, double eps)
{
    auto& w = sv.svdw;
    int l = k;
    for (;; --l) {
        if (l == 1 || std::fabs(e[l]) <= eps) return l;
        if (std::fabs(w[l - 1]) < eps) break;
    }
    const int nm = l - 1;
    double c = 0.0, s = 1.0;
    for (int i = l; i <= k; ++i) {
        const double f = s * e[i];
        e[i] = c * e[i];
        if (std::fabs(f) < eps) break;
        const double g = w[i];
        const double h = hyp(f, g);
        w[i] = h;
        c = g / h;
        s = -f / h;
        rotate(sweep.ut, m, nm, i, c, s);
    }
    return l;
}

// One QR sweep on rows and columns l..k of the bidiagonal matrix B, done
// implicitly: the shift is the eigenvalue of the bottom 2 x 2 minor of B^T B
// nearer its last diagonal entry, the first rotation is the one that shifted
// QR would apply, and the bulge it makes is chased down the diagonal by
// alternate right (V) and left (U) rotations.
void svdqrstep(int l, int k, int m, int n, double* e)
{
    auto& w = sv.svdw;
    double x = w[l];
    double y = w[k - 1];
    double z = w[k];
    double g = e[k - 1];
    double h = e[k];
    double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
    g = hyp(f, 1.0);
    f = ((x - z) * (x + z) + h * ((y / (f + (f >= 0.0 ? g : -g))) - h)) / x;
    double c = 1.0, s = 1.0;
    for (int j = l; j <= k - 1; ++j) {
        const int i = j + 1;
        g = e[i];
        y = w[i];
        h = s * g;
        g = c * g;
        z = hyp(f, h);
        e[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y *= c;
        rotate(sweep.vt, n, j, i, c, s);
        z = hyp(f, h);
        w[j] = z;
        // A zero diagonal leaves nothing to rotate: the last rotation stands.
        if (z != 0.0) {
            c = f / z;
            s = h / z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        rotate(sweep.ut, m, j, i, c, s);
    }
    e[l] = 0.0;
    e[k] = f;
    w[k] = x;
}

// Ascending order of the singular values, with the columns of U and V.
void svdsort(int m, int n)
{
    auto& w = sv.svdw;
    const int last = std::max(n - 1, 1);
    for (int i = 1; i <= last; ++i) {
        double least = sortceiling;
        int jmin = 0;
        for (int j = i; j <= n; ++j)
            if (w[j] < least) {
                least = w[j];
                jmin = j;
            }
        if (jmin == 0) return;
        if (jmin == i) continue;
        std::swap(w[i], w[jmin]);
        swapcols(sv.svdv.data(), n, i, jmin);
        swapcols(sv.svdu.data(), m, i, jmin);
    }
}

}  // namespace

void svd(int m, int n)
{
    if (n < 1) return;
    if (m > maxsvdrows || n > maxsvdcols)
        runio::bomb("svd", "matrix larger than its table (max = 800 x 400)", 1);
    double e[maxsvdcols + 1];   // superdiagonal: e[i] couples columns i-1 and i
    const double anorm = svdbidiag(m, n, e);
    const double eps = relnegligible * anorm;
    svdright(n, e);
    svdleft(m, n);
    auto& w = sv.svdw;
    for (int r = 1; r <= m; ++r)
        for (int j = 1; j <= n; ++j) sweep.ut[j][r] = sv.svdu[r][j];
    for (int r = 1; r <= n; ++r)
        for (int j = 1; j <= n; ++j) sweep.vt[j][r] = sv.svdv[r][j];
    for (int k = n; k >= 1; --k) {
        int its = 0;
        for (;;) {
            ++its;
            const int l = svdsplit(k, m, e, eps);
            if (l == k) break;
            svdqrstep(l, k, m, n, e);
            if (its == maxsweeps) break;
        }
        if (its == maxsweeps) {
            std::string text = "too many iterations (k = ";
            runio::addfield(runio::inttext(k), 4, text);
            runio::screenwrite(text + ")\n");
        }
        if (w[k] < 0.0) {
            w[k] = -w[k];
            for (int j = 1; j <= n; ++j) sweep.vt[k][j] = -sweep.vt[k][j];
        }
    }
    for (int r = 1; r <= m; ++r)
        for (int j = 1; j <= n; ++j) sv.svdu[r][j] = sweep.ut[j][r];
    for (int r = 1; r <= n; ++r)
        for (int j = 1; j <= n; ++j) sv.svdv[r][j] = sweep.vt[j][r];
    svdsort(m, n);
}

}  // namespace numerics
