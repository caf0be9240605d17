#include "ScreenPictures.h"

#include <cmath>

namespace uires {

namespace {

const float kPi = 3.14159265358979f;
const float kLine = 1.0f; // half of the 2-point stroke
const Rgba kGrey = {220, 222, 226, 255};
const Rgba kAccent = {21, 170, 254, 255};
const Rgba kGreen = {70, 190, 110, 255};
const Rgba kRed = {230, 80, 70, 255};
const Rgba kCard = {42, 45, 50, 240};
const Rgba kOutline = {58, 62, 68, 255};

Canvas ring(Canvas canvas, float cx, float cy, float r, Rgba color) {
    canvas.paint(Canvas::arc(cx, cy, r - kLine, r + kLine, 0.0f, 2.0f * kPi, 1.0f), color);
    return canvas;
}

// A magnifying glass in a 40-point box.
Canvas search() {
    Canvas canvas(40, 40);
    canvas = ring(canvas, 18, 18, 7, kGrey);
    canvas.paint(Canvas::stroke(23.5f, 23.5f, 29, 29, kLine * 1.2f), kGrey);
    return canvas;
}

// A five-pointed star outline in a 48-point box (the button is shown at 0.7).
Canvas favorite() {
    Canvas canvas(48, 48);
    const float cx = 24, cy = 25, outer = 15, inner = 6.5f;
    float x[10], y[10];
    for (int i = 0; i < 10; ++i) {
        float r = i % 2 ? inner : outer;
        float a = -kPi / 2 + i * kPi / 5;
        x[i] = cx + r * std::cos(a);
        y[i] = cy + r * std::sin(a);
    }
    for (int i = 0; i < 10; ++i)
        canvas.paint(Canvas::stroke(x[i], y[i], x[(i + 1) % 10], y[(i + 1) % 10], kLine * 1.4f), kGrey);
    return canvas;
}

// A person: head and shoulders, grey when signed out, accent when signed in.
Canvas person(Rgba color) {
    Canvas canvas(40, 40);
    canvas = ring(canvas, 20, 15, 5, color);
    canvas.paint(Canvas::arc(20, 32, 9 - kLine, 9 + kLine, 0.1f, kPi - 0.1f, 1.0f), color);
    return canvas;
}
Canvas signedOut() {
    return person(kGrey);
}
Canvas signedIn() {
    return person(kAccent);
}

// The network: a dot under three widening arcs (40 points; the button is shown at 0.8).
Canvas network(Rgba color) {
    Canvas canvas(40, 40);
    const float cx = 20, cy = 29;
    canvas.paint(Canvas::disc(cx, cy, 2.5f), color);
    for (float r : {7.0f, 13.0f, 19.0f})
        canvas.paint(Canvas::arc(cx, cy, r - kLine, r + kLine, kPi / 4, 3 * kPi / 4, 1.0f), color);
    return canvas;
}
Canvas networkUp() {
    return network(kGreen);
}
Canvas networkDown() {
    Canvas canvas = network(kRed);
    canvas.paint(Canvas::stroke(9, 9, 31, 31, kLine), kRed);
    return canvas;
}

// The back of a number badge (shown at twice its size).
Canvas badge() {
    Canvas canvas(12, 12);
    canvas.paint(Canvas::disc(6, 6, 5.5f), kAccent);
    return canvas;
}

Canvas redCircle() {
    Canvas canvas(60, 60);
    canvas.paint(Canvas::disc(30, 30, 26), kRed);
    return canvas;
}

// The row's right end, which opens the patient's studies.
Canvas chevron() {
    Canvas canvas(16, 24);
    canvas.paint(Canvas::stroke(5, 5, 11, 12, kLine), {150, 155, 162, 255});
    canvas.paint(Canvas::stroke(11, 12, 5, 19, kLine), {150, 155, 162, 255});
    return canvas;
}

// Solid nine-slice backgrounds of the row menu's buttons.
Canvas redButton() {
    Canvas canvas(30, 30);
    canvas.paint(Canvas::roundedRect(0, 0, 30, 30, 4), kRed);
    return canvas;
}
Canvas greyButton() {
    Canvas canvas(30, 30);
    canvas.paint(Canvas::roundedRect(0, 0, 30, 30, 4), kOutline);
    return canvas;
}

// Share: an arrow rising out of an open tray, in the accent colour (40 points).
Canvas share() {
    Canvas canvas(40, 40);
    canvas.paint(Canvas::stroke(20, 6, 20, 24, kLine), kAccent);
    canvas.paint(Canvas::stroke(13, 13, 20, 6, kLine), kAccent);
    canvas.paint(Canvas::stroke(27, 13, 20, 6, kLine), kAccent);
    canvas.paint(Canvas::stroke(8, 20, 8, 33, kLine), kAccent);
    canvas.paint(Canvas::stroke(8, 33, 32, 33, kLine), kAccent);
    canvas.paint(Canvas::stroke(32, 33, 32, 20, kLine), kAccent);
    return canvas;
}

// A prompt card: a framed dark strip with an icon in its left square; the screen writes the
// line of text beside the icon.
Canvas card() {
    Canvas canvas(640, 72);
    canvas.paint(Canvas::roundedRect(0, 0, 640, 72, 8), kOutline);
    canvas.paint(Canvas::roundedRect(1, 1, 639, 71, 7), kCard);
    return canvas;
}

// A folder with an arrow into it: files brought from the desktop.
Canvas desktopPrompt() {
    Canvas canvas = card();
    canvas.paint(Canvas::stroke(20, 28, 20, 52, kLine), kAccent);
    canvas.paint(Canvas::stroke(20, 52, 52, 52, kLine), kAccent);
    canvas.paint(Canvas::stroke(52, 52, 52, 32, kLine), kAccent);
    canvas.paint(Canvas::stroke(20, 28, 30, 28, kLine), kAccent);
    canvas.paint(Canvas::stroke(30, 28, 34, 32, kLine), kAccent);
    canvas.paint(Canvas::stroke(34, 32, 42, 32, kLine), kAccent);
    canvas.paint(Canvas::stroke(36, 16, 36, 44, kLine), kAccent);
    canvas.paint(Canvas::stroke(30, 38, 36, 44, kLine), kAccent);
    canvas.paint(Canvas::stroke(42, 38, 36, 44, kLine), kAccent);
    return canvas;
}

// Two linked devices: files sent by a DICOM node.
Canvas dicomNodePrompt() {
    Canvas canvas = card();
    auto box = [&canvas](float x0, float y0, float x1, float y1) {
        canvas.paint(Canvas::minus(Canvas::roundedRect(x0, y0, x1, y1, 3),
                                   Canvas::roundedRect(x0 + 2, y0 + 2, x1 - 2, y1 - 2, 2)),
                     kAccent);
    };
    box(14, 18, 32, 34);
    box(40, 38, 58, 54);
    canvas.paint(Canvas::stroke(23, 34, 23, 46, kLine), kAccent);
    canvas.paint(Canvas::stroke(23, 46, 40, 46, kLine), kAccent);
    canvas.paint(Canvas::stroke(36, 42, 40, 46, kLine), kAccent);
    canvas.paint(Canvas::stroke(36, 50, 40, 46, kLine), kAccent);
    return canvas;
}

} // namespace

const std::vector<Picture>& screenPictures() {
    static const std::vector<Picture> list = [] {
        std::vector<Picture> all = {
        {"imgs/search", search},
        {"imgs/favorite", favorite},
        {"imgs/logout", signedOut},
        {"imgs/logo", signedIn},
        {"imgs/Wi-Fi-Green", networkUp},
        {"imgs/Wi-Fi-Red", networkDown},
        {"imgs/newFiles", badge},
        {"imgs/chevron", chevron},
        {"imgs/btnRed", redButton},
        {"imgs/btnGrey", greyButton},
        {"imgs/shareBlue", share},
        {"res/redCircle", redCircle},
        {"res/desktopPrompt", desktopPrompt},
        {"res/dicomNodePrompt", dicomNodePrompt},
        };
        // The send panel's pictures live in "imgs" too.
        for (const Picture& picture : sendPanelPictures())
            all.push_back({"imgs/" + picture.name, picture.draw});
        for (const Picture& picture : viewingPictures())
            all.push_back({"imgs/" + picture.name, picture.draw});
        for (const Picture& picture : viewingToolPictures())
            all.push_back(picture);
        for (const Picture& picture : favoritePictures())
            all.push_back(picture);
        return all;
    }();
    return list;
}

} // namespace uires
