#include "patient/patientList.h"

#include "AppConfig.h"
#include "AppServices.h"
#include "cache/isDcmScan.h"
#include "db/dicomDB.h"
#include "http/ParentPath.h"
#include "import/importDcm.h"
#include "loader/CSLoader.h"
#include "net/dataService.h"
#include "notify/NSNotificationCenter.h"
#include "patient/patientListLinks.h"
#include "patient/patientRowText.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "table/NSTableViewMenu.h"
#include "study/StoreWorkers.h"
#include "util/FileHelpers.h"

#include <cstdlib>
#include <memory>
#include <unordered_map>

using namespace cocos2d;
using NSUI::NSNotificationCenter;

namespace {

// Usage statistics types of this screen.
constexpr int kStatOpened = 3;
constexpr int kStatLeft = 4;
constexpr int kStatShared = 15;

const Color4B kBadgeText(255, 255, 255, 255);

void recordStat(int type) {
    if (AppServices* services = AppServices::current())
        services->recordStat(type);
}

void localise(Node* root) {
    if (AppConfig* config = AppConfig::getInstance())
        config->applyText(root, "");
}

// The patient folder of a series folder: its last two components dropped.
std::string patientFolderOf(const std::string& seriesFolder) {
    return NSUI::getParentPath(NSUI::getParentPath(seriesFolder));
}

std::string first16(const std::string& text) {
    return text.substr(0, 16);
}

// Unchanged pictures are left alone: reloading one rebuilds the button and redraws the screen.
void setButtonPicture(ui::Button* button, const std::string& picture) {
    if (button->getNormalFile() != picture)
        button->loadTextures(picture, picture, picture);
}

// A badge (a picture with a number over it) beside a button, in the button's parent.
void makeBadge(ui::Widget* button, const std::string& name, const Vec2& offset, const std::string& text) {
    Node* parent = button->getParent();
    if (!parent)
        return;
    Vec2 at = button->getPosition() + offset;
    Sprite* back = Sprite::create("imgs/newFiles.png");
    if (back) {
        back->setName(name + "BK");
        back->setScale(2.0f);
        back->setAnchorPoint(Vec2(0.5f, 0.5f));
        back->setPosition(at);
        parent->addChild(back, button->getLocalZOrder() + 1);
    }
    Label* label = Label::createWithSystemFont(text, "", 15);
    label->setName(name);
    label->setTextColor(kBadgeText);
    label->setAnchorPoint(Vec2(0.5f, 0.5f));
    label->setPosition(at);
    parent->addChild(label, button->getLocalZOrder() + 2);
}

void showBadge(Node* parent, const std::string& name, bool show, const std::string& text) {
    if (!parent)
        return;
    if (auto* label = dynamic_cast<Label*>(parent->getChildByName(name))) {
        label->setVisible(show);
        if (show)
            label->setString(text);
    }
    if (Node* back = parent->getChildByName(name + "BK"))
        back->setVisible(show);
}

// One of the two pictures of the empty-list prompt, with its line of text over it.
Sprite* promptPicture(const char* picture, const char* key, const std::string& english) {
    Sprite* sprite = Sprite::create(picture);
    if (!sprite)
        sprite = Sprite::create();
    sprite->setAnchorPoint(Vec2(0.5f, 0.5f));
    sprite->setCascadeOpacityEnabled(true);
    AppConfig* config = AppConfig::getInstance();
    std::string text = config ? config->getText(key) : std::string();
    Label* label = Label::createWithSystemFont(text.empty() ? english : text, "", 15);
    label->setTextColor(Color4B(220, 222, 226, 255));
    label->setAnchorPoint(Vec2(0.0f, 0.5f));
    const Size& size = sprite->getContentSize();
    label->setPosition(Vec2(size.height, size.height * 0.5f));
    sprite->addChild(label);
    return sprite;
}

} // namespace

// ---- Building -------------------------------------------------------------------------------

Scene* patientList::createScene() {
    Scene* scene = Scene::create();
    auto* list = new patientList();
    if (list->init()) {
        list->autorelease();
        scene->addChild(list);
    } else {
        delete list;
    }
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
    cleanup();
}

