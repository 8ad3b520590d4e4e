// The time limit of a process that holds off requests to end it, in child processes that it ends.

#include "TerminationHold.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace ruva {
namespace {

// Runs `body` in a child process with a time limit of one second: its exit status and standard error.
std::pair<int, std::string> RunWithTimeLimit(void (*body)()) {
    int pipe[2];
    EXPECT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipe[1], STDERR_FILENO);
        HoldTerminationDuringTransfers();
        EndProcessAfter(1, 124, "time up\n");
        body();
        ::write(STDERR_FILENO, "not ended\n", 10);
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string err;
    char buffer[64];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        err.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), err};
}

TEST(TimeLimitTest, EndsAtOnceOutsideATransferAndAfterOneUnderWay) {
    EXPECT_EQ(RunWithTimeLimit([] { ::sleep(5); }), std::make_pair(124, std::string("time up\n")));
    EXPECT_EQ(RunWithTimeLimit([] {
                  TerminationHold transfer;
                  ::usleep(1'500'000);
                  ::write(STDERR_FILENO, "finished\n", 9);
              }),
              std::make_pair(124, std::string("finished\ntime up\n")));
    // A result that is owed is never cut: the program sees the time up and ends itself.
    EXPECT_EQ(RunWithTimeLimit([] {
                  OweResult();
                  ::usleep(1'500'000);
                  ::write(STDERR_FILENO, TimeIsUp() ? "up\n" : "not up\n", TimeIsUp() ? 3 : 7);
              }),
              std::make_pair(0, std::string("up\nnot ended\n")));
}

TEST(TerminationHoldTest, EveryRequestToEndWaitsForTheTransfer) {
    EXPECT_EQ(RunWithTimeLimit([] {
                  TerminationHold transfer;
                  for (int signal : {SIGTERM, SIGINT, SIGTERM, SIGHUP})
                      ::raise(signal);
                  ::write(STDERR_FILENO, "finished\n", 9);
              }),
              std::make_pair(128 + SIGTERM, std::string("finished\n")));
}

} // namespace
} // namespace ruva
