// A bulk composition typed at the terminal when the script gives none: moles
// of the free oxides, or a mixture of chosen phases in given proportions,
// solution phases at given values of their compositional variables.
#include <vector>

#include "axmodels/axmodels.h"
#include "phasediagram/setup.h"
#include "runio/scriptset.h"

namespace phasediagram {

namespace {

using axmodels::ph;
using runio::msl;
using runio::putstr;

// Amounts of all components of the system (moles of each oxide).
using Amounts = runio::Arr<double, thermodata::maxcomp + 1>;

// Scales the free oxides to sum 100; a sum that is not positive has no
// such scaling.
void norm100(Composition& c)
{
    const int nf = thermodata::comps.nfreeox;
    double sum = 0.0;
    for (int j = 1; j <= nf; ++j) sum += c[j];
    if (!(sum > 0.0)) runio::bomb("readcomps", "zeroes not allowed in a bulk", 0);
    for (int j = 1; j <= nf; ++j) c[j] = 100.0 * c[j] / sum;
}

// Oxide amounts of solution phase k at the values x of its variables: its
// end-members' compositions weighted by their proportions.
Amounts phaseoxides(int k, const double* x)
{
    const thermodata::Components& cs = thermodata::comps;
    const axmodels::SolPhase& sp = ph.prec1[k];
    Amounts a{};
    for (int e = 1; e <= sp.n; ++e) {
        const double p = axmodels::evalpoly(sp.prop[e], x, 1);
        for (int i = 1; i <= cs.ncomp; ++i) a[i] += p * sp.em[e].comp[i] / static_cast<double>(cs.compmult[i]);
    }
    return a;
}

struct Relevant {
    std::vector<std::string> names;
    std::vector<int> phase;   // solution phases by number, pure phases nss + number
};

// Phases holding some free oxide; with external buffering a fluid phase
// is never offered.
Relevant relevantphases(bool buffered)
{
    const thermodata::Components& cs = thermodata::comps;
    auto holdsfree = [&](const runio::Arr<int, thermodata::maxcomp + 1>& comp) {
        for (int i = 1; i <= cs.ncomp; ++i)
            if (cs.oxfree[i] && comp[i] != 0) return true;
        return false;
    };
    Relevant r;
    for (int k = 1; k <= ph.nss; ++k) {
        const axmodels::SolPhase& sp = ph.prec1[k];
        if (buffered && sp.fluid) continue;
        bool any = false;
        for (int e = 1; e <= sp.n && !any; ++e) any = holdsfree(sp.em[e].comp);
        if (!any) continue;
        r.names.push_back(sp.name);
        r.phase.push_back(k);
    }
    for (int k = 1; k <= ph.npure; ++k) {
        if (!holdsfree(ph.prec0[k].comp)) continue;
        r.names.push_back(ph.prec0[k].name);
        r.phase.push_back(ph.nss + k);
    }
    return r;
}

int relevantat(const Relevant& r, const std::string& name)
{
    for (std::size_t i = 0; i < r.names.size(); ++i)
        if (r.names[i] == name) return static_cast<int>(i);
    return -1;
}

void readsscomp(const Relevant& r, const runio::Words& chosen, Composition& c)
{
    const thermodata::Components& cs = thermodata::comps;
    std::vector<int> kept;
    for (int i = 1; i <= chosen.n; ++i) {
        std::string word = chosen[i];
        if (runio::wordkind(word) == 1) {
            const int k = runio::getinteger(1, word, "phase");
            if (k >= 1 && k <= static_cast<int>(r.names.size())) word = r.names[k - 1];
        }
        int at = relevantat(r, word);
        if (at < 0) {
            putstr(0, word + " not recognised", 1, msl);
            runio::promptstring("replace with", word);
            at = relevantat(r, word);
            if (at < 0) {
                putstr(0, "unknown name - ignored", 1, msl);
                continue;
            }
        }
        kept.push_back(at);
    }
    if (kept.empty()) runio::bomb("readcomps", "insufficient phases to specify composition", 0);
    std::string line = "using : ";
    for (int at : kept) line += r.names[at] + " ";
    putstr(1, line, 1, msl);

    std::vector<Amounts> columns;
    bool first = true;
    for (int at : kept) {
        const int phase = r.phase[at];
        Amounts a{};
        if (phase > ph.nss) {
            const axmodels::PurePhase& pp = ph.prec0[phase - ph.nss];
            for (int i = 1; i <= cs.ncomp; ++i) a[i] = pp.comp[i] / static_cast<double>(cs.compmult[i]);
        } else {
            if (first) putstr(0, "specifying compositions of (solid) solutions:", 1, msl);
            first = false;
            const axmodels::SolPhase& sp = ph.prec1[phase];
            putstr(0, "for " + sp.name + " ", 0, msl);
            runio::Arr<double, axmodels::maxsolem + 1> x{};
            for (int v = 1; v <= sp.nvar; ++v) runio::promptreal("value for " + sp.var[v].name, x[v]);
            a = phaseoxides(phase, x.data());
        }
        columns.push_back(a);
    }
    putstr(0, "", 1, msl);
    runio::Arr<double, runio::maxwords + 1> prop{};
    int n = static_cast<int>(kept.size());
    runio::promptreals("proportions (the resulting composition will be normalised to 100)", prop, n);

    // Each phase counts as one mole of oxides before the proportions apply.
    Amounts total{};
    for (std::size_t p = 0; p < columns.size(); ++p) {
        double sum = 0.0;
        for (int i = 1; i <= cs.ncomp; ++i) sum += columns[p][i];
        if (sum == 0.0) continue;
        for (int i = 1; i <= cs.ncomp; ++i) total[i] += prop[static_cast<int>(p) + 1] * columns[p][i] / sum;
    }
    for (int j = 1; j <= cs.nfreeox; ++j) c[j] = total[freecomponent(j)];
    norm100(c);
}

}  // namespace

void enterbulk(Composition& c)
{
    const int nf = thermodata::comps.nfreeox;
    const bool buffered = runio::scriptset.exbuff == 0;
    std::string line = "for a bulk: oxides to be specified, in moles: ";
    for (int j = 1; j <= nf; ++j) line += bulkoxname(j) + " ";
    putstr(0, line, 2, msl);
    putstr(0, "this can be done interactively, or by stopping, adding a ", 1, msl);
    putstr(0, "bulk script to the scriptfile, and rerunning petramondo.", 1, msl);
    if (runio::query("stop now and add a bulk script")) runio::bomb("readcomps", "stopping now", 0);
    putstr(1, "interactive specifying of bulk composition:", 1, msl);
    putstr(0, " 1: in terms of oxides in moles", 1, msl);
    putstr(0, " 2: in terms of sum of phase compositions/proportions", 1, msl);
    int code = 1;
    runio::promptinteger("code", code);
    if (code != 2) code = 1;
    if (buffered && code == 2)
        putstr(1, "(for external buffering, the CO2 and H2O in solids will be ignored)", 2, msl);
    if (code == 1) {
        putstr(0, "the composition, which will be normalised to a 100, as", 1, msl);
        runio::Arr<double, runio::maxwords + 1> v{};
        int n = nf;
        runio::promptreals("a list of oxide values in moles on one line", v, n);
        for (int j = 1; j <= nf; ++j) c[j] = v[j];
        norm100(c);
        return;
    }
    const Relevant r = relevantphases(buffered);
    putstr(0, "", 1, msl);
    // Long lists are broken after every 15 names.
    std::string names = "relevant phases : ";
    const int nr = static_cast<int>(r.names.size());
    for (int i = 0; i < nr; ++i) {
        names += r.names[i] + " ";
        if ((i + 1) % 15 == 0 && i + 1 < nr) {
            putstr(0, names, 1, msl);
            names = "                  ";
        }
    }
    putstr(0, names, 2, msl);
    runio::Words chosen;
    runio::promptstrings("which phases to define composition (divariant = " + runio::inttext(nf) + " phases)", chosen);
    if (chosen.n == 0) {
        chosen.n = nr;
        for (int i = 1; i <= nr; ++i) chosen[i] = r.names[i - 1];
    }
    readsscomp(r, chosen, c);
}

}  // namespace phasediagram
