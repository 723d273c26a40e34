#include <util/hash.h>

#include <cstring>

KXCode::KXCode() : m_szCode{} {}

KXCode::KXCode(const char* text) : m_szCode{}
{
    if (text) {
        std::strncpy(m_szCode, text, sizeof(m_szCode) - 1);
    }
}

long KXCode::Length() const
{
    return static_cast<long>(std::strlen(m_szCode));
}

void KXCode::ToChar6(char (&out)[6])
{
    std::memcpy(out, m_szCode, sizeof(out));
}

bool operator==(const KXCode& left, const KXCode& right)
{
    return std::strcmp(left.c_str(), right.c_str()) == 0;
}

bool operator<(const KXCode& left, const KXCode& right)
{
    // strcmp compares as unsigned bytes.
    return std::strcmp(left.c_str(), right.c_str()) < 0;
}
