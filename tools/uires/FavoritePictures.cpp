// Pictures of the favourites library: its check boxes, the placeholder of a picture still
// loading, the DICOM mark on a favourite and the bubble behind group and hint texts.

#include "Pictures.h"

namespace uires {

namespace {

const Rgba kPanel = {32, 34, 38, 255};
const Rgba kRaised = {42, 45, 50, 255};
const Rgba kOutline = {58, 62, 68, 255};
const Rgba kAccent = {21, 170, 254, 255};
const Rgba kGrey = {220, 222, 226, 255};
const Rgba kSecondary = {150, 155, 162, 255};

Canvas checkBox(bool checked) {
    Canvas canvas(24, 24);
    canvas.paint(Canvas::roundedRect(2, 2, 22, 22, 4), checked ? kAccent : kSecondary);
    canvas.paint(Canvas::roundedRect(4, 4, 20, 20, 3), checked ? kAccent : kPanel);
    if (checked) {
        canvas.paint(Canvas::stroke(7, 12, 11, 16, 1.2f), kGrey);
        canvas.paint(Canvas::stroke(11, 16, 17, 8, 1.2f), kGrey);
    }
    return canvas;
}
Canvas checkNone() {
    return checkBox(false);
}
Canvas checkDone() {
    return checkBox(true);
}

// A dim frame with a small picture mark, shown until the real thumbnail arrives.
Canvas placeholder() {
    Canvas canvas(96, 72);
    canvas.paint(Canvas::roundedRect(0, 0, 96, 72, 4), kOutline);
    canvas.paint(Canvas::roundedRect(1, 1, 95, 71, 3), kRaised);
    canvas.paint(Canvas::triangle(30, 50, 44, 30, 58, 50), kOutline);
    canvas.paint(Canvas::disc(62, 26, 5), kOutline);
    return canvas;
}

// A small "file" mark with a folded corner.
Canvas dicomMark() {
    Canvas canvas(20, 24);
    canvas.paint(Canvas::roundedRect(2, 1, 18, 23, 2), kAccent);
    canvas.paint(Canvas::roundedRect(4, 3, 16, 21, 1), kPanel);
    canvas.paint(Canvas::stroke(6, 9, 14, 9, 1.0f), kAccent);
    canvas.paint(Canvas::stroke(6, 13, 14, 13, 1.0f), kAccent);
    canvas.paint(Canvas::stroke(6, 17, 12, 17, 1.0f), kAccent);
    return canvas;
}

// Nine-slice bubble: raised fill in a thin outline.
Canvas bubble() {
    Canvas canvas(50, 30);
    canvas.paint(Canvas::roundedRect(0, 0, 50, 30, 6), kOutline);
    canvas.paint(Canvas::roundedRect(1, 1, 49, 29, 5), kRaised);
    return canvas;
}

} // namespace

const std::vector<Picture>& favoritePictures() {
    static const std::vector<Picture> list = {
        {"imgs/chkNone", checkNone},  {"imgs/chkDone", checkDone},       {"res/sprite", placeholder},
        {"res/chat_dicom", dicomMark}, {"res/chat_txtbk", bubble},
    };
    return list;
}

} // namespace uires
