// Text-keyed dictionary: building from property lists, replacing, cloning, long keys.

#include "dict/NSDictionary.h"
#include "support/TestSupport.h"

#include "base/AutoreleasePool.h"
#include "base/PoolManager.h"
#include "base/__Array.h"
#include "base/__String.h"

#include <gtest/gtest.h>

using NSUI::NSDictionary;

namespace {

const char* kPlist = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>english</key>
  <dict>
    <key>ok</key><string>OK</string>
    <key>cancel</key><string>Cancel</string>
  </dict>
  <key>Red</key>
  <array><string>0</string><integer>12</integer><array><true/></array><dict><key>k</key><string>v</string></dict></array>
  <key>flag</key><true/>
  <key>count</key><integer>42</integer>
</dict>
</plist>
)";

class Plain : public cocos2d::Ref {};

void drainPool()
{
    cocos2d::PoolManager::getInstance()->getCurrentPool()->clear();
}

const char* text(cocos2d::Ref* object)
{
    auto* s = dynamic_cast<cocos2d::__String*>(object);
    return s ? s->getCString() : "<not a string>";
}

} // namespace

TEST(NSDictionary, BuildsNestedMapsArraysAndTextValues)
{
    NSDictionary* dict = NSDictionary::createWithContentsOfData(kPlist);
    ASSERT_NE(dict, nullptr);
    EXPECT_EQ(dict->count(), 4u);

    auto* english = dynamic_cast<NSDictionary*>(dict->objectForKey("english"));
    ASSERT_NE(english, nullptr);
    EXPECT_STREQ(text(english->objectForKey("ok")), "OK");
    EXPECT_EQ(english->objectForKey("missing"), nullptr);

    auto* red = dynamic_cast<cocos2d::__Array*>(dict->objectForKey("Red"));
    ASSERT_NE(red, nullptr);
    ASSERT_EQ(red->count(), 4);
    EXPECT_STREQ(text(red->getObjectAtIndex(0)), "0");
    EXPECT_STREQ(text(red->getObjectAtIndex(1)), "12");
    auto* inner = dynamic_cast<cocos2d::__Array*>(red->getObjectAtIndex(2));
    ASSERT_NE(inner, nullptr);
    EXPECT_STREQ(text(inner->getObjectAtIndex(0)), "true");
    auto* innerDict = dynamic_cast<NSDictionary*>(red->getObjectAtIndex(3));
    ASSERT_NE(innerDict, nullptr);
    EXPECT_STREQ(text(innerDict->objectForKey("k")), "v");

    EXPECT_STREQ(text(dict->objectForKey("flag")), "true");
    EXPECT_STREQ(text(dict->objectForKey("count")), "42");
    EXPECT_EQ(dict->objectForKey("Count"), nullptr);

    // After the frame's pool drains, the table's references are the only ones left.
    dict->retain();
    drainPool();
    EXPECT_EQ(dict->getReferenceCount(), 1u);
    EXPECT_EQ(english->getReferenceCount(), 1u);
    EXPECT_EQ(red->getReferenceCount(), 1u);
    dict->release();
}

TEST(NSDictionary, FileGivesAnOwnedReferenceAndBadInputAnEmptyTable)
{
    qptest::TempDir dir;
    ASSERT_TRUE(qptest::writeFile(dir.file("c.plist"), kPlist));
    NSDictionary* dict = NSDictionary::createWithContentsOfFile(dir.file("c.plist").c_str());
    drainPool();
    ASSERT_NE(dict, nullptr);
    EXPECT_EQ(dict->getReferenceCount(), 1u); // the caller's, not the pool's
    EXPECT_NE(dict->objectForKey("Red"), nullptr);
    dict->release();

    NSDictionary* missing = NSDictionary::createWithContentsOfFile(dir.file("none.plist").c_str());
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->count(), 0u);
    EXPECT_EQ(missing->objectForKey("Red"), nullptr);
    missing->release();

    NSDictionary* garbage = NSDictionary::createWithContentsOfData("not a property list");
    EXPECT_EQ(garbage->count(), 0u);
    EXPECT_EQ(NSDictionary::createWithContentsOfData("")->count(), 0u);
    drainPool();
}

TEST(NSDictionary, ReplacingKeepsOneElementAndReleasesTheOld)
{
    NSDictionary* dict = NSDictionary::create();
    auto* first = new Plain();
    auto* second = new Plain();
    dict->setObject(first, "k");
    dict->setObject(first, "k"); // the same object again changes nothing
    EXPECT_EQ(first->getReferenceCount(), 2u);
    dict->setObject(second, "k");
    EXPECT_EQ(dict->count(), 1u);
    EXPECT_EQ(dict->objectForKey("k"), second);
    EXPECT_EQ(first->getReferenceCount(), 1u);
    EXPECT_EQ(second->getReferenceCount(), 2u);
    dict->setObject(nullptr, "k");
    EXPECT_EQ(dict->objectForKey("k"), second);

    // A replaced object that owns its replacement stays alive until the swap is done.
    NSDictionary* owner = NSDictionary::create();
    owner->retain();
    auto* child = new Plain();
    owner->setObject(child, "child");
    child->release();
    dict->setObject(owner, "k");
    owner->release();
    dict->retain();
    drainPool(); // now dict holds the owner's only reference
    dict->setObject(child, "k");
    EXPECT_EQ(dict->objectForKey("k"), child);
    EXPECT_EQ(child->getReferenceCount(), 1u);

    dict->removeAllObjects();
    EXPECT_EQ(dict->count(), 0u);
    EXPECT_EQ(second->getReferenceCount(), 1u);
    first->release();
    second->release();
    dict->release();
}

TEST(NSDictionary, LongKeysAreKeptWhole)
{
    NSDictionary* dict = NSDictionary::create();
    const std::string longKey = std::string(44, 'a') + std::string(256, 'b');
    dict->setObject(cocos2d::__String::create("long"), longKey);
    EXPECT_STREQ(text(dict->objectForKey(longKey)), "long");
    EXPECT_EQ(dict->objectForKey(std::string(256, 'b')), nullptr);
    drainPool();
}

TEST(NSDictionary, CloneCopiesClonableObjectsOnly)
{
    NSDictionary* dict = NSDictionary::createWithContentsOfData(kPlist);
    auto* plain = new Plain();
    dict->setObject(plain, "plain");
    plain->release();

    NSDictionary* copy = dict->clone();
    EXPECT_EQ(copy->count(), dict->count() - 1);
    EXPECT_EQ(copy->objectForKey("plain"), nullptr);
    EXPECT_NE(copy->objectForKey("count"), dict->objectForKey("count"));
    EXPECT_STREQ(text(copy->objectForKey("count")), "42");
    auto* english = dynamic_cast<NSDictionary*>(copy->objectForKey("english"));
    ASSERT_NE(english, nullptr);
    EXPECT_STREQ(text(english->objectForKey("cancel")), "Cancel");
    drainPool();
}
