#include <util/lock.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// A read-yield-write increment: without mutual exclusion, concurrent callers lose updates.
void SlowIncrement(volatile long& value)
{
    const long seen = value;
    if ((seen & 0xFF) == 0) {
        SwitchToThread();
    }
    value = seen + 1;
}

long long PerformanceFrequency()
{
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

} // namespace

TEST(KXLocalSection, GuardsExcludeOtherThreads)
{
    KXCriticalSection section;
    volatile long total = 0;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                KXLocalSection guard(&section);
                SlowIncrement(total);
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(total, 80000);
}

TEST(KXLocalSection, HeldSectionBlocksOthersUntilDetach)
{
    KXCriticalSection section;
    volatile long entered = 0;
    KXLocalSection guard(&section);
    std::thread other([&] {
        KXLocalSection inner(&section);
        entered = 1;
    });
    Sleep(100);
    EXPECT_EQ(entered, 0);
    guard.Detach();
    other.join();
    EXPECT_EQ(entered, 1);
    guard.Detach(); // holding nothing: no second unlock
}

TEST(KXLocalSection, SectionIsRecursiveAndAttachTwiceThrows)
{
    KXCriticalSection section;
    section.Lock();
    {
        KXLocalSection again(&section); // same thread: no deadlock
        try {
            again.Attach(&section);
            FAIL() << "a second Attach must throw";
        } catch (const std::exception& error) {
            EXPECT_EQ(std::string(error.what()), "<KXLocalSection::Attach>重复绑定一个临界区对象");
        }
    }
    section.Unlock();

    // Released as often as taken: another thread gets it now.
    bool done = false;
    std::thread([&] {
        KXLocalSection guard(&section);
        done = true;
    }).join();
    EXPECT_TRUE(done);

    KXLocalSection empty(nullptr);
    empty.Attach(&section); // a null start holds nothing, so this is the first attach
    empty.Detach();
}

TEST(KXCounter, MeasuresElapsedMilliseconds)
{
    KXCounter counter;
    EXPECT_TRUE(counter.IsEmpty());
    counter.SetCurTickCount();
    EXPECT_FALSE(counter.IsEmpty());
    EXPECT_LT(counter.GetDuration(), 1000ul);
    Sleep(120);
    EXPECT_GE(counter.GetDuration(), 100ul);
    counter.Empty();
    EXPECT_TRUE(counter.IsEmpty());
}

TEST(KXExactitudeCount, ConvertsCountsToTime)
{
    KXExactitudeCount count;
    const long long frequency = PerformanceFrequency();
    EXPECT_EQ(count.Sequence2Timer(frequency), 1000ul);
    EXPECT_EQ(count.Sequence2Timer(frequency * 3 / 2), 1500ul);
    EXPECT_EQ(count.Sequence2TimerEx(frequency), 1000000ll);
    EXPECT_EQ(count.Sequence2TimerEx(frequency / 4), 250000ll);

    EXPECT_TRUE(count.IsEmpty());
    count.SetCurTickCount();
    EXPECT_FALSE(count.IsEmpty());
    Sleep(60);
    const long long counts = count.GetDurationEx();
    EXPECT_GE(count.Sequence2Timer(counts), 50ul);
    EXPECT_GE(count.GetDuration(), count.Sequence2Timer(counts));
    EXPECT_GE(KXExactitudeCount::GetCurTickCount(), counts);
    count.Empty();
    EXPECT_TRUE(count.IsEmpty());
}
