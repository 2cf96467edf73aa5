// Dialogues of set-up routines run inside a test program: the replies are fed
// as standard input, the screen and the log are captured, and a routine that
// may end the run (a fatal error, "kill") runs in a child process. A pass can
// be read as the calculation modes read it: the example dataset, a script and
// an a-x file in a scratch directory.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "app/app.h"
#include "axmodels/axmodels.h"
#include "harness.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "script/script.h"
#include "thermodata/thermodata.h"

namespace pmtest {

// A fresh working directory for one test, removed afterwards.
struct WorkDir {
    std::filesystem::path path, previous;
    WorkDir()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "pmdialog-XXXXXX").string();
        if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path = templ;
        previous = std::filesystem::current_path();
        std::filesystem::current_path(path);
    }
    ~WorkDir()
    {
        runio::closeread(runio::files.infile);
        runio::closeread(thermodata::ds.dsfile);
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(path);
    }
};

struct Dialog {
    int status = 0;        // exit status of a child; 0 for a run in the test itself
    std::string screen;    // standard output
    std::string log;       // the log channel
    std::string rest;      // replies left unread (in the test itself only)
    std::string bombed;    // "where : message" of a fatal error, empty when none
};

namespace dialogdetail {

inline void capture(const std::function<void()>& body, bool child, Dialog& d)
{
    std::fflush(stdout);
    if (std::freopen(".replies", "r", stdin) == nullptr) throw std::runtime_error("no replies file");
    const int saved = dup(STDOUT_FILENO);
    const int fd = open(".screen", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, STDOUT_FILENO);
    close(fd);
    std::FILE* log = std::fopen(".log", "w");
    runio::chans.file[runio::chlog] = log;
    runio::chans.chanset = runio::mscreen | runio::mlog;
    runio::prefs.bombautoexit = true;
    body();
    std::fflush(stdout);
    if (child) _exit(0);
    for (int c = std::fgetc(stdin); c != EOF; c = std::fgetc(stdin)) d.rest.push_back(static_cast<char>(c));
    std::freopen("/dev/null", "r", stdin);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    runio::chans.file[runio::chlog] = nullptr;
    runio::chans.chanset = 0;
    std::fclose(log);
}

}  // namespace dialogdetail

// Runs the body with the replies (one line each) on standard input, in the
// current directory. With inchild the body runs in a child process.
inline Dialog talk(const std::function<void()>& body, const std::string& replies, bool inchild = false)
{
    Dialog d;
    writefile(".replies", replies);
    if (inchild) {
        std::fflush(stdout);
        const pid_t pid = fork();
        if (pid == 0) dialogdetail::capture(body, true, d);
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        d.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    } else {
        dialogdetail::capture(body, false, d);
    }
    d.screen = readfile(".screen");
    d.log = readfile(".log");
    const std::string mark = "-- run bombed in ";
    const std::size_t at = d.screen.find(mark);
    if (at != std::string::npos) {
        const std::size_t from = at + mark.size();
        d.bombed = d.screen.substr(from, d.screen.find('\n', from) - from);
    }
    return d;
}

// The text with every occurrence of from replaced by to.
inline std::string replaceall(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The run state as the start-up leaves it for the given mode, nothing read.
inline void startrun(int calcmode)
{
    using namespace runio;
    makestarttables();
    run.calcmode = calcmode;
    run.runno = 1;
    run.progname = "PETRAMONDO 3.50";
    run.datetext = "Mon 1 Jan 2024 at 10:00";
    if (axmodels::ph.prec1.empty()) app::setupstore();
    chans.chanset = 0;
    prefs = Prefs{};
    prefs.bombautoexit = true;
    prefs.wrapscreen = false;
    prefs.prefsdssuffix = "6ex";
    prefs.prefsscriptsuffix = "t";
    prefs.prefscalcmode = calcmode;
    closeread(files.infile);
    files = RunFiles{};
    files.scriptsuffix = "t";
    script::initscripts();
}

// Writes the example dataset, the script (as pm-t.txt) and the a-x file (as
// pm-axex.txt, which the script must name) and reads them as a pass begins:
// the dataset's names, the script and the a-x file.
inline void readpass(const std::string& scripttext, const std::string& axtext)
{
    writefile("pm-ds6ex.txt", examplefile("pm-ds6ex.txt"));
    writefile("pm-t.txt", scripttext);
    writefile("pm-axex.txt", axtext);
    runio::closeread(runio::files.infile);
    runio::files.scriptopen = false;
    thermodata::readds(1);
    script::readscripts();
    axmodels::setupphases();
}

// The rest of the set-up that the mode-1 readers rely on, every phase kept:
// compositions, data rows and the special end-members.
inline void buildphases()
{
    thermodata::makename(thermodata::DropList{});
    thermodata::readds(2);
    thermodata::makeemc();
    thermodata::readds(3);
    thermodata::setupemdata();
    thermodata::findspecials();
}

}  // namespace pmtest
