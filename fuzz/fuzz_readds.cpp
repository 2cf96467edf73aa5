// The dataset file, in either layout (the file's third line decides): stage
// 1; stage 2 in batches, as the lists of calculation mode 4 read it; then
// stages 2 and 3 as a calculation reads them, for every end-member of the
// file and the first one once more (one end-member at two places).
#include <algorithm>

#include "fuzzrun.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    pmfuzz::startfuzzing(argc, argv);
    return 0;
}

namespace {

void readstages()
{
    using thermodata::ds;
    using thermodata::ems;
    runio::run.calcmode = 4;
    thermodata::readds(1);
    // as the reset of the script settings after stage 1 makes it
    runio::scriptset.compasoxides = ds.dsold;
    for (int first = 1; first <= ds.ndsem; first += thermodata::listbatch) {
        ems.nem = std::min(ds.ndsem, first + thermodata::listbatch - 1) - first + 1;
        for (int k = 1; k <= ems.nem; ++k) ems.emname[k] = ds.dsemname[first + k - 1];
        thermodata::readds(2);
    }
    runio::run.calcmode = 0;
    ems.nem = ds.ndsem;
    for (int k = 1; k <= ds.ndsem; ++k) ems.emname[k] = ds.dsemname[k];
    if (ds.ndsem >= 1) ems.emname[++ems.nem] = ds.dsemname[1];
    thermodata::readds(2);
    thermodata::readds(3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pmfuzz::InputScope scope;
    pmfuzz::writeinput("pm-ds6fz.txt", data, size);
    pmfuzz::openrunfiles("fz");
    runio::prefs = runio::Prefs{};
    runio::prefs.prefsdssuffix = "6fz";
    pmfuzz::runreader(readstages);
    runio::closeread(thermodata::ds.dsfile);
    return 0;
}
