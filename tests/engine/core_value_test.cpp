// Value conversions, byte buffers and strict Base64.

#include <gtest/gtest.h>

#include <cstdlib>

#include "cocos2d.h"

using namespace cocos2d;

TEST(ValueConversions, ScalarsBecomeText)
{
    EXPECT_EQ("42", Value(42).asString());
    EXPECT_EQ("-7", Value(-7).asString());
    EXPECT_EQ("4000000000", Value(4000000000u).asString());
    EXPECT_EQ("1.5", Value(1.5).asString());
    EXPECT_EQ("0.1", Value(0.1).asString());
    EXPECT_EQ("0.1", Value(0.1f).asString());
    EXPECT_EQ("1e+20", Value(1e20).asString());
    EXPECT_EQ("true", Value(true).asString());
    EXPECT_EQ("false", Value(false).asString());
    EXPECT_EQ("", Value().asString());
    EXPECT_EQ("", Value(ValueVector()).asString());
}

TEST(ValueConversions, TextAndNumbersConvertBothWays)
{
    EXPECT_EQ(12, Value("12abc").asInt());
    EXPECT_EQ(0, Value("abc").asInt());
    EXPECT_DOUBLE_EQ(2.25, Value("2.25").asDouble());
    EXPECT_EQ(3, Value(3.9).asInt());
    EXPECT_EQ(0, Value(1e30).asInt()); // out of range is not undefined behaviour
    EXPECT_TRUE(Value("yes").asBool());
    EXPECT_FALSE(Value("false").asBool());
    EXPECT_FALSE(Value("0").asBool());
    EXPECT_FALSE(Value("").asBool());
    EXPECT_TRUE(Value(2).asBool());
    EXPECT_EQ(1, Value(true).asInt());
}

TEST(ValueContainers, CopiesAreDeepAndMovesEmptyTheSource)
{
    ValueMap inner{{"k", Value(1)}};
    ValueMap outer{{"inner", Value(inner)}, {"list", Value(ValueVector{Value("a"), Value(2)})}};
    Value v(outer);
    Value copy = v;
    copy.asValueMap()["inner"].asValueMap()["k"] = Value(2);
    EXPECT_EQ(1, v.asValueMap().at("inner").asValueMap().at("k").asInt());
    EXPECT_FALSE(v == copy);

    Value moved(std::move(copy));
    EXPECT_TRUE(copy.isNull());
    EXPECT_EQ(2, moved.asValueMap().at("list").asValueVector().size());

    // Assigning a part of a value to the value itself must not read freed memory.
    moved = moved.asValueMap().at("list").asValueVector();
    ASSERT_EQ(Value::Type::VECTOR, moved.getType());
    EXPECT_EQ("a", moved.asValueVector()[0].asString());

    const Value scalar(5);
    EXPECT_TRUE(scalar.asValueMap().empty());
}

TEST(DataBuffer, CopyMoveAndTake)
{
    Data d;
    EXPECT_TRUE(d.isNull());
    const unsigned char bytes[] = {1, 2, 3};
    ASSERT_TRUE(d.copy(bytes, 3));
    Data c = d;
    EXPECT_EQ(3, c.getSize());
    EXPECT_NE(d.getBytes(), c.getBytes());
    Data m = std::move(c);
    EXPECT_TRUE(c.isNull());
    ssize_t size = 0;
    unsigned char* taken = m.takeBuffer(&size);
    EXPECT_EQ(3, size);
    EXPECT_EQ(2, taken[1]);
    EXPECT_TRUE(m.isNull());
    free(taken);
    EXPECT_FALSE(d.copy(nullptr, 4));
    EXPECT_TRUE(d.isNull());
}

TEST(Base64, KnownVectorsRoundTrip)
{
    const char* plain[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
    const char* encoded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(encoded[i], safeBase64Encode(std::string(plain[i])));
        EXPECT_EQ(plain[i], safeBase64Decode(std::string(encoded[i])));
    }
    std::string binary("\x00\xff\x10\x80", 4);
    EXPECT_EQ(binary, safeBase64Decode(safeBase64Encode(binary)));
    // Text received from outside may come in lines; what remains is decoded as strictly.
    EXPECT_EQ("foob", safeBase64DecodeReceived("Zm9v\r\nYg==\n"));
    EXPECT_EQ("", safeBase64DecodeReceived("Zm9v\nYg=\n"));
}

TEST(Base64, InvalidTextDecodesToNothing)
{
    const char* bad[] = {"Zg=",      "Zg",       "Zm9v!A==", "Zm 9v",    "Zg==Zg==", "=Zg=", "Z===",
                         "Zm9vYg=x", "Zh==" /* non-zero spare bits */,   "Zm9\nv",   "===="};
    for (const char* text : bad) {
        EXPECT_EQ("", safeBase64Decode(std::string(text))) << text;
        unsigned char* out = reinterpret_cast<unsigned char*>(1);
        EXPECT_EQ(0, safeBase64Decode(reinterpret_cast<const unsigned char*>(text),
                                      static_cast<unsigned int>(strlen(text)), &out))
            << text;
        EXPECT_EQ(nullptr, out);
    }
}

TEST(Base64, BufferFormsAreTerminatedAndOwnedByCaller)
{
    char* enc = nullptr;
    int n = safeBase64Encode(reinterpret_cast<const unsigned char*>("hello"), 5, &enc);
    ASSERT_EQ(8, n);
    EXPECT_STREQ("aGVsbG8=", enc);
    unsigned char* dec = nullptr;
    int m = safeBase64Decode(reinterpret_cast<unsigned char*>(enc), static_cast<unsigned int>(n), &dec);
    ASSERT_EQ(5, m);
    EXPECT_STREQ("hello", reinterpret_cast<char*>(dec));
    free(enc);
    free(dec);
    EXPECT_EQ("hi", safeBase64DecodeString("aGk=", 4));
    EXPECT_EQ("", safeBase64DecodeString(nullptr, 4));
}
