// Reading the example a-x file and the corners of its grammar: every field of
// the records checked against the file as written by hand.
#include <gtest/gtest.h>

#include "axmodels/axmodels.h"
#include "axmodels/axread.h"
#include "axtest.h"
#include "runio/runio.h"

using namespace axmodels;
using axtest::replaced;

namespace {

const SolPhase& sol(int k) { return ph.prec1[k]; }
const PurePhase& pure(int k) { return ph.prec0[k]; }

// One xterm as written: constant p/q and its terms (p, q, variable).
void expectform(const XTerm& x, int p, int q, std::vector<std::array<int, 3>> terms)
{
    EXPECT_EQ(x.p, p);
    EXPECT_EQ(x.q, q);
    ASSERT_EQ(x.n, static_cast<int>(terms.size()));
    for (int t = 1; t <= x.n; ++t) {
        EXPECT_EQ(x.tp[t], terms[t - 1][0]) << "term " << t;
        EXPECT_EQ(x.tq[t], terms[t - 1][1]) << "term " << t;
        EXPECT_EQ(x.var[t], terms[t - 1][2]) << "term " << t;
    }
}

class ExampleFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        axtest::initrun();
        axtest::readax(axtest::exampleax());
    }
    axtest::ScratchDir dir;
};

TEST_F(ExampleFile, CountsHeaderAndFileName)
{
    EXPECT_EQ(ph.nph, 10);
    EXPECT_EQ(ph.nss, 5);
    EXPECT_EQ(ph.npure, 5);
    EXPECT_EQ(axinfo.axfilename, "pm-axex.txt");
    EXPECT_EQ(axinfo.runinfo[3], "with axfile pm-axex.txt and scriptfile pm-ex.txt");
    ASSERT_EQ(axinfo.naxheader, 5);
    EXPECT_EQ(axinfo.axheader[1], "#");
    EXPECT_EQ(axinfo.axheader[2], "Example a-x models for the example dataset pm-ds6ex.txt.");
    EXPECT_EQ(axinfo.axheader[5], "#");
    const char* names[] = {"ol", "opx", "g", "pl", "fluid"};
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(sol(k).name, names[k - 1]);
    EXPECT_EQ(sol(6).name, "unset");
    EXPECT_EQ(sol(6).n, 0);
}

TEST_F(ExampleFile, OlivineBinarySymmetric)
{
    const SolPhase& s = sol(1);
    EXPECT_EQ(s.n, 2);
    EXPECT_EQ(s.nvar, 1);
    EXPECT_FALSE(s.noverbatim);
    ASSERT_EQ(s.nverbatim, 3);
    EXPECT_EQ(s.verbatim[1], "#");
    EXPECT_EQ(s.verbatim[2], "ol: olivine, Mg-Fe on the octahedral sites M (2 per formula unit)");
    EXPECT_EQ(s.verbatim[3], "#");
    EXPECT_EQ(s.var[1].name, "x(ol)");
    EXPECT_DOUBLE_EQ(s.var[1].guess, 0.1);
    EXPECT_DOUBLE_EQ(s.var[1].sd, 0.02);
    // bounded by its site fractions x and 1 - x, both strictly
    EXPECT_DOUBLE_EQ(s.var[1].lower, 0.0);
    EXPECT_DOUBLE_EQ(s.var[1].upper, 1.0);
    EXPECT_EQ(s.var[1].lokind, 4);
    EXPECT_EQ(s.var[1].hikind, 4);
    EXPECT_FALSE(s.var[1].isorder);
    EXPECT_FALSE(s.hasorder);
    EXPECT_FALSE(s.zeroguess);
    // p(fo) = 1 - x, p(fa) = x
    ASSERT_EQ(s.prop[1].n, 1);
    ASSERT_EQ(s.prop[1].t[1].n, 1);
    EXPECT_DOUBLE_EQ(s.prop[1].t[1].factor, 1.0);
    expectform(s.prop[1].t[1].x[1], 1, 1, {{-1, 1, 1}});
    expectform(s.prop[2].t[1].x[1], 0, 1, {{1, 1, 1}});
    EXPECT_EQ(s.model, 1);
    EXPECT_EQ(s.nw, 1);
    EXPECT_EQ(s.ngterm, 1);
    EXPECT_EQ(s.gterm[1], (std::array<int, 3>{1, 1, 2}));
    EXPECT_EQ(s.wname[1], "W(fo,fa)");
    EXPECT_DOUBLE_EQ(s.wa[1], 4.0);
    EXPECT_DOUBLE_EQ(s.wb[1], 0.0);
    EXPECT_DOUBLE_EQ(s.wc[1], 0.01);
    // no sd given: 2 kJ x mean largest power 2 x mean size 1
    EXPECT_TRUE(s.wsddefaulted[1]);
    EXPECT_DOUBLE_EQ(s.wsd[1], 4.0);
    EXPECT_EQ(s.nsf, 2);
    EXPECT_EQ(s.sfname[1], "xMgM");
    EXPECT_EQ(s.sfname[2], "xFeM");
    expectform(s.sf[1].t[1].x[1], 1, 1, {{-1, 1, 1}});
    const EmRec& fo = s.em[1];
    EXPECT_EQ(fo.name, "fo");
    EXPECT_DOUBLE_EQ(fo.normconst, 1.0);
    EXPECT_FALSE(fo.constrational);
    EXPECT_EQ(fo.nterms, 1);
    EXPECT_EQ(fo.term[1].sf, 1);
    EXPECT_EQ(fo.term[1].p, 2);
    EXPECT_EQ(fo.term[1].q, 1);
    EXPECT_EQ(fo.largestpower, 2);
    EXPECT_EQ(fo.make.count, 0);
    EXPECT_EQ(fo.checkdiv, 0);
    EXPECT_FALSE(fo.exclude);
    EXPECT_EQ(s.em[2].name, "fa");
    EXPECT_EQ(s.em[2].term[1].sf, 2);
}

