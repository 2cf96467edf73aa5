// Listings of the a-x models: the initial-tables file and the compact table
// on the screen, checked line by line against the example file as written.
#include <cstdio>

#include <gtest/gtest.h>

#include "axmodels/axmodels.h"
#include "axtest.h"
#include "harness/harness.h"
#include "runio/runio.h"
#include "runio/scriptset.h"

using namespace axmodels;
using axtest::replaced;

namespace {

std::string axnum(int n, double x)
{
    std::string s;
    printaxnum(n, s, x);
    return s;
}

TEST(Printaxnum, FewestDecimalsThatShowTheNumber)
{
    EXPECT_EQ(axnum(3, 2.0), "2");
    EXPECT_EQ(axnum(3, 0.25), "0.25");
    EXPECT_EQ(axnum(3, 1.5), "1.5");
    EXPECT_EQ(axnum(3, -2.5), "-2.5");
    EXPECT_EQ(axnum(3, 0.1234567), "0.1235");   // none of 1..6 decimals: n + 1
    EXPECT_EQ(axnum(5, 0.0022), "0.0022");
}

class Listing : public ::testing::Test {
protected:
    void SetUp() override { axtest::initrun(); }
    std::string listed(int k)
    {
        return axtest::captured(runio::chit, [k] { printaxmodel(k); });
    }
    axtest::ScratchDir dir;
};

TEST_F(Listing, FirstPhaseWithTheHeader)
{
    axtest::readax(axtest::exampleax());
    EXPECT_EQ(listed(1),
              "#\n"
              "Example a-x models for the example dataset pm-ds6ex.txt.\n"
              "Written by hand for demonstrations and tests: the models are plausible\n"
              "in form, but their interaction energies are made up. Not for real rocks.\n"
              "#\n"
              "#\n"
              "ol: olivine, Mg-Fe on the octahedral sites M (2 per formula unit)\n"
              "#\n"
              "\n starting guesses\n"
              "  x(ol) = 0.10000\n"
              "\n site fractions\n"
              "   xMgM = 1 - x\n"
              "   xFeM = x\n"
              "\n proportions\n"
              "   fo = 1 - x\n"
              "   fa = x\n"
              "\n ideal mixing activities\n"
              "  fo = xMgM^2\n"
              "  fa = xFeM^2\n"
              "\n non-ideality by symmetric formalism\n"
              "  W(fo,fa) = 4 + 0.01 P\n"
              "\n");
}

TEST_F(Listing, OrderVariableRangeAndMadeEndMember)
{
    axtest::readax(axtest::exampleax());
    // the header is listed before the first phase only
    EXPECT_EQ(listed(2),
              "#\n"
              "opx: orthopyroxene, Mg-Fe on two sites M1 and M2, with Mg-Fe order\n"
              "en = Mg(M1) Mg(M2), fs = Fe(M1) Fe(M2), fm = Mg(M1) Fe(M2) (ordered)\n"
              "#\n"
              "\n starting guesses\n"
              "  x(opx) = 0.20000\n"
              "  Q(opx) = 0.10000  range -1 <> 1  order variable\n"
              "\n site fractions\n"
              "   xMgM1 = 1 - x + 1/2 Q\n"
              "   xFeM1 = x - 1/2 Q\n"
              "   xMgM2 = 1 - x - 1/2 Q\n"
              "   xFeM2 = x + 1/2 Q\n"
              "\n proportions\n"
              "   en = 1 - x - 1/2 Q\n"
              "   fs = x - 1/2 Q\n"
              "   fm = Q\n"
              "\n ideal mixing activities\n"
              "  en = xMgM1 xMgM2\n"
              "  fs = xFeM1 xFeM2\n"
              "  fm = xMgM1 xFeM2\n"
              "\n non-ideality by symmetric formalism\n"
              "  W(en,fs) = 6.8\n"
              "  W(en,fm) = 4.5\n"
              "  W(fs,fm) = 4.2\n"
              "\n \"make\" end-members\n"
              "  fs = fa + e-q\n"
              "  fm = 1/2 en + 1/2 fa + 1/2 d-q - 6.6 + 0.0022 T + 0.015 P\n"
              "\n");
}

TEST_F(Listing, VanLaarPowersAndConstants)
{
    axtest::readax(axtest::exampleax());
    const std::string g = listed(3);
    EXPECT_NE(g.find("\n non-ideality by van laar\n"
                     "  W(py,alm) = 2.5 + 0.08 P\n"
                     "  W(py,gr) = 31\n"
                     "  W(alm,gr) = 5.1 + 0.17 P\n"
                     "\n"
                     "  v(py) = 1\n"
                     "  v(alm) = 1\n"
                     "  v(gr) = 2.7\n"),
              std::string::npos)
        << g;
    EXPECT_NE(g.find("   py = (1 - x) (1 - z)\n   alm = x (1 - z)\n"), std::string::npos);
    const std::string pl = listed(4);
    // a whole-number constant runs into the first site fraction, as written
    EXPECT_NE(pl.find("\n ideal mixing activities\n"
                      "  ab = 1.7548 xNaA xAlT^(1/4) xSiT^(3/4)\n"
                      "  an = 2xCaA xAlT^(1/2) xSiT^(1/2)\n"),
              std::string::npos)
        << pl;
    EXPECT_NE(pl.find("  W(ab,san) = 25.1 - 0.0108 T + 0.343 P\n"), std::string::npos);
    EXPECT_NE(listed(5).find("\n non-ideality hard-wired\n\n"), std::string::npos);
}

TEST_F(Listing, WholeConstantBeyondEveryIntegerIsWrittenInFull)
{
    // once "an = -9223372036854775808xCaA ..." (a cast out of range)
    axtest::readax(replaced(axtest::exampleax(), "  an   2       3  xCaA 1  xAlT 1/2  xSiT 1/2\n       check 1 0\n",
                            "  an   1e30   3  xCaA 1  xAlT 1/2  xSiT 1/2\n"));
    const std::string pl = listed(4);
    EXPECT_NE(pl.find("\n  an = 1000000000000000019884624838656xCaA xAlT^(1/2) xSiT^(1/2)\n"), std::string::npos)
        << pl;
}

TEST_F(Listing, ContractedPhaseAndSingleEndMember)
{
    // k(pl) zeroed by the script: san and the site fraction xKA are gone;
    // x(ol) zeroed in the file leaves olivine with fo alone
    runio::scripttabs.nxyzguess = 2;
    runio::scripttabs.xyzguesses[1] = {"ca(pl)", 0.4, 0.0, 0.0, 1.0};
    runio::scripttabs.xyzguesses[2] = {"k(pl)", 0.0, 0.0, 0.0, 1.0};
    axtest::readax(replaced(axtest::exampleax(), "x(ol)   0.1", "x(ol)   0"));
    const std::string pl = listed(4);
    EXPECT_NE(pl.find("#\n\n xyz variables set to zero: k(pl)  \n\n starting guesses\n  ca(pl) = 0.40000\n"),
              std::string::npos)
        << pl;
    EXPECT_NE(pl.find(" proportions\n   ab = 1 - ca\n   an = ca\n\n"), std::string::npos) << pl;
    EXPECT_NE(pl.find(" non-ideality by symmetric formalism\n  W(ab,an) = 3.1\n\n"), std::string::npos) << pl;
    const std::string ol = listed(1);
    EXPECT_NE(ol.find("#\n\n--------------------------------------\nol\n\n single end-member phase: fo\n\n"),
              std::string::npos)
        << ol;
}

TEST_F(Listing, InitialTablesFileAndScreen)
{
    // as a calculation does it: the initial-tables file of the script "ex"
    // open, the a-x file read and set up, every model listed
    const axtest::Outcome o = axtest::runchild([] {
        runio::openoutfile("pm-", "ex-it.txt", runio::chit);
        runio::chans.chanset |= runio::mit;
        axtest::readax(axtest::exampleax());
        for (int k = 1; k <= ph.nss; ++k) {
            printaxmodel(k);
            printwtable(k);
        }
        std::fclose(runio::chans.file[runio::chit]);
    });
    EXPECT_EQ(o.status, 0);
    const std::string it = axtest::readfile("pm-ex-it.txt");
    EXPECT_EQ(pmtest::countof(it, "\n starting guesses\n"), 5);
    EXPECT_EQ(pmtest::countof(it, "\n site fractions\n"), 5);
    EXPECT_EQ(pmtest::countof(it, "\n proportions\n"), 5);
    EXPECT_EQ(pmtest::countof(it, "\n ideal mixing activities\n"), 5);
    EXPECT_EQ(pmtest::countof(it, "\n non-ideality by symmetric formalism\n"), 3);
    EXPECT_EQ(pmtest::countof(it, "\n non-ideality by van laar\n"), 1);
    EXPECT_EQ(pmtest::countof(it, "\n non-ideality hard-wired\n"), 1);
    EXPECT_EQ(pmtest::countof(it, "\n \"make\" end-members\n"), 1);
    EXPECT_EQ(pmtest::countof(it, "----------"), 0);   // the tables go to the screen only
    for (const char* title : {"ol   ---", "opx  ---", "g    ---", "pl   ---", "fluid ---"})
        EXPECT_NE(o.screen.find(std::string("\n") + title), std::string::npos) << title;
}

TEST_F(Listing, CompactTableOnTheScreen)
{
    axtest::readax(axtest::exampleax());
    const std::string g = axtest::captured(runio::chout, [] { printwtable(3); });
    EXPECT_EQ(g,
              "g    ----------------------------------------\n"
              "  var      x(g)      z(g)\n"
              "          0.800     0.100\n"
              "  W      py-alm     py-gr    alm-gr\n"
              "          2.500    31.000     5.100\n"
              "           0.08                0.17\n"
              "       a(py)    a(alm)     a(gr)\n"
              "        1.00      1.00      2.70\n");
    const std::string pl = axtest::captured(runio::chout, [] { printwtable(4); });
    EXPECT_NE(pl.find("          3.100    25.100    40.000\n"
                      "                   -0.011          \n"
                      "                     0.34          \n"),
              std::string::npos)
        << pl;
}

TEST_F(Listing, CompactTableOfPerturbedDqfs)
{
    axtest::readax(axtest::exampleax());
    EmRec& fm = ph.prec1[2].em[3];
    fm.dqfperturbed[1] = fm.dqfperturbed[3] = true;
    fm.slots[thermodata::sH] = -12.5;
    fm.slots[thermodata::sV] = 1.5;
    const std::string t = axtest::captured(runio::chout, [] { printwtable(2); });
    EXPECT_NE(t.find("\n             fm      fs = 1 fa + 1 q;  fm = 1/2 en + 1/2 fa + 1/2 q\n"
                     "  H      -12.50\n"
                     "  V      1.5000\n"),
              std::string::npos)
        << t;
}

TEST_F(Listing, CompactTableBlocksOfFifteen)
{
    // a symmetric phase of 7 end-members has 21 pairs: blocks of 15 and 6
    std::string text = "big 7 1 verbatim\nverbatim\n";
    const char* names[] = {"fo", "fa", "en", "q", "py", "alm", "gr"};
    for (int v = 1; v <= 6; ++v) text += "x" + std::to_string(v) + "(b) 0.1\n";
    text += "p(fo) 1 1 1 6 -1 1 -1 2 -1 3 -1 4 -1 5 -1 6\n";
    for (int v = 1; v <= 6; ++v) text += "p(" + std::string(names[v]) + ") 1 1 0 1 1 " + std::to_string(v) + "\n";
    text += "sf\n";
    for (int i = 0; i < 7; ++i)
        for (int j = i + 1; j < 7; ++j)
            text += "W(" + std::string(names[i]) + "," + names[j] + ") " + std::to_string(i + j) + " 0 0\n";
    text += "7 s0 1 1 1 6 -1 1 -1 2 -1 3 -1 4 -1 5 -1 6\n";
    for (int v = 1; v <= 6; ++v) text += "s" + std::to_string(v) + " 1 1 0 1 1 " + std::to_string(v) + "\n";
    for (int i = 0; i < 7; ++i) text += std::string(names[i]) + " 1 1 s" + std::to_string(i) + " 1\n";
    axtest::readax(text);
    const std::string t = axtest::captured(runio::chout, [] { printwtable(1); });
    EXPECT_EQ(pmtest::countof(t, "  W  "), 1);
    // the second block: the 6 pairs left, its label row led by five blanks
    EXPECT_NE(t.find("\n           q-py     q-alm      q-gr    py-alm     py-gr    alm-gr\n"
                     "          7.000     8.000     9.000     9.000    10.000    11.000\n"),
              std::string::npos)
        << t;
}

}  // namespace
