// The unknown list of an assemblage, field by field, against the phases of
// our own a-x files and the example dataset: names, scalings, bound kinds,
// variable-limit rows, site-fraction checks, the rebuilt end-member list
// with its compositions, data rows and covariance, the modes and the phase
// entries of the result record; the loops of the odometer; and every fatal
// error of the lay-out.
#include <cmath>

#include "assemblage.h"
#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "harness/harness.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace {

using namespace numerics;
using asmtest::Assemblage;
using axmodels::ph;
using thermodata::comps;
using thermodata::ems;

const std::string degreeT = std::string("T(") + '\xA1' + "C)";

int comp(const std::string& name)
{
    for (int i = 1; i <= comps.ncomp; ++i)
        if (comps.compname[i] == name) return i;
    return 0;
}

// Oxide amount of a component in a calculation end-member.
double amount(const std::string& oxide, int e)
{
    const int i = comp(oxide);
    return static_cast<double>(comps.c[i][e]) / static_cast<double>(comps.compmult[i]);
}

class CrossRefs : public Assemblage {
protected:
    void SetUp() override
    {
        Assemblage::SetUp();
        runio::scal.pscale = 0.05;
        runio::scal.poffset = -0.1;
        runio::scal.tscale = 0.002;
        runio::scal.toffset = -1.2;
        runio::win.ptypsize = 1e-4;
        runio::win.ttypsize = 2e-4;
        runio::scriptflags.modesinnle = true;
        runio::scriptset.calcsdnle = 0;   // uncertainties wanted: the covariance is rebuilt
    }
};

