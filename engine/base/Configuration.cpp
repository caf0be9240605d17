#include "base/Configuration.h"

#include "platform/CCGL.h"
#include "renderer/ccGLStateCache.h"

namespace cocos2d {

namespace {
Configuration* g_configuration = nullptr;

std::string glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}
} // namespace

Configuration* Configuration::getInstance()
{
    if (!g_configuration) {
        g_configuration = new Configuration();
        g_configuration->gatherGPUInfo();
    }
    return g_configuration;
}

void Configuration::destroyInstance()
{
    delete g_configuration;
    g_configuration = nullptr;
}

void Configuration::gatherGPUInfo()
{
    if (!GL::isContextReady()) {
        return;
    }
    _values["gl.vendor"] = Value(glText(GL_VENDOR));
    _values["gl.renderer"] = Value(glText(GL_RENDERER));
    _values["gl.version"] = Value(glText(GL_VERSION));
    _extensions.clear();
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    if (count > 0 && glGetStringi) {
        for (GLint i = 0; i < count; ++i) {
            const GLubyte* ext = glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i));
            if (ext) {
                _extensions += reinterpret_cast<const char*>(ext);
                _extensions += ' ';
            }
        }
    } else {
        _extensions = glText(GL_EXTENSIONS);
    }
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &_maxTextureSize);
    glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &_maxTextureUnits);
    _values["gl.max_texture_size"] = Value(_maxTextureSize);
    _values["gl.max_texture_units"] = Value(_maxTextureUnits);
    _supportsVAO = glGenVertexArrays != nullptr && glBindVertexArray != nullptr;
    _supportsNPOT = GLEW_VERSION_2_0 || checkForGLExtension("GL_ARB_texture_non_power_of_two");
    _values["gl.supports_vertex_array_object"] = Value(_supportsVAO);
    _values["gl.supports_NPOT"] = Value(_supportsNPOT);
}

bool Configuration::checkForGLExtension(const std::string& searchName) const
{
    if (searchName.empty()) {
        return false;
    }
    size_t pos = 0;
    while ((pos = _extensions.find(searchName, pos)) != std::string::npos) {
        size_t end = pos + searchName.size();
        if ((pos == 0 || _extensions[pos - 1] == ' ') && (end == _extensions.size() || _extensions[end] == ' ')) {
            return true;
        }
        pos = end;
    }
    return false;
}

std::string Configuration::getInfo() const
{
    auto text = [this](const char* key) {
        auto it = _values.find(key);
        return it == _values.end() ? std::string() : it->second.asString();
    };
    return text("gl.renderer") + ", " + text("gl.version") + ", " + text("gl.vendor");
}

} // namespace cocos2d
