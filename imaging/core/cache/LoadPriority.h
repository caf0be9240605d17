#pragma once
// How far the threads that open a series step back for the screen: while a series loads, the
// main thread builds the views and draws the first image, and must not queue for a processor
// behind the header scan or the decoders.

namespace isImageSDK {

class LoadPriority {
public:
    /// The header scan: ahead of the decoders, behind the screen.
    static constexpr int kScan = 5;
    /// The decoders, which fill the rest of the series behind the first image.
    static constexpr int kDecode = 10;

    /// Gives the calling thread that niceness (threads it starts later inherit it). Only a
    /// hint: where it is refused, the thread keeps its priority.
    static void lowerCurrentThread(int nice);
};

} // namespace isImageSDK
