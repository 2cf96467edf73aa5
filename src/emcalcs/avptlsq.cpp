// Average pressure (at a given temperature) or average temperature (at a
// given pressure) of a rock by weighted least squares. Each reaction of an
// independent set gives its own estimate: where its line crosses the given
// T or P. The estimates are correlated through the end-member enthalpies and
// through the activities the reactions share; their generalised
// least-squares mean is the average, with its sd and the fit measure sigfit
// (the square root of the MSWD). The diagnostic form rewrites the problem in
// independent unit-variance errors of the end-member data, which gives the
// normalised residual and the leverage of each end-member's ln a and
// enthalpy, and the average when one ln a uncertainty is doubled.
#include <algorithm>
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/reactions.h"
#include "emcalcs/emcalcs.h"
#include "numerics/numerics.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace emcalcs {

RockState rock;

namespace {

using calcwindows::rsearch;
using calcwindows::rxns;
using calcwindows::win;
using numerics::sv;
using runio::addfield;
using runio::addreal;
using runio::msol;
using runio::putstr;
using thermodata::ems;
using thermodata::rgas;

using RxnVector = runio::Arr<double, maxrockrxn + 1>;

// Doubling an ln a uncertainty multiplies its variance by this squared.
constexpr double doubling = 2.0;
// A singular value below this fraction of the largest belongs to data
// without uncertainty: it carries no weight and is left out of the
// pseudo-inverse instead of dividing by zero.
constexpr double svdrelcut = 1e-10;

bool averaget() { return rsearch.rockcalc == 1; }

// Each reaction's estimate x of the solved variable, with e = -1/g (g the
// derivative of its dG in that variable) and f = RT e, which turn the
// uncertainties of its enthalpy and of its ln K into those of x.
struct Estimates {
    int n = 0;
    RxnVector x{}, e{}, f{};
};

// False when some reaction's line does not cross the given T (or P) inside
// the window.
bool estimates(double y, double xco2, double xh2o, Estimates& es)
{
    const int n = rxns.nrxn;
    const bool avt = averaget();
    RxnVector x1{}, x2{}, g1{}, g2{};
    runio::Arr<bool, maxrockrxn + 1> single{};
    int nsingle = 0;
    for (int i = 1; i <= n; ++i) {
        double dgdp1, dgdp2, dgdt1, dgdt2;
        if (avt) {
            calcwindows::findt(i, y, xco2, xh2o, false, x1[i], x2[i], dgdp1, dgdp2, dgdt1, dgdt2);
            g1[i] = dgdt1;
            g2[i] = dgdt2;
        } else {
            calcwindows::findp(i, y, xco2, xh2o, false, x1[i], x2[i], dgdp1, dgdp2, dgdt1, dgdt2);
            g1[i] = dgdp1;
            g2[i] = dgdp2;
        }
        const int code = avt ? 0 : 1;
        if (!axmodels::inrange(code, x1[i])) return false;
        single[i] = !axmodels::inrange(code, x2[i]);
        if (single[i]) ++nsingle;
    }
    // The activity term RT ln K is taken at the given T, or for an average T
    // at the last reaction's own estimate.
    const double t = avt ? x1[n] : y;
    calcwindows::calcvarlna();

    // A line that crosses the window twice gives the estimate nearer the
    // others: the mean of the single crossings, or the P-T of the activities.
    double ref = avt ? win.tcalc : win.pcalc;
    if (nsingle > 0 && nsingle < n) {
        double sum = 0.0;
        for (int i = 1; i <= n; ++i)
            if (single[i]) sum += x1[i];
        ref = sum / nsingle;
    }
    es.n = n;
    for (int i = 1; i <= n; ++i) {
        const bool second = !single[i] && std::fabs(x1[i] - ref) > std::fabs(x2[i] - ref);
        es.x[i] = second ? x2[i] : x1[i];
        es.e[i] = -1.0 / (second ? g2[i] : g1[i]);
        es.f[i] = rgas * t * es.e[i];
    }
    return true;
}

// ---------------------------------------------------------------- the diagnostic form
// One row of the diagnostics: a used end-member with the average when its
// ln a uncertainty is doubled, and the normalised residuals (e*) and
// leverages (hat) of its ln a and of its enthalpy.
struct DiagRow {
    int k = 0;                                 // working end-member
    double x = 0.0, sd = 0.0, sigfit = 0.0;   // with its ln a uncertainty doubled
    double eslna = 0.0, hatlna = 0.0, acalc = 0.0;
    double esh = 0.0, hath = 0.0;
};

void diagnosticblock(double y, const Average& av, const runio::Vec<DiagRow>& rows, int m)
{
    const bool avt = averaget();
    const std::string deg(1, runio::degreesign);
    const int dof = rxns.nrxn - 1;
    auto addx = [&](double x, double sd, std::string& line) {
        if (avt) {
            addreal(x - 273.15, 1, true, 8, line);
            addreal(sd, 1, true, 8, line);
        } else {
            addreal(x, 2, true, 8, line);
            addreal(sd, 2, true, 8, line);
        }
    };
    std::string line = avt ? "average T at P = " + runio::realstr(y, 1, true) + " kbar"
                           : "average P at T = " + runio::realstrshort(y - 273.15) + deg + "C ";
    putstr(1, line, 1, msol);
    line = "  ";
    addfield(avt ? "avT" : "avP", 8, line);
    addfield("sd", 8, line);
    addfield("sigfit", 8, line);
    putstr(0, line, 1, msol);
    line = "  ";
    addx(av.avx, av.sdx, line);
    addreal(av.sigfit, 3, true, 8, line);
    putstr(0, line, 2, msol);
    putstr(0, "for 95% confidence, fit (= sd(fit) = sqrt(MSWD)) < " + runio::realstr(k95(dof), 2, true) +
                  " (but larger may be OK)",
           2, msol);
    putstr(0, "column:", 1, msol);
    putstr(0, "1-3: result of doubling the uncertainty on ln a.", 1, msol);
    putstr(0, "4-5: e* and hat for ln(activity) of end-members", 1, msol);
    putstr(0, "6-7: observed and calculated activities of endmembers.", 1, msol);
    putstr(0, "8-9: e* and hat for enthalpies of end-members", 1, msol);
    line = runio::spaces(8);
    addfield(avt ? "T" : "P", 8, line);
    addfield("sd", 8, line);
    addfield("sigfit", 9, line);
    addfield("e*", 9, line);
    addfield("hat", 9, line);
    addfield("a(obs)", 10, line);
    addfield("a(calc)", 10, line);
    addfield("e*", 9, line);
    addfield("hat", 9, line);
    putstr(1, line, 1, msol);
    for (int p = 1; p <= m; ++p) {
        const DiagRow& r = rows[p];
        line.clear();
        addfield(ems.emname[r.k], 8, line);
        addx(r.x, r.sd, line);
        addreal(r.sigfit, 3, true, 9, line);
        addreal(r.eslna, 3, true, 9, line);
        addreal(r.hatlna, 3, true, 9, line);
        addreal(ems.act[r.k], 3, false, 10, line);
        addreal(r.acalc, 3, false, 10, line);
        addreal(r.esh, 3, true, 9, line);
        addreal(r.hath, 3, true, 9, line);
        putstr(0, line, 1, msol);
    }
    putstr(1, "|e*| >2.5 suspect?  hat >" + runio::realstr(static_cast<double>(rxns.nrxn) / m, 2, true) +
                  " influential?",
           1, msol);
}

// The average in independent unit-variance errors of the end-member data:
// the estimates' errors are D' z, with D the 2m x n design of the m used
// end-members' enthalpies (through the symmetric square root of their
// covariance) and ln a. Its pseudo-inverse maps the estimates into that
// space, where the fit is an ordinary least-squares one.
Average diagnostic(double y, const Estimates& es)
{
    const int n = es.n;
    const auto& r = rxns.r;

    // The used end-members, in working order.
    runio::Vec<int> used(1);
    for (int k = 1; k <= ems.nem; ++k)
        for (int i = 1; i <= n; ++i)
            if (r[i][k] != 0) {
                used.push_back(k);
                break;
            }
    const int m = static_cast<int>(used.size()) - 1;
    if (2 * m > numerics::maxsvdrows)
        runio::bomb("lsqav", "too many end-members in the reactions" + runio::maxlabel(numerics::maxsvdrows / 2), 0);

    // H = Cu^(1/2) from Cu = U diag(w) V'.
    for (int p = 1; p <= m; ++p)
        for (int q = 1; q <= m; ++q) sv.svdu[p][q] = ems.covat(used[p], used[q]);
    numerics::svd(m, m);
    runio::Vec<runio::Vec<double>> h(m + 1, runio::Vec<double>(m + 1, 0.0));
    for (int p = 1; p <= m; ++p)
        for (int q = p; q <= m; ++q) {
            double s = 0.0;
            for (int t = 1; t <= m; ++t) s += sv.svdu[p][t] * sv.svdv[q][t] * std::sqrt(sv.svdw[t]);
            h[p][q] = h[q][p] = s;
        }

    // The design, skipping the end-members a reaction does not hold.
    runio::Vec<int> pos(ems.nem + 1, 0);
    for (int p = 1; p <= m; ++p) pos[used[p]] = p;
    for (int j = 1; j <= n; ++j) {
        for (int p = 1; p <= 2 * m; ++p) sv.svdu[p][j] = 0.0;
        for (int p = 1; p <= m; ++p) {
            const int k = used[p];
            if (r[j][k] == 0) continue;
            for (int q = 1; q <= m; ++q) sv.svdu[q][j] += h[q][p] * r[j][k] * es.e[j];
            sv.svdu[m + p][j] = std::sqrt(ems.varlna[k]) * r[j][k] * es.f[j];
        }
    }
    numerics::svd(2 * m, n);

    // Pseudo-inverse P = V diag(1/w) U': gz = P' 1 and yz = P' x.
    double wmax = 0.0;
    for (int t = 1; t <= n; ++t) wmax = std::max(wmax, sv.svdw[t]);
    RxnVector v1{}, vx{};
    runio::Arr<bool, maxrockrxn + 1> kept{};
    for (int t = 1; t <= n; ++t) {
        kept[t] = sv.svdw[t] > svdrelcut * wmax;
        if (!kept[t]) continue;
        for (int i = 1; i <= n; ++i) {
            v1[t] += sv.svdv[i][t] / sv.svdw[t];
            vx[t] += sv.svdv[i][t] * es.x[i] / sv.svdw[t];
        }
    }
    runio::Vec<double> gz(2 * m + 1, 0.0), yz(2 * m + 1, 0.0), lev(2 * m + 1, 0.0);
    double sgg = 0.0, sgy = 0.0, syy = 0.0;
    for (int p = 1; p <= 2 * m; ++p) {
        for (int t = 1; t <= n; ++t) {
            if (!kept[t]) continue;
            const double u = sv.svdu[p][t];
            gz[p] += u * v1[t];
            yz[p] += u * vx[t];
            lev[p] += u * u;
        }
        sgg += gz[p] * gz[p];
        sgy += gz[p] * yz[p];
        syy += yz[p] * yz[p];
    }
    Average av;
    av.avx = sgg > 0.0 ? sgy / sgg : 0.0;
    const double chi = syy - av.avx * sgy;
    fitmeasures(sgg, chi, n - 1, av);

    runio::Vec<DiagRow> rows(m + 1);
    auto es_ = [&](int p) { return gz[p] * av.avx - yz[p]; };
    auto hat = [&](int p) { return sgg > 0.0 ? gz[p] * gz[p] / sgg : 0.0; };
    for (int p = 1; p <= m; ++p) {
        DiagRow& row = rows[p];
        const int j = m + p, k = used[p];
        row.k = k;
        const double q = sgg > 0.0 ? gz[j] / sgg : 0.0;
        row.eslna = es_(j);
        row.hatlna = hat(j);
        row.esh = es_(p);
        row.hath = hat(p);
        // The variance of source j multiplied by doubling^2 changes the fit
        // by a rank-one update.
        const double lambda = 1.0 / (row.hatlna - lev[j] + 1.0 / (1.0 - doubling * doubling));
        row.x = av.avx - lambda * row.eslna * q;
        Average doubled;
        fitmeasures(sgg > 0.0 ? 1.0 / (1.0 / sgg - lambda * q * q) : 0.0, chi + lambda * row.eslna * row.eslna, n - 1,
                    doubled);
        row.sd = doubled.sdx;
        row.sigfit = doubled.sigfit;
        row.acalc = std::exp(std::log(ems.act[k]) + row.eslna * std::sqrt(ems.varlna[k]));
    }
    diagnosticblock(y, av, rows, m);
    return av;
}

}  // namespace

