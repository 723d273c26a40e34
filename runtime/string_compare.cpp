#include <util/strutil.h>

#include <cstring>
#include <cwchar>

namespace {

int SignOf(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

bool StringCmp::operator()(const std::wstring& a, const std::wstring& b) const
{
    return wstringLessThanNoCase(a, b);
}

bool StringCmpA::operator()(const std::string& a, const std::string& b) const
{
    return stringLessThanNoCase(a, b);
}

int stringCmp(const std::string& a, const std::string& b)
{
    // std::string compares through char_traits<char>, which compares as unsigned bytes.
    return SignOf(a.compare(b));
}

int stringCmpNoCase(const std::string& a, const std::string& b)
{
    return _stricmp(a.c_str(), b.c_str());
}

bool stringLessThan(const std::string& a, const std::string& b)
{
    return stringCmp(a, b) < 0;
}

bool stringLessThanNoCase(const std::string& a, const std::string& b)
{
    return stringCmpNoCase(a, b) < 0;
}

bool stringGreatThan(const std::string& a, const std::string& b)
{
    return stringCmp(a, b) > 0;
}

bool stringGreatThanNoCase(const std::string& a, const std::string& b)
{
    return stringCmpNoCase(a, b) > 0;
}

int wstringCmp(const std::wstring& a, const std::wstring& b)
{
    return wcscmp(a.c_str(), b.c_str());
}

int wstringCmpNoCase(const std::wstring& a, const std::wstring& b)
{
    return _wcsicmp(a.c_str(), b.c_str());
}

bool wstringLessThan(const std::wstring& a, const std::wstring& b)
{
    return wstringCmp(a, b) < 0;
}

bool wstringLessThanNoCase(const std::wstring& a, const std::wstring& b)
{
    return wstringCmpNoCase(a, b) < 0;
}

bool wstringGreatThan(const std::wstring& a, const std::wstring& b)
{
    return wstringCmp(a, b) > 0;
}

bool wstringGreatThanNoCase(const std::wstring& a, const std::wstring& b)
{
    return wstringCmpNoCase(a, b) > 0;
}
