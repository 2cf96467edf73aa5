// The set-up readers of a phase-diagram calculation (mode 1): which phases
// take part and which are in excess, the fluid of the run, the variance and
// the free components, the held modes, x(CO2) values and compositional
// variables with their value lists, the bulk composition of a
// pseudosection, and the projection plane of a compatibility diagram.  They
// fill the records of numerics/calcsetup.h (the projection plane its own
// record below, which the result printing reads), the phase records and the
// windows once per pass, in the order the mode-1 driver calls them.
#pragma once

#include <string>

#include "numerics/calcsetup.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace phasediagram {

// ---------------------------------------------------------------- phases and phases in excess
void whichphases();      // the phases of the run, the fluid rules and the fluid type
void readinexcess();     // the phases in excess, and those of them with the mode held at zero
void listxyzguesses();   // which solution phases have starting guesses in the script

// ---------------------------------------------------------------- variance and free components
void varcalc();          // the effective variance once the isopleths are known
void setter();           // the free components (those in the mass balance)

// ---------------------------------------------------------------- isopleths and x(CO2) values
void readmodeisopleths();
void readxco2values();
void readisopleths();
// A value list from low to high by inc: one value when the window is
// narrower than 1e-8, the two ends when inc spans it, else the steps with
// high appended, never more than 201 values (101 evenly spaced otherwise).
int isovaluelist(double low, double high, double inc, runio::Arr<double, numerics::maxisovalues + 1>& v);

// ---------------------------------------------------------------- bulk composition
// Moles of the free oxides, entries 1..nfreeox in the order of the free components.
using Composition = runio::Arr<double, thermodata::maxcomp + 1>;
void readcomps();
// The bulk typed at the terminal (or built from chosen phases), summing to 100.
void enterbulk(Composition& bulk);
// Name of free component j as the bulk reports show it: FeO is "FeOt" when
// O is a free component (the iron then stands for all of it as FeO).
std::string bulkoxname(int j);
// The component (position in compname) of free component j.
int freecomponent(int j);
// Position of a component in compname, 0 when the system has none of that name.
int componentnamed(const std::string& name);

// ---------------------------------------------------------------- projection plane
constexpr int maxapex = 8;   // apices of a projection plane, the pure phases in excess included
// The apices of the compatibility diagram: their names and amounts of the
// free components (entries 1..nfreeox in the order of the free
// components); the pure phases in excess follow the plane's own apices as
// the last nprojexcess entries.  nprojcomp is 0 when there is no plane.
struct ProjPlane {
    int nprojcomp = 0;
    int nprojexcess = 0;
    bool fromscript = false;
    runio::Arr<std::string, maxapex + 1> projapexname{};
    runio::Arr<runio::Arr<double, thermodata::maxcomp + 1>, maxapex + 1> projapex{};
};
extern ProjPlane projplane;
void readprojplane();

}  // namespace phasediagram
