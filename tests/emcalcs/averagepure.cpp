// Average P and average T of rocks of pure phases end to end, on the example
// dataset: the reaction listing, the drawing-program lists and the averages
// against the test's own generalised least squares (avptref.h), with the
// Gibbs energies of the dataset reader's rows and the default activity
// uncertainties worked out here; the independent set pasted back from the
// log; the faults of a script's set; an empty set of reactions.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "avptref.h"
#include "harness/dialog.h"
#include "harness/harness.h"

namespace {

using avptref::agrees;
using avptref::Matrix;
using avptref::Vector;
using pmtest::runpm;

const std::string deg = "\xA1";
constexpr double kelvin = 273.15;

// The rock: activities from the a-x file (1 when none is given); the
// dataset codes (sites the activity is spread over) are 4 for an, 1 else.
const std::vector<std::string> names = {"", "gr", "an", "py", "alm", "fa", "en", "di", "ky", "q"};
const std::vector<double> acts = {0, 0.9, 0.95, 0.92, 0.97, 0.93, 0.96, 0.99, 1.0, 1.0};
const std::string axfile = "gr 0.9\nan 0.95\npy 0.92\nalm 0.97\nfa 0.93\nen 0.96\ndi 0.99\nky\nq\n";
const std::string withline = "with gr an py alm fa en di ky q\ndiagramPT 4 12 500 800\n";

// sd(a) of a pure phase without its own: the site activity s = a^(1/n) has
// an uncertainty t = p1 s (1 - s)^2, at least 0.01 (0.01 alone when p1 is
// 0) and at least 0.05 s; sd(a) = n a t / s. p1 is 0.3, or 0 with "justrelu".
double defaultsd(double a, int n, double p1)
{
    if (a == 1.0) return 0.0;
    const double s = std::pow(a, 1.0 / n);
    double t = p1 == 0.0 || s < 0.01 / p1 ? 0.01 : p1 * s * (1.0 - s) * (1.0 - s);
    if (t < 0.05 * s) t = 0.05 * s;
    return n * a * t / s;
}

pmtest::RunResult modetwo(const std::string& script, const std::string& ax = axfile, const std::string& stdintext = "",
                          bool autoexit = true)
{
    return runpm({{"pm-prefs.txt", pmtest::prefsfile("6ex", "t", 2)},
                  {"pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt")},
                  {"pm-axr.txt", ax},
                  {"pm-t.txt", "axfile axr\n" + script + (autoexit ? "autoexit\n*\n" : "*\n")}},
                 stdintext);
}

// The "isr" block of the log: its lines and its reactions.
struct IsrBlock {
    std::string text;
    std::vector<std::vector<int>> rows;   // coefficients 1..nem of each reaction
};
IsrBlock isrblock(const std::string& log)
{
    IsrBlock b;
    std::istringstream in(log);
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (line.rfind("isr     ", 0) != 0) continue;
        b.text += line + "\n";
        if (first) {
            first = false;
            continue;
        }
        std::istringstream w(line.substr(3));
        std::vector<int> row(1);
        for (int c; w >> c;) row.push_back(c);
        b.rows.push_back(row);
    }
    return b;
}

// The numbers of the line that follows a label, up to its end.
std::vector<double> numbersafter(const std::string& text, const std::string& label)
{
    std::vector<double> v;
    const std::size_t at = text.find(label);
    if (at == std::string::npos) return v;
    const std::size_t from = at + label.size();
    std::istringstream in(text.substr(from, text.find('\n', from) - from));
    for (double x; in >> x;) v.push_back(x);
    return v;
}

// The example dataset's rows of the rock's end-members, read in this
// process: their Gibbs energies and enthalpy covariances.
struct Reference : ::testing::Test {
    pmtest::WorkDir dir;
    void SetUp() override
    {
        pmtest::startrun(2);
        pmtest::talk(
            [] {
                pmtest::readpass("axfile axex\n" + withline + "*\n", axfile);
                pmtest::buildphases();
            },
            "");
        ASSERT_EQ(thermodata::ems.nem, 9);
    }
    Matrix cov() const
    {
        Matrix c(9, 9);
        for (int i = 1; i <= 9; ++i)
            for (int j = 1; j <= 9; ++j) c(i - 1, j - 1) = thermodata::ems.covat(i, j);
        return c;
    }
    static Vector varlna(double p1)
    {
        Vector v(9);
        for (int k = 1; k <= 9; ++k) {
            const double rel = defaultsd(acts[k], names[k] == "an" ? 4 : 1, p1) / acts[k];
            v(k - 1) = rel * rel;
        }
        return v;
    }
};

