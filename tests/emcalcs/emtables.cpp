// Calculation mode 0 end to end on the example files: the property table,
// the drawing-program lists, the csv table, the P-T grid prompt with its
// list and range replies, and the Gibbs energy tables.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "harness/harness.h"

namespace {

using pmtest::countof;
using pmtest::examplefile;
using pmtest::runpm;

const std::string deg = "\xA1";

// The example files, with the example script or another one as pm-t.txt.
std::map<std::string, std::string> inputs(const std::string& script = "")
{
    std::map<std::string, std::string> f = {{"pm-axex.txt", examplefile("pm-axex.txt")},
                                            {"pm-ds6ex.txt", examplefile("pm-ds6ex.txt")}};
    if (script.empty()) {
        f["pm-prefs.txt"] = pmtest::prefsfile("6ex", "ex", 0);   // the mode-0 example
        f["pm-ex.txt"] = examplefile("pm-ex.txt");
    } else {
        f["pm-prefs.txt"] = pmtest::prefsfile("6ex", "t", 0);
        f["pm-t.txt"] = script;
    }
    return f;
}

// A script for the example a-x file with the phases given; the grid is asked.
std::string script(const std::string& with, const std::string& more = "autoexit\n")
{
    return "axfile axex\nwith " + with + "\ndiagramPT 4 12 500 800\n" + more + "*\n";
}

// The text from a line starting with `from` up to the end of the line holding `to`.
std::string between(const std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t a = text.find(from);
    if (a == std::string::npos) return "(no " + from + ")";
    const std::size_t b = text.find(to, a);
    if (b == std::string::npos) return "(no " + to + ")";
    return text.substr(a, text.find('\n', b) + 1 - a);
}

const std::string propertytable =
    "Thermodynamic properties (units : kJ, K, kbar)\n"
    "(for \"make\": DQF and the thermo of what they are made from)\n"
    "\n"
    "                  H       S      V        a        b         c        d     a0  theta     K0    K0'     K0''"
    "    dK/dT     Tc   Smax   Vmax\n"
    "                                                                                                                 "
    "aqcp     dh    dhv      w     wv    fac   n\n"
    "en         -3093.04  133.00   6.262  0.3700   1.0000   -2500.0  -3.4000   2.30    539   1068   8.00  -0.0075"
    "         \n"
    "fs                0       0       0\n"
    "      fa   -1477.60  150.50   4.629  0.2642   0.7140   -1785.0  -2.4276   2.80    381   1352   4.20  -0.0031"
    "         \n"
    "       q    -910.70   41.50   2.269  0.1110   0.3000    -750.0  -1.0200  0.630    525    731   6.00  -0.0082"
    "             848    5.0 0.1190\n"
    "fm            -3.92    1.83   0.111\n"
    "      en   -3093.04  133.00   6.262  0.3700   1.0000   -2500.0  -3.4000   2.30    539   1068   8.00  -0.0075"
    "         \n"
    "      fa   -1477.60  150.50   4.629  0.2642   0.7140   -1785.0  -2.4276   2.80    381   1352   4.20  -0.0031"
    "         \n"
    "       q    -910.70   41.50   2.269  0.1110   0.3000    -750.0  -1.0200  0.630    525    731   6.00  -0.0082"
    "         \n"
    "py         -6282.00  259.00  11.308  0.7400   2.0000   -5000.0  -6.8000   2.36    549   1738   4.10  -0.0024"
    "         \n"
    "alm        -5271.50  342.70  11.528  0.7548   2.0400   -5100.0  -6.9360   2.10    451   1902   4.30  -0.0023"
    "         \n"
    "gr         -6639.95  254.80  12.532  0.7474   2.0200   -5050.0  -6.8680   2.21    555   1719   5.50  -0.0032"
    "         \n"
    "q           -910.70   41.50   2.269  0.1110   0.3000    -750.0  -1.0200  0.630    525    731   6.00  -0.0082"
    "             848    5.0 0.1190\n"
    "ky         -2600.00   82.60   4.418  0.2960   0.8000   -2000.0  -2.7200   1.91    634   1601   4.00  -0.0025"
    "         \n"
    "sillim     -2592.45   95.20   4.988  0.2960   0.8000   -2000.0  -2.7200   1.12    580   1329   4.80  -0.0036"
    "         \n";

TEST(ModeZeroTables, TheExampleRunNeedsNoTyping)
{
    const auto r = runpm(inputs(), "");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_NE(r.screen.find("\n\nsolutions will be taken apart into their end-members\n"), std::string::npos);
    const std::string& out = r.file("pm-ex-o.txt");
    EXPECT_EQ(between(out, "Thermodynamic properties", "sillim     -2592.45"), propertytable);
    EXPECT_NE(out.find("\n\nG at 8.000 kbar and 650.00 " + deg + "C\n"
                       "    en =   -3248.04595994\n"
                       "    fs =   -2594.37781991\n"
                       "    fm =   -2925.72710459\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("sillim =   -2706.63677987\n====="), std::string::npos);
    // the script fixes P and T, so nothing is asked, and it asks for no more tables
    EXPECT_NE(r.file("pm-log.txt").find("\nspecification of table PT\n\nG at 8.000 kbar"), std::string::npos);
    EXPECT_NE(r.screen.find("\nspecification of table PT\n\nG at 8.000 kbar"), std::string::npos);
    EXPECT_EQ(r.screen.find("more tables"), std::string::npos);
    // the screen cuts the wide table at the page width
    EXPECT_NE(r.screen.find("\nen         -3093.04  133.00   6.262  0.3700   1.0000   -2500.0  -3.4000   2.30#\n"),
              std::string::npos);
}

TEST(ModeZeroTables, DrawingProgramLists)
{
    const auto r = runpm(inputs(), "");
    const std::string& px = r.file("pm-ex-px.txt");
    const std::string start = "\nendmembers = {en, fs, fm, py, alm, gr, q, ky, sillim};\n\nname[en] ";
    EXPECT_EQ(px.substr(0, start.size()), start);
    EXPECT_NE(px.find("name[q] ^= \"q\";  comp[q] ^= {1, 0, 0, 0, 0};\n"
                      "enthalpy[q] ^= -910.70;  entropy[q] ^= 0.04150;  volume[q] ^= 2.2690;\n"
                      "cpa[q] ^= 0.1110;  cpb[q] ^= 0.3000 10^-5;  cpc[q] ^= -750.0;  cpd[q] ^= -1.0200;  \n"
                      "alpha0[q] ^= 0.630 10^-5;   theta[q] ^= 525.00;  \n"
                      "kappa0[q] ^= 731.00;  kappa0p[q] ^= 6.00;  kappa0pp[q] ^= -0.008210;  \n"
                      "landaut[q] ^= 848;  smax[q] ^= 0.00500;  vmax[q] ^= 0.1190;\n"
                      "sfdh[q] ^= 0;  sfdhv[q] ^= 0;  sfw[q] ^= 0;  sfwv[q] ^= 0;  sfn[q] ^= 0;  sffac[q] ^= 0;  \n\n"),
              std::string::npos)
        << px;
    // a made end-member: its DQF and increments, the rest of its row empty
    EXPECT_NE(px.find("name[fm] ^= \"fm\";  comp[fm] ^= {2, 0, 0, 1, 1};\n"
                      "enthalpy[fm] ^= -3.92;  entropy[fm] ^= 0.00183;  volume[fm] ^= 0.1108;\n"),
              std::string::npos);
    EXPECT_NE(px.find("landaut[en] ^= 0;  smax[en] ^= -0.001;  vmax[en] ^= 0;\n"), std::string::npos);
    EXPECT_NE(px.find("\n\nlp = {   8.000};\n\nlt = 273.15 + {   650.0};\n\n    G[en] ^= {{  -3248.0460}};\n"),
              std::string::npos);
    EXPECT_NE(px.find("\nG[sillim] ^= {{  -2706.6368}};\n"), std::string::npos);
}

TEST(ModeZeroTables, CsvTable)
{
    const auto r = runpm(inputs(), "");
    const std::string& csv = r.file("pm-ex.csv");
    const std::string heading =
        "    name,   nd,  coeff, action,            H,          S,         V,         cpa,             cpb,        cpc,"
        "        cpd,             alpha0,    kappa0,   kappa0p,    kappa0pp, theta,   dkappa0dt, landaut,       smax,"
        "       vmax,     aqcp,    sfdh,   sfdhv,     sfw,    sfwv,    sfn,   sffac, \n";
    EXPECT_EQ(heading.size(), 295u);   // 294 characters and the line end
    EXPECT_EQ(csv.substr(0, heading.size()), heading);
    EXPECT_NE(csv.find("\n      en,    0,      0,     -1,     -3093.04,    0.13300,    6.2620,      0.3700,     "
                       "0.000010000,    -2500.0,    -3.4000,          0.0000230,   1068.00,      8.00,    -0.00749,   "
                       "539,           0,       0,     -0.001,          0,        0,       0,       0,       0,       "
                       "0,      0,       0, \n"),
              std::string::npos)
        << csv;
    // fm = 1/2 en + 1/2 fa + 1/2 q disordered: its DQF row, then its constituents
    EXPECT_NE(csv.find("\n      fm,    3,      0,     -1,      -3.9237,  0.0018262,  0.110823,           0,       "
                       "        0,          0,          0,                  0,         0,         0,           0,     "
                       "0,           0,       0,          0,          0,        0,       0,       0,       0,       0,"
                       "      0,       0, \n"
                       "      en,   -1,    1/2,     -1,     -3093.04,"),
              std::string::npos);
    EXPECT_NE(csv.find("\n       q,   -1,    1/2,      0,      -910.70,    0.04150,    2.2690,      0.1110,     "
                       "0.000003000,     -750.0,    -1.0200,          0.0000063,    731.00,      6.00,    -0.00821,   "
                       "525,           0,       0,         -1,          0,        0,       0,       0,       0,       "
                       "0, -0.001,       0, \n"),
              std::string::npos);
    // fs = fa + q at equilibrium: a whole coefficient, q keeps its Landau terms
    EXPECT_NE(csv.find("\n       q,   -1,      1,      2,      -910.70,"), std::string::npos);
    EXPECT_NE(csv.find(",     848,    0.00500,     0.1190,        0,       0,       0,       0,       0, -0.001,"),
              std::string::npos);
    const std::regex stamp("\n\nPETRAMONDO running at [0-9]+\\.[0-9]{2} on [A-Z][a-z]{2} [0-9]+ [A-Z][a-z]{2},[0-9]{4} "
                           "using pm-ds6ex.txt produced at 10.42 on Tue 4 Jun,2024\n$");
    EXPECT_TRUE(std::regex_search(csv, stamp)) << csv.substr(csv.size() - 200);
}

TEST(ModeZeroTables, CsvWholeNumberBeyondEveryIntegerIsWrittenInFull)
{
    // q's Landau Tc of 1e20 K once came out as -9223372036854775808
    auto files = inputs();
    std::string& ds = files["pm-ds6ex.txt"];
    const std::string tc = "    1    848   0.00500";
    ASSERT_NE(ds.find(tc), std::string::npos);
    ds.replace(ds.find(tc), tc.size(), "    1    1e20   0.00500");
    const auto r = runpm(files, "");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_NE(r.file("pm-ex.csv").find(", 100000000000000000000,    0.00500,     0.1190,"), std::string::npos)
        << r.file("pm-ex.csv");
}

TEST(ModeZeroTables, EmptyGridRepliesGiveFiveKbarAndFiveDegrees)
{
    const auto r = runpm(inputs(script("q ky")), "\n\nno\nno\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_NE(r.screen.find("\nspecification of table PT\nP: list of values OR start, finish, interval : T" + deg +
                            "C: list of values OR start, finish, interval : \nG at 5.000 kbar and 5.00 " + deg + "C\n"),
              std::string::npos)
        << r.screen;
    EXPECT_NE(r.file("pm-log.txt").find("P: list of values OR start, finish, interval : (nothing input)\n"),
              std::string::npos);
}

TEST(ModeZeroTables, ListsAndRanges)
{
    // 0 10 2: a range from 0 (taken as 1 bar); 26.85 226.85 100: a range whose
    // first value, 300 K, becomes 298.15 K
    auto r = runpm(inputs(script("q ky")), "0 10 2\n26.85 226.85 100\nno\nno\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& px = r.file("pm-t-px.txt");
    EXPECT_NE(px.find("\nlp = {   0.001,   2.000,   4.000,   6.000,   8.000,  10.000};\n\n"
                      "lt = 273.15 + {    25.0,   126."),
              std::string::npos)
        << px;
    const std::string& out = r.file("pm-t-o.txt");
    EXPECT_NE(out.find("\n\nG(q)\n\n   kbar " + deg + "C        25       127       227\n    0.0   "), std::string::npos)
        << out;
    EXPECT_EQ(countof(out, "\n   10.0   "), 2);

    // 1 2 3: the second below the third, a list; 500 600 700 800: a list
    r = runpm(inputs(script("q ky")), "1 2 3\n500 600 700 800\nno\nno\n");
    EXPECT_NE(r.file("pm-t-px.txt").find("lp = {   1.000,   2.000,   3.000};\n\nlt = 273.15 + {   500.0,   600.0,"
                                         "   700.0,   800.0};\n"),
              std::string::npos);
    // a range of more than 40 points falls back to 10 from its start, a
    // tenth of the range apart
    r = runpm(inputs(script("q ky")), "1 2 0.01\n500\nno\nno\n");
    EXPECT_NE(r.file("pm-t-px.txt").find("lp = {   1.000,   1.100,   1.200,   1.300,   1.400,   1.500,   1.600,   "
                                         "1.700,   1.800,   1.900};\n"),
              std::string::npos);
}

TEST(ModeZeroTables, ReplyReplacingABadWordIsReadWhole)
{
    // "4 12" in place of "abc" gives both pressures, as it would have as the first reply.
    const auto r = runpm(inputs(script("q ky")), "abc\n4 12\n500\nno\nno\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_NE(r.screen.find("P: list of values OR start, finish, interval : abc not a real: replace with : T" + deg),
              std::string::npos)
        << r.screen;
    EXPECT_NE(r.file("pm-t-px.txt").find("lp = {   4.000,  12.000};\n"), std::string::npos) << r.file("pm-t-px.txt");
}

TEST(ModeZeroTables, GridTablesOfSeveralPoints)
{
    const auto r = runpm(inputs(script("q ky")), "4 8\n500 600\nno\nno\n");
    const std::string& out = r.file("pm-t-o.txt");
    EXPECT_NE(out.find("\n\nG(q)\n\n   kbar " + deg + "C       500       600\n"
                       "    4.0      -949.0488   -959.7636\n"
                       "    8.0      -939.8721   -950.5154\n"),
              std::string::npos)
        << out;
    EXPECT_NE(r.file("pm-t-px.txt").find("\n\nG[q] ^= {\n\n    {        -949.04875,        -959.76356},\n"
                                         "    {        -939.87212,        -950.51541}};\n"),
              std::string::npos)
        << r.file("pm-t-px.txt");
}

TEST(ModeZeroTables, ThirteenTemperaturesBreakTheDrawingRowsAfterTwelve)
{
    const auto r = runpm(inputs(script("q ky")), "5\n100 1300 100\nno\nno\n");
    const std::string& px = r.file("pm-t-px.txt");
    EXPECT_NE(px.find("lt = 273.15 + {   100.0,   200.0,   300.0,   400.0,   500.0,   600.0,   700.0,   800.0,   "
                      "900.0,  1000.0,  1100.0,  1200.0,\n\n        1300.0};\n"),
              std::string::npos)
        << px;
    const std::size_t row = px.find("\nG[q] ^= {\n\n    {");
    ASSERT_NE(row, std::string::npos);
    const std::string first = px.substr(row + 15, px.find('\n', row + 15) - row - 15);
    EXPECT_EQ(countof(first, ","), 12);
    EXPECT_NE(px.find("\n     ", row + 15), std::string::npos);
    EXPECT_NE(px.find("}};\n", row), std::string::npos);
}

TEST(ModeZeroTables, OddRangesStopTheRun)
{
    auto r = runpm(inputs(script("q ky")), "25 25 0\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("-- run bombed in PTgrid : odd P"), std::string::npos);
    r = runpm(inputs(script("q ky")), "5\n600 500 10\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("-- run bombed in PTgrid : odd T"), std::string::npos);
}

TEST(ModeZeroTables, TemperaturesAtOrBelowAbsoluteZeroAreAskedAgain)
{
    const auto r = runpm(inputs(script("q ky")), "5\n-300\n-273.15 20\n500\nno\nno\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string ask = "T" + deg + "C: list of values OR start, finish, interval : ";
    const std::string again = "temperatures must be above -273.15" + deg + "C (0 K): give the temperatures again\n";
    EXPECT_NE(r.screen.find(ask + again + ask + again + ask + "\nG at 5.000 kbar and 500.00 " + deg + "C\n"),
              std::string::npos)
        << r.screen;
}

TEST(ModeZeroTables, AtMostFortyValuesInAList)
{
    std::string many;
    for (int i = 1; i <= 41; ++i) many += std::to_string(i) + " ";
    const auto r = runpm(inputs(script("q ky")), many + "\n5\n500\nno\nno\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_NE(r.screen.find("interval : at most 40 values in a list: give them again\nP: list of values"),
              std::string::npos);
}

TEST(ModeZeroTables, MoreTablesUntilDeclined)
{
    const auto r = runpm(inputs(script("q ky", "")), "5\n500\nno\nno\nyes\n5\n600\nno\nno\nno\n\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_EQ(countof(r.screen, "more tables ? "), 2);
    EXPECT_EQ(countof(r.file("pm-t-o.txt"), "Thermodynamic properties"), 2);
    EXPECT_NE(r.file("pm-t-o.txt").find("G at 5.000 kbar and 600.00"), std::string::npos);
    EXPECT_NE(r.screen.find("all done - hit return to exit ? "), std::string::npos);
}

TEST(ModeZeroTables, PhaseChoice)
{
    // one word keeps every phase
    auto r = runpm(inputs(script("g")), "5\n500\nno\nno\n");
    EXPECT_NE(r.file("pm-t-px.txt").find("endmembers = {fo, fa, en, fs, fm, py, alm, gr, ab, an, san, H2O, CO2, q, ky, "
                                         "and, sillim, mt};"),
              std::string::npos);
    // "omit" keeps all but the phases named
    r = runpm(inputs(script("omit g opx pl fluid and")), "5\n500\nno\nno\n");
    EXPECT_NE(r.file("pm-t-px.txt").find("endmembers = {fo, fa, q, ky, sillim, mt};"), std::string::npos);
    // an unknown name is asked for once; an empty reply leaves it out
    r = runpm(inputs(script("g qq kyy")), "q\n\n5\n500\nno\nno\n");
    EXPECT_NE(r.screen.find("unrecognised name : replace \"qq\" with : unrecognised name : replace \"kyy\" with : "),
              std::string::npos)
        << r.screen;
    EXPECT_NE(r.file("pm-t-px.txt").find("endmembers = {py, alm, gr, q};"), std::string::npos);
}

TEST(ModeZeroTables, LeftOutEndMembersAreDropped)
{
    auto files = inputs(script("g q"));
    files["pm-axex.txt"] = std::regex_replace(files["pm-axex.txt"], std::regex("  alm  1  1  xFeX 3\n"),
                                              "  alm  1  1  xFeX 3\n       exclude\n");
    const auto r = runpm(files, "5\n500\nno\nno\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_NE(r.file("pm-t-px.txt").find("endmembers = {py, gr, q};"), std::string::npos);
    EXPECT_EQ(r.file("pm-t-o.txt").find("alm"), std::string::npos);
}

TEST(ModeZeroTables, ComponentAmountsAsFractions)
{
    // mx = 1/2 fa + 1/2 en holds 3/2 SiO2: the SiO2 row is doubled
    auto files = inputs(script("px q"));
    files["pm-axex.txt"] =
        "px 2 1\nverbatim\npx: made up\nverbatim\n x(px) 0.5\n p(en) 1 1 1 1 -1 x\n p(mx) 1 1 0 1 1 x\n ideal\n"
        " 2 xA 1 1 1 1 -1 x\n xB 1 1 0 1 1 x\n en 1 1 xA 1\n mx 1 1 xB 1\n make 2 fa 1/2 en 1/2\n\nq\n";
    const auto r = runpm(files, "5\n500\nno\nno\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& px = r.file("pm-t-px.txt");
    EXPECT_NE(px.find("comp[en] ^= {2, 2, 0};"), std::string::npos) << px;
    EXPECT_NE(px.find("comp[mx] ^= {3/2, 1, 1};"), std::string::npos);
    EXPECT_NE(px.find("comp[q] ^= {1, 0, 0};"), std::string::npos);
}

TEST(ModeZeroTables, OldLayoutDataset)
{
    std::map<std::string, std::string> files = {{"pm-prefs.txt", pmtest::prefsfile("5ex", "ex5", 0)},
                                                {"pm-ex5.txt", examplefile("pm-ex5.txt")},
                                                {"pm-ax5ex.txt", examplefile("pm-ax5ex.txt")},
                                                {"pm-ds5ex.txt", examplefile("pm-ds5ex.txt")}};
    const auto r = runpm(files, "");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& out = r.file("pm-ex5-o.txt");
    EXPECT_NE(out.find("\n\nThermodynamic properties (units : kJ, K, kbar)\n"
                       "                  H       S      V        a        b         c        d     a1     a2      K"
                       "     K'    dK/dT     Tc   Smax   Vmax\n"
                       "en         -3093.04  133.00   6.262  0.3700   1.0000   -2500.0  -3.4000   3.11  10.00   1068"
                       "   8.00  -0.1500\n"),
              std::string::npos)
        << out;
    // the made end-member is a row of its own data in the old layout
    EXPECT_NE(out.find("\nenm        -3092.32  139.53   6.751  0.3700   1.0000   -2500.0  -3.4000   2.78  10.00   1037"
                       "   4.10  -0.1500\n"),
              std::string::npos);
    EXPECT_NE(out.find("\nG at 8.000 kbar and 650.00 " + deg + "C\n    en =   -3248.40442477\n"), std::string::npos);
    const std::string& px = r.file("pm-ex5-px.txt");
    EXPECT_NE(px.find("alpha1[en] ^= 3.11 10^-5;  alpha2[en] ^= 10.00;\n"
                      "kappa[en] ^= 1068;  kappaprime[en] ^= 8.0;  dkappadT[en] ^= -0.1500;\n"),
              std::string::npos)
        << px;
    EXPECT_NE(r.file("pm-ex5.csv").find("\n     enm,    0,      0,     -1,     -3092.32,"), std::string::npos);
}

}  // namespace

TEST(ModeZeroTables, PurePhaseNamedApartFromItsEndMemberKeepsItsEquationOfState)
{
    // A pure phase "water" standing for the end-member H2O must have the G of
    // H2O, fluid equation of state included, whatever the phase is called.
    auto files = inputs(script("fluid water", "calcP 6\ncalcT 600\nautoexit\n"));
    files["pm-axex.txt"] += "water  1  H2O\n";
    const auto r = runpm(files, "");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& out = r.file("pm-t-o.txt");
    const std::regex h2o("\n +H2O = +(-[0-9.]+)\n"), water("\n +water = +(-[0-9.]+)\n");
    std::smatch a, b;
    ASSERT_TRUE(std::regex_search(out, a, h2o)) << out;
    ASSERT_TRUE(std::regex_search(out, b, water)) << out;
    EXPECT_EQ(a[1].str(), b[1].str());
}
