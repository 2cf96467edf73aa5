// Batch items: the calculations a script's batch lines define, each with its
// own phases, variance, pressures and temperatures, starting guesses, bulk,
// zero-mode phases and isopleths.  The phases of a batch line are named by
// their places in the script's "with" list; they are found among the
// assemblage's phases once per assemblage, and each item is loaded into the
// calculation's state before its grid is calculated.  The drawing program
// and the csv files get the list of the batch run's equilibria first.
#include <cstdio>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "numerics/numerics.h"
#include "phasediagram/calculation.h"
#include "phasediagram/phasediagram.h"
#include "runio/scriptset.h"

namespace phasediagram {

namespace {

using axmodels::ph;
using runio::bomb;
using runio::putstr;

// The phases of batch record b, as phase numbers of the assemblage.
numerics::PhaseFlags batchphases(const SolveState& s, int b)
{
    const runio::BatchRec& r = runio::batches.batchrec[b];
    numerics::PhaseFlags flags{};
    for (int i = 1; i <= runio::scripttabs.nwith; ++i)
        if (r.present[i]) flags[s.batchphasemap[i]] = 1;
    return flags;
}

// Position of a variable name in guess block g, 0 when absent.
int guessposition(const runio::BatchGuess& g, const std::string& name)
{
    for (int i = 1; i <= g.n; ++i)
        if (g.name[i] == name) return i;
    return 0;
}

// Components present in the batch's phases: flags and the highest present.
void batchcomponents(const numerics::PhaseFlags& flags, runio::BatchRec& r)
{
    const thermodata::Components& cs = thermodata::comps;
    int count = 0, highest = 0;
    for (int c = 1; c <= cs.ncompsave && c <= runio::maxscriptcomp; ++c) {
        bool present = false;
        for (int k = 1; k <= ph.nss && !present; ++k)
            if (flags[k])
                for (int m = 1; m <= ph.prec1[k].n && !present; ++m) present = ph.prec1[k].em[m].comp[c] != 0;
        for (int k = 1; k <= ph.npure && !present; ++k) present = flags[ph.nss + k] && ph.prec0[k].comp[c] != 0;
        r.compused[c] = present;
        if (present) {
            ++count;
            highest = c;
        }
    }
    if (count != r.ncompused) bomb("dobatch", "mismatch in making bcomps", 0);
    r.ncomp = highest;
}

// Batch item b solves for its modes when it has a bulk of its own; the
// first item of a fractionation, whose bulk is the path's, only above
// variance 2 (below it the modes come from the mass balance after the solve).
bool itemmodesinnle(int b)
{
    const runio::BatchTables& bt = runio::batches;
    if (solveglobals.fracton && b == 1) return bt.batchrec[1].variance > 2;
    return bt.batchrec[b].bulkflag;
}

// A direct write to a csv file, continuing its line.
void csvwrite(runio::Channel ch, const std::string& text)
{
    runio::Channels& chs = runio::chans;
    if ((chs.chanset & (1u << ch)) == 0 || chs.file[ch] == nullptr) return;
    runio::chanwrite(ch, text);
    chs.chanused[ch] = true;
}

}  // namespace

void setupbatch(SolveState& s)
{
    // The assemblage's phases, solution phases first.
    runio::Arr<std::string, numerics::nphflags + 1> names{};
    int n = 0;
    for (int k = 1; k <= ph.nph; ++k)
        if (s.phases[k]) names[++n] = phasename(k);
    const runio::ScriptTables& st = runio::scripttabs;
    for (int i = 1; i <= st.nwith; ++i) {
        int pos;
        if (!runio::posinlist(st.withnames[i], names.data(), n, pos)) bomb("setupbatch", "name fubar", 0);
        s.batchphasemap[i] = pos;
    }
    // A variance below the phases' own asks for more unknowns than equations
    // hold (P or T solved as well, or a reaction among phases that have none):
    // refused here, before any item writes a result, as the run is unattended.
    const runio::BatchTables& bt = runio::batches;
    for (int b = 1; b <= bt.nbatch; ++b) {
        const runio::BatchRec& r = bt.batchrec[b];
        const numerics::PhaseFlags flags = batchphases(s, b);
        const int own = phasevariance(flags);
        // With a bulk, a field is divariant whatever the count.
        const bool bulkfield = r.bulkflag && own > 2;
        const int least = bulkfield ? 2 : own;
        if (r.variance >= least) continue;
        std::string phases;
        for (int i = 1; i <= st.nwith; ++i)
            if (r.present[i]) phases += (phases.empty() ? "" : " ") + st.withnames[i];
        const int number = bt.batchmap[b] > 0 ? bt.batchmap[b] : b;
        bomb("setupbatch", "batch " + runio::inttext(number) + " (" + phases + ") is given variance " +
                               runio::inttext(r.variance) + ", below the " + runio::inttext(least) +
                               " of its phases" + (bulkfield ? " with a bulk" : "") + ": give it " +
                               runio::inttext(least) + " or more on its batch line",
             0);
    }
}

void dobatch(SolveState& s, int item)
{
    runio::BatchRec& r = runio::batches.batchrec[item];
    runio::ScriptFlags& sf = runio::scriptflags;
    runio::Windows& w = runio::win;
    numerics::Isopleths& is = numerics::iso;
    s.nreaction = 0;
    sf.modesinnle = false;
    for (int k = 1; k <= ph.nss; ++k) {
        axmodels::SolPhase& sp = ph.prec1[k];
        sp.modeflag = false;
        for (int v = 1; v <= sp.nvar; ++v) sp.var[v].fixed = false;
    }
    for (int k = 1; k <= ph.npure; ++k) ph.prec0[k].modeflag = false;
    is.nisovalues[1] = 0;

    const numerics::PhaseFlags flags = batchphases(s, item);
    const runio::BatchGuess& g = runio::batches.batchguess[r.kxyz];
    for (int k = 1; k <= ph.nss; ++k) {
        if (!flags[k]) continue;
        for (int v = 1; v <= ph.prec1[k].nvar; ++v) {
            axmodels::XyzVar& x = ph.prec1[k].var[v];
            const int i = guessposition(g, x.name);
            if (i == 0) bomb("dobatch", "xyzguess: can't find " + x.name, 0);
            x.guess = g.value[i];
            if (g.low[i] != 0.0) x.lower = g.low[i];
            if (g.high[i] != 1.0) x.upper = g.high[i];
        }
    }
    if (s.firstiteration) {
        for (int i = 1; i <= r.niso; ++i) {
            const int k = s.batchphasemap[r.isophase[i]];
            if (k >= 1 && k <= ph.nss && r.isovar[i] >= 1 && r.isovar[i] <= ph.prec1[k].nvar)
                ph.prec1[k].var[r.isovar[i]].guess = r.isovalue[i];
        }
        for (int k = 1; k <= ph.nss; ++k)
            if (flags[k] && !axmodels::legalcomp(k))
                bomb("setupbatch",
                     "starting guess not legal for " + ph.prec1[k].name + " in batch " + runio::inttext(item), 0);
    }
    s.phases = flags;

    w.variance = numerics::phchoice.variance0 = r.variance;
    w.nplist = r.np;
    w.ntlist = r.nt;
    for (int i = 1; i <= r.np; ++i) w.plist[i] = r.p[i];
    for (int i = 1; i <= r.nt; ++i) w.tlist[i] = r.t[i];

    sf.modesinnle = itemmodesinnle(item);
    if (r.bulkflag) {
        sf.modesafternle = false;
        if (s.firstiteration) batchcomponents(flags, r);
        thermodata::Components& cs = thermodata::comps;
        numerics::BulkSetup& b = numerics::bulks;
        cs.nfreeox = r.ncompused;
        cs.ncomp = cs.ncomp0 = r.ncomp;
        for (int c = 1; c <= r.ncomp; ++c) cs.oxfree[c] = r.compused[c];
        b.nbulk = 1;
        for (int j = 1; j <= r.ncompused; ++j) b.bulk[j] = b.bulk2[j] = r.bulkcomp[j];
        if (r.ncompused != r.ncomp && numerics::red.rankdeficit > 0)
            bomb("dobatch", "danger - projc not diagonal", 0);
    }

    // Zero-mode phases hold their modes through value lists 1 and 2.
    const int z = r.nmodeset;
    if (z > 0) {
        w.variance = 2 - z;
        if (w.variance < 0) bomb("dobatch", "negative variance (1)", 0);
        for (int m = 1; m <= z; ++m) {
            const int k = s.batchphasemap[r.modephase[m]];
            if (k <= ph.nss) {
                ph.prec1[k].modeflag = true;
                ph.prec1[k].modeloop = m;
            } else {
                ph.prec0[k - ph.nss].modeflag = true;
                ph.prec0[k - ph.nss].modeloop = m;
            }
            is.isovalues[m][1] = r.modevalue[m];
            is.nisovalues[m] = 1;
        }
    }
    if (r.niso > 0) {
        if (r.bulkflag && z == 0) w.variance = 2;
        w.variance -= r.niso;
        if (w.variance < 0) bomb("dobatch", "negative variance (2)", 0);
        for (int i = 1; i <= r.niso; ++i) {
            const int l = z + i;
            is.nisovalues[l] = 1;
            is.isovalues[l][1] = r.isovalue[i];
            const int k = s.batchphasemap[r.isophase[i]];
            if (k < 1 || k > ph.nss || r.isovar[i] < 1 || r.isovar[i] > ph.prec1[k].nvar)
                bomb("dobatch", "isopleth variable not in a solution phase", 0);
            axmodels::XyzVar& x = ph.prec1[k].var[r.isovar[i]];
            x.fixed = true;
            x.loopindex = l;
        }
    }

    const runio::BatchTables& bt = runio::batches;
    if (!solveglobals.fracton) {
        w.calcvariable = 0;
        if (w.variance == 1) w.calcvariable = r.nt >= 2 ? 0 : r.np >= 2 ? 1 : (r.solvet ? 1 : 0);
        return;
    }
    runio::ScriptSet& ss = runio::scriptset;
    w.calcvariable = bt.batchrec[1].solvet ? 1 : 0;
    if (item == 1) {
        // Without mode unknowns item 1 finds its modes after the solve, which
        // a later item, solved with its modes, turned off.
        sf.modesafternle = !sf.modesinnle;
        sf.pseudosection = !sf.modesinnle;
        ss.printbulkinfosw = 0;
        ss.printxyz = s.printxyzkept ? 0 : 1;
        putstr(1, std::string(52, '&'), 2, runio::mlog);
    } else {
        ss.printbulkinfosw = ss.printxyz = 1;
    }
}

void writeequilist(SolveState& s, int item)
{
    (void)item;   // every batch record is listed
    const runio::BatchTables& bt = runio::batches;
    std::string& line = runio::chans.line3;
    auto field = [](const std::string& text) {
        std::string f;
        runio::addfield(text, 10, f);
        return f + ", ";
    };
    const std::string quote = "\"";
    static ColumnNames columns;
    for (int b = 1; b <= bt.nbatch; ++b) {
        const numerics::PhaseFlags flags = batchphases(s, b);
        const std::string number = runio::inttext(bt.batchmap[b] > 0 ? bt.batchmap[b] : b);
        const std::string tag = runio::inttext(b) + "-";
        if (b == 1) putstr(1, " equil = {", 0, runio::mpx);
        line.clear();
        bool first = true;
        for (int k = 1; k <= ph.nss; ++k) {
            if (!flags[k]) continue;
            line += first ? "{ (* " + number + " *) {" : ", ";
            first = false;
            line += quote + ph.prec1[k].name + quote;
        }
        for (int k = 1; k <= ph.npure; ++k)
            if (flags[ph.nss + k]) line += ", " + quote + ph.prec0[k].name + quote;
        putstr(1, line + "},", 1, runio::mpx);

        line = " {";
        int v = 0;
        for (int k = 1; k <= ph.nss; ++k) {
            if (!flags[k]) continue;
            for (int j = 1; j <= ph.prec1[k].nvar; ++j) {
                if (++v > 1) line += ", ";
                if (v % 12 == 0 && v <= 48) {
                    putstr(0, line, 1, runio::mpx);
                    line = "  ";
                }
                line += quote + ph.prec1[k].var[j].name + quote;
            }
        }
        line += b == bt.nbatch ? "}} };" : "}},";
        putstr(0, line, 1, runio::mpx);
        std::string csv = "   #, " + field(tag + "P") + field(tag + "T");
        const int ncolumns = batchcolumns(s, b, &columns);
        for (int c = 1; c <= ncolumns && c <= maxcolumns; ++c) csv += field(tag + columns[c]);
        csvwrite(runio::chcsv, csv);
        std::string csv2 = "   #, ";
        for (const char* q : {"G", "H", "S", "V", "rho"}) csv2 += field(tag + q);
        csvwrite(runio::chcsv2, csv2);
    }
    putstr(0, "", 1, runio::mcsv);
    putstr(0, "", 1, runio::mcsv2);
}

int batchcolumns(const SolveState& s, int b, ColumnNames* names)
{
    const numerics::PhaseFlags flags = batchphases(s, b);
    int n = 0;
    auto add = [&](const std::string& name) {
        // Beyond the solver's unknowns the item's own set-up stops the run.
        if (++n <= maxcolumns && names != nullptr) (*names)[n] = name;
    };
    for (int k = 1; k <= ph.nss; ++k)
        if (flags[k])
            for (int v = 1; v <= ph.prec1[k].nvar; ++v) add(ph.prec1[k].var[v].name);
    if (itemmodesinnle(b))
        for (int k = 1; k <= ph.nss + ph.npure; ++k)
            if (flags[k] && numerics::hasmodeunknown(k)) add(phasename(k));
    return n;
}

}  // namespace phasediagram