// The square root of the 95% quantile of chi-square over its degrees of
// freedom, to two decimals.
double k95(int dof)
{
    static constexpr double table[11] = {0.0, 1.96, 1.73, 1.61, 1.54, 1.49, 1.45, 1.42, 1.39, 1.37, 1.35};
    return dof >= 1 && dof <= 10 ? table[dof] : 1.34;
}

void fitmeasures(double s, double chi, int dof, Average& av)
{
    // A weighted sum of squares that is not >= 0 (rounding on a perfect fit,
    // or a not-a-number) gives no measure of the fit.
    const double msq = dof >= 1 ? chi / dof : 0.0;
    if (!(msq >= 0.0) || !(s > 0.0)) {
        av.sdx = 0.0;
        av.sigfit = 0.0;
        return;
    }
    av.sigfit = std::sqrt(msq);
    av.sdx = 1.0 / std::sqrt(s);
    if (av.sigfit > 1.0) av.sdx *= av.sigfit;
}

void posdefinvert(const RxnMatrix& a, RxnMatrix& ainv, int n)
{
    // Cholesky factor L, row by row; then M = L^-1 by forward substitution
    // and a^-1 = M' M.
    RxnMatrix l{}, mi{};
    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j < i; ++j) {
            double s = a[i][j];
            for (int k = 1; k < j; ++k) s -= l[j][k] * l[i][k];
            l[i][j] = s / l[j][j];
        }
        double d = a[i][i];
        for (int k = 1; k < i; ++k) d -= l[i][k] * l[i][k];
        if (!(d > 0.0)) runio::bomb("posdefinvert", "sqrt negative", 0);
        l[i][i] = std::sqrt(d);
    }
    for (int j = 1; j <= n; ++j)
        for (int i = j; i <= n; ++i) {
            double s = i == j ? 1.0 : 0.0;
            for (int k = j; k < i; ++k) s -= l[i][k] * mi[k][j];
            mi[i][j] = s / l[i][i];
        }
    for (int i = 1; i <= n; ++i)
        for (int j = i; j <= n; ++j) {
            double s = 0.0;
            for (int k = j; k <= n; ++k) s += mi[k][i] * mi[k][j];
            ainv[i][j] = ainv[j][i] = s;
        }
}

