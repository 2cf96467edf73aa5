// The per-assemblage calculation on the ideal olivine-orthopyroxene-quartz
// system against its closed form: a divariant P-T grid, an x(ol) isopleth
// solved for T by a bisection of the closed form, a window that holds no
// point, and the modes of a pseudosection point against the lever rule on
// the one-atom basis, found after the solve and as unknowns of the solve.
#include "calcfixture.h"

namespace {

using calctest::Calc;
using calctest::calls;
using calctest::closedform;
using calctest::isoplethT;
using calctest::levermodes;
using calctest::points;
using numerics::result;

std::vector<std::string> sequence(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST_F(Calc, DivariantGridToTheClosedForm)
{
    prepare("ol opx q");
    lists({5, 10, 15}, {700, 900, 1000});
    phasediagram::solve(all);
    std::vector<std::string> each;
    for (int k = 0; k < 9; ++k) each.insert(each.end(), {"printresult", "printmorestuff"});
    EXPECT_EQ(calls, sequence({{"printstep"}, each, {"guessadvice"}}));
    ASSERT_EQ(points.size(), 9u);
    int k = 0;
    for (double p : {5, 10, 15})
        for (double t : {700, 900, 1000}) {
            const calctest::Point& pt = points[k++];
            double xol, xopx;
            closedform(p, t, xol, xopx);
            EXPECT_EQ(pt.p, p);
            EXPECT_EQ(pt.t, t);
            ASSERT_EQ(pt.vars.size(), 2u);
            EXPECT_NEAR(pt.vars[0], xol, 1e-7) << p << " " << t;
            EXPECT_NEAR(pt.vars[1], xopx, 1e-7) << p << " " << t;
            // Site fractions Mg, Fe of each phase; activities (1 - x)^2 and x^2.
            const std::vector<double> sf = {1 - xol, xol, 1 - xopx, xopx};
            const std::vector<double> act = {(1 - xol) * (1 - xol), xol * xol, (1 - xopx) * (1 - xopx), xopx * xopx};
            for (int i = 0; i < 4; ++i) {
                EXPECT_NEAR(pt.sf[i], sf[i], 1e-7);
                EXPECT_NEAR(pt.act[i], act[i], 1e-7);
            }
        }
    // Every point started from the a-x file's guesses, which stay as read.
    EXPECT_EQ(axmodels::ph.prec1[1].var[1].guess, 0.3);
    EXPECT_EQ(axmodels::ph.prec1[2].var[1].guess, 0.2);
    // Olivine (Mg,Fe)2SiO4 per formula unit, components SiO2 MgO FeO.
    const numerics::ResPhase& ol = result.ph[1];
    EXPECT_EQ(thermodata::comps.compname[1], "SiO2");
    EXPECT_NEAR(ol.comp[1], 1.0, 1e-12);
    EXPECT_NEAR(ol.comp[2] + ol.comp[3], 2.0, 1e-12);
    EXPECT_NEAR(ol.comp[3], 2 * points.back().vars[0], 1e-12);
}

TEST_F(Calc, IsoplethLineAndAWindowWithoutIt)
{
    prepare("ol opx q");
    numerics::Isopleths& is = numerics::iso;
    is.niso = is.nxyziso = 1;
    is.nisovalues[1] = 1;
    is.isovalues[1][1] = 0.7;
    axmodels::XyzVar& x = axmodels::ph.prec1[1].var[1];
    x.fixed = true;
    x.loopindex = 1;
    calcwindows::win.variance = 1;
    calcwindows::win.calcvariable = 1;
    axmodels::ph.prec1[2].var[1].guess = 0.5;
    window(1, 40, 600, 1500);
    lists({4, 7, 10}, {1000});
    phasediagram::solve(all);
    ASSERT_EQ(points.size(), 3u);
    int k = 0;
    for (double p : {4, 7, 10}) {
        const calctest::Point& pt = points[k++];
        const double t = isoplethT(p, 0.7);
        EXPECT_EQ(pt.p, p);
        // Along the isopleth T moves some 3000 K per unit of x(opx): the
        // solver's 1e-8 in the compositions is some 3e-5 K.
        EXPECT_NEAR(pt.t, t, 1e-4) << p;
        double xol, xopx;
        closedform(p, pt.t, xol, xopx);
        EXPECT_EQ(pt.vars[0], 0.7);
        EXPECT_NEAR(pt.vars[1], xopx, 1e-7);
    }

    // A T window above the line: no point is kept.
    window(1, 40, 1200, 1300);
    lists({4, 7, 10}, {1250});
    calls.clear();
    const std::string out = pmtest::talk([&] { phasediagram::solve(all); }, "").log;
    EXPECT_EQ(calls, sequence({{"printstep", "progresscount", "progresscount", "progresscount", "guessadvice"}}));
    EXPECT_NE(out.find("<== nothing in range ==>\n"), std::string::npos) << out;
}

TEST_F(Calc, PseudosectionModesByTheLeverRule)
{
    prepare("ol opx q", "", true);
    lists({10}, {900});
    numerics::makecrossrefs(all);   // the made fs of the closed form
    double xol, xopx;
    closedform(10, 900, xol, xopx);
    // 0.2 ol + 0.5 opx + 0.3 q, in moles of SiO2, MgO and FeO.
    const std::vector<double> b = {0.2 + 1.0 + 0.3, 0.4 * (1 - xol) + 1.0 * (1 - xopx), 0.4 * xol + 1.0 * xopx};
    bulk(b);
    runio::scriptflags.modesafternle = true;
    phasediagram::solve(all);
    ASSERT_EQ(points.size(), 1u);
    const std::vector<double> lever = levermodes(b, xol, xopx);
    EXPECT_EQ(result.nmodevec, 1);
    EXPECT_EQ(result.modestatus[1], 1);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(points[0].modes[i], lever[i], 1e-7) << i;

    // The same point with the modes as unknowns and mass-balance rows.
    runio::scriptflags.modesafternle = false;
    runio::scriptflags.modesinnle = true;
    calcwindows::win.variance = 2;
    phasediagram::solve(all);
    ASSERT_EQ(points.size(), 2u);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(points[1].modes[i], lever[i], 1e-7) << i;
    EXPECT_NEAR(points[1].vars[0], xol, 1e-7);

    // A bulk without enough silica for quartz lies outside the phases' cone.
    runio::scriptflags.modesinnle = false;
    runio::scriptflags.modesafternle = true;
    bulk({20, 60, 20});
    phasediagram::solve(all);
    EXPECT_EQ(result.modestatus[1], 0);
    EXPECT_EQ(result.nmodevec, 0);
    EXPECT_EQ(result.firstmodept, 0);
}

TEST_F(Calc, PhasePropertiesAgainstDifferencesOfG)
{
    prepare("ol opx q", "", true);
    const double p = 10, t = 900;
    lists({p}, {t});
    numerics::makecrossrefs(all);
    double xol, xopx;
    closedform(p, t, xol, xopx);
    const std::vector<double> b = {0.2 + 1.0 + 0.3, 0.4 * (1 - xol) + 1.0 * (1 - xopx), 0.4 * xol + 1.0 * xopx};
    bulk(b);
    runio::scriptflags.modesafternle = true;
    numerics::phchoice.phaseprops = true;
    axmodels::ph.prec0[1].act = 0.5;   // quartz
    phasediagram::solve(all);
    using calctest::gem;
    const numerics::ResPhase &ol = result.ph[1], &opx = result.ph[2], &q = result.ph[3];
    // S and V of quartz against central differences of G (the properties
    // are forward differences over 0.02 K and 0.002 kbar, off by half the
    // step times dS/dT, some 1e-6 kJ/K, and dV/dP, some 1e-5 kJ/kbar); its
    // activity adds RT ln a to G and leaves H alone.
    const double dgdt = (gem("q", p, t + 0.01) - gem("q", p, t - 0.01)) / 0.02;
    const double dgdp = (gem("q", p + 0.001, t) - gem("q", p - 0.001, t)) / 0.002;
    EXPECT_NEAR(q.s, -dgdt, 2e-6);
    EXPECT_NEAR(q.v, dgdp, 2e-5);
    EXPECT_NEAR(q.g, gem("q", p, t) + calctest::rgas * t * std::log(0.5), 1e-9);
    EXPECT_NEAR(q.h, gem("q", p, t) - t * dgdt, 2e-3);
    // A solution phase: G = sum of proportion times chemical potential.
    const double rt = calctest::rgas * t;
    EXPECT_NEAR(ol.g, (1 - xol) * (gem("fo", p, t) + rt * std::log((1 - xol) * (1 - xol))) +
                          xol * (gem("fa", p, t) + rt * std::log(xol * xol)), 1e-6);
    EXPECT_NEAR(opx.g, (1 - xopx) * (gem("en", p, t) + rt * std::log((1 - xopx) * (1 - xopx))) +
                           xopx * (gem("fs", p, t) + rt * std::log(xopx * xopx)), 1e-6);
    // The assemblage: moles of each phase per mole of bulk oxides, from the
    // lever rule (the bulk b sums to 1.8 moles of oxides of 4.6 atoms).
    const std::vector<double> lever = levermodes(b, xol, xopx);
    const double bulkatoms = (3 * b[0] + 2 * b[1] + 2 * b[2]) / (b[0] + b[1] + b[2]);
    const double n[3] = {lever[0] * bulkatoms / 7, lever[1] * bulkatoms / 10, lever[2] * bulkatoms / 3};
    EXPECT_NEAR(result.sysg[1], n[0] * ol.g + n[1] * opx.g + n[2] * q.g, 1e-6);
    EXPECT_NEAR(result.sysv[1], n[0] * ol.v + n[1] * opx.v + n[2] * q.v, 1e-9);
    EXPECT_GT(result.sysrho[1], 2.5);
    EXPECT_LT(result.sysrho[1], 4.5);
    // A mode vector without phases has no volume and no density.
    result.nmodevec = 2;
    result.vecrow[2] = 1;
    for (int i = 1; i <= 3; ++i) result.ph[i].mode[2] = 0;
    numerics::calcgphase(all, numerics::unk.nlex, p, t, 0, 1);
    EXPECT_EQ(result.sysv[2], 0.0);
    EXPECT_EQ(result.sysrho[2], 0.0);
    // With silica held outside the mass balance the densities weigh the free
    // MgO and FeO alone, each with its molar mass of the oxide table (40.3 and
    // 71.85 g): quartz weighs nothing.
    thermodata::comps.oxfree[1] = false;
    thermodata::comps.nfreeox = 2;
    numerics::calcgphase(all, numerics::unk.nlex, p, t, 0, 1);
    EXPECT_EQ(q.rho, 0.0);
    EXPECT_NEAR(ol.rho, (ol.comp[2] * 40.3 + ol.comp[3] * 71.85) / (10 * ol.v), 1e-12);
}

}  // namespace
