#include "imaging/core/cache/LoadPriority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace isImageSDK {

void LoadPriority::lowerCurrentThread(int nice)
{
    // Per thread on Linux: the niceness of the calling thread alone.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice);
}

} // namespace isImageSDK
