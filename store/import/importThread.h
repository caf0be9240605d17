#pragma once
// The importer's worker: copies one file per request into the store and announces its record.

#include "thread/NSThread.h"

#include <atomic>
#include <mutex>
#include <string>

/// Each request's text is the path of one file. A DICOM file is copied below the store root
/// into its series folder and its record is posted as notification 2014; other files are skipped.
class importThread : public NSUI::NSThread {
public:
    importThread() = default;
    /// May be called while files are being copied; the next file uses the new root.
    void setRootPath(std::string root);
    /// Files placed in the store so far.
    unsigned placedCount() const { return _placed.load(); }

protected:
    virtual ~importThread() = default;
    void process(NSUI::NSThreadRequest* request) override;

private:
    std::string root() const;

    mutable std::mutex _rootMutex;
    std::string _root;
    std::atomic<unsigned> _placed{0};
};
