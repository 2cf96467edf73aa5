// Uncertainties of the solved unknowns: the covariance of the end-member
// enthalpies carried to P, T, the phase variables and the modes to first
// order, through the inverse of the jacobian of the equilibrium equations.
// A change dG_e of end-member e moves the unknowns by -J^-1 nu_e dG_e, nu_e
// its reaction coefficients.
#include <cmath>

#include "numerics/numerics.h"
#include "thermodata/thermodata.h"

namespace numerics {

namespace {

constexpr double tiny = 1e-14;     // below this a row or a pivot counts as zero
constexpr double ln2 = 0.693147;   // as the determinant's exponent is counted

}  // namespace

bool ludecomp(SquareTable& a, runio::Arr<int, maxnlex + 1>& perm, double& logdet, int n)
{
    Vector scale{};
    for (int i = 1; i <= n; ++i) {
        double s = 0.0;
        for (int j = 1; j <= n; ++j) s += a[i][j] * a[i][j];
        scale[i] = s < tiny ? 0.0 : 1.0 / std::sqrt(s);
    }
    // The determinant as a mantissa in [1/16, 1) and a power of two, so that
    // no product of pivots overflows.
    double d = 1.0;
    int e = 0;
    for (int j = 1; j <= n; ++j) {
        double big = 0.0;
        int p = j;
        for (int i = j; i <= n; ++i) {
            double v = a[i][j];
            for (int k = 1; k < j; ++k) v -= a[i][k] * a[k][j];
            a[i][j] = v;
            const double cand = std::fabs(v) * scale[i];
            if (cand > big) {
                big = cand;
                p = i;
            }
        }
        if (p != j) {
            std::swap(a[p], a[j]);
            d = -d;
            scale[p] = scale[j];
        }
        perm[j] = p;
        d *= a[j][j];
        if (big < tiny) {
            logdet = 1000.0;
            return false;
        }
        while (std::fabs(d) >= 1.0) {
            d *= 0.0625;
            e += 4;
        }
        while (std::fabs(d) < 0.0625) {
            d *= 16.0;
            e -= 4;
        }
        for (int k = j + 1; k <= n; ++k) {
            double v = a[j][k];
            for (int i = 1; i < j; ++i) v -= a[j][i] * a[i][k];
            a[j][k] = v / a[j][j];
        }
    }
    logdet = e * ln2 + std::log(std::fabs(d));
    if (d < 0.0) logdet = -logdet;
    return true;
}

bool solvesens(const SquareTable& a, Sensitivities& sens, int n)
{
    const auto& rx = thermodata::rxns;
    const int nr = rx.nrxn < n ? rx.nrxn : n;
    static SquareTable lu;
    lu = a;
    runio::Arr<int, maxnlex + 1> perm{};
    double logdet;
    if (!ludecomp(lu, perm, logdet, n)) return false;
    for (int em = 1; em <= thermodata::ems.nem; ++em) {
        Vector b{};
        for (int i = 1; i <= nr; ++i) b[i] = -rx.r[i][em];
        for (int i = 1; i <= n; ++i) std::swap(b[i], b[perm[i]]);
        for (int i = 1; i <= n; ++i) {
            double v = b[i];
            for (int k = 1; k < i; ++k) v -= lu[i][k] * b[k];
            b[i] = v / lu[i][i];
        }
        for (int i = n; i >= 1; --i) {
            double v = b[i];
            for (int k = i + 1; k <= n; ++k) v -= lu[i][k] * b[k];
            b[i] = v;
        }
        for (int i = 1; i <= n; ++i) sens[i][em] = b[i];
    }
    return true;
}

void propagatecov()
{
    const Unknowns& u = unk;
    Uncertainties& c = unc;
    const int nall = u.nvar + u.nmodes;
    const int nem = thermodata::ems.nem;
    static Sensitivities sens, scov;
    if (!solvesens(eqs.jacnat, sens, eqs.njacrows)) {
        c.corrpt = 0.0;
        for (int i = 1; i <= nall; ++i) c.xsd[i] = 0.0;
        return;
    }
    int nfree = 0;
    for (int i = 1; i <= nall; ++i)
        if (u.xfree[i]) ++nfree;
    // S cov first, then times S^T: nem^2 per free unknown, not per pair.
    auto& cov = thermodata::ems;
    for (int a = 1; a <= nfree; ++a)
        for (int f = 1; f <= nem; ++f) {
            double s = 0.0;
            for (int e = 1; e <= nem; ++e) s += sens[a][e] * cov.covat(e, f);
            scov[a][f] = s;
        }
    int a = 0;
    for (int i = 1; i <= nall; ++i) {
        if (!u.xfree[i]) {
            c.xcov[i][i] = 0.0;
            c.xsd[i] = 0.0;
            for (int w = 1; w < i; ++w) c.xcov[i][w] = c.xcov[w][i] = 0.0;
            continue;
        }
        ++a;
        int b = 0;
        for (int w = 1; w <= i; ++w) {
            if (!u.xfree[w]) {
                c.xcov[i][w] = c.xcov[w][i] = 0.0;
                continue;
            }
            ++b;
            double s = 0.0;
            for (int f = 1; f <= nem; ++f) s += scov[a][f] * sens[b][f];
            c.xcov[i][w] = c.xcov[w][i] = s;
            if (w == i) c.xsd[i] = s > tiny ? std::sqrt(s) : -1.0;
        }
    }
    c.corrpt = u.xfree[1] && u.xfree[2] ? c.xcov[1][2] / (c.xsd[1] * c.xsd[2]) : 0.0;
}

}  // namespace numerics
