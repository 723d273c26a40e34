#include <util/thread.h>

#include "runtime/runlog_relay.h"

#include <process.h>

#include <memory>

std::atomic<bool> KXThread::m_stopall(false);

// What the new thread needs: its owner, the work and the thread's own handle.
struct KXThread::StartRecord {
    KXThread* owner;
    KXTHREADPROC procedure;
    void* argument;
    HANDLE handle;
};

namespace {

const unsigned long kGracePeriod = 5000;
// A terminated thread is gone almost at once; this only bounds the wait should termination fail.
const unsigned long kTerminationWait = 1000;
const wchar_t kAnonymousName[] = L"匿名";

// Run-log levels and module of the thread lines.
const unsigned char kInformation = 1;
const unsigned char kError = 3;
const unsigned long kThreadModule = 0;

} // namespace

KXThread::KXThread() : m_hThread(nullptr), m_bStop(true) {}

KXThread::~KXThread()
{
    StopThread(kGracePeriod);
}

long KXThread::BeginThread(KXTHREADPROC procedure, void* argument, const wchar_t* name)
{
    // The lock is recursive: stopping the old thread and starting the new one is one step for
    // every other caller.
    KXLocalSection guard(&m_lock);
    StopThread(kGracePeriod);

    m_strName = name != nullptr ? name : kAnonymousName;
    m_stopall = false;
    m_bStop = false;

    auto record = std::make_unique<StartRecord>(StartRecord{this, procedure, argument, nullptr});
    unsigned threadId = 0;
    // Suspended until the handle is in place, so that a procedure that returns at once finds it
    // when it clears it.
    const uintptr_t handle =
        _beginthreadex(nullptr, 0, &KXThread::WorkThread, record.get(), CREATE_SUSPENDED, &threadId);
    if (handle == 0) {
        m_bStop = true;
        RelayToRunLog(kError, kThreadModule, L"THREAD<%s>线程创建失败", m_strName.c_str());
        return -1;
    }
    record->handle = reinterpret_cast<HANDLE>(handle);
    m_hThread = record->handle;
    record.release();
    ::ResumeThread(reinterpret_cast<HANDLE>(handle));
    RelayToRunLog(kInformation, kThreadModule, L"THREAD<%s:%lu>线程创建成功", m_strName.c_str(),
               static_cast<unsigned long>(threadId));
    return 1;
}

void KXThread::StopThread(unsigned long milliseconds)
{
    KXLocalSection guard(&m_lock);
    m_bStop = true;
    // Whoever takes the handle out of the object closes it: here, or the thread itself when its
    // procedure has already returned.
    const HANDLE thread = m_hThread.exchange(nullptr);
    if (thread == nullptr) {
        return;
    }
    const unsigned long threadId = ::GetThreadId(thread);
    if (::WaitForSingleObject(thread, milliseconds) == WAIT_OBJECT_0) {
        RelayToRunLog(kInformation, kThreadModule, L"THREAD<%s:%lu>线程已正常退出", m_strName.c_str(), threadId);
    } else {
        ::TerminateThread(thread, 0);
        ::WaitForSingleObject(thread, kTerminationWait);
        RelayToRunLog(kError, kThreadModule, L"THREAD<%s:%lu>线程已终止", m_strName.c_str(), threadId);
    }
    ::CloseHandle(thread);
}

bool KXThread::GetStopFlag() const
{
    return m_stopall || m_bStop;
}

void KXThread::StopAllThread()
{
    m_stopall = true;
    RelayToRunLog(kInformation, kThreadModule, L"THREAD<!>停止所有线程...");
}

bool KXThread::IsStopAll()
{
    return m_stopall;
}

void KXThread::Sleep(unsigned long milliseconds)
{
    ::Sleep(milliseconds);
}

unsigned __stdcall KXThread::WorkThread(void* startRecord)
{
    const std::unique_ptr<StartRecord> record(static_cast<StartRecord*>(startRecord));
    unsigned long exitCode = 0;
    if (record->procedure != nullptr) {
        try {
            exitCode = record->procedure(record->argument);
        } catch (...) {
            exitCode = static_cast<unsigned long>(-1);
        }
    }
    record->owner->FinishFromWorker(record->handle);
    return exitCode;
}

void KXThread::FinishFromWorker(HANDLE ownHandle)
{
    // The thread counts as finished: nothing is left for StopThread to wait for. If StopThread has
    // already taken the handle it is waiting for this thread and closes the handle itself.
    m_bStop = true;
    HANDLE expected = ownHandle;
    if (m_hThread.compare_exchange_strong(expected, nullptr)) {
        // The object may be gone from here on: only the local handle is touched.
        ::CloseHandle(ownHandle);
    }
}
