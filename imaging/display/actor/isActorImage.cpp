#include "imaging/display/actor/isActorImage.h"

#include <algorithm>
#include <cmath>

#include "imaging/core/cache/KeyHash.h"
#include "imaging/core/clut/isClut.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/reslice/isImagePlane.h"
#include "imaging/core/reslice/isImageReslice2D.h"
#include "imaging/core/reslice/isImageSlice.h"
#include "imaging/core/roi/ROIData.h"
#include "imaging/display/actor/RegionStatistics.h"
#include "imaging/display/isNodeImageByShader.h"
#include "imaging/display/window/OrientationLabels.h"
#include "imaging/display/window/PatientAxes.h"
#include "imaging/display/window/isRenderWindow.h"
#include "notify/NSNotificationCenter.h"
#include "util/StringUtils.h"

namespace isImageSDK {

namespace {

const char* const kPlaceholderTexture = "imageSDK/spriteExample.png";
const int kAxialSum = 303;
const int kSagittalSum = 301;
const int kCoronalSum = 314;

template <class T> T* retained(T* object) {
    if (object)
        object->retain();
    return object;
}

// The text of a slice position in patient millimetres, by the plane the slice lies in.
std::string positionTextFor(int labelSum, const cocos2d::Vec3& p) {
    switch (labelSum) {
    case kAxialSum:
        return p.z > 0 ? formatString("S:%.1fmm", p.z) : formatString("I:%.1fmm", -p.z);
    case kSagittalSum:
        return p.x > 0 ? formatString("L:%.1fmm", p.x) : formatString("R:%.1fmm", -p.x);
    case kCoronalSum:
        return p.y > 0 ? formatString("P:%.1fmm", p.y) : formatString("A:%.1fmm", -p.y);
    default:
        return std::string();
    }
}

} // namespace

isActorImage* isActorImage::create() {
    return createObject<isActorImage>();
}

isActorImage::~isActorImage() {
    isActorImage::cleanup();
}

bool isActorImage::init() {
    if (!isActorObject::init())
        return false;
    isNodeImage* node = isNodeImageByShader::create();
    if (!node)
        node = isNodeImage::create();
    clut = retained(isClut::create());
    sliceFilter = retained(isImageSlice::create());
    resliceFilter = retained(isImageReslice2D::create());
    planeFilter = retained(isImagePlane::create());
    if (!node || !clut || !sliceFilter || !resliceFilter || !planeFilter)
        return false;
    imageNode = retained(node);
    if (cocos2d::FileUtils::getInstance()->isFileExist(kPlaceholderTexture))
        imageNode->setTexture(kPlaceholderTexture);
    imageNode->setAnchorPoint(cocos2d::Vec2::ANCHOR_BOTTOM_LEFT);
    addSceneNode(imageNode);
    imageNode->setClut(clut);
    sliceFilter->setInputImage(planeFilter->getOutputImage());
    imageNode->setFilter(sliceFilter);
    slabThickness = 1.0f;
    filterParameter = 1;
    orientation = 0;
    planeMode = true;
    sliceIndex = 0;
    postingEnabled = true;
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, this,
        [this](cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
            onNotification(sender, id, data);
        },
        kImageLoadedId);
    return true;
}

void isActorImage::cleanup() {
    isActorObject::cleanup();
    if (clut)
        clut->notificationObject = nullptr;
    if (imageNode)
        imageNode->setFilter(nullptr);
    CC_SAFE_RELEASE_NULL(sliceFilter);
    CC_SAFE_RELEASE_NULL(imageNode);
    CC_SAFE_RELEASE_NULL(input);
    CC_SAFE_RELEASE_NULL(resliceFilter);
    CC_SAFE_RELEASE_NULL(planeFilter);
    CC_SAFE_RELEASE_NULL(clut);
}

void isActorImage::attachTo(isRenderWindow* target) {
    isActorObject::attachTo(target);
    if (!clut || !imageNode)
        return;
    clut->notificationObject = window;
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->removeObserver(kStatisticsId, this);
    if (window) {
        auto callback = [this](cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
            onNotification(sender, id, data);
        };
        centre->addObserver(this, window, callback, kStatisticsId);
        centre->addObserver(this, nullptr, callback, kSeriesProgressId);
    }
    imageNode->bindViewer(window);
}

void isActorImage::setVisible(bool visible) {
    isActorObject::setVisible(visible);
    if (imageNode)
        imageNode->setVisible(visible);
}

void isActorImage::onNotification(cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData* data) {
    switch (id) {
    case kStatisticsId:
        answerStatistics(data);
        break;
    case kImageLoadedId:
        onImageLoaded(data);
        break;
    case kSeriesProgressId:
        onSeriesProgress(data);
        break;
    default:
        break;
    }
}

