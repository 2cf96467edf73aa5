// The script settings record and its defaults.
#include "runio/scriptset.h"

namespace runio {

ScriptFlags scriptflags;
ScriptSet scriptset;
ScriptTables scripttabs;

void initscripts()
{
    scriptflags = ScriptFlags{};
    scriptset = ScriptSet{};
    scripttabs = ScriptTables{};
}

}  // namespace runio
