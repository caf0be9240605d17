#include "util/TimeUtils.h"

#include "util/StringUtils.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

int getDaysInMonth(int year, int month)
{
    switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
        return 31;
    case 4: case 6: case 9: case 11:
        return 30;
    case 2:
        return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 29 : 28;
    default:
        return 0;
    }
}

std::string formatDateTime(const int fields[6])
{
    return formatString("%d-%02d-%02d %02d:%02d:%02d", fields[0], fields[1], fields[2], fields[3],
                        fields[4], fields[5]);
}

bool parseDateTime(const std::string& text, int fields[6])
{
    if (text.size() < 19)
        return false;
    fields[0] = std::atoi(text.substr(0, 4).c_str());
    static const size_t places[] = {5, 8, 11, 14, 17};
    for (int i = 0; i < 5; ++i)
        fields[i + 1] = std::atoi(text.substr(places[i], 2).c_str());
    return true;
}

int compareDateTime(std::string a, std::string b)
{
    int fa[6];
    int fb[6];
    if (!parseDateTime(a, fa) || !parseDateTime(b, fb))
        return 0;
    for (int i = 0; i < 6; ++i) {
        if (fa[i] != fb[i])
            return fa[i] > fb[i] ? 1 : 0;
    }
    return 1;
}

std::string getTimestampString()
{
    return formatString("%u", static_cast<unsigned>(std::time(nullptr)));
}

std::string getCurrentTimeString()
{
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    const int fields[6] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                           local.tm_hour, local.tm_min, local.tm_sec};
    return formatDateTime(fields);
}

void sleepFor(unsigned seconds, unsigned nanoseconds)
{
    const unsigned long long ms =
        static_cast<unsigned long long>(seconds) * 1000ULL + nanoseconds / 1000000U;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
