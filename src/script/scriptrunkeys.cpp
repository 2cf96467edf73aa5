// Script keywords of the run as a whole: strictness and automatic exit, the
// a-x file, the calculation type, the P-T windows (kbar; degrees C in the
// script, K stored), debugging and output levels, output switches, Gibbs
// energy minimisation and the variance.
#include "calcwindows/calcwindows.h"
#include "script/scriptblocks.h"

namespace script {

namespace {

// Levels take item 1 whatever the switch, so a level keyword with no number
// (or with "no") is reported and keeps the level 1.
void readlevel(ScriptLine& l, int& level, int lo, int hi)
{
    level = 1;
    if (scriptint(l.keyword, lo, hi)) level = scriptinfo.infoint[1];
}

}  // namespace

void kwstrictscripting(ScriptLine& l) { scriptset.strictscripting = l.sw == 0; }

void kwautoexit(ScriptLine& l)
{
    scriptset.autoexit = l.sw == 0;
    prefs.bombautoexit = scriptset.autoexit;
}

void kwaxfile(ScriptLine& l)
{
    prefs.prefsaxsuffix.clear();
    if (l.sw != 1 && scriptstring(l.keyword)) prefs.prefsaxsuffix = scriptinfo.infotext[1];
}

void kwcalctype(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    s.calctype = l.sw == 2 ? 1 : l.sw;
    s.calctypecode = 0;
    if (s.calctype == 1) return;
    if (run.calcmode == 2) {
        if (scriptint(l.keyword, 1, 2)) s.calctypecode = scriptinfo.infoint[1];
    } else if (run.calcmode == 3) {
        if (scriptint(l.keyword, 1, 5)) s.calctypecode = scriptinfo.infoint[1];
    }
}

void kwcalctatp(ScriptLine& l) { scriptset.calcTatP = l.sw; }

void kwdiagrampt(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    s.diagramPT = l.sw;
    if (s.diagramPT != 0) return;
    if (scriptinfo.ninfo < 4) {
        putstr(1, "for " + l.keyword + ", 4 numbers needed to define a PT rectangle", 1, msl);
        ++prefs.nunrecognised;
        s.diagramPT = 1;
        return;
    }
    int n = 4;
    scriptreals(l.keyword, n);   // its own message and count stand for a failure
    s.diagramPT = scriptprange(l.keyword, t.plowdefault, t.phighdefault, 1, scal.pminall, 1500.0) ? 1 : 0;
    if (s.diagramPT == 0)
        s.diagramPT = scripttrange(l.keyword, t.tlowdefault, t.thighdefault, 3, 0.0, 0.0) ? 1 : 0;
}

namespace {

using OneReader = bool (*)(const std::string&, double&, int, double, double);
using RangeReader = bool (*)(const std::string&, double&, double&, int, double, double);

// A window of the calculation within the diagram's: one value, or a range
// with an optional interval.
void readwindow(ScriptLine& l, int& sw, double& low, double& high, double deflow, double defhigh, double& interval,
                OneReader one, RangeReader range)
{
    sw = l.sw;
    low = deflow;
    high = defhigh;
    if (sw == 1) return;
    int n = 0;
    if (!scriptreals(l.keyword, n) || scriptinfo.ninfo == 0) {
        putstr(1, "for " + l.keyword + "1, 2 or 3 numbers needed", 0, msl);
        ++prefs.nunrecognised;
        sw = 1;
        return;
    }
    if (scriptinfo.ninfo == 1) {
        sw = one(l.keyword, low, 1, deflow, defhigh) ? 1 : 0;
        high = low;
        return;
    }
    sw = range(l.keyword, low, high, 1, deflow, defhigh) ? 1 : 0;
    // An interval of P (kbar) or of T (the same in degrees C as in K).
    if (sw == 0 && scriptinfo.ninfo >= 3) interval = scriptinfo.inforeal[3];
}

}  // namespace

void kwcalcp(ScriptLine& l)
{
    ScriptTables& t = scripttabs;
    calcwindows::Windows& w = calcwindows::win;
    readwindow(l, scriptset.calcP, w.plow, w.phigh, t.plowdefault, t.phighdefault, t.pinterval, scriptonep,
               scriptprange);
    w.pinc = t.pinterval;
}

void kwcalct(ScriptLine& l)
{
    ScriptTables& t = scripttabs;
    calcwindows::Windows& w = calcwindows::win;
    readwindow(l, scriptset.calcT, w.tlow, w.thigh, t.tlowdefault, t.thighdefault, t.tinterval, scriptonet,
               scripttrange);
    w.tinc = t.tinterval;
}

void kwptforaxe(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    s.ptforaxe = l.sw;
    if (s.ptforaxe == 1) return;
    int n = 2;
    // A temperature at or below absolute zero (degrees C) is a slip, no
    // usable value: the P and T are asked at the terminal, as when absent.
    if (scriptreals(l.keyword, n) && runio::usablecelsius(scriptinfo.inforeal[2])) {
        s.ptforaxep = scriptinfo.inforeal[1];
        s.ptforaxet = scriptinfo.inforeal[2];
    } else {
        s.ptforaxe = 1;
    }
}

void kwfluidpresent(ScriptLine& l) { scriptset.fluidpresent = l.sw; }
void kwfluidexcess(ScriptLine& l) { scriptset.fluidexcess = l.sw; }
void kwdefsdaparams(ScriptLine& l) { scriptset.defsdaparams = l.sw; }
void kwusedefsda(ScriptLine& l) { scriptset.usedefsda = l.sw; }
void kwprintcor(ScriptLine& l) { scriptset.printcor = l.sw; }
void kwlatex(ScriptLine& l) { scriptset.latexsw = l.sw; }
void kwcompatibility(ScriptLine& l) { scriptset.compatibility = l.sw; }
void kwexbuff(ScriptLine& l) { scriptset.exbuff = l.sw; }
void kwfifi(ScriptLine& l) { scriptset.fifi = l.sw; }
void kwcalcsdnle(ScriptLine& l) { scriptset.calcsdnle = l.sw; }
void kwmodebox(ScriptLine& l) { scriptset.modebox = l.sw == 2 ? 0 : l.sw; }
void kwc8(ScriptLine& l) { scriptset.c8 = l.sw; }
void kwoblique(ScriptLine& l) { scriptset.oblique = l.sw; }
void kwprojcomp(ScriptLine& l) { scriptset.projcomp = l.sw; }
void kwkalfit(ScriptLine& l) { scriptset.kalfitsw = l.sw; }
void kwcalcah2o(ScriptLine& l) { scriptset.calcah2o = l.sw; }
void kwcalcmu(ScriptLine& l) { scriptset.calcmu = l.sw; }
void kwcalcmuo(ScriptLine& l) { scriptset.calcmuo = l.sw; }
void kwusecalcq(ScriptLine& l) { scriptset.usecalcq = l.sw; }
void kwacceptvar(ScriptLine& l) { scriptset.acceptvar = l.sw; }
void kwprintxyz(ScriptLine& l) { scriptset.printxyz = l.sw; }

void kwdebuglevel(ScriptLine& l) { readlevel(l, scriptflags.debuglevel, 0, 5); }
void kwdebuglevelq(ScriptLine& l) { readlevel(l, scriptflags.debuglevelq, 0, 4); }
void kwfdaccess(ScriptLine& l) { readlevel(l, scriptset.fdaccess, 0, 2); }
void kwoutlevel(ScriptLine& l) { readlevel(l, scriptflags.outlevel, 0, 1); }

void kwplotix(ScriptLine& l)
{
    scriptset.plotixsw = l.sw;
    scriptset.plotixcode = 0;
    if (scriptinfo.ninfo >= 1 && scriptint(l.keyword, 0, 1)) scriptset.plotixcode = scriptinfo.infoint[1];
}

void kwdogmin(ScriptLine& l)
{
    ScriptFlags& f = scriptflags;
    f.dogminon = l.sw == 0;
    if (!f.dogminon) {
        f.dogminlevel = -1;
        return;
    }
    f.dogminlevel = 2;
    if (scriptinfo.ninfo >= 1 && scriptint(l.keyword, 0, 2)) f.dogminlevel = scriptinfo.infoint[1];
}

void kwmaxvar(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    VarRange& v = scripttabs.varrange;
    const ScriptInfo& si = scriptinfo;
    s.varrangesw = l.sw;
    v = VarRange{};
    // The variance range belongs to Gibbs energy minimisation: dogmin comes first.
    if (si.ninfo == 0 || !scriptflags.dogminon) {
        s.varrangesw = 1;
        return;
    }
    if (si.ninfo >= 2 && si.infokind[1] == 1 && si.infokind[2] == 1) {
        v.lowest = si.infoint[1] < 2 ? 2 : si.infoint[1];
        v.highest = si.infoint[2];
    } else if (si.infokind[1] == 1) {
        v.highest = si.infoint[1];
    } else {
        s.varrangesw = 1;
    }
    if (s.varrangesw != 1 && v.highest < v.lowest) v.highest = v.lowest;
}

void kwsetvar(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    s.setvar = l.sw;
    if (scriptinfo.ninfo >= 1 && s.setvar != 1 && scriptinfo.infokind[1] == 1)
        calcwindows::win.variance = getinteger(1, scriptinfo.infotext[1], "bad integer in setvar script");
    else
        s.setvar = 1;
}

}  // namespace script
