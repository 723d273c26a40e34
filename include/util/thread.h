#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include <util/export.h>
#include <util/lock.h>

// The procedure a KXThread runs; its result is the thread's exit code.
typedef unsigned long (*KXTHREADPROC)(void* argument);

// A named worker thread with cooperative stop flags (its own and a process-wide one), a bounded wait
// and forced termination. Each start and end is written to the run log.
//
// The procedure polls GetStopFlag (or IsStopAll) and returns soon after it turns true. The object owns
// the thread handle: it is closed exactly once, by StopThread or, when the procedure returns by
// itself, by the thread on its way out.
class UTIL_API KXThread {
public:
    KXThread();
    virtual ~KXThread(); // StopThread(5000)
    KXThread(const KXThread&) = delete;
    KXThread& operator=(const KXThread&) = delete;

    // Stops a running thread first, then starts procedure(argument). A null name logs as "匿名".
    // 1 started, -1 failed. Starting any thread cancels a previous StopAllThread.
    long BeginThread(KXTHREADPROC procedure, void* argument, const wchar_t* name);
    // Asks the thread to stop and waits up to milliseconds; a thread still running then is terminated.
    // Not for the procedure itself (nor BeginThread or destruction there): it would wait for itself.
    void StopThread(unsigned long milliseconds);
    bool GetStopFlag() const;

    static void StopAllThread();
    static bool IsStopAll();
    static void Sleep(unsigned long milliseconds);

protected:
    static unsigned __stdcall WorkThread(void* startRecord);

private:
    struct StartRecord;

    void FinishFromWorker(HANDLE ownHandle);

    std::atomic<HANDLE> m_hThread;
    std::atomic<bool> m_bStop;
    std::wstring m_strName;
    KXCriticalSection m_lock;

    static std::atomic<bool> m_stopall;
};
