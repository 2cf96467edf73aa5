// Average P and T of a rock with solution phases (garnet and feldspar of the
// example a-x file, with ky, sill and q), run in this process so that the
// activities the iterations leave can be read: the single end-member
// diagnostics against the test's own least squares (avptref.h), the
// doubling rows against fresh averages with that end-member's var(ln a)
// times 4; the average-T bracket search; activities restored on a second
// calculation; the linear algebra and the guards of the core; the fatal
// errors of the iterations.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "avptref.h"
#include "calcwindows/reactions.h"
#include "emcalcs/emcalcs.h"
#include "harness/bombcheck.h"
#include "harness/dialog.h"

namespace {

using avptref::agrees;
using avptref::Matrix;
using avptref::Vector;
using thermodata::ems;

const std::string deg = "\xA1";
constexpr double kelvin = 273.15;

const std::string rock = "axfile axex\nwith g pl ky q sillim\ndiagramPT 4 12 500 800\nptforaxe 8 650\ndataok\n";

pmtest::Dialog rockrun(const std::string& script, const std::string& replies)
{
    pmtest::startrun(2);
    pmtest::writefile("pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt"));
    pmtest::writefile("pm-axex.txt", pmtest::examplefile("pm-axex.txt"));
    pmtest::writefile("pm-t.txt", rock + script + "*\n");
    runio::files.scriptopen = false;
    return pmtest::talk(
        [] {
            emcalcs::setupavpt();
            emcalcs::rockcalcs();
        },
        replies);
}

std::vector<double> numbers(const std::string& line)
{
    std::istringstream in(line);
    std::vector<double> v;
    for (double x; in >> x;) v.push_back(x);
    return v;
}

std::string lineafter(const std::string& text, std::size_t at)
{
    return text.substr(at, text.find('\n', at) - at);
}

