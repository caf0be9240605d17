// Time from asking LAN discovery to stop until its receive loop and a running ping sweep have
// ended, as the shutdown waits for them. The loop may be waiting on a quiet socket and the sweep
// in its pause after the pings. Prints one JSON line; the target is about 50 ms.

#include "discovery/sniffer.h"
#include "net/NetworkInfoProvider.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

/// This host is 127.0.0.2 of a small loopback network, so a sweep stays on loopback.
class LoopbackNetwork : public NSUI::NetworkInfoProvider {
public:
    std::string hostName() override { return "bench"; }
    std::vector<NSUI::NetworkAdapter> adapters() override { return {{"127.0.0.2", "255.255.255.248"}}; }
};

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * static_cast<double>(v.size() - 1))];
}

} // namespace

int main(int argc, char** argv) {
    const char* isolated = std::getenv("QP_ISOLATED");
    if (!isolated || std::string(isolated) != "1") {
        std::fprintf(stderr, "discovery_bench opens network ports: run it as scripts/run-isolated %s\n", argv[0]);
        return 2;
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    NSUI::NetworkInfoProvider::setCurrent(std::make_shared<LoopbackNetwork>());
    NSUI::sniffer::setDefaultPort(0); // a port the system chooses
    NSUI::sniffer::setDefaultBindAddress("127.0.0.2");

    std::vector<double> idle, sweeping;
    for (int i = 0; i < rounds; ++i) {
        bool sweep = i % 2 == 1;
        NSUI::sniffer* s = NSUI::sniffer::getInstance();
        while (s->getBoundPort() == 0 && s->isReceiving())
            std::this_thread::yield();
        if (sweep) {
            s->startPingSweep();
            // Into the pause that follows the pings.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } else {
            // Somewhere inside the socket's wait.
            std::this_thread::sleep_for(std::chrono::milliseconds(7 * (i % 4)));
        }
        auto start = std::chrono::steady_clock::now();
        if (!NSUI::sniffer::shutdownInstance(2000)) {
            std::fprintf(stderr, "discovery_bench: discovery did not stop\n");
            return 1;
        }
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        (sweep ? sweeping : idle).push_back(ms);
    }
    std::printf("{\"bench\":\"discovery_stop\",\"rounds\":%d,\"idle_median_ms\":%.2f,\"idle_max_ms\":%.2f,"
                "\"sweeping_median_ms\":%.2f,\"sweeping_max_ms\":%.2f,\"target_ms\":50}\n",
                rounds, percentile(idle, 0.5), percentile(idle, 1.0), percentile(sweeping, 0.5),
                percentile(sweeping, 1.0));
    return 0;
}
