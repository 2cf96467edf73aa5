// The reaction-set engine and the all-reactions search: the reactions of
// small systems worked by hand, balanced in every component by the test's
// own sums, the progress marks of the average P-T and all-reactions modes
// against each line's closed form, the Schreinemakers exclusions, and the
// limits.
#include <set>

#include "harness/bombcheck.h"
#include "rxnfixture.h"

namespace {

using namespace rxtest;
using calcwindows::CompFlags;
using calcwindows::EmFlags;

// Every reaction balances in every component.
void expectbalanced()
{
    for (int m = 1; m <= rxns.nrxn; ++m)
        for (int q = 1; q <= comps.ncomp; ++q) {
            long long sum = 0;
            for (int j = 1; j <= ems.nem; ++j) sum += rxns.r[m][j] * comps.c[q][j];
            EXPECT_EQ(sum, 0) << "reaction " << m << ", component " << q;
        }
}

std::vector<int> row(int m)
{
    std::vector<int> v;
    for (int j = 1; j <= ems.nem; ++j) v.push_back(rxns.r[m][j]);
    return v;
}

class Search : public RxnTest {
protected:
    bool result = false;
    void calcre() { calcwindows::calcre(result); }
};

TEST_F(Search, ModeZeroThreePhasesOfOneComponent)
{
    runio::run.calcmode = 0;
    setems({{"A", 0, 0.1, 0, 0, {1}}, {"B", 0, 0.1, 0, 0, {2}}, {"C", 0, 0.1, 0, 0, {3}}});
    ems.act[1] = 0.5;
    calcre();
    EXPECT_TRUE(result);
    ASSERT_EQ(rxns.nrxn, 3);
    // the subsets (A, B), (A, C), (B, C): 2A = B, 3A = C, 3B = 2C
    EXPECT_EQ(row(1), (std::vector<int>{2, -1, 0}));
    EXPECT_EQ(row(2), (std::vector<int>{3, 0, -1}));
    EXPECT_EQ(row(3), (std::vector<int>{0, 3, -2}));
    EXPECT_DOUBLE_EQ(rxns.lnk[1], 2.0 * std::log(0.5));
    EXPECT_EQ(rxns.lnk[3], 0.0);
    EXPECT_EQ(rxns.rxntext[3], "3)  2C = 3B");
    // no progress marks; an empty line in place of the exclusions
    EXPECT_EQ(logtext(), "\n\n\nno of reactions = 3\n");
}

TEST_F(Search, SubsetsHoldingAnEarlierReactionAreSkipped)
{
    runio::run.calcmode = 0;
    // 2A = D in component X alone; then X-Y, where (A, D, E) and (A, D, F)
    // hold it and would give it again
    setems({{"A", 0, 0.1, 0, 0, {1, 0}}, {"D", 0, 0.1, 0, 0, {2, 0}}, {"E", 0, 0.1, 0, 0, {1, 1}},
            {"F", 0, 0.1, 0, 0, {0, 1}}},
           2);
    calcre();
    ASSERT_EQ(rxns.nrxn, 3);
    EXPECT_EQ(row(1), (std::vector<int>{2, -1, 0, 0}));
    EXPECT_EQ(row(2), (std::vector<int>{-1, 0, 1, -1}));   // A + F = E
    EXPECT_EQ(rxns.r[3][1], 0);                            // among D, E and F
    expectbalanced();
}

TEST_F(Search, AHundredAndFiftyReactionsAreIncomplete)
{
    runio::run.calcmode = 0;
    std::vector<Em> many;
    for (int k = 1; k <= 18; ++k) many.push_back({"p" + std::to_string(k), 0, 0.1, 0});
    setems(many);   // 153 pairs
    calcre();
    EXPECT_FALSE(result);
    EXPECT_EQ(rxns.nrxn, 150);
    EXPECT_NE(logtext().find("\n\n\n*** INCOMPLETE set of reactions ***\n\nno of reactions = 150\n"),
              std::string::npos)
        << logtext();
}

// Al2O3 in the reaction system, H2O (counted in halves) in excess: "hh"
// holds half an H2O, the excess end-member H2O one.
class Excess : public Search {
protected:
    void SetUp() override
    {
        Search::SetUp();
        runio::run.calcmode = 0;
        setems({{"hh", 0, 0.1, 0, 0, {1, 1}}, {"cor", 0, 0.1, 0, 0, {1, 0}}, {"H2O", 0, 0.1, 0, 0, {0, 2}}}, 2);
        comps.ncomp0 = 1;
        comps.nemr = 2;
        comps.compmult[2] = 2;
        ems.ih2o = 3;
    }
};

TEST_F(Excess, DehydrationBalancedThroughTheFluid)
{
    calcre();
    ASSERT_EQ(rxns.nrxn, 1);
    // 2 hh = 2 cor + H2O: the coefficients doubled to balance the half
    EXPECT_EQ(row(1), (std::vector<int>{-2, 2, 1}));
    expectbalanced();
}

TEST_F(Excess, AnUnbalancedReactionStopsTheRun)
{
    comps.c[2][3] = 1;   // the fluid holding half an H2O: the set-up is at fault
    EXPECT_BOMB(
        {
            feed("\n");
            calcre();
        },
        "hh +2\n +cor +-2(.|\n)*in check \\? (.|\n)*-- run bombed in check : unbalanced");
}

TEST_F(Search, CoefficientsBeyondSixteenBitsStopTheRunNamingThePhases)
{
    runio::run.calcmode = 0;
    // 89102 A + 179703 B + 269401 C = 27000001 D, by Cramer's rule: the
    // determinant of A, B and C is 300^3 + 1
    setems({{"A", 0, 0.1, 0, 0, {300, 1, 0}},
            {"B", 0, 0.1, 0, 0, {0, 300, 1}},
            {"C", 0, 0.1, 0, 0, {1, 0, 300}},
            {"D", 0, 0.1, 0, 0, {1, 2, 3}}},
           3);
    EXPECT_BOMB(calcre(), "-- run bombed in findreactions : coefficients of the reaction among A B C D too large "
                          "to store \\(max = 32767\\)");
}

// Average P at 800 K over 1..10 kbar, sd at most 1 kbar: "far" never reaches
// a line, "bad" has an enthalpy uncertainty of 10 kJ.
class AveragePressure : public Search {
protected:
    void SetUp() override
    {
        Search::SetUp();
        runio::run.calcmode = 2;
        setems({{"far", -2000.0, 0.083, 4.41}, ky, sill, andal, {"bad", -2592.0, 0.090, 4.80}});
        for (int k = 1; k <= 5; ++k) ems.covat(k, k) = 0.01;
        ems.covat(5, 5) = 100.0;
        rsearch.rockcalc = 0;
        rsearch.maxsd = 1.0;
        ptwindow(1.0, 10.0, 800.0, 800.0);
        win.tcalc = 800.0;
    }
};

TEST_F(AveragePressure, MarksOfEachAttempt)
{
    // at 800 K: far-x never crosses (0); ky-sill and ky-and cross with sd
    // sqrt(0.02)/0.58 and sqrt(0.02)/0.74 kbar (X); ky-bad crosses at 9.2 kbar
    // with sd 25.6 (:); sill-and depends on the two kept (-); sill-bad and
    // and-bad stay below zero (0)
    for (auto [a, b] : {std::pair{2, 3}, {2, 4}, {2, 5}})
        ASSERT_FALSE(calcwindows::samesign(gem(system[a - 1], 1.0, 800.0) - gem(system[b - 1], 1.0, 800.0),
                                           gem(system[a - 1], 10.0, 800.0) - gem(system[b - 1], 10.0, 800.0)));
    testing::internal::CaptureStdout();
    calcre();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "  0.2\n  0.2\n");
    EXPECT_EQ(logtext(), "reactions : \n|0000XX:-00\nan INCOMPLETE independent set of reactions has been calculated\n");
    EXPECT_FALSE(result);
    EXPECT_TRUE(rsearch.incompleteset);
    ASSERT_EQ(rxns.nrxn, 2);
    EXPECT_EQ(row(1), (std::vector<int>{0, 1, -1, 0, 0}));
    EXPECT_EQ(row(2), (std::vector<int>{0, 1, 0, -1, 0}));
    // the phase sets follow the kept reactions, while every formed set is
    // kept for the exclusion of later subsets
    for (int m = 1; m <= 2; ++m)
        for (int j = 1; j <= 5; ++j) EXPECT_EQ(runio::BTst2(rxns.rxnphases[m], j), rxns.r[m][j] != 0);
    EXPECT_EQ(rsearch.nformed, 10);
    EXPECT_TRUE(runio::BTst2(rsearch.formed[1], 1));
}

