#include "platform/PlistParser.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "base/base64.h"
#include "base/ccLog.h"
#include "base/ccUTF8.h"

namespace cocos2d {

namespace {

// Deeper nesting than any real property list; bounds the recursion on hostile input.
const int kMaxDepth = 200;

struct XmlNode {
    std::string name;
    std::string text;
    std::vector<std::unique_ptr<XmlNode>> children;
};

// A small XML reader: elements, attributes (skipped), text, entities, comments, CDATA,
// processing instructions and a DOCTYPE without an internal subset.
class XmlReader {
public:
    XmlReader(const char* data, size_t size) : _p(data), _end(data + size) {}

    std::unique_ptr<XmlNode> readDocument(std::string& error)
    {
        std::unique_ptr<XmlNode> root;
        while (skipMisc()) {
            if (_p >= _end) {
                break;
            }
            if (*_p != '<' || root) {
                error = "content outside the root element";
                return nullptr;
            }
            root = readElement(0);
            if (!root) {
                error = _error;
                return nullptr;
            }
        }
        if (!_error.empty()) {
            error = _error;
            return nullptr;
        }
        if (!root) {
            error = "no root element";
        }
        return root;
    }

private:
    bool startsWith(const char* s) const
    {
        size_t n = strlen(s);
        return static_cast<size_t>(_end - _p) >= n && memcmp(_p, s, n) == 0;
    }

    bool skipPast(const char* terminator)
    {
        size_t n = strlen(terminator);
        for (; _p + n <= _end; ++_p) {
            if (memcmp(_p, terminator, n) == 0) {
                _p += n;
                return true;
            }
        }
        _p = _end;
        _error = std::string("unterminated construct, expected ") + terminator;
        return false;
    }

    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    // Skips whitespace, comments, processing instructions and DOCTYPE; false on error.
    bool skipMisc()
    {
        for (;;) {
            while (_p < _end && isSpace(*_p)) {
                ++_p;
            }
            if (startsWith("<?")) {
                if (!skipPast("?>")) return false;
            } else if (startsWith("<!--")) {
                if (!skipPast("-->")) return false;
            } else if (startsWith("<!DOCTYPE")) {
                if (!skipPast(">")) return false;
            } else {
                return true;
            }
        }
    }

    bool readName(std::string& name)
    {
        const char* start = _p;
        while (_p < _end && !isSpace(*_p) && *_p != '>' && *_p != '/' && *_p != '=') {
            ++_p;
        }
        name.assign(start, static_cast<size_t>(_p - start));
        return !name.empty();
    }

    bool appendEntity(std::string& out)
    {
        const char* semi = static_cast<const char*>(memchr(_p, ';', static_cast<size_t>(std::min<ptrdiff_t>(_end - _p, 12))));
        if (!semi) {
            _error = "bad entity";
            return false;
        }
        std::string entity(_p + 1, static_cast<size_t>(semi - _p - 1));
        _p = semi + 1;
        if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "amp") out += '&';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            errno = 0;
            char* endp = nullptr;
            unsigned long cp = entity[1] == 'x' || entity[1] == 'X' ? strtoul(entity.c_str() + 2, &endp, 16)
                                                                    : strtoul(entity.c_str() + 1, &endp, 10);
            if (errno != 0 || !endp || *endp != '\0' || cp == 0 || cp > 0x10FFFF) {
                _error = "bad character reference";
                return false;
            }
            appendUtf8(out, static_cast<char32_t>(cp));
        } else {
            _error = "unknown entity &" + entity + ";";
            return false;
        }
        return true;
    }

    // At '<' of a start tag.
    std::unique_ptr<XmlNode> readElement(int depth)
    {
        if (depth > kMaxDepth) {
            _error = "nesting too deep";
            return nullptr;
        }
        ++_p;
        auto node = std::make_unique<XmlNode>();
        if (!readName(node->name)) {
            _error = "element without a name";
            return nullptr;
        }
        // Attributes are not used by property lists; skip them, honouring quotes.
        while (_p < _end && *_p != '>' && *_p != '/') {
            if (*_p == '"' || *_p == '\'') {
                char q = *_p++;
                while (_p < _end && *_p != q) ++_p;
                if (_p >= _end) break;
            }
            ++_p;
        }
        if (_p >= _end) {
            _error = "unterminated start tag <" + node->name;
            return nullptr;
        }
        if (*_p == '/') {
            if (_p + 1 >= _end || _p[1] != '>') {
                _error = "bad empty-element tag <" + node->name;
                return nullptr;
            }
            _p += 2;
            return node;
        }
        ++_p; // '>'
        for (;;) {
            if (_p >= _end) {
                _error = "unterminated element <" + node->name + ">";
                return nullptr;
            }
            if (startsWith("</")) {
                _p += 2;
                std::string closing;
                readName(closing);
                while (_p < _end && isSpace(*_p)) ++_p;
                if (closing != node->name || _p >= _end || *_p != '>') {
                    _error = "mismatched end tag </" + closing + "> for <" + node->name + ">";
                    return nullptr;
                }
                ++_p;
                return node;
            }
            if (startsWith("<!--")) {
                if (!skipPast("-->")) return nullptr;
            } else if (startsWith("<![CDATA[")) {
                _p += 9;
                const char* start = _p;
                if (!skipPast("]]>")) return nullptr;
                node->text.append(start, static_cast<size_t>(_p - 3 - start));
            } else if (startsWith("<?")) {
                if (!skipPast("?>")) return nullptr;
            } else if (*_p == '<') {
                auto child = readElement(depth + 1);
                if (!child) return nullptr;
                node->children.push_back(std::move(child));
            } else if (*_p == '&') {
                if (!appendEntity(node->text)) return nullptr;
            } else {
                node->text += *_p++;
            }
        }
    }

