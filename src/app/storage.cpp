// The run's shared arrays, allocated once before the first pass and released
// at the end, and the starting values of the calculation state.
#include "app/app.h"
#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "diagramresults/diagramresults.h"
#include "numerics/numerics.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace app {

using namespace runio;

namespace {

// Sizes as the heap report gives them: element count times element size.
constexpr long long cbytes = 19LL * thermodata::maxem * 2;
constexpr long long covbytes = 1LL * thermodata::maxem * thermodata::maxem * 8;
constexpr long long rbytes = 1LL * calcwindows::maxrxn * thermodata::maxem * 2;
constexpr long long prec0bytes = 1LL * axmodels::maxphases * sizeof(axmodels::PurePhase);
constexpr long long prec1bytes = 1LL * axmodels::maxnp * sizeof(axmodels::SolPhase);
constexpr long long tdbytes = 1LL * thermodata::maxem * thermodata::nslots * 8;
constexpr long long compdxbytes = 1LL * axmodels::maxphases * 19 * 15 * 8;


}  // namespace

void setupstore()
{
    using thermodata::maxem;
    thermodata::comps.c.assign(thermodata::maxcomp + 1, {});
    heapalloc("c", cbytes);
    thermodata::ems.cov.assign(static_cast<std::size_t>(maxem + 1) * (maxem + 1), 0.0);
    heapalloc("cov", covbytes);
    calcwindows::rxns.r.assign(calcwindows::maxrxn + 1, {});
    heapalloc("r", rbytes);
    axmodels::ph.prec0.assign(axmodels::maxphases + 1, axmodels::PurePhase{});
    heapalloc("prec0", prec0bytes);
    axmodels::ph.prec1.assign(axmodels::maxnp + 1, axmodels::SolPhase{});
    heapalloc("prec1", prec1bytes);
    thermodata::ems.td.assign(maxem + 1, thermodata::TdRow{});
    heapalloc("td", tdbytes);
    numerics::eqs.compdx.assign(static_cast<std::size_t>(axmodels::maxphases + 1) * 20 * 16, 0.0);
    heapalloc("compdx", compdxbytes);

    axmodels::ph.npure = axmodels::ph.nss = axmodels::ph.nph = 0;
    calcwindows::win.xco2 = calcwindows::win.xh2o = 0.0;

    scal.pminall = 0.0009;
    scal.pscale = 1.0 / (1500.0 - scal.pminall);
    scal.poffset = -scal.pminall * scal.pscale;
    scal.tscale = 1.0 / 2717.0;
    scal.toffset = -283.0 * scal.tscale;

    filloxtable();

    calcwindows::rxns.nrxn = 0;
    numerics::unk.nvar = 0;
    numerics::unk.nmodes = 0;

    thermodata::comps.oxfree.fill(true);
    thermodata::ems.emcode.fill(1);

    calcwindows::win.allreactions = true;
    calcwindows::win.pdecimals = 3;
    calcwindows::win.tdecimals = 2;
    calcwindows::win.xdecimals = 2;
    calcwindows::win.adecimals = 2;
    calcwindows::win.mudecimals = 1;
    thermodata::ems.ih2o = thermodata::ems.ico2 = thermodata::ems.icrd = thermodata::ems.ifcrd = 0;

    // No set activity or chemical potential yet: 10 stands for an activity
    // still to be set, 0 for a chemical potential.
    runio::ScriptTables& t = runio::scripttabs;
    t.nseta = t.nsetmu = 0;
    for (int k = 1; k <= runio::maxseta; ++k) {
        t.setaname[k].clear();
        t.setmuname[k].clear();
        t.setaval[k] = 10.0;
        t.setmuval[k] = 0.0;
        calcwindows::win.nalist[k] = calcwindows::win.nmulist[k] = 0;
    }

    files.scriptsuffix.clear();
    calcwindows::win.variance = 1;

    runio::seedrandom(false);
    diagramresults::install();
}

void disposestore()
{
    thermodata::ems.cov.clear();
    thermodata::ems.cov.shrink_to_fit();
    heapfree("cov", covbytes);
    thermodata::comps.c.clear();
    heapfree("c", cbytes);
    calcwindows::rxns.r.clear();
    heapfree("r", rbytes);
    axmodels::ph.prec0.clear();
    heapfree("prec0", prec0bytes);
    axmodels::ph.prec1.clear();
    heapfree("prec1", prec1bytes);
    thermodata::ems.td.clear();
    heapfree("td", tdbytes);
    numerics::eqs.compdx.clear();
    heapfree("compdx", compdxbytes);
}

}  // namespace app