TEST_F(AveragePressure, NotMuchProgressAfterFourHundredAttempts)
{
    std::vector<Em> many;
    for (int k = 1; k <= 30; ++k) many.push_back({"p" + std::to_string(k), -1000.0 - 10.0 * k, 0.1, 4.0});
    setems(many);   // 435 pairs, none of whose lines reaches the window
    feed("y\n");
    calcre();
    EXPECT_TRUE(result);
    std::string text = logtext();
    EXPECT_EQ(pmtest::countof(text, "not much progress : exitt ? "), 1);
    EXPECT_NE(text.find("|" + std::string(400, '0') + "not much progress"), std::string::npos);
    EXPECT_NE(text.find("\nno reactions\n"), std::string::npos);

    // declined, the search goes on to the end
    TearDown();
    SetUp();
    setems(many);
    feed("n\n");
    calcre();
    EXPECT_FALSE(result);
    text = logtext();
    EXPECT_EQ(pmtest::countof(text, "not much progress"), 1);
    EXPECT_EQ(pmtest::countof(text, "0"), 435);
}

TEST_F(Search, IndependentReactions)
{
    runio::run.calcmode = 2;
    std::vector<Em> many;
    for (int k = 1; k <= 22; ++k) many.push_back({"p" + std::to_string(k), 0, 0.1, 0});
    setems(many);
    auto chain = [&](int m) { addreaction({{m, 1}, {m + 1, -1}}); };
    chain(1);
    chain(2);
    EXPECT_TRUE(calcwindows::newindr());
    addreaction({{1, 1}, {3, -1}});   // the sum of the two
    rxns.nrxn = 1;
    EXPECT_TRUE(calcwindows::newindr());
    rxns.nrxn = 2;
    EXPECT_TRUE(calcwindows::newindr());
    rxns.nrxn = 3;
    EXPECT_FALSE(calcwindows::newindr());
    EXPECT_BOMB(
        {
            rxns.nrxn = 0;
            for (int m = 1; m <= 21; ++m) {
                chain(m);
                calcwindows::newindr();
            }
        },
        "-- run bombed in newindr : too many independent reactions\n");
}

