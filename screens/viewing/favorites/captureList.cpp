#include "favorites/captureList.h"

#include "AppConfig.h"
#include "AppServices.h"
#include "base/base64.h"
#include "db/NSDBDataModel.h"
#include "db/dicomDB.h"
#include "dcmReader.h"
#include "net/dataService.h"
#include "notify/NSNotificationCenter.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "util/FileHelpers.h"
#include "util/TimeUtils.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

using namespace cocos2d;
using NSUI::NSTableViewCell;

namespace {

const int kPictureTag = 100;
const int kIconTag = 101;
const int kCheckTag = 200;
const int kLabelTag = 300;
const int kBubbleTag = 301;

const int kStatSharedDicom = 16;
const int kStatSharedPictures = 17;

const char* const kPlaceholder = "res/sprite.png";
const char* const kHintText =
    "This is your private library about the medical work. Browse all your collected files, images, "
    "dicom files, etc. A memo tool is ready for these materials.";

void recordStat(int type)
{
    if (AppServices* services = AppServices::current())
        services->recordStat(type);
}

dicomDB* store()
{
    dataService* service = dataService::getInstance();
    return service ? service->getDB() : nullptr;
}

// The token a thumbnail job names as its notification's object.
class ThumbnailOwner : public Ref {};

// Paths whose thumbnail is being written right now, so one file gets one job at a time.
std::mutex& jobsMutex()
{
    static std::mutex m;
    return m;
}
std::set<std::string>& runningJobs()
{
    static std::set<std::string> jobs;
    return jobs;
}

// "a/b/../c/./d" becomes "a/c/d"; false when ".." would climb above the start.
bool normalise(const std::string& path, std::string& out)
{
    std::vector<std::string> parts;
    std::stringstream in(path);
    std::string part;
    while (std::getline(in, part, '/')) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (parts.empty())
                return false;
            parts.pop_back();
        } else {
            parts.push_back(part);
        }
    }
    out.clear();
    for (const std::string& p : parts)
        out += "/" + p;
    return true;
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

captureList::listObject* captureList::listObject::create(int type, int id, const std::string& image, float scale)
{
    auto* row = new listObject();
    row->type = type;
    row->ID = id;
    row->image = image;
    row->scale = scale;
    row->autorelease();
    return row;
}

captureList* captureList::create()
{
    auto* list = new captureList();
    if (list->init()) {
        list->autorelease();
        return list;
    }
    delete list;
    return nullptr;
}

bool captureList::init()
{
    if (!NSUI::NSLayout::init())
        return false;
    highlightEnabled = false;
    highlightColor = Color4B(255, 255, 0, 55);
    thumbnailOwner = new ThumbnailOwner();
    // The phone layout doubles the text rows, the check column and the hint bubble for fingers.
    if (AppConfig::getInstance()->phoneLayout) {
        textRowHeight = 80.0f;
        checkColumn = 60;
        hintBubbleHeight = 240.0f;
    }
    return true;
}

captureList::~captureList()
{
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    rowSelected = nullptr;
    // The table outlives this destructor as a child and recycles its cells on the way out.
    if (table)
        table->delegate = nullptr;
    if (thumbnailOwner)
        thumbnailOwner->release();
}

void captureList::setup()
{
    tableWidth = static_cast<int>(getContentSize().width);
    if (!table) {
        table = NSUI::NSListView::create();
        addChild(table);
        // The panel colour of the dark palette: a light column would outshine the images.
        table->enableBKColor(true, Color3B(32, 34, 38), 1.0f);
        table->setContentSize(getContentSize());
        table->setPosition(Vec2::ZERO);
        table->delegate = this;
        table->reloadData();
        // An empty library shows its hint at once; the rows replace it when they arrive.
        ensureHintRow();
        if (dicomDB* db = store()) {
            std::weak_ptr<char> alive = lifeToken;
            // An empty library is answered too, so that it counts as loaded.
            db->requestFavorites(
                [this, alive](NSUI::NSDBDataModel* model) {
                    if (!alive.expired())
                        onFavoritesLoaded(model);
                },
                true);
        }
    }
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, thumbnailOwner,
        [this](Ref* sender, unsigned int id, NSUI::NSNotificationData* data) { onNotification(sender, id, data); },
        kThumbnailDoneId);
}

void captureList::onEnterTransitionDidFinish()
{
    NSUI::NSLayout::onEnterTransitionDidFinish();
    if (dicomDB* db = store())
        db->setFavoriteCount(0);
}

// ---- What the user does ------------------------------------------------------------------

