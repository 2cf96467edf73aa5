// The report of the fit, to the output file and the log: the refined
// end-member properties, how each calorimetric measurement is matched, and
// for each experiment where the refined data put its equilibrium against
// each bracket, with a summary of how the experiment entered the fit.
#include <cmath>

#include "dsfit/dsfit.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace dsfit {

namespace {

using runio::addfield;
using runio::addreal;
using runio::inttext;
using runio::mol;
using runio::putstr;
using runio::realstr;
using thermodata::TdRow;

const std::string summation = "\xE2\x88\x91";   // the summation sign, in UTF-8

std::string fixed(double x, int decimals) { return realstr(x, decimals, true); }

void propertytable()
{
    putstr(2, "Thermodynamic properties (units : kJ, K, kbar)", 2, mol);
    putstr(0,
           fieldline({{"", 8}, {"H", 10}, {"sd(H)", 7}, {"S", 8}, {"V", 8}, {"a", 8}, {"b", 9}, {"c", 9}, {"d", 9},
                      {"a0", 7}, {"K0", 8}, {"K0'", 7}, {"K0''", 8}, {"Tc", 7}, {"Smax", 7}, {"Vmax", 7}}),
           1, mol);
    for (int i = 1; i <= fit.ntda; ++i) {
        const FitEm& e = fit.tda[i];
        std::string line;
        addfield(e.name, -8, line);
        propertyfields(e, "", line);
        if (e.row[thermodata::sSmax] > 0.0) landaufields(e.row, "", line);
        if (e.row[thermodata::sBWn] > 0.5) orderfields(e.row, "", line);
        putstr(0, line, 1, mol);
    }
}

// The hat values run over the observations in row order; c counts them.
void calorimetry(int& c)
{
    putstr(2, "Direct calorimetry", 2, mol);
    putstr(0, fieldline({{" ", 6}, {"value", 10}, {"sd", 7}, {"e*", 7}, {"hat", 7}}), 1, mol);
    std::string line;
    for (int i = 1; i <= fit.ntda; ++i) {
        const FitEm& e = fit.tda[i];
        if (e.sdhread >= freesd) continue;
        ++c;
        line.clear();
        addfield(e.name, -6, line);
        addreal(e.hread, 2, true, 10, line);
        addreal(e.sdhread, 2, true, 7, line);
        if (std::fabs(e.sdhread) < 1e-5)
            addfield("<0>", 7, line);
        else
            addreal((e.hread - e.row[thermodata::sH]) / e.sdhread, 2, true, 7, line);
        addreal(lsq.hat[c], 2, true, 7, line);
        putstr(0, line, 1, mol);
    }

    putstr(2, "Oxide calorimetry", 2, mol);
    putstr(0, fieldline({{" ", 6}, {"T", 5}, {"H(cal)", 9}, {"sd", 6}, {"H(298)", 9}, {"e*", 7}, {"hat", 7}}), 1, mol);
    for (int k = 1; k <= fit.noxcal; ++k) {
        const OxCal& o = fit.oxcal[k];
        if (!o.used) continue;
        ++c;
        double sum = 0.0;
        for (int j = 1; j <= o.n; ++j) sum += o.nu[j] * fit.tda[o.em[j]].row[thermodata::sH];
        line.clear();
        addfield(fit.tda[o.em[1]].name, -6, line);
        addfield(runio::realstrshort(o.t - 273.15), 5, line);
        addreal(o.value, 1, true, 9, line);
        addreal(o.sd, 1, true, 6, line);
        addreal(o.corrected, 1, true, 9, line);
        if (o.sd == 0.0)
            addfield("***", 7, line);
        else
            addreal((o.corrected + sum) / o.sd, 1, true, 7, line);
        addreal(lsq.hat[c], 2, true, 7, line);
        putstr(0, line, 1, mol);
    }
}

// The reaction enthalpy sum of the refined data and its uncertainty from
// their covariance.
void refinedreaction(Experiment& x)
{
    x.dh = 0.0;
    double var = 0.0;
    for (int j = 1; j <= x.n; ++j) {
        x.dh += x.nu[j] * fit.tda[x.em[j]].row[thermodata::sH];
        for (int k = 1; k <= x.n; ++k) var += x.nu[j] * lsq.xxat(x.em[j], x.em[k]) * x.nu[k];
    }
    x.sddh = x.sddh < 0.0 ? 0.0 : std::sqrt(std::fmax(0.0, lsq.sigfit2 * var));
}

// Where the refined data put a simple reaction's equilibrium at each
// bracket: the P at its T and the T at its P, with their uncertainties
// from that of the reaction enthalpy.
void reactionpt(int e)
{
    Experiment& x = fit.xp[e];
    for (int b = 1; b <= x.nb; ++b) {
        Bracket& br = x.br[b];
        double dgdp, dgdt;
        br.calcp = xpcalcp(e, b, dgdp, dgdt);
        br.calct = xpcalct(e, b, dgdp, dgdt);
        br.sdp = dgdp != 0.0 && br.calcp >= 0.01 ? std::fabs(x.sddh / dgdp) : 0.0;
        br.sdt = dgdt != 0.0 && br.calct >= 273.15 ? std::fabs(x.sddh / dgdt) : 0.0;
    }
}

void assemblagetable(int e)
{
    const Experiment& x = fit.xp[e];
    putstr(1, "--begin" + std::string(63, '-'), 1, mol);
    std::string line = x.kind == 2 ? "divariant involving " : "univariant involving ";
    for (int k = 1; k <= x.nact; ++k) {
        const ActEntry& a = x.act[k];
        if (a.marker > 0.0 && a.marker != aconstituent) line += a.name + " ";
        if (a.marker == afirstem) line += fit.phname[a.phase] + " ";
    }
    if (x.unknowncomps) line += " (unknown comps) ";
    putstr(1, line + " (" + x.label + ")", 1, mol);
    setupxpsystem(e);
    pairbrackets(e);
    calcass(e, x.unknowncomps ? 2 : (x.kind == 2 ? 3 : 2), true);
    for (int g = 0; g < x.groupsize; ++g) {
        Experiment& xg = fit.xp[e + g];
        for (int b = 1; b <= xg.nb; ++b) xg.br[b].sdt = xg.br[b].sdp = 0.0;
    }
}

// ---------------------------------------------------------------- the table of one experiment

struct Row {
    const Bracket* lo = nullptr;   // the bracket that bounds the enthalpy sum from below (sense clear)
    const Bracket* hi = nullptr;   // the one that bounds it from above
    const Bracket* br = nullptr;   // the bracket of the line
    bool ppair = false, tpair = false, kpair = false;
    bool pair() const { return ppair || tpair || kpair; }
};

Row rowof(const Experiment& x, int b)
{
    Row r;
    r.br = &x.br[b];
    if (b < x.nb) {
        const Bracket& nx = x.br[b + 1];
        r.tpair = nx.tpair;
        r.ppair = nx.ppair && !nx.tpair;
        r.kpair = nx.kpair && !r.tpair && !r.ppair;
    }
    if (r.pair()) {
        const bool swap = x.br[b].sense;
        r.lo = swap ? &x.br[b + 1] : &x.br[b];
        r.hi = swap ? &x.br[b] : &x.br[b + 1];
    }
    return r;
}

std::string pressure(double p, int width)
{
    std::string s;
    if (p > 99.99)
        addfield(runio::realstrshort(p), 6, s);
    else
        addreal(p, 1, true, width, s);
    return s;
}

// How far the refined data leave the observed side, " " when they do not.
std::string miss(const Experiment& x, const Row& r)
{
    const double dh = x.dh;
    const Bracket& b = *r.br;
    if (x.hasphases) {
        if (r.pair()) {
            if (dh < r.lo->y) return fixed(dh - r.lo->y, 2);
            if (dh > r.hi->y) return fixed(dh - r.hi->y, 2);
            return " ";
        }
        if (b.sense ? dh > b.y : dh < b.y) return fixed(dh - b.y, 2);
        return " ";
    }
    if (r.kpair) {
        const Bracket& l = *r.lo;
        const Bracket& h = *r.hi;
        const double lnk = l.lnq + (h.lnq - l.lnq) * (dh - l.y) / (h.y - l.y);
        const Bracket& top = l.y > h.y ? l : h;
        const Bracket& bottom = l.y > h.y ? h : l;
        if (dh > top.y) return fixed(lnk - top.lnq, 2);
        if (dh < bottom.y) return fixed(bottom.lnq - lnk, 2);
        return " ";
    }
    if ((r.ppair || r.tpair) && r.lo->y > r.hi->y) return "<>";
    if (r.ppair) {
        if (dh < r.lo->y) return fixed(b.calcp - r.lo->p, 2);
        if (dh > r.hi->y) return fixed(b.calcp - r.hi->p, 2);
        return " ";
    }
    auto degrees = [](double d) { return std::round(d) != 0.0 ? runio::wholetext(std::round(d)) : std::string(); };
    if (r.tpair) {
        std::string s;
        if (dh < r.lo->y) s = degrees(b.calct - r.lo->t);
        if (s.empty() && b.calct < 274.0) return "*";
        if (s.empty() && dh > r.hi->y) s = degrees(b.calct - r.hi->t);
        return s.empty() ? " " : s;
    }
    std::string s;
    if (b.sense) {
        if (b.calct < 274.0) return "*";
        if (dh > b.y) s = degrees(b.calct - b.t);
    } else if (dh < b.y) {
        s = degrees(b.calct - b.t);
    }
    return s.empty() ? " " : s;
}

void calccolumns(const Experiment& x, const Row& r, std::string& line)
{
    const Bracket& b = *r.br;
    const bool divariant = x.kind == 2;
    const std::string nosd = x.hasphases ? " " : "*";
    if (r.ppair) {
        addfield(divariant ? "" : fixed(b.calcp, 2), 7, line);
        addfield(b.sdp > 0.0 ? fixed(2.0 * b.sdp, 2) : nosd, 6, line);
    } else if (r.kpair) {
        const Bracket& l = *r.lo;
        const Bracket& h = *r.hi;
        const double slope = (h.lnq - l.lnq) / (h.y - l.y);
        const double lnk = l.lnq + slope * (x.dh - l.y);
        addfield(divariant ? "" : fixed(x.hasphases ? 0.0 : lnk, 2), 7, line);
        addfield(x.hasphases ? " " : fixed(std::fabs(slope) * 2.0 * x.sddh, 2), 6, line);
    } else {
        addfield(divariant ? "" : b.calct < 300.0 ? "*" : celsius(b.calct), 7, line);
        addfield(b.sdt > 0.0 ? runio::wholetext(2.0 * std::round(b.sdt)) : nosd, 6, line);
    }
}

std::string rfactext(double rfac, int decimals)
{
    if (std::fabs(rfac - std::nearbyint(rfac)) < 0.01) return runio::wholetext(std::round(rfac));
    return fixed(rfac, decimals);
}

// Summary text k of the experiment; inline is false for a text on a line of
// its own after the table.
std::string summary(const Experiment& x, int k, bool inline_)
{
    const bool rfacshown = std::fabs(x.rfac - 1.0) >= 0.01;
    const std::string ch = "cH = " + fixed(x.dh, 2) + " (sd  " + fixed(x.sddh, 2) + ")";
    if (!x.used) {
        if (k == 1) return " ** NOT USED **";
        if (k == 2) return inline_ || !rfacshown ? ch : ch + " " + rfactext(x.rfac, 1);
        return "";
    }
    switch (k) {
    case 1: {
        std::string s;
        if (x.category > 3 && fitopts.mark456 == 0) s = summation;
        addfield(inttext(x.category), -2, s);
        s += "(" + fixed(x.low, 2) + " <-> " + fixed(x.high, 2) + ")";
        const double centre = (x.low + x.high) / 2.0;
        if (x.scale != 0.0)
            s += "  (" + fixed(centre, 2) + ", " + fixed(x.rfac / x.scale, 2) + ", " +
                 fixed(x.scale * (x.high - x.low) / 2.0, 2) + ")";
        else
            s += "  (" + fixed(centre, 2) + ", " + fixed(x.rfac * (x.high - x.low) / 2.0, 2) + ")@";
        return s;
    }
    case 2: {
        std::string s = ch + " ";
        if (!rfacshown) return s;
        if (!inline_) return s + rfactext(x.rfac, 1);
        if (std::fabs(x.rfac - std::nearbyint(x.rfac)) < 0.01) return s + runio::wholetext(std::round(x.rfac));
        return s + (fitopts.tighten == 0 ? summation : "") + fixed(x.rfac, 2);
    }
    case 3: {
        const double twosd = 2.0 * x.sddh;
        if (x.dh < x.low) return std::string("too low ") + (x.low - x.dh <= twosd ? "but OK" : "");
        if (x.dh > x.high) return std::string("too high ") + (x.dh - x.high <= twosd ? "but OK" : "");
        return "within bracket";
    }
    case 4: {
        const double hat = x.row > 0 ? lsq.hat[x.row + lsq.noxrow] : 0.0;
        const double d = x.rowsd > 0.0 ? (x.dh - x.usedh) / x.rowsd : 0.0;
        return "uH = " + fixed(x.usedh, 2) + ", d/s = " + fixed(d, 1) + ", h = " + fixed(hat, 2);
    }
    default: return "";
    }
}

}  // namespace