TEST_F(Search, NotForPhaseDiagramsNorMoreThanNinetyEndMembers)
{
    runio::run.calcmode = 1;
    EXPECT_BOMB(calcre(), "-- run bombed in calcre : mode 1 sent to the wrong place");
    runio::run.calcmode = 0;
    setems(std::vector<Em>(91, {"p", 0, 0.1, 0}));
    EXPECT_BOMB(calcre(), "-- run bombed in calcre : too many end-members \\(max = 90\\)");
}

// All reactions over 1..10 kbar: "far" lies far above the aluminosilicates.
class AllReactions : public Search {
protected:
    void SetUp() override
    {
        Search::SetUp();
        runio::run.calcmode = 3;
        setems({ky, sill, andal, {"far", -2000.0, 0.083, 4.41}});
    }
};

TEST_F(AllReactions, LinesInTheWindowAndTheirIntersection)
{
    // 600..1100 K: each aluminosilicate line changes sign between corners
    ptwindow(1.0, 10.0, 600.0, 1100.0);
    calcre();
    EXPECT_TRUE(result);
    EXPECT_EQ(logtext(), "XX+X++\n\n\nno of reactions = 3\n");
    ASSERT_EQ(rxns.nrxn, 3);
    EXPECT_EQ(rxns.rxntext[1], "1)  sill = ky");
    EXPECT_EQ(rxns.rxntext[3], "3)  and = sill");
    EXPECT_EQ(rsearch.nptrxn, 1);
    EXPECT_EQ(rsearch.nptreactions[1], 3);

    // to 9 kbar and 700 K, and = sill stays above zero: two lines meet no point
    TearDown();
    SetUp();
    ptwindow(1.0, 9.0, 600.0, 700.0);
    ASSERT_GT(gem(sill, 9.0, 700.0) - gem(andal, 9.0, 700.0), 0.0);
    calcre();
    EXPECT_EQ(logtext(), "XX++++\n\n\nno of reactions = 2\n");
    EXPECT_EQ(rsearch.nptrxn, 0);
}

