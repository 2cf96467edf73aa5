// What the fit is fitted to: the end-member file, the fit's a-x file, the
// direct-calorimetry rows and the oxide calorimetry of the experiments file
// (whose experiments are read in xpreader.cpp), and the look-ups the readers
// share.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "dsfit/dsfit.h"
#include "dsfit/fitread.h"
#include "runio/runio.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace dsfit {

namespace {

using runio::bomb;
using runio::inttext;

void opendatafile(const std::string& kind, const std::string& suffix, const std::string& what)
{
    std::string s = kind + suffix;
    runio::files.filename = runio::promptdatafile("ds-", s, what, runio::files.infile);
}

// One row with coefficient 1 for each end-member whose enthalpy is known.
void directcalorimetry()
{
    runio::putstr(1, "reading direct calorimetry", 1, runio::mlog);
    int row = 0;
    for (int i = 1; i <= fit.ntda; ++i) {
        const FitEm& e = fit.tda[i];
        if (e.sdh >= freesd) continue;
        ++row;
        for (int j = 1; j <= fit.ntda; ++j) {
            lsq.xat(row, j) = 0;
            lsq.bat(row, j) = 0;
        }
        lsq.xat(row, i) = 1;
        lsq.bat(row, i) = 1;
        lsq.y[row] = e.row[thermodata::sH];
        lsq.ysd[row] = std::max(e.sdh, minysd);
        runio::putstr(0, "  " + inttext(row) + ")  " + e.name, 1, runio::mlog);
    }
    lsq.ncal = row;
}

void readoxcal()
{
    using namespace runio;
    putstr(1, "reading oxide calorimetry", 1, mlog);
    int row = lsq.ncal;
    Words words;
    fit.noxcal = 0;
    // The end of the file ends the section as a code 0 does.
    while (nextwords(words)) {
        const int code = getinteger(wordkind(words[1]), words[1], "reading oxcal code");
        if (code == 0) break;
        if (fit.noxcal == maxoxcal)
            bomb("readxy", "too many oxide calorimetry records" + maxlabel(maxoxcal) + "-> increase maxoxcal", 0);
        const int k = ++fit.noxcal;
        place = {"readxy", "oxide calorimetry record " + inttext(k)};
        OxCal& o = fit.oxcal[k];
        o = OxCal{};
        o.used = code == 1;
        o.n = words.n - 1;
        if (o.n > maxrxnem)
            bomb("readxy", "too many members in the reaction of " + place.who + maxlabel(maxrxnem) +
                               "-> increase maxrxnem", 0);
        for (int j = 1; j <= o.n; ++j) posinphname(words[j + 1], o.em[j], true);
        for (int j = 1; j <= o.n; ++j) o.nu[j] = readint("coefficient of " + words[j + 1]);
        o.value = readreal("measured value");
        o.sd = readreal("sd");
        o.t = readreal("temperature");
        o.corrected = o.value;
        if (o.t > 298.2)
            for (int j = 1; j <= o.n; ++j) o.corrected += o.nu[j] * heatcontent(o.em[j], o.t);
        putstr(0, "  " + inttext(row + 1) + ")  " + writerxn(o.nu.data(), o.em.data(), o.n), 1, mlog);
        if (!o.used) continue;
        ++row;
        for (int j = 1; j <= fit.ntda; ++j) {
            lsq.xat(row, j) = 0;
            lsq.bat(row, j) = 0;
        }
        for (int j = 1; j <= o.n; ++j) {
            lsq.xat(row, o.em[j]) = static_cast<std::int16_t>(lsq.xat(row, o.em[j]) - o.nu[j]);
            lsq.bat(row, o.em[j]) = 1;
        }
        lsq.y[row] = o.corrected;
        // The solvers divide by it; the record keeps its own sd for the reports.
        lsq.ysd[row] = std::max(o.sd, minysd);
    }
    lsq.noxrow = row;
}

}  // namespace

void readrc()
{
    using namespace runio;
    thermodata::ds.fitcrd = false;
    fit.xpcatcount.fill(0);

    opendatafile("em", fitopts.emsuffix, "thermo");
    // The end-member file is the fit's dataset: the a-x reader names it
    // when a phase has an end-member that is not there.
    thermodata::ds.dsfilename = files.filename;
    readth();
    closeread(files.infile);
    thermodata::ds.ndsem = fit.ntda;

    readax();

    opendatafile("xp", fitopts.xpsuffix, "xp info");
    directcalorimetry();
    readoxcal();
    readexperiments();
    if (lsq.noxrow + fit.nexp > maxnexp) bomb("readxy", "too much data -> increase maxnexp", 0);
    closeread(files.infile);
    for (int k = nplaceholders + 1; k <= fit.nphname; ++k) axmodels::printaxmodel(k);
}

