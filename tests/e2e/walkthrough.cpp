// Not a test: the unattended walk through the installer or the uninstaller that
// scripts/run.sh performs when there is no display, a screenshot at every step.
// QNTX_WALK_SETUP names the executable to run (a Windows path) and QNTX_WALK_USER the name
// typed on the last wizard page.
#include "robot/robot.h"
#include <gtest/gtest.h>
#include <stdlib.h>

using namespace robot;

namespace {

std::string Setting(const char* name, const char* fallback)
{
    const char* value = getenv(name);
    return value && *value ? value : fallback;
}

// A message box's CR line breaks, as lines of the terminal.
void PrintMessage(const std::string& text)
{
    std::string lines = text;
    for (size_t at = 0; (at = lines.find('\r', at)) != std::string::npos;)
        lines.replace(at, 1, "\n         ");
    printf("message: %s\n", lines.c_str());
}

void Shot(const char* name)
{
    std::string path = SaveScreenshot(name);
    if (!path.empty())
        printf("screenshot: %s\n", name);
}

} // namespace

TEST(Walkthrough, Install)
{
    ASSERT_TRUE(StartProgram(Setting("QNTX_WALK_SETUP", ""), ""));
    WaitForWizard();
    ExpectPage("Welcome");
    Shot("1-welcome");
    PressNext();
    ExpectPage("Software License Agreement");
    Shot("2-license");
    PressNext();
    ExpectPage("Choose Destination Location");
    Shot("3-destination");
    PressNext();
    ExpectPage("Personalize Your Copy");
    TypeInto(102, Setting("QNTX_WALK_USER", "Quintara User"));
    ExpectFinishEnabled();
    Shot("4-personalize");
    PressFinish();
    HWND box = WaitForMessageBox("Setup");
    Shot("5-setup-complete");
    PrintMessage(MessageBoxText(box));
    AnswerMessageBox(IDOK);
    ExpectExitCode(0);
}

TEST(Walkthrough, Uninstall)
{
    ASSERT_TRUE(StartProgram(Setting("QNTX_WALK_SETUP", ""), "/r"));
    HWND box = WaitForMessageBox("Uninstall");
    Shot("1-uninstall-confirm");
    std::string text = MessageBoxText(box);
    PrintMessage(text);
    if (text.find("Do you want to continue") != std::string::npos) {
        AnswerMessageBox(IDYES);
        box = WaitForMessageBox("Uninstall");
        Shot("2-uninstall-complete");
        PrintMessage(MessageBoxText(box));
    }
    AnswerMessageBox(IDOK);
    ExpectExitCode(0);
}
