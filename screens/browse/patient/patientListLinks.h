#pragma once
// The screens the patient list opens that are built elsewhere (study list, send and share
// panels, finder, favourites, sign-in, feedback): the program installs how each one opens.

#include "cocos2d.h"

#include <functional>
#include <string>

/// Each link may be left empty: the patient list then writes a log line instead. Set them on
/// the main thread before the first scene runs; they are called on the main thread.
class patientListLinks {
public:
    /// Pushes the study list of the patient with this store row ID.
    static std::function<void(const std::string& patientId)>& openStudies();
    /// Adds the send panel to the screen; folder and name are the patient's (both empty when
    /// the panel opens without a source, from the network button).
    static std::function<void(cocos2d::Node* screen, const std::string& folder, const std::string& name)>&
    openSend();
    /// Adds the share panel to the screen and starts packing the patient's folder.
    static std::function<void(cocos2d::Node* screen, const std::string& folder, const std::string& name)>&
    openShare();
    /// Adds the search panel to the screen.
    static std::function<void(cocos2d::Node* screen)>& openFinder();
    /// Shows the sign-in panel over the screen.
    static std::function<void(cocos2d::Node* screen)>& openLogin();
    /// Pushes the favourites scene.
    static std::function<void()>& openFavorites();
    /// Pushes the feedback page.
    static std::function<void()>& openFeedback();
};
