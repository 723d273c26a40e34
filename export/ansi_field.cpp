#include "export/ansi_field.h"

#include <windows.h>

#include <algorithm>

namespace exportfield {

void AppendAnsi(std::string& out, const std::wstring& text, size_t maxBytes)
{
    if (text.empty() || maxBytes == 0) {
        return;
    }
    // Plain ASCII is the same in every ANSI code page, one byte a character.
    if (std::all_of(text.begin(), text.end(), [](wchar_t unit) { return unit < 0x80; })) {
        const size_t kept = std::min(text.size(), maxBytes);
        out.reserve(out.size() + kept);
        for (size_t at = 0; at < kept; ++at) {
            out += static_cast<char>(text[at]);
        }
        return;
    }
    const size_t start = out.size();
    // A UTF-16 unit never takes more than two bytes of a double-byte code page.
    out.resize(start + text.size() * 2);
    const int written = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[start],
                                            static_cast<int>(text.size() * 2), nullptr, nullptr);
    const size_t length = written > 0 ? static_cast<size_t>(written) : 0;
    size_t kept = length;
    if (length > maxBytes) {
        kept = 0;
        while (kept < length) {
            const size_t step = IsDBCSLeadByte(static_cast<BYTE>(out[start + kept])) ? 2 : 1;
            if (kept + step > maxBytes) {
                break;
            }
            kept += step;
        }
    }
    out.resize(start + kept);
}

} // namespace exportfield
