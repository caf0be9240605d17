#pragma once
// Base of the objects that take typed text from the input-method dispatcher (text fields).
// Only the attached delegate receives text; attaching another detaches the current one.

#include <cstddef>
#include <string>

namespace cocos2d {

class IMEDelegate {
public:
    virtual ~IMEDelegate();

    /// Asks the dispatcher to send typed text here; false when either side refuses.
    virtual bool attachWithIME();
    virtual bool detachWithIME();
    bool isAttachedWithIME() const;

protected:
    IMEDelegate();

    virtual bool canAttachWithIME() { return false; }
    virtual void didAttachWithIME() {}
    virtual bool canDetachWithIME() { return false; }
    virtual void didDetachWithIME() {}

    /// UTF-8 bytes of what was typed.
    virtual void insertText(const char* text, size_t len) { (void)text; (void)len; }
    virtual void deleteBackward() {}
    virtual void deleteForward() {}
    virtual const std::string& getContentText();

    friend class IMEDispatcher;
};

} // namespace cocos2d