// Each column after its separator: " & " in the LaTeX tables, nothing in the
// report, whose fields are wide enough apart.
void propertyfields(const FitEm& e, const std::string& separator, std::string& line)
{
    using namespace thermodata;
    const TdRow& r = e.row;
    const struct {
        double value;
        int decimals, width;
    } columns[] = {{r[sH], 2, 10},          {e.sdh, 2, 7},         {1000.0 * r[sS], 2, 8}, {r[sV], 3, 8},
                   {r[sCpa], 4, 8},         {1e5 * r[sCpb], 4, 9}, {r[sCpc], 1, 9},        {r[sCpd], 4, 9},
                   {1e5 * r[sAlpha0], 2, 7}, {r[sKappa0], 1, 8},   {r[sKappa0p], 2, 7},    {r[sKappa0pp], 4, 8}};
    for (const auto& c : columns) {
        line += separator;
        addreal(c.value, c.decimals, true, c.width, line);
    }
}

void landaufields(const TdRow& r, const std::string& separator, std::string& line)
{
    using namespace thermodata;
    for (const auto& [value, decimals] : {std::pair{r[sTc], 0}, {1000.0 * r[sSmax], 2}, {r[sVmax], 4}}) {
        line += separator;
        addreal(value, decimals, true, 7, line);
    }
}

