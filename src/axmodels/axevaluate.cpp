// Expressions of a phase's variables evaluated and written out, the legality
// of a starting composition, and the window test of a calculation variable.
#include <cmath>

#include "axmodels/axread.h"
#include "runio/runio.h"

namespace axmodels {

namespace {

std::string inttext(int n)
{
    std::string s;
    runio::addrealshort(n, 0, s);
    return s;
}

// Pieces of a listing line go through the line writer's fields, so that an
// expression too long for a line is cut and marked, never overrun.
void put(const std::string& text, std::string& line) { runio::addfield(text, 0, line); }

// One linear form of a product, as the listing writes it.
void writeform(const XTerm& x, bool bracketed, const runio::Arr<std::string, maxsolem + 1>& names,
               std::string& line)
{
    if (bracketed) put("(", line);
    if (x.p != 0) put(rationaltext(x.p, x.q), line);
    for (int l = 1; l <= x.n; ++l) {
        const int p = x.tp[l], q = x.tq[l];
        const bool negative = (p < 0) != (q < 0);
        if (l == 1 && x.p == 0)
            put(negative ? "-" : "", line);
        else
            put(negative ? " - " : " + ", line);
        const int ap = std::abs(p), aq = std::abs(q);
        if (aq != 1)
            put(inttext(ap) + "/" + inttext(aq) + " ", line);
        else if (ap != 1)
            put(inttext(ap), line);
        put(names[x.var[l]], line);
    }
    if (bracketed) put(")", line);
}

}  // namespace

std::string rationaltext(int p, int q) { return q == 1 ? inttext(p) : inttext(p) + "/" + inttext(q); }

double evalpoly(const SfExpr& e, const double* x, int base)
{
    double value = 0.0;
    for (int k = 1; k <= e.n; ++k) {
        const SXTerm& s = e.t[k];
        if (s.factor == 0.0) continue;
        double product = s.factor;
        for (int j = 1; j <= s.n; ++j) {
            const XTerm& f = s.x[j];
            double form = static_cast<double>(f.p) / f.q;
            for (int l = 1; l <= f.n; ++l) {
                form += static_cast<double>(f.tp[l]) / f.tq[l] * x[f.var[l] + base - 1];
            }
            product *= form;
        }
        value += product;
    }
    return value;
}

bool legalcomp(int k)
{
    const SolPhase& s = ph.prec1[k];
    if (s.nsf == 0) return true;
    runio::Arr<double, maxsolem + 1> x{};
    for (int i = 1; i <= s.nvar; ++i) x[i] = s.var[i].guess;
    for (int j = 1; j <= s.nsf; ++j)
        if (!(evalpoly(s.sf[j], x.data(), 1) > 0.0)) return false;   // a NaN fraction is no legal start either
    return true;
}

std::string shortname(const std::string& varname)
{
    if (varname.size() >= 2 && varname.compare(0, 2, "p(") == 0) return varname.substr(2, varname.size() - 3);
    const std::size_t pos = varname.find_first_of("([");
    return pos == std::string::npos ? varname : varname.substr(0, pos);
}

void shortvarnames(int k, runio::Arr<std::string, maxsolem + 1>& names)
{
    const SolPhase& s = ph.prec1[k];
    if (s.n < 2) return;
    for (int i = 1; i <= s.nvar; ++i)
        names[i] = shortname(s.var[i].name);
}

void writeexpression(const SfExpr& e, const std::string& name, int k, std::uint32_t mask)
{
    std::string& line = runio::chans.line;
    line = "   " + name + " = ";
    if (e.n == 0 || (e.n == 1 && e.t[1].factor == 0.0)) {
        line += "0";
        runio::putstr(0, line, 1, mask);
        return;
    }
    runio::Arr<std::string, maxsolem + 1> names{};
    shortvarnames(k, names);
    for (int kk = 1; kk <= e.n; ++kk) {
        const SXTerm& s = e.t[kk];
        const double f = s.factor;
        if (f == 1.0) {
            if (kk > 1) put(" + ", line);
        } else if (e.n == 1) {
            put(f < 0.0 ? "(" + runio::realstr(f, 2, true) + ") " : runio::realstr(f, 2, true) + " ", line);
        } else {
            if (kk == 1)
                put(f < 0.0 ? "-" : "", line);
            else
                put(f < 0.0 ? " - " : " + ", line);
            if (std::fabs(f) != 1.0) put(runio::realstr(std::fabs(f), 2, true), line);
        }
        for (int j = 1; j <= s.n; ++j) {
            const XTerm& x = s.x[j];
            if (x.n == 0) {
                put(rationaltext(x.p, x.q), line);
                continue;
            }
            const int p1 = x.tp[1];
            const bool lonevariable = x.p == 0 && x.n == 1 && p1 >= 1;
            const bool bracketed = (s.n > 1 && !lonevariable) || (kk > 1 && x.p == 0 && p1 < 0);
            writeform(x, bracketed, names, line);
            if (j < s.n) put(" ", line);
        }
    }
    runio::putstr(0, line, 1, mask);
}

void writephaselist(const std::vector<bool>& selected)
{
    std::string& line = runio::chans.line;
    line.clear();
    int f = 0;   // selected[1..nss] solution phases, then the pure phases
    auto one = [&](const std::string& name) {
        ++f;
        const bool on = static_cast<std::size_t>(f) < selected.size() && selected[f];
        runio::addfield(on ? " " + name + " " : " (" + name + ") ", 7, line);
    };
    for (int i = 1; i <= ph.nss; ++i) one(ph.prec1[i].name);
    for (int i = 1; i <= ph.npure; ++i) one(ph.prec0[i].name);
    runio::addfield("     ", 0, line);
    runio::putstr(1, line, 0, runio::msol);
}

bool inrange(int code, double value)
{
    const runio::Windows& w = runio::win;
    double lo = 0.0, hi = 0.0;
    switch (code) {
    case 0: lo = w.tlow; hi = w.thigh; break;
    case 1: lo = w.plow; hi = w.phigh; break;
    case 2: lo = w.xlow; hi = w.xhigh; break;
    case 3: lo = w.alow; hi = w.ahigh; break;
    case 4: lo = w.mulow; hi = w.muhigh; break;
    default: runio::bomb("inrange", "unknown type", 1);
    }
    return lo <= value && value <= hi;
}

}  // namespace axmodels
