// Projection onto a compatibility diagram end to end: the plane from an
// oxide list, apex by apex and from the script, its script form in the log,
// the projected compositions of olivine and orthopyroxene against their
// barycentric coordinates worked by hand from the closed-form compositions,
// the drawing-program and csv lists, the bulk in the plane, and every way
// the plane's dialogue can fail.
#include <utility>

#include "calcfixture.h"
#include "harness.h"
#include "runfiles.h"

namespace {

using calctest::Calc;
using pmtest::runpm;
using namespace runtest;

std::string fixed(double x, int width, int decimals)
{
    char b[40];
    std::snprintf(b, sizeof b, "%*.*f", width, decimals, x);
    return b;
}

const std::string rule = "% " + std::string(58, '-') + "\n";
const std::string more = "calcP 10\ncalcT 600\nproject\n";

TEST_F(Calc, PlaneOfOxidesThroughQuartz)
{
    prepare("ol opx q");
    numerics::makecrossrefs(all);
    double xol, xopx;
    calctest::closedform(10, 873.15, xol, xopx);
    // Through quartz, (Mg,Fe)2SiO4 and (Mg,Fe)2Si2O6 lie at their Mg and Fe
    // fractions, with half and one quartz per unit of the plane.
    const std::string table = "\nproj        MgO      FeO        q    phase\nol    " + fixed(1 - xol, 9, 4) +
                              fixed(xol, 9, 4) + "   0.5000\nopx   " + fixed(1 - xopx, 9, 4) + fixed(xopx, 9, 4) +
                              "   1.0000\n";
    auto r = runpm(inputs(runscript("ol opx q", more + "compatibility\n", false, true, "q")), "0\n2 3\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_TRUE(has(r.screen, "projection plane has 2 apices, leaving SiO2 MgO FeO \nto be represented by q and the "
                              "projection plane\ncompositions of the 2 apices are needed in terms of: SiO2 MgO FeO \n"));
    EXPECT_TRUE(has(r.screen, "code : oxide list (2 indices) : projection plane \n          SiO2     MgO     FeO\n"
                              "MgO          0   1.000       0\nFeO          0       0   1.000\n"));
    EXPECT_TRUE(has(r.screen, table)) << r.screen;
    const std::string echo = rule + "projplane            SiO2   MgO   FeO\n" + rule + "projplane    MgO        0     1     0\n" +
                             "projplane    FeO        0     0     1\n" + rule;
    EXPECT_TRUE(has(r.file("pm-log.txt"), "\nin form to copy to scriptfile:\n\n" + echo + "\n"));
    const std::string lists = "(*---------------------------------------------------------*)\n{{10.000, 600.00}, \n"
                              "         {{\"ol\",   " + fixed(1 - xol, 9, 6) + ", " + fixed(xol, 9, 6) + ",     0.500000}, \n"
                              "          {\"opx\",  " + fixed(1 - xopx, 9, 6) + ", " + fixed(xopx, 9, 6) +
                              ",     1.000000}} },\n";
    EXPECT_TRUE(has(r.file("pm-t-px.txt"), lists)) << r.file("pm-t-px.txt");
    EXPECT_TRUE(has(r.file("pm-t.csv"), "     ol, " + fixed(1 - xol, 9, 6) + ", " + fixed(xol, 9, 6) +
                                            ",  0.500000,    10.000,    600.00, \n    opx, " + fixed(1 - xopx, 9, 6) +
                                            ", " + fixed(xopx, 9, 6) + ",  1.000000,          ,          , \n\n"));

    // The echo pasted into the script after "project" is read back.
    r = runpm(inputs(runscript("ol opx q", more + echo, false, true, "q")), "");
    EXPECT_TRUE(has(r.screen, "projection plane (from script) \n          SiO2     MgO     FeO\n"));
    EXPECT_TRUE(has(r.screen, table));
    r = runpm(inputs(runscript("ol opx q", more + pmtest::replaceall(echo, "SiO2   MgO", "MgO   SiO2"), false, true, "q")),
              "");
    EXPECT_TRUE(has(r.screen, "-- run bombed in readprojplane : oxides don't match"));
    r = runpm(inputs(runscript("ol opx q", more + pmtest::replaceall(echo, "FeO        0     0     1", "FeO        0     1     0"),
                               false, true, "q")),
              "");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.screen, "and the projection plane\napices not independent: no projection will be undertaken\n"))
        << r.screen;
    EXPECT_FALSE(has(r.screen, "proj "));

    // A failed dialogue leaves the results without projection; so does a
    // plane on which a phase has no unique place: an oxide typed twice, or
    // an apex that quartz in excess already stands for.
    const std::pair<const char*, const char*> failures[] = {
        {"0\n2\n2 3 1\n", "2 needed: try again : still not correct: no projection will be undertaken\n"},
        {"0\n2 x\n", "not all integers: no projection will be undertaken\n"},
        {"0\n2 2\n", "oxide list (2 indices) : apices not independent: no projection will be undertaken\n"},
        {"1\nMgO\nSiO2\n", "2nd apex name : apices not independent: no projection will be undertaken\n"}};
    for (const auto& [replies, message] : failures) {
        r = runpm(inputs(runscript("ol opx q", more, false, true, "q")), replies);
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(has(r.screen, message)) << r.screen;
        EXPECT_TRUE(has(r.screen, "x(ol)    x(opx)\n  10.000    600.00"));
        EXPECT_FALSE(has(r.screen, "proj "));
        EXPECT_FALSE(has(r.file("pm-log.txt"), "in form to copy to scriptfile:"));
    }

    // In a pseudosection the bulk is projected too: 1.75 SiO2 with 0.7181
    // MgO and 1.0819 FeO.
    r = runpm(inputs(runscript("ol opx q", more + "bulk SiO2 MgO FeO\nbulk 1.75 0.7181 1.0819\n", true, true, "q")),
              "0\n2 3\n");
    EXPECT_TRUE(has(r.screen, "\ncomp        MgO      FeO        q     bulk\n      " + fixed(0.7181 / 1.8, 9, 4) +
                                  fixed(1.0819 / 1.8, 9, 4) + fixed(1.75 / 1.8, 9, 4) + "\n"))
        << r.screen;
}

