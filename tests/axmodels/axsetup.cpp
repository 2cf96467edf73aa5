// The phase set-up after the reading: bounds and scalings, variable limits,
// fluids, script guesses, contraction and the consistency checks; every
// broken model stops the run with its own text.
#include <gtest/gtest.h>

#include "axmodels/axmodels.h"
#include "axtest.h"
#include "calcwindows/calcwindows.h"
#include "runio/runio.h"
#include "runio/scriptset.h"

using namespace axmodels;
using axtest::replaced;

namespace {

const SolPhase& sol(int k) { return ph.prec1[k]; }

class Setup : public ::testing::Test {
protected:
    void SetUp() override { axtest::initrun(); }
    std::string example() const { return axtest::exampleax(); }
    axtest::ScratchDir dir;
};

void expectvar(const XyzVar& v, double lo, int lokind, double hi, int hikind)
{
    EXPECT_DOUBLE_EQ(v.lower, lo) << v.name;
    EXPECT_EQ(v.lokind, lokind) << v.name;
    EXPECT_DOUBLE_EQ(v.upper, hi) << v.name;
    EXPECT_EQ(v.hikind, hikind) << v.name;
    // the unknown u = x scale + offset runs from 0 to 1 over the bounds
    EXPECT_DOUBLE_EQ(v.scale, 1.0 / (hi - lo)) << v.name;
    EXPECT_DOUBLE_EQ(v.offset, -lo / (hi - lo)) << v.name;
    EXPECT_DOUBLE_EQ(v.typsize, 0.0001 / (hi - lo)) << v.name;
    EXPECT_FALSE(v.fixed);
}

void expectrow(const SolPhase& s, int r, std::vector<runio::Arr<int, 2>> cols)
{
    for (int c = 1; c <= static_cast<int>(cols.size()); ++c) {
        EXPECT_EQ(s.varlimnum[r][c], cols[c - 1][0]) << s.name << " row " << r << " column " << c;
        EXPECT_EQ(s.varlimden[r][c], cols[c - 1][1]) << s.name << " row " << r << " column " << c;
    }
}

TEST_F(Setup, BoundsFromSingleProductSiteFractions)
{
    axtest::readax(example());
    // olivine: xFeM = x (x > 0) and xMgM = 1 - x (x < 1), both strict
    expectvar(sol(1).var[1], 0.0, 4, 1.0, 4);
    // opx: its site fractions are two-term forms, so no bound: [0, 1]
    // inclusive for x, the file's range for Q
    expectvar(sol(2).var[1], 0.0, 1, 1.0, 1);
    expectvar(sol(2).var[2], -1.0, 1, 1.0, 1);
    expectvar(sol(3).var[1], 0.0, 4, 1.0, 4);
    expectvar(sol(3).var[2], 0.0, 4, 1.0, 4);
    // pl: xSiT = 3/4 - ca/4 bounds ca at 3, which is cut back to 1 (still strict)
    expectvar(sol(4).var[1], 0.0, 4, 1.0, 4);
    expectvar(sol(4).var[2], 0.0, 4, 1.0, 1);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_DOUBLE_EQ(sol(k).modeconst[0], 0.6666667);
        EXPECT_DOUBLE_EQ(sol(k).modeconst[1], 0.1666667);
        EXPECT_DOUBLE_EQ(sol(k).modestart, -1.0);
    }
}

TEST_F(Setup, VariableLimitRows)
{
    axtest::readax(example());
    // opx: one row per two-term form, constant in column n = 3
    const SolPhase& opx = sol(2);
    EXPECT_TRUE(opx.alllinear);
    ASSERT_EQ(opx.nvarlim, 4);
    expectrow(opx, 1, {{-1, 1}, {1, 2}, {1, 1}});
    expectrow(opx, 2, {{1, 1}, {-1, 2}, {0, 1}});
    expectrow(opx, 3, {{-1, 1}, {-1, 2}, {1, 1}});
    expectrow(opx, 4, {{1, 1}, {1, 2}, {0, 1}});
    EXPECT_EQ(sol(3).nvarlim, 0);   // every form of the garnet has one term
    ASSERT_EQ(sol(4).nvarlim, 1);
    expectrow(sol(4), 1, {{-1, 1}, {-1, 1}, {1, 1}});
    for (int j = 1; j <= sol(4).nsf; ++j) EXPECT_TRUE(sol(4).sflinear[j]);
}

