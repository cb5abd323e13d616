// The setup log replay and the whole uninstall flow, with the log beside this program.
#include "common/files.h"
#include "common/message_boxes.h"
#include "common/registry.h"
#include "install/uninstall_entries.h"
#include "state/app_state.h"
#include "state/texts.h"
#include "uninstall/uninstall_flow.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char NotInstalledText[] = "Unable to locate Quintara installation.\rQuintara was not installed on your system or "
                                "the installation is damaged.\rUninstall will not continue...";
const char ConfirmText[] = "This will uninstall Quintara from your system.\rDo you want to continue with Uninstall?";
const char CompleteText[] = "Uninstall complete.";
const char ErrorsText[] = "There were errors during uninstall.";

std::string MissingLogText(const std::string& logPath)
{
    return "Unable to open setup log file ('" + logPath +
           "').\rQuintara Uninstaller can't remove files from your system without the log file.\rDo you wish the "
           "Uninstaller to clear the registry entries only?";
}

std::string PathOfThisProgram()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    return std::string(path, n);
}

std::string ShortPathOfThisProgram()
{
    char path[MAX_PATH], shortPath[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    DWORD n = GetShortPathNameA(path, shortPath, sizeof shortPath);
    return std::string(shortPath, n);
}

class ReplaySetupLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppState.Instance = GetModuleHandleA(NULL);
        DeleteFileA(wininit.c_str());
        DeleteFileA(log.c_str());
        ClearPendingRenames();
    }
    void TearDown() override
    {
        DeleteFileA(wininit.c_str());
        DeleteFileA(log.c_str());
        ClearPendingRenames();
    }
    // Files (and folders, for names ending in '\') below the test folder.
    void Make(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            std::string path = dir / name;
            bool made = path.back() == '\\' ? CreateDirectoryA(path.c_str(), NULL) != 0 : WriteFileBytes(path, name);
            ASSERT_TRUE(made) << path;
        }
    }
    int Replay(const std::string& logText, HWND owner = NULL)
    {
        EXPECT_TRUE(WriteFileBytes(log, logText));
        return ReplaySetupLog(owner);
    }
    // The log is gone and this program is entered for deletion at the next start, both in
    // Wininit.ini and, since Wine is of the NT family, in the system's own list.
    void ExpectReplayedAndScheduled(int result)
    {
        EXPECT_EQ(1, result);
        EXPECT_FALSE(PathExists(log)) << "the log was not deleted";
        EXPECT_EQ("[rename]\r\nNUL=" + ShortPathOfThisProgram() + "\r\n", ReadFileBytes(wininit));
        EXPECT_EQ((PendingRenames{ { "\\??\\" + PathOfThisProgram(), "" } }), ReadPendingRenames());
    }

    TempFolder dir;
    const std::string log = ModuleFolder() + "QNTXSetup.log";
    const std::string wininit = WindowsFile("Wininit.ini");
};

TEST_F(ReplaySetupLogTest, LinesEndedByCrLfLfCrOrNothingAreReplayedAlike)
{
    for (std::string end : { "\r\n", "\n", "\r", "" }) {
        Make({ "a.txt", "b.txt", "c.txt" });
        std::string lineEnd = end.empty() ? "\n" : end;
        int result = Replay("+" + (dir / "a.txt") + lineEnd + "+" + (dir / "b.txt") + "\r\n+" + (dir / "c.txt") + end);
        for (const char* name : { "a.txt", "b.txt", "c.txt" })
            EXPECT_FALSE(PathExists(dir / name)) << name << " with line end [" << end << "]";
        ExpectReplayedAndScheduled(result);
        DeleteFileA(wininit.c_str());
        ClearPendingRenames();
    }
}

TEST_F(ReplaySetupLogTest, OverlongLineIsCutAndItsRestIsNoLineOfItsOwn)
{
    Make({ "victim.txt", "next.txt" });
    // The first 459 characters form the line; the rest, which looks like a file line, must be
    // read and dropped.
    std::string line = "#" + std::string(458, 'x') + "+" + (dir / "victim.txt");
    ASSERT_GE(line.size(), 500u);
    int result = Replay(line + "\r\n+" + (dir / "next.txt") + "\r\n");
    EXPECT_TRUE(PathExists(dir / "victim.txt"));
    EXPECT_FALSE(PathExists(dir / "next.txt"));
    ExpectReplayedAndScheduled(result);
}

