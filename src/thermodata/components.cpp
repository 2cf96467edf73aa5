// The system's components: oxides from the element formulas of the working
// end-members, the integer composition matrix c, the size of each
// end-member's formula, and the removal of components only one end-member holds.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "axmodels/axmodels.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace thermodata {


namespace {

using runio::bomb;
using runio::oxtable;

const runio::Oxide& oxide(int entry) { return oxtable[entry]; }

// Amounts of each component (row) in each working end-member (column),
// before they are made whole numbers.
runio::Arr<runio::Arr<double, maxem + 1>, maxcomp + 1> wmat;

std::string emlabel(int k) { return runio::trim(ems.emname[k]); }

// Moles of element into moles of oxide, and the oxygen the formula holds
// beyond its oxides. Several oxygen pairs are one amount of oxygen: they are
// summed into the last of them.
double oxidise(int k, bool& appended)
{
    auto& code = ems.emcompcode[k];
    auto& amt = ems.emcompamt[k];
    const int n = ems.emncomp[k];
    int p = 0;
    double oxygen = 0.0;
    for (int j = 1; j <= n; ++j) {
        if (code[j] != oxygenentry) continue;
        oxygen += amt[j];
        if (p != 0) amt[p] = 0.0;
        p = j;
    }
    float e = static_cast<float>(oxygen);
    for (int j = 1; j <= n; ++j) {
        if (code[j] == oxygenentry) continue;
        amt[j] /= oxide(code[j]).oxcations;
        e = static_cast<float>(e - amt[j] * oxide(code[j]).oxoxygens);
    }
    appended = p == 0;
    if (p != 0) {
        amt[p] = e;
    } else {
        // There is always room: a stored formula has one place more than the file may fill.
        ems.emncomp[k] = n + 1;
        code[n + 1] = oxygenentry;
        amt[n + 1] = e;
    }
    return e;
}

// The least common multiple of the denominators of row i, in 64 bits, so that
// a value too large for the 32-bit multiplier or the 16-bit matrix is named
// here rather than wrapped.
void checkrowfits(int i, const std::string& compnm)
{
    const int nem = ems.nem;
    const auto& row = wmat[i];
    long long mult = 1;
    for (int k = 1; k <= nem; ++k) {
        long long p, q;
        runio::real2rational(p, q, row[k]);
        if (q <= 2147483647LL && std::llabs(p) > static_cast<long long>(maxcint) * q)
            bomb("makeoxides", "the amount of " + compnm + " in " + emlabel(k) + " is too large for the composition matrix (max = 32767)", 0);
        long long a = mult, b = q;
        while (b != 0) {
            const long long r = a % b;
            a = b;
            b = r;
        }
        if (q > 2147483647LL || mult / a > 2147483647LL / q)
            bomb("makeoxides", "the amounts of " + compnm + " up to " + emlabel(k) +
                                   " need a multiplier beyond 2147483647 to be whole numbers", 0);
        mult = mult / a * q;
    }
    for (int k = 1; k <= nem; ++k) {
        long long p, q;
        runio::real2rational(p, q, row[k]);
        if (std::llabs(mult / q * p) > maxcint)
            bomb("makeoxides", "the amount of " + compnm + " in " + emlabel(k) + " times the multiplier " +
                                   runio::inttext(mult) + " of " + compnm + " does not fit the composition matrix (max = 32767)", 0);
    }
}

// The oxide-table entry that a component name stands for.
int compentry(const std::string& name)
{
    for (int r = 1; r <= runio::noxides; ++r)
        if (oxide(r).oxname == name || oxide(r).elname == name) return r;
    bomb("makeoxides", "cannot find oxide name", 0);
}

int atomsof(int entry)
{
    if (runio::scriptset.compasoxides) return 1;
    return oxide(entry).oxcations + oxide(entry).oxoxygens;
}

void dropcomponent(int i)
{
    const int nem = ems.nem;
    for (int j = i; j < comps.ncomp; ++j) {
        const auto a = j, b = j + 1;
        comps.compname[a] = comps.compname[b];
        comps.compmult[a] = comps.compmult[b];
        comps.compatoms[a] = comps.compatoms[b];
        for (int k = 1; k <= nem; ++k) comps.c[a][k] = comps.c[b][k];
    }
    --comps.ncomp;
    --comps.ncomp0;
}

void dropendmember(int k)
{
    const int nem = ems.nem;
    for (int m = k; m < nem; ++m) {
        const auto a = m, b = m + 1;
        for (int i = 1; i <= maxcomp; ++i) comps.c[i][a] = comps.c[i][b];
        ems.emname[a] = ems.emname[b];
        ems.emdsname[a] = ems.emdsname[b];
        ems.act[a] = ems.act[b];
        ems.sdact[a] = ems.sdact[b];
        ems.emcode[a] = ems.emcode[b];
        ems.td[a] = ems.td[b];
    }
    // The matrix loses row k and column k.
    for (int p = 1; p < nem; ++p) {
        const int pp = p < k ? p : p + 1;
        for (int q = 1; q < nem; ++q) {
            const int qq = q < k ? q : q + 1;
            ems.covat(p, q) = ems.covat(pp, qq);
        }
    }
    ems.emname[nem].clear();
    --ems.nem;
    --comps.nemr;
}

}  // namespace

