#include <util/format.h>
#include <util/strutil.h>

#include <cmath>
#include <cwchar>

namespace {

constexpr double kWholeNumberLimit = 1000000.0; // inclusive
constexpr double kYiThreshold = 100000000.0;    // inclusive

std::wstring InChineseUnits(double value)
{
    const double magnitude = std::fabs(value);
    if (!std::isfinite(value) || magnitude <= kWholeNumberLimit) {
        const std::wstring whole = KxFormat(L"%0.0f", value);
        // A small negative value rounds to zero: no sign on a zero amount.
        return whole == L"-0" ? L"0" : whole;
    }
    if (magnitude >= kYiThreshold) {
        return KxFormat(L"%0.2f%s", value * 1e-8, L"亿");
    }
    return KxFormat(L"%0.2f%s", value * 0.0001, L"万");
}

bool CopyBounded(const std::wstring& text, wchar_t* buffer, int capacity)
{
    if (buffer == nullptr || capacity <= 0) {
        return false;
    }
    if (text.size() >= static_cast<size_t>(capacity)) {
        buffer[0] = 0;
        return false;
    }
    wmemcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

void CopyUnbounded(const std::wstring& text, wchar_t* buffer)
{
    if (buffer != nullptr) {
        wmemcpy(buffer, text.c_str(), text.size() + 1);
    }
}

} // namespace

// Amounts and volumes print alike; both names stay for their callers.
void TransAmount(double value, wchar_t* buffer)
{
    CopyUnbounded(InChineseUnits(value), buffer);
}

void TransVolume(double value, wchar_t* buffer)
{
    CopyUnbounded(InChineseUnits(value), buffer);
}

bool TransAmount(double value, wchar_t* buffer, int capacity)
{
    return CopyBounded(InChineseUnits(value), buffer, capacity);
}

bool TransVolume(double value, wchar_t* buffer, int capacity)
{
    return CopyBounded(InChineseUnits(value), buffer, capacity);
}
