// The corner overlay of a viewport without a display: texts bound to notifications, the cine
// button, sizes from the DPI, patient texts, letters and clearing.

#include <gtest/gtest.h>

#include "WindowFixture.h"
#include "imaging/display/actor/isActorOverlay.h"
#include "imaging/display/overlay/isNodeOverlaySprite.h"
#include "imaging/display/overlay/isNodeOverlayText.h"
#include "imaging/display/overlay/isOverlayCorner.h"
#include "imaging/display/overlay/isOverlayRow.h"
#include "layout/NSLayout.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

class Overlay : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        window = addWindow(Vec2(0, 0), Size(600, 400));
        overlay = window->getActorManager()->getOverlay();
        frames(1);
    }
    void post(unsigned int id, const std::string& text, float value = 0, int intValue = 0) {
        post(id, text, value, intValue, window);
    }
    void post(unsigned int id, const std::string& text, float value, int intValue, Ref* object) {
        auto* data = new NSUI::NSNotificationData();
        data->text = text;
        data->floatValue = value;
        data->intValue = intValue;
        NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, id, data, object, true);
        data->release();
        frames(2);
    }
    /// A tap in the middle of the node, through the touch dispatcher.
    void tap(Node* node) {
        const Size size = node->getContentSize();
        const Vec2 at = node->convertToWorldSpace(Vec2(size.width / 2, size.height / 2));
        input->touchBegan(0, at);
        input->touchEnded(0, at);
        frames(2);
    }

    TestWindow* window = nullptr;
    isActorOverlay* overlay = nullptr;
};

// Keeps the transform its parent was last drawn with.
class DrawProbe : public Node {
public:
    CREATE_FUNC(DrawProbe);
    void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t flags) override {
        drawn = parentTransform;
        Node::visit(renderer, parentTransform, flags);
    }
    Mat4 drawn;
};

} // namespace

TEST_F(Overlay, TextsShowTheValuesOfTheirIds) {
    isNodeOverlayText* study = overlay->addTopLeftText("S12");
    study->bind("S12", "Study ", "!", 9075, false);
    isNodeOverlayText* progress = overlay->addTopLeftText("");
    progress->bind("", "p", "s", 9110, false);
    overlay->addRow(isActorOverlay::kTopLeft);
    isNodeOverlayText* slice = overlay->addTopLeftText("");
    slice->bind("", "Im: ", "", 9073, false);
    isNodeOverlayText* slab = overlay->addTopLeftText("");
    slab->bind("", "T: ", "mm", 9078, false);

    post(9075, "ignored");
    EXPECT_EQ(study->getString(), "Study S12!") << "an id the item cannot show keeps its text";
    post(9110, "", 0.5f);
    EXPECT_EQ(progress->getString(), "(50%) ");
    post(9110, "", 1.0f);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(progress->getString(), "");

    post(9073, "{\"index\":\"-1\",\"count\":\"0\"}");
    EXPECT_FALSE(slice->isVisible());
    post(9073, "{\"index\":\"3\",\"count\":\"10\"}");
    EXPECT_TRUE(slice->isVisible());
    EXPECT_EQ(slice->getString(), "Im: 3/10 ");
    post(9078, "", 2.5f);
    EXPECT_EQ(slab->getString(), "T: 2.50");
    post(9073, "");
    EXPECT_EQ(slice->getString(), "Im: / ") << "a text without keys shows empty values";
}

