// Message boxes seen from outside: what one shows, and a thread that answers the boxes of this
// process as a person would, so a test can call a routine that raises them.
#pragma once
#include <windows.h>
#include <string>
#include <thread>
#include <vector>

const int MessageBoxTextId = 0xFFFF;
const int MessageBoxIconId = 1088;

struct BoxSeen {
    std::string Caption;
    std::string Text;
    std::string Icon;    // "error", "question", "warning", "information", "other" or "none";
                         // for another process's box only "icon" or "none"
    std::string Buttons; // the buttons present, e.g. "Yes No" or "OK"
    HWND Owner;
};

// The text the window manager keeps for a window, read without sending it a message, so a
// program busy elsewhere cannot hold the reader up.
std::string WindowManagerText(HWND window);
std::string BoxText(HWND box);
// The first visible message box of a process (0: of any process); NULL when none shows.
HWND FindMessageBox(DWORD process);
BoxSeen ReadMessageBox(HWND box);
// Presses the button and waits until the box is gone (a later box may reuse its handle).
void PressBoxButton(HWND box, int id, DWORD timeoutMs);

class MessageBoxAnswerer {
public:
    // answers: the button pressed in each box in turn (IDOK, IDYES, IDNO); a box beyond the
    // list is recorded and closed with its first button.
    explicit MessageBoxAnswerer(std::vector<int> answers = {});
    ~MessageBoxAnswerer() { Finish(); }
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    // Stops answering and returns every box seen, in order.
    const std::vector<BoxSeen>& Finish();

private:
    void Run();

    std::vector<int> answers_;
    size_t next_ = 0;
    std::vector<BoxSeen> seen_;
    HANDLE stop_;
    std::thread thread_;
};
