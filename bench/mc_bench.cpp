// Cost of the Monte Carlo machinery of mode 1: the example thermometer of
// examples/pm-exmc.txt (two batch items, five perturbed interaction
// energies, a range, a correlation and two filters) over 1000 passes with
// the repeatable seeds, one whole mode-1 pass from reading the inputs to the
// closed results list.  The time in the solver is taken apart by wrapping
// numerics::nle at the link (mc_bench.cmake), so the counters show the time
// per pass outside it: the perturbation, the set-up of each item, the
// accumulation and the writing of the entries.  The counters also give the
// growth of the drawing-program file and of the two csv files per pass.
#include <benchmark/benchmark.h>


#include <chrono>
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

// The solver as the linker names numerics::nle(int&), and its wrapper.
extern "C" bool __real__ZN8numerics3nleERi(int& code);
extern "C" bool __wrap__ZN8numerics3nleERi(int& code);

namespace {

namespace fs = std::filesystem;

constexpr int npasses = 1000;
double solverseconds = 0.0;
long solvercalls = 0;

using benchfiles::slurp;
using benchfiles::writefile;

void setup()
{
    static bool done = false;
    if (done) return;
    done = true;
    benchfiles::intoscratch("pmmcbench-");
    for (const char* f : {"pm-ds6ex.txt", "pm-axex.txt"}) writefile(f, slurp(fs::path(PM_EXAMPLES) / f));
    std::string script = slurp(fs::path(PM_EXAMPLES) / "pm-exmc.txt");
    const std::string from = "mcit 200 0";
    script.replace(script.find(from), from.size(), "mcit " + std::to_string(npasses) + " 0");
    writefile("pm-t.txt", script);
    benchfiles::startrun(1, "MCDEBUG");
    diagramresults::install();
}

long filesize(const char* name) { return static_cast<long>(fs::file_size(name)); }

void BM_montecarlo1000(benchmark::State& state)
{
    setup();
    using runio::chans;
    const runio::Channel files[] = {runio::chout, runio::chlog, runio::chpx, runio::chcsv, runio::chcsv2};
    const char* names[] = {"pm-t-o.txt", "pm-log.txt", "pm-t-px.txt", "pm-t.csv", "pm-t2.csv"};
    double total = 0.0;
    long px = 0, csv = 0, csv2 = 0;
    const benchfiles::QuietScreen quiet("MCDEBUG");
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i) chans.file[files[i]] = std::fopen(names[i], "wb");
        chans.chanset = runio::mout | runio::mlog | runio::mpx | runio::mcsv | runio::mcsv2;
        runio::closeread(runio::files.infile);
        runio::files.scriptopen = false;
        script::initscripts();
        runio::seedrandom(true);
        solverseconds = 0.0;
        solvercalls = 0;
        const auto start = std::chrono::steady_clock::now();
        phasediagram::nlecalcs();
        total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (int i = 0; i < 5; ++i) std::fclose(chans.file[files[i]]);
        chans.chanset = 0;
        px = filesize("pm-t-px.txt");
        csv = filesize("pm-t.csv");
        csv2 = filesize("pm-t2.csv");
    }
    if (phasediagram::solveglobals.mcsuccesses < 1) state.SkipWithError("no pass succeeded");
    state.counters["us_per_pass"] = 1e6 * total / npasses;
    state.counters["us_per_pass_outside_solver"] = 1e6 * (total - solverseconds) / npasses;
    state.counters["solves_per_pass"] = static_cast<double>(solvercalls) / npasses;
    state.counters["successes"] = phasediagram::solveglobals.mcsuccesses;
    state.counters["px_bytes_per_pass"] = static_cast<double>(px) / npasses;
    state.counters["csv_bytes_per_pass"] = static_cast<double>(csv) / npasses;
    state.counters["csv2_bytes_per_pass"] = static_cast<double>(csv2) / npasses;
}
BENCHMARK(BM_montecarlo1000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

// Every solve of the run passes through here (see mc_bench.cmake).
extern "C" bool __wrap__ZN8numerics3nleERi(int& code)
{
    const auto start = std::chrono::steady_clock::now();
    const bool ok = __real__ZN8numerics3nleERi(code);
    solverseconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ++solvercalls;
    return ok;
}

BENCHMARK_MAIN();
