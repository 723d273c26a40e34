#include <util/passedit.h>

#include <util/blowfish.h>
#include <util/kxmsg.h>
#include <util/menu.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "framework/gdi_scope.h"
#include "input/passedit_hooks.h"
#include "input/passedit_keys.h"

#undef DefWindowProc

namespace {

constexpr UINT kCodePage = 936;
constexpr int kMaxTextBytes = 1023;
constexpr int kLengthFieldBytes = 4;
// The largest stored buffer: a length field and 1023 bytes, rounded up to whole blocks.
constexpr int kMaxStoredBytes = (kMaxTextBytes + kLengthFieldBytes + 7) / 8 * 8;
constexpr int kContentBytes = sizeof(_KXEncrypt_stru::text);
constexpr char kContentKey[] = "~MRV@TD";
constexpr DWORD kCompatibleVersionBit = 0x80000000;
constexpr DWORD kCreateStyle = WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD;
constexpr UINT kBeep = MB_ICONASTERISK;
// WPARAM of the 0x50E posted after a key that went back to the edit: its turn is over.
constexpr WPARAM kResumeAfterForward = 1;
constexpr DWORD kDrainRepostMilliseconds = 100;

constexpr UINT ID_EDIT_CLEAR = 0xE120;
constexpr UINT ID_EDIT_CLEAR_ALL = 0xE121;
constexpr UINT ID_EDIT_PASTE = 0xE125;
constexpr UINT ID_EDIT_SELECT_ALL = 0xE12A;

constexpr char kKeyAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!#$%&()*+,-./:;<=>?@[]";
static_assert(sizeof(kKeyAlphabet) - 1 == 84, "the key alphabet has 84 characters");

bool IsPrintable(wchar_t ch)
{
    return ch >= 0x20 && ch != 0x7F && !(ch >= 0x80 && ch < 0xA0) && !(ch >= 0xD800 && ch < 0xE000);
}

// The code-page-936 bytes of one character (1 or 2), 0 when the code page has none for it.
int CharacterBytes(wchar_t ch, char (&bytes)[2])
{
    BOOL usedDefault = FALSE;
    const int count = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &ch, 1, bytes, 2, nullptr, &usedDefault);
    return usedDefault ? 0 : count;
}

void Beep()
{
    KxGetInputPlatform().messageBeep(kBeep);
}

// The clipboard, open for as long as the object lives.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) : m_open(::OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession()
    {
        if (m_open) {
            ::CloseClipboard();
        }
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

// Wide text of a password, wiped when it goes.
struct WideText {
    wchar_t chars[kMaxTextBytes + 1] = {};
    int length = 0;
    ~WideText() { ::SecureZeroMemory(chars, sizeof(chars)); }
};

} // namespace

// The password in the clear, in its code-page-936 form; wiped when it goes.
class CKXPassEdit::Plaintext {
public:
    Plaintext() = default;
    Plaintext(const Plaintext& other) : length(other.length) { std::memcpy(bytes, other.bytes, sizeof(bytes)); }
    Plaintext& operator=(const Plaintext&) = delete;
    ~Plaintext() { ::SecureZeroMemory(bytes, sizeof(bytes)); }

    // Whole characters while they fit in 1023 bytes; a character the code page lacks becomes '?'.
    static Plaintext FromWide(const wchar_t* text, int count)
    {
        Plaintext result;
        for (int i = 0; text && i < count && text[i]; ++i) {
            char one[2] = {};
            const int size = ::WideCharToMultiByte(kCodePage, 0, &text[i], 1, one, 2, nullptr, nullptr);
            if (size <= 0 || result.length + size > kMaxTextBytes) {
                break;
            }
            std::memcpy(result.bytes + result.length, one, static_cast<size_t>(size));
            result.length += size;
            ::SecureZeroMemory(one, sizeof(one));
        }
        return result;
    }

    void ToWide(WideText& out) const
    {
        out.length = length ? ::MultiByteToWideChar(kCodePage, 0, bytes, length, out.chars, kMaxTextBytes) : 0;
        out.length = std::max(out.length, 0);
        out.chars[out.length] = 0;
    }

