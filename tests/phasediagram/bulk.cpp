// The bulk composition of a pseudosection of the example files: the checks
// of the script's oxides, an rbi table weighted by hand, one bulk picked
// from a range, ranges with their increments, subranges and point tables,
// and bulks typed at the terminal, as oxides or as mixtures of phases.
#include <cmath>

#include "modeone.h"

namespace {

using modeone::choose;
using modeone::ModeOne;
using modeone::script;
using pmtest::talk;

// Garnet, quartz and kyanite hold SiO2, Al2O3, CaO, MgO and FeO, in the
// order of the components.
const std::string oxides = "bulk SiO2 Al2O3 CaO MgO FeO\n";

pmtest::Dialog bulkpass(const std::string& with, const std::string& more, const std::string& replies,
                        bool inchild = false, const std::string& ax = modeone::ax())
{
    return talk(
        [&] {
            choose(script(with, "inexcess none\n" + more, true), ax);
            phasediagram::readcomps();
        },
        replies, inchild);
}

std::vector<double> bulkof(const runio::Arr<double, thermodata::maxcomp + 1>& b)
{
    return std::vector<double>(b.begin() + 1, b.begin() + 1 + thermodata::comps.nfreeox);
}

void expectbulk(const std::vector<double>& got, const std::vector<double>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << "oxide " << i + 1;
}

TEST_F(ModeOne, ScriptOxidesMustBeTheFreeComponents)
{
    // H2O as a phase adds an H2O component the bulk lacks.
    auto d = bulkpass("g q ky H2O", oxides + "bulk 40 20 5 20 15\n", "", true, modeone::ax("H2O\n"));
    EXPECT_EQ(d.bombed, "readcomps : wrong number of oxides (result of a change in functionality?)");
    EXPECT_NE(d.log.find("\nspecification of bulk composition\n\none oxide too few in the bulk\n\n"
                         "if the reason is that you have H2O as a phase, yet you have no H2O in the \n"
                         "setbulk, you now need to include it (as of pm350). The resulting H2O in the \n"
                         "calculated mode can be removed using the new script, 'tozero H2O'.\n"
                         "\noxides in bulk should be:\n    H2O SiO2 Al2O3 CaO MgO FeO\n"),
              std::string::npos)
        << d.log;

    d = bulkpass("g q fluid", oxides + "bulk 40 20 5 20 15\n", "", true);
    EXPECT_EQ(d.bombed, "readcomps : wrong number of oxides (use exbuff?)");
    EXPECT_NE(d.log.find("\ntwo oxides too few in the bulk\n\nif the reason is that you have fluid as a phase, "
                         "yet you have no H2O or CO2 in the \nsetbulk, you would need to include them. This can be "
                         "avoided with the script, 'exbuff'.\n\noxides in bulk should be:\n    H2O CO2 SiO2 Al2O3 CaO MgO FeO\n"),
              std::string::npos)
        << d.log;

    d = bulkpass("g q ky", "bulk Al2O3 SiO2 CaO MgO FeO\nbulk 40 20 5 20 15\n", "", true);
    EXPECT_EQ(d.bombed, "readcomps : mismatch of oxides in bulk");
    d = bulkpass("g q ky", "bulk SiO2 Al2O3 CaO\nbulk 40 20 5\n", "", true);
    EXPECT_EQ(d.bombed, "readcomps : wrong number of oxides");
    d = bulkpass("g q ky", oxides + "bulk 40 20 0 25 15\n", "", true);
    EXPECT_EQ(d.bombed, "readcomps : zeroes not allowed in a bulk");
}

TEST_F(ModeOne, RbiBulkWeightedByModePerAtom)
{
    const auto d = bulkpass("g q ky",
                            "rbi SiO2 Al2O3 CaO MgO FeO\nrbi g 0.6 3 1 0.3 1.2 1.5\nrbi q 0.4 1 0 0 0 0\n", "");
    // atoms per formula: SiO2 3, Al2O3 5, CaO 2, MgO 2, FeO 2; the modes are per atom
    const double g[] = {3, 1, 0.3, 1.2, 1.5}, q[] = {1, 0, 0, 0, 0};
    const double fg = 0.6 / (3 * 3 + 5 * 1 + 2 * 0.3 + 2 * 1.2 + 2 * 1.5), fq = 0.4 / (3 * 1);
    std::vector<double> want(5);
    double sum = 0;
    for (int j = 0; j < 5; ++j) sum += want[j] = fg * g[j] + fq * q[j];
    for (double& w : want) w *= 100 / sum;
    expectbulk(bulkof(numerics::bulks.bulk), want);
    EXPECT_EQ(numerics::bulks.nbulk, 1);
    char values[80];
    std::snprintf(values, sizeof values, "%9.4f%9.4f%9.4f%9.4f%9.4f", want[0], want[1], want[2], want[3], want[4]);
    EXPECT_NE(d.log.find("composition (from rbi script)\n     SiO2    Al2O3      CaO      MgO      FeO\n" +
                         std::string(values) + "\n"),
              std::string::npos)
        << d.log;
}

TEST_F(ModeOne, RangesOfBulks)
{
    const std::string two = oxides + "bulk 40 20 5 20 15\nbulk 50 20 10 10 10";
    // One bulk a quarter of the way along.
    auto d = bulkpass("g q ky", two + "\nonebulk 0.25\n", "");
    expectbulk(bulkof(numerics::bulks.bulk), {42.5, 20, 6.25, 17.5, 13.75});
    EXPECT_NE(d.log.find("one bulk, at 0.250 between the two script bulk compositions (from script)\ncomposition\n"
                         "     SiO2    Al2O3      CaO      MgO      FeO\n"
                         "   42.500   20.000    6.250   17.500   13.750   (0.250 across original range)\n"),
              std::string::npos)
        << d.log;

    // 20 increments from the script: every second point in the table.
    d = bulkpass("g q ky", two + " 20\nbulksubrange no\n", "");
    EXPECT_EQ(numerics::bulks.nbulk, 21);
    EXPECT_NE(d.log.find("\ncomposition (from script)\n"
                         "pos        1     3     5     7     9    11    13    15    17    19    21\n"
                         "prop       0 0.100 0.200 0.300 0.400 0.500 0.600 0.700 0.800 0.900 1.000\n"
                         "  SiO2 40.00 41.00 42.00 43.00 44.00 45.00 46.00 47.00 48.00 49.00 50.00\n"),
              std::string::npos)
        << d.log;
    EXPECT_NE(d.screen.find("    SiO2   Al2O3     CaO     MgO     FeO\n  40.000  20.000   5.000  20.000  15.000\n"
                            "  50.000  20.000  10.000  10.000  10.000      "
                            "20 increments\n"),
              std::string::npos)
        << d.screen;

    // Increments asked: out of range, or nothing typed, give 10.
    d = bulkpass("g q ky", two + "\nbulksubrange no\n", "150\n");
    EXPECT_EQ(numerics::bulks.nbulk, 11);
    EXPECT_NE(d.log.find("how many increments across the composition range (max = 100) : 150\n"
                         "inappropriate number of increments: 10 used\n"),
              std::string::npos)
        << d.log;
    d = bulkpass("g q ky", two + "\nbulksubrange no\n", "\n");
    EXPECT_EQ(numerics::bulks.nbulk, 11);
    EXPECT_NE(d.log.find(": (nothing input)\n using the default, 10 increments\n"), std::string::npos) << d.log;

    // A subrange 0.2 to 0.6 in 4 increments.
    d = bulkpass("g q ky", two + "\n", "y\n0.2 0.6\n4\n");
    expectbulk(bulkof(numerics::bulks.bulk), {42, 20, 6, 18, 14});
    expectbulk(bulkof(numerics::bulks.bulk2), {46, 20, 8, 14, 12});
    EXPECT_NE(d.log.find("make a bulk subrange ? yes\nstart and finish proportions across bulk composition range :  "
                         "0.2 0.6 \nbulk subrange, 0.200 to 0.600, between the two script bulk compositions\n"),
              std::string::npos)
        << d.log;
    EXPECT_NE(d.log.find("pos        1     2     3     4     5   (in this range)\n"
                         "prop   0.200 0.300 0.400 0.500 0.600   (of overall range)\n"),
              std::string::npos)
        << d.log;

    d = bulkpass("g q ky", two + "\n", "y\n0.6 0.2\n", true);
    EXPECT_EQ(d.bombed, "readcomps : entered bulk composition range is not 0<->1");
    // A single proportion: one bulk there; one that is refused leaves the
    // whole range, starting at 0.
    d = bulkpass("g q ky", two + "\n", "y\n0.4\n");
    EXPECT_EQ(numerics::bulks.nbulk, 1);
    EXPECT_NE(d.log.find("bulk subrange is one bulk, 0.400, between the two script bulk compositions\n"),
              std::string::npos);
    d = bulkpass("g q ky", two + "\n", "y\n1.5\n2\n");
    EXPECT_EQ(numerics::bulks.nbulk, 3);
    EXPECT_EQ(numerics::bulks.bulkpropstart, 0.0);
    EXPECT_NE(d.log.find("prop       0 0.500 1.000\n"), std::string::npos) << d.log;
}

TEST_F(ModeOne, BulkTypedAsOxides)
{
    // Quartz and magnetite: SiO2, FeO and O, the iron shown as FeOt.
    auto d = bulkpass("q mt", "", "n\n1\n2 1 1\n");
    expectbulk(bulkof(numerics::bulks.bulk), {50, 25, 25});
    EXPECT_NE(d.log.find("for a bulk: oxides to be specified, in moles: SiO2 FeOt O \n\n"
                         "this can be done interactively, or by stopping, adding a \n"
                         "bulk script to the scriptfile, and rerunning petramondo.\n"
                         "stop now and add a bulk script ? no\n\ninteractive specifying of bulk composition:\n"
                         " 1: in terms of oxides in moles\n 2: in terms of sum of phase compositions/proportions\n"
                         "code : 1\nthe composition, which will be normalised to a 100, as\n"
                         "a list of oxide values in moles on one line :  2 1 1 \n"),
              std::string::npos)
        << d.log;
    const std::string block = "\n in a form to copy to scriptfile:\n\n"
                              "% ------------------------------------------------\n"
                              "bulk         SiO2    FeOt       O\n"
                              "% ------------------------------------------------\n"
                              "bulk       50.000  25.000  25.000\n"
                              "% ------------------------------------------------\n\n"
                              "composition (corresponding bulk script is in the logfile)\n"
                              "     SiO2     FeOt        O\n   50.000   25.000   25.000\n";
    const std::size_t at = d.log.find(block);
    ASSERT_NE(at, std::string::npos) << d.log;
    EXPECT_EQ(d.screen.find(" in a form to copy"), std::string::npos);   // the log alone

    // The block read back as a script gives the same bulk.
    const std::size_t from = d.log.find("% ---", at), to = d.log.find("\n\ncomposition", at);
    const std::string lines = d.log.substr(from, to + 1 - from);
    d = bulkpass("q mt", lines, "");
    expectbulk(bulkof(numerics::bulks.bulk), {50, 25, 25});
    EXPECT_NE(d.log.find("composition (from bulk script)\n"), std::string::npos) << d.log;

    // An oxide line with no composition after it: asked as with no bulk.
    d = bulkpass("g q ky", oxides, "n\n3\n1 1 1 1 1\n");
    expectbulk(bulkof(numerics::bulks.bulk), {20, 20, 20, 20, 20});
    EXPECT_NE(d.log.find("code : 3\nthe composition"), std::string::npos) << d.log;

    d = bulkpass("q mt", "", "n\n1\n0 0 0\n", true);
    EXPECT_EQ(d.bombed, "readcomps : zeroes not allowed in a bulk");
    d = bulkpass("q mt", "", "y\n", true);
    EXPECT_EQ(d.bombed, "readcomps : stopping now");
}

TEST_F(ModeOne, BulkTypedAsPhases)
{
    // Quartz (SiO2) and enstatite (2 MgO 2 SiO2), each one mole of oxides,
    // in proportions 1 and 1: SiO2 1.5, MgO 0.5.
    auto d = bulkpass("q en", "", "n\n2\n1 2\n1 1\n", false, modeone::ax("en\n"));
    expectbulk(bulkof(numerics::bulks.bulk), {75, 25});
    EXPECT_NE(d.log.find("code : 2\n\nrelevant phases : q en \n\n"
                         "which phases to define composition (divariant = 2 phases) :  1 2 \n"
                         "\nusing : q en \n\nproportions (the resulting composition will be normalised to 100) :  "
                         "1 1 \n"),
              std::string::npos)
        << d.log;

    // Garnet at x = 0.8, z = 0.1: py 0.18, alm 0.72, gr 0.1 of (Mg,Fe,Ca)3Al2Si3O12.
    d = bulkpass("g", "", "n\n2\n\n0.8\n0.1\n1\n");
    const double sum = 3 + 1 + 0.3 + 0.54 + 2.16;
    expectbulk(bulkof(numerics::bulks.bulk),
               {300 / sum, 100 / sum, 30 / sum, 54 / sum, 216 / sum});
    EXPECT_NE(d.log.find("specifying compositions of (solid) solutions:\nfor g value for x(g) : 0.8\n"
                         "value for z(g) : 0.1\n"),
              std::string::npos)
        << d.log;

    // Names not among the relevant phases are replaced once, then dropped.
    // (quartz alone then leaves no MgO, which a bulk may not lack)
    d = bulkpass("q en", "", "n\n2\nzz 5\nq\nyy\n1\n", true, modeone::ax("en\n"));
    EXPECT_NE(d.log.find("zz not recognised\nreplace with : q\n5 not recognised\nreplace with : yy\n"
                         "unknown name - ignored\n\nusing : q \n"),
              std::string::npos)
        << d.log;
    EXPECT_EQ(d.bombed, "readcomps : zeroes not allowed in a bulk");
    d = bulkpass("q en", "", "n\n2\nzz\nyy\n", true, modeone::ax("en\n"));
    EXPECT_EQ(d.bombed, "readcomps : insufficient phases to specify composition");
    EXPECT_NE(d.log.find("zz not recognised\nreplace with : yy\nunknown name - ignored\n"), std::string::npos)
        << d.log;
}

}  // namespace
