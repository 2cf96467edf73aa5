// End-member Gibbs energy: the heat-capacity integral, the volume equations
// of state, Landau and Bragg-Williams ordering, made end-members and the
// fatal thermal-pressure check. References are numerical integrals and
// derivatives, or closed forms worked by hand from the physics.
#include <array>
#include <cstdio>

#include "gibbsfixture.h"

namespace {

using namespace gibbstest;

// Central differences of G: V = dG/dP, S = -dG/dT.
double dgdp(int k, double p, double t, double h = 0.01) { return (gem(k, p + h, t) - gem(k, p - h, t)) / (2 * h); }
double mdgdt(int k, double p, double t, double h = 0.01) { return -(gem(k, p, t + h) - gem(k, p, t - h)) / (2 * h); }

// Bulk modulus -V dP/dV from the second pressure derivative of G.
double modulus(int k, double p, double t, double h = 0.5)
{
    const double v = dgdp(k, p, t, h);
    const double dvdp = (gem(k, p + h, t) - 2 * gem(k, p, t) + gem(k, p - h, t)) / (h * h);
    return -v / dvdp;
}

// ---------------------------------------------------------------- the equations of state, as volumes

// Constants of the modified Tait equation from K, K' and K''.
struct Tait {
    double a, b, c;
};
Tait taitconstants(double k, double kp, double kpp)
{
    if (kpp == 0.0) return {1.0, kp / k, 1.0 / kp};
    return {(1 + kp) / (1 + kp + k * kpp), (kp + kp * kp - k * kpp) / (k * (1 + kp)),
            (1 + kp + k * kpp) / (kp + kp * kp - k * kpp)};
}

// Einstein thermal pressure (kbar), zero at 298.15 K.
double einsteinpth(double alpha, double k, double theta, double t)
{
    const double u0 = theta / t0;
    const double xi0 = u0 * u0 * std::exp(u0) / std::pow(std::exp(u0) - 1, 2);
    return alpha * k * theta / xi0 * (1 / std::expm1(theta / t) - 1 / std::expm1(u0));
}

// V(P, T) of a solid row by the modified Tait equation with thermal pressure,
// scaled so that V(0.001 kbar, 298.15 K) = V0.
double taitvolume(const TdRow& r, double p, double t)
{
    const Tait q = taitconstants(r[td::sKappa0], r[td::sKappa0p], r[td::sKappa0pp]);
    const double pth = einsteinpth(r[td::sAlpha0], r[td::sKappa0], r[td::sTheta], t);
    const double n = (1 - q.a) + q.a * std::pow(1 + 0.001 * q.b, -q.c);
    return r[td::sV] * ((1 - q.a) + q.a * std::pow(1 + q.b * (p - pth), -q.c)) / n;
}

// V(P, T) of a liquid row: Tait with a temperature-dependent modulus and an
// exponential expansion at 1 bar.
double liquidvolume(const TdRow& r, double p, double t)
{
    const double k = r[td::sKappa0] + r[td::sDkappadT] * (t - t0);
    const Tait q = taitconstants(k, r[td::sKappa0p], r[td::sKappa0pp]);
    const double n = (1 - q.a) + q.a * std::pow(1 + 0.001 * q.b, -q.c);
    return r[td::sV] * std::exp(r[td::sAlpha0] * (t - t0)) * ((1 - q.a) + q.a * std::pow(1 + q.b * p, -q.c)) / n;
}

// Old layout: Murnaghan, V(0.001) = V0 [1 + a0 ((T - T0) - 2 t (sqrt T - sqrt T0))].
double murnaghanvolume(const TdRow& r, double p, double t)
{
    const double kt = r[td::sKappa0pp] + r[td::sDkappadT] * (t - t0);
    const double kp = r[td::sTheta];
    const double expansion = 1 + r[td::sAlpha0] * ((t - t0) - 2 * r[td::sKappa0] * (std::sqrt(t) - std::sqrt(t0)));
    const double v1 = r[td::sV] * expansion;
    return v1 * std::pow((1 + kp * p / kt) / (1 + 0.001 * kp / kt), -1 / kp);
}

// An old-layout row: slot 8 a0, 9 t, 11 kappa0, 12 kappa0', 13 dkappa0/dT.
TdRow oldrow()
{
    TdRow r = solidrow();
    r[td::sAlpha0] = 3.5e-5;
    r[td::sKappa0] = 12.0;   // the expansion constant t of alpha = a0 (1 - t/sqrt T)
    r[td::sKappa0p] = 0.0;
    r[td::sKappa0pp] = 1250.0;
    r[td::sTheta] = 4.2;
    r[td::sDkappadT] = -0.2;
    return r;
}

// ---------------------------------------------------------------- heat capacity and reference point

TEST_F(GibbsTest, HeatCapacityTermMatchesIntegratedCp)
{
    // cp integrated numerically (Simpson, 4000 intervals; the error is far
    // below 1e-9 kJ): G - (H - TS) = int cp dT - T int cp/T dT from 298.15 K.
    TdRow r = solidrow();
    r[td::sV] = 0.0;   // no volume term
    putrow(1, "fo", r);
    auto cp = [&](double t) { return r[4] + r[5] * t + r[6] / (t * t) + r[7] / std::sqrt(t); };
    for (double t : {250.0, 298.15, 400.0, 800.0, 1500.0, 2500.0}) {
        const double h = simpson(cp, t0, t, 4000);
        const double s = simpson([&](double x) { return cp(x) / x; }, t0, t, 4000);
        EXPECT_NEAR(gem(1, 7.0, t) - (r[1] - t * r[2]), h - t * s, 1e-8) << "T = " << t;
    }
}

TEST_F(GibbsTest, ReferencePointGivesHMinusTS)
{
    // At 298.15 K and 1 bar the heat-capacity, volume and thermal-pressure
    // terms all vanish.
    putrow(1, "fo", solidrow());
    putrow(2, "foL", liquidrow());
    EXPECT_NEAR(gem(1, 0.001, t0), -2150.0 - t0 * 0.0930, 1e-9);
    EXPECT_NEAR(gem(2, 0.001, t0), -2237.0 - t0 * 0.0620, 1e-9);
}

TEST_F(GibbsTest, ZeroEntropyIsBareEnthalpy)
{
    // |S| < 1e-8: G = H whatever the name, the ordering or the conditions.
    TdRow w = h2orow();
    w[td::sS] = 5e-9;
    putrow(1, "H2O", w);
    TdRow l = landaurow();
    l[td::sS] = 0.0;
    putrow(2, "qz", l);
    for (double t : {300.0, 900.0, 1600.0}) {
        EXPECT_EQ(gem(1, 12.0, t), -240.0);
        EXPECT_EQ(gem(2, 30.0, t), -905.0);
    }
}

// ---------------------------------------------------------------- volume terms

TEST_F(GibbsTest, TaitVolumeTermIsIntegralOfVolume)
{
    // int V dP from 0.001 kbar, V from the Tait equation with Einstein
    // thermal pressure (Simpson, 2000 intervals, error < 1e-9 kJ).
    const TdRow r = solidrow();
    putrow(1, "fo", r);
    for (double t : {298.15, 900.0, 1500.0})
        for (double p : {5.0, 30.0, 100.0}) {
            const double gv = gem(1, p, t) - gem(1, 0.001, t);
            const double ref = simpson([&](double x) { return taitvolume(r, x, t); }, 0.001, p, 2000);
            EXPECT_NEAR(gv, ref, 1e-8) << "P = " << p << ", T = " << t;
        }
}

TEST_F(GibbsTest, TaitNearItsSingularPointKeepsItsDigits)
{
    // kappa0 1024 kbar and kappa0' 4 make d = 1 + kappa0' + kappa0 kappa0''
    // exactly 0 at kappa0'' = -5/1024: a = 5/d has no value there and
    // c = d/(kappa0' + kappa0'^2 - kappa0 kappa0'') is 0, but ac = 5/25 stays
    // finite and V tends to V0 (1 - ac ln(1 + b (P - Pth)))/N. Reference: V
    // written with expm1 as 1 - a + a x^-c = 1 + ac expm1(-c ln x)/c, which
    // keeps its digits as c goes to 0, integrated by Simpson (2000
    // intervals, error < 1e-11 kJ). kappa0'' at that point, at the doubles
    // next to it (d = -/+8.9e-16), and on each side of an |a| of 300.
    const double kpp0 = -5.0 / 1024.0;
    const auto relvolume = [](double kappa, double kpp, double x) {
        const double kp = 4.0, e = kp + kp * kp - kappa * kpp;
        const double c = (1 + kp + kappa * kpp) / e, ac = (1 + kp) / e;
        return 1 + ac * (c == 0 ? -std::log(x) : std::expm1(-c * std::log(x)) / c);
    };
    for (double kpp : {kpp0, std::nextafter(kpp0, 0.0), std::nextafter(kpp0, -1.0), (5.0 / 300.5 - 5.0) / 1024.0,
                       (5.0 / 299.5 - 5.0) / 1024.0, (-5.0 / 299.5 - 5.0) / 1024.0, (-5.0 / 300.5 - 5.0) / 1024.0}) {
        TdRow r = solidrow();
        r[td::sKappa0] = 1024.0;
        r[td::sKappa0p] = 4.0;
        r[td::sKappa0pp] = kpp;
        TdRow l = liquidrow();   // a melt whose modulus does not change with T
        l[td::sKappa0] = 1024.0;
        l[td::sKappa0p] = 4.0;
        l[td::sKappa0pp] = kpp;
        l[td::sDkappadT] = 0.0;
        putrow(1, "fo", r);
        putrow(2, "foL", l);
        const double b = (4.0 + 16.0 - 1024.0 * kpp) / (1024.0 * 5.0);
        const double norm = relvolume(1024.0, kpp, 1 + 0.001 * b);
        for (double t : {900.0, 1500.0}) {
            const double pth = einsteinpth(2.9e-5, 1024.0, 540.0, t);
            const auto solid = [&](double p) { return 4.40 * relvolume(1024.0, kpp, 1 + b * (p - pth)) / norm; };
            const auto melt = [&](double p) {
                return 5.20 * std::exp(9.0e-5 * (t - t0)) * relvolume(1024.0, kpp, 1 + b * p) / norm;
            };
            for (double p : {8.0, 30.0}) {
                EXPECT_NEAR(gem(1, p, t) - gem(1, 0.001, t), simpson(solid, 0.001, p, 2000), 1e-9)
                    << "kappa0'' = " << kpp << ", P = " << p << ", T = " << t;
                EXPECT_NEAR(gem(2, p, t) - gem(2, 0.001, t), simpson(melt, 0.001, p, 2000), 1e-9)
                    << "kappa0'' = " << kpp << ", P = " << p << ", T = " << t;
            }
        }
    }
}

TEST_F(GibbsTest, TaitRecoversModulusDerivativesAndExpansion)
{
    // The equation's constants must reproduce the row's kappa0, kappa0' and
    // kappa0'' at zero pressure and 298.15 K, and the thermal pressure must
    // give alpha0 there: all read off numerical derivatives of G alone.
    putrow(1, "fo", solidrow());
    EXPECT_NEAR(modulus(1, 0.0, t0), 1250.0, 0.01);
    const double d = 2.0;
    const double kplus = modulus(1, d, t0), kminus = modulus(1, -d, t0), k0 = modulus(1, 0.0, t0);
    EXPECT_NEAR((kplus - kminus) / (2 * d), 4.1, 1e-3);
    EXPECT_NEAR((kplus - 2 * k0 + kminus) / (d * d), -0.0033, 2e-4);   // third derivative of G: step noise
    const double h = 0.5, k = 0.5, p = 0.001;
    const double dvdt =
        (gem(1, p + h, t0 + k) - gem(1, p + h, t0 - k) - gem(1, p - h, t0 + k) + gem(1, p - h, t0 - k)) / (4 * h * k);
    EXPECT_NEAR(dvdt / dgdp(1, p, t0), 2.9e-5, 2e-8);
}

TEST_F(GibbsTest, LiquidVolumeTermAndModulus)
{
    const TdRow r = liquidrow();
    putrow(1, "foL", r);
    for (double t : {1400.0, 2000.0})
        for (double p : {1.0, 20.0, 80.0}) {
            const double gv = gem(1, p, t) - gem(1, 0.001, t);
            const double ref = simpson([&](double x) { return liquidvolume(r, x, t); }, 0.001, p, 2000);
            EXPECT_NEAR(gv, ref, 1e-8) << "P = " << p << ", T = " << t;
        }
    // At 1 bar the melt expands as V0 exp(alpha0 (T - T0)), and its modulus at
    // zero pressure is kappa0 + dkappa0/dT (T - T0).
    for (double t : {1000.0, 1800.0}) {
        EXPECT_NEAR(dgdp(1, 0.001, t, 1e-3), 5.20 * std::exp(9.0e-5 * (t - t0)), 1e-7);
        EXPECT_NEAR(modulus(1, 0.0, t, 0.2), 380.0 - 0.05 * (t - t0), 0.01);
    }
}

TEST_F(GibbsTest, OnlyCapitalLMarksALiquid)
{
    putrow(1, "fo", solidrow());
    putrow(2, "fol", solidrow());
    putrow(3, "foL", solidrow());
    EXPECT_EQ(gem(2, 20.0, 1200.0), gem(1, 20.0, 1200.0));
    EXPECT_NE(gem(3, 20.0, 1200.0), gem(1, 20.0, 1200.0));
}

TEST_F(GibbsTest, OldLayoutMurnaghan)
{
    td::ds.dsnew = false;
    td::ds.dsold = true;
    const TdRow r = oldrow();
    putrow(1, "fo", r);
    for (double t : {500.0, 1200.0})
        for (double p : {2.0, 25.0, 60.0}) {
            const double gv = gem(1, p, t) - gem(1, 0.001, t);
            const double ref = simpson([&](double x) { return murnaghanvolume(r, x, t); }, 0.001, p, 2000);
            EXPECT_NEAR(gv, ref, 1e-8) << "P = " << p << ", T = " << t;
        }
    // A Murnaghan solid stiffens linearly: K(P) = K(T) + K' P.
    const double kt = 1250.0 - 0.2 * (800.0 - t0);
    EXPECT_NEAR(modulus(1, 30.0, 800.0), kt + 4.2 * 30.0, 0.01);
}

TEST_F(GibbsTest, LinearAndZeroVolume)
{
    TdRow r = solidrow();
    r[td::sKappa0] = 0.0;   // incompressible and no expansion: V0 (P - 0.001)
    putrow(1, "a", r);
    TdRow z = solidrow();
    z[td::sV] = 0.0;
    putrow(2, "b", z);
    for (double t : {400.0, 1000.0}) {
        EXPECT_NEAR(gem(1, 40.0, t) - gem(1, 0.001, t), 4.40 * (40.0 - 0.001), 1e-10);
        EXPECT_EQ(gem(2, 40.0, t), gem(2, 0.001, t));
    }
    td::ds.dsnew = false;
    td::ds.dsold = true;
    TdRow o = oldrow();
    o[td::sKappa0pp] = 0.0;   // the old layout's modulus slot
    putrow(3, "c", o);
    EXPECT_NEAR(gem(3, 40.0, 700.0) - gem(3, 0.001, 700.0), 4.40 * (40.0 - 0.001), 1e-10);
}

TEST_F(GibbsTest, SolidEntropyAndVolumeAreDerivativesOfG)
{
    // V = dG/dP against the Tait volume itself; S = -dG/dT against
    // S0 + int cp/T dT - int (dV/dT) dP, both integrals numerical and dV/dT
    // by central differences of the Tait volume.
    const TdRow r = solidrow();
    putrow(1, "fo", r);
    auto cp = [&](double t) { return r[4] + r[5] * t + r[6] / (t * t) + r[7] / std::sqrt(t); };
    for (auto [p, t] : {std::pair{0.001, 500.0}, {20.0, 900.0}, {60.0, 1600.0}}) {
        EXPECT_NEAR(dgdp(1, p, t), taitvolume(r, p, t), 1e-8);
        auto dvdt = [&](double x) { return (taitvolume(r, x, t + 0.01) - taitvolume(r, x, t - 0.01)) / 0.02; };
        const double s = r[2] + simpson([&](double x) { return cp(x) / x; }, t0, t, 2000) -
                         simpson(dvdt, 0.001, p, 400);
        EXPECT_NEAR(mdgdt(1, p, t), s, 2e-8) << "P = " << p << ", T = " << t;
    }
}

// ---------------------------------------------------------------- Landau ordering

// The ordering part of G: the row with and without its Landau data.
double landaupart(double p, double t)
{
    TdRow plain = landaurow();
    plain[td::sSmax] = -1.0;
    putrow(2, "qz0", plain);
    return gem(1, p, t) - gem(2, p, t);
}

TEST_F(GibbsTest, LandauEntropyAndVolumeOfOrdering)
{
    // Landau tricritical theory: relative to the state at 298.15 K the
    // ordering adds S = Smax (q0 - q) and V = Vmax (q0 - q), with
    // q^2 = (Tc(P) - T)/Tc and Tc(P) = Tc + P Vmax/Smax; above Tc(P), q = 0.
    putrow(1, "qz", landaurow());
    const double tc = 850.0, smax = 0.0050, vmax = 0.12;
    const double q0 = std::sqrt(1 - t0 / tc);
    for (auto [p, t] : {std::pair{1.0, 600.0}, {1.0, 800.0}, {10.0, 1000.0}, {1.0, 1200.0}, {10.0, 1300.0}}) {
        const double tcp = tc + p * vmax / smax;
        const double q = t < tcp ? std::sqrt((tcp - t) / tc) : 0.0;
        const double h = 1e-3;
        EXPECT_NEAR(-(landaupart(p, t + h) - landaupart(p, t - h)) / (2 * h), smax * (q0 - q), 1e-8)
            << "P = " << p << ", T = " << t;
        EXPECT_NEAR((landaupart(p + h, t) - landaupart(p - h, t)) / (2 * h), vmax * (q0 - q), 1e-8);
    }
}

TEST_F(GibbsTest, LandauAboveAndBelowTheCriticalTemperature)
{
    putrow(1, "qz", landaurow());
    // Tc(10 kbar) = 850 + 10 x 0.12/0.005 = 1090 K. Fully disordered above it:
    // G_ord = Smax Tc (q0 - q0^3/3) + P Vmax q0 - T Smax q0 (hand-worked).
    const double q0 = std::sqrt(1 - t0 / 850.0);
    const double above = 0.0050 * 850.0 * (q0 - q0 * q0 * q0 / 3) + 10.0 * 0.12 * q0 - 1200.0 * 0.0050 * q0;
    EXPECT_NEAR(landaupart(10.0, 1200.0), above, 1e-10);
    // G is continuous through Tc(P), where q goes to zero.
    EXPECT_NEAR(landaupart(10.0, 1090.0 - 1e-7), landaupart(10.0, 1090.0 + 1e-7), 1e-8);
    // The ordering term vanishes at 298.15 K and 0 kbar (q = q0 there).
    EXPECT_NEAR(landaupart(0.0, t0), 0.0, 1e-12);
}

TEST_F(GibbsTest, LandauOldLayoutValue)
{
    // Old layout, q^2 = 1 - T/Tc(P), with the volume part through the
    // Murnaghan modulus; hand-worked at 5 kbar and 700 K.
    td::ds.dsnew = false;
    td::ds.dsold = true;
    TdRow r = oldrow();
    r[td::sTc] = 850.0;
    r[td::sSmax] = 0.0050;
    r[td::sVmax] = 0.12;
    putrow(1, "qz", r);
    TdRow plain = r;
    plain[td::sSmax] = -1.0;
    putrow(2, "qz0", plain);
    const double p = 5.0, t = 700.0;
    const double q0 = std::sqrt(1 - t0 / 850.0), tcp = 850.0 + p * 0.12 / 0.0050, q = std::sqrt(1 - t / tcp);
    const double kt = 1250.0 - 0.2 * (t - t0), kp = 4.2;
    const double expansion = 1 + 3.5e-5 * ((t - t0) - 2 * 12.0 * (std::sqrt(t) - std::sqrt(t0)));
    const double ho = 0.0050 * (850.0 * q0 * (1 - q0 * q0 / 3) - tcp * q * (1 - q * q / 3)) +
                      expansion * 0.12 * kt * q0 * (std::pow(1 + kp * p / kt, 1 - 1 / kp) - 1) / (kp - 1);
    EXPECT_NEAR(gem(1, p, t) - gem(2, p, t), ho - t * 0.0050 * (q0 - q), 1e-9);
}

// ---------------------------------------------------------------- Bragg-Williams ordering

// Ideal configurational entropy of the two-site model: site 1 (one per
// formula) holds A (nQ + 1)/(n + 1) and B n(1 - Q)/(n + 1); site 2 (n per
// formula) holds A (1 - Q)/(n + 1) and B (n + Q)/(n + 1). fac >= 0 scales the
// whole; fac < 0 keeps site 1 whole and scales site 2 by -fac.
double siteentropy(double q, int n, double fac)
{
    const double m = n + 1.0;
    auto xlnx = [](double x) { return x > 0 ? x * std::log(x) : 0.0; };
    const double s1 = -rgas * (xlnx((n * q + 1) / m) + xlnx(n * (1 - q) / m));
    const double s2 = -rgas * n * (xlnx((1 - q) / m) + xlnx((n + q) / m));
    return fac >= 0 ? fac * (s1 + s2) : s1 - fac * s2;
}

// G of ordering at order parameter Q: enthalpy interpolated between the
// disordered state (dH) and the ordered one (0) with interaction W.
double bwg(double q, double dh, double w, int n, double fac, double t)
{
    return dh * (1 - q) + w * q * (1 - q) - t * siteentropy(q, n, fac);
}

// Q minimising that G, by golden-section search.
double minimisingq(double dh, double w, int n, double fac, double t)
{
    double a = 1e-9, b = 1 - 1e-9;
    const double g = (std::sqrt(5.0) - 1) / 2;
    for (int i = 0; i < 200; ++i) {
        const double c = b - g * (b - a), d = a + g * (b - a);
        if (bwg(c, dh, w, n, fac, t) < bwg(d, dh, w, n, fac, t))
            b = d;
        else
            a = c;
    }
    return (a + b) / 2;
}

TEST_F(GibbsTest, BraggWilliamsOrderParameter)
{
    // The bisection's Q against a direct minimisation of G(Q) built from the
    // site occupancies; its residual stops at 0.001 kJ, so Q agrees to ~1e-4.
    struct Case {
        double dh, w;
        int n;
        double fac, t;
    };
    for (const Case& c : {Case{10.0, 8.0, 1, 1.0, 1000.0}, Case{10.0, 8.0, 1, 1.0, 400.0},
                          Case{6.0, 3.0, 2, 1.0, 900.0}, Case{6.0, 3.0, 2, -0.5, 900.0},
                          Case{12.0, 2.0, 3, 0.25, 1300.0}}) {
        const double q = td::solvebwq(c.t, c.dh, c.w, c.fac, c.n);
        EXPECT_NEAR(q, minimisingq(c.dh, c.w, c.n, c.fac, c.t), 2e-4) << c.dh << " " << c.n << " " << c.fac;
        EXPECT_GT(q, 0.01);
        EXPECT_LT(q, 0.9999);
    }
    // Residual still positive at the ordered end: fully ordered. Negative at
    // the disordered end: fully disordered.
    EXPECT_EQ(td::solvebwq(300.0, 200.0, 0.0, 1.0, 1), 0.9999999);
    EXPECT_EQ(td::solvebwq(300.0, -50.0, 0.0, 1.0, 1), 1e-7);
    EXPECT_GT(td::bwdgdq(0.9999999, 300.0, 200.0, 0.0, 1.0, 1), 0.0);
    EXPECT_LT(td::bwdgdq(1e-7, 300.0, -50.0, 0.0, 1.0, 1), 0.0);
}

TEST_F(GibbsTest, BraggWilliamsEntropyAndVolumeOfOrdering)
{
    // At equilibrium dG/dQ = 0, so -dG/dT is the configurational entropy of
    // the site occupancies at that Q and dG/dP the volume of the enthalpy
    // terms, dHv (1 - Q) + Wv Q (1 - Q). Residual tolerance 0.001 kJ makes G
    // uncertain by ~1e-8 kJ, hence steps of 0.5 K and 0.1 kbar rather than
    // smaller ones.
    for (double fac : {1.0, -0.5}) {
        TdRow r = bwrow();
        r[td::sBWfac] = fac;
        r[td::sBWn] = 2.0;
        putrow(1, "ab", r);
        TdRow plain = r;
        plain[td::sBWn] = 0.0;
        putrow(2, "ab0", plain);
        auto part = [&](double p, double t) { return gem(1, p, t) - gem(2, p, t); };
        for (auto [p, t] : {std::pair{1.0, 700.0}, {8.0, 1100.0}}) {
            const double dh = 10.0 + p * 0.1, w = 8.0 + p * 0.05;
            const double qmin = minimisingq(dh, w, 2, fac, t);
            const double s = -(part(p, t + 0.5) - part(p, t - 0.5)) / 1.0;
            const double v = (part(p + 0.1, t) - part(p - 0.1, t)) / 0.2;
            EXPECT_NEAR(s, siteentropy(qmin, 2, fac), 1e-6) << "fac = " << fac << ", T = " << t;
            EXPECT_NEAR(v, 0.1 * (1 - qmin) + 0.05 * qmin * (1 - qmin), 1e-6);
            // and G of ordering is the enthalpy less T S at the Q found
            const double q = td::solvebwq(t, dh, w, fac, 2);
            EXPECT_NEAR(part(p, t), bwg(q, dh, w, 2, fac, t), 1e-9);
        }
    }
}

TEST_F(GibbsTest, BraggWilliamsReplacesLandau)
{
    TdRow both = bwrow();
    both[td::sTc] = 850.0;
    both[td::sSmax] = 0.005;
    both[td::sVmax] = 0.1;
    putrow(1, "ab", both);
    putrow(2, "ab2", bwrow());
    EXPECT_EQ(gem(1, 5.0, 900.0), gem(2, 5.0, 900.0));
}

// ---------------------------------------------------------------- made end-members

TEST_F(GibbsTest, MadeEndMemberIsDqfPlusWeightedConstituents)
{
    // Constituents without entropy have G = H exactly, so the made
    // end-member's G is hand-worked: DQF (a + bT + cP as H, -S, V) plus
    // 1/3 x 90 + 2/3 x (-120).
    TdRow a = makerow({90.0});
    TdRow b = makerow({-120.0});
    putrow(399, "A", a);
    putrow(398, "B", b);
    axmodels::MakeRecipe& rec = axmodels::ph.prec0[7].make;
    rec.count = 2;
    rec.divisor = 3;
    rec.num[1] = 1;
    rec.num[2] = 2;
    rec.pos[1] = 399;
    rec.pos[2] = 398;
    TdRow made = makerow({4.0, 0.002, 0.15});
    made[td::sPhase] = 0.0;   // a pure phase
    made[td::sEntry] = 7.0;
    putrow(1, "mk", made);
    const double p = 12.0, t = 800.0;
    EXPECT_NEAR(gemmake(1, p, t), 4.0 - t * 0.002 + p * 0.15 + 30.0 - 80.0, 1e-10);

    // The same recipe in a solution phase (phase 3, end-member 2), reached
    // by rounding the stored slots.
    axmodels::ph.prec1[3].em[2].make = rec;
    row(1)[td::sPhase] = 2.9999;
    row(1)[td::sEntry] = 2.0001;
    EXPECT_NEAR(gemmake(1, p, t), 4.0 - t * 0.002 + p * 0.15 - 50.0, 1e-10);

    // Slot 30 of 0, or an old-layout dataset: the row is an ordinary one.
    row(1)[td::sEntry] = 0.0;
    EXPECT_EQ(gemmake(1, p, t), gem(1, p, t));
    row(1)[td::sEntry] = 2.0;
    td::ds.dsnew = false;
    td::ds.dsold = true;
    EXPECT_EQ(gemmake(1, p, t), gem(1, p, t));
}

TEST_F(GibbsTest, MadeEndMemberOfRealConstituents)
{
    // A half-half mix of a solid and a Landau phase equals the average of
    // their own G, plus the DQF increment.
    putrow(400, "fo", solidrow());
    putrow(399, "qz", landaurow());
    axmodels::MakeRecipe& rec = axmodels::ph.prec1[1].em[1].make;
    rec.count = 2;
    rec.divisor = 2;
    rec.num = {0, 1, 1};
    rec.pos = {0, 400, 399};
    TdRow made = makerow({-1.5, 0.0, 0.0});
    made[td::sPhase] = 1.0;
    made[td::sEntry] = 1.0;
    putrow(1, "mix", made);
    for (double t : {500.0, 1100.0})
        EXPECT_NEAR(gemmake(1, 10.0, t), -1.5 + 0.5 * (gem(400, 10.0, t) + gem(399, 10.0, t)), 1e-9);
}

// ---------------------------------------------------------------- failures and non-finite results

TEST_F(GibbsTest, ThermalPressureBeyondTheTaitLimitIsFatal)
{
    // b Pth > 1 would take the logarithm of a negative number. The
    // diagnostic line is laid out here with printf from our own Tait constants
    // and Einstein thermal pressure.
    TdRow r = solidrow();
    r[td::sAlpha0] = 3.0e-4;
    putrow(1, "duff", r);
    const double t = 1273.15, p = 10.0;
    const Tait q = taitconstants(1250.0, 4.1, -0.0033);
    const double pth = einsteinpth(3.0e-4, 1250.0, 540.0, t);
    ASSERT_GT(q.b * pth, 1.0);
    char line[200];
    std::snprintf(line, sizeof line, "   1  duff%12.6f      1000%12.6f%12.6f%12.6f%12.6f", p, pth, q.a, q.b, q.c);
    const std::string expected =
        literal(std::string(line) + "\n\n-- run bombed in gem : duff: b Pth > 1, so log(-ve)\n");
    EXPECT_EXIT(
        {
            screentostderr();
            gem(1, p, t);
        },
        ::testing::ExitedWithCode(1), expected);
}

TEST_F(GibbsTest, GibbsEnergyThatIsNoNumberStopsTheRun)
{
    // A Landau critical temperature below 298.15 K (which the readers
    // refuse) has no ordered reference state: its G is no number, and no
    // table or calculation may go on with it.
    TdRow r = landaurow();
    r[td::sTc] = 250.0;
    putrow(1, "odd", r);
    EXPECT_EXIT(
        {
            screentostderr();
            gem(1, 1.0, 280.0);
        },
        ::testing::ExitedWithCode(1),
        literal("-- run bombed in gem : the Gibbs energy of odd at 1 kbar, 6.85\xA1" "C is not a number: its data "
                "give none there\n"));

    // A liquid whose bulk modulus falls with T to 0 at 1058.15 K: above it the
    // Tait volume would come out as a plausible number of the wrong sign.
    TdRow l = liquidrow();
    l[td::sDkappadT] = -0.5;
    putrow(2, "foL", l);
    EXPECT_EXIT(
        {
            screentostderr();
            gem(2, 10.0, 1273.15);
        },
        ::testing::ExitedWithCode(1),
        literal("-- run bombed in gem : the bulk modulus kappa0 + dkappa0/dT (T - 298.15) of foL is -107.5 kbar at "
                "10 kbar, 1000\xA1" "C: it must stay above 0\n"));

    // The number text of a value that is no number says so, never a blank.
    std::string line = "G =";
    runio::addreal(std::nan(""), 2, true, 12, line);
    EXPECT_EQ(line, "G =         NaN");
    EXPECT_EQ(runio::realstr(std::nan(""), 5, false), "NaN");
    EXPECT_EQ(runio::realstrshort(std::nan("")), "NaN");
    EXPECT_EQ(runio::realstr(HUGE_VAL, 3, true), "Inf");
    EXPECT_EQ(runio::realstr(-HUGE_VAL, 3, true), "-Inf");
    line.clear();
    runio::addrealshort(-HUGE_VAL, 8, line);
    EXPECT_EQ(line, "    -Inf");
}

}  // namespace
