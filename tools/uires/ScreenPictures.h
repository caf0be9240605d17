#pragma once
// The screens' pictures, named by their paths below the resource root ("imgs/logo",
// "res/redCircle"): tool icons, the network and sign-in states, badges and prompt cards.

#include <vector>

#include "Pictures.h"

namespace uires {

/// Every screen picture, in a fixed order; names hold a folder.
const std::vector<Picture>& screenPictures();

} // namespace uires
