// The tables of one mode-1 result: the main table of P, T, set activities
// and solved variables with their uncertainties, the reaction among the
// phases, the modes with the assemblage's thermodynamic properties, the
// activity table of a fit experiment, the chemical potentials, the extra
// blocks after a result, and the progress marks between results.
#include <algorithm>
#include <cmath>

#include "diagramresults/diagramresults.h"
#include "diagramresults/resultwork.h"
#include "numerics/unknowns.h"
#include "runio/scriptset.h"

namespace diagramresults {

Printing printing;

namespace {

const std::string degc = std::string("T(") + runio::degreesign + "C)";

// The first value column of a table starts after P (8) and T (10).
constexpr int ptwidth = 18;

// Ends a pending line of progress marks before a table.
void endprogress(std::uint32_t mask)
{
    if (printing.progresscol > 0) putstr(0, "", 1, mask);
    printing.progresscol = 0;
}

std::string setalabel(const std::string& name)
{
    const runio::ScriptSet& ss = runio::scriptset;
    if (given(ss.seta)) return "a(" + name + ")";
    if (given(ss.setloga)) return "log a(" + name + ")";
    return "ln a(" + name + ")";
}

// A solved unknown with the significant digits of the result tables, a fixed
// one with the decimals it needs.
void addunknown(int u, std::string& line)
{
    const numerics::Unknowns& x = numerics::unk;
    const double v = x.nlex[u];
    if (x.xfree[u]) {
        addreal(v, runio::win.vdecimals, false, 10, line);
    } else {
        const int d = runio::ndecimals(v);
        addreal(v, d < 6 ? d : 6, true, 10, line);
    }
}

// The label of mode row r: the bulk point it belongs to.
int rowpoint(int r)
{
    const numerics::ResultRec& res = numerics::result;
    if (runio::scriptflags.modesinnle) return res.bulkstep;
    if (numerics::phchoice.variance0 == 1) return (r - 1) / 2 + res.firstmodept;
    return r + res.firstmodept - 1;
}

}  // namespace

std::uint32_t resultmask()
{
    const runio::ScriptFlags& f = runio::scriptflags;
    return f.dogminon && f.dogminlevel == 1 ? runio::mlog : runio::msol;
}

void progresscount(SolveState& s)
{
    if (++printing.progresscol % 80 == 0) {
        putstr(0, "", 1, runio::msl);
        printing.progresscol = 1;
    }
    putstr(0, runio::realstrshort(s.nlecode), 0, runio::msl);
}

void printtable(SolveState& s)
{
    const numerics::Unknowns& x = numerics::unk;
    const numerics::ResultRec& res = numerics::result;
    const runio::ScriptTables& st = runio::scripttabs;
    const bool withsd = given(runio::scriptset.calcsdnle);
    const std::uint32_t mask = resultmask();
    const int pagewidth = runio::prefs.pagewidth;
    const int nseta = st.nseta;
    const bool split = (nseta + x.nvar) * 10 + 2 > pagewidth;
    // Columns of unknowns per block; the first block shares its width with
    // P, T and the set activities.
    int percol = split ? (pagewidth - 20) / 10 : x.nvar - 2;
    if (percol < 1) percol = 1;
    int first = split ? percol - nseta : percol;
    if (first < 1) first = 1;

    const bool heading = split || s.table || s.successes == 1;
    if (heading) {
        if (!phasediagram::solveglobals.fracton)
            putstr(printing.progresscol > 0 ? 1 : 0, repeated('-', 60), 1, mask);
    } else if (printing.progresscol > 0) {
        putstr(0, "", 1, mask);
    }
    printing.progresscol = 0;

    std::string headprefix, valueprefix, laterprefix;
    if (s.svdropped) {
        headprefix = laterprefix = " ";
        valueprefix = "#";
    } else if (withsd) {
        headprefix = valueprefix = laterprefix = "  ";
    }
    std::string& line = runio::chans.line;
    int u = 3;
    for (int block = 1; block == 1 || u <= x.nvar; ++block) {
        const int last = std::min(x.nvar, u + (block == 1 ? first : percol) - 1);
        if (heading) {
            line = headprefix;
            if (block == 1) {
                addfield("P(kbar)", 8, line);
                addfield(degc, 10, line);
                for (int k = 1; k <= nseta; ++k) addfield(setalabel(st.setaname[k]), 10, line);
            } else {
                addfield("", withsd ? ptwidth : ptwidth + 2, line);
            }
            for (int k = u; k <= last; ++k) addfield(x.xname[k].substr(0, 9), 10, line);
            putstr(0, line, 1, mask);
        }
        line = block == 1 ? valueprefix : laterprefix;
        if (block == 1) {
            addreal(res.p, 3, true, 8, line);
            addreal(celsius(res.t), 2, true, 10, line);
            for (int k = 1; k <= nseta; ++k) {
                if (given(runio::scriptset.seta))
                    addreal(std::exp(st.setaval[k]), 3, true, 10, line);
                else
                    addreal(st.setaval[k], 4, true, 10, line);
            }
        } else {
            addfield("", withsd ? ptwidth : ptwidth + 2, line);
        }
        for (int k = u; k <= last; ++k) addunknown(k, line);
        putstr(0, line, 1, mask);
        if (withsd) {
            const runio::Arr<double, numerics::maxnlex + 1>& sd = numerics::unc.xsd;
            line.clear();
            addfield("sd", runio::scriptflags.modesinnle && res.nbulkpts > 1 ? -7 : 0, line);
            if (block == 1) {
                if (x.xfree[1])
                    addreal(sd[1], 1, true, 8, line);
                else
                    addfield("", 8, line);
                if (x.xfree[2])
                    addrealshort(sd[2], 10, line);
                else
                    addfield("", 10, line);
                addfield("", 10 * nseta, line);
            } else {
                addfield("", ptwidth, line);
            }
            for (int k = u; k <= last; ++k) {
                if (x.xfree[k])
                    addreal(sd[k], 3, false, 10, line);
                else
                    addfield("", 10, line);
            }
            putstr(0, line, 1, mask);
        }
        u = last + 1;
    }
}

void printphasereaction(SolveState& s)
{
    if (s.reactiontext.size() <= 4) return;
    putstr(numerics::result.firstmodept > 0 ? 1 : 0, "    " + s.reactiontext, 1, runio::msol);
}

void excessfactor(ResultFlags& flags, double& f)
{
    const numerics::ResultRec& res = numerics::result;
    const runio::ScriptTables& st = runio::scripttabs;
    flags.fill(false);
    f = 1.0;
    if (!given(runio::scriptset.inexcess0sw)) return;
    double sum = 0.0;
    for (int i = 1; i <= res.nphases; ++i) {
        const numerics::ResPhase& e = res.ph[i];
        if (!e.show) continue;
        for (int k = 1; k <= st.nexcess0names; ++k)
            if (st.excess0names[k] == e.name) {
                flags[i] = true;
                sum += e.mode[1];
                break;
            }
    }
    // When the zeroed phases hold the whole rock nothing is left to renormalise.
    if (1.0 - sum > 1e-12) f = 1.0 / (1.0 - sum);
}

void printmodes(SolveState& s)
{
    const numerics::ResultRec& res = numerics::result;
    const runio::ScriptSet& ss = runio::scriptset;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const bool props = numerics::phchoice.phaseprops;
    const bool zeroset = given(ss.inexcess0sw) && runio::scripttabs.nexcess0names > 0;
    const bool full = !sf.dogminon && !zeroset;
    const bool wantah2o = given(ss.calcah2o) && !sf.dogminon;
    const bool wantmuo = given(ss.calcmuo) && !sf.dogminon;
    const bool several = res.nbulkpts > 1;
    const std::uint32_t mask = resultmask();
    ResultFlags flags;
    double f;
    excessfactor(flags, f);

    std::string& line = runio::chans.line;
    line = " mode";
    if (several) addfield("", 10, line);
    for (int i = 1; i <= res.nphases; ++i)
        if (res.ph[i].show) addfield(res.ph[i].name, 10, line);
    if (props) {
        addfield("G", 12, line);
        if (full) {
            addfield("H", 12, line);
            addfield("S", 10, line);
            addfield("V", 10, line);
            addfield("rho", 10, line);
        }
    }
    if (wantah2o) addfield("a(H2O)", 10, line);
    if (wantmuo) addfield("mu(O)", 12, line);
    putstr(1, line, 1, mask);

    for (int r = 1; r <= res.nmodevec; ++r) {
        bool outside = false;
        if (given(ss.c8))
            for (int i = 1; i <= res.nphases; ++i)
                if (res.ph[i].show && (res.ph[i].mode[r] < 0.0 || res.ph[i].mode[r] > 1.0)) outside = true;
        line = outside ? "#" : " ";
        if (!several) {
            addfield("", 4, line);
        } else if (!sf.modesinnle && numerics::phchoice.variance0 == 1 && r % 2 == 0) {
            addfield("", 14, line);
        } else {
            const int point = rowpoint(r);
            addrealshort(point, 4, line);
            addreal(res.bulkx[sf.modesinnle ? 1 : point], 4, true, 10, line);
        }
        for (int i = 1; i <= res.nphases; ++i) {
            if (!res.ph[i].show) continue;
            const double m = res.ph[i].mode[r];
            if (m == 0.0)
                addfield("", 10, line);
            else
                addreal(m, runio::win.vdecimals, false, 10, line);
        }
        if (props && !outside) {
            addreal(res.sysg[r], 5, true, 12, line);
            if (full) {
                addreal(res.sysh[r], 5, true, 12, line);
                addreal(res.syss[r], 4, true, 10, line);
                addreal(res.sysv[r], 4, true, 10, line);
                addreal(res.sysrho[r], 4, true, 10, line);
            }
        }
        s.ah2o = wantah2o ? docalcah2o(s.phases, res.p, res.t) : 0.0;
        s.muo = wantmuo ? docalcmuo(s.phases, res.p, res.t) : 0.0;
        if (wantah2o) addreal(s.ah2o, 4, true, 10, line);
        if (wantmuo) addreal(s.muo, 4, true, 12, line);
        putstr(0, line, 1, mask);

        if (outside || std::fabs(f - 1.0) <= 1e-8) continue;
        line = "     ";
        if (several) addfield("", 10, line);
        for (int i = 1; i <= res.nphases; ++i) {
            if (!res.ph[i].show) continue;
            const double m = res.ph[i].mode[r];
            if (flags[i])
                addfield("-", 10, line);
            else if (m != 0.0)
                addreal(f * m, runio::win.vdecimals, false, 10, line);
            else
                addfield("", 10, line);
        }
        line += runio::scripttabs.nexcess0names > 1 ? "  modes zeroed" : "  mode zeroed";
        putstr(0, line, 1, mask);
    }

    const int item = numerics::progress.batchitem;
    const runio::BatchTables& bt = runio::batches;
    if (given(ss.mcdebug) && item >= 1 && item <= bt.nbatch && item < static_cast<int>(bt.batchrec.size()) &&
        bt.batchrec[item].bulkflag) {
        const runio::BatchRec& b = bt.batchrec[item];
        const thermodata::Components& cs = thermodata::comps;
        line = "with bulk";
        for (int c = 1; c <= cs.ncomp; ++c)
            if (cs.oxfree[c]) addfield(cs.compname[c], 8, line);
        putstr(0, line, 1, runio::mscreen);
        line = "         ";
        for (int c = 1; c <= b.ncompused; ++c) addreal(b.bulkcomp[c], 2, true, 8, line);
        putstr(0, line, 1, runio::mscreen);
    }
    if (given(ss.exbuff) && given(ss.fifi)) {
        double x1 = 0.0, x2 = 0.0;
        fificalc(s.phases, x1, x2, res.p, res.t);
    }
    if (given(ss.calcsdnle)) {
        const numerics::Unknowns& x = numerics::unk;
        line.clear();
        addfield("sd", -5, line);
        for (int u = x.nvar + 1; u <= x.nvar + x.nmodes; ++u) {
            if (!x.xfree[u]) continue;
            if (numerics::unc.xsd[u] > 0.0)
                addreal(numerics::unc.xsd[u], 3, false, 10, line);
            else
                addfield("", 10, line);
        }
        putstr(0, line, 1, mask);
    }
}

void printsimple()
{
    const numerics::ResultRec& res = numerics::result;
    const thermodata::EndMembers& e = thermodata::ems;
    const int pagewidth = runio::prefs.pagewidth;
    const bool split = (e.nem + 2) * 10 + 2 > pagewidth;
    const int percol = split ? std::max(1, (pagewidth - 20) / 10) : std::max(1, e.nem);
    std::string& line = runio::chans.line;
    for (int k = 1; k <= e.nem; k += percol) {
        const int last = std::min(e.nem, k + percol - 1);
        endprogress(runio::msl);
        if (split || res.nmodevec > 0) {
            line = " ";
            if (k == 1) {
                addfield("P(kbar)", 8, line);
                addfield(degc, 10, line);
            } else {
                addfield("", ptwidth, line);
            }
            for (int j = k; j <= last; ++j) addfield(e.emname[j], 10, line);
            putstr(0, line, 1, runio::msol);
        }
        line = " ";
        if (k == 1) {
            addreal(res.p, 3, true, 8, line);
            addreal(celsius(res.t), 2, true, 10, line);
        } else {
            addfield("", ptwidth, line);
        }
        for (int j = k; j <= last; ++j) addreal(e.act[j], 4, false, 10, line);
        putstr(0, line, 1, runio::msol);
    }
}

void printmus(SolveState& s)
{
    const numerics::ResultRec& res = numerics::result;
    const thermodata::Components& cs = thermodata::comps;
    docalcmu(s.phases, res.p, res.t);
    std::string& line = runio::chans.line;
    line = " mu   ";
    for (int c = 1; c <= cs.ncomp; ++c) addfield(cs.compname[c], 12, line);
    putstr(1, line, 1, runio::msol);
    line = "      ";
    for (int c = 1; c <= cs.ncomp; ++c) addreal(printing.compmu[c], 5, true, 12, line);
    putstr(0, line, 1, runio::msol);
    line.clear();
    addfield("", 10, line);
    for (int c = 1; c <= cs.ncomp; ++c) addreal(printing.compmu[c], 4, true, 12, line);
    putstr(0, line, 1, runio::mpx);
}

void printresult(SolveState& s)
{
    const runio::ScriptSet& ss = runio::scriptset;
    const bool modes = numerics::result.nmodevec > 0;
    if (given(ss.kalfitsw)) {
        printsimple();
        return;
    }
    printtable(s);
    if (runio::scriptflags.dogminon) {
        if (modes) printmodes(s);
    } else {
        printphasereaction(s);
        if (given(ss.convliq)) conv2wt(s.phases, s.wtpercent);
        if (modes) {
            printmodes(s);
            if (given(ss.modebox)) writemodelists(s);
        }
        writecsvline(s);
        printic();
    }
    if (given(ss.printxyz)) printguesses(s);
}

void printmorestuff(SolveState& s)
{
    const runio::ScriptSet& ss = runio::scriptset;
    if (runio::scriptflags.dogminon) runio::bomb("printmorestuff", "in here for dogmin?", 1);
    if (given(ss.plotixsw))
        writepxline(s);
    else if (!given(ss.compatibility) && !given(ss.modebox) && numerics::phchoice.phaseprops)
        writepxbraceline(s);
    if (given(ss.calcmu)) printmus(s);
    if (given(ss.printbulkinfosw)) printbulkinfo(s);
    if (phasediagram::solveglobals.fracton && numerics::progress.batchitem < 2) printbatchbulk(s);
}

}  // namespace diagramresults
