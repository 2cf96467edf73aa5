// Pieces of the main run sequence that do not need a whole run: the date
// text, the elapsed-time line and the start-up tables.
#include <gtest/gtest.h>

#include "app/app.h"
#include "runio/runio.h"

TEST(RunSequence, DateText)
{
    // 9:05 on Sunday 6 December 2026, weekday 0 = Sunday
    EXPECT_EQ(app::makedatetext(9, 5, 0, 6, 12, 2026), "9.05 on Sun 6 Dec,2026");
    EXPECT_EQ(app::makedatetext(14, 30, 6, 28, 2, 2027), "14.30 on Sat 28 Feb,2027");
    EXPECT_EQ(app::makedatetext(0, 0, 7, 1, 13, 2026), "0.00noday? 1nomonth?2026");
}

TEST(RunSequence, ElapsedText)
{
    EXPECT_EQ(app::elapsedtext(2.5), "elapsed =  2.5 secs");
    EXPECT_EQ(app::elapsedtext(12.34), "elapsed = 12.3 secs");
    EXPECT_EQ(app::elapsedtext(29.96), "elapsed = 30.0 secs");   // the test is on the unrounded value
    EXPECT_EQ(app::elapsedtext(30.0), "elapsed = 30 secs");
    EXPECT_EQ(app::elapsedtext(45.9994), "elapsed = 45 secs");
    EXPECT_EQ(app::elapsedtext(45.9996), "elapsed = 46 secs");
}

TEST(RunSequence, StartUpTables)
{
    runio::makestarttables();
    EXPECT_EQ(runio::run.macheps, 0x1p-53);   // the first power of two lost against 1.0
    EXPECT_EQ(runio::run.ordinals[1], "1st");
    EXPECT_EQ(runio::run.ordinals[3], "3rd");
    EXPECT_EQ(runio::run.ordinals[11], "11th");
    EXPECT_EQ(runio::run.ordinals[21], "21th");
    EXPECT_EQ(runio::run.ordinals[400], "400th");
    EXPECT_EQ(runio::run.bitmask[30], 1073741824u);
}
