// Reaction lists by null space: the reactions, their divisors and the texts
// written to the drawing-program, output and intermediate-results files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "calcwindows/calcwindows.h"
#include "harness/bombcheck.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"
#include "script/script.h"

namespace {

using thermodata::comps;
using thermodata::ems;

struct EndMember {
    std::string name;
    std::vector<int> amounts;   // per component
    int code = 1;
};

void setsystem(const std::vector<std::string>& components, const std::vector<EndMember>& endmembers)
{
    comps.c.assign(thermodata::maxcomp + 1, {});
    comps.ncomp = static_cast<int>(components.size());
    for (int i = 1; i <= comps.ncomp; ++i) {
        comps.compname[i] = components[i - 1];
        comps.compmult[i] = 1;
    }
    ems.nem = static_cast<int>(endmembers.size());
    for (int j = 1; j <= ems.nem; ++j) {
        const EndMember& e = endmembers[j - 1];
        ems.emname[j] = e.name;
        ems.emcode[j] = e.code;
        for (int i = 1; i <= comps.ncomp; ++i) comps.c[i][j] = e.amounts[i - 1];
    }
    calcwindows::rxns.r.assign(calcwindows::maxrxn + 1, {});
    calcwindows::rxns.nrxn = 99;
}

// Channels 2 (output), 4 (intermediate results) and 6 (drawing program) go to
// temporary files for the test; their contents are read back at the end.
class ReactionLists : public ::testing::Test {
protected:
    static constexpr int channels[3] = {runio::chout, runio::chic, runio::chpx};

