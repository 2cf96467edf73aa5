// Gibbs energy minimisation ("dogmin") end to end on the ideal olivine-
// orthopyroxene-quartz system: the Gibbs energy of the system listed for
// the three-phase assemblage against the sum of n G over the phases, with n
// from the bulk and each phase's G from the closed-form compositions; the
// winner at one point and on a grid; the report's texts.
#include "calcfixture.h"
#include "harness.h"
#include "runfiles.h"

namespace {

using calctest::Calc;
using calctest::gem;
using calctest::rgas;
using pmtest::runpm;
using namespace runtest;

// The number that follows the first occurrence of head.
double after(const std::string& text, const std::string& head)
{
    const std::size_t at = text.find(head);
    return at == std::string::npos ? 1e300 : std::strtod(text.c_str() + at + head.size(), nullptr);
}

std::string bulkline(const std::vector<double>& b)
{
    char line[128];
    std::snprintf(line, sizeof line, "bulk SiO2 MgO FeO\nbulk %.10f %.10f %.10f\n", b[0], b[1], b[2]);
    return line;
}

// G (kJ) of one formula unit of an ideal two-site Mg-Fe phase with x = Fe/(Fe+Mg).
double gideal(const std::string& mg, const std::string& fe, double x, double p, double t)
{
    return (1 - x) * (gem(mg, p, t) + rgas * t * std::log((1 - x) * (1 - x))) +
           x * (gem(fe, p, t) + rgas * t * std::log(x * x));
}

TEST_F(Calc, MinimisationAtOnePoint)
{
    prepare("ol opx q");
    numerics::makecrossrefs(all);
    const double p = 10, t = 873.15;
    double xol, xopx;
    calctest::closedform(p, t, xol, xopx);
    // 0.1 ol + 0.8 opx + 0.05 q: olivine and orthopyroxene alone can make
    // this bulk too, with other compositions, so two assemblages compete.
    const std::vector<double> b = {1.75, 0.2 * (1 - xol) + 1.6 * (1 - xopx), 0.2 * xol + 1.6 * xopx};
    const double total = b[0] + b[1] + b[2];
    const double gsys =
        (0.1 * gideal("fo", "fa", xol, p, t) + 0.8 * gideal("en", "fs", xopx, p, t) + 0.05 * gem("q", p, t)) / total;

    auto r = runpm(inputs(runscript("ol opx q", "dogmin 1\nmaxvar 3\ncalcP 10\ncalcT 600\n" + bulkline(b), true)), "");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& ic = r.file("pm-t-ic.txt");
    const std::string head = "\n" + std::string(59, '=') + "\nall equilibria\n\n#     ol  opx    q            G\n";
    ASSERT_TRUE(has(ic, head + "1      X    X    -  ")) << ic;
    const double g1 = after(ic, head + "1      X    X    -  ");
    const double g3 = after(ic, "\n2      X    X    X  ");
    // G with 5 decimals.
    EXPECT_NEAR(g3, gsys, 6e-6);
    EXPECT_LT(g3, g1);

    const std::string& out = r.file("pm-t-o.txt");
    EXPECT_TRUE(has(out, std::string(58, '#') + "\nGibbs energy minimisation gives the divariant assemblage ol opx q \n"
                                                 "with no in excess phases, and with no additional phases tried\n\n"
                                                 "   P(kbar)     T(" + deg + "C)     x(ol)    x(opx)\n   10.0000   600.000"))
        << out;
    const std::vector<double> vars = rowafter(out, "   P(kbar)     T(" + deg + "C)     x(ol)    x(opx)");
    ASSERT_EQ(vars.size(), 4u);
    EXPECT_NEAR(vars[2], xol, 5.01e-5);
    EXPECT_NEAR(vars[3], xopx, 5.01e-5);
    const std::vector<double> modes = rowafter(out, "mode        ol       opx         q");
    const std::vector<double> lever = calctest::levermodes(b, xol, xopx);
    ASSERT_EQ(modes.size(), 3u) << out;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(modes[i], lever[i], 5.01e-5) << i;
    char row[160];
    std::snprintf(row, sizeof row, "      X      X      X%13.5f%10.5f     2     2\n", g3, g1 - g3);
    EXPECT_TRUE(has(out, "\nGibbs energy minimisation info at P = 10.00 kbar and T = 600.0" + deg +
                             "C\n\n     ol    opx      q            G       del     n     #\n" + row))
        << out;
    // The nearby equilibria in rising G: the winner, then the other one,
    // without quartz, at its distance above the winner.
    const std::size_t near = out.find("assemblage modes for minimum G, and near minimum G, at P = 10.00 kbar");
    ASSERT_NE(near, std::string::npos);
    std::snprintf(row, sizeof row, "      - %13.5f%10.5f%10.5f\n", g1, g1 - g3, g1 - g3);
    const std::string table = out.substr(near);
    EXPECT_TRUE(has(table, "\n    #      ol     opx       q            G      odel       del\n    2   "));
    EXPECT_TRUE(has(table, "         -         -\n    1   ") && has(table, row)) << table;

    // The winner's listing and script blocks.
    EXPECT_TRUE(has(ic, "'---' = calculated but not seen\n\n" + std::string(59, '-') + "\nPETRAMONDO 3.50 running at"));
    EXPECT_TRUE(has(ic, "ol opx q  {10.0000, 600.000}  kbar/" + deg + "C\nvar = 2; seen\n"));
    const std::string& log = r.file("pm-log.txt");
    EXPECT_TRUE(has(log, "% " + std::string(56, '-') + "\nptguess 10.0 600\n"));
    EXPECT_TRUE(has(log, "\nrbi                            SiO2         MgO         FeO\n"));
    EXPECT_TRUE(has(r.screen, "starting guesses (using the xyzguess script) are not provided for all the \n"));

    // Quartz in excess, and guesses for both solution phases: one assemblage.
    r = runpm(inputs(runscript("ol opx q", "dogmin 1\nmaxvar 3\ncalcP 10\ncalcT 600\n" + bulkline(b) +
                                               "xyzguess x(ol) 0.7\nxyzguess x(opx) 0.5\n",
                               true, true, "q")),
              "");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_TRUE(has(r.file("pm-t-ic.txt"), "\nall equilibria, with q in excess\n\n#     ol  opx            G\n1      X    X"));
    EXPECT_TRUE(has(r.screen, "Gibbs energy minimisation gives the divariant assemblage ol opx \n"
                              "with, in excess, q, and with no additional phases tried\n"));
    // One accepted assemblage: no gap.
    std::snprintf(row, sizeof row, "      X      X%13.5f         -     1     1\n", g3);
    EXPECT_TRUE(has(r.screen, row)) << r.screen;
    EXPECT_FALSE(has(r.screen, "starting guesses (using the xyzguess script)"));
}

TEST_F(Calc, MinimisationOnAGrid)
{
    prepare("ol opx q");
    numerics::makecrossrefs(all);
    double xol, xopx;
    calctest::closedform(10, 873.15, xol, xopx);
    const std::vector<double> b = {1.75, 0.2 * (1 - xol) + 1.6 * (1 - xopx), 0.2 * xol + 1.6 * xopx};
    const std::string more = "dogmin\nmaxvar ask 3\ncalcP 8 12 2\ncalcT 500 700 100\n" + bulkline(b);
    const auto r = runpm(inputs(runscript("ol opx q", more, true)), "y\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_TRUE(has(r.screen, "in dogmin, use the max variance specified in the datafile ? \n"
                              "running dogmin: min variance of equilibria is divariant; max variance is triva"));
    // The trivariant assemblage first, then the divariant one; at every
    // point where both are accepted the one with quartz wins.
    const std::string& ic = r.file("pm-t-ic.txt");
    const std::size_t first = ic.find("\n1      X    X    -     "), second = ic.find("\n2      X    X    X     ");
    ASSERT_TRUE(first != std::string::npos && second != std::string::npos) << ic;
    const std::string marks1 = ic.substr(first + 24, 18), marks3 = ic.substr(second + 24, 18);
    EXPECT_TRUE(has(marks3, "#") && has(marks3, "x")) << marks3;
    EXPECT_TRUE(has(r.screen, "Gibbs energy minimisation with  ol opx q\n\n P(kbar)   T(" + deg +
                                  "C)     ol    opx      q            G       del     n     #\n"));
    int n = 0;
    for (int pi = 0; pi < 3; ++pi)
        for (int ti = 0; ti < 3; ++ti, ++n) {
            char pt[40];
            std::snprintf(pt, sizeof pt, "\n%8.2f%8.1f", 8.0 + 2 * pi, 500.0 + 100 * ti);
            const std::size_t at = r.screen.find(pt);
            ASSERT_NE(at, std::string::npos) << pt;
            const std::string rowtext = r.screen.substr(at + 17, r.screen.find('\n', at + 1) - at - 17);
            const char m1 = marks1[2 * n], m3 = marks3[2 * n];
            if (m3 == '#') {
                EXPECT_EQ(rowtext.substr(0, 21), "      X      X      X") << pt;
            } else if (m1 == '#') {
                EXPECT_EQ(rowtext.substr(0, 21), "      X      X      .") << pt;
            }
            EXPECT_EQ(rowtext.substr(rowtext.size() - 12), m1 == '#' && m3 == '#' ? "     2     2" : "     1     1")
                << pt;
            if (m1 != '#' || m3 != '#') {
                EXPECT_EQ(rowtext.substr(34, 10), "         -");
            }
        }
    EXPECT_TRUE(has(r.screen, "note that dogmin for a single PT gives more and more easily-digestible \n"));
}

