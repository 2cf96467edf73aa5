// The fit run end to end on the whole example (olivine, orthopyroxene,
// quartz and coesite with unknown compositions, a divariant assemblage, and
// simple reactions), with a run left out before the others, a second pair
// of brackets that contradicts the first, zero uncertainties and the
// pathological experiments bulleted: the assemblage tables, the report and
// its verdicts, the refined dataset read back by the dataset reader in a
// mode-0 run, the csv table, and the new end-member file that starts a
// second fit where the first ended.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "fittest.h"

using fittest::replaced;
using pmtest::countof;
using pmtest::runpm;

namespace {

std::map<std::string, std::string> reportfiles()
{
    auto files = fittest::fullexample();
    std::string& xp = files["ds-xpex.txt"];
    xp = replaced(xp, "1  fo q en\n",
                  "2  fo q en\n  -1 -1 1    1.0   an unused run\n  1 1 1\n  1  10.0   650  0\n  0  10.0   900  0\n-1\n"
                  "1  fo q en\n");
    xp = replaced(xp, "  0  11.0   890  0\n", "  0  11.0   890  0\n  1  12.0   900  0\n  0  12.0   850  0\n");
    xp = replaced(xp, "977.0\n", "977.0\n1  q coe\n  -1 1    -2.50  0  298.15\n");
    files["ds-emex.txt"] = replaced(files["ds-emex.txt"], "-2174.30   0.60", "-2174.30   0.00");
    files["ds-prefs.txt"] = replaced(files["ds-prefs.txt"], "mark456 no", "mark456 yes");
    return files;
}

// The numbers of a line after a marker, read as they stand.
std::vector<double> numbers(const std::string& text, const std::string& marker, int count)
{
    std::vector<double> v;
    const std::size_t at = text.find(marker);
    EXPECT_NE(at, std::string::npos) << marker;
    if (at == std::string::npos) return v;
    std::istringstream in(text.substr(at + marker.size()));
    double x;
    while (static_cast<int>(v.size()) < count && in >> x) v.push_back(x);
    return v;
}

double after(const std::string& text, const std::string& marker) { return numbers(text, marker, 1).at(0); }

TEST(FitReport, ExampleWithSolutionPhasesEndToEnd)
{
    const auto r = runpm(reportfiles(), "3\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& out = r.file("ds-o6fit.txt");
    const std::string& log = r.file("pm-log.txt");

    // the univariant assemblage, calculated bracket by bracket: a pair at one
    // T solves P, a pair at one P solves T, and 50 kbar lies beyond the T
    // window of the brackets
    const std::string univariant =
        "\n--begin" + std::string(63, '-') +
        "\n\nunivariant involving ol opx q coe  (unknown comps)  (made-up quartz-coesite reversals with olivine and "
        "orthopyroxene)\n\n"
        "   4 reactions:\n"
        "       fo    fa    en    fs    fm     q   coe\n"
        "        1     0    -1     0     0     0     1\n"
        "        1     0    -1     0     0     1     0\n"
        "        1    -1    -2     0     2     0     0\n"
        "        1    -1    -1     1     0     0     0\n\n"
        "  P(kbar)      T(C)        calc     x(ol)    x(opx)    Q(opx)    miss\n"
        " 24.0 26.0     700         25.0    0.7512    0.6226    0.2547\n"
        "    27.0     900  800       811    0.7484    0.6353    0.1995\n"
        "     50.00      --    not converged  (?not in T window: 100 - 1500)\n";
    for (const std::string* text : {&out, &log}) EXPECT_NE(text->find(univariant), std::string::npos) << out;
    EXPECT_NE(out.find("\n\n    4)  q = coe   (made-up quartz-coesite reversals with olivine and orthopyroxene)\n\n"
                       "     ln_K     x(CO2)    P(kbar)      T(C)     H(low) H(high)  miss   calc   2sd        summary\n"
                       "        0        -   24.0  26.0     700        2.33    2.68         24.98         "
                       "3 (2.34 <-> 2.59)  (2.47, 0.10, 1.21)\n"
                       "        0        -      27.0      900  800     2.19    2.54           811         "
                       "cH = 2.50 (sd  0.00) \n"
                       "        0        -      50.0           900             5.64             *         within bracket\n" +
                       std::string(82, ' ') + "uH = 2.47, d/s = 0.3, h = 0.00\n"),
              std::string::npos);
    EXPECT_NE(out.find("--end" + std::string(65, '-') + "\n\n--begin" + std::string(63, '-') +
                       "\n\ndivariant involving ol q opx  (made-up olivine and orthopyroxene compositions)\n"),
              std::string::npos);
    EXPECT_NE(out.find("  P(kbar)      T(C)        calc     x(ol)    x(opx)    Q(opx)\n"
                       "    20.0          850         -    0.4520    0.3280    0.1738\n"
                       "    20.0     800              -    0.4922    0.3604    0.2038\n"),
              std::string::npos);
    EXPECT_EQ(countof(out, "\n--begin"), 2);
    EXPECT_EQ(countof(out, "\n--end" + std::string(65, '-') + "\n"), 2);

    // the refined properties, and the calorimetry with zero uncertainties
    EXPECT_NE(out.find("\n\nThermodynamic properties (units : kJ, K, kbar)\n\n" + std::string(17, ' ') +
                       "H  sd(H)       S       V       a        b        c        d     a0      K0    K0'    K0''"
                       "     Tc   Smax   Vmax\n"
                       "per        -601.87   0.66   26.80   1.126  0.0740   0.2000   -500.0  -0.6800   3.10  1616.0 "
                       "  3.90 -0.0024\n"
                       "q          -910.11   1.10   41.50   2.269  0.1110   0.3000   -750.0  -1.0200   0.63   731.0 "
                       "  6.00 -0.0082    848   5.00 0.1190\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\n\nDirect calorimetry\n\n           value     sd     e*    hat\n"
                       "per      -601.60   0.30   0.91   0.30\n"),
              std::string::npos);
    EXPECT_NE(out.find("\nfo      -2174.30      0    <0>   1.00\n"), std::string::npos);
    EXPECT_NE(out.find("\n\nOxide calorimetry\n\n          T   H(cal)    sd   H(298)     e*    hat\n"
                       "per     704     66.6   0.8     61.2    0.2   0.11\n"
                       "q        25     -2.5     0     -2.5    ***   1.00\n"),
              std::string::npos);
    // e* = (value - H) / sd with H of the table
    EXPECT_NEAR(after(out, "\nper      -601.60   0.30"), (-601.60 - after(out, "\nper     ")) / 0.30, 0.015);

    // the simple reactions: a run left out, pairs at one P (T pairs), one of
    // which contradicts the other, pairs at one T (P pairs) and one at one P
    // and T with two activities (a K pair)
    EXPECT_NE(out.find("\n\nExperimental results\n\n*  fo + q = en   (an unused run)\n\n"), std::string::npos);
    EXPECT_NE(out.find("    ** NOT USED **\n" + std::string(82, ' ') + "cH = -0.61 (sd  0.28)\n"), std::string::npos);
    EXPECT_NE(out.find("\n2)  fo + q = en   (made-up reversals)\n\n"), std::string::npos);
    EXPECT_NE(out.find("\n        0        -      10.0      800  700    -0.84   -0.20           767    84   "
                       "\xE2\x88\x91" "5 (-0.84 <-> -0.54)  (-0.69, 0.07, 2.01)\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\n        0        -      12.0      850  900    -0.31   -0.70     <>    "), std::string::npos);
    EXPECT_NE(out.find("\n     6.82        -   11.0   9.0     800      -59.99  -59.48"), std::string::npos);
    EXPECT_NE(out.find("\n  7.01  5.99     -      10.0         850      -64.20  -54.66"), std::string::npos);
    EXPECT_NE(out.find("\n     0.84        -      24.0      700         -1.56                   700         "
                       "\xE2\x88\x91" "6 (-1.58 <-> -0.79)  (-1.19, 0.31, 1.27)\n"),
              std::string::npos);
    EXPECT_NE(out.find("cH = -0.61 (sd  0.28) \n"), std::string::npos);
    EXPECT_NE(out.find(" too high but OK\n"), std::string::npos);
    EXPECT_NE(out.find(" within bracket\n"), std::string::npos);

    // cH of the run left out is en - fo - q from the table
    const double den = after(out, "\nen     ") - after(out, "\nfo     ") - after(out, "\nq      ");
    EXPECT_NEAR(after(out, "cH = "), den, 0.011);

    // the hat values of all observations add up to the number of unknowns
    double hats = 0.0;
    const std::size_t from = out.find("\nDirect calorimetry"), to = out.find("\nExperimental results");
    const std::string calorimetry = out.substr(from, to - from), experiments = out.substr(to);
    const std::regex hatcolumn("   ([0-9.]+)\n"), hatsummary(", h = ([0-9.]+)\n");
    for (std::sregex_iterator it(calorimetry.begin(), calorimetry.end(), hatcolumn), end; it != end; ++it)
        hats += std::stod((*it)[1]);
    for (std::sregex_iterator it(experiments.begin(), experiments.end(), hatsummary), end; it != end; ++it)
        hats += std::stod((*it)[1]);
    EXPECT_NEAR(hats, 7.0, 0.03);
    EXPECT_EQ(countof(calorimetry, "\n"), 18);
    EXPECT_EQ(countof(experiments, ", h = "), 6);

    // unused runs are hidden when asked
    auto files = reportfiles();
    fittest::addsettings(files, "printomit no\n");
    const auto hidden = runpm(files, "3\n");
    EXPECT_EQ(countof(hidden.file("ds-o6fit.txt"), "an unused run"), 0);
    EXPECT_EQ(countof(hidden.file("ds-o6fit.txt"), "NOT USED"), 0);
}

// A calorimetric outlier of its own end-member z swells sigfit, and with it
// sd(cH) and sdT of every reaction, beyond every integer type; an rfac of
// 1e20 likewise. Their whole-number columns are written in full (once
// "     0" and "-9223372036854775808").
TEST(FitReport, WholeNumbersBeyondEveryIntegerAreWrittenInFull)
{
    auto files = fittest::examplefiles();
    files["ds-emex.txt"] = replaced(files["ds-emex.txt"], "\n*\n",
                                    "\nz an outlier\n 5 1.0 10 1.0 0  1 2\n -601.6 0.3 1\n 0.0268 0.0001\n 1.126\n"
                                    " 0.074 0.000002 -500 -0.68\n 0.000031\n 1616 3.9 -0.00241\n\n*\n");
    std::string& xp = files["ds-xpex.txt"];
    xp = replaced(xp, "977.0\n", "977.0\n1  z\n  1    1e19  0.30  298.15\n");
    xp = replaced(xp, "1  fo q en\n",
                  "2  fo q en\n  -1 -1 1    1e20   unused\n  1 1 1\n  1  10.0   700  0\n-1\n1  fo q en\n");
    const auto r = runpm(files, "1\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& out = r.file("ds-o6fit.txt");
    // the calculated T (C) and 2 sdT of the first bracket, run together
    const std::regex row("\n {8}0 {8}- {6}10\\.0 {6}800  700 +-0\\.84 +-0\\.20 +([0-9]+) +1 \\(");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(out, m, row)) << out;
    EXPECT_GE(m[1].str().size(), 3u + 20u) << m[1];
    EXPECT_NE(out.find(") 100000000000000000000\n"), std::string::npos) << out;
}

TEST(FitReport, RefinedDatasetCsvAndEndMemberFile)
{
    // The example's suffix begins with 6: a dataset of the newer generation.
    auto files = fittest::fullexample();
    const auto r = runpm(files, "3\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& out = r.file("ds-o6fit.txt");
    EXPECT_NE(r.screen.find("\n\nwriting data to \"pm-ds6fit.txt\"\n"), std::string::npos);
    EXPECT_NE(r.file("pm-log.txt").find("\n\nwriting data to \"pm-ds6fit.txt\"\n"), std::string::npos);
    const double sigfit = after(out, "\n3: ");

    // the dataset: heading, four lines per end-member with the fitted H and
    // its ordering term, the check value, the covariance and the title
    const std::string& ds = r.file("pm-ds6fit.txt");
    const auto dl = fittest::lines(ds);
    ASSERT_GT(dl.size(), 34u);
    EXPECT_EQ(dl[0], "   7    don't fiddle with the numbers: you'll BREAK the dataset...");
    EXPECT_EQ(dl[1], "  ");
    EXPECT_EQ(dl[2], "5");
    EXPECT_EQ(dl[3], "     per   1  5   1.0000 10   1.0000  0");
    char h[40];
    std::snprintf(h, sizeof h, "%17.2f", after(out, "\nper     "));
    EXPECT_EQ(dl[4], std::string(h) + "   0.02680   1.1260");
    EXPECT_EQ(dl[5], "         0.0740    0.000002000    -500.0   -0.6800");
    EXPECT_EQ(dl[6], "         0.0000310  1616.00     3.90   -0.00241    0");
    EXPECT_EQ(dl[10], "         0.0000063   731.00     6.00   -0.00821    1    848   0.00500    0.1190");
    EXPECT_EQ(dl[31], "");
    // minus the mean of (H - 1000 S + 5 V) / 10000 over the records
    double check = 0.0;
    for (int i = 0; i < 7; ++i) {
        std::istringstream in(dl[static_cast<std::size_t>(4 + 4 * i)]);
        double hh, ss, vv;
        in >> hh >> ss >> vv;
        check -= (hh - 1000.0 * ss + 5.0 * vv) / 10000.0 / 7.0;
    }
    std::istringstream cov(ds.substr(ds.find(dl[31] + "\n", ds.find(dl[30])) + 1));
    double value;
    cov >> value;
    EXPECT_NEAR(value, check, 1e-4);
    std::vector<double> c;
    for (int i = 0; i < 28; ++i) {
        cov >> value;
        c.push_back(value);
    }
    EXPECT_TRUE(cov.good());
    for (std::size_t i = 32; i + 3 < dl.size(); ++i) EXPECT_LE(dl[i].size(), 136u) << dl[i];
    // sd of q = coe from its entries (q q, q coe, coe coe) as the report gives it
    const double sdqcoe = std::sqrt(c[7] + c[13] - 2.0 * c[8]);
    EXPECT_NEAR(numbers(out.substr(out.find("    3)  q = coe")), "(sd  ", 1).at(0), sdqcoe, 0.006);
    EXPECT_EQ(dl[dl.size() - 2], "");
    EXPECT_EQ(dl.back().substr(0, 26), "pm-ds6fit.txt produced at ");
    EXPECT_NEAR(std::stod(dl.back().substr(dl.back().size() - 7)), sigfit, 1e-9);

    // the csv table of the same data
    const auto cl = fittest::lines(r.file("ds-6fit.csv"));
    ASSERT_EQ(cl.size(), 10u);
    EXPECT_EQ(cl[0].substr(0, 102), "   names,   nd,  coeff,            H,          S,         V,         cpa,             cpb,"
                                   "        cpc,");
    EXPECT_EQ(cl[0].substr(cl[0].size() - 19), "    c8,       no8, ");
    EXPECT_EQ(cl[2].substr(0, 29), "       q,    0,      0,      ");
    EXPECT_NEAR(std::stod(cl[2].substr(29)), after(out, "\nq      "), 1e-9);
    EXPECT_EQ(cl[2].substr(36, 13), ",    0.04150,");
    EXPECT_NE(cl[2].find(",     1,    1.0000,    10,    2.0000,     0,         0,"), std::string::npos) << cl[2];
    EXPECT_NE(cl[2].find(",     848,    0.00500,     0.1190,"), std::string::npos);
    EXPECT_EQ(cl[8], "");
    EXPECT_EQ(cl[9].substr(0, 22), "PETRAMONDO running at ");

    // the dataset read by mode 0 with the example's script, as the README
    // says: its table shows the fitted enthalpies
    std::map<std::string, std::string> mode0 = {
        {"pm-ds6fit.txt", ds},
        {"pm-prefs.txt", pmtest::prefsfile("6fit", "exfit", 0)},
        {"pm-exfit.txt", pmtest::examplefile("pm-exfit.txt")},
        {"pm-axfit.txt", pmtest::examplefile("pm-axfit.txt")}};
    const auto m = runpm(mode0, "");
    EXPECT_EQ(m.status, 0) << m.screen;
    EXPECT_NE(m.screen.find("\nusing pm-ds6fit.txt produced at "), std::string::npos);
    for (const char* name : {"q  ", "fo ", "fa ", "en ", "fs "}) {
        const std::string key = "\n" + std::string(name) + "      ";
        EXPECT_NEAR(after(m.file("pm-exfit-o.txt"), key), after(out, "\n" + std::string(name) + "     "), 0.0051)
            << name;
    }

    // the new end-member file, with its heading, starts a second fit that
    // ends where the first did
    const std::string& em = r.file("ds-emex-i.txt");
    EXPECT_EQ(em.substr(0, 52), "5    dataset mode\nend-members of the fit written by ");
    EXPECT_NE(em.find("\nq       quartz\n   1    1.00   10    2.00     0   1   3\n"
                      "   -910.70    0.40   2" + std::string(28, ' ') + "% H (kJ), sd(H), kind\n"
                      "   0.04150   0.00020" + std::string(30, ' ') + "% S (kJ/K), sd(S)\n"
                      "    2.2690" + std::string(40, ' ') + "% V (kJ/kbar)\n"
                      "   0.1110    0.000003000    -750.0   -1.0200      % a, b, c, d of cp\n"
                      "   0.0000063" + std::string(38, ' ') + "% alpha0\n"
                      "   731.00  6.00  -0.00821" + std::string(25, ' ') + "% kappa0, kappa0', kappa0''\n"
                      "   848  0.00500  0.1190" + std::string(27, ' ') + "% Landau Tc, Smax, Vmax\n\n"),
              std::string::npos)
        << em;
    EXPECT_NE(em.find("\nen      enstatite\n"), std::string::npos);
    EXPECT_NEAR(after(em, "\nen      enstatite\n   5    2.00    1    2.00   10    6.00     0   1  10\n"),
                after(out, "\nen     "), 0.005);
    EXPECT_NE(em.find("     100   1                            % H (kJ), sd(H), kind: free\n"), std::string::npos);
    EXPECT_EQ(em.substr(em.size() - 3), "\n*\n");

    files["ds-emex.txt"] = em;
    const auto second = runpm(files, "3\n");
    const std::string& out2 = second.file("ds-o6fit.txt");
    EXPECT_NEAR(after(out2, "\n3: "), sigfit, 0.002);
    for (const char* name : {"per", "q  ", "coe", "fo ", "fa ", "en ", "fs "}) {
        const std::string key = "\n" + std::string(name) + "     ";
        const auto a = numbers(out, key, 2), b = numbers(out2, key, 2);
        EXPECT_NEAR(a.at(0), b.at(0), 0.0051) << name;
        EXPECT_NEAR(a.at(1), b.at(1), 0.015) << name;
    }
}

}  // namespace
