#include "study/studyList.h"

#include "AppConfig.h"
#include "AppServices.h"
#include "db/NSDBDataModel.h"
#include "db/dicomDB.h"
#include "json/UIJson.h"
#include "net/dataService.h"
#include "notify/NSNotificationCenter.h"
#include "panel/ModalWindow.h"
#include "patient/patientList.h"
#include "patient/patientListLinks.h"
#include "send/dcmSend.h"
#include "share/shareTo.h"
#include "study/StoreWorkers.h"
#include "study/ThumbnailMaker.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "table/NSTableViewMenu.h"
#include "ui/CocosGUI.h"
#include "cache/isDcmScan.h"
#include "loader/CSLoader.h"

#include <algorithm>

using namespace cocos2d;
using NSUI::NSDBDataModel;
using NSUI::NSNotificationCenter;
using NSUI::NSNotificationData;
using NSUI::UIJson;

namespace {

// The layout files and the widgets the screen looks up in them.
const char* const kScreenLayout = "studyList.csb";
const char* const kStudyRowLayout = "studyRecordTitle.csb";
const char* const kSeriesRowLayout = "studyRecord.csb";
const char* const kRowMenuLayout = "studyTool.csb";
const char* const kPictureName = "thrumb";
const char* const kSelectedMarkName = "selected";

const float kStudyRowHeight = 50.0f;
const float kSeriesRowHeight = 100.0f;
const int kPictureColumns = 2;
const int kPictureRows = 3;
const float kPictureGap = 16.0f;
const float kPictureMargin = 30.0f;

// Usage statistics types of this screen.
const int kStatOpened = 5;
const int kStatLeft = 6;
const int kStatShared = 15;

void recordStat(int type) {
    if (AppServices* services = AppServices::current())
        services->recordStat(type);
}

Node* loadLayout(const char* name, const Size& size) {
    Node* root = CSLoader::createNode(name);
    if (!root)
        return nullptr;
    if (size.width > 0 && size.height > 0)
        root->setContentSize(size);
    AppConfig::getInstance()->applyText(root, "");
    ui::Helper::doLayout(root);
    return root;
}

void setText(Node* root, const char* name, const std::string& text) {
    if (auto* label = dynamic_cast<ui::Text*>(root->getChildByNameDeep(name)))
        label->setString(text);
}

// The same for a text that may run into its neighbours: cut at a character boundary and ended
// with an ellipsis when it is wider than maxWidth.
void setFittedText(Node* root, const char* name, const std::string& text, float maxWidth) {
    auto* label = dynamic_cast<ui::Text*>(root->getChildByNameDeep(name));
    if (!label)
        return;
    label->setString(text);
    std::string cut = text;
    while (!cut.empty() && label->getVirtualRendererSize().width > maxWidth) {
        do
            cut.pop_back();
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80);
        label->setString(cut + "\u2026");
    }
}

std::string cell(NSDBDataModel* model, int row, int column) {
    return column < model->getColumnCount(row) ? model->getValue(row, column) : std::string();
}

int cellInt(NSDBDataModel* model, int row, int column) {
    return atoi(cell(model, row, column).c_str());
}

// The row of the cell that a row-menu button carries as its user object.
NSUI::NSTableViewCell* buttonCell(Ref* sender) {
    auto* button = dynamic_cast<ui::Button*>(sender);
    return button ? dynamic_cast<NSUI::NSTableViewCell*>(button->getUserObject()) : nullptr;
}

} // namespace

studyList::listObject* studyList::listObject::create(int kind) {
    auto* row = new listObject();
    row->kind = kind;
    row->autorelease();
    return row;
}

// ---- Building --------------------------------------------------------------------------

Scene* studyList::create() {
    Scene* scene = Scene::create();
    if (studyList* screen = createScreen())
        scene->addChild(screen, 0, kScreenTag);
    return scene;
}

studyList* studyList::createScreen() {
    auto* screen = new studyList();
    if (!screen->init()) {
        delete screen;
        return nullptr;
    }
    screen->autorelease();
    return screen;
}

