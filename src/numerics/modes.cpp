// Modes of the phases of a solved assemblage found after the solve, by mass
// balance of the phase compositions against the bulk of every bulk point;
// the atoms per formula unit of the phases; and the reaction among the
// phases of the assemblage with its text.
//
// Modes are on a one-atom basis: the mode of a phase is its share of the
// atoms of the rock, atoms counted over all components.
#include <cmath>

#include "numerics/nlestate.h"
#include "numerics/result.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace numerics {

namespace {

using axmodels::ph;
using runio::bomb;

constexpr double balancefloor = 1e-12;   // a bulk coefficient below this: the bulk is not balanced
constexpr double smallcoef = 1e-8;       // reaction coefficients below this share of the largest count as positive

using EntryTable = runio::Arr<int, thermodata::maxem + 1>;

bool exbuffgiven() { return runio::scriptset.exbuff == 0; }

// The buffered fluid stays out of the modes: its amount is not set by the bulk.
bool bufferedfluid(int phase) { return exbuffgiven() && ph.prec1[phase].fluid; }

bool hasfreecomponent(const axmodels::PurePhase& p)
{
    const thermodata::Components& cs = thermodata::comps;
    for (int c = 1; c <= cs.ncomp; ++c)
        if (cs.oxfree[c] && p.comp[c] != 0) return true;
    return false;
}

// The tables of one call of calcmodesafternle: the composition of each
// phase column over the free components (per free atom once scaled), the
// result entry each column belongs to, the square system of one mass
// balance and its solution.
struct ModeWork {
    int ncols = 0;
    int nfree = 0;
    FreeMap freecomp{};
    runio::Arr<runio::Arr<double, maxnlex + 1>, maxfreecomp + 1> c{};   // c[free component][column]
    runio::Arr<int, maxnlex + 1> colentry{};
    runio::Arr<int, maxnlex + 1> map{};   // column -> its column in w, 0 when left out
    runio::Arr<double, maxnlex + 1> y{};  // modes of the columns from the last balance
    RealMatrix w;
    EmTable x{};
};
ModeWork mw;

// The composition table: one column per phase of the assemblage in the
// mode order, per formula unit over the free components.
void makec(const PhaseFlags& phases)
{
    const Unknowns& u = unk;
    const thermodata::Components& cs = thermodata::comps;
    mw.nfree = freecomponentmap(mw.freecomp);
    if (mw.nfree != cs.nfreeox) bomb("makec", "nuvleft mismatch", 0);
    mw.ncols = 0;
    int entry = 0;
    auto newcolumn = [&]() {
        if (mw.ncols + 1 > maxnlex) bomb("makec", "too many phases" + runio::maxlabel(maxnlex), 0);
        const int col = ++mw.ncols;
        mw.colentry[col] = entry;
        for (int jj = 1; jj <= mw.nfree; ++jj) mw.c[jj][col] = 0.0;
        return col;
    };
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e]) continue;
        ++entry;
        const int k = u.emphase[e];
        if (bufferedfluid(k)) continue;
        const axmodels::SolPhase& s = ph.prec1[k];
        const int col = newcolumn();
        double total = 0.0;
        for (int m = 1; m <= s.n; ++m) {
            const double q = axmodels::evalpoly(s.prop[m], u.nlex.data(), u.emfirstx[e]);
            total += q;
            for (int jj = 1; jj <= mw.nfree; ++jj) {
                const int c = mw.freecomp[jj];
                mw.c[jj][col] += q * s.em[m].comp[c] / static_cast<double>(cs.compmult[c]);
            }
        }
        for (int jj = 1; jj <= mw.nfree; ++jj) mw.c[jj][col] /= total;
    }
    for (int p = 1; p <= ph.npure; ++p) {
        if (!phases[ph.nss + p]) continue;
        ++entry;
        const axmodels::PurePhase& pp = ph.prec0[p];
        if (!hasfreecomponent(pp)) continue;
        const int col = newcolumn();
        for (int jj = 1; jj <= mw.nfree; ++jj) {
            const int c = mw.freecomp[jj];
            mw.c[jj][col] = pp.comp[c] / static_cast<double>(cs.compmult[c]);
        }
    }
}

