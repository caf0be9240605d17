// The slice viewer's message handler: the owner rule, then one action per command id.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "imaging/core/clut/isClut.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/core/geometry/Geometry.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/actor/isActorOverlay.h"
#include "imaging/display/isNodeImage.h"
#include "imaging/viewers/SliceGeometry.h"
#include "imaging/viewers/isViewerImage.h"
#include "json/UIJson.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "util/StringUtils.h"

namespace isImageSDK {

using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

float jsonFloat(const NSUI::NSNotificationData* data, const char* key) {
    return data ? static_cast<float>(std::atof(NSUI::UIJson::getJsonString(data->text, key).c_str())) : 0.0f;
}

int toolModeFor(unsigned int id) {
    switch (id) {
    case isViewerImage::kToolWindow:
        return 4;
    case isViewerImage::kToolZoom:
        return 6;
    case isViewerImage::kToolMove:
        return 5;
    case isViewerImage::kToolPointer:
        return 7;
    default:
        return 0;
    }
}

} // namespace

void isViewerImage::repost(unsigned int id, NSUI::NSNotificationData* data, bool nextTick) {
    NSUI::NSNotificationCenter::getInstance()->postNotification(this, id, data, linkedWindow, nextTick);
}

bool isViewerImage::actsOn(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender,
                           bool nextTick) {
    if (!linkedWindow || sender == linkedWindow)
        return true;
    repost(id, data, nextTick);
    return false;
}

void isViewerImage::onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
    // Every slice viewer hears a favourite copy: only the one it names acts on it. Tag 0 (this
    // viewer) is for direct calls.
    if (id == kCopySlice && (!data || data->tag != static_cast<int>(getRefID())))
        return;
    isRenderWindow::onNotification(sender, id, data);
}

void isViewerImage::onMessage(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    if (handleSliceCommand(id, data, sender) || handleViewCommand(id, data, sender) ||
        handleToolCommand(id, data, sender))
        return;
    isRenderWindow::onMessage(id, data, sender);
}

bool isViewerImage::handleSliceCommand(unsigned int id, NSUI::NSNotificationData* data,
                                       cocos2d::Ref* sender) {
    const bool fromOther = linkedWindow && sender != linkedWindow;
    const bool volume = imageData && imageData->isVolume();
    switch (id) {
    case kNextSlice:
    case kPreviousSlice:
        if (actsOn(id, data, sender, true) && imageActor)
            setSlice(imageActor->getSliceIndex() + (id == kNextSlice ? 1 : -1), false);
        return true;
    case kMiddleSlice:
        if (!actsOn(id, data, sender, false) || !imageActor)
            return true;
        if (imageActor->isReslicing())
            imageActor->setSliceIndex(getSliceCount() / 2);
        if (volume) {
            projectReferenceOntoSlice();
        } else if (isSliceInfo* info = imageActor->getImageInfoUpdated()) {
            placeCameraForSlice(*info);
            sliceTransform = SliceGeometry::sliceTransform(*info);
        }
        postReferencePlane();
        return true;
    case kSlabParameter:
        if (actsOn(id, data, sender, false) && imageActor && data)
            imageActor->setSlabParameter(data->intValue);
        return true;
    case kSlabThicknessStep:
        if (actsOn(id, data, sender, false) && imageActor && data)
            imageActor->setSlabThickness(imageActor->getSlabThickness() + data->floatValue);
        return true;
    case kRotate:
        if (actsOn(id, data, sender, false) && data)
            rotate(data->floatValue);
        return true;
    case kAxial:
    case kSagittal:
        if (!actsOn(id, data, sender, false) || !imageActor)
            return true;
        if (viewerMode != (id == kAxial ? kModeAxial : kModeSagittal))
            setOrientation(getSliceOrientation(id == kAxial ? 0 : 1));
        return true;
    case kCoronal:
        if (actsOn(id, data, sender, false))
            showCoronal();
        return true;
    case kAcquisitionPlane:
        if (actsOn(id, data, sender, false) && viewerMode != kModeAcquired)
            setOrientation(0);
        return true;
    case kSetReferencePoint: {
        if (!data)
            return true;
        const Vec3 p(jsonFloat(data, "x"), jsonFloat(data, "y"), jsonFloat(data, "z"));
        if (fromOther) {
            if (volume)
                repost(id, data, true);
        } else if (imageActor) {
            imageActor->setSliceAtPosition(p.x, p.y, p.z);
        }
        referencePoint = p;
        postReferencePlane();
        return true;
    }
    case kProjectPoint: {
        isSliceInfo* info = imageActor ? imageActor->getImageInfo() : nullptr;
        if (!info || !data)
            return true;
        const float p[3] = {jsonFloat(data, "x"), jsonFloat(data, "y"), jsonFloat(data, "z")};
        const float q[3] = {referencePoint.x, referencePoint.y, referencePoint.z};
        const float n[3] = {info->matrix.m[8], info->matrix.m[9], info->matrix.m[10]};
        intersectLinePlane(p, q, n, referencePoint.x, referencePoint.y, referencePoint.z);
        postReferencePlane();
        return true;
    }
    case kClearCrossLines:
        if (actsOn(id, data, sender, false) && actorManager)
            actorManager->clearCrossLines();
        return true;
    case kCopySlice:
        copySlice(data);
        return true;
    default:
        return false;
    }
}