void captureList::selectRow(listObject* row)
{
    if (rowSelected && row && (row->type == kCapture || row->type == kDicom))
        rowSelected(row->image, row->type);
}

void captureList::setAllChecked(bool checked)
{
    if (!table)
        return;
    for (ssize_t i = 0; i < static_cast<ssize_t>(table->rows.size()); ++i) {
        auto* row = static_cast<listObject*>(table->rows.at(i));
        if (row->checked == checked)
            continue;
        row->checked = checked;
        table->updateCellAtIndex(i);
    }
}

void captureList::shareByMail()
{
    if (!table)
        return;
    std::string files;
    bool withDicom = false;
    if (collectChecked(table->rows, files, withDicom) == 0)
        return;
    std::string subject, body;
    if (withDicom) {
        subject = getLanguageString("shareToSubject");
        const std::string encoded = getLanguageString("shareToBody");
        body = safeBase64DecodeString(encoded.c_str(), static_cast<unsigned>(encoded.size()));
    }
    const std::string status = getPlatformPath(subject, body, files);
    recordStat(withDicom ? kStatSharedDicom : kStatSharedPictures);
    if (status == "NoValidMailConfig")
        showMessageBox("Please config the account of the mail.", 1.5f);
}

void captureList::removeChecked()
{
    if (!table)
        return;
    const Vector<Ref*> snapshot = table->rows;
    for (Ref* item : snapshot) {
        auto* row = static_cast<listObject*>(item);
        if (!row->checked || (row->type != kCapture && row->type != kDicom))
            continue;
        if (isRemovablePath(row->image)) {
            Director::getInstance()->getTextureCache()->removeTextureForKey(row->image);
            FileUtils::getInstance()->removeFile(row->image);
            const std::string png = thumbnailPathOf(row->image);
            if (FileUtils::getInstance()->isFileExist(png))
                FileUtils::getInstance()->removeFile(png);
        } else {
            // The row is dropped, but a path outside the library is never deleted.
            log("captureList: not deleting %s: outside the favourites folders", row->image.c_str());
        }
        const ssize_t index = table->rows.getIndex(row);
        if (index >= 0)
            table->removeCellAtIndex(index);
        if (dicomDB* db = store())
            db->deleteFavorite(row->ID);
    }
    ensureHintRow();
    if (!table->rows.empty())
        selectRow(static_cast<listObject*>(table->rows.at(0)));
}

void captureList::addCaptureRow(const std::string& path, float scale, int id)
{
    if (!table)
        return;
    listObject* row = listObject::create(kCapture, id, path, scale);
    row->updateTime = getCurrentTimeString();
    table->insertCellAtIndex(static_cast<int64_t>(table->rows.size()), row);
}

void captureList::onCheckBoxChanged(Ref* sender, ui::CheckBox::EventType)
{
    auto* box = dynamic_cast<ui::CheckBox*>(sender);
    auto* row = box ? dynamic_cast<listObject*>(box->getUserObject()) : nullptr;
    if (row)
        row->checked = box->isSelected();
}

int captureList::collectChecked(const Vector<Ref*>& rows, std::string& json, bool& withDicom)
{
    json.clear();
    withDicom = false;
    int chosen = 0;
    for (Ref* item : rows) {
        auto* row = static_cast<listObject*>(item);
        if (!row->checked || (row->type != kCapture && row->type != kDicom))
            continue;
        setJsonString(json, std::to_string(chosen++), row->image);
        withDicom = withDicom || row->type == kDicom;
    }
    if (chosen > 0)
        setJsonString(json, "number", std::to_string(chosen));
    return chosen;
}

// ---- Rows ---------------------------------------------------------------------------------

void captureList::onFavoritesLoaded(NSUI::NSDBDataModel* model)
{
    if (!table)
        return;
    loaded = true;
    // An empty library keeps the table as it is: the hint row, or captures added meanwhile.
    if (!model || model->getRowCount() < 1)
        return;
    table->rows.clear();
    for (int r = 0; r < model->getRowCount(); ++r) {
        listObject* row = listObject::create(std::atoi(model->getValue(r, 1).c_str()),
                                             std::atoi(model->getValue(r, 0).c_str()), model->getValue(r, 4),
                                             static_cast<float>(std::atof(model->getValue(r, 6).c_str())));
        row->message = model->getValue(r, 2);
        row->icon = model->getValue(r, 3);
        row->updateTime = model->getValue(r, 5);
        // A run of group rows keeps only its last.
        if (!table->rows.empty() && row->type == kGroup &&
            static_cast<listObject*>(table->rows.back())->type == kGroup)
            table->rows.popBack();
        table->rows.pushBack(row);
    }
    table->reloadData();
    ensureHintRow();
    table->setContentOffset(Vec2(table->getInnerContainer()->getPosition().x, 0));
}

