#pragma once
// Registers the decompression codecs (JPEG, JPEG-LS, RLE) with DCMTK exactly once.

namespace dcmSDK {

/// The process-wide codec registration; every reading path calls ensure() first.
class CodecRegistry {
public:
    /// Registers the codecs unless they are registered already; thread-safe.
    static void ensure();
    /// Deregisters them (at library shutdown); a later ensure() registers them again.
    static void cleanup();
};

} // namespace dcmSDK
