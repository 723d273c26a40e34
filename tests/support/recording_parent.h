#pragma once

#include <windows.h>

#include <cstring>
#include <map>
#include <vector>

#include <util/wnd.h>

namespace testsupport {

// One message a RecordingParent received.
struct ReceivedMessage {
    UINT message = 0; // WM_NOTIFY, WM_COMMAND or a private message (WM_USER and above)
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    UINT_PTR id = 0; // WM_NOTIFY: idFrom; WM_COMMAND: the control or command identifier
    int code = 0;    // WM_NOTIFY: the notification code; WM_COMMAND: the notification (HIWORD)
    HWND from = nullptr;
    // The sender took the notification back by reflection: a real parent's handlers would not see it.
    bool takenByChild = false;
    // WM_NOTIFY: a copy of the record (as many bytes as ExpectRecord asked for, else the header).
    std::vector<BYTE> record;

    // The copied record as the given type; a zeroed one when fewer bytes were copied.
    template <typename Record>
    Record As() const
    {
        Record value{};
        if (record.size() >= sizeof(Record)) {
            std::memcpy(&value, record.data(), sizeof(Record));
        }
        return value;
    }
};

// A visible top-level window that stands in for a control's parent: it records every WM_NOTIFY,
// WM_COMMAND and private message it receives, in order, and gives configurable answers. Children
// that are framework windows are first offered their notifications back, as by any CWnd parent.
class RecordingParent : public CWnd {
public:
    explicit RecordingParent(int width = 400, int height = 300, bool visible = true);
    ~RecordingParent() override;

    const std::vector<ReceivedMessage>& received() const { return m_received; }
    void clear() { m_received.clear(); }
    // The records of one message, and of one notification code.
    std::vector<ReceivedMessage> Messages(UINT message) const;
    std::vector<ReceivedMessage> Notifications(int code) const;

    // Notifications with this code are copied with the size of Record.
    template <typename Record>
    void ExpectRecord(int code)
    {
        m_recordSizes[code] = sizeof(Record);
    }
    // The answer to a private message, or to a notification code (default 0).
    void SetAnswer(UINT message, LRESULT answer) { m_answers[message] = answer; }
    void SetNotifyAnswer(int code, LRESULT answer) { m_notifyAnswers[code] = answer; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    std::vector<ReceivedMessage> m_received;
    std::map<int, size_t> m_recordSizes;
    std::map<UINT, LRESULT> m_answers;
    std::map<int, LRESULT> m_notifyAnswers;
};

} // namespace testsupport
