// Fractionation along a straight P-T path: at each step the fractionating
// phase (the messages call it the fluid) keeps no more than the porosity, a
// fraction of the rock on the one-atom (or one-oxide) basis of the modes;
// what its mode holds beyond that leaves the bulk, and the next step is
// calculated with the depleted bulk at the next point of the path.  Later
// batch items find where a phase appears or vanishes; an event before the
// next step ends the path with a block of script lines from which a new
// fractionation can start.  The drawing-program file gets the path: P, T,
// the bulk in mole percent of the oxides and the mode lost so far.
#include <cmath>

#include "diagramresults/diagramresults.h"
#include "diagramresults/repeatpasses.h"
#include "diagramresults/resultwork.h"
#include "numerics/numerics.h"
#include "numerics/unknowns.h"
#include "runio/scriptset.h"

namespace diagramresults {

FractState fract;

namespace {

using runio::bomb;
using runio::inttext;

constexpr double zeromode = 1e-9;   // a mode at the solver's rounding of zero

const std::string dash56 = "% " + repeated('-', 56);
const std::string equals56 = "% " + repeated('=', 56);

using CompRow = runio::Arr<double, thermodata::maxcomp + 1>;

const runio::Fractionation& path() { return runio::mcs.fractset; }
double porosity() { return path().porosity; }
runio::ScriptTables& tabs() { return runio::scripttabs; }

// The moles of each component of the fractionation in rbi row k: its amounts
// scaled by its mode over the atoms (or oxides) of one formula unit.
void rowmoles(int k, CompRow& moles)
{
    const FractState& f = fract;
    const runio::RbiLine& row = tabs().rbi[k];
    const thermodata::Components& cs = thermodata::comps;
    double atoms = 0.0;
    for (int n = 1; n <= f.ncomp; ++n) atoms += cs.compatoms[f.component[n]] * row.comp[f.column[n]];
    const double factor = atoms != 0.0 ? row.mode / atoms : 0.0;
    for (int n = 1; n <= f.ncomp; ++n) moles[n] = factor * row.comp[f.column[n]];
}

// The fluid's share from its rbi row, the rest of the bulk the solid's.
void splitbulk()
{
    FractState& f = fract;
    const numerics::BulkSetup& b = numerics::bulks;
    CompRow moles{};
    rowmoles(f.pos, moles);
    for (int n = 1; n <= f.ncomp; ++n) {
        f.fluid[n] = moles[n];
        f.solid[n] = b.fractstartbulk[n] - moles[n];
    }
}

void fractline(const std::string& text)
{
    const FractState& f = fract;
    std::string& line = runio::chans.line3;
    putstr(0, "<-------------------------------------------->", 1, runio::mpx);
    putstr(0, text, 1, runio::mpx);
    line = " ";
    for (int n = 1; n <= f.ncomp; ++n) addfield(thermodata::comps.compname[f.component[n]], 12, line);
    putstr(0, line, 1, runio::mpx);
    double total = 0.0;
    for (int n = 1; n <= f.ncomp; ++n) total += f.solid[n] + f.fluid[n];
    line = "m";
    for (int n = 1; n <= f.ncomp; ++n) addreal(f.solid[n], 8, true, 12, line);
    putstr(0, line, 1, runio::mpx);
    line = "f";
    for (int n = 1; n <= f.ncomp; ++n) addreal(f.fluid[n], 8, true, 12, line);
    putstr(0, line, 1, runio::mpx);
    line = "a";
    for (int n = 1; n <= f.ncomp; ++n) addreal(total != 0.0 ? (f.solid[n] + f.fluid[n]) / total : 0.0, 8, true, 12, line);
    addreal(total, 8, true, 12, line);
    putstr(0, line, 1, runio::mpx);
}

bool debugging() { return given(runio::scriptset.fractdebug); }

// The bulk of every batch item from the fractionation's bulk, and its line
// in the drawing-program file.  At the first event of a pass the line shows
// the bulk after the fluid beyond the porosity left it, as its "lost"
// counts: solidf and fluidf scale the two shares for that line alone.
void fractbulkout(double solidf = 1.0, double fluidf = 1.0)
{
    const FractState& f = fract;
    const numerics::BulkSetup& b = numerics::bulks;
    runio::BatchTables& bt = runio::batches;
    double total = 0.0;
    for (int n = 1; n <= f.ncomp; ++n) total += b.fractstartbulk[n];
    for (int i = 1; i <= bt.nbatch; ++i)
        for (int n = 1; n <= f.ncomp; ++n) bt.batchrec[i].bulkcomp[n] = 100.0 * b.fractstartbulk[n] / total;
    if (f.repeat) return;
    CompRow shown{};
    double showntotal = 0.0;
    for (int n = 1; n <= f.ncomp; ++n) {
        shown[n] = solidf * f.solid[n] + fluidf * f.fluid[n];
        showntotal += shown[n];
    }
    std::string& line = runio::chans.line3;
    line.clear();
    addreal(runio::win.plist[1], 4, true, 11, line);
    addreal(celsius(runio::win.tlist[1]), 3, true, 11, line);
    for (int n = 1; n <= f.ncomp; ++n) addreal(100.0 * shown[n] / showntotal, 5, true, 11, line);
    addreal(f.lost, 5, true, 11, line);
    putstr(0, line, 1, runio::mpx);
}

// Every batch item at the point of step k of the path.
void movealongpath(int k)
{
    runio::BatchTables& bt = runio::batches;
    for (int i = 1; i <= bt.nbatch; ++i) {
        bt.batchrec[i].p[1] = path().startp + k * path().pstep;
        bt.batchrec[i].t[1] = path().startt + k * path().tstep;
    }
}

// The phases of the assemblage, each with its composition per component of
// the system: the solution phases in the order of the calculation's
// end-members, then the pure phases (but the last `leaveout`).
struct Rows {
    int n = 0;
    runio::Arr<std::string, numerics::maxassemblage + 1> name{};
    runio::Arr<CompRow, numerics::maxassemblage + 1> comp{};
};

void assemblagerows(const SolveState& s, Rows& rows, int leaveout)
{
    const numerics::Unknowns& u = numerics::unk;
    const thermodata::Components& cs = thermodata::comps;
    const axmodels::Phases& p = axmodels::ph;
    rows.n = 0;
    auto next = [&](const std::string& name) -> CompRow& {
        if (rows.n + 1 > numerics::maxassemblage) bomb("fractbulk", "fract dimensions mismatch", 0);
        rows.name[++rows.n] = name;
        return rows.comp[rows.n];
    };
    for (int e = 1; e <= thermodata::ems.nem; ++e) {
        if (!u.phasestart[e]) continue;
        numerics::CompVector c{};
        numerics::phasebulk(e, c);
        CompRow& row = next(p.prec1[u.emphase[e]].name);
        for (int j = 1; j <= cs.ncomp; ++j) row[j] = c[j];
    }
    int npure = 0;
    for (int k = 1; k <= p.npure; ++k)
        if (s.phases[p.nss + k]) ++npure;
    int taken = 0;
    for (int k = 1; k <= p.npure && taken < npure - leaveout; ++k) {
        if (!s.phases[p.nss + k]) continue;
        ++taken;
        CompRow& row = next(p.prec0[k].name);
        for (int j = 1; j <= cs.ncomp; ++j) row[j] = p.prec0[k].comp[j] / static_cast<double>(cs.compmult[j]);
    }
}

// The modes of the solved equilibrium, in the order of the rows: the mode
// unknowns, or with the modes found after the solve those of the phases
// in the mass balance.
int stepmodes(runio::Arr<double, numerics::maxnlex + 1>& modes)
{
    const numerics::Unknowns& u = numerics::unk;
    if (runio::scriptflags.modesinnle) {
        for (int k = 1; k <= u.nmodes; ++k) modes[k] = u.nlex[u.nvar + k];
        return u.nmodes;
    }
    const numerics::ResultRec& r = numerics::result;
    int n = 0;
    if (r.nmodevec < 1) return 0;
    for (int i = 1; i <= r.nphases; ++i)
        if (r.ph[i].show) modes[++n] = r.ph[i].mode[1];
    return n;
}

}  // namespace

void setupfract(SolveState& s)
{
    const runio::ScriptSet& ss = runio::scriptset;
    FractState& f = fract;
    if (ss.rbisw != 0) bomb("setupfract", "cannot fractionate without rbi", 0);
    // A negative porosity would leave the fluid a negative share of the rock.
    if (porosity() < 0.0) bomb("setupfract", "porosity below 0", 0);
    f = FractState{};
    s.fractstop = false;
    runio::mcs.nmc = 0;
    s.printxyzkept = given(ss.printxyz);
    movealongpath(0);
    runio::win.pdecimals = 3;
    runio::win.tdecimals = 2;

    // The phases of batch 1, solution phases first, each in phase order.
    const runio::BatchRec& first = runio::batches.batchrec[1];
    const runio::ScriptTables& st = tabs();
    runio::Arr<bool, numerics::nphflags + 1> present{};
    for (int i = 1; i <= st.nwith; ++i)
        if (first.present[i]) present[s.batchphasemap[i]] = true;
    runio::Arr<std::string, numerics::nphflags + 1> names{};
    int n = 0;
    for (int k = 1; k <= axmodels::ph.nph; ++k)
        if (present[k]) names[++n] = phasename(k);
    if (!runio::posinlist(path().phase, names.data(), n, f.pos))
        bomb("setupfract", "bad name " + path().phase + "\"", 0);

    // The components of the fractionation: the rbi columns with an amount.
    const thermodata::Components& cs = thermodata::comps;
    for (int j = 1; j <= ss.nbulkcomp; ++j) {
        bool used = false;
        for (int k = 1; k <= st.nrbi && !used; ++k) used = std::fabs(st.rbi[k].comp[j]) > 1e-8;
        if (!used) continue;
        int c = 0;
        for (int i = 1; i <= cs.ncomp && c == 0; ++i)
            if (cs.compname[i] == st.bulkoxnames[j]) c = i;
        if (c == 0) bomb("setupfract", "no component " + st.bulkoxnames[j] + " in the system", 0);
        ++f.ncomp;
        f.column[f.ncomp] = j;
        f.component[f.ncomp] = c;
    }
    if (f.pos > st.nrbi) bomb("setupfract", "no rbi row for " + path().phase, 0);
    splitbulk();
    if (debugging()) fractline("right at start");
    std::string& line = runio::chans.line3;
    line.clear();
    addfield("P", 11, line);
    addfield("T", 11, line);
    for (int k = 1; k <= f.ncomp; ++k) addfield(cs.compname[f.component[k]], 11, line);
    addfield("lost", 11, line);
    putstr(0, line, 1, runio::mpx);
}

void dofract(SolveState& s)
{
    FractState& f = fract;
    runio::ScriptTables& st = tabs();
    const double phi = porosity();
    double& m = st.rbi[f.pos].mode;
    const double d = m - phi;
    const bool atstart = f.step == 0 && !f.repeat && std::fabs(d) >= phi / 1000.0;
    f.repeat = false;
    // A phase that is absent has no fluid to scale up: the step is taken as it stands.
    if (atstart)
        f.repeat = m > phi || (m > zeromode && runio::query("increase fluid to fill porosity before starting to fractionate"));
    // A path that cools past absolute zero goes no further: it ends at the
    // step before, rather than solve where no calculation can.
    const double tnext = path().startt + (f.step + 1) * path().tstep;
    if (!f.repeat && !(tnext > 0.0)) {
        putstr(1, "<== the path ends: its next step would be at " + runio::realstrshort(celsius(tnext)) +
                      runio::degreesc + ", below absolute zero ==>", 1, runio::msol);
        s.fractstop = true;
        return;
    }

    double solidf = 1.0, fluidf = 1.0;
    if (f.repeat) {
        putstr(1, "<--repeating first step----->", 1, runio::msol);
        putstr(0, "to start with porosity just filled", 1, runio::msol);
        solidf = (1.0 - phi) / (1.0 - m);
        fluidf = phi / m;
        m = phi;
    } else if (d <= 0.0) {
        ++f.step;
        const char* mark = f.step == 1 && std::fabs(d) < phi / 1000.0 ? "<--------------------------------->"
                           : std::fabs(d) < phi / 1e6                 ? "<--fluid not gained or consumed -->"
                                                                      : "<--fluid consumed ---------------->";
        putstr(1, mark, 1, runio::msol);
        putstr(0, "no fractionation at this step", 1, runio::msol);
        movealongpath(f.step);
    } else {
        ++f.step;
        putstr(1, "<--for following step----------->", 1, runio::msol);
        putstr(0, "fractionating", 1, runio::msol);
        movealongpath(f.step);
        solidf = (1.0 - phi) / (1.0 - m);
        fluidf = phi / m;
        f.lost += m - phi;
        m = phi;
    }
    numerics::BulkSetup& b = numerics::bulks;
    for (int n = 1; n <= f.ncomp; ++n) {
        f.solid[n] *= solidf;
        f.fluid[n] *= fluidf;
        b.fractstartbulk[n] = f.solid[n] + f.fluid[n];
    }
    if (debugging()) fractline("step " + runio::realstrshort(f.step) + " in dofract");
    fractbulkout();
}

void fractbulk(SolveState& s)
{
    runio::ScriptTables& st = tabs();
    const FractState& f = fract;
    static runio::Arr<double, numerics::maxnlex + 1> modes{};
    static Rows rows;
    // Modes found after the solve: none when no modes of the assemblage fit
    // the bulk, and then the path cannot be followed.
    const int nmodes = stepmodes(modes);
    assemblagerows(s, rows, 0);
    if (rows.n != nmodes) bomb("fractbulk", "fract dimensions mismatch", 0);
    st.nrbi = nmodes;
    st.rbi.resize(nmodes + 1);
    for (int k = 1; k <= nmodes; ++k) {
        runio::RbiLine& row = st.rbi[k];
        row.name = rows.name[k];
        row.mode = modes[k];
        row.comp.fill(0.0);
        for (int n = 1; n <= f.ncomp; ++n) row.comp[f.column[n]] = rows.comp[k][f.component[n]];
    }
    splitbulk();
    if (debugging()) fractline("step " + runio::realstrshort(f.step) + " in fractbulk");
}

void printfractresults(SolveState& s)
{
    FractState& f = fract;
    runio::ScriptTables& st = tabs();
    const runio::BatchTables& bt = runio::batches;
    const numerics::Unknowns& u = numerics::unk;
    const numerics::ResultRec& r = numerics::result;
    const thermodata::Components& cs = thermodata::comps;
    const int b = numerics::progress.batchitem;
    const double phi = porosity();

    // How far the item's event lies before the next step of the path, in
    // the direction the path goes (a cooling or decompression path counts down).
    const int next = f.step + 1;
    const bool tsolved = bt.batchrec[1].solvet;
    const double stepby = tsolved ? path().tstep : path().pstep;
    const double gap = tsolved ? path().startt + next * path().tstep - r.t : path().startp + next * path().pstep - r.p;
    const double ahead = stepby < 0.0 ? -gap : gap;
    if (!s.fractstop) s.fractstop = ahead > 0.0;
    if (!(ahead > 0.0)) return;

    ++f.printcount;
    putstr(0, "<-------------------------------------------------->", 1, runio::msol);
    const int watched = bt.batchrec[b].modephase[1];
    const bool present = watched >= 1 && bt.batchrec[1].present[watched];
    putstr(0, (present ? "losing " : "added ") + st.withnames[watched] + " by batch " + inttext(b), 1, runio::msol);

    if (f.printcount == 1) {
        f.firstloss = 0.0;
        const double mf = st.rbi[f.pos].mode;
        if (mf > phi) {
            for (int k = 1; k <= st.nrbi; ++k)
                if (k != f.pos) st.rbi[k].mode *= (1.0 - phi) / (1.0 - mf);
            f.firstloss = mf - phi;
            f.lost += f.firstloss;
            st.rbi[f.pos].mode = phi;
            fractbulkout((1.0 - phi) / (1.0 - mf), phi / mf);
        }
        f.lostatevent = f.lost;
    }

    static runio::Arr<double, numerics::maxnlex + 1> modes{};
    int pos = 0;
    for (int k = 1; k <= u.nmodes; ++k) {
        modes[k] = u.nlex[u.nvar + k];
        if (u.xname[u.nvar + k] == path().phase && pos == 0) pos = k;
    }
    if (pos == 0) bomb("printfractresults", "bad name " + path().phase + "\"", 0);
    // Each event of the pass is an end of its own: the items were all
    // calculated from the bulk of this step.
    const double m = modes[pos];
    f.lost = f.lostatevent;
    if (m > phi) {
        for (int k = 1; k <= u.nmodes; ++k)
            if (k != pos) modes[k] *= (1.0 - phi) / (1.0 - m);
        f.lost += m - phi - f.firstloss;
        modes[pos] = phi;
    }

    // The restart block: the rbi of this equilibrium with extra precision.
    std::string& line = runio::chans.line3;
    putstr(1, dash56, 1, runio::mlog);
    putstr(0, "% rbi with extra precision for restarting fractcalcs with new equilibrium", 1, runio::mlog);
    putstr(0, "% at P = " + realstr(r.p, 4, true) + " kbar, and T = " + realstr(celsius(r.t), 3, true), 1,
           runio::mlog);
    putstr(0, equals56, 1, runio::mlog);
    putstr(0, thermodata::ds.dsnew ? "% 1-element-based modes" : "% 1-oxide-based modes", 1, runio::mlog);
    line = "rbi" + runio::spaces(4 + 17);
    for (int c = 1; c <= cs.ncomp; ++c) addfield(rbiname(c), 13, line);
    putstr(0, line, 1, runio::mlog);
    static Rows rows;
    assemblagerows(s, rows, runio::scripttabs.nsetmu);
    for (int k = 1; k <= rows.n; ++k) {
        line = "rbi";
        addfield(rows.name[k], 8, line);
        addreal(k <= u.nmodes ? modes[k] : 0.0, 6, false, 13, line);
        for (int c = 1; c <= cs.ncomp; ++c) addreal(rows.comp[k][c], 6, false, 13, line);
        putstr(0, line, 1, runio::mlog);
    }
    putstr(0, equals56, 1, runio::mlog);
    if (rows.n != u.nmodes) bomb("printfractresults", "mismatch", 0);

    // The bulk of this equilibrium, in mole percent of the oxides.
    CompRow bulk{};
    double total = 0.0;
    for (int k = 1; k <= rows.n; ++k) {
        double atoms = 0.0;
        for (int c = 1; c <= cs.ncomp; ++c) atoms += cs.compatoms[c] * rows.comp[k][c];
        if (atoms == 0.0) continue;
        for (int c = 1; c <= cs.ncomp; ++c) bulk[c] += modes[k] / atoms * rows.comp[k][c];
    }
    for (int c = 1; c <= cs.ncomp; ++c) total += bulk[c];
    for (int c = 1; c <= cs.ncomp; ++c) bulk[c] = total > 0.0 ? 100.0 * bulk[c] / total : 0.0;
    line.clear();
    addreal(r.p, 4, true, 11, line);
    addreal(celsius(r.t), 3, true, 11, line);
    for (int c = 1; c <= cs.ncomp; ++c)
        if (std::fabs(bulk[c]) > 1e-9) addreal(bulk[c], 5, true, 11, line);
    addreal(f.lost, 5, true, 11, line);
    putstr(0, line, 1, runio::mpx);
    line = "% bulk ";
    for (int c = 1; c <= cs.ncomp; ++c) addreal(bulk[c], 6, false, 13, line);
    putstr(0, line, 1, runio::mlog);
    putstr(0, dash56, 1, runio::mlog);
}

}  // namespace diagramresults
