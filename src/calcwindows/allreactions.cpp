// Every reaction among the end-members of a system, found component
// subsystem by component subsystem: in each subset of k components, every
// choice of rank + 1 of the phases that lie in it gives one reaction, unless
// it holds an assemblage already known (a reaction formed before, or an
// assemblage found metastable). For the all-reactions diagram the
// intersections of the lines are gathered too; for an average P-T the
// search stops at an independent set.
#include <cmath>

#include "calcwindows/reactions.h"
#include "numerics/numerics.h"
#include "runio/runio.h"

namespace calcwindows {

ReactionSearch rsearch;

namespace {

using numerics::IndexVector;
using runio::msl;
using runio::msol;
using runio::putstr;
using thermodata::comps;
using thermodata::ems;

// A Schreinemakers analysis: reactions outside the window rule out assemblages.
bool schreinemakers() { return runio::run.calcmode == 3 && !win.allreactions; }

BitSet3 setof(const EmFlags& flags)
{
    BitSet3 s{};
    runio::BClr2(s);
    for (int j = 1; j <= comps.nemr; ++j)
        if (flags[j]) runio::BSet2(s, j);
    return s;
}

// The phases of the reaction system that lie in the components of the
// combination and are not left out of the calculation; their number.
int usablephases(const IndexVector& comb, int k, CompFlags& compflags, EmFlags& usable)
{
    compflags.fill(false);
    for (int m = 1; m <= k; ++m) compflags[comb[m]] = true;
    usable.fill(false);
    int count = 0;
    for (int j = 1; j <= comps.nemr; ++j) {
        bool ok = !excludedem(j);
        for (int q = 1; q <= comps.ncomp0 && ok; ++q)
            if (!compflags[q] && comps.c[q][j] != 0) ok = false;
        usable[j] = ok;
        if (ok) ++count;
    }
    return count;
}

// The usable phases chosen by a combination of their numbers.
void choose(const IndexVector& comb, int kk, const EmFlags& usable, EmFlags& subset)
{
    subset.fill(false);
    int i = 0, next = 1;
    for (int j = 1; j <= comps.nemr; ++j) {
        if (!usable[j]) continue;
        ++i;
        if (next <= kk && comb[next] == i) {
            subset[j] = true;
            ++next;
        }
    }
}

// The usable phases chosen by a combination, and whether they are ruled
// out: by a left-out end-member, an assemblage found metastable, or one of
// the known sets (formed reactions, or recorded intersections) within them.
template <std::size_t N>
bool pick(const IndexVector& comb, int kk, const EmFlags& usable, EmFlags& subset,
          const runio::Arr<BitSet3, N>& known, int nknown)
{
    choose(comb, kk, usable, subset);
    const BitSet3 set = setof(subset);
    for (int e = 1; e <= ems.nexcl; ++e) {
        const int p = ems.exclem[e];
        if (p >= 1 && p <= comps.nemr && subset[p]) return true;
    }
    for (int e = 1; e <= rsearch.nexclass; ++e)
        if (runio::setsubset3(rsearch.exclass[e], set)) return true;
    for (int m = 1; m <= nknown; ++m)
        if (runio::setsubset3(known[m], set)) return true;
    return false;
}

// The reactions among the rank + 2 phases meet in one point: at least three
// of them are needed to record it.
void recordintersection(const EmFlags& subset)
{
    ReactionSearch& rs = rsearch;
    const BitSet3 set = setof(subset);
    runio::Arr<int, thermodata::maxrxn + 1> found{};
    int n = 0;
    for (int m = 1; m <= rxns.nrxn; ++m)
        if (runio::setsubset3(rxns.rxnphases[m], set)) found[++n] = m;
    if (n < 3) return;
    const int pt = ++rs.nptrxn;
    rs.nptreactions[pt] = n;
    BitSet3 u{};
    runio::BClr2(u);
    for (int k = 1; k <= n; ++k) {
        rs.ptrxn[pt][k] = found[k];
        for (int w = 1; w <= 3; ++w) u[w] = runio::BOr(u[w], rxns.rxnphases[found[k]][w]);
    }
    rs.ptphases[pt] = u;
}

void writephaseline()
{
    rsearch.phaselinedone = true;
    progresschar("|");
}

// May this component subsystem still give reactions for the independent
// set of an average P-T? Sets the number it is to give.
bool calclnir(const EmFlags& usable, int k)
{
    ReactionSearch& rs = rsearch;
    const bool full = k == comps.ncomp0;
    // The kept reactions only: rxnphases follows the reaction set.
    const BitSet3 us = setof(usable);
    int have = 0;
    for (int m = 1; m <= rxns.nrxn; ++m)
        if (runio::setsubset3(rxns.rxnphases[m], us)) ++have;
    rs.nsubrxn = rs.nsubstart = have;
    int need = (rs.nmax - rs.rankc) - have;
    if (need != 0 && rxns.nrxn > 0 && !full) {
        int freeems = 0, others = 0;
        for (int j = 1; j <= comps.nemr; ++j) {
            bool used = false;
            for (int m = 1; m <= rxns.nrxn && !used; ++m) used = rxns.r[m][j] != 0;
            if (used) continue;
            if (usable[j])
                ++freeems;
            else
                ++others;
        }
        if (others > 0) {
            const int missing = rs.nindep - rxns.nrxn;
            if (missing == 1)
                need = 0;
            else if (missing <= 2 && freeems < need)
                need = freeems;
        }
    }
    rs.nsubmax = have + need;
    return need >= 1;
}

// The intersections among rank + 2 phases of the subsystem.
void intersections(const EmFlags& usable)
{
    ReactionSearch& rs = rsearch;
    if (rs.nmax < 3) {
        putstr(1, "no intersections with less than 3 phases?!", 1, msl);
        putstr(0, "REALLY should not have got to here  (A) ...", 1, msl);
        return;
    }
    if (rs.rankc < 1) {
        putstr(1, "no reactions with less than 3 phases?!", 1, msl);
        putstr(0, "REALLY should not have got to here  (B) ...", 1, msl);
        return;
    }
    const int kk = rs.rankc + 2;
    IndexVector comb;
    EmFlags subset{};
    numerics::startcombination(comb, kk);
    for (;;) {
        bool more;
        numerics::nextcombination(comb, kk, rs.nmax, more);
        if (!more) break;
        const bool excluded = pick(comb, kk, usable, subset, rs.ptphases, rs.nptrxn);
        rs.ptfull = rs.nptrxn == maxpoints;
        if (!excluded && !rs.ptfull) recordintersection(subset);
    }
}

// The end-members and assemblages ruled out, on as many lines as they need.
void exclusionline()
{
    const ReactionSearch& rs = rsearch;
    std::string line;
    if (ems.nexcl == 0 && rs.nexclass == 0) {
        if (schreinemakers()) line = "no excluded assemblages";
        putstr(1, line, 1, msol);
        return;
    }
    // More than nine names to a line start another, under the first bar.
    constexpr int namesperline = 9;
    line = "excluded assemblages |";
    int names = 0, before = 1;
    auto breakline = [&]() {
        if (names <= namesperline) return;
        putstr(before, line, 1, msol);
        before = 0;
        line.clear();
        runio::addfield("|", 22, line);
        names = 0;
    };
    for (int e = 1; e <= ems.nexcl; ++e) {
        breakline();
        line += " " + ems.emname[ems.exclem[e]] + " |";
        ++names;
    }
    for (int a = 1; a <= rs.nexclass; ++a) {
        breakline();
        for (int j = 1; j <= comps.nemr; ++j)
            if (runio::BTst2(rs.exclass[a], j)) {
                line += " " + ems.emname[j];
                ++names;
            }
        line += " |";
    }
    putstr(before, line, 1, msol);
}

}  // namespace

void prunereactions(bool withtexts)
{
    ReactionSearch& rs = rsearch;
    const int n = rxns.nrxn;
    runio::Arr<int, thermodata::maxrxn + 1> newnumber{};
    int kept = 0;
    for (int m = 1; m <= n; ++m) {
        const BitSet3& set = rxns.rxnphases[m];
        bool stays = true;
        for (int e = 1; e <= rs.nexclass && stays; ++e) stays = !runio::setsubset3(rs.exclass[e], set);
        for (int e = 1; e <= ems.nexcl && stays; ++e) {
            const int p = ems.exclem[e];
            if (p >= 1 && p <= runio::maxbitel3) stays = !runio::BTst2(set, p);
        }
        newnumber[m] = stays ? ++kept : 0;
    }
    if (kept < n) {
        for (int m = 1; m <= n; ++m) {
            const int to = newnumber[m];
            if (to == 0 || to == m) continue;
            rxns.r[to] = rxns.r[m];
            rxns.rxnphases[to] = rxns.rxnphases[m];
            rxns.lnk[to] = rxns.lnk[m];
        }
        rxns.nrxn = kept;
        // Outside mode 2 the formed sets are those of the set itself.
        if (runio::run.calcmode != 2) {
            for (int m = 1; m <= kept; ++m) rs.formed[m] = rxns.rxnphases[m];
            rs.nformed = kept;
        }
        int points = 0;
        for (int pt = 1; pt <= rs.nptrxn; ++pt) {
            bool stays = true;
            for (int k = 1; k <= rs.nptreactions[pt] && stays; ++k) stays = newnumber[rs.ptrxn[pt][k]] != 0;
            if (!stays) continue;
            ++points;
            rs.nptreactions[points] = rs.nptreactions[pt];
            for (int k = 1; k <= rs.nptreactions[pt]; ++k) rs.ptrxn[points][k] = newnumber[rs.ptrxn[pt][k]];
            rs.ptphases[points] = rs.ptphases[pt];
        }
        rs.nptrxn = points;
    }
    if (withtexts) {
        rxns.rxntextwidth = 0;
        for (int m = 1; m <= rxns.nrxn; ++m) writereaction(m);
        rxns.rxntextwidth += 1;
    }
}

void calcre(bool& result)
{
    const int mode = runio::run.calcmode;
    if (mode == 1) runio::bomb("calcre", "mode 1 sent to the wrong place", 1);
    // The phases of a reaction are held as a set of at most 90 end-members.
    if (comps.nemr > runio::maxbitel3)
        runio::bomb("calcre", "too many end-members" + runio::maxlabel(runio::maxbitel3), 0);
    ReactionSearch& rs = rsearch;
    const Windows& w = win;
    rs.linewindow = false;
    result = false;
    EmFlags usable{}, subset{};
    CompFlags compflags{};

    if (mode == 2) {
        putstr(0, "reactions : ", 1, msl);
        rs.nmax = 0;
        for (int j = 1; j <= comps.nemr; ++j) {
            usable[j] = !excludedem(j);
            if (usable[j]) ++rs.nmax;
        }
        rs.rankc = selectionrank(usable);
        rs.nindep = rs.nmax - rs.rankc;
        writecmatrix();
        rs.linewindow = rs.rockcalc == 0 ? std::fabs(w.tcalc - w.tlow) < 0.1 : std::fabs(w.pcalc - w.plow) < 0.01;
    }

    rs.rxnfull = rs.ptfull = false;
    rs.nsubrxn = 0;
    rxns.nrxn = 0;
    rs.nformed = 0;
    rs.nptrxn = 0;
    int tried = 0;

    if (comps.ncomp0 < 1) {
        putstr(1, "no reactions in a system with no components?!", 1, msl);
        putstr(0, "should not have got to here...", 1, msl);
        return;
    }

    bool stopped = false, userstopped = false;
    IndexVector comb, phcomb;
    for (int k = 1; k <= comps.ncomp0 && !stopped; ++k) {
        numerics::startcombination(comb, k);
        for (;;) {
            bool more;
            numerics::nextcombination(comb, k, comps.ncomp0, more);
            if (!more || stopped) break;
            rs.nmax = usablephases(comb, k, compflags, usable);
            if (rs.nmax < 2) continue;
            rs.rankc = selectionrank(usable);
            if (rs.rankc + 1 > rs.nmax) continue;
            if (mode == 2 && !calclnir(usable, k)) continue;

            rs.phaselinedone = false;
            if (rs.rankc < 1) {
                putstr(1, "no reactions with less than 2 phases?!", 1, msl);
                putstr(0, "REALLY should not have got to here...", 1, msl);
            } else {
                const int kk = rs.rankc + 1;
                numerics::startcombination(phcomb, kk);
                for (;;) {
                    bool pmore;
                    numerics::nextcombination(phcomb, kk, rs.nmax, pmore);
                    if (!pmore) break;
                    if (pick(phcomb, kk, usable, subset, rs.formed, rs.nformed)) continue;
                    if (mode == 2 && rs.nsubrxn == rs.nsubstart && !rs.phaselinedone) writephaseline();
                    ++tried;
                    findreactions(k, compflags, usable, subset);
                    if (rxns.nrxn == thermodata::maxrxn) prunereactions(false);
                    rs.rxnfull = rxns.nrxn == thermodata::maxrxn;
                    if (mode != 2) {
                        stopped = rs.rxnfull;
                    } else if (rxns.nrxn == rs.nindep) {
                        stopped = true;
                    } else if (tried == progresstries && rxns.nrxn == 0 && runio::query("not much progress : exitt")) {
                        stopped = userstopped = true;
                    }
                    if (stopped || (mode == 2 && rs.nsubrxn >= rs.nsubmax)) break;
                }
            }
            if (mode == 3 && !stopped && !rs.ptfull && rs.rankc + 2 <= rs.nmax) intersections(usable);
        }
    }

    if (mode == 2) {
        result = rxns.nrxn == rs.nindep || userstopped;
        rs.incompleteset = rxns.nrxn < rs.nindep;
        const char* text = rxns.nrxn == 0        ? "no reactions"
                           : rs.incompleteset ? "an INCOMPLETE independent set of reactions has been calculated"
                                              : "an independent set of reactions has been calculated";
        putstr(1, text, 1, msol);
        return;
    }

    exclusionline();
    result = !rs.rxnfull && !rs.ptfull;
    prunereactions(true);
    if (rs.rxnfull)
        putstr(2,
               schreinemakers() ? "*** INCOMPLETE set of reactions and intersections ***"
                                : "*** INCOMPLETE set of reactions ***",
               1, msol);
    if (rs.ptfull && schreinemakers()) putstr(2, "*** INCOMPLETE set of  intersections ***", 1, msol);
    std::string summary = "no of reactions = " + runio::realstrshort(rxns.nrxn);
    if (schreinemakers()) summary += ", no of intersections = " + runio::realstrshort(rs.nptrxn);
    putstr(1, summary, 1, msol);
}

}  // namespace calcwindows
