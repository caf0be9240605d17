// The recovery benchmark's peer, listen probe and walk watch.

#include "RecoveryProbes.h"

#include "RecoveryCache.h"

#include "bench/common/Storescu.h"

#include "cocos2d.h"
#include "db/dicomDB.h"
#include "net_ct_series.h"
#include "net_harness.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace benchcommon;

namespace recoverybench {

Peer::Peer(const std::string& work, int port, size_t limit) : _work(work), _port(port), _limit(limit)
{
    char uid[100];
    dcmGenerateUniqueIdentifier(uid, SITE_STUDY_UID_ROOT);
    _studyUid = uid;
    dcmGenerateUniqueIdentifier(uid, SITE_SERIES_UID_ROOT);
    _seriesUid = uid;
    fs::create_directories(_work + "/peer");
}

void Peer::start()
{
    _thread = std::thread([this] { run(); });
}

void Peer::stop()
{
    _stop = true;
    if (_thread.joinable())
        _thread.join();
}

std::vector<double> Peer::times() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _times;
}

void Peer::run()
{
    nettest::CtSeriesShape shape;
    shape.count = 1;
    shape.rows = kPixels;
    shape.columns = kPixels;
    shape.patientName = kPeerPatient;
    shape.patientID = "PEER0001";
    const std::string folder = _work + "/peer";
    const std::string log = _work + "/storescu.log";
    for (size_t n = 0; !_stop && n < _limit; ++n) {
        // A new image of the same series each time: a fresh SOP instance UID.
        shape.extra = {{DCM_StudyInstanceUID, _studyUid},
                       {DCM_SeriesInstanceUID, _seriesUid},
                       {DCM_InstanceNumber, std::to_string(n + 1)}};
        const std::vector<std::string> files = nettest::writeCtSeries(folder, shape);
        if (files.size() != 1) {
            ++_failures;
            break;
        }
        auto t0 = Clock::now();
        int status;
        {
            nettest::Process scu(storescuArgs(_port, {"-aec", dicomDB::kReceiverAETitle}, files), log);
            status = scu.wait(120);
        }
        const double ms = msSince(t0);
        if (status != 0) {
            ++_failures;
            continue;
        }
        std::lock_guard<std::mutex> lock(_mutex);
        _times.push_back(ms);
    }
    _done = true;
}

ListenProbe::ListenProbe(int port, Clock::time_point t0) : _port(port), _t0(t0)
{
    _thread = std::thread([this] { run(); });
}

ListenProbe::~ListenProbe()
{
    _stop = true;
    _thread.join();
}

void ListenProbe::run()
{
    auto until = Clock::now() + std::chrono::seconds(60);
    while (!_stop && Clock::now() < until) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(_port));
        const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        close(fd);
        if (ok) {
            _ms = msSince(_t0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

WalkEndWatch::WalkEndWatch(Clock::time_point t0) : _t0(t0)
{
    cocos2d::setLogObserver([this](const std::string& line) {
        const std::string tail = "files without rows handed over for indexing";
        if (line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0) {
            _handedOver = atol(line.c_str() + line.find_first_of("0123456789"));
            _ms = msSince(_t0);
        }
    });
}

WalkEndWatch::~WalkEndWatch()
{
    cocos2d::setLogObserver(nullptr);
}

} // namespace recoverybench
