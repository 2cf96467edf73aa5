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
    // The names and values of the set activities and chemical potentials
    // last from pass to pass; only their counts start again.
    const auto setaname = scripttabs.setaname, setmuname = scripttabs.setmuname;
    const auto setaval = scripttabs.setaval, setmuval = scripttabs.setmuval;
    scripttabs = ScriptTables{};
    scripttabs.setaname = setaname;
    scripttabs.setaval = setaval;
    scripttabs.setmuname = setmuname;
    scripttabs.setmuval = setmuval;
    // The lowest pressure of the diagram window follows negp of an earlier pass.
    scripttabs.plowdefault = scal.pminall;
    scripttabs.withlistflag.fill(true);
    batches = BatchTables{};
    mcs = McTables{};
    calcwindows::Windows& w = calcwindows::win;
    w.xco2 = 0.0;
    w.xh2o = 1.0;
    // The overall window at the start of a pass; the script's diagramPT narrows it.
    w.pmin = scal.pminall;
    w.pmax = 1500.0;
    w.tmin = 283.0;
    w.tmax = 3000.0;
    w.pinc = w.tinc = 0.0;
    w.pinctyped = w.tinctyped = false;
}

}  // namespace script