TEST_F(AllReactions, SchreinemakersAnalysisRulesOutTheMetastablePhase)
{
    win.allreactions = false;
    ptwindow(1.0, 10.0, 600.0, 1100.0);
    calcre();
    // far = ky lies below zero everywhere: far is metastable, and the
    // subsets holding it are not tried
    EXPECT_EQ(logtext(), "XX+X\nexcluded assemblages | far |\n\nno of reactions = 3, no of intersections = 1\n");
    EXPECT_EQ(ems.nexcl, 1);
    EXPECT_EQ(ems.exclem[1], 4);
}

// Metastable assemblages of several phases: A, B, F and A2 in X, Y and Z;
// H = A + B and G = A + B + F lie far below their reactants, as does A2
// below A.
class Assemblages : public Search {
protected:
    CompFlags compflags{};
    EmFlags usable{}, subset{};
    void SetUp() override
    {
        Search::SetUp();
        runio::run.calcmode = 3;
        win.allreactions = false;
        ptwindow(1.0, 10.0, 600.0, 1100.0);
        setems({{"A", 0, 0.01, 0, 0, {1, 0, 0}},
                {"B", 0, 0.01, 0, 0, {0, 1, 0}},
                {"F", 0, 0.01, 0, 0, {0, 0, 1}},
                {"G", -500, 0.01, 0, 0, {1, 1, 1}},
                {"H", -500, 0.01, 0, 0, {1, 1, 0}},
                {"A2", -500, 0.01, 0, 0, {1, 0, 0}}},
               3);
        usable.fill(true);
    }
    void attempt(const std::vector<int>& phases, const std::vector<int>& components)
    {
        compflags.fill(false);
        subset.fill(false);
        for (int q : components) compflags[q] = true;
        for (int j : phases) subset[j] = true;
        rsearch.rankc = static_cast<int>(phases.size()) - 1;
        calcwindows::findreactions(static_cast<int>(components.size()), compflags, usable, subset);
    }
    std::set<int> excluded(int e) const
    {
        std::set<int> s;
        for (int j = 1; j <= ems.nem; ++j)
            if (runio::BTst2(rsearch.exclass[e], j)) s.insert(j);
        return s;
    }
};

TEST_F(Assemblages, TheSmallerMetastableAssemblageRulesOutMore)
{
    attempt({1, 2, 3, 4}, {1, 2, 3});   // G = A + B + F: {A, B, F} metastable
    ASSERT_EQ(rsearch.nexclass, 1);
    EXPECT_EQ(excluded(1), (std::set<int>{1, 2, 3}));
    attempt({1, 2, 5}, {1, 2});         // H = A + B: {A, B} rules out more, and replaces it
    ASSERT_EQ(rsearch.nexclass, 1);
    EXPECT_EQ(excluded(1), (std::set<int>{1, 2}));
    attempt({1, 2, 3, 4}, {1, 2, 3});   // {A, B, F} again: nothing new
    EXPECT_EQ(rsearch.nexclass, 1);
    EXPECT_EQ(rxns.nrxn, 0);            // reactions outside the window are dropped
    attempt({1, 6}, {1});               // A2 = A: A alone, and {A, B} goes
    EXPECT_EQ(rsearch.nexclass, 0);
    EXPECT_EQ(ems.nexcl, 1);
    EXPECT_EQ(ems.exclem[1], 1);
    EXPECT_EQ(logtext(), "++-+");
}

}  // namespace
