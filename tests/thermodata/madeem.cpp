// The calculation's end-members: compositions of made end-members and the
// scaling of the composition matrix, their data rows with DQF and ordering
// increments, the constituent copies, and the covariance of their enthalpies.
// A made-up dataset of seven end-members is read with the dataset reader;
// the phases are put into the records by hand.
#include <cmath>
#include <initializer_list>

#include "axmodels/axmodels.h"
#include "dsfixture.h"
#include "thermodata/gibbs.h"

namespace {

using axmodels::ph;
using dstest::onstderr;
using thermodata::comps;
using thermodata::ems;
using ::testing::ExitedWithCode;
namespace td = thermodata;

// aa SiO2, bb Mg2SiO4, cc Mg3SiO5 (plain); xx SiO2 with Landau ordering
// (Tc 1000 K, Smax 0.005 kJ/K, Vmax 0.1 kJ/kbar); yy SiO2 with two-site
// Bragg-Williams ordering (dH 10, dHv 0.2, W 5, Wv 0.1, n 1, fac 1); kk
// K2Si O3; hh with 20000 Si, to overflow a scaled composition.
const char* const records =
    "      aa   1  1   1.0000 10   2.0000  0\n"
    "          -900.00   0.04000   2.2000\n"
    "         0.1000    0.000003000    -700.0   -1.0000\n"
    "         0.0000060   750.00     4.00   -0.00530    0\n"
    "      bb   1  5   2.0000  1   1.0000 10   4.0000  0\n"
    "         -2170.00   0.09500   4.3700\n"
    "         0.2600    0.000007000   -1750.0   -2.3800\n"
    "         0.0000285  1282.00     4.10   -0.00320    0\n"
    "      cc   1  5   3.0000  1   1.0000 10   5.0000  0\n"
    "         -2770.00   0.12000   5.5000\n"
    "         0.3300    0.000009000   -2250.0   -3.1000\n"
    "         0.0000300  1300.00     4.20   -0.00330    0\n"
    "      xx   1  1   1.0000 10   2.0000  0\n"
    "          -910.00   0.04200   2.2700\n"
    "         0.1100    0.000003000    -750.0   -1.0200\n"
    "         0.0000063   731.00     6.00   -0.00821    1   1000   0.00500    0.1000\n"
    "      yy   1  1   1.0000 10   2.0000  0\n"
    "          -905.00   0.04300   2.3000\n"
    "         0.1100    0.000003000    -750.0   -1.0200\n"
    "         0.0000063   731.00     6.00   -0.00821    2  10.00 0.2000   5.00 0.1000     1   1.00\n"
    "      kk   1  9   2.0000  1   1.0000 10   3.0000  0\n"
    "         -1550.00   0.14000   5.0000\n"
    "         0.2000    0.000005000   -1000.0   -1.5000\n"
    "         0.0000250   500.00     4.00   -0.00800    0\n"
    "      hh   1  1 20000.0000 10 40000.0000  0\n"
    "         -9000.00   0.40000  22.0000\n"
    "         1.0000    0.000030000   -7000.0  -10.0000\n"
    "         0.0000060   750.00     4.00   -0.00530    0\n";
constexpr int ndsem = 7;

// Covariances of the file: variances 0.25 i, covariances 0.03125 (i + j),
// all exact in single precision.
double dscov(int i, int j) { return i == j ? 0.25 * i : 0.03125 * (i + j); }

std::string datasetfile()
{
    std::string s = "   7    made-up dataset for the made end-member tests\n  \n5\n";
    s += records;
    s += "\n  0.0000";
    for (int i = 1; i <= ndsem; ++i)
        for (int j = i; j <= ndsem; ++j) s += " " + std::to_string(dscov(i, j));
    s += "\n\npm-ds6m.txt produced at 10.00 on Mon 3 Jun,2024 (sigfit =  1.000)\n";
    return s;
}

int dspos(const std::string& name)
{
    static const char* const names[] = {"", "aa", "bb", "cc", "xx", "yy", "kk", "hh"};
    for (int i = 1; i <= ndsem; ++i)
        if (name == names[i]) return i;
    return 0;
}

struct Part {
    const char* name;
    int num;
    int kind;   // 0 equilibrium, 1 disordered, 2 ordered, 4 not given
};

class MadeEm : public dstest::DsDir {
protected:
    void SetUp() override
    {
        DsDir::SetUp();
        ph.prec1.assign(axmodels::maxnp + 1, axmodels::SolPhase{});
        ph.prec0.assign(axmodels::maxphases + 1, axmodels::PurePhase{});
        ph.nss = ph.npure = ph.nph = 0;
        runio::run.calcmode = 0;
        runio::run.runno = 2;
        dataset("6m", datasetfile());
    }
    // A solution phase of the given end-members.
    axmodels::SolPhase& solution(const std::string& name, std::initializer_list<const char*> ems)
    {
        axmodels::SolPhase& s = ph.prec1[++ph.nss];
        s.name = name;
        s.n = 0;
        for (const char* e : ems) s.em[++s.n].name = e;
        ++ph.nph;
        return s;
    }
    axmodels::PurePhase& pure(const std::string& name, const std::string& emname)
    {
        axmodels::PurePhase& p = ph.prec0[++ph.npure];
        p.name = name;
        p.emname = emname;
        ++ph.nph;
        return p;
    }
    static void make(axmodels::MakeRecipe& mk, int divisor, std::initializer_list<Part> parts)
    {
        mk.count = 0;
        mk.divisor = divisor;
        for (const Part& p : parts) {
            const auto j = static_cast<std::size_t>(++mk.count);
            mk.cname[j] = p.name;
            mk.num[j] = p.num;
            mk.kind[j] = p.kind;
        }
    }
    // The set-up sequence of the end-member calculations.
    static void compositions()
    {
        td::readds(1);
        td::makename(td::DropList{});
        td::readds(2);
        td::makeemc();
    }
    static void datarows()
    {
        td::readds(3);
        td::setupemdata();
    }
    static int c(const std::string& comp, int g)
    {
        for (int i = 1; i <= comps.ncomp; ++i)
            if (comps.compname[i] == comp) return comps.c[i][g];
        return -99999;
    }
    static long long mult(const std::string& comp)
    {
        for (int i = 1; i <= comps.ncomp; ++i)
            if (comps.compname[i] == comp) return comps.compmult[i];
        return -1;
    }
};

const td::TdRow& slots(int phase, int e) { return ph.prec1[phase].em[e].slots; }

// ---------------------------------------------------------------- compositions

TEST_F(MadeEm, AHalfOfTwoEndMembersWithWholeSums)
{
    // 1/2 aa + 1/2 bb: SiO2 1 + 1 and MgO 0 + 2 over 2 are whole already.
    axmodels::SolPhase& s = solution("ph", {"aa", "bb", "m"});
    make(s.em[3].make, 2, {{"aa", 1, 4}, {"bb", 1, 4}});
    compositions();
    EXPECT_EQ(comps.ncomp, 2);
    EXPECT_EQ(c("SiO2", 3), 1);
    EXPECT_EQ(c("MgO", 3), 1);
    EXPECT_EQ(mult("MgO"), 1);
    EXPECT_EQ(c("MgO", 2), 2);
    EXPECT_EQ(s.em[3].comp[2], c("MgO", 3));
}

TEST_F(MadeEm, AnOddSumDoublesTheRowOfItsComponent)
{
    // 1/2 aa + 1/2 cc: MgO 0 + 3 = 3 has no factor in common with 2, so the
    // MgO row doubles for every end-member and its multiplier becomes 2.
    axmodels::SolPhase& s = solution("ph", {"aa", "bb", "m"});
    make(s.em[3].make, 2, {{"aa", 1, 4}, {"cc", 1, 4}});
    pure("c3", "cc");
    compositions();
    EXPECT_EQ(mult("MgO"), 2);
    EXPECT_EQ(mult("SiO2"), 1);
    EXPECT_EQ(c("MgO", 1), 0);
    EXPECT_EQ(c("MgO", 2), 4);
    EXPECT_EQ(c("MgO", 3), 3);
    EXPECT_EQ(c("MgO", 4), 6);
    EXPECT_EQ(c("SiO2", 3), 1);
    EXPECT_EQ(ph.prec0[1].comp[2], 6);
    EXPECT_EQ(comps.nfreeox, 2);
    EXPECT_EQ(comps.ncompsave, 2);
}

TEST_F(MadeEm, AComponentNoCalculationEndMemberHoldsIsDropped)
{
    // kk (the only K2O carrier) enters the working list as a constituent
    // with a coefficient of 0, so no end-member of the calculation holds K2O.
    axmodels::SolPhase& s = solution("ph", {"aa", "m"});
    make(s.em[2].make, 1, {{"bb", 1, 4}, {"kk", 0, 4}});
    compositions();
    EXPECT_EQ(comps.ncomp, 2);
    EXPECT_EQ(comps.ncomp0, 2);
    EXPECT_EQ(c("K2O", 1), -99999);
    EXPECT_EQ(c("MgO", 2), 2);
}

TEST_F(MadeEm, AmountsThatDoNotFitTheMatrixStopTheRunNamingTheEndMember)
{
    // Unscaled: 20000 x 2 MgO.
    axmodels::SolPhase& s = solution("ph", {"aa", "big"});
    make(s.em[2].make, 1, {{"bb", 20000, 4}});
    EXPECT_EXIT(onstderr([] { compositions(); }), ExitedWithCode(1),
                "make emc : the amount of MgO in big does not fit the composition matrix \\(max = 32767\\)");
    // Scaled: 1/3 aa makes the SiO2 row three times larger, and hh's 20000 with it.
    make(s.em[2].make, 3, {{"aa", 1, 4}});
    s.em[1].name = "hh";
    EXPECT_EXIT(onstderr([] { compositions(); }), ExitedWithCode(1),
                "make emc : the amount of SiO2 in hh does not fit the composition matrix \\(max = 32767\\)");
}

// ---------------------------------------------------------------- data rows

TEST_F(MadeEm, PlainEndMembersTakeTheirDatasetRows)
{
    solution("ph", {"aa", "xx"});
    pure("y", "yy");
    compositions();
    datarows();
    EXPECT_EQ(ems.nemsave, 3);
    EXPECT_EQ(ems.nem, 3);
    EXPECT_DOUBLE_EQ(slots(1, 1)[td::sH], -900.0);
    EXPECT_DOUBLE_EQ(slots(1, 2)[td::sTc], 1000.0);
    EXPECT_DOUBLE_EQ(slots(1, 2)[td::sSmax], 0.005);
    EXPECT_DOUBLE_EQ(ph.prec0[1].slots[td::sBWn], 1.0);
    EXPECT_DOUBLE_EQ(ph.prec0[1].slots[td::sBWdH], 10.0);
    // the Einstein temperature of the reader: 10636 / (1000 S / atoms + 6.44), atoms 3
    EXPECT_DOUBLE_EQ(slots(1, 1)[td::sTheta], std::nearbyint(10636.0 / (40.0 / 3.0 + 6.44)));
}

TEST_F(MadeEm, OrderedAndDisorderedLandauConstituents)
{
    axmodels::SolPhase& s = solution("ph", {"aa", "mo", "md"});
    make(s.em[2].make, 1, {{"xx", 1, 2}});
    s.em[2].dqfa = -1.0;
    s.em[2].dqfb = 0.002;
    s.em[2].dqfc = 0.03;
    make(s.em[3].make, 1, {{"xx", 1, 1}});
    compositions();
    datarows();
    // Q0 = sqrt(1 - 298.15/1000) = 0.83776...: ordered, H gains
    // Smax 1000 (0.83776 (1 - 0.23395) - 2/3) = 0.005 x 1000 x (-0.024897).
    const double q = std::sqrt(1.0 - 298.15 / 1000.0);
    EXPECT_NEAR(q, 0.83776, 1e-5);
    const td::TdRow& mo = slots(1, 2);
    EXPECT_NEAR(mo[td::sH] - (-1.0), 5.0 * (-0.024897), 5e-6);   // the worked value has 5 figures
    EXPECT_NEAR(mo[td::sS], -0.002 + 0.005 * (q - 1.0), 1e-15);
    EXPECT_NEAR(mo[td::sV], 0.03 + 0.1 * (q - 1.0), 1e-15);
    EXPECT_DOUBLE_EQ(mo[td::sCpa], 0.0);
    // Disordered: H Smax Tc Q (1 - Q^2/3), S Smax Q, V Vmax Q.
    const td::TdRow& md = slots(1, 3);
    EXPECT_NEAR(md[td::sH], 5.0 * q * (1.0 - q * q / 3.0), 1e-12);
    EXPECT_NEAR(md[td::sS], 0.005 * q, 1e-15);
    EXPECT_NEAR(md[td::sV], 0.1 * q, 1e-15);
    EXPECT_DOUBLE_EQ(md[td::sTc], 0.0);
}

TEST_F(MadeEm, DisorderedBraggWilliamsConstituent)
{
    axmodels::SolPhase& s = solution("ph", {"aa", "m"});
    make(s.em[2].make, 1, {{"yy", 1, 1}});
    compositions();
    datarows();
    // n = 1, fac = 1: s = R (ln 1/2 + ln 1/2) = -2 R ln 2 = -0.0115262, so S
    // grows by 0.0115262 (hand-worked, 6 figures).
    const td::TdRow& m = slots(1, 2);
    EXPECT_NEAR(m[td::sS], 0.0115262, 1e-7);
    EXPECT_DOUBLE_EQ(m[td::sH], 10.0);
    EXPECT_DOUBLE_EQ(m[td::sV], 0.2);
    EXPECT_DOUBLE_EQ(m[td::sBWn], 0.0);
}

TEST_F(MadeEm, ConstituentCopiesAreSharedByNameAndAction)
{
    axmodels::SolPhase& s = solution("ph", {"aa", "d1", "d2", "o1", "e1"});
    make(s.em[2].make, 2, {{"xx", 1, 1}, {"aa", 1, 4}});
    make(s.em[3].make, 1, {{"xx", 2, 1}});
    make(s.em[4].make, 1, {{"xx", 1, 2}});
    make(s.em[5].make, 1, {{"xx", 1, 0}});
    compositions();
    datarows();
    const auto& mk = [&](int e) -> const axmodels::MakeRecipe& { return s.em[e].make; };
    EXPECT_EQ(mk(2).pos[1], 400);
    EXPECT_EQ(mk(2).pos[2], 399);
    EXPECT_EQ(mk(3).pos[1], 400);   // xx disordered again: the same copy
    EXPECT_EQ(mk(4).pos[1], 398);   // xx ordered: a copy of its own
    EXPECT_EQ(mk(5).pos[1], 397);
    // aa has no ordering and no action: plain.
    EXPECT_EQ(mk(2).kind[2], 3);
    EXPECT_EQ(ems.emname[400], "xx");
    EXPECT_EQ(ems.emname[399], "aa");
    EXPECT_DOUBLE_EQ(ems.td[400][td::sH], -910.0);
    EXPECT_DOUBLE_EQ(ems.td[400][td::sSmax], 0.0);
    EXPECT_DOUBLE_EQ(ems.td[398][td::sTc], 0.0);
    // At equilibrium the copy keeps its ordering.
    EXPECT_DOUBLE_EQ(ems.td[397][td::sTc], 1000.0);
    EXPECT_DOUBLE_EQ(ems.td[397][td::sSmax], 0.005);

    // The Gibbs energy of a made end-member: its DQF and increments plus its
    // constituents' copies, 2 xx disordered here (xx with its Landau terms
    // taken out, so a solid of its own data).
    ems.td[5] = s.em[3].slots;
    ems.td[5][td::sPhase] = 1;
    ems.td[5][td::sEntry] = 3;
    ems.emname[5] = "d2";
    double g, gxx;
    td::gemmake(5, g, 10.0, 900.0);
    td::gem(400, gxx, 10.0, 900.0);
    const td::TdRow& d2 = s.em[3].slots;
    EXPECT_NEAR(g, d2[td::sH] - 900.0 * d2[td::sS] + 10.0 * d2[td::sV] + 2.0 * gxx, 1e-9);
}

TEST_F(MadeEm, ActionsMustMatchTheOrderingOfTheConstituent)
{
    axmodels::SolPhase& s = solution("ph", {"bb", "m"});
    make(s.em[2].make, 1, {{"aa", 1, 2}});
    EXPECT_EXIT(onstderr([] {
                    compositions();
                    datarows();
                }),
                ExitedWithCode(1),
                "in the make for m, problem with aa\n\n-- run bombed in domake : action specified for a non-od "
                "end-member");
    make(s.em[2].make, 1, {{"xx", 1, 4}});
    EXPECT_EXIT(onstderr([] {
                    compositions();
                    datarows();
                }),
                ExitedWithCode(1),
                "in the make for m, problem with xx\n\n-- run bombed in domake : action for od end-member not "
                "specified");
}

TEST_F(MadeEm, OneConstituentRecipeWithAChargedConstituentIsMadeAsUsual)
{
    // Only a pair of charged species is a compound: a single constituent
    // carrying a charge number has no partner to be read.
    axmodels::SolPhase& s = solution("ph", {"aa", "m"});
    make(s.em[2].make, 1, {{"bb", 1, 4}});
    compositions();
    td::readds(3);
    ems.td[td::emposition("bb")][td::sZ1] = 1.0;
    td::setupemdata();
    EXPECT_EQ(s.em[2].make.count, 1);
    EXPECT_EQ(s.em[2].make.pos[1], 400);
}

TEST_F(MadeEm, TwoChargedConstituentsMakeOneRowAndASymmetricMatrix)
{
    axmodels::SolPhase& s = solution("ph", {"aa", "m"});
    make(s.em[2].make, 2, {{"bb", 1, 4}, {"cc", 1, 4}});
    pure("x", "xx");
    compositions();
    td::readds(3);
    ems.td[td::emposition("bb")][td::sZ1] = 1.0;   // taken as charged species
    ems.td[td::emposition("cc")][td::sZ1] = 1.0;
    td::setupemdata();
    EXPECT_EQ(s.em[2].make.count, 0);
    EXPECT_DOUBLE_EQ(s.em[2].slots[td::sH], (-2170.0 - 2770.0) / 2.0);
    EXPECT_DOUBLE_EQ(s.em[2].slots[td::sCpd], (-2.38 - 3.1) / 2.0);
    EXPECT_DOUBLE_EQ(s.em[2].slots[td::sAlpha0], 0.0);
    // variance of (bb + cc)/2 and its covariance with xx, both ways round
    EXPECT_DOUBLE_EQ(ems.covat(2, 2), 0.25 * (0.5 + 2 * 0.03125 * 5 + 0.75));
    EXPECT_DOUBLE_EQ(ems.covat(2, 3), 0.5 * (0.03125 * 6 + 0.03125 * 7));
    EXPECT_DOUBLE_EQ(ems.covat(3, 2), ems.covat(2, 3));
}

// ---------------------------------------------------------------- covariance

TEST_F(MadeEm, CovarianceOfMadeEndMembers)
{
    // m = 1/2 aa + 3/2 bb; n = 2 cc - 1 aa; plain aa and the pure phase cc.
    axmodels::SolPhase& s = solution("ph", {"aa", "m", "n"});
    make(s.em[2].make, 2, {{"aa", 1, 4}, {"bb", 3, 4}});
    make(s.em[3].make, 1, {{"cc", 2, 4}, {"aa", -1, 4}});
    pure("c3", "cc");
    compositions();
    datarows();
    const int a = dspos("aa"), b = dspos("bb"), cc = dspos("cc");
    // var(a A + b B) = a^2 var A + 2ab cov(A, B) + b^2 var B
    EXPECT_DOUBLE_EQ(ems.covat(2, 2), 0.25 * dscov(a, a) + 2 * 0.5 * 1.5 * dscov(a, b) + 2.25 * dscov(b, b));
    EXPECT_DOUBLE_EQ(ems.covat(3, 3), 4 * dscov(cc, cc) - 4 * dscov(cc, a) + dscov(a, a));
    // cov(m, n) = sum over the constituents of both
    EXPECT_DOUBLE_EQ(ems.covat(2, 3), 0.5 * 2 * dscov(a, cc) - 0.5 * dscov(a, a) + 1.5 * 2 * dscov(b, cc) -
                                          1.5 * dscov(b, a));
    // with the plain end-members
    EXPECT_DOUBLE_EQ(ems.covat(1, 2), 0.5 * dscov(a, a) + 1.5 * dscov(a, b));
    EXPECT_DOUBLE_EQ(ems.covat(4, 3), 2 * dscov(cc, cc) - dscov(cc, a));
    EXPECT_DOUBLE_EQ(ems.covat(1, 4), dscov(a, cc));
    for (int i = 1; i <= 4; ++i)
        for (int j = 1; j <= 4; ++j) EXPECT_DOUBLE_EQ(ems.covat(i, j), ems.covat(j, i)) << i << " " << j;
    EXPECT_EQ(s.em[2].covrow.size(), static_cast<std::size_t>(td::maxem + 1));
}

TEST_F(MadeEm, AnAsymmetricMatrixIsAnInternalError)
{
    solution("ph", {"aa", "bb"});
    compositions();
    td::readds(3);
    ems.covat(1, 2) += 0.001;
    EXPECT_EXIT(onstderr([] { td::setupemdata(); }), ExitedWithCode(1),
                "-- run bombed in finishcov : matrix not symmetric\n(.|\n)*This shouldn't have happened");
}

// ---------------------------------------------------------------- old layout

const char* const oldfile =
    "   3    old layout\n"
    "  \n"
    "      fo   1  5   2.0000  1   1.0000 10   4.0000  0\n"
    "    -2174.30   0.09500   4.3660    0.2590  0.000007000   -1750.0   -2.3800   0.0000385  10.00  1282.00   4.10  -0.150    0\n"
    "       q   1  1   1.0000 10   2.0000  0\n"
    "     -910.70   0.04150   2.2690    0.1110  0.000003000    -750.0   -1.0200   0.0000085  10.00   731.00   6.00  -0.150    1    848   0.00500    0.1190\n"
    "      en   1  5   2.0000  1   2.0000 10   6.0000  0\n"
    "    -3093.04   0.13300   6.2620    0.3700  0.000010000   -2500.0   -3.4000   0.0000311  10.00  1068.00   8.00  -0.150    0\n"
    "\n"
    "  0.0000  0.25 0.0625 0.03125 0.5 0.0625 0.75\n"
    "\n"
    "pm-ds5m.txt old (sigfit =  1.000)\n";

TEST_F(MadeEm, OldLayoutMadeRowsMixTheConstituentData)
{
    dataset("5m", oldfile);
    axmodels::SolPhase& s = solution("ph", {"en", "enm"});
    make(s.em[2].make, 2, {{"fo", 1, 4}, {"q", 2, 4}});
    s.em[2].dqfa = -10.0;
    compositions();
    datarows();
    const td::TdRow& m = slots(1, 2);
    // 1/2 fo + q, with the Landau increments of q times its coefficient 1
    const double q = std::sqrt(1.0 - 298.15 / 848.0);
    const double v = 0.5 * 4.366 + 2.269 + 0.119 * q;
    EXPECT_NEAR(m[td::sH], 0.5 * -2174.3 - 910.7 - 10.0 + 0.005 * 848.0 * q * (1.0 - q * q / 3.0), 1e-9);
    EXPECT_NEAR(m[td::sS], 0.5 * 0.095 + 0.0415 + 0.005 * q, 1e-12);
    EXPECT_NEAR(m[td::sV], v, 1e-12);
    EXPECT_NEAR(m[td::sAlpha0], (0.5 * 4.366 * 3.85e-5 + 2.269 * 8.5e-6) / v, 1e-15);
    EXPECT_DOUBLE_EQ(m[td::sKappa0], 10.0);
    EXPECT_NEAR(m[td::sKappa0pp], v / (0.5 * 4.366 / 1282.0 + 2.269 / 731.0), 1e-9);
    EXPECT_DOUBLE_EQ(m[td::sTheta], 4.10);
    EXPECT_DOUBLE_EQ(m[td::sTc], 0.0);
    // no constituent copies in the old layout
    EXPECT_EQ(s.em[2].make.pos[1], 0);

    make(s.em[2].make, 2, {{"fo", 1, 4}, {"q", 0, 4}});
    EXPECT_EXIT(onstderr([] {
                    compositions();
                    datarows();
                }),
                ExitedWithCode(1), "makeemtd : coeff=0 no longer implemented");
}

}  // namespace
