// Termination signals ask the program to close instead of killing it; a second one while the
// close is under way ends it for good.

#include "CloseOnSignal.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

#include <sys/wait.h>

#include <string>

namespace {

class CloseOnSignalTest : public ::testing::Test {
protected:
    void TearDown() override { CloseOnSignal::uninstall(); }
};

TEST_F(CloseOnSignalTest, TermAndIntRequestCloseAndProcessLivesOn) {
    for (int sig : {SIGTERM, SIGINT}) {
        ASSERT_TRUE(CloseOnSignal::install());
        EXPECT_FALSE(CloseOnSignal::requested());
        ASSERT_EQ(0, raise(sig));
        EXPECT_TRUE(CloseOnSignal::requested()) << "signal " << sig;
        CloseOnSignal::uninstall();
        EXPECT_FALSE(CloseOnSignal::requested());
    }
}

TEST_F(CloseOnSignalTest, SecondSignalTerminates) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            CloseOnSignal::install();
            raise(SIGTERM);
            if (!CloseOnSignal::requested())
                _exit(3);
            raise(SIGTERM);
            _exit(4);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

TEST_F(CloseOnSignalTest, SignalHandledOnAWorkerIsSeenByTheMainThread) {
    ASSERT_TRUE(CloseOnSignal::install());
    // This thread blocks the signals, so the handler has to run on the worker, as it may in
    // the program; the worker stays until it has handled it.
    sigset_t closing, previous;
    sigemptyset(&closing);
    sigaddset(&closing, SIGTERM);
    sigaddset(&closing, SIGINT);
    ASSERT_EQ(0, pthread_sigmask(SIG_BLOCK, &closing, &previous));
    std::thread worker([&closing] {
        pthread_sigmask(SIG_UNBLOCK, &closing, nullptr);
        kill(getpid(), SIGTERM);
        for (int i = 0; i < 2000 && !CloseOnSignal::requested(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    worker.join();
    EXPECT_TRUE(CloseOnSignal::requested());
    ASSERT_EQ(0, pthread_sigmask(SIG_SETMASK, &previous, nullptr));
}

// The whole program: a SIGTERM while it runs leaves through the shutdown sequence and exits 0
// instead of being killed (exit 143) with its services still running.
TEST(WorkstationProgram, TerminationSignalEndsWithANormalExit) {
    const std::string program = qptest::workstationProgram();
    if (program.empty())
        GTEST_SKIP() << "the program is not built or there is no display (run the tests through scripts/run-isolated)";

    // Settings and the study store go to a home of its own.
    qptest::TempDir home;
    const std::string log = home.file("program.log");
    pid_t pid = qptest::startProgram(program, {"HOME=" + home.path()}, log);
    ASSERT_NE(0, pid);

    // Let it get into its loop (a signal during the launch is honoured at the first frame).
    std::this_thread::sleep_for(std::chrono::seconds(2));
    int status = 0;
    ASSERT_TRUE(qptest::stopProgram(pid, status)) << "the program did not end within 30 s of SIGTERM";
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0)
                                   << "\n"
                                   << qptest::readFile(log);
    EXPECT_EQ(0, WEXITSTATUS(status)) << qptest::readFile(log);
}

} // namespace