studyList::~studyList() {
    NSNotificationCenter::getInstance()->removeObserver(this);
}

bool studyList::init() {
    if (!Layer::init())
        return false;
    setControlOwner(this);
    recordStat(kStatOpened);
    enableAndroidReturnKey(true);

    const Size size = Director::getInstance()->getWinSize();
    setContentSize(size);
    Node* root = loadLayout(kScreenLayout, size);
    if (!root)
        return true;
    if (Node* name = root->getChildByNameDeep("appName"))
        name->removeFromParent();
    addChild(root);

    auto* centre = NSNotificationCenter::getInstance();
    auto observe = [this, centre](unsigned id) {
        centre->addObserver(
            this, nullptr,
            [this](Ref* sender, unsigned int notified, NSNotificationData* data) {
                onNotification(sender, notified, data);
            },
            id);
    };
    observe(kFileStoredId);
    observe(ThumbnailMaker::kDoneId);

    if (Node* placeholder = root->getChildByNameDeep("list"))
        buildTable(placeholder);
    if (auto* back = dynamic_cast<ui::Button*>(root->getChildByNameDeep("goBack")))
        back->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
    if (auto* favorites = dynamic_cast<ui::Button*>(root->getChildByNameDeep("btnFavorite"))) {
        favorites->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
        favorites->setLocalZOrder(1000);
        favorites->setScale(0.7f);
        favorites->setPositionX(favorites->getPositionX() - 10);
    }
    showThumbnails("");
    observe(patientList::kCaptureSavedId);
    observe(patientList::kFavoriteDicomSavedId);
    return true;
}

void studyList::buildTable(Node* placeholder) {
    table = NSUI::NSListView::create();
    addChild(table);
    table->setContentSize(placeholder->getContentSize());
    table->setAnchorPoint(placeholder->getAnchorPoint());
    table->setPosition(
        convertToNodeSpace(placeholder->getParent()->convertToWorldSpace(placeholder->getPosition())));
    placeholder->removeFromParentAndCleanup(true);
    table->swipeStartFraction = 0.2f;
    table->swipeOpenFraction = 0.4f;
    table->swipeSlideTime = 0.5f;
    table->delegate = this;
    highlightEnabled = true;
    table->reloadData();
}

void studyList::onEnterTransitionDidFinish() {
    Layer::onEnterTransitionDidFinish();
    dicomDB* db = store();
    patientList::updateFavoriteBadge(this, db ? db->getFavoriteCount() : 0);
    if (!firstEntry)
        return;
    firstEntry = false;
    if (db) {
        // The answer comes on the main thread, possibly after the screen has gone.
        std::weak_ptr<char> alive = lifeToken;
        db->requestStudies(
            [this, alive](NSDBDataModel* model) {
                if (!alive.expired())
                    onStudiesLoaded(model);
            },
            patientID);
    }
}

void studyList::onExit() {
    Layer::onExit();
    recordStat(kStatLeft);
}

void studyList::cleanup() {
    Layer::cleanup();
    NSNotificationCenter::getInstance()->removeObserver(this);
    forgetPictures();
    pictureKeys.clear();
}

bool studyList::onResponseReturn() {
    Director::getInstance()->popSceneIfOnTop(getScene());
    return true;
}

dicomDB* studyList::store() {
    dataService* service = dataService::getInstance();
    return service ? service->getDB() : nullptr;
}

// ---- Rows ------------------------------------------------------------------------------

studyList::listObject* studyList::rowAt(int64_t index) const {
    if (!table || index < 0 || index >= static_cast<int64_t>(table->rows.size()))
        return nullptr;
    return static_cast<listObject*>(table->rows.at(static_cast<ssize_t>(index)));
}

void studyList::insertRow(int64_t index, listObject* row) {
    if (table)
        table->insertCellAtIndex(index, row);
}