TEST_F(Setup, RowsAreStoredOnceAndAtMost22)
{
    // a = 1 - x - y is a row; more site fractions are appended to the three
    auto phase = [](const std::vector<std::string>& extra) {
        std::string text = "t 3 1 verbatim\nverbatim\n x(t) 0.1\n y(t) 0.1\n p(fo) 1 1 1 2 -1 x -1 y\n"
                           " p(fa) 1 1 0 1 1 x\n p(en) 1 1 0 1 1 y\n ideal\n " +
                           std::to_string(extra.size() + 3) + "\n a 1 1 1 2 -1 x -1 y\n b 1 1 0 1 1 x\n c 1 1 0 1 1 y\n";
        for (std::size_t r = 0; r < extra.size(); ++r) text += " r" + std::to_string(r) + " 1 1 " + extra[r] + "\n";
        return text + " fo 1 1 a 1\n fa 1 1 b 1\n en 1 1 c 1\n";
    };
    // the same form again adds nothing; 1/2 and 2/4 are different rows as written
    axtest::readax(phase({"1 2 -1 x -1 y", "1/2 2 -1/2 x -1/2 y", "2/4 2 -2/4 x -2/4 y"}));
    EXPECT_EQ(sol(1).nvarlim, 3);
    std::vector<std::string> rows;
    for (int r = 1; r <= 22; ++r) rows.push_back("1 2 -1/" + std::to_string(r + 1) + " x -1 y");
    rows.pop_back();
    axtest::readax(phase(rows));
    EXPECT_EQ(sol(1).nvarlim, 22);
    rows.push_back("1 2 -1/23 x -1 y");
    const axtest::Outcome o = axtest::runchild([&] {
        runio::openoutfile("pm-log", ".txt", runio::chlog);
        runio::chans.chanset |= runio::mlog;
        axtest::readax(phase(rows));
    });
    EXPECT_EQ(o.bombed, "setvarlim : increase mmaxnvarlim");
    EXPECT_NE(axtest::readfile("pm-log.txt").find("\n\xA5\xA5 insufficient space to store variable limits...\n"),
              std::string::npos);
}

TEST_F(Setup, FluidSpeciesTable)
{
    axtest::readax(example());
    const FluidSpecies& f = ph.fluidspecies;
    EXPECT_EQ(f.n, 8);
    EXPECT_EQ(f.name[1], "H2O");
    EXPECT_EQ(f.name[6], "O2");
    EXPECT_EQ(f.name[8], "S2");
    EXPECT_DOUBLE_EQ(f.pcrit[3], 0.046);
    EXPECT_DOUBLE_EQ(f.tcrit[3], 190.6);
    EXPECT_DOUBLE_EQ(f.pcrit[7], 0.0893);
    EXPECT_DOUBLE_EQ(f.tcrit[8], 259.6);
    EXPECT_DOUBLE_EQ(f.pcrit[1], 0.0);
    EXPECT_DOUBLE_EQ(f.w[1][2], 10.5);
    EXPECT_DOUBLE_EQ(f.w[2][1], 10.5);
    EXPECT_DOUBLE_EQ(f.w[7][3], 4.15);
    EXPECT_DOUBLE_EQ(f.w[2][7], 0.045);
    EXPECT_DOUBLE_EQ(f.w[4][5], 0.3);
    for (int i = 1; i <= 8; ++i) EXPECT_DOUBLE_EQ(f.w[6][i], 0.0);   // O2 mixes ideally
    EXPECT_EQ(calcwindows::win.fluidtype, 0);
    for (int k = 1; k <= 4; ++k)
        for (int i = 1; i <= sol(k).n; ++i) EXPECT_EQ(sol(k).em[i].fluidindex, 0);
}