TEST_F(ReplaySetupLogTest, OnlyLinesStartingWithAMarkerCount)
{
    Make({ "blank.txt", "minus.txt", "note.txt", "plain.txt", "tab.txt", "last.txt", "keep\\" });
    std::string text = " +" + (dir / "blank.txt") + "\r\n-" + (dir / "minus.txt") + "\r\n; " + (dir / "note.txt") +
                       "\r\n\r\n" + (dir / "plain.txt") + "\r\n\t+" + (dir / "tab.txt") + "\r\n+\r\n#\r\n #" +
                       (dir / "keep") + "\r\n+" + (dir / "last.txt") + "\r\n";
    int result = Replay(text);
    for (const char* name : { "blank.txt", "minus.txt", "note.txt", "plain.txt", "tab.txt", "keep" })
        EXPECT_TRUE(PathExists(dir / name)) << name;
    EXPECT_FALSE(PathExists(dir / "last.txt"));
    EXPECT_TRUE(PathExists(dir.Path()));
    ExpectReplayedAndScheduled(result);
}

TEST_F(ReplaySetupLogTest, FilesGoFirstThenFoldersInTheOrderOfTheirLines)
{
    Make({ "A\\", "A\\B\\", "C\\", "C\\D\\", "E\\", "E\\f.txt", "G\\", "G\\unlisted.txt" });
    std::string text;
    // A before its subfolder B: A is not empty yet when its line is carried out.
    // E's line stands before the line of its file, which the first pass deletes anyway.
    for (const char* line : { "#A", "#A\\B", "#C\\D", "#C", "#E", "+E\\f.txt", "#G" })
        text += std::string(1, line[0]) + (dir / (line + 1)) + "\r\n";
    int result = Replay(text);
    EXPECT_TRUE(PathExists(dir / "A"));
    EXPECT_FALSE(PathExists(dir / "A\\B"));
    EXPECT_FALSE(PathExists(dir / "C"));
    EXPECT_FALSE(PathExists(dir / "E"));
    EXPECT_TRUE(PathExists(dir / "G\\unlisted.txt"));
    ExpectReplayedAndScheduled(result);
}

TEST_F(ReplaySetupLogTest, DuplicateLinesAndFilesAlreadyGoneAreSkipped)
{
    Make({ "a.txt", "b.txt" });
    std::string a = "+" + (dir / "a.txt") + "\r\n";
    int result = Replay(a + a + "+" + (dir / "gone.txt") + "\r\n+" + (dir / "b.txt") + "\r\n");
    EXPECT_FALSE(PathExists(dir / "a.txt"));
    EXPECT_FALSE(PathExists(dir / "b.txt"));
    ExpectReplayedAndScheduled(result);
}

TEST_F(ReplaySetupLogTest, EmptyLogIsStillDeletedAndTheUninstallerScheduled)
{
    ExpectReplayedAndScheduled(Replay(""));
}

