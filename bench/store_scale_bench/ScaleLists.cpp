// The scale benchmark's lists, requested from the store's worker and timed on the main loop.

#include "ScaleLists.h"

#include "bench/common/MainLoop.h"

#include "db/NSDBDataModel.h"
#include "db/dicomDB.h"

#include <algorithm>
#include <memory>
#include <vector>

using namespace benchcommon;

namespace scalebench {

namespace {

/// Queues the list and then a favourites request that always answers: the worker runs them in
/// order, so the second marks the end of a list that has no rows. Times count from `origin`.
Listing runList(dicomDB* db, const std::function<void(dicomDB*, const dicomDBRequest::Callback&)>& request,
                Clock::time_point origin)
{
    auto result = std::make_shared<Listing>();
    request(db, [result, origin](NSUI::NSDBDataModel* model) {
        result->answered = true;
        result->answeredMs = msSince(origin);
        result->rows = model->getRowCount();
        if (result->rows > 0)
            result->firstId = model->getValue(0, 0);
        for (int r = 0; r < result->rows; ++r)
            if (model->getValue(r, 2) == std::string(kReceivedName) + "1")
                result->receivedId = model->getValue(r, 0);
    });
    db->requestFavorites([result, origin](NSUI::NSDBDataModel*) {
        result->done = true;
        result->doneMs = msSince(origin);
    }, true);
    double longest = 0;
    runFramesUntil([&] { return result->done; }, 300, &longest);
    result->longestFrameMs = longest;
    return *result;
}

} // namespace

Listing listPatients(dicomDB* db, Clock::time_point origin)
{
    return runList(db, [](dicomDB* store, const dicomDBRequest::Callback& cb) { store->requestPatients(cb); }, origin);
}

Listing listStudies(dicomDB* db, const std::string& patientId)
{
    return runList(
        db, [&](dicomDB* store, const dicomDBRequest::Callback& cb) { store->requestStudies(cb, patientId); },
        Clock::now());
}

ListTimes timeList(const std::function<Listing()>& list, int repeat, Listing* first)
{
    ListTimes times;
    const Listing one = list();
    times.firstMs = one.ms();
    times.rows = one.rows;
    times.answered = one.answered;
    times.longestFrameMs = one.longestFrameMs;
    if (first)
        *first = one;
    std::vector<double> more;
    for (int i = 0; i < repeat; ++i) {
        const Listing next = list();
        more.push_back(next.ms());
        times.longestFrameMs = std::max(times.longestFrameMs, next.longestFrameMs);
    }
    times.medianMs = median(more);
    return times;
}

} // namespace scalebench
