#pragma once
// A holder node on the running scene through which code without a widget of its own shows
// the message toast.

#include <string>

#include "base/UIControlBase.h"
#include "cocos2d.h"

namespace NSUI {

class messageView : public cocos2d::Node, public UIControlBase {
public:
    static messageView* create();
    /// Shows text as a toast on the running scene; does nothing without one.
    static void showMessage(const std::string& text, float seconds);

    static constexpr const char* kHolderName = "ns_fun_messageBox";
};

} // namespace NSUI
