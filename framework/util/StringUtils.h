#pragma once
// Text helpers used across the system: printf-style formatting, trimming, splitting,
// replacing and conversions between UTF-8, wide and ANSI texts.

#include <string>
#include <vector>

/// Longest text formatString returns; a longer result gives the empty text.
constexpr int kFormatStringLimit = 65533;

/// printf-style formatting into a string of its own (safe from any thread).
std::string formatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string intToString(int value);
/// The value with at most `decimals` decimals; trailing zeros and a trailing point dropped.
std::string floatToString(float value, int decimals);

void trimLeft(std::string& text);
void trimRight(std::string& text);
void trim(std::string& text);

/// Appends every piece between delimiters, empty pieces included. An empty delimiter
/// cuts nothing: the whole text is the one piece.
void splitString(std::string text, std::string delimiter, std::vector<std::string>& out);
/// Replaces every occurrence, never rescanning inserted text; an empty `from` changes nothing.
void replaceAll(std::string& text, const std::string& from, const std::string& to);

/// A malloc'd NUL-terminated wide copy (caller frees with free); invalid bytes become U+FFFD.
wchar_t* utf8ToWide(const char* text);
std::string wideToUtf8(const wchar_t* text);
/// Text of the system code page to UTF-8. This platform's code page is UTF-8, so valid
/// UTF-8 passes unchanged; other bytes are taken as Latin-1.
std::string ansiToUtf8(const std::string& text);

/// Debug lines are dropped in this build.
void debugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
