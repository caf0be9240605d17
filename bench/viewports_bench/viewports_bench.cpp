// Frame times of the viewing area on a 1280 x 800 window showing the 512 x 512 x 400 CT phantom:
// a window/level drag and slice paging in the one-view and in the four-view layout (the volume
// tile idle), and an oblique plane tilted a little every frame. Prints one JSON line with the
// median and 95th percentile of each, in milliseconds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "BenchVolume.h"
#include "cocos2d.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/display/actor/isActorVR.h"
#include "imaging/display/volume/isVRThreadBest.h"
#include "imaging/display/volume/isVRThreadRT.h"
#include "imaging/viewers/KeyViewProperty.h"
#include "imaging/viewers/appManager.h"
#include "imaging/viewers/isViewerBrowser.h"
#include "imaging/viewers/isViewerImage.h"
#include "imaging/viewers/isViewerMulti.h"
#include "imaging/viewers/isViewerVR.h"
#include "notify/NSNotificationData.h"

using namespace isImageSDK;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kFrames = 120;

struct Times {
    double p50 = 0, p95 = 0;
};

void frame() {
    cocos2d::Director::getInstance()->mainLoop(1.0f / 60);
    glFinish();
}

/// Runs `step` before each of kFrames frames and times step plus frame.
Times timeFrames(const std::function<void(int)>& step) {
    std::vector<double> ms;
    for (int i = 0; i < kFrames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        step(i);
        frame();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)]};
}

/// A drag of the window and a scroll through the slices, as the mouse gives them.
Times dragAndScroll(isViewerMulti* multi) {
    return timeFrames([multi](int i) {
        multi->setWindowLevel(400.0f + float(i * 7 % 300), 40.0f + float(i * 3 % 200));
        multi->sendMessageNoData((i / 20) % 2 ? 9002 : 9001, nullptr);
    });
}

isImageData* toImageData(const BenchVolume& volume) {
    cocos2d::Mat4 m; // rows along x, columns along -z, slices along y: an axial stack
    m.m[5] = 0.0f;
    m.m[6] = -1.0f;
    m.m[9] = 1.0f;
    m.m[10] = 0.0f;
    auto* data = isImageData::create();
    if (!data->buildVolume(volume.dims, volume.spacing, kPixelS16, 0, 0, m))
        return nullptr;
    data->retain();
    const size_t plane = size_t(volume.dims[0]) * size_t(volume.dims[1]);
    for (int z = 0; z < volume.dims[2]; ++z) {
        isSliceInfo* slice = data->getSlice(z);
        std::memcpy(slice->pixels, volume.voxels.data() + plane * size_t(z), plane * sizeof(int16_t));
        slice->modality = kModalityCT;
        slice->windowWidth = 400.0f;
        slice->windowCenter = 40.0f;
        slice->loaded = 1;
    }
    return data;
}

appManager* layout(isImageData* data, int kind, cocos2d::Scene* scene) {
    appManager* manager = appManager::create();
    manager->retain();
    manager->createViewer(data, 0, 0, kWidth, kHeight, kind);
    scene->addChild(manager->getContainer());
    for (int i = 0; i < 5; ++i)
        frame();
    return manager;
}

void drop(appManager* manager) {
    manager->getContainer()->removeFromParent();
    manager->cleanup();
    manager->release();
    frame();
}

} // namespace

int main(int argc, char** argv) {
    BenchVolume volume;
    if (!volume.load(argc, argv))
        return 1;
    cocos2d::FileUtils::getInstance()->addSearchPath(std::string(QP_SOURCE_DIR) + "/imageSDK");
    cocos2d::FileUtils::getInstance()->addSearchPath(QP_BINARY_DIR);
    auto* view = cocos2d::GLViewImpl::createWithRect("viewports bench", cocos2d::Rect(0, 0, kWidth, kHeight));
    if (!view) {
        std::fprintf(stderr, "viewports_bench: no GL window (run it under Xvfb)\n");
        return 1;
    }
    auto* director = cocos2d::Director::getInstance();
    director->setOpenGLView(view);
    auto* scene = cocos2d::Scene::create();
    director->runWithScene(scene);
    frame();
    isImageData* data = toImageData(volume);
    if (!data) {
        std::fprintf(stderr, "viewports_bench: the volume could not be built\n");
        return 1;
    }

    appManager* one = layout(data, appManager::kLayoutAcquired, scene);
    const Times oneView = dragAndScroll(one->getContainer());
    drop(one);

    appManager* four = layout(data, appManager::kLayoutFourViews, scene);
    isViewerMulti* multi = four->getContainer();
    // The volume tile renders its first pictures; timing starts once it is idle.
    for (KeyViewProperty* tile : multi->allViews())
        if (auto* vr = dynamic_cast<isViewerVR*>(tile->getViewer()))
            while (vr->getVRActor() &&
                   (!vr->getVRActor()->getInteractiveThread()->isIdle() || !vr->getVRActor()->getBestThread()->isIdle()))
                frame();
    const Times fourViews = dragAndScroll(multi);

    // The key tile turned oblique and tilted a degree a frame.
    auto* browser = dynamic_cast<isViewerBrowser*>(multi->getKeyView()->getViewer());
    isViewerImage* slice = browser->getCurrentViewer();
    auto* angle = new NSUI::NSNotificationData();
    const Times oblique = timeFrames([&](int) {
        angle->floatValue = 1.0f;
        slice->onMessage(isViewerImage::kRotate, angle, browser);
    });
    angle->release();
    drop(four);

    std::printf("{\"window\":\"%dx%d\",\"volume\":\"%dx%dx%d s16\",\"frames\":%d,"
                "\"one_view_p50_ms\":%.2f,\"one_view_p95_ms\":%.2f,"
                "\"four_views_p50_ms\":%.2f,\"four_views_p95_ms\":%.2f,"
                "\"oblique_p50_ms\":%.2f,\"oblique_p95_ms\":%.2f}\n",
                kWidth, kHeight, volume.dims[0], volume.dims[1], volume.dims[2], kFrames, oneView.p50, oneView.p95,
                fourViews.p50, fourViews.p95, oblique.p50, oblique.p95);
    data->release();
    return 0;
}
