#include "patient/patientList.h"

#include "AppConfig.h"
#include "db/dicomDB.h"
#include "import/importDcm.h"
#include "net/dataService.h"
#include "notify/NSNotificationCenter.h"

using namespace cocos2d;

namespace {

// The key's text from the language table, or the English text while the table lacks it.
std::string localText(const char* key, const char* english) {
    AppConfig* config = AppConfig::getInstance();
    std::string text = config ? config->getText(key) : std::string();
    return text.empty() ? english : text;
}

} // namespace

Scene* patientList::createScene() {
    Scene* scene = Scene::create();
    if (patientList* list = patientList::create())
        scene->addChild(list);
    return scene;
}

patientList* patientList::create() {
    auto* list = new patientList();
    if (!list->init()) {
        delete list;
        return nullptr;
    }
    list->autorelease();
    return list;
}

patientList::~patientList() {
    // After shutdown this reaches the inert centre, which re-creates nothing.
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    if (_importer) {
        _importer->stop();
        _importer->release();
    }
}

bool patientList::init() {
    if (!ui::Layout::init())
        return false;
    buildView();
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, nullptr,
        [this](Ref*, unsigned int, NSUI::NSNotificationData* data) {
            if (data)
                importPath(data->text);
        },
        kOpenPathId);
    return true;
}

void patientList::buildView() {
    Size size = Director::getInstance()->getWinSize();
    if (size.width <= 0 || size.height <= 0)
        size = Size(960, 640);
    setContentSize(size);
    setBackGroundColorType(BackGroundColorType::SOLID);
    setBackGroundColor(Color3B(44, 44, 44));

    addText(localText("patientList_title", "Patients"), 35, size.height * 0.62f);
    _status =
        addText(localText("patientList_empty", "Drop a DICOM file or folder on the window to import it."), 20,
                size.height * 0.5f);
}

ui::Text* patientList::addText(const std::string& text, float fontSize, float y) {
    ui::Text* label = ui::Text::create(text, "", fontSize);
    if (!label)
        return nullptr;
    label->setPosition(Vec2(getContentSize().width / 2, y));
    label->setTextColor(Color4B(166, 166, 166, 255));
    addChild(label);
    return label;
}

void patientList::importPath(const std::string& path) {
    if (path.empty())
        return;
    dataService* service = dataService::getInstance();
    dicomDB* store = service ? service->getDB() : nullptr;
    if (!store) {
        log("patientList: no study store to import %s into", path.c_str());
        return;
    }
    if (!_importer) {
        _importer = importDcm::create();
        if (!_importer) {
            log("patientList: the importer could not start");
            return;
        }
        _importer->retain();
        _importer->setRootPath(store->getRoot());
    }
    _importer->importFiles(path);
    if (_status)
        _status->setString(localText("patientList_importing", "Importing ") + path);
}
