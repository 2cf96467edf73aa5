// Reaction thermodynamics on hand-made end-member rows: the Gibbs energy
// change and its derivatives against sums of the end-members' own G, ln K
// from activities and the fluid, and the fatal checks.
#include "gibbsfixture.h"

namespace {

using namespace gibbstest;

// fo + 2 qz + H2O = abL, a made-up reaction among four rows (end-member 5,
// a Bragg-Williams phase, stays out of it).
class Reaction : public GibbsTest {
protected:
    void SetUp() override
    {
        GibbsTest::SetUp();
        putrow(1, "fo", solidrow());
        putrow(2, "qz", landaurow());
        putrow(3, "H2O", h2orow());
        putrow(4, "foL", liquidrow());
        putrow(5, "ab", bwrow());
        td::ems.ih2o = 3;
        coef(1, {-1, -2, -1, 1, 0});
    }
    static void coef(int i, std::initializer_list<int> nu)
    {
        auto& r = calcwindows::rxns.r[i];
        r.fill(0);
        int j = 1;
        for (int n : nu) r[j++] = static_cast<std::int16_t>(n);
    }
    static double sum(std::initializer_list<int> nu, double p, double t)
    {
        double g = 0.0;
        int j = 1;
        for (int n : nu) g += n * gemmake(j++, p, t);
        return g;
    }
};

TEST_F(Reaction, GibbsEnergyChangeAndItsDerivatives)
{
    const std::initializer_list<int> nu = {-1, -2, -1, 1, 0};
    for (auto [p, t] : {std::pair{5.0, 900.0}, {15.0, 1300.0}}) {
        double dgdp, dgdt, g;
        td::calcdg0(1, dgdp, dgdt, g, p, t);
        EXPECT_NEAR(g, sum(nu, p, t), 1e-9);
        // forward differences with steps 1e-5 kbar and 0.001 K
        EXPECT_NEAR(dgdp, (sum(nu, p + 1e-5, t) - sum(nu, p, t)) / 1e-5, 1e-6);
        EXPECT_NEAR(dgdt, (sum(nu, p, t + 0.001) - sum(nu, p, t)) / 0.001, 1e-6);
        // and they are the reaction's volume and minus its entropy, to the
        // forward differences' truncation (central differences over 0.1)
        EXPECT_NEAR(dgdp, (sum(nu, p + 0.05, t) - sum(nu, p - 0.05, t)) / 0.1, 1e-3);
        EXPECT_NEAR(dgdt, (sum(nu, p, t + 0.05) - sum(nu, p, t - 0.05)) / 0.1, 1e-5);
    }
    // An empty reaction.
    coef(2, {0, 0, 0, 0, 0});
    double dgdp = 1, dgdt = 1, g = 1;
    td::calcdg0(2, dgdp, dgdt, g, 10.0, 1000.0);
    EXPECT_EQ(g, 0.0);
    EXPECT_EQ(dgdp, 0.0);
    EXPECT_EQ(dgdt, 0.0);
}

TEST_F(Reaction, LnKFromActivitiesAndFluid)
{
    td::ems.act[1] = 0.8;
    td::ems.act[2] = 1.0;
    td::ems.act[3] = 1.0;   // the fluid end-member: only its ln x counts
    td::ems.act[4] = 0.5;
    td::ems.act[5] = 0.0;   // out of the reaction, so harmless
    double lnk;
    td::calclnk(1, lnk, 5.0, 900.0, 0.3, 0.7);
    EXPECT_NEAR(lnk, -std::log(0.8) + std::log(0.5) - std::log(0.7), 1e-14);
    // x(H2O) = 1 or 0 adds nothing (and 0 does not fail).
    td::calclnk(1, lnk, 5.0, 900.0, 0.0, 1.0);
    EXPECT_NEAR(lnk, -std::log(0.8) + std::log(0.5), 1e-14);
    td::calclnk(1, lnk, 5.0, 900.0, 1.0, 0.0);
    EXPECT_NEAR(lnk, -std::log(0.8) + std::log(0.5), 1e-14);
    // CO2 counts the same way when it takes part.
    TdRow c = co2row();
    putrow(5, "CO2", c);
    td::ems.ico2 = 5;
    td::ems.act[5] = 1.0;
    coef(3, {0, 0, 1, 0, -1});
    td::calclnk(3, lnk, 5.0, 900.0, 0.25, 0.75);
    EXPECT_NEAR(lnk, std::log(0.75) - std::log(0.25), 1e-14);
}

TEST_F(Reaction, FullReactionGibbsEnergy)
{
    td::ems.act[1] = 0.8;
    td::ems.act[4] = 0.5;
    const double p = 5.0, t = 900.0, xco2 = 0.3, xh2o = 0.7;
    double dgdp, dgdt, g, dgdp0, dgdt0, g0, lnk;
    td::calcrxn(1, dgdp, dgdt, g, p, t, xco2, xh2o);
    td::calcdg0(1, dgdp0, dgdt0, g0, p, t);
    td::calclnk(1, lnk, p, t, xco2, xh2o);
    EXPECT_NEAR(g, g0 + rgas * t * lnk, 1e-12);
    EXPECT_NEAR(dgdt, dgdt0 + rgas * lnk, 1e-12);
    EXPECT_EQ(dgdp, dgdp0);
    // The fluid composition stays in the rows of the reaction's end-members.
    for (int j = 1; j <= 4; ++j) {
        EXPECT_EQ(row(j)[td::sXco2], xco2);
        EXPECT_EQ(row(j)[td::sXh2o], xh2o);
    }
    EXPECT_EQ(row(5)[td::sXco2], 0.0);
}

TEST_F(Reaction, FluidCompositionStaysForLaterCalls)
{
    // With the mixed fluid of type 6, H2O's G depends on the x(CO2) that the
    // last calcrxn left in its row.
    calcwindows::win.fluidtype = 6;
    const double before = gem(3, 5.0, 900.0);
    double dgdp, dgdt, g;
    td::calcrxn(1, dgdp, dgdt, g, 5.0, 900.0, 0.4, 0.6);
    EXPECT_GT(gem(3, 5.0, 900.0), before);
}

TEST_F(Reaction, FatalChecks)
{
    const std::string notice = literal("\n\n===This shouldn't have happened...===\n"
                                       "Please notify the PETRAMONDO maintainers at \"petramondo-support@example.org\"\n"
                                       "with full details, relevant files etc etc\n\n");
    EXPECT_EXIT(
        {
            screentostderr();
            double g[3];
            td::calcdg0(1, g[0], g[1], g[2], 5.0, 0.0);
        },
        ::testing::ExitedWithCode(1), literal("\n-- run bombed in calcdg0 : T <= 0 !\n") + notice);
    td::ems.act[2] = 0.0;
    EXPECT_EXIT(
        {
            screentostderr();
            double lnk;
            td::calclnk(1, lnk, 5.0, 900.0, 0.0, 1.0);
        },
        ::testing::ExitedWithCode(1), literal("\n-- run bombed in calclnk : ln<=0\n") + notice);
}

}  // namespace
