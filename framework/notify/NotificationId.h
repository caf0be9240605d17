#pragma once
// The numeric id every notification is posted and observed under.

#include <cstdint>

typedef uint32_t NotificationId;
