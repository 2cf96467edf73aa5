// A scratch directory for dataset files, the run storage sized, and a way to
// see the message of a fatal error in a death test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "app/app.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace dstest {

class DsDir : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (thermodata::ems.td.empty()) app::setupstore();
    }
    void SetUp() override
    {
        olddir = std::filesystem::current_path();
        std::string templ = (std::filesystem::temp_directory_path() / "dstest-XXXXXX").string();
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        dir = templ;
        std::filesystem::current_path(dir);
        runio::run.calcmode = 1;
        runio::scriptset = runio::ScriptSet{};
        runio::chans.chanset = 0;
        thermodata::ems.nexcl = 0;
    }
    void TearDown() override
    {
        runio::closeread(thermodata::ds.dsfile);
        std::filesystem::current_path(olddir);
        std::filesystem::remove_all(dir);
    }
    // The dataset "pm-ds" + suffix + ".txt" with the given text, named in the preferences.
    void dataset(const std::string& suffix, const std::string& text)
    {
        std::ofstream(dir / ("pm-ds" + suffix + ".txt"), std::ios::binary) << text;
        runio::prefs.prefsdssuffix = suffix;
    }
    static void working(std::initializer_list<const char*> names)
    {
        int k = 0;
        for (const char* n : names) thermodata::ems.emname[++k] = n;
        thermodata::ems.nem = k;
    }
    std::filesystem::path dir, olddir;
};

// Runs the code with the screen channel on standard error and no wait after
// a fatal error, so that a death test can match the message.
template <class F>
void onstderr(F f)
{
    std::fflush(stdout);
    dup2(2, 1);
    runio::chans.chanset = runio::mscreen;
    runio::prefs.bombautoexit = true;
    f();
}

}  // namespace dstest
