// The brackets of an experiment turned into an observation of its reaction
// enthalpy sum DH = sum of nu H: for each bracket the DH at which the
// reaction would be at equilibrium there, with its uncertainty from those of
// P, T and the activities; and for the experiment the interval of DH that
// its brackets allow, by robust bracket statistics, with a category that
// says how cleanly its two sides separate.
#include <algorithm>
#include <cmath>
#include <utility>

#include "dsfit/dsfit.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace dsfit {

namespace {

using thermodata::rgas;

// Uncertainties of the conditions of a run: T (K), and P (kbar), the latter
// 1 % of P up to 10 kbar and growing by 1 % of the excess above it.
constexpr double sigmat = 2.5;
double sigmap(double p) { return p >= 10.0 ? 0.1 + 0.01 * (p - 10.0) : 0.1 * p / 10.0; }

// The half-width of a bracket pair's interval, in units of the sum of its
// two 2sd, as a function of the separation t of the pair.
double spread(double t) { return 0.887 + t * (0.194 + 0.0973 * t); }

bool paired(const Bracket& b) { return b.samep || b.samet; }

}  // namespace

void markpairs(int e)
{
    Experiment& x = fit.xp[e];
    if (x.nb < 1) return;
    x.br[1].samep = x.br[1].samet = false;
    for (int k = 2; k <= x.nb; ++k) {
        const Bracket& prev = x.br[k - 1];
        Bracket& b = x.br[k];
        b.samep = b.samet = false;
        if (paired(prev) || (prev.side == 1) == (b.side == 1)) continue;
        b.samep = b.p == prev.p && b.xco2 == prev.xco2;
        b.samet = b.t == prev.t && b.xco2 == prev.xco2;
    }
}

double rxndg0(int e, double p, double t, double xco2)
{
    using thermodata::ems;
    const Experiment& x = fit.xp[e];
    double g = 0.0;
    for (int j = 1; j <= x.n; ++j) {
        const int k = x.em[j];
        // The Gibbs energy of this mode reads the record's data from the row
        // of the same number; an experiment's set-up may have used the rows.
        FitEm& m = fit.tda[k];
        m.row[thermodata::sXco2] = xco2;
        ems.td[k] = m.row;
        double gk;
        thermodata::gem(k, gk, p, t);
        g += x.nu[j] * gk;
    }
    return g;
}

void rxndg(int e, int k, double& dgdp, double& dgdt, double& g)
{
    const Bracket& b = fit.xp[e].br[k];
    const double g0 = rxndg0(e, b.p, b.t, b.xco2);
    g = g0 + rgas * b.t * b.lnq;
    dgdt = (rxndg0(e, b.p, b.t + 0.1, b.xco2) - g0) / 0.1 + rgas * b.lnq;
    dgdp = (rxndg0(e, b.p + 0.001, b.t, b.xco2) - g0) / 0.001;
}

void brackety(int e, int k, double& y, double& mdgdp, double& mdgdt)
{
    double dgdp, dgdt, g;
    rxndg(e, k, dgdp, dgdt, g);
    y = fit.xp[e].dh - g;
    mdgdp = -dgdp;
    mdgdt = -dgdt;
}

void bracketsd(int e)
{
    markpairs(e);
    Experiment& x = fit.xp[e];
    for (int k = 1; k <= x.nb; ++k) {
        Bracket& b = x.br[k];
        double dgdp, dgdt;
        brackety(e, k, b.y, dgdp, dgdt);
        double var = (sigmat * dgdt) * (sigmat * dgdt) + (dgdp * sigmap(b.p)) * (dgdp * sigmap(b.p));
        // 1 % on each activity below 1 (pure phases and the buffers O2 and
        // S2 excepted).
        for (int j = 1; j <= x.n; ++j) {
            const int c = x.col[j];
            if (c == fit.io2 || c == fit.is2 || b.a[c] >= 1.0) continue;
            const double d = 0.01 * x.nu[j] * rgas * b.t;
            var += d * d;
        }
        b.sd2 = 2.0 * std::sqrt(var);
    }
}

