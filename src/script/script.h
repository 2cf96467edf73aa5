// The script file reader: logical lines, typed readers, every keyword group
// and the checks after the last line.  It fills the settings record and the
// tables of runio/scriptset.h, and its end-of-file checks set the windows
// and read the dataset, so it sits above thermodata and calcwindows.
#pragma once

#include <string>

#include "runio/scriptset.h"

namespace script {

using runio::Words;

void initscripts();
void readscripts();
void getscriptfile();
void defaultwindows();

void splitinfo(const std::string& keyword, const Words& words, int nwords, int first);
void shiftinfo(int k);
bool scriptisnumber(int kind);

// Typed readers of the current line's info: the first six return true when
// the info is usable; the P and T readers store the values and return true
// when there was a problem.
bool scriptreal(const std::string& keyword, double lo, double hi);
bool scriptreals(const std::string& keyword, int& n);
bool scriptint(const std::string& keyword, int lo, int hi);
bool scriptints(const std::string& keyword, int& n);
bool scriptstring(const std::string& keyword);
bool scriptstrings(const std::string& keyword, int& n);
bool scriptonep(const std::string& keyword, double& p, int i, double lo, double hi);
bool scriptprange(const std::string& keyword, double& plow, double& phigh, int i, double lo, double hi);
bool scriptonet(const std::string& keyword, double& t, int i, double lo, double hi);
bool scripttrange(const std::string& keyword, double& tlow, double& thigh, int i, double lo, double hi);

}  // namespace script
