// Reference counting, run-unique ids, autorelease pools per thread and the retaining containers.

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "cocos2d.h"

using namespace cocos2d;

namespace {

// Counts its own destructions so tests can see exactly when the last reference went.
class Probe : public Ref, public Clonable {
public:
    explicit Probe(std::atomic<int>* deaths) : _deaths(deaths) {}
    ~Probe() override { if (_deaths) ++*_deaths; }
    Probe* clone() const override
    {
        auto* p = new Probe(_deaths);
        p->autorelease();
        return p;
    }

private:
    std::atomic<int>* _deaths;
};

class Plain : public Ref {};

} // namespace

TEST(RefCounting, IdsAreUniqueAndNeverReusedEvenForReusedAddresses)
{
    std::set<unsigned int> ids;
    for (int i = 0; i < 1000; ++i) {
        auto* r = new Plain();
        EXPECT_TRUE(ids.insert(r->getRefID()).second);
        r->release();
    }
    auto* a = new Plain();
    unsigned int oldId = a->getRefID();
    a->release();
    auto* b = new Plain(); // likely at a's old address
    EXPECT_NE(oldId, b->getRefID());
    EXPECT_TRUE(b->equal(b));
    EXPECT_FALSE(b->equal(nullptr));
    b->release();
}

TEST(RefCounting, LastReleaseDeletesAndExtraReleaseIsRefused)
{
    std::atomic<int> deaths{0};
    auto* p = new Probe(&deaths);
    p->retain();
    EXPECT_EQ(2u, p->getReferenceCount());
    p->release();
    EXPECT_EQ(0, deaths.load());
    p->release();
    EXPECT_EQ(1, deaths.load());
}