bool patientList::init() {
    if (!Layer::init())
        return false;
    setControlOwner(this);
    recordStat(kStatOpened);
    FileUtils* files = FileUtils::getInstance();
    resourceFolder = files->getWritablePath() + "qp/tmp/res/";
    // The store opens after the first scene is made; its root follows one fixed rule.
    storeRoot = dicomDB::rootFor(files->getWritablePath());
    importer = importDcm::create();
    if (importer) {
        importer->retain();
        importer->setRootPath(storeRoot);
    }
    firstEntry = true;
    // Archives unpacked by an earlier run that ended before their import did.
    if (files->isDirectoryExist(scratchRoot()))
        files->removeDirectory(scratchRoot());

    Node* root = CSLoader::createNode("patientList.csb");
    if (!root)
        return true;
    root->removeChildByName("appName");
    root->setContentSize(Director::getInstance()->getWinSize());
    localise(root);
    ui::Helper::doLayout(root);
    addChild(root);

    auto* centre = NSNotificationCenter::getInstance();
    auto callback = [this](Ref* sender, unsigned id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    for (unsigned id : {kFileStoredId, kSeriesDeletedId, kUnpackedId, kOpenPathId, kLiveNodesId})
        centre->addObserver(this, nullptr, callback, id);
    buildTable(root);
    wireButtons(root);
    for (unsigned id : {kCaptureSavedId, kFavoriteDicomSavedId, kLoginChangedId, kBusyButtonId})
        centre->addObserver(this, nullptr, callback, id);
    return true;
}

void patientList::buildTable(Node* root) {
    Node* placeholder = root->getChildByNameDeep("list");
    if (!placeholder)
        return;
    _table = NSUI::NSListView::create();
    addChild(_table);
    _table->setContentSize(placeholder->getContentSize());
    _table->setAnchorPoint(placeholder->getAnchorPoint());
    // The placeholder may sit in a group of the layout; the table sits on the screen itself.
    _table->setPosition(
        convertToNodeSpace(placeholder->getParent()->convertToWorldSpace(placeholder->getPosition())));
    placeholder->getParent()->removeChildByName("list", true);
    _table->swipeStartFraction = 0.2f;
    _table->swipeOpenFraction = 0.4f;
    _table->swipeSlideTime = 0.5f;
    _table->delegate = this;
    highlightEnabled = true;
    _table->reloadData();
}

void patientList::wireButtons(Node* root) {
    for (const char* name : {"importImage", "logo", "search", "wifi", "btnFavorite", "writeAdvice"}) {
        auto* button = dynamic_cast<ui::Button*>(root->getChildByNameDeep(name));
        if (!button)
            continue;
        button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
        std::string id = name;
        if (id == "wifi") {
            button->setScale(0.8f);
            button->setPressedActionEnabled(true);
            button->setLocalZOrder(1000);
        } else if (id == "btnFavorite") {
            button->setLocalZOrder(1000);
            button->setScale(0.7f);
            button->setPositionX(button->getPositionX() - 10);
        } else {
            button->setPressedActionEnabled(true);
        }
    }
}

void patientList::onEnterTransitionDidFinish() {
    Layer::onEnterTransitionDidFinish();
    dicomDB* db = store();
    if (firstEntry) {
        if (db)
            storeRoot = db->getRoot();
        updateLoginButton();
        if (db)
            db->requestPatients([this](NSUI::NSDBDataModel* model) { onPatientsLoaded(model); });
        importSample();
        firstEntry = false;
    }
    updateFavoriteBadge(this, db ? db->getFavoriteCount() : 0);
}

void patientList::onExit() {
    Layer::onExit();
    recordStat(kStatLeft);
}

void patientList::cleanup() {
    Layer::cleanup();
    NSNotificationCenter::getInstance()->removeObserver(this);
    // The unpack workers end before the screen (and the program) goes.
    waitWorkersFinished();
    if (importer) {
        importer->release();
        importer = nullptr;
    }
}

dicomDB* patientList::store() const {
    dataService* service = dataService::getInstance();
    return service ? service->getDB() : nullptr;
}

// ---- Rows -----------------------------------------------------------------------------------

patientList::listObject* patientList::rowAt(int64_t index) const {
    if (!_table || index < 0 || index >= static_cast<int64_t>(_table->rows.size()))
        return nullptr;
    return dynamic_cast<listObject*>(_table->rows.at(index));
}

int64_t patientList::indexOfPatient(const std::string& patientId) const {
    if (!_table)
        return -1;
    for (ssize_t i = 0; i < _table->rows.size(); ++i) {
        auto* row = dynamic_cast<listObject*>(_table->rows.at(i));
        if (row && row->patientID == patientId)
            return static_cast<int64_t>(i);
    }
    return -1;
}

void patientList::onPatientsLoaded(NSUI::NSDBDataModel* model) {
    if (!model || !_table)
        return;
    // The list counts every record the store had indexed when it was read, also those whose
    // announcements (2002) still wait for this screen: the store hands over its results and
    // posts its announcements in the order it made them, so exactly those are withdrawn here.
    auto* centre = NSNotificationCenter::getInstance();
    centre->removeObserver(kFileStoredId, this);
    centre->addObserver(
        this, nullptr, [this](Ref* sender, unsigned id, NSUI::NSNotificationData* data) { onNotification(sender, id, data); },
        kFileStoredId);
    // A patient an announcement has already put on the list takes the list's values.
    std::unordered_map<std::string, int64_t> announced;
    for (int64_t i = 0; i < _table->getRowCount(); ++i)
        if (listObject* row = rowAt(i))
            announced[row->patientID] = i;
    for (int r = 0; r < model->getRowCount(); ++r) {
        auto found = announced.find(model->getValue(r, 0));
        const int64_t listed = found == announced.end() ? -1 : found->second;
        listObject* row = listed >= 0 ? rowAt(listed) : new listObject();
        if (!row)
            continue;
        row->patientID = model->getValue(r, 0);
        row->patientIDHospital = model->getValue(r, 1);
        row->name = model->getValue(r, 2);
        row->birthday = model->getValue(r, 3);
        row->sex = model->getValue(r, 4);
        row->updateTime = first16(model->getValue(r, 5));
        row->studyDesc = model->getValue(r, 6);
        row->dcmFolder = patientFolderOf(model->getValue(r, 7));
        row->studyNumber = atoi(model->getValue(r, 8).c_str());
        row->seriesNumber = atoi(model->getValue(r, 9).c_str());
        row->imageNumber = atoi(model->getValue(r, 10).c_str());
        if (listed >= 0) {
            _table->updateCellAtIndex(listed);
            continue;
        }
        _table->insertCellAtIndex(_table->getRowCount(), row);
        row->release();
    }
    updateEmptyPrompt();
}

Size patientList::tableCellSizeForIndex(NSUI::NSTableView*, int64_t, Ref*) {
    return Size(getContentSize().width, 100);
}

NSUI::NSTableViewCell* patientList::tableCellAtIndex(NSUI::NSTableView* table, int64_t index, const Size& size) {
    listObject* row = rowAt(index);
    NSUI::NSTableViewCell* cell = table->cellAtIndex(index);
    if (!cell)
        cell = table->dequeueCell();
    Node* record = nullptr;
    if (!cell) {
        cell = NSUI::NSTableViewCell::create();
        if (Node* tree = CSLoader::createNode("patientRecord.csb")) {
            tree->setContentSize(size);
            ui::Helper::doLayout(tree);
            localise(tree);
            cell->addChild(tree, 0, kRecordTag);
            record = tree;
        }
    } else {
        record = cell->getChildByTag(kRecordTag);
    }
    if (!record || !row)
        return cell;
    patientRowText::fill(record, *row);
    return cell;
}

void patientList::tableFillLeftMenu(NSUI::NSTableView* table, NSUI::NSTableViewMenu* menu) {
    Node* tool = CSLoader::createNode("patientToolPC.csb");
    if (!tool)
        return;
    localise(tool);
    menu->addChild(tool);
    menu->setContentSize(Size(tool->getContentSize().width, menu->getContentSize().height));
    for (const char* name : {"del", "send", "share"}) {
        auto* button = dynamic_cast<ui::Button*>(tool->getChildByNameDeep(name));
        if (!button)
            continue;
        button->setUserObject(menu->cell);
        button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
        button->setLocalZOrder(table->getLocalZOrder() + 1);
    }
}

void patientList::tableCellTouched(NSUI::NSTableView* table, NSUI::NSTableViewCell* cell, const Vec2& point) {
    if (point.x < table->getContentSize().width - kOpenZoneWidth)
        return;
    listObject* row = rowAt(cell->getIdx());
    if (!row)
        return;
    row->hasNewFiles = 0;
    int64_t index = indexOfPatient(row->patientID);
    if (index >= 0)
        table->updateCellAtIndex(index);
    if (patientListLinks::openStudies())
        patientListLinks::openStudies()(row->patientID);
    else
        log("patientList: no study list to open for patient %s", row->patientID.c_str());
}

// ---- What the user does ---------------------------------------------------------------------

void patientList::onButtonClicked(Ref* sender) {
    auto* button = dynamic_cast<ui::Button*>(sender);
    if (!button)
        return;
    const std::string& name = button->getName();
    auto* cell = dynamic_cast<NSUI::NSTableViewCell*>(button->getUserObject());
    listObject* row = cell ? rowAt(cell->getIdx()) : nullptr;
    auto missing = [&name] { log("patientList: \"%s\" opens nothing in this build", name.c_str()); };

    if (name == "btnFavorite") {
        patientListLinks::openFavorites() ? patientListLinks::openFavorites()() : missing();
    } else if (name == "writeAdvice") {
        patientListLinks::openFeedback() ? patientListLinks::openFeedback()() : missing();
    } else if (name == "logo") {
        patientListLinks::openLogin() ? patientListLinks::openLogin()(this) : missing();
    } else if (name == "importImage") {
        chooseAndImport();
    } else if (name == "share") {
        if (!row)
            return;
        if (patientListLinks::openShare())
            patientListLinks::openShare()(this, storeRoot + row->dcmFolder, row->name);
        else
            missing();
        if (_table)
            _table->closeSwipeMenus(true);
        recordStat(kStatShared);
    } else if (name == "del") {
        if (cell)
            deletePatient(static_cast<int>(cell->getIdx()));
    } else if (name == "search") {
        patientListLinks::openFinder() ? patientListLinks::openFinder()(this) : missing();
    } else if (name == "send" || name == "wifi") {
        std::string folder = row ? storeRoot + row->dcmFolder : std::string();
        std::string patient = row ? row->name : std::string();
        patientListLinks::openSend() ? patientListLinks::openSend()(this, folder, patient) : missing();
        if (_table)
            _table->closeSwipeMenus(true);
    }
}

void patientList::deletePatient(int index) {
    listObject* row = rowAt(index);
    if (!row)
        return;
    deletedPatients.insert(row->patientID);
    std::string json;
    setJsonString(json, "patientID", row->patientID);
    // Without a folder of its own the row names no files: only its store rows go.
    setJsonString(json, "folder", row->dcmFolder.empty() ? std::string() : storeRoot + row->dcmFolder);
    dicomDB* db = store();
    if (db) {
        // The worker keeps the store alive, and the program lets it finish before it closes
        // the store, so the rows and the folders go together.
        db->retain();
        StoreWorkers::start([json, db] {
            deletePatientWorker(json, db);
            db->release();
        });
    }
    _table->removeCellAtIndex(index);
    updateEmptyPrompt();
}

void patientList::deletePatientWorker(const std::string& json, dicomDB* db) {
    std::string patientId = getJsonString(json, "patientID", "");
    std::string folder = getJsonString(json, "folder", "");
    if (!folder.empty()) {
        isImageSDK::isDcmScan scan;
        std::vector<std::string> studies;
        listSubDirectories(folder, studies, true);
        for (const std::string& study : studies) {
            std::vector<std::string> series;
            listSubDirectories(study, series, true);
            for (const std::string& one : series)
                scan.removeCache(one);
        }
    }
    if (db)
        db->deletePatient(patientId);
}

// ---- Indicators -----------------------------------------------------------------------------

void patientList::updateEmptyPrompt() {
    if (!_table)
        return;
    Node* prompt = getChildByTag(kPromptTag);
    if (_table->getRowCount() >= 4) {
        // Gone rather than hidden: its endless animation would keep redrawing the screen.
        if (prompt)
            prompt->removeFromParent();
        return;
    }
    if (!prompt) {
        prompt = Node::create();
        prompt->setAnchorPoint(Vec2(0.5f, 0.5f));
        prompt->setPosition(Vec2(getContentSize().width * 0.5f, 150));
        addChild(prompt, _table->getLocalZOrder() + 5, kPromptTag);
        Sprite* desktop =
            promptPicture("res/desktopPrompt.png", "desktopPrompt",
                          "Import a folder or a zip archive, or drop one on this window");
        desktop->runAction(RepeatForever::create(Sequence::create(
            FadeOut::create(1), DelayTime::create(10), FadeIn::create(1),
            RotateBy::create(1, Vec3(360, 0, 0)), DelayTime::create(9), nullptr)));
        prompt->addChild(desktop);
        Sprite* node = promptPicture("res/dicomNodePrompt.png", "dicomNodePrompt",
                                     "Send studies here from a DICOM node: AE title " +
                                         std::string(dicomDB::kReceiverAETitle) + ", port " +
                                         std::to_string(dicomDB::getReceiverPort()));
        node->setOpacity(0);
        node->runAction(RepeatForever::create(Sequence::create(
            FadeIn::create(1), RotateBy::create(1, Vec3(360, 0, 0)), DelayTime::create(9), FadeOut::create(1),
            DelayTime::create(10), nullptr)));
        prompt->addChild(node);
    }
    prompt->setVisible(true);
}

void patientList::updateLoginButton() {
    auto* button = dynamic_cast<ui::Button*>(getChildByNameDeep("logo"));
    if (!button)
        return;
    bool signedIn = getStringForKey("app_logined", "0") == "1";
    setButtonPicture(button, signedIn ? "imgs/logo.png" : "imgs/logout.png");
}

void patientList::showNetworkBanner(bool show) {
    if (!_table || !_table->getParent())
        return;
    Node* parent = _table->getParent();
    const Size& screen = getContentSize();
    int z = _table->getLocalZOrder();
    Node* banner = parent->getChildByTag(kBannerTag);
    if (!banner) {
        banner = Node::create();
        banner->setAnchorPoint(Vec2(0, 1));
        banner->setPosition(Vec2(0, screen.height - 60));
        banner->setContentSize(Size(screen.width, 100));
        banner->setVisible(false);
        parent->addChild(banner, z + 1, kBannerTag);
        LayerColor* back = LayerColor::create(Color4B(189, 156, 156, 255), screen.width, 100);
        back->setAnchorPoint(Vec2::ZERO);
        banner->addChild(back);
        if (Sprite* circle = Sprite::create("res/redCircle.png")) {
            circle->setPosition(Vec2(50, 50));
            banner->addChild(circle, z + 100);
        }
        Label* mark = Label::createWithSystemFont("!", "", 45);
        mark->setPosition(Vec2(50, 50));
        banner->addChild(mark, z + 200);
        AppConfig* config = AppConfig::getInstance();
        bool english = !config || config->languageType == 0;
        Label* text = Label::createWithSystemFont(english ? "No valid internet connection" : "", "", 25);
        text->setAnchorPoint(Vec2(0, 0.5f));
        text->setPosition(Vec2(90, 50));
        text->setTextColor(Color4B(40, 24, 24, 255));
        banner->addChild(text, z + 100);
    }
    if (banner->isVisible() == show)
        return;
    banner->setVisible(show);
    _table->runAction(MoveBy::create(0.3f, Vec2(0, show ? -100 : 100)));
}

void patientList::updateFavoriteBadge(Node* owner, int count) {
    auto* button = owner ? dynamic_cast<ui::Button*>(owner->getChildByNameDeep("btnFavorite")) : nullptr;
    if (!button)
        return;
    if (count < 0)
        count = atoi(button->getUserString().c_str()) + 1;
    button->setUserString(std::to_string(count));
    if (!owner->getChildByNameDeep("favoriteNodes"))
        makeBadge(button, "favoriteNodes", Vec2(-10, 15), std::to_string(count));
    showBadge(button->getParent(), "favoriteNodes", count >= 1, std::to_string(count));
}

void patientList::onLiveNodes(int count) {
    auto* button = dynamic_cast<ui::Button*>(getChildByNameDeep("wifi"));
    if (button) {
        setButtonPicture(button, count < 0 ? "imgs/Wi-Fi-Red.png" : "imgs/Wi-Fi-Green.png");
        Node* parent = button->getParent();
        if (count > 0 && parent && !parent->getChildByName("activeNodes"))
            makeBadge(button, "activeNodes", Vec2(-15, 15), std::to_string(count));
        showBadge(parent, "activeNodes", count > 0, std::to_string(count));
    }
    showNetworkBanner(count < 0);
}

// ---- Notifications --------------------------------------------------------------------------

void patientList::onNotification(Ref*, unsigned int id, NSUI::NSNotificationData* data) {
    switch (id) {
    case kLoginChangedId:
        updateLoginButton();
        break;
    case kCaptureSavedId:
    case kFavoriteDicomSavedId:
        updateFavoriteBadge(this, -1);
        break;
    case kLiveNodesId:
        if (data)
            onLiveNodes(data->intValue);
        break;
    case kOpenPathId:
        if (data)
            importFile(data->text);
        break;
    case kUnpackedId:
        onUnpacked(data ? data->intValue : 0);
        break;
    case kBusyButtonId:
        // The unpack overlay's cancel: the archive in hand is not imported.
        if (_unpacking)
            _unpackCancelled = true;
        break;
    case kSeriesDeletedId:
        if (data)
            onSeriesDeleted(data->text);
        break;
    case kFileStoredId:
        if (data)
            onFileStored(data->text);
        break;
    default:
        break;
    }
}

void patientList::onSeriesDeleted(const std::string& patientId) {
    int64_t index = indexOfPatient(patientId);
    dicomDB* db = store();
    if (index < 0 || (db && db->patientExists(patientId)))
        return;
    _table->removeCellAtIndex(index);
    updateEmptyPrompt();
}

void patientList::onFileStored(const std::string& json) {
    if (!_table)
        return;
    std::string patientId = getJsonString(json, "patientID");
    int64_t index = indexOfPatient(patientId);
    int studies = atoi(getJsonString(json, "studyNumber").c_str());
    int series = atoi(getJsonString(json, "seriesNumber").c_str());
    int images = atoi(getJsonString(json, "imageNumber").c_str());
    if (listObject* row = rowAt(index)) {
        row->updateTime = first16(getJsonString(json, "updateTime"));
        row->studyNumber += studies;
        row->seriesNumber += series;
        row->imageNumber += images;
        row->hasNewFiles = 1;
        _table->updateCellAtIndex(index);
        return;
    }
    // Only a patient the store holds gets a row: a record queued before its deletion would
    // bring the patient back. Row IDs are never reused, so one deleted here stays out also
    // while its deletion is still running.
    dicomDB* db = store();
    if (deletedPatients.count(patientId) || (db && !db->patientExists(patientId)))
        return;
    auto* row = new listObject();
    row->patientID = patientId;
    row->name = getJsonString(json, "name");
    row->patientIDHospital = getJsonString(json, "patientIDHospital");
    row->birthday = getJsonString(json, "birthday");
    row->sex = getJsonString(json, "sex");
    row->updateTime = first16(getJsonString(json, "updateTime"));
    row->studyDesc = getJsonString(json, "studyDesc");
    row->studyNumber = studies;
    row->seriesNumber = series;
    row->imageNumber = images;
    row->dcmFolder = patientFolderOf(getJsonString(json, "dcmFolder"));
    row->hasNewFiles = 1;
    _table->insertCellAtIndex(0, row);
    row->release();
    updateEmptyPrompt();
}
