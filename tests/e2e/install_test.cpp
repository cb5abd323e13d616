// The installation as a person goes through it, each scenario in a fresh Wine prefix.
#include "robot/robot.h"
#include "install_steps.h"
#include "system_state.h"
#include <gtest/gtest.h>

using namespace robot;


TEST(Install, HappyPathInstallsTheDemoPayload)
{
    std::vector<ManifestEntry> entries = ReadManifest(BuildPath("QNTX_DEMO_MANIFEST"));
    ASSERT_GE(entries.size(), 3u);
    // Under WoW64 the program's system folder is SysWOW64; a 64-bit file of the same name in
    // the real system32 is another program's and stays as it was.
    std::string nativeFile;
    for (const ManifestEntry& entry : entries)
        if (entry.name[0] == '@' && !NativeSystemDir().empty())
            nativeFile = JoinPath(NativeSystemDir(), entry.name.substr(2));
    if (!nativeFile.empty()) {
        ASSERT_TRUE(WriteFileBytes(nativeFile, "a 64-bit library")) << nativeFile;
    }

    PrepareMedium();
    PrepareHostFolder();
    StartSetup();
    FinishWizard("Quintara Tester");
    // The side-by-side COMCTL32 6 that the manifest asks for, not version 5 of the system folder.
    std::string commonControls = ProgramModulePath("comctl32.dll");
    CharLowerA(&commonControls[0]);
    EXPECT_NE(std::string::npos, commonControls.find("\\winsxs\\")) << commonControls;
    ExpectSetupComplete();

    ExpectInstalled(DefaultTarget, entries);
    if (!nativeFile.empty()) {
        EXPECT_FILE(nativeFile, "a 64-bit library");
        EXPECT_TRUE(FileExists(JoinPath(Wow64SystemDir(), nativeFile.substr(nativeFile.rfind('\\') + 1))));
    }
    EXPECT_EQ(ExpectedLog(DefaultTarget, entries), ReadFileBytes(Log()));
    // The manifest's UTF-8 "Übersicht.csc", written in Windows-1252, is that name in Unicode too.
    std::wstring wideTarget(DefaultTarget, DefaultTarget + lstrlenA(DefaultTarget));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((wideTarget + L"\\\u00DCbersicht.csc").c_str()));
    EXPECT_TRUE(ReadFileBytes(Uninstaller()) == ReadFileBytes(MediumExe())) << "the uninstaller is a copy of setup";
    ExpectEntries(DefaultTarget, "Quintara Tester");
    ExpectNoDecoyLoaded();
}

TEST(Install, ProposesTheHostFolderAndTheRegisteredOwner)
{
    std::string target = "C:\\Graphics\\Photopnt\\Scripts\\Scripts";
    SetValue(HKEY_LOCAL_MACHINE, HostKey, "Destination", Text("C:\\Graphics"));
    SetValue(HKEY_LOCAL_MACHINE, OwnerKey, "RegisteredOwner", Text("Registered Owner"));
    PrepareMedium();
    PrepareHostFolder(target);
    StartSetup();
    WalkToPersonalize();
    ExpectText(102, "Registered Owner");
    ExpectFinishEnabled();
    PressFinish();
    ExpectSetupComplete();
    ExpectRegText(UninstallKey, "InstallLocation", target);
    ExpectRegText(UninstallKey, "RegOwner", "Registered Owner");
    EXPECT_TRUE(FileExists(target + "\\Quintara.txt"));
}

TEST(Install, AHostFolderThatIsNotTextGivesTheDefault)
{
    SetValue(HKEY_LOCAL_MACHINE, HostKey, "Destination", Number(7));
    PrepareMedium();
    PrepareHostFolder();
    StartSetup();
    FinishWizard("Quintara Tester");
    ExpectSetupComplete();
    ExpectRegText(UninstallKey, "InstallLocation", DefaultTarget);
}

