#pragma once
// The first screen: the list of patients in the study store. It also imports the paths
// handed to the application (notification 2023).

#include "cocos2d.h"
#include "ui/CocosGUI.h"

#include <string>

class importDcm;

class patientList : public cocos2d::ui::Layout {
public:
    /// A new autoreleased scene holding a new patient list.
    static cocos2d::Scene* createScene();
    static patientList* create();

    ~patientList() override;
    bool init() override;

    /// Imports a DICOM file or a folder of them into the study store.
    void importPath(const std::string& path);

    static constexpr unsigned kOpenPathId = 2023;

private:
    patientList() = default;
    void buildView();
    cocos2d::ui::Text* addText(const std::string& text, float fontSize, float y);

    importDcm* _importer = nullptr;
    cocos2d::ui::Text* _status = nullptr;
};
