// Quantities derived from a solved mode-1 result: the chemical potential of
// every component, mu(O), a(H2O), the shares of H2O and CO2 in the
// assemblage, and the composition of a melt in the species of "convliq" as
// mol% and wt%.
//
// The chemical potentials come from one reaction between the assemblage's
// end-members and a temporary end-member made of one mole of the oxide of
// the component: at equilibrium sum n(j) mu(j) = 0 over the reaction, so
// the one unknown mu follows.  The reaction storage of the calculation is
// borrowed for this and put back as it was.
#include <cmath>

#include "diagramresults/diagramresults.h"
#include "diagramresults/resultwork.h"
#include "numerics/numerics.h"
#include "numerics/unknowns.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace diagramresults {

namespace {

using thermodata::rgas;

constexpr double residuefloor = 1e-6;   // mol of a component left over by the species

int compposition(const std::string& name)
{
    const thermodata::Components& cs = thermodata::comps;
    int pos = 0;
    runio::posinlist(name, cs.compname.data(), cs.ncomp, pos);
    return pos;
}

// The calculation's reaction set, kept while the temporary end-member's
// reactions take its place.
struct SavedReactions {
    int nrxn = 0;
    runio::Vec<runio::Arr<std::int16_t, thermodata::maxem + 1>> r;
    runio::Arr<int, thermodata::maxrxn + 1> rxndiv{};
    runio::Arr<double, thermodata::maxrxn + 1> lnk{};
    runio::Arr<std::string, thermodata::maxrxn + 1> rxntext{};
};

// The reaction through a temporary end-member of one mole of the oxide of
// component comp: the coefficients (coef[nem + 1] that of the temporary
// end-member) and the sum over the other end-members of n (G + RT ln a), kJ.
// False when no reaction holds the temporary end-member, or every one that
// does holds an end-member of zero activity (whose chemical potential is
// unbounded).
bool tempreaction(int comp, const std::string& name, double p, double t, const char* where, double& coef,
                  double& others)
{
    static SavedReactions saved;
    thermodata::EndMembers& e = thermodata::ems;
    thermodata::Components& cs = thermodata::comps;
    thermodata::Reactions& rx = thermodata::rxns;
    const int nem = e.nem, nemr = cs.nemr, k = nem + 1;
    if (k > thermodata::maxem) runio::bomb(where, "too many end-members", 0);

    saved.nrxn = rx.nrxn;
    if (static_cast<int>(saved.r.size()) < rx.nrxn + 1) saved.r.resize(thermodata::maxrxn + 1);
    for (int i = 1; i <= rx.nrxn; ++i) {
        saved.r[i] = rx.r[i];
        saved.rxndiv[i] = rx.rxndiv[i];
        saved.lnk[i] = rx.lnk[i];
        saved.rxntext[i] = rx.rxntext[i];
    }
    const std::string oldname = e.emname[k];
    runio::Arr<int, thermodata::maxcomp + 1> oldcol{};
    for (int c = 1; c <= cs.ncomp; ++c) {
        oldcol[c] = cs.c[c][k];
        cs.c[c][k] = c == comp ? static_cast<int>(cs.compmult[c]) : 0;
    }
    e.emname[k] = name;

    numerics::IntMatrix a(cs.ncomp + 1);
    for (int c = 1; c <= cs.ncomp; ++c)
        for (int j = 1; j <= k; ++j) a[c][j] = cs.c[c][j];
    rx.nrxn = 0;
    numerics::nullspace(a, cs.ncomp, k);

    bool found = false;
    coef = 0.0;
    others = 0.0;
    for (int i = 1; i <= rx.nrxn && !found; ++i) {
        if (rx.r[i][k] == 0) continue;
        bool usable = true;
        for (int j = 1; j <= nem && usable; ++j) usable = rx.r[i][j] == 0 || e.act[j] > 0.0;
        if (!usable) continue;
        found = true;
        coef = rx.r[i][k];
        for (int j = 1; j <= nem; ++j) {
            if (rx.r[i][j] == 0) continue;
            // Every end-member in its standard state as a pure phase.
            thermodata::TdRow& row = e.td[j];
            const double x27 = row[thermodata::sXco2], x28 = row[thermodata::sXh2o];
            row[thermodata::sXco2] = 0.0;
            row[thermodata::sXh2o] = 1.0;
            double g = 0.0;
            thermodata::gemmake(j, g, p, t);
            row[thermodata::sXco2] = x27;
            row[thermodata::sXh2o] = x28;
            others += rx.r[i][j] * (g + rgas * t * std::log(e.act[j]));
        }
    }

    rx.nrxn = saved.nrxn;
    for (int i = 1; i <= saved.nrxn; ++i) {
        rx.r[i] = saved.r[i];
        rx.rxndiv[i] = saved.rxndiv[i];
        rx.lnk[i] = saved.lnk[i];
        rx.rxntext[i] = saved.rxntext[i];
    }
    for (int c = 1; c <= cs.ncomp; ++c) cs.c[c][k] = oldcol[c];
    e.emname[k] = oldname;
    e.nem = nem;
    cs.nemr = nemr;
    return found;
}

// Chemical potential (kJ) of one mole of the oxide of component comp.
double componentmu(int comp, const std::string& name, double p, double t, const char* where)
{
    double n = 0.0, others = 0.0;
    if (!tempreaction(comp, name, p, t, where, n, others)) return 0.0;
    return -others / n;
}

std::string residueline(const runio::Arr<double, thermodata::maxcomp + 1>& r)
{
    const thermodata::Components& cs = thermodata::comps;
    std::string line = "residual mol = ";
    for (int c = 1; c <= cs.ncomp; ++c) {
        if (std::fabs(r[c]) <= residuefloor) continue;
        line += "{";
        addfield(cs.compname[c], 6, line);
        addreal(r[c], 2, true, 8, line);
        line += "} ";
    }
    return line;
}

double oxidemass(const std::string& name)
{
    for (int i = 1; i <= runio::noxides; ++i)
        if (runio::oxtable[i].oxname == name) return runio::oxtable[i].oxmass;
    return 0.0;
}

// Position of the first end-member of solution phase k among the
// calculation's end-members, 0 when it is not in the assemblage.
int firstem(int k)
{
    const numerics::Unknowns& u = numerics::unk;
    for (int e = 1; e <= thermodata::ems.nem; ++e)
        if (u.phasestart[e] && u.emphase[e] == k) return e;
    return 0;
}

}  // namespace

