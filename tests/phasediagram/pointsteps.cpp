// The steps around the solve of a point: the two mode vectors per bulk point
// of an assemblage with one reaction along a bulk range, the orientation of
// the assemblage reaction, the starting guesses of the modes, the report of
// an assemblage that cannot be calculated, the ionic-strength loop of an
// aqueous phase, and a solved P beyond its window.
#include "calcfixture.h"
#include <algorithm>

#include "numerics/nlestate.h"

namespace {

using calctest::Calc;
using numerics::result;
using numerics::unk;

// Modes on the one-atom basis of two phases a and b (moles of MgO and SiO2
// per formula unit, atoms per formula unit) for a bulk of MgO and SiO2.
std::pair<double, double> lever2(const double a[3], const double b[3], double mgo, double sio2)
{
    const double d = a[0] * b[1] - a[1] * b[0];
    const double na = (mgo * b[1] - sio2 * b[0]) / d, nb = (a[0] * sio2 - a[1] * mgo) / d;
    const double ma = na * a[2], mb = nb * b[2];
    return {ma / (ma + mb), mb / (ma + mb)};
}

int component(const std::string& name) { return phasediagram::componentnamed(name); }

TEST_F(Calc, TwoModeVectorsPerBulkPointOfOneReaction)
{
    prepare("fo en q", "", true, "fo\nen\nq\n");
    runio::scriptflags.modesafternle = true;
    numerics::BulkSetup& b = numerics::bulks;
    b.nbulk = 3;
    const int mg = component("MgO"), si = component("SiO2");
    ASSERT_EQ(thermodata::comps.ncomp, 2);
    // From beyond forsterite (no balance) to between enstatite and quartz.
    b.bulk[mg] = 75;
    b.bulk[si] = 25;
    b.bulk2[mg] = 40;
    b.bulk2[si] = 60;
    lists({10}, {900});
    phasediagram::SolveState s;
    s.phases = all;
    numerics::makecrossrefs(all);
    bool any;
    calcwindows::writereactionlists(any);
    numerics::setuploops(s.looplengths, s.nloops);
    numerics::startodometer(s.odometer, s.nloops);
    bool more;
    numerics::nextodometer(s.odometer, s.looplengths, s.nloops, more);
    phasediagram::setx(s);
    bool keep = false;
    phasediagram::extract(s, keep);
    EXPECT_TRUE(keep);
    EXPECT_EQ(s.reactiontext, "fo + q = en");
    EXPECT_EQ(result.nmodevec, 4);
    EXPECT_EQ(result.firstmodept, 2);
    EXPECT_EQ(result.modestatus[1], 0);
    EXPECT_EQ(result.modestatus[2], 1);
    EXPECT_EQ(result.modestatus[3], 1);
    EXPECT_DOUBLE_EQ(result.bulkx[2], 0.5);
    EXPECT_DOUBLE_EQ(result.bulkx[3], 1.0);
    const double fo[3] = {2, 1, 7}, en[3] = {2, 2, 10}, q[3] = {0, 1, 3};
    // Vector 2k - 1: enstatite (the reaction's product) used up; 2k: a reactant.
    const std::pair<double, double> v1 = lever2(fo, q, 0.575, 0.425), v2 = lever2(fo, en, 0.575, 0.425);
    const std::pair<double, double> v3 = lever2(fo, q, 0.40, 0.60), v4 = lever2(en, q, 0.40, 0.60);
    const numerics::ResPhase &pfo = result.ph[1], &pen = result.ph[2], &pq = result.ph[3];
    const double want[4][3] = {{v1.first, 0, v1.second}, {v2.first, v2.second, 0}, {v3.first, 0, v3.second},
                               {0, v4.first, v4.second}};
    for (int v = 1; v <= 4; ++v) {
        EXPECT_NEAR(pfo.mode[v], want[v - 1][0], 1e-12) << v;
        EXPECT_NEAR(pen.mode[v], want[v - 1][1], 1e-12) << v;
        EXPECT_NEAR(pq.mode[v], want[v - 1][2], 1e-12) << v;
        EXPECT_EQ(result.vecrow[v], (v + 1) / 2 + 1);
    }
}

TEST_F(Calc, AssemblageReactionPutsTheFluidOnTheProductSide)
{
    for (const char* order : {"mag\nper\nCO2\n", "CO2\nper\nmag\n"}) {
        pmtest::talk([&] { prepare("mag per CO2", "", false, order); }, "");
        numerics::makecrossrefs(all);
        numerics::NameTable names;
        numerics::EmTable coef;
        int n = 0;
        std::string text;
        numerics::nst.svdropped = false;
        numerics::assemblagereaction(all, names, coef, n, text);
        EXPECT_EQ(n, 3);
        EXPECT_TRUE(text == "mag = per + CO2" || text == "mag = CO2 + per") << text;
        numerics::nst.svdropped = true;
        numerics::assemblagereaction(all, names, coef, n, text);
        EXPECT_EQ(text, "####");
        EXPECT_EQ(n, 0);
        numerics::nst.svdropped = false;
    }
}

// Mode unknowns 3..5 after two variables, with their stored modes and
// held values.
void modes(const std::vector<double>& stored, const std::vector<double>& held = {})
{
    numerics::Unknowns& u = unk;
    u = numerics::Unknowns{};
    u.nvar = 2;
    u.nmodes = static_cast<int>(stored.size());
    for (int m = 1; m <= u.nmodes; ++m) {
        u.modevalue[m] = stored[m - 1];
        u.xfree[2 + m] = true;
        u.xname[2 + m] = "ph" + std::to_string(m);
    }
    for (std::size_t m = 0; m < held.size(); ++m)
        if (held[m] >= 0) {
            u.xfree[3 + static_cast<int>(m)] = false;
            u.xnat[3 + static_cast<int>(m)] = held[m];
        }
}

std::vector<double> guesses()
{
    phasediagram::SolveState s;
    phasediagram::setmodeguess(s);
    std::vector<double> g;
    for (int m = 1; m <= unk.nmodes; ++m) g.push_back(unk.xnat[2 + m]);
    return g;
}

void expectmodes(const std::vector<double>& got, const std::vector<double>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-12) << i;
}

