#pragma once
// Standard-alphabet Base64 (RFC 4648, '=' padding, no line breaks) with a strict decoder.

#include <string>

namespace cocos2d {

/// Encodes inLength bytes; *out gets a malloc'd NUL-terminated text (free it) and the result is
/// its length. An empty input gives 0 and a null *out.
int safeBase64Encode(const unsigned char* in, unsigned int inLength, char** out);

/// Decodes strictly: the length must be a multiple of four, only the alphabet and final '='
/// padding may appear, and unused bits must be zero. On success *out gets a malloc'd buffer
/// (free it) with a NUL after the decoded bytes and the result is the byte count; invalid or
/// empty input gives 0 and a null *out.
int safeBase64Decode(const unsigned char* in, unsigned int inLength, unsigned char** out);

std::string safeBase64Encode(const std::string& bytes);
/// The decoded bytes, or "" when the text is not valid Base64.
std::string safeBase64Decode(const std::string& text);
/// The same for a text given by pointer and length.
std::string safeBase64DecodeString(const char* text, unsigned int length);
/// Decodes text that came from outside (a server reply, a file a server wrote): the blanks and
/// line breaks that servers and encoders add (a trailing newline, a break every 76 characters)
/// are dropped first; what remains is decoded as strictly as safeBase64Decode.
std::string safeBase64DecodeReceived(const std::string& text);

} // namespace cocos2d
