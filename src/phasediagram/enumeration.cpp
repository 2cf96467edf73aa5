// The enumeration of the assemblages of a phase-diagram run: from the
// variance wanted down, every subset of the chosen phases with as many
// phases as the phase rule gives is tested (phases outside the mass balance
// present, the bulk inside the reduced system of the subset, as many
// equations as unknowns, every component present) and each accepted one is
// calculated.
//
// The reduced system of a subset is found by fraction-free integer
// elimination of its composition matrix over the free components, so that
// the rank and the constraints on the bulk are exact.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numeric>

#include "axmodels/axmodels.h"
#include "numerics/numerics.h"
#include "phasediagram/calculation.h"
#include "phasediagram/phasediagram.h"
#include "runio/scriptset.h"

namespace phasediagram {

namespace {

using axmodels::ph;
using runio::addfield;
using runio::bomb;
using runio::putstr;

constexpr double bulkoutside = 1e-6;   // a constraint row applied to the bulk must vanish to this

// The integer matrix of the reduced-system test: free components by the
// end-members of the subset, with its elimination and the row operations
// that make it.
struct Reduce {
    int n = 0, m = 0;   // rows (free components), columns (end-members)
    runio::Arr<runio::Arr<long long, thermodata::maxem + 1>, numerics::maxfreecomp + 1> a{}, a0{};
    runio::Arr<std::string, thermodata::maxem + 1> colname{};
    runio::Arr<runio::Arr<long long, numerics::maxfreecomp + 1>, numerics::maxfreecomp + 1> l{}, minv{};
    runio::Arr<int, numerics::maxfreecomp + 1> perm{};
    runio::Arr<long long, numerics::maxfreecomp + 1> b{};
};
Reduce rd;

// What the enumeration has to say about one subset.
struct Verdict {
    int stage = 0;
    bool excluded = false;
    int nunknowns = 0, nequations = 0;
};

// The composition matrix of the given phases over the first ncomp
// components: components by the end-members of the solution phases, then
// one column per pure phase.
int phasesrank(const numerics::PhaseFlags& phases, int ncomp)
{
    static numerics::IntMatrix a;
    if (static_cast<int>(a.size()) < ncomp + 1) a.resize(ncomp + 1);
    int n = 0;
    auto column = [&](const runio::Arr<int, thermodata::maxcomp + 1>& comp) {
        if (n + 1 > runio::maxvecint) bomb("calcvariance", "too many end-members" + runio::maxlabel(runio::maxvecint), 0);
        ++n;
        for (int c = 1; c <= ncomp; ++c) a[c][n] = comp[c];
    };
    for (int k = 1; k <= ph.nss; ++k)
        if (phases[k])
            for (int e = 1; e <= ph.prec1[k].n; ++e) column(ph.prec1[k].em[e].comp);
    for (int k = 1; k <= ph.npure; ++k)
        if (phases[ph.nss + k]) column(ph.prec0[k].comp);
    return numerics::intechelon(a, ncomp, n);
}

numerics::PhaseFlags allphases()
{
    numerics::PhaseFlags all{};
    for (int k = 1; k <= ph.nph; ++k) all[k] = 1;
    return all;
}

void printconstraints()
{
    const thermodata::Components& cs = thermodata::comps;
    const numerics::Reduction& red = numerics::red;
    numerics::FreeMap free{};
    numerics::freecomponentmap(free);
    putstr(0, red.rankdeficit == 1 ? "this equation must apply" : "these equations must apply", 1, runio::msol);
    for (int r = rd.n - red.rankdeficit + 1; r <= rd.n; ++r) {
        runio::Arr<std::int32_t, numerics::maxfreecomp + 1> row{};
        for (int t = 1; t <= rd.n; ++t) row[t] = red.projc[r][t];
        const std::int32_t g = runio::gcdvector(row.data(), rd.n);
        if (g > 1)
            for (int t = 1; t <= rd.n; ++t) row[t] /= g;
        std::string line = "   ";
        bool first = true;
        for (int t = 1; t <= rd.n; ++t) {
            const std::int32_t v = row[t];
            if (v == 0) continue;
            if (v < 0) {
                line += " - ";
                if (v != -1) line += " " + runio::realstrshort(-v);
            } else {
                if (!first) line += " + ";
                if (v != 1) line += " " + runio::realstrshort(v);
            }
            first = false;
            line += cs.compname[free[t]];
        }
        putstr(0, line + " = 0", 1, runio::msol);
    }
}

template <class Cell>
void dumpmatrix(const std::string& title, int rows, int cols, Cell cell)
{
    putstr(1, title, 1, runio::msol);
    for (int i = 1; i <= rows; ++i) {
        std::string line;
        for (int j = 1; j <= cols; ++j) addfield(runio::inttext(cell(i, j)), 4, line);
        putstr(0, line, 1, runio::msol);
    }
}

// The listing of a rank-deficient subset whose bulk is outside its reduced system.
void reductiondump(bool checkfailed)
{
    const numerics::Reduction& red = numerics::red;
    const std::string bullets(3, runio::bulletsign);
    if (checkfailed) putstr(1, bullets + " debugging information " + bullets, 1, runio::msol);
    putstr(1, "matrix is rank deficient", 1, runio::msol);
    putstr(1, "composition matrix", 1, runio::msol);
    std::string line;
    for (int j = 1; j <= rd.m; ++j) addfield(rd.colname[j], 5, line);
    putstr(0, line, 1, runio::msol);
    for (int i = 1; i <= rd.n; ++i) {
        line.clear();
        for (int j = 1; j <= rd.m; ++j) addfield(runio::inttext(rd.a0[i][j]), 5, line);
        addfield(runio::inttext(rd.b[i]), 7, line);
        putstr(0, line, 1, runio::msol);
    }
    putstr(1, "permutation matrix", 1, runio::msol);
    for (int i = 1; i <= rd.n; ++i) {
        line = "      ";
        for (int j = 1; j <= rd.n; ++j) line += rd.perm[i] == j ? " 1" : " 0";
        putstr(0, line, 1, runio::msol);
    }
    dumpmatrix("L info", rd.n, rd.n, [](int i, int j) { return rd.l[i][j]; });
    dumpmatrix("inv L", rd.n, rd.n, [](int i, int j) { return rd.minv[i][j]; });
    dumpmatrix("projc", rd.n, rd.n, [&](int i, int j) { return static_cast<long long>(red.projc[i][j]); });
    dumpmatrix("row-reduced matrix, U", rd.n, rd.m, [](int i, int j) { return rd.a[i][j]; });
    dumpmatrix("alternatively, projc A", rd.n, rd.m, [&](int i, int j) {
        double s = 0.0;
        for (int t = 1; t <= rd.n; ++t) s += static_cast<double>(rd.a0[t][j]) * red.projc[i][t] / rd.b[t];
        return static_cast<long long>(std::trunc(s));
    });
}

// Fraction-free elimination of rd.a, keeping the row operations in rd.l
// and the row exchanges in rd.perm; returns the rank.
int eliminate()
{
    const int n = rd.n, m = rd.m;
    const int p = n < m ? n : m;
    for (int i = 1; i <= n; ++i) {
        rd.perm[i] = i;
        for (int j = 1; j <= n; ++j) rd.l[i][j] = j > i ? 1 : 0;
    }
    int rank = 0, col = 0;
    for (int r = 1; r <= p; ++r) {
        int pc = 0, ps = 0;
        if (col + 1 <= m && rd.a[r][col + 1] != 0) {
            pc = col + 1;
            ps = r;
        }
        for (int c = col + 1; c <= m && pc == 0; ++c)
            for (int s = r; s <= n; ++s)
                if (rd.a[s][c] != 0) {
                    pc = c;
                    ps = s;
                    break;
                }
        if (pc == 0) break;
        ++rank;
        col = pc;
        if (ps != r) {
            std::swap(rd.a[r], rd.a[ps]);
            std::swap(rd.perm[r], rd.perm[ps]);
            for (int t = 1; t < r; ++t) {
                std::swap(rd.l[r][t], rd.l[ps][t]);
                std::swap(rd.l[t][r], rd.l[t][ps]);
            }
        }
        const long long pivot = rd.a[r][pc];
        for (int s = r + 1; s <= n; ++s) {
            const long long e = rd.a[s][pc];
            if (e == 0) continue;
            const long long g = std::gcd(std::llabs(pivot), std::llabs(e));
            const long long a = pivot / g, f = e / g;
            const long long sign = a < 0 ? -1 : 1;
            for (int j = pc; j <= m; ++j) rd.a[s][j] = sign * (a * rd.a[s][j] - f * rd.a[r][j]);
            rd.l[r][s] = sign * a;
            rd.l[s][r] = -sign * f;
        }
        if (pc == m) break;
    }
    // The row operations gathered into one matrix: U = minv P A.
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) rd.minv[i][j] = i == j;
    for (int i = 1; i < n; ++i)
        for (int s = i + 1; s <= n; ++s) {
            rd.minv[s][s] *= rd.l[i][s];
            for (int t = 1; t <= i; ++t) rd.minv[s][t] = rd.l[i][s] * rd.minv[s][t] + rd.l[s][i] * rd.minv[i][t];
        }
    return rank;
}

// Equations and unknowns of an accepted subset (numbers of the reduced
// system from calcrankp).
void countsubset(const numerics::PhaseFlags& subset, int srank, Verdict& v)
{
    const thermodata::Components& cs = thermodata::comps;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const runio::ScriptTables& st = runio::scripttabs;
    int nems = 0, unknowns = 2 - runio::win.variance > 0 ? 2 - runio::win.variance : 0;
    for (int k = 1; k <= ph.nss; ++k) {
        if (!subset[k]) continue;
        const axmodels::SolPhase& sp = ph.prec1[k];
        nems += sp.n;
        for (int j = 1; j <= sp.nvar; ++j)
            if (!sp.var[j].fixed) ++unknowns;
        if (sf.modesinnle && !sp.modeflag) ++unknowns;
    }
    for (int k = 1; k <= ph.npure; ++k) {
        if (!subset[ph.nss + k]) continue;
        ++nems;
        if (sf.modesinnle && !ph.prec0[k].modeflag) ++unknowns;
    }
    const int emterm = cs.nfreeox - cs.ncomp + nems;
    int equations = emterm - srank;
    if (sf.modesinnle) {
        equations = cs.nfreeox + equations - numerics::red.rankdeficit;
        if (given(runio::scriptset.exbuff)) --unknowns;
        if (st.nseta > 0) unknowns -= st.nseta;
        if (st.nsetmu > 0) unknowns -= st.nsetmu;
    }
    v.nequations = equations;
    v.nunknowns = unknowns;
    v.excluded = !(equations != 0 && equations == unknowns);
    if (sf.debuglevel > 1) {
        std::string line = "nuv = " + runio::inttext(cs.ncomp) + "; nuvleft = " + runio::inttext(cs.nfreeox) +
                           "; k = " + runio::inttext(emterm) + "; rank = " + runio::inttext(srank);
        if (sf.modesinnle) line += "  rank deficit = ";
        line += runio::inttext(numerics::red.rankdeficit) + "; nir = " + runio::inttext(equations);
        putstr(2, line, 1, runio::msol);
    }
}

// With modes as unknowns, a subset short of the phases in use must still
// hold every component, in a composition matrix of full rank.
bool allcomponents(const numerics::PhaseFlags& subset)
{
    const thermodata::Components& cs = thermodata::comps;
    for (int c = 1; c <= cs.ncomp; ++c) {
        bool present = false;
        for (int k = 1; k <= ph.nss && !present; ++k)
            if (subset[k])
                for (int e = 1; e <= ph.prec1[k].n && !present; ++e) present = ph.prec1[k].em[e].comp[c] != 0;
        for (int k = 1; k <= ph.npure && !present; ++k) present = subset[ph.nss + k] && ph.prec0[k].comp[c] != 0;
        if (!present) return false;
    }
    return numerics::red.rankdeficit < 1;
}

void nextassemblage(numerics::IndexVector& comb, const numerics::PhaseFlags& inuse, numerics::PhaseFlags& subset,
                    int nphases, int k, Verdict& v, bool& more)
{
    numerics::nextcombination(comb, k, nphases, more);
    v = Verdict{};
    if (!more) return;
    subset = numerics::PhaseFlags{};
    for (int j = 1; j <= k; ++j) subset[comb[j]] = inuse[comb[j]];
    const numerics::PhaseChoice& pc = numerics::phchoice;
    v.stage = 1;
    if (pc.nnobulk != 0)
        for (int i = 1; i <= nphases; ++i)
            if (inuse[i] && pc.isnobulk[i] && !subset[i]) {
                v.excluded = true;
                v.stage = 2;
                return;
            }
    v.stage = 3;
    int srank = 0;
    bool ok = true;
    calcrankp(subset, srank, ok);
    v.stage = 4;
    if (!ok) {
        v.excluded = true;
        v.nequations = v.nunknowns = -1;
        return;
    }
    v.stage = 5;
    countsubset(subset, srank, v);
    if (v.excluded) return;
    int insubset = 0;
    for (int i = 1; i <= nphases; ++i) insubset += subset[i] ? 1 : 0;
    if (runio::scriptflags.modesinnle && insubset < nphases) {
        v.stage = 6;
        if (!allcomponents(subset)) {
            v.excluded = true;
            return;
        }
    }
    v.stage = 7;
}

void listassemblage(const numerics::PhaseFlags& subset, const Verdict& v, int rank, int k, int nphases)
{
    const runio::ScriptFlags& sf = runio::scriptflags;
    static const char* labels[] = {"", "(already)", "(not in ex)", "(inc ex)", "(no calc)",
                                   "(mismatch)", "(bulk can't be made, eg in dogmin)", ""};
    std::string line;
    addfield(v.excluded ? "excluded " : "good one ", -10, line);
    addfield(v.stage >= 1 && v.stage <= 7 ? labels[v.stage] : "????", 10, line);
    line += ": nu = " + runio::inttext(thermodata::comps.ncomp0) + "; rank = " + runio::inttext(rank) +
            "; ntake = " + runio::inttext(k) + "; npmax = " + runio::inttext(nphases) +
            "; nv = " + runio::inttext(v.nunknowns) + "; nir = " + runio::inttext(v.nequations);
    putstr(1, line, 1, runio::msol);
    line = "     ";
    for (int c = 1; c <= thermodata::comps.ncomp; ++c) line += thermodata::comps.compname[c] + " ";
    line += " ";
    for (int i = 1; i <= ph.nph; ++i)
        if (subset[i]) line += phasename(i) + " ";
    line += sf.modesinnle ? "  - modes by nle" : sf.modesafternle ? "  - modes after nle" : "  - not pseudosection";
    putstr(0, line, 1, runio::msol);
}

}  // namespace

