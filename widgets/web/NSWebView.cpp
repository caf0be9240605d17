#include "web/NSWebView.h"

#include "2d/actions/ActionCreate.h"

namespace NSUI {

using namespace cocos2d;

namespace {
const char* kCommandHost = "http://127.0.0.1/";
}

NSWebView* NSWebView::create() {
    auto* view = new (std::nothrow) NSWebView();
    return finishCreate(view, view && view->init());
}

bool NSWebView::init() {
    if (!Node::init())
        return false;
    setAnchorPoint(Vec2::ZERO);
    setPosition(Vec2::ZERO);
    setContentSize(Director::getInstance()->getWinSize());
    setLocalZOrder(100000);
    firstEnter = true;
    pageAddress.clear();
    commandRetry = std::string(kCommandHost) + "retry.html";
    commandBackToMain = std::string(kCommandHost) + "backToMain.html";
    commandRemove = std::string(kCommandHost) + "remove.html";
    commandUpdatePackage = std::string(kCommandHost) + "updateapk.html";
    commandOpenUrl = std::string(kCommandHost) + "openurl.html";
    requestTag = -1;
    return true;
}

void NSWebView::onEnterTransitionDidFinish() {
    Node::onEnterTransitionDidFinish();
    firstEnter = false;
}

void NSWebView::openURL(const std::string& address) {
    log("NSWebView: no web view on this platform for %s", address.c_str());
}

bool NSWebView::onCommandURL(const std::string&) {
    return false;
}

} // namespace NSUI