void reactioncov(RxnMatrix& covh, RxnMatrix& covlnk)
{
    const int n = rxns.nrxn;
    const auto& r = rxns.r;
    const bool justrelu = runio::scriptset.justrelu == 0;
    // The end-members of each reaction: about five of the working list.
    runio::Arr<runio::Arr<int, thermodata::maxem + 1>, maxrockrxn + 1> ks{};
    runio::Arr<int, maxrockrxn + 1> nk{};
    for (int i = 1; i <= n; ++i) {
        nk[i] = 0;
        for (int k = 1; k <= ems.nem; ++k)
            if (r[i][k] != 0) ks[i][++nk[i]] = k;
    }
    for (int i = 1; i <= n; ++i)
        for (int j = i; j <= n; ++j) {
            double h = 0.0, lnk = 0.0;
            for (int a = 1; a <= nk[i]; ++a) {
                const int k = ks[i][a];
                for (int b = 1; b <= nk[j]; ++b) {
                    const int l = ks[j][b];
                    h += r[i][k] * ems.covat(k, l) * r[j][l];
                }
                lnk += ems.varlna[k] * r[i][k] * r[j][k];
            }
            covh[i][j] = covh[j][i] = justrelu ? 0.001 : h;
            covlnk[i][j] = covlnk[j][i] = lnk;
        }
}

Average lsqav(bool quiet, double y, double xco2, double xh2o)
{
    Estimates es;
    Average av;
    if (!estimates(y, xco2, xh2o, es)) {
        av.sigfit = 100.0;
        return av;
    }
    reactioncov(rock.covh, rock.covlnk);
    if (!quiet) return diagnostic(y, es);

    const int n = es.n;
    RxnMatrix v{}, w{};
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            v[i][j] = es.e[i] * rock.covh[i][j] * es.e[j] + es.f[i] * rock.covlnk[i][j] * es.f[j];
    posdefinvert(v, w, n);
    double s = 0.0, sx = 0.0;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            s += w[i][j];
            sx += es.x[i] * w[j][i];
        }
    av.avx = sx / s;
    double chi = 0.0;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) chi += (es.x[i] - av.avx) * (es.x[j] - av.avx) * w[i][j];
    fitmeasures(s, chi, n - 1, av);
    return av;
}

}  // namespace emcalcs
