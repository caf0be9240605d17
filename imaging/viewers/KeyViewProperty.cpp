#include "imaging/viewers/KeyViewProperty.h"

#include "imaging/core/data/isImageData.h"
#include "imaging/viewers/isViewer.h"

namespace isImageSDK {

namespace {

void hold(isImageData*& slot, isImageData* data) {
    CC_SAFE_RETAIN(data);
    CC_SAFE_RELEASE(slot);
    slot = data;
}

} // namespace

KeyViewProperty* KeyViewProperty::create() {
    return createObject<KeyViewProperty>();
}

KeyViewProperty::~KeyViewProperty() {
    KeyViewProperty::cleanup();
}

void KeyViewProperty::cleanup() {
    CC_SAFE_RELEASE_NULL(imageData);
    CC_SAFE_RELEASE_NULL(sourceData);
    setViewer(nullptr);
}

bool KeyViewProperty::init() {
    isObject::init();
    linked = 1;
    return true;
}

void KeyViewProperty::setViewer(isViewer* newViewer) {
    if (newViewer)
        newViewer->retain();
    if (viewer)
        viewer->release();
    viewer = newViewer;
}

uint32_t KeyViewProperty::getViewerMode() const {
    return viewer ? viewer->getViewerMode() : isViewer::kModeNone;
}

void KeyViewProperty::setImageData(isImageData* data) {
    hold(imageData, data);
}

void KeyViewProperty::setSourceData(isImageData* data) {
    hold(sourceData, data);
}

} // namespace isImageSDK