TEST_F(CrossRefs, OlivineOrthopyroxeneQuartz)
{
    setup(asmtest::olopx);
    // the covariance of the whole calculation, in its order, before the lay-out
    const int nall = ems.nem;
    std::vector<std::vector<double>> covall(nall + 1, std::vector<double>(nall + 1));
    for (int a = 1; a <= nall; ++a)
        for (int b = 1; b <= nall; ++b) covall[a][b] = ems.covat(a, b);
    ph.prec1[phaseno("opx")].modestart = 0.35;
    ph.prec0[1].modeflag = true;   // q held
    ph.prec0[1].modeloop = 3;
    assemblage({"ol", "opx", "q"});
    const Unknowns& u = unk;

    EXPECT_EQ(u.nvar, 4);
    EXPECT_EQ(u.nmodes, 3);
    EXPECT_EQ(u.nsolmodes, 2);
    EXPECT_EQ(u.nfixedvar, 0);
    const char* names[] = {"", "P(kbar)", "", "x(ol)", "x(opx)", "ol", "opx", "q"};
    for (int i = 1; i <= 7; ++i)
        if (i != 2) {
            EXPECT_EQ(u.xname[i], names[i]) << i;
        }
    EXPECT_EQ(u.xname[2], degreeT);
    EXPECT_EQ(u.xname[2].size(), 5u);   // the degree sign is one byte

    EXPECT_EQ(u.xscale[1], 0.05);
    EXPECT_EQ(u.xoffset[1], -0.1);
    EXPECT_EQ(u.xtypsize[1], 1e-4);
    EXPECT_EQ(u.xscale[2], 0.002);
    EXPECT_EQ(u.xoffset[2], -1.2);
    EXPECT_EQ(u.xtypsize[2], 2e-4);
    // x in 0..1: scale 1, offset 0, typical size 1e-4; strict bounds where
    // a site fraction vanishes
    for (int i = 3; i <= 4; ++i) {
        EXPECT_EQ(u.xscale[i], 1.0);
        EXPECT_EQ(u.xoffset[i], 0.0);
        EXPECT_EQ(u.xtypsize[i], 1e-4);
        EXPECT_EQ(u.xlokind[i], 4);
        EXPECT_EQ(u.xhikind[i], 4);
        EXPECT_TRUE(u.xfree[i]);
    }
    for (int i = 1; i <= 2; ++i) EXPECT_EQ(u.xlokind[i] + u.xhikind[i], 0);
    for (int i = 5; i <= 7; ++i) {
        EXPECT_EQ(u.xlokind[i], 2);
        EXPECT_EQ(u.xhikind[i], 2);
        EXPECT_EQ(u.xtypsize[i], 1e-4);
    }
    EXPECT_TRUE(u.xfree[5]);
    EXPECT_TRUE(u.xfree[6]);
    EXPECT_FALSE(u.xfree[7]);
    EXPECT_EQ(u.xloop[7], 3);
    EXPECT_EQ(u.modevalue[2], 0.35);
    EXPECT_EQ(u.modephase[1], phaseno("ol"));
    EXPECT_EQ(u.modeem[1], 3);
    EXPECT_EQ(u.modephase[2], phaseno("opx"));
    EXPECT_EQ(u.modeem[2], 4);
    EXPECT_EQ(u.modephase[3], 1);   // q, first pure phase
    EXPECT_EQ(u.modeem[3], 0);
    // every site fraction is one linear form of one variable: no limits, no checks
    EXPECT_EQ(u.nvarlim, 0);
    EXPECT_EQ(u.nsfcheck, 0);

    // the end-member list: fo fa | en fs | q
    ASSERT_EQ(ems.nem, 5);
    const char* emnames[] = {"", "fo", "fa", "en", "fs", "q"};
    for (int e = 1; e <= 5; ++e) EXPECT_EQ(ems.emname[e], emnames[e]);
    EXPECT_EQ(comps.nemr, 5);
    EXPECT_TRUE(u.phasestart[1]);
    EXPECT_FALSE(u.phasestart[2]);
    EXPECT_TRUE(u.phasestart[3]);
    EXPECT_FALSE(u.phasestart[5]);
    EXPECT_EQ(u.emphase[1], phaseno("ol"));
    EXPECT_EQ(u.emphase[3], phaseno("opx"));
    EXPECT_EQ(u.emfirstx[1], 3);
    EXPECT_EQ(u.emfirstx[3], 4);
    EXPECT_EQ(u.emfirstx[2] + u.emphase[2] + u.emfirstx[5], 0);
    // compositions by formula: Mg2SiO4, Fe2SiO4, Mg2Si2O6, Fe2Si2O6, SiO2
    const double mg[] = {0, 2, 0, 2, 0, 0}, fe[] = {0, 0, 2, 0, 2, 0}, si[] = {0, 1, 1, 2, 2, 1};
    for (int e = 1; e <= 5; ++e) {
        EXPECT_EQ(amount("MgO", e), mg[e]) << e;
        EXPECT_EQ(amount("FeO", e), fe[e]) << e;
        EXPECT_EQ(amount("SiO2", e), si[e]) << e;
    }
    // data rows: the dataset's own for fo, the made fs holds its DQF and the
    // address of its recipe (phase, entry)
    EXPECT_EQ(ems.td[1][thermodata::sH], -2174.30);
    EXPECT_EQ(ems.td[1][thermodata::sV], 4.3660);
    EXPECT_EQ(ems.td[1][thermodata::sPhase] + ems.td[1][thermodata::sEntry], 0.0);
    EXPECT_EQ(ems.td[4][thermodata::sH], 4.0);
    EXPECT_EQ(ems.td[4][thermodata::sS], 0.0);
    for (int s = 4; s <= 28; ++s) EXPECT_EQ(ems.td[4][s], 0.0) << s;
    EXPECT_EQ(ems.td[4][thermodata::sPhase], phaseno("opx"));
    EXPECT_EQ(ems.td[4][thermodata::sEntry], 2.0);
    EXPECT_EQ(ems.td[5][thermodata::sTc], 848.0);   // q keeps its Landau terms
    for (int e = 1; e <= 5; ++e) EXPECT_EQ(ems.emcode[e], 1);
    // the covariance of the assemblage is that of the calculation (fo fa en fs q ky)
    const int allpos[] = {0, 1, 2, 3, 4, 5};
    for (int a = 1; a <= 5; ++a)
        for (int b = 1; b <= 5; ++b) EXPECT_EQ(ems.covat(a, b), covall[allpos[a]][allpos[b]]) << a << " " << b;
    EXPECT_GT(ems.covat(1, 1), 0.0);

    // the phase entries of the result
    const ResultRec& r = result;
    ASSERT_EQ(r.nphases, 3);
    EXPECT_EQ(r.ph[1].name, "ol");
    EXPECT_EQ(r.ph[1].phaseno, phaseno("ol"));
    EXPECT_EQ(r.ph[1].firstx, 3);
    EXPECT_EQ(r.ph[1].nems, 2);
    EXPECT_EQ(r.ph[1].emnames[2], "fa");
    EXPECT_EQ(r.ph[1].varname[1], "x(ol)");
    EXPECT_EQ(r.ph[1].nsf, 2);
    EXPECT_EQ(r.ph[1].sfname[2], "xFeM");
    EXPECT_TRUE(r.ph[1].show);
    EXPECT_FALSE(r.ph[1].isfluid);
    EXPECT_EQ(r.ph[2].firstx, 4);
    EXPECT_EQ(r.ph[3].name, "q");
    EXPECT_EQ(r.ph[3].phaseno, 1);
    EXPECT_EQ(r.ph[3].nems, 1);
    EXPECT_EQ(r.ph[3].nsf, 0);
    EXPECT_EQ(r.ph[3].firstx, 0);
    EXPECT_TRUE(r.ph[3].show);
}

