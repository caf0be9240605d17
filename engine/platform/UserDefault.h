#pragma once
// Small persistent settings: one property-list file under the writable path, rewritten
// atomically on every change. Safe to use from any thread.

#include <mutex>
#include <string>

#include "base/Data.h"
#include "base/Value.h"

namespace cocos2d {

class UserDefault {
public:
    static UserDefault* getInstance();
    /// Writes pending changes and forgets the instance (the next one reloads the file).
    static void destroyInstance();
    /// Full path of the settings file.
    static const std::string& getXMLFilePath();
    static bool isXMLFileExist();

    bool getBoolForKey(const char* key);
    bool getBoolForKey(const char* key, bool defaultValue);
    int getIntegerForKey(const char* key);
    int getIntegerForKey(const char* key, int defaultValue);
    float getFloatForKey(const char* key);
    float getFloatForKey(const char* key, float defaultValue);
    double getDoubleForKey(const char* key);
    double getDoubleForKey(const char* key, double defaultValue);
    std::string getStringForKey(const char* key);
    std::string getStringForKey(const char* key, const std::string& defaultValue);
    Data getDataForKey(const char* key);
    Data getDataForKey(const char* key, const Data& defaultValue);

    void setBoolForKey(const char* key, bool value);
    void setIntegerForKey(const char* key, int value);
    void setFloatForKey(const char* key, float value);
    void setDoubleForKey(const char* key, double value);
    void setStringForKey(const char* key, const std::string& value);
    void setDataForKey(const char* key, const Data& value);
    void deleteValueForKey(const char* key);

    /// Writes the file when a change has not reached it yet (changes are written at once;
    /// this retries after a failed write). False when the file cannot be written.
    bool flush();

protected:
    UserDefault();
    ~UserDefault();

    bool lookup(const char* key, Value& out);
    void store(const char* key, Value value);
    bool writeLocked();

    std::mutex _mutex;
    ValueMap _values;
    std::string _filePath;
    bool _dirty = false;
};

} // namespace cocos2d
