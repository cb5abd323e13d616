// The backdrop's gradient arithmetic and what it paints in each mode.
#include "state/app_state.h"
#include "app/background_window.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>

TEST(GradientBands, TileTheClientAreaExactly)
{
    EXPECT_EQ(0, GradientBandTop(0, 0, 768));
    EXPECT_EQ(3, GradientBandTop(1, 0, 768)) << "band 0 covers rows 0 to 2";
    EXPECT_EQ(768, GradientBandTop(255, 0, 768)) << "the last band ends at the bottom";
    EXPECT_EQ(110, GradientBandTop(255, 10, 100));
    for (int height : { 1, 100, 254, 255, 256, 767, 768, 1200, 4320 }) {
        int empty = 0;
        for (int band = 0; band < 255; ++band) {
            int rows = GradientBandTop(band + 1, 0, height) - GradientBandTop(band, 0, height);
            ASSERT_GE(rows, height / 255) << "height " << height << " band " << band;
            ASSERT_LE(rows, (height + 254) / 255) << "height " << height << " band " << band;
            empty += rows == 0;
        }
        EXPECT_EQ(height < 255 ? 255 - height : 0, empty) << "height " << height;
    }
}

namespace {

// Paints the backdrop of a window of the given size into a 32-bit DIB and keeps its pixels.
struct PaintedBackdrop {
    int width, height;
    DWORD* pixels = nullptr;
    HBITMAP bitmap = NULL;

    PaintedBackdrop(int w, int h, int mode) : width(w), height(h)
    {
        AppState.InstallMode = mode;
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "QntxBackdropTest";
        RegisterClassA(&windowClass);
        HWND window = CreateWindowExA(0, "QntxBackdropTest", "", WS_POPUP, 0, 0, w, h, NULL, NULL,
                                      GetModuleHandleA(NULL), NULL);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        HDC screen = GetDC(NULL);
        HDC dc = CreateCompatibleDC(screen);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, (void**)&pixels, NULL, 0);
        HGDIOBJ previous = SelectObject(dc, bitmap);
        PaintBackdrop(window, dc);
        GdiFlush();
        SelectObject(dc, previous);
        DeleteDC(dc);
        ReleaseDC(NULL, screen);
        DestroyWindow(window);
    }
    ~PaintedBackdrop() { DeleteObject(bitmap); }
    DWORD At(int x, int y) const { return pixels[y * width + x] & 0xFFFFFF; }
    int Count(DWORD colour, int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += At(x, y) == colour;
        return n;
    }
};

const DWORD White = 0xFFFFFF, Black = 0x000000;

} // namespace

// Sizes and positions at 96 DPI, for the DPI the test runs at ($QNTX_DPI, tests/wine/at-dpi.sh).
int AtDpi(int pixels)
{
    HDC screen = GetDC(NULL);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    const char* expected = getenv("QNTX_DPI");
    EXPECT_EQ(expected && *expected ? atoi(expected) : 96, dpi) << "the prefix's LogPixels";
    return MulDiv(pixels, dpi, 96);
}

TEST(Backdrop, PaintsBlueToNearBlackWithTheSetupTitleGrownWithTheDpi)
{
    const auto at = AtDpi;
    PaintedBackdrop setup(at(640), at(510), InstallModeSetup);
    EXPECT_EQ(0x0000FFu, setup.At(at(600), 0)) << "pure blue at the top";
    EXPECT_EQ(0x0000FEu, setup.At(at(600), GradientBandTop(1, 0, at(510)))) << "band 1 (row 2 of 510 at 96 DPI)";
    EXPECT_EQ(0x000001u, setup.At(at(600), at(510) - 1)) << "blue 1 at the bottom, never black";
    EXPECT_GT(setup.Count(White, at(35), at(35), at(400), at(80)), at(at(200))) << "white title";
    EXPECT_GT(setup.Count(Black, at(35), at(35), at(400), at(85)), at(at(50))) << "its black shadow";
    EXPECT_GT(setup.Count(White, at(35), at(440), at(400), at(500)), at(at(50))) << "two credit lines at the bottom left";
    EXPECT_EQ(0, setup.Count(White, 0, 0, at(640), at(35))) << "the margin above the title";
    EXPECT_EQ(0, setup.Count(White, 0, at(100), at(640), at(430))) << "nothing else is drawn";
}

TEST(Backdrop, NamesTheModeInItsTitle)
{
    PaintedBackdrop setup(AtDpi(640), AtDpi(480), InstallModeSetup);
    PaintedBackdrop uninstall(AtDpi(640), AtDpi(480), InstallModeUninstall);
    int setupRight = 0, uninstallRight = 0;
    for (int x = AtDpi(35); x < AtDpi(640); ++x) {
        if (setup.Count(White, x, AtDpi(35), x + 1, AtDpi(80)))
            setupRight = x;
        if (uninstall.Count(White, x, AtDpi(35), x + 1, AtDpi(80)))
            uninstallRight = x;
    }
    EXPECT_GT(uninstallRight, setupRight + AtDpi(20)) << "\"Quintara Uninstall\" is longer than \"Quintara Setup\"";
    AppState.InstallMode = InstallModeSetup;
}