    // The start of the character that holds the byte at offset, and the end of the one that holds
    // the byte before offset: a range widened with both covers whole characters.
    int CharStart(int offset) const
    {
        for (int pos = 0; pos < length; pos += Step(pos)) {
            if (pos + Step(pos) > offset) {
                return pos;
            }
        }
        return length;
    }
    int CharEnd(int offset) const
    {
        int pos = 0;
        while (pos < offset && pos < length) {
            pos += Step(pos);
        }
        return pos;
    }

    // The caller keeps the result within 1023 bytes.
    void Replace(int start, int end, const char* insert, int count)
    {
        std::memmove(bytes + start + count, bytes + end, static_cast<size_t>(length - end));
        if (count > 0) {
            std::memcpy(bytes + start, insert, static_cast<size_t>(count));
        }
        length += count - (end - start);
        std::memset(bytes + length, 0, sizeof(bytes) - static_cast<size_t>(length));
    }

    bool Equals(const char* other, int otherLength) const
    {
        return otherLength == length && std::memcmp(bytes, other, static_cast<size_t>(length)) == 0;
    }

    char bytes[kMaxTextBytes + 1] = {};
    int length = 0;

private:
    int Step(int pos) const
    {
        const auto byte = static_cast<BYTE>(bytes[pos]);
        return byte >= 0x80 && ::IsDBCSLeadByteEx(kCodePage, byte) && pos + 1 < length ? 2 : 1;
    }
};

// The window's share of the edits made while the queue drains. The store changes with every key;
// the window takes its spaces, caret and selection once, when the drain ends or before a key that
// the window handles itself: each change of the window's text lays it out again and notifies the
// parent.
class CKXPassEdit::DeferredWindow {
public:
    explicit DeferredWindow(CKXPassEdit& edit) : m_edit(edit) { m_edit.m_deferred = this; }
    ~DeferredWindow()
    {
        CatchUp();
        m_edit.m_deferred = nullptr;
    }
    DeferredWindow(const DeferredWindow&) = delete;
    DeferredWindow& operator=(const DeferredWindow&) = delete;

    std::pair<int, int> Selection()
    {
        ReadWindow();
        return m_selection;
    }
    bool IsEditable()
    {
        ReadWindow();
        return m_editable;
    }
    int TextLimit()
    {
        ReadWindow();
        return m_limit;
    }
    // The password changed; the caret goes to caret.
    void Replaced(int caret)
    {
        ReadWindow();
        m_selection = {caret, caret};
        m_textChanged = true;
    }

    // The window shows the edits so far; what comes after reads it again.
    void CatchUp()
    {
        if (!m_read) {
            return;
        }
        m_read = false;
        if (m_textChanged) {
            ShowLength(m_edit.m_textLength);
        }
        if (m_selection != m_shownSelection) {
            m_edit.SelectInWindow(m_selection.first, m_selection.second, true);
        }
    }

private:
    void ReadWindow()
    {
        if (!m_read) {
            m_shownSelection = m_edit.WindowSelection();
            m_selection = m_shownSelection;
            m_editable = m_edit.IsWindowEditable();
            m_limit = m_edit.WindowTextLimit();
            m_textChanged = false;
            m_read = true;
        }
    }

    // One space a byte, changed at the end only; a password changed without changing its length
    // is still reported as a change, as the edit reports its own.
    void ShowLength(int length)
    {
        const auto shown = static_cast<int>(m_edit.CallEdit(WM_GETTEXTLENGTH));
        if (shown != length) {
            const int common = std::min(shown, length);
            m_edit.SelectInWindow(common, shown, false);
            m_edit.ReplaceInWindow(std::wstring(static_cast<size_t>(length - common), L' ').c_str());
            m_shownSelection = {length, length};
        } else {
            m_edit.CallEdit(EM_SETMODIFY, TRUE);
            ::SendMessageW(::GetParent(m_edit.m_hWnd), WM_COMMAND, MAKEWPARAM(m_edit.GetDlgCtrlID(), EN_CHANGE),
                           reinterpret_cast<LPARAM>(m_edit.m_hWnd));
        }
    }

    CKXPassEdit& m_edit;
    bool m_read = false;
    std::pair<int, int> m_shownSelection;
    std::pair<int, int> m_selection;
    bool m_editable = false;
    int m_limit = 0;
    bool m_textChanged = false;
};

