// The files that carry the fit's result out of the program: the refined
// dataset in the dataset layout (with the covariance of the fitted
// enthalpies) and the same data as a csv table; and the end-member file in
// the fit's own layout, from which a later fit can start.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dsfit/dsfit.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace dsfit {

namespace {

using namespace thermodata;   // the slots of a data row
using runio::inttext;

bool ision(const std::string& name) { return !name.empty() && (name.back() == '+' || name.back() == '-'); }

// A number as a formatted write puts it: right-aligned in the field, with
// the decimals given; a field too narrow is widened by the number.
std::string num(double x, int width, int decimals)
{
    if (x == 0.0) x = 0.0;   // no "-0.0000"
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, x);
    return buf;
}
std::string num(long long n, int width)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*lld", width, n);
    return buf;
}

// As num, with more decimals (up to six more) when the value has them, so
// that the end-member file gives back what was read.
std::string exact(double x, int width, int decimals)
{
    int d = decimals;
    const double tolerance = 1e-9 * std::fmax(1.0, std::fabs(x));
    while (d < decimals + 6 && std::fabs(std::nearbyint(x * std::pow(10.0, d)) / std::pow(10.0, d) - x) > tolerance)
        ++d;
    return num(x, width, d);
}

// The whole part of a value that the layout keeps as a whole number,
// right-aligned in the field.
std::string whole(double x, int width)
{
    const std::string text = runio::wholetext(std::trunc(x));
    return runio::spaces(width - static_cast<int>(text.size())) + text;
}

// Both files are read free-format, so a number whose digits fill or pass its
// field still keeps a blank before it rather than run into the number before
// (an element code and its amount would read as one code, a Bragg-Williams
// dH and a negative dHv as one word). A number that fits its field is placed
// as the field has it.
void apart(std::string& s, const std::string& number)
{
    if (!s.empty() && s.back() != ' ' && s.back() != '\n' && !number.empty() && number.front() != ' ') s += ' ';
    s += number;
}

// Why the first failed write to the data file being written failed; empty
// while none has.
std::string datafault;

// A data file created afresh; its name goes to files.filename. The file
// slot of the PostScript channel, which the fit never opens, carries it
// while it is created. The name keeps its whole suffix, as every run file
// does: a later run finds the file under the suffix that named it.
std::FILE* createdatafile(const std::string& part1, const std::string& part2)
{
    datafault.clear();
    runio::files.filename = runio::openoutfile(part1, part2, runio::chps);
    std::FILE* f = runio::chans.file[runio::chps];
    runio::chans.file[runio::chps] = nullptr;
    runio::chans.filename[runio::chps].clear();
    return f;
}

void write(std::FILE* f, const std::string& text) { runio::checkedwrite(f, text.data(), text.size(), datafault); }

void csvwrite(const std::string& text)
{
    if ((runio::chans.chanset & runio::mcsv) == 0 || runio::chans.file[runio::chcsv] == nullptr) return;
    runio::chanwrite(runio::chcsv, text);
    runio::chans.chanused[runio::chcsv] = true;
}

// A csv field: right-aligned in its width and followed by ", ".
void field(std::string& line, const std::string& text, int width)
{
    if (static_cast<int>(text.size()) < width) line += runio::spaces(width - static_cast<int>(text.size()));
    line += text + ", ";
}

std::string fixedtext(double x, int decimals) { return num(x, 0, decimals); }

void csvheader()
{
    static const char* names[] = {"names", "nd", "coeff", "H", "S", "V", "cpa", "cpb", "cpc", "cpd", "alpha0",
                                  "kappa0", "kappa0p", "kappa0pp", "dkappa0dt", "theta", "landaut", "smax", "vmax",
                                  "aqcp", "sfdh", "sfdhv", "sfw", "sfwv", "sfn", "sffac"};
    static const int widths[] = {8, 4, 6, 12, 10, 9, 11, 15, 10, 10, 18, 9, 9, 11, 11, 6, 7, 10, 10, 8, 7, 7, 7, 7, 6, 7};
    std::string line;
    for (int k = 0; k < 26; ++k) field(line, names[k], widths[k]);
    for (int k = 1; k <= maxelements; ++k) {
        field(line, "c" + inttext(k), 5);
        field(line, "no" + inttext(k), 9);
    }
    csvwrite(line + "\n");
}

