#include "assemblage.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "app/app.h"
#include "axmodels/axmodels.h"
#include "harness/harness.h"
#include "harness/idealsystem.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "script/script.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace fs = std::filesystem;

namespace asmtest {

const std::string olopx = pmtest::idealolopx;

const std::string olsymmetric =
    "ol 2 1\nverbatim\nverbatim\n  x(ol) 0.3\n  p(fo) 1 1 1 1 -1 x\n  p(fa) 1 1 0 1 1 x\n  sf\n"
    "  W(fo,fa) 8 0.002 0.05\n"
    "  2\n  xMgM 1 1 1 1 -1 x\n  xFeM 1 1 0 1 1 x\n  fo 1 1 xMgM 2\n  fa 1 1 xFeM 2\n\nq\n";

const std::string olvanlaar =
    "ol 2 1\nverbatim\nverbatim\n  x(ol) 0.3\n  p(fo) 1 1 1 1 -1 x\n  p(fa) 1 1 0 1 1 x\n  asf\n"
    "  W(fo,fa) 8 0.002 0.05\n  a(fo) 1 0 0\n  a(fa) 1.6 -0.0002 0.004\n"
    "  2\n  xMgM 1 1 1 1 -1 x\n  xFeM 1 1 0 1 1 x\n  fo 1 1 xMgM 2\n  fa 1 1 xFeM 2\n\nq\n";

const std::string h2oco2 =
    "fluid 2 1\nverbatim\nverbatim\n  x(fluid) 0.2\n  p(H2O) 1 1 1 1 -1 x\n  p(CO2) 1 1 0 1 1 x\n  ideal\n"
    "  2\n  xH2O 1 1 1 1 -1 x\n  xCO2 1 1 0 1 1 x\n  H2O 1 1 xH2O 1\n  CO2 1 1 xCO2 1\n\nq\n";

const std::string aqueous =
    "aq 2 1\nverbatim\nverbatim\n  x(aq) 0.1\n  p(H2O) 1 1 1 1 -1 x\n  p(q) 1 1 0 1 1 x\n  asf\n"
    "  W(H2O,q) 6 0.001 0.02\n  a(H2O) 1 0 0\n  a(q) 3.2 0.0005 -0.01\n"
    "  2\n  xw 1 1 1 1 -1 x\n  xs 1 1 0 1 1 x\n  H2O 1 1 xw 1\n  q 1 1 xs 1\n\nky\n";

void Assemblage::SetUp()
{
    using namespace runio;
    std::string templ = (fs::temp_directory_path() / "pmnle-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    dir = templ;
    previous = fs::current_path().string();
    fs::current_path(dir);
    makestarttables();
    run.calcmode = 1;
    run.runno = 2;   // no a-x listings
    run.progname = "PETRAMONDO 3.50";
    if (axmodels::ph.prec1.empty()) app::setupstore();
    chans.chanset = std::getenv("NLEDEBUG") != nullptr ? mscreen : 0;
    prefs = Prefs{};
    prefs.bombautoexit = true;
    prefs.wrapscreen = false;
    prefs.prefsaxsuffix = "axex";
    prefs.prefsdssuffix = "6ex";
    files.scriptname = "pm-ex.txt";
    script::initscripts();
    scriptflags.debuglevel = 0;
    win = Windows{};
    numerics::phchoice = numerics::PhaseChoice{};
    numerics::red = numerics::Reduction{};
    numerics::progress = numerics::SolveProgress{};
    pmtest::writefile("pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt"));
}

void Assemblage::TearDown()
{
    runio::closeread(runio::files.infile);
    runio::closeread(thermodata::ds.dsfile);
    fs::current_path(previous);
    fs::remove_all(dir);
}

void Assemblage::setup(const std::string& axtext, const std::vector<std::string>& phases)
{
    pmtest::writefile("pm-axex.txt", axtext);
    thermodata::readds(1);
    axmodels::setupphases();
    thermodata::DropList drop{};
    if (!phases.empty()) {
        for (int k = 1; k <= axmodels::ph.nph; ++k) drop[k] = 1;
        for (const std::string& name : phases) {
            const int k = phaseno(name);
            ASSERT_NE(k, 0) << name;
            drop[k] = 0;
        }
    }
    thermodata::makename(drop);
    thermodata::readds(2);
    thermodata::makeemc();
    thermodata::readds(3);
    thermodata::setupemdata();
    thermodata::countcomp();
    thermodata::ems.act.fill(1.0);
    // every component free, in the order of the composition matrix
    thermodata::comps.nfreeox = thermodata::comps.ncomp;
    for (int c = 1; c <= thermodata::comps.ncomp; ++c) thermodata::comps.oxfree[c] = true;
}

void Assemblage::assemblage(const std::vector<std::string>& phases)
{
    numerics::PhaseFlags flags{};
    for (const std::string& name : phases) {
        const int k = phaseno(name);
        ASSERT_NE(k, 0) << name;
        flags[k] = 1;
    }
    numerics::makecrossrefs(flags);
}

int Assemblage::phaseno(const std::string& name)
{
    const auto& ph = axmodels::ph;
    for (int k = 1; k <= ph.nss; ++k)
        if (ph.prec1[k].name == name) return k;
    for (int k = 1; k <= ph.npure; ++k)
        if (ph.prec0[k].name == name) return ph.nss + k;
    return 0;
}

int Assemblage::em(const std::string& name)
{
    for (int j = 1; j <= thermodata::ems.nem; ++j)
        if (thermodata::ems.emname[j] == name) return j;
    return 0;
}

numerics::Vector Assemblage::scaled(const std::vector<double>& natural)
{
    const numerics::Unknowns& u = numerics::unk;
    numerics::Vector x{};
    for (std::size_t k = 0; k < natural.size(); ++k) {
        const int i = static_cast<int>(k) + 1;
        x[i] = u.xfree[i] ? natural[k] * u.xscale[i] + u.xoffset[i] : natural[k];
    }
    return x;
}

ScratchDir::ScratchDir()
{
    std::string templ = (fs::temp_directory_path() / "pmnle-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir = templ;
    previous = fs::current_path().string();
    fs::current_path(dir);
}

ScratchDir::~ScratchDir()
{
    fs::current_path(previous);
    fs::remove_all(dir);
}

double gem(const std::string& name, double p, double t)
{
    double g;
    thermodata::gemmake(Assemblage::em(name), g, p, t);
    return g;
}

std::string exampleax() { return pmtest::examplefile("pm-axex.txt"); }

std::string replaced(const std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "not in the text: " << from;
    if (at == std::string::npos) return text;
    return text.substr(0, at) + to + text.substr(at + from.size());
}

Outcome runchild(const std::function<void()>& body)
{
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(".childout", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        runio::chans.chanset |= runio::mscreen;
        runio::prefs.bombautoexit = true;
        body();
        std::fflush(stdout);
        _exit(0);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    Outcome o;
    o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    o.screen = pmtest::readfile(".childout");
    const std::string mark = "-- run bombed in ";
    const std::size_t at = o.screen.find(mark);
    if (at != std::string::npos) {
        const std::size_t from = at + mark.size();
        o.bombed = o.screen.substr(from, o.screen.find('\n', from) - from);
    }
    return o;
}

std::string output(const std::function<void()>& body)
{
    using namespace runio;
    openoutfile("captured", ".txt", chout);
    chans.chanset |= mout;
    body();
    std::fclose(chans.file[chout]);
    chans.file[chout] = nullptr;
    chans.chanset &= ~mout;
    return pmtest::readfile("captured.txt");
}

}  // namespace asmtest
