// Shared set-up of the dataset-fit tests: a scratch directory holding the
// example fit's files, the run state of the fit without the start-up, and
// the log of what a piece of the fit wrote.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "harness/harness.h"

namespace fittest {

// The example fit's files by name, and a preferences file that runs the fit.
std::map<std::string, std::string> fullexample();
// The same with only its simple reactions: per, q, fo and en, the phase mix
// and the experiments fo + q = en and 2per + en = 2fo.
std::map<std::string, std::string> examplefiles();

// Settings lines added to the example's settings file, before its "*" line.
void addsettings(std::map<std::string, std::string>& files, const std::string& lines);

// The first occurrence of a piece of text replaced; fails the test when absent.
std::string replaced(const std::string& text, const std::string& from, const std::string& to);

// A fresh working directory holding the given files, with the run state of
// the fit (calculation mode 5, storage, settings read from its ds-prefs.txt,
// no channel open); removed afterwards.
struct FitDir {
    explicit FitDir(const std::map<std::string, std::string>& files = examplefiles());
    ~FitDir();
    std::string path, previous;
};

// What the body wrote to the log.
std::string logof(const std::function<void()>& body);

// The lines of a text, without their line ends.
std::vector<std::string> lines(const std::string& text);

// The end-member file with one record in place of the example's four.
std::string emfile(const std::string& records);

}  // namespace fittest
