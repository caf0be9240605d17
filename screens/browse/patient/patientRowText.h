#pragma once
// Puts a patient row's values into the texts of its record layout, each cut with an ellipsis
// where it would run into the next column.

#include "patient/patientList.h"

class patientRowText {
public:
    /// Fills the named texts of a "patientRecord" tree and shows its new-files marker.
    static void fill(cocos2d::Node* record, const patientList::listObject& row);
    /// "2-5-340": the numbers of studies, series and images.
    static std::string counts(const patientList::listObject& row);
    /// Sets the text, shortened to whole characters plus "…" when wider than maxWidth points.
    static void setFitted(cocos2d::ui::Text* label, const std::string& text, float maxWidth);
};
