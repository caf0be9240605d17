// Flat JSON records: reading and writing keys in place.

#include "json/UIJson.h"

#include <gtest/gtest.h>

using NSUI::UIJson;

TEST(UIJson, SetOnEmptyThenReplaceThenAppend)
{
    std::string json;
    UIJson::setJsonInt(json, "n", 5);
    EXPECT_EQ(json, "{\"n\":\"5\"}");
    UIJson::setJsonInt(json, "n", 7);
    EXPECT_EQ(json, "{\"n\":\"7\"}");
    UIJson::setJsonString(json, "m", "x");
    EXPECT_EQ(json, "{\"n\":\"7\",\"m\":\"x\"}");
    UIJson::setJsonFloat(json, "f", 1.5f);
    EXPECT_EQ(json, "{\"n\":\"7\",\"m\":\"x\",\"f\":\"1.500000\"}");
}

TEST(UIJson, SetOnEmptyObjectHasNoLeadingComma)
{
    std::string json = "{}";
    UIJson::setJsonString(json, "k", "v");
    EXPECT_EQ(json, "{\"k\":\"v\"}");
    std::string spaced = "{ } ";
    UIJson::setJsonString(spaced, "k", "v");
    EXPECT_EQ(UIJson::getJsonString(spaced, "k"), "v");
}

TEST(UIJson, BareValuesReadAndReplaced)
{
    std::string json = "{\"n\": 12,\"b\":true}";
    EXPECT_EQ(UIJson::getJsonInt(json, "n", -1), 12);
    EXPECT_EQ(UIJson::getJsonString(json, "n"), " 12");
    EXPECT_EQ(UIJson::getJsonString(json, "b"), "true");
    UIJson::setJsonInt(json, "n", 3);
    EXPECT_EQ(json, "{\"n\":\"3\",\"b\":true}");
}

TEST(UIJson, QuotedValuesWithSeparatorsReadWholeAndKeepLaterKeys)
{
    std::string json;
    UIJson::setJsonString(json, "a", "x,y]z}");
    UIJson::setJsonString(json, "b", "after");
    EXPECT_EQ(UIJson::getJsonString(json, "a"), "x,y]z}");
    EXPECT_EQ(UIJson::getJsonString(json, "b"), "after");
    UIJson::setJsonString(json, "a", "short");
    EXPECT_EQ(json, "{\"a\":\"short\",\"b\":\"after\"}");
}

TEST(UIJson, QuotesAndBackslashesInValuesRoundTrip)
{
    std::string json;
    UIJson::setJsonString(json, "q", "say \"hi\" \\ ok");
    UIJson::setJsonString(json, "next", "1");
    EXPECT_EQ(UIJson::getJsonString(json, "q"), "say \"hi\" \\ ok");
    EXPECT_EQ(UIJson::getJsonString(json, "next"), "1");
    // Plain values keep the plain format other installations read.
    std::string plain;
    UIJson::setJsonString(plain, "ip", "127.0.0.1");
    EXPECT_EQ(plain, "{\"ip\":\"127.0.0.1\"}");
}

TEST(UIJson, ArraysAreSkippedAndTheirStringsAreNoKeys)
{
    const std::string json = "{\"list\":[\"k\",\"x\",[\"]\"]],\"k\":\"real\"}";
    EXPECT_EQ(UIJson::getJsonString(json, "k"), "real");
    EXPECT_EQ(UIJson::getJsonString("{\"list\":[\"only\",\"v\"]}", "only", "absent"), "absent");
}

TEST(UIJson, MissingOrMalformedGivesDefaults)
{
    EXPECT_EQ(UIJson::getJsonInt("", "n", 4), 4);
    EXPECT_EQ(UIJson::getJsonString("{\"a\":\"1\"}", "A", "d"), "d");
    EXPECT_EQ(UIJson::getJsonString("{\"a\":\"unterminated}", "a", "d"), "d");
    EXPECT_EQ(UIJson::getJsonInt("{\"a\":\"zz\"}", "a", 9), 0);
    EXPECT_FLOAT_EQ(UIJson::getJsonFloat("{\"a\":\"0.100000\"}", "a", 0), 0.1f);
    EXPECT_FLOAT_EQ(UIJson::getJsonFloat("{}", "a", 2.5f), 2.5f);

    // A text that is no object is not damaged by a set.
    std::string text = "plain words";
    UIJson::setJsonString(text, "k", "v");
    EXPECT_EQ(text, "plain words");
}

TEST(UIJson, KeyMatchIsExactAndValueSpanIsReported)
{
    const std::string json = "{\"ab\":\"1\",\"a\":\"2\"}";
    EXPECT_EQ(UIJson::getJsonString(json, "a"), "2");
    UIJson::Position start = 0;
    UIJson::Position end = 0;
    ASSERT_TRUE(UIJson::findJsonValue(json, "ab", start, end));
    EXPECT_EQ(json[start], '"');
    EXPECT_EQ(json.substr(start + 1, end - start - 1), "1");
    EXPECT_FALSE(UIJson::findJsonValue(json, "b", start, end));
    EXPECT_EQ(start, -1);
}
