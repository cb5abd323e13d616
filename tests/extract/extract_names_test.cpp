// Record names and labels the installer must read safely: fields without a terminator, "@"
// names without a path, and names that would leave their folder.
#include "common/record_name_table.h"
#include "extract_fixture.h"

class ExtractNames : public ExtractSandbox {};

TEST_F(ExtractNames, FieldsWithoutTerminatorAreReadWithinTheirSixtyFourBytes)
{
    const std::string name = std::string(60, 'n') + ".txt";
    const std::string label = std::string(64, 'L');
    ASSERT_EQ(64u, name.size());
    // The data right after the label field must not become part of the label. A name that
    // leaves no room for its terminator is damaged: refused, as the packer refuses to write it.
    Add(name, label, "content after a full name field");

    Extract();

    ASSERT_EQ(1u, errors_.size());
    EXPECT_EQ("Invalid file name in Setup Data file: \"" + name + "\"", errors_[0]);
    EXPECT_NO_FILE(TargetPath(name));
    EXPECT_EQ(std::vector<std::string> { label }, progress_.labels);
    EXPECT_EQ("", log_);
}

TEST_F(ExtractNames, AtNameWithoutPathIsSkippedAndNothingPastItsTerminatorIsRead)
{
    // "@" alone: what stands after its terminator in the field must not be taken as a path.
    const std::string leftover = "qx" + std::to_string(GetCurrentProcessId()) + "leftover.dll";
    SystemPath("leftover.dll");
    Add(std::string("@\0x", 3) + leftover, "At alone", "data of the first record");
    Add("@x", "At and one character", "data of the second record");
    Add("after.txt", "After", Szdd("installed after the skipped records"));

    Extract();

    ASSERT_EQ(2u, errors_.size());
    EXPECT_EQ(errors_[0], "Invalid file name in Setup Data file: \"@\"");
    EXPECT_EQ(errors_[1], "Invalid file name in Setup Data file: \"@x\"");
    EXPECT_NO_FILE(SystemPath("leftover.dll"));
    EXPECT_FILE(TargetPath("after.txt"), "installed after the skipped records");
    EXPECT_EQ(LogLine(TargetPath("after.txt")), log_);
    EXPECT_EQ(3u, progress_.positions.size());
}

TEST_F(ExtractNames, NamesThatLeaveTheFolderOrHoldAColonAreSkippedInStep)
{
    ASSERT_TRUE(CreateDirectoryA(TargetPath("sub").c_str(), NULL));
    const std::vector<std::string> refused = {
        "..\\up.txt", "sub\\..\\..\\up2.txt", "../up3.txt", "sub/../../up4.txt", "...\\up5.txt", ".. \\up6.txt",
        "a:stream.txt", "C:\\absolute.txt", "sub\\", "", "@\\..\\up7.txt", "@\\x:y",
    };
    std::string expectedLog;
    for (size_t i = 0; i < refused.size(); ++i) {
        Add(refused[i], "Refused", Szdd("refused record " + std::to_string(i)));
        std::string good = "good" + std::to_string(i) + ".txt";
        Add(good, "Good", "good record " + std::to_string(i));
        expectedLog += LogLine(TargetPath(good));
    }

    Extract();

    ASSERT_EQ(refused.size(), errors_.size());
    for (size_t i = 0; i < refused.size(); ++i) {
        EXPECT_EQ(errors_[i], "Invalid file name in Setup Data file: \"" + refused[i] + "\"");
        EXPECT_FILE(TargetPath("good" + std::to_string(i) + ".txt"), "good record " + std::to_string(i));
    }
    for (const std::string& name : FolderEntries(root_))
        EXPECT_TRUE(name == "target" || name == "temp" || name == "QNTXSetup.z" || name == "QNTXSetup.log") << name;
    EXPECT_EQ(expectedLog, log_);
    EXPECT_EQ(refused.size() * 2, progress_.positions.size());
    EXPECT_EQ(100, progress_.positions.back());
}

// The same table the packer's tests check: the installer reaches every verdict too.
TEST_F(ExtractNames, TheSharedTableGetsThePackersVerdicts)
{
    ASSERT_TRUE(CreateDirectoryA(TargetPath("sub").c_str(), NULL));
    const std::vector<RecordNameCase> table = RecordNameTable();
    for (const RecordNameCase& c : table)
        Add(c.name, "Name", "data of [" + c.name + "]");
    char systemFolder[MAX_PATH];
    GetSystemDirectoryA(systemFolder, sizeof systemFolder);
    const std::string systemFile = JoinPath(systemFolder, "qxrecordnames.tmp");

    Extract();

    size_t error = 0;
    for (const RecordNameCase& c : table) {
        std::string refusal = "Invalid file name in Setup Data file: \"" + c.name.substr(0, 64) + "\"";
        bool refused = error < errors_.size() && errors_[error] == refusal;
        EXPECT_EQ(c.accepted, !refused) << "[" << c.name << "]";
        if (refused) {
            ++error;
        } else if (c.accepted) {
            std::string path = c.name[0] == '@' ? systemFile : TargetPath(c.name);
            EXPECT_FILE(path, "data of [" + c.name + "]");
        }
    }
    EXPECT_EQ(error, errors_.size()) << "another error: " << (error < errors_.size() ? errors_[error] : "");
    RemoveTree(systemFile);
}
