// One iteration of the solver's line-search method: the start of the step
// (the residuals and jacobian at the current point, the Newton direction
// from a truncated singular value decomposition, the largest admissible
// step), then a step length that decreases f = sum r^2 / 2 enough and
// flattens its slope enough (a strong Wolfe test), found by bracketing and
// cubic interpolation, never past the largest admissible step.
#include <cmath>

#include "numerics/nlestate.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace numerics {

namespace {

using runio::addfield;
using runio::addreal;
using runio::putstr;

constexpr double svfloor = 1e-12;     // singular values below this times the largest are dropped
constexpr double slimcap = 50.0;      // the line search looks no further than this
constexpr double decrease = 0.01;     // sufficient-decrease factor
constexpr double curvefirst = 0.5;    // curvature factor of a first trial that decreases enough
constexpr double curve = 0.2;         // curvature factor everywhere else
constexpr int maxrounds = 10;
constexpr double fdstep = 1e-8;       // forward-difference jacobian, scaled unknowns
constexpr double fdcompare = 1e-7;    // the jacobian comparison

int debuglevel() { return runio::scriptflags.debuglevel; }

// A trial and what the tests made of it.
struct Trial {
    double a = 0.0, f = 0.0, g = 0.0;
};

// The finite-difference jacobian by the free unknowns, with step h, leaving
// unknowns, activities and residuals as they were.
void fdtable(double h, SquareTable& out)
{
    NleState& s = nst;
    Unknowns& u = unk;
    const Vector saved = u.nlex;
    const Vector rsaved = s.r;
    const auto actsaved = thermodata::ems.act;
    static SquareTable scratch;
    for (int k = 1; k <= s.n; ++k) {
        u.nlex = saved;
        u.nlex[s.idx[k]] += h;
        Vector x = u.nlex;
        residualfunction(x, scratch, s.r);
        for (int r = 1; r <= s.n; ++r) out[r][k] = (s.r[r] - rsaved[r]) / h;
    }
    u.nlex = saved;
    thermodata::ems.act = actsaved;
    s.r = rsaved;
}

void fdjacobian() { fdtable(fdstep, nst.jac); }

void comparejacobian()
{
    const NleState& s = nst;
    const Unknowns& u = unk;
    static SquareTable fd;
    fdtable(fdcompare, fd);
    std::string& line = runio::chans.line;
    putstr(2, "x", 1, runio::msol);
    line.clear();
    for (int i = 1; i <= u.nvar; ++i)
        if (u.xfree[i]) addfield(u.xname[i], 10, line);
    putstr(0, line, 1, runio::msol);
    line.clear();
    for (int i = 1; i <= u.nvar; ++i) {
        if (!u.xfree[i]) continue;
        const double v = (u.nlex[i] - u.xoffset[i]) / u.xscale[i];
        if (i == 2)
            addreal(v - 273.15, 1, true, 10, line);
        else
            addreal(v, 4, false, 10, line);
    }
    putstr(0, line, 1, runio::msol);
    std::string names = runio::spaces(20), values = runio::spaces(20);
    for (int i = u.nvar + 1; i <= u.nvar + u.nmodes; ++i) {
        if (!u.xfree[i]) continue;
        addfield(u.xname[i], 10, names);
        addreal((u.nlex[i] - u.xoffset[i]) / u.xscale[i], 4, false, 10, values);
    }
    putstr(0, names, 1, runio::msol);
    putstr(0, values, 1, runio::msol);
    std::string e = "\ne ";
    for (int k = 1; k <= s.n; ++k) addreal(s.r[k], 6, true, 12, e);
    runio::screenwrite(e + "\n\n");
    auto table = [&](const char* title, const SquareTable& m) {
        putstr(1, title, 1, runio::msol);
        for (int k = 1; k <= s.n; ++k) {
            line.clear();
            for (int j = 1; j <= s.n; ++j) addreal(m[k][j], 4, false, 10, line);
            putstr(0, line, 1, runio::msol);
        }
    };
    table("analytical jacobian", s.jac);
    table("fd jacobian", fd);
    putstr(1, "% difference", 1, runio::msol);
    for (int k = 1; k <= s.n; ++k) {
        line.clear();
        for (int j = 1; j <= s.n; ++j) {
            const double f = fd[k][j];
            if (std::fabs(f) < 1e-9) {
                addfield("-", 10, line);
                continue;
            }
            const double pc = 100.0 * (1.0 - s.jac[k][j] / f);
            if (std::fabs(pc) > 0.001)
                addreal(pc, 4, false, 10, line);
            else
                addfield("--", 10, line);
        }
        putstr(0, line, 1, runio::msol);
    }
    putstr(0, "", 1, runio::msol);
}

void checkstart()
{
    const NleState& s = nst;
    const int fd = runio::scriptset.fdaccess;
    if (fd == 2) {
        comparejacobian();
        fdjacobian();
    } else if (fd != 0) {
        comparejacobian();
    }
    for (int k = 1; k <= s.n; ++k) {
        if (std::isnan(s.r[k])) {
            std::string l;
            for (int j = 1; j <= s.n; ++j) addreal(s.r[j], 4, true, 10, l);
            runio::screenwrite(l + "\n");
            runio::bomb("startup", "residual NaN", 1);
        }
        for (int j = 1; j <= s.n; ++j) {
            if (std::isfinite(s.jac[k][j])) continue;
            putstr(2, "Divide by zero occurred during calculation of jacobian??", 1, runio::msol);
            putstr(0, "Check that initial guess substituted into a composition term doesn't give zero. ", 1,
                   runio::msol);
            putstr(0, "If so, change starting guess or guesses:", 1, runio::msol);
            runio::bomb("startup", "jacobian NaN", 1);
        }
    }
}

bool singularcheck()
{
    const NleState& s = nst;
    if (debuglevel() != 4) return true;
    std::string& line = runio::chans.line;
    line = "  ";
    for (int k = 1; k <= s.n; ++k) addfield(unk.xname[s.idx[k]], 10, line);
    putstr(1, line, 1, runio::msol);
    auto row = [&](const char* label, auto value) {
        line = label;
        for (int k = 1; k <= s.n; ++k) addreal(value(k), 6, false, 12, line);
    };
    row("x ", [&](int k) { return unk.nlex[s.idx[k]]; });
    putstr(0, line, 1, runio::msol);
    row("d ", [&](int k) { return s.d[k]; });
    putstr(0, line, 1, runio::msol);
    row("z ", [&](int k) {
        double jd = 0.0;
        for (int j = 1; j <= s.n; ++j) jd += s.jac[k][j] * s.d[j];
        return jd - s.r[k];
    });
    putstr(0, line, 2, runio::msol);
    return true;
}

void startup(double& f0, double& slope0, double& slim)
{
    NleState& s = nst;
    auto& sv = numerics::sv;
    const int n = s.n;
    s.maxdx = 0.0;
    if (!evalnle(unk.nlex, s.jac, s.r)) runio::bomb("startup", "bad start to iteration", 0);
    checkstart();
    double f = 0.0;
    for (int k = 1; k <= n; ++k) f += s.r[k] * s.r[k];
    f0 = 0.5 * f;
    for (int k = 1; k <= n; ++k)
        for (int j = 1; j <= n; ++j) sv.svdu[k][j] = s.jac[k][j];
    svd(n, n);
    s.svdropped = false;
    // A jacobian without a non-zero singular value gives no direction.
    if (n > 0 && !(sv.svdw[n] > 0.0)) {
        s.stepcode = 1;
        return;
    }
    int first = n;
    for (int i = 1; i <= n - 1; ++i)
        if (sv.svdw[i] > svfloor * sv.svdw[n]) {
            first = i;
            break;
        }
    s.svdropped = n > 0 && first >= 2;
    Vector z{};
    for (int i = first; i <= n; ++i) {
        double uz = 0.0;
        for (int j = 1; j <= n; ++j) uz += sv.svdu[j][i] * s.r[j];
        z[i] = uz / sv.svdw[i];
    }
    for (int k = 1; k <= n; ++k) {
        double d = 0.0;
        for (int i = first; i <= n; ++i) d += sv.svdv[k][i] * z[i];
        s.d[k] = d;
    }
    if (!singularcheck()) {
        s.stepcode = 1;
        return;
    }
    slope0 = -2.0 * f0;
    findlimit(slim, s.accessibility);
    s.stepcode = slim < 1e-8 ? 5 : 0;
}

void printstepline(char tag1, char tag2, double f, double slope, double step)
{
    NleState& s = nst;
    const int level = debuglevel();
    ++s.tracelines;
    if (level > 3) printheader();
    std::string& line = runio::chans.line;
    line = s.svdropped ? "@" : " ";
    if (level == 2) {
        addfield(runio::inttext(s.iteration), -2, line);
        line += " ";
    } else {
        line += tag1;
    }
    addreal(f, 4, false, 10, line);
    addreal(slope, 4, false, 10, line);
    if (level == 2) {
        if (step == 1.0)
            addfield("1", 10, line);
        else
            addreal(step, 4, false, 10, line);
    } else {
        if (step == 1.0)
            addfield("1", 14, line);
        else
            addreal(step, 8, false, 14, line);
    }
    addfield(std::string(1, tag2), 2, line);
    addreal(s.maxe, 4, false, 11, line);
    if (s.maxdx == 0.0 || s.maxdx == 100.0)
        addfield("", 10, line);
    else
        addreal(s.maxdx, 4, false, 10, line);
    if (level == 2)
        printiterline(54);
    else
        putstr(0, line, 1, runio::msol);
}

}  // namespace

