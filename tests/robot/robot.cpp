#include "robot.h"
#include "common/message_boxes.h"
#include <commctrl.h>
#include <psapi.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <stdio.h>
#include <stdlib.h>

namespace robot {
namespace {

const int DefaultTimeoutMs = 15000;
const int PollMs = 20;
// A cross-process message that takes this long means the other thread is stuck, not slow.
const UINT SendTimeoutMs = 5000;

struct RobotState {
    PROCESS_INFORMATION process = {};
    HWND window = NULL;
    HWND box = NULL;
    HWND picker = NULL;
    bool failed = false;
    int timeoutMs = 0;
    int failureShots = 0;
};

RobotState g;

int TimeoutFromEnvironment()
{
    const char* value = getenv("QNTX_ROBOT_TIMEOUT_MS");
    int parsed = value ? atoi(value) : 0;
    return parsed > 0 ? parsed : DefaultTimeoutMs;
}

std::string Hex(unsigned long value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%lX", value);
    return text;
}

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out + "\"";
}

std::string Shorten(const std::string& text, size_t limit = 80)
{
    return text.size() <= limit ? text : text.substr(0, limit) + "...(" + std::to_string(text.size()) + " chars)";
}

// Polls until `condition` holds or the step timeout runs out; true when it held.
bool WaitFor(const std::function<bool()>& condition)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if ((int)(GetTickCount() - start) >= StepTimeoutMs())
            return condition();
        Sleep(PollMs);
    }
}

std::string FailureScreenshot()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "failure";
    if (test)
        name += std::string("-") + test->test_suite_name() + "." + test->name();
    name += "-" + std::to_string(++g.failureShots);
    std::string path = PictureFolder() + "\\" + name + ".bmp";
    return SaveBitmap(CaptureScreen(), path) ? path : "";
}

// Records the test's first robot failure with what was on the screen; later steps are skipped.
bool Fail(const char* file, int line, const std::string& message)
{
    if (g.failed)
        return false;
    g.failed = true;
    std::string shot = FailureScreenshot();
    ADD_FAILURE_AT(file, line) << message << "\n--- windows of the program ---\n"
                               << DescribeProgramWindows() << (shot.empty() ? "" : "--- screenshot: " + shot);
    return false;
}

DWORD WindowProcessId(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

bool BelongsToProgram(HWND window)
{
    return !g.process.hProcess || WindowProcessId(window) == g.process.dwProcessId;
}

BOOL CALLBACK CollectProgramWindow(HWND window, LPARAM data)
{
    if (IsWindowVisible(window) && BelongsToProgram(window))
        ((std::vector<HWND>*)data)->push_back(window);
    return TRUE;
}

std::vector<HWND> ProgramWindows()
{
    std::vector<HWND> found;
    EnumWindows(CollectProgramWindow, (LPARAM)&found);
    return found;
}

HWND FindProgramWindow(const std::function<bool(HWND)>& match)
{
    for (HWND window : ProgramWindows())
        if (match(window))
            return window;
    return NULL;
}

bool IsPropertySheet(HWND window)
{
    return window && ClassOf(window) == "#32770" && GetDlgItem(window, NextButton) &&
           GetDlgItem(window, FinishButton);
}

HWND FindDescendant(HWND parent, const char* className)
{
    HWND found = FindWindowExA(parent, NULL, className, NULL);
    for (HWND child = GetWindow(parent, GW_CHILD); !found && child; child = GetWindow(child, GW_HWNDNEXT))
        found = FindDescendant(child, className);
    return found;
}

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, SendTimeoutMs,
                               result ? result : &ignored) != 0;
}

std::string StateName(ButtonState state)
{
    switch (state) {
    case ButtonState::Enabled: return "enabled";
    case ButtonState::Disabled: return "disabled";
    case ButtonState::Hidden: return "hidden";
    }
    return "?";
}

ButtonState StateOf(HWND control)
{
    if (!control || !IsWindowVisible(control))
        return ButtonState::Hidden;
    return IsWindowEnabled(control) ? ButtonState::Enabled : ButtonState::Disabled;
}

