// Shared set-up of the tests of the per-assemblage calculation: a pass of
// the example dataset with the ideal olivine-orthopyroxene-quartz models
// read and set up as the mode-1 driver leaves it, every free component in
// the mass balance, the windows and scalings of P and T given by hand, and
// the result routines replaced by recorders of their calls and of the
// result of every printed point.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "harness/idealsystem.h"
#include "modeone.h"
#include "numerics/numerics.h"
#include "numerics/result.h"
#include "phasediagram/calculation.h"
#include "thermodata/gibbs.h"

namespace calctest {

constexpr double rgas = 0.0083144;

// What a printed point left in the result record.
struct Point {
    double p = 0, t = 0;
    std::vector<double> vars, sf, act, modes;
};

inline std::vector<std::string> calls;
inline std::vector<Point> points;

inline void record(const char* name) { calls.push_back(name); }

inline void recordpoint(phasediagram::SolveState&)
{
    record("printresult");
    const numerics::ResultRec& r = numerics::result;
    Point pt;
    pt.p = r.p;
    pt.t = r.t;
    for (int i = 1; i <= r.nphases; ++i) {
        const numerics::ResPhase& e = r.ph[i];
        for (int v = 1; v < e.nems; ++v) pt.vars.push_back(e.varval[v]);
        for (int k = 1; k <= e.nsf; ++k) pt.sf.push_back(e.sf[k]);
        if (e.firstx > 0)
            for (int k = 1; k <= e.nems; ++k) pt.act.push_back(e.emact[k]);
        pt.modes.push_back(e.mode[1]);
    }
    points.push_back(pt);
}

inline void installrecorders()
{
    calls.clear();
    points.clear();
    phasediagram::ResultRoutines& r = phasediagram::resultroutines;
    r = phasediagram::ResultRoutines{};
    r.printstep = [](phasediagram::SolveState&) { record("printstep"); };
    r.progresscount = [](phasediagram::SolveState&) { record("progresscount"); };
    r.printresult = recordpoint;
    r.printmorestuff = [](phasediagram::SolveState&) { record("printmorestuff"); };
    r.guessadvice = [] { record("guessadvice"); };
    r.cleardogmin = [] {};
}

// G (kJ) of the calculation end-member of that name at p (kbar), t (K).
inline double gem(const std::string& name, double p, double t)
{
    const int k = thermodata::emposition(name);
    double g = 0.0;
    thermodata::gemmake(k, g, p, t);
    return g;
}

// The closed form of the ideal system: x(ol) and x(opx) at p and t.
inline void closedform(double p, double t, double& xol, double& xopx)
{
    const double k1 = std::exp(-(gem("en", p, t) - gem("fo", p, t) - gem("q", p, t)) / (2 * rgas * t));
    const double k2 = std::exp(-(gem("fs", p, t) - gem("fa", p, t) - gem("q", p, t)) / (2 * rgas * t));
    xol = (1 - k1) / (k2 - k1);
    xopx = k2 * xol;
}

// x(ol) held: the T of the line at each P by bisection of the closed form.
inline double isoplethT(double p, double xol)
{
    double lo = 600, hi = 1500;
    auto f = [&](double t) {
        double x, y;
        closedform(p, t, x, y);
        return x - xol;
    };
    const double flo = f(lo);
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        if ((f(mid) > 0) == (flo > 0))
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

// Modes on the one-atom basis from the lever rule: moles n of ol, opx and q
// with n C = bulk (oxide moles), each weighted by its atoms per formula unit
// (7, 10 and 3).
inline std::vector<double> levermodes(const std::vector<double>& b, double xol, double xopx)
{
    // Columns ol, opx, q over SiO2, MgO, FeO.
    const double c[3][3] = {{1, 2, 1}, {2 * (1 - xol), 2 * (1 - xopx), 0}, {2 * xol, 2 * xopx, 0}};
    auto det = [](const double m[3][3]) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double d = det(c);
    const double atoms[3] = {7, 10, 3};
    std::vector<double> modes;
    double total = 0;
    for (int j = 0; j < 3; ++j) {
        double m[3][3];
        for (int r = 0; r < 3; ++r)
            for (int s = 0; s < 3; ++s) m[r][s] = s == j ? b[r] : c[r][s];
        modes.push_back(det(m) / d * atoms[j]);
        total += modes.back();
    }
    for (double& m : modes) m /= total;
    return modes;
}

struct Calc : modeone::ModeOne {
    numerics::PhaseFlags all{};

    // The pass read and set up for the named phases of the a-x text.
    void prepare(const std::string& with, const std::string& more = "", bool pseudosection = false,
                 const std::string& ax = pmtest::idealolopx)
    {
        modeone::choose(modeone::script(with, "inexcess none\n" + more, pseudosection), ax);
        thermodata::readds(3);
        thermodata::setupemdata();
        thermodata::countcomp();
        thermodata::Components& cs = thermodata::comps;
        cs.nfreeox = cs.ncomp;
        for (int c = 1; c <= cs.ncomp; ++c) cs.oxfree[c] = true;
        numerics::Reduction& red = numerics::red;
        red.rankdeficit = 0;
        for (int i = 1; i <= cs.ncomp; ++i)
            for (int j = 1; j <= cs.ncomp; ++j) red.projc[i][j] = i == j;
        all = numerics::PhaseFlags{};
        for (int k = 1; k <= axmodels::ph.nph; ++k) all[k] = 1;
        runio::scriptflags.debuglevel = 1;
        numerics::phchoice.variance0 = 2;
        calcwindows::win.variance = 2;
        window(1, 40, 500, 1700);
        phasediagram::solveglobals = phasediagram::SolveGlobals{};
        installrecorders();
    }

    // Windows of P (kbar) and T (K) and the scalings of P and T as unknowns.
    static void window(double plo, double phi, double tlo, double thi)
    {
        runio::Windows& w = calcwindows::win;
        w.plow = plo;
        w.phigh = phi;
        w.tlow = tlo;
        w.thigh = thi;
        runio::Scalings& s = runio::scal;
        s.pscale = 1.0 / (phi + 2 - 0.0009);
        s.poffset = -0.0009 * s.pscale;
        s.tscale = 1.0 / (thi - tlo + 150);
        s.toffset = -(tlo - 75) * s.tscale;
        w.ptypsize = 0.01 * s.pscale;
        w.ttypsize = 0.1 * s.tscale;
    }

    static void lists(const std::vector<double>& ps, const std::vector<double>& ts)
    {
        runio::Windows& w = calcwindows::win;
        w.nplist = static_cast<int>(ps.size());
        w.ntlist = static_cast<int>(ts.size());
        for (std::size_t i = 0; i < ps.size(); ++i) w.plist[static_cast<int>(i) + 1] = ps[i];
        for (std::size_t i = 0; i < ts.size(); ++i) w.tlist[static_cast<int>(i) + 1] = ts[i];
    }

    // One bulk of oxide amounts in the order of the components, summing to 100.
    static void bulk(const std::vector<double>& b)
    {
        numerics::BulkSetup& bs = numerics::bulks;
        bs.nbulk = 1;
        double s = 0;
        for (double v : b) s += v;
        for (std::size_t j = 0; j < b.size(); ++j) bs.bulk[static_cast<int>(j) + 1] = bs.bulk2[static_cast<int>(j) + 1] = 100 * b[j] / s;
    }
};

}  // namespace calctest
