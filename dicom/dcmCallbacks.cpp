// The installed host callbacks and the library's own fallbacks when none is installed.

#include "dcmCallbacks.h"

#include "codec/CodecRegistry.h"
#include "detail/PngWriter.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <vector>

namespace dcmSDK {

namespace {
// Plain atomics: callbacks are installed once at launch but read from many threads.
std::atomic<LogCallback> g_log{nullptr};
std::atomic<MsgCallback> g_msg{nullptr};
std::atomic<Gb2utf8Callback> g_gb2utf8{nullptr};
std::atomic<ReadFileCallback> g_readFile{nullptr};
std::atomic<SavePngCallback> g_savePng{nullptr};

std::string latin1ToUtf8(const std::string& in)
{
    std::string out;
    out.reserve(in.size());
    for (unsigned char c : in) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
} // namespace

void setLogCallback(LogCallback cb) { g_log = cb; }
void setMsgCallback(MsgCallback cb) { g_msg = cb; }
void setgb2utf8Callback(Gb2utf8Callback cb) { g_gb2utf8 = cb; }
void setReadFileCallback(ReadFileCallback cb) { g_readFile = cb; }
void setSavePngCallback(SavePngCallback cb) { g_savePng = cb; }

void dcmsdk_destroy()
{
    g_log = nullptr;
    g_msg = nullptr;
    g_gb2utf8 = nullptr;
    g_readFile = nullptr;
    g_savePng = nullptr;
    CodecRegistry::cleanup();
}

void dcmLog(const char* fmt, ...)
{
    char buf[2048];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    LogCallback cb = g_log;
    if (cb)
        cb(buf);
    else
        fprintf(stderr, "dcmSDK: %s\n", buf);
}

bool dcmMessage(unsigned type, const char* text)
{
    MsgCallback cb = g_msg;
    if (!cb)
        return false;
    cb(type, text ? text : "");
    return true;
}

std::string dcmGb2utf8(const std::string& in)
{
    Gb2utf8Callback cb = g_gb2utf8;
    if (!cb)
        return latin1ToUtf8(in);
    // A GB18030 character becomes at most 4 UTF-8 bytes per input byte pair; 3x + 16 is ample.
    std::vector<char> out(in.size() * 3 + 16, 0);
    cb(in.c_str(), out.data(), static_cast<int>(out.size()));
    out.back() = 0;
    return std::string(out.data());
}

bool dcmReadWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    ReadFileCallback cb = g_readFile;
    if (cb) {
        int size = 0;
        char* data = cb(path.c_str(), size, true);
        if (!data || size <= 0) {
            delete[] data;
            return false;
        }
        bytes.assign(data, static_cast<size_t>(size));
        delete[] data;
        return true;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    std::streamoff len = in.tellg();
    if (len <= 0)
        return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(len));
    in.read(&bytes[0], len);
    return static_cast<bool>(in);
}

bool dcmSavePng(int width, int height, const unsigned char* rgb, const std::string& path)
{
    if (width <= 0 || height <= 0 || !rgb)
        return false;
    SavePngCallback cb = g_savePng;
    if (cb)
        return cb(width, height, const_cast<char*>(reinterpret_cast<const char*>(rgb)), path.c_str());
    return writeRgbPng(width, height, rgb, path);
}

} // namespace dcmSDK
