// Average pressure and average temperature over a list of temperatures (or
// pressures), made consistent with the activities of the solution-phase
// end-members, which depend on P and T: the average P is iterated, the
// activities recalculated at the last average until it stays put; the
// average T is searched between two brackets for the temperature of the
// activities at which sigfit is smallest. Then a summary table.
#include <algorithm>
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/reactions.h"
#include "emcalcs/emcalcs.h"
#include "runio/runio.h"
#include "runio/scriptset.h"

namespace emcalcs {

namespace {

using axmodels::ph;
using calcwindows::rsearch;
using calcwindows::rxns;
using calcwindows::win;
using calcwindows::Windows;
using runio::addfield;
using runio::addreal;
using runio::msol;
using runio::putstr;
using thermodata::ems;

constexpr double kelvin = 273.15;
constexpr int maxprounds = 10;        // rounds of the average-P iteration
constexpr double pconverged = 1e-4;   // kbar: the average P no longer moves
constexpr int maxtrounds = 20;        // rounds of the average-T bracket search
constexpr double tagree = 2.0;        // K: brackets and middle agree on the average T
constexpr double maxbracket = 200.0;  // K: largest half-width of the first brackets

using Results = runio::Arr<Average, runio::maxlist + 1>;

const std::string deg(1, runio::degreesign);

// An incomplete set of reactions has too few to fix the average.
void checkcomplete(const char* where)
{
    if (rsearch.incompleteset) {
        putstr(1, "an incomplete set of independent reactions has been generated;", 1, msol);
        putstr(0, "vary the run conditions to try and get a complete set...", 1, msol);
        runio::bomb(where, "incomplete set", 0);
    }
    putstr(0, "", 1, msol);
}

// The working end-members that are pure phases.
int purephasesinlist()
{
    int n = 0;
    for (int p = 1; p <= ph.npure; ++p) {
        int pos;
        if (runio::posinlist(ph.prec0[p].emname, ems.emname.data(), ems.nem, pos)) ++n;
    }
    return n;
}

std::string heading(const std::string& what)
{
    const std::string& name = runio::scriptset.rockname;
    return name.empty() ? what + " " : what + " for " + name;
}

// The four rows of a summary of several entries (the given values, the
// averages, their sd and sigfit; blanks and "?" for a failed entry), in
// blocks that keep each row within the page.
struct SummaryRows {
    int labelwidth, width;
    std::string labels[4];
    void (*valuecell)(double value, int width, std::string& line);
    double avshift;    // subtracted from each average: 273.15 shows K as degrees C
    int avdecimals, sddecimals;
};

void summarytable(const SummaryRows& s, const runio::Arr<double, runio::maxlist + 1>& values, int n,
                  const Results& res)
{
    // One column short of the page: a screen line of the full width is cut.
    const int perblock = std::max(1, (runio::prefs.pagewidth - 1 - s.labelwidth) / s.width);
    for (int first = 1; first <= n; first += perblock) {
        const int last = std::min(n, first + perblock - 1);
        for (int row = 0; row < 4; ++row) {
            std::string line;
            addfield(s.labels[row], -s.labelwidth, line);
            for (int e = first; e <= last; ++e) {
                const Average& av = res[e];
                if (row == 0)
                    s.valuecell(values[e], s.width, line);
                else if (!(av.avx > 0.0))
                    addfield(row == 1 ? "?" : " ", s.width, line);
                else if (row == 1)
                    addreal(av.avx - s.avshift, s.avdecimals, true, s.width, line);
                else if (row == 2)
                    addreal(av.sdx, s.sddecimals, true, s.width, line);
                else
                    addreal(av.sigfit, 3, true, s.width, line);
            }
            putstr(row == 0 ? 1 : 0, line, 1, msol);
        }
    }
}

}  // namespace

void updateactivity(double p, double t)
{
    int k = 0;
    for (int n = 1; n <= ph.nss; ++n) {
        axmodels::SolPhase& sp = ph.prec1[n];
        if (sp.hasorder) {
            bool startillegal;
            if (!calcwindows::findlegalq(n, true, startillegal, p, t))
                runio::bomb("updateactivity", "couldn't solve for state of order of " + sp.name, 0);
        }
        runio::Arr<double, axmodels::maxsolem + 1> x{};
        for (int v = 1; v <= sp.nvar; ++v) x[v] = sp.var[v].guess;
        axmodels::EmValues a{}, sda{};
        axmodels::calcemactivities(n, x.data(), a, sda, p, t);
        for (int j = 1; j <= sp.n; ++j) {
            if (k + 1 > ems.nem || ems.emname[k + 1] != sp.em[j].name) continue;
            // An activity above 1 is an artefact of the a-x relations far
            // from the composition's P-T; one that is not positive has no ln a.
            if (!(a[j] > 0.0))
                runio::bomb("updateactivity", "activity negative for " + sp.em[j].name + ", in " + sp.name, 0);
            ++k;
            ems.act[k] = a[j] > 1.0 ? 0.999 : a[j];
            ems.sdact[k] = sda[j];
        }
    }
    // The solution-phase end-members come first in the working list, then
    // the pure phases that the set-up kept.
    if (k != ems.nem - purephasesinlist()) {
        std::string line = "k = ";
        runio::addrealshort(k, 3, line);
        line += ", ncv = ";
        runio::addrealshort(ems.nem, 3, line);
        putstr(1, line, 1, runio::mscreen);
        runio::bomb("updateactivity", "does not add up", 0);
    }
    calcwindows::calclnkall();
}

void printavpline(int n, double t, const Average& av)
{
    std::string line;
    if (n == 0) {
        addfield("avP", 12, line);
        addfield(" ", 6 * rxns.nrxn + 8, line);
        addfield("sd(avP)", 8, line);
        addfield("sigfit", 8, line);
        putstr(0, line, 1, msol);
        line.clear();
    }
    runio::addrealshort(n, 2, line);
    addreal(av.avx, 4, true, 10, line);
    line += " (";
    for (int i = 1; i <= rxns.nrxn; ++i) {
        double p1, p2, sd1, sd2, s1, s2;
        calcwindows::linepointp(i, t, win.xco2, win.xh2o, p1, p2, sd1, sd2, s1, s2);
        if (axmodels::inrange(1, p1))
            addreal(p1, 2, true, 6, line);
        else
            addfield(" ---", 6, line);
        line += i < rxns.nrxn ? ", " : ") ";
    }
    if (av.avx > 0.0) {
        addreal(av.sdx, 1, true, 8, line);
        addreal(av.sigfit, 2, true, 8, line);
    }
    putstr(0, line, 1, msol);
}

void printavtline(int n, double tact, double p, const Average& av)
{
    std::string line;
    if (n == 0) {
        addfield("avT", 18, line);
        addfield(" ", 8 * rxns.nrxn + 2, line);
        addfield("sd(avT)", 8, line);
        addfield("sigfit", 12, line);
        putstr(0, line, 1, msol);
        line.clear();
    }
    runio::addrealshort(n, 2, line);
    addreal(tact - kelvin, 1, true, 8, line);
    if (av.avx == 0.0)
        addfield("--", 8, line);
    else
        addreal(av.avx - kelvin, 2, true, 8, line);
    line += "  (";
    for (int i = 1; i <= rxns.nrxn; ++i) {
        double t1, t2, sd1, sd2, s1, s2;
        calcwindows::linepointt(i, p, win.xco2, win.xh2o, t1, t2, sd1, sd2, s1, s2);
        if (axmodels::inrange(0, t1))
            addreal(t1 - kelvin, 1, true, 6, line);
        else
            addfield(" ---", 6, line);
        line += i < rxns.nrxn ? ", " : ")";
    }
    if (av.avx > 0.0) {
        addreal(av.sdx, 1, true, 8, line);
        addreal(av.sigfit, 5, true, 12, line);
    }
    putstr(0, line, 1, msol);
}

void averagep()
{
    checkcomplete("avP");
    const Windows& w = win;
    const int n = w.ntlist, mid = (n + 1) / 2;
    Results res{};
    for (int e = 1; e <= n; ++e) {
        const double t = w.tlist[e];
        Average av = lsqav(true, t, w.xco2, w.xh2o);
        if (ph.nss > 0) {
            if (e == mid) {
                putstr(0, "avP iteration at T = " + runio::realstrshort(t - kelvin) + deg + "C ", 1, msol);
                printavpline(0, t, av);
            }
            // Activities at P = 0 would mean nothing: the first average must stand.
            if (av.avx == 0.0) runio::bomb("averagep", "iteration failed", 0);
            bool converged = false;
            for (int round = 1; round <= maxprounds && !converged; ++round) {
                const double previous = av.avx;
                updateactivity(previous, t);
                av = lsqav(true, t, w.xco2, w.xh2o);
                if (e == mid) printavpline(round, t, av);
                if (av.avx == 0.0) runio::bomb("averagep", "iteration failed", 0);
                converged = round < maxprounds && std::fabs(av.avx - previous) < pconverged;
            }
            if (!converged)
                putstr(0, "did NOT converge", 1, msol);
            else if (e == mid)
                av = lsqav(false, t, w.xco2, w.xh2o);
        }
        res[e] = av;
    }

    std::string line = heading("Average pressures");
    if (n == 1) line += " at T = " + runio::realstrshort(w.tlist[1] - kelvin) + deg + "C ";
    calcwindows::fluidlabel(line);
    putstr(1, line, 1, msol);
    if (n == 1) {
        const Average& av = res[1];
        line = "For T = " + runio::realstrshort(std::nearbyint(w.tlist[1] - kelvin)) + " " + deg + "C, av P = ";
        if (av.avx > 0.0) {
            calcwindows::addP(av.avx, 0, line);
            line += " kbar, sd = " + runio::realstr(av.sdx, 2, true) + ", sigfit = " + runio::realstr(av.sigfit, 1, true);
        } else {
            line += "? kbar, sd = , sigfit = ";
        }
        putstr(0, line, 1, msol);
        return;
    }
    summarytable({7, 8, {"T" + deg + "C", "av P", "sd", "sigfit"},
                  [](double t, int width, std::string& line) { runio::addrealshort(std::nearbyint(t - kelvin), width, line); },
                  0.0, 2, 3},
                 w.tlist, n, res);
}

namespace {

// The average T at pressure p with the activities recalculated between two
// brackets about tcalc, to the temperature at which sigfit is smallest; a
// zero average when the search fails.
Average searcht(double p, bool mid)
{
    const Windows& w = win;
    const double tcalc = w.tcalc;
    Average av = lsqav(true, p, w.xco2, w.xh2o);
    if (av.avx == 0.0) {
        printavtline(0, tcalc, p, av);
        runio::bomb("averaget", "can't start", 0);
    }
    if (mid) printavtline(0, tcalc, p, av);
    const double delta = std::min(3.0 * av.sdx, maxbracket);
    double tlo = tcalc - delta, thi = tcalc + delta;
    auto bracket = [&](double t, const char* fail) {
        updateactivity(p, t);
        const Average b = lsqav(true, p, w.xco2, w.xh2o);
        if (b.avx == 0.0) {
            printavtline(1, t, p, b);
            runio::bomb("averaget", fail, 0);
        }
        if (mid) printavtline(1, t, p, b);
        return b;
    };
    Average lo = bracket(tlo, "can't start (-)");
    Average hi = bracket(thi, "can't start (+)");
    for (int round = 2; round <= maxtrounds; ++round) {
        const double tmid = (tlo + thi) * 0.5;
        updateactivity(p, tmid);
        av = lsqav(true, p, w.xco2, w.xh2o);
        if (mid) printavtline(round, tmid, p, av);
        const double sf = av.sigfit;
        if (sf > lo.sigfit && sf > hi.sigfit) {
            // sigfit has a maximum between the brackets: only an average
            // that hardly depends on the activities' T is acceptable.
            if (std::fabs(lo.avx - av.avx) < tagree && std::fabs(hi.avx - av.avx) < tagree) return av;
            return Average{};
        }
        if (round == maxtrounds) break;
        bool lowtakes;
        if (sf < lo.sigfit && sf < hi.sigfit)
            lowtakes = lo.sigfit > hi.sigfit;
        else
            lowtakes = !(lo.sigfit < sf && sf < hi.sigfit);
        if (lowtakes) {
            tlo = tmid;
            lo = av;
        } else {
            thi = tmid;
            hi = av;
        }
    }
    return av;
}

}  // namespace

void averaget()
{
    checkcomplete("avT");
    const Windows& w = win;
    const int n = w.nplist, mid = (n + 1) / 2;
    Results res{};
    // The activities stand at the P-T of the set-up until the first recalculation.
    bool atsetup = true;
    for (int e = 1; e <= n; ++e) {
        const double p = w.plist[e];
        if (ph.nss == 0) {
            res[e] = lsqav(true, p, w.xco2, w.xh2o);
            continue;
        }
        const std::string pt = "avT iteration at P = " + runio::realstr(p, 1, true) + " kbar";
        if (e == mid)
            putstr(n >= 2 ? 1 : 0, pt + " ", 1, msol);
        else
            putstr(e == mid + 1 ? 1 : 0, pt + " (details not shown)", 1, msol);
        if (p != w.pcalc || !atsetup) updateactivity(p, w.tcalc);
        atsetup = false;
        Average av = searcht(p, e == mid);
        if (av.avx != 0.0 && e == mid) av = lsqav(false, p, w.xco2, w.xh2o);
        res[e] = av;
    }

    std::string line = heading("Average temperatures");
    if (n == 1) line += " at P = " + runio::realstr(w.plist[1], 1, true) + " kbar";
    calcwindows::fluidlabel(line);
    putstr(1, line, 1, msol);
    if (n == 1) {
        const Average& av = res[1];
        line = "For P = " + runio::realstr(w.plist[1], 1, true) + " kbar, av T = ";
        if (av.avx > 0.0) {
            addreal(av.avx - kelvin, 1, true, 9, line);
            line += " " + deg + "C, sd = ";
            addreal(av.sdx, 1, true, 9, line);
            line += ", sigfit = " + runio::realstr(av.sigfit, 2, true);
        } else {
            line += "? " + deg + "C, sd = , sigfit = ";
        }
        putstr(0, line, 1, msol);
        return;
    }
    summarytable({8, 9, {"P", "av T", "sd", "sigfit"},
                  [](double p, int width, std::string& line) { addreal(p, 2, true, width, line); }, kelvin, 1, 1},
                 w.plist, n, res);
}

}  // namespace emcalcs
