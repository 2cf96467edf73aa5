// Calculation mode 4 end to end: the dataset's end-members of a chemical
// system, with their amounts of its oxides, from the example dataset.
#include <gtest/gtest.h>

#include <string>

#include "harness/harness.h"

namespace {

using pmtest::countof;
using pmtest::examplefile;
using pmtest::runpm;

std::map<std::string, std::string> inputs(const std::string& dssuffix = "6ex")
{
    return {{"pm-prefs.txt", pmtest::prefsfile(dssuffix, "ex", 4)},
            {"pm-ex.txt", examplefile("pm-ex.txt")},
            {"pm-ds6ex.txt", examplefile("pm-ds6ex.txt")},
            {"pm-ds5ex.txt", examplefile("pm-ds5ex.txt")}};
}

// The text between the system prompt and the question that ends the pass.
std::string listing(const std::string& screen)
{
    const std::string from = "which system? : ";
    const std::size_t a = screen.find(from);
    const std::size_t b = screen.find("more lists ? ", a);
    if (a == std::string::npos || b == std::string::npos) return "(no listing)";
    return screen.substr(a + from.size(), b - a - from.size());
}

const std::string nasystem =
    "\n"
    "           SiO2  Al2O3   Na2O    H2O\n"
    "jd            2    0.5    0.5      0\n"
    "ab            3    0.5    0.5      0\n"
    "pa            3    1.5    0.5      1\n"
    "q             1      0      0      0\n"
    "coe           1      0      0      0\n"
    "crst          1      0      0      0\n"
    "ky            1      1      0      0\n"
    "sill          1      1      0      0\n"
    "and           1      1      0      0\n"
    "cor           0      1      0      0\n"
    "H2O           0      0      0      1\n"
    "abL           3    0.5    0.5      0\n"
    "\n";

TEST(ModeFourLists, SystemNamedByOxides)
{
    const auto r = runpm(inputs(), "4\nNa2O Al2O3 SiO2 H2O\nno\n\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(listing(r.screen), nasystem);
    // The whole "components:" line is in the log; the screen cuts it at the page width.
    EXPECT_NE(r.file("pm-log.txt").find("\ncomponents:SiO2 TiO2 Al2O3 FeO MgO MnO CaO Na2O K2O O H2O CO2 "
                                        "Cl2O O2- NiO ZrO2 SO2 \n"),
              std::string::npos);
    EXPECT_NE(r.screen.find("\ncomponents:SiO2 TiO2 Al2O3 FeO MgO MnO CaO Na2O K2O O H2O CO2 Cl2O O2- NiO ZrO#\n"),
              std::string::npos);
    // The list goes to the output file too, the components line does not.
    const std::string& out = r.file("pm-ex-o.txt");
    EXPECT_NE(out.find(nasystem.substr(0, nasystem.size() - 1)), std::string::npos);
    EXPECT_EQ(out.find("components:"), std::string::npos);
    EXPECT_NE(r.file("pm-log.txt").find("which system? :  Na2O Al2O3 SiO2 H2O \n"), std::string::npos);
}

TEST(ModeFourLists, ElementSymbolsAndRowNumbersChooseTheSameSystem)
{
    EXPECT_EQ(listing(runpm(inputs(), "4\nNa Al Si H\nno\n\n").screen), nasystem);
    EXPECT_EQ(listing(runpm(inputs(), "4\n8 3 1 11\nno\n\n").screen), nasystem);
    // Words that name no oxide are passed over.
    EXPECT_EQ(listing(runpm(inputs(), "4\nNa2O Al2O3 SiO2 H2O feldspar\nno\n\n").screen), nasystem);
}

TEST(ModeFourLists, EmptyReplyListsEveryEndMemberWithEveryOxide)
{
    const auto r = runpm(inputs(), "4\n\nno\n\n");
    EXPECT_EQ(r.status, 0);
    const std::string& out = r.file("pm-ex-o.txt");
    const std::string heading =
        "           SiO2   TiO2  Al2O3    FeO    MgO    MnO    CaO   Na2O    K2O      O    H2O    CO2   Cl2O    O2-"
        "    NiO   ZrO2    SO2    CuO  Cr2O3\n";
    // 34 end-members: a heading before the 1st and the 32nd.
    EXPECT_EQ(countof(out, heading), 2);
    EXPECT_NE(out.find("\n\n" + heading + "H2O           0      0      0      0      0      0      0      0      0      0"
                                          "      1      0      0      0      0      0      0      0      0\n"),
              std::string::npos);
    // Magnetite is 3 FeO + O, albite half Na2O, half Al2O3 and 3 SiO2.
    EXPECT_NE(out.find("\nmt            0      0      0      3      0      0      0      0      0      1      0"), std::string::npos);
    EXPECT_NE(out.find("\nab            3      0    0.5      0      0      0      0    0.5"), std::string::npos);
    EXPECT_NE(out.find("\ndol           0      0      0      0      1      0      1      0      0      0      0      2"),
              std::string::npos);
    int rows = 0;
    for (const char* n : {"fo ", "fa ", "en ", "di ", "jd ", "py ", "alm ", "gr ", "sps ", "ab ", "an ", "san ", "mu ",
                          "pa ", "phl ", "q ", "coe ", "crst ", "ky ", "sill ", "and ", "mt ", "hem ", "ru ", "ilm ",
                          "cor ", "per ", "sp ", "cc ", "mag ", "dol ", "H2O ", "CO2 ", "abL "})
        rows += countof(out, std::string("\n") + n);
    EXPECT_EQ(rows, 34);
}

TEST(ModeFourLists, MoreListsRepeatsThePass)
{
    const auto r = runpm(inputs(), "4\nNa2O\nyes\nSiO2 CuO\nno\n\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(countof(r.screen, "which system? : "), 2);
    EXPECT_EQ(countof(r.screen, "more lists ? "), 2);
    // Nothing holds Na2O alone; CuO is a component though the line above does not show it.
    const std::string second = listing(r.screen.substr(r.screen.find("more lists ? ")));
    EXPECT_EQ(second, "\n"
                      "           SiO2    CuO\n"
                      "q             1      0\n"
                      "coe           1      0\n"
                      "crst          1      0\n"
                      "\n");
    EXPECT_EQ(listing(r.screen), "\n");
}

TEST(ModeFourLists, OldLayoutDataset)
{
    const auto r = runpm(inputs("5ex"), "4\nMgO SiO2\nno\n\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(listing(r.screen), "\n"
                                 "           SiO2    MgO\n"
                                 "fo            1      2\n"
                                 "en            2      2\n"
                                 "q             1      0\n"
                                 "\n");
}

// n silica records of the fit's layout, all covariances 0.
std::string silicas(int n)
{
    std::string t = (n < 100 ? "  " : " ") + std::to_string(n) + "    don't fiddle with the numbers: you'll BREAK the dataset...\n  \n5\n";
    for (int i = 1; i <= n; ++i) {
        const std::string name = "s" + std::to_string(i);
        t += std::string(8 - name.size(), ' ') + name + "   1  1   1.0000 10   2.0000  0\n"
             "          -910.70   0.04150   2.2690\n"
             "         0.1110    0.000003000    -750.0   -1.0200\n"
             "         0.0000063   731.00     6.00   -0.00821    0\n";
    }
    t += "\n  0.0000";
    for (int i = 0; i < n * (n + 1) / 2; ++i) t += i % 61 == 60 ? "\n 0" : " 0";
    return t + "\n\npm-ds6ex.txt produced at 10.00 on Mon 3 Jun,2024 (sigfit =  1.000)\n";
}

TEST(ModeFourLists, BatchesOfTwentyFiveAndAHeadingEveryThirtyOneRows)
{
    auto in = inputs();
    in["pm-ds6ex.txt"] = silicas(70);   // read as 25, 25 and 20
    const auto r = runpm(in, "4\nSiO2\nno\n\n");
    EXPECT_EQ(r.status, 0);
    const std::string& out = r.file("pm-ex-o.txt");
    const std::string heading = "\n           SiO2\n";
    EXPECT_EQ(countof(out, heading), 3);
    EXPECT_NE(out.find(heading + "s1  "), std::string::npos);
    EXPECT_NE(out.find(heading + "s32 "), std::string::npos);
    EXPECT_NE(out.find(heading + "s63 "), std::string::npos);
    EXPECT_NE(out.find("\ns70           1\n"), std::string::npos);
    EXPECT_EQ(countof(out, "           1\n"), 70);
}

TEST(ModeFourLists, BadNamesAndWordsStopTheRun)
{
    auto in = inputs("7ex");
    in["pm-ds7ex.txt"] = examplefile("pm-ds6ex.txt");
    auto r = runpm(in, "4\n\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("-- run bombed in setuptextread : bad dsfile name"), std::string::npos);
    EXPECT_EQ(r.screen.find("which system?"), std::string::npos);

    r = runpm(inputs(), "4\n99999\n\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("expecting an integer (2); got: 99999 - compname"), std::string::npos);
}

}  // namespace
