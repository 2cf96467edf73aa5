// The unknown list of one assemblage and the tables that map between its
// phases, end-members and unknowns, rebuilt for every assemblage: the
// working end-member list with its compositions, data rows and covariance,
// the variable-limit rows, the site fractions to keep positive, the mode
// unknowns and the phase entries of the result record; and the loops of the
// calculation's odometer.
#include "numerics/numerics.h"
#include "numerics/result.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace numerics {

namespace {

using axmodels::ph;
using runio::bomb;
using runio::maxlabel;
using thermodata::TdRow;

constexpr int modekind = 2;          // bound kind of a mode unknown
constexpr double modetypsize = 0.0001;

struct Layout {
    int e = 0;   // calculation end-members so far
    int n = 2;   // unknowns so far
};

void nextem(Layout& l)
{
    if (l.e + 1 > thermodata::maxem) bomb("makecrossrefs", "too many end-members", 0);
    ++l.e;
}

void compcolumn(int e, const runio::Arr<int, thermodata::maxcomp + 1>& comp)
{
    auto& c = thermodata::comps.c;
    for (int j = 1; j <= thermodata::comps.ncomp; ++j) c[j][e] = comp[j];
}

void setpt()
{
    Unknowns& u = unk;
    const runio::Scalings& sc = runio::scal;
    u.xscale[1] = sc.pscale;
    u.xoffset[1] = sc.poffset;
    u.xtypsize[1] = runio::win.ptypsize;
    u.xscale[2] = sc.tscale;
    u.xoffset[2] = sc.toffset;
    u.xtypsize[2] = runio::win.ttypsize;
    for (int i = 1; i <= 2; ++i) {
        u.xfree[i] = true;
        u.xlokind[i] = u.xhikind[i] = 0;
        u.xloop[i] = 0;
    }
}

void addsolutionphase(int i, Layout& l)
{
    Unknowns& u = unk;
    const axmodels::SolPhase& s = ph.prec1[i];
    auto& ems = thermodata::ems;
    if (l.e + 1 > thermodata::maxem) bomb("makecrossrefs", "too many end-members", 0);
    u.phasestart[l.e + 1] = true;
    u.emphase[l.e + 1] = i;
    u.emfirstx[l.e + 1] = l.n + 1;
    for (int k = 1; k <= s.n; ++k) {
        nextem(l);
        const axmodels::EmRec& em = s.em[k];
        ems.emname[l.e] = em.name;
        compcolumn(l.e, em.comp);
        settdrow(l.e, em.slots, em.make.count != 0, i, k);
        ems.emcode[l.e] = em.dscode;
    }
    for (int v = 1; v <= s.nvar; ++v) {
        if (l.n + 1 > maxnlex) bomb("makecrossrefs", "too many variables", 0);
        const int n = ++l.n;
        const axmodels::XyzVar& x = s.var[v];
        setvariable(n, x);
        u.xloop[n] = x.loopindex;
        u.xfree[n] = !x.fixed;
        if (x.fixed) ++u.nfixedvar;
        if (runio::win.fluidtype == 5 && x.name == "x(CO2)") u.ixco2var = n;
    }
}

// The variable-limit rows and the checked site fractions of the
// assemblage's phases over the whole unknown list.
void setphaselimits(const PhaseFlags& phases)
{
    unk.nvarlim = unk.nsfcheck = 0;
    int n = 2;
    for (int i = 1; i <= ph.nss; ++i) {
        if (!phases[i]) continue;
        addphaselimits(i, n, "makecrossrefs");
        n += ph.prec1[i].nvar;
    }
}

// Mode unknowns past the list stop the run with the text users know; the
// phase names listed after the variables when the modes follow the solve
// are held to the list by a guard of ours, which names its capacity.
void checkmodeslot(int pos, bool unknown)
{
    if (pos <= maxnlex) return;
    if (unknown) bomb("makecrossrefs", "too many modes", 0);
    bomb("makecrossrefs", "too many modes" + maxlabel(maxnlex), 0);
}

void setmodes(const PhaseFlags& phases)
{
    Unknowns& u = unk;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const int nss = ph.nss;
    u.nmodes = u.nsolmodes = 0;
    if (sf.modesinnle) {
        int m = 0;
        for (int e = 1; e <= thermodata::ems.nem; ++e) {
            if (!u.phasestart[e] || !hasmodeunknown(u.emphase[e])) continue;
            const axmodels::SolPhase& s = ph.prec1[u.emphase[e]];
            checkmodeslot(u.nvar + m + 1, true);
            ++m;
            u.modephase[m] = u.emphase[e];
            u.modeem[m] = u.emfirstx[e];
            u.xname[u.nvar + m] = s.name;
            u.modevalue[m] = s.modestart;
            u.xfree[u.nvar + m] = !s.modeflag;
            u.xloop[u.nvar + m] = s.modeloop;
        }
        u.nsolmodes = m;
        for (int p = 1; p <= ph.npure; ++p) {
            if (!phases[nss + p] || !hasmodeunknown(nss + p)) continue;
            checkmodeslot(u.nvar + m + 1, true);
            ++m;
            const axmodels::PurePhase& pp = ph.prec0[p];
            u.modephase[m] = p;
            u.modeem[m] = 0;
            u.xname[u.nvar + m] = pp.name;
            u.modevalue[m] = pp.modestart;
            u.xfree[u.nvar + m] = !pp.modeflag;
            u.xloop[u.nvar + m] = pp.modeloop;
        }
        u.nmodes = m;
        // The end-members' dataset codes at the same positions stay: they
        // weigh the reaction divisors.
        for (int k = u.nvar + 1; k <= u.nvar + m; ++k) {
            u.xlokind[k] = u.xhikind[k] = modekind;
            u.xtypsize[k] = modetypsize;
        }
    } else if (sf.modesafternle) {
        // Modes found after the solve are listed under the phase names, in
        // the order mode unknowns would take.
        int k = u.nvar;
        for (int i = 1; i <= nss + ph.npure; ++i) {
            if (!phases[i]) continue;
            checkmodeslot(k + 1, false);
            ++k;
            u.xname[k] = i <= nss ? ph.prec1[i].name : ph.prec0[i - nss].name;
            u.xfree[k] = true;
        }
    }
}

// The enthalpy covariance of the assemblage's end-members, from the rows the
// data set-up left in the phase records (numbered over every end-member of
// every phase, solution phases first).
void setcovariance(const PhaseFlags& phases)
{
    auto& ems = thermodata::ems;
    runio::Arr<const runio::Vec<double>*, thermodata::maxem + 1> rows{};
    runio::Arr<int, thermodata::maxem + 1> number{};
    int all = 0, e = 0;
    for (int i = 1; i <= ph.nss; ++i) {
        axmodels::SolPhase& s = ph.prec1[i];
        for (int k = 1; k <= s.n; ++k) {
            ++all;
            if (!phases[i]) continue;
            ++e;
            rows[e] = &s.em[k].covrow;
            number[e] = all;
        }
    }
    for (int p = 1; p <= ph.npure; ++p) {
        ++all;
        if (!phases[ph.nss + p]) continue;
        ++e;
        rows[e] = &ph.prec0[p].covrow;
        number[e] = all;
    }
    for (int a = 1; a <= e; ++a) {
        const runio::Vec<double>& row = *rows[a];
        for (int b = 1; b <= e; ++b)
            ems.covat(a, b) = number[b] < static_cast<int>(row.size()) ? row[number[b]] : 0.0;
    }
}

void setresultentries(const PhaseFlags& phases, const runio::Arr<bool, 400 + 1>& held)
{
    const Unknowns& u = unk;
    ResultRec& res = result;
    int s = 0;
    auto next = [&]() -> ResPhase& {
        if (s + 1 > maxassemblage)
            bomb("makecrossrefs", "too many phases in the assemblage" + maxlabel(maxassemblage), 0);
        return res.ph[++s];
    };
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e]) continue;
        const int i = u.emphase[e];
        const axmodels::SolPhase& sp = ph.prec1[i];
        ResPhase& r = next();
        r.name = sp.name;
        r.phaseno = i;
        r.firstx = u.emfirstx[e];
        // Only the externally buffered fluid stays out of the modes.
        r.show = i != phchoice.exbuffph;
        r.isfluid = sp.fluid;
        r.nems = sp.n;
        for (int k = 1; k <= sp.n; ++k) r.emnames[k] = sp.em[k].name;
        r.nsf = sp.nsf;
        for (int k = 1; k <= sp.nsf; ++k) r.sfname[k] = sp.sfname[k];
        for (int v = 1; v <= sp.nvar; ++v) r.varname[v] = sp.var[v].name;
    }
    for (int p = 1; p <= ph.npure; ++p) {
        if (!phases[ph.nss + p]) continue;
        ResPhase& r = next();
        r.name = ph.prec0[p].name;
        r.phaseno = p;
        r.firstx = 0;
        r.show = !held[p];
        r.isfluid = false;
        r.nems = 1;
        r.nsf = 0;
    }
    res.nphases = s;
}

}  // namespace

