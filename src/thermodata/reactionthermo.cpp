// The Gibbs energy change of a reaction among the working end-members, its
// P and T derivatives by forward differences, and its activity term RT ln K.
// Products have positive coefficients, reactants negative.
#include <cmath>

#include "runio/runio.h"
#include "thermodata/gibbs.h"

namespace thermodata {

Reactions rxns;

namespace {

// Finite-difference steps: small enough for the curvature of G, large
// enough that the Bragg-Williams and fluid iterations do not show.
constexpr double dpstep = 1e-5;   // kbar
constexpr double dtstep = 0.001;  // K

using RxnRow = runio::Arr<std::int16_t, maxem + 1>;

const RxnRow& rxnrow(int i) { return rxns.r[i]; }

// Coefficient-weighted sum of the end-members' G.
double sumdg(const RxnRow& nu, double p, double t)
{
    double g = 0.0;
    for (int j = 1; j <= ems.nem; ++j) {
        const int n = nu[j];
        if (n == 0) continue;
        double gj;
        gemmake(j, gj, p, t);
        g += n * gj;
    }
    return g;
}

}  // namespace

void calcdg0(int i, double& dgdp, double& dgdt, double& g, double p, double t)
{
    if (t <= 0.0) runio::bomb("calcdg0", "T <= 0 !", 1);
    const RxnRow& nu = rxnrow(i);
    g = sumdg(nu, p, t);
    dgdp = (sumdg(nu, p + dpstep, t) - g) / dpstep;
    dgdt = (sumdg(nu, p, t + dtstep) - g) / dtstep;
}

void calclnk(int i, double& lnk, double /*p*/, double /*t*/, double xco2, double xh2o)
{
    const RxnRow& nu = rxnrow(i);
    lnk = 0.0;
    for (int j = 1; j <= ems.nem; ++j) {
        const int n = nu[j];
        if (n == 0) continue;
        const double a = ems.act[j];
        if (a <= 0.0) runio::bomb("calclnk", "ln<=0", 1);
        lnk += n * std::log(a);
    }
    // The fluid end-members' own activities are 1: the fluid's composition
    // enters as ideal mixing of H2O and CO2 (their non-ideality is in G).
    if (ems.ico2 > 0 && 0.0 < xco2 && xco2 < 1.0 && nu[ems.ico2] != 0)
        lnk += nu[ems.ico2] * std::log(xco2);
    if (ems.ih2o > 0 && 0.0 < xh2o && xh2o < 1.0 && nu[ems.ih2o] != 0)
        lnk += nu[ems.ih2o] * std::log(xh2o);
}

void calcrxn(int i, double& dgdp, double& dgdt, double& g, double p, double t, double xco2, double xh2o)
{
    const RxnRow& nu = rxnrow(i);
    // The fluid composition stays in the rows for the mixing, cordierite and
    // aqueous terms of later evaluations.
    for (int j = 1; j <= ems.nem; ++j) {
        if (nu[j] == 0) continue;
        TdRow& row = ems.td[j];
        row[sXco2] = xco2;
        row[sXh2o] = xh2o;
    }
    calcdg0(i, dgdp, dgdt, g, p, t);
    double lnk;
    calclnk(i, lnk, p, t, xco2, xh2o);
    g += rgas * t * lnk;
    dgdt += rgas * lnk;
}

}  // namespace thermodata
