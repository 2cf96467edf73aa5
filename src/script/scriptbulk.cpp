// Script keywords of the bulk rock composition of a pseudosection: oxide
// amounts given directly ("bulk"), or modes and compositions of phases ("rbi",
// read bulk info), and the range settings between two compositions.
#include "script/scriptblocks.h"

namespace script {

namespace {

void bothbulkandrbi()
{
    putstr(1, "both bulk and rbi in the scriptfile; choose which to use", 0, msol);
    bomb("reading scripts", "ambiguity setting the bulk composition", 0);
}

// The oxide line of a bulk or rbi block; false when it is not usable.
bool readcomponentline(ScriptLine& l)
{
    ScriptTables& t = scripttabs;
    int n = 0;
    if (!scriptstrings(l.keyword, n)) return false;
    if (n > maxscriptcomp) {
        scriptproblem(l.keyword, "for " + l.keyword + ", at most " + inttext(maxscriptcomp) + " oxides, not " +
                                     inttext(n), "too many oxides");
        return false;
    }
    for (int i = 1; i <= n; ++i) t.bulkoxnames[i] = oxidename(scriptinfo.infotext[i]);
    scriptset.nbulkcomp = n;
    return true;
}

}  // namespace

void kwpseudosection(ScriptLine& l)
{
    scriptflags.pseudosection = l.sw != 1;
    scripttabs.pseudoseen = true;
    if (scriptflags.pseudosection && (scriptset.bulksw == 0 || scriptset.rbisw == 0))
        bomb("reading scripts", "pseudosection script needs to be before reading bulk", 0);
}

void kwbulk(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    const ScriptInfo& si = scriptinfo;
    s.bulksw = l.sw == 2 ? 0 : l.sw;
    if (s.bulksw == 1) {
        t.nbulk = 0;
    } else if (t.nbulk != 0 && scriptflags.pseudosection) {
        if (s.rbisw == 0) bothbulkandrbi();
        if (si.ninfo > 0 && t.nbulk == -1 && si.infokind[1] != 4) {
            putstr(1, "now, " + l.keyword + " starts with an oxide list on a line, before the one or ", 1, msol);
            putstr(0, "two lines of compositions (this line was there before but preceded by a %)", 1, msol);
            bomb("reading scripts", "change the " + l.keyword + " script", 0);
        }
        if (t.nbulk == -1) {
            t.nbulk = readcomponentline(l) ? -2 : 0;
        } else if (t.nbulk == 2) {
            bomb("reading scripts", "more than two compositions in setbulk?", 0);
        } else {
            t.nbulk = t.nbulk == -2 ? 1 : t.nbulk + 1;
            int n = s.nbulkcomp;
            if (!scriptreals(l.keyword, n)) {
                t.nbulk = 0;
            } else {
                double sum = 0.0;
                for (int i = 1; i <= s.nbulkcomp; ++i) sum += si.inforeal[i];
                if (sum <= 0.0) bomb("reading scripts", "sum of bulk composition <= 0?", 0);
                auto& b = t.nbulk == 1 ? t.bulk : t.bulk2;
                for (int i = 1; i <= s.nbulkcomp; ++i) b[i] = si.inforeal[i] * 100.0 / sum;
                if (t.nbulk == 2 && si.ninfo > s.nbulkcomp) {
                    shiftinfo(s.nbulkcomp);
                    if (scriptint(l.keyword, 2, 100)) t.nbulkpoints = si.infoint[1] + 1;
                }
            }
        }
    }
    if (t.nbulk == 0) s.bulksw = 1;
}

void kwrbi(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    const ScriptInfo& si = scriptinfo;
    s.rbisw = l.sw == 2 ? 0 : l.sw;
    if (s.rbisw == 1) {
        t.nrbi = 0;
        return;
    }
    if (t.nrbi == 0) return;
    if (!scriptflags.pseudosection) {
        s.rbisw = 1;
        return;
    }
    if (s.bulksw == 0) bothbulkandrbi();
    if (si.ninfo > 0 && t.nrbi == -1 && si.infokind[1] != 4) {
        putstr(1, "now, rbi starts with a component list on a line (run a ", 1, msol);
        putstr(0, "calculation with printbulkinfo to see the new format)", 0, msol);
        bomb("reading scripts", "change the rbi", 0);
    }
    if (t.nrbi == -1) {
        t.nrbi = readcomponentline(l) ? -2 : 0;
    } else {
        const int k = t.nrbi == -2 ? 1 : t.nrbi + 1;
        if (k > maxrbi) {
            scriptproblem(l.keyword, "for " + l.keyword + ", at most " + inttext(maxrbi) + " phase lines",
                          "too many phase lines");
            t.nrbi = 0;
        } else {
            t.nrbi = k;
            t.rbi.resize(k + 1);
            RbiLine& r = t.rbi[k];
            bool ok = scriptstring(l.keyword);
            if (ok) {
                r.name = si.infotext[1];
                shiftinfo(1);
                if (si.infotext[1] == "##") bomb("reading scripts", "replace ## with modes in rbi", 0);
                ok = scriptreal(l.keyword, 0.0, 1.0);
            }
            if (ok) {
                r.mode = si.inforeal[1];
                shiftinfo(1);
                int n = s.nbulkcomp;
                ok = scriptreals(l.keyword, n);
            }
            if (ok) {
                for (int i = 1; i <= s.nbulkcomp; ++i) r.comp[i] = si.inforeal[i];
            } else {
                t.nrbi = 0;
            }
        }
    }
    if (t.nrbi == 0)
        s.rbisw = 1;
    else
        t.nbulk = 1;   // the bulk will be formed from the rbi table
}

void kwbulksubrange(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    const ScriptInfo& si = scriptinfo;
    s.bulksubrange = l.sw;
    s.subrangelow = 0.0;
    s.subrangehigh = 1.0;
    if (s.bulksubrange == 1) return;
    if (si.ninfo == 0 || !scriptreal(l.keyword, 0.0, 1.0)) {
        s.subrangelow = -1.0;
        return;
    }
    s.subrangelow = si.inforeal[1];
    if (si.ninfo == 1) {
        s.subrangehigh = s.subrangelow;
        s.onebulkvalue = s.subrangelow;
        return;
    }
    shiftinfo(1);
    if (scriptreal(l.keyword, 0.0, 1.0) && si.inforeal[1] >= s.subrangelow) s.subrangehigh = si.inforeal[1];
}

void kwonebulk(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    s.onebulk = l.sw;
    s.onebulkvalue = -1.0;
    if (s.onebulk != 1 && scriptinfo.ninfo >= 1 && scriptreal(l.keyword, 0.0, 1.0))
        s.onebulkvalue = scriptinfo.inforeal[1];
}

void kwprintbulkinfo(ScriptLine& l) { scriptset.printbulkinfosw = l.sw; }

}  // namespace script