TEST_F(ReplaySetupLogTest, FilesLeftBehindAreNamedInOneBoundedMessageAndInUseOnesScheduled)
{
    // Ten files held open, a read-only file, and a folder where the log names a file.
    std::string logText, listed;
    std::vector<HANDLE> held;
    PendingRenames pending;
    for (int i = 0; i < 10; ++i) {
        std::string path = dir / ("held" + std::to_string(i) + ".txt");
        ASSERT_TRUE(WriteFileBytes(path, "x"));
        held.push_back(CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
        logText += "+" + path + "\r\n";
        listed += i < 8 ? "\r" + path : "";
        pending.push_back({ "\\??\\" + path, "" });
    }
    pending.push_back({ "\\??\\" + PathOfThisProgram(), "" });
    Make({ "readonly.txt", "folder\\" });
    ASSERT_TRUE(SetFileAttributesA((dir / "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    MessageBoxAnswerer answerer({ IDOK });
    EXPECT_EQ(1, Replay(logText + "+" + (dir / "readonly.txt") + "\r\n+" + (dir / "folder") + "\r\n"));
    for (HANDLE file : held)
        CloseHandle(file);
    auto seen = answerer.Finish();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Uninstall", seen[0].Caption);
    EXPECT_EQ("These files are in use and will be removed when Windows restarts:" + listed +
                  "\r...and 2 more.\r\rThese files could not be removed:\r" + (dir / "folder"),
              seen[0].Text);
    EXPECT_EQ("warning", seen[0].Icon);
    EXPECT_FALSE(PathExists(dir / "readonly.txt"));
    EXPECT_FALSE(PathExists(log));
    EXPECT_EQ(pending, ReadPendingRenames());
    std::string entries = ReadFileBytes(wininit);
    EXPECT_EQ(11, (int)std::count(entries.begin(), entries.end(), '=')) << entries;

    // A system that refuses the deletion (Wine does while its list is no REG_MULTI_SZ) has
    // not arranged it: the file remains, whatever Wininit.ini holds.
    ClearPendingRenames();
    SetValue(HKEY_LOCAL_MACHINE, SessionManagerKey, PendingRenamesValue, Text("x"));
    HANDLE again = CreateFileA((dir / "held0.txt").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    MessageBoxAnswerer refused({ IDOK });
    EXPECT_EQ(1, Replay("+" + (dir / "held0.txt") + "\r\n"));
    CloseHandle(again);
    seen = refused.Finish();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("These files could not be removed:\r" + (dir / "held0.txt"), seen[0].Text);
}

TEST_F(ReplaySetupLogTest, MissingOrHeldLogAsksWhetherToClearTheRegistryOnly)
{
    Make({ "a.txt" });
    for (int answer : { IDYES, IDNO }) {
        MessageBoxAnswerer answerer({ answer });
        EXPECT_EQ(answer == IDYES ? 1 : 0, ReplaySetupLog(NULL));
        auto seen = answerer.Finish();
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ("Uninstall", seen[0].Caption);
        EXPECT_EQ(MissingLogText(log), seen[0].Text);
        EXPECT_EQ("error", seen[0].Icon);
        EXPECT_EQ("Yes No", seen[0].Buttons);
    }
    // Held open without sharing by another user counts as missing; nothing is carried out.
    ASSERT_TRUE(WriteFileBytes(log, "+" + (dir / "a.txt") + "\r\n"));
    HANDLE held = CreateFileA(log.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    MessageBoxAnswerer answerer({ IDYES });
    EXPECT_EQ(1, ReplaySetupLog(NULL));
    CloseHandle(held);
    EXPECT_EQ(1u, answerer.Finish().size());
    EXPECT_TRUE(PathExists(dir / "a.txt"));
    EXPECT_TRUE(PathExists(log));
    EXPECT_FALSE(PathExists(wininit));
    EXPECT_EQ(PendingRenames{}, ReadPendingRenames());
}

TEST_F(ReplaySetupLogTest, SelfDeleteEntryUsesTheShortPathOrElseTheLongOne)
{
    Make({ "A Long Folder Name\\", "A Long Folder Name\\Uninstaller Copy.exe" });
    std::string existing = dir / "A Long Folder Name\\Uninstaller Copy.exe";
    char shortPath[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA(existing.c_str(), shortPath, sizeof shortPath));
    char entry[MAX_PATH + 8];
    ASSERT_EQ(1, MakeSelfDeleteEntry(entry, existing.c_str()));
    EXPECT_EQ("NUL=" + std::string(shortPath), entry);

    // No short form exists for a file that does not exist.
    std::string missing = dir / "No Such Folder\\Uninstaller Copy.exe";
    ASSERT_EQ(1, MakeSelfDeleteEntry(entry, missing.c_str()));
    EXPECT_EQ("NUL=" + missing, entry);

    // The entry may be built in the buffer that holds the path.
    lstrcpyA(entry, missing.c_str());
    ASSERT_EQ(1, MakeSelfDeleteEntry(entry, entry));
    EXPECT_EQ("NUL=" + missing, entry);

    std::string tooLong = "C:\\" + std::string(257, 'p');
    memset(entry, 0xA5, sizeof entry);
    EXPECT_EQ(0, MakeSelfDeleteEntry(entry, tooLong.c_str()));
    EXPECT_EQ(std::string(sizeof entry, '\xA5'), std::string(entry, sizeof entry));
}

// RunUninstall against the real uninstall key of this throw-away system.
class UninstallFlow : public ReplaySetupLogTest {
protected:
    void SetUp() override
    {
        ReplaySetupLogTest::SetUp();
        RemoveKeys();
        mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
        ASSERT_TRUE(mainWindow != NULL);
        lstrcpyA(AppState.TargetFolder, dir.Path().c_str());
        lstrcpyA(AppState.UserName, "Ada Lovelace");
        WriteUninstallEntries(WindowsFile("QNTXSetup.exe").c_str());
        Make({ "a.txt", "sub\\", "sub\\b.txt" });
        installedLog = "+" + (dir / "a.txt") + "\r\n+" + (dir / "sub\\b.txt") + "\r\n";
    }
    void TearDown() override
    {
        DestroyWindow(mainWindow);
        RemoveKeys();
        ReplaySetupLogTest::TearDown();
    }
    static void RemoveKeys()
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKeyPath);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, ProductKeyPath);
    }
    // Runs the flow, answering its boxes in turn; every box must carry the flow's caption and
    // be owned by the main window.
    std::vector<BoxSeen> Uninstall(std::vector<int> answers)
    {
        MessageBoxAnswerer answerer(answers);
        RunUninstall(mainWindow);
        std::vector<BoxSeen> seen = answerer.Finish();
        for (const BoxSeen& box : seen) {
            EXPECT_EQ("Uninstall", box.Caption) << box.Text;
            EXPECT_EQ(mainWindow, box.Owner) << box.Text;
        }
        return seen;
    }
    void ExpectBox(const BoxSeen& box, const std::string& text, const char* icon, const char* buttons)
    {
        EXPECT_EQ(text, box.Text);
        EXPECT_EQ(icon, box.Icon) << box.Text;
        EXPECT_EQ(buttons, box.Buttons) << box.Text;
    }
    void ExpectNothingRemoved()
    {
        EXPECT_TRUE(PathExists(dir / "a.txt"));
        EXPECT_TRUE(PathExists(dir / "sub\\b.txt"));
        EXPECT_FALSE(PathExists(wininit)) << ReadFileBytes(wininit);
        EXPECT_EQ(PendingRenames{}, ReadPendingRenames());
    }

    HWND mainWindow = NULL;
    std::string installedLog;
};

void SetInstallLocation(DWORD type, const char* text)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKeyPath, 0, KEY_SET_VALUE, &key));
    RegSetValueExA(key, "InstallLocation", 0, type, (const BYTE*)text, lstrlenA(text) + 1);
    RegCloseKey(key);
}

