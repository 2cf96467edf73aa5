// The preferences file: read as at the start of a run, before the log exists.
#include "fuzzrun.h"
#include "runio/runio.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    pmfuzz::startfuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pmfuzz::InputScope scope;
    pmfuzz::writeinput("pm-prefs.txt", data, size);
    runio::chans.chanset = runio::mscreen;
    pmfuzz::runreader([] { runio::readprefs(); });
    return 0;
}
