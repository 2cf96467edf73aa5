// Free-format reading of the fit's data files from the shared input file:
// numbers separated by blanks and line ends, and the text that follows the
// last number of a line. A word that is not a number, or the end of the file
// where a number is due, stops the run with a message that names the file,
// the quantity and what it belongs to.
#pragma once

#include <string>

#include "runio/runio.h"

namespace dsfit {

// Where the readers are, for their messages.
struct ReadPlace {
    std::string where = "readth";   // the routine, as the fatal error names it
    std::string who;                // "end-member fo", "experiment 3"
};
extern ReadPlace place;

double readreal(const std::string& item);
int readint(const std::string& item);      // a whole number of 16 bits
std::string readrest();                    // the rest of the current line
// The next line that holds words, skipping empty lines and comments (from a
// word that begins with "%" to the end of its line); false at the end of the
// file.
bool nextwords(runio::Words& words);
// The next line as words (comments dropped), which must be there.
void readline(runio::Words& words, const std::string& item);
std::string quotedname();                  // the open file's name in double quotes

// The experiments section of the experiments file, after its oxide calorimetry.
void readexperiments();
// A reaction as text from its coefficients and the names of its members.
std::string rxnequation(const int* nu, const std::string* names, int n);   // nu[1..n], names[1..n]

}  // namespace dsfit
