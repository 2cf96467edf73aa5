// Faults in hand-edited input files, as a user meets them: a typo in the
// dataset or the a-x file ends the run with a message that names the file and
// the place, and a status that tells a failed run from a good one; plausible
// values are read as the numbers they are.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace {

using pmtest::examplefile;
using pmtest::runpm;

// The example run of mode 0 (its script has autoexit), with its dataset and
// a-x file as given.
std::map<std::string, std::string> examplerun(const std::string& dataset, const std::string& axfile)
{
    return {{"pm-prefs.txt", pmtest::prefsfile("6ex", "ex", 0)},
            {"pm-ex.txt", examplefile("pm-ex.txt")},
            {"pm-ds6ex.txt", dataset},
            {"pm-axex.txt", axfile}};
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

const std::string kyformula = "      ky   1  3   2.0000  1   1.0000 10   5.0000  0\n";
const std::string faformula = "      fa   1  4   2.0000  1   1.0000 10   4.0000  0\n";

// The dataset with ky's formula as given.
std::string withky(const std::string& formula)
{
    return replaced(examplefile("pm-ds6ex.txt"), kyformula, formula);
}

void expectfatal(const pmtest::RunResult& r, const std::string& message)
{
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("\n-- run bombed in " + message + "\n"), std::string::npos) << r.screen;
    EXPECT_NE(r.file("pm-ex-o.txt").find("-- run bombed in " + message + "\n"), std::string::npos);
}

// The example run of a script, in its own mode and on its own dataset.
std::map<std::string, std::string> examplescript(const std::string& suffix)
{
    const std::string ds = suffix == "ex5" ? "5ex" : "6ex";
    const int mode = suffix == "ex" || suffix == "ex5" ? 0 : suffix == "exavpt" ? 2 : 1;
    std::map<std::string, std::string> files = {{"pm-prefs.txt", pmtest::prefsfile(ds, suffix, mode)}};
    for (const std::string& name : {"pm-ds" + ds + ".txt", "pm-" + suffix + ".txt"}) files[name] = examplefile(name);
    for (const char* name : {"pm-axex.txt", "pm-ax5ex.txt", "pm-axmica.txt"}) files[name] = examplefile(name);
    return files;
}

// A fatal stop of the user's making: status 1 and no internal-error notice.
void expectrefused(const std::map<std::string, std::string>& files, const std::string& message)
{
    const auto r = runpm(files, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("\n-- run bombed in " + message + "\n"), std::string::npos) << r.screen;
    EXPECT_EQ(r.screen.find("maintainers"), std::string::npos);
}

}  // namespace

TEST(InputFaults, FormulaAmountsNoFormulaCanHoldNameTheFileEndMemberAndElement)
{
    const std::string ax = examplefile("pm-axex.txt");
    auto r = runpm(examplerun(withky("      ky   1  3   2.0000  1   1e999 10   5.0000  0\n"), ax), "");
    expectfatal(r, "readdscomps : cannot read \"1e999\" as the amount of element 1 of end-member ky in "
                   "\"pm-ds6ex.txt\"");
    for (const char* amount : {"1e308", "99999999999999999999", "-1e308", "32768"}) {
        r = runpm(examplerun(withky("      ky   1  3   2.0000  1   " + std::string(amount) + " 10   5.0000  0\n"), ax),
                  "");
        expectfatal(r, "readdscomps : the amount of element 1 (Si) in the formula of ky in \"pm-ds6ex.txt\" is "
                       "more than any formula can hold (max = 32767)");
    }
    // an oxide of two cations, and oxygen, which the other oxides of a formula may hold
    r = runpm(examplerun(withky("      ky   1  3   65535  1   1.0000 10   5.0000  0\n"), ax), "");
    expectfatal(r, "readdscomps : the amount of element 3 (Al) in the formula of ky in \"pm-ds6ex.txt\" is "
                   "more than any formula can hold (max = 65534)");
    r = runpm(examplerun(withky("      ky   1  3   2.0000  1   1.0000 10   720875  0\n"), ax), "");
    expectfatal(r, "readdscomps : the amount of element 10 (O) in the formula of ky in \"pm-ds6ex.txt\" is "
                   "more than any formula can hold (max = 720874)");
    // within those bounds it is the composition matrix that cannot hold it
    r = runpm(examplerun(withky("      ky   1  3   2.0000  1   1.0000 10   40000  0\n"), ax), "");
    expectfatal(r, "makeoxides : the amount of O in ky is too large for the composition matrix (max = 32767)");
}

