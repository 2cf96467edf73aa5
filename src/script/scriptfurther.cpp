// Further script keywords: groups of phases coded alike, the liquid
// conversion matrix, negative pressures, the rock's name, the activity
// uncertainties, the independent reactions and limits of average P-T, the
// fluid composition and the choice of the all-reactions analysis.
#include "calcwindows/calcwindows.h"
#include "script/scriptblocks.h"

namespace script {

void kwsamecoding(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    const ScriptInfo& si = scriptinfo;
    s.samecoding = l.sw;
    if (t.nsamecoding == 0) return;
    if (s.samecoding != 0 || si.ninfo == 0) {
        s.samecoding = 1;
    } else {
        if (t.nsamecoding == maxsamecoding) bomb("reading scripts", "too many samecodings", 0);
        if (si.ninfo > maxsamenames) bomb("reading scripts", "too many items in a samecoding", 0);
        const int k = t.nsamecoding == -1 ? 1 : t.nsamecoding + 1;
        t.nsamecoding = k;
        SameCoding& g = t.samecodings[k];
        g.n = si.ninfo;
        for (int i = 1; i <= si.ninfo; ++i) g.names[i] = si.infotext[i];
    }
    if (s.samecoding == 1) t.nsamecoding = 0;
}

void kwconvliq(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    const ScriptInfo& si = scriptinfo;
    s.convliq = l.sw;
    if (t.nconvrows == 0) return;
    // Rows of another length than the first are not part of the matrix.
    if (t.nconvrows > 0 && si.ninfo != t.nconvcols) return;
    if (s.convliq == 0 && si.ninfo >= 2) {
        if (t.nconvrows == -1) {
            if (si.ninfo > maxconvcols) bomb("control", "too many columns in convliq matrix", 0);
            t.nconvrows = 0;
            t.nconvcols = si.ninfo;
        }
        bool numbers = true;
        for (int j = 1; j <= t.nconvcols; ++j) numbers = numbers && scriptisnumber(si.infokind[j]);
        if (!numbers) {
            s.convliq = 1;
        } else {
            if (t.nconvrows + 1 > maxconvrows) bomb("control", "too many rows in convliq matrix", 0);
            const int k = ++t.nconvrows;
            for (int j = 1; j <= t.nconvcols; ++j) t.convmatrix[k][j] = si.inforeal[j];
        }
    } else {
        s.convliq = 1;
    }
    if (s.convliq == 1) t.nconvrows = 0;
}

void kwnegp(ScriptLine&)
{
    scal.pminall = -50.0;
    scal.pscale = 1.0 / (1500.0 - scal.pminall);
    scal.poffset = -scal.pminall * scal.pscale;
}

void kwincnler(ScriptLine& l) { scriptset.incnler = l.sw; }
void kwjustrelu(ScriptLine& l) { scriptset.justrelu = l.sw; }
void kwpisr(ScriptLine& l) { scriptset.pisr = l.sw; }
void kwdataok(ScriptLine& l) { scriptset.dataok = l.sw; }

void kwrockname(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    s.setrockname = l.sw;
    s.rockname.clear();
    if (s.setrockname != 1 && scriptstring(l.keyword)) s.rockname = scriptinfo.infotext[1];
}

void kwisr(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    const ScriptInfo& si = scriptinfo;
    s.isr = l.sw;
    if (s.isr == 1) {
        t.nisrrows = 0;
        return;
    }
    if (t.nisrrows == 0) return;
    if (t.nisrrows == -1) {
        if (si.ninfo > 0 && si.infokind[1] != 4) {
            putstr(1, "now, " + l.keyword + " starts with an end-member list on a line, before the block ", 1, msol);
            putstr(0, "of reaction coeffs (this line was there before but preceded by a %)", 1, msol);
            bomb("reading scripts", "change the " + l.keyword + " script", 0);
        }
        int n = 0;
        if (scriptstrings(l.keyword, n)) {
            for (int i = 1; i <= n; ++i) t.isrnames[i] = si.infotext[i];
            t.nisrnames = n;
            t.nisrrows = -2;
        } else {
            t.nisrrows = 0;
        }
    } else {
        const int k = t.nisrrows == -2 ? 1 : t.nisrrows + 1;
        int n = t.nisrnames;
        if (k > maxisrrows) {
            scriptproblem(l.keyword, "for " + l.keyword + ", at most " + inttext(maxisrrows) + " reactions",
                          "too many reactions");
            t.nisrrows = 0;
        } else if (scriptints(l.keyword, n)) {
            t.nisrrows = k;
            for (int i = 1; i <= t.nisrnames; ++i) t.isrrows[k][i] = si.infoint[i];
        } else {
            t.nisrrows = 0;
        }
    }
    if (t.nisrrows == 0) s.isr = 1;
}

void kwsetfluid(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    calcwindows::Windows& w = calcwindows::win;
    s.setfluid = l.sw;
    w.xco2 = 0.0;
    w.xh2o = 1.0;
    if (s.setfluid == 1) return;
    if (scriptreal(l.keyword, 0.0, 1.0)) {
        w.xco2 = scriptinfo.inforeal[1];
        w.xh2o = 1.0 - w.xco2;
    } else {
        s.setfluid = 1;
    }
}

namespace {

// The largest uncertainty allowed of an average P or T, within lo..hi.
void readmaxsd(ScriptLine& l, int& sw, double& value, double fallback, double lo, double hi)
{
    sw = l.sw;
    value = fallback;
    if (sw == 1) return;
    if (scriptreal(l.keyword, lo, hi))
        value = scriptinfo.inforeal[1];
    else
        sw = 1;
}

}  // namespace

void kwmaxsdt(ScriptLine& l) { readmaxsd(l, scriptset.maxsdt, scriptset.maxsdtvalue, 50.0, 25.0, 600.0); }   // K
void kwmaxsdp(ScriptLine& l) { readmaxsd(l, scriptset.maxsdp, scriptset.maxsdpvalue, 5.0, 0.05, 20.0); }     // kbar

void kwdoallr(ScriptLine& l) { scriptset.doallr = l.sw; }

void kwschreinemakers(ScriptLine& l)
{
    if (l.sw == 1)
        scriptset.doallr = 0;
    else if (l.sw == 0)
        scriptset.doallr = 1;
}

}  // namespace script