void orderfields(const TdRow& r, const std::string& separator, std::string& line)
{
    using namespace thermodata;
    const struct {
        double value;
        int decimals, width;
    } columns[] = {{r[sBWdH], 2, 7}, {r[sBWdHv], 4, 7}, {r[sBWW], 2, 7},
                   {r[sBWWv], 4, 7}, {r[sBWn], 0, 5},   {r[sBWfac], 2, 5}};
    for (const auto& c : columns) {
        line += separator;
        addreal(c.value, c.decimals, true, c.width, line);
    }
}

std::string celsius(double t) { return runio::wholetext(std::round(t - 273.15)); }

std::string fieldline(std::initializer_list<std::pair<const char*, int>> fields)
{
    std::string line;
    for (const auto& [text, width] : fields) addfield(text, width, line);
    return line;
}

void pairbrackets(int e)
{
    Experiment& x = fit.xp[e];
    for (int b = 1; b <= x.nb; ++b) {
        Bracket& br = x.br[b];
        br.tpair = br.ppair = br.kpair = false;
        if (b == 1) continue;
        const Bracket& prev = x.br[b - 1];
        if (prev.tpair || prev.ppair || prev.kpair || prev.sense == br.sense) continue;
        const bool x2 = br.xco2 == prev.xco2;
        br.tpair = br.p == prev.p && x2 && br.lnq == prev.lnq;
        br.ppair = br.t == prev.t && x2 && br.lnq == prev.lnq;
        br.kpair = br.p == prev.p && br.t == prev.t && x2;
    }
}

