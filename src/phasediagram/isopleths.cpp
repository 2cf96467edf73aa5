// Held quantities of a phase-diagram calculation (isopleths): the modes of
// up to two phases, the fluid's x(CO2), and compositional variables of
// solution phases, each with its list of values to step through.  Mode
// isopleths come first among the lists, then the x(CO2) list, then the
// compositional ones; at most ten lists in all.
#include <cmath>
#include <vector>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "phasediagram/setup.h"
#include "runio/scriptset.h"

namespace phasediagram {

namespace {

using axmodels::ph;
using runio::msl;
using runio::putstr;

constexpr int maxmodesheld = 2;   // phases whose mode may be held
constexpr int shortlist = 101;    // the evenly spaced list that stands for one too long

struct Range {
    double low = 0.0, high = 0.0, inc = 0.001;
};

std::string decimalsof(double x) { return runio::realstr(x, runio::ndecimals(x), true); }

// The next value list; more than ten lists in all end the run.
int nextlist(const char* where)
{
    numerics::Isopleths& is = numerics::iso;
    if (is.niso + 1 > numerics::maxisolists) runio::bomb(where, "too many isopleths", 0);
    return ++is.niso;
}

// The values of a held quantity asked at the terminal: none (modes only:
// zero), one value, or low, high and increment.
Range askrange(const std::string& prompt, bool noneiszero)
{
    runio::Arr<double, runio::maxwords + 1> v{};
    int n = 0;
    runio::promptreals(prompt, v, n);
    if (n == 0 && noneiszero) return {0.0, 0.0, 0.001};
    if (n == 1) return {v[1], v[1], 0.001};
    if (n == 3) return {v[1], v[2], v[3]};
    runio::bomb("readisopleths", "1 or 3 numbers expected", 0);
}

void storelist(int k, const Range& r)
{
    numerics::Isopleths& is = numerics::iso;
    is.nisovalues[k] = isovaluelist(r.low, r.high, r.inc, is.isovalues[k]);
}

// Words of a reply naming candidates: an integer word is a position in the
// candidate list.
std::vector<std::string> chosennames(const std::vector<std::string>& candidates, const char* where)
{
    runio::Words words;
    runio::promptstrings("which to set", words);
    std::vector<std::string> chosen;
    for (int i = 1; i <= words.n; ++i) {
        std::string name = words[i];
        if (runio::wordkind(name) == 1) {
            const int k = runio::getinteger(1, name, "position for isopleth");
            if (k < 1 || k > static_cast<int>(candidates.size()))
                runio::bomb(where, "position for isopleth out of range", 0);
            name = candidates[k - 1];
        }
        chosen.push_back(name);
    }
    return chosen;
}

int candidateat(const std::vector<std::string>& candidates, const std::string& name, const char* where)
{
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (candidates[i] == name) return static_cast<int>(i);
    runio::bomb(where, name + " not recognised", 0);
}

// The held value of variable v of solution phase k is legal when the site
// fractions stay positive with the other variables at their starting
// guesses; order variables are settled later, so such a phase takes any value.
bool isoplethlegal(int k, int v, double value)
{
    const axmodels::SolPhase& sp = ph.prec1[k];
    if (sp.hasorder) return true;
    const axmodels::XyzVar& var = sp.var[v];
    if (value < var.lower || value > var.upper) return false;
    runio::Arr<double, axmodels::maxsolem + 1> x{};
    for (int i = 1; i <= sp.nvar; ++i) x[i] = sp.var[i].guess;
    x[v] = value;
    for (int i = 1; i <= sp.nsf; ++i)
        if (axmodels::evalpoly(sp.sf[i], x.data(), 1) <= 0.0) return false;
    return true;
}

// The report line of a held list: its one value, or its range.
std::string settext(int k)
{
    const numerics::Isopleths& is = numerics::iso;
    const auto& v = is.isovalues[k];
    if (is.nisovalues[k] == 1) return " set to " + decimalsof(v[1]);
    return " set to values between " + decimalsof(v[1]) + " and " + decimalsof(v[is.nisovalues[k]]);
}

}  // namespace

int isovaluelist(double low, double high, double inc, runio::Arr<double, numerics::maxisovalues + 1>& v)
{
    if (std::fabs(high - low) < 1e-8) {
        v[1] = low;
        return 1;
    }
    if (high - low <= inc) {
        v[1] = low;
        v[2] = high;
        return 2;
    }
    const double steps = std::trunc((high - low) / inc);
    // A list whose appended high end would pass 201 values is the evenly
    // spaced one of 101 values instead, which reaches high exactly.
    int n = steps + 1.0 > numerics::maxisovalues ? numerics::maxisovalues + 1 : static_cast<int>(steps) + 1;
    if (n == numerics::maxisovalues && std::fabs(high - (low + (n - 1) * inc)) > 1e-8) ++n;
    if (n > numerics::maxisovalues) {
        n = shortlist;
        inc = (high - low) / (shortlist - 1);
    }
    for (int j = 1; j <= n; ++j) v[j] = low + (j - 1) * inc;
    if (std::fabs(high - v[n]) > 1e-8) v[++n] = high;
    return n;
}

void readmodeisopleths()
{
    runio::ScriptSet& s = runio::scriptset;
    runio::ScriptFlags& f = runio::scriptflags;
    numerics::Isopleths& is = numerics::iso;
    numerics::PhaseChoice& pc = numerics::phchoice;
    putstr(1, "specification of mode isopleths", 1, msl);
    const bool zeromodes = s.zeromodeiso == 0;
    if (zeromodes && !s.zeromodename.empty()) {
        if (s.zeromodename == s.modeisoname || s.zeromodename == s.modeisoname2)
            runio::bomb("readmodeisopleths", "phase overlap1 between modeisopleth and zeromodeiso", 0);
        if (!s.zeromodename2.empty() && (s.zeromodename2 == s.modeisoname || s.zeromodename2 == s.modeisoname2))
            runio::bomb("readmodeisopleths", "phase overlap2 between modeisopleth and zeromodeiso", 0);
    }

    std::vector<std::string> candidates;
    for (int k = 1; k <= ph.nss; ++k) candidates.push_back(ph.prec1[k].name);
    for (int k = 1; k <= ph.npure; ++k) candidates.push_back(ph.prec0[k].name);

    std::vector<std::string> chosen;
    const char* where = "readisopleths";
    if (!s.modeisoname.empty()) {
        chosen.push_back(s.modeisoname);
        if (!s.modeisoname2.empty()) chosen.push_back(s.modeisoname2);
        where = "readmodeisopleths";
    } else if (s.zeromodename.empty()) {
        std::string& line2 = runio::chans.line2;
        line2 = zeromodes ? "you may set zero modal proportions, from: " : "you may set modal proportions, from:";
        for (const std::string& name : candidates) line2 += name + " ";
        putstr(0, line2, 1, msl);
        chosen = chosennames(candidates, "readmodeisopleths");
        if (zeromodes) {
            s.zeromodename = chosen.size() >= 1 ? chosen[0] : std::string();
            s.zeromodename2 = chosen.size() >= 2 ? chosen[1] : std::string();
        }
    } else {
        chosen.push_back(s.zeromodename);
        if (!s.zeromodename2.empty()) chosen.push_back(s.zeromodename2);
    }

    is.niso = 0;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const int c = candidateat(candidates, chosen[i], where);
        const int list = nextlist("mode isopleths");
        const std::string& name = candidates[c];
        if (c < ph.nss) {
            ph.prec1[c + 1].modeflag = true;
            ph.prec1[c + 1].modeloop = list;
        } else {
            ph.prec0[c + 1 - ph.nss].modeflag = true;
            ph.prec0[c + 1 - ph.nss].modeloop = list;
        }
        Range r;
        const bool first = i == 0, second = i == 1;
        if (first && s.modeisohigh > 0.0) {
            r = {s.modeisolow, s.modeisohigh, s.modeisoinc};
        } else if (second && s.modeisohigh2 > 0.0) {
            r = {s.modeisolow2, s.modeisohigh2, s.modeisoinc2};
        } else if ((first && !s.zeromodename.empty()) || (second && !s.zeromodename2.empty())) {
            r = {0.0, 0.0, 0.001};
        } else {
            putstr(1, "specifying mode isopleths for " + name + ":", 1, msl);
            r = askrange("  list of values OR start, finish, interval", true);
            // A mode of 1 would leave nothing for the other phases.
            if (!(r.low <= r.high && r.inc > 0.0 && r.low >= 0.0 && r.high < 1.0)) {
                putstr(1, "mode isopleth: low, high and increment expected, or one value", 1, msl);
                runio::bomb("readmodeisopleths", "isopleth values inappropriate", 0);
            }
        }
        storelist(list, r);
    }
    if (is.niso > maxmodesheld) runio::bomb("readmodeiso", "too many modes set", 0);
    is.nmodeiso = is.niso;