TEST_F(Reference, AveragePressureOfPurePhases)
{
    const auto r = modetwo(withline + "calctype 1\ndataok\nmaxsdp 5\ncalcT 650\noisr\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& out = r.file("pm-t-o.txt");
    const IsrBlock isr = isrblock(r.file("pm-log.txt"));
    ASSERT_EQ(isr.text.substr(0, 54), "isr        gr   an   py  alm   fa   en   di   ky    q\n");
    const int n = static_cast<int>(isr.rows.size());
    ASSERT_EQ(n, 4);

    // The reference: each line at 923.15 K inside the P window 4-12 kbar.
    const double t = 650.0 + kelvin;
    Matrix rr(n, 9);
    Vector x(n), e(n), f(n), lnk(n), b(n);
    for (int i = 0; i < n; ++i) {
        const auto& nu = isr.rows[static_cast<std::size_t>(i)];
        for (int k = 1; k <= 9; ++k) rr(i, k - 1) = nu[static_cast<std::size_t>(k)];
        const avptref::Line l = avptref::line(nu, acts, true, t, 4.0, 12.0);
        x(i) = l.x;
        e(i) = -1.0 / l.g;
        f(i) = avptref::r * t * e(i);
        lnk(i) = 0.0;
        for (int k = 1; k <= 9; ++k) lnk(i) += nu[static_cast<std::size_t>(k)] * std::log(acts[k]);
        b(i) = (avptref::dg(nu, acts, l.x, t + 0.01) - avptref::dg(nu, acts, l.x, t - 0.01)) / 0.02;
    }
    const Vector vl = varlna(0.3);
    const Matrix v = avptref::estimatecov(rr, cov(), vl, e, f);
    const Matrix covh = rr * cov() * rr.transpose();
    const Matrix covlnk = rr * vl.asDiagonal() * rr.transpose();
    const avptref::Result ref = avptref::gls(x, v);

    EXPECT_NE(out.find("\nIndependent set of reactions\n1)  "), std::string::npos) << out;
    EXPECT_NE(out.find("\n            P    sd(P)          a    sd(a)          b         c      ln_K  sd(ln_K)\n"),
              std::string::npos);
    for (int i = 0; i < n; ++i) {
        const std::vector<double> row = numbersafter(out, "\n" + std::to_string(i + 1) + "   ");
        ASSERT_EQ(row.size(), 8u) << i;
        EXPECT_TRUE(agrees(row[0], x(i), 2)) << i << " P " << row[0] << " " << x(i);
        EXPECT_TRUE(agrees(row[1], std::sqrt(v(i, i)), 2)) << i << " sd(P)";
        EXPECT_TRUE(agrees(row[2], -t * b(i) - x(i) / -e(i), 3)) << i << " a " << row[2];
        EXPECT_TRUE(agrees(row[3], std::sqrt(covh(i, i)), 3)) << i << " sd(a)";
        EXPECT_TRUE(agrees(row[4], b(i) - avptref::r * lnk(i), 6)) << i << " b";
        EXPECT_TRUE(agrees(row[5], -1.0 / e(i), 4)) << i << " c";
        EXPECT_TRUE(agrees(row[6], lnk(i), 4)) << i << " ln K";
        EXPECT_TRUE(agrees(row[7], std::sqrt(covlnk(i, i)), 4)) << i << " sd(ln K)";
    }
    const std::vector<double> sum = numbersafter(out, "For T = 650 " + deg + "C, av P = ");
    ASSERT_EQ(sum.size(), 1u) << out;
    EXPECT_TRUE(agrees(sum[0], ref.avx, 3)) << sum[0] << " " << ref.avx;
    const std::size_t at = out.find("kbar, sd = ");
    ASSERT_NE(at, std::string::npos);
    const double sd = std::stod(out.substr(at + 11)), sf = std::stod(out.substr(out.find("sigfit = ", at) + 9));
    EXPECT_TRUE(agrees(sd, ref.sdx, 2)) << sd << " " << ref.sdx;
    EXPECT_TRUE(agrees(sf, ref.sigfit, 1)) << sf << " " << ref.sigfit;
    // no solution phase: neither iterations nor diagnostics
    EXPECT_EQ(out.find("avP iteration"), std::string::npos);
    EXPECT_EQ(out.find("average P at T"), std::string::npos);

    // The drawing program's lists.
    const std::string& px = r.file("pm-t-px.txt");
    const std::size_t lists = px.find("{name, lna, sdlna} = Transpose[{\n");
    ASSERT_NE(lists, std::string::npos) << px;
    for (int k = 1; k <= 9; ++k) {
        const std::vector<double> row = numbersafter(px.substr(lists), "  {" + std::string(6 - names[k].size(), ' ') +
                                                                           names[k] + ", ");
        ASSERT_FALSE(row.empty()) << names[k];
        EXPECT_TRUE(agrees(row[0], std::log(acts[k]), 6)) << names[k];
    }
    EXPECT_NE(px.find("  {     q,          0,          0}}];\n\nr = {\n  { "), std::string::npos);
    EXPECT_NE(px.find("\n{a, b, c, lnK, sdlnK} = Transpose[{\n"), std::string::npos);
    const std::size_t covat = px.find("covh = {\n");
    ASSERT_NE(covat, std::string::npos);
    std::istringstream cv(std::regex_replace(px.substr(covat + 9), std::regex("[{},;]"), " "));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            double c;
            cv >> c;
            EXPECT_TRUE(agrees(c, covh(i, j), 4)) << i << j;
        }

    // The block pasted back into the script gives the same set and numbers.
    const auto again = modetwo(withline + "calctype 1\ndataok\ncalcT 650\n" + isr.text);
    const std::string& out2 = again.file("pm-t-o.txt");
    EXPECT_NE(again.file("pm-log.txt").find("\nusing independent set of reactions (from script)\n"), std::string::npos);
    const std::size_t from = out.find("Independent set"), from2 = out2.find("Independent set");
    ASSERT_NE(from2, std::string::npos) << again.screen;
    EXPECT_EQ(out2.substr(from2, out2.find("=====") - from2), out.substr(from, out.find("=====") - from));

    // A script's set that is not a set of this rock's reactions.
    auto fails = [&](const std::string& block, const std::string& message) {
        const auto bad = modetwo(withline + "calctype 1\ndataok\ncalcT 650\n" + block);
        EXPECT_EQ(bad.status, 1);
        EXPECT_NE(bad.screen.find("-- run bombed in rockcalcs : " + message), std::string::npos) << bad.screen;
    };
    fails(std::regex_replace(isr.text, std::regex(" +(q|-?\\d+)\n"), "\n"), "isr matrix has wrong shape");
    fails(std::regex_replace(isr.text, std::regex("gr   an"), "an   gr"), "setisr phases do not match");
    std::string unbalanced = isr.text;
    unbalanced[unbalanced.rfind('\n', unbalanced.size() - 2) + 12] = '7';
    fails(unbalanced, "setisr reaction doesn't balance");
}

