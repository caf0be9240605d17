#pragma once
// A test fixture with an 800 x 600 window, a test clock and a running scene; everything is
// reset between tests.

#include <gtest/gtest.h>

#include "2d/Scene.h"
#include "base/AutoreleasePool.h"
#include "base/Director.h"
#include "base/InputInjector.h"
#include "base/PoolManager.h"

namespace qptest {

class SceneFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        director = cocos2d::Director::getInstance();
        director->reset();
        director->setWinSize(cocos2d::Size(800, 600));
        input = cocos2d::InputInjector::getInstance();
        input->useTestClock(1000.0);
        scene = cocos2d::Scene::create();
        director->runWithScene(scene);
        input->frame(0.0f);
    }

    void TearDown() override
    {
        input->reset();
        director->reset();
        cocos2d::PoolManager::getInstance()->getCurrentPool()->clear();
    }

    cocos2d::Director* director = nullptr;
    cocos2d::InputInjector* input = nullptr;
    cocos2d::Scene* scene = nullptr;
};

} // namespace qptest
