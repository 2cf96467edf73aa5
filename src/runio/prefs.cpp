// The preferences file "pm-prefs.txt": which dataset, which script file, which
// calculation mode, and the screen layout.  Read once, before the log exists.
#include "runio/runio.h"

namespace runio {

Prefs prefs;

namespace {

constexpr const char* prefsfile = "pm-prefs.txt";

void prefsline(const Words& words)
{
    const std::string& key = words[1];
    int sw, used;
    yesnoask(words, sw, used);
    if (key == "dontwrap") {
        prefs.wrapscreen = sw == 0;
    } else if (key == "monitorheap") {
        prefs.heapmonitor = sw == 0;
    } else if (key == "dsfile" || key == "dataset") {
        if (sw == 0) prefs.prefsdssuffix = str22(words[used + 1]);
    } else if (key == "scriptfile" || key == "datafile") {
        if (sw == 0) prefs.prefsscriptsuffix = str22(words[used + 1]);
    } else if (key == "setpagewidth") {
        int n;
        std::string m;
        if (words.n >= 2 && wordkind(words[2]) == 1 && str2int(words[2], n, m))
            prefs.pagewidth = n < 80 ? 80 : (n >= 250 ? 250 : n);
    } else if (key == "calcmode") {
        int n;
        std::string m;
        if (words.n >= 2 && wordkind(words[2]) == 1 && str2int(words[2], n, m)) prefs.prefscalcmode = n;
    } else {
        putstr(1, key + " unrecognised", 1, msol);
        ++prefs.nunrecognised;
    }
}

}  // namespace

void readprefs()
{
    prefs = Prefs{};
    TextFile tf;
    if (!openread(tf, prefsfile)) {
        if (openread(tf, "ds-prefs.txt")) {
            closeread(tf);
            return;
        }
        const std::string cant = std::string("can't open \"") + prefsfile + "\"";
        putstr(1, cant, 2, msl);
        putstr(0, "on the Mac, if you double-clicked the pm350 icon then that won't work;", 1, msl);
        putstr(0, "try reading the \"getting started\" info on the PETRAMONDO website.", 1, msl);
        bomb("readprefs", cant, 0);
    }
    prefs.nunrecognised = 0;
    Words words;
    while (!atend(tf)) {
        readwords(tf, words, true);
        if (words.n == 0) continue;
        if (words[1][0] == '*') break;
        prefsline(words);
    }
    closeread(tf);

    if (prefs.nunrecognised > 0) {
        putstr(0, "there are script problems in the prefs file listed immediately above:", 1, msl);
        if (query("exit, and delete unrecognised scripts from the prefs file")) killrun();
    }

    int missing = 0;
    if (prefs.prefsdssuffix.empty() && prefs.prefscalcmode != 9) {
        ++missing;
        formattext({inttext(missing) +
                        ") new in pm350, the \"dsfile\" script is mandatory in the prefsfile, followed by the suffix ",
                    "to the name of the dsfile (i.e. the dataset). So, if the dsfile is called \"pm-qx41\", the "
                    "script to use is \"dsfile qx41\""});
    }
    if (prefs.prefsscriptsuffix.empty()) {
        ++missing;
        formattext({inttext(missing) +
                        ") new in pm350, the \"scriptfile\" script is mandatory in the prefsfile, followed by the "
                        "suffix ",
                    "to the name of the script file. So, if the scriptfile is called \"pm-AFM\", the script to use "
                    "is \"scriptfile AFM\"",
                    "(If you were using one folder/directory to run several different scriptfiles via prompts, it "
                    "is better to run ",
                    "them in separate folders/directories)"});
    }
    if (prefs.prefscalcmode == -1) {
        ++missing;
        formattext({inttext(missing) +
                        ") new in pm350, the \"calcmode\" script is mandatory in the prefsfile, followed by the ",
                    "code indicating the calculation required: 0 = thermodynamic tables; 1 =  phase equilibria "
                    "calculations involving solid solutions; ",
                    "2 = avPT calculations; and 3 = phase equilibria calculations not involving solid solutions"});
    }
    if (missing > 0) {
        if (prefs.nunrecognised > 0)
            formattext({missing >= 2 ? "in addition to the absence of the indicated mandatory scripts, there are "
                                       "other script problems listed above:"
                                     : "in addition to the absence of the indicated mandatory script, there are "
                                       "other script problems listed above:"});
        bomb("reading scripts", "add mandatory scripts to the prefsfile", 0);
    }
    if (prefs.nunrecognised > 0) {
        putstr(1, "there are script problems listed immediately above:", 1, msol);
        if (query("exit, and correct the scriptfile")) killrun();
    }
}

}  // namespace runio
