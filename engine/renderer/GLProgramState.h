#pragma once
// A program together with the values of its own uniforms, applied before each draw.

#include <map>
#include <string>

#include "base/Ref.h"
#include "math/CCMath.h"
#include "platform/CCGL.h"

namespace cocos2d {

class GLProgram;
class Texture2D;

class GLProgramState : public Ref {
public:
    /// A new state for the program; null for a null program.
    static GLProgramState* create(GLProgram* glprogram);
    /// The state shared by every user of the named program; null when there is no such program.
    static GLProgramState* getOrCreateWithGLProgramName(const std::string& glProgramName);
    static GLProgramState* getOrCreateWithGLProgram(GLProgram* glprogram);
    /// Forgets the shared states (with the programs, when the context goes).
    static void purgeSharedStates();

    /// Uses the program, sets the built-in matrices for modelView and every stored uniform.
    void apply(const Mat4& modelView);
    void applyGLProgram(const Mat4& modelView);
    void applyUniforms();

    GLProgram* getGLProgram() const { return _glprogram; }
    void setGLProgram(GLProgram* glprogram);

    void setUniformInt(const std::string& uniformName, int value);
    void setUniformFloat(const std::string& uniformName, float value);
    void setUniformVec2(const std::string& uniformName, const Vec2& value);
    void setUniformVec3(const std::string& uniformName, const Vec3& value);
    void setUniformVec4(const std::string& uniformName, const Vec4& value);
    void setUniformMat4(const std::string& uniformName, const Mat4& value);
    /// Binds the texture on its own unit (1 upward, in the order samplers are first set).
    void setUniformTexture(const std::string& uniformName, Texture2D* texture);
    void setUniformTexture(const std::string& uniformName, GLuint textureId);

    ~GLProgramState() override;

protected:
    GLProgramState() = default;

    struct UniformValue {
        enum class Kind { INT, FLOAT, VEC2, VEC3, VEC4, MAT4, TEXTURE } kind = Kind::INT;
        float f[16] = {0};
        int i = 0;
        GLuint texture = 0;
        int unit = 0;
    };
    UniformValue& valueFor(const std::string& name);
    /// Asks for a redraw when the value differs at the end of the scope from its start.
    class UniformWatch {
    public:
        explicit UniformWatch(const UniformValue& value) : _value(value), _before(value) {}
        ~UniformWatch();

    private:
        const UniformValue& _value;
        UniformValue _before;
    };

    GLProgram* _glprogram = nullptr;
    std::map<std::string, UniformValue> _uniforms;
    int _nextTextureUnit = 1;
};

} // namespace cocos2d
