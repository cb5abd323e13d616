// Takes the README's pictures of a program: the background, the four wizard pages and the
// progress window, as BMP files in $QNTX_ROBOT_PICTURES. Run by scripts/take-pictures.sh,
// which names the program in $QNTX_PICTURES_PROGRAM, its arguments in $QNTX_PICTURES_ARGS and
// the folder to create first in $QNTX_PICTURES_FOLDER.
#include "robot.h"
#include <gtest/gtest.h>
#include <stdlib.h>

using namespace robot;

namespace {

const char* Setting(const char* name)
{
    const char* value = getenv(name);
    return value ? value : "";
}

} // namespace

TEST(Pictures, OfTheWizardAndTheProgressWindow)
{
    const std::string program = Setting("QNTX_PICTURES_PROGRAM");
    ASSERT_FALSE(program.empty()) << "QNTX_PICTURES_PROGRAM names the program to picture";
    // Setup creates only the last folder of its proposal: the host's folders above it must exist.
    std::string folder = Setting("QNTX_PICTURES_FOLDER");
    for (size_t at = folder.find('\\', 3); !folder.empty(); at = folder.find('\\', at + 1)) {
        CreateDirectoryA(folder.substr(0, at).c_str(), NULL);
        if (at == std::string::npos)
            break;
    }
    ASSERT_TRUE(StartProgram(program, Setting("QNTX_PICTURES_ARGS")));
    HWND wizard = WaitForWizard();
    ExpectPage("Welcome");
    SaveScreenshot("background");
    SaveScreenshot("wizard-1-welcome", wizard);

    PressNext();
    ExpectPage("Software License Agreement");
    SaveScreenshot("wizard-2-license", wizard);

    PressNext();
    ExpectPage("Choose Destination Location");
    SaveScreenshot("wizard-3-destination", wizard);

    PressNext();
    ExpectPage("Personalize Your Copy");
    // The prefix's registered owner may be too short to finish with.
    if (ControlText(102).size() < 6)
        TypeInto(102, "Quintara User");
    ExpectFinishEnabled();
    SaveScreenshot("wizard-4-personalize", wizard);

    PressFinish();
    if (!folder.empty()) {
        // The real setup installs the demo faster than a picture of its progress window can be
        // taken: its closing message instead.
        SaveScreenshot("setup-complete", WaitForMessageBox("Setup"));
        AnswerMessageBox(IDOK);
        ASSERT_FALSE(RobotFailed());
        return;
    }
    HWND progress = WaitForWindow("Installing Quintara...", "#32770");
    SaveScreenshot("progress", progress);
    ASSERT_FALSE(RobotFailed());
}
