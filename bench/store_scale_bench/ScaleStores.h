#pragma once
// The stores the scale benchmark opens: their shape, rows made through the store's own code, and
// the cache folder that keeps each made store between runs.

#include <string>

namespace scalebench {

struct StoreShape {
    static constexpr int kStudiesPerPatient = 2;
    static constexpr int kSeriesPerPatient = 5;
    long long images = 0;
    long long patients = 0;

    long long series() const { return patients * kSeriesPerPatient; }
    long long studies() const { return patients * kStudiesPerPatient; }
    /// Images of the series with this index over the whole store; the remainder goes to the first.
    long long imagesOfSeries(long long index) const
    {
        const long long n = series();
        return n == 0 ? 0 : images / n + (index < images % n ? 1 : 0);
    }
    /// The study (0 or 1) a patient's series belongs to: the first three to the newer one.
    static int studyOfSeries(int seriesOfPatient) { return seriesOfPatient < 3 ? 0 : 1; }
};

/// The shape a size argument names: images, optionally ":patients" (see the usage).
StoreShape shapeFor(const std::string& text);

/// Copies a store's files to `to` and writes them through to the disk.
bool copyStore(const std::string& from, const std::string& to);

/// The number of indexes in the database file; -1 on failure.
int countIndexes(const std::string& database);

struct Maker {
    std::string cacheDir;  // empty: nothing kept between runs
    std::string work;

    /// A folder holding the store's files (the content of "qp/dicom/"); made when not cached.
    /// madeSeconds is what making it took here, 0 when it was taken from the cache.
    std::string source(const StoreShape& shape, bool withIndexes, double& madeSeconds);
};

} // namespace scalebench
