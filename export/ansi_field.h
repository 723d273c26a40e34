#pragma once

#include <string>

namespace exportfield {

// Appends text in the system's 8-bit code page, cut to at most maxBytes at a character boundary.
void AppendAnsi(std::string& out, const std::wstring& text, size_t maxBytes);

inline std::string Ansi(const std::wstring& text, size_t maxBytes)
{
    std::string out;
    AppendAnsi(out, text, maxBytes);
    return out;
}

} // namespace exportfield