TEST_F(UninstallFlow, WithoutAnInstallLocationOnlyTheNotInstalledMessageAppears)
{
    ASSERT_TRUE(WriteFileBytes(log, installedLog));
    const char* variants[] = { "empty", "not text", "no key" };
    for (const char* variant : variants) {
        if (variant == variants[0])
            SetInstallLocation(REG_SZ, "");
        if (variant == variants[1])
            SetInstallLocation(REG_EXPAND_SZ, "C:\\x");
        if (variant == variants[2])
            RemoveKeys();
        auto seen = Uninstall({ IDOK });
        ASSERT_EQ(1u, seen.size()) << variant;
        ExpectBox(seen[0], NotInstalledText, "error", "OK");
        ExpectNothingRemoved();
        EXPECT_EQ(installedLog, ReadFileBytes(log)) << variant;
        EXPECT_EQ(variant != variants[2], KeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath)) << variant;
    }
}

TEST_F(UninstallFlow, AnsweringNoToTheConfirmationChangesNothing)
{
    ASSERT_TRUE(WriteFileBytes(log, installedLog));
    auto seen = Uninstall({ IDNO });
    ASSERT_EQ(1u, seen.size());
    ExpectBox(seen[0], ConfirmText, "question", "Yes No");
    ExpectNothingRemoved();
    EXPECT_EQ(installedLog, ReadFileBytes(log));
    EXPECT_EQ(17u, ReadAllValues(HKEY_LOCAL_MACHINE, UninstallKeyPath).size());
}

TEST_F(UninstallFlow, CompleteUninstallThenASecondRunFindsNothingInstalled)
{
    ASSERT_TRUE(WriteFileBytes(log, installedLog));
    auto seen = Uninstall({ IDYES, IDOK });
    ASSERT_EQ(2u, seen.size());
    ExpectBox(seen[0], ConfirmText, "question", "Yes No");
    ExpectBox(seen[1], CompleteText, "none", "OK");
    EXPECT_FALSE(PathExists(dir / "a.txt"));
    EXPECT_FALSE(PathExists(dir / "sub\\b.txt"));
    EXPECT_TRUE(PathExists(dir / "sub")) << "setup writes no folder lines";
    EXPECT_TRUE(PathExists(dir.Path()));
    ExpectReplayedAndScheduled(1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    EXPECT_EQ((RegValues{ { "RegOwner", Text("Ada Lovelace") } }), ReadAllValues(HKEY_LOCAL_MACHINE, ProductKeyPath));

    seen = Uninstall({ IDOK });
    ASSERT_EQ(1u, seen.size());
    ExpectBox(seen[0], NotInstalledText, "error", "OK");
    EXPECT_EQ("[rename]\r\nNUL=" + ShortPathOfThisProgram() + "\r\n", ReadFileBytes(wininit)) << "scheduled once only";
    EXPECT_EQ(1u, ReadPendingRenames().size()) << "scheduled once only";
}

TEST_F(UninstallFlow, WithoutALogYesClearsTheRegistryOnly)
{
    auto seen = Uninstall({ IDYES, IDYES, IDOK });
    ASSERT_EQ(3u, seen.size());
    ExpectBox(seen[0], ConfirmText, "question", "Yes No");
    ExpectBox(seen[1], MissingLogText(log), "error", "Yes No");
    ExpectBox(seen[2], CompleteText, "none", "OK");
    ExpectNothingRemoved();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ProductKeyPath));
}

TEST_F(UninstallFlow, WithoutALogNoReportsErrorsAndKeepsTheEntry)
{
    auto seen = Uninstall({ IDYES, IDNO, IDOK });
    ASSERT_EQ(3u, seen.size());
    ExpectBox(seen[1], MissingLogText(log), "error", "Yes No");
    ExpectBox(seen[2], ErrorsText, "none", "OK");
    ExpectNothingRemoved();
    EXPECT_EQ(17u, ReadAllValues(HKEY_LOCAL_MACHINE, UninstallKeyPath).size());
}

} // namespace
