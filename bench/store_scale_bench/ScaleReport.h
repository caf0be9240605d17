#pragma once
// What the scale benchmark finds for one store and for the first open of a store without its
// indexes, as JSON and in words.

#include "ScaleLists.h"
#include "ScaleStores.h"

#include "bench/common/StoreService.h"

#include <cstddef>
#include <string>
#include <vector>

namespace scalebench {

struct StoreResult {
    StoreShape shape;
    double madeS = 0;
    bool cached = false;
    bool ok = false;
    double openMs = -1, listenMs = -1;
    ListTimes patients, studies, patientsAfter, studiesReceived;
    std::vector<benchcommon::Receipt> receipts;
    double closeMs = -1;

    /// Medians over the rounds: indexed and announced, storescu's own time; -1 when a round failed.
    double oursMedianS() const;
    double peerMedianS() const;
    /// How long after storescu's end the last file was announced (median over the rounds);
    /// -1e9 when a round failed.
    double lagMedianMs() const;
};

struct IndexOpenResult {
    long long images = 0;
    double madeS = 0;
    bool ok = false;
    double getInstanceMs = -1, listenMs = -1, firstPatientsMs = -1, longestFrameMs = -1, closeMs = -1;
    int indexesBefore = -1, indexesAfter = -1;
};

std::string storeJson(const StoreResult& r, size_t files);
std::string indexOpenJson(const IndexOpenResult& r);

/// The figures in words on stderr.
void describe(const StoreResult& r, size_t files);
void describe(const IndexOpenResult& r);

} // namespace scalebench
