// Script keywords of Monte Carlo runs (perturbed a-x model parameters: W
// terms, van Laar sizes and DQF terms, each a + bT + cP) and of fractionation
// along a P-T path (kbar; degrees C in the script, K stored).
#include <cmath>
#include <limits>
#include <vector>

#include "script/scriptblocks.h"

namespace script {

namespace {

[[noreturn]] void mcfatal(const std::string& message) { bomb("reading scripts", message, 0); }

// A parameter word such as W(g,py)a: the parameter name and its coefficient letter.
void mcvarword(const std::string& word, McRef& ref, const std::string& abcmessage, const std::string& namemessage)
{
    const char last = word.empty() ? '\0' : word.back();
    if (last == 'a')
        ref.coef = 1;
    else if (last == 'b')
        ref.coef = 2;
    else if (last == 'c')
        ref.coef = 3;
    else
        mcfatal(abcmessage);
    const std::string name = str22(word.substr(0, word.size() - 1));
    if (name.size() < 4) mcfatal(namemessage + " (1)");
    if (name.back() != ')') mcfatal(namemessage + " (2)");
    if (name.compare(0, 2, "W(") == 0)
        ref.kind = 1;
    else if (name.compare(0, 2, "a(") == 0)
        ref.kind = 2;
    else if (name.compare(0, 4, "DQF(") == 0)
        ref.kind = 3;
    else
        mcfatal(namemessage + " (3)");
    ref.varname = name;
    ref.paramindex = 0;
}

// The phases an item applies to: a phase that heads a samecoding group brings the group.
void mcphases(const std::string& phase, McRef& ref)
{
    const ScriptTables& t = scripttabs;
    ref.phases[1] = phase;
    ref.nphases = 1;
    for (int g = 1; g <= t.nsamecoding; ++g) {
        const SameCoding& sc = t.samecodings[g];
        if (sc.n < 1 || sc.names[1] != phase) continue;
        for (int i = 1; i <= sc.n; ++i) ref.phases[i] = sc.names[i];
        ref.nphases = sc.n;
        return;
    }
}

double mcfuncvalue(const McFunc& f)
{
    double v = f.base;
    for (int i = 1; i <= f.nterms; ++i)
        v += f.coef[i] * mcs.mcranges[f.range[i]].value;
    return v;
}

int findrange(const std::string& name)
{
    for (int k = 1; k <= mcs.nmcrange; ++k)
        if (mcs.mcranges[k].name == name) return k;
    return 0;
}

std::vector<double> mcreals(const ScriptLine& l, int after, int count, const std::string& message)
{
    std::vector<double> v;
    int c = count;
    if (!getreals(l.words, l.words.n, after, v, c)) mcfatal(message);
    return v;
}

void echomcitem(int k)
{
    const McItem& it = mcs.mcitems[k];
    if (k == 1) putstr(1, "mc info", 1, msol);
    std::string line;
    addfield(inttext(k), 2, line);
    addfield(" ", 2, line);
    addfield(it.ref.phases[1], -7, line);
    addfield(it.ref.varname, -12, line);
    addreal(it.value, 3, true, 9, line);
    if (it.link == 0) {
        addreal(it.halfwidth, 3, true, 8, line);
        addfield(":", 0, line);
    } else {
        addfield(":", -9, line);
    }
    addfield(inttext(it.ref.kind), 2, line);
    addfield(inttext(it.ref.coef), 2, line);
    if (it.link < 0) {
        addfield(" f", 0, line);
        addfield(inttext(-it.link), 2, line);
    } else if (it.link > 0) {
        addfield(" r ", 0, line);
        addfield(mcs.mcranges[it.link].name, 0, line);
    }
    putstr(0, line, 1, msol);
}

void addrefnames(const McRef& ref, std::string& line)
{
    addfield(ref.phases[1], 7, line);
    if (ref.nphases >= 2) addfield("     and also ", 0, line);
    for (int i = 2; i <= ref.nphases; ++i) addfield(ref.phases[i], 7, line);
    addfield(inttext(ref.kind), 3, line);
    addfield(inttext(ref.paramindex), 3, line);
    addfield(inttext(ref.coef), 3, line);
}

void echomccorr(int k)
{
    const McCorr& c = mcs.mccorrs[k];
    if (k == 1) {
        putstr(0, "", 1, mscreen);
        putstr(0, "mc correlations", 1, mscreen);
    }
    std::string line;
    addfield(inttext(k), 2, line);
    addreal(c.corr, 3, true, 10, line);
    addfield(" : ", 0, line);
    addrefnames(c.ref1, line);
    putstr(0, line, 1, mscreen);
    line = spaces(15);
    addrefnames(c.ref2, line);
    putstr(0, line, 1, mscreen);
}

}  // namespace

void kwmcdebug(ScriptLine& l) { scriptset.mcdebug = l.sw; }
void kwbatchdebug(ScriptLine& l) { scriptset.batchdebug = l.sw; }
void kwmcoutcurrentway(ScriptLine& l) { scriptset.mcoutcurrentway = l.sw; }
void kwfractdebug(ScriptLine& l) { scriptset.fractdebug = l.sw; }
void kwgaussmc(ScriptLine& l) { mcs.gaussmc = l.sw == 0; }

void kwmcit(ScriptLine& l)
{
    mcs.mcit = 1.0;
    mcoutkind = 1;
    if (scriptinfo.ninfo < 2 || l.sw == 1) return;
    const std::vector<double> v = mcreals(l, l.used, 2, "wrong mcit info");
    if (std::fabs(v[2]) >= 32767.0) mcfatal("wrong mcit info");
    // The passes are counted in an int: a count beyond it would never end.
    if (v[1] > static_cast<double>(std::numeric_limits<int>::max()))
        mcfatal("in mcit, the number of passes " + runio::valuetext(v[1]) + " in \"" + files.scriptname +
                "\" is more than a run can count (max = " + runio::inttext(std::numeric_limits<int>::max()) + ")");
    mcs.mcit = v[1];
    mcoutkind = static_cast<int>(std::trunc(v[2]));
}

void kwmcrange(ScriptLine& l)
{
    McTables& m = mcs;
    if (l.sw == 1 || scriptinfo.ninfo < 3) return;
    const std::vector<double> v = mcreals(l, l.used + 1, 2, "wrong mcrange info");
    const int k = m.nmcrange == -1 ? 1 : m.nmcrange + 1;
    if (k > maxmcrange) mcfatal("too many mcrange");
    m.nmcrange = k;
    m.mcranges.resize(k + 1);
    m.mcranges[k] = McRange{scriptinfo.infotext[1], v[1], v[2]};
}

void kwmcfunc(ScriptLine& l)
{
    McTables& m = mcs;
    if (l.sw == 1 || scriptinfo.ninfo < 5) return;
    const std::vector<double> v = mcreals(l, l.used + 1, 2, "wrong mcfunc info (1)");
    const int k = m.nmcfunc == -1 ? 1 : m.nmcfunc + 1;
    if (k > maxmcfunc) mcfatal("too many mcfunc");
    if (std::fabs(v[2]) >= 32767.0 || std::trunc(v[2]) > maxmcterms) mcfatal("too many terms in mcfunc");
    m.nmcfunc = k;
    m.mcfuncs.resize(k + 1);
    McFunc& f = m.mcfuncs[k];
    f = McFunc{};
    f.name = scriptinfo.infotext[1];
    f.base = v[1];
    f.nterms = static_cast<int>(std::trunc(v[2]));
    int pos = l.used + 3;
    for (int i = 1; i <= f.nterms; ++i) {
        f.coef[i] = mcreals(l, pos, 1, "wrong mcfunc info (2)")[1];
        const int r = pos + 2 <= l.words.n ? findrange(l.words[pos + 2]) : 0;
        if (r == 0) mcfatal("wrong mcfunc info (3)");
        f.range[i] = r;
        pos += 2;
    }
}

void kwmc(ScriptLine& l)
{
    McTables& m = mcs;
    const ScriptInfo& si = scriptinfo;
    if (l.sw != 1 && si.ninfo >= 3) {
        const int k = m.nmc == -1 ? 1 : m.nmc + 1;
        if (k > maxmc) mcfatal("too many mc");
        m.nmc = k;
        m.mcitems.resize(k + 1);
        McItem& it = m.mcitems[k];
        it = McItem{};
        mcphases(si.infotext[1], it.ref);
        mcvarword(si.infotext[2], it.ref, "in mc, abc", "in mc, mcvarname");
        if (scriptisnumber(si.infokind[3])) {
            const std::vector<double> v = mcreals(l, l.used + 2, 2, "in mc, not enough info");
            it.value = v[1];
            it.halfwidth = v[2];
        } else {
            const char relation = si.infotext[3][0];
            const std::string rest = si.infotext[3].substr(1);
            if (relation == '<' || relation == '>') mcfatal("in mc, >/< not currently implemented");
            if (relation == 'f') {
                if (m.nmcfunc < 1) mcfatal("in mc, no mcfunc");
                int f = 0;
                for (int i = 1; i <= m.nmcfunc && f == 0; ++i)
                    if (m.mcfuncs[i].name == si.infotext[2]) f = i;
                if (f == 0) mcfatal("in mc, no match with mcfunc");
                it.value = mcfuncvalue(m.mcfuncs[f]);
                it.link = -f;
                it.relation = -2;
            } else if (relation == '=') {
                if (m.nmcrange < 1) mcfatal("in mc, no mcrange");
                const int r = findrange(rest);
                if (r == 0) mcfatal("in mc, no match with mcrange");
                it.value = m.mcranges[r].value;
                it.link = r;
            } else {
                mcfatal("in mc, bad range info");
            }
        }
        if (it.ref.kind == 3) it.dqf[it.ref.coef] = it.value;
        echomcitem(k);
    }
    scriptset.mc = 0;
}

void kwmccorr(ScriptLine& l)
{
    McTables& m = mcs;
    const ScriptInfo& si = scriptinfo;
    if (l.sw == 1 || m.nmccorr == 0 || si.ninfo < 3) return;
    m.gaussmc = true;
    const int k = m.nmccorr == -1 ? 1 : m.nmccorr + 1;
    if (k > maxmccorr) mcfatal("too many correlations");
    m.nmccorr = k;
    m.mccorrs.resize(k + 1);
    McCorr& c = m.mccorrs[k];
    c = McCorr{};
    c.named = !(si.infokind[3] == 2 || si.infotext[3] == "0");
    double corr;
    bool ok;
    if (c.named) {
        mcphases(si.infotext[1], c.ref1);
        mcvarword(si.infotext[2], c.ref1, "in mc, abc1", "in mccorr, mcvarname1");
        mcphases(si.infotext[3], c.ref2);
        mcvarword(si.infotext[4], c.ref2, "in mc, abc1", "in mccorr, mcvarname2");
        ok = inforealat(5, corr);
    } else {
        c.ref1.phases[1] = si.infotext[1];
        c.ref1.nphases = 1;
        c.ref2.phases[1] = si.infotext[2];
        c.ref2.nphases = 1;
        ok = inforealat(3, corr);
    }
    if (!ok) {
        m.nmccorr = 0;
        putstr(0, "mccorr input attempted and failed", 1, mscreen);
        return;
    }
    c.corr = corr;
    echomccorr(k);
}

void kwfract(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    const ScriptInfo& si = scriptinfo;
    Fractionation& fr = mcs.fractset;
    s.fract = l.sw;
    if (s.batchsw != 0 && s.rbisw == 0 && l.sw != 1) {
        putstr(0, "", 1, mscreen);
        putstr(0, "fractcalcs are currently untested - what state are they in??", 1, mscreen);
        if (!query("do you want to continue?")) killrun();
    }
    bool ok = false;
    std::vector<double> v;
    int c = 7;
    if (s.fract != 1 && si.ninfo >= 8 && withposition(si.infotext[1]) > 0 &&
        getreals(l.words, l.words.n, l.used + 1, v, c) && std::fabs(v[7]) < 32767.0) {
        ok = true;
        fr.phase = si.infotext[1];
        fr.porosity = v[1];
        fr.added = v[2];
        fr.startp = v[3];
        // Each step of the path starts from this temperature.
        if (!usablecelsius(v[4]))
            mcfatal("in fract, the starting temperature " + realstrshort(v[4]) + degreesc + " in \"" +
                    files.scriptname + "\" " + abovezerotext);
        fr.startt = v[4] + 273.15;
        fr.pstep = v[5];
        fr.tstep = v[6];
        fr.nsteps = static_cast<int>(std::trunc(v[7]));
        // An oblique path: P rises with T at a fixed dP/dT (kbar/K).
        if (fr.pstep != 0.0 && fr.tstep != 0.0) {
            s.oblique = 0;
            fr.values[1] = fr.startp;
            fr.values[2] = fr.pstep / fr.tstep;
        }
        std::string line = "fractionation info:";
        addfield(fr.phase, 6, line);
        addreal(fr.porosity, 4, true, 10, line);
        addreal(fr.added, 4, true, 10, line);
        addfield(" {", 0, line);
        addreal(fr.startp, 1, true, 6, line);
        addfield(",", 0, line);
        addreal(fr.startt - 273.15, 2, true, 8, line);
        addfield("}", 0, line);
        addreal(fr.pstep, 2, true, 8, line);
        addreal(fr.tstep, 2, true, 8, line);
        addfield(inttext(fr.nsteps), 8, line);
        putstr(1, line, 2, mscreen);
        if (fr.added > 0.0) {
            ScriptTables& t = scripttabs;
            // The added composition is the last phase line of the rbi table.
            if (t.nrbi < 1) {
                putstr(0, "for " + l.keyword + ", an added composition needs an rbi phase line before it", 1,
                       mscreen);
                ok = false;
            } else {
                fr.addedcomp = t.rbi[t.nrbi].comp;
                --t.nrbi;
            }
        }
    }
    if (!ok) {
        putstr(0, "fractionation info input attempted, but failed", 1, mscreen);
        s.fract = 1;
    }
}

}  // namespace script
