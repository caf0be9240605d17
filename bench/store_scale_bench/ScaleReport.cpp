// The scale benchmark's figures: medians over the rounds, the JSON of each store, and the words.

#include "ScaleReport.h"

#include "bench/common/BenchTiming.h"
#include "bench/common/JsonLine.h"

#include <algorithm>
#include <cstdio>

using namespace benchcommon;

namespace scalebench {

namespace {

/// The median of one figure of every round; -1 when a round lacks it.
double medianOfRounds(const std::vector<Receipt>& receipts, double Receipt::*figure)
{
    std::vector<double> v;
    for (const Receipt& r : receipts)
        v.push_back(r.*figure);
    return std::any_of(v.begin(), v.end(), [](double x) { return x < 0; }) ? -1 : median(v);
}

/// Each round's seconds, as a JSON array.
std::string seconds(const std::vector<Receipt>& receipts, double Receipt::*figure)
{
    std::vector<std::string> values;
    for (const Receipt& r : receipts)
        values.push_back(r.*figure < 0 ? "null" : JsonObject::format(r.*figure, 3));
    return jsonArray(values);
}

void addList(JsonObject& json, const std::string& name, const ListTimes& t)
{
    json.numberOrNull(name + "_first_ms", t.firstMs, 2)
        .numberOrNull(name + "_ms", t.medianMs, 2)
        .integer(name + "_rows", t.rows)
        .numberOrNull(name + "_longest_frame_ms", t.longestFrameMs, 2);
}

} // namespace

double StoreResult::oursMedianS() const
{
    return medianOfRounds(receipts, &Receipt::oursS);
}

double StoreResult::peerMedianS() const
{
    return medianOfRounds(receipts, &Receipt::peerS);
}

double StoreResult::lagMedianMs() const
{
    std::vector<double> v;
    for (const Receipt& r : receipts) {
        if (r.oursS < 0 || r.peerS < 0)
            return -1e9;
        v.push_back((r.oursS - r.peerS) * 1000);
    }
    return median(v);
}

std::string storeJson(const StoreResult& r, size_t files)
{
    const double ours = r.oursMedianS(), peer = r.peerMedianS(), lag = r.lagMedianMs();
    JsonObject json;
    json.integer("images", r.shape.images)
        .integer("patients", r.shape.patients)
        .integer("studies", r.shape.studies())
        .integer("series", r.shape.series())
        .numberOrNull("made_s", r.madeS, 1)
        .flag("cached", r.cached)
        .numberOrNull("open_ms", r.openMs, 2)
        .numberOrNull("listen_ms", r.listenMs, 2);
    addList(json, "patients", r.patients);
    json.flag("patients_answered", r.patients.answered);
    addList(json, "studies", r.studies);
    json.numberOrNull("indexed_files_per_s", ours > 0 ? files / ours : -1, 1)
        .raw("indexed_s", seconds(r.receipts, &Receipt::oursS))
        .numberOrNull("storescu_files_per_s", peer > 0 ? files / peer : -1, 1)
        .raw("storescu_s", seconds(r.receipts, &Receipt::peerS));
    if (lag > -1e8)
        json.number("index_lag_ms", lag, 1);
    else
        json.raw("index_lag_ms", "null");
    addList(json, "patients_after", r.patientsAfter);
    addList(json, "studies_received", r.studiesReceived);
    json.numberOrNull("close_ms", r.closeMs, 1).flag("ok", r.ok);
    return json.str();
}

std::string indexOpenJson(const IndexOpenResult& r)
{
    return JsonObject()
        .integer("images", r.images)
        .numberOrNull("made_s", r.madeS, 1)
        .integer("indexes_before", r.indexesBefore)
        .integer("indexes_after", r.indexesAfter)
        .numberOrNull("get_instance_ms", r.getInstanceMs, 2)
        .numberOrNull("listen_ms", r.listenMs, 2)
        .numberOrNull("first_patients_ms", r.firstPatientsMs, 1)
        .numberOrNull("longest_frame_ms", r.longestFrameMs, 2)
        .numberOrNull("close_ms", r.closeMs, 1)
        .flag("ok", r.ok)
        .str();
}

void describe(const StoreResult& r, size_t files)
{
    std::fprintf(stderr,
                 "store_scale_bench: %lld images / %lld patients / %lld series: made in %.1f s%s; open %.1f ms, "
                 "listening after %.1f ms\n",
                 r.shape.images, r.shape.patients, r.shape.series(), r.madeS, r.cached ? " (cached)" : "", r.openMs,
                 r.listenMs);
    std::fprintf(stderr, "  patient list: first %.2f ms, median %.2f ms (%d rows%s); longest frame meanwhile %.2f ms\n",
                 r.patients.firstMs, r.patients.medianMs, r.patients.rows,
                 r.patients.answered ? "" : ", empty: timed to the next answer", r.patients.longestFrameMs);
    std::fprintf(stderr, "  study list of one patient: first %.2f ms, median %.2f ms (%d rows)\n", r.studies.firstMs,
                 r.studies.medianMs, r.studies.rows);
    for (size_t i = 0; i < r.receipts.size(); ++i) {
        const Receipt& x = r.receipts[i];
        std::fprintf(stderr,
                     "  round %zu, %zu received files: indexed and announced in %.3f s (%.1f files/s); storescu %.3f s "
                     "(%.1f files/s); %zu announced, storescu status %d\n",
                     i + 1, files, x.oursS, x.oursS > 0 ? files / x.oursS : 0.0, x.peerS,
                     x.peerS > 0 ? files / x.peerS : 0.0, x.announced, x.status);
    }
    std::fprintf(stderr, "  after receiving: patient list first %.2f ms, median %.2f ms; received patient's studies first %.2f ms, median %.2f ms (%d rows)\n",
                 r.patientsAfter.firstMs, r.patientsAfter.medianMs, r.studiesReceived.firstMs,
                 r.studiesReceived.medianMs, r.studiesReceived.rows);
    std::fprintf(stderr, "  close %.1f ms\n", r.closeMs);
}

void describe(const IndexOpenResult& r)
{
    std::fprintf(stderr,
                 "store_scale_bench: first open of the %lld-image store without indexes (%d before, %d after): "
                 "getInstance blocked %.1f ms, listening after %.1f ms, first patient list after %.1f ms, "
                 "longest frame meanwhile %.1f ms, close %.1f ms\n",
                 r.images, r.indexesBefore, r.indexesAfter, r.getInstanceMs, r.listenMs, r.firstPatientsMs,
                 r.longestFrameMs, r.closeMs);
}

} // namespace scalebench
