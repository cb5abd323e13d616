// The packer's commands in-process (build, list, verify, extract), and the program itself.
#include "packer/commands.h"
#include "packer/data_file.h"
#include "packer/szdd.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <sstream>

using namespace packer;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Outcome Packer(std::vector<std::string> arguments, bool progress = false)
{
    std::ostringstream out, err;
    Console console { out, err, progress };
    int code = RunPacker(arguments, console);
    return { code, out.str(), err.str() };
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A small payload: a script, a hidden plain file, one for the system folder.
class PackerCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(folder_ / "files");
        script_ = ToBytes(std::string(3000, ' ') + "REM a made-up script\r\nREM a made-up script\r\n");
        WriteBytes(folder_ / "files/script.csc", script_);
        WriteBytes(folder_ / "files/state.ini", ToBytes("[Quintara]\r\n"));
        WriteBytes(folder_ / "files/help.dll", Noise(3000, 1));
        WriteManifest("files/script.csc \"Sub\\Script.csc\" \"A script\"\n"
                      "files/state.ini state.ini Settings hidden plain\n"
                      "files/help.dll @\\qntxhelp.dll \"Helper\"\n");
    }

    void WriteManifest(const std::string& text) { WriteBytes(manifest(), ToBytes(text)); }
    std::string manifest() const { return folder_ / "payload.manifest"; }
    std::string output() const { return folder_ / "QNTXSetup.z"; }

    Bytes Built()
    {
        Outcome run = Packer({ "build", manifest(), output() });
        EXPECT_EQ(0, run.code) << run.err;
        return ReadBytes(output());
    }

    TempFolder folder_;
    Bytes script_;
};

} // namespace

TEST_F(PackerCommands, BuildWritesRecordsInManifestOrderAndTheSameBytesEveryTime)
{
    Bytes first = Built();
    Bytes second = Built();
    EXPECT_EQ(first, second);
    MemorySource source(first);
    RecordReader reader(source);
    RecordHeader header;
    ASSERT_EQ(RecordReader::Result::Record, reader.Next(header));
    EXPECT_EQ("Sub\\Script.csc", header.name);
    EXPECT_EQ("A script", header.label);
    EXPECT_EQ(0u, header.hidden);
    Bytes data;
    ASSERT_TRUE(ReadAll(reader.Data(), data));
    EXPECT_EQ(EncodeSzdd(script_), data);
    ASSERT_EQ(RecordReader::Result::Record, reader.Next(header));
    EXPECT_EQ(1u, header.hidden);
    data.clear();
    ASSERT_TRUE(ReadAll(reader.Data(), data));
    EXPECT_EQ(ToBytes("[Quintara]\r\n"), data);
    ASSERT_EQ(RecordReader::Result::Record, reader.Next(header));
    EXPECT_EQ("@\\qntxhelp.dll", header.name);
    EXPECT_EQ(RecordReader::Result::End, reader.Next(header));
    EXPECT_FALSE(fs::exists(output() + ".part"));
}

TEST_F(PackerCommands, BuildRefusesABadManifestNamingFileAndLineAndWritesNothing)
{
    WriteManifest("files/script.csc ok.csc Fine\n"
                  "files/missing.csc missing.csc \"Not there\"\n"
                  "files/state.ini ..\\escape.ini Escape\n"
                  "files/state.ini " + std::string(64, 'n') + " Long\n"
                  "files/state.ini x.ini " + std::string(64, 'l') + "\n"
                  "files x.csc \"A folder\"\n"
                  "files/state.ini \"\xC5\x81\xC3\xB3" "d\xC5\xBA.ini\" Lodz\n");
    Outcome run = Packer({ "build", manifest(), output() });
    EXPECT_EQ(1, run.code);
    EXPECT_TRUE(Contains(run.err, manifest() + ":6: source is a folder, not a file")) << run.err;
    EXPECT_TRUE(Contains(run.err, manifest() + ":7: name \"\xC5\x81\xC3\xB3" "d\xC5\xBA.ini\": character U+0141 "
                                               "\"\xC5\x81\" cannot be written in code page 1252")) << run.err;
    EXPECT_TRUE(Contains(run.err, manifest() + ":2: source file not found")) << run.err;
    EXPECT_TRUE(Contains(run.err, manifest() + ":3: name has a '.' or '..' part")) << run.err;
    EXPECT_TRUE(Contains(run.err, manifest() + ":4: name is 64 bytes long")) << run.err;
    EXPECT_TRUE(Contains(run.err, manifest() + ":5: label is 64 bytes long")) << run.err;
    EXPECT_FALSE(Contains(run.err, ":1:")) << run.err;
    EXPECT_FALSE(fs::exists(output()));
    EXPECT_EQ("", run.out);
}

