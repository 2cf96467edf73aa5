// Cost of one end-member Gibbs energy: gemmake over a P-T grid for the
// end-members of the example dataset (examples/pm-ds6ex.txt, read with the
// dataset reader), by kind: plain solids, the liquid, Landau and
// Bragg-Williams phases, and H2O and CO2 under each fluid equation of state.
// The "per_call" counter is the time of one call.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app.h"
#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"

namespace {

namespace td = thermodata;

enum Kind { solid, liquid, landau, braggwilliams, water, carbondioxide, nkinds };

// Working positions of the dataset's end-members of each kind.
std::array<std::vector<int>, nkinds> members;

void readexample()
{
    static bool done = false;
    if (done) return;
    done = true;
    if (chdir(PM_EXAMPLES) != 0) {
        std::perror(PM_EXAMPLES);
        std::exit(1);
    }
    app::setupstore();
    runio::chans.chanset = 0;
    runio::run.calcmode = 0;
    runio::prefs.prefsdssuffix = "6ex";
    td::readds(1);
    td::ems.nem = td::ds.ndsem;
    for (int k = 1; k <= td::ds.ndsem; ++k)
        td::ems.emname[k] = runio::trim(td::ds.dsemname[k]);
    td::readds(2);
    td::readds(3);
    calcwindows::win.fluidtype = 0;
    for (int k = 1; k <= td::ems.nem; ++k) {
        const std::string& name = td::ems.emname[k];
        const td::TdRow& r = td::ems.td[k];
        Kind kind = solid;
        if (name == "H2O")
            kind = water;
        else if (name == "CO2")
            kind = carbondioxide;
        else if (name.back() == 'L')
            kind = liquid;
        else if (r[td::sBWn] > 0.0)
            kind = braggwilliams;
        else if (r[td::sSmax] > 0.0)
            kind = landau;
        members[kind].push_back(k);
    }
}

constexpr std::array<double, 8> pgrid = {0.01, 0.03, 0.1, 1.0, 5.0, 10.0, 20.0, 40.0};   // kbar
constexpr std::array<double, 7> tgrid = {400.0, 500.0, 600.0, 800.0, 1000.0, 1200.0, 1400.0};   // K

// Compressed liquid water just above its saturation pressure, where the
// coarse volume scan cannot separate the roots and a finer one finds the
// liquid.
constexpr std::array<double, 3> psatgrid = {0.02, 0.03, 0.05};
constexpr std::array<double, 3> tsatgrid = {440.0, 473.15, 500.0};

template <std::size_t np, std::size_t nt>
void timegrid(benchmark::State& state, Kind kind, bool gen6, const std::array<double, np>& ps,
              const std::array<double, nt>& ts)
{
    readexample();
    td::ds.dsgen6 = gen6;
    const std::vector<int>& ks = members[kind];
    double sum = 0.0;
    for (auto _ : state) {
        for (int k : ks)
            for (double p : ps)
                for (double t : ts) {
                    double g;
                    td::gemmake(k, g, p, t);
                    sum += g;
                }
        benchmark::DoNotOptimize(sum);
    }
    td::ds.dsgen6 = true;
    state.counters["endmembers"] = static_cast<double>(ks.size());
    const double calls = static_cast<double>(ks.size() * np * nt);
    state.counters["per_call"] =
        benchmark::Counter(calls, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void gemgrid(benchmark::State& state, Kind kind, bool gen6) { timegrid(state, kind, gen6, pgrid, tgrid); }
void nearsaturation(benchmark::State& state) { timegrid(state, water, true, psatgrid, tsatgrid); }

}  // namespace

BENCHMARK_CAPTURE(gemgrid, solids, solid, true);
BENCHMARK_CAPTURE(gemgrid, liquid, liquid, true);
BENCHMARK_CAPTURE(gemgrid, landau, landau, true);
BENCHMARK_CAPTURE(gemgrid, braggwilliams, braggwilliams, true);
BENCHMARK_CAPTURE(gemgrid, h2o_pitzersterner, water, true);
BENCHMARK_CAPTURE(gemgrid, co2_pitzersterner, carbondioxide, true);
BENCHMARK_CAPTURE(gemgrid, h2o_cork, water, false);
BENCHMARK_CAPTURE(gemgrid, co2_cork, carbondioxide, false);
BENCHMARK(nearsaturation);

BENCHMARK_MAIN();
