#pragma once
// "The user picks a file": the desktop's own file dialog (zenity) when there is one, else a
// folder browser drawn in the program's window. The answer always arrives later on the main
// thread, so the frame loop never waits on the user; an empty path means cancelled.
// Tests replace the whole dialog with a provider of their own.

#include <functional>
#include <string>

namespace cocos2d {

class FileChooser {
public:
    using Callback = std::function<void(const std::string& path)>;
    /// Shows a dialog starting in startFolder ("" for the home folder) and calls done once.
    using Provider =
        std::function<void(const std::string& title, const std::string& startFolder, Callback done)>;

    static FileChooser* getInstance();

    /// Asks the user for one file; done runs on the main thread with its full path or "".
    /// A request while one is open is answered "" at once.
    void chooseFile(const std::string& title, const std::string& startFolder, const Callback& done);
    bool isOpen() const { return _open; }

    /// Replaces the dialogs (tests); an empty provider restores them.
    void setProvider(const Provider& provider) { _provider = provider; }
    /// Whether the desktop dialog program can be used (found on the path, with a display).
    static bool hasDesktopDialog();

private:
    FileChooser() = default;
    void runDesktopDialog(const std::string& title, const std::string& startFolder, const Callback& done);
    void runInWindowBrowser(const std::string& title, const std::string& startFolder, const Callback& done);

    Provider _provider;
    bool _open = false;
};

} // namespace cocos2d
