// Screenshots of the wizard's pages under Xvfb, checked by a few pixels and rectangles.
#include "resources/resource.h"
#include "ui_robot_support.h"

using namespace robot;

namespace {

class WizardPictures : public HostTest {};

// The side image as this program's own copy of bitmap resource 1 holds it.
Picture SideImage()
{
    Picture picture;
    HBITMAP bitmap = (HBITMAP)LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDB_SIDE_IMAGE), IMAGE_BITMAP, 0,
                                         0, LR_CREATEDIBSECTION);
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
        return picture;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    picture.width = info.bmWidth;
    picture.height = info.bmHeight;
    picture.pixels.resize((size_t)info.bmWidth * info.bmHeight);
    HDC dc = GetDC(NULL);
    GetDIBits(dc, bitmap, 0, info.bmHeight, picture.pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(NULL, dc);
    DeleteObject(bitmap);
    for (unsigned& p : picture.pixels)
        p &= 0xFFFFFF;
    return picture;
}

// True when the screen pixel is near the image pixel at (x, y) or one of its neighbours, which
// absorbs the rounding of centring and, above 96 DPI, the smoothing of the enlarged image.
bool ShowsImagePixel(const Picture& image, int x, int y, unsigned seen)
{
    const auto alike = [](unsigned a, unsigned b) {
        for (int shift = 0; shift < 24; shift += 8)
            if (abs((int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF)) > 40)
                return false;
        return true;
    };
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            int ix = x + dx, iy = y + dy;
            if (ix >= 0 && iy >= 0 && ix < image.width && iy < image.height && alike(image.At(ix, iy), seen))
                return true;
        }
    return false;
}

void ExpectSideImageShown(HWND page, const Picture& image)
{
    HWND side = GetDlgItem(page, IDC_SIDE_IMAGE);
    ASSERT_NE(side, (HWND)NULL);
    RECT pageRect, sideRect, client;
    GetWindowRect(page, &pageRect);
    GetWindowRect(side, &sideRect);
    // 80 x 140 of the page's 276 x 140 dialog units, at its top-left corner.
    EXPECT_EQ(pageRect.left, sideRect.left);
    EXPECT_EQ(pageRect.top, sideRect.top);
    EXPECT_NEAR((pageRect.right - pageRect.left) * 80 / 276, sideRect.right - sideRect.left, 1);
    EXPECT_NEAR(pageRect.bottom - pageRect.top, sideRect.bottom - sideRect.top, 1);

    // The image, at the control's size at any DPI, is centred in the control's client area; the
    // corners show it too, not the page's grey around an image left small. Painting follows
    // the page change, so the screen is read again until it shows the image or time runs out.
    GetClientRect(side, &client);
    MapWindowPoints(side, NULL, (POINT*)&client, 2);
    const int width = sideRect.right - sideRect.left, height = sideRect.bottom - sideRect.top;
    const POINT samples[] = { { 60, 114 }, { 20, 41 }, { 30, 53 }, { 100, 180 }, { 25, 195 },
                              { 90, 30 },  { 2, 2 },   { 117, 2 }, { 2, 225 },   { 117, 225 } };
    std::string mismatches;
    for (DWORD start = GetTickCount(); GetTickCount() - start < (DWORD)StepTimeoutMs(); Sleep(50)) {
        Picture shown = CaptureRect(client);
        ASSERT_GT(shown.width, 0);
        int offsetX = (shown.width - width) / 2, offsetY = (shown.height - height) / 2;
        mismatches.clear();
        for (const POINT& s : samples) {
            int x = s.x * width / image.width + offsetX, y = s.y * height / image.height + offsetY;
            if (x < 0 || y < 0 || x >= shown.width || y >= shown.height)
                continue;
            if (!ShowsImagePixel(image, s.x, s.y, shown.At(x, y))) {
                char line[96];
                snprintf(line, sizeof line, "image (%ld,%ld) is %06X, the screen shows %06X; ", s.x, s.y,
                         image.At(s.x, s.y), shown.At(x, y));
                mismatches += line;
            }
        }
        if (mismatches.empty())
            break;
    }
    EXPECT_EQ("", mismatches);
}

} // namespace

TEST_F(WizardPictures, EveryPageIsCentredLaidOutAndShowsTheSideImageFilled)
{
    Picture image = SideImage();
    ASSERT_EQ(120, image.width);
    ASSERT_EQ(228, image.height);
    ASSERT_TRUE(StartWizard("C:\\Program Files\\Corel\\Graphics9\\Photopnt\\Scripts\\Scripts", "Quintara User"));

    // Centred over the background window, which covers the screen.
    RECT sheet;
    GetWindowRect(CurrentWindow(), &sheet);
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (sheet.left + sheet.right) / 2, 1);
    EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, (sheet.top + sheet.bottom) / 2, 1);

    const char* const titles[] = { WelcomeTitle, LicenseTitle, DestinationTitle, PersonalizeTitle };
    const char* const names[] = { "page-1-welcome", "page-2-license", "page-3-destination", "page-4-personalize" };
    for (int page = 0; page < 4; ++page) {
        SCOPED_TRACE(names[page]);
        if (page > 0)
            PressNext();
        ASSERT_TRUE(ExpectPage(titles[page]));
        ExpectSideImageShown(CurrentPage(), image);
        ExpectLaidOut(CurrentPage());
        ExpectLaidOut(CurrentWindow());
        SaveScreenshot(names[page], CurrentWindow());
    }
}
