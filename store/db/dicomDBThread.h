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

/// Created by the store and stopped through NSThreadSafeDestroy::safeDestroyThread.
class dicomDBThread : public NSUI::NSThread {
public:
    dicomDBThread(dicomDB* store, int tagBufferSize);
    void setConnection(NSUI::NSDBUtil* db) { _db = db; }

protected:
    virtual ~dicomDBThread();
    void process(NSUI::NSThreadRequest* request) override;

private:
    bool listPatients(NSUI::NSDBDataModel& out);
    bool listStudies(const std::string& patientId, NSUI::NSDBDataModel& out);
    bool listFavorites(NSUI::NSDBDataModel& out);
    void storeFile(dicomDBRequest* request);
    /// Appends the rows of a series' images into rows; false when the query fails.
    bool seriesImages(long long seriesId, NSUI::NSDBDataModel& rows);

    dicomDB* _store;
    NSUI::NSDBUtil* _db = nullptr;
    SeriesTagReader _tags;
};
