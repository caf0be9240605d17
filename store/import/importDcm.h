#pragma once
// Brings DICOM files from a folder (or one file) into the study store on a worker thread.

#include "thread/NSObject.h"
#include "thread/NSThreadSafeDestroy.h"

#include <functional>
#include <string>

class importThread;

/// One importer per import job; the store indexes each copied file when its record arrives.
class importDcm : public NSUI::NSObject, public NSUI::NSThreadSafeDestroy {
public:
    /// Autoreleased; null when init fails.
    static importDcm* create();
    importDcm() = default;
    virtual ~importDcm();
    virtual bool init();
    /// Stops the worker and waits for it; requests still queued are dropped. A file being
    /// copied is finished and its record posted first.
    virtual void stop();
    /// Stops every importer (the program's close, before the store indexes what was posted to it).
    static void stopAll();

    /// The store root (dicomDB::getRoot), ending in "/".
    void setRootPath(std::string root);
    /// Queues every file below a folder (names beginning with "." skipped), or the one file.
    void importFiles(std::string path);
    /// The same, then runs done on the main thread once every file queued so far has been
    /// handled (copied or skipped). done never runs when the importer is stopped first.
    void importFiles(std::string path, std::function<void()> done);
    /// DICOM files placed in the store by this importer so far (other files are skipped):
    /// comparing it before and after a job tells whether the job brought anything in.
    unsigned placedCount() const;

private:
    importThread* _worker = nullptr;
};