    void SetUp() override
    {
        script::initscripts();
        for (int k : channels) {
            runio::chans.file[k] = std::tmpfile();
            runio::chans.chanset |= 1u << k;
        }
    }
    void TearDown() override
    {
        for (int k : channels) {
            std::fclose(runio::chans.file[k]);
            runio::chans.file[k] = nullptr;
            runio::chans.chanset &= ~(1u << k);
        }
    }
    static std::string contents(int k)
    {
        std::FILE* f = runio::chans.file[k];
        std::fflush(f);
        std::rewind(f);
        std::string s;
        for (int ch = std::fgetc(f); ch != EOF; ch = std::fgetc(f)) s.push_back(static_cast<char>(ch));
        return s;
    }
};

void olivinepyroxenequartz()
{
    setsystem({"MgO", "FeO", "SiO2"}, {{"fo", {2, 0, 1}}, {"fa", {0, 2, 1}}, {"en", {2, 0, 2}},
                                       {"fs", {0, 2, 2}}, {"q", {0, 0, 1}}});
}

TEST_F(ReactionLists, BraceListsForTheDrawingProgram)
{
    olivinepyroxenequartz();
    runio::scriptset.incnler = 0;
    bool any = false;
    calcwindows::writereactionlists(any);
    EXPECT_TRUE(any);
    ASSERT_EQ(calcwindows::rxns.nrxn, 2);
    // fo + q = en moves 3 formula units: 3/2 rounds to the even 2;
    // fo + fs = fa + en moves 4: 2.
    EXPECT_EQ(calcwindows::rxns.rxndiv[1], 2);
    EXPECT_EQ(calcwindows::rxns.rxndiv[2], 2);
    EXPECT_EQ(contents(runio::chpx),
              "\n\n"
              "name = {\"fo\",\"fa\",\"en\",\"fs\",\"q\"};\n\n"
              "c =   {{  2,   0,   1},\n"
              "       {  0,   2,   1},\n"
              "       {  2,   0,   2},\n"
              "       {  0,   2,   2},\n"
              "       {  0,   0,   1}};\n\n"
              "div =  {  1,   1,   1};\n\n"
              "(*   fo   fa   en   fs    q   *)\n\n"
              "re = {{  1,   0,  -1,   0,   1},\n"
              "      {  1,  -1,  -1,   1,   0}};\n\n");
    EXPECT_EQ(contents(runio::chout), "");
    EXPECT_EQ(contents(runio::chic), "");
}

TEST_F(ReactionLists, WithoutTheSwitchReactionsAreFormedButNotListed)
{
    olivinepyroxenequartz();
    bool any = false;
    calcwindows::writereactionlists(any);
    EXPECT_TRUE(any);
    EXPECT_EQ(calcwindows::rxns.nrxn, 2);
    EXPECT_EQ(contents(runio::chpx), "");
}

TEST_F(ReactionLists, DivisorsWeighTheCodes)
{
    // SiO2, MgO, H2O: 2 ta = 3 en + 2 q + 2 H2O moves 9 units: 4.5 rounds to
    // the even 4. With talc's code 3 the sum is 3·2 + 3 + 2 + 2 = 13: 6.5 -> 6.
    setsystem({"SiO2", "MgO", "H2O"}, {{"ta", {4, 3, 1}}, {"en", {2, 2, 0}}, {"q", {1, 0, 0}}, {"H2O", {0, 0, 1}}});
    bool any = false;
    calcwindows::writereactionlists(any);
    ASSERT_EQ(calcwindows::rxns.nrxn, 1);
    EXPECT_EQ(calcwindows::rxns.rxndiv[1], 4);
    ems.emcode[1] = 3;
    calcwindows::writereactionlists(any);
    EXPECT_EQ(calcwindows::rxns.rxndiv[1], 6);

    // A = B with codes 1: 1; 2 A = B: 3/2 -> 2; an end-member with no
    // component alone: 1/2 rounds to 0, held at 1.
    setsystem({"SiO2"}, {{"A", {1}}, {"B", {1}}});
    calcwindows::writereactionlists(any);
    EXPECT_EQ(calcwindows::rxns.rxndiv[1], 1);
    setsystem({"SiO2"}, {{"A", {2}}, {"B", {1}}});
    calcwindows::writereactionlists(any);
    EXPECT_EQ(calcwindows::rxns.r[1][1], -1);
    EXPECT_EQ(calcwindows::rxns.r[1][2], 2);
    EXPECT_EQ(calcwindows::rxns.rxndiv[1], 2);
    setsystem({"SiO2", "MgO"}, {{"A", {1, 1}}, {"B", {0, 0}}});
    calcwindows::writereactionlists(any);
    ASSERT_EQ(calcwindows::rxns.nrxn, 1);
    EXPECT_EQ(calcwindows::rxns.rxndiv[1], 1);
}

TEST_F(ReactionLists, IndependentSetGivesTheNoReactionsNotice)
{
    setsystem({"MgO", "SiO2"}, {{"fo", {2, 1}}, {"en", {2, 2}}});
    comps.compmult[2] = 2;
    bool any = true;
    calcwindows::writereactionlists(any);
    EXPECT_FALSE(any);
    EXPECT_EQ(calcwindows::rxns.nrxn, 0);
    EXPECT_EQ(contents(runio::chout),
              "\n** no reactions\n\n"
              "fo       2   1\n"
              "en       2   2\n"
              "\n"
              "   1   2\n");
    EXPECT_EQ(contents(runio::chic),
              "\n         MgO  SiO2\n"
              "fo         2     1\n"
              "en         2     2\n"
              "div        1     2\n\n"
              "c =   {{  2,   2},\n"
              "       {  1,   2}};\n\n");
    EXPECT_EQ(contents(runio::chpx), "");
}

TEST_F(ReactionLists, NothingIsWrittenWhileMinimisingGibbsEnergy)
{
    setsystem({"MgO", "SiO2"}, {{"fo", {2, 1}}, {"en", {2, 2}}});
    runio::scriptflags.dogminon = true;
    bool any = true;
    calcwindows::writereactionlists(any);
    runio::scriptflags.dogminon = false;
    EXPECT_FALSE(any);
    EXPECT_EQ(contents(runio::chout), "");
    EXPECT_EQ(contents(runio::chic), "");
}

TEST_F(ReactionLists, LongReactionRowIsCutAndMarked)
{
    // 70 end-members of one component: a reaction row of 70 entries of 5
    // columns passes 250 characters and is cut where the next entry would.
    std::vector<EndMember> many;
    for (int j = 1; j <= 70; ++j) many.push_back({"e" + std::to_string(j), {1}});
    setsystem({"SiO2"}, many);
    runio::scriptset.incnler = 0;
    bool any = false;
    calcwindows::writereactionlists(any);
    EXPECT_EQ(calcwindows::rxns.nrxn, 69);
    const std::string px = contents(runio::chpx);
    const std::size_t re = px.find("re = {{ -1, ");
    ASSERT_NE(re, std::string::npos);
    const std::string first = px.substr(re, px.find('\n', re) - re);
    EXPECT_EQ(first.back(), '\xA4');
    EXPECT_LE(first.size(), 251u);
}

}  // namespace
