#include "dcmSender.h"

#include "LoopbackGuard.h"
#include "NetMessageText.h"
#include "NetworkSetup.h"
#include "dcmCallbacks.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/dstorscu.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace dcmSDK {

namespace {

// How long we wait for the peer's association answer and for each C-STORE response.
const Uint32 kAcseTimeoutSeconds = 10;
const Uint32 kDimseTimeoutSeconds = 60;

/// The files a send covers: path itself, or every regular file below it, in name order
/// so that a series goes out in a stable order.
std::vector<std::string> listCandidateFiles(const std::string& path)
{
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) {
        files.push_back(path);
        return files;
    }
    if (!fs::is_directory(path, ec))
        return files;
    fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_regular_file(typeEc))
            files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool hasDicomPreamble(const std::string& path)
{
    char magic[4] = {};
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bool ok = std::fseek(f, 128, SEEK_SET) == 0 && std::fread(magic, 1, 4, f) == 4;
    std::fclose(f);
    return ok && std::memcmp(magic, "DICM", 4) == 0;
}

bool isSuccessOrWarning(Uint16 status)
{
    // 0x0000 success; 0xB000, 0xB006, 0xB007 warnings: the peer kept the object.
    return status == 0x0000 || (status & 0xF000) == 0xB000;
}

/// DcmStorageSCU that counts what the peer stored, reports progress and stops on request.
class ProgressStorageSCU : public DcmStorageSCU {
public:
    ProgressStorageSCU(unsigned taskID, const std::atomic<bool>& cancel)
        : _taskID(taskID), _cancel(cancel) {}

    void setTotal(size_t total) { _total = total; }
    size_t stored() const { return _stored; }

protected:
    void notifySOPInstanceSent(const TransferEntry& entry) override
    {
        ++_done;
        if (entry.RequestSent && isSuccessOrWarning(entry.ResponseStatusCode))
            ++_stored;
        else
            dcmLog("dcmSender: %s was not stored (status 0x%04x)",
                   entry.Filename.getCharPointer() ? entry.Filename.getCharPointer() : "?",
                   entry.ResponseStatusCode);
        reportProgress();
    }

    OFBool shouldStopAfterCurrentSOPInstance() override { return _cancel.load() ? OFTrue : OFFalse; }

private:
    void reportProgress()
    {
        if (_total == 0)
            return;
        // Whole percents only: a large series would otherwise flood the host's queue.
        int percent = static_cast<int>(_done * 100 / _total);
        if (percent == _lastPercent)
            return;
        _lastPercent = percent;
        dcmMessage(DCM_MSG_SEND_PROGRESS, NetMessageText::progress(_taskID, static_cast<float>(percent)).c_str());
    }

    unsigned _taskID;
    const std::atomic<bool>& _cancel;
    size_t _total = 0;
    size_t _done = 0;
    size_t _stored = 0;
    int _lastPercent = -1;
};

} // namespace

struct dcmSender::Impl {
    mutable std::mutex mutex;
    std::string ip;
    std::string port;
    std::thread worker;
    std::atomic<bool> sending{false};
    std::atomic<bool> cancel{false};

    bool transfer(unsigned taskID, const std::string& ip, const std::string& portText,
                  const std::string& path);
    void run(unsigned taskID, std::string ip, std::string port, std::string path);
};

