// The printed tables of a result, worked out column by column from the
// layout of the tables: the main table with its heading, split and
// uncertainty rows, the progress marks between results, the modes with the
// assemblage's properties and the renormalised row of zeroed phases, and
// the fatal paths of the printers.
#include "harness/bombcheck.h"
#include "resultfixture.h"

namespace {

using namespace resulttest;
using diagramresults::printresult;

const std::string dashes60(60, '-');

TEST_F(Results, DivariantPointPrintsHeadingOnceThenValueRows)
{
    choose();
    divariant();
    const std::string heading = " P(kbar)" + r("T(" + deg + "C)", 10) + r("x(ol)", 10) + r("x(opx)", 10) +
                                r("Q(opx)", 10) + "\n";
    // P to the metre, T in C to 0.01 K, the solved variables to 4 significant digits.
    const std::string row1 = "   8.000    600.00    0.2346    0.3457   0.01235\n";
    Capture cap;
    printresult(st);
    st.successes = 2;
    numerics::result.t = numerics::unk.nlex[2] = 874.1567;
    printresult(st);
    const Outputs o = cap.finish();
    const std::string table = dashes60 + "\n" + heading + row1 + "   8.000    601.01    0.2346    0.3457   0.01235\n";
    EXPECT_EQ(o.screen, table);
    EXPECT_EQ(o.out, table);
    // The log has the same rows, each followed by its block of starting guesses.
    const std::string first = dashes60 + "\n" + heading + row1;
    EXPECT_EQ(o.log.substr(0, first.size()), first);
    EXPECT_EQ(pmtest::countof(o.log, "   8.000    601.01    0.2346    0.3457   0.01235\n"), 1);
    EXPECT_EQ(pmtest::countof(o.log, "ptguess "), 2);
}

TEST_F(Results, ProgressMarksRun79ToALineAndATableEndsThem)
{
    choose();
    divariant();
    Capture cap;
    st.nlecode = 3;
    for (int k = 1; k <= 160; ++k) diagramresults::progresscount(st);
    st.nlecode = 8;
    diagramresults::progresscount(st);
    printresult(st);
    const Outputs o = cap.finish();
    const std::string marks = std::string(79, '3') + "\n" + std::string(79, '3') + "\n" + "338";
    EXPECT_EQ(o.screen.substr(0, marks.size() + 62), marks + "\n" + dashes60 + "\n");
    EXPECT_EQ(o.log.substr(0, marks.size()), marks);
    EXPECT_EQ(o.out.substr(0, 62), "\n" + dashes60 + "\n");   // no marks in the output file
    EXPECT_EQ(diagramresults::printing.progresscol, 0);

    // Without a heading a pending progress line is ended by a line end alone.
    Capture again;
    diagramresults::progresscount(st);
    st.successes = 2;
    diagramresults::printtable(st);
    EXPECT_EQ(again.finish().screen, "8\n   8.000    600.00    0.2346    0.3457   0.01235\n");
}

TEST_F(Results, TenUnknownsSplitIntoBlocksOfSixWithUncertainties)
{
    choose("calcsdnle\n");
    divariant();
    numerics::Unknowns& x = numerics::unk;
    x.nvar = 10;
    x.xfree[2] = true;   // T solved
    numerics::unc.xsd[2] = 12.6;
    for (int u = 3; u <= 10; ++u) {
        x.xname[u] = "variable" + std::to_string(u) + "long";
        x.nlex[u] = 0.1 * u + 0.00001;
        x.xfree[u] = u != 6;
        numerics::unc.xsd[u] = 0.0012345 * u;
    }
    st.svdropped = true;
    Capture cap;
    diagramresults::printtable(st);
    const Outputs o = cap.finish();
    // (0 + 10) x 10 + 2 = 102 columns pass 80: blocks of (80 - 20) / 10 = 6.
    std::string block1 = " " + std::string(" P(kbar)") + r("T(" + deg + "C)", 10);
    std::string val1 = "#   8.000    600.00", sd1 = "sd" + std::string(8, ' ') + r("13", 10);
    const char* values[] = {"0.3000", "0.4000", "0.5000", "0.60001", "0.7000", "0.8000"};
    const char* sds[] = {"0.00370", "0.00494", "0.00617", "", "0.00864", "0.00988"};
    for (int u = 3; u <= 8; ++u) {
        block1 += r(("variable" + std::to_string(u) + "long").substr(0, 9), 10);
        val1 += r(values[u - 3], 10);
        sd1 += r(sds[u - 3], 10);
    }
    const std::string blank18(18, ' ');
    const std::string block2 = " " + blank18 + r("variable9", 10) + r("variable1", 10);
    const std::string val2 = " " + blank18 + r("0.9000", 10) + r("1.000", 10);
    const std::string sd2 = "sd" + blank18 + r("0.0111", 10) + r("0.0123", 10);
    EXPECT_EQ(o.screen, dashes60 + "\n" + block1 + "\n" + val1 + "\n" + sd1 + "\n" + block2 + "\n" + val2 + "\n" +
                            sd2 + "\n");
    // The fixed variable is shown with the decimals it needs: 0.60001.
    EXPECT_NE(val1.find("   0.60001"), std::string::npos);
}

TEST_F(Results, ModesWithPropertiesAndTheRowRenormalisedWithoutZeroedPhases)
{
    choose("", true);
    divariant();
    withmodes(0.3, 0.5, 0.2);
    systemprops();
    st.reactiontext = "ol + q = opx";
    Capture cap;
    diagramresults::printmodes(st);
    diagramresults::printphasereaction(st);
    const std::string row = "     " + r("0.3000", 10) + r("0.5000", 10) + r("0.2000", 10);
    EXPECT_EQ(cap.finish().screen, "\n mode" + r("ol", 10) + r("opx", 10) + r("q", 10) + r("G", 12) + r("H", 12) +
                                       r("S", 10) + r("V", 10) + r("rho", 10) + "\n" + row + r("-1234.56789", 12) +
                                       r("-1100.12346", 12) + r("0.1235", 10) + r("4.5679", 10) + r("3.2100", 10) +
                                       "\n\n    ol + q = opx\n");

    // q set to zero mode: the others are renormalised by f = 1 / (1 - 0.2) = 1.25.
    runio::scriptset.inexcess0sw = 0;
    runio::scripttabs.nexcess0names = 1;
    runio::scripttabs.excess0names[1] = "q";
    Capture zeroed;
    diagramresults::printmodes(st);
    EXPECT_EQ(zeroed.finish().screen, "\n mode" + r("ol", 10) + r("opx", 10) + r("q", 10) + r("G", 12) + "\n" + row +
                                          r("-1234.56789", 12) + "\n     " + r("0.3750", 10) + r("0.6250", 10) +
                                          r("-", 10) + "  mode zeroed\n");

    // Zeroed phases holding the whole rock leave nothing to renormalise.
    withmodes(0.0, 0.0, 1.0);
    diagramresults::ResultFlags flags;
    double f = 0.0;
    diagramresults::excessfactor(flags, f);
    EXPECT_EQ(f, 1.0);
    EXPECT_TRUE(flags[3]);
    EXPECT_FALSE(flags[1] || flags[2]);
    Capture whole;
    diagramresults::printmodes(st);
    const std::string text = whole.finish().screen;
    EXPECT_EQ(text.find("zeroed"), std::string::npos) << text;
    EXPECT_NE(text.find(std::string(24, ' ') + r("1.000", 10) + r("-1234.56789", 12) + "\n"), std::string::npos)
        << text;
}

TEST_F(Results, FatalPathsOfThePrinters)
{
    choose();
    divariant();
    runio::scriptflags.dogminon = true;
    EXPECT_BOMB(diagramresults::printmorestuff(st), "-- run bombed in printmorestuff : in here for dogmin\\?");
    runio::scriptflags.dogminon = false;

    // The step bulk of a fractionation needs one mode per phase.
    withmodes(0.3, 0.5, 0.2);
    numerics::unk.nmodes = 2;
    phasediagram::solveglobals.fracton = true;
    EXPECT_BOMB(diagramresults::printmorestuff(st),
                "nxp = 2, npleft = 3k = 3, lnrbimode = 2\n\n-- run bombed in printmorestuff : mismatch");
    phasediagram::solveglobals.fracton = false;

    // A calculation whose result routines were never installed stops.
    phasediagram::ResultRoutines none;
    EXPECT_BOMB(none.printresult(st), "-- run bombed in solve : result routines not installed");
}

}  // namespace
