// A legal starting state of order: only the order variables are drawn, within
// their ranges, until every site fraction is positive.
#include <gtest/gtest.h>

#include <cmath>

#include "axmodels/axmodels.h"
#include "axtest.h"
#include "numerics/numerics.h"

using namespace axmodels;

namespace {

// The example orthopyroxene: x = 0.2, Q in -1..1; the site fractions
// xFeM1 = x - Q/2 and xMgM2 = 1 - x - Q/2 are positive only for |Q| < 0.4.
class OrderStates : public ::testing::Test {
protected:
    void SetUp() override
    {
        axtest::initrun();
        runio::seedrandom(true);
        axtest::readax(axtest::exampleax());
        for (int k = 1; k <= ph.nss; ++k)
            if (ph.prec1[k].name == "opx") opx = k;
        ASSERT_NE(opx, 0);
    }
    XyzVar& var(int v) { return ph.prec1[opx].var[v]; }
    axtest::ScratchDir dir;
    int opx = 0;
};

TEST_F(OrderStates, ALegalStartIsKept)
{
    bool startillegal = true;
    EXPECT_TRUE(findlegalq(opx, false, startillegal, 10.0, 900.0));
    EXPECT_FALSE(startillegal);
    EXPECT_DOUBLE_EQ(var(1).guess, 0.2);
    EXPECT_DOUBLE_EQ(var(2).guess, 0.1);
}

TEST_F(OrderStates, AnIllegalStartIsReplacedByARandomLegalOne)
{
    var(2).guess = 0.9;
    ASSERT_FALSE(legalcomp(opx));
    bool startillegal = false;
    EXPECT_TRUE(findlegalq(opx, false, startillegal, 10.0, 900.0));
    EXPECT_TRUE(startillegal);
    EXPECT_TRUE(legalcomp(opx));
    EXPECT_LT(std::fabs(var(2).guess), 0.4);
    EXPECT_DOUBLE_EQ(var(1).guess, 0.2);   // compositional variables stay
}

TEST_F(OrderStates, AZeroWidthRangeNeverBecomesLegal)
{
    var(2).guess = 0.9;
    var(2).lower = var(2).upper = 0.9;
    bool startillegal = false;
    EXPECT_FALSE(findlegalq(opx, false, startillegal, 10.0, 900.0));
    EXPECT_TRUE(startillegal);
    EXPECT_DOUBLE_EQ(var(2).guess, 0.9);
}

TEST_F(OrderStates, OnlyPhasesWithOrderVariables)
{
    const auto o = axtest::runchild([] {
        bool startillegal;
        findlegalq(1, false, startillegal, 10.0, 900.0);   // the olivine
    });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.bombed, "findlegalq : not an odd phase");
}

TEST_F(OrderStates, SolvingForTheStateOfOrderIsNotAvailableYet)
{
    const int k = opx;
    const auto o = axtest::runchild([k] {
        bool startillegal;
        findlegalq(k, true, startillegal, 10.0, 900.0);
    });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.bombed, "calcq : solving for the state of order of opx is not available yet");
}

}  // namespace
