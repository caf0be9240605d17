// The volume viewer without a display: camera presets, the orbiting cine, colour tables and the
// maximise moves, read back from the camera, the actor and what the viewer posts.

#include <gtest/gtest.h>

#include <cmath>
#include <list>

#include "base/__Array.h"
#include "base/__String.h"
#include "dict/NSDictionary.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/display/actor/isActorVR.h"
#include "imaging/display/interactor/isInteractorTrackVR.h"
#include "imaging/viewers/isViewerVR.h"
#include "imaging_display/WindowFixture.h"
#include "imaging_display/display_volumes.h"
#include "support/TestSupport.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

class VolumeViewer : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/imageSDK");
        owner = Node::create();
        scene->addChild(owner);
        viewer = isViewerVR::create();
        viewer->setContentSize(Size(200, 200));
        viewer->setPosition(Vec2(20, 30));
        viewer->setOwnerWindow(owner);
        owner->addChild(viewer);
        viewer->setVolumeMode5();
    }
    void TearDown() override {
        for (isImageData* data : volumes)
            data->release();
        WindowFixture::TearDown();
    }
    isImageData* volume(int slices) {
        volumes.push_back(makeVolume(16, 12, slices, kPixelS16, [](int x, int, int z) { return float(x + 10 * z); }));
        return volumes.back();
    }
    /// Where the camera stands relative to what it looks at, as a unit vector.
    Vec3 viewSide() const {
        isCameraState state;
        viewer->getCameraState(state);
        Vec3 d = Vec3(state.position) - Vec3(state.focalPoint);
        d.normalize();
        return d;
    }
    void send(unsigned int id, NSUI::NSNotificationData* data = nullptr) { viewer->onMessage(id, data, nullptr); }
    static NSUI::NSNotificationData* payload(int tag, const std::string& text = "") {
        auto* data = new NSUI::NSNotificationData();
        data->autorelease();
        data->tag = tag;
        data->text = text;
        return data;
    }

    /// The int values posted under the id to observers of the object, as they arrive.
    std::vector<int>& listen(unsigned int id, Ref* object) {
        received.emplace_back();
        std::vector<int>* into = &received.back();
        NSUI::NSNotificationCenter::getInstance()->addObserver(
            this, object, [into](Ref*, unsigned int, NSUI::NSNotificationData* d) { into->push_back(d->intValue); },
            id);
        return *into;
    }

    std::list<std::vector<int>> received;
    Node* owner = nullptr;
    isViewerVR* viewer = nullptr;
    std::vector<isImageData*> volumes;
};

} // namespace

TEST_F(VolumeViewer, PresetsLookFromTheirSideOfThePatient) {
    // World axes of the made volumes: x to the patient's left, y superior, z anterior.
    viewer->setImageData(volume(10));
    ASSERT_NE(viewer->getVRActor(), nullptr);
    EXPECT_TRUE(viewer->getVRActor()->isVisible());
    EXPECT_EQ(dynamic_cast<isInteractorTrackVR*>(viewer->getInteractor()) != nullptr, true);
    EXPECT_GT(viewSide().z, 0.99f) << "data arrives seen from the front";
    const struct {
        int preset;
        Vec3 side;
    } expected[] = {{isViewerVR::kSuperior, Vec3(0, 1, 0)},  {isViewerVR::kInferior, Vec3(0, -1, 0)},
                    {isViewerVR::kAnterior, Vec3(0, 0, 1)},  {isViewerVR::kPosterior, Vec3(0, 0, -1)},
                    {isViewerVR::kRight, Vec3(-1, 0, 0)},    {isViewerVR::kLeft, Vec3(1, 0, 0)}};
    for (const auto& e : expected) {
        auto* data = new NSUI::NSNotificationData();
        data->intValue = e.preset;
        send(isViewerVR::kPreset, data);
        data->release();
        EXPECT_GT(viewSide().dot(e.side), 0.99f) << "preset " << e.preset;
    }
}

