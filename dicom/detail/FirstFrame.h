#pragma once
// Reading the first frame of a file's pixel data alone, for a preview picture. Internal to
// the library.

#include <dcmtk/dcmdata/dctk.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace dcmSDK {

/// The first frame of native or encapsulated pixel data, taken so that the other frames'
/// bytes stay on disk when the file was parsed lazily.
class FirstFrame {
public:
    /// The first `bytes` bytes of native pixel data whose value is still on disk, read from
    /// the file in host byte order. False when the value is shorter or cannot be read.
    static bool readNative(DcmElement& pixels, uint64_t bytes, std::vector<uint8_t>& out);

    /// A new sequence with an empty offset table and copies of the fragments that hold the
    /// first of `frames` frames (a single frame keeps every fragment); the copies read their
    /// values from disk when used. Null when the sequence has no fragment. The caller owns it.
    static DcmPixelSequence* fragments(DcmPixelSequence& seq, E_TransferSyntax xfer, uint32_t frames);

    /// A data set of one frame for the toolkit's codecs: the image pixel description and the
    /// SOP class of `from`, which decide how the codecs decode, and `seq` as its pixel data
    /// in transfer syntax `xfer` (the data set takes `seq` over).
    static std::unique_ptr<DcmDataset> dataset(DcmDataset& from, E_TransferSyntax xfer,
                                               DcmPixelSequence* seq);
};

} // namespace dcmSDK
