#pragma once
// Turning texts taken from DICOM tags into safe, distinct path components.

#include <cstddef>
#include <string>

namespace dcmSDK {

/// Escapes a text into one path component: letters, digits, ".", "-", "^", blank and
/// UTF-8 bytes pass; everything else (separators, control characters, "%", "_", "~") becomes
/// "%XX", and so does a leading "."; an empty text becomes "%". The mapping is injective.
/// When the escaped text is longer than maxBytes it is cut and ends in "~" plus 16 hex digits
/// of a 64-bit hash of the whole text. With allowUnderscore "_" passes too (file names).
std::string escapePathComponent(const std::string& text, size_t maxBytes, bool allowUnderscore = false);

/// A name beside path for writing before renaming onto it, unique within the machine's
/// processes and threads.
std::string temporarySibling(const std::string& path);

/// 64-bit FNV-1a of a text.
unsigned long long fnv1a64(const std::string& text);

/// Copies at most size - 1 bytes of text into a zero-filled buffer, never splitting a UTF-8
/// character.
void copyToSlot(char* slot, size_t size, const std::string& text);

} // namespace dcmSDK
