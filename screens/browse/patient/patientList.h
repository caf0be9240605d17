#pragma once
// The first screen: one row per patient of the study store, newest first, kept current by the
// store's notifications; imports folders and archives, and shows the network state.

#include "base/UIControlBase.h"
#include "base/UIControlGenerater.h"
#include "cocos2d.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"
#include "table/NSTableViewDelegate.h"
#include "thread/NSThreadSafeDestroy.h"
#include "ui/CocosGUI.h"

#include <deque>
#include <functional>
#include <set>
#include <string>

class importDcm;
class dicomDB;
namespace NSUI {
class NSDBDataModel;
class NSListView;
class NSNotificationData;
}

/// Everything runs on the main thread except the deletion and unpack workers, which touch
/// only the texts they are given, the files and the store; the screen waits for its unpack
/// workers when it is cleaned up, and the program for deletions before it closes the store.
/// Panels opened on it (share, send) report through its message toast.
class patientList : public cocos2d::Layer,
                    public NSUI::NSTableViewDelegate,
                    public NSUI::UIJson,
                    public NSUI::UIControlGenerater,
                    public NSUI::UIControlBase,
                    public NSUI::UILocalConfig,
                    public NSUI::NSThreadSafeDestroy {
public:
    /// One row: a patient as the store lists it.
    class listObject : public cocos2d::Ref, public NSUI::UIJson {
    public:
        std::string patientID;         // the store's row ID
        std::string patientIDHospital; // the DICOM patient ID
        std::string name;
        std::string birthday;
        std::string sex;
        std::string updateTime; // cut to 16 characters
        std::string studyDesc;
        std::string dcmFolder; // the patient folder relative to the store root
        int studyNumber = 0;
        int seriesNumber = 0;
        int imageNumber = 0;
        int hasNewFiles = 0;
    };

    /// A new scene holding a new patient list (the scene stays empty when the list fails).
    static cocos2d::Scene* createScene();
    static patientList* create();

    ~patientList() override;
    bool init() override;
    void onEnterTransitionDidFinish() override;
    void onExit() override;
    void cleanup() override;

    void onButtonClicked(cocos2d::Ref* sender);

    void tableCellTouched(NSUI::NSTableView* table, NSUI::NSTableViewCell* cell, const cocos2d::Vec2& point) override;
    void tableFillLeftMenu(NSUI::NSTableView* table, NSUI::NSTableViewMenu* menu) override;
    cocos2d::Size tableCellSizeForIndex(NSUI::NSTableView* table, int64_t index, cocos2d::Ref* rowItem) override;
    NSUI::NSTableViewCell* tableCellAtIndex(NSUI::NSTableView* table, int64_t index,
                                            const cocos2d::Size& size) override;

    void onPatientsLoaded(NSUI::NSDBDataModel* model);
    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    /// Removes the row at once; its files and store rows go on a worker.
    void deletePatient(int index);
    static void deletePatientWorker(const std::string& json, dicomDB* store);

    void updateEmptyPrompt();
    void updateLoginButton();
    void showNetworkBanner(bool show);
    /// Sets (count >= 0) or raises by one (count < 0) the favourites badge of any screen node
    /// that holds a "btnFavorite" button.
    static void updateFavoriteBadge(cocos2d::Node* owner, int count);

    // ---- Import ---------------------------------------------------------------------------

    /// Imports a folder, or unpacks a zip archive and imports what it holds. Archives are
    /// unpacked one at a time, each into a folder of its own that goes once it is imported.
    void importFile(std::string path);
    /// Asks the user for a file and imports the folder that holds it.
    void chooseAndImport();
    /// The unpack worker: job is the flat JSON of "file" and "path"; posts 2022.
    static void unzipArchive(const std::string& job);
    /// The resource worker: job is the flat JSON of "folder" and "source" (the found "js.zip").
    static void installWebResources(const std::string& job);

    NSUI::NSListView* getTable() const { return _table; }
    listObject* rowAt(int64_t index) const;
    const std::string& getPendingImport() const { return pendingImport; }

    // Notification ids this screen uses.
    static constexpr unsigned kFileStoredId = 2002;
    static constexpr unsigned kSeriesDeletedId = 2015;
    static constexpr unsigned kUnpackedId = 2022;
    static constexpr unsigned kOpenPathId = 2023;
    static constexpr unsigned kLiveNodesId = 2024;
    static constexpr unsigned kLoginChangedId = 2031;
    static constexpr unsigned kCaptureSavedId = 1004;
    static constexpr unsigned kFavoriteDicomSavedId = 9104;
    static constexpr unsigned kBusyButtonId = 1003;

    static constexpr int kPromptTag = 100001;
    static constexpr int kBannerTag = 9001;
    static constexpr int kRecordTag = 100;
    /// Only the right-most points of a row open the patient's studies.
    static constexpr float kOpenZoneWidth = 64.0f;

private:
    patientList() = default;

    void buildTable(cocos2d::Node* root);
    void wireButtons(cocos2d::Node* root);
    void onLiveNodes(int count);
    void onFileStored(const std::string& json);
    void onSeriesDeleted(const std::string& patientId);
    int64_t indexOfPatient(const std::string& patientId) const;
    dicomDB* store() const;

    // Import steps (patientListImport.cpp).
    void startNextUnpack();
    void onUnpacked(int ok);
    /// Imports a folder or one file; tells the user when nothing in it could be imported,
    /// then runs after (may be empty).
    void importAndReport(const std::string& path, std::function<void()> after);
    void importSample();
    std::string scratchRoot() const;

    NSUI::NSListView* _table = nullptr;
    importDcm* importer = nullptr;
    std::string storeRoot;
    std::string pendingImport;
    std::string resourceFolder;
    bool firstEntry = true;

    std::set<std::string> deletedPatients; // store row IDs deleted from this screen
    std::deque<std::string> _waitingArchives;
    bool _unpacking = false;
    bool _unpackCancelled = false;
    int _unpackJobs = 0;
};