TEST(InputFaults, BraggWilliamsNBeyondAWholeNumberOfAtomsNamesTheFileAndEndMember)
{
    // ab of plagioclase orders with n = 3; 1e20 made its ordering term drop
    // out of the Gibbs energy unseen.
    auto files = examplerun(replaced(examplefile("pm-ds6ex.txt"), "0.4000     3   0.90", "0.4000  1e20   0.90"),
                            examplefile("pm-axex.txt"));
    files["pm-ex.txt"] = replaced(files["pm-ex.txt"], "with opx g q ky sillim", "with pl q");
    expectfatal(runpm(files, ""), "readthermopars : the Bragg-Williams n of ab in \"pm-ds6ex.txt\" must be a whole "
                                  "number from 1 to 20");
}

TEST(InputFaults, CoefficientBeyondEveryIntegerIsAFatalErrorOfTheAxFile)
{
    // 1e19 lies beyond a 64-bit integer: its fraction is refused as too large
    // for the 16 bits a coefficient is kept in, as 80001/2 is.
    const std::string from = "  p(fo)   1 1  1 1 -1 x\n";
    for (const char* coefficient : {"1e19", "-1e19", "40000.5"}) {
        const auto r = runpm(examplerun(examplefile("pm-ds6ex.txt"),
                                        replaced(examplefile("pm-axex.txt"), from,
                                                 "  p(fo)   1 1  1 1 " + std::string(coefficient) + " x\n")),
                             "");
        expectfatal(r, "li2i :  longint -> int conversion failed");
    }
}

TEST(InputFaults, DecimalFormulaAmountsGiveTheirExactFractions)
{
    // Kyanite with 0.2196 Si: SiO2 0.2196 = 549/2500, and the oxygen left over
    // its oxides 5 - 3 x 2/2 - 2 x 0.2196 = 1.5608 = 1951/1250; 7.2196 atoms
    // give theta = round(10636 / (82.6 / 7.2196 + 6.44)) = 595 K.
    const std::string ax = examplefile("pm-axex.txt");
    auto r = runpm(examplerun(withky("      ky   1  3   2.0000  1   0.2196 10   5.0000  0\n"), ax), "");
    EXPECT_EQ(r.status, 0) << r.screen;
    EXPECT_NE(r.file("pm-ex-px.txt").find("comp[ky] ^= {549/2500, 1, 0, 0, 0, 1951/1250};"), std::string::npos)
        << r.file("pm-ex-px.txt");
    EXPECT_NE(r.file("pm-ex.csv").find("    -2.7200,          0.0000191,   1601.00,      4.00,    -0.00250,   595,"),
              std::string::npos);

    // Fayalite with 0.0455 Si: fs = fa + q holds SiO2 1.0455 = 2091/2000 and
    // oxygen 4 - 2 - 2 x 0.0455 = 1.909 = 1909/1000; fm = en/2 + fa/2 + q/2
    // holds SiO2 1 + 0.02275 + 0.5 = 6091/4000 and oxygen 1909/2000.
    const std::string ds =
        replaced(examplefile("pm-ds6ex.txt"), faformula, "      fa   1  4   2.0000  1   0.0455 10   4.0000  0\n");
    r = runpm(examplerun(ds, ax), "");
    EXPECT_EQ(r.status, 0) << r.screen;
    const std::string& px = r.file("pm-ex-px.txt");
    EXPECT_NE(px.find("comp[fs] ^= {2091/2000, 0, 0, 0, 2, 1909/1000};"), std::string::npos) << px;
    EXPECT_NE(px.find("comp[fm] ^= {6091/4000, 0, 0, 1, 1, 1909/2000};"), std::string::npos) << px;
}