// ---- construction ----

CKXPassEdit::CKXPassEdit()
    : m_compatible(KxGetInputPlatform().getVersion() >= kCompatibleVersionBit), m_key{},
      m_keyLength(std::rand() % 130 + 130)
{
    for (int i = 0; i < m_keyLength; ++i) {
        m_key[i] = static_cast<BYTE>(kKeyAlphabet[std::rand() % (sizeof(kKeyAlphabet) - 1)]);
    }
    m_cipher = std::make_unique<KXBlowfish>(m_key, static_cast<size_t>(m_keyLength));
    std::memcpy(m_contentKey, kContentKey, sizeof(kContentKey));
    ClearStore();
}

CKXPassEdit::~CKXPassEdit()
{
    ForceUninstallHook();
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        DestroyWindow();
    }
    for (tagKBDEVENT& event : m_events) {
        ::SecureZeroMemory(&event, sizeof(event));
    }
    if (m_stored) {
        ::SecureZeroMemory(m_stored.get(), m_storedSize);
    }
    ::SecureZeroMemory(m_key, sizeof(m_key));
}

int CKXPassEdit::Create(CMarkupSTL& element, UINT id, CWnd* parent)
{
    const std::wstring rectText = element.GetAttrib(L"rect");
    long edges[4] = {};
    const wchar_t* cursor = rectText.c_str();
    for (long& edge : edges) {
        wchar_t* end = nullptr;
        edge = std::wcstol(cursor, &end, 10);
        cursor = *end == L',' ? end + 1 : end;
    }
    const DWORD added = static_cast<DWORD>(element.GetAttribInt(L"addstyle", 0));
    const DWORD removed = static_cast<DWORD>(element.GetAttribInt(L"delstyle", 0));
    const CRect rect(edges[0], edges[1], edges[2], edges[3]);
    const BOOL created = CEdit::Create((added | kCreateStyle) & ~removed, rect, parent, id);
    m_creating = false;
    return created;
}

BOOL CKXPassEdit::PreCreateWindow(CREATESTRUCTW& cs)
{
    m_creating = true;
    return CEdit::PreCreateWindow(cs);
}

void CKXPassEdit::PreSubclassWindow()
{
    CEdit::PreSubclassWindow();
    if (!m_compatible && !passedit::HookSet::Instance().Register(this)) {
        OnSystemNotSafe();
    }
    // A window being created cannot take a font before the edit has set itself up (OnCreate).
    if (!m_creating) {
        TakeParentFont();
    }
}

int CKXPassEdit::OnCreate(CREATESTRUCTW* cs)
{
    const int result = CEdit::OnCreate(cs);
    m_creating = false;
    TakeParentFont();
    return result;
}

void CKXPassEdit::TakeParentFont()
{
    HWND parent = ::GetParent(m_hWnd);
    const auto font = parent ? static_cast<WPARAM>(::SendMessageW(parent, WM_GETFONT, 0, 0)) : 0;
    if (font) {
        SendMessage(WM_SETFONT, font, FALSE);
    }
}

void CKXPassEdit::OnDestroy()
{
    ForceUninstallHook();
    CEdit::OnDestroy();
}

void CKXPassEdit::ForceUninstallHook()
{
    passedit::HookSet::Instance().Unregister(this);
}

void CKXPassEdit::OnSystemNotSafe()
{
    ::PostQuitMessage(-1);
}

// ---- the store ----

int CKXPassEdit::DoEncryptBuffer(const char* text, BYTE* out)
{
    const int length = text ? static_cast<int>(strnlen(text, kMaxTextBytes)) : 0;
    const int size = (length + kLengthFieldBytes + 7) / 8 * 8;
    if (out == nullptr) {
        return size;
    }
    std::memset(out, 0, static_cast<size_t>(size));
    for (int i = 0; i < kLengthFieldBytes; ++i) {
        out[i] = static_cast<BYTE>(static_cast<DWORD>(length) >> (8 * i));
    }
    if (length > 0) {
        std::memcpy(out + kLengthFieldBytes, text, static_cast<size_t>(length));
    }
    m_cipher->EncryptEcb(out, static_cast<size_t>(size));
    return size;
}

