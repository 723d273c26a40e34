#include "config/ansi_text.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

#include <util/strutil.h>

namespace ansi_text {

WideText::WideText(const char* text)
{
    if (text == nullptr) {
        return;
    }
    const int fixedSize = static_cast<int>(sizeof(m_fixed) / sizeof(m_fixed[0]));
    if (C2T(text, m_fixed, fixedSize, kCodePage) || *text == 0) {
        m_text = m_fixed;
        return;
    }
    const std::wstring whole = C2T(text, kCodePage);
    m_heap.assign(whole.c_str(), whole.c_str() + whole.size() + 1);
    m_text = m_heap.data();
}

WideText::WideText(const char* list, int count)
{
    if (list == nullptr) {
        return;
    }
    const int fixedRoom = static_cast<int>(sizeof(m_fixed) / sizeof(m_fixed[0])) - 1;
    m_fixed[0] = 0;
    m_text = m_fixed;
    if (count <= 0) {
        return;
    }
    int converted = MultiByteToWideChar(kCodePage, 0, list, count, m_fixed, fixedRoom);
    if (converted > 0) {
        m_fixed[converted] = 0;
        return;
    }
    const int needed = MultiByteToWideChar(kCodePage, 0, list, count, nullptr, 0);
    m_heap.assign(static_cast<size_t>(needed > 0 ? needed : 0) + 1, 0);
    converted = MultiByteToWideChar(kCodePage, 0, list, count, m_heap.data(), needed);
    m_heap[static_cast<size_t>(converted > 0 ? converted : 0)] = 0;
    m_text = m_heap.data();
}

int CopyAsAnsi(const wchar_t* text, int length, char* buffer, int capacity)
{
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    if (length < 0) {
        length = text ? static_cast<int>(wcslen(text)) : 0;
    }
    // Room for the terminator only: a zero output size would make the platform report the size it
    // needs instead of converting, and that size is not a length within the buffer.
    if (length == 0 || capacity == 1) {
        buffer[0] = 0;
        return 0;
    }
    int copied = WideCharToMultiByte(kCodePage, 0, text, length, buffer, capacity - 1, nullptr, nullptr);
    if (copied > 0) {
        buffer[copied] = 0;
        return copied;
    }
    // Too long for the buffer: convert all of it, then keep the whole characters that fit.
    const int needed = WideCharToMultiByte(kCodePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::vector<char> whole(static_cast<size_t>(needed > 0 ? needed : 0));
    WideCharToMultiByte(kCodePage, 0, text, length, whole.data(), needed, nullptr, nullptr);
    copied = 0;
    while (copied < needed) {
        const int step = IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(whole[copied])) ? 2 : 1;
        if (copied + step > capacity - 1) {
            break;
        }
        copied += step;
    }
    memcpy(buffer, whole.data(), static_cast<size_t>(copied));
    buffer[copied] = 0;
    return copied;
}

int ListLength(const char* list)
{
    if (list == nullptr) {
        return 0;
    }
    const char* at = list;
    while (*at != 0) {
        at += strlen(at) + 1;
    }
    return static_cast<int>(at - list) + 1;
}

} // namespace ansi_text