TEST_F(Reference, AverageTemperatureOverSeveralPressures)
{
    // ky = sill and gr + 2ky + q = 3an from the script, every covh 0.001 by
    // "justrelu": at 6 kbar GASP and at 12 kbar ky = sill leave the T window.
    const std::string ax = "gr 0.3\nan 0.9\nky\nsill\nq\n";
    const auto r = modetwo("with gr an ky sill q\ndiagramPT 4 12 500 800\ncalctype 2\ndataok\njustrelu\n"
                           "calcP 6 12 3\nisr gr an ky sill q\nisr 0 0 -1 1 0\nisr -1 3 -2 0 -1\n",
                           ax);
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& out = r.file("pm-t-o.txt");
    EXPECT_NE(out.find("\nAverage temperatures \n\nP            6.00     9.00    12.00\nav T            ?    "),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\nsd                    "), std::string::npos);
    EXPECT_EQ(pmtest::countof(r.file("pm-t-px.txt"), "0.0010"), 4);

    // The reference at 9 kbar: the activity term at the last reaction's T.
    const std::vector<std::vector<int>> rows = {{0, 0, 0, -1, 1, 0}, {0, -1, 3, -2, 0, -1}};
    const std::vector<double> a = {0, 0.3, 0.9, 1, 1, 1};
    const std::vector<int> code = {0, 1, 4, 1, 1, 1};
    pmtest::talk(
        [&] {
            pmtest::readpass("axfile axex\nwith gr an ky sill q\ndiagramPT 4 12 500 800\n*\n", ax);
            pmtest::buildphases();
        },
        "");
    Matrix rr(2, 5), cov = Matrix::Zero(5, 5);
    Vector x(2), e(2), f(2), vl(5);
    for (int k = 1; k <= 5; ++k) vl(k - 1) = std::pow(defaultsd(a[static_cast<std::size_t>(k)], code[static_cast<std::size_t>(k)], 0.0) / a[static_cast<std::size_t>(k)], 2);
    for (int i = 0; i < 2; ++i) {
        for (int k = 1; k <= 5; ++k) rr(i, k - 1) = rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)];
        const avptref::Line l = avptref::line(rows[static_cast<std::size_t>(i)], a, false, 9.0, 500 + kelvin, 800 + kelvin);
        x(i) = l.x;
        e(i) = -1.0 / l.g;
    }
    f = avptref::r * x(1) * e;
    const avptref::Result ref = avptref::gls(x, avptref::estimatecov(rr, cov, vl, e, f, 0.001));
    const std::vector<double> avt = numbersafter(out, "\nav T            ?");
    ASSERT_EQ(avt.size(), 1u) << out;
    EXPECT_TRUE(agrees(avt[0], ref.avx - kelvin, 1)) << avt[0] << " " << ref.avx - kelvin;
    const std::vector<double> sd = numbersafter(out, "\nsd   "), sf = numbersafter(out, "\nsigfit ");
    ASSERT_EQ(sd.size(), 1u);
    ASSERT_EQ(sf.size(), 1u);
    EXPECT_TRUE(agrees(sd[0], ref.sdx, 1)) << sd[0] << " " << ref.sdx;
    EXPECT_TRUE(agrees(sf[0], ref.sigfit, 3)) << sf[0] << " " << ref.sigfit;
}

