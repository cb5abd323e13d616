// Record names and labels the installer must read safely: fields without a terminator, "@"
// names without a path, and names that would leave their folder.
#include "extract_fixture.h"

class ExtractNames : public ExtractSandbox {};

TEST_F(ExtractNames, FieldsWithoutTerminatorAreReadWithinTheirSixtyFourBytes)
{
    const std::string name = std::string(60, 'n') + ".txt";
    const std::string label = std::string(64, 'L');
    ASSERT_EQ(64u, name.size());
    // The data right after the label field must not become part of the label.
    Add(name, label, "content after a full name field");

    Extract();

    EXPECT_TRUE(boxes_.empty()) << boxes_[0].text;
    EXPECT_FILE(TargetPath(name), "content after a full name field");
    EXPECT_EQ(std::vector<std::string> { label }, progress_.labels);
    EXPECT_EQ(LogLine(TargetPath(name)), log_);
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

    ASSERT_EQ(2u, boxes_.size());
    EXPECT_BOX(boxes_[0], "Invalid file name in Setup Data file: \"@\"");
    EXPECT_BOX(boxes_[1], "Invalid file name in Setup Data file: \"@x\"");
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

    ASSERT_EQ(refused.size(), boxes_.size());
    for (size_t i = 0; i < refused.size(); ++i) {
        EXPECT_BOX(boxes_[i], "Invalid file name in Setup Data file: \"" + refused[i] + "\"");
        EXPECT_FILE(TargetPath("good" + std::to_string(i) + ".txt"), "good record " + std::to_string(i));
    }
    for (const std::string& name : FolderEntries(root_))
        EXPECT_TRUE(name == "target" || name == "temp" || name == "QNTXSetup.z" || name == "QNTXSetup.log") << name;
    EXPECT_EQ(expectedLog, log_);
    EXPECT_EQ(refused.size() * 2, progress_.positions.size());
    EXPECT_EQ(100, progress_.positions.back());
}
