// Answers the message boxes of this process from a second thread, as a person would, and
// records what each box showed.
#pragma once
#include <windows.h>
#include <string>
#include <thread>
#include <vector>

struct BoxSeen {
    std::string Caption;
    std::string Text;
    std::string Icon;    // "error", "question", "warning", "information", "none" or "other"
    std::string Buttons; // the buttons present, e.g. "Yes No" or "OK"
    HWND Owner;
};

class MessageBoxAnswerer {
public:
    // answers: the button pressed in each box in turn (IDOK, IDYES, IDNO); a box beyond the
    // list is recorded and closed with its first button.
    explicit MessageBoxAnswerer(std::vector<int> answers) : answers_(std::move(answers))
    {
        stop_ = CreateEventA(NULL, TRUE, FALSE, NULL);
        thread_ = std::thread([this] { Run(); });
    }
    ~MessageBoxAnswerer() { Finish(); }

    // Stops answering and returns every box seen.
    const std::vector<BoxSeen>& Finish()
    {
        if (thread_.joinable()) {
            SetEvent(stop_);
            thread_.join();
            CloseHandle(stop_);
        }
        return seen_;
    }

private:
    static BOOL CALLBACK FindBox(HWND window, LPARAM found)
    {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char name[16];
        if (process == GetCurrentProcessId() && IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) &&
            lstrcmpA(name, "#32770") == 0) {
            *(HWND*)found = window;
            return FALSE;
        }
        return TRUE;
    }

    static std::string IconOf(HWND box)
    {
        HICON icon = (HICON)SendDlgItemMessageA(box, 1088, STM_GETICON, 0, 0);
        if (!icon)
            return "none";
        struct { LPCSTR id; const char* name; } known[] = {
            { IDI_HAND, "error" }, { IDI_QUESTION, "question" },
            { IDI_EXCLAMATION, "warning" }, { IDI_ASTERISK, "information" },
        };
        for (auto& k : known)
            if (icon == LoadIconA(NULL, k.id))
                return k.name;
        return "other";
    }

    static BoxSeen Record(HWND box)
    {
        BoxSeen seen;
        char text[2048];
        GetWindowTextA(box, text, sizeof text);
        seen.Caption = text;
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        seen.Text = text;
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

    void Run()
    {
        while (WaitForSingleObject(stop_, 10) == WAIT_TIMEOUT) {
            HWND box = NULL;
            EnumWindows(FindBox, (LPARAM)&box);
            if (!box)
                continue;
            seen_.push_back(Record(box));
            int answer = next_ < answers_.size() ? answers_[next_++] : 0;
            if (!answer)
                answer = GetDlgItem(box, IDOK) ? IDOK : IDYES;
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), (LPARAM)GetDlgItem(box, answer));
            // The next box may reuse the handle: wait until this one is gone.
            for (int i = 0; i < 3000 && IsWindow(box) && IsWindowVisible(box); ++i)
                Sleep(5);
        }
    }

    std::vector<int> answers_;
    size_t next_ = 0;
    std::vector<BoxSeen> seen_;
    HANDLE stop_;
    std::thread thread_;
};
