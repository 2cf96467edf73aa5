// Checks and listings of the equilibrium equations at high trace levels:
// the composition derivatives and the activity derivatives against finite
// differences, the activities with ln K, and the unknowns, residuals and
// jacobian of an evaluation.
#include <cmath>

#include "numerics/residualwork.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace numerics {

namespace {

using runio::addfield;
using runio::addreal;
using runio::putstr;

constexpr double compstep = 1e-5;   // step of a variable for the composition check

const std::string& modename(int m) { return unk.xname[unk.nvar + m]; }

}  // namespace

void compcalccheck(Vector& x)
{
    const Unknowns& u = unk;
    const int nf = rw.nfree;
    const auto& comps = thermodata::comps;
    std::string& line = runio::chans.line;
    auto compline = [&](int width) {
        line = runio::spaces(7);
        for (int jj = 1; jj <= nf; ++jj) addfield(comps.compname[rw.freecomp[jj]], width, line);
        putstr(0, line, 1, runio::msol);
    };
    putstr(1, "compcalc", 1, runio::msol);
    compline(9);
    for (int m = 1; m <= u.nmodes; ++m) {
        line.clear();
        addfield(modename(m), 7, line);
        for (int jj = 1; jj <= nf; ++jj) addreal(rw.cm[m][jj], 3, false, 9, line);
        putstr(0, line, 1, runio::msol);
    }
    // The analytic derivatives at the point, kept through the perturbations.
    static runio::Arr<runio::Arr<runio::Arr<double, maxphvar + 1>, maxfreecomp + 1>, maxnlex + 1> analytic;
    for (int m = 1; m <= u.nsolmodes; ++m)
        for (int jj = 1; jj <= nf; ++jj)
            for (int v = 1; v <= maxphvar; ++v) analytic[m][jj][v] = eqs.compdxat(m, jj, v);
    putstr(0, "dcompdx", 1, runio::msol);
    compline(9);
    auto rows = [&](auto entry) {
        for (int m = 1; m <= u.nsolmodes; ++m) {
            const int nv = axmodels::ph.prec1[u.modephase[m]].nvar;
            for (int v = 1; v <= nv; ++v) {
                line.clear();
                addfield(v == 1 ? modename(m) : "", 7, line);
                entry(m, v, line);
                putstr(0, line, 1, runio::msol);
            }
        }
    };
    rows([&](int m, int v, std::string& l) {
        for (int jj = 1; jj <= nf; ++jj) addreal(analytic[m][jj][v], 3, false, 9, l);
    });
    const Vector saved = x;
    const auto cmsaved = rw.cm;
    auto fd = [&](int m, int v, int jj) {
        return (rw.cm[m][jj] - cmsaved[m][jj]) / compstep + 0.0 * v;
    };
    auto perturbed = [&](int m, int v) {
        x = saved;
        rw.cm = cmsaved;
        x[u.modeem[m] + v - 1] += compstep;
        compcalc(x);
    };
    putstr(0, "fd", 1, runio::msol);
    compline(9);
    rows([&](int m, int v, std::string& l) {
        perturbed(m, v);
        for (int jj = 1; jj <= nf; ++jj) addreal(fd(m, v, jj), 3, false, 9, l);
        rw.cm = cmsaved;
    });
    putstr(0, "difference with fd", 1, runio::msol);
    compline(9);
    rows([&](int m, int v, std::string& l) {
        perturbed(m, v);
        for (int jj = 1; jj <= nf; ++jj) {
            const double a = analytic[m][jj][v];
            if (std::fabs(a) < 1e-8)
                addfield("-", 9, l);
            else
                addreal(1.0 - fd(m, v, jj) / a, 3, false, 9, l);
        }
        rw.cm = cmsaved;
    });
    x = saved;
    // The mass balance goes on with the derivatives at the point itself.
    compcalc(x);

    putstr(1, "projc  (rankdeficit = " + runio::inttext(red.rankdeficit) + ")", 1, runio::msol);
    line = runio::spaces(7);
    for (int jj = 1; jj <= comps.nfreeox; ++jj) addfield(comps.compname[rw.freecomp[jj]], 7, line);
    putstr(0, line, 1, runio::msol);
    for (int i = 1; i <= comps.nfreeox; ++i) {
        line = runio::spaces(7);
        for (int j = 1; j <= comps.nfreeox; ++j) addfield(runio::inttext(red.projc[i][j]), 7, line);
        putstr(0, line, 1, runio::msol);
    }
}

