// The dataset fit's file of calorimetry and experiments, read with the
// example's end-member file and a-x file as the fit reads them. An input of
// odd length doubles the weight of the experiments whose own factor is 0 or
// less; one whose length is a multiple of 4 leaves the factors out.
#include "dsfit/dsfit.h"
#include "fuzzrun.h"
#include "runio/runio.h"
#include "script/script.h"
#include "thermodata/thermodata.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    pmfuzz::startfuzzing(argc, argv);
    pmfuzz::allocatefit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pmfuzz::InputScope scope;
    using namespace runio;
    pmfuzz::writetext("ds-emex.txt", pmfuzz::examplefile("ds-emex.txt"));
    pmfuzz::writetext("ds-axex.txt", pmfuzz::examplefile("ds-axex.txt"));
    pmfuzz::writeinput("ds-xpfz.txt", data, size);
    pmfuzz::openrunfiles("fz");
    prefs = Prefs{};
    run.calcmode = 5;
    run.runno = 1;
    dsfit::fitopts = dsfit::FitOptions{};
    dsfit::fitopts.emsuffix = "ex";
    dsfit::fitopts.xpsuffix = "fz";
    dsfit::fitopts.infolevel = 3;
    if (size % 2 == 1) dsfit::fitopts.tighten = 0;
    if (size % 4 == 0) dsfit::fitopts.userfac = 1;
    fitprefs.axsuffix = "ex";
    thermodata::ds.dsmode = 3;
    thermodata::ds.dsgen6 = true;
    thermodata::ds.dsnew = true;
    thermodata::ds.dsold = false;
    prefs.axnamecheck = false;
    script::initscripts();
    pmfuzz::runreader(dsfit::readrc);
    closeread(files.infile);
    return 0;
}