std::string RectText(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

std::string ControlLine(const Control& c)
{
    return "id " + Hex((unsigned)c.id) + " " + c.className + " " + Quoted(Shorten(c.text)) + " style " +
           Hex(c.style) + (c.enabled ? "" : " disabled") + (c.visible ? "" : " hidden") + " " + RectText(c.rect);
}

// Memory in another process, for the messages whose data the system does not carry across.
struct RemoteMemory {
    HANDLE process = NULL;
    char* address = nullptr;
    RemoteMemory(HWND window, size_t size)
    {
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                              WindowProcessId(window));
        if (process)
            address = (char*)VirtualAllocEx(process, NULL, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteMemory()
    {
        if (address)
            VirtualFreeEx(process, address, 0, MEM_RELEASE);
        if (process)
            CloseHandle(process);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    bool Write(size_t offset, const void* data, size_t size)
    {
        SIZE_T done = 0;
        return address && WriteProcessMemory(process, address + offset, data, size, &done) && done == size;
    }
    bool Read(size_t offset, void* data, size_t size)
    {
        SIZE_T done = 0;
        return address && ReadProcessMemory(process, address + offset, data, size, &done) && done == size;
    }
};

// ---- tree view of the folder picker
HTREEITEM TreeItem(HWND tree, UINT relation, HTREEITEM item)
{
    DWORD_PTR result = 0;
    SendWithTimeout(tree, TVM_GETNEXTITEM, relation, (LPARAM)item, &result);
    return (HTREEITEM)result;
}

std::string TreeItemText(HWND tree, HTREEITEM item)
{
    const size_t textOffset = 64, textSize = 520;
    RemoteMemory memory(tree, textOffset + textSize);
    TVITEMA request = {};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = memory.address + textOffset;
    request.cchTextMax = (int)textSize;
    char text[textSize] = "";
    DWORD_PTR ok = 0;
    if (!memory.Write(0, &request, sizeof request) ||
        !SendWithTimeout(tree, TVM_GETITEMA, 0, (LPARAM)memory.address, &ok) || !ok ||
        !memory.Read(textOffset, text, textSize))
        return "";
    text[textSize - 1] = '\0';
    return text;
}

std::vector<HTREEITEM> TreeChildren(HWND tree, HTREEITEM parent)
{
    std::vector<HTREEITEM> children;
    for (HTREEITEM item = TreeItem(tree, parent ? TVGN_CHILD : TVGN_ROOT, parent); item;
         item = TreeItem(tree, TVGN_NEXT, item))
        children.push_back(item);
    return children;
}

void DescribeTree(HWND tree, HTREEITEM parent, int depth, std::string& out)
{
    HTREEITEM caret = TreeItem(tree, TVGN_CARET, NULL);
    for (HTREEITEM item : TreeChildren(tree, parent)) {
        out += std::string(2 * depth + 4, ' ') + Quoted(TreeItemText(tree, item)) + (item == caret ? "  <- selected" : "") +
               "\n";
        if (depth < 12)
            DescribeTree(tree, item, depth + 1, out);
    }
}

bool SameText(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// A drive shows as "C:", "C:\" or a label such as "System (C:)".
bool IsDriveItem(const std::string& text, const std::string& drive)
{
    return SameText(text, drive) || SameText(text, drive + "\\") ||
           text.find("(" + drive + ")") != std::string::npos ||
           text.find("(" + std::string(1, (char)tolower(drive[0])) + ":)") != std::string::npos;
}

HTREEITEM FindDriveItem(HWND tree, HTREEITEM parent, const std::string& drive, int depth)
{
    for (HTREEITEM item : TreeChildren(tree, parent))
        if (IsDriveItem(TreeItemText(tree, item), drive))
            return item;
    if (depth == 0)
        return NULL;
    for (HTREEITEM item : TreeChildren(tree, parent)) {
        SendWithTimeout(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
        if (HTREEITEM found = FindDriveItem(tree, item, drive, depth - 1))
            return found;
    }
    return NULL;
}

std::vector<std::string> PathParts(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

bool PressDialogButton(HWND dialog, int id, const std::string& what, const char* file, int line)
{
    if (g.failed)
        return false;
    HWND button = dialog ? GetDlgItem(dialog, id) : NULL;
    if (!WaitFor([&] { return StateOf(button) == ButtonState::Enabled; }))
        return Fail(file, line, what + ": the button " + Hex((unsigned)id) + " cannot be pressed, it is " +
                                    (dialog ? StateName(StateOf(button)) : "absent (no window)"));
    // Posted: a press may open a modal loop (a message box) that the robot must then answer.
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

class ResetBetweenTests : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { ResetRobot(); }
    void OnTestEnd(const ::testing::TestInfo&) override { EndProgram(); }
};

const bool ListenerInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetBetweenTests);
    return true;
}();

} // namespace

// ---- settings and state

int StepTimeoutMs()
{
    if (g.timeoutMs <= 0)
        g.timeoutMs = TimeoutFromEnvironment();
    return g.timeoutMs;
}

void SetStepTimeoutMs(int milliseconds)
{
    g.timeoutMs = milliseconds;
}

bool RobotFailed()
{
    return g.failed;
}

void ResetRobot()
{
    EndProgram();
    g.window = g.box = g.picker = NULL;
    g.failed = false;
    g.timeoutMs = 0;
    (void)ListenerInstalled;
}

// ---- programs

std::string WindowsPathOf(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string out = "Z:";
    for (char c : path)
        out += c == '/' ? '\\' : c;
    return out;
}

std::string QuoteArgument(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes double only before a quote, which itself gets one more.
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

bool StartProgram(const std::string& program, const std::string& arguments, const char* file, int line)
{
    EndProgram();
    if (g.failed)
        return false;
    std::string path = WindowsPathOf(program);
    std::string commandLine = QuoteArgument(path) + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(path.c_str(), buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &g.process)) {
        g.process = {};
        return Fail(file, line, "cannot start " + Quoted(commandLine) + ": error " + std::to_string(GetLastError()));
    }
    return true;
}

bool ProgramRunning()
{
    return g.process.hProcess && WaitForSingleObject(g.process.hProcess, 0) == WAIT_TIMEOUT;
}

std::string ProgramModulePath(const std::string& name)
{
    HMODULE modules[256];
    DWORD size = 0;
    if (!g.process.hProcess || !K32EnumProcessModules(g.process.hProcess, modules, sizeof modules, &size))
        return "";
    for (DWORD i = 0; i < size / sizeof *modules && i < 256; ++i) {
        char path[MAX_PATH];
        DWORD length = K32GetModuleFileNameExA(g.process.hProcess, modules[i], path, MAX_PATH);
        std::string found(path, length < MAX_PATH ? length : 0);
        if (found.size() > name.size() && found[found.size() - name.size() - 1] == '\\' &&
            lstrcmpiA(found.c_str() + found.size() - name.size(), name.c_str()) == 0)
            return found;
    }
    return "";
}

DWORD ProgramId()
{
    return g.process.dwProcessId;
}

bool WaitForExit(DWORD* exitCode, const char* file, int line)
{
    if (g.failed)
        return false;
    if (!g.process.hProcess)
        return Fail(file, line, "no program was started");
    if (WaitForSingleObject(g.process.hProcess, StepTimeoutMs()) != WAIT_OBJECT_0)
        return Fail(file, line, "the program did not end within " + std::to_string(StepTimeoutMs()) + " ms");
    DWORD code = 0;
    GetExitCodeProcess(g.process.hProcess, &code);
    if (exitCode)
        *exitCode = code;
    return true;
}

bool ExpectExitCode(DWORD expected, const char* file, int line)
{
    DWORD code = 0;
    if (!WaitForExit(&code, file, line))
        return false;
    if (code != expected) {
        ADD_FAILURE_AT(file, line) << "exit code " << code << " (" << Hex(code) << "), expected " << expected;
        g.failed = true;
        return false;
    }
    return true;
}

bool EndProgram()
{
    bool killed = false;
    if (g.process.hProcess) {
        if (WaitForSingleObject(g.process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(g.process.hProcess, 0xDEAD);
            WaitForSingleObject(g.process.hProcess, SendTimeoutMs);
            killed = true;
        }
        CloseHandle(g.process.hThread);
        CloseHandle(g.process.hProcess);
    }
    g.process = {};
    return killed;
}

// ---- windows and controls

std::string TextOf(HWND window)
{
    // A program busy installing dispatches no messages, so a sent WM_GETTEXT would wait; the
    // text the window manager keeps is read without one. An edit control keeps its text to
    // itself, so it alone is asked.
    if (window && lstrcmpiA(ClassOf(window).c_str(), "Edit") != 0)
        return WindowManagerText(window);
    DWORD_PTR length = 0;
    if (!window || !SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, &length))
        return "";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, length + 1, (LPARAM)&text[0], &copied))
        return "";
    text.resize(std::min((size_t)copied, (size_t)length));
    return text;
}

std::string ClassOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND WaitForWindow(const std::string& caption, const std::string& className, const char* file, int line)
{
    if (g.failed)
        return NULL;
    HWND found = NULL;
    WaitFor([&] {
        found = FindProgramWindow([&](HWND w) {
            return TextOf(w) == caption && (className.empty() || ClassOf(w) == className);
        });
        return found != NULL;
    });
    if (!found) {
        Fail(file, line, "no window " + Quoted(caption) + (className.empty() ? "" : " of class " + className) +
                             " appeared");
        return NULL;
    }
    g.window = found;
    return found;
}

bool WaitUntilGone(HWND window, const char* file, int line)
{
    if (g.failed)
        return false;
    if (!WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }))
        return Fail(file, line, "the window " + Quoted(TextOf(window)) + " is still there");
    return true;
}

