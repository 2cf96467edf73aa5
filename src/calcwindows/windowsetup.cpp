// The windows of a calculation before it runs: the overall P-T window of the
// diagram, the P and T windows and intervals of the calculations, the windows
// of the all-reactions diagrams with their fixed third variable, and the
// writers of P, T and x(CO2) values that mark a value outside the window.
#include <algorithm>
#include <cmath>

#include "calcwindows/calcwindows.h"
#include "runio/scriptset.h"

namespace calcwindows {

namespace {

using runio::addfield;
using runio::degreesc;
using runio::msl;
using runio::putstr;

// Values from the reaction-line root finder beyond these are "not found".
constexpr double notfound = 1e20;

using Values = runio::Arr<double, runio::maxwords + 1>;

// The mark of a value outside the window lo..hi or of the root finder's
// "none" (written as nonemark); false when the value itself is to be written.
bool marked(double v, double lo, double hi, const char* nonemark, int width, std::string& buffer)
{
    const char* mark = v < -notfound ? nonemark : v >= notfound ? "*" : v < lo ? "-" : v > hi ? "+" : nullptr;
    if (mark == nullptr) return false;
    addfield(mark, width, buffer);
    return true;
}

void pwindowtext(std::string& buffer)
{
    const Windows& w = win;
    addP(w.plow, 0, buffer);
    if (std::fabs(w.plow - w.phigh) >= 1e-6) {
        addfield(" to ", 0, buffer);
        addP(w.phigh, 0, buffer);
    }
    addfield(" kbar", 0, buffer);
}

void twindowtext(std::string& buffer)
{
    const Windows& w = win;
    addT(w.tlow - 273.15, 0, buffer);
    if (std::fabs(w.tlow - w.thigh) >= 0.0001) {
        addfield(" to ", 0, buffer);
        addT(w.thigh - 273.15, 0, buffer);
    }
    addfield(degreesc, 0, buffer);
}

// The P (or T) window of the calculations: typed, or as the script gave it.
// shift turns a typed value into the stored one (273.15 for degrees C).
void calcwindow(int sw, const std::string& label, const std::string& prompt, double overalllow, double overallhigh,
                double shift, double& low, double& high, double& inc, bool& inctyped,
                void (*windowtext)(std::string&))
{
    if (sw == 1) {
        putstr(0, label, 1, msl);
        Values v{};
        int n = 0;
        runio::promptreals(prompt, v, n);
        if (n == 0) {
            low = overalllow;
            high = overallhigh;
        } else if (n == 1) {
            low = high = v[1] + shift;
        } else {
            low = v[1] + shift;
            high = v[2] + shift;
            if (n >= 3) {
                inc = v[3];
                inctyped = true;
            }
        }
        return;
    }
    std::string& line2 = runio::chans.line2;
    line2 = label + ": ";
    windowtext(line2);
    addfield(" (from script)", 0, line2);
    putstr(0, line2, 1, msl);
}

void ppart(const std::string& plabel)
{
    Windows& w = win;
    calcwindow(runio::scriptset.calcP, plabel, "P calcs: between P(low) and P(high), with P increment", w.pmin,
               w.pmax, 0.0, w.plow, w.phigh, w.pinc, w.pinctyped, pwindowtext);
}

void tpart(const std::string& tlabel)
{
    Windows& w = win;
    calcwindow(runio::scriptset.calcT, tlabel, "T calcs: between T(low) and T(high), with T increment", w.tmin,
               w.tmax, 273.15, w.tlow, w.thigh, w.tinc, w.tinctyped, twindowtext);
}

// The four numbers of an axis window: the first two P or T (typed in
// degrees C), the other two the second axis.
void askaxes(const std::string& heading, const std::string& prompt, bool temperature, double& low, double& high,
             double& low2, double& high2)
{
    putstr(1, heading, 1, msl);
    Values v{};
    int n = 4;
    runio::promptreals(prompt, v, n);
    const double shift = temperature ? 273.15 : 0.0;
    low = v[1] + shift;
    high = v[2] + shift;
    low2 = v[3];
    high2 = v[4];
}

// The window checks of a diagram with one P or T axis and a second axis by
// the variance: an invariant needs width on both, a univariant on the P or T
// axis, a divariant on neither.
void checkaxes(bool temperature, double& low, double& high, void (*second)(double&, double&, int), double& low2,
               double& high2)
{
    const int v = win.variance;
    if (v < 0 || v > 2) return;
    if (temperature)
        prompttwindow(low, high, v < 2 ? 1 : 0);
    else
        checkpwindow(low, high, v < 2);
    second(low2, high2, v == 0 ? 1 : 0);
}

void fixedt()
{
    Windows& w = win;
    w.tcalc = runio::promptcelsius("fixed T (in " + degreesc + ")");
    w.tlow = w.thigh = w.tcalc;
}

void fixedp()
{
    Windows& w = win;
    runio::promptreal("fixed P (in kbar)", w.pcalc);
    w.plow = w.phigh = w.pcalc;
}

void ptdiagram(bool askwindows)
{
    Windows& w = win;
    runio::ScriptSet& s = runio::scriptset;
    if (askwindows) {
        runio::promptcontrol("calculate T at P (rather than P at T)", s.calcTatP);
        w.listselect = s.calcTatP == 0 ? 1 : 2;
        const bool plisted = w.listselect == 1;
        ptcalcsetup("",
                    plisted ? "P at which T of reactions to be calculated"
                            : "P window within which reactions expected to lie",
                    plisted ? "T window within which reactions expected to lie"
                            : "T at which P of reactions to be calculated");
        univariantsetup();
        w.tcalc = (w.tlow + w.thigh) / 2.0;
        w.pcalc = (w.plow + w.phigh) / 2.0;
        w.ntlist = w.nplist = 1;
        w.plist[1] = w.pcalc;
        w.tlist[1] = w.tcalc;
        if (w.othervariable == 0)
            promptplist();
        else if (w.othervariable == 1)
            prompttlist();
        else
            runio::bomb("diagramwindowsetup", "othervariable", 1);
        w.nxlist = 0;
    }
    const std::string& first = runio::scripttabs.setaname[1];
    if (first == "H2O") {
        w.xh2o = 1.0;
        w.xco2 = 0.0;
    } else if (first == "CO2") {
        w.xh2o = 0.0;
        w.xco2 = 1.0;
    } else {
        promptfluid();
    }
    w.xlow = w.xhigh = w.xco2;
}

// The P or T axis of a diagram whose other axis is x(CO2) or log a: its
// window and centre, the list of the fixed one of P and T, and the prompt
// that fixes it.
struct PTAxis {
    double &low, &high, &calc;
    int& fixedlist;
    void (*fix)();
};

PTAxis ptaxis(bool temperature)
{
    Windows& w = win;
    if (temperature) return {w.tlow, w.thigh, w.tcalc, w.nplist, fixedp};
    return {w.plow, w.phigh, w.pcalc, w.ntlist, fixedt};
}

void xco2diagram(bool askwindows, bool temperature)
{
    Windows& w = win;
    const PTAxis ax = ptaxis(temperature);
    if (askwindows) {
        const std::string v = temperature ? "T" : "P";
        askaxes(v + "-x(CO2) window in which the phase diagram to be drawn", v + " low, high , x(CO2) low, high",
                temperature, ax.low, ax.high, w.xlow, w.xhigh);
        w.calcvariable = temperature ? 1 : 0;
        w.othervariable = 2;
        checkaxes(temperature, ax.low, ax.high, promptxco2window, w.xlow, w.xhigh);
        ax.calc = (ax.low + ax.high) / 2.0;
        w.xco2 = (w.xlow + w.xhigh) / 2.0;
        w.xh2o = 1.0 - w.xco2;
        if (temperature || runio::run.calcmode != 1) listxco2();
        ax.fixedlist = 0;
    }
    ax.fix();
}

void logadiagram(bool askwindows, bool temperature)
{
    Windows& w = win;
    runio::ScriptSet& s = runio::scriptset;
    runio::ScriptTables& t = runio::scripttabs;
    const PTAxis ax = ptaxis(temperature);
    if (askwindows) {
        const std::string v = temperature ? "T" : "P";
        s.seta = s.setlna = s.setloga = 1;
        std::string a;
        if (runio::query("for " + v + "-log a, are logs to be to the base 10")) {
            s.setloga = 0;
            putstr(0, "logs are to the base 10", 1, runio::msol);
            a = "log a";
        } else {
            s.setlna = 0;
            putstr(0, "logs are to the base e (ie natural logs)", 1, runio::msol);
            a = "ln a";
        }
        askaxes(v + "-" + a + " window in which the phase diagram to be drawn", v + " low, high , " + a + " low, high",
                temperature, ax.low, ax.high, w.lnalow, w.lnahigh);
        w.calcvariable = temperature ? 1 : 0;
        w.othervariable = 3;
        checkaxes(temperature, ax.low, ax.high, promptlogawindow, w.lnalow, w.lnahigh);
        ax.calc = (ax.low + ax.high) / 2.0;
        t.setaval[1] = (w.lnalow + w.lnahigh) / 2.0;
        listlna(1, w.lnalow, w.lnahigh);
        ax.fixedlist = 0;
    }
    ax.fix();
    w.setalabel[1] = t.setaname[1];
    if (t.setaname[1] == "CO2") {
        w.xco2 = 1.0;
    } else if (t.setaname[1] == "H2O") {
        w.xh2o = 1.0;
    } else {
        promptfluid();
        putstr(1, s.setlna == 0 ? "for labelling purposes in ln a, " : "for labelling purposes in log a, ", 0, msl);
        std::string label;
        runio::promptstring("replace name, '" + t.setaname[1] + "', with", label);
        if (!label.empty()) w.setalabel[1] = label;
    }
}

}  // namespace

void dofigPT()
{
    Windows& w = win;
    const runio::ScriptTables& t = runio::scripttabs;
    const bool fromscript = runio::scriptset.diagramPT == 0;
    putstr(1, "specification of overall PT window:", 1, msl);
    if (fromscript) {
        w.pmin = t.plowdefault;
        w.pmax = t.phighdefault;
        w.tmin = t.tlowdefault;
        w.tmax = t.thighdefault;
    } else {
        putstr(1, "whereas petramondo handles interactive input of overall PT window information, in", 1, msl);
        putstr(0, "most cases this information is better entered in the scriptfile. For example, for a ", 1, msl);
        putstr(0, "PT pseudosection the window info is simply the PT range of the diagram being drawn.", 2, msl);
        if (runio::query("stop, and put info in the scriptfile")) runio::killrun();
        Values v{};
        int n = 4;
        runio::promptreals("overall PT window: P low,high T low,high (in kbar, " + degreesc + ")", v, n);
        w.pmin = v[1];
        w.pmax = v[2];
        w.tmin = v[3] + 273.15;
        w.tmax = v[4] + 273.15;
        if (w.pmax < w.pmin || w.tmax < w.tmin || w.pmin < runio::scal.pminall || w.pmax > 1500.0 || w.tmin < 283.0 ||
            w.tmax > 3000.0)
            runio::bomb("dofigPT", "inappropriate PT window input", 0);
    }
    // Whole degrees C; 1e-6 keeps a typed 400 from showing as 399 after the
    // round trip through kelvin.
    auto wholec = [](double tk) { return runio::realstrshort(std::trunc(tk - 273.15 + 1e-6)); };
    std::string& line = runio::chans.line;
    line = "overall PT window is P: " + runio::realstr(w.pmin, 1, true) + " to " + runio::realstr(w.pmax, 1, true) +
           " kbar, and T: " + wholec(w.tmin) + " to " + wholec(w.tmax) + degreesc;
    if (fromscript) line += " (from script)";
    putstr(0, line, 1, msl);
}

void ptcalcsetup(const std::string& ptlabel, const std::string& plabel, const std::string& tlabel)
{
    Windows& w = win;
    runio::ScriptSet& s = runio::scriptset;
    putstr(1, "specification of PT calcs:", 1, msl);
    if (!(s.calcT == 0 && s.calcP == 0)) {
        if (s.calcT == 2 && s.calcP == 2) {
            runio::promptcontrol("use PT calcs given in datafile", s.calcT);
            s.calcP = s.calcT;
        } else if (s.calcT == 0 && s.calcP == 2) {
            runio::promptcontrol("T calcs set; use P calcs given in datafile", s.calcP);
        } else if (s.calcT == 2 && s.calcP == 0) {
            runio::promptcontrol("P calcs set; use T calcs given in datafile", s.calcT);
        } else {
            runio::promptcontrol("use T calcs given in datafile", s.calcT);
            runio::promptcontrol("use P calcs given in datafile", s.calcP);
        }
    }
    switch (w.listselect) {
    case 0:
        putstr(0, "using overall PT window for the " + ptlabel, 1, msl);
        w.plow = w.pmin;
        w.phigh = w.pmax;
        w.tlow = w.tmin;
        w.thigh = w.tmax;
        break;
    case 1:
        ppart(plabel);
        putstr(0, "using overall T window for the " + tlabel, 1, msl);
        w.tlow = w.tmin;
        w.thigh = w.tmax;
        break;
    case 2:
        tpart(tlabel);
        putstr(0, "using overall P window for the " + plabel, 1, msl);
        w.plow = w.pmin;
        w.phigh = w.pmax;
        break;
    default:
        ppart(plabel);
        tpart(tlabel);
        break;
    }
}

void univariantsetup()
{
    Windows& w = win;
    if (runio::scriptset.calcTatP == 0) {
        w.calcvariable = 1;
        w.othervariable = 0;
    } else {
        w.calcvariable = 0;
        w.othervariable = 1;
    }
    // The solved variable's window must have a width; the given one's may be one value.
    prompttwindow(w.tlow, w.thigh, w.calcvariable == 0 ? 0 : 1);
    promptpwindow(w.plow, w.phigh, w.calcvariable == 0 ? 1 : 0);
}

void diagramwindowsetup(bool askwindows)
{
    dofigPT();
    switch (runio::run.diagrammode) {
    case 0: ptdiagram(askwindows); break;
    case 1: xco2diagram(askwindows, false); break;
    case 2: xco2diagram(askwindows, true); break;
    case 3: logadiagram(askwindows, false); break;
    case 4: logadiagram(askwindows, true); break;
    default: runio::bomb("diagram", "unknown diagrammode", 1);
    }
}

void addT(double t, int width, std::string& buffer)
{
    const Windows& w = win;
    if (marked(t, w.tlow - 273.15, w.thigh - 273.15, "", width, buffer)) return;
    if (w.tdecimals < 1)
        runio::addrealshort(t, width, buffer);
    else
        runio::addreal(t, w.tdecimals, true, width, buffer);
}

void addP(double p, int width, std::string& buffer)
{
    const Windows& w = win;
    if (marked(p, w.plow, w.phigh, " ", width, buffer)) return;
    if (p > 99.9) {
        runio::addrealshort(p, width, buffer);
        return;
    }
    // Small pressures keep their leading significant digits.
    const double a = std::fabs(p);
    const int d = a >= 1.0 ? 1 : a >= 0.1 ? 2 : a >= 0.01 ? 3 : 4;
    runio::addreal(p, std::max(w.pdecimals, d), true, width, buffer);
}

void addX(double x, int width, std::string& buffer)
{
    if (marked(x, win.xlow, win.xhigh, " ", width, buffer)) return;
    runio::addreal(x, runio::ndecimals(x), true, width, buffer);
}

}  // namespace calcwindows
