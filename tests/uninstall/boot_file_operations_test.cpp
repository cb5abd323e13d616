// The [rename] entries in the Windows directory's Wininit.ini, compared byte by byte, and
// their withdrawal together with the system's own list.
#include "common/files.h"
#include "common/registry.h"
#include "support/boot_file_operations.h"
#include "state/app_state.h"
#include "uninstall/full_disk.h"
#include <gtest/gtest.h>
#include <sddl.h>
#include <algorithm>
#include <string>

namespace {

const char Entry[] = "NUL=C:\\WINDOWS\\QNTXSE~1.EXE";

class BootRename : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    void Clean()
    {
        SetFileAttributesA(wininit.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(wininit.c_str());
        RemoveDirectoryA(copy.c_str());
        DeleteFileA(copy.c_str());
    }
    // Wininit.ini after one call on a file holding before.
    std::string After(const std::string& before, const char* entry = Entry)
    {
        EXPECT_TRUE(WriteFileBytes(wininit, before));
        ScheduleBootRename(entry);
        EXPECT_FALSE(PathExists(copy)) << "Wininit.~in left behind";
        return ReadFileBytes(wininit);
    }

    const std::string wininit = WindowsFile("Wininit.ini");
    const std::string copy = WindowsFile("Wininit.~in");
};

TEST_F(BootRename, WithoutWininitCreatesTheSectionWithTheEntryOnly)
{
    ScheduleBootRename(Entry);
    EXPECT_EQ("[rename]\r\nNUL=C:\\WINDOWS\\QNTXSE~1.EXE\r\n", ReadFileBytes(wininit));
    EXPECT_FALSE(PathExists(copy));
}

TEST_F(BootRename, EntryBecomesTheFirstLineOfTheSection)
{
    EXPECT_EQ("[boot]\r\na=1\r\n[rename]\r\nNUL=C:\\WINDOWS\\QNTXSE~1.EXE\r\nNUL=C:\\OLD.EXE\r\n[z]\r\n",
              After("[boot]\r\na=1\r\n[rename]\r\nNUL=C:\\OLD.EXE\r\n[z]\r\n"));
}

TEST_F(BootRename, OtherSectionsAreKeptAndTheSectionAppendedAfterOneEmptyLine)
{
    EXPECT_EQ("[boot]\r\na=1\r\n\r\n[other]\r\nb=2\r\n\r\n[rename]\r\nNUL=C:\\WINDOWS\\QNTXSE~1.EXE\r\n",
              After("[boot]\r\na=1\r\n\r\n[other]\r\nb=2\r\n"));
    // A file that already ends with an empty line still gets one more.
    EXPECT_EQ("[boot]\r\n\r\n\r\n[rename]\r\nNUL=C:\\WINDOWS\\QNTXSE~1.EXE\r\n", After("[boot]\r\n\r\n"));
}

TEST_F(BootRename, HeaderCountsOnlyWhenTheWholeLineMatchesCaseIncluded)
{
    for (const char* header : { "[Rename]", "[RENAME]", " [rename]", "[rename] ", "[rename];x", "rename" }) {
        std::string before = std::string(header) + "\r\nNUL=C:\\OLD.EXE\r\n";
        EXPECT_EQ(before + "\r\n[rename]\r\nNUL=C:\\WINDOWS\\QNTXSE~1.EXE\r\n", After(before))
            << "header [" << header << "]";
    }
}

TEST_F(BootRename, EntryFollowsEveryHeaderLine)
{
    EXPECT_EQ("[rename]\r\nE\r\nx=1\r\n[rename]\r\nE\r\n", After("[rename]\r\nx=1\r\n[rename]", "E"));
}

TEST_F(BootRename, EveryLineEndsWithCrLfWhateverEndedItBefore)
{
    EXPECT_EQ("[a]\r\nx=1\r\n[rename]\r\nE\r\nNUL=C:\\OLD.EXE\r\n", After("[a]\nx=1\n[rename]\nNUL=C:\\OLD.EXE", "E"));
    EXPECT_EQ("[a]\r\n\r\nx=1\r\n[rename]\r\nE\r\n", After("[a]\r\rx=1\r[rename]\r", "E"));
    EXPECT_EQ("[a]\r\n\r\n[rename]\r\nE\r\n\r\n", After("[a]\n\r[rename]\r\n\n", "E"));
}

TEST_F(BootRename, EmptyFileGetsAnEmptyLineAndTheSection)
{
    EXPECT_EQ("\r\n[rename]\r\nE\r\n", After("", "E"));
}

TEST_F(BootRename, LeftoverTemporaryCopyIsOverwritten)
{
    ASSERT_TRUE(WriteFileBytes(copy, std::string(5000, 'j')));
    EXPECT_EQ("[rename]\r\nE\r\nold\r\n", After("[rename]\r\nold\r\n", "E"));
}

TEST_F(BootRename, TwoCallsEnterTheEntryTwice)
{
    ScheduleBootRename("E");
    ScheduleBootRename("E");
    EXPECT_EQ("[rename]\r\nE\r\nE\r\n", ReadFileBytes(wininit));
}

TEST_F(BootRename, LinesLongerThanTheLineBufferAreCopiedWhole)
{
    std::string before, expected;
    size_t lengths[] = { 1022, 1023, 1024, 1025, 2048, 2049, 3000 };
    const char* ends[] = { "\r\n", "\n", "\r" };
    int i = 0;
    for (size_t length : lengths) {
        std::string line(length, (char)('a' + i));
        line[0] = '#';
        line[length - 1] = '$';
        before += line + ends[i % 3];
        expected += line + "\r\n";
        ++i;
    }
    before += "[rename]\r\n" + std::string(1500, 'q');
    expected += "[rename]\r\nE\r\n" + std::string(1500, 'q') + "\r\n";
    std::string after = After(before, "E");
    EXPECT_EQ(expected.size(), after.size());
    EXPECT_TRUE(expected == after) << "first difference at byte "
                                   << std::mismatch(expected.begin(), expected.end(), after.begin(), after.end()).first -
                                          expected.begin();
}

TEST_F(BootRename, WininitHeldOpenByAnotherUserIsLeftAlone)
{
    std::string before = "[rename]\r\nNUL=C:\\OLD.EXE\r\n";
    ASSERT_TRUE(WriteFileBytes(wininit, before));
    HANDLE held = CreateFileA(wininit.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ScheduleBootRename(Entry);
    CloseHandle(held);
    EXPECT_EQ(before, ReadFileBytes(wininit));
    EXPECT_FALSE(PathExists(copy));
}

TEST_F(BootRename, LinesKeepTheirNulBytes)
{
    std::string withNul("a=1\0b", 5), wide("[\0a\0]\0", 6);
    std::string before = "[boot]\r\n" + withNul + "\r\n" + wide + "\r\n[rename]\r\nNUL=C:\\OLD.EXE\r\n";
    EXPECT_EQ("[boot]\r\n" + withNul + "\r\n" + wide + "\r\n[rename]\r\nE\r\nNUL=C:\\OLD.EXE\r\n",
              After(before, "E"));
}

TEST_F(BootRename, TemporaryCopyThatCannotBeCreatedLeavesWininitAlone)
{
    std::string before = "[rename]\r\nNUL=C:\\OLD.EXE\r\n";
    ASSERT_TRUE(WriteFileBytes(wininit, before));
    ASSERT_TRUE(CreateDirectoryA(copy.c_str(), NULL));
    ScheduleBootRename(Entry);
    EXPECT_EQ(before, ReadFileBytes(wininit));
}

TEST_F(BootRename, ReadOnlyWininitKeepsItsContentAndTheCopyStaysBesideIt)
{
    std::string before = "[rename]\r\nNUL=C:\\OLD.EXE\r\n";
    ASSERT_TRUE(WriteFileBytes(wininit, before));
    SetFileAttributesA(wininit.c_str(), FILE_ATTRIBUTE_READONLY);
    ScheduleBootRename("E");
    EXPECT_EQ(before, ReadFileBytes(wininit));
    EXPECT_EQ("[rename]\r\nE\r\nNUL=C:\\OLD.EXE\r\n", ReadFileBytes(copy));
}

// Setup withdraws the deletions an earlier uninstallation left for a path it writes again.
class WithdrawBootDeletionTest : public BootRename {
protected:
    void SetUp() override
    {
        BootRename::SetUp();
        ClearPendingRenames();
        ASSERT_TRUE(WriteFileBytes(file, "x"));
        char shortForm[MAX_PATH] = "";
        ASSERT_NE(0u, GetShortPathNameA(file.c_str(), shortForm, sizeof shortForm));
        shortPath = shortForm;
        ASSERT_NE(shortPath, file);
        AppState.BootDeletions = BootDeletionsUnknown;
    }
    void TearDown() override
    {
        DeleteFileA(file.c_str());
        ClearPendingRenames();
        BootRename::TearDown();
    }
    static std::string Upper(std::string text)
    {
        CharUpperBuffA(&text[0], (DWORD)text.size());
        return text;
    }

    const std::string file = WindowsFile("Qntx withdrawn deletion.txt");
    std::string shortPath;
};

TEST_F(WithdrawBootDeletionTest, OnlyTheDeletionsOfThePathGoInEitherFormAndCase)
{
    const std::string kept = "[boot]\r\nNUL=" + file + "\r\n[rename]\r\n";
    const std::string rest = "NUL=C:\\OLD.EXE\r\nX=" + file + "\r\nNUL=" + file + "x\r\nNUL=" + file +
                             std::string(1, '\0') + "\r\n[other]\r\nNUL=" + shortPath + "\r\n";
    ASSERT_TRUE(WriteFileBytes(wininit, kept + "NUL=" + shortPath + "\r\nnul=" + Upper(file) + "\r\n" + rest));
    const PendingRenames others = { { "\\??\\C:\\OLD.EXE", "" }, { "\\??\\" + file, "!C:\\NEW.TXT" } };
    ASSERT_TRUE(
        WritePendingRenames({ { "\\??\\" + Upper(file), "" }, others[0], { "\\??\\" + shortPath, "" }, others[1] }));

    WithdrawBootDeletion(file.c_str());
    EXPECT_EQ(kept + rest, ReadFileBytes(wininit));
    EXPECT_FALSE(PathExists(copy));
    EXPECT_EQ(others, ReadPendingRenames());
    EXPECT_EQ(BootDeletionsSome, AppState.BootDeletions) << "other deletions stay pending";

    // The system's list, left empty, goes; a Wininit.ini with nothing to withdraw is not written.
    ASSERT_TRUE(WritePendingRenames({ { "\\??\\" + shortPath, "" } }));
    ASSERT_TRUE(WriteFileBytes(wininit, "[rename]\r\nNUL=C:\\OLD.EXE\n"));
    WithdrawBootDeletion(file.c_str());
    EXPECT_EQ("[rename]\r\nNUL=C:\\OLD.EXE\n", ReadFileBytes(wininit));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_QUERY_VALUE, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, PendingRenamesValue, NULL, NULL, NULL, NULL));
    RegCloseKey(key);
}

