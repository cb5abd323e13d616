// Extraction on a full disk: the target folder's, the setup log's or the temporary folder's.
// Whatever fills up, the run ends, every file in the target folder has its line in the log,
// the log holds only whole lines, the temporary folder is left empty, and once there is room
// again the same data file installs completely.
#include "extract_fixture.h"
#include "state/app_state.h"
#include "uninstall/full_disk.h"

namespace {

// Lines of the setup log that name files of the target folder.
std::string LogLines(const std::string& target, std::initializer_list<const char*> names)
{
    std::string lines;
    for (const char* name : names)
        lines += "+" + JoinPath(target, name) + "\r\n";
    return lines;
}

class FullDiskExtraction : public ExtractSandbox {
protected:
    void SetUp() override
    {
        if (!HaveSmallWindowsDisk())
            GTEST_SKIP() << "needs the Windows directory on a small tmpfs (root only)";
        ExtractSandbox::SetUp();
        char folder[MAX_PATH];
        GetWindowsDirectoryA(folder, sizeof folder);
        small_ = JoinPath(folder, "qntx-small-" + std::to_string(GetCurrentProcessId()));
        ASSERT_TRUE(CreateDirectoryA(small_.c_str(), NULL)) << small_;

        text_ = "Quintara on a full disk\r\n";
        while (text_.size() < 3000)
            text_ += text_;
        big_ = NoiseBytes(64 * 1024, 7);
        Add("first.txt", "First", Szdd(text_));
        Add("big.bin", "Big", big_);
        Add("last.txt", "Last", Szdd(text_ + "last"));
    }
    void TearDown() override
    {
        disk_.Free();
        if (!small_.empty())
            RemoveTree(small_);
        ExtractSandbox::TearDown();
    }
    void UseTargetFolder(const std::string& folder)
    {
        target_ = folder;
        lstrcpynA(AppState.TargetFolder, folder.c_str(), MAX_PATH);
    }
    // Every file below the target folder must be named by a line of the log.
    void ExpectEveryFileLogged()
    {
        for (const std::string& name : FolderEntries(target_))
            EXPECT_NE(std::string::npos, log_.find("+" + TargetPath(name) + "\r\n")) << name << " is not logged";
    }
    // With room again, the same data file installs every file whole.
    void ExpectCompleteInstallOnceThereIsRoom()
    {
        disk_.Free();
        Extract();
        EXPECT_TRUE(errors_.empty()) << errors_.size() << " messages, the first: " << errors_[0];
        EXPECT_FILE(TargetPath("first.txt"), text_);
        EXPECT_FILE(TargetPath("big.bin"), big_);
        EXPECT_FILE(TargetPath("last.txt"), text_ + "last");
        EXPECT_EQ(LogLines(target_, { "first.txt", "big.bin", "last.txt" }), log_);
    }

    std::string small_;
    std::string text_;
    std::string big_;
    WindowsDiskFiller disk_;
};

TEST_F(FullDiskExtraction, FullTargetDiskInstallsWhatFitsAndLogsEveryFileThere)
{
    UseTargetFolder(small_);
    disk_.Fill(16 * 1024);
    ASSERT_FALSE(HasFatalFailure());

    Extract();

    ASSERT_EQ(2u, errors_.size()) << "the first: " << (errors_.empty() ? "" : errors_[0]);
    EXPECT_EQ(errors_[0], "Unable to install file: \"" + TargetPath("big.bin") + "\"");
    EXPECT_EQ(errors_[1], "Unable to install file: \"" + TargetPath("last.txt") + "\"");
    EXPECT_FILE(TargetPath("first.txt"), text_);
    // The files cut short are logged, so that an uninstallation removes them too.
    EXPECT_EQ(LogLines(target_, { "first.txt", "big.bin", "last.txt" }), log_);
    ExpectEveryFileLogged();
    EXPECT_EQ(100, progress_.positions.back());

    ExpectCompleteInstallOnceThereIsRoom();
}

TEST_F(FullDiskExtraction, FullLogDiskInstallsNoFileItCannotLogAndLeavesNoPartOfALine)
{
    // Earlier lines fill the log's page but for 48 bytes: the next line gets part of the way.
    logPath_ = JoinPath(small_, "QNTXSetup.log");
    std::string earlier;
    for (int i = 0; i < 184; ++i)
        earlier += "+C:\\earlier\\file.txt\r\n";
    ASSERT_EQ(4096u - 48u, earlier.size());
    HANDLE log = CreateFileA(logPath_.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, log);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(log, earlier.data(), (DWORD)earlier.size(), &done, NULL) && done == earlier.size());
    ASSERT_GT(LogLines(target_, { "first.txt" }).size(), 48u);
    disk_.Fill(0);
    ASSERT_FALSE(HasFatalFailure());

    Extract(log, true);
    CloseHandle(log);

    const char* names[] = { "first.txt", "big.bin", "last.txt" };
    EXPECT_EQ(3u, errors_.size());
    for (size_t i = 0; i < 3 && i < errors_.size(); ++i)
        EXPECT_EQ(errors_[i], "Unable to install file: \"" + TargetPath(names[i]) + "\"");
    EXPECT_TRUE(ReadFileBytes(logPath_, log_));
    EXPECT_EQ(earlier, log_) << "a part of a line was left in the log";
    EXPECT_EQ(std::vector<std::string>{}, FolderEntries(target_)) << "a file that cannot be logged is not installed";

    ExpectCompleteInstallOnceThereIsRoom();
}

TEST_F(FullDiskExtraction, FullTemporaryDiskStopsAfterTheFilesAlreadyInstalled)
{
    std::string temp = JoinPath(small_, "temp");
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), NULL));
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    disk_.Fill(8 * 1024);
    ASSERT_FALSE(HasFatalFailure());

    Extract();

    // The staging copy that cannot be written ends the loop, with the message of a failed copy.
    ASSERT_EQ(1u, errors_.size()) << "the first: " << errors_[0];
    EXPECT_EQ(errors_[0], "Error reading Setup Data file");
    EXPECT_FILE(TargetPath("first.txt"), text_);
    EXPECT_NO_FILE(TargetPath("big.bin"));
    EXPECT_NO_FILE(TargetPath("last.txt"));
    EXPECT_EQ(LogLines(target_, { "first.txt" }), log_);
    ExpectEveryFileLogged();

    ExpectCompleteInstallOnceThereIsRoom();
}

} // namespace
