// The effective variance of a phase-diagram calculation once its held modes
// and compositional variables are known, and the free components: those in
// the mass balance, the others being fixed by an external fluid buffer or by
// an imposed activity or chemical potential.
#include "calcwindows/calcwindows.h"
#include "phasediagram/setup.h"
#include "runio/scriptset.h"

namespace phasediagram {

int componentnamed(const std::string& name)
{
    const thermodata::Components& cs = thermodata::comps;
    int pos;
    runio::posinlist(name, cs.compname.data(), cs.ncomp, pos);
    return pos;
}

void varcalc()
{
    const numerics::Isopleths& is = numerics::iso;
    const int variance0 = numerics::phchoice.variance0;
    int& variance = calcwindows::win.variance;
    const bool buffered = runio::scriptset.exbuff == 0;
    // A held mode takes a degree of freedom; an externally buffered fluid
    // gives one back, its amount no longer being fixed by the bulk.
    if (is.nmodeiso > 0)
        variance = 2 - is.nmodeiso + (buffered ? 1 : 0);
    else if (runio::scriptflags.pseudosection)
        variance = variance0 < 2 ? variance0 : 2;
    if (is.nxyziso > 0) variance -= is.nxyziso;
    std::string& line2 = runio::chans.line2;
    line2 = "original variance = " + runio::inttext(variance0) + ", effective variance = " +
            runio::inttext(variance) + "  (" + runio::inttext(is.nmodeiso) + ", " + runio::inttext(is.nxyziso) +
            (buffered ? ", ex" : "") + ")";
    runio::putstr(is.niso >= 1 ? 1 : 0, line2, 1, runio::msl);
    if (variance < 0) runio::bomb("varcalc", "variance < 0", 0);
    if (variance > 2) runio::bomb("varcalc", "variance > 2", 0);
}

void setter()
{
    const runio::ScriptTables& t = runio::scripttabs;
    thermodata::Components& cs = thermodata::comps;
    const bool buffered = runio::scriptset.exbuff == 0;
    runio::Arr<bool, thermodata::maxcomp + 1> fixed{};
    if (t.nseta >= 1 || t.nsetmu >= 1 || buffered) numerics::phchoice.phaseprops = false;
    if (buffered)
        for (const char* fluid : {"H2O", "CO2"})
            if (const int c = componentnamed(fluid)) fixed[c] = true;
    for (int k = 1; k <= t.nseta; ++k) {
        const int c = componentnamed(t.setaname[k]);
        if (c == 0) runio::bomb("setter", "setting non-oxide lna not implemented", 0);
        fixed[c] = true;
    }
    for (int k = 1; k <= t.nsetmu; ++k)
        if (const int c = componentnamed(t.setmuname[k])) fixed[c] = true;
    cs.nfreeox = 0;
    for (int c = 1; c <= cs.ncomp; ++c) {
        cs.oxfree[c] = !fixed[c];
        if (cs.oxfree[c]) ++cs.nfreeox;
    }
}

}  // namespace phasediagram
