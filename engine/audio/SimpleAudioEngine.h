#pragma once
// Short sound effects from WAV files, played through the sound card. Where there is no sound
// device every call still succeeds quietly, so the program runs the same without one.
// Main thread only.

#include <string>

namespace CocosDenshion {

class SimpleAudioEngine {
public:
    static SimpleAudioEngine* getInstance();
    /// Stops every sound and releases the device.
    static void end();

    /// Decodes the file once and keeps it; false (one log line) when it cannot be read.
    bool preloadEffect(const char* filePath);
    /// Plays the effect (loading it first when needed); returns its sound id, 0 when the file
    /// cannot be read. Without a device the id is still given and nothing is heard.
    unsigned int playEffect(const char* filePath, bool loop = false, float pitch = 1.0f, float pan = 0.0f,
                            float gain = 1.0f);
    void stopEffect(unsigned int soundId);
    void stopAllEffects();
    void unloadEffect(const char* filePath);
    /// 0.0 to 1.0.
    void setEffectsVolume(float volume);
    float getEffectsVolume() const;
    /// Whether sound reaches a device.
    bool hasDevice() const;
    /// Effects kept in memory.
    size_t getPreloadedCount() const;

private:
    SimpleAudioEngine();
    ~SimpleAudioEngine();
    struct Impl;
    Impl* _impl;
};

} // namespace CocosDenshion
