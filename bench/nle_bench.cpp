// Cost of the equilibrium solve on a synthetic assemblage of seven solution
// phases over the example dataset (examples/pm-ds6ex.txt): each phase mixes
// the same eight end-members (fo fa en di jd gr ru py, made from the dataset
// ones with a DQF each) on one site with symmetric interactions of its own,
// so that the seven phases span the seven components and the solve, at a
// fixed P and T, has 49 unknowns.  The bench writes the a-x file of these
// models itself: the DQFs are chosen so that chosen compositions of the
// seven phases are in equilibrium at 12 kbar and 1100 K, and the solve
// starts from the equilibrium at a neighbouring point of a grid (0.5 kbar
// and 10 K away).
//   nlefunc:       one evaluation of residuals and jacobian
//   nle:           one solve (iterations and evaluations as counters)
//   propagatecov:  uncertainties with 100 end-members and 50 free unknowns
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "numerics/nlestate.h"
#include "numerics/numerics.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "script/script.h"
#include "thermodata/gibbs.h"

namespace {

namespace fs = std::filesystem;
namespace td = thermodata;
using namespace numerics;

constexpr int nphases = 7, nems = 8;
const char* const emnames[nems + 1] = {"", "fo", "fa", "en", "di", "jd", "gr", "ru", "py"};
constexpr double pbench = 12.0, tbench = 1100.0;   // kbar, K

// (the made end-members are named m + the dataset's name)
// The designed composition of phase f: proportions of its eight end-members.
// Each phase is rich in an end-member of its own, the rest scattered, so
// that the seven phase compositions are independent (a set of compositions
// that span fewer components makes the equilibrium degenerate).
double design(int f, int k)
{
    const double h = std::sin(12.9898 * f + 78.233 * k) * 43758.5453;
    return 0.5 + (h - std::floor(h)) + (k == f ? 2.0 : 0.0);
}
double designsum(int f)
{
    double s = 0.0;
    for (int k = 1; k <= nems; ++k) s += design(f, k);
    return s;
}
double proportion(int f, int k) { return design(f, k) / designsum(f); }
// Interaction energies of phase f (kJ), different in every phase.
double w(int f, int i, int j) { return 2.0 + 3.0 * std::fabs(std::sin(0.7 * f + 1.1 * i + 0.3 * j)); }

std::string axtext(const std::vector<std::vector<double>>& dqf)
{
    std::ostringstream s;
    s.precision(17);
    for (int f = 1; f <= nphases; ++f) {
        s << "s" << f << " " << nems << " 1\nverbatim\nverbatim\n";
        for (int v = 1; v < nems; ++v) s << "  x" << v << "(s" << f << ") " << proportion(f, v + 1) << "\n";
        auto form = [&](int k) {
            std::ostringstream t;
            if (k == 1) {
                t << "1 1 1 " << nems - 1;
                for (int v = 1; v < nems; ++v) t << " -1 x" << v;
            } else {
                t << "1 1 0 1 1 x" << k - 1;
            }
            return t.str();
        };
        for (int k = 1; k <= nems; ++k) s << "  p(m" << emnames[k] << ") " << form(k) << "\n";
        s << "  sf\n";
        for (int i = 1; i <= nems; ++i)
            for (int j = i + 1; j <= nems; ++j)
                s << "  W(m" << emnames[i] << ",m" << emnames[j] << ") " << w(f, i, j) << " 0 0\n";
        s << "  " << nems << "\n";
        for (int k = 1; k <= nems; ++k) s << "  y" << k << " " << form(k) << "\n";
        for (int k = 1; k <= nems; ++k)
            s << "  m" << emnames[k] << " 1 1 y" << k << " 1\n     make 1 " << emnames[k] << " 1\n     DQF "
              << dqf[f][k] << " 0 0\n";
        s << "\n";
    }
    return s.str();
}

void readsetup(const std::string& ax)
{
    std::ofstream("pm-axbench.txt", std::ios::binary) << ax;
    td::readds(1);
    axmodels::setupphases();
    td::DropList drop{};
    td::makename(drop);
    td::readds(2);
    td::makeemc();
    td::readds(3);
    td::setupemdata();
    td::countcomp();
}

// The seven phases laid out at the fixed point, every end-member's activity
// and G known; the solution in `solution`.
Vector solution, start;

void setup()
{
    static bool done = false;
    if (done) return;
    done = true;
    const fs::path dir = fs::temp_directory_path() / ("pmnlebench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::copy_file(fs::path(PM_EXAMPLES) / "pm-ds6ex.txt", dir / "pm-ds6ex.txt", fs::copy_options::overwrite_existing);
    fs::current_path(dir);
    runio::makestarttables();
    app::setupstore();
    runio::chans.chanset = std::getenv("NLEDEBUG") != nullptr ? runio::mscreen : 0;
    runio::run.calcmode = 1;
    runio::run.runno = 2;
    runio::prefs.prefsdssuffix = "6ex";
    runio::prefs.prefsaxsuffix = "axbench";
    runio::prefs.bombautoexit = true;
    runio::files.scriptname = "pm-bench.txt";
    script::initscripts();
    runio::scriptflags.debuglevel = 0;

    // Pass 1: without DQFs, for the Gibbs energies and activities at the
    // designed compositions; the DQF of end-member k of phase f is then
    // -(G_k + RT ln a_k), so that every end-member has the same chemical
    // potential 0 in every phase.
    std::vector<std::vector<double>> dqf(nphases + 1, std::vector<double>(nems + 1, 0.0));
    readsetup(axtext(dqf));
    PhaseFlags all{};
    for (int f = 1; f <= nphases; ++f) all[f] = 1;
    makecrossrefs(all);
    for (int f = 1; f <= nphases; ++f) {
        double x[nems + 1] = {};
        for (int v = 1; v < nems; ++v) x[v] = proportion(f, v + 1);
        axmodels::EmValues a{}, sda{};
        axmodels::calcemactivities(f, x, a, sda, pbench, tbench);
        for (int k = 1; k <= nems; ++k) {
            double g;
            td::gemmake((f - 1) * nems + k, g, pbench, tbench);
            dqf[f][k] = -(g + td::rgas * tbench * std::log(a[k]));
        }
    }
    readsetup(axtext(dqf));
    makecrossrefs(all);
    bool any;
    calcwindows::writereactionlists(any);
    Unknowns& u = unk;
    u.xfree[1] = u.xfree[2] = false;
    solution[1] = start[1] = pbench;
    solution[2] = start[2] = tbench;
    for (int f = 1; f <= nphases; ++f)
        for (int v = 1; v < nems; ++v) {
            const int i = 2 + (f - 1) * (nems - 1) + v;
            solution[i] = proportion(f, v + 1);
        }
    // The start: the solution at a neighbouring point of a grid, 0.5 kbar
    // and 10 K away, solved from the designed compositions.
    u.nlex = solution;
    u.nlex[1] = pbench + 0.5;
    u.nlex[2] = tbench + 10.0;
    int code = 0;
    if (!nle(code)) {
        std::fprintf(stderr, "no neighbouring solution (code %d)\n", code);
        std::exit(1);
    }
    start = u.nlex;
    start[1] = pbench;
    start[2] = tbench;
}

void BM_nlefunc(benchmark::State& state)
{
    setup();
    SquareTable j{};
    Vector f{};
    for (auto _ : state) {
        Vector x = start;
        benchmark::DoNotOptimize(nlefunc(x, j, f));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_nlefunc)->Unit(benchmark::kMicrosecond);

void BM_nle(benchmark::State& state)
{
    setup();
    int code = 0;
    for (auto _ : state) {
        unk.nlex = start;
        nle(code);
    }
    double err = 0.0;
    for (int i = 3; i <= unk.nvar; ++i) err = std::fmax(err, std::fabs(unk.nlex[i] - solution[i]));
    state.counters["code"] = code;
    state.counters["iterations"] = nst.iteration;
    state.counters["evaluations"] = nst.evaluations + nst.iteration + 1;
    state.counters["maxerror"] = err;
}
BENCHMARK(BM_nle)->Unit(benchmark::kMicrosecond);

void BM_propagatecov(benchmark::State& state)
{
    setup();
    // 100 end-members, 50 reactions of small coefficients, 50 free unknowns
    static Unknowns saved = unk;
    saved = unk;
    const int nem = 100, n = 50;
    td::ems.nem = nem;
    td::rxns.nrxn = n;
    for (int k = 1; k <= n; ++k)
        for (int e = 1; e <= nem; ++e)
            td::rxns.r[k][e] = static_cast<std::int16_t>((k * 7 + e * 3) % 5 == 0 ? (k + e) % 3 - 1 : 0);
    for (int a = 1; a <= nem; ++a)
        for (int b = 1; b <= nem; ++b) td::ems.covat(a, b) = a == b ? 1.0 + 0.01 * a : 0.1 / (1 + std::abs(a - b));
    unk = Unknowns{};
    unk.nvar = n;
    for (int i = 1; i <= n; ++i) unk.xfree[i] = true;
    eqs.njacrows = eqs.njaccols = n;
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= n; ++c) eqs.jacnat[r][c] = r == c ? 4.0 : std::sin(r * 1.7 + c * 0.3);
    for (auto _ : state) propagatecov();
    unk = saved;
}
BENCHMARK(BM_propagatecov)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
