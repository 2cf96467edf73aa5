// The script settings record and its defaults.
#include "runio/scriptset.h"

namespace runio {

ScriptFlags scriptflags;
ScriptSet scriptset;

void initscripts()
{
    scriptflags = ScriptFlags{};
    scriptset = ScriptSet{};
}

}  // namespace runio
