#include "input/passedit_keys.h"

#include <algorithm>
#include <iterator>

namespace passedit {
namespace {

constexpr UINT kKeyIgnoredWhenDown = 0x5F;

bool IsDown(const tagKBDEVENT& event)
{
    return (event.state & KBDEVENT_STATE_RELEASED) == 0;
}

bool Has(const tagKBDEVENT& event, BYTE flag)
{
    return (event.flags & flag) != 0;
}

// Keypad 0-9 with Num Lock off act as the navigation keys printed on them (5 is nothing).
UINT KeypadKey(const tagKBDEVENT& event)
{
    static constexpr UINT kWithoutNumLock[10] = {VK_INSERT, VK_END, VK_DOWN, VK_NEXT, VK_LEFT,
                                                 0,         VK_RIGHT, VK_HOME, VK_UP, VK_PRIOR};
    const UINT key = event.key;
    const bool numLock = Has(event, KBDEVENT_FLAG_NUMLOCK);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) {
        return numLock ? '0' + (key - VK_NUMPAD0) : kWithoutNumLock[key - VK_NUMPAD0];
    }
    if (key == VK_DECIMAL && !numLock) {
        return VK_DELETE;
    }
    return key;
}

bool IsForwardedKey(UINT key)
{
    static constexpr UINT kForwarded[] = {VK_TAB,  VK_RETURN, VK_CAPITAL, VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_END,
                                          VK_HOME, VK_LEFT,   VK_UP,      VK_RIGHT,  VK_DOWN,  VK_NUMLOCK, VK_SCROLL};
    return (key >= VK_F1 && key <= VK_F12) || std::find(std::begin(kForwarded), std::end(kForwarded), key) !=
                                                  std::end(kForwarded);
}

wchar_t CharacterOf(UINT key, const tagKBDEVENT& event, int filter)
{
    struct KeyChars {
        UINT key;
        wchar_t plain;
        wchar_t shifted;
    };
    static constexpr KeyChars kPunctuation[] = {
        {VK_OEM_3, L'`', L'~'},      {VK_OEM_MINUS, L'-', L'_'}, {VK_OEM_PLUS, L'=', L'+'},
        {VK_OEM_4, L'[', L'{'},      {VK_OEM_6, L']', L'}'},     {VK_OEM_5, L'\\', L'|'},
        {VK_OEM_1, L';', L':'},      {VK_OEM_7, L'\'', L'"'},    {VK_OEM_COMMA, L',', L'<'},
        {VK_OEM_PERIOD, L'.', L'>'}, {VK_OEM_2, L'/', L'?'},
        // The keypad's operators and point do not change with Shift.
        {VK_MULTIPLY, L'*', L'*'},   {VK_ADD, L'+', L'+'},       {VK_SUBTRACT, L'-', L'-'},
        {VK_DECIMAL, L'.', L'.'},    {VK_DIVIDE, L'/', L'/'},    {VK_SPACE, L' ', L' '},
    };
    static constexpr wchar_t kShiftedDigits[] = L")!@#$%^&*(";
    const bool shift = Has(event, KBDEVENT_FLAG_SHIFT);
    if (key >= '0' && key <= '9') {
        return filter == 2 ? 0 : shift ? kShiftedDigits[key - '0'] : static_cast<wchar_t>(key);
    }
    if (key >= 'A' && key <= 'Z') {
        const bool upper = shift != Has(event, KBDEVENT_FLAG_CAPSLOCK);
        return filter == 1 ? 0 : static_cast<wchar_t>(upper ? key : key - 'A' + 'a');
    }
    for (const KeyChars& entry : kPunctuation) {
        if (entry.key == key) {
            return shift ? entry.shifted : entry.plain;
        }
    }
    return 0;
}

} // namespace

