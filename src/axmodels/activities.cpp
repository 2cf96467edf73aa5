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
double idealactivity(const EmRec& e, const std::array<double, maxsf + 1>& sf, bool skipzero)
{
    double a = e.normconst;
    for (int t = 1; t <= e.nterms; ++t) {
        const IdealTerm& term = e.term[static_cast<std::size_t>(t)];
        const double x = sf[static_cast<std::size_t>(term.sf)];
        if (skipzero && x <= 0.0) continue;
        a *= runio::ratpower(term.p, term.q, x);
    }
    return a;
}

void sitefractions(const SolPhase& s, const double* x, std::array<double, maxsf + 1>& sf)
{
    for (int j = 1; j <= s.nsf; ++j) sf[static_cast<std::size_t>(j)] = evalpoly(s.sf[static_cast<std::size_t>(j)], x, 1);
}

}  // namespace

void calcemactivities(int k, const double* x, EmValues& a, EmValues& sda, double p, double t)
{
    const SolPhase& s = ph.prec1[static_cast<std::size_t>(k)];
    const int n = s.n;
    const double rt = thermodata::rgas * t;

    // Proportions, van Laar sizes and volume fractions.
    EmValues size{}, phi{};
    double total = 0.0;
    for (int j = 1; j <= n; ++j) {
        const auto jj = static_cast<std::size_t>(j);
        phi[jj] = evalpoly(s.prop[jj], x, 1);
        size[jj] = s.sizea[jj] + s.sizeb[jj] * t + s.sizec[jj] * p;
        total += size[jj] * phi[jj];
    }
    for (int j = 1; j <= n; ++j) phi[static_cast<std::size_t>(j)] *= size[static_cast<std::size_t>(j)] / total;

    std::array<double, maxsf + 1> sf{}, sfshifted{};
    sitefractions(s, x, sf);
    std::array<double, maxsolem + 1> xshifted{};
    for (int v = 1; v <= s.nvar; ++v) xshifted[static_cast<std::size_t>(v)] = x[v];

    for (int m = 1; m <= n; ++m) {
        const auto mm = static_cast<std::size_t>(m);
        const EmRec& e = s.em[mm];
        if (e.exclude) {
            a[mm] = sda[mm] = 0.0;
            continue;
        }
        const double a0 = idealactivity(e, sf, false);
        // Uncertainty of the ideal activity from those of the variables, by
        // a forward difference.
        double u = 0.0;
        for (int v = 1; v <= s.nvar; ++v) {
            const auto vv = static_cast<std::size_t>(v);
            const double sd = s.var[vv].sd;
            if (sd <= 0.0) continue;
            xshifted[vv] = x[v] + dxstep;
            sitefractions(s, xshifted.data(), sfshifted);
            xshifted[vv] = x[v];
            const double d = (idealactivity(e, sfshifted, true) - a0) * sd / dxstep;
            u += d * d;
        }
        if (s.model == 0) {
            a[mm] = a0;
            sda[mm] = std::sqrt(u);
            continue;
        }
        // RT ln gamma = -sum over pairs of (d_im - phi_i)(d_jm - phi_j) W 2 s_m / (s_i + s_j).
        double excess = 0.0, var = 0.0;
        for (int g = 1; g <= s.ngterm; ++g) {
            const auto& [w, i, j] = s.gterm[static_cast<std::size_t>(g)];
            const auto ww = static_cast<std::size_t>(w), ii = static_cast<std::size_t>(i), jj = static_cast<std::size_t>(j);
            const double f = ((i == m ? 1.0 : 0.0) - phi[ii]) * ((j == m ? 1.0 : 0.0) - phi[jj]) * 2.0 * size[mm] /
                             (size[ii] + size[jj]);
            excess -= f * (s.wa[ww] + s.wb[ww] * t + s.wc[ww] * p);
            if (runio::scriptset.justrelu == 1) var += (f * s.wsd[ww]) * (f * s.wsd[ww]);
        }
        a[mm] = a0 * std::exp(excess / rt);
        sda[mm] = a[mm] * std::sqrt(var / (rt * rt) + u / (a0 * a0));
    }
}

}  // namespace axmodels
