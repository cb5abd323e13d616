// The setup wizard driven as a person drives it: the robot in this process, the wizard in the
// test host over the background window.
#include "state/texts.h"
#include "ui_robot_support.h"

using namespace robot;

namespace {

const int UserNameField = 102;
const int LicenseField = 102;
const int FolderDisplay = 103;
const int BrowseButton = 102;

const char ProposedOwner[] = "Quintara User";

class WizardPages : public HostTest {};
class WizardUserName : public HostTest {};
class WizardDestination : public HostTest {};

} // namespace

TEST_F(WizardPages, ComeInOrderWithBackNextAndFinishWhereTheyBelong)
{
    ASSERT_TRUE(StartWizard("C:\\windows", ProposedOwner));
    ExpectBack(ButtonState::Disabled);
    ExpectNext(ButtonState::Enabled);
    ExpectFinish(ButtonState::Hidden);

    PressNext();
    ExpectPage(LicenseTitle);
    ExpectBack(ButtonState::Enabled);
    ExpectNext(ButtonState::Enabled);

    // Back to the first page disables Back again.
    PressBack();
    ExpectPage(WelcomeTitle);
    ExpectBack(ButtonState::Disabled);

    PressNext();
    ExpectPage(LicenseTitle);
    PressNext();
    ExpectPage(DestinationTitle);
    ExpectBack(ButtonState::Enabled);
    ExpectNext(ButtonState::Enabled);
    ExpectFinish(ButtonState::Hidden);

    PressNext();
    ExpectPage(PersonalizeTitle);
    ExpectNext(ButtonState::Hidden);
    ExpectFinishEnabled();
    ExpectBack(ButtonState::Enabled);

    // Leaving the last page brings Next back in place of Finish.
    PressBack();
    ExpectPage(DestinationTitle);
    ExpectNext(ButtonState::Enabled);
    ExpectFinish(ButtonState::Hidden);

    // A proposed owner of 6 or more characters finishes without touching the field.
    PressNext();
    ExpectPage(PersonalizeTitle);
    ExpectText(UserNameField, ProposedOwner);
    PressFinish();
    DWORD code = 0;
    ASSERT_TRUE(WaitForExit(&code));
    EXPECT_GT((int)code, 0);
    EXPECT_EQ(std::to_string((int)code), Result()["result"]);
    EXPECT_EQ(ProposedOwner, Result()["UserName"]);
    EXPECT_EQ("C:\\windows", Result()["TargetFolder"]);
}

TEST_F(WizardPages, CancelEndsTheWizardAtOnceWithZero)
{
    for (int page : { 0, 3 }) {
        SCOPED_TRACE("cancelled on page " + std::to_string(page + 1));
        ASSERT_TRUE(StartWizard("C:\\windows", ProposedOwner));
        GoToPage(page);
        PressCancel();
        // No confirmation: the host ends on its own.
        ExpectExitCode(0);
        EXPECT_EQ("0", Result()["result"]);
    }
}

TEST_F(WizardPages, LicenceIsShownWholeAndCannotBeEdited)
{
    ASSERT_TRUE(StartWizard("C:\\windows", ProposedOwner));
    GoToPage(1);
    ExpectText(LicenseField, LicenseText);
    HWND field = FindControl(LicenseField);
    ASSERT_NE(field, (HWND)NULL);
    EXPECT_NE(0u, GetWindowLongA(field, GWL_STYLE) & ES_READONLY);

    TypeKeys(LicenseField, "typed over");
    EXPECT_EQ(LicenseText, ControlText(LicenseField));
}

TEST_F(WizardUserName, FinishIsEnabledExactlyWhileTheTrimmedNameIsNotEmpty)
{
    ASSERT_TRUE(StartWizard("C:\\windows", ""));
    GoToPage(3);
    ExpectFinishDisabled();

    TypeInto(UserNameField, "x");
    ExpectFinishEnabled();
    TypeInto(UserNameField, " \t  ");
    ExpectFinishDisabled();
    TypeInto(UserNameField, "  y ");
    ExpectFinishEnabled();
    TypeInto(UserNameField, "");
    ExpectFinishDisabled();

    // Typed key by key, as a person does.
    TypeKeys(UserNameField, "Jo");
    ExpectFinishEnabled();
    ExpectText(UserNameField, "Jo");
}

