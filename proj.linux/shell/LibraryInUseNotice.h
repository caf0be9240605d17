#pragma once
// What a workstation started on a library that another running workstation owns shows in
// place of the patient list: the reason, the library's folder and a button that ends it.

#include "cocos2d.h"

#include <string>

class LibraryInUseNotice {
public:
    /// The scene (autoreleased); its button ends the program, as closing the window does.
    static cocos2d::Scene* createScene(const std::string& libraryFolder);
};
