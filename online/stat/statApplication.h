#pragma once
// Usage statistics: counts launches, trips to the background and back, screens opened and left,
// and shares as rows of a small database of their own, and uploads the rows of earlier days
// to the address the server hands out; only the server's acknowledgement deletes them.

#include "cocos2d.h"
#include "db/NSDBUtil.h"
#include "http/UIHttpPhisical.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"

#include <string>

/// Main thread only: recording, the database work and the replies.
class statApplication : public cocos2d::Ref,
                        public NSUI::UILocalConfig,
                        public NSUI::UIHttpPhisical,
                        public NSUI::UIJson {
public:
    static constexpr int kSchemaVersion = 1;
    /// Types whose recording also tries an upload: the launch and the return to the foreground.
    static constexpr unsigned int kLaunch = 0;
    static constexpr unsigned int kForeground = 1;

    /// Creates the singleton on first use.
    static statApplication* getInstance();
    /// The singleton, or null when none exists.
    static statApplication* peekInstance();
    /// The shutdown step: stop, then release; a later getInstance makes a new one.
    static void destroyInstance();

    ~statApplication() override;

    /// Opens the database (on the first call only) and asks the server for the upload address
    /// while it is not known.
    void start();
    /// Stores one event of the given type at the current local time; a launch or a return to
    /// the foreground also uploads. Does nothing while the database is not open.
    void recordStat(unsigned int type);
    /// Sends every row older than today to the upload address, unless one upload is still on
    /// its way or no address is known.
    void uploadStats();
    /// Closes the database and cancels pending requests.
    void stop();

    void onHttpResponse(NSUI::UIHttpResponse* response) override;

    /// The database file: writable path + "qp/stat/statDB".
    static std::string databasePath();
    const std::string& getUploadAddress() const { return _uploadAddress; }
    bool isUploading() const { return _uploading; }

private:
    statApplication();

    bool openDatabase();
    void onUploadAddress(const std::string& address);
    void onUploadAcknowledged(const std::string& reply);

    NSUI::NSDBUtil _db;
    std::string _uploadAddress;
    /// Rows before this moment went with the upload on its way.
    std::string _uploadCutoff;
    bool _openAttempted = false;
    bool _uploading = false;
};
