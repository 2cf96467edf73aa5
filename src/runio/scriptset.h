// The script settings record: what the script file said, reset to its
// defaults and read afresh on every pass.
#pragma once

#include <string>

namespace runio {

// Small settings kept beside the record.
struct ScriptFlags {
    bool dogminon = false;   // Gibbs energy minimisation
};
extern ScriptFlags scriptflags;

struct ScriptSet {
    bool strictscripting = false;   // problems with info items are fatal
    bool autoexit = false;          // no question after a pass, no wait at the end
    int batch = 1;                  // switch of "batch": 0 when in force
    int debuglevel = 1;             // 0..5: how much the calculations trace
};
extern ScriptSet scriptset;

void initscripts();

}  // namespace runio
