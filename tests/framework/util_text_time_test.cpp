// Text formatting, splitting, conversions and date-time texts.

#include "util/StringUtils.h"
#include "util/TimeUtils.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

TEST(FormatString, LimitIsExact)
{
    EXPECT_EQ(formatString("%s-%03d", "a", 7), "a-007");
    EXPECT_EQ(formatString("%*s", kFormatStringLimit, "x").size(), size_t(kFormatStringLimit));
    EXPECT_EQ(formatString("%*s", kFormatStringLimit + 1, "x"), "");
    EXPECT_EQ(intToString(-42), "-42");
}

TEST(FormatString, ConcurrentCallsDoNotShareStorage)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong {0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &wrong] {
            for (int i = 0; i < 2000; ++i) {
                std::string s = formatString("%d:%d", t, i);
                if (s != std::to_string(t) + ":" + std::to_string(i))
                    ++wrong;
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(wrong, 0);
}

TEST(FloatToString, TrailingZerosAndPointDropped)
{
    EXPECT_EQ(floatToString(0.5f, 3), "0.5");
    EXPECT_EQ(floatToString(7.0f, 2), "7");
    EXPECT_EQ(floatToString(2.5f, 2), "2.5");
    EXPECT_EQ(floatToString(100.0f, 0), "100"); // zeros before the point stay
    EXPECT_EQ(floatToString(-1.25f, 1), "-1.2");
}

TEST(Trim, WhiteSpaceOnlyAndHighBytesKept)
{
    std::string s = " \t\nab c\r\n ";
    trim(s);
    EXPECT_EQ(s, "ab c");
    // UTF-8 bytes are negative as char; they are text, not space.
    std::string utf = "\xC3\xA9t\xC3\xA9 \xA0";
    trimLeft(utf);
    trimRight(utf);
    EXPECT_EQ(utf, "\xC3\xA9t\xC3\xA9 \xA0");
    std::string blank = "   ";
    trim(blank);
    EXPECT_EQ(blank, "");
}

TEST(SplitString, EmptyPiecesAndEmptyDelimiter)
{
    std::vector<std::string> out;
    splitString("a,,b,", ",", out);
    EXPECT_EQ(out, (std::vector<std::string> {"a", "", "b", ""}));
    out.clear();
    splitString("", ",", out);
    EXPECT_EQ(out, (std::vector<std::string> {""}));
    out.clear();
    splitString("a::b", "::", out);
    EXPECT_EQ(out, (std::vector<std::string> {"a", "b"}));
    out.clear();
    splitString("abc", "", out);
    EXPECT_EQ(out, (std::vector<std::string> {"abc"}));
}

TEST(ReplaceAll, InsertedTextIsNotRescanned)
{
    std::string s = "aaa";
    replaceAll(s, "a", "aa");
    EXPECT_EQ(s, "aaaaaa");
    replaceAll(s, "", "x");
    EXPECT_EQ(s, "aaaaaa");
    std::string path = "a\\b\\c";
    replaceAll(path, "\\", "/");
    EXPECT_EQ(path, "a/b/c");
}

TEST(TextConversion, Utf8WideRoundTripAndInvalidBytes)
{
    const char* text = "Gr\xC3\xBC\xC3\x9F" "e \xE4\xB8\xAD \xF0\x9F\x98\x80";
    wchar_t* wide = utf8ToWide(text);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(std::wstring(wide), std::wstring(L"Gr\u00FC\u00DFe \u4E2D \U0001F600"));
    EXPECT_EQ(wideToUtf8(wide), text);
    std::free(wide);

    wchar_t* broken = utf8ToWide("a\xC3");
    EXPECT_EQ(std::wstring(broken), std::wstring(L"a\uFFFD"));
    std::free(broken);

    EXPECT_EQ(ansiToUtf8("plain \xC3\xA9"), "plain \xC3\xA9");
    EXPECT_EQ(ansiToUtf8("caf\xE9"), "caf\xC3\xA9");
}

TEST(DateTime, DaysInMonth)
{
    EXPECT_EQ(getDaysInMonth(1900, 2), 28);
    EXPECT_EQ(getDaysInMonth(2000, 2), 29);
    EXPECT_EQ(getDaysInMonth(2024, 2), 29);
    EXPECT_EQ(getDaysInMonth(2023, 4), 30);
    EXPECT_EQ(getDaysInMonth(2024, 13), 0);
    EXPECT_EQ(getDaysInMonth(2024, 0), 0);
}

TEST(DateTime, FormatParseCompare)
{
    const int in[6] = {2024, 3, 5, 7, 8, 9};
    const std::string text = formatDateTime(in);
    EXPECT_EQ(text, "2024-03-05 07:08:09");
    int out[6] = {0};
    ASSERT_TRUE(parseDateTime(text, out));
    EXPECT_EQ(std::vector<int>(out, out + 6), std::vector<int>(in, in + 6));
    EXPECT_FALSE(parseDateTime(text.substr(0, 18), out));

    EXPECT_EQ(compareDateTime(text, text), 1);
    EXPECT_EQ(compareDateTime("2024-03-05 07:08:10", text), 1);
    EXPECT_EQ(compareDateTime("2023-12-31 23:59:59", text), 0);
    EXPECT_EQ(compareDateTime("bad", text), 0);
    EXPECT_EQ(compareDateTime(text, ""), 0);
}

TEST(DateTime, CurrentTimeAndTimestamp)
{
    const std::string now = getCurrentTimeString();
    int fields[6];
    ASSERT_TRUE(parseDateTime(now, fields));
    EXPECT_EQ(now.size(), 19u);
    EXPECT_GE(fields[0], 2024);
    const long long stamp = std::atoll(getTimestampString().c_str());
    EXPECT_NEAR(stamp, static_cast<long long>(std::time(nullptr)), 2);
}

TEST(DateTime, SleepForMilliseconds)
{
    auto start = std::chrono::steady_clock::now();
    sleepFor(0, 30000000);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, 30);
    EXPECT_LT(ms, 1000);
}