HWND CurrentWindow()
{
    return g.window;
}

void UseWindow(HWND window)
{
    g.window = window;
}

Control DescribeControl(HWND control)
{
    Control c;
    c.window = control;
    c.id = GetDlgCtrlID(control);
    c.className = ClassOf(control);
    c.text = TextOf(control);
    c.style = (DWORD)GetWindowLongA(control, GWL_STYLE);
    c.exStyle = (DWORD)GetWindowLongA(control, GWL_EXSTYLE);
    c.enabled = IsWindowEnabled(control) != 0;
    c.visible = IsWindowVisible(control) != 0;
    GetWindowRect(control, &c.rect);
    return c;
}

std::vector<Control> ListControls(HWND parent)
{
    std::vector<Control> controls;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(DescribeControl(child));
    return controls;
}

HWND FindControl(int id)
{
    if (IsPropertySheet(g.window))
        if (HWND page = CurrentPage())
            if (HWND control = GetDlgItem(page, id))
                return control;
    return g.window ? GetDlgItem(g.window, id) : NULL;
}

std::string ControlText(int id, const char* file, int line)
{
    if (g.failed)
        return "";
    HWND control = NULL;
    if (!WaitFor([&] { return (control = FindControl(id)) != NULL; })) {
        Fail(file, line, "no control " + Hex((unsigned)id) + " in " + Quoted(TextOf(g.window)));
        return "";
    }
    return TextOf(control);
}

