// The writers of the refined dataset and of the LaTeX tables, in-process on
// end-members made for the purpose: the covariance entries in their widths
// and lines, the dataset read back by the dataset reader, the labels of the
// end-member file, and the formulae and pages of the LaTeX tables.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "bombcheck.h"
#include "dsfit/dsfit.h"
#include "fittest.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

using namespace dsfit;
using fittest::FitDir;
using thermodata::sH;

namespace {

// n end-members "e1".."en" of one oxide each, with nothing else.
void plainendmembers(int n)
{
    fit.ntda = n;
    for (int i = 1; i <= n; ++i) {
        FitEm& e = fit.tda[i];
        e = FitEm{};
        e.name = thermodata::ds.dsemname[i] = "e" + std::to_string(i);
        e.description = "end-member";
        e.nel = 2;
        e.elcode[1] = 1;
        e.elamount[1] = 1.0;
        e.elcode[2] = 10;
        e.elamount[2] = 2.0;
        e.row.fill(0.0);
        e.kind = kplain;
        lsq.theta[i] = 0.0;
        for (int j = 1; j <= n; ++j) lsq.xxat(i, j) = 0.0;
    }
}

TEST(FitWriters, CovarianceEntriesAndTheDatasetReadBack)
{
    FitDir dir;
    plainendmembers(70);
    lsq.sigfit2 = 4.0;
    lsq.xxat(1, 1) = 0.00001;    // 4e-5 when scaled: " 0"
    lsq.xxat(1, 2) = 0.0625;     // 0.25 in 7 columns
    lsq.xxat(1, 3) = -0.125;     // -0.5 in 8
    lsq.xxat(1, 4) = 3086.4;     // 12345.6 in 12
    // the ordering and aqueous groups that end a record's fourth line, with
    // numbers that fill their fields: they once ran together ("14.20-0.0420")
    thermodata::TdRow& bw = fit.tda[2].row;
    bw[thermodata::sBWdH] = 14.2;
    bw[thermodata::sBWdHv] = -0.042;
    bw[thermodata::sBWW] = 13.1;
    bw[thermodata::sBWWv] = 0.4;
    bw[thermodata::sBWn] = 3.0;
    bw[thermodata::sBWfac] = 0.9;
    fit.tda[3].name = thermodata::ds.dsemname[3] = "e3+";
    fit.tda[3].row[thermodata::sAq] = -12.5;
    // a name of more than 22 characters after "pm-ds", once cut
    runio::files.scriptsuffix = "6fit-olivine-opx-v2";
    runio::run.datetext = "noon";
    fit.tda[70].name = "e70andmore";
    EXPECT_EQ(fittest::logof(writeds), "\nwriting data to \"pm-ds6fit-olivine-opx-v2.txt\"\nthe name e70andmore is longer than 8 "
                                       "characters: a dataset reader will not read it back\n");
    fit.tda[70].name = "e70";
    writeds();
    EXPECT_EQ(runio::files.filename, "pm-ds6fit-olivine-opx-v2.txt");
    const auto l = fittest::lines(pmtest::readfile("pm-ds6fit-olivine-opx-v2.txt"));
    ASSERT_EQ(l.size(), 3u + 4 * 70 + 1 + 41 + 2);
    EXPECT_EQ(l[3], "      e1   0  1   1.0000 10   2.0000  0");
    EXPECT_EQ(l[4], "             0.00   0.00000   0.0000");
    EXPECT_EQ(l[6], "         0.0000000     0.00     0.00    0.00000    0");
    EXPECT_EQ(l[10], "         0.0000000     0.00     0.00    0.00000    2  14.20 -0.0420  13.10 0.4000     3   0.90");
    EXPECT_EQ(l[14], "         0.0000000     0.00     0.00    0.00000   -1 -12.5000");
    // the check value, then entries until a line holds more than 120
    // characters: 29 for the first four, then 46 of " 0"
    std::string first = "  0.0000 0 0.2500 -0.5000  12345.6000";
    for (int k = 0; k < 46; ++k) first += " 0";
    EXPECT_EQ(l[284], first);
    // the rest of row 1 and then the zero rows break after 61 entries
    std::string zeros;
    for (int k = 0; k < 61; ++k) zeros += " 0";
    EXPECT_EQ(l[285], zeros);
    EXPECT_EQ(l[286], zeros);
    // 70 x 71 / 2 = 2485 entries: 50 on the first line, 39 x 61 after it
    // and 56 on the last
    EXPECT_EQ(l[323], zeros);
    EXPECT_EQ(l[324], zeros.substr(0, 112));
    EXPECT_EQ(l[325], "");
    EXPECT_EQ(l[326], "pm-ds6fit-olivine-opx-v2.txt produced at noon (sigfit =  2.000)");

    // the dataset reader takes the names, the covariance and the title less
    // its last 18 characters, and the values of the records
    runio::prefs.prefsdssuffix = "6fit-olivine-opx-v2";
    thermodata::readds(1);
    EXPECT_EQ(thermodata::ds.ndsem, 70);
    EXPECT_EQ(runio::trim(thermodata::ds.dsemname[70]), "e70");
    EXPECT_EQ(thermodata::ds.dstitle, "pm-ds6fit-olivine-opx-v2.txt produced at noon");
    thermodata::EndMembers& ems = thermodata::ems;
    ems.td.assign(thermodata::maxem + 1, thermodata::TdRow{});
    ems.cov.assign(static_cast<std::size_t>(thermodata::maxem + 1) * (thermodata::maxem + 1), 0.0);
    ems.nem = 2;
    ems.emname[1] = "e2";
    ems.emname[2] = "e3+";
    thermodata::readds(3);
    EXPECT_EQ(ems.td[1][thermodata::sBWdHv], -0.042);
    EXPECT_EQ(ems.td[2][thermodata::sAq], -12.5);
    runio::closeread(thermodata::ds.dsfile);
}

TEST(FitWriters, LabelsOfTheEndMemberFile)
{
    EXPECT_EQ(cleanlabel(""), "");
    EXPECT_EQ(cleanlabel("x"), "");
    EXPECT_EQ(cleanlabel("   {kappa0, kappa0'}  "), "kappa0, kappa0'");
    EXPECT_EQ(cleanlabel(" {open"), "open");
    EXPECT_EQ(cleanlabel("   % H (kJ), sd(H), kind"), "H (kJ), sd(H), kind");
    EXPECT_EQ(cleanlabel("   H (kJ), sd(H)  "), "H (kJ), sd(H)");

    // An sd(H) of 99 leaves H free in the fit, so the file carries the
    // refined H for the next fit to start from; calorimetry stays as read.
    FitDir dir;
    plainendmembers(2);
    fit.tda[1].hread = -900.0;
    fit.tda[1].sdhread = 99.0;
    fit.tda[1].row[sH] = -905.5;
    fit.tda[2].hread = -800.0;
    fit.tda[2].sdhread = 0.5;
    fit.tda[2].row[sH] = -801.0;
    fitopts.emsuffix = "t";
    writeemfile();
    const std::string em = pmtest::readfile("ds-emt-i.txt");
    EXPECT_NE(em.find("\n   -905.50     100   1" + std::string(28, ' ') + "% \n"), std::string::npos) << em;
    EXPECT_NE(em.find("\n   -800.00    0.50   1" + std::string(28, ' ') + "% \n"), std::string::npos) << em;
}

// A number whose digits fill or pass its field keeps a blank before it, so
// the next fit reads back what this one wrote: an element amount after
// element code 10, and an sd(S) taken as 0.001 S, once ran into their
// neighbours ("105.33333333", "0.092050.00009205"); and the file keeps its
// whole name, which the next fit's emsuffix names.
TEST(FitWriters, EndMemberFileReadBackWhateverTheDigits)
{
    FitDir dir;
    plainendmembers(1);
    FitEm& e = fit.tda[1];
    e.atoms = 3;
    e.elamount[2] = 5.333333333;   // written to 8 decimals
    e.row[thermodata::sS] = 0.09205;
    e.sds = 0.00009205;
    e.hread = -900.0;
    e.sdhread = 0.5;
    fitopts.emsuffix = "example-olivine-1";
    writeemfile();
    runio::closeread(runio::files.infile);
    ASSERT_TRUE(runio::openread(runio::files.infile, "ds-emexample-olivine-1-i.txt"));
    readth();
    ASSERT_EQ(fit.ntda, 1);
    const FitEm& back = fit.tda[1];
    EXPECT_EQ(back.nel, 2);
    EXPECT_EQ(back.elcode[2], 10);
    EXPECT_EQ(back.elamount[2], 5.33333333);
    EXPECT_EQ(back.row[thermodata::sS], 0.09205);
    EXPECT_EQ(back.sds, 0.00009205);
    EXPECT_EQ(back.code, 0);
    EXPECT_EQ(back.atoms, 3);
}

FitEm& withelements(int i, const std::string& name, const std::vector<std::pair<int, double>>& elements)
{
    FitEm& e = fit.tda[i];
    e.name = thermodata::ds.dsemname[i] = name;
    e.nel = static_cast<int>(elements.size());
    for (int k = 1; k <= e.nel; ++k) {
        e.elcode[k] = elements[static_cast<std::size_t>(k - 1)].first;
        e.elamount[k] = elements[static_cast<std::size_t>(k - 1)].second;
    }
    return e;
}

TEST(FitWriters, LatexFormulaePagesAndTerms)
{
    FitDir dir;
    plainendmembers(42);
    // element codes: Si 1, Al 3, Ca 7, Na 8, K 9, O 10, H 11, e 14
    withelements(1, "ab", {{1, 3.0}, {8, 1.0}, {10, 8.0}, {3, 1.0}});
    withelements(2, "mu", {{9, 1.0}, {3, 3.0}, {1, 3.0}, {10, 12.0}, {11, 2.0}});
    withelements(3, "Na+", {{8, 1.0}, {14, -1.0}});
    withelements(4, "Ca++", {{7, 1.0}, {14, -2.0}});
    withelements(5, "H2O", {{11, 2.0}, {10, 1.0}});
    withelements(6, "half", {{8, 0.5}, {1, 1.0}, {10, 2.25}});
    // an amount beyond every integer type is written out whole
    withelements(11, "huge", {{1, 1e20}, {10, 2.0}});
    FitEm& landau = fit.tda[7];
    landau.row[thermodata::sTc] = 848.0;
    landau.row[thermodata::sSmax] = 0.005;
    landau.row[thermodata::sVmax] = 0.119;
    FitEm& bw = fit.tda[8];
    bw.row[thermodata::sBWn] = 3.0;
    bw.row[thermodata::sBWdH] = 14.2;
    bw.row[thermodata::sBWfac] = 0.9;
    FitEm& melt = withelements(9, "abL", {{1, 3.0}, {8, 1.0}, {10, 8.0}, {3, 1.0}});
    melt.row[thermodata::sDkappadT] = -0.0125;
    fit.tda[10].kind = kaqueous;
    fit.tda[10].row[thermodata::sAq] = 1.25;
    fit.tda[1].row[sH] = -3934.0;
    fit.tda[1].sdh = 2.5;

    const std::string log = fittest::logof(latex);
    for (const char* row : {"\nab & end-member  & Na$_{}$Al$_{}$Si$_{3}$O$_{8}$ \\\\\n",
                            "\nmu & end-member  & K$_{}$Al$_{3}$Si$_{3}$O$_{10}$(OH)$_{2}$ \\\\\n",
                            "\nNa+ & end-member  & Na$^{+}$ \\\\\n", "\nCa++ & end-member  & Ca$^{2+}$ \\\\\n",
                            "\nH2O & end-member  & H$_{2}$O$_{}$ \\\\\n",
                            "\nhalf & end-member  & Na$_{0.5}$Si$_{}$O$_{2.2}$ \\\\\n",
                            "\nhuge & end-member  & Si$_{100000000000000000000}$O$_{2}$ \\\\\n"})
        EXPECT_NE(log.find(row), std::string::npos) << row;
    EXPECT_NE(log.find("\n\n% " + std::string(46, '-') + "\n% end-member formulae\n\n"
                       "\\begin{tabular}{|p{1.5cm}p{3.5cm}p{4.5cm}|} \\hline\nab & "),
              std::string::npos);
    // 41 formulae and 40 property rows to a page
    EXPECT_NE(log.find("\ne41 & end-member  & Si$_{}$O$_{2}$ \\\\\n\\hline \\end{tabular}\n\\newpage\n\n"
                       "\\begin{tabular}{|p{1.5cm}p{3.5cm}p{4.5cm}|} \\hline\ne42 & "),
              std::string::npos);
    EXPECT_NE(log.find("  \\\\\n\\hline \\end{tabular}\n\\newpage\n\n\\scriptsize\n"
                       "\\begin{tabular}{|l|rr|rr|rrrr|rrrr|r|} \\hline\n"),
              std::string::npos);
    EXPECT_EQ(pmtest::countof(log, "\\newpage"), 2);
    EXPECT_LT(log.find("\ne40      &"), log.find("\\newpage\n\n\\scriptsize"));
    EXPECT_GT(log.find("\ne41      &"), log.find("\\newpage\n\n\\scriptsize"));
    EXPECT_NE(log.find("\nab       &   -3934.00 &    2.50 &        0 &        0 &"), std::string::npos);
    // the term column and the term tables
    EXPECT_NE(log.find("\ne7       &          0 &       0 &        0 &        0 &        0 &         0 &         0 &"
                       "         0 &       0 &        0 &       0 &        0 &  1  \\\\\n"),
              std::string::npos);
    EXPECT_NE(log.find("\ne7       &     848 &    5.00 &  0.1190  \\\\\n"), std::string::npos);
    EXPECT_NE(log.find("\ne8       &   14.20 &       0 &       0 &       0 &     3 &  0.90  \\\\\n"), std::string::npos);
    EXPECT_NE(log.find("\nabL      &   -0.01250  \\\\\n"), std::string::npos);
    EXPECT_NE(log.find("\ne10      &   1.2500  \\\\\n"), std::string::npos);
    EXPECT_NE(log.find("  3  \\\\\n"), std::string::npos);
    EXPECT_NE(log.find("  4  \\\\\n"), std::string::npos);

    fit.tda[12].nel = 0;
    EXPECT_BOMB(latex(), "-- run bombed in latex : no ox");
}

}  // namespace
