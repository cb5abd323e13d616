// answer_boxes.exe TIMEOUT_MS BUTTON...: waits for the message boxes of any process, one after
// the other, prints each as "caption|text|icon|buttons" (a CR in the text as "\r"), and presses
// the next BUTTON (yes, no, ok) in it. A box that appears within a second after the last answer
// is printed too, marked "unexpected", and closed. Exits 1 when a box does not come in time.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

static BOOL CALLBACK FindBox(HWND window, LPARAM found)
{
    char name[16];
    if (IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0) {
        *(HWND*)found = window;
        return FALSE;
    }
    return TRUE;
}

static HWND WaitForBox(DWORD timeout)
{
    for (DWORD waited = 0; waited < timeout; waited += 20) {
        HWND box = NULL;
        EnumWindows(FindBox, (LPARAM)&box);
        if (box)
            return box;
        Sleep(20);
    }
    return NULL;
}

static void Print(HWND box, const char* mark)
{
    char caption[256], text[2048];
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    std::string shown;
    for (const char* p = text; *p; ++p)
        shown += *p == '\r' ? std::string("\\r") : std::string(1, *p);
    // Icons are per-process handles, so only their presence can be told from here.
    const char* icon = SendDlgItemMessageA(box, 1088, STM_GETICON, 0, 0) ? "icon" : "none";
    std::string buttons;
    const struct { int id; const char* name; } known[] = { { IDOK, "OK" }, { IDCANCEL, "Cancel" }, { IDYES, "Yes" },
                                                            { IDNO, "No" } };
    for (const auto& b : known) {
        HWND button = GetDlgItem(box, b.id);
        if (button && IsWindowVisible(button))
            buttons += (buttons.empty() ? "" : " ") + std::string(b.name);
    }
    printf("%s%s|%s|%s|%s\n", mark, caption, shown.c_str(), icon, buttons.c_str());
    fflush(stdout);
}

static void Press(HWND box, int id)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(box, id));
    for (int i = 0; i < 1000 && IsWindow(box) && IsWindowVisible(box); ++i)
        Sleep(10);
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
        Press(box, answer == "yes" ? IDYES : answer == "no" ? IDNO : IDOK);
    }
    while (HWND extra = WaitForBox(1000)) {
        Print(extra, "unexpected ");
        Press(extra, GetDlgItem(extra, IDOK) ? IDOK : IDNO);
    }
    return 0;
}
