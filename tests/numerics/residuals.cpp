// The equilibrium equations of an assemblage: reaction rows against the
// Gibbs energies of the end-members and the closed-form activities, the
// mass-balance rows worked by hand (with the reduced system the identity and
// with a rank deficit), the jacobian against central differences in the
// scaled unknowns, the composition derivatives against central differences,
// the end-member Gibbs energies kept between evaluations, and the points
// that cannot be evaluated.
#include <cmath>

#include "assemblage.h"
#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "numerics/residualwork.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace {

using namespace numerics;
using asmtest::Assemblage;
using asmtest::rgas;
using thermodata::ems;
using thermodata::rxns;

double g(const std::string& name, double p, double t) { return asmtest::gem(name, p, t); }


class Residuals : public Assemblage {
protected:
    void olopxq(bool modes, const std::vector<std::string>& phases = {"ol", "opx", "q"})
    {
        runio::scal.pscale = 0.05;
        runio::scal.poffset = -0.01;
        runio::scal.tscale = 1.0 / 1500.0;
        runio::scal.toffset = -200.0 / 1500.0;
        runio::scriptflags.modesinnle = modes;
        setup(asmtest::olopx, phases);
        assemblage({"ol", "opx", "q"});
        // modes scaled as the per-point set-up would: here onto themselves
        for (int m = 1; m <= unk.nmodes; ++m) {
            unk.xscale[unk.nvar + m] = 1.0;
            unk.xoffset[unk.nvar + m] = 0.0;
        }
        bool any;
        calcwindows::writereactionlists(any);
        ASSERT_EQ(rxns.nrxn, 2);
    }
    bool eval(const Vector& scaledx)
    {
        x = scaledx;
        return nlefunc(x, j, f);
    }
    // The jacobian against central differences of the residuals in the
    // scaled free unknowns.
    void checkjacobian(const Vector& u0, double rel)
    {
        ASSERT_TRUE(eval(u0));
        const SquareTable j0 = j;
        const int rows = eqs.njacrows;
        int c = 0;
        for (int i = 1; i <= unk.nvar + unk.nmodes; ++i) {
            if (!unk.xfree[i]) continue;
            ++c;
            const double h = 1e-6;
            Vector up = u0, down = u0;
            up[i] += h;
            down[i] -= h;
            ASSERT_TRUE(eval(up));
            const Vector fu = f;
            ASSERT_TRUE(eval(down));
            for (int r = 1; r <= rows; ++r) {
                const double cd = (fu[r] - f[r]) / (2 * h);
                EXPECT_NEAR(j0[r][c], cd, rel * std::fabs(cd) + 1e-7) << "row " << r << " column " << unk.xname[i];
            }
        }
    }
    Vector x{}, f{};
    SquareTable j{};
};

TEST_F(Residuals, ReactionRowsAreGibbsEnergiesAndActivities)
{
    olopxq(false);
    const double p = 10.0, t = 1000.0, xo = 0.3, yo = 0.2;
    const Vector u0 = scaled({p, t, xo, yo});
    ASSERT_TRUE(eval(u0));
    // returned in natural units
    EXPECT_NEAR(x[1], p, 1e-12);
    EXPECT_NEAR(x[2], t, 1e-10);
    EXPECT_EQ(eqs.njacrows, 4);
    EXPECT_EQ(eqs.njaccols, 4);
    const std::string names[] = {"", "fo", "fa", "en", "fs", "q"};
    const double lna[] = {0, 2 * std::log(1 - xo), 2 * std::log(xo), 2 * std::log(1 - yo), 2 * std::log(yo), 0};
    for (int k = 1; k <= 2; ++k) {
        double dg = 0.0, l = 0.0, dgdp = 0.0;
        for (int e = 1; e <= 5; ++e) {
            const int nu = rxns.r[k][em(names[e])];
            dg += nu * g(names[e], p, t);
            dgdp += nu * (g(names[e], p + 1e-5, t) - g(names[e], p, t)) / 1e-5;
            l += nu * lna[e];
        }
        EXPECT_NEAR(f[k], (dg + rgas * t * l) / rxns.rxndiv[k], 1e-9) << k;
        EXPECT_NEAR(rxns.lnk[k], l, 1e-12);
        // the undivided P column in natural units: dV of the reaction
        EXPECT_NEAR(eqs.jacnat[k][1], dgdp, 1e-6);
        EXPECT_NEAR(j[k][1], eqs.jacnat[k][1] / (0.05 * rxns.rxndiv[k]), 1e-9);
    }
    // P and T by forward differences of G (1e-5 kbar, 0.001 K): within
    // 1e-6 of the central differences here
    checkjacobian(u0, 1e-6);
    // a held P has no column: T takes column 1
    unk.xfree[1] = false;
    Vector held = u0;
    held[1] = p;
    ASSERT_TRUE(eval(held));
    EXPECT_EQ(eqs.njaccols, 3);
    checkjacobian(held, 1e-6);
}

