#include <util/thread.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {

// What a test procedure shares with its test.
struct WorkerState {
    KXThread* thread = nullptr;
    std::atomic<int> rounds{0};
    std::atomic<bool> returned{false};
    std::atomic<HANDLE> self{nullptr}; // the test's own handle to the worker, to read its exit code
};

void OpenSelf(WorkerState& state)
{
    state.self = ::OpenThread(SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, ::GetCurrentThreadId());
}

// Polls its stop flag like a well-behaved worker.
unsigned long CooperativeWorker(void* argument)
{
    WorkerState& state = *static_cast<WorkerState*>(argument);
    OpenSelf(state);
    while (!state.thread->GetStopFlag()) {
        ++state.rounds;
        KXThread::Sleep(1);
    }
    state.returned = true;
    return 7;
}

// Never looks at the stop flag.
unsigned long StubbornWorker(void* argument)
{
    WorkerState& state = *static_cast<WorkerState*>(argument);
    OpenSelf(state);
    for (;;) {
        ++state.rounds;
        ::Sleep(1);
    }
}

unsigned long ThrowingWorker(void* argument)
{
    OpenSelf(*static_cast<WorkerState*>(argument));
    throw std::runtime_error("worker failed");
}

unsigned long QuickWorker(void* argument)
{
    ++static_cast<WorkerState*>(argument)->rounds;
    return 0;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout = 5000)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeout) {
            return false;
        }
        ::Sleep(1);
    }
    return true;
}

// The exit code of the worker once it has ended, or STILL_ACTIVE.
DWORD ExitCodeOf(WorkerState& state)
{
    const HANDLE self = state.self;
    EXPECT_NE(self, nullptr);
    EXPECT_EQ(::WaitForSingleObject(self, 5000), WAIT_OBJECT_0);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeThread(self, &code);
    ::CloseHandle(self);
    return code;
}

// Open handles of this process. Where the platform does not count them (Wine reports 0), the handle
// table is probed value by value.
DWORD HandleCount()
{
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count != 0) {
        return count;
    }
    for (ULONG_PTR value = 4; value < 4 * 4096; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
        }
    }
    return count;
}

} // namespace

TEST(Thread, IdleObjectHasNothingToStop)
{
    KXThread thread;
    EXPECT_TRUE(thread.GetStopFlag());
    const DWORD start = ::GetTickCount();
    thread.StopThread(5000);
    EXPECT_LT(::GetTickCount() - start, 1000u);
    EXPECT_TRUE(thread.GetStopFlag());
    EXPECT_FALSE(KXThread::IsStopAll());
}

TEST(Thread, StopsCooperatively)
{
    KXThread thread;
    WorkerState state;
    state.thread = &thread;
    ASSERT_EQ(thread.BeginThread(&CooperativeWorker, &state, L"cooperative"), 1);
    EXPECT_FALSE(thread.GetStopFlag());
    ASSERT_TRUE(WaitUntil([&] { return state.rounds > 3; }));
    thread.StopThread(5000);
    EXPECT_TRUE(state.returned);
    EXPECT_TRUE(thread.GetStopFlag());
    EXPECT_EQ(ExitCodeOf(state), 7u);
}

TEST(Thread, ProcedureThatReturnsLeavesNothingToWaitFor)
{
    KXThread thread;
    WorkerState state;
    state.thread = &thread;
    ASSERT_EQ(thread.BeginThread(&QuickWorker, &state, nullptr), 1);
    ASSERT_TRUE(WaitUntil([&] { return thread.GetStopFlag(); }));
    EXPECT_EQ(state.rounds, 1);
    const DWORD start = ::GetTickCount();
    thread.StopThread(5000);
    EXPECT_LT(::GetTickCount() - start, 1000u);
}

TEST(Thread, UnresponsiveThreadIsTerminatedAfterTheWait)
{
    KXThread thread;
    WorkerState state;
    state.thread = &thread;
    ASSERT_EQ(thread.BeginThread(&StubbornWorker, &state, L"stubborn"), 1);
    ASSERT_TRUE(WaitUntil([&] { return state.rounds > 0 && state.self != nullptr; }));
    thread.StopThread(100);
    EXPECT_EQ(ExitCodeOf(state), 0u);
    const int rounds = state.rounds;
    ::Sleep(30);
    EXPECT_EQ(state.rounds, rounds);
}

TEST(Thread, ExceptionsBecomeExitCodeMinusOne)
{
    KXThread thread;
    WorkerState state;
    state.thread = &thread;
    ASSERT_EQ(thread.BeginThread(&ThrowingWorker, &state, L"thrower"), 1);
    ASSERT_TRUE(WaitUntil([&] { return state.self != nullptr; }));
    EXPECT_EQ(ExitCodeOf(state), 0xFFFFFFFFu);
    EXPECT_TRUE(WaitUntil([&] { return thread.GetStopFlag(); }));
}

