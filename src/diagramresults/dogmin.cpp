// Gibbs energy minimisation: every assemblage of the chosen phases is
// calculated at every point of a small P-T grid, and at each point the
// assemblage of lowest Gibbs energy of the system (for the one bulk of the
// run) is the stable one.  The bookkeeping follows each calculation; the
// report after the enumeration gives the winner of each point, how far the
// runner-up lies above it, and, at a single point, the equilibria near the
// minimum with the script blocks of the winner.
//
// The Gibbs energy compared is that of the whole system, mode row 1 of the
// result (kJ, for the bulk on its one-atom basis).
#include <algorithm>
#include <cmath>

#include "diagramresults/diagramresults.h"
#include "diagramresults/resultwork.h"
#include "numerics/numerics.h"
#include "phasediagram/phasediagram.h"
#include "runio/scriptset.h"

namespace diagramresults {

namespace {

constexpr int maxlistedpoints = 127;   // grid points the marks of the listing hold
constexpr double neargap = 2.0;        // kJ above the minimum still shown with its modes
constexpr int maxnearrows = 20;
constexpr double nogap = 99.0;         // a gap above this: no runner-up was found

// The number of the assemblage in work: the count of calculated assemblages.
int number() { return phasediagram::solveglobals.equilcount; }

bool excess(int k) { return numerics::phchoice.isexcess[k] != 0; }

std::string excessnames(const std::string& before)
{
    std::string s;
    for (int k = 1; k <= axmodels::ph.nph; ++k)
        if (excess(k)) s += before + phasename(k);
    return s;
}

std::string atpt(double p, double t)
{
    return "at P = " + realstr(p, 2, true) + " kbar and T = " + realstr(celsius(t), 1, true) + runio::degreesign +
           "C";
}

void icline(int before, const std::string& text, int after) { putstr(before, text, after, runio::mic); }

// The heading of the listing of all equilibria, before the first assemblage.
void listingheading(bool single)
{
    std::string& line = runio::chans.line;
    icline(1, repeated('=', 59), 1);
    line = "all equilibria";
    if (numerics::phchoice.nexcessph > 0) line += ", with" + excessnames(" ") + " in excess";
    icline(0, line, 1);
    line.clear();
    addfield("#", -3, line);
    for (int k = 1; k <= axmodels::ph.nph; ++k)
        if (!excess(k)) addfield(phasename(k), 5, line);
    if (single) addfield("G", 13, line);
    icline(1, line, 1);
}

void listingrow(const SolveState& s, bool single, bool accepted)
{
    std::string& line = runio::chans.line;
    line.clear();
    addfield(runio::inttext(number()), -3, line);
    for (int k = 1; k <= axmodels::ph.nph; ++k)
        if (!excess(k)) addfield(s.phases[k] ? "X" : "-", 5, line);
    line += "  ";
    if (!single) {
        line += "   " + dogmincounts.marks;
    } else if (accepted) {
        addreal(phasediagram::solveglobals.systemg, 5, true, 11, line);
    } else if (s.nlecode == 8) {
        addfield("---", 9, line);
    }
    icline(0, line, 1);
}

void store(const SolveState& s)
{
    DogminCounts& d = dogmincounts;
    const numerics::ResultRec& res = numerics::result;
    if (d.nstored + 1 > maxstored) {
        putstr(1, "use less phases and/or have more phases in excess", 1, runio::mscreen);
        runio::bomb("dogmin", "too many equilibria", 0);
    }
    if (static_cast<int>(d.stored.size()) < maxstored + 1) d.stored.resize(maxstored + 1);
    StoredEquil& e = d.stored[++d.nstored];
    e.number = number();
    e.flags = s.phases;
    e.g = phasediagram::solveglobals.systemg;
    e.nmodes = 0;
    // Result entries follow the assemblage's phases in phase order.
    int i = 0;
    for (int k = 1; k <= axmodels::ph.nph && i < res.nphases; ++k) {
        if (!s.phases[k]) continue;
        const numerics::ResPhase& ent = res.ph[++i];
        if (!ent.show || ent.mode[1] == 0.0) continue;
        ++e.nmodes;
        e.phase[e.nmodes] = k;
        e.mode[e.nmodes] = ent.mode[1];
    }
}

// The variables of the winning result: two parallel lines of names and
// values, P and T first, continued on further pairs of lines when the page
// is full.
void winnervariables()
{
    const numerics::ResultRec& res = numerics::result;
    const int pagewidth = runio::prefs.pagewidth;
    std::string heads, values;
    addfield("P(kbar)", 10, heads);
    addfield(std::string("T(") + runio::degreesign + "C)", 10, heads);
    addreal(res.p, 4, true, 10, values);
    addreal(celsius(res.t), 3, true, 10, values);
    int columns = 2;
    for (int i = 1; i <= res.nphases; ++i) {
        const numerics::ResPhase& e = res.ph[i];
        for (int v = 1; v < e.nems; ++v) {
            if ((columns + 1) * 10 > pagewidth) {
                putstr(0, heads, 1, runio::msol);
                putstr(0, values, 1, runio::msol);
                heads = values = runio::spaces(20);
                columns = 2;
            }
            addfield(e.varname[v], 10, heads);
            addreal(e.varval[v], 4, false, 10, values);
            ++columns;
        }
    }
    putstr(0, heads, 1, runio::msol);
    putstr(0, values, columns > 2 ? 2 : 1, runio::msol);
}

void winnermodes()
{
    const numerics::ResultRec& res = numerics::result;
    std::string& line = runio::chans.line;
    line.clear();
    addfield("mode", 4, line);
    for (int i = 1; i <= res.nphases; ++i)
        if (res.ph[i].show) addfield(res.ph[i].name, 10, line);
    putstr(0, line, 1, runio::msol);
    line = runio::spaces(4);
    for (int i = 1; i <= res.nphases; ++i)
        if (res.ph[i].show) addreal(res.ph[i].mode[1], 4, true, 10, line);
    putstr(0, line, 1, runio::msol);
    ResultFlags flags;
    double f = 1.0;
    excessfactor(flags, f);
    if (std::fabs(f - 1.0) <= 1e-8) return;
    line = runio::spaces(4);
    int nzeroed = 0;
    for (int i = 1; i <= res.nphases; ++i) {
        if (!res.ph[i].show) continue;
        const double m = res.ph[i].mode[1];
        if (flags[i]) ++nzeroed;
        if (flags[i] || m == 0.0)
            addfield("", 10, line);
        else
            addreal(f * m, 4, true, 10, line);
    }
    putstr(0, line + (nzeroed > 1 ? "  modes zeroed" : "  mode zeroed"), 1, runio::msol);
}

// The winning assemblage of a single point, as the report names it.
void winner(const numerics::PhaseFlags& best)
{
    const axmodels::Phases& ph = axmodels::ph;
    std::string& line = runio::chans.line;
    line = "Gibbs energy minimisation gives the ";
    runio::chans.line2.clear();
    phasediagram::variancename(numerics::result.var);
    line += runio::chans.line2 + " assemblage ";
    for (int k = 1; k <= ph.nph; ++k)
        if (best[k] && !excess(k)) line += phasename(k) + " ";
    putstr(0, line, 1, runio::msol);
    line = numerics::phchoice.nexcessph > 0 ? "with, in excess," + excessnames(" ") + ", " : "with no in excess phases, ";
    std::string others;
    for (int k = 1; k <= ph.nph; ++k)
        if (!best[k] && !excess(k)) others += " " + phasename(k);
    line += others.empty() ? "and with no additional phases tried" : "also trying assemblages involving" + others;
    putstr(0, line, 2, runio::msol);
    winnervariables();
    winnermodes();
}

std::string gaptext(double gap)
{
    if (gap < 0.0) return "*wrong";
    if (gap > nogap) return "-";
    return realstr(gap, 5, true);
}

void pointtable(bool single)
{
    const numerics::DogminGrid& grid = numerics::dogmin;
    const axmodels::Phases& ph = axmodels::ph;
    std::string& line = runio::chans.line;
    line.clear();
    if (!single) {
        addfield("P(kbar)", 8, line);
        addfield(std::string("T(") + runio::degreesign + "C)", 8, line);
    }
    for (int k = 1; k <= ph.nph; ++k)
        if (!excess(k)) addfield(phasename(k), 7, line);
    addfield("G", 13, line);
    addfield("del", 10, line);
    addfield("n", 6, line);
    addfield("#", 6, line);
    putstr(0, line, 1, runio::msol);
    for (int i = 1; i <= grid.ndogmin; ++i) {
        const numerics::DogminPoint& pt = grid.dogminpoints[i];
        line.clear();
        if (!single) {
            addreal(pt.p, 2, true, 8, line);
            addreal(celsius(pt.t), 1, true, 8, line);
        }
        if (pt.gmin != 0.0) {
            for (int k = 1; k <= ph.nph; ++k)
                if (!excess(k)) addfield(pt.best[k] ? "X" : ".", 7, line);
            addreal(pt.gmin, 5, true, 13, line);
            addfield(gaptext(pt.gap), 10, line);
            addrealshort(pt.nfound, 6, line);
            addrealshort(pt.ibest, 6, line);
        }
        putstr(0, line, 1, runio::msol);
    }
    putstr(0, "", 1, runio::msol);
}

// The stored equilibria in rising G, as far as 2 kJ above the minimum.
void neartable(const numerics::DogminPoint& pt)
{
    const DogminCounts& d = dogmincounts;
    const axmodels::Phases& ph = axmodels::ph;
    const bool withexcess = numerics::phchoice.nexcessph > 0;
    std::string& line = runio::chans.line;
    putstr(0, "assemblage modes for minimum G, and near minimum G, " + atpt(pt.p, pt.t), 2, runio::msol);
    line.clear();
    addfield("#", 5, line);
    for (int k = 1; k <= ph.nph; ++k)
        if (!excess(k)) addfield(phasename(k), 8, line);
    if (withexcess) {
        line += "  :";
        for (int k = 1; k <= ph.nph; ++k)
            if (excess(k)) addfield(phasename(k), 8, line);
    }
    addfield("G", 13, line);
    addfield("odel", 10, line);
    addfield("del", 10, line);
    putstr(0, line, 1, runio::msol);

    runio::Arr<bool, maxstored + 1> shown{};
    double g0 = 0.0, gprev = 0.0;
    for (int row = 1; row <= std::min(d.nstored, maxnearrows); ++row) {
        int next = 0;
        for (int i = 1; i <= d.nstored; ++i)
            if (!shown[i] && (next == 0 || d.stored[i].g < d.stored[next].g)) next = i;
        const StoredEquil& e = d.stored[next];
        if (row == 1) g0 = e.g;
        if (std::fabs(g0 - e.g) > neargap) break;
        shown[next] = true;
        auto modeof = [&](int k, std::string& to) {
            for (int j = 1; j <= e.nmodes; ++j)
                if (e.phase[j] == k) {
                    addreal(e.mode[j], 3, true, 8, to);
                    return;
                }
            addfield(e.flags[k] ? "" : "- ", 8, to);
        };
        line.clear();
        addrealshort(e.number, 5, line);
        for (int k = 1; k <= ph.nph; ++k)
            if (!excess(k)) modeof(k, line);
        if (withexcess) {
            line += "  :";
            for (int k = 1; k <= ph.nph; ++k)
                if (excess(k)) modeof(k, line);
        }
        addreal(e.g, 5, true, 13, line);
        if (row == 1) {
            addfield("-", 10, line);
            addfield("-", 10, line);
        } else {
            addreal(e.g - g0, 5, true, 10, line);
            addreal(e.g - gprev, 5, true, 10, line);
        }
        gprev = e.g;
        putstr(0, line, 1, runio::msol);
    }
}

}  // namespace

void dogmin(SolveState& s, bool success, bool keep)
{
    DogminCounts& d = dogmincounts;
    numerics::DogminGrid& grid = numerics::dogmin;
    const int level = runio::scriptflags.dogminlevel;
    const int npoints = grid.ndogmin;
    const bool single = npoints == 1;
    const int count = phasediagram::solveglobals.pointcount;
    // Loops of set activities repeat the P-T grid: the point is the place in it.
    const int ip = npoints > 0 ? (count - 1) % npoints + 1 : 1;
    const bool accepted = success && keep;
    // A sign of life on the screen while a long minimisation lists nothing there.
    if (level < 2 && number() % 50 == 0) putstr(0, "@", 0, runio::mscreen);
    if (success) {
        ++d.nsolved;
        if (level > 0) printresult(s);
    }
    if (accepted && ip <= npoints) {
        numerics::DogminPoint& pt = grid.dogminpoints[ip];
        const double g = phasediagram::solveglobals.systemg;
        ++pt.nfound;
        if (g < pt.gmin) {
            if (pt.nfound > 1) pt.gap = pt.gmin - g;
            pt.gmin = g;
            pt.ibest = number();
            pt.best = s.phases;
            if (single) numerics::prevresult = numerics::result;
        } else if (pt.nfound != 1) {
            pt.gap = std::min(pt.gap, g - pt.gmin);
        }
        if (single) store(s);
    }
    if (level < 1) return;
    if (ip == 1) {
        if (npoints > maxlistedpoints) runio::bomb("dogmin", "too many PT points", 0);
        d.marks.assign(2 * static_cast<std::size_t>(npoints), ' ');
        if (number() == 1) listingheading(single);
    }
    d.marks[2 * static_cast<std::size_t>(ip - 1)] = accepted ? '#' : s.nlecode == 8 ? 'x' : '-';
    if (single || ip == npoints) listingrow(s, single, accepted);
}

void dogminreport()
{
    const DogminCounts& d = dogmincounts;
    const numerics::DogminGrid& grid = numerics::dogmin;
    const axmodels::Phases& ph = axmodels::ph;
    const int level = runio::scriptflags.dogminlevel;
    const bool single = grid.ndogmin == 1;
    // Nothing was accepted at a point whose lowest G is still its start, 0.
    const bool anywinner = single && grid.dogminpoints[1].gmin != 0.0;
    std::string& line = runio::chans.line;
    putstr(1, repeated('#', 58), 1, runio::msol);
    if (!single) {
        line = "Gibbs energy minimisation with ";
        for (int k = 1; k <= ph.nph; ++k)
            if (!excess(k)) line += " " + phasename(k);
        if (numerics::phchoice.nexcessph > 0) line += ", with, in excess," + excessnames(" ");
        putstr(0, line, 1, runio::msol);
    } else {
        icline(0, "'---' = calculated but not seen", 1);
        icline(1, repeated('-', 59), 1);
        for (int i = 1; i <= 3; ++i) icline(0, axmodels::axinfo.runinfo[i], 1);
        if (anywinner) {
            numerics::result = numerics::prevresult;
            winner(grid.dogminpoints[1].best);
        }
    }
    if (level > 0) {
        if (!single) {
            putstr(0, "", 1, runio::msol);
        } else {
            const numerics::DogminPoint& pt = grid.dogminpoints[1];
            line = "Gibbs energy minimisation info " + atpt(pt.p, pt.t);
            if (numerics::phchoice.nexcessph > 0) line += ", with, in excess," + excessnames(" ");
            putstr(1, line, 2, runio::msol);
        }
        pointtable(single);
    }
    if (single && d.nstored >= 1 && d.nstored <= maxstored - 1) neartable(grid.dogminpoints[1]);
    if (!single) {
        runio::formattext({"note that dogmin for a single PT gives more and more easily-digestible information "
                           "about the possible ",
                           "equilibria for the bulk used."});
    } else if (anywinner) {
        numerics::result = numerics::prevresult;
        printic();
        writerbi();
        writeguesses();
    }
    bool allguessed = true;
    for (int k = 1; k <= ph.nss; ++k) allguessed = allguessed && ph.prec1[k].scriptguess;
    if (!allguessed)
        runio::formattext({"starting guesses (using the xyzguess script) are not provided for all the phases in "
                           "the dogmin calculation. ",
                           "This is potentially dangerous: careful organisation of starting guesses is essential. ",
                           "Use the xyzguess blocks in the logfile from this or previous runs of dogmin. Several "
                           "runs may be needed to ",
                           "get effective starting guesses for all phases."});
}

}  // namespace diagramresults
