#include "ui_robot_support.h"
#include <fstream>

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
