// ExtractFiles on data files of several records: byte-exact installation, the setup log,
// the progress display, and the failure cases of a damaged data file.
#include "extract_fixture.h"
#include "install/extract_files.h"

class Extraction : public ExtractSandbox {};

namespace {

std::string ScriptText()
{
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "    DrawBand 0, " + std::to_string(i) + ", ImageWidth&, Width%, " + std::to_string(96 + i) + "\r\n";
    return text;
}

struct TestFile {
    std::string name;
    std::string label;
    std::string content;
    std::string packed;
    DWORD hidden;
};

} // namespace

TEST_F(Extraction, InstallsEveryRecordByteExactlyWithLabelsPercentagesAndLog)
{
    ASSERT_TRUE(CreateDirectoryA(TargetPath("Sub").c_str(), NULL));
    const std::string text = ScriptText();
    const std::string noise = NoiseBytes(10000, 1);
    const std::string indented = std::string(40, ' ') + "indented\r\n" + std::string(300, ' ') + "end";
    const std::string plain = "stored unchanged\r\n" + NoiseBytes(100, 2);
    const std::string settings = "[Quintara]\r\nVersion=2.0\r\n";
    const std::vector<TestFile> files = {
        { "Quintara.txt", "Quintara help", text, Szdd(text), 0 },
        { "noise.bin", "Noise", noise, Szdd(noise), 0 },
        { "indented.csc", "Indented script", indented, Szdd(indented), 0 },
        { "plain.dat", "Plain data", plain, plain, 0 },
        { "empty.txt", "Empty file", "", "", 0 },
        { "packed-empty.txt", "Empty packed file", "", Szdd(""), 0 },
        { "Sub\\nested.txt", "Nested file", text.substr(0, 999), Szdd(text.substr(0, 999)), 0 },
        { SystemName("sys.dll"), "System file", noise.substr(0, 500), Szdd(noise.substr(0, 500)), 0 },
        { "state.ini", "Settings", settings, settings, 1 },
    };
    std::vector<int> percentages;
    for (const TestFile& f : files)
        Add(f.name, f.label, f.packed, f.hidden);
    size_t offset = 0;
    for (const TestFile& f : files) {
        offset += 136 + f.packed.size();
        percentages.push_back(static_cast<int>(offset * 100 / data_.size()));
    }

    Extract();

    EXPECT_TRUE(errors_.empty()) << errors_.size() << " message box(es), first: " << errors_[0];
    std::string expectedLog;
    std::vector<std::string> labels;
    for (const TestFile& f : files) {
        labels.push_back(f.label);
        bool system = f.name[0] == '@';
        std::string path = system ? SystemPath("sys.dll") : TargetPath(f.name);
        EXPECT_FILE(path, f.content);
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (f.hidden)
            EXPECT_EQ(HiddenAloneAsReported, attributes) << path;
        else
            EXPECT_EQ(0u, attributes & FILE_ATTRIBUTE_HIDDEN) << path << " attributes 0x" << std::hex << attributes;
        if (!system)
            expectedLog += LogLine(path);
    }
    EXPECT_EQ(expectedLog, log_);
    EXPECT_EQ(labels, progress_.labels);
    EXPECT_EQ(percentages, progress_.positions);
    EXPECT_EQ(100, progress_.positions.back());
}

TEST_F(Extraction, EmptyDataFileInstallsNothingAndLeavesTheBarAlone)
{
    Extract();

    EXPECT_TRUE(errors_.empty()) << errors_[0];
    EXPECT_TRUE(progress_.labels.empty()) << progress_.labels[0];
    EXPECT_TRUE(progress_.positions.empty()) << progress_.positions[0];
    EXPECT_EQ("", log_);
    EXPECT_TRUE(FolderEntries(target_).empty()) << FolderEntries(target_)[0];
}

