// The shared font cache behind Y_CreateFont and Y_DeleteFont.
#include <util/drawfun.h>

#include <cmath>
#include <cstring>
#include <map>

#include "framework/gdi_scope.h"

namespace {

// Two logical fonts are the same font only if all their bytes are equal, the bytes after the face
// name's terminator included.
struct ByteOrder {
    bool operator()(const LOGFONTW& a, const LOGFONTW& b) const { return std::memcmp(&a, &b, sizeof(LOGFONTW)) < 0; }
};

int ScreenPixelsPerInch()
{
    const CClientDC screen(nullptr);
    const int pixels = screen.m_hDC ? GetDeviceCaps(screen.m_hDC, LOGPIXELSY) : 0;
    return pixels > 0 ? pixels : 96;
}

LOGFONTW ToLogFont(const tagYFontDes& description)
{
    LOGFONTW logFont;
    std::memset(&logFont, 0, sizeof(logFont));
    logFont.lfHeight = -static_cast<LONG>(std::lround(description.fPointSize * ScreenPixelsPerInch() / 72.0));
    logFont.lfWidth = description.lWidth;
    logFont.lfEscapement = description.lEscapement;
    logFont.lfOrientation = description.lOrientation;
    logFont.lfWeight = description.lWeight;
    logFont.lfItalic = static_cast<BYTE>(description.lItalic);
    logFont.lfUnderline = static_cast<BYTE>(description.lUnderline);
    logFont.lfStrikeOut = static_cast<BYTE>(description.lStrikeOut);
    logFont.lfCharSet = static_cast<BYTE>(description.lCharSet);
    logFont.lfOutPrecision = static_cast<BYTE>(description.lOutPrecision);
    logFont.lfClipPrecision = static_cast<BYTE>(description.lClipPrecision);
    logFont.lfQuality = static_cast<BYTE>(description.lQuality);
    logFont.lfPitchAndFamily = static_cast<BYTE>(description.lPitchAndFamily);
    static_assert(sizeof(logFont.lfFaceName) == sizeof(description.szFaceName), "face names of one size");
    std::memcpy(logFont.lfFaceName, description.szFaceName, sizeof(logFont.lfFaceName));
    logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    return logFont;
}

// The library's cache: built when the library loads, and with it gone every cached font is deleted.
CKxFontCache g_fontCache;

} // namespace

struct CKxFontCache::Maps {
    struct Entry {
        int nUses;
        LOGFONTW logFont;
    };
    std::map<LOGFONTW, HFONT, ByteOrder> fonts;
    std::map<HFONT, Entry> handles;
};

CKxFontCache::CKxFontCache() : m_maps(std::make_unique<Maps>()) {}

CKxFontCache::~CKxFontCache()
{
    for (const auto& entry : m_maps->handles) {
        if (entry.first) {
            DeleteObject(entry.first);
        }
    }
}

HFONT CKxFontCache::Acquire(const LOGFONTW& logFont)
{
    const auto known = m_maps->fonts.find(logFont);
    if (known != m_maps->fonts.end()) {
        ++m_maps->handles[known->second].nUses;
        return known->second;
    }
    // A font that cannot be made is remembered too, as a null handle with its uses.
    const HFONT font = CreateFontIndirectW(&logFont);
    m_maps->fonts.emplace(logFont, font);
    auto entry = m_maps->handles.emplace(font, Maps::Entry{0, logFont}).first;
    ++entry->second.nUses;
    return font;
}

void CKxFontCache::Release(HFONT font)
{
    const auto entry = m_maps->handles.find(font);
    if (entry != m_maps->handles.end() && entry->second.nUses > 0) {
        --entry->second.nUses;
    }
}

int CKxFontCache::GetUseCount(HFONT font) const
{
    const auto entry = m_maps->handles.find(font);
    return entry == m_maps->handles.end() ? -1 : entry->second.nUses;
}

int CKxFontCache::GetFontCount() const
{
    return static_cast<int>(m_maps->fonts.size());
}

HFONT Y_CreateFont(const tagYFontDes* description)
{
    if (description == nullptr) {
        return nullptr;
    }
    const LOGFONTW logFont = ToLogFont(*description);
    return Y_CreateFont(&logFont);
}

HFONT Y_CreateFont(const LOGFONTW* logFont)
{
    return logFont ? g_fontCache.Acquire(*logFont) : nullptr;
}

BOOL Y_DeleteFont(HFONT font)
{
    g_fontCache.Release(font);
    return TRUE;
}
