// Cost of a Gibbs energy minimisation at one P-T point (8 kbar, 700 C) over
// twelve phases of the example files: olivine, orthopyroxene and garnet
// (the example a-x file's models) with nine pure phases (q, ky, and, sill,
// coe, crst, sp, cor, per), for the example pseudosection's bulk in
// CaO-FeO-MgO-Al2O3-SiO2. Every subset of four and of five phases is tried
// (trivariant and divariant assemblages); one whole mode-1 pass, from
// reading the inputs to the report, nothing written.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "benchfiles.h"
#include "diagramresults/diagramresults.h"
#include "phasediagram/phasediagram.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "script/script.h"

namespace {

namespace fs = std::filesystem;

// Subsets of 12 phases tried: C(12, 4) + C(12, 5), the rank of the
// composition matrix being 5.
constexpr int subsets = 495 + 792;

using benchfiles::slurp;
using benchfiles::writefile;

void setup()
{
    static bool done = false;
    if (done) return;
    done = true;
    benchfiles::intoscratch("pmdogminbench-");
    writefile("pm-ds6ex.txt", slurp(fs::path(PM_EXAMPLES) / "pm-ds6ex.txt"));
    writefile("pm-axex.txt", slurp(fs::path(PM_EXAMPLES) / "pm-axex.txt") + "coe\ncrst\nsp\ncor\nper\n");
    writefile("pm-t.txt", "axfile axex\nwith ol opx g q ky and sillim coe crst sp cor per\ninexcess none\n"
                          "pseudosection\ndogmin 0\nmaxvar 3\ndiagramPT 2 14 400 900\ncalcP 8\ncalcT 700\n"
                          "bulk SiO2 Al2O3 CaO MgO FeO\nbulk 55 12 2 16 15\nautoexit\n*\n");
    benchfiles::startrun(1, "DOGMINDEBUG");
    diagramresults::install();
}

void BM_dogminonepoint(benchmark::State& state)
{
    setup();
    const benchfiles::QuietScreen quiet("DOGMINDEBUG");
    for (auto _ : state) {
        runio::closeread(runio::files.infile);
        runio::files.scriptopen = false;
        script::initscripts();
        phasediagram::nlecalcs();
        benchmark::DoNotOptimize(diagramresults::dogmincounts.nsolved);
    }
    const double passes = static_cast<double>(state.iterations());
    state.counters["subsets/s"] = benchmark::Counter(subsets * passes, benchmark::Counter::kIsRate);
    state.counters["calculated"] = phasediagram::solveglobals.equilcount;
    state.counters["solved"] = diagramresults::dogmincounts.nsolved;
    if (diagramresults::dogmincounts.nstored == 0) state.SkipWithError("no equilibrium was accepted");
}
BENCHMARK(BM_dogminonepoint)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