void captureList::ensureHintRow()
{
    if (!table)
        return;
    while (!table->rows.empty() && static_cast<listObject*>(table->rows.back())->type == kGroup)
        table->removeCellAtIndex(static_cast<int64_t>(table->rows.size()) - 1);
    if (!table->rows.empty())
        return;
    table->insertCellAtIndex(0, listObject::create(kHint, 0, "", 1.0f));
}

Size captureList::tableCellSizeForIndex(NSUI::NSTableView*, int64_t, Ref* rowItem)
{
    auto* row = static_cast<listObject*>(rowItem);
    const float picture = static_cast<float>(row->scale >= 0.99f ? wideHeight : tallHeight);
    float height = textRowHeight * 4;
    if (row->type == kCapture)
        height = rowMargin + picture;
    else if (row->type == kDicom)
        height = picture + 20 + 2 * rowMargin;
    else if (row->type == kGroup)
        height = textRowHeight;
    return Size(static_cast<float>(tableWidth), height);
}

NSTableViewCell* captureList::tableCellAtIndex(NSUI::NSTableView* view, int64_t index, const Size& size)
{
    NSTableViewCell* cell = view->cellAtIndex(index);
    if (!cell)
        cell = view->dequeueCell();
    if (!cell) {
        cell = NSTableViewCell::create();
        auto* picture = Sprite::create(kPlaceholder);
        if (!picture)
            picture = Sprite::create();
        picture->setAnchorPoint(Vec2(1, 1));
        cell->addChild(picture, 0, kPictureTag);
        auto* icon = Sprite::create();
        icon->setAnchorPoint(Vec2(1, 1));
        cell->addChild(icon, 0, kIconTag);
        auto* box = ui::CheckBox::create("imgs/chkNone.png", "imgs/chkDone.png");
        box->setAnchorPoint(Vec2(1, 1));
        box->addEventListener([this](Ref* sender, ui::CheckBox::EventType type) { onCheckBoxChanged(sender, type); });
        cell->addChild(box, 200, kCheckTag);
        auto* label = Label::createWithSystemFont("", "DejaVu Sans", 15);
        label->setTextColor(Color4B(220, 222, 226, 255));
        label->setAnchorPoint(Vec2(0.5f, 0.5f));
        cell->addChild(label, 200, kLabelTag);
        auto* bubble = ui::Scale9Sprite::create("res/chat_txtbk.png");
        if (!bubble)
            bubble = ui::Scale9Sprite::create();
        bubble->setAnchorPoint(Vec2(0.5f, 0.5f));
        cell->addChild(bubble, 99, kBubbleTag);
    }
    auto* row = static_cast<listObject*>(view->rows.at(static_cast<ssize_t>(index)));
    auto* picture = static_cast<Sprite*>(cell->getChildByTag(kPictureTag));
    auto* icon = static_cast<Sprite*>(cell->getChildByTag(kIconTag));
    auto* box = static_cast<ui::CheckBox*>(cell->getChildByTag(kCheckTag));
    auto* label = static_cast<Label*>(cell->getChildByTag(kLabelTag));
    auto* bubble = static_cast<ui::Scale9Sprite*>(cell->getChildByTag(kBubbleTag));
    const float w = size.width, h = size.height;
    const bool item = row->type == kCapture || row->type == kDicom;
    picture->setVisible(item);
    icon->setVisible(row->type == kDicom);
    box->setVisible(item);
    label->setVisible(!item);
    bubble->setVisible(!item);
    if (item) {
        showPicture(cell, row, size);
        if (row->type == kDicom) {
            icon->setTexture("res/chat_dicom.png");
            icon->setPosition(Vec2(w - 40, 28));
        }
        box->setPosition(Vec2(w - rightMargin, h - rowMargin));
        box->setUserObject(row);
        box->setSelected(row->checked);
    } else if (row->type == kGroup) {
        label->setDimensions(0, 0);
        label->setHorizontalAlignment(TextHAlignment::CENTER);
        label->setString(row->updateTime);
        label->setPosition(Vec2(w / 2, h / 2));
        bubble->setPosition(label->getPosition());
        bubble->setCapInsets(Rect(6, 6, 38, 12));
        bubble->setContentSize(Size(label->getContentSize().width + 16, 30));
    } else {
        label->setDimensions(0.8f * w, 0);
        label->setHorizontalAlignment(TextHAlignment::LEFT);
        label->setString(kHintText);
        label->setPosition(Vec2(w / 2, h / 2));
        bubble->setPosition(label->getPosition());
        bubble->setCapInsets(Rect(6, 6, 38, 12));
        bubble->setContentSize(Size(0.85f * w, hintBubbleHeight));
    }
    return cell;
}

