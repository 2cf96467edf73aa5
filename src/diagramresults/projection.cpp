// Phase compositions of a result projected onto the compatibility diagram:
// each phase of the assemblage that is not in excess is written as a
// combination of the apices of the projection plane and the phases in
// excess, and its coefficients on the apices, divided by their sum, are its
// position in the diagram.  A table to screen, output file and log; brace
// lists for the drawing program and csv rows with "compatibility"; the
// bulk in the same coordinates with "projcomp".
#include <cmath>

#include "diagramresults/diagramresults.h"
#include "diagramresults/resultwork.h"
#include "numerics/numerics.h"
#include "numerics/unknowns.h"
#include "phasediagram/setup.h"
#include "runio/scriptset.h"

namespace diagramresults {

namespace {

using phasediagram::projplane;

constexpr int maxprojected = 80;        // phases kept for the lists
constexpr double zerocoef = 1e-6;       // a coefficient below this is shown as blank
constexpr double inplane = 0.0001;      // an apex sum below this: the phase lies among the excess phases

// The columns of the projection: the plane's own apices, then the phases in
// excess (solution phases by their composition at the result, pure phases
// as the plane's appended apices); the fluid of an externally buffered run
// has no column.
struct Columns {
    int napex = 0, n = 0;
    int firstpure = 0;   // the first column of the pure phases in excess
    runio::Arr<std::string, 2 * phasediagram::maxapex + numerics::maxassemblage + 1> name{};
};

// The projected phases of the last result, for the lists: their
// coefficients on the apices of the plane, then on the pure phases in
// excess (1..ncoef).
struct Projected {
    int n = 0, ncoef = 0;
    runio::Arr<std::string, maxprojected + 1> name{};
    runio::Arr<runio::Arr<double, phasediagram::maxapex + 1>, maxprojected + 1> coef{};
};

numerics::RealMatrix mat;   // large: kept out of the stack
Columns cols;
Projected projected;

// Position of the first end-member of solution phase k among the
// calculation's end-members, 0 when it is not in the assemblage.
int firstem(int k)
{
    const numerics::Unknowns& u = numerics::unk;
    for (int e = 1; e <= thermodata::ems.nem; ++e)
        if (u.phasestart[e] && u.emphase[e] == k) return e;
    return 0;
}

// The matrix columns of the apices and of the phases in excess, over the
// free components (rows 1..nfreeox).
void setcolumns(const numerics::PhaseFlags& phases)
{
    const axmodels::Phases& ph = axmodels::ph;
    const thermodata::Components& cs = thermodata::comps;
    const numerics::PhaseChoice& pc = numerics::phchoice;
    const phasediagram::ProjPlane& pp = projplane;
    const int nf = cs.nfreeox;
    cols.napex = pp.nprojcomp - pp.nprojexcess;
    cols.n = 0;
    for (int a = 1; a <= cols.napex; ++a) {
        cols.name[++cols.n] = pp.projapexname[a];
        for (int j = 1; j <= nf; ++j) mat[j][cols.n] = pp.projapex[a][j];
    }
    numerics::CompVector comp{};
    for (int k = 1; k <= ph.nss; ++k) {
        if (!pc.isexcess[k] || !phases[k] || k == pc.exbuffph) continue;
        numerics::phasebulk(firstem(k), comp);
        cols.name[++cols.n] = ph.prec1[k].name;
        int j = 0;
        for (int c = 1; c <= cs.ncomp; ++c)
            if (cs.oxfree[c]) mat[++j][cols.n] = comp[c];
    }
    cols.firstpure = cols.n + 1;
    for (int a = cols.napex + 1; a <= pp.nprojcomp; ++a) {
        cols.name[++cols.n] = pp.projapexname[a];
        for (int j = 1; j <= nf; ++j) mat[j][cols.n] = pp.projapex[a][j];
    }
}

// The coefficients c[1..cols.n] that make up the composition in the last
// column (n + 1) of mat, with s their sum over the apices.
void express(numerics::EmTable& c, double& s)
{
    const int m = thermodata::comps.nfreeox, n = cols.n + 1;
    numerics::realreaction(mat, m, n, c);
    // The reaction holds the phase with -1 when the columns before it span
    // its composition; then c are its amounts of the columns.
    const double own = c[n];
    if (own != 0.0)
        for (int j = 1; j <= n; ++j) c[j] /= -own;
    s = 0.0;
    for (int a = 1; a <= cols.napex; ++a) s += c[a];
}

// The coefficients divided by the magnitude of their apex sum, or as they
// are when that sum vanishes.
void addcoefs(const numerics::EmTable& c, double s, std::string& line)
{
    for (int j = 1; j <= cols.n; ++j) {
        if (std::fabs(c[j]) < zerocoef)
            addfield("", 9, line);
        else if (std::fabs(s) < inplane)
            addreal(c[j], 4, true, 9, line);
        else
            addreal(c[j] / std::fabs(s), 4, true, 9, line);
    }
}

// The heading of a table over the columns, after a blank line.
void heading(const std::string& first, const std::string& last)
{
    std::string& line = runio::chans.line;
    line.clear();
    addfield(first, -6, line);
    for (int j = 1; j <= cols.n; ++j) addfield(cols.name[j], 9, line);
    addfield(last, 9, line);
    putstr(1, line, 1, runio::msol);
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

bool isprojected(const std::string& name)
{
    for (int i = 1; i <= projected.n; ++i)
        if (projected.name[i] == name) return true;
    return false;
}

// The lists of the projected phases for the drawing program and the csv file.
void writelists(double p, double t, const phasediagram::ReactionNames& names, const phasediagram::ReactionCoefs& coefs,
                int nreaction)
{
    const numerics::Unknowns& u = numerics::unk;
    const runio::ScriptFlags& sf = runio::scriptflags;
    const int last = sf.modesafternle ? u.nvar : u.nvar + u.nmodes;
    const int niso = numerics::iso.niso;
    std::string& line = runio::chans.line;
    putstr(0, "(*---------------------------------------------------------*)", 1, runio::mpx);
    line = "{{" + realstr(p, 3, true) + ", " + realstr(celsius(t), 2, true) + "}, ";
    bool fixedvar = false;
    for (int i = 3; i <= u.nvar; ++i) fixedvar = fixedvar || !u.xfree[i];
    std::string lead;
    if (runio::win.variance == 1 && !fixedvar) {
        putstr(0, line, 1, runio::mpx);
        line = " {";
        for (int i = 1; i <= nreaction; ++i)
            if (coefs[i] < 0 && isprojected(names[i])) line += quoted(names[i]) + ", ";
        line += "}, {";
        for (int i = 1; i <= nreaction; ++i)
            if (coefs[i] > 0 && isprojected(names[i])) line += quoted(names[i]) + ",";
        line += "}, ";
        lead = " ";
    }
    putstr(0, line, 1, runio::mpx);
    for (int i = 1; i <= projected.n; ++i) {
        line = i == 1 ? lead + "         {" : runio::spaces(10);
        addfield("{" + quoted(projected.name[i]) + ", ", -9, line);
        for (int a = 1; a <= projected.ncoef; ++a) {
            addreal(projected.coef[i][a], 6, true, 9, line);
            line += a == projected.ncoef ? "}" : a == cols.napex ? ",    " : ", ";
        }
        if (i < projected.n) {
            line += ", ";
        } else if (niso != 1) {
            line += "} },";
        } else {
            for (int k = 3; k <= last; ++k)
                if (!u.xfree[k]) line += "}, " + realstr(u.nlex[k], 3, true) + "},   (* " + u.xname[k] + "   *) ";
        }
        putstr(0, line, 1, runio::mpx);
    }
    for (int i = 1; i <= projected.n; ++i) {
        line.clear();
        addfield(projected.name[i] + ", ", 9, line);
        for (int a = 1; a <= projected.ncoef; ++a) {
            addreal(projected.coef[i][a], 6, true, 9, line);
            line += ", ";
        }
        if (i == 1) {
            addreal(p, 3, true, 9, line);
            line += ", ";
            addreal(celsius(t), 2, true, 9, line);
            line += ", ";
        } else {
            line += runio::spaces(9) + ", " + runio::spaces(9) + ", ";
        }
        if (niso == 1)
            for (int k = 3; k <= last; ++k)
                if (!u.xfree[k]) line += u.xname[k] + " =" + realstr(u.nlex[k], 3, true);
        putstr(0, line, i == projected.n ? 2 : 1, runio::mcsv);
    }
}

// The bulk of each bulk point of the result in the coordinates of the plane.
void projectbulk()
{
    const numerics::ResultRec& res = numerics::result;
    const numerics::BulkSetup& b = numerics::bulks;
    const int nf = thermodata::comps.nfreeox, f = res.firstmodept;
    if (f <= 0) return;
    std::string& line = runio::chans.line;
    heading("comp", "bulk");
    const int rows = numerics::phchoice.variance0 == 1 ? static_cast<int>(std::lround(res.nmodevec / 2.0))
                                                       : res.nmodevec;
    numerics::EmTable c{};
    for (int pt = f; pt <= f + rows - 1; ++pt) {
        const double t = b.nbulk > 1 ? static_cast<double>(pt - 1) / (b.nbulk - 1) : 0.0;
        for (int j = 1; j <= nf; ++j) mat[j][cols.n + 1] = (1 - t) * b.bulk[j] + t * b.bulk2[j];
        double s = 0.0;
        express(c, s);
        line.clear();
        if (b.nbulk > 1)
            addfield(runio::inttext(pt), -6, line);
        else
            addfield("", 6, line);
        addcoefs(c, s, line);
        putstr(0, line, 1, runio::msol);
    }
}

}  // namespace

void writebraceresults(double p, double t, const numerics::PhaseFlags& phases,
                       const phasediagram::ReactionNames& names, const phasediagram::ReactionCoefs& coefs, int n)
{
    const axmodels::Phases& ph = axmodels::ph;
    const thermodata::Components& cs = thermodata::comps;
    const numerics::PhaseChoice& pc = numerics::phchoice;
    const runio::ScriptSet& ss = runio::scriptset;
    if (projplane.nprojcomp <= 0) return;
    setcolumns(phases);
    std::string& line = runio::chans.line;
    heading("proj", "phase");

    projected.n = 0;
    numerics::EmTable c{};
    numerics::CompVector comp{};
    const int last = cols.n + 1;
    auto project = [&](const std::string& name) {
        double s = 0.0;
        express(c, s);
        line.clear();
        addfield(name, -6, line);
        addcoefs(c, s, line);
        if (std::fabs(s) < inplane)
            line += "  #";
        else if (s < 0.0)
            line += std::string("  ") + runio::bulletsign;
        putstr(0, line, 1, runio::msol);
        if (projected.n >= maxprojected) return;
        const int i = ++projected.n;
        projected.name[i] = name;
        const double d = std::fabs(s) < inplane ? 1.0 : std::fabs(s);
        int a = 0;
        for (int j = 1; j <= cols.n; ++j)
            if (j <= cols.napex || j >= cols.firstpure) projected.coef[i][++a] = c[j] / d;
        projected.ncoef = a;
    };
    for (int k = 1; k <= ph.nss; ++k) {
        if (!phases[k] || pc.isexcess[k]) continue;
        numerics::phasebulk(firstem(k), comp);
        int j = 0;
        for (int cc = 1; cc <= cs.ncomp; ++cc)
            if (cs.oxfree[cc]) mat[++j][last] = comp[cc];
        project(ph.prec1[k].name);
    }
    for (int k = 1; k <= ph.npure; ++k) {
        if (!phases[ph.nss + k] || pc.isexcess[ph.nss + k]) continue;
        int j = 0;
        for (int cc = 1; cc <= cs.ncomp; ++cc)
            if (cs.oxfree[cc])
                mat[++j][last] = static_cast<double>(ph.prec0[k].comp[cc]) / static_cast<double>(cs.compmult[cc]);
        project(ph.prec0[k].name);
    }

    if (given(ss.compatibility) && !given(ss.plotixsw)) {
        writelists(p, t, names, coefs, n);
    } else if (given(ss.compatibility)) {
        for (int i = 1; i <= projected.n; ++i) {
            line.clear();
            for (int a = 1; a <= projected.ncoef; ++a) addreal(projected.coef[i][a], 4, true, 9, line);
            line += "   %  ";
            addfield(projected.name[i], -8, line);
            putstr(0, line, 1, runio::mpx);
        }
    }
    if (numerics::bulks.nbulk > 0 && given(ss.projcomp)) projectbulk();
}

}  // namespace diagramresults
