// States of order of a solution phase with order variables.  A legal
// starting composition (every site fraction positive) is found by drawing
// the order parameters at random within their ranges, the compositional
// variables staying as given; the equilibrium state of order at P and T is
// solved for as a one-phase equilibrium among the phase's own end-members,
// with P, T and the compositional variables held, in the solver's shared
// tables, which are then given back to the calculation they were borrowed
// from.
#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "numerics/numerics.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace calcwindows {

namespace {

using axmodels::ph;
using axmodels::SolPhase;
using runio::bomb;

constexpr int maxrounds = 201;   // random starts tried before giving up

void randomiseorder(SolPhase& s)
{
    for (int v = 1; v <= s.nvar; ++v) {
        axmodels::XyzVar& x = s.var[v];
        if (x.isorder) x.guess = x.lower + runio::whrandom() * (x.upper - x.lower);
    }
}

// What the one-phase solve borrows of the calculation, kept for its return.
struct Borrowed {
    int debuglevel = 0, calcmode = 0;
    bool modesinnle = false, pseudosection = false;
    int ncomp0 = 0, ncomp = 0, nem = 0, nemr = 0;
    double pcalc = 0.0, tcalc = 0.0;
    runio::Vec<runio::Arr<int, thermodata::maxem + 1>> c;
    int nrxn = 0;
    runio::Vec<runio::Arr<std::int16_t, thermodata::maxem + 1>> r;
    runio::Arr<int, thermodata::maxrxn + 1> rxndiv{};
    runio::Arr<double, thermodata::maxrxn + 1> lnk{};
    runio::Arr<std::string, thermodata::maxem + 1> emname{}, emdsname{};
    runio::Arr<double, thermodata::maxem + 1> act{}, sdact{};
    runio::Arr<int, thermodata::maxem + 1> emcode{};
    runio::Vec<thermodata::TdRow> td;
    runio::Arr<runio::Arr<int, axmodels::maxmakeconst + 1>, axmodels::maxsolem + 1> makepos{};
};

void borrow(Borrowed& b, const SolPhase& s)
{
    const runio::ScriptFlags& sf = runio::scriptflags;
    const auto& ems = thermodata::ems;
    const auto& comps = thermodata::comps;
    b.debuglevel = sf.debuglevel;
    b.calcmode = runio::run.calcmode;
    b.modesinnle = sf.modesinnle;
    b.pseudosection = sf.pseudosection;
    b.ncomp0 = comps.ncomp0;
    b.ncomp = comps.ncomp;
    b.nem = ems.nem;
    b.nemr = comps.nemr;
    b.pcalc = runio::win.pcalc;
    b.tcalc = runio::win.tcalc;
    b.c = comps.c;
    b.nrxn = rxns.nrxn;
    b.r = rxns.r;
    b.rxndiv = rxns.rxndiv;
    b.lnk = rxns.lnk;
    b.emname = ems.emname;
    b.emdsname = ems.emdsname;
    b.act = ems.act;
    b.sdact = ems.sdact;
    b.emcode = ems.emcode;
    b.td = ems.td;
    for (int j = 1; j <= s.n; ++j) b.makepos[j] = s.em[j].make.pos;
}

void giveback(const Borrowed& b, SolPhase& s)
{
    runio::ScriptFlags& sf = runio::scriptflags;
    auto& ems = thermodata::ems;
    auto& comps = thermodata::comps;
    sf.debuglevel = b.debuglevel;
    runio::run.calcmode = b.calcmode;
    sf.modesinnle = b.modesinnle;
    sf.pseudosection = b.pseudosection;
    comps.ncomp0 = b.ncomp0;
    comps.ncomp = b.ncomp;
    ems.nem = b.nem;
    comps.nemr = b.nemr;
    runio::win.pcalc = b.pcalc;
    runio::win.tcalc = b.tcalc;
    comps.c = b.c;
    rxns.nrxn = b.nrxn;
    rxns.r = b.r;
    rxns.rxndiv = b.rxndiv;
    rxns.lnk = b.lnk;
    ems.emname = b.emname;
    ems.emdsname = b.emdsname;
    ems.act = b.act;
    ems.sdact = b.sdact;
    ems.emcode = b.emcode;
    ems.td = b.td;
    for (int j = 1; j <= s.n; ++j) s.em[j].make.pos = b.makepos[j];
    numerics::forgetgibbs();
}

// The one-phase problem: P and T held, the order variables free.
void layout(int k, double p, double t)
{
    numerics::Unknowns& u = numerics::unk;
    SolPhase& s = ph.prec1[k];
    auto& ems = thermodata::ems;
    u.phasestart.fill(false);
    u.emphase.fill(0);
    u.emfirstx.fill(0);
    u.phasestart[1] = true;
    u.emphase[1] = k;
    u.emfirstx[1] = 3;
    u.nlex[1] = p;
    u.nlex[2] = t;
    u.xfree[1] = u.xfree[2] = false;
    u.xname[1] = "P(kbar)";
    u.xname[2] = std::string("T(") + runio::degreesign + "C)";
    for (int j = 1; j <= s.n; ++j) {
        numerics::settdrow(j, s.em[j].slots, s.em[j].make.count != 0, k, j);
        ems.emcode[j] = s.em[j].dscode;
    }
    int nq = 0;
    const int m = s.nvar;
    for (int v = 1; v <= m; ++v) {
        const axmodels::XyzVar& x = s.var[v];
        const int i = v + 2;
        u.nlex[i] = x.guess;
        numerics::setvariable(i, x);
        u.xloop[i] = 0;
        u.xfree[i] = x.isorder;
        if (x.isorder) ++nq;
    }
    u.nfixedvar = s.n - nq;
    u.nvar = m + 2;
    for (int i = u.nvar + 1; i <= u.nvar + ph.nph && i <= numerics::maxnlex; ++i) u.xfree[i] = false;
    if (rxns.nrxn != nq) bomb("calcq", "no of reactions not equal to no of Qs", 0);

    u.nvarlim = u.nsfcheck = 0;
    numerics::addphaselimits(k, 2, "calcq");
    u.nmodes = u.nsolmodes = 0;
    for (int i = 3; i <= u.nvar; ++i)
        if (u.xfree[i]) u.nlex[i] = u.nlex[i] * u.xscale[i] + u.xoffset[i];
}

}  // namespace