TEST_F(ExampleFile, OrthopyroxeneOrderAndMadeEndMember)
{
    const SolPhase& s = sol(2);
    EXPECT_EQ(s.n, 3);
    EXPECT_EQ(s.nvar, 2);
    EXPECT_EQ(s.nverbatim, 4);
    EXPECT_FALSE(s.var[1].isorder);
    EXPECT_TRUE(s.var[2].isorder);   // named Q...
    EXPECT_TRUE(s.hasorder);
    EXPECT_DOUBLE_EQ(s.var[2].lower, -1.0);
    EXPECT_DOUBLE_EQ(s.var[2].upper, 1.0);
    EXPECT_DOUBLE_EQ(s.var[2].sd, 0.01);
    // p(en) = 1 - x - Q/2
    expectform(s.prop[1].t[1].x[1], 1, 1, {{-1, 1, 1}, {-1, 2, 2}});
    expectform(s.prop[3].t[1].x[1], 0, 1, {{1, 1, 2}});
    EXPECT_EQ(s.nw, 3);
    EXPECT_EQ(s.gterm[2], (std::array<int, 3>{2, 1, 3}));
    EXPECT_EQ(s.gterm[3], (std::array<int, 3>{3, 2, 3}));
    EXPECT_EQ(s.nsf, 4);
    expectform(s.sf[4].t[1].x[1], 0, 1, {{1, 1, 1}, {1, 2, 2}});
    EXPECT_EQ(s.em[1].checkdiv, 1);
    EXPECT_EQ(s.em[1].checknum[1], 0);
    EXPECT_EQ(s.em[2].checkdiv, 1);
    EXPECT_EQ(s.em[2].checknum[1], 1);
    const EmRec& fm = s.em[3];
    EXPECT_EQ(fm.name, "fm");
    EXPECT_EQ(fm.nterms, 2);
    EXPECT_EQ(fm.term[1].sf, 1);
    EXPECT_EQ(fm.term[2].sf, 4);
    ASSERT_EQ(fm.make.count, 3);
    EXPECT_EQ(fm.make.divisor, 2);
    EXPECT_EQ(fm.make.cname[1], "en");
    EXPECT_EQ(fm.make.cname[2], "fa");
    EXPECT_EQ(fm.make.cname[3], "q");
    EXPECT_EQ(fm.make.num[1], 1);
    EXPECT_EQ(fm.make.num[2], 1);
    EXPECT_EQ(fm.make.num[3], 1);
    EXPECT_EQ(fm.make.kind[1], 4);
    // fs is made without a DQF
    const EmRec& fs = s.em[2];
    ASSERT_EQ(fs.make.count, 2);
    EXPECT_EQ(fs.make.divisor, 1);
    EXPECT_EQ(fs.make.cname[1], "fa");
    EXPECT_EQ(fs.make.num[2], 1);
    EXPECT_DOUBLE_EQ(fs.dqfa, 0.0);
    EXPECT_EQ(fm.dqfkind, 0);
    EXPECT_DOUBLE_EQ(fm.dqfa, -6.6);
    EXPECT_DOUBLE_EQ(fm.dqfb, 0.0022);
    EXPECT_DOUBLE_EQ(fm.dqfc, 0.015);
    // check 1/2 1: common divisor 2
    EXPECT_EQ(fm.checkdiv, 2);
    EXPECT_EQ(fm.checknum[1], 1);
    EXPECT_EQ(fm.checknum[2], 2);
    EXPECT_DOUBLE_EQ(fm.slots[thermodata::sZ1], 0.0);
    EXPECT_DOUBLE_EQ(fm.slots[thermodata::sZ2], 0.0);
}

