// answer_boxes.exe TIMEOUT_MS BUTTON...: waits for the message boxes of any process, one after
// the other, prints each as "caption|text|icon|buttons" (a CR in the text as "\r"), and presses
// the next BUTTON (yes, no, ok) in it. A box that appears within a second after the last answer
// is printed too, marked "unexpected", and closed. Exits 1 when a box does not come in time.
#include "common/message_boxes.h"
#include <cstdio>
#include <cstdlib>
#include <string>

static HWND WaitForBox(DWORD timeout)
{
    for (DWORD waited = 0; waited < timeout; waited += 20) {
        if (HWND box = FindMessageBox(0))
            return box;
        Sleep(20);
    }
    return NULL;
}

static void Print(HWND box, const char* mark)
{
    BoxSeen seen = ReadMessageBox(box);
    std::string shown;
    for (char c : seen.Text)
        shown += c == '\r' ? std::string("\\r") : std::string(1, c);
    printf("%s%s|%s|%s|%s\n", mark, seen.Caption.c_str(), shown.c_str(), seen.Icon.c_str(), seen.Buttons.c_str());
    fflush(stdout);
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: answer_boxes TIMEOUT_MS [yes|no|ok]...\n");
        return 1;
    }
    DWORD timeout = (DWORD)atol(argv[1]);
    for (int i = 2; i < argc; ++i) {
        HWND box = WaitForBox(timeout);
        if (!box) {
            fprintf(stderr, "answer_boxes: no box %d within %lu ms\n", i - 1, timeout);
            return 1;
        }
        Print(box, "");
        std::string answer = argv[i];
        PressBoxButton(box, answer == "yes" ? IDYES : answer == "no" ? IDNO : IDOK, 10000);
    }
    while (HWND extra = WaitForBox(1000)) {
        Print(extra, "unexpected ");
        PressBoxButton(extra, GetDlgItem(extra, IDOK) ? IDOK : IDNO, 10000);
    }
    return 0;
}
