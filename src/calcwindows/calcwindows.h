// Calculation variables, windows and reactions: the diagram type and fluid,
// the windows and value lists of P, T, x(CO2), activities and chemical
// potentials, and the reaction sets among the working end-members.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace calcwindows {

constexpr int maxrxn = 150;       // reactions in one set
constexpr int maxlist = 201;      // values in a P, T or x(CO2) list

// The reaction set: rows of integer coefficients over the working end-members.
struct Reactions {
    int nrxn = 0;
    std::vector<std::array<std::int16_t, thermodata::maxem + 1>> r;   // r[reaction][end-member], rows 1..150
    std::array<int, maxrxn + 1> rxndiv{};
    std::array<double, maxrxn + 1> lnk{};
};
extern Reactions rxns;

// Windows and the current point (P kbar, T K).
struct Windows {
    double plow = 0.0, phigh = 0.0, tlow = 0.0, thigh = 0.0;
    double xlow = 0.0, xhigh = 1.0;
    double alow = 0.0, ahigh = 1.0;
    double mulow = 0.0, muhigh = 0.0;
    double pmin = 0.0009, pmax = 1500.0, tmin = 283.0, tmax = 3000.0;
    double pcalc = 0.0, tcalc = 0.0;
    double xco2 = 0.0, xh2o = 0.0;
    int calcvariable = 0;    // 0 P solved, 1 T solved
    int othervariable = 0;   // 0 P, 1 T, 2 x(CO2), 3 activity, 4 mu
    int fluidtype = 0;
    int pdecimals = 3, tdecimals = 2, xdecimals = 2, adecimals = 2, mudecimals = 1;   // printing precisions
    bool allreactions = true;
    int variance = 1;
};
extern Windows win;

// ---------------------------------------------------------------- reaction lists
void writereactionlists(bool& anyreactions);
void writecmatrix();

}  // namespace calcwindows

namespace calcwindows {

// " (max = n) ": the capacity a "too many" message ends with.
std::string maxlabel(int n);

}  // namespace calcwindows
