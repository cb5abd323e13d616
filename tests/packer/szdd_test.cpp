// The SZDD codec: round trips at the format's boundaries, the decoder on hand-made and
// damaged input, and both directions against Debian's mscompress and msexpand.
#include "packer/szdd.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <filesystem>

using namespace packer;

namespace {

Bytes Expanded(const Bytes& packed, ExpandInfo& info, ExpandStatus expected = ExpandStatus::Ok)
{
    MemorySource source(packed);
    MemorySink sink;
    ExpandStatus status = Expand(source, sink, info);
    EXPECT_EQ(static_cast<int>(expected), static_cast<int>(status)) << DescribeExpandStatus(status);
    return sink.bytes;
}

Bytes RepeatAtDistance(std::size_t distance)
{
    Bytes bytes = Noise(distance, static_cast<unsigned>(distance));
    bytes.insert(bytes.end(), bytes.begin(), bytes.begin() + 100);
    return bytes;
}

// The fixtures are named after the boundary of the format they cover.
std::vector<std::pair<std::string, Bytes>> Fixtures()
{
    std::string text;
    while (text.size() < 70000)
        text += "REM Quintara " + std::to_string(text.size() % 977) + ": WITHOBJECT \"CorelPhotoPaint.Automation.9\"\r\n";
    Bytes values(9000);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
    return {
        { "empty", {} },
        { "one-byte", ToBytes("x") },
        { "two-bytes", ToBytes("xy") },
        { "shortest-copy", ToBytes("abcabc") },
        { "longest-copy-18", ToBytes("k" + std::string(18, 'a')) },
        { "run-past-longest-copy-19", ToBytes(std::string(19, 'a')) },
        { "run-of-5000", ToBytes(std::string(5000, 'z')) },
        { "leading-spaces-5000", ToBytes(std::string(5000, ' ') + "x") },
        { "repeat-at-4078", RepeatAtDistance(4078) },
        { "repeat-at-4079", RepeatAtDistance(4079) },
        { "repeat-at-4096", RepeatAtDistance(4096) },
        { "all-byte-values", values },
        { "noise-70000", Noise(70000, 3) },
        { "text-70000", ToBytes(text) },
        { "block-boundary-65536", Noise(65536 + 300, 4) },
    };
}

Bytes Header(std::uint8_t mode, std::uint32_t length)
{
    Bytes header(SzddMagic, SzddMagic + 8);
    header.push_back(mode);
    header.push_back(0);
    for (int i = 0; i < 4; ++i)
        header.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    return header;
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(SzddRoundTrip, EveryBoundaryFixtureComesBackExactlyWithItsHeader)
{
    for (const auto& fixture : Fixtures()) {
        Bytes packed = EncodeSzdd(fixture.second);
        ASSERT_GE(packed.size(), SzddHeaderSize) << fixture.first;
        EXPECT_EQ(Header('A', static_cast<std::uint32_t>(fixture.second.size())), Bytes(packed.begin(), packed.begin() + 14))
            << fixture.first;
        // Worst case: every byte a literal, one flag byte per eight.
        EXPECT_LE(packed.size(), 14 + fixture.second.size() + (fixture.second.size() + 7) / 8) << fixture.first;
        ExpandInfo info;
        EXPECT_EQ(fixture.second, Expanded(packed, info)) << fixture.first;
        EXPECT_TRUE(info.szdd) << fixture.first;
        EXPECT_FALSE(info.cutShort) << fixture.first;
        EXPECT_EQ(fixture.second.size(), info.outputLength) << fixture.first;
    }
}

TEST(SzddRoundTrip, RunsAndRepeatsReallyPack)
{
    // One literal, then copies of 18 bytes that overlap their own output.
    EXPECT_LT(EncodeSzdd(ToBytes(std::string(5000, 'z'))).size(), 14u + 1 + 279 * 2 + 36);
    // 18 spaces from the window's initial contents: one copy item and its flag byte.
    EXPECT_EQ(14u + 1 + 2, EncodeSzdd(ToBytes(std::string(18, ' '))).size());
    // A repeat 4078 bytes back is still reached; 4079 is not.
    EXPECT_LT(EncodeSzdd(RepeatAtDistance(4078)).size() + 60, EncodeSzdd(RepeatAtDistance(4079)).size());
}

TEST(SzddDecoder, WindowStartsWithSpacesAndCopiesMayOverlapTheirOutput)
{
    // Flags 0b10: a copy of 18 bytes from slot 0 (initial spaces), then a literal 'x'.
    Bytes spaces = Concat(Header('A', 19), { 0x02, 0x00, 0x0F, 'x' });
    ExpandInfo info;
    EXPECT_EQ(ToBytes(std::string(18, ' ') + "x"), Expanded(spaces, info));
    // Flags 0b01: literal 'a' into slot 0xFF0, then 10 bytes copied from that slot.
    Bytes run = Concat(Header('A', 11), { 0x01, 'a', 0xF0, 0xF7 });
    EXPECT_EQ(ToBytes(std::string(11, 'a')), Expanded(run, info));
}

TEST(SzddDecoder, CopyItemCutShortIsDroppedAndFlaggedButAnUnusedFlagBitIsNot)
{
    ExpandInfo info;
    Bytes cut = Concat(Header('A', 21), { 0x01, 'a', 0xF0, 0xF7, 0xF0 });
    EXPECT_EQ(ToBytes(std::string(11, 'a')), Expanded(cut, info));
    EXPECT_TRUE(info.cutShort);
    Bytes clean = Concat(Header('A', 11), { 0x01, 'a', 0xF0, 0xF7 });
    Expanded(clean, info);
    EXPECT_FALSE(info.cutShort);
    EXPECT_EQ(11u, info.declaredLength);
}

TEST(SzddDecoder, DataWithoutAWholeHeaderIsCopiedUnchanged)
{
    Bytes magicOnly = Header('A', 5);
    magicOnly.resize(13);
    for (const Bytes& plain : { Bytes {}, ToBytes("plain text, not packed"), magicOnly, ToBytes("SZDD but not the rest") }) {
        ExpandInfo info;
        EXPECT_EQ(plain, Expanded(plain, info));
        EXPECT_FALSE(info.szdd);
        EXPECT_EQ(plain.size(), info.outputLength);
    }
}

TEST(SzddDecoder, UnknownModeIsRefused)
{
    ExpandInfo info;
    Bytes packed = EncodeSzdd(ToBytes("some text some text"));
    packed[8] = 'B';
    EXPECT_TRUE(Expanded(packed, info, ExpandStatus::UnknownMode).empty());
    EXPECT_EQ('B', info.mode);
}

TEST(SzddDecoder, ReadFailureAtAnyPointIsReportedAndWriteFailureToo)
{
    // Large enough for several reads of the decoder's buffer.
    const Bytes packed = EncodeSzdd(Noise(20000, 8));
    FailingSource counting(packed, 1 << 30);
    MemorySink all;
    ExpandInfo info;
    ASSERT_EQ(static_cast<int>(ExpandStatus::Ok), static_cast<int>(Expand(counting, all, info)));
    ASSERT_GT(counting.reads(), 3);
    for (int failAt = 1; failAt <= counting.reads(); ++failAt) {
        FailingSource source(packed, failAt);
        MemorySink sink;
        EXPECT_EQ(static_cast<int>(ExpandStatus::ReadError), static_cast<int>(Expand(source, sink, info)))
            << "read " << failAt << " of " << counting.reads() << " failed";
    }
    for (std::size_t limit : { std::size_t(0), std::size_t(8192), std::size_t(19999) }) {
        MemorySource source(packed);
        FailingSink sink(limit);
        EXPECT_EQ(static_cast<int>(ExpandStatus::WriteError), static_cast<int>(Expand(source, sink, info)))
            << "limit " << limit;
    }
    FailingSink header(5);
    EXPECT_FALSE(EncodeSzdd(packed.data(), packed.size(), header));
}

TEST(SzddEncoder, StreamsItsInputAndReportsEveryFailure)
{
    // Three blocks of input and a part of one: each read of the source is a block.
    const Bytes data = Noise(3 * 65536 + 1000, 9);
    FailingSource counting(data, 1 << 30);
    MemorySink all;
    std::uint64_t consumed = 0;
    ASSERT_EQ(static_cast<int>(EncodeStatus::Ok), static_cast<int>(EncodeSzdd(counting, 7, all, consumed)));
    EXPECT_EQ(data.size(), consumed);
    EXPECT_EQ(4, counting.reads());
    // The header states what the caller said, not what was read.
    EXPECT_EQ(Header('A', 7), Bytes(all.bytes.begin(), all.bytes.begin() + 14));
    all.bytes[10] = static_cast<std::uint8_t>(data.size());
    all.bytes[11] = static_cast<std::uint8_t>(data.size() >> 8);
    all.bytes[12] = static_cast<std::uint8_t>(data.size() >> 16);
    EXPECT_EQ(EncodeSzdd(data), all.bytes);
    for (int failAt = 1; failAt <= counting.reads(); ++failAt) {
        FailingSource source(data, failAt);
        CountingSink sink;
        EXPECT_EQ(static_cast<int>(EncodeStatus::ReadError), static_cast<int>(EncodeSzdd(source, 0, sink, consumed)))
            << failAt;
    }
    for (std::size_t limit : { std::size_t(13), std::size_t(100), std::size_t(70000) }) {
        MemorySource source(data);
        FailingSink sink(limit);
        EXPECT_EQ(static_cast<int>(EncodeStatus::WriteError), static_cast<int>(EncodeSzdd(source, 0, sink, consumed)))
            << limit;
    }
}

TEST(SzddCompatibility, MsexpandExpandsOurOutputByteExactly)
{
    TempFolder folder;
    for (const auto& fixture : Fixtures()) {
        WriteBytes(folder / "packed", EncodeSzdd(fixture.second));
        std::string out;
        ASSERT_EQ(0, RunCommand("msexpand < " + Quote(folder / "packed"), &out)) << fixture.first;
        EXPECT_EQ(fixture.second, ToBytes(out)) << fixture.first;
    }
}

TEST(SzddCompatibility, WeReadMscompressOutputByteExactly)
{
    // mscompress writes wrong data below 16 bytes; it is a reference only above that.
    TempFolder folder;
    for (const auto& fixture : Fixtures()) {
        if (fixture.second.size() < 16)
            continue;
        WriteBytes(folder / "input", fixture.second);
        std::filesystem::remove(folder / "input_");
        ASSERT_EQ(0, RunCommand("mscompress " + Quote(folder / "input"))) << fixture.first;
        ExpandInfo info;
        EXPECT_EQ(fixture.second, Expanded(ReadBytes(folder / "input_"), info)) << fixture.first;
        EXPECT_TRUE(info.szdd && !info.cutShort && info.outputLength == info.declaredLength) << fixture.first;
    }
}

TEST(SzddCompatibility, RatioOnTheDemoPayloadIsNoWorseThanMscompress)
{
    TempFolder folder;
    std::size_t ours = 0;
    std::size_t theirs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QNTX_SOURCE_DIR "/payload/files")) {
        Bytes data = ReadBytes(entry.path().string());
        if (data.size() < 16)
            continue;
        WriteBytes(folder / "input", data);
        std::filesystem::remove(folder / "input_");
        ASSERT_EQ(0, RunCommand("mscompress " + Quote(folder / "input")));
        std::size_t mine = EncodeSzdd(data).size();
        std::size_t reference = ReadBytes(folder / "input_").size();
        EXPECT_LE(mine, reference) << entry.path().filename();
        ours += mine;
        theirs += reference;
    }
    EXPECT_LE(ours, theirs);
    EXPECT_GT(theirs, 0u);
}
