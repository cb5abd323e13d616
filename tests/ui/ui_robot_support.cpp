#include "ui_robot_support.h"
#include <fstream>
#include <stdlib.h>

using namespace robot;

const char WelcomeTitle[] = "Welcome";
const char LicenseTitle[] = "Software License Agreement";
const char DestinationTitle[] = "Choose Destination Location";
const char PersonalizeTitle[] = "Personalize Your Copy";

std::string HostPath()
{
    return ModuleFolder() + "wizard_host.exe";
}

void HostTest::SetUp()
{
    HDC screen = GetDC(NULL);
    ASSERT_EQ(ExpectedDpi(), GetDeviceCaps(screen, LOGPIXELSY)) << "the prefix's LogPixels";
    ReleaseDC(NULL, screen);
    scratch = folder.Path();
    ASSERT_TRUE(FolderExists(scratch)) << scratch;
    resultFile = scratch + "\\result.txt";
}

void HostTest::TearDown()
{
    EndProgram();
}

std::string HostTest::MakeFolder(const std::string& name)
{
    std::string path = scratch + "\\" + name;
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

bool HostTest::StartWizard(const std::string& targetFolder, const std::string& userName)
{
    SettleFoldersForPicker(targetFolder);
    std::string arguments = "wizard " + QuoteArgument(resultFile) + " " + QuoteArgument(targetFolder) + " " +
                            QuoteArgument(userName);
    return StartProgram(HostPath(), arguments) && WaitForWizard() && ExpectPage(WelcomeTitle);
}

void HostTest::GoToPage(int pageIndex)
{
    static const char* const titles[] = { WelcomeTitle, LicenseTitle, DestinationTitle, PersonalizeTitle };
    for (int page = 1; page <= pageIndex; ++page) {
        PressNext();
        ExpectPage(titles[page]);
    }
}

std::map<std::string, std::string> HostTest::Result()
{
    std::map<std::string, std::string> values;
    std::ifstream in(resultFile.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

int ExpectedDpi()
{
    const char* dpi = getenv("QNTX_DPI");
    return dpi && *dpi ? atoi(dpi) : 96;
}

static bool Encloses(const Control& outer, const Control& inner)
{
    bool frame = (outer.className == "Button" && (outer.style & BS_TYPEMASK) == BS_GROUPBOX) ||
                 (outer.className == "Static" && (outer.style & SS_TYPEMASK) == SS_ETCHEDFRAME);
    RECT both;
    return frame && UnionRect(&both, &outer.rect, &inner.rect) && EqualRect(&both, &outer.rect);
}

void ExpectLaidOut(HWND dialog)
{
    RECT client, both;
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, NULL, (POINT*)&client, 2);
    std::vector<Control> shown;
    for (const Control& c : ListControls(dialog)) {
        bool drawsNothing = c.className == "Static" && c.text.empty() && (c.style & SS_TYPEMASK) <= SS_RIGHT;
        if (c.visible && !drawsNothing)
            shown.push_back(c);
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        const Control& c = shown[i];
        UnionRect(&both, &client, &c.rect);
        EXPECT_TRUE(EqualRect(&both, &client)) << "control " << c.id << " \"" << c.text << "\" reaches outside "
                                               << TextOf(dialog) << "\n" << DescribeWindow(dialog);
        for (size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(IntersectRect(&both, &c.rect, &shown[j].rect) && !Encloses(c, shown[j]) &&
                         !Encloses(shown[j], c))
                << "controls " << c.id << " \"" << c.text << "\" and " << shown[j].id << " \"" << shown[j].text
                << "\" overlap\n" << DescribeWindow(dialog);
    }
}

bool ShowsPath(const std::string& display, const std::string& path)
{
    if (display == path)
        return true;
    size_t dots = display.find("...");
    if (dots == std::string::npos)
        return false;
    std::string head = display.substr(0, dots), tail = display.substr(dots + 3);
    return path.compare(0, head.size(), head) == 0 && tail.size() <= path.size() &&
           path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
}
