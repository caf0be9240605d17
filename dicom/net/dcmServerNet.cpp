// The receiving-service members of dcmServer.

#include "dcmServer.h"

#include "NetworkSetup.h"
#include "ReceiverScp.h"
#include "ReceiverWake.h"
#include "StopAwareTcpLayer.h"
#include "dcmCallbacks.h"
#include "dcmFileRecord.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

namespace dcmSDK {

namespace {
const int kDefaultPort = 4587;
const char* const kDefaultAETitle = "QPSTORE";
// A wake sent just before the receiver starts a wait is lost; it is sent again this often.
const auto kWakeRepeat = std::chrono::milliseconds(5);
} // namespace

struct dcmServer::Net {
    mutable std::mutex mutex;
    std::string host = "0.0.0.0";
    int port = kDefaultPort;
    std::string aeTitle = kDefaultAETitle;
    std::string root;

    std::unique_ptr<StopAwareTcpLayer> layer;  // outlives scp, whose network uses it
    std::unique_ptr<ReceiverScp> scp;
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};

    std::mutex finishedMutex;
    std::condition_variable finishedChanged;
    bool finished = false;  // the receiver thread has left DCMTK's loop
};

dcmServer::dcmServer() : _net(new Net)
{
    NetworkSetup::prepare();
    ReceiverWake::prepare();
}

dcmServer::~dcmServer()
{
    StopDicomServer();
}

void dcmServer::setPort(const std::string& host, int port, const std::string& aeTitle)
{
    std::lock_guard<std::mutex> lock(_net->mutex);
    _net->host = host;
    _net->port = port;
    _net->aeTitle = aeTitle.empty() ? kDefaultAETitle : aeTitle;
}

void dcmServer::setRoot(const std::string& root)
{
    std::lock_guard<std::mutex> lock(_net->mutex);
    _net->root = root.empty() || root.back() == '/' ? root : root + "/";
}

std::string dcmServer::getRoot() const
{
    std::lock_guard<std::mutex> lock(_net->mutex);
    return _net->root;
}

bool dcmServer::isRunning() const
{
    return _net->running.load();
}

bool dcmServer::BeginDicomServer()
{
    std::lock_guard<std::mutex> lock(_net->mutex);
    if (_net->thread.joinable()) {
        dcmLog("dcmServer: already running on port %d", _net->port);
        return false;
    }
    auto fail = [](const std::string& why) {
        dcmLog("dcmServer: %s", why.c_str());
        dcmMessage(DCM_MSG_RECEIVER_ERROR, why.c_str());
        return false;
    };
    if (_net->root.empty())
        return fail("cannot start: no store root");
    if (_net->port < 1 || _net->port > 65535)
        return fail("cannot start: bad port " + std::to_string(_net->port));
    std::error_code ec;
    std::filesystem::create_directories(storeScratchFolder(_net->root), ec);
    if (ec)
        return fail("cannot create " + storeScratchFolder(_net->root) + ": " + ec.message());
    ReceiverScp::removeStaleParts(_net->root);

    _net->stop.store(false);
    if (!_net->layer)
        _net->layer.reset(new StopAwareTcpLayer(_net->stop));
    std::unique_ptr<ReceiverScp> scp(new ReceiverScp(_net->root, _net->stop, *_net->layer));
    if (!scp->configure(static_cast<unsigned short>(_net->port), _net->aeTitle))
        return fail("cannot configure the receiver");
    // Opening the port here lets a port in use fail this call instead of the thread.
    OFCondition cond;
    {
        std::lock_guard<std::mutex> initLock(NetworkSetup::networkInitMutex());
        cond = scp->openListenPort();
    }
    if (cond.bad())
        return fail("cannot listen on port " + std::to_string(_net->port) + ": " + cond.text());

    _net->scp = std::move(scp);
    _net->running.store(true);
    _net->finished = false;
    ReceiverScp* raw = _net->scp.get();
    Net* net = _net.get();
    _net->thread = std::thread([raw, net] {
        ReceiverWake::allowOnThisThread();
        OFCondition result = raw->acceptAssociations();
        if (result.bad() && !net->stop.load()) {
            std::string why = std::string("receiver stopped: ") + result.text();
            dcmLog("dcmServer: %s", why.c_str());
            dcmMessage(DCM_MSG_RECEIVER_ERROR, why.c_str());
        }
        net->running.store(false);
        std::lock_guard<std::mutex> finishedLock(net->finishedMutex);
        net->finished = true;
        net->finishedChanged.notify_all();
    });
    dcmLog("dcmServer: receiving as %s on port %d (reachable at %s), store %s", _net->aeTitle.c_str(),
           _net->port, _net->host.c_str(), _net->root.c_str());
    dcmMessage(DCM_MSG_RECEIVER_STARTED, std::to_string(_net->port).c_str());
    return true;
}

void dcmServer::StopDicomServer()
{
    std::lock_guard<std::mutex> lock(_net->mutex);
    if (!_net->thread.joinable())
        return;
    // Inside an association the receiver sees the flag within a slice of its reads. Its
    // wait for a peer is cut short by a signal, which DCMTK (unlike a connection of our
    // own) does not log as a failed association request.
    _net->stop.store(true);
    {
        std::unique_lock<std::mutex> finishedLock(_net->finishedMutex);
        while (!_net->finished) {
            ReceiverWake::wake(_net->thread.native_handle());
            _net->finishedChanged.wait_for(finishedLock, kWakeRepeat);
        }
    }
    _net->thread.join();
    // Destroying the SCP closes the listening socket, so the port is free again now.
    _net->scp.reset();
    _net->running.store(false);
    dcmLog("dcmServer: stopped on port %d", _net->port);
    dcmMessage(DCM_MSG_RECEIVER_STOPPED, std::to_string(_net->port).c_str());
}

} // namespace dcmSDK