std::string fluidof(const std::vector<std::string>& ems, const std::string& name = "fluid",
                    const std::string& model = "ideal")
{
    // ems.size() - 1 variables x1..: p(em1) = 1 - sum, p(em i+1) = x i
    const int n = static_cast<int>(ems.size());
    std::string text = name + " " + std::to_string(n) + " 1 verbatim\nverbatim\n";
    // 1 - x1 - x2 ...: one product for every twelve variables
    const int nprod = (n - 1 + 11) / 12;
    std::string all = " " + std::to_string(nprod);
    for (int v = 1; v < n; ++v) {
        text += " x" + std::to_string(v) + "(f) " + std::to_string(0.5 / n) + "\n";
        if ((v - 1) % 12 == 0)
            all += std::string(v == 1 ? " 1 1 " : " 1 0 ") + std::to_string(std::min(12, n - v));
        all += " -1 " + std::to_string(v);
    }
    text += " p(" + ems[0] + ")" + all + "\n";
    for (int v = 1; v < n; ++v) text += " p(" + ems[v] + ") 1 1 0 1 1 " + std::to_string(v) + "\n";
    text += " " + model + "\n";
    if (model != "ideal")
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) text += " W(" + ems[i] + "," + ems[j] + ") 0 0 0\n";
    text += " " + std::to_string(n) + "\n s0" + all + "\n";
    for (int v = 1; v < n; ++v) text += " s" + std::to_string(v) + " 1 1 0 1 1 " + std::to_string(v) + "\n";
    for (int i = 0; i < n; ++i) text += " " + ems[i] + " 1 1 s" + std::to_string(i) + " 1\n";
    return text;
}

TEST_F(Setup, FluidPairListWalksEveryInnerIndexFromTwo)
{
    axtest::initrun({"H2O", "CO2", "CH4", "O2", "q", "S2"});
    axtest::readax(fluidof({"H2O", "CO2", "CH4"}));
    const SolPhase& f = sol(1);
    ASSERT_EQ(f.ngterm, 4);
    EXPECT_EQ(f.gterm[1], (runio::Arr<int, 3>{1, 1, 2}));
    EXPECT_EQ(f.gterm[2], (runio::Arr<int, 3>{2, 1, 3}));
    EXPECT_EQ(f.gterm[3], (runio::Arr<int, 3>{3, 2, 2}));
    EXPECT_EQ(f.gterm[4], (runio::Arr<int, 3>{4, 2, 3}));
    EXPECT_EQ(f.em[3].fluidindex, 3);
    // a phase named fl... is neither fluid nor aqueous, and may hold species
    axtest::readax(fluidof({"H2O", "CO2"}, "flx"));
    EXPECT_FALSE(sol(1).fluid);
    EXPECT_EQ(sol(1).model, 0);
}

