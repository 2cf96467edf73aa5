// The all-reactions mode end to end on the linear test dataset: the
// reactions of a diagram window, their thermodynamics against the sums of the
// data (a = dH - dV x 1 bar, b = -dS, c = dV, sd(a) from the enthalpy
// covariances), and the lines across the window against their closed forms,
// P = 1 bar + (T dS - dH - RT ln K)/dV or T = (dH + dV (P - 1 bar) + RT ln K)/dS,
// with the uncertainties of the lines; lines with a fluid against the
// test's own root of dG.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "lineardata.h"

namespace {

using namespace lineards;
using pmtest::runpm;

const std::string deg = "\xA1";
constexpr double r = 0.0083144;   // kJ/(K mol)

// Enthalpy covariances (kJ^2) with terms between neighbours in the dataset,
// values a float holds exactly.
double covariance(int i, int j) { return i == j ? 0.25 : (std::abs(i - j) == 1 ? 0.125 : 0.0); }

using Nu = std::map<std::string, int>;

// The a-x file: every end-member of the dataset as a pure phase, with the
// activity and its sd where given.
std::string axfile(const std::map<std::string, std::string>& activities = {})
{
    std::string ax = "% the pure phases of the test dataset\n";
    for (const Em& e : dataset) {
        const auto a = activities.find(e.name);
        ax += e.name + (a == activities.end() ? "" : "  " + a->second) + "\n";
    }
    return ax;
}

pmtest::RunResult run3(const std::string& script, const std::string& replies, const std::string& ax = axfile())
{
    return runpm({{"pm-prefs.txt", pmtest::prefsfile("6rx", "t", 3)},
                  {"pm-ds6rx.txt", datasetfile(covariance)},
                  {"pm-axrx.txt", ax},
                  {"pm-t.txt", "axfile axrx\n" + script + "autoexit\n*\n"}},
                 replies);
}

// The reactions as the output gives them ("3)  q + cor = ky"), by number.
std::map<int, Nu> reactions(const std::string& out)
{
    std::map<int, Nu> rx;
    const std::regex line(R"(\n(\d+)\)  ([^\n=]+) = ([^\n]+))");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it) {
        Nu nu;
        for (int side = 2; side <= 3; ++side) {
            std::istringstream terms((*it)[side].str());
            std::string term;
            while (terms >> term) {
                if (term == "+") continue;
                std::size_t k = 0;
                while (std::isdigit(static_cast<unsigned char>(term[k])) != 0) ++k;
                const int n = k == 0 ? 1 : std::stoi(term.substr(0, k));
                nu[term.substr(k)] = side == 2 ? -n : n;
            }
        }
        rx[std::stoi((*it)[1].str())] = nu;
    }
    return rx;
}

struct Sums {
    double dh = 0.0, ds = 0.0, dv = 0.0, var = 0.0;   // kJ, kJ/K, kJ/kbar, kJ^2
};

Sums sums(const Nu& nu)
{
    Sums s;
    for (const auto& [a, na] : nu) {
        const Em& e = em(a);
        s.dh += na * e.h;
        s.ds += na * e.s;
        s.dv += na * e.v;
        for (const auto& [b, nb] : nu) s.var += na * nb * covariance(index(a), index(b));
    }
    return s;
}

std::vector<std::string> words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> w;
    std::string x;
    while (in >> x) w.push_back(x);
    return w;
}

// The line table under the header that begins with label: per reaction
// the words of its first and of its second row; the header's words first.
struct LineTable {
    std::vector<std::string> header;
    std::map<int, std::pair<std::vector<std::string>, std::vector<std::string>>> rows;
};

