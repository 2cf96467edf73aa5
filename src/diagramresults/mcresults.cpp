// The results of the passes of a batch run that reports through the
// accumulation (Monte Carlo runs, and batch runs at debug level 0): every
// point of a pass is kept, checked against its filters, and the pass as a
// whole judged against the filter groups; each successful pass becomes one
// entry of the " results = {" list of the drawing-program file, with its
// lines in the output file and one row in each csv file.  The screen shows
// the progress every 250 passes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "diagramresults/diagramresults.h"
#include "diagramresults/repeatpasses.h"
#include "diagramresults/resultwork.h"
#include "phasediagram/calculation.h"
#include "runio/scriptset.h"

namespace diagramresults {

McAccumulation acc;

namespace {

using runio::inttext;

constexpr int progressevery = 250, progresslineevery = 2500, groupsevery = 10000;
constexpr int valuesperline = 16;

runio::McTables& tables() { return runio::mcs; }
int ngroups() { return runio::batches.nbatchreq > 0 ? runio::batches.nbatchreq : 0; }
bool filtersinuse() { return runio::batches.flittersgiven; }

int labelnumber(int b)
{
    const runio::BatchTables& bt = runio::batches;
    return bt.batchmap[b] > 0 ? bt.batchmap[b] : b;
}

// Points of the current item's grid.
int gridpoints(const SolveState& s)
{
    int n = 1;
    for (int i = 1; i <= s.nloops; ++i) n *= s.looplengths[i];
    return n;
}

// A direct write to a csv file, continuing its line.
void csvwrite(runio::Channel ch, const std::string& text)
{
    runio::Channels& chs = runio::chans;
    if ((chs.chanset & (1u << ch)) == 0 || chs.file[ch] == nullptr) return;
    runio::chanwrite(ch, text);
    chs.chanused[ch] = true;
}

// The unknown a filter of kind k reads: P (kbar), T (K) or unknown k.
double filtered(const StoredPoint& sp, int kind)
{
    if (kind == 1) return sp.p;
    if (kind == 2) return sp.t;
    return kind >= 3 && kind <= numerics::maxnlex ? sp.x[kind] : 0.0;
}

const runio::BatchRec& record(int b) { return runio::batches.batchrec[b]; }
int nfilters(const StoredPoint& sp)
{
    return sp.point <= runio::maxbatchpt ? record(sp.item).nfilter[sp.point] : 0;
}

void groupline()
{
    std::string text = "\n\n";
    for (int g = 1; g <= ngroups(); ++g) {
        const int c1 = acc.notcalculated[g], c2 = acc.notpassed[g];
        text += inttext(g) + ":";
        if (c1 == 0 && c2 == 0)
            text += "0 ";
        else if (!filtersinuse())
            text += inttext(c1) + " ";
        else
            text += inttext(c1 + c2) + "(" + inttext(c1) + "/" + inttext(c2) + ") ";
        acc.notcalculated[g] = acc.notpassed[g] = 0;
    }
    runio::screenwrite(text + "\n");
}

void store(SolveState& s, int b, int k, bool success)
{
    const numerics::Unknowns& u = numerics::unk;
    const numerics::ResultRec& r = numerics::result;
    if (acc.nstored + 1 > maxpasspoints)
        runio::bomb("accumulatemc", "too many points in one pass" + runio::maxlabel(maxpasspoints), 0);
    StoredPoint& sp = acc.stored[++acc.nstored];
    sp.item = b;
    sp.point = k;
    // Modes found after the solve are no unknowns: nlex holds nothing of
    // theirs after the variables.
    sp.last = std::min(2 + phasediagram::batchcolumns(s, b), numerics::maxnlex);
    sp.success = success;
    sp.filterpass = success;
    sp.text.clear();
    sp.x.fill(0.0);
    sp.sys.fill(0.0);
    sp.hassys = false;
    if (!success) {
        sp.p = 0.0;
        sp.t = 273.15;
        return;
    }
    sp.p = r.p;
    sp.t = r.t;
    for (int i = 3; i <= sp.last; ++i) sp.x[i] = u.nlex[i];
    // The rock's G, H, S, V and density need its modes and the phases'
    // properties, which only a pseudosection's calculation has.
    sp.hassys = r.nmodevec > 0 && numerics::phchoice.phaseprops;
    if (sp.hassys) {
        const double v[6] = {0.0, r.sysg[1], r.sysh[1], r.syss[1], r.sysv[1], r.sysrho[1]};
        for (int i = 1; i <= 5; ++i) sp.sys[i] = v[i];
    }
    if (s.mccount == 0) sp.text = s.reactiontext;
    if (!filtersinuse()) return;
    for (int f = 1; f <= nfilters(sp) && sp.filterpass; ++f) {
        const runio::BatchFilter& fl = record(b).filters[k][f];
        const double x = filtered(sp, fl.kind);
        if (x <= fl.low || x >= fl.high) sp.filterpass = false;
    }
}

// The pass judged by the filter groups: each must have a calculated point
// that kept its filters.
bool verdict()
{
    const runio::BatchTables& bt = runio::batches;
    for (int g = 1; g <= ngroups(); ++g) {
        const runio::BatchReq& req = bt.batchreqs[g];
        bool calculated = false, passed = false;
        for (int i = 1; i <= acc.nstored; ++i) {
            const StoredPoint& sp = acc.stored[i];
            bool ingroup = false;
            for (int j = 1; j <= req.n && !ingroup; ++j) ingroup = req.batch[j] == sp.item;
            if (!ingroup) continue;
            calculated = calculated || sp.success;
            passed = passed || sp.filterpass;
        }
        if (!calculated) ++acc.notcalculated[g];
        if (!passed) ++acc.notpassed[g];
        if (!calculated || !passed) return false;
    }
    return true;
}

// The largest deviation of a filtered unknown from the middle of its
// filter, in half-widths of the filter.
double largestdeviation()
{
    if (!filtersinuse()) return 0.0;
    double d = 0.0;
    for (int i = 1; i <= acc.nstored; ++i) {
        const StoredPoint& sp = acc.stored[i];
        if (!sp.success) continue;
        for (int f = 1; f <= nfilters(sp); ++f) {
            const runio::BatchFilter& fl = record(sp.item).filters[sp.point][f];
            if (fl.high == fl.low) continue;
            const double dev = 2.0 * (filtered(sp, fl.kind) - 0.5 * (fl.low + fl.high)) / (fl.high - fl.low);
            if (std::fabs(dev) > std::fabs(d)) d = dev;
        }
    }
    return d;
}

void pxline(const std::string& text, int after = 1) { putstr(0, text, after, runio::mpx); }

// Values separated by ", ", valuesperline to a line, continuation lines
// beginning with two blanks; the last line is left in line.
void addvalues(std::string& line, const std::vector<std::pair<double, int>>& values)
{
    for (std::size_t v = 0; v < values.size(); ++v) {
        if (v > 0) {
            line += ", ";
            if (v % valuesperline == 0) {
                pxline(line);
                line = "  ";
            }
        }
        addreal(values[v].first, values[v].second, true, 0, line);
    }
}

int abcdecimals(int coef) { return coef == 2 ? 6 : 5; }

void entryheader(SolveState& s, int pass)
{
    const runio::McTables& t = tables();
    const bool cw = given(runio::scriptset.mcoutcurrentway);
    std::vector<std::pair<double, int>> values;
    for (int i = 1; i <= nmcitems(); ++i) {
        const runio::McItem& it = t.mcitems[i];
        if (it.link == 0) values.emplace_back(itemshown(i, it.current), abcdecimals(it.ref.coef));
    }
    for (int r = 1; r <= nmcranges(); ++r) values.emplace_back(t.mcranges[r].value + mc.deviation[r], 5);
    std::string& line = runio::chans.line3;
    line = std::string("{{") + (cw ? "(* cw *) " : "(* cw  ");
    addvalues(line, values);
    pxline(cw ? line : line + " *)");

    values.clear();
    for (int i = 1; i <= nmcitems(); ++i) {
        const runio::McItem& it = t.mcitems[i];
        values.emplace_back(it.ref.kind == 3 ? itemshown(i, it.current) : mc.listvalue[i], abcdecimals(it.ref.coef));
    }
    line = cw ? "  (* nw    " : "  (* nw *) ";
    addvalues(line, values);
    if (cw) line += " *)";
    line += "}, ";
    if (filtersinuse() && pass < groupsevery) line += " (* " + inttext(pass) + " *)";
    pxline(line);
    ++s.mccount;
}

int pdecimals() { return runio::win.pdecimals < 3 ? 2 : runio::win.pdecimals; }
int tdecimals() { return runio::win.tdecimals < 2 ? 1 : runio::win.tdecimals; }

void entrypoints(double d)
{
    std::string& line = runio::chans.line3;
    for (int i = 1; i <= acc.nstored; ++i) {
        const StoredPoint& sp = acc.stored[i];
        const bool firstofitem = i == 1 || acc.stored[i - 1].item != sp.item;
        const bool lastofitem = i == acc.nstored || acc.stored[i + 1].item != sp.item;
        line = firstofitem ? " {{ (* " + inttext(labelnumber(sp.item)) + " *) { " : " {         {";
        if (!sp.success) {
            line += "0, 0}, {";
        } else {
            addreal(sp.p, pdecimals(), true, 0, line);
            line += ", ";
            addreal(celsius(sp.t), tdecimals(), true, 0, line);
            line += "}, {";
            for (int x = 3; x <= sp.last; ++x) {
                if (x > 3) line += ", ";
                if ((x == 12 || x == 24 || x == 36 || x == 48) && x != sp.last) {
                    pxline(line);
                    line = runio::spaces(13);
                }
                addreal(sp.x[x], 4, true, 0, line);
            }
        }
        if (!sp.text.empty()) line += "}, {\"" + sp.text + "\"";
        line += "}}";
        if (i == acc.nstored) {
            line += "},     ";
            addreal(d, 3, true, 0, line);
            acc.pending = line + "}";
        } else {
            pxline(line + (lastofitem ? "}," : ","));
        }
    }
}

void outputlines(const SolveState& s)
{
    const runio::McTables& t = tables();
    std::string& line = runio::chans.line3;
    auto value = [&](int i) {
        const runio::McItem& it = t.mcitems[i];
        if (it.ref.kind == 3 && thermodata::ds.dsold) return realstr(itemshown(i, it.current), 4, true);
        if (it.ref.coef < 1 || it.ref.coef > 3) runio::bomb("setupmontecarlo", "bad abc code", 0);
        return realstr(it.current, it.ref.coef == 1 ? 4 : it.ref.coef == 2 ? 7 : 6, true);
    };
    // The sizes of the entries, ahead of the first.
    if (s.mccount == 1)
        putstr(2, inttext(nmcitems()) + " " + inttext(runio::batches.nbatch) + " ", 2, runio::mout);
    line.clear();
    int n = 0;
    auto add = [&](const std::string& v) {
        if (n > 0 && n % valuesperline == 0) {
            putstr(0, line, 1, runio::mout);
            line = "  ";
        }
        line += v + " ";
        ++n;
    };
    for (int i = 1; i <= nmcitems(); ++i)
        if (t.mcitems[i].link == 0) add(value(i));
    for (int r = 1; r <= nmcranges(); ++r)
        for (int i = 1; i <= nmcitems(); ++i)
            if (t.mcitems[i].link == r) {
                add(value(i));
                break;
            }
    putstr(0, line, 1, runio::mout);

    for (int i = 1; i <= acc.nstored; ++i) {
        const StoredPoint& sp = acc.stored[i];
        const int count = sp.last;
        if (i == 1 || acc.stored[i - 1].item != sp.item) {
            const runio::BatchRec& r = record(sp.item);
            putstr(0, inttext(labelnumber(sp.item)) + " " + inttext(r.npt) + " " + inttext(count) + "     " +
                          inttext(count) + " ",
                   1, runio::mout);
        }
        if (!sp.success) continue;
        line.clear();
        addreal(sp.p, pdecimals(), true, 0, line);
        line += " ";
        addreal(celsius(sp.t), tdecimals(), true, 0, line);
        line += " ";
        for (int x = 3; x <= count; ++x) {
            if (x == 12 || x == 24) {
                putstr(0, line, 1, runio::mout);
                line = "    ";
            }
            addreal(sp.x[x], 4, true, 0, line);
            line += " ";
        }
        putstr(0, line, 1, runio::mout);
    }
    putstr(0, "", 1, runio::mout);
}

// A value of the rock that was not calculated is left empty; a point that
// failed has -1 throughout.
void csvrows(int pass)
{
    std::string row, row2;
    const std::string passtext = [&] {
        std::string p;
        addfield(inttext(pass % groupsevery), 4, p);
        return p + ", ";
    }();
    for (int i = 1; i <= acc.nstored; ++i) {
        const StoredPoint& sp = acc.stored[i];
        row += passtext;
        addreal(sp.p, 3, true, 10, row);
        row += ", ";
        addreal(celsius(sp.t), 2, true, 10, row);
        row += ", ";
        for (int x = 3; x <= sp.last; ++x) {
            if (sp.success)
                addreal(sp.x[x], 5, true, 10, row);
            else
                addfield("-1", 10, row);
            row += ", ";
        }
        std::string p2;
        addfield(inttext(pass % groupsevery), 4, p2);
        row2 += p2 + ", ";
        for (int v = 1; v <= 5; ++v) {
            if (!sp.success)
                addfield("-1", 10, row2);
            else if (sp.hassys)
                addreal(sp.sys[v], 3, true, 10, row2);
            else
                addfield("", 10, row2);
            row2 += ", ";
        }
    }
    csvwrite(runio::chcsv, row);
    putstr(0, "", 1, runio::mcsv);
    csvwrite(runio::chcsv2, row2);
    putstr(0, "", 1, runio::mcsv2);
}

void openlist()
{
    putstr(1, "starting to accumulate results", 2, runio::msol);
    putstr(1, " results = {", 1, runio::mpx);
    acc.listopen = true;
    acc.pending.clear();
}

}  // namespace

void accumulatemc(SolveState& s, int b, int k, bool& success)
{
    phasediagram::SolveGlobals& g = phasediagram::solveglobals;
    const int pass = numerics::progress.mcrun;
    const bool firstpoint = b == 1 && k == 1;
    if (firstpoint && pass % progressevery == 0) {
        if (pass % groupsevery == 0) groupline();
        runio::screenwrite("(" + inttext(pass) + ", " + inttext(g.mcsuccesses) + ") ");
        if (pass % progresslineevery == 0) runio::screenwrite("\n");
    }
    if (acc.stored.size() < static_cast<std::size_t>(maxpasspoints + 1)) acc.stored.resize(maxpasspoints + 1);
    if (firstpoint && s.firstiteration) {
        g.mcsuccesses = 0;
        acc.notcalculated.fill(0);
        acc.notpassed.fill(0);
        openlist();
    }
    if (firstpoint) acc.nstored = 0;
    if (k <= runio::maxbatchpt) runio::batches.batchrec[b].resultok[k] = success;
    store(s, b, k, success);

    const bool lastpoint = b == runio::batches.nbatch && k >= gridpoints(s);
    bool ok = true;
    if (lastpoint && ngroups() > 0) ok = verdict();
    success = ok;
    if (!lastpoint || !ok) return;

    ++g.mcsuccesses;
    // A first item that could not be calculated in the first pass left the list unopened.
    if (!acc.listopen) openlist();
    const double d = largestdeviation();
    if (!acc.pending.empty()) pxline(acc.pending + ",", 2);
    acc.pending.clear();
    entryheader(s, pass);
    entrypoints(d);
    outputlines(s);
    csvrows(pass);
}

void endmontecarlo(SolveState&)
{
    if (acc.listopen) {
        pxline(acc.pending.empty() ? "};" : acc.pending + "};", 2);
        acc.pending.clear();
        acc.listopen = false;
    }
    if (numerics::progress.mcon) restoremcbase();
}

}  // namespace diagramresults