TEST_F(ExampleFile, GarnetVanLaarProducts)
{
    const SolPhase& s = sol(3);
    EXPECT_EQ(s.model, 2);
    EXPECT_EQ(s.nw, 3);
    // p(py) = (1 - x)(1 - z): one product of two forms
    ASSERT_EQ(s.prop[1].n, 1);
    ASSERT_EQ(s.prop[1].t[1].n, 2);
    expectform(s.prop[1].t[1].x[1], 1, 1, {{-1, 1, 1}});
    expectform(s.prop[1].t[1].x[2], 1, 1, {{-1, 1, 2}});
    EXPECT_DOUBLE_EQ(s.sizea[1], 1.0);
    EXPECT_DOUBLE_EQ(s.sizea[3], 2.7);
    EXPECT_DOUBLE_EQ(s.sizeb[3], 0.0);
    EXPECT_DOUBLE_EQ(s.wc[1], 0.08);
    EXPECT_FALSE(s.wsddefaulted[2]);
    EXPECT_DOUBLE_EQ(s.wsd[2], 1.5);
    // defaulted: 2 kJ x mean largest power 3 x (a(py) + a(alm))/2 = 6,
    // and 2 x 3 x (1 + 2.7)/2 = 11.1 for alm-gr
    EXPECT_DOUBLE_EQ(s.wsd[1], 6.0);
    EXPECT_NEAR(s.wsd[3], 11.1, 1e-12);
    EXPECT_EQ(s.em[3].largestpower, 3);
    EXPECT_EQ(s.em[3].checknum[2], 1);
}

TEST_F(ExampleFile, FeldsparPowersAndConstants)
{
    const SolPhase& s = sol(4);
    EXPECT_EQ(s.nsf, 5);
    expectform(s.sf[4].t[1].x[1], 1, 4, {{1, 4, 1}});
    expectform(s.sf[5].t[1].x[1], 3, 4, {{-1, 4, 1}});
    const EmRec& ab = s.em[1];
    EXPECT_DOUBLE_EQ(ab.normconst, 1.7548);
    EXPECT_EQ(ab.nterms, 3);
    EXPECT_EQ(ab.term[2].sf, 4);
    EXPECT_EQ(ab.term[2].p, 1);
    EXPECT_EQ(ab.term[2].q, 4);
    EXPECT_EQ(ab.term[3].p, 3);
    EXPECT_EQ(ab.largestpower, 1);
    EXPECT_DOUBLE_EQ(s.wb[2], -0.0108);
    EXPECT_DOUBLE_EQ(s.wc[2], 0.343);
    EXPECT_DOUBLE_EQ(s.wsd[2], 2.0);
}

