// The typed readers of script info, through the keywords that use them:
// pressures in kbar, temperatures in degrees C read and stored in K, and the
// exact messages of every problem.
#include "scriptfixture.h"

using namespace runio;
using namespace script;
using scripttest::mandatory;

namespace {

class ScriptTyped : public scripttest::ScriptTest {
protected:
    // Reads the keyword lines after the mandatory ones; any problem is answered "no".
    void lines(const std::string& text) { readscript(mandatory + text, "no\n"); }
    bool logged(const std::string& text) { return log().find(text) != std::string::npos; }
};

TEST_F(ScriptTyped, OneTemperature)
{
    lines("calcT 20\n");
    EXPECT_EQ(scriptset.calcT, 0);
    EXPECT_DOUBLE_EQ(calcwindows::win.tlow, 293.15);   // 20 + 273.15
    EXPECT_DOUBLE_EQ(calcwindows::win.thigh, 293.15);

    lines("calcT 5\n");
    EXPECT_EQ(scriptset.calcT, 1);
    EXPECT_DOUBLE_EQ(calcwindows::win.tlow, 283.0);
    EXPECT_TRUE(logged("\nfor calcT, the one T needs to be greater than 10\xA1" "C; default used\n"));

    lines("calcT 3000\n");
    EXPECT_EQ(scriptset.calcT, 1);
    EXPECT_DOUBLE_EQ(calcwindows::win.tlow, 3000.0);
    EXPECT_TRUE(logged("\nfor calcT, the one T needs to be less than 2727\xA1" "C; default used\n"));
}

TEST_F(ScriptTyped, TemperatureRangeWithInterval)
{
    lines("calcT 400 800 20\n");
    EXPECT_EQ(scriptset.calcT, 0);
    EXPECT_DOUBLE_EQ(calcwindows::win.tlow, 673.15);
    EXPECT_DOUBLE_EQ(calcwindows::win.thigh, 1073.15);
    EXPECT_DOUBLE_EQ(scripttabs.tinterval, 20.0);
}

TEST_F(ScriptTyped, TemperatureRangeProblems)
{
    lines("calcT 5 600\n");
    EXPECT_EQ(scriptset.calcT, 1);
    EXPECT_DOUBLE_EQ(calcwindows::win.tlow, 673.15);   // the diagram's default kept
    EXPECT_DOUBLE_EQ(calcwindows::win.thigh, 873.15);
    EXPECT_TRUE(logged("for calcT, the bottom of the T range needs to be greater than 10 \xA1" "C; default used"));
    lines("calcT 0 5000\n");
    EXPECT_TRUE(logged("for calcT, the T range needs to be within 10\xA1" "C to 2727\xA1" "C; default used"));
}

TEST_F(ScriptTyped, Pressures)
{
    lines("calcP 5\n");
    EXPECT_DOUBLE_EQ(calcwindows::win.plow, 5.0);
    EXPECT_DOUBLE_EQ(calcwindows::win.phigh, 5.0);
    lines("calcP 1 10 0.5\n");
    EXPECT_EQ(scriptset.calcP, 0);
    EXPECT_DOUBLE_EQ(calcwindows::win.plow, 1.0);
    EXPECT_DOUBLE_EQ(calcwindows::win.phigh, 10.0);
    EXPECT_DOUBLE_EQ(scripttabs.pinterval, 0.5);
}

TEST_F(ScriptTyped, PressureRangeGivenHighToLow)
{
    lines("calcP 10 1\n");
    EXPECT_EQ(scriptset.calcP, 1);
    EXPECT_DOUBLE_EQ(calcwindows::win.plow, 1.0);
    EXPECT_DOUBLE_EQ(calcwindows::win.phigh, 10.0);
    EXPECT_TRUE(logged("\nfor calcP, the 2nd P in the P range must be larger than the 1st P\n"));
    EXPECT_EQ(prefs.nunrecognised, 1);
}

TEST_F(ScriptTyped, CalcPWithoutNumbers)
{
    lines("calcP\n");
    EXPECT_EQ(scriptset.calcP, 1);
    EXPECT_TRUE(logged("\nfor calcP, no info given: one or more reals expected\n"
                       "info in the script needs to be corrected\n\nfor calcP1, 2 or 3 numbers needed"));
    EXPECT_EQ(prefs.nunrecognised, 2);
}

TEST_F(ScriptTyped, DiagramWindow)
{
    lines("diagramPT 2 12 450 750\n");
    EXPECT_DOUBLE_EQ(scripttabs.plowdefault, 2.0);
    EXPECT_DOUBLE_EQ(scripttabs.phighdefault, 12.0);
    EXPECT_DOUBLE_EQ(scripttabs.tlowdefault, 723.15);
    EXPECT_DOUBLE_EQ(scripttabs.thighdefault, 1023.15);
    // calcP starts from the diagram window and must lie within it.
    lines("diagramPT 2 12 450 750\ncalcP 1 8\n");
    EXPECT_EQ(scriptset.calcP, 1);
    EXPECT_DOUBLE_EQ(calcwindows::win.plow, 2.0);
    EXPECT_DOUBLE_EQ(calcwindows::win.phigh, 8.0);
    EXPECT_TRUE(logged("for calcP, the bottom of the P range needs to be greater than 2.0 kbar; default used"));
}

TEST_F(ScriptTyped, DiagramWindowOfThreeNumbersIsMissing)
{
    run.calcmode = 5;   // nothing mandatory
    readscript("diagramPT 1 10 400\n", "no\n");
    EXPECT_EQ(scriptset.diagramPT, 1);
    EXPECT_TRUE(logged("\nfor diagramPT, 4 numbers needed to define a PT rectangle\n"));
    readscript("diagramPT 0 10 400 800\n", "no\n");
    EXPECT_EQ(scriptset.diagramPT, 1);
    EXPECT_TRUE(logged("for diagramPT, the bottom of the P range needs to be greater than 0.0009 kbar; default used"));
}

TEST_F(ScriptTyped, RealWithLimits)
{
    lines("maxsdt 600\n");
    EXPECT_EQ(scriptset.maxsdt, 0);
    EXPECT_DOUBLE_EQ(scriptset.maxsdtvalue, 600.0);
    lines("maxsdt 601\n");
    EXPECT_EQ(scriptset.maxsdt, 1);
    EXPECT_DOUBLE_EQ(scriptset.maxsdtvalue, 50.0);
    EXPECT_TRUE(logged("\nfor maxsdt, info given is \"601\", but limits are 25.000 to 600.000\n"
                       "a real will be prompted for\n"));
    lines("setfluid\n");
    EXPECT_TRUE(logged("\nfor setfluid, no info given: one real expected\na real will be prompted for\n"));
    lines("setfluid 0.3\n");
    EXPECT_DOUBLE_EQ(calcwindows::win.xco2, 0.3);
    EXPECT_DOUBLE_EQ(calcwindows::win.xh2o, 0.7);
}

TEST_F(ScriptTyped, IntegerWithLimitsDependsOnTheMode)
{
    run.calcmode = 2;
    lines("calctype 4\n");
    EXPECT_EQ(scriptset.calctypecode, 0);
    EXPECT_TRUE(logged("\nfor calctype, info given is \"4\", but limits are 1 to 2\n"));
    run.calcmode = 3;
    lines("calctype 4\n");
    EXPECT_EQ(scriptset.calctypecode, 4);
    lines("calctype four\n");
    EXPECT_TRUE(logged("\nfor calctype, info given is \"four\"\nan integer will be prompted for\n"));
}

TEST_F(ScriptTyped, IntegersAndStrings)
{
    lines("isr H2O CO2\nisr 1 1.5\n");
    EXPECT_EQ(scriptset.isr, 1);
    EXPECT_TRUE(logged("\nfor isr, info includes \"1.5\" not just integers\n"
                       "info in the script needs to be corrected\n"));
    lines("isr H2O CO2 q\nisr 1 2\n");
    EXPECT_TRUE(logged("\nfor isr, only 2 integers in a line, but 3 needed\n"));
    lines("rockname\n");
    EXPECT_TRUE(logged("\nfor rockname, no info given: one string expected\n"
                       "a string in needed (or will be prompted for)\n"));
}

TEST_F(ScriptTyped, StrictReadersUseTheirShortMessages)
{
    EXPECT_BOMB(readscript(mandatory + "strictscripting\nmaxsdt 601\n"),
                "-- run bombed in reading script for maxsdt : real inappropriate");
    EXPECT_BOMB(readscript(mandatory + "strictscripting\nisr H2O\nisr x\n"),
                "-- run bombed in reading script for isr : integers expected");
    // The P and T readers are never fatal: their default is always usable.
    readscript(mandatory + "strictscripting\ncalcT 5\n", "no\n");
    EXPECT_DOUBLE_EQ(calcwindows::win.tlow, 283.0);
}

}  // namespace
