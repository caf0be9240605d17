#pragma once
// The named programs: the built-in ones, created once a GL context exists, and any added.

#include <string>
#include <unordered_map>

#include "renderer/GLProgram.h"

namespace cocos2d {

class GLProgramCache : public Ref {
public:
    static GLProgramCache* getInstance();
    static void destroyInstance();

    /// Builds the built-in programs (needs a current GL context); false when one fails.
    bool loadDefaultGLPrograms();
    void reloadDefaultGLPrograms();
    /// Null when no program has that name (for example without a GL context).
    GLProgram* getGLProgram(const std::string& key);
    void addGLProgram(GLProgram* program, const std::string& key);
    void removeAllPrograms();

    ~GLProgramCache() override;

protected:
    GLProgramCache() = default;
    std::unordered_map<std::string, GLProgram*> _programs;
};

} // namespace cocos2d