    if (is.nmodeiso == 0 && calcwindows::win.variance < 3) {
        f.modesinnle = false;
        f.modesafternle = true;
    }
    // A held mode takes the phase out of the mass balance, unless it is in excess anyway.
    for (int k = 1; k <= ph.nss; ++k)
        if (ph.prec1[k].modeflag && !pc.isexcess[k] && !pc.isnobulk[k]) {
            pc.isnobulk[k] = 1;
            ++pc.nnobulk;
        }

    if (is.nmodeiso == 0) {
        putstr(0, "no modes set", 1, msl);
        return;
    }
    putstr(0, "modes set for", 1, msl);
    auto report = [](const std::string& name, int list) {
        const numerics::Isopleths& iso = numerics::iso;
        const auto& v = iso.isovalues[list];
        const int n = iso.nisovalues[list];
        const std::string value = n > 1           ? " values between " + decimalsof(v[1]) + " and " + decimalsof(v[n])
                                  : v[1] == 0.0   ? std::string("zero")
                                                  : decimalsof(v[1]);
        putstr(0, "mode of " + name + " set to " + value, 1, msl);
    };
    for (int k = 1; k <= ph.nss; ++k)
        if (ph.prec1[k].modeflag) report(ph.prec1[k].name, ph.prec1[k].modeloop);
    for (int k = 1; k <= ph.npure; ++k)
        if (ph.prec0[k].modeflag) report(ph.prec0[k].name, ph.prec0[k].modeloop);
}

