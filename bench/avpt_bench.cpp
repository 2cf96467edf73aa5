// Cost of an average-T calculation of mode 2 over 201 pressures (5 to 9
// kbar every 0.02 kbar) for a rock of garnet (the example a-x file's model,
// activities recalculated at every trial P-T) with an, ky, sill and q as
// pure phases, on the example dataset (examples/pm-ds6ex.txt): one whole
// pass, from reading the inputs to the summary, nothing written. At each
// pressure the bracket search calls the least-squares core about twenty
// times, each solving both reaction lines.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "benchfiles.h"
#include "calcwindows/calcwindows.h"
#include "emcalcs/emcalcs.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "script/script.h"

namespace {

namespace fs = std::filesystem;

using benchfiles::slurp;
using benchfiles::writefile;

void setup()
{
    static bool done = false;
    if (done) return;
    done = true;
    const std::string ax = slurp(fs::path(PM_EXAMPLES) / "pm-axex.txt");
    const std::size_t from = ax.find("% ---------------------------------------------------------------- garnet");
    const std::size_t to = ax.find("% ---------------------------------------------------------------- feldspar");
    benchfiles::intoscratch("pmavptbench-");
    writefile("pm-ds6ex.txt", slurp(fs::path(PM_EXAMPLES) / "pm-ds6ex.txt"));
    writefile("pm-axbench.txt", ax.substr(from, to - from) + "an 0.5\nky\nq\nsill\n");
    writefile("pm-t.txt", "axfile axbench\nwith g an ky q sill\ndiagramPT 4 12 400 1000\nptforaxe 8 650\n"
                          "calctype 2\ndataok\nmaxsdt 100\ncalcP 5 9 0.02\nautoexit\n*\n");
    benchfiles::startrun(2, "AVPTDEBUG");
}

void BM_averaget201(benchmark::State& state)
{
    setup();
    const benchfiles::QuietScreen quiet("AVPTDEBUG");
    for (auto _ : state) {
        runio::closeread(runio::files.infile);
        runio::files.scriptopen = false;
        script::initscripts();
        emcalcs::setupavpt();
        emcalcs::rockcalcs();
        benchmark::DoNotOptimize(calcwindows::win.nplist);
    }
    if (calcwindows::win.nplist != 201) state.SkipWithError("the pressure list does not hold 201 values");
}
BENCHMARK(BM_averaget201)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
