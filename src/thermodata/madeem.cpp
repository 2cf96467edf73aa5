// The calculation's own end-members: those of the chosen solution phases,
// phase by phase, then the pure phases. Each is a dataset end-member or one
// made from dataset end-members by a recipe of the a-x file (with its DQF
// increment of G); here they get their compositions, their data rows and
// the covariance of their enthalpies, and the constituents of made
// end-members get the rows through which their Gibbs energy is evaluated.
#include <cmath>
#include <cstdint>
#include <vector>

#include "axmodels/axmodels.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"

namespace thermodata {

namespace {

using axmodels::MakeRecipe;
using axmodels::ph;
using runio::bomb;

// Kinds of a constituent of a recipe.
constexpr int kindequilibrium = 0, kinddisordered = 1, kindordered = 2, kindplain = 3, kindnotgiven = 4;

// One end-member of the calculation, in the record that holds it.
struct CalcEm {
    axmodels::EmRec* em = nullptr;          // a solution-phase end-member, or
    axmodels::PurePhase* pp = nullptr;      // a pure phase
    int phase = 0, entry = 0;               // solution phase and end-member, or 0 and the pure phase
    bool pure() const { return pp != nullptr; }
    const std::string& name() const { return em != nullptr ? em->name : pp->emname; }
    MakeRecipe& make() const { return em != nullptr ? em->make : pp->make; }
    TdRow& slots() const { return em != nullptr ? em->slots : pp->slots; }
    std::vector<double>& covrow() const { return em != nullptr ? em->covrow : pp->covrow; }
    runio::Arr<int, maxcomp + 1>& comp() const { return em != nullptr ? em->comp : pp->comp; }
    double dqfa() const { return em != nullptr ? em->dqfa : pp->dqfa; }
    double dqfb() const { return em != nullptr ? em->dqfb : pp->dqfb; }
    double dqfc() const { return em != nullptr ? em->dqfc : pp->dqfc; }
};

// The calculation's end-members, 1-based, solution phases first.
std::vector<CalcEm> calcendmembers()
{
    std::vector<CalcEm> list(1);
    for (int k = 1; k <= ph.nss; ++k) {
        axmodels::SolPhase& s = ph.prec1[k];
        for (int e = 1; e <= s.n; ++e) {
            if (static_cast<int>(list.size()) > maxem) bomb("make emc", "too many end-members1", 0);
            list.push_back({&s.em[e], nullptr, k, e});
        }
    }
    for (int p = 1; p <= ph.npure; ++p) {
        if (static_cast<int>(list.size()) > maxem) bomb("make emc", "too many end-members2", 0);
        list.push_back({nullptr, &ph.prec0[p], 0, p});
    }
    return list;
}

int workingposition(const std::string& name)
{
    int pos;
    runio::posinlist(name, ems.emname.data(), ems.nem, pos);
    return pos;
}

// An amount of the composition matrix is a 16-bit integer: one that does not
// fit is named here rather than wrapped into a wrong composition.
int fitamount(long long v, int i, const CalcEm& e)
{
    if (v > maxcint || v < -maxcint)
        bomb("make emc", "the amount of " + comps.compname[i] + " in " + e.name() +
                             " does not fit the composition matrix (max = " + runio::inttext(maxcint) + ")", 0);
    return static_cast<int>(v);
}

// ---------------------------------------------------------------- set-up table of the data rows

struct MakeTable {
    int ncalc = 0, nssem = 0, nmake = 0;
    runio::Arr<int, maxem + 1> wpos{};       // working position of a plain end-member, 0 when made
    runio::Arr<int, maxem + 1> makeof{};     // its entry among the made end-members, 0 when plain
    runio::Arr<runio::Arr<double, axmodels::maxmakeconst + 1>, maxem + 1> coef{};
    runio::Arr<runio::Arr<int, axmodels::maxmakeconst + 1>, maxem + 1> cpos{};
    runio::Arr<int, maxem + 1> nconst{};     // constituents of a made end-member
    runio::Arr<int, maxem + 1> madeg{};      // per made end-member: its g
};

// Where the constituent copies stand: rows lowest..maxem of emname and td.
struct CopyRows {
    int lowest = maxem + 1;
    runio::Arr<int, maxem + 1> kind{};
};

void setupmakes(const std::vector<CalcEm>& list, MakeTable& mt)
{
    mt = MakeTable{};
    for (int g = 1; g < static_cast<int>(list.size()); ++g) {
        const CalcEm& e = list[g];
        if (!e.pure()) mt.nssem = g;
        mt.coef[g].fill(1.0);
        const MakeRecipe& mk = e.make();
        if (mk.count != 0) {
            mt.wpos[g] = 0;
            mt.makeof[g] = ++mt.nmake;
            mt.madeg[mt.nmake] = g;
            mt.nconst[g] = mk.count > 0 ? mk.count : 0;
            for (int c = 1; c <= mk.count; ++c) {
                mt.coef[g][c] = static_cast<double>(mk.num[c]) / mk.divisor;
                mt.cpos[g][c] = workingposition(mk.cname[c]);
                if (mt.cpos[g][c] == 0) bomb("make emtd", mk.cname[c] + " not found", 0);
            }
        } else {
            mt.wpos[g] = workingposition(e.name());
            if (mt.wpos[g] == 0) bomb("make emtd", e.name() + " not found", 0);
        }
    }
    mt.ncalc = static_cast<int>(list.size()) - 1;
}

void clearslots(TdRow& r)
{
    for (int s = 1; s <= nslots; ++s)
        if (s != sZ1 && s != sZ2) r[s] = 0.0;
}

// The Landau order parameter of a constituent at 298.15 K, from which its
// increments when taken fully disordered or fully ordered are reckoned.
double landauq0(const TdRow& w) { return std::sqrt(1.0 - tref / w[sTc]); }

// A made end-member of a new-layout dataset: DQF, the increments of the
// actions on ordered constituents, and the constituent copies.
void domake(const CalcEm& e, const MakeTable& mt, CopyRows& copies, int g)
{
    TdRow& r = e.slots();
    MakeRecipe& mk = e.make();
    r[sH] += e.dqfa();
    r[sS] -= e.dqfb();
    r[sV] += e.dqfc();
    auto problem = [&](int c, const char* message) {
        runio::putstr(1, "in the make for " + e.name() + ", problem with " + mk.cname[c], 1,
                      runio::msol);
        bomb("domake", message, 0);
    };
    for (int c = 1; c <= mk.count; ++c) {
        const TdRow& w = ems.td[mt.cpos[g][c]];
        int& kind = mk.kind[c];
        const bool landau = w[sSmax] > 0.0;
        if (w[sSmax] <= 0.0 && w[sBWn] <= 0.0) {
            if (kind != kindnotgiven && kind != kindplain) problem(c, "action specified for a non-od end-member");
            kind = kindplain;
            continue;
        }
        if (kind == kindnotgiven) problem(c, "action for od end-member not specified");
        // At equilibrium the constituent keeps its ordering, evaluated in its copy.
        if (kind == kindequilibrium) continue;
        if (kind == kinddisordered) {
            if (landau) {
                const double tc = w[sTc], smax = w[sSmax], vmax = w[sVmax], q = landauq0(w);
                r[sH] += smax * tc * q * (1.0 - q * q / 3.0);
                r[sS] += smax * q;
                r[sV] += vmax * q;
                r[sTc] = r[sSmax] = r[sVmax] = 0.0;
            } else {
                // Configurational entropy of the disordered Bragg-Williams
                // sites (n + 1 of them, n of one kind), scaled by fac.
                r[sH] += w[sBWdH];
                r[sV] += w[sBWdHv];
                const double n = w[sBWn], f = w[sBWfac];
                const double l = std::log(1.0 / (n + 1.0)) + n * std::log(n / (n + 1.0));
                double s = rgas * f * l;
                if (f < 0.0) s *= (1.0 / f - n) / (n + 1.0);
                r[sS] -= s;
                for (int k = sBWdH; k <= sBWfac; ++k) r[k] = 0.0;
            }
        } else if (kind == kindordered) {
            if (landau) {
                const double tc = w[sTc], smax = w[sSmax], vmax = w[sVmax], q = landauq0(w);
                r[sH] += smax * tc * (q * (1.0 - q * q / 3.0) - 2.0 / 3.0);
                r[sS] += smax * (q - 1.0);
                r[sV] += vmax * (q - 1.0);
                r[sTc] = r[sSmax] = r[sVmax] = 0.0;
            } else {
                for (int k = sBWdH; k <= sBWfac; ++k) r[k] = 0.0;
            }
        }
    }

    // Copies hold each constituent's row with its action applied; the copies
    // stay above every row the calculation's end-members will take.
    const int floor = ems.nem > mt.ncalc ? ems.nem : mt.ncalc;
    for (int c = 1; c <= mk.count; ++c) {
        const std::string& name = mk.cname[c];
        const int kind = mk.kind[c];
        int row = 0;
        for (int k = copies.lowest; k <= maxem && row == 0; ++k)
            if (ems.emname[k] == name && copies.kind[k] == kind)
                row = k;
        if (row == 0) {
            row = copies.lowest - 1;
            if (row <= floor) bomb("finddep", "too many end-members", 0);
            const int w = workingposition(name);
            if (w == 0) bomb("finddep", "can't find \"" + name + "\"", 0);
            copies.lowest = row;
            const auto rr = row;
            ems.emname[rr] = name;
            ems.emdsname[rr].clear();
            copies.kind[rr] = kind;
            TdRow& copy = ems.td[rr];
            copy.fill(0.0);
            for (int s = 1; s <= sXh2o; ++s) copy[s] = ems.td[w][s];
            if (kind == kinddisordered || kind == kindordered) {
                copy[sTc] = copy[sSmax] = copy[sVmax] = 0.0;
                for (int s = sBWdH; s <= sBWfac; ++s) copy[s] = 0.0;
            }
        }
        mk.pos[c] = row;
    }
}

// A made end-member of an old-layout dataset: its own row of mixed data.
void makeemtd(const CalcEm& e, const MakeTable& mt, int g)
{
    TdRow& r = e.slots();
    const int n = mt.nconst[g];
    auto coef = [&](int c) { return mt.coef[g][c]; };
    auto row = [&](int c) -> const TdRow& { return ems.td[mt.cpos[g][c]]; };
    for (int s = sH; s <= sCpd; ++s) {
        double v = 0.0;
        for (int c = 1; c <= n; ++c) v += coef(c) * row(c)[s];
        r[s] = v;
    }
    r[sH] += e.dqfa();
    r[sS] -= e.dqfb();
    r[sV] += e.dqfc();
    for (int c = 1; c <= n; ++c) {
        const TdRow& w = row(c);
        if (w[sSmax] <= 0.0) continue;
        const double q = landauq0(w);
        r[sH] += coef(c) * w[sSmax] * w[sTc] * q * (1.0 - q * q / 3.0);
        r[sS] += coef(c) * w[sSmax] * q;
        r[sV] += coef(c) * w[sVmax] * q;
    }
    if (n > 0 && coef(n) == 0.0) bomb("makeemtd", "coeff=0 no longer implemented", 0);
    // Expansion and modulus of the mixture weighted by the constituents' volumes.
    const double v = r[sV];
    double va = 0.0, vk = 0.0;
    for (int c = 1; c <= n; ++c) {
        const TdRow& w = row(c);
        va += coef(c) * w[sV] * w[sAlpha0];
        if (w[sKappa0pp] != 0.0) vk += coef(c) * w[sV] / w[sKappa0pp];
    }
    r[sAlpha0] = v != 0.0 ? va / v : 0.0;
    r[sKappa0] = 10.0;
    r[sKappa0p] = 0.0;
    r[sKappa0pp] = vk != 0.0 ? v / vk : 0.0;
    r[sTheta] = n > 0 ? row(1)[sTheta] : 0.0;
    r[sDkappadT] = n > 0 ? row(1)[sDkappadT] : 0.0;
    r[sTc] = r[sSmax] = r[sVmax] = 0.0;
    double aq = 0.0;
    for (int c = 1; c <= n; ++c) aq += coef(c) * row(c)[sAq];
    r[sAq] = aq;
    for (int s = sBWdH; s <= sBWfac; ++s) r[s] = 0.0;
}

// Covariance row of made end-member g: its variance, its covariances with
// the other made end-members and with the plain ones.
void makeemcov(const std::vector<CalcEm>& list, const MakeTable& mt, int g)
{
    std::vector<double>& row = list[g].covrow();
    auto sumwith = [&](int u) {   // sum over b of cov[u][w_b] k_b
        double v = 0.0;
        for (int b = 1; b <= mt.nconst[g]; ++b)
            v += ems.covat(u, mt.cpos[g][b]) * mt.coef[g][b];
        return v;
    };
    auto withmade = [&](int h) {
        double v = 0.0;
        for (int a = 1; a <= mt.nconst[h]; ++a)
            v += mt.coef[h][a] * sumwith(mt.cpos[h][a]);
        return v;
    };
    row[g] = withmade(g);
    for (int m = 1; m <= mt.nmake; ++m) {
        const int h = mt.madeg[m];
        if (h != g) row[h] = withmade(h);
    }
    for (int s = 1; s <= mt.ncalc; ++s) {
        const int u = mt.wpos[s];
        if (u != 0) row[s] = sumwith(u);
    }
}

void finishcov(const std::vector<CalcEm>& list, const MakeTable& mt)
{
    const int n = mt.ncalc;
    // A plain end-member's covariances with the made ones are those the
    // made ones worked out.
    for (int g = 1; g <= n; ++g) {
        if (mt.makeof[g] != 0) continue;
        for (int m = 1; m <= mt.nmake; ++m) {
            const int h = mt.madeg[m];
            list[g].covrow()[h] =
                list[h].covrow()[g];
        }
    }
    for (int g = 1; g <= n; ++g) {
        const std::vector<double>& row = list[g].covrow();
        for (int s = 1; s <= n; ++s) ems.covat(g, s) = row[s];
    }
    for (int i = 1; i <= n; ++i)
        for (int j = i + 1; j <= n; ++j)
            if (std::fabs(ems.covat(i, j) - ems.covat(j, i)) > 1e-5) bomb("finishcov", "matrix not symmetric", 1);
}

}  // namespace

void makeemc()
{
    const std::vector<CalcEm> list = calcendmembers();
    const int ncalc = static_cast<int>(list.size()) - 1;
    const int ncomp = comps.ncomp;
    std::vector<runio::Arr<long long, maxcomp + 1>> amount(ncalc + 1);
    std::vector<int> divisor(ncalc + 1, 1);
    bool anydivisor = false;

    for (int g = 1; g <= ncalc; ++g) {
        const CalcEm& e = list[g];
        auto& a = amount[g];
        a.fill(0);
        const MakeRecipe& mk = e.make();
        if (mk.count != 0) {
            for (int j = 1; j <= mk.count; ++j) {
                const int pos = workingposition(mk.cname[j]);
                if (pos == 0) bomb("make emc", mk.cname[j] + (e.pure() ? " not found 4" : " not found 2"), 0);
                if (mk.num[j] == 0) continue;
                for (int i = 1; i <= ncomp; ++i)
                    a[i] += static_cast<long long>(mk.num[j]) *
                                                       comps.c[i][pos];
            }
            divisor[g] = mk.divisor;
            if (mk.divisor > 1) anydivisor = true;
        } else {
            const int pos = workingposition(e.name());
            if (pos == 0) bomb("make emc", e.name() + (e.pure() ? " not found 3" : " not found 1"), 0);
            for (int i = 1; i <= ncomp; ++i)
                a[i] = comps.c[i][pos];
        }
    }
    for (int g = 1; g <= ncalc; ++g)
        for (int i = 1; i <= ncomp; ++i)
            comps.c[i][g] =
                fitamount(amount[g][i], i, list[g]);

    // Components that no end-member of the calculation holds are dropped.
    int kept = 0;
    for (int i = 1; i <= ncomp; ++i) {
        bool held = false;
        for (int g = 1; g <= ncalc && !held; ++g) held = comps.c[i][g] != 0;
        if (!held) continue;
        const auto kk = ++kept;
        if (kk != i) {
            comps.compname[kk] = comps.compname[i];
            comps.compmult[kk] = comps.compmult[i];
            comps.compatoms[kk] = comps.compatoms[i];
            comps.c[kk] = comps.c[i];
        }
    }
    comps.ncomp = comps.ncomp0 = comps.nfreeox = comps.ncompsave = comps.ncomp0save = kept;

    // A made end-member's amounts are numerators over its divisor: each row is
    // scaled by the smallest multiplier that makes them whole.
    if (anydivisor) {
        for (int i = 1; i <= kept; ++i) {
            std::vector<std::int32_t> r(1);
            for (int g = 1; g <= ncalc; ++g) {
                const int d = divisor[g];
                if (d <= 1) continue;
                const std::int32_t k = runio::gcd(comps.c[i][g], d);
                r.push_back(k >= 2 ? d / k : d);
            }
            const long long m = runio::lcmvector(r.data(), static_cast<int>(r.size()) - 1);
            for (int g = 1; g <= ncalc; ++g) {
                comps.c[i][g] = fitamount(m * comps.c[i][g] / divisor[g], i, list[g]);
            }
            comps.compmult[i] *= m;
        }
    }

    for (int g = 1; g <= ncalc; ++g) {
        auto& comp = list[g].comp();
        comp.fill(0);
        for (int i = 1; i <= kept; ++i)
            comp[i] = comps.c[i][g];
    }
}

void setupemdata()
{
    for (int k = 1; k <= axmodels::maxnp; ++k)
        for (auto& e : ph.prec1[k].em) clearslots(e.slots);
    for (int k = 1; k <= axmodels::maxphases; ++k) clearslots(ph.prec0[k].slots);
    CopyRows copies;

    const std::vector<CalcEm> list = calcendmembers();
    static MakeTable mt;   // large: kept out of the stack
    setupmakes(list, mt);
    for (int g = 1; g <= mt.ncalc; ++g) list[g].covrow().assign(maxem + 1, 0.0);

    for (int g = 1; g <= mt.ncalc; ++g) {
        const CalcEm& e = list[g];
        TdRow& r = e.slots();
        const int u = mt.wpos[g];
        // The site multiplicity that weighs reaction divisors and default
        // activity uncertainties; a made end-member counts one.
        if (!e.pure()) e.em->dscode = mt.makeof[g] == 0 && ems.emcode[u] > 1 ? ems.emcode[u] : 1;
        if (mt.makeof[g] == 0) {
            // Solution-phase end-members take the dataset slots up to the fluid
            // composition; a pure phase takes them all.
            const int last = e.pure() ? nslots : sXh2o;
            for (int s = 1; s <= last; ++s)
                if (s != sZ1 && s != sZ2) r[s] = ems.td[u][s];
            std::vector<double>& row = e.covrow();
            for (int s = 1; s <= mt.ncalc; ++s) {
                const int us = mt.wpos[s];
                if (us != 0) row[s] = ems.covat(u, us);
            }
            continue;
        }
        if (ds.dsnew) {
            // A recipe of one constituent has no second one to carry a charge.
            const int first = mt.nconst[g] >= 1 ? mt.cpos[g][1] : 0;
            const int second = mt.nconst[g] >= 2 ? mt.cpos[g][2] : 0;
            const bool compound = first != 0 && second != 0 &&
                                  ems.td[first][sZ1] != 0.0 &&
                                  ems.td[second][sZ1] != 0.0;
            if (!compound) {
                domake(e, mt, copies, g);
            } else {
                // Two charged species: the mean compound is evaluated as one row.
                e.make().count = 0;
                for (int s : {1, 2, 3, 4, 5, 6, 7, static_cast<int>(sAq)}) {
                    r[s] = mt.coef[g][1] * ems.td[first][s] +
                            mt.coef[g][2] * ems.td[second][s];
                }
            }
        } else {
            makeemtd(e, mt, g);
        }
        makeemcov(list, mt, g);
    }

    ems.nemsave = ems.nem;
    ems.nem = mt.ncalc;
    comps.nemr = mt.ncalc;
    finishcov(list, mt);
    if (runio::run.runno == 1)
        for (int k = 1; k <= ph.nss; ++k) axmodels::printaxmodel(k);
}

}  // namespace thermodata