// The bulk of bulk point b (fractions over the free components), its
// position along the bulk range and its atoms.
void bulkpoint(int b)
{
    BulkSetup& bs = bulks;
    const int nf = mw.nfree;
    if (bs.nbulk <= 1) {
        bs.bulkpos = 0.0;
        for (int j = 1; j <= nf; ++j) bs.bulkcalc[j] = bs.bulk[j] / 100.0;
    } else {
        const double f = static_cast<double>(b - 1) / (bs.nbulk - 1);
        bs.bulkpos = bs.bulkpropstart + f * (bs.bulkpropend - bs.bulkpropstart);
        for (int j = 1; j <= nf; ++j) bs.bulkcalc[j] = ((1.0 - f) * bs.bulk[j] + f * bs.bulk2[j]) / 100.0;
    }
    double atoms = 0.0;
    for (int j = 1; j <= nf; ++j) atoms += bs.bulkcalc[j] * thermodata::comps.compatoms[mw.freecomp[j]];
    bs.bulkatoms = std::fabs(atoms - 1.0) <= 1e-6 ? 1.0 : atoms;
}

// The modes of the columns mapped into the balance, at the bulk of the
// current point: true when the bulk is a non-negative combination of them.
// Unless testonly, mw.y receives the modes per column on the one-atom basis
// (0 for a column left out), summing to 1.
bool massbalancemodes(bool testonly, const AtomTable& atoms, const AtomTable& freeatoms)
{
    const int nf = mw.nfree;
    const int n = nf + 1;
    // The columns the set does not fill stay zero: with a rank deficit the
    // set has fewer phases than free components.
    for (int j = 1; j <= nf; ++j)
        for (int i = 1; i <= nf; ++i) mw.w[i][j] = 0.0;
    for (int col = 1; col <= mw.ncols; ++col) {
        const int v = mw.map[col];
        if (v == 0) continue;
        for (int i = 1; i <= nf; ++i) mw.w[i][v] = mw.c[i][col];
    }
    for (int i = 1; i <= nf; ++i) mw.w[i][n] = bulks.bulkcalc[i];
    realreaction(mw.w, nf, n, mw.x);
    // A composition that is no number balances nothing: the tests are
    // written so that a NaN fails them.
    if (!(std::fabs(mw.x[n]) >= balancefloor)) return false;
    const double bulkcoef = mw.x[n];
    for (int k = 1; k <= n; ++k) mw.x[k] = -mw.x[k] / bulkcoef;
    for (int k = 1; k <= nf; ++k)
        if (!(mw.x[k] >= 0.0) || !std::isfinite(mw.x[k])) return false;
    if (testonly) return true;
    // Per free atom to per atom over all components.
    double total = 0.0;
    for (int col = 1; col <= mw.ncols; ++col) {
        const int v = mw.map[col];
        if (v == 0) continue;
        mw.x[v] *= atoms[col] / freeatoms[col];
        total += mw.x[v];
    }
    if (!std::isfinite(total)) return false;
    for (int col = 1; col <= mw.ncols; ++col) {
        const int v = mw.map[col];
        if (v == 0)
            mw.y[col] = 0.0;
        else
            mw.y[col] = std::fabs(total) > 1e-10 ? mw.x[v] / total : 0.001;
    }
    return true;
}

// Maps the columns flagged in use into the balance, in column order;
// returns how many.
int mapcolumns(const runio::Arr<bool, maxnlex + 1>& use)
{
    int v = 0;
    for (int col = 1; col <= mw.ncols; ++col) mw.map[col] = use[col] ? ++v : 0;
    return v;
}

// Mode vector vec of the result from the modes of the last balance.
void storevector(int vec, int point)
{
    ResultRec& r = result;
    for (int col = 1; col <= mw.ncols; ++col) r.ph[mw.colentry[col]].mode[vec] = mw.y[col];
    r.vecrow[vec] = point;
}

