// The unknowns of one equilibrium calculation and the cross-references that
// tie them to phases and end-members.  `makecrossrefs` lays them out for
// each assemblage (the order-disorder solve lays out its own); the solver,
// the residual function and the steps after a solve read them, and they live
// until the next lay-out.  Also here: what the last evaluation of the
// equilibrium equations leaves behind, and the uncertainties of the solved
// unknowns.
#pragma once

#include <cstdint>
#include <string>

#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace numerics {

// ---------------------------------------------------------------- limits
constexpr int maxnlex = 74;          // solver unknowns: P, T, phase variables, modes
constexpr int maxvarlim = 50;        // variable-limit rows of one calculation
constexpr int maxsfcheck = 50;       // site fractions kept positive by the step limit
constexpr int maxassemblage = 15;    // phases of one assemblage (entries of the result record)
constexpr int maxphvar = 15;         // variables of one solution phase, with room for its constant
constexpr int maxfreecomp = thermodata::maxcomp;   // free components of a mass balance

// A rational coefficient p/q of a variable-limit row.
struct Rational {
    int p = 0, q = 1;
};

// The unknown list, 1-based: 1 P (kbar), 2 T (K), 3..nvar the variables of
// the assemblage's solution phases phase by phase, then nmodes modes (first
// the nsolmodes of solution phases).  A free unknown is held in nlex scaled,
// u = x xscale + xoffset, so that its admissible range maps onto 0..1; a
// fixed one in its own units.
struct Unknowns {
    int nvar = 0;        // position of the last phase variable (2 without variables)
    int nmodes = 0;      // mode unknowns after nvar
    int nsolmodes = 0;   // of which belong to solution phases (they come first)
    int nfixedvar = 0;   // fixed phase variables
    runio::Arr<double, maxnlex + 1> nlex{};       // the vector the solver iterates on
    runio::Arr<double, maxnlex + 1> xnat{};       // each unknown in its own units
    runio::Arr<double, maxnlex + 1> xscale{}, xoffset{}, xtypsize{};
    runio::Arr<std::string, maxnlex + 1> xname{};
    runio::Arr<bool, maxnlex + 1> xfree{};        // solved for
    runio::Arr<int, maxnlex + 1> xlokind{}, xhikind{};   // bound kinds: 0 P and T, 2 modes, 4 strict
    runio::Arr<int, maxnlex + 1> xloop{};         // of a fixed unknown, its isopleth value list
    // Per mode number 1..nmodes: the mode stored in the phase record; the
    // solution phase (or pure-phase index) and the position of its first
    // variable (0 for a pure phase).
    runio::Arr<double, maxnlex + 1> modevalue{};
    runio::Arr<int, maxnlex + 1> modephase{}, modeem{};
    int ixco2var = 0;          // the variable named "x(CO2)" of an internally buffered fluid
    bool xco2fixed = false;    // and that variable is held
    // Variable-limit rows: sum of (p/q)_j x_j over the unknowns 1..nvar plus
    // the constant in column nvar + 1 is kept non-negative.  Columns run to
    // maxnlex + 1 so that the constant fits whatever nvar is.
    int nvarlim = 0;
    runio::Arr<runio::Arr<Rational, maxnlex + 2>, maxvarlim + 1> xvarlim{};
    // Site fractions kept positive: the solution phase, the site fraction's
    // number within it and the position of the phase's first variable.
    int nsfcheck = 0;
    runio::Arr<int, maxsfcheck + 1> sfcheckphase{}, sfchecksite{}, sfcheckx{};
    // Per calculation end-member (the rebuilt emname): at the first
    // end-member of each solution phase of the assemblage, the phase number
    // and the position of its first variable; 0 elsewhere.
    runio::Arr<bool, thermodata::maxem + 1> phasestart{};
    runio::Arr<int, thermodata::maxem + 1> emphase{}, emfirstx{};
};
extern Unknowns unk;

// What the last evaluation of the equilibrium equations leaves: the
// jacobian in natural units (derivatives of the undivided reaction
// quantities and of the mass-balance rows by the free unknowns in their own
// units) with its size, and the derivatives of the compositions of the
// solution-phase modes by their variables.
using SquareTable = runio::Arr<runio::Arr<double, maxnlex + 1>, maxnlex + 1>;
struct Equations {
    SquareTable jacnat{};
    int njacrows = 0, njaccols = 0;
    // d(amount of free component j per oxide unit of mode phase m) /
    // d(variable v of its phase), through compdxat(m, j, v); the run's
    // storage sizes it (m up to 400, j up to 19, v up to 15).
    runio::Vec<double> compdx;
    double& compdxat(int m, int j, int v)
    {
        return compdx[(m * (maxfreecomp + 1) + j) * (maxphvar + 1) + v];
    }
};
extern Equations eqs;

// Uncertainties of the solved unknowns from the covariance of the
// end-member enthalpies: covariance over all unknown positions, standard
// deviations (0 fixed, -1 free without variance) and the P-T correlation.
struct Uncertainties {
    SquareTable xcov{};
    runio::Arr<double, maxnlex + 1> xsd{};
    double corrpt = 0.0;
};
extern Uncertainties unc;

}  // namespace numerics
