// The time limit of a process that holds off requests to end it: each case runs in a child process,
// which the limit ends.

#include "TerminationHold.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ruva {
namespace {

// Runs `body` in a child process with a time limit of one second; its exit status and what it wrote to
// the standard error.
std::pair<int, std::string> RunWithTimeLimit(void (*body)()) {
    int pipe[2];
    EXPECT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipe[1], STDERR_FILENO);
        HoldTerminationDuringTransfers();
        EndProcessAfter(1, 124, "time up\n");
        body();
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string err;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        err.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err};
}

void Say(const char* text) {
    ::write(STDERR_FILENO, text, std::char_traits<char>::length(text));
}

TEST(TimeLimitTest, EndsAtOnceOutsideATransferAndAfterOneUnderWay) {
    // Nothing held: the process ends at the limit, whatever it was doing.
    EXPECT_EQ(RunWithTimeLimit([] {
                  std::this_thread::sleep_for(std::chrono::seconds(5));
                  Say("not ended\n");
              }),
              std::make_pair(124, std::string("time up\n")));
    // A transfer under way at the limit is finished first; nothing after it runs.
    EXPECT_EQ(RunWithTimeLimit([] {
                  {
                      TerminationHold transfer;
                      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                      Say("finished\n");
                  }
                  Say("not ended\n");
              }),
              std::make_pair(124, std::string("finished\ntime up\n")));
}

} // namespace
} // namespace ruva
