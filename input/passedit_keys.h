#pragma once

#include <windows.h>

#include <util/passedit.h>

namespace passedit {

// What one keyboard event asks of the password edit.
enum class KeyAction {
    Ignore,
    SelectAll,
    Paste,
    Backspace,
    Delete,
    Forward,   // the edit's own handling (navigation, dialog keys): key is the key to send
    Character, // ch, or 0 when the key gives no character the edit takes (the user hears a beep)
};

struct TranslatedKey {
    KeyAction action = KeyAction::Ignore;
    UINT key = 0;
    wchar_t ch = 0;
};

// The keypad, Shift, Caps Lock and punctuation tables; filter 1 drops letters, 2 digits.
TranslatedKey TranslateKey(const tagKBDEVENT& event, int filter);
// The keyboard message parameter that the event came from.
LPARAM KeyMessageParam(const tagKBDEVENT& event);
// Ctrl, Shift, key 0x5F and the three locks as the keyboard stands now (KBDEVENT_FLAGS_FROM_KEY_STATE).
BYTE CurrentKeyStateFlags();
// The modifier and lock keys, which the hooks leave to the system so that it keeps their state.
bool IsModifierKey(DWORD key);

} // namespace passedit
