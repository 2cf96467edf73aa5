// Default uncertainties of activities: sd(a) = n a t / s with s = a^(1/n) the
// site activity and t its uncertainty, 0.3 s (1 - s)^2 but at least 0.01 and
// 5 % of s. The expected values are hand-worked; the routine works in single
// precision, so they are compared as floats.
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace {

using thermodata::ems;

class DefaultSda : public ::testing::Test {
protected:
    void SetUp() override
    {
        runio::scriptset = runio::ScriptSet{};
        runio::run.calcmode = 2;
        runio::chans.chanset = 0;
        thermodata::setuncertaintyparams(true);
        ems.nem = 0;
    }
    // Activity a over n sites with a given sd: its default sd.
    static float sd(double a, int n = 1, double given = 0.0)
    {
        ems.nem = 1;
        ems.act[1] = a;
        ems.emcode[1] = n;
        ems.sdact[1] = given;
        thermodata::defaultsda();
        return static_cast<float>(ems.sdact[1]);
    }
};

TEST_F(DefaultSda, Parameters)
{
    EXPECT_DOUBLE_EQ(ems.sdafactor, 0.3);
    EXPECT_DOUBLE_EQ(ems.sdamin, 0.01);
    EXPECT_DOUBLE_EQ(ems.sdarelmin, 0.05);
    runio::scriptset.justrelu = 0;
    thermodata::setuncertaintyparams(true);
    EXPECT_DOUBLE_EQ(ems.sdafactor, 0.0);
}

TEST_F(DefaultSda, HandWorkedValues)
{
    // a = 0.5: t = 0.3 x 0.5 x 0.25 = 0.0375, t/s = 0.075 above 0.05.
    EXPECT_FLOAT_EQ(sd(0.5), 0.0375f);
    // a = 0.9: t = 0.3 x 0.9 x 0.01 = 0.0027 is below 5 % of s, so t = 0.045.
    EXPECT_FLOAT_EQ(sd(0.9), 0.045f);
    // a = 0.01: s < 0.01/0.3, so t = 0.01.
    EXPECT_FLOAT_EQ(sd(0.01), 0.01f);
    // a = 0.25 over 2 sites: s = 0.5, t = 0.0375, sd = 2 x 0.25 x 0.0375 / 0.5.
    EXPECT_FLOAT_EQ(sd(0.25, 2), 0.0375f);
    // a code of 0 counts as one site
    EXPECT_FLOAT_EQ(sd(0.5, 0), 0.0375f);
}

TEST_F(DefaultSda, GivenUncertaintiesAndActivitiesOfOne)
{
    // a larger given sd stays, a smaller one is raised
    EXPECT_FLOAT_EQ(sd(0.5, 1, 0.1), 0.1f);
    EXPECT_FLOAT_EQ(sd(0.5, 1, 0.01), 0.0375f);
    // a = 1 gives 0 whatever was given
    EXPECT_FLOAT_EQ(sd(1.0, 1, 0.2), 0.0f);
    // a negative sd becomes 0 before the default is applied
    EXPECT_FLOAT_EQ(sd(1.0, 1, -0.1), 0.0f);
    EXPECT_FLOAT_EQ(sd(0.5, 1, -0.1), 0.0375f);
}

TEST_F(DefaultSda, WithJustreluTheSiteUncertaintyIsItsFloors)
{
    runio::scriptset.justrelu = 0;
    thermodata::setuncertaintyparams(true);
    // t = max(0.01, 0.05 s)
    EXPECT_FLOAT_EQ(sd(0.5), 0.025f);
    EXPECT_FLOAT_EQ(sd(0.1), 0.01f);
}

TEST_F(DefaultSda, WithoutDefaultsOnlyTheClampIsDone)
{
    runio::scriptset.usedefsda = 1;
    EXPECT_FLOAT_EQ(sd(0.5, 1, 0.01), 0.01f);
    EXPECT_FLOAT_EQ(sd(1.0, 1, 0.2), 0.2f);
    EXPECT_FLOAT_EQ(sd(0.5, 1, -0.1), 0.0f);
}

TEST_F(DefaultSda, TheNoticeGoesToTheScreenOnly)
{
    std::fflush(stdout);
    std::FILE* out = std::tmpfile();
    const int saved = dup(1);
    dup2(fileno(out), 1);
    runio::chans.chanset = runio::mscreen;
    thermodata::setuncertaintyparams(false);
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    runio::chans.chanset = 0;
    std::rewind(out);
    char buf[200] = {};
    const std::size_t n = std::fread(buf, 1, sizeof buf - 1, out);
    std::fclose(out);
    EXPECT_EQ(std::string(buf, n), "**resetting default uncertainty parameters not currently available\n");
    EXPECT_DOUBLE_EQ(ems.sdafactor, 0.3);
}

}  // namespace
