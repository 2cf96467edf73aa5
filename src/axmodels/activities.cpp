// Activities of the end-members of a solution phase at a composition: the
// ideal-mixing activity from the site fractions, times the activity
// coefficient of the symmetric or van Laar model, with uncertainties from
// those of the phase's variables and of its interaction energies.
#include <cmath>

#include "axmodels/axmodels.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace axmodels {

namespace {

// The step of a variable over which the ideal activity is differentiated.
constexpr double dxstep = 0.001;

// Ideal-mixing activity of end-member m at site fractions sf; with skipzero
// a site fraction that is not positive is left out of the product.
double idealactivity(const EmRec& e, const runio::Arr<double, maxsf + 1>& sf, bool skipzero)
{
    double a = e.normconst;
    for (int t = 1; t <= e.nterms; ++t) {
        const IdealTerm& term = e.term[t];
        const double x = sf[term.sf];
        if (skipzero && x <= 0.0) continue;
        a *= runio::ratpower(term.p, term.q, x);
    }
    return a;
}

void sitefractions(const SolPhase& s, const double* x, runio::Arr<double, maxsf + 1>& sf)
{
    for (int j = 1; j <= s.nsf; ++j) sf[j] = evalpoly(s.sf[j], x, 1);
}

}  // namespace

void badsize(const char* where, const SolPhase& s, int m, double p, double t)
{
    const double size = s.sizea[m] + s.sizeb[m] * t + s.sizec[m] * p;
    runio::bomb(where, "the van Laar size of " + s.em[m].name + " in " + s.name + " (a + bT + cP in \"" +
                           axinfo.axfilename + "\") is " + runio::valuetext(size) + " at " + runio::pointtext(p, t) +
                           ": it must be above 0",
                0);
}

void badactivity(const char* where, const SolPhase& s, int m, double rtlngamma, double p, double t)
{
    const std::string gamma = std::isfinite(rtlngamma)
                                  ? "an RT ln gamma of " + runio::realstr(rtlngamma, 6, false) + " kJ"
                                  : "no RT ln gamma";
    runio::bomb(where,
                "the activity of " + s.em[m].name + " in " + s.name + " at " + runio::pointtext(p, t) +
                    " is no number: the model in \"" + axinfo.axfilename + "\" gives it " + gamma,
                0);
}

void calcemactivities(int k, const double* x, EmValues& a, EmValues& sda, double p, double t)
{
    const SolPhase& s = ph.prec1[k];
    const int n = s.n;
    const double rt = thermodata::rgas * t;

    // Proportions, van Laar sizes and volume fractions.
    EmValues size{}, phi{};
    double total = 0.0;
    for (int j = 1; j <= n; ++j) {
        phi[j] = evalpoly(s.prop[j], x, 1);
        size[j] = s.sizea[j] + s.sizeb[j] * t + s.sizec[j] * p;
        if (!(size[j] > 0.0)) badsize("calcemactivities", s, j, p, t);
        total += size[j] * phi[j];
    }
    for (int j = 1; j <= n; ++j) phi[j] *= size[j] / total;

    runio::Arr<double, maxsf + 1> sf{}, sfshifted{};
    sitefractions(s, x, sf);
    runio::Arr<double, maxsolem + 1> xshifted{};
    for (int v = 1; v <= s.nvar; ++v) xshifted[v] = x[v];

    for (int m = 1; m <= n; ++m) {
        const EmRec& e = s.em[m];
        if (e.exclude) {
            a[m] = sda[m] = 0.0;
            continue;
        }
        const double a0 = idealactivity(e, sf, false);
        // Uncertainty of the ideal activity from those of the variables, by
        // a forward difference.
        double u = 0.0;
        for (int v = 1; v <= s.nvar; ++v) {
            const double sd = s.var[v].sd;
            if (sd <= 0.0) continue;
            xshifted[v] = x[v] + dxstep;
            sitefractions(s, xshifted.data(), sfshifted);
            xshifted[v] = x[v];
            const double d = (idealactivity(e, sfshifted, true) - a0) * sd / dxstep;
            u += d * d;
        }
        if (s.model == 0) {
            a[m] = a0;
            sda[m] = std::sqrt(u);
            continue;
        }
        // RT ln gamma = -sum over pairs of (d_im - phi_i)(d_jm - phi_j) W 2 s_m / (s_i + s_j).
        double excess = 0.0, var = 0.0;
        for (int g = 1; g <= s.ngterm; ++g) {
            const auto& [w, i, j] = s.gterm[g];
            const double f = ((i == m ? 1.0 : 0.0) - phi[i]) * ((j == m ? 1.0 : 0.0) - phi[j]) * 2.0 * size[m] /
                             (size[i] + size[j]);
            excess -= f * (s.wa[w] + s.wb[w] * t + s.wc[w] * p);
            if (runio::scriptset.justrelu == 1) var += (f * s.wsd[w]) * (f * s.wsd[w]);
        }
        a[m] = a0 * std::exp(excess / rt);
        sda[m] = a[m] * std::sqrt(var / (rt * rt) + u / (a0 * a0));
        // An ideal activity of 0 is an end-member absent from the phase, which
        // the callers leave out; any other must give a positive number.
        if (a0 > 0.0 && (!(a[m] > 0.0) || !std::isfinite(a[m]) || !std::isfinite(sda[m])))
            badactivity("calcemactivities", s, m, excess, p, t);
    }
}

}  // namespace axmodels
