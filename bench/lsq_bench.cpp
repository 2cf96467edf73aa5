// Cost of one solution of the fit's least-squares problem at its full size:
// 1200 rows of about five enthalpies each over 300 end-members, by
// Householder reflections (qr) and by the normal equations (choleski), each
// with the covariance matrix and the leverages.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "dsfit/dsfit.h"
#include "runio/runio.h"

namespace {

void setup()
{
    static bool done = false;
    if (done) return;
    done = true;
    // The fit's storage comes with its settings file; the example's serves.
    if (chdir(PM_EXAMPLES) != 0) {
        std::perror(PM_EXAMPLES);
        std::exit(1);
    }
    runio::chans.chanset = 0;
    dsfit::kalfitalloc();
    using dsfit::lsq;
    const int m = dsfit::maxnexp, n = dsfit::maxntp;
    lsq.nobs = m;
    dsfit::fit.ntda = n;
    // Each row holds one end-member in turn and four more drawn at random,
    // with small integer coefficients, as reactions have.
    std::uint32_t s = 2024;
    auto next = [&](int k) {
        s = s * 1664525u + 1013904223u;
        return static_cast<int>((s >> 8) % static_cast<std::uint32_t>(k));
    };
    for (int i = 1; i <= m; ++i) {
        for (int e = 0; e < 5; ++e) {
            const int j = e == 0 ? (i - 1) % n + 1 : next(n) + 1;
            int c = next(7) - 3;
            if (c == 0) c = 1;
            lsq.xat(i, j) = static_cast<std::int16_t>(c);
            lsq.bat(i, j) = 1;
        }
        lsq.y[i] = next(20001) / 10.0 - 1000.0;
        lsq.ysd[i] = 0.1 + next(50) / 10.0;
    }
}

void BM_qr(benchmark::State& state)
{
    setup();
    for (auto _ : state) {
        dsfit::qr();
        benchmark::DoNotOptimize(dsfit::lsq.sigfit2);
    }
}
BENCHMARK(BM_qr)->Unit(benchmark::kMillisecond);

void BM_choleski(benchmark::State& state)
{
    setup();
    for (auto _ : state) {
        dsfit::choleski();
        benchmark::DoNotOptimize(dsfit::lsq.sigfit2);
    }
}
BENCHMARK(BM_choleski)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
