#pragma once
// The tag list: every DICOM element of one file (tag, short description, value), read on a
// worker thread when the panel is first shown; ordinary elements first, then the file meta,
// private and nested ones.

#include "tags/dcmTagPanel.h"
#include "tags/dcmTagRow.h"

#include <memory>
#include <string>

class dcmInfoList : public dcmTagPanel {
public:
    using listObject = dcmTagRow;

    /// The panel inside a new modal window (autoreleased); the opener calls setFile on the
    /// panel (fromWindow) right after.
    static cocos2d::Node* create();
    static dcmInfoList* fromWindow(cocos2d::Node* window);
    /// The panel as a scene of its own (autoreleased) for the caller to push; fromWindow
    /// finds the panel in it.
    static cocos2d::Scene* createScene();

    bool init() override;
    void setFile(std::string path);
    /// Starts the read on the first entry only.
    void onEnterTransitionDidFinish() override;
    void cleanup() override;

    /// Whether a read was started and its rows have not arrived yet.
    bool isReading() const { return _reading; }

    static constexpr const char* kPanelName = "dcmInfo";
    static constexpr const char* kLayoutFile = "dcmInfo.csb";
    /// Descriptions longer than this many bytes are cut, at a character boundary.
    static constexpr size_t kIntroBytes = 20;

private:
    struct ReadJob;

    dcmInfoList() = default;
    /// A new initialised panel (autoreleased), or null.
    static dcmInfoList* make();
    void startRead();
    void fillRows(const ReadJob& job);

    std::string _filePath;
    bool _reading = false;
    bool _closed = false;
};
