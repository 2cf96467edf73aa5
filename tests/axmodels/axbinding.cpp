// What the script says about the phases of the a-x file, bound to them by
// the set-up: Monte Carlo items written into the parameters they name and
// renumbered when their phase is contracted, phases coded like another, and
// the contracted copies that batch guess blocks call for. Each case reads a
// real script file and the example a-x file (or a small one written here).
#include <gtest/gtest.h>

#include "axmodels/axmodels.h"
#include "axtest.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "script/script.h"

using namespace axmodels;
using axtest::replaced;

namespace {

const SolPhase& sol(int k) { return ph.prec1[k]; }

// The keywords every phase-diagram script needs.
const std::string head = "axfile axex\nwith ol opx g pl fluid q ky\ndiagramPT 1 10 400 800\npseudosection no\n";

void readscript(const std::string& body, const std::string& with = head)
{
    axtest::writefile("pm-ex.txt", with + body);
    runio::closeread(runio::files.infile);
    ASSERT_TRUE(runio::openread(runio::files.infile, "pm-ex.txt"));
    runio::files.scriptopen = true;
    runio::files.scriptsuffix = "ex";
    script::readscripts();
}

class Binding : public ::testing::Test {
protected:
    void SetUp() override
    {
        axtest::initrun();
        runio::run.runno = 1;
    }
    // The script, then the a-x file (the example unless given).
    void setup(const std::string& script, const std::string& ax = "", const std::string& with = head)
    {
        readscript(script, with);
        axtest::readax(ax.empty() ? axtest::exampleax() : ax);
    }
    axtest::Outcome setupchild(const std::string& script, const std::string& ax = "",
                               const std::function<void()>& between = {}, const std::string& with = head)
    {
        return axtest::runchild([&] {
            readscript(script, with);
            if (between) between();
            axtest::readax(ax.empty() ? axtest::exampleax() : ax);
        });
    }
    axtest::ScratchDir dir;
};

const runio::McRef& itemref(int i) { return runio::mcs.mcitems[i].ref; }

// ---------------------------------------------------------------- Monte Carlo binding

TEST_F(Binding, ItemsWriteTheirValuesIntoTheParameters)
{
    setup("mc g W(py,alm)c 0.1 0.02\n"
          "mc g a(gr)a 3.0 0.2\n"
          "mc opx DQF(fm)b 0.003 0.001\n"
          "mc pl W(an,san)b 0.01 0.005\n");
    // W(py,alm) is pair 1 of the garnet: its c (kJ/kbar) is the script's, a stays
    EXPECT_EQ(itemref(1).paramindex, 1);
    EXPECT_DOUBLE_EQ(sol(3).wc[1], 0.1);
    EXPECT_DOUBLE_EQ(sol(3).wa[1], 2.5);
    // van Laar size of gr, the third end-member
    EXPECT_EQ(itemref(2).paramindex, 3);
    EXPECT_DOUBLE_EQ(sol(3).sizea[3], 3.0);
    EXPECT_DOUBLE_EQ(sol(3).sizea[2], 1.0);
    // DQF of fm: b (kJ/K) replaced and marked as perturbed, a and c as read
    EXPECT_EQ(itemref(3).paramindex, 3);
    const EmRec& fm = sol(2).em[3];
    EXPECT_DOUBLE_EQ(fm.dqfb, 0.003);
    EXPECT_DOUBLE_EQ(fm.dqfa, -6.6);
    EXPECT_DOUBLE_EQ(fm.dqfc, 0.015);
    EXPECT_FALSE(fm.dqfperturbed[1]);
    EXPECT_TRUE(fm.dqfperturbed[2]);
    EXPECT_FALSE(fm.dqfperturbed[3]);
    EXPECT_FALSE(sol(2).em[2].dqfperturbed[2]);
    // W(an,san) is pair (2,3), the third of the feldspar
    EXPECT_EQ(itemref(4).paramindex, 3);
    EXPECT_DOUBLE_EQ(sol(4).wb[3], 0.01);
    EXPECT_DOUBLE_EQ(sol(4).wb[2], -0.0108);
}

TEST_F(Binding, CorrelationsFindTheirParameters)
{
    setup("mc g W(py,alm)a 2.5 0.5\nmccorr g W(py,gr)a pl W(ab,san)c 0.5\nmccorr a b 0.3\n");
    const runio::McCorr& c = runio::mcs.mccorrs[1];
    EXPECT_EQ(c.ref1.paramindex, 2);
    EXPECT_EQ(c.ref2.paramindex, 2);
    // nothing is written into the phases by a correlation
    EXPECT_DOUBLE_EQ(sol(3).wa[2], 31.0);
    EXPECT_DOUBLE_EQ(sol(4).wc[2], 0.343);
    // a correlation without parameter words names no phase parameter
    EXPECT_EQ(runio::mcs.mccorrs[2].ref1.paramindex, 0);
}

TEST_F(Binding, FindingMessages)
{
    using runio::mcs;
    struct Case {
        std::string script;
        std::function<void()> change;
        std::string bombed;
    };
    const std::string item = "mc g W(py,alm)a 2.5 0.5\n";
    const std::string corr = "mccorr g W(py,alm)a pl W(ab,an)a 0.5\n";
    auto kind = [](int k) { return [k] { mcs.mcitems[1].ref.kind = k; }; };
    const std::function<void()> badcoef = [] { mcs.mcitems[1].ref.coef = 4; };
    const std::vector<Case> cases = {
        {"mc gt W(py,alm)a 2.5 0.5\n", {}, "read : finding kp in mc (1)"},
        {"mc q W(py,alm)a 2.5 0.5\n", {}, "read : finding kp in mc (1)"},   // a pure phase has no parameters
        {item, kind(4), "read : finding kp in mc (2a)"},
        {"mc g W(py,an)a 2.5 0.5\n", {}, "read : finding kp in mc (3)"},
        {"mc g a(ab)a 1 0.1\n", {}, "read : finding kp in mc (3)"},
        {"mc g DQF(an)a 1 0.1\n", {}, "read : finding kp in mc (3)"},
        {item, badcoef, "read : finding kp in mc: bad abc code (1)"},
        {"mc g a(py)b 0 0.1\n", badcoef, "read : finding kp in mc: bad abc code (2)"},
        {"mc opx DQF(fm)a 0 1\n", badcoef, "read : finding kp in mc: bad abc code (3)"},
        {"mccorr gt W(py,alm)a pl W(ab,an)a 0.5\n", {}, "read : finding kp1 in mccorr (1)"},
        {corr, [] { mcs.mccorrs[1].ref1.kind = 0; }, "read : finding kp1 in mccorr (2)"},
        {"mccorr g W(py,an)a pl W(ab,an)a 0.5\n", {}, "read : finding kp1 in mccorr (3)"},
        // a missing second phase is reported under the first's name
        {"mccorr g W(py,alm)a plg W(ab,an)a 0.5\n", {}, "read : finding kp1 in mccorr (1)"},
        {corr, [] { mcs.mccorrs[1].ref2.kind = 5; }, "read : finding kp2 in mccorr (2)"},
        {"mccorr g W(py,alm)a pl a(py)a 0.5\n", {}, "read : finding kp2 in mccorr (3)"},
    };
    for (const Case& c : cases) EXPECT_EQ(setupchild(c.script, "", c.change).bombed, c.bombed) << c.script;
}

// Feldspar read as ab, an, san with the pairs (1,2) W(ab,an), (1,3) W(ab,san),
// (2,3) W(an,san). With ca(pl) = 0 an is dropped: ab and san are kept as 1
// and 2, and of the pairs only (1,3) is left, as pair 1.
TEST_F(Binding, ItemsRenumberedOnAContractedPhase)
{
    setup("xyzguess ca(pl) 0\nxyzguess k(pl) 0.1\n"
          "mc pl W(ab,an)a 3.0 0.5\n"
          "mc pl W(ab,san)a 24.0 1\n"
          "mc pl W(an,san)a 41.0 1\n"
          "mc pl DQF(an)a 0.5 0.1\n"
          "mc pl DQF(san)c 0.02 0.01\n"
          "mc g W(alm,gr)a 5.0 0.5\n");
    const SolPhase& pl = sol(4);
    ASSERT_EQ(pl.n, 2);
    EXPECT_EQ(pl.em[2].name, "san");
    EXPECT_EQ(itemref(1).paramindex, 0);   // ab-an: an is gone
    EXPECT_EQ(itemref(2).paramindex, 1);
    EXPECT_EQ(itemref(3).paramindex, 0);   // an-san
    EXPECT_EQ(itemref(4).paramindex, 0);   // an itself
    EXPECT_EQ(itemref(5).paramindex, 2);
    // the renumbered items address the values they wrote before the contraction
    EXPECT_EQ(pl.wname[1], "W(ab,san)");
    EXPECT_DOUBLE_EQ(pl.wa[1], 24.0);
    EXPECT_DOUBLE_EQ(pl.em[2].dqfc, 0.02);
    EXPECT_TRUE(pl.em[2].dqfperturbed[3]);
    // an item on a phase that is not contracted keeps its index
    EXPECT_EQ(itemref(6).paramindex, 3);
}

TEST_F(Binding, ItemsOnTheGarnetWithoutGrossular)
{
    // z(g) = 0: py and alm are kept, gr (3) goes; pairs (1,2) stays 1,
    // (1,3) and (2,3) go; the size of alm stays end-member 2
    setup("xyzguess x(g) 0.7\nxyzguess z(g) 0\nmc g W(py,alm)c 0.09 0.01\nmc g a(alm)a 1.1 0.1\nmc g a(gr)a 2.5 0.1\n");
    EXPECT_EQ(itemref(1).paramindex, 1);
    EXPECT_EQ(itemref(2).paramindex, 2);
    EXPECT_EQ(itemref(3).paramindex, 0);
    EXPECT_DOUBLE_EQ(sol(3).wc[1], 0.09);
    EXPECT_DOUBLE_EQ(sol(3).sizea[2], 1.1);
}

TEST_F(Binding, AtMost48ItemsOnOneContractedPhase)
{
    std::string items = "xyzguess ca(pl) 0\nxyzguess k(pl) 0.1\n";
    for (int i = 1; i <= 48; ++i) items += "mc pl W(ab,san)a 24 1\n";
    setup(items);
    EXPECT_EQ(itemref(48).paramindex, 1);
    EXPECT_EQ(setupchild(items + "mc pl DQF(san)a 0 1\n").bombed, "read : boilover in kp decrease");
}

// ---------------------------------------------------------------- same coding

// As many solution phases as the records hold: binaries ol1 .. ol80.
std::string eightybinaries()
{
    std::string ax;
    for (int k = 1; k <= maxnp; ++k) {
        const std::string name = "ol" + std::to_string(k);
        ax += replaced(replaced(axtest::binary, "ol 2 1", name + " 2 1"), "x(ol)", "x(" + name + ")");
    }
    return ax;
}

TEST_F(Binding, SameCodingCopyFollowsItsTemplate)
{
    setup("samecoding g g2 g3\nxyzguess x(g2) 0.6 sd 0.05\nxyzguess z(g2) 0.2\nmc g W(py,alm)a 3.3 0.5\n",
          "", "axfile axex\nwith ol opx g g2 pl fluid q ky\ndiagramPT 1 10 400 800\npseudosection no\n");
    // g3 has no guesses and is not used: no copy
    EXPECT_EQ(ph.nss, 6);
    EXPECT_EQ(ph.nph, 11);
    EXPECT_EQ(sol(3).name, "g");
    const SolPhase& g2 = sol(4);
    EXPECT_EQ(g2.name, "g2");
    EXPECT_EQ(sol(5).name, "pl");
    EXPECT_EQ(sol(6).name, "fluid");
    ASSERT_EQ(g2.nvar, 2);
    EXPECT_EQ(g2.var[1].name, "x(g2)");
    EXPECT_EQ(g2.var[2].name, "z(g2)");
    EXPECT_DOUBLE_EQ(g2.var[1].guess, 0.6);
    EXPECT_DOUBLE_EQ(g2.var[1].sd, 0.05);
    EXPECT_DOUBLE_EQ(g2.var[2].guess, 0.2);
    EXPECT_TRUE(g2.scriptguess);
    // the template keeps its names and guesses; the copy has its coding and
    // the Monte Carlo value written into it before the copy was made
    EXPECT_EQ(sol(3).var[1].name, "x(g)");
    EXPECT_DOUBLE_EQ(sol(3).var[1].guess, 0.8);
    EXPECT_DOUBLE_EQ(g2.wa[1], 3.3);
    EXPECT_DOUBLE_EQ(g2.sizea[3], 2.7);
    EXPECT_EQ(g2.em[3].name, "gr");
    EXPECT_EQ(g2.nsf, 3);
    // the group keeps the phases that exist, with their numbers
    const runio::SameCoding& group = runio::scripttabs.samecodings[1];
    ASSERT_EQ(group.n, 2);
    EXPECT_EQ(group.names[2], "g2");
    EXPECT_EQ(group.phaseno[1], 3);
    EXPECT_EQ(group.phaseno[2], 4);
    EXPECT_EQ(itemref(1).nphases, 3);
}

TEST_F(Binding, EachSameCodingCopyGoesRightAfterTheTemplate)
{
    setup("samecoding ol ol2 ol3\nxyzguess x(ol2) 0.2\nxyzguess x(ol3) 0.3\n");
    EXPECT_EQ(sol(1).name, "ol");
    EXPECT_EQ(sol(2).name, "ol3");
    EXPECT_EQ(sol(3).name, "ol2");
    EXPECT_EQ(sol(4).name, "opx");
    EXPECT_DOUBLE_EQ(sol(2).var[1].guess, 0.3);
    EXPECT_DOUBLE_EQ(sol(3).var[1].guess, 0.2);
    const runio::SameCoding& group = runio::scripttabs.samecodings[1];
    EXPECT_EQ(group.phaseno[2], 3);
    EXPECT_EQ(group.phaseno[3], 2);
}

TEST_F(Binding, SameCodingStops)
{
    const std::string with = "axfile axex\nwith ol ol2 opx g pl fluid q ky\ndiagramPT 1 10 400 800\npseudosection no\n";
    EXPECT_EQ(setupchild("samecoding ol ol2\n", "", {}, with).bombed,
              "setup phases : no xyzguess for samecoding phase ol2");
    // 80 solution phases: the file is full
    const std::string ax = eightybinaries();
    EXPECT_EQ(setupchild("samecoding ol1 olx\nxyzguess x(olx) 0.2\n", ax, {}, with).bombed,
              "setup phases : too many ss phases (in making samecoding phases)");
}

TEST_F(Binding, NoSameCodingCopiesWithAnOldLayoutDataset)
{
    axtest::initrun(axtest::examplenames, false);
    std::string text = axtest::exampleax();
    for (const char* phase : {"ol 2", "opx 3", "g 3", "pl 3", "fluid 2"})
        text = replaced(text, std::string(phase) + " 1\n", std::string(phase) + " 0\n");
    setup("samecoding ol ol2\nxyzguess x(ol2) 0.2\n", text);
    EXPECT_EQ(ph.nss, 5);
    EXPECT_EQ(sol(2).name, "opx");
}

// ---------------------------------------------------------------- batch copies

// One P (kbar) and one T (degrees C), T solved, the given block, no bulk.
std::string batchline(const std::string& phases, int block, const std::string& isopleths = "0")
{
    return "batch " + phases + " 2 1 1 5 600 1 " + std::to_string(block) + " 0 " + isopleths + "\n";
}

std::string block(const std::vector<std::pair<std::string, double>>& guesses)
{
    std::string text = "batchxyzguess startblock\n";
    for (const auto& [name, value] : guesses) text += "batchxyzguess " + name + " " + runio::realstr(value, 3, true) + "\n";
    return text;
}

const std::string gpl = "axfile axex\nwith g pl q ky\ndiagramPT 1 10 400 800\npseudosection no\n";

TEST_F(Binding, BatchesZeroingTheSameVariablesShareOneCopy)
{
    setup(block({{"x(g)", 0.8}, {"z(g)", 0}, {"ca(pl)", 0.4}, {"k(pl)", 0.05}}) +
              block({{"x(g)", 0.7}, {"z(g)", 0.0}, {"ca(pl)", 0.3}, {"k(pl)", 0}}) +
              block({{"x(g)", 0.8}, {"z(g)", 0.1}, {"ca(pl)", 0.4}, {"k(pl)", 0.05}}) + batchline("g pl q", 1) +
              batchline("g pl ky", 2, "1 g 1 0.75") + batchline("g pl q", 3),
          "", gpl);
    // batch 1 makes g-1, batch 2 uses it again and makes pl-1, batch 3 nothing
    ASSERT_EQ(ph.nss, 7);
    EXPECT_EQ(ph.nph, 10);
    const SolPhase& g1 = sol(6);
    EXPECT_EQ(g1.name, "g-1");
    EXPECT_EQ(sol(7).name, "pl-1");
    const runio::ScriptTables& st = runio::scripttabs;
    ASSERT_EQ(st.nwith, 6);
    EXPECT_EQ(st.withnames[5], "g-1");
    EXPECT_EQ(st.withnames[6], "pl-1");
    const auto& b = runio::batches.batchrec;
    auto uses = [&](int batch) {
        std::string names;
        for (int i = 1; i <= st.nwith; ++i)
            if (b[batch].present[i]) names += st.withnames[i] + " ";
        return names;
    };
    EXPECT_EQ(uses(1), "pl q g-1 ");
    EXPECT_EQ(uses(2), "ky g-1 pl-1 ");
    EXPECT_EQ(uses(3), "g pl q ");
    // the isopleth of batch 2 now watches the copy
    EXPECT_EQ(b[2].isophase[1], 5);
    // the copy: garnet without gr, its x from the first block that zeroed z
    EXPECT_EQ(g1.n, 2);
    ASSERT_EQ(g1.nvar, 1);
    EXPECT_EQ(g1.var[1].name, "x(g)");
    EXPECT_DOUBLE_EQ(g1.var[1].guess, 0.8);
    EXPECT_TRUE(g1.contracted);
    EXPECT_EQ(g1.nasread, 3);
    EXPECT_TRUE(g1.emkept[1] && g1.emkept[2] && !g1.emkept[3]);
    EXPECT_TRUE(g1.varnonzero[1]);
    EXPECT_FALSE(g1.varnonzero[2]);
    ASSERT_EQ(g1.nzeroed, 1);
    EXPECT_EQ(g1.zeroedname[1], "z(g)");
    EXPECT_EQ(sol(7).n, 2);
    EXPECT_EQ(sol(7).var[1].name, "ca(pl)");
    EXPECT_DOUBLE_EQ(sol(7).var[1].guess, 0.3);
    // the parents are whole, and uncontracted as a batch run wants them
    EXPECT_EQ(sol(3).n, 3);
    EXPECT_FALSE(sol(3).contracted);
    EXPECT_EQ(sol(4).n, 3);
    // the zeroes are gone from the blocks
    const runio::BatchGuess& b1 = runio::batches.batchguess[1];
    ASSERT_EQ(b1.n, 3);
    EXPECT_EQ(b1.name[1], "x(g)");
    EXPECT_EQ(b1.name[2], "ca(pl)");
    EXPECT_EQ(b1.nzero, 0);
    EXPECT_EQ(runio::batches.batchguess[2].n, 2);
    EXPECT_EQ(runio::batches.batchguess[3].n, 4);
}

TEST_F(Binding, ABlockWithoutZeroesMakesNoCopy)
{
    setup(block({{"x(g)", 0.8}, {"z(g)", 0.1}, {"ca(pl)", 0.4}, {"k(pl)", 0.05}}) + batchline("g pl q", 1) +
              batchline("g ky", 1),
          "", gpl);
    EXPECT_EQ(ph.nss, 5);
    EXPECT_EQ(runio::scripttabs.nwith, 4);
    EXPECT_EQ(runio::batches.batchguess[1].n, 4);
    EXPECT_TRUE(runio::batches.batchrec[1].present[1]);
}

TEST_F(Binding, CopyOfAPhaseContractedByItsOwnGuesses)
{
    // k(pl) = 0 in the file takes san out first; the block then zeroes ca,
    // leaving ab alone: the kept flags still count the three as read
    const std::string ax = replaced(axtest::exampleax(), "k(pl)   0.05", "k(pl)   0");
    setup(block({{"ca(pl)", 0}}) + batchline("pl q", 1), ax, gpl);
    const SolPhase& c = sol(6);
    EXPECT_EQ(c.name, "pl-1");
    EXPECT_EQ(c.n, 1);
    EXPECT_EQ(c.nvar, 0);
    EXPECT_EQ(c.nasread, 3);
    EXPECT_TRUE(c.emkept[1]);
    EXPECT_FALSE(c.emkept[2]);
    EXPECT_FALSE(c.emkept[3]);
    EXPECT_FALSE(c.varnonzero[1]);
    EXPECT_FALSE(c.varnonzero[2]);
    ASSERT_EQ(c.nzeroed, 2);
    EXPECT_EQ(c.zeroedname[1], "k(pl)");
    EXPECT_EQ(c.zeroedname[2], "ca(pl)");
    EXPECT_EQ(sol(4).n, 2);
}

// A simplex of five end-members: p(fo) = 1 - x1 - x2 - x3 - x4, p(others) = xi,
// so any set of zeroed variables leaves a consistent smaller model.
std::string simplex()
{
    std::string text = "t 5 1\nverbatim\nt: test simplex\nverbatim\n";
    for (int v = 1; v <= 4; ++v) text += " x" + std::to_string(v) + "(t) 0.1\n";
    const std::string all = " 1 1 1 4 -1 x1 -1 x2 -1 x3 -1 x4\n";
    const std::vector<std::string> ems = {"fo", "fa", "en", "py", "alm"};
    text += " p(fo)" + all;
    for (int v = 1; v <= 4; ++v) text += " p(" + ems[v] + ") 1 1 0 1 1 x" + std::to_string(v) + "\n";
    text += " ideal\n 5\n s0" + all;
    for (int v = 1; v <= 4; ++v) text += " s" + std::to_string(v) + " 1 1 0 1 1 x" + std::to_string(v) + "\n";
    for (int i = 0; i < 5; ++i) text += " " + ems[i] + " 1 1 s" + std::to_string(i) + " 1\n";
    return text + "q\n";
}

// One batch per zero pattern (bit v - 1 of the pattern zeroes xv).
std::string patterns(const std::vector<int>& masks)
{
    std::string text;
    for (int m : masks) {
        std::vector<std::pair<std::string, double>> g;
        for (int v = 1; v <= 4; ++v) g.push_back({"x" + std::to_string(v) + "(t)", (m >> (v - 1)) & 1 ? 0.0 : 0.1});
        text += block(g);
    }
    for (std::size_t b = 1; b <= masks.size(); ++b) text += batchline("t q", static_cast<int>(b));
    return text;
}

TEST_F(Binding, FourteenZeroPatternsOfOnePhase)
{
    const std::string with = "axfile axex\nwith t q\ndiagramPT 1 10 400 800\npseudosection no\n";
    std::vector<int> masks;
    for (int m = 1; m <= 14; ++m) masks.push_back(m);
    masks.push_back(3);   // the pattern of batch 3 again
    setup(patterns(masks), simplex(), with);
    ASSERT_EQ(ph.nss, 15);
    for (int k = 1; k <= 14; ++k) EXPECT_EQ(sol(k + 1).name, "t-" + std::to_string(k));
    // x1 and x2 zeroed: fo, py, alm kept with x3 and x4
    const SolPhase& t3 = sol(4);
    EXPECT_EQ(t3.n, 3);
    EXPECT_EQ(t3.var[1].name, "x3(t)");
    EXPECT_EQ(t3.em[3].name, "alm");
    const runio::ScriptTables& st = runio::scripttabs;
    EXPECT_EQ(st.nwith, 16);
    EXPECT_TRUE(runio::batches.batchrec[15].present[5]);   // t-3, after t and q
    // the fifteenth different pattern has no name left
    masks.back() = 15;
    EXPECT_EQ(setupchild(patterns(masks), simplex(), {}, with).bombed, "setupphases : too many boils");
}

TEST_F(Binding, BatchCopyStops)
{
    const std::string good = block({{"x(g)", 0.8}, {"z(g)", 0}, {"ca(pl)", 0.4}, {"k(pl)", 0.05}});
    axtest::Outcome o = setupchild(block({{"ca(pl)", 0.4}, {"k(pl)", 0.05}}) + batchline("g pl q", 1), "", {}, gpl);
    EXPECT_EQ(o.bombed, "read : can't find first var x(g)");
    EXPECT_NE(o.screen.find("\n\nproblem in starting guess block 1 - missing phase g for batch 1?\n"), std::string::npos)
        << o.screen;
    o = setupchild(good + block({{"x(g)", 0.8}, {"ca(pl)", 0.4}, {"k(pl)", 0.05}}) + batchline("g pl", 1) +
                       batchline("g pl", 2),
                   "", {}, gpl);
    EXPECT_EQ(o.bombed, "read : no last var for g");
    EXPECT_NE(o.screen.find("\nbatch   2\n"), std::string::npos) << o.screen;
    // a stretch that holds other names between the phase's first and last
    o = setupchild(block({{"x(g)", 0.8}, {"ca(pl)", 0.4}, {"z(g)", 0}, {"k(pl)", 0.05}}) + batchline("g pl", 1), "",
                   {}, gpl);
    EXPECT_EQ(o.bombed, "read : xyzguess names don't match: \"z(g)\" \"ca(pl)\"");
    // every phase of the with list must be in the a-x file
    o = setupchild(good + batchline("g pl", 1), "", {},
                   "axfile axex\nwith g pl zo\ndiagramPT 1 10 400 800\npseudosection no\n");
    EXPECT_EQ(o.bombed, "read : name fubar with zo");
    // 80 solution phases: no room for a copy
    const std::string ax = eightybinaries();
    o = setupchild(block({{"x(ol7)", 0}}) + batchline("ol7", 1), ax, {},
                   "axfile axex\nwith ol7\ndiagramPT 1 10 400 800\npseudosection no\n");
    EXPECT_EQ(o.bombed, "read : numbers of phases in boil down");
}

TEST_F(Binding, MonteCarloItemsFollowTheCopies)
{
    // Monte Carlo over batches keeps the script's guesses and items
    const std::string script = "batchdebug\n" + block({{"x(g)", 0.8}, {"z(g)", 0}, {"ca(pl)", 0.4}, {"k(pl)", 0.05}}) +
                               batchline("g pl q", 1) + "mc g W(py,alm)a 2.5 0.5\nmc pl W(ab,an)a 3 1\n" +
                               "mccorr g W(py,alm)a pl W(ab,an)a 0.5\n";
    const axtest::Outcome o = setupchild(script, "", {}, gpl);
    EXPECT_EQ(o.bombed, "");
    EXPECT_NE(o.screen.find("\nsummary of batches\n  1 :     pl      q    g-1\n"), std::string::npos) << o.screen;
    EXPECT_NE(o.screen.find("\nsummary of mc info\n     value     range\n"
                            "     2.500     0.500 by W(py,alm) in g;  also g-1\n"
                            "     3.000     1.000 by W(ab,an) in pl\n"),
              std::string::npos)
        << o.screen;
    setup(script, "", gpl);
    EXPECT_EQ(itemref(1).nphases, 2);
    EXPECT_EQ(itemref(1).phases[2], "g-1");
    EXPECT_EQ(itemref(2).nphases, 1);
    const runio::McCorr& c = runio::mcs.mccorrs[1];
    EXPECT_EQ(c.ref1.nphases, 2);
    EXPECT_EQ(c.ref1.phases[2], "g-1");
    EXPECT_EQ(c.ref2.nphases, 1);
    // an item already on 20 phases has no room for the copy
    auto full = [](runio::McRef& r) {
        r.nphases = runio::maxmcphases;
        for (int i = 2; i <= r.nphases; ++i) r.phases[i] = "other";
    };
    EXPECT_EQ(setupchild(script, "", [&] { full(runio::mcs.mcitems[1].ref); }, gpl).bombed,
              "read : number of mcphase");
    EXPECT_EQ(setupchild(script, "", [&] { full(runio::mcs.mccorrs[1].ref1); }, gpl).bombed,
              "read : number of mcphase1");
    EXPECT_EQ(setupchild(replaced(script, "mccorr g W(py,alm)a pl W(ab,an)a", "mccorr pl W(ab,an)a g W(py,alm)a"), "",
                         [&] { full(runio::mcs.mccorrs[1].ref2); }, gpl)
                  .bombed,
              "read : number of mcphase2");
}

}  // namespace
