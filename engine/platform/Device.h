#pragma once
// Facts about the machine the program runs on.

#include <string>

namespace cocos2d {

class Device {
public:
    /// Dots per inch of the primary monitor (96 when it cannot be measured).
    static int getDPI();
    /// One line describing the machine: system, release and architecture.
    static std::string getDeviceInfo();
};

} // namespace cocos2d
