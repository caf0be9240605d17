// Toasts, the busy overlay and its notifications, the response window, the pop-up menu and
// the web view node.

#include "WidgetsFixture.h"

#include <string>
#include <vector>

#include "2d/Label.h"
#include "2d/Layer.h"
#include "base/Touch.h"
#include "base/messageView.h"
#include "menu/NSMenu.h"
#include "notify/NSNotificationData.h"
#include "overlay/NSResponseWindow.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "ui/Button.h"
#include "ui/Layout.h"
#include "ui/Text.h"
#include "web/NSWebView.h"

using namespace cocos2d;
using namespace NSUI;

namespace {

class ControlsTest : public qptest::WidgetsFixture {
protected:
    int countNamed(Node* parent, const std::string& name) {
        int n = 0;
        for (Node* child : parent->getChildren())
            n += child->getName() == name ? 1 : 0;
        return n;
    }
    std::string toastText(Scene* s) {
        auto* text = dynamic_cast<ui::Text*>(s->getChildByNameDeep(UIControlBase::kMessageTextName));
        return text ? text->getString() : "<none>";
    }
};

// A mixin user that is not a widget.
struct Plain : public UIControlBase {};

TEST_F(ControlsTest, ASecondToastReplacesTheFirstAndRestartsItsTime) {
    Plain plain;
    plain.showMessageBox("saved", 2.0f);
    input->advance(1.0f);
    messageView::showMessage("sent", 2.0f);
    messageView::showMessage("sent twice", 2.0f);
    EXPECT_EQ(countNamed(scene, UIControlBase::kMessageBoxName), 1);
    EXPECT_EQ(countNamed(scene, messageView::kHolderName), 1);
    EXPECT_EQ(toastText(scene), "sent twice");
    Node* box = scene->getChildByName(UIControlBase::kMessageBoxName);
    EXPECT_FLOAT_EQ(box->getContentSize().height, 80.0f);
    EXPECT_EQ(box->getPosition(), Vec2(400, 90));
    input->advance(1.5f);
    EXPECT_TRUE(box->isVisible());
    input->advance(0.6f);
    EXPECT_FALSE(box->isVisible());

    // The next screen builds its own toast.
    Scene* next = Scene::create();
    director->replaceScene(next);
    input->frame();
    messageView::showMessage("again", 1.0f);
    EXPECT_EQ(countNamed(next, UIControlBase::kMessageBoxName), 1);
    EXPECT_EQ(toastText(next), "again");
}

TEST_F(ControlsTest, ToastWithoutARunningSceneDoesNothing) {
    director->reset();
    ASSERT_EQ(director->getRunningScene(), nullptr);
    messageView::showMessage("nobody sees this", 1.0f);
    Plain().showMessageBox("nor this", 1.0f);
}

TEST_F(ControlsTest, RelativeParameterOnlyForWidgetsAndValidAlignments) {
    Plain plain;
    plain.setControlOwner(Node::create());
    plain.setRelativeLayoutParameter(5, "x", ui::Margin());
    ui::Layout* owner = ui::Layout::create();
    plain.setControlOwner(owner);
    plain.setRelativeLayoutParameter(0, "x", ui::Margin());
    plain.setRelativeLayoutParameter(10, "x", ui::Margin());
    EXPECT_EQ(owner->getLayoutParameter(ui::LayoutParameter::Type::RELATIVE), nullptr);
    plain.setRelativeLayoutParameter(9, "corner", ui::Margin(1, 2, 3, 4));
    auto* p = dynamic_cast<ui::RelativeLayoutParameter*>(
        owner->getLayoutParameter(ui::LayoutParameter::Type::RELATIVE));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->getAlign(), ui::RelativeLayoutParameter::RelativeAlign::PARENT_RIGHT_BOTTOM);
    EXPECT_EQ(p->getRelativeName(), "corner");
    EXPECT_TRUE(p->getMargin().equals(ui::Margin(1, 2, 3, 4)));
}

TEST_F(ControlsTest, OverlayShowsProgressAndMessagesFromNotifications) {
    NSActivity::hide(); // nothing to hide
    NSActivity* a = NSActivity::show(scene);
    EXPECT_EQ(NSActivity::show(scene), a);
    EXPECT_EQ(countNamed(scene, "activity"), 1);

    auto* centre = NSNotificationCenter::getInstance();
    centre->postNotificationWithString(nullptr, NSActivity::kBusyTextId, "importing", nullptr, true);
    centre->postNotificationWithInt(nullptr, NSActivity::kProgressId, 42, nullptr, true);
    input->advance(0.6f);
    auto* progress = dynamic_cast<Label*>(a->getChildByTag(NSActivity::kProgressTag));
    auto* message = dynamic_cast<Label*>(a->getChildByTag(NSActivity::kMessageTag));
    ASSERT_NE(progress, nullptr);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(progress->getString(), "42");
    EXPECT_EQ(message->getString(), "importing");
    EXPECT_EQ(message->getPosition(), Vec2(400, 400));
    centre->postNotificationWithInt(nullptr, NSActivity::kProgressId, 43, nullptr, true);
    input->advance(0.1f);
    EXPECT_EQ(a->getChildByTag(NSActivity::kProgressTag), progress);
    EXPECT_EQ(progress->getString(), "43");

    NSActivity::hide();
    EXPECT_EQ(NSActivity::current(), nullptr);
    EXPECT_EQ(countNamed(scene, "activity"), 0);
    centre->postNotificationWithInt(nullptr, NSActivity::kProgressId, 44, nullptr, true);
    input->advance(0.1f);
}