bool isViewerImage::handleViewCommand(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    const bool fromOther = linkedWindow && sender != linkedWindow;
    const bool volume = imageData && imageData->isVolume();
    switch (id) {
    case kResetCamera:
        if (actsOn(id, data, sender, false))
            resetCamera();
        return true;
    case kPan:
        if (fromOther && volume)
            repost(id, data, true);
        else if (data)
            panBy(jsonFloat(data, "x"), jsonFloat(data, "y"));
        return true;
    case kZoomKeepReference:
        if (fromOther) {
            if (!imageData) {
                if (data)
                    zoomBy(data->floatValue);
            } else {
                repost(id, data, true);
            }
        } else {
            zoomKeepingReference(data);
        }
        return true;
    case kZoomPinch:
        if (fromOther && volume)
            repost(id, data, true);
        else if (data)
            zoomBy(data->floatValue);
        return true;
    case kLinkedPan:
        if (!linkedWindow || !data)
            return true;
        if (!fromOther)
            panBy(jsonFloat(data, "x"), jsonFloat(data, "y"));
        else if (volume)
            repost(id, data, false);
        return true;
    case kLinkedZoom:
        linkedZoom(data, sender);
        return true;
    case kKeepReferenceInView:
        if (fromOther) {
            if (volume)
                repost(id, data, true);
        } else {
            keepReferenceInView();
        }
        return true;
    case kViewTouched:
        if (!linkedWindow)
            return true;
        repost(id, data, true);
        {
            auto* touched = new NSUI::NSNotificationData();
            touched->setObject(this);
            NSUI::NSNotificationCenter::getInstance()->postNotification(this, kToolBarAttach, touched,
                                                                        nullptr, false);
            touched->release();
        }
        return true;
    case kMaximize:
        maximize(data);
        return true;
    default:
        return false;
    }
}

bool isViewerImage::handleToolCommand(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    switch (id) {
    case kDefaultWindow:
        if (actsOn(id, data, sender, false) && imageData && imageActor) {
            float width = 0.0f, centre = 0.0f;
            imageData->getDefaultWindow(width, centre);
            imageActor->setWindow(width, centre);
        }
        return true;
    case kSetWindow:
        if (actsOn(id, data, sender, false) && imageActor)
            imageActor->setWindow(jsonFloat(data, "ww"), jsonFloat(data, "wl"));
        return true;
    case kWindowByDrag:
        if (actsOn(id, data, sender, true) && imageActor)
            imageActor->adjustWindowByDrag(jsonFloat(data, "ww"), jsonFloat(data, "wl"));
        return true;
    case kWindowSync:
        windowSync(data, sender);
        return true;
    case kOpenWindowEditor:
        if (linkedWindow)
            repost(id, data, false);
        return true;
    case kClutCurveLinear:
    case kClutCurveLog:
    case kClutCurveLogInverse:
        if (actsOn(id, data, sender, false) && imageActor)
            imageActor->setClutMode(int(id - kClutCurveLinear));
        return true;
    case kColorTable:
        if (data)
            loadColorTable(data->text);
        return true;
    case kToolSelect:
    case kToolWindow:
    case kToolZoom:
    case kToolMove:
    case kToolPointer:
        if (actsOn(id, data, sender, false))
            setToolMode(toolModeFor(id));
        return true;
    case 9041:
    case 9042:
    case 9043:
    case kNewLine:
    case kNewPolygon:
        if (actsOn(id, data, sender, false)) {
            setActive(false);
            setToolMode(9 + int(id - kNewLine));
        }
        return true;
    case kRemoveMeasurement:
        removeMeasurement(data);
        return true;
    case kHidePatientInfo:
    case kShowPatientInfo:
        setPatientInfoShown(id == kShowPatientInfo);
        return true;
    default:
        return false;
    }
}

