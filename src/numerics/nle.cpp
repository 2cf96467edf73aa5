// The non-linear equation solver of every equilibrium: a damped Newton
// method on the residuals of the equilibrium equations, each iteration a
// direction from a truncated singular value decomposition of the jacobian
// and a line search along it that keeps every unknown in its range and
// every checked site fraction positive.  Here: the driver with its result
// codes and report, the start, the trial evaluation, and the iteration
// table.
#include <cmath>

#include "numerics/nlestate.h"
#include "runio/runio.h"
#include "runio/scriptset.h"

namespace numerics {

NleState nst;
ResidualFunction residualfunction = nlefunc;

namespace {

using runio::addfield;
using runio::addreal;
using runio::putstr;

// Convergence: the residuals or their sum of squares vanish, or the step
// (in typical sizes) is small with residuals nearly so.
constexpr double fsmall = 1e-12;
constexpr double esmall = 1e-8;
constexpr double dxsmall = 0.05;
constexpr double edxsmall = 1e-4;

int debuglevel() { return runio::scriptflags.debuglevel; }

double halfsquares(const Vector& r, int n)
{
    double f = 0.0;
    for (int k = 1; k <= n; ++k) f += r[k] * r[k];
    return 0.5 * f;
}

double maxabs(const Vector& r, int n)
{
    double m = 0.0;
    for (int k = 1; k <= n; ++k) m = std::fmax(m, std::fabs(r[k]));
    return m;
}

// An unknown as the tables show it: free ones unscaled, T in degrees C,
// modes per atom of the bulk.
double shown(int i, bool unscalefixed)
{
    const Unknowns& u = unk;
    double v = u.nlex[i];
    if (u.xfree[i] || unscalefixed) {
        double scale = u.xscale[i];
        if (i > u.nvar) scale *= bulks.bulkatoms > 0.0 ? std::sqrt(bulks.bulkatoms) : 1.0;
        if (u.xfree[i]) v = (v - u.xoffset[i]) / scale;
    }
    if (i == 2) v -= 273.15;
    return v;
}

// Lays out the free unknowns in 12 columns from the current line on, the
// modes on a line of their own when all would not fit.
template <class Put>
void layout(int indent, Put put)
{
    const Unknowns& u = unk;
    std::string& line = runio::chans.line;
    const int c = (240 - indent) / 12;
    const int nall = u.nvar + u.nmodes;
    auto range = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            if (u.xfree[i]) put(i, line);
    };
    if (nall <= c) {
        range(1, nall);
    } else {
        if (u.nvar > c) {
            range(1, c);
            putstr(0, line, 1, runio::msol);
            line = runio::spaces(indent);
            range(c + 1, u.nvar);
        } else {
            range(1, u.nvar);
        }
        putstr(0, line, 1, runio::msol);
        line = runio::spaces(indent);
        range(u.nvar + 1, nall);
    }
    putstr(0, line, 1, runio::msol);
}

// The screen block of a start that cannot be evaluated.
std::string startblock()
{
    const Unknowns& u = unk;
    std::string names, values;
    for (int i = 1; i <= u.nvar; ++i) {
        addfield(u.xname[i], 10, names);
        if (i == 1)
            addreal(u.nlex[1], 1, true, 10, values);
        else if (i == 2)
            addfield(runio::realstrshort(std::nearbyint(u.nlex[2] - 273.15)), 10, values);
        else
            addreal(u.nlex[i], 4, true, 10, values);
    }
    return names + "\n" + values + "\n";
}

bool initialise()
{
    NleState& s = nst;
    const Unknowns& u = unk;
    runio::ScriptFlags& sf = runio::scriptflags;
    s.method = runio::scriptset.nlemethod ? 0 : 1;
    s.maxit = s.method == 0 ? 25 : 100;
    s.n = 0;
    for (int i = 1; i <= u.nvar + u.nmodes; ++i) {
        if (!u.xfree[i]) continue;
        s.idx[++s.n] = i;
        s.w[s.n] = 1.0 / u.xtypsize[i];
    }
    s.iteration = 0;
    s.tracelines = 0;
    s.maxe = s.maxdx = 1.0;
    s.notreduced = 0;
    s.stop = s.esize = s.fsize = s.dxconverge = s.smallstep = s.overit = s.done = false;
    s.evaluations = 0;
    s.accessibility = 4;
    s.radius = 1.0;
    s.stepcode = 0;
    if (evalnle(u.nlex, s.jac, s.r)) {
        s.fstart = halfsquares(s.r, s.n);
        s.fa = s.fstart;
        s.maxestart = maxabs(s.r, s.n);
        if (s.method == 1)
            for (int j = 1; j <= s.n; ++j) {
                double g = 0.0;
                for (int k = 1; k <= s.n; ++k) g += s.jac[k][j] * s.r[k];
                s.g[j] = g;
            }
        return true;
    }
    if (sf.dogminon) {
        if (sf.dogminlevel > 0) runio::screenwrite("solver could not start\n");
        return false;
    }
    if (sf.debuglevel == 0) {
        std::string head = "\nillegal start ";
        addfield(runio::inttext(progress.batchitem), 3, head);
        addfield(runio::inttext(progress.mcrun), 3, head);
        runio::screenwrite(head + "\n" + startblock());
        // An unevaluable start is reported once; from now on it is fatal.
        sf.debuglevel = 1;
        return false;
    }
    runio::screenwrite("\n" + startblock());
    runio::bomb("nle", "illegal start", 0);
}

const char* reportline(int code)
{
    const NleState& s = nst;
    if (code == 1 || code == 2) {
        if (s.smallstep) return "   step too small distant from solution (dxstop)";
        if (s.overit) return "   too many iterations (overit)";
    }
    switch (s.stepcode) {
    case 1: return "   jacobian singular in steplength";
    case 2: return "   too many iterations in finding interval in steplength";
    case 3: return "   too many iterations in finding value in interval in steplength";
    case 4: return "   sequence of not reduced (at accessible boundary) in steplength";
    case 5: return "   slim too small (on edge looking out?)";
    default: return "   shouldn't get here";
    }
}

void report(int code)
{
    const NleState& s = nst;
    const Unknowns& u = unk;
    if (code == 0) {
        const char* why = s.esize        ? "size of max residual (esize)"
                          : s.fsize      ? "size of sum of squares of residual (fsize)"
                          : s.dxconverge ? "step too small near solution (dxconverge)"
                                         : "shouldn't get here";
        putstr(1, why, 1, runio::msol);
        return;
    }
    putstr(1, "No solution (" + runio::inttext(code) + "):", 1, runio::msol);
    putstr(0, reportline(code), 1, runio::msol);
    putstr(0, "at which stage x was:", 1, runio::msol);
    std::string names, values;
    for (int i = 1; i <= u.nvar; ++i) {
        addfield(u.xname[i], 10, names);
        addreal(shown(i, false), 4, false, 10, values);
    }
    putstr(0, names, 1, runio::msol);
    putstr(0, values, 1, runio::msol);
    if (u.nmodes > 0) {
        names = values = runio::spaces(20);
        for (int i = u.nvar + 1; i <= u.nvar + u.nmodes; ++i) {
            addfield(u.xname[i], 10, names);
            addreal(shown(i, false), 4, false, 10, values);
        }
        putstr(0, names, 1, runio::msol);
        putstr(0, values, 1, runio::msol);
    }
    putstr(0, std::string(54, '_'), 2, runio::msol);
}

}  // namespace

