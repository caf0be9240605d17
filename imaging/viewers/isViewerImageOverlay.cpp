// The slice viewer's corner texts and buttons, the background read of the patient and study
// texts, its colour tables and its measurement tools.

#include <algorithm>
#include <map>
#include <thread>
#include <vector>

#include "imaging/core/data/isImageData.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/actor/isActorOverlay.h"
#include "imaging/display/interactor/isInteractorImage.h"
#include "imaging/display/overlay/isNodeOverlaySprite.h"
#include "imaging/display/overlay/isNodeOverlayText.h"
#include "imaging/display/roi/isActorROI.h"
#include "imaging/viewers/ColorTable.h"
#include "imaging/viewers/OverlayInfoReader.h"
#include "imaging/viewers/isViewerImage.h"
#include "notify/NSNotificationCenter.h"

namespace isImageSDK {

namespace {

const char* const kOrientationNames[7] = {"Slice", "Axial", "Sagittal", "Coronal", "Oblique", "VR", "MIP"};
const cocos2d::Color3B kYellow(255, 255, 0);
const cocos2d::Color3B kOrange(255, 165, 0);

// The image data whose overlay texts are being read, each with the viewers (retained) that
// show it and wait for the texts; touched on the main thread only.
std::map<isImageData*, std::vector<isViewerImage*>>& readsInFlight() {
    static std::map<isImageData*, std::vector<isViewerImage*>> reads;
    return reads;
}

isNodeOverlayText* addBound(isNodeOverlayText* item, const std::string& value, const std::string& label,
                            const std::string& suffix, unsigned int id, bool touchable = false) {
    if (item)
        item->bind(value, label, suffix, id, touchable);
    return item;
}

void colour(isNodeOverlayText* item, const cocos2d::Color3B& c) {
    if (item)
        item->setColor(c);
}

} // namespace

void isViewerImage::refreshOverlay(bool full) {
    if (!imageData || !actorManager)
        return;
    isActorOverlay* overlay = actorManager->getOverlay<isActorOverlay>();
    if (!overlay)
        return;
    overlay->clearOverlay();
    const char* name =
        viewerMode >= 1 && viewerMode <= 6 ? kOrientationNames[viewerMode] : kOrientationNames[0];
    isSliceInfo* first = imageData->getSlice(0);
    const int modality = first ? first->modality : kModalityOther;

    colour(addBound(overlay->addTopLeftText(""), name, " ", "", kOrientationName), kYellow);
    addBound(overlay->addTopLeftText(""), "", "", "", isActorImage::kProgressId);
    // The top-left texts share one line, as the bottom ones do: a tile keeps its middle clear.
    if (patientInfoShown) {
        addBound(overlay->addTopLeftText(""), "", " Ex:", "", 9075);
        addBound(overlay->addTopLeftText(""), "", " Se:", "", 9076);
    }
    if (modality == kModalityCT || modality == kModalityPT || modality == kModalityMR)
        colour(addBound(overlay->addTopLeftText(""), "", " ", "", isActorImage::kPositionId), kOrange);
    if (imageData->isVolume()) {
        overlay->addTopRightText(" Thk:");
        colour(addBound(overlay->addTopRightText(""), "", "", "", isActorImage::kSlabId), kYellow);
        overlay->addSpacer();
    }
    overlay->addTopRightText(" ww/wl:");
    colour(addBound(overlay->addTopRightText(""), " ", "", "", isActorImage::kWindowId, true), kYellow);
    const struct {
        bool patient;
        unsigned int id;
    } bottom[5] = {{true, 9079}, {false, 9080}, {true, 9081}, {false, 9082}, {true, 9083}};
    for (const auto& item : bottom)
        if (!item.patient || patientInfoShown)
            addBound(overlay->addBottomText(""), "", "", " ", item.id);
    overlay->addSpacer();
    const struct {
        const char* picture;
        unsigned int id;
        const char* name;
    } buttons[3] = {{"imageSDK/leftArrow.png", isNodeOverlaySprite::kSlower, "multi_prior"},
                    {"imageSDK/play.png", isNodeOverlaySprite::kPlay, "multi_status"},
                    {"imageSDK/rightArrow.png", isNodeOverlaySprite::kFaster, "multi_next"}};
    for (const auto& b : buttons)
        isNodeOverlaySprite::bind(overlay->addButton(), b.picture, b.picture, b.id, b.name);
    overlay->relayout();
    if (full) {
        isSliceInfo* shown = imageActor ? imageActor->getImageInfo() : nullptr;
        const bool frames = shown && shown->frames > 1;
        for (const char* button : {"multi_prior", "multi_next", "multi_status"})
            overlay->setItemVisible(button, frames);
    }
    if (imageData->getInfoText().empty())
        readOverlayInfo();
    else
        overlay->setPatientInfo(imageData->getInfoText());
    markContentChanged();
}

void isViewerImage::readOverlayInfo() {
    // Everything the reading thread needs is taken here, on the main thread; the thread only
    // reads the file's tags, and the result is stored and announced on the main thread again.
    isImageData* data = imageData;
    data->Update();
    isSliceInfo* first = data->getSlice(0);
    if (!first || first->filePath.empty())
        return;
    const std::string path = first->filePath;
    // Images made in memory name no file: there is nothing to read.
    if (!cocos2d::FileUtils::getInstance()->isFileExist(path))
        return;
    // Every viewer over the data waits for the one read: the tiles of a browser or a layout
    // refresh while it runs, and each overlay follows the texts of its own viewer only.
    auto [read, started] = readsInFlight().try_emplace(data);
    std::vector<isViewerImage*>& waiting = read->second;
    if (std::find(waiting.begin(), waiting.end(), this) == waiting.end()) {
        retain();
        waiting.push_back(this);
    }
    if (!started)
        return;
    const bool withPatient = patientInfoShown;
    data->retain();
    std::thread([data, path, withPatient]() {
        std::string json;
        if (!OverlayInfoReader::read(path, withPatient, json))
            json.clear();
        cocos2d::Director::getInstance()->getScheduler()->performFunctionInCocosThread([data, json]() {
            auto done = readsInFlight().extract(data);
            // An unreadable file leaves the text empty: the next refresh tries again.
            if (!json.empty())
                data->setInfoText(json);
            for (isViewerImage* viewer : done.mapped()) {
                // A viewer given other data meanwhile has no use for these texts.
                if (!json.empty() && viewer->imageData == data)
                    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, kOverlayInfo,
                                                                                          json, viewer, false);
                viewer->release();
            }
            data->release();
        });
    }).detach();
}

