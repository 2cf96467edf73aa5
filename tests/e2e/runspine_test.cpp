// The run from start-up to shut-down: banner, preferences, the mode menu, the
// run files, fatal errors and "kill", run end to end in a scratch directory.
#include <gtest/gtest.h>

#include <regex>

#include "harness.h"

using pmtest::runpm;

namespace {

const std::string banner = "PETRAMONDO 3.50 (C++20 build for Linux)\n";
const std::string fontline = "[display/print with fixed width font (eg Monaco)]\n\n";

// A run without its dataset ends in a fatal error right after the files open.
std::map<std::string, std::string> menurun()
{
    return {{"pm-prefs.txt", pmtest::prefsfile("6ex", "ex", 4)}, {"pm-ex.txt", "% script\n*\n"}};
}

const std::string menu =
    "calculation mode :\n"
    "     0 = table of thermodynamic data of end-members\n"
    "     1 = phase diagram calculations\n"
    "     2 = average pressure-temperature calculations\n"
    "     3 = calculations on all reactions between end-members\n"
    "     4 = list end-member names and compositions\n";

}  // namespace

TEST(RunSpine, BannerOnScreenOnlyAndLogHeading)
{
    const auto r = runpm(menurun(), "kill\n");
    EXPECT_EQ(r.screen.substr(0, banner.size() + 1), banner + "\n");
    ASSERT_TRUE(r.has("pm-log.txt"));
    const std::string& log = r.file("pm-log.txt");
    EXPECT_EQ(log.substr(0, fontline.size() + 1), fontline + "\n");
    EXPECT_EQ(log.find("PETRAMONDO 3.50 ("), std::string::npos);
}

TEST(RunSpine, MenuReasksAndLogsReplies)
{
    const auto r = runpm(menurun(), "x\n7\n\n-1\n9\nkill\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.screen.find(menu + "control code  : not an integer  - try again : not in range  - try again :   : "
                                   "not in range  - try again : not in range  - try again : \n-- run killed --\n"),
              std::string::npos)
        << r.screen;
    const std::string& log = r.file("pm-log.txt");
    EXPECT_NE(log.find(menu + "control code  : x\nnot an integer  - try again : 7\nnot in range  - try again : "
                              "(nothing input)\n  : -1\nnot in range  - try again : 9\nnot in range  - try again : "
                              "kill\n\n-- run killed --\n"),
              std::string::npos)
        << log;
}

TEST(RunSpine, PreferencesModeSkipsTheMenu)
{
    auto files = menurun();
    files["pm-prefs.txt"] = pmtest::prefsfile("6ex", "ex", 3);
    const auto r = runpm(files, "");
    EXPECT_EQ(r.screen.find("calculation mode :"), std::string::npos);
    EXPECT_NE(r.screen.find("\ncannot locate file \"pm-ds6ex.txt\"\n\n-- run bombed in promptdatafile : datafile needed"),
              std::string::npos)
        << r.screen;
}

TEST(RunSpine, KalfitAtTheMenuChoosesTheFit)
{
    // the fit first reads its own settings file, before the run's files are named
    const auto r = runpm(menurun(), "kalfit\n\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("control code  : \ncannot locate file \"ds-prefs.txt\"\n\n"
                            "-- run bombed in promptdatafile : datafile needed\n"),
              std::string::npos)
        << r.screen;
}

TEST(RunSpine, RunHeadingAndRunFiles)
{
    const auto r = runpm(menurun(), "3\n\n");
    const std::string announce =
        "summary output in the file, \"pm-ex-o.txt\"\n"
        "other (eg plotix) output in the file, \"pm-ex-px.txt\"\n"
        "details of calc results in the file, \"pm-ex-ic.txt\"\n"
        "initial tables in the file, \"pm-ex-it.txt\"\n"
        "csv format in the file, \"pm-ex.csv\"\n"
        "more csv format in the file, \"pm-ex2.csv\"\n"
        "(these files may not all be populated yet, depending on the calcs;\n"
        " petramondo should delete empty files at the end of each run)\n";
    EXPECT_NE(r.screen.find(announce), std::string::npos) << r.screen;
    const std::string& log = r.file("pm-log.txt");
    const std::regex heading("\n\nPETRAMONDO 3\\.50  running at [0-9]{1,2}\\.[0-9]{2} on (Sun|Mon|Tue|Wed|Thu|Fri|Sat) "
                             "[0-9]{1,2} (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec),[0-9]{4}\n" );
    EXPECT_TRUE(std::regex_search(log, heading)) << log;
    EXPECT_NE(log.find(announce), std::string::npos);
    // the output file and the log are kept; the files nothing was written to are erased
    EXPECT_TRUE(r.has("pm-ex-o.txt"));
    for (const char* gone : {"pm-ex-px.txt", "pm-ex-ic.txt", "pm-ex-it.txt", "pm-ex.csv", "pm-ex2.csv"})
        EXPECT_FALSE(r.has(gone)) << gone;
    EXPECT_NE(r.file("pm-ex-o.txt").find("-- run bombed in promptdatafile : datafile needed"), std::string::npos);
}