std::string studyList::seriesFolder(const listObject* row) const {
    dicomDB* db = store();
    return (db ? db->getRoot() : std::string()) + row->path + "/";
}

bool studyList::isOwnSeriesFolder(const std::string& folder) const {
    for (int64_t i = 0; rowAt(i); ++i) {
        const listObject* row = rowAt(i);
        if (row->kind == 1 && !row->path.empty() && seriesFolder(row) == folder)
            return true;
    }
    return false;
}

Size studyList::tableCellSizeForIndex(NSUI::NSTableView*, int64_t, Ref* rowItem) {
    auto* row = static_cast<listObject*>(rowItem);
    return Size(getContentSize().width, row && row->kind == 0 ? kStudyRowHeight : kSeriesRowHeight);
}

NSUI::NSTableViewCell* studyList::tableCellAtIndex(NSUI::NSTableView* view, int64_t index, const Size& size) {
    NSUI::NSTableViewCell* tableCell = view->cellAtIndex(index);
    if (!tableCell)
        tableCell = view->dequeueCell();
    if (!tableCell)
        tableCell = NSUI::NSTableViewCell::create();
    listObject* row = rowAt(index);
    if (!row)
        return tableCell;
    const bool study = row->kind == 0;
    const int tag = study ? kStudyCellTag : kSeriesCellTag;
    // A recycled cell may hold the other kind of row.
    if (Node* other = tableCell->getChildByTag(study ? kSeriesCellTag : kStudyCellTag))
        other->removeFromParentAndCleanup(true);
    Node* content = tableCell->getChildByTag(tag);
    if (!content) {
        content = loadLayout(study ? kStudyRowLayout : kSeriesRowLayout,
                             Size(view->getContentSize().width, size.height));
        if (!content)
            return tableCell;
        tableCell->addChild(content, 0, tag);
    }
    // Room left by the texts on the right of each row (see the row layouts).
    const float width = content->getContentSize().width;
    if (study) {
        setText(content, "id", row->studyIDHospital);
        setText(content, "time", row->studyDate);
        setFittedText(content, "desc", row->studyDesc, width * 0.72f - 120.0f);
    } else {
        setText(content, "id", row->dicomSeriesNumber);
        setFittedText(content, "seriesPara", row->seriesPara, width - 200.0f);
        char counts[64];
        snprintf(counts, sizeof counts, "%ix%i of %i", row->columns, row->rows, row->imageCount);
        setText(content, "imageDesc", counts);
        setFittedText(content, "hospital", row->institution, width - 200.0f);
        setFittedText(content, "modality", row->modality, 72.0f);
        setFittedText(content, "seriesDesc", row->seriesDesc, width - 320.0f);
        if (Node* mark = content->getChildByNameDeep(kSelectedMarkName))
            mark->setVisible(!row->seriesID.empty() && row->seriesID == selectedSeriesID);
    }
    return tableCell;
}

void studyList::tableFillLeftMenu(NSUI::NSTableView*, NSUI::NSTableViewMenu* menu) {
    listObject* row = menu->cell ? rowAt(menu->cell->getIdx()) : nullptr;
    if (!row || row->kind == 0) {
        menu->setVisible(false);
        return;
    }
    Node* tools = loadLayout(kRowMenuLayout, Size());
    if (!tools)
        return;
    menu->addChild(tools);
    menu->setContentSize(Size(tools->getContentSize().width, menu->getContentSize().height));
    for (const char* name : {"del", "send", "share"}) {
        if (auto* button = dynamic_cast<ui::Button*>(tools->getChildByNameDeep(name))) {
            button->setUserObject(menu->cell);
            button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
        }
    }
}

// ---- What the user does ------------------------------------------------------------------

void studyList::tableCellTouched(NSUI::NSTableView* view, NSUI::NSTableViewCell* tableCell,
                                 const Vec2& point) {
    listObject* row = tableCell ? rowAt(tableCell->getIdx()) : nullptr;
    if (!row)
        return;
    if (point.x < view->getContentSize().width - kOpenZoneWidth)
        selectSeries(row);
    else
        openSeries(row);
}

