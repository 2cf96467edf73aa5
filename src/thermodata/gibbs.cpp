// The apparent Gibbs energy of an end-member at P and T from its data row:
// standard-state enthalpy and entropy, the heat-capacity integral, the
// volume integral of its equation of state, the fluid equations of state,
// Landau or Bragg-Williams ordering, the cordierite channel fluid and the
// aqueous terms; and made end-members as weighted sums of their constituents.
#include "thermodata/gibbs.h"

#include <cmath>
#include <string_view>

#include "axmodels/axmodels.h"
#include "runio/runio.h"

namespace thermodata {

namespace {

// Powers of the reference temperature, as the double values of 298.15.
const double t0sq = tref * tref;
const double invt0 = 1.0 / tref;
const double sqrtt0 = std::sqrt(tref);
const double invt0sq = 1.0 / (tref * tref);
const double invsqrtt0 = 1.0 / std::sqrt(tref);

// A non-integer power, as exp(y ln x) throughout (a negative base gives NaN,
// which the caller then sees in G).
inline double rpow(double x, double y) { return std::exp(y * std::log(x)); }

// The closed form of the Tait volume integral subtracts terms some |a| times
// the size of the result. Beyond this |a| the form in ac, which stays
// accurate as c goes to 0, takes over. Where they meet the two agree to
// 1e-10 kJ for a V0 of 4 kJ/kbar, and to about 1e-9 kJ for one of 30 kJ/kbar
// at 50 kbar. Data whose kappa0'' matches kappa0 and kappa0' have an |a| of
// 1 + kappa0', far below it, and keep the closed form.
constexpr double taitcancel = 300.0;

// (x^-c - 1)/c from ln x, with its limit -ln x at c = 0.
double powm1overc(double c, double lnx) { return c == 0.0 ? -lnx : std::expm1(-c * lnx) / c; }

// The integral over P of the Tait volume relative to V0, before the
// normalisation, from x1 = 1 + b (P1 - Pth) to x2 = 1 + b (P2 - Pth), with
// dp = P2 - P1 (kbar). Beyond taitcancel it is written as
// dp + (ac/b) [g(x2) - g(x1)], g(x) = x ((x^-c - 1)/c + 1)/(1 - c), whose
// limit at c = 0 is x (1 - ln x).
double taitintegral(const TaitConstants& k, double dp, double x1, double x2)
{
    if (std::fabs(k.a) <= taitcancel)
        return dp * (1.0 - k.a) + k.a * (rpow(x1, 1.0 - k.c) - rpow(x2, 1.0 - k.c)) / (k.b * (k.c - 1.0));
    const auto g = [&k](double x) { return x * (powm1overc(k.c, std::log(x)) + 1.0) / (1.0 - k.c); };
    return dp + k.ac / k.b * (g(x2) - g(x1));
}

// The name without the blanks that fill dataset names to 8 characters.
std::string_view corename(const std::string& s)
{
    std::size_t first = 0, last = s.size();
    while (first < last && runio::isblankchar(s[first])) ++first;
    while (last > first && runio::isblankchar(s[last - 1])) --last;
    return std::string_view(s).substr(first, last - first);
}

// H - TS relative to 298.15 K from cp = a + bT + c/T^2 + d/sqrt(T).
double cpterm(const TdRow& r, double t)
{
    const double a = r[sCpa], b = r[sCpb], c = r[sCpc], d = r[sCpd];
    const double sqrtt = std::sqrt(t);
    const double dh = a * (t - tref) + b / 2.0 * (t * t - t0sq) - c * (1.0 / t - invt0) + 2.0 * d * (sqrtt - sqrtt0);
    const double ds = a * std::log(t / tref) + b * (t - tref) - c / 2.0 * (1.0 / (t * t) - invt0sq) -
                      2.0 * d * (1.0 / sqrtt - invsqrtt0);
    return dh - t * ds;
}

// The old layout's thermal expansion of the volume, V(T)/V0, with
// alpha = a0 (1 - t/sqrt(T)).
double oldexpansion(const TdRow& r, double t)
{
    return 1.0 + r[sAlpha0] * ((t - tref) - 2.0 * r[sKappa0] * (std::sqrt(t) - sqrtt0));
}

// Bulk modulus at T (kbar) and its pressure derivative in the old layout.
void oldmodulus(const TdRow& r, double t, double& kt, double& kp)
{
    kt = r[sKappa0pp] + r[sDkappadT] * (t - tref);
    kp = r[sTheta];
}

[[noreturn]] void thermalpressurefault(std::string_view name, double p, double t, double pth, double a, double b,
                                       double c)
{
    std::string line;
    runio::addfield(runio::inttext(ds.expno), 4, line);
    runio::addfield(std::string(name), 6, line);
    runio::addreal(p, 6, true, 12, line);
    runio::addrealshort(t - 273.15, 10, line);
    for (double x : {pth, a, b, c}) runio::addreal(x, 6, true, 12, line);
    runio::putstr(0, line, 1, runio::mscreen);
    runio::bomb("gem", "duff: b Pth > 1, so log(-ve)", 0);
}

// The bulk modulus of a liquid, or of any end-member of the old layout,
// changes with T; where it is no longer positive the phase has no volume.
[[noreturn]] void modulusfault(std::string_view name, double kappa, double p, double t)
{
    runio::bomb("gem", "the bulk modulus kappa0 + dkappa0/dT (T - 298.15) of " + std::string(name) + " is " +
                           runio::realstr(kappa, 4, false) + " kbar at " + runio::pointtext(p, t) +
                           ": it must stay above 0",
                0);
}

// Data that pass the readers can still give no G at some P and T (a power
// of a negative base, an exponential beyond every double): no table or
// calculation can go on with it.
[[noreturn]] void nonumberfault(std::string_view name, double p, double t)
{
    const std::string experiment = runio::run.calcmode == 5 ? " in experiment " + runio::inttext(ds.expno) : "";
    runio::bomb("gem", "the Gibbs energy of " + std::string(name) + " at " + runio::pointtext(p, t) + experiment +
                           " is not a number: its data give none there",
                0);
}

// The integral of V dP from 0.001 kbar to P at T.
double volumeterm(const TdRow& r, bool liquid, std::string_view name, double p, double t)
{
    const double v0 = r[sV];
    if (v0 == 0.0) return 0.0;
    if (ds.dsnew ? r[sKappa0] == 0.0 : r[sKappa0pp] == 0.0) return v0 * (p - pref);

    if (!ds.dsnew) {   // Murnaghan, with V at 1 bar expanded by the old-layout alpha
        double kt, kp;
        oldmodulus(r, t, kt, kp);
        if (!(kt > 0.0)) modulusfault(name, kt, p, t);
        const double v1 = v0 * oldexpansion(r, t);
        const double base = 1.0 + pref * kp / kt;
        return v1 * rpow(base, 1.0 / kp) * kt / (kp - 1.0) *
               (rpow(1.0 + kp * p / kt, 1.0 - 1.0 / kp) - rpow(base, 1.0 - 1.0 / kp));
    }

    // Modified Tait equation.
    double kappa = r[sKappa0];
    if (liquid) {
        kappa += r[sDkappadT] * (t - tref);
        if (!(kappa > 0.0)) modulusfault(name, kappa, p, t);
    }
    const TaitConstants k = taitconstants(kappa, r[sKappa0p], r[sKappa0pp]);
    const double b = k.b;

    if (liquid)
        return v0 * std::exp(r[sAlpha0] * (t - tref)) * taitintegral(k, p - pref, 1.0 + pref * b, 1.0 + b * p) /
               k.norm;

    // Thermal pressure from an Einstein model: it vanishes at 298.15 K, so the
    // volume integral needs no separate reference-temperature correction.
    const double theta = r[sTheta];
    const double u0 = theta / tref;
    const double eu0 = std::exp(u0);
    const double xi0 = u0 * u0 * eu0 / ((eu0 - 1.0) * (eu0 - 1.0));
    const double pth = r[sAlpha0] * kappa * theta / xi0 * (1.0 / (std::exp(theta / t) - 1.0) - 1.0 / (eu0 - 1.0));
    if (b * pth > 1.0) thermalpressurefault(name, p, t, pth, k.a, b, k.c);
    return v0 * taitintegral(k, p - pref, 1.0 + b * (pref - pth), 1.0 + b * (p - pth)) / k.norm;
}

// RT ln f of the fluid end-members and their non-ideal H2O-CO2 mixing
// (a van Laar form with volumes as size parameters); 0 for other names.
double fluidterm(std::string_view name, double xco2, double xh2o, double p, double t)
{
    double vw, vc, gf = 0.0, unused;
    const bool mixing = runio::win.fluidtype == 6;
    if (name == "H2O") {
        h2oeos(vw, gf, p, t);
        if (mixing && 0.0 < xco2 && xh2o < 1.0) {
            co2eos(vc, unused, p, t);
            const double w = 10.5 * (vc + vw) / (vc * vw);
            const double d = xco2 * vc + xh2o * vw;
            gf += 2.0 * w * vc * vc * vw * xco2 * xco2 / ((vc + vw) * d * d);
        }
        return gf;
    }
    if (name == "CO2") {
        co2eos(vc, gf, p, t);
        if (mixing && xco2 < 1.0 && 0.0 < xh2o) {
            h2oeos(vw, unused, p, t);
            const double w = 10.5 * (vc + vw) / (vc * vw);
            const double d = xco2 * vc + xh2o * vw;
            gf += 2.0 * w * vc * vw * vw * xh2o * xh2o / ((vc + vw) * d * d);
        }
        return gf;
    }
    if (const CsGas* gas = csgas(name)) {
        corkcs(unused, gf, p, t, gas->pcrit, gas->tcrit);
        return gf;
    }
    return 0.0;
}

// Landau tricritical ordering: G of the phase relative to its fully ordered
// state at 298.15 K, with the critical temperature rising with pressure.
double landauterm(const TdRow& r, double p, double t)
{
    const double tc = r[sTc], smax = r[sSmax], vmax = r[sVmax];
    const double q0 = std::sqrt(1.0 - tref / tc);
    const double tcp = tc + p * vmax / smax;
    double q, ho;
    if (ds.dsnew) {
        q = tcp < t ? 0.0 : std::sqrt((tcp - t) / tc);
        ho = smax * tc * ((q0 - q) - (q0 * q0 * q0 - q * q * q) / 3.0) + p * vmax * (q0 - q);
    } else {
        q = tcp < t ? 0.0 : std::sqrt(1.0 - t / tcp);
        double kt, kp;
        oldmodulus(r, t, kt, kp);
        ho = smax * (tc * q0 * (1.0 - q0 * q0 / 3.0) - tcp * q * (1.0 - q * q / 3.0)) +
             oldexpansion(r, t) * vmax * kt * q0 * (rpow(1.0 + kp * p / kt, 1.0 - 1.0 / kp) - 1.0) / (kp - 1.0);
    }
    const double so = smax * (q0 - q);
    return ho - t * so;
}

// Bragg-Williams two-site ordering at the equilibrium order parameter.
double braggwilliamsterm(const TdRow& r, int n, double p, double t)
{
    const double dh = r[sBWdH] + p * r[sBWdHv];
    const double ww = r[sBWW] + p * r[sBWWv];
    const double fac = r[sBWfac];
    const double q = solvebwq(t, dh, ww, fac, n);
    const double ho = dh + q * (ww - dh) - q * q * ww;
    const double dn = n, m = n + 1.0;
    const double nq1 = dn * q + 1.0, n1q = dn * (1.0 - q), nq = dn + q;
    double so;
    if (fac < 0.0)
        so = -rgas *
             (nq1 * std::log(nq1 / m) + n1q * std::log(n1q / m) -
              fac * (n1q * std::log((1.0 - q) / m) + dn * nq * std::log(nq / m))) /
             m;
    else
        so = -fac * rgas *
             (nq1 * std::log(nq1 / m) + n1q * std::log((1.0 - q) / m) + n1q * std::log(n1q / m) +
              dn * nq * std::log(nq / m)) /
             m;
    return ho - t * so;
}

// H2O and CO2 held in the structural channels of cordierite: the G lowering
// of the anhydrous end-member by channel occupancy in equilibrium with the
// fluid.
double cordieriteterm(double xco2, double xh2o, double p, double t)
{
    const double rt = rgas * t;
    double s = 1.0, v, g;
    if (xh2o > 0.0) {
        const double h = ds.dsnew ? 42.84 : 41.79;
        const double kw = std::exp(-((h - 0.109 * t) - 0.0083 * ((t - tref) - t * std::log(t / tref))) / rt);
        h2oeos(v, g, p, t);
        s += xh2o * std::exp(g / rt) / kw;
    }
    if (xco2 > 0.0) {
        const double kc = std::exp(-1930.0 / t + 12.73);
        co2eos(v, g, p, t);
        s += xco2 * std::exp(g / rt) / kc;
    }
    return -rt * std::log(s);
}

// Aqueous species: an empirical heat-capacity and volume term scaled by the
// species' coefficient, with the water density from the H2O equation of
// state, and the Debye-Hueckel term of a charged solute.
double aqueousterm(const TdRow& r, double xco2, double xh2o, double p, double t)
{
    const double tcap = t > 500.0 ? 500.0 : t;
    double vw, unused;
    h2oeos(vw, unused, p, t);
    double ga = r[sAq] * (0.09086 * t - 27.091 + 350.42 * (t / tcap) * std::log(1.8179945600000003 / vw) - 15.8 * p);
    ga += 0.03354 * t;
    if (r[sZ1] != 0.0 && r[sIonic] > 0.0)
        ga += 0.019144612724 * t * dhsolute(p, t, xco2, xh2o, r[sIonic], r[sZ1] * r[sZ2]);
    return ga;
}

}  // namespace

TaitConstants taitconstants(double kappa, double kp, double kpp)
{
    TaitConstants k;
    if (kpp == 0.0) {
        k.a = 1.0;
        k.b = kp / kappa;
        k.c = 1.0 / kp;
        k.ac = k.c;
    } else {
        const double d = 1.0 + kp + kappa * kpp;
        const double e = kp + kp * kp - kappa * kpp;
        k.a = (1.0 + kp) / d;
        k.b = e / (kappa * (1.0 + kp));
        k.c = d / e;
        k.ac = (1.0 + kp) / e;
    }
    // Scales V0 so that the volume at 1 bar and 298.15 K is V0 itself.
    if (std::fabs(k.a) <= taitcancel)
        k.norm = (1.0 - k.a) + k.a * rpow(1.0 + pref * k.b, -k.c);
    else
        k.norm = 1.0 + k.ac * powm1overc(k.c, std::log1p(pref * k.b));
    return k;
}

std::string eosfault(const TdRow& r, bool dsnew, const std::string& who)
{
    using runio::valuetext;
    // Without a volume, or without compression (kappa0 of 0), there is no
    // equation of state to evaluate.
    const double kappa = dsnew ? r[sKappa0] : r[sKappa0pp];
    if (r[sV] == 0.0 || kappa == 0.0) return "";
    if (!(kappa > 0.0))
        return "the kappa0 " + valuetext(kappa) + " kbar of " + who +
               " must be above 0 (or 0 for an end-member without compression)";
    if (!dsnew) {
        const double kp = r[sTheta];
        if (kp == 0.0 || kp == 1.0)
            return "the K' " + valuetext(kp) + " of " + who +
                   " must be neither 0 nor 1: the Murnaghan volume divides by K' and by K' - 1";
        return "";
    }
    // A negative a and c (a kappa0'' below -(1 + kappa0')/kappa0) still give
    // a volume that falls with P; only these leave the equation without one.
    const TaitConstants k = taitconstants(kappa, r[sKappa0p], r[sKappa0pp]);
    const std::string data = "the kappa0' " + valuetext(r[sKappa0p]) + " and kappa0'' " + valuetext(r[sKappa0pp]) +
                             " of " + who + " (with kappa0 " + valuetext(kappa) + " kbar) ";
    if (!(k.b > 0.0) || !std::isfinite(k.b))
        return data + "give its Tait equation no positive b (b = " + valuetext(k.b) +
               "): the volume integral divides by b, and 1 + bP must stay positive at every pressure";
    if (k.c == 1.0) return data + "give its Tait equation c = 1: the volume integral divides by c - 1";
    if (!(k.norm > 0.0) || !std::isfinite(k.norm))
        return data + "give no positive volume at 1 bar (1 - a + a (1 + 0.001 b)^-c of its Tait equation = " +
               valuetext(k.norm) + ")";
    return "";
}

const CsGas* csgas(std::string_view name)
{
    for (const CsGas& gas : csgases)
        if (name == gas.name) return &gas;
    return nullptr;
}

void gem(int k, double& g, double p, double t)
{
    const bool fit = runio::run.calcmode == 5;
    const TdRow& r = ems.td[k];
    const std::string_view name =
        corename(fit ? ds.dsemname[k] : (ems.emdsname[k].empty() ? ems.emname[k] : ems.emdsname[k]));
    const bool liquid = !name.empty() && name.back() == 'L';

    // An end-member without entropy is a bare enthalpy (a reference species).
    if (std::fabs(r[sS]) < 1e-8) {
        g = r[sH];
        return;
    }
    const double xco2 = r[sXco2];
    const double xh2o = fit ? 1.0 - xco2 : r[sXh2o];

    const double gcp = cpterm(r, t);
    const double gbase = r[sH] - t * r[sS];
    const double gv = volumeterm(r, liquid, name, p, t);
    const double gf = fluidterm(name, xco2, xh2o, p, t);

    double go = 0.0;
    // n is 0 or a whole number up to maxbwn: the readers refuse any other.
    const int nbw = static_cast<int>(std::nearbyint(r[sBWn]));
    if (nbw > 0)
        go = braggwilliamsterm(r, nbw, p, t);
    else if (r[sSmax] > 0.0)
        go = landauterm(r, p, t);

    // In the dataset fit only the experiments that ask for the channel
    // fluid carry it.
    double gc = 0.0;
    if ((name == "crd" || name == "fcrd") && runio::run.calcmode != 1 && (!fit || ds.fitcrd))
        gc = cordieriteterm(xco2, xh2o, p, t);

    // In the fit the aqueous coefficients and the ionic strength are zero.
    double ga = 0.0;
    if (r[sAq] != 0.0 && !fit) ga = aqueousterm(r, xco2, xh2o, p, t);

    g = gbase + gcp + gv + gf + go + gc + ga;
    if (!std::isfinite(g)) nonumberfault(name, p, t);
}

void gemmake(int k, double& g, double p, double t)
{
    const TdRow& r = ems.td[k];
    if (r[sEntry] == 0.0 || !ds.dsnew) {
        gem(k, g, p, t);
        return;
    }
    const int phase = static_cast<int>(std::nearbyint(r[sPhase]));
    const int entry = static_cast<int>(std::nearbyint(r[sEntry]));
    // The made end-member's own row holds its DQF increment a + bT + cP as H, -S, V.
    g = r[sH] - t * r[sS] + p * r[sV];
    const axmodels::MakeRecipe& recipe = axmodels::reciperef(phase, entry);
    for (int m = 1; m <= recipe.count; ++m) {
        double gi;
        gem(recipe.pos[m], gi, p, t);
        g += gi * recipe.num[m] / recipe.divisor;
    }
}

double bwdgdq(double q, double t, double dh, double ww, double fac, int n)
{
    const double dn = n;
    if (fac < 0.0)
        return dh + ww * (2.0 * q - 1.0) +
               (dn / (dn + 1.0)) * rgas * t *
                   (std::log(dn * (1.0 - q) / (dn * q + 1.0)) - fac * std::log((1.0 - q) / (dn + q)));
    return dh + ww * (2.0 * q - 1.0) +
           (fac * dn / (dn + 1.0)) * rgas * t * std::log(dn * (1.0 - q) * (1.0 - q) / ((dn * q + 1.0) * (dn + q)));
}

double solvebwq(double t, double dh, double ww, double fac, int n)
{
    constexpr double qlo = 1e-7, qhi = 0.9999999;
    // Fully ordered or fully disordered when G still falls at the end.
    if (bwdgdq(qhi, t, dh, ww, fac, n) > 0.0) return qhi;
    if (bwdgdq(qlo, t, dh, ww, fac, n) < 0.0) return qlo;
    double lo = qlo, hi = qhi, x = 0.5;
    double f = bwdgdq(x, t, dh, ww, fac, n);
    int halvings = 0;
    do {
        if (f > 0.0)
            lo = x;
        else
            hi = x;
        x = (lo + hi) / 2.0;
        f = bwdgdq(x, t, dh, ww, fac, n);
        ++halvings;
    } while (halvings < 20 && std::fabs(f) >= 0.001);
    return x;
}

}  // namespace thermodata