bool ExpectText(int id, const std::string& expected, const char* file, int line)
{
    if (g.failed)
        return false;
    std::string seen;
    if (!WaitFor([&] { return (seen = TextOf(FindControl(id))) == expected; }))
        return Fail(file, line, "control " + Hex((unsigned)id) + " shows " + Quoted(seen) + ", expected " +
                                    Quoted(expected));
    return true;
}

bool ExpectButton(int id, ButtonState expected, const char* file, int line)
{
    if (g.failed)
        return false;
    ButtonState seen = ButtonState::Hidden;
    if (!WaitFor([&] { return (seen = StateOf(FindControl(id))) == expected; }))
        return Fail(file, line, "button " + Hex((unsigned)id) + " " + Quoted(TextOf(FindControl(id))) + " is " +
                                    StateName(seen) + ", expected " + StateName(expected));
    return true;
}

bool ExpectFocus(int id, const char* file, int line)
{
    if (g.failed)
        return false;
    HWND focus = NULL;
    auto focused = [&] {
        HWND control = FindControl(id);
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        focus = NULL;
        if (control && GetGUIThreadInfo(GetWindowThreadProcessId(control, NULL), &info))
            focus = info.hwndFocus;
        return control && focus == control;
    };
    if (!WaitFor(focused))
        return Fail(file, line, "control " + Hex((unsigned)id) + " does not have the focus; it is on " +
                                    (focus ? ControlLine(DescribeControl(focus)) : std::string("no window")));
    return true;
}