void settdrow(int e, const TdRow& slots, bool made, int phase, int entry)
{
    TdRow& r = thermodata::ems.td[e];
    r.fill(0.0);
    const int last = thermodata::ds.dsold || !made ? thermodata::sBWfac : thermodata::sV;
    for (int s = 1; s <= last; ++s) r[s] = slots[s];
    if (!thermodata::ds.dsold && made) {
        r[thermodata::sPhase] = phase;
        r[thermodata::sEntry] = entry;
    }
    thermodata::ems.emdsname[e].clear();
}

void setvariable(int n, const axmodels::XyzVar& x)
{
    Unknowns& u = unk;
    u.xname[n] = x.name;
    u.xscale[n] = x.scale;
    u.xoffset[n] = x.offset;
    u.xtypsize[n] = x.typsize;
    u.xlokind[n] = x.lokind;
    u.xhikind[n] = x.hikind;
}

void addphaselimits(int k, int n, const char* where)
{
    Unknowns& u = unk;
    const axmodels::SolPhase& s = ph.prec1[k];
    for (int r = 1; r <= s.nvarlim; ++r) {
        if (u.nvarlim + 1 > maxvarlim) bomb(where, "too many varlims", 0);
        auto& row = u.xvarlim[++u.nvarlim];
        for (int j = 1; j <= u.nvar + 1; ++j) row[j] = Rational{};
        for (int v = 1; v <= s.nvar; ++v) row[n + v] = {s.varlimnum[r][v], s.varlimden[r][v]};
        row[u.nvar + 1] = {s.varlimnum[r][s.n], s.varlimden[r][s.n]};
    }
    if (s.alllinear) return;
    for (int j = 1; j <= s.nsf; ++j) {
        if (s.sflinear[j]) continue;
        if (u.nsfcheck + 1 > maxsfcheck) bomb(where, "no site fractions not handled too big", 1);
        ++u.nsfcheck;
        u.sfcheckphase[u.nsfcheck] = k;
        u.sfchecksite[u.nsfcheck] = j;
        u.sfcheckx[u.nsfcheck] = n + 1;
    }
}

