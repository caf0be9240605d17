#include "lang/NSLanguage.h"

#include "cocos2d.h"

#include <mutex>
#include <vector>

namespace NSUI {

namespace {

const char* const kLanguageNames[] = {
    "english", "chinese", "french",    "italian",   "german",     "spanish", "dutch",
    "russian", "korean",  "japanese",  "hungarian", "portuguese", "arabic",  "norwegian",
    "polish",  "turkish", "ukrainian", "romanian",  "bulgarian",
};
const int kLanguageCount = sizeof(kLanguageNames) / sizeof(kLanguageNames[0]);

std::mutex g_publishedMutex;
std::shared_ptr<const NSLanguage::Table> g_published;
std::vector<NSLanguage::TextApplier> g_textAppliers;

// The texts of one language's dictionary. Numbers and booleans (a property list writes "3" or
// "true" as such) are texts of the table too; only nested containers are not.
std::shared_ptr<const NSLanguage::Table> tableFrom(const cocos2d::Value& entry) {
    auto table = std::make_shared<NSLanguage::Table>();
    for (const auto& item : entry.asValueMap()) {
        switch (item.second.getType()) {
        case cocos2d::Value::Type::STRING:
        case cocos2d::Value::Type::INTEGER:
        case cocos2d::Value::Type::UNSIGNED:
        case cocos2d::Value::Type::FLOAT:
        case cocos2d::Value::Type::DOUBLE:
        case cocos2d::Value::Type::BOOLEAN:
            (*table)[item.first] = item.second.asString();
            break;
        default:
            break;
        }
    }
    return table;
}

} // namespace

NSLanguage::NSLanguage() : _fileName("language.dat") {}

NSLanguage::~NSLanguage() = default;

const char* NSLanguage::languageName(int languageType) {
    if (languageType < 0 || languageType >= kLanguageCount)
        return kLanguageNames[0];
    return kLanguageNames[languageType];
}

int NSLanguage::systemLanguageType() {
    cocos2d::Application* app = cocos2d::Application::getInstance();
    return app ? static_cast<int>(app->getCurrentLanguage()) : 0;
}

void NSLanguage::loadLanguage() {
    loadLanguage(systemLanguageType());
}

void NSLanguage::loadLanguage(int languageType) {
    if (_loaded)
        return;
    cocos2d::FileUtils* files = cocos2d::FileUtils::getInstance();
    std::string text = files->getStringFromFile(files->fullPathForFilename(_fileName));
    if (!text.empty()) {
        // The file is normally Base64; a plain property list is accepted as it is.
        std::string decoded = cocos2d::safeBase64Decode(text);
        if (!decoded.empty())
            text = decoded.c_str();
    }
    cocos2d::ValueMap root;
    if (!text.empty())
        root = files->getValueMapFromData(text.data(), static_cast<int>(text.size()));
    if (root.empty()) {
        cocos2d::log("Failed to load config file of language.");
        return;
    }
    _loaded = true;
    auto it = root.find(languageName(languageType));
    if (it == root.end() || it->second.getType() != cocos2d::Value::Type::MAP)
        it = root.find("english");
    if (it != root.end() && it->second.getType() == cocos2d::Value::Type::MAP)
        _table = tableFrom(it->second);
}

std::string NSLanguage::getString(const std::string& key) const {
    if (!_table || key.empty())
        return {};
    auto it = _table->find(key);
    return it == _table->end() ? std::string() : it->second;
}

void NSLanguage::applyText(cocos2d::Node* root, const std::string& prefix) const {
    if (!root)
        return;
    std::vector<TextApplier> appliers;
    {
        std::lock_guard<std::mutex> lock(g_publishedMutex);
        appliers = g_textAppliers;
    }
    for (cocos2d::Node* child : root->getChildren()) {
        std::string text = getString(prefix + child->getName());
        if (!text.empty()) {
            if (auto* label = dynamic_cast<cocos2d::ui::Text*>(child)) {
                label->setString(text);
            } else if (auto* button = dynamic_cast<cocos2d::ui::Button*>(child)) {
                button->setTitleText(text);
            } else {
                for (const TextApplier& apply : appliers) {
                    if (apply(child, text))
                        break;
                }
            }
        }
        if (child->getChildrenCount() > 0)
            applyText(child, prefix);
    }
}

void NSLanguage::publish(const NSLanguage* language) {
    std::lock_guard<std::mutex> lock(g_publishedMutex);
    g_published = language ? language->_table : nullptr;
}

std::string NSLanguage::getPublishedString(const std::string& key) {
    std::shared_ptr<const Table> table;
    {
        std::lock_guard<std::mutex> lock(g_publishedMutex);
        table = g_published;
    }
    if (!table || key.empty())
        return {};
    auto it = table->find(key);
    return it == table->end() ? std::string() : it->second;
}

bool NSLanguage::hasPublished() {
    std::lock_guard<std::mutex> lock(g_publishedMutex);
    return g_published != nullptr;
}

void NSLanguage::addTextApplier(const TextApplier& applier) {
    if (!applier)
        return;
    std::lock_guard<std::mutex> lock(g_publishedMutex);
    g_textAppliers.push_back(applier);
}

} // namespace NSUI
