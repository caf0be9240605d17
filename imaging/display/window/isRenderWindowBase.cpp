#include "imaging/display/window/isRenderWindowBase.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "imaging/display/isNodeSprite.h"
#include "notify/NSNotificationCenter.h"

namespace isImageSDK {

using cocos2d::Mat4;
using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

const float kFieldOfView = 60.0f;
const float kNearPlane = 100.0f;
const float kFarPlane = 5000.0f;
const char* const kBlackPicture = "UIRes/black22.png";
const char* const kWhitePicture = "UIRes/white22.png";
const int kBackgroundOrder = 1 << 20;

bool finitePositive(float v) { return std::isfinite(v) && v > 0.0f; }

void toArray(const Vec3& v, float out[3])
{
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

// Draws the window's plain children (frames, corner texts, labels) in screen points after the
// scene and overlay cameras, so that the opaque scene never covers them.
class ScreenPassCamera : public cocos2d::Camera {
public:
    static ScreenPassCamera* create()
    {
        auto* camera = new (std::nothrow) ScreenPassCamera();
        if (camera && camera->init()) {
            camera->autorelease();
            return camera;
        }
        delete camera;
        return nullptr;
    }
    const Mat4& getViewMatrix() const override
    {
        const cocos2d::Camera* screen = cocos2d::Camera::getDefaultCamera();
        _view = screen ? screen->getViewMatrix() : Mat4::IDENTITY;
        return _view;
    }
    void beginVisit(cocos2d::Renderer* renderer) override
    {
        if (const cocos2d::Camera* screen = cocos2d::Camera::getDefaultCamera()) {
            _projection = screen->getProjectionMatrix();
            _additionalProjection = Mat4::IDENTITY;
        }
        cocos2d::Camera::beginVisit(renderer);
    }
};

} // namespace

bool isRenderWindowBase::init()
{
    lastRedrawFrame = 0;
    referenceScale = 1.0f;
    sceneCamera = isCamera::create();
    overlayCamera = isCamera::create();
    if (!sceneCamera || !overlayCamera) return false;
    addChild(sceneCamera);
    addChild(overlayCamera);
    // Visited after the two cameras above, so it must be added after them.
    screenPassCamera = ScreenPassCamera::create();
    if (!screenPassCamera) return false;
    addChild(screenPassCamera);
    overlayCamera->ownViewMatrix = true;
    overlayCamera->setZoom(overlayCamera->getZoom());
    if (!NSUI::NSLayout::init()) return false;
    setClippingEnabled(true);
    setClippingType(1);
    background = isNodeSprite::create();
    if (!background) return false;
    addSceneNode(background);
    backgroundBehind = true;
    background->setTexture(kBlackPicture);
    background->setAnchorPoint(Vec2::ZERO);
    inverted = false;
    return true;
}

void isRenderWindowBase::cleanup()
{
    NSUI::NSLayout::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

void isRenderWindowBase::resetNodeLinks()
{
    sceneCamera = nullptr;
    overlayCamera = nullptr;
    screenPassCamera = nullptr;
}

// --- cameras and their nodes -------------------------------------------------------------------

void isRenderWindowBase::onEnter()
{
    NSUI::NSLayout::onEnter();
    assignCameraFlag(sceneCamera, sceneNodes);
    assignCameraFlag(overlayCamera, overlayNodes);
}

void isRenderWindowBase::assignCameraFlag(isCamera* camera, const std::vector<cocos2d::Node*>& nodes)
{
    if (!camera) return;
    auto flag = static_cast<unsigned short>(camera->getCameraFlag());
    if (flag == 1) {
        cocos2d::Scene* scene = cocos2d::Director::getInstance()->getRunningScene();
        if (!scene) scene = getScene();
        if (!scene) return;
        std::set<unsigned short> used;
        for (cocos2d::Camera* other : scene->getCameras())
            used.insert(static_cast<unsigned short>(other->getCameraFlag()));
        flag = 2;
        while (used.count(flag)) ++flag;
        camera->setCameraFlag(flag);
    }
    for (cocos2d::Node* node : nodes)
        node->setCameraMask(flag, true);
}

void isRenderWindowBase::addSceneNode(cocos2d::Node* node)
{
    if (!node) return;
    addChild(node);
    auto flag = static_cast<unsigned short>(sceneCamera->getCameraFlag());
    if (flag != 1) node->setCameraMask(flag, true);
    sceneNodes.push_back(node);
}

void isRenderWindowBase::removeSceneNode(cocos2d::Node* node)
{
    if (!node) return;
    auto it = std::find(sceneNodes.begin(), sceneNodes.end(), node);
    if (it != sceneNodes.end()) sceneNodes.erase(it);
    removeChild(node, true);
}

void isRenderWindowBase::addOverlayNode(cocos2d::Node* node)
{
    if (!node) return;
    auto flag = static_cast<unsigned short>(overlayCamera->getCameraFlag());
    if (flag != 1) node->setCameraMask(flag, true);
    overlayNodes.push_back(node);
}

void isRenderWindowBase::clearOverlayNodes() { overlayNodes.clear(); }

void isRenderWindowBase::removeOverlayNode(cocos2d::Node* node)
{
    auto it = std::find(overlayNodes.begin(), overlayNodes.end(), node);
    if (it != overlayNodes.end()) overlayNodes.erase(it);
}

void isRenderWindowBase::onBeforeVisit()
{
    for (cocos2d::Node* node : overlayNodes)
        if (!node->getParent()) addChild(node);
}

void isRenderWindowBase::onAfterVisit()
{
    for (cocos2d::Node* node : overlayNodes)
        if (node->getParent() == this) removeChild(node, true);
}

bool isRenderWindowBase::isVisitableByVisitingCamera() const
{
    if (cocos2d::Node::isVisitableByVisitingCamera()) return true;
    const cocos2d::Camera* camera = cocos2d::Camera::getVisitingCamera();
    if (!camera) return false;
    const auto flag = camera->getCameraFlag();
    return (sceneCamera && flag == sceneCamera->getCameraFlag()) ||
           (overlayCamera && flag == overlayCamera->getCameraFlag());
}

void isRenderWindowBase::setParent(cocos2d::Node* parent)
{
    NSUI::NSLayout::setParent(parent);
    if (parent) parent->enableCameraVisitThroughtChild(true);
}

// --- drawing and geometry ------------------------------------------------------------------------

void isRenderWindowBase::visit(cocos2d::Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    if (!isVisible() || !isVisitableByVisitingCamera()) return;
    // The window's place on screen follows its parents, which may have moved since the last
    // frame without telling it.
    applyProjection();
    // The screen camera's own pass is left to the screen-pass camera, which draws the same nodes
    // after the scene instead of under it.
    const cocos2d::Camera* visiting = cocos2d::Camera::getVisitingCamera();
    const bool deferred = visiting && !visiting->isDrawnInline() && screenPassCamera &&
                          screenPassCamera->isDrawnInline() && screenPassCamera->isVisible();
    if (!deferred) NSUI::NSLayout::visit(renderer, parentTransform, parentFlags);
    unsigned int frame = cocos2d::Director::getInstance()->getTotalFrames();
    if (frame != lastRedrawFrame) {
        lastRedrawFrame = frame;
        NSUI::NSNotificationCenter::getInstance()->postNotification(this, kRedrawId, nullptr, this, true);
        runDrawnCallbacks();
    }
}

void isRenderWindowBase::setDrawnCallback(void* target, std::function<void()> callback)
{
    removeDrawnCallback(target);
    if (target && callback) drawnCallbacks.emplace_back(target, std::move(callback));
}

void isRenderWindowBase::runDrawnCallbacks()
{
    // A callback may remove others (even free their owners): each is looked up again before it runs.
    std::vector<void*> targets;
    for (const auto& entry : drawnCallbacks)
        targets.push_back(entry.first);
    for (void* target : targets) {
        auto it = std::find_if(drawnCallbacks.begin(), drawnCallbacks.end(),
                               [target](const auto& entry) { return entry.first == target; });
        if (it == drawnCallbacks.end()) continue;
        const std::function<void()> callback = it->second;
        callback();
    }
}

void isRenderWindowBase::removeDrawnCallback(void* target)
{
    drawnCallbacks.erase(std::remove_if(drawnCallbacks.begin(), drawnCallbacks.end(),
                                        [target](const auto& entry) { return entry.first == target; }),
                         drawnCallbacks.end());
}

void isRenderWindowBase::applyProjection()
{
    const cocos2d::Size size = getContentSize();
    const cocos2d::Size win = cocos2d::Director::getInstance()->getWinSize();
    if (!(size.width > 1.0f && size.height > 1.0f) || !finitePositive(win.width) || !finitePositive(win.height))
        return;
    Vec3 origin;
    getNodeToWorldTransform().getTranslation(&origin);
    const float w = size.width, h = size.height;
    Mat4 scale, shift;
    Mat4::createScale(w / win.width, h / win.height, 1.0f, &scale);
    Mat4::createTranslation(2.0f * origin.x / win.width - 1.0f + w / win.width,
                            2.0f * origin.y / win.height - 1.0f + h / win.height, 0.0f, &shift);
    const Mat4 additional = shift * scale;
    if (additional == appliedProjection && size.equals(appliedSize)) return;
    appliedProjection = additional;
    appliedSize = size;
    for (isCamera* camera : {sceneCamera, overlayCamera})
        if (camera) camera->setProjection(kFieldOfView, w, h, kNearPlane, kFarPlane, additional);
    markContentChanged();
}

void isRenderWindowBase::setContentSize(const cocos2d::Size& size)
{
    NSUI::NSLayout::setContentSize(size);
    if (!(size.width > 1.0f && size.height > 1.0f)) return;
    applyProjection();
    fitBackground();
    postGeometryChanged();
}

void isRenderWindowBase::setPosition(const Vec2& position)
{
    NSUI::NSLayout::setPosition(position);
    const cocos2d::Size size = getContentSize();
    if (size.width > 1.0f && size.height > 1.0f)
        setContentSize(size);
    else
        postGeometryChanged();
}

void isRenderWindowBase::postGeometryChanged()
{
    auto* data = new NSUI::NSNotificationData();
    data->setObject(this);
    NSUI::NSNotificationCenter::getInstance()->postNotification(this, kGeometryChangedId, data, nullptr, false);
    data->release();
}

void isRenderWindowBase::setVisible(bool visible)
{
    if (visible == backgroundBehind) return;
    backgroundBehind = visible;
    fitBackground();
}

void isRenderWindowBase::setInverted(bool white)
{
    if (white == inverted) return;
    inverted = white;
    if (background) background->setTexture(white ? kWhitePicture : kBlackPicture);
    fitBackground();
}

void isRenderWindowBase::fitBackground()
{
    if (!background || !sceneCamera) return;
    const cocos2d::Size size = getContentSize();
    const float depth = backgroundBehind ? 0.999f : 0.001f;
    Vec3 topLeft, bottomRight;
    sceneCamera->unproject(0.0f, size.height, depth, topLeft);
    sceneCamera->unproject(size.width, 0.0f, depth, bottomRight);
    const Mat4 placement(sceneCamera->rightAxis, -sceneCamera->storedViewUp, sceneCamera->directionOfProjection,
                         topLeft);
    background->setNodeMatrix(placement);
    // Pictures of the world are drawn in the order they are visited, so the background is
    // visited first while it sits behind them and last while it covers them.
    background->setLocalZOrder(backgroundBehind ? -kBackgroundOrder : kBackgroundOrder);
    background->setScale(topLeft.distance(bottomRight) / 21.0f);
}

// --- camera moves ---------------------------------------------------------------------------------

void isRenderWindowBase::postCameraMoved()
{
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->cancelNotification(this, kCameraMovedId, this);
    centre->postNotification(this, kCameraMovedId, nullptr, this, false);
}

void isRenderWindowBase::setCameraPosition(const Vec3& position)
{
    sceneCamera->setPosition3D(position);
    overlayCamera->setPosition3D(position);
    onCameraChanged();
    fitBackground();
}

void isRenderWindowBase::setCameraFocalAndUp(const Vec3& focalPoint, const Vec3& viewUp)
{
    sceneCamera->lookAt(focalPoint, viewUp);
    overlayCamera->lookAt(focalPoint, viewUp);
    onCameraChanged();
    fitBackground();
}

void isRenderWindowBase::getCameraState(isCameraState& out) const
{
    toArray(sceneCamera->storedFocalPoint, out.focalPoint);
    toArray(sceneCamera->storedPosition, out.position);
    toArray(sceneCamera->storedViewUp, out.viewUp);
    toArray(sceneCamera->directionOfProjection, out.directionOfProjection);
    toArray(sceneCamera->rightAxis, out.rightAxis);
    out.focalDistance = sceneCamera->focalDistance;
    out.zoomFactor = sceneCamera->zoomFactorCopy;
}

bool isRenderWindowBase::screenToWorld(const Vec2&, Vec3&) { return false; }

void isRenderWindowBase::screenPointToWorldRay(const Vec2& point, Vec3& origin, Vec3& direction)
{
    const Vec2 local = convertToNodeSpace(point);
    sceneCamera->screenPointToRay(local.x, local.y, origin, direction);
}

Vec3 isRenderWindowBase::getFocalPoint() const { return sceneCamera->getFocalPoint(); }

void isRenderWindowBase::setFocalPoint(const Vec3& point)
{
    sceneCamera->lookAt(point, sceneCamera->getViewUp());
    overlayCamera->lookAt(point, overlayCamera->getViewUp());
}

void isRenderWindowBase::getCameraVectors(Vec3& focalPoint, Vec3& viewUp) const
{
    focalPoint = sceneCamera->getFocalPoint();
    viewUp = sceneCamera->getViewUp();
}

void isRenderWindowBase::projectToScreen(const Vec3& world, Vec2& out) const
{
    Vec3 screen;
    sceneCamera->project(world, screen);
    out.set(screen.x, screen.y);
}

void isRenderWindowBase::setCameraZoom(float factor)
{
    sceneCamera->setZoom(factor);
    overlayCamera->setZoom(factor);
    markContentChanged();
}

void isRenderWindowBase::setZoom(float factor)
{
    if (sceneCamera->isPerspective()) return;
    setCameraZoom(factor);
}

void isRenderWindowBase::zoomBy(float factor)
{
    if (!finitePositive(factor)) return;
    if (sceneCamera->isPerspective()) {
        setCameraPosition(sceneCamera->storedFocalPoint -
                          sceneCamera->directionOfProjection * (sceneCamera->focalDistance / factor));
    } else {
        setCameraZoom(sceneCamera->getZoom() / factor);
        fitBackground();
    }
    postCameraMoved();
}

void isRenderWindowBase::panBy(float dx, float dy)
{
    Vec3 a, b, c;
    if (!screenToWorld(Vec2(50.0f, 50.0f), a) || !screenToWorld(Vec2(50.0f + dx, 50.0f), b) ||
        !screenToWorld(Vec2(50.0f, 50.0f + dy), c))
        return;
    float wx = a.distance(b);
    float wy = a.distance(c);
    if (!(dx > 0.0f)) wx = -wx;
    if (!(dy > 0.0f)) wy = -wy;
    const Vec3 up = sceneCamera->storedViewUp;
    const Vec3 offset = sceneCamera->rightAxis * wx - up * wy;
    const Vec3 focal = sceneCamera->storedFocalPoint + offset;
    setCameraPosition(sceneCamera->storedPosition + offset);
    setCameraFocalAndUp(focal, up);
    postCameraMoved();
}

void isRenderWindowBase::centerOn(const Vec3& point)
{
    Vec3 onPlane = point;
    sceneCamera->projectOntoFocalPlane(onPlane);
    const Vec3 up = sceneCamera->storedViewUp;
    setCameraPosition(onPlane - sceneCamera->directionOfProjection * sceneCamera->focalDistance);
    setCameraFocalAndUp(onPlane, up);
    postCameraMoved();
}

void isRenderWindowBase::orbitBy(float angle)
{
    Mat4 frame(sceneCamera->rightAxis, -sceneCamera->storedViewUp, sceneCamera->directionOfProjection,
               sceneCamera->storedFocalPoint);
    frame.rotateY(-angle);
    frame.translate(0.0f, 0.0f, -sceneCamera->focalDistance);
    Vec3 position;
    frame.getTranslation(&position);
    setCameraPosition(position);
    postCameraMoved();
}

void isRenderWindowBase::dollyBy(float factor)
{
    if (!finitePositive(factor) || !sceneCamera->isPerspective()) return;
    setCameraPosition(sceneCamera->storedPosition +
                      sceneCamera->directionOfProjection * (sceneCamera->focalDistance / factor));
}

void isRenderWindowBase::setZoomRatio(float ratio)
{
    if (!finitePositive(ratio)) return;
    if (sceneCamera->isPerspective()) {
        setCameraPosition(sceneCamera->storedFocalPoint -
                          sceneCamera->directionOfProjection * (referenceScale / ratio));
    } else {
        setCameraZoom(referenceScale / ratio);
        fitBackground();
    }
}

float isRenderWindowBase::getZoomRatio() const
{
    const float divisor = sceneCamera->isPerspective() ? sceneCamera->focalDistance : sceneCamera->getZoom();
    return divisor > 0.0f ? referenceScale / divisor : 0.0f;
}

} // namespace isImageSDK