TEST_F(PackerCommands, BuildRefusesToStoreSzddDataPlain)
{
    WriteBytes(folder_ / "files/packed.bin", EncodeSzdd(script_));
    WriteManifest("files/packed.bin packed.bin Packed plain\n");
    Outcome run = Packer({ "build", manifest(), output() });
    EXPECT_EQ(1, run.code);
    EXPECT_TRUE(Contains(run.err, manifest() + ":1: ")) << run.err;
    EXPECT_TRUE(Contains(run.err, "SZDD signature")) << run.err;
    EXPECT_FALSE(fs::exists(output()));
    EXPECT_FALSE(fs::exists(output() + ".part"));
}

TEST_F(PackerCommands, AManifestWithAByteOrderMarkBuildsTheSameBytes)
{
    Bytes plain = Built();
    Bytes text = ReadBytes(manifest());
    text.insert(text.begin(), { 0xEF, 0xBB, 0xBF });
    WriteBytes(manifest(), text);
    EXPECT_EQ(plain, Built());
}

TEST_F(PackerCommands, ASourceTooLargeForARecordIsRefusedByLineAndLeavesNoPartFile)
{
    // Sparse: nothing of it is read.
    WriteBytes(folder_ / "files/huge.bin", {});
    fs::resize_file(folder_ / "files/huge.bin", 0xE0000001u);
    WriteManifest("files/script.csc ok.csc Fine\n"
                  "files/huge.bin huge.bin Huge\n");
    Outcome run = Packer({ "build", manifest(), output() });
    EXPECT_EQ(1, run.code);
    EXPECT_TRUE(Contains(run.err, manifest() + ":2: ")) << run.err;
    EXPECT_TRUE(Contains(run.err, "3758096385 bytes; a record holds at most 3.5 GiB")) << run.err;
    EXPECT_FALSE(fs::exists(output()));
    EXPECT_FALSE(fs::exists(output() + ".part"));
}

TEST_F(PackerCommands, AReadOrWriteFailureRemovesThePartFileAndKeepsTheOldOutput)
{
    // Reading the process's own memory from address 0 fails with EIO, after the first record.
    WriteManifest("files/script.csc ok.csc Fine\n"
                  "/proc/self/mem mem.bin Memory\n");
    WriteBytes(output(), ToBytes("old"));
    Outcome run = Packer({ "build", manifest(), output() });
    EXPECT_EQ(1, run.code);
    EXPECT_TRUE(Contains(run.err, manifest() + ":2: cannot read /proc/self/mem")) << run.err;
    EXPECT_FALSE(fs::exists(output() + ".part"));
    EXPECT_EQ(ToBytes("old"), ReadBytes(output()));

    // Past 4 KiB of output the file size limit makes every write fail (the signal it would
    // send is ignored), in the middle of the packed data of the record.
    WriteBytes(folder_ / "files/help.dll", Noise(200000, 1));
    WriteManifest("files/help.dll help.dll Helper\n");
    std::string err;
    EXPECT_EQ(1, RunCommand("sh -c \"trap '' XFSZ; ulimit -f 4; exec " + Quote(QNTX_PACKER_PATH) + " build "
                                + Quote(manifest()) + " " + Quote(output()) + "\" 2>&1",
                            &err));
    EXPECT_TRUE(Contains(err, output() + ".part: write failed")) << err;
    EXPECT_FALSE(fs::exists(output() + ".part"));
    EXPECT_EQ(ToBytes("old"), ReadBytes(output()));
}

