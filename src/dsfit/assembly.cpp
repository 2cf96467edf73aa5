// The rows of the least-squares problem for the current enthalpies: the
// direct-calorimetry rows refreshed, and one row per used experiment from
// the statistics of its brackets; the oxide-calorimetry rows stay as read.
#include <algorithm>
#include <cmath>

#include "axmodels/axmodels.h"
#include "dsfit/dsfit.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace dsfit {

namespace {

using runio::addfield;
using runio::addreal;
using runio::inttext;
using runio::mlog;
using runio::putstr;

void refreshcalorimetry()
{
    int row = 0;
    for (int i = 1; i <= fit.ntda; ++i) {
        const FitEm& e = fit.tda[i];
        if (e.sdhread >= freesd) continue;
        ++row;
        lsq.y[row] = e.row[thermodata::sH];
        lsq.ysd[row] = std::max(e.sdh, minysd);
    }
}

// The member's name as the listings show it: its phase when its activity
// comes from a phase composition.
std::string shownname(const Experiment& x, int j)
{
    const ActEntry& a = x.act[x.col[j]];
    return a.phase > 0 ? fit.phname[a.phase] : a.name;
}

void listgroup(int e)
{
    const Experiment& x = fit.xp[e];
    std::string line = "equilibrium  (" + x.label + "), involving next ";
    line += x.groupsize == 1 ? "reaction:" : inttext(x.groupsize) + " reactions:";
    putstr(0, line, 1, mlog);
    for (int k = 1; k <= x.groupsize; ++k)
        putstr(0, "    " + inttext(e + k - 1) + ":  " + fit.xp[e + k - 1].rxntext, 1, mlog);
    putstr(0, "", 1, mlog);
}

void listactivities(int e)
{
    const Experiment& x = fit.xp[e];
    std::string line = inttext(e) + ")  activities for ";
    for (int j = 1; j <= x.n; ++j) line += shownname(x, j) + " ";
    putstr(0, line + "for the given brackets  (" + x.label + ")", 1, mlog);
    line = "      P      T";
    for (int j = 1; j <= x.n; ++j) addfield(shownname(x, j), 10, line);
    putstr(0, line, 1, mlog);
    for (int k = 1; k <= x.nb; ++k) {
        const Bracket& b = x.br[k];
        line.clear();
        addreal(b.p, 1, true, 7, line);
        addfield(celsius(b.t), 7, line);
        for (int j = 1; j <= x.n; ++j) addreal(b.a[x.col[j]], 5, true, 10, line);
        putstr(0, line, 1, mlog);
    }
}

// The activities of the end-members of each phase whose composition a
// bracket gives, at the bracket's P and T.
void phaseactivities(int e)
{
    Experiment& x = fit.xp[e];
    for (int k = 1; k <= x.nb; ++k) {
        Bracket& b = x.br[k];
        int pos = 0;
        for (int i = 1; i <= x.nact; ++i) {
            const ActEntry& a = x.act[i];
            if (a.marker != afirstem) continue;
            const axmodels::SolPhase& s = axmodels::ph.prec1[a.phase];
            axmodels::EmValues act{};
            if (!xpphasecalc(a.phase, &b.xyz[pos], act, b.p, b.t))
                runio::bomb("assemblelsq", "the composition of " + s.name + " in bracket " + inttext(k) +
                                               " of experiment " + inttext(e) +
                                               " gives an end-member an activity that is not above 0", 0);
            for (int m = 1; m <= s.n; ++m) b.a[i + m - 1] = act[m];
            pos += s.n - 1;
        }
    }
}

// A bracket whose ln Q is no number: a member of the reaction without an
// activity above 0, which no bracket can stand.
[[noreturn]] void noactivity(int e, const Bracket& b)
{
    const Experiment& x = fit.xp[e];
    const std::string where = "bracket " + inttext(b.id) + " of experiment " + inttext(e);
    for (int j = 1; j <= x.n; ++j) {
        const double a = b.a[x.col[j]];
        if (x.nu[j] == 0 || (a > 0.0 && std::isfinite(a))) continue;
        const ActEntry& entry = x.act[x.col[j]];
        const std::string value = std::isfinite(a) ? "of " + runio::valuetext(a) : "that is not a number";
        const std::string from =
            entry.phase > 0 ? "the composition of " + fit.phname[entry.phase] + " in " + where : where;
        runio::bomb("assemblelsq", from + " gives " + entry.name + " an activity " + value +
                                       ": its reaction needs one above 0", 0);
    }
    runio::bomb("assemblelsq", "ln Q of the reaction in " + where + " is not a number", 1);
}

// One row of the least-squares problem per used experiment.
void experimentrow(int e, int& row)
{
    Experiment& x = fit.xp[e];
    x.row = 0;
    x.dh = 0.0;
    for (int j = 1; j <= x.n; ++j) x.dh += x.nu[j] * fit.tda[x.em[j]].row[thermodata::sH];
    for (int k = 1; k <= x.nb; ++k) {
        Bracket& b = x.br[k];
        b.lnq = 0.0;
        for (int j = 1; j <= x.n; ++j) b.lnq += x.nu[j] * std::log(b.a[x.col[j]]);
        if (!std::isfinite(b.lnq)) noactivity(e, b);
    }
    bracketsd(e);
    for (int k = 1; k <= x.nb; ++k) {
        const Bracket& b = x.br[k];
        if (!std::isfinite(b.y) || !std::isfinite(b.sd2))
            runio::bomb("assemblelsq", "the reaction of experiment " + inttext(e) + " gives bracket " +
                                           inttext(b.id) + " (" + runio::valuetext(b.p) + " kbar, " + celsius(b.t) +
                                           runio::degreesc + ") an enthalpy or uncertainty that is not a number",
                        0);
        if (k == 1) continue;
        // End-member data so large that the enthalpies no longer resolve a
        // few kJ leave the statistics of a pair, and the report's
        // interpolation between two brackets, dividing by 0.
        const Bracket& a = x.br[k - 1];
        const std::string pair = "brackets " + inttext(a.id) + " and " + inttext(b.id) + " of experiment " + inttext(e);
        if ((b.samep || b.samet) && a.sd2 + b.sd2 == 0.0)
            runio::bomb("assemblelsq", pair + " have no uncertainty: the data of its end-members leave the "
                                              "reaction's G changing with neither P nor T",
                        0);
        if (a.sense != b.sense && a.p == b.p && a.t == b.t && a.xco2 == b.xco2 && a.lnq != b.lnq && a.y == b.y)
            runio::bomb("assemblelsq", pair + ", at one P and T but of different ln Q, give the same enthalpy " +
                                           runio::realstr(b.y, 4, false) +
                                           " kJ: the data of its end-members are too large for the fit to tell "
                                           "them apart",
                        0);
    }
    bracketstats(e);
    if (x.onesided) {
        // Without a bracket on each side there is no interval to fit to.
        if (x.used)
            putstr(0, "experiment " + inttext(e) + " (" + x.rxntext +
                          ") left out: its brackets all lie on one side", 1, mlog);
        x.used = false;
        return;
    }
    if (!x.used) return;
    if (row == maxnexp) runio::bomb("readxy", "too many experiments (increase maxnexp)", 0);
    ++row;
    lsq.y[row] = (x.low + x.high) / 2.0;
    x.usedh = lsq.y[row];
    x.scale = x.wsum;
    x.rowsd = x.wsum > 0.0 ? x.rfac / x.wsum : x.rfac * (x.high - x.low) / 2.0;
    lsq.ysd[row] = std::max(x.rowsd, minysd);
    for (int j = 1; j <= fit.ntda; ++j) {
        lsq.xat(row, j) = 0;
        lsq.bat(row, j) = 0;
    }
    for (int j = 1; j <= x.n; ++j) {
        lsq.xat(row, x.em[j]) = static_cast<std::int16_t>(lsq.xat(row, x.em[j]) + x.nu[j]);
        lsq.bat(row, x.em[j]) = 1;
    }
    x.row = row - lsq.noxrow;
}

std::string rowstart(int row, double y, double ysd, int decimals, int ysdwidth)
{
    std::string line;
    addfield(inttext(row), 3, line);
    line += ") ";
    addreal(y, decimals, true, 10, line);
    addreal(ysd, decimals, true, ysdwidth, line);
    return line;
}

void listinput(int iteration)
{
    putstr(1, "LSQ input:", 1, mlog);
    putstr(1, "simple calorimetry", 1, mlog);
    int row = 0;
    for (int i = 1; i <= fit.ntda; ++i) {
        const FitEm& e = fit.tda[i];
        if (e.sdhread >= freesd) continue;
        ++row;
        std::string line = rowstart(row, lsq.y[row], lsq.ysd[row], 2, 8);
        addfield(e.name, 6, line);
        if (iteration >= 2) {
            addreal(e.hread, 2, true, 10, line);
            addreal(e.sdhread, 2, true, 10, line);
        }
        putstr(0, line, 1, mlog);
    }
    putstr(0, "", 1, mlog);
    putstr(1, "oxide calorimetry", 1, mlog);
    for (int k = 1; k <= fit.noxcal; ++k) {
        const OxCal& o = fit.oxcal[k];
        if (!o.used) continue;
        ++row;
        std::string line = rowstart(row, lsq.y[row], lsq.ysd[row], 2, 8);
        for (int j = 1; j <= o.n; ++j) addfield(fit.tda[o.em[j]].name, 6, line);
        putstr(0, line, 1, mlog);
    }
    putstr(0, "", 1, mlog);
    putstr(0, "experimental brackets", 1, mlog);
    for (int e = 1; e <= fit.nexp; ++e) {
        const Experiment& x = fit.xp[e];
        if (x.row == 0 || (!x.hasphases && fitopts.infolevel < 3)) continue;
        const int r = x.row + lsq.noxrow;
        std::string line = rowstart(r, lsq.y[r], lsq.ysd[r], 4, 10) + "    ";
        std::string rxn;
        for (int j = 1; j <= x.n; ++j)
            if (x.nu[j] < 0) rxn += x.act[x.col[j]].name + "  ";
        rxn += "=  ";
        for (int j = 1; j <= x.n; ++j)
            if (x.nu[j] > 0) rxn += x.act[x.col[j]].name + "  ";
        addfield(rxn, -35, line);
        if (!x.hasphases)
            line += "  (" + x.label + ")";
        else if (x.groupno == 1)
            line += "  in:  " + x.header + "  (" + x.label + ")";
        else
            line += "        -- ditto --";
        putstr(0, line, 1, mlog);
    }
    putstr(0, "", 1, mlog);
}

}  // namespace

