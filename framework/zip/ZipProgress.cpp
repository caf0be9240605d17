#include "zip/ZipProgress.h"

#include "notify/NSNotificationCenter.h"

namespace NSUI {

void postZipProgress(int percent)
{
    NSNotificationCenter::getInstance()->postNotificationWithInt(
        nullptr, kZipProgressNotification, percent, nullptr, true);
}

} // namespace NSUI