// The externally buffered fluid is outside the mass balance, and a pure
// phase held by a set activity or chemical potential has no amount of its own.
bool hasmodeunknown(int k)
{
    if (k > ph.nss) return !heldbysetting(ph.prec0[k - ph.nss].name);
    return !(runio::scriptset.exbuff == 0 && ph.prec1[k].fluid);
}

void makecrossrefs(const PhaseFlags& phases)
{
    Unknowns& u = unk;
    auto& ems = thermodata::ems;
    u.ixco2var = 0;
    u.phasestart.fill(false);
    u.emphase.fill(0);
    u.emfirstx.fill(0);
    u.xfree.fill(false);
    u.nfixedvar = 0;
    setpt();

    Layout l;
    for (int i = 1; i <= ph.nss; ++i)
        if (phases[i]) addsolutionphase(i, l);
    u.nvar = l.n;
    setphaselimits(phases);

    runio::Arr<bool, 400 + 1> held{};
    for (int p = 1; p <= ph.npure; ++p) {
        if (!phases[ph.nss + p]) continue;
        const axmodels::PurePhase& pp = ph.prec0[p];
        nextem(l);
        ems.emname[l.e] = pp.emname;
        compcolumn(l.e, pp.comp);
        settdrow(l.e, pp.slots, pp.make.count != 0, 0, p);
        ems.emcode[l.e] = 1;
        held[p] = heldbysetting(pp.name);
    }
    ems.nem = l.e;
    thermodata::comps.nemr = l.e;
    forgetgibbs();

    setmodes(phases);
    u.xname[1] = "P(kbar)";
    u.xname[2] = std::string("T(") + runio::degreesign + "C)";
    u.xco2fixed = u.ixco2var != 0 && !u.xfree[u.ixco2var];

    if (runio::scriptset.calcsdnle != 1) setcovariance(phases);
    setresultentries(phases, held);
}

void setuploops(LoopLengths& lim, int& nloops)
{
    Unknowns& u = unk;
    const auto& ems = thermodata::ems;
    const auto& rx = thermodata::rxns;
    const runio::Windows& w = runio::win;
    const runio::ScriptTables& st = runio::scripttabs;
    int k = 0;
    for (int i = 3; i <= u.nvar + u.nmodes; ++i)
        if (!u.xfree[i]) lim[++k] = iso.nisovalues[u.xloop[i]];
    if (runio::scriptflags.modesinnle) lim[++k] = bulks.nbulk;

    // A set activity or chemical potential of an end-member that no
    // reaction holds changes nothing: its loop has one value.
    auto setloop = [&](const std::string& name, int nvalues, const char* label) {
        int e;
        if (!runio::posinlist(name, ems.emname.data(), ems.nem, e)) return;
        bool used = false;
        for (int r = 1; r <= rx.nrxn && !used; ++r) used = rx.r[r][e] != 0;
        if (used) {
            lim[++k] = nvalues;
        } else {
            lim[++k] = 1;
            runio::putstr(0, std::string("equilibrium does not depend on ") + label + "(" + name + ")", 1,
                          runio::msol);
        }
    };
    for (int a = 1; a <= st.nseta; ++a) setloop(st.setaname[a], w.nalist[a], "a");
    for (int a = 1; a <= st.nsetmu; ++a) setloop(st.setmuname[a], w.nmulist[a], "mu");

    int np = w.nplist, nt = w.ntlist;
    if (w.variance == 0) {
        np = nt = 1;
    } else if (w.variance == 1) {
        if (w.calcvariable == 0) {
            np = 1;
            u.xfree[2] = false;
        } else if (w.calcvariable == 1) {
            nt = 1;
            u.xfree[1] = false;
        } else {
            bomb("setuploops", "unknown calcvariable", 1);
        }
    } else {
        u.xfree[1] = u.xfree[2] = false;
    }
    lim[++k] = np;
    lim[++k] = nt;
    nloops = k;
}

}  // namespace numerics
