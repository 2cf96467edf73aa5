// The script settings record, the tables beside it and their defaults.
#include "runio/scriptset.h"

#include "calcwindows/calcwindows.h"
#include "thermodata/thermodata.h"

namespace runio {

ScriptFlags scriptflags;
ScriptSet scriptset;
ScriptInfo scriptinfo;
ScriptTables scripttabs;
BatchTables batches;
McTables mcs;
int mcoutkind = 0;

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

}  // namespace runio
