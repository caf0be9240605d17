#include "imaging/viewers/isViewerImage.h"

#include <algorithm>
#include <cmath>

#include "imaging/core/data/isImageData.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/core/geometry/Geometry.h"
#include "imaging/core/reslice/isImagePlane.h"
#include "imaging/display/actor/isActorCrossLine.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/actor/isActorOverlay.h"
#include "imaging/display/interactor/isInteractorImage.h"
#include "imaging/display/window/OrientationLabels.h"
#include "imaging/viewers/SliceGeometry.h"
#include "json/UIJson.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"

namespace isImageSDK {

using cocos2d::Mat4;
using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

const float kMinCameraDistance = 10.0f;
const float kSameNormal = 0.0001f;
// The edge-letter sum of a coronal view (R, L, S, I).
const int kCoronalLetters = 314;

const unsigned int kMessageIds[] = {9064, 9067, 9085, 9068, 9061, 9065, 9062, 9063, 9066, 9001,
                                    9002, 9035, 9037, 9036, 9022, 9026, 9027, 9028, 9029, 9096,
                                    9008, 9017, 9040, 9041, 9042, 9043, 9044, 9023};

std::string fixed6(float v) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.6f", v);
    return buffer;
}

} // namespace

isViewerImage* isViewerImage::create() {
    auto* viewer = new (std::nothrow) isViewerImage();
    if (viewer && viewer->init()) {
        viewer->autorelease();
        return viewer;
    }
    delete viewer;
    return nullptr;
}

isViewerImage::~isViewerImage() {
    CC_SAFE_RELEASE_NULL(imageActor);
}

bool isViewerImage::init() {
    if (!isRenderWindow::init())
        return false;
    edgeMargin = kDefaultMargin;
    isInteractorImage* tracker = isInteractorImage::create();
    if (!tracker)
        return false;
    setInteractor(tracker);
    tracker->setRenderWindow(this);
    imageActor = nullptr;
    sliceTransform = Mat4::IDENTITY;
    frameFlag = false;
    patientInfoShown = true;
    overlayRefreshPending = false;
    auto callback = [this](cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->addObserver(this, nullptr, callback, kHidePatientInfo);
    centre->addObserver(this, nullptr, callback, kShowPatientInfo);
    return true;
}

void isViewerImage::cleanup() {
    const bool first = actorManager != nullptr;
    isRenderWindow::cleanup();
    CC_SAFE_RELEASE_NULL(imageActor);
    if (!first)
        return;
    auto* data = new NSUI::NSNotificationData();
    data->tag = static_cast<int32_t>(getRefID());
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, kToolBarHide, data, nullptr, false);
    data->release();
}

void isViewerImage::resetNodeLinks() {
    isRenderWindow::resetNodeLinks();
    imageActor = nullptr;
}

void isViewerImage::getMessageIds() {
    observedIds.assign(std::begin(kMessageIds), std::end(kMessageIds));
}

void isViewerImage::setVisible(bool visible) {
    isRenderWindow::setVisible(visible);
}

void isViewerImage::visit(cocos2d::Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) {
    if (imageActor)
        imageActor->takeArrivedPixels();
    if (isVisible())
        isRenderWindow::visit(renderer, parentTransform, parentFlags);
    if (!overlayRefreshPending)
        return;
    overlayRefreshPending = false;
    refreshOverlay(true);
    if (imageActor)
        imageActor->publishDisplayState();
    markContentChanged();
}

// --- data and mode ------------------------------------------------------------------------------

void isViewerImage::setViewerMode(uint32_t mode) {
    if (mode != viewerMode) {
        static const unsigned int kCommands[5] = {kAcquisitionPlane, kAxial, kSagittal, kCoronal, kOblique};
        if (mode < 5)
            onMessage(kCommands[mode], nullptr, linkedWindow);
    }
    viewerMode = mode;
}

