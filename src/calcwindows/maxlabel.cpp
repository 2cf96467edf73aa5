// The capacity text of the "too many" messages.
#include "calcwindows/calcwindows.h"

namespace calcwindows {

std::string maxlabel(int n) { return " (max = " + runio::inttext(n) + ") "; }

}  // namespace calcwindows