bool Click(int id, const char* file, int line)
{
    if (g.failed)
        return false;
    HWND control = NULL;
    if (!WaitFor([&] { return StateOf(control = FindControl(id)) == ButtonState::Enabled; }))
        return Fail(file, line, "cannot click control " + Hex((unsigned)id) + ": it is " + StateName(StateOf(control)));
    PostMessageA(control, BM_CLICK, 0, 0);
    return true;
}

bool TypeKeys(int id, const std::string& keys, const char* file, int line)
{
    if (g.failed)
        return false;
    HWND control = NULL;
    if (!WaitFor([&] { return StateOf(control = FindControl(id)) == ButtonState::Enabled; }))
        return Fail(file, line, "cannot type into control " + Hex((unsigned)id) + ": it is " +
                                    StateName(StateOf(control)));
    DWORD_PTR limit = 0;
    if (!SendWithTimeout(control, EM_GETLIMITTEXT, 0, 0, &limit))
        return Fail(file, line, "control " + Hex((unsigned)id) + " does not answer");
    for (unsigned char key : keys)
        PostMessageA(control, WM_CHAR, key, 1);
    // Posted messages of one thread are handled in order: once a limit posted after the keys
    // is seen, every key has been handled. The old limit is put back at once.
    DWORD_PTR marker = limit > 1 ? limit - 1 : 2, seen = 0;
    PostMessageA(control, EM_SETLIMITTEXT, marker, 0);
    bool handled = WaitFor([&] { return SendWithTimeout(control, EM_GETLIMITTEXT, 0, 0, &seen) && seen == marker; });
    SendWithTimeout(control, EM_SETLIMITTEXT, limit, 0);
    if (!handled)
        return Fail(file, line, "control " + Hex((unsigned)id) + " did not handle the keys " + Quoted(keys));
    return true;
}

bool ExpectTextThat(int id, const std::function<bool(const std::string&)>& accepts, const std::string& what,
                    const char* file, int line)
{
    if (g.failed)
        return false;
    std::string seen;
    if (!WaitFor([&] { return accepts(seen = TextOf(FindControl(id))); }))
        return Fail(file, line, "control " + Hex((unsigned)id) + " shows " + Quoted(seen) + ", expected " + what);
    return true;
}

bool TypeInto(int id, const std::string& text, const char* file, int line)
{
    if (g.failed)
        return false;
    HWND control = NULL;
    if (!WaitFor([&] { return StateOf(control = FindControl(id)) == ButtonState::Enabled; }))
        return Fail(file, line, "cannot type into control " + Hex((unsigned)id) + ": it is " +
                                    StateName(StateOf(control)));
    if (!SendWithTimeout(control, WM_SETTEXT, 0, (LPARAM)text.c_str()))
        return Fail(file, line, "typing into control " + Hex((unsigned)id) + " got no answer");
    std::string seen = TextOf(control);
    if (seen != text)
        return Fail(file, line, "typed " + Quoted(text) + " into control " + Hex((unsigned)id) + ", it shows " +
                                    Quoted(seen));
    return true;
}

