// Time of the singular value decomposition at the solver's sizes (74 x 74 is
// its largest jacobian), beside LAPACK's dgesvd on the same matrices. Both
// deliver U (n columns), the values and V; both start from a fresh copy of
// the matrix, since both overwrite it.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "numerics/numerics.h"

extern "C" void dgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, double* a,
                        const int* lda, double* s, double* u, const int* ldu, double* vt, const int* ldvt,
                        double* work, const int* lwork, int* info, std::size_t, std::size_t);

namespace {

std::vector<double> randommatrix(int n)
{
    std::mt19937 gen(1234u + static_cast<unsigned>(n));
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<double> a(static_cast<std::size_t>(n * n));
    for (double& v : a) v = u(gen);
    return a;
}

void BM_svd(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> a = randommatrix(n);
    for (auto _ : state) {
        for (int i = 1; i <= n; ++i)
            for (int j = 1; j <= n; ++j) numerics::sv.svdu[i][j] = a[(i - 1) * n + j - 1];
        numerics::svd(n, n);
        benchmark::DoNotOptimize(numerics::sv.svdw[1]);
    }
}

void BM_dgesvd(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> a = randommatrix(n);   // a symmetric role: row or column order alike
    std::vector<double> work(a.size()), s(static_cast<std::size_t>(n)), u(a.size()), vt(a.size());
    int lwork = -1, info = 0;
    double wq = 0.0;
    dgesvd_("S", "A", &n, &n, work.data(), &n, s.data(), u.data(), &n, vt.data(), &n, &wq, &lwork, &info, 1, 1);
    lwork = static_cast<int>(wq);
    std::vector<double> ws(static_cast<std::size_t>(lwork));
    for (auto _ : state) {
        work = a;
        dgesvd_("S", "A", &n, &n, work.data(), &n, s.data(), u.data(), &n, vt.data(), &n, ws.data(), &lwork,
                &info, 1, 1);
        benchmark::DoNotOptimize(s[0]);
    }
}

}  // namespace

BENCHMARK(BM_svd)->Arg(50)->Arg(74)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_dgesvd)->Arg(50)->Arg(74)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
