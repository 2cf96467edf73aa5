// The engine of the reaction searches: the one reaction among rank + 1
// phases by fraction-free integer elimination, balanced in the components
// of the phases in excess, oriented with the fluid among the products, and
// kept or dropped as the calculation mode asks: every reaction in the
// tables, an independent, precise reaction crossing the window for an
// average P-T, a reaction crossing the diagram window for the all-reactions
// diagram, where a dropped one tells which assemblage is metastable.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "calcwindows/reactions.h"
#include "numerics/numerics.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"

namespace calcwindows {

namespace {

using runio::gcd64;
using runio::putstr;
using thermodata::comps;
using thermodata::ems;

using Coefs = runio::Arr<long long, thermodata::maxem + 1>;

// The elimination works in 32-bit integers; a reaction's coefficients are
// stored in 16 bits.
constexpr long long maxwork = INT32_MAX;
constexpr long long maxcoef = INT16_MAX;

// The frame of one findreactions: the composition matrix of the chosen
// phases over the subset's components, and the end-member of each column.
struct SubMatrix {
    int rows = 0, cols = 0;
    runio::Arr<runio::Arr<long long, maxrxnsubmatrix + 1>, thermodata::maxcomp + 1> a{};
    runio::Arr<int, maxrxnsubmatrix + 1> colidx{};
};

std::string phasenames(const EmFlags& subset)
{
    std::string names;
    for (int j = 1; j <= comps.nemr; ++j)
        if (subset[j]) names += " " + ems.emname[j];
    return names;
}

// The coefficients of a reaction among many phases of complex formulas can
// outgrow what is stored: the reaction cannot be written, so the run stops.
[[noreturn]] void toolarge(const EmFlags& subset)
{
    runio::bomb("findreactions", "coefficients of the reaction among" + phasenames(subset) +
                                     " too large to store (max = 32767)", 0);
}

long long checked(long long v, const EmFlags& subset)
{
    if (v > maxwork || v < -maxwork) toolarge(subset);
    return v;
}

long long lcm64(long long a, long long b, const EmFlags& subset)
{
    if (a == 0 || b == 0) return 0;
    return checked(std::llabs(a / gcd64(a, b) * b), subset);
}

// The diagnostic of a subset that does not hold rank + 1 phases.
[[noreturn]] void wrongphases(const SubMatrix& m, int k, const CompFlags& compflags, const EmFlags& usable,
                              const EmFlags& subset)
{
    using runio::addfield;
    const int n = rsearch.rankc + 1;
    putstr(0, "ix = " + runio::realstrshort(m.rows) + ", no = " + runio::realstrshort(k) + ", iy = " +
                  runio::realstrshort(m.cols) + ", rankc+1 = " + runio::realstrshort(n),
           1, runio::msol);
    for (int q = 1; q <= comps.ncomp0; ++q) {
        std::string line = compflags[q] ? "" : runio::spaces(5);
        addfield(comps.compname[q], -5, line);
        putstr(q == comps.ncomp0 ? 1 : 0, line, 1, runio::msol);
    }
    for (int j = 1; j <= comps.nemr; ++j) {
        std::string line = subset[j] ? "" : runio::spaces(5);
        addfield(ems.emname[j], -8, line);
        if (subset[j]) line += runio::spaces(5);
        if (usable[j]) addfield("*", 4, line);
        putstr(0, line, 1, runio::msol);
    }
    runio::bomb("calca", "wrong no of phases ", 1);
}

void makesubmatrix(SubMatrix& m, int k, const CompFlags& compflags, const EmFlags& usable, const EmFlags& subset)
{
    m.cols = 0;
    for (int j = 1; j <= comps.nemr; ++j)
        if (subset[j]) ++m.cols;
    m.rows = 0;
    for (int q = 1; q <= comps.ncomp0; ++q)
        if (compflags[q]) ++m.rows;
    if (m.rows != k)
        runio::bomb("calca",
                    "wrong no of components " + runio::realstrshort(m.rows) + " " + runio::realstrshort(k), 1);
    if (m.cols != rsearch.rankc + 1 || m.cols > maxrxnsubmatrix) wrongphases(m, k, compflags, usable, subset);

    int c = 0;
    for (int j = 1; j <= comps.nemr; ++j)
        if (subset[j]) m.colidx[++c] = j;
    int r = 0;
    for (int q = 1; q <= comps.ncomp0; ++q) {
        if (!compflags[q]) continue;
        ++r;
        long long g = 0;
        for (int s = 1; s <= m.cols; ++s) {
            m.a[r][s] = comps.c[q][m.colidx[s]];
            g = gcd64(g, m.a[r][s]);
        }
        if (g > 1)
            for (int s = 1; s <= m.cols; ++s) m.a[r][s] /= g;
    }
}

// Fraction-free elimination to upper triangular form, the phases' order
// following the column exchanges.
void eliminate(SubMatrix& m, const EmFlags& subset)
{
    auto& a = m.a;
    const int n = m.cols, k = m.rows;
    for (int s = 1; s <= n && s <= k; ++s) {
        if (a[s][s] == 0) {
            int k1 = 0, k2 = 0;
            for (int col = s; col <= n && k1 == 0; ++col)
                for (int row = s; row <= k; ++row)
                    if (a[row][col] != 0) {
                        k1 = row;
                        k2 = col;
                        break;
                    }
            if (k1 == 0) return;
            if (k2 > s) {
                for (int row = 1; row <= k; ++row) std::swap(a[row][s], a[row][k2]);
                std::swap(m.colidx[s], m.colidx[k2]);
            }
            if (k1 > s) {
                a[s][s] = a[k1][s];
                a[k1][s] = 0;
                for (int col = s + 1; col <= n; ++col) std::swap(a[s][col], a[k1][col]);
            }
        }
        for (int row = s; row <= k; ++row) {
            long long g = 0;
            for (int col = s; col <= n; ++col) g = gcd64(g, a[row][col]);
            if (g > 1)
                for (int col = s; col <= n; ++col) a[row][col] /= g;
        }
        const long long p = a[s][s];
        for (int row = s + 1; row <= k; ++row) {
            if (a[row][s] == 0) continue;
            const long long g = gcd64(p, a[row][s]);
            const long long fp = p / g, fr = a[row][s] / g;
            for (int col = s + 1; col <= n; ++col) a[row][col] = checked(fp * a[row][col] - fr * a[s][col], subset);
        }
        for (int row = s + 1; row <= k; ++row) a[row][s] = 0;
    }
}

// Back-substitution with the last phase's coefficient at -L, L the least
// common multiple of the denominators.
void backsubstitute(SubMatrix& m, Coefs& nu, const EmFlags& subset)
{
    auto& a = m.a;
    const int rank = rsearch.rankc, n = m.cols;
    runio::Arr<long long, maxrxnsubmatrix + 1> num{}, den{};
    for (int s = rank; s >= 1; --s) {
        const long long d = a[s][s], e = a[s][n];
        if (d == 0) {
            num[s] = 0;
            den[s] = 1;
        } else {
            const long long g = gcd64(d, e);
            num[s] = e / g;
            den[s] = d / g;
            if (d < 0) {
                num[s] = -num[s];
                den[s] = -den[s];
            }
        }
        for (int i = 1; i <= s - 1; ++i) {
            const long long g = gcd64(a[i][s], den[s]);
            const long long mult = den[s] / g;
            a[i][n] = checked(mult * a[i][n] - (a[i][s] / g) * num[s], subset);
            if (mult > 1)
                for (int j = i; j <= rank; ++j)
                    if (j != s) a[i][j] = checked(mult * a[i][j], subset);
        }
    }
    long long lcmden = 1;
    for (int s = 1; s <= rank; ++s) lcmden = lcm64(lcmden, den[s], subset);
    for (int j = 1; j <= ems.nem; ++j) nu[j] = 0;
    for (int s = 1; s <= rank; ++s) nu[m.colidx[s]] = checked(lcmden / den[s] * num[s], subset);
    nu[m.colidx[n]] = -lcmden;
}

// The components of the phases in excess (after the first ncomp0) are
// balanced by those phases, one per component at position nemr + its rank.
void balanceexcess(Coefs& nu, const EmFlags& subset)
{
    const int nextra = comps.ncomp - comps.ncomp0;
    if (nextra <= 0) return;
    runio::Arr<long long, thermodata::maxcomp + 1> num2{}, den2{};
    long long lcm2 = 1;
    for (int e = 1; e <= nextra; ++e) {
        const int q = comps.ncomp0 + e;
        long long t = 0;
        for (int j = 1; j <= ems.nem; ++j) t = checked(t + nu[j] * comps.c[q][j], subset);
        const long long g = gcd64(t, comps.compmult[q]);
        num2[e] = g == 0 ? 0 : t / g;
        den2[e] = g == 0 ? 1 : comps.compmult[q] / g;
        lcm2 = lcm64(lcm2, den2[e], subset);
    }
    if (lcm2 > 1)
        for (int j = 1; j <= comps.nemr; ++j) nu[j] = checked(nu[j] * lcm2, subset);
    for (int e = 1; e <= nextra; ++e) {
        const int pos = comps.nemr + e;
        if (pos <= thermodata::maxem) nu[pos] = checked(-(lcm2 / den2[e]) * num2[e], subset);
    }
}

// A reaction that does not balance is a fault of the system's set-up; the
// dump shows the end-members and components for the report of it.
void check(const Coefs& nu, const CompFlags& compflags, const EmFlags& subset)
{
    bool balanced = true;
    for (int q = 1; q <= comps.ncomp && balanced; ++q) {
        long long sum = 0;
        for (int j = 1; j <= ems.nem; ++j) sum += nu[j] * comps.c[q][j];
        balanced = sum == 0;
    }
    if (balanced) return;

    using runio::addfield;
    using runio::addrealshort;
    const std::string bullet(1, runio::bulletsign);
    std::string text = "\n\n";
    for (int j = 1; j <= comps.nemr; ++j) {
        if (!subset[j]) continue;
        std::string line;
        addfield(ems.emname[j], 8, line);
        addrealshort(static_cast<double>(nu[j]), 8, line);
        text += line + "\n";
    }
    std::string line = runio::spaces(8);
    for (int q = 1; q <= comps.ncomp; ++q) addfield(comps.compname[q], 8, line);
    text += "\n" + line + "\n";
    for (int j = 1; j <= ems.nem; ++j) {
        line.clear();
        addfield(ems.emname[j], 8, line);
        for (int q = 1; q <= comps.ncomp; ++q) addrealshort(comps.c[q][j], 8, line);
        if (j <= comps.nemr && subset[j]) line += " " + bullet;
        text += line + "\n";
    }
    line = runio::spaces(8);
    for (int q = 1; q <= comps.ncomp; ++q) addfield(q <= comps.ncomp0 && compflags[q] ? bullet : " ", 8, line);
    text += line + "\n\n";
    runio::screenwrite(text);
    runio::query("in check");
    runio::bomb("check", "unbalanced", 1);
}

// H2O and CO2 together stand on the product side.
void orientreaction(Coefs& nu)
{
    long long s = 0;
    if (ems.ih2o > 0) s += nu[ems.ih2o];
    if (ems.ico2 > 0) s += nu[ems.ico2];
    if (s < 0)
        for (int j = 1; j <= ems.nem; ++j) nu[j] = -nu[j];
}

// Appends the reaction to the set, and its phases to the formed sets.
void store(const Coefs& nu, EmFlags& subset)
{
    if (rxns.nrxn >= thermodata::maxrxn)
        runio::bomb("findreactions", "too many reactions" + runio::maxlabel(thermodata::maxrxn), 1);
    for (int j = 1; j <= ems.nem; ++j)
        if (nu[j] > maxcoef || nu[j] < -maxcoef) toolarge(subset);
    const int m = ++rxns.nrxn;
    auto& row = rxns.r[m];
    for (int j = 1; j <= ems.nem; ++j) row[j] = static_cast<std::int16_t>(nu[j]);
    BitSet3 set{};
    runio::BClr2(set);
    for (int j = 1; j <= comps.nemr; ++j) {
        subset[j] = nu[j] != 0;
        if (subset[j]) runio::BSet2(set, j);
    }
    rxns.rxnphases[m] = set;
    if (rsearch.nformed < maxformed) rsearch.formed[++rsearch.nformed] = set;
}

// Drops the newest reaction from the set (and, outside mode 2, from the
// formed sets, so that a later subset may form it again).
void dropnewest(bool fromformed)
{
    --rxns.nrxn;
    if (fromformed && rsearch.nformed > 0) --rsearch.nformed;
}

// A reaction whose line misses the window: its metastable side is an
// assemblage that cannot be stable anywhere in the window, so every larger
// assemblage holding it is ruled out. A smaller such assemblage rules out
// more, and replaces the larger ones it lies in.
void reactionsign(const Corners& corners)
{
    const int m = rxns.nrxn;
    dropnewest(true);
    const auto& nu = rxns.r[m];
    BitSet3 n3{};
    runio::BClr2(n3);
    int n = 0, p = 0;
    for (int j = 1; j <= comps.nemr; ++j) {
        const bool metastable = corners[1] ? nu[j] < 0 : nu[j] > 0;
        if (!metastable) continue;
        runio::BSet2(n3, j);
        ++n;
        p = j;
    }

    ReactionSearch& rs = rsearch;
    bool isnew = false;
    if (n == 0) {
        // The metastable side lies wholly among the phases in excess: it
        // rules out no assemblage of the diagram.
    } else if (n == 1) {
        if (!excludedem(p)) {
            if (ems.nexcl >= thermodata::maxem)
                runio::bomb("reactionsign", "too many excluded end-members" + runio::maxlabel(thermodata::maxem), 1);
            ems.exclem[++ems.nexcl] = p;
            isnew = true;
        }
        int kept = 0;
        for (int e = 1; e <= rs.nexclass; ++e)
            if (!runio::BTst2(rs.exclass[e], p)) rs.exclass[++kept] = rs.exclass[e];
        rs.nexclass = kept;
    } else {
        bool ruledout = false;
        for (int e = 1; e <= ems.nexcl && !ruledout; ++e) ruledout = runio::BTst2(n3, ems.exclem[e]);
        for (int e = 1; e <= rs.nexclass && !ruledout; ++e) ruledout = runio::setsubset3(rs.exclass[e], n3);
        if (!ruledout) {
            isnew = true;
            int kept = 0;
            for (int e = 1; e <= rs.nexclass; ++e)
                if (!runio::setsubset3(n3, rs.exclass[e])) rs.exclass[++kept] = rs.exclass[e];
            if (kept < rs.nexclass) {
                rs.nexclass = kept + 1;
            } else if (rs.nexclass < maxexclass) {
                ++rs.nexclass;
            }
            rs.exclass[rs.nexclass] = n3;
        }
    }
    progresschar(isnew ? "+" : "-");
}

}  // namespace

void findreactions(int k, const CompFlags& compflags, const EmFlags& usable, EmFlags& subset)
{
    SubMatrix m;
    makesubmatrix(m, k, compflags, usable, subset);
    eliminate(m, subset);
    const int n = m.cols;
    if (!(k == rsearch.rankc || m.a[n][n] == 0)) {
        putstr(1, "   no =" + runio::realstrshort(k) + ",  nmax =" + runio::realstrshort(rsearch.nmax) +
                      ", rank =" + runio::realstrshort(rsearch.rankc),
               1, runio::msl);
        runio::bomb("re", "no reaction - WHY", 1);
    }
    Coefs nu{};
    backsubstitute(m, nu, subset);
    balanceexcess(nu, subset);
    check(nu, compflags, subset);
    orientreaction(nu);
    store(nu, subset);

    const int mode = runio::run.calcmode;
    if (mode == 0 || mode == 3) sumnulna();
    if (mode == 2) {
        const char* mark;
        double sd = 0.0;
        if (!newindr()) {
            mark = "-";
        } else {
            sumnulna();
            if (!windowcorners(sd))
                mark = "0";
            else if (sd > rsearch.maxsd)
                mark = ":";
            else
                mark = "X";
        }
        // A dropped reaction keeps its formed set: its phases give nothing new.
        const bool kept = mark[0] == 'X';
        if (kept)
            ++rsearch.nsubrxn;
        else
            dropnewest(false);
        progresschar(mark);
        if (kept) {
            // The standard error of the estimate: K whole, or kbar to 0.1.
            std::string line;
            if (rsearch.rockcalc == 1) {
                line.push_back(' ');
                line += runio::realstrshort(std::nearbyint(sd));
            } else {
                runio::addreal(sd, 1, true, 5, line);
            }
            line.push_back('\n');
            runio::screenwrite(line);
        }
    } else if (mode == 3) {
        Corners corners{};
        if (inPTXwindow(rxns.nrxn, corners)) {
            progresschar("X");
        } else if (win.allreactions) {
            dropnewest(true);
            progresschar("+");
        } else {
            reactionsign(corners);
        }
    }
}

bool newindr()
{
    const int n = rxns.nrxn, nem = ems.nem;
    Coefs v{};
    for (int j = 1; j <= nem; ++j) v[j] = rxns.r[n][j];
    auto reduce = [&]() {
        long long g = 0;
        for (int j = 1; j <= nem; ++j) g = gcd64(g, v[j]);
        if (g > 1)
            for (int j = 1; j <= nem; ++j) v[j] /= g;
        return g != 0;
    };
    ReactionSearch& rs = rsearch;
    for (int m = 1; m <= n - 1; ++m) {
        const int q = rs.indpivot[m];
        if (v[q] == 0) continue;
        const long long g = gcd64(rs.indrows[m][q], v[q]);
        const long long fr = rs.indrows[m][q] / g, fv = v[q] / g;
        for (int j = 1; j <= nem; ++j) v[j] = fr * v[j] - fv * rs.indrows[m][j];
        reduce();
        for (int j = 1; j <= nem; ++j)
            if (v[j] > maxwork || v[j] < -maxwork)
                runio::bomb("newindr", "independent reaction rows beyond 2147483647", 1);
    }
    if (!reduce()) return false;
    const int limit = runio::run.calcmode == 2 ? maxindeprock : maxindep;
    if (n > limit) runio::bomb("newindr", "too many independent reactions", 0);
    int pivot = 1;
    while (v[pivot] == 0) ++pivot;
    rs.indpivot[n] = pivot;
    for (int j = 1; j <= nem; ++j) rs.indrows[n][j] = static_cast<std::int32_t>(v[j]);
    return true;
}

int selectionrank(const EmFlags& flags)
{
    // Work space for every rank of the pass: the composition columns of the
    // selected end-members.
    static numerics::IntMatrix a;
    if (static_cast<int>(a.size()) < thermodata::maxcomp + 1) a.resize(thermodata::maxcomp + 1);
    int n = 0;
    for (int j = 1; j <= comps.nemr; ++j) {
        if (!flags[j]) continue;
        ++n;
        for (int q = 1; q <= comps.ncomp0; ++q) a[q][n] = comps.c[q][j];
    }
    if (n == 0 || comps.ncomp0 < 1) return 0;
    return numerics::intechelon(a, comps.ncomp0, n);
}

void sumnulna()
{
    const int m = rxns.nrxn;
    const auto& nu = rxns.r[m];
    double lnk = 0.0;
    for (int j = 1; j <= ems.nem; ++j)
        if (nu[j] != 0) lnk += nu[j] * std::log(ems.act[j]);
    rxns.lnk[m] = lnk;
}

bool windowcorners(double& sd)
{
    const Windows& w = win;
    const ReactionSearch& rs = rsearch;
    const int i = rxns.nrxn;
    const bool avt = rs.rockcalc == 1;
    auto gat = [&](double p, double t) {
        double dgdp, dgdt, g;
        thermodata::calcrxn(i, dgdp, dgdt, g, p, t, w.xco2, w.xh2o);
        return g;
    };
    bool crossing;
    if (rs.linewindow) {
        const double g1 = avt ? gat(w.pcalc, w.tlow) : gat(w.plow, w.tcalc);
        const double g2 = avt ? gat(w.pcalc, w.thigh) : gat(w.phigh, w.tcalc);
        crossing = (g1 > 0.0 && g2 <= 0.0) || (g1 <= 0.0 && g2 > 0.0);
    } else {
        // For average P the line must cross the P window at both window
        // temperatures, for average T the T window at both window pressures.
        const double ga = gat(w.plow, w.tlow);
        const double gb = avt ? gat(w.plow, w.thigh) : gat(w.phigh, w.tlow);
        const double gc = avt ? gat(w.phigh, w.tlow) : gat(w.plow, w.thigh);
        const double gd = gat(w.phigh, w.thigh);
        crossing = (ga > 0.0 && gb <= 0.0 && gc > 0.0 && gd <= 0.0) || (ga <= 0.0 && gb > 0.0 && gc <= 0.0 && gd > 0.0);
    }
    if (!crossing) {
        sd = 1000.0;
        return false;
    }
    double x1, x2, sd2, slope1, slope2;
    if (avt)
        linepointt(i, w.pcalc, w.xco2, w.xh2o, x1, x2, sd, sd2, slope1, slope2);
    else
        linepointp(i, w.tcalc, w.xco2, w.xh2o, x1, x2, sd, sd2, slope1, slope2);
    return true;
}

void progresschar(const std::string& ch) { putstr(0, ch, 0, runio::msl); }

bool excludedem(int j)
{
    for (int e = 1; e <= ems.nexcl; ++e)
        if (ems.exclem[e] == j) return true;
    return false;
}

}  // namespace calcwindows
