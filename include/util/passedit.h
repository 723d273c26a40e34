#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <utility>

#include <util/cstring.h>
#include <util/edit.h>
#include <util/export.h>
#include <util/inputplatform.h>
#include <util/markup.h>

// Win32 names of members, set aside here (see <util/win32_names.h>).
#pragma push_macro("DefWindowProc")
#undef DefWindowProc

class KXBlowfish;

// One keyboard event on its way from the library's hooks to a password edit.
struct tagKBDEVENT {
    DWORD key;   // virtual-key code
    WORD repeat; // repeat count (1 for low-level hook events)
    BYTE scan;   // scan code
    BYTE flags;  // KBDEVENT_FLAG_*
    BYTE state;  // KBDEVENT_STATE_*
};
static_assert(sizeof(tagKBDEVENT) == 12, "the event record keeps its natural layout");

enum : BYTE {
    KBDEVENT_FLAG_EXTENDED = 0x01,
    KBDEVENT_FLAG_ALT = 0x02, // the context code of the key message
    KBDEVENT_FLAG_CTRL = 0x04,
    KBDEVENT_FLAG_SHIFT = 0x08,
    KBDEVENT_FLAG_KEY5F = 0x10, // virtual key 0x5F is down: the event is ignored
    KBDEVENT_FLAG_NUMLOCK = 0x20,
    KBDEVENT_FLAG_CAPSLOCK = 0x40,
    KBDEVENT_FLAG_SCROLLLOCK = 0x80,
    // Ctrl, Shift, key 0x5F and the three locks: refreshed from the key states when needed.
    KBDEVENT_FLAGS_FROM_KEY_STATE = 0xFC,
};

enum : BYTE {
    // Low-level hook: the key went down. Keyboard hook: the key was down before (bit 30).
    KBDEVENT_STATE_DOWN_OR_PREVIOUS = 0x01,
    KBDEVENT_STATE_RELEASED = 0x02,
    // The event was taken by a hook; its flags describe the keyboard when the key was struck.
    KBDEVENT_STATE_HOOKED = 0x04,
};

// The password in encrypted form, for a client that checks it elsewhere. text holds the password's
// code-page-936 bytes, zero-padded to the next multiple of 8, enciphered with KXBlowfish under the
// 7-byte key "~MRV@TD" (ECB, little-endian words); the bytes after them are zero. length is the
// number of password bytes (0 to 255).
struct _KXEncrypt_stru {
    BYTE text[256];
    DWORD length;
};
static_assert(sizeof(_KXEncrypt_stru) == 260, "the content record is 256 bytes and a length");

// An edit for passwords. While one exists, the library's keyboard hooks take the keys meant for a
// focused password edit before any other hook or the message path sees them and queue them to the
// edit (message 0x50E). The password lives only enciphered in memory (Blowfish under a random key
// of this control); the window holds one space per byte of the password's code-page-936 form, and
// refuses to give out or take text (WM_GETTEXT, WM_SETTEXT, copy, cut, undo, typed WM_CHAR).
// On a platform of the old 16-bit-kernel family it runs in compatibility mode: no hooks, no
// refusals, the window text is the password and each change of it is copied into the store.
// Typing takes no more than the window can show: its text limit and, without ES_AUTOHSCROLL, its
// width.
class UTIL_API CKXPassEdit : public CEdit {
public:
    CKXPassEdit();
    ~CKXPassEdit() override;

    using CEdit::Create;
    // From the current element of a skin: "rect" (left,top,right,bottom), "addstyle" and "delstyle";
    // style (addstyle | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD) & ~delstyle.
    int Create(CMarkupSTL& element, UINT id, CWnd* parent);

