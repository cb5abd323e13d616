// The test robot: drives a Windows program from another process the way a person would, for
// end-to-end tests that run as GoogleTest programs under Wine in the program's own prefix.
//
//     StartProgram(WindowsPathOf("/path/to/QNTXSetup.exe"), "");
//     WaitForWizard();                  ExpectPage("Welcome");
//     ExpectBack(ButtonState::Disabled);
//     PressNext();                      ExpectPage("Software License Agreement");
//     ...
//     TypeInto(102, "abc");             PressFinish();
//     ExpectMessageBox("Warning", "The User Name must be at least 6 characters long");
//     AnswerMessageBox(IDOK);           ExpectFocus(102);
//     TypeInto(102, "abc def");         ExpectFinishEnabled();
//     PressFinish();                    WaitForExit(&code);
//
// How it behaves
// - Every step waits for what it needs, polling every 20 ms up to StepTimeoutMs() (15 s, or
//   $QNTX_ROBOT_TIMEOUT_MS), so a test needs no sleeps; an expectation passes as soon as what
//   it expects is seen.
// - A failing step reports at the caller's file and line (ADD_FAILURE_AT) with what it saw:
//   the value found and a dump of the program's windows and controls, and a screenshot is
//   saved in the picture folder. The first failure makes every later step of the test return
//   false at once, so one fault gives one message, not a cascade of timeouts.
// - Each test starts clean: the robot resets itself when a test starts and ends a program it
//   started that is still running when the test ends.
// - Windows are looked for among the visible top-level windows of the started program (of
//   every process when none was started). Control ids are looked up in the current window's
//   active page first (for a property sheet), then in the window itself.
// - Buttons are pressed by posting BM_CLICK to the real button (a disabled or hidden button
//   cannot be pressed, as for a person); text is typed with WM_SETTEXT, which makes an edit
//   control notify its dialog with EN_CHANGE. Wizard buttons are posted to the sheet by its
//   pages, so check their states with the Expect functions, which wait for the change. A press
//   is asynchronous: to show that it changed nothing, wait for something it must precede.
//
// Pictures: $QNTX_ROBOT_PICTURES (a Unix or Windows path) names the folder for screenshots;
// without it they go to "robot-pictures" beside the test program.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace robot {

// Every step takes the caller's place in the test as defaulted trailing arguments.
#define ROBOT_AT const char* file = __builtin_FILE(), int line = __builtin_LINE()

// Ids of the wizard buttons of a property sheet in wizard mode.
enum { BackButton = 0x3023, NextButton = 0x3024, FinishButton = 0x3025, CancelButton = IDCANCEL };

enum class ButtonState { Enabled, Disabled, Hidden };

// One child window of a dialog, as the person would see it.
struct Control {
    HWND window = NULL;
    int id = 0;                // 0xFFFF for a classic template's "no id"
    std::string className;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    bool enabled = false;
    bool visible = false;
    RECT rect = {};            // screen pixels
};

// A captured image, top row first; pixels as 0xRRGGBB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned> pixels;
    unsigned At(int x, int y) const { return pixels[(size_t)y * width + x]; }
};

// ---- settings and state
int StepTimeoutMs();
void SetStepTimeoutMs(int milliseconds);
bool RobotFailed();                        // a step of this test has failed
void ResetRobot();                         // done automatically when each test starts

// ---- programs
// "/a/b c" -> "Z:\a\b c"; anything that is not an absolute Unix path is returned unchanged.
std::string WindowsPathOf(const std::string& path);
// Quotes one command-line argument so that the C runtime reads it back unchanged.
std::string QuoteArgument(const std::string& argument);
// Starts `program` (Windows or Unix path) with an already quoted argument text; it becomes the
// program that every later step looks at. A program still running from before is ended.
bool StartProgram(const std::string& program, const std::string& arguments, ROBOT_AT);
bool ProgramRunning();
// Full path of the DLL `name` in the running program; empty when it has none loaded.
std::string ProgramModulePath(const std::string& name);
DWORD ProgramId();
// Waits for the program to end; its exit code goes to *exitCode when given.
bool WaitForExit(DWORD* exitCode = nullptr, ROBOT_AT);
bool ExpectExitCode(DWORD expected, ROBOT_AT);
// Ends the program if it still runs (TerminateProcess) and forgets it; true if it had to.
bool EndProgram();

