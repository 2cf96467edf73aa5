// Number text against the worked examples of the formatter and hand-worked values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runio/runio.h"

using runio::realstr;
using runio::realstrshort;

namespace {

struct Example {
    double x;
    int n;
    bool fixed;
    const char* text;
};

}  // namespace

TEST(NumberFormatting, WorkedExamples)
{
    const Example examples[] = {
        {1.5, 2, true, "1.50"},           {1234.5678, 2, true, "1234.57"},   {0.05, 2, true, "0.05"},
        {-0.001, 2, true, "-0.00"},       {99999.99, 2, true, "99999.99"},   {100000, 2, true, "1.0e+5"},
        {1234567, 3, true, "1.23e+6"},    {1234567, 1, true, "1.e+6"},       {25, 8, true, "2.5000000e+1"},
        {1234.5678, 4, false, "1235"},    {12345, 4, false, "12345"},        {123456, 4, false, "1.235e+5"},
        {0.012345, 3, false, "0.0123"},   {0.00012346, 4, false, "0.0001235"}, {0.000012346, 4, false, "1.235e-5"},
        {9.99996, 4, false, "10.00"},     {99999.9, 3, false, "1.00e+5"},    {1, 3, false, "1.00"},
        {100, 2, false, "100"},           {0.6666666, 3, false, "0.667"},
    };
    for (const Example& e : examples)
        EXPECT_EQ(realstr(e.x, e.n, e.fixed), e.text) << e.x << " with " << e.n << (e.fixed ? " decimals" : " digits");
    EXPECT_EQ(realstrshort(-7.6), "-8");
    EXPECT_EQ(realstrshort(-0.3), "-0");
    EXPECT_EQ(realstrshort(2.5), "2");   // ties go to even
    EXPECT_EQ(realstrshort(3.5), "4");
}

TEST(NumberFormatting, ZeroAndTinyValuesAreZero)
{
    EXPECT_EQ(realstr(0.0, 3, true), "0");
    EXPECT_EQ(realstr(5e-13, 3, false), "0");
    EXPECT_EQ(realstr(-5e-13, 2, true), "0");
    EXPECT_EQ(realstrshort(0.0), "0");
    EXPECT_EQ(realstrshort(1e-13), "0");
}

TEST(NumberFormatting, ExponentsHaveNoLeadingZeros)
{
    EXPECT_EQ(realstr(100000, 2, false), "1.0e+5");
    EXPECT_EQ(realstr(0.000012, 2, false), "1.2e-5");
    EXPECT_EQ(realstr(1e6, 1, false), "1.e+6");
}

TEST(NumberFormatting, LargeMagnitudesKeepTheirDigits)
{
    // Beyond 1e20 the fixed form has no digits; the value must still show.
    EXPECT_EQ(realstr(1.5e25, 3, true), "1.50e+25");
    EXPECT_EQ(realstr(-2.0e30, 2, false), "-2.0e+30");
    EXPECT_EQ(realstrshort(3.0e12), "3.00000000e+12");
}

TEST(NumberFormatting, NonFiniteValuesAreVisible)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(realstr(std::nan(""), 2, true), "NaN");
    EXPECT_EQ(realstr(inf, 4, false), "Inf");
    EXPECT_EQ(realstr(-inf, 4, true), "-Inf");
    EXPECT_EQ(realstrshort(-inf), "-Inf");
    std::string line;
    runio::addreal(std::nan(""), 2, true, 8, line);
    EXPECT_EQ(line, "     NaN");
}

TEST(NumberFormatting, DecimalCounts)
{
    EXPECT_EQ(runio::ndecimals(5.0), 1);
    EXPECT_EQ(runio::ndecimals(2.25), 2);
    EXPECT_EQ(runio::ndecimals(0.125), 3);
    EXPECT_EQ(runio::ndecimals(1.0 / 3.0), 9);   // bounded: no count of decimals makes 1/3 whole
    EXPECT_EQ(runio::ndecimals2(5.0), 0);
    EXPECT_EQ(runio::ndecimals2(2.25), 2);
    std::string line;
    runio::putrealauto(2.25, 6, line);
    runio::putrealauto(7.0, 3, line);
    EXPECT_EQ(line, "  2.25  7");
}

TEST(NumberFormatting, PowersOfTen)
{
    EXPECT_EQ(runio::tenpower(0), 1.0);
    EXPECT_EQ(runio::tenpower(5), 1e5);
    EXPECT_DOUBLE_EQ(runio::tenpower(-3), 1e-3);
    EXPECT_DOUBLE_EQ(runio::tenpower(63), 1e63);
    EXPECT_DOUBLE_EQ(runio::tenpower(100), 1e100);
}

TEST(NumberFormatting, NarrowingToSixteenBits)
{
    EXPECT_EQ(runio::li2i(32767), 32767);
    EXPECT_EQ(runio::li2i(-32767), -32767);
    EXPECT_EXIT(runio::li2i(32768), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(runio::li2i(-32768), testing::ExitedWithCode(1), "");
}

TEST(NumberFormatting, IntegerTextAndClass)
{
    EXPECT_EQ(runio::inttext(-42), "-42");
    EXPECT_EQ(runio::realclass(0.0), 3);
    EXPECT_EQ(runio::realclass(-1.0), 4);
}
