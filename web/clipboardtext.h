#pragma once

#include <windows.h>

// Makes sure the clipboard holds text, so that a browser can enable paste at all: when it has neither
// CF_TEXT nor CF_UNICODETEXT, the one-letter text "A" is added as CF_TEXT. What was on the clipboard
// stays there (it is never emptied) and the clipboard is always closed again.
void KxEnsureClipboardText(HWND owner);
