// The script settings record: what the script file said, reset to its
// defaults and read afresh on every pass.
#pragma once

#include <array>
#include <string>
#include <vector>

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
};
extern ScriptSet scriptset;

// ---------------------------------------------------------------- tables beside the record
constexpr int maxrgb = 400;           // phases given colours: one per phase of a run
constexpr int maxxyzguess = 200;      // script starting guesses of compositional variables
constexpr int maxmodeguess = 72;      // script starting guesses of phase modes

struct XyzGuess {
    std::string name;
    double value = 0.0, sd = 0.0, low = 0.0, high = 1.0;
};
struct ModeGuess {
    std::string name;
    double value = 0.0;
};
struct RgbEntry {
    std::string name;
    std::array<int, 4> value{};                       // red, green, blue 0..255
};

// A count of -1: no line of the keyword met yet; 0: none, also after a failed line.
struct ScriptTables {
    int nxyzguess = -1;
    std::array<XyzGuess, maxxyzguess + 1> xyzguesses{};
    int nrgb = -1;
    std::vector<RgbEntry> rgb;                        // 1..nrgb
    int nmodeguess = -1;
    std::array<ModeGuess, maxmodeguess + 1> modeguesses{};
};
extern ScriptTables scripttabs;

void initscripts();

}  // namespace runio
