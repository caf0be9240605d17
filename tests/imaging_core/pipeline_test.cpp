// Pipeline stages, their reference counting and the shared-object registry.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/core/data/isImageData.h"
#include "imaging/core/object/isImageFilter.h"
#include "imaging/core/object/isSharedObjects.h"

using namespace isImageSDK;

namespace {

std::vector<std::string> g_runs;

/// A filter that logs its data runs and is a source when it has no input.
class LoggingFilter : public isImageFilter {
public:
    static LoggingFilter* make(const std::string& name)
    {
        auto* f = new LoggingFilter();
        f->init();
        f->setName(name);
        return f; // one reference owned by the test
    }
    void execute(isImageData*, isImageData*) override { g_runs.push_back(getName()); }
};

} // namespace

TEST(Pipeline, SettingTheSameInputTwiceChangesNothing)
{
    LoggingFilter* source = LoggingFilter::make("source");
    LoggingFilter* filter = LoggingFilter::make("filter");
    isImageData* image = source->getOutputImage();
    filter->setInputImage(image);
    const unsigned refs = image->getReferenceCount();
    for (isFilterObject* stage : {static_cast<isFilterObject*>(filter), static_cast<isFilterObject*>(image)}) {
        stage->setInformationModified(false);
        stage->setDataModified(false);
    }
    filter->setInputImage(image);
    EXPECT_EQ(image->getReferenceCount(), refs);
    EXPECT_FALSE(filter->isInformationModified());
    EXPECT_FALSE(filter->isDataModified());
    ASSERT_EQ(image->getConsumers().size(), 1u);
    filter->release();
    source->release();
}

TEST(Pipeline, OutputDoesNotKeepItsProducerAlive)
{
    LoggingFilter* source = LoggingFilter::make("source");
    isImageData* image = source->getOutputImage();
    EXPECT_EQ(image->getInput(), source);
    EXPECT_EQ(source->getReferenceCount(), 1u);
    image->retain();
    source->release(); // destroys the filter: the image is detached, not dangling
    EXPECT_EQ(image->getInput(), nullptr);
    EXPECT_EQ(image->getReferenceCount(), 1u);
    image->release();
}

TEST(Pipeline, UpdateRunsModifiedStagesOnceUpstreamFirst)
{
    g_runs.clear();
    LoggingFilter* source = LoggingFilter::make("source");
    LoggingFilter* middle = LoggingFilter::make("middle");
    LoggingFilter* last = LoggingFilter::make("last");
    middle->setInputImage(source->getOutputImage());
    last->setInputImage(middle->getOutputImage());
    source->setModified();

    last->getOutputImage()->Update();
    EXPECT_EQ(g_runs, (std::vector<std::string>{"source", "middle", "last"}));
    g_runs.clear();
    last->getOutputImage()->Update();
    EXPECT_TRUE(g_runs.empty());

    // A change in the middle reruns only what lies downstream of it.
    middle->setDataModified(true);
    last->getOutputImage()->Update();
    EXPECT_EQ(g_runs, (std::vector<std::string>{"middle", "last"}));
    last->release();
    middle->release();
    source->release();
}

TEST(Pipeline, RegistryListsAnObjectOnceAndFindsItByName)
{
    isSharedObjects* registry = isSharedObjects::getInstance();
    isImageData* image = isImageData::create();
    image->setName("/series/a/");
    const unsigned refs = image->getReferenceCount();
    registry->addObject(image);
    registry->addObject(image);
    EXPECT_EQ(image->getReferenceCount(), refs + 1);
    EXPECT_EQ(registry->getObjectByName("/series/a/"), image);
    EXPECT_EQ(registry->getObjectByName("/series/a"), nullptr);
    registry->removeObjectByName("/series/a/");
    EXPECT_EQ(image->getReferenceCount(), refs);
    EXPECT_EQ(registry->getObjectByName("/series/a/"), nullptr);
    registry->removeObject(image); // absent: nothing happens
    EXPECT_EQ(image->getReferenceCount(), refs);
}