void printxpresults(int e)
{
    Experiment& x = fit.xp[e];
    pairbrackets(e);
    thermodata::ds.fitcrd = x.crd;
    if (!x.used && fitopts.printomit == 1) return;

    std::string title;
    if (x.used)
        title = (x.hasphases ? "    " : "") + inttext(e) + ")  ";
    else
        title = "*  ";
    putstr(1, title + runio::trim(x.rxntext) + "   (" + runio::trim(x.label) + ")", 2, mol);

    putstr(0,
           fieldline({{"ln_K", 9}, {"x(CO2)", 11}, {"P(kbar)", 11}, {"", 1}, {"T(C)", 9}, {"", 2}, {"H(low)", 9},
                      {"H(high)", 8}, {"miss", 6}, {"calc", 7}, {"2sd", 6}, {"summary", 15}}),
           1, mol);
    std::string line;

    int r = 0;
    for (int b = 1; b <= x.nb; ++b) {
        const Bracket& br = x.br[b];
        if (br.tpair || br.ppair || br.kpair) continue;
        ++r;
        const Row row = rowof(x, b);
        line.clear();
        if (std::fabs(br.lnq) < 1e-6) {
            addfield("0", 9, line);
            addfield("", 3, line);
        } else if (row.kpair) {
            addreal(row.lo->lnq, 2, true, 6, line);
            addreal(row.hi->lnq, 2, true, 6, line);
        } else {
            addreal(br.lnq, 2, true, 9, line);
            addfield("", 3, line);
        }

        if (x.nofluid)
            addfield("-", 6, line);
        else if (br.xco2 == 0.0 || br.xco2 == 1.0)
            addfield(br.xco2 == 0.0 ? "0" : "1", 6, line);
        else
            addreal(br.xco2, 2, true, 6, line);
        addfield("", 1, line);

        if (row.ppair) {
            line += pressure(row.lo->p, 6) + pressure(row.hi->p, 6);
        } else {
            line += pressure(br.p, 9);
            addfield("", 4, line);
        }

        if (row.ppair || row.kpair) {
            addfield(celsius(br.t), 8, line);
            addfield("", 3, line);
            addreal(row.lo->y, 2, true, 9, line);
            addreal(row.hi->y, 2, true, 8, line);
        } else if (row.tpair) {
            addfield(celsius(row.lo->t), 5, line);
            addfield(celsius(row.hi->t), 5, line);
            addreal(row.lo->y, 2, true, 9, line);
            addreal(row.hi->y, 2, true, 8, line);
        } else if (br.sense) {
            addfield(" ", 5, line);
            addfield(celsius(br.t), 5, line);
            addfield(" ", 9, line);
            addreal(br.y, 2, true, 8, line);
        } else {
            addfield(celsius(br.t), 5, line);
            addfield(" ", 5, line);
            addreal(br.y, 2, true, 9, line);
            addfield(" ", 8, line);
        }

        addfield(miss(x, row), 7, line);
        calccolumns(x, row, line);
        addfield("", 3, line);
        line += summary(x, r, true);
        putstr(0, line, 1, mol);
    }
    const int ntexts = x.used ? 4 : 2;
    for (int k = r + 1; k <= ntexts; ++k) putstr(0, runio::spaces(82) + summary(x, k, false), 1, mol);
}

void printlsqresults()
{
    propertytable();
    latex();
    int c = 0;
    calorimetry(c);
    putstr(2, "Experimental results", 1, mol);
    for (int e = 1; e <= fit.nexp; ++e) {
        Experiment& x = fit.xp[e];
        thermodata::ds.expno = e;
        thermodata::ds.fitcrd = x.crd;
        refinedreaction(x);
        if (!x.hasphases)
            reactionpt(e);
        else if (x.groupno == 1)
            assemblagetable(e);
        x.rxntext = writerxn(x.nu.data(), x.em.data(), x.n);
        printxpresults(e);
        if (x.hasphases && x.groupno == x.groupsize) putstr(0, "--end" + std::string(65, '-'), 1, mol);
    }
    writeds();
}

}  // namespace dsfit
