// The phase set-up of a pass: every phase of the a-x file read into the
// solution-phase and pure-phase records, then completed and checked.
#include <cstdio>

#include "axmodels/axread.h"
#include "runio/runio.h"

namespace axmodels {

namespace {

void resetrecords()
{
    if (ph.prec1.size() < static_cast<std::size_t>(maxnp + 1)) ph.prec1.resize(maxnp + 1);
    if (ph.prec0.size() < static_cast<std::size_t>(maxphases + 1)) ph.prec0.resize(maxphases + 1);
    for (int k = 1; k <= maxnp; ++k) {
        SolPhase& s = ph.prec1[static_cast<std::size_t>(k)];
        s.name = "unset";
        s.n = 0;
    }
    if (runio::run.calcmode != 5) {
        for (int k = 1; k <= maxphases; ++k) {
            PurePhase& p = ph.prec0[static_cast<std::size_t>(k)];
            p.name = "unset";
            p.emname.clear();
            p.act = 1.0;
            p.sdact = 0.0;
            p.make.count = 0;
        }
    }
    ph.nph = ph.nss = ph.npure = 0;
}

void closeaxfile()
{
    runio::TextFile& f = runio::files.infile;
    if (f.f != nullptr) {
        const int rc = std::fclose(f.f);
        f.f = nullptr;
        if (rc != 0) runio::bomb("setupphases", "problems closing datafile", 0);
    }
}

}  // namespace

void setupphases()
{
    resetrecords();
    openaxfile();
    readaxentries();
    if (ph.nss + ph.npure != ph.nph) runio::bomb("read", "numbers of phases do not add up", 1);
    runio::putstr(0, "", 1, runio::msl);
    closeaxfile();
}

}  // namespace axmodels