TEST_F(ExampleFile, FluidAndPurePhases)
{
    const SolPhase& f = sol(5);
    // the fluid gets the built-in van Laar model over its species
    EXPECT_TRUE(f.fluid);
    EXPECT_EQ(f.model, 2);
    EXPECT_EQ(f.ngterm, 1);
    EXPECT_EQ(f.gterm[1], (std::array<int, 3>{1, 1, 2}));
    EXPECT_EQ(f.em[1].fluidindex, 1);
    EXPECT_EQ(f.em[2].fluidindex, 2);
    EXPECT_EQ(f.h2opos, 1);
    EXPECT_EQ(f.co2pos, 2);
    EXPECT_EQ(f.nw, 1);   // the W arrays are kept even for an ideal model
    EXPECT_DOUBLE_EQ(f.wa[1], 0.0);
    EXPECT_DOUBLE_EQ(f.wsd[1], 2.0);
    EXPECT_EQ(f.wname[1], "W(1,2)");
    EXPECT_EQ(f.em[1].name, "H2O");
    EXPECT_EQ(f.em[2].checknum[1], 1);

    EXPECT_EQ(pure(1).name, "q");
    EXPECT_EQ(pure(1).emname, "q");
    EXPECT_DOUBLE_EQ(pure(1).act, 1.0);
    EXPECT_EQ(pure(2).name, "ky");
    EXPECT_EQ(pure(3).name, "and");
    EXPECT_DOUBLE_EQ(pure(3).act, 0.9);
    EXPECT_DOUBLE_EQ(pure(3).sdact, 0.05);
    EXPECT_EQ(pure(4).name, "sillim");
    EXPECT_EQ(pure(4).emname, "sill");
    EXPECT_DOUBLE_EQ(pure(4).act, 1.0);
    EXPECT_EQ(pure(5).emname, "mt");
    EXPECT_EQ(pure(5).make.count, 0);
    EXPECT_EQ(pure(6).name, "unset");
}

TEST(ExampleScreen, HeadingAndProgress)
{
    axtest::initrun();
    axtest::ScratchDir dir;
    const axtest::Outcome o = axtest::readaxchild(axtest::exampleax());
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.screen, std::string(60, '^') +
                            "\n\nPETRAMONDO 3.50 running at Mon 1 Jan 2024 at 10:00\nusing example dataset\n"
                            "with axfile pm-axex.txt and scriptfile pm-ex.txt\n\n"
                            "reading ax: ol opx g pl fluid q ky and sillim mt \n");
}

// ---------------------------------------------------------------- grammar corners

class Grammar : public ::testing::Test {
protected:
    void SetUp() override { axtest::initrun(); }
    axtest::ScratchDir dir;
};

using axtest::binary;

TEST_F(Grammar, CommentsEndMarkAndFreeLineBreaks)
{
    // items run across lines freely; "%" drops the rest of a line; a line
    // whose first word begins with "*" ends the input
    const std::string text = "% a comment line\nol 2 1 % the flag\nverbatim\n%kept as a verbatim line\nverbatim\n"
                             "x(ol)\n0.3 p(fo) 1 1 1 1 -1 x p(fa) 1 1 0 1 1 x sf W(fo,fa) 12 0 0 2 xA 1 1 1 1 -1 x"
                             " xB 1 1 0 1 1 x fo 1 1 xA 1 fa 1 1 xB 1\n*end q ky\nmt\n";
    axtest::readax(text);
    EXPECT_EQ(ph.nph, 1);
    EXPECT_EQ(ph.nss, 1);
    EXPECT_EQ(ph.prec1[1].verbatim[2], "kept as a verbatim line");
    EXPECT_DOUBLE_EQ(ph.prec1[1].wa[1], 12.0);
}

TEST_F(Grammar, HeaderOf48LinesAndHeaderAsPhaseName)
{
    std::vector<std::string> names = axtest::examplenames;
    names.push_back("header");
    axtest::initrun(names);
    std::string text = "header\n";
    for (int i = 1; i <= 48; ++i) text += "line " + std::to_string(i) + "\n";
    text += "header\n" + binary + "header\n";
    axtest::readax(text);
    EXPECT_EQ(axinfo.naxheader, 50);
    EXPECT_EQ(axinfo.axheader[49], "line 48");
    EXPECT_EQ(axinfo.axheader[50], "#");
    // "header" later in the file is a phase name like any other
    EXPECT_EQ(ph.npure, 1);
    EXPECT_EQ(ph.prec0[1].name, "header");
}

