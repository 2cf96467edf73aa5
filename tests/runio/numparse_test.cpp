// Word kinds and the conversions of words to numbers, with their messages.
#include <gtest/gtest.h>

#include <cmath>

#include "runio/runio.h"

using runio::wordkind;

namespace {

runio::Words wordsof(std::initializer_list<const char*> list)
{
    runio::Words w;
    for (const char* s : list) w[++w.n] = s;
    return w;
}

}  // namespace

TEST(WordKinds, Classification)
{
    EXPECT_EQ(wordkind(""), 0);
    EXPECT_EQ(wordkind(" \t"), 0);
    EXPECT_EQ(wordkind("-"), 4);
    EXPECT_EQ(wordkind("."), 4);
    EXPECT_EQ(wordkind("7"), 1);
    EXPECT_EQ(wordkind("-5"), 1);
    EXPECT_EQ(wordkind("007"), 1);
    EXPECT_EQ(wordkind("1.5e-3"), 2);
    EXPECT_EQ(wordkind("1e+5"), 2);
    EXPECT_EQ(wordkind("2.5E-3"), 2);
    EXPECT_EQ(wordkind("-1/2"), 3);
    for (const char* w : {"1/2/3", "1/-2", ".5", "1.", "1.e5", "+5", "--5", "abc", "1e", "1/", "1e-", "1-2"})
        EXPECT_EQ(wordkind(w), 4) << w;
    EXPECT_TRUE(runio::isnumberkind(3));
    EXPECT_FALSE(runio::isnumberkind(4));
}

TEST(RealConversion, AcceptsAndRefuses)
{
    double x;
    std::string m;
    EXPECT_TRUE(runio::str2real("1e-5", x, m));
    EXPECT_DOUBLE_EQ(x, 1e-5);
    EXPECT_TRUE(runio::str2real("-0.25", x, m));
    EXPECT_EQ(x, -0.25);
    EXPECT_TRUE(runio::str2real("0.3", x, m));
    EXPECT_EQ(x, 0.3);   // the double nearest 0.3, not one unit off
    EXPECT_FALSE(runio::str2real("1e+5", x, m));
    EXPECT_EQ(m, "1e+5 not a real: replace with");
    EXPECT_EQ(x, 0.0);
    EXPECT_FALSE(runio::str2real("", x, m));
    EXPECT_EQ(m, "");
    // a word longer than 22 characters is read from its first 22
    EXPECT_TRUE(runio::str2real("1234567890123456789012345", x, m));
    EXPECT_DOUBLE_EQ(x, 1234567890123456789012.0);
    EXPECT_FALSE(runio::str2real(".", x, m));
    EXPECT_EQ(m, ". not a real: replace with");
}

TEST(RealConversion, ExponentsBeyondSixtyThreeAreRefused)
{
    double x;
    std::string m;
    EXPECT_FALSE(runio::str2real("1e64", x, m));
    EXPECT_EQ(m, "1e64 not a real: replace with");
    EXPECT_FALSE(runio::str2real("1e-70", x, m));
    EXPECT_TRUE(runio::str2real("1e63", x, m));
    EXPECT_DOUBLE_EQ(x, 1e63);
    EXPECT_TRUE(runio::str2real("0e99", x, m));   // zero has no exponent
    EXPECT_EQ(x, 0.0);
}

TEST(IntegerConversion, RangeAndMessages)
{
    int n;
    std::string m;
    EXPECT_TRUE(runio::str2int("32766", n, m));
    EXPECT_EQ(n, 32766);
    EXPECT_FALSE(runio::str2int("32767", n, m));
    EXPECT_EQ(m, "32767 too large: replace with");
    EXPECT_FALSE(runio::str2int("-32767", n, m));
    EXPECT_EQ(m, "-32767 too large: replace with");
    EXPECT_FALSE(runio::str2int("2.5", n, m));
    EXPECT_EQ(m, "2.5 not an integer: replace with");
    EXPECT_FALSE(runio::str2int("x", n, m));
    EXPECT_EQ(m, "x not an integer: replace with");
    EXPECT_TRUE(runio::str2int("0.0", n, m));
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(runio::str2int("5.0", n, m));
    EXPECT_EQ(n, 5);
    EXPECT_TRUE(runio::str2int("1e3", n, m));
    EXPECT_EQ(n, 1000);
}

TEST(RationalConversion, ZeroInRational)
{
    int p, q;
    std::string m;
    EXPECT_TRUE(runio::str2rational("1/3", p, q, m));
    EXPECT_EQ(p, 1);
    EXPECT_EQ(q, 3);
    for (const char* w : {"0/3", "3/0", "3", "a/3"}) {
        EXPECT_FALSE(runio::str2rational(w, p, q, m)) << w;
        EXPECT_EQ(m, "zero in rational") << w;
    }
}