TEST_F(Residuals, TheKeptGibbsEnergiesAreThoseOfTheReactionAndFollowItsData)
{
    olopxq(false);
    const double p = 12.0, t = 900.0;
    const Vector u0 = scaled({p, t, 0.4, 0.3});
    for (int pass = 1; pass <= 2; ++pass) {
        ASSERT_TRUE(eval(u0));
        for (int k = 1; k <= 2; ++k) {
            // at the P and T the scaled unknowns give back, to the last bit
            double dgdp, dgdt, dg;
            thermodata::calcdg0(k, dgdp, dgdt, dg, x[1], x[2]);
            EXPECT_NEAR(f[k] * rxns.rxndiv[k] - rgas * x[2] * rxns.lnk[k], dg, 1e-9);
            double sp = 0.0, st = 0.0;
            for (int e = 1; e <= ems.nem; ++e) {
                sp += rxns.r[k][e] * rw.dp[e];
                st += rxns.r[k][e] * rw.dt[e];
            }
            EXPECT_NEAR(eqs.jacnat[k][1] - sp, dgdp, 1e-9);
            EXPECT_NEAR(eqs.jacnat[k][2] - st, dgdt, 1e-9);
        }
        // a set chemical potential writes H of an end-member; the made fs
        // follows its constituent q
        ems.td[em("en")][thermodata::sH] += 5.0;
        const auto& recipe = axmodels::ph.prec1[2].em[2].make;
        ems.td[recipe.pos[2]][thermodata::sH] -= 3.0;
    }
}

TEST_F(Residuals, MassBalanceRowsByHand)
{
    olopxq(true);
    unk.xfree[1] = unk.xfree[2] = false;
    // oxide sums in atoms: fo, fa 7; en, fs 10; q 3
    const auto& s = axmodels::ph.prec1;
    EXPECT_EQ(s[1].em[1].oxsum, 7.0);
    EXPECT_EQ(s[2].em[2].oxsum, 10.0);
    EXPECT_EQ(axmodels::ph.prec0[1].oxsum, 3.0);
    // free components SiO2 MgO FeO
    ASSERT_EQ(thermodata::comps.nfreeox, 3);
    const double bulk[] = {0, 0.5, 0.3, 0.2};
    for (int i = 1; i <= 3; ++i) {
        red.projc[i].fill(0);
        red.projc[i][i] = 1;
        bulks.bulkcalc[i] = bulk[i];
    }
    red.rankdeficit = 0;
    const double xo = 0.3, yo = 0.2, mol = 0.5, mopx = 0.4, mq = 0.3, total = 1.2;
    const Vector u0 = scaled({10.0, 1000.0, xo, yo, mol, mopx, mq});
    ASSERT_TRUE(eval(u0));
    EXPECT_EQ(eqs.njacrows, 5);
    EXPECT_EQ(eqs.njaccols, 5);
    // compositions per atom
    const double ol[] = {0, 1.0 / 7, 2 * (1 - xo) / 7, 2 * xo / 7};
    const double opx[] = {0, 2.0 / 10, 2 * (1 - yo) / 10, 2 * yo / 10};
    const double q[] = {0, 1.0 / 3, 0, 0};
    for (int i = 1; i <= 3; ++i)
        EXPECT_NEAR(f[2 + i], total * (mol * ol[i] + mopx * opx[i] + mq * q[i]) - bulk[i], 1e-14) << i;
    checkjacobian(u0, 1e-6);
}