void studyList::onButtonClicked(Ref* sender) {
    auto* button = dynamic_cast<ui::Button*>(sender);
    if (!button)
        return;
    const std::string& name = button->getName();
    if (name == "goBack") {
        Director::getInstance()->popSceneIfOnTop(getScene());
    } else if (name == "btnFavorite") {
        if (patientListLinks::openFavorites())
            patientListLinks::openFavorites()();
    } else if (name == "del") {
        if (NSUI::NSTableViewCell* rowCell = buttonCell(sender))
            deleteSeries(static_cast<int>(rowCell->getIdx()));
    } else if (name == "share") {
        if (NSUI::NSTableViewCell* rowCell = buttonCell(sender))
            shareSeries(static_cast<int>(rowCell->getIdx()));
    } else if (name == "send") {
        if (NSUI::NSTableViewCell* rowCell = buttonCell(sender))
            sendSeries(static_cast<int>(rowCell->getIdx()));
    }
}

void studyList::openSeries(listObject* row) {
    if (!row || row->kind != 1 || row->path.empty())
        return;
    NSNotificationCenter::getInstance()->postNotificationWithString(this, kOpenSeriesId, row->path, nullptr,
                                                                    true);
}

void studyList::selectSeries(listObject* row) {
    if (!row || row->kind == 0 || thumbnailJobRunning->load())
        return;
    thumbnailJobRunning->store(true);
    if (selectedSeriesID != row->seriesID) {
        const std::string previous = selectedSeriesID;
        selectedSeriesID = row->seriesID;
        for (int64_t i = 0; rowAt(i); ++i)
            if (rowAt(i)->kind == 1 && (rowAt(i)->seriesID == previous || rowAt(i) == row))
                table->updateCellAtIndex(i);
    }
    const std::string folder = seriesFolder(row);
    if (hasThumbnails(folder)) {
        showThumbnails(folder);
        thumbnailJobRunning->store(false);
        return;
    }
    showThumbnails("");
    shownFolder.clear();
    ThumbnailMaker::start(store(), row->seriesID, row->path, thumbnailJobRunning);
}

void studyList::deleteSeries(int index) {
    listObject* row = rowAt(index);
    if (!row || row->kind != 1)
        return;
    dicomDB* db = store();
    if (!db)
        return;
    const std::string seriesID = row->seriesID;
    const std::string owner = row->patientID;
    const std::string folder = db->getRoot() + row->path;
    // Not stopped half way: the program waits for it before it closes the store.
    db->retain();
    StoreWorkers::start([db, seriesID, owner, folder] {
        isImageSDK::isDcmScan().removeCache(folder);
        db->deleteSeries(seriesID);
        NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, kSeriesDeletedId, owner,
                                                                        nullptr, false);
        db->release();
    });
    if (row->seriesID == selectedSeriesID) {
        selectedSeriesID.clear();
        showThumbnails("");
        shownFolder.clear();
    }
    table->removeCellAtIndex(index);
}

void studyList::shareSeries(int index) {
    listObject* row = rowAt(index);
    if (!row || row->kind != 1)
        return;
    shareTo* share = shareTo::create();
    if (!share)
        return;
    addChild(share, 100);
    share->zipAndShare(seriesFolder(row), row->seriesID);
    table->closeSwipeMenus(true);
    recordStat(kStatShared);
}

void studyList::sendSeries(int index) {
    listObject* row = rowAt(index);
    if (!row || row->kind != 1)
        return;
    // The phone layout pushes the panel as a scene of its own.
    Node* window = AppConfig::getInstance()->phoneLayout ? dcmSend::createScene() : dcmSend::create();
    if (!window)
        return;
    ModalWindow::show(this, window, 100);
    if (dcmSend* panel = dcmSend::fromWindow(window))
        panel->setSendSource(seriesFolder(row), row->seriesID);
    table->closeSwipeMenus(true);
}

