#pragma once
// A linked GLSL program with the engine's built-in attributes and uniforms.

#include <string>
#include <unordered_map>

#include "base/Ref.h"
#include "math/CCMath.h"
#include "platform/CCGL.h"

namespace cocos2d {

struct Uniform {
    GLint location = -1;
    GLint size = 0;
    GLenum type = 0;
    std::string name;
};

struct VertexAttrib {
    GLuint index = 0;
    GLint size = 0;
    GLenum type = 0;
    std::string name;
};

class GLProgram : public Ref {
public:
    enum {
        VERTEX_ATTRIB_POSITION,
        VERTEX_ATTRIB_COLOR,
        VERTEX_ATTRIB_TEX_COORD,
        VERTEX_ATTRIB_NORMAL,
        VERTEX_ATTRIB_MAX,
        VERTEX_ATTRIB_TEX_COORDS = VERTEX_ATTRIB_TEX_COORD,
    };
    enum {
        UNIFORM_P_MATRIX,
        UNIFORM_MV_MATRIX,
        UNIFORM_MVP_MATRIX,
        UNIFORM_SAMPLER0,
        UNIFORM_SAMPLER1,
        UNIFORM_SAMPLER2,
        UNIFORM_SAMPLER3,
        UNIFORM_MAX,
    };

    // Built-in programs of the program cache.
    static const char* SHADER_NAME_POSITION_TEXTURE_COLOR;
    static const char* SHADER_NAME_POSITION_TEXTURE_COLOR_NO_MVP;
    static const char* SHADER_NAME_POSITION_TEXTURE_ALPHA_TEST;
    static const char* SHADER_NAME_POSITION_COLOR;
    static const char* SHADER_NAME_POSITION_COLOR_NO_MVP;
    static const char* SHADER_NAME_POSITION_COLOR_TEXASPOINTSIZE;
    static const char* SHADER_NAME_POSITION_TEXTURE;
    static const char* SHADER_NAME_POSITION_U_COLOR;
    static const char* SHADER_NAME_POSITION_LENGTH_TEXTURE_COLOR;
    static const char* SHADER_NAME_LABEL_NORMAL;

    static const char* UNIFORM_NAME_P_MATRIX;
    static const char* UNIFORM_NAME_MV_MATRIX;
    static const char* UNIFORM_NAME_MVP_MATRIX;
    static const char* UNIFORM_NAME_SAMPLER0;
    static const char* UNIFORM_NAME_SAMPLER1;
    static const char* UNIFORM_NAME_SAMPLER2;
    static const char* UNIFORM_NAME_SAMPLER3;

    static const char* ATTRIBUTE_NAME_POSITION;
    static const char* ATTRIBUTE_NAME_COLOR;
    static const char* ATTRIBUTE_NAME_TEX_COORD;
    static const char* ATTRIBUTE_NAME_NORMAL;

    /// Compiles and links; null (with the compiler's log) when either step fails or no GL
    /// context is current. The built-in uniform declarations are prepended to both sources.
    static GLProgram* createWithByteArrays(const GLchar* vShaderByteArray, const GLchar* fShaderByteArray);
    static GLProgram* createWithFilenames(const std::string& vShaderFilename, const std::string& fShaderFilename);

    bool initWithByteArrays(const GLchar* vShaderByteArray, const GLchar* fShaderByteArray);
    bool initWithFilenames(const std::string& vShaderFilename, const std::string& fShaderFilename);
    /// Links the compiled shaders with the built-in attribute locations.
    bool link();
    /// Makes this the current program.
    void use();
    /// Finds the built-in uniforms and points the samplers at units 0 to 3.
    void updateUniforms();

    GLint getUniformLocation(const std::string& name) const;
    GLint getAttribLocation(const std::string& name) const;
    void bindAttribLocation(const std::string& attributeName, GLuint index) const;
    GLint getBuiltinUniformLocation(int uniform) const { return _builtInUniforms[uniform]; }
    const std::unordered_map<std::string, Uniform>& getUniforms() const { return _userUniforms; }
    const std::unordered_map<std::string, VertexAttrib>& getVertexAttribs() const { return _vertexAttribs; }

    /// Sets CC_PMatrix from the director's projection, CC_MVMatrix and CC_MVPMatrix.
    void setUniformsForBuiltins();
    void setUniformsForBuiltins(const Mat4& modelView);

    void setUniformLocationWith1i(GLint location, GLint i1);
    void setUniformLocationWith2i(GLint location, GLint i1, GLint i2);
    void setUniformLocationWith1f(GLint location, GLfloat f1);
    void setUniformLocationWith2f(GLint location, GLfloat f1, GLfloat f2);
    void setUniformLocationWith3f(GLint location, GLfloat f1, GLfloat f2, GLfloat f3);
    void setUniformLocationWith4f(GLint location, GLfloat f1, GLfloat f2, GLfloat f3, GLfloat f4);
    void setUniformLocationWith4fv(GLint location, const GLfloat* floats, unsigned int numberOfArrays);
    void setUniformLocationWithMatrix4fv(GLint location, const GLfloat* matrixArray, unsigned int numberOfMatrices);

    GLuint getProgram() const { return _program; }
    std::string getVertexShaderLog() const { return _vertexLog; }
    std::string getFragmentShaderLog() const { return _fragmentLog; }
    std::string getProgramLog() const { return _programLog; }

    ~GLProgram() override;

protected:
    GLProgram();
    bool compileShader(GLuint* shader, GLenum type, const GLchar* source, std::string& log);
    void parseVertexAttribs();
    void parseUniforms();

    GLuint _program = 0;
    GLuint _vertShader = 0;
    GLuint _fragShader = 0;
    GLint _builtInUniforms[UNIFORM_MAX];
    std::unordered_map<std::string, Uniform> _userUniforms;
    std::unordered_map<std::string, VertexAttrib> _vertexAttribs;
    std::string _vertexLog;
    std::string _fragmentLog;
    std::string _programLog;
};

} // namespace cocos2d