TEST(InputFaults, DatasetCutInsideARecordNamesThatRecord)
{
    const std::string ds = examplefile("pm-ds6ex.txt");
    const std::string ax = examplefile("pm-axex.txt");
    // ab is the tenth record; cut after its name line, inside its third line,
    // and at the end of its last line
    const std::size_t ab = ds.find("      ab ");
    ASSERT_NE(ab, std::string::npos);
    const std::size_t line2 = ds.find('\n', ab) + 1;
    const std::size_t line4 = ds.find('\n', ds.find('\n', line2) + 1) + 1;
    const std::size_t end = ds.find('\n', line4) + 1;
    for (const std::size_t cut : {line2, line4 - 20}) {
        const auto r = runpm(examplerun(ds.substr(0, cut), ax), "");
        expectfatal(r, "readthermo : the file \"pm-ds6ex.txt\" ends inside the data of record 10");
    }
    const auto r = runpm(examplerun(ds.substr(0, end), ax), "");
    expectfatal(r, "readthermo : the file \"pm-ds6ex.txt\" ends inside the name of record 11");
}

TEST(InputFaults, LongHeaderAndVerbatimLinesAreRefusedShortOnesKeptWhole)
{
    const std::string ds = examplefile("pm-ds6ex.txt");
    const std::string ax = examplefile("pm-axex.txt");
    const std::string opx = "opx: orthopyroxene, Mg-Fe on two sites M1 and M2, with Mg-Fe order\n";
    auto r = runpm(examplerun(ds, replaced(ax, opx, opx + std::string(400, 'v') + "\n")), "");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("\n-- run bombed in readline : line longer than 255 characters in the file "
                            "\"pm-axex.txt\"\n"),
              std::string::npos)
        << r.screen;
    EXPECT_FALSE(r.has("pm-ex-it.txt"));

    // 255 characters, blanks around them included, are kept whole in the listing
    const std::string longest = "  " + std::string(251, 'w') + "  ";
    const std::string header = "  Example a-x models for the example dataset pm-ds6ex.txt.\n";
    r = runpm(examplerun(ds, replaced(replaced(ax, opx, opx + longest + "\n"), header, header + longest + "\n")), "");
    EXPECT_EQ(r.status, 0) << r.screen;
    EXPECT_EQ(pmtest::countof(r.file("pm-ex-it.txt"), "\n" + std::string(251, 'w') + "\n"), 2);
}

TEST(InputFaults, RunFilesThatCannotBeMadeEndTheRunWithStatusTwo)
{
    auto files = examplerun(examplefile("pm-ds6ex.txt"), examplefile("pm-axex.txt"));
    files["pm-ex-o.txt/in the way"] = "";
    const auto r = runpm(files, "");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.errors, "petramondo: cannot create the file \"pm-ex-o.txt\": Is a directory\n");
    EXPECT_EQ(r.screen.find("bombed"), std::string::npos);
    EXPECT_TRUE(r.has("pm-log.txt"));
}

TEST(InputFaults, ALogThatCannotBeWrittenEndsTheRunWithStatusThree)
{
    // the example pseudosection with its log on /dev/full, where every write
    // fails as on a full disk
    const std::map<std::string, std::string> files = {
        {"pm-prefs.txt", pmtest::prefsfile("6ex", "exps", 1)}, {"pm-exps.txt", examplefile("pm-exps.txt")},
        {"pm-ds6ex.txt", examplefile("pm-ds6ex.txt")},         {"pm-axex.txt", examplefile("pm-axex.txt")},
        {"pm-log.txt", pmtest::symlinkto("/dev/full")}};
    const auto r = runpm(files, "");
    EXPECT_EQ(r.status, 3);
    const std::string report = "problem writing the file \"pm-log.txt\": No space left on device\n";
    const std::string closing = std::string(60, '=') + "\n";
    EXPECT_TRUE(r.screen.ends_with(closing + "\n" + report)) << r.screen;
    EXPECT_EQ(r.errors, "petramondo: " + report);
    // the files that could be written are whole
    EXPECT_TRUE(r.file("pm-exps-o.txt").ends_with(closing));
}