void docalcmu(const numerics::PhaseFlags&, double p, double t)
{
    const thermodata::Components& cs = thermodata::comps;
    for (int c = 1; c <= cs.ncomp; ++c) printing.compmu[c] = componentmu(c, cs.compname[c], p, t, "docalcmu");
}

double docalcmuo(const numerics::PhaseFlags&, double p, double t)
{
    // Without oxygen among the components there is no mu(O) to speak of.
    const int o = compposition("O");
    if (o == 0) return 0.0;
    return componentmu(o, "O", p, t, "docalcmuo");
}

double docalcah2o(const numerics::PhaseFlags&, double p, double t)
{
    const int w = compposition("H2O");
    if (w == 0) runio::bomb("docalcah2o", "H2O is not a component", 0);
    double n = 0.0, others = 0.0;
    if (!tempreaction(w, "H2O", p, t, "docalcah2o", n, others)) return 0.0;
    // G of pure H2O (kJ): the gas at 1 bar from its heat capacity, and
    // RT ln f from the equation of state.
    double v = 0.0, rtlnf = 0.0;
    thermodata::h2oeos(v, rtlnf, p, t);
    const double g = -243.84051 - 243.75 / t - 1.0048 * std::sqrt(t) + 0.1087083 * t - 4.328e-6 * t * t -
                     0.0401 * t * std::log(t) + rtlnf;
    return std::exp(-(n * g + others) / (n * rgas * t));
}

void fificalc(const numerics::PhaseFlags& phases, double& x1, double& x2, double, double)
{
    const axmodels::Phases& ph = axmodels::ph;
    const thermodata::Components& cs = thermodata::comps;
    const numerics::ResultRec& res = numerics::result;
    const int ih2o = compposition("H2O"), ico2 = compposition("CO2");
    runio::Arr<double, thermodata::maxcomp + 1> s{};
    numerics::CompVector comp{};
    x1 = x2 = 0.0;
    // The modes of row 1 of the result, whether solved with the phase
    // variables or worked out after the solve: its entries follow the
    // assemblage's solution phases, then its pure phases.
    int entry = 0;
    auto next = [&]() -> const numerics::ResPhase& {
        if (++entry > res.nphases) runio::bomb("fificalc", "more phases than the result holds", 1);
        return res.ph[entry];
    };
    auto add = [&](double mode) {
        double total = 0.0;
        for (int c = 1; c <= cs.ncomp; ++c) total += comp[c];
        if (total == 0.0) runio::bomb("fificalc", "t=0", 0);
        for (int c = 1; c <= cs.ncomp; ++c) s[c] += mode * comp[c] / total;
    };
    for (int k = 1; k <= ph.nss; ++k) {
        if (!phases[k]) continue;
        const numerics::ResPhase& e = next();
        numerics::phasebulk(firstem(k), comp);
        if (ph.prec1[k].fluid) {
            x2 = ih2o > 0 ? comp[ih2o] : 0.0;
            x1 = ico2 > 0 ? comp[ico2] : 0.0;
            continue;
        }
        if (e.show) add(e.mode[1]);
    }
    for (int k = 1; k <= ph.npure; ++k) {
        if (!phases[ph.nss + k]) continue;
        const numerics::ResPhase& e = next();
        bool inbulk = false;
        for (int c = 1; c <= cs.ncomp; ++c) {
            comp[c] = static_cast<double>(ph.prec0[k].comp[c]) / static_cast<double>(cs.compmult[c]);
            if (cs.oxfree[c] && comp[c] != 0.0) inbulk = true;
        }
        if (inbulk && e.show) add(e.mode[1]);
    }
    double sum = 0.0;
    for (int c = 1; c <= cs.ncomp; ++c)
        if (cs.oxfree[c]) sum += s[c];
    if (sum != 0.0)
        for (int c = 1; c <= cs.ncomp; ++c) s[c] /= sum;

    std::string& line = runio::chans.line;
    line.clear();
    addfield("H2O", 10, line);
    addfield("CO2", 10, line);
    for (int c = 1; c <= cs.ncomp; ++c)
        if (cs.oxfree[c]) addfield(cs.compname[c], 8, line);
    putstr(2, line, 1, runio::msol);
    line.clear();
    for (int c = 1; c <= cs.ncomp; ++c) {
        if (cs.oxfree[c])
            addreal(100 * s[c], 2, true, 8, line);
        else if (c == ih2o || c == ico2)
            addreal(100 * s[c], 6, true, 10, line);
    }
    putstr(0, line, 1, runio::msol);
}

