// Value lists over the windows: P and T stepped by the script's interval or
// an asked one, x(CO2) from a ladder of usual values or typed, and the lists
// of the set activities and chemical potentials.  No list holds more than
// 201 values, the high end of the window included.
#include <algorithm>
#include <cmath>

#include "calcwindows/calcwindows.h"
#include "runio/scriptset.h"

namespace calcwindows {

namespace {

using runio::degreesc;
using runio::msl;
using runio::putstr;

const std::string mu(1, runio::musign);

using List = runio::Arr<double, maxlist + 1>;

// Steps of inc from low: their count, and whether high follows them as one
// more value (when the last step falls short of it by more than tol).  The
// test of an interval and the list it makes go by this one rule, in the
// units of the window, so that a list never holds a value its test did not
// count.
struct Steps {
    int n;           // stepped values, low the first
    bool withend;    // high appended after them
};

Steps stepsof(double low, double high, double inc, double tol, bool rounded)
{
    const double steps = rounded ? std::nearbyint((high - low) / inc) : std::trunc((high - low) / inc);
    if (steps + 1.0 > maxlist + 1.0) return {maxlist + 2, false};   // too many by far, whatever the end
    const int n = static_cast<int>(steps) + 1;
    return {n, high - tol > low + (n - 1) * inc};
}

int countwithend(double low, double high, double inc, double tol, bool rounded)
{
    const Steps s = stepsof(low, high, inc, tol, rounded);
    return s.n + (s.withend ? 1 : 0);
}

int filllist(List& v, double low, double high, double inc, double tol, bool rounded)
{
    const Steps s = stepsof(low, high, inc, tol, rounded);
    v[1] = low;
    for (int i = 2; i <= s.n; ++i) v[i] = v[i - 1] + inc;
    if (!s.withend) return s.n;
    v[s.n + 1] = high;
    return s.n + 1;
}

// An asked interval is good when it is positive, no larger than the window
// and gives at most 201 values.
bool goodinterval(double inc, double window, int count) { return inc > 0.0 && inc <= window && count < maxlist + 1; }

// The source of an interval given before the list is made: the script, or
// typed with the window (and then not said).
std::string fromscript(bool typed) { return typed ? "" : " (from script)"; }

// The script-driven P or T list.
struct ScriptList {
    const char* v;              // "P" or "T"
    double tol;                 // a window narrower than this is one value
    double low, high, inc;      // from the script or typed (inc 0: none)
    bool inctyped;              // the interval was typed with the window
    bool asked;                 // the interval is asked when none is given
    bool report;                // the interval given is reported
    std::string unit;
    List& list;
    int& n;
};

void scriptlist(ScriptList k)
{
    k.list[1] = k.low;
    if (std::fabs(k.low - k.high) < k.tol) {
        k.n = 1;
        return;
    }
    double inc = k.inc;
    const bool given = inc > 0.0;
    if (!given) {
        if (!k.asked) return;
        runio::promptreal(std::string(k.v) + " interval", inc);
    }
    if (inc <= 0.0) return;
    const double window = k.high - k.low;
    // Counted with the appended high end, so that the list keeps to 201.
    if (inc > window)
        inc = window / 2.0;
    else if (countwithend(k.low, k.high, inc, k.tol, false) > maxlist)
        inc = window / (maxlist - 1);
    if (given && k.report)
        putstr(0, std::string(k.v) + " interval = " + runio::realstr(inc, runio::ndecimals(inc), true) + k.unit +
                      fromscript(k.inctyped),
               1, msl);
    k.n = filllist(k.list, k.low, k.high, inc, k.tol, false);
}

// Decimals of a window end: none for a whole number.
int enddecimals(double x, double tol, int cap)
{
    if (std::fabs(x - std::nearbyint(x)) < tol) return 0;
    return std::min(runio::ndecimals(x), cap);
}

// The asked P or T interval: asked until it gives a list of at most 201
// values within the window.
struct AskedList {
    const char* v;              // "P" or "T"
    const char* values;         // "pressures" or "temperatures"
    double tol;                 // pass test and appended end
    bool rounded;               // the count of steps is rounded, not truncated
    double low, high, scriptinc;
    int dmax;
};

double askinterval(const AskedList& k)
{
    const std::string v = k.v;
    const double window = k.high - k.low;
    double inc = k.scriptinc;
    for (int pass = 1;; ++pass) {
        if (pass == 1) {
            if (!(k.scriptinc > 0.0)) runio::promptreal(v + " interval", inc);
        } else if (inc > window) {
            putstr(0, v + " interval too large : max " + v + "(high) - " + v + "(low) = " +
                          runio::realstr(window, k.dmax == 0 ? 1 : k.dmax, true),
                   1, msl);
            runio::promptreal("try again: " + v + " interval", inc);
        } else if (inc < 0.0) {
            runio::promptreal(v + " interval must be positive - try again: " + v + " interval", inc);
        } else {
            putstr(0, v + " interval too small : max of " + runio::realstrshort(maxlist) + " " + k.values, 1, msl);
            runio::promptreal("try again: " + v + " interval", inc);
        }
        if (inc > 0.0 && goodinterval(inc, window, countwithend(k.low, k.high, inc, k.tol, k.rounded))) return inc;
    }
}

void afterlist(int calcvariable, const char* where)
{
    Windows& w = win;
    if (calcvariable == 0)
        w.pdecimals = 3;
    else if (calcvariable == 1)
        w.tdecimals = 2;
    else
        runio::bomb(where, "unknown calcvariable", 1);
}

// The asked list of a set activity, log activity or chemical potential.
struct RowList {
    const char* window;         // "activity window : ", ...
    const char* interval;       // first question
    const char* retry;          // later questions
    const char* positive;       // question after an interval that is not positive
    double single;              // a window narrower than this is one value
    double tol;                 // pass test and appended end
    bool lnstore;               // activities step by the interval and are stored as ln a
    int mindecimals;
    const char* where;
};

void rowlist(const RowList& k, List& row, int& n, int& decimals, double low, double high,
             void (*toolarge)(double window, int dmax), const std::string& toosmall)
{
    auto store = [&](double x) { return k.lnstore ? std::log(x) : x; };
    if (std::fabs(high - low) < k.single) {
        n = 1;
        row[1] = store(low);
        decimals = std::max(runio::ndecimals(low), k.mindecimals);
        return;
    }
    auto text = [](double x) { return runio::realstr(x, runio::ndecimals(x), true); };
    putstr(0, k.window + text(low) + " <-> " + text(high) + " : ", 0, msl);
    const int dmax = std::max(runio::ndecimals(low), runio::ndecimals(high));
    const double window = high - low;
    double inc = 0.0;
    for (int pass = 1;; ++pass) {
        if (pass == 1) {
            runio::promptreal(k.interval, inc);
        } else if (inc > window) {
            toolarge(window, dmax);
            runio::promptreal(k.retry, inc);
        } else if (inc <= 0.0) {
            // Without a positive interval the steps would never reach the high end.
            runio::promptreal(k.positive, inc);
        } else {
            putstr(0, toosmall, 1, msl);
            runio::promptreal(k.retry, inc);
        }
        if (inc > 0.0 && goodinterval(inc, window, countwithend(low, high, inc, k.tol, false))) break;
    }
    // The activity steps by the interval even where ln a is stored, so
    // whether the high end follows is decided in activity units, by the
    // test that counted the values.
    const Steps s = stepsof(low, high, inc, k.tol, false);
    n = s.n;
    row[1] = store(low);
    for (int i = 2; i <= n; ++i) row[i] = k.lnstore ? std::log(std::exp(row[i - 1]) + inc) : row[i - 1] + inc;
    if (s.withend) row[++n] = store(high);
    decimals = std::max({dmax, runio::ndecimals(inc), k.mindecimals});
    afterlist(win.calcvariable, k.where);
}

std::string toosmallvalues(const std::string& what)
{
    return what + " too small : max of " + runio::realstrshort(maxlist) + " values";
}

// Logarithms of activities are to the base 10 only when the script (or the
// diagram set-up) says "setloga".
bool base10() { return runio::scriptset.setloga == 0; }

}  // namespace

void setplist()
{
    Windows& w = win;
    scriptlist({"P", 1e-6, w.plow, w.phigh, w.pinc, w.pinctyped, w.listselect == 1 || w.listselect == 3,
                w.listselect != 2, " kbar", w.plist, w.nplist});
}

void settlist()
{
    Windows& w = win;
    scriptlist({"T", 1e-5, w.tlow, w.thigh, w.tinc, w.tinctyped, w.listselect == 2 || w.listselect == 3,
                w.listselect != 1, " " + degreesc, w.tlist, w.ntlist});
}

void promptplist()
{
    Windows& w = win;
    w.pdecimals = 3;
    if (std::fabs(w.plow - w.phigh) < 1e-6) {
        w.nplist = 1;
        w.plist[1] = w.plow;
        w.pdecimals = runio::ndecimals(w.plow);
    } else {
        const int dmax = std::max(enddecimals(w.plow, 1e-6, 99), enddecimals(w.phigh, 1e-6, 99));
        if (w.pinc > 0.0)
            putstr(0,
                   "P interval = " + runio::realstr(w.pinc, runio::ndecimals(w.pinc), true) + fromscript(w.pinctyped),
                   1, msl);
        else
            putstr(0, runio::chans.line2, 0, msl);
        const double inc = askinterval({"P", "pressures", 0.0001, false, w.plow, w.phigh, w.pinc, dmax});
        w.nplist = filllist(w.plist, w.plow, w.phigh, inc, 0.0001, false);
        w.pdecimals = std::max(runio::ndecimals(inc), dmax);
    }
    w.pdecimals = std::max(w.pdecimals, 3);
    if (w.variance == 2)
        w.tdecimals = std::max(w.tdecimals, w.pdecimals - 1);
    else
        w.tdecimals = std::clamp(w.pdecimals - 1, 2, 4);
}

void prompttlist()
{
    Windows& w = win;
    w.tdecimals = 2;
    w.pdecimals = 3;
    if (std::fabs(w.tlow - w.thigh) < 1e-5) {
        w.ntlist = 1;
        w.tlist[1] = w.tlow;
        w.tdecimals = runio::ndecimals(w.tlow);
        return;
    }
    const int dmax = std::max(enddecimals(w.tlow, 1e-5, 4), enddecimals(w.thigh, 1e-5, 4));
    if (w.tinc > 0.0) {
        const bool whole = std::fabs(w.tinc - std::nearbyint(w.tinc)) < 0.0001;
        putstr(0, "T interval = " +
                      (whole ? runio::realstrshort(w.tinc) : runio::realstr(w.tinc, runio::ndecimals(w.tinc), true)) +
                      fromscript(w.tinctyped),
               1, msl);
    }
    runio::chans.line2.clear();
    const double inc = askinterval({"T", "temperatures", 0.01, true, w.tlow, w.thigh, w.tinc, dmax});
    w.ntlist = filllist(w.tlist, w.tlow, w.thigh, inc, 0.01, true);
    w.tdecimals = std::min(std::max(enddecimals(inc, 1e-5, 99), dmax), 4);
    w.pdecimals = std::clamp(w.tdecimals + 3, 3, 4);
}

void listxco2()
{
    Windows& w = win;
    static constexpr runio::Arr<double, 13> ladder = {0.0,  0.001, 0.01, 0.05, 0.1,  0.2, 0.4,
                                                       0.6, 0.8,   0.9,  0.95, 0.99, 0.999};
    auto text = [](double x) { return runio::realstr(x, runio::ndecimals(x), true); };
    putstr(0, "x(CO2) window : " + text(w.xlow) + " <-> " + text(w.xhigh), 1, msl);

    bool taken = false;
    if (w.xlow >= 0.001 && w.xhigh <= 0.999) {
        runio::Arr<double, 13> lad = ladder;
        int lo = 1, hi = 12;
        while (lo < 12 && lad[lo] < w.xlow) ++lo;
        while (hi > 1 && lad[hi] > w.xhigh) --hi;
        // The ends of the window replace the ladder values just outside them.
        if (lad[lo] != w.xlow) lad[--lo] = w.xlow;
        if (lad[hi] != w.xhigh) lad[++hi] = w.xhigh;
        if (hi - lo + 1 > 5) {
            std::string& line = runio::chans.line;
            line.clear();
            for (int i = lo; i <= hi; ++i) runio::addfield(text(lad[i]) + " ", 0, line);
            putstr(0, line, 0, msl);
            if (runio::query(" : use these x(CO2)")) {
                w.nxlist = 0;
                for (int i = lo; i <= hi; ++i) w.xlist[++w.nxlist] = lad[i];
                taken = true;
            }
        }
    }
    if (!taken) {
        runio::Arr<double, runio::maxwords + 1> v{};
        int n = 0;
        for (int ask = 1;; ++ask) {
            n = 0;
            runio::promptreals("x(CO2) in ascending order", v, n);
            const int count = n + (n == 0 || v[1] != w.xlow ? 1 : 0) + (n == 0 || v[n] != w.xhigh ? 1 : 0);
            if (count <= maxlist) break;
            const std::string toomany = "too many x(CO2)'s " + maxlabel(maxlist);
            if (ask == 2) runio::bomb("listxco2", toomany, 0);
            putstr(0, toomany, 1, msl);
        }
        // Kept only when above the last value kept, so that the list ascends.
        w.nxlist = 1;
        w.xlist[1] = w.xlow;
        for (int i = 1; i <= n; ++i)
            if (v[i] > w.xlist[w.nxlist] && v[i] < w.xhigh) w.xlist[++w.nxlist] = v[i];
        w.xlist[++w.nxlist] = w.xhigh;
    }
    w.xdecimals = 0;
    for (int i = 1; i <= w.nxlist; ++i) {
        w.xh2olist[i] = 1.0 - w.xlist[i];
        w.xdecimals = std::max(w.xdecimals, runio::ndecimals(w.xlist[i]));
    }
    afterlist(w.calcvariable, "listxco2");
}

void listactivity(int k, double low, double high)
{
    Windows& w = win;
    rowlist({"activity window : ", "activity interval", "try again: activity interval",
             "activity interval must be positive - try again: activity interval", 1e-5, 1e-5, true, 2, "rstable"},
            w.alist[k], w.nalist[k], w.adecimals, low, high,
            [](double window, int dmax) {
                putstr(0, "activity interval too large : ", 0, msl);
                putstr(0, "   max a(high) - a(low) =" + runio::realstr(window, dmax, true), 1, msl);
            },
            toosmallvalues("activity interval"));
}

void listlna(int k, double low, double high)
{
    Windows& w = win;
    const bool ten = base10();
    rowlist({ten ? "log a window : " : "ln a window : ", ten ? "log a interval" : "ln a interval",
             "try again: interval", "interval must be positive - try again: interval", 1e-5, 1e-5, false, 2,
             "listlna"},
            w.alist[k], w.nalist[k], w.adecimals, low, high,
            [](double window, int dmax) {
                putstr(0, "interval too large : ", 0, msl);
                putstr(0, "   max = " + runio::realstr(window, dmax, true), 1, msl);
            },
            toosmallvalues("interval"));
}

void listmu(int k, double low, double high)
{
    Windows& w = win;
    static const std::string window = mu + " window : ", interval = mu + " interval",
                             retry = "try again: " + mu + " interval",
                             positive = mu + " interval must be positive - try again: " + mu + " interval";
    rowlist({window.c_str(), interval.c_str(), retry.c_str(), positive.c_str(), 0.001, 0.0001, false, 1, "listmu"},
            w.mulist[k], w.nmulist[k], w.mudecimals, low, high,
            [](double window, int dmax) {
                putstr(0,
                       mu + " interval too large : max " + mu + "(high) - " + mu + "(low) =" +
                           runio::realstr(window, dmax, true),
                       1, msl);
            },
            toosmallvalues(mu + " interval"));
}

}  // namespace calcwindows