TEST_F(CrossRefs, CovarianceOfASubsetKeepsTheCalculationsEntries)
{
    setup(asmtest::olopx);
    std::vector<std::vector<double>> covall(7, std::vector<double>(7));
    for (int a = 1; a <= 6; ++a)
        for (int b = 1; b <= 6; ++b) covall[a][b] = ems.covat(a, b);
    assemblage({"opx", "ky"});   // en fs of 1..6 = fo fa en fs q ky
    const int pos[] = {0, 3, 4, 6};
    for (int a = 1; a <= 3; ++a)
        for (int b = 1; b <= 3; ++b) EXPECT_EQ(ems.covat(a, b), covall[pos[a]][pos[b]]) << a << " " << b;
}

TEST_F(CrossRefs, PurePhasesOnly)
{
    setup(asmtest::olopx);
    assemblage({"q", "ky"});
    const Unknowns& u = unk;
    EXPECT_EQ(u.nvar, 2);
    EXPECT_EQ(u.nvarlim, 0);
    EXPECT_EQ(u.nsfcheck, 0);
    EXPECT_EQ(u.nmodes, 2);
    EXPECT_EQ(u.nsolmodes, 0);
    EXPECT_EQ(u.modeem[1] + u.modeem[2], 0);
    EXPECT_EQ(u.xname[3], "q");
    EXPECT_EQ(u.xname[4], "ky");
    EXPECT_EQ(ems.nem, 2);
    EXPECT_EQ(ems.emname[2], "ky");
    EXPECT_EQ(amount("Al2O3", 2), 1.0);
    EXPECT_EQ(result.nphases, 2);
    EXPECT_EQ(result.ph[2].nems, 1);
}

TEST_F(CrossRefs, BufferedFluidHasNoModeAndIsNotShown)
{
    setup(asmtest::h2oco2);
    runio::scriptset.exbuff = 0;
    numerics::phchoice.exbuffph = phaseno("fluid");
    assemblage({"fluid", "q"});
    EXPECT_EQ(unk.nvar, 3);
    EXPECT_EQ(unk.nmodes, 1);
    EXPECT_EQ(unk.xname[4], "q");
    EXPECT_FALSE(result.ph[1].show);
    EXPECT_TRUE(result.ph[1].isfluid);
    EXPECT_TRUE(result.ph[2].show);
    // without the buffer the fluid is a phase like any other
    runio::scriptset.exbuff = 1;
    numerics::phchoice.exbuffph = 0;
    assemblage({"fluid", "q"});
    EXPECT_EQ(unk.nmodes, 2);
    EXPECT_EQ(unk.xname[4], "fluid");
    EXPECT_TRUE(result.ph[1].show);
}

