#pragma once
// One window preset (a name, a window width and a window level) and the preset tables that the
// viewing screens offer for a series by the modality of its first image.

#include <string>
#include <vector>

struct WindowPreset {
    std::string name;
    float width = 0.0f;
    float level = 0.0f;

    /// The presets for a modality code of the slice record, in menu order: 0 CT, 1 PT, any
    /// other code (MR and the rest) the level/width table.
    static std::vector<WindowPreset> forModality(int modalityCode);
    /// The flat JSON text that sets this window: {"ww":"<width>","wl":"<level>"}, "%.6f" each.
    std::string payload() const;
};
