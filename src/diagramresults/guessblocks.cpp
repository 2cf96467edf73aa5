// Results written to the log as script lines, to be pasted into the script
// of a later run: the starting guesses of P, T and every phase variable
// ("ptguess", "xyzguess", "batchxyzguess"), the bulk read back from the
// modes and compositions of the phases ("rbi" block, "% bulk" lines); and
// the small table of a phase's starting guesses after its state of order is
// found, with the advice on copying the guesses.
#include <cmath>

#include "diagramresults/diagramresults.h"
#include "diagramresults/resultwork.h"
#include "numerics/unknowns.h"
#include "runio/scriptset.h"

namespace diagramresults {

namespace {

const std::string d60 = "% " + repeated('-', 58);
const std::string d58 = "% " + repeated('-', 56);
const std::string d31 = "% " + repeated('-', 29);

// One "xyzguess" line of variable a (as read) of a solution phase: a kept
// variable with its value and its range, when that is not 0 to 1; a
// variable taken out of the model (its guess was zero) as 0 with a comment,
// so that the block still lists every variable of the a-x file.
void guessline(const std::string& prefix, const axmodels::XyzVar* v, const std::string& name, double value)
{
    std::string& line = runio::chans.line;
    line = prefix;
    addfield(name, -10, line);
    if (v == nullptr) {
        addfield("0", 12, line);
        line += "  % boiler";
    } else {
        addreal(value, 6, false, 12, line);
        if (v->lower != 0.0 || v->upper != 1.0) {
            line += "  range";
            if (v->lower == 0.0)
                line += "  0.000";
            else
                addreal(v->lower, 3, true, 7, line);
            addreal(v->upper, 3, true, 6, line);
        }
    }
    putstr(0, line, 1, runio::mlog);
}

// The guess lines of solution phase k, its kept variables taking their
// values in turn from value(j), j = 1, 2, ...
template <class Values>
void phaseguesses(const std::string& prefix, int k, Values value)
{
    const axmodels::SolPhase& sp = axmodels::ph.prec1[k];
    int j = 0;
    for (int a = 1; a <= sp.nvarasread; ++a) {
        if (sp.varnonzero[a]) {
            ++j;
            guessline(prefix, &sp.var[j], sp.varnameasread[a], value(j));
        } else {
            guessline(prefix, nullptr, sp.varnameasread[a], 0.0);
        }
    }
}

// The free components of the result, in component order.
template <class Each>
void eachfree(Each each)
{
    const numerics::ResultRec& res = numerics::result;
    int j = 0;
    for (int c = 1; c <= res.ncomps; ++c)
        if (res.compfree[c]) each(c, ++j);
}

// The rbi lines of the phases of the result: mode of row 1 (or "##" for
// the user to fill in) and the amounts of the free components.
void rbirows(bool withmodes, bool shownonly)
{
    const numerics::ResultRec& res = numerics::result;
    std::string& line = runio::chans.line;
    for (int i = 1; i <= res.nphases; ++i) {
        const numerics::ResPhase& e = res.ph[i];
        if (shownonly && !e.show) continue;
        line = "rbi";
        addfield(e.name, 8, line);
        if (withmodes)
            addreal(e.mode[1], 6, true, 12, line);
        else
            addfield("##", 12, line);
        eachfree([&](int c, int) { addfield(amounttext(e.comp[c]), 12, line); });
        putstr(0, line, 1, runio::mlog);
    }
}

// "% bulk" and the bulk of row 1 in percent, over the free components.
void bulkcomment()
{
    std::string& line = runio::chans.line;
    line = "% bulk                 ";
    eachfree([&](int, int j) { addreal(100.0 * numerics::result.bulkrows[1][j], 4, true, 12, line); });
    putstr(0, line, 1, runio::mlog);
}

}  // namespace

void printguesses(SolveState& s)
{
    const numerics::ResultRec& res = numerics::result;
    const numerics::Unknowns& x = numerics::unk;
    const axmodels::Phases& p = axmodels::ph;
    const bool batch = given(runio::scriptset.batchsw);
    const std::string prefix = batch ? "batchxyzguess " : "xyzguess ";
    std::string& line = runio::chans.line;

    putstr(1, d60, 1, runio::mlog);
    line = "% at P = " + realstr(res.p, 1, true) + ", T = " + runio::realstrshort(celsius(res.t)) + ", for: ";
    if (runio::scriptflags.modesinnle) {
        std::string zero;
        for (int u = x.nvar + 1; u <= x.nvar + x.nmodes; ++u) {
            if (!x.xfree[u] && x.nlex[u] == 0.0)
                zero += (zero.empty() ? " with " : ", ") + x.xname[u] + " = 0";
            else
                line += x.xname[u] + " ";
        }
        line += zero;
        if (numerics::bulks.bulkpos != 0.0) line += ", and x = " + realstr(res.bulkx[1], 4, true);
    } else {
        std::string names;
        for (int k = 1; k <= p.nph; ++k)
            if (s.phases[k]) names += (names.empty() ? "" : " ") + phasename(k);
        line += names;
    }
    putstr(0, line, 1, runio::mlog);
    putstr(0, d60, 1, runio::mlog);
    if (batch)
        putstr(0, "batchxyzguess startblock", 1, runio::mlog);
    else
        putstr(0, "ptguess " + realstr(res.p, 3, true) + " " + realstr(celsius(res.t), 2, true), 1, runio::mlog);
    putstr(0, d60, 1, runio::mlog);
    int used = 2;
    for (int k = 1; k <= thermodata::ems.nem; ++k) {
        if (!x.phasestart[k]) continue;
        const int first = used + 1;
        phaseguesses(prefix, x.emphase[k], [&](int j) { return x.nlex[first + j - 1]; });
        used += p.prec1[x.emphase[k]].nvar;
        if (x.nvar > used) putstr(0, d31, 1, runio::mlog);
    }
    putstr(0, d60, 2, runio::mlog);
}

void writeguesses()
{
    numerics::result = numerics::prevresult;
    const numerics::ResultRec& res = numerics::result;
    putstr(1, d58, 1, runio::mlog);
    putstr(0, "ptguess " + realstr(res.p, 1, true) + " " + runio::realstrshort(celsius(res.t)), 1, runio::mlog);
    putstr(0, d58, 1, runio::mlog);
    int last = 0;
    for (int i = 1; i <= res.nphases; ++i)
        if (res.ph[i].nems > 1) last = i;
    for (int i = 1; i <= last; ++i) {
        const numerics::ResPhase& e = res.ph[i];
        if (e.nems <= 1) continue;
        phaseguesses("xyzguess ", e.phaseno, [&](int j) { return e.varval[j]; });
        if (i < last) putstr(0, d31, 1, runio::mlog);
    }
    putstr(0, d58, 1, runio::mlog);
}

void printbulkinfo(SolveState&)
{
    const bool pseudo = runio::scriptflags.pseudosection;
    if (given(runio::scriptset.exbuff)) {
        putstr(1, "printbulkinfo not yet working for exbuff - sorry!", 1, runio::mlog);
        return;
    }
    std::string& line = runio::chans.line;
    putstr(1, d60, 1, runio::mlog);
    line = pseudo ? "rbi    " : "rbi  no";
    addfield("", 16, line);
    eachfree([&](int c, int) { addfield(rbiname(c), 12, line); });
    putstr(0, line, 1, runio::mlog);
    rbirows(pseudo, true);
    putstr(0, d60, 1, runio::mlog);
    if (pseudo) {
        bulkcomment();
        putstr(0, d60, 1, runio::mlog);
        putstr(0, "% delete this bulk line if you have modified the rbi tableau", 1, runio::mlog);
    } else {
        putstr(0, "replace the ''##'' by the modes you want to use to make the bulk", 1, runio::mlog);
    }
}

void writerbi()
{
    numerics::result = numerics::prevresult;
    std::string& line = runio::chans.line;
    putstr(1, d58, 1, runio::mlog);
    line = "rbi";
    addfield("", 20, line);
    eachfree([&](int c, int) { addfield(rbiname(c), 12, line); });
    putstr(0, line, 1, runio::mlog);
    putstr(0, d58, 1, runio::mlog);
    rbirows(true, false);
    putstr(0, d58, 1, runio::mlog);
    bulkcomment();
    putstr(0, d58, 1, runio::mlog);
}

void printbatchbulk(SolveState&)
{
    const numerics::ResultRec& res = numerics::result;
    const numerics::Unknowns& x = numerics::unk;
    const thermodata::Components& cs = thermodata::comps;
    // The modes of the step: the mode unknowns, or those found by mass
    // balance after the solve (none when the bulk lies outside the phases).
    const bool unknowns = runio::scriptflags.modesinnle;
    if (!unknowns && res.nmodevec < 1) return;
    int count = 0;
    for (int i = 1; i <= res.nphases; ++i)
        if (res.ph[i].show) ++count;
    if (unknowns && count != x.nmodes) {
        const int used = count < x.nmodes ? count : x.nmodes;
        putstr(0,
               "nxp = " + runio::inttext(x.nmodes) + ", npleft = " + runio::inttext(count) +
                   "k = " + runio::inttext(res.nphases) + ", lnrbimode = " + runio::inttext(used),
               1, runio::mscreen);
        runio::bomb("printmorestuff", "mismatch", 0);
    }
    // Each mode is per atom: the moles of a phase are its mode over its
    // atoms per formula unit.
    runio::Arr<double, thermodata::maxcomp + 1> bulk{};
    int m = 0;
    for (int i = 1; i <= res.nphases; ++i) {
        const numerics::ResPhase& e = res.ph[i];
        if (!e.show) continue;
        const double mode = unknowns ? x.nlex[x.nvar + ++m] : e.mode[1];
        double atoms = 0.0;
        for (int c = 1; c <= res.ncomps; ++c) atoms += cs.compatoms[c] * e.comp[c];
        if (atoms == 0.0) continue;
        for (int c = 1; c <= res.ncomps; ++c) bulk[c] += mode / atoms * e.comp[c];
    }
    double total = 0.0;
    eachfree([&](int c, int) { total += bulk[c]; });
    std::string& line = runio::chans.line;
    line = "% bulk ";
    eachfree([&](int c, int) { addreal(total > 0.0 ? 100.0 * bulk[c] / total : 0.0, 5, true, 10, line); });
    putstr(0, line + "    from rbi", 2, runio::mlog);
}

void ptxyzrow(int k)
{
    const axmodels::SolPhase& sp = axmodels::ph.prec1[k];
    const runio::Windows& w = runio::win;
    std::string& line = runio::chans.line;
    line = " P(kbar)    T(C)";
    for (int j = 1; j <= sp.nvar; ++j) addfield(sp.var[j].name, 10, line);
    putstr(0, line, 1, runio::msol);
    line.clear();
    if (w.pcalc == 0.001)
        addfield("0.001", 8, line);
    else
        addreal(w.pcalc, 1, true, 8, line);
    addrealshort(celsius(w.tcalc), 8, line);
    for (int j = 1; j <= sp.nvar; ++j) addreal(sp.var[j].guess, 4, true, 10, line);
    putstr(0, line, 1, runio::msol);
}

void guessadvice()
{
    const axmodels::Phases& p = axmodels::ph;
    // The minimisation's report gives its own advice, once.
    if (p.nss == 0 || runio::scriptflags.dogminon) return;
    for (int k = 1; k <= p.nss; ++k)
        if (p.prec1[k].scriptguess) return;
    runio::formattext({"your calculation relied on the starting guesses for the phases provided in the axfile. "
                       "These may well ",
                       "not be optimum for what you want to do - good starting guesses may be critical for "
                       "success. Starting guesses in ",
                       "script-form can be found in the logfile for equilibria that have calculated "
                       "successfully. Copy the \"xyzguess\" ",
                       "block from the logfile and paste into your scriptfile."});
}

}  // namespace diagramresults
