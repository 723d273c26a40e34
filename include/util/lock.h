#pragma once

#include <windows.h>

#include <util/export.h>

// An in-process lock over one platform critical section. Recursive: the owning thread may lock it
// again (and must unlock it as often).
class UTIL_API KXCriticalSection {
public:
    KXCriticalSection();
    virtual ~KXCriticalSection();
    KXCriticalSection(const KXCriticalSection&) = delete;
    KXCriticalSection& operator=(const KXCriticalSection&) = delete;

    void Lock();
    void Unlock();

private:
    CRITICAL_SECTION m_section;
};

// Scope guard: holds at most one KXCriticalSection locked until Detach or destruction.
class UTIL_API KXLocalSection {
public:
    KXLocalSection();
    explicit KXLocalSection(KXCriticalSection* section);
    virtual ~KXLocalSection();
    KXLocalSection(const KXLocalSection&) = delete;
    KXLocalSection& operator=(const KXLocalSection&) = delete;

    // Throws std::logic_error when a section is already held.
    void Attach(KXCriticalSection* section);
    void Detach();

private:
    KXCriticalSection* m_pSection;
};

// Millisecond stopwatch on the system tick count; a start of 0 means empty.
class UTIL_API KXCounter {
public:
    KXCounter();
    virtual ~KXCounter();
    KXCounter(const KXCounter&) = delete;
    KXCounter& operator=(const KXCounter&) = delete;

    void SetCurTickCount();
    // Unsigned arithmetic keeps the result right across the 49.7-day wrap of the tick count.
    unsigned long GetDuration() const;
    bool IsEmpty() const;
    void Empty();

private:
    unsigned long m_dwStart;
};

// High-resolution stopwatch on the performance counter; a start of 0 means empty.
class UTIL_API KXExactitudeCount {
public:
    KXExactitudeCount();
    virtual ~KXExactitudeCount();
    KXExactitudeCount(const KXExactitudeCount&) = delete;
    KXExactitudeCount& operator=(const KXExactitudeCount&) = delete;

    static long long GetCurTickCount();
    void SetCurTickCount();
    // Milliseconds since the start, truncated.
    unsigned long GetDuration() const;
    // Counts since the start.
    long long GetDurationEx() const;
    // Counts to milliseconds, truncated.
    unsigned long Sequence2Timer(long long counts) const;
    // Counts to microseconds, truncated.
    long long Sequence2TimerEx(long long counts) const;
    bool IsEmpty() const;
    void Empty();

private:
    double m_dFrequency;
    long long m_llStart;
};
