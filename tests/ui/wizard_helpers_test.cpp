// The wizard's own helpers, in this process: the shortened folder display and the centring.
#include "state/app_state.h"
#include "resources/resource.h"
#include "ui/setup_wizard.h"
#include <gtest/gtest.h>
#include <string>

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// The destination page's template in a plain popup, so the display has the page's font and size.
class CompactPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppState.Instance = GetModuleHandleA(NULL);
        owner = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 500, 300, NULL, NULL, NULL, NULL);
        ASSERT_NE(owner, (HWND)NULL);
        page = CreateDialogParamA(AppState.Instance, MAKEINTRESOURCEA(IDD_DESTINATION), owner, PlainDialogProc, 0);
        ASSERT_NE(page, (HWND)NULL);
        display = GetDlgItem(page, IDC_FOLDER_DISPLAY);
        ASSERT_NE(display, (HWND)NULL);
    }
    void TearDown() override
    {
        if (owner)
            DestroyWindow(owner);
    }
    std::string Shown()
    {
        char text[MAX_PATH + 16];
        memset(text, 0xA5, sizeof text);
        GetWindowTextA(display, text, sizeof text);
        return text;
    }
    int ShownWidth()
    {
        std::string text = Shown();
        HDC dc = GetDC(display);
        HGDIOBJ previous = SelectObject(dc, (HFONT)SendMessageA(display, WM_GETFONT, 0, 0));
        SIZE size = {};
        GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &size);
        SelectObject(dc, previous);
        ReleaseDC(display, dc);
        return size.cx;
    }
    int DisplayWidth()
    {
        RECT rect;
        GetClientRect(display, &rect);
        return rect.right;
    }

    HWND owner = NULL, page = NULL, display = NULL;
};

} // namespace

TEST_F(CompactPath, ShowsAPathThatFitsUnchanged)
{
    SetCompactPathText(page, IDC_FOLDER_DISPLAY, "C:\\Quintara");
    EXPECT_EQ("C:\\Quintara", Shown());
}

TEST_F(CompactPath, ShortensALongPathInTheMiddleAndLeavesTheSourceAlone)
{
    std::string path = "C:\\Program Files";
    while (path.size() + 8 + 12 <= MAX_PATH - 1)
        path += "\\Scripts";
    path += "\\Last Folder";
    ASSERT_LE(path.size(), (size_t)MAX_PATH - 1);

    char source[MAX_PATH + 8];
    memset(source, 0xA5, sizeof source);
    memcpy(source, path.c_str(), path.size() + 1);
    SetCompactPathText(page, IDC_FOLDER_DISPLAY, source);

    EXPECT_EQ(path, std::string(source));
    for (size_t i = path.size() + 1; i < sizeof source; ++i)
        ASSERT_EQ(0xA5, (unsigned char)source[i]) << "byte " << i;

    std::string shown = Shown();
    size_t dots = shown.find("...");
    ASSERT_NE(std::string::npos, dots) << shown;
    EXPECT_EQ(0u, path.find(shown.substr(0, dots))) << shown;
    EXPECT_EQ("\\Last Folder", shown.substr(dots + 3)) << shown;
    EXPECT_LE(ShownWidth(), DisplayWidth()) << shown;
}

TEST_F(CompactPath, KeepsTheWholeTextWhenTheEllipsisMakesItLongerThanThePath)
{
    // A last folder name far wider than the display: the text becomes "...\" and that whole
    // name, one character more than the 259 of the path, which a 260-byte copy could not hold.
    const std::string name(MAX_PATH - 4, 'n');
    const std::string path = "C:\\" + name;
    ASSERT_EQ((size_t)MAX_PATH - 1, path.size());
    SetCompactPathText(page, IDC_FOLDER_DISPLAY, path.c_str());
    std::string shown = Shown();
    EXPECT_EQ("...\\" + name, shown) << "length " << shown.size();
}

namespace {

HWND Popup(HWND owner, int x, int y, int width, int height)
{
    return CreateWindowExA(0, "Static", "", WS_POPUP, x, y, width, height, owner, NULL, NULL, NULL);
}

POINT TopLeft(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    return { rect.left, rect.top };
}

} // namespace

TEST(CenterWindow, CentresOverTheOwnerWithHalvesTruncatedTowardZero)
{
    HWND owner = Popup(NULL, 100, 50, 400, 300);
    ASSERT_NE(owner, (HWND)NULL);
    struct {
        int width, height;
        POINT expected;
    } cases[] = {
        { 200, 100, { 200, 150 } },
        { 201, 101, { 199, 149 } },
        // Larger than the owner: negative offsets, -201 / 2 == -100 and -203 / 2 == -101.
        { 601, 503, { 0, -51 } },
    };
    for (const auto& c : cases) {
        HWND window = Popup(owner, 7, 9, c.width, c.height);
        ASSERT_NE(window, (HWND)NULL);
        CenterWindowOnParent(window);
        POINT seen = TopLeft(window);
        EXPECT_EQ(c.expected.x, seen.x) << c.width << " x " << c.height;
        EXPECT_EQ(c.expected.y, seen.y) << c.width << " x " << c.height;
        DestroyWindow(window);
    }
    DestroyWindow(owner);
}

TEST(CenterWindow, CentresOverTheScreenWithoutAnOwner)
{
    HWND window = Popup(NULL, 3, 4, 200, 100);
    ASSERT_NE(window, (HWND)NULL);
    CenterWindowOnParent(window);
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    POINT seen = TopLeft(window);
    EXPECT_EQ(desktop.left + (desktop.right - desktop.left - 200) / 2, seen.x);
    EXPECT_EQ(desktop.top + (desktop.bottom - desktop.top - 100) / 2, seen.y);
    DestroyWindow(window);
}