LineTable linetable(const std::string& out, const std::string& label)
{
    LineTable t;
    std::size_t at = out.find("\n\n" + label);
    if (at == std::string::npos) return t;
    std::istringstream in(out.substr(at + 2));
    std::string line, second;
    std::getline(in, line);
    t.header = words(line);
    std::getline(in, line);
    while (std::getline(in, line) && !line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) != 0) {
        std::getline(in, second);
        const std::vector<std::string> w = words(line);
        t.rows[std::stoi(w[0])] = {std::vector<std::string>(w.begin() + 1, w.end()), words(second)};
    }
    return t;
}

// A cell of the solved variable: "-" or "+" outside the window lo..hi,
// else the value within tol.
void expectcell(const std::string& cell, double value, double lo, double hi, double tol)
{
    if (value < lo)
        EXPECT_EQ(cell, "-") << value;
    else if (value > hi)
        EXPECT_EQ(cell, "+") << value;
    else
        EXPECT_NEAR(std::stod(cell), value, tol);
}

// The thermodynamics block: per reaction a, sd(a), b, c, ln K, sd(ln K).
std::map<int, std::vector<double>> thermoblock(const std::string& out)
{
    std::map<int, std::vector<double>> rows;
    const std::string head = "             a   sd(a)          b          c     ln_K sd(ln_K)\n";
    std::size_t at = out.find(head);
    if (at == std::string::npos) return rows;
    std::istringstream in(out.substr(at + head.size()));
    std::string line;
    while (std::getline(in, line) && !line.empty()) {
        std::vector<double> v;
        for (const std::string& w : words(line)) v.push_back(std::stod(w));
        rows[static_cast<int>(v[0])] = std::vector<double>(v.begin() + 1, v.end());
    }
    return rows;
}

// The column of the uncertainties: m0 when its cell is a value, else the
// nearest column that is (the higher on a tie); all n columns shown.
int sdcolumn(const std::vector<std::string>& cells, int m0, int n)
{
    auto value = [&](int j) {
        const std::string& c = cells[static_cast<std::size_t>(j - 1)];
        return c != "-" && c != "+";
    };
    for (int d = 0; d < n; ++d) {
        if (m0 + d <= n && value(m0 + d)) return m0 + d;
        if (d > 0 && m0 - d >= 1 && value(m0 - d)) return m0 - d;
    }
    return 0;
}

const std::string ptscript = "diagramPT 1 20 400 1000\ncalctype 1\ninexcess none\n";

