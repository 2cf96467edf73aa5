// Prompts and replies: re-asks, log echoes, yes/no rules and word lists read
// from files, with standard input fed from a scratch file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include "harness.h"
#include "runio/runio.h"

namespace {

using pmtest::filecontents;

// Standard input comes from the given text; the log is a scratch file and the screen is off.
struct PromptFixture : testing::Test {
    std::FILE* log = nullptr;
    std::FILE* in = nullptr;
    int savedstdin = -1;
    void feed(const std::string& text)
    {
        in = std::tmpfile();
        std::fputs(text.c_str(), in);
        std::rewind(in);
        std::clearerr(stdin);
        savedstdin = dup(0);
        dup2(fileno(in), 0);
        std::fseek(stdin, 0, SEEK_SET);
        std::clearerr(stdin);
    }
    void SetUp() override
    {
        log = std::tmpfile();
        runio::chans = runio::Channels{};
        runio::chans.file[runio::chlog] = log;
        runio::chans.chanset = runio::mlog;
    }
    void TearDown() override
    {
        if (savedstdin >= 0) {
            dup2(savedstdin, 0);
            close(savedstdin);
            std::clearerr(stdin);
        }
        runio::chans = runio::Channels{};
        std::fclose(log);
        if (in) std::fclose(in);
    }
};

}  // namespace

TEST_F(PromptFixture, EchoesOfRepliesInTheLog)
{
    feed("\nalpha\n  one two   three\n");
    runio::Words w;
    runio::promptstrings("first", w);
    EXPECT_EQ(w.n, 0);
    runio::promptstrings("second", w);
    EXPECT_EQ(w.n, 1);
    runio::promptstrings("third", w);
    EXPECT_EQ(w.n, 3);
    EXPECT_EQ(filecontents(log), "first : (nothing input)\nsecond : alpha\nthird :  one two three \n");
}

TEST_F(PromptFixture, BackspaceEditing)
{
    feed("ab\bc\n\bx\n");
    std::string word;
    runio::promptstring("w", word);
    EXPECT_EQ(word, "ac");
    runio::promptstring("w", word);
    EXPECT_EQ(word, "x");
}

TEST_F(PromptFixture, RealPromptReasksWithTheConversionMessage)
{
    feed("abc\n\n2.5 ignored\n");
    double x = 0;
    EXPECT_TRUE(runio::promptreal("value", x));
    EXPECT_EQ(x, 2.5);
    EXPECT_EQ(filecontents(log), "value : abc\nabc not a real: replace with : (nothing input)\n  :  2.5 ignored \n");
}

TEST_F(PromptFixture, IntegerPrompt)
{
    feed("2.5\n40000\n12\n");
    int n = 0;
    runio::promptinteger("count", n);
    EXPECT_EQ(n, 12);
    EXPECT_EQ(filecontents(log),
              "count : 2.5\n2.5 not an integer: replace with : 40000\n40000 too large: replace with : 12\n");
}

TEST_F(PromptFixture, ListOfRealsCollectsOverSeveralReplies)
{
    feed("1 2\n\n3 99\n");
    runio::Arr<double, runio::maxwords + 1> v{};
    int n = 3;
    runio::promptreals("three values", v, n);
    EXPECT_EQ(v[1], 1.0);
    EXPECT_EQ(v[2], 2.0);
    EXPECT_EQ(v[3], 3.0);
}

TEST_F(PromptFixture, ListOfRealsReplacesABadWord)
{
    feed("1 x\n7\n");
    runio::Arr<double, runio::maxwords + 1> v{};
    int n = 0;
    runio::promptreals("values", v, n);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(v[2], 7.0);
}

TEST_F(PromptFixture, ListOfRealsMayBeEmpty)
{
    feed("\n");
    runio::Arr<double, runio::maxwords + 1> v{};
    int n = 0;
    runio::promptreals("none", v, n);
    EXPECT_EQ(n, 0);
}

