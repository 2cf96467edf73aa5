// Script keywords that name the phases of a run, the phases left out, in
// excess and set to zero, their colours, and the starting guesses of the
// solver: P (kbar) and T (degrees C in the script, K stored), compositional
// variables and phase modes.
#include "script/scriptblocks.h"

namespace script {

namespace {

// The excess and to-zero lists: "none", "no" or nothing mean no such phases.
void readexcesslist(ScriptLine& l, int& sw, int& count, runio::Arr<std::string, maxexcess + 1>& names)
{
    const ScriptInfo& si = scriptinfo;
    if (sw == 1 || si.ninfo == 0 || si.infotext[1] == "none") {
        sw = 0;
        count = 0;
        return;
    }
    int n = 0;
    if (!scriptstrings(l.keyword, n)) return;
    if (n > maxexcess) {
        // A shortened list would calculate a different system: leave it to the terminal.
        scriptproblem(l.keyword, "for " + l.keyword + ", at most " + inttext(maxexcess) + " phases, not " +
                                     inttext(n), "too many phases");
        sw = 1;
        count = 0;
        return;
    }
    for (int i = 1; i <= n; ++i) names[i] = si.infotext[i];
    count = n;
}

}  // namespace

void kwwith(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    const ScriptInfo& si = scriptinfo;
    s.with = l.sw == 2 ? 0 : l.sw;
    t.nwith = 0;
    if (l.sw != 1 && si.ninfo == 0) {
        putstr(1, l.keyword + " should be followed by a list of phase names", 1, msl);
        bomb("reading scripts", l.keyword + ": missing list", 0);
    }
    s.someof = si.ninfo >= 1 && si.infotext[1] == "someof";
    if (s.with != 1) {
        if (s.someof && si.ninfo == 1) {
            putstr(1, l.keyword + "someof should be followed by a list of phase names", 1, msl);
            bomb("reading script" + l.keyword, "missing list of phases", 0);
        }
        if (s.someof) shiftinfo(1);
        int n = 0;
        if (scriptstrings(l.keyword, n)) {
            for (int i = 1; i <= n; ++i) t.withnames[i] = si.infotext[i];
            t.nwith = n;
        }
    } else {
        t.nwith = 0;
    }
    t.withlistflag.fill(true);
    t.withlistcount.fill(0);
}

void kwignore(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    s.exclude = l.sw;
    if (s.exclude == 1) return;
    const int n = scriptinfo.ninfo < maxexclude ? scriptinfo.ninfo : maxexclude;
    for (int i = 1; i <= n; ++i) t.excludenames[i] = scriptinfo.infotext[i];
    t.nexclude = n;
}

void kwsetexcess(ScriptLine& l)
{
    scriptset.inexcesssw = l.sw;
    readexcesslist(l, scriptset.inexcesssw, scripttabs.nexcessnames, scripttabs.excessnames);
}

void kwtozero(ScriptLine& l)
{
    scriptset.inexcess0sw = l.sw == 2 ? 0 : l.sw;
    readexcesslist(l, scriptset.inexcess0sw, scripttabs.nexcess0names, scripttabs.excess0names);
}

void kwrgb(ScriptLine& l)
{
    ScriptTables& t = scripttabs;
    const ScriptInfo& si = scriptinfo;
    if (l.sw != 1 && t.nrgb != 0 && si.ninfo >= 3) {
        const int k = t.nrgb < 0 ? 1 : t.nrgb + 1;
        if (k > maxrgb) {
            scriptproblem(l.keyword, "for " + l.keyword + ", at most " + inttext(maxrgb) + " phases can have colours",
                          "too many colours");
            t.nrgb = 0;
        } else {
            t.nrgb = k;
            t.rgb.resize(k + 1);
            RgbEntry& e = t.rgb[k];
            e.name = si.infotext[1];
            for (int c = 1; c <= 3; ++c) {
                int v;
                std::string message;
                if (!str2int(si.infotext[c + 1], v, message) || v < 0 || v > 255) {
                    t.nrgb = 0;
                    break;
                }
                e.value[c] = v;
            }
        }
    }
    if (t.nrgb > 0) {
        const RgbEntry& e = t.rgb[t.nrgb];
        std::string line = "rgb = " + inttext(t.nrgb) + ") ";
        addfield(e.name, 5, line);
        for (int c = 1; c <= 3; ++c) addfield(inttext(e.value[c]), 4, line);
        putstr(0, line, 1, mscreen);
    } else if (t.nrgb == 0) {
        putstr(0, "rgb = -", 1, mscreen);
    }
}

void kwptguess(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    s.ptguesssw = l.sw;
    double p, tc;
    if (s.ptguesssw != 0 || scriptinfo.ninfo < 2) {
        s.ptguesssw = 1;
    } else if (!inforealat(1, p) || !inforealat(2, tc)) {
        s.ptguesssw = 1;
    } else {
        t.ptguessp = p;
        t.ptguesst = tc + 273.15;
        // Kept but not used outside the program's overall window.
        if (!(scal.pminall <= p && p <= 1500.0 && 283.0 <= t.ptguesst && t.ptguesst <= 3000.0)) s.ptguesssw = 1;
    }
}

void kwxyzguess(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    const ScriptInfo& si = scriptinfo;
    s.xyzguesssw = l.sw;
    if (t.nxyzguess == 0) return;
    double v;
    if (s.xyzguesssw != 0 || si.ninfo < 2 || !inforealat(2, v)) {
        s.xyzguesssw = 1;
    } else {
        const int k = t.nxyzguess < 0 ? 1 : t.nxyzguess + 1;
        if (k > maxxyzguess) bomb("reading scripts", "too many xyzguess", 0);
        t.nxyzguess = k;
        XyzGuess& g = t.xyzguesses[k];
        g = XyzGuess{si.infotext[1], v, 0.0, 0.0, 1.0};
        double a, b;
        if (si.ninfo >= 4 && si.infotext[3] == "sd") {
            if (inforealat(4, a)) g.sd = a < 0.0 ? 0.0 : a;
            if (si.ninfo >= 7 && si.infotext[5] == "range") {
                if (inforealat(6, a)) g.low = a;
                if (inforealat(7, b)) g.high = b;
            }
        } else if (si.ninfo >= 5 && si.infotext[3] == "range") {
            if (inforealat(4, a)) g.low = a;
            if (inforealat(5, b)) g.high = b;
        }
    }
    if (s.xyzguesssw == 1) t.nxyzguess = 0;
}

void kwmodeguess(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    const ScriptInfo& si = scriptinfo;
    s.modeguesssw = l.sw;
    if (t.nmodeguess == 0) return;
    double v;
    if (s.modeguesssw != 0 || si.ninfo < 2 || !inforealat(2, v)) {
        s.modeguesssw = 1;
    } else {
        const int k = t.nmodeguess < 0 ? 1 : t.nmodeguess + 1;
        if (k > maxmodeguess) bomb("reading scripts", "too many modeguess", 0);
        t.nmodeguess = k;
        t.modeguesses[k] = ModeGuess{si.infotext[1], v};
    }
    if (s.modeguesssw == 1) t.nmodeguess = 0;
}

}  // namespace script