TEST_F(Overlay, AHiddenSliceTextLetsTheRowsBelowCloseUp) {
    // A corner drawn once a frame (a scene of one camera): a text nearly as wide as its line,
    // then the slice text, which goes on a line of its own; another row below.
    Scene* single = Scene::create();
    director->pushScene(single);
    Node* box = Node::create();
    box->setContentSize(Size(600, 400));
    single->addChild(box);
    isOverlayCorner* corner = isOverlayCorner::create(isActorOverlay::kTopLeft);
    corner->setMetrics(24, 0.0f, 0.0f);
    corner->setPosition(Vec2(0, 400));
    box->addChild(corner);
    isNodeOverlayText* texts[3];
    for (isNodeOverlayText*& text : texts)
        text = isNodeOverlayText::create();
    auto* first = isOverlayRow::create();
    first->addChild(texts[0]);
    first->addChild(texts[1]);
    auto* second = isOverlayRow::create();
    second->addChild(texts[2]);
    corner->addChild(first);
    corner->addChild(second);
    texts[1]->bind("", "Im: ", "", 9073, false);
    texts[2]->setString("below");
    // A line is a little under half the box wide.
    std::string wide;
    while (texts[0]->getContentSize().width < 270.0f)
        texts[0]->setString(wide += "m");
    auto* probe = DrawProbe::create();
    corner->addChild(probe);
    post(9073, "{\"index\":\"3\",\"count\":\"10\"}", 0, 0, nullptr);
    ASSERT_EQ(corner->getLineCount(), 3);

    post(9073, "{\"index\":\"-1\",\"count\":\"0\"}", 0, 0, nullptr);
    EXPECT_EQ(corner->getLineCount(), 2);
    // On screen is the corner at its new size, not its rows a line too low.
    EXPECT_EQ(probe->drawn.m[13], corner->getNodeToWorldTransform().m[13]);
    director->popScene();
}

TEST_F(Overlay, OnlyTheTouchableWindowTextOpensTheEditor) {
    Recorder recorder;
    recorder.listen(isNodeOverlayText::kOpenWindowEditorId, window);
    isNodeOverlayText* plain = overlay->addTopLeftText("");
    plain->bind("400 40", "W: ", "", 9072, false);
    overlay->addRow(isActorOverlay::kTopLeft);
    isNodeOverlayText* editor = overlay->addTopLeftText("");
    editor->bind("400 40", "W: ", "", 9072, true);
    frames(2);
    tap(plain);
    EXPECT_EQ(recorder.count(9023), 0);
    tap(editor);
    EXPECT_EQ(recorder.count(9023), 1);
}

TEST_F(Overlay, PlayButtonCommandsPlayPauseAndShowsTheCineState) {
    isNodeOverlaySprite* button = overlay->addButton();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->getOwner(), window);
    button->bind(isNodeOverlaySprite::kPlayPicture, isNodeOverlaySprite::kPlayPicture,
                 isNodeOverlaySprite::kPlay);
    ASSERT_EQ(button->getImageHeight(), 24) << "the generated picture";
    button->setLineHeight(24);
    EXPECT_FLOAT_EQ(button->getScale(), 0.8f);
    EXPECT_EQ(button->getContentSize(), Size(36, 24));

    Recorder recorder;
    recorder.listen(isNodeOverlaySprite::kPlayPause, window);
    recorder.listen(isNodeOverlaySprite::kPlay, window);
    post(9050, "", 0, 1);
    EXPECT_TRUE(button->isVisible());
    tap(button);
    EXPECT_EQ(recorder.count(9046), 1) << "the image node obeys play/pause, not the state id";
    EXPECT_EQ(recorder.count(9047), 0);

    post(9047, "", 0, 1);
    EXPECT_EQ(button->getNormalFile(), isNodeOverlaySprite::kPausePicture);
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, 9047, nullptr, window, true);
    frames(2);
    EXPECT_EQ(button->getNormalFile(), isNodeOverlaySprite::kPausePicture)
        << "a post without data says nothing";
    post(9047, "", 0, 0);
    EXPECT_EQ(button->getNormalFile(), isNodeOverlaySprite::kPlayPicture);
    post(9050, "", 0, 0);
    EXPECT_FALSE(button->isVisible()) << "a single frame needs no cine";

    isNodeOverlaySprite* unseen = overlay->addButton();
    unseen->bind("imageSDK/none.png", "", isNodeOverlaySprite::kSlower);
    unseen->setLineHeight(30.9f);
    EXPECT_FLOAT_EQ(unseen->getScale(), 1.0f) << "a missing picture has no height to divide by";
    EXPECT_EQ(unseen->getContentSize(), Size(45, 30));
}

