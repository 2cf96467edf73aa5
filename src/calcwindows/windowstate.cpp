// The reaction set and the windows of the run.
#include "calcwindows/calcwindows.h"

namespace calcwindows {

Reactions rxns;
Windows win;

}  // namespace calcwindows
