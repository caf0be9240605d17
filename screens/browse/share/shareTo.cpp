#include "share/shareTo.h"

#include "base/UIControlBase.h"
#include "base/base64.h"
#include "lang/UILocalConfig.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "overlay/NSActivity.h"
#include "util/FileHelpers.h"
#include "util/TimeUtils.h"
#include "zip/ZipTool.h"

#include <sys/stat.h>

#include <thread>

using namespace cocos2d;
using NSUI::NSNotificationCenter;
using NSUI::UILocalConfig;

namespace {

const float kMessageSeconds = 1.5f;

bool isNonEmptyFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

// Shows the text through the parent screen's toast, when the parent has one.
void tellParent(Node* parent, const std::string& text) {
    if (auto* control = dynamic_cast<NSUI::UIControlBase*>(parent))
        control->showMessageBox(text, kMessageSeconds);
}

} // namespace

shareTo* shareTo::create() {
    auto* node = new shareTo();
    if (!node->init()) {
        delete node;
        return nullptr;
    }
    node->autorelease();
    return node;
}

shareTo::~shareTo() {
    NSNotificationCenter::getInstance()->removeObserver(this);
}

bool shareTo::init() {
    if (!Node::init())
        return false;
    folderPath.clear();
    zipPath.clear();
    auto* centre = NSNotificationCenter::getInstance();
    auto callback = [this](Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    centre->addObserver(this, this, callback, kPackedId);
    centre->addObserver(this, nullptr, callback, kCancelId);
    return true;
}

void shareTo::cleanup() {
    Node::cleanup();
    NSNotificationCenter::getInstance()->removeObserver(this);
}

std::string shareTo::shareFolder() {
    return FileUtils::getInstance()->getWritablePath() + "qp/tmp/zip/";
}

void shareTo::zipAndShare(std::string folder, std::string label) {
    folderPath = folder;
    if (folderPath.empty())
        return;
    labelText = label;
    if (zipPath.empty()) {
        const std::string shared = shareFolder();
        FileUtils::getInstance()->removeDirectory(shared);
        FileUtils::getInstance()->createDirectory(shared);
        zipPath = shared + getTimestampString() + ".zip";
    }
    if (NSUI::NSActivity* overlay = NSUI::NSActivity::show(this)) {
        overlay->enableBKColor(true, Color3B::BLACK, 0.85f);
        overlay->setTextColor(Color4B::WHITE);
        overlay->setText(UILocalConfig::getLanguageString("compressData"));
        overlay->addButton(UILocalConfig::getLanguageString("cancelButton"), Color3B(21, 170, 254));
    }
    // The job works on its own copies and keeps the node alive until its result is posted;
    // the last reference is dropped on the main thread, where nodes are destroyed.
    retain();
    std::thread([this, archive = zipPath, source = folderPath, cancel = cancelled] {
        const bool packed = zipFolder(archive, source, "") && isNonEmptyFile(archive) && !cancel->load();
        NSNotificationCenter::getInstance()->postNotificationWithInt(nullptr, kPackedId, packed ? 0 : -1,
                                                                     this, false);
        Director::getInstance()->getScheduler()->performFunctionInCocosThread([this] { release(); });
    }).detach();
}

void shareTo::onNotification(Ref*, unsigned int id, NSUI::NSNotificationData* data) {
    if (id == kCancelId) {
        cancelled->store(true);
        zipCancelFlag = 1;
    } else if (id == kPackedId) {
        finish((!data || data->intValue >= 0) && !cancelled->load());
    }
}

void shareTo::finish(bool packed) {
    NSUI::NSActivity::hide();
    Node* parent = getParent();
    if (packed) {
        const std::string subject = UILocalConfig::getLanguageString("shareToSubject") + labelText;
        const std::string encoded = UILocalConfig::getLanguageString("shareToBody");
        const std::string body =
            safeBase64DecodeString(encoded.c_str(), static_cast<unsigned>(encoded.size()));
        if (getPlatformPath(subject, body, "") == "NoValidMailConfig")
            tellParent(parent, UILocalConfig::getLanguageString("configMail"));
    } else {
        tellParent(parent, UILocalConfig::getLanguageString("compressFail"));
    }
    removeFromParentAndCleanup(true);
}
