// Starts and stops our receiver over and over and prints how long the stops take as one
// JSON line: right after the start, idle (the receiver has been waiting for a peer a
// while) and with a connected peer that keeps its association open without a word. Run it inside the private network namespace:
//   scripts/run-isolated build/bench/receiver_stop_bench [cycles]

#include "dcmServer.h"
#include "net_harness.h"

#include "dcmtk/dcmnet/scu.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

/// A peer with an open association that then says nothing.
std::unique_ptr<DcmSCU> silentPeer(int port)
{
    std::unique_ptr<DcmSCU> peer(new DcmSCU);
    peer->setPeerHostName("127.0.0.1");
    peer->setPeerPort(static_cast<Uint16>(port));
    peer->setPeerAETitle("QPSTORE");
    OFList<OFString> syntaxes;
    syntaxes.push_back(UID_LittleEndianImplicitTransferSyntax);
    peer->addPresentationContext(UID_VerificationSOPClass, syntaxes);
    if (peer->initNetwork().bad() || peer->negotiateAssociation().bad())
        return nullptr;
    return peer;
}

struct Figures {
    double median = 0;
    double max = 0;
};

Figures figures(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

} // namespace

int main(int argc, char** argv)
{
    const char* isolated = std::getenv("QP_ISOLATED");
    if (!isolated || std::string(isolated) != "1") {
        std::fprintf(stderr, "receiver_stop_bench opens network ports: run it as scripts/run-isolated %s\n",
                     argv[0]);
        return 2;
    }
    const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    char templ[] = "/tmp/receiver_stop_bench-XXXXXX";
    if (!mkdtemp(templ))
        return 1;
    const std::string root = std::string(templ) + "/";
    dcmSDK::setLogCallback([](const char*) {});

    dcmSDK::dcmServer server;
    server.setRoot(root);
    server.setPort("127.0.0.1", nettest::freePort(), "QPSTORE");
    std::vector<double> fresh, idle, busy;
    for (int c = 0; c < cycles; ++c) {
        if (!server.BeginDicomServer())
            return 1;
        auto t0 = std::chrono::steady_clock::now();
        server.StopDicomServer();
        fresh.push_back(millisecondsSince(t0));
    }
    for (int c = 0; c < std::max(1, cycles / 5); ++c) {
        if (!server.BeginDicomServer())
            return 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        auto t0 = std::chrono::steady_clock::now();
        server.StopDicomServer();
        idle.push_back(millisecondsSince(t0));
    }
    int port = nettest::freePort();
    server.setPort("127.0.0.1", port, "QPSTORE");
    for (int c = 0; c < std::max(1, cycles / 5); ++c) {
        if (!server.BeginDicomServer())
            return 1;
        std::unique_ptr<DcmSCU> peer = silentPeer(port);
        if (!peer) {
            std::fprintf(stderr, "receiver_stop_bench: the peer could not connect\n");
            return 1;
        }
        auto t0 = std::chrono::steady_clock::now();
        server.StopDicomServer();
        busy.push_back(millisecondsSince(t0));
    }
    std::filesystem::remove_all(templ);
    const Figures f = figures(fresh), i = figures(idle), b = figures(busy);
    std::printf("{\"cycles\":%d,\"fresh_stop_ms_median\":%.2f,\"fresh_stop_ms_max\":%.2f,"
                "\"idle_stop_ms_median\":%.2f,\"idle_stop_ms_max\":%.2f,"
                "\"silent_peer_stop_ms_median\":%.2f,\"silent_peer_stop_ms_max\":%.2f}\n",
                cycles, f.median, f.max, i.median, i.max, b.median, b.max);
    return 0;
}
