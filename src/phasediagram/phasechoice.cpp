// The phases of a phase-diagram run: those the script leaves out, those its
// "with" list names or the user picks (the last choice offered again), the
// fluid rules and the kind of fluid; then the phases in excess, and the
// report of which solution phases start from the script's guesses.
#include <vector>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "phasediagram/setup.h"
#include "runio/scriptset.h"

namespace phasediagram {

namespace {

using axmodels::ph;
using runio::msl;
using runio::msol;
using runio::putstr;

using PhaseNames = runio::Arr<std::string, axmodels::maxphases + 1>;

// The names of all phases in one row: solution phases, then pure phases.
PhaseNames phasenames()
{
    PhaseNames names{};
    for (int k = 1; k <= ph.nss; ++k) names[k] = ph.prec1[k].name;
    for (int k = 1; k <= ph.npure; ++k) names[ph.nss + k] = ph.prec0[k].name;
    return names;
}

// Exact position of a name among the phases, 0 when absent.
int exactphase(const PhaseNames& names, const std::string& name)
{
    int pos;
    runio::posinlist(name, names.data(), ph.nph, pos);
    return pos;
}

// Position of a name among the phases; with mayask an unknown one may be
// replaced at the terminal.
int phaseat(const PhaseNames& names, std::string name, bool mayask)
{
    int pos;
    thermodata::checkphasename(name, names.data(), !mayask, pos);
    return pos;
}

// The kinds of fluid of the run.
enum FluidKind { fluidunset = 0, fluidseveral = 1, fluidnone = 2, fluidh2o = 3, fluidco2 = 4, fluidh2oco2 = 5,
                 fluidchos = 7, fluidaq = 8, fluidaqco2 = 9 };

void omitted()
{
    const runio::ScriptTables& t = runio::scripttabs;
    if (runio::scriptset.exclude == 1 || t.nexclude == 0) return;
    const PhaseNames names = phasenames();
    thermodata::DropList drop{};
    std::string& line = runio::chans.line;
    line = "phases ignored this run: ";
    bool any = false;
    for (int i = 1; i <= t.nexclude; ++i) {
        const int pos = exactphase(names, t.excludenames[i]);
        if (pos == 0 || drop[pos]) continue;
        drop[pos] = 1;
        line += t.excludenames[i] + " ";
        any = true;
    }
    if (any) putstr(1, line + " (from script)", 2, msol);
    thermodata::makename(drop);
}

// The script's "with" list: the phases it names are kept, the list is
// rewritten in phase order (unless batches refer to it by position).
void withlist()
{
    runio::ScriptTables& t = runio::scripttabs;
    const runio::ScriptSet& s = runio::scriptset;
    const PhaseNames names = phasenames();
    thermodata::DropList drop{};
    for (int k = 1; k <= ph.nph; ++k) drop[k] = 1;
    int kept = 0;
    for (int i = 1; i <= t.nwith; ++i) {
        std::string& name = t.withnames[i];
        if (name.empty()) runio::bomb("whichphases", "with phase is an empty string", 1);
        int pos;
        if (!thermodata::checkphasename(name, names.data(), false, pos))
            runio::bomb("whichphases", "with phase " + name + " not recognised", 0);
        if (drop[pos]) {
            drop[pos] = 0;
            ++kept;
        }
    }
    if (kept != t.nwith) runio::bomb("whichphases", "with phase list: duplicate found", 0);
    if (s.batchsw != 0) {
        int n = 0;
        for (int k = 1; k <= ph.nph; ++k)
            if (!drop[k]) t.withnames[++n] = names[k];
    }
    std::string& line2 = runio::chans.line2;
    line2 = s.someof ? "with someof: " : "with: ";
    for (int i = 1; i <= t.nwith; ++i) line2 += t.withnames[i] + " ";
    putstr(1, line2 + " (from script)", 1, msl);
    thermodata::makename(drop);
}

// Names of an "inexcess" or "tozero" list, found among the phases and kept
// with the user's choice; those of the last choice are marked there.
void autoincluded(const runio::Arr<std::string, runio::maxexcess + 1>& list, int n, const std::string& head,
                  const std::string& tail, const PhaseNames& names, std::vector<int>& keep, std::vector<bool>& inlast)
{
    const numerics::PhaseChoice& pc = numerics::phchoice;
    std::string& line2 = runio::chans.line2;
    line2 = head;
    for (int i = 1; i <= n; ++i) {
        const int pos = phaseat(names, list[i], true);
        if (pos == 0) continue;
        keep.push_back(pos);
        line2 += names[pos] + "  ";
        for (int k = 1; k <= pc.nchosenph; ++k)
            if (pc.chosenph[k] == names[pos]) {
                inlast[k] = true;
                break;
            }
    }
    if (n > 0) putstr(0, line2 + tail, 1, msl);
}

void askwords(const std::string& prompt, runio::Words& words, int from)
{
    runio::Words more;
    if (from <= words.n) return;
    runio::promptstrings(prompt, more);
    words.n = from - 1;
    for (int i = 1; i <= more.n; ++i) words[++words.n] = more[i];
}

// The interactive choice (or the "with" list standing for it); true when
// the last choice was reused ("=", "+" or "-").
bool choosephases(bool withgiven, const runio::Words& withreply, thermodata::DropList& drop)
{
    const runio::ScriptSet& s = runio::scriptset;
    const runio::ScriptTables& t = runio::scripttabs;
    const numerics::PhaseChoice& pc = numerics::phchoice;
    const PhaseNames names = phasenames();
    const bool last = pc.nchosenph > 0;
    std::vector<int> autokeep;
    runio::Words words = withreply;
    if (s.someof) {
        if (!withgiven) {
            std::string line = "choose from: ";
            for (int k = 1; k <= ph.nph; ++k) line += names[k] + "  ";
            putstr(0, line, 1, msl);
        }
        std::vector<bool> inlast(pc.nchosenph + 1, false);
        if (s.inexcesssw == 0 && t.nexcessnames > 0)
            autoincluded(t.excessnames, t.nexcessnames, "inexcess: ", "- auto included (from script)", names,
                         autokeep, inlast);
        if (s.inexcess0sw == 0 && t.nexcess0names > 0)
            autoincluded(t.excess0names, t.nexcess0names, "tozero: ", " (from script)", names, autokeep, inlast);
        if (last) {
            std::string line = "last time was: ", plus;
            for (int k = 1; k <= pc.nchosenph; ++k) (inlast[k] ? plus : line) += pc.chosenph[k] + "  ";
            if (!plus.empty()) line += "+  " + plus;
            putstr(0, line, 1, msl);
        }
        runio::promptstrings(withgiven ? "choose phases" : "which phases", words);
        if (words.n == 0 && last) words[++words.n] = "=";
        const std::string first = words[1];
        if (last && first.size() > 1 && (first[0] == '+' || first[0] == '-') && words.n < runio::maxwords) {
            for (int i = words.n; i >= 2; --i) words[i + 1] = words[i];
            ++words.n;
            words[1] = first.substr(0, 1);
            words[2] = first.substr(1);
        }
    }

    auto mark = [&](int from, std::uint8_t value) {
        for (int i = from; i <= words.n; ++i) {
            const int pos = phaseat(names, words[i], false);
            if (pos != 0) drop[pos] = value;
        }
    };
    drop.fill(0);
    const std::string w1 = words.n > 0 ? words[1] : std::string();
    if (words.n == 0 || w1 == "all") return false;
    if (w1 == "omit" || w1 == "0mit") {
        mark(2, 1);
        return false;
    }
    for (int k = 1; k <= ph.nph; ++k) drop[k] = 1;
    if (last && (w1 == "=" || w1 == "+" || w1 == "-")) {
        for (int k = 1; k <= pc.nchosenph; ++k) {
            const int pos = phaseat(names, pc.chosenph[k], false);
            if (pos != 0) drop[pos] = 0;
        }
        if (w1 == "-") {
            askwords("of these, omit", words, 2);
            mark(2, 1);
        } else if (w1 == "+") {
            askwords("add to these", words, 2);
            mark(2, 0);
        }
        return true;
    }
    mark(1, 0);
    for (int pos : autokeep) drop[pos] = 0;
    return false;
}

// A fluid solution left out takes pure H2O and CO2 with it; pure H2O
// chosen leaves pure CO2 out.
void fluidrules(thermodata::DropList& drop)
{
    bool fluiddropped = false;
    for (int k = 1; k <= ph.nss; ++k)
        if (drop[k] && ph.prec1[k].fluid) fluiddropped = true;
    bool h2okept = false;
    for (int k = 1; k <= ph.npure; ++k)
        if (ph.prec0[k].name == "H2O" && !drop[ph.nss + k]) h2okept = true;
    for (int k = 1; k <= ph.npure; ++k) {
        const std::string& name = ph.prec0[k].name;
        if ((fluiddropped && (name == "H2O" || name == "CO2")) || (h2okept && name == "CO2")) drop[ph.nss + k] = 1;
    }
}

void fluidtype()
{
    int nfluid = 0, naq = 0, nboth = 0, nh2o = 0, fluidn = 0;
    for (int k = 1; k <= ph.nss; ++k) {
        const axmodels::SolPhase& sp = ph.prec1[k];
        if (sp.fluid) {
            ++nfluid;
            fluidn = sp.n;
        }
        if (sp.aqueous) ++naq;
        if (sp.h2opos > 0 && sp.co2pos > 0) ++nboth;
        if (sp.h2opos > 0 && sp.co2pos == 0) ++nh2o;
    }
    bool pureh2o = false, pureco2 = false;
    for (int k = 1; k <= ph.npure; ++k) {
        if (ph.prec0[k].emname == "H2O") pureh2o = true;
        if (ph.prec0[k].emname == "CO2") pureco2 = true;
    }
    int& type = calcwindows::win.fluidtype;
    if (nfluid == 0 && naq == 0)
        type = pureh2o && pureco2 ? fluidunset : pureco2 ? fluidco2 : pureh2o ? fluidh2o : fluidnone;
    else if (nfluid > 0 && naq == 0)
        type = pureh2o || pureco2 ? fluidunset
               : nfluid >= 2      ? fluidseveral
               : fluidn == 2 && nboth == 1 ? fluidh2oco2
                                           : fluidchos;
    else if (naq > 0 && nfluid == 0)
        type = pureh2o || pureco2 ? fluidunset
               : naq >= 2         ? fluidseveral
               : nboth == 1       ? fluidaqco2
               : nh2o == 1        ? fluidaq
                                  : fluidunset;
    else
        type = fluidseveral;
    if (type == fluidunset) runio::bomb("whichphases", "facility not implemented yet (fluidtype not set)", 0);
    if (type == fluidseveral) runio::bomb("whichphases", "several fluid and/or aq: choose just one", 0);
    // External buffering is of an H2O-CO2 fluid solution only.
    if (type != fluidh2oco2) runio::scriptset.exbuff = 1;
    const char* notice = type == fluidh2o     ? "fluid is just H2O"
                         : type == fluidco2   ? "fluid is just CO2"
                         : type == fluidh2oco2 ? "fluid is H2O-CO2"
                         : type == fluidchos  ? "fluid is in CHOS"
                         : type == fluidaq    ? "fluid is H2O-aqueous"
                         : type == fluidaqco2 ? "fluid is H2O-CO2-aqueous"
                                              : nullptr;
    if (notice != nullptr) putstr(0, notice, 1, msol);
}

}  // namespace

void whichphases()
{
    runio::ScriptSet& s = runio::scriptset;
    runio::ScriptTables& t = runio::scripttabs;
    numerics::PhaseChoice& pc = numerics::phchoice;

    omitted();
    const bool withgiven = s.with == 0 && t.nwith > 0;
    runio::Words withreply;
    if (withgiven) {
        withlist();
        withreply.n = t.nwith;
        for (int i = 1; i <= t.nwith; ++i) withreply[i] = t.withnames[i];
    } else {
        s.someof = true;
    }
    thermodata::DropList drop{};
    const bool reused = choosephases(withgiven, withreply, drop);
    fluidrules(drop);
    thermodata::makename(drop);

    bool stuffed = false;
    for (int k = 1; k <= ph.nss; ++k) {
        if (!ph.prec1[k].zeroguess) continue;
        if (!stuffed) putstr(0, "", 1, runio::mscreen);
        putstr(0, "zero xyz guess in axfile for " + ph.prec1[k].name, 1, runio::mscreen);
        stuffed = true;
    }
    if (stuffed) runio::bomb("whichphases", "xyz stuffed", 0);

    fluidtype();

    if (!reused) {
        const PhaseNames names = phasenames();
        pc.nchosenph = ph.nph;
        for (int k = 1; k <= ph.nph; ++k) pc.chosenph[k] = names[k];
    }

    for (int g = 1; g <= t.nsamecoding; ++g) {
        runio::SameCoding& group = t.samecodings[g];
        int kept = 0;
        for (int i = 1; i <= group.n; ++i) {
            int pos = 0;
            for (int k = 1; k <= ph.nss && pos == 0; ++k)
                if (ph.prec1[k].name == group.names[i]) pos = k;
            if (pos == 0) continue;
            ++kept;
            group.names[kept] = group.names[i];
            group.phaseno[kept] = pos;
        }
        group.n = kept;
    }
}

void readinexcess()
{
    runio::ScriptSet& s = runio::scriptset;
    const runio::ScriptTables& t = runio::scripttabs;
    numerics::PhaseChoice& pc = numerics::phchoice;
    pc.nexcessph = pc.nnobulk = pc.ntozeroph = 0;
    pc.isexcess.fill(0);
    pc.istozero.fill(0);
    pc.isnobulk.fill(0);
    const PhaseNames names = phasenames();

    runio::Words list;
    if (ph.nph > 1) {
        runio::promptcontrol("use in excess phases specified in scriptfile", s.inexcesssw);
        if (s.inexcesssw == 0) {
            list.n = t.nexcessnames;
            for (int i = 1; i <= t.nexcessnames; ++i) list[i] = t.excessnames[i];
            if (list.n == 0 && runio::mcs.nmc <= 0) putstr(0, "no phases in excess (from script)", 1, msol);
        } else {
            std::string line;
            for (int k = 1; k <= ph.nph; ++k) line += names[k] + "  ";
            putstr(0, line, 1, msl);
            runio::promptstrings("in excess: names", list);
        }
    }
    const int nexcessnames = list.n;
    if (s.inexcess0sw == 0)
        for (int i = 1; i <= t.nexcess0names && list.n < runio::maxwords; ++i) list[++list.n] = t.excess0names[i];

    for (int i = 1; i <= list.n; ++i) {
        const int pos = phaseat(names, list[i], false);
        if (pos == 0) continue;
        pc.isexcess[pos] = 1;
        if (i > nexcessnames) pc.istozero[pos] = 1;
    }
    for (int k = 1; k <= ph.nph; ++k) {
        pc.nexcessph += pc.isexcess[k];
        pc.ntozeroph += pc.istozero[k];
        pc.isnobulk[k] = pc.isexcess[k];
    }
    pc.nnobulk = pc.nexcessph;
    if (pc.nexcessph > 0) {
        std::string& line2 = runio::chans.line2;
        line2 = "in excess:";
        for (int i = 1; i <= pc.nexcessph && i <= list.n; ++i) line2 += " " + list[i];
        putstr(0, line2, 1, msl);
    }

    // A fluid phase in excess is a reservoir: its own mode is held at zero.
    bool fluidzero = false;
    for (int k = 1; k <= ph.nph; ++k)
        if (pc.istozero[k] && (names[k] == "H2O" || names[k] == "CO2")) fluidzero = true;
    if (fluidzero) return;
    for (int k = 1; k <= ph.nph; ++k)
        if (pc.isexcess[k] && (names[k] == "H2O" || names[k] == "CO2")) {
            pc.istozero[k] = 1;
            ++pc.ntozeroph;
            return;
        }
}

void listxyzguesses()
{
    putstr(1, "specification of xyz starting guesses of phases", 1, msl);
    std::string in, out;
    for (int k = 1; k <= ph.nss; ++k) (ph.prec1[k].scriptguess ? in : out) += " " + ph.prec1[k].name;
    std::string& line2 = runio::chans.line2;
    line2 = "in the scriptfile:" + (in.empty() ? std::string("none") : in) + "; not in the scriptfile:" +
            (out.empty() ? std::string(" none") : out);
    putstr(0, line2, 1, msl);
}

}  // namespace phasediagram