TEST(RunSpine, KillWithBlanksClosesEverythingAndExitsCleanly)
{
    auto files = menurun();
    files["pm-prefs.txt"] = pmtest::prefsfile("6ex", "ex", 1);
    files["pm-prefs.txt"] += "nosuchkey\n";
    // the problems question of the prefs file, answered with kill
    const auto r = runpm(files, " \tkill \n");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.screen.find("\nnosuchkey unrecognised\n"), std::string::npos);
    EXPECT_NE(r.screen.find("exit, and delete unrecognised scripts from the prefs file ? \n-- run killed --\n"),
              std::string::npos)
        << r.screen;
}

TEST(RunSpine, KillNeedsTheWholeWord)
{
    const auto r = runpm(menurun(), "Kill\nkil\nkill now\nkill\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(pmtest::countof(r.screen, "not an integer  - try again"), 3);
    EXPECT_EQ(pmtest::countof(r.screen, "-- run killed --"), 1);
}

TEST(RunSpine, MissingPreferencesFileIsFatal)
{
    const auto r = runpm({}, "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.screen, banner +
                            "\ncan't open \"pm-prefs.txt\"\n\n"
                            "on the Mac, if you double-clicked the pm350 icon then that won't work;\n"
                            "try reading the \"getting started\" info on the PETRAMONDO website.\n"
                            "\n-- run bombed in readprefs : can't open \"pm-prefs.txt\"\n\n"
                            "\nhit return to exit program\n\n");
    EXPECT_FALSE(r.has("pm-log.txt"));
}

TEST(RunSpine, FitSettingsFileAloneBringsUpTheMenu)
{
    const auto r = runpm({{"ds-prefs.txt", "% fit settings\n"}}, "kill\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.screen.find(menu + "control code  : "), std::string::npos);
}

TEST(RunSpine, MissingMandatoryPreferences)
{
    const auto r = runpm({{"pm-prefs.txt", "dsfile 6ex\nscriptfile ex\nbadone\nworse x\n"}}, "no\n\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("\nbadone unrecognised\n\nworse unrecognised\n"
                            "there are script problems in the prefs file listed immediately above:\n"
                            "exit, and delete unrecognised scripts from the prefs file ? \n"
                            "1) new in pm350, the \"calcmode\" script is mandatory in the prefsfile, followed#\n"
                            "by the code indicating the calculation required: 0 = thermodynamic tables; 1 =#\n"
                            "phase equilibria calculations involving solid solutions; 2 = avPT \n"),
              std::string::npos)
        << r.screen;
    EXPECT_NE(r.screen.find("\nin addition to the absence of the indicated mandatory script, there are other \n"
                            "script problems listed above: \n"
                            "\n-- run bombed in reading scripts : add mandatory scripts to the prefsfile\n"),
              std::string::npos)
        << r.screen;
}

TEST(RunSpine, AllThreeMandatoryPreferencesMissing)
{
    const auto r = runpm({{"pm-prefs.txt", "setpagewidth 120\n* end\ndsfile 6ex\n"}}, "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("\n1) new in pm350, the \"dsfile\" script"), std::string::npos);
    EXPECT_NE(r.screen.find("\n2) new in pm350, the \"scriptfile\" script"), std::string::npos);
    EXPECT_NE(r.screen.find("\n3) new in pm350, the \"calcmode\" script"), std::string::npos);
    EXPECT_EQ(r.screen.find("in addition to the absence"), std::string::npos);
}

TEST(RunSpine, MissingScriptFile)
{
    const auto r = runpm({{"pm-prefs.txt", pmtest::prefsfile("6ex", "nothere", 0)}}, "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("\ncannot locate file \"pm-nothere.txt\"\n"
                            "\n-- run bombed in promptdatafile : datafile needed\n"),
              std::string::npos)
        << r.screen;
}

TEST(RunSpine, EndOfInputIsFatalNotAnEndlessLoop)
{
    const auto r = runpm(menurun(), "", 20);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("-- run bombed in read in prstrings : end of input"), std::string::npos) << r.screen;
}