TEST_F(VolumeViewer, CineNeedsTwoSlicesClampsItsSpeedAndStepsOncePerFrame) {
    std::vector<int>& states = listen(isViewerVR::kCineState, owner);
    viewer->setImageData(volume(1));
    send(isViewerVR::kCine);
    EXPECT_FALSE(viewer->isCineRunning());
    frames(1);
    EXPECT_EQ(states, std::vector<int>{0});

    viewer->setImageData(volume(8));
    // New data, new actor: the one the window's manager holds, bound to the new volume.
    EXPECT_EQ(viewer->getVRActor(), viewer->getActorManager()->peekVRActor());
    EXPECT_EQ(viewer->getVRActor()->getImageData(), volumes.back());
    // Stopped: 9054 turns back one frame, wrapping, and the camera by +5 degrees.
    const Vec3 before = viewSide();
    send(isViewerVR::kSlowerOrPrevious);
    EXPECT_EQ(viewer->getCineFrame(), isViewerVR::kCineFrames - 1);
    EXPECT_NEAR(std::acos(std::min(1.0f, before.dot(viewSide()))), 0.0872665f, 1e-3f);

    send(isViewerVR::kCine);
    ASSERT_TRUE(viewer->isCineRunning());
    for (int i = 0; i < 3; ++i)
        send(isViewerVR::kSlowerOrPrevious);
    EXPECT_EQ(viewer->getTicksPerFrame(), isViewerVR::kMaxTicksPerFrame);
    for (int i = 0; i < 7; ++i)
        send(isViewerVR::kFasterOrNext);
    EXPECT_EQ(viewer->getTicksPerFrame(), isViewerVR::kMinTicksPerFrame);
    // A slow frame owes the 5 ms timer hundreds of calls: the view still turns one step.
    input->frame(0.2f);
    const int frame = viewer->getCineFrame();
    input->frame(3.0f);
    EXPECT_EQ(viewer->getCineFrame(), (frame + 1) % isViewerVR::kCineFrames);
    send(isViewerVR::kCine);
    EXPECT_FALSE(viewer->isCineRunning());
}

TEST_F(VolumeViewer, ColourTablesFillTheirBytesInTheFileOrder) {
    viewer->setImageData(volume(6));
    const uint8_t* colors = viewer->getVRActor()->getSettings().colors;
    auto firstValue = [](const char* file, const char* key) {
        const std::string path = FileUtils::getInstance()->fullPathForFilename(file);
        NSUI::NSDictionary* table = NSUI::NSDictionary::createWithContentsOfFile(path.c_str());
        auto* array = dynamic_cast<__Array*>(table->objectForKey(key));
        const int value = dynamic_cast<__String*>(array->getObjectAtIndex(200))->intValue();
        table->release();
        return value;
    };
    viewer->applyColorTable("Perfusion.plist");
    EXPECT_EQ(colors[600], firstValue("Perfusion.plist", "Blue"));
    EXPECT_EQ(colors[602], firstValue("Perfusion.plist", "Red"));
    send(isViewerVR::kColorTable, payload(0, "HotMetal.plist"));
    EXPECT_EQ(colors[600], firstValue("HotMetal.plist", "Red"));
    // Missing files and too-short names leave the table as it was.
    viewer->applyColorTable("Missing.plist");
    viewer->applyColorTable("x");
    EXPECT_EQ(colors[600], firstValue("HotMetal.plist", "Red"));
    viewer->applyColorTable("bwInverse.plist");
    EXPECT_EQ(colors[3], 254);

    send(isViewerVR::kSetWindow, payload(0, "{\"ww\":\"500\",\"wl\":\"60\"}"));
    EXPECT_FLOAT_EQ(viewer->getVRActor()->getSettings().windowWidth, 500.0f);
    EXPECT_FLOAT_EQ(viewer->getVRActor()->getSettings().windowLevel, 60.0f);
}

TEST_F(VolumeViewer, MaximiseAndStepAside) {
    viewer->setImageData(volume(6));
    const int other = static_cast<int>(viewer->getRefID()) + 1000;
    send(isViewerVR::kMaximize, payload(other));
    EXPECT_EQ(viewer->getPosition(), Vec2(10000, 10000));
    EXPECT_EQ(viewer->getContentSize(), Size(128, 128));
    viewer->getVRActor()->setRedrawFlag(false);
    send(isViewerVR::kMaximize, payload(other));
    EXPECT_EQ(viewer->getPosition(), Vec2(20, 30));
    EXPECT_EQ(viewer->getContentSize(), Size(200, 200));
    EXPECT_TRUE(viewer->getVRActor()->getRedrawFlag()) << "back in view, the picture is rendered again";

    std::vector<int>& states = listen(isViewerVR::kMaximizedState, nullptr);
    const Vec3 side = viewSide();
    send(isViewerVR::kMaximize, payload(int(viewer->getRefID()), "{\"w\":\"640\",\"h\":\"480\"}"));
    EXPECT_EQ(viewer->getPosition(), Vec2::ZERO);
    EXPECT_EQ(viewer->getContentSize(), Size(640, 480));
    EXPECT_GT(viewSide().dot(side), 0.999f);
    send(isViewerVR::kMaximize, payload(int(viewer->getRefID())));
    EXPECT_EQ(viewer->getContentSize(), Size(200, 200));
    for (int i = 0; i < 100 && states.size() < 2; ++i)
        input->frame();
    EXPECT_EQ(states, (std::vector<int>{1, 0}));
}