void fdcheck1(Vector& x, double p, double t)
{
    const Unknowns& u = unk;
    auto& ems = thermodata::ems;
    const int nem = ems.nem;
    std::string& line = runio::chans.line;
    auto header = [&](const char* label) {
        line = label;
        for (int j = 1; j <= nem; ++j) addfield(ems.emname[j], 10, line);
        putstr(0, line, 1, runio::msol);
    };
    auto values = [&](const char* label, auto value) {
        line = label;
        for (int j = 1; j <= nem; ++j) addreal(value(j), 4, false, 10, line);
        putstr(0, line, 1, runio::msol);
    };
    putstr(0, "", 1, runio::msol);
    header("   ");
    values("dP ", [&](int j) { return rw.dp[j]; });
    values("dT ", [&](int j) { return rw.dt[j]; });
    for (int i = 3; i <= u.nvar; ++i) values(i == 3 ? "dx " : "   ", [&](int j) { return rw.dx[j][i]; });

    const Vector saved = x;
    const auto actsaved = ems.act;
    static EmTable dp, dt, est;
    static EmByUnknown dx;
    // d(RT ln a) by unknown i from a forward step, at the stepped T.
    auto estimate = [&](int i) {
        const double h = i == 1 ? 0.001 : i == 2 ? 0.01 : 1e-7;
        x = saved;
        x[i] += h;
        calca(x, false, false, dp, dt, dx, x[1], x[2]);
        for (int j = 1; j <= nem; ++j) {
            est[j] = thermodata::rgas * x[2] * (ems.act[j] / actsaved[j] - 1.0) / h;
            if (i == 2) {
                if (actsaved[j] <= 0.0) runio::bomb("fdcheck1", "ln<=0", 0);
                est[j] += thermodata::rgas * std::log(actsaved[j]);
            }
        }
    };
    auto analytic = [&](int i, int j) { return i == 1 ? rw.dp[j] : i == 2 ? rw.dt[j] : rw.dx[j][i]; };
    auto label = [](int i) { return i == 1 ? "dP " : i == 2 ? "dT " : i == 3 ? "dx " : "   "; };
    header("fd ");
    for (int i = 1; i <= u.nvar; ++i) {
        estimate(i);
        values(label(i), [&](int j) { return est[j]; });
    }
    header("difference with fd ");
    for (int i = 1; i <= u.nvar; ++i) {
        estimate(i);
        line = label(i);
        for (int j = 1; j <= nem; ++j) {
            const double a = analytic(i, j);
            if (std::fabs(a) < 1e-8)
                addfield("-", 10, line);
            else
                addreal(1.0 - est[j] / a, 4, false, 10, line);
        }
        putstr(0, line, 1, runio::msol);
    }
    x = saved;
    ems.act = actsaved;
    (void)p;
    (void)t;
}

void printlnk()
{
    const auto& ems = thermodata::ems;
    const auto& rx = thermodata::rxns;
    std::string& line = runio::chans.line;
    line = "a";
    for (int j = 1; j <= ems.nem; ++j) addfield(ems.emname[j], 10, line);
    putstr(1, line, 1, runio::msol);
    line = " ";
    for (int j = 1; j <= ems.nem; ++j) addreal(ems.act[j], 4, false, 10, line);
    putstr(0, line, 2, runio::msol);
    line = "ln k";
    for (int k = 1; k <= rx.nrxn; ++k) addreal(rx.lnk[k], 4, true, 10, line);
    putstr(0, line, 1, runio::msol);
}

void printjac(const Vector& x, const Vector& f, const SquareTable& j)
{
    if (runio::scriptflags.debuglevel != 4) return;
    const Unknowns& u = unk;
    const auto& rx = thermodata::rxns;
    const auto& comps = thermodata::comps;
    std::string& line = runio::chans.line;
    line = "x ";
    addfield(u.xname[1], 8, line);
    addfield(u.xname[2], 8, line);
    for (int i = 3; i <= u.nvar; ++i) addfield(u.xname[i], 12, line);
    putstr(1, line, 1, runio::msol);
    line = "  ";
    addreal(x[1], 3, true, 8, line);
    addreal(x[2] - 273.15, 2, true, 8, line);
    for (int i = 3; i <= u.nvar; ++i) addreal(x[i], 6, false, 12, line);
    putstr(0, line, 1, runio::msol);
    if (u.nmodes > 0) {
        line = "  ";
        for (int m = 1; m <= u.nmodes; ++m) addfield(u.xname[u.nvar + m], 12, line);
        putstr(1, line, 1, runio::msol);
        line = "  ";
        for (int m = 1; m <= u.nmodes; ++m) addreal(x[u.nvar + m], 6, false, 12, line);
        putstr(0, line, 1, runio::msol);
    }
    line = "e ";
    for (int k = 1; k <= rx.nrxn; ++k) addfield(runio::inttext(k), 10, line);
    putstr(1, line, 1, runio::msol);
    line = "  ";
    for (int k = 1; k <= rx.nrxn; ++k) addreal(rx.rxndiv[k] * f[k], 4, false, 10, line);
    putstr(0, line, 1, runio::msol);
    const int nrows = eqs.njacrows;
    if (u.nmodes > 0) {
        line = "  ";
        for (int i = 1; i <= rw.nfree; ++i) addfield(comps.compname[rw.freecomp[i]], 10, line);
        putstr(0, line, 1, runio::msol);
        line = "  ";
        for (int r = rx.nrxn + 1; r <= nrows; ++r) addreal(f[r], 4, false, 10, line);
        putstr(0, line, 1, runio::msol);
    }
    double ff = 0.0;
    for (int r = 1; r <= nrows; ++r) ff += f[r] * f[r];
    putstr(1, "f " + runio::realstr(0.5 * ff, 4, false), 2, runio::msol);
    line = runio::spaces(12);
    for (int i = 1; i <= u.nvar + u.nmodes; ++i)
        if (u.xfree[i]) addfield(u.xname[i], 10, line);
    putstr(0, line, 1, runio::msol);
    for (int r = 1; r <= nrows; ++r) {
        line.clear();
        addfield(r == 1 ? "jac" : "", -5, line);
        if (r <= rx.nrxn)
            addfield(runio::inttext(rx.rxndiv[r]), 7, line);
        else
            addfield(comps.compname[rw.freecomp[r - rx.nrxn]], 7, line);
        for (int c = 1; c <= eqs.njaccols; ++c) addreal(j[r][c], 4, false, 10, line);
        putstr(0, line, 1, runio::msol);
    }
    putstr(0, "", 1, runio::msol);
}

}  // namespace numerics
