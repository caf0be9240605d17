#pragma once
// Builds node trees from the project's layout files. Code names layouts as "name.csb"; the
// loader reads "name.json" from the search paths instead (format: README.md beside this file).
// Names are kept exactly: they are the contract with the code and the language keys.

#include <string>

namespace cocos2d {

class Node;

class CSLoader {
public:
    static CSLoader* getInstance();
    static void destroyInstance();

    /// The tree of the layout file, autoreleased, or null (one log line) when the file is
    /// missing or breaks the format.
    static Node* createNode(const std::string& filename);
    /// The same from layout text; name is used in messages only.
    Node* createNodeFromText(const std::string& jsonText, const std::string& name);
    /// Checks layout text against the format without building nodes; the first problem found
    /// goes to error.
    bool validate(const std::string& jsonText, std::string* error) const;
    /// The message of the last failed load ("" after a success).
    const std::string& getLastError() const { return _lastError; }
    /// The layout file that "name.csb" (or "name.json") resolves to, or "".
    std::string resolve(const std::string& filename) const;
    /// Forgets the parsed files kept for repeated loads (rows of lists load one layout often).
    void purgeCache();

private:
    CSLoader() = default;
    ~CSLoader();
    struct Cache;
    Cache* _cache = nullptr;
    std::string _lastError;
};

} // namespace cocos2d

namespace cocostudio {
/// Releases everything the layout loader keeps (the program calls it at shutdown).
void destroyCocosStudio();
} // namespace cocostudio