void readxco2values()
{
    const runio::ScriptSet& s = runio::scriptset;
    numerics::Isopleths& is = numerics::iso;
    numerics::PhaseChoice& pc = numerics::phchoice;
    calcwindows::Windows& w = calcwindows::win;
    putstr(1, "specification of x(CO2) calcs", 1, msl);
    int phase = 0, var = 0;
    for (int k = 1; k <= ph.nss; ++k)
        for (int v = 1; v <= ph.prec1[k].nvar; ++v)
            if (ph.prec1[k].var[v].name == "x(CO2)") {
                phase = k;
                var = v;
            }
    if (phase == 0) runio::bomb("readxco2values", "x(CO2) not present", 0);
    const int list = nextlist("readxco2values");
    axmodels::XyzVar& x = ph.prec1[phase].var[var];
    x.fixed = true;
    x.loopindex = list;
    const int n = s.nxco2values;
    is.nisovalues[list] = n;
    w.nxlist = n;
    for (int j = 1; j <= n; ++j) {
        is.isovalues[list][j] = s.xco2list[j];
        w.xlist[j] = s.xco2list[j];
        w.xh2olist[j] = 1.0 - s.xco2list[j];
    }
    w.xlow = w.xlist[1];
    w.xhigh = w.xlist[n];
    w.xco2 = (w.xlow + w.xhigh) * 0.5;
    w.xh2o = 1.0 - w.xco2;
    is.nxyziso = 1;
    if (!pc.isnobulk[phase]) {
        pc.isnobulk[phase] = 1;
        ++pc.nnobulk;
    }
    putstr(0, "x(CO2)" + settext(list), 1, msl);
}