TEST(Install, AMissingDataFileStopsBeforeTheWizard)
{
    PrepareMedium("");
    StartSetup();
    ExpectMessageBox("Setup", "Unable to open Setup Data File. Exiting...");
    // The backdrop behind the box: blue at the top, near black at the bottom, titled for setup.
    int titleRight = BackdropTitleRightEdge();
    EXPECT_GT(titleRight, 150) << "\"Quintara Setup\" is drawn";
    EXPECT_LT(titleRight, 300) << "and not the longer \"Quintara Uninstall\"";
    Picture screen = CaptureWhenStill(NULL);
    ASSERT_GT(screen.height, 700);
    EXPECT_EQ(0x0000FFu, screen.At(screen.width - 2, 1));
    EXPECT_LE(screen.At(screen.width - 2, screen.height - 1), 0x000003u);
    SaveScreenshot("missing-data-file");
    AnswerMessageBox(IDOK);
    ExpectExitCode(0);
    ExpectNothingInstalled();
}

TEST(Install, CancelOnAnyPageAbortsAndChangesNothing)
{
    const char* pages[] = { "Welcome", "Software License Agreement", "Choose Destination Location",
                            "Personalize Your Copy" };
    PrepareMedium();
    PrepareHostFolder();
    for (int page = 0; page < 4; ++page) {
        SCOPED_TRACE(pages[page]);
        StartSetup();
        WaitForWizard();
        for (int i = 0; i < page; ++i)
            PressNext();
        ExpectPage(pages[page]);
        PressCancel();
        ExpectMessageBox("Setup", "Setup aborted.");
        AnswerMessageBox(IDOK);
        ExpectExitCode(0);
        ExpectNothingInstalled();
        EXPECT_FALSE(FolderExists(DefaultTarget));
    }
}

TEST(Install, ADestinationThatCannotBeCreatedStops)
{
    SetValue(HKEY_LOCAL_MACHINE, HostKey, "Destination", Text("C:\\Missing\\Host"));
    PrepareMedium();
    StartSetup();
    FinishWizard("Quintara Tester");
    ExpectMessageBox("Error", "Unable to create specified folder");
    AnswerMessageBox(IDOK);
    ExpectMessageBox("Setup", "Unable to locate target folder: \"C:\\Missing\\Host\\Photopnt\\Scripts\\Scripts\"");
    AnswerMessageBox(IDOK);
    ExpectExitCode(0);
    ExpectNothingInstalled();
}

TEST(Install, ADestinationThatIsAFileStops)
{
    PrepareMedium();
    PrepareHostFolder();
    EXPECT_TRUE(WriteFileBytes(DefaultTarget, "not a folder")) << DefaultTarget;
    StartSetup();
    FinishWizard("Quintara Tester");
    ExpectMessageBox("Error", "Unable to create specified folder");
    AnswerMessageBox(IDOK);
    ExpectMessageBox("Setup", std::string("Unable to locate target folder: \"") + DefaultTarget + "\"");
    AnswerMessageBox(IDOK);
    ExpectExitCode(0);
    ExpectNothingInstalled();
    EXPECT_EQ("not a folder", ReadFileBytes(DefaultTarget));
}

// Runs setup up to the log warning while this process holds the log open, unshared.
static HANDLE RunSetupWithTheLogHeldOpen()
{
    PrepareMedium();
    PrepareHostFolder();
    EXPECT_TRUE(WriteFileBytes(Log(), "held")) << Log();
    HANDLE held = CreateFileA(Log().c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, held);
    StartSetup();
    FinishWizard("Quintara Tester");
    ExpectMessageBox("Setup", "Unable to create Setup Log File. If you continue now, you may not be able to "
                              "uninstall Quintara later.\rDo you want to continue?");
    return held;
}