TEST_F(Calc, StartingGuessesOfTheModes)
{
    modes({-1});
    expectmodes(guesses(), {1});
    modes({-1, -1, -1});
    expectmodes(guesses(), {1.0 / 3 - 1.0 / 15, 1.0 / 3, 1.0 / 3 + 1.0 / 15});
    modes({0.6, 0.6, -1});
    expectmodes(guesses(), {0.495, 0.495, 0.01});
    // A phase held at zero mode beside stored guesses: the guesses take up the rest.
    modes({0.5, 0.6, -1}, {-1, -1, 0});
    expectmodes(guesses(), {0.5 / 1.1, 0.6 / 1.1, 0});
    modes({0.7, 0.6, -1, -1}, {-1, -1, 0});
    expectmodes(guesses(), {0.7 * 0.99 / 1.3, 0.6 * 0.99 / 1.3, 0, 0.01});

    modes({0.5, -1, -1}, {-1, 0.995, -1});
    pmtest::Dialog d = pmtest::talk([] { guesses(); }, "", true);
    EXPECT_EQ(d.bombed, "setmodeguess : mode isopleths sum to >1");
    modes({-1, -1, -1}, {0.3, 0.3, 0.401});
    d = pmtest::talk([] { guesses(); }, "", true);
    EXPECT_EQ(d.bombed, "mode guess subs : don't sum to 1");
    EXPECT_NE(d.screen.find("mode setup problem: sum =     1.0010\n\nmode guesses: \n    ph1   0.30000\n"
                            "    ph2   0.30000\n    ph3   0.40100\n\n"),
              std::string::npos)
        << d.screen;
}

TEST_F(Calc, AssemblagesThatCannotBeCalculated)
{
    // Kyanite = sillimanite is the only reaction, and olivine takes no part.
    prepare("ol ky sillim", "", false, modeone::ax());
    for (int level : {0, 1}) {
        runio::scriptflags.debuglevel = level;
        const pmtest::Dialog d = pmtest::talk([&] { phasediagram::solve(all); }, "");
        if (level == 0) {
            EXPECT_EQ(d.screen, "@");
            EXPECT_EQ(d.log, "");
        } else {
            EXPECT_EQ(d.log, "  cannot calculate this equilibrium (degenerate?)\n");
        }
    }
    // Quartz and kyanite: no reaction at all (the reaction lists say so first).
    prepare("q ky");
    runio::scriptflags.debuglevel = 0;
    std::string screen = pmtest::talk([&] { phasediagram::solve(all); }, "").screen;
    EXPECT_EQ(screen.substr(screen.size() - 2), "\n#");
    runio::scriptflags.debuglevel = 1;
    const std::string log = pmtest::talk([&] { phasediagram::solve(all); }, "").log;
    EXPECT_NE(log.find("\n   1   1\n  cannot calculate this equilibrium (no reactions)\n"), std::string::npos) << log;
    EXPECT_EQ(calctest::calls, (std::vector<std::string>{"guessadvice", "printstep", "guessadvice"}));
}

// ---------------------------------------------------------------- the ionic strength of an aqueous phase

// An aqueous binary of H2O and a solute q on one site.
const std::string aqueous =
    "aq 2 1\nverbatim\nverbatim\n  x(aq) 0.1\n  p(H2O) 1 1 1 1 -1 x\n  p(q) 1 1 0 1 1 x\n  ideal\n"
    "  2\n  xw 1 1 1 1 -1 x\n  xs 1 1 0 1 1 x\n  H2O 1 1 xw 1\n  q 1 1 xs 1\n\n";

std::vector<double> strengths;   // the ionic strengths the solves saw, each once
std::vector<double> targets;     // the solution x(aq) of each solve, in turn
int solves = 0;

