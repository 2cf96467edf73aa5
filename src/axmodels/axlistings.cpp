// Listings of the a-x models: the full listing of a phase in the
// initial-tables file, which is the user's check of what was understood of
// the a-x file, and the compact table of variables and interaction energies.
#include <cmath>

#include "axmodels/axmodels.h"
#include "runio/runio.h"

namespace axmodels {

namespace {

using runio::putstr;

const std::string dashes(38, '-');

std::string axnum(int n, double x)
{
    std::string s;
    printaxnum(n, s, x);
    return s;
}

const char* sign(double x) { return x < 0.0 ? " - " : " + "; }

// a + bT + cP with the b and c parts only where they are not negligible.
std::string abc(double a, double b, double c, bool signeda)
{
    std::string s = signeda ? std::string(sign(a)) + axnum(3, std::fabs(a)) : axnum(3, a);
    if (std::fabs(b) > 1e-6) s += sign(b) + axnum(5, std::fabs(b)) + " T";
    if (std::fabs(c) > 1e-4) s += sign(c) + axnum(3, std::fabs(c)) + " P";
    return s;
}

void listvariables(const SolPhase& s, std::uint32_t m)
{
    if (s.nzeroed > 0) {
        std::string line = " xyz variables set to zero: ";
        for (int i = 1; i <= s.nzeroed; ++i) line += s.zeroedname[i] + "  ";
        putstr(1, line, 1, m);
    }
    putstr(1, " starting guesses", 1, m);
    for (int i = 1; i <= s.nvar; ++i) {
        const XyzVar& v = s.var[i];
        std::string line = "  " + v.name + " = ";
        runio::addreal(v.guess, 5, false, 0, line);
        if (v.lower != 0.0 || v.upper != 1.0) line += "  range " + axnum(3, v.lower) + " <> " + axnum(3, v.upper);
        if (v.isorder) line += "  order variable";
        putstr(0, line, 1, m);
    }
}

void listidealmixing(int k, std::uint32_t m)
{
    const SolPhase& s = ph.prec1[k];
    putstr(1, s.model == 0 ? " activities" : " ideal mixing activities", 1, m);
    for (int i = 1; i <= s.n; ++i) {
        const EmRec& e = s.em[i];
        std::string line = "  " + e.name + " = ";
        const double c = e.normconst;
        if (c != 1.0) {
            if (std::fabs(c - std::nearbyint(c)) < 1e-4) {
                line += runio::wholetext(std::nearbyint(c));
            } else if (e.constrational) {
                long long p, q;
                runio::real2rational(p, q, c);
                line += runio::inttext(p) + "/" + runio::inttext(q) + " ";
            } else {
                line += runio::realstr(c, 4, true) + " ";
            }
        }
        for (int t = 1; t <= e.nterms; ++t) {
            const IdealTerm& term = e.term[t];
            if (t > 1) line += " ";
            // a site fraction a contraction dropped is identically 0
            line += term.sf == 0 ? std::string("0") : s.sfname[term.sf];
            if (term.p == 1 && term.q == 1) continue;
            line += "^";
            if (term.q != 1)
                line += "(" + runio::inttext(term.p) + "/" + runio::inttext(term.q) + ")";
            else
                line += runio::inttext(term.p);
        }
        putstr(0, line, 1, m);
    }
}

void listnonideality(const SolPhase& s, std::uint32_t m)
{
    if (s.name == "fluid") {
        putstr(1, " non-ideality hard-wired", 1, m);
        return;
    }
    if (s.model == 0) return;
    putstr(1, s.model == 1 ? " non-ideality by symmetric formalism" : " non-ideality by van laar", 1, m);
    for (int g = 1; g <= s.ngterm; ++g) {
        const auto [w, i, j] = s.gterm[g];
        putstr(0,
               "  W(" + s.em[i].name + "," + s.em[j].name +
                   ") = " + abc(s.wa[w], s.wb[w], s.wc[w], false),
               1, m);
    }
    if (s.model != 2) return;
    putstr(0, "", 1, m);
    for (int i = 1; i <= s.n; ++i) {
        std::string line = "  v(" + s.em[i].name + ") = " + (s.sizea[i] == 1.0 ? "1" : axnum(3, s.sizea[i]));
        if (std::fabs(s.sizeb[i]) > 1e-5) line += sign(s.sizeb[i]) + runio::realstr(std::fabs(s.sizeb[i]), 6, true) + " T";
        if (std::fabs(s.sizec[i]) > 0.001) line += sign(s.sizec[i]) + runio::realstr(std::fabs(s.sizec[i]), 4, true) + " P";
        putstr(0, line, 1, m);
    }
}

void listmade(const SolPhase& s, std::uint32_t m)
{
    bool any = false;
    for (int i = 1; i <= s.n; ++i) any = any || s.em[i].make.count > 0;
    if (!any) return;
    putstr(1, " \"make\" end-members", 1, m);
    static const char* const prefix[] = {"e-", "d-", "o-", "", ""};
    static const char* const kindtext[] = {"", "  (make)", "  (mod)", "  (od)", "  (tran)", "  (rcal)"};
    for (int i = 1; i <= s.n; ++i) {
        const EmRec& e = s.em[i];
        const MakeRecipe& mk = e.make;
        if (mk.count <= 0) continue;
        std::string line = "  " + e.name + " = ";
        for (int j = 1; j <= mk.count; ++j) {
            const int num = mk.num[j];
            if (j == 1)
                line += num < 0 ? "- " : "";
            else
                line += num < 0 ? " - " : " + ";
            if (std::abs(num) != mk.divisor) {
                line += runio::inttext(std::abs(num));
                if (mk.divisor > 1) line += "/" + runio::inttext(mk.divisor);
                line += " ";
            }
            const int kind = mk.kind[j];
            if (kind >= 0 && kind <= 2) line += prefix[kind];
            line += mk.cname[j];
        }
        if (e.dqfa != 0.0 || e.dqfb != 0.0 || e.dqfc != 0.0) line += abc(e.dqfa, e.dqfb, e.dqfc, true);
        if (e.dqfkind >= 1 && e.dqfkind <= 5) line += kindtext[e.dqfkind];
        putstr(0, line, 1, m);
    }
}

}  // namespace

void printaxnum(int n, std::string& buffer, double x)
{
    if (std::fabs(x - std::nearbyint(x)) < 1e-8) {
        runio::addrealshort(std::nearbyint(x), 0, buffer);
        return;
    }
    for (int d = 1; d <= 6; ++d) {
        const double scaled = x * runio::tenpower(d);
        if (std::fabs(scaled - std::nearbyint(scaled)) < 1e-8) {
            runio::addreal(x, d, true, 0, buffer);
            return;
        }
    }
    runio::addreal(x, n + 1, true, 0, buffer);
}

void printaxmodel(int k)
{
    const std::uint32_t m = runio::run.calcmode == 5 ? runio::mic : runio::mit;
    const SolPhase& s = ph.prec1[k];
    if (k == 1)
        for (int i = 1; i <= axinfo.naxheader; ++i) putstr(0, axinfo.axheader[i], 1, m);
    if (s.n == 1) {
        putstr(1, dashes, 1, m);
        putstr(0, s.name, 1, m);
        putstr(1, " single end-member phase: " + s.em[1].name, 1, m);
        putstr(0, "", 1, m);
        return;
    }
    if (s.nverbatim > 0) {
        for (int i = 1; i <= s.nverbatim; ++i) putstr(0, s.verbatim[i], 1, m);
    } else {
        putstr(1, dashes, 1, m);
        putstr(0, s.name, 1, m);
    }
    listvariables(s, m);
    putstr(1, " site fractions", 1, m);
    for (int j = 1; j <= s.nsf; ++j)
        writeexpression(s.sf[j], s.sfname[j], k, m);
    putstr(1, " proportions", 1, m);
    for (int i = 1; i <= s.n; ++i)
        writeexpression(s.prop[i], s.em[i].name, k, m);
    listidealmixing(k, m);
    listnonideality(s, m);
    listmade(s, m);
    putstr(0, "", 1, m);
}

void printwtable(int k)
{
    using runio::addfield;
    using runio::addreal;
    using runio::msol;
    const SolPhase& s = ph.prec1[k];
    std::string& line = runio::chans.line;
    line = s.name;
    addfield(" ", 5 - static_cast<int>(s.name.size()), line);
    line += std::string(40, '-');
    putstr(0, line, 1, msol);
    if (s.n == 1) {
        putstr(0, "        just " + s.em[1].name, 1, msol);
        return;
    }
    line = "  var";
    for (int i = 1; i <= s.nvar; ++i) addfield(s.var[i].name, 10, line);
    putstr(0, line, 1, msol);
    line = "     ";
    for (int i = 1; i <= s.nvar; ++i) addreal(s.var[i].guess, 3, false, 10, line);
    putstr(0, line, 1, msol);

    if (s.model != 0) {
        bool anyb = false, anyc = false;
        for (int g = 1; g <= s.ngterm; ++g) {
            const auto w = s.gterm[g][0];
            anyb = anyb || std::fabs(s.wb[w]) > 1e-6;
            anyc = anyc || std::fabs(s.wc[w]) > 1e-4;
        }
        const int nblocks = (s.ngterm + 14) / 15;
        for (int b = 0; b < nblocks; ++b) {
            const int first = b * 15 + 1, last = std::min(s.ngterm, first + 14);
            line = b == 0 ? "  W  " : "     ";
            for (int g = first; g <= last; ++g) {
                const auto& [w, i, j] = s.gterm[g];
                addfield(s.em[i].name + "-" + s.em[j].name, 10,
                         line);
            }
            putstr(0, line, 1, msol);
            auto valuerow = [&](const runio::Arr<double, maxpairs + 1>& v, int decimals, double small) {
                line = "     ";
                for (int g = first; g <= last; ++g) {
                    const double x = v[s.gterm[g][0]];
                    if (small > 0.0 && std::fabs(x) < small)
                        addfield(" ", 10, line);
                    else
                        addreal(x, decimals, true, 10, line);
                }
                putstr(0, line, 1, msol);
            };
            valuerow(s.wa, 3, 0.0);
            if (anyb) valuerow(s.wb, 3, 1e-6);
            if (anyc) valuerow(s.wc, 2, 1e-4);
        }
    }
    if (s.model == 2) {
        line = "  ";
        for (int i = 1; i <= s.n; ++i) addfield("a(" + s.em[i].name + ")", 10, line);
        putstr(0, line, 1, msol);
        line = "  ";
        for (int i = 1; i <= s.n; ++i) addreal(s.sizea[i], 2, true, 10, line);
        putstr(0, line, 1, msol);
    }

    // End-members whose DQF a Monte Carlo item perturbs: their H, S and V.
    bool anyflag = false, anys = false, anyv = false;
    for (int i = 1; i <= s.n; ++i) {
        const auto& f = s.em[i].dqfperturbed;
        anyflag = anyflag || f[1] || f[2] || f[3];
        anys = anys || f[2];
        anyv = anyv || f[3];
    }
    if (!anyflag) return;
    auto flagged = [&](int i) {
        const auto& f = s.em[i].dqfperturbed;
        return f[1] || f[2] || f[3];
    };
    line = "     ";
    for (int i = 1; i <= s.n; ++i)
        if (flagged(i)) addfield(s.em[i].name, 10, line);
    line += "      ";
    bool firstrecipe = true;
    for (int i = 1; i <= s.n; ++i) {
        const EmRec& e = s.em[i];
        if (e.make.count <= 0) continue;
        if (!firstrecipe) line += ";  ";
        firstrecipe = false;
        line += e.name + " = ";
        for (int j = 1; j <= e.make.count; ++j) {
            if (j > 1) line += " + ";
            runio::addrealshort(e.make.num[j], 0, line);
            if (e.make.divisor > 1) line += "/" + runio::inttext(e.make.divisor);
            line += " " + e.make.cname[j];
        }
    }
    putstr(0, line, 1, msol);
    auto slotrow = [&](const char* title, int slot, int decimals, int flag) {
        line = title;
        for (int i = 1; i <= s.n; ++i) {
            if (!flagged(i)) continue;
            const EmRec& e = s.em[i];
            if (flag == 0 || e.dqfperturbed[flag])
                addreal(e.slots[slot], decimals, true, 10, line);
            else
                addfield(" ", 10, line);
        }
        putstr(0, line, 1, msol);
    };
    slotrow("  H  ", thermodata::sH, 2, 0);
    if (anys) slotrow("  S  ", thermodata::sS, 4, 2);
    if (anyv) slotrow("  V  ", thermodata::sV, 4, 3);
}

}  // namespace axmodels