// --- zoom and pan ------------------------------------------------------------------------------------

void isViewerImage::zoomKeepingReference(NSUI::NSNotificationData* data) {
    if (!data)
        return;
    const float f = data->floatValue;
    zoomBy(f);
    if (f > 0.0f && imageData) {
        Vec2 s;
        projectToScreen(referencePoint, s);
        const cocos2d::Size size = getContentSize();
        const bool inside = s.x >= 0.0f && s.x <= size.width && s.y >= 0.0f && s.y <= size.height;
        if (inside && data->intValue != 1)
            panIntoMargin(s);
    }
    if (f > 1.0f) {
        edgeMargin *= f;
        if (edgeMargin > 0.5f)
            edgeMargin = 0.4999f;
    } else {
        edgeMargin = kDefaultMargin;
    }
}

void isViewerImage::linkedZoom(NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    if (!linkedWindow || !data)
        return;
    const bool volume = imageData && imageData->isVolume();
    if (!volume)
        return;
    if (sender != linkedWindow) {
        Vec2 focal, reference;
        projectToScreen(getFocalPoint(), focal);
        projectToScreen(referencePoint, reference);
        const Vec3 f = getFocalPoint();
        NSUI::UIJson::setJsonFloat(data->text, "focal2center", focal.distance(reference));
        NSUI::UIJson::setJsonFloat(data->text, "focal_x", f.x);
        NSUI::UIJson::setJsonFloat(data->text, "focal_y", f.y);
        NSUI::UIJson::setJsonFloat(data->text, "focal_z", f.z);
        NSUI::UIJson::setJsonInt(data->text, "validFocal", 1);
        NSUI::UIJson::setJsonFloat(data->text, "zoomRatio", getZoomRatio());
        repost(kLinkedZoom, data, false);
        return;
    }
    const float z = jsonFloat(data, "zoomRatio");
    const float f = data->floatValue;
    const float own = getZoomRatio();
    if (!((f > 1.0f && own > z + 0.01f) || (f < 1.0f && own < z - 0.01f)))
        zoomBy(f);
    edgeMargin = kDefaultMargin;
    if (NSUI::UIJson::getJsonInt(data->text, "validFocal", 0) == 1) {
        centerOn(Vec3(jsonFloat(data, "focal_x"), jsonFloat(data, "focal_y"), jsonFloat(data, "focal_z")));
        return;
    }
    Vec3 onFocalPlane = referencePoint;
    sceneCamera->projectOntoFocalPlane(onFocalPlane);
    Vec2 focal, reference;
    projectToScreen(getFocalPoint(), focal);
    projectToScreen(onFocalPlane, reference);
    const float wanted = jsonFloat(data, "focal2center");
    const float d = focal.distance(reference);
    const float e = std::fabs(d - wanted);
    if (e > 0.1f && d > 0.1f && d > wanted) {
        const Vec2 v = (reference - focal) * (e / d);
        panBy(v.x, -v.y);
    }
}

void isViewerImage::keepReferenceInView() {
    edgeMargin = kDefaultMargin;
    const cocos2d::Size size = getContentSize();
    const float m = kDefaultMargin * std::min(size.width, size.height);
    Vec2 s;
    projectToScreen(referencePoint, s);
    if (s.x < m || s.x > size.width - m || s.y < m || s.y > size.height - m) {
        Vec3 p = referencePoint;
        sceneCamera->projectOntoFocalPlane(p);
        centerOn(p);
    }
}

// --- window ---------------------------------------------------------------------------------------

void isViewerImage::windowSync(NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    if (!linkedWindow || !imageActor)
        return;
    if (sender == linkedWindow) {
        if (data)
            imageActor->setWindow(jsonFloat(data, "ww"), jsonFloat(data, "wl"));
        return;
    }
    // The linked tiles take the width and level as they are: truncating them to whole numbers
    // would shift the window of every other view at each synchronisation.
    isClut* clut = imageActor->getClut();
    std::string json = data ? data->text : std::string();
    NSUI::UIJson::setJsonString(json, "ww", formatString("%.6f", clut->windowWidth));
    NSUI::UIJson::setJsonString(json, "wl", formatString("%.6f", clut->windowLevel));
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(this, kWindowSync, json,
                                                                          linkedWindow, false);
}

