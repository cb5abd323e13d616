// Exact reads and writes, block copies and text lines on real files.
#include "support/file_io.h"
#include "test_files.h"
#include <gtest/gtest.h>
#include <string.h>

namespace {

struct LineFile {
    TempFolder folder;
    HANDLE file = INVALID_HANDLE_VALUE;
    explicit LineFile(const std::string& bytes)
    {
        EXPECT_TRUE(WriteFileBytes(folder / "lines.txt", bytes));
        file = OpenForReading(folder / "lines.txt");
    }
    ~LineFile() { CloseHandle(file); }
};

// Reads every line with the given capacity; each line is followed by the position after it.
std::string ReadAllLines(const std::string& bytes, int count)
{
    LineFile in(bytes);
    std::string seen;
    char buffer[2048];
    while (ReadLine(in.file, buffer, count))
        seen += "[" + std::string(buffer) + "]@" + std::to_string(FilePosition(in.file)) + " ";
    return seen;
}

} // namespace

TEST(ReadLine, AcceptsEveryLineEnd)
{
    EXPECT_EQ("[A]@3 [B]@4 ", ReadAllLines("A\r\nB", 100));
    EXPECT_EQ("[A]@2 [B]@3 ", ReadAllLines("A\rB", 100));
    EXPECT_EQ("[A]@2 [B]@3 ", ReadAllLines("A\nB", 100));
    EXPECT_EQ("[A]@2 []@3 [B]@4 ", ReadAllLines("A\n\rB", 100));
    EXPECT_EQ("[]@2 ", ReadAllLines("\r\n", 100));
    EXPECT_EQ("[A]@2 ", ReadAllLines("A\r", 100));
    EXPECT_EQ("[A]@3 [B]@6 ", ReadAllLines("A\r\nB\r\n", 100));
    EXPECT_EQ("[]@1 []@2 []@4 ", ReadAllLines("\n\r\r\n", 100));
    EXPECT_EQ("", ReadAllLines("", 100));
}

TEST(ReadLine, CutsOverlongLinesAndSkipsTheirRest)
{
    EXPECT_EQ("[]@5 []@7 ", ReadAllLines("abc\r\nd\n", 1));
    EXPECT_EQ("[abc]@5 [de]@8 ", ReadAllLines("abc\r\nde\n", 4));
    EXPECT_EQ("[abc]@6 [x]@7 ", ReadAllLines("abcd\r\nx", 4));
    std::string longLine(500, 'L');
    std::string seen = ReadAllLines(longLine + "\r\nnext\r\n", 460);
    EXPECT_EQ("[" + std::string(459, 'L') + "]@502 [next]@508 ", seen);
}

TEST(ReadLine, KeepsHighBytesAndStopsTextAtNul)
{
    LineFile in(std::string("\xE9t\xA0\r\nab\0cd\n", 10));
    char buffer[16];
    ASSERT_EQ(1, ReadLine(in.file, buffer, sizeof buffer));
    EXPECT_STREQ("\xE9t\xA0", buffer);
    ASSERT_EQ(1, ReadLine(in.file, buffer, sizeof buffer));
    EXPECT_EQ(0, memcmp("ab\0cd", buffer, 6)) << "the NUL is stored like any byte";
    EXPECT_EQ(10u, FilePosition(in.file));
}

TEST(ReadLine, AtEndOfFileLeavesTheBufferUntouched)
{
    LineFile in("only");
    char buffer[32];
    ASSERT_EQ(1, ReadLine(in.file, buffer, sizeof buffer));
    memset(buffer, 0xA5, sizeof buffer);
    EXPECT_EQ(0, ReadLine(in.file, buffer, sizeof buffer));
    for (size_t i = 0; i < sizeof buffer; ++i)
        ASSERT_EQ((char)0xA5, buffer[i]) << "byte " << i << " was written";
}

TEST(ReadLine, NeverWritesPastItsCapacity)
{
    LineFile in(std::string(40, 'x') + "\n");
    char buffer[16];
    memset(buffer, 0xA5, sizeof buffer);
    ASSERT_EQ(1, ReadLine(in.file, buffer, 8));
    EXPECT_STREQ("xxxxxxx", buffer);
    for (size_t i = 8; i < sizeof buffer; ++i)
        ASSERT_EQ((char)0xA5, buffer[i]) << "byte " << i << " was written";
}

