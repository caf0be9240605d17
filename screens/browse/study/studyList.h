#pragma once
// One patient's studies and series: a header row per study followed by its series, a panel of
// preview pictures of the selected series, and the series' delete and share actions. New files
// of the patient are merged into the rows while the screen is shown.

#include "base/UIControlBase.h"
#include "cocos2d.h"
#include "table/NSTableViewDelegate.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class dicomDB;
namespace NSUI {
class NSDBDataModel;
class NSListView;
class NSNotificationData;
} // namespace NSUI

class studyList : public cocos2d::Layer, public NSUI::NSTableViewDelegate, public NSUI::UIControlBase {
public:
    /// One row: a study header (kind 0) or a series (kind 1).
    class listObject : public cocos2d::Ref {
    public:
        static listObject* create(int kind);

        int kind = -1;
        std::string studyID, studyDate, studyIDHospital, studyDesc;
        std::string seriesID, dicomSeriesNumber, dateTime, seriesPara, patientID;
        int imageCount = 0, columns = 0, rows = 0;
        std::string institution, seriesDesc, modality;
        std::string path; ///< series folder relative to the store root
    };

    static constexpr int kScreenTag = 100;
    static constexpr int kStudyCellTag = 100;
    static constexpr int kSeriesCellTag = 101;
    static constexpr unsigned kFileStoredId = 2001;
    static constexpr unsigned kSeriesDeletedId = 2015;
    /// Asks for the viewing screen of a series; text = the series folder relative to the
    /// store root. Whoever can build the viewing screen observes it and pushes that scene.
    static constexpr unsigned kOpenSeriesId = 2028;
    static constexpr float kOpenZoneWidth = 64.0f;

    /// A new scene holding a new screen as its child with tag kScreenTag. The opener gives
    /// that child the patient's row ID (setPatientID) and pushes the scene.
    static cocos2d::Scene* create();
    static studyList* createScreen();

    ~studyList() override;
    bool init() override;
    void onEnterTransitionDidFinish() override;
    void onExit() override;
    void cleanup() override;
    bool onResponseReturn() override;

    void setPatientID(const std::string& id) { patientID = id; }
    const std::string& getPatientID() const { return patientID; }

    // ---- What the user does ---------------------------------------------------------------

    void tableCellTouched(NSUI::NSTableView* table, NSUI::NSTableViewCell* cell,
                          const cocos2d::Vec2& point) override;
    void tableFillLeftMenu(NSUI::NSTableView* table, NSUI::NSTableViewMenu* menu) override;
    cocos2d::Size tableCellSizeForIndex(NSUI::NSTableView* table, int64_t index,
                                        cocos2d::Ref* rowItem) override;
    NSUI::NSTableViewCell* tableCellAtIndex(NSUI::NSTableView* table, int64_t index,
                                            const cocos2d::Size& size) override;
    void onButtonClicked(cocos2d::Ref* sender);

    /// Shows the row's pictures, making them first on a worker when the folder has none.
    void selectSeries(listObject* row);
    /// Posts kOpenSeriesId for a series row; nothing for a study row.
    void openSeries(listObject* row);
    void deleteSeries(int index);
    void shareSeries(int index);
    void sendSeries(int index);

    // ---- What the store reports -----------------------------------------------------------

    void onStudiesLoaded(NSUI::NSDBDataModel* model);
    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);
    void onFileStored(NSUI::NSNotificationData* data);
    void onSeriesRecord(NSUI::NSDBDataModel* model);

    static bool hasThumbnails(const std::string& folder);
    void showThumbnails(const std::string& folder);

    NSUI::NSListView* getTable() const { return table; }
    listObject* rowAt(int64_t index) const;
    bool isLoaded() const { return loaded; }
    bool isThumbnailJobRunning() const { return thumbnailJobRunning->load(); }
    const std::string& getShownFolder() const { return shownFolder; }
    size_t getPendingRecordCount() const { return pendingRecords.size(); }

private:
    studyList() = default;
    void buildTable(cocos2d::Node* placeholder);
    void insertRow(int64_t index, listObject* row);
    std::string seriesFolder(const listObject* row) const;
    bool isOwnSeriesFolder(const std::string& folder) const;
    void forgetPictures();
    static dicomDB* store();

    NSUI::NSListView* table = nullptr;
    cocos2d::Vector<NSUI::NSNotificationData*> pendingRecords;
    bool loaded = false;
    bool firstEntry = true;
    std::string patientID;
    std::string shownFolder;
    std::string selectedSeriesID;
    std::vector<std::string> pictureKeys;
    // Lives exactly as long as the screen; the store's answer checks it before calling back.
    std::shared_ptr<char> lifeToken = std::make_shared<char>(0);
    // Shared with the picture worker, which may end after the screen is gone.
    std::shared_ptr<std::atomic<bool>> thumbnailJobRunning = std::make_shared<std::atomic<bool>>(false);
};
