// States of order of the example orthopyroxene (x(opx), Q(opx) with Mg-Fe
// order over M1 and M2; fs and fm made end-members): a legal start found by
// drawing Q alone, and the equilibrium state of order, checked by summing
// each internal reaction's G + RT ln K from the end-members' Gibbs energies
// and the phase's activities in the test; everything the solve borrows is
// given back as it was.
#include <cmath>

#include "assemblage.h"
#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace {

using asmtest::Assemblage;
using asmtest::rgas;
using axmodels::ph;
using calcwindows::calcq;
using calcwindows::findlegalq;
using thermodata::ems;

// xFeM1 = x - Q/2 and xMgM2 = 1 - x - Q/2 are positive only for |Q| < 0.4 at x = 0.2.
class OrderStates : public Assemblage {
protected:
    void SetUp() override
    {
        Assemblage::SetUp();
        runio::seedrandom(true);
        setup(asmtest::exampleax(), {"ol", "opx", "q"});
        opx = phaseno("opx");
        ASSERT_EQ(opx, 2);
    }
    axmodels::XyzVar& var(int v) { return ph.prec1[opx].var[v]; }
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
    ASSERT_FALSE(axmodels::legalcomp(opx));
    bool startillegal = false;
    EXPECT_TRUE(findlegalq(opx, false, startillegal, 10.0, 900.0));
    EXPECT_TRUE(startillegal);
    EXPECT_TRUE(axmodels::legalcomp(opx));
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
    EXPECT_FALSE(findlegalq(opx, true, startillegal, 10.0, 900.0));
}

TEST_F(OrderStates, TheInternalReactionIsAtEquilibrium)
{
    for (const auto& [p, t] : {std::pair{5.0, 800.0}, {15.0, 1000.0}, {30.0, 1300.0}}) {
        var(2).guess = 0.1;
        ASSERT_TRUE(calcq(opx, p, t)) << p;
        // en + fs = 2 fm among the phase's own end-members, in the test
        assemblage({"opx"});
        const double x[] = {0, var(1).guess, var(2).guess};
        axmodels::EmValues a{}, sda{};
        axmodels::calcemactivities(opx, x, a, sda, p, t);
        const int nu[] = {0, -1, -1, 2};
        double sum = 0.0;
        for (int j = 1; j <= 3; ++j) {
            double g;
            thermodata::gemmake(j, g, p, t);
            sum += nu[j] * (g + rgas * t * std::log(a[j]));
        }
        EXPECT_NEAR(sum, 0.0, 1e-8) << p << " " << t << " Q = " << x[2];
        EXPECT_NE(x[2], 0.1);
        EXPECT_EQ(x[1], 0.2);
    }
}

TEST_F(OrderStates, WhatTheSolveBorrowsIsGivenBack)
{
    assemblage({"ol", "opx", "q"});
    bool any;
    calcwindows::writereactionlists(any);
    for (int j = 1; j <= ems.nem; ++j) {
        ems.act[j] = 0.5 + 0.01 * j;
        ems.sdact[j] = 0.02 * j;
        ems.emcode[j] = 10 + j;
    }
    ems.emdsname[2] = "fa";
    const auto emname = ems.emname, emdsname = ems.emdsname;
    const auto act = ems.act, sdact = ems.sdact;
    const auto emcode = ems.emcode;
    const auto td = ems.td;
    const auto c = thermodata::comps.c;
    const auto r = thermodata::rxns.r;
    const auto rxndiv = thermodata::rxns.rxndiv;
    const int nem = ems.nem, nrxn = thermodata::rxns.nrxn, debug = runio::scriptflags.debuglevel;
    auto same = [&](const char* what) {
        EXPECT_EQ(ems.emname, emname) << what;
        EXPECT_EQ(ems.emdsname, emdsname) << what;
        EXPECT_EQ(ems.act, act) << what;
        EXPECT_EQ(ems.sdact, sdact) << what;
        EXPECT_EQ(ems.emcode, emcode) << what;
        EXPECT_EQ(ems.td, td) << what;
        EXPECT_EQ(thermodata::comps.c, c) << what;
        EXPECT_EQ(thermodata::rxns.r, r) << what;
        EXPECT_EQ(thermodata::rxns.rxndiv, rxndiv) << what;
        EXPECT_EQ(ems.nem, nem) << what;
        EXPECT_EQ(thermodata::rxns.nrxn, nrxn) << what;
        EXPECT_EQ(runio::scriptflags.debuglevel, debug) << what;
    };
    EXPECT_TRUE(calcq(opx, 10.0, 900.0));
    same("solved");
    // Q held to a sliver of its range: the solve runs into its edge
    var(2).guess = 0.0005;
    var(2).lower = 0.0;
    var(2).upper = 0.001;
    var(2).scale = 1000.0;
    var(2).offset = 0.0;
    var(2).typsize = 0.1;
    EXPECT_FALSE(calcq(opx, 10.0, 900.0));
    EXPECT_EQ(var(2).guess, 0.0005);
    same("not solved");
}

TEST_F(OrderStates, FatalErrors)
{
    auto o = asmtest::runchild([] { calcq(1, 10.0, 900.0); });
    EXPECT_EQ(o.bombed, "calcq : not an OD phase");
    o = asmtest::runchild([] {
        bool startillegal;
        findlegalq(1, false, startillegal, 10.0, 900.0);
    });
    EXPECT_EQ(o.bombed, "findlegalq : not an odd phase");
    var(1).isorder = true;   // two order variables, one internal reaction
    o = asmtest::runchild([&] { calcq(opx, 10.0, 900.0); });
    EXPECT_EQ(o.bombed, "calcq : no of reactions not equal to no of Qs");
}

TEST_F(OrderStates, RandomStartsUntilTheOrderIsSolved)
{
    var(2).guess = 0.9;
    bool startillegal = false;
    EXPECT_TRUE(findlegalq(opx, true, startillegal, 10.0, 900.0));
    EXPECT_TRUE(startillegal);
    EXPECT_TRUE(axmodels::legalcomp(opx));
    EXPECT_NE(var(2).guess, 0.9);
}

}  // namespace
