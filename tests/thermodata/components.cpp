// Components from element formulas, the integer composition matrix, the size
// of formulas and the removal of components that only one end-member holds.
#include <utility>
#include <vector>

#include "axmodels/axmodels.h"
#include "dsfixture.h"

namespace {

using dstest::onstderr;
using thermodata::comps;
using thermodata::ems;
using ::testing::ExitedWithCode;

using Formula = std::vector<std::pair<int, double>>;   // (oxide-table entry, amount)

class Components : public dstest::DsDir {
protected:
    // The working end-members with their formulas as stage 2 leaves them.
    static void formulas(const std::vector<std::pair<const char*, Formula>>& list)
    {
        int k = 0;
        for (const auto& [name, f] : list) {
            const auto kk = static_cast<std::size_t>(++k);
            ems.emname[kk] = name;
            ems.emncomp[kk] = static_cast<int>(f.size());
            int j = 0;
            for (const auto& [code, amount] : f) {
                ems.emcompcode[kk][++j] = code;
                ems.emcompamt[kk][j] = amount;
            }
        }
        ems.nem = k;
    }
    static int comp(const std::string& name)
    {
        for (int i = 1; i <= comps.ncomp; ++i)
            if (comps.compname[i] == name) return i;
        return 0;
    }
    static int c(const std::string& compname, int k)
    {
        return comps.c[comp(compname)][k];
    }
};

// Oxide-table entries of the elements.
constexpr int Si = 1, Ti = 2, Al = 3, Fe = 4, Mg = 5, Mn = 6, Ca = 7, Na = 8, O = 10;

TEST_F(Components, ForsteriteIsOxidesWithNoOxygenLeftOver)
{
    formulas({{"fo", {{Mg, 2}, {Si, 1}, {O, 4}}}, {"q", {{Si, 1}, {O, 2}}}});
    thermodata::makeoxides();
    ASSERT_EQ(comps.ncomp, 2);
    EXPECT_EQ(comps.compname[1], "SiO2");   // display order: SiO2 before MgO
    EXPECT_EQ(comps.compname[2], "MgO");
    EXPECT_EQ(c("SiO2", 1), 1);
    EXPECT_EQ(c("MgO", 1), 2);
    EXPECT_EQ(c("MgO", 2), 0);
    EXPECT_EQ(comps.compmult[1], 1);
    EXPECT_EQ(comps.compatoms[1], 3);
    EXPECT_EQ(comps.compatoms[2], 2);
    EXPECT_EQ(comps.ncomp0, 2);
    EXPECT_EQ(comps.nemr, 2);
    EXPECT_EQ(comps.nexcess, 0);
}

TEST_F(Components, MagnetiteMakesOxygenAComponentForEveryone)
{
    formulas({{"mt", {{Fe, 3}, {O, 4}}}, {"fo", {{Mg, 2}, {Si, 1}, {O, 4}}}, {"mg", {{Mg, 1}}}});
    thermodata::makeoxides();
    ASSERT_EQ(comps.ncomp, 4);
    EXPECT_EQ(comps.compname[1], "SiO2");
    EXPECT_EQ(comps.compname[2], "MgO");
    EXPECT_EQ(comps.compname[3], "FeO");
    EXPECT_EQ(comps.compname[4], "O");
    EXPECT_EQ(c("FeO", 1), 3);
    EXPECT_EQ(c("O", 1), 1);    // Fe3O4 = 3 FeO + O
    EXPECT_EQ(c("O", 2), 0);
    // A formula without an oxygen pair gets (O, minus the oxygen of its oxides).
    EXPECT_EQ(c("O", 3), -1);
    EXPECT_EQ(ems.emncomp[3], 2);
    EXPECT_EQ(ems.emcompcode[3][2], O);
    EXPECT_EQ(comps.compatoms[4], 1);
}

TEST_F(Components, OxygenLeftOverCountsFromAThousandth)
{
    formulas({{"per", {{Mg, 1}, {O, 1.0005}}}, {"q", {{Si, 1}, {O, 2}}}});
    thermodata::makeoxides();
    EXPECT_EQ(comps.ncomp, 2);
    EXPECT_EQ(comp("O"), 0);

    formulas({{"per", {{Mg, 1}, {O, 1.002}}}, {"q", {{Si, 1}, {O, 2}}}});
    thermodata::makeoxides();
    ASSERT_EQ(comps.ncomp, 3);
    // The left-over is worked in single precision: 1.002f - 1 within 1e-7.
    const auto o = static_cast<std::size_t>(comp("O"));
    EXPECT_NEAR(comps.c[o][1] / static_cast<double>(comps.compmult[o]), 0.002, 1e-7);
    EXPECT_EQ(c("MgO", 1), 1);
    EXPECT_EQ(comps.compmult[comp("MgO")], 1);
}

TEST_F(Components, FractionalRowsGetACommonMultiplier)
{
    // Na 1, 2, 3 are Na2O 0.5, 1, 1.5: the row becomes 1, 2, 3 with multiplier 2.
    formulas({{"a", {{Na, 1}, {Si, 1}, {O, 2.5}}}, {"b", {{Na, 2}, {O, 1}}}, {"c", {{Na, 3}, {O, 1.5}}}});
    thermodata::makeoxides();
    const int na = comp("Na2O");
    ASSERT_NE(na, 0);
    EXPECT_EQ(comps.compmult[na], 2);
    EXPECT_EQ(c("Na2O", 1), 1);
    EXPECT_EQ(c("Na2O", 2), 2);
    EXPECT_EQ(c("Na2O", 3), 3);
    EXPECT_EQ(comps.compatoms[na], 3);
    EXPECT_EQ(comps.compatoms[comp("SiO2")], 3);
}

TEST_F(Components, AtomsPerComponentAndOxideUnits)
{
    formulas({{"ky", {{Al, 2}, {Si, 1}, {O, 5}}}});
    thermodata::makeoxides();
    EXPECT_EQ(comps.compatoms[comp("Al2O3")], 5);
    runio::scriptset.compasoxides = true;
    thermodata::makeoxides();
    EXPECT_EQ(comps.compatoms[1], 1);
    EXPECT_EQ(comps.compatoms[2], 1);
}

TEST_F(Components, FormulasWithoutOxygenGiveElements)
{
    formulas({{"fo", {{Mg, 2}, {Si, 1}}}, {"q", {{Si, 1}}}});
    thermodata::makeoxides();
    ASSERT_EQ(comps.ncomp, 2);
    EXPECT_EQ(comps.compname[1], "Si");
    EXPECT_EQ(comps.compname[2], "Mg");
    EXPECT_EQ(c("Mg", 1), 2);   // element amounts are not turned into oxides
    EXPECT_EQ(comps.compatoms[1], 3);
}

TEST_F(Components, ListsTakeEveryOxideAndNameTheOxygenRow)
{
    runio::run.calcmode = 4;
    formulas({{"fo", {{Mg, 2}, {Si, 1}, {O, 4}}}, {"an", {{Ca, 1}, {Al, 2}, {Si, 2}, {O, 8}}}});
    thermodata::makeoxides();
    ASSERT_EQ(comps.ncomp, 19);
    for (int r = 1; r <= 19; ++r)
        EXPECT_EQ(comps.compname[r], runio::oxtable[r].oxname);
    EXPECT_EQ(comps.compname[10], "O");
    EXPECT_EQ(comps.c[10][1], 0);
    EXPECT_EQ(comps.c[10][2], 0);
    EXPECT_EQ(comps.c[Ca][2], 1);
    EXPECT_EQ(comps.c[Al][2], 1);
    EXPECT_EQ(comps.c[Mg][1], 2);

    formulas({{"fo", {{Mg, 2}, {Si, 1}}}});
    thermodata::makeoxides();
    EXPECT_EQ(comps.compname[1], "Si");
    EXPECT_EQ(comps.compname[10], "O");
    EXPECT_EQ(comps.compname[19], "Cr");
}

TEST_F(Components, SeveralOxygenPairsAreOneAmount)
{
    formulas({{"fo", {{Mg, 2}, {O, 2}, {Si, 1}, {O, 2}}}, {"q", {{Si, 1}, {O, 2}}}});
    thermodata::makeoxides();
    EXPECT_EQ(comps.ncomp, 2);   // no oxygen left over, so no O component
    EXPECT_EQ(c("MgO", 1), 2);
    EXPECT_EQ(c("SiO2", 1), 1);

    formulas({{"mt", {{O, 1}, {Fe, 3}, {O, 3}}}});
    thermodata::makeoxides();
    EXPECT_EQ(c("O", 1), 1);
    EXPECT_EQ(c("FeO", 1), 3);
}

TEST_F(Components, FullFormulaWithoutOxygenStillGetsItsOxygenPair)
{
    formulas({{"x", {{Si, 1}, {Ti, 1}, {Al, 2}, {Fe, 1}, {Mg, 1}, {Mn, 1}, {Ca, 1}, {Na, 2}}},
              {"q", {{Si, 1}, {O, 2}}}});
    thermodata::makeoxides();
    EXPECT_EQ(ems.emncomp[1], 9);
    EXPECT_EQ(ems.emcompcode[1][9], O);
    // Oxygen of SiO2 TiO2 Al2O3 FeO MgO MnO CaO Na2O: 2 + 2 + 3 + 1 + 1 + 1 + 1 + 1.
    EXPECT_EQ(c("O", 1), -12);
    EXPECT_EQ(c("O", 2), 0);
}

TEST_F(Components, ValuesTooLargeForTheMatrixAreNamed)
{
    formulas({{"big", {{Si, 40000}}}, {"q", {{Si, 1}}}});
    EXPECT_EXIT(onstderr([] { thermodata::makeoxides(); }), ExitedWithCode(1),
                "makeoxides : the amount of Si in big is too large for the composition matrix \\(max = 32767\\)");
    formulas({{"half", {{Si, 0.5}}}, {"big", {{Si, 20000}}}});
    EXPECT_EXIT(onstderr([] { thermodata::makeoxides(); }), ExitedWithCode(1),
                "the amount of Si in big times the multiplier 2 of Si does not fit the composition matrix");
    // Denominators 997, 991, 983 and 977 (primes) need a multiplier near 9.5e11.
    formulas({{"a", {{Si, 1 + 1.0 / 997}}}, {"b", {{Si, 1 + 1.0 / 991}}}, {"c", {{Si, 1 + 1.0 / 983}}},
              {"d", {{Si, 1 + 1.0 / 977}}}});
    EXPECT_EXIT(onstderr([] { thermodata::makeoxides(); }), ExitedWithCode(1),
                "the amounts of Si up to d need a multiplier beyond 2147483647 to be whole numbers");
}

class Clean : public Components {
protected:
    // Components C1, C2, C3 (rows) over end-members a, b, c, d.
    void SetUp() override
    {
        Components::SetUp();
        comps.ncomp = comps.ncomp0 = 3;
        const char* names[] = {"", "C1", "C2", "C3"};
        const int rows[4][5] = {{}, {0, 1, 0, 0, 0}, {0, 1, 1, 0, 0}, {0, 0, 1, 1, 2}};
        for (int i = 1; i <= 3; ++i) {
            comps.compname[i] = names[i];
            comps.compmult[i] = i;
            for (int k = 1; k <= 4; ++k) comps.c[i][k] = rows[i][k];
        }
        working({"a", "b", "c", "d"});
        comps.nemr = 4;
        for (int k = 1; k <= 4; ++k) {
            ems.td[k][1] = 10.0 * k;
            ems.act[k] = 0.1 * k;
            ems.sdact[k] = 0.01 * k;
            ems.emcode[k] = k;
            for (int l = 1; l <= 4; ++l) ems.covat(k, l) = 10.0 * k + l;
        }
    }
};

TEST_F(Clean, RemovesSoleCarriersSweepBySweep)
{
    runio::chans.chanset = runio::mscreen;
    testing::internal::CaptureStdout();
    thermodata::clean();
    const std::string screen = testing::internal::GetCapturedStdout();
    runio::chans.chanset = 0;
    // C1 only in a; once a is gone, C2 only in b.
    EXPECT_EQ(screen, "\na excluded\nb excluded\n");
    ASSERT_EQ(ems.nem, 2);
    EXPECT_EQ(comps.nemr, 2);
    EXPECT_EQ(ems.emname[1], "c");
    EXPECT_EQ(ems.emname[2], "d");
    EXPECT_EQ(ems.emname[3], "");
    ASSERT_EQ(comps.ncomp, 1);
    EXPECT_EQ(comps.ncomp0, 1);
    EXPECT_EQ(comps.compname[1], "C3");
    EXPECT_EQ(comps.compmult[1], 3);
    EXPECT_EQ(comps.c[1][1], 1);
    EXPECT_EQ(comps.c[1][2], 2);
    EXPECT_EQ(ems.td[1][1], 30.0);
    EXPECT_EQ(ems.td[2][1], 40.0);
    EXPECT_DOUBLE_EQ(ems.act[2], 0.4);
    EXPECT_DOUBLE_EQ(ems.sdact[1], 0.03);
    EXPECT_EQ(ems.emcode[1], 3);   // the site multiplicity goes with its end-member
    EXPECT_EQ(ems.emcode[2], 4);
    EXPECT_EQ(ems.covat(1, 1), 33.0);
    EXPECT_EQ(ems.covat(1, 2), 34.0);
    EXPECT_EQ(ems.covat(2, 1), 43.0);
    EXPECT_EQ(ems.covat(2, 2), 44.0);
}

TEST_F(Clean, EmptyComponentGoesQuietlyAndTooFewEndMembersStop)
{
    comps.c[1][1] = 0;   // C1 in nobody
    comps.c[2][1] = 0;
    comps.c[2][2] = 0;   // C2 in nobody
    comps.c[3][1] = 1;   // C3 in a, c, d
    thermodata::clean();
    EXPECT_EQ(comps.ncomp, 1);
    EXPECT_EQ(ems.nem, 4);   // b holds nothing now, which excludes nobody

    working({"a", "b"});
    comps.ncomp = 2;
    comps.c[1][1] = 1;
    comps.c[1][2] = 0;
    comps.c[2][1] = 0;
    comps.c[2][2] = 1;
    EXPECT_EXIT(onstderr([] { thermodata::clean(); }), ExitedWithCode(1), "clean : insufficient end-members");
}

TEST_F(Components, FormulaSizesOfPhases)
{
    using axmodels::ph;
    formulas({{"ky", {{Al, 2}, {Si, 1}, {O, 5}}}, {"q", {{Si, 1}, {O, 2}}}});
    thermodata::makeoxides();   // SiO2 (3 atoms), Al2O3 (5 atoms)
    ph.nss = 1;
    ph.npure = 1;
    auto& s = ph.prec1[1];
    s.name = "als";
    s.n = 1;
    s.em[1].name = "ky";
    s.em[1].comp = {};
    s.em[1].comp[1] = 1;
    s.em[1].comp[2] = 1;
    auto& p = ph.prec0[1];
    p.name = "quartz";
    p.comp = {};
    p.comp[1] = 1;
    thermodata::countcomp();
    EXPECT_EQ(s.em[1].oxsum, 8.0);   // Al2SiO5: 8 atoms
    EXPECT_EQ(p.oxsum, 3.0);
    runio::scriptset.compasoxides = true;
    thermodata::countcomp();
    EXPECT_EQ(s.em[1].oxsum, 2.0);   // two oxides
    EXPECT_EQ(p.oxsum, 1.0);

    p.comp[1] = 0;
    EXPECT_EXIT(onstderr([] { thermodata::countcomp(); }), ExitedWithCode(1), "countcomp : sumox <= 0 for quartz");
    p.comp[1] = 1;
    s.em[1].comp = {};
    EXPECT_EXIT(onstderr([] { thermodata::countcomp(); }), ExitedWithCode(1), "countcomp : sumox <= 0 for ky, in als");
    comps.compname[1] = "SO2";
    thermodata::ds.dsold = true;
    EXPECT_EXIT(onstderr([] { thermodata::countcomp(); }), ExitedWithCode(1), "countcomp : sulphur verboten");
    thermodata::ds.dsold = false;
    ph.nss = ph.npure = 0;
}

}  // namespace
