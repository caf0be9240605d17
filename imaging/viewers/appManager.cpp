#include "imaging/viewers/appManager.h"

#include "imaging/core/data/isImageData.h"
#include "imaging/display/isNodeImageByShader.h"
#include "imaging/display/window/isViewWarmUp.h"
#include "imaging/display/window/OrientationLabels.h"
#include "imaging/viewers/KeyViewProperty.h"
#include "imaging/viewers/isViewerBrowser.h"
#include "imaging/viewers/isViewerMulti.h"
#include "imaging/viewers/isViewerVR.h"

namespace isImageSDK {

namespace {

constexpr int kContainerZOrder = -100;

} // namespace

appManager* appManager::create() {
    auto* manager = new (std::nothrow) appManager();
    if (manager && manager->init()) {
        manager->autorelease();
        return manager;
    }
    delete manager;
    return nullptr;
}

void appManager::prepareDrawing(bool warmUp) {
    if (!drawingPrepared) {
        drawingPrepared = true;
        isNodeImageByShader::holdSharedProgram();
    }
    if (warmUp)
        isViewWarmUp::run();
}

appManager::~appManager() {
    appManager::cleanup();
}

bool appManager::init() {
    rect = cocos2d::Rect::ZERO;
    imageData = nullptr;
    container = nullptr;
    return true;
}

void appManager::cleanup() {
    CC_SAFE_RELEASE_NULL(container);
    if (drawingPrepared) {
        drawingPrepared = false;
        isNodeImageByShader::dropSharedProgram();
    }
}

void appManager::createViewer(isImageData* data, float x, float y, float width, float height, int layout) {
    if (!container) {
        container = isViewerMulti::create();
        if (!container)
            return;
        container->retain();
        container->setLocalZOrder(kContainerZOrder);
        container->setContentSize(cocos2d::Size(width, height));
        container->setPosition(cocos2d::Vec2(x, y));
    }
    rect = cocos2d::Rect(x, y, width, height);
    imageData = data;
    const cocos2d::Rect whole(0.0f, 0.0f, width, height);
    if (layout == kLayoutSingle || !data || !data->isVolume()) {
        container->buildSingleView(isViewer::kModeAcquired, whole, data);
        return;
    }
    if (layout != kLayoutAcquired) {
        buildFourViews();
        return;
    }
    data->Update();
    uint32_t mode = isViewer::kModeAcquired;
    if (data->getSliceCount() > 0)
        mode = static_cast<uint32_t>(classifySliceOrientation(data->getSlice(0)));
    container->buildSingleView(mode, whole, data);
}

void appManager::setLayout(int) {
    if (!container || !imageData)
        return;
    container->clearViews();
    buildFourViews();
}

void appManager::setImageData(isImageData* data) {
    if (!container)
        return;
    imageData = data;
    container->clearViews();
    container->buildSingleView(isViewer::kModeAcquired, cocos2d::Rect(cocos2d::Vec2::ZERO, rect.size), data);
}

void appManager::buildFourViews() {
    const double width = rect.size.width;
    const double height = rect.size.height;
    const float w = static_cast<float>(width * 0.5 - 2.0);
    const float h = static_cast<float>(height * 0.5 - 2.0);
    struct Place {
        float x, y;
        uint32_t mode;
    };
    const float right = static_cast<float>(width - w);
    const float top = static_cast<float>(height - h);
    const Place places[] = {
        {0.0f, top, isViewer::kModeAxial},
        {right, top, isViewer::kModeCoronal},
        {right, 0.0f, isViewer::kModeVolume},
        {0.0f, 0.0f, isViewer::kModeSagittal},
    };
    for (const Place& place : places) {
        if (!imageData || !imageData->isVolume())
            continue;
        container->buildSingleView(place.mode, cocos2d::Rect(place.x, place.y, w, h), imageData);
        container->setBackGroundColorOpacity(0);
    }
}

} // namespace isImageSDK
