#pragma once
// The DICOM network side of the workstation: owns the study store, pumps the send queue,
// echoes known nodes and sweeps the local subnets, counts live nodes, and turns the DICOM
// library's messages into notifications.

#include "cocos2d.h"
#include "json/UIJson.h"
#include "net/dcmSendingObject.h"

#include <memory>
#include <string>
#include <vector>

namespace dcmSDK {
class dcmEcho;
class dcmSender;
}
namespace NSUI {
class NSNotificationData;
}
class dicomDB;

/// A singleton created at launch. Every state change of tasks and nodes happens on the main
/// thread; the library's callbacks only post notifications.
class dataService : public cocos2d::Ref, public NSUI::UIJson {
public:
    /// Creates the service on first use (its init opens the store and starts the receiver).
    static dataService* getInstance();
    /// The shutdown steps: stop, then release the singleton; a later getInstance makes a new one.
    static void destroyInstance();

    virtual ~dataService();
    virtual bool init();
    virtual void stop();

    /// Null when the store could not be created.
    dicomDB* getDB() const { return _store; }

    /// Retains the task, queues it and pumps the queue; null is ignored.
    void addSendTask(dcmSendingObject* task);
    /// Starts the first queued task when the sender is idle.
    void pumpSendQueue();
    const std::vector<dcmSendingObject*>& getSendList() const { return _sendList; }
    /// 2 echoes the known DICOM nodes of the local subnets, 1 every host of those subnets.
    void echoSweep(int mode);

    /// The 1 s tick "_dataServiceDataManager".
    void onTimer(float dt);
    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    // ---- The five callbacks the launch installs in the DICOM library (any thread) -----------

    static void onDcmLog(const char* text);
    static void onDcmMessage(unsigned int type, const char* text);
    static void onGb2utf8(const char* in, char* out, int size);
    static char* onReadFile(const char* path, int& size, bool raw);
    static bool onSavePng(int width, int height, char* pixels, const char* path);

    static constexpr const char* kTimerKey = "_dataServiceDataManager";

private:
    dcmSendingObject* findTask(unsigned int taskId) const;
    void postLiveNodeCount();

    dicomDB* _store = nullptr;
    std::unique_ptr<dcmSDK::dcmSender> _sender;
    std::unique_ptr<dcmSDK::dcmEcho> _echo;
    std::vector<dcmSendingObject*> _sendList;
    std::vector<std::string> _keptEchoTargets;
    int _tick = 0;
    bool _stopping = false;
};
