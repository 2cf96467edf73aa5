// Calculation mode 0: tables of the thermodynamic data of the end-members of
// the chosen phases. The property table on screen, output file and log, the
// same data as lists for the drawing program, a dataset-style csv table, the
// Gibbs energies on a P-T grid, and then, as the user asks, the linearised
// reaction thermodynamics or the fugacity tables.
#include <cmath>
#include <cstdio>

#include "axmodels/axmodels.h"
#include "emcalcs/emcalcs.h"
#include "numerics/numerics.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"
#include "script/script.h"

namespace emcalcs {

namespace {

using runio::addfield;
using runio::addreal;
using runio::addrealshort;
using runio::putstr;
using thermodata::TdRow;
using thermodata::ds;
using thermodata::ems;
namespace td = thermodata;

constexpr bool fixed = true, significant = false;

const TdRow& row(int k) { return ems.td[k]; }

// A whole number, from a real held in a data slot.
double whole(double x) { return std::nearbyint(x); }

// The recipe of a made end-member, or nullptr for an ordinary one.
const axmodels::MakeRecipe* recipeof(int k)
{
    if (!ds.dsnew) return nullptr;
    const TdRow& r = row(k);
    const int entry = static_cast<int>(std::nearbyint(r[td::sEntry]));
    if (entry == 0) return nullptr;
    const int phase = static_cast<int>(std::nearbyint(r[td::sPhase]));
    return &axmodels::reciperef(phase, entry);
}

bool endswith(const std::string& name, char ch) { return !name.empty() && name.back() == ch; }
bool isliquid(const std::string& name) { return endswith(name, 'L'); }
bool ision(const std::string& name) { return endswith(name, '+') || endswith(name, '-'); }

// ---------------------------------------------------------------- the property table

// The columns of an end-member's own data after its name, H, S and V.
void datacolumns(const TdRow& r, std::string& line)
{
    addreal(r[td::sCpa], 4, fixed, 8, line);
    addreal(r[td::sCpb] * 1e5, 4, fixed, 9, line);
    addreal(r[td::sCpc], 1, fixed, 10, line);
    addreal(r[td::sCpd], 4, fixed, 9, line);
    addreal(r[td::sAlpha0] * 1e5, 3, significant, 7, line);
    if (!ds.dsnew) {
        addreal(r[td::sKappa0], 2, fixed, 7, line);
        addrealshort(whole(r[td::sKappa0pp]), 7, line);
        addreal(r[td::sTheta], 2, fixed, 7, line);
        addreal(r[td::sDkappadT], 4, fixed, 9, line);
    } else {
        // A liquid (dK/dT < 0) has no Einstein temperature; an aqueous
        // species shows its heat-capacity term in the dK/dT column.
        if (r[td::sDkappadT] < 0.0)
            addfield(" ", 7, line);
        else
            addrealshort(whole(r[td::sTheta]), 7, line);
        addrealshort(whole(r[td::sKappa0]), 7, line);
        addreal(r[td::sKappa0p], 2, fixed, 7, line);
        addreal(r[td::sKappa0pp], 4, fixed, 9, line);
        if (r[td::sDkappadT] < 0.0)
            addreal(r[td::sDkappadT], 4, fixed, 9, line);
        else if (r[td::sAq] == 0.0)
            addfield("", 9, line);
        else
            addreal(r[td::sAq], 2, fixed, 9, line);
    }
    if (r[td::sSmax] > 0.0) {
        addreal(r[td::sTc], 0, fixed, 7, line);
        addreal(r[td::sSmax] * 1000.0, 1, fixed, 7, line);
        addreal(r[td::sVmax], 4, fixed, 7, line);
    } else if (r[td::sBWn] > 0.0) {
        addreal(r[td::sBWdH], 2, fixed, 7, line);
        addreal(r[td::sBWdHv], 3, fixed, 7, line);
        addreal(r[td::sBWW], 2, fixed, 7, line);
        addreal(r[td::sBWWv], 3, fixed, 7, line);
        addreal(r[td::sBWfac], 2, fixed, 7, line);
        addrealshort(whole(r[td::sBWn]), 4, line);
    }
}

void hsv(const TdRow& r, std::string& line)
{
    addreal(r[td::sH], 2, fixed, 11, line);
    addreal(r[td::sS] * 1000.0, 2, fixed, 8, line);
    addreal(r[td::sV], 3, fixed, 8, line);
}

void propertytable()
{
    std::string& line = runio::chans.line;
    putstr(2, "Thermodynamic properties (units : kJ, K, kbar)", 1, runio::msol);
    if (ds.dsnew) putstr(0, "(for \"make\": DQF and the thermo of what they are made from)", 2, runio::msol);
    line.clear();
    for (const auto& [text, width] : std::initializer_list<std::pair<const char*, int>>{
             {" ", 7}, {"H", 12}, {"S", 8}, {"V", 7}, {"a", 9}, {"b", 9}, {"c", 10}, {"d", 9}})
        addfield(text, width, line);
    if (!ds.dsnew) {
        for (const auto& [text, width] : std::initializer_list<std::pair<const char*, int>>{
                 {"a1", 7}, {"a2", 7}, {"K", 7}, {"K'", 7}, {"dK/dT", 9}})
            addfield(text, width, line);
    } else {
        for (const auto& [text, width] : std::initializer_list<std::pair<const char*, int>>{
                 {"a0", 7}, {"theta", 7}, {"K0", 7}, {"K0'", 7}, {"K0''", 9}, {"dK/dT", 9}})
            addfield(text, width, line);
    }
    for (const char* text : {"Tc", "Smax", "Vmax"}) addfield(text, 7, line);
    putstr(0, line, 1, runio::msol);
    if (ds.dsnew) {
        line.clear();
        addfield("", 108, line);
        addfield("aqcp", 9, line);
        for (const char* text : {"dh", "dhv", "w", "wv", "fac"}) addfield(text, 7, line);
        addfield("n", 4, line);
        putstr(0, line, 1, runio::msol);
    }

    for (int k = 1; k <= ems.nem; ++k) {
        const TdRow& r = row(k);
        line.clear();
        addfield(ems.emname[k], -8, line);
        hsv(r, line);
        const axmodels::MakeRecipe* mk = recipeof(k);
        if (mk == nullptr) {
            datacolumns(r, line);
        } else {
            // The DQF line, then one line per constituent with its own data.
            putstr(0, line, 1, runio::msol);
            for (int c = 1; c <= mk->count; ++c) {
                const int w = mk->pos[c];
                line = "   ";
                addfield(ems.emname[w], 5, line);
                hsv(row(w), line);
                datacolumns(row(w), line);
                if (c < mk->count) putstr(0, line, 1, runio::msol);
            }
        }
        putstr(0, line, 1, runio::msol);
    }
}

// ---------------------------------------------------------------- lists for the drawing program

// One entry "key[name] ^= value" and its terminator.
void entry(const char* key, const std::string& nm, const std::string& value, const char* end, std::string& line)
{
    addfield(std::string(key) + nm + "] ^= " + value + end, 0, line);
}

std::string dec(double x, int n) { return runio::realstr(x, n, fixed); }
std::string sig(double x, int n) { return runio::realstr(x, n, significant); }
std::string shortwhole(double x) { return runio::realstrshort(whole(x)); }

// The amount of component j in end-member k, c / compmult, as a reduced fraction.
std::string amounttext(int j, int k)
{
    const long long c = thermodata::comps.c[j][k];
    const long long m = thermodata::comps.compmult[j];
    if (c == 0 || m == 1) return runio::inttext(c);
    long long a = c < 0 ? -c : c, b = m;
    while (b != 0) {
        const long long r = a % b;
        a = b;
        b = r;
    }
    if (a == m) return runio::inttext(c / a);
    if (a == 1) return runio::inttext(c) + "/" + runio::inttext(m);
    return runio::inttext(c / a) + "/" + runio::inttext(m / a);
}

void drawinglists()
{
    std::string& line3 = runio::chans.line3;
    line3 = "endmembers = {";
    for (int k = 1; k <= ems.nem; ++k) {
        if (k > 1) addfield(", ", 0, line3);
        addfield(ems.emname[k], 0, line3);
    }
    addfield("};", 0, line3);
    putstr(1, line3, 2, runio::mpx);

    for (int k = 1; k <= ems.nem; ++k) {
        const std::string& nm = ems.emname[k];
        const TdRow& r = row(k);
        auto write = [&](int after) {
            putstr(0, line3, after, runio::mpx);
            line3.clear();
        };
        line3.clear();
        entry("name[", nm, "\"" + nm + "\"", ";  ", line3);
        std::string comp = "{";
        for (int j = 1; j <= thermodata::comps.ncomp; ++j) comp += (j > 1 ? ", " : "") + amounttext(j, k);
        entry("comp[", nm, comp + "}", ";", line3);
        write(1);
        entry("enthalpy[", nm, dec(r[td::sH], 2), ";  ", line3);
        entry("entropy[", nm, dec(r[td::sS], 5), ";  ", line3);
        entry("volume[", nm, dec(r[td::sV], 4), ";", line3);
        write(1);
        entry("cpa[", nm, dec(r[td::sCpa], 4), ";  ", line3);
        entry("cpb[", nm, dec(r[td::sCpb] * 1e5, 4), " 10^-5;  ", line3);
        entry("cpc[", nm, dec(r[td::sCpc], 1), ";  ", line3);
        entry("cpd[", nm, dec(r[td::sCpd], 4), ";  ", line3);
        write(1);
        if (!ds.dsnew) {
            entry("alpha1[", nm, sig(r[td::sAlpha0] * 1e5, 3), " 10^-5;  ", line3);
            entry("alpha2[", nm, dec(r[td::sKappa0], 2), ";", line3);
            write(1);
            entry("kappa[", nm, shortwhole(r[td::sKappa0pp]), ";  ", line3);
            entry("kappaprime[", nm, sig(r[td::sTheta], 2), ";  ", line3);
            entry("dkappadT[", nm, sig(r[td::sDkappadT], 4), ";", line3);
            write(1);
        } else {
            entry("alpha0[", nm, sig(r[td::sAlpha0] * 1e5, 3), " 10^-5;   ", line3);
            if (r[td::sDkappadT] == 0.0) entry("theta[", nm, dec(r[td::sTheta], 2), ";  ", line3);
            write(1);
            entry("kappa0[", nm, dec(r[td::sKappa0], 2), ";  ", line3);
            entry("kappa0p[", nm, sig(r[td::sKappa0p], 3), ";  ", line3);
            entry("kappa0pp[", nm, sig(r[td::sKappa0pp], 4), ";  ", line3);
            if (r[td::sDkappadT] < 0.0) entry("dkappa0dt[", nm, sig(r[td::sDkappadT], 4), ";", line3);
            write(1);
        }
        if (r[td::sSmax] > 0.0) {
            entry("landaut[", nm, shortwhole(r[td::sTc]), ";  ", line3);
            entry("smax[", nm, dec(r[td::sSmax], 5), ";  ", line3);
            entry("vmax[", nm, dec(r[td::sVmax], 4), ";", line3);
        } else {
            entry("landaut[", nm, "0", ";  ", line3);
            entry("smax[", nm, "-0.001", ";  ", line3);
            entry("vmax[", nm, "0", ";", line3);
        }
        write(1);
        if (r[td::sBWn] > 0.5) {
            entry("sfdh[", nm, dec(r[td::sBWdH], 2), ";  ", line3);
            entry("sfdhv[", nm, dec(r[td::sBWdHv], 4), ";  ", line3);
            entry("sfw[", nm, dec(r[td::sBWW], 2), ";  ", line3);
            entry("sfwv[", nm, dec(r[td::sBWWv], 4), ";  ", line3);
            entry("sfn[", nm, shortwhole(r[td::sBWn]), ";  ", line3);
            entry("sffac[", nm, dec(r[td::sBWfac], 4), ";  ", line3);
        } else {
            for (const char* key : {"sfdh[", "sfdhv[", "sfw[", "sfwv[", "sfn[", "sffac["}) entry(key, nm, "0", ";  ", line3);
        }
        write(2);
    }
}

// ---------------------------------------------------------------- the csv table

// Fields of the table, each right-aligned in its heading's width and
// followed by ", ".
struct CsvColumn {
    const char* heading;
    int width;
};
constexpr runio::Arr<CsvColumn, 27> csvcolumns = {{{
    {"name", 8},  {"nd", 4},        {"coeff", 6},  {"action", 6},   {"H", 12},    {"S", 10},
    {"V", 9},     {"cpa", 11},      {"cpb", 15},   {"cpc", 10},     {"cpd", 10},  {"alpha0", 18},
    {"kappa0", 9}, {"kappa0p", 9},  {"kappa0pp", 11}, {"theta", 5}, {"dkappa0dt", 11}, {"landaut", 7},
    {"smax", 10}, {"vmax", 10},     {"aqcp", 8},   {"sfdh", 7},     {"sfdhv", 7}, {"sfw", 7},
    {"sfwv", 7},  {"sfn", 6},       {"sffac", 7},
}}};

struct CsvRow {
    std::string text;
    std::size_t column = 0;
    void add(const std::string& field, int width = 0)
    {
        const int w = width != 0 ? width : csvcolumns[column].width;
        if (static_cast<int>(field.size()) < w) text += runio::spaces(w - static_cast<int>(field.size()));
        text += field + ", ";
        ++column;
    }
};

void csvwrite(const std::string& text)
{
    if ((runio::chans.chanset & runio::mcsv) != 0) runio::chanwrite(runio::chcsv, text);
}

std::string integer(double x) { return runio::wholetext(std::nearbyint(x)); }

// The data fields of an end-member of its own (or of a constituent, which
// differs only in theta and in the fields of absent ordering terms).
void csvdata(const TdRow& r, const std::string& name, bool constituent, CsvRow& row)
{
    row.add(fixedtext(r[td::sH], 2));
    row.add(fixedtext(r[td::sS], 5));
    row.add(fixedtext(r[td::sV], 4));
    row.add(fixedtext(r[td::sCpa], 4));
    row.add(fixedtext(r[td::sCpb], 9));
    row.add(fixedtext(r[td::sCpc], 1));
    row.add(fixedtext(r[td::sCpd], 4));
    row.add(fixedtext(r[td::sAlpha0], 7));
    row.add(fixedtext(r[td::sKappa0], 2));
    row.add(fixedtext(r[td::sKappa0p], 2));
    row.add(fixedtext(r[td::sKappa0pp], 5));
    row.add(integer(r[td::sTheta]));
    row.add(r[td::sDkappadT] < 0.0 || isliquid(name) ? fixedtext(r[td::sDkappadT], 5) : "0");
    if (r[td::sSmax] > 0.0) {
        row.add(integer(r[td::sTc]));
        row.add(fixedtext(r[td::sSmax], 5));
        row.add(fixedtext(r[td::sVmax], 4));
    } else {
        row.add("0");
        row.add(constituent ? "-1" : "-0.001");
        row.add("0");
    }
    row.add(r[td::sAq] != 0.0 || ision(name) ? fixedtext(r[td::sAq], 4) : "0");
    if (r[td::sBWn] > 0.5) {
        row.add(fixedtext(r[td::sBWdH], 2));
        row.add(fixedtext(r[td::sBWdHv], 4));
        row.add(fixedtext(r[td::sBWW], 2));
        row.add(fixedtext(r[td::sBWWv], 4));
        row.add(integer(r[td::sBWn]));
        row.add(fixedtext(r[td::sBWfac], 2));
    } else if (constituent) {
        for (const char* f : {"0", "0", "0", "0", "-0.001", "0"}) row.add(f);
    } else {
        for (int i = 0; i < 6; ++i) row.add("0");
    }
}

std::string coefftext(int num, int divisor)
{
    if (divisor == 1) return runio::inttext(num);
    if (num == divisor) return "1";
    if (num == -divisor) return "-1";
    return runio::realstrshort(num) + "/" + runio::realstrshort(divisor);
}

// The action word of a constituent as the dataset's make lines code it.
const char* actioncode(int kind)
{
    switch (kind) {
    case 0: return "2";
    case 1: return "0";
    case 2: return "1";
    default: return "-1";
    }
}

void csvtable()
{
    CsvRow heading;
    for (const CsvColumn& c : csvcolumns) heading.add(c.heading);
    csvwrite(heading.text + "\n");
    for (int k = 1; k <= ems.nem; ++k) {
        const std::string& nm = ems.emname[k];
        const TdRow& r = row(k);
        const axmodels::MakeRecipe* mk = recipeof(k);
        CsvRow line;
        line.add(nm);
        line.add(runio::inttext(mk == nullptr ? 0 : mk->count));
        line.add("0");
        line.add("-1");
        if (mk == nullptr) {
            csvdata(r, nm, false, line);
            csvwrite(line.text + "\n");
            continue;
        }
        line.add(fixedtext(r[td::sH], 4));
        line.add(fixedtext(r[td::sS], 7));
        line.add(fixedtext(r[td::sV], 6));
        while (line.column < csvcolumns.size()) line.add("0");
        csvwrite(line.text + "\n");
        for (int c = 1; c <= mk->count; ++c) {
            const int w = mk->pos[c];
            const std::string& cn = ems.emname[w];
            CsvRow crow;
            crow.add(cn);
            crow.add("-1");
            crow.add(coefftext(mk->num[c], mk->divisor));
            crow.add(actioncode(mk->kind[c]));
            csvdata(row(w), cn, true, crow);
            csvwrite(crow.text + "\n");
        }
    }
    putstr(1, "PETRAMONDO running at " + runio::run.datetext + " using " + ds.dstitle, 1, runio::mcsv);
}

}  // namespace

std::string fixedtext(double x, int n)
{
    if (!std::isfinite(x) || std::fabs(x) >= 1e15) return runio::realstr(x, n, fixed);
    if (std::fabs(x) < 1e-12) return "0";
    // The fraction of a double below 1e15 is exact, so only its scaling rounds.
    const double a = std::fabs(x);
    double ip = std::trunc(a);
    const double scale = runio::tenpower(n);
    double fp = std::nearbyint((a - ip) * scale);
    if (fp >= scale) {
        ip += 1.0;
        fp -= scale;
    }
    std::string text = runio::inttext(static_cast<long long>(ip));
    if (n > 0) {
        std::string frac = runio::inttext(static_cast<long long>(fp));
        text += "." + runio::spaces(n - static_cast<int>(frac.size())) + frac;
        for (char& ch : text)
            if (ch == ' ') ch = '0';
    }
    return x < 0.0 ? "-" + text : text;
}

void thermotable()
{
    propertytable();
    drawinglists();
    csvtable();
    PTgrid();
    gibbstables();
    furthertables();
}

void tablecalcs()
{
    thermodata::readds(1);
    script::readscripts();
    axmodels::setupphases();
    extractem();
    thermodata::findspecials();
    thermotable();
}

}  // namespace emcalcs
