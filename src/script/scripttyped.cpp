// The typed readers through which every keyword takes the info items of its
// line: reals, integers and strings with their checks, and pressures and
// temperatures with the overall limits of the program (kbar; degrees C in
// the script, K stored).
#include <utility>

#include "script/scriptblocks.h"

namespace script {

namespace {

// Overall temperature limits, 283 K and 3000 K, as the script writes them.
constexpr double tminc = 283.0 - 273.15;
constexpr double tmaxc = 3000.0 - 273.15;
constexpr double pmaxall = 1500.0;   // kbar

const char* followreal = "a real will be prompted for";
const char* followint = "an integer will be prompted for";
const char* followstring = "a string in needed (or will be prompted for)";
const char* followfix = "info in the script needs to be corrected";

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string whole(double x) { return realstrshort(x); }

// A problem met by a typed reader: fatal under strictscripting, otherwise
// counted, with a line that says what happens next.
bool readerproblem(const std::string& keyword, const std::string& message, const std::string& fatal,
                   const std::string& followup)
{
    putstr(1, message, 1, msl);
    if (scriptset.strictscripting) bomb("reading script for " + keyword, fatal, 0);
    ++prefs.nunrecognised;
    putstr(0, followup, 1, msl);
    return false;
}

// A P or T outside the overall limits: reported and counted, never fatal,
// since the default that replaces it is always usable.
void limitproblem(const std::string& message)
{
    putstr(1, message, 1, msl);
    ++prefs.nunrecognised;
}

bool isscriptint(int i) { return scriptinfo.infokind[i] == 1 && scriptinfo.inforeal[i] == scriptinfo.infoint[i]; }

void swapitems(int i)
{
    ScriptInfo& si = scriptinfo;
    std::swap(si.infokind[i], si.infokind[i + 1]);
    std::swap(si.inforeal[i], si.inforeal[i + 1]);
    std::swap(si.infoint[i], si.infoint[i + 1]);
    std::swap(si.infotext[i], si.infotext[i + 1]);
}

// The lowest pressure as the messages give it: small ones need 4 decimals.
std::string ptext(double p, double lo) { return realstr(p, lo < 0.1 ? 4 : 1, true); }

}  // namespace

void scriptproblem(const std::string& keyword, const std::string& message, const std::string& fatal)
{
    readerproblem(keyword, message, fatal, followfix);
}

namespace {

// One number, item 1, within lo..hi unless the two are equal.
bool readone(const std::string& keyword, bool ints, double lo, double hi)
{
    const ScriptInfo& si = scriptinfo;
    const std::string what = ints ? "integer" : "real";
    const char* follow = ints ? followint : followreal;
    if (si.ninfo < 1)
        return readerproblem(keyword, "for " + keyword + ", no info given: one " + what + " expected",
                             what + " expected", follow);
    if (!(ints ? isscriptint(1) : scriptisnumber(si.infokind[1])))
        return readerproblem(keyword, "for " + keyword + ", info given is " + quoted(si.infotext[1]),
                             what + " expected", follow);
    const double v = ints ? si.infoint[1] : si.inforeal[1];
    if (lo != hi && (v < lo || v > hi))
        return readerproblem(keyword,
                             "for " + keyword + ", info given is " + quoted(si.infotext[1]) + ", " +
                                 "but limits are " + (ints ? whole(lo) : realstr(lo, 3, true)) + " to " +
                                 (ints ? whole(hi) : realstr(hi, 3, true)),
                             what + " inappropriate", follow);
    return true;
}

// Numbers in items 1..n (all items when n is 0).
bool readmany(const std::string& keyword, int& n, bool ints)
{
    const ScriptInfo& si = scriptinfo;
    const std::string what = ints ? "integers" : "reals";
    if (si.ninfo < 1)
        return readerproblem(keyword, "for " + keyword + ", no info given: one or more " + what + " expected",
                             what + " expected", followfix);
    if (n > 0 && si.ninfo < n)
        return readerproblem(keyword,
                             "for " + keyword + ", only " + whole(si.ninfo) + (ints ? " integers" : " numbers") +
                                 " in a line, " + "but " + whole(n) + " needed",
                             what + " expected", followfix);
    const int m = n > 0 ? n : si.ninfo;
    for (int i = 1; i <= m; ++i)
        if (!(ints ? isscriptint(i) : scriptisnumber(si.infokind[i])))
            return readerproblem(keyword,
                                 "for " + keyword + ", info includes " + quoted(si.infotext[i]) +
                                     (ints ? " not just integers" : ", not just reals"),
                                 what + " expected", followfix);
    if (n == 0) n = si.ninfo;
    return true;
}

}  // namespace

bool scriptreal(const std::string& keyword, double lo, double hi) { return readone(keyword, false, lo, hi); }
bool scriptreals(const std::string& keyword, int& n) { return readmany(keyword, n, false); }
bool scriptint(const std::string& keyword, int lo, int hi) { return readone(keyword, true, lo, hi); }
bool scriptints(const std::string& keyword, int& n) { return readmany(keyword, n, true); }

bool scriptstring(const std::string& keyword)
{
    if (scriptinfo.ninfo < 1)
        return readerproblem(keyword, "for " + keyword + ", no info given: one string expected", "string expected",
                             followstring);
    return true;
}

bool scriptstrings(const std::string& keyword, int& n)
{
    const ScriptInfo& si = scriptinfo;
    if (si.ninfo < 1)
        return readerproblem(keyword, "for " + keyword + ", no info given: one or more strings expected",
                             "strings expected", followfix);
    if (n > 0 && si.ninfo < n)
        return readerproblem(keyword,
                             "for " + keyword + ", only " + whole(si.ninfo) + "numbers in line " + "but " +
                                 whole(n) + " needed",
                             "strings expected", followfix);
    if (n == 0) n = si.ninfo;
    return true;
}

bool scriptonep(const std::string& keyword, double& p, int i, double lo, double hi)
{
    const double v = scriptinfo.inforeal[i];
    if (v < lo) {
        limitproblem("for " + keyword + ", the one P needs to be greater than " + ptext(lo, lo) +
                     " kbar; default used");
        p = scal.pminall;
        return true;
    }
    if (v > pmaxall) {
        limitproblem("for " + keyword + ", the one P needs to be less than " + realstr(hi, 1, true) +
                     " kbar; default used");
        p = pmaxall;
        return true;
    }
    p = v;
    return false;
}

bool scriptprange(const std::string& keyword, double& plow, double& phigh, int i, double lo, double hi)
{
    bool problem = false;
    if (scriptinfo.inforeal[i] > scriptinfo.inforeal[i + 1]) {
        limitproblem("for " + keyword + ", the 2nd P in the P range must be larger than the 1st P");
        swapitems(i);
        problem = true;
    }
    const double a = scriptinfo.inforeal[i], b = scriptinfo.inforeal[i + 1];
    if (a < lo && b > hi) {
        limitproblem("for " + keyword + ", the P range needs to be within " + ptext(scal.pminall, lo) + " kbar to " +
                     realstr(hi, 1, true) + " kbar; default used");
        return true;
    }
    if (a < lo) {
        limitproblem("for " + keyword + ", the bottom of the P range needs to be greater than " + ptext(lo, lo) +
                     " kbar; default used");
        phigh = b;
        return true;
    }
    if (b > pmaxall) {
        limitproblem("for " + keyword + ", the top of the P range needs to be less than " + realstr(hi, 1, true) +
                     " kbar; default used");
        plow = a;
        return true;
    }
    plow = a;
    phigh = b;
    return problem;
}

bool scriptonet(const std::string& keyword, double& t, int i, double, double)
{
    const double v = scriptinfo.inforeal[i];
    if (v < tminc) {
        limitproblem("for " + keyword + ", the one T needs to be greater than " + whole(tminc) + degreesign +
                     "C; default used");
        t = 283.0;
        return true;
    }
    if (v > tmaxc) {
        limitproblem("for " + keyword + ", the one T needs to be less than " + whole(tmaxc) + degreesign +
                     "C; default used");
        t = 3000.0;
        return true;
    }
    t = v + 273.15;
    return false;
}

bool scripttrange(const std::string& keyword, double& tlow, double& thigh, int i, double, double)
{
    bool problem = false;
    if (scriptinfo.inforeal[i] > scriptinfo.inforeal[i + 1]) {
        limitproblem("for " + keyword + ", the 2nd T in the T range must be larger than the 1st T");
        swapitems(i);
        problem = true;
    }
    const double a = scriptinfo.inforeal[i], b = scriptinfo.inforeal[i + 1];
    if (a < tminc && b > tmaxc) {
        limitproblem("for " + keyword + ", the T range needs to be within " + whole(tminc) + degreesign + "C to " +
                     whole(tmaxc) + degreesign + "C; default used");
        return true;
    }
    if (a < tminc) {
        limitproblem("for " + keyword + ", the bottom of the T range needs to be greater than " + whole(tminc) +
                     " " + degreesign + "C; default used");
        thigh = b + 273.15;
        return true;
    }
    if (b > tmaxc) {
        limitproblem("for " + keyword + ", the top of the T range needs to be less than " + whole(tmaxc) + " " +
                     degreesign + "C; default used");
        tlow = a + 273.15;
        return true;
    }
    tlow = a + 273.15;
    thigh = b + 273.15;
    return problem;
}

}  // namespace script
