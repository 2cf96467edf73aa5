// The fit's end-members as LaTeX tables in the log, ready to be cut out and
// typeset: their formulae, their thermodynamic properties, and the Landau,
// Bragg-Williams, melt and aqueous terms of those that have them.
#include <cmath>
#include <initializer_list>
#include <utility>

#include "dsfit/dsfit.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace dsfit {

namespace {

using namespace thermodata;   // the slots of a data row
using runio::addfield;
using runio::addreal;
using runio::inttext;
using runio::mlog;
using runio::putstr;

constexpr int formularows = 41;    // formula-table rows on a page
constexpr int propertyrows = 40;   // property-table rows on a page
// Element codes (oxide-table entries) in the order a formula lists them:
// Na, K, Ca, Mg, Fe, Mn, Ni, Zr, Cu, Cr, Al, Ti, Si, C, H, S, Cl, O, e.
constexpr int formulaorder[] = {8, 9, 7, 5, 4, 6, 15, 16, 18, 19, 3, 2, 1, 12, 11, 17, 13, 10, 14};
constexpr int elH = 11, elO = 10, elE = 14;

const std::string dashes48 = "% " + std::string(46, '-');
const std::string dashes50 = "% " + std::string(48, '-');


// An amount as a subscript: one decimal when it is not whole, nothing for 1.
std::string count(double a)
{
    const double r = std::nearbyint(a);
    if (std::fabs(a - r) > 0.01) return runio::realstr(a, 1, true);
    if (r == 1.0) return std::string();
    return runio::wholetext(r);
}

std::string subscript(double a) { return "$_{" + count(a) + "}$"; }

std::string formula(const FitEm& e)
{
    runio::Arr<int, 20> el{};
    runio::Arr<double, 20> amount{};
    int n = 0;
    for (int code : formulaorder) {
        double a = 0.0;
        bool has = false;
        for (int j = 1; j <= e.nel; ++j)
            if (e.elcode[j] == code) {
                a += e.elamount[j];
                has = true;
            }
        if (!has) continue;
        ++n;
        el[n] = code;
        amount[n] = a;
    }
    if (n == 0) runio::bomb("latex", "no ox", 0);
    double z = amount[n];
    const bool water = e.name == "H2O" || e.name == "h2oL";
    std::string s;
    for (int k = 1; k <= n; ++k) {
        const std::string symbol = runio::oxtable[el[k]].elname;
        if (k == n - 1 && !water) {
            if (el[k] == elH && el[k + 1] == elO) {
                z -= amount[k];
                if (std::fabs(z) >= 0.001) s += "O" + subscript(z);
                return s + "(OH)" + subscript(amount[k]);
            }
            if (el[k + 1] == elE) {
                s += symbol;
                s += amount[k] == 1.0 ? "$" : "$_{" + runio::wholetext(std::round(amount[k])) + "}";
                const double charge = std::round(std::fabs(z));
                s += "^{" + (charge == 1.0 ? std::string() : runio::wholetext(charge)) + (z > 0.0 ? "-}$" : "+}$");
                return s;
            }
        }
        s += symbol + subscript(amount[k]);
    }
    return s;
}

void endtable() { putstr(0, "\\hline \\end{tabular}", 1, mlog); }

void newpage()
{
    endtable();
    putstr(0, "\\newpage", 2, mlog);
}

void formulatable()
{
    putstr(2, dashes48, 1, mlog);
    putstr(0, "% end-member formulae", 2, mlog);
    for (int i = 1; i <= fit.ntda; ++i) {
        if ((i - 1) % formularows == 0) {
            if (i > 1) newpage();
            putstr(0, "\\begin{tabular}{|p{1.5cm}p{3.5cm}p{4.5cm}|} \\hline", 1, mlog);
        }
        const FitEm& e = fit.tda[i];
        putstr(0, e.name + " & " + e.description + "  & " + formula(e) + " \\\\", 1, mlog);
    }
    endtable();
    putstr(1, dashes50, 1, mlog);
}

void propertyheading()
{
    putstr(0, "\\scriptsize", 1, mlog);
    putstr(0, "\\begin{tabular}{|l|rr|rr|rrrr|rrrr|r|} \\hline", 1, mlog);
    putstr(0,
           fieldline({{"", 8}, {"& $\\Delta_{\\rm f}H$ &", 10}, {"$\\sigma(\\Delta_{\\rm f}H)$ &", 7}, {"$S$ &", 8},
                      {"$V$ &", 8}, {"$C_P$ & & & &", -35}, {"$\\alpha\\, \\kappa$ &", 7}, {" & & & $\\ell$", -23}}) +
               "  \\\\",
           1, mlog);
    putstr(0,
           fieldline({{"", 41}, {"& & & & & a &", 8}, {"b &", 9}, {"c &", 9}, {"d &", 9}, {"$\\alpha_0$ &", 7},
                      {"$\\kappa_0$ &", 8}, {"$\\kappa_0'$ &", 7}, {"$\\kappa_0''$ &", 8}}) +
               "  \\\\ \\hline",
           1, mlog);
}

void propertytable()
{
    putstr(2, dashes48, 1, mlog);
    putstr(0, "% thermodynamic properties (units : kJ, K, kbar)", 2, mlog);
    for (int i = 1; i <= fit.ntda; ++i) {
        if ((i - 1) % propertyrows == 0) {
            if (i > 1) newpage();
            propertyheading();
        }
        const FitEm& e = fit.tda[i];
        const TdRow& r = e.row;
        std::string line;
        addfield(e.name, -8, line);
        propertyfields(e, " & ", line);
        if (r[sSmax] > 0.0)
            line += " &  1";
        else if (r[sBWn] > 0.5)
            line += " &  2";
        else if (e.kind == kaqueous)
            line += " &  3";
        else if (isliquid(e.name))
            line += " &  4";
        else
            line += " & ";
        putstr(0, line + "  \\\\", 1, mlog);
    }
    endtable();
    putstr(1, dashes50, 1, mlog);
}

// One table of a term: its heading, a row for each end-member that has the
// term, and its close.
template <class Has, class Row>
void termtable(const char* tabular, const std::string& heading, Has has, Row row)
{
    putstr(0, "\\scriptsize", 1, mlog);
    putstr(0, tabular, 1, mlog);
    putstr(0, heading + "  \\\\ \\hline", 1, mlog);
    for (int i = 1; i <= fit.ntda; ++i) {
        const FitEm& e = fit.tda[i];
        if (!has(e)) continue;
        std::string line;
        addfield(e.name, -8, line);
        row(e.row, line);
        putstr(0, line + "  \\\\", 1, mlog);
    }
    endtable();
    putstr(1, dashes48, 1, mlog);
}

}  // namespace

