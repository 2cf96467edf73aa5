// The keywords of a phase-diagram, table, average-P-T or all-reactions run:
// what each stores, its defaults, its messages and its fatal errors.
#include <cmath>

#include "scriptfixture.h"

using namespace runio;
using namespace script;
using scripttest::mandatory;

namespace {

class ScriptKeywords : public scripttest::ScriptTest {
protected:
    void lines(const std::string& text, const std::string& replies = "no\n") { readscript(mandatory + text, replies); }
    bool logged(const std::string& text) { return log().find(text) != std::string::npos; }
};

// ---------------------------------------------------------------- run and windows

TEST_F(ScriptKeywords, VarianceRangeBelongsToGibbsMinimisation)
{
    lines("maxvar 4\n");
    EXPECT_EQ(scriptset.varrangesw, 1);
    lines("dogmin\nmaxvar 4\n");
    EXPECT_EQ(scriptset.varrangesw, 0);
    EXPECT_EQ(scripttabs.varrange.lowest, 2);
    EXPECT_EQ(scripttabs.varrange.highest, 4);
    lines("dogmin\nvarrange 1 5\n");
    EXPECT_EQ(scripttabs.varrange.lowest, 2);
    EXPECT_EQ(scripttabs.varrange.highest, 5);
    lines("dogmin\nvarrange 4 3\n");
    EXPECT_EQ(scripttabs.varrange.lowest, 4);
    EXPECT_EQ(scripttabs.varrange.highest, 4);
}

TEST_F(ScriptKeywords, GibbsMinimisationLevel)
{
    lines("dogmin yes 1\n");
    EXPECT_TRUE(scriptflags.dogminon);
    EXPECT_EQ(scriptflags.dogminlevel, 1);
    // dogmin forces a pseudosection and switches the isopleth outputs off.
    EXPECT_TRUE(scriptflags.pseudosection);
    EXPECT_EQ(scriptset.isopleth, 1);
    EXPECT_EQ(scriptflags.outlevel, 0);
    lines("dogmin no\n");
    EXPECT_FALSE(scriptflags.dogminon);
    EXPECT_EQ(scriptflags.dogminlevel, -1);
}

TEST_F(ScriptKeywords, LevelsAndSwitches)
{
    lines("debuglevel 3\ndebuglevelq 4\nfdaccess 2\noutlevel 0\nplotix 1\nmodebox ask\nsetvar 3\n");
    EXPECT_EQ(scriptflags.debuglevel, 3);
    EXPECT_EQ(scriptflags.debuglevelq, 4);
    EXPECT_EQ(scriptset.fdaccess, 2);
    EXPECT_EQ(scriptflags.outlevel, 0);
    EXPECT_EQ(scriptset.plotixcode, 1);
    EXPECT_EQ(scriptset.modebox, 0);
    EXPECT_EQ(scriptset.plotixsw, 1);   // modebox turns the drawing-program output off
    EXPECT_EQ(scriptset.setvar, 0);
    EXPECT_EQ(calcwindows::win.variance, 3);
    lines("setvar three\nptforaxe 5 600\ncalctatp\nlatex no\n");
    EXPECT_EQ(scriptset.setvar, 1);
    EXPECT_DOUBLE_EQ(scriptset.ptforaxep, 5.0);
    EXPECT_DOUBLE_EQ(scriptset.ptforaxet, 600.0);   // as written
    EXPECT_EQ(scriptset.calcTatP, 0);
    EXPECT_EQ(scriptset.latexsw, 1);
}

TEST_F(ScriptKeywords, AxFileSuffix)
{
    lines("axfile mb50\n");
    EXPECT_EQ(prefs.prefsaxsuffix, "mb50");
    EXPECT_BOMB(lines("axfile no\n"), "-- run bombed in reading scripts : add mandatory scripts to scriptfile");
}

// ---------------------------------------------------------------- activities, x(CO2), isopleths, projection

TEST_F(ScriptKeywords, XCO2RangeAndList)
{
    lines("calcx(CO2) 0.1 0.9 0.2\n");
    ASSERT_EQ(scriptset.nxco2values, 5);
    EXPECT_NEAR(scriptset.xco2list[5], 0.9, 1e-12);   // 0.1 + 4 x 0.2, rounding of the sum only
    lines("calcx(CO2) 0.1 0.95 0.2\n");
    ASSERT_EQ(scriptset.nxco2values, 6);
    EXPECT_DOUBLE_EQ(scriptset.xco2list[6], 0.95);
    lines("x(CO2)values 0.2 0.4 0.6\n");   // item 2 not above item 3: a list
    ASSERT_EQ(scriptset.nxco2values, 3);
    EXPECT_DOUBLE_EQ(scriptset.xco2list[3], 0.6);
    lines("calcx(CO2) 0 0.5 1 0.3\n");   // values outside (0, 1) are dropped
    ASSERT_EQ(scriptset.nxco2values, 2);
    EXPECT_DOUBLE_EQ(scriptset.xco2list[1], 0.5);
}

TEST_F(ScriptKeywords, XCO2RangeIsCappedAt101Values)
{
    lines("calcx(CO2) 0.001 0.999 0.001\n");
    ASSERT_EQ(scriptset.nxco2values, 101);
    EXPECT_NEAR(scriptset.xco2inc, 0.00998, 1e-15);   // (0.999 - 0.001) / 100
    EXPECT_NEAR(scriptset.xco2list[101], 0.999, 1e-12);
    // An increment so small that the step count passes any 16-bit integer.
    lines("calcx(CO2) 0.001 0.999 1e-9\n");
    EXPECT_EQ(scriptset.nxco2values, 101);
    EXPECT_NEAR(scriptset.xco2list[101], 0.999, 1e-12);
}

TEST_F(ScriptKeywords, XCO2Fatal)
{
    EXPECT_BOMB(lines("calcx(CO2) 0 1 1.5\n"), "x\\(CO2\\): list of values between 0 and 1 expected\n"
                                              "-- run bombed in reading scripts : values inappropriate");
    EXPECT_BOMB(lines("calcx(CO2) 0.5 0.9 0.6\n"), "-- run bombed in reading scripts : values inappropriate");
}

TEST_F(ScriptKeywords, Isopleths)
{
    lines("isopleth none\n");
    EXPECT_EQ(scriptset.isopleth, 1);
    lines("isopleth x(g) 0.1 0.5 0.1\n");
    EXPECT_EQ(scriptset.isoname, "x(g)");
    EXPECT_DOUBLE_EQ(scriptset.isolow, 0.1);
    EXPECT_DOUBLE_EQ(scriptset.isohigh, 0.5);
    EXPECT_DOUBLE_EQ(scriptset.isoinc, 0.1);
    lines("iso x(g) 0.3 y(bi) 0.4\n");
    EXPECT_EQ(scriptset.isoname2, "y(bi)");
    EXPECT_DOUBLE_EQ(scriptset.isolow2, 0.4);
    EXPECT_DOUBLE_EQ(scriptset.isohigh2, 0.4);
    lines("modeiso g 0 0.2 0.05 bi 0.1\n");
    EXPECT_EQ(scriptset.modeisoname2, "bi");
    EXPECT_DOUBLE_EQ(scriptset.modeisohigh, 0.2);
    EXPECT_DOUBLE_EQ(scriptset.modeisolow2, 0.1);
    lines("zeromodeiso g bi\n");
    EXPECT_EQ(scriptset.zeromodename2, "bi");
}

TEST_F(ScriptKeywords, IsoplethFatal)
{
    EXPECT_BOMB(lines("isopleth x(g) 0.1 0.5\n"),
                "isopleth info not recognised: just use isopleth name\\(s\\)\n"
                "and enter the isopleth information interactively\\?\n"
                "-- run bombed in reading scripts : isopleth info inappropriate");
    EXPECT_BOMB(lines("isopleth x(g) 0.1 0.5 0\n"),
                "isopleth: name, then low, high and increment expected, or one value\n"
                "-- run bombed in reading scripts : isopleth values inappropriate");
    EXPECT_BOMB(lines("modeiso g 0.5 0.1 0.1\n"), "-- run bombed in reading scripts : mode isopleth values inappropriate");
}

TEST_F(ScriptKeywords, SetActivities)
{
    lines("seta H2O 0.5\n", "y\n");
    ASSERT_EQ(scripttabs.nseta, 1);
    EXPECT_EQ(scripttabs.setaname[1], "H2O");
    EXPECT_DOUBLE_EQ(scripttabs.setaval[1], std::log(0.5));
    // A single word is a name with its value to be set.
    lines("seta H2O\n", "y\n");
    EXPECT_DOUBLE_EQ(scripttabs.setaval[1], 10.0);
    lines("seta H2O CO2 0.3\n", "y\n");
    ASSERT_EQ(scripttabs.nseta, 2);
    EXPECT_DOUBLE_EQ(scripttabs.setaval[1], 10.0);
    EXPECT_DOUBLE_EQ(scripttabs.setaval[2], std::log(0.3));
    lines("setlna H2O -0.7 CO2 -1\n", "y\n");
    EXPECT_DOUBLE_EQ(scripttabs.setaval[1], -0.7);
    EXPECT_TRUE(logged("do you want to continue? ? yes\n"));
    lines("mu O2 -400 H2\n", "y\n");
    ASSERT_EQ(scripttabs.nsetmu, 2);
    EXPECT_DOUBLE_EQ(scripttabs.setmuval[1], -400.0);
    EXPECT_DOUBLE_EQ(scripttabs.setmuval[2], 0.0);
}

TEST_F(ScriptKeywords, SetActivitiesOfSixNamesAtMost)
{
    lines("seta a 0.1 b c d e f g\n", "y\nno\n");
    EXPECT_EQ(scripttabs.nseta, 0);
    EXPECT_EQ(scriptset.seta, 1);
    EXPECT_TRUE(logged("\nfor seta, at most 6 names can be given, not 7\n"));
    lines("seta a 0.1 b c d e f\n", "y\n");
    EXPECT_EQ(scripttabs.nseta, 6);
    // An activity with no logarithm is refused too.
    lines("seta H2O 0\n", "y\nno\n");
    EXPECT_EQ(scripttabs.nseta, 0);
    EXPECT_TRUE(logged("\nfor seta, the activity of H2O must be greater than 0\n"));
}

TEST_F(ScriptKeywords, NoToTheUntestedQuestionEndsTheRun)
{
    std::fflush(nullptr);
    EXPECT_EXIT(
        {
            dup2(2, 1);
            lines("seta H2O 0.5\n", "n\n");
        },
        ::testing::ExitedWithCode(0), "setting activities is currently untested - it might not work\\?\n"
                                      "do you want to continue\\? \\? \n-- run killed --");
}

TEST_F(ScriptKeywords, ProjectionPlane)
{
    lines("projection\nprojplane SiO2 FeOt MgO\nprojplane q 1 0 0\nprojplane fa 0.5 1 0\n");
    EXPECT_EQ(scriptset.nprojcompnames, 3);
    EXPECT_EQ(scripttabs.projcompnames[2], "FeO");
    EXPECT_EQ(scripttabs.nprojplane, 2);
    EXPECT_EQ(scripttabs.projapexnames[2], "fa");
    EXPECT_DOUBLE_EQ(scripttabs.projapex[2][2], 1.0);
    // Before any projection line, projplane lines are ignored.
    lines("projplane SiO2 FeOt MgO\n");
    EXPECT_EQ(scripttabs.nprojplane, -1);
    EXPECT_BOMB(lines("projplane SiO2 MgO\nprojection\n"),
                "-- run bombed in reading scripts : projection script needs to be before reading projection plane");
    EXPECT_BOMB(lines("projection\nprojplane 1 0 0\n"),
                "-- run bombed in reading scripts : change the projplane script");
}

TEST_F(ScriptKeywords, ProjectionPlaneOfNineteenOxidesAtMost)
{
    std::string ox;
    for (int i = 1; i <= 20; ++i) ox += " X" + std::to_string(i);
    lines("projection\nprojplane" + ox + "\nprojplane q 1\n");
    EXPECT_EQ(scripttabs.nprojplane, 0);
    EXPECT_TRUE(logged("\nfor projplane, at most 19 oxides, not 20\ninfo in the script needs to be corrected\n"));
    EXPECT_BOMB(lines("strictscripting\nprojection\nprojplane" + ox + "\n"),
                "-- run bombed in reading script for projplane : too many oxides");
}

// ---------------------------------------------------------------- bulk compositions

const std::string pseudo = "axfile t\nwith g bi mu q\ndiagramPT 1 10 400 800\npseudosection\n";

TEST_F(ScriptKeywords, BulkIsNormalisedTo100)
{
    readscript(pseudo + "bulk SiO2 Al2O3 CaO\nbulk 50 30 20\n");
    EXPECT_EQ(scripttabs.nbulk, 1);
    EXPECT_DOUBLE_EQ(scripttabs.bulk[1], 50.0);
    readscript(pseudo + "bulk SiO2 Al2O3 CaO\nbulk 1 1 2\n");
    EXPECT_DOUBLE_EQ(scripttabs.bulk[1], 25.0);
    EXPECT_DOUBLE_EQ(scripttabs.bulk[3], 50.0);
}

TEST_F(ScriptKeywords, TwoBulkCompositions)
{
    readscript(pseudo + "bulk SiO2 FeOtot CaO\nbulk 1 1 2\nbulk 4 4 2 10\n");
    EXPECT_EQ(scripttabs.nbulk, 2);
    EXPECT_EQ(scripttabs.bulkoxnames[2], "FeO");
    EXPECT_DOUBLE_EQ(scripttabs.bulk[3], 50.0);
    EXPECT_DOUBLE_EQ(scripttabs.bulk2[1], 40.0);
    EXPECT_DOUBLE_EQ(scripttabs.bulk2[3], 20.0);
    EXPECT_EQ(scripttabs.nbulkpoints, 11);
    EXPECT_BOMB(readscript(pseudo + "bulk SiO2 CaO\nbulk 1 1\nbulk 1 2\nbulk 2 1\n"),
                "-- run bombed in reading scripts : more than two compositions in setbulk\\?");
}

TEST_F(ScriptKeywords, BulkFatal)
{
    EXPECT_BOMB(readscript(pseudo + "bulk 50 30 20\n"),
                "now, bulk starts with an oxide list on a line, before the one or \n"
                "two lines of compositions \\(this line was there before but preceded by a %\\)\n\n"
                "-- run bombed in reading scripts : change the bulk script");
    EXPECT_BOMB(readscript(pseudo + "bulk SiO2 CaO\nbulk 0 0\n"),
                "-- run bombed in reading scripts : sum of bulk composition <= 0\\?");
    EXPECT_BOMB(readscript("bulk SiO2 CaO\n" + pseudo),
                "-- run bombed in reading scripts : pseudosection script needs to be before reading bulk");
    EXPECT_BOMB(readscript(pseudo + "rbi SiO2 CaO\nrbi g 1 1 1\nbulk SiO2 CaO\n"),
                "both bulk and rbi in the scriptfile; choose which to use\n"
                "-- run bombed in reading scripts : ambiguity setting the bulk composition");
}

TEST_F(ScriptKeywords, BulkLinesIgnoredWithoutPseudosection)
{
    lines("bulk SiO2 CaO\nbulk 1 1\n");
    EXPECT_EQ(scripttabs.nbulk, -1);
    EXPECT_EQ(prefs.nunrecognised, 0);
}

TEST_F(ScriptKeywords, BulkOfNineteenOxidesAtMost)
{
    std::string ox, v;
    for (int i = 1; i <= 20; ++i) {
        ox += " X" + std::to_string(i);
        v += " 1";
    }
    readscript(pseudo + "bulk" + ox + "\nbulk" + v + "\n", "no\n");
    EXPECT_EQ(scripttabs.nbulk, 0);
    EXPECT_EQ(scriptset.bulksw, 1);
    EXPECT_TRUE(logged("\nfor bulk, at most 19 oxides, not 20\n"));
    readscript(pseudo + "rbi" + ox + "\n", "no\n");
    EXPECT_EQ(scripttabs.nrbi, 0);
    EXPECT_EQ(scriptset.rbisw, 1);
}

TEST_F(ScriptKeywords, ReadBulkInfo)
{
    readscript(pseudo + "rbi SiO2 CaO\nrbi g 0.4 1 1\nrbi bi 0.2 0 1\nrbi q 0.2 1 0\n");
    ASSERT_EQ(scripttabs.nrbi, 3);
    EXPECT_EQ(scripttabs.nbulk, 1);
    // The modes 0.4, 0.2, 0.2 are divided by their sum.
    EXPECT_DOUBLE_EQ(scripttabs.rbi[1].mode, 0.5);
    EXPECT_DOUBLE_EQ(scripttabs.rbi[3].mode, 0.25);
    EXPECT_DOUBLE_EQ(scripttabs.rbi[2].comp[2], 1.0);
}

TEST_F(ScriptKeywords, ReadBulkInfoProblems)
{
    readscript(pseudo + "rbi SiO2 CaO\nrbi g 1.5 1 1\n", "no\n");
    EXPECT_EQ(scriptset.rbisw, 1);
    EXPECT_TRUE(logged("\nfor rbi, info given is \"1.5\", but limits are 0 to 1.000\na real will be prompted for\n"));
    EXPECT_BOMB(readscript(pseudo + "rbi SiO2 CaO\nrbi g ## 1 1\n"),
                "-- run bombed in reading scripts : replace ## with modes in rbi");
    EXPECT_BOMB(readscript(pseudo + "rbi 0.5 1 1\n"), "-- run bombed in reading scripts : change the rbi");
    EXPECT_BOMB(readscript(pseudo + "rbi SiO2 CaO\nrbi g 0 1 1\n"),
                "-- run bombed in reading scripts : rbi modes sum to zero\\?");
}

TEST_F(ScriptKeywords, BulkSubrange)
{
    lines("bulksubrange 0.3\nonebulk 0.7\n");
    EXPECT_DOUBLE_EQ(scriptset.subrangelow, 0.3);
    EXPECT_DOUBLE_EQ(scriptset.subrangehigh, 0.3);
    EXPECT_DOUBLE_EQ(scriptset.onebulkvalue, 0.7);
    lines("onebulk 0.7\nsplitbulk 0.5 0.2\n");
    EXPECT_DOUBLE_EQ(scriptset.subrangelow, 0.5);
    EXPECT_DOUBLE_EQ(scriptset.subrangehigh, 1.0);
    EXPECT_DOUBLE_EQ(scriptset.onebulkvalue, 0.7);
}

// ---------------------------------------------------------------- phases and guesses

TEST_F(ScriptKeywords, WithLists)
{
    lines("with g bi mu\n");
    EXPECT_EQ(scripttabs.nwith, 3);
    EXPECT_FALSE(scriptset.someof);
    lines("with someof g bi mu\n");
    EXPECT_EQ(scripttabs.nwith, 3);
    EXPECT_EQ(scripttabs.withnames[1], "g");
    EXPECT_TRUE(scriptset.someof);
    EXPECT_BOMB(lines("with\n"), "with should be followed by a list of phase names\n\n"
                                 "-- run bombed in reading scripts : with: missing list");
    EXPECT_BOMB(lines("which someof\n"), "whichsomeof should be followed by a list of phase names\n\n"
                                         "-- run bombed in reading scriptwhich : missing list of phases");
}

TEST_F(ScriptKeywords, ExcludedPhases)
{
    std::string many;
    for (int i = 1; i <= 35; ++i) many += " p" + std::to_string(i);
    lines("ignore" + many + "\n");
    EXPECT_EQ(scripttabs.nexclude, 30);
    EXPECT_EQ(scripttabs.excludenames[30], "p30");
}

TEST_F(ScriptKeywords, PhasesInExcess)
{
    lines("inexcess no\n");
    EXPECT_EQ(scriptset.inexcesssw, 0);
    EXPECT_EQ(scripttabs.nexcessnames, 0);
    lines("inexcess none\n");
    EXPECT_EQ(scriptset.inexcesssw, 0);
    lines("setexcess q H2O\n");
    EXPECT_EQ(scripttabs.nexcessnames, 2);
    // Phases in excess join the with list.
    EXPECT_EQ(scripttabs.nwith, 5);
    EXPECT_EQ(scripttabs.withnames[5], "H2O");
}

TEST_F(ScriptKeywords, TenPhasesInExcessAtMost)
{
    std::string eleven;
    for (int i = 1; i <= 11; ++i) eleven += " p" + std::to_string(i);
    lines("setexcess" + eleven + "\n");
    EXPECT_EQ(scriptset.inexcesssw, 1);
    EXPECT_EQ(scripttabs.nexcessnames, 0);
    EXPECT_TRUE(logged("\nfor setexcess, at most 10 phases, not 11\n"));
    lines("tozero" + eleven + "\n");
    EXPECT_EQ(scriptset.inexcess0sw, 1);
    EXPECT_EQ(scripttabs.nexcess0names, 0);
}

TEST_F(ScriptKeywords, StartingGuesses)
{
    lines("ptguess 8 600\n");
    EXPECT_EQ(scriptset.ptguesssw, 0);
    EXPECT_DOUBLE_EQ(scripttabs.ptguessp, 8.0);
    EXPECT_DOUBLE_EQ(scripttabs.ptguesst, 873.15);
    lines("ptguess 8 2800\n");   // 3073.15 K: kept but not used
    EXPECT_EQ(scriptset.ptguesssw, 1);
    lines("xyz x(g) 0.8 sd 0.05 range 0.7 0.9\nxyz z(g) 0.1 range 0.05 0.2\nxyz m(g) 0.2 sd -1\n");
    ASSERT_EQ(scripttabs.nxyzguess, 3);
    const XyzGuess& g = scripttabs.xyzguesses[1];
    EXPECT_DOUBLE_EQ(g.value, 0.8);
    EXPECT_DOUBLE_EQ(g.sd, 0.05);
    EXPECT_DOUBLE_EQ(g.low, 0.7);
    EXPECT_DOUBLE_EQ(g.high, 0.9);
    EXPECT_DOUBLE_EQ(scripttabs.xyzguesses[2].sd, 0.0);
    EXPECT_DOUBLE_EQ(scripttabs.xyzguesses[2].high, 0.2);
    EXPECT_DOUBLE_EQ(scripttabs.xyzguesses[3].sd, 0.0);
    // A bad guess drops every guess so far and makes later lines inert.
    lines("xyz x(g) 0.8\nxyz z(g) abc\nxyz m(g) 0.2\n");
    EXPECT_EQ(scripttabs.nxyzguess, 0);
    EXPECT_EQ(scriptset.xyzguesssw, 0);
    lines("modeguess g 0.2\nmodeguess bi 0.3\n");
    EXPECT_EQ(scripttabs.nmodeguess, 2);
    EXPECT_DOUBLE_EQ(scripttabs.modeguesses[2].value, 0.3);
}

TEST_F(ScriptKeywords, TooManyGuesses)
{
    std::string g;
    for (int i = 1; i <= 73; ++i) g += "modeguess p" + std::to_string(i) + " 0.1\n";
    EXPECT_BOMB(lines(g), "-- run bombed in reading scripts : too many modeguess");
    g.clear();
    for (int i = 1; i <= 201; ++i) g += "xyz x" + std::to_string(i) + " 0.1\n";
    EXPECT_BOMB(lines(g), "-- run bombed in reading scripts : too many xyzguess");
}

TEST_F(ScriptKeywords, Colours)
{
    testing::internal::CaptureStdout();
    lines("rgb g 255 0 10\nrgb bi 0 128 64\n");
    std::string screen = testing::internal::GetCapturedStdout();
    EXPECT_EQ(scripttabs.nrgb, 2);
    EXPECT_EQ(scripttabs.rgb[2].value[2], 128);
    EXPECT_NE(screen.find("rgb = 1)     g 255   0  10\nrgb = 2)    bi   0 128  64\n"), std::string::npos);
    testing::internal::CaptureStdout();
    lines("rgb g 255 0 10\nrgb bi 0 128 300\nrgb mu 1 1 1\n");
    screen = testing::internal::GetCapturedStdout();
    EXPECT_EQ(scripttabs.nrgb, 0);
    EXPECT_NE(screen.find("rgb = -\nrgb = -\n"), std::string::npos);
}

TEST_F(ScriptKeywords, ColoursOfFourHundredPhasesAtMost)
{
    std::string rgb;
    for (int i = 1; i <= 401; ++i) rgb += "rgb p" + std::to_string(i) + " 1 2 3\n";
    testing::internal::CaptureStdout();
    lines(rgb);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(scripttabs.nrgb, 0);
    EXPECT_TRUE(logged("\nfor rgb, at most 400 phases can have colours\n"));
}

TEST_F(ScriptKeywords, FurtherKeywords)
{
    lines("samecoding g g1 g2\nsamecoding bi bi1\nnegp\nrockname AB12\njustrelu\noisr\ndataok no\n"
          "schreinemakers\nconvliq 1 2 3\nconvliq 4 5 6\nconvliq 7 8\n");
    EXPECT_EQ(scripttabs.nsamecoding, 2);
    EXPECT_EQ(scripttabs.samecodings[1].n, 3);
    EXPECT_EQ(scripttabs.samecodings[2].names[2], "bi1");
    EXPECT_DOUBLE_EQ(scal.pminall, -50.0);
    EXPECT_DOUBLE_EQ(scal.pscale, 1.0 / 1550.0);
    EXPECT_DOUBLE_EQ(scal.poffset, 50.0 / 1550.0);
    EXPECT_EQ(scriptset.rockname, "AB12");
    EXPECT_EQ(scriptset.justrelu, 0);
    EXPECT_EQ(scriptset.pisr, 0);
    EXPECT_EQ(scriptset.dataok, 1);
    EXPECT_EQ(scriptset.doallr, 1);
    // A row of another length is ignored.
    EXPECT_EQ(scripttabs.nconvrows, 2);
    EXPECT_EQ(scripttabs.nconvcols, 3);
    EXPECT_DOUBLE_EQ(scripttabs.convmatrix[2][3], 6.0);
}

TEST_F(ScriptKeywords, SameCodingGroupsLatchOff)
{
    lines("samecoding g g1\nsamecoding bi bi1\nsamecoding no\nsamecoding mu mu1\n");
    EXPECT_EQ(scripttabs.nsamecoding, 0);
    EXPECT_EQ(scriptset.samecoding, 0);   // the last line's switch; its group is ignored
    lines("schreinemakers ask\n");
    EXPECT_EQ(scriptset.doallr, 2);
}

TEST_F(ScriptKeywords, SameCodingCapacities)
{
    lines("samecoding g a b c d e f h i j\n");
    EXPECT_EQ(scripttabs.samecodings[1].n, 10);
    EXPECT_BOMB(lines("samecoding g a b c d e f h i j k\n"),
                "-- run bombed in reading scripts : too many items in a samecoding");
    std::string nine;
    for (int i = 1; i <= 9; ++i) nine += "samecoding p" + std::to_string(i) + " q\n";
    EXPECT_BOMB(lines(nine), "-- run bombed in reading scripts : too many samecodings");
}

TEST_F(ScriptKeywords, IndependentReactions)
{
    lines("isr H2O CO2 q\nisr 1 -1 0\nisr 0 1 2\n");
    EXPECT_EQ(scripttabs.nisrrows, 2);
    EXPECT_EQ(scripttabs.isrrows[1][2], -1);
    std::string rows;
    for (int i = 1; i <= 21; ++i) rows += "isr 1 1\n";
    lines("isr a b\n" + rows);
    EXPECT_EQ(scripttabs.nisrrows, 0);
    EXPECT_EQ(scriptset.isr, 1);
    EXPECT_TRUE(logged("\nfor isr, at most 20 reactions\n"));
    EXPECT_BOMB(lines("isr 1 -1\n"), "now, isr starts with an end-member list on a line, before the block \n"
                                     "of reaction coeffs \\(this line was there before but preceded by a %\\)\n\n"
                                     "-- run bombed in reading scripts : change the isr script");
}

TEST_F(ScriptKeywords, ConversionMatrixCapacities)
{
    std::string wide;
    for (int i = 1; i <= 21; ++i) wide += " 1";
    EXPECT_BOMB(lines("convliq" + wide + "\n"), "-- run bombed in control : too many columns in convliq matrix");
    std::string rows;
    for (int i = 1; i <= 16; ++i) rows += "convliq 1 2\n";
    EXPECT_BOMB(lines(rows), "-- run bombed in control : too many rows in convliq matrix");
}

}  // namespace