// ---- What the store reports ----------------------------------------------------------------

void studyList::onStudiesLoaded(NSDBDataModel* model) {
    if (!model || !table)
        return;
    for (int r = 0; r < model->getRowCount(); ++r) {
        if (model->getColumnCount(r) < 1)
            continue;
        listObject* row;
        if (model->getValue(r, 0) == "study") {
            row = listObject::create(0);
            row->studyID = cell(model, r, 1);
            row->patientID = cell(model, r, 2);
            row->studyIDHospital = cell(model, r, 3);
            row->studyDate = cell(model, r, 4);
            row->studyDesc = cell(model, r, 5);
        } else {
            row = listObject::create(1);
            row->seriesID = cell(model, r, 0);
            row->patientID = cell(model, r, 1);
            row->dateTime = cell(model, r, 2);
            row->seriesDesc = cell(model, r, 3);
            row->path = cell(model, r, 4);
            row->imageCount = cellInt(model, r, 5);
            row->columns = cellInt(model, r, 6);
            row->rows = cellInt(model, r, 7);
            row->institution = cell(model, r, 8);
            row->modality = cell(model, r, 9);
            row->seriesPara = cell(model, r, 10);
            row->dicomSeriesNumber = cell(model, r, 11);
        }
        insertRow(static_cast<int64_t>(table->rows.size()), row);
    }
    loaded = true;
    // Files stored while the list was loading, in the order they came.
    cocos2d::Vector<NSNotificationData*> waiting = std::move(pendingRecords);
    pendingRecords.clear();
    for (NSNotificationData* data : waiting)
        onFileStored(data);
    if (table->rows.size() >= 2)
        selectSeries(rowAt(1));
}

void studyList::onNotification(Ref*, unsigned int id, NSNotificationData* data) {
    if (id == ThumbnailMaker::kDoneId) {
        // Another screen's worker reports here too: show only pictures of this patient.
        if (data && isOwnSeriesFolder(data->text))
            showThumbnails(data->text);
    } else if (id == kFileStoredId) {
        onFileStored(data);
    } else if (id == patientList::kCaptureSavedId || id == patientList::kFavoriteDicomSavedId) {
        patientList::updateFavoriteBadge(this, -1);
    }
}

void studyList::onFileStored(NSNotificationData* data) {
    if (!data)
        return;
    if (!loaded) {
        pendingRecords.pushBack(data);
        return;
    }
    const std::string& json = data->text;
    if (UIJson::getJsonString(json, "patientID", "") != patientID)
        return;
    auto* model = reinterpret_cast<NSDBDataModel*>(data->userData);
    const std::string studyID = UIJson::getJsonString(json, "studyID", "");
    const std::string seriesID = UIJson::getJsonString(json, "seriesID", "");
    int64_t studyIndex = -1, seriesIndex = -1;
    for (int64_t i = 0; rowAt(i) && (studyIndex < 0 || seriesIndex < 0); ++i) {
        listObject* row = rowAt(i);
        if (row->kind == 0 && studyIndex < 0 && row->studyID == studyID)
            studyIndex = i;
        else if (row->kind == 1 && seriesIndex < 0 && row->seriesID == seriesID)
            seriesIndex = i;
    }
    if (studyIndex >= 0 && seriesIndex > studyIndex) {
        if (model && model->getRowCount() > 0) {
            rowAt(seriesIndex)->imageCount = cellInt(model, 0, 4);
            table->updateCellAtIndex(seriesIndex);
        }
        return;
    }
    listObject* series = listObject::create(1);
    series->seriesID = seriesID;
    series->patientID = UIJson::getJsonString(json, "patientID", "");
    if (studyIndex >= 0) {
        insertRow(studyIndex + 1, series);
    } else {
        listObject* study = listObject::create(0);
        study->studyID = studyID;
        study->patientID = series->patientID;
        study->studyIDHospital = UIJson::getJsonString(json, "studyIDHospital", "");
        study->studyDate = UIJson::getJsonString(json, "studyDate", "");
        study->studyDesc = UIJson::getJsonString(json, "studyDesc", "");
        insertRow(0, study);
        insertRow(1, series);
    }
    onSeriesRecord(model);
}

