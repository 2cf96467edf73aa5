// The invariant points of a Schreinemakers analysis end to end on the
// linear test dataset: the Al2SiO5 triple point against the crossing of its
// closed-form lines, with its sd and correlation from the test's own 2 x 2
// propagation of the enthalpy covariances; the point of na, ka, nak and nnak
// with a vertical and a flat reaction; a metastable point; a window with no
// point; and curved lines (with a fluid) against the test's own bisection.
// The stable sides of the reactions are Schreinemakers' analysis of each
// point worked by hand (see each test).
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
#include <string>

#include "harness/harness.h"
#include "lineardata.h"
#include "runio/runio.h"

namespace {

using namespace lineards;
using pmtest::runpm;

const std::string deg = "\xA1";
constexpr double r = 0.0083144;   // kJ/(K mol)

// Covariances between neighbours in the dataset, as the reaction table's
// tests take them; none for na, ka, nak and nnak.
double covariance(int i, int j)
{
    if (i >= index("na") || j >= index("na")) return 0.0;
    return i == j ? 0.25 : (std::abs(i - j) == 1 ? 0.125 : 0.0);
}

pmtest::RunResult run3(const std::string& script, const std::string& replies, const std::string& exit = "autoexit\n")
{
    std::string ax = "% the pure phases of the test dataset\n";
    for (const Em& e : dataset) ax += e.name + "\n";
    return runpm({{"pm-prefs.txt", pmtest::prefsfile("6rx", "t", 3)},
                  {"pm-ds6rx.txt", datasetfile(covariance)},
                  {"pm-axrx.txt", ax},
                  {"pm-t.txt", "axfile axrx\ndiagramPT 1 20 400 1000\ndoschreinemakers\n" + script + exit + "*\n"}},
                 replies);
}

using Nu = std::map<std::string, int>;
struct Line {
    double dh = 0.0, ds = 0.0, dv = 0.0;
};
Line line(const Nu& nu)
{
    Line l;
    for (const auto& [name, n] : nu) {
        l.dh += n * em(name).h;
        l.ds += n * em(name).s;
        l.dv += n * em(name).v;
    }
    return l;
}

const std::string rule = std::string(58, '-') + "\n";
const std::string slopehead = std::string(66, ' ') + "     low T    high T     dp/dt\n";

// A row of a point's table: the text, its absent phases, the stable sides, the slope.
std::string row(const std::string& text, const std::string& absent, const std::string& low, const std::string& high,
                const std::string& slope)
{
    auto right = [](const std::string& f, std::size_t w) { return std::string(w - f.size(), ' ') + f; };
    return text + std::string(50 - text.size(), ' ') + right(absent, 16) + right(low, 10) + right(high, 10) +
           right(slope, 10) + "\n";
}

// The last word of the line that begins with text.
std::string lastword(const std::string& out, const std::string& text)
{
    const std::size_t at = out.find("\n" + text);
    if (at == std::string::npos) return "";
    const std::string line = out.substr(at + 1, out.find('\n', at + 1) - at - 1);
    return line.substr(line.find_last_of(' ') + 1);
}

std::string slopetext(const Line& l) { return runio::realstr(l.ds / l.dv, 3, false); }

TEST(Intersections, TriplePointAndAPointWithVerticalAndFlatLines)
{
    // 201 temperatures: the na-ka point at 700 C lies on the list itself
    const auto res = run3("with ky sill and na ka nak nnak\ncalctype 1\ninexcess none\ncalcT 400 1000 3\ncalcTatP no\n", "");
    ASSERT_EQ(res.status, 0) << res.screen;
    const std::string& out = res.file("pm-t-o.txt");
    const Nu sillky = {{"sill", -1}, {"ky", 1}}, andky = {{"and", -1}, {"ky", 1}}, andsill = {{"and", -1}, {"sill", 1}};
    // Around the triple point: and = sill is stable at high T (and at low
    // P), and = ky at low T, sill = ky at high T (and high P).
    const std::string triple = "\nP-T of intersections\nwindow : P 1.0 <-> 20.0 kbars; T 400 <-> 1000" + deg + "C\n" +
                               rule + "# stable intersection 1 involving ky sill and  or [na,ka,nak,nnak]\n" +
                               slopehead + row("3)  and = sill", "[ky]", "", "stable", slopetext(line(andsill))) +
                               row("2)  and = ky", "[sill]", "stable", "", slopetext(line(andky))) +
                               row("1)  sill = ky", "[and]", "", "stable", slopetext(line(sillky))) + "\nP = ";
    EXPECT_NE(out.find(triple), std::string::npos) << out;

    // the point where sill = ky (1) and and = ky (2) cross
    const Line a = line(sillky), b = line(andky);
    const double d = a.dv * -b.ds - b.dv * -a.ds;   // dG/dP and dG/dT of the lines
    const double tk = (a.dh * b.dv - b.dh * a.dv) / (a.ds * b.dv - b.ds * a.dv);
    const double pk = pref + (tk * a.ds - a.dh) / a.dv;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(out, m, std::regex("\nP = (\\S+) kbar \\(sd = (\\S+)\\), T = (\\S+) " + deg +
                                                     "C \\(sd = (\\S+)\\), \\(cor = (\\S+)\\)\n")));
    EXPECT_NEAR(std::stod(m[1]), pk, 0.01);
    EXPECT_NEAR(std::stod(m[3]), tk - 273.15, 0.5);
    // var(P, T) = M C M' with M the inverse of the lines' derivatives and C
    // the covariance of their dG: nu.cov.nu
    auto c = [](const Nu& x, const Nu& y) {
        double s = 0.0;
        for (const auto& [p, np] : x)
            for (const auto& [q, nq] : y) s += np * nq * covariance(index(p), index(q));
        return s;
    };
    const double m1[2] = {b.ds / d, -a.ds / d}, m2[2] = {b.dv / d, -a.dv / d};
    const double cc[2][2] = {{c(sillky, sillky), c(sillky, andky)}, {c(andky, sillky), c(andky, andky)}};
    auto form = [&](const double* u, const double* v) {
        return u[0] * (cc[0][0] * v[0] + cc[0][1] * v[1]) + u[1] * (cc[1][0] * v[0] + cc[1][1] * v[1]);
    };
    const double sdp = std::sqrt(form(m1, m1)), sdt = std::sqrt(form(m2, m2));
    EXPECT_NEAR(std::stod(m[2]), sdp, 0.051);
    EXPECT_NEAR(std::stod(m[4]), sdt, 0.51);
    EXPECT_NEAR(std::stod(m[5]), form(m1, m2) / (sdp * sdt), 0.0006);

