// Integer, rational, random and statistical helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "harness/bombcheck.h"
#include "runio/runio.h"

namespace {

using namespace runio;

TEST(IntegerHelpers, GcdAndLcm)
{
    EXPECT_EQ(gcd(0, 0), 0);
    EXPECT_EQ(gcd(-12, 18), 6);
    EXPECT_EQ(gcd(18, -12), 6);
    EXPECT_EQ(gcd(0, -5), 5);
    EXPECT_EQ(gcd(-7, 0), 7);
    EXPECT_EQ(gcd(17, 5), 1);
    EXPECT_EQ(gcd(1 << 30, 3 << 20), 1 << 20);

    EXPECT_EQ(lcm(4, 4), 4);
    EXPECT_EQ(lcm(-4, -4), -4);   // equal arguments are returned as they are
    EXPECT_EQ(lcm(-4, 6), 12);
    EXPECT_EQ(lcm(6, 10), 30);
    EXPECT_EQ(lcm(0, 5), 0);
    EXPECT_EQ(lcm(7, 0), 0);
    EXPECT_EQ(lcm(46340, 46341), 2147441940);   // just inside 32 bits
    EXPECT_BOMB(lcm(46341, 46343), "least common multiple beyond 2147483647");
}

TEST(IntegerHelpers, VectorGcdAndLcm)
{
    const std::int32_t one[] = {0, -6};
    EXPECT_EQ(gcdvector(one, 1), -6);   // a single entry keeps its sign
    EXPECT_EQ(gcdvector(one, 0), 0);
    const std::int32_t two[] = {0, 4, -6};
    EXPECT_EQ(gcdvector(two, 2), 2);
    const std::int32_t three[] = {0, 12, 18, -30};
    EXPECT_EQ(gcdvector(three, 3), 6);
    const std::int32_t coprime[] = {0, 6, 10, 15, 0};
    EXPECT_EQ(gcdvector(coprime, 4), 1);
    std::vector<std::int32_t> big(402, 2);
    EXPECT_EQ(gcdvector(big.data(), 400), 2);
    EXPECT_EQ(gcdvector(big.data(), 401), 0);   // beyond the vector length

    const std::int32_t dens[] = {0, 2, 3, 4};
    EXPECT_EQ(lcmvector(dens, 3), 12);
    EXPECT_EQ(lcmvector(dens, 0), 0);
    const std::int32_t neg[] = {0, -3};
    EXPECT_EQ(lcmvector(neg, 1), -3);
    // Beyond 16 bits the common multiple is still exact.
    const std::int32_t primes[] = {0, 181, 191};
    EXPECT_EQ(lcmvector(primes, 2), 34571);
}

TEST(IntegerHelpers, IntvectorScalesToTheSmallestIntegers)
{
    // Hand-worked: 1/2, 3/2, 1/4 have common denominator 4.
    double x[] = {0.0, 0.5, 1.5, 0.25};
    std::int32_t mult = 0;
    intvector(x, 3, mult);
    EXPECT_EQ(mult, 4);
    EXPECT_EQ(x[1], 2.0);
    EXPECT_EQ(x[2], 6.0);
    EXPECT_EQ(x[3], 1.0);

    // 1/3 and 2/3 as decimals, and a whole number with a fifth.
    double y[] = {0.0, 0.333333, 0.666667, 2.0, 0.4};
    intvector(y, 4, mult);
    EXPECT_EQ(mult, 15);
    EXPECT_EQ(y[1], 5.0);
    EXPECT_EQ(y[2], 10.0);
    EXPECT_EQ(y[3], 30.0);
    EXPECT_EQ(y[4], 6.0);

    double neg[] = {0.0, -0.5, 1.0};
    intvector(neg, 2, mult);
    EXPECT_EQ(mult, 2);
    EXPECT_EQ(neg[1], -1.0);
    EXPECT_EQ(neg[2], 2.0);
}

TEST(RandomNumbers, WichmannHillFromTheRepeatableSeed)
{
    // Worked independently in exact rational arithmetic: s1 = 171 s1 mod
    // 30269, s2 = 172 s2 mod 30307, s3 = 170 s3 mod 30323 from (131, 137,
    // 141), and the fractional part of s1/30269 + s2/30307 + s3/30323. The
    // first: 22401/30269 + 23564/30307 + 23970/30323 = 2.30806... Three
    // rounded divisions and two additions: 1e-15 covers them.
    seedrandom(true);
    const double expected[] = {0.30806330585052266, 0.6658463789058469, 0.20833442454121912, 0.3512942583594896,
                               0.22994932429483983};
    for (double e : expected) EXPECT_NEAR(whrandom(), e, 1e-15);
    EXPECT_EQ(rng.s1, 26981);
    EXPECT_EQ(rng.s2, 3067);
    EXPECT_EQ(rng.s3, 7198);

    seedrandom(true);
    double r = 0.0;
    for (int i = 1; i <= 1000; ++i) {
        r = whrandom();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
    EXPECT_NEAR(r, 0.0771996712481347, 1e-15);
    EXPECT_EQ(rng.s1, 6492);
    EXPECT_EQ(rng.s2, 27170);
    EXPECT_EQ(rng.s3, 29299);
}

TEST(RandomNumbers, ClockSeedStaysInRange)
{
    seedrandom(false);
    EXPECT_GE(rng.s1, 1);
    EXPECT_LE(rng.s1, 24);     // hour + 1
    EXPECT_GE(rng.s2, 1);
    EXPECT_LE(rng.s2, 61);     // second + 1 (a leap second included)
    EXPECT_GE(rng.s3, 1);
    EXPECT_LE(rng.s3, 1000);   // millisecond + 1
}

TEST(Statistics, ShellsortAgreesWithTheLibrarySort)
{
    std::mt19937 gen(3);
    std::uniform_int_distribution<int> d(-20, 20);   // many ties
    for (int n : {0, 1, 2, 3, 7, 64, 101}) {
        std::vector<double> a(static_cast<std::size_t>(n) + 1, 0.0);
        for (int i = 1; i <= n; ++i) a[i] = d(gen) * 0.5;
        std::vector<double> ref(a.begin() + 1, a.end());
        std::sort(ref.begin(), ref.end());
        shellsort(a.data(), n);
        EXPECT_TRUE(std::equal(ref.begin(), ref.end(), a.begin() + 1)) << "n = " << n;
    }
}

TEST(Statistics, Quantile)
{
    const double four[] = {0, 1, 2, 3, 4};
    const double three[] = {0, 1, 2, 3};
    EXPECT_EQ(quantile(four, 4, 0.5), 2.5);    // mean of the middle pair
    EXPECT_EQ(quantile(three, 3, 0.5), 2.0);
    EXPECT_EQ(quantile(four, 4, 0.25), 1.5);   // p n whole: mean of a[1], a[2]
    EXPECT_EQ(quantile(four, 4, 0.3), 2.0);    // p n = 1.2: a[2]
    EXPECT_EQ(quantile(four, 4, 0.0), 1.0);
    EXPECT_EQ(quantile(four, 4, -1.0), 1.0);
    EXPECT_EQ(quantile(four, 4, 1.0), 4.0);
    EXPECT_EQ(quantile(four, 0, 0.5), 0.0);
    EXPECT_EQ(quantile(four, 1, 0.9), 1.0);
}

TEST(Statistics, MedianAndScaledMedianAbsoluteDeviation)
{
    // Hand-worked: median of 1, 2, 3, 4, 100 is 3; deviations 2, 1, 0, 1, 97
    // have median 1, so the spread is 1/0.6745.
    const double x[] = {0, 100, 2, 4, 1, 3};
    double median = 0.0, spread = 0.0;
    medianmad(x, 5, median, spread);
    EXPECT_EQ(median, 3.0);
    EXPECT_DOUBLE_EQ(spread, 1.0 / 0.6745);
    EXPECT_EQ(x[1], 100.0);   // the input is left as it was

    const double flat[] = {0, 2.5, 2.5, 2.5, 2.5};
    medianmad(flat, 4, median, spread);
    EXPECT_EQ(median, 2.5);
    EXPECT_EQ(spread, 0.0);

    std::vector<double> many(302, 1.0);
    EXPECT_BOMB(medianmad(many.data(), 301, median, spread), "too many values \\(max = 300\\)");
}

TEST(Powers, TenToPowerFromItsTable)
{
    EXPECT_EQ(tentopower(-1), 0.1);   // the double nearest 0.1, not 1/10 by products
    EXPECT_EQ(tentopower(-10), 1e-10);
    EXPECT_EQ(tentopower(0), 1.0);
    EXPECT_EQ(tentopower(10), 1e10);
    EXPECT_EQ(tentopower(-7), 1e-7);
    EXPECT_BOMB(tentopower(11), "-- run bombed in tentopower : stuffed");
    EXPECT_BOMB(tentopower(-11), "stuffed");
}

TEST(Powers, RationalPower)
{
    EXPECT_EQ(ratpower(2, 1, -3.0), 9.0);   // by products: a negative base is fine
    EXPECT_EQ(ratpower(3, 1, -2.0), -8.0);
    EXPECT_EQ(ratpower(1, 2, 4.0), 2.0);
    EXPECT_EQ(ratpower(1, 1, 0.37), 0.37);
    EXPECT_EQ(ratpower(0, 1, 5.0), 1.0);
    // Products of 1 to 8 factors round a few times: within 4 ulps of pow.
    for (int p = 2; p <= 8; ++p) EXPECT_NEAR(ratpower(p, 1, 1.7), std::pow(1.7, p), 4e-16 * std::pow(1.7, p));
    // Through the logarithm: a few ulps of the exponent's size.
    EXPECT_NEAR(ratpower(9, 1, 2.0), 512.0, 1e-12);
    EXPECT_NEAR(ratpower(-2, 1, 2.0), 0.25, 1e-15);
    EXPECT_NEAR(ratpower(2, 3, 8.0), 4.0, 1e-14);
    EXPECT_NEAR(ratpower(-1, 4, 16.0), 0.5, 1e-15);
    EXPECT_TRUE(std::isnan(ratpower(1, 3, -8.0)));   // a negative base through the logarithm
}

}  // namespace