TEST_F(Setup, AqueousPhases)
{
    axtest::initrun({"H2O", "CO2", "CH4", "q", "fo"});
    runio::run.calcmode = 0;
    axtest::readax(fluidof({"H2O", "CO2"}, "aqs", "sf"));
    EXPECT_TRUE(sol(1).aqueous);
    EXPECT_EQ(sol(1).model, 2);
    ASSERT_EQ(sol(1).ngterm, 2);
    EXPECT_EQ(sol(1).gterm[1], (runio::Arr<int, 3>{1, 1, 2}));
    EXPECT_EQ(sol(1).gterm[2], (runio::Arr<int, 3>{1, 1, 2}));
    axtest::readax(fluidof({"H2O", "fo"}, "aqs"));
    EXPECT_EQ(sol(1).ngterm, 0);   // no CO2: the list is kept as it is

    struct Case {
        std::string text, bombed;
    };
    const std::vector<Case> cases = {
        {fluidof({"CO2", "H2O"}, "aqs"), "read : 1st H2O-CO2 aq end-member must be \"H2O\""},
        {fluidof({"H2O", "fo", "CO2"}, "aqs"), "read : 2nd H2O-CO2 aq end-member must be \"CO2\""},
        {replaced(fluidof({"H2O", "CO2"}, "aqs", "sf"), "W(H2O,CO2) 0", "W(H2O,CO2) 1"),
         "read : set W(H2O-CO2) = 0 (its value is then hard-wired)"},
        {fluidof({"H2O", "CH4"}, "aqs"), "read : fluid name in aq not just H2O and CO2"},
    };
    for (const Case& c : cases) EXPECT_EQ(axtest::readaxchild(c.text).bombed, c.bombed) << c.bombed;

    runio::run.calcmode = 1;
    const axtest::Outcome o = axtest::readaxchild(fluidof({"H2O", "CO2"}, "aqs"));
    EXPECT_EQ(o.bombed, "setupphases : facility not available");
    EXPECT_NE(o.screen.find("\n\naqueous calculations not currently available\n"), std::string::npos) << o.screen;
}

TEST_F(Setup, FluidAndSpeciesNamesRefused)
{
    axtest::initrun({"H2O", "CO2", "O2", "q", "fo", "HSO4-"});
    struct Case {
        std::string text, bombed;
    };
    const std::vector<Case> cases = {
        {fluidof({"H2O", "q"}), "read : end-member name in fluid not recognised"},
        {fluidof({"H2O", "O2"}), "read : O2 not implemented in fluid coding"},
        {fluidof({"fo", "H2O"}, "ol"), "read : H2O not in fluid/aq"},
    };
    for (const Case& c : cases) EXPECT_EQ(axtest::readaxchild(c.text).bombed, c.bombed) << c.bombed;
    // the example fluid with magnetite in place of CO2
    axtest::initrun();
    const std::string mt = replaced(replaced(axtest::exampleax(), "p(CO2)", "p(mt)"), "CO2  1  1  xCO2 1", "mt  1  1  xCO2 1");
    EXPECT_EQ(axtest::readaxchild(mt).bombed, "read : end-member name in fluid not recognised");
}

TEST_F(Setup, PairListsNeverPassTheirTable)
{
    // (n - 1)^2 pairs of a fluid of 12 end-members would be 121
    std::vector<std::string> ems;
    for (int i = 0; i < 12; ++i) ems.push_back(i % 2 == 0 ? "H2O" : "CO2");
    EXPECT_EQ(axtest::readaxchild(fluidof(ems)).bombed,
              "setupphases : too many interaction terms for fluid fluid (max = 105) ");
    // 11 end-members need 100 and pass
    ems.pop_back();
    EXPECT_EQ(axtest::readaxchild(fluidof(ems)).bombed, "");
    // an aqueous phase of 15 end-members has 105 pairs and no room for the H2O-CO2 entry
    std::vector<std::string> names = {"H2O", "CO2"};
    for (int i = 1; i <= 13; ++i) names.push_back("aqsp" + std::to_string(i));
    axtest::initrun(names);
    runio::run.calcmode = 0;
    EXPECT_EQ(axtest::readaxchild(fluidof(names, "aqs", "sf")).bombed,
              "setupphases : too many interaction terms for aqueous aqs (max = 105) ");
}

