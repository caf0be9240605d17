#pragma once
// The language table: reads "language.dat" (Base64 text of a property list with one table per
// language), picks the table of the system language and answers look-ups by key.

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace cocos2d {
class Node;
}

namespace NSUI {

class NSLanguage {
public:
    typedef std::unordered_map<std::string, std::string> Table;
    /// Localises a kind of widget the engine does not have (e.g. a text field's placeholder);
    /// returns true when it handled the node.
    typedef std::function<bool(cocos2d::Node* node, const std::string& text)> TextApplier;

    NSLanguage();
    virtual ~NSLanguage();

    void setFileName(const std::string& name) { _fileName = name; }
    const std::string& getFileName() const { return _fileName; }

    /// Loads the file once, choosing the table of the engine's current language.
    void loadLanguage();
    /// The same for a given language type (0 English ... 18 Bulgarian; others mean English).
    void loadLanguage(int languageType);
    bool isLoaded() const { return _loaded; }

    /// The current table's text for the key, "" when absent. Safe from any thread once loaded.
    std::string getString(const std::string& key) const;

    /// Sets, for every node below root, the text looked up under prefix + the node's name: a
    /// ui::Text's string, a ui::Button's title, or through the first registered applier that
    /// handles the node. Missing keys leave nodes unchanged; nodes of every kind are descended into.
    void applyText(cocos2d::Node* root, const std::string& prefix) const;

    /// The engine's language type of the user's locale (English without an application object).
    static int systemLanguageType();
    /// The language name of a language type; "english" outside 0..18.
    static const char* languageName(int languageType);

    /// Makes this table the one UILocalConfig::getLanguageString reads (null withdraws it).
    static void publish(const NSLanguage* language);
    /// The published table's text for the key; "" when none is published.
    static std::string getPublishedString(const std::string& key);
    static bool hasPublished();

    /// Adds an applier for applyText; the widget libraries register theirs at start-up.
    static void addTextApplier(const TextApplier& applier);

private:
    std::string _fileName;
    // Shared with the published copy so that look-ups from other threads outlive this object.
    std::shared_ptr<const Table> _table;
    bool _loaded = false;
};

} // namespace NSUI
