#pragma once
// The study store's worker: runs queued store requests one at a time under the store's lock.

#include "db/SeriesTagReader.h"
#include "thread/NSThread.h"

#include <string>

namespace NSUI {
class NSDBDataModel;
class NSDBUtil;
}
class dicomDB;
class dicomDBRequest;

/// Created by the store and ended through NSThreadSafeDestroy::safeFinishThread, which lets it
/// index every record still queued.
class dicomDBThread : public NSUI::NSThread {
public:
    dicomDBThread(dicomDB* store, int tagBufferSize);
    void setConnection(NSUI::NSDBUtil* db) { _db = db; }

protected:
    virtual ~dicomDBThread();
    void process(NSUI::NSThreadRequest* request) override;

private:
    void run(dicomDBRequest* request);
    bool listPatients(NSUI::NSDBDataModel& out);
    bool listStudies(const std::string& patientId, NSUI::NSDBDataModel& out);
    bool listFavorites(NSUI::NSDBDataModel& out);
    void storeFile(dicomDBRequest* request);
    /// The number of a series' images and the file name of its first one (empty without
    /// images); false when a query fails.
    bool seriesImages(long long seriesId, int& count, std::string& firstFile);
    /// Drops the series' cached volume and its preview pictures, which show it as it was.
    void clearSeriesCaches(const std::string& folder);

    dicomDB* _store;
    NSUI::NSDBUtil* _db = nullptr;
    SeriesTagReader _tags;
};
