// The process's standard descriptors, as Linux hands them over.
#include "runio/runio.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace runio {

void openstdfds()
{
    // Started with standard output closed (">&-"), the first file the run
    // opens would take descriptor 1, and the screen's text would land in
    // the log; /dev/null takes the place of each missing one instead. The
    // lower descriptors are open by then, so open gives the one missing.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        if (open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY) == fd) continue;
        const std::string text = std::string("petramondo: cannot open /dev/null in place of descriptor ") +
                                 std::to_string(fd) + ": " + std::strerror(errno) + "\n";
        if (write(STDERR_FILENO, text.data(), text.size()) < 0) {
            // standard error is the one missing: nowhere is left to say it
        }
        endprocess(2);
    }
}

}  // namespace runio