TEST_F(Setup, ModeStartsAndColoursFromTheScript)
{
    runio::ScriptTables& st = runio::scripttabs;
    st.nmodeguess = 3;
    st.modeguesses[1] = {"g", 0.25};
    st.modeguesses[2] = {"q", 0.1};
    st.modeguesses[3] = {"pl", 0.0};   // not above 0: not used
    st.nrgb = 1;
    st.rgb.assign(2, runio::RgbEntry{});
    st.rgb[1] = {"ky", {0, 10, 20, 30}};
    axtest::readax(example());
    EXPECT_DOUBLE_EQ(sol(3).modestart, 0.25);
    EXPECT_DOUBLE_EQ(sol(4).modestart, -1.0);
    EXPECT_DOUBLE_EQ(ph.prec0[1].modestart, 0.1);
    EXPECT_TRUE(ph.prec0[2].coloured);
    EXPECT_EQ(ph.prec0[2].colour, (runio::Arr<int, 3>{10, 20, 30}));
    EXPECT_FALSE(sol(1).coloured);
}

// ---------------------------------------------------------------- guesses and contraction

TEST_F(Setup, ScriptGuessesContractTheFeldspar)
{
    runio::ScriptTables& st = runio::scripttabs;
    st.nxyzguess = 2;
    st.xyzguesses[1] = {"ca(pl)", 0.3, 0.0, 0.1, 0.9};
    st.xyzguesses[2] = {"k(pl)", 0.0, 0.0, 0.0, 1.0};
    axtest::readax(example());
    const SolPhase& pl = sol(4);
    EXPECT_TRUE(pl.scriptguess);
    EXPECT_FALSE(pl.zeroguess);
    EXPECT_TRUE(pl.contracted);
    EXPECT_EQ(pl.nasread, 3);
    EXPECT_EQ(pl.nvarasread, 2);
    EXPECT_EQ(pl.varnameasread[2], "k(pl)");
    EXPECT_TRUE(pl.varnonzero[1]);
    EXPECT_FALSE(pl.varnonzero[2]);
    ASSERT_EQ(pl.nzeroed, 1);
    EXPECT_EQ(pl.zeroedname[1], "k(pl)");
    EXPECT_TRUE(pl.emkept[1] && pl.emkept[2] && !pl.emkept[3]);
    EXPECT_EQ(pl.n, 2);
    ASSERT_EQ(pl.nvar, 1);
    EXPECT_EQ(pl.var[1].name, "ca(pl)");
    EXPECT_DOUBLE_EQ(pl.var[1].guess, 0.3);
    // the script's range is inside the site-fraction bounds: kept, inclusive
    expectvar(pl.var[1], 0.1, 1, 0.9, 1);
    EXPECT_EQ(pl.em[1].name, "ab");
    EXPECT_EQ(pl.em[2].name, "an");
    // p(ab) = 1 - ca - k becomes 1 - ca
    ASSERT_EQ(pl.prop[1].n, 1);
    EXPECT_EQ(pl.prop[1].t[1].x[1].n, 1);
    EXPECT_EQ(pl.prop[1].t[1].x[1].var[1], 1);
    // pairs: only ab-an is left
    EXPECT_EQ(pl.nw, 1);
    EXPECT_DOUBLE_EQ(pl.wa[1], 3.1);
    EXPECT_EQ(pl.wname[1], "W(ab,an)");
    ASSERT_EQ(pl.ngterm, 1);
    EXPECT_EQ(pl.gterm[1], (runio::Arr<int, 3>{1, 1, 2}));
    // xKA vanishes identically; the others move down and keep their names
    ASSERT_EQ(pl.nsf, 4);
    EXPECT_EQ(pl.sfname[1], "xNaA");
    EXPECT_EQ(pl.sfname[2], "xCaA");
    EXPECT_EQ(pl.sfname[3], "xAlT");
    EXPECT_EQ(pl.sfname[4], "xSiT");
    EXPECT_EQ(pl.em[1].term[2].sf, 3);
    EXPECT_EQ(pl.em[2].term[1].sf, 2);
    // the checks still run at the pure compositions, now in ca alone
    EXPECT_EQ(pl.em[2].checkdiv, 1);
    EXPECT_EQ(pl.em[2].checknum[1], 1);
    // xNaA is now the one-term form 1 - ca: no limit rows left
    EXPECT_EQ(pl.nvarlim, 0);
    // a phase whose first variable the script does not name keeps the file's guesses
    EXPECT_FALSE(sol(3).scriptguess);
    EXPECT_DOUBLE_EQ(sol(3).var[1].guess, 0.8);
}