TEST(Thread, BeginThreadStopsTheRunningThreadFirst)
{
    KXThread thread;
    WorkerState first;
    WorkerState second;
    first.thread = second.thread = &thread;
    ASSERT_EQ(thread.BeginThread(&CooperativeWorker, &first, L"first"), 1);
    ASSERT_TRUE(WaitUntil([&] { return first.rounds > 0; }));
    ASSERT_EQ(thread.BeginThread(&CooperativeWorker, &second, L"second"), 1);
    EXPECT_TRUE(first.returned);
    ASSERT_TRUE(WaitUntil([&] { return second.rounds > 0; }));
    EXPECT_FALSE(second.returned);
    EXPECT_EQ(ExitCodeOf(first), 7u);
}

TEST(Thread, DestructorStopsTheThread)
{
    WorkerState state;
    {
        KXThread thread;
        state.thread = &thread;
        ASSERT_EQ(thread.BeginThread(&CooperativeWorker, &state, L"scoped"), 1);
        ASSERT_TRUE(WaitUntil([&] { return state.rounds > 0; }));
    }
    EXPECT_TRUE(state.returned);
}

TEST(Thread, StopAllReachesEveryThreadUntilTheNextStart)
{
    KXThread one;
    KXThread two;
    WorkerState first;
    WorkerState second;
    first.thread = &one;
    second.thread = &two;
    ASSERT_EQ(one.BeginThread(&CooperativeWorker, &first, L"one"), 1);
    ASSERT_EQ(two.BeginThread(&CooperativeWorker, &second, L"two"), 1);
    ASSERT_TRUE(WaitUntil([&] { return first.rounds > 0 && second.rounds > 0; }));

    KXThread::StopAllThread();
    EXPECT_TRUE(KXThread::IsStopAll());
    EXPECT_TRUE(WaitUntil([&] { return first.returned && second.returned; }));
    EXPECT_TRUE(one.GetStopFlag());

    KXThread other;
    WorkerState third;
    third.thread = &other;
    ASSERT_EQ(other.BeginThread(&CooperativeWorker, &third, L"three"), 1);
    EXPECT_FALSE(KXThread::IsStopAll());
    EXPECT_FALSE(other.GetStopFlag());
    other.StopThread(5000);
    EXPECT_TRUE(third.returned);
}

TEST(Thread, ConcurrentStopAllIsSeenByEveryWorker)
{
    // Many workers polling while another thread raises the flag: every one of them must end.
    const int count = 16;
    KXThread threads[count];
    WorkerState states[count];
    for (int i = 0; i < count; ++i) {
        states[i].thread = &threads[i];
        ASSERT_EQ(threads[i].BeginThread(&CooperativeWorker, &states[i], L"many"), 1);
    }
    KXThread stopper;
    ASSERT_EQ(stopper.BeginThread(
                  [](void*) -> unsigned long {
                      KXThread::StopAllThread();
                      return 0;
                  },
                  nullptr, L"stopper"),
              1);
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(WaitUntil([&] { return states[i].returned.load(); })) << i;
        ::CloseHandle(states[i].self);
    }
}

TEST(Thread, HandlesAreClosedExactlyOnceOverManyCycles)
{
    // The measure itself must see a handle come and go.
    const DWORD before = HandleCount();
    const HANDLE probe = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(HandleCount(), before + 1);
    ::CloseHandle(probe);

    KXThread thread;
    WorkerState state;
    state.thread = &thread;
    ASSERT_EQ(thread.BeginThread(&QuickWorker, &state, L"warm-up"), 1);
    thread.StopThread(5000);
    const DWORD baseline = HandleCount();

    const int cycles = 300;
    for (int i = 0; i < cycles; ++i) {
        ASSERT_EQ(thread.BeginThread(&QuickWorker, &state, L"quick"), 1);
        switch (i % 3) {
        case 0: // stop at once, racing the procedure's own end
            thread.StopThread(5000);
            break;
        case 1: // let it end by itself, then stop
            ASSERT_TRUE(WaitUntil([&] { return thread.GetStopFlag(); }));
            thread.StopThread(5000);
            break;
        default: // let the next start find it ended or ending
            break;
        }
    }
    thread.StopThread(5000);
    EXPECT_EQ(state.rounds, cycles + 1);

    for (int i = 0; i < 50; ++i) {
        WorkerState loop;
        loop.thread = &thread;
        ASSERT_EQ(thread.BeginThread(&CooperativeWorker, &loop, L"loop"), 1);
        ASSERT_TRUE(WaitUntil([&] { return loop.self != nullptr; }));
        thread.StopThread(5000);
        ::CloseHandle(loop.self);
    }

    const DWORD after = HandleCount();
    EXPECT_LE(after, baseline + 3);
    EXPECT_GE(after + 3, baseline);
}
