// The full listing of one result in the intermediate-results file: phase
// variables, site fractions, oxide compositions and bulk, modes and their
// factors, the phases' and the system's thermodynamic properties, and per
// end-member its activities, proportion, mu0 and RT ln a.
#include "diagramresults/diagramresults.h"
#include "diagramresults/resultwork.h"
#include "runio/scriptset.h"

namespace diagramresults {

namespace {

void icline(int before, const std::string& text, int after) { putstr(before, text, after, runio::mic); }

// The label of mode row r, in a field of 6.
std::string rowlabel(int r)
{
    const numerics::ResultRec& res = numerics::result;
    std::string label;
    if (runio::scriptflags.modesinnle)
        addrealshort(res.bulkstep, -6, label);
    else if (numerics::phchoice.variance0 == 1)
        addfield(r % 2 == 1 ? runio::inttext((r - 1) / 2 + res.firstmodept) : "", -6, label);
    else
        addrealshort(r + res.firstmodept - 1, -6, label);
    return label;
}

// Bulk row b in percent, blank for the components that are not free.
void addbulk(int b, std::string& line)
{
    const numerics::ResultRec& res = numerics::result;
    int j = 0;
    for (int c = 1; c <= res.ncomps; ++c) {
        if (res.compfree[c])
            addreal(100.0 * res.bulkrows[b][++j], 4, true, 12, line);
        else
            addfield("", 12, line);
    }
}

// A table of one value per phase and mode row: the modes or their factors.
// The externally buffered fluid is left out of it.
void rowtable(const std::string& title, bool factors)
{
    const numerics::ResultRec& res = numerics::result;
    const bool exbuff = given(runio::scriptset.exbuff);
    std::string& line = runio::chans.line;
    line.clear();
    addfield(title, -6, line);
    for (int i = 1; i <= res.nphases; ++i)
        if (!(exbuff && res.ph[i].isfluid)) addfield(res.ph[i].name, 12, line);
    icline(1, line, 1);
    for (int r = 1; r <= res.nmodevec; ++r) {
        line = rowlabel(r);
        for (int i = 1; i <= res.nphases; ++i) {
            if (exbuff && res.ph[i].isfluid) continue;
            const double v = factors ? res.ph[i].factor[r] : res.ph[i].mode[r];
            if (v == 0.0)
                addfield("", 12, line);
            else
                addreal(v, 8, true, 12, line);
        }
        icline(0, line, 1);
    }
}

}  // namespace

void printic()
{
    const numerics::ResultRec& res = numerics::result;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const bool exbuff = given(runio::scriptset.exbuff);
    const bool dogminon = sf.dogminon;
    std::string& line = runio::chans.line;

    icline(1, repeated('=', 59), 1);
    line.clear();
    for (int i = 1; i <= res.nphases; ++i) line += res.ph[i].name + " ";
    line += " {" + runio::realstr(res.p, 4, true) + ", " + runio::realstr(celsius(res.t), 3, true) + "}  kbar/" +
            runio::degreesign + "C";
    icline(1, line, 1);
    line.clear();
    if (res.var != res.ovar) line = "ovar = " + runio::inttext(res.ovar) + "; ";
    line += "var = " + runio::inttext(res.var);
    if (sf.modesinnle)
        line += " (seen)";
    else if (sf.modesafternle && res.nmodevec > 0 && res.nbulkpts == 1)
        line += "; seen";
    else if (sf.modesafternle && res.nmodevec == 0)
        line += "; NOT seen";
    icline(0, line, 2);

    for (int i = 1; i <= res.nphases; ++i) {
        const numerics::ResPhase& e = res.ph[i];
        if (e.nems <= 1) continue;
        line.clear();
        addfield(e.name, -5, line);
        for (int j = 1; j < e.nems; ++j) addfield(e.varname[j], 10, line);
        icline(0, line, 1);
        line = "     ";
        for (int j = 1; j < e.nems; ++j) addreal(e.varval[j], 5, true, 10, line);
        icline(0, line, 1);
    }

    icline(1, "site fractions", 1);
    for (int i = 1; i <= res.nphases; ++i) {
        const numerics::ResPhase& e = res.ph[i];
        if (e.nems <= 1) continue;
        line.clear();
        addfield(e.name, -5, line);
        for (int j = 1; j <= e.nsf; ++j) addfield(e.sfname[j], 10, line);
        icline(0, line, 1);
        line = "     ";
        for (int j = 1; j <= e.nsf; ++j) addreal(e.sf[j], 5, true, 10, line);
        icline(0, line, 1);
    }

    icline(1, "oxide compositions", 1);
    line = "      ";
    for (int c = 1; c <= res.ncomps; ++c) addfield(res.compnames[c], 12, line);
    icline(0, line, 1);
    if (sf.modesinnle || sf.modesafternle) {
        line.clear();
        addfield("bulk", -6, line);
        addbulk(1, line);
        if (sf.modesinnle && res.bulkstep > 1)
            line += "  step " + runio::inttext(res.bulkstep) + ", x = " + runio::realstr(res.bulkx[1], 4, true);
        if (sf.modesafternle && res.nbulkpts > 1) {
            icline(0, line, 1);
            line.clear();
            addfield("  to", -6, line);
            addbulk(res.nbulkpts, line);
            line += "  " + runio::inttext(res.nbulkpts - 1) + " steps";
        }
        icline(0, line, 2);
    }
    for (int i = 1; i <= res.nphases; ++i) {
        const numerics::ResPhase& e = res.ph[i];
        line.clear();
        addfield(e.name, -6, line);
        for (int c = 1; c <= res.ncomps; ++c) addfield(amounttext(e.comp[c]), 12, line);
        icline(0, line, 1);
    }

    if (res.nmodevec > 0 && !dogminon) {
        rowtable("mode", false);
        if (!exbuff) rowtable("factor", true);
    }

    if (!exbuff) {
        line = repeated(' ', 12);
        if (dogminon) {
            addfield("mode", 12, line);
            addfield("f", 12, line);
        }
        for (const char* h : {"G", "H", "S", "V", "rho"}) addfield(h, 12, line);
        icline(1, line, 1);
        for (int i = 1; i <= res.nphases; ++i) {
            const numerics::ResPhase& e = res.ph[i];
            line.clear();
            addfield(e.name, -12, line);
            if (dogminon) {
                addreal(e.mode[1], 8, true, 12, line);
                addreal(e.factor[1], 8, true, 12, line);
            }
            for (double v : {e.g, e.h, e.s}) addreal(v, 4, true, 12, line);
            for (double v : {e.v, e.rho}) addreal(v, 5, true, 12, line);
            icline(0, line, 1);
        }
        for (int r = 1; r <= res.nmodevec; ++r) {
            if (r == 1 && res.nbulkpts <= 1) {
                line.clear();
                addfield("sys", -6, line);
            } else {
                line = rowlabel(r);
            }
            addfield("", dogminon ? 30 : 6, line);
            for (double v : {res.sysg[r], res.sysh[r], res.syss[r], res.sysv[r], res.sysrho[r]})
                addreal(v, 5, true, 12, line);
            icline(r == 1 ? 1 : 0, line, 1);
        }
    }

    line = repeated(' ', 13);
    for (const char* h : {"ideal", "gamma", "activity", "prop"}) addfield(h, 12, line);
    if (!exbuff) {
        addfield(std::string(1, runio::musign) + "0", 17, line);
        addfield("RT ln a", 16, line);
    }
    icline(1, line, 1);
    for (int i = 1; i <= res.nphases; ++i) {
        const numerics::ResPhase& e = res.ph[i];
        line.clear();
        if (!issolution(e)) {
            addfield(e.name, -6, line);
            if (!exbuff) {
                line += repeated(' ', 55);
                addreal(e.emg[1], 4, true, 12, line);
            }
            icline(0, line, 1);
            continue;
        }
        for (int j = 1; j <= e.nems; ++j) {
            line.clear();
            addfield(j == 1 ? e.name : "", -6, line);
            addfield(e.emnames[j], -7, line);
            addreal(e.emideal[j], 6, false, 12, line);
            addreal(e.emgamma[j], 6, false, 12, line);
            addreal(e.emact[j], 6, false, 12, line);
            addreal(e.emprop[j], 5, false, 12, line);
            if (!exbuff) {
                addreal(e.emg[j], 8, true, 17, line);
                addreal(e.emrtlna[j], 8, true, 16, line);
                addreal(e.emg[j], 4, true, 14, line);
                addreal(e.emrtlna[j], 4, true, 12, line);
            }
            icline(0, line, j == e.nems ? 2 : 1);
        }
    }
}

}  // namespace diagramresults