TEST_F(Setup, ContractionOfTheGarnet)
{
    // z(g) = 0 in the file: gr and xCa(X) go, py keeps (1 - x) times the constant 1
    axtest::readax(replaced(example(), "z(g)  0.1", "z(g)  0"));
    const SolPhase& g = sol(3);
    EXPECT_EQ(g.n, 2);
    EXPECT_EQ(g.nvar, 1);
    EXPECT_EQ(g.nsf, 2);
    ASSERT_EQ(g.prop[1].t[1].n, 2);
    EXPECT_EQ(g.prop[1].t[1].x[2].n, 0);
    EXPECT_EQ(g.prop[1].t[1].x[2].p, 1);
    EXPECT_DOUBLE_EQ(g.sizea[2], 1.0);
    EXPECT_EQ(g.nw, 1);
    EXPECT_DOUBLE_EQ(g.wc[1], 0.08);
    // the phase is no longer bounded in z, and x keeps its strict bounds
    expectvar(g.var[1], 0.0, 4, 1.0, 4);
}

TEST_F(Setup, ContractionDropsAVanishingProduct)
{
    SfExpr e;
    e.n = 2;
    e.t.assign(3, SXTerm{});
    // (x y) + (1 + 0 y)... with y zeroed: the first product vanishes, the
    // second keeps its constant
    e.t[1].n = 2;
    e.t[1].x[1].n = 1;
    e.t[1].x[1].tp[1] = 1;
    e.t[1].x[1].tq[1] = 1;
    e.t[1].x[1].var[1] = 1;
    e.t[1].x[2].n = 1;
    e.t[1].x[2].tp[1] = 1;
    e.t[1].x[2].tq[1] = 1;
    e.t[1].x[2].var[1] = 2;
    e.t[2].n = 1;
    e.t[2].x[1] = e.t[1].x[2];
    e.t[2].x[1].p = 1;
    runio::Arr<bool, maxsolem + 1> zeroed{};
    zeroed[2] = true;
    EXPECT_FALSE(emabsent(e, zeroed));
    ASSERT_EQ(e.n, 1);
    EXPECT_EQ(e.t[1].x[1].n, 0);
    EXPECT_EQ(e.t[1].x[1].p, 1);
    zeroed[1] = true;
    SfExpr x = e;
    x.t[1].x[1].p = 0;
    x.t[1].x[1].n = 1;
    x.t[1].x[1].var[1] = 1;
    EXPECT_TRUE(emabsent(x, zeroed));
    EXPECT_EQ(x.n, 0);
}

TEST_F(Setup, ContractionOfTheWrongSize)
{
    // y occurs in no proportion: zeroing it drops no end-member
    const std::string text = "t 3 1 verbatim\nverbatim\n x(t) 0.1\n y(t) 0\n p(fo) 1 1 1 1 -1 x\n p(fa) 1 1 0 1 1/2 x\n"
                             " p(en) 1 1 0 1 1/2 x\n ideal\n 3\n a 1 1 1 2 -1 x -1 y\n b 1 1 0 1 1 x\n c 1 1 0 1 1 y\n"
                             " fo 1 1 a 1\n fa 1 1 b 1\n en 1 1 b 1\n";
    const axtest::Outcome o = axtest::readaxchild(text);
    EXPECT_EQ(o.bombed, "setupphases : contraction wrong size");
    EXPECT_NE(o.screen.find("\n\nproblem in      t  3  1\nfo  fa  en  \nx(t)  \n"), std::string::npos) << o.screen;
}

