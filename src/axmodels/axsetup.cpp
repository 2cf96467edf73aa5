// The phase set-up of a pass: every phase of the a-x file read into the
// solution-phase and pure-phase records, then completed and checked.
#include <cstdio>

#include "axmodels/axread.h"
#include "runio/runio.h"
#include "runio/scriptset.h"

namespace axmodels {

namespace {

void resetrecords()
{
    if (ph.prec1.size() < static_cast<std::size_t>(maxnp + 1)) ph.prec1.resize(maxnp + 1);
    if (ph.prec0.size() < static_cast<std::size_t>(maxphases + 1)) ph.prec0.resize(maxphases + 1);
    for (int k = 1; k <= maxnp; ++k) {
        SolPhase& s = ph.prec1[k];
        s.name = "unset";
        s.n = 0;
    }
    if (runio::run.calcmode != 5) {
        for (int k = 1; k <= maxphases; ++k) {
            PurePhase& p = ph.prec0[k];
            p.name = "unset";
            p.emname.clear();
            p.act = 1.0;
            p.sdact = 0.0;
            p.make.count = 0;
        }
    }
    ph.nph = ph.nss = ph.npure = 0;
}

// Every solution phase must come with a verbatim block: entries without one
// are of an older coding the models here are not checked against.
void checkcoding()
{
    std::string names;
    int count = 0;
    for (int k = 1; k <= ph.nss; ++k) {
        const SolPhase& s = ph.prec1[k];
        if (!s.noverbatim) continue;
        ++count;
        runio::addfield(s.name, 6, names);
    }
    if (count == 0) return;
    runio::putstr(1,
                  count == 1 ? "the following phase may not conform to pm350 coding:"
                             : "the following phases may not conform to pm350 coding:",
                  0, runio::msol);
    runio::putstr(0, "  " + names, 1, runio::msol);
    runio::bomb("setupphases", "use axfile codings from the website (or consult a wizard)", 0);
}

void setcolours()
{
    const runio::ScriptTables& st = runio::scripttabs;
    auto colour = [&](const std::string& name, bool& coloured, runio::Arr<int, 3>& rgb) {
        coloured = false;
        for (int i = 1; i <= st.nrgb && i < static_cast<int>(st.rgb.size()); ++i) {
            const runio::RgbEntry& e = st.rgb[i];
            if (e.name != name) continue;
            coloured = true;
            rgb = {e.value[1], e.value[2], e.value[3]};
        }
    };
    for (int k = 1; k <= ph.nss; ++k) {
        SolPhase& s = ph.prec1[k];
        colour(s.name, s.coloured, s.colour);
    }
    for (int k = 1; k <= ph.npure; ++k) {
        PurePhase& p = ph.prec0[k];
        colour(p.name, p.coloured, p.colour);
    }
}

// A variable whose starting guess is exactly 0 is taken out of the model.
void contractzeroed()
{
    for (int k = 1; k <= ph.nss; ++k) {
        SolPhase& s = ph.prec1[k];
        for (int i = 1; i <= s.n; ++i) s.emkept[i] = true;
        s.nvarasread = s.nvar;
        s.nzeroed = 0;
        for (int i = 1; i <= s.nvar; ++i) {
            const XyzVar& v = s.var[i];
            s.varnameasread[i] = v.name;
            s.varnonzero[i] = v.guess != 0.0;
            if (v.guess == 0.0) s.zeroedname[++s.nzeroed] = v.name;
        }
        if (s.nzeroed == 0) continue;
        contractphase(k);
        if (runio::mcs.nmc > 0) renumbermcitems(k);
    }
    if (runio::scriptset.batchsw == 0)
        for (int k = 1; k <= ph.nss; ++k) ph.prec1[k].contracted = false;
}

// The mode unknown of a phase starts at the script's value when it gives one.
void setmodestarts()
{
    const runio::ScriptTables& st = runio::scripttabs;
    auto modestart = [&](const std::string& name) {
        for (int i = 1; i <= st.nmodeguess; ++i) {
            const runio::ModeGuess& g = st.modeguesses[i];
            if (g.name == name && g.value > 0.0) return g.value;
        }
        return -1.0;
    };
    for (int k = 1; k <= ph.nss; ++k) {
        SolPhase& s = ph.prec1[k];
        s.modeconst = {0.6666667, 0.1666667};
        s.modestart = modestart(s.name);
    }
    for (int k = 1; k <= ph.npure; ++k) {
        PurePhase& p = ph.prec0[k];
        p.modeconst = {0.6666667, 0.1666667};
        p.modestart = modestart(p.name);
    }
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
    checkcoding();
    bindmcitems();
    makesamecoding();
    setcolours();
    applyxyzguesses();
    contractzeroed();
    makebatchcopies();
    setbounds();
    setmodestarts();
    setupfluids();
    setvarlimits();
    checkmodels();
    closeaxfile();
}

}  // namespace axmodels
