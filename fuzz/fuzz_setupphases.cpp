// The a-x file, set up as a pass of calculation modes 0 to 3 does it: the
// dataset's stage 1, the script file, then the a-x file from its reading
// through the checks of the models; with the new-layout example dataset
// or, for an input of odd length, the old-layout one.
#include "fuzzrun.h"
#include "axmodels/axmodels.h"
#include "runio/runio.h"
#include "script/script.h"
#include "thermodata/thermodata.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    pmfuzz::startfuzzing(argc, argv);
    return 0;
}

namespace {

// A script that reaches the parts of the set-up that follow the script's
// lists: starting guesses, same coding and the phases of the calculation.
const char* const scripttext =
    "axfile axfz\n"
    "with opx g ol q ky sill mt ab H2O\n"
    "diagramPT 4 12 500 800\n"
    "samecoding g g2\n"
    "xyzguess x(g) 0.7\n"
    "xyzguess z(g) 0.15\n"
    "autoexit\n"
    "*\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pmfuzz::InputScope scope;
    using namespace runio;
    const std::string dsfile = size % 2 == 0 ? "6ex" : "5ex";
    pmfuzz::writetext("pm-ds" + dsfile + ".txt", pmfuzz::examplefile("pm-ds" + dsfile + ".txt"));
    pmfuzz::writetext("pm-fz.txt", scripttext);
    pmfuzz::writeinput("pm-axfz.txt", data, size);
    pmfuzz::openrunfiles("fz");
    prefs = Prefs{};
    prefs.prefsdssuffix = dsfile;
    prefs.prefsscriptsuffix = "fz";
    files.scriptsuffix = "fz";
    run.calcmode = 0;
    prefs.prefscalcmode = 0;
    run.runno = 2;   // the script file is opened by its reader
    pmfuzz::runreader([] {
        thermodata::readds(1);
        script::readscripts();
        axmodels::setupphases();
    });
    closeread(thermodata::ds.dsfile);
    return 0;
}