void bracketstats(int e)
{
    Experiment& x = fit.xp[e];
    const int n = x.nb;

    // An experiment whose pairs mostly run the wrong way was recorded with
    // its sides the other way round.
    x.reversed = false;
    if (x.hasphases) {
        int npairs = 0, nwrong = 0;
        for (int k = 2; k <= n; ++k) {
            if (!paired(x.br[k])) continue;
            ++npairs;
            if (x.br[k].y - x.br[k - 1].y < 0.0) ++nwrong;
        }
        if (2 * nwrong > npairs) {
            x.reversed = true;
            x.orientation = !x.orientation;
            for (int k = 2; k <= n; ++k)
                if (paired(x.br[k])) std::swap(x.br[k - 1], x.br[k]);
            for (int k = 1; k <= n; ++k) x.br[k].side = 1 - x.br[k].side;
            markpairs(e);
        }
    }

    runio::Arr<double, maxnb + 1> tlist{};
    int npairs = 0;
    x.wsum = 0.0;
    for (int k = 2; k <= n; ++k) {
        const Bracket& b = x.br[k];
        if (!paired(b)) continue;
        const Bracket& a = x.br[k - 1];
        const double width = b.sd2 + a.sd2;
        const double t = (b.y - a.y) / width;
        const double q = spread(t) * width;
        x.wsum += 1.0 / ((q / 2.0) * (q / 2.0));
        tlist[++npairs] = t;
    }
    if (npairs > 0) {
        x.wsum = std::sqrt(x.wsum);
        runio::shellsort(tlist.data(), npairs);
        x.tcrit = std::clamp(tlist[1], 1.0, 1.5);
    } else {
        x.tcrit = 1.5;
    }

    // Side 0 bounds DH from below, side 1 from above.
    runio::Arr<double, maxnb + 1> ya{}, yb{};
    int na = 0, nbb = 0, ia = 0, ib = 0;
    double maxa = -1e10, minb = 1e10;
    for (int k = 1; k <= n; ++k) {
        const Bracket& b = x.br[k];
        if (b.side == 0) {
            ya[++na] = b.y;
            if (b.y > maxa) {
                maxa = b.y;
                ia = k;
            }
        } else {
            yb[++nbb] = b.y;
            if (b.y < minb) {
                minb = b.y;
                ib = k;
            }
        }
    }
    x.category = 0;
    x.onesided = na == 0 || nbb == 0;
    if (x.onesided) return;
    const double w = (x.br[ia].sd2 + x.br[ib].sd2) / 2.0;
    const double t0 = (minb - maxa) / (2.0 * w);
    double low = maxa, high = minb, centre, f;
    if (t0 >= x.tcrit) {
        x.category = 1;
        f = t0;
        centre = (low + high) / 2.0;
    } else if (na < 3 && nbb < 3) {
        x.category = 2;
        f = x.tcrit;
        centre = (low + high) / 2.0;
    } else {
        if (na > 2) {
            runio::shellsort(ya.data(), na);
            low = runio::quantile(ya.data(), na, 0.5);
        }
        if (nbb > 2) {
            runio::shellsort(yb.data(), nbb);
            high = runio::quantile(yb.data(), nbb, 0.5);
        }
        const double t1 = (high - low) / (2.0 * w);
        centre = (low + high) / 2.0;
        if (t0 <= 0.0 && !(minb >= low && high >= maxa)) {
            if (minb < low && high < maxa) {
                x.category = 4;
                f = 2.0;
            } else if (t1 > x.tcrit) {
                x.category = 5;
                f = t1;
            } else {
                x.category = 6;
                f = x.tcrit;
            }
        } else {
            x.category = 3;
            f = x.tcrit;
            const double da = maxa - low, db = high - minb;
            // With medians at the extremes the overlap cannot be shared out
            // between the sides: the interval stays centred on them.
            const double s = da + db > 0.0 ? (2.0 * w * f + maxa - minb) / (da + db) : 0.0;
            centre = (maxa + minb + s * (db - da)) / 2.0;
        }
    }
    x.w = w;
    x.t0 = t0;
    x.f = f;
    const double g = spread(f);
    x.low = centre - g * w;
    x.high = centre + g * w;
    if (x.used) ++fit.xpcatcount[x.category];
}

}  // namespace dsfit