// Values no model can have are refused where they are read, naming the file,
// the item and the value, and values that give no number stop the run naming
// where they come from; each reached an internal-error notice, or showed NaN
// or Inf as a result with status 0.
TEST(InputFaults, ValuesNoModelCanHaveAreRefusedWhereRead)
{
    // The example run of that script, in its own mode and on its own dataset.
    const auto refused = [](const std::string& suffix, const std::string& file, const std::string& from,
                            const std::string& to, const std::string& message) {
        auto files = examplescript(suffix);
        files[file] = replaced(files[file], from, to);
        expectrefused(files, message);
    };
    const std::string belowzero = " must be above -273.15\xA1" "C (0 K)";
    refused("exmc", "pm-exmc.txt", "1 1 8 700", "1 1 8 -300",
            "reading scripts : in batch, the temperature -300\xA1" "C in \"pm-exmc.txt\"" + belowzero);
    refused("exfract", "pm-exfract.txt", "2 557", "2 -300",
            "reading scripts : in fract, the starting temperature -300\xA1" "C in \"pm-exfract.txt\"" + belowzero);
    refused("exfract", "pm-axmica.txt", "\n  ab   1  1", "\n  ab   -1  1",
            "setup phases : the normalisation constant -1 in tmf for ab in fsp in \"pm-axmica.txt\" must be above 0");
    refused("exmc", "pm-axex.txt", "a(py)   1", "a(py)   -0.4",
            "calca : the van Laar size of py in g (a + bT + cP in \"pm-axex.txt\") is -0.4 at 8 kbar, 700\xA1"
            "C: it must be above 0");
    // passes beyond the count of an int never end
    refused("exmc", "pm-exmc.txt", "mcit 200 0", "mcit 1e20 0",
            "reading scripts : in mcit, the number of passes 1e20 in \"pm-exmc.txt\" is more than a run can count "
            "(max = 2147483647)");
    // q's Landau term starts from its order at 298.15 K
    refused("ex", "pm-ds6ex.txt", "1    848", "1    100",
            "readthermopars : the Landau critical temperature 100 K of q in \"pm-ds6ex.txt\" must be above 298.15 K");
    // white mica's proportions summing to 0 gave modes of 0.001 at every point
    refused("exfract", "pm-axmica.txt", "p(mu)  1 1  1 1 -1 x", "p(mu)  1 1  0 1 -1 x",
            "setupphases : the end-member proportions of wm in \"pm-axmica.txt\" sum to 0 at its starting guess: they "
            "must sum to 1");
    // equations of state without a volume: tables of NaN
    refused("ex", "pm-ds6ex.txt", "0.0000063   731.00", "0.0000063   -1",
            "readthermopars : the kappa0 -1 kbar of q in \"pm-ds6ex.txt\" must be above 0 (or 0 for an end-member "
            "without compression)");
    refused("ex", "pm-ds6ex.txt", "731.00     6.00   -0.00821", "731.00     0   0",
            "readthermopars : the kappa0' 0 and kappa0'' 0 of q in \"pm-ds6ex.txt\" (with kappa0 731 kbar) give its "
            "Tait equation no positive b (b = 0): the volume integral divides by b, and 1 + bP must stay positive at "
            "every pressure");
    refused("ex5", "pm-ds5ex.txt", "1068.00   8.00", "1068.00   0",
            "readthermopars : the K' 0 of en in \"pm-ds5ex.txt\" must be neither 0 nor 1: the Murnaghan volume "
            "divides by K' and by K' - 1");
    // an interaction energy no phase can have: the notice "fn : not ok", and
    // an sd(a) of Inf in average P-T
    refused("exps", "pm-axex.txt", "W(py,gr)   31   0  0", "W(py,gr)   31   0  32768",
            "calca : the activity of py in g at 4 kbar, 500\xA1" "C is no number: the model in \"pm-axex.txt\" gives "
            "it an RT ln gamma of 13838.9 kJ");
    refused("exavpt", "pm-axex.txt", "W(py,gr)   31   0  0", "W(py,gr)   32768   0  0",
            "calcemactivities : the activity of gr in g at 8 kbar, 650\xA1" "C is no number: the model in "
            "\"pm-axex.txt\" gives it an RT ln gamma of 5663.25 kJ");
}