TEST(AllReactions, PressuresOfTheLinesAtTwoHundredAndOneTemperatures)
{
    const auto res = run3("with ky sill and q cor\n" + ptscript + "doallr\ncalcT 400 1000 3\ncalcTatP no\n", "");
    ASSERT_EQ(res.status, 0) << res.screen;
    const std::string& out = res.file("pm-t-o.txt");
    // no fluid end-member: nothing is asked about a fluid
    EXPECT_EQ(res.screen.find("fluid may be present"), std::string::npos);
    EXPECT_EQ(res.screen.find("fluid in excess"), std::string::npos);
    EXPECT_NE(out.find("\n\npressure-temperature calculations (from script)\n\nUnit activities\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("\nThermodynamics of reactions (0 = a + bT + cP + RT ln K)\nlinearised at T = 700, P = 10.5\n"
                       "(a, b and c includes fluid fugacities; ln K includes x(CO2), x(H2O))\n\n"),
              std::string::npos);
    EXPECT_NE(out.find("\n\nPrsessures in the range 1.0 <-> 20.0kbar;  \nuncertainties at 700" + deg + "C \n\n"),
              std::string::npos);

    // the three polymorph pairs and each polymorph = cor + q, but q + cor =
    // sill, whose line lies above 20 kbar throughout
    const std::map<int, Nu> rx = reactions(out);
    ASSERT_EQ(rx.size(), 5u) << out;
    const auto thermo = thermoblock(out);
    const LineTable table = linetable(out, "P(kbar)");
    // the columns of 201 temperatures: every 11th from the first, and the last
    std::vector<int> columns;
    for (int j = 1; j <= 199; j += 11) columns.push_back(j);
    columns.push_back(201);
    ASSERT_EQ(table.header.size(), columns.size() + 3);
    for (std::size_t c = 0; c < columns.size(); ++c)
        EXPECT_EQ(table.header[c + 1], runio::realstr(400.0 + 3.0 * (columns[c] - 1), 2, true));
    EXPECT_EQ(table.header.back(), "sdP");

    for (const auto& [i, nu] : rx) {
        SCOPED_TRACE("reaction " + std::to_string(i));
        const Sums s = sums(nu);
        ASSERT_EQ(thermo.count(i), 1u);
        const std::vector<double>& th = thermo.at(i);
        EXPECT_NEAR(th[0], s.dh - pref * s.dv, 0.0005);
        EXPECT_NEAR(th[1], std::sqrt(s.var), 0.005);
        EXPECT_NEAR(th[2], -s.ds, 5e-7);
        EXPECT_NEAR(th[3], s.dv, 5e-6);
        EXPECT_EQ(th[4], 0.0);

        const auto& [first, second] = table.rows.at(i);
        ASSERT_EQ(first.size(), columns.size() + 2);
        auto pat = [&](double t) { return pref + (t * s.ds - s.dh) / s.dv; };
        for (std::size_t c = 0; c < columns.size(); ++c)
            expectcell(first[c], pat(673.15 + 3.0 * (columns[c] - 1)), 1.0, 20.0, 6e-5);
        EXPECT_TRUE(second.empty());   // one solution only
        // sd(P) = sd(dG)/dV where the line is nearest 700 C, sd(T) = sd(dG)/dS
        const double sd = std::sqrt(s.var);
        EXPECT_NEAR(std::stod(first.back()), sd / std::fabs(s.dv), 0.0051);
        const std::string& sdt = first[columns.size()];
        if (1000.0 * std::fabs(s.ds) < sd)
            EXPECT_EQ(sdt, "+");
        else
            EXPECT_NEAR(std::stod(sdt), sd / std::fabs(s.ds), 0.51);
    }
}

TEST(AllReactions, TemperaturesOfTheLinesAtTwentyOnePressuresWithTheActionAsked)
{
    const auto res = run3("with ky sill and q cor\ndiagramPT 1 21 400 1000\ncalctype 1\ninexcess none\n"
                          "calcP 1 21 1\ncalcTatP\n",
                          "1\n");
    ASSERT_EQ(res.status, 0) << res.screen;
    EXPECT_NE(res.screen.find("\n\nrequired action:\n 0: do Schreinemakers (reactions which cannot be stable in the\n"
                              "     window not calculated)\n"
                              " 1: calculate all reactions within the window regardless of stability\ncode : "),
              std::string::npos)
        << res.screen;
    const std::string& out = res.file("pm-t-o.txt");
    EXPECT_NE(out.find("\n\nTemperatures in the range 400 <-> 1000" + deg + "C;  \nuncertainties at 11.0 kbars \n"),
              std::string::npos)
        << out;
    // 21 pressures: every second column
    const LineTable table = linetable(out, "T" + deg + "C");
    ASSERT_EQ(table.header.size(), 14u);
    for (int c = 0; c < 11; ++c) EXPECT_EQ(table.header[c + 1], runio::realstr(1.0 + 2 * c, 3, true));
    EXPECT_EQ(table.header[12], "sdT");

    const std::map<int, Nu> rx = reactions(out);
    ASSERT_EQ(rx.size(), 6u);
    for (const auto& [i, nu] : rx) {
        SCOPED_TRACE("reaction " + std::to_string(i));
        const Sums s = sums(nu);
        const auto& first = table.rows.at(i).first;
        ASSERT_EQ(first.size(), 13u);
        for (int c = 0; c < 11; ++c) {
            const double p = 1.0 + 2 * c;
            expectcell(first[c], (s.dh + s.dv * (p - pref)) / s.ds - 273.15, 400.0, 1000.0, 6e-3);
        }
        // sd(T) = sd(dG)/dS to 1 decimal, sd(P) = sd(dG)/dV to 2 decimals
        const double sd = std::sqrt(s.var);
        if (sd / std::fabs(s.ds) >= 32767.0)
            EXPECT_EQ(first[11], "+");
        else
            EXPECT_NEAR(std::stod(first[11]), sd / std::fabs(s.ds), 0.051);
        if (100.0 * std::fabs(s.dv) < sd)
            EXPECT_EQ(first[12], "+");
        else
            EXPECT_NEAR(std::stod(first[12]), sd / std::fabs(s.dv), 0.0051);
    }
}

