// The script file reader: logical lines, the keyword and its switch word, info
// items, unrecognised keywords and the problems question, the reopening of the
// file on later passes and the reset of every setting on each pass.
#include "scriptfixture.h"

using namespace runio;
using namespace script;
using scripttest::mandatory;

namespace {

class ScriptReader : public scripttest::ScriptTest {};

TEST_F(ScriptReader, ContinuedLineJoinsPhysicalLines)
{
    readscript(mandatory + "with g \\\n  bi mu \\\nq\n");
    EXPECT_EQ(scripttabs.nwith, 4);
    EXPECT_EQ(scripttabs.withnames[4], "q");
    EXPECT_EQ(prefs.nunrecognised, 0);
}

TEST_F(ScriptReader, EmptyLineEndsAContinuedLine)
{
    // "zo" stands on a line of its own after the empty line: an unknown keyword.
    readscript(mandatory + "with g bi \\\n\nzo\n", "no\n");
    EXPECT_EQ(scripttabs.nwith, 2);
    EXPECT_EQ(prefs.nunrecognised, 1);
}

TEST_F(ScriptReader, BackslashOnTheLastLineEndsTheLine)
{
    // Without and with a final line end: the end of the file ends the line.
    readscript(mandatory + "with g bi \\");
    EXPECT_EQ(scripttabs.nwith, 2);
    readscript(mandatory + "with g bi \\\n");
    EXPECT_EQ(scripttabs.nwith, 2);
}

TEST_F(ScriptReader, CommentsAndWordsWithPercent)
{
    readscript(mandatory + "with g bi % mu q\n");
    EXPECT_EQ(scripttabs.nwith, 2);
    readscript(mandatory + "with g 10% bi\n");
    EXPECT_EQ(scripttabs.nwith, 3);
    EXPECT_EQ(scripttabs.withnames[2], "10%");
}

TEST_F(ScriptReader, StarEndsTheScript)
{
    readscript(mandatory + "* the rest is notes\nCalcp 1 10\n");
    EXPECT_EQ(prefs.nunrecognised, 0);
    EXPECT_FALSE(files.scriptopen);
}

TEST_F(ScriptReader, UnrecognisedKeywordIsCountedAndQuestioned)
{
    readscript(mandatory + "Calcp 1 10\ncalcP 2 9\n", "no\n");
    EXPECT_EQ(prefs.nunrecognised, 1);
    EXPECT_EQ(scriptset.calcP, 0);   // reading went on
    EXPECT_DOUBLE_EQ(calcwindows::win.plow, 2.0);
    const std::string lg = log();
    EXPECT_NE(lg.find("\nCalcp unrecognised\n"), std::string::npos);
    EXPECT_NE(lg.find("\nthere are script problems listed immediately above:\nexit, and correct the scriptfile ? no\n"),
              std::string::npos);
}

TEST_F(ScriptReader, YesToTheProblemsQuestionEndsTheRun)
{
    std::fflush(nullptr);
    EXPECT_EXIT(
        {
            dup2(2, 1);
            readscript(mandatory + "Calcp 1 10\n", "y\n");
        },
        ::testing::ExitedWithCode(0), "-- run killed --");
}

TEST_F(ScriptReader, SwitchWords)
{
    readscript(mandatory + "autoexit no\n");
    EXPECT_FALSE(scriptset.autoexit);
    readscript(mandatory + "autoexit maybe\n");
    EXPECT_TRUE(scriptset.autoexit);
    EXPECT_TRUE(prefs.bombautoexit);
    EXPECT_EQ(scriptinfo.ninfo, 1);
    EXPECT_EQ(scriptinfo.infotext[1], "maybe");
    EXPECT_EQ(scriptinfo.infokind[1], 4);
}

TEST_F(ScriptReader, InfoItemsAreTyped)
{
    readscript(mandatory + "with g 7 -2.5 1/4 40000\n");
    const ScriptInfo& si = scriptinfo;
    ASSERT_EQ(si.ninfo, 5);
    EXPECT_EQ(si.infokind[2], 1);
    EXPECT_EQ(si.infoint[2], 7);
    EXPECT_EQ(si.infokind[3], 2);
    EXPECT_DOUBLE_EQ(si.inforeal[3], -2.5);
    EXPECT_EQ(si.infokind[4], 3);
    EXPECT_DOUBLE_EQ(si.inforeal[4], 0.25);
    // Too large for an integer: kept as a real.
    EXPECT_EQ(si.infokind[5], 1);
    EXPECT_EQ(si.infoint[5], 0);
    EXPECT_DOUBLE_EQ(si.inforeal[5], 40000.0);
}

std::string names(int n)
{
    std::string s;
    for (int i = 1; i <= n; ++i) s += " p" + std::to_string(i);
    return s;
}

TEST_F(ScriptReader, FortyItemsAreAcceptedFortyOneAreFatal)
{
    readscript(mandatory + "with" + names(40) + "\n");
    EXPECT_EQ(scripttabs.nwith, 40);
    EXPECT_BOMB(readscript(mandatory + "with" + names(41) + "\n"),
                "-- run bombed in reading script for with : too much info");
}

TEST_F(ScriptReader, FortyNinePhysicalLinesAtMost)
{
    // 49 lines are gathered (and then hold too many items for one keyword);
    // a 50th physical line is fatal even when it does not continue.
    std::string lines = "with";
    for (int i = 1; i <= 48; ++i) lines += " p \\\n";
    EXPECT_BOMB(readscript(mandatory + lines + "q\n"), "-- run bombed in reading script for with : too much info");
    lines = "with";
    for (int i = 1; i <= 49; ++i) lines += " p \\\n";
    EXPECT_BOMB(readscript(mandatory + lines + "q\n"), "-- run bombed in readcontrol : multiline gone berko");
}

TEST_F(ScriptReader, FourHundredWordsInALogicalLineAtMost)
{
    std::string lines = "with";
    for (int i = 1; i <= 10; ++i) lines += names(40) + " \\\n";
    EXPECT_BOMB(readscript(mandatory + lines + "q\n"),
                "-- run bombed in readcontrol : too many strings in a multiline");
}

TEST_F(ScriptReader, NumberThatDoesNotConvertIsTheUsersError)
{
    // 1e+5 is shaped like a real but the number reader refuses the "+".
    std::fflush(nullptr);
    EXPECT_EXIT(
        {
            dup2(2, 1);
            readscript(mandatory + "calcP 1e+5\n");
        },
        ::testing::ExitedWithCode(1), "-- run bombed in reading script for calcP : number is not a number\n\n\n$");
}

TEST_F(ScriptReader, StrictScriptingMakesLaterProblemsFatal)
{
    readscript(mandatory + "debuglevel 7\nstrictscripting\n", "no\n");
    EXPECT_EQ(scriptflags.debuglevel, 1);
    EXPECT_EQ(prefs.nunrecognised, 1);
    const std::string lg = log();
    EXPECT_NE(lg.find("\nfor debuglevel, info given is \"7\", but limits are 0 to 5\nan integer will be prompted for\n"),
              std::string::npos);
    EXPECT_BOMB(readscript(mandatory + "strictscripting\ndebuglevel 7\n"),
                "-- run bombed in reading script for debuglevel : integer inappropriate");
}

TEST_F(ScriptReader, SecondPassAsksForTheSameScriptFile)
{
    scripttest::writefile("pm-t.txt", mandatory + "with g bi\n");
    scripttest::writefile("pm-t2.txt", mandatory + "with g\n");
    prefs.prefsscriptsuffix.clear();
    files.scriptsuffix = "t";
    files.scriptopen = false;
    run.runno = 2;
    answers("y\n");
    readscripts();
    EXPECT_EQ(scripttabs.nwith, 2);
    EXPECT_EQ(files.scriptname, "pm-t.txt");
    EXPECT_NE(log().find("use same script file? : y\n"), std::string::npos);
    // "yes" is not one of the replies that keep the file.
    answers("yes\nt2\n");
    readscripts();
    EXPECT_EQ(scripttabs.nwith, 1);
    EXPECT_EQ(files.scriptname, "pm-t2.txt");
    EXPECT_NE(log().find("suffix to name for script info datafile : t2\n"), std::string::npos);
}

TEST_F(ScriptReader, ScriptSuffixFromThePreferencesIsNotAskedFor)
{
    scripttest::writefile("pm-t.txt", mandatory + "isopleth x(g) y(g)\n");
    run.runno = 2;
    readscripts();
    EXPECT_EQ(scriptset.isoname2, "y(g)");
    // The next pass reads the edited file from the defaults.
    scripttest::writefile("pm-t.txt", mandatory + "isopleth x(g)\n");
    run.runno = 3;
    readscripts();
    EXPECT_EQ(scriptset.isoname, "x(g)");
    EXPECT_EQ(scriptset.isoname2, "");
    EXPECT_EQ(log().find("use same script file?"), std::string::npos);
}

TEST_F(ScriptReader, DefaultsOfAnEmptyScript)
{
    // In the dataset fit nothing is mandatory, so "*" alone is a whole script.
    run.calcmode = 5;
    readscript("*\n");
    const ScriptSet& s = scriptset;
    EXPECT_EQ(s.calcTatP, 2);
    EXPECT_EQ(s.modeiso, 2);
    EXPECT_EQ(s.dataok, 2);
    EXPECT_EQ(s.bulksubrange, 2);
    EXPECT_EQ(s.calctatp2, 0);
    EXPECT_EQ(s.defsdaparams, 0);
    EXPECT_EQ(s.usedefsda, 0);
    EXPECT_EQ(s.acceptvar, 0);
    EXPECT_EQ(s.printxyz, 0);
    EXPECT_EQ(s.plotixsw, 0);
    EXPECT_EQ(s.projcomp, 0);
    EXPECT_EQ(s.zeromodeiso, 0);
    EXPECT_EQ(s.mcoutcurrentway, 0);
    EXPECT_EQ(scriptflags.debuglevel, 1);
    EXPECT_DOUBLE_EQ(scripttabs.ptguessp, -101.0);
    // No batch line: one implicit batch, no Monte Carlo.
    EXPECT_EQ(batches.nbatch, 1);
    EXPECT_EQ(s.batchsw, 1);
    EXPECT_EQ(s.mc, 1);
    EXPECT_DOUBLE_EQ(mcs.mcit, 1.0);
    EXPECT_EQ(batches.batchmap[1], 1);
    EXPECT_FALSE(files.scriptopen);
}

TEST_F(ScriptReader, FitChosenAtTheMenuNeedsNoMandatoryKeyword)
{
    // "kalfit" typed at the menu leaves the preferences' mode unset.
    prefs.prefscalcmode = -1;
    run.calcmode = 5;
    readscript("calcP 1 10\n");
    EXPECT_EQ(scripttabs.nmissingscripts, 0);
    EXPECT_EQ(scriptset.calcP, 0);
}

}  // namespace