TEST_F(Residuals, ABalanceThatIsNoNumberGivesNoModes)
{
    // Olivine of no composition (its proportions summed to 0, which the a-x
    // set-up now refuses) once balanced, with modes of 0.001 for every phase.
    olopxq(false);
    PhaseFlags phases{};
    for (const char* name : {"ol", "opx", "q"}) phases[phaseno(name)] = 1;
    bulks.nbulk = 1;
    for (int i = 1; i <= 3; ++i) bulks.bulk[i] = std::vector<double>{0, 50, 30, 10}[i];
    unk.nlex[3] = 0.3;
    unk.nlex[4] = 0.2;
    bool ok = false;
    std::string text;
    AtomTable atoms{}, freeatoms{};
    calcmodesafternle(phases, ok, text, atoms, freeatoms);
    ASSERT_TRUE(ok);   // the same bulk with olivine of a composition
    unk.nlex[3] = std::nan("");
    calcmodesafternle(phases, ok, text, atoms, freeatoms);
    EXPECT_FALSE(ok);
    EXPECT_EQ(result.modestatus[1], 0);
}

TEST_F(Residuals, CompositionDerivativesAgainstCentralDifferences)
{
    olopxq(true);
    unk.xfree[1] = unk.xfree[2] = false;
    for (int i = 1; i <= 3; ++i) {
        red.projc[i].fill(0);
        red.projc[i][i] = 1;
    }
    // a phase whose atoms per formula change with x: fs made heavier
    axmodels::ph.prec1[2].em[2].oxsum = 12.0;
    Vector xn{};
    xn[3] = 0.3;
    xn[4] = 0.2;
    compcalc(xn);
    const double h = 1e-6;
    for (int m = 1; m <= 2; ++m) {
        const int v = m == 1 ? 3 : 4;
        Vector up = xn, down = xn;
        up[v] += h;
        down[v] -= h;
        compcalc(up);
        const auto cu = rw.cm[m];
        compcalc(down);
        const auto cdn = rw.cm[m];
        compcalc(xn);
        for (int jj = 1; jj <= 3; ++jj)
            EXPECT_NEAR(eqs.compdxat(m, jj, 1), (cu[jj] - cdn[jj]) / (2 * h), 1e-9) << m << " " << jj;
    }
}