// ---- windows and controls
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
// Waits for a visible top-level window with this caption (and class, when given) and makes it
// the current window.
HWND WaitForWindow(const std::string& caption, const std::string& className = "", ROBOT_AT);
bool WaitUntilGone(HWND window, ROBOT_AT);
HWND CurrentWindow();
void UseWindow(HWND window);
// The direct children of `parent` in Z order, which for a dialog is its template and tab order.
std::vector<Control> ListControls(HWND parent);
Control DescribeControl(HWND control);
// The control with this id in the current window (active page first); NULL when absent.
HWND FindControl(int id);
std::string ControlText(int id, ROBOT_AT);
bool ExpectText(int id, const std::string& expected, ROBOT_AT);
bool ExpectButton(int id, ButtonState expected, ROBOT_AT);
// Waits until the control has the keyboard focus of its thread.
bool ExpectFocus(int id, ROBOT_AT);
bool Click(int id, ROBOT_AT);
// Replaces the control's text (WM_SETTEXT): what pasting does; the dialog sees EN_CHANGE.
bool TypeInto(int id, const std::string& text, ROBOT_AT);
// Types into an edit control key by key (posted WM_CHAR), so its own rules apply (read-only,
// width and length limits); returns once the control has handled every key.
bool TypeKeys(int id, const std::string& keys, ROBOT_AT);
// Waits until the control's text satisfies `accepts`; `what` describes it for the failure.
bool ExpectTextThat(int id, const std::function<bool(const std::string&)>& accepts, const std::string& what,
                    ROBOT_AT);
// A readable dump of a window and its controls, for failure messages.
std::string DescribeWindow(HWND window);
std::string DescribeProgramWindows();

// ---- message boxes (a #32770 dialog whose text is the static with id 0xFFFF)
HWND WaitForMessageBox(const std::string& caption, ROBOT_AT);
std::string MessageBoxText(HWND box);
// Waits for the box and checks its text exactly.
bool ExpectMessageBox(const std::string& caption, const std::string& text, ROBOT_AT);
// Presses a button (IDOK, IDYES, ...) of the box last waited for and waits until it is gone.
bool AnswerMessageBox(int button = IDOK, ROBOT_AT);

// ---- wizards (property sheets in wizard mode)
// Waits for the program's wizard and makes it the current window.
HWND WaitForWizard(ROBOT_AT);
HWND CurrentPage();
std::string CurrentPageTitle();
bool ExpectPage(const std::string& title, ROBOT_AT);
bool PressBack(ROBOT_AT);
bool PressNext(ROBOT_AT);
bool PressFinish(ROBOT_AT);
bool PressCancel(ROBOT_AT);
bool ExpectBack(ButtonState expected, ROBOT_AT);
bool ExpectNext(ButtonState expected, ROBOT_AT);
bool ExpectFinish(ButtonState expected, ROBOT_AT);
bool ExpectFinishEnabled(ROBOT_AT);
bool ExpectFinishDisabled(ROBOT_AT);
bool WaitForWizardClosed(ROBOT_AT);

// ---- the shell's folder picker (SHBrowseForFolder)
// Wine's picker fails to open on a folder (BFFM_SETSELECTION) when a folder on the way has
// changed since it was last read: the picker's own reading then moves that folder's access
// time, which its tree items carry. Reading every folder along `path` first avoids that; call
// it before starting a program that opens the picker on a freshly made folder.
void SettleFoldersForPicker(const std::string& path);
HWND WaitForFolderPicker(ROBOT_AT);
std::string PickerSelection();             // text of the highlighted tree item
std::string PickerStatusText();
// Wait for the highlighted item's text and the status text; the picker fills its tree and
// applies the program's initial selection only after its window shows.
bool ExpectPickerSelection(const std::string& itemText, ROBOT_AT);
bool ExpectPickerStatus(const std::string& text, ROBOT_AT);
// Highlights `folder` (a Windows path) in the picker's tree the way a person clicks through
// it: from the drive's item below the desktop, expanding each folder on the way.
bool SelectFolderInPicker(const std::string& folder, ROBOT_AT);
// SelectFolderInPicker, then OK; waits until the picker is gone.
bool PickFolder(const std::string& folder, ROBOT_AT);
bool CancelFolderPicker(ROBOT_AT);

// ---- pictures
Picture CaptureScreen();
Picture CaptureRect(const RECT& screenRect);
// The window's rectangle on the screen, as it is seen (what overlaps it included).
Picture CaptureWindow(HWND window);
// Captures the window (the screen for NULL) once two captures in a row are the same, so that a
// picture is not taken halfway through painting; the last capture when that never happens.
Picture CaptureWhenStill(HWND window);
bool SaveBitmap(const Picture& picture, const std::string& path);
std::string PictureFolder();
// Saves a still screenshot of the window (the whole screen for NULL) as NAME.bmp in the
// picture folder; returns the path written, empty on failure.
std::string SaveScreenshot(const std::string& name, HWND window = NULL, ROBOT_AT);

} // namespace robot
