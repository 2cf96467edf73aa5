// Bounds and scaling of every compositional variable, the variable-limit rows
// of single-product site fractions, and the consistency checks of each model
// at its starting guess and at its pure end-members.
#include <cmath>

#include "axmodels/axread.h"
#include "runio/runio.h"

namespace axmodels {

namespace {

using runio::bomb;

constexpr int inclusive = 1, strict = 4;

// A site fraction written as one product of linear forms: each form with one
// term in the variable bounds the variable where the form reaches 0.
void boundfromform(const XTerm& x, XyzVar& v)
{
    const int p1 = x.tp[1], q1 = x.tq[1];
    if (x.p == 0) {
        if (v.lower < 0.0) {
            v.lower = 0.0;
            v.lokind = strict;
        }
        return;
    }
    // A zero coefficient bounds nothing (the form is a constant).
    if (p1 == 0) return;
    const double b = -(static_cast<double>(q1) * x.p) / (static_cast<double>(p1) * x.q);
    if (p1 <= 0) {
        if (b <= v.upper) {
            v.upper = b;
            v.hikind = strict;
        }
    } else if (b >= v.lower) {
        v.lower = b;
        v.lokind = strict;
    }
}

void setphasebounds(SolPhase& s)
{
    for (int iv = 1; iv <= s.nvar; ++iv) {
        XyzVar& v = s.var[iv];
        v.fixed = false;
        v.loopindex = 0;
        v.lokind = v.hikind = inclusive;
        for (int k = 1; k <= s.nsf; ++k) {
            const SfExpr& e = s.sf[k];
            if (e.n != 1) continue;
            s.sflinear[k] = true;
            const SXTerm& t = e.t[1];
            for (int j = 1; j <= t.n; ++j) {
                const XTerm& x = t.x[j];
                if (x.n == 1 && x.var[1] == iv) boundfromform(x, v);
            }
        }
        if (v.upper <= v.lower) bomb("read", "lower limit > upper limit", 0);
        if (v.lower < -5e19) v.lower = 0.0;
        if (v.upper >= 5e19) v.upper = 1.0;
        if (v.upper > 1.0) v.upper = 1.0;
        // Order variables may start anywhere: their legal state is searched for later.
        if (!v.isorder) {
            if (v.lokind == strict ? v.guess <= v.lower : v.guess < v.lower)
                bomb("setupphases", "guess too small for " + v.name, 0);
            if (v.hikind == strict ? v.guess >= v.upper : v.guess > v.upper)
                bomb("setupphases", "guess too large for " + v.name, 0);
        }
        v.scale = 1.0 / (v.upper - v.lower);
        v.offset = -v.lower * v.scale;
        v.typsize = 0.0001 / (v.upper - v.lower);
    }
}

// The composition at which end-member e of a phase is pure.
runio::Arr<double, maxsolem + 1> purecomposition(const SolPhase& s, const EmRec& e)
{
    runio::Arr<double, maxsolem + 1> x{};
    for (int v = 1; v <= s.nvar; ++v)
        x[v] = static_cast<double>(e.checknum[v]) / e.checkdiv;
    return x;
}

void checkstartingcomposition(int k)
{
    const SolPhase& s = ph.prec1[k];
    runio::Arr<double, maxsolem + 1> x{};
    for (int v = 1; v <= s.nvar; ++v)
        x[v] = s.var[v].guess;
    // The composition of a phase is its end-members' compositions weighted
    // by their proportions over the proportions' sum: a sum of 0 gives the
    // phase no composition at all.
    double sum = 0.0;
    for (int j = 1; j <= s.n; ++j) sum += evalpoly(s.prop[j], x.data(), 1);
    if (!std::isfinite(sum) || std::fabs(sum) <= 1e-9)
        bomb("setupphases", "the end-member proportions of " + s.name + " in \"" + axinfo.axfilename + "\" sum to " +
                                (std::isfinite(sum) ? std::string("0") : std::string("no number")) +
                                " at its starting guess: they must sum to 1",
             0);
    if (s.hasorder || legalcomp(k)) return;
    runio::putstr(1, "for " + s.name + ", site fractions are:", 1, runio::msol);
    for (int j = 1; j <= s.nsf; ++j) {
        std::string& line = runio::chans.line;
        line = s.sfname[j] + " = ";
        runio::addreal(evalpoly(s.sf[j], x.data(), 1), 6, true, 12, line);
        runio::putstr(0, line, 1, runio::msol);
    }
    runio::putstr(0, "site fractions must be positive (starting guess problems)", 1, runio::msol);
    bomb("setupphases", "inconsistent initial guesses", 0);
}

// Ideal activity of an end-member at its own pure composition; 1 in a
// consistent model.
double pureidealactivity(const SolPhase& s, const EmRec& e)
{
    const runio::Arr<double, maxsolem + 1> x = purecomposition(s, e);
    double value = e.normconst;
    for (int t = 1; t <= e.nterms; ++t) {
        const IdealTerm& term = e.term[t];
        // a site fraction dropped by a contraction is identically 0
        const double sfx = term.sf == 0 ? 0.0 : evalpoly(s.sf[term.sf], x.data(), 1);
        if (term.p == 1 && term.q == 1) {
            value *= sfx;
        } else {
            if (sfx <= 0.0)
                bomb("setupphases",
                     "ideal mixing term = 0 for " + e.name + " in " + s.name + " (check coding wrong?)", 0);
            value *= runio::ratpower(term.p, term.q, sfx);
        }
    }
    return value;
}

// Adds one entry to a listing line of inconsistent end-members.
void addentry(std::string& line, bool& any, const std::string& text, double value, int decimals)
{
    if (any) runio::addfield(", ", 0, line);
    runio::addfield(text, 0, line);
    runio::addreal(value, decimals, true, 0, line);
    any = true;
}

}  // namespace

void setbounds()
{
    for (int k = 1; k <= ph.nss; ++k) setphasebounds(ph.prec1[k]);
}

void setvarlimits()
{
    for (int k = 1; k <= ph.nss; ++k) {
        SolPhase& s = ph.prec1[k];
        s.nvarlim = 0;
        s.sflinear.fill(false);
        s.alllinear = true;
        for (int j = 1; j <= s.nsf; ++j) {
            const SfExpr& e = s.sf[j];
            if (e.n != 1) {
                s.alllinear = false;
                continue;
            }
            s.sflinear[j] = true;
            for (int f = 1; f <= e.t[1].n; ++f) setvarlim(e, 1, f, s.n, s);
        }
    }
}

void checkmodels()
{
    for (int k = 1; k <= ph.nss; ++k) checkstartingcomposition(k);

    std::string line = std::string(1, runio::bulletsign) + " inconsistent ideal mixing activities: ";
    bool any = false;
    for (int k = 1; k <= ph.nss; ++k) {
        const SolPhase& s = ph.prec1[k];
        for (int i = 1; i <= s.n; ++i) {
            const EmRec& e = s.em[i];
            if (e.nterms < 1 || e.checkdiv <= 0) continue;
            const double a = pureidealactivity(s, e);
            if (std::fabs(a - 1.0) > 0.001) addentry(line, any, e.name + " in " + s.name + " = ", a, 4);
        }
    }
    if (any) {
        runio::putstr(2, line, 1, runio::msol);
        bomb("setupphases", " ideal mixing terms not equal to 1 for pure end-members (also check coding OK?)", 0);
    }

    line = std::string(1, runio::bulletsign) + " inconsistent p coding: ";
    for (int k = 1; k <= ph.nss; ++k) {
        const SolPhase& s = ph.prec1[k];
        for (int j = 1; j <= s.n; ++j) {
            const EmRec& e = s.em[j];
            if (e.checkdiv <= 0) continue;
            const runio::Arr<double, maxsolem + 1> x = purecomposition(s, e);
            const double p = evalpoly(s.prop[j], x.data(), 1);
            if (std::fabs(p - 1.0) > 0.001) addentry(line, any, e.name + " = ", p, 3);
        }
    }
    if (any) {
        runio::putstr(2, line, 1, runio::msol);
        bomb("setupphases", "proportions not equal to 1 for pure end-members (also check coding OK?)", 0);
    }
}

}  // namespace axmodels
