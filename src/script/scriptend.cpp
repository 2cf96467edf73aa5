// After the last line of the script file: the mandatory keywords, the
// problems met while reading, and the settings that depend on several
// keywords together (Gibbs energy minimisation, the kind of batch run, the
// batches chosen, the merged phase lists, the rbi modes).
#include <string>
#include <vector>

#include "calcwindows/calcwindows.h"
#include "script/scriptblocks.h"
#include "thermodata/thermodata.h"

namespace script {

namespace {

void missingparagraph(int& nmissing, std::vector<std::string> lines)
{
    ++nmissing;
    lines.front() = inttext(nmissing) + lines.front();
    formattext(lines);
}

void mandatoryscripts()
{
    ScriptTables& t = scripttabs;
    int& nmissing = t.nmissingscripts;
    nmissing = 0;
    // No keyword is mandatory in the dataset fit, however it was chosen.
    if (run.calcmode == 5) return;
    if (prefs.prefsaxsuffix.empty())
        missingparagraph(nmissing,
                         {") new in pm350, the \"axfile\" script is mandatory, followed by the suffix to the name ",
                          "of the axfile. So, if the axfile is called \"pm-blahblah\", the script to use is \"axfile "
                          "blahblah\""});
    if (t.nwith == 0)
        missingparagraph(nmissing,
                         {") new in pm350, the \"with\" script is mandatory, followed by the list of phases for this "
                          "run (or a set of runs). ",
                          "If the list is for a set of runs, the current run being a subset of this list, then use "
                          "the script, \"with someof\" ",
                          "followed by the list of phases. pm350 will prompt you for which phases in the list to use "
                          "in this run"});
    if (scriptset.diagramPT != 0)
        missingparagraph(nmissing,
                         {") new in pm350, the \"diagramPT\" script is mandatory, followed by 4 values separated by "
                          "spaces, ",
                          std::string("Plow, Phigh, Tlow, Thigh, in kbar and ") + degreesign +
                              "C. In the case of a PT grid or PT pseudosection the values are simply the bounds ",
                          "diagram. In the case of a Tx diagram, the P values need to be a range around the P of the "
                          "diagram, given that",
                          "of the effective invariants are calculated in terms of a line in PTx. Ditto for Px "
                          "diagrams"});
    if (!t.pseudoseen && prefs.prefscalcmode == 1)
        missingparagraph(nmissing,
                         {") new in pm350, the \"pseudosection\" script is mandatory, either just \"pseudo- "
                          "section\", meaning ",
                          "pseudosection calculations intended, or \"pseudosection no\", meaning for example grid "
                          "calculations (no bulk composition used)."});
}

void reportproblems()
{
    const int nmissing = scripttabs.nmissingscripts;
    if (nmissing == 0) {
        if (prefs.nunrecognised > 0) {
            putstr(1, "there are script problems listed immediately above:", 1, msol);
            if (query("exit, and correct the scriptfile")) killrun();
        }
        return;
    }
    if (prefs.nunrecognised > 0)
        formattext({nmissing == 1 ? "in addition to the absence of the indicated mandatory script, there are other "
                                    "script problems listed above:"
                                  : "in addition to the absence of the indicated mandatory scripts, there are other "
                                    "script problems listed above:"});
    bomb("reading scripts", "add mandatory scripts to scriptfile", 0);
}

void dogminoverrides()
{
    ScriptFlags& f = scriptflags;
    ScriptSet& s = scriptset;
    if (!f.dogminon) {
        f.dogminlevel = -1;
        return;
    }
    if (f.dogminlevel < 0 || f.dogminlevel > 2) f.dogminlevel = 2;
    s.inexcess0sw = 1;
    scripttabs.nexcess0names = 0;
    s.printxyz = f.dogminlevel < 1 ? 1 : 0;
    if (s.printbulkinfosw != 1 && f.dogminlevel == 1) s.printbulkinfosw = 0;
    s.modeiso = s.zeromodeiso = s.isopleth = s.projection = s.c8 = s.modebox = s.calcsdnle = 1;
    f.outlevel = 0;
    f.pseudosection = true;
    if (scripttabs.nbulk > 1) {
        if (s.onebulk == 1) {
            putstr(1, "with a bulk range, use the onebulk script", 0, msl);
            bomb("read scripts", "dogmin works on one bulk", 0);
        }
        s.onebulk = 0;
    }
}

void montecarlorun()
{
    ScriptSet& s = scriptset;
    BatchTables& b = batches;
    McTables& m = mcs;
    for (int i = 1; i <= b.nbatch; ++i) {
        const BatchRec& r = b.batchrec[i];
        if (r.np > 1 || r.nt > 1) bomb("read scripts", "only one calc per batch in mcpm currently", 0);
    }
    if (scripttabs.nexcessnames > 0 || scripttabs.nexcess0names > 0)
        bomb("read scripts", "sorry! in-excess phases not allowed with mcpm", 0);
    if (m.nmccorr < 0) m.nmccorr = 0;
    if (m.nmcrange < 0) m.nmcrange = 0;
    if (m.nmcfunc < 0) m.nmcfunc = 0;
    scriptflags.pseudosection = false;
    scriptflags.modesinnle = false;
    s.projplane = 1;
    s.someof = false;
    defaultwindows();
    if (s.mcdebug == 0) {
        m.mcit = 5.0;
        mcoutkind = 3;
    }
    scriptflags.debuglevel = s.mcdebug == 0 ? 1 : 0;
    if (scriptflags.debuglevel == 0) s.printxyz = 1;
    prefs.axnamecheck = true;
    s.plotixsw = 1;
    putstr(0, "", 1, mscreen);
}

void kindofrun()
{
    ScriptSet& s = scriptset;
    BatchTables& b = batches;
    if (b.nbatch == 0) bomb("read scripts", "batch entry failed", 0);
    if (b.nbatch == -1) {
        // One implicit batch: the ordinary run.
        mcs.mcit = 1.0;
        s.batchsw = 1;
        s.mc = 1;
        b.nbatch = 1;
    } else if (s.fract == 0) {
        scriptflags.pseudosection = true;
        defaultwindows();
    } else if (mcs.nmc == -1) {
        s.mc = 1;
        mcs.mcit = 1.0;
        scripttabs.nxyzguess = 0;
        s.someof = false;
        defaultwindows();
    } else {
        montecarlorun();
    }
    if (b.batchrec.size() < static_cast<std::size_t>(b.nbatch) + 1) b.batchrec.resize(b.nbatch + 1);
}

void selectbatches()
{
    BatchTables& b = batches;
    if (b.nbatchon < 1) {
        b.nbatchon = b.nbatch;
        for (int i = 1; i <= b.nbatch; ++i) b.batchon[i] = true;
    }
    if (b.nbatchon == b.nbatch) {
        for (int i = 1; i <= b.nbatch; ++i) b.batchmap[i] = i;
        return;
    }
    int kept = 0;
    for (int i = 1; i <= b.nbatch; ++i) {
        if (!b.batchon[i]) continue;
        ++kept;
        if (kept != i) b.batchrec[kept] = b.batchrec[i];
        b.batchmap[kept] = i;
    }
    b.nbatch = kept;
}

void renumberrequirements()
{
    BatchTables& b = batches;
    if (b.nbatchreq < 0) b.nbatchreq = 0;
    int nleft = 0;
    for (int r = 1; r <= b.nbatchreq; ++r) {
        BatchReq req = b.batchreqs[r];
        int nkept = 0;
        for (int j = 1; j <= req.n; ++j) {
            for (int k = 1; k <= b.nbatch; ++k) {
                if (b.batchmap[k] == req.batch[j]) {
                    req.batch[++nkept] = k;
                    break;
                }
            }
        }
        req.n = nkept;
        if (nkept > 0) b.batchreqs[++nleft] = req;
    }
    b.nbatchreq = nleft;
    if (b.nbatchreq == 0) return;
    putstr(0, "caring batches", 1, mscreen);
    for (int r = 1; r <= b.nbatchreq; ++r) {
        const BatchReq& req = b.batchreqs[r];
        std::string line;
        for (int j = 1; j <= req.n; ++j) addfield(inttext(req.batch[j]), 3, line);
        putstr(0, line, 1, mscreen);
    }
    putstr(0, "", 1, mscreen);
}

void mergephaselists()
{
    ScriptTables& t = scripttabs;
    for (int i = 1; i <= t.nexcess0names; ++i) {
        const std::string& name = t.excess0names[i];
        int pos;
        if (posinlist(name, t.excessnames.data(), t.nexcessnames, pos)) continue;
        if (t.nexcessnames == maxexcess)
            bomb("reading scripts", "too many phases in excess together with those set to zero (max = " +
                                        inttext(maxexcess) + ")", 0);
        t.excessnames[++t.nexcessnames] = name;
    }
    if (t.nexcessnames == 0 || t.nwith == 0) return;
    for (int i = 1; i <= t.nexcessnames; ++i) {
        const std::string& name = t.excessnames[i];
        if (withposition(name) > 0) continue;
        if (t.nwith == maxwith)
            bomb("reading scripts", "too many phases with those in excess added (max = " + inttext(maxwith) + ")", 0);
        t.withnames[++t.nwith] = name;
    }
}

void normaliserbimodes()
{
    ScriptTables& t = scripttabs;
    if (scriptset.rbisw != 0) return;
    double sum = 0.0;
    for (int i = 1; i <= t.nrbi; ++i) sum += t.rbi[i].mode;
    if (sum == 0.0) bomb("reading scripts", "rbi modes sum to zero?", 0);
    for (int i = 1; i <= t.nrbi; ++i) t.rbi[i].mode /= sum;
}

}  // namespace

void defaultwindows()
{
    ScriptSet& s = scriptset;
    calcwindows::Windows& w = calcwindows::win;
    if (s.calcT != 0) {
        s.calcT = 0;
        w.tlow = scripttabs.tlowdefault;
        w.thigh = scripttabs.thighdefault;
    }
    if (s.calcP != 0) {
        s.calcP = 0;
        w.plow = scripttabs.plowdefault;
        w.phigh = scripttabs.phighdefault;
    }
}

void scriptend()
{
    ScriptSet& s = scriptset;
    ScriptFlags& f = scriptflags;
    BatchTables& b = batches;

    mandatoryscripts();
    reportproblems();
    closeread(files.infile);
    files.scriptopen = false;

    if (f.outlevel < 0 || f.outlevel > 1) f.outlevel = 1;
    dogminoverrides();
    if (!f.pseudosection) f.modeswanted = false;
    if (b.flittersgiven && b.nflitter != b.nbatch) bomb("read scripts", "flitters don't match batches", 0);
    kindofrun();
    selectbatches();
    renumberrequirements();

    if (b.nbatch > 1) {
        if (mcs.nmc == 0)
            putstr(1, "no of batches = " + inttext(b.nbatch), 1, msl);
        else
            putstr(1, "no of batches = " + inttext(b.nbatch) + "; no of filters = " + inttext(b.nflitter) +
                          "; no of mc = " + inttext(mcs.nmc), 1, msl);
    }
    if (mcs.nmc < 2 && b.nbatch < 2 && f.debuglevel == 0) f.debuglevel = 1;

    mergephaselists();
    normaliserbimodes();
    if (!f.dogminon && s.setvar == 0 && f.pseudosection) {
        s.setvar = 1;
        s.acceptvar = 0;
    }
    if (s.compatibility == 0 || s.modebox == 0) s.plotixsw = 1;
    if (s.kalfitsw == 0) {
        s.projection = 1;
        f.pseudosection = false;
    }
    if (thermodata::ds.dsnew) prefs.axnamecheck = true;
}

}  // namespace script
