#pragma once
// A calendar date and time as six int32 fields, the form slice records and the cache files use.

#include <cstdint>

namespace isImageSDK {

struct isDateTime {
    int32_t year = 1900;
    int32_t month = 1;
    int32_t day = 1;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
};

static_assert(sizeof(isDateTime) == 24, "six packed int32");

} // namespace isImageSDK
