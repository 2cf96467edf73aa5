// An experiment as a phase-equilibrium calculation: its phases and
// end-members loaded from the whole example; the activities of made
// end-members' constituents; the temperature and pressure of a reaction
// against the closed form of a reaction linear in T and P; and the
// assemblages of the example calculated by the solver, checked against the
// fit's own Gibbs energies of the end-members and the phases' activities.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "axmodels/axmodels.h"
#include "bombcheck.h"
#include "dsfit/dsfit.h"
#include "fittest.h"
#include "numerics/unknowns.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

using namespace dsfit;
using fittest::FitDir;
using thermodata::rgas;

namespace {

int phaseof(const std::string& name)
{
    for (int k = 1; k <= fit.nphname; ++k)
        if (fit.phname[k] == name) return k;
    return 0;
}

TEST(ExperimentSystem, PhasesAndEndMembersOfAnExperiment)
{
    FitDir dir(fittest::fullexample());
    readrc();
    const auto& ph = axmodels::ph;
    const auto& ems = thermodata::ems;

    // ol q opx: the two phases in the free slots, quartz, and the
    // constituents of the made fm (en, fs) as phases of activity 0
    setupxpsystem(5);
    EXPECT_EQ(runio::run.calcmode, 5);
    EXPECT_EQ(ph.nss, 2);
    EXPECT_EQ(ph.npure, 3);
    EXPECT_EQ(ph.nph, 5);
    ASSERT_EQ(ems.nem, 8);
    const char* names[] = {"fo", "fa", "q", "en", "fs", "###", "en", "fs"};
    for (int m = 1; m <= 8; ++m) EXPECT_EQ(ems.emname[m], names[m - 1]) << m;
    EXPECT_EQ(ph.prec1[1].name, "ol");
    EXPECT_EQ(ph.prec1[2].name, "opx");
    EXPECT_EQ(ph.prec0[1].name, "q");
    EXPECT_EQ(ph.prec0[1].act, 1.0);
    EXPECT_EQ(ph.prec0[2].emname, "en");
    EXPECT_EQ(ph.prec0[2].act, 0.0);
    EXPECT_EQ(ph.prec0[3].act, 0.0);
    // the fit's own phases are untouched, and the data come from the records
    EXPECT_EQ(ph.prec1[phaseof("ol")].name, "ol");
    EXPECT_EQ(ph.prec1[phaseof("opx")].n, 3);
    int fo;
    ASSERT_TRUE(posinphname("fo", fo, false));
    EXPECT_EQ(ph.prec1[1].em[1].slots[thermodata::sH], fit.tda[fo].row[thermodata::sH]);
    // fm = en/2 + fs/2: its composition is the mean of theirs
    for (int c = 1; c <= thermodata::comps.ncomp; ++c)
        EXPECT_EQ(2 * ph.prec1[2].em[3].comp[c], ph.prec1[2].em[1].comp[c] + ph.prec1[2].em[2].comp[c]);

    // per en fo with the activity of per given in each bracket: every entry a
    // phase of its own
    setupxpsystem(2);
    EXPECT_EQ(ph.nss, 0);
    EXPECT_EQ(ph.npure, 3);
    EXPECT_EQ(ph.nph, 3);
    EXPECT_EQ(ems.nem, 3);
    EXPECT_EQ(ph.prec0[1].name, "per");
    EXPECT_EQ(ph.prec0[1].act, 1.0);
}

TEST(ExperimentSystem, ActivitiesOfConstituentsOfMadeEndMembers)
{
    FitDir dir(fittest::fullexample());
    readrc();
    const int opx = phaseof("opx");
    axmodels::MakeRecipe& fm = axmodels::ph.prec1[opx].em[3].make;
    ASSERT_EQ(fm.cname[1], "en");
    // three equilibria sharing one bracket: fm at a fixed activity and en as
    // its constituent
    for (int e = 1; e <= 3; ++e) {
        Experiment& x = fit.xp[e];
        x = Experiment{};
        x.groupsize = 4 - e;
        x.nact = 2;
        x.act[1].name = "fm";
        x.act[1].marker = 1.0;
        x.act[2].name = "en";
        x.act[2].phase = opx;
        x.act[2].inphase = 3;
        x.act[2].marker = aconstituent;
        x.nb = 1;
        x.br.assign(2, Bracket{});
        x.br[1].id = 1;
        x.br[1].p = 10.0;
        x.br[1].t = 1000.0;
    }
    axmodels::ph.nss = 0;
    fit.xp[1].br[1].a[1] = 0.25;
    fm.divisor = 2;
    fm.num[1] = 2;
    xpcalca(1, 1);
    EXPECT_NEAR(fit.xp[1].br[1].a[2], 0.25, 1e-15);
    fm.divisor = 1;
    xpcalca(1, 1);
    EXPECT_NEAR(fit.xp[1].br[1].a[2], 0.5, 1e-15);
    for (int e = 2; e <= 3; ++e) {
        EXPECT_EQ(fit.xp[e].br[1].a[1], 0.25);
        EXPECT_EQ(fit.xp[e].br[1].a[2], fit.xp[1].br[1].a[2]);
    }
    // a made end-member's activity must lie within (0, 1): 1.5^(1/2) = 1.2247
    fit.xp[1].br[1].a[1] = 1.5;
    runio::prefs.wrapscreen = false;
    EXPECT_BOMB(xpcalca(1, 1),
                "\ndependent end-member activity not between 0 and 1\n    en   opx    fm    en; mult =     2\\.00; "
                "a\\(fm\\) =     1\\.5000; giving a\\(en\\) =     1\\.2247\n.*-- run bombed in calca : messed up make a");
    fit.xp[1].br[1].a[1] = 0.0;
    EXPECT_BOMB(xpcalca(1, 1), "; a\\(fm\\) =          0\n.*messed up make a");
}

// Two end-members whose G is H - T S + V (P - 0.001 kbar) and, for the
// second, a constant heat capacity a: no expansion, no compressibility.
void linearpair(double h2, double s2, double v2, double a2)
{
    fit.ntda = 2;
    const char* names[] = {"aa", "bb"};
    for (int i = 1; i <= 2; ++i) {
        FitEm& e = fit.tda[i];
        e = FitEm{};
        e.name = thermodata::ds.dsemname[i] = names[i - 1];
        e.row.fill(0.0);
    }
    fit.tda[1].row[thermodata::sS] = 0.2;
    fit.tda[1].row[thermodata::sV] = 1.0;
    fit.tda[2].row[thermodata::sH] = h2;
    fit.tda[2].row[thermodata::sS] = s2;
    fit.tda[2].row[thermodata::sV] = v2;
    fit.tda[2].row[thermodata::sCpa] = a2;
    Experiment& x = fit.xp[1];
    x = Experiment{};
    x.n = 2;
    x.em[1] = 1;
    x.em[2] = 2;
    x.nu[1] = -1;
    x.nu[2] = 1;
    x.nb = 1;
    x.br.assign(2, Bracket{});
}

TEST(ExperimentSystem, TemperatureAndPressureOfAReaction)
{
    FitDir dir;
    // aa = bb with dH = 20 kJ, dS = 0.02 kJ/K, dV = -0.5 kJ/kbar
    linearpair(20.0, 0.22, 0.5, 0.0);
    Bracket& br = fit.xp[1].br[1];
    br.p = 10.0;
    br.t = 800.0;
    double dgdp, dgdt;
    EXPECT_NEAR(xpcalct(1, 1, dgdp, dgdt), (20.0 - 0.5 * (10.0 - 0.001)) / 0.02, 1e-6);
    EXPECT_NEAR(dgdt, -0.02, 1e-9);
    EXPECT_NEAR(dgdp, -0.5, 1e-9);
    EXPECT_EQ(br.t, 800.0);
    EXPECT_NEAR(xpcalcp(1, 1, dgdp, dgdt), (800.0 * 0.02 - 20.0) / -0.5 + 0.001, 1e-6);
    EXPECT_EQ(br.p, 10.0);
    // with ln Q = 1: dS - R ln Q in place of dS
    br.lnq = 1.0;
    EXPECT_NEAR(xpcalct(1, 1, dgdp, dgdt), (20.0 - 0.5 * (10.0 - 0.001)) / (0.02 - rgas), 1e-6);
    br.lnq = 0.0;

    // no equilibrium at a positive pressure: 0.005 kbar and no derivatives
    linearpair(10.0, 0.22, 0.5, 0.0);
    fit.xp[1].br[1].p = 10.0;
    fit.xp[1].br[1].t = 800.0;
    EXPECT_EQ(xpcalcp(1, 1, dgdp, dgdt), 0.005);
    EXPECT_EQ(dgdp, 0.0);
    EXPECT_EQ(dgdt, 0.0);
    // no dependence on T: no step, converged where it starts
    linearpair(10.0, 0.2, 0.5, 0.0);
    fit.xp[1].br[1].t = 900.0;
    EXPECT_EQ(xpcalct(1, 1, dgdp, dgdt), 900.0);

    // a double root at 1000 K (dG and dG/dT both vanish there, with
    // dCp = 0.1 kJ/K): Newton's method halves the distance at each step,
    // too slowly from 1500 K for 13 steps, quickly enough from 1000.5 K
    const double da = 0.1, tstar = 1000.0;
    linearpair(-da * (tstar - 298.15), 0.2 - da * std::log(tstar / 298.15), 1.0, da);
    fit.xp[1].br[1].p = 0.001;
    fit.xp[1].br[1].t = 1500.0;
    EXPECT_EQ(xpcalct(1, 1, dgdp, dgdt), 150.0);
    EXPECT_EQ(dgdt, 0.0);
    fit.xp[1].br[1].t = 1000.5;
    EXPECT_NEAR(xpcalct(1, 1, dgdp, dgdt), tstar, 0.1);
}

// G + RT ln Q of experiment e's reaction at P, T with the activities of
// the experiment's phases at their compositions (ol first, then opx).
double reactiong(int e, double p, double t, const double* xol, const double* xopx)
{
    axmodels::EmValues aol{}, aopx{}, sd{};
    axmodels::calcemactivities(1, xol - 1, aol, sd, p, t);
    axmodels::calcemactivities(2, xopx - 1, aopx, sd, p, t);
    const Experiment& x = fit.xp[e];
    double lnq = 0.0;
    for (int j = 1; j <= x.n; ++j) {
        const std::string& name = x.act[x.col[j]].name;
        const double a = name == "fo" ? aol[1] : name == "fa" ? aol[2] : name == "en" ? aopx[1] : name == "fs" ? aopx[2] : 1.0;
        lnq += x.nu[j] * std::log(a);
    }
    return rxndg0(e, p, t, 0.0) + rgas * t * lnq;
}

TEST(ExperimentAssemblage, SolvedByTheEquilibriumSolver)
{
    FitDir dir(fittest::fullexample());
    readrc();

    // divariant: at the bracket's P and T only the compositions move, to
    // where both reactions are at equilibrium
    setupxpsystem(5);
    calcass(5, 3, false);
    const Experiment& d = fit.xp[5];
    for (int b = 1; b <= d.nb; ++b) {
        EXPECT_EQ(d.br[b].calcp, d.br[b].p);
        EXPECT_EQ(d.br[b].calct, d.br[b].t);
    }
    const auto& u = numerics::unk;
    ASSERT_EQ(u.nvar, 5);
    const double xol[] = {u.nlex[3]}, xopx[] = {u.nlex[4], u.nlex[5]};
    const Bracket& last = d.br[d.nb];
    EXPECT_NEAR(reactiong(5, last.p, last.t, xol, xopx), 0.0, 1e-6);
    EXPECT_NEAR(reactiong(6, last.p, last.t, xol, xopx), 0.0, 1e-6);

    // univariant with the compositions unknown: the pair at 700 C solves P,
    // the pair at 27 kbar T; 50 kbar lies outside the T window
    setupxpsystem(3);
    pairbrackets(3);
    calcass(3, 2, false);
    const Experiment& x = fit.xp[3];
    const Bracket& b1 = x.br[1];
    // with the data as read quartz and coesite meet at 28.2 kbar
    EXPECT_NEAR(b1.calcp, 28.2, 0.1);
    EXPECT_EQ(b1.calct, b1.t);
    EXPECT_NEAR(rxndg0(3, b1.calcp, b1.t, 0.0), 0.0, 1e-6);
    EXPECT_NEAR(reactiong(4, b1.calcp, b1.t, &b1.xyz[1], &b1.xyz[2]), 0.0, 1e-6);
    EXPECT_NEAR(rxndg0(3, x.br[3].p, x.br[3].calct, 0.0), 0.0, 1e-6);
    for (int b : {2, 4, 5}) {
        EXPECT_EQ(x.br[b].calcp, 0.0) << b;
        EXPECT_EQ(x.br[b].calct, 273.15) << b;
    }
    // the second bracket of a pair shares the compositions of the first, and
    // the second equilibrium of the group has them all
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(x.br[2].xyz[i], b1.xyz[i]);
        for (int b = 1; b <= 5; ++b) EXPECT_EQ(fit.xp[4].br[b].xyz[i], x.br[b].xyz[i]);
    }
    // activities go to the same run of the other equilibrium, also when a
    // reversal has swapped its brackets
    std::swap(fit.xp[4].br[3], fit.xp[4].br[4]);
    for (int b = 1; b <= 5; ++b) {
        const int k = b == 3 ? 4 : b == 4 ? 3 : b;
        EXPECT_EQ(fit.xp[4].br[k].calct, x.br[b].calct);
        xpcalca(3, b);
        for (int i = 1; i <= x.nact; ++i) EXPECT_EQ(fit.xp[4].br[k].a[i], x.br[b].a[i]) << b;
    }
}