TEST(AveragePTSolution, DiagnosticsAgreeWithTheReference)
{
    pmtest::WorkDir dir;
    // A second calculation with the same data: the activities the first
    // iterated are put back, so it repeats the first exactly.
    const pmtest::Dialog d = rockrun("calctype 1\nmaxsdp 5\ncalcT 650\n", "y\ny\ny\nn\n");
    const std::string& s = d.screen;
    ASSERT_TRUE(d.bombed.empty()) << s;
    const std::size_t first = s.find("Activities and uncertainties"), second = s.find("Activities and uncertainties", first + 1);
    ASSERT_NE(second, std::string::npos) << s;
    const std::size_t end1 = s.find("**************************************");
    EXPECT_EQ(s.substr(second, s.find("more calculations", second) - second),
              s.substr(first, s.find("more calculations", first) - first));
    EXPECT_LT(end1, second);
    EXPECT_NE(s.find("these data ok ? same PT window ? "), std::string::npos);
    EXPECT_NE(s.find("avP iteration at T = 650" + deg + "C \n         avP"), std::string::npos) << s;
    EXPECT_NE(s.find("\n 1    7.78"), std::string::npos);

    // The reference with the activities of the last trial point.
    const int n = calcwindows::rxns.nrxn, m = ems.nem;
    ASSERT_EQ(n, 2);
    ASSERT_EQ(m, 5);   // gr an q ky sill
    const double t = 650.0 + kelvin;
    std::vector<double> act(static_cast<std::size_t>(m) + 1);
    Vector vl(m);
    Matrix cov(m, m), rr(n, m);
    for (int k = 1; k <= m; ++k) {
        act[static_cast<std::size_t>(k)] = ems.act[k];
        const double a = ems.act[k];
        vl(k - 1) = a > 0.0 && a < 1.0 ? std::pow(ems.sdact[k] / a, 2) : 0.0;
        for (int l = 1; l <= m; ++l) cov(k - 1, l - 1) = ems.covat(k, l);
    }
    Vector x(n), e(n);
    for (int i = 1; i <= n; ++i) {
        std::vector<int> nu(static_cast<std::size_t>(m) + 1);
        for (int k = 1; k <= m; ++k) nu[static_cast<std::size_t>(k)] = rr(i - 1, k - 1) = calcwindows::rxns.r[i][k];
        const avptref::Line l = avptref::line(nu, act, true, t, 4.0, 12.0);
        x(i - 1) = l.x;
        e(i - 1) = -1.0 / l.g;
    }
    const Vector f = avptref::r * t * e;
    const avptref::Result ref = avptref::gls(x, avptref::estimatecov(rr, cov, vl, e, f));
    const avptref::Diagnostics dg = avptref::diagnostics(avptref::design(rr, cov, vl, e, f), x, ref.avx);

    const std::size_t block = s.rfind("average P at T = 650" + deg + "C \n       avP      sd  sigfit\n");
    ASSERT_NE(block, std::string::npos) << s;
    const std::vector<double> head = numbers(lineafter(s, s.find('\n', s.find("sigfit", block)) + 1));
    ASSERT_EQ(head.size(), 3u);
    EXPECT_TRUE(agrees(head[0], ref.avx, 2)) << head[0] << " " << ref.avx;
    EXPECT_TRUE(agrees(head[1], ref.sdx, 2));
    EXPECT_TRUE(agrees(head[2], ref.sigfit, 3));
    EXPECT_NE(s.find("< 1.96 (but larger may be OK)", block), std::string::npos);
    EXPECT_NE(s.find("|e*| >2.5 suspect?  hat >0.40 influential?", block), std::string::npos);

    double hatsum = 0.0;
    for (int p = 1; p <= m; ++p) {
        const std::string name = ems.emname[p];
        const std::size_t at = s.find("\n" + std::string(8 - name.size(), ' ') + name + " ", block);
        ASSERT_NE(at, std::string::npos) << name;
        const std::vector<double> row = numbers(lineafter(s, at + 9));
        ASSERT_EQ(row.size(), 9u) << name;
        Vector doubled = vl;
        doubled(p - 1) *= 4.0;
        const avptref::Result d2 = avptref::gls(x, avptref::estimatecov(rr, cov, doubled, e, f));
        EXPECT_TRUE(agrees(row[0], d2.avx, 2)) << name << " " << row[0] << " " << d2.avx;
        EXPECT_TRUE(agrees(row[1], d2.sdx, 2)) << name << " " << row[1] << " " << d2.sdx;
        EXPECT_TRUE(agrees(row[2], d2.sigfit, 3)) << name << " " << row[2] << " " << d2.sigfit;
        EXPECT_TRUE(agrees(row[3], dg.es(m + p - 1), 3)) << name;
        EXPECT_TRUE(agrees(row[4], dg.hat(m + p - 1), 3)) << name;
        const double acalc = std::exp(std::log(act[static_cast<std::size_t>(p)]) + dg.es(m + p - 1) * std::sqrt(vl(p - 1)));
        EXPECT_NEAR(row[6], acalc, 0.006 * acalc) << name;
        EXPECT_TRUE(agrees(row[7], dg.es(p - 1), 3)) << name << " " << row[7] << " " << dg.es(p - 1);
        EXPECT_TRUE(agrees(row[8], dg.hat(p - 1), 3)) << name;
        hatsum += row[4] + row[8];
    }
    // one fitted value: the hat values sum to 1
    EXPECT_NEAR(hatsum, 1.0, 2 * m * 0.0005);
    EXPECT_NEAR(dg.hat.sum(), 1.0, 1e-12);

    // Data without uncertainty (ky = sill with no enthalpy covariance and
    // unit activities) give a zero singular value: left out, not divided by.
    for (int k = 1; k <= m; ++k)
        if (ems.emname[k] == "ky" || ems.emname[k] == "sill")
            for (int l = 1; l <= m; ++l) ems.covat(k, l) = ems.covat(l, k) = 0.0;
    emcalcs::Average av;
    pmtest::talk([&] { av = emcalcs::lsqav(false, t, 0.0, 0.0); }, "");
    EXPECT_TRUE(std::isfinite(av.avx) && std::isfinite(av.sdx) && std::isfinite(av.sigfit));
}

