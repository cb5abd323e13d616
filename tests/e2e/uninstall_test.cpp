// The uninstallation as a person goes through it, after a real installation, each scenario
// in a fresh Wine prefix.
#include "install_steps.h"
#include "robot/robot.h"
#include "system_state.h"
#include <gtest/gtest.h>
#include <algorithm>

using namespace robot;

namespace {

const char NotInstalled[] = "Unable to locate Quintara installation.\rQuintara was not installed on your system or "
                            "the installation is damaged.\rUninstall will not continue...";
const char Confirm[] = "This will uninstall Quintara from your system.\rDo you want to continue with Uninstall?";

std::string MissingLog(const std::string& log)
{
    return "Unable to open setup log file ('" + log + "').\rQuintara Uninstaller can't remove files from your "
           "system without the log file.\rDo you wish the Uninstaller to clear the registry entries only?";
}

std::string Wininit()
{
    return WindowsDir() + "\\Wininit.ini";
}

// Runs a program of the prefix, as a shell would, waiting for it when asked to.
void RunCommand(const std::string& commandLine, bool wait)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        ADD_FAILURE() << "cannot run " << commandLine;
        return;
    }
    if (wait) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 120000)) << commandLine;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// A Unix symbolic link at link to target, as a user who may write there could plant: Wine
