// Exact integer row reduction of composition matrices: the rank of a set of
// phases, and the balanced reactions among end-members as the null space.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "numerics/numerics.h"
#include "thermodata/thermodata.h"

namespace numerics {

namespace {

constexpr long long maxentry = INT32_MAX;   // work entries are 32-bit integers
constexpr long long maxcoef = 32767;        // reaction coefficients are stored in 16 bits

void checksize(const IntMatrix& a, int m, int n, const char* where)
{
    if (m > maxvecint || n > maxvecint || static_cast<int>(a.size()) < m + 1)
        runio::bomb(where, "matrix larger than its table (max = 400 x 400)", 1);
}

// First non-zero entry met column by column from column j+1, each column
// searched from row i down; whatever its size or sign, it is the pivot.
bool findpivot(const IntMatrix& b, int i, int j, int m, int n, int& p, int& col)
{
    for (int k = j + 1; k <= n; ++k)
        for (int r = i; r <= m; ++r)
            if (b[r][k] != 0) {
                p = r;
                col = k;
                return true;
            }
    return false;
}

void swaprows(IntMatrix& b, int i, int p, int from, int n)
{
    for (int k = from; k <= n; ++k) std::swap(b[i][k], b[p][k]);
}

// Dividing the pivot row by the gcd of its entries keeps every later product
// small: composition matrices of a few small integers stay far inside 32 bits.
void dividebygcd(IntRow& row, int from, int n)
{
    const std::int32_t g = runio::gcdvector(row.data() + (from - 1), n - from + 1);
    if (g > 1)
        for (int k = from; k <= n; ++k) row[k] /= g;
}

// Row r less the multiple of the pivot row that clears its entry in column j,
// over columns from..n except j, with row r taking the positive multiplier.
// The products are formed in 64 bits: an entry that leaves 32 bits would
// otherwise wrap into a wrong rank or a wrong reaction.
void eliminate(IntRow& rowr, const IntRow& rowi, int j, int from, int n, const char* where)
{
    const std::int32_t pivot = rowi[j];
    const std::int32_t g = runio::gcd(pivot, rowr[j]);
    const long long f1 = pivot / g;
    const long long f2 = rowr[j] / g;
    for (int k = from; k <= n; ++k) {
        if (k == j) continue;
        long long v = f1 * rowr[k] - f2 * rowi[k];
        if (f1 < 0) v = -v;
        if (v > maxentry || v < -maxentry)
            runio::bomb(where, "integer overflow in row reduction (entries beyond 2147483647)", 1);
        rowr[k] = static_cast<int>(v);
    }
}

// Fraction-free elimination from row 1 down, one pivot per row, until the
// rows, the columns or the non-zero entries run out. The echelon form
// (reduced off) clears each pivot column below the pivot only, which is all
// the rank needs; the reduced form clears it in every other row, as the null
// space needs. pivotcol[i] is the pivot column of row i (0 = none). A pivot
// in the last column clears nothing: no free column depends on it.
int reduce(IntMatrix& b, int m, int n, bool reduced, std::vector<int>& pivotcol, const char* where)
{
    const int limit = std::min(m, n);
    int i = 0, j = 0;
    bool found = false;
    do {
        ++i;
        int p = 0, col = 0;
        found = findpivot(b, i, j, m, n, p, col);
        if (!found) break;
        j = col;
        pivotcol[i] = j;
        if (j < n) {
            if (p > i) swaprows(b, i, p, j, n);
            dividebygcd(b[i], j, n);
            for (int r = reduced ? 1 : i + 1; r <= m; ++r) {
                if (r == i || b[r][j] == 0) continue;
                // Column j below the pivot is never read again by the echelon form.
                eliminate(b[r], b[i], j, reduced ? 1 : j + 1, n, where);
                if (reduced) b[r][j] = 0;
            }
        } else if (p > i) {
            std::swap(b[i][n], b[p][n]);
        }
    } while (j != n && i != limit);
    return found ? i : i - 1;
}

}  // namespace

int intechelon(const IntMatrix& a, int m, int n)
{
    checksize(a, m, n, "intechelon");
    IntMatrix b(a.begin(), a.begin() + (m + 1));
    std::vector<int> pivotcol(m + 2, 0);
    return reduce(b, m, n, false, pivotcol, "intechelon");
}

int nullspace(const IntMatrix& a, int m, int n)
{
    checksize(a, m, n, "nullspace");
    IntMatrix b(a.begin(), a.begin() + (m + 1));
    std::vector<int> pivotcol(m + 2, 0);   // per row, 0 = none
    const int rank = reduce(b, m, n, true, pivotcol, "nullspace");
    std::vector<bool> ispivot(n + 1, false);
    for (int r = 1; r <= m; ++r) ispivot[pivotcol[r]] = true;

    for (int r = 1; r <= m; ++r) dividebygcd(b[r], 1, n);

    // One reaction per end-member without a pivot: room for all of them is
    // checked before the first is written.
    auto& rx = thermodata::rxns;
    int nfree = 0;
    for (int c = 1; c <= n; ++c)
        if (!ispivot[c]) ++nfree;
    if (rx.nrxn + nfree > thermodata::maxrxn)
        runio::bomb("nullspace", "too many reactions among the end-members (max = " +
                                     runio::inttext(thermodata::maxrxn) + ")", 0);
    if (static_cast<int>(rx.r.size()) < thermodata::maxrxn + 1) rx.r.resize(thermodata::maxrxn + 1);

    std::vector<long long> num(m + 1, 0), den(m + 1, 1);
    std::vector<long long> x(n + 1, 0);
    IntRow dens{};
    for (int c = n; c >= 1; --c) {
        if (ispivot[c]) continue;
        // Rows without a pivot are zero in every free column: they take no part.
        int nd = 0;
        for (int r = 1; r <= m; ++r) {
            const int q = pivotcol[r];
            if (q == 0) continue;
            const std::int32_t g = b[r][c] == 0 ? 1 : runio::gcd(b[r][c], b[r][q]);
            num[r] = -b[r][c] / g;
            den[r] = b[r][q] / g;
            if (num[r] != 0) dens[++nd] = static_cast<std::int32_t>(den[r]);
        }
        // An end-member that no pivot row involves (no amount of any
        // component) forms a reaction on its own, with coefficient 1.
        const long long lcmden = nd > 0 ? runio::lcmvector(dens.data(), nd) : 1;
        std::fill(x.begin(), x.end(), 0);
        x[c] = lcmden;
        for (int r = 1; r <= m; ++r)
            if (pivotcol[r] != 0) x[pivotcol[r]] = lcmden * num[r] / den[r];
        for (int k = 1; k <= n; ++k)
            if (x[k] > maxcoef || x[k] < -maxcoef - 1)
                runio::bomb("nullspace", "reaction coefficient " + runio::inttext(x[k]) +
                                             " too large to store (max = 32767)", 0);
        for (int r = 1; r <= m; ++r) {
            long long sum = 0;
            for (int k = 1; k <= n; ++k) sum += x[k] * a[r][k];
            if (sum != 0) runio::bomb("nullspace", "reaction doesn't balance", 1);
        }
        ++rx.nrxn;
        auto& row = rx.r[rx.nrxn];
        row.fill(0);
        for (int k = 1; k <= n; ++k) row[k] = static_cast<std::int16_t>(x[k]);
    }
    return rank;
}

}  // namespace numerics
