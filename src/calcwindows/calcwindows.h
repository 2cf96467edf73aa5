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

// The windows record lives in the ground and the reaction set with the
// reaction thermodynamics, as the lower subsystems read them; this subsystem
// sets them up.
using runio::Windows;
using runio::win;
using thermodata::maxrxn;
using thermodata::Reactions;
using thermodata::rxns;

using runio::maxlist;

// ---------------------------------------------------------------- reaction lists
void writereactionlists(bool& anyreactions);
void writecmatrix();

}  // namespace calcwindows
