#pragma once
// Date and time texts ("YYYY-MM-DD HH:MM:SS"), calendar helpers and sleeping.

#include <string>

/// Days of the month (Gregorian leap years); 0 for a month outside 1..12.
int getDaysInMonth(int year, int month);
/// fields: year, month, day, hour, minute, second.
std::string formatDateTime(const int fields[6]);
/// Reads the six fields from their fixed places; false for a text under 19 characters.
bool parseDateTime(const std::string& text, int fields[6]);
/// 1 when a is the same moment as b or later; 0 when earlier or either does not parse.
int compareDateTime(std::string a, std::string b);
/// Seconds since 1970 as unsigned 32-bit decimal text.
std::string getTimestampString();
/// The local time as a date-time text.
std::string getCurrentTimeString();
/// Sleeps for the given time, in whole milliseconds.
void sleepFor(unsigned seconds, unsigned nanoseconds);
