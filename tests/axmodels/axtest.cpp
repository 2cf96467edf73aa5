#include "axtest.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/app.h"
#include "axmodels/axmodels.h"
#include "harness/harness.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "script/script.h"
#include "thermodata/thermodata.h"

namespace fs = std::filesystem;

namespace axtest {

const std::vector<std::string> examplenames = {"fo", "fa", "en", "py", "alm", "gr", "ab", "an", "san",
                                               "q", "ky", "sill", "and", "mt", "H2O", "CO2"};

const std::string binary =
    "ol 2 1 verbatim\nverbatim\n x(ol) 0.3\n p(fo) 1 1 1 1 -1 x\n p(fa) 1 1 0 1 1 x\n"
    " sf W(fo,fa) 12 0 0\n 2 xA 1 1 1 1 -1 x\n xB 1 1 0 1 1 x\n fo 1 1 xA 1\n fa 1 1 xB 1\n";

void initrun(const std::vector<std::string>& dsnames, bool dsnew)
{
    using namespace runio;
    makestarttables();
    run.calcmode = 1;
    run.progname = "PETRAMONDO 3.50";
    run.datetext = "Mon 1 Jan 2024 at 10:00";
    if (axmodels::ph.prec1.empty()) app::setupstore();
    // AXDEBUG=1 shows the screen, and so the message of a fatal error that ends a test
    chans.chanset = std::getenv("AXDEBUG") != nullptr ? mscreen : 0;
    prefs = Prefs{};
    prefs.bombautoexit = true;
    prefs.prefsaxsuffix = "axex";
    files.scriptname = "pm-ex.txt";
    script::initscripts();
    thermodata::Dataset& ds = thermodata::ds;
    ds.ndsem = static_cast<int>(dsnames.size());
    for (int i = 1; i <= ds.ndsem; ++i) {
        std::string name = dsnames[i - 1];
        name.resize(thermodata::dsnamelen, ' ');   // the file keeps them blank-filled
        ds.dsemname[i] = name;
    }
    ds.dsnew = dsnew;
    ds.dsold = !dsnew;
    ds.dsfilename = "pm-ds6ex.txt";
    ds.dstitle = "example dataset";
}

ScratchDir::ScratchDir()
{
    std::string templ = (fs::temp_directory_path() / "pmax-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = templ;
    previous = fs::current_path().string();
    fs::current_path(path);
}

ScratchDir::~ScratchDir()
{
    runio::closeread(runio::files.infile);
    fs::current_path(previous);
    fs::remove_all(path);
}


std::string exampleax() { return pmtest::examplefile("pm-axex.txt"); }

void readax(const std::string& text)
{
    writefile("pm-axex.txt", text);
    axmodels::setupphases();
}

Outcome runchild(const std::function<void()>& body, const std::string& stdintext)
{
    std::fflush(stdout);
    writefile(".childin", stdintext);
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open(".childin", O_RDONLY);
        const int out = open(".childout", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        runio::chans.chanset |= runio::mscreen;
        body();
        std::fflush(stdout);
        _exit(0);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    Outcome o;
    o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    o.screen = readfile(".childout");
    const std::string mark = "-- run bombed in ";
    const std::size_t at = o.screen.find(mark);
    if (at != std::string::npos) {
        const std::size_t from = at + mark.size();
        o.bombed = o.screen.substr(from, o.screen.find('\n', from) - from);
    }
    return o;
}

std::string captured(int channel, const std::function<void()>& body)
{
    using namespace runio;
    const auto ch = static_cast<std::size_t>(channel);
    openoutfile("captured", ".txt", static_cast<Channel>(channel));
    chans.chanset |= 1u << channel;
    body();
    std::fclose(chans.file[ch]);
    chans.file[ch] = nullptr;
    chans.chanset &= ~(1u << channel);
    return readfile("captured.txt");
}

Outcome readaxchild(const std::string& text, const std::string& stdintext)
{
    return runchild([&] { readax(text); }, stdintext);
}

std::string replaced(const std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "not in the text: " << from;
    if (at == std::string::npos) return text;
    return text.substr(0, at) + to + text.substr(at + from.size());
}

}  // namespace axtest
