// Screen summaries of the batch and Monte Carlo tables, for the phase set-up
// once the batch copies and item bindings are made.
#include "runio/scriptset.h"

namespace runio {

void printbatchsummary()
{
    const BatchTables& b = batches;
    const ScriptTables& t = scripttabs;
    putstr(1, "summary of batches", 1, mscreen);
    for (int k = 1; k <= b.nbatch && static_cast<std::size_t>(k) < b.batchrec.size(); ++k) {
        const BatchRec& r = b.batchrec[k];
        std::string line;
        addfield(inttext(k), 3, line);
        addfield(" :", 0, line);
        for (int i = 1; i <= t.nwith; ++i)
            if (r.present[i]) addfield(t.withnames[i], 7, line);
        if (r.bulkflag) addfield("   pseudo", 0, line);
        if (r.isoflag) addfield("   isopleth", 0, line);
        putstr(0, line, 1, mscreen);
    }
}

void printmcsummary()
{
    const McTables& m = mcs;
    if (m.nmc < 1) return;
    putstr(1, "summary of mc info", 1, mscreen);
    putstr(0, "     value     range", 1, mscreen);
    for (int k = 1; k <= m.nmc; ++k) {
        const McItem& it = m.mcitems[k];
        std::string line;
        addreal(it.value, 3, true, 10, line);
        if (it.link < 0) {
            addfield(" through mcfunc ", 0, line);
            addfield(m.mcfuncs[-it.link].name, 0, line);
        } else if (it.link > 0) {
            const McRange& r = m.mcranges[it.link];
            addreal(r.halfwidth, 3, true, 10, line);
            addfield(" in mcrange ", 0, line);
            addfield(r.name, 0, line);
        } else {
            addreal(it.halfwidth, 3, true, 10, line);
        }
        addfield(" by ", 0, line);
        addfield(it.ref.varname, 0, line);
        addfield(" in ", 0, line);
        addfield(it.ref.phases[1], 0, line);
        for (int i = 2; i <= it.ref.nphases; ++i) {
            addfield(i == 2 ? ";  also " : " ", 0, line);
            addfield(it.ref.phases[i], 0, line);
        }
        putstr(0, line, 1, mscreen);
    }
}

}  // namespace runio
