// The dataset reader on both layouts: names and title, formulas, data slots,
// covariances, and every way a file can stop the run.
#include <cmath>

#include "dsfixture.h"

namespace {

using dstest::onstderr;
using thermodata::ds;
using thermodata::ems;
using thermodata::readds;
using ::testing::ExitedWithCode;

// Records as the fit's writer lays them out (widths 8/4/3/9.4, 17.2/10.5/9.4,
// 11.4/15.9/10.1/10.4, 18.7/9.2/9.2/11.5 ...): a plain solid, a Landau
// solid, a Bragg-Williams solid, an aqueous ion, a liquid, a solid whose
// negative dkappa0/dT the writer adds, and a name of 10 characters.
const char* const recfo =
    "      fo   1  5   2.0000  1   1.0000 10   4.0000  0\n"
    "         -2174.30   0.09510   4.3660\n"
    "         0.2590    0.000007000   -1750.0   -2.3800\n"
    "         0.0000285  1282.00     4.10   -0.00320    0\n";
const char* const recrest =
    "       q   1  1   1.0000 10   2.0000  0\n"
    "          -910.70   0.04150   2.2690\n"
    "         0.1110    0.000003000    -750.0   -1.0200\n"
    "         0.0000063   731.00     6.00   -0.00821    1    848   0.00500    0.1190\n"
    "      ab   4  8   1.0000  3   1.0000  1   3.0000 10   8.0000  0\n"
    "         -3934.00   0.20730  10.0100\n"
    "         0.4810    0.000013000   -3250.0   -4.4200\n"
    "         0.0000236   541.00     5.90   -0.01091    2  14.20 0.4200  13.10 0.4000     3   0.90\n"
    "     Na+   0  8   1.0000 14  -1.0000  0\n"
    "          -240.30   0.05890  -0.1200\n"
    "         0.0380    0.000100000       0.0    0.0000\n"
    "         0.0000000     0.00     0.00    0.00000   -1  0.0500\n"
    "     abL   0  8   1.0000  3   1.0000  1   3.0000 10   8.0000  0\n"
    "         -3809.00   0.24330  10.9000\n"
    "         0.3580    0.000000000       0.0    0.0000\n"
    "         0.0000370   252.00     7.00   -0.02778   -0.02000    0\n"
    "     per   1  5   1.0000 10   1.0000  0\n"
    "          -601.60   0.02680   1.1260\n"
    "         0.0740    0.000002000    -500.0   -0.6800\n"
    "         0.0000310  1616.00     3.90   -0.00241   -0.00150    0\n"
    "periclase1   1  5   1.0000 10   1.0000  0\n"
    "          -601.60   0.02680   1.1260\n"
    "         0.0740    0.000002000    -500.0   -0.6800\n"
    "         0.0000310  1616.00     3.90   -0.00241    0\n";
const char* const covblock =
    "\n"
    "  0.1234  0.1000  0.0120  0.0130  0.0140  0.0150  0.0160  0.0170  0.2200  0.0230  0.0240  0.0250  0.0260\n"
    "  0.0270  0.3300  0.0340  0.0350  0.0360  0.0370  0.4400  0.0450  0.0460  0.0470  0.5500  0.0560  0.0570\n"
    "  0.6600  0.0670  0.7700\n"
    "\n"
    "pm-ds6t.txt produced at 10.00 on Mon 3 Jun,2024 (sigfit =  1.234)\n";

std::string header(int n, const std::string& line3)
{
    return (n < 10 ? "   " : n < 100 ? "  " : " ") + std::to_string(n) +
           "    don't fiddle with the numbers: you'll BREAK the dataset...\n  \n" + line3 + "\n";
}

std::string newfile() { return header(7, "5") + recfo + recrest + covblock; }

const char* const oldfile =
    "   2    old layout, two end-members\n"
    "  \n"
    "      fo   1  5   2.0000  1   1.0000 10   4.0000  0\n"
    "    -2174.30   0.09500   4.3660    0.2590  0.000007000   -1750.0   -2.3800   0.0000385  10.00  1282.00   4.10  -0.150    0\n"
    "       q   1  1   1.0000 10   2.0000  0\n"
    "     -910.70   0.04150   2.2690    0.1110  0.000003000    -750.0   -1.0200   0.0000085  10.00   731.00   6.00  -0.150    1    848   0.00500    0.1190\n"
    "\n"
    "  0.0000  0.2961  0.1584  0.0144\n"
    "\n"
    "pm-ds5t.txt old (sigfit =  1.000)\n";

double f32(double x) { return static_cast<double>(static_cast<float>(x)); }

class DsReader : public dstest::DsDir {};

TEST_F(DsReader, NewLayoutNamesTitleAndGeneration)
{
    dataset("6t", newfile());
    readds(1);
    EXPECT_EQ(ds.ndsem, 7);
    EXPECT_EQ(ds.dsemname[1], "fo      ");
    EXPECT_EQ(ds.dsemname[4], "Na+     ");
    EXPECT_EQ(ds.dsemname[6], "per     ");
    EXPECT_EQ(ds.dsemname[7], "periclas");   // a name is its first 8 characters
    EXPECT_EQ(ds.dsmode, 5);
    EXPECT_TRUE(ds.dsnew);
    EXPECT_FALSE(ds.dsold);
    EXPECT_TRUE(ds.dsgen6);
    EXPECT_EQ(ds.filesuffix, "ds6t");
    EXPECT_EQ(ds.dsfilename, "pm-ds6t.txt");
    // The writer's 18-character tail " (sigfit =  1.234)" is dropped.
    EXPECT_EQ(ds.dstitle, "pm-ds6t.txt produced at 10.00 on Mon 3 Jun,2024");
    int i;
    EXPECT_TRUE(thermodata::findem("per", i));
    EXPECT_EQ(i, 6);
    EXPECT_FALSE(thermodata::findem("pe", i));
    EXPECT_EQ(i, 0);
}

TEST_F(DsReader, OldLayoutNamesAndShortTitle)
{
    dataset("5t", oldfile);
    readds(1);
    EXPECT_EQ(ds.ndsem, 2);
    EXPECT_EQ(ds.dsemname[2], "q       ");
    EXPECT_EQ(ds.dsmode, -1);
    EXPECT_TRUE(ds.dsold);
    EXPECT_FALSE(ds.dsnew);
    EXPECT_FALSE(ds.dsgen6);
    EXPECT_EQ(ds.dstitle, "pm-ds5t.txt old");
}

TEST_F(DsReader, ShortTitleStaysWholeAndDsmodeAboveFiveIsNewLayout)
{
    std::string text = header(7, "8") + recfo + recrest + covblock;
    text.replace(text.find("pm-ds6t.txt produced"), std::string::npos, "ten chars!\n");
    dataset("6t", text);
    readds(1);
    EXPECT_EQ(ds.dsmode, 8);
    EXPECT_TRUE(ds.dsnew);
    EXPECT_EQ(ds.dstitle, "ten chars!");
}

TEST_F(DsReader, DataSlotsOfEveryKindOfRecord)
{
    dataset("6t", newfile());
    readds(1);
    working({"fo", "q", "ab", "Na+", "abL", "per", "fo"});
    readds(3);
    const auto& fo = ems.td[1];
    const double expectfo[] = {0, -2174.30, 0.09510, 4.3660, 0.2590, 0.000007, -1750.0, -2.38, 0.0000285, 1282.0, 4.10, -0.00320};
    for (int s = 1; s <= 11; ++s) EXPECT_DOUBLE_EQ(fo[s], expectfo[s]) << "slot " << s;
    // theta = round(10636 / (1000 x 0.0951 / 7 + 6.44)) = round(531.06), hand-worked.
    EXPECT_EQ(fo[thermodata::sTheta], 531.0);
    EXPECT_EQ(fo[thermodata::sDkappadT], 0.0);
    EXPECT_EQ(fo[thermodata::sTc], 0.0);
    EXPECT_EQ(fo[thermodata::sSmax], -1.0);
    EXPECT_EQ(fo[thermodata::sVmax], -1.0);
    EXPECT_EQ(fo[thermodata::sAq], 0.0);
    EXPECT_EQ(fo[thermodata::sBWn], 0.0);
    EXPECT_EQ(fo[thermodata::sBWfac], 1.0);
    EXPECT_EQ(ems.emcode[1], 1);
    EXPECT_EQ(ems.emncomp[1], 3);
    EXPECT_EQ(ems.emcompcode[1][3], 10);
    EXPECT_EQ(ems.emcompamt[1][1], 2.0);
    EXPECT_EQ(ems.ematoms[1], 7.0);

    const auto& q = ems.td[2];
    EXPECT_EQ(q[thermodata::sTheta], 525.0);   // round(10636 / 20.2733) = round(524.63)
    EXPECT_EQ(q[thermodata::sTc], 848.0);
    EXPECT_DOUBLE_EQ(q[thermodata::sSmax], 0.005);
    EXPECT_DOUBLE_EQ(q[thermodata::sVmax], 0.119);

    const auto& ab = ems.td[3];
    const double bw[] = {14.20, 0.42, 13.10, 0.40, 3.0, 0.90};
    for (int s = 0; s < 6; ++s) EXPECT_DOUBLE_EQ(ab[thermodata::sBWdH + s], bw[s]);
    EXPECT_EQ(ab[thermodata::sSmax], -1.0);
    EXPECT_EQ(ems.emcode[3], 4);

    // The aqueous term less 298.15 b: 0.05 - 298.15 x 0.0001, hand-worked.
    const auto& na = ems.td[4];
    EXPECT_NEAR(na[thermodata::sAq], 0.020185, 1e-15);
    EXPECT_EQ(ems.ematoms[4], 0.0);
    EXPECT_EQ(na[thermodata::sTheta], 10.0);   // no atoms: 0, lifted to the floor of 10
    EXPECT_EQ(ems.emcode[4], 0);

    const auto& liq = ems.td[5];
    EXPECT_EQ(liq[thermodata::sTheta], 0.0);
    EXPECT_DOUBLE_EQ(liq[thermodata::sDkappadT], -0.02);
    EXPECT_EQ(liq[thermodata::sSmax], -1.0);

    // The writer adds dkappa0/dT to a solid's line when it is negative.
    const auto& per = ems.td[6];
    EXPECT_DOUBLE_EQ(per[thermodata::sDkappadT], -0.0015);
    EXPECT_EQ(per[thermodata::sTheta], 536.0);   // round(10636 / 19.84)
    EXPECT_EQ(per[thermodata::sSmax], -1.0);

    EXPECT_EQ(ems.td[7], ems.td[1]);
    EXPECT_EQ(ems.emcode[7], 1);
    EXPECT_EQ(ems.ematoms[7], 7.0);
    for (int s = 1; s <= thermodata::nslots; ++s) EXPECT_EQ(ems.td[8][s], 0.0);
}

TEST_F(DsReader, CovariancesPassThroughSinglePrecisionToEveryCopy)
{
    dataset("6t", newfile());
    readds(1);
    working({"fo", "q", "abL", "per", "fo"});
    readds(3);
    EXPECT_EQ(ems.covat(1, 1), f32(0.1));
    EXPECT_NE(ems.covat(1, 1), 0.1);   // 0.100000001490116..., not the double 0.1
    EXPECT_EQ(ems.covat(1, 5), f32(0.1));
    EXPECT_EQ(ems.covat(5, 5), f32(0.1));
    EXPECT_EQ(ems.covat(1, 2), f32(0.012));
    EXPECT_EQ(ems.covat(2, 5), f32(0.012));
    EXPECT_EQ(ems.covat(2, 2), f32(0.22));
    EXPECT_EQ(ems.covat(3, 4), f32(0.056));   // abL (5th in the file) with per (6th)
    EXPECT_EQ(ems.covat(4, 3), f32(0.056));
    EXPECT_EQ(ems.covat(4, 1), f32(0.016));
    EXPECT_EQ(ems.covat(4, 4), f32(0.66));
    EXPECT_FALSE(ds.dsfile.f != nullptr);   // stage 3 closes the file
}

TEST_F(DsReader, OldLayoutShiftsTheEquationOfStateValues)
{
    dataset("5t", oldfile);
    readds(1);
    working({"q", "fo"});
    readds(3);
    const auto& fo = ems.td[2];
    EXPECT_DOUBLE_EQ(fo[8], 0.0000385);
    EXPECT_DOUBLE_EQ(fo[9], 10.0);
    EXPECT_EQ(fo[10], 0.0);
    EXPECT_DOUBLE_EQ(fo[11], 1282.0);
    EXPECT_DOUBLE_EQ(fo[12], 4.10);
    EXPECT_DOUBLE_EQ(fo[13], -0.15);
    EXPECT_EQ(ems.td[1][thermodata::sTc], 848.0);
    EXPECT_EQ(ems.covat(1, 2), f32(0.1584));
    EXPECT_EQ(ems.covat(1, 1), f32(0.0144));
}

TEST_F(DsReader, HeaderFaultsStopTheRun)
{
    dataset("7t", newfile());
    EXPECT_EXIT(onstderr([] { readds(1); }), ExitedWithCode(1), "setuptextread : bad dsfile name");
    dataset("6t", header(301, "5"));
    EXPECT_EXIT(onstderr([] { readds(1); }), ExitedWithCode(1), "setuptextread : too many end-members");
    dataset("6t", header(7, "") + recfo);
    EXPECT_EXIT(onstderr([] { readds(1); }), ExitedWithCode(1), "readthermo : not expecting blank line");
    dataset("6t", header(7, "5 6") + recfo);
    EXPECT_EXIT(onstderr([] { readds(1); }), ExitedWithCode(1), "readthermo : unrecognised start of info");
    dataset("6t", header(7, "3") + recfo);
    EXPECT_EXIT(onstderr([] { readds(1); }), ExitedWithCode(1), "thermo read : dsmode = 3 not implemented");
    dataset("5t", "   2\n  \n      fo   1  5   2.0000  0\n  1 2 3 4 5\n");
    EXPECT_EXIT(onstderr([] { readds(1); }), ExitedWithCode(1), "readthermo : insufficient info on 2nd line");
}

TEST_F(DsReader, NamesAndCopiesBeyondTheMapStopTheRun)
{
    dataset("6t", newfile());
    readds(1);
    working({"fo", "gr"});
    EXPECT_EXIT(onstderr([] { readds(2); }), ExitedWithCode(1), "makep : stuff up : unrecognised name : gr");
    working({"fo", "q", "fo", "fo", "fo", "fo"});
    EXPECT_EXIT(onstderr([] { readds(3); }), ExitedWithCode(1),
                "makep : end-member fo of \"pm-ds6t.txt\" is wanted at more than 4 places of one calculation \\(max = 4\\)");
}

TEST_F(DsReader, FormulaFaultsNameTheFileAndTheEndMember)
{
    std::string nine = header(1, "5") + "      xx   1";
    for (int p = 0; p < 9; ++p) nine += " 11   1.0000";
    nine += "  0\n         -1.00   0.01000   1.0000\n    1 0 0 0\n 0 1000 4 0    0\n\n  0.0000  0.1000\n\nt\n";
    dataset("6f", nine);
    readds(1);
    working({"xx"});
    EXPECT_EXIT(onstderr([] { readds(2); }), ExitedWithCode(1),
                "more than 8 \\(element, amount\\) pairs in the formula of xx in \"pm-ds6f.txt\" \\(max = 8\\)");

    std::string bad = newfile();
    bad.replace(bad.find(" 10   4.0000  0"), 15, " 20   4.0000  0");
    dataset("6f", bad);
    readds(1);
    working({"fo"});
    EXPECT_EXIT(onstderr([] { readds(3); }), ExitedWithCode(1),
                "element code 20 of fo in \"pm-ds6f.txt\" is not an entry of the oxide table \\(1 to 19\\)");
}

TEST_F(DsReader, UnreadableNumbersNameTheItem)
{
    dataset("6t", newfile());
    readds(1);
    working({"periclas"});
    // The tail of a 10-character name is where the code should be.
    EXPECT_EXIT(onstderr([] { readds(2); }), ExitedWithCode(1),
                "readdscomps : cannot read \"e1\" as the code of end-member periclas in \"pm-ds6t.txt\"");

    std::string bad = newfile();
    bad.replace(bad.find("-2174.30"), 8, "-2174.3x");
    dataset("6t", bad);
    readds(1);
    working({"q", "fo"});
    EXPECT_EXIT(onstderr([] { readds(3); }), ExitedWithCode(1),
                "readthermopars : cannot read \"-2174.3x\" as the H of end-member fo in \"pm-ds6t.txt\"");

    bad = newfile();
    bad.replace(bad.find("    1    848"), 5, "    x");
    dataset("6t", bad);
    readds(1);
    working({"q"});
    EXPECT_EXIT(onstderr([] { readds(3); }), ExitedWithCode(1),
                "cannot read \"x\" as the flag of end-member q in \"pm-ds6t.txt\"");
}

TEST_F(DsReader, EndOfFileInsideTheDataNamesWhatIsMissing)
{
    std::string cut = newfile();
    cut.erase(cut.find("  0.0270  0.3300"));
    dataset("6t", cut);
    EXPECT_EXIT(onstderr([] { readds(1); }), ExitedWithCode(1),
                "readthermo : the file \"pm-ds6t.txt\" ends inside the entry with periclas of covariance row of q");

    // Fewer records than the count says.
    dataset("6t", header(7, "5") + recfo);
    EXPECT_EXIT(onstderr([] { readds(1); }), ExitedWithCode(1),
                "readthermo : the file \"pm-ds6t.txt\" ends inside the name of record 2");
}

}  // namespace