void csvrow(int i)
{
    const FitEm& e = fit.tda[i];
    const TdRow& r = e.row;
    std::string line;
    field(line, e.name, 8);
    field(line, "0", 4);
    field(line, "0", 6);
    field(line, fixedtext(lsq.theta[i], 2), 12);
    field(line, fixedtext(r[sS], 5), 10);
    field(line, fixedtext(r[sV], 4), 9);
    field(line, fixedtext(r[sCpa], 4), 11);
    field(line, fixedtext(r[sCpb], 9), 15);
    field(line, fixedtext(r[sCpc], 1), 10);
    field(line, fixedtext(r[sCpd], 4), 10);
    field(line, fixedtext(r[sAlpha0], 7), 18);
    field(line, fixedtext(r[sKappa0], 2), 9);
    field(line, fixedtext(r[sKappa0p], 2), 9);
    field(line, fixedtext(r[sKappa0pp], 5), 11);
    field(line, isliquid(e.name) || r[sDkappadT] < 0.0 ? fixedtext(r[sDkappadT], 5) : "-1", 11);
    field(line, whole(r[sTheta], 0), 6);
    if (r[sSmax] > 0.0) {
        field(line, whole(r[sTc], 0), 7);
        field(line, fixedtext(r[sSmax], 5), 10);
        field(line, fixedtext(r[sVmax], 4), 10);
    } else {
        field(line, "0", 7);
        field(line, "-1", 10);
        field(line, "0", 10);
    }
    field(line, r[sAq] != 0.0 || ision(e.name) ? fixedtext(r[sAq], 4) : "0", 8);
    if (r[sBWn] > 0.5) {
        field(line, fixedtext(r[sBWdH], 2), 7);
        field(line, fixedtext(r[sBWdHv], 4), 7);
        field(line, fixedtext(r[sBWW], 2), 7);
        field(line, fixedtext(r[sBWWv], 4), 7);
        field(line, whole(r[sBWn], 0), 6);
        field(line, fixedtext(r[sBWfac], 2), 7);
    } else {
        for (const char* v : {"0", "0", "0", "0"}) field(line, v, 7);
        field(line, "-1", 6);
        field(line, "0", 7);
    }
    for (int k = 1; k <= maxelements; ++k) {
        field(line, k <= e.nel ? inttext(e.elcode[k]) : "0", 5);
        field(line, k <= e.nel ? fixedtext(e.elamount[k], 4) : "0", 9);
    }
    csvwrite(line + "\n");
}

// The fourth line of a record ends with its ordering or aqueous term.
void extragroup(std::string& s, const FitEm& e)
{
    const TdRow& r = e.row;
    if (r[sSmax] > 0.0) {
        s += "    1";
        apart(s, whole(r[sTc], 7));
        apart(s, num(r[sSmax], 10, 5));
        apart(s, num(r[sVmax], 10, 4));
    } else if (r[sAq] != 0.0 || ision(e.name)) {
        s += "   -1";
        apart(s, num(r[sAq], 8, 4));
    } else if (r[sBWn] > 0.5) {
        s += "    2";
        apart(s, num(r[sBWdH], 7, 2));
        apart(s, num(r[sBWdHv], 7, 4));
        apart(s, num(r[sBWW], 7, 2));
        apart(s, num(r[sBWWv], 7, 4));
        apart(s, whole(r[sBWn], 6));
        apart(s, num(r[sBWfac], 7, 2));
    } else {
        s += "    0";
    }
}

