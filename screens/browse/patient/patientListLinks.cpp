#include "patient/patientListLinks.h"

using ScreenSource = std::function<void(cocos2d::Node*, const std::string&, const std::string&)>;

std::function<void(const std::string&)>& patientListLinks::openStudies() {
    static std::function<void(const std::string&)> link;
    return link;
}

ScreenSource& patientListLinks::openSend() {
    static ScreenSource link;
    return link;
}

ScreenSource& patientListLinks::openShare() {
    static ScreenSource link;
    return link;
}

std::function<void(cocos2d::Node*)>& patientListLinks::openFinder() {
    static std::function<void(cocos2d::Node*)> link;
    return link;
}

std::function<void(cocos2d::Node*)>& patientListLinks::openLogin() {
    static std::function<void(cocos2d::Node*)> link;
    return link;
}

std::function<void()>& patientListLinks::openFavorites() {
    static std::function<void()> link;
    return link;
}

std::function<void()>& patientListLinks::openFeedback() {
    static std::function<void()> link;
    return link;
}
