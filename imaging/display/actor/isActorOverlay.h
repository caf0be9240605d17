#pragma once
// The information texts of a viewport: lines of text and small buttons stacked in the four
// corners, and the patient-direction letters centred on the four edges. A viewer fills the
// corners once; the overlay then follows the letters (9070) and the patient and study texts
// (9084) of its window, and sizes everything from the screen's DPI.

#include <string>
#include <vector>

#include "imaging/display/actor/isActorObject.h"

namespace NSUI {
class NSLayout;
class NSNotificationData;
} // namespace NSUI

namespace isImageSDK {

class isNodeOverlay;
class isNodeOverlaySprite;
class isNodeOverlayText;

class isActorOverlay : public isActorObject {
public:
    /// Corners by their relative-layout alignment codes.
    enum Corner { kTopLeft = 1, kTopRight = 3, kBottomLeft = 7, kBottomRight = 9 };

    static isActorOverlay* create();
    ~isActorOverlay() override;

    void cleanup() override;
    bool init() override;
    /// Starts empty in the new window, with items half the window wide.
    void attachTo(isRenderWindow* window) override;
    /// What the actor manager runs before releasing the overlay.
    void clear() override { clearOverlay(); }

    isNodeOverlayText* addTopLeftText(const std::string& text) { return addText(kTopLeft, text); }
    isNodeOverlayText* addTopRightText(const std::string& text) { return addText(kTopRight, text); }
    isNodeOverlayText* addBottomLeftText(const std::string& text) { return addText(kBottomLeft, text); }
    isNodeOverlayText* addBottomText(const std::string& text) { return addBottomLeftText(text); }
    /// A fixed text in the current row of the corner; bind it to show a notification instead.
    isNodeOverlayText* addText(int corner, const std::string& text);
    /// A cine button in the current row of the top-right corner; bind it to its command.
    isNodeOverlaySprite* addButton();
    /// Starts a new row in corner 1, 3 or 7.
    void addRow(int corner);
    void addBottomLeftRow() { addRow(kBottomLeft); }
    /// An empty line under the top-right corner's current row.
    void addSpacer() { addRow(kTopRight); }
    /// The first item of that name in corners 1, 7, 3, 9, searched through their rows.
    cocos2d::Node* findItem(const std::string& name);
    void setItemVisible(const std::string& name, bool visible);
    void setOverlayVisible(bool visible);
    /// Sizes items, rows and letters from the window's width and the screen's DPI.
    void relayout();
    /// The same for a given DPI: the font is 4 mm high, within 20 to 30 points.
    void relayoutForDpi(int dpi);
    void setOrientationLabels(const std::string& top, const std::string& bottom, const std::string& left,
                              const std::string& right);
    /// Gives each patient or study item the value of its key in the JSON text.
    void setPatientInfo(const std::string& json);
    /// Takes every node out of the window and forgets every corner, row, item and letter.
    void clearOverlay();

    const std::vector<isNodeOverlay*>& getItems() const { return items; }
    NSUI::NSLayout* getCornerLayout(int corner) const;
    int getRowCount(int corner) const;
    isNodeOverlayText* getEdgeLabel(int edge) const {
        return edge >= 0 && edge < 4 ? edgeLabels[edge] : nullptr;
    }
    int getItemWidth() const { return itemWidth; }
    int getFontSize() const { return fontSize; }
    int getLineHeight() const { return lineHeight; }

    enum Edge { kTop = 0, kBottom = 1, kLeft = 2, kRight = 3 };
    static constexpr unsigned int kOrientationLabelsId = 9070;
    static constexpr unsigned int kPatientInfoId = 9084;

protected:
    isActorOverlay() = default;
    friend class isObject;

    struct CornerRecord {
        int rowCount = 0;
        int itemsInRow = 0;
        NSUI::NSLayout* layout = nullptr;
        std::vector<NSUI::NSLayout*> rows;
        NSUI::NSLayout* currentRow = nullptr;
    };

    /// The record of a corner, its layout and current row made on demand; null for other codes.
    CornerRecord* cornerRecord(int corner);
    CornerRecord* findRecord(int corner);
    NSUI::NSLayout* newRow(int corner);
    void sizeCorner(CornerRecord& record, int rows);
    /// Tells a corner (every corner) the line height and the room the edge letters take.
    void fitCorner(NSUI::NSLayout* layout) const;
    void fitCorners() const;
    void addItem(CornerRecord& record, cocos2d::Node* node, isNodeOverlay* item);
    void onNotification(unsigned int id, NSUI::NSNotificationData* data);

    static constexpr int kCornerOrder[4] = {kTopLeft, kBottomLeft, kTopRight, kBottomRight};

    CornerRecord corners[4]; // in kCornerOrder
    std::vector<isNodeOverlay*> items;
    isNodeOverlayText* edgeLabels[4] = {nullptr, nullptr, nullptr, nullptr};
    int itemWidth = 100;
    int fontSize = 30;
    int lineHeight = 34;
};

} // namespace isImageSDK
