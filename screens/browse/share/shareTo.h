#pragma once
// Packs a patient's or a series' folder into a zip archive for mail, with the busy overlay's
// progress and cancel button, then hands a prepared mail to the platform's mail hook. The
// node removes itself when the pack has ended.

#include "cocos2d.h"

#include <atomic>
#include <memory>
#include <string>

namespace NSUI {
class NSNotificationData;
}

class shareTo : public cocos2d::Node {
public:
    /// Posted by the pack job to the node that started it: int 0 packed, -1 failed or cancelled.
    static constexpr unsigned kPackedId = 2016;
    static constexpr unsigned kCancelId = 1003;

    static shareTo* create();
    ~shareTo() override;
    bool init() override;
    void cleanup() override;

    /// Empties the share folder, then packs the folder into a new archive named by the time in
    /// seconds. An empty folder text does nothing.
    void zipAndShare(std::string folder, std::string label);
    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    /// The writable path + "qp/tmp/zip/": it holds the latest share's archive only.
    static std::string shareFolder();
    const std::string& getZipPath() const { return zipPath; }

private:
    shareTo() = default;
    void finish(bool packed);

    std::string folderPath;
    std::string labelText;
    std::string zipPath;
    // Set by the cancel button; the job reads it when it ends, so a cancel pressed before the
    // zip tool started (which clears the tool's own flag) still counts.
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
};