// The phases of the assemblage as columns of their compositions over all
// components, and the one reaction among them, H2O and CO2 on the product
// side; entryof gives the result entry of each column.
void reactioncolumns(const PhaseFlags& phases, NameTable& names, EmTable& coef, int& count, EntryTable& entryof)
{
    const Unknowns& u = unk;
    const thermodata::Components& cs = thermodata::comps;
    static RealMatrix a;
    count = 0;
    int entry = 0;
    auto column = [&](const std::string& name) {
        if (count + 1 > thermodata::maxem) bomb("assemblagereaction", "too many phases", 0);
        names[++count] = name;
        entryof[count] = entry;
        return count;
    };
    auto fromintegers = [&](int col, const runio::Arr<int, thermodata::maxcomp + 1>& comp) {
        for (int c = 1; c <= cs.ncomp; ++c) a[c][col] = comp[c] / static_cast<double>(cs.compmult[c]);
    };
    // With an externally buffered H2O-CO2 fluid on a divariant set-up, H2O
    // and CO2 take part each on its own.
    const bool split = runio::win.fluidtype == 5 && exbuffgiven() && phchoice.variance0 == 2;
    CompVector comp{};
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e]) continue;
        ++entry;
        const axmodels::SolPhase& s = ph.prec1[u.emphase[e]];
        if (split && s.fluid) {
            for (int m = 1; m <= 2 && m <= s.n; ++m) fromintegers(column(s.em[m].name), s.em[m].comp);
            continue;
        }
        const int col = column(s.name);
        phasebulk(e, comp);
        for (int c = 1; c <= cs.ncomp; ++c) a[c][col] = comp[c];
    }
    for (int p = 1; p <= ph.npure; ++p) {
        if (!phases[ph.nss + p]) continue;
        ++entry;
        fromintegers(column(ph.prec0[p].name), ph.prec0[p].comp);
    }
    realreaction(a, cs.ncomp, count, coef);
    // Fluid on the product side.
    double fluid = 0.0;
    for (int k = 1; k <= count; ++k)
        if (names[k] == "H2O" || names[k] == "CO2") fluid += coef[k];
    if (fluid < 0.0)
        for (int k = 1; k <= count; ++k) coef[k] = -coef[k];
}

// One mode vector per bulk point: as many phases as independent free components.
void nomodereaction(const AtomTable& atoms, const AtomTable& freeatoms)
{
    ResultRec& r = result;
    runio::Arr<bool, maxnlex + 1> use{};
    for (int col = 1; col <= mw.ncols; ++col) use[col] = true;
    mapcolumns(use);
    for (int b = 1; b <= bulks.nbulk; ++b) {
        bulkpoint(b);
        if (!massbalancemodes(false, atoms, freeatoms)) {
            r.modestatus[b] = 0;
            continue;
        }
        r.bulkx[b] = bulks.bulkpos;
        r.modestatus[b] = 1;
        if (r.firstmodept == 0) r.firstmodept = b;
        if (r.nmodevec + 1 > maxresbulk) bomb("modes after nle", "too many modes", 0);
        storevector(++r.nmodevec, b);
    }
}

// Two mode vectors per bulk point, one at each end of the reaction among
// the phases: at each end a phase on one side of the reaction is used up.
void onemodereaction(const PhaseFlags& phases, const AtomTable& atoms, const AtomTable& freeatoms,
                     std::string& text)
{
    ResultRec& r = result;
    static NameTable names;
    static EmTable coef;
    static EntryTable entryof;
    int count = 0;
    reactioncolumns(phases, names, coef, count, entryof);
    if (lastsolvedropped())
        text = "####";
    else
        printrealreaction(coef, names.data(), count, text);
    runio::Arr<double, maxnlex + 1> rc{};
    double largest = 0.0;
    for (int col = 1; col <= mw.ncols; ++col) {
        for (int k = 1; k <= count; ++k)
            if (entryof[k] == mw.colentry[col]) rc[col] = coef[k];
        largest = std::fmax(largest, std::fabs(rc[col]));
    }
    int npos = 0, nneg = 0;
    for (int col = 1; col <= mw.ncols; ++col) {
        if (std::fabs(rc[col]) < smallcoef * largest) rc[col] = runio::run.macheps;
        if (rc[col] > 0.0)
            ++npos;
        else
            ++nneg;
    }
    if (npos < nneg)
        for (int col = 1; col <= mw.ncols; ++col) rc[col] = -rc[col];
    const bool positive[] = {false, true};
    auto onside = [&](int col, bool pos) { return (rc[col] > 0.0) == pos; };

    // The set of the phases of one side and the other side less phase u;
    // the balance is square only when it has as many phases as the free
    // components that the phases span.
    const int setsize = mw.nfree - red.rankdeficit;
    auto without = [&](int u) {
        runio::Arr<bool, maxnlex + 1> use{};
        for (int col = 1; col <= mw.ncols; ++col) use[col] = col != u;
        return mapcolumns(use);
    };
    int npoints = 0;
    for (int b = 1; b <= bulks.nbulk; ++b) {
        bulkpoint(b);
        r.bulkx[b] = bulks.bulkpos;
        int status = 0;
        for (int u = 1; u <= mw.ncols && status == 0; ++u) {
            if (!onside(u, false)) continue;
            if (without(u) != setsize) {
                status = -1;
                break;
            }
            if (massbalancemodes(true, atoms, freeatoms)) status = 1;
        }
        r.modestatus[b] = status;
        if (status != 1) continue;
        if (npoints + 1 > maxmodevec) bomb("modes after nle", "too many", 0);
        ++npoints;
        if (r.firstmodept == 0) r.firstmodept = b;
        // Vector 2k - 1 with a phase of the negative side used up, 2k with
        // one of the positive side; a vector no set balances stays zero.
        for (int end = 0; end < 2; ++end) {
            const int vec = 2 * npoints - 1 + end;
            for (int u = 1; u <= mw.ncols; ++u) {
                if (!onside(u, positive[end]) || without(u) != setsize) continue;
                if (massbalancemodes(false, atoms, freeatoms)) {
                    storevector(vec, b);
                    break;
                }
            }
            r.vecrow[vec] = b;
        }
    }
    r.nmodevec = 2 * npoints;
}

}  // namespace

