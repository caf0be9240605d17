#include "presets/WindowPreset.h"

#include "json/UIJson.h"
#include "util/StringUtils.h"

std::vector<WindowPreset> WindowPreset::forModality(int modalityCode)
{
    switch (modalityCode) {
    case 0: // CT, in Hounsfield units
        return {{"Abdomen", 400, 60}, {"Angio", 600, 300}, {"Bone", 1500, 300},
                {"Brain", 80, 40},    {"Chest", 400, 40},  {"Lung", 1500, -400}};
    case 1: // PT, counts
        return {{"10K", 10000, 5000},   {"20K", 20000, 10000},   {"40K", 40000, 20000},
                {"80K", 80000, 40000}, {"160K", 160000, 80000}, {"320K", 320000, 160000}};
    default: { // named level/width, doubling from 20/40
        std::vector<WindowPreset> list;
        for (int level = 20; level <= 2560; level *= 2)
            list.push_back({std::to_string(level) + "/" + std::to_string(level * 2), float(level * 2), float(level)});
        return list;
    }
    }
}

std::string WindowPreset::payload() const
{
    std::string json;
    NSUI::UIJson::setJsonString(json, "ww", formatString("%.6f", width));
    NSUI::UIJson::setJsonString(json, "wl", formatString("%.6f", level));
    return json;
}
