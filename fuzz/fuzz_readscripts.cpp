// The script file, read as a pass of a run reads it, in calculation mode 1,
// 2 or 3 as the input's length decides (mode 1 also with the preferences'
// calcmode 1, for its mandatory keywords): mode 1 as the first pass, on the
// file the start of the run opened, after a new-layout dataset; modes 2 and
// 3 as a later pass, which reopens the file itself, mode 3 after an
// old-layout dataset.
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
    const int mode = 1 + static_cast<int>(size % 3);
    pmfuzz::writeinput("pm-fz.txt", data, size);
    pmfuzz::openrunfiles("fz");
    prefs = Prefs{};
    prefs.prefsdssuffix = "6ex";
    prefs.prefsscriptsuffix = "fz";
    prefs.prefscalcmode = mode;
    files.scriptsuffix = "fz";
    run.runno = mode;
    run.calcmode = mode;
    thermodata::ds.dsnew = mode != 3;
    thermodata::ds.dsold = mode == 3;
    files.scriptopen = false;
    if (mode == 1) {
        if (!openread(files.infile, "pm-fz.txt")) std::abort();
        files.scriptname = files.filename = "pm-fz.txt";
        files.scriptopen = true;
    }
    pmfuzz::runreader([] { script::readscripts(); });
    return 0;
}
