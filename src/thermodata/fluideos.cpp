// Equations of state of the fluid end-members. H2O and CO2 each have two:
// the Pitzer-Sterner density equation (volume roots by scan and bisection,
// finished by Newton's method) for the newer dataset generation, and a
// compensated Redlich-Kwong form (CORK: a modified Redlich-Kwong volume by
// Newton iteration plus a virial term at high pressure) for the older one.
// Other gases use a corresponding-states CORK from their critical constants.
#include <array>
#include <cmath>

#include "runio/runio.h"
#include "thermodata/gibbs.h"

namespace thermodata {

namespace {

inline double rpow(double x, double y) { return std::exp(y * std::log(x)); }

// The Pitzer-Sterner routines work in bar and cm3/mol.
constexpr double rbar = 83.144;                       // gas constant, cm3 bar/(K mol)
constexpr double rfugacity = 0.008314400000000001;   // kJ/(K mol), of the fugacity sum
constexpr double scanstart = 3.0;                     // smallest volume scanned, cm3/mol
constexpr int scansteps = 20;

// H2O saturation pressure (kbar) as a polynomial in T; the two equations of
// state carry slightly different constants.
double h2opsat(double t, double constant)
{
    return constant + 7.29395e-07 * t * t - 2.34622e-09 * t * t * t + 4.83607e-15 * t * t * t * t * t;
}

// Pressure (bar) of the Pitzer-Sterner equation at molar volume v (cm3/mol);
// withslope adds its slope dP/dV (bar per cm3) in dpdv, for the Newton finish
// of a volume root, at no cost to the scans and bisections that need P alone.
template <bool withslope>
double pspressureof(double v, double t, const PSCoefs& c, double& dpdv)
{
    const double rho = 1.0 / v;
    const double rho2 = rho * rho;
    const double d = c[2] + rho * (c[3] + rho * (c[4] + rho * (c[5] + rho * c[6])));
    const double dd = c[3] + rho * (2.0 * c[4] + rho * (3.0 * c[5] + rho * 4.0 * c[6]));
    const double e8 = std::exp(-c[8] * rho), e10 = std::exp(-c[10] * rho);
    if constexpr (withslope) {
        const double ddd = 2.0 * c[4] + rho * (6.0 * c[5] + rho * 12.0 * c[6]);
        // d/drho of the bracket below, then drho/dV = -rho^2
        const double dbracket = 1.0 + 2.0 * c[1] * rho -
                                (2.0 * rho * dd + rho2 * ddd - 2.0 * rho2 * dd * dd / d) / (d * d) +
                                c[7] * e8 * rho * (2.0 - c[8] * rho) + c[9] * e10 * rho * (2.0 - c[10] * rho);
        dpdv = -rbar * t * rho2 * dbracket;
    }
    return rbar * t * (rho + c[1] * rho2 - rho2 * dd / (d * d) + c[7] * rho2 * e8 + c[9] * rho2 * e10);
}

double pspressureslope(double v, double t, const PSCoefs& c, double& dpdv)
{
    return pspressureof<true>(v, t, c, dpdv);
}

// The Pitzer-Sterner residual pressure and fugacity at one P and T.
struct PSState {
    double pbar, t;
    const PSCoefs& c;

    [[noreturn]] void zerovolume(const char* message) const
    {
        std::string line = "P = ";
        runio::addreal(pbar, 2, true, 8, line);
        line += ", T = ";
        runio::addreal(t - 273.15, 1, true, 10, line);
        runio::putstr(0, line, 1, runio::mscreen);
        runio::bomb("doSP", message, 1);
    }

    double funcx(double v) const
    {
        if (v == 0.0) zerovolume("V = 0 in funcx");
        return pspressure(v, t, c) - pbar;
    }

