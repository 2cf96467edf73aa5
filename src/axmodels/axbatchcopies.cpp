// Batch copies: a batch whose starting-guess block sets some compositional
// variables of a phase to 0 calculates with the smaller model left without
// them, so it gets a contracted copy of the phase. Batches that zero the same
// variables share one copy, named after the phase with "-1", "-2" ...
#include <vector>

#include "axmodels/axread.h"
#include "runio/runio.h"
#include "runio/scriptset.h"

namespace axmodels {

namespace {

// Different zero patterns one phase may have; the copies are numbered 1 to 14.
constexpr int maxboils = 15;

int withentry(const std::string& name)
{
    const runio::ScriptTables& st = runio::scripttabs;
    for (int i = 1; i <= st.nwith; ++i)
        if (st.withnames[i] == name) return i;
    return 0;
}

int xrefentry(const std::string& name)
{
    const int w = withentry(name);
    if (w == 0) runio::bomb("read", "no xref", 0);
    return w;
}

int blockentry(const runio::BatchGuess& blk, const std::string& name, int from)
{
    for (int i = from; i <= blk.n; ++i)
        if (blk.name[i] == name) return i;
    return 0;
}

bool samevariables(const SolPhase& a, const SolPhase& b)
{
    if (a.nvar != b.nvar) return false;
    for (int v = 1; v <= a.nvar; ++v)
        if (a.var[v].name != b.var[v].name) return false;
    return true;
}

// Contracts copy k. Its parent may have been contracted already by zero
// guesses of its own; the kept flags and the count as read then still refer
// to the end-members as read from the a-x file.
void contractcopy(int k)
{
    SolPhase& c = ph.prec1[k];
    const bool before = c.nasread > 0;
    const int nasread = c.nasread;
    const runio::Arr<bool, maxsolem + 1> keptbefore = c.emkept;
    contractphase(k);
    if (!before) return;
    runio::Arr<bool, maxsolem + 1> kept{};
    int j = 0;
    for (int i = 1; i <= nasread; ++i)
        if (keptbefore[i]) kept[i] = c.emkept[++j];
    c.emkept = kept;
    c.nasread = nasread;
}

void addmcphase(runio::McRef& r, const std::string& parent, const std::string& copy, const std::string& message)
{
    bool on = false;
    for (int i = 1; i <= r.nphases; ++i) on = on || r.phases[i] == parent;
    if (!on) return;
    if (r.nphases + 1 > runio::maxmcphases) runio::bomb("read", message, 0);
    r.phases[++r.nphases] = copy;
}

// References of the batch to phase entry "from" now go to entry "to".
void repoint(runio::BatchRec& r, int from, int to)
{
    for (int i = 1; i <= r.niso; ++i)
        if (r.isophase[i] == from) r.isophase[i] = to;
    for (int i = 1; i <= r.nmodeset; ++i)
        if (r.modephase[i] == from) r.modephase[i] = to;
    if (r.oddphase == from) r.oddphase = to;
}

// Solution phase k as batch b's block sets it: a copy when the block zeroes
// one of its variables. nss0 is the count of phases before any batch copy.
void boildown(int b, int k, int nss0)
{
    runio::BatchTables& bt = runio::batches;
    runio::ScriptTables& st = runio::scripttabs;
    runio::BatchRec& r = bt.batchrec[b];
    const runio::BatchGuess& blk = bt.batchguess[r.kxyz];
    const SolPhase& s = ph.prec1[k];
    if (s.nvar < 1) return;

    const std::string& firstvar = s.var[1].name;
    const int first = blockentry(blk, firstvar, 1);
    if (first == 0) {
        runio::putstr(2,
                      "problem in starting guess block " + runio::inttext(r.kxyz) + " - missing phase " + s.name +
                          " for batch " + runio::inttext(b) + "?",
                      1, runio::msol);
        runio::bomb("read", "can't find first var " + firstvar, 0);
    }
    const int last = blockentry(blk, s.var[s.nvar].name, first);
    if (last == 0) {
        std::string line = "batch ";
        runio::addfield(runio::inttext(b), 3, line);
        runio::putstr(0, line, 1, runio::mscreen);
        runio::bomb("read", "no last var for " + s.name, 0);
    }
    // The stretch must hold the phase's variables in order: values are taken
    // by place, so a stretch of other length would shift them onto the wrong
    // variables.
    for (int v = 1; v <= s.nvar; ++v) {
        const int i = first + v - 1;
        const std::string given = i <= last ? blk.name[i] : std::string();
        const std::string& name = s.var[v].name;
        if (given != name)
            runio::bomb("read", "xyzguess names don't match: \"" + name + "\" \"" + given + "\"", 0);
    }
    int nzero = 0;
    for (int i = first; i <= last; ++i)
        if (blk.value[i] == 0.0) ++nzero;
    if (nzero == 0) return;

    if (ph.nss + 1 > maxnp) runio::bomb("read", "numbers of phases in boil down", 0);
    const int kc = ++ph.nss;
    SolPhase& c = ph.prec1[kc];
    c = s;
    for (int v = 1; v <= c.nvar; ++v) {
        XyzVar& x = c.var[v];
        x.guess = blk.value[first + v - 1];
        if (x.guess != 0.0) continue;
        for (int a = 1; a <= c.nvarasread; ++a)
            if (c.varnameasread[a] == x.name) c.varnonzero[a] = false;
        c.zeroedname[++c.nzeroed] = x.name;
    }
    contractcopy(kc);

    // An earlier copy of the same phase with the same variables left is the
    // same model: the batch uses it.
    int n = 1, reuse = 0;
    if (kc - 1 > nss0) {
        for (;; ++n) {
            if (n == maxboils) runio::bomb("setupphases", "too many boils", 0);
            const std::string name = s.name + "-" + runio::inttext(n);
            int j = 0;
            for (int i = nss0 + 1; i < kc && j == 0; ++i)
                if (ph.prec1[i].name == name) j = i;
            if (j == 0) break;
            if (samevariables(ph.prec1[j], c)) {
                reuse = j;
                break;
            }
        }
    }
    const int parent = xrefentry(s.name);
    int entry;
    if (reuse == 0) {
        c.name = s.name + "-" + runio::inttext(n);
        if (st.nwith + 1 > runio::maxwith) runio::bomb("read", "number of whichstrings", 0);
        entry = ++st.nwith;
        st.withnames[entry] = c.name;
        st.withlistflag[entry] = true;
        st.withlistcount[entry] = 0;
        for (int i = 1; i <= bt.nbatch; ++i) bt.batchrec[i].present[entry] = false;
        runio::McTables& m = runio::mcs;
        for (int i = 1; i <= m.nmc; ++i)
            addmcphase(m.mcitems[i].ref, s.name, c.name, "number of mcphase");
        for (int i = 1; i <= m.nmccorr; ++i) {
            runio::McCorr& cr = m.mccorrs[i];
            addmcphase(cr.ref1, s.name, c.name, "number of mcphase1");
            addmcphase(cr.ref2, s.name, c.name, "number of mcphase2");
        }
    } else {
        --ph.nss;
        entry = xrefentry(ph.prec1[reuse].name);
    }
    r.present[parent] = false;
    r.present[entry] = true;
    repoint(r, parent, entry);
}

}  // namespace

void makebatchcopies()
{
    if (runio::scriptset.batchsw != 0) return;
    runio::BatchTables& bt = runio::batches;
    const runio::ScriptTables& st = runio::scripttabs;
    const int nss0 = ph.nss;
    const int nwith0 = st.nwith;

    // Where each phase of the with list stands: solution phases first, then pure phases.
    std::vector<int> position(nwith0 + 1, 0);
    for (int i = 1; i <= nwith0; ++i) {
        const std::string& name = st.withnames[i];
        int pos = 0;
        for (int k = 1; k <= ph.nss && pos == 0; ++k)
            if (ph.prec1[k].name == name) pos = k;
        for (int k = 1; k <= ph.npure && pos == 0; ++k)
            if (ph.prec0[k].name == name) pos = ph.nss + k;
        if (pos == 0) runio::bomb("read", "name fubar with " + name, 0);
        position[i] = pos;
    }

    for (int b = 1; b <= bt.nbatch; ++b) {
        const runio::BatchRec& r = bt.batchrec[b];
        if (r.kxyz < 1 || r.kxyz > bt.nbatchguess) continue;
        std::vector<bool> used(nss0 + 1, false);
        for (int i = 1; i <= nwith0; ++i) {
            const int pos = position[i];
            if (r.present[i] && pos <= nss0) used[pos] = true;
        }
        for (int k = 1; k <= nss0; ++k)
            if (used[k]) boildown(b, k, nss0);
    }

    // The zeroes are now in the copies' models, no longer guesses.
    for (int g = 1; g <= bt.nbatchguess; ++g) {
        runio::BatchGuess& blk = bt.batchguess[g];
        int kept = 0;
        for (int i = 1; i <= blk.n; ++i) {
            if (blk.value[i] == 0.0) continue;
            const auto to = ++kept;
            blk.name[to] = blk.name[i];
            blk.value[to] = blk.value[i];
            blk.low[to] = blk.low[i];
            blk.high[to] = blk.high[i];
        }
        blk.n = kept;
        blk.nzero = 0;
    }

    if (runio::scriptset.batchdebug == 0) runio::printbatchsummary();
    if (runio::mcs.nmc > 0) runio::printmcsummary();
}

}  // namespace axmodels
