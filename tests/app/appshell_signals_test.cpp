// Termination signals ask the program to close instead of killing it; a second one while the
// close is under way ends it for good.

#include "CloseOnSignal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

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

TEST_F(CloseOnSignalTest, SignalFromAnotherThreadIsSeen) {
    ASSERT_TRUE(CloseOnSignal::install());
    std::thread([] { kill(getpid(), SIGTERM); }).join();
    // The handler may run on any thread; its flag is what the main loop reads.
    for (int i = 0; i < 1000 && !CloseOnSignal::requested(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(CloseOnSignal::requested());
}

} // namespace
