// Script keywords of batches: the calculations of a mode-1 run that each
// have their own phases, variance, pressures (kbar) and temperatures (degrees
// C in the script, K stored), starting guesses, bulk composition, modes and
// isopleths, with the filters of their results, the requirements between
// them and the choice of which to calculate.
#include <cmath>
#include <vector>

#include "script/scriptblocks.h"

namespace script {

namespace {

[[noreturn]] void batchfatal(const std::string& message) { bomb("reading scripts", message, 0); }

// The words of a batch line are consumed in order: `pos` is the last word
// taken.  Each reader takes `count` numbers after it or stops the run.
std::vector<int> takeints(const ScriptLine& l, int& pos, int count, const std::string& message)
{
    std::vector<int> v;
    int c = count;
    if (!getints(l.words, l.words.n, pos, v, c)) batchfatal(message);
    pos += count;
    return v;
}

std::vector<double> takereals(const ScriptLine& l, int& pos, int count, const std::string& message)
{
    std::vector<double> v;
    int c = count;
    if (!getreals(l.words, l.words.n, pos, v, c)) batchfatal(message);
    pos += count;
    return v;
}

int takephase(const ScriptLine& l, int& pos, const std::string& message)
{
    const int k = pos < l.words.n ? withposition(l.words[++pos]) : 0;
    if (k == 0) batchfatal(message);
    return k;
}

void checkguessblock(int kxyz)
{
    if (kxyz < 1) batchfatal("in batch, no xyz flag");
    if (kxyz > batches.nbatchguess) batchfatal("in batch, kxyz out of range");
}

// Fractionation: the P-T path and the solved unknown come from the fract
// line, the compositions from the rbi table, and each later batch fixes the
// mode of one phase at zero.
void fractbatch(const ScriptLine& l, BatchRec& r, int& pos, int k)
{
    const Fractionation& fr = mcs.fractset;
    const ScriptTables& t = scripttabs;
    r.np = r.nt = r.npt = 1;
    r.p[1] = fr.startp;
    r.t[1] = fr.startt;
    // A path that moves in T, heating or cooling, finds its events in T.
    r.solvet = fr.tstep != 0.0;
    r.kxyz = takeints(l, pos, 1, "insufficient info in batch (3b)")[1];
    checkguessblock(r.kxyz);
    r.bulkflag = true;
    r.bulkrow1 = 0;
    r.nzeroguess = batches.batchguess[r.kxyz].nzero;
    r.ncomp = scriptset.nbulkcomp;
    batches.nbulkrowcomp = scriptset.nbulkcomp;
    r.ncompused = 0;
    for (int j = 1; j <= r.ncomp; ++j) {
        for (int i = 1; i <= t.nrbi; ++i) {
            if (std::fabs(t.rbi[i].comp[j]) > 1e-8) {
                r.compused[j] = true;
                ++r.ncompused;
                break;
            }
        }
    }
    if (k == 1) return;
    const int phase = takephase(l, pos, "in batch, modeset phase not in which");
    if (r.secondbatch && phase != r.oddphase) batchfatal("in batch, modeset phase not odd man out");
    r.nmodeset = 1;
    r.modephase[1] = phase;
    r.modevalue[1] = 0.0;
}

void bulkofbatch(const ScriptLine& l, BatchRec& r, int& pos)
{
    const BatchTables& b = batches;
    if (b.nbulkrows == 0) batchfatal("in batch, pseudosection wanted but no bulk");
    if (r.bulkrow1 > b.nbulkrows) batchfatal("in batch, comp1 code out of range");
    r.bulkrow2 = takeints(l, pos, 1, "in batch, comp2 not accessed")[1];
    if (r.bulkrow2 == 0) {
        r.bulkrow2 = 1;
        r.bulkprop = 1.0;
    } else {
        if (r.bulkrow2 < 1 || r.bulkrow2 > b.nbulkrows) batchfatal("in batch, comp2 code out of range");
        r.bulkprop = takereals(l, pos, 1, "in batch, no bulk proportion")[1];
        if (r.bulkprop < 0.0 || r.bulkprop > 1.0) batchfatal("in batch, bung bulk proportion");
    }
    const auto& row1 = b.bulkrows[r.bulkrow1];
    const auto& row2 = b.bulkrows[r.bulkrow2];
    r.ncomp = b.nbulkrowcomp;
    r.ncompused = 0;
    for (int j = 1; j <= r.ncomp; ++j) {
        const std::size_t jj = j;
        if (std::fabs(row1[jj]) <= 0.0001) continue;
        r.compused[jj] = true;
        r.bulkcomp[++r.ncompused] = r.bulkprop * row1[jj] + (1.0 - r.bulkprop) * row2[jj];
    }
    r.nmodeset = takeints(l, pos, 1, "in batch, no mode setting code")[1];
    if (r.nmodeset < 0 || r.nmodeset > maxbatchmodes) batchfatal("in batch, wrong number of modes set");
    if (pos + 2 * r.nmodeset > l.words.n) batchfatal("in batch, not enough pseudosection info");
    for (int m = 1; m <= r.nmodeset; ++m) {
        const std::string which = "in batch, modeset phase" + inttext(m);
        r.modephase[m] = takephase(l, pos, which + " not in which");
        r.modevalue[m] = takereals(l, pos, 1, which + " mode stuffed")[1];
    }
}

void isoplethsofbatch(const ScriptLine& l, BatchRec& r, int& pos)
{
    r.niso = takeints(l, pos, 1, "in batch, no isopleth flag")[1];
    r.isoflag = r.niso > 0;
    if (r.niso > 2 || r.niso + r.nmodeset > 2) batchfatal("in batch, wrong number of isopleths set");
    if (!r.isoflag) return;
    if (pos + 3 * r.niso > l.words.n) bomb("readscripts", "in batch, not enough info for isopleths", 0);
    for (int i = 1; i <= r.niso; ++i) {
        const std::size_t ii = i;
        r.isophase[ii] = withposition(l.words[++pos]);
        std::vector<double> v;
        int c = 2;
        if (r.isophase[ii] == 0 || !getreals(l.words, l.words.n, pos, v, c) || std::fabs(v[1]) >= 32767.0)
            bomb("readscripts", "in batch, wrong name for isopleths", 0);
        pos += 2;
        r.isovar[ii] = static_cast<int>(std::trunc(v[1]));
        r.isovalue[ii] = v[2];
    }
}

void readbatch(const ScriptLine& l)
{
    BatchTables& b = batches;
    const ScriptTables& t = scripttabs;
    const bool fract = scriptset.fract == 0;
    const int k = b.nbatch == -1 ? 1 : b.nbatch + 1;
    if (k > maxbatch) batchfatal("too many batch");
    b.nbatch = k;
    b.batchrec.resize(k + 1);
    BatchRec& r = b.batchrec[k];
    r = BatchRec{};

    int w = l.used + 1;
    for (; w < l.words.n; ++w) {
        const int pos = withposition(l.words[w]);
        if (pos == 0) break;
        r.present[pos] = true;
    }
    if (wordkind(l.words[w]) == 4) batchfatal("unrecognised phase, " + l.words[w] + ", in batch");

    if (fract && k > 1) {
        const BatchRec& first = b.batchrec[1];
        int nodd = 0;
        for (int i = 1; i <= t.nwith; ++i) {
            const std::size_t ii = i;
            if (first.present[ii] || !r.present[ii]) continue;
            ++nodd;
            r.oddphase = i;
        }
        if (nodd >= 2) batchfatal("duff in 2nd or later batch for fract");
        r.secondbatch = nodd == 1;
        if (nodd == 0) r.oddphase = 0;
    }

    int pos = w - 1;
    const std::vector<int> head = takeints(l, pos, fract ? 1 : 3, "insufficient info in batch (1)");
    r.variance = head[1];
    if (r.variance < 0) batchfatal("batch with negative variance?");
    if (fract) {
        fractbatch(l, r, pos, k);
        return;
    }
    r.np = head[2];
    r.nt = head[3];
    if (r.np < 1 || r.nt < 1) batchfatal("not enough batch PT");
    if (r.np * r.nt > maxbatchpt) batchfatal("too many batch PT");
    r.npt = r.np * r.nt;
    const std::vector<double> pt = takereals(l, pos, r.np + r.nt, "insufficient info in batch (2)");
    for (int i = 1; i <= r.np; ++i) r.p[i] = pt[i];
    for (int i = 1; i <= r.nt; ++i) {
        const double tc = pt[r.np + i];
        if (!usablecelsius(tc))
            batchfatal("in batch, the temperature " + realstrshort(tc) + degreesc + " in \"" + files.scriptname +
                       "\" " + abovezerotext);
        r.t[i] = tc + 273.15;
    }
    const std::vector<int> two = takeints(l, pos, 2, "insufficient info in batch (3a)");
    r.solvet = two[1] < 2;
    r.kxyz = two[2];
    checkguessblock(r.kxyz);
    const int bulkcode = takeints(l, pos, 1, "in batch, no bulk flag")[1];
    r.bulkflag = bulkcode > 0;
    r.bulkrow1 = bulkcode;
    r.nzeroguess = b.batchguess[r.kxyz].nzero;
    if (r.bulkflag)
        bulkofbatch(l, r, pos);
    else
        r.nmodeset = 0;
    isoplethsofbatch(l, r, pos);
}

// One line per batch: its number, its phases in with-list order (an absent
// group of the with list shows as "."), its guess block, bulk and isopleths.
void echobatch()
{
    const BatchTables& b = batches;
    const ScriptTables& t = scripttabs;
    const BatchRec& r = b.batchrec[b.nbatch];
    if (b.nbatch == 1) putstr(1, "batches", 1, msol);
    std::string line;
    addfield(inttext(b.nbatch), 2, line);
    addfield(" : ", 0, line);
    bool groupopen = false, groupseen = false;
    for (int i = 1; i <= t.nwith; ++i) {
        const std::size_t ii = i;
        if (t.withlistflag[ii]) {
            if (groupopen && !groupseen) addfield(".", 6, line);
            groupopen = true;
            groupseen = false;
        }
        if (r.present[ii]) {
            addfield(t.withnames[ii], 6, line);
            groupseen = true;
        }
    }
    if (groupopen && !groupseen) addfield("", 6, line);
    addfield(" : ", 0, line);
    addfield(inttext(r.kxyz), 2, line);
    addfield(r.nzeroguess > 0 ? " b " : "   ", 0, line);
    if (!r.bulkflag) {
        addfield("    ", 0, line);
    } else {
        addfield(" p", 0, line);
        addfield(r.nmodeset == 0 ? "  " : inttext(r.nmodeset), 2, line);
    }
    if (r.isoflag) {
        addfield(" i", 0, line);
        addfield(inttext(r.niso), 2, line);
    }
    putstr(0, line, 1, msol);
}

// Batch numbers after word k, each one of the batches read; false when there is none.
bool batchnumbers(const ScriptLine& l, int k, std::vector<int>& v, int& count, const std::string& notinrange)
{
    count = 0;
    if (!getints(l.words, l.words.n, k, v, count)) return false;
    for (int i = 1; i <= count; ++i)
        if (v[i] < 1 || v[i] > batches.nbatch)
            batchfatal(notinrange);
    return true;
}

}  // namespace

void kwbatch(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    BatchTables& b = batches;
    s.batchsw = scripttabs.nwith == 0 ? 1 : l.sw;
    if (s.batchsw != 1 && b.nbatch != 0 && scriptinfo.ninfo >= 5) readbatch(l);
    if (s.batchsw == 1) b.nbatch = 0;
    if (b.nbatch < 1) {
        putstr(0, "batch input messed up", 1, mscreen);
        return;
    }
    echobatch();
}

void kwbatchxyzguess(ScriptLine& l)
{
    BatchTables& b = batches;
    const ScriptInfo& si = scriptinfo;
    if (b.nbatchguess != 0 && si.ninfo == 0) batchfatal("in bxyzguess, not enough info in a line (1)");
    if (si.ninfo >= 1 && si.infotext[1] == "startblock") {
        const int k = b.nbatchguess == -1 ? 1 : b.nbatchguess + 1;
        if (k > maxbatchguess) batchfatal("in bxyzguess, too big");
        b.nbatchguess = k;
        b.batchguess.resize(k + 1);
        b.batchguess[k] = BatchGuess{};
        return;
    }
    if (si.ninfo < 2) batchfatal("in bxyzguess, not enough info in a line (2)");
    // A guess needs a block to go into.
    if (b.nbatchguess < 1) batchfatal("in bxyzguess, a guess before the first startblock line");
    BatchGuess& g = b.batchguess[b.nbatchguess];
    if (g.n + 1 > maxblockguess) batchfatal("in bxyzguess, too many guesses");
    const int k = ++g.n;
    const std::size_t kk = k;
    g.name[kk] = si.infotext[1];
    int pos = l.used + 1;
    g.value[kk] = takereals(l, pos, 1, "in bxyzguess, no guess")[1];
    g.low[kk] = 0.0;
    g.high[kk] = 1.0;
    if (g.value[kk] == 0.0) ++g.nzero;
    if (si.ninfo >= 5 && si.infotext[3] == "range") {
        ++pos;
        const std::vector<double> v = takereals(l, pos, 2, "in bxyzguess, range info fubar");
        g.low[kk] = v[1];
        g.high[kk] = v[2];
    }
}

void kwbatchbulk(ScriptLine& l)
{
    BatchTables& b = batches;
    if (l.sw == 1) return;
    const bool first = b.nbulkrows == 0;
    int count = first ? -2 : b.nbulkrowcomp;
    std::vector<double> v;
    if (!getreals(l.words, l.words.n, l.used, v, count)) batchfatal("wrong batchbulk info");
    if (count > maxscriptcomp)
        batchfatal("too many components in batchbulk (max = " + inttext(maxscriptcomp) + ")");
    if (b.nbulkrows == maxbatchbulk) batchfatal("too many batchbulk rows (max = " + inttext(maxbatchbulk) + ")");
    if (first) b.nbulkrowcomp = count;
    double sum = 0.0;
    for (int j = 1; j <= count; ++j) sum += v[j];
    if (sum <= 0.0) {
        b.nbulkrows = 0;
    } else {
        const int k = ++b.nbulkrows;
        b.bulkrows.resize(k + 1);
        auto& row = b.bulkrows[k];
        row.fill(0.0);
        for (int j = 1; j <= count; ++j) row[j] = v[j] * 100.0 / sum;
    }
    if (b.nbulkrows == 0) putstr(0, " bulk composition is bad", 1, mscreen);
}

void kwfilter(ScriptLine& l)
{
    BatchTables& b = batches;
    if (b.nbatch == 0) b.nflitter = 0;
    if (b.nflitter == 0) return;
    b.flittersgiven = true;
    int pos = l.used;
    const int nf = takeints(l, pos, 1, "no flitter info")[1];
    if (b.nflitter == -1) {
        b.nflitter = 1;
        b.flitterset = 1;
    } else if (b.flitterset == b.batchrec[b.nflitter].npt) {
        ++b.nflitter;
        b.flitterset = 1;
    } else {
        ++b.flitterset;
    }
    if (b.nflitter != b.nbatch) batchfatal("filters not interleaved with batches");
    BatchRec& r = b.batchrec[b.nbatch];
    if (b.flitterset > r.npt) batchfatal("too many filter sets");
    if (nf > maxfilters) batchfatal("too many filters");
    const std::size_t set = b.flitterset;
    r.nfilter[set] = nf;
    if (nf > 0) {
        const std::vector<double> v = takereals(l, pos, 3 * nf, "wrong flitter info");
        for (int i = 1; i <= nf; ++i) {
            if (std::fabs(v[3 * i - 2]) >= 32767.0) batchfatal("wrong flitter info");
            BatchFilter& f = r.filters[set][i];
            f.kind = static_cast<int>(std::trunc(v[3 * i - 2]));
            f.low = v[3 * i - 1];
            f.high = v[3 * i];
            if (f.kind == 2) {
                f.low += 273.15;
                f.high += 273.15;
            }
        }
    }
    b.flittersgiven = b.nflitter > 0;
}

void kwbatchreq(ScriptLine& l)
{
    BatchTables& b = batches;
    const Words& w = l.words;
    if (b.nbatchreq != 0 && w.n < 2) batchfatal("in batchreq, not enough info in a line");
    std::vector<int> v;
    int count;
    auto single = [&](int req, int batch) {
        BatchReq& r = b.batchreqs[req];
        r = BatchReq{};
        r.n = 1;
        r.batch[1] = batch;
    };
    if (w[2] == "all" && w[3] == "except") {
        if (!batchnumbers(l, 3, v, count, "batchreq not in range")) batchfatal("batchreq not given an index");
        runio::Arr<bool, maxbatch + 1> dropped{};
        for (int i = 1; i <= count; ++i) dropped[v[i]] = true;
        b.batchreqs.resize(maxbatch + 1);
        int n = 0;
        for (int i = 1; i <= b.nbatch; ++i)
            if (!dropped[i]) single(++n, i);
        b.nbatchreq = n;
    } else if (w[2] == "all") {
        b.batchreqs.resize(maxbatch + 1);
        for (int i = 1; i <= b.nbatch; ++i) single(i, i);
        b.nbatchreq = b.nbatch;
    } else {
        if (!batchnumbers(l, 1, v, count, "batchreq not in range")) batchfatal("batchreq not given an index");
        const int k = b.nbatchreq == -1 ? 1 : b.nbatchreq + 1;
        // More requirements than batches mean nothing: all are dropped.
        if (k < 1 || k > b.nbatch) {
            b.nbatchreq = 0;
            return;
        }
        b.batchreqs.resize(maxbatch + 1);
        BatchReq& r = b.batchreqs[k];
        r = BatchReq{};
        for (int i = 1; i <= count && i <= maxbatch; ++i) r.batch[++r.n] = v[i];
        b.nbatchreq = k;
    }
}

void kwbatchswitch(ScriptLine& l)
{
    BatchTables& b = batches;
    const Words& w = l.words;
    std::vector<int> v;
    int count = 0;
    if (w[2] == "all") {
        const bool except = w[3] == "except";
        if (except && !batchnumbers(l, 3, v, count, "batchswitch not in range")) count = 0;
        for (int i = 1; i <= maxbatch; ++i) b.batchon[i] = i <= b.nbatch;
        for (int i = 1; i <= count; ++i) b.batchon[v[i]] = false;
    } else if (batchnumbers(l, 1, v, count, "batchswitch not in range")) {
        b.batchon.fill(false);
        for (int i = 1; i <= count; ++i) b.batchon[v[i]] = true;
    } else {
        scriptproblem(l.keyword, "for " + l.keyword + ", \"all\", \"all except\" with batch numbers, or batch "
                                                      "numbers expected", "batch numbers expected");
        return;
    }
    // Counted from the flags, so a batch named twice counts once.
    b.nbatchon = 0;
    for (int i = 1; i <= b.nbatch; ++i)
        if (b.batchon[i]) ++b.nbatchon;
    if (b.nbatchon > b.nbatch) b.nbatchon = 0;
}

}  // namespace script
