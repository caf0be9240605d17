#pragma once
// A cell node of a table view: the row it shows (invalid while recycled) and its size.

#include <cstdint>

#include "cocos2d.h"

namespace NSUI {

class NSTableViewCell : public cocos2d::Node {
public:
    static constexpr int64_t kInvalidIndex = -1;

    static NSTableViewCell* create();

    int64_t getIdx() const { return idx; }
    void setIdx(int64_t index) { idx = index; }
    const cocos2d::Size& getCellSize() const { return cellSize; }
    void setCellSize(const cocos2d::Size& size) { cellSize = size; }

    int64_t idx = kInvalidIndex;
    cocos2d::Size cellSize;
};

} // namespace NSUI