void readisopleths()
{
    const runio::ScriptSet& s = runio::scriptset;
    numerics::Isopleths& is = numerics::iso;
    numerics::PhaseChoice& pc = numerics::phchoice;
    putstr(1, "specification of xyz isopleths", 1, msl);

    struct Candidate {
        int phase, var;
    };
    std::vector<std::string> names;
    std::vector<Candidate> where;
    for (int k = 1; k <= ph.nss; ++k)
        for (int v = 1; v <= ph.prec1[k].nvar; ++v) {
            names.push_back(ph.prec1[k].var[v].name);
            where.push_back({k, v});
        }

    std::vector<std::string> chosen;
    const bool fromscript = s.isopleth == 0 && !s.isoname.empty();
    if (fromscript) {
        chosen.push_back(s.isoname);
        if (!s.isoname2.empty()) chosen.push_back(s.isoname2);
    } else {
        if (names.empty()) runio::bomb("readisopleths", "no xyz variables available to be set", 0);
        std::string& line2 = runio::chans.line2;
        line2 = "set compositional variables, from:";
        for (const std::string& name : names) line2 += name + " ";
        putstr(0, line2, 1, msl);
        chosen = chosennames(names, "readisopleths");
    }

    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const Candidate c = where[candidateat(names, chosen[i], "readisopleths")];
        const std::string& name = chosen[i];
        const int list = nextlist("isopleths");
        axmodels::XyzVar& var = ph.prec1[c.phase].var[c.var];
        var.fixed = true;
        var.loopindex = list;
        if (name == "x(CO2)") {
            putstr(1, "implementation change", 1, msl);
            runio::bomb("readisopleths", "use the calcx(CO2) script for setting x(CO2)", 0);
        }
        Range r;
        if (i == 0 && s.isopleth == 0 && s.isohigh > 0.0) {
            r = {s.isolow, s.isohigh, s.isoinc};
        } else if (i == 1 && s.isopleth == 0 && s.isohigh2 > 0.0) {
            r = {s.isolow2, s.isohigh2, s.isoinc2};
        } else {
            putstr(1, "specifying isopleths for " + name + ":", 1, msl);
            r = askrange("  low, high, inc OR one value", false);
            if (!(r.low <= r.high && r.inc > 0.0 && r.low >= 0.0 && r.high <= 1.0)) {
                putstr(1, "isopleth: low, high and increment expected, or one value", 1, msl);
                runio::bomb("readisopleths", "isopleth values inappropriate", 0);
            }
        }
        storelist(list, r);

        auto& values = is.isovalues[list];
        const int n = is.nisovalues[list];
        int kept = 0;
        for (int j = 1; j <= n; ++j)
            if (isoplethlegal(c.phase, c.var, values[j])) values[++kept] = values[j];
        is.nisovalues[list] = kept;
        const std::string guesses =
            "You will need to look at the starting guesses in the context of the axfile coding and work out how to "
            "allow the isopleth value(s).";
        if (kept == 0) {
            runio::formattext({n == 1 ? "the input isopleth value for " + name + " leads to "
                                      : "all of the input isopleth values for " + name + " lead to ",
                               "negative site fractions with the given starting guesses for the other variables. "
                               "Negative site fractions are illegal. ",
                               guesses});
            runio::bomb("readisopleths", "no legal isopleth values for " + name, 0);
        }
        if (kept < n) {
            runio::formattext({n - kept == 1 ? "one input isopleth value for " + name + " leads to "
                                             : "some of the input isopleth values for " + name + " lead to ",
                               "negative site fractions with the given starting guesses for the other variables. "
                               "The illegal isopleths have been ignored. ",
                               guesses + " "});
            if (!runio::query("do you want to continue?")) runio::killrun();
        }
    }
    is.nxyziso = is.niso - is.nmodeiso;

    for (int k = 1; k <= ph.nss; ++k) {
        if (pc.isexcess[k]) continue;
        const axmodels::SolPhase& sp = ph.prec1[k];
        for (int v = 1; v <= sp.nvar; ++v)
            if (sp.var[v].fixed) {
                pc.isnobulk[k] = 1;
                ++pc.nnobulk;
            }
    }

    if (is.nxyziso == (s.nxco2values > 0 ? 1 : 0)) {
        putstr(0, "no xyz isopleths specified", 1, msl);
        return;
    }
    for (int k = 1; k <= ph.nss; ++k) {
        const axmodels::SolPhase& sp = ph.prec1[k];
        for (int v = 1; v <= sp.nvar; ++v)
            if (sp.var[v].fixed && sp.var[v].name != "x(CO2)")
                putstr(0, sp.var[v].name + settext(sp.var[v].loopindex), 1, msl);
    }
}

}  // namespace phasediagram