void latex()
{
    formulatable();
    propertytable();
    termtable(
        "\\begin{tabular}{|l|rrr|} \\hline",
        fieldline({{"landau & $Tc$ &", 7}, {"$S_{\\rm max}$ &", 7}, {"$V_{\\rm max}$", 7}}),
        [](const FitEm& e) { return e.row[sSmax] > 0.0; },
        [](const TdRow& r, std::string& line) { landaufields(r, " & ", line); });
    termtable(
        "\\begin{tabular}{|l|rrrrrr|} \\hline",
        fieldline({{"sf & $\\Delta H$ &", 7}, {"$\\Delta V$ &", 7}, {"$W$ &", 7}, {"$W_V$ &", 7}, {"$n$ &", 5},
                   {"fac", 5}}),
        [](const FitEm& e) { return e.row[sBWn] > 0.5; },
        [](const TdRow& r, std::string& line) { orderfields(r, " & ", line); });
    termtable(
        "\\begin{tabular}{|l|r|} \\hline", fieldline({{"melt & $d\\kappa_0/dT$", 7}}),
        [](const FitEm& e) { return isliquid(e.name); },
        [](const TdRow& r, std::string& line) {
            line += " & ";
            addreal(r[sDkappadT], 5, true, 10, line);
        });
    termtable(
        "\\begin{tabular}{|l|r|} \\hline", fieldline({{"aq & $C_{P,\\rm aq}$", 7}}),
        [](const FitEm& e) { return e.row[sAq] > 0.0; },
        [](const TdRow& r, std::string& line) {
            line += " & ";
            addreal(r[sAq], 4, true, 8, line);
        });
}

}  // namespace dsfit