void isViewerImage::setImageData(isImageData* data) {
    if (data == imageData)
        return;
    isRenderWindow::setImageData(data);
    CC_SAFE_RELEASE_NULL(imageActor);
    if (actorManager) {
        imageActor = actorManager->getImageActor();
        CC_SAFE_RETAIN(imageActor);
    }
    if (imageActor)
        imageActor->setInputData(data);
    std::string table = "noClut.plist";
    if (data && imageActor) {
        data->Update();
        isSliceInfo* first = data->getSlice(0);
        if (data->isVolume()) {
            setOrientation(0);
            if (isSliceInfo* info = imageActor->getImageInfoUpdated())
                sliceTransform = SliceGeometry::sliceTransform(*info);
            postReferencePlane();
        } else {
            viewerMode = kModeAcquired;
            imageActor->setSliceIndex(0);
            if (isSliceInfo* info = imageActor->getImageInfoUpdated()) {
                sliceTransform = SliceGeometry::sliceTransform(*info);
                placeCameraForSlice(*info);
            }
            postReferencePlane();
            postOrientationName("Slice");
        }
        if (first && (first->modality == kModalityPT || first->modality == kModalityNM || data->isInverted()))
            table = "bwInverse.plist";
    }
    loadColorTable(table);
}

// --- slicing --------------------------------------------------------------------------------------

int isViewerImage::getSliceCount() {
    // The plane stage counts the images of a series as well as the planes of a volume.
    if (!imageActor)
        return 0;
    return imageActor->getPlaneFilter()->getSliceCount();
}

void isViewerImage::setSlice(int index, bool refit) {
    if (!imageActor) {
        setVisible(false);
        return;
    }
    isSliceInfo* before = imageActor->getImageInfo();
    const Vec3 oldNormal = before ? SliceGeometry::column(before->matrix, 2) : Vec3::ZERO;
    imageActor->setSliceIndex(index);
    const bool volume = imageData && imageData->isVolume();
    if (imageActor->isReslicing() && (index < 0 || index >= getSliceCount())) {
        setVisible(false);
    } else {
        setVisible(true);
        isSliceInfo* info = imageActor->getImageInfoUpdated();
        if (info) {
            const Vec3 newNormal = SliceGeometry::column(info->matrix, 2);
            const float angle = Vec3::angle(oldNormal, newNormal);
            if ((volume || angle < kSameNormal) && !refit) {
                projectReferenceOntoSlice();
            } else {
                placeCameraForSlice(*info);
                sliceTransform = SliceGeometry::sliceTransform(*info);
            }
            postReferencePlane();
        }
    }
    if (viewerMode == kModeAcquired)
        setActive(false);
}

void isViewerImage::projectReferenceOntoSlice() {
    isSliceInfo* info = imageActor ? imageActor->getImageInfo() : nullptr;
    if (!info)
        return;
    const Mat4& m = info->matrix;
    const float p[3] = {referencePoint.x, referencePoint.y, referencePoint.z};
    const float q[3] = {m.m[12], m.m[13], m.m[14]};
    const float n[3] = {m.m[8], m.m[9], m.m[10]};
    intersectLinePlane(p, q, n, referencePoint.x, referencePoint.y, referencePoint.z);
}