TEST_F(PackerCommands, ListShowsEveryRecord)
{
    Built();
    Outcome run = Packer({ "list", output() });
    EXPECT_EQ(0, run.code) << run.err;
    std::istringstream lines(run.out);
    std::string header, script, state, dll, extra;
    std::getline(lines, header);
    std::getline(lines, script);
    std::getline(lines, state);
    std::getline(lines, dll);
    EXPECT_FALSE(std::getline(lines, extra)) << extra;
    const std::string packed = std::to_string(EncodeSzdd(script_).size());
    EXPECT_TRUE(Contains(script, "   1  target  -") && Contains(script, " " + packed + "  ")
                && Contains(script, " " + std::to_string(script_.size()) + "  Sub\\Script.csc  [A script]"))
        << script;
    EXPECT_TRUE(Contains(state, "target  hidden") && Contains(state, "plain  state.ini  [Settings]")) << state;
    EXPECT_TRUE(Contains(dll, "system  -") && Contains(dll, "3000  @\\qntxhelp.dll  [Helper]")) << dll;
}

// The manifest is UTF-8; records hold the installer's code page, shown back in UTF-8.
TEST_F(PackerCommands, NamesAndLabelsTravelInTheChosenCodePage)
{
    const std::string overview = "\xC3\x9C" "bersicht.csc", help = "Hilfe f\xC3\xBCr Quintara & mehr";
    const std::string polish = "\xC5\x81\xC3\xB3" "d\xC5\xBA.csc";
    WriteManifest("files/script.csc \"" + overview + "\" \"" + help + "\"\n");
    Bytes data = Built();
    EXPECT_EQ(std::string("\xDC" "bersicht.csc"), std::string(data.begin(), data.begin() + 13));
    EXPECT_EQ(std::string("Hilfe f\xFCr Quintara & mehr"), std::string(data.begin() + 64, data.begin() + 89));
    Outcome run = Packer({ "build", manifest(), output() });
    EXPECT_TRUE(Contains(run.err, manifest() + ":1: warning: the label's '&'")) << run.err;
    EXPECT_TRUE(Contains(Packer({ "list", output() }).out, "  " + overview + "  [" + help + "]"));

    WriteManifest("files/script.csc \"" + polish + "\" Label\n");
    run = Packer({ "--codepage", "1250", "build", manifest(), output() });
    EXPECT_EQ(0, run.code) << run.err;
    data = ReadBytes(output());
    EXPECT_EQ(std::string("\xA3\xF3" "d\x9F.csc"), std::string(data.begin(), data.begin() + 8));
    EXPECT_TRUE(Contains(Packer({ "list", "--codepage", "1250", output() }).out, "  " + polish + "  [Label]"));
    EXPECT_EQ(0, Packer({ "extract", output(), folder_ / "out", "--codepage", "1250" }).code);
    EXPECT_EQ(script_, ReadBytes(folder_ / ("out/" + polish)));
    EXPECT_EQ(1, Packer({ "--codepage", "437", "list", output() }).code);
}

TEST_F(PackerCommands, VerifyAcceptsAGoodFileAndReportsTheFirstProblemOfABadOne)
{
    Bytes good = Built();
    Outcome ok = Packer({ "verify", output() });
    EXPECT_EQ(0, ok.code) << ok.err;
    EXPECT_EQ(output() + ": 3 records verified\n", ok.out);

    const std::size_t scriptData = 136;
    auto expectProblem = [&](Bytes bad, const std::string& problem) {
        WriteBytes(output(), bad);
        Outcome run = Packer({ "verify", output() });
        EXPECT_EQ(1, run.code) << problem;
        EXPECT_TRUE(Contains(run.err, problem)) << "expected [" << problem << "] in: " << run.err;
    };
    Bytes truncated(good.begin(), good.end() - 10);
    expectProblem(truncated, "record 3 (\"@\\qntxhelp.dll\") at offset");
    expectProblem(truncated, "data runs past the end of the file");
    Bytes badMode = good;
    badMode[scriptData + 8] = 'Q';
    expectProblem(badMode, "record 1 (\"Sub\\Script.csc\") at offset 0: bad SZDD header");
    Bytes badMagic = good;
    badMagic[scriptData + 5] = 0;
    expectProblem(badMagic, "bad SZDD header (LZ32 would copy this data unchanged)");
    Bytes badLength = good;
    badLength[scriptData + 10] ^= 1;
    expectProblem(badLength, "SZDD data decodes to " + std::to_string(script_.size()) + " bytes, its header says");
    Bytes fragment = good;
    fragment.insert(fragment.end(), 37, 'g');
    expectProblem(fragment, "37 bytes at offset " + std::to_string(good.size()) + " are not a whole record header");
    Bytes escaping = good;
    std::copy_n("..\\x.txt\0", 9, escaping.begin());
    expectProblem(escaping, "record 1 (\"..\\x.txt\") at offset 0: name has a '.' or '..' part");
}