bool evalnle(Vector x, SquareTable& j, Vector& r) { return residualfunction(x, j, r); }

bool fn(double a, double& f, double& slope, int site)
{
    NleState& s = nst;
    const runio::ScriptFlags& sf = runio::scriptflags;
    if (a < 0.0) runio::bomb("fn", "called with step <= 0", 1);
    ++s.evaluations;
    Vector xt = unk.nlex;
    for (int k = 1; k <= s.n; ++k) xt[s.idx[k]] -= a * s.d[k];
    if (evalnle(xt, s.jac, s.r)) {
        f = halfsquares(s.r, s.n);
        slope = 0.0;
        for (int k = 1; k <= s.n; ++k) {
            double jd = 0.0;
            for (int j = 1; j <= s.n; ++j) jd += s.jac[k][j] * s.d[j];
            slope -= s.r[k] * jd;
        }
        s.maxe = maxabs(s.r, s.n);
        s.maxdx = 0.0;
        for (int k = 1; k <= s.n; ++k) s.maxdx = std::fmax(s.maxdx, std::fabs(a * s.d[k] * s.w[k]));
        s.fsize = f < fsmall;
        s.esize = s.maxe <= esmall;
        s.smallstep = s.maxdx < dxsmall;
        s.dxconverge = s.smallstep && s.maxe < edxsmall;
        return s.esize || s.fsize || s.smallstep;
    }
    if (runio::mcs.mcit <= 1.01 && sf.debuglevel != 0 && !sf.dogminon)
        runio::bomb("fn", "not ok (" + runio::inttext(site) + ")", 1);
    f = 1.0;
    slope = 0.0;
    s.maxe = s.maxdx = 1.0;
    return true;
}

