// The defaults of the script settings, set afresh before every pass.
#include "calcwindows/calcwindows.h"
#include "script/scriptblocks.h"
#include "thermodata/thermodata.h"

namespace script {

void initscripts()
{
    scriptflags = ScriptFlags{};
    scriptset = ScriptSet{};
    // An old-layout dataset counts each component as one unit, a new one by its atoms.
    scriptset.compasoxides = thermodata::ds.dsold;
    scriptinfo = ScriptInfo{};
    scripttabs = ScriptTables{};
    // The lowest pressure of the diagram window follows negp of an earlier pass.
    scripttabs.plowdefault = scal.pminall;
    scripttabs.withlistflag.fill(true);
    batches = BatchTables{};
    mcs = McTables{};
    calcwindows::win.xco2 = 0.0;
    calcwindows::win.xh2o = 1.0;
}

}  // namespace script
