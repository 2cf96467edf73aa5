// The dataset, end-member and component tables of the run.
#include "thermodata/thermodata.h"

namespace thermodata {

Dataset ds;
EndMembers ems;
Components comps;

}  // namespace thermodata
