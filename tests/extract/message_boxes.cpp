#include "message_boxes.h"

namespace {

const int MessageTextId = 0xFFFF;
const int MessageIconId = 1088;
const DWORD PollMilliseconds = 5;
const DWORD CloseTimeoutMilliseconds = 10000;

struct Search {
    HWND found;
};

BOOL CALLBACK FindVisibleBox(HWND window, LPARAM context)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16];
    if (process != GetCurrentProcessId() || !GetClassNameA(window, className, sizeof className)
        || lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    reinterpret_cast<Search*>(context)->found = window;
    return FALSE;
}

std::string TextOf(HWND window)
{
    char text[1024];
    text[0] = '\0';
    GetWindowTextA(window, text, sizeof text);
    return text;
}

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer() : thread_(&MessageBoxAnswerer::Run, this) {}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    Stop();
}

std::vector<SeenMessageBox> MessageBoxAnswerer::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

void MessageBoxAnswerer::Run()
{
    while (!stop_) {
        Search search = { NULL };
        EnumWindows(FindVisibleBox, reinterpret_cast<LPARAM>(&search));
        if (!search.found) {
            Sleep(PollMilliseconds);
            continue;
        }
        HWND box = search.found;
        SeenMessageBox seen;
        seen.caption = TextOf(box);
        seen.text = TextOf(GetDlgItem(box, MessageTextId));
        seen.owner = GetWindow(box, GW_OWNER);
        DWORD_PTR icon = 0;
        SendMessageTimeoutA(GetDlgItem(box, MessageIconId), STM_GETICON, 0, 0, SMTO_BLOCK, 5000, &icon);
        seen.errorIcon = icon != 0 && reinterpret_cast<HICON>(icon) == LoadIconA(NULL, IDI_HAND);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            seen_.push_back(seen);
        }
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        // The same box must not be counted twice.
        DWORD start = GetTickCount();
        while (IsWindow(box) && GetTickCount() - start < CloseTimeoutMilliseconds)
            Sleep(PollMilliseconds);
    }
}
