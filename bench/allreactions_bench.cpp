// Cost of the all-reactions mode on made-up systems of five components whose
// end-members' G = H - TS + V (P - 1 bar) are nearly equal in the middle of a
// 1-20 kbar, 400-1000 C window, so that the lines of their reactions cross
// it: with twelve end-members the reaction search up to its limit of 150
// reactions, and the reaction table over 201 temperatures, every line solved
// at every temperature whether its column is shown or not; with ten, the
// search of the invariant points of a Schreinemakers analysis. Output goes
// nowhere.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "app/app.h"
#include "calcwindows/reactions.h"
#include "emcalcs/emcalcs.h"
#include "runio/scriptset.h"
#include "script/script.h"
#include "thermodata/gibbs.h"

namespace {

namespace td = thermodata;
using calcwindows::rxns;
using calcwindows::win;

constexpr int ncomp = 5;
constexpr double t0 = 973.15, p0 = 10.5;   // K, kbar: the middle of the window

// A fixed pseudo-random sequence in [0, 1).
double next(std::uint32_t& s)
{
    s = s * 1664525u + 1013904223u;
    return (s >> 8) / 16777216.0;
}

void buildsystem(int nem, double density = 0.5, std::uint32_t seed = 12345)
{
    static bool stored = false;
    if (!stored) {
        runio::makestarttables();   // the bit masks of the phase sets
        app::setupstore();
    }
    stored = true;
    runio::chans.chanset = 0;
    script::initscripts();
    runio::run.calcmode = 3;
    runio::run.diagrammode = 0;
    td::Components& cs = td::comps;
    td::EndMembers& e = td::ems;
    cs.ncomp = cs.ncomp0 = ncomp;
    cs.nexcess = 0;
    e.nem = cs.nemr = nem;
    e.ih2o = e.ico2 = e.logaem = e.nexcl = 0;
    for (int k = 1; k <= nem; ++k) {
        e.emname[k] = "e" + std::to_string(k);
        e.emdsname[k].clear();
        e.act[k] = 1.0;
        e.sdact[k] = 0.0;
        int atoms = 0;
        for (int q = 1; q <= ncomp; ++q) {
            // each end-member holds its own component and some of two others
            const int n = q == (k - 1) % ncomp + 1 ? 2 : (next(seed) < density ? 1 + static_cast<int>(next(seed) * 2) : 0);
            cs.c[q][k] = n;
            atoms += n;
        }
        td::TdRow& r = e.td[k];
        r.fill(0.0);
        r[td::sS] = 0.02 * atoms + 0.05 * next(seed);
        r[td::sV] = 1.0 * atoms + 1.0 * next(seed);
        r[td::sH] = t0 * r[td::sS] - r[td::sV] * (p0 - td::pref) + 0.5 * (next(seed) - 0.5);
        for (int l = 1; l <= nem; ++l) e.covat(k, l) = k == l ? 0.25 : 0.0;
    }
    for (int q = 1; q <= ncomp; ++q) {
        cs.compname[q] = "c" + std::to_string(q);
        cs.compmult[q] = 1;
    }

    win.plow = 1.0;
    win.phigh = 20.0;
    win.tlow = 673.15;
    win.thigh = 1273.15;
    win.pcalc = p0;
    win.tcalc = t0;
    win.xco2 = win.xh2o = 0.0;
    win.calcvariable = 0;
    win.othervariable = 1;
    win.pdecimals = 4;
    win.tdecimals = 2;
    win.ntlist = 201;
    for (int j = 1; j <= 201; ++j) win.tlist[j] = 673.15 + 3.0 * (j - 1);
    emcalcs::rxlines.solvedvar = 1;
}

void findreactions(bool allreactions)
{
    win.allreactions = allreactions;
    td::ems.nexcl = 0;
    calcwindows::rsearch = calcwindows::ReactionSearch{};
    bool complete;
    calcwindows::calcre(complete);
}

void reactionsearch(benchmark::State& state)
{
    buildsystem(12);
    for (auto _ : state) findreactions(true);
    state.counters["reactions"] = rxns.nrxn;
}

void reactiontable(benchmark::State& state)
{
    buildsystem(12);
    findreactions(true);
    for (auto _ : state) emcalcs::ptxtable();
    state.counters["reactions"] = rxns.nrxn;
    int found = 0;
    for (int i = 1; i <= rxns.nrxn; ++i)
        for (int j = 1; j <= win.ntlist; ++j) found += win.plow <= emcalcs::rxlines.linesol1[i][j] &&
                                                      emcalcs::rxlines.linesol1[i][j] <= win.phigh;
    state.counters["solutions_in_window"] = found;
}

// The Schreinemakers analysis: the lines tabulated once, then the search of
// the recorded points, each crossing refined, judged and reported.
void intersectionsearch(benchmark::State& state)
{
    // ten end-members, sparser in components: about 100 reactions and 100 points
    buildsystem(10, 0.4, 1);
    findreactions(false);
    emcalcs::ptxtable();
    for (auto _ : state) emcalcs::intersections();
    state.counters["reactions"] = rxns.nrxn;
    state.counters["points"] = calcwindows::rsearch.nptrxn;
    state.counters["abscissae"] = win.ntlist;
}

}  // namespace

BENCHMARK(intersectionsearch)->Unit(benchmark::kMillisecond);
BENCHMARK(reactionsearch)->Unit(benchmark::kMillisecond);
BENCHMARK(reactiontable)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
