// The fit's end-member file: every end-member with its data, the
// uncertainties of its enthalpy and entropy, and the label after each value
// line, read into the fit's records in file order.
#include <algorithm>
#include <cmath>

#include "dsfit/dsfit.h"
#include "dsfit/fitread.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace dsfit {

namespace {

using namespace thermodata;   // the slots of a data row


void readformula(FitEm& e)
{
    for (;;) {
        const int code = readint("element code");
        if (code == 0) break;
        // The components of an experiment's phases are built from the
        // oxide-table entries of the formulae.
        if (code < 0 || code > runio::noxides)
            runio::bomb("readth", "element code " + runio::inttext(code) + " of " + place.who + " in " + quotedname() +
                                      " is not an entry of the oxide table (1 to 19)",
                        0);
        if (e.nel == maxelements)
            runio::bomb("readth", "too many elements in the formula of " + place.who + runio::maxlabel(maxelements) +
                                      "-> increase maxelements", 0);
        ++e.nel;
        e.elcode[e.nel] = code;
        e.elamount[e.nel] = readreal("amount of element " + runio::inttext(code));
    }
    e.code = readint("dataset code");
    e.atoms = readint("number of atoms");
    runio::skipline(runio::files.infile);
}

void readvalues(FitEm& e)
{
    TdRow& r = e.row;
    r[sH] = readreal("H");
    e.sdh = readreal("sd(H)");
    e.kind = readint("kind");
    if (e.kind < kdrop || e.kind > kbraggwilliams)
        runio::bomb("readth", "the kind " + runio::inttext(e.kind) + " of " + place.who + " is not one of 0 to 4", 0);
    e.label[1] = readrest();
    r[sS] = readreal("S");
    e.sds = readreal("sd(S)");
    e.label[2] = readrest();
    r[sV] = readreal("V");
    e.label[3] = readrest();
    r[sCpa] = readreal("heat capacity a");
    r[sCpb] = readreal("heat capacity b");
    r[sCpc] = readreal("heat capacity c");
    r[sCpd] = readreal("heat capacity d");
    e.label[4] = readrest();
    r[sAlpha0] = readreal("alpha0");
    e.label[5] = readrest();
    r[sKappa0] = readreal("kappa0");
    r[sKappa0p] = readreal("kappa0'");
    r[sKappa0pp] = readreal("kappa0''");
    if (isliquid(e.name)) r[sDkappadT] = readreal("dkappa0/dT");
    e.label[6] = readrest();
    switch (e.kind) {
    case klandau:
        r[sTc] = readreal("Landau Tc");
        r[sSmax] = readreal("Landau Smax");
        r[sVmax] = readreal("Landau Vmax");
        if (!legallandautc(r[sTc], r[sSmax]))
            runio::bomb("readth", "the Landau critical temperature " + runio::realstrshort(r[sTc]) + " K of " +
                                      place.who + " in " + quotedname() + " must be above 298.15 K", 0);
        e.label[7] = readrest();
        break;
    case kaqueous:
        r[sAq] = readreal("aqueous heat-capacity term");
        e.label[7] = readrest();
        break;
    case kbraggwilliams:
        r[sBWdH] = readreal("Bragg-Williams dH");
        r[sBWdHv] = readreal("Bragg-Williams dHv");
        r[sBWW] = readreal("Bragg-Williams W");
        r[sBWWv] = readreal("Bragg-Williams Wv");
        r[sBWn] = readreal("Bragg-Williams n");
        if (!legalbwn(r[sBWn]))
            runio::bomb("readth", "the Bragg-Williams n of " + place.who + " in " + quotedname() +
                                      " must be a whole number from 1 to " + runio::inttext(maxbwn), 0);
        r[sBWfac] = readreal("Bragg-Williams fac");
        e.label[7] = readrest();
        break;
    default: break;
    }
    // the blank line between records
    runio::skipline(runio::files.infile);
}

// What follows from the values as read: the held values of the iterations,
// the Einstein temperature of a solid, and the terms of the kinds it is not.
void completerecord(FitEm& e)
{
    TdRow& r = e.row;
    if (e.sds <= 0.0) e.sds = 0.001 * r[sS];
    e.hread = r[sH];
    e.sdhread = e.sdh;
    if (isliquid(e.name)) {
        // Liquids have no thermal-pressure term, so their Einstein
        // temperature is never read.
        r[sTheta] = 0.0;
    } else {
        r[sDkappadT] = 0.0;
        if (e.atoms < 1)
            runio::bomb("readth", "the number of atoms of " + place.who +
                                      " must be at least 1: its Einstein temperature is S per atom", 0);
        const double peratom = 1000.0 * r[sS] / e.atoms + 6.44;
        r[sTheta] = peratom > 0.0 ? std::max(10.0, std::round(10636.0 / peratom)) : 10.0;
    }
    if (e.kind != klandau) {
        r[sSmax] = -1.0;
        r[sVmax] = -1.0;
        r[sTc] = 0.0;
    }
    if (e.kind != kbraggwilliams) {
        r[sBWdH] = r[sBWdHv] = r[sBWW] = r[sBWWv] = r[sBWn] = 0.0;
        r[sBWfac] = 1.0;
    }
    if (e.kind != kaqueous) r[sAq] = 0.0;
}

}  // namespace

bool isliquid(const std::string& name) { return !name.empty() && name.back() == 'L'; }

void readth()
{
    using namespace runio;
    TextFile& f = files.infile;
    putstr(1, "reading thermodynamic data", 1, mlog);
    place = {"readth", "the file heading"};
    thermodata::ds.dsmode = readint("dataset mode");
    skipline(f);
    skipline(f);
    fit.ntda = 0;
    Words words;
    FitEm e;
    for (;;) {
        // Past the end of the file every number would read as nothing: a
        // file without its "*" line is cut short.
        if (atend(f)) bomb("readth", "the end-member file " + quotedname() + " ends before its \"*\" line", 0);
        readwords(f, words, true);
        if (words.n >= 1 && words[1] == "*") break;
        const int count = fit.ntda + 1;
        e = FitEm{};
        e.name = str22(words[1]);
        if (words.n == 2)
            e.description = words[2];
        else if (words.n >= 3)
            e.description = str22(words[2] + " " + words[3]);
        putstr(0, "  " + inttext(count) + ")  " + e.name, 1, mlog);
        place.who = e.name.empty() ? "end-member " + inttext(count) : e.name;
        readformula(e);
        readvalues(e);
        completerecord(e);
        if (e.kind == kdrop) continue;
        const std::string eos = thermodata::eosfault(e.row, true, place.who + " in " + quotedname());
        if (!eos.empty()) bomb("readth", eos, 0);
        if (fit.ntda == maxntp) bomb("readth", "too many end-members (increase maxntp)", 0);
        ++fit.ntda;
        fit.tda[fit.ntda] = e;
        thermodata::ds.dsemname[fit.ntda] = e.name;
    }
    std::string line = "number of end-members = ";
    addfield(inttext(fit.ntda), 4, line);
    putstr(1, line, 1, mscreen);
}

}  // namespace dsfit
