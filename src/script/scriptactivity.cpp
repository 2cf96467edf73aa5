// Script keywords that fix end-member activities and chemical potentials of
// components, the fluid compositions x(CO2) to calculate at, compositional and
// mode isopleths, phases of zero mode, and the projection plane.
#include <cmath>

#include "script/scriptblocks.h"

namespace script {

namespace {

// Names with optional values after them, as seta and setmu take them: a name,
// then its value when the next word is an integer or a real.
struct NamedValues {
    const char* label;                 // "ln a(" or "mu("
    double novalue;                    // stands for a value still to be set
    bool lnvalues;                     // values are activities, stored as ln a
    int& count;
    runio::Arr<std::string, maxseta + 1>& names;
    runio::Arr<double, maxseta + 1>& values;
};

// False when the values cannot be taken: too many names for the table, or an
// activity that has no logarithm.
bool readnamedvalues(ScriptLine& l, NamedValues nv)
{
    const ScriptInfo& si = scriptinfo;
    auto valueafter = [&](int i) { return i + 1 <= si.ninfo && (si.infokind[i + 1] == 1 || si.infokind[i + 1] == 2); };
    const bool single = si.ninfo == 1;
    int nnames = 0;
    for (int i = 1; i <= si.ninfo; ++i) {
        ++nnames;
        if (!single && valueafter(i)) {
            if (nv.lnvalues && si.inforeal[i + 1] <= 0.0) {
                scriptproblem(l.keyword, "for " + l.keyword + ", the activity of " + si.infotext[i] +
                                             " must be greater than 0", "activity inappropriate");
                return false;
            }
            ++i;
        }
    }
    if (nnames > maxseta) {
        scriptproblem(l.keyword,
                      "for " + l.keyword + ", at most " + inttext(maxseta) + " names can be given, not " +
                          inttext(nnames),
                      "too many names");
        return false;
    }
    nv.count = 0;
    for (int i = 1; i <= si.ninfo; ++i) {
        const int k = ++nv.count;
        nv.names[k] = si.infotext[i];
        std::string line = nv.label + si.infotext[i];
        if (!single && valueafter(i)) {
            const double v = si.inforeal[i + 1];
            nv.values[k] = nv.lnvalues ? std::log(v) : v;
            line += ") = ";
            addreal(nv.values[k], 2, true, 10, line);
            ++i;
        } else {
            nv.values[k] = nv.novalue;
            line += ") - to be set ";
        }
        putstr(0, line, 1, mscreen);
    }
    return true;
}

void askuntested(const char* warning)
{
    putstr(0, "", 1, mscreen);
    putstr(0, warning, 1, mscreen);
    if (!query("do you want to continue?")) killrun();
}

// The fields of one kind of isopleth (compositional or mode), with its messages.
struct IsoFields {
    int& sw;
    std::string& name;
    double &low, &high, &inc;
    std::string& name2;
    double &low2, &high2, &inc2;
    const char* notrecognised;
    const char* badvalues;
    const char* fatalinfo;
    const char* fatalvalues;
};

enum class IsoShape { one, oneeach, range, rangename, rangeone, tworanges, bad };

IsoShape isoshape()
{
    const ScriptInfo& si = scriptinfo;
    const int n = si.ninfo;
    if (n == 2) return IsoShape::one;
    if (n == 4 && si.infokind[3] == 4) return IsoShape::oneeach;
    if (n == 4) return IsoShape::range;
    if (n >= 5 && si.infokind[5] == 4) {
        if (n == 5) return IsoShape::rangename;
        if (n == 6) return IsoShape::rangeone;
        if (n == 8) return IsoShape::tworanges;
    }
    return IsoShape::bad;
}

// Reads k values from item 1 on; false when they are not usable.
bool isovalues(ScriptLine& l, int k, double& a, double& b, double& c)
{
    int n = k;
    if (!scriptreals(l.keyword, n)) return false;
    const ScriptInfo& si = scriptinfo;
    if (k == 1) {
        a = b = si.inforeal[1];
    } else {
        a = si.inforeal[1];
        b = si.inforeal[2];
        c = si.inforeal[3];
    }
    return true;
}

bool isovaluesok(double low, double high, double inc) { return low <= high && inc > 0.0 && low >= 0.0 && high <= 1.0; }

void readisopleth(ScriptLine& l, IsoFields f)
{
    const ScriptInfo& si = scriptinfo;
    f.sw = l.sw;
    f.low = f.high = 0.0;
    f.inc = 0.001;
    f.low2 = f.high2 = 0.0;
    f.inc2 = 0.001;
    if (si.ninfo >= 1 && si.infotext[1] == "none") {
        f.sw = 1;
        return;
    }
    if (f.sw == 1 || si.ninfo < 1 || si.infokind[1] != 4) return;
    f.name = si.infotext[1];
    if (si.ninfo == 1) return;
    if (si.infokind[2] == 4) {
        f.name2 = si.infotext[2];
        return;
    }
    const IsoShape shape = isoshape();
    if (shape == IsoShape::bad) {
        putstr(1, f.notrecognised, 1, msl);
        putstr(0, "and enter the isopleth information interactively?", 0, msl);
        bomb("reading scripts", f.fatalinfo, 0);
    }
    shiftinfo(1);
    bool ok = true;
    switch (shape) {
    case IsoShape::one: ok = isovalues(l, 1, f.low, f.high, f.inc); break;
    case IsoShape::oneeach:
        f.name2 = si.infotext[2];
        ok = isovalues(l, 1, f.low, f.high, f.inc);
        shiftinfo(2);
        ok = ok && isovalues(l, 1, f.low2, f.high2, f.inc2);
        break;
    case IsoShape::range: ok = isovalues(l, 3, f.low, f.high, f.inc); break;
    case IsoShape::rangename:
        f.name2 = si.infotext[4];
        ok = isovalues(l, 3, f.low, f.high, f.inc);
        break;
    case IsoShape::rangeone:
    case IsoShape::tworanges:
        f.name2 = si.infotext[4];
        ok = isovalues(l, 3, f.low, f.high, f.inc);
        shiftinfo(4);
        ok = ok && isovalues(l, shape == IsoShape::rangeone ? 1 : 3, f.low2, f.high2, f.inc2);
        break;
    case IsoShape::bad: break;
    }
    // Values that are no numbers leave the isopleths to be given at the terminal.
    if (!ok) {
        f.sw = 1;
        return;
    }
    if (!isovaluesok(f.low, f.high, f.inc) || !isovaluesok(f.low2, f.high2, f.inc2)) {
        putstr(1, f.badvalues, 0, msl);
        bomb("reading scripts", f.fatalvalues, 0);
    }
}

}  // namespace

void kwseta(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    int& sw = l.keyword == "setlna" ? s.setlna : (l.keyword == "setloga" ? s.setloga : s.seta);
    sw = l.sw;
    if (sw == 1) return;
    askuntested("setting activities is currently untested - it might not work?");
    if (scriptinfo.ninfo < 1) return;
    const bool lnvalues = &sw == &s.seta;
    if (!readnamedvalues(l, {"ln a(", 10.0, lnvalues, t.nseta, t.setaname, t.setaval})) {
        s.seta = s.setlna = s.setloga = 1;
        t.nseta = 0;
    }
}

void kwsetmu(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    s.setmu = l.sw;
    if (s.setmu == 1) return;
    askuntested("setting mu is currently untested - it probably won't work?");
    if (scriptinfo.ninfo < 1) return;
    if (!readnamedvalues(l, {"mu(", 0.0, false, t.nsetmu, t.setmuname, t.setmuval})) {
        s.setmu = 1;
        t.nsetmu = 0;
    }
}

void kwcalcxco2(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    const ScriptInfo& si = scriptinfo;
    s.xco2values = l.sw == 2 ? 0 : l.sw;
    s.xco2low = s.xco2high = s.xco2inc = 0.0;
    if (s.xco2values == 1) return;
    int n = 0;
    if (!scriptreals(l.keyword, n)) {
        putstr(1, "x(CO2): low, high and inc expected, or one or more values", 0, msl);
        bomb("reading scripts", "info inappropriate", 0);
    }
    if (si.ninfo == 3 && si.inforeal[2] > si.inforeal[3]) {
        const double low = si.inforeal[1], high = si.inforeal[2], inc = si.inforeal[3];
        s.xco2low = low;
        s.xco2high = high;
        s.xco2inc = inc;
        if (!(low > 0.0 && high < 1.0 && low <= high && inc > 0.0 && high - low >= inc)) {
            putstr(1, "x(CO2): low, high and inc expected", 0, msl);
            bomb("reading scripts", "values inappropriate", 0);
        }
        // Counted as a real: a tiny increment would overflow any integer count.
        const double steps = std::floor((high - low) / inc);
        if (steps + 2.0 > maxxco2range) {
            s.nxco2values = maxxco2range;
            s.xco2inc = (high - low) / (maxxco2range - 1);
        } else {
            s.nxco2values = static_cast<int>(steps) + 1;
        }
        for (int i = 1; i <= s.nxco2values; ++i) s.xco2list[i] = low + (i - 1) * s.xco2inc;
        if (std::fabs(s.xco2list[s.nxco2values] - high) > 1e-8) s.xco2list[++s.nxco2values] = high;
        return;
    }
    s.nxco2values = 0;
    for (int i = 1; i <= si.ninfo; ++i)
        if (si.inforeal[i] > 0.0 && si.inforeal[i] < 1.0) s.xco2list[++s.nxco2values] = si.inforeal[i];
    if (s.nxco2values == 0) {
        putstr(1, "x(CO2): list of values between 0 and 1 expected", 0, msl);
        bomb("reading scripts", "values inappropriate", 0);
    }
}

void kwisopleth(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    readisopleth(l, {s.isopleth, s.isoname, s.isolow, s.isohigh, s.isoinc, s.isoname2, s.isolow2, s.isohigh2,
                     s.isoinc2, "isopleth info not recognised: just use isopleth name(s)",
                     "isopleth: name, then low, high and increment expected, or one value",
                     "isopleth info inappropriate", "isopleth values inappropriate"});
}

void kwmodeiso(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    readisopleth(l, {s.modeiso, s.modeisoname, s.modeisolow, s.modeisohigh, s.modeisoinc, s.modeisoname2,
                     s.modeisolow2, s.modeisohigh2, s.modeisoinc2,
                     "mode isopleth info not recognised: just use isopleth name(s)",
                     "mode isopleth: name, then low, high and increment expected, or one value",
                     "mode isopleth info inappropriate", "mode isopleth values inappropriate"});
}

void kwzeromodeiso(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    s.zeromodeiso = l.sw;
    if (s.zeromodeiso != 0 || scriptinfo.ninfo < 1) return;
    s.zeromodename = scriptinfo.infotext[1];
    if (scriptinfo.ninfo >= 2) s.zeromodename2 = scriptinfo.infotext[2];
}

void kwprojection(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    s.projection = l.sw == 2 ? 0 : l.sw;
    if (s.projection != 1 && s.projplane == 0)
        bomb("reading scripts", "projection script needs to be before reading projection plane", 0);
}

void kwprojplane(ScriptLine& l)
{
    ScriptSet& s = scriptset;
    ScriptTables& t = scripttabs;
    const ScriptInfo& si = scriptinfo;
    s.projplane = l.sw;
    if (s.projplane == 1) {
        t.nprojplane = 0;
        return;
    }
    if (t.nprojplane == 0 || s.projection == 1) return;
    if (si.ninfo > 0 && t.nprojplane == -1 && si.infokind[1] != 4) {
        putstr(1, "now, " + l.keyword + " starts with an oxide list on a line, before the block ", 1, msol);
        putstr(0, "of apex compositions (this line was there before but preceded by a %)", 1, msol);
        bomb("reading scripts", "change the " + l.keyword + " script", 0);
    }
    if (t.nprojplane == -1) {
        int n = 0;
        if (!scriptstrings(l.keyword, n)) {
            t.nprojplane = 0;
            return;
        }
        if (n > maxscriptcomp) {
            scriptproblem(l.keyword, "for " + l.keyword + ", at most " + inttext(maxscriptcomp) + " oxides, not " +
                                         inttext(n), "too many oxides");
            t.nprojplane = 0;
            return;
        }
        for (int i = 1; i <= n; ++i) t.projcompnames[i] = oxidename(si.infotext[i]);
        s.nprojcompnames = n;
        t.nprojplane = -2;
        return;
    }
    const int k = t.nprojplane == -2 ? 1 : t.nprojplane + 1;
    if (k > maxprojapex) {
        scriptproblem(l.keyword, "for " + l.keyword + ", at most " + inttext(maxprojapex) + " apex compositions",
                      "too many apexes");
        t.nprojplane = 0;
        return;
    }
    t.nprojplane = k;
    if (!scriptstring(l.keyword)) {
        t.nprojplane = 0;
        return;
    }
    t.projapexnames[k] = si.infotext[1];
    shiftinfo(1);
    int n = s.nprojcompnames;
    if (!scriptreals(l.keyword, n)) {
        t.nprojplane = 0;
        return;
    }
    for (int i = 1; i <= s.nprojcompnames; ++i) t.projapex[k][i] = si.inforeal[i];
}

}  // namespace script