// A suite of its own (and so a prefix of its own): once unreadable, Wine can neither open
// Wininit.ini again nor delete it.
class UnreadableWininit : public WithdrawBootDeletionTest {};

TEST_F(UnreadableWininit, MayStillHoldDeletionsSoTheyAreLookedForAgain)
{
    ASSERT_TRUE(WriteFileBytes(wininit, "[rename]\r\nNUL=" + file + "\r\n"));
    PSECURITY_DESCRIPTOR writeOnly = NULL; // Wine gives the file the Unix mode 0222
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;0x120116;;;WD)", SDDL_REVISION_1,
                                                                     &writeOnly, NULL));
    ASSERT_TRUE(SetFileSecurityA(wininit.c_str(), DACL_SECURITY_INFORMATION, writeOnly));
    LocalFree(writeOnly);
    HANDLE probe = CreateFileA(wininit.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        GTEST_SKIP() << "this account reads any file (Unix root)";
    }
    ASSERT_EQ(ERROR_ACCESS_DENIED, GetLastError());

    WithdrawBootDeletion(file.c_str());
    EXPECT_EQ(BootDeletionsSome, AppState.BootDeletions) << "taken for a Wininit.ini that is not there";
    ScheduleBootRename(Entry);
    EXPECT_FALSE(PathExists(copy));
}

