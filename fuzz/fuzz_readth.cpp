// The dataset fit's end-member file, read as the fit reads it; then written
// back as the fit writes its new end-member file, and that file read again.
#include "dsfit/dsfit.h"
#include "fuzzrun.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    pmfuzz::startfuzzing(argc, argv);
    pmfuzz::allocatefit();
    return 0;
}

namespace {

void readfile(const std::string& name)
{
    if (!runio::openread(runio::files.infile, name)) return;
    runio::files.filename = name;
    dsfit::readth();
    runio::closeread(runio::files.infile);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pmfuzz::InputScope scope;
    pmfuzz::writeinput("ds-emfz.txt", data, size);
    pmfuzz::openrunfiles("fz");
    runio::prefs = runio::Prefs{};
    runio::run.calcmode = 5;
    dsfit::fitopts.emsuffix = "fz";
    pmfuzz::runreader([] {
        readfile("ds-emfz.txt");
        dsfit::writeemfile();
        readfile("ds-emfz-i.txt");
    });
    runio::closeread(runio::files.infile);
    return 0;
}