TEST_F(CrossRefs, ShowFollowsThePhaseNumberNotTheEntry)
{
    // the buffered fluid is solution phase 2 here, but the first entry when ol is absent
    setup(asmtest::olsymmetric.substr(0, asmtest::olsymmetric.size() - 3) + asmtest::h2oco2);
    numerics::phchoice.exbuffph = phaseno("fluid");
    ASSERT_EQ(numerics::phchoice.exbuffph, 2);
    assemblage({"fluid", "q"});
    EXPECT_FALSE(result.ph[1].show);
    assemblage({"ol", "q"});
    EXPECT_TRUE(result.ph[1].show);
}

TEST_F(CrossRefs, PhasesHeldBySetActivityOrMuTakeNoMode)
{
    setup(asmtest::olopx);
    runio::scripttabs.nseta = 1;
    runio::scripttabs.setaname[1] = "q";
    runio::scripttabs.nsetmu = 1;
    runio::scripttabs.setmuname[1] = "ky";
    assemblage({"ol", "q", "ky"});
    EXPECT_EQ(unk.nmodes, 1);
    EXPECT_FALSE(result.ph[2].show);
    EXPECT_FALSE(result.ph[3].show);
    EXPECT_EQ(ems.nem, 4);   // their end-members stay in the reactions
}

TEST_F(CrossRefs, ModesAfterTheSolveAreNamedButNotUnknowns)
{
    setup(asmtest::olopx);
    runio::scriptflags.modesinnle = false;
    runio::scriptflags.modesafternle = true;
    assemblage({"ol", "opx", "q"});
    EXPECT_EQ(unk.nmodes, 0);
    EXPECT_EQ(unk.xname[5], "ol");
    EXPECT_EQ(unk.xname[7], "q");
    EXPECT_TRUE(unk.xfree[7]);
}

TEST_F(CrossRefs, OrderedPhaseVariableLimitsAndTheDatasetCodesUnderModes)
{
    setup(asmtest::exampleax());
    // ol 1 var, g 2, pl 2: nvar 7, modes at 8 9 10; san (code 4) at 8
    assemblage({"ol", "g", "pl"});
    EXPECT_EQ(unk.nvar, 7);
    EXPECT_EQ(ems.emname[8], "san");
    EXPECT_EQ(ems.emcode[8], 4);
    EXPECT_EQ(ems.emcode[6], 4);   // ab
    assemblage({"ol", "opx"});
    const Unknowns& u = unk;
    // opx: x(opx) at 4, Q(opx) at 5; its four site fractions each bound it
    // by a row over both variables, the constant in column nvar + 1 = 6
    EXPECT_EQ(u.nvar, 5);
    ASSERT_EQ(u.nvarlim, 4);
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(u.xvarlim[r][3].p, 0);
        EXPECT_EQ(u.xvarlim[r][3].q, 1);
        EXPECT_NE(u.xvarlim[r][4].p, 0);
        EXPECT_NE(u.xvarlim[r][5].p, 0);
    }
    // xMgM1 = 1 - x + Q/2
    EXPECT_EQ(u.xvarlim[1][4].p * u.xvarlim[1][4].q, -1);
    EXPECT_EQ(u.xvarlim[1][5].p, 1);
    EXPECT_EQ(u.xvarlim[1][5].q, 2);
    EXPECT_EQ(u.xvarlim[1][6].p, 1);
    EXPECT_EQ(u.xvarlim[1][6].q, 1);
    EXPECT_EQ(u.xloop[5], 0);
    // fm = 1/2 en + 1/2 fa + disordered 1/2 q, made: its row is its DQF
    // (-6.6 + 0.0022 T + 0.015 P) with the increments of q taken disordered
    // (Landau Tc 848 K, Smax 0.005 kJ/K, its order at 298.15 K), and the
    // address of its recipe
    const int fm = em("fm");
    ASSERT_NE(fm, 0);
    const double q0 = std::sqrt(1.0 - 298.15 / 848.0);
    EXPECT_NEAR(ems.td[fm][thermodata::sH], -6.6 + 0.005 * 848.0 * q0 * (1.0 - q0 * q0 / 3.0), 1e-12);
    EXPECT_NEAR(ems.td[fm][thermodata::sS], -0.0022 + 0.005 * q0, 1e-15);
    EXPECT_NEAR(ems.td[fm][thermodata::sV], 0.015 + 0.119 * q0, 1e-15);
    for (int s = 4; s <= 28; ++s) EXPECT_EQ(ems.td[fm][s], 0.0) << s;
    EXPECT_EQ(ems.td[fm][thermodata::sPhase], phaseno("opx"));
    EXPECT_EQ(ems.td[fm][thermodata::sEntry], 3.0);
}