bool calcq(int k, double p, double t)
{
    SolPhase& s = ph.prec1[k];
    static Borrowed saved;   // large: kept out of the stack
    borrow(saved, s);
    runio::ScriptFlags& sf = runio::scriptflags;
    auto& ems = thermodata::ems;
    auto& comps = thermodata::comps;
    sf.debuglevel = sf.debuglevelq;
    runio::run.calcmode = 1;
    sf.modesinnle = false;
    sf.pseudosection = false;

    numerics::Unknowns& u = numerics::unk;
    u.phasestart.fill(false);
    u.emphase.fill(0);
    u.emfirstx.fill(0);
    for (int j = 1; j <= thermodata::maxem; ++j) {
        ems.emname[j].clear();
        ems.emdsname[j].clear();
    }
    comps.ncomp = comps.ncompsave;
    comps.ncomp0 = comps.ncomp0save;
    if (!s.hasorder) bomb("calcq", "not an OD phase", 0);
    for (int j = 1; j <= s.n; ++j) {
        ems.emname[j] = s.em[j].name;
        for (int i = 1; i <= comps.ncomp; ++i) comps.c[i][j] = s.em[j].comp[i];
    }
    ems.nem = comps.nemr = s.n;
    numerics::forgetgibbs();
    bool any;
    writereactionlists(any);
    layout(k, p, t);

    int code = 0;
    const bool ok = numerics::nle(code);
    if (ok) {
        for (int v = 1; v <= s.nvar; ++v) {
            const int i = v + 2;
            if (u.xfree[i]) u.nlex[i] = (u.nlex[i] - u.xoffset[i]) / u.xscale[i];
            s.var[v].guess = u.nlex[i];
        }
    }
    giveback(saved, s);
    return ok;
}

bool findlegalq(int k, bool solveq, bool& startillegal, double p, double t)
{
    SolPhase& s = ph.prec1[k];
    startillegal = false;
    if (!s.hasorder) bomb("findlegalq", "not an odd phase", 0);
    bool legal = axmodels::legalcomp(k);
    startillegal = !legal;
    if (solveq) {
        bool ok = false;
        for (int round = 1; round <= maxrounds && !ok; ++round) {
            if (!legal) {
                randomiseorder(s);
                legal = axmodels::legalcomp(k);
            }
            if (legal) {
                ok = calcq(k, p, t);
                // A start from which the solve failed is replaced next round.
                legal = ok;
            }
        }
        return ok;
    }
    for (int round = 1; round <= maxrounds && !legal; ++round) {
        randomiseorder(s);
        legal = axmodels::legalcomp(k);
    }
    return legal;
}

}  // namespace calcwindows