TEST(InputFaults, ATaitEquationWithNegativeAAndCGivesItsGibbsEnergy)
{
    // fo's kappa0 raised by a quarter with its kappa0'' kept: 1 + kappa0' +
    // kappa0 kappa0'' is -0.02, so a and c of its Tait equation are negative,
    // yet its volume is positive and falls with P. Its G at 8 kbar, 650 C, with
    // the volume integrated numerically to 30 digits, is -2284.514366025 kJ.
    auto files = examplerun(replaced(examplefile("pm-ds6ex.txt"), "1282.00     4.10", "1600.00     4.10"),
                            examplefile("pm-axex.txt"));
    files["pm-ex.txt"] = replaced(files["pm-ex.txt"], "with opx g q ky sillim", "with ol");
    const auto r = runpm(files, "");
    EXPECT_EQ(r.status, 0) << r.screen;
    EXPECT_NE(r.file("pm-ex-o.txt").find("\n    fo =   -2284.51436603\n"), std::string::npos) << r.file("pm-ex-o.txt");
}

// A batch line's variance below the one its phases have asked for a
// reaction among phases that have none (the notice "no reaction - WHY"),
// for a non-square system (the notice "non-square jacobian"), or solved P as
// well as T with status 0. Each batch is refused before any result.
TEST(InputFaults, ABatchVarianceBelowThatOfItsPhasesIsRefusedNamingTheBatch)
{
    auto files = examplescript("exfract");
    files["pm-exfract.txt"] = replaced(files["pm-exfract.txt"], "H2O 2 1\n", "H2O 1 1\n");
    expectrefused(files, "setupbatch : batch 1 (wm fsp q sillim H2O) is given variance 1, below the 2 of its phases: "
                         "give it 2 or more on its batch line");

    files = examplescript("exmc");
    files["pm-exmc.txt"] = replaced(files["pm-exmc.txt"], "sillim 3 1 1 8 700", "sillim 2 1 1 8 700");
    expectrefused(files, "setupbatch : batch 1 (g opx q sillim) is given variance 2, below the 3 of its phases: give "
                         "it 3 or more on its batch line");

    // A pseudosection batch: with a bulk a field is divariant, whatever the
    // count of its phases (3 here).
    files = examplescript("exmc");
    files["pm-exmc.txt"] =
        "axfile axex\nwith g opx q sillim\ninexcess none\npseudosection\nzeromodeisopleth no\nmodeisopleth no\n"
        "diagramPT 2 14 400 900\nbulk SiO2 Al2O3 CaO MgO FeO\nbulk 55 12 2 16 15\nbatchbulk 55 12 2 16 15\n"
        "batchxyzguess startblock\nbatchxyzguess x(g) 0.75\nbatchxyzguess z(g) 0.1\nbatchxyzguess x(opx) 0.25\n"
        "batchxyzguess Q(opx) 0.2\nbatch g opx q sillim 1 1 1 8 700 1 1 1 0 0 0\nautoexit\n*\n";
    expectrefused(files, "setupbatch : batch 1 (g opx q sillim) is given variance 1, below the 2 of its phases with a "
                         "bulk: give it 2 or more on its batch line");
}