TEST_F(WizardUserName, ShortNamesAreRefusedAndTheTrimmedNameIsStored)
{
    ASSERT_TRUE(StartWizard("C:\\windows", ""));
    GoToPage(3);

    // Five letters between blanks still count five.
    for (const char* name : { "a", "  abcde\t " }) {
        SCOPED_TRACE(std::string("name [") + name + "]");
        TypeInto(UserNameField, name);
        ExpectFinishEnabled();
        PressFinish();
        ExpectMessageBox(CaptionWarning, MsgUserNameTooShort);
        AnswerMessageBox(IDOK);
        ExpectPage(PersonalizeTitle);
        ExpectFocus(UserNameField);
        EXPECT_TRUE(ProgramRunning());
    }

    // Two words of three letters make seven; the field keeps the blanks, the store does not.
    TypeInto(UserNameField, "  abc def \t");
    ExpectFinishEnabled();
    PressFinish();
    DWORD code = 0;
    ASSERT_TRUE(WaitForExit(&code));
    EXPECT_GT((int)code, 0);
    EXPECT_EQ("abc def", Result()["UserName"]);
}

TEST_F(WizardUserName, FieldTakesOnlyWhatFitsItsWidth)
{
    ASSERT_TRUE(StartWizard("C:\\windows", ""));
    GoToPage(3);
    const std::string keys(60, 'W');
    TypeKeys(UserNameField, keys);
    std::string kept = ControlText(UserNameField);
    EXPECT_FALSE(kept.empty());
    EXPECT_LT(kept.size(), keys.size()) << "the field scrolled sideways and took every key";
}

TEST_F(WizardDestination, LongFolderIsShortenedOnScreenButKeptWhole)
{
    const std::string folder = "C:\\Program Files\\Corel\\Graphics9\\Photopnt\\Scripts\\Scripts\\"
                               "Collections of the Year\\Quintara Landscape Scripts";
    ASSERT_TRUE(StartWizard(folder, ProposedOwner));
    GoToPage(2);
    ExpectTextThat(
        FolderDisplay,
        [&](const std::string& shown) {
            return shown.size() < folder.size() && shown.find("...") != std::string::npos && ShowsPath(shown, folder) &&
                   shown.size() >= 10 && shown.compare(shown.size() - 5, 5, "ripts") == 0;
        },
        "the folder shortened in its middle, ending in its last folder's name");

    PressNext();
    ExpectPage(PersonalizeTitle);
    PressFinish();
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(folder, Result()["TargetFolder"]);
}

TEST_F(WizardDestination, CancelledPickKeepsTheFolderAndAPickedOneSurvivesBackAndNext)
{
    const std::string proposed = MakeFolder("proposed");
    const std::string picked = MakeFolder("picked");
    ASSERT_TRUE(StartWizard(proposed, ProposedOwner));
    GoToPage(2);
    ExpectTextThat(FolderDisplay, [&](const std::string& s) { return ShowsPath(s, proposed); }, "the proposed folder");
    const std::string before = ControlText(FolderDisplay);

    // The picker opens on the current folder and shows its full path as status.
    Click(BrowseButton);
    WaitForFolderPicker();
    ExpectPickerSelection("proposed");
    ExpectPickerStatus(proposed);
    CancelFolderPicker();
    ExpectText(FolderDisplay, before);

    Click(BrowseButton);
    WaitForFolderPicker();
    SelectFolderInPicker(picked);
    ExpectPickerStatus(picked);
    PickFolder(picked);
    ExpectTextThat(FolderDisplay, [&](const std::string& s) { return ShowsPath(s, picked); }, "the picked folder");
    const std::string shown = ControlText(FolderDisplay);

    PressBack();
    ExpectPage(LicenseTitle);
    PressNext();
    ExpectPage(DestinationTitle);
    ExpectText(FolderDisplay, shown);
    PressNext();
    ExpectPage(PersonalizeTitle);
    PressFinish();
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(picked, Result()["TargetFolder"]);
}