// x(aq) solved to the next target; the solute's charges make the ionic
// strength equal to x(aq).
bool fakeresidual(numerics::Vector& x, numerics::SquareTable& j, numerics::Vector& f)
{
    const double i = thermodata::ems.td[2][thermodata::sIonic];
    if (strengths.empty() || strengths.back() != i) {
        strengths.push_back(i);
        ++solves;
    }
    const double target = targets[static_cast<std::size_t>(solves - 1) % targets.size()];
    f[1] = x[3] - (target * unk.xscale[3] + unk.xoffset[3]);
    j[1][1] = 1;
    return true;
}

struct Ionic : Calc {
    void SetUp() override
    {
        Calc::SetUp();
        // The a-x reader keeps aqueous phases out of phase-diagram runs:
        // the phase is read as another mode reads it.
        runio::run.calcmode = 0;
        prepare("aq", "", false, aqueous + "ky\n");
        runio::run.calcmode = 1;
        axmodels::SolPhase& aq = axmodels::ph.prec1[1];
        aq.em[2].slots[thermodata::sZ1] = 2;
        aq.em[2].slots[thermodata::sZ2] = 1;
        numerics::makecrossrefs(all);
        unk.xfree[1] = unk.xfree[2] = false;
        unk.nlex[1] = 5;
        unk.nlex[2] = 800;
        // A scaling of x(aq) far from 1: the strength is worked out from the
        // proportions in x(aq) itself, not in the solver's scaled unknown.
        unk.xscale[3] = 0.5;
        unk.xoffset[3] = 0.25;
        numerics::residualfunction = fakeresidual;
        strengths.clear();
        solves = 0;
    }
    void TearDown() override
    {
        numerics::residualfunction = numerics::nlefunc;
        Calc::TearDown();
    }
};

TEST_F(Ionic, StrengthSettlesAndIsCapped)
{
    phasediagram::SolveState s;
    targets = {0.001};
    EXPECT_TRUE(phasediagram::donle(s));
    ASSERT_EQ(strengths.size(), 2u);
    EXPECT_EQ(strengths[0], 0.00018);
    EXPECT_NEAR(strengths[1], 0.001, 1e-12);
    strengths.clear();
    solves = 0;
    targets = {0.01};
    EXPECT_TRUE(phasediagram::donle(s));
    EXPECT_EQ(strengths, (std::vector<double>{0.00018, 0.0018}));
    // A strength that never settles.
    solves = 0;
    targets = {0.001, 0.0015};
    EXPECT_EQ(pmtest::talk([&] { phasediagram::donle(s); }, "", true).bombed, "solve : debye-huckel loop");
}

TEST_F(Calc, AtMostFiveAqueousPhases)
{
    // The phase choice takes one aqueous phase at most: six olivines are
    // marked aqueous by hand.
    const std::string& ideal = pmtest::idealolopx;
    const std::string olivine = ideal.substr(0, ideal.find("opx 2 1"));
    std::string ax;
    for (const char* name : {"ba", "bb", "bc", "bd", "be", "bf"}) ax += pmtest::replaceall(olivine, "ol", name);
    prepare("ba bb bc bd be bf", "", false, ax + "ky\n");
    for (int k = 1; k <= 6; ++k) axmodels::ph.prec1[k].aqueous = true;
    numerics::makecrossrefs(all);
    phasediagram::SolveState s;
    EXPECT_EQ(pmtest::talk([&] { phasediagram::donle(s); }, "", true).bombed, "donle : no of aq");
}

TEST_F(Calc, GibbsEnergyMinimisationGridOf120Points)
{
    prepare("ol opx q");
    runio::scriptflags.dogminon = true;
    runio::scriptflags.dogminlevel = 0;
    phasediagram::resultroutines.dogmin = [](phasediagram::SolveState&, bool, bool) { calctest::record("dogmin"); };
    std::vector<double> ts;
    for (int k = 0; k < 12; ++k) ts.push_back(800 + 10 * k);
    lists({5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, ts);
    phasediagram::solve(all);
    EXPECT_EQ(std::count(calctest::calls.begin(), calctest::calls.end(), "dogmin"), 120);
    lists({5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {800, 810, 820, 830, 840, 850, 860, 870, 880, 890, 900});
    EXPECT_EQ(pmtest::talk([&] { phasediagram::solve(all); }, "", true).bombed, "solve : PT grid in dogmin too big");
}

TEST_F(Calc, APressureBeyondItsWindowIsRefused)
{
    prepare("ol opx q");
    numerics::makecrossrefs(all);
    unk.nlex[1] = 45 * unk.xscale[1] + unk.xoffset[1];
    unk.nlex[2] = 900 * unk.xscale[2] + unk.xoffset[2];
    phasediagram::SolveState s;
    s.phases = all;
    bool keep;
    phasediagram::extract(s, keep);
    EXPECT_EQ(result.p, 41.0);
    EXPECT_EQ(result.t, 900.0);
    EXPECT_FALSE(axmodels::inrange(1, result.p));
}

}  // namespace