// --- data and pipeline ------------------------------------------------------------------------

void isActorImage::setInputData(isImageData* data) {
    if (data == input || !planeFilter)
        return;
    CC_SAFE_RETAIN(data);
    CC_SAFE_RELEASE(input);
    input = data;
    planeFilter->setInputImage(nullptr);
    resliceFilter->setInputImage(nullptr);
    planeMode = true;
    planeFilter->setInputImage(data);
    planeFilter->slabMode = filterParameter;
    // After oblique mode the slice stage still reads the reslice output: plug it back here.
    sliceFilter->setInputImage(planeFilter->getOutputImage());
    if (data) {
        data->updateInformation();
        if (isSliceInfo* first = data->getSlice(0))
            clut->setWindowLevel(first->windowWidth, first->windowCenter);
    }
    sliceIndex = 0;
    if (data) {
        setResliceOrientation0();
        setSliceIndex(std::max(planeFilter->getSliceCount() / 2, 0));
    } else {
        // The node would go on showing the last picture of the data taken away.
        setVisible(false);
    }
    std::string json;
    setJsonString(json, "orient", "1");
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(this, kOrientationChangedId, json,
                                                                          window, true);
}

isSliceInfo* isActorImage::outputSlice() {
    isImageData* out = sliceFilter ? sliceFilter->getOutputImage() : nullptr;
    if (!out || out->slices.empty())
        return nullptr;
    return out->slices[0];
}

isSliceInfo* isActorImage::updateOutput() {
    if (!input)
        return nullptr;
    const bool stale = sliceFilter->isInformationModified() || sliceFilter->isDataModified();
    sliceFilter->Update();
    if (isImageData* out = sliceFilter->getOutputImage())
        out->Update();
    isSliceInfo* first = outputSlice();
    if (stale) {
        imageNode->setSlice(first);
        imageNode->markContentChanged();
    }
    return first;
}

isSliceInfo* isActorImage::getImageInfoUpdated() {
    return updateOutput();
}

isSliceInfo* isActorImage::getImageInfo() {
    return input ? outputSlice() : nullptr;
}

void isActorImage::connectPlane() {
    resliceFilter->setInputImage(nullptr);
    planeFilter->setInputImage(input);
    sliceFilter->setInputImage(planeFilter->getOutputImage());
    planeFilter->slabMode = filterParameter;
    planeFilter->setSlabThickness(slabThickness);
    planeMode = true;
}

void isActorImage::setResliceOrientation(int n) {
    if (!input)
        return;
    const bool wasOblique = !planeMode;
    if (wasOblique)
        connectPlane();
    const bool changed = n != orientation;
    if (changed) {
        planeFilter->orientation = n;
        planeFilter->setModified();
        orientation = n;
        postOrientation();
        const int count = planeFilter->getSliceCount();
        int index = std::max(count / 2, 0);
        if (index >= count)
            index = count - 1;
        setSliceIndex(index);
    } else if (wasOblique) {
        // The plane stage starts again at its first plane: show the slice this actor holds.
        setSliceIndex(sliceIndex);
    }
    if (changed || n == 0) {
        const float along = input->spacing[n == 0 ? 2 : (n == 1 ? 0 : 1)];
        setSlabThickness(along > 0.0f && std::isfinite(along) ? along : 1.0f);
    }
}

void isActorImage::postOrientation() {
    std::string json;
    setJsonString(json, "orient", formatString("%i", orientation + 1));
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(this, kOrientationChangedId, json,
                                                                          window, true);
}

void isActorImage::setSliceIndex(int index) {
    if (!input) {
        setVisible(false);
        return;
    }
    if (!planeMode)
        return;
    sliceIndex = index;
    const int count = planeFilter->getSliceCount();
    if (index < 0 || index >= count) {
        setVisible(false);
        return;
    }
    if (planeFilter->sliceIndex != index) {
        planeFilter->sliceIndex = index;
        planeFilter->setModified();
    }
    setVisible(true);
    if (isSliceInfo* slice = updateOutput()) {
        if (!slice->loaded.load())
            waitForPixels(*slice);
        publishSlicePosition(*slice);
    }
    std::string json;
    setJsonString(json, "index", formatString("%i", index + 1));
    setJsonString(json, "count", formatString("%i", count));
    postText(kSliceId, json, false);
    json.clear();
    setJsonString(json, "index", formatString("%i", index + 1));
    postText(kSliceChangedId, json, true);
}

void isActorImage::waitForPixels(const isSliceInfo& slice) {
    isFilterObject* first = sliceFilter;
    while (first->getInput())
        first = first->getInput();
    if (!first->isSource())
        return;
    awaitingPixels = true;
    if (auto* source = dynamic_cast<isImageFilter*>(first))
        source->addObserver(this, slice.filePath);
}

