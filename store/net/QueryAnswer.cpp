#include "net/QueryAnswer.h"

#include <cctype>

namespace {

bool isTagKey(const std::string& text, size_t at)
{
    if (at + 9 > text.size() || text[at + 4] != ',')
        return false;
    for (size_t i = 0; i < 9; ++i)
        if (i != 4 && !isxdigit(static_cast<unsigned char>(text[at + i])))
            return false;
    return true;
}

} // namespace

std::map<std::string, std::string> QueryAnswer::entries(const std::string& text)
{
    std::map<std::string, std::string> out;
    size_t open = text.find('[');
    while (open != std::string::npos) {
        size_t close = text.find(']', open + 1);
        if (close == std::string::npos)
            break;
        if (open >= 9 && isTagKey(text, open - 9)) {
            std::string key = text.substr(open - 9, 9);
            for (char& c : key)
                c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            out.emplace(key, text.substr(open + 1, close - open - 1));
        }
        open = text.find('[', close + 1);
    }
    return out;
}

std::string QueryAnswer::dateTime(const std::string& date, const std::string& time)
{
    std::string digits;
    for (char c : date + time)
        if (isdigit(static_cast<unsigned char>(c)))
            digits += c;
    // Answers with a short or missing time are common; only a full stamp is reformatted.
    if (digits.size() < 14)
        return time.empty() ? date : date + " " + time;
    return digits.substr(0, 4) + "." + digits.substr(4, 2) + "." + digits.substr(6, 2) + " " + digits.substr(8, 2) +
           ":" + digits.substr(10, 2) + ":" + digits.substr(12, 2);
}

QueryAnswer* QueryAnswer::parse(const std::string& text)
{
    auto* answer = new QueryAnswer();
    answer->autorelease();
    std::map<std::string, std::string> tags = entries(text);
    auto get = [&](const char* key) {
        auto found = tags.find(key);
        return found == tags.end() ? std::string() : found->second;
    };
    answer->isSeries = tags.count("0008,0060") > 0;
    if (answer->isSeries) {
        answer->fields = {get("0008,0060"), dateTime(get("0008,0021"), get("0008,0031")), get("0008,103e"),
                          get("0020,000d"), get("0020,000e"), get("0020,0011"), get("0020,1209")};
    } else {
        answer->fields = {get("0010,0010"), dateTime(get("0008,0020"), get("0008,0030")), get("0008,0080"),
                          get("0008,1030"), get("0010,0020"), get("0010,0030"), get("0010,0040"),
                          get("0020,000d"), get("0020,0010")};
    }
    return answer;
}
