// The script settings record: what the script file said, reset to its
// defaults and read afresh on every pass.
#pragma once

#include <array>
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
    int incnler = 1;                // switch of "incnler": 0 writes the reaction brace lists
    bool oxideunits = false;        // amounts counted in oxide units (old-layout dataset)
    int nseta = 0;                  // activities set by the script
    std::array<std::string, 7> setaname{};   // their end-members, 1..6
};
extern ScriptSet scriptset;

void initscripts();

}  // namespace runio