// Twelve phases of the example a-x file (with five more pure phases) give
// more than fifty trivariant assemblages at one P-T point; an imposed
// mu(FeO) of -400, -390 and -380 kJ calculates each assemblage that depends
// on it three times. The progress mark goes to the screen at every
// calculation of assemblage 50, as many times as the listing has rows for it.
TEST(Minimisation, TheProgressMarkAtEveryCalculationOfTheFiftiethAssemblage)
{
    auto files = inputs("axfile axex\nwith ol opx g q ky and sillim coe crst sp cor per\ninexcess none\n"
                        "pseudosection\ndogmin 1\nsetmu FeO\nvarrange 3 3\ndiagramPT 2 14 400 900\ncalcP 8\n"
                        "calcT 700\nbulk SiO2 Al2O3 CaO MgO\nbulk 55 12 2 16\nautoexit\n*\n");
    files["pm-axex.txt"] += "coe\ncrst\nsp\ncor\nper\n";
    // yes to the untested chemical potentials, its window and interval
    const auto r = runpm(files, "y\n-400 -380\n10\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& ic = r.file("pm-t-ic.txt");
    ASSERT_FALSE(has(ic, "\n100  ")) << ic;
    EXPECT_EQ(pmtest::countof(ic, "\n50     "), 3) << ic;
    EXPECT_EQ(pmtest::countof(r.screen, "@"), 3) << r.screen;
}

}  // namespace
