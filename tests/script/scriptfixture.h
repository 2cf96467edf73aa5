// Shared set-up of the script reader's tests: each test runs in a fresh
// directory with the screen and a log channel open, writes a script file
// there, answers the terminal from a file, and reads the log afterwards.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bombcheck.h"
#include "calcwindows/calcwindows.h"
#include "harness.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"
#include "script/script.h"

namespace scripttest {

// The keywords every phase-diagram script needs, so that a test of another
// keyword is not stopped for missing ones.
inline const std::string mandatory = "axfile t\nwith g bi mu q\ndiagramPT 1 10 400 800\npseudosection no\n";

using pmtest::readfile;
using pmtest::writefile;

class ScriptTest : public ::testing::Test {
protected:
    std::filesystem::path olddir, dir;

    void SetUp() override
    {
        olddir = std::filesystem::current_path();
        std::string templ = (std::filesystem::temp_directory_path() / "pmscript-XXXXXX").string();
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        dir = templ;
        std::filesystem::current_path(dir);
        runio::prefs = runio::Prefs{};
        runio::prefs.bombautoexit = true;   // a fatal error does not wait for return
        runio::prefs.wrapscreen = false;
        runio::prefs.prefscalcmode = 1;
        runio::prefs.prefsscriptsuffix = "t";
        runio::closeread(runio::files.infile);
        runio::files = runio::RunFiles{};
        runio::files.scriptsuffix = "t";
        runio::run.calcmode = 1;
        runio::run.runno = 1;
        runio::scal.pminall = 0.0009;
        runio::scal.pscale = 1.0 / (1500.0 - 0.0009);
        runio::scal.poffset = -0.0009 * runio::scal.pscale;
        runio::mcoutkind = 0;
        calcwindows::win = calcwindows::Windows{};
        thermodata::ds.dsnew = true;
        thermodata::ds.dsold = false;
        runio::chans.chanset = runio::mscreen;
        runio::openoutfile("pm-log", ".txt", runio::chlog);
        runio::chans.chanset |= runio::mlog;
        answers("");
    }

    void TearDown() override
    {
        runio::closeread(runio::files.infile);
        if (runio::chans.file[runio::chlog] != nullptr) std::fclose(runio::chans.file[runio::chlog]);
        runio::chans.file[runio::chlog] = nullptr;
        runio::chans.chanset = 0;
        std::filesystem::current_path(olddir);
        std::filesystem::remove_all(dir);
    }

    // What the terminal will answer, one reply per line.
    void answers(const std::string& text)
    {
        writefile("answers.txt", text);
        ASSERT_NE(std::freopen("answers.txt", "r", stdin), nullptr);
    }

    // Writes the script file pm-<suffix>.txt and opens it as the run's start-up does.
    void openscript(const std::string& text, const std::string& suffix = "t")
    {
        writefile("pm-" + suffix + ".txt", text);
        ASSERT_TRUE(runio::openread(runio::files.infile, "pm-" + suffix + ".txt"));
        runio::files.scriptsuffix = suffix;
        runio::files.scriptopen = true;
    }

    void readscript(const std::string& text, const std::string& replies = "")
    {
        openscript(text);
        answers(replies);
        script::readscripts();
    }

    std::string log()
    {
        std::fflush(nullptr);
        return readfile("pm-log.txt");
    }
};


}  // namespace scripttest
