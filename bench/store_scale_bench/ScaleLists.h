#pragma once
// Patient and study lists of the scale benchmark: one list timed from its request to its answer,
// and the first list after an open next to the median of more.

#include "bench/common/BenchTiming.h"

#include <functional>
#include <string>

class dicomDB;

namespace scalebench {

using benchcommon::Clock;

// Each round of receiving brings a new patient: RECEIVED^CT1, RECEIVED^CT2, ...
const char* const kReceivedName = "RECEIVED^CT";

struct Listing {
    bool answered = false;  // the list's own callback ran (an empty list answers nobody)
    bool done = false;      // the request queued after it was answered
    double answeredMs = -1, doneMs = -1;
    int rows = 0;
    std::string firstId;     // row ID of the first row
    std::string receivedId;  // row ID of the patient of the first round of receiving, when listed
    double longestFrameMs = 0;

    /// The list's time; for a list that answers nobody, the time until the request after it.
    double ms() const { return answered ? answeredMs : done ? doneMs : -1; }
};

Listing listPatients(dicomDB* db, Clock::time_point origin = Clock::now());
Listing listStudies(dicomDB* db, const std::string& patientId);

struct ListTimes {
    double firstMs = -1, medianMs = -1;
    int rows = 0;
    bool answered = false;
    double longestFrameMs = -1;  // over all the lists: how long the main thread stood still at most
};

/// The first list after the open, then `repeat` more for the median; the first one goes to first.
ListTimes timeList(const std::function<Listing()>& list, int repeat, Listing* first = nullptr);

} // namespace scalebench
