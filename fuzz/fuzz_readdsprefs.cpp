// The dataset fit's settings file "ds-prefs.txt", read as the fit's storage
// is set up, before the run's files are named.
#include "dsfit/dsfit.h"
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
    pmfuzz::writeinput("ds-prefs.txt", data, size);
    pmfuzz::openrunfiles("fz");
    runio::prefs = runio::Prefs{};
    runio::run.calcmode = 5;
    pmfuzz::runreader(dsfit::readdsprefs);
    return 0;
}
