// The five callbacks through which the DICOM library reaches the workstation. They run on the
// library's threads and only convert, read, write or post: nothing here touches the service.

#include "net/dataService.h"

#include "db/DcmMessageData.h"

#include "DCM_MESSAGE.h"
#include "dcmCallbacks.h"
#include "detail/PngWriter.h"
#include "json/UIJson.h"
#include "notify/NSNotificationCenter.h"
#include "util/FileHelpers.h"
#include "util/StringUtils.h"

#include <cstring>

void dataService::onDcmLog(const char* text)
{
    cocos2d::log("%s", text ? text : "");
}

void dataService::onDcmMessage(unsigned int type, const char* text)
{
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    if (type == dcmSDK::DCM_MSG_FILE_STORED) {
        // The record is ours from here on; the payload frees it even when nobody stores it.
        if (!text)
            return;
        auto* data = new DcmMessageData(reinterpret_cast<dcmSDK::DCM_MESSAGE*>(const_cast<char*>(text)));
        centre->postNotification(nullptr, 2014, data, nullptr, true);
        data->release();
        return;
    }
    const std::string message = text ? text : "";
    switch (type) {
    case dcmSDK::DCM_MSG_SEND_PROGRESS: {
        auto* data = new NSUI::NSNotificationData();
        data->tag = static_cast<int32_t>(static_cast<unsigned>(UIJson::getJsonInt(message, "taskID", 0)));
        data->floatValue = UIJson::getJsonFloat(message, "value", 0.0f);
        centre->postNotification(nullptr, 2010, data, nullptr, true);
        data->release();
        break;
    }
    case dcmSDK::DCM_MSG_SEND_DONE:
        centre->postNotificationWithTag(2011, UIJson::getJsonInt(message, "taskID", 0), true);
        break;
    case dcmSDK::DCM_MSG_SEND_FAILED:
        centre->postNotificationWithTag(2012, UIJson::getJsonInt(message, "taskID", 0), true);
        break;
    case dcmSDK::DCM_MSG_ECHO_RESULT:
        centre->postNotificationWithString(nullptr, 2003, message, nullptr, false);
        break;
    case dcmSDK::DCM_MSG_QUERY_ANSWER:
        centre->postNotificationWithString(nullptr, 2007, message, nullptr, false);
        break;
    case dcmSDK::DCM_MSG_RECEIVER_STARTED:
        centre->postNotificationWithString(nullptr, 2004, message, nullptr, false);
        break;
    case dcmSDK::DCM_MSG_RECEIVER_STOPPED:
        centre->postNotificationWithString(nullptr, 2006, message, nullptr, false);
        break;
    case dcmSDK::DCM_MSG_RECEIVER_ERROR:
        centre->postNotificationWithString(nullptr, 2005, message, nullptr, false);
        break;
    default:
        break;
    }
}

void dataService::onGb2utf8(const char* in, char* out, int size)
{
    if (!out || size <= 0)
        return;
    memset(out, 0, static_cast<size_t>(size));
    std::string text = ansiToUtf8(in ? in : "");
    size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
    // Never end in the middle of a UTF-8 character.
    while (length > 0 && length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    memcpy(out, text.data(), length);
}

char* dataService::onReadFile(const char* path, int& size, bool raw)
{
    size = 0;
    if (!path)
        return nullptr;
    return readFileData(path, size, raw);
}

bool dataService::onSavePng(int width, int height, char* pixels, const char* path)
{
    if (width <= 0 || height <= 0 || !pixels || !path || !*path)
        return false;
    return dcmSDK::writeRgbPng(width, height, reinterpret_cast<const unsigned char*>(pixels), path);
}