    // na + ka = nak (4) is vertical and 2na + ka = nnak (5) flat at 10 kbar,
    // 700 C; with G(na) = G(ka) = 0 there, G(nak) = 0.01 (T - 973.15) and
    // G(nnak) = 20 (P - 10): 5) is stable where nak lies above the na-ka
    // join, at high T; 6) nnak = na + nak and 7) 2nak = ka + nnak where ka
    // (na) lies above the join through the other two, at low T; and 4) on
    // the side where the neighbours in slope put it. No covariances: sd 0, cor 0.
    const std::string nak = rule + "# stable intersection 2 involving na ka nak nnak  or [ky,sill,and]\n" + slopehead +
                            row("5)  nnak = na + ka", "[nak]", "", "stable", "0") +
                            row("6)  nnak = na + nak", "[ka]", "stable", "", "0.000500") +
                            row("7)  ka + nnak = nak", "[na]", "stable", "", "0.00100") +
                            row("4)  nak = na + ka", "[nnak]", "", "stable", std::string(1, '\xA1')) +
                            "\nP = 10.0000 kbar (sd = 0), T = 700.00 " + deg + "C (sd = 0), (cor = 0)\n";
    EXPECT_NE(out.find(nak), std::string::npos) << out;
    // every reaction passes through a printed point: no stability table;
    // the flat line's sd of T in the reaction table is "+", not 0/0
    EXPECT_EQ(out.find("Stability of reactions"), std::string::npos);
    EXPECT_EQ(out.find("NaN"), std::string::npos);
}

TEST(Intersections, MetastablePointsAndNoPointInTheWindow)
{
    // am, below ky, sill and and where they meet, makes their point
    // metastable: only its rule, heading and point line
    auto res = run3("with ky sill and am q cor\ncalctype 1\ninexcess q\ncalcT 400 1000 30\ncalcTatP no\n", "");
    ASSERT_EQ(res.status, 0) << res.screen;
    std::string out = res.file("pm-t-o.txt");
    const std::regex metastable("\nin excess : q \n" + rule + "metastable intersection 1 involving ky sill and \\+ "
                                "\\(q\\)  or \\[cor,am\\]\nP = 4\\.5465 kbar [^\n]*\n" + rule +
                                "# stable intersection 4 involving sill and am \\+ \\(q\\)  or \\[ky,cor\\]\n");
    EXPECT_TRUE(std::regex_search(out, metastable)) << out;
    // a second pass starts afresh: cor, ruled out in the first, does not
    // hide the end-member in its place when the names are looked up again
    res = run3("with ky sill and am q cor\ncalctype 1\ninexcess q\ncalcT 400 1000 30\ncalcTatP no\n", "yes\nno\n\n", "");
    EXPECT_EQ(res.screen.find("not recognised"), std::string::npos) << res.screen;
    EXPECT_EQ(pmtest::countof(res.file("pm-t-o.txt"), "metastable intersection 1 involving ky sill and + (q)"), 2);

    // Above 600 C, on the first temperature where each line lies in the
    // window (600 C): and = sill (3.2 kbar) and sill = ky (5.8 kbar) have no
    // reaction whose unstable side lies among their phases; on and = ky
    // (5.2 kbar) and = sill has its and side unstable.
    res = run3("with ky sill and\ncalctype 1\ninexcess none\ncalcT 600 1000 50\ncalcTatP no\n", "");
    out = res.file("pm-t-o.txt");
    EXPECT_NE(out.find("\nP-T of intersections\nwindow : P 1.0 <-> 20.0 kbars; T 600 <-> 1000" + deg +
                       "C\n\nsorry, none in the window\n\n" + std::string(52, '-') +
                       "\nStability of reactions not involved in intersections :\n\n"
                       "<= stable => 1)  sill = ky\nmetastable   2)  and = ky\n<= stable => 3)  and = sill\n"),
              std::string::npos)
        << out;
}