TEST_F(Overlay, SizesFollowTheDpi) {
    isNodeOverlayText* text = overlay->addBottomLeftText("x");
    overlay->addBottomLeftRow();
    overlay->addBottomLeftText("y");
    isNodeOverlaySprite* button = overlay->addButton();
    overlay->setOrientationLabels("A", "P", "R", "L");
    EXPECT_EQ(overlay->getItemWidth(), 300);

    overlay->relayoutForDpi(96);
    EXPECT_EQ(overlay->getFontSize(), 20);
    EXPECT_EQ(overlay->getLineHeight(), 24);
    EXPECT_EQ(text->getFontSize(), 20.0f);
    EXPECT_EQ(button->getLineHeight(), 24);
    EXPECT_EQ(overlay->getEdgeLabel(isActorOverlay::kTop)->getFontSize(), 20.0f);
    EXPECT_EQ(overlay->getCornerLayout(isActorOverlay::kBottomLeft)->getContentSize(), Size(300, 48));

    overlay->relayoutForDpi(300);
    EXPECT_EQ(overlay->getFontSize(), 30);
    EXPECT_EQ(overlay->getLineHeight(), 34);
    EXPECT_EQ(overlay->getCornerLayout(isActorOverlay::kTopRight)->getContentSize(), Size(300, 34));
}

TEST_F(Overlay, TextsOfARowAreKeptApartByTheirTrailingSpaces) {
    isNodeOverlayText* first = overlay->addBottomLeftText("");
    first->bind("Sample data", "", " ", 9079, false);
    isNodeOverlayText* second = overlay->addBottomLeftText("");
    second->bind("PHANTOM", "", " ", 9080, false);
    overlay->relayoutForDpi(96); // both on one line of the corner
    frames(2);

    Label* ink = Label::create();
    ui::Text::applyFont(ink, first->getFontName(), first->getFontSize());
    ink->setString("Sample data");
    const float gap = second->getBoundingBox().getMinX() - first->getBoundingBox().getMinX() -
                      ink->getContentSize().width;
    EXPECT_GE(gap, first->getFontSize() * 0.2f) << "the two texts run together";
}

TEST_F(Overlay, PatientTextsLettersVisibilityAndClearing) {
    isNodeOverlayText* hospital = overlay->addTopRightText("old");
    hospital->bind("old", "", "", 9079, false);
    isNodeOverlayText* patient = overlay->addTopLeftText("");
    patient->bind("", "Name: ", "", 9081, false);
    isNodeOverlayText* position = overlay->addBottomLeftText("");
    position->bind("kept", "", "", 9077, false);
    hospital->setName("hospital");

    post(9084, "{\"patient\":\"DOE^J\",\"studyID\":\"7\"}");
    EXPECT_EQ(hospital->getString(), "") << "a missing key empties its item";
    EXPECT_EQ(patient->getString(), "Name: DOE^J");
    EXPECT_EQ(position->getString(), "kept");

    // The item sits in the third corner searched; it is still found.
    overlay->setItemVisible("hospital", false);
    EXPECT_FALSE(hospital->isVisible());
    EXPECT_EQ(overlay->findItem("hospital"), hospital);

    post(9070, "{\"t\":\"A\",\"r\":\"L\",\"b\":\"P\",\"l\":\"R\"}");
    ASSERT_NE(overlay->getEdgeLabel(isActorOverlay::kRight), nullptr);
    EXPECT_EQ(overlay->getEdgeLabel(isActorOverlay::kTop)->getString(), "A");
    EXPECT_EQ(overlay->getEdgeLabel(isActorOverlay::kRight)->getString(), "L");
    EXPECT_EQ(overlay->getEdgeLabel(isActorOverlay::kLeft)->getString(), "R");
    overlay->setOverlayVisible(false);
    EXPECT_FALSE(overlay->getCornerLayout(isActorOverlay::kTopLeft)->isVisible());

    overlay->addRow(isActorOverlay::kTopLeft);
    overlay->addRow(isActorOverlay::kTopLeft);
    overlay->clearOverlay();
    EXPECT_TRUE(overlay->getPlainNodes().empty());
    EXPECT_EQ(overlay->getCornerLayout(isActorOverlay::kTopLeft), nullptr);
    overlay->addTopLeftText("fresh");
    EXPECT_TRUE(overlay->getItems().size() == 1);
    overlay->relayoutForDpi(96);
    EXPECT_EQ(overlay->getRowCount(isActorOverlay::kTopLeft), 1);
    EXPECT_EQ(overlay->getCornerLayout(isActorOverlay::kTopLeft)->getContentSize().height, 24.0f);
}
