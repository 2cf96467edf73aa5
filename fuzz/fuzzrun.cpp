#include "fuzzrun.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "app/app.h"
#include "dsfit/dsfit.h"
#include "runio/runio.h"

namespace fs = std::filesystem;

namespace pmfuzz {

namespace {

struct Scratch {
    fs::path parent;   // holds nothing but the run directory
    fs::path rundir;
    fs::path origin;   // where the fuzzer was started
};
Scratch scratch;

[[noreturn]] void endrun(int status) { throw RunEnded{status}; }

void removescratch()
{
    std::error_code ec;
    fs::current_path(scratch.origin, ec);
    fs::remove_all(scratch.parent, ec);
}

// A crash found while the run works in the scratch directory must still be
// written where the fuzzer was started.
void artifactsathome(int* argc, char*** argv)
{
    for (int i = 1; i < *argc; ++i)
        if (std::string((*argv)[i]).rfind("-artifact_prefix=", 0) == 0) return;
    static std::vector<char*> args;
    static std::string prefix;
    prefix = "-artifact_prefix=" + scratch.origin.string() + "/";
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, prefix.data());
    args.push_back(nullptr);
    *argc += 1;
    *argv = args.data();
}

[[noreturn]] void stray(const std::string& what)
{
    std::fprintf(stderr, "pmfuzz: the run left %s\n", what.c_str());
    std::abort();
}

}  // namespace

void startfuzzing(int* argc, char*** argv)
{
    // A prompt reads the end of input at once and ends the run.
    if (std::freopen("/dev/null", "r", stdin) == nullptr) std::abort();
    // A directory in memory, where there is one: every input makes and
    // erases the run's files.
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string templ = (base / "pmfuzz-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) std::abort();
    scratch.parent = templ;
    scratch.rundir = scratch.parent / "run";
    scratch.origin = fs::current_path();
    fs::create_directory(scratch.rundir);
    std::atexit(removescratch);
    artifactsathome(argc, argv);

    runio::processendhook = endrun;
    runio::makestarttables();
    runio::run.progname = runio::banner;
    app::datestamp();
    app::setupstore();
}

void writeinput(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

void writetext(const std::string& name, const std::string& text)
{
    writeinput(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

const std::string& examplefile(const std::string& name)
{
    static std::map<std::string, std::string> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    std::ifstream in(std::string(PM_EXAMPLES) + "/" + name, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "pmfuzz: no example file %s\n", name.c_str());
        std::abort();
    }
    std::ostringstream text;
    text << in.rdbuf();
    return cache[name] = text.str();
}

void allocatefit()
{
    InputScope scope;
    writetext("ds-prefs.txt", "");
    runio::run.calcmode = 5;
    dsfit::kalfitalloc();
}

void openrunfiles(const std::string& suffix)
{
    using namespace runio;
    chans.chanset = mscreen;
    chans.chanused.fill(false);
    files.filename = openoutfile("pm-log", ".txt", chlog);
    chans.chanset |= mlog;
    static constexpr struct {
        Channel ch;
        const char* ending;
    } runfiles[] = {{chout, "-o.txt"}, {chpx, "-px.txt"}, {chic, "-ic.txt"},
                    {chit, "-it.txt"}, {chcsv, ".csv"},   {chcsv2, "2.csv"}};
    for (const auto& rf : runfiles) {
        openoutfile("pm-", suffix + rf.ending, rf.ch);
        chans.chanset |= 1u << rf.ch;
    }
}

void closerunfiles()
{
    try {
        runio::closefiles();
    } catch (const RunEnded&) {
    }
}

InputScope::InputScope() { fs::current_path(scratch.rundir); }

InputScope::~InputScope()
{
    closerunfiles();
    for (const auto& e : fs::directory_iterator(scratch.parent))
        if (e.path() != scratch.rundir) stray("\"" + e.path().string() + "\" beside its directory");
    for (const auto& e : fs::directory_iterator(scratch.rundir)) {
        if (!e.is_regular_file()) stray("\"" + e.path().string() + "\", which is not a plain file");
        fs::remove(e.path());
    }
    fs::current_path(scratch.origin);
}

}  // namespace pmfuzz
