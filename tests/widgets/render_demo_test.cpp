// A demo screen drawn under Xvfb: a list with a highlighted row, a pop-up menu, a text field
// with typed text and a toast. Pixel probes check that each is on screen; the frame is also
// written to <build>/widgets_demo.png for a look.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "2d/Label.h"
#include "2d/LayerColor.h"
#include "base/messageView.h"
#include "cocos2d.h"
#include "menu/NSMenu.h"
#include "notify/NSNotificationCenter.h"
#include "support/GLWindowFixture.h"
#include "support/TestSupport.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "text/NSTextField.h"

using namespace cocos2d;
using namespace NSUI;

namespace {

const int kW = 640;
const int kH = 480;

struct Px {
    int r, g, b;
};

Px readPixel(int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

class Name : public Ref {
public:
    explicit Name(const std::string& t) : text(t) { autorelease(); }
    std::string text;
};

// Rows with a label each, on alternating backgrounds.
class Patients : public NSTableViewDelegate {
public:
    Patients() {
        highlightEnabled = true;
        highlightColor = Color4B(255, 200, 0, 255);
    }
    Size tableCellSizeForIndex(NSTableView*, int64_t, Ref*) override { return Size(300, 40); }
    NSTableViewCell* tableCellAtIndex(NSTableView* table, int64_t index, const Size& size) override {
        NSTableViewCell* cell = table->cellAtIndex(index);
        if (!cell)
            cell = table->dequeueCell();
        if (!cell) {
            cell = NSTableViewCell::create();
            LayerColor* stripe = LayerColor::create(Color4B(60, 60, 70, 255), size.width, size.height - 2);
            cell->addChild(stripe, -200, 1);
            Label* label = Label::createWithSystemFont("", "", 20);
            label->setAnchorPoint(Vec2(0, 0.5f));
            label->setPosition(Vec2(12, size.height / 2));
            cell->addChild(label, 0, 2);
        }
        static_cast<Label*>(cell->getChildByTag(2))
            ->setString(static_cast<Name*>(table->rows.at(index))->text);
        return cell;
    }
};

TEST(WidgetsDemo, ListMenuTextFieldAndToastAreDrawn) {
    GLViewImpl* view = qptest::openGLWindow("widgets demo", kW, kH);
    if (!view)
        GTEST_SKIP() << "no display for a GL window";
    Director* director = Director::getInstance();
    // The toolkit's pictures are generated into the build tree.
    FileUtils::getInstance()->addSearchPath(QP_BINARY_DIR, true);
    director->setClearColor(Color4F(0.1f, 0.1f, 0.15f, 1));
    Scene* scene = Scene::create();
    director->runWithScene(scene);
    auto frame = [&] { director->mainLoop(1.0f / 60); };
    frame();

    Patients patients;
    NSListView* list = NSListView::create();
    list->setContentSize(Size(300, 400));
    list->setPosition(Vec2(20, 60));
    list->delegate = &patients;
    for (int i = 0; i < 30; ++i)
        list->rows.pushBack(new Name("Patient " + std::to_string(i + 1)));
    scene->addChild(list);
    list->reloadData();
    list->selectCellAtIndex(2);

    NSMenu* menu = NSMenu::create();
    menu->setPosition(Vec2(360, 300));
    scene->addChild(menu);
    NSMenu::menuObject* first = nullptr;
    NSMenu::menuObject* last = nullptr;
    for (const char* title : {"Open series", "Send to node", "Share by mail"}) {
        auto* e = new NSMenu::menuObject();
        e->autorelease();
        e->title = title;
        e->notificationId = 9600;
        (last ? last->next : first) = e;
        last = e;
    }
    menu->showMenu(first);

    NSTextField* field = NSTextField::create("Search", Size(240, 40));
    field->setAnchorPoint(Vec2::ZERO);
    field->setPosition(Vec2(360, 220));
    field->setLineHeight(40);
    scene->addChild(field);
    LayerColor* fieldBack = LayerColor::create(Color4B(235, 235, 235, 255), 250, 40);
    fieldBack->setPosition(Vec2(355, 220));
    scene->addChild(fieldBack, -1);
    field->attachWithIME();
    InputInjector::getInstance()->insertText("Hello 42");

    messageView::showMessage("Series saved", 3.0f);
    frame();
    frame();

    // The highlighted third row, a plain row, the menu's rows and the toast's dark band.
    Px selected = readPixel(300, 60 + 400 - 40 * 2 - 20);
    EXPECT_GT(selected.r, 200);
    EXPECT_GT(selected.g, 150);
    EXPECT_LT(selected.b, 60);
    Px plain = readPixel(300, 60 + 400 - 40 * 5 - 20);
    EXPECT_NEAR(plain.r, 60, 10);
    Px menuRow = readPixel(360 + 155, 300 + 100);
    EXPECT_NEAR(menuRow.r, 90, 20);
    Px toast = readPixel(kW / 2 - 200, static_cast<int>(kH * 0.15f));
    EXPECT_LT(toast.r, 60);
    int blue = 0;
    for (int x = 360; x < 600; ++x)
        for (int y = 222; y < 258; y += 2) {
            Px p = readPixel(x, y);
            blue += p.b > 150 && p.r < 120 && p.g < 120;
        }
    EXPECT_GT(blue, 10) << "typed text drawn in blue";

    std::string shot = std::string(QP_BINARY_DIR) + "/widgets_demo.png";
    bool written = false;
    utils::captureScreen([&](bool ok, const std::string&) { written = ok; }, shot);
    for (int i = 0; i < 100 && !written; ++i)
        frame();
    EXPECT_TRUE(written);

    field->detachWithIME();
    director->reset();
    NSNotificationCenter::destroyInstance();
    director->setOpenGLView(nullptr);
    view->release();
}

} // namespace