void studyList::onSeriesRecord(NSDBDataModel* model) {
    if (!model || model->getRowCount() < 1)
        return;
    const std::string id = cell(model, 0, 0);
    for (int64_t i = 0; rowAt(i); ++i) {
        listObject* row = rowAt(i);
        if (row->kind != 1 || row->seriesID != id)
            continue;
        row->dateTime = cell(model, 0, 1);
        row->seriesDesc = cell(model, 0, 2);
        row->path = cell(model, 0, 3);
        row->imageCount = cellInt(model, 0, 4);
        row->columns = cellInt(model, 0, 5);
        row->rows = cellInt(model, 0, 6);
        row->institution = cell(model, 0, 7);
        row->modality = cell(model, 0, 8);
        row->seriesPara = cell(model, 0, 9);
        row->dicomSeriesNumber = cell(model, 0, 10);
        table->updateCellAtIndex(i);
        return;
    }
}

// ---- Preview pictures --------------------------------------------------------------------

bool studyList::hasThumbnails(const std::string& folder) {
    return FileUtils::getInstance()->isFileExist(folder + kPictureName + "0");
}

void studyList::forgetPictures() {
    for (const std::string& key : pictureKeys)
        Director::getInstance()->getTextureCache()->removeTextureForKey(key);
}

void studyList::showThumbnails(const std::string& folder) {
    if (folder.empty()) {
        for (int i = 0; i < ThumbnailMaker::kMaxPictures; ++i)
            if (Node* sprite = getChildByNameDeep(kPictureName + std::to_string(i)))
                sprite->setVisible(false);
        return;
    }
    if (folder == shownFolder)
        return;
    shownFolder = folder;
    // Pictures as large as a sixth of the space right of the table allows, less a margin; two
    // columns of three rows with equal gaps, the block centred in that space, whatever the
    // window's size.
    const Size area = getContentSize();
    const Rect tableBox = table ? table->getBoundingBox() : Rect(0, 0, 0, area.height);
    const Rect panel(tableBox.getMaxX(), tableBox.getMinY(), area.width - tableBox.getMaxX(),
                     tableBox.size.height);
    const float pictureSize =
        std::max(0.0f, std::min(panel.size.width / kPictureColumns, panel.size.height / kPictureRows) -
                           kPictureMargin);
    const float step = pictureSize + kPictureGap;
    const Vec2 firstCentre(panel.getMidX() - step * (kPictureColumns - 1) * 0.5f,
                           panel.getMidY() + step * (kPictureRows - 1) * 0.5f);
    // The files keep their names when a series gets new pictures: drop the cached textures.
    forgetPictures();
    for (int i = 0; i < ThumbnailMaker::kMaxPictures; ++i) {
        auto* sprite = dynamic_cast<Sprite*>(getChildByNameDeep(kPictureName + std::to_string(i)));
        if (!sprite)
            continue;
        const Vec2 centre(firstCentre.x + step * (i % kPictureColumns),
                          firstCentre.y - step * (i / kPictureColumns));
        sprite->setPosition(sprite->getParent()->convertToNodeSpace(convertToWorldSpace(centre)));
        const std::string path = folder + kPictureName + std::to_string(i);
        if (!FileUtils::getInstance()->isFileExist(path)) {
            sprite->setVisible(false);
            continue;
        }
        sprite->setTexture(path);
        pictureKeys.push_back(path);
        Texture2D* texture = sprite->getTexture();
        const float longest = texture ? std::max(texture->getPixelsWide(), texture->getPixelsHigh()) : 0.0f;
        sprite->setScale(longest > 0 ? pictureSize / longest : 1.0f);
        sprite->setVisible(texture != nullptr);
    }
}
