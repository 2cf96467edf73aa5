// The script settings record and the tables beside it.
#include "runio/scriptset.h"

namespace runio {

ScriptFlags scriptflags;
ScriptSet scriptset;
ScriptInfo scriptinfo;
ScriptTables scripttabs;
BatchTables batches;
McTables mcs;
int mcoutkind = 0;

}  // namespace runio