TEST_F(Grammar, VariableOptionsAndOrderNames)
{
    std::string text = replaced(binary, "x(ol) 0.3", "Nx(ol) 0.3 sd 1.5 range 0.2 0.8");
    text = replaced(text, "1 -1 x\n p(fa) 1 1 0 1 1 x", "1 -1 Nx\n p(fa) 1 1 0 1 1 1");
    text = replaced(text, "xA 1 1 1 1 -1 x", "xA 1 1 1 1 -1 Nx");
    text = replaced(text, "xB 1 1 0 1 1 x", "xB 1 1 0 1 1 Nx");
    axtest::readax(text);
    const XyzVar& v = ph.prec1[1].var[1];
    EXPECT_DOUBLE_EQ(v.sd, 0.0);   // outside 0..1
    EXPECT_DOUBLE_EQ(v.lower, 0.2);
    EXPECT_DOUBLE_EQ(v.upper, 0.8);
    EXPECT_TRUE(v.isorder);
    EXPECT_EQ(ph.prec1[1].prop[2].t[1].x[1].var[1], 1);   // given by index
}

TEST_F(Grammar, IsQAndZeroGuess)
{
    axtest::readax(replaced(binary, "x(ol) 0.3", "x(ol) 0 isQ"));
    EXPECT_TRUE(ph.prec1[1].var[1].isorder);
    EXPECT_TRUE(ph.prec1[1].hasorder);
    EXPECT_TRUE(ph.prec1[1].zeroguess);
}

TEST_F(Grammar, InteractionNamedInEitherOrderAndOldLayoutFlags)
{
    axtest::readax(replaced(binary, "W(fo,fa)", "W(fa,fo) "));
    EXPECT_EQ(ph.prec1[1].wname[1], "W(fa,fo)");
    axtest::initrun(axtest::examplenames, false);
    // an old-layout dataset takes the flag 0, or none at all
    axtest::readax(replaced(binary, "ol 2 1", "ol 2 0"));
    EXPECT_EQ(ph.nss, 1);
    axtest::readax(replaced(binary, "ol 2 1 verbatim", "ol 2 verbatim"));
    EXPECT_EQ(ph.nss, 1);
}

TEST_F(Grammar, PurePhaseForms)
{
    // form a, form b with activity and its uncertainty, form c with an
    // end-member name, its activity and a DQF after a make
    axtest::readax("q\nky 0.8 0\nquartz 1 q 0.5 0.01 make 1 q 1 delG(tran) 1.2 0.001 0.05\nmt\n");
    EXPECT_EQ(ph.npure, 4);
    EXPECT_DOUBLE_EQ(ph.prec0[2].act, 0.8);
    EXPECT_DOUBLE_EQ(ph.prec0[2].sdact, 0.0);
    const PurePhase& p = ph.prec0[3];
    EXPECT_EQ(p.name, "quartz");
    EXPECT_EQ(p.emname, "q");
    EXPECT_DOUBLE_EQ(p.act, 0.5);
    EXPECT_DOUBLE_EQ(p.sdact, 0.01);
    EXPECT_EQ(p.make.count, 1);
    EXPECT_EQ(p.dqfkind, 4);
    EXPECT_DOUBLE_EQ(p.dqfa, 1.2);
    EXPECT_DOUBLE_EQ(p.dqfb, 0.001);
    EXPECT_DOUBLE_EQ(p.dqfc, 0.05);
    // code 6 marks a made phase without constituents
    axtest::readax("quartz 1 qtz 6\n");
    EXPECT_EQ(ph.prec0[1].make.count, -1);
}

TEST_F(Grammar, AmbiguousOneAfterDatasetName)
{
    // "q 1": an activity of 1 (yes) or a one-end-member phase (no)
    axtest::Outcome yes = axtest::runchild(
        [] {
            axtest::readax("q 1\nky\n");
            std::printf("[%d %d %s]\n", ph.npure, ph.nph, ph.prec0[1].emname.c_str());
        },
        "y\n");
    EXPECT_EQ(yes.status, 0);
    EXPECT_NE(yes.screen.find("\ndatafile appears to be ambiguous: a 1 immediately follows q;\n"
                              "this means either an activity of 1, or it's a 1 end-member phase.\n"
                              "the '1' its activity ? "),
              std::string::npos)
        << yes.screen;
    EXPECT_NE(yes.screen.find("[2 2 q]"), std::string::npos);
    axtest::Outcome no = axtest::runchild(
        [] {
            axtest::readax("q 1 qtz 6\n");
            std::printf("[%d %s %d]\n", ph.npure, ph.prec0[1].emname.c_str(), ph.prec0[1].make.count);
        },
        "n\n");
    EXPECT_NE(no.screen.find("[1 qtz -1]"), std::string::npos) << no.screen;
}