int freecomponentmap(FreeMap& map)
{
    const thermodata::Components& cs = thermodata::comps;
    int n = 0;
    for (int c = 1; c <= cs.ncomp; ++c)
        if (cs.oxfree[c] && n < maxfreecomp) map[++n] = c;
    return n;
}

bool heldbysetting(const std::string& name)
{
    const runio::ScriptTables& st = runio::scripttabs;
    for (int a = 1; a <= st.nsetmu; ++a)
        if (st.setmuname[a] == name) return true;
    for (int a = 1; a <= st.nseta; ++a)
        if (st.setaname[a] == name) return true;
    return false;
}

bool lastsolvedropped() { return nst.svdropped; }

void phaseatoms(const PhaseFlags& phases, AtomTable& atoms, AtomTable& freeatoms, int& count)
{
    const Unknowns& u = unk;
    const thermodata::Components& cs = thermodata::comps;
    for (int k = 1; k <= maxnlex; ++k) atoms[k] = freeatoms[k] = 0.0;
    count = 0;
    auto add = [&](const CompVector& amount) {
        if (count + 1 > maxnlex) bomb("phaseatoms", "too many phases" + runio::maxlabel(maxnlex), 0);
        ++count;
        for (int c = 1; c <= cs.ncomp; ++c) {
            const double a = amount[c] * cs.compatoms[c];
            atoms[count] += a;
            if (cs.oxfree[c]) freeatoms[count] += a;
        }
    };
    CompVector comp{};
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e] || bufferedfluid(u.emphase[e])) continue;
        phasebulk(e, comp);
        add(comp);
    }
    for (int p = 1; p <= ph.npure; ++p) {
        if (!phases[ph.nss + p]) continue;
        const axmodels::PurePhase& pp = ph.prec0[p];
        if (heldbysetting(pp.name) || !hasfreecomponent(pp)) continue;
        for (int c = 1; c <= cs.ncomp; ++c) comp[c] = pp.comp[c] / static_cast<double>(cs.compmult[c]);
        add(comp);
    }
    for (int k = count + 1; k <= maxnlex; ++k) atoms[k] = freeatoms[k] = 1.0;
}

void calcmodesafternle(const PhaseFlags& phases, bool& ok, std::string& text, AtomTable& atoms,
                       AtomTable& freeatoms)
{
    ResultRec& r = result;
    text = "????";
    makec(phases);
    int count = 0;
    phaseatoms(phases, atoms, freeatoms, count);
    if (count != mw.ncols) {
        std::string l;
        runio::addfield(runio::inttext(count), 4, l);
        runio::addfield(runio::inttext(mw.ncols), 4, l);
        runio::screenwrite(l + "\n");
        bomb("calcmodesafternle", "dimensions do not match", 0);
    }
    for (int col = 1; col <= mw.ncols; ++col)
        for (int jj = 1; jj <= mw.nfree; ++jj) mw.c[jj][col] /= freeatoms[col];
    for (int b = 1; b <= maxmodevec; ++b) r.modestatus[b] = 0;
    r.nmodevec = 0;
    r.firstmodept = 0;
    const int d = mw.nfree + 2 - mw.ncols - red.rankdeficit;
    if (d == 2)
        nomodereaction(atoms, freeatoms);
    else if (d == 1)
        onemodereaction(phases, atoms, freeatoms, text);
    unk.nmodes = mw.ncols;
    ok = false;
    for (int b = 1; b <= bulks.nbulk && !ok; ++b) ok = r.modestatus[b] == 1;
}

void assemblagereaction(const PhaseFlags& phases, NameTable& names, EmTable& coef, int& count, std::string& text)
{
    static EntryTable entryof;
    reactioncolumns(phases, names, coef, count, entryof);
    // A solve that dropped singular values leaves the reaction in doubt.
    if (lastsolvedropped()) {
        text = "####";
        count = 0;
        return;
    }
    printrealreaction(coef, names.data(), count, text);
}

}  // namespace numerics
