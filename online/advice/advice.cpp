#include "advice/advice.h"

#include "notify/NSNotificationCenter.h"
#include "page/pageScene.h"
#include "util/StringUtils.h"

using namespace cocos2d;

Scene* advice::createScene() {
    Node* layout = nullptr;
    pageScene* scene = pageScene::create("Advice", &layout);
    if (!scene)
        return nullptr;
    if (advice* page = create()) {
        const Size& win = Director::getInstance()->getWinSize();
        page->setContentSize(Size(win.width, win.height - pageScene::kTitleBarHeight));
        page->setPosition(Vec2::ZERO);
        page->setAnchorPoint(Vec2::ZERO);
        layout->addChild(page);
    }
    return scene;
}

advice* advice::create() {
    auto* page = new advice();
    if (!page->init()) {
        delete page;
        return nullptr;
    }
    page->autorelease();
    return page;
}

bool advice::init() {
    if (!NSWebView::init())
        return false;
    _intercepted = updatePackageURL();
    return true;
}

void advice::onEnterTransitionDidFinish() {
    NSWebView::onEnterTransitionDidFinish();
    FileUtils* files = FileUtils::getInstance();
    std::string page = files->getStringFromFile(kPageFile);
    replaceAll(page, "JS_URL", files->getWritablePath() + kScriptsFolder);
    NSWebView::openURL(page);
    setVisible(true);
}

bool advice::onCommandURL(const std::string& address) {
    return onUrlIntercepted(address);
}

bool advice::onUrlIntercepted(const std::string& address) {
    // The prefix, one separator character and at least one character of the request.
    if (_intercepted.empty() || address.size() <= _intercepted.size() + 1 ||
        address.compare(0, _intercepted.size(), _intercepted) != 0)
        return false;
    std::string target = safeBase64Decode(address.substr(_intercepted.size() + 1));
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(this, kPackageRequestId, target, nullptr,
                                                                          false);
    // The page is gone from the tree when this returns, but the web view that called still
    // holds it: it lives on to the end of the frame.
    retain();
    autorelease();
    removeFromParent();
    return false;
}