int calcvariance()
{
    return phasesrank(allphases(), thermodata::comps.ncomp) + 2 - (ph.npure + ph.nss) - runio::scripttabs.nsetmu;
}

int phasevariance(const numerics::PhaseFlags& phases)
{
    int n = 0;
    for (int k = 1; k <= ph.nph; ++k) n += phases[k] ? 1 : 0;
    return phasesrank(phases, thermodata::comps.ncompsave) + 2 - n - runio::scripttabs.nsetmu;
}

void phaselist(numerics::PhaseFlags& inuse, int& nphases, int& rank)
{
    inuse = allphases();
    nphases = ph.nph;
    rank = phasesrank(inuse, thermodata::comps.ncomp);
}

void calcrankp(const numerics::PhaseFlags& subset, int& rank, bool& ok)
{
    const thermodata::Components& cs = thermodata::comps;
    const runio::ScriptFlags& sf = runio::scriptflags;
    numerics::Reduction& red = numerics::red;
    const numerics::BulkSetup& bs = numerics::bulks;
    ok = true;
    numerics::FreeMap free{};
    rd.n = numerics::freecomponentmap(free);
    rd.m = 0;
    auto column = [&](const std::string& name, const runio::Arr<int, thermodata::maxcomp + 1>& comp) {
        if (rd.m + 1 > thermodata::maxem) bomb("calcrankp", "too many end-members" + runio::maxlabel(thermodata::maxem), 0);
        ++rd.m;
        rd.colname[rd.m] = name;
        for (int r = 1; r <= rd.n; ++r) rd.a[r][rd.m] = rd.a0[r][rd.m] = comp[free[r]];
    };
    for (int k = 1; k <= ph.nss; ++k)
        if (subset[k])
            for (int e = 1; e <= ph.prec1[k].n; ++e) column(ph.prec1[k].em[e].name, ph.prec1[k].em[e].comp);
    for (int k = 1; k <= ph.npure; ++k)
        if (subset[ph.nss + k]) column(ph.prec0[k].emname, ph.prec0[k].comp);
    for (int r = 1; r <= rd.n; ++r) rd.b[r] = cs.compmult[free[r]];

    rank = eliminate();
    red.rankdeficit = rd.n - rank;
    for (int i = 1; i <= rd.n; ++i)
        for (int j = 1; j <= rd.n; ++j) red.projc[i][j] = i == j;
    if (red.rankdeficit <= 0) return;

    for (int r = 1; r <= rd.n; ++r) {
        int u = 0;
        for (int i = 1; i <= rd.n && u == 0; ++i)
            if (rd.perm[i] == r) u = i;
        if (u == 0) bomb("calcrankp", "couldn't rearrange columns", 0);
        for (int t = 1; t <= rd.n; ++t) {
            const long long v = rd.b[r] * rd.minv[t][u];
            if (v > INT32_MAX || v < INT32_MIN) bomb("calcrankp", "reduced system beyond 32-bit integers", 0);
            red.projc[t][r] = static_cast<std::int32_t>(v);
        }
    }
    bool checked = true;
    for (int r = 1; r <= rd.n && checked; ++r)
        for (int m = 1; m <= rd.m && checked; ++m) {
            double s = 0.0;
            for (int t = 1; t <= rd.n; ++t) s += static_cast<double>(rd.a0[t][m]) * red.projc[r][t] / rd.b[t];
            checked = std::trunc(s - static_cast<double>(rd.a[r][m])) == 0.0;
        }
    if (bs.nbulk <= 0) return;
    // A transformation that fails its own check cannot test the bulk: the
    // subset is left out rather than calculated without the test.
    ok = checked;
    for (int r = rd.n - red.rankdeficit + 1; r <= rd.n && ok; ++r) {
        double s = 0.0, s2 = 0.0;
        for (int t = 1; t <= rd.n; ++t) {
            s += red.projc[r][t] * bs.bulk[t];
            s2 += red.projc[r][t] * bs.bulk2[t];
        }
        ok = std::fabs(s) < bulkoutside && (bs.nbulk <= 1 || std::fabs(s2) < bulkoutside);
    }
    if (ok) return;
    if (!sf.dogminon || sf.dogminlevel > 1) {
        if (sf.dogminon) putstr(0, "<" + std::string(50, '=') + ">", 1, runio::msol);
        std::string line = "reduced system needed for handling equilibrium involving: ";
        for (int i = 1; i <= ph.nph; ++i)
            if (subset[i]) line += phasename(i) + " ";
        putstr(sf.dogminon ? 0 : 1, line, 1, runio::msol);
        if (!sf.dogminon && checked) {
            putstr(0, "bulk NOT in reduced system", 1, runio::msol);
            printconstraints();
        }
    }
    if (sf.debuglevel > 1 && !sf.dogminon) {
        reductiondump(!checked);
        bomb("calcrankp", "bulk not in reduced system", 0);
    }
}

