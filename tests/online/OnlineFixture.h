#pragma once
// A running scene on a test clock, a fresh writable folder for the settings and databases, and
// the loopback test service that the configuration's server address points at.

#include <gtest/gtest.h>

#include "AppConfig.h"
#include "TestServer.h"
#include "cocos2d.h"
#include "data/NSDataManager.h"
#include "engine/SceneFixture.h"
#include "notify/NSNotificationCenter.h"
#include "support/TestSupport.h"

#include <thread>

namespace qptest {

class OnlineFixture : public SceneFixture {
protected:
    void SetUp() override {
        // One folder for the whole run: the settings store stays open on it between tests.
        static TempDir dir;
        cocos2d::FileUtils::getInstance()->setWritablePath(dir.path());
        cocos2d::FileUtils::getInstance()->addSearchPath(QP_SOURCE_DIR);
        SceneFixture::SetUp();
        ASSERT_TRUE(server.start());
        AppConfig::setServerURL(server.baseURL());
    }

    void TearDown() override {
        NSUI::NSDataManager::getInstance()->clear();
        NSUI::NSDataManager::destroyInstance();
        SceneFixture::TearDown();
        NSUI::NSNotificationCenter::destroyInstance();
        server.stop();
    }

    /// Runs frames until the condition holds; the replies of the HTTP worker arrive in them.
    template <class F> void runUntil(F condition) {
        while (!condition()) {
            input->frame();
            std::this_thread::yield();
        }
    }

    testserver::TestServer server;
};

} // namespace qptest