TEST_F(Extraction, LastRecordRunningPastTheEndIsAReadErrorAfterTheEarlierFilesInstall)
{
    const std::string first = ScriptText();
    Add("first.txt", "First", Szdd(first));
    Add("second.dat", "Second", "second file");
    AddRaw(RecordBytesWithLength("third.txt", "Third", "only part of it", 1000));

    Extract();

    ASSERT_EQ(1u, errors_.size());
    EXPECT_EQ(errors_[0], "Error reading Setup Data file");
    EXPECT_FILE(TargetPath("first.txt"), first);
    EXPECT_FILE(TargetPath("second.dat"), "second file");
    EXPECT_NO_FILE(TargetPath("third.txt"));
    EXPECT_EQ(LogLine(TargetPath("first.txt")) + LogLine(TargetPath("second.dat")), log_);
    EXPECT_EQ((std::vector<std::string> { "First", "Second", "Third" }), progress_.labels);
    EXPECT_EQ(2u, progress_.positions.size());
}

TEST_F(Extraction, PackedLengthsOf2GiBAndMoreAreReadErrorsNotSkippedCopies)
{
    // Read as a signed count, 0x80000000 would copy nothing and take the data for the next
    // header.
    for (DWORD length : { 0x80000000u, 0xFFFFFFFFu }) {
        data_.clear();
        std::string trap = RecordBytes("trap.txt", "Trap", "must not install");
        Add("before.txt", "Before", "before");
        AddRaw(RecordBytesWithLength("huge.bin", "Huge", trap, length));

        Extract();

        ASSERT_EQ(1u, errors_.size()) << "packedLength 0x" << std::hex << length;
        EXPECT_EQ(errors_[0], "Error reading Setup Data file");
        EXPECT_FILE(TargetPath("before.txt"), "before");
        EXPECT_NO_FILE(TargetPath("huge.bin"));
        EXPECT_NO_FILE(TargetPath("trap.txt"));
        EXPECT_EQ(LogLine(TargetPath("before.txt")), log_);
        RemoveTree(TargetPath("before.txt"));
    }
}

TEST_F(Extraction, TrailingGarbageShorterThanAHeaderIsIgnored)
{
    Add("a.txt", "A", Szdd(ScriptText()));
    Add("b.txt", "B", "bee");
    AddRaw(NoiseBytes(37, 3));

    Extract();

    EXPECT_TRUE(errors_.empty()) << errors_[0];
    EXPECT_FILE(TargetPath("a.txt"), ScriptText());
    EXPECT_FILE(TargetPath("b.txt"), "bee");
    EXPECT_EQ(LogLine(TargetPath("a.txt")) + LogLine(TargetPath("b.txt")), log_);
    ASSERT_EQ(2u, progress_.positions.size());
    EXPECT_EQ(static_cast<int>((data_.size() - 37) * 100 / data_.size()), progress_.positions[1]);
}

TEST_F(Extraction, FileThatCannotBeExpandedIsReportedLoggedOnlyWhenTheEarlierLogListedItAndTheLoopGoesOn)
{
    // A missing subfolder is not created; SZDD with an unknown mode is refused by LZ32.
    const std::string earlier = LogLine(TargetPath("MODE.TXT"));
    earlier_ = { earlier.c_str(), (DWORD)earlier.size() };
    std::string unknownMode = Szdd("some text that is long enough");
    unknownMode[8] = 'B';
    Add("Missing\\a.txt", "A", Szdd("in a folder that is not there"));
    Add("mode.txt", "Mode", unknownMode);
    Add("b.txt", "B", "bee");

    Extract();

    ASSERT_EQ(2u, errors_.size());
    EXPECT_EQ(errors_[0], "Unable to install file: \"" + TargetPath("Missing\\a.txt") + "\"");
    EXPECT_EQ(errors_[1], "Unable to install file: \"" + TargetPath("mode.txt") + "\"");
    EXPECT_NO_FILE(TargetPath("Missing"));
    EXPECT_FILE(TargetPath("b.txt"), "bee");
    EXPECT_EQ(LogLine(TargetPath("mode.txt")) + LogLine(TargetPath("b.txt")), log_);
    EXPECT_EQ(3u, progress_.positions.size());
}