int CKXPassEdit::DoDecryptBuffer(BYTE* data, DWORD size, char* out)
{
    if (out) {
        out[0] = 0;
    }
    if (data == nullptr || out == nullptr || size % KXBlowfish::kBlockSize != 0 || size < kLengthFieldBytes) {
        return 0;
    }
    // Only the blocks a text of at most 1023 bytes can fill are read.
    BYTE plain[kMaxStoredBytes];
    const DWORD used = std::min<DWORD>(size, kMaxStoredBytes);
    std::memcpy(plain, data, used);
    m_cipher->DecryptEcb(plain, used);
    DWORD length = 0;
    for (int i = kLengthFieldBytes - 1; i >= 0; --i) {
        length = length << 8 | plain[i];
    }
    if (length > size - kLengthFieldBytes || length > static_cast<DWORD>(kMaxTextBytes)) {
        length = 0;
    }
    std::memcpy(out, plain + kLengthFieldBytes, length);
    out[length] = 0;
    ::SecureZeroMemory(plain, sizeof(plain));
    return static_cast<int>(length);
}

CKXPassEdit::Plaintext CKXPassEdit::ReadStore()
{
    Plaintext text;
    text.length = DoDecryptBuffer(m_stored.get(), m_storedSize, text.bytes);
    return text;
}

void CKXPassEdit::WriteStore(const Plaintext& text)
{
    // One buffer for every size a password can have, so that a key costs no allocation.
    const auto size = static_cast<DWORD>(DoEncryptBuffer(text.bytes, nullptr));
    if (size > m_storedCapacity) {
        if (m_stored) {
            ::SecureZeroMemory(m_stored.get(), m_storedSize);
        }
        m_storedCapacity = std::max<DWORD>(size, kMaxStoredBytes);
        m_stored = std::make_unique<BYTE[]>(m_storedCapacity);
        m_storedSize = 0;
    }
    DoEncryptBuffer(text.bytes, m_stored.get());
    if (size < m_storedSize) {
        ::SecureZeroMemory(m_stored.get() + size, m_storedSize - size);
    }
    m_storedSize = size;
    m_textLength = text.length;
}

void CKXPassEdit::ClearStore()
{
    WriteStore(Plaintext());
}

// ---- the password's interface ----

void CKXPassEdit::SetSafeText(const wchar_t* text, int show)
{
    const Plaintext plain = Plaintext::FromWide(text, INT_MAX);
    WriteStore(plain);
    if (show && IsWindow()) {
        if (m_compatible) {
            WideText wide;
            plain.ToWide(wide);
            CallEdit(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.chars));
        } else {
            const std::wstring spaces(static_cast<size_t>(plain.length), L' ');
            CallEdit(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(spaces.c_str()));
        }
        SelectInWindow(plain.length, plain.length, true);
    }
}

int CKXPassEdit::GetSafeText(wchar_t* buffer, int size)
{
    const Plaintext plain = ReadStore();
    if (buffer && size > 0) {
        WideText wide;
        plain.ToWide(wide);
        const int count = std::min(wide.length, size - 1);
        std::memcpy(buffer, wide.chars, static_cast<size_t>(count) * sizeof(wchar_t));
        buffer[count] = 0;
    }
    return plain.length;
}

int CKXPassEdit::GetSafeText(CString& text)
{
    WideText wide;
    ReadStore().ToWide(wide);
    text = CString(wide.chars, wide.length);
    return wide.length;
}

int CKXPassEdit::GetSafeTextLength()
{
    return m_textLength;
}

