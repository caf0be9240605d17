#pragma once
// The local study store: the SQLite index of the DICOM files kept below the store root, the
// DICOM receiver that writes into that tree, and the worker that serves queued requests.

#include "cocos2d.h"
#include "db/FoundRecord.h"
#include "db/NSDBDataModel.h"
#include "db/NSDBUtil.h"
#include "db/NeighborRecord.h"
#include "db/StoreOwnerLock.h"
#include "db/dicomDBRequest.h"
#include "thread/NSThreadSafeDestroy.h"

#include <atomic>
#include <functional>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace dcmSDK {
class dcmServer;
struct DCM_MESSAGE;
}
namespace NSUI {
class NSNotificationData;
}
class DcmMessageData;
class dicomDBThread;
class StoreRecovery;

/// Every operation holds the store's recursive lock from its first statement to its last, and
/// every change of several statements runs in one transaction. Every value that comes from a
/// file, the network or a caller is bound as a statement parameter. Deleting also holds the
/// folder lock of dcmSDK::storeFolderLock, taken after the store's lock, so that no holder of the
/// folder lock (the receiver before it answers its peer) waits for a listing or an indexing.
///
/// A clean close indexes every record already handed over and leaves a mark beside the
/// database; an open that finds no mark (the program was killed, or the machine went down)
/// walks the series folders in the background for files that no image row names. One open
/// store at a time owns a store folder (StoreOwnerLock): another that finds it owned opens
/// nothing, so the mark and the walk stay its owner's.
class dicomDB : public cocos2d::Ref, public NSUI::NSThreadSafeDestroy {
public:
    /// Constructs and runs init; null when init fails. The caller owns the one reference.
    static dicomDB* create();

    dicomDB();
    virtual ~dicomDB();
    /// Creates the worker, observes 2014, 1004 and 9104, then opens the store (and with it the
    /// receiver): a record filed as the receiver starts finds the store listening.
    virtual bool init();
    /// Stops the receiver, lets the worker index every file record already posted to the store
    /// or queued (the walk for files without rows ends between two files), closes the database
    /// and marks the close clean unless the walk is unfinished.
    virtual void stop();

    /// Root = writable path + "qp/dicom/"; takes the folder's owner lock, opens the database
    /// there, and only when both succeeded starts the receiver on that root.
    bool openStore();
    /// Opens or creates folder + "dicomDB", raises its version and adds missing tables.
    bool createDB(const std::string& folder);
    bool isOpen() const { return _open; }
    /// True when another open store (another running workstation) owns the folder: this one
    /// opened nothing and leaves the folder alone.
    bool isInUseElsewhere() const { return _inUseElsewhere; }
    /// The store root, ending in "/".
    std::string getRoot() const;
    /// The root a store opened under this writable path uses: writable + "qp/dicom/".
    static std::string rootFor(const std::string& writablePath);
    /// The file beside the database that a clean close writes and an open takes away.
    static constexpr const char* kClosedMark = "dicomDB.closed";
    /// True when this open found no clean close and looks for files without rows.
    bool walksForFilesWithoutRows() const { return _recovery != nullptr; }
    /// Makes the indexes the store's queries need when they are missing (a store made before
    /// they existed). The worker runs it before its first request.
    void ensureIndexes();

    // ---- Synchronous operations (main thread) ----------------------------------------------

    /// Rows of (instance number, file name) of a series, in numeric order of the instance number.
    void getImageFiles(NSUI::NSDBDataModel& out, const std::string& seriesId);
    /// Deletes a series and its images, then its study and patient when they become empty; the
    /// series folder goes after the commit, and the folders above it when nothing else is in
    /// them. No file is placed in the store and no record is indexed meanwhile.
    bool deleteSeries(const std::string& seriesId);
    /// Deletes a patient with its studies, series and images, then their folders (as above).
    bool deletePatient(const std::string& patientId);
    bool deleteFavorite(int id);
    bool patientExists(const std::string& patientId);

    // ---- Storing file records (worker) ----------------------------------------------------

    /// Looks up each level below a found parent; false only when a query fails.
    bool findRecord(const std::string& name, const std::string& patientId, const std::string& studyUid,
                    const std::string& seriesUid, const std::string& imageUid, FoundRecord& found);
    /// Inserts the missing levels (and touches the found ones) in one transaction.
    bool insertRecord(const dcmSDK::DCM_MESSAGE& record, FoundRecord& found);
    /// The largest value of a column, 0 for an empty table or a failed query. Column and table
    /// are names from the code, never outside text.
    int getMaxId(const std::string& column, const std::string& table);