TEST_F(Extraction, WorksWithoutLog)
{
    Add("a.txt", "A", Szdd(ScriptText()));
    Add("Missing\\b.txt", "B", "bee");

    Extract(INVALID_HANDLE_VALUE, true);

    EXPECT_FILE(TargetPath("a.txt"), ScriptText());
    ASSERT_EQ(1u, errors_.size());
    EXPECT_EQ("Unable to install file: \"" + TargetPath("Missing\\b.txt") + "\"", errors_[0]);
    EXPECT_EQ((std::vector<std::string> { "A", "B" }), progress_.labels);

    // A log handle of 0 counts as no log as well.
    RemoveTree(TargetPath("a.txt"));
    data_ = RecordBytes("a.txt", "A", "again");
    Extract(0, true);
    EXPECT_FILE(TargetPath("a.txt"), "again");
    EXPECT_TRUE(errors_.empty());
}

// From before the first record to after the last, the staging file is open to extraction
// alone: no other program can change staged data before LZ32 expands it.
TEST_F(Extraction, NoOtherProgramCanOpenTheStagedData)
{
    Add("a.txt", "A", Szdd(ScriptText()));
    Add("b.txt", "B", "plain");
    std::vector<std::string> seen;
    progress_.onLabel = [&] {
        std::vector<std::string> names = FolderEntries(temp_);
        std::string what = std::to_string(names.size()) + " file(s)";
        for (const std::string& name : names) {
            HANDLE other = CreateFileA(JoinPath(temp_, name).c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0,
                                       NULL);
            what += ", open: error " + std::to_string(other == INVALID_HANDLE_VALUE ? GetLastError() : 0);
            if (other != INVALID_HANDLE_VALUE)
                CloseHandle(other);
        }
        seen.push_back(what);
    };

    Extract();

    const std::string held = "1 file(s), open: error " + std::to_string(ERROR_SHARING_VIOLATION);
    EXPECT_EQ((std::vector<std::string> { held, held }), seen);
    EXPECT_FILE(TargetPath("a.txt"), ScriptText());
    EXPECT_FILE(TargetPath("b.txt"), "plain");
}

TEST_F(Extraction, HiddenFileFromAnEarlierInstallationIsReplaced)
{
    // Windows refuses CREATE_ALWAYS over a hidden file unless the attribute is asked for;
    // Wine accepts it. Either way the new content must land.
    Add("state.ini", "Settings", "first", 1);
    Extract();
    ASSERT_EQ(HiddenAloneAsReported, GetFileAttributesA(TargetPath("state.ini").c_str()));

    data_ = RecordBytes("state.ini", "Settings", Szdd("second installation"), 1);
    Extract();
    EXPECT_TRUE(errors_.empty()) << errors_[0];
    EXPECT_FILE(TargetPath("state.ini"), "second installation");
    EXPECT_EQ(HiddenAloneAsReported, GetFileAttributesA(TargetPath("state.ini").c_str()));

    data_ = RecordBytes("state.ini", "Settings", "third, not hidden");
    Extract();
    EXPECT_TRUE(errors_.empty()) << errors_[0];
    EXPECT_FILE(TargetPath("state.ini"), "third, not hidden");
    DWORD attributes = GetFileAttributesA(TargetPath("state.ini").c_str());
    EXPECT_EQ(0u, attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) << "attributes 0x" << std::hex
                                                                                << attributes;
}

TEST_F(Extraction, PercentageHasNo32BitOverflowAndStaysWithin0To100)
{
    EXPECT_EQ(0, ExtractionPercent(0, 0));
    EXPECT_EQ(0, ExtractionPercent(5, 0));
    EXPECT_EQ(0, ExtractionPercent(0, 1000));
    EXPECT_EQ(33, ExtractionPercent(1, 3));
    EXPECT_EQ(99, ExtractionPercent(999, 1000));
    EXPECT_EQ(100, ExtractionPercent(1000, 1000));
    EXPECT_EQ(100, ExtractionPercent(1001, 1000));
    // Past 42,949,673 bytes position * 100 no longer fits 32 bits.
    EXPECT_EQ(83, ExtractionPercent(50000000, 60000000));
    EXPECT_EQ(50, ExtractionPercent(2147483648ull, 4294967296ull));
    EXPECT_EQ(99, ExtractionPercent(4294967295ull, 4294967296ull));
    EXPECT_EQ(100, ExtractionPercent(6000000000ull, 6000000000ull));
}
