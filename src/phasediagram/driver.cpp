// The driver of a phase-diagram pass (calculation mode 1): it reads the
// dataset, the script and the a-x file; settles the phases, those in excess
// and the free components; decides the variance of the equilibria wanted and
// reads the held modes, x(CO2) values and compositional isopleths; sets the
// P-T windows, value lists and the scaling of P and T; builds the data rows
// of the end-members; finds a legal starting state of order for each
// ordered phase; sets activities and chemical potentials and the bulk; and
// hands over to the enumeration of assemblages.
#include <cmath>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "numerics/numerics.h"
#include "phasediagram/calculation.h"
#include "phasediagram/phasediagram.h"
#include "phasediagram/setup.h"
#include "runio/scriptset.h"
#include "script/script.h"

namespace phasediagram {

namespace {

using axmodels::ph;
using runio::msl;
using runio::msol;
using runio::putstr;

// Kinds of fluid the phase choice leaves (see whichphases).
constexpr int fluidseveral = 1, fluidh2oco2 = 5, fluidaq = 8, fluidaqco2 = 9;

void setdebuglevel()
{
    int& level = runio::scriptflags.debuglevel;
    if (level >= 0 && level <= 4) return;
    if (level != -1) {
        level = 1;
        return;
    }
    if (!runio::query("debug diagnostics"))
        level = 1;
    else if (!runio::query("more detailed debug diagnostics"))
        level = 2;
    else
        level = runio::query("EVEN more detailed debug diagnostics") ? 4 : 3;
}

// The variance of the equilibria wanted, from the one calculated for the
// chosen phases.
int choosevariance(int calc)
{
    runio::ScriptSet& ss = runio::scriptset;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const runio::ScriptTables& st = runio::scripttabs;
    std::string& line2 = runio::chans.line2;
    if (ph.nss == 0) return 1;
    if (given(ss.batchsw)) return calc;
    if (given(ss.acceptvar)) {
        putstr(1, "accepting the calculated variance (from script)", 1, msl);
        return calc;
    }
    if (!sf.dogminon) {
        runio::promptcontrol("use the variance specified in the datafile", ss.setvar);
        if (given(ss.setvar)) {
            const int script = runio::win.variance;
            int v = script;
            if (v < calc) {
                putstr(0, "variance too low: reset to " + runio::inttext(calc), 1, msl);
                v = calc;
            }
            line2 = "required equilibria are ";
            variancename(script);
            putstr(1, line2 + " (from script)", 1, msl);
            return v;
        }
        std::string reply;
        runio::promptstring(st.nsetmu < 1 ? "variance of required equilibrium (" + runio::inttext(calc) + "?)"
                                           : "variance of required equilibrium",
                            reply);
        if (calc < 0) calc = 0;
        const int kind = runio::wordkind(reply);
        if (kind == 1) {
            const int v = runio::getinteger(kind, reply, "for variance");
            if (st.nsetmu >= 1) return v;
            if (v < calc) {
                putstr(0, "variance too low: reset to " + runio::inttext(calc), 1, msl);
                return calc;
            }
            if (v > calc + 2) {
                putstr(0, "variance looks awry: reset to " + runio::inttext(calc), 1, msl);
                return calc;
            }
            return v;
        }
        if (kind != 0) putstr(0, "garbage info for variance: set to " + runio::inttext(calc), 1, msl);
        return calc;
    }
    const runio::VarRange& vr = st.varrange;
    runio::promptcontrol(vr.lowest == 2 ? "in dogmin, use the max variance specified in the datafile"
                                        : "in dogmin, use the min and max variance specified in the datafile",
                         ss.varrangesw);
    if (given(ss.varrangesw)) {
        line2 = "running dogmin: min variance of equilibria is ";
        variancename(vr.lowest);
        line2 += "; max variance is ";
        variancename(vr.highest);
        putstr(1, line2, 1, msl);
        return vr.highest;
    }
    std::string reply;
    runio::promptstring("in dogmin, max variance of equilibria to be looked at", reply);
    const int kind = runio::wordkind(reply);
    if (kind != 1) runio::bomb("dogmin", "integer needed for max variance", 0);
    return runio::getinteger(kind, reply, "for max variance");
}

// Whether the modes are unknowns of the solve or found after it.
void modehandling(int v)
{
    runio::ScriptSet& ss = runio::scriptset;
    runio::ScriptFlags& sf = runio::scriptflags;
    auto none = [&]() {
        sf.modesinnle = sf.modesafternle = false;
        ss.modeiso = ss.zeromodeiso = 1;
    };
    if (!sf.pseudosection) {
        none();
    } else if (!sf.dogminon) {
        if (v == 0) {
            none();
            return;
        }
        runio::promptcontrol("set modes to zero (to find edges/corners of fields)", ss.zeromodeiso);
        if (given(ss.zeromodeiso))
            ss.modeiso = 0;
        else
            runio::promptcontrol("set mode isopleths", ss.modeiso);
        if (runio::win.variance < 3) {
            sf.modesinnle = given(ss.modeiso);
            sf.modesafternle = !sf.modesinnle;
        } else {
            sf.modesinnle = true;
            sf.modesafternle = false;
        }
    } else {
        sf.modesinnle = v > 2;
        sf.modesafternle = v < 3;
        ss.modeiso = ss.zeromodeiso = 1;
    }
}

// The compositional isopleths a calculation of more than two degrees of
// freedom needs to come down to a diagram.
void compositionalisopleths()
{
    runio::ScriptSet& ss = runio::scriptset;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const int v = runio::win.variance;
    const bool required =
        !given(ss.batchsw) && ph.nss > 0 && !sf.pseudosection && numerics::iso.nmodeiso == 0 && v > 2;
    if (required) {
        std::string& line2 = runio::chans.line2;
        line2 = "you will have to set at least " + runio::inttext(v - 2) +
                (v == 3 ? " compositional variable" : " compositional variables");
        putstr(1, line2, 1, msl);
        if (runio::win.fluidtype == fluidh2oco2) {
            line2 = v < 4 ? "(or none, if you set fluid composition and nominate external buffering)"
                          : "(or " + runio::inttext(v - 3) +
                                ", if you set fluid composition and nominate external buffering)";
            putstr(0, line2, 1, msl);
        }
        ss.isopleth = 0;
        readisopleths();
    } else if (!sf.dogminon && v != 0 && ss.isopleth != 1) {
        readisopleths();
    }
}

// A legal starting state of order for every solution phase with order
// variables, or, with "usecalcq", its equilibrium state at the starting P and T.
void startingorder()
{
    const runio::Windows& w = runio::win;
    const bool solveq = given(runio::scriptset.usecalcq);
    int count = 0;
    for (int k = 1; k <= ph.nss; ++k) {
        const std::string& name = ph.prec1[k].name;
        if (!ph.prec1[k].hasorder) continue;
        bool randomused = false;
        if (solveq) {
            if (++count == 1) putstr(0, "equilibrium state of order (for given P, T and compositions)", 1, msol);
            if (calcwindows::findlegalq(k, true, randomused, w.pcalc, w.tcalc))
                resultroutines.ptxyzrow(k);
            else
                putstr(1, "couldn't solve for state of order of " + name, 1, msol);
        } else {
            if (!calcwindows::findlegalq(k, false, randomused, w.pcalc, w.tcalc)) {
                putstr(1, "state of order for " + name, 0, msol);
                runio::bomb("nlecalcs", "cannot find legal Q initial guess", 0);
            }
            // The line is ended: the output that follows starts a line of its own.
            if (randomused) putstr(1, "illegal Q starting guess for " + name + ": random value used", 1, msol);
        }
        if (count > 0) putstr(0, " ", 1, msol);
    }
}

void projectionswitches()
{
    runio::ScriptSet& ss = runio::scriptset;
    const runio::ScriptFlags& sf = runio::scriptflags;
    if (sf.dogminon) {
        ss.projection = 1;
    } else if (ph.nss == 0) {
        ss.projection = ss.projplane = 1;
    } else if (ss.projection == 1) {
        ss.projplane = 1;
    } else if (sf.debuglevel < 2) {
        runio::promptcontrol("project mineral compositions onto a compatibility diagram", ss.projection);
    } else {
        ss.projection = ss.projplane = 1;
    }
    const thermodata::Components& cs = thermodata::comps;
    const int nexcess = numerics::phchoice.nexcessph;
    if (given(ss.projection) && cs.ncomp - nexcess > 4) {
        putstr(1, "projection not useful if the compatibility diagram has more than 4 apices-", 1, msl);
        putstr(0, "you will need to project from at least " + runio::inttext(cs.ncomp - 4) + " phases, " +
                      "instead of just " + runio::inttext(nexcess),
               1, msl);
        ss.projection = 1;
    }
}

}  // namespace

void variancename(int v)
{
    static const char* words[] = {"invariant", "univariant", "divariant", "trivariant", "quadrivariant"};
    std::string& line2 = runio::chans.line2;
    if (v >= 0 && v <= 4)
        line2 += words[v];
    else
        line2 += runio::realstrshort(v) + "-variant";
}

void ptsetup()
{
    runio::Windows& w = runio::win;
    runio::ScriptSet& ss = runio::scriptset;
    const int lv = given(ss.batchsw) ? 0 : w.variance;
    bool pneeded = false, tneeded = false;
    if (lv == 0) {
        w.listselect = 0;
        w.calcvariable = 1;
        w.othervariable = 0;
        calcwindows::ptcalcsetup("PT window within which invariant points expected to lie",
                                 "P window within which invariant points expected to lie",
                                 "T window within which invariant points expected to lie");
        pneeded = tneeded = true;
    } else if (lv == 1) {
        runio::promptcontrol("calculate T at P (rather than P at T)", ss.calcTatP);
        if (given(ss.calcTatP)) {
            w.listselect = 1;
            w.calcvariable = 1;
            w.othervariable = 0;
            calcwindows::ptcalcsetup("", "P at which T of reactions to be calculated",
                                     "T window within which reactions expected to lie");
            tneeded = true;
        } else {
            w.listselect = 2;
            w.calcvariable = 0;
            w.othervariable = 1;
            calcwindows::ptcalcsetup("", "P window within which reactions expected to lie",
                                     "T at which P of reactions to be calculated");
            pneeded = true;
        }
    } else {
        w.listselect = 3;
        calcwindows::ptcalcsetup("", "P at which equilibria to be calculated", "T at which equilibria to be calculated");
    }
    calcwindows::checktwindow(w.tlow, w.thigh, tneeded);
    calcwindows::checkpwindow(w.plow, w.phigh, pneeded);

    w.tcalc = (w.tlow + w.thigh) / 2;
    w.pcalc = (w.plow + w.phigh) / 2;
    if (given(ss.ptguesssw)) {
        const runio::ScriptTables& st = runio::scripttabs;
        if (st.ptguesst >= w.tlow && st.ptguesst <= w.thigh)
            w.tcalc = st.ptguesst;
        else if (st.ptguessp >= w.plow && st.ptguessp <= w.phigh)
            w.pcalc = st.ptguessp;
    }
    // P and T as unknowns range over their windows widened a little, so
    // that a solution at a window's edge lies inside the scaled range.
    runio::Scalings& sc = runio::scal;
    const double d = 1 + 0.075 * (w.plow + w.phigh) / 2;
    const double plo = std::fmax(sc.pminall, w.plow - d), phi = std::fmin(1500.0, w.phigh + d);
    sc.pscale = 1 / (phi - plo);
    sc.poffset = -plo * sc.pscale;
    w.ptypsize = 0.01 / (phi - plo);
    const double tlo = std::fmax(283.0, w.tlow - 75), thi = std::fmin(3000.0, w.thigh + 75);
    sc.tscale = 1 / (thi - tlo);
    sc.toffset = -tlo * sc.tscale;
    w.ttypsize = 0.1 / (thi - tlo);

    w.nplist = w.ntlist = 1;
    w.plist[1] = w.pcalc;
    w.tlist[1] = w.tcalc;
    for (int k = 1; k <= runio::maxsetvars; ++k) w.nalist[k] = w.nmulist[k] = 0;
    if (lv >= 2) {
        calcwindows::setplist();
        calcwindows::settlist();
    } else if (lv == 1 || lv < 0) {
        if (w.listselect == 2)
            calcwindows::settlist();
        else
            calcwindows::setplist();
    }
    w.pdecimals = 3;
    w.tdecimals = 2;
    w.vdecimals = 4;
}

void setupactivities()
{
    thermodata::EndMembers& e = thermodata::ems;
    int j = 0;
    for (int k = 1; k <= ph.nss; ++k)
        for (int m = 1; m <= ph.prec1[k].n; ++m) {
            ++j;
            e.act[j] = 1.0;
            e.sdact[j] = 0.0;
            e.emcode[j] = ph.prec1[k].em[m].dscode < 1 ? 1 : ph.prec1[k].em[m].dscode;
        }
    bool nonunit = false;
    for (int k = 1; k <= ph.npure; ++k) {
        ++j;
        e.act[j] = ph.prec0[k].act;
        e.sdact[j] = ph.prec0[k].sdact;
        e.emcode[j] = 1;
        if (ph.prec0[k].act < 0.99999) nonunit = true;
    }
    if (!nonunit) return;
    runio::ScriptSet& ss = runio::scriptset;
    runio::promptcontrol("standard default uncertainties on activities", ss.defsdaparams);
    thermodata::setuncertaintyparams(given(ss.defsdaparams));
    thermodata::defaultsda();
    putstr(0, "non-unit activities :", 1, msol);
    std::string line;
    runio::addfield("name", 9, line);
    runio::addfield("a", 9, line);
    putstr(0, line, 1, msol);
    for (int k = 1; k <= ph.npure; ++k) {
        if (ph.prec0[k].act >= 0.99999) continue;
        line.clear();
        runio::addfield(ph.prec0[k].name, 9, line);
        runio::addreal(ph.prec0[k].act, 3, false, 9, line);
        putstr(0, line, 1, msol);
    }
}

void nlecalcs()
{
    runio::ScriptSet& ss = runio::scriptset;
    runio::ScriptFlags& sf = runio::scriptflags;
    runio::Windows& w = runio::win;
    numerics::PhaseChoice& pc = numerics::phchoice;
    thermodata::Components& cs = thermodata::comps;

    thermodata::readds(1);
    script::readscripts();
    axmodels::setupphases();
    setdebuglevel();
    whichphases();
    readinexcess();
    thermodata::findspecials();
    if (!given(ss.batchsw)) listxyzguesses();
    pc.phaseprops = sf.pseudosection;
    if (ph.nss == 0 || w.fluidtype == fluidaq || w.fluidtype == fluidaqco2 || w.fluidtype == fluidseveral)
        pc.phaseprops = false;
    if (sf.dogminon || ss.acceptvar == 2) ss.acceptvar = 1;
    thermodata::readds(2);
    thermodata::makeemc();
    // Every component is in the mass balance until the bulk set-up (or a
    // batch item) says otherwise: an earlier pass may have fixed some.
    cs.nfreeox = cs.ncomp;
    for (int c = 1; c <= cs.ncomp; ++c) cs.oxfree[c] = true;
    calcwindows::dofigPT();
    if (!given(ss.batchsw)) {
        if (sf.dogminon)
            sf.pseudosection = true;
        else if (ph.nss == 0)
            sf.pseudosection = false;
    }

    const int calc = calcvariance();
    if (pc.nchosenph != 0 && calc < 0 && given(ss.acceptvar) && sf.pseudosection)
        runio::bomb("nlesetup", "negative variance - too many phases (with acceptvar)", 0);
    const int v = choosevariance(calc);
    w.variance = pc.variance0 = v;
    modehandling(v);
    numerics::Isopleths& is = numerics::iso;
    is.niso = is.nmodeiso = is.nxyziso = 0;
    if (given(ss.modeiso))
        readmodeisopleths();
    else
        ss.zeromodeiso = 1;
    if (w.fluidtype == fluidh2oco2) {
        if (ss.exbuff != 0) {
            putstr(1, "with an H2O-CO2 fluid, if you are looking at P/T-x(CO2) diagrams,", 1, msl);
            runio::promptcontrol("do you want to use external buffering", ss.exbuff);
        }
        if (ss.xco2values == 1) {
            if (given(ss.exbuff)) {
                putstr(1, "if you want to set x(CO2) for calculations, use the calcx(CO2) script,", 1, msl);
                putstr(0, "either with x(CO2): low, high, inc, or a list of values", 1, msl);
            }
        } else {
            readxco2values();
        }
    }
    compositionalisopleths();
    if (given(ss.exbuff)) pc.phaseprops = false;
    if (!given(ss.batchsw) && !sf.dogminon) varcalc();
    ptsetup();
    if (sf.dogminon || ph.nss == 0)
        ss.calcsdnle = 1;
    else
        runio::promptcontrol("calculate uncertainties", ss.calcsdnle);
    thermodata::readds(3);
    thermodata::setupemdata();
    pc.exbuffph = 0;
    for (int k = 1; k <= ph.nss; ++k)
        if (ph.prec1[k].fluid && w.fluidtype == fluidh2oco2 && given(ss.exbuff)) pc.exbuffph = k;
    if (!given(ss.batchsw)) startingorder();
    setupactivities();
    if (given(ss.setmu)) {
        ss.calcmu = 0;
        calcwindows::setupmu();
    }
    if (given(ss.seta) || given(ss.setlna) || given(ss.setloga)) calcwindows::setupactivityranges();
    projectionswitches();
    if (given(ss.projection)) readprojplane();
    numerics::BulkSetup& bs = numerics::bulks;
    if (!sf.pseudosection) {
        bs.nbulk = 0;
        bs.bulkpos = 0.0;
    } else {
        readcomps();
    }
    if (!given(ss.projection))
        ss.projcomp = 1;
    else if (!sf.pseudosection)
        ss.projcomp = 1;
    else
        runio::promptcontrol("project bulk compositions onto the compatibility diagram", ss.projcomp);
    resultroutines.cleardogmin();
    if (sf.dogminon) numerics::setupdogmin();
    thermodata::countcomp();
    if (sf.pseudosection && ss.compasoxides) runio::screenwrite("oxide-based modes\n");
    solveglobals.equilcount = 0;
    calcwhat();
}

}  // namespace phasediagram
