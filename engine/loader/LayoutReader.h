#pragma once
// Checks one parsed layout document against the layout format and builds its node tree.
// Internal to the loader.

#include <string>

#include <nlohmann/json_fwd.hpp>

namespace cocos2d {

class Node;

class LayoutReader {
public:
    explicit LayoutReader(const std::string& source) : _source(source) {}
    /// True when the document follows the format; otherwise error() says where it does not.
    bool check(const nlohmann::json& root);
    /// The autoreleased tree, or null when the document does not follow the format.
    Node* build(const nlohmann::json& root);
    const std::string& error() const { return _error; }

private:
    bool checkNode(const nlohmann::json& node, const std::string& where);
    bool checkValue(const nlohmann::json& value, int kind, const std::string& where);
    bool fail(const std::string& where, const std::string& message);
    Node* buildNode(const nlohmann::json& node);

    std::string _source;
    std::string _error;
};

} // namespace cocos2d