TEST(RefCounting, ConcurrentRetainReleaseKeepsCountExact)
{
    std::atomic<int> deaths{0};
    auto* p = new Probe(&deaths);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([p] {
            for (int i = 0; i < 10000; ++i) {
                p->retain();
                p->release();
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(1u, p->getReferenceCount());
    EXPECT_EQ(0, deaths.load());
    p->release();
    EXPECT_EQ(1, deaths.load());
}

TEST(RefCounting, MemoryCheckCountsLiveObjects)
{
    Ref::enableCheckMemory();
    size_t before = Ref::getLiveObjectCount();
    auto* p = new Plain();
    EXPECT_EQ(before + 1, Ref::getLiveObjectCount());
    p->release();
    EXPECT_EQ(before, Ref::getLiveObjectCount());
}

TEST(AutoreleasePools, MainPoolIsDrainedByTheFrame)
{
    Director* director = Director::getInstance();
    std::atomic<int> deaths{0};
    auto* p = new Probe(&deaths);
    p->autorelease();
    EXPECT_TRUE(PoolManager::getInstance()->isObjectInPools(p));
    EXPECT_EQ(0, deaths.load());
    director->mainLoop(1.0f / 60);
    EXPECT_EQ(1, deaths.load());
}

TEST(AutoreleasePools, NestedPoolTakesObjectsUntilItGoes)
{
    std::atomic<int> deaths{0};
    {
        AutoreleasePool inner("inner");
        EXPECT_EQ(&inner, PoolManager::getInstance()->getCurrentPool());
        (new Probe(&deaths))->autorelease();
        (new Probe(&deaths))->autorelease();
        EXPECT_EQ(2u, inner.size());
    }
    EXPECT_EQ(2, deaths.load());
    EXPECT_NE(nullptr, PoolManager::getInstance()->getCurrentPool());
}

TEST(AutoreleasePools, ObjectsAutoreleasedWhileClearingAreReleasedToo)
{
    std::atomic<int> deaths{0};
    // Dropping the outer object autoreleases a second one from its destructor.
    class Chain : public Probe {
    public:
        Chain(std::atomic<int>* d) : Probe(d), _d(d) {}
        ~Chain() override { (new Probe(_d))->autorelease(); }
        std::atomic<int>* _d;
    };
    AutoreleasePool pool;
    (new Chain(&deaths))->autorelease();
    pool.clear();
    EXPECT_EQ(2, deaths.load());
    EXPECT_EQ(0u, pool.size());
}

TEST(AutoreleasePools, EachThreadHasItsOwnPoolDrainedAtRemoveThread)
{
    std::atomic<int> deaths{0};
    AutoreleasePool* mainPool = PoolManager::getInstance()->getCurrentPool();
    AutoreleasePool* workerPool = nullptr;
    std::thread worker([&] {
        PoolManager::getInstance()->addThread();
        workerPool = PoolManager::getInstance()->getCurrentPool();
        (new Probe(&deaths))->autorelease();
        (new Probe(&deaths))->autorelease();
        // The main thread's frame must not release what this thread still uses.
        EXPECT_EQ(0, deaths.load());
        PoolManager::getInstance()->removeThread();
        EXPECT_EQ(2, deaths.load());
    });
    worker.join();
    EXPECT_NE(mainPool, workerPool);
    EXPECT_EQ(2, deaths.load());
}

TEST(AutoreleasePools, ThreadEndingWithoutRemoveThreadStillDrains)
{
    Director::getInstance(); // makes this the main thread
    std::atomic<int> deaths{0};
    std::thread([&] { (new Probe(&deaths))->autorelease(); }).join();
    EXPECT_EQ(1, deaths.load());
}

TEST(AutoreleasePools, RemovingTheMainThreadIsRefused)
{
    std::atomic<int> deaths{0};
    (new Probe(&deaths))->autorelease();
    PoolManager::getInstance()->removeThread();
    EXPECT_EQ(0, deaths.load());
    Director::getInstance()->mainLoop(0);
    EXPECT_EQ(1, deaths.load());
}

TEST(Containers, VectorHoldsOneReferencePerEntry)
{
    std::atomic<int> deaths{0};
    auto* a = new Probe(&deaths);
    auto* b = new Probe(&deaths);
    {
        Vector<Probe*> list;
        list.pushBack(a);
        list.pushBack(b);
        list.pushBack(nullptr);
        EXPECT_EQ(2, list.size());
        EXPECT_EQ(2u, a->getReferenceCount());
        Vector<Probe*> copy = list;
        EXPECT_EQ(3u, a->getReferenceCount());
        copy.eraseObject(a);
        EXPECT_EQ(2u, a->getReferenceCount());
        copy = list; // self-consistent reassignment
        EXPECT_EQ(3u, a->getReferenceCount());
        list.pushBack(list);
        EXPECT_EQ(4, list.size());
    }
    EXPECT_EQ(1u, a->getReferenceCount());
    a->release();
    b->release();
    EXPECT_EQ(2, deaths.load());
}

TEST(Containers, ArrayCloneCopiesOnlyClonableElements)
{
    std::atomic<int> deaths{0};
    auto* array = __Array::create();
    auto* p = new Probe(&deaths);
    auto* plain = new Plain();
    array->addObject(p);
    array->addObject(plain);
    array->addObject(__String::create("text"));
    p->release();
    plain->release();

    __Array* copy = array->clone();
    ASSERT_EQ(2, copy->count());
    EXPECT_NE(p, copy->getObjectAtIndex(0));
    EXPECT_EQ("text", static_cast<__String*>(copy->getObjectAtIndex(1))->getString());
    EXPECT_EQ(nullptr, copy->getObjectAtIndex(5));
    EXPECT_EQ(nullptr, copy->getObjectAtIndex(-1));
    Director::getInstance()->mainLoop(0);
    EXPECT_EQ(2, deaths.load());
}

TEST(Containers, StringNumbersAndTruth)
{
    auto* s = __String::createWithFormat("%d", 42);
    EXPECT_EQ(42, s->intValue());
    EXPECT_TRUE(s->boolValue());
    EXPECT_FALSE(__String::create("0")->boolValue());
    EXPECT_FALSE(__String::create("false")->boolValue());
    EXPECT_FALSE(__String::create("")->boolValue());
    EXPECT_DOUBLE_EQ(2.5, __String::create("2.5")->doubleValue());
    EXPECT_TRUE(s->isEqual(__String::create("42")));
    Director::getInstance()->mainLoop(0);
}