std::string DescribeWindow(HWND window)
{
    if (!IsWindow(window))
        return "  (no window)\n";
    RECT rect;
    GetWindowRect(window, &rect);
    std::string out = "  window " + Quoted(TextOf(window)) + " class " + ClassOf(window) + " style " +
                      Hex((DWORD)GetWindowLongA(window, GWL_STYLE)) + " " + RectText(rect) + "\n";
    for (const Control& c : ListControls(window)) {
        out += "    " + ControlLine(c) + "\n";
        if (c.className == "#32770" && c.visible)
            for (const Control& inner : ListControls(c.window))
                out += "      " + ControlLine(inner) + "\n";
        if (c.className == WC_TREEVIEWA)
            DescribeTree(c.window, NULL, 0, out);
    }
    return out;
}

std::string DescribeProgramWindows()
{
    std::string out;
    for (HWND window : ProgramWindows())
        out += DescribeWindow(window);
    if (out.empty())
        out = ProgramRunning() || !g.process.hProcess ? "  (no visible window)\n" : "  (the program has ended)\n";
    return out;
}

// ---- message boxes

HWND WaitForMessageBox(const std::string& caption, const char* file, int line)
{
    if (g.failed)
        return NULL;
    HWND found = NULL;
    WaitFor([&] {
        found = FindProgramWindow([&](HWND w) { return ClassOf(w) == "#32770" && TextOf(w) == caption; });
        return found != NULL;
    });
    if (!found) {
        Fail(file, line, "no message box " + Quoted(caption) + " appeared");
        return NULL;
    }
    g.box = found;
    return found;
}

std::string MessageBoxText(HWND box)
{
    return BoxText(box);
}

bool ExpectMessageBox(const std::string& caption, const std::string& text, const char* file, int line)
{
    HWND box = WaitForMessageBox(caption, file, line);
    if (!box)
        return false;
    std::string seen = MessageBoxText(box);
    if (seen != text)
        return Fail(file, line, "message box " + Quoted(caption) + " says " + Quoted(seen) + ", expected " +
                                    Quoted(text));
    return true;
}

bool AnswerMessageBox(int button, const char* file, int line)
{
    if (g.failed)
        return false;
    if (!g.box)
        return Fail(file, line, "no message box was waited for");
    HWND box = g.box;
    return PressDialogButton(box, button, "message box " + Quoted(TextOf(box)), file, line) &&
           WaitUntilGone(box, file, line);
}

// ---- wizards

HWND WaitForWizard(const char* file, int line)
{
    if (g.failed)
        return NULL;
    HWND found = NULL;
    WaitFor([&] { return (found = FindProgramWindow(IsPropertySheet)) != NULL; });
    if (!found) {
        Fail(file, line, "no wizard appeared");
        return NULL;
    }
    g.window = found;
    return found;
}

HWND CurrentPage()
{
    DWORD_PTR page = 0;
    if (!IsPropertySheet(g.window) || !SendWithTimeout(g.window, PSM_GETCURRENTPAGEHWND, 0, 0, &page))
        return NULL;
    return (HWND)page;
}

std::string CurrentPageTitle()
{
    HWND page = CurrentPage();
    return page ? TextOf(page) : "";
}

bool ExpectPage(const std::string& title, const char* file, int line)
{
    if (g.failed)
        return false;
    std::string seen;
    if (!WaitFor([&] { return (seen = CurrentPageTitle()) == title; }))
        return Fail(file, line, "the wizard shows page " + Quoted(seen) + ", expected " + Quoted(title));
    return true;
}

bool PressBack(const char* file, int line)
{
    return PressDialogButton(g.window, BackButton, "wizard", file, line);
}

bool PressNext(const char* file, int line)
{
    return PressDialogButton(g.window, NextButton, "wizard", file, line);
}

bool PressFinish(const char* file, int line)
{
    return PressDialogButton(g.window, FinishButton, "wizard", file, line);
}

bool PressCancel(const char* file, int line)
{
    return PressDialogButton(g.window, CancelButton, "wizard", file, line);
}

bool ExpectBack(ButtonState expected, const char* file, int line)
{
    return ExpectButton(BackButton, expected, file, line);
}

bool ExpectNext(ButtonState expected, const char* file, int line)
{
    return ExpectButton(NextButton, expected, file, line);
}

