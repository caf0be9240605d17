#include "imaging/display/isNodeImage.h"

#include "framework/notify/NSNotificationCenter.h"
#include "imaging/core/clut/isClut.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/core/object/isImageFilter.h"
#include "imaging/display/image/TexelConversion.h"
#include "renderer/Texture2D.h"

namespace isImageSDK {

namespace {
constexpr unsigned int kPlayPause = 9046;
constexpr unsigned int kCineState = 9047;
constexpr unsigned int kSlowerOrPrevious = 9048;
constexpr unsigned int kFasterOrNext = 9049;
constexpr unsigned int kMultiFrameIds[] = {9050, 9051, 9052};

// A slice's matrix places the centre of its first sample, and the sprite's corner sits at the
// node's position: the corner goes half a texel back along both axes so that each texel is
// drawn around the point its sample stands for, where measurements and other views look for it.
cocos2d::Mat4 cornerPlacement(const isSliceInfo& slice) {
    cocos2d::Mat4 m = slice.matrix;
    for (int k = 0; k < 3; ++k)
        m.m[12 + k] -= 0.5f * (slice.spacingX * m.m[k] + slice.spacingY * m.m[4 + k]);
    return m;
}
} // namespace

const std::string isNodeImage::kCineKey = "isNodeImage_cine";
const std::string isNodeImage::kPipelineKey = "isNodeImage_pipeline";

isNodeImage* isNodeImage::create() {
    auto* node = new (std::nothrow) isNodeImage();
    if (node && node->init()) {
        node->autorelease();
        return node;
    }
    delete node;
    return nullptr;
}

isNodeImage::~isNodeImage() {
    // A node released without cleanup must not leave callbacks that point at it.
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    if (clut)
        clut->release();
    if (filter)
        filter->release();
}

bool isNodeImage::init() {
    if (!isNodeSprite::init())
        return false;
    viewer = nullptr;
    setFlipY(true);
    slice = nullptr;
    clut = nullptr;
    filter = nullptr;
    textureDirty = forceUpdate = framePending = false;
    frameIndex = 0;
    playing = false;
    tickCount = 0;
    ticksPerFrame = 60;
    return true;
}

void isNodeImage::cleanup() {
    isNodeSprite::cleanup();
    unschedule(kCineKey);
    playing = false;
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    if (clut)
        clut->release();
    clut = nullptr;
    if (filter)
        filter->release();
    filter = nullptr;
}

void isNodeImage::bindViewer(cocos2d::Ref* newViewer) {
    if (newViewer == viewer)
        return;
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    centre->removeObserver(this);
    viewer = newViewer;
    auto callback = [this](cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
        onCineCommand(sender, id, data);
    };
    for (unsigned int id : {kPlayPause, kSlowerOrPrevious, kFasterOrNext}) {
        centre->addObserver(this, viewer, callback, id);
    }
}

void isNodeImage::setFilter(isImageFilter* newFilter) {
    if (newFilter)
        newFilter->retain();
    if (filter)
        filter->release();
    filter = newFilter;
    if (filter)
        schedule([this](float) { watchPipeline(); }, kPipelineKey);
    else
        unschedule(kPipelineKey);
    markContentChanged();
}

void isNodeImage::watchPipeline() {
    if (!filter || !(forceUpdate || filter->isInformationModified() || filter->isDataModified()))
        return;
    // A hidden node does not read its pipeline, so it must not keep asking for frames.
    for (const cocos2d::Node* n = this; n; n = n->getParent()) {
        if (!n->isVisible())
            return;
    }
    markContentChanged();
}

void isNodeImage::setClut(isClut* newClut) {
    if (newClut)
        newClut->retain();
    if (clut)
        clut->release();
    clut = newClut;
    if (clut)
        clut->autoRebuild = 0;
    markContentChanged();
}

void isNodeImage::onWindowChanged() {
    textureDirty = true;
    markContentChanged();
}

void isNodeImage::onColorTableChanged() {
    textureDirty = true;
    markContentChanged();
}

void isNodeImage::prepareClut() {
    if (clut->pixelType != slice->pixelType) {
        clut->configureForPixelType(slice->pixelType);
    }
    clut->buildLut();
}

cocos2d::Texture2D* isNodeImage::createTexture() {
    if (!clut || !slice)
        return nullptr;
    prepareClut();
    return textureFrom(buildRgbTexels(*slice, frameIndex, *clut));
}

cocos2d::Texture2D* isNodeImage::textureFrom(const TexelBuffer& texels) {
    if (texels.empty())
        return nullptr;
    auto* texture = new (std::nothrow) cocos2d::Texture2D();
    if (!texture)
        return nullptr;
    const auto format = texels.layout == TexelBuffer::Layout::Ai88 ? cocos2d::Texture2D::PixelFormat::AI88
                                                                   : cocos2d::Texture2D::PixelFormat::RGB888;
    if (!texture->initWithData(texels.data, texels.byteCount, format, texels.width, texels.height,
                               cocos2d::Size(float(texels.width), float(texels.height)))) {
        cocos2d::log("isNodeImage: cannot make a %d x %d texture", texels.width, texels.height);
        texture->release();
        return nullptr;
    }
    texture->autorelease();
    return texture;
}

void isNodeImage::setSlice(isSliceInfo* newSlice) {
    slice = newSlice;
    if (slice && slicePixelsReadable(*slice)) {
        cocos2d::Texture2D* texture = createTexture();
        if (!texture)
            return;
        setTexture(texture);
        setTextureRect(cocos2d::Rect(0, 0, float(texture->getPixelsWide()), float(texture->getPixelsHigh())));
        setScaleX(slice->spacingX);
        setScaleY(slice->spacingY);
        setNodeMatrix(cornerPlacement(*slice));
    } else {
        setScaleX(kHiddenScale);
        setScaleY(kHiddenScale);
    }
    stopCine();
    if (!slice)
        return;
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    const int several = frameCountOf(*slice) > 1 ? 1 : 0;
    for (unsigned int id : kMultiFrameIds) {
        centre->postNotificationWithInt(this, id, several, viewer, true);
    }
}

void isNodeImage::refreshFrame() {
    cocos2d::Texture2D* texture = createTexture();
    if (!texture)
        return;
    setTexture(texture);
    setTextureRect(cocos2d::Rect(0, 0, float(texture->getPixelsWide()), float(texture->getPixelsHigh())));
}

void isNodeImage::visit(cocos2d::Renderer* renderer, const cocos2d::Mat4& parentTransform,
                        uint32_t parentFlags) {
    if (isVisible() && isVisitableByVisitingCamera()) {
        if (filter && (forceUpdate || filter->isInformationModified() || filter->isDataModified())) {
            filter->Update();
            isImageData* output = filter->getOutputImage();
            isSliceInfo* first = nullptr;
            if (output) {
                output->Update();
                int dims[3] = {0, 0, 0};
                output->getDimensions(dims);
                if (dims[2] > 0)
                    first = output->getSlice(0);
            }
            setSlice(first);
            forceUpdate = false;
        } else if (textureDirty) {
            setSlice(slice);
            textureDirty = false;
        }
        framePending = false;
    }
    isNodeSprite::visit(renderer, parentTransform, parentFlags);
}

bool isNodeImage::sliceHasFrames() const {
    return slice && slicePixelsReadable(*slice) && frameCountOf(*slice) >= 2;
}

void isNodeImage::stepFrame(int delta) {
    const int frames = slice ? frameCountOf(*slice) : 1;
    frameIndex = ((frameIndex + delta) % frames + frames) % frames;
    refreshFrame();
    // The cine waits for this frame to be shown: it must be drawn even if no texture changed.
    framePending = true;
    markContentChanged();
}

void isNodeImage::onCineCommand(cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData*) {
    if (id == kPlayPause) {
        if (playing) {
            playing = false;
            unschedule(kCineKey);
        } else if (sliceHasFrames()) {
            playing = true;
            tickCount = 0;
            schedule([this](float dt) { cineTick(dt); }, kCineInterval, CC_REPEAT_FOREVER, kCineDelay,
                     kCineKey);
        }
        postCineState();
        return;
    }
    if (id != kSlowerOrPrevious && id != kFasterOrNext)
        return;
    const bool slower = id == kSlowerOrPrevious;
    if (playing) {
        ticksPerFrame += slower ? kTicksStep : -kTicksStep;
        if (ticksPerFrame > kMaxTicksPerFrame)
            ticksPerFrame = kMaxTicksPerFrame;
        if (ticksPerFrame < kMinTicksPerFrame)
            ticksPerFrame = kMinTicksPerFrame;
        tickCount = 0;
    } else if (slice) {
        // Without a slice there is no frame to step to.
        stepFrame(slower ? -1 : 1);
    }
}

void isNodeImage::cineTick(float) {
    if (!playing)
        return;
    if (sliceHasFrames() && !framePending && tickCount % ticksPerFrame == 0) {
        stepFrame(1);
    }
    // Only the count modulo ticksPerFrame matters; keep it from overflowing in long sessions.
    tickCount = (tickCount + 1) % (ticksPerFrame * 1000000);
}

void isNodeImage::stopCine() {
    frameIndex = 0;
    if (!playing)
        return;
    playing = false;
    unschedule(kCineKey);
    postCineState();
}

void isNodeImage::postCineState() {
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(this, kCineState, playing ? 1 : 0,
                                                                       viewer, true);
}

} // namespace isImageSDK