void cubicmin(double a0, double f0, double g0, double a1, double f1, double g1, double& s1, double& s2)
{
    const double h = a1 - a0;
    const double a = 3.0 * (f1 - f0) - h * (2.0 * g0 + g1);
    const double b = h * (g0 + g1) - 2.0 * (f1 - f0);
    if (a == 0.0 && b == 0.0) {
        s1 = s2 = -a0;
    } else if (b == 0.0) {
        s1 = s2 = a0 - h * (h * g0) / (2.0 * a);
    } else {
        const double d = 4.0 * a * a - 12.0 * (h * g0) * b;
        if (d >= 0.0) {
            s1 = a0 + h * (-2.0 * a - std::sqrt(d)) / (6.0 * b);
            s2 = a0 + h * (-2.0 * a + std::sqrt(d)) / (6.0 * b);
        } else {
            s1 = s2 = -a0;
        }
    }
}

bool steplength(double& a, int& stepcode)
{
    NleState& s = nst;
    const int level = debuglevel();
    s.tracelines = 0;
    if (level == 3) printheader();
    double f0 = 0.0, slope0 = 0.0, slim = 0.0;
    startup(f0, slope0, slim);
    s.f0 = f0;
    if (slim > slimcap) {
        slim = slimcap;
        s.accessibility = 3;
    }
    if (s.stepcode != 0) {
        stepcode = s.stepcode;
        return s.stop;
    }
    if (level > 2) printstepline('0', ' ', f0, slope0, 0.0);

    bool armijo = false, curvature = false, ok = false, maxed = false;
    auto tests = [&](const Trial& t, double factor) {
        armijo = t.f < f0 + decrease * t.a * slope0;
        curvature = std::fabs(t.g) < -factor * slope0;
        ok = s.stop || (armijo && curvature);
    };
    auto evaluate = [&](Trial& t, int site) { s.stop = fn(t.a, t.f, t.g, site); };
    auto take = [&](const Trial& t) {
        a = t.a;
        s.slopea = t.g;
        s.fa = t.f;
    };

    Trial t1;
    t1.a = slim > 1.0 ? 1.0 : 0.9 * slim;
    evaluate(t1, 1);
    if (level > 2) {
        static const char acctag[] = {'w', 'x', 'p', 'm', 'i'};
        const int acc = s.accessibility;
        printstepline('s', acc >= 0 && acc <= 4 ? acctag[acc] : '?', t1.f, t1.g, t1.a);
    }
    armijo = t1.f < f0 + decrease * t1.a * slope0;
    tests(t1, armijo ? curvefirst : curve);
    bool bracket = t1.g >= 0.0 || t1.f > f0;
    Trial lo, hi;
    bool zoom = true;
    if (ok) {
        take(t1);
        zoom = false;
    } else if (!bracket) {
        // Still going down below f0: reach out towards the largest admissible step.
        Trial t2;
        const int acc = s.accessibility;
        if (acc == 0 || acc == 1 || acc == 2 || acc == 3) {
            t2.a = (acc == 1 ? 0.99999 : 0.9999999999) * slim;
            evaluate(t2, 2);
            if (level > 2) printstepline('a', ' ', t2.f, t2.g, t2.a);
            tests(t2, curve);
            bracket = t2.g >= 0.0;
            if (!ok && !bracket) ok = t2.f < t1.f;
            lo = t1;
            hi = t2;
        } else if (acc == 4) {
            lo = t1;
            t2.a = t1.a;
            s.rounds = 0;
            do {
                ++s.rounds;
                t2.a = std::fmin(t2.a + 0.9 * (slim - t2.a), 5.0 * t2.a);
                evaluate(t2, 4);
                if (level > 2) printstepline('i', ' ', t2.f, t2.g, t2.a);
                tests(t2, curve);
                bracket = t2.g >= 0.0;
                hi = t2;
                maxed = s.rounds == maxrounds;
                if (!ok && !bracket) {
                    if (s.rounds == maxrounds)
                        ok = true;
                    else if (t2.f <= lo.f)
                        lo = t2;
                }
            } while (!ok && !bracket && !maxed);
        } else {
            runio::bomb("steplength", "unknown accessibility", 1);
        }
        if (ok) {
            take(hi.f < lo.f ? hi : lo);
            zoom = false;
        }
    } else {
        hi = t1;
        lo = Trial{0.0, f0, slope0};
    }
    if (zoom && !ok && maxed) {
        s.stepcode = 2;
        zoom = false;
    }
    if (zoom) {
        s.rounds = 0;
        maxed = false;
        do {
            ++s.rounds;
            double s1, s2;
            cubicmin(lo.a, lo.f, lo.g, hi.a, hi.f, hi.g, s1, s2);
            Trial t;
            if (lo.a <= s1 && s1 <= hi.a) {
                t.a = s1;
            } else if (lo.a <= s2 && s2 <= hi.a) {
                t.a = s2;
            } else {
                if (std::isnan(s1) || std::isnan(s2)) runio::bomb("steplength", "stepa/stepb are NaN", 1);
                std::string l;
                putstr(0, "neither in interval: info", 1, runio::msol);
                l = "1: ";
                for (double v : {lo.f, lo.g, lo.a}) addreal(v, 4, false, 10, l);
                putstr(0, l, 1, runio::msol);
                l = "2: ";
                for (double v : {hi.f, hi.g, hi.a}) addreal(v, 4, false, 10, l);
                putstr(0, l, 1, runio::msol);
                l = "a,b:";
                for (double v : {s1, s2}) addreal(v, 4, false, 10, l);
                putstr(0, l, 1, runio::msol);
                runio::bomb("steplength", "neither in interval", 1);
            }
            // Keep the trial well inside the bracket, nearer its better end.
            const double w = hi.a - lo.a;
            if (hi.f < lo.f)
                t.a = std::fmin(std::fmax(t.a, lo.a + 0.5 * w), lo.a + 0.9 * w);
            else
                t.a = std::fmin(std::fmax(t.a, lo.a + 0.1 * w), lo.a + 0.5 * w);
            evaluate(t, 5);
            tests(t, curve);
            maxed = s.rounds == maxrounds;
            if (maxed) ok = armijo;
            if (level > 2) {
                char tag = static_cast<char>(runio::bulletsign);
                if (t.g >= 0.0 || t.f <= f0) {
                    if (s.stop)
                        tag = '*';
                    else
                        tag = armijo && curvature ? 'g' : curvature ? 'p' : armijo ? 'f' : ' ';
                }
                printstepline('b', tag, t.f, t.g, t.a);
            }
            a = t.a;
            if (!ok && !maxed) {
                if (t.g > 0.0)
                    hi = t;
                else if (t.g == 0.0 || t.f <= lo.f)
                    lo = t;
                else
                    hi = t;
            } else {
                s.slopea = t.g;
                s.fa = t.f;
            }
        } while (!ok && !maxed);
        if (maxed && !ok) s.stepcode = 3;
    }
    // Three steps in a row whose last trial was not reduced: stuck at an
    // edge the direction keeps pointing through.
    const bool notreduced = !(armijo && curvature) && !s.stop;
    s.notreduced = notreduced ? s.notreduced + 1 : 0;
    if (s.notreduced == 3) s.stepcode = 4;
    if (level == 2) printstepline('*', notreduced ? '#' : ' ', s.fa, s.slopea, a);
    stepcode = s.stepcode;
    return s.stop;
}

}  // namespace numerics
