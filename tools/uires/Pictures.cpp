#include "Pictures.h"

#include <cmath>

namespace uires {

namespace {

const float kPi = 3.14159265358979f;

Canvas solid(int w, int h, Rgba color) {
    Canvas canvas(w, h);
    canvas.clear(color);
    return canvas;
}

// Scroll bars and plain backgrounds: tinted and scaled by the code that shows them.
Canvas white() {
    return solid(4, 4, {255, 255, 255, 255});
}
// The render windows' backgrounds, stretched over the whole view: 22 texels wide, as the window
// scales them by its diagonal / 21.
Canvas white22() {
    return solid(22, 22, {255, 255, 255, 255});
}
Canvas black22() {
    return solid(22, 22, {0, 0, 0, 255});
}
// Pop-up menu rows: a dark grey that lets a little of the screen through.
Canvas greyHigh() {
    return solid(4, 4, {90, 90, 90, 224});
}
// Text carets: the field scales them by its font size over 20, so they are 20 high.
Canvas cursorBlack() {
    return solid(2, 20, {0, 0, 0, 255});
}
Canvas cursor() {
    return solid(2, 20, {255, 255, 255, 255});
}

// The busy spinner: a blue circular arrow whose tail fades out. The overlay turns it
// clockwise, so the arrow points that way.
Canvas rotation() {
    const float c = 24.0f, r0 = 14.0f, r1 = 20.0f;
    const float head = 0.3f * kPi, tail = head + 1.6f * kPi; // radians, counter-clockwise
    const Rgba blue = {30, 110, 230, 255};
    Canvas canvas(48, 48);
    canvas.paint(Canvas::arc(c, c, r0, r1, head, tail, 0.15f), blue);
    // Arrowhead at the head: its base across the band, its tip ahead along the clockwise turn.
    const float mid = (r0 + r1) / 2.0f, half = 7.0f, reach = 8.0f;
    const float ux = std::cos(head), uy = -std::sin(head); // outwards (y down)
    const float tx = std::sin(head), ty = std::cos(head);  // clockwise tangent (y down)
    const float bx = c + mid * ux, by = c + mid * uy;
    canvas.paint(Canvas::triangle(bx + half * ux, by + half * uy, bx - half * ux, by - half * uy,
                                  bx + reach * tx, by + reach * ty),
                 blue);
    return canvas;
}

// Shown where a picture file is missing: a framed landscape crossed out, in greys.
Canvas noPicture() {
    const Rgba grey = {150, 150, 150, 255};
    const Rgba light = {200, 200, 200, 255};
    Canvas canvas(128, 128);
    canvas.paint(Canvas::roundedRect(12, 20, 116, 108, 10), {240, 240, 240, 255});
    canvas.paint(
        Canvas::minus(Canvas::roundedRect(12, 20, 116, 108, 10), Canvas::roundedRect(17, 25, 111, 103, 6)),
        grey);
    canvas.paint(Canvas::disc(88, 45, 9), light);
    canvas.paint(Canvas::triangle(22, 98, 52, 52, 82, 98), grey);
    canvas.paint(Canvas::triangle(58, 98, 80, 66, 106, 98), light);
    canvas.paint(Canvas::stroke(24, 30, 104, 98, 3.5f), {200, 70, 70, 255});
    return canvas;
}

// The nine-slice button: its corners fit inside the 5-pixel cap insets the screens give.
Canvas blueBtn() {
    Canvas canvas(30, 30);
    canvas.paint(Canvas::roundedRect(0, 0, 30, 30, 5), {21, 170, 254, 255});
    return canvas;
}

// The cine button of the image overlays, in the tool-icon box: a play triangle and a pause pair.
const Rgba kIconGrey = {220, 222, 226, 255};
Canvas play() {
    return cinePlay();
}
Canvas pause() {
    return cinePause();
}
// Its frame-step neighbours: a bar and a triangle pointing back, and the same pointing on.
Canvas leftArrow() {
    Canvas canvas(24, 24);
    canvas.paint(Canvas::roundedRect(4, 4, 7, 20, 1.0f), kIconGrey);
    canvas.paint(Canvas::triangle(19, 4, 19, 20, 8, 12), kIconGrey);
    return canvas;
}
Canvas rightArrow() {
    Canvas canvas(24, 24);
    canvas.paint(Canvas::roundedRect(17, 4, 20, 20, 1.0f), kIconGrey);
    canvas.paint(Canvas::triangle(5, 4, 5, 20, 16, 12), kIconGrey);
    return canvas;
}
// What an image node shows before its first slice: the viewer's own background.
Canvas spriteExample() {
    return solid(4, 4, {18, 19, 21, 255});
}

// Row actions that delete: the blue button's shape in the error colour.
Canvas redBtn() {
    Canvas canvas(30, 30);
    canvas.paint(Canvas::roundedRect(0, 0, 30, 30, 5), {230, 80, 70, 255});
    return canvas;
}

// Chevrons in the icon style: 2-point strokes with round ends, 24-point boxes.
Canvas chevron(bool pointsLeft, Rgba color) {
    Canvas canvas(24, 24);
    const float tipX = pointsLeft ? 8.0f : 16.0f, tailX = pointsLeft ? 15.0f : 9.0f;
    canvas.paint(Canvas::stroke(tailX, 5.0f, tipX, 12.0f, 1.0f), color);
    canvas.paint(Canvas::stroke(tipX, 12.0f, tailX, 19.0f, 1.0f), color);
    return canvas;
}
// "Back" in a screen's top bar, in the primary text grey.
Canvas backArrow() {
    return chevron(true, {220, 222, 226, 255});
}
// The end of a row that opens it, in the secondary text grey.
Canvas chevronRight() {
    return chevron(false, {150, 155, 162, 255});
}

} // namespace

const std::vector<Picture>& pictures() {
    static const std::vector<Picture> all = {
        {"white", white},       {"white22", white22},         {"black22", black22},
        {"greyHigh", greyHigh}, {"cursorBlack", cursorBlack}, {"cursor", cursor},
        {"rotation", rotation}, {"noPicture", noPicture},     {"blueBtn", blueBtn},
        {"redBtn", redBtn},     {"backArrow", backArrow},     {"chevronRight", chevronRight},
        // The display's pictures, named "imageSDK/<name>.png" beside the toolkit's folder.
        {"../imageSDK/play", play}, {"../imageSDK/pause", pause}, {"../imageSDK/spriteExample", spriteExample},
        {"../imageSDK/leftArrow", leftArrow}, {"../imageSDK/rightArrow", rightArrow},
    };
    return all;
}

Canvas cinePlay() {
    Canvas canvas(24, 24);
    canvas.paint(Canvas::triangle(7, 4, 7, 20, 20, 12), {220, 222, 226, 255});
    return canvas;
}

Canvas cinePause() {
    Canvas canvas(24, 24);
    canvas.paint(Canvas::roundedRect(6, 4, 10, 20, 1.5f), {220, 222, 226, 255});
    canvas.paint(Canvas::roundedRect(14, 4, 18, 20, 1.5f), {220, 222, 226, 255});
    return canvas;
}

} // namespace uires