TEST_F(Calc, PlaneApexByApex)
{
    const std::string ax = pmtest::idealolopx + "mt\ncoe\n";
    prepare("ol opx q");
    numerics::makecrossrefs(all);
    double x, y;
    calctest::closedform(10, 873.15, x, y);
    // Apices MgO, A = 2 MgO + FeO and B = FeO/2 + O, through quartz: a phase
    // (Mg,Fe)2 Si_k O.. is (2 - 6x) MgO + 2x A + k q, whose apex sum 2 - 4x
    // is negative for x above a half; magnetite 3 FeO + O is -5 MgO + 2.5 A
    // + B.
    auto row = [](const std::string& name, double s, double a, double b, double c, double q) {
        return name + fixed(a / std::fabs(s), 9, 4) + fixed(b / std::fabs(s), 9, 4) +
               (c == 0 ? std::string(9, ' ') : fixed(c / std::fabs(s), 9, 4)) +
               (q == 0 ? std::string(9, ' ') : fixed(q / std::fabs(s), 9, 4)) + "  \xA5\n";
    };
    const std::string table = "\nproj        MgO        A        B        q    phase\n" +
                              row("ol    ", 2 - 4 * x, 2 - 6 * x, 2 * x, 0, 1) +
                              row("opx   ", 2 - 4 * y, 2 - 6 * y, 2 * y, 0, 2) + row("mt    ", -1.5, -5, 2.5, 1, 0);
    auto r = runpm(inputs(runscript("ol opx q mt", more, false, true, "q"), ax), "1\nMgO\nA 0 2 1 0\nB\n0 0 0.5 1\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_TRUE(has(r.screen, "code : 1st apex name : 2nd apex name : 3rd apex name : apex composition : "
                              "projection plane \n          SiO2     MgO     FeO       O\nMgO          0   1.000       0"
                              "       0\nA            0   2.000   1.000       0\nB            0       0   0.500   1.000\n"));
    EXPECT_TRUE(has(r.screen, table)) << r.screen;
    // FeO stands for all the iron when O is a component.
    EXPECT_TRUE(has(r.file("pm-log.txt"), rule + "projplane            SiO2   MgO  FeOt     O\n" + rule +
                                              "projplane    MgO        0     1     0     0\nprojplane    A          0     "
                                              "2     1     0\nprojplane    B          0     0 0.500     1\n" + rule));
    for (const char* word : {"x", "1/0"}) {
        r = runpm(inputs(runscript("ol opx q mt", more, false, true, "q"), ax), "1\nMgO\nA 0 " + std::string(word) + " 1 0\n");
        EXPECT_TRUE(has(r.screen, std::string("-- run bombed in readprojplane : short-cutting ") +
                                      (word[0] == 'x' ? "A" : "B")));
    }

    // Univariant, coesite with quartz in excess: coesite lies in the plane of
    // quartz, and the reaction's phases head the lists.
    r = runpm(inputs(runscript("ol opx q coe", "diagramPT 2 40 300 1200\ncalcTatP no\ncalcT 600\nproject\ncompatibility\n", false, true, "q") ,
                     ax),
              "0\n2 3\n");
    EXPECT_TRUE(has(r.screen, "    coe = q\n")) << r.screen;
    EXPECT_TRUE(has(r.screen, "\ncoe                        1.0000  #\n"));
    EXPECT_TRUE(has(r.file("pm-t-px.txt"), "}, \n {\"coe\", }, {}, \n          {{\"ol\", "));
    EXPECT_TRUE(has(r.file("pm-t-px.txt"), "{\"coe\",          0,         0,     1.000000}} },\n"));
}

TEST(Projection, Limits)
{
    // Five pure phases in excess on top of four apices.
    const std::string ax = pmtest::idealolopx + "mt\nru\nH2O\nab\nan\n";
    auto r = runpm(inputs(runscript("ol opx q mt ky ru H2O ab an", more, false, true, "q mt ky ru H2O"), ax),
                   "0\n1 2 3 4\n");
    EXPECT_TRUE(has(r.screen, "\nto be represented by q ky mt ru H2O and the projection plane\n"));
    EXPECT_TRUE(has(r.screen, "-- run bombed in readprojplane : system too big"));
    r = runpm(inputs(runscript("ol opx q", more, false, true, "ol opx q")), "");
    EXPECT_TRUE(has(r.screen, "-- run bombed in readprojplane : no projection plane"));
}

}  // namespace
