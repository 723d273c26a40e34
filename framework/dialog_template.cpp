#include <util/dialog.h>

namespace {
constexpr size_t kItemCountWord = 4; // style and extended style come first, two words each

void AppendDword(std::vector<WORD>& words, DWORD value)
{
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
}

void AppendCoordinates(std::vector<WORD>& words, int x, int y, int cx, int cy)
{
    for (const int value : {x, y, cx, cy}) {
        words.push_back(static_cast<WORD>(static_cast<short>(value)));
    }
}
} // namespace

CDialogTemplate::CDialogTemplate(const wchar_t* caption, DWORD style, int x, int y, int cx, int cy,
                                 const wchar_t* fontName, WORD pointSize, DWORD exStyle)
{
    if (fontName) {
        style |= DS_SETFONT;
    } else {
        style &= ~static_cast<DWORD>(DS_SETFONT);
    }
    AppendDword(m_words, style);
    AppendDword(m_words, exStyle);
    m_words.push_back(0); // no items yet
    AppendCoordinates(m_words, x, y, cx, cy);
    m_words.push_back(0); // no menu
    m_words.push_back(0); // the dialog class
    AppendText(caption);
    if (fontName) {
        m_words.push_back(pointSize);
        AppendText(fontName);
    }
}

void CDialogTemplate::AlignToDword()
{
    if (m_words.size() % 2 != 0) {
        m_words.push_back(0);
    }
}

void CDialogTemplate::AppendText(const wchar_t* text)
{
    for (const wchar_t* p = text ? text : L""; *p; ++p) {
        m_words.push_back(static_cast<WORD>(*p));
    }
    m_words.push_back(0);
}

void CDialogTemplate::BeginItem(DWORD style, DWORD exStyle, int x, int y, int cx, int cy, WORD id)
{
    AlignToDword();
    AppendDword(m_words, style);
    AppendDword(m_words, exStyle);
    AppendCoordinates(m_words, x, y, cx, cy);
    m_words.push_back(id);
}

void CDialogTemplate::EndItem(const wchar_t* text)
{
    AppendText(text);
    m_words.push_back(0); // no creation data
    ++m_words[kItemCountWord];
}

void CDialogTemplate::AddItem(WORD predefinedClass, const wchar_t* text, WORD id, DWORD style, int x, int y, int cx,
                              int cy, DWORD exStyle)
{
    BeginItem(style, exStyle, x, y, cx, cy, id);
    m_words.push_back(0xFFFF);
    m_words.push_back(predefinedClass);
    EndItem(text);
}

void CDialogTemplate::AddItem(const wchar_t* className, const wchar_t* text, WORD id, DWORD style, int x, int y, int cx,
                              int cy, DWORD exStyle)
{
    BeginItem(style, exStyle, x, y, cx, cy, id);
    AppendText(className);
    EndItem(text);
}

const DLGTEMPLATE* CDialogTemplate::Get() const
{
    return reinterpret_cast<const DLGTEMPLATE*>(m_words.data());
}
