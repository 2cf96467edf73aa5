// Activities of the end-members of the assemblage's solution phases, with
// the derivatives of RT ln a by P, T and the phase variables that the
// jacobian of the equilibrium equations needs: ideal mixing on sites, the
// symmetric and van Laar models of the a-x file, the built-in H2O-CO2-...
// fluid (sizes and interaction energies from the fluid equations of state)
// and its aqueous variant.
//
// Units: P kbar, T K, energies kJ; d(RT ln a)/dP in kJ/kbar, /dT in kJ/K.
#include <cmath>

#include "numerics/numerics.h"
#include "numerics/result.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"

namespace numerics {

namespace {

using axmodels::maxpairs;
using axmodels::maxsf;
using axmodels::maxsolem;
using thermodata::rgas;

// Steps of the forward differences of the fluid volumes, from which sizes
// and interaction energies are made linear in T and P about the point.
constexpr double fdt = 0.01;    // K
constexpr double fdp = 0.001;   // kbar
constexpr double wh2oco2 = 10.5;   // kJ, the H2O-CO2 interaction of an aqueous solvent

using PerEm = runio::Arr<double, maxsolem + 1>;
using PerEmVar = runio::Arr<runio::Arr<double, maxsolem + 1>, maxsolem + 1>;

// Work tables of one phase: fixed, reused by every call.
struct PhaseWork {
    runio::Arr<double, maxsf + 1> sf{};
    runio::Arr<runio::Arr<double, maxsolem + 1>, maxsf + 1> dsf{};
    PerEm q{};             // proportions
    PerEmVar dq{};         // d q_k / d x_v
    PerEm aa{}, ab{}, ac{};   // sizes alpha = aa + ab T + ac P
    runio::Arr<double, maxpairs + 1> wa{}, wb{}, wc{};   // W = wa + wb T + wc P
    PerEm alpha{}, phi{}, dphit{}, dphip{};
    PerEmVar dphi{};
};
PhaseWork pw;

struct Volumes {
    double v = 0.0, vt = 0.0, vp = 0.0;   // at (P, T), (P, T + fdt), (P + fdp, T)
};

Volumes fluidvolumes(const axmodels::SolPhase& s, int k, double p, double t)
{
    Volumes r;
    double unused;
    if (k == s.h2opos) {
        thermodata::h2oeos(r.v, unused, p, t);
        thermodata::h2oeos(r.vt, unused, p, t + fdt);
        thermodata::h2oeos(r.vp, unused, p + fdp, t);
    } else if (k == s.co2pos) {
        thermodata::co2eos(r.v, unused, p, t);
        thermodata::co2eos(r.vt, unused, p, t + fdt);
        thermodata::co2eos(r.vp, unused, p + fdp, t);
    } else {
        const auto& fs = axmodels::ph.fluidspecies;
        const int sp = s.em[k].fluidindex;
        thermodata::corkcs(r.v, unused, p, t, fs.pcrit[sp], fs.tcrit[sp]);
        thermodata::corkcs(r.vt, unused, p, t + fdt, fs.pcrit[sp], fs.tcrit[sp]);
        thermodata::corkcs(r.vp, unused, p + fdp, t, fs.pcrit[sp], fs.tcrit[sp]);
    }
    return r;
}

// Size of a species relative to the solvent (end-member 1), linear in T and
// P with the slopes of the volumes at the point.
void relativesize(const Volumes& vk, const Volumes& v1, int k, double p, double t)
{
    const double r = vk.v / v1.v;
    pw.ab[k] = r * (vk.vt / vk.v - v1.vt / v1.v) / fdt;
    pw.ac[k] = r * (vk.vp / vk.v - v1.vp / v1.v) / fdp;
    pw.aa[k] = r - pw.ab[k] * t - pw.ac[k] * p;
}

// Interaction w of two species, wf (1/V_i + 1/V_j), linear in T and P.
void fluidinteraction(int w, double wf, const Volumes& vi, const Volumes& vj, double p, double t)
{
    pw.wa[w] = wf * (1.0 / vi.v + 1.0 / vj.v);
    pw.wb[w] = -wf * ((1.0 / vi.v) * (vi.vt / vi.v - 1.0) + (1.0 / vj.v) * (vj.vt / vj.v - 1.0)) / fdt;
    pw.wc[w] = -wf * ((1.0 / vi.v) * (vi.vp / vi.v - 1.0) + (1.0 / vj.v) * (vj.vp / vj.v - 1.0)) / fdp;
    pw.wa[w] = pw.wa[w] - pw.wb[w] * t - pw.wc[w] * p;
}

void fluidparameters(const axmodels::SolPhase& s, double p, double t)
{
    runio::Arr<Volumes, maxsolem + 1> vol{};
    for (int k = 1; k <= s.n; ++k) vol[k] = fluidvolumes(s, k, p, t);
    pw.aa[1] = 1.0;
    pw.ab[1] = pw.ac[1] = 0.0;
    for (int k = 2; k <= s.n; ++k) relativesize(vol[k], vol[1], k, p, t);
    const auto& fs = axmodels::ph.fluidspecies;
    for (int g = 1; g <= s.ngterm; ++g) {
        const auto& [w, i, j] = s.gterm[g];
        fluidinteraction(w, fs.w[s.em[i].fluidindex][s.em[j].fluidindex], vol[i], vol[j], p, t);
    }
}

// An aqueous phase: water (end-member 1) is the solvent; CO2 (end-member 2
// when present) is sized and interacts as in the fluid; every solute keeps
// its own size from the a-x file, taken relative to the volume of water.
void aqueousparameters(const axmodels::SolPhase& s, double p, double t)
{
    const Volumes v1 = fluidvolumes(s, s.h2opos, p, t);
    pw.aa[1] = 1.0;
    pw.ab[1] = pw.ac[1] = 0.0;
    int from = 2;
    if (s.co2pos != 0) {
        const Volumes v2 = fluidvolumes(s, s.co2pos, p, t);
        relativesize(v2, v1, 2, p, t);
        fluidinteraction(1, wh2oco2, v1, v2, p, t);
        from = 3;
    }
    for (int k = from; k <= s.n; ++k) {
        const double a = s.sizea[k], b = s.sizeb[k], c = s.sizec[k];
        const double size = a + b * t + c * p;
        const double rel = size / v1.v;
        pw.ab[k] = rel * ((a + b * (t + fdt) + c * p) / size - v1.vt / v1.v) / fdt;
        pw.ac[k] = rel * ((a + b * t + c * (p + fdp)) / size - v1.vp / v1.v) / fdp;
        pw.aa[k] = rel - pw.ab[k] * t - pw.ac[k] * p;
    }
}

void vanlaarfractions(const axmodels::SolPhase& s, bool wantpt, bool wantx, double p, double t)
{
    const int n = s.n;
    double sum = 0.0;
    for (int k = 1; k <= n; ++k) {
        pw.alpha[k] = pw.aa[k] + pw.ab[k] * t + pw.ac[k] * p;
        if (!(pw.alpha[k] > 0.0)) axmodels::badsize("calca", s, k, p, t);
        sum += pw.alpha[k] * pw.q[k];
    }
    for (int k = 1; k <= n; ++k) pw.phi[k] = pw.alpha[k] * pw.q[k] / sum;
    if (wantpt) {
        double st = 0.0, sp = 0.0;
        for (int k = 1; k <= n; ++k) {
            st += pw.ab[k] * pw.q[k];
            sp += pw.ac[k] * pw.q[k];
        }
        for (int k = 1; k <= n; ++k) {
            pw.dphit[k] = (pw.q[k] * pw.ab[k] - pw.phi[k] * st) / sum;
            pw.dphip[k] = (pw.q[k] * pw.ac[k] - pw.phi[k] * sp) / sum;
        }
    }
    if (wantx) {
        for (int v = 1; v <= s.nvar; ++v) {
            double dv = 0.0;
            for (int k = 1; k <= n; ++k) dv += pw.alpha[k] * pw.dq[k][v];
            for (int k = 1; k <= n; ++k) pw.dphi[k][v] = (pw.alpha[k] * pw.dq[k][v] - pw.phi[k] * dv) / sum;
        }
    }
}

// The listing of a site fraction at or below zero in an ideal-mixing term,
// before the run stops.
[[noreturn]] void negativesf(const axmodels::SolPhase& s, int k, int term, const Vector& x)
{
    using runio::addfield;
    using runio::addreal;
    const Unknowns& u = unk;
    std::string& line = runio::chans.line;
    line = "    ";
    for (int i = 3; i <= u.nvar; ++i) addfield(u.xname[i], 12, line);
    runio::putstr(2, line, 1, runio::msol);
    line = "x =  ";
    for (int i = 3; i <= u.nvar; ++i) addreal(x[i], 5, true, 12, line);
    runio::putstr(0, line, 1, runio::msol);
    line = "     ";
    for (int j = 1; j <= s.nsf; ++j) addfield(s.sfname[j], 12, line);
    runio::putstr(1, line, 1, runio::msol);
    line = "sf = ";
    for (int j = 1; j <= s.nsf; ++j) addreal(pw.sf[j], 5, true, 12, line);
    runio::putstr(0, line, 1, runio::msol);
    const int sfno = s.em[k].term[term].sf;
    runio::putstr(0,
                  "phase = " + s.name + ", end-member = " + s.em[k].name + ", tmf term no = " +
                      runio::inttext(term) + ", sf term no = " + runio::inttext(sfno) +
                      ", sf = " + runio::realstr(pw.sf[sfno], 4, true),
                  1, runio::msol);
    runio::putstr(1, "sorry - try changing starting guesses!", 1, runio::msol);
    runio::bomb("calca", "negative sf term", 0);
}

double idealactivity(const axmodels::SolPhase& s, int k, const Vector& x)
{
    const axmodels::EmRec& e = s.em[k];
    double a = e.normconst;
    for (int tm = 1; tm <= e.nterms; ++tm) {
        const axmodels::IdealTerm& term = e.term[tm];
        const double v = pw.sf[term.sf];
        if (!(v > 0.0)) negativesf(s, k, tm, x);
        if (term.p == 1 && term.q == 1)
            a *= v;
        else
            a *= runio::ratpower(term.p, term.q, v);
    }
    if (a <= 0.0) runio::bomb("calca", "ln <= 0", 1);
    return a;
}

void phaseactivities(int i, int entry, const Vector& x, bool wantpt, bool wantx, EmTable& dp, EmTable& dt,
                     EmByUnknown& dx, double p, double t)
{
    const int k = unk.emphase[i], first = unk.emfirstx[i];
    const axmodels::SolPhase& s = axmodels::ph.prec1[k];
    const int n = s.n, nv = s.nvar;
    const double* xb = x.data();
    const double rt = rgas * t;
    ResPhase& rp = result.ph[entry];
    auto& act = thermodata::ems.act;

    for (int j = 1; j <= s.nsf; ++j) {
        pw.sf[j] = axmodels::evalpoly(s.sf[j], xb, first);
        if (wantx)
            for (int v = 1; v <= nv; ++v) pw.dsf[j][v] = devalpoly(s.sf[j], v, xb, first);
    }
    for (int m = 1; m <= n; ++m) {
        pw.q[m] = axmodels::evalpoly(s.prop[m], xb, first);
        rp.emprop[m] = pw.q[m];
    }
    const bool nonideal = s.model == 1 || s.model == 2;
    const bool vanlaar = s.model == 2;
    if (nonideal) {
        if (wantx)
            for (int m = 1; m <= n; ++m)
                for (int v = 1; v <= nv; ++v) pw.dq[m][v] = devalpoly(s.prop[m], v, xb, first);
        for (int w = 1; w <= s.nw; ++w) {
            pw.wa[w] = s.wa[w];
            pw.wb[w] = s.wb[w];
            pw.wc[w] = s.wc[w];
        }
        for (int m = 1; m <= n; ++m) {
            pw.aa[m] = s.sizea[m];
            pw.ab[m] = s.sizeb[m];
            pw.ac[m] = s.sizec[m];
        }
        if (s.fluid)
            fluidparameters(s, p, t);
        else if (s.aqueous)
            aqueousparameters(s, p, t);
        if (vanlaar) vanlaarfractions(s, wantpt, wantx, p, t);
    }

    for (int m = 1; m <= n; ++m) {
        const int e = i + m - 1;
        const axmodels::EmRec& em = s.em[m];
        const bool aqm = s.aqueous && em.slots[thermodata::sAq] != 0.0;
        const double aid = idealactivity(s, m, x);
        double g = 0.0, dtn = 0.0, dpn = 0.0;
        runio::Arr<double, maxsolem + 1> ex{};   // d(RT ln gamma)/d x_v
        if (nonideal) {
            for (int gt = 1; gt <= s.ngterm; ++gt) {
                const auto& [w, ii, jj] = s.gterm[gt];
                const double wtot = pw.wa[w] + pw.wb[w] * t + pw.wc[w] * p;
                const double di = ii == m ? 1.0 : 0.0, dj = jj == m ? 1.0 : 0.0;
                // A solute's activity coefficient tends to 1 at infinite
                // dilution in water: its own term with the solvent is shifted.
                const bool solute = aqm && ii == 1 && jj == m;
                if (!vanlaar) {
                    if (solute) runio::bomb("calca", "symmetric aq??", 1);
                    const double qi = di - pw.q[ii], qj = dj - pw.q[jj];
                    g -= qi * qj * wtot;
                    if (wantx)
                        for (int v = 1; v <= nv; ++v) ex[v] += wtot * (qj * pw.dq[ii][v] + qi * pw.dq[jj][v]);
                    if (wantpt) {
                        if (pw.wb[w] != 0.0) dtn -= qi * qj * pw.wb[w];
                        if (pw.wc[w] != 0.0) dpn -= qi * qj * pw.wc[w];
                    }
                    continue;
                }
                const double sizes = pw.alpha[ii] + pw.alpha[jj];
                const double wt = wtot * 2.0 * pw.alpha[m] / sizes;
                const double qi = di - pw.phi[ii], qj = dj - pw.phi[jj];
                const double mult = solute ? qi * qj + 1.0 : qi * qj;
                g -= mult * wt;
                if (wantx)
                    for (int v = 1; v <= nv; ++v) ex[v] += wt * (qj * pw.dphi[ii][v] + qi * pw.dphi[jj][v]);
                if (wantpt) {
                    dtn += wt * (qi * pw.dphit[jj] + qj * pw.dphit[ii]);
                    dpn += wt * (qi * pw.dphip[jj] + qj * pw.dphip[ii]);
                    const double dwt = pw.wb[w] * 2.0 * pw.alpha[m] / sizes +
                                       wt * (pw.ab[m] / pw.alpha[m] - (pw.ab[ii] + pw.ab[jj]) / sizes);
                    const double dwp = pw.wc[w] * 2.0 * pw.alpha[m] / sizes +
                                       wt * (pw.ac[m] / pw.alpha[m] - (pw.ac[ii] + pw.ac[jj]) / sizes);
                    dtn -= mult * dwt;
                    dpn -= mult * dwp;
                }
            }
            const double gamma = std::exp(g / rt);
            rp.emideal[m] = aid;
            rp.emgamma[m] = gamma;
            rp.emact[m] = aid * gamma;
            act[e] = aid * gamma;
            if (!(act[e] > 0.0) || !std::isfinite(act[e])) axmodels::badactivity("calca", s, m, g, p, t);
        } else {
            rp.emideal[m] = aid;
            rp.emgamma[m] = 0.0;
            rp.emact[m] = aid;
            act[e] = aid;
        }
        if (wantx) {
            for (int v = 1; v <= nv; ++v) {
                double d = 0.0;
                for (int tm = 1; tm <= em.nterms; ++tm) {
                    const axmodels::IdealTerm& term = em.term[tm];
                    d += pw.dsf[term.sf][v] * (static_cast<double>(term.p) / term.q) / pw.sf[term.sf];
                }
                dx[e][first + v - 1] = nonideal ? rt * d + ex[v] : rt * d;
            }
        }
        if (wantpt) {
            dt[e] = rgas * std::log(aid) + dtn;
            dp[e] = dpn;
        }
    }
}

}  // namespace

void calca(const Vector& x, bool wantpt, bool wantx, EmTable& dp, EmTable& dt, EmByUnknown& dx, double p,
           double t)
{
    auto& act = thermodata::ems.act;
    const int nem = thermodata::ems.nem;
    for (int j = 1; j <= nem; ++j) act[j] = 1.0;
    int entry = 0;
    for (int i = 1; i <= nem; ++i)
        if (unk.phasestart[i]) phaseactivities(i, ++entry, x, wantpt, wantx, dp, dt, dx, p, t);
}

}  // namespace numerics