void makeoxides()
{
    const int nem = ems.nem;
    const bool mode4 = runio::run.calcmode == 4;
    for (int i = 1; i <= maxcomp; ++i) comps.compmult[i] = 1;

    bool hasoxygen = false;
    for (int k = 1; k <= nem; ++k)
        for (int j = 1; j <= ems.emncomp[k]; ++j)
            if (ems.emcompcode[k][j] == oxygenentry) hasoxygen = true;

    bool oxneeded = false;
    if (hasoxygen) {
        for (int k = 1; k <= nem; ++k) {
            bool appended;
            // Left-over oxygen within 0.001 is the rounding of a formula
            // written to a few decimals, not oxygen beyond the oxides.
            if (std::fabs(oxidise(k, appended)) > 0.001) oxneeded = true;
        }
    }
    const bool dropoxygen = hasoxygen && !oxneeded;

    // Component of each table entry (0 when it is none).
    runio::Arr<int, maxcomp + 1> compof{};
    runio::Arr<int, maxcomp + 1> entryof{};
    if (mode4) {
        for (int r = 1; r <= maxcomp; ++r) compof[r] = entryof[r] = r;
        comps.ncomp = maxcomp;
    } else {
        runio::Arr<bool, maxcomp + 1> present{};
        for (int k = 1; k <= nem; ++k)
            for (int j = 1; j <= ems.emncomp[k]; ++j)
                present[ems.emcompcode[k][j]] = true;
        if (dropoxygen) present[oxygenentry] = false;
        int n = 0;
        for (int order = 1; order <= runio::noxides; ++order) {
            for (int r = 1; r <= runio::noxides; ++r) {
                if (oxide(r).oxorder != order || !present[r]) continue;
                ++n;
                compof[r] = n;
                entryof[n] = r;
            }
        }
        comps.ncomp = n;
    }

    for (int i = 1; i <= maxcomp; ++i) wmat[i].fill(0.0);
    for (int k = 1; k <= nem; ++k) {
        for (int j = 1; j <= ems.emncomp[k]; ++j) {
            const int code = ems.emcompcode[k][j];
            if (code == oxygenentry && dropoxygen) continue;
            // Two pairs of one element are one amount of it.
            wmat[compof[code]][k] += ems.emcompamt[k][j];
        }
    }

    for (int i = 1; i <= comps.ncomp; ++i) {
        const int r = entryof[i];
        // In the lists of mode 4 the oxygen row keeps its name "O" even when
        // no end-member leaves oxygen over; its amounts are then all 0.
        comps.compname[i] = hasoxygen ? oxide(r).oxname : oxide(r).elname;
        checkrowfits(i, comps.compname[i]);
        std::int32_t mult = 1;
        runio::intvector(wmat[i].data(), nem, mult);
        comps.compmult[i] = mult;
        for (int k = 1; k <= nem; ++k)
            comps.c[i][k] = static_cast<int>(std::nearbyint(wmat[i][k]));
    }

    comps.ncomp0 = comps.ncomp;
    comps.nemr = nem;
    comps.nexcess = 0;
    for (int i = 1; i <= comps.ncomp; ++i)
        comps.compatoms[i] = atomsof(compentry(comps.compname[i]));
}

void countcomp()
{
    using axmodels::ph;
    if (ds.dsold) {
        for (int i = 1; i <= comps.ncomp; ++i)
            if (comps.compname[i] == "SO2") bomb("countcomp", "sulphur verboten", 1);
    }
    runio::Arr<double, maxcomp + 1> a{};
    for (int i = 1; i <= comps.ncomp; ++i)
        a[i] = atomsof(compentry(comps.compname[i]));
    // Formula size in oxides and in atoms; comp holds amounts times compmult.
    auto sums = [&](const runio::Arr<int, maxcomp + 1>& comp, double& sox, double& sat) {
        sox = 0.0;
        sat = 0.0;
        for (int i = 1; i <= comps.ncomp; ++i) {
            const double x = comp[i] / static_cast<double>(comps.compmult[i]);
            sox += x;
            sat += x * a[i];
        }
    };
    const bool oxunits = runio::scriptset.compasoxides;
    for (int p = 1; p <= ph.nss; ++p) {
        axmodels::SolPhase& s = ph.prec1[p];
        for (int e = 1; e <= s.n; ++e) {
            axmodels::EmRec& em = s.em[e];
            double sox, sat;
            sums(em.comp, sox, sat);
            em.oxsum = oxunits ? sox : sat;
            if (oxunits && sox <= 0.0) bomb("countcomp", "sumox <= 0 for " + em.name + ", in " + s.name, 0);
        }
    }
    for (int p = 1; p <= ph.npure; ++p) {
        axmodels::PurePhase& pp = ph.prec0[p];
        double sox, sat;
        sums(pp.comp, sox, sat);
        pp.oxsum = oxunits ? sox : sat;
        if (sox <= 0.0) bomb("countcomp", "sumox <= 0 for " + pp.name, 0);
    }
}

void clean()
{
    bool first = true;
    bool removed = true;
    while (removed) {
        removed = false;
        for (int i = comps.ncomp; i >= 1; --i) {
            int count = 0, last = 0;
            for (int k = 1; k <= ems.nem && count <= 1; ++k) {
                if (comps.c[i][k] != 0) {
                    ++count;
                    last = k;
                }
            }
            if (count == 0) {
                dropcomponent(i);
                removed = true;
            } else if (count == 1) {
                runio::putstr(first ? 1 : 0, ems.emname[last] + " excluded", 1, runio::msl);
                first = false;
                dropcomponent(i);
                dropendmember(last);
                removed = true;
            }
        }
    }
    if (ems.nem < 2) bomb("clean", "insufficient end-members", 0);
}

}  // namespace thermodata
