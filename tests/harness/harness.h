// End-to-end harness: runs the built petramondo in a fresh temporary
// directory holding the given input files, feeds it the given standard input,
// and returns the exit status, the screen output and the files left behind.
#pragma once

#include <cstdio>
#include <map>
#include <string>

namespace pmtest {

struct RunResult {
    int status = -1;          // exit status; -1 when the run was killed for taking too long
    std::string screen;       // everything written to standard output
    std::string errors;       // everything written to standard error
    std::map<std::string, std::string> files;   // every file in the directory afterwards
    std::string dir;          // the directory the run used

    bool has(const std::string& name) const { return files.count(name) != 0; }
    const std::string& file(const std::string& name) const;
};

// Runs the program; input files are name -> content (a name "folder/file"
// makes the folder too; a content symlinkto(target) makes a symbolic link).
// The directory is removed afterwards unless keepdir is set.
RunResult runpm(const std::map<std::string, std::string>& inputs, const std::string& stdintext,
                int timeoutseconds = 120, bool keepdir = false);

// As runpm, but started with standard output closed, as ">&-" starts it.
RunResult runpmwithoutscreen(const std::map<std::string, std::string>& inputs, const std::string& stdintext);

// The content of an input file that is to be a symbolic link to target
// (/dev/full stands in for a full disk).
std::string symlinkto(const std::string& target);

// As runpm, but with standard output on a pseudo-terminal, as a user at a
// terminal sees it (line ends arrive as carriage return and line feed).
RunResult runpmterminal(const std::map<std::string, std::string>& inputs, const std::string& stdintext,
                        int timeoutseconds = 120);

// The text of a file of examples/.
std::string examplefile(const std::string& name);

// The standard preferences file for a run.
std::string prefsfile(const std::string& dssuffix, const std::string& scriptsuffix, int calcmode);

// Number of times needle occurs in haystack.
int countof(const std::string& haystack, const std::string& needle);

}  // namespace pmtest

namespace pmtest {

// The whole of a file, and a file written afresh with the given text.
std::string readfile(const std::string& name);
void writefile(const std::string& name, const std::string& text);

// Everything written so far to a scratch file.
std::string filecontents(std::FILE* f);

}  // namespace pmtest
