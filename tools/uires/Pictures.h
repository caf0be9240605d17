#pragma once
// The toolkit's own pictures ("UIRes/<name>.png"): plain fills, the caret, the list-row
// background, the busy spinner, the missing-picture placeholder and the blue button.

#include <string>
#include <vector>

#include "Canvas.h"

namespace uires {

struct Picture {
    std::string name; // file name without ".png"
    Canvas (*draw)();
};

/// Every picture, in a fixed order.
const std::vector<Picture>& pictures();

/// The send panel's pictures, drawn into the folder "imgs" beside "UIRes".
const std::vector<Picture>& sendPanelPictures();
/// The image-viewing screen's pictures, drawn into the folder "imgs" too.
const std::vector<Picture>& viewingPictures();
/// The favourites library's pictures, named with their folder ("imgs/chkNone").
const std::vector<Picture>& favoritePictures();

/// The cine button's play triangle and pause pair, in the tool-icon box.
Canvas cinePlay();
Canvas cinePause();

/// The viewing tools' pictures, named with their folder ("res/fullscreen", "imgs/noClut").
const std::vector<Picture>& viewingToolPictures();

} // namespace uires
