#pragma once

#include <util/passedit.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/pump.h"
#include "support/recording_parent.h"

// A password edit in a visible parent, with its beeps counted instead of sounded.
class PassEditFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        s_beeps = 0;
        m_previous = KxSetInputPlatform(Platform());
        m_parent = std::make_unique<testsupport::RecordingParent>(320, 120);
        m_edit = std::make_unique<CKXPassEdit>();
        ASSERT_TRUE(m_edit->CEdit::Create(WS_VISIBLE | ES_PASSWORD | ES_AUTOHSCROLL, CRect(10, 10, 250, 34),
                                          m_parent.get(), 100));
        ::SetForegroundWindow(*m_parent);
        m_edit->SetFocus();
    }
    void TearDown() override
    {
        m_edit.reset();
        m_parent.reset();
        KxSetInputPlatform(m_previous);
    }
    // The platform calls the tests use: the fixture only counts beeps.
    virtual KxInputPlatform Platform() const { return {nullptr, nullptr, &CountBeep, nullptr}; }

    std::wstring SafeText() const
    {
        wchar_t buffer[1100] = {};
        m_edit->GetSafeText(buffer, 1100);
        return buffer;
    }
    // What the window itself holds, read the way the platform lets anyone read a line.
    static std::wstring WindowLine(HWND edit)
    {
        wchar_t buffer[1100] = {};
        *reinterpret_cast<WORD*>(buffer) = 1099;
        const LRESULT count = ::SendMessageW(edit, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer));
        return std::wstring(buffer, static_cast<size_t>(count));
    }
    // A key as the hooks deliver it: flags as given, not refreshed.
    void Key(DWORD key, BYTE flags = 0, bool released = false)
    {
        const BYTE state = KBDEVENT_STATE_HOOKED | (released ? KBDEVENT_STATE_RELEASED : KBDEVENT_STATE_DOWN_OR_PREVIOUS);
        tagKBDEVENT event{key, 1, 0, flags, state};
        m_edit->PostKbdEvent(&event);
    }
    void Type(const char* keys, BYTE flags = 0)
    {
        for (const char* key = keys; *key; ++key) {
            Key(static_cast<BYTE>(*key), flags);
        }
        testsupport::PumpPending();
    }
    std::pair<int, int> Selection() const
    {
        int start = 0;
        int end = 0;
        m_edit->GetSel(start, end);
        return {start, end};
    }

    static BOOL WINAPI CountBeep(UINT)
    {
        ++s_beeps;
        return TRUE;
    }

    static inline int s_beeps = 0;
    KxInputPlatform m_previous{};
    std::unique_ptr<testsupport::RecordingParent> m_parent;
    std::unique_ptr<CKXPassEdit> m_edit;
};