    // Replaces the password (at most 1023 bytes, cut at a whole character); with show, the window
    // shows it (as spaces, or the text itself in compatibility mode).
    void SetSafeText(const wchar_t* text, int show);
    // The password into buffer (at most size - 1 characters and a terminator); returns its length
    // in bytes, also with a null buffer.
    int GetSafeText(wchar_t* buffer, int size);
    // Returns the number of characters.
    int GetSafeText(CString& text);
    int GetSafeTextLength();
    void ResetContent();
    // contentMode 1 allows GetContent/CheckContent; filter 0 any character, 1 digits only, 2 letters
    // only. The limit (in bytes, at most 1023; 0 for 1023) goes to the edit.
    void SetStyle(int contentMode, int limit, int filter);
    // As if the character were typed; backspace (8) deletes the selection or the character before
    // the caret.
    void PostCharKey(wchar_t ch);
    // Queues the event and posts message 0x50E to the edit, unless one is already on its way: one
    // drain of the queue takes every event queued before it, in order.
    void PostKbdEvent(tagKBDEVENT* event);
    // In content mode only (else nothing, or 0); see _KXEncrypt_stru.
    void GetContent(_KXEncrypt_stru* record);
    int CheckContent(_KXEncrypt_stru* record);
    // The 8-bit text in the system code page; 1 when it is the password.
    int CheckContent(const char* text);
    // Leaves the protected set now (the hooks go with the last edit).
    void ForceUninstallHook();
    // An event from the parameters of a keyboard message, with the keyboard's current state.
    static void KbdProcParamToKbdEvent(UINT key, LPARAM lParam, tagKBDEVENT* event);

    // The system cannot protect the password. The library's answer ends the message loop (-1).
    virtual void OnSystemNotSafe();
    // The filter: non-zero when ch may enter the password, as out.
    virtual int IsCharNeed(wchar_t ch, wchar_t& out);
    // The store's form of the 8-bit text (at most 1023 bytes are taken): {32-bit little-endian
    // length, text, zeros to a multiple of 8} enciphered. Returns its size; with a null out only
    // the size.
    virtual int DoEncryptBuffer(const char* text, BYTE* out);
    // The text of a stored buffer into out (1024 bytes, terminated); its length, 0 for a buffer
    // that is malformed. data is not changed.
    virtual int DoDecryptBuffer(BYTE* data, DWORD size, char* out);

    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // The window's messages before the edit's own procedure: refusals and the private paths.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL OnChangeReflect() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    int OnCreate(CREATESTRUCTW* cs) override;
    void OnDestroy() override;
    void OnContextMenu(CWnd* wnd, CPoint screenPoint) override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnSetFocus(CWnd* oldWnd) override;

private:
    class Plaintext;
    class DeferredWindow;

    Plaintext ReadStore();
    void WriteStore(const Plaintext& text);
    void ClearStore();

    void HandleKbdEvent(const tagKBDEVENT& event, bool& forwarded);
    // The queue, in rounds whose window changes are made once at the round's end.
    void DrainKbdEvents();
    // The events of one round: until the queue is empty or a key went back to the edit.
    void DrainQueuedEvents();
    void TypeCharacter(wchar_t ch);
    void DeleteAtCaret(bool before);
    void PasteClipboard();
    void ClearSelection();
    void SelectAll();
    // The selection the next edit works on: the window's, or the one it will have after the drain.
    void EditSelection(int& start, int& end);
    // The window shows the round's edits so far (before a key the window handles itself).
    void CatchUpWindow();
    // Replaces [start, end) of the password (widened to whole characters) by bytes; false when the
    // result would pass the limit.
    bool ReplaceBytes(int start, int end, const char* bytes, int count);
    bool IsEditable();
    int TextLimit();
    // The edit's own procedure, past the hooks and the refusals: the edit's changes of its own
    // window cost no trip through the hook chain, and no other hook sees them.
    LRESULT CallEdit(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    std::pair<int, int> WindowSelection();
    void SelectInWindow(int start, int end, bool scroll);
    void ReplaceInWindow(const wchar_t* text);
    bool IsWindowEditable() const;
    int WindowTextLimit();
    // How many of the window's glyphs its formatting rectangle holds.
    int CharactersThatFit();
    void TakeParentFont();
    void RedrawNow();

    bool m_compatible;
    bool m_creating = false;
    // A key went back to the edit as a message; later events wait until it has been handled.
    bool m_forwardPending = false;
    // A 0x50E for the queue has been posted (at that tick count) and not yet handled.
    bool m_drainPosted = false;
    DWORD m_drainPostedAt = 0;
    // Set while the queue drains outside compatibility mode.
    DeferredWindow* m_deferred = nullptr;
    BYTE m_key[260];
    int m_keyLength;
    std::unique_ptr<KXBlowfish> m_cipher;
    std::unique_ptr<BYTE[]> m_stored;
    DWORD m_storedSize = 0;
    DWORD m_storedCapacity = 0;
    int m_textLength = 0;
    int m_contentMode = 0;
    int m_filter = 0;
    char m_contentKey[9];
    std::deque<tagKBDEVENT> m_events;
};

#pragma pop_macro("DefWindowProc")
