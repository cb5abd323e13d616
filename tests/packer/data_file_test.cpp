// The setup data file's record layout, the record reader and the naming rule.
#include "common/record_name_table.h"
#include "packer/data_file.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <algorithm>

using namespace packer;

namespace {

Bytes Record(const std::string& name, const std::string& label, const Bytes& data, std::uint32_t hidden = 0)
{
    RecordHeader header;
    header.name = name;
    header.label = label;
    header.hidden = hidden;
    MemorySink sink;
    EXPECT_TRUE(WriteRecord(sink, header, data.data(), data.size()));
    return sink.bytes;
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(RecordHeader, FieldsStandAtTheirOffsetsLittleEndian)
{
    Bytes record = Record("Scripts\\a.csc", "Label", ToBytes("xyz"), 0x01020304);
    ASSERT_EQ(136u + 3, record.size());
    EXPECT_EQ("Scripts\\a.csc", std::string(record.begin(), record.begin() + 13));
    EXPECT_EQ(Bytes(64 - 13, 0), Bytes(record.begin() + 13, record.begin() + 64));
    EXPECT_EQ("Label", std::string(record.begin() + 64, record.begin() + 69));
    EXPECT_EQ(Bytes({ 3, 0, 0, 0, 4, 3, 2, 1 }), Bytes(record.begin() + 128, record.begin() + 136));
    EXPECT_EQ(ToBytes("xyz"), Bytes(record.begin() + 136, record.end()));
}

TEST(RecordHeader, FieldsWithoutTerminatorAreReadAsAllSixtyFourBytes)
{
    Bytes raw(136, 'n');
    std::fill(raw.begin() + 64, raw.begin() + 128, 'L');
    RecordHeader header = UnpackRecordHeader(raw.data());
    EXPECT_EQ(std::string(64, 'n'), header.name);
    EXPECT_FALSE(header.nameTerminated);
    EXPECT_EQ(std::string(64, 'L'), header.label);
    EXPECT_FALSE(header.labelTerminated);
    EXPECT_EQ(0x6E6E6E6Eu, header.packedLength);
}

TEST(RecordReader, ReadsRecordsInOrderAndSkipsUnreadData)
{
    Bytes file = Join({ Record("a.txt", "A", ToBytes("first")), Record("@\\b.dll", "B", {}, 1),
                        Record("c.txt", "C", Noise(5000, 1)) });
    MemorySource source(file);
    RecordReader reader(source);
    RecordHeader header;
    ASSERT_EQ(RecordReader::Result::Record, reader.Next(header));
    EXPECT_EQ("a.txt", header.name);
    Bytes data;
    ASSERT_TRUE(ReadAll(reader.Data(), data));
    EXPECT_EQ(ToBytes("first"), data);
    ASSERT_EQ(RecordReader::Result::Record, reader.Next(header));
    EXPECT_EQ("@\\b.dll", header.name);
    EXPECT_EQ(1u, header.hidden);
    EXPECT_EQ(141u, reader.recordOffset());
    ASSERT_EQ(RecordReader::Result::Record, reader.Next(header)); // data of c.txt left unread
    EXPECT_EQ(5000u, header.packedLength);
    EXPECT_EQ(RecordReader::Result::End, reader.Next(header));
    EXPECT_FALSE(reader.truncated());
}

TEST(RecordReader, TrailingFragmentAndDataPastTheEndAreTold)
{
    Bytes file = Join({ Record("a.txt", "A", ToBytes("first")), Noise(37, 2) });
    MemorySource source(file);
    RecordReader reader(source);
    RecordHeader header;
    ASSERT_EQ(RecordReader::Result::Record, reader.Next(header));
    ASSERT_EQ(RecordReader::Result::Fragment, reader.Next(header));
    EXPECT_EQ(37u, reader.fragmentSize());
    EXPECT_EQ(141u, reader.recordOffset());

    for (std::uint32_t length : { 1000u, 0x80000000u, 0xFFFFFFFFu }) {
        Bytes cut = Record("b.txt", "B", ToBytes("only this"));
        cut[128] = static_cast<std::uint8_t>(length);
        cut[129] = static_cast<std::uint8_t>(length >> 8);
        cut[130] = static_cast<std::uint8_t>(length >> 16);
        cut[131] = static_cast<std::uint8_t>(length >> 24);
        MemorySource cutSource(cut);
        RecordReader cutReader(cutSource);
        ASSERT_EQ(RecordReader::Result::Record, cutReader.Next(header));
        EXPECT_EQ(length, header.packedLength);
        Bytes data;
        ASSERT_TRUE(ReadAll(cutReader.Data(), data));
        EXPECT_EQ(ToBytes("only this"), data);
        EXPECT_TRUE(cutReader.truncated()) << length;
        EXPECT_EQ(RecordReader::Result::End, cutReader.Next(header));
    }
}

TEST(RecordReader, ReadFailureIsAnErrorNotAnEnd)
{
    Bytes file = Join({ Record("a.txt", "A", Noise(3000, 3)), Record("b.txt", "B", ToBytes("b")) });
    for (int failAt = 1; failAt <= 3; ++failAt) {
        FailingSource source(file, failAt);
        RecordReader reader(source);
        RecordHeader header;
        RecordReader::Result result;
        while ((result = reader.Next(header)) == RecordReader::Result::Record) {
        }
        EXPECT_EQ(RecordReader::Result::ReadError, result) << "read " << failAt << " failed";
    }
}

TEST(RecordName, PlainNamesBelowTheFolderAreAccepted)
{
    for (const char* name : { "a.txt", "Quintara Frame.csc", "Sub\\Deeper\\x.dat", "@\\qntxhelp.dll", "@\\sys\\x.dll",
                              ".hidden", "a..b.txt", "COM0", "COM10", "console.txt", "LPT", "xnul" })
        EXPECT_EQ("", CheckRecordName(name)) << name;
    EXPECT_EQ("", CheckRecordName(std::string(63, 'x')));
}

TEST(RecordName, NamesThatLeaveTheFolderOrNameNoPlainFileAreRefused)
{
    for (const char* name : { "", "..\\up.txt", "a\\..\\..\\up.txt", "...\\x", ".. \\x", ".", "a:b", "C:\\x.txt",
                              "x/y.txt", "a\\", "\\x", "a\\\\b", "@", "@x", "@\\", "@/x.dll", "@\\..\\x", "x?.txt",
                              "x*", "x|y", "x\"y", "tab\there", "name.", "name ", "COM1", "con.txt", "Sub\\LPT9",
                              "AUX .log", "nul", "CONOUT$", "lpt\xb9" })
        EXPECT_NE("", CheckRecordName(name)) << "[" << name << "]";
    EXPECT_NE("", CheckRecordName(std::string(64, 'x')));
    EXPECT_EQ("", CheckLabel(std::string(63, 'l')));
    EXPECT_NE("", CheckLabel(std::string(64, 'l')));
}

// The extraction tests run the same table through the installer.
TEST(RecordName, TheSharedTableGetsTheInstallersVerdicts)
{
    for (const RecordNameCase& c : RecordNameTable())
        EXPECT_EQ(c.accepted, CheckRecordName(c.name).empty()) << "[" << c.name << "]: " << CheckRecordName(c.name);
}
