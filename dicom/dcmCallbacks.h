#pragma once
// The five callbacks through which the DICOM library talks to its host, and its shutdown.
//
// The host installs them once at launch; they may be called from any library thread
// (reader callers, the receiver, the sender, the echo threads). Installing is thread-safe.
// Library code calls the dcm* helpers below, never the raw pointers.

#include <string>

namespace dcmSDK {

/// Message types handed to the message callback.
enum DcmMessageType : unsigned {
    DCM_MSG_SEND_PROGRESS = 0,    ///< JSON {"taskID","value"}
    DCM_MSG_SEND_DONE = 1,        ///< JSON {"taskID"}
    DCM_MSG_SEND_FAILED = 2,      ///< JSON {"taskID"}
    DCM_MSG_FILE_STORED = 3,      ///< text points to a new DCM_MESSAGE that the host now owns (delete)
    DCM_MSG_ECHO_RESULT = 4,      ///< JSON {"ok","appid","ip","port","name"}
    DCM_MSG_QUERY_ANSWER = 5,     ///< "gggg,eeee[value]..." list
    DCM_MSG_RECEIVER_STARTED = 6, ///< free text
    DCM_MSG_RECEIVER_STOPPED = 7, ///< free text
    DCM_MSG_RECEIVER_ERROR = 8,   ///< free text
};

typedef void (*LogCallback)(const char* text);
typedef void (*MsgCallback)(unsigned type, const char* text);
/// Converts text of the system's legacy code page to UTF-8 into out (size bytes, always terminated).
typedef void (*Gb2utf8Callback)(const char* in, char* out, int size);
/// Returns the whole file in a new[] buffer (the library frees it with delete[]), size out;
/// null and 0 when empty or unreadable.
typedef char* (*ReadFileCallback)(const char* path, int& size, bool raw);
/// Writes width x height 8-bit RGB rows (row y at rgb + y * width * 3) as a PNG file.
typedef bool (*SavePngCallback)(int width, int height, char* rgb, const char* path);

void setLogCallback(LogCallback cb);
void setMsgCallback(MsgCallback cb);
void setgb2utf8Callback(Gb2utf8Callback cb);
void setReadFileCallback(ReadFileCallback cb);
void setSavePngCallback(SavePngCallback cb);

/// Shuts the library down: forgets the callbacks and releases the registered codecs.
void dcmsdk_destroy();

// ---- Used by the library itself ------------------------------------------------------

/// printf-style log line through the log callback (stderr when none is installed).
void dcmLog(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
/// Hands a message to the message callback; false when none is installed.
bool dcmMessage(unsigned type, const char* text);
/// Legacy text to UTF-8; without a callback the bytes are taken as Latin-1.
std::string dcmGb2utf8(const std::string& in);
/// Whole file through the read-file callback, or straight from disk when none is installed.
bool dcmReadWholeFile(const std::string& path, std::string& bytes);
/// 8-bit RGB picture to PNG through the save-PNG callback, or the library's own writer.
bool dcmSavePng(int width, int height, const unsigned char* rgb, const std::string& path);

} // namespace dcmSDK
