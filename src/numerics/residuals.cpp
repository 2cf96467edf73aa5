// The equilibrium equations of an assemblage and their jacobian: one row per
// independent reaction among its end-members, (dG0 + RT sum nu ln a) divided
// by the reaction's divisor, and, when the phase modes are unknowns, one
// mass-balance row per independent combination of the free components.  The
// jacobian is by the scaled free unknowns, with a copy in natural units for
// the uncertainties of the solved unknowns.
#include <cmath>
#include <cstring>

#include "numerics/residualwork.h"
#include "numerics/result.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace numerics {

ResidualWork rw;

namespace {

using runio::addfield;
using runio::addreal;
using thermodata::TdRow;
using thermodata::rgas;

// Forward-difference steps of the reaction G by P and T, as for the Gibbs
// energy change of a reaction.
constexpr double dpstep = 1e-5;    // kbar
constexpr double dtstep = 0.001;   // K
constexpr double rankfloor = 1e-5;   // a rank-deficient mass-balance row must vanish to this

// The Gibbs energies of the end-members at (P, T), (P + dpstep, T) and
// (P, T + dtstep), kept between evaluations: at a fixed point only a change
// of an end-member's data row (a set chemical potential or activity, the
// fluid composition or ionic strength it sees) or of the rows its recipe is
// made from calls for new ones.
struct GibbsKept {
    runio::Arr<bool, thermodata::maxem + 1> valid{};
    runio::Arr<double, thermodata::maxem + 1> p{}, t{}, g0{}, gp{}, gt{};
    runio::Arr<TdRow, thermodata::maxem + 1> row{};
    runio::Arr<runio::Arr<TdRow, axmodels::maxmakeconst + 1>, thermodata::maxem + 1> made{};
    int calcmode = -1;
    bool dsnew = false, dsgen6 = false;
};
GibbsKept gk;

bool samerow(const TdRow& a, const TdRow& b) { return std::memcmp(a.data(), b.data(), sizeof(TdRow)) == 0; }

const axmodels::MakeRecipe* recipeof(int j)
{
    const TdRow& r = thermodata::ems.td[j];
    if (r[thermodata::sEntry] == 0.0 || !thermodata::ds.dsnew) return nullptr;
    return &axmodels::reciperef(static_cast<int>(std::nearbyint(r[thermodata::sPhase])),
                                static_cast<int>(std::nearbyint(r[thermodata::sEntry])));
}

void gibbsof(int j, double p, double t)
{
    const auto& td = thermodata::ems.td;
    const axmodels::MakeRecipe* mk = recipeof(j);
    if (gk.valid[j] && gk.p[j] == p && gk.t[j] == t && samerow(gk.row[j], td[j])) {
        bool same = true;
        for (int m = 1; mk != nullptr && m <= mk->count && same; ++m) same = samerow(gk.made[j][m], td[mk->pos[m]]);
        if (same) return;
    }
    thermodata::gemmake(j, gk.g0[j], p, t);
    thermodata::gemmake(j, gk.gp[j], p + dpstep, t);
    thermodata::gemmake(j, gk.gt[j], p, t + dtstep);
    gk.valid[j] = true;
    gk.p[j] = p;
    gk.t[j] = t;
    gk.row[j] = td[j];
    for (int m = 1; mk != nullptr && m <= mk->count; ++m) gk.made[j][m] = td[mk->pos[m]];
}

// G of reaction k and its P and T derivatives, summed exactly as the Gibbs
// energy change of a reaction sums them.
void reactiong(int k, double p, double t, double& g, double& dgdp, double& dgdt)
{
    if (t <= 0.0) runio::bomb("calcdg0", "T <= 0 !", 1);
    const auto& nu = thermodata::rxns.r[k];
    double s0 = 0.0, sp = 0.0, st = 0.0;
    for (int j = 1; j <= thermodata::ems.nem; ++j) {
        const int n = nu[j];
        if (n == 0) continue;
        gibbsof(j, p, t);
        s0 += n * gk.g0[j];
        sp += n * gk.gp[j];
        st += n * gk.gt[j];
    }
    g = s0;
    dgdp = (sp - s0) / dpstep;
    dgdt = (st - s0) / dtstep;
}

void checkgibbskey()
{
    const int mode = runio::run.calcmode;
    const auto& ds = thermodata::ds;
    if (mode != gk.calcmode || ds.dsnew != gk.dsnew || ds.dsgen6 != gk.dsgen6) {
        forgetgibbs();
        gk.calcmode = mode;
        gk.dsnew = ds.dsnew;
        gk.dsgen6 = ds.dsgen6;
    }
}

bool inrange(const Vector& x, int n)
{
    const Unknowns& u = unk;
    for (int i = 1; i <= n; ++i) {
        if (!u.xfree[i]) continue;
        const bool lo = u.xlokind[i] == 4 ? x[i] > 0.0 : x[i] >= 0.0;
        const bool hi = u.xhikind[i] == 4 ? x[i] < 1.0 : x[i] <= 1.0;
        if (!lo || !hi) return false;
    }
    return true;
}

void failedlisting(const Vector& x, int n)
{
    const Unknowns& u = unk;
    std::string& line = runio::chans.line;
    runio::putstr(2, "FAILED in nlefunc, at which stage x was:", 1, runio::msol);
    line.clear();
    for (int i = 1; i <= n; ++i) addfield(u.xname[i], 10, line);
    runio::putstr(0, line, 1, runio::msol);
    line.clear();
    addreal(x[1], 2, true, 10, line);
    addreal(x[2] - 273.15, 1, true, 10, line);
    for (int i = 3; i <= n; ++i) addreal(x[i], 4, false, 10, line);
    runio::putstr(0, line, 1, runio::msol);
}

void sflisting(const axmodels::SolPhase& s, const Vector& x, int first)
{
    const Unknowns& u = unk;
    std::string& line = runio::chans.line;
    line = "      ";
    for (int i = 3; i <= u.nvar; ++i) addfield(u.xname[i], 12, line);
    runio::putstr(1, line, 1, runio::msol);
    line = "x =  ";
    for (int i = 3; i <= u.nvar; ++i) addreal(x[i], 5, true, 12, line);
    runio::putstr(0, line, 1, runio::msol);
    line = "     ";
    for (int k = 1; k <= s.nsf; ++k) addfield(s.sfname[k], 12, line);
    runio::putstr(1, line, 1, runio::msol);
    line = "sf = ";
    for (int k = 1; k <= s.nsf; ++k) addreal(axmodels::evalpoly(s.sf[k], x.data(), first), 6, true, 12, line);
    runio::putstr(0, line, 1, runio::msol);
}

// Every site fraction of the assemblage's phases positive.  A negative one
// stops the run, unless a Monte Carlo run or the Gibbs energy minimisation
// expects such points and passes them over.
bool calcsf(const Vector& x)
{
    const Unknowns& u = unk;
    const runio::ScriptFlags& sf = runio::scriptflags;
    bool ok = true;
    for (int i = 1; i <= thermodata::ems.nem; ++i) {
        if (!u.phasestart[i]) continue;
        const axmodels::SolPhase& s = axmodels::ph.prec1[u.emphase[i]];
        const int first = u.emfirstx[i];
        for (int k = 1; k <= s.nsf; ++k) {
            if (axmodels::evalpoly(s.sf[k], x.data(), first) > 0.0) continue;
            ok = false;
            if (progress.mcon || (sf.dogminon && sf.dogminlevel < 2)) continue;
            sflisting(s, x, first);
            if (!sf.dogminon) {
                runio::putstr(1, "sorry - try changing starting guesses!", 1, runio::msol);
                runio::bomb("calcsf", "negative sf term", 0);
            }
            runio::putstr(1, "checksf, negative sf term - change starting guesses", 1, runio::msol);
        }
    }
    if (!ok) runio::screenwrite("*");
    return ok;
}

// Aqueous species see the solvent's x(CO2) and x(H2O) in their data rows.
void setaqueoussolvent(const Vector& x)
{
    const Unknowns& u = unk;
    auto& td = thermodata::ems.td;
    for (int i = 1; i <= thermodata::ems.nem; ++i) {
        if (!u.phasestart[i]) continue;
        const axmodels::SolPhase& s = axmodels::ph.prec1[u.emphase[i]];
        if (!s.aqueous || s.fluid) continue;
        const int first = u.emfirstx[i];
        const double a = s.co2pos != 0 ? axmodels::evalpoly(s.prop[s.co2pos], x.data(), first) : 0.0;
        const double b = s.h2opos != 0 ? axmodels::evalpoly(s.prop[s.h2opos], x.data(), first) : 0.0;
        for (int e = i; e <= i + s.n - 1; ++e) {
            td[e][thermodata::sXco2] = a;
            td[e][thermodata::sXh2o] = b;
        }
    }
}

void clearblock(SquareTable& m, int rows, int cols)
{
    for (int i = 1; i <= rows; ++i) std::memset(&m[i][1], 0, sizeof(double) * static_cast<std::size_t>(cols));
}

// The first unknown of the phase each end-member belongs to and its count
// of variables (0 for a pure phase): only those unknowns move its activity.
struct EmVars {
    runio::Arr<int, thermodata::maxem + 1> first{}, count{};
};
EmVars emv;

void setemvars()
{
    const Unknowns& u = unk;
    const int nem = thermodata::ems.nem;
    for (int e = 1; e <= nem; ++e) emv.count[e] = 0;
    for (int e = 1; e <= nem; ++e) {
        if (!u.phasestart[e]) continue;
        const axmodels::SolPhase& s = axmodels::ph.prec1[u.emphase[e]];
        for (int k = e; k <= e + s.n - 1 && k <= nem; ++k) {
            emv.first[k] = u.emfirstx[e];
            emv.count[k] = s.nvar;
        }
    }
}

// Reaction rows: residuals and their jacobian columns; returns the number
// of free unknowns among P, T and the phase variables.
int reactionrows(SquareTable& jac, Vector& f, double p, double t,
                 const runio::Arr<int, maxnlex + 1>& col)
{
    const Unknowns& u = unk;
    auto& rx = thermodata::rxns;
    const auto& act = thermodata::ems.act;
    const int nem = thermodata::ems.nem;
    auto& jn = eqs.jacnat;
    int nv = 0;
    for (int i = 1; i <= u.nvar; ++i)
        if (u.xfree[i]) ++nv;
    runio::Arr<double, maxnlex + 1> dsum{};
    for (int k = 1; k <= rx.nrxn; ++k) {
        const auto& nu = rx.r[k];
        rx.lnk[k] = 0.0;
        double g, dgdp, dgdt;
        reactiong(k, p, t, g, dgdp, dgdt);
        double l = 0.0, sp = 0.0, st = 0.0;
        for (int i = 3; i <= u.nvar; ++i) dsum[i] = 0.0;
        for (int j = 1; j <= nem; ++j) {
            const int n = nu[j];
            if (n == 0) continue;
            if (act[j] <= 0.0) runio::bomb("fdcheck2", "ln<=0", 1);
            l += n * std::log(act[j]);
            sp += n * rw.dp[j];
            st += n * rw.dt[j];
            const auto& dxj = rw.dx[j];
            for (int i = emv.first[j]; i < emv.first[j] + emv.count[j]; ++i) dsum[i] += n * dxj[i];
        }
        const double div = rx.rxndiv[k];
        f[k] = (g + rgas * t * l) / div;
        rx.lnk[k] = l;
        if (u.xfree[1]) {
            const double d = dgdp + sp;
            jn[k][col[1]] = d;
            jac[k][col[1]] = d / (u.xscale[1] * div);
        }
        if (u.xfree[2]) {
            const double d = dgdt + st;
            jn[k][col[2]] = d;
            jac[k][col[2]] = d / (u.xscale[2] * div);
        }
        for (int i = 3; i <= u.nvar; ++i) {
            if (!u.xfree[i]) continue;
            jn[k][col[i]] = dsum[i];
            jac[k][col[i]] = dsum[i] / (u.xscale[i] * div);
        }
    }
    return nv;
}

[[noreturn]] void nonsquare(const Vector& x, const Vector& f, const SquareTable& jac, int nv, int nfreemodes)
{
    const auto& e = eqs;
    std::string l = "\nrow " + runio::inttext(e.njacrows) + " (";
    addfield(runio::inttext(thermodata::rxns.nrxn), 3, l);
    addfield(runio::inttext(thermodata::comps.nfreeox), 3, l);
    addfield(runio::inttext(red.rankdeficit), 3, l);
    l += ")\ncol " + runio::inttext(e.njaccols) + " (";
    addfield(runio::inttext(nv), 3, l);
    addfield(runio::inttext(nfreemodes), 3, l);
    l += ")\n\n\n";
    runio::screenwrite(l);
    runio::scriptflags.debuglevel = 4;
    printjac(x, f, jac);
    runio::bomb("nlefunc", "non-square jacobian", 1);
}

// Mass-balance rows: the modes times the phase compositions, transformed
// into the reduced system of the assemblage, against the bulk.
bool massbalance(Vector& x, SquareTable& jac, Vector& f, int nv, const runio::Arr<int, maxnlex + 1>& col)
{
    const Unknowns& u = unk;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const int nrxn = thermodata::rxns.nrxn;
    const int nfree = thermodata::comps.nfreeox;
    const int deficit = red.rankdeficit;
    auto& jn = eqs.jacnat;
    bool ok = true;
    compcalc(x);
    if (sf.debuglevel > 3) compcalccheck(x);
    double total = 0.0;
    for (int m = 1; m <= u.nmodes; ++m) total += x[u.nvar + m];

    // M c_m per mode, M bulk, and A = sum of x_m M c_m.
    static runio::Arr<runio::Arr<double, maxfreecomp + 1>, maxnlex + 1> mc;
    runio::Arr<double, maxfreecomp + 1> mbulk{}, a{};
    for (int i = 1; i <= nfree; ++i) {
        const auto& row = red.projc[i];
        double b = 0.0;
        for (int j = 1; j <= nfree; ++j) b += row[j] * bulks.bulkcalc[j];
        mbulk[i] = b;
        double s = 0.0;
        for (int m = 1; m <= u.nmodes; ++m) {
            double v = 0.0;
            for (int j = 1; j <= nfree; ++j) v += row[j] * rw.cm[m][j];
            mc[m][i] = v;
            s += x[u.nvar + m] * v;
        }
        a[i] = s;
    }
    for (int i = 1; i <= nfree; ++i) {
        const double s = total * a[i] - mbulk[i];
        if (i <= nfree - deficit) {
            f[nrxn + i] = s;
            continue;
        }
        if (std::fabs(s) < rankfloor || (sf.dogminon && sf.dogminlevel < 2)) continue;
        std::string l = "residual (";
        addfield(realexp(s, 4), 12, l);
        runio::screenwrite(l + ") should be zero in rank-deficient case\n");
        if (!sf.dogminon) runio::bomb("nlefunc", "residuals not in reduced system", 0);
        runio::screenwrite("residuals not in reduced system - shouldn't have happened?\n");
        ok = false;
    }

    int nfreemodes = 0;
    for (int m = 1; m <= u.nmodes; ++m)
        if (u.xfree[u.nvar + m]) ++nfreemodes;
    for (int i = 1; i <= nfree - deficit; ++i) {
        const int r = nrxn + i;
        const auto& row = red.projc[i];
        for (int m = 1; m <= u.nsolmodes; ++m) {
            const int first = u.modeem[m];
            const axmodels::SolPhase& s = axmodels::ph.prec1[u.modephase[m]];
            for (int v = 1; v <= s.nvar; ++v) {
                const int un = first + v - 1;
                if (!u.xfree[un]) continue;
                double dd = 0.0;
                for (int j = 1; j <= nfree; ++j) dd += row[j] * eqs.compdxat(m, j, v);
                const double d = total * x[u.nvar + m] * dd;
                jac[r][col[un]] = d / u.xscale[un];
                jn[r][col[un]] = d;
            }
        }
        for (int m = 1; m <= u.nmodes; ++m) {
            const int un = u.nvar + m;
            if (!u.xfree[un]) continue;
            const double d = total * mc[m][i] + a[i];
            jac[r][col[un]] = d / u.xscale[un];
            jn[r][col[un]] = d;
        }
    }
    eqs.njacrows = nfree + nrxn - deficit;
    eqs.njaccols = nv + nfreemodes;
    if (eqs.njacrows != eqs.njaccols) nonsquare(x, f, jac, nv, nfreemodes);
    return ok;
}

}  // namespace

