// Cost of one end-member Gibbs energy: gemmake over a P-T grid for a solid,
// a melt, a Landau and a Bragg-Williams phase, and H2O and CO2 under both
// fluid equations of state. The "per_call" counter is the time of one call.
#include <benchmark/benchmark.h>

#include <array>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"

namespace {

using thermodata::TdRow;

// Made-up plausible rows (H, S, V, cp a b c d, alpha0, kappa0, K', K'', theta, dK/dT).
TdRow baserow(std::initializer_list<double> values)
{
    TdRow r{};
    std::size_t k = 1;
    for (double v : values) r[k++] = v;
    r[thermodata::sSmax] = r[thermodata::sVmax] = -1.0;
    r[thermodata::sBWfac] = 1.0;
    return r;
}

enum Row { solid = 1, melt, landau, braggwilliams, water, carbondioxide };

void setup()
{
    thermodata::ems.td.assign(thermodata::maxem + 1, TdRow{});
    axmodels::ph.prec0.assign(axmodels::maxphases + 1, axmodels::PurePhase{});
    axmodels::ph.prec1.assign(axmodels::maxnp + 1, axmodels::SolPhase{});
    thermodata::ds.dsnew = true;
    runio::run.calcmode = 1;
    calcwindows::win.fluidtype = 0;
    auto put = [](int k, const char* name, const TdRow& r) {
        thermodata::ems.emname[static_cast<std::size_t>(k)] = name;
        thermodata::ems.td[static_cast<std::size_t>(k)] = r;
    };
    put(solid, "gt", baserow({-6200.0, 0.275, 11.5, 0.610, 0.0, -4800.0, -4.10, 2.5e-5, 1700.0, 4.2, -0.0025, 440.0}));
    put(melt, "gtL", baserow({-6400.0, 0.31, 12.9, 0.79, 0.0, 0.0, 0.0, 7.5e-5, 370.0, 6.2, -0.017, 0.0, -0.06}));
    TdRow l = baserow({-905.0, 0.0440, 2.30, 0.088, -4.0e-7, -650.0, -0.65, 0.6e-5, 760.0, 5.5, -0.0072, 500.0});
    l[thermodata::sTc] = 850.0;
    l[thermodata::sSmax] = 0.0050;
    l[thermodata::sVmax] = 0.12;
    put(landau, "qz", l);
    TdRow b = baserow({-3900.0, 0.215, 10.2, 0.430, -1.0e-5, -1200.0, -3.70, 2.6e-5, 560.0, 4.3, -0.0077, 470.0});
    b[thermodata::sBWdH] = 10.0;
    b[thermodata::sBWdHv] = 0.1;
    b[thermodata::sBWW] = 8.0;
    b[thermodata::sBWWv] = 0.05;
    b[thermodata::sBWn] = 2.0;
    put(braggwilliams, "ab", b);
    put(water, "H2O", baserow({-240.0, 0.190, 0.0, 0.0410, 8.0e-6, 450.0, -0.260}));
    put(carbondioxide, "CO2", baserow({-390.0, 0.215, 0.0, 0.0850, -2.0e-6, 650.0, -0.950}));
}

constexpr std::array<double, 8> pgrid = {0.01, 0.03, 0.1, 1.0, 5.0, 10.0, 20.0, 40.0};   // kbar
constexpr std::array<double, 7> tgrid = {400.0, 500.0, 600.0, 800.0, 1000.0, 1200.0, 1400.0};   // K

// Compressed liquid water just above its saturation pressure, where the
// coarse volume scan cannot separate the roots and a finer one finds the
// liquid.
constexpr std::array<double, 3> psatgrid = {0.02, 0.03, 0.05};
constexpr std::array<double, 3> tsatgrid = {440.0, 473.15, 500.0};

template <std::size_t np, std::size_t nt>
void timegrid(benchmark::State& state, int k, bool gen6, const std::array<double, np>& ps,
              const std::array<double, nt>& ts)
{
    setup();
    thermodata::ds.dsgen6 = gen6;
    double sum = 0.0;
    for (auto _ : state) {
        for (double p : ps)
            for (double t : ts) {
                double g;
                thermodata::gemmake(k, g, p, t);
                sum += g;
            }
        benchmark::DoNotOptimize(sum);
    }
    const double calls = static_cast<double>(np * nt);
    state.counters["per_call"] =
        benchmark::Counter(calls, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void gemgrid(benchmark::State& state, int k, bool gen6) { timegrid(state, k, gen6, pgrid, tgrid); }
void nearsaturation(benchmark::State& state) { timegrid(state, water, true, psatgrid, tsatgrid); }

}  // namespace

BENCHMARK_CAPTURE(gemgrid, solid, solid, true);
BENCHMARK_CAPTURE(gemgrid, liquid, melt, true);
BENCHMARK_CAPTURE(gemgrid, landau, landau, true);
BENCHMARK_CAPTURE(gemgrid, braggwilliams, braggwilliams, true);
BENCHMARK_CAPTURE(gemgrid, h2o_pitzersterner, water, true);
BENCHMARK_CAPTURE(gemgrid, co2_pitzersterner, carbondioxide, true);
BENCHMARK_CAPTURE(gemgrid, h2o_cork, water, false);
BENCHMARK_CAPTURE(gemgrid, co2_cork, carbondioxide, false);
BENCHMARK(nearsaturation);

BENCHMARK_MAIN();