TEST(AveragePTRock, NoReactionsGoesStraightToTheNextQuestion)
{
    // Neither line crosses the T window at both 6 and 12 kbar.
    const auto r = modetwo("with gr an ky sill q\ndiagramPT 4 12 500 800\ncalctype 2\ndataok\nmaxsdt 100\n"
                           "calcP 6 12 3\n",
                           "gr 0.3\nan 0.9\nky\nsill\nq\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.file("pm-t-o.txt").find("\nno reactions\n\n** no reactions\n===="), std::string::npos)
        << r.file("pm-t-o.txt");
    EXPECT_EQ(r.screen.find("Average temperatures"), std::string::npos);
    EXPECT_EQ(r.screen.find("nan"), std::string::npos);
}

TEST(AveragePTRock, DialogueOfTheDataAndTheSettings)
{
    // Fifteen pure phases: two blocks of the activity table. The user
    // leaves out alm (and a bad name), which leaves fa the only holder of
    // FeO, so it goes too; gr gets a new activity; the max sd asked is held
    // within 0.05-20 kbar. The second calculation drops the changes.
    const std::string ax = axfile + "sill\nfo 0.9\ncor\nsp 0.95\nper\nand\n";
    const std::string replies = "3\nn\nxx alm *\nyy\nn\ngr\n1.5\n0.8\n0.04\n\n30\n"   // first calculation
                                "y\n1\nn\ny\ny\n0.01\nn\nn\n"                         // second
                                "n\n\n";
    const auto r = modetwo("with gr an py alm fa en di ky q sill fo cor sp per and\ndiagramPT 4 12 500 800\n"
                           "calcT 650\n",
                           ax, replies, false);
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& log = r.file("pm-log.txt");
    const std::string& out = r.file("pm-t-o.txt");
    EXPECT_NE(r.screen.find("\ntype of rock calculation: \n       1 : average P\n       2 : average T\ncode : "),
              std::string::npos);
    EXPECT_NE(out.find("\nAverage pressures  at T = 650" + deg + "C \n"), std::string::npos) << out;
    EXPECT_EQ(pmtest::countof(log, "\n            and\n     a     1.00\n sd(a)        0\n\n"), 2) << log;
    EXPECT_NE(log.find("\n     a    0.900    0.950    0.920    0.970    0.930    0.960    0.990     1.00     1.00"
                       "     1.00    0.900     1.00    0.950     1.00\n"),
              std::string::npos);
    EXPECT_NE(r.screen.find("these data ok ? names of end-members to be excluded : bad name : replace xx with  : "
                            "forget it!  (check the name\xC9)\nthese are the only changes you want to make ? "
                            "name of end-member :      activity(gr) : should be 0 < activity <= 1 : try again :      "
                            "sd activity(gr) : name of end-member : \n"),
              std::string::npos)
        << r.screen;
    const std::size_t table = out.find("Activities and uncertainties at 8.00 kbar");
    const std::string first = out.substr(table, out.find("Independent set", table) - table);
    EXPECT_EQ(first.find(" alm"), std::string::npos);
    EXPECT_EQ(first.find(" fa"), std::string::npos);
    EXPECT_NE(first.find("\na             0.8000    0.9500"), std::string::npos) << first;
    EXPECT_NE(out.find("\nmax sd(P) reset to 20 kbar\n"), std::string::npos);
    EXPECT_NE(out.find("\nmax sd(P) reset to 0.05 kbar\n"), std::string::npos);
    EXPECT_NE(log.find("\n**************************************\n\n\ntype of rock calculation: "), std::string::npos);
    EXPECT_NE(log.find("continue with/add to data changes in last calculation ? no\n"), std::string::npos);
    EXPECT_NE(log.find("these data ok ? yes\nsame PT window ? yes\n"), std::string::npos) << log;
    EXPECT_NE(out.find("\nno reactions\n\n** no reactions\n"), std::string::npos);
}

}  // namespace