void readax()
{
    using namespace runio;
    axmodels::Phases& ph = axmodels::ph;
    putstr(1, "reading a-x relationships", 1, mlog);
    axmodels::setupphases();
    for (int k = 1; k <= ph.nss; ++k) {
        if (!ph.prec1[k].hasorder) continue;
        bool startillegal;
        if (!calcwindows::findlegalq(k, false, startillegal, win.pcalc, win.tcalc))
            bomb("readax", "cannot find legal Q guess", 0);
    }
    if (ph.nss > maxfitphases) bomb("readxy", "too many ss -> make maxnp bigger", 0);
    for (int k = 1; k <= ph.nss; ++k) axmodels::printaxmodel(k);
    // The first slots are kept free for the phases of an experiment when it
    // is set up as a phase-diagram calculation.
    for (int k = ph.nss; k >= 1; --k) ph.prec1[k + nplaceholders] = ph.prec1[k];
    for (int k = 1; k <= nplaceholders; ++k) {
        ph.prec1[k] = axmodels::SolPhase{};
        ph.prec1[k].name = "blah";
    }
    ph.nph += nplaceholders;
    fit.nphname = ph.nph;
    for (int k = 1; k <= ph.nph; ++k) fit.phname[k] = ph.prec1[k].name;
}

bool posinphname(const std::string& name, int& pos, bool required)
{
    const thermodata::Dataset& ds = thermodata::ds;
    for (int i = 1; i <= ds.ndsem; ++i) {
        if (ds.dsemname[i] == name) {
            pos = i;
            return true;
        }
    }
    if (required) bomb("posinphname", name + " is not an end-member name", 0);
    pos = 0;
    return false;
}

void findspecialems(const int* members, int count)
{
    thermodata::EndMembers& ems = thermodata::ems;
    ems.ih2o = ems.ico2 = ems.icrd = ems.ifcrd = 0;
    fit.io2 = fit.is2 = 0;
    for (int k = 1; k <= count; ++k) {
        if (members[k] <= 0) continue;
        const std::string& name = fit.tda[members[k]].name;
        if (name == "H2O") ems.ih2o = k;
        else if (name == "CO2") ems.ico2 = k;
        else if (name == "crd") ems.icrd = k;
        else if (name == "fcrd") ems.ifcrd = k;
        else if (name == "O2") fit.io2 = k;
        else if (name == "S2") fit.is2 = k;
    }
}

double heatcontent(int em, double t)
{
    using namespace thermodata;
    const TdRow& r = fit.tda[em].row;
    const double t0 = tref;
    double h = r[sCpa] * (t - t0) + r[sCpb] * (t * t - t0 * t0) / 2.0 - r[sCpc] * (1.0 / t - 1.0 / t0) +
               2.0 * r[sCpd] * (std::sqrt(t) - std::sqrt(t0));
    // The enthalpy of ordering at the equilibrium state of order, as the
    // Gibbs energy of the end-member has it, from its value at 298.15 K.
    // n is 0 or a whole number up to maxbwn: the reader refuses any other.
    const int n = static_cast<int>(std::nearbyint(r[sBWn]));
    if (n > 0) {
        const double dh = r[sBWdH], w = r[sBWW], fac = r[sBWfac];
        auto hord = [&](double temp) {
            const double q = solvebwq(temp, dh, w, fac, n);
            return dh + q * (w - dh) - q * q * w;
        };
        h += hord(t) - hord(t0);
    } else if (r[sSmax] > 0.0) {
        const double tc = r[sTc], smax = r[sSmax];
        const double q0 = tc > t0 ? std::sqrt(1.0 - t0 / tc) : 0.0;
        // Above Tc the order is gone: the limit of the formula below it.
        const double qt = t < tc ? std::sqrt(1.0 - t / tc) : 0.0;
        h += smax * tc * ((qt * qt * qt - q0 * q0 * q0) / 3.0 - (qt - q0));
    }
    return h;
}

std::string rxnequation(const int* nu, const std::string* names, int n)
{
    std::string left, right;
    for (int j = 1; j <= n; ++j) {
        if (nu[j] == 0) continue;
        std::string& side = nu[j] < 0 ? left : right;
        if (!side.empty()) side += " + ";
        const int c = std::abs(nu[j]);
        if (c != 1) side += inttext(c);
        side += names[j];
    }
    return left + " = " + right;
}

std::string writerxn(const int* nu, const int* em, int n)
{
    runio::Arr<std::string, maxrxnem + 1> names{};
    for (int j = 1; j <= n && j <= maxrxnem; ++j) names[j] = thermodata::ds.dsemname[em[j]];
    return rxnequation(nu, names.data(), n);
}

}  // namespace dsfit
