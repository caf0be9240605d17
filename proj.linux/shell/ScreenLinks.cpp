#include "ScreenLinks.h"

#include "AppConfig.h"
#include "advice/advice.h"
#include "favorites/favoriteList.h"
#include "favorites/favoriteListPhone.h"
#include "login/login.h"
#include "panel/ModalWindow.h"
#include "patient/patientListLinks.h"
#include "send/dcmSend.h"
#include "share/shareTo.h"
#include "study/studyList.h"
#include "tags/dcmFinder.h"
#include "viewer/imageViewerPC.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"

using cocos2d::Node;

namespace {

// Panels sit above everything else on the screen that opened them.
constexpr int kPanelZOrder = 10000;

// The registration owner of the program-wide links made by notifications.
char g_linkTarget;

void addPanel(Node* screen, Node* window) {
    ModalWindow::show(screen, window, kPanelZOrder);
}

// The phone layout pushes the panels as scenes of their own.
bool phoneLayout() {
    return AppConfig::getInstance()->phoneLayout;
}

} // namespace

void installScreenLinks() {
    patientListLinks::openSend() = [](Node* screen, const std::string& folder, const std::string& name) {
        Node* window = phoneLayout() ? dcmSend::createScene() : dcmSend::create();
        addPanel(screen, window);
        if (dcmSend* panel = dcmSend::fromWindow(window); panel && !folder.empty())
            panel->setSendSource(folder, name);
    };
    patientListLinks::openFinder() = [](Node* screen) {
        addPanel(screen, phoneLayout() ? dcmFinder::createScene() : dcmFinder::create());
    };
    patientListLinks::openShare() = [](Node* screen, const std::string& folder, const std::string& name) {
        shareTo* share = shareTo::create();
        addPanel(screen, share);
        if (share)
            share->zipAndShare(folder, name);
    };
    patientListLinks::openStudies() = [](const std::string& patientId) {
        cocos2d::Scene* scene = studyList::create();
        if (!scene)
            return;
        if (auto* screen = dynamic_cast<studyList*>(scene->getChildByTag(studyList::kScreenTag)))
            screen->setPatientID(patientId);
        cocos2d::Director::getInstance()->pushScene(scene);
    };
    patientListLinks::openLogin() = [](Node* screen) { login::show(screen); };
    // A series opened from the study list shows on the viewing screen.
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        &g_linkTarget, nullptr,
        [](cocos2d::Ref*, unsigned int, NSUI::NSNotificationData* data) {
            if (!data || data->text.empty())
                return;
            if (cocos2d::Scene* scene = imageViewerPC::createScene(data->text))
                cocos2d::Director::getInstance()->pushScene(scene);
        },
        studyList::kOpenSeriesId);
    patientListLinks::openFavorites() = [] {
        cocos2d::Scene* scene = phoneLayout() ? favoriteListPhone::createScene() : favoriteList::createScene();
        if (scene)
            cocos2d::Director::getInstance()->pushScene(scene);
    };
    patientListLinks::openFeedback() = [] {
        if (cocos2d::Scene* page = advice::createScene())
            cocos2d::Director::getInstance()->pushScene(page);
    };
}
