// End-member calculations: tables of end-member data (mode 0), average P-T
// of rocks (mode 2), all reactions and their intersections (mode 3) and lists
// of end-members (mode 4).
#pragma once

namespace emcalcs {

void tablecalcs();          // one pass of mode 0
void setupavpt();           // set-up of a mode-2 pass
void rockcalcs();           // one pass of mode 2
void setupallreactions();   // set-up of a mode-3 pass
void phasediagramcalcs();   // one pass of mode 3
void listsystem();          // one pass of mode 4

}  // namespace emcalcs
