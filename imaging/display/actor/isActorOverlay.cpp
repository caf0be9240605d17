#include "imaging/display/actor/isActorOverlay.h"

#include <algorithm>

#include "imaging/display/overlay/isNodeOverlaySprite.h"
#include "imaging/display/overlay/isNodeOverlayText.h"
#include "imaging/display/overlay/isOverlayCorner.h"
#include "imaging/display/overlay/isOverlayRow.h"
#include "imaging/display/window/isRenderWindow.h"
#include "layout/NSLayout.h"
#include "notify/NSNotificationCenter.h"
#include "platform/Device.h"
#include "ui/LayoutParameter.h"

namespace isImageSDK {

namespace {

const int kOverlayZOrder = 100;
const int kDefaultItemWidth = 100;
const int kMinFontSize = 20;
const int kMaxFontSize = 30;

// Rows of the left corners pack their items from the left, rows of the right ones from the right.
int rowLayoutType(int corner) {
    return corner == isActorOverlay::kTopLeft || corner == isActorOverlay::kBottomLeft ? 3 : 4;
}

void alignInParent(cocos2d::ui::Widget* widget, int align) {
    auto* parameter = cocos2d::ui::RelativeLayoutParameter::create();
    parameter->setAlign(static_cast<cocos2d::ui::RelativeLayoutParameter::RelativeAlign>(align));
    parameter->setMargin(cocos2d::ui::Margin());
    widget->setLayoutParameter(parameter);
}

// The patient and study items and the key of the 9084 text each shows.
struct PatientKey {
    unsigned int id;
    const char* key;
};
const PatientKey kPatientKeys[] = {{9075, "studyID"},    {9076, "seriesID"}, {9079, "hospital"},
                                   {9080, "seriesTime"}, {9081, "patient"},  {9082, "patientInfo"},
                                   {9083, "imageDesc"}};

} // namespace

isActorOverlay* isActorOverlay::create() {
    return createObject<isActorOverlay>();
}

isActorOverlay::~isActorOverlay() {
    isActorOverlay::cleanup();
}

bool isActorOverlay::init() {
    if (!isActorObject::init())
        return false;
    fontSize = kMaxFontSize;
    lineHeight = kMaxFontSize + 4;
    itemWidth = kDefaultItemWidth;
    return true;
}

void isActorOverlay::cleanup() {
    isActorObject::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    clearOverlay();
}

void isActorOverlay::attachTo(isRenderWindow* target) {
    isActorObject::attachTo(target);
    clearOverlay();
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->removeObserver(this);
    if (!window)
        return;
    auto callback = [this](cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData* data) {
        onNotification(id, data);
    };
    centre->addObserver(this, window, callback, kOrientationLabelsId);
    centre->addObserver(this, window, callback, kPatientInfoId);
    const int half = static_cast<int>(window->getContentSize().width * 0.5f);
    itemWidth = half > 0 ? half : kDefaultItemWidth;
}

void isActorOverlay::onNotification(unsigned int id, NSUI::NSNotificationData* data) {
    if (!data)
        return;
    if (id == kOrientationLabelsId) {
        const std::string& json = data->text;
        setOrientationLabels(NSUI::UIJson::getJsonString(json, "t"), NSUI::UIJson::getJsonString(json, "b"),
                             NSUI::UIJson::getJsonString(json, "l"), NSUI::UIJson::getJsonString(json, "r"));
    } else if (id == kPatientInfoId) {
        setPatientInfo(data->text);
    }
}

// --- corners ----------------------------------------------------------------------------------

isActorOverlay::CornerRecord* isActorOverlay::findRecord(int corner) {
    for (int i = 0; i < 4; ++i)
        if (kCornerOrder[i] == corner)
            return &corners[i];
    return nullptr;
}

NSUI::NSLayout* isActorOverlay::getCornerLayout(int corner) const {
    CornerRecord* record = const_cast<isActorOverlay*>(this)->findRecord(corner);
    return record ? record->layout : nullptr;
}

int isActorOverlay::getRowCount(int corner) const {
    CornerRecord* record = const_cast<isActorOverlay*>(this)->findRecord(corner);
    return record ? static_cast<int>(record->rows.size()) : 0;
}

NSUI::NSLayout* isActorOverlay::newRow(int corner) {
    NSUI::NSLayout* row = isOverlayRow::create();
    row->setLayoutType(rowLayoutType(corner));
    row->setContentSize(cocos2d::Size(float(itemWidth), float(lineHeight)));
    return row;
}

void isActorOverlay::sizeCorner(CornerRecord& record, int rows) {
    record.layout->setContentSize(cocos2d::Size(float(itemWidth), float(rows * lineHeight)));
}

isActorOverlay::CornerRecord* isActorOverlay::cornerRecord(int corner) {
    CornerRecord* record = findRecord(corner);
    if (!record)
        return nullptr;
    const bool created = !record->layout;
    if (created) {
        isOverlayCorner* layout = isOverlayCorner::create(corner);
        layout->setRelativeLayoutParameter(corner, "", cocos2d::ui::Margin());
        record->layout = layout;
        fitCorner(layout);
    }
    if (!record->currentRow) {
        NSUI::NSLayout* row = newRow(corner);
        record->rows.push_back(row);
        record->currentRow = row;
        record->rowCount = 0;
        record->itemsInRow = 0;
        record->layout->addChild(row);
    }
    if (created) {
        addPlainNode(record->layout);
        record->layout->setLocalZOrder(kOverlayZOrder);
        record->layout->setLayoutType(1);
        sizeCorner(*record, record->rowCount + 1);
    }
    return record;
}

void isActorOverlay::addRow(int corner) {
    if (corner != kTopLeft && corner != kTopRight && corner != kBottomLeft)
        return;
    CornerRecord* record = findRecord(corner);
    if (!record->layout) {
        // A corner's first row comes with the corner itself.
        cornerRecord(corner);
        return;
    }
    NSUI::NSLayout* row = newRow(corner);
    record->rows.push_back(row);
    record->currentRow = row;
    record->itemsInRow = 0;
    record->layout->addChild(row);
    ++record->rowCount;
    sizeCorner(*record, record->rowCount + 1);
}

void isActorOverlay::addItem(CornerRecord& record, cocos2d::Node* node, isNodeOverlay* item) {
    record.currentRow->addChild(node);
    ++record.itemsInRow;
    item->setOwner(window);
    items.push_back(item);
}

isNodeOverlayText* isActorOverlay::addText(int corner, const std::string& text) {
    CornerRecord* record = cornerRecord(corner);
    isNodeOverlayText* item = record ? isNodeOverlayText::create() : nullptr;
    if (!item)
        return nullptr;
    addItem(*record, item, item);
    item->bind(text, "", "", isNodeOverlay::kUnbound, false);
    item->setFontSize(float(fontSize));
    return item;
}

isNodeOverlaySprite* isActorOverlay::addButton() {
    CornerRecord* record = cornerRecord(kTopRight);
    isNodeOverlaySprite* button = isNodeOverlaySprite::create();
    if (!button)
        return nullptr;
    addItem(*record, button, button);
    button->setLineHeight(float(lineHeight));
    return button;
}

cocos2d::Node* isActorOverlay::findItem(const std::string& name) {
    for (const CornerRecord& record : corners)
        if (record.layout)
            if (cocos2d::Node* found = record.layout->getChildByNameDeep(name))
                return found;
    return nullptr;
}

void isActorOverlay::setItemVisible(const std::string& name, bool visible) {
    // Every corner is searched, as findItem does: the item may sit in any of them.
    if (cocos2d::Node* item = findItem(name))
        item->setVisible(visible);
}

void isActorOverlay::setOverlayVisible(bool visible) {
    for (isNodeOverlayText* label : edgeLabels)
        if (label)
            label->setVisible(visible);
    for (const CornerRecord& record : corners)
        if (record.layout)
            record.layout->setVisible(visible);
}

// --- sizes ------------------------------------------------------------------------------------

void isActorOverlay::relayout() {
    relayoutForDpi(cocos2d::Device::getDPI());
}

void isActorOverlay::relayoutForDpi(int dpi) {
    if (!window)
        return;
    itemWidth = static_cast<int>(window->getContentSize().width * 0.5f);
    if (itemWidth < 1)
        itemWidth = kDefaultItemWidth;
    fontSize = std::clamp(static_cast<int>(dpi * 4 / 25.4), kMinFontSize, kMaxFontSize);
    lineHeight = fontSize + 4;
    for (isNodeOverlay* item : items) {
        if (item->getOverlayType() == isNodeOverlay::kText)
            static_cast<isNodeOverlayText*>(item)->setFontSize(float(fontSize));
        else
            static_cast<isNodeOverlaySprite*>(item)->setLineHeight(float(lineHeight));
    }
    for (CornerRecord& record : corners) {
        if (!record.layout)
            continue;
        sizeCorner(record, static_cast<int>(record.rows.size()));
        for (NSUI::NSLayout* row : record.rows)
            row->setContentSize(cocos2d::Size(float(itemWidth), float(lineHeight)));
    }
    for (isNodeOverlayText* label : edgeLabels)
        if (label)
            label->setFontSize(float(fontSize));
    fitCorners();
}

void isActorOverlay::fitCorner(NSUI::NSLayout* layout) const {
    // The letters' room: half the wider top or bottom letter, half the taller side letter.
    float halfWidth = 0.0f, halfHeight = 0.0f;
    for (int edge = 0; edge < 4; ++edge) {
        const isNodeOverlayText* label = edgeLabels[edge];
        if (!label || !label->isVisible() || label->getString().empty())
            continue;
        const cocos2d::Size size = label->getContentSize();
        if (edge == kTop || edge == kBottom)
            halfWidth = std::max(halfWidth, size.width * 0.5f);
        else
            halfHeight = std::max(halfHeight, size.height * 0.5f);
    }
    if (auto* corner = dynamic_cast<isOverlayCorner*>(layout))
        corner->setMetrics(lineHeight, halfWidth, halfHeight);
}

void isActorOverlay::fitCorners() const {
    for (const CornerRecord& record : corners)
        if (record.layout)
            fitCorner(record.layout);
}

// --- letters and patient texts ------------------------------------------------------------------

void isActorOverlay::setOrientationLabels(const std::string& top, const std::string& bottom,
                                          const std::string& left, const std::string& right) {
    static const int kAlign[4] = {2, 8, 4, 6};
    const std::string* letters[4] = {&top, &bottom, &left, &right};
    for (int edge = 0; edge < 4; ++edge) {
        isNodeOverlayText*& label = edgeLabels[edge];
        if (!label) {
            label = isNodeOverlayText::create();
            if (!label)
                continue;
            alignInParent(label, kAlign[edge]);
            addPlainNode(label);
            label->setFontSize(float(fontSize));
            label->setLocalZOrder(kOverlayZOrder);
        }
        label->bind(*letters[edge], "", "", isNodeOverlay::kUnbound, false);
    }
    fitCorners();
}

void isActorOverlay::setPatientInfo(const std::string& json) {
    for (isNodeOverlay* item : items) {
        if (item->getOverlayType() != isNodeOverlay::kText)
            continue;
        for (const PatientKey& entry : kPatientKeys)
            if (item->getBoundId() == entry.id)
                static_cast<isNodeOverlayText*>(item)->setValue(
                    NSUI::UIJson::getJsonString(json, entry.key, ""));
    }
}

void isActorOverlay::clearOverlay() {
    detachNodes();
    // The corner layouts and letters are the only plain nodes: drop them with their rows and items.
    for (cocos2d::Node* node : plainNodes)
        node->release();
    plainNodes.clear();
    for (CornerRecord& record : corners)
        record = CornerRecord();
    for (isNodeOverlayText*& label : edgeLabels)
        label = nullptr;
    items.clear();
}

} // namespace isImageSDK