TEST_F(ControlsTest, OverlayButtonPostsOnTheNextTick) {
    NSActivity* a = NSActivity::show(scene);
    a->addButton("Cancel", Color3B::BLACK);
    int presses = 0;
    int owner = 0;
    NSNotificationCenter::getInstance()->addObserver(
        &owner, nullptr,
        [&](Ref* sender, unsigned int, NSNotificationData*) { presses += sender == a ? 1 : 0; },
        NSActivity::kButtonId);
    input->advance(0.6f);
    input->touchBegan(0, Vec2(400, 150));
    input->touchEnded(0, Vec2(400, 150));
    EXPECT_EQ(presses, 0);
    input->frame();
    EXPECT_EQ(presses, 1);
    NSNotificationCenter::getInstance()->removeObserver(&owner);
}

TEST_F(ControlsTest, OverlayFollowsToTheNextScreenWhenItsScreenIsGone) {
    Layer* screen = Layer::create();
    scene->addChild(screen);
    NSActivity* a = NSActivity::show(screen);
    screen->removeFromParent();
    Layer* next = Layer::create();
    scene->addChild(next);
    EXPECT_EQ(NSActivity::show(next), a);
    EXPECT_EQ(a->getParent(), next);
    EXPECT_GT(a->getChildByTag(NSActivity::kSpinnerTag)->getNumberOfRunningActions(), 0);
    // While its screen is on show it stays where it is.
    Layer* other = Layer::create();
    scene->addChild(other);
    NSActivity::show(other);
    EXPECT_EQ(a->getParent(), next);
}

TEST_F(ControlsTest, ResponseWindowSwallowsTouchesStrictlyInside) {
    int behind = 0;
    ui::Layout* button = ui::Layout::create();
    button->setContentSize(Size(800, 600));
    button->setTouchEnabled(true);
    button->addClickEventListener([&](Ref*) { ++behind; });
    scene->addChild(button);
    NSResponseWindow* window = NSResponseWindow::create();
    scene->addChild(window);
    input->touchBegan(0, Vec2(300, 300));
    input->touchEnded(0, Vec2(300, 300));
    EXPECT_EQ(behind, 0);

    auto* edge = new Touch();
    edge->setTouchInfoInGL(1, Vec2(0, 300));
    EXPECT_FALSE(window->onTouchBegan(edge, nullptr));
    edge->setTouchInfoInGL(1, Vec2(1, 300));
    EXPECT_TRUE(window->onTouchBegan(edge, nullptr));
    edge->release();
}

TEST_F(ControlsTest, MenuSizesItselfAndPostsTheTouchedEntry) {
    NSMenu* menu = NSMenu::create();
    scene->addChild(menu);
    std::vector<NSMenu::menuObject*> entries;
    const char* titles[] = {"Open", "Properties", "Rotate9"};
    for (int i = 0; i < 3; ++i) {
        auto* e = new NSMenu::menuObject();
        e->autorelease();
        e->title = titles[i];
        e->text = std::string("text") + std::to_string(i);
        e->notificationId = 9500 + i;
        if (!entries.empty())
            entries.back()->next = e;
        entries.push_back(e);
    }
    menu->showMenu(entries[0]);
    NSListView* list = menu->getListView();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->getContentSize(), Size(130, 120));
    ASSERT_EQ(list->getRowCount(), 3);
    NSTableViewCell* row = list->cellAtIndex(1);
    ASSERT_NE(row, nullptr);
    EXPECT_FALSE(row->getChildByTag(NSMenu::kIconTag)->isVisible());
    EXPECT_FLOAT_EQ(row->getChildByTag(NSMenu::kLabelTag)->getPositionX(), 10.0f);
    EXPECT_EQ(static_cast<Label*>(row->getChildByTag(NSMenu::kLabelTag))->getString(), "Properties");

    std::string received;
    int owner = 0;
    NSNotificationCenter::getInstance()->addObserver(
        &owner, nullptr, [&](Ref*, unsigned int, NSNotificationData* d) { received = d ? d->text : "?"; },
        9501);
    input->advance(0.6f);               // the centre's tick starts half a second after its creation
    input->touchBegan(0, Vec2(50, 60)); // the middle row
    input->touchEnded(0, Vec2(50, 60));
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(received, "");
    input->frame();
    EXPECT_EQ(received, "text1");
    NSNotificationCenter::getInstance()->removeObserver(&owner);
}

TEST_F(ControlsTest, WebViewCoversTheWindowAndNeverNavigates) {
    NSWebView* web = NSWebView::create();
    EXPECT_EQ(web->getContentSize(), Size(800, 600));
    EXPECT_EQ(web->getLocalZOrder(), 100000);
    EXPECT_EQ(web->getURL(), "");
    EXPECT_EQ(web->getRequestTag(), -1);
    EXPECT_NE(web->retryURL().find("retry.html"), std::string::npos);
    EXPECT_NE(web->updatePackageURL().find("updateapk.html"), std::string::npos);
    EXPECT_TRUE(web->isFirstEnter());
    scene->addChild(web);
    web->onEnterTransitionDidFinish();
    EXPECT_FALSE(web->isFirstEnter());
    EXPECT_FALSE(web->onCommandURL(web->retryURL()));
    NSWebView::openURL("http://127.0.0.1/");
}

} // namespace
