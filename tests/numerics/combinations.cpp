// Combinations and odometers: the exact sequences they visit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "numerics/numerics.h"

namespace {

using numerics::IndexVector;

std::string digits(const IndexVector& v, int k)
{
    std::string s;
    for (int i = 1; i <= k; ++i) {
        if (i > 1) s += ' ';
        s += std::to_string(v[i]);
    }
    return s;
}

void expectunused(const IndexVector& v, int k)
{
    for (int i = k + 1; i <= numerics::maxvecint; ++i) ASSERT_EQ(v[i], -1) << "position " << i;
}

// Every state an enumeration delivers while more is set (a runaway stops at 10000).
template <class Advance>
std::vector<std::string> visits(const IndexVector& v, int k, Advance advance)
{
    std::vector<std::string> seen;
    bool more = true;
    for (;;) {
        advance(more);
        if (!more || seen.size() > 10000) break;
        seen.push_back(digits(v, k));
        expectunused(v, k);
    }
    return seen;
}

std::vector<std::string> allsubsets(int k, int n)
{
    IndexVector c;
    c.fill(99);
    numerics::startcombination(c, k);
    return visits(c, k, [&](bool& more) { numerics::nextcombination(c, k, n, more); });
}

std::vector<std::string> allsettings(const std::vector<int>& limits)
{
    const int k = static_cast<int>(limits.size());
    IndexVector d, lim;
    d.fill(99);
    lim.fill(0);
    for (int i = 1; i <= k; ++i) lim[i] = limits[i - 1];
    numerics::startodometer(d, k);
    return visits(d, k, [&](bool& more) { numerics::nextodometer(d, lim, k, more); });
}

using Seq = std::vector<std::string>;

TEST(Combinations, SubsetsInLexicographicOrder)
{
    EXPECT_EQ(allsubsets(2, 4), (Seq{"1 2", "1 3", "1 4", "2 3", "2 4", "3 4"}));
    EXPECT_EQ(allsubsets(3, 3), (Seq{"1 2 3"}));
    EXPECT_EQ(allsubsets(1, 4), (Seq{"1", "2", "3", "4"}));
    EXPECT_EQ(allsubsets(1, 1), (Seq{"1"}));
    EXPECT_EQ(allsubsets(3, 5), (Seq{"1 2 3", "1 2 4", "1 2 5", "1 3 4", "1 3 5", "1 4 5", "2 3 4", "2 3 5",
                                     "2 4 5", "3 4 5"}));
}

TEST(Combinations, CountsAreBinomial)
{
    // C(12, 5) = 792 and C(20, 3) = 1140.
    EXPECT_EQ(allsubsets(5, 12).size(), 792u);
    EXPECT_EQ(allsubsets(3, 20).size(), 1140u);
}

TEST(Odometer, LastDigitTurnsFastest)
{
    EXPECT_EQ(allsettings({2, 3}), (Seq{"1 1", "1 2", "1 3", "2 1", "2 2", "2 3"}));
    EXPECT_EQ(allsettings({1, 1, 1}), (Seq{"1 1 1"}));
    EXPECT_EQ(allsettings({3}), (Seq{"1", "2", "3"}));
    EXPECT_EQ(allsettings({3, 1, 2}), (Seq{"1 1 1", "1 1 2", "2 1 1", "2 1 2", "3 1 1", "3 1 2"}));
    EXPECT_EQ(allsettings({2, 2, 2, 3, 1, 4}).size(), 96u);
}

}  // namespace
