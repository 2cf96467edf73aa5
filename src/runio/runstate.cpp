// The run's start-up tables and the fixed records every subsystem reads: the
// oxide table and the scalings of P and T as solver unknowns.
#include "runio/runio.h"

namespace runio {

RunState run;
Arr<Oxide, noxides + 1> oxtable;
Scalings scal;
Windows win;
FitSettings fitprefs;

void makestarttables()
{
    run.macheps = 1.0;
    for (int i = 0; i < 100; ++i) {
        run.macheps /= 2.0;
        if (1.0 + run.macheps == 1.0) break;
    }
    run.ordinals[1] = "1st";
    run.ordinals[2] = "2nd";
    run.ordinals[3] = "3rd";
    for (int n = 4; n <= nordinals; ++n) run.ordinals[n] = inttext(n) + "th";
    for (int k = 0; k <= maxbitel; ++k) run.bitmask[k] = 1u << k;
}

void filloxtable()
{
    oxtable = Arr<Oxide, noxides + 1>{{{
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
    }}};
}

}  // namespace runio