void isViewerImage::setPatientInfoShown(bool shown) {
    if (shown == patientInfoShown)
        return;
    patientInfoShown = shown;
    // Texts read while the identifying tags were off lack them: read them again.
    if (shown && imageData && imageData->getInfoText().find("\"patient\"") == std::string::npos)
        imageData->setInfoText(std::string());
    if (actorManager)
        actorManager->releaseOverlay();
    overlayRefreshPending = true;
    markContentChanged();
}

// --- colour tables -------------------------------------------------------------------------------------

void isViewerImage::loadColorTable(const std::string& name) {
    if (name.size() < 2)
        return;
    if (inverted)
        setInverted(false);
    if (!imageActor)
        return;
    unsigned char rgb[ColorTable::kBytes];
    if (name == ColorTable::kInverseGrey) {
        ColorTable::inverseGrey(rgb);
        imageActor->setColorTable(rgb);
        isSliceInfo* first = imageData ? imageData->getSlice(0) : nullptr;
        if (!(first && first->displayCode >= 2))
            setInverted(true);
    } else if (name == ColorTable::kGrey) {
        ColorTable::grey(rgb);
        imageActor->setColorTable(rgb);
    } else if (ColorTable::loadFile(name, rgb)) {
        imageActor->setColorTable(rgb);
    }
}

void isViewerImage::setColorTable(const unsigned char rgb[768]) {
    if (!imageActor || !rgb)
        return;
    imageActor->setColorTable(rgb);
    if (rgb[0] == 255 && rgb[1] == 255 && rgb[2] == 255)
        setInverted(true);
    else if (inverted)
        setInverted(false);
}

// --- tools and measurements ------------------------------------------------------------------------------

void isViewerImage::setToolMode(int mode) {
    if (auto* tracker = static_cast<isInteractorImage*>(interactor))
        tracker->setInteractionMode(mode);
}

int isViewerImage::getToolMode() const {
    auto* tracker = static_cast<isInteractorImage*>(interactor);
    return tracker ? tracker->getInteractionMode() : 0;
}

void isViewerImage::removeMeasurement(NSUI::NSNotificationData* data) {
    if (!data)
        return;
    if (isActorROI* measurements = getROIActor())
        measurements->removeROIByRefId(static_cast<unsigned int>(data->tag));
    if (auto* tracker = static_cast<isInteractorImage*>(interactor))
        tracker->detachCurrentROI();
}

} // namespace isImageSDK
