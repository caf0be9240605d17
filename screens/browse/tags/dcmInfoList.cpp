#include "tags/dcmInfoList.h"

#include "dcmReadTag.h"
#include "lang/NSLanguage.h"
#include "table/NSListView.h"
#include "text/Utf8Chars.h"
#include "thread/NSRunableThread.h"

#include <cstring>
#include <vector>

using namespace cocos2d;

/// What the worker reads and the main thread shows: the panel never reaches the worker, so a
/// panel closed during the read is never touched by it.
struct dcmInfoList::ReadJob {
    struct Element {
        std::string tag;
        std::string value;
        std::string description;
        bool flagged = false;
    };
    std::string path;
    int language = 0;
    std::vector<Element> elements;

    void run()
    {
        dcmSDK::dcmReadTag reader;
        reader.setLanguage(language);
        if (!reader.setFile(path))
            return;
        int count = 0;
        const dcmSDK::DCM_TAG_ENTRY* list = reader.getTagList(count);
        if (!list || count < 1)
            return;
        // Copied before the reader goes, which owns the records.
        elements.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            const dcmSDK::DCM_TAG_ENTRY& entry = list[i];
            elements.push_back({std::string(entry.tag, strnlen(entry.tag, sizeof entry.tag)),
                                std::string(entry.value, strnlen(entry.value, sizeof entry.value)),
                                std::string(entry.description, strnlen(entry.description, sizeof entry.description)),
                                entry.flag != 0});
        }
    }
};

dcmInfoList* dcmInfoList::make()
{
    auto* panel = new dcmInfoList();
    if (!panel->init()) {
        delete panel;
        return nullptr;
    }
    panel->autorelease();
    return panel;
}

Node* dcmInfoList::create()
{
    dcmInfoList* panel = make();
    return panel ? present(panel) : nullptr;
}

Scene* dcmInfoList::createScene()
{
    dcmInfoList* panel = make();
    return panel ? presentInScene(panel) : nullptr;
}

dcmInfoList* dcmInfoList::fromWindow(Node* window)
{
    return window ? dynamic_cast<dcmInfoList*>(window->getChildByNameDeep(kPanelName)) : nullptr;
}

bool dcmInfoList::init()
{
    if (!initWithLayout(kLayoutFile, "dcmList"))
        return false;
    setName(kPanelName);
    return true;
}

void dcmInfoList::setFile(std::string path)
{
    _filePath = std::move(path);
}

void dcmInfoList::onEnterTransitionDidFinish()
{
    dcmTagPanel::onEnterTransitionDidFinish();
    if (!_firstEnter)
        return;
    _firstEnter = false;
    startRead();
}

void dcmInfoList::startRead()
{
    if (_filePath.size() < 3)
        return;
    auto job = std::make_shared<ReadJob>();
    job->path = _filePath;
    job->language = NSUI::NSLanguage::systemLanguageType();
    _reading = true;
    // The panel stays alive until the rows are delivered; a closed panel just drops them.
    retain();
    NSUI::NSRunableThread::create([job](void*) { job->run(); }, nullptr, nullptr, [this, job] {
        _reading = false;
        if (!_closed)
            fillRows(*job);
        release();
    });
}

void dcmInfoList::fillRows(const ReadJob& job)
{
    if (!_table)
        return;
    for (bool flagged : {false, true})
        for (const ReadJob::Element& element : job.elements)
            if (element.flagged == flagged)
                _table->insertItem(_table->getRowCount(),
                                   listObject::create(element.tag, NSUI::utf8PrefixBytes(element.description, kIntroBytes),
                                                      element.value));
    Director::getInstance()->markDirty();
}

void dcmInfoList::cleanup()
{
    _closed = true;
    dcmTagPanel::cleanup();
}