TEST_F(Setup, DroppedSiteFractionGivesIdealActivityZero)
{
    // ab's ideal-mixing term also names xKA, which the contraction drops:
    // its index becomes 0 and its activity at the pure composition 0
    runio::scripttabs.nxyzguess = 2;
    runio::scripttabs.xyzguesses[1] = {"ca(pl)", 0.4, 0.0, 0.0, 1.0};
    runio::scripttabs.xyzguesses[2] = {"k(pl)", 0.0, 0.0, 0.0, 1.0};
    const std::string text =
        replaced(example(), "ab   1.7548  3  xNaA 1", "ab   1.7548  4  xKA 1  xNaA 1");
    const axtest::Outcome o = axtest::readaxchild(text);
    EXPECT_EQ(o.bombed,
              "setupphases :  ideal mixing terms not equal to 1 for pure end-members (also check coding OK?)");
    EXPECT_NE(o.screen.find("\n\n\xA5 inconsistent ideal mixing activities: ab in pl = 0\n"), std::string::npos)
        << o.screen;
}

// ---------------------------------------------------------------- checks that stop the run

TEST_F(Setup, CodingCheck)
{
    // an old-layout dataset lets entries go without the generation flag
    axtest::initrun(axtest::examplenames, false);
    std::string text = example();
    for (const char* phase : {"ol 2", "opx 3", "g 3", "pl 3", "fluid 2"})
        text = replaced(text, std::string(phase) + " 1\n", std::string(phase) + " 0\n");
    const std::string one = replaced(
        text, "ol 2 0\nverbatim\nol: olivine, Mg-Fe on the octahedral sites M (2 per formula unit)\nverbatim\n", "ol 2 0\n");
    axtest::Outcome o = axtest::readaxchild(one);
    EXPECT_EQ(o.bombed, "setupphases : use axfile codings from the website (or consult a wizard)");
    EXPECT_NE(o.screen.find("\n\nthe following phase may not conform to pm350 coding:      ol\n"), std::string::npos)
        << o.screen;
    const std::string two = replaced(one,
                                     "opx 3 0\nverbatim\nopx: orthopyroxene, Mg-Fe on two sites M1 and M2, with Mg-Fe "
                                     "order\n  en = Mg(M1) Mg(M2), fs = Fe(M1) Fe(M2), fm = Mg(M1) Fe(M2) "
                                     "(ordered)\nverbatim\n",
                                     "opx 3 0\n");
    o = axtest::readaxchild(two);
    EXPECT_NE(o.screen.find("\n\nthe following phases may not conform to pm350 coding:      ol   opx\n"),
              std::string::npos)
        << o.screen;
    // with every verbatim block in place the old-layout file is accepted
    EXPECT_EQ(axtest::readaxchild(text).bombed, "");
}