bool nle(int& code)
{
    NleState& s = nst;
    Unknowns& u = unk;
    if (!initialise()) {
        code = 9;
        return false;
    }
    if (s.fstart < fsmall || s.maxestart < esmall) {
        code = 0;
        return true;
    }
    // The table's header once the start is known to need iterations: a
    // start at the solution writes nothing.
    if (debuglevel() == 2) printheader();
    do {
        ++s.iteration;
        s.overit = s.iteration > s.maxit;
        if (s.method != 0) runio::bomb("nle", "the trust-region method is not in this build", 1);
        s.stop = steplength(s.a, s.stepcode);
        s.done = s.stepcode >= 1 || s.stop;
        if (s.stepcode == 0)
            for (int k = 1; k <= s.n; ++k) u.nlex[s.idx[k]] -= s.a * s.d[k];
        if (debuglevel() == 3) {
            runio::chans.line = runio::spaces(59);
            printiterline(54);
        }
    } while (!s.done && !s.overit);

    if (s.esize || s.fsize || s.dxconverge)
        code = 0;
    else if (s.smallstep)
        code = 1;
    else if (s.overit)
        code = 2;
    else if (s.stepcode >= 1)
        code = s.stepcode + 2;
    else
        code = 10;
    if (debuglevel() >= 2) report(code);
    return code == 0;
}

void printvarnames(int indent)
{
    layout(indent, [](int i, std::string& line) { addfield(unk.xname[i], 12, line); });
}

void printiterline(int indent)
{
    layout(indent, [](int i, std::string& line) { addreal(shown(i, false), 6, false, 12, line); });
}

void printheader()
{
    const NleState& s = nst;
    const int level = debuglevel();
    const int indent = level == 2 ? 54 : 58;
    std::string& line = runio::chans.line;
    if (level > 2)
        putstr(0, std::string(58, '-'), 1, runio::msol);
    else
        putstr(0, "", 1, runio::msol);
    if (s.method == 1) {
        line = std::string(1, runio::bulletsign) + "       f";
        addfield("h", 10, line);
        addfield("v", 10, line);
        addfield("r", 13, line);
        addfield("maxe", 10, line);
        addfield("maxd", 10, line);
        putstr(0, line, 1, runio::msol);
        return;
    }
    if (s.method != 0) runio::bomb("printheader", "unknown method", 1);
    if (level > 1 && s.iteration < 2 && s.tracelines < 2) {
        line = "starting guesses:";
        printvarnames(17);
        line = runio::spaces(17);
        printiterline(17);
        putstr(0, "", 1, runio::msol);
    }
    line = std::string(1, runio::bulletsign);
    if (level == 2) {
        addfield("", 6, line);
    } else if (level == 3) {
        addfield(runio::inttext(s.iteration), 4, line);
    } else {
        addfield(runio::inttext(s.iteration), 2, line);
        addfield(runio::inttext(s.tracelines), 2, line);
    }
    addfield("f", 7, line);
    addfield("slope", 10, line);
    addfield("step", level == 2 ? 10 : 14, line);
    addfield("maxe", 13, line);
    addfield("maxdx", 10, line);
    if (level == 2 || (level == 3 && s.iteration == 1))
        printvarnames(indent);
    else
        putstr(0, line, 1, runio::msol);
}

}  // namespace numerics
