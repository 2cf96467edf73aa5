// The last sections of the mode-0 tables end to end, on a test dataset of
// our own whose solids have no heat capacity, no expansion and kappa0 = 0
// (incompressible), so that G = H - TS + V (P - 1 bar): the linearised
// thermodynamics of every reaction against those sums (with RT ln f of
// H2O for the dehydrations), the departures of the linear form, the drawing-
// program lists, and RT ln f of the corresponding-states gases against the
// test's own evaluation of their equation of state.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "lineardata.h"
#include "thermodata/gibbs.h"

namespace {

using pmtest::countof;
using pmtest::runpm;

const std::string deg = "\xA1";
constexpr double r = 0.0083144;   // kJ/(K mol)
constexpr double pref = 0.001;    // kbar

using lineards::dataset;
using lineards::datasetfile;
using lineards::em;
using lineards::Em;
using lineards::gem;

std::map<std::string, std::string> inputs(const std::string& with)
{
    std::string ax = "% the pure phases of the test dataset\n";
    for (const Em& e : dataset) ax += e.name + "\n";
    return {{"pm-prefs.txt", pmtest::prefsfile("6rx", "t", 0)},
            {"pm-ds6rx.txt", datasetfile()},
            {"pm-axrx.txt", ax},
            {"pm-t.txt", "axfile axrx\nwith " + with + "\ndiagramPT 1 20 300 900\nautoexit\n*\n"}};
}

struct Reaction {
    int number = 0;
    std::map<std::string, int> nu;
    double a = 0.0, b = 0.0, c = 0.0;
};

double dg(const Reaction& x, double p, double t)
{
    double g = 0.0;
    for (const auto& [name, n] : x.nu) g += n * gem(em(name), p, t);
    return g;
}

// dG0 = a + bT + cP about (P, T): b and c by central differences of the
// sums, a from the tangent plane.
struct Linear {
    double a, b, c;
};
Linear linear(const Reaction& x, double p, double t)
{
    const double b = (dg(x, p, t + 0.1) - dg(x, p, t - 0.1)) / 0.2;
    const double c = (dg(x, p + 0.01, t) - dg(x, p - 0.01, t)) / 0.02;
    return {dg(x, p, t) - b * t - c * p, b, c};
}

// The table of linearised reactions as the output file holds it.
std::vector<Reaction> reactiontable(const std::string& out, const std::vector<std::string>& names)
{
    std::vector<Reaction> rows;
    std::string heading = "\n     ";
    for (const std::string& name : names) heading += std::string(5 - name.size(), ' ') + name;
    std::size_t at = out.find(heading);
    if (at == std::string::npos) return rows;
    at = out.find('\n', at + 1) + 1;
    std::istringstream in(out.substr(at));
    std::string line;
    while (std::getline(in, line) && !line.empty()) {
        std::istringstream ls(line);
        Reaction x;
        ls >> x.number;
        for (const std::string& name : names) {
            std::string w;
            ls >> w;
            if (w != ".") x.nu[name] = std::stoi(w);
        }
        ls >> x.a >> x.b >> x.c;
        rows.push_back(x);
    }
    return rows;
}

TEST(ReactionThermo, LinearisedAboutTheTypedPoint)
{
    thermodata::ds.dsgen6 = true;   // the equations of state of a "6" dataset
    const std::vector<std::string> names = {"ky", "sill", "and", "q", "cor", "dsp", "H2O"};
    // grid of the G tables; linearised at 8 kbar and 600 C after -300 C is
    // refused; departures of reaction 1 on a grid, then of reaction 3 on the
    // same grid; 0 ends
    const auto res = runpm(inputs("ky sill and q cor dsp H2O"),
                           "4 8\n500 600\nyes\n8\n-300\n600\n1\n4 8 2\n500 700 100\n3\n0\n");
    ASSERT_EQ(res.status, 0) << res.screen;
    const std::string& out = res.file("pm-t-o.txt");
    const std::string& px = res.file("pm-t-px.txt");

    const std::string t = "  T" + deg + "C : ";
    EXPECT_NE(res.screen.find("\nPT about which thermodynamics linearised\n  P : " + t + "the temperature must be "
                              "above -273.15" + deg + "C (0 K): give it again\n" + t + "(a, b and c includes"),
              std::string::npos)
        << res.screen;
    EXPECT_NE(out.find("\nno of reactions = 10\n\nThermodynamics of reactions (delta G^0 = a + bT + cP)\n"
                       "(a, b and c includes fluid fugacities, at P = 8.0 kbar and T = 600" + deg + "C)\n\n"
                       "        ky sill  and    q  cor  dsp  H2O         a         b         c\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("PT about which"), std::string::npos);
    EXPECT_NE(res.file("pm-log.txt").find("\nPT about which thermodynamics linearised\n"), std::string::npos);

    // The reactions among the seven: the three polymorph pairs, each
    // polymorph = cor + q, 2 dsp = cor + H2O, and each polymorph + H2O =
    // 2 dsp + q: every minimal set of dependent compositions, ten.
    const std::vector<Reaction> rows = reactiontable(out, names);
    ASSERT_EQ(rows.size(), 10u);
    const double p0 = 8.0, t0 = 873.15;
    for (const Reaction& x : rows) {
        SCOPED_TRACE("reaction " + std::to_string(x.number));
        std::map<int, int> atoms;
        for (const auto& [name, n] : x.nu)
            for (auto [el, k] : em(name).formula) atoms[el] += n * k;
        for (auto [el, sum] : atoms) EXPECT_EQ(sum, 0) << "element " << el;
        const Linear l = linear(x, p0, t0);
        EXPECT_NEAR(x.b, l.b, 6e-6);                            // 5 decimals printed
        EXPECT_NEAR(x.c, l.c, 6e-4);                            // 3 decimals
        EXPECT_NEAR(x.a, l.a, 6e-4 * std::fabs(l.a) + 1e-9);    // 4 significant digits
    }
    ASSERT_EQ(rows[0].nu, (std::map<std::string, int>{{"cor", 1}, {"dsp", -2}, {"H2O", 1}}));

    // the drawing program: a comment and one list row per reaction
    const std::size_t lists = px.find("(* reaction thermo linearised at P = 8.0 kbar and T = 600" + deg + "C *)\n\n");
    ASSERT_NE(lists, std::string::npos) << px;
    EXPECT_NE(px.find("{{   1,    0,    0,    0,    0,    1,   -2,    1,     51.30,  -0.07767,     0.983},\n {   2,",
                      lists),
              std::string::npos);
    EXPECT_NE(px.find("\n {  10,    0,    0,    1,   -1,    0,   -2,    1,", lists), std::string::npos);
    EXPECT_NE(px.find("}};\n", lists), std::string::npos);

    // departures of reaction 1 (the dehydration, curved by the fluid)
    const Linear l1 = linear(rows[0], p0, t0);
    const std::string table = out.substr(out.find("\n          500.00  600.00  700.00\n"));
    std::istringstream in(table.substr(1));
    std::string line;
    std::getline(in, line);
    for (double p : {4.0, 6.0, 8.0}) {
        std::getline(in, line);
        std::istringstream ls(line);
        double pp;
        ls >> pp;
        EXPECT_EQ(pp, p);
        for (double tc : {500.0, 600.0, 700.0}) {
            double d;
            ls >> d;
            const double tk = tc + 273.15;
            EXPECT_NEAR(d, dg(rows[0], p, tk) - (l1.a + l1.b * tk + l1.c * p), 0.0051) << p << " kbar, " << tc << " C";
        }
    }
    // at the point of linearisation the departure is nothing
    const std::string row8 = table.substr(table.find("\n    8.00"), 33);
    EXPECT_EQ(row8.substr(17, 8), "       0") << row8;

    EXPECT_NE(px.find("\n\n(* reaction thermo for (1) *)\n\n{    4.00,    6.00,    8.00};\n"
                      "{  773.15,  873.15,  973.15};\n\n{{"),
              std::string::npos)
        << px;
    EXPECT_NE(px.find("(* reaction thermo for (3) *)"), std::string::npos);
    // the grid is asked once: for the G tables and for the first departures
    EXPECT_EQ(countof(res.screen, "specification of table PT"), 2);
    EXPECT_EQ(countof(res.screen, "which reaction : "), 3);
}

TEST(ReactionThermo, NoReactionsOrNoReactionChosen)
{
    // quartz and corundum share no component: nothing to linearise, and the
    // fugacity tables are not offered
    auto res = runpm(inputs("q cor"), "5\n500\nyes\n");
    ASSERT_EQ(res.status, 0) << res.screen;
    EXPECT_NE(res.file("pm-t-o.txt").find("\nno of reactions = 0\nNo reactions...\n"), std::string::npos)
        << res.file("pm-t-o.txt");
    EXPECT_EQ(res.screen.find("fugacity"), std::string::npos);

    // a reaction number out of range ends the section before any grid
    res = runpm(inputs("ky sill"), "5\n500\nyes\n8\n600\n2\n");
    ASSERT_EQ(res.status, 0) << res.screen;
    EXPECT_NE(res.screen.find("\nerror matrix for linearisation\nwhich reaction : \n"), std::string::npos)
        << res.screen;
    EXPECT_EQ(countof(res.screen, "specification of table PT"), 1);
}

// RT ln f of a gas from its critical point: the compensated Redlich-Kwong
// form by corresponding states, written here from its formula.
double rtlnfcs(double p, double t, double pc, double tc)
{
    const double rt = r * t;
    const double a = (5.45963e-5 * tc - 8.6392e-6 * t) * std::pow(tc, 1.5) / pc;
    const double b = 9.18301e-4 * tc / pc;
    const double c = (-3.30558e-5 * tc + 2.30524e-6 * t) / std::pow(pc, 1.5);
    const double d = (6.93054e-7 * tc - 8.38293e-8 * t) / (pc * pc);
    return rt * std::log(1000.0 * p) + b * p + a / (b * std::sqrt(t)) * std::log((rt + b * p) / (rt + 2.0 * b * p)) +
           2.0 / 3.0 * c * p * std::sqrt(p) + 0.5 * d * p * p;
}

// The values of a fugacity table: per pressure the row after P.
std::vector<std::vector<double>> fugacities(const std::string& out, const std::string& title)
{
    std::vector<std::vector<double>> rows;
    const std::size_t at = out.find("\n" + title + "\n\n");
    if (at == std::string::npos) return rows;
    std::istringstream in(out.substr(at + title.size() + 3));
    std::string line;
    std::getline(in, line);   // the heading
    while (std::getline(in, line) && !line.empty() && line[0] != '=') {
        std::istringstream ls(line);
        double p, x;
        ls >> p;
        std::vector<double> row;
        while (ls >> x) row.push_back(x);
        rows.push_back(row);
    }
    return rows;
}

TEST(FugacityTables, SixFluids)
{
    // H2O on 1, 3, 5 kbar and 400, 600 C; CO2 on the same grid, CH4 on a
    // new one of 2 kbar and 500, 600, 700 C, then the same for H2, H2S, S2
    const auto res = runpm(inputs("ky sill"), "5\n500\nno\nyes\n1 5 2\n400 600 200\ny\nn\n2\n500 700 100\ny\ny\ny\n");
    ASSERT_EQ(res.status, 0) << res.screen;
    const std::string& out = res.file("pm-t-o.txt");
    EXPECT_EQ(countof(res.screen, "same PT grid ? "), 5);
    EXPECT_NE(out.find("\nRT ln f(H2O)\n\n   kbar " + deg + "C     400     600\n     1.0     "), std::string::npos)
        << out;
    EXPECT_NE(out.find("\nRT ln f(CO2)\n\n   kbar " + deg + "C     400     600\n    1.0     "), std::string::npos);
    EXPECT_EQ(fugacities(out, "RT ln f(CO2)").size(), 3u);

    const std::map<std::string, std::pair<double, double>> gases = {
        {"CH4", {0.046, 190.6}}, {"H2", {0.0211, 41.2}}, {"H2S", {0.0893, 373.2}}, {"S2", {0.08, 259.6}}};
    for (const auto& [gas, crit] : gases) {
        const auto rows = fugacities(out, "RT ln f(" + gas + ")");
        ASSERT_EQ(rows.size(), 1u) << gas;
        ASSERT_EQ(rows[0].size(), 3u) << gas;
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(rows[0][static_cast<std::size_t>(k)],
                        rtlnfcs(2.0, 773.15 + 100.0 * k, crit.first, crit.second), 0.0006)
                << gas << " at " << 500 + 100 * k << " C";
    }

    // H2O goes to the drawing program too, value for value
    const auto h2o = fugacities(out, "RT ln f(H2O)");
    ASSERT_EQ(h2o.size(), 3u);
    std::ostringstream list;
    list << "\n\nflp = {   1.000,   3.000,   5.000};\n\nflt = {   673.2,   873.2};\n\nrtlnfh2o = {";
    for (std::size_t i = 0; i < 3; ++i) {
        list << "{";
        for (std::size_t k = 0; k < 2; ++k) {
            char field[16];
            std::snprintf(field, sizeof field, "%8.3f", h2o[i][k]);
            list << field << (k == 0 ? "," : (i < 2 ? "}," : "}};"));
        }
        list << "\n";
    }
    EXPECT_NE(res.file("pm-t-px.txt").find(list.str()), std::string::npos) << res.file("pm-t-px.txt");
}

}  // namespace
