#include "support/recording_parent.h"

#include <stdexcept>

namespace testsupport {

namespace {
const wchar_t kClassName[] = L"UtilTestParent";
// Registered window messages (0xC000 and above) belong to the system, not to the controls under test.
constexpr UINT kFirstRegisteredMessage = 0xC000;
} // namespace

RecordingParent::RecordingParent(int width, int height, bool visible)
{
    KxRegisterWndClass(kClassName, ::LoadCursorW(nullptr, IDC_ARROW));
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0);
    if (!CreateEx(0, kClassName, L"test parent", style, 0, 0, width, height, nullptr, nullptr)) {
        throw std::runtime_error("cannot create the test parent window");
    }
}

RecordingParent::~RecordingParent()
{
    DestroyWindow();
}

std::vector<ReceivedMessage> RecordingParent::Messages(UINT message) const
{
    std::vector<ReceivedMessage> matching;
    for (const ReceivedMessage& received : m_received) {
        if (received.message == message) {
            matching.push_back(received);
        }
    }
    return matching;
}

std::vector<ReceivedMessage> RecordingParent::Notifications(int code) const
{
    std::vector<ReceivedMessage> matching;
    for (const ReceivedMessage& received : m_received) {
        if (received.message == WM_NOTIFY && received.code == code) {
            matching.push_back(received);
        }
    }
    return matching;
}

LRESULT RecordingParent::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_USER && message < kFirstRegisteredMessage) {
        ReceivedMessage received;
        received.message = message;
        received.wParam = wParam;
        received.lParam = lParam;
        m_received.push_back(received);
        const auto answer = m_answers.find(message);
        return answer == m_answers.end() ? 0 : answer->second;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL RecordingParent::OnCommand(WPARAM wParam, LPARAM lParam)
{
    ReceivedMessage received;
    received.message = WM_COMMAND;
    received.wParam = wParam;
    received.lParam = lParam;
    received.id = LOWORD(wParam);
    received.code = HIWORD(wParam);
    received.from = reinterpret_cast<HWND>(lParam);
    received.takenByChild = CWnd::OnCommand(wParam, lParam) != FALSE;
    m_received.push_back(received);
    return TRUE;
}

BOOL RecordingParent::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    ReceivedMessage received;
    received.message = WM_NOTIFY;
    received.wParam = wParam;
    received.lParam = lParam;
    if (header) {
        received.id = header->idFrom;
        received.code = static_cast<int>(header->code);
        received.from = header->hwndFrom;
        const auto size = m_recordSizes.find(received.code);
        const size_t bytes = size == m_recordSizes.end() ? sizeof(NMHDR) : size->second;
        const auto* first = reinterpret_cast<const BYTE*>(header);
        received.record.assign(first, first + bytes);
    }
    received.takenByChild = CWnd::OnNotify(wParam, lParam, result) != FALSE;
    if (!received.takenByChild) {
        const auto answer = m_notifyAnswers.find(received.code);
        *result = answer == m_notifyAnswers.end() ? 0 : answer->second;
    }
    m_received.push_back(received);
    return TRUE;
}

} // namespace testsupport