// The Windows directory on a small disk of its own (see tests/wine/small-windows-disk.sh).
class BootRenameFullDisk : public BootRename {
protected:
    void SetUp() override
    {
        if (!HaveSmallWindowsDisk())
            GTEST_SKIP() << "needs the Windows directory on a small tmpfs (root only)";
        BootRename::SetUp();
    }
    void TearDown() override
    {
        disk.Free();
        BootRename::TearDown();
    }
    void FillDisk(DWORD spare) { disk.Fill(spare); }
    void FreeDisk() { disk.Free(); }

    WindowsDiskFiller disk;
};

// About 14 KB of lines, so that a copy can fail after its first 4096 bytes.
static std::string ManyLines(const std::string& entry = "")
{
    std::string text = "[boot]\r\n";
    for (int i = 0; i < 300; ++i)
        text += "line" + std::to_string(i) + "=" + std::string(40, 'x') + "\r\n";
    return text + "[rename]\r\n" + entry + "NUL=C:\\OLD.EXE\r\n";
}

TEST_F(BootRenameFullDisk, CopyCutShortByAFullDiskNeverReplacesWininit)
{
    std::string before = ManyLines();
    ASSERT_TRUE(WriteFileBytes(wininit, before));
    for (DWORD spare : { 4096u, 0u }) {
        FillDisk(spare);
        ScheduleBootRename(Entry);
        EXPECT_EQ(before, ReadFileBytes(wininit)) << spare << " bytes free";
        EXPECT_FALSE(PathExists(copy)) << spare << " bytes free";
        FreeDisk();
    }
    ScheduleBootRename("E");
    EXPECT_EQ(ManyLines("E\r\n"), ReadFileBytes(wininit)) << "with room again";
}

TEST_F(BootRenameFullDisk, NewWininitThatCannotBeWrittenIsRemoved)
{
    FillDisk(0);
    ScheduleBootRename(Entry);
    EXPECT_FALSE(PathExists(wininit)) << ReadFileBytes(wininit);
    EXPECT_FALSE(PathExists(copy));
}

} // namespace
