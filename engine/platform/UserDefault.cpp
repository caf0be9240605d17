#include "platform/UserDefault.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "base/base64.h"
#include "base/ccLog.h"
#include "platform/FileUtils.h"
#include "platform/PlistParser.h"

namespace cocos2d {

namespace {

UserDefault* g_userDefault = nullptr;
std::mutex g_userDefaultMutex;
std::string g_filePath;

const char kFileName[] = "UserDefault.xml";

// Holds an exclusive lock on a side file, so two running programs never interleave their
// read-modify-write of the settings.
class FileLock {
public:
    explicit FileLock(const std::string& path) : _fd(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
    {
        if (_fd >= 0) {
            ::flock(_fd, LOCK_EX);
        }
    }
    ~FileLock()
    {
        if (_fd >= 0) {
            ::flock(_fd, LOCK_UN);
            ::close(_fd);
        }
    }

private:
    int _fd;
};

} // namespace

UserDefault* UserDefault::getInstance()
{
    std::lock_guard<std::mutex> lock(g_userDefaultMutex);
    if (!g_userDefault) {
        g_userDefault = new UserDefault();
    }
    return g_userDefault;
}

void UserDefault::destroyInstance()
{
    std::lock_guard<std::mutex> lock(g_userDefaultMutex);
    if (g_userDefault) {
        g_userDefault->flush();
        delete g_userDefault;
        g_userDefault = nullptr;
    }
}

const std::string& UserDefault::getXMLFilePath()
{
    g_filePath = FileUtils::getInstance()->getWritablePath() + kFileName;
    return g_filePath;
}

bool UserDefault::isXMLFileExist()
{
    return FileUtils::getInstance()->isFileExist(getXMLFilePath());
}

UserDefault::UserDefault() : _filePath(FileUtils::getInstance()->getWritablePath() + kFileName)
{
    FileLock lock(_filePath);
    std::string text;
    FILE* f = fopen(_filePath.c_str(), "rb");
    if (f) {
        char buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof(buf), f)) > 0) {
            text.append(buf, n);
        }
        fclose(f);
    }
    if (!text.empty()) {
        Value root;
        if (PlistParser::parse(text.data(), text.size(), root, _filePath) && root.getType() == Value::Type::MAP) {
            _values = std::move(root.asValueMap());
        } else {
            // Keep the unreadable file for inspection instead of overwriting it silently.
            std::string aside = _filePath + ".corrupt";
            ::rename(_filePath.c_str(), aside.c_str());
            log("UserDefault: %s is unreadable; moved to %s, starting empty", _filePath.c_str(), aside.c_str());
        }
    }
}

UserDefault::~UserDefault() {}

bool UserDefault::lookup(const char* key, Value& out)
{
    if (!key || !*key) {
        return false;
    }
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _values.find(key);
    if (it == _values.end()) {
        return false;
    }
    out = it->second;
    return true;
}

void UserDefault::store(const char* key, Value value)
{
    if (!key || !*key) {
        log("UserDefault: a setting needs a key");
        return;
    }
    std::lock_guard<std::mutex> lock(_mutex);
    _values[key] = std::move(value);
    _dirty = true;
    writeLocked();
}

bool UserDefault::writeLocked()
{
    FileLock lock(_filePath);
    if (!FileUtils::getInstance()->writeFileAtomically(PlistParser::serialize(Value(_values)), _filePath)) {
        log("UserDefault: cannot write %s", _filePath.c_str());
        return false;
    }
    _dirty = false;
    return true;
}

bool UserDefault::flush()
{
    std::lock_guard<std::mutex> lock(_mutex);
    return !_dirty || writeLocked();
}

bool UserDefault::getBoolForKey(const char* key) { return getBoolForKey(key, false); }
int UserDefault::getIntegerForKey(const char* key) { return getIntegerForKey(key, 0); }
float UserDefault::getFloatForKey(const char* key) { return getFloatForKey(key, 0.0f); }
double UserDefault::getDoubleForKey(const char* key) { return getDoubleForKey(key, 0.0); }
std::string UserDefault::getStringForKey(const char* key) { return getStringForKey(key, std::string()); }
Data UserDefault::getDataForKey(const char* key) { return getDataForKey(key, Data::Null); }

bool UserDefault::getBoolForKey(const char* key, bool defaultValue)
{
    Value v;
    return lookup(key, v) ? v.asBool() : defaultValue;
}

int UserDefault::getIntegerForKey(const char* key, int defaultValue)
{
    Value v;
    return lookup(key, v) ? v.asInt() : defaultValue;
}

float UserDefault::getFloatForKey(const char* key, float defaultValue)
{
    Value v;
    return lookup(key, v) ? v.asFloat() : defaultValue;
}

double UserDefault::getDoubleForKey(const char* key, double defaultValue)
{
    Value v;
    return lookup(key, v) ? v.asDouble() : defaultValue;
}

std::string UserDefault::getStringForKey(const char* key, const std::string& defaultValue)
{
    Value v;
    return lookup(key, v) ? v.asString() : defaultValue;
}

Data UserDefault::getDataForKey(const char* key, const Data& defaultValue)
{
    Value v;
    if (!lookup(key, v)) {
        return defaultValue;
    }
    std::string bytes = safeBase64Decode(v.asString());
    Data data;
    data.copy(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<ssize_t>(bytes.size()));
    return data;
}

void UserDefault::setBoolForKey(const char* key, bool value) { store(key, Value(value)); }
void UserDefault::setIntegerForKey(const char* key, int value) { store(key, Value(value)); }
void UserDefault::setFloatForKey(const char* key, float value) { store(key, Value(value)); }
void UserDefault::setDoubleForKey(const char* key, double value) { store(key, Value(value)); }
void UserDefault::setStringForKey(const char* key, const std::string& value) { store(key, Value(value)); }

void UserDefault::setDataForKey(const char* key, const Data& value)
{
    std::string bytes(reinterpret_cast<const char*>(value.getBytes()), value.isNull() ? 0 : static_cast<size_t>(value.getSize()));
    store(key, Value(safeBase64Encode(bytes)));
}

void UserDefault::deleteValueForKey(const char* key)
{
    if (!key || !*key) {
        return;
    }
    std::lock_guard<std::mutex> lock(_mutex);
    if (_values.erase(key) != 0) {
        _dirty = true;
        writeLocked();
    }
}

} // namespace cocos2d