    // ln f (f in bar) at the molar volume v of a root.
    double calclnf(double v) const
    {
        if (v == 0.0) zerovolume("V = 0 in calclnf");
        const double rho = 1.0 / v;
        const double d = c[2] + rho * (c[3] + rho * (c[4] + rho * (c[5] + rho * c[6])));
        return std::log(rho) + c[1] * rho + (1.0 / d - 1.0 / c[2]) - (c[7] / c[8]) * (std::exp(-c[8] * rho) - 1.0) -
               (c[9] / c[10]) * (std::exp(-c[10] * rho) - 1.0) + pbar / (rbar * t * rho) + std::log(rbar * t) - 1.0;
    }

    // Sign changes of the residual on a coarse scan of volume up to limit
    // (cm3), at most three; returns their count.
    int bracketroots(double limit, runio::Arr<double, 4>& lo, runio::Arr<double, 4>& hi) const
    {
        int nint = 0;
        const double step = (limit - scanstart) / scansteps;
        double va = scanstart, fa = funcx(va);
        for (int i = 1; i <= scansteps && nint < 3; ++i) {
            const double vb = va + step, fb = funcx(vb);
            if (fa * fb < 0.0) {
                ++nint;
                lo[nint] = va;
                hi[nint] = vb;
            }
            va = vb;
            fa = fb;
        }
        return nint;
    }

    // Bisection from the end whose residual is negative, keeping that side;
    // across receives the other end of the last interval, where the residual
    // is positive (x itself when the residual there is exactly 0).
    double bisect(double lo, double hi, double tol, double& across) const
    {
        const double flo = funcx(lo);
        if (flo * funcx(hi) >= 0.0) runio::bomb("sterner-pitzer", "no bracket", 0);
        double x = flo < 0.0 ? lo : hi;
        double step = flo < 0.0 ? hi - lo : lo - hi;
        for (int round = 1; round <= 40; ++round) {
            step /= 2.0;
            const double fm = funcx(x + step);
            if (fm <= 0.0) x += step;
            if (std::fabs(step) < tol || fm == 0.0) {
                across = fm == 0.0 ? x : x + step;
                return x;
            }
        }
        runio::bomb("sterner-pitzer", "did not converge", 0);
    }

    // The bisected root finished by Newton's method on the equation, inside
    // the last bisection interval [x, across] so that it stays the root the
    // bisection chose; a Newton step that would leave the interval halves it
    // instead. The bisection leaves up to 0.001 cm3, which the slopes of the
    // fluid's activities over 0.01 K (sizes and interaction energies made
    // from the volumes) turn into jumps of several percent; finished, the
    // volume is smooth in P and T to rounding.
    double newtonfinish(double x, double across) const
    {
        double neg = x, pos = across;   // residual negative at neg, positive at pos
        double v = x;
        for (int round = 1; round <= 40 && neg != pos; ++round) {
            double dpdv;
            const double f = pspressureslope(v, t, c, dpdv) - pbar;
            if (f == 0.0) return v;
            if (f < 0.0)
                neg = v;
            else
                pos = v;
            const double next = v - f / dpdv;
            if (!(next >= std::fmin(neg, pos) && next <= std::fmax(neg, pos))) {
                v = 0.5 * (neg + pos);
                continue;
            }
            // Newton converges quadratically here: a step of 1e-9 of the
            // volume leaves the next one at rounding.
            if (std::fabs(next - v) <= 1e-9 * v) return next;
            v = next;
        }
        return v;
    }

