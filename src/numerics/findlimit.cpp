// The largest step along the solver's direction that keeps the point
// admissible: every free unknown inside its scaled range, every
// variable-limit row non-negative and every checked site fraction positive;
// with the kind of limit that stopped it, from which the line search knows
// how to approach it.
#include <cmath>

#include "numerics/nlestate.h"
#include "runio/runio.h"

namespace numerics {

namespace {

using runio::addfield;

constexpr double sftrialfactor = 0.999999999;   // site fractions are tested just short of the step
constexpr int maxsfrounds = 50;

struct LastRow {
    bool involved = false;
    double t1 = 0.0, t2 = 0.0;
};

std::string num(double v) { return realexp(v, 6); }

// The diagnostic of a linear form that vanishes at the trial point, which a
// consistent model never gives.
void crasher(int check, const axmodels::XTerm& form, double value, const Vector& x, const Vector& dx,
             const Vector& xt, double slim, double slimentry, const LastRow& row)
{
    const Unknowns& u = unk;
    const axmodels::SolPhase& s = axmodels::ph.prec1[u.sfcheckphase[check]];
    const int base = u.sfcheckx[check];
    std::string t = "\n\n" + std::string(35, '-') + "\ncrasher with ";
    addfield(s.name, 10, t);
    t += ", sf term = ";
    addfield(runio::inttext(u.sfchecksite[check]), 5, t);
    t += "\n";
    if (u.nvarlim > 0 && row.involved) {
        t += "t1,t2 = ";
        for (double v : {row.t1, row.t2, value}) addfield(num(v), 20, t);
        t += "\n";
    }
    auto line = [&](const char* label, auto value) {
        t += label;
        for (int l = 1; l <= form.n; ++l) addfield(value(form.var[l] + base - 1), 20, t);
    };
    line("   ", [&](int i) { return u.xname[i]; });
    t += "\n";
    line("x  ", [&](int i) { return num(x[i]); });
    t += ", slim = " + num(slim) + "  " + num(slimentry) + "\n";
    line("1-x", [&](int i) { return num(1.0 - x[i]); });
    t += "\n";
    line("d  ", [&](int i) { return num(dx[i]); });
    t += "\n";
    line("sx ", [&](int i) { return num(xt[i]); });
    t += "\n\nI am terribly sorry about this -\nbut someone has miscoded something.\n"
         "So there is nothing else for it...\n\n";
    runio::screenwrite(t);
}

// How fast site fraction `check` falls per unit of step at xt.
double sfrate(int check, const Vector& x, const Vector& dx, const Vector& xt, double minsf, double slim,
              double slimentry, const LastRow& row)
{
    const Unknowns& u = unk;
    const axmodels::SolPhase& s = axmodels::ph.prec1[u.sfcheckphase[check]];
    const axmodels::SfExpr& e = s.sf[u.sfchecksite[check]];
    const int base = u.sfcheckx[check];
    runio::Arr<double, axmodels::maxsolem + 1> c{};
    for (int tm = 1; tm <= e.n; ++tm) {
        const axmodels::SXTerm& term = e.t[tm];
        double value[axmodels::maxxterms + 1];
        for (int m = 1; m <= term.n; ++m) {
            const axmodels::XTerm& f = term.x[m];
            double v = static_cast<double>(f.p) / f.q;
            for (int l = 1; l <= f.n; ++l) v += static_cast<double>(f.tp[l]) / f.tq[l] * xt[f.var[l] + base - 1];
            value[m] = v;
            if (v == 0.0) crasher(check, f, v, x, dx, xt, slim, slimentry, row);
        }
        for (int m = 1; m <= term.n; ++m) {
            double others = 1.0;
            for (int o = 1; o <= term.n; ++o)
                if (o != m) others *= value[o];
            const axmodels::XTerm& f = term.x[m];
            for (int l = 1; l <= f.n; ++l)
                c[f.var[l]] += term.factor * others * static_cast<double>(f.tp[l]) / f.tq[l];
        }
    }
    double rate = 0.0;
    for (int v = 1; v <= s.nvar; ++v) rate += dx[base + v - 1] * c[v];
    (void)minsf;
    return rate;
}

}  // namespace

void findlimit(double& slim, int& accessibility)
{
    const NleState& s = nst;
    const Unknowns& u = unk;
    const double eps = runio::run.macheps;
    slim = 1e20;
    for (int k = 1; k <= s.n; ++k) {
        const int i = s.idx[k];
        const double v = u.nlex[i], d = s.d[k];
        if (d < 0.0 && -d * slim > 1.0 - v) {
            slim = (v - 1.0 + 2.0 * eps) / d;
            accessibility = u.xhikind[i];
        } else if (d > 0.0 && v < d * slim) {
            slim = (v - 2.0 * eps) / d;
            accessibility = u.xlokind[i];
        }
    }

    // The point and the direction in the unknowns' own units.
    Vector x{}, dx{};
    runio::Arr<int, maxnlex + 1> freek{};
    for (int k = 1; k <= s.n; ++k) freek[s.idx[k]] = k;
    for (int i = 1; i <= u.nvar; ++i) {
        if (!u.xfree[i]) {
            x[i] = u.nlex[i];
            continue;
        }
        x[i] = (u.nlex[i] - u.xoffset[i]) / u.xscale[i];
        dx[i] = s.d[freek[i]] / u.xscale[i];
    }

    LastRow last;
    for (int r = 1; r <= u.nvarlim; ++r) {
        const auto& row = u.xvarlim[r];
        double t1 = static_cast<double>(row[u.nvar + 1].p) / row[u.nvar + 1].q, t2 = 0.0;
        bool involved = false;
        for (int i = 1; i <= u.nvar; ++i) {
            if (row[i].p == 0) continue;
            const double c = static_cast<double>(row[i].p) / row[i].q;
            t1 += c * x[i];
            t2 += c * dx[i];
            if (u.xfree[i]) involved = true;
        }
        last = {involved, t1, t2};
        if (!involved || t2 < -5.0 * eps) continue;
        // A row that does not move along the step holds it where it is.
        if (t2 < 5.0 * eps) {
            slim = 0.0;
        } else if ((t1 - 2.0 * eps) / t2 < slim) {
            slim = (t1 - 2.0 * eps) / t2;
            accessibility = 4;
        }
    }

    if (!(slim > 0.0) || u.nsfcheck == 0) return;
    const double slimentry = slim;
    int worst = 0;
    for (int round = 1;; ++round) {
        if (round > maxsfrounds) runio::bomb("findlimit", "too many iterations handling site fractions", 0);
        Vector xt{};
        for (int i = 1; i <= u.nvar; ++i) xt[i] = x[i] - sftrialfactor * slim * dx[i];
        if (round == 1) worst = 0;
        double minsf = 100.0;
        for (int j = 1; j <= u.nsfcheck; ++j) {
            const axmodels::SolPhase& sp = axmodels::ph.prec1[u.sfcheckphase[j]];
            const double v = axmodels::evalpoly(sp.sf[u.sfchecksite[j]], xt.data(), u.sfcheckx[j]);
            if (v < minsf) {
                minsf = v;
                if (v < 0.0) worst = j;
            }
        }
        const bool acceptable = round == 1 ? worst == 0 : minsf > 0.0;
        if (acceptable) break;
        // One Newton step on the worst site fraction towards its zero.
        const double rate = sfrate(worst, x, dx, xt, minsf, slim, slimentry, last);
        // Where the site fraction falls along the step (rate > 0) the step
        // stops just short of its linearised zero; where it rises (rate < 0)
        // the zero lies beyond the step, so the step only shrinks by a tenth.
        // A zero outside 0..slimentry, or none at all (rate 0, a site
        // fraction that could not be evaluated), halves the step.
        const double trial = slim + minsf / rate;
        if (rate == 0.0 || !std::isfinite(trial) || trial < 0.0 || trial > slimentry)
            slim /= 2.0;
        else if (minsf / rate > 0.0)
            slim *= 0.9;
        else
            slim = 0.99 * trial;
    }
    accessibility = 4;
}

}  // namespace numerics
