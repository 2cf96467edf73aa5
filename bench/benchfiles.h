// Files of the benchmarks that run whole passes: the example files read
// from examples/ and the inputs written into a scratch directory.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/app.h"
#include "runio/runio.h"

namespace benchfiles {

inline std::string slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writefile(const std::string& name, const std::string& text)
{
    std::ofstream out(name, std::ios::binary);
    out << text;
}

// A fresh scratch directory named by the stem and the process, made the
// working directory.
inline void intoscratch(const std::string& stem)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / (stem + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
}

// The run state of a whole pass of the given mode on the script "pm-t.txt"
// and the example dataset, as the run sequence leaves it before the mode
// starts. The screen shows only when the environment variable named is set.
inline void startrun(int calcmode, const char* debugvariable)
{
    runio::makestarttables();
    app::setupstore();
    runio::chans.chanset = std::getenv(debugvariable) != nullptr ? runio::mscreen : 0;
    runio::run.calcmode = calcmode;
    runio::run.runno = 1;
    runio::prefs.prefsdssuffix = "6ex";
    runio::prefs.prefsscriptsuffix = "t";
    runio::prefs.bombautoexit = true;
    runio::prefs.wrapscreen = false;
    runio::files.scriptsuffix = "t";
}

// The program's own screen output (progress marks, counts) is kept out of the
// benchmark's report while the passes run, unless the debug variable named
// is set; the report is written after the timed function returns.
class QuietScreen {
public:
    explicit QuietScreen(const char* debugvariable)
    {
        if (std::getenv(debugvariable) != nullptr) return;
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietScreen()
    {
        if (saved < 0) return;
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
    QuietScreen(const QuietScreen&) = delete;
    QuietScreen& operator=(const QuietScreen&) = delete;

private:
    int saved = -1;
};

}  // namespace benchfiles