TEST(RunSpine, EndOfInputAfterAFinishedRunEndsItNormally)
{
    // The example pseudosection without autoexit, its replies from a file
    // that ends once every calculation is done: no more passes, and exit.
    std::string script = pmtest::examplefile("pm-exps.txt");
    const std::size_t at = script.find("autoexit\n");
    ASSERT_NE(at, std::string::npos);
    script.erase(at, 9);
    const auto r = runpm({{"pm-prefs.txt", pmtest::prefsfile("6ex", "exps", 1)},
                          {"pm-exps.txt", script},
                          {"pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt")},
                          {"pm-axex.txt", pmtest::examplefile("pm-axex.txt")}},
                         "");
    EXPECT_EQ(r.status, 0);
    const std::string closing = std::string(60, '=') + "\n";
    // each question's line ended as a typed return would end it, then the close
    const std::string end = "\nmore phase diagram calculations ? \n" + closing + "all done - hit return to exit ? \n\n";
    ASSERT_GE(r.screen.size(), end.size());
    EXPECT_EQ(r.screen.substr(r.screen.size() - end.size()), end) << r.screen;
    EXPECT_NE(r.file("pm-log.txt").find("more phase diagram calculations ? no\n" + closing +
                                        "all done - hit return to exit ? no\n"),
              std::string::npos);
}

TEST(RunSpine, OverlongReplyIsRefusedNotCut)
{
    const auto r = runpm(menurun(), std::string(300, '4') + "\nkill\n");
    EXPECT_NE(r.screen.find("control code  : reply longer than 255 characters - type it again : "),
              std::string::npos);
    EXPECT_EQ(r.status, 0);
}

TEST(RunSpine, RunFilesOfOneNameStopTheRun)
{
    // with the suffix "log" the script file would be the log itself
    const auto r = runpm({{"pm-prefs.txt", pmtest::prefsfile("6ex", "log", 0)}}, "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("-- run bombed in startout : two of the run's files would both be called "
                            "\"pm-log.txt\": choose another script file suffix"),
              std::string::npos)
        << r.screen;
}

TEST(RunSpine, InputFileNamedLikeARunFileStopsTheRunBeforeItIsEmptied)
{
    const std::string ax = pmtest::examplefile("pm-axex.txt");
    std::string script = pmtest::examplefile("pm-exps.txt");
    script.replace(script.find("axfile axex\n"), 12, "axfile exps-o\n");
    const auto r = runpm({{"pm-prefs.txt", pmtest::prefsfile("6ex", "exps", 1)},
                          {"pm-exps.txt", script},
                          {"pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt")},
                          {"pm-exps-o.txt", ax}},
                         "");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.screen.find("\n-- run bombed in startout : the a-x file \"pm-exps-o.txt\" is also the run's outfile "
                            "\"pm-exps-o.txt\": give the a-x file another name\n"),
              std::string::npos)
        << r.screen;
    EXPECT_EQ(r.file("pm-exps-o.txt"), ax);
    EXPECT_FALSE(r.has("pm-exps-px.txt"));

    // the dataset alike: script ds6ex makes pm-ds6ex-o.txt, the dataset 6ex-o
    const std::string ds = pmtest::examplefile("pm-ds6ex.txt");
    const auto d = runpm({{"pm-prefs.txt", pmtest::prefsfile("6ex-o", "ds6ex", 0)},
                          {"pm-ds6ex.txt", pmtest::examplefile("pm-ex.txt")},
                          {"pm-axex.txt", ax},
                          {"pm-ds6ex-o.txt", ds}},
                         "");
    EXPECT_EQ(d.status, 1);
    EXPECT_NE(d.screen.find("\n-- run bombed in startout : the dataset \"pm-ds6ex-o.txt\" is also the run's outfile "
                            "\"pm-ds6ex-o.txt\": give the dataset another name\n"),
              std::string::npos)
        << d.screen;
    EXPECT_EQ(d.file("pm-ds6ex-o.txt"), ds);
}

TEST(RunSpine, HeapMonitorReportsOnTheScreenOnly)
{
    auto files = menurun();
    files["pm-prefs.txt"] += "monitorheap\n";
    const auto r = runpm(files, "4\n\n");
    const std::regex allocs("space allocated for c is 15k; , heap now 15k\n"
                            "space allocated for cov is 1250k; , heap now 1265k\n"
                            "space allocated for r is 117k; , heap now 1382k\n"
                            "space allocated for prec0 is [0-9]+k; , heap now [0-9]+k\n"
                            "space allocated for prec1 is [0-9]+k; , heap now [0-9]+k\n"
                            "space allocated for td is 94k; , heap now [0-9]+k\n"
                            "space allocated for compdx is 891k; , heap now [0-9]+k\n");
    EXPECT_TRUE(std::regex_search(r.screen, allocs)) << r.screen;
    EXPECT_EQ(r.file("pm-log.txt").find("space allocated"), std::string::npos);
}