TEST(ExperimentAssemblage, ABracketListFilledToItsCapacity)
{
    // Pairs at one P, then two lone brackets of one side: the last bracket of
    // a full list has no bracket behind it and solves T, as any last one does.
    auto files = fittest::fullexample();
    std::string brackets;
    for (int k = 0; k < maxnb / 2 - 1; ++k) {
        char line[80];
        const double p = 24.0 + 0.04 * k;
        std::snprintf(line, sizeof line, "  1  %.2f   700  0\n  0  %.2f   900  0\n", p, p);
        brackets += line;
    }
    brackets += "  1  29.50   750  0\n  1  30.00   750  0\n";
    std::string& xp = files["ds-xpex.txt"];
    const std::size_t from = xp.find("  0  24.0   700  0\n");
    xp = xp.substr(0, from) + brackets + xp.substr(xp.find("-1\n", from));
    FitDir dir(files);
    readrc();
    ASSERT_EQ(fit.xp[3].nb, maxnb);
    setupxpsystem(3);
    pairbrackets(3);
    calcass(3, 2, false);
    const Experiment& x = fit.xp[3];
    EXPECT_NEAR(rxndg0(3, x.br[maxnb - 3].p, x.br[maxnb - 3].calct, 0.0), 0.0, 1e-6);
    EXPECT_EQ(x.br[maxnb - 2].calct, 273.15);
    for (int b : {maxnb - 1, maxnb}) {
        const Bracket& br = x.br[b];
        EXPECT_EQ(br.calcp, br.p) << b;
        EXPECT_GT(br.calct, br.t) << b;   // coesite needs more than 30 kbar at 750 C
        EXPECT_NEAR(rxndg0(3, br.p, br.calct, 0.0), 0.0, 1e-6) << b;
    }
    for (int b = 1; b <= maxnb; ++b) xpcalca(3, b);
}

}  // namespace
