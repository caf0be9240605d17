#include "ui/FileBrowser.h"

#include <algorithm>

#include "2d/Scene.h"
#include "base/Director.h"
#include "base/EventDispatcher.h"
#include "base/EventListenerMouse.h"
#include "base/EventMouse.h"
#include "platform/FileUtils.h"
#include "ui/Button.h"
#include "ui/Text.h"

namespace cocos2d {
namespace ui {

namespace {
FileBrowser* s_current = nullptr;
const float kRowHeight = 28.0f;
const float kMargin = 16.0f;
const int kTopZ = 100001;

std::string baseName(const std::string& path) {
    std::string p = path;
    if (p.size() > 1 && p.back() == '/')
        p.pop_back();
    size_t slash = p.find_last_of('/');
    std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    return path.back() == '/' ? name + "/" : name;
}
} // namespace

FileBrowser* FileBrowser::current() {
    return s_current;
}

bool FileBrowser::show(const std::string& title, const std::string& startFolder, const Callback& done) {
    Scene* scene = Director::getInstance()->getRunningScene();
    if (!scene)
        return false;
    if (s_current)
        s_current->finish(std::string());
    auto* browser = new FileBrowser();
    if (!browser->initWith(title, done)) {
        delete browser;
        return false;
    }
    browser->autorelease();
    scene->addChild(browser, kTopZ);
    if (!browser->enter(startFolder))
        browser->enter("/");
    s_current = browser;
    return true;
}

FileBrowser::~FileBrowser() {
    if (_wheel) {
        Director::getInstance()->getEventDispatcher()->removeEventListener(_wheel);
        _wheel->release();
    }
    if (s_current == this)
        s_current = nullptr;
}

bool FileBrowser::initWith(const std::string& title, const Callback& done) {
    if (!Layout::init())
        return false;
    _done = done;
    const Size win = Director::getInstance()->getWinSize();
    setContentSize(win);
    // The whole window takes touches, so nothing behind the browser reacts.
    setTouchEnabled(true);
    enableBKColor(true, Color3B::BLACK, 0.5f);

    _panel = Layout::create();
    _panel->setContentSize(Size(win.width * 0.7f, win.height * 0.8f));
    _panel->setPosition(Vec2(win.width * 0.15f, win.height * 0.1f));
    _panel->enableBKColor(true, Color3B(50, 50, 56), 1.0f);
    addChild(_panel);
    const Size ps = _panel->getContentSize();

    Text* heading = Text::create(title.empty() ? "Choose a file" : title, "", 22);
    heading->setAnchorPoint(Vec2(0.0f, 1.0f));
    heading->setPosition(Vec2(kMargin, ps.height - kMargin));
    _panel->addChild(heading);

    _pathText = Text::create("", "", 16);
    _pathText->setAnchorPoint(Vec2(0.0f, 1.0f));
    _pathText->setTextColor(Color4B(180, 180, 190, 255));
    _pathText->setPosition(Vec2(kMargin, ps.height - kMargin - 32));
    _panel->addChild(_pathText);

    Button* upButton = Button::create();
    upButton->setTitleFontSize(20);
    upButton->setTitleText("Up");
    upButton->setName("fileBrowserUp");
    upButton->setAnchorPoint(Vec2::ZERO);
    upButton->setPosition(Vec2(kMargin, kMargin));
    upButton->addClickEventListener([this](Ref*) { up(); });
    _panel->addChild(upButton);

    Button* cancel = Button::create();
    cancel->setTitleFontSize(20);
    cancel->setTitleText("Cancel");
    cancel->setName("fileBrowserCancel");
    cancel->setAnchorPoint(Vec2(1.0f, 0.0f));
    cancel->setPosition(Vec2(ps.width - kMargin, kMargin));
    cancel->addClickEventListener([this](Ref*) { finish(std::string()); });
    _panel->addChild(cancel);

    _list = Layout::create();
    _list->setClippingEnabled(true);
    _list->setContentSize(Size(ps.width - 2 * kMargin, ps.height - 2 * kMargin - 56 - 40));
    _list->setPosition(Vec2(kMargin, kMargin + 40));
    _list->enableBKColor(true, Color3B(30, 30, 34), 1.0f);
    _panel->addChild(_list);

    _wheel = EventListenerMouse::create();
    _wheel->retain();
    _wheel->onMouseScroll = [this](EventMouse* e) {
        if (!isVisible())
            return;
        scrollRows(e->getScrollY() < 0 ? 3 : -3);
        e->stopPropagation();
    };
    Director::getInstance()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(_wheel, this);
    return true;
}

bool FileBrowser::enter(const std::string& folder) {
    FileUtils* files = FileUtils::getInstance();
    std::string path = folder.empty() ? "/" : folder;
    if (path.back() != '/')
        path += '/';
    if (!files->isDirectoryExist(path))
        return false;
    std::vector<std::string> entries;
    for (const std::string& full : files->listFiles(path)) {
        std::string name = baseName(full);
        if (name.empty() || name[0] == '.')
            continue;
        entries.push_back(name);
    }
    std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
        bool fa = a.back() == '/', fb = b.back() == '/';
        return fa != fb ? fa : a < b;
    });
    _folder = path;
    _entries = entries;
    _firstRow = 0;
    _pathText->setString(_folder);
    refreshRows();
    return true;
}

void FileBrowser::up() {
    if (_folder.size() <= 1)
        return;
    std::string p = _folder.substr(0, _folder.size() - 1);
    size_t slash = p.find_last_of('/');
    enter(slash == std::string::npos || slash == 0 ? "/" : p.substr(0, slash));
}

void FileBrowser::finish(const std::string& path) {
    Callback done = _done;
    _done = nullptr;
    if (s_current == this)
        s_current = nullptr;
    retain();
    removeFromParentAndCleanup(true);
    if (done)
        done(path);
    release();
}

int FileBrowser::visibleRows() const {
    return std::max(1, static_cast<int>(_list->getContentSize().height / kRowHeight));
}

void FileBrowser::scrollRows(int rows) {
    int last = std::max(0, static_cast<int>(_entries.size()) - visibleRows());
    _firstRow = std::max(0, std::min(last, _firstRow + rows));
    refreshRows();
}

void FileBrowser::refreshRows() {
    _list->removeAllChildren();
    const Size ls = _list->getContentSize();
    const int rows = visibleRows();
    for (int i = 0; i < rows && _firstRow + i < static_cast<int>(_entries.size()); ++i) {
        const std::string name = _entries[static_cast<size_t>(_firstRow + i)];
        const bool folder = name.back() == '/';
        Text* row = Text::create(name, "", 18);
        row->setTextColor(folder ? Color4B(140, 200, 255, 255) : Color4B(235, 235, 235, 255));
        row->setTextAreaSize(Size(ls.width - 8, kRowHeight));
        row->setTextVerticalAlignment(TextVAlignment::CENTER);
        row->setAnchorPoint(Vec2(0.0f, 1.0f));
        row->setPosition(Vec2(8, ls.height - i * kRowHeight));
        row->setTouchEnabled(true);
        row->setName(name);
        row->addClickEventListener([this, name, folder](Ref*) {
            // The row goes away when the folder changes; work on copies.
            std::string target = _folder + name;
            if (folder)
                enter(target);
            else
                finish(target);
        });
        _list->addChild(row);
    }
}

} // namespace ui
} // namespace cocos2d
