#include "thread/NSThreadRequest.h"

#include <ctime>

namespace NSUI {

NSThreadRequest::NSThreadRequest() : requestId(static_cast<uint32_t>(std::time(nullptr))) {}

} // namespace NSUI
