#pragma once
// The viewing tools' test ground: a running scene on the test clock with this tree's layouts,
// pictures and language table, and a recorder of the notifications the tools post.

#include "widgets/WidgetsFixture.h"

#include "AppConfig.h"
#include "net/dataService.h"
#include "notify/NSNotificationCenter.h"

#include <string>
#include <vector>

namespace viewingtest {

struct Posted {
    cocos2d::Ref* sender;
    unsigned int id;
    std::string text;
    int tag;
    int value;
};

class ViewingToolsFixture : public qptest::WidgetsFixture {
protected:
    void SetUp() override
    {
        WidgetsFixture::SetUp();
        std::vector<std::string> paths = {qptest::sourceDir() + "/res/pad/", qptest::binaryDir() + "/"};
        if (!languageFolder.empty())
            paths.insert(paths.begin(), languageFolder + "/");
        cocos2d::FileUtils::getInstance()->setSearchPaths(paths);
        _config = AppConfig::getInstance();
        _config->retain();
        _config->loadLanguage();
        NSUI::NSNotificationCenter::getInstance();
        input->frame(0.6f);
    }
    void TearDown() override
    {
        NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
        scene->removeAllChildren();
        // A viewing screen opens the store (and its receiver) on first use; its threads must
        // end before the process does.
        dataService::destroyInstance();
        WidgetsFixture::TearDown();
        _config->release();
    }

    /// Records every post of id whose object is object.
    void record(unsigned int id, cocos2d::Ref* object = nullptr)
    {
        NSUI::NSNotificationCenter::getInstance()->addObserver(
            this, object,
            [this](cocos2d::Ref* sender, unsigned int got, NSUI::NSNotificationData* data) {
                posts.push_back({sender, got, data ? data->text : "", data ? data->tag : 0, data ? data->intValue : 0});
            },
            id);
    }
    /// Runs frames until a post arrived (each queued delivery takes a frame).
    bool waitForPost(size_t count = 1)
    {
        for (int i = 0; i < 20 && posts.size() < count; ++i)
            input->frame(1.0f / 60.0f);
        return posts.size() >= count;
    }
    void tap(const cocos2d::Vec2& at)
    {
        input->touchBegan(0, at);
        input->touchEnded(0, at);
        input->frame(1.0f / 60.0f);
    }
    void tap(cocos2d::Node* node)
    {
        ASSERT_NE(node, nullptr);
        const cocos2d::Size& size = node->getContentSize();
        tap(node->convertToWorldSpace(cocos2d::Vec2(size.width / 2, size.height / 2)));
    }
    std::string toast() const
    {
        cocos2d::Node* box = scene->getChildByName("messageBox");
        auto* label = box ? dynamic_cast<cocos2d::ui::Text*>(box->getChildByNameDeep("messageBox.text")) : nullptr;
        return label && box->isVisible() ? label->getString() : std::string();
    }
    std::string text(const std::string& key) const { return _config->getText(key); }

    std::vector<Posted> posts;
    /// A folder searched before the build's, for a language table of the test's own.
    std::string languageFolder;

private:
    AppConfig* _config = nullptr;
};

} // namespace viewingtest