void CKXPassEdit::ResetContent()
{
    ClearStore();
    if (IsWindow()) {
        CallEdit(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    }
}

void CKXPassEdit::SetStyle(int contentMode, int limit, int filter)
{
    m_contentMode = contentMode;
    m_filter = filter == 1 || filter == 2 ? filter : 0;
    if (IsWindow()) {
        SetLimitText(static_cast<UINT>(limit > 0 && limit < kMaxTextBytes ? limit : kMaxTextBytes));
    }
}

void CKXPassEdit::GetContent(_KXEncrypt_stru* record)
{
    if (!m_contentMode || record == nullptr) {
        return;
    }
    std::memset(record, 0, sizeof(*record));
    const Plaintext plain = ReadStore();
    if (plain.length >= kContentBytes) {
        return;
    }
    std::memcpy(record->text, plain.bytes, static_cast<size_t>(plain.length));
    const KXBlowfish cipher(m_contentKey, std::strlen(m_contentKey));
    cipher.EncryptEcb(record->text, static_cast<size_t>(plain.length + 7) / 8 * 8);
    record->length = static_cast<DWORD>(plain.length);
}

int CKXPassEdit::CheckContent(_KXEncrypt_stru* record)
{
    if (!m_contentMode || record == nullptr || record->length >= static_cast<DWORD>(kContentBytes)) {
        return 0;
    }
    BYTE text[kContentBytes];
    const size_t blocks = (record->length + 7) / 8 * 8;
    std::memcpy(text, record->text, blocks);
    const KXBlowfish cipher(m_contentKey, std::strlen(m_contentKey));
    cipher.DecryptEcb(text, blocks);
    const int same = ReadStore().Equals(reinterpret_cast<const char*>(text), static_cast<int>(record->length));
    ::SecureZeroMemory(text, sizeof(text));
    return same;
}

int CKXPassEdit::CheckContent(const char* text)
{
    if (!m_contentMode || text == nullptr) {
        return 0;
    }
    WideText wide;
    wide.length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.chars, kMaxTextBytes + 1);
    if (wide.length <= 0) {
        return 0; // not valid text, or longer than any password
    }
    const Plaintext candidate = Plaintext::FromWide(wide.chars, wide.length - 1);
    const bool whole = candidate.length > 0 || wide.length == 1;
    return whole && ReadStore().Equals(candidate.bytes, candidate.length);
}

// ---- editing ----

bool CKXPassEdit::IsEditable()
{
    return !IsWindow() || (m_deferred ? m_deferred->IsEditable() : IsWindowEditable());
}

int CKXPassEdit::TextLimit()
{
    if (!IsWindow()) {
        return kMaxTextBytes;
    }
    return m_deferred ? m_deferred->TextLimit() : WindowTextLimit();
}

void CKXPassEdit::EditSelection(int& start, int& end)
{
    if (m_deferred) {
        std::tie(start, end) = m_deferred->Selection();
    } else if (IsWindow()) {
        std::tie(start, end) = WindowSelection();
    } else {
        start = end = m_textLength;
    }
}

LRESULT CKXPassEdit::CallEdit(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CEdit::DefWindowProc(message, wParam, lParam);
}

