#pragma once
// The store the recovery benchmark opens: generated files and a store with rows for all but some
// of them, as after a kill, kept under a cache folder and copied for every round.

#include <string>

namespace recoverybench {

const char* const kCacheDir = "/tmp/store_recovery_bench-cache";
const int kPatients = 25;
const int kStudiesPerPatient = 2;
const int kPixels = 16;

struct Shape {
    int series = 250;
    int images = 200;
    int missing = 1000;
    bool spread = false;

    std::string sourceKey() const;
    std::string storeKey(int schema) const;
    /// True when file i of series s is to be left without a row.
    bool leftWithoutRow(int s, int i) const;
};

struct MakeTimes {
    double sourcesMs = 0, placeMs = 0, indexMs = 0, totalMs = 0;
    bool madeSources = false, madeStore = false;
};

/// Makes what the cache lacks for this shape (everything with remake): the files, then the
/// prepared store. False on failure.
bool prepareCache(const Shape& shape, bool remake, MakeTimes& times);

/// A copy of the prepared store as the writable folder `to`: folders made, the database files
/// copied, every other file hard-linked (nothing in the store writes into a filed image).
bool cloneStore(const std::string& to);

} // namespace recoverybench