namespace {

std::map<std::string, std::string> listrun(const std::string& extraprefs = "")
{
    return {{"pm-prefs.txt", pmtest::prefsfile("6ex", "ex", 4) + extraprefs},
            {"pm-ex.txt", "% script\n*\n"},
            {"pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt")}};
}

}  // namespace

TEST(RunSpine, NormalEndClosesAndErasesUnusedFiles)
{
    const auto r = runpm(listrun(), "4\nSiO2\nno\n\n");
    EXPECT_EQ(r.status, 0);
    const std::string closing = std::string(60, '=') + "\n";
    EXPECT_NE(r.screen.find("more lists ? " + closing + "all done - hit return to exit ? \n"), std::string::npos)
        << r.screen;
    EXPECT_NE(r.file("pm-ex-o.txt").find(closing), std::string::npos);
    const std::string& log = r.file("pm-log.txt");
    EXPECT_NE(log.find("more lists ? no\n" + closing + "all done - hit return to exit ? yes\n"), std::string::npos)
        << log;
    EXPECT_TRUE(r.has("pm-ex-o.txt"));
    for (const char* gone : {"pm-ex-px.txt", "pm-ex-ic.txt", "pm-ex-it.txt", "pm-ex.csv", "pm-ex2.csv"})
        EXPECT_FALSE(r.has(gone)) << gone;
    EXPECT_EQ(r.screen.find("elapsed ="), std::string::npos);   // only with "batch" or dogmin
}

TEST(RunSpine, ClosedStandardOutputLeavesTheLogAsItWouldBe)
{
    // started with ">&-", the screen's text must not find its way into the log
    const auto dated = [](const std::string& log) {
        return std::regex_replace(log, std::regex("running at [^\n]*"), "running at");
    };
    const auto closed = pmtest::runpmwithoutscreen(listrun(), "4\nSiO2\nno\n\n");
    const auto normal = runpm(listrun(), "4\nSiO2\nno\n\n");
    EXPECT_EQ(closed.status, 0);
    EXPECT_EQ(dated(closed.file("pm-log.txt")), dated(normal.file("pm-log.txt")));
}

TEST(RunSpine, AnotherPassWhileTheAnswerIsYes)
{
    const auto r = runpm(listrun(), "4\nSiO2\n\nSiO2\ny\nSiO2\nno\n\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(pmtest::countof(r.screen, "which system? : "), 3);
    EXPECT_EQ(pmtest::countof(r.screen, "more lists ? "), 3);
}

TEST(RunSpine, HeapReleasedAtTheEndInItsOrder)
{
    const auto r = runpm(listrun("monitorheap\n"), "4\nSiO2\nno\n\n");
    const std::regex frees("space disposed for cov; heap size now [0-9]+k\n"
                           "space disposed for c; heap size now [0-9]+k\n"
                           "space disposed for r; heap size now [0-9]+k\n"
                           "space disposed for prec0; heap size now [0-9]+k\n"
                           "space disposed for prec1; heap size now [0-9]+k\n"
                           "space disposed for td; heap size now 891k\n"
                           "space disposed for compdx; heap size now 0k\n");
    EXPECT_TRUE(std::regex_search(r.screen, frees)) << r.screen;
}

TEST(RunSpine, KillAtAQuestionAfterThePass)
{
    const auto r = runpm(listrun(), "4\nSiO2\nkill\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.screen.find("more lists ? \n-- run killed --\n"), std::string::npos) << r.screen;
    EXPECT_NE(r.file("pm-ex-o.txt").find("\n-- run killed --\n"), std::string::npos);
    EXPECT_NE(r.file("pm-log.txt").find("more lists ? no\n\n-- run killed --\n"), std::string::npos);
}

TEST(RunSpine, SignsShownAsCharactersOnATerminalAndKeptAsBytesInFiles)
{
    const std::map<std::string, std::string> files = {
        {"pm-prefs.txt", pmtest::prefsfile("6ex", "ex", 0)}, {"pm-ex.txt", pmtest::examplefile("pm-ex.txt")},
        {"pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt")}, {"pm-axex.txt", pmtest::examplefile("pm-axex.txt")}};
    const auto tty = pmtest::runpmterminal(files, "");
    EXPECT_EQ(tty.status, 0);
    EXPECT_NE(tty.screen.find("G at 8.000 kbar and 650.00 \xC2\xB0" "C"), std::string::npos) << tty.screen;
    EXPECT_EQ(tty.screen.find("\xA1" "C"), std::string::npos);
    EXPECT_NE(tty.file("pm-log.txt").find("650.00 \xA1" "C"), std::string::npos);
    const auto piped = runpm(files, "");
    EXPECT_NE(piped.screen.find("G at 8.000 kbar and 650.00 \xA1" "C"), std::string::npos);
}
