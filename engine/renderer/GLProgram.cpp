#include "renderer/GLProgram.h"

#include <cstdlib>
#include <vector>

#include "base/Director.h"
#include "base/ccLog.h"
#include "platform/FileUtils.h"
#include "renderer/ccGLStateCache.h"

namespace cocos2d {

const char* GLProgram::SHADER_NAME_POSITION_TEXTURE_COLOR = "ShaderPositionTextureColor";
const char* GLProgram::SHADER_NAME_POSITION_TEXTURE_COLOR_NO_MVP = "ShaderPositionTextureColor_noMVP";
const char* GLProgram::SHADER_NAME_POSITION_TEXTURE_ALPHA_TEST = "ShaderPositionTextureColorAlphaTest";
const char* GLProgram::SHADER_NAME_POSITION_COLOR = "ShaderPositionColor";
const char* GLProgram::SHADER_NAME_POSITION_COLOR_NO_MVP = "ShaderPositionColor_noMVP";
const char* GLProgram::SHADER_NAME_POSITION_COLOR_TEXASPOINTSIZE = "ShaderPositionColorTexAsPointsize";
const char* GLProgram::SHADER_NAME_POSITION_TEXTURE = "ShaderPositionTexture";
const char* GLProgram::SHADER_NAME_POSITION_U_COLOR = "ShaderPosition_uColor";
const char* GLProgram::SHADER_NAME_POSITION_LENGTH_TEXTURE_COLOR = "ShaderPositionLengthTextureColor";
const char* GLProgram::SHADER_NAME_LABEL_NORMAL = "ShaderLabelNormal";

const char* GLProgram::UNIFORM_NAME_P_MATRIX = "CC_PMatrix";
const char* GLProgram::UNIFORM_NAME_MV_MATRIX = "CC_MVMatrix";
const char* GLProgram::UNIFORM_NAME_MVP_MATRIX = "CC_MVPMatrix";
const char* GLProgram::UNIFORM_NAME_SAMPLER0 = "CC_Texture0";
const char* GLProgram::UNIFORM_NAME_SAMPLER1 = "CC_Texture1";
const char* GLProgram::UNIFORM_NAME_SAMPLER2 = "CC_Texture2";
const char* GLProgram::UNIFORM_NAME_SAMPLER3 = "CC_Texture3";

const char* GLProgram::ATTRIBUTE_NAME_POSITION = "a_position";
const char* GLProgram::ATTRIBUTE_NAME_COLOR = "a_color";
const char* GLProgram::ATTRIBUTE_NAME_TEX_COORD = "a_texCoord";
const char* GLProgram::ATTRIBUTE_NAME_NORMAL = "a_normal";

namespace {

// Declared ahead of every source, so programs use the built-ins without declaring them.
const char kBuiltins[] =
    "uniform mat4 CC_PMatrix;\nuniform mat4 CC_MVMatrix;\nuniform mat4 CC_MVPMatrix;\n"
    "uniform sampler2D CC_Texture0;\nuniform sampler2D CC_Texture1;\n"
    "uniform sampler2D CC_Texture2;\nuniform sampler2D CC_Texture3;\n";
// Before GLSL 1.30 precision qualifiers are unknown words; they are defined away there.
const char kPrecisionWords[] = "#define lowp\n#define mediump\n#define highp\n";

// A "#version" line must stay first, so the prologue goes after it.
std::string withPrologue(const std::string& source)
{
    size_t start = source.find_first_not_of(" \t\r\n");
    if (start != std::string::npos && source.compare(start, 8, "#version") == 0) {
        int version = atoi(source.c_str() + start + 8);
        std::string prologue = std::string(version < 130 ? kPrecisionWords : "") + kBuiltins;
        size_t eol = source.find('\n', start);
        if (eol == std::string::npos) {
            return source + "\n" + prologue;
        }
        return source.substr(0, eol + 1) + prologue + "#line 2\n" + source.substr(eol + 1);
    }
    return std::string(kPrecisionWords) + kBuiltins + "#line 1\n" + source;
}

std::string infoLog(GLuint object, bool isProgram)
{
    GLint length = 0;
    if (isProgram) {
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    } else {
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    }
    if (length <= 1) {
        return std::string();
    }
    std::vector<GLchar> buf(static_cast<size_t>(length));
    if (isProgram) {
        glGetProgramInfoLog(object, length, nullptr, buf.data());
    } else {
        glGetShaderInfoLog(object, length, nullptr, buf.data());
    }
    return std::string(buf.data());
}

} // namespace

GLProgram::GLProgram()
{
    for (auto& u : _builtInUniforms) {
        u = -1;
    }
}

GLProgram::~GLProgram()
{
    if (_vertShader) glDeleteShader(_vertShader);
    if (_fragShader) glDeleteShader(_fragShader);
    if (_program && GL::isContextReady()) {
        GL::deleteProgram(_program);
    }
}

namespace {
// Links an initialised program and hands it out autoreleased; null (and deleted) on failure.
GLProgram* finishProgram(GLProgram* program, bool initialised)
{
    if (initialised && program->link()) {
        program->updateUniforms();
        program->autorelease();
        return program;
    }
    program->release();
    return nullptr;
}
} // namespace

GLProgram* GLProgram::createWithByteArrays(const GLchar* vShaderByteArray, const GLchar* fShaderByteArray)
{
    auto* program = new GLProgram();
    return finishProgram(program, program->initWithByteArrays(vShaderByteArray, fShaderByteArray));
}

GLProgram* GLProgram::createWithFilenames(const std::string& vShaderFilename, const std::string& fShaderFilename)
{
    auto* program = new GLProgram();
    return finishProgram(program, program->initWithFilenames(vShaderFilename, fShaderFilename));
}

bool GLProgram::initWithFilenames(const std::string& vShaderFilename, const std::string& fShaderFilename)
{
    FileUtils* fu = FileUtils::getInstance();
    std::string v = fu->getStringFromFile(vShaderFilename);
    std::string f = fu->getStringFromFile(fShaderFilename);
    if (v.empty() || f.empty()) {
        log("GLProgram: missing shader source %s or %s", vShaderFilename.c_str(), fShaderFilename.c_str());
        return false;
    }
    return initWithByteArrays(v.c_str(), f.c_str());
}

bool GLProgram::compileShader(GLuint* shader, GLenum type, const GLchar* source, std::string& logText)
{
    if (!source || !*source) {
        logText = "empty source";
        return false;
    }
    std::string full = withPrologue(source);
    const GLchar* sources[] = {full.c_str()};
    *shader = glCreateShader(type);
    glShaderSource(*shader, 1, sources, nullptr);
    glCompileShader(*shader);
    GLint status = GL_FALSE;
    glGetShaderiv(*shader, GL_COMPILE_STATUS, &status);
    logText = infoLog(*shader, false);
    if (status != GL_TRUE) {
        log("GLProgram: %s shader does not compile: %s", type == GL_VERTEX_SHADER ? "vertex" : "fragment",
            logText.c_str());
        glDeleteShader(*shader);
        *shader = 0;
        return false;
    }
    return true;
}

bool GLProgram::initWithByteArrays(const GLchar* vShaderByteArray, const GLchar* fShaderByteArray)
{
    if (!GL::isContextReady()) {
        log("GLProgram: no GL context");
        return false;
    }
    _program = glCreateProgram();
    if (!compileShader(&_vertShader, GL_VERTEX_SHADER, vShaderByteArray, _vertexLog) ||
        !compileShader(&_fragShader, GL_FRAGMENT_SHADER, fShaderByteArray, _fragmentLog)) {
        return false;
    }
    glAttachShader(_program, _vertShader);
    glAttachShader(_program, _fragShader);
    bindAttribLocation(ATTRIBUTE_NAME_POSITION, VERTEX_ATTRIB_POSITION);
    bindAttribLocation(ATTRIBUTE_NAME_COLOR, VERTEX_ATTRIB_COLOR);
    bindAttribLocation(ATTRIBUTE_NAME_TEX_COORD, VERTEX_ATTRIB_TEX_COORD);
    bindAttribLocation(ATTRIBUTE_NAME_NORMAL, VERTEX_ATTRIB_NORMAL);
    return true;
}

bool GLProgram::link()
{
    if (!_program || !_vertShader || !_fragShader) {
        return false;
    }
    glLinkProgram(_program);
    GLint status = GL_FALSE;
    glGetProgramiv(_program, GL_LINK_STATUS, &status);
    _programLog = infoLog(_program, true);
    glDeleteShader(_vertShader);
    glDeleteShader(_fragShader);
    _vertShader = _fragShader = 0;
    if (status != GL_TRUE) {
        log("GLProgram: program does not link: %s", _programLog.c_str());
        GL::deleteProgram(_program);
        _program = 0;
        return false;
    }
    parseVertexAttribs();
    parseUniforms();
    return true;
}

void GLProgram::parseVertexAttribs()
{
    _vertexAttribs.clear();
    GLint count = 0;
    glGetProgramiv(_program, GL_ACTIVE_ATTRIBUTES, &count);
    for (GLint i = 0; i < count; ++i) {
        GLchar name[256];
        GLsizei length = 0;
        VertexAttrib attrib;
        glGetActiveAttrib(_program, static_cast<GLuint>(i), sizeof(name), &length, &attrib.size, &attrib.type, name);
        attrib.name.assign(name, static_cast<size_t>(length));
        attrib.index = static_cast<GLuint>(glGetAttribLocation(_program, name));
        _vertexAttribs[attrib.name] = attrib;
    }
}

void GLProgram::parseUniforms()
{
    _userUniforms.clear();
    GLint count = 0;
    glGetProgramiv(_program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        GLchar name[256];
        GLsizei length = 0;
        Uniform uniform;
        glGetActiveUniform(_program, static_cast<GLuint>(i), sizeof(name), &length, &uniform.size, &uniform.type, name);
        std::string n(name, static_cast<size_t>(length));
        if (n.compare(0, 3, "CC_") == 0) {
            continue;
        }
        // Arrays are reported as "name[0]"; callers use the plain name.
        size_t bracket = n.find('[');
        if (bracket != std::string::npos) {
            n.erase(bracket);
        }
        uniform.name = n;
        uniform.location = glGetUniformLocation(_program, name);
        _userUniforms[n] = uniform;
    }
}

void GLProgram::updateUniforms()
{
    if (!_program) {
        return;
    }
    const char* names[UNIFORM_MAX] = {UNIFORM_NAME_P_MATRIX, UNIFORM_NAME_MV_MATRIX, UNIFORM_NAME_MVP_MATRIX,
                                      UNIFORM_NAME_SAMPLER0, UNIFORM_NAME_SAMPLER1, UNIFORM_NAME_SAMPLER2,
                                      UNIFORM_NAME_SAMPLER3};
    for (int i = 0; i < UNIFORM_MAX; ++i) {
        _builtInUniforms[i] = glGetUniformLocation(_program, names[i]);
    }
    use();
    for (int i = 0; i < 4; ++i) {
        if (_builtInUniforms[UNIFORM_SAMPLER0 + i] >= 0) {
            glUniform1i(_builtInUniforms[UNIFORM_SAMPLER0 + i], i);
        }
    }
}

void GLProgram::use()
{
    GL::useProgram(_program);
}

GLint GLProgram::getUniformLocation(const std::string& name) const
{
    return _program ? glGetUniformLocation(_program, name.c_str()) : -1;
}

GLint GLProgram::getAttribLocation(const std::string& name) const
{
    return _program ? glGetAttribLocation(_program, name.c_str()) : -1;
}

void GLProgram::bindAttribLocation(const std::string& attributeName, GLuint index) const
{
    glBindAttribLocation(_program, index, attributeName.c_str());
}

void GLProgram::setUniformsForBuiltins()
{
    setUniformsForBuiltins(Director::getInstance()->getMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_MODELVIEW));
}

