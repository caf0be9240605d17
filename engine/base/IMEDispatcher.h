#pragma once
// Routes typed text and deletions to the one attached IMEDelegate. Main thread only.

#include <cstddef>
#include <string>
#include <vector>

namespace cocos2d {

class IMEDelegate;

class IMEDispatcher {
public:
    static IMEDispatcher* sharedDispatcher();

    /// Sends UTF-8 text to the attached delegate; nothing happens without one or for empty text.
    void dispatchInsertText(const char* text, size_t len);
    void dispatchDeleteBackward();
    void dispatchDeleteForward();
    /// The attached delegate's text, or an empty string.
    const std::string& getContentText();
    bool isAnyDelegateAttachedWithIME() const { return _attached != nullptr; }
    IMEDelegate* getAttachedDelegate() const { return _attached; }

    void addDelegate(IMEDelegate* delegate);
    /// Forgets the delegate (detaching it first when attached).
    void removeDelegate(IMEDelegate* delegate);
    bool attachDelegateWithIME(IMEDelegate* delegate);
    bool detachDelegateWithIME(IMEDelegate* delegate);

private:
    IMEDispatcher() = default;

    std::vector<IMEDelegate*> _delegates;
    IMEDelegate* _attached = nullptr;
};

} // namespace cocos2d
