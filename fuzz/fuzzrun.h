// What every fuzz target shares. The run works in a scratch directory of its
// own, emptied after every input; the end of a run (a fatal error, "kill", a
// file that cannot be made) returns to the target instead of ending the
// fuzzer; standard input is at its end, so a prompt ends the run as it does
// for a script run with no terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pmfuzz {

// Thrown in place of the process exit.
struct RunEnded {
    int status;
};

// Once, from LLVMFuzzerInitialize: the scratch directory is made, the run
// state is that of a run after its start-up, and the fuzzer's own files
// (crashes, timeouts) go to the directory it was started in.
void startfuzzing(int* argc, char*** argv);

// One input: the scratch directory is the working directory from the
// construction to the destruction, which closes every file, checks that the
// run left nothing outside the directory (a stop, which the fuzzer reports,
// when it did) and empties it.
struct InputScope {
    InputScope();
    ~InputScope();
    InputScope(const InputScope&) = delete;
    InputScope& operator=(const InputScope&) = delete;
};

// A file of the scratch directory with the given content.
void writeinput(const std::string& name, const std::uint8_t* data, std::size_t size);
void writetext(const std::string& name, const std::string& text);

// A file of examples/, read once.
const std::string& examplefile(const std::string& name);

// The log and the six files of a run with this script suffix, created and
// open on their channels as after the start of a run.
void openrunfiles(const std::string& suffix);

// Every file of the run closed, as at the end of a run.
void closerunfiles();

// The dataset fit's storage, once per process, with its settings at their
// defaults (an empty settings file).
void allocatefit();

// Runs one reader on the input now in the scratch directory; the end of the
// run ends it early.
template <class F>
void runreader(F body)
{
    try {
        body();
    } catch (const RunEnded&) {
    }
    closerunfiles();
}

}  // namespace pmfuzz
