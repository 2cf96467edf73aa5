// The bulk composition of a pseudosection: moles of the free oxides, summing
// to 100, from the script's "bulk" lines or "rbi" table or typed at the
// terminal; one bulk, or a range between two with its subrange and number of
// increments; and the reports of it.
#include <cmath>

#include "axmodels/axmodels.h"
#include "phasediagram/setup.h"
#include "runio/scriptset.h"

namespace phasediagram {

namespace {

using runio::addfield;
using runio::addreal;
using runio::msl;
using runio::msol;
using runio::putstr;

constexpr int maxincrements = 100;      // steps of a bulk range
constexpr int defaultincrements = 10;

int nfree() { return thermodata::comps.nfreeox; }

// The script's oxide list must be the free components, in their order.
void oxidecheck()
{
    const runio::ScriptSet& s = runio::scriptset;
    const runio::ScriptTables& t = runio::scripttabs;
    const int ns = s.nbulkcomp, nf = nfree();
    if (ns == 0) return;
    const bool h2o = componentnamed("H2O") != 0, co2 = componentnamed("CO2") != 0;
    std::string error;
    if (ns == nf - 1) {
        putstr(1, "one oxide too few in the bulk", 1, msl);
        error = "wrong number of oxides";
        if (h2o) {
            putstr(1, "if the reason is that you have H2O as a phase, yet you have no H2O in the ", 1, msl);
            putstr(0, "setbulk, you now need to include it (as of pm350). The resulting H2O in the ", 1, msl);
            putstr(0, "calculated mode can be removed using the new script, 'tozero H2O'.", 1, msl);
            error = "wrong number of oxides (result of a change in functionality?)";
        }
    } else if (ns == nf - 2) {
        putstr(1, "two oxides too few in the bulk", 1, msl);
        error = "wrong number of oxides";
        if (h2o && co2) {
            putstr(1, "if the reason is that you have fluid as a phase, yet you have no H2O or CO2 in the ", 1, msl);
            putstr(0, "setbulk, you would need to include them. This can be avoided with the script, 'exbuff'.", 1,
                   msl);
            error = "wrong number of oxides (use exbuff?)";
        }
    } else if (ns == nf) {
        for (int j = 1; j <= nf; ++j)
            if (t.bulkoxnames[j] != thermodata::comps.compname[freecomponent(j)])
                error = "mismatch of oxides in bulk";
    } else {
        error = "wrong number of oxides";
    }
    if (error.empty()) return;
    putstr(1, "oxides in bulk should be:", 1, msl);
    std::string line = "   ";
    for (int j = 1; j <= nf; ++j) {
        const std::string& name = thermodata::comps.compname[freecomponent(j)];
        addfield(name, static_cast<int>(name.size()) + 1, line);
    }
    putstr(0, line, 1, msl);
    runio::bomb("readcomps", error, 0);
}

// The bulk of an rbi table: each phase line's amounts weighted by its mode
// per atom (the modes are on a one-atom basis), normalised to 100.
void rbibulk()
{
    const runio::ScriptTables& t = runio::scripttabs;
    const thermodata::Components& cs = thermodata::comps;
    numerics::BulkSetup& b = numerics::bulks;
    const int nf = nfree();
    for (int j = 1; j <= nf; ++j) b.bulk[j] = 0.0;
    for (int i = 1; i <= t.nrbi; ++i) {
        const runio::RbiLine& r = t.rbi[i];
        double atoms = 0.0;
        for (int j = 1; j <= nf; ++j) atoms += cs.compatoms[freecomponent(j)] * r.comp[j];
        // A line of no atoms adds nothing (and would divide by zero).
        if (atoms == 0.0) continue;
        const double f = r.mode / atoms;
        for (int j = 1; j <= nf; ++j) b.bulk[j] += f * r.comp[j];
    }
    double sum = 0.0;
    for (int j = 1; j <= nf; ++j) {
        b.fractstartbulk[j] = b.bulk[j];
        sum += b.bulk[j];
    }
    if (!(sum > 0.0)) runio::bomb("readcomps", "comp sum not positive", 0);
    for (int j = 1; j <= nf; ++j) b.bulk[j] = 100.0 * b.bulk[j] / sum;
    if (runio::scriptset.fract != 0) return;
    // Fractionation: each batch item takes the bulk of its own oxides.
    runio::BatchTables& bt = runio::batches;
    for (int i = 1; i <= bt.nbatch; ++i) {
        runio::BatchRec& r = bt.batchrec[i];
        int k = 0;
        for (int j = 1; j <= nf; ++j)
            if (r.compused[j]) r.bulkcomp[++k] = b.bulk[j];
    }
    if (bt.nbatch >= 1) {
        int k = 0;
        for (int j = 1; j <= nf; ++j)
            if (bt.batchrec[1].compused[j]) b.fractstartbulk[++k] = b.fractstartbulk[j];
    }
}

Composition mix(const Composition& a, const Composition& b, double p)
{
    Composition c{};
    for (int j = 1; j <= nfree(); ++j) c[j] = (1.0 - p) * a[j] + p * b[j];
    return c;
}

void nozeroes(const Composition& c)
{
    for (int j = 1; j <= nfree(); ++j)
        if (std::fabs(c[j]) < 1e-8) runio::bomb("readcomps", "zeroes not allowed in a bulk", 0);
}

// How the bulk was settled, for the reports.
struct Settled {
    bool terminal = false;    // typed at the terminal
    bool range = false;       // a range of bulks
    bool picked = false;      // one bulk picked from the script's range
    double pickedat = 0.0;    // its proportion across that range
    bool subrange = false;
    bool fromrbi = false;
    int increments = 0;
};

std::string p3(double x) { return runio::realstr(x, 3, true); }

// The script's range: one bulk picked from it, a subrange, or the whole.
void scriptrange(Composition& one, Composition& two, Settled& st)
{
    runio::ScriptSet& s = runio::scriptset;
    const runio::ScriptTables& t = runio::scripttabs;
    numerics::BulkSetup& b = numerics::bulks;
    Composition first{}, second{};
    for (int j = 1; j <= nfree(); ++j) {
        first[j] = t.bulk[j];
        second[j] = t.bulk2[j];
    }
    const bool askedone = s.onebulk == 2;
    runio::promptcontrol("choose one bulk within the range specified", s.onebulk);
    if (s.onebulk == 0) {
        double p = s.onebulkvalue;
        const bool fromscript = p >= 0.0;
        if (!fromscript) {
            if (!askedone) putstr(0, "making one bulk composition within the range specified,", 1, msl);
            runio::promptreal("proportion across bulk composition range to use", p);
            p = p < 0.0 ? 0.0 : p > 1.0 ? 1.0 : p;
            s.onebulkvalue = p;
        }
        one = mix(first, second, p);
        putstr(0, "one bulk, at " + p3(p) + " between the two script bulk compositions" +
                      (fromscript ? " (from script)" : ""),
               1, msl);
        st.picked = true;
        st.pickedat = p;
        return;
    }

    one = first;
    two = second;
    st.range = true;
    if (s.bulksubrange == 1) return;
    const bool scriptends = s.subrangelow >= 0.0;
    const bool askedsub = s.bulksubrange == 2;
    runio::promptcontrol(scriptends ? "use bulk subrange in script" : "make a bulk subrange", s.bulksubrange);
    if (s.bulksubrange != 0) return;
    auto subrange = [&](double start, double finish, const std::string& tail) {
        b.bulkpropstart = start;
        b.bulkpropend = finish;
        one = mix(first, second, start);
        two = mix(first, second, finish);
        st.subrange = true;
        putstr(0, "bulk subrange, " + p3(start) + " to " + p3(finish) +
                      ", between the two script bulk compositions" + tail,
               1, msl);
    };
    if (scriptends) {
        subrange(s.subrangelow, s.subrangehigh, " (from script)");
        return;
    }
    if (!askedsub) putstr(0, "making a bulk composition subrange within the range specified,", 1, msl);
    runio::Words w;
    runio::promptstrings("start and finish proportions across bulk composition range", w);
    const bool num1 = w.n >= 1 && runio::isnumberkind(runio::wordkind(w[1]));
    const bool num2 = w.n >= 2 && runio::isnumberkind(runio::wordkind(w[2]));
    if (w.n == 1 && num1) {
        const double p = runio::getsingle(runio::wordkind(w[1]), w[1], "proportion");
        // Only a proportion that is taken moves the start of the range.
        if (p >= 0.0 && p < 1.0) {
            b.bulkpropstart = p;
            s.onebulkvalue = p;
            one = mix(first, second, p);
            st.range = false;
            st.picked = true;
            st.pickedat = p;
            putstr(0, "bulk subrange is one bulk, " + p3(p) + ", between the two script bulk compositions", 1, msl);
        }
    } else if (w.n >= 2 && num1 && num2) {
        const double start = runio::getsingle(runio::wordkind(w[1]), w[1], "first proportion");
        const double finish = runio::getsingle(runio::wordkind(w[2]), w[2], "second proportion");
        if (!(start >= 0.0 && start < 1.0 && start < finish && finish <= 1.0))
            runio::bomb("readcomps", "entered bulk composition range is not 0<->1", 0);
        subrange(start, finish, "");
    }
}

int askincrements()
{
    runio::Words w;
    runio::promptstrings("how many increments across the composition range (max = " + runio::inttext(maxincrements) + ")",
                         w);
    int n = defaultincrements;
    if (w.n == 0)
        putstr(0, " using the default, 10 increments", 1, msl);
    else if (runio::wordkind(w[1]) == 1)
        n = runio::getinteger(1, w[1], "no increments");
    return n;
}

void onebulkreport(const Composition& c, const Settled& st)
{
    const int nf = nfree();
    if (st.terminal) {
        const std::string dashes = "% ------------------------------------------------";
        putstr(1, " in a form to copy to scriptfile:", 2, runio::mlog);
        putstr(0, dashes, 1, runio::mlog);
        std::string line = "bulk     ";
        for (int j = 1; j <= nf; ++j) addfield(bulkoxname(j), 8, line);
        putstr(0, line, 1, runio::mlog);
        putstr(0, dashes, 1, runio::mlog);
        line = "bulk     ";
        for (int j = 1; j <= nf; ++j) addreal(c[j], 3, true, 8, line);
        putstr(0, line, 1, runio::mlog);
        putstr(0, dashes, 2, runio::mlog);
    }
    std::string head = "composition";
    if (st.terminal)
        head += " (corresponding bulk script is in the logfile)";
    else if (!st.picked)
        head += st.fromrbi ? " (from rbi script)" : " (from bulk script)";
    putstr(0, head, 1, msol);
    std::string line;
    for (int j = 1; j <= nf; ++j) addfield(bulkoxname(j), 9, line);
    putstr(0, line, 1, msol);
    line.clear();
    for (int j = 1; j <= nf; ++j) addreal(c[j], st.fromrbi ? 4 : 3, true, 9, line);
    if (st.picked) line += "   (" + p3(st.pickedat) + " across original range)";
    putstr(0, line, 1, msol);
}

void rangereport(const Settled& st)
{
    const numerics::BulkSetup& b = numerics::bulks;
    const int nf = nfree();
    putstr(1, st.subrange ? "composition" : "composition (from script)", 1, msol);
    std::string line;
    for (int j = 1; j <= nf; ++j) addfield(bulkoxname(j), 8, line);
    putstr(0, line, 1, runio::mscreen);
    line.clear();
    for (int j = 1; j <= nf; ++j) addreal(b.bulk[j], 3, true, 8, line);
    putstr(0, line, 1, runio::mscreen);
    line.clear();
    for (int j = 1; j <= nf; ++j) addreal(b.bulk2[j], 3, true, 8, line);
    line += "      " + runio::inttext(st.increments) + " increments";
    if (st.subrange) line += " across " + p3(b.bulkpropstart) + " to " + p3(b.bulkpropend) + " of original range";
    putstr(0, line, 1, runio::mscreen);

    // The points of the range, every one while they fit, else every s-th.
    const int n = b.nbulk;
    const int step = n < 12 ? 1 : n < 22 ? 2 : n < 52 ? 5 : 10;
    const int m = (n - 1) / step;
    std::vector<int> points = {1};
    for (int j = 1; j <= m; ++j) points.push_back(step * j + 1);
    if (m * step + 1 != n) points.push_back(n);
    auto t = [&](int point) { return static_cast<double>(point - 1) / (n - 1); };
    line.clear();
    addfield("pos", -6, line);
    for (int point : points) runio::addrealshort(point, 6, line);
    if (st.subrange) line += "   (in this range)";
    putstr(0, line, 1, runio::mol);
    line.clear();
    addfield("prop", -6, line);
    for (int point : points) addreal(b.bulkpropstart + t(point) * (b.bulkpropend - b.bulkpropstart), 3, true, 6, line);
    if (st.subrange) line += "   (of overall range)";
    putstr(0, line, 1, runio::mol);
    for (int j = 1; j <= nf; ++j) {
        line.clear();
        addfield(thermodata::comps.compname[freecomponent(j)], 6, line);
        for (int point : points) addreal((1.0 - t(point)) * b.bulk[j] + t(point) * b.bulk2[j], 2, true, 6, line);
        putstr(0, line, 1, runio::mol);
    }
}

}  // namespace

int freecomponent(int j)
{
    const thermodata::Components& cs = thermodata::comps;
    int k = 0;
    for (int c = 1; c <= cs.ncomp; ++c)
        if (cs.oxfree[c] && ++k == j) return c;
    runio::bomb("freecomponent", "no free component " + runio::inttext(j), 1);
}

std::string bulkoxname(int j)
{
    const thermodata::Components& cs = thermodata::comps;
    const std::string& name = cs.compname[freecomponent(j)];
    if (name != "FeO") return name;
    for (int k = 1; k <= nfree(); ++k)
        if (cs.compname[freecomponent(k)] == "O") return "FeOt";
    return name;
}

void readcomps()
{
    const runio::ScriptSet& s = runio::scriptset;
    const runio::ScriptTables& t = runio::scripttabs;
    numerics::BulkSetup& b = numerics::bulks;
    b.bulkpropstart = 0.0;
    b.bulkpropend = 1.0;
    setter();
    putstr(1, "specification of bulk composition", 1, msl);
    oxidecheck();

    Settled st;
    st.fromrbi = s.rbisw == 0;
    if (st.fromrbi) rbibulk();
    // An oxide line with no composition after it gives no bulk: asked as
    // when the script has none.
    const bool scriptbulk = (s.bulksw == 0 || st.fromrbi) && s.nbulkcomp > 0 && (st.fromrbi || t.nbulk >= 1);
    Composition one{}, two{};
    if (!scriptbulk) {
        enterbulk(one);
        st.terminal = true;
    } else if (st.fromrbi) {
        one = b.bulk;
    } else if (t.nbulk == 1) {
        for (int j = 1; j <= nfree(); ++j) one[j] = t.bulk[j];
    } else {
        scriptrange(one, two, st);
    }

    if (!st.range) {
        nozeroes(one);
        b.bulk = b.bulk2 = one;
        b.nbulk = 1;
        onebulkreport(one, st);
        return;
    }
    nozeroes(one);
    nozeroes(two);
    b.bulk = one;
    b.bulk2 = two;
    int increments = t.nbulkpoints >= 3 ? t.nbulkpoints - 1 : askincrements();
    if (increments < 1 || increments > maxincrements) {
        putstr(0, "inappropriate number of increments: 10 used", 1, msl);
        increments = defaultincrements;
    }
    b.nbulk = increments + 1;
    st.increments = increments;
    rangereport(st);
}

}  // namespace phasediagram
