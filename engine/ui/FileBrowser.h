#pragma once
// A folder browser drawn over the running scene, for machines without a desktop file dialog:
// folders open on a click, a file is chosen on a click, "Up" goes to the parent folder and
// "Cancel" gives up. The wheel scrolls a long folder. It removes itself when done.

#include <functional>
#include <string>
#include <vector>

#include "ui/Layout.h"

namespace cocos2d {

class EventListenerMouse;

namespace ui {

class Button;
class Text;

class FileBrowser : public Layout {
public:
    using Callback = std::function<void(const std::string& path)>;

    /// Opens a browser on the running scene; false when there is no running scene.
    static bool show(const std::string& title, const std::string& startFolder, const Callback& done);
    /// The browser on screen, or null.
    static FileBrowser* current();

    /// Shows a folder (full path); false when it cannot be listed (the old one stays).
    bool enter(const std::string& folder);
    void up();
    /// Ends the browser with this answer ("" cancels).
    void finish(const std::string& path);
    const std::string& getFolder() const { return _folder; }
    /// The shown folder's entries, folders first (ending in '/'), hidden ones left out.
    const std::vector<std::string>& getEntries() const { return _entries; }
    /// Scrolls by whole rows (positive: further down the list).
    void scrollRows(int rows);
    int getFirstRow() const { return _firstRow; }

protected:
    FileBrowser() = default;
    ~FileBrowser() override;
    bool initWith(const std::string& title, const Callback& done);
    void refreshRows();
    int visibleRows() const;

    Callback _done;
    std::string _folder;
    std::vector<std::string> _entries;
    int _firstRow = 0;
    Layout* _panel = nullptr;
    Layout* _list = nullptr;
    Text* _pathText = nullptr;
    EventListenerMouse* _wheel = nullptr;
};

} // namespace ui
} // namespace cocos2d
