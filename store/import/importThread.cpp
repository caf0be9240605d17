#include "import/importThread.h"

#include "db/DcmMessageData.h"

#include "DCM_MESSAGE.h"
#include "dcmFileRecord.h"
#include "notify/NSNotificationCenter.h"

void importThread::setRootPath(std::string root)
{
    std::lock_guard<std::mutex> lock(_rootMutex);
    _root = std::move(root);
}

std::string importThread::root() const
{
    std::lock_guard<std::mutex> lock(_rootMutex);
    return _root;
}

void importThread::process(NSUI::NSThreadRequest* request)
{
    // A request without a path only marks the end of a job.
    if (!request || request->cancelled || request->text.empty())
        return;
    const std::string storeRoot = root();
    if (storeRoot.empty()) {
        cocos2d::log("import: no store root; %s skipped", request->text.c_str());
        return;
    }
    auto* record = new dcmSDK::DCM_MESSAGE();
    // Reading the tags, naming the folder and file safely and copying (never over the same file)
    // are shared with the receiver, so an image lands in one place whichever way it arrives.
    if (!dcmSDK::placeFileInStore(request->text, storeRoot, false, *record)) {
        delete record;
        return;
    }
    ++_placed;
    auto* data = new DcmMessageData(record);
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, 2014, data, nullptr, true);
    data->release();
}