void captureList::showPicture(NSTableViewCell* cell, listObject* row, const Size& size)
{
    auto* picture = static_cast<Sprite*>(cell->getChildByTag(kPictureTag));
    picture->setTexture(kPlaceholder);
    picture->setScale(1.0f);
    picture->setPosition(Vec2(size.width - checkColumn - rightMargin, size.height - rowMargin));
    if (row->type == kCapture) {
        loadImageToViewScaled(picture, row->image, Size(size.width - 40, size.height - 10), 1.0f);
        return;
    }
    const std::string png = thumbnailPathOf(row->image);
    if (FileUtils::getInstance()->isFileExist(png)) {
        loadImageToViewScaled(picture, png, Size(size.width - 40, size.height - 40), row->scale);
        return;
    }
    Ref* owner = thumbnailOwner;
    owner->retain();
    std::thread([file = row->image, id = row->ID, owner] {
        makeThumbnail(file, id, owner);
        owner->release();
    }).detach();
}

void captureList::tableCellTouched(NSUI::NSTableView* view, NSTableViewCell* cell, const Vec2& point)
{
    if (!cell || cell->getIdx() < 0 || cell->getIdx() >= static_cast<int64_t>(view->rows.size()))
        return;
    auto* row = static_cast<listObject*>(view->rows.at(static_cast<ssize_t>(cell->getIdx())));
    if (row->type != kCapture && row->type != kDicom)
        return;
    auto* picture = static_cast<Sprite*>(cell->getChildByTag(kPictureTag));
    const Size texture = picture->getTextureRect().size;
    const float width = std::max(50.0f, texture.width * picture->getScaleX());
    const float height = std::max(50.0f, texture.height * picture->getScaleY());
    const Vec2 top = picture->getPosition();
    if (point.x > top.x - width && point.x < top.x && point.y > top.y - height && point.y < top.y)
        selectRow(row);
}

// ---- Thumbnails ----------------------------------------------------------------------------

std::string captureList::thumbnailPathOf(const std::string& path)
{
    return path.size() < 3 ? path : path.substr(0, path.size() - 3) + "png";
}

bool captureList::isRemovablePath(const std::string& path)
{
    if (!endsWith(path, ".jpg") && !endsWith(path, ".dcm"))
        return false;
    std::string writable, full;
    if (!normalise(FileUtils::getInstance()->getWritablePath(), writable) || !normalise(path, full))
        return false;
    for (const char* folder : {"/qp/tmp/capture/", "/qp/favorite/"}) {
        const std::string base = writable + folder;
        // The file itself, not a folder below: a name with no further "/".
        if (full.size() > base.size() && full.compare(0, base.size(), base) == 0 &&
            full.find('/', base.size()) == std::string::npos)
            return true;
    }
    return false;
}

bool captureList::makeThumbnail(const std::string& file, int id, Ref* owner)
{
    const std::string png = thumbnailPathOf(file);
    {
        std::lock_guard<std::mutex> lock(jobsMutex());
        if (!runningJobs().insert(png).second)
            return false;
    }
    const std::string part = png.substr(0, png.size() - 4) + ".part.png";
    bool written = false;
    {
        dcmSDK::dcmReader reader;
        written = reader.setFile(file) && reader.convertToPngFile(part, true) &&
                  std::rename(part.c_str(), png.c_str()) == 0;
    }
    if (!written)
        std::remove(part.c_str());
    else
        NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, kThumbnailDoneId,
                                                                             std::to_string(id), owner, false);
    // Counted as running until its notification is posted, so a shutdown can wait for it.
    std::lock_guard<std::mutex> lock(jobsMutex());
    runningJobs().erase(png);
    return written;
}

bool captureList::isThumbnailJobRunning()
{
    std::lock_guard<std::mutex> lock(jobsMutex());
    return !runningJobs().empty();
}

void captureList::onNotification(Ref*, unsigned int id, NSUI::NSNotificationData* data)
{
    if (id != kThumbnailDoneId || !table || !data)
        return;
    const int rowId = std::atoi(data->text.c_str());
    const int last = std::min<int>(table->getLastVisible(), static_cast<int>(table->rows.size()) - 1);
    for (int i = std::max(0, table->getFirstVisible()); i <= last; ++i) {
        if (static_cast<listObject*>(table->rows.at(i))->ID == rowId) {
            table->updateCellAtIndex(i);
            return;
        }
    }
}