TEST(AllReactions, ActivitiesBelowOneShiftTheLines)
{
    // ky, sill and and below 0.999, q at 0.9995 counts as 1
    const std::map<std::string, std::string> a3 = {
        {"ky", "0.8 0.08"}, {"sill", "0.9 0.09"}, {"and", "0.7 0.07"}, {"q", "0.9995 0.01"}};
    const std::string script = "with ky sill and q cor\n" + ptscript + "doallr\ncalcT 400 1000 100\ncalcTatP no\n";
    auto res = run3(script, "", axfile(a3));
    ASSERT_EQ(res.status, 0) << res.screen;
    std::string out = res.file("pm-t-o.txt");
    EXPECT_NE(out.find("\n\nUnit activities except :\n     name        a sd(ln a)\n"
                       "       ky    0.800  0.10000\n     sill    0.900  0.10000\n      and    0.700  0.10000\n\n"),
              std::string::npos)
        << out;

    // ln K = sum nu ln a moves each line by RT ln K and leaves b = -dS;
    // sd(ln K)^2 = sum nu^2 (sd(a)/a)^2
    const std::map<std::string, double> act = {{"ky", 0.8}, {"sill", 0.9}, {"and", 0.7}, {"q", 0.9995}};
    const auto thermo = thermoblock(out);
    const LineTable table = linetable(out, "P(kbar)");
    for (const auto& [i, nu] : reactions(out)) {
        SCOPED_TRACE("reaction " + std::to_string(i));
        const Sums s = sums(nu);
        double lnk = 0.0, varlnk = 0.0;
        for (const auto& [name, n] : nu) {
            const auto a = act.find(name);
            if (a == act.end()) continue;
            lnk += n * std::log(a->second);
            if (a->second < 0.999) varlnk += n * n * 0.01;
        }
        // the default sd of a = 0.9995 (about 0.05) is the larger of the two
        if (nu.count("q") != 0) varlnk += std::pow(0.05, 2);
        EXPECT_NEAR(thermo.at(i)[4], lnk, 0.0005);
        EXPECT_NEAR(thermo.at(i)[5], std::sqrt(varlnk), 0.0006);
        EXPECT_NEAR(thermo.at(i)[2], -s.ds, 5e-7);
        const auto& first = table.rows.at(i).first;
        for (int c = 0; c < 7; ++c) {
            const double t = 673.15 + 100.0 * c;
            expectcell(first[c], pref + (t * s.ds - s.dh - r * t * lnk) / s.dv, 1.0, 20.0, 6e-5);
        }
        // nearest 700 C: sd(dG)^2 = var(a) + (RT)^2 var(ln K)
        const int m = sdcolumn(first, 4, 7);
        const double t = 673.15 + 100.0 * (m - 1);
        const double sd = std::sqrt(s.var + std::pow(r * t, 2) * varlnk) / std::fabs(s.dv);
        EXPECT_NEAR(std::stod(first.back()), sd, 0.0051);
    }

    // four below 0.999: a block of every end-member's activity
    auto a4 = a3;
    a4["cor"] = "0.6 0.06";
    res = run3(script, "", axfile(a4));
    out = res.file("pm-t-o.txt");
    EXPECT_NE(out.find("\n\n                 ky     sill      and        q      cor\n"
                       "a             0.800    0.900    0.700     1.00    0.600\n"
                       "sd(ln a)    0.10000  0.10000  0.10000  0.05000  0.10000\n"),
              std::string::npos)
        << out;
}