// --- maximise and restore ----------------------------------------------------------------------------

void isViewerImage::reapplyCamera(const isCameraState& state) {
    setCameraPosition(Vec3(state.position));
    setCameraFocalAndUp(Vec3(state.focalPoint), Vec3(state.viewUp));
    setZoom(state.zoomFactor);
    updateBackground();
}

void isViewerImage::restoreGeometry() {
    maximized = false;
    setPosition(savedPosition);
    setContentSize(savedSize);
}

void isViewerImage::maximize(NSUI::NSNotificationData* data) {
    if (!data)
        return;
    const int named = data->tag;
    if (named == static_cast<int>(getRefID())) {
        isCameraState state;
        getCameraState(state);
        if (!maximized) {
            savedPosition = getPosition();
            savedSize = getContentSize();
            maximized = true;
            const Vec2 parentAt = getParent() ? getParent()->getPosition() : Vec2::ZERO;
            setPosition(-parentAt);
            setContentSize(cocos2d::Size(jsonFloat(data, "w"), jsonFloat(data, "h")));
            if (actorManager)
                actorManager->showFrame(false);
        } else {
            restoreGeometry();
        }
        reapplyCamera(state);
        if (isActorOverlay* overlay =
                static_cast<isActorOverlay*>(actorManager ? actorManager->peekOverlay() : nullptr))
            overlay->relayout();
        NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(this, kMaximizedState,
                                                                           maximized ? 1 : 0, nullptr, false);
        return;
    }
    if (maximized) {
        restoreGeometry();
        if (isActorOverlay* overlay =
                static_cast<isActorOverlay*>(actorManager ? actorManager->peekOverlay() : nullptr))
            overlay->relayout();
    } else {
        savedPosition = getPosition();
        savedSize = getContentSize();
        maximized = true;
        setPosition(Vec2(10000.0f, 10000.0f));
        setContentSize(cocos2d::Size(128.0f, 128.0f));
    }
}

// --- favourite copy -----------------------------------------------------------------------------------

void isViewerImage::copySlice(NSUI::NSNotificationData* data) {
    const int own = static_cast<int>(getRefID());
    const int named = data ? data->tag : 0;
    if (named != 0 && named != own)
        return;
    if (data)
        data->tag = own;
    if (!imageActor)
        return;
    // The output as shown: bringing it up to date would put the image node back on frame 0.
    isSliceInfo* info = imageActor->getImageInfo();
    if (!info)
        info = imageActor->getImageInfoUpdated();
    if (!info || !info->pixels)
        return;
    const int bpp = bytesPerPixel(info->pixelType);
    if (bpp == 0 || info->columns <= 0 || info->rows <= 0)
        return;
    const size_t frame = size_t(info->columns) * size_t(info->rows) * size_t(bpp);
    const int frames = std::max<int>(info->frames, 1);
    auto* copy = new isSliceInfo();
    copy->columns = info->columns;
    copy->rows = info->rows;
    copy->frames = info->frames;
    copy->spacingX = info->spacingX;
    copy->spacingY = info->spacingY;
    copy->pixelType = info->pixelType;
    copy->matrix = info->matrix;
    copy->filePath = info->filePath;
    copy->modality = info->modality;
    copy->windowWidth = info->windowWidth;
    copy->windowCenter = info->windowCenter;
    copy->displayCode = info->displayCode;
    copy->facing = info->facing;
    copy->headFeet = info->headFeet;
    // The receiver owns the record and its pixels (malloc'd, as the image data's are).
    copy->pixels = static_cast<uint8_t*>(std::malloc(frame * size_t(frames)));
    if (!copy->pixels) {
        delete copy;
        return;
    }
    std::memcpy(copy->pixels, info->pixels, frame * size_t(frames));
    const int shown = imageActor->getImageNode() ? imageActor->getImageNode()->getFrameIndex() : 0;
    if (shown >= 1 && shown < frames)
        std::memmove(copy->pixels, info->pixels + frame * size_t(shown), frame);
    copy->loaded = 1;
    auto* message = new NSUI::NSNotificationData();
    message->setUserData(reinterpret_cast<uintptr_t>(copy));
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, kSliceCopied, message, nullptr,
                                                                false);
    message->release();
}

} // namespace isImageSDK
