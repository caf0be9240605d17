#pragma once
// One window preset offered for a series: a name with the window width and level it sets.

#include <string>

struct WindowPreset {
    std::string name;
    float width = 0.0f;
    float level = 0.0f;
};
