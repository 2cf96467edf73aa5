// The fit's settings file "ds-prefs.txt" and its storage, set up once per
// run before the run's files are named (the settings name them).
#include "dsfit/dsfit.h"
#include "runio/runio.h"

namespace dsfit {

FitOptions fitopts;
FitData fit;
LsqArrays lsq;

namespace {

// Sizes as the heap report gives them: element count times element size.
constexpr long long matrixentries = 1LL * maxnexp * maxntp;
constexpr long long vectorbytes = 1LL * maxnexp * sizeof(double);

void setsuffix(const runio::Words& words, int sw, std::string& suffix)
{
    // With "no" or "ask" the suffix keeps its value.
    if (sw != 0) return;
    if (words.n < 2)
        suffix.clear();
    else if (words[2] != "yes")
        suffix = words[2];
    else
        suffix = words.n >= 3 ? words[3] : std::string();
}

}  // namespace

void readdsprefs()
{
    using namespace runio;
    fitopts = FitOptions{};
    fitprefs.pmdssuffix.clear();
    fitprefs.axsuffix.clear();

    std::string suffix = "prefs";
    files.filename = promptdatafile("ds-", suffix, "prefs info", files.infile);
    Words words;
    while (!atend(files.infile)) {
        readwords(files.infile, words, true);
        if (words.n == 0) continue;
        if (words[1][0] == '*') break;
        const std::string keyword = str22(words[1]);
        int sw, used;
        yesnoask(words, sw, used);
        if (keyword == "pmdssuffix") {
            setsuffix(words, sw, fitprefs.pmdssuffix);
        } else if (keyword == "xpsuffix") {
            setsuffix(words, sw, fitopts.xpsuffix);
        } else if (keyword == "emsuffix") {
            setsuffix(words, sw, fitopts.emsuffix);
        } else if (keyword == "axsuffix") {
            setsuffix(words, sw, fitprefs.axsuffix);
        } else if (keyword == "infolevel") {
            int level;
            std::string message;
            if (words.n >= 2 && wordkind(words[2]) == 1 && str2int(words[2], level, message))
                fitopts.infolevel = level;
            if (fitopts.infolevel > 3) fitopts.infolevel = 3;
        } else if (keyword == "printomit") {
            fitopts.printomit = sw;
        } else if (keyword == "useqr") {
            fitopts.useqr = sw;
        } else if (keyword == "mark456") {
            fitopts.mark456 = sw;
        } else if (keyword == "userfac") {
            fitopts.userfac = sw;
        } else if (keyword == "tighten") {
            fitopts.tighten = sw;
        }
    }
    closeread(files.infile);
}

void kalfitalloc()
{
    using runio::heapalloc;
    fit.tda.assign(maxntp + 1, FitEm{});
    heapalloc("tda", 1LL * maxntp * sizeof(FitEm));
    fit.oxcal.assign(maxoxcal + 1, OxCal{});
    heapalloc("oxcal", 1LL * maxoxcal * sizeof(OxCal));
    // The brackets of an experiment are sized when it is read.
    fit.xp.assign(maxnexp + 1, Experiment{});
    heapalloc("xp", 1LL * maxnexp * sizeof(Experiment));
    lsq.y.assign(maxnexp + 1, 0.0);
    heapalloc("y", vectorbytes);
    lsq.yy.assign(maxnexp + 1, 0.0);
    heapalloc("yy", vectorbytes);
    lsq.theta.assign(maxnexp + 1, 0.0);
    heapalloc("theta", vectorbytes);
    lsq.xx.assign(static_cast<std::size_t>(maxnexp + 1) * (maxntp + 1), 0.0);
    heapalloc("xx", matrixentries * static_cast<long long>(sizeof(double)));
    lsq.hat.assign(maxnexp + 1, 0.0);
    heapalloc("hat", vectorbytes);
    lsq.x.assign(static_cast<std::size_t>(maxnexp + 1) * (maxntp + 1), 0);
    heapalloc("x", matrixentries * static_cast<long long>(sizeof(std::int16_t)));
    lsq.b.assign(static_cast<std::size_t>(maxnexp + 1) * (maxntp + 1), 0);
    heapalloc("b", matrixentries);
    lsq.ysd.assign(maxnexp + 1, 0.0);
    readdsprefs();
}

void kalfitend() {}

}  // namespace dsfit