TEST_F(PackerCommands, ExtractExpandsEveryRecordIntoTheFolder)
{
    Built();
    const std::string into = folder_ / "out";
    Outcome run = Packer({ "extract", output(), into });
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(script_, ReadBytes(into + "/Sub/Script.csc"));
    EXPECT_EQ(ToBytes("[Quintara]\r\n"), ReadBytes(into + "/state.ini"));
    EXPECT_EQ(Noise(3000, 1), ReadBytes(into + "/@system/qntxhelp.dll"));
}

TEST_F(PackerCommands, ExtractWritesNothingOutsideItsFolder)
{
    Bytes bad = ReadBytes(folder_ / "files/state.ini");
    RecordHeader header;
    header.name = "..\\escaped.txt";
    header.label = "Escape";
    MemorySink sink;
    WriteRecord(sink, header, bad.data(), bad.size());
    WriteBytes(output(), sink.bytes);
    Outcome run = Packer({ "extract", output(), folder_ / "out" });
    EXPECT_EQ(1, run.code);
    EXPECT_TRUE(Contains(run.err, "name has a '.' or '..' part")) << run.err;
    EXPECT_FALSE(fs::exists(folder_ / "escaped.txt"));
}

TEST_F(PackerCommands, ProgressGoesToStderrOnlyForATerminal)
{
    Outcome quiet = Packer({ "build", manifest(), output() });
    EXPECT_EQ("", quiet.err);
    Outcome shown = Packer({ "build", manifest(), output() }, true);
    EXPECT_TRUE(Contains(shown.err, "\rpacking 3/3: @\\qntxhelp.dll")) << shown.err;
    // The counter line is blanked out at the end.
    EXPECT_EQ('\r', shown.err.back());
    Outcome verified = Packer({ "verify", output() }, true);
    EXPECT_TRUE(Contains(verified.err, "\rverifying")) << verified.err;
}

TEST(PackerProgram, WrongArgumentsPrintUsageAndFail)
{
    for (auto arguments : std::vector<std::vector<std::string>> {
             {}, { "build" }, { "build", "m" }, { "list" }, { "list", "a", "b" }, { "pack", "x" }, { "extract", "x" } }) {
        Outcome run = Packer(arguments);
        EXPECT_EQ(1, run.code);
        EXPECT_TRUE(Contains(run.err, "usage: packer build MANIFEST OUTPUT")) << run.err;
        EXPECT_EQ("", run.out);
    }
    Outcome help = Packer({ "--help" });
    EXPECT_EQ(0, help.code);
    EXPECT_TRUE(Contains(help.out, "usage:"));
}

TEST(PackerProgram, TheProgramExitsWith0Or1AndReportsOnStderr)
{
    const std::string packer = Quote(QNTX_PACKER_PATH);
    std::string out;
    EXPECT_EQ(1, RunCommand(packer + " 2>&1", &out));
    EXPECT_TRUE(Contains(out, "usage:")) << out;
    out.clear();
    EXPECT_EQ(1, RunCommand(packer + " list /nonexistent/QNTXSetup.z 2>/dev/null", &out));
    EXPECT_EQ("", out);
    out.clear();
    EXPECT_EQ(1, RunCommand(packer + " list /nonexistent/QNTXSetup.z 2>&1 >/dev/null", &out));
    EXPECT_TRUE(Contains(out, "/nonexistent/QNTXSetup.z: cannot open")) << out;
    TempFolder folder;
    out.clear();
    EXPECT_EQ(0, RunCommand(packer + " build " + Quote(QNTX_SOURCE_DIR "/payload/QNTXSetup.manifest") + " "
                                + Quote(folder / "demo.z") + " 2>&1",
                            &out));
    // Not a terminal: no progress, only the summary.
    EXPECT_TRUE(Contains(out, "demo.z: 8 records")) << out;
    EXPECT_EQ(std::string::npos, out.find('\r')) << out;
    EXPECT_EQ(0, RunCommand(packer + " verify " + Quote(folder / "demo.z"), &out));
}
