#pragma once
// One element of a file as the tag list shows it.

#include <cstddef>

namespace dcmSDK {

/// One listed element: tag text "(gggg,eeee)", its value, its description and a flag.
/// The byte offsets are part of the record's format.
struct DCM_TAG_ENTRY {
    char tag[50];          ///< "(0010,0010)"; nested elements are prefixed with ">" per level
    char value[256];       ///< UTF-8 value, cut to 255 bytes
    char description[262]; ///< the element's name from the data dictionary, "Private Tag" or "Unknown Tag"
    unsigned char flag;    ///< 0 for ordinary top-level elements; 1 for file meta, private and nested ones
    char reserved[3];
};

static_assert(offsetof(DCM_TAG_ENTRY, tag) == 0, "tag entry layout");
static_assert(offsetof(DCM_TAG_ENTRY, value) == 50, "tag entry layout");
static_assert(offsetof(DCM_TAG_ENTRY, description) == 306, "tag entry layout");
static_assert(offsetof(DCM_TAG_ENTRY, flag) == 568, "tag entry layout");
static_assert(sizeof(DCM_TAG_ENTRY) == 572, "tag entry layout");

} // namespace dcmSDK