void isViewerImage::setOrientation(int plane) {
    if (!imageActor)
        return;
    imageActor->setVisible(true);
    if (imageData && !imageData->isVolume()) {
        postOrientationName("Slice");
        if (plane != 0)
            return;
    }
    if (imageActor->isReslicing() && imageActor->getOrientation() == plane &&
        imageActor->getSliceIndex() == -1)
        return;
    if (!imageData)
        return;
    if (auto* tracker = static_cast<isInteractorImage*>(interactor))
        tracker->detachCurrentROI();
    imageData->Update();
    if (plane == 0) {
        imageActor->showAcquisitionPlane();
    } else {
        if (plane == 1)
            imageActor->setResliceOrientation1();
        else
            imageActor->setResliceOrientation2();
        imageActor->setSliceIndex(std::max(getSliceCount() / 2, 0));
    }
    placeCamera(imageData->dimensions, imageData->spacing, imageData->volumeMatrix, plane);
    isSliceInfo* info = imageActor->getImageInfoUpdated();
    viewerMode = static_cast<uint32_t>(classifySliceOrientation(info));
    if (info)
        sliceTransform = SliceGeometry::sliceTransform(*info);
    if (actorManager)
        if (isActorCrossLine* lines = actorManager->getCrossLine())
            lines->setFrameColor(imageActor->getOrientation());
    postReferencePlane();
    static const char* const kNames[4] = {nullptr, "Axial", "Sagittal", "Coronal"};
    if (viewerMode >= 1 && viewerMode <= 3)
        postOrientationName(kNames[viewerMode]);
}

void isViewerImage::showCoronal() {
    if (viewerMode == kModeCoronal || !imageActor)
        return;
    int plane = 0;
    if (imageData) {
        const Mat4& m = imageData->volumeMatrix;
        const Vec3 x = SliceGeometry::column(m, 0), y = SliceGeometry::column(m, 1),
                   z = SliceGeometry::column(m, 2);
        const Vec3 pairs[3][2] = {{x, y}, {y, z}, {x, z}};
        for (int i = 0; i < 3; ++i) {
            char labels[4][3];
            computeOrientationLabels(pairs[i][0], pairs[i][1], labels, imageData->headFeet,
                                     imageData->facing);
            if (orientationLabelSum(labels) == kCoronalLetters) {
                plane = i;
                break;
            }
        }
    }
    setOrientation(plane);
}

void isViewerImage::postOrientationName(const char* name) {
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, kOrientationName, name,
                                                                          this, false);
}

void isViewerImage::getSliceSpacing(Vec3& step) {
    if (!imageActor || !imageData || !imageData->isVolume())
        return;
    isSliceInfo* info = imageActor->getImageInfo();
    if (!info)
        return;
    static const int kAxis[3] = {2, 0, 1};
    const int plane = imageActor->getOrientation();
    step = SliceGeometry::column(info->matrix, 2) *
           imageData->spacing[kAxis[plane >= 0 && plane < 3 ? plane : 0]];
}

std::string isViewerImage::getImagePath() {
    isSliceInfo* info = imageActor ? imageActor->getImageInfo() : nullptr;
    return info ? info->filePath : std::string();
}

// --- camera ---------------------------------------------------------------------------------------

void isViewerImage::placeCamera(const int dims[3], const float spacing[3], const Mat4& matrix, int plane) {
    if (!imageData || !sceneCamera)
        return;
    const SliceGeometry::Pose pose =
        SliceGeometry::poseForPlane(dims, spacing, matrix, plane, imageData->facing, imageData->headFeet);
    setCameraPosition(pose.position);
    setCameraFocalAndUp(pose.focalPoint, pose.viewUp);
    float corners[12];
    SliceGeometry::planeCorners(dims, spacing, matrix, plane, corners);
    if (!sceneCamera->isPerspective()) {
        const float zoom = sceneCamera->fitZoomForCorners(corners);
        setReferenceScale(zoom);
        setZoom(zoom);
    }
    // The camera's own fit keeps the plane between its near and far planes, whatever its size.
    const float distance = std::max(sceneCamera->fitDistanceForCorners(corners), kMinCameraDistance);
    setCameraPosition(pose.focalPoint + (pose.position - pose.focalPoint) * distance);
    setCameraFocalAndUp(pose.focalPoint, pose.viewUp);
    zoomRatio = getZoomRatio();
}

void isViewerImage::placeCameraForSlice(const isSliceInfo& slice) {
    const int dims[3] = {slice.columns, slice.rows, 1};
    const float spacing[3] = {slice.spacingX, slice.spacingY, 0.0f};
    placeCamera(dims, spacing, slice.matrix, 0);
}