double dgfluid(const Nu& nu, double p, double t, double xco2)
{
    double g = 0.0;
    for (const auto& [name, n] : nu)
        g += n * (name == "H2O" || name == "CO2" ? fluidg(name, p, t, xco2) : gem(em(name), p, t));
    return g;
}

TEST(Intersections, CurvedLinesAcrossXCO2)
{
    const auto res = run3("with port cc q wo H2O CO2\ncalctype 2\ninexcess none\n", "400 1000 0.01 0.99\nyes\n5\n");
    ASSERT_EQ(res.status, 0) << res.screen;
    const std::string& out = res.file("pm-t-o.txt");
    EXPECT_NE(out.find("\n\nT-x(CO2)  of intersections : P = 5.0 kbar\nwindow : T 400 <-> 1000" + deg +
                       "C; x(CO2) 0.01 <-> 0.99\nin excess : CO2 H2O \n" + rule +
                       "# stable intersection 1 involving q cc wo port + (CO2 H2O)\n"),
              std::string::npos)
        << out;
    // the point: where q + cc = wo + CO2 and q + port = wo + H2O cross, by
    // bisection on x(CO2) of the difference of their T, each by bisection
    const double p = 5.0;
    const Nu carb = {{"q", -1}, {"cc", -1}, {"wo", 1}, {"CO2", 1}}, hyd = {{"q", -1}, {"port", -1}, {"wo", 1}, {"H2O", 1}},
             both = {{"port", -1}, {"CO2", -1}, {"cc", 1}, {"H2O", 1}};
    auto tof = [&](const Nu& nu, double x) { return bisect([&](double t) { return dgfluid(nu, p, t, x); }, 673.15, 1273.15); };
    const double x = bisect([&](double x) { return tof(carb, x) - tof(hyd, x); }, 0.5, 0.95);
    const double t = tof(carb, x);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(out, m, std::regex("\nT = (\\S+) " + deg + "C , x\\(CO2\\) = (\\S+)\n")));
    EXPECT_NEAR(std::stod(m[1]), t - 273.15, 0.5);
    EXPECT_NEAR(std::stod(m[2]), x, 0.0015);
    // the slopes dx/dT, steps of 0.01 in x(CO2)
    for (const auto& [text, nu] : {std::pair{"3)  q + port = wo + H2O", hyd}, {"1)  port + CO2 = cc + H2O", both},
                                   {"2)  q + cc = wo + CO2", carb}}) {
        SCOPED_TRACE(text);
        const double slope = 0.01 / (tof(nu, x + 0.01) - tof(nu, x));
        const std::string cell = lastword(out.substr(out.find("# stable intersection")), text);
        ASSERT_FALSE(cell.empty());
        EXPECT_NEAR(std::stod(cell), slope, 0.02 * std::fabs(slope));
    }
}

TEST(Intersections, LogActivityOfWaterImposedInTheRefinement)
{
    // P-ln a(H2O) at 500 C: cor + q = and lies at a P of its own; there
    // 2dsp = cor + H2O holds where RT ln a = -dG(P, T) at a = 1
    const auto res = run3("with and q cor dsp H2O\ncalctype 5\ninexcess H2O q\n", "yes\nH2O\nno\n1 20 -4 0\n0.1\n500\n");
    ASSERT_EQ(res.status, 0) << res.screen;
    const std::string& out = res.file("pm-t-o.txt");
    EXPECT_NE(out.find("\nP-x(H2O)  of intersections  : T = 500" + deg +
                       "C\nwindow : P 1.0 <-> 20.0 kbars; ln a(H2O) -4.0 <-> 0\nin excess : H2O q \n" + rule +
                       "# stable intersection 1 involving and cor dsp + (H2O q)\n" + std::string(66, ' ') +
                       "     low P    high P   dlna/dp\n"),
              std::string::npos)
        << out;
    const double t = 773.15;
    const Line l = line({{"cor", -1}, {"q", -1}, {"and", 1}});
    const double p = pref + (t * l.ds - l.dh) / l.dv;
    const double dg = gem(em("cor"), p, t) + gem(em("H2O"), p, t) - 2.0 * gem(em("dsp"), p, t);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(out, m, std::regex("\nP = (\\S+)kbar ,ln a\\(H2O\\) = (\\S+)\n")));
    EXPECT_NEAR(std::stod(m[1]), p, 0.01);
    EXPECT_NEAR(std::stod(m[2]), -dg / (r * t), 0.006);
}

}  // namespace