void writerecord(std::FILE* f, int i)
{
    const FitEm& e = fit.tda[i];
    const TdRow& r = e.row;
    std::string s;
    runio::addfield(thermodata::ds.dsemname[i], 8, s);
    apart(s, num(e.code, 4));
    for (int k = 1; k <= e.nel; ++k) {
        apart(s, num(e.elcode[k], 3));
        apart(s, num(e.elamount[k], 9, 4));
    }
    s += "  0\n";
    s += num(lsq.theta[i], 17, 2);
    apart(s, num(r[sS], 10, 5));
    apart(s, num(r[sV], 9, 4));
    s += "\n    ";
    apart(s, num(r[sCpa], 11, 4));
    apart(s, num(r[sCpb], 15, 9));
    apart(s, num(r[sCpc], 10, 1));
    apart(s, num(r[sCpd], 10, 4));
    s += "\n";
    apart(s, num(r[sAlpha0], 18, 7));
    apart(s, num(r[sKappa0], 9, 2));
    apart(s, num(r[sKappa0p], 9, 2));
    apart(s, num(r[sKappa0pp], 11, 5));
    if (isliquid(e.name) || r[sDkappadT] < 0.0) apart(s, num(r[sDkappadT], 11, 5));
    extragroup(s, e);
    write(f, s + "\n");
}

// The check value, then the upper triangle of the covariance of the fitted
// enthalpies, entry after entry, with a line end once a line holds more than
// 120 characters (counted from after the check value).
void writecovariance(std::FILE* f, int n, const std::string& checkvalue)
{
    int count = 0;
    std::string s = checkvalue;
    for (int i = 1; i <= n; ++i) {
        for (int j = i; j <= n; ++j) {
            if (count > 120) {
                s += "\n";
                count = 0;
            }
            const double v = lsq.sigfit2 * lsq.xxat(i, j);
            if (std::fabs(v) < 5e-5) {
                s += " 0";
                count += 2;
                continue;
            }
            const double a = std::trunc(std::fabs(v) * 1e4) / 1e4;
            int w = a < 1.0 ? 7 : a < 10.0 ? 8 : a < 100.0 ? 9 : a < 1000.0 ? 10 : a < 10000.0 ? 11 : a < 100000.0 ? 12 : 16;
            if (v < 0.0) ++w;
            const std::size_t before = s.size();
            apart(s, num(v, w, 4));
            count += static_cast<int>(s.size() - before);
        }
    }
    write(f, s);
}

std::string label(const FitEm& e, int k) { return "% " + cleanlabel(e.label[k]); }

}  // namespace

std::string cleanlabel(const std::string& label)
{
    if (label.size() <= 1) return "";
    std::string s = runio::trim(label);
    if (!s.empty() && s.front() == '{') {
        s.erase(0, 1);
        if (!s.empty() && s.back() == '}') s.pop_back();
    }
    if (!s.empty() && s.front() == '%') s.erase(0, 2);
    return s;
}

void writeds()
{
    using runio::putstr;
    const int n = fit.ntda;
    thermodata::ds.ndsem = n;
    std::FILE* f = createdatafile("pm-ds", runio::files.scriptsuffix + ".txt");
    const std::string name = runio::files.filename;
    putstr(1, "writing data to \"" + name + "\"", 1, runio::msl);
    // The dataset reader takes the first 8 characters of a name.
    for (int i = 1; i <= n; ++i)
        if (fit.tda[i].name.size() > static_cast<std::size_t>(dsnamelen))
            putstr(0, "the name " + fit.tda[i].name + " is longer than " + inttext(dsnamelen) +
                          " characters: a dataset reader will not read it back",
                   1, runio::msl);

    write(f, num(n, 4) + "    don't fiddle with the numbers: you'll BREAK the dataset...\n  \n" +
                 num(thermodata::ds.dsmode, 1) + "\n");
    for (int i = 1; i <= n; ++i) writerecord(f, i);
    double check = 0.0;
    for (int i = 1; i <= n; ++i) {
        const TdRow& r = fit.tda[i].row;
        check += (lsq.theta[i] - 1000.0 * r[sS] + 5.0 * r[sV]) / 10000.0;
    }
    writecovariance(f, n, "\n" + num(n > 0 ? -check / n : 0.0, 8, 4));
    const double sigfit = std::sqrt(lsq.sigfit2);
    write(f, "\n\n" + name + " produced at " + runio::run.datetext + " (sigfit = " + num(sigfit, 6, 3) + ")\n");
    runio::closedatafile(f, name, datafault);

    csvheader();
    for (int i = 1; i <= n; ++i) csvrow(i);
    putstr(1, "PETRAMONDO running at " + runio::run.datetext + " using " + thermodata::ds.dstitle, 1, runio::mcsv);
}

