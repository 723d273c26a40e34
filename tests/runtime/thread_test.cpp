#include <util/format.h>
#include <util/thread.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/child_program.h"

namespace {

// What a test procedure shares with its test.
struct WorkerState {
    KXThread* thread = nullptr;
    std::atomic<int> rounds{0};
    std::atomic<bool> returned{false};
    std::atomic<HANDLE> self{nullptr}; // the test's own handle to the worker, to read its exit code
    std::atomic<DWORD> id{0};
};

void OpenSelf(WorkerState& state)
{
    state.id = ::GetCurrentThreadId();
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
    WorkerState& state = *static_cast<WorkerState*>(argument);
    state.id = ::GetCurrentThreadId();
    ++state.rounds;
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

// ---- run-log lines, checked in a process of its own whose folder holds the log settings ----------

const wchar_t kLogScenario[] = L"thread-log";

// The lines of the UTF-16 log file after its byte-order mark.
std::vector<std::wstring> ReadLogLines(const std::wstring& path)
{
    const std::string bytes = childprogram::ReadBytes(path);
    std::vector<std::wstring> lines;
    if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0) {
        return lines;
    }
    std::wstring text((bytes.size() - 2) / sizeof(wchar_t), L'\0');
    std::copy(bytes.begin() + 2, bytes.begin() + 2 + text.size() * sizeof(wchar_t), reinterpret_cast<char*>(&text[0]));
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// Starts and stops threads of every kind, then compares the log with the lines expected: the level
// and the text after the header of each line.
int WriteThreadLines()
{
    std::vector<std::pair<int, std::wstring>> expected;

    KXThread named;
    WorkerState cooperative;
    cooperative.thread = &named;
    CHILD_CHECK(named.BeginThread(&CooperativeWorker, &cooperative, L"工作") == 1);
    CHILD_CHECK(WaitUntil([&] { return cooperative.rounds > 0; }));
    named.StopThread(5000);
    expected.emplace_back(1, KxFormat(L"THREAD<工作:%lu>线程创建成功", cooperative.id.load()));
    expected.emplace_back(1, KxFormat(L"THREAD<工作:%lu>线程已正常退出", cooperative.id.load()));

    KXThread anonymous;
    WorkerState stubborn;
    stubborn.thread = &anonymous;
    CHILD_CHECK(anonymous.BeginThread(&StubbornWorker, &stubborn, nullptr) == 1);
    CHILD_CHECK(WaitUntil([&] { return stubborn.rounds > 0; }));
    anonymous.StopThread(50);
    expected.emplace_back(1, KxFormat(L"THREAD<匿名:%lu>线程创建成功", stubborn.id.load()));
    expected.emplace_back(3, KxFormat(L"THREAD<匿名:%lu>线程已终止", stubborn.id.load()));

    // A procedure that ended by itself leaves StopThread nothing to wait for, and nothing to log.
    KXThread brief;
    WorkerState quick;
    quick.thread = &brief;
    CHILD_CHECK(brief.BeginThread(&QuickWorker, &quick, L"quick") == 1);
    CHILD_CHECK(WaitUntil([&] { return brief.GetStopFlag(); }));
    brief.StopThread(5000);
    expected.emplace_back(1, KxFormat(L"THREAD<quick:%lu>线程创建成功", quick.id.load()));

    KXThread::StopAllThread();
    expected.emplace_back(1, L"THREAD<!>停止所有线程...");

    const std::vector<std::wstring> lines = ReadLogLines(L"thread.log");
    CHILD_CHECK(lines.size() == expected.size());
    const std::wstring moduleEnd = L"[ModuleID:0]: ";
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::wstring level = L"[Level:" + std::to_wstring(expected[i].first) + L"]";
        const size_t body = lines[i].find(moduleEnd);
        CHILD_CHECK(lines[i].compare(0, level.size(), level) == 0);
        CHILD_CHECK(body != std::wstring::npos && lines[i].substr(body + moduleEnd.size()) == expected[i].second);
    }
    ::CloseHandle(cooperative.self);
    ::CloseHandle(stubborn.self);
    return 0;
}

// Listeners start before environments, so this runs ahead of any other scenario dispatch of the
// program and leaves the names it does not know to them.
class ThreadScenarioDispatch : public testing::EmptyTestEventListener {
public:
    void OnTestProgramStart(const testing::UnitTest&) override
    {
        const std::wstring command = GetCommandLineW();
        if (command.find(std::wstring(childprogram::kScenarioSwitch) + kLogScenario) != std::wstring::npos) {
            fflush(stdout);
            exit(WriteThreadLines());
        }
    }
};

const bool g_threadScenarios = (testing::UnitTest::GetInstance()->listeners().Append(new ThreadScenarioDispatch), true);

} // namespace

TEST(ThreadLog, StartAndEndLinesGoToTheRunLog)
{
    const childprogram::ChildFolder folder(L"util_thread_child.exe");
    FILE* settings = _wfopen(folder.file(L"sys_config.ini").c_str(), L"wb");
    ASSERT_NE(settings, nullptr);
    const std::wstring text = L"\xFEFF[RUNLOG]\r\nLevel=1\r\nName=thread\r\n";
    fwrite(text.data(), sizeof(wchar_t), text.size(), settings);
    fclose(settings);
    EXPECT_EQ(folder.Run(kLogScenario), 0ul);
}

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