TEST_F(Grammar, DqfKeywordsAndMakeActions)
{
    int kind;
    EXPECT_EQ(makekeyword("DQF", kind), 3);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(makekeyword("deltaG(od)", kind), 3);
    EXPECT_EQ(kind, 3);
    EXPECT_EQ(makekeyword("\xC6G(rcal)", kind), 3);
    EXPECT_EQ(kind, 5);
    EXPECT_EQ(makekeyword("\xC6G", kind), 3);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(makekeyword("delG(mod)", kind), 3);
    EXPECT_EQ(kind, 2);
    EXPECT_EQ(makekeyword("delG", kind), 0);
    EXPECT_EQ(makekeyword("dQF", kind), 0);
    EXPECT_EQ(makekeyword("make", kind), 4);
    EXPECT_EQ(makekeyword("check", kind), 5);
    EXPECT_EQ(makekeyword("exclude", kind), 7);

    // coefficients 1/2, 1/3 and -1/6: divisor 6, numerators 3, 2 and -1
    std::string text = replaced(binary, "fa 1 1 xB 1\n",
                                "fa 1 1 xB 1 make 3 ordered fo 1/2 q 1/3 equil ky -1/6 \xC6G(make) 1 2 3 exclude\n");
    axtest::readax(text);
    const EmRec& fa = ph.prec1[1].em[2];
    EXPECT_EQ(fa.make.divisor, 6);
    EXPECT_EQ(fa.make.num[1], 3);
    EXPECT_EQ(fa.make.num[2], 2);
    EXPECT_EQ(fa.make.num[3], -1);
    EXPECT_EQ(fa.make.kind[1], 2);
    EXPECT_EQ(fa.make.kind[2], 4);
    EXPECT_EQ(fa.make.kind[3], 0);
    EXPECT_EQ(fa.dqfkind, 1);
    EXPECT_DOUBLE_EQ(fa.dqfc, 3.0);
    EXPECT_TRUE(fa.exclude);
}

TEST_F(Grammar, ChargedCompounds)
{
    axtest::initrun({"fo", "fa", "Na+", "Cl-", "Ca++"});
    const auto withsalt = [](const std::string& name, const std::string& recipe) {
        std::string text = replaced(binary, "p(fa)", "p(" + name + ")");
        text = replaced(text, "W(fo,fa)", "W(fo," + name + ")");
        return replaced(text, "fa 1 1 xB 1\n", name + " 1 1 xB 1 make 2 " + recipe + "\n");
    };
    // Na+ Cl- 1/2 1/2: mean form in a solution and equal amounts in a pure phase
    axtest::readax(withsalt("nacl", "Na+ 1/2 Cl- 1/2") +
                   "halite 1 hl make 2 Na+ 1/2 Cl- 1/2\nhl2 1 hl make 2 Na+ 1 Cl- 1\n");
    EXPECT_DOUBLE_EQ(ph.prec1[1].em[2].slots[thermodata::sZ1], 1.0);
    EXPECT_DOUBLE_EQ(ph.prec1[1].em[2].slots[thermodata::sZ2], 1.0);
    EXPECT_DOUBLE_EQ(ph.prec0[2].slots[thermodata::sZ1], 1.0);
    // Ca++ Cl- 1/3 2/3 balances its charges as one mean formula unit
    axtest::readax(withsalt("cacl", "Ca++ 1/3 Cl- 2/3"));
    EXPECT_DOUBLE_EQ(ph.prec1[1].em[2].slots[thermodata::sZ1], 2.0);
    EXPECT_DOUBLE_EQ(ph.prec1[1].em[2].slots[thermodata::sZ2], 1.0);
}

}  // namespace
