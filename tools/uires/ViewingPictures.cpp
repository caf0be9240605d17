// Pictures of the image-viewing screen ("imgs/<name>.png"): the tool buttons' background, the
// slice slider and the cine button's two states.

#include "Pictures.h"

namespace uires {

namespace {

const Rgba kRaised = {42, 45, 50, 255};
const Rgba kOutline = {58, 62, 68, 255};
const Rgba kAccent = {21, 170, 254, 255};
const Rgba kGrey = {220, 222, 226, 255};

// Nine-slice button backgrounds: a raised fill inside a 1-point outline; accent when pressed.
Canvas toolButton(Rgba edge) {
    Canvas canvas(24, 24);
    canvas.paint(Canvas::roundedRect(0, 0, 24, 24, 4), edge);
    canvas.paint(Canvas::roundedRect(1, 1, 23, 23, 3), kRaised);
    return canvas;
}
Canvas toolButtonNormal() {
    return toolButton(kOutline);
}
Canvas toolButtonPressed() {
    return toolButton(kAccent);
}

// The slider: a thin track, its filled part and a round knob.
Canvas track(Rgba color) {
    Canvas canvas(8, 4);
    canvas.paint(Canvas::roundedRect(0, 0, 8, 4, 2), color);
    return canvas;
}
Canvas sliderBar() {
    return track(kOutline);
}
Canvas sliderProgress() {
    return track(kAccent);
}
Canvas knob(Rgba color) {
    Canvas canvas(20, 20);
    canvas.paint(Canvas::disc(10, 10, 8), color);
    return canvas;
}
Canvas sliderBall() {
    return knob(kGrey);
}
Canvas sliderBallPressed() {
    return knob(kAccent);
}

} // namespace

const std::vector<Picture>& viewingPictures() {
    static const std::vector<Picture> list = {
        {"btnTool", toolButtonNormal},   {"btnToolPressed", toolButtonPressed},
        {"sliderBar", sliderBar},        {"sliderProgress", sliderProgress},
        {"sliderBall", sliderBall},      {"sliderBallPressed", sliderBallPressed},
        {"play", cinePlay},              {"pause", cinePause},
    };
    return list;
}

} // namespace uires