    const char* _p;
    const char* _end;
    std::string _error;
};

std::string stripSpace(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += c;
    }
    return out;
}

bool toValue(const XmlNode& node, Value& out, std::string& error)
{
    const std::string& n = node.name;
    if (n == "dict") {
        ValueMap map;
        for (size_t i = 0; i < node.children.size(); i += 2) {
            if (node.children[i]->name != "key" || i + 1 >= node.children.size()) {
                error = "dict entry without a key and a value";
                return false;
            }
            Value v;
            if (!toValue(*node.children[i + 1], v, error)) return false;
            map[node.children[i]->text] = std::move(v);
        }
        out = std::move(map);
    } else if (n == "array") {
        ValueVector list;
        list.reserve(node.children.size());
        for (const auto& child : node.children) {
            Value v;
            if (!toValue(*child, v, error)) return false;
            list.push_back(std::move(v));
        }
        out = std::move(list);
    } else if (n == "string" || n == "date") {
        out = node.text;
    } else if (n == "integer") {
        std::string t = stripSpace(node.text);
        errno = 0;
        char* end = nullptr;
        long long v = strtoll(t.c_str(), &end, 10);
        if (t.empty() || *end != '\0' || errno != 0) {
            error = "bad integer '" + t + "'";
            return false;
        }
        if (v >= INT32_MIN && v <= INT32_MAX) out = static_cast<int>(v);
        else out = static_cast<double>(v);
    } else if (n == "real") {
        std::string t = stripSpace(node.text);
        char* end = nullptr;
        double v = strtod(t.c_str(), &end);
        if (t.empty() || *end != '\0') {
            error = "bad real '" + t + "'";
            return false;
        }
        out = v;
    } else if (n == "true") {
        out = true;
    } else if (n == "false") {
        out = false;
    } else if (n == "data") {
        out = safeBase64Decode(stripSpace(node.text));
    } else {
        error = "unknown element <" + n + ">";
        return false;
    }
    return true;
}

std::string escapeText(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        default: out += c;
        }
    }
    return out;
}

void writeValue(const Value& v, int depth, std::string& out)
{
    std::string indent(static_cast<size_t>(depth), '\t');
    switch (v.getType()) {
    case Value::Type::MAP: {
        // Sorted keys: the same settings always give the same file.
        std::map<std::string, const Value*> sorted;
        for (const auto& item : v.asValueMap()) sorted[item.first] = &item.second;
        out += indent + "<dict>\n";
        for (const auto& item : sorted) {
            out += indent + "\t<key>" + escapeText(item.first) + "</key>\n";
            writeValue(*item.second, depth + 1, out);
        }
        out += indent + "</dict>\n";
        break;
    }
    case Value::Type::INT_KEY_MAP: {
        std::map<int, const Value*> sorted;
        for (const auto& item : v.asIntKeyMap()) sorted[item.first] = &item.second;
        out += indent + "<dict>\n";
        for (const auto& item : sorted) {
            out += indent + "\t<key>" + std::to_string(item.first) + "</key>\n";
            writeValue(*item.second, depth + 1, out);
        }
        out += indent + "</dict>\n";
        break;
    }
    case Value::Type::VECTOR:
        out += indent + "<array>\n";
        for (const auto& item : v.asValueVector()) writeValue(item, depth + 1, out);
        out += indent + "</array>\n";
        break;
    case Value::Type::BYTE:
    case Value::Type::INTEGER:
    case Value::Type::UNSIGNED:
        out += indent + "<integer>" + v.asString() + "</integer>\n";
        break;
    case Value::Type::FLOAT:
    case Value::Type::DOUBLE:
        out += indent + "<real>" + v.asString() + "</real>\n";
        break;
    case Value::Type::BOOLEAN:
        out += indent + (v.asBool() ? "<true/>\n" : "<false/>\n");
        break;
    case Value::Type::STRING:
        out += indent + "<string>" + escapeText(v.asString()) + "</string>\n";
        break;
    case Value::Type::NONE:
        out += indent + "<string></string>\n";
        break;
    }
}

} // namespace

bool PlistParser::parse(const char* data, size_t size, Value& root, const std::string& source)
{
    root = Value();
    if (!data || size == 0) {
        log("PlistParser: %s is empty", source.c_str());
        return false;
    }
    XmlReader reader(data, size);
    std::string error;
    std::unique_ptr<XmlNode> doc = reader.readDocument(error);
    if (!doc) {
        log("PlistParser: %s is not well-formed XML: %s", source.c_str(), error.c_str());
        return false;
    }
    const XmlNode* top = doc.get();
    if (top->name == "plist") {
        if (top->children.size() != 1) {
            log("PlistParser: %s: a property list holds exactly one object", source.c_str());
            return false;
        }
        top = top->children.front().get();
    }
    if (!toValue(*top, root, error)) {
        root = Value();
        log("PlistParser: %s: %s", source.c_str(), error.c_str());
        return false;
    }
    return true;
}

std::string PlistParser::serialize(const Value& root)
{
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
    writeValue(root, 0, out);
    out += "</plist>\n";
    return out;
}

} // namespace cocos2d
