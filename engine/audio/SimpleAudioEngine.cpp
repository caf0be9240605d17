#include "audio/SimpleAudioEngine.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "audio/WavFile.h"
#include "base/Data.h"
#include "base/ccLog.h"
#include "platform/FileUtils.h"

namespace CocosDenshion {

namespace {
const size_t kMaxSources = 16;
SimpleAudioEngine* s_engine = nullptr;
} // namespace

struct SimpleAudioEngine::Impl {
    bool triedDevice = false;
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    float volume = 1.0f;
    // Effects by full path: the decoded file and, with a device, its buffer.
    struct Effect {
        WavFile wav;
        ALuint buffer = 0;
    };
    std::map<std::string, Effect> effects;
    std::vector<ALuint> sources;
    unsigned int nextId = 1;
    std::map<unsigned int, ALuint> playing; // sound id -> source

    void openDevice() {
        if (triedDevice)
            return;
        triedDevice = true;
        device = alcOpenDevice(nullptr);
        if (!device) {
            cocos2d::log("SimpleAudioEngine: no sound device; effects are silent");
            return;
        }
        context = alcCreateContext(device, nullptr);
        if (!context || !alcMakeContextCurrent(context)) {
            cocos2d::log("SimpleAudioEngine: cannot start the sound device; effects are silent");
            closeDevice();
        }
    }

    void closeDevice() {
        if (context) {
            for (ALuint s : sources) {
                alSourceStop(s);
                alDeleteSources(1, &s);
            }
            for (auto& e : effects) {
                if (e.second.buffer)
                    alDeleteBuffers(1, &e.second.buffer);
                e.second.buffer = 0;
            }
            alcMakeContextCurrent(nullptr);
            alcDestroyContext(context);
        }
        sources.clear();
        playing.clear();
        context = nullptr;
        if (device)
            alcCloseDevice(device);
        device = nullptr;
    }

    Effect* load(const std::string& file) {
        cocos2d::FileUtils* files = cocos2d::FileUtils::getInstance();
        std::string path = files->fullPathForFilename(file);
        if (path.empty()) {
            cocos2d::log("SimpleAudioEngine: sound '%s' not found", file.c_str());
            return nullptr;
        }
        auto it = effects.find(path);
        if (it != effects.end())
            return &it->second;
        cocos2d::Data data = files->getDataFromFile(path);
        std::vector<uint8_t> bytes(data.getBytes(), data.getBytes() + data.getSize());
        Effect effect;
        std::string error;
        if (!effect.wav.parse(bytes, &error)) {
            cocos2d::log("SimpleAudioEngine: '%s': %s", path.c_str(), error.c_str());
            return nullptr;
        }
        openDevice();
        if (context) {
            alGenBuffers(1, &effect.buffer);
            ALenum format = effect.wav.channels == 1
                                ? (effect.wav.bitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16)
                                : (effect.wav.bitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16);
            alBufferData(effect.buffer, format, effect.wav.samples.data(),
                         static_cast<ALsizei>(effect.wav.samples.size()), effect.wav.sampleRate);
            if (alGetError() != AL_NO_ERROR) {
                cocos2d::log("SimpleAudioEngine: '%s' could not be handed to the device", path.c_str());
                alDeleteBuffers(1, &effect.buffer);
                effect.buffer = 0;
            }
        }
        return &(effects[path] = std::move(effect));
    }

    ALuint freeSource() {
        for (ALuint s : sources) {
            ALint state = 0;
            alGetSourcei(s, AL_SOURCE_STATE, &state);
            if (state != AL_PLAYING && state != AL_PAUSED)
                return s;
        }
        if (sources.size() < kMaxSources) {
            ALuint s = 0;
            alGenSources(1, &s);
            if (alGetError() == AL_NO_ERROR) {
                sources.push_back(s);
                return s;
            }
        }
        return 0;
    }
};

SimpleAudioEngine::SimpleAudioEngine() : _impl(new Impl()) {}

SimpleAudioEngine::~SimpleAudioEngine() {
    _impl->closeDevice();
    delete _impl;
}

SimpleAudioEngine* SimpleAudioEngine::getInstance() {
    if (!s_engine)
        s_engine = new SimpleAudioEngine();
    return s_engine;
}

void SimpleAudioEngine::end() {
    delete s_engine;
    s_engine = nullptr;
}

bool SimpleAudioEngine::preloadEffect(const char* filePath) {
    return filePath && _impl->load(filePath) != nullptr;
}

unsigned int SimpleAudioEngine::playEffect(const char* filePath, bool loop, float pitch, float pan,
                                           float gain) {
    Impl::Effect* effect = filePath ? _impl->load(filePath) : nullptr;
    if (!effect)
        return 0;
    unsigned int id = _impl->nextId++;
    if (!_impl->context || !effect->buffer)
        return id;
    ALuint source = _impl->freeSource();
    if (!source)
        return id; // every source busy: this one is not heard
    for (auto it = _impl->playing.begin(); it != _impl->playing.end();) {
        it = it->second == source ? _impl->playing.erase(it) : std::next(it);
    }
    alSourcei(source, AL_BUFFER, static_cast<ALint>(effect->buffer));
    alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourcef(source, AL_PITCH, pitch > 0.0f ? pitch : 1.0f);
    alSourcef(source, AL_GAIN, std::max(0.0f, gain) * _impl->volume);
    const float p = std::max(-1.0f, std::min(1.0f, pan));
    alSource3f(source, AL_POSITION, p, 0.0f, -std::sqrt(std::max(0.0f, 1.0f - p * p)));
    alSourcePlay(source);
    _impl->playing[id] = source;
    return id;
}

void SimpleAudioEngine::stopEffect(unsigned int soundId) {
    auto it = _impl->playing.find(soundId);
    if (it == _impl->playing.end())
        return;
    if (_impl->context)
        alSourceStop(it->second);
    _impl->playing.erase(it);
}

void SimpleAudioEngine::stopAllEffects() {
    if (_impl->context) {
        for (ALuint s : _impl->sources)
            alSourceStop(s);
    }
    _impl->playing.clear();
}

void SimpleAudioEngine::unloadEffect(const char* filePath) {
    if (!filePath)
        return;
    std::string path = cocos2d::FileUtils::getInstance()->fullPathForFilename(filePath);
    auto it = _impl->effects.find(path);
    if (it == _impl->effects.end())
        return;
    if (_impl->context && it->second.buffer) {
        // A buffer still attached to a source cannot be deleted: detach it first.
        for (ALuint s : _impl->sources) {
            ALint buffer = 0;
            alGetSourcei(s, AL_BUFFER, &buffer);
            if (static_cast<ALuint>(buffer) == it->second.buffer) {
                alSourceStop(s);
                alSourcei(s, AL_BUFFER, 0);
            }
        }
        alDeleteBuffers(1, &it->second.buffer);
    }
    _impl->effects.erase(it);
}

void SimpleAudioEngine::setEffectsVolume(float volume) {
    _impl->volume = std::max(0.0f, std::min(1.0f, volume));
}

float SimpleAudioEngine::getEffectsVolume() const {
    return _impl->volume;
}

bool SimpleAudioEngine::hasDevice() const {
    return _impl->context != nullptr;
}

size_t SimpleAudioEngine::getPreloadedCount() const {
    return _impl->effects.size();
}

} // namespace CocosDenshion