TEST(WriteLine, WritesTextAndCrLf)
{
    TempFolder folder;
    std::string path = folder / "out.txt";
    HANDLE file = CreateForWriting(path);
    EXPECT_EQ(1, WriteLine(file, NULL));
    EXPECT_EQ(1, WriteLine(file, ""));
    EXPECT_EQ(1, WriteLine(file, "[rename]"));
    EXPECT_EQ(1, WritePrefixedLine(file, '+', "abc"));
    EXPECT_EQ(1, WritePrefixedLine(file, '#', NULL));
    CloseHandle(file);
    EXPECT_EQ("\r\n\r\n[rename]\r\n+abc\r\n#\r\n", ReadFileBytes(path));
}

TEST(WriteLine, ReportsAFailedWriteAndWritesNothingMore)
{
    TempFolder folder;
    std::string path = folder / "readonly.txt";
    EXPECT_TRUE(WriteFileBytes(path, "old"));
    HANDLE file = OpenForReading(path);
    EXPECT_EQ(0, WriteLine(file, "text"));
    EXPECT_EQ(0, WriteLine(file, NULL));
    EXPECT_EQ(0, WritePrefixedLine(file, '+', "text"));
    EXPECT_EQ(0u, FilePosition(file));
    CloseHandle(file);
    EXPECT_EQ("old", ReadFileBytes(path));
}

TEST(ReadExact, SucceedsOnlyForTheWholeCount)
{
    TempFolder folder;
    EXPECT_TRUE(WriteFileBytes(folder / "data", std::string(100, 'd')));
    HANDLE file = OpenForReading(folder / "data");
    char buffer[136];
    EXPECT_EQ(1, ReadExact(file, buffer, 0));
    EXPECT_EQ(0u, FilePosition(file));
    EXPECT_EQ(0, ReadExact(file, buffer, 136));
    EXPECT_EQ(100u, FilePosition(file)) << "a short read still consumes what it delivered";
    EXPECT_EQ(0, ReadExact(file, buffer, 1));
    CloseHandle(file);
}

TEST(CopyFileBytes, CopiesExactlyTheCountInBlocks)
{
    TempFolder folder;
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += (char)(i * 7 + i / 256);
    EXPECT_TRUE(WriteFileBytes(folder / "source", bytes));
    HANDLE source = OpenForReading(folder / "source");
    HANDLE destination = CreateForWriting(folder / "copy");
    EXPECT_EQ(1, CopyFileBytes(source, destination, 2 * 1024 + 452));
    EXPECT_EQ(2500u, FilePosition(source));
    CloseHandle(source);
    CloseHandle(destination);
    EXPECT_TRUE(ReadFileBytes(folder / "copy") == bytes.substr(0, 2500));
}

TEST(CopyFileBytes, NothingToCopyTouchesNeitherFile)
{
    TempFolder folder;
    EXPECT_TRUE(WriteFileBytes(folder / "source", "abc"));
    HANDLE source = OpenForReading(folder / "source");
    HANDLE destination = CreateForWriting(folder / "copy");
    EXPECT_EQ(1, CopyFileBytes(source, destination, 0));
    EXPECT_EQ(1, CopyFileBytes(source, destination, -5));
    EXPECT_EQ(0u, FilePosition(source));
    CloseHandle(source);
    CloseHandle(destination);
    EXPECT_EQ("", ReadFileBytes(folder / "copy"));
}

TEST(CopyFileBytes, FailsOnAShortSourceAfterTheWholeBlocksBefore)
{
    TempFolder folder;
    EXPECT_TRUE(WriteFileBytes(folder / "source", std::string(1500, 's')));
    HANDLE source = OpenForReading(folder / "source");
    HANDLE destination = CreateForWriting(folder / "copy");
    EXPECT_EQ(0, CopyFileBytes(source, destination, 2000));
    CloseHandle(source);
    CloseHandle(destination);
    EXPECT_EQ(1024u, ReadFileBytes(folder / "copy").size()) << "the first whole block was written";
}
