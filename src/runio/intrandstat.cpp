// Integer, rational, random and statistical helpers.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "runio/runio.h"

namespace runio {

RandomState rng;

std::int32_t gcd(std::int32_t a, std::int32_t b)
{
    std::int64_t x = a < 0 ? -static_cast<std::int64_t>(a) : a;
    std::int64_t y = b < 0 ? -static_cast<std::int64_t>(b) : b;
    if (x == 0) return static_cast<std::int32_t>(y);
    if (y == 0) return static_cast<std::int32_t>(x);
    while (y != 0) {
        const std::int64_t r = x % y;
        x = y;
        y = r;
    }
    return static_cast<std::int32_t>(x);
}

long long gcd64(long long a, long long b)
{
    a = std::llabs(a);
    b = std::llabs(b);
    while (b != 0) {
        const long long r = a % b;
        a = b;
        b = r;
    }
    return a;
}

std::int32_t gcdvector(const std::int32_t* v, int n)
{
    if (n < 1 || n > maxvecint) return 0;
    if (n == 1) return v[1];
    if (n == 2) return gcd(v[1], v[2]);
    std::int32_t g = v[n] < 0 ? -v[n] : v[n];
    for (int i = n - 1; i >= 1 && g != 1; --i) g = gcd(g, v[i]);
    return g;
}

std::int32_t lcm(std::int32_t a, std::int32_t b)
{
    if (a == 0 || b == 0) return 0;
    if (a == b) return b;
    const double m = std::fabs(std::nearbyint(static_cast<double>(a) * (static_cast<double>(b) / gcd(a, b))));
    if (m > 2147483647.0) runio::bomb("lcm", "least common multiple beyond 2147483647", 0);
    return static_cast<std::int32_t>(m);
}

std::int32_t lcmvector(const std::int32_t* v, int n)
{
    // The common multiple is carried in 32 bits: the denominators of recipes
    // and formulas stay small, and a wrap would silently give a wrong scale.
    if (n < 1) return 0;
    std::int32_t m = v[1];
    for (int i = 2; i <= n; ++i) m = lcm(m, v[i]);
    return m;
}

void intvector(double* x, int n, std::int32_t& mult)
{
    if (n > maxvecint) runio::bomb("intvector", "too many entries (max = 400)", 1);
    std::int64_t p[maxvecint + 1];
    std::int32_t q[maxvecint + 1];
    for (int i = 1; i <= n; ++i) {
        long long pp, qq;
        runio::real2rational(pp, qq, x[i]);
        p[i] = pp;
        q[i] = static_cast<std::int32_t>(qq);
    }
    mult = lcmvector(q, n);
    for (int i = 1; i <= n; ++i) x[i] = static_cast<double>((mult / q[i]) * p[i]);
}

void seedrandom(bool repeatable)
{
    if (repeatable) {
        rng = {131, 137, 141};
        return;
    }
    const auto now = std::chrono::system_clock::now();
    const std::time_t tt = std::chrono::system_clock::to_time_t(now);
    std::tm tmv{};
    localtime_r(&tt, &tmv);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    rng = {tmv.tm_hour + 1, tmv.tm_sec + 1, static_cast<std::int32_t>(ms) + 1};
}

double whrandom()
{
    rng.s1 = static_cast<std::int32_t>((171LL * rng.s1) % 30269);
    rng.s2 = static_cast<std::int32_t>((172LL * rng.s2) % 30307);
    rng.s3 = static_cast<std::int32_t>((170LL * rng.s3) % 30323);
    const double r = rng.s1 / 30269.0 + rng.s2 / 30307.0 + rng.s3 / 30323.0;
    return r - std::trunc(r);
}

void shellsort(double* a, int n)
{
    for (int gap = n / 2; gap > 0; gap /= 2) {
        for (int i = 1; i <= n - gap; ++i) {
            for (int j = i; j > 0; j -= gap) {
                if (a[j] > a[j + gap]) {
                    const double t = a[j];
                    a[j] = a[j + gap];
                    a[j + gap] = t;
                } else {
                    break;
                }
            }
        }
    }
}

double quantile(const double* a, int n, double p)
{
    if (n == 0) return 0.0;
    if (n == 1 || p <= 0.0) return a[1];
    if (p >= 1.0) return a[n];
    const double t = p * n;
    const int k = static_cast<int>(std::trunc(t));
    const double kr = std::nearbyint(t);
    if (k == n) return a[k];
    if (t == kr) {
        const int ki = static_cast<int>(kr);
        return (a[ki] + a[ki + 1]) / 2.0;
    }
    return a[k + 1];
}

void medianmad(const double* x, int n, double& median, double& spread)
{
    constexpr int maxvalues = 300;
    if (n > maxvalues) runio::bomb("medianmad", "too many values (max = 300)", 1);
    double copy[maxvalues + 1];
    for (int i = 1; i <= n; ++i) copy[i] = x[i];
    shellsort(copy, n);
    median = quantile(copy, n, 0.5);
    for (int i = 1; i <= n; ++i) copy[i] = std::fabs(copy[i] - median);
    shellsort(copy, n);
    spread = quantile(copy, n, 0.5) / 0.6745;
}

double tentopower(int k)
{
    static constexpr double table[21] = {1e-10, 1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1.0,
                                         1e1,   1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10};
    if (k < -10 || k > 10) runio::bomb("tentopower", "stuffed", 0);
    return table[k + 10];
}

double ratpower(int p, int q, double x)
{
    if (p == 1 && q == 2) return std::sqrt(x);
    if (p == 1 && q == 1) return x;
    if (q != 1) return std::exp((static_cast<double>(p) / q) * std::log(x));
    if (p < 0) return std::exp(p * std::log(x));
    const double x2 = x * x;
    switch (p) {
    case 0: return 1.0;
    case 2: return x2;
    case 3: return x * x2;
    case 4: return x2 * x2;
    case 5: return x * (x2 * x2);
    case 6: return x2 * (x2 * x2);
    case 7: return x * x2 * (x2 * x2);
    case 8: return (x2 * x2) * (x2 * x2);
    default: return std::exp(p * std::log(x));
    }
}

}  // namespace runio
