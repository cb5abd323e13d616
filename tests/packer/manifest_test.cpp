// The manifest format: fields, quotes, options, comments, and errors that name their line.
#include "packer/manifest.h"
#include <gtest/gtest.h>

using namespace packer;

TEST(Manifest, ParsesQuotedFieldsOptionsCommentsAndCrLf)
{
    std::vector<ManifestError> errors;
    auto entries = ParseManifest("# comment\r\n"
                                 "\r\n"
                                 "files/a.txt  a.txt  \"Help text\"\r\n"
                                 "  \"files/with blank.csc\"\t\"With blank.csc\" \"\" hidden plain\n"
                                 "   # indented comment\n"
                                 "dll @\\x.dll \"System file\" szdd",
                                 errors);
    ASSERT_TRUE(errors.empty()) << errors[0].line << ": " << errors[0].message;
    ASSERT_EQ(3u, entries.size());
    EXPECT_EQ(3, entries[0].line);
    EXPECT_EQ("files/a.txt", entries[0].source);
    EXPECT_EQ("Help text", entries[0].label);
    EXPECT_TRUE(entries[0].szdd);
    EXPECT_FALSE(entries[0].hidden);
    EXPECT_EQ(4, entries[1].line);
    EXPECT_EQ("files/with blank.csc", entries[1].source);
    EXPECT_EQ("With blank.csc", entries[1].name);
    EXPECT_EQ("", entries[1].label);
    EXPECT_TRUE(entries[1].hidden);
    EXPECT_FALSE(entries[1].szdd);
    EXPECT_EQ("@\\x.dll", entries[2].name);
    EXPECT_EQ(6, entries[2].line);
}

TEST(Manifest, EveryBadLineIsReportedWithItsNumber)
{
    const std::string longName(64, 'n');
    const std::string longLabel(64, 'l');
    std::vector<ManifestError> errors;
    auto entries = ParseManifest("good.txt good.txt Good\n"            // 1
                                 "only two\n"                          // 2
                                 "a.txt \"unclosed label\n"            // 3
                                 "a.txt a.txt L compressed\n"          // 4
                                 "a.txt " + longName + " L\n"          // 5
                                 "a.txt a.txt " + longLabel + "\n"     // 6
                                 "a.txt ..\\up.txt L\n"                // 7
                                 "a.txt c:x.txt L\n"                   // 8
                                 "a.txt @x.dll L\n"                    // 9
                                 "a.txt a.txt L plain szdd\n"          // 10
                                 "a.txt \"a\"b L\n"                    // 11
                                 "\"\" a.txt L\n",                     // 12
                                 errors);
    EXPECT_EQ(1u, entries.size());
    std::vector<int> lines;
    for (const ManifestError& e : errors)
        lines.push_back(e.line);
    EXPECT_EQ((std::vector<int> { 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 }), lines);
    for (const ManifestError& e : errors)
        EXPECT_FALSE(e.message.empty()) << e.line;
    ASSERT_EQ(11u, errors.size());
    EXPECT_NE(std::string::npos, errors[3].message.find("64 bytes")) << errors[3].message;
    EXPECT_NE(std::string::npos, errors[4].message.find("label")) << errors[4].message;
    EXPECT_NE(std::string::npos, errors[2].message.find("compressed")) << errors[2].message;
}

TEST(Manifest, NamesAndLabelsAreConvertedToTheCodePageAndTheirLimitsCountItsBytes)
{
    // Line 1's name is 63 bytes in the code page and 64 in UTF-8.
    const std::string text = "a.txt \"" + std::string(30, 'n') + "\xC3\xA9" + std::string(32, 'n') + "\" \"\xC3\xA9t\xC3\xA9\"\n"
                             "a.txt \"\xE2\x82\xAC.txt\" \"\xC3\xA9\xFF\"\n" // 2: a byte that is not UTF-8
                             "a.txt b.txt \"\xF0\x9F\x99\x82\"\n"                // 3: a character past U+FFFF
                             "a.txt \"\xD0\x96.txt\" Zhe\n";                      // 4: Cyrillic
    std::vector<ManifestError> errors;
    auto entries = ParseManifest(text, errors);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(std::string(30, 'n') + "\xE9" + std::string(32, 'n'), entries[0].name);
    EXPECT_EQ("\xE9t\xE9", entries[0].label);
    ASSERT_EQ(3u, errors.size());
    EXPECT_EQ(2, errors[0].line);
    EXPECT_NE(std::string::npos, errors[0].message.find("byte 0xFF is not UTF-8")) << errors[0].message;
    EXPECT_NE(std::string::npos, errors[1].message.find("character U+1F642")) << errors[1].message;
    EXPECT_NE(std::string::npos, errors[2].message.find("U+0416 \"\xD0\x96\" cannot be written in code page 1252"))
        << errors[2].message;

    errors.clear();
    entries = ParseManifest(text, errors, 1251);
    ASSERT_EQ(1u, entries.size()) << "in 1251 only the Cyrillic line holds";
    EXPECT_EQ("\xC6.txt", entries[0].name);
    EXPECT_EQ("\x88.txt", ParseManifest("a \"\xE2\x82\xAC.txt\" L", errors, 1251)[0].name);
}
