// Record names with the verdict both the installer and the packer must reach: the packer's
// tests run it against the packer's check, the extraction tests against the real ExtractFiles.
#pragma once
#include <string>
#include <vector>

struct RecordNameCase {
    std::string name;
    bool accepted;
};

inline std::vector<RecordNameCase> RecordNameTable()
{
    return {
        { "plain.txt", true },
        { "sub\\file.txt", true },
        { "@\\qxrecordnames.tmp", true },
        { ".hidden", true },
        { " leading blank.txt", true },
        { "a..b.txt", true },
        { "COM0.txt", true },
        { "CONSOLE.txt", true },
        { "caf\xE9.txt", true },
        { std::string(59, 'n') + ".txt", true },   // 63 bytes: the field's terminator still fits
        { std::string(60, 'n') + ".txt", false },  // 64 bytes: no room for the terminator
        { "", false },
        { "sub\\", false },
        { "sub\\\\file.txt", false },
        { "@", false },
        { "@\\", false },
        { "@x", false },
        { "@xfile.dll", false },
        { "..\\up.txt", false },
        { "sub\\..\\..\\up.txt", false },
        { "...\\up.txt", false },
        { ". .\\up.txt", false },
        { "sub\\.", false },
        { "@\\..\\up.txt", false },
        { "file.txt.", false },
        { "file.txt ", false },
        { "dots.\\file.txt", false },
        { "a:stream.txt", false },
        { "C:\\absolute.txt", false },
        { "sub/file.txt", false },
        { "CON", false },
        { "con.txt", false },
        { "AUX .log", false },
        { "sub\\NUL", false },
        { "COM1.txt", false },
        { "LPT9", false },
        { "COM\xB9", false },
        { "tab\there.txt", false },
        { "line\r\nend.txt", false },
        { "\x01.txt", false },
        { "a<b.txt", false },
        { "a>b.txt", false },
        { "a\"b.txt", false },
        { "a|b.txt", false },
        { "a?b.txt", false },
        { "a*b.txt", false },
    };
}
