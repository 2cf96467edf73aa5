// The word stream of the a-x file with its one word of look-ahead, shared by
// the entry reader, the expression reader and the end-member modifiers.
#pragma once

#include <string>

#include "axmodels/axmodels.h"
#include "runio/runio.h"

namespace axmodels {

constexpr int kindend = 0, kindint = 1, kindreal = 2, kindrational = 3, kindname = 4;

struct AxReader {
    runio::Words words;          // the current physical line
    int used = 0;                // words of it already fetched
    std::string item;            // the item last taken
    int kind = kindend;
    std::string next;            // one item of look-ahead
    int nextkind = kindend;
    std::string context;         // what is being read, for the messages
    bool ended = false;          // the input has ended: no more lines are read
    bool fit = false;            // the dataset fit reads its own a-x file
    // The entry being read.
    std::string phase;
    int nvar = 0;
    runio::Arr<std::string, maxsolem + 1> shortnames{};
    // The last recipe's coefficients as written, for the charge checks.
    runio::Arr<int, maxmakeconst + 1> makep{}, makeq{};
};
extern AxReader rd;

inline std::string ordinal(int n) { return runio::run.ordinals[n]; }
std::string rationaltext(int p, int q);   // "p", or "p/q" when q is not 1

void openaxfile();                      // heading lines, then the file opened on the shared input
void startreading();                    // first line with words; "not enough in file" when none
void readitem(const std::string& context);
void readitem();                        // with the context of the item before
bool nextis(const std::string& word);   // the look-ahead is this name
int nextinteger();                      // the look-ahead read as an integer (not taken)
std::string expectname(int kind, const std::string& token, const std::string& context);
void expectword(const std::string& token);
std::string readline(bool& isend);

void readsfexpr(SfExpr& e, const std::string& context);
int makekeyword(const std::string& word, int& dqfkind);
// Additional information of a solution end-member (em set) or of a pure phase (pp set).
void readmodifiers(EmRec* em, PurePhase* pp, const std::string& loopcontext);
void checkendmember(EmRec* em, PurePhase* pp);

// The steps of the set-up after the reading.
void bindmcitems();       // Monte Carlo items and correlations bound to the parameters they name
void makesamecoding();    // copies of phases coded alike, and the groups' phase numbers
void applyxyzguesses();   // the script's starting guesses
void renumbermcitems(int k);   // the items on phase k once it is contracted
void makebatchcopies();   // contracted copies of phases that batch guess blocks zero
void setbounds();         // bounds, scaling and the range check of every variable
void setupfluids();       // fluid and aqueous phases and the fluid species table
void setvarlimits();      // variable-limit rows and linear site fractions
void checkmodels();       // starting compositions, pure end-members

}  // namespace axmodels
