// The fit's settings file, its end-member file and its calorimetry and
// experiments file, read in-process: every field checked against the files
// as written by hand, and the oxide-calorimetry correction against the
// heat capacity and the Gibbs energy of each end-member.
#include <gtest/gtest.h>

#include <cmath>

#include "bombcheck.h"
#include "dsfit/dsfit.h"
#include "fittest.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

using namespace dsfit;
using fittest::FitDir;
using fittest::replaced;
using thermodata::TdRow;

namespace {

FitOptions settingsof(const std::string& text)
{
    pmtest::writefile("ds-prefs.txt", text);
    readdsprefs();
    return fitopts;
}

TEST(FitSettings, KeywordsSwitchesAndSuffixes)
{
    FitDir dir;
    for (const char* text : {"", "*\nuseqr no\n", "% useqr no\n\n", "nosuchkey no\n"}) {
        const FitOptions o = settingsof(text);
        EXPECT_EQ(o.infolevel, 1) << text;
        EXPECT_EQ(o.printomit, 0);
        EXPECT_EQ(o.useqr, 0);
        EXPECT_EQ(o.mark456, 1);
        EXPECT_EQ(o.userfac, 0);
        EXPECT_EQ(o.tighten, 1);
        EXPECT_EQ(o.xpsuffix, "");
        EXPECT_EQ(fitprefs.pmdssuffix, "");
    }
    struct Case {
        std::string text, xpsuffix;
    };
    for (const Case& c : std::vector<Case>{{"xpsuffix yes\n", ""},
                                           {"xpsuffix yes run2\n", "run2"},
                                           {"xpsuffix run2\n", "run2"},
                                           {"xpsuffix run2 % a comment\n", "run2"},
                                           {"xpsuffix run2\nxpsuffix no run3\n", "run2"},
                                           {"xpsuffix run2\nxpsuffix ask run3\n", "run2"},
                                           {"xpsuffix run2\nxpsuffix\n", ""},
                                           {"xpsuffix a\nxpsuffix b\n", "b"}})
        EXPECT_EQ(settingsof(c.text).xpsuffix, c.xpsuffix) << c.text;

    EXPECT_EQ(settingsof("infolevel 7\n").infolevel, 3);
    EXPECT_EQ(settingsof("infolevel two\n").infolevel, 1);
    EXPECT_EQ(settingsof("infolevel 2.5\n").infolevel, 1);
    EXPECT_EQ(settingsof("infolevel 0\n").infolevel, 0);
    const FitOptions o = settingsof(
        "pmdssuffix fit1\nemsuffix e1\naxsuffix a1\nuseqr ask\nmark456\nprintomit no\nuserfac no\ntighten yes\n"
        "* the rest is not read\nuseqr no\n");
    EXPECT_EQ(fitprefs.pmdssuffix, "fit1");
    EXPECT_EQ(o.emsuffix, "e1");
    EXPECT_EQ(fitprefs.axsuffix, "a1");
    EXPECT_EQ(o.useqr, 2);
    EXPECT_EQ(o.mark456, 0);
    EXPECT_EQ(o.printomit, 1);
    EXPECT_EQ(o.userfac, 1);
    EXPECT_EQ(o.tighten, 0);
}

// Records of every kind, by hand: a solid, a dropped record, a liquid, a
// name with an L inside, Landau, aqueous and Bragg-Williams end-members.
const std::string records =
    "sol  a solid phase  ignored\n"
    "  5 1.0  10 1.0  0   7  3\n"
    "  -100.5 0.25 1   H label\n"
    "  0.05 0     S label\n"
    "  1.0        V label\n"
    "  0.1 0.00001 -500 -0.5   cp label\n"
    "  2e-5       alpha label\n"
    "  1500 4 -0.0027   kappa label\n"
    "\n"
    "gone\n"
    "  5 1.0  0   1  2\n"
    "  -1 1 0\n  0.01 0.001\n  1\n  0 0 0 0\n  0\n  1 1 1\n"
    "\n"
    "meltL liquid\n"
    "  5 1.0  10 1.0  0   1  2\n"
    "  -500 2 1\n  0.1 0.002\n  2.0\n  0.1 0 0 0\n  5e-5\n  300 6 -0.02 0.05  kappa of a liquid\n"
    "\n"
    "xLy\n"
    "  5 1.0  10 1.0  0   1  2\n"
    "  -300 99 1\n  0.25 0\n  1.5\n  0.1 0 0 0\n  3e-5\n  900 4 -0.004 extra words here\n"
    "\n"
    "lan\n"
    "  1 1.0  10 2.0  0   1  3\n"
    "  -900 0.5 2\n  0.04 0.0002\n  2.2\n  0.11 0 -750 -1\n  6e-6\n  730 6 -0.008\n  848 0.005 0.119  landau\n"
    "\n"
    "aq\n"
    "  11 2.0  10 1.0  0   1  3\n"
    "  -250 1 3\n  0.07 0.001\n  1.8\n  0.07 0 0 0\n  0\n  0 0 0\n  1.5   aqueous\n"
    "\n"
    "bw\n"
    "  8 1.0  3 1.0  1 3.0  10 8.0  0   4  13\n"
    "  -3900 2 4\n  0.2 0.002\n  10\n  0.45 0.00001 -3600 -3.9\n  2.4e-5\n  540 5 -0.009\n"
    "  14 0.4 13 0.4 3 0.9   Bragg-Williams\n"
    "\n";

TEST(FitEndMembers, EveryRecordKind)
{
    FitDir dir;
    pmtest::writefile("ds-emt.txt", fittest::emfile(records));
    ASSERT_TRUE(runio::openread(runio::files.infile, "ds-emt.txt"));
    const std::string log = fittest::logof(readth);
    EXPECT_EQ(log, "\nreading thermodynamic data\n  1)  sol\n  2)  gone\n  2)  meltL\n  3)  xLy\n  4)  lan\n"
                   "  5)  aq\n  6)  bw\n");
    ASSERT_EQ(fit.ntda, 6);
    using namespace thermodata;
    const FitEm& sol = fit.tda[1];
    EXPECT_EQ(sol.name, "sol");
    EXPECT_EQ(sol.description, "a solid");
    EXPECT_EQ(sol.nel, 2);
    EXPECT_EQ(sol.elcode[2], 10);
    EXPECT_EQ(sol.code, 7);
    EXPECT_EQ(sol.atoms, 3);
    EXPECT_EQ(sol.label[1], "   H label");
    EXPECT_EQ(sol.label[6], "   kappa label");
    // round(10636 / (1000 x 0.05 / 3 + 6.44)) = round(460.29)
    EXPECT_EQ(sol.row[sTheta], 460.0);
    EXPECT_DOUBLE_EQ(sol.sds, 0.001 * 0.05);
    EXPECT_EQ(sol.hread, -100.5);
    EXPECT_EQ(sol.sdhread, 0.25);
    EXPECT_EQ(sol.row[sSmax], -1.0);
    EXPECT_EQ(sol.row[sBWfac], 1.0);
    EXPECT_EQ(sol.row[sKappa0pp], -0.0027);

    const FitEm& liq = fit.tda[2];
    EXPECT_EQ(liq.description, "liquid");
    EXPECT_EQ(liq.row[sDkappadT], 0.05);
    EXPECT_EQ(liq.row[sTheta], 0.0);
    EXPECT_EQ(liq.label[6], "  kappa of a liquid");
    EXPECT_EQ(fit.tda[3].row[sDkappadT], 0.0);
    EXPECT_EQ(fit.tda[3].label[6], " extra words here");
    // sd(S) given as 0 for S = 0.25
    EXPECT_DOUBLE_EQ(fit.tda[3].sds, 0.00025);
    EXPECT_EQ(fit.tda[4].row[sTc], 848.0);
    EXPECT_EQ(fit.tda[4].row[sVmax], 0.119);
    EXPECT_EQ(fit.tda[4].label[7], "  landau");
    EXPECT_EQ(fit.tda[5].row[sAq], 1.5);
    EXPECT_EQ(fit.tda[5].row[sSmax], -1.0);
    const FitEm& bw = fit.tda[6];
    EXPECT_EQ(bw.nel, 4);
    EXPECT_EQ(bw.row[sBWn], 3.0);
    EXPECT_EQ(bw.row[sBWfac], 0.9);
    EXPECT_EQ(bw.row[sAq], 0.0);
    EXPECT_EQ(thermodata::ds.dsemname[2], "meltL");
    EXPECT_EQ(thermodata::ds.dsmode, 5);
}

// H(T) - H(298.15 K) at 1 bar from the Gibbs energy, H = G - T dG/dT, by
// central differences (0.01 K: the error is of order 1e-8 kJ).
double enthalpygain(int k, double t)
{
    runio::run.calcmode = 5;
    thermodata::ems.td[k] = fit.tda[k].row;
    auto h = [&](double temp) {
        double g, gp, gm;
        thermodata::gem(k, g, 0.0, temp);
        thermodata::gem(k, gp, 0.0, temp + 0.01);
        thermodata::gem(k, gm, 0.0, temp - 0.01);
        return g - temp * (gp - gm) / 0.02;
    };
    return h(t) - h(thermodata::tref);
}

// The integral of cp = -T d2G/dT2 from 298.15 K to t, by Simpson's rule on
// 2000 intervals with second differences of G over 0.05 K.
double cpintegral(int k, double t)
{
    thermodata::ems.td[k] = fit.tda[k].row;
    auto cp = [&](double temp) {
        double g, gp, gm;
        thermodata::gem(k, g, 0.0, temp);
        thermodata::gem(k, gp, 0.0, temp + 0.05);
        thermodata::gem(k, gm, 0.0, temp - 0.05);
        return -temp * (gp - 2.0 * g + gm) / 0.0025;
    };
    const int n = 2000;
    const double t0 = thermodata::tref, h = (t - t0) / n;
    double s = cp(t0) + cp(t);
    for (int i = 1; i < n; ++i) s += (i % 2 == 1 ? 4.0 : 2.0) * cp(t0 + i * h);
    return s * h / 3.0;
}

TEST(FitEndMembers, HeatContentOfOxideCalorimetry)
{
    FitDir dir;
    pmtest::writefile("ds-emt.txt", fittest::emfile(records));
    ASSERT_TRUE(runio::openread(runio::files.infile, "ds-emt.txt"));
    readth();
    thermodata::ds.ndsem = fit.ntda;
    // The solid and the Landau phase below its Tc (848 K) against the
    // integral of their heat capacity.
    EXPECT_NEAR(heatcontent(1, 977.0), cpintegral(1, 977.0), 2e-4);
    EXPECT_NEAR(heatcontent(4, 800.0), cpintegral(4, 800.0), 2e-3);
    // Across Tc the Landau heat capacity has an integrable singularity, and
    // the Bragg-Williams order is found by bisection (which leaves cp
    // noisy): against H = G - T dG/dT. Counting the Landau term from full
    // order (2 Smax Tc / 3 above Tc) would be 0.15 kJ off, and the
    // Bragg-Williams term from full order rather than from the order at
    // 298.15 K 0.0196 kJ; the order parameter is found to within 0.001 kJ
    // of dG/dQ = 0, which leaves its enthalpy a few 1e-3 kJ uncertain.
    for (double t : {700.0, 847.0, 849.0, 977.0, 1400.0}) EXPECT_NEAR(heatcontent(4, t), enthalpygain(4, t), 2e-4) << t;
    for (double t : {400.0, 977.0, 1300.0}) EXPECT_NEAR(heatcontent(6, t), enthalpygain(6, t), 5e-3) << t;
}

// The example files, with an end-member file that also holds H2O and CO2.
std::map<std::string, std::string> withfluids(const std::string& experiments)
{
    auto files = fittest::examplefiles();
    files["ds-emex.txt"] = replaced(files["ds-emex.txt"], "\n*\n",
                                    "\nH2O\n 11 2.0 10 1.0 0  1 3\n -241.81 0.5 1\n 0.1888 0.001\n 0\n"
                                    " 0.04 0.0000087 490 -0.252\n 0\n 0 0 0\n\n"
                                    "CO2\n 12 1.0 10 2.0 0  1 3\n -393.51 0.5 1\n 0.2138 0.001\n 0\n"
                                    " 0.087 -0.0000026 706 -0.998\n 0\n 0 0 0\n\n*\n");
    files["ds-xpex.txt"] = experiments;
    return files;
}

TEST(FitInput, CalorimetryRows)
{
    auto files = fittest::examplefiles();
    files["ds-emex.txt"] = replaced(files["ds-emex.txt"], "-601.60   0.30", "-601.60   0.00");
    files["ds-xpex.txt"] = "1 per q en\n -2 -2 1  66.55 0 977\n2 q fo\n 1 1 10 1 500\n1 q per fo\n"
                           " 1 2 -1 -3.5 0.3 298.15 % no heat content\n0\n";
    FitDir dir(files);
    const std::string log = fittest::logof(readrc);
    EXPECT_NE(log.find("\nreading direct calorimetry\n  1)  per\n  2)  q\n  3)  fo\n\n"
                       "reading oxide calorimetry\n  4)  2per + 2q = en\n  5)   = q + fo\n  5)  fo = q + 2per\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(lsq.ncal, 3);
    EXPECT_EQ(lsq.noxrow, 5);
    // sd(H) 0 and an oxide-calorimetry sd of 0 both become 0.0001 in the
    // row; the record keeps its own sd; sd(H) 100 makes no row.
    EXPECT_EQ(lsq.ysd[1], 0.0001);
    EXPECT_EQ(lsq.y[2], -910.70);
    EXPECT_EQ(lsq.ysd[4], 0.0001);
    EXPECT_EQ(fit.oxcal[1].sd, 0.0);
    EXPECT_FALSE(fit.oxcal[2].used);
    // the row is minus the reaction: 2 H(per) + 2 H(q) - H(en)
    EXPECT_EQ(lsq.xat(4, 1), 2);
    EXPECT_EQ(lsq.xat(4, 2), 2);
    EXPECT_EQ(lsq.xat(4, 3), 0);
    EXPECT_EQ(lsq.bat(4, 3), 0);
    EXPECT_EQ(lsq.xat(4, 4), -1);
    // quartz crosses its Tc: its share against H = G - T dG/dT
    const double expected =
        66.55 - 2.0 * cpintegral(1, 977.0) - 2.0 * enthalpygain(2, 977.0) + cpintegral(4, 977.0);
    EXPECT_NEAR(lsq.y[4], expected, 2e-3);
    EXPECT_EQ(lsq.y[5], -3.5);
    EXPECT_EQ(lsq.xat(5, 3), 1);
}

TEST(FitInput, ExperimentRecords)
{
    const std::string xp =
        "0\n"
        "% a comment line\n\n"
        "1 fo q en univariant show\n"
        " -1 -1\n 1  0   first\n"
        " mix 1 1\n"
        " 1  10  700  0  0.25 % x(mix)\n"
        " 2  10  750  0  0.3\n"
        " 0  10  800  0  0.5\n"
        "-1\n"
        "2 CO2 H2O en q\n"
        " 1 -1 1 -1  -2   second\n"
        " 1 1 0.5 1\n"
        " 1 5 600 0.25\n"
        "-3\n"
        "1 fo per en\n"
        " 1 2 -1  0   third\n"
        " 1 0 1\n"
        " 1 5 600 0  0.7\n"
        "-1\n"
        "0\n";
    auto files = withfluids(xp);
    fittest::addsettings(files, "userfac no\n");
    FitDir dir(files);
    const std::string log = fittest::logof(readrc);
    EXPECT_NE(log.find("\nreading experimental data\n\n\nREADING experimental work\n  1)  fo + q = en  (first)\n  2)  H2O + q = CO2 + en  (second)\n"
                       "  3)  en = fo + 2per  (third)\n"),
              std::string::npos)
        << log;
    ASSERT_EQ(fit.nexp, 3);
    const Experiment& a = fit.xp[1];
    EXPECT_TRUE(a.used);
    EXPECT_TRUE(a.show);
    EXPECT_EQ(a.kind, 1);
    EXPECT_EQ(a.rfac, 1.0);   // rfac 0 with "tighten" no
    // fo's activity comes from the phase mix: its end-members fo and en join the list
    ASSERT_EQ(a.nact, 4);
    EXPECT_EQ(a.act[1].name, "fo");
    EXPECT_EQ(a.act[1].marker, afirstem);
    EXPECT_EQ(a.act[2].name, "en");
    EXPECT_EQ(a.act[2].marker, aotherem);
    EXPECT_EQ(a.act[2].phase, nplaceholders + 1);
    EXPECT_EQ(a.col[1], 1);
    EXPECT_EQ(a.col[2], 3);
    EXPECT_EQ(a.col[3], 4);
    // the bracket with code 2 is dropped
    ASSERT_EQ(a.nb, 2);
    EXPECT_EQ(a.br[1].xyz[1], 0.25);
    EXPECT_EQ(a.br[1].side, 1);
    EXPECT_EQ(a.br[2].side, 0);
    EXPECT_DOUBLE_EQ(a.br[2].t, 1073.15);
    EXPECT_EQ(a.br[2].a[1], afirstem);
    EXPECT_EQ(a.br[2].a[2], aotherem);

    const Experiment& b = fit.xp[2];
    EXPECT_FALSE(b.used);
    EXPECT_EQ(b.rfac, 1.0);   // "userfac" no
    // x(CO2) = 0.25 sets CO2 to 0.25 and H2O to 0.75; an activity below 1 stays
    EXPECT_EQ(b.br[1].a[1], 0.25);
    EXPECT_EQ(b.br[1].a[2], 0.75);
    EXPECT_EQ(b.br[1].a[3], 0.5);
    EXPECT_EQ(fit.xp[3].br[1].a[2], 0.7);
    EXPECT_EQ(fit.xp[3].act[2].marker, agiven);
}

TEST(FitInputDeathTest, FluidWithoutH2O)
{
    // x(CO2) = 1 leaves H2O an activity of 0, whose logarithm ln Q needs.
    FitDir dir(withfluids("0\n1 H2O en q\n 1 -1 1 1 wet\n 1 1 1\n 1 5 600 1\n-1\n0\n"));
    EXPECT_BOMB(readrc(), "-- run bombed in readxy : the activity of H2O in bracket 1 of experiment 1 is 0: it must "
                          "be above 0\n");
}

TEST(FitInput, ReactionText)
{
    FitDir dir;
    thermodata::ds.ndsem = 3;
    thermodata::ds.dsemname[1] = "ab";
    thermodata::ds.dsemname[2] = "q";
    thermodata::ds.dsemname[3] = "jd";
    const int em[] = {0, 1, 2, 3};
    const int nu[] = {0, -1, -2, 1};
    EXPECT_EQ(writerxn(nu, em, 3), "ab + 2q = jd");
    const int up[] = {0, 1, 0, 3};
    EXPECT_EQ(writerxn(up, em, 3), " = ab + 3jd");
}

}  // namespace