void isActorImage::publishSlicePosition(const isSliceInfo& slice) {
    const cocos2d::Mat4& m = slice.matrix;
    char labels[4][3];
    computeOrientationLabels(cocos2d::Vec3(m.m[0], m.m[1], m.m[2]), cocos2d::Vec3(m.m[4], m.m[5], m.m[6]),
                             labels, slice.headFeet, slice.facing);
    cocos2d::Vec3 position(m.m[12], m.m[13], m.m[14]);
    mapVectorToSliceAxes(slice, position);
    positionText = positionTextFor(orientationLabelSum(labels), position);
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(this, kPositionId, positionText,
                                                                          window, true);
}

void isActorImage::setSliceAtPosition(float x, float y, float z) {
    if (!input || !planeMode)
        return;
    setSliceIndex(planeFilter->getSliceIndexAt(x, y, z));
}

void isActorImage::showAcquisitionPlane() {
    if (!input)
        return;
    setResliceOrientation0();
    setSliceIndex(std::max(planeFilter->getSliceCount() / 2, 0));
}

bool isActorImage::isSliceValid(int count) const {
    return !planeMode || (sliceIndex >= 0 && sliceIndex < count);
}

bool isActorImage::isSliceValid() const {
    return isSliceValid(planeFilter ? planeFilter->getSliceCount() : 0);
}

void isActorImage::setSlabParameter(int mode) {
    if (!getImageInfo() || mode == filterParameter)
        return;
    filterParameter = mode;
    if (planeMode) {
        planeFilter->slabMode = mode;
        planeFilter->setModified();
    } else {
        resliceFilter->slabMode = mode;
        resliceFilter->setModified();
    }
    imageNode->markContentChanged();
}

void isActorImage::setObliquePlane(const cocos2d::Mat4& plane) {
    if (!input)
        return;
    setVisible(true);
    if (planeMode) {
        planeFilter->setInputImage(nullptr);
        resliceFilter->setInputImage(input);
        sliceFilter->setInputImage(resliceFilter->getOutputImage());
        resliceFilter->slabMode = filterParameter;
        resliceFilter->setSlabThickness(slabThickness);
        planeMode = false;
        std::string json;
        setJsonString(json, "index", "-1");
        setJsonString(json, "count", "0");
        postText(kSliceId, json, false);
    }
    const cocos2d::Mat4 axes = input->volumeMatrix.getInversed() * plane;
    resliceFilter->setResliceAxes(axes.m);
    imageNode->markContentChanged();
}

void isActorImage::setSlabThickness(float thickness) {
    slabThickness = thickness;
    if (planeMode)
        planeFilter->setSlabThickness(thickness);
    else
        resliceFilter->setSlabThickness(thickness);
    imageNode->markContentChanged();
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithFloat(this, kSlabId, thickness, window,
                                                                         true);
}

void isActorImage::getImageCenter(cocos2d::Vec3& out) {
    out = cocos2d::Vec3::ZERO;
    const isSliceInfo* slice = updateOutput();
    if (!slice)
        return;
    const cocos2d::Vec3 local((slice->columns - 1) * slice->spacingX / 2,
                              (slice->rows - 1) * slice->spacingY / 2, 0);
    slice->matrix.transformPoint(local, &out);
}

bool isActorImage::getImageCorners(float out[12]) {
    const isSliceInfo* slice = updateOutput();
    if (!slice)
        return false;
    const float w = (slice->columns - 1) * slice->spacingX, h = (slice->rows - 1) * slice->spacingY;
    const cocos2d::Vec3 corners[4] = {{0, 0, 0}, {w, 0, 0}, {w, h, 0}, {0, h, 0}};
    for (int i = 0; i < 4; ++i) {
        cocos2d::Vec3 world;
        slice->matrix.transformPoint(corners[i], &world);
        out[3 * i] = world.x;
        out[3 * i + 1] = world.y;
        out[3 * i + 2] = world.z;
    }
    return true;
}

bool isActorImage::getPixelValueAt(const cocos2d::Vec3& world, float& value) {
    const isSliceInfo* slice = updateOutput();
    return slice && slicePixelValueAt(*slice, world, value);
}

// --- window and colours -----------------------------------------------------------------------

void isActorImage::setWindow(float width, float level) {
    if (!clut)
        return;
    clut->setWindowLevel(width, level);
    imageNode->onWindowChanged();
    imageNode->markContentChanged();
}

