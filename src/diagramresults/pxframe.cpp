// The frame of each assemblage in the drawing-program file (its label, its
// phases, the variance word and the "begin  end" line), the drawing-program
// line of each result, the brace-list forms of the same, the modes as lists
// and csv rows, and the csv line of each result.
#include <cstdio>

#include "diagramresults/diagramresults.h"
#include "diagramresults/resultwork.h"
#include "numerics/unknowns.h"
#include "runio/scriptset.h"

namespace diagramresults {

namespace {

const std::string quote = "\"";

bool drawingstyle() { return given(runio::scriptset.plotixsw); }

// The list style of the drawing-program file, when the projection does not
// write its own lists there.
bool liststyle()
{
    const runio::ScriptSet& ss = runio::scriptset;
    return !drawingstyle() && !given(ss.compatibility) && !given(ss.modebox) && numerics::phchoice.phaseprops;
}

int atleast(int n, int m) { return n > m ? n : m; }

// Every mode unknown is named by its phase; a fixed one is held at zero.
void modephases(std::string& solved, std::string& fixed, int& lastfixed)
{
    const numerics::Unknowns& x = numerics::unk;
    solved.clear();
    fixed.clear();
    lastfixed = 0;
    for (int m = 1; m <= x.nmodes; ++m) {
        const int u = x.nvar + m;
        if (x.xfree[u]) {
            solved += x.xname[u] + " ";
        } else {
            fixed += (fixed.empty() ? "" : " ") + x.xname[u];
            lastfixed = m;
        }
    }
}

// The rgb colour the script gave the phase of mode unknown m, if any.
bool modecolour(int m, runio::Arr<int, 3>& rgb)
{
    const numerics::Unknowns& x = numerics::unk;
    const axmodels::Phases& p = axmodels::ph;
    const int k = x.modephase[m];
    if (m <= x.nsolmodes) {
        if (k < 1 || k > p.nss || !p.prec1[k].coloured) return false;
        rgb = p.prec1[k].colour;
    } else {
        if (k < 1 || k > p.npure || !p.prec0[k].coloured) return false;
        rgb = p.prec0[k].colour;
    }
    return true;
}

std::string assemblagenames(const SolveState& s)
{
    std::string names;
    for (int k = 1; k <= axmodels::ph.nph; ++k)
        if (s.phases[k]) names += phasename(k) + " ";
    return names;
}

std::string labelword()
{
    const numerics::Unknowns& x = numerics::unk;
    const int v = runio::win.variance, v0 = numerics::phchoice.variance0;
    if (given(runio::scriptset.exbuff)) {
        if (x.xco2fixed) return "u<k>   ";
        if (v == 1) return "i<k>   ";
        if (v == 2) return "u<k>   ";
        return "<name>   ";
    }
    if (x.ixco2var > 0) {
        if (x.xco2fixed) return "u<k>   ";
        return v == 1 ? "i<k>   " : "u<k>   ";
    }
    if (v == 0) return "i<k>   ";
    if (v == 1) return "u<k>   ";
    if (v == 2 && v0 == 2) return "d<k>   ";
    if (v == 2 && v0 == 3) return "t<k>   ";
    return "<name>   ";
}

std::string varianceword()
{
    const int v = runio::win.variance, v0 = numerics::phchoice.variance0;
    if (v0 == 0) return "  invariant";
    if (v0 == 1 && v == 1) return "  univariant";
    if (v0 == 2 && v == 2) return "  divariant";
    if (v0 == 3 && v == 2) return "  trivariant";
    return "";
}

// The closing line of the frame; empty when the frame has none.
std::string closingline(bool coloured, const runio::Arr<int, 3>& rgb)
{
    const numerics::Unknowns& x = numerics::unk;
    const int v = runio::win.variance;
    if (given(runio::scriptset.exbuff)) return x.xco2fixed || v == 2 ? "begin  end" : "";
    if (x.ixco2var > 0) return v == 1 && !x.xco2fixed ? "" : "begin  end";
    if (v == 1) {
        std::string line = "begin  end  ";
        if (coloured) {
            line += "rgb ";
            for (int c = 0; c < 3; ++c) addrealshort(rgb[c], 4, line);
        }
        return line;
    }
    if (v == 2 && numerics::phchoice.variance0 == 3) return "begin  end";
    return "";
}

// P and T of a drawing-program line, at least to the metre and the
// hundredth of a degree.
void addpt(std::string& line, const std::string& between)
{
    const numerics::ResultRec& res = numerics::result;
    line += realstr(res.p, atleast(runio::win.pdecimals, 3), true) + between;
    line += realstr(celsius(res.t), atleast(runio::win.tdecimals, 2), true);
}

// The names of the phases in excess, as the step header shows them.
std::string excessnames()
{
    const axmodels::Phases& p = axmodels::ph;
    const numerics::PhaseChoice& pc = numerics::phchoice;
    const runio::ScriptTables& st = runio::scripttabs;
    std::string names;
    bool fluid = false;
    for (int k = 1; k <= p.nph; ++k) {
        if (!pc.isexcess[k]) continue;
        const std::string& name = phasename(k);
        std::string item = name;
        int pos = 0;
        if (k > p.nss && runio::posinlist(name, st.setmuname.data(), st.nsetmu, pos)) {
            item = "mu(" + name + ")";
        } else if (name == "H2O" || name == "CO2") {
            if (fluid || runio::win.fluidtype == 2) continue;
            fluid = true;
            item = "fluid";
        }
        names += (names.empty() ? "" : ", ") + item;
    }
    return names;
}

}  // namespace

void printstep(SolveState& s)
{
    const runio::ScriptFlags& sf = runio::scriptflags;
    const runio::ScriptSet& ss = runio::scriptset;
    const axmodels::Phases& p = axmodels::ph;
    const numerics::PhaseChoice& pc = numerics::phchoice;
    const std::uint32_t mask = resultmask();
    const int item = numerics::progress.batchitem;
    std::string& line = runio::chans.line;

    if (printing.progresscol > 0) putstr(0, "", 1, runio::msl);
    printing.progresscol = 0;
    if (phasediagram::solveglobals.fracton) {
        if (item == 1) {
            const int step = s.iterlow + 10000 * s.iterhigh;
            putstr(0, "<== step " + runio::inttext(step) + " =======================================>", 1, mask);
            const thermodata::Components& cs = thermodata::comps;
            line = "     ";
            for (int c = 1; c <= cs.ncomp; ++c)
                if (cs.oxfree[c]) addfield(cs.compname[c], 10, line);
            putstr(1, line, 1, runio::mlog);
            line = "bulk ";
            for (int j = 1; j <= thermodata::comps.nfreeox; ++j) addreal(numerics::bulks.bulk[j], 5, true, 10, line);
            putstr(0, line + "    step start", 1, runio::mlog);
            putstr(1, "<--1----------------------------------------------->", 1, mask);
        } else {
            putstr(0, "<--" + runio::inttext(item) + "----------------------------------------------->", 1, mask);
        }
    } else if (!given(ss.batchsw)) {
        putstr(0, "<" + repeated('=', 58) + ">", 1, mask);
    } else {
        const runio::BatchTables& bt = runio::batches;
        const int number = item >= 1 && item <= runio::maxbatch && bt.batchmap[item] > 0 ? bt.batchmap[item] : item;
        putstr(0, "<== " + runio::inttext(number) + " ==============================================>", 1, mask);
    }

    line = "phases: ";
    bool named = false;
    for (int k = 1; k <= p.nph; ++k)
        if (s.phases[k] && !pc.isexcess[k]) {
            line += (named ? " " : "") + phasename(k);
            named = true;
        }
    if (pc.nexcessph > 0)
        line += (named ? " (" : " - (") + excessnames() + ") ";
    else
        line += "  ";
    if (!given(ss.batchsw)) {
        std::string others;
        for (int k = 1; k <= p.nph; ++k)
            if (!s.phases[k] && !pc.isexcess[k]) others += (others.empty() ? "" : ",") + phasename(k);
        if (!others.empty()) line += "or [" + others + "] ";
    }
    // At output level 2 the step comes before the assemblage is counted.
    if (sf.dogminon)
        line += " #" + runio::inttext(phasediagram::solveglobals.equilcount + (sf.dogminlevel == 2 ? 1 : 0));
    putstr(0, line, 1, mask);

    if (numerics::red.rankdeficit > 0 && sf.debuglevel > 1)
        putstr(0, "composition matrix is rank deficient", 1, mask);
    if (!sf.dogminon && sf.debuglevel >= 1) writepxheader(s);
}

void writepxheader(SolveState& s)
{
    const runio::ScriptFlags& sf = runio::scriptflags;
    std::string solved, fixed;
    int lastfixed = 0;
    if (sf.modesinnle) modephases(solved, fixed, lastfixed);
    std::string& line = runio::chans.line;

    if (drawingstyle()) {
        putstr(1, "% " + repeated('-', 30), 1, runio::mpx);
        runio::Arr<int, 3> rgb{};
        bool coloured = false;
        line = labelword();
        if (sf.modesinnle) {
            line += solved;
            if (!fixed.empty()) {
                line += " - " + fixed;
                coloured = modecolour(lastfixed, rgb);
            }
        } else {
            line += assemblagenames(s);
        }
        line += varianceword();
        putstr(0, line, 2, runio::mpx);
        if (given(runio::scriptset.calcmu)) {
            const thermodata::Components& cs = thermodata::comps;
            line.clear();
            addfield(" % ", 10, line);
            for (int c = 1; c <= cs.ncomp; ++c) addfield(cs.compname[c] + " ", 12, line);
            putstr(0, line, 1, runio::mpx);
        }
        const std::string closing = closingline(coloured, rgb);
        if (!closing.empty()) putstr(0, closing, 2, runio::mpx);
    } else if (liststyle()) {
        putstr(1, "(* ------------------------------ *)", 1, runio::mpx);
        line = "(* ";
        if (sf.modesinnle) {
            line += solved;
            if (!fixed.empty()) line += "- " + fixed + " ";
        } else {
            line += assemblagenames(s);
        }
        putstr(0, line + "*)", 2, runio::mpx);
    }
}

void writepxline(SolveState& s)
{
    const numerics::ResultRec& res = numerics::result;
    const numerics::Unknowns& x = numerics::unk;
    const runio::ScriptFlags& sf = runio::scriptflags;
    std::string& line = runio::chans.line;
    line.clear();
    if (res.bulkx[1] != 0.0 || res.nbulkpts > 1) {
        if (res.bulkx[1] == 0.0)
            addfield("0", 7, line);
        else
            addreal(res.bulkx[1], 5, true, 7, line);
        line += " ";
    }
    addpt(line, " ");
    if (numerics::phchoice.phaseprops && runio::scriptset.plotixcode == 1) {
        line += " " + realstr(res.sysg[1], 5, true) + " " + realstr(res.sysh[1], 5, true);
        line += " " + realstr(res.syss[1], 6, true) + " " + realstr(res.sysv[1], 6, true);
        line += " " + realstr(res.sysrho[1], 6, true);
    }
    if (!sf.modesafternle) {
        bool first = true;
        for (int u = 3; u <= x.nvar + x.nmodes; ++u) {
            if (x.xfree[u] || x.xname[u] == "x(CO2)") continue;
            line += first ? " % " : ", ";
            line += x.xname[u] + " = " + realstr(x.nlex[u], runio::ndecimals(x.nlex[u]), true);
            first = false;
        }
    }
    putstr(0, line, 1, runio::mpx);
    if (sf.modesafternle && numerics::phchoice.variance0 == 1 && runio::win.variance == 1)
        putstr(0, repeated(' ', 13) + "% " + s.reactiontext, 1, runio::mpx);
}

void writepxbraceline(SolveState&)
{
    const numerics::ResultRec& res = numerics::result;
    if (res.sysg[1] == 0.0) return;
    std::string& line = runio::chans.line;
    line = "{";
    addpt(line, ", ");
    line += ", " + realstr(res.sysg[1], 5, true) + ", " + realstr(res.sysh[1], 5, true) + ", " +
            realstr(res.syss[1], 6, true) + ", " + realstr(res.sysv[1], 6, true) + ", " +
            realstr(res.sysrho[1], 6, true) + "},";
    putstr(0, line, 1, runio::mpx);
}

void writemodelists(SolveState&)
{
    const numerics::ResultRec& res = numerics::result;
    const runio::ScriptTables& st = runio::scripttabs;
    ResultFlags flags;
    double f;
    excessfactor(flags, f);
    const std::string x = res.nbulkpts == 1 ? "0" : realstr(res.bulkx[1], 3, true);
    std::string& line = runio::chans.line;
    line = "{{" + realstr(res.p, 3, true) + ", " + realstr(celsius(res.t), 2, true) + ", " + x + "}";
    for (int i = 1; i <= res.nphases; ++i)
        if (!flags[i]) line += ", {" + quote + res.ph[i].name + quote + ", " + realstr(f * res.ph[i].mode[1], 5, true) + "}";
    putstr(1, line + "}, ", 1, runio::mpx);

    const bool pairs = numerics::phchoice.variance0 == 1 && runio::win.variance == 1;
    for (int r = 1; r <= (pairs ? 2 : 1); ++r) {
        if (runio::run.runno == 1) {
            line.clear();
            addfield("P(kbar),", 11, line);
            addfield(std::string("T(") + runio::degreesign + "C),", 11, line);
            addfield("prop,", 11, line);
            int j = 1;
            for (int w = 1; w <= st.nwith; ++w) {
                if (j <= res.nphases && st.withnames[w] == res.ph[j].name) {
                    if (flags[j++]) continue;
                }
                addfield(st.withnames[w] + ",", 11, line);
            }
            putstr(0, line, 1, runio::mcsv);
        }
        line.clear();
        addreal(res.p, 3, true, 10, line);
        line += ",";
        addreal(celsius(res.t), 2, true, 10, line);
        line += ",";
        if (res.nbulkpts == 1)
            addfield("0", 10, line);
        else
            addreal(res.bulkx[1], 3, true, 10, line);
        line += ",";
        int j = 1;
        for (int w = 1; w <= st.nwith; ++w) {
            if (j <= res.nphases && st.withnames[w] == res.ph[j].name) {
                if (!flags[j]) {
                    addreal(f * res.ph[j].mode[r], 5, true, 10, line);
                    line += ",";
                }
                ++j;
            } else {
                addfield("0,", 11, line);
            }
        }
        putstr(0, line, 1, runio::mcsv);
    }
}

void writecsvline(SolveState& s)
{
    const numerics::ResultRec& res = numerics::result;
    const runio::ScriptSet& ss = runio::scriptset;
    runio::Channels& ch = runio::chans;
    if (given(ss.compatibility) || given(ss.modebox) || res.nbulkpts > 1) return;
    if ((ch.chanset & runio::mcsv) == 0 || ch.file[runio::chcsv] == nullptr) return;
    const bool props = numerics::phchoice.phaseprops && ss.plotixcode == 1;
    const bool first = s.successes == 1;
    std::string text;
    if (first) {
        if (runio::run.runno == 1) {
            addfield("P(kbar), ", 12, text);
            addfield(std::string("T(") + runio::degreesign + "C), ", 12, text);
            if (props)
                for (const char* h : {"G, ", "H, ", "S, ", "V, ", "rho, "}) addfield(h, 12, text);
        }
        text += "\n";
    }
    addreal(res.p, 3, true, 10, text);
    text += ", ";
    addreal(celsius(res.t), 2, true, 10, text);
    text += ", ";
    if (props) {
        addreal(res.sysg[1], 5, true, 10, text);
        text += ", ";
        addreal(res.sysh[1], 5, true, 10, text);
        text += ", ";
        for (double v : {res.syss[1], res.sysv[1], res.sysrho[1]}) {
            addreal(v, 4, true, 10, text);
            text += ", ";
        }
    }
    if (first) {
        // The phases of the line: those present, then those at zero mode.
        std::string present, absent;
        bool allzero = true;
        for (int i = 1; i <= res.nphases; ++i)
            if (res.ph[i].show && res.ph[i].mode[1] != 0.0) allzero = false;
        for (int i = 1; i <= res.nphases; ++i) {
            const numerics::ResPhase& e = res.ph[i];
            if (!e.show) continue;
            if (allzero || e.mode[1] > 0.0)
                present += e.name + " ";
            else if (e.mode[1] == 0.0)
                absent += e.name + " ";
        }
        text += "  " + present;
        if (!absent.empty()) text += "- " + absent;
    }
    text += "\n";
    runio::chanwrite(runio::chcsv, text);
    runio::flushchannel(runio::chcsv);
    ch.chanused[runio::chcsv] = true;
}

}  // namespace diagramresults