void writeemfile()
{
    const int n = fit.ntda;
    thermodata::ds.ndsem = n;
    std::FILE* f = createdatafile("ds-em", fitopts.emsuffix + "-i.txt");
    // The two heading lines the end-member file reader expects: the dataset
    // mode, and a line it passes over.
    write(f, inttext(thermodata::ds.dsmode) + "    dataset mode\n" + "end-members of the fit written by " +
                 runio::run.progname + " running at " + runio::run.datetext + "\n");
    for (int i = 1; i <= n; ++i) {
        const FitEm& e = fit.tda[i];
        const TdRow& r = e.row;
        std::string s = e.name + runio::spaces(std::max(1, 8 - static_cast<int>(e.name.size()))) + e.description;
        s += "\n  ";
        for (int k = 1; k <= e.nel; ++k) {
            apart(s, num(e.elcode[k], 2));
            apart(s, exact(e.elamount[k], 8, 2));
            s += "   ";
        }
        s += "  0";
        apart(s, num(e.code, 4));
        apart(s, num(e.atoms, 4));
        s += "\n";
        if (e.sdhread >= freesd) {
            s += exact(r[sH], 10, 2) + "     100";
        } else {
            s += exact(e.hread, 10, 2);
            apart(s, exact(e.sdhread, 8, 2));
        }
        apart(s, num(e.kind, 4));
        s += runio::spaces(28) + label(e, 1) + "\n";
        s += exact(r[sS], 10, 5);
        apart(s, exact(e.sds, 10, 5));
        s += runio::spaces(30) + label(e, 2) + "\n";
        s += exact(r[sV], 10, 4) + runio::spaces(40) + label(e, 3) + "\n";
        s += exact(r[sCpa], 9, 4);
        apart(s, exact(r[sCpb], 15, 9));
        apart(s, exact(r[sCpc], 10, 1));
        apart(s, exact(r[sCpd], 10, 4));
        s += "      " + label(e, 4) + "\n";
        s += exact(r[sAlpha0], 12, 7) + runio::spaces(38) + label(e, 5) + "\n";
        s += exact(r[sKappa0], 9, 2);
        apart(s, exact(r[sKappa0p], 6, 2));
        apart(s, exact(r[sKappa0pp], 10, 4));
        if (isliquid(e.name)) {
            apart(s, exact(r[sDkappadT], 10, 5));
            s += runio::spaces(15);
        } else {
            s += runio::spaces(25);
        }
        s += label(e, 6) + "\n";
        switch (e.kind) {
        case klandau:
            s += exact(r[sTc], 6, 0);
            apart(s, exact(r[sSmax], 9, 5));
            apart(s, exact(r[sVmax], 8, 4));
            s += runio::spaces(27) + label(e, 7) + "\n";
            break;
        case kaqueous: s += exact(r[sAq], 8, 4) + runio::spaces(42) + label(e, 7) + "\n"; break;
        case kbraggwilliams:
            s += exact(r[sBWdH], 7, 2);
            apart(s, exact(r[sBWdHv], 7, 4));
            apart(s, exact(r[sBWW], 7, 2));
            apart(s, exact(r[sBWWv], 7, 4));
            apart(s, whole(r[sBWn], 6));
            apart(s, exact(r[sBWfac], 7, 2));
            s += runio::spaces(9) + label(e, 7) + "\n";
            break;
        default: break;
        }
        write(f, s + "\n");
    }
    write(f, "*\n");
    runio::closedatafile(f, runio::files.filename, datafault);
}

}  // namespace dsfit