std::pair<int, int> CKXPassEdit::WindowSelection()
{
    DWORD start = 0;
    DWORD end = 0;
    CallEdit(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

void CKXPassEdit::SelectInWindow(int start, int end, bool scroll)
{
    CallEdit(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
    if (scroll) {
        CallEdit(EM_SCROLLCARET);
    }
}

void CKXPassEdit::ReplaceInWindow(const wchar_t* text)
{
    CallEdit(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

bool CKXPassEdit::IsWindowEditable() const
{
    return (GetStyle() & ES_READONLY) == 0 && IsWindowEnabled();
}

int CKXPassEdit::WindowTextLimit()
{
    const auto limit = static_cast<int>(std::min<LRESULT>(CallEdit(EM_GETLIMITTEXT), kMaxTextBytes));
    // Without ES_AUTOHSCROLL the platform edit refuses typing past its width; the store refuses it
    // too, or the password would hold keys the window never showed.
    if ((GetStyle() & (ES_AUTOHSCROLL | ES_MULTILINE)) != 0) {
        return limit;
    }
    return std::min(limit, CharactersThatFit());
}

int CKXPassEdit::CharactersThatFit()
{
    // The window shows one glyph repeated: the password character, else (outside compatibility
    // mode) the spaces standing for the bytes.
    wchar_t glyph = static_cast<wchar_t>(CallEdit(EM_GETPASSWORDCHAR));
    if (glyph == 0 && !m_compatible) {
        glyph = L' ';
    }
    if (glyph == 0) {
        return kMaxTextBytes;
    }
    const CClientDC dc(this);
    const kxdraw::SelectGuard font(dc, reinterpret_cast<HGDIOBJ>(CallEdit(WM_GETFONT)));
    const CSize glyphSize = dc.GetTextExtent(&glyph, 1);
    RECT format{};
    CallEdit(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    return glyphSize.cx > 0 ? std::max(0, static_cast<int>((format.right - format.left) / glyphSize.cx)) : kMaxTextBytes;
}

void CKXPassEdit::CatchUpWindow()
{
    if (m_deferred) {
        m_deferred->CatchUp();
    }
}

bool CKXPassEdit::ReplaceBytes(int start, int end, const char* bytes, int count)
{
    Plaintext text = ReadStore();
    start = std::clamp(start, 0, text.length);
    end = std::clamp(end, start, text.length);
    start = text.CharStart(start);
    end = text.CharEnd(end);
    if (text.length - (end - start) + count > TextLimit()) {
        return false;
    }
    text.Replace(start, end, bytes, count);
    WriteStore(text);
    if (m_deferred) {
        m_deferred->Replaced(start + count);
    } else if (IsWindow()) {
        if (WindowSelection() != std::make_pair(start, end)) {
            SelectInWindow(start, end, false);
        }
        if (m_compatible) {
            Plaintext inserted;
            inserted.Replace(0, 0, bytes, count);
            WideText wide;
            inserted.ToWide(wide);
            ReplaceInWindow(wide.chars);
        } else {
            ReplaceInWindow(std::wstring(static_cast<size_t>(count), L' ').c_str());
        }
    }
    return true;
}

void CKXPassEdit::TypeCharacter(wchar_t ch)
{
    wchar_t accepted = ch;
    char bytes[2] = {};
    const int count = IsPrintable(ch) && IsCharNeed(ch, accepted) ? CharacterBytes(accepted, bytes) : 0;
    if (count == 0) {
        Beep();
    } else if (IsEditable()) {
        int start = 0;
        int end = 0;
        EditSelection(start, end);
        ReplaceBytes(start, end, bytes, count);
    }
    ::SecureZeroMemory(bytes, sizeof(bytes));
}

void CKXPassEdit::DeleteAtCaret(bool before)
{
    if (!IsEditable()) {
        return;
    }
    int start = 0;
    int end = 0;
    EditSelection(start, end);
    if (start == end) {
        if (before ? start == 0 : start >= m_textLength) {
            return;
        }
        // Widening to whole characters takes a double-byte character as one.
        before ? --start : ++end;
    }
    ReplaceBytes(start, end, nullptr, 0);
}

void CKXPassEdit::ClearSelection()
{
    int start = 0;
    int end = 0;
    if (IsEditable() && IsWindow()) {
        EditSelection(start, end);
        if (start != end) {
            ReplaceBytes(start, end, nullptr, 0);
        }
    }
}

void CKXPassEdit::PasteClipboard()
{
    if (!IsEditable() || !IsWindow()) {
        return;
    }
    int start = 0;
    int end = 0;
    EditSelection(start, end);
    Plaintext inserted;
    {
        ClipboardSession clipboard(m_hWnd);
        HANDLE data = clipboard.IsOpen() ? ::GetClipboardData(CF_UNICODETEXT) : nullptr;
        const auto* text = data ? static_cast<const wchar_t*>(::GlobalLock(data)) : nullptr;
        if (text == nullptr) {
            return;
        }
        const Plaintext current = ReadStore();
        const int selected =
            current.CharEnd(std::min(end, current.length)) - current.CharStart(std::clamp(start, 0, current.length));
        const int room = TextLimit() - (current.length - selected);
        const size_t capacity = ::GlobalSize(data) / sizeof(wchar_t);
        for (size_t i = 0; i < capacity && text[i]; ++i) {
            wchar_t accepted = text[i];
            char bytes[2] = {};
            const int count =
                IsPrintable(text[i]) && IsCharNeed(text[i], accepted) ? CharacterBytes(accepted, bytes) : 0;
            if (inserted.length + count > room) {
                break;
            }
            std::memcpy(inserted.bytes + inserted.length, bytes, static_cast<size_t>(count));
            inserted.length += count;
            ::SecureZeroMemory(bytes, sizeof(bytes));
        }
        ::GlobalUnlock(data);
    }
    ReplaceBytes(start, end, inserted.bytes, inserted.length);
}

void CKXPassEdit::SelectAll()
{
    SelectInWindow(0, -1, true);
    RedrawNow();
}

void CKXPassEdit::RedrawNow()
{
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_FRAME);
}

int CKXPassEdit::IsCharNeed(wchar_t ch, wchar_t& out)
{
    out = ch;
    const bool digit = ch >= L'0' && ch <= L'9';
    if (IsWindow() && (GetStyle() & ES_NUMBER)) {
        return digit;
    }
    const bool letter = (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z');
    if (letter) {
        return m_filter != 1;
    }
    if (digit) {
        return m_filter != 2;
    }
    return m_filter == 0;
}

void CKXPassEdit::PostCharKey(wchar_t ch)
{
    if (ch == L'\b') {
        DeleteAtCaret(true);
    } else {
        TypeCharacter(ch);
    }
}

// ---- keys ----

void CKXPassEdit::PostKbdEvent(tagKBDEVENT* event)
{
    if (event == nullptr || !IsWindow()) {
        return;
    }
    m_events.push_back(*event);
    // A drain still waiting after a while may have been dropped by some message loop (or the thread
    // is busy, and one more costs nothing): it is posted again rather than let the keys wait.
    const DWORD now = ::GetTickCount();
    if ((!m_drainPosted || now - m_drainPostedAt >= kDrainRepostMilliseconds) && PostMessage(WM_KX_KBDEVENT)) {
        m_drainPosted = true;
        m_drainPostedAt = now;
    }
}

void CKXPassEdit::DrainKbdEvents()
{
    if (m_deferred) {
        return; // the drain further up this thread's stack takes the new events
    }
    // Keys queued while the window caught up (its notifications can run a message loop) are
    // taken by the next round.
    while (!m_events.empty() && !m_forwardPending) {
        std::optional<DeferredWindow> deferred;
        if (!m_compatible) {
            deferred.emplace(*this);
        }
        DrainQueuedEvents();
    }
}

void CKXPassEdit::DrainQueuedEvents()
{
    const bool lowLevelHook = passedit::HookSet::Instance().HasLowLevelHook();
    while (!m_events.empty() && !m_forwardPending) {
        tagKBDEVENT event = m_events.front();
        ::SecureZeroMemory(&m_events.front(), sizeof(event));
        m_events.pop_front();
        if ((event.state & KBDEVENT_STATE_HOOKED) == 0 && lowLevelHook) {
            event.flags = (event.flags & ~KBDEVENT_FLAGS_FROM_KEY_STATE) | passedit::CurrentKeyStateFlags();
        }
        bool forwarded = false;
        HandleKbdEvent(event, forwarded);
        ::SecureZeroMemory(&event, sizeof(event));
        if (forwarded) {
            // The keys after it wait until the edit has handled it, so they apply in typing order.
            m_forwardPending = true;
            PostMessage(WM_KX_KBDEVENT, kResumeAfterForward);
        }
    }
}

void CKXPassEdit::HandleKbdEvent(const tagKBDEVENT& event, bool& forwarded)
{
    const passedit::TranslatedKey key = passedit::TranslateKey(event, m_filter);
    switch (key.action) {
    case passedit::KeyAction::Ignore:
        break;
    case passedit::KeyAction::SelectAll:
        CatchUpWindow();
        SelectAll();
        break;
    case passedit::KeyAction::Paste:
        PasteClipboard();
        break;
    case passedit::KeyAction::Backspace:
    case passedit::KeyAction::Delete:
        DeleteAtCaret(key.action == passedit::KeyAction::Backspace);
        break;
    case passedit::KeyAction::Forward: {
        const bool released = (event.state & KBDEVENT_STATE_RELEASED) != 0;
        CatchUpWindow();
        PostMessage(released ? WM_KEYUP : WM_KEYDOWN, key.key, passedit::KeyMessageParam(event));
        RedrawNow();
        forwarded = true;
        break;
    }
    case passedit::KeyAction::Character:
        TypeCharacter(key.ch);
        break;
    }
}

// ---- messages ----

LRESULT CKXPassEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KX_KBDEVENT) {
        if (wParam == kResumeAfterForward) {
            m_forwardPending = false;
        } else {
            m_drainPosted = false;
        }
        DrainKbdEvents();
        return 0;
    }
    return CEdit::WindowProc(message, wParam, lParam);
}

LRESULT CKXPassEdit::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_compatible) {
        // The edit changes the spaces in its window by calling the edit's procedure itself.
        switch (message) {
        case WM_SETTEXT:
        case EM_REPLACESEL:
        case WM_GETTEXT:
        case EM_CANUNDO:
        case EM_UNDO:
        case WM_UNDO:
        case WM_CUT:
        case WM_COPY:
        case WM_CHAR:
            return 0;
        case WM_PASTE:
            PasteClipboard();
            return 0;
        case WM_CLEAR:
            ClearSelection();
            return 0;
        default:
            break;
        }
    }
    return CEdit::DefWindowProc(message, wParam, lParam);
}

BOOL CKXPassEdit::PreTranslateMessage(MSG* msg)
{
    if (!m_compatible && msg && msg->message >= WM_KEYDOWN && msg->message <= 0x108) {
        const WPARAM key = msg->wParam;
        if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
            return TRUE;
        }
    }
    return CEdit::PreTranslateMessage(msg);
}

BOOL CKXPassEdit::OnChangeReflect()
{
    if (m_compatible) {
        WideText wide;
        wide.length = ::GetWindowTextW(m_hWnd, wide.chars, kMaxTextBytes + 1);
        WriteStore(Plaintext::FromWide(wide.chars, wide.length));
    }
    return FALSE;
}

BOOL CKXPassEdit::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 0) {
        switch (LOWORD(wParam)) {
        case ID_EDIT_PASTE:
            SendMessage(WM_PASTE);
            return TRUE;
        case ID_EDIT_CLEAR:
            SendMessage(WM_CLEAR);
            return TRUE;
        case ID_EDIT_CLEAR_ALL:
            SetSel(0, -1, TRUE);
            SendMessage(WM_CLEAR);
            return TRUE;
        case ID_EDIT_SELECT_ALL:
            SelectAll();
            return TRUE;
        default:
            break;
        }
    }
    return CEdit::OnCommand(wParam, lParam);
}

