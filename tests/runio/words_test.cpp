// Blank-delimited words, bit sets and heap accounting.
#include <gtest/gtest.h>

#include "runio/runio.h"

namespace {

void fillbitmask()
{
    for (int k = 0; k <= runio::maxbitel; ++k) runio::run.bitmask[k] = 1u << k;
}

}  // namespace

TEST(Words, BoundsAndTrim)
{
    int first, last;
    const std::string s = std::string("\t \xCA") + "ab ";
    runio::wordbounds(s, first, last);
    EXPECT_EQ(first, 4);
    EXPECT_EQ(last, 5);
    runio::wordbounds("", first, last);
    EXPECT_EQ(first + last, 0);
    runio::wordbounds(" \t", first, last);
    EXPECT_EQ(first + last, 0);
    EXPECT_EQ(runio::trim("\t a b\xCA"), "a b");
    EXPECT_EQ(runio::trim("   "), "");
    EXPECT_EQ(runio::spaces(3), "   ");
    EXPECT_EQ(runio::spaces(-2), "");
    EXPECT_EQ(runio::str22("abcdefghijklmnopqrstuvwxyz"), "abcdefghijklmnopqrstuv");
}

TEST(Words, SameWordTrimsBothWhenEqualLength)
{
    std::string a = " crd", b = "crd ";
    EXPECT_TRUE(runio::sameword(a, b));
    EXPECT_EQ(a, "crd");
    EXPECT_EQ(b, "crd");
    std::string c = "crd", d = "CRD";
    EXPECT_FALSE(runio::sameword(c, d));
    std::string e = "  ", f = "";
    EXPECT_TRUE(runio::sameword(e, f));
    std::string g = " ", h = "x";
    EXPECT_FALSE(runio::sameword(g, h));
    std::string i = " ab", j = "abc";
    EXPECT_FALSE(runio::sameword(i, j));
    EXPECT_EQ(i, " ab");   // different lengths leave both as they were
}

TEST(Words, PositionInList)
{
    const std::string list[] = {"", "q", "ky", "sill"};
    int pos;
    EXPECT_TRUE(runio::posinlist("ky", list, 3, pos));
    EXPECT_EQ(pos, 2);
    EXPECT_FALSE(runio::posinlist("and", list, 3, pos));
    EXPECT_EQ(pos, 0);
    EXPECT_FALSE(runio::posinlist("q", list, 0, pos));
}

TEST(Words, SplittingCutsLongWordsAndKeepsFourHundred)
{
    runio::Words w;
    runio::string2strings(std::string(30, 'x') + " \tb\xCA" + "c", 40, w);
    ASSERT_EQ(w.n, 3);
    EXPECT_EQ(w[1], std::string(22, 'x'));
    EXPECT_EQ(w[2], "b");
    EXPECT_EQ(w[3], "c");
    EXPECT_EQ(w[4], "");
    std::string line;
    for (int i = 0; i < 400; ++i) line += "w ";
    runio::string2strings(line, static_cast<int>(line.size()), w);
    EXPECT_EQ(w.n, 400);
    line += "extra";
    EXPECT_EXIT(runio::string2strings(line, static_cast<int>(line.size()), w), testing::ExitedWithCode(1), "");
}

TEST(BitSets, OneWordSets)
{
    fillbitmask();
    std::uint32_t s = 0;
    runio::BSet(s, 0);
    runio::BSet(s, 30);
    EXPECT_TRUE(runio::BTst(s, 30));
    EXPECT_TRUE(runio::BTst(s, 0));
    EXPECT_FALSE(runio::BTst(s, 5));
    EXPECT_FALSE(runio::BTst(s, 31));   // beyond the set: never a member
    EXPECT_EXIT(runio::BSet(s, 31), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(runio::BSet(s, -1), testing::ExitedWithCode(1), "");
    EXPECT_TRUE(runio::divides(0, 5));
    EXPECT_TRUE(runio::divides(5, 7));
    EXPECT_FALSE(runio::divides(2, 5));
    EXPECT_FALSE(runio::divides(9, 5));
}

TEST(BitSets, ThreeWordSets)
{
    fillbitmask();
    runio::BitSet3 s{};
    for (int k : {30, 31, 60, 61, 90}) runio::BSet2(s, k);
    EXPECT_EQ(s[1], 1u << 30);
    EXPECT_EQ(s[2], (1u << 1) | (1u << 30));
    EXPECT_EQ(s[3], (1u << 1) | (1u << 30));
    EXPECT_TRUE(runio::BTst2(s, 61));
    EXPECT_FALSE(runio::BTst2(s, 62));
    EXPECT_EXIT(runio::BSet2(s, 91), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(runio::BTst2(s, 91), testing::ExitedWithCode(1), "");
    runio::BitSet3 a{}, b{}, empty{};
    EXPECT_TRUE(runio::setsubset3(empty, empty));
    runio::BSet2(a, 5);
    EXPECT_FALSE(runio::setsubset3(a, empty));
    runio::BSet2(a, 40);
    for (int k : {5, 40, 70}) runio::BSet2(b, k);
    EXPECT_TRUE(runio::setsubset3(a, b));
    EXPECT_FALSE(runio::setsubset3(b, a));
    runio::BClr2(b);
    EXPECT_EQ(b[1] | b[2] | b[3], 0u);
}

TEST(HeapAccounting, SilentWithoutMonitorAndReportedWithIt)
{
    runio::run.heaptotal = 0;
    runio::prefs.heapmonitor = false;
    testing::internal::CaptureStdout();
    runio::heapalloc("cov", 1280000);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(runio::run.heaptotal, 1280000);
    runio::run.heaptotal = 0;
    runio::prefs.heapmonitor = true;
    testing::internal::CaptureStdout();
    runio::heapalloc("cov", 1280000);
    runio::heapfree("cov", 1280000);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "space allocated for cov is 1250k; , heap now 1250k\nspace disposed for cov; heap size now 0k\n");
    runio::prefs.heapmonitor = false;
}
