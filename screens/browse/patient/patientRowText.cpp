#include "patient/patientRowText.h"

#include <cstdio>

using namespace cocos2d;

namespace {

// How much of the row's width each text may take before the next column begins.
struct Column {
    const char* name;
    float widthFraction;
};
const Column kColumns[] = {{"name", 0.36f},       {"id", 0.13f},   {"birthday", 0.10f},
                           {"sex", 0.04f},         {"desc", 0.26f}, {"seriesDate", 0.26f},
                           {"imageNumber", 0.14f}};

// Dates arrive as the store lists them ("1970.01.02") or raw from a new file ("19700102").
std::string dotted(const std::string& date) {
    if (date.size() != 8 || date.find_first_not_of("0123456789") != std::string::npos)
        return date;
    return date.substr(0, 4) + "." + date.substr(4, 2) + "." + date.substr(6, 2);
}

// The length of the first n characters of a UTF-8 text, in bytes.
size_t prefixBytes(const std::string& text, size_t characters) {
    size_t i = 0;
    while (i < text.size() && characters > 0) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
        --characters;
    }
    return i;
}

size_t characterCount(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

} // namespace

std::string patientRowText::counts(const patientList::listObject& row) {
    char text[48];
    snprintf(text, sizeof(text), "%i-%i-%i", row.studyNumber, row.seriesNumber, row.imageNumber);
    return text;
}

void patientRowText::setFitted(ui::Text* label, const std::string& text, float maxWidth) {
    label->setString(text);
    if (maxWidth <= 0 || label->getContentSize().width <= maxWidth)
        return;
    // The longest prefix that still fits with the ellipsis after it.
    size_t low = 0, high = characterCount(text);
    while (low < high) {
        size_t mid = (low + high + 1) / 2;
        label->setString(text.substr(0, prefixBytes(text, mid)) + "…");
        if (label->getContentSize().width <= maxWidth)
            low = mid;
        else
            high = mid - 1;
    }
    label->setString(text.substr(0, prefixBytes(text, low)) + "…");
}

void patientRowText::fill(Node* record, const patientList::listObject& row) {
    const std::string values[] = {row.name,       row.patientIDHospital, dotted(row.birthday), row.sex,
                                  row.studyDesc,  row.updateTime,        counts(row)};
    const float width = record->getContentSize().width;
    for (size_t i = 0; i < sizeof(kColumns) / sizeof(kColumns[0]); ++i) {
        if (auto* label = dynamic_cast<ui::Text*>(record->getChildByNameDeep(kColumns[i].name)))
            setFitted(label, values[i], width * kColumns[i].widthFraction);
    }
    if (Node* marker = record->getChildByNameDeep("newFiles"))
        marker->setVisible(row.hasNewFiles != 0);
}