void isViewerImage::resetCamera() {
    // The window's own reset; its handler would hand the command back to the owner instead.
    flushCameraUpdates();
    const cocos2d::Size size = getContentSize();
    if (imageData && imageData->getSliceCount() > 0 && imageActor && size.width >= 1.0f &&
        size.height >= 1.0f) {
        if (imageData->isVolume() && imageActor->isReslicing())
            placeCamera(imageData->dimensions, imageData->spacing, imageData->volumeMatrix,
                        imageActor->getOrientation());
        else if (isSliceInfo* info = imageActor->getImageInfoUpdated())
            placeCameraForSlice(*info);
    }
    zoomRatio = getZoomRatio();
}

void isViewerImage::rotate(float degrees) {
    if (!imageActor || !actorManager)
        return;
    const bool linesShown = actorManager->peekCrossLine() && actorManager->getCrossLine()->areLinesShown();
    const bool planeView = viewerMode >= kModeAxial && viewerMode <= kModeCoronal;
    if (!linesShown && !planeView)
        return;
    const float angle = degrees / 180.0f * static_cast<float>(M_PI);
    const Mat4 s = sliceTransform;
    isCameraState state;
    getCameraState(state);
    const Vec3 normal = SliceGeometry::column(s, 2);
    const Vec3 centre = SliceGeometry::column(s, 3);
    const double p[3] = {state.focalPoint[0], state.focalPoint[1], state.focalPoint[2]};
    const double n[3] = {normal.x, normal.y, normal.z};
    double px = p[0], py = p[1], pz = p[2];
    if (normal.lengthSquared() > 0.0f)
        intersectLinePlaneDouble(p, n, n, normal.dot(centre), px, py, pz);
    const Vec3 pivot{float(px), float(py), float(pz)};
    const Mat4 camera(Vec3(state.rightAxis), -Vec3(state.viewUp), Vec3(state.directionOfProjection), pivot);
    const Mat4 relative = s.getInversed() * camera;
    Mat4 tilted = s;
    tilted.rotateY(angle);
    sliceTransform = tilted;
    if (imageActor->getImageInfo())
        imageActor->rebuildPipeline(tilted);
    const Mat4 moved = tilted * relative;
    const Vec3 focal = SliceGeometry::column(moved, 3);
    setCameraPosition(focal - SliceGeometry::column(moved, 2) * state.focalDistance);
    setCameraFocalAndUp(focal, -SliceGeometry::column(moved, 1));
    actorManager->showCrossLines();
    postReferencePlane();
    if (!linesShown)
        viewerMode = kModeOblique;
}

// --- reference point and plane ---------------------------------------------------------------------

void isViewerImage::postReferencePlane() {
    if (!actorManager || !actorManager->peekCrossLine() || !actorManager->getCrossLine()->areLinesShown())
        return;
    std::string json;
    static const char* const kKeys[4][3] = {
        {"nx1", "nx2", "nx3"}, {"ny1", "ny2", "ny3"}, {"nz1", "nz2", "nz3"}, {"x", "y", "z"}};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            NSUI::UIJson::setJsonString(json, kKeys[c][r], fixed6(sliceTransform.m[4 * c + r]));
    NSUI::UIJson::setJsonString(json, "x", fixed6(referencePoint.x));
    NSUI::UIJson::setJsonString(json, "y", fixed6(referencePoint.y));
    NSUI::UIJson::setJsonString(json, "z", fixed6(referencePoint.z));
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->cancelNotificationOfThisFrame(this, kReferencePlane, this);
    centre->cancelNotificationOfThisFrame(nullptr, kReferencePoint, this);
    auto* data = new NSUI::NSNotificationData();
    data->text = json;
    centre->postNotification(this, kReferencePlane, data, this, true);
    centre->postNotification(nullptr, kReferencePoint, data, this, true);
    data->release();
}