TEST_F(Residuals, RankDeficientRowMustVanish)
{
    runio::scriptflags.modesinnle = true;
    olopxq(true, {"ol", "opx", "q", "ky"});   // SiO2 Al2O3 MgO FeO; no Al2O3 in the assemblage
    unk.xfree[1] = unk.xfree[2] = false;
    ASSERT_EQ(thermodata::comps.nfreeox, 4);
    // rows SiO2, MgO, FeO, and last Al2O3, which nothing carries
    const int order[] = {0, 1, 3, 4, 2};
    for (int i = 1; i <= 4; ++i) {
        red.projc[i].fill(0);
        red.projc[i][order[i]] = 1;
    }
    red.rankdeficit = 1;
    const double bulk[] = {0, 0.5, 0.0, 0.3, 0.2};
    for (int i = 1; i <= 4; ++i) bulks.bulkcalc[i] = bulk[i];
    const Vector u0 = scaled({10.0, 1000.0, 0.3, 0.2, 0.5, 0.4, 0.3});
    ASSERT_TRUE(eval(u0));
    EXPECT_EQ(eqs.njacrows, 5);
    EXPECT_NEAR(f[5], 1.2 * (0.5 * 2 * 0.3 / 7 + 0.4 * 2 * 0.2 / 10) - 0.2, 1e-14);   // FeO
    // a bulk with alumina
    bulks.bulkcalc[2] = 0.01;
    auto o = asmtest::runchild([&] { eval(u0); });
    EXPECT_EQ(o.bombed, "nlefunc : residuals not in reduced system");
    EXPECT_NE(o.screen.find("residual (   -1.000e-2) should be zero in rank-deficient case\n"), std::string::npos)
        << o.screen;
    runio::scriptflags.dogminon = true;
    runio::scriptflags.dogminlevel = 2;
    o = asmtest::runchild([&] { std::exit(eval(u0) ? 3 : 4); });
    EXPECT_EQ(o.status, 4);
    EXPECT_NE(o.screen.find("residuals not in reduced system - shouldn't have happened?\n"), std::string::npos);
    runio::scriptflags.dogminlevel = 0;   // passed over in silence
    o = asmtest::runchild([&] { std::exit(eval(u0) ? 3 : 4); });
    EXPECT_EQ(o.status, 3);
    EXPECT_EQ(o.screen.find("residual"), std::string::npos);
}

TEST_F(Residuals, UnknownsOutsideTheirRange)
{
    olopxq(false);
    ems.act.fill(0.125);
    Vector u0 = scaled({10.0, 1000.0, 0.0, 0.2});   // x(ol) exactly 0: strict lower bound
    std::string out = asmtest::output([&] { EXPECT_FALSE(eval(u0)); });
    EXPECT_EQ(out,
              "\n\nFAILED in nlefunc, at which stage x was:\n"
              "   P(kbar)     T(\xA1" "C)     x(ol)    x(opx)\n"
              "     10.00     726.8         0    0.2000\n");   // 726.85 is a little below in binary
    EXPECT_EQ(ems.act[1], 0.125);   // no activity evaluated
    EXPECT_NEAR(x[4], 0.2, 1e-15);  // returned in natural units all the same
    u0[3] = 1.0;
    EXPECT_FALSE(eval(u0));
    // with inclusive bounds 0 and 1 are inside (and the site fractions then
    // vanish: a Monte Carlo run passes over such a point)
    unk.xlokind[3] = unk.xhikind[3] = 1;
    progress.mcon = true;
    out = asmtest::output([&] { EXPECT_FALSE(eval(u0)); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(ems.act[1], 0.125);
    progress.mcon = false;
    const auto o = asmtest::runchild([&] { eval(u0); });
    EXPECT_EQ(o.bombed, "calcsf : negative sf term");
    EXPECT_NE(o.screen.find("\n             x(ol)      x(opx)\nx =       1.00000     0.20000\n\n"), std::string::npos)
        << o.screen;
    EXPECT_NE(o.screen.find("sf =            0    1.000000\n\nsorry - try changing starting guesses!\n"),
              std::string::npos)
        << o.screen;
}

TEST_F(Residuals, AqueousSolventSeenByItsSpecies)
{
    runio::run.calcmode = 0;
    setup(asmtest::aqueous);
    runio::run.calcmode = 1;
    assemblage({"aq", "ky"});
    ems.td[1][thermodata::sXco2] = 0.5;
    ASSERT_TRUE(eval(scaled({5.0, 800.0, 0.1})));
    for (int e = 1; e <= 2; ++e) {
        EXPECT_EQ(ems.td[e][thermodata::sXco2], 0.0);
        EXPECT_NEAR(ems.td[e][thermodata::sXh2o], 0.9, 1e-15);
    }
    EXPECT_EQ(ems.td[3][thermodata::sXh2o], 0.0);   // ky is no aqueous species
}

}  // namespace
