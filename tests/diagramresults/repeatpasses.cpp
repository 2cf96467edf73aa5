// The perturbation of the Monte Carlo runs on the example garnet and
// orthopyroxene models: the sample mean and covariance of many correlated
// normal draws against the covariance the script sets, uniform draws within
// the half-widths, items moving with their range or function of ranges, the
// screen and drawing-program listings of the set-up, the parameters back
// at their values afterwards, and its fatal errors; and the steps of a
// fractionation along its path, the first with its question.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "bombcheck.h"
#include "diagramresults/diagramresults.h"
#include "diagramresults/repeatpasses.h"
#include "phasediagram/modeone.h"

namespace {

using diagramresults::mc;
using runio::mcs;

const std::string batchlines =
    "batchxyzguess startblock\nbatchxyzguess x(g) 0.75\nbatchxyzguess z(g) 0.1\nbatchxyzguess x(opx) 0.25\n"
    "batchxyzguess Q(opx) 0.2\nbatch g opx q sillim 3 1 1 8 700 1 1 0 2 g 1 0.75 g 2 0.1\nmcit 10 0\n";
// Ranges wfm (4.4 +- 1) and dq (0 +- 0.5), correlated -0.5; a function
// 6.8 + wfm - 2 dq (11.2 at the ranges' values); two correlated garnet terms and a DQF term of their own.
const std::string gaussian =
    "gaussmc\nmcrange wfm 4.4 1\nmcrange dq 0 0.5\nmcfunc W(en,fs)a 6.8 2 1 wfm -2 dq\n"
    "mc g W(py,alm)a 2.5 2\nmc g W(alm,gr)a 5.1 2\nmccorr g W(py,alm)a g W(alm,gr)a 0.6\nmccorr wfm dq -0.5\n"
    "mc opx W(en,fm)a =wfm\nmc opx W(en,fs)a f\nmc opx DQF(fm)a -6.6 1\n";

struct Perturbation : modeone::ModeOne {
    pmtest::Dialog listing;