bool isViewerImage::isReferencePointVisible() {
    Vec2 screen;
    projectToScreen(referencePoint, screen);
    const cocos2d::Size size = getContentSize();
    return screen.x >= 0.0f && screen.x <= size.width && screen.y >= 0.0f && screen.y <= size.height;
}

void isViewerImage::moveReferencePoint(const Vec3& p) {
    if (!imageData)
        return;
    imageData->Update();
    if (!imageData->isVolume() || !imageActor) {
        setVisible(false);
        return;
    }
    referencePoint = p;
    if (imageActor->isReslicing())
        imageActor->setSliceAtPosition(p.x, p.y, p.z);
    if (!imageActor->isSliceValid()) {
        setVisible(false);
        return;
    }
    setVisible(true);
    postReferencePlane();
    Vec2 s;
    projectToScreen(p, s);
    panIntoMargin(s);
}

void isViewerImage::panIntoMargin(const Vec2& s) {
    const cocos2d::Size size = getContentSize();
    const float mx = edgeMargin * size.width, my = edgeMargin * size.height;
    float dx = 0.0f, dy = 0.0f;
    if (s.x < mx)
        dx = s.x - mx;
    else if (s.x > size.width - mx)
        dx = s.x - (size.width - mx);
    if (s.y < my)
        dy = my - s.y;
    else if (s.y > size.height - my)
        dy = (size.height - my) - s.y;
    if (dx != 0.0f || dy != 0.0f)
        panBy(dx, dy);
}

bool isViewerImage::pickWorldPoint(const Vec2& screen, float out[3]) {
    isSliceInfo* info = imageActor ? imageActor->getImageInfo() : nullptr;
    if (!info || !sceneCamera)
        return false;
    const Vec2 local = convertToNodeSpace(screen);
    Vec3 nearPoint, farPoint;
    sceneCamera->unproject(local.x, local.y, 0.0f, nearPoint);
    sceneCamera->unproject(local.x, local.y, 1.0f, farPoint);
    const Vec3 normal = SliceGeometry::column(info->matrix, 2);
    const Vec3 onPlane = SliceGeometry::column(info->matrix, 3);
    const Vec3 ray = farPoint - nearPoint;
    const float along = normal.dot(ray);
    if (std::fabs(along) < 1e-12f)
        return false;
    const float t = normal.dot(onPlane - nearPoint) / along;
    const Vec3 hit = nearPoint + ray * t;
    out[0] = hit.x;
    out[1] = hit.y;
    out[2] = hit.z;
    return true;
}

bool isViewerImage::screenToWorld(const Vec2& point, Vec3& world) {
    float out[3];
    if (!pickWorldPoint(point, out))
        return false;
    world.set(out[0], out[1], out[2]);
    return true;
}

// --- activity and frame --------------------------------------------------------------------------------

void isViewerImage::setActive(bool active) {
    if (!actorManager)
        return;
    if (isActorOverlay* overlay = static_cast<isActorOverlay*>(actorManager->peekOverlay()))
        overlay->setItemVisible("mousePos", active);
    const int toolMode = getToolMode();
    const bool drawing =
        toolMode >= isInteractorImage::kModeLine && toolMode <= isInteractorImage::kModePolygon;
    if (active && !drawing) {
        if (!imageActor)
            return;
        isActorCrossLine* lines = actorManager->getCrossLine();
        if (!lines || lines->areLinesShown() || viewerMode < kModeAxial || viewerMode > kModeCoronal)
            return;
        actorManager->showCrossLines();
        if (frameFlag)
            lines->showFrame(true);
        lines->setFrameColor(imageActor->getOrientation());
        postReferencePlane();
        return;
    }
    if (isActorCrossLine* lines = actorManager->getCrossLine()) {
        lines->showLines(false);
        lines->showFrame(false);
    }
}

void isViewerImage::updateFrame() {
    if (actorManager)
        actorManager->showFrame(frameFlag);
}

} // namespace isImageSDK