// shows one to a folder as a folder with FILE_ATTRIBUTE_REPARSE_POINT, one to a file as that
// file. It starts a Unix program without a handle to wait on, so the link is waited for.
bool MakeUnixLink(const std::string& target, const std::string& link)
{
    typedef char*(CDECL * UnixNameOf)(LPCWSTR);
    auto unixNameOf = (UnixNameOf)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    std::string line = "/bin/ln -s";
    for (const std::string& path : { target, link }) {
        WCHAR wide[MAX_PATH];
        char* unixName = unixNameOf && MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)
                             ? unixNameOf(wide) : NULL;
        if (!unixName)
            return false;
        line += " \"" + std::string(unixName) + "\"";
        HeapFree(GetProcessHeap(), 0, unixName);
    }
    RunCommand(line, false);
    for (int wait = 0; wait < 100 && GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
        Sleep(100);
    return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ExpectDemoStillInstalled()
{
    EXPECT_TRUE(FileExists(std::string(DefaultTarget) + "\\Quintara.txt"));
    EXPECT_TRUE(FileExists(Log()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    EXPECT_FALSE(FileExists(Wininit()));
}

// The system's own list of files to delete at its next start (NT family): the NT paths of
// the deletions it holds, in order.
std::vector<std::string> PendingDeletions()
{
    std::vector<std::string> paths;
    for (const auto& pair : ReadPendingRenames())
        if (pair.second.empty())
            paths.push_back(pair.first);
    return paths;
}

// Add/Remove Programs runs the registered "UninstallString"; the robot, having started no
// program itself, finds the uninstaller's windows wherever they are.
void UninstallThroughAddRemovePrograms()
{
    RunCommand("uninstaller.exe --remove Quintara", false);
    HWND background = WaitForWindow("Quintara Setup", "QTXSetupClass");
    ExpectMessageBox("Uninstall", Confirm);
    AnswerMessageBox(IDYES);
    ExpectMessageBox("Uninstall", "Uninstall complete.");
    AnswerMessageBox(IDOK);
    WaitUntilGone(background);
}

// Setup stages each record in a "~qtx" temporary file, of whose prefix GetTempFileNameA keeps three
// characters.
size_t StagingFiles()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::vector<std::string> names = FolderEntries(temp);
    return std::count_if(names.begin(), names.end(), [](const std::string& name) { return name.rfind("~qt", 0) == 0; });
}

} // namespace

// Also installing again before the restart: the deletions the first uninstaller left for the
// next start must not take the new uninstaller or a newly installed file with them.
TEST(Uninstall, FullCycleThroughAddRemoveProgramsAndARestart)
{
    InstallDemo();
    std::vector<ManifestEntry> entries = ReadManifest(BuildPath("QNTX_DEMO_MANIFEST"));
    EndProgram();

    UninstallThroughAddRemovePrograms();
    for (const ManifestEntry& entry : entries) {
        std::string destination = DestinationOf(DefaultTarget, entry.name);
        EXPECT_EQ(entry.name[0] == '@', FileExists(destination)) << destination;
    }
    EXPECT_TRUE(FolderExists(DefaultTarget)) << "no folder line names the target folder";
    EXPECT_FALSE(FileExists(Log()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    ExpectRegText(ProductKey, "RegOwner", "Quintara Tester");
    EXPECT_TRUE(FileExists(Uninstaller())) << "a running program cannot delete itself";
    char shortPath[MAX_PATH] = "";
    GetShortPathNameA(Uninstaller().c_str(), shortPath, sizeof shortPath);
    EXPECT_EQ("[rename]\r\nNUL=" + std::string(shortPath) + "\r\n", ReadFileBytes(Wininit()));

    // A file that stayed because it was in use, left for the next start as the uninstaller
    // leaves itself, its long form in Wininit.ini this time.
    std::string inUse = DestinationOf(DefaultTarget, entries[1].name);
    WriteFileBytes(inUse, "in use");
    ASSERT_TRUE(MoveFileExA(inUse.c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT));
    WriteFileBytes(Wininit(), ReadFileBytes(Wininit()) + "NUL=" + inUse + "\r\nNUL=" + Log() + "\r\n");
    WriteFileBytes(Log(), "held at uninstallation");
    ASSERT_TRUE(MoveFileExA(Log().c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT));
    // A read-only file where setup installs is replaced, as an administrator's setup must.
    std::string readOnly = DestinationOf(DefaultTarget, entries[0].name);
    WriteFileBytes(readOnly, "older, read-only");
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    InstallDemo();
    EndProgram();
    EXPECT_EQ("[rename]\r\n", ReadFileBytes(Wininit()));
    EXPECT_TRUE(PendingDeletions().empty());

    // Restarting Wine's session carries out Wininit.ini, as Windows did at its next start.
    RunCommand("wineboot.exe -r", true);
    ExpectInstalled(DefaultTarget, entries);
    EXPECT_EQ(ExpectedLog(DefaultTarget, entries), ReadFileBytes(Log()));
    ExpectEntries(DefaultTarget, "Quintara Tester");
    EXPECT_TRUE(ReadFileBytes(Uninstaller()) == ReadFileBytes(MediumExe()));

    UninstallThroughAddRemovePrograms();
    RunCommand("wineboot.exe -r", true);
    EXPECT_FALSE(FileExists(Uninstaller()));
    for (const ManifestEntry& entry : entries) {
        std::string destination = DestinationOf(DefaultTarget, entry.name);
        EXPECT_EQ(entry.name[0] == '@', FileExists(destination)) << destination;
    }
    EXPECT_FALSE(FileExists(Log()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
}

TEST(Uninstall, NeverInstalledSaysSoAndChangesNothing)
{
    PrepareMedium();
    ASSERT_TRUE(StartProgram(MediumExe(), "/r"));
    HWND background = WaitForWindow("Quintara Setup", "QTXSetupClass");
    ExpectMessageBox("Uninstall", NotInstalled);
    EXPECT_GT(BackdropTitleRightEdge(), 300) << "the backdrop reads \"Quintara Uninstall\"";
    Picture screen = CaptureWhenStill(NULL);
    EXPECT_EQ(0x0000FFu, screen.At(screen.width - 2, 1)) << "blue at the top";
    EXPECT_LE(screen.At(screen.width - 2, screen.height - 1), 0x000003u) << "near black at the bottom";
    EXPECT_EQ("Quintara Setup", TextOf(background)) << "the window's own title is the same in both modes";
    SaveScreenshot("uninstall-not-installed");
    AnswerMessageBox(IDOK);
    ExpectExitCode(0);
    EXPECT_FALSE(FileExists(Wininit()));
}

TEST(Uninstall, AnsweringNoChangesNothing)
{
    InstallDemo();
    ASSERT_TRUE(StartProgram(Uninstaller(), "/r"));
    ExpectMessageBox("Uninstall", Confirm);
    AnswerMessageBox(IDNO);
    ExpectExitCode(0);
    ExpectDemoStillInstalled();
}

TEST(Uninstall, AMissingLogClearsTheEntryOnlyOnYes)
{
    InstallDemo();
    ASSERT_TRUE(DeleteFileA(Log().c_str()));

    ASSERT_TRUE(StartProgram(Uninstaller(), "/r"));
    ExpectMessageBox("Uninstall", Confirm);
    AnswerMessageBox(IDYES);
    ExpectMessageBox("Uninstall", MissingLog(Log()));
    AnswerMessageBox(IDNO);
    ExpectMessageBox("Uninstall", "There were errors during uninstall.");
    AnswerMessageBox(IDOK);
    ExpectExitCode(0);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));

    ASSERT_TRUE(StartProgram(Uninstaller(), "/r"));
    ExpectMessageBox("Uninstall", Confirm);
    AnswerMessageBox(IDYES);
    ExpectMessageBox("Uninstall", MissingLog(Log()));
    AnswerMessageBox(IDYES);
    ExpectMessageBox("Uninstall", "Uninstall complete.");
    AnswerMessageBox(IDOK);
    ExpectExitCode(0);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    EXPECT_TRUE(FileExists(std::string(DefaultTarget) + "\\Quintara.txt")) << "without a log no file is removed";
    EXPECT_FALSE(FileExists(Wininit())) << "and the uninstaller is not scheduled for deletion";
}

TEST(Uninstall, RunFromTheDistributionFolderFindsNoLogThere)
{
    InstallDemo();
    ASSERT_TRUE(StartProgram(MediumExe(), "/r"));
    ExpectMessageBox("Uninstall", Confirm);
    AnswerMessageBox(IDYES);
    ExpectMessageBox("Uninstall", MissingLog(std::string(Medium) + "\\QNTXSetup.log"));
    AnswerMessageBox(IDYES);
    ExpectMessageBox("Uninstall", "Uninstall complete.");
    AnswerMessageBox(IDOK);
    ExpectExitCode(0);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    EXPECT_TRUE(FileExists(std::string(DefaultTarget) + "\\Quintara.txt"));
    EXPECT_TRUE(FileExists(Log())) << "the log in the Windows directory stays";
}

TEST(Uninstall, UninstallingTwiceBeforeARestartFindsNothingInstalled)
{
    InstallDemo();
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(StartProgram(Uninstaller(), "/r"));
        if (run == 0) {
            ExpectMessageBox("Uninstall", Confirm);
            AnswerMessageBox(IDYES);
            ExpectMessageBox("Uninstall", "Uninstall complete.");
        } else {
            ExpectMessageBox("Uninstall", NotInstalled);
        }
        AnswerMessageBox(IDOK);
        ExpectExitCode(0);
    }
    std::string wininit = ReadFileBytes(Wininit());
    EXPECT_EQ(1, (int)std::count(wininit.begin(), wininit.end(), '=')) << "one entry only: " << wininit;
}

namespace {

HANDLE HoldOpen(const std::string& path)
{
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, held) << "cannot hold " << path << " open, error " << GetLastError();
    return held;
}

void UninstallAnswering(const std::vector<std::pair<std::string, int>>& boxes)
{
    ASSERT_TRUE(StartProgram(Uninstaller(), "/r"));
    for (const auto& box : boxes) {
        ExpectMessageBox("Uninstall", box.first);
        AnswerMessageBox(box.second);
    }
    ExpectExitCode(0);
}

} // namespace

TEST(Uninstall, ALogHeldByAnotherProgramIsMissingAndNoKeepsEverythingForLater)
{
    InstallDemo();
    std::vector<ManifestEntry> entries = ReadManifest(BuildPath("QNTX_DEMO_MANIFEST"));
    std::string log = ReadFileBytes(Log());
    HANDLE held = HoldOpen(Log());
    UninstallAnswering({ { Confirm, IDYES }, { MissingLog(Log()), IDNO }, { "There were errors during uninstall.", IDOK } });
    CloseHandle(held);
    ExpectInstalled(DefaultTarget, entries);
    EXPECT_EQ(log, ReadFileBytes(Log()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    EXPECT_FALSE(FileExists(Wininit()));
    EXPECT_TRUE(PendingDeletions().empty());

    // Once the other program lets go, the uninstallation finds everything it needs.
    UninstallAnswering({ { Confirm, IDYES }, { "Uninstall complete.", IDOK } });
    for (const ManifestEntry& entry : entries)
        EXPECT_EQ(entry.name[0] == '@', FileExists(DestinationOf(DefaultTarget, entry.name))) << entry.name;
    EXPECT_FALSE(FileExists(Log()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
}

TEST(Uninstall, AFileInUseIsNamedAndGoesAtTheRestartAReadOnlyOneAtOnce)
{
    InstallDemo();
    std::vector<ManifestEntry> entries = ReadManifest(BuildPath("QNTX_DEMO_MANIFEST"));
    std::string inUse = DestinationOf(DefaultTarget, entries[1].name);
    ASSERT_TRUE(SetFileAttributesA(DestinationOf(DefaultTarget, entries[2].name).c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE held = HoldOpen(inUse);
    UninstallAnswering({ { Confirm, IDYES },
                         { "These files are in use and will be removed when Windows restarts:\r" + inUse, IDOK },
                         { "Uninstall complete.", IDOK } });
    CloseHandle(held);
    EXPECT_TRUE(FileExists(inUse)) << "in use until the restart";
    for (const ManifestEntry& entry : entries) {
        std::string destination = DestinationOf(DefaultTarget, entry.name);
        if (destination != inUse) {
            EXPECT_EQ(entry.name[0] == '@', FileExists(destination)) << destination;
        }
    }
    EXPECT_FALSE(FileExists(Log()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    EXPECT_EQ((std::vector<std::string>{ "\\??\\" + inUse, "\\??\\" + Uninstaller() }), PendingDeletions());
    char shortInUse[MAX_PATH] = "", shortUninstaller[MAX_PATH] = "";
    GetShortPathNameA(inUse.c_str(), shortInUse, sizeof shortInUse);
    GetShortPathNameA(Uninstaller().c_str(), shortUninstaller, sizeof shortUninstaller);
    EXPECT_EQ("[rename]\r\nNUL=" + std::string(shortUninstaller) + "\r\nNUL=" + std::string(shortInUse) + "\r\n",
              ReadFileBytes(Wininit()));

    RunCommand("wineboot.exe -r", true);
    EXPECT_FALSE(FileExists(inUse));
    EXPECT_FALSE(FileExists(Uninstaller()));
}

TEST(Uninstall, AReadOnlyWininitStaysAsItWasAndTheSystemStillDeletesTheUninstaller)
{
    InstallDemo();
    const std::string wininit = "[boot]\r\nshell=explorer.exe\r\n";
    EXPECT_TRUE(WriteFileBytes(Wininit(), wininit)) << Wininit();
    ASSERT_TRUE(SetFileAttributesA(Wininit().c_str(), FILE_ATTRIBUTE_READONLY));
    UninstallAnswering({ { Confirm, IDYES }, { "Uninstall complete.", IDOK } });
    EXPECT_EQ(wininit, ReadFileBytes(Wininit()));
    EXPECT_FALSE(FileExists(Log()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    // Windows of the NT family delete the uninstaller from their own list, whatever became of
    // Wininit.ini.
    EXPECT_EQ(std::vector<std::string>{ "\\??\\" + Uninstaller() }, PendingDeletions());
    RunCommand("wineboot.exe -r", true);
    EXPECT_FALSE(FileExists(Uninstaller()));
    EXPECT_TRUE(PendingDeletions().empty());
}

// Another program's file where setup installs, held open so that it cannot be written: setup
// reports it, logs no line for it and changes none of its attributes, and the uninstaller
// leaves it.
TEST(Uninstall, AFileSetupCouldNotWriteIsNotLoggedAndStays)
{
    std::vector<ManifestEntry> entries = ReadManifest(BuildPath("QNTX_DEMO_MANIFEST"));
    std::string theirs = DestinationOf(DefaultTarget, "qntxstate.ini"), line = "+" + theirs + "\r\n";
    PrepareMedium();
    MakeFolders(DefaultTarget);
    WriteFileBytes(theirs, "theirs");
    ASSERT_TRUE(SetFileAttributesA(theirs.c_str(), FILE_ATTRIBUTE_READONLY));
    DWORD attributes = AttributesOf(theirs);
    HANDLE held = CreateFileA(theirs.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    // Ended while its staging file is open, setup leaves no staged data behind.
    size_t staged = StagingFiles();
    StartSetup();
    FinishWizard("Quintara Tester");
    ExpectMessageBox("Error", "Unable to install file: \"" + theirs + "\"");
    EXPECT_TRUE(EndProgram());
    EXPECT_EQ(staged, StagingFiles());
    StartSetup();
    FinishWizard("Quintara Tester");
    ExpectMessageBox("Error", "Unable to install file: \"" + theirs + "\"");
    AnswerMessageBox(IDOK);
    ExpectSetupComplete();
    CloseHandle(held);
    std::string log = ExpectedLog(DefaultTarget, entries);
    ASSERT_NE(std::string::npos, log.find(line));
    EXPECT_EQ(log.erase(log.find(line), line.size()), ReadFileBytes(Log()));
    EXPECT_EQ(attributes, AttributesOf(theirs));
    UninstallAnswering({ { Confirm, IDYES }, { "Uninstall complete.", IDOK } });
    EXPECT_EQ("theirs", ReadFileBytes(theirs));
    EXPECT_EQ(attributes, AttributesOf(theirs));
}

// Where other users may write in the destination, one of them can turn a file or a folder
// there into a link for the elevated programs to follow: nothing is written or deleted through
// one, and what was refused is named.
TEST(Uninstall, NothingIsWrittenOrDeletedThroughALink)
{
    std::vector<ManifestEntry> entries = ReadManifest(BuildPath("QNTX_DEMO_MANIFEST"));
    const std::string elsewhere = "C:\\elsewhere", target = DefaultTarget, linked = DestinationOf(target, entries[0].name);
    std::vector<std::string> logged;
    MakeFolders(elsewhere);
    MakeFolders(target);
    for (const ManifestEntry& entry : entries) {
        if (entry.name[0] == '@')
            continue;
        WriteFileBytes(elsewhere + "\\" + entry.name, "theirs");
        if (&entry != &entries[0])
            logged.push_back(DestinationOf(target, entry.name));
    }
    ASSERT_TRUE(MakeUnixLink(elsewhere + "\\" + entries[0].name, linked));
    PrepareMedium();
    StartSetup();
    FinishWizard("Quintara Tester");
    ExpectMessageBox("Error", "Unable to install file: \"" + linked + "\"");
    AnswerMessageBox(IDOK);
    ExpectSetupComplete();
    EXPECT_EQ(std::string::npos, ReadFileBytes(Log()).find("+" + linked + "\r\n"));

    ASSERT_TRUE(MoveFileA(target.c_str(), (target + ".moved").c_str()));
    ASSERT_TRUE(MakeUnixLink(elsewhere, target));
    std::string remaining = "These files could not be removed:";
    for (const std::string& path : logged)
        remaining += "\r" + path;
    UninstallAnswering({ { Confirm, IDYES }, { remaining, IDOK }, { "Uninstall complete.", IDOK } });
    for (const ManifestEntry& entry : entries) {
        if (entry.name[0] != '@') {
            EXPECT_EQ("theirs", ReadFileBytes(elsewhere + "\\" + entry.name)) << entry.name;
        }
    }
    EXPECT_FALSE(FileExists(Log()));
}