void GLProgram::setUniformsForBuiltins(const Mat4& modelView)
{
    const Mat4& projection = Director::getInstance()->getMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION);
    if (_builtInUniforms[UNIFORM_P_MATRIX] >= 0) {
        setUniformLocationWithMatrix4fv(_builtInUniforms[UNIFORM_P_MATRIX], projection.m, 1);
    }
    if (_builtInUniforms[UNIFORM_MV_MATRIX] >= 0) {
        setUniformLocationWithMatrix4fv(_builtInUniforms[UNIFORM_MV_MATRIX], modelView.m, 1);
    }
    if (_builtInUniforms[UNIFORM_MVP_MATRIX] >= 0) {
        Mat4 mvp = projection * modelView;
        setUniformLocationWithMatrix4fv(_builtInUniforms[UNIFORM_MVP_MATRIX], mvp.m, 1);
    }
}

void GLProgram::setUniformLocationWith1i(GLint location, GLint i1)
{
    if (location >= 0) glUniform1i(location, i1);
}

void GLProgram::setUniformLocationWith2i(GLint location, GLint i1, GLint i2)
{
    if (location >= 0) glUniform2i(location, i1, i2);
}

void GLProgram::setUniformLocationWith1f(GLint location, GLfloat f1)
{
    if (location >= 0) glUniform1f(location, f1);
}

void GLProgram::setUniformLocationWith2f(GLint location, GLfloat f1, GLfloat f2)
{
    if (location >= 0) glUniform2f(location, f1, f2);
}

void GLProgram::setUniformLocationWith3f(GLint location, GLfloat f1, GLfloat f2, GLfloat f3)
{
    if (location >= 0) glUniform3f(location, f1, f2, f3);
}

void GLProgram::setUniformLocationWith4f(GLint location, GLfloat f1, GLfloat f2, GLfloat f3, GLfloat f4)
{
    if (location >= 0) glUniform4f(location, f1, f2, f3, f4);
}

void GLProgram::setUniformLocationWith4fv(GLint location, const GLfloat* floats, unsigned int numberOfArrays)
{
    if (location >= 0) glUniform4fv(location, static_cast<GLsizei>(numberOfArrays), floats);
}

void GLProgram::setUniformLocationWithMatrix4fv(GLint location, const GLfloat* matrixArray, unsigned int numberOfMatrices)
{
    if (location >= 0) glUniformMatrix4fv(location, static_cast<GLsizei>(numberOfMatrices), GL_FALSE, matrixArray);
}

} // namespace cocos2d
