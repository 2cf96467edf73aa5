// Aqueous species: the solvent's dielectric constant and the Debye-Hueckel
// parameters against handbook values for water, the solute term's limits,
// the trace line, and the aqueous terms of gem.
#include <regex>

#include "gibbsfixture.h"

namespace {

using namespace gibbstest;

// Water's molality per unit mole fraction of solute: 1000/18.015.
const double molalscale = 1000.0 / 18.015;

class Aqueous : public GibbsTest {};

TEST_F(Aqueous, WaterDielectricAndDebyeHueckelParameters)
{
    // Handbook values for liquid water: epsilon 78.4 at 25 C and 55.5 at
    // 100 C; Debye-Hueckel A (log10, molal) 0.509 and 0.600, B 0.328 and 0.340
    // per angstrom. The mole-fraction ionic strength makes A and B larger by
    // sqrt(55.51); the ion size is 4.5 angstrom. The Kirkwood relation and the
    // equations of state reproduce them to a few percent.
    struct Case {
        bool gen6;
        double p, t, eps, a, b;
    };
    for (const Case& c : {Case{false, 0.002, 298.15, 78.4, 0.509, 0.328}, Case{true, 0.01, 373.15, 55.5, 0.600, 0.340},
                          Case{false, 0.01, 373.15, 55.5, 0.600, 0.340}}) {
        td::ds.dsgen6 = c.gen6;
        const double v = td::fluidvolume(c.p, c.t, 0.0, 1.0);
        EXPECT_NEAR(td::dielectric(c.p, c.t, 0.0, 1.0, v), c.eps, 0.04 * c.eps) << c.t;
        // At vanishing I the term is -A zz sqrt(I); B from the departure at
        // a larger I: -A zz s / (1 + 4.5 B s) with s = sqrt(I).
        const double tiny = 1e-14, ionic = 0.002;
        const double a = -td::dhsolute(c.p, c.t, 0.0, 1.0, tiny, 1.0) / std::sqrt(tiny);
        const double s = std::sqrt(ionic);
        const double b = (-a * s / td::dhsolute(c.p, c.t, 0.0, 1.0, ionic, 1.0) - 1) / (4.5 * s);
        EXPECT_NEAR(a / std::sqrt(molalscale), c.a, 0.05 * c.a) << c.t;
        EXPECT_NEAR(b / std::sqrt(molalscale), c.b, 0.05 * c.b) << c.t;
    }
}

TEST_F(Aqueous, SoluteAndSolventLimits)
{
    EXPECT_EQ(td::dhsolute(2.0, 700.0, 0.1, 0.9, 0.0, 2.0), 0.0);
    // The solvent is renormalised to x(CO2) + x(H2O) = 1.
    EXPECT_NEAR(td::dhsolute(2.0, 700.0, 0.2, 0.6, 0.001, 2.0), td::dhsolute(2.0, 700.0, 0.25, 0.75, 0.001, 2.0),
                1e-12);
    // Pure water uses the pure-water volume whatever x(H2O) says.
    EXPECT_EQ(td::dhsolute(2.0, 700.0, 0.0, 0.4, 0.001, 2.0), td::dhsolute(2.0, 700.0, 0.0, 1.0, 0.001, 2.0));
    // The term is linear in the charge factor.
    EXPECT_NEAR(td::dhsolute(2.0, 700.0, 0.1, 0.9, 0.001, 4.0), 2 * td::dhsolute(2.0, 700.0, 0.1, 0.9, 0.001, 2.0),
                1e-15);
}

TEST_F(Aqueous, TraceLineAtDebugLevelFive)
{
    runio::chans.chanset = runio::mscreen;
    runio::prefs.wrapscreen = false;
    runio::scriptflags.debuglevel = 5;
    testing::internal::CaptureStdout();
    const double dh = td::dhsolute(2.0, 700.0, 0.2, 0.6, 0.001, 2.0);
    const std::string out = testing::internal::GetCapturedStdout();
    runio::chans.chanset = 0;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(out, m,
                                 std::regex("xco2 = 0\\.2500, xh2o = 0\\.7500, I = 0\\.00100, A = ([0-9.]+), "
                                            "B x 10\\^-10 = ([0-9.]+), DH\\(solute\\) = (-[0-9]\\.[0-9]{5})\n")))
        << out;
    // The numbers shown are the ones the term was made of.
    const double a = std::stod(m[1]), b = std::stod(m[2]) * 1e10;
    EXPECT_NEAR(-a * 2 * std::sqrt(0.001) / (1 + 4.5e-10 * b * std::sqrt(0.001)), dh, 1e-7);
    EXPECT_NEAR(std::stod(m[3]), dh, 5e-6);
}

TEST_F(Aqueous, AqueousTermsOfGem)
{
    // G of an aqueous species: its coefficient times an empirical function of
    // T and the water volume (hand-worked from the water volume the equation
    // of state gives), plus 0.03354 T, plus R T ln 10 times the log10
    // activity coefficient of a charged solute.
    TdRow r = makerow({-500.0, 0.1, 0.0});
    r[td::sAq] = 0.35;
    r[td::sXco2] = 0.0;
    r[td::sXh2o] = 1.0;
    putrow(1, "Na+", r);
    TdRow plain = r;
    plain[td::sAq] = 0.0;
    putrow(2, "dry", plain);
    for (double t : {450.0, 800.0}) {
        const double p = 3.0;
        double vw, g;
        td::h2oeos(vw, g, p, t);
        const double tcap = t > 500 ? 500 : t;
        const double ga = 0.35 * (0.09086 * t - 27.091 + 350.42 * (t / tcap) * std::log(1.8179945600000003 / vw) -
                                  15.8 * p) +
                          0.03354 * t;
        EXPECT_NEAR(gem(1, p, t) - gem(2, p, t), ga, 1e-10) << t;
    }
    // A charged species in a solution of ionic strength I.
    const double p = 3.0, t = 800.0;
    const double neutral = gem(1, p, t);
    row(1)[td::sZ1] = 1.0;
    row(1)[td::sZ2] = 2.0;
    EXPECT_EQ(gem(1, p, t), neutral);   // no ionic strength yet
    row(1)[td::sIonic] = 0.001;
    // (its factor is R ln 10 to 8 significant digits)
    const double dh = rgas * std::log(10.0) * t * td::dhsolute(p, t, 0.0, 1.0, 0.001, 2.0);
    EXPECT_NEAR(gem(1, p, t) - neutral, dh, 1e-7 * std::fabs(dh));
    // The dataset fit carries no aqueous species.
    runio::run.calcmode = 5;
    td::ds.dsemname[1] = "Na+     ";
    td::ds.dsemname[2] = "dry     ";
    EXPECT_EQ(gem(1, p, t), gem(2, p, t));
}

}  // namespace