TEST(AllReactions, SolutionPhasesTakenApartAtTheScriptsPT)
{
    // opx has an order variable: its end-members' activities need its state
    // of order at 8 kbar and 650 C
    const auto res = runpm({{"pm-prefs.txt", pmtest::prefsfile("6ex", "t", 3)},
                            {"pm-t.txt", "axfile axex\nwith opx q\nptforaxe 8 650\ndiagramPT 4 12 500 800\n" +
                                             std::string("calctype 1\ninexcess none\ndoallr\ncalcT 500 800 50\n"
                                                         "calcTatP no\nautoexit\n*\n")},
                            {"pm-axex.txt", pmtest::examplefile("pm-axex.txt")},
                            {"pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt")}},
                           "");
    ASSERT_EQ(res.status, 0) << res.screen;
    EXPECT_NE(res.screen.find("at PT: 8.0 kbar, 650" + deg + "C (from script)\n\nopx         Q(opx) = 0.1732\n"),
              std::string::npos)
        << res.screen;
    const std::string& out = res.file("pm-t-o.txt");
    ASSERT_NE(out.find("\n\nUnit activities except :\n     name        a sd(ln a)\n       en "), std::string::npos) << out;
    // each line against the activity and sd(a) that the set-up printed
    for (const std::string name : {"en", "fs", "fm"}) {
        std::smatch set, listed;
        ASSERT_TRUE(std::regex_search(res.screen, set, std::regex(name + ": a = +(\\S+), sd\\(a\\) = +(\\S+)")));
        ASSERT_TRUE(std::regex_search(out, listed, std::regex("\n +" + name + " +(\\S+) +(\\S+)\n")));
        const double a = std::stod(set[1]), sda = std::stod(set[2]);
        EXPECT_NEAR(std::stod(listed[1]), a, a * 5e-3);
        EXPECT_NEAR(std::stod(listed[2]), sda / a, 6e-5 / a + 5e-6);
    }
}

TEST(AllReactions, HydrateCarbonateLineAcrossXCO2)
{
    // P-x(CO2) at 600 C: window typed, the offered x(CO2) values taken
    const auto res = run3("with port cc H2O CO2\ndiagramPT 1 20 400 1000\ncalctype 3\ninexcess none\ndoallr\n",
                          "1 20 0.1 0.9\nyes\n600\n");
    ASSERT_EQ(res.status, 0) << res.screen;
    EXPECT_NE(res.screen.find("\nfluid in excess\nadditionally no phases in excess (from script)\n"),
              std::string::npos)
        << res.screen;
    const std::string& out = res.file("pm-t-o.txt");
    EXPECT_NE(out.find("\n1)  port + CO2 = cc + H2O\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nPrsessures in the range 1.0 <-> 20.0kbar;  for T = 600" + deg +
                       "C\nuncertainties at or near x(CO2) = 0.5\n"),
              std::string::npos);
    const LineTable table = linetable(out, "x(CO2)");
    const std::vector<double> xs = {0.1, 0.2, 0.4, 0.6, 0.8, 0.9};
    ASSERT_EQ(table.header.size(), xs.size() + 2);
    const auto& first = table.rows.at(1).first;
    ASSERT_EQ(first.size(), xs.size() + 1);
    const double t = 873.15;
    for (std::size_t c = 0; c < xs.size(); ++c) {
        SCOPED_TRACE("x(CO2) = " + table.header[c + 1]);
        EXPECT_EQ(std::stod(table.header[c + 1]), xs[c]);
        auto dg = [&](double p) {
            return gem(em("cc"), p, t) - gem(em("port"), p, t) + fluidg("H2O", p, t, xs[c]) -
                   fluidg("CO2", p, t, xs[c]);
        };
        expectcell(first[c], bisect(dg, 0.0009, 25.0), 1.0, 20.0, 6e-4);
    }
}

