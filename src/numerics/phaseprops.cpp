// Thermodynamic properties of the phases of a solved equilibrium: G, H, S, V
// and density of each phase per formula unit, and the totals of the
// assemblage per mode vector.  S and V are differences of the end-members'
// chemical potentials at the same phase compositions, over 0.02 K and
// 0.002 kbar.
//
// Units: kJ, kJ/K, kJ/kbar (1 kJ/kbar = 10 cm3), g/cm3.
#include <cmath>

#include "numerics/numerics.h"
#include "numerics/result.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace numerics {

namespace {

using axmodels::ph;
using thermodata::rgas;

constexpr double dtprop = 0.02;    // K
constexpr double dpprop = 0.002;   // kbar

// The chemical potentials at the point and at the two nearby points, kept
// out of the stack.
struct PropWork {
    EmTable g0{}, mu0{}, gp{}, mup{}, gt{}, mut{};
    FreeMap oxrow{};
    FreeMap freecomp{};
    int nfree = 0;
};
PropWork pw;

// Oxide mass of a phase (g per formula unit) from its amounts per component.
double phasemass(const ResPhase& e)
{
    double mass = 0.0;
    for (int jj = 1; jj <= pw.nfree; ++jj) mass += e.comp[pw.freecomp[jj]] * runio::oxtable[pw.oxrow[jj]].oxmass;
    return mass;
}

// Density, and the phase's share of the totals of every mode vector.
void finishphase(ResPhase& e, const char* zeromessage)
{
    ResultRec& r = result;
    if (e.v == 0.0) runio::bomb("calcgphase", zeromessage, 0);
    e.rho = phasemass(e) / (10.0 * e.v);
    const runio::ScriptFlags& sf = runio::scriptflags;
    if (!(sf.modesinnle || sf.modesafternle)) return;
    for (int b = 1; b <= r.nmodevec; ++b) {
        const double amount = e.mode[b] * e.factor[b];
        r.sysg[b] += amount * e.g;
        r.sysh[b] += amount * e.h;
        r.syss[b] += amount * e.s;
        r.sysv[b] += amount * e.v;
    }
}

}  // namespace

void calcemmu(const PhaseFlags& phases, const Vector& x, EmTable& g, EmTable& mu, double p, double t, double xco2,
              double xh2o)
{
    const Unknowns& u = unk;
    auto& td = thermodata::ems.td;
    int j = 0;
    auto one = [&]() {
        ++j;
        td[j][thermodata::sXco2] = xco2;
        td[j][thermodata::sXh2o] = xh2o;
        thermodata::gemmake(j, g[j], p, t);
    };
    for (int e = 1; e <= thermodata::ems.nem; ++e)
        if (u.phasestart[e])
            for (int k = 1; k <= ph.prec1[u.emphase[e]].n; ++k) one();
    for (int k = 1; k <= ph.npure; ++k)
        if (phases[ph.nss + k]) one();
    static EmTable dp, dt;
    static EmByUnknown dx;
    Vector copy = x;
    calca(copy, false, false, dp, dt, dx, p, t);
    const auto& act = thermodata::ems.act;
    for (int i = 1; i <= j; ++i) mu[i] = g[i] + rgas * t * std::log(act[i]);
}

void makemw2c(FreeMap& map)
{
    const thermodata::Components& cs = thermodata::comps;
    int jj = 0;
    for (int c = 1; c <= cs.ncomp; ++c) {
        if (!cs.oxfree[c]) continue;
        int row = 0;
        for (int o = 1; o <= runio::noxides && row == 0; ++o)
            if (runio::oxtable[o].oxname == cs.compname[c]) row = o;
        if (row == 0) runio::bomb("makemw2c", cs.compname[c] + " not found??", 0);
        map[++jj] = row;
    }
}

void calcgphase(const PhaseFlags& phases, const Vector& x, double p, double t, double xco2, double xh2o)
{
    const Unknowns& u = unk;
    ResultRec& r = result;
    makemw2c(pw.oxrow);
    pw.nfree = freecomponentmap(pw.freecomp);
    calcemmu(phases, x, pw.g0, pw.mu0, p, t, xco2, xh2o);
    calcemmu(phases, x, pw.gp, pw.mup, p + dpprop, t, xco2, xh2o);
    calcemmu(phases, x, pw.gt, pw.mut, p, t + dtprop, xco2, xh2o);
    for (int b = 1; b <= maxmodevec; ++b) r.sysg[b] = r.sysh[b] = r.syss[b] = r.sysv[b] = 0.0;
    const auto& act = thermodata::ems.act;
    int s = 0, j = 0;
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e]) continue;
        const axmodels::SolPhase& sp = ph.prec1[u.emphase[e]];
        ResPhase& ent = r.ph[++s];
        ent.g = ent.s = ent.v = ent.h = 0.0;
        for (int k = 1; k <= sp.n; ++k) {
            ++j;
            const double q = axmodels::evalpoly(sp.prop[k], x.data(), u.emfirstx[e]);
            ent.emprop[k] = q;
            ent.emrtlna[k] = rgas * t * std::log(act[j]);
            ent.emg[k] = pw.g0[j];
            const double sk = -(pw.mut[j] - pw.mu0[j]) / dtprop;
            ent.g += q * pw.mu0[j];
            ent.s += q * sk;
            ent.v += q * (pw.mup[j] - pw.mu0[j]) / dpprop;
            ent.h += q * (pw.mu0[j] + t * sk);
        }
        finishphase(ent, "vph=0");
    }
    for (int k = 1; k <= ph.npure; ++k) {
        if (!phases[ph.nss + k]) continue;
        ++j;
        ResPhase& ent = r.ph[++s];
        ent.emg[1] = pw.mu0[j];
        ent.emrtlna[1] = 0.0;
        ent.g = pw.mu0[j];
        ent.s = -(pw.mut[j] - pw.mu0[j]) / dtprop;
        ent.v = (pw.mup[j] - pw.mu0[j]) / dpprop;
        ent.h = pw.mu0[j] + t * ent.s;
        const double a = ph.prec0[k].act;
        if (a != 1.0) {
            ent.emrtlna[1] = rgas * t * std::log(a);
            ent.g += ent.emrtlna[1];
        }
        finishphase(ent, "vph=0 2");
    }
    const runio::ScriptFlags& sf = runio::scriptflags;
    if (!(sf.modesinnle || sf.modesafternle)) return;
    for (int b = 1; b <= r.nmodevec; ++b) {
        const auto& row = r.bulkrows[r.vecrow[b]];
        double mass = 0.0;
        for (int jj = 1; jj <= pw.nfree; ++jj) mass += row[jj] * runio::oxtable[pw.oxrow[jj]].oxmass;
        r.sysrho[b] = r.sysv[b] == 0.0 ? 0.0 : mass / (10.0 * r.sysv[b]);
    }
}

}  // namespace numerics