TEST(RationalConversion, ContinuedFractions)
{
    long long p, q;
    runio::real2rational(p, q, 0.5);
    EXPECT_EQ(p * 1000 + q, 1 * 1000 + 2);
    runio::real2rational(p, q, 2.5);
    EXPECT_EQ(p * 1000 + q, 5 * 1000 + 2);
    runio::real2rational(p, q, 0.3333333);
    EXPECT_EQ(p * 1000 + q, 1 * 1000 + 3);
    runio::real2rational(p, q, -0.75);
    EXPECT_EQ(p, -3);
    EXPECT_EQ(q, 4);
    runio::real2rational(p, q, 3.0004);   // within 0.001 of a whole number
    EXPECT_EQ(p, 3);
    EXPECT_EQ(q, 1);
    runio::real2rational(p, q, 0.142857142857);   // 1/7 by hand
    EXPECT_EQ(p, 1);
    EXPECT_EQ(q, 7);

    // Amounts that passed through single precision end at the decimal they
    // were written as, not after the rounding noise of their last bits:
    // 5 - 3 - 2 x 0.2196 = 1.5608 = 1951/1250, 4 - 2 - 2 x 0.0455 = 1.909.
    runio::real2rational(p, q, static_cast<float>(5.0 - 3.0 - 2 * 0.2196));
    EXPECT_EQ(p * 10000 + q, 1951LL * 10000 + 1250);
    runio::real2rational(p, q, -static_cast<double>(static_cast<float>(1.909)));
    EXPECT_EQ(p * 10000 + q, -1909LL * 10000 + 1000);
    runio::real2rational(p, q, static_cast<float>(0.0455));
    EXPECT_EQ(p * 10000 + q, 91LL * 10000 + 2000);

    // No value is beyond it: the numerator is held at 2^62.
    const long long most = 1LL << 62;
    for (double x : {1e308, 99999999999999999999.0, HUGE_VAL, 4.7e18}) {
        runio::real2rational(p, q, x);
        EXPECT_EQ(p, most) << x;
        EXPECT_EQ(q, 1) << x;
        runio::real2rational(p, q, -x);
        EXPECT_EQ(p, -most) << x;
    }
    runio::real2rational(p, q, std::nan(""));
    EXPECT_EQ(p * 10 + q, 1);
    // A value that equals its whole part in single precision is that whole part.
    runio::real2rational(p, q, 1e15 + 0.4);
    EXPECT_EQ(p, 1000000000000000LL);
    EXPECT_EQ(q, 1);
}

TEST(WordLists, GetReals)
{
    runio::Words w = wordsof({"key", "1", "2.5", "1/4", "x"});
    std::vector<double> v;
    int count = -2;
    ASSERT_TRUE(runio::getreals(w, w.n, 1, v, count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(v[1], 1.0);
    EXPECT_EQ(v[2], 2.5);
    EXPECT_EQ(v[3], 0.25);
    count = 4;
    EXPECT_FALSE(runio::getreals(w, w.n, 1, v, count));
    count = 2;
    ASSERT_TRUE(runio::getreals(w, w.n, 1, v, count));
    EXPECT_EQ(v[2], 2.5);
    runio::Words bad = wordsof({"key", "1e+5"});
    count = 1;
    EXPECT_FALSE(runio::getreals(bad, bad.n, 1, v, count));   // kind 2 but refused by the conversion
    std::vector<int> iv;
    runio::Words ints = wordsof({"key", "3", "-4", "5.5"});
    count = 0;
    ASSERT_TRUE(runio::getints(ints, ints.n, 1, iv, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(iv[2], -4);
}

TEST(RequiredWords, RationalsAndSingles)
{
    int p, q;
    runio::getrational(2, "0.75", p, q, "ctx");
    EXPECT_EQ(p, 3);
    EXPECT_EQ(q, 4);
    runio::getrational(1, "5", p, q, "ctx");
    EXPECT_EQ(p, 5);
    EXPECT_EQ(q, 1);
    EXPECT_EQ(runio::getsingle(3, "1/8", "ctx"), 0.125);
    EXPECT_EQ(runio::getinteger(1, "12", "ctx"), 12);
}

TEST(RequiredWords, FatalErrorsNameWordAndContext)
{
    EXPECT_EXIT(runio::getinteger(2, "1.5", "dsmode"), testing::ExitedWithCode(1),
                "");
    EXPECT_EXIT(runio::getsingle(4, "abc", "W(fo,fa)"), testing::ExitedWithCode(1), "");
}
