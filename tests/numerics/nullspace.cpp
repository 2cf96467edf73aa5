// Integer rank and null space of composition matrices; every expected
// reaction below was worked by hand through the elimination.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "calcwindows/calcwindows.h"
#include "harness/bombcheck.h"
#include "numerics/numerics.h"

namespace {

using numerics::IntMatrix;

// Rows are components, columns end-members, both from 1.
IntMatrix matrix(std::initializer_list<std::initializer_list<int>> rows)
{
    IntMatrix a(rows.size() + 1);
    int i = 0;
    for (const auto& row : rows) {
        ++i;
        a[i].fill(0);
        int j = 0;
        for (int v : row) a[i][++j] = v;
    }
    return a;
}

std::vector<int> reaction(int i, int n)
{
    std::vector<int> x;
    for (int k = 1; k <= n; ++k) x.push_back(calcwindows::rxns.r[i][k]);
    return x;
}

class NullSpace : public ::testing::Test {
protected:
    void SetUp() override
    {
        calcwindows::rxns.r.assign(calcwindows::maxrxn + 1, {});
        calcwindows::rxns.nrxn = 0;
    }
};

TEST(IntEchelon, Ranks)
{
    EXPECT_EQ(numerics::intechelon(matrix({{2, 1, 0}, {1, 3, 1}, {0, 1, 4}}), 3, 3), 3);
    EXPECT_EQ(numerics::intechelon(matrix({{0, 0}, {0, 0}}), 2, 2), 0);
    // Rows that are multiples of one another count once.
    EXPECT_EQ(numerics::intechelon(matrix({{1, 2, 3}, {2, 4, 6}, {-3, -6, -9}}), 3, 3), 1);
    // The third row is the sum of the first two.
    EXPECT_EQ(numerics::intechelon(matrix({{1, 0, 2, 1}, {0, 1, 1, 3}, {1, 1, 3, 4}}), 3, 4), 2);
    // More components than end-members, and a zero first column.
    EXPECT_EQ(numerics::intechelon(matrix({{0, 2}, {0, 1}, {0, 5}}), 3, 2), 1);
    EXPECT_EQ(numerics::intechelon(matrix({{2, 1}, {1, 1}, {3, 0}}), 3, 2), 2);
    // The second pivot is found only in the last column, two rows down.
    EXPECT_EQ(numerics::intechelon(matrix({{1, 2, 0}, {0, 0, 0}, {0, 0, 5}}), 3, 3), 2);
    EXPECT_EQ(numerics::intechelon(matrix({{1, 2, 7}}), 1, 3), 1);
}

TEST(IntEchelon, EntriesBeyond32BitsStopTheRun)
{
    // The second elimination multiplies entries near 9e8 together.
    const IntMatrix a = matrix({{30011, 1, 2}, {1, 30013, 3}, {5, 7, 30029}});
    EXPECT_BOMB(numerics::intechelon(a, 3, 3), "intechelon : integer overflow in row reduction");
}

TEST_F(NullSpace, TwoEndMembersOfEqualComposition)
{
    EXPECT_EQ(numerics::nullspace(matrix({{1, 1}}), 1, 2), 1);
    ASSERT_EQ(calcwindows::rxns.nrxn, 1);
    EXPECT_EQ(reaction(1, 2), (std::vector<int>{-1, 1}));
}

TEST_F(NullSpace, FullRankGivesNoReaction)
{
    EXPECT_EQ(numerics::nullspace(matrix({{2, 2}, {1, 2}}), 2, 2), 2);   // fo, en in MgO, SiO2
    EXPECT_EQ(calcwindows::rxns.nrxn, 0);
}

TEST_F(NullSpace, OlivinePyroxeneQuartz)
{
    // MgO, FeO, SiO2 by fo, fa, en, fs, q. After the elimination the rows are
    // (1 0 0 -1 -1), (0 1 0 1 0), (0 0 1 1 1), pivots in columns 1 to 3; the
    // free end-members give their reactions from the last: q, then fs.
    const IntMatrix c = matrix({{2, 0, 2, 0, 0}, {0, 2, 0, 2, 0}, {1, 1, 2, 2, 1}});
    EXPECT_EQ(numerics::nullspace(c, 3, 5), 3);
    ASSERT_EQ(calcwindows::rxns.nrxn, 2);
    EXPECT_EQ(reaction(1, 5), (std::vector<int>{1, 0, -1, 0, 1}));    // fo + q = en
    EXPECT_EQ(reaction(2, 5), (std::vector<int>{1, -1, -1, 1, 0}));   // fo + fs = fa + en
}

TEST_F(NullSpace, TalcBreakdownNeedsACommonMultiple)
{
    // SiO2, MgO, H2O by ta (4 3 1), en (2 2 0), q, H2O. The reduced rows are
    // (1 0 0 1), (0 2 0 -3), (0 0 -1 1): the free H2O column gives numerators
    // -1, 3, -1 over 1, 2, -1, so the multiple is 2:
    // 2 ta = 3 en + 2 q + 2 H2O.
    const IntMatrix c = matrix({{4, 2, 1, 0}, {3, 2, 0, 0}, {1, 0, 0, 1}});
    EXPECT_EQ(numerics::nullspace(c, 3, 4), 3);
    ASSERT_EQ(calcwindows::rxns.nrxn, 1);
    EXPECT_EQ(reaction(1, 4), (std::vector<int>{-2, 3, 2, 2}));
}

TEST_F(NullSpace, AluminosilicatePolymorphs)
{
    // ky, and, sil all Al2SiO5: two reactions, each from ky to a free one.
    EXPECT_EQ(numerics::nullspace(matrix({{1, 1, 1}, {1, 1, 1}}), 2, 3), 1);
    ASSERT_EQ(calcwindows::rxns.nrxn, 2);
    EXPECT_EQ(reaction(1, 3), (std::vector<int>{-1, 0, 1}));
    EXPECT_EQ(reaction(2, 3), (std::vector<int>{-1, 1, 0}));
}

TEST_F(NullSpace, MoreComponentsThanEndMembers)
{
    // A (2 1 1) and B (4 2 2): 2 A = B; the second row has no pivot.
    EXPECT_EQ(numerics::nullspace(matrix({{2, 4}, {1, 2}, {1, 2}}), 3, 2), 1);
    ASSERT_EQ(calcwindows::rxns.nrxn, 1);
    EXPECT_EQ(reaction(1, 2), (std::vector<int>{-2, 1}));
}

TEST_F(NullSpace, PivotInTheLastColumn)
{
    // A (1 0 0), B (2 0 0), C (0 0 5): C's pivot lies two rows down in the last column.
    EXPECT_EQ(numerics::nullspace(matrix({{1, 2, 0}, {0, 0, 0}, {0, 0, 5}}), 3, 3), 2);
    ASSERT_EQ(calcwindows::rxns.nrxn, 1);
    EXPECT_EQ(reaction(1, 3), (std::vector<int>{-2, 1, 0}));
}

TEST_F(NullSpace, EndMemberWithoutComponentsFormsAReactionAlone)
{
    // B has none of the components: its reaction is B alone, with coefficient 1.
    EXPECT_EQ(numerics::nullspace(matrix({{1, 0, 2}, {1, 0, 1}}), 2, 3), 2);
    ASSERT_EQ(calcwindows::rxns.nrxn, 1);
    EXPECT_EQ(reaction(1, 3), (std::vector<int>{0, 1, 0}));
}

TEST_F(NullSpace, ReactionsAreAppendedAfterThoseThere)
{
    calcwindows::rxns.nrxn = 3;
    numerics::nullspace(matrix({{1, 1}}), 1, 2);
    EXPECT_EQ(calcwindows::rxns.nrxn, 4);
    EXPECT_EQ(reaction(4, 2), (std::vector<int>{-1, 1}));
}

TEST_F(NullSpace, MoreReactionsThanTheTableHolds)
{
    // 160 end-members of one component: 159 reactions, the table holds 150.
    IntMatrix a(2);
    a[1].fill(0);
    for (int j = 1; j <= 160; ++j) a[1][j] = 1;
    EXPECT_BOMB(numerics::nullspace(a, 1, 160), "nullspace : too many reactions among the end-members \\(max = 150\\)");
    EXPECT_EQ(numerics::nullspace(a, 1, 151), 1);   // exactly 150 fit
    EXPECT_EQ(calcwindows::rxns.nrxn, 150);
}

TEST_F(NullSpace, CoefficientBeyond16BitsStopsTheRun)
{
    // A (181 0), B (0 191), C (1 1): 191 A + 181 B = 34571 C, and 34571 > 32767.
    const IntMatrix c = matrix({{181, 0, 1}, {0, 191, 1}});
    EXPECT_BOMB(numerics::nullspace(c, 2, 3), "nullspace : reaction coefficient 34571 too large to store \\(max = 32767\\)");
    // With 149 and 181 the coefficient 26969 still fits.
    EXPECT_EQ(numerics::nullspace(matrix({{149, 0, 1}, {0, 181, 1}}), 2, 3), 2);
    EXPECT_EQ(reaction(1, 3), (std::vector<int>{-181, -149, 26969}));
}

}  // namespace
