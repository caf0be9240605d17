#pragma once
// The favourites screen of the phone layout: the capture library across the window; an opened
// row flips to a scene of its own showing the picture or the DICOM favourite.

#include "layout/NSLayout.h"

#include <string>

class captureList;

class favoriteListPhone : public NSUI::NSLayout {
public:
    static constexpr const char* kLayoutFile = "favoriteList.csb";
    /// Notification of a capture added to the store: text = path, float = scale, int = ID.
    static constexpr unsigned kCaptureAddedId = 1007;

    static favoriteListPhone* create();
    /// A scene holding a new screen, the return key enabled.
    static cocos2d::Scene* createScene();
    bool init() override;

    /// Pushes the picture scene for a capture or the favourite viewer for a DICOM favourite.
    void onRowSelected(const std::string& path, int type);
    captureList* getCaptureList() const { return captures; }

protected:
    ~favoriteListPhone() override;

private:
    captureList* captures = nullptr;
};
