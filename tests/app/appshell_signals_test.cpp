// Termination signals ask the program to close instead of killing it; a second one while the
// close is under way ends it for good.

#include "CloseOnSignal.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

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
    const std::string program = qptest::binaryDir() + "/proj.linux/workstation";
    if (::access(program.c_str(), X_OK) != 0)
        GTEST_SKIP() << "the program is not built";
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display (run the tests through scripts/run-isolated)";

    // Settings and the study store go to a home of its own.
    qptest::TempDir home;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (std::string(*e).rfind("HOME=", 0) != 0)
            env.push_back(*e);
    }
    env.push_back("HOME=" + home.path());
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(&e[0]);
    envp.push_back(nullptr);
    std::string arg0 = program;
    char* argv[] = {&arg0[0], nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = home.file("program.log");
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ASSERT_EQ(0, spawned);

    // Let it get into its loop (a signal during the launch is honoured at the first frame).
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_EQ(0, kill(pid, SIGTERM));
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 600 && ended == 0; ++i) {
        ended = waitpid(pid, &status, WNOHANG);
        if (ended == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (ended == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "the program did not end within 30 s of SIGTERM";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0)
                                   << "\n"
                                   << qptest::readFile(log);
    EXPECT_EQ(0, WEXITSTATUS(status)) << qptest::readFile(log);
}

} // namespace