    // Below the critical point the isotherm has three volume roots over a
    // range of pressure, and a coarse scan can hold all three in one interval,
    // where the bisection tends to the vapour-like root. Above the saturation
    // pressure the liquid is the stable phase: when the root found is not
    // liquid-like (bulk modulus -V dP/dV below the pressure, which a gas below
    // its Boyle temperature and the unstable middle root both show), a fine
    // geometric scan up from the smallest volume looks for a denser root.
    double densestroot(double x, double& across) const
    {
        constexpr double h = 1e-6;
        const double kt = -(funcx(x * (1.0 + h)) - funcx(x * (1.0 - h))) / (2.0 * h);
        if (kt >= pbar) return x;
        constexpr double ratio = 1.05;   // resolves roots 5% apart in volume
        double a = scanstart, fa = funcx(a);
        while (a * ratio < x) {
            const double b = a * ratio, fb = funcx(b);
            if (fa * fb < 0.0) return bisect(a, b, (a + b) * 1e-6 / 2.0, across);
            a = b;
            fa = fb;
        }
        return x;
    }
};

}  // namespace

// ---------------------------------------------------------------- compensated Redlich-Kwong

void findVs(double p, double t, double dp, double ps, double c0, double c1, double c2, double a, double b, double& v,
            double& lnphi)
{
    const double rt = rgas * t;
    const double sqrtt = std::sqrt(t);
    const double k = a / sqrtt - b * (rt + b * p);
    const double ab = a * b / sqrtt;
    bool converged = false;
    for (int step = 1; step <= 21 && !converged; ++step) {
        const double dv = (v * (v * (v * p - rt) + k) - ab) / (v * (3.0 * v * p - 2.0 * rt) + k);
        v -= dv;
        // A step below the repulsive volume restarts on the liquid side above
        // the saturation pressure and on the gas side below it.
        if (v < b) v = ps < p ? 1.001 * b : rt / p;
        converged = std::fabs(dv) < 0.001 * v;
    }
    if (!converged) runio::bomb("findVs", "did not converge", 0);
    const double z = p * v / rt;
    const double bb = b * p / rt;
    lnphi = z - 1.0 - std::log(z - bb) - a / (rt * sqrtt * b) * std::log(1.0 + bb / z);
    if (dp > 0.0) {
        v += c0 * dp + c1 * std::sqrt(dp) + c2 * rpow(dp, 0.25);
        lnphi += (c0 * dp * dp / 2.0 + 2.0 * c1 * rpow(dp, 1.5) / 3.0 + 4.0 * c2 * rpow(dp, 1.25) / 5.0) / rt;
    }
}

CorkH2O corkh2oparams(double t)
{
    CorkH2O w;
    if (t >= 673.0)
        w.aliq = 1037.2 + 0.53013 * t - 0.00073907 * t * t + 1.7782e-07 * t * t * t;
    else
        w.aliq = -1451.88 + 12.718 * t - 0.02212 * t * t + 1.3204e-05 * t * t * t;
    if (t < 673.0)
        w.avap = 16137.46 - 69.656 * t + 0.11618 * t * t - 6.8128e-05 * t * t * t;
    else
        w.avap = w.aliq;
    if (t >= 695.0) {
        w.ps = 100.0;   // no saturation: the liquid-vapour join never applies
    } else {
        w.ps = h2opsat(t, -0.013628);
        if (w.ps < 0.001) w.ps = 0.001;
    }
    return w;
}

namespace {

void corkh2o(double& v, double& rtlnf, double p, double t)
{
    constexpr double b = 1.465, c0 = 0.0019853, c1 = -0.08909, c2 = 0.080331;
    const double rt = rgas * t;
    const double dp = p > 2.01 ? p - 2.01 : 0.0;
    const CorkH2O w = corkh2oparams(t);
    // Above the saturation pressure the liquid branch is joined to the vapour
    // branch at the saturation pressure, so G is continuous there.
    double lnphia = 0.0, lnphib = 0.0;
    if (t < 695.0 && p > w.ps) {
        double vs = rt / w.ps + 5.0 * b;
        findVs(w.ps, t, dp, w.ps, c0, c1, c2, w.avap, b, vs, lnphia);
        vs = b;
        findVs(w.ps, t, dp, w.ps, c0, c1, c2, w.aliq, b, vs, lnphib);
    }
    v = rt / p + 3.0 * b;
    double a = w.aliq;
    if (t < 695.0) {
        if (p > w.ps)
            v = b;
        else
            a = w.avap;
    }
    double lnphi;
    findVs(p, t, dp, w.ps, c0, c1, c2, a, b, v, lnphi);
    rtlnf = rt * (std::log(1000.0 * p) + lnphi - lnphib + lnphia);
}

void corkco2(double& v, double& rtlnf, double p, double t)
{
    constexpr double b = 3.057;
    const double rt = rgas * t;
    const double a = 659.8 + 0.21078 * t - 0.00063976 * t * t;
    const double c0 = 0.00540776 - 1.59046e-06 * t;
    const double c1 = -0.178198 + 2.45317e-05 * t;
    const double dp = p > 5.01 ? p - 5.01 : 0.0;
    v = rt / p + 3.0 * b;
    double lnphi;
    findVs(p, t, dp, 100.0, c0, c1, 0.0, a, b, v, lnphi);
    rtlnf = rt * (std::log(1000.0 * p) + lnphi);
}

}  // namespace

// ---------------------------------------------------------------- Pitzer-Sterner

void psh2ocoefs(double t, PSCoefs& c)
{
    const double t2 = t * t, t4 = t2 * t2;
    c[1] = 246576.88 / t + 51.359951;
    c[2] = 0.58638965 / t - 0.0028646939 + 3.1375577e-05 * t;
    c[3] = -6.278384 / t + 0.014791599 + 0.00035779579 * t + 1.5432925e-08 * t2;
    c[4] = -0.42719875 - 1.6325155e-05 * t;
    c[5] = 5665.4978 / t - 16.580167 + 0.076560762 * t;
    c[6] = 0.10917883;
    c[7] = 3887865600000.0 / t4 - 134948780.0 / t2 + 309165.64 / t + 7.5591105;
    c[8] = -65537.898 / t + 188.10675;
    c[9] = -14182435000000.0 / t4 + 181653900.0 / t2 - 197690.68 / t - 23.530318;
    c[10] = 92093.375 / t + 122.46777;
}

void psco2coefs(double t, PSCoefs& c)
{
    const double t2 = t * t, t4 = t2 * t2;
    c[1] = 1826134.0 / t + 79.224365;
    c[2] = 6.656066e-05 + 5.7152798e-06 * t + 3.0222363e-10 * t2;
    c[3] = 0.0059957845 + 7.1669631e-05 * t + 6.2416103e-09 * t2;
    c[4] = -1.3270279 / t - 0.15210731 + 0.00053654244 * t - 7.1115142e-08 * t2;
    c[5] = 0.12456776 / t + 4.9045367 + 0.009822056 * t + 5.5962121e-06 * t2;
    c[6] = 0.75522299;
    c[7] = -393446440000.0 / t4 + 90918237.0 / t2 + 427767.16 / t - 22.347856;
    c[8] = 402.82608 / t + 119.71627;
    c[9] = 22995650.0 / t2 - 78971.817 / t - 63.376456;
    c[10] = 95029.765 / t + 18.038071;
}

double pspressure(double v, double t, const PSCoefs& c)
{
    double unused;
    return pspressureof<false>(v, t, c, unused);
}

void doSP(double pbar, double t, const PSCoefs& c, double psat, double& v, double& rtlnf)
{
    const PSState s{pbar, t, c};
    const double limit = v;

    runio::Arr<double, 4> lo{}, hi{};
    const int nint = s.bracketroots(limit, lo, hi);
    if (nint == 0) runio::bomb("sterner-pitzer", "no bracket", 0);

    double root = 0.0, across = 0.0;
    if (nint == 1) {
        root = s.bisect(scanstart, limit, 0.001, across);
        if (psat > 0.0 && pbar > psat) root = s.densestroot(root, across);
    } else {
        // The vapour below the saturation pressure, the liquid above it.
        for (int k = 1; k <= nint; ++k) {
            const double a = lo[k], b = hi[k];
            double xacross;
            const double x = s.bisect(a, b, (a + b) * 1e-6 / 2.0, xacross);
            if (k == 1 || (pbar < psat ? x > root : x < root)) {
                root = x;
                across = xacross;
            }
        }
    }
    root = s.newtonfinish(root, across);
    v = root / 10.0;
    rtlnf = rfugacity * t * s.calclnf(root);
}

namespace {

// dV/dP (kJ/kbar per kbar) of a Pitzer-Sterner fluid at its volume v
// (kJ/kbar), from the slope of the equation there.
double psslope(const PSCoefs& c, double v, double t)
{
    const double vcm3 = 10.0 * v, h = 1e-6 * vcm3;
    const double dpdv = (pspressure(vcm3 + h, t, c) - pspressure(vcm3 - h, t, c)) / (2.0 * h);   // bar per cm3
    return 100.0 / dpdv;
}

}  // namespace

// ---------------------------------------------------------------- the fluids

void h2oeos(double& v, double& rtlnf, double p, double t)
{
    if (!ds.dsgen6) {
        corkh2o(v, rtlnf, p, t);
        return;
    }
    PSCoefs c;
    psh2ocoefs(t, c);
    v = 8.3144 * t / p + 20.0;
    doSP(1000.0 * p, t, c, 1000.0 * h2opsat(t, -0.013627), v, rtlnf);
}

void co2eos(double& v, double& rtlnf, double p, double t)
{
    if (!ds.dsgen6) {
        corkco2(v, rtlnf, p, t);
        return;
    }
    PSCoefs c;
    psco2coefs(t, c);
    v = 8.3144 * t / p + 60.0;
    doSP(1000.0 * p, t, c, 0.0, v, rtlnf);
}

void corkcs(double& v, double& rtlnf, double p, double t, double pcrit, double tcrit)
{
    const double rt = rgas * t;
    const double sqrtt = std::sqrt(t), sqrtp = std::sqrt(p);
    const double a = (5.45963e-05 * tcrit - 8.6392e-06 * t) * tcrit * std::sqrt(tcrit) / pcrit;
    const double b = 0.000918301 * tcrit / pcrit;
    const double c = (-3.30558e-05 * tcrit + 2.30524e-06 * t) / (pcrit * std::sqrt(pcrit));
    const double d = (6.93054e-07 * tcrit - 8.38293e-08 * t) / (pcrit * pcrit);
    v = rt / p + b - a * rgas * sqrtt / ((rt + b * p) * (rt + 2.0 * b * p)) + c * sqrtp + d * p;
    rtlnf = rt * std::log(1000.0 * p) + b * p + a / (b * sqrtt) * (std::log(rt + b * p) - std::log(rt + 2.0 * b * p)) +
            2.0 / 3.0 * c * p * sqrtp + 0.5 * d * p * p;
}

double fluidvolume(double p, double t, double xco2, double xh2o)
{
    double vc, vw, unused;
    if (!(xco2 > 0.0)) {
        h2oeos(vw, unused, p, t);
        return vw;
    }
    // The excess volume: the pressure derivative of an excess Gibbs energy
    // 21 xCO2 xH2O / V of the ideal mixture (kJ).
    co2eos(vc, unused, p, t);
    h2oeos(vw, unused, p, t);
    const double vmix = xco2 * vc + xh2o * vw;
    if (ds.dsgen6) {
        // dV/dP from the slope of each equation at its root, exact where a
        // difference over 1e-4 kbar carries the truncation of its step.
        PSCoefs cc, cw;
        psco2coefs(t, cc);
        psh2ocoefs(t, cw);
        const double dvmix = xco2 * psslope(cc, vc, t) + xh2o * psslope(cw, vw, t);
        return vmix - 21.0 * xco2 * xh2o * dvmix / (vmix * vmix);
    }
    constexpr double dp = 0.0001;
    double vc2, vw2;
    co2eos(vc2, unused, p + dp, t);
    h2oeos(vw2, unused, p + dp, t);
    return vmix + 21.0 * xco2 * xh2o * (1.0 / (xco2 * vc2 + xh2o * vw2) - 1.0 / vmix) / dp;
}

}  // namespace thermodata