TEST_F(CrossRefs, SiteFractionsThatNoRowCoversAreChecked)
{
    // xFeM of opx as a sum of two products: not a single linear form
    setup(asmtest::replaced(asmtest::olopx, "  xFeM 1 1 0 1 1 x\n  en", "  xFeM 2 1 0 1 1/2 x 1 0 1 1/2 x\n  en"));
    assemblage({"ol", "opx", "q"});
    ASSERT_EQ(unk.nsfcheck, 1);
    EXPECT_EQ(unk.sfcheckphase[1], phaseno("opx"));
    EXPECT_EQ(unk.sfchecksite[1], 2);
    EXPECT_EQ(unk.sfcheckx[1], 4);
}

// ---------------------------------------------------------------- loops of the odometer

class Loops : public CrossRefs {
protected:
    void SetUp() override
    {
        CrossRefs::SetUp();
        setup(asmtest::olopx);
        runio::win.nplist = 6;
        runio::win.ntlist = 7;
        iso.nisovalues[2] = 3;
        bulks.nbulk = 4;
        runio::scripttabs.nseta = 2;
        runio::scripttabs.setaname[1] = "q";
        runio::scripttabs.setaname[2] = "ky";   // not in the assemblage: no loop
        runio::win.nalist[1] = 5;
        runio::scripttabs.nsetmu = 1;
        runio::scripttabs.setmuname[1] = "fo";
        runio::win.nmulist[1] = 2;
        ph.prec1[phaseno("opx")].var[1].fixed = true;
        ph.prec1[phaseno("opx")].var[1].loopindex = 2;
        assemblage({"ol", "opx", "q"});
        bool any;
        calcwindows::writereactionlists(any);
    }
    std::vector<int> loops(int variance, int calcvariable, std::string* text = nullptr)
    {
        runio::win.variance = variance;
        runio::win.calcvariable = calcvariable;
        LoopLengths lim{};
        int n = 0;
        const std::string out = asmtest::output([&] { setuploops(lim, n); });
        if (text != nullptr) *text = out;
        return std::vector<int>(lim.begin() + 1, lim.begin() + 1 + n);
    }
};

TEST_F(Loops, LengthsInDigitOrderForEachVariance)
{
    EXPECT_EQ(unk.nfixedvar, 1);
    // held x(opx), bulk points, a(q), mu(fo), then P and T
    EXPECT_EQ(loops(0, 0), (std::vector<int>{3, 4, 5, 2, 1, 1}));
    EXPECT_TRUE(unk.xfree[1] && unk.xfree[2]);
    EXPECT_EQ(loops(1, 0), (std::vector<int>{3, 4, 5, 2, 1, 7}));
    EXPECT_TRUE(unk.xfree[1]);
    EXPECT_FALSE(unk.xfree[2]);
    unk.xfree[2] = true;
    EXPECT_EQ(loops(1, 1), (std::vector<int>{3, 4, 5, 2, 6, 1}));
    EXPECT_FALSE(unk.xfree[1]);
    EXPECT_TRUE(unk.xfree[2]);
    EXPECT_EQ(loops(2, 0), (std::vector<int>{3, 4, 5, 2, 6, 7}));
    EXPECT_FALSE(unk.xfree[1] || unk.xfree[2]);
}