void CKXPassEdit::OnContextMenu(CWnd* wnd, CPoint screenPoint)
{
    if (m_compatible) {
        CEdit::OnContextMenu(wnd, screenPoint);
        return;
    }
    if (screenPoint.x == -1 && screenPoint.y == -1) {
        ::GetCaretPos(&screenPoint);
        ClientToScreen(&screenPoint);
    }
    int start = 0;
    int end = 0;
    GetSel(start, end);
    const UINT whenEmpty = m_textLength == 0 ? MF_GRAYED : MF_ENABLED;
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING | (::IsClipboardFormatAvailable(CF_TEXT) ? MF_ENABLED : MF_GRAYED), ID_EDIT_PASTE,
                    L"粘贴(&V)\tCtrl+V");
    menu.AppendMenu(MF_STRING | (start == end ? MF_GRAYED : MF_ENABLED), ID_EDIT_CLEAR, L"删除(&D)");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | whenEmpty, ID_EDIT_CLEAR_ALL, L"全删(&E)");
    menu.AppendMenu(MF_STRING | whenEmpty, ID_EDIT_SELECT_ALL, L"全选(&A)\tCtrl+A");
    const UINT command = static_cast<UINT>(
        menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screenPoint.x, screenPoint.y, this));
    if (command != 0) {
        SendMessage(WM_COMMAND, command);
    }
}

BOOL CKXPassEdit::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CKXPassEdit::OnLButtonDown(UINT flags, CPoint point)
{
    CEdit::OnLButtonDown(flags, point);
    RedrawNow();
}

void CKXPassEdit::OnLButtonUp(UINT flags, CPoint point)
{
    CEdit::OnLButtonUp(flags, point);
    RedrawNow();
}

void CKXPassEdit::OnMouseMove(UINT flags, CPoint point)
{
    CEdit::OnMouseMove(flags, point);
    if (::GetCapture() == m_hWnd) {
        RedrawNow();
    }
}

void CKXPassEdit::OnSetFocus(CWnd* oldWnd)
{
    CEdit::OnSetFocus(oldWnd);
    RedrawNow();
}