bool ExpectFinish(ButtonState expected, const char* file, int line)
{
    return ExpectButton(FinishButton, expected, file, line);
}

bool ExpectFinishEnabled(const char* file, int line)
{
    return ExpectButton(FinishButton, ButtonState::Enabled, file, line);
}

bool ExpectFinishDisabled(const char* file, int line)
{
    return ExpectButton(FinishButton, ButtonState::Disabled, file, line);
}

bool WaitForWizardClosed(const char* file, int line)
{
    return WaitUntilGone(g.window, file, line);
}

// ---- folder picker

void SettleFoldersForPicker(const std::string& path)
{
    size_t end = 2;
    do {
        end = path.find('\\', end + 1);
        std::string folder = path.substr(0, end);
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            while (FindNextFileA(search, &entry))
                ;
            FindClose(search);
        }
    } while (end != std::string::npos);
}

HWND WaitForFolderPicker(const char* file, int line)
{
    if (g.failed)
        return NULL;
    HWND found = NULL;
    WaitFor([&] {
        found = FindProgramWindow(
            [](HWND w) { return ClassOf(w) == "#32770" && FindDescendant(w, WC_TREEVIEWA) != NULL; });
        return found != NULL;
    });
    if (!found) {
        Fail(file, line, "no folder picker appeared");
        return NULL;
    }
    g.picker = found;
    return found;
}

std::string PickerSelection()
{
    HWND tree = g.picker ? FindDescendant(g.picker, WC_TREEVIEWA) : NULL;
    HTREEITEM caret = tree ? TreeItem(tree, TVGN_CARET, NULL) : NULL;
    return caret ? TreeItemText(tree, caret) : "";
}

std::string PickerStatusText()
{
    // The picker's second static control, below the title static (id 0x3743 in Wine's picker).
    std::string status;
    if (!g.picker)
        return status;
    std::vector<Control> controls = ListControls(g.picker);
    int statics = 0;
    for (const Control& c : controls)
        if (SameText(c.className, "Static") && ++statics == 2)
            status = c.text;
    return status;
}

bool ExpectPickerSelection(const std::string& itemText, const char* file, int line)
{
    if (g.failed)
        return false;
    std::string seen;
    if (!WaitFor([&] { return (seen = PickerSelection()) == itemText; }))
        return Fail(file, line, "the picker highlights " + Quoted(seen) + ", expected " + Quoted(itemText));
    return true;
}

bool ExpectPickerStatus(const std::string& text, const char* file, int line)
{
    if (g.failed)
        return false;
    std::string seen;
    if (!WaitFor([&] { return (seen = PickerStatusText()) == text; }))
        return Fail(file, line, "the picker's status is " + Quoted(seen) + ", expected " + Quoted(text));
    return true;
}

