// The experiments of the experiments file: for each record its reaction (or,
// for a record naming solution phases, a group of equilibria among the
// phases' end-members), the activity list, and the brackets, each a P-T
// point with its fluid, activities or phase compositions, and the side on
// which the reaction was seen to go.
#include "axmodels/axmodels.h"
#include "dsfit/dsfit.h"
#include "dsfit/fitread.h"
#include "runio/runio.h"

namespace dsfit {

namespace {

using runio::bomb;
using runio::inttext;
using runio::maxlabel;
using runio::Words;

std::string experimentname(int e) { return "experiment " + inttext(e); }

// Position of a name among the fit's a-x phases (the placeholders are not phases).
int phaseposition(const std::string& name)
{
    for (int k = nplaceholders + 1; k <= fit.nphname; ++k)
        if (fit.phname[k] == name) return k;
    return 0;
}

ActEntry& newentry(Experiment& x, int e)
{
    if (x.nact == maxactlist)
        bomb("readxy", "too many entries in the activity list of " + experimentname(e) + maxlabel(maxactlist) +
                           "-> increase maxactlist", 0);
    ActEntry& a = x.act[++x.nact];
    a = ActEntry{};
    return a;
}

void checkmembers(int n, int e)
{
    if (n > maxrxnem)
        bomb("readxy", "too many members in the reaction of " + experimentname(e) + maxlabel(maxrxnem) +
                           "-> increase maxrxnem", 0);
}

// The trailing words of a header line: "univariant" or "divariant", then
// "unknowncomps" (after "univariant" only), then "show" (after one of them);
// returns the number of the last member name.
int headerflags(const Words& words, Experiment& x)
{
    int last = words.n;
    auto iskeyword = [](const std::string& w) {
        return w == "univariant" || w == "divariant" || w == "unknowncomps";
    };
    if (last >= 3 && words[last] == "show" && iskeyword(words[last - 1])) {
        x.show = true;
        --last;
    }
    if (last >= 2 && words[last] == "unknowncomps") {
        if (words[last - 1] != "univariant") bomb("readxy", "need univariant keyword", 0);
        x.unknowncomps = true;
        --last;
    }
    if (last >= 2 && (words[last] == "univariant" || words[last] == "divariant")) {
        x.kind = words[last] == "univariant" ? 1 : 2;
        --last;
    }
    return last;
}

// A record of end-members only: one reaction, its coefficients and rfac,
// and an activity word per member.
void readsimple(int e, const Words& names, int n)
{
    Experiment& x = fit.xp[e];
    checkmembers(n, e);
    x.n = n;
    for (int j = 1; j <= n; ++j) posinphname(names[j + 1], x.em[j], false);
    for (int j = 1; j <= n; ++j) x.nu[j] = readint("coefficient of " + names[j + 1]);
    x.rfac = readreal("rfac");
    x.label = runio::trim(readrest());
    Words words;
    readline(words, "activities");
    for (int j = 1; j <= n; ++j) {
        const std::string& member = names[j + 1];
        const std::string& w = words[j];
        const int kind = runio::wordkind(w);
        if (kind == 4) {
            const int p = phaseposition(w);
            if (p == 0) bomb("reading activity", "name, " + w + ", not recognised 1", 0);
            const axmodels::SolPhase& s = axmodels::ph.prec1[p];
            for (int m = 1; m <= s.n; ++m) {
                ActEntry& a = newentry(x, e);
                a.name = s.em[m].name;
                posinphname(a.name, a.em, true);
                a.phase = p;
                a.inphase = m;
                a.marker = m == 1 ? afirstem : aotherem;
                if (a.name == member) x.col[j] = x.nact;
            }
            if (x.col[j] == 0) bomb("readxy", member + " not recognised", 0);
            continue;
        }
        const double marker = runio::getsingle(kind, w, "reading a(" + member + ")");
        if (marker < 0.0) {
            // Negative markers stand for the end-members of a phase: only
            // cordierite takes one, for its channel fluid.
            if (member != "crd" && member != "fcrd")
                bomb("readxy", "the activity " + w + " of " + member + " in " + experimentname(e) +
                                   " is negative: only crd and fcrd take a negative value", 0);
            x.crd = true;
        }
        ActEntry& a = newentry(x, e);
        a.name = member;
        a.em = x.em[j];
        a.marker = marker;
        x.col[j] = x.nact;
    }
}

// The activity list of a record with phases: each named end-member, then
// each named phase's end-members with the constituents of its made ones.
void headerentries(int e, const Words& names, int n)
{
    Experiment& x = fit.xp[e];
    int nphases = 0;
    for (int i = 2; i <= n + 1; ++i) {
        int em;
        if (posinphname(names[i], em, false)) {
            ActEntry& a = newentry(x, e);
            a.name = names[i];
            a.em = em;
            a.marker = 1.0;
            continue;
        }
        // The experiment's phases are set up in the slots kept free below
        // the fit's own phases.
        if (++nphases > nplaceholders)
            bomb("readxy", experimentname(e) + " names too many solution phases (max = " + inttext(nplaceholders) + ")", 0);
        const int p = phaseposition(names[i]);
        const axmodels::SolPhase& s = axmodels::ph.prec1[p];
        for (int m = 1; m <= s.n; ++m) {
            ActEntry& a = newentry(x, e);
            a.name = s.em[m].name;
            if (!posinphname(a.name, a.em, false) && s.em[m].make.count <= 0)
                bomb("readrc", "not recognised \"" + a.name + "\"", 0);
            a.phase = p;
            a.inphase = m;
            a.marker = m == 1 ? afirstem : aotherem;
        }
        for (int m = 1; m <= s.n; ++m) {
            const axmodels::MakeRecipe& mk = s.em[m].make;
            for (int c = 1; c <= mk.count; ++c) {
                ActEntry& a = newentry(x, e);
                a.name = mk.cname[c];
                posinphname(a.name, a.em, false);
                a.phase = p;
                a.inphase = m;
                a.marker = aconstituent;
            }
        }
    }
}

// A record with phases: the group size, rfac and label, then the equilibria
// of the group, each a line of member names and a line of coefficients.
void readgroup(int e, const Words& names, int n)
{
    Experiment& x = fit.xp[e];
    headerentries(e, names, n);
    const int g = readint("group size");
    x.rfac = readreal("rfac");
    x.label = runio::trim(readrest());
    if (g < 1) bomb("readxy", "the group size of " + experimentname(e) + " must be at least 1", 0);
    if (e + g - 1 > maxnexp) bomb("readxy", "too many equilibria -> increase maxnexp", 0);
    x.groupsize = g;
    for (int k = 1; k <= g; ++k) {
        const int ek = e + k - 1;
        if (k > 1) {
            fit.xp[ek] = x;
            fit.xp[ek].groupno = k;
        }
        Experiment& xk = fit.xp[ek];
        Words words;
        if (!nextwords(words)) readline(words, "equilibrium " + inttext(k));
        checkmembers(words.n, ek);
        xk.n = words.n;
        for (int j = 1; j <= words.n; ++j) {
            int c = 0;
            for (int i = 1; i <= xk.nact && c == 0; ++i)
                if (xk.act[i].name == words[j]) c = i;
            if (c == 0) bomb("readrc", "not recognised \"" + words[j] + "\" 1", 0);
            // The fit refines the enthalpies of the end-member file: a made
            // end-member in a reaction has none of its own, and would drop out
            // of the reaction's enthalpy and of its row.
            if (xk.act[c].em == 0)
                bomb("readxy", words[j] + " in the reaction of " + experimentname(ek) +
                                   " is not in the end-member file: a reaction may only name end-members of that file",
                     0);
            xk.col[j] = c;
            xk.em[j] = xk.act[c].em;
        }
        place.who = experimentname(ek);
        for (int j = 1; j <= words.n; ++j) xk.nu[j] = readint("coefficient of " + words[j]);
        runio::skipline(runio::files.infile);
        runio::Arr<std::string, maxrxnem + 1> membernames{};
        for (int j = 1; j <= xk.n; ++j) membernames[j] = words[j];
        xk.rxntext = rxnequation(xk.nu.data(), membernames.data(), xk.n);
    }
}

void weighting(Experiment& x)
{
    if (fitopts.userfac == 1)
        x.rfac = 1.0;
    else if (x.rfac <= 0.0)
        x.rfac = fitopts.tighten == 0 ? 0.5 : 1.0;
    if (!x.crd) return;
    for (int i = 1; i <= x.nact; ++i)
        if (x.act[i].name == "crd" || x.act[i].name == "fcrd") x.act[i].marker = 1.0;
}

// The values a bracket line gives after its code, P, T and x(CO2): for each
// entry of the activity list, the compositional variables of a phase whose
// composition is given, or the activity given in each bracket.
void bracketvalues(Experiment& x, int e, const Words& words, Bracket& br)
{
    int next = 5, nxyz = 0;
    const int b = x.nb + 1;
    for (int i = 1; i <= x.nact; ++i) {
        const ActEntry& a = x.act[i];
        if (a.marker == afirstem) {
            const axmodels::SolPhase& s = axmodels::ph.prec1[a.phase];
            for (int v = 1; v <= s.n - 1; ++v) {
                double value;
                if (next > words.n) {
                    if (!x.unknowncomps) bomb("readxy", "not enough info 1", 0);
                    x.compsmissing = true;
                    value = s.var[v].guess;
                } else {
                    value = runio::getsingle(runio::wordkind(words[next]), words[next], "reading xyz");
                    ++next;
                }
                if (nxyz == maxbrx)
                    bomb("readxy", "too many composition values in bracket " + inttext(b) + " of " + experimentname(e) +
                                       maxlabel(maxbrx) + "-> increase maxbrx", 0);
                br.xyz[++nxyz] = value;
            }
            br.a[i] = afirstem;
        } else if (a.marker == aotherem) {
            br.a[i] = aotherem;
        } else if (a.marker == agiven) {
            if (next > words.n) bomb("readxy", "not enough info 2", 0);
            br.a[i] = runio::getsingle(runio::wordkind(words[next]), words[next], "reading a");
            ++next;
        } else {
            br.a[i] = a.marker;
        }
    }
    // The fluid of the run sets the activities of H2O and CO2 unless the
    // record gives them below 1.
    for (int i = 1; i <= x.nact; ++i) {
        const std::string& name = x.act[i].name;
        if (name == "H2O" && br.a[i] >= 1.0) br.a[i] = 1.0 - br.xco2;
        if (name == "CO2" && br.a[i] >= 1.0) br.a[i] = br.xco2;
    }
    // ln Q needs the logarithm of every activity that is not calculated later.
    for (int i = 1; i <= x.nact; ++i) {
        const ActEntry& a = x.act[i];
        if (a.marker == afirstem || a.marker == aotherem || a.marker == aconstituent || br.a[i] > 0.0) continue;
        bomb("readxy", "the activity of " + a.name + " in bracket " + inttext(b) + " of " + experimentname(e) + " is " +
                           runio::realstrshort(br.a[i]) + ": it must be above 0", 0);
    }
}

void readbrackets(int e)
{
    Experiment& x = fit.xp[e];
    x.nb = 0;
    x.br.assign(1, Bracket{});
    Words words;
    for (;;) {
        if (!nextwords(words))
            bomb("readxy", "the file " + quotedname() + " ends before the brackets of " + experimentname(e) +
                               " end with a negative code", 0);
        const int code = runio::getinteger(runio::wordkind(words[1]), words[1], "reading br code");
        if (code < 0) break;
        Bracket br;
        br.p = runio::getsingle(runio::wordkind(words[2]), words[2], "reading P");
        const double tc = runio::getsingle(runio::wordkind(words[3]), words[3], "reading T");
        if (!runio::usablecelsius(tc))
            bomb("readxy", "the temperature " + runio::realstrshort(tc) + runio::degreesc + " of bracket " +
                               inttext(x.nb + 1) + " of " + experimentname(e) + " in " + quotedname() + " " +
                               runio::abovezerotext, 0);
        br.t = tc + 273.15;
        br.xco2 = runio::getsingle(runio::wordkind(words[4]), words[4], "reading x(CO2)");
        bracketvalues(x, e, words, br);
        br.side = code == 1 ? 1 : 0;
        br.sense = code == 1;
        if (code == 2) continue;
        if (x.nb == maxnb) bomb("readxy", "need to increase maxnb", 0);
        br.id = ++x.nb;
        x.br.push_back(br);
    }
    for (int k = 2; k <= x.groupsize; ++k) {
        fit.xp[e + k - 1].br = x.br;
        fit.xp[e + k - 1].nb = x.nb;
        fit.xp[e + k - 1].compsmissing = x.compsmissing;
    }
}

void logrecord(int e)
{
    using runio::putstr;
    const Experiment& x = fit.xp[e];
    if (x.hasphases) {
        if (fitopts.infolevel > 1) {
            std::string line = "equilibrium: " + x.header + "  (" + x.label + "), involving next ";
            line += x.groupsize == 1 ? "reaction:" : inttext(x.groupsize) + " reactions:";
            putstr(0, line, 1, runio::mlog);
            for (int k = 1; k <= x.groupsize; ++k) {
                std::string l;
                runio::addfield(inttext(e + k - 1), 2, l);
                putstr(0, l + ")  " + fit.xp[e + k - 1].rxntext, 1, runio::mlog);
            }
        }
        putstr(0, "  " + inttext(e) + ")  equil: " + x.header + "  (" + x.label + ")", 1, runio::mlog);
        return;
    }
    if (fitopts.infolevel == 3) {
        std::string l;
        runio::addfield(inttext(e), 2, l);
        putstr(0, l + ")  " + x.rxntext + "  (" + x.label + ")", 1, runio::mscreen);
    }
    putstr(0, "  " + inttext(e) + ")  " + x.rxntext + "  (" + x.label + ")", 1, runio::mlog);
}

}  // namespace

void readexperiments()
{
    using namespace runio;
    putstr(1, "reading experimental data", 1, mlog);
    win.fluidtype = 6;
    fit.nexp = 0;
    Words words;
    // The end of the file ends the experiments as a code 0 does.
    while (nextwords(words)) {
        const int code = getinteger(wordkind(words[1]), words[1], "reading xp code");
        if (code == 0) break;
        if (fit.nexp == 0 && fitopts.infolevel > 1) putstr(2, "READING experimental work", 1, mlog);
        if (fit.nexp == maxnexp) bomb("readxy", "too many equilibria -> increase maxnexp", 0);
        const int e = ++fit.nexp;
        Experiment& x = fit.xp[e];
        x = Experiment{};
        x.used = code == 1;
        place = {"readxy", experimentname(e)};
        const int last = headerflags(words, x);
        const int n = last - 1;
        for (int i = 2; i <= last; ++i) {
            int em;
            if (!posinphname(words[i], em, false)) {
                if (phaseposition(words[i]) == 0) bomb("readrc", "not recognised \"" + words[i] + "\"", 0);
                x.hasphases = true;
            }
            x.header += words[i] + " ";
        }
        if (x.hasphases) {
            readgroup(e, words, n);
        } else {
            readsimple(e, words, n);
            x.rxntext = writerxn(x.nu.data(), x.em.data(), x.n);
        }
        for (int k = 1; k <= x.groupsize; ++k) weighting(fit.xp[e + k - 1]);
        readbrackets(e);
        logrecord(e);
        fit.nexp += x.groupsize - 1;
    }
}

}  // namespace dsfit
