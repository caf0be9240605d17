#pragma once
// The record of one answer to a DICOM query: a study (nine texts) or a series (seven texts).

#include "cocos2d.h"

#include <map>
#include <string>
#include <vector>

/// Built from the library's answer text, a list of "gggg,eeee[value]" entries.
class QueryAnswer : public cocos2d::Ref {
public:
    /// Autoreleased; never null (an answer without entries gives a study of empty texts).
    static QueryAnswer* parse(const std::string& text);

    /// Series: modality, date and time, series description, study UID, series UID, series
    /// number, number of instances. Study: patient name, date and time, institution, study
    /// description, patient ID, birth date, sex, study UID, study ID.
    std::vector<std::string> fields;
    bool isSeries = false;

    /// 2009 for a series, 2008 for a study.
    unsigned notificationId() const { return isSeries ? 2009 : 2008; }

    /// The entries of an answer text by lower-case tag ("0008,0060").
    static std::map<std::string, std::string> entries(const std::string& text);
    /// "YYYY.MM.DD HH:MM:SS" from the first 14 digits of date + time; with fewer digits the
    /// two texts joined by a blank, as they came.
    static std::string dateTime(const std::string& date, const std::string& time);
};
