// Shared set-up of the a-x tests: a run state without the start-up, a dataset
// name list, a scratch directory holding the a-x file, and fatal errors run in
// a child process so that their exact text can be read.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "harness/harness.h"

namespace axtest {

// The end-member names of the example dataset that the example a-x file uses.
extern const std::vector<std::string> examplenames;

// A symmetric binary phase in the smallest form the reader takes.
extern const std::string binary;

// Run state as the start-up leaves it (ordinals, bit masks, storage), no
// channel open, a new-layout dataset of the given names.
void initrun(const std::vector<std::string>& dsnames = examplenames, bool dsnew = true);

// A fresh working directory for the test, removed afterwards.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    std::string path, previous;
};

using pmtest::readfile;
using pmtest::writefile;
std::string exampleax();

// Writes the text as pm-axex.txt in the current directory and reads it with
// setupphases (scripts and channels as they stand).
void readax(const std::string& text);

// What a child process showed on the screen and how it ended.
struct Outcome {
    int status = -1;
    std::string screen;
    std::string bombed;   // "where : message" of the fatal error, empty when none
};
Outcome runchild(const std::function<void()>& body, const std::string& stdintext = "");

// What the body wrote to one file channel (channel numbers of runio).
std::string captured(int channel, const std::function<void()>& body);

// Reads the a-x text in a child process.
Outcome readaxchild(const std::string& text, const std::string& stdintext = "");

// Replaces the first occurrence of a piece of text; fails the test when absent.
std::string replaced(const std::string& text, const std::string& from, const std::string& to);

}  // namespace axtest
