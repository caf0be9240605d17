#pragma once
// The user's private library of screen captures and favourite DICOM images: one row per item with
// its thumbnail and check box, group rows between capture sessions, sharing and removal.

#include "layout/NSLayout.h"
#include "table/NSTableViewDelegate.h"
#include "ui/CocosGUI.h"

#include <functional>
#include <memory>
#include <string>

namespace NSUI {
class NSDBDataModel;
class NSListView;
class NSNotificationData;
} // namespace NSUI

class captureList : public NSUI::NSLayout, public NSUI::NSTableViewDelegate {
public:
    enum RowType { kCapture = 1, kDicom = 2, kGroup = 3, kHint = 4 };
    /// Posted by a thumbnail job when it has written a PNG; text = the favourite's ID.
    static constexpr unsigned kThumbnailDoneId = 2030;

    /// One row of the library, owned by the table's row vector.
    class listObject : public cocos2d::Ref, public NSUI::UIJson {
    public:
        static listObject* create(int type, int id, const std::string& image, float scale);
        std::string image;
        std::string updateTime;
        std::string icon;
        std::string message;
        int32_t type = kHint;
        int32_t ID = 0;
        float scale = 1.0f;
        bool checked = false;
    };

    static captureList* create();
    bool init() override;
    /// Builds the table and asks the store for the favourites on the first call.
    void setup();
    void onEnterTransitionDidFinish() override;

    /// Called with (path, type) when a capture or DICOM row is opened; set by the owner.
    std::function<void(const std::string&, int)> rowSelected;

    void selectRow(listObject* row);
    void setAllChecked(bool checked);
    void shareByMail();
    /// Deletes the checked items' files and rows, then opens the first row left.
    void removeChecked();
    void addCaptureRow(const std::string& path, float scale, int id);
    void onFavoritesLoaded(NSUI::NSDBDataModel* model);
    /// Drops trailing group rows; an empty table gets the hint row.
    void ensureHintRow();
    NSUI::NSListView* getTable() const { return table; }
    /// True once the store has answered, also when the library is empty.
    bool isLoaded() const { return loaded; }
    float getTextRowHeight() const { return textRowHeight; }

    cocos2d::Size tableCellSizeForIndex(NSUI::NSTableView* table, int64_t index, cocos2d::Ref* rowItem) override;
    NSUI::NSTableViewCell* tableCellAtIndex(NSUI::NSTableView* table, int64_t index,
                                            const cocos2d::Size& size) override;
    void tableCellTouched(NSUI::NSTableView* table, NSUI::NSTableViewCell* cell, const cocos2d::Vec2& point) override;

    /// The path with its last three characters replaced by "png".
    /// The JSON list {"0": path, ..., "number": count} of the checked captures and DICOM
    /// favourites; withDicom tells whether one of them is a DICOM file. Returns the count.
    static int collectChecked(const cocos2d::Vector<cocos2d::Ref*>& rows, std::string& json, bool& withDicom);
    static std::string thumbnailPathOf(const std::string& path);
    /// True only for a .jpg or .dcm file inside "qp/tmp/capture/" or "qp/favorite/" under the
    /// writable path, judged after "." and ".." are resolved, so a damaged row reaches nothing else.
    static bool isRemovablePath(const std::string& path);
    /// Writes the PNG thumbnail of a DICOM favourite unless a job for it is already running;
    /// the picture appears under its final name only when complete. Posts kThumbnailDoneId with
    /// the id text and `owner` as object on success. Runs on the calling thread.
    static bool makeThumbnail(const std::string& file, int id, cocos2d::Ref* owner);
    /// True while any thumbnail job has not yet posted its result.
    static bool isThumbnailJobRunning();

protected:
    ~captureList() override;

private:
    void onCheckBoxChanged(cocos2d::Ref* sender, cocos2d::ui::CheckBox::EventType type);
    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);
    void showPicture(NSUI::NSTableViewCell* cell, listObject* row, const cocos2d::Size& size);

    NSUI::NSListView* table = nullptr;
    float textRowHeight = 40.0f;
    int wideHeight = 80;
    int tallHeight = 160;
    int tableWidth = 0;
    int rowMargin = 10;
    int rightMargin = 10;
    int checkColumn = 30;
    float hintBubbleHeight = 120.0f;
    bool loaded = false;
    // Alive as long as this list: the store's completion holds it weakly.
    std::shared_ptr<char> lifeToken = std::make_shared<char>();
    // Retained by every thumbnail job, so its notification never names a freed list.
    cocos2d::Ref* thumbnailOwner = nullptr;
};