bool dcmSender::Impl::transfer(unsigned taskID, const std::string& host, const std::string& portText,
                               const std::string& path)
{
    Uint16 port = 0;
    if (host.empty() || !NetworkSetup::parsePort(portText, port)) {
        dcmLog("dcmSender: bad node address \"%s\" port \"%s\"", host.c_str(), portText.c_str());
        return false;
    }
    if (!LoopbackGuard::allows(host))
        return false;

    ProgressStorageSCU scu(taskID, cancel);
    scu.setAETitle(NetworkSetup::kCallingAETitle);
    scu.setPeerAETitle(NetworkSetup::kDefaultCalledAETitle);
    scu.setPeerHostName(host.c_str());
    scu.setPeerPort(port);
    scu.setACSETimeout(kAcseTimeoutSeconds);
    scu.setDIMSEBlockingMode(DIMSE_NONBLOCKING);
    scu.setDIMSETimeout(kDimseTimeoutSeconds);
    scu.setHaltOnInvalidFileMode(OFFalse);

    size_t skipped = 0;
    for (const std::string& file : listCandidateFiles(path)) {
        // Thumbnails and notes beside the images are not part of the send.
        if (!hasDicomPreamble(file) || scu.addDicomFile(file.c_str(), ERM_fileOnly, OFFalse).bad())
            ++skipped;
    }
    const size_t total = scu.getNumberOfSOPInstances();
    if (total == 0) {
        dcmLog("dcmSender: no DICOM file under \"%s\"", path.c_str());
        return false;
    }
    scu.setTotal(total);

    OFCondition cond = scu.addPresentationContexts();
    if (cond.good()) {
        std::lock_guard<std::mutex> lock(NetworkSetup::networkInitMutex());
        cond = scu.initNetwork();
    }
    if (cond.bad()) {
        dcmLog("dcmSender: cannot prepare the send of \"%s\": %s", path.c_str(), cond.text());
        return false;
    }
    // More SOP class / transfer syntax pairs than one association can carry are sent over
    // several associations in a row.
    for (bool first = true;; first = false) {
        if (!first) {
            if (cancel.load() || scu.getNumberOfSOPInstancesToBeSent() == 0)
                break;
            cond = scu.addPresentationContexts();
            if (cond.bad())
                break;
        }
        cond = scu.negotiateAssociation();
        if (cond.bad()) {
            dcmLog("dcmSender: association with %s:%u failed: %s", host.c_str(), port, cond.text());
            break;
        }
        cond = scu.sendSOPInstances();
        if (cond.bad()) {
            if (scu.isConnected())
                scu.abortAssociation();
            break;
        }
        scu.releaseAssociation();
    }

    if (cond.bad())
        dcmLog("dcmSender: send of \"%s\" to %s:%u stopped: %s", path.c_str(), host.c_str(), port, cond.text());
    const bool ok = cond.good() && !cancel.load() && scu.stored() == total;
    dcmLog("dcmSender: task %u: %zu of %zu files stored by %s:%u (%zu other files skipped)", taskID,
           scu.stored(), total, host.c_str(), port, skipped);
    return ok;
}

void dcmSender::Impl::run(unsigned taskID, std::string host, std::string portText, std::string path)
{
    const bool ok = transfer(taskID, host, portText, path);
    dcmMessage(ok ? DCM_MSG_SEND_DONE : DCM_MSG_SEND_FAILED, NetMessageText::task(taskID).c_str());
    sending.store(false);
}

dcmSender::dcmSender() : _impl(new Impl)
{
    NetworkSetup::prepare();
}

dcmSender::~dcmSender()
{
    _impl->cancel.store(true);
    std::lock_guard<std::mutex> lock(_impl->mutex);
    if (_impl->worker.joinable())
        _impl->worker.join();
}

void dcmSender::setIP(const std::string& ip, const std::string& port)
{
    std::lock_guard<std::mutex> lock(_impl->mutex);
    _impl->ip = ip;
    _impl->port = port;
}

void dcmSender::setIP(const std::string& ip, int port)
{
    setIP(ip, std::to_string(port));
}

bool dcmSender::send(unsigned taskID, const std::string& path)
{
    std::lock_guard<std::mutex> lock(_impl->mutex);
    if (_impl->sending.load()) {
        dcmLog("dcmSender: task %u refused: another send is running", taskID);
        dcmMessage(DCM_MSG_SEND_FAILED, NetMessageText::task(taskID).c_str());
        return false;
    }
    // The previous worker has handed over its final message; let it finish exiting.
    if (_impl->worker.joinable())
        _impl->worker.join();
    _impl->sending.store(true);
    _impl->worker = std::thread(&Impl::run, _impl.get(), taskID, _impl->ip, _impl->port, path);
    return true;
}

bool dcmSender::isSending() const
{
    return _impl->sending.load();
}

} // namespace dcmSDK