TEST(Install, ALogHeldOpenAsksAndNoStopsSilently)
{
    HANDLE held = RunSetupWithTheLogHeldOpen();
    AnswerMessageBox(IDNO);
    ExpectExitCode(0);
    CloseHandle(held);
    EXPECT_EQ("held", ReadFileBytes(Log()));
    EXPECT_FALSE(FileExists(std::string(DefaultTarget) + "\\Quintara.txt"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
}

TEST(Install, ALogHeldOpenAndYesInstallsWithoutALog)
{
    HANDLE held = RunSetupWithTheLogHeldOpen();
    AnswerMessageBox(IDYES);
    ExpectSetupComplete();
    CloseHandle(held);
    EXPECT_EQ("held", ReadFileBytes(Log()));
    ExpectInstalled(DefaultTarget, ReadManifest(BuildPath("QNTX_DEMO_MANIFEST")));
    ExpectEntries(DefaultTarget, "Quintara Tester");
    EXPECT_TRUE(FileExists(Uninstaller()));
}

TEST(Install, ADamagedDataFileInstallsTheRecordsBeforeTheDamageWhateverClosesTheBackdrop)
{
    std::vector<Record> records = ReadRecords(BuildPath("QNTX_DEMO_DATA"));
    ASSERT_GE(records.size(), 3u);
    std::string damaged = RecordBytes(records[0]) + RecordBytes(records[1]);
    std::string third = RecordBytes(records[2]);
    damaged += third.substr(0, 136 + records[2].packed.size() / 2);
    std::string dataFile = "C:\\damaged.z";
    EXPECT_TRUE(WriteFileBytes(dataFile, damaged)) << dataFile;
    PrepareMedium(dataFile);
    PrepareHostFolder();
    StartSetup();
    FinishWizard("Quintara Tester");
    ExpectMessageBox("Error", "Error reading Setup Data file");
    // Alt+F4 and close requests to the backdrop in the middle of the work take nothing down:
    // it owns the progress window, which owns this box.
    HWND background = FindWindowA("QTXSetupClass", NULL);
    const UINT requests[][2] = { { WM_CLOSE, 0 }, { WM_SYSCOMMAND, SC_CLOSE }, { WM_SYSKEYDOWN, VK_F4 } };
    for (const auto& request : requests)
        SendMessageTimeoutA(background, request[0], request[1], request[0] == WM_SYSKEYDOWN ? 0x20000000 : 0,
                            SMTO_ABORTIFHUNG, 5000, NULL);
    EXPECT_TRUE(IsWindow(background));
    HWND progress = FindWindowA(NULL, "Installing Quintara...");
    EXPECT_TRUE(IsWindow(progress));
    EXPECT_EQ("Hilfe f\xFCr Quintara", TextOf(GetDlgItem(progress, 101))) << "the damaged record's label, in Windows-1252";
    AnswerMessageBox(IDOK);
    ExpectSetupComplete();

    std::string log;
    for (int i = 0; i < 2; ++i) {
        std::string destination = std::string(DefaultTarget) + "\\" + records[i].name;
        EXPECT_TRUE(FileExists(destination)) << destination;
        log += "+" + destination + "\r\n";
    }
    EXPECT_FALSE(FileExists(std::string(DefaultTarget) + "\\" + records[2].name));
    EXPECT_EQ(log, ReadFileBytes(Log()));
    ExpectEntries(DefaultTarget, "Quintara Tester");
}

TEST(Install, RunningSetupTwiceReplacesLogUninstallerAndValues)
{
    PrepareMedium();
    PrepareHostFolder();
    StartSetup();
    FinishWizard("First Owner");
    ExpectSetupComplete();
    EXPECT_TRUE(WriteFileBytes(Uninstaller(), "stale uninstaller")) << Uninstaller();

    // The second run installs only the first two records.
    std::vector<Record> records = ReadRecords(BuildPath("QNTX_DEMO_DATA"));
    std::string smaller = "C:\\smaller.z";
    EXPECT_TRUE(WriteFileBytes(smaller, RecordBytes(records[0]) + RecordBytes(records[1]))) << smaller;
    ASSERT_TRUE(CopyFileA(smaller.c_str(), MediumData().c_str(), FALSE));
    StartSetup();
    FinishWizard("Second Owner");
    ExpectSetupComplete();

    std::string target = DefaultTarget;
    EXPECT_EQ("+" + target + "\\" + records[0].name + "\r\n+" + target + "\\" + records[1].name + "\r\n",
              ReadFileBytes(Log()));
    EXPECT_TRUE(ReadFileBytes(Uninstaller()) == ReadFileBytes(MediumExe()));
    ExpectEntries(DefaultTarget, "Second Owner");
}

// No message is retrieved while files are copied, yet Windows must never take the run for hung
// (after 5 s it ghosts the windows and offers to close them); Cancel there changes nothing.
TEST(Install, ALongCopyIsNeverHungAndCancelInItChangesNothing)
{
    std::string data, log;
    const int count = 3000;
    for (int i = 0; i < count; ++i) {
        Record record;
        char name[32];
        wsprintfA(name, "file%04d.txt", i);
        record.name = name;
        record.label = std::string("Item ") + name;
        record.packed = std::string(2000, (char)('a' + i % 26));
        data += RecordBytes(record);
        log += "+" + std::string(DefaultTarget) + "\\" + name + "\r\n";
    }
    std::string dataFile = "C:\\many.z";
    EXPECT_TRUE(WriteFileBytes(dataFile, data)) << dataFile;
    PrepareMedium(dataFile);
    PrepareHostFolder();
    StartSetup();
    FinishWizard("Quintara Tester");
    HWND progress = WaitForWindow("Installing Quintara..."), backdrop = FindWindowA("QTXSetupClass", NULL);
    Click(IDCANCEL);
    DWORD start = GetTickCount(), lasted = 0;
    for (; !FindWindowA("#32770", "Setup") && lasted < 120000; Sleep(100), lasted = GetTickCount() - start)
        ASSERT_FALSE(IsHungAppWindow(progress) || IsHungAppWindow(backdrop)) << "hung after " << lasted << " ms";
    EXPECT_GT(lasted, 6000u) << "the copy must outlast the 5 s after which Windows calls a window hung";
    ExpectSetupComplete();
    for (int i = 0; i < count; ++i) {
        char name[32];
        wsprintfA(name, "\\file%04d.txt", i);
        ASSERT_EQ(std::string(2000, (char)('a' + i % 26)), ReadFileBytes(DefaultTarget + std::string(name))) << name;
    }
    EXPECT_EQ(log, ReadFileBytes(Log()));
}

TEST(Install, DamagedDataFilesOfEveryKindStillEndInSetupComplete)
{
    std::vector<Record> demo = ReadRecords(BuildPath("QNTX_DEMO_DATA"));
    ASSERT_GE(demo.size(), 2u);
    std::string target = DefaultTarget;
    auto line = [&](const Record& record) { return "+" + target + "\\" + record.name + "\r\n"; };
    auto named = [&](const std::string& name) {
        Record record = demo[1];
        record.name = name;
        return RecordBytes(record);
    };
    struct Damaged {
        const char* what;
        std::string bytes;
        std::vector<std::pair<std::string, std::string>> boxes; // caption, text, before "Setup complete."
        std::string log;
    };
    std::string hugeLength = RecordBytes(demo[1]);
    hugeLength[128] = hugeLength[129] = hugeLength[130] = hugeLength[131] = '\xff';
    Record badSzdd = demo[1];
    ASSERT_EQ(std::string("SZDD"), badSzdd.packed.substr(0, 4)) << "the demo's second file is packed";
    badSzdd.packed[8] = 'B';
    std::vector<Damaged> cases = {
        { "names that leave the folder, name a device or carry a line end",
          RecordBytes(demo[0]) + named("..\\..\\evil.txt") + named("C:\\evil.txt") + named("COM1") +
              named("x\r\n+win.ini") + RecordBytes(demo[1]),
          { { "Error", "Invalid file name in Setup Data file: \"..\\..\\evil.txt\"" },
            { "Error", "Invalid file name in Setup Data file: \"C:\\evil.txt\"" },
            { "Error", "Invalid file name in Setup Data file: \"COM1\"" },
            { "Error", "Invalid file name in Setup Data file: \"x\r\n+win.ini\"" } },
          line(demo[0]) + line(demo[1]) },
        { "a length of 4 GiB", RecordBytes(demo[0]) + hugeLength,
          { { "Error", "Error reading Setup Data file" } }, line(demo[0]) },
        { "cut inside the second header", RecordBytes(demo[0]) + RecordBytes(demo[1]).substr(0, 100), {},
          line(demo[0]) },
        { "an SZDD header of an unknown mode", RecordBytes(badSzdd) + RecordBytes(demo[0]),
          { { "Error", "Unable to install file: \"" + target + "\\" + demo[1].name + "\"" } },
          line(demo[0]) }, // the file not written, its line goes (the replaced log lacks it)
        { "an empty data file", "", {}, "" },
    };

    PrepareMedium();
    PrepareHostFolder();
    for (const Damaged& damaged : cases) {
        SCOPED_TRACE(damaged.what);
        DeleteFileA((target + "\\" + demo[0].name).c_str());
        DeleteFileA((target + "\\" + demo[1].name).c_str());
        EXPECT_TRUE(WriteFileBytes(MediumData(), damaged.bytes)) << MediumData();
        StartSetup();
        FinishWizard("Quintara Tester");
        for (const auto& box : damaged.boxes) {
            ExpectMessageBox(box.first, box.second);
            AnswerMessageBox(IDOK);
        }
        ExpectSetupComplete();
        EXPECT_EQ(damaged.log, ReadFileBytes(Log()));
        ExpectEntries(DefaultTarget, "Quintara Tester");
        ASSERT_FALSE(RobotFailed());
    }
    for (const char* escaped : { "C:\\Program Files\\Corel\\Graphics9\\Photopnt\\evil.txt", "C:\\evil.txt" })
        EXPECT_FALSE(FileExists(escaped)) << escaped;
    ExpectNoDecoyLoaded();
}

// Without COMCTL32, neither the side-by-side version 6 that the manifest names nor the system
// folder's, the wizard cannot be shown, and nothing is installed without the consent it would
// have asked for. Windows would not even start the program; Wine starts it, but shows none of
// its message boxes either, and the program ends without a word.
TEST(Install, AWizardThatCannotBeShownInstallsNothing)
{
    PrepareMedium();
    PrepareHostFolder();
    WIN32_FIND_DATAA found;
    std::string sxs = WindowsDir() + "\\winsxs\\x86_microsoft.windows.common-controls_*";
    HANDLE search = FindFirstFileA(sxs.c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search) << sxs;
    FindClose(search);
    sxs = WindowsDir() + "\\winsxs\\" + found.cFileName + "\\comctl32";
    ASSERT_TRUE(MoveFileA((sxs + ".dll").c_str(), (sxs + ".qntx").c_str())) << sxs;
    ASSERT_TRUE(MoveFileA((SystemDir() + "\\comctl32.dll").c_str(), (SystemDir() + "\\comctl32.qntx").c_str()));
    StartSetup();
    ExpectExitCode(0);
    ExpectNothingInstalled();
    ExpectNoDecoyLoaded();
}

// An uninstaller copy that cannot be written is reported, and no command is registered that
// would start nothing.
TEST(Install, AnUninstallerThatCannotBeWrittenIsReportedAndNotRegistered)
{
    PrepareMedium();
    PrepareHostFolder();
    ASSERT_TRUE(CreateDirectoryA(Uninstaller().c_str(), NULL));
    StartSetup();
    FinishWizard("Quintara Tester");
    ExpectMessageBox("Error", "Unable to create the uninstaller: \"" + Uninstaller() +
                                  "\"\rQuintara cannot be removed through Add/Remove Programs.");
    AnswerMessageBox(IDOK);
    ExpectSetupComplete();
    ExpectRegText(UninstallKey, "InstallLocation", DefaultTarget);
    for (const char* name : { "UninstallString", "UninstallPath", "ModifyPath" })
        EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, UninstallKey, name).present) << name;
    EXPECT_TRUE(FileExists(DefaultTarget + std::string("\\Quintara.txt")));
}