void conv2wt(const numerics::PhaseFlags& phases, runio::Arr<double, runio::maxconvrows + 1>& wtpercent)
{
    const axmodels::Phases& ph = axmodels::ph;
    const thermodata::Components& cs = thermodata::comps;
    const runio::ScriptTables& st = runio::scripttabs;
    int melt = 0;
    for (int k = 1; k <= ph.nss && melt == 0; ++k)
        if (phases[k] && ph.prec1[k].name.compare(0, 3, "liq") == 0) melt = k;
    if (melt == 0 || st.nconvcols != cs.ncomp) return;
    const int ns = st.nconvrows;
    const auto& amount = st.convmatrix;

    numerics::CompVector b{};
    numerics::phasebulk(firstem(melt), b);
    runio::Arr<double, runio::maxconvrows + 1> mass{}, x{}, molpc{};
    for (int sp = 1; sp <= ns; ++sp)
        for (int c = 1; c <= cs.ncomp; ++c) mass[sp] += oxidemass(cs.compname[c]) * amount[sp][c];

    // Species by species: a component held by one species not yet used
    // fixes the amount of that species.
    runio::Arr<double, thermodata::maxcomp + 1> r = b;
    runio::Arr<bool, runio::maxconvrows + 1> used{};
    for (int round = 1; round <= ns; ++round) {
        int k = 0, only = 0;
        for (int c = 1; c <= cs.ncomp && k == 0; ++c) {
            if (std::fabs(r[c]) <= residuefloor) continue;
            int count = 0, sp0 = 0;
            for (int sp = 1; sp <= ns; ++sp)
                if (!used[sp] && amount[sp][c] != 0.0) {
                    ++count;
                    sp0 = sp;
                }
            if (count == 1) {
                k = c;
                only = sp0;
            }
        }
        if (k == 0) break;
        used[only] = true;
        double num = 0.0, den = 0.0;
        const double rk = r[k];
        for (int c = 1; c <= cs.ncomp; ++c) {
            num += rk * amount[only][c] / amount[only][k];
            den += amount[only][c];
        }
        x[only] = num / den;
        for (int c = 1; c <= cs.ncomp; ++c) r[c] -= rk * amount[only][c] / amount[only][k];
    }
    bool residue = false;
    for (int c = 1; c <= cs.ncomp; ++c) residue = residue || std::fabs(r[c]) > residuefloor;
    if (residue) {
        runio::screenwrite(residueline(r) + "\n");
        runio::bomb("conv2wt", "couldn't make mol%", 0);
    }

    double sumb = 0.0, sumx = 0.0, summ = 0.0;
    for (int c = 1; c <= cs.ncomp; ++c) sumb += b[c];
    if (sumb == 0.0) {
        for (int sp = 1; sp <= ns; ++sp) wtpercent[sp] = 0.0;
        return;
    }
    for (int sp = 1; sp <= ns; ++sp) sumx += x[sp];
    if (sumx == 0.0) runio::bomb("conv2wt", "sum of mol% = 0 2", 0);
    for (int sp = 1; sp <= ns; ++sp) {
        molpc[sp] = x[sp] * 100 / sumx;
        summ += mass[sp] * molpc[sp];
    }
    if (summ == 0.0) runio::bomb("conv2wt", "sum of mol% = 0 3", 0);
    for (int sp = 1; sp <= ns; ++sp) wtpercent[sp] = mass[sp] * 100 * molpc[sp] / summ;

    std::string& line = runio::chans.line;
    const std::string lead = runio::spaces(13);
    line = lead;
    for (int c = 1; c <= cs.ncomp; ++c) addfield(cs.compname[c], 7, line);
    putstr(1, line, 1, runio::msol);
    line = lead;
    for (int c = 1; c <= cs.ncomp; ++c) addreal(b[c] * 100 / sumb, 3, true, 7, line);
    putstr(0, line + " ==>", 1, runio::msol);
    line = lead;
    for (int sp = 1; sp <= ns; ++sp) addreal(molpc[sp], 2, true, 7, line);
    putstr(0, line + " ==>", 1, runio::msol);
    line = lead;
    for (int sp = 1; sp <= ns; ++sp) addreal(wtpercent[sp], 2, true, 7, line);
    putstr(0, line, 1, runio::msol);
}

}  // namespace diagramresults
