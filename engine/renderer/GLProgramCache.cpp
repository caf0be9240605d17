#include "renderer/GLProgramCache.h"

#include <cstdlib>

#include "base/ccLog.h"
#include "renderer/GLProgramState.h"
#include "renderer/ccGLStateCache.h"
#include "renderer/ccShaders.h"

namespace cocos2d {

namespace {
GLProgramCache* g_programCache = nullptr;

struct BuiltIn {
    const char* name;
    const char** vert;
    const char** frag;
};

const BuiltIn kBuiltIns[] = {
    {GLProgram::SHADER_NAME_POSITION_TEXTURE_COLOR, &ccPositionTextureColor_vert, &ccPositionTextureColor_frag},
    {GLProgram::SHADER_NAME_POSITION_TEXTURE_COLOR_NO_MVP, &ccPositionTextureColor_noMVP_vert, &ccPositionTextureColor_frag},
    {GLProgram::SHADER_NAME_POSITION_TEXTURE_ALPHA_TEST, &ccPositionTextureColor_noMVP_vert, &ccPositionTextureColorAlphaTest_frag},
    {GLProgram::SHADER_NAME_POSITION_COLOR, &ccPositionColor_vert, &ccPositionColor_frag},
    {GLProgram::SHADER_NAME_POSITION_COLOR_NO_MVP, &ccPositionColor_noMVP_vert, &ccPositionColor_frag},
    {GLProgram::SHADER_NAME_POSITION_COLOR_TEXASPOINTSIZE, &ccPositionColorTextureAsPointsize_vert, &ccPositionColor_frag},
    {GLProgram::SHADER_NAME_POSITION_TEXTURE, &ccPositionTexture_vert, &ccPositionTexture_frag},
    {GLProgram::SHADER_NAME_POSITION_U_COLOR, &ccPosition_uColor_vert, &ccPositionColor_frag},
    {GLProgram::SHADER_NAME_POSITION_LENGTH_TEXTURE_COLOR, &ccPositionColorLengthTexture_vert, &ccPositionColorLengthTexture_frag},
    {GLProgram::SHADER_NAME_LABEL_NORMAL, &ccPositionTextureColor_noMVP_vert, &ccLabelNormal_frag},
};
} // namespace

GLProgramCache* GLProgramCache::getInstance()
{
    if (!g_programCache) {
        static bool cleanupRegistered = false;
        if (!cleanupRegistered) {
            cleanupRegistered = true;
            // Shared states hold programs; both go at exit so leak checks see a clean end.
            std::atexit([] {
                GLProgramState::purgeSharedStates();
                GLProgramCache::destroyInstance();
            });
        }
        g_programCache = new GLProgramCache();
        if (GL::isContextReady()) {
            g_programCache->loadDefaultGLPrograms();
        }
    }
    return g_programCache;
}

void GLProgramCache::destroyInstance()
{
    if (g_programCache) {
        g_programCache->release();
        g_programCache = nullptr;
    }
}

GLProgramCache::~GLProgramCache()
{
    removeAllPrograms();
}

bool GLProgramCache::loadDefaultGLPrograms()
{
    bool ok = true;
    for (const auto& b : kBuiltIns) {
        if (_programs.count(b.name)) {
            continue;
        }
        GLProgram* program = GLProgram::createWithByteArrays(*b.vert, *b.frag);
        if (!program) {
            log("GLProgramCache: built-in program %s failed", b.name);
            ok = false;
            continue;
        }
        addGLProgram(program, b.name);
    }
    return ok;
}

void GLProgramCache::reloadDefaultGLPrograms()
{
    for (const auto& b : kBuiltIns) {
        auto it = _programs.find(b.name);
        if (it != _programs.end()) {
            it->second->release();
            _programs.erase(it);
        }
    }
    loadDefaultGLPrograms();
}

GLProgram* GLProgramCache::getGLProgram(const std::string& key)
{
    auto it = _programs.find(key);
    if (it == _programs.end() && GL::isContextReady()) {
        // Built-ins are made on first use when the context came after the cache.
        loadDefaultGLPrograms();
        it = _programs.find(key);
    }
    return it == _programs.end() ? nullptr : it->second;
}

void GLProgramCache::addGLProgram(GLProgram* program, const std::string& key)
{
    if (!program) {
        return;
    }
    program->retain();
    auto it = _programs.find(key);
    if (it != _programs.end()) {
        it->second->release();
    }
    _programs[key] = program;
}

void GLProgramCache::removeAllPrograms()
{
    for (auto& p : _programs) {
        p.second->release();
    }
    _programs.clear();
}

} // namespace cocos2d