TranslatedKey TranslateKey(const tagKBDEVENT& event, int filter)
{
    TranslatedKey result;
    const UINT key = KeypadKey(event);
    if (key == 0 || Has(event, KBDEVENT_FLAG_KEY5F)) {
        return result;
    }
    const bool down = IsDown(event);
    // Ctrl chords are commands, never characters: only select-all and paste mean something here.
    if (Has(event, KBDEVENT_FLAG_CTRL) && !IsForwardedKey(key) && key != VK_BACK && key != VK_DELETE) {
        if (down && key == 'A') {
            result.action = KeyAction::SelectAll;
        } else if (down && key == 'V') {
            result.action = KeyAction::Paste;
        }
        return result;
    }
    if (key == VK_BACK || key == VK_DELETE) {
        result.action = down ? (key == VK_BACK ? KeyAction::Backspace : KeyAction::Delete) : KeyAction::Ignore;
        return result;
    }
    if (key == VK_INSERT) {
        return result;
    }
    if (IsForwardedKey(key)) {
        result.action = KeyAction::Forward;
        result.key = key;
        return result;
    }
    if (down) {
        result.action = KeyAction::Character;
        result.ch = CharacterOf(key, event, filter);
    }
    return result;
}

LPARAM KeyMessageParam(const tagKBDEVENT& event)
{
    const bool released = !IsDown(event);
    DWORD param = event.repeat | static_cast<DWORD>(event.scan) << 16;
    param |= Has(event, KBDEVENT_FLAG_EXTENDED) ? 1u << 24 : 0;
    param |= Has(event, KBDEVENT_FLAG_ALT) ? 1u << 29 : 0;
    param |= released || (event.state & KBDEVENT_STATE_DOWN_OR_PREVIOUS) ? 1u << 30 : 0;
    param |= released ? 1u << 31 : 0;
    return static_cast<LPARAM>(param);
}

BYTE CurrentKeyStateFlags()
{
    BYTE flags = 0;
    flags |= ::GetKeyState(VK_CONTROL) < 0 ? KBDEVENT_FLAG_CTRL : 0;
    flags |= ::GetKeyState(VK_SHIFT) < 0 ? KBDEVENT_FLAG_SHIFT : 0;
    flags |= ::GetKeyState(kKeyIgnoredWhenDown) < 0 ? KBDEVENT_FLAG_KEY5F : 0;
    flags |= (::GetKeyState(VK_NUMLOCK) & 1) ? KBDEVENT_FLAG_NUMLOCK : 0;
    flags |= (::GetKeyState(VK_CAPITAL) & 1) ? KBDEVENT_FLAG_CAPSLOCK : 0;
    flags |= (::GetKeyState(VK_SCROLL) & 1) ? KBDEVENT_FLAG_SCROLLLOCK : 0;
    return flags;
}

bool IsModifierKey(DWORD key)
{
    static constexpr DWORD kModifiers[] = {VK_MENU,  VK_LMENU,    VK_RMENU,    VK_SHIFT,   VK_LSHIFT, VK_RSHIFT,
                                           VK_CONTROL, VK_LCONTROL, VK_RCONTROL, VK_NUMLOCK, VK_CAPITAL, VK_SCROLL};
    return std::find(std::begin(kModifiers), std::end(kModifiers), key) != std::end(kModifiers);
}

} // namespace passedit

void CKXPassEdit::KbdProcParamToKbdEvent(UINT key, LPARAM lParam, tagKBDEVENT* event)
{
    if (event == nullptr) {
        return;
    }
    const auto param = static_cast<DWORD>(lParam);
    event->key = key;
    event->repeat = LOWORD(param);
    event->scan = static_cast<BYTE>(param >> 16);
    event->flags = passedit::CurrentKeyStateFlags();
    event->flags |= (param & 1u << 24) ? KBDEVENT_FLAG_EXTENDED : 0;
    event->flags |= (param & 1u << 29) ? KBDEVENT_FLAG_ALT : 0;
    event->state = 0;
    event->state |= (param & 1u << 30) ? KBDEVENT_STATE_DOWN_OR_PREVIOUS : 0;
    event->state |= (param & 1u << 31) ? KBDEVENT_STATE_RELEASED : 0;
}