void calcwhat()
{
    const thermodata::Components& cs = thermodata::comps;
    const runio::ScriptFlags& sf = runio::scriptflags;
    if (ph.npure >= 2 && ph.nss == 0 && numerics::bulks.nbulk == 0) {
        if (thermodata::ds.dsnew) {
            runio::screenwrite("\nno solid solutions involved: run in mode 3\n");
            bomb("calcwhat", "not currently implemented", 0);
        }
        if (sf.dogminon) resultroutines.dogminreport();
        return;
    }
    const int top = numerics::phchoice.variance0;
    int bottom = sf.dogminon ? runio::scripttabs.varrange.lowest : top;
    if (bottom > top) bottom = top;
    if (cs.ncomp0 < 1) bomb("calcwhat", "nu < 1", 0);
    numerics::PhaseFlags inuse{}, subset{}, handed{};
    numerics::IndexVector comb{};
    for (int v = top; v >= bottom; --v) {
        if (sf.dogminon) {
            runio::win.variance = v;
            runio::scriptflags.modesinnle = v != 2;
            runio::scriptflags.modesafternle = v == 2;
        }
        int nphases = 0, rank = 0;
        phaselist(inuse, nphases, rank);
        const int k = rank + 2 - v;
        if (k < 1 || k > nphases) continue;
        numerics::startcombination(comb, k);
        for (;;) {
            Verdict verdict;
            bool more = false;
            nextassemblage(comb, inuse, subset, nphases, k, verdict, more);
            if (!more) break;
            if (sf.debuglevel > 1) listassemblage(subset, verdict, rank, k, nphases);
            if (!verdict.excluded || given(runio::scriptset.batchsw)) {
                handed = subset;
                solve(handed);
            }
        }
    }
    if (sf.dogminon) resultroutines.dogminreport();
}

}  // namespace phasediagram
