// Helpers used around the equilibrium solve: the oxide composition of a
// solution phase at the current unknowns, the one reaction among the columns
// of a real composition matrix and its text as a balanced equation, the P-T
// grid of the Gibbs energy minimisation, and the derivative of an a-x
// expression by one of its variables.
#include <cmath>
#include <string>

#include "numerics/numerics.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace numerics {

DogminGrid dogmin;

namespace {

constexpr double pivotfloor = 1e-5;   // entries below this are taken as 0 in the elimination

}  // namespace

void phasebulk(int k, CompVector& comp)
{
    const axmodels::SolPhase& s = axmodels::ph.prec1[unk.emphase[k]];
    const int b = unk.emfirstx[k];
    const auto& comps = thermodata::comps;
    for (int i = 1; i <= comps.ncomp; ++i) comp[i] = 0.0;
    for (int j = 1; j <= s.n; ++j) {
        const double p = axmodels::evalpoly(s.prop[j], unk.nlex.data(), b);
        for (int i = 1; i <= comps.ncomp; ++i)
            comp[i] += p * s.em[j].comp[i] / static_cast<double>(comps.compmult[i]);
    }
}

void realreaction(const RealMatrix& a, int m, int n, EmTable& x)
{
    static RealMatrix w;   // large: kept out of the stack
    runio::Arr<int, thermodata::maxem + 1> perm{};
    const int rows = m > n ? m : n;
    for (int i = 1; i <= rows; ++i)
        for (int j = 1; j <= n; ++j) w[i][j] = i <= m ? a[i][j] : 0.0;
    for (int j = 1; j <= n; ++j) perm[j] = j;

    for (int k = 1; k < n; ++k) {
        int r = 0, c = 0;
        for (int j = k; j <= n && c == 0; ++j)
            for (int i = k; i <= m; ++i)
                if (std::fabs(w[i][j]) >= pivotfloor) {
                    r = i;
                    c = j;
                    break;
                }
        if (c == 0) break;
        if (c != k) {
            for (int i = 1; i <= rows; ++i) std::swap(w[i][c], w[i][k]);
            std::swap(perm[c], perm[k]);
        }
        if (r != k) std::swap(w[r], w[k]);
        const double pivot = w[k][k];
        for (int i = k + 1; i <= m; ++i) {
            const double f = w[i][k];
            if (f == 0.0) continue;
            for (int j = k + 1; j <= n; ++j) {
                double v = w[i][j] - (1.0 / pivot) * w[k][j] * f;
                if (std::fabs(v) < pivotfloor) v = 0.0;
                w[i][j] = v;
            }
            w[i][k] = 0.0;
        }
    }
    if (n - 1 != m && std::fabs(w[n][n]) >= pivotfloor) runio::bomb("realreaction", "no reaction - WHY", 1);

    EmTable y{};
    for (int i = n - 1; i >= 1; --i) {
        if (std::fabs(w[i][i]) < pivotfloor) {
            y[i] = 0.0;
            continue;
        }
        double s = w[i][n];
        for (int j = i + 1; j <= n - 1; ++j) s -= w[i][j] * y[j];
        y[i] = s / w[i][i];
    }
    for (int j = 1; j <= thermodata::ems.nem; ++j) x[j] = 0.0;
    for (int i = 1; i <= n - 1; ++i) x[perm[i]] = y[i];
    x[perm[n]] = -1.0;
}

void printrealreaction(const EmTable& coef, const std::string* names, int n, std::string& text)
{
    double amax = 0.0;
    for (int i = 1; i <= n; ++i) amax = std::fmax(amax, std::fabs(coef[i]));
    // Coefficients as tenths of the smallest large one: a reaction of whole
    // numbers prints as such, any other with its ratios to that one.
    double amin = 10000.0;
    for (int i = 1; i <= n; ++i)
        if (std::fabs(coef[i]) / amax > 0.001) amin = std::fmin(amin, std::fabs(coef[i]));
    EmTable ic{};
    for (int i = 1; i <= n; ++i) {
        const double ratio = std::fabs(coef[i]) / amax;
        if (ratio > 0.001)
            ic[i] = std::nearbyint(10.0 * coef[i] / amin);
        else if (ratio > 1e-7)
            ic[i] = coef[i] < 0.0 ? -1.0 : 1.0;
        else
            ic[i] = 0.0;
    }
    bool whole = true;
    for (int i = 1; i <= n && whole; ++i) {
        const double tenth = std::fabs(ic[i] / 10.0);
        whole = std::fabs(tenth - std::nearbyint(tenth)) <= 0.0001;
    }
    auto side = [&](double sign) {
        std::string s;
        bool first = true;
        for (int i = 1; i <= n; ++i) {
            if (ic[i] * sign <= 0.0) continue;
            if (!first) s += " + ";
            first = false;
            const double mag = std::fabs(ic[i]);
            if (mag < 10.0) {
                s += "0";
            } else {
                const double shown = whole ? std::nearbyint(mag / 10.0) : mag;
                if (!whole || shown != 1.0) runio::addrealshort(shown, 0, s);
            }
            s += names[i];
        }
        return s;
    };
    text = side(-1.0) + " = " + side(1.0);
}

void setupdogmin()
{
    const runio::Windows& w = runio::win;
    DogminGrid& d = dogmin;
    d.ndogmin = w.nplist * w.ntlist;
    if (d.ndogmin > maxdogmin) runio::bomb("setup dogmin", "too many PT (max " + runio::realstrshort(maxdogmin), 0);
    int& level = runio::scriptflags.dogminlevel;
    if (d.ndogmin != 1 && level < 2) level = 2;
    int k = 0;
    for (int i = 1; i <= w.nplist; ++i)
        for (int j = 1; j <= w.ntlist; ++j) {
            DogminPoint& pt = d.dogminpoints[++k];
            pt = DogminPoint{};
            pt.p = w.plist[i];
            pt.t = w.tlist[j];
        }
}

std::string realexp(double x, int n)
{
    runio::DecRec rec;
    const runio::DecFormat fmt{runio::significantkind, n};
    runio::realtodec(fmt, rec, x);
    std::string text;
    runio::dectostr(fmt, rec, text);
    if (!text.empty() && text[0] == ' ') text.erase(0, 1);
    return text;
}

double devalpoly(const axmodels::SfExpr& e, int k, const double* x, int base)
{
    double sum = 0.0;
    for (int t = 1; t <= e.n; ++t) {
        const axmodels::SXTerm& s = e.t[t];
        if (s.factor == 0.0) continue;
        // Value and coefficient of variable k of each linear form.
        double value[axmodels::maxxterms + 1], slope[axmodels::maxxterms + 1];
        for (int j = 1; j <= s.n; ++j) {
            const axmodels::XTerm& f = s.x[j];
            double v = static_cast<double>(f.p) / f.q, d = 0.0;
            for (int l = 1; l <= f.n; ++l) {
                const double c = static_cast<double>(f.tp[l]) / f.tq[l];
                v += c * x[f.var[l] + base - 1];
                if (f.var[l] == k) d += c;
            }
            value[j] = v;
            slope[j] = d;
        }
        // Product rule: one contribution per form that holds the variable.
        for (int j = 1; j <= s.n; ++j) {
            if (slope[j] == 0.0) continue;
            double product = s.factor * slope[j];
            for (int i = 1; i <= s.n; ++i)
                if (i != j) product *= value[i];
            sum += product;
        }
    }
    return sum;
}

}  // namespace numerics