TEST(AveragePTSolution, AverageTemperatureBracketSearch)
{
    pmtest::WorkDir dir;
    const pmtest::Dialog d = rockrun("calctype 2\nmaxsdt 100\ncalcP 8\nautoexit\n", "");
    const std::string& s = d.screen;
    ASSERT_TRUE(d.bombed.empty()) << s;
    // the table: the start at tcalc, the two brackets, then the rounds
    const std::size_t at = s.find("avT iteration at P = 8.0 kbar \n               avT");
    ASSERT_NE(at, std::string::npos) << s;
    std::istringstream table(s.substr(s.find('\n', s.find("sigfit", at)) + 1));
    std::string line;
    std::vector<int> counts;
    while (std::getline(table, line) && !line.empty()) counts.push_back(std::stoi(line.substr(0, 2)));
    ASSERT_GE(counts.size(), 4u);
    EXPECT_EQ((std::vector<int>{counts[0], counts[1], counts[2], counts[3]}), (std::vector<int>{0, 1, 1, 2}));
    EXPECT_LE(counts.back(), 20);
    const std::size_t diag = s.find("average T at P = 8.0 kbar\n       avT      sd  sigfit\n");
    ASSERT_NE(diag, std::string::npos);
    const std::vector<double> head = numbers(lineafter(s, s.find('\n', s.find("sigfit", diag)) + 1));
    const std::size_t sum = s.find("For P = 8.0 kbar, av T = ");
    ASSERT_NE(sum, std::string::npos);
    EXPECT_NEAR(std::stod(s.substr(sum + 25)), head[0], 1e-9);
}

TEST(AveragePTSolution, FatalErrorsOfTheIterations)
{
    pmtest::WorkDir dir;
    rockrun("calctype 1\nmaxsdp 5\ncalcT 650\nautoexit\n", "");
    // A composition outside its model: a site fraction of Ca below zero.
    for (int k = 1; k <= axmodels::ph.nss; ++k)
        if (axmodels::ph.prec1[k].name == "g") axmodels::ph.prec1[k].var[2].guess = -0.1;
    pmtest::Dialog d = pmtest::talk([] { emcalcs::updateactivity(8.0, 923.15); }, "", true);
    EXPECT_EQ(d.bombed, "updateactivity : activity negative for gr, in g");

    calcwindows::rsearch.incompleteset = true;
    d = pmtest::talk([] { emcalcs::averagep(); }, "", true);
    EXPECT_NE(d.screen.find("\nan incomplete set of independent reactions has been generated;\n"
                            "vary the run conditions to try and get a complete set...\n"),
              std::string::npos);
    EXPECT_EQ(d.bombed, "avP : incomplete set");
}

TEST(AveragePTCore, CholeskyInverseAndGuards)
{
    // A = B B' + I is positive definite.
    emcalcs::RxnMatrix a{}, ainv{};
    const int n = 6;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            double s = i == j ? 1.0 : 0.0;
            for (int k = 1; k <= n; ++k) s += std::sin(1.3 * i + 0.7 * k) * std::sin(1.3 * j + 0.7 * k);
            a[i][j] = s;
        }
    emcalcs::posdefinvert(a, ainv, n);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            double s = 0.0;
            for (int k = 1; k <= n; ++k) s += a[i][k] * ainv[k][j];
            EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-12);
        }
    emcalcs::RxnMatrix indefinite{};
    indefinite[1][1] = indefinite[2][2] = 1.0;
    indefinite[1][2] = indefinite[2][1] = 2.0;
    EXPECT_BOMB(emcalcs::posdefinvert(indefinite, ainv, 2), "posdefinvert : sqrt negative");

    // a perfect fit rounded below zero gives no measure, never a not-a-number
    emcalcs::Average av;
    emcalcs::fitmeasures(4.0, -1e-18, 3, av);
    EXPECT_EQ(av.sdx, 0.0);
    EXPECT_EQ(av.sigfit, 0.0);
    emcalcs::fitmeasures(4.0, 2.25 * 3, 3, av);
    EXPECT_DOUBLE_EQ(av.sigfit, 1.5);
    EXPECT_DOUBLE_EQ(av.sdx, 1.5 * 0.5);
    emcalcs::fitmeasures(4.0, 0.25 * 3, 3, av);
    EXPECT_DOUBLE_EQ(av.sdx, 0.5);
    // sqrt(chi2(0.95, dof) / dof): 1.96 for two reactions, 1.34 from eleven dof on
    EXPECT_EQ(emcalcs::k95(1), 1.96);
    EXPECT_EQ(emcalcs::k95(10), 1.35);
    EXPECT_EQ(emcalcs::k95(11), 1.34);
    EXPECT_EQ(emcalcs::k95(0), 1.34);
}

}  // namespace
