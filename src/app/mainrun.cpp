// The main run sequence: start-up, the choice of calculation mode, the passes
// of the chosen mode, and the shut-down.
#include <chrono>
#include <cmath>
#include <ctime>

#include "app/app.h"
#include "dsfit/dsfit.h"
#include "emcalcs/emcalcs.h"
#include "phasediagram/phasediagram.h"
#include "runio/runio.h"
#include "runio/scriptset.h"

namespace app {

using namespace runio;

namespace {

double clockdays()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<double>(ms) / 86400000.0;
}

void onepass()
{
    switch (run.calcmode) {
    case 0: emcalcs::tablecalcs(); break;
    case 1:
        run.maxbit = maxbitel;
        run.diagrammode = 0;
        phasediagram::nlecalcs();
        break;
    case 2:
        emcalcs::setupavpt();
        emcalcs::rockcalcs();
        break;
    case 3:
        emcalcs::setupallreactions();
        emcalcs::phasediagramcalcs();
        break;
    case 4: emcalcs::listsystem(); break;
    case 5: dsfit::kalfitrun(); break;
    default: break;
    }
}

const char* morequestion(int calcmode)
{
    switch (calcmode) {
    case 0: return "more tables";
    case 1: return "more phase diagram calculations";
    case 2: return "more rock calculations";
    case 3: return "more calculations";
    default: return "more lists";
    }
}

}  // namespace

std::string makedatetext(int hour, int minute, int weekday, int day, int month, int year)
{
    static constexpr const char* days[] = {" on Sun ", " on Mon ", " on Tue ", " on Wed ",
                                           " on Thu ", " on Fri ", " on Sat "};
    static constexpr const char* months[] = {" Jan,", " Feb,", " Mar,", " Apr,", " May,", " Jun,",
                                             " Jul,", " Aug,", " Sep,", " Oct,", " Nov,", " Dec,"};
    std::string s = inttext(hour) + "." + (minute < 10 ? "0" : "") + inttext(minute);
    s += (weekday >= 0 && weekday <= 6) ? days[weekday] : "noday? ";
    s += inttext(day);
    s += (month >= 1 && month <= 12) ? months[month - 1] : "nomonth?";
    s += inttext(year);
    return s;
}

std::string elapsedtext(double seconds)
{
    std::string s = "elapsed = ";
    if (seconds < 30.0) {
        addfield(realstr(seconds, 1, true), 4, s);
    } else {
        s += inttext(static_cast<long long>(std::trunc(seconds + 0.0005)));
    }
    return s + " secs";
}

void datestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t tt = std::chrono::system_clock::to_time_t(now);
    std::tm t{};
    localtime_r(&tt, &t);
    run.starttime = clockdays();
    run.datetext = makedatetext(t.tm_hour, t.tm_min, t.tm_wday, t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
}

void showelapsed()
{
    const double seconds = (clockdays() - run.starttime) * 86400.0;
    screenwrite(elapsedtext(seconds) + "\n");
}

void startrun(const std::string& bannertext)
{
    openstdfds();
    makestarttables();
    run.progname = bannertext;
    chans.chanset = mscreen;
    screenwrite(run.progname + buildnote + "\n");
    readprefs();
    files.filename = openoutfile("pm-log", ".txt", chlog);
    chans.chanset |= mlog;
    putstr(0, "[display/print with fixed width font (eg Monaco)]", 2, mlog);
    putstr(0, "", 1, msl);
    chans.line.clear();
    chans.line2.clear();
    chans.line3.clear();
    chans.line4.clear();
    chans.chanused.fill(false);
    datestamp();
}

int getcalcmode()
{
    if (prefs.prefscalcmode == 9) return 9;
    if (prefs.prefscalcmode >= 0 && prefs.prefscalcmode <= 3) return prefs.prefscalcmode;
    putstr(0, "calculation mode :", 1, msl);
    putstr(0, "     0 = table of thermodynamic data of end-members", 1, msl);
    putstr(0, "     1 = phase diagram calculations", 1, msl);
    putstr(0, "     2 = average pressure-temperature calculations", 1, msl);
    putstr(0, "     3 = calculations on all reactions between end-members", 1, msl);
    putstr(0, "     4 = list end-member names and compositions", 1, msl);
    Words words;
    std::string prompt = "control code ";
    for (;;) {
        promptstrings(prompt, words);
        if (words.n >= 1 && words[1] == "kalfit") return 9;
        if (words.n == 0) {
            prompt = " ";
            continue;
        }
        int n;
        std::string message;
        if (!str2int(words[1], n, message)) {
            prompt = "not an integer  - try again";
        } else if (n >= 0 && n <= 4) {
            return n;
        } else {
            prompt = "not in range  - try again";
        }
    }
}

void mainprogram()
{
    startrun(banner);
    run.modecode = getcalcmode();
    if (run.modecode >= 0 && run.modecode <= 4)
        run.calcmode = run.modecode;
    else if (run.modecode == 9)
        run.calcmode = 5;
    else
        bomb("setup", "unknown code", 1);
    setupstore();
    if (run.calcmode == 5) dsfit::kalfitalloc();
    startout();
    run.runno = 0;
    for (;;) {
        ++run.runno;
        onepass();
        putstr(0, "", 1, msl);
        flushfiles();
        if (run.calcmode == 5 || scriptset.autoexit) break;
        if (!closingquery(morequestion(run.calcmode))) break;
    }
    putstr(0, std::string(60, '='), 1, msol);
    if (run.calcmode != 5 && !scriptset.autoexit) closingquery("all done - hit return to exit");
    disposestore();
    if (run.calcmode == 5) dsfit::kalfitend();
    if (scriptset.batchsw == 0 || scriptflags.dogminon) showelapsed();
    closefiles();
    endprocess(chans.resultslost ? statusunwritten : 0);
}

}  // namespace app
