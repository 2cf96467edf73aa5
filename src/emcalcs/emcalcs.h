// End-member calculations: tables of end-member data (mode 0), average P-T
// of rocks (mode 2), all reactions and their intersections (mode 3) and lists
// of end-members (mode 4).
#pragma once

#include <array>
#include <string>

#include "runio/runio.h"
#include "runio/tables.h"

namespace emcalcs {

void tablecalcs();          // one pass of mode 0
void setupavpt();           // set-up of a mode-2 pass
void rockcalcs();           // one pass of mode 2
void setupallreactions();   // set-up of a mode-3 pass
void phasediagramcalcs();   // one pass of mode 3
void listsystem();          // one pass of mode 4

// The end-member system of modes 0, 2 and 3: the chosen solution phases
// taken apart into end-members, each with a fixed activity.
void extractem();

// ---------------------------------------------------------------- tables of mode 0
constexpr int maxgrid = 40;   // pressures, and temperatures, of a table grid
constexpr int perline = 12;   // values a list line of the drawing program holds before it is broken
inline const std::string degreesc = std::string(1, runio::degreesign) + "C";

// The P-T grid of the tables: pressures in kbar, temperatures in K.
struct TableGrid {
    int np = 0, nt = 0;
    runio::Arr<double, maxgrid + 1> p{}, t{};
};
extern TableGrid grid;

void thermotable();        // every section of the tables of a pass
void PTgrid();             // asks for the grid (or takes the script's single P and T)
void gibbstables();        // the Gibbs energies of the working end-members on the grid
// Linearised reaction thermodynamics, or the fugacity tables, as the user asks.
void furthertables();

// A real with exactly n decimals, however many digits stand before the point.
std::string fixedtext(double x, int n);

}  // namespace emcalcs
