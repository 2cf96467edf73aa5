// The reactions among the working end-members of a calculation, as the null
// space of their composition matrix, with a divisor per reaction and the
// reports of them.
#include <cmath>

#include "calcwindows/calcwindows.h"
#include "numerics/numerics.h"
#include "runio/scriptset.h"

namespace calcwindows {

namespace {

using runio::addfield;
using runio::addrealshort;
using runio::putstr;

// A row of a brace list: "{" after the opening text, entries of 3 columns
// separated by ", ", then "}," or, on the last row, "}" and the closing "};".
template <class Entry>
void bracerow(std::string& buffer, int count, Entry entry, bool last, std::uint32_t mask)
{
    addfield("{", 0, buffer);
    for (int k = 1; k <= count; ++k) {
        if (k > 1) addfield(", ", 0, buffer);
        addrealshort(entry(k), 3, buffer);
    }
    if (!last) {
        addfield("},", 0, buffer);
        putstr(0, buffer, 1, mask);
        buffer.clear();
    } else {
        addfield("}};", 0, buffer);
        putstr(0, buffer, 2, mask);
    }
}

// The lists the companion drawing program reads: names, compositions by
// end-member, the component multipliers and the reactions.
void writebracelists()
{
    const auto& ems = thermodata::ems;
    const auto& comps = thermodata::comps;
    const int nem = ems.nem;
    std::string& l3 = runio::chans.line3;
    putstr(0, "", 2, runio::mpx);

    l3 = "name = {";
    for (int j = 1; j <= nem; ++j) addfield("\"" + ems.emname[j] + "\"" + (j < nem ? "," : "};"), 0, l3);
    putstr(0, l3, 2, runio::mpx);

    l3 = "c =   {";
    for (int j = 1; j <= nem; ++j) {
        if (j > 1) l3 = "       ";
        bracerow(l3, comps.ncomp, [&](int i) { return static_cast<double>(comps.c[i][j]); }, j == nem, runio::mpx);
    }

    l3 = "div =  {";
    for (int i = 1; i <= comps.ncomp; ++i) {
        if (i > 1) addfield(", ", 0, l3);
        addrealshort(static_cast<double>(comps.compmult[i]), 3, l3);
    }
    addfield("};", 0, l3);
    putstr(0, l3, 2, runio::mpx);

    l3 = "(*";
    for (int j = 1; j <= nem; ++j) addfield(ems.emname[j], 5, l3);
    addfield("*)", 5, l3);
    putstr(0, l3, 2, runio::mpx);

    l3 = "re = {";
    for (int i = 1; i <= rxns.nrxn; ++i) {
        if (i > 1) l3 = "      ";
        bracerow(l3, nem, [&](int k) { return static_cast<double>(rxns.r[i][k]); }, i == rxns.nrxn, runio::mpx);
    }
}

void writenoreactions()
{
    const auto& ems = thermodata::ems;
    const auto& comps = thermodata::comps;
    std::string& l = runio::chans.line;
    putstr(1, "** no reactions", 2, runio::msol);
    writecmatrix();
    for (int j = 1; j <= ems.nem; ++j) {
        l.clear();
        addfield(ems.emname[j], -6, l);
        for (int i = 1; i <= comps.ncomp; ++i) addrealshort(comps.c[i][j], 4, l);
        putstr(0, l, 1, runio::msol);
    }
    l.clear();
    for (int i = 1; i <= comps.ncomp; ++i) addrealshort(static_cast<double>(comps.compmult[i]), 4, l);
    putstr(1, l, 1, runio::msol);
}

}  // namespace

void writereactionlists(bool& anyreactions)
{
    const auto& ems = thermodata::ems;
    const auto& comps = thermodata::comps;
    rxns.nrxn = 0;
    numerics::IntMatrix a(comps.ncomp + 1);
    for (int i = 1; i <= comps.ncomp; ++i)
        for (int j = 1; j <= ems.nem; ++j) a[i][j] = comps.c[i][j];
    numerics::nullspace(a, comps.ncomp, ems.nem);

    // The residual of a reaction is divided by about half the number of
    // atoms-on-sites it moves, so that large and small reactions weigh alike
    // in the solver.
    for (int i = 1; i <= rxns.nrxn; ++i) {
        double pos = 0.0, neg = 0.0;
        for (int j = 1; j <= ems.nem; ++j) {
            const double t = static_cast<double>(ems.emcode[j]) * rxns.r[i][j];
            if (rxns.r[i][j] > 0)
                pos += t;
            else
                neg += t;
        }
        const double d = std::nearbyint((pos - neg) * 0.5);
        rxns.rxndiv[i] = d < 1.0 ? 1 : static_cast<int>(d);
    }

    if (rxns.nrxn > 0 && runio::scriptset.incnler == 0) writebracelists();
    if (rxns.nrxn == 0 && !runio::scriptflags.dogminon) writenoreactions();
    anyreactions = rxns.nrxn > 0;
}

void writecmatrix()
{
    const auto& ems = thermodata::ems;
    const auto& comps = thermodata::comps;
    std::string& l4 = runio::chans.line4;
    l4 = runio::spaces(6);
    for (int i = 1; i <= comps.ncomp; ++i) addfield(comps.compname[i], 6, l4);
    putstr(1, l4, 1, runio::mic);
    for (int j = 1; j <= ems.nem; ++j) {
        l4.clear();
        addfield(ems.emname[j], -6, l4);
        for (int i = 1; i <= comps.ncomp; ++i) addrealshort(comps.c[i][j], 6, l4);
        putstr(0, l4, 1, runio::mic);
    }
    l4 = "div   ";
    for (int i = 1; i <= comps.ncomp; ++i) addrealshort(static_cast<double>(comps.compmult[i]), 6, l4);
    putstr(0, l4, 2, runio::mic);

    l4 = "c =   {";
    for (int k = 1; k <= comps.ncomp; ++k) {
        if (k > 1) l4 = "       ";
        bracerow(l4, ems.nem, [&](int j) { return static_cast<double>(comps.c[k][j]); }, k == comps.ncomp,
                 runio::mic);
    }
}

}  // namespace calcwindows