TEST_F(PromptFixture, QueryAnswers)
{
    feed("\n y \nY\nno\nok\n?\nyes\n ?\n");
    EXPECT_TRUE(runio::query("a"));
    EXPECT_TRUE(runio::query("b"));
    EXPECT_TRUE(runio::query("c"));
    EXPECT_FALSE(runio::query("d"));
    EXPECT_FALSE(runio::query("e"));   // "ok" is only for questions the script left open
    EXPECT_TRUE(runio::query("f"));    // help, then yes
    EXPECT_FALSE(runio::query("g"));   // a blank before "?" gets no help
    EXPECT_EQ(filecontents(log), "a ? yes\nb ? yes\nc ? yes\nd ? no\ne ? no\n"
                             "f ? \nsorry, you are on your own...\n\nf ? yes\ng ? no\n");
}

TEST_F(PromptFixture, ScriptControlledQuestions)
{
    feed("ok\nY\n");
    int sw = 2;
    runio::promptcontrol("use it", sw);
    EXPECT_EQ(sw, 0);
    runio::promptcontrol("use it", sw);   // answered once: asked no more
    EXPECT_EQ(sw, 0);
    sw = 2;
    runio::promptcontrol("again", sw);
    EXPECT_EQ(sw, 1);
    sw = 1;
    runio::promptcontrol("never", sw);
    EXPECT_EQ(sw, 1);
    EXPECT_EQ(filecontents(log), "use it ? yes\nagain ? no\n");
}

TEST(ReplyWords, KillIsTheWholeWord)
{
    EXPECT_TRUE(runio::iskill("kill"));
    EXPECT_TRUE(runio::iskill(" \tkill  "));
    EXPECT_FALSE(runio::iskill("Kill"));
    EXPECT_FALSE(runio::iskill("kil"));
    EXPECT_FALSE(runio::iskill("kills"));
    EXPECT_FALSE(runio::iskill("kill it"));
}

TEST(ReplyWords, YesNoAskAfterAKeyword)
{
    runio::Words w;
    int sw, used;
    runio::string2strings("dsfile 62", 9, w);
    runio::yesnoask(w, sw, used);
    EXPECT_EQ(sw * 10 + used, 1);
    runio::string2strings("dsfile yes 62", 13, w);
    runio::yesnoask(w, sw, used);
    EXPECT_EQ(sw * 10 + used, 2);
    runio::string2strings("dsfile no", 9, w);
    runio::yesnoask(w, sw, used);
    EXPECT_EQ(sw * 10 + used, 12);
    runio::string2strings("dsfile ask", 10, w);
    runio::yesnoask(w, sw, used);
    EXPECT_EQ(sw * 10 + used, 22);
}

TEST(FileWords, CommentsDroppedOnRequest)
{
    char name[] = "/tmp/pmwordsXXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    const std::string text = "a b % c\na b % c\n" + std::string(300, 'x') + "\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
    runio::TextFile tf;
    ASSERT_TRUE(runio::openread(tf, name));
    runio::Words w;
    runio::readwords(tf, w, true);
    EXPECT_EQ(w.n, 2);
    runio::readwords(tf, w, false);
    EXPECT_EQ(w.n, 4);
    // a line longer than 255 characters is refused, not cut
    EXPECT_EXIT(runio::readwords(tf, w, false), testing::ExitedWithCode(1), "");
    runio::closeread(tf);
    std::remove(name);
}

TEST(FileNumbers, NumbersAcrossLineEnds)
{
    char name[] = "/tmp/pmnumsXXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    const std::string text = "  1.5\n\n -2e+03 7\nword\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
    runio::TextFile tf;
    ASSERT_TRUE(runio::openread(tf, name));
    double x;
    std::string w;
    ASSERT_TRUE(runio::readnumber(tf, x, w));
    EXPECT_EQ(x, 1.5);
    ASSERT_TRUE(runio::readnumber(tf, x, w));
    EXPECT_EQ(x, -2000.0);
    ASSERT_TRUE(runio::readnumber(tf, x, w));
    EXPECT_EQ(x, 7.0);
    runio::skipline(tf);
    EXPECT_FALSE(runio::readnumber(tf, x, w));
    EXPECT_EQ(w, "word");
    EXPECT_FALSE(runio::readnumber(tf, x, w));
    EXPECT_EQ(w, "");
    EXPECT_TRUE(runio::atend(tf));
    runio::closeread(tf);
    std::remove(name);
}
