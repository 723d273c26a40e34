#include <util/lock.h>

#include <stdexcept>

KXCriticalSection::KXCriticalSection()
{
    InitializeCriticalSection(&m_section);
}

KXCriticalSection::~KXCriticalSection()
{
    DeleteCriticalSection(&m_section);
}

void KXCriticalSection::Lock()
{
    EnterCriticalSection(&m_section);
}

void KXCriticalSection::Unlock()
{
    LeaveCriticalSection(&m_section);
}

KXLocalSection::KXLocalSection() : m_pSection(nullptr) {}

KXLocalSection::KXLocalSection(KXCriticalSection* section) : m_pSection(nullptr)
{
    Attach(section);
}

KXLocalSection::~KXLocalSection()
{
    Detach();
}

void KXLocalSection::Attach(KXCriticalSection* section)
{
    if (m_pSection != nullptr) {
        throw std::logic_error("<KXLocalSection::Attach>重复绑定一个临界区对象");
    }
    if (section != nullptr) {
        section->Lock();
        m_pSection = section;
    }
}

void KXLocalSection::Detach()
{
    if (m_pSection != nullptr) {
        m_pSection->Unlock();
        m_pSection = nullptr;
    }
}

KXCounter::KXCounter() : m_dwStart(0) {}

KXCounter::~KXCounter() = default;

void KXCounter::SetCurTickCount()
{
    m_dwStart = GetTickCount();
}

unsigned long KXCounter::GetDuration() const
{
    return static_cast<unsigned long>(GetTickCount() - m_dwStart);
}

bool KXCounter::IsEmpty() const
{
    return m_dwStart == 0;
}

void KXCounter::Empty()
{
    m_dwStart = 0;
}

KXExactitudeCount::KXExactitudeCount() : m_dFrequency(0.0), m_llStart(0)
{
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    m_dFrequency = static_cast<double>(frequency.QuadPart);
}

KXExactitudeCount::~KXExactitudeCount() = default;

long long KXExactitudeCount::GetCurTickCount()
{
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void KXExactitudeCount::SetCurTickCount()
{
    m_llStart = GetCurTickCount();
}

unsigned long KXExactitudeCount::GetDuration() const
{
    return Sequence2Timer(GetDurationEx());
}

long long KXExactitudeCount::GetDurationEx() const
{
    return GetCurTickCount() - m_llStart;
}

unsigned long KXExactitudeCount::Sequence2Timer(long long counts) const
{
    return static_cast<unsigned long>(static_cast<double>(counts) * 1000.0 / m_dFrequency);
}

long long KXExactitudeCount::Sequence2TimerEx(long long counts) const
{
    return static_cast<long long>(static_cast<double>(counts) / m_dFrequency * 1000000.0);
}

bool KXExactitudeCount::IsEmpty() const
{
    return m_llStart == 0;
}

void KXExactitudeCount::Empty()
{
    m_llStart = 0;
}
