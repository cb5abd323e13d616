// The progress window as the install flow creates it, seen from outside by the robot.
#include "resources/resource.h"
#include "ui_robot_support.h"
#include <commctrl.h>

using namespace robot;

namespace {

const char ProgressCaption[] = "Installing Quintara...";

class ProgressWindow : public HostTest {
protected:
    HWND Start()
    {
        if (!StartProgram(HostPath(), "progress"))
            return NULL;
        return WaitForWindow(ProgressCaption, "#32770");
    }
};

DWORD_PTR Ask(HWND control, UINT message, WPARAM wParam = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(control, message, wParam, 0, SMTO_NORMAL, 5000, &result);
    return result;
}

// Posted after other input, a position change shows when that input has been handled too.
bool WaitUntilHandled(HWND bar, int marker)
{
    PostMessageA(bar, PBM_SETPOS, marker, 0);
    for (int i = 0; i < StepTimeoutMs() / 20; ++i, Sleep(20))
        if ((int)Ask(bar, PBM_GETPOS) == marker)
            return true;
    return false;
}

} // namespace

TEST_F(ProgressWindow, OpensCentredLaidOutWithAnEmptyItemAndTheBarAtZeroOfHundred)
{
    HWND window = Start();
    ASSERT_NE(window, (HWND)NULL);
    EXPECT_EQ(0u, GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) << "no system menu, no close box";
    ExpectText(IDC_CURRENT_ITEM, "");
    HWND bar = FindControl(IDC_PROGRESS_BAR);
    ASSERT_NE(bar, (HWND)NULL);
    EXPECT_EQ("msctls_progress32", ClassOf(bar));
    EXPECT_EQ(0u, Ask(bar, PBM_GETRANGE, TRUE));
    EXPECT_EQ(100u, Ask(bar, PBM_GETRANGE, FALSE));
    EXPECT_EQ(0u, Ask(bar, PBM_GETPOS));

    RECT work, rect;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &rect);
    EXPECT_NEAR((work.left + work.right) / 2, (rect.left + rect.right) / 2, 1);
    EXPECT_NEAR((work.top + work.bottom) / 2, (rect.top + rect.bottom) / 2, 1);
    ExpectLaidOut(window);

    // At zero the bar's inside is one plain colour: nothing is drawn as done.
    SaveScreenshot("progress-window", window);
    RECT inside;
    GetClientRect(bar, &inside);
    MapWindowPoints(bar, NULL, (POINT*)&inside, 2);
    InflateRect(&inside, -3, -3);
    Picture picture = CaptureRect(inside);
    ASSERT_GT(picture.width, 0);
    unsigned first = picture.At(0, picture.height / 2);
    for (int x = 0; x < picture.width; x += 7)
        ASSERT_EQ(first, picture.At(x, picture.height / 2)) << "x " << x;
}

TEST_F(ProgressWindow, CancelAndCloseChangeNothing)
{
    HWND window = Start();
    ASSERT_NE(window, (HWND)NULL);
    HWND bar = FindControl(IDC_PROGRESS_BAR);
    ASSERT_NE(bar, (HWND)NULL);

    Click(IDCANCEL);
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntilHandled(bar, 37));

    EXPECT_TRUE(IsWindow(window) && IsWindowVisible(window));
    ExpectText(IDC_CURRENT_ITEM, "");
    EXPECT_EQ(0u, Ask(bar, PBM_GETRANGE, TRUE));
    EXPECT_EQ(100u, Ask(bar, PBM_GETRANGE, FALSE));
    EXPECT_TRUE(ProgramRunning());
}
