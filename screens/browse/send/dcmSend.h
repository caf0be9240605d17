#pragma once
// The modal panel that sends a patient's or a series' folder to a DICOM node: a table of
// nodes (this computer, a row for typing an address, every known or discovered node) and a
// table of this run's unfinished sends with their progress. The DICOM service does the
// sending; the panel creates the send records and follows them by their task IDs.

#include "cocos2d.h"
#include "base/UIControlBase.h"
#include "base/UIControlGenerater.h"
#include "json/UIJson.h"
#include "table/NSTableViewDelegate.h"
#include "text/NSTextField.h"

#include <string>

namespace NSUI {
class NSListView;
class NSNotificationData;
} // namespace NSUI
class dcmNodeObject;
class dcmSendingObject;

class dcmSend : public cocos2d::Node,
                public NSUI::NSTableViewDelegate,
                public NSUI::UIJson,
                public NSUI::UIControlGenerater,
                public NSUI::UIControlBase {
public:
    /// The panel inside a new touch-swallowing window (autoreleased); the opener adds the
    /// window to its tree and then calls setSendSource.
    static cocos2d::Node* create();
    /// The panel of a window made by create (found by its name "dcmSend").
    static dcmSend* fromWindow(cocos2d::Node* window);
    /// The panel as a scene of its own (autoreleased) for the caller to push; fromWindow finds
    /// the panel in it. Its send button sits at the right of the scene's title bar.
    static cocos2d::Scene* createScene();

    bool init() override;
    /// Builds both tables from the layout, the local address, the stored nodes and the
    /// service's unfinished sends, and starts listening; run once, after init.
    void setupLayout();
    /// The folder to send and the text its send rows show.
    void setSendSource(std::string path, std::string label);

    void onEnterTransitionDidFinish() override;
    void onExit() override;
    void cleanup() override;
    /// Closes the panel (its window when it has one).
    bool onResponseReturn() override;

    // ---- What the user does ------------------------------------------------------------

    void onButtonClicked(cocos2d::Ref* sender);
    void onTextFieldEvent(cocos2d::Ref* sender, NSUI::NSTextField::EventType event);

    void tableCellTouched(NSUI::NSTableView* table, NSUI::NSTableViewCell* cell, const cocos2d::Vec2& point) override;
    void tableFillLeftMenu(NSUI::NSTableView* table, NSUI::NSTableViewMenu* menu) override;
    cocos2d::Size tableCellSizeForIndex(NSUI::NSTableView* table, int64_t index, cocos2d::Ref* rowItem) override;
    NSUI::NSTableViewCell* tableCellAtIndex(NSUI::NSTableView* table, int64_t index,
                                            const cocos2d::Size& size) override;

    // ---- What the service and discovery report -----------------------------------------

    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    /// Whether a node last seen at `wifi` ("YYYY-MM-DD HH:MM:SS") was seen today, less than
    /// 10 seconds ago.
    static bool isRecent(const std::string& wifi);

    NSUI::NSListView* getNodeTable() const { return _nodeTable; }
    NSUI::NSListView* getSendTable() const { return _sendTable; }
    int getFixedRowCount() const { return _fixedRowCount; }

    static constexpr const char* kPanelName = "dcmSend";
    static constexpr const char* kLayoutFile = "dcmNode.csb";
    static constexpr int kTextFieldTag = 101;

protected:
    dcmSend() = default;

private:
    /// A new initialised panel (autoreleased), or null.
    static dcmSend* make();
    /// In a scene of its own the send button moves from the panel's bar to the scene's.
    void moveSendButtonToScene();
    NSUI::NSListView* makeTable(const std::string& placeholderName);
    void addLocalAddressRows();
    void addStoredNodes();
    void addUnfinishedSends();

    void fillNodeCell(NSUI::NSTableViewCell* cell, dcmNodeObject* node);
    void fillSendCell(NSUI::NSTableViewCell* cell, dcmSendingObject* task);

    void sendFrom(dcmNodeObject* node);
    void deleteSend(NSUI::NSTableViewCell* cell);
    /// The send row of a task ID, -1 when none.
    int64_t sendRowOf(unsigned int taskId) const;
    /// The node row of an installation identifier, -1 when none; the fixed rows never match.
    int64_t nodeRowOf(const std::string& appid) const;
    void onSendProgress(int id, NSUI::NSNotificationData* data);
    void onDeleteArrived(unsigned int taskId);
    void onDiscovered(const std::string& json);
    void onEchoAnswer(const std::string& json);

    NSUI::NSListView* _nodeTable = nullptr;
    NSUI::NSListView* _sendTable = nullptr;
    cocos2d::Node* _layout = nullptr;
    int _fixedRowCount = 0;
    std::string _sourcePath;
    std::string _sourceLabel;
    bool _firstEnter = true;
};
