// Screen captures: unique file names within one second, results and the saved notification.

#include "notify/NSNotificationCenter.h"
#include "platform/FileUtils.h"
#include "support/TestSupport.h"
#include "util/FileHelpers.h"
#include "util/ScreenCapture.h"

#include <gtest/gtest.h>
#include <set>

namespace {

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override { cocos2d::FileUtils::getInstance()->setWritablePath(dir.path() + "/"); }
    void TearDown() override
    {
        setScreenCaptureBackend(nullptr);
        cocos2d::FileUtils::getInstance()->setWritablePath("");
    }
    qptest::TempDir dir;
};

} // namespace

TEST_F(CaptureTest, CapturesInOneSecondNeverShareAFile)
{
    // Captures that finish later: every one is still pending when the next starts.
    std::vector<std::pair<ScreenCaptureCallback, std::string>> pending;
    setScreenCaptureBackend([&pending](const ScreenCaptureCallback& done, const std::string& path,
                                       int, int, int, int) { pending.push_back({done, path}); });
    std::vector<std::string> results;
    for (int i = 0; i < 3; ++i)
        captureScreenToFile([&results](bool ok, const std::string& path) {
            if (ok)
                results.push_back(path);
        }, 0, 0, 10, 10);
    ASSERT_EQ(pending.size(), 3u);
    for (auto& p : pending) {
        ASSERT_TRUE(writeStringToFile(p.second.c_str(), "jpeg"));
        p.first(true, p.second);
    }
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(std::set<std::string>(results.begin(), results.end()).size(), 3u);
    const std::string folder = dir.path() + "/qp/tmp/capture/";
    for (const auto& path : results)
        EXPECT_EQ(path.compare(0, folder.size(), folder), 0) << path;

    // Files already on disk are not overwritten by later captures either.
    const std::string stamp = "1700000000";
    ASSERT_TRUE(writeStringToFile((folder + stamp + ".jpg").c_str(), "old"));
    const std::string next = reserveCapturePath(folder, stamp);
    EXPECT_EQ(next, folder + stamp + "_1.jpg");
    EXPECT_EQ(reserveCapturePath(folder, stamp), folder + stamp + "_2.jpg");
    releaseCapturePath(next);
    EXPECT_EQ(reserveCapturePath(folder, stamp), folder + stamp + "_1.jpg");
}

TEST_F(CaptureTest, SavedNotificationOnlyForWrittenPictures)
{
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    auto* director = cocos2d::Director::getInstance();
    director->mainLoop(0.6f);
    std::vector<std::string> saved;
    int owner = 0;
    centre->addObserver(&owner, nullptr,
                        [&saved](cocos2d::Ref*, unsigned, NSUI::NSNotificationData* data) {
                            saved.push_back(data->text);
                        },
                        1004);
    bool succeed = false;
    setScreenCaptureBackend([&succeed](const ScreenCaptureCallback& done, const std::string& path,
                                       int, int, int, int) { done(succeed, path); });
    captureScreenToFile(0, 0, 4, 4);
    succeed = true;
    captureScreenToFile(0, 0, 4, 4);
    for (int i = 0; i < 4; ++i)
        director->mainLoop(1.0f / 60.0f);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_NE(saved[0].find("/qp/tmp/capture/"), std::string::npos);

    // Without a capture backend the caller hears of the failure at once.
    setScreenCaptureBackend(nullptr);
    bool called = false;
    captureScreenToFile([&called](bool ok, const std::string&) { called = !ok; }, 0, 0, 1, 1);
    EXPECT_TRUE(called);
    centre->removeObserver(&owner);
    NSUI::NSNotificationCenter::destroyInstance();
}