    // The pass read and set up with these Monte Carlo lines, and the set-up
    // of the perturbation run with its listings captured.
    void setup(const std::string& lines, int debuglevel = 0)
    {
        modeone::choose(modeone::script("g opx q sillim", "inexcess none\n" + batchlines + lines), modeone::ax());
        thermodata::readds(3);
        thermodata::setupemdata();
        diagramresults::install();
        runio::scriptflags.debuglevel = debuglevel;
        runio::seedrandom(true);
        phasediagram::SolveState s;
        listing = pmtest::talk(
            [&] {
                runio::chans.file[runio::chpx] = std::fopen(".px", "w");
                runio::chans.chanset |= runio::mpx;
                diagramresults::setupmontecarlo(s);
                std::fclose(runio::chans.file[runio::chpx]);
                runio::chans.file[runio::chpx] = nullptr;
            },
            "");
    }
    static axmodels::SolPhase& phase(const std::string& name)
    {
        for (int k = 1; k <= axmodels::ph.nss; ++k)
            if (axmodels::ph.prec1[k].name == name) return axmodels::ph.prec1[k];
        throw std::runtime_error("no phase " + name);
    }
    static double& w(const std::string& name, const std::string& wname)
    {
        axmodels::SolPhase& s = phase(name);
        for (int k = 1; k <= s.nw; ++k)
            if (s.wname[k] == wname) return s.wa[k];
        throw std::runtime_error("no " + wname);
    }
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(Perturbation, CorrelatedDrawsAgainstTheirCovariance)
{
    setup(gaussian);
    const std::string& screen = listing.screen;
    EXPECT_TRUE(has(screen, "\n  2  3 2sd\n   wfm      1.00\n    dq      0.50\n     g      2.00\n     g      2.00\n"
                            "   opx      1.00\n"))
        << screen;
    // The covariance the script sets: sd = half the half-width.
    const double sd[] = {0, 0.5, 0.25, 1, 1, 0.5};
    double c[6][6] = {};
    for (int i = 1; i <= 5; ++i) c[i][i] = sd[i] * sd[i];
    c[1][2] = c[2][1] = -0.5 * 0.5 * 0.25;
    c[3][4] = c[4][3] = 0.6;
    EXPECT_TRUE(has(screen, "\ncovariance matrix\n   0.250000  -0.062500          0          0          0\n")) << screen;
    EXPECT_TRUE(has(screen, "\ncorrelation matrix\n  1.0000 -0.5000       0       0       0\n")) << screen;
    // The printed factor L reproduces C.
    const std::size_t at = screen.find("\n 1    0.5000\n");
    ASSERT_NE(at, std::string::npos) << screen;
    std::istringstream rows(screen.substr(at + 1));
    double l[6][6] = {};
    for (int i = 1; i <= 5; ++i) {
        int row = 0;
        rows >> row;
        ASSERT_EQ(row, i);
        for (int j = 1; j <= i; ++j) rows >> l[i][j];
    }
    for (int i = 1; i <= 5; ++i)
        for (int j = 1; j <= 5; ++j) {
            double s = 0;
            for (int k = 1; k <= 5; ++k) s += l[i][k] * l[j][k];
            EXPECT_NEAR(s, c[i][j], 2e-4) << i << " " << j;
        }

    // The lists of the drawing-program file.
    const std::string px = pmtest::readfile(".px");
    EXPECT_EQ(px, " mcinfo = {{\"w(py,alm)a\", 2.5000, 2.0000},\n           {\"w(alm,gr)a\", 5.1000, 2.0000},\n"
                  "           {\"DQF(fm)a\", -6.6000, 1.0000}};\n\n"
                  " mcrange = {{{\"wfm\", 4.4000, 1.0000}, {\"w(en,fm)a\", {\"func1\", \"term1\"}}},\n"
                  "            {{\"dq\", 0, 0.5000}, {{\"func1\", \"term2\"}}}};\n\n"
                  " mcfunc = {{(* 1 *) \"W(en,fs)a\", 6.8000, 1.0000, \"wfm\", -2.0000, \"dq\"}};\n\n"
                  " filter = {{}};\n\n");

    // Many passes: the variables' sample mean and covariance.
    double &pyalm = w("g", "W(py,alm)"), &almgr = w("g", "W(alm,gr)"), &enfm = w("opx", "W(en,fm)"),
           &enfs = w("opx", "W(en,fs)");
    const double dqf0 = mc.base[5];
    constexpr int n = 100000;
    std::vector<std::vector<double>> z(6, std::vector<double>(n));
    phasediagram::SolveState s;
    for (int k = 0; k < n; ++k) {
        diagramresults::domontecarlo(s);
        z[1][k] = mc.deviation[1];
        z[2][k] = mc.deviation[2];
        z[3][k] = pyalm - 2.5;
        z[4][k] = almgr - 5.1;
        z[5][k] = mcs.mcitems[5].current - dqf0;
        // The linked items: a range's deviation, and the function of two.
        ASSERT_NEAR(enfm, 4.4 + mc.deviation[1], 1e-12);
        ASSERT_NEAR(enfs, 11.2 + mc.deviation[1] - 2 * mc.deviation[2], 1e-12);
    }
    for (int i = 1; i <= 5; ++i) {
        double mean = 0;
        for (double x : z[i]) mean += x / n;
        EXPECT_NEAR(mean, 0, 0.02 * sd[i]) << i;
        for (int j = 1; j <= i; ++j) {
            double cov = 0;
            for (int k = 0; k < n; ++k) cov += z[i][k] * z[j][k] / n;
            EXPECT_NEAR(cov, c[i][j], 0.03 * sd[i] * sd[j]) << i << " " << j;
        }
    }
    // The DQF term moves the H of its made end-member's row.
    EXPECT_EQ(phase("opx").em[3].slots[thermodata::sH], mcs.mcitems[5].current);
    diagramresults::restoremcbase();
    EXPECT_EQ(pyalm, 2.5);
    EXPECT_EQ(almgr, 5.1);
    EXPECT_EQ(enfm, 4.4);
    EXPECT_EQ(enfs, 11.2);
    EXPECT_EQ(phase("opx").em[3].slots[thermodata::sH], dqf0);
}

TEST_F(Perturbation, ListingOfAPass)
{
    setup("mc g W(py,alm)a 2.5 2\nmc opx DQF(fm)b 0.0022 0.001\n", 1);
    const double s0 = mc.base[2];
    phasediagram::SolveState s;
    const auto d = pmtest::talk([&] { diagramresults::domontecarlo(s); }, "");
    // The b of a DQF term stands for -S: the listing shows it moved the other way.
    const double moved = mcs.mcitems[2].current - s0;
    EXPECT_LE(std::fabs(moved), 0.001);
    std::string line = "DQF(fm)b          ";
    for (double x : {0.0022, 0.0022 - moved, -moved, s0, mcs.mcitems[2].current}) runio::addreal(x, 4, true, 12, line);
    EXPECT_TRUE(has(d.screen, "\n" + std::string(78, '_') +
                                  "\n                      original     this mc  difference    original     this mc\n"));
    EXPECT_TRUE(has(d.screen, line + "\n\n")) << d.screen << line;
}

TEST_F(Perturbation, FatalErrors)
{
    setup(gaussian);
    phasediagram::SolveState s;
    auto again = [&](auto change) {
        setup(gaussian);
        change();
        runio::chans.chanset |= runio::mscreen;
        diagramresults::setupmontecarlo(s);
    };
    EXPECT_BOMB(again([] { mcs.mcit = 0; }), "-- run bombed in solve : mcit = 0");
    EXPECT_BOMB(again([] { mcs.mcit = -5; }), "-- run bombed in solve : mcit below 0");
    EXPECT_BOMB(again([] { mcs.mcitems[2].ref.phases[1] = "gt"; }), "-- run bombed in setupmontecarlo : bad name gt\"");
    EXPECT_BOMB(again([] { mcs.mccorrs[2].ref1.phases[1] = "wmf"; }),
                "-- run bombed in setupmontecarlo : bad name1 wmf\"");
    // Equal spreads perfectly correlated: C is singular.
    EXPECT_BOMB(again([] { mcs.mccorrs[1].corr = 1.0; }), "-- run bombed in setupmc : choleski not positive definite");
    EXPECT_BOMB(
        {
            mcs.mcitems[3].relation = 3;
            diagramresults::domontecarlo(s);
        },
        "-- run bombed in domontecarlo : bad rangecode");
}

// The steps of a fractionation from a first result whose fluid holds the
// given mode, with a porosity of 0.01: the question, the messages, the path
// and the shares of the bulk.
struct Steps : modeone::ModeOne {
    diagramresults::FractState& f = diagramresults::fract;
    void start(double fluid)
    {
        runio::mcs.fractset = runio::Fractionation{};
        runio::Fractionation& p = runio::mcs.fractset;
        p.porosity = 0.01;
        p.startp = 2;
        p.startt = 800;
        p.pstep = 0.5;
        p.tstep = 10;
        runio::batches.nbatch = 1;
        runio::batches.batchrec.resize(2);
        runio::scripttabs.nrbi = 2;
        runio::scripttabs.rbi.resize(3);
        runio::scripttabs.rbi[2].mode = fluid;
        f = diagramresults::FractState{};
        f.pos = 2;
        f.ncomp = 1;
        f.column[1] = f.component[1] = 1;
        f.solid[1] = 0.9;
        f.fluid[1] = 0.1;
    }
    std::string step(const std::string& reply = "")
    {
        phasediagram::SolveState s;
        const auto d = pmtest::talk([&] { diagramresults::dofract(s); }, reply);
        EXPECT_EQ(d.rest, "");
        EXPECT_EQ(d.bombed, "");
        return d.screen;
    }
};

TEST_F(Steps, AlongThePath)
{
    const std::string question = "increase fluid to fill porosity before starting to fractionate ? ";
    // No fluid at all: nothing to scale up, no question.
    start(0.0);
    std::string screen = step();
    EXPECT_FALSE(has(screen, question));
    EXPECT_TRUE(has(screen, "\n<--fluid consumed ---------------->\nno fractionation at this step\n")) << screen;
    EXPECT_EQ(f.step, 1);
    EXPECT_EQ(runio::batches.batchrec[1].p[1], 2.5);
    EXPECT_EQ(runio::batches.batchrec[1].t[1], 810);

    // Less fluid than the porosity: asked; yes fills the porosity in a
    // repeat of the first step.
    start(0.004);
    screen = step("y\n");
    EXPECT_TRUE(has(screen, question)) << screen;
    EXPECT_TRUE(has(screen, "<--repeating first step----->\nto start with porosity just filled\n")) << screen;
    EXPECT_EQ(f.step, 0);
    EXPECT_NEAR(f.fluid[1], 0.1 * 0.01 / 0.004, 1e-15);
    EXPECT_NEAR(f.solid[1], 0.9 * 0.99 / 0.996, 1e-15);
    EXPECT_NEAR(numerics::bulks.fractstartbulk[1], f.solid[1] + f.fluid[1], 1e-15);
    EXPECT_EQ(runio::scripttabs.rbi[2].mode, 0.01);
    // Then the first step at the porosity, and one that changes nothing.
    screen = step();
    EXPECT_TRUE(has(screen, "\n<--------------------------------->\nno fractionation at this step\n")) << screen;
    screen = step();
    EXPECT_TRUE(has(screen, "\n<--fluid not gained or consumed -->\n")) << screen;
    EXPECT_EQ(f.step, 2);
    EXPECT_EQ(runio::batches.batchrec[1].t[1], 820);

    // A no takes the first step as it stands.
    start(0.004);
    screen = step("n\n");
    EXPECT_TRUE(has(screen, question + "\n<--fluid consumed ---------------->\n")) << screen;
    EXPECT_EQ(f.fluid[1], 0.1);
}

}  // namespace