    // ---- Favourites ---------------------------------------------------------------------

    /// Inserts the group row when none was added during the last 30,000,000 seconds of this run.
    bool addFavorite();
    /// The new favourite's ID; -1 when the store is not open or the insert failed.
    int addCaptureFavorite(const std::string& path, float scale);
    int addDicomFavorite(const std::string& path, float scale);
    int getFavoriteCount() const { return _favoriteCount; }
    void setFavoriteCount(int count) { _favoriteCount = count; }

    // ---- Known DICOM nodes (their own connection and lock, never the store's) ---------------

    bool upsertNeighbor(int device, const std::string& name, const std::string& ip, const std::string& port,
                        const std::string& appid);
    void listNeighbors(std::vector<NeighborRecord>& out);
    /// The node stays known but is no longer live: its last-seen time becomes the start of today.
    bool setNeighborWifi(const std::string& appid);

    // ---- Requests ----------------------------------------------------------------------------

    void requestPatients(const dicomDBRequest::Callback& callback);
    void requestStudies(const dicomDBRequest::Callback& callback, const std::string& patientId);
    /// A list answers only when it has rows; with `evenWhenEmpty` an empty list is answered too.
    void requestFavorites(const dicomDBRequest::Callback& callback, bool evenWhenEmpty = false);

    /// Queues a file record for the worker, from any thread; the store takes the record over.
    /// `processed` runs on the worker once it has been handled, or at once when it is not queued.
    void queueFileRecord(dcmSDK::DCM_MESSAGE* record, std::function<void()> processed);

    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);
    void onRequestDone(NSUI::NSThreadRequest* request);

    std::recursive_mutex& getLock() { return _lock; }
    /// True while the worker runs a request (it may be waiting for the lock above).
    bool isWorkerBusy() const;
    NSUI::NSDBUtil& getConnection() { return _db; }
    /// True from the start of stop: the worker then only indexes what is queued.
    bool isClosing() const { return _closing; }
    /// A filed file could not be indexed (the database failed): the close then leaves no mark,
    /// so that the next open looks for it again.
    void noteFileLeftWithoutRow() { _fileLeftWithoutRow = true; }

    /// The receiver's TCP port, 4587 unless changed (tests and the benchmark use free ports).
    static void setReceiverPort(int port);
    static int getReceiverPort();
    static constexpr const char* kReceiverAETitle = "ambrtide";

    const int schemaVersion;

private:
    void onCaptureSaved(const std::string& path);
    void onFavoriteDicomSaved(const std::string& path, int mode, float scale);
    int addFavoriteRow(int type, const std::string& path, float scale);
    void queueRequest(dicomDBRequest* request, bool toFront);
    /// Queues the record its holder carries for the worker (any thread); see queueFileRecord.
    void queueRecord(DcmMessageData* holder, std::function<void()> processed);
    /// Takes the usable series folders out of the store, then removes the study and patient
    /// folders above each that are left empty. The caller holds the store's folder lock
    /// (dcmSDK::storeFolderLock). Each series folder is renamed into the store's scratch
    /// folder; returned are those moved there, for removeFoldersSetAside once the lock is free.
    std::vector<std::string> takeOutSeriesFolders(const std::vector<std::string>& seriesFolders);
    static void removeFoldersSetAside(const std::vector<std::string>& folders);
    /// Takes the clean-close mark away; true when there was one.
    bool takeClosedMark();
    void writeClosedMark();

    // The known nodes' rows go through a connection and a lock of their own: the main thread's
    // look-ups of them (every second or two) never wait for a list or an indexing.
    NSUI::NSDBUtil _nodesDb;
    std::mutex _nodesLock;
    std::atomic<bool> _open{false};
    std::atomic<bool> _closing{false};
    std::atomic<bool> _fileLeftWithoutRow{false};
    std::atomic<bool> _inUseElsewhere{false};
    StoreOwnerLock _owner;
    bool _indexesReady = false;  // under _lock
    std::unique_ptr<StoreRecovery> _recovery;
    std::string _root;
    NSUI::NSDBUtil _db;
    std::unique_ptr<dcmSDK::dcmServer> _server;
    std::recursive_mutex _lock;
    dicomDBThread* _worker = nullptr;
    int _favoriteCount = 0;
    int64_t _lastGroupTime = 0;
};
