// The script file, read as three passes of a run do: the first on the file
// the start of the run opened, the later ones reopening it themselves. The
// passes read it as calculation modes 1, 2 and 3 (mode 1 also with the
// preferences' calcmode 1, for its mandatory keywords), after a new-layout
// dataset for the first two and an old-layout one for the third.
#include "fuzzrun.h"
#include "runio/runio.h"
#include "script/script.h"
#include "thermodata/thermodata.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    pmfuzz::startfuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pmfuzz::InputScope scope;
    using namespace runio;
    prefs = Prefs{};
    prefs.prefsdssuffix = "6ex";
    prefs.prefsscriptsuffix = "fz";
    files.scriptsuffix = "fz";
    for (int pass = 1; pass <= 3; ++pass) {
        pmfuzz::writeinput("pm-fz.txt", data, size);
        pmfuzz::openrunfiles("fz");
        run.runno = pass;
        run.calcmode = pass;
        prefs.prefscalcmode = pass;
        thermodata::ds.dsnew = pass != 3;
        thermodata::ds.dsold = pass == 3;
        files.scriptopen = false;
        if (pass == 1) {
            if (!openread(files.infile, "pm-fz.txt")) std::abort();
            files.scriptname = files.filename = "pm-fz.txt";
            files.scriptopen = true;
        }
        pmfuzz::runreader([] { script::readscripts(); });
    }
    return 0;
}