TEST(AllReactions, DehydrationAgainstTheLogActivityOfWater)
{
    // T-log a at 5 kbar with H2O on the axis, named first among the phases in
    // excess: the axis activity is H2O's own, and q, the last end-member,
    // keeps its entropy
    const auto res = run3("with ky sill and q cor dsp H2O\ndiagramPT 1 20 400 1000\ncalctype 4\n"
                          "inexcess H2O q\ndoallr\n",
                          "yes\nH2O\nyes\n400 1000 -2 0\n0.2\n5\n");
    ASSERT_EQ(res.status, 0) << res.screen;
    const std::string& out = res.file("pm-t-o.txt");
    EXPECT_NE(out.find("\nphases in excess: H2O q  (from script)\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Thermodynamics of reactions"), std::string::npos);
    EXPECT_NE(out.find("\nTemperatures in the range 400 <-> 1000" + deg +
                       "C;  for P = 5.0 kbar\nuncertainties at or near log a(H2O) -1.0\n"),
              std::string::npos);
    const LineTable table = linetable(out, "log a");
    ASSERT_EQ(table.header.size(), 14u);   // "log", "a", 11 values and "sdT"
    const double p = 5.0;
    const std::map<int, Nu> rx = reactions(out);
    EXPECT_EQ(rx.size(), 7u);
    int withwater = 0;
    for (const auto& [i, nu] : rx) {
        SCOPED_TRACE("reaction " + std::to_string(i));
        const auto& first = table.rows.at(i).first;
        ASSERT_EQ(first.size(), 12u);
        const int nw = nu.count("H2O") != 0 ? nu.at("H2O") : 0;
        withwater += nw != 0;
        for (int c = 0; c < 11; ++c) {
            const double loga = -2.0 + 0.2 * c;
            EXPECT_EQ(std::stod(table.header[c + 2]), std::round(loga * 10) / 10);
            auto dg = [&](double t) {
                double g = nw * std::log(10.0) * r * t * loga;
                for (const auto& [name, n] : nu) g += n * gem(em(name), p, t);
                return g;
            };
            const double low = 400.0, high = 1000.0;
            if (dg(low + 273.15) * dg(high + 273.15) > 0.0) {
                EXPECT_TRUE(first[c] == "-" || first[c] == "+") << first[c];
                continue;
            }
            expectcell(first[c], bisect(dg, 673.15, 1273.15) - 273.15, low, high, 6e-3);
        }
    }
    EXPECT_EQ(withwater, 3);
}

TEST(AllReactions, DiagramsThatCannotBeSetUp)
{
    // an x(CO2) diagram without H2O or CO2
    auto res = run3("with ky sill\ndiagramPT 1 20 400 1000\ncalctype 2\n", "");
    EXPECT_NE(res.screen.find("-- run bombed in inexcess : no H2O or CO2 in P-x/T-x?"), std::string::npos)
        << res.screen;
    // a log a end-member unknown, and unknown again after its replacement
    res = run3("with ky sill\ndiagramPT 1 20 400 1000\ncalctype 5\n", "zz\nyy\n");
    EXPECT_NE(res.screen.find("name of end-member to be used in log a : bad name : replace zz with : \n"
                              "-- run bombed in inexcess : log a setup"),
              std::string::npos)
        << res.screen;
    // H2O on the axis while both fluid end-members are present, twice
    res = run3("with q cc wo dsp cor H2O CO2\ndiagramPT 1 20 400 1000\ncalctype 5\nfluidpresent\n", "H2O\nCO2\n");
    EXPECT_NE(res.screen.find("Cannot handle H2O or CO2 in lna in system with H2O and CO2\nreplace H2O with : \n"
                              "-- run bombed in inexcess : log a setup"),
              std::string::npos)
        << res.screen;
}

}  // namespace