void isActorImage::adjustWindowByDrag(float dx, float dy) {
    if (!input || !clut)
        return;
    float factor = 1.0f;
    switch (input->pixelType) {
    case kPixelS16:
    case kPixelU16:
        factor = 10.0f;
        break;
    case kPixelF32:
        factor = 200.0f;
        break;
    default:
        break;
    }
    dx *= factor;
    dy *= factor;
    const float w = std::trunc(clut->windowWidth), l = std::trunc(clut->windowLevel);
    const isSliceInfo* slice = getImageInfo();
    float width, level;
    if (slice && slice->modality == kModalityPT && l - w * 0.5f <= 1.0f) {
        // A PET window stays anchored at zero.
        level = std::max(l + dy, 2.0f);
        width = 2.0f * level;
    } else {
        width = std::max(w + dx, 2.0f);
        level = l + dy;
    }
    setWindow(width, level);
}

void isActorImage::setColorTable(const unsigned char* rgb) {
    if (!clut || !clut->colors || !rgb)
        return;
    for (uint32_t i = 0; i < 256; ++i) {
        const uint32_t r = rgb[3 * i], g = rgb[3 * i + 1], b = rgb[3 * i + 2];
        clut->colors[i] = r << 24 | g << 16 | b << 8 | 255u;
    }
    imageNode->onColorTableChanged();
    imageNode->markContentChanged();
}

void isActorImage::setClutMode(int mode) {
    if (!clut || mode == clut->curve)
        return;
    clut->curve = mode;
    const bool built = clut->lut != nullptr;
    clut->dirty = 1;
    if (built)
        clut->buildLut();
    imageNode->onColorTableChanged();
    imageNode->markContentChanged();
}

// --- notifications ----------------------------------------------------------------------------

void isActorImage::postText(unsigned int id, const std::string& text, bool allNextFrame) {
    if (!postingEnabled)
        return;
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->cancelNotification(this, id, window);
    centre->postNotificationWithString(this, id, text, window, allNextFrame);
}

void isActorImage::publishDisplayState() {
    if (!input)
        return;
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->postNotificationWithFloat(this, kSlabId, slabThickness, window, true);
    centre->postNotificationWithString(this, kPositionId, positionText, window, true);
    std::string json;
    if (input->pixelType == kPixelF32) {
        setJsonString(json, "ww", formatString("%.1f", clut->windowWidth));
        setJsonString(json, "wl", formatString("%.1f", clut->windowLevel));
    } else {
        setJsonString(json, "ww", formatString("%i", static_cast<int>(clut->windowWidth)));
        setJsonString(json, "wl", formatString("%i", static_cast<int>(clut->windowLevel)));
    }
    centre->postNotificationWithString(this, kWindowId, json, window, false);
}

void isActorImage::onImageLoaded(NSUI::NSNotificationData* data) {
    if (!data || !planeMode)
        return;
    const isSliceInfo* slice = getImageInfo();
    if (!slice || slice->loaded.load())
        return;
    if (keyHash(slice->filePath) != static_cast<uint32_t>(data->intValue2))
        return;
    refreshArrivedPixels();
}

void isActorImage::takeArrivedPixels() {
    if (!awaitingPixels)
        return;
    if (!input || !planeMode || orientation != 0) {
        awaitingPixels = false;
        return;
    }
    // Looked at as it stands: bringing the source up to date is the pipeline's business.
    const bool inside = sliceIndex >= 0 && size_t(sliceIndex) < input->slices.size();
    const isSliceInfo* source = inside ? input->slices[size_t(sliceIndex)] : nullptr;
    const isSliceInfo* shown = getImageInfo();
    if (shown && shown->loaded.load())
        awaitingPixels = false;
    else if (source && source->loaded.load())
        refreshArrivedPixels();
}

void isActorImage::refreshArrivedPixels() {
    awaitingPixels = false;
    // The plane stage holds its own copy of the slice: it must copy the arrived pixels again,
    // not only the stage after it.
    planeFilter->setModified();
    sliceFilter->setModified();
    imageNode->setForceUpdate(true);
    imageNode->markContentChanged();
}

void isActorImage::onSeriesProgress(NSUI::NSNotificationData* data) {
    if (!input || !data)
        return;
    if (keyHash(input->getSeriesKey()) != static_cast<uint32_t>(data->intValue2))
        return;
    NSUI::NSNotificationCenter::getInstance()->postNotification(this, kProgressId, data, window, true);
}

void isActorImage::answerStatistics(NSUI::NSNotificationData* request) {
    if (!input || !request)
        return;
    auto* roi = dynamic_cast<ROIData*>(request->object);
    const isSliceInfo* slice = updateOutput();
    std::string text;
    if (!roi || !slice || !describeRegion(*slice, *roi, text))
        return;
    auto* reply = new NSUI::NSNotificationData();
    reply->text = text;
    reply->intValue = request->intValue;
    reply->intValue2 = request->intValue2;
    NSUI::NSNotificationCenter::getInstance()->postNotification(this, kStatisticsId, reply, window, true);
    reply->release();
}

} // namespace isImageSDK