void forgetgibbs() { gk.valid.fill(false); }

void compcalc(const Vector& x)
{
    const Unknowns& u = unk;
    const auto& comps = thermodata::comps;
    rw.nfree = 0;
    for (int c = 1; c <= comps.ncomp; ++c)
        if (comps.oxfree[c] && rw.nfree < maxfreecomp) rw.freecomp[++rw.nfree] = c;
    const int nf = rw.nfree;
    for (int m = 1; m <= u.nsolmodes; ++m) {
        const axmodels::SolPhase& s = axmodels::ph.prec1[u.modephase[m]];
        const int first = u.modeem[m];
        runio::Arr<double, axmodels::maxsolem + 1> q{};
        runio::Arr<double, maxfreecomp + 1> num{};
        double den = 0.0;
        for (int k = 1; k <= s.n; ++k) {
            q[k] = axmodels::evalpoly(s.prop[k], x.data(), first);
            den += q[k] * s.em[k].oxsum;
            for (int jj = 1; jj <= nf; ++jj) {
                const int c = rw.freecomp[jj];
                num[jj] += q[k] * s.em[k].comp[c] / static_cast<double>(comps.compmult[c]);
            }
        }
        for (int jj = 1; jj <= nf; ++jj) rw.cm[m][jj] = num[jj] / den;
        for (int v = 1; v <= s.nvar; ++v) {
            runio::Arr<double, maxfreecomp + 1> dnum{};
            double dden = 0.0;
            for (int k = 1; k <= s.n; ++k) {
                const double dq = devalpoly(s.prop[k], v, x.data(), first);
                if (dq == 0.0) continue;
                dden += dq * s.em[k].oxsum;
                for (int jj = 1; jj <= nf; ++jj) {
                    const int c = rw.freecomp[jj];
                    dnum[jj] += dq * s.em[k].comp[c] / static_cast<double>(comps.compmult[c]);
                }
            }
            for (int jj = 1; jj <= nf; ++jj) eqs.compdxat(m, jj, v) = (dnum[jj] - rw.cm[m][jj] * dden) / den;
        }
    }
    for (int m = u.nsolmodes + 1; m <= u.nmodes; ++m) {
        const axmodels::PurePhase& pp = axmodels::ph.prec0[u.modephase[m]];
        for (int jj = 1; jj <= nf; ++jj) {
            const int c = rw.freecomp[jj];
            rw.cm[m][jj] = pp.comp[c] / static_cast<double>(comps.compmult[c]) / pp.oxsum;
        }
    }
}

