#include "renderer/GLProgramState.h"

#include <cstring>
#include <unordered_map>

#include "base/Director.h"
#include "renderer/GLProgram.h"
#include "renderer/GLProgramCache.h"
#include "renderer/Texture2D.h"
#include "renderer/ccGLStateCache.h"

namespace cocos2d {

namespace {
std::unordered_map<GLProgram*, GLProgramState*>& sharedStates()
{
    // Never destroyed: the exit-time purge may run after static destructors.
    static auto* states = new std::unordered_map<GLProgram*, GLProgramState*>();
    return *states;
}
} // namespace

GLProgramState* GLProgramState::create(GLProgram* glprogram)
{
    if (!glprogram) {
        return nullptr;
    }
    auto* state = new GLProgramState();
    state->setGLProgram(glprogram);
    state->autorelease();
    return state;
}

GLProgramState* GLProgramState::getOrCreateWithGLProgram(GLProgram* glprogram)
{
    if (!glprogram) {
        return nullptr;
    }
    auto& states = sharedStates();
    auto it = states.find(glprogram);
    if (it != states.end()) {
        return it->second;
    }
    auto* state = new GLProgramState();
    state->setGLProgram(glprogram);
    states[glprogram] = state; // the registry keeps the one reference
    return state;
}

GLProgramState* GLProgramState::getOrCreateWithGLProgramName(const std::string& glProgramName)
{
    return getOrCreateWithGLProgram(GLProgramCache::getInstance()->getGLProgram(glProgramName));
}

void GLProgramState::purgeSharedStates()
{
    auto& states = sharedStates();
    for (auto& s : states) {
        s.second->release();
    }
    states.clear();
}

GLProgramState::~GLProgramState()
{
    if (_glprogram) {
        _glprogram->release();
    }
}

void GLProgramState::setGLProgram(GLProgram* glprogram)
{
    if (glprogram == _glprogram) {
        return;
    }
    if (glprogram) {
        glprogram->retain();
    }
    if (_glprogram) {
        _glprogram->release();
    }
    _glprogram = glprogram;
}

void GLProgramState::apply(const Mat4& modelView)
{
    applyGLProgram(modelView);
    applyUniforms();
}

void GLProgramState::applyGLProgram(const Mat4& modelView)
{
    if (!_glprogram) {
        return;
    }
    _glprogram->use();
    _glprogram->setUniformsForBuiltins(modelView);
}

void GLProgramState::applyUniforms()
{
    if (!_glprogram) {
        return;
    }
    for (const auto& entry : _uniforms) {
        GLint loc = _glprogram->getUniformLocation(entry.first);
        if (loc < 0) {
            continue;
        }
        const UniformValue& v = entry.second;
        switch (v.kind) {
        case UniformValue::Kind::INT: glUniform1i(loc, v.i); break;
        case UniformValue::Kind::FLOAT: glUniform1f(loc, v.f[0]); break;
        case UniformValue::Kind::VEC2: glUniform2fv(loc, 1, v.f); break;
        case UniformValue::Kind::VEC3: glUniform3fv(loc, 1, v.f); break;
        case UniformValue::Kind::VEC4: glUniform4fv(loc, 1, v.f); break;
        case UniformValue::Kind::MAT4: glUniformMatrix4fv(loc, 1, GL_FALSE, v.f); break;
        case UniformValue::Kind::TEXTURE:
            GL::bindTexture2DN(static_cast<GLuint>(v.unit), v.texture);
            glUniform1i(loc, v.unit);
            GL::activeTexture(GL_TEXTURE0);
            break;
        }
    }
}

GLProgramState::UniformWatch::~UniformWatch()
{
    // A uniform set again to its value (nodes set theirs on every draw) changes nothing.
    if (std::memcmp(&_before, &_value, sizeof(_before)) != 0) {
        Director::getInstance()->markChanged();
    }
}

GLProgramState::UniformValue& GLProgramState::valueFor(const std::string& name)
{
    return _uniforms[name];
}

void GLProgramState::setUniformInt(const std::string& name, int value)
{
    auto& v = valueFor(name);
    const UniformWatch watch(v);
    v.kind = UniformValue::Kind::INT;
    v.i = value;
}

void GLProgramState::setUniformFloat(const std::string& name, float value)
{
    auto& v = valueFor(name);
    const UniformWatch watch(v);
    v.kind = UniformValue::Kind::FLOAT;
    v.f[0] = value;
}

void GLProgramState::setUniformVec2(const std::string& name, const Vec2& value)
{
    auto& v = valueFor(name);
    const UniformWatch watch(v);
    v.kind = UniformValue::Kind::VEC2;
    v.f[0] = value.x;
    v.f[1] = value.y;
}

void GLProgramState::setUniformVec3(const std::string& name, const Vec3& value)
{
    auto& v = valueFor(name);
    const UniformWatch watch(v);
    v.kind = UniformValue::Kind::VEC3;
    v.f[0] = value.x;
    v.f[1] = value.y;
    v.f[2] = value.z;
}

void GLProgramState::setUniformVec4(const std::string& name, const Vec4& value)
{
    auto& v = valueFor(name);
    const UniformWatch watch(v);
    v.kind = UniformValue::Kind::VEC4;
    v.f[0] = value.x;
    v.f[1] = value.y;
    v.f[2] = value.z;
    v.f[3] = value.w;
}

void GLProgramState::setUniformMat4(const std::string& name, const Mat4& value)
{
    auto& v = valueFor(name);
    const UniformWatch watch(v);
    v.kind = UniformValue::Kind::MAT4;
    memcpy(v.f, value.m, sizeof(v.f));
}

void GLProgramState::setUniformTexture(const std::string& name, Texture2D* texture)
{
    setUniformTexture(name, texture ? texture->getName() : 0);
}

void GLProgramState::setUniformTexture(const std::string& name, GLuint textureId)
{
    auto it = _uniforms.find(name);
    int unit = it != _uniforms.end() && it->second.kind == UniformValue::Kind::TEXTURE ? it->second.unit
                                                                                        : _nextTextureUnit++;
    auto& v = valueFor(name);
    const UniformWatch watch(v);
    v.kind = UniformValue::Kind::TEXTURE;
    v.texture = textureId;
    v.unit = unit;
}

} // namespace cocos2d