TEST_F(Setup, GuessesOutsideTheirBounds)
{
    struct Case {
        std::string from, to, bombed;
    };
    const std::vector<Case> cases = {
        {"x(ol)   0.1", "x(ol)   1", "setupphases : guess too large for x(ol)"},
        {"x(ol)   0.1", "x(ol)   -0.1", "setupphases : guess too small for x(ol)"},
        {"k(pl)   0.05", "k(pl)   1.2", "setupphases : guess too large for k(pl)"},
        {"x(opx)  0.2", "x(opx)  -0.01", "setupphases : guess too small for x(opx)"},
        {"x(ol)   0.1  sd 0.02", "x(ol)   0.1  sd 0.02 range 1.2 1.5", "read : lower limit > upper limit"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(axtest::readaxchild(replaced(example(), c.from, c.to)).bombed, c.bombed) << c.to;
    // inclusive bounds take their ends; an order variable is not checked
    axtest::readax(replaced(example(), "x(opx)  0.2", "x(opx)  0.8 range 0.2 0.8"));
    EXPECT_DOUBLE_EQ(sol(2).var[1].upper, 0.8);
    axtest::readax(replaced(example(), "Q(opx)  0.1  range -1 1", "Q(opx)  3"));
    EXPECT_DOUBLE_EQ(sol(2).var[2].guess, 3.0);
}

TEST_F(Setup, InconsistentInitialGuesses)
{
    const axtest::Outcome o =
        axtest::readaxchild(replaced(replaced(example(), "ca(pl)  0.4", "ca(pl)  0.7"), "k(pl)   0.05", "k(pl)   0.4"));
    EXPECT_EQ(o.bombed, "setupphases : inconsistent initial guesses");
    EXPECT_NE(o.screen.find("\n\nfor pl, site fractions are:\n"
                            "xNaA =    -0.100000\n"
                            "xCaA =     0.700000\n"
                            "xKA =     0.400000\n"
                            "xAlT =     0.425000\n"
                            "xSiT =     0.575000\n"
                            "site fractions must be positive (starting guess problems)\n"),
              std::string::npos)
        << o.screen;
    // the opx, with its order variable, passes with xMgM2 = 1 - x - Q/2 < 0 at its guesses
    const std::string opx = replaced(replaced(example(), "x(opx)  0.2", "x(opx)  0.9"), "Q(opx)  0.1", "Q(opx)  0.9");
    EXPECT_EQ(axtest::readaxchild(opx).bombed, "");
}

TEST_F(Setup, InconsistentPureEndMembers)
{
    struct Case {
        std::string text, bombed, listing;
    };
    const std::string e = example();
    const std::vector<Case> cases = {
        {replaced(replaced(e, "py   1  1  xMgX 3", "py   2  1  xMgX 3"), "alm  1  1  xFeX 3", "alm  0.5  1  xFeX 3"),
         "setupphases :  ideal mixing terms not equal to 1 for pure end-members (also check coding OK?)",
         "\n\n\xA5 inconsistent ideal mixing activities: py in g = 2.0000, alm in g = 0.5000\n"},
        // a term of power 1 that is 0 at the pure end-member gives activity 0
        {replaced(e, "ab   1.7548  3  xNaA 1  xAlT 1/4  xSiT 3/4\n       check 0 0",
                  "ab   1.7548  3  xNaA 1  xAlT 1/4  xSiT 3/4\n       check 1 0"),
         "setupphases :  ideal mixing terms not equal to 1 for pure end-members (also check coding OK?)",
         "\xA5 inconsistent ideal mixing activities: ab in pl = 0\n"},
        {replaced(e, "py   1  1  xMgX 3", "py   1  1  xFeX 3"),
         "setupphases : ideal mixing term = 0 for py in g (check coding wrong?)", ""},
        {replaced(e, "p(gr)   1 1  0 1  1 z", "p(gr)   1 1  0 1  1/2 z"),
         "setupphases : proportions not equal to 1 for pure end-members (also check coding OK?)",
         "\n\n\xA5 inconsistent p coding: gr = 0.500\n"},
    };
    for (const Case& c : cases) {
        const axtest::Outcome o = axtest::readaxchild(c.text);
        EXPECT_EQ(o.bombed, c.bombed);
        EXPECT_NE(o.screen.find(c.listing), std::string::npos) << o.screen;
    }
}

TEST_F(Setup, ScriptGuessesMustNameEveryVariable)
{
    runio::ScriptTables& st = runio::scripttabs;
    st.nxyzguess = 1;
    st.xyzguesses[1] = {"x(g)", 0.7, 0.0, 0.0, 1.0};
    EXPECT_EQ(axtest::readaxchild(example()).bombed, "setupphases : xyzguess: wrong no of vars");
    st.nxyzguess = 2;
    st.xyzguesses[2] = {"y(g)", 0.1, 0.0, 0.0, 1.0};
    EXPECT_EQ(axtest::readaxchild(example()).bombed, "setupphases : xyzguess names don't match: \"z(g)\" \"y(g)\"");
}

}  // namespace
