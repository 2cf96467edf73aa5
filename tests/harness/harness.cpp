#include "harness.h"

#include <fcntl.h>
#include <pty.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace pmtest {

namespace {

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void spit(const fs::path& p, const std::string& text)
{
    std::ofstream out(p, std::ios::binary);
    out << text;
}

// Heads the content of an input file that is made a symbolic link to the rest.
const std::string linkmark("\0symlink:", 9);

// A fresh directory holding the input files and the text for standard input.
fs::path makerundir(const std::map<std::string, std::string>& inputs, const std::string& stdintext)
{
    std::string templ = (fs::temp_directory_path() / "pmrun-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    const fs::path dir = templ;
    for (const auto& [name, text] : inputs) {
        // "folder/file" makes the folder too
        fs::create_directories((dir / name).parent_path());
        if (text.starts_with(linkmark))
            fs::create_symlink(text.substr(linkmark.size()), dir / name);
        else
            spit(dir / name, text);
    }
    spit(dir / ".stdin", stdintext);
    return dir;
}

// Every file the run left, but the harness's own.
void collectfiles(const fs::path& dir, RunResult& res)
{
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name == ".stdin" || name == ".stdout" || name == ".stderr") continue;
        if (entry.is_regular_file()) res.files[name] = slurp(entry.path());
    }
}

// The run of runpm; without its screen, standard output is closed.
RunResult runin(const std::map<std::string, std::string>& inputs, const std::string& stdintext, int timeoutseconds,
                bool keepdir, bool withscreen)
{
    RunResult res;
    const fs::path dir = makerundir(inputs, stdintext);
    res.dir = dir.string();

    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        const int in = open(".stdin", O_RDONLY);
        const int out = open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (!withscreen) close(1);
        execl(PM_BINARY, "petramondo", static_cast<char*>(nullptr));
        _exit(127);
    }
    int wstatus = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutseconds);
    bool done = false;
    while (!done) {
        const pid_t r = waitpid(pid, &wstatus, WNOHANG);
        if (r == pid) {
            done = true;
        } else if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &wstatus, 0);
            res.status = -1;
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    if (done) res.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    res.screen = slurp(dir / ".stdout");
    res.errors = slurp(dir / ".stderr");
    collectfiles(dir, res);
    if (!keepdir) fs::remove_all(dir);
    return res;
}

}  // namespace

const std::string& RunResult::file(const std::string& name) const
{
    static const std::string none;
    auto it = files.find(name);
    return it == files.end() ? none : it->second;
}

RunResult runpm(const std::map<std::string, std::string>& inputs, const std::string& stdintext, int timeoutseconds,
                bool keepdir)
{
    return runin(inputs, stdintext, timeoutseconds, keepdir, true);
}

RunResult runpmwithoutscreen(const std::map<std::string, std::string>& inputs, const std::string& stdintext)
{
    return runin(inputs, stdintext, 120, false, false);
}

std::string symlinkto(const std::string& target) { return linkmark + target; }

RunResult runpmterminal(const std::map<std::string, std::string>& inputs, const std::string& stdintext,
                        int timeoutseconds)
{
    RunResult res;
    const fs::path dir = makerundir(inputs, stdintext);
    res.dir = dir.string();
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    const pid_t pid = fork();
    if (pid == 0) {
        close(master);
        if (chdir(dir.c_str()) != 0) _exit(127);
        const int in = open(".stdin", O_RDONLY);
        dup2(in, 0);
        dup2(slave, 1);
        dup2(slave, 2);
        execl(PM_BINARY, "petramondo", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(slave);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutseconds);
    char buf[4096];
    for (;;) {
        pollfd pfd{master, POLLIN, 0};
        if (poll(&pfd, 1, 50) > 0) {
            const ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0) break;   // the terminal closes when the program ends
            res.screen.append(buf, static_cast<std::size_t>(n));
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            break;
        }
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    close(master);
    res.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    collectfiles(dir, res);
    fs::remove_all(dir);
    return res;
}

std::string examplefile(const std::string& name) { return slurp(fs::path(PM_EXAMPLES) / name); }

std::string prefsfile(const std::string& dssuffix, const std::string& scriptsuffix, int calcmode)
{
    return "dsfile " + dssuffix + "\nscriptfile " + scriptsuffix + "\ncalcmode " + std::to_string(calcmode) + "\n";
}

int countof(const std::string& haystack, const std::string& needle)
{
    int n = 0;
    for (std::size_t pos = haystack.find(needle); pos != std::string::npos; pos = haystack.find(needle, pos + 1)) ++n;
    return n;
}

}  // namespace pmtest

namespace pmtest {

std::string readfile(const std::string& name) { return slurp(name); }

void writefile(const std::string& name, const std::string& text) { spit(name, text); }

std::string filecontents(std::FILE* f)
{
    std::fflush(f);
    std::rewind(f);
    std::string s;
    int c;
    while ((c = std::fgetc(f)) != EOF) s.push_back(static_cast<char>(c));
    return s;
}

}  // namespace pmtest