bool nlefunc(Vector& x, SquareTable& jac, Vector& f)
{
    const Unknowns& u = unk;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const int n = u.nvar + u.nmodes;
    const int nem = thermodata::ems.nem;

    // The scaling maps each free unknown's admissible range onto 0..1.
    bool ok = inrange(x, n);
    for (int i = 1; i <= n; ++i)
        if (u.xfree[i]) x[i] = (x[i] - u.xoffset[i]) / u.xscale[i];
    const double p = x[1], t = x[2];
    if (!ok) {
        failedlisting(x, n);
        return false;
    }

    for (int j = 1; j <= nem; ++j) {
        rw.dp[j] = rw.dt[j] = 0.0;
        std::memset(&rw.dx[j][1], 0, sizeof(double) * static_cast<std::size_t>(u.nvar));
    }
    ok = calcsf(x);
    if (!ok) runio::screenwrite("** NOT OK\n");
    if (ok) {
        calca(x, true, true, rw.dp, rw.dt, rw.dx, p, t);
        if (sf.debuglevel > 3) fdcheck1(x, p, t);
        if (sf.debuglevel == 4) printlnk();
        for (int j = 1; j <= nem && ok; ++j) ok = thermodata::ems.act[j] > 0.0;
    }
    // A point that cannot be evaluated forms no equations: the reaction
    // rows would read activities of an earlier evaluation.
    if (ok) {
        const int rows = thermodata::rxns.nrxn + (sf.modesinnle ? thermodata::comps.nfreeox : 0);
        const int block = rows > n ? rows : n;
        clearblock(jac, block, block);
        clearblock(eqs.jacnat, block, block);
        setaqueoussolvent(x);
        checkgibbskey();
        setemvars();
        runio::Arr<int, maxnlex + 1> col{};
        int c = 0;
        for (int i = 1; i <= n; ++i)
            if (u.xfree[i]) col[i] = ++c;
        const int nv = reactionrows(jac, f, p, t, col);
        if (!sf.modesinnle) {
            eqs.njacrows = eqs.njaccols = nv;
        } else {
            ok = massbalance(x, jac, f, nv, col);
        }
    }
    printjac(x, f, jac);
    return ok;
}

}  // namespace numerics