bool xpphasecalc(int phase, const double* x, axmodels::EmValues& a, double p, double t)
{
    axmodels::SolPhase& s = axmodels::ph.prec1[phase];
    axmodels::EmValues values{}, sda{};
    for (int v = 1; v <= s.nvar; ++v) {
        if (v <= s.n - 1) s.var[v].guess = x[v];
        values[v] = s.var[v].guess;
    }
    axmodels::calcemactivities(phase, values.data(), a, sda, p, t);
    for (int m = 1; m <= s.n; ++m)
        if (!(a[m] > 0.0)) return false;
    return true;
}

void assemblelsq(int iteration)
{
    if (iteration >= 2) refreshcalorimetry();
    runio::win.fluidtype = 6;
    // The categories of the experiments as this assembly finds them.
    fit.xpcatcount.fill(0);
    int row = lsq.noxrow;
    for (int e = 1; e <= fit.nexp; ++e) {
        Experiment& x = fit.xp[e];
        thermodata::ds.expno = e;
        runio::Arr<int, maxactlist + 1> list{};
        for (int i = 1; i <= x.nact; ++i) list[i] = x.act[i].em;
        findspecialems(list.data(), x.nact);
        x.nofluid = thermodata::ems.ih2o == 0 && thermodata::ems.ico2 == 0;
        thermodata::ds.fitcrd = x.crd;
        if (fitopts.infolevel > 1) {
            if (e == 1) putstr(1, "ASSEMBLING experimental work", 1, mlog);
            if (x.hasphases && x.groupno == 1) listgroup(e);
        }
        if (x.groupno == 1) {
            if (x.hasphases) {
                setupxpsystem(e);
                if (x.unknowncomps && (x.compsmissing || iteration > 1)) {
                    // A pair of brackets is calculated as one equilibrium.
                    pairbrackets(e);
                    calcass(e, 2, fitopts.infolevel >= 3);
                }
                for (int b = 1; b <= x.nb; ++b) xpcalca(e, b);
            } else {
                phaseactivities(e);
            }
        }
        if (fitopts.infolevel != 1 && (!x.hasphases || x.groupno == 1)) listactivities(e);
        if (x.nb > 0) experimentrow(e, row);
    }
    lsq.nobs = row;
    if (fitopts.infolevel >= 2) listinput(iteration);
}

}  // namespace dsfit
