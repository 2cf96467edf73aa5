// Windows of the calculation variables: the checks of a window taken from the
// script, which repair it and say so, and the prompts that ask for a window
// until it is acceptable (P in kbar; T kept in K and asked in degrees C).
#include <cmath>
#include <utility>

#include "calcwindows/calcwindows.h"
#include "runio/scriptset.h"

namespace calcwindows {

namespace {

using runio::msl;
using runio::putstr;

constexpr int maxtries = 5;   // checks of one window before the run gives up

// Overall limits a prompted window must keep to.
constexpr double pmaxall = 1500.0;   // kbar
constexpr double tmaxall = 3000.0;   // K
constexpr double tminall = 283.0;    // K

struct ScriptWindow {
    const char* v;          // "P" or "T"
    double min, max;        // the overall window
};

void checkwindow(const ScriptWindow& k, double& low, double& high, bool needwidth)
{
    const std::string v = k.v;
    const bool equal = std::fabs(high - low) < 1e-8;
    if (!equal && !(high > low)) {
        std::swap(low, high);
        putstr(0, v + "(low) must be less than " + v + "(high): values swapped", 1, msl);
    }
    // Both ends are held to the overall window: a window passing it at one
    // end may pass it at the other too (a T below 0 K has no meaning at all).
    // A window lying wholly beyond one end is turned inside out by its clamp;
    // it shrinks to the end it passed, so that no point outside the overall
    // window is calculated.
    bool collapsed = false;
    if (high > k.max) {
        putstr(0, v + "(high) must be less than " + runio::realstr(k.max, 1, true) + ": this used", 1, msl);
        high = k.max;
        collapsed = low > high;
        if (collapsed) low = high;
    }
    if (low < k.min) {
        putstr(0, v + "(low) must be greater than " + runio::realstr(k.min, 1, true) + ": this used", 1, msl);
        low = k.min;
        collapsed = high < low;
        if (collapsed) high = low;
    }
    if ((equal || collapsed) && needwidth) {
        low = k.min;
        high = k.max;
        putstr(0, v + " window needed but " + v + "(low) = " + v + "(high): overall " + v +
                      " window used (script overridden)",
               1, msl);
    }
}

// A member of the family of window prompts: its label, its two order
// messages and its range test (an empty text when the window is in range).
struct PromptWindow {
    const char* label;
    std::string lessorequal, less;
    std::string (*range)(double low, double high);
    double shift;   // added to each typed value (273.15: degrees C asked, K kept)
};

void promptwindow(const PromptWindow& k, double& low, double& high, int strict)
{
    for (int check = 1;; ++check) {
        std::string message;
        if (strict == 0 ? high < low : high <= low)
            message = strict == 0 ? k.lessorequal : k.less;
        else
            message = k.range(low, high);
        if (message.empty()) return;
        putstr(0, message, 1, msl);
        if (check == maxtries) runio::bomb("*OK", "too many tries", 0);
        promptlowhigh(k.label, low, high);
        low += k.shift;
        high += k.shift;
    }
}

std::string inrange(double, double) { return ""; }

std::string prange(double low, double high)
{
    if (high > pmaxall) return "P(high) must be less than " + runio::realstrshort(pmaxall) + " : try again";
    if (low < runio::scal.pminall)
        return "P(low) must be greater than " + runio::realstr(runio::scal.pminall, 3, true) + " : try again";
    return "";
}

std::string trange(double low, double high)
{
    if (high > tmaxall) return "T(high) must be less than " + runio::realstrshort(tmaxall - 273.15) + " : try again";
    if (low < tminall) return "T(low) must be greater than " + runio::realstrshort(tminall - 273.15) + " : try again";
    return "";
}

// Mole fractions of an H2O-CO2 fluid strictly inside 0..1: each end-member
// needs some of itself for its chemical potential.
template <const char* name>
std::string fluidrange(double low, double high)
{
    const std::string x = name;
    if (high >= 1.0) return x + " high must be less than 1 : try again";
    if (low <= 0.0) return x + " low must be greater than 0 : try again";
    return "";
}
constexpr char xco2name[] = "x(CO2)";
constexpr char xh2oname[] = "x(H2O)";

// An activity is stored as ln a, so the window must lie above 0.
std::string arange(double low, double)
{
    if (low <= 0.0) return "a(low) must be greater than 0 : try again";
    return "";
}

PromptWindow fluidwindow(const std::string& x, std::string (*range)(double, double))
{
    return {x == xco2name ? xco2name : xh2oname, x + " low must be less than or equal to " + x + " high : try again",
            x + " low must be less than " + x + " high : try again", range, 0.0};
}

const std::string mu(1, runio::musign);

}  // namespace

void promptlowhigh(const std::string& label, double& low, double& high)
{
    runio::Arr<double, runio::maxwords + 1> v{};
    int n = 2;
    runio::promptreals(label + " low,high", v, n);
    low = v[1];
    high = v[2];
}

void checkpwindow(double& low, double& high, bool needwidth)
{
    checkwindow({"P", win.pmin, win.pmax}, low, high, needwidth);
}

void checktwindow(double& low, double& high, bool needwidth)
{
    checkwindow({"T", win.tmin, win.tmax}, low, high, needwidth);
}

void promptpwindow(double& low, double& high, int strict)
{
    promptwindow({"P", "P(low) must be less than or equal to P(high) : try again",
                  "P(low) must be less than P(high) : try again", prange, 0.0},
                 low, high, strict);
}

void prompttwindow(double& low, double& high, int strict)
{
    promptwindow({" T", "T(low) must be less than or equal to T(high) : try again",
                  "T(low) must be less than T(high) : try again", trange, 273.15},
                 low, high, strict);
}

void promptxco2window(double& low, double& high, int strict)
{
    promptwindow(fluidwindow(xco2name, fluidrange<xco2name>), low, high, strict);
}

void promptxh2owindow(double& low, double& high, int strict)
{
    promptwindow(fluidwindow(xh2oname, fluidrange<xh2oname>), low, high, strict);
}

void promptawindow(double& low, double& high, int strict)
{
    promptwindow({"activity", "a(low) must be less than or equal to a(high) : try again",
                  "a(low) must be less than a(high) : try again", arange, 0.0},
                 low, high, strict);
}

void promptlogawindow(double& low, double& high, int strict)
{
    promptwindow({"log a", "log a(low) must be less than or equal to log a(high) : try again",
                  "log a(low) must be less than log a(high) : try again", inrange, 0.0},
                 low, high, strict);
}

void promptmuwindow(double& low, double& high, int strict)
{
    promptwindow({mu.c_str(), mu + "(low) must be less than or equal to " + mu + "(high) : try again",
                  mu + "(low) must be less than " + mu + "(high) : try again", inrange, 0.0},
                 low, high, strict);
}

}  // namespace calcwindows
