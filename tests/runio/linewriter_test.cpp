// Fields, the line writer's channels and masks, and the screen cut.
#include <gtest/gtest.h>

#include <cstdio>

#include "harness.h"
#include "runio/runio.h"

namespace {

using pmtest::filecontents;

// Opens the output file and the log on scratch files; the screen stays as the test wants.
struct ChannelFixture : testing::Test {
    std::FILE* out = nullptr;
    std::FILE* log = nullptr;
    std::FILE* ic = nullptr;
    void SetUp() override
    {
        out = std::tmpfile();
        log = std::tmpfile();
        ic = std::tmpfile();
        runio::chans = runio::Channels{};
        runio::chans.file[runio::chout] = out;
        runio::chans.file[runio::chlog] = log;
        runio::chans.file[runio::chic] = ic;
        runio::chans.chanset = runio::mout | runio::mlog;
        runio::prefs = runio::Prefs{};
    }
    void TearDown() override
    {
        runio::chans = runio::Channels{};
        std::fclose(out);
        std::fclose(log);
        std::fclose(ic);
    }
};

}  // namespace

TEST(Fields, AlignmentAndWidth)
{
    std::string b;
    runio::addfield("ab", 5, b);
    EXPECT_EQ(b, "   ab");
    b = "x";
    runio::addfield("ab", -5, b);
    EXPECT_EQ(b, "xab   ");
    b = "x";
    runio::addfield("abcdef", 3, b);
    EXPECT_EQ(b, "xabcdef");   // never shortened
    b = "x";
    runio::addfield("abc", -3, b);
    runio::addfield("d", 0, b);
    EXPECT_EQ(b, "xabcd");
}

TEST(Fields, CutAtTwoHundredAndFifty)
{
    std::string b(249, 'a');
    runio::addfield("b", 0, b);
    EXPECT_EQ(b.size(), 250u);
    runio::addfield("c", 0, b);
    EXPECT_EQ(b.size(), 251u);
    EXPECT_EQ(b.back(), '\xA4');
    runio::addfield("d", 5, b);
    EXPECT_EQ(b.size(), 251u);   // a cut line takes nothing more
    std::string p(240, 'a');
    runio::addfield("12345", 15, p);   // padding is not counted against the cut
    EXPECT_EQ(p.size(), 255u);
    EXPECT_EQ(p.substr(245), "     12345");
}

TEST_F(ChannelFixture, MasksAndLineEnds)
{
    runio::putstr(0, "abc", 0, runio::msol);
    runio::putstr(0, "def", 1, runio::msol);
    runio::putstr(1, "x", 2, runio::msl);
    runio::putstr(5, "y", -1, runio::mout);
    runio::putstr(0, "none", 1, 2 | 512);
    EXPECT_EQ(filecontents(out), "abcdef\n\n\ny\n\n");
    EXPECT_EQ(filecontents(log), "abcdef\n\nx\n\n");
}

TEST_F(ChannelFixture, UsedFlagsOnlyForOpenChannels)
{
    runio::putstr(0, "line", 1, runio::mic);
    EXPECT_FALSE(runio::chans.chanused[runio::chic]);   // not open: nothing written, not used
    EXPECT_EQ(filecontents(ic), "");
    runio::chans.chanset |= runio::mic;
    runio::putstr(0, "", 0, runio::mic);
    EXPECT_TRUE(runio::chans.chanused[runio::chic]);    // even an empty line counts
}

TEST_F(ChannelFixture, ScreenCutAtPageWidth)
{
    runio::chans.chanset |= runio::mscreen;
    const std::string longline(100, 'z');
    testing::internal::CaptureStdout();
    runio::putstr(0, longline, 1, runio::msl);
    runio::putstr(0, std::string(78, 'w'), 1, runio::mscreen);
    runio::prefs.wrapscreen = false;
    runio::putstr(0, longline, 1, runio::mscreen);
    const std::string screen = testing::internal::GetCapturedStdout();
    EXPECT_EQ(screen, std::string(78, 'z') + "#\n" + std::string(78, 'w') + "\n" + longline + "\n");
    EXPECT_EQ(filecontents(log), longline + "\n");
}

TEST_F(ChannelFixture, SingleByteSignsReachFilesUnchanged)
{
    runio::putstr(0, "T = 10\xA1" "C \xA5 \xB5 \xC6 \xB3", 1, runio::msol);
    EXPECT_EQ(filecontents(log), "T = 10\xA1" "C \xA5 \xB5 \xC6 \xB3\n");
}
