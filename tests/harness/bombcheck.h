// Death tests of fatal errors. The fatal message goes to the screen channel,
// that is standard output, while a death test reads standard error: the
// child sends its screen there, with the screen channel open and no wait for
// return, before it runs the statement.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "runio/runio.h"

namespace pmtest {

inline void screentostderr()
{
    std::fflush(stdout);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    runio::chans.chanset |= runio::mscreen;
    runio::prefs.bombautoexit = true;
}

}  // namespace pmtest

// The statement must end the run with status 1 and a screen text matching regex.
#define EXPECT_BOMB(statement, regex)                                                       \
    EXPECT_EXIT(                                                                            \
        {                                                                                   \
            pmtest::screentostderr();                                                       \
            statement;                                                                      \
        },                                                                                  \
        ::testing::ExitedWithCode(1), regex)
