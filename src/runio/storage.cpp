// The run's shared arrays, allocated once before the first pass and released
// at the end, and the starting values of the calculation state.
#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "numerics/numerics.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace runio {

std::array<Oxide, noxides + 1> oxtable;
Scalings scal;

namespace {

// Sizes as the heap report gives them: element count times element size.
constexpr long long cbytes = 19LL * thermodata::maxem * 2;
constexpr long long covbytes = 1LL * thermodata::maxem * thermodata::maxem * 8;
constexpr long long rbytes = 1LL * calcwindows::maxrxn * thermodata::maxem * 2;
constexpr long long prec0bytes = 1LL * axmodels::maxphases * sizeof(axmodels::PurePhase);
constexpr long long prec1bytes = 1LL * axmodels::maxnp * sizeof(axmodels::SolPhase);
constexpr long long tdbytes = 1LL * thermodata::maxem * thermodata::nslots * 8;
constexpr long long compdxbytes = 1LL * axmodels::maxphases * 19 * 15 * 8;

void filloxtable()
{
    oxtable = {{
        {"", "", 0.0, 0, 0, 0},
        {"Si", "SiO2", 60.08, 1, 2, 3},
        {"Ti", "TiO2", 79.88, 1, 2, 10},
        {"Al", "Al2O3", 101.96, 2, 3, 4},
        {"Fe", "FeO", 71.85, 1, 1, 7},
        {"Mg", "MgO", 40.3, 1, 1, 6},
        {"Mn", "MnO", 70.94, 1, 1, 11},
        {"Ca", "CaO", 56.08, 1, 1, 5},
        {"Na", "Na2O", 61.98, 2, 1, 9},
        {"K", "K2O", 94.2, 2, 1, 8},
        {"O", "O", 16.0, 0, 1, 12},
        {"H", "H2O", 18.015, 2, 1, 1},
        {"C", "CO2", 44.01, 1, 2, 2},
        {"Cl", "Cl2O", 86.9, 2, 1, 13},
        {"e", "O2-", 16.0, 2, 1, 15},
        {"Ni", "NiO", 74.69, 1, 1, 16},
        {"Zr", "ZrO2", 123.22, 1, 2, 17},
        {"S", "SO2", 64.06, 1, 2, 14},
        {"Cu", "CuO", 79.55, 1, 1, 18},
        {"Cr", "Cr2O3", 151.99, 2, 3, 19},
    }};
}

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
    numerics::solver.compdx.assign(static_cast<std::size_t>(axmodels::maxphases + 1) * 20 * 16, 0.0);
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
    numerics::solver.nvar = 0;
    numerics::solver.nmodes = 0;

    thermodata::comps.oxfree.fill(true);
    thermodata::ems.emcode.fill(1);

    calcwindows::win.allreactions = true;
    calcwindows::win.pdecimals = 3;
    calcwindows::win.tdecimals = 2;
    calcwindows::win.xdecimals = 2;
    calcwindows::win.adecimals = 2;
    calcwindows::win.mudecimals = 1;
    thermodata::ems.ih2o = thermodata::ems.ico2 = thermodata::ems.icrd = thermodata::ems.ifcrd = 0;

    files.scriptsuffix.clear();
    calcwindows::win.variance = 1;

    numerics::seedrandom(false);
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
    numerics::solver.compdx.clear();
    heapfree("compdx", compdxbytes);
}

}  // namespace runio