TEST_F(Loops, WithoutReactionsNothingDependsOnASetActivity)
{
    thermodata::rxns.nrxn = 0;
    std::string text;
    EXPECT_EQ(loops(0, 0, &text), (std::vector<int>{3, 4, 1, 1, 1, 1}));
    EXPECT_EQ(text, "equilibrium does not depend on a(q)\nequilibrium does not depend on mu(fo)\n");
}

TEST_F(Loops, AnUnknownCalcVariableStopsTheRun)
{
    const auto o = asmtest::runchild([&] { loops(1, 2); });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.bombed, "setuploops : unknown calcvariable");
}

// ---------------------------------------------------------------- capacities

class Capacities : public CrossRefs {
protected:
    // Solution phases made by copying the olivine, each with the given
    // numbers of end-members and variables, all in the assemblage.
    void copies(int count, int nems, int nvars)
    {
        if (ol.name != "ol") ol = ph.prec1[1];
        for (int k = 1; k <= count; ++k) {
            ph.prec1[k] = ol;
            ph.prec1[k].n = nems;
            ph.prec1[k].nvar = nvars;
            for (int v = 2; v <= nvars; ++v) ph.prec1[k].var[v] = ol.var[1];
            flags[k] = 1;
        }
        ph.nss = count;
        ph.npure = 0;
        ph.nph = count;
    }
    asmtest::Outcome lay()
    {
        return asmtest::runchild([&] { makecrossrefs(flags); });
    }
    PhaseFlags flags{};
    axmodels::SolPhase ol;
};

TEST_F(Capacities, EveryLimitOfTheLayOutStopsTheRun)
{
    setup(asmtest::olopx);
    copies(27, 15, 1);   // 405 end-members
    EXPECT_EQ(lay().bombed, "makecrossrefs : too many end-members");
    copies(6, 2, 14);    // 2 + 84 unknowns
    EXPECT_EQ(lay().bombed, "makecrossrefs : too many variables");
    copies(3, 2, 1);
    for (int k = 1; k <= 3; ++k) ph.prec1[k].nvarlim = 22;
    EXPECT_EQ(lay().bombed, "makecrossrefs : too many varlims");
    copies(2, 2, 1);
    for (int k = 1; k <= 2; ++k) {
        ph.prec1[k].alllinear = false;
        ph.prec1[k].nsf = 30;
    }
    const auto o = lay();
    EXPECT_EQ(o.bombed, "makecrossrefs : no site fractions not handled too big");
    EXPECT_NE(o.screen.find("shouldn't have happened"), std::string::npos) << o.screen;
    // 2 + 70 variables and 5 modes
    copies(5, 2, 14);
    EXPECT_EQ(lay().bombed, "makecrossrefs : too many modes");
    // the names of modes found after the solve are held to the same limit
    runio::scriptflags.modesinnle = false;
    runio::scriptflags.modesafternle = true;
    EXPECT_EQ(lay().bombed, "makecrossrefs : too many modes (max = 74) ");
    runio::scriptflags.modesafternle = false;
    // a variable-limit row of a full unknown list still has room for its constant
    copies(6, 2, 12);   // nvar = 74
    ph.prec1[6].nvar = 0;
    for (int k = 1; k <= 6; ++k) ph.prec1[k].nvarlim = 0;
    ph.prec1[1].nvarlim = 1;
    ph.prec1[1].varlimnum[1][2] = 7;
    ph.prec1[1].varlimden[1][2] = 1;
    for (int k = 1; k <= 6; ++k) ph.prec1[k].alllinear = true;
    ph.prec1[6].nvar = 12;
    makecrossrefs(flags);
    EXPECT_EQ(unk.nvar, 74);
    EXPECT_EQ(unk.xvarlim[1][75].p, 7);
}

TEST_F(Capacities, SixteenPhasesAreTooMany)
{
    setup(asmtest::olopx);
    ph.npure = 16;
    ph.nss = 0;
    ph.nph = 16;
    for (int p = 2; p <= 16; ++p) ph.prec0[p] = ph.prec0[1];
    for (int p = 1; p <= 16; ++p) flags[p] = 1;
    EXPECT_EQ(lay().bombed, "makecrossrefs : too many phases in the assemblage (max = 15) ");
}

}  // namespace