bool SelectFolderInPicker(const std::string& folder, const char* file, int line)
{
    if (g.failed)
        return false;
    if (!g.picker)
        return Fail(file, line, "no folder picker was waited for");
    HWND tree = FindDescendant(g.picker, WC_TREEVIEWA);
    std::vector<std::string> parts = PathParts(folder);
    if (!tree || parts.empty() || parts[0].size() != 2 || parts[0][1] != ':')
        return Fail(file, line, "cannot look for " + Quoted(folder) + " in the picker (a drive path is needed)");

    // The drive sits below the desktop and "My Computer": at most two levels down.
    HTREEITEM item = FindDriveItem(tree, NULL, parts[0], 2);
    for (size_t i = 1; item && i < parts.size(); ++i) {
        SendWithTimeout(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
        HTREEITEM next = NULL;
        for (HTREEITEM child : TreeChildren(tree, item))
            if (SameText(TreeItemText(tree, child), parts[i]))
                next = child;
        item = next;
    }
    if (!item)
        return Fail(file, line, "the picker's tree has no item for " + Quoted(folder));
    SendWithTimeout(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    SendWithTimeout(tree, TVM_ENSUREVISIBLE, 0, (LPARAM)item);
    std::string seen;
    if (!WaitFor([&] { return SameText(seen = PickerSelection(), parts.back()); }))
        return Fail(file, line, "selected " + Quoted(folder) + " in the picker, but it highlights " + Quoted(seen));
    return true;
}

bool PickFolder(const std::string& folder, const char* file, int line)
{
    HWND picker = g.picker;
    return SelectFolderInPicker(folder, file, line) &&
           PressDialogButton(picker, IDOK, "folder picker", file, line) && WaitUntilGone(picker, file, line);
}

bool CancelFolderPicker(const char* file, int line)
{
    HWND picker = g.picker;
    if (!g.failed && !picker)
        return Fail(file, line, "no folder picker was waited for");
    return PressDialogButton(picker, IDCANCEL, "folder picker", file, line) && WaitUntilGone(picker, file, line);
}

// ---- pictures

Picture CaptureRect(const RECT& r)
{
    Picture picture;
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return picture;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY)) {
            GdiFlush();
            const unsigned* source = (const unsigned*)bits;
            picture.width = width;
            picture.height = height;
            picture.pixels.resize((size_t)width * height);
            for (size_t i = 0; i < picture.pixels.size(); ++i)
                picture.pixels[i] = source[i] & 0xFFFFFF;
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return picture;
}

Picture CaptureScreen()
{
    RECT screen = { 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) };
    return CaptureRect(screen);
}

Picture CaptureWindow(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return CaptureRect(rect);
}

Picture CaptureWhenStill(HWND window)
{
    Picture last = window ? CaptureWindow(window) : CaptureScreen();
    DWORD start = GetTickCount();
    while ((int)(GetTickCount() - start) < StepTimeoutMs()) {
        Sleep(100);
        Picture next = window ? CaptureWindow(window) : CaptureScreen();
        bool still = next.width == last.width && next.height == last.height && next.pixels == last.pixels;
        last = std::move(next);
        if (still)
            break;
    }
    return last;
}

bool SaveBitmap(const Picture& picture, const std::string& path)
{
    if (picture.width <= 0 || picture.height <= 0)
        return false;
    const int rowBytes = (picture.width * 3 + 3) & ~3;
    const DWORD imageBytes = (DWORD)rowBytes * picture.height;
    BITMAPFILEHEADER header = {};
    BITMAPINFOHEADER info = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + imageBytes;
    info.biSize = sizeof info;
    info.biWidth = picture.width;
    info.biHeight = picture.height;  // bottom row first, as every reader expects
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageBytes;
    std::vector<unsigned char> rows(imageBytes, 0);
    for (int y = 0; y < picture.height; ++y) {
        unsigned char* row = &rows[(size_t)(picture.height - 1 - y) * rowBytes];
        for (int x = 0; x < picture.width; ++x) {
            unsigned p = picture.At(x, y);
            row[3 * x] = p & 0xFF;
            row[3 * x + 1] = (p >> 8) & 0xFF;
            row[3 * x + 2] = (p >> 16) & 0xFF;
        }
    }
    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    bool written = fwrite(&header, sizeof header, 1, out) == 1 && fwrite(&info, sizeof info, 1, out) == 1 &&
                   fwrite(rows.data(), rows.size(), 1, out) == 1;
    return fclose(out) == 0 && written;
}

std::string PictureFolder()
{
    std::string folder;
    if (const char* configured = getenv("QNTX_ROBOT_PICTURES"))
        folder = WindowsPathOf(configured);
    if (folder.empty()) {
        char module[MAX_PATH] = "";
        GetModuleFileNameA(NULL, module, sizeof module);
        folder = module;
        folder = folder.substr(0, folder.find_last_of('\\') + 1) + "robot-pictures";
    }
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

std::string SaveScreenshot(const std::string& name, HWND window, const char* file, int line)
{
    if (g.failed)
        return "";
    std::string path = PictureFolder() + "\\" + name + ".bmp";
    if (!SaveBitmap(CaptureWhenStill(window), path)) {
        Fail(file, line, "cannot save the screenshot " + Quoted(path));
        return "";
    }
    return path;
}

} // namespace robot
