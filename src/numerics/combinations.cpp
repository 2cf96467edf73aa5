// Combinations and odometers: the k-subsets of 1..n in lexicographic order,
// and every setting of a mixed-radix counter, each delivered one per call.
#include "numerics/numerics.h"

namespace numerics {

namespace {

// Positions past k are marked so that a stray read of them is seen at once.
void markunused(IndexVector& v, int k)
{
    for (int i = k + 1; i <= maxvecint; ++i) v[i] = -1;
}

}  // namespace

void startcombination(IndexVector& c, int k)
{
    for (int i = 1; i <= k - 1; ++i) c[i] = i;
    // One below its first value, so that the first advance yields 1..k.
    c[k] = k - 1;
    markunused(c, k);
}

void nextcombination(IndexVector& c, int k, int n, bool& more)
{
    c[k] += 1;
    if (c[k] <= n) {
        more = true;
        return;
    }
    more = false;
    if (k == 1) return;
    // The rightmost position that can still rise: position j is at its top
    // when it holds n - k + j.
    int j = k - 1;
    while (j >= 1 && c[j] == n - k + j) --j;
    if (j < 1) return;
    c[j] += 1;
    for (int m = j + 1; m <= k; ++m) c[m] = c[j] + (m - j);
    more = true;
}

void startodometer(IndexVector& d, int k)
{
    for (int i = 1; i <= k - 1; ++i) d[i] = 1;
    d[k] = 0;
    markunused(d, k);
}

void nextodometer(IndexVector& d, const IndexVector& lim, int k, bool& more)
{
    d[k] += 1;
    if (d[k] <= lim[k]) {
        more = true;
        return;
    }
    more = false;
    if (k == 1) return;
    int j = k - 1;
    while (j >= 1 && d[j] == lim[j]) --j;
    if (j < 1) return;
    d[j] += 1;
    for (int m = j + 1; m <= k; ++m) d[m] = 1;
    more = true;
}

}  // namespace numerics
