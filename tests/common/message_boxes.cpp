#include "common/message_boxes.h"

namespace {

const DWORD PollMs = 5;
// A box that takes this long to answer a message is stuck, not slow.
const UINT SendTimeoutMs = 5000;
const DWORD CloseTimeoutMs = 15000;

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM context)
{
    Search* search = (Search*)context;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[16];
    if ((search->process == 0 || process == search->process) && IsWindowVisible(window) &&
        GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string IconOf(HWND box)
{
    DWORD_PTR icon = 0;
    SendMessageTimeoutA(GetDlgItem(box, MessageBoxIconId), STM_GETICON, 0, 0, SMTO_BLOCK, SendTimeoutMs, &icon);
    if (!icon)
        return "none";
    DWORD process = 0;
    GetWindowThreadProcessId(box, &process);
    if (process != GetCurrentProcessId())
        return "icon"; // icon handles are per process
    struct { LPCSTR id; const char* name; } known[] = {
        { IDI_HAND, "error" }, { IDI_QUESTION, "question" },
        { IDI_EXCLAMATION, "warning" }, { IDI_ASTERISK, "information" },
    };
    for (auto& k : known)
        if ((HICON)icon == LoadIconA(NULL, k.id))
            return k.name;
    return "other";
}

} // namespace

std::string WindowManagerText(HWND window)
{
    WCHAR wide[4096] = L"";
    int length = window ? InternalGetWindowText(window, wide, 4096) : 0;
    char text[4096] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, length + 1, text, sizeof text, NULL, NULL);
    return text;
}

std::string BoxText(HWND box)
{
    return WindowManagerText(GetDlgItem(box, MessageBoxTextId));
}

HWND FindMessageBox(DWORD process)
{
    Search search = { process, NULL };
    EnumWindows(FindBox, (LPARAM)&search);
    return search.found;
}

BoxSeen ReadMessageBox(HWND box)
{
    BoxSeen seen;
    seen.Caption = WindowManagerText(box);
    seen.Text = BoxText(box);
    seen.Icon = IconOf(box);
    struct { int id; const char* name; } buttons[] = {
        { IDOK, "OK" }, { IDCANCEL, "Cancel" }, { IDYES, "Yes" }, { IDNO, "No" },
    };
    for (auto& b : buttons) {
        HWND button = GetDlgItem(box, b.id);
        if (button && IsWindowVisible(button))
            seen.Buttons += seen.Buttons.empty() ? b.name : std::string(" ") + b.name;
    }
    seen.Owner = GetWindow(box, GW_OWNER);
    return seen;
}

void PressBoxButton(HWND box, int id, DWORD timeoutMs)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(box, id));
    DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box) && GetTickCount() - start < timeoutMs)
        Sleep(PollMs);
}

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> answers) : answers_(std::move(answers))
{
    stop_ = CreateEventA(NULL, TRUE, FALSE, NULL);
    thread_ = std::thread([this] { Run(); });
}

const std::vector<BoxSeen>& MessageBoxAnswerer::Finish()
{
    if (thread_.joinable()) {
        SetEvent(stop_);
        thread_.join();
        CloseHandle(stop_);
    }
    return seen_;
}

void MessageBoxAnswerer::Run()
{
    while (WaitForSingleObject(stop_, PollMs) == WAIT_TIMEOUT) {
        HWND box = FindMessageBox(GetCurrentProcessId());
        if (!box)
            continue;
        seen_.push_back(ReadMessageBox(box));
        int answer = next_ < answers_.size() ? answers_[next_++] : 0;
        if (!answer)
            answer = GetDlgItem(box, IDOK) ? IDOK : IDYES;
        PressBoxButton(box, answer, CloseTimeoutMs);
    }
}
