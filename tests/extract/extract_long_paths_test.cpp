// Destinations and temporary folders past the 128 characters that OpenFile (and so
// LZOpenFileA) takes, up to the 259 characters a path buffer holds.
#include "extract_fixture.h"
#include "state/app_state.h"

class ExtractLongPaths : public ExtractSandbox {
protected:
    // Creates folders below `base` until the path is exactly `length` characters long.
    static std::string DeepFolder(const std::string& base, size_t length)
    {
        std::string path = base;
        while (path.size() + 1 < length) {
            size_t left = length - path.size() - 1; // after the separator
            // Never leave a single character: it could not hold a separator and a name.
            size_t part = left <= 40 ? left : (left == 41 ? 39 : 40);
            path += "\\" + std::string(part, 'd');
            if (!CreateDirectoryA(path.c_str(), NULL))
                ADD_FAILURE() << "cannot create " << path << " (error " << GetLastError() << ")";
        }
        return path;
    }

    void UseTargetFolder(const std::string& folder) { lstrcpynA(AppState.TargetFolder, folder.c_str(), MAX_PATH); }
};

TEST_F(ExtractLongPaths, TargetFolderOfAbout200CharactersInstallsEveryRecord)
{
    const std::string folder = DeepFolder(target_, 200);
    ASSERT_EQ(200u, folder.size());
    UseTargetFolder(folder);
    const std::string text = NoiseBytes(3000, 5) + std::string(3000, 'q');
    Add("Quintara Frame.csc", "Frame", Szdd(text));
    Add("plain.dat", "Plain", "stored unchanged");
    Add("state.ini", "Settings", Szdd("[Quintara]\r\n"), 1);

    Extract();

    EXPECT_TRUE(errors_.empty()) << errors_[0];
    const std::string frame = JoinPath(folder, "Quintara Frame.csc");
    EXPECT_FILE(frame, text);
    EXPECT_FILE(JoinPath(folder, "plain.dat"), "stored unchanged");
    EXPECT_FILE(JoinPath(folder, "state.ini"), "[Quintara]\r\n");
    EXPECT_EQ(HiddenAloneAsReported, GetFileAttributesA(JoinPath(folder, "state.ini").c_str()));
    EXPECT_EQ(LogLine(frame) + LogLine(JoinPath(folder, "plain.dat")) + LogLine(JoinPath(folder, "state.ini")), log_);
}

TEST_F(ExtractLongPaths, TemporaryFolderPast128CharactersWorks)
{
    const std::string temp = DeepFolder(temp_, 150);
    ASSERT_EQ(150u, temp.size());
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    const std::string text = NoiseBytes(2000, 6) + std::string(2000, ' ');
    Add("a.txt", "A", Szdd(text));
    Add("b.dat", "B", "plain");

    Extract();

    EXPECT_TRUE(errors_.empty()) << errors_[0];
    EXPECT_FILE(TargetPath("a.txt"), text);
    EXPECT_FILE(TargetPath("b.dat"), "plain");
    EXPECT_TRUE(FolderEntries(temp).empty()) << "left behind: " << FolderEntries(temp)[0];
}

TEST_F(ExtractLongPaths, DestinationOf259CharactersInstallsAndOneOf260IsSkipped)
{
    const std::string folder = DeepFolder(target_, 200);
    UseTargetFolder(folder);
    const std::string fits = std::string(54, 'f') + ".txt";     // 200 + 1 + 58 = 259
    const std::string tooLong = std::string(55, 'g') + ".txt";  // 260
    ASSERT_EQ(259u, JoinPath(folder, fits).size());
    Add(fits, "Fits", Szdd("exactly 259 characters"));
    Add(tooLong, "Too long", Szdd("one character too many"));
    Add("after.txt", "After", "after");

    Extract();

    const std::string installed = JoinPath(folder, fits);
    EXPECT_FILE(installed, "exactly 259 characters");
    ASSERT_EQ(1u, errors_.size());
    EXPECT_EQ(errors_[0], "Destination path too long: \"" + tooLong + "\"");
    EXPECT_TRUE(FolderEntries(folder).size() == 2u) << FolderEntries(folder).size() << " entries";
    EXPECT_FILE(JoinPath(folder, "after.txt"), "after");
    EXPECT_EQ(LogLine(installed) + LogLine(JoinPath(folder, "after.txt")), log_);
}
