// The checks after the last line of the script file: mandatory keywords with
// their numbered paragraphs, script problems, Gibbs minimisation overrides and
// the merging of phase lists.
#include "scriptfixture.h"

using namespace runio;
using namespace script;

namespace {

class ScriptEnd : public scripttest::ScriptTest {};

TEST_F(ScriptEnd, MissingMandatoryScriptsAreNumbered)
{
    // No with and no pseudosection line in a mode-1 run.
    EXPECT_BOMB(readscript("axfile t\ndiagramPT 1 10 400 800\n"),
                "1\\) new in pm350, the \"with\" script is mandatory.*"
                "2\\) new in pm350, the \"pseudosection\" script is mandatory.*"
                "-- run bombed in reading scripts : add mandatory scripts to scriptfile");
    const std::string lg = log();
    EXPECT_EQ(lg.find("in addition"), std::string::npos);
    // The paragraphs are wrapped at 78 columns.
    EXPECT_NE(lg.find("\n1) new in pm350, the \"with\" script is mandatory, followed by the list of \n"
                      "phases for this run (or a set of runs). If the list is for a set of runs, the \n"),
              std::string::npos);
    EXPECT_NE(lg.find("-- run bombed in reading scripts : add mandatory scripts to scriptfile"), std::string::npos);
}

TEST_F(ScriptEnd, EveryMandatoryScriptWithTheDegreeSign)
{
    EXPECT_BOMB(readscript("diagramPT ask\n"), "4\\) new in pm350, the \"pseudosection\"");
    const std::string lg = log();
    EXPECT_NE(lg.find("1) new in pm350, the \"axfile\" script is mandatory"), std::string::npos);
    EXPECT_NE(lg.find("3) new in pm350, the \"diagramPT\" script is mandatory"), std::string::npos);
    EXPECT_NE(lg.find("in kbar and \xA1" "C. In the case of \na PT grid"), std::string::npos);
}

TEST_F(ScriptEnd, OtherProblemsBesideMissingScripts)
{
    EXPECT_BOMB(readscript("Calcp 1\naxfile t\ndiagramPT 1 10 400 800\npseudosection no\n"),
                "1\\) new in pm350, the \"with\".*"
                "in addition to the absence of the indicated mandatory script, there are other.*"
                "add mandatory scripts to scriptfile");
    EXPECT_BOMB(readscript("Calcp 1\n"), "in addition to the absence of the indicated mandatory scripts, there");
}

TEST_F(ScriptEnd, PseudosectionIsMandatoryOnlyInModeOneOfThePreferences)
{
    prefs.prefscalcmode = 2;
    run.calcmode = 2;
    readscript("axfile t\nwith g\ndiagramPT 1 10 400 800\n");
    EXPECT_EQ(scripttabs.nmissingscripts, 0);
}

TEST_F(ScriptEnd, GibbsMinimisationWithABulkRangeNeedsOneBulk)
{
    const std::string s = "axfile t\nwith g bi\ndiagramPT 1 10 400 800\npseudosection\ndogmin\n"
                          "bulk SiO2 CaO\nbulk 1 1\nbulk 1 3\n";
    EXPECT_BOMB(readscript(s), "with a bulk range, use the onebulk script\n"
                               "-- run bombed in read scripts : dogmin works on one bulk");
    readscript(s + "onebulk 0.5\n");
    EXPECT_EQ(scriptset.onebulk, 0);
    EXPECT_EQ(scriptset.inexcess0sw, 1);
}

TEST_F(ScriptEnd, PhasesToZeroJoinThePhasesInExcess)
{
    readscript(scripttest::mandatory + "inexcess q\ntozero ru q sph\n");
    ASSERT_EQ(scripttabs.nexcessnames, 3);
    EXPECT_EQ(scripttabs.excessnames[2], "ru");
    EXPECT_EQ(scripttabs.excessnames[3], "sph");
    // ... and all of them the with list g bi mu q.
    ASSERT_EQ(scripttabs.nwith, 6);
    EXPECT_EQ(scripttabs.withnames[5], "ru");
}

TEST_F(ScriptEnd, MergedExcessListOfTenAtMost)
{
    EXPECT_BOMB(readscript(scripttest::mandatory + "inexcess a b c d e f\ntozero g h i j k\n"),
                "-- run bombed in reading scripts : too many phases in excess together with those set to zero "
                "\\(max = 10\\)");
}

TEST_F(ScriptEnd, SetvarIsDroppedInAPseudosection)
{
    readscript("axfile t\nwith g\ndiagramPT 1 10 400 800\npseudosection\nsetvar 2\n");
    EXPECT_EQ(scriptset.setvar, 1);
    EXPECT_EQ(scriptset.acceptvar, 0);
    EXPECT_TRUE(scriptflags.modeswanted);
    readscript(scripttest::mandatory);
    EXPECT_FALSE(scriptflags.modeswanted);
    EXPECT_TRUE(prefs.axnamecheck);
}

TEST_F(ScriptEnd, KalfitSwitchesProjectionAndPseudosectionOff)
{
    readscript("axfile t\nwith g\ndiagramPT 1 10 400 800\npseudosection\nprojection\nkalfit\n");
    EXPECT_EQ(scriptset.projection, 1);
    EXPECT_FALSE(scriptflags.pseudosection);
}

}  // namespace
