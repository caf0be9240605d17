#pragma once
// Readies the drawing states of a view's first picture before it is drawn: a software renderer
// compiles code for each new combination of program and state at its first draw, which would
// otherwise hold up the first frame that shows a series.

namespace isImageSDK {

class isViewWarmUp {
public:
    /// Draws once, clipped to nothing, in each state a view draws its pictures with (the depth
    /// cleared inside its clip, the window/level program and the sprite program depth-tested
    /// and blended), so that no pixel changes. Main thread, outside drawing, with the window's
    /// framebuffer bound; does nothing without a GL context.
    static void run();
};

} // namespace isImageSDK
