// The dialog templates as the resource compiler wrote them into the executable, read back from
// this program's own copy of the resources, and the shape of the licence text.
#include "state/texts.h"
#include "resources/resource.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Item {
    std::string className;
    int id;
    int x, y, cx, cy;
    DWORD style;  // beyond WS_CHILD | WS_VISIBLE, which every control has
    std::string text;
};

struct Template {
    int resource;
    DWORD style;
    int cx, cy;
    std::string caption;
    std::vector<Item> items;
};

const DWORD PageStyle = WS_CHILD | WS_VISIBLE | WS_CAPTION | DS_SETFONT | DS_3DLOOK;
const DWORD SideImageStyle = SS_BITMAP | SS_CENTERIMAGE | SS_REALSIZEIMAGE | SS_SUNKEN;
const int NoId = 0xFFFF;

const std::vector<Template>& Expected()
{
    static const std::vector<Template> templates = {
        { IDD_WELCOME, PageStyle, 276, 140, "Welcome",
          { { "Static", IDC_SIDE_IMAGE, 0, 0, 80, 140, SideImageStyle, "" },
            { "Static", NoId, 92, 0, 180, 26, SS_LEFT,
              "Welcome to Quintara Setup program. This program will install Quintara for Corel PHOTO-PAINT 9 on "
              "your computer." },
            { "Static", NoId, 92, 39, 180, 26, SS_LEFT,
              "Click Next to continue with the Setup program or click Cancel to quit Setup." },
            { "Static", NoId, 92, 78, 184, 22, SS_LEFT, "" },
            { "Static", NoId, 92, 108, 180, 34, SS_LEFT, "" } } },
        { IDD_LICENSE, PageStyle, 276, 140, "Software License Agreement",
          { { "Static", IDC_SIDE_IMAGE, 0, 0, 80, 140, SideImageStyle, "" },
            { "Static", NoId, 92, 0, 184, 17, SS_LEFT | WS_TABSTOP,
              "Pressing \"Next\" indicates that you agree to the terms of this License Agreement" },
            { "Edit", IDC_LICENSE_TEXT, 92, 22, 184, 119,
              ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_TABSTOP, "" } } },
        { IDD_DESTINATION, PageStyle, 276, 140, "Choose Destination Location",
          { { "Static", IDC_SIDE_IMAGE, 0, 0, 80, 140, SideImageStyle, "" },
            { "Static", NoId, 92, 0, 184, 17, SS_LEFT | WS_TABSTOP,
              "Setup will install Quintara in the following folder." },
            { "Static", NoId, 92, 26, 184, 9, SS_LEFT, "To install to this folder, click Next." },
            { "Static", NoId, 92, 43, 184, 17, SS_LEFT,
              "To install to a different folder, click Browse and select another folder." },
            { "Static", NoId, 92, 69, 184, 17, SS_LEFT,
              "You can choose not to install Quintara by clicking Cancel to exit Setup." },
            { "Button", NoId, 92, 108, 182, 30, BS_GROUPBOX | WS_GROUP, "Destination folder" },
            { "Static", IDC_FOLDER_DISPLAY, 100, 121, 124, 8, SS_LEFTNOWORDWRAP | SS_NOPREFIX, "" },
            { "Button", IDC_BROWSE, 228, 119, 42, 14, BS_PUSHBUTTON | BS_CENTER | WS_TABSTOP, "&Browse..." } } },
        { IDD_PERSONALIZE, PageStyle, 276, 140, "Personalize Your Copy",
          { { "Static", IDC_SIDE_IMAGE, 0, 0, 80, 140, SideImageStyle, "" },
            { "Static", NoId, 92, 0, 184, 9, SS_LEFT | WS_TABSTOP, "Personalize your copy of Quintara" },
            { "Button", NoId, 92, 22, 184, 60, BS_GROUPBOX | WS_GROUP, "Registered owner" },
            { "Static", NoId, 116, 41, 40, 8, SS_LEFT, "User Name:" },
            { "Edit", IDC_USER_NAME, 160, 39, 108, 12, ES_LEFT | WS_BORDER | WS_TABSTOP, "" } } },
        { IDD_PROGRESS,
          WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_3DLOOK | DS_SETFONT | DS_CONTEXTHELP,
          314, 53, "Installing Quintara...",
          { { "Button", IDCANCEL, 252, 26, 50, 14, BS_PUSHBUTTON | BS_CENTER | WS_TABSTOP, "Cancel" },
            { "Static", NoId, 4, 4, 304, 43, SS_ETCHEDFRAME, "" },
            { "Static", NoId, 12, 13, 44, 8, SS_LEFT, "Installing file:" },
            { "Static", IDC_CURRENT_ITEM, 60, 13, 184, 8, SS_LEFT | SS_ENDELLIPSIS, "" },
            { "msctls_progress32", IDC_PROGRESS_BAR, 12, 29, 232, 9, 0, "" } } },
    };
    return templates;
}

// Reads the words of a classic (not extended) dialog template.
struct Reader {
    const BYTE* at;
    const BYTE* end;
    bool ok = true;

    WORD Word()
    {
        if (at + 2 > end) {
            ok = false;
            return 0;
        }
        WORD value = (WORD)(at[0] | at[1] << 8);
        at += 2;
        return value;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | (DWORD)Word() << 16;
    }
    std::string String()
    {
        std::wstring wide;
        for (WORD c = Word(); ok && c; c = Word())
            wide += (wchar_t)c;
        char text[1024] = "";
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, NULL, NULL);
        return text;
    }
    // A name or an ordinal (0xFFFF, number), given back as text or "#number".
    std::string NameOrOrdinal()
    {
        const BYTE* start = at;
        if (Word() == 0xFFFF)
            return "#" + std::to_string(Word());
        at = start;
        return String();
    }
    void AlignToDword(const BYTE* base)
    {
        at = base + ((at - base + 3) & ~3);
    }
};

std::string ClassName(const std::string& stored)
{
    // Ordinals of the predefined classes, for templates that store them that way.
    if (stored == "#128") return "Button";
    if (stored == "#129") return "Edit";
    if (stored == "#130") return "Static";
    return stored;
}

} // namespace

TEST(DialogTemplates, MatchTheirTablesInTabOrder)
{
    HMODULE module = GetModuleHandleA(NULL);
    for (const Template& expected : Expected()) {
        SCOPED_TRACE("dialog " + std::to_string(expected.resource) + " " + expected.caption);
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(expected.resource), (LPCSTR)RT_DIALOG);
        ASSERT_NE(found, (HRSRC)NULL);
        const BYTE* base = (const BYTE*)LockResource(LoadResource(module, found));
        ASSERT_NE(base, (const BYTE*)NULL);
        Reader r = { base, base + SizeofResource(module, found) };

        EXPECT_EQ(expected.style, r.Dword()) << std::hex;
        EXPECT_EQ(0u, r.Dword()) << "extended style";
        WORD count = r.Word();
        r.Word(), r.Word();
        EXPECT_EQ(expected.cx, (short)r.Word());
        EXPECT_EQ(expected.cy, (short)r.Word());
        EXPECT_EQ("", r.NameOrOrdinal()) << "menu";
        EXPECT_EQ("", r.NameOrOrdinal()) << "class";
        EXPECT_EQ(expected.caption, r.String());
        EXPECT_EQ(8, r.Word()) << "point size";
        EXPECT_EQ("MS Sans Serif", r.String());
        ASSERT_EQ(expected.items.size(), count);

        for (const Item& item : expected.items) {
            SCOPED_TRACE("control " + std::to_string(&item - &expected.items[0] + 1));
            r.AlignToDword(base);
            EXPECT_EQ(WS_CHILD | WS_VISIBLE | item.style, r.Dword()) << std::hex;
            EXPECT_EQ(0u, r.Dword()) << "extended style";
            EXPECT_EQ(item.x, (short)r.Word());
            EXPECT_EQ(item.y, (short)r.Word());
            EXPECT_EQ(item.cx, (short)r.Word());
            EXPECT_EQ(item.cy, (short)r.Word());
            EXPECT_EQ(item.id, r.Word());
            EXPECT_EQ(0, lstrcmpiA(item.className.c_str(), ClassName(r.NameOrOrdinal()).c_str()))
                << "class " << item.className;
            EXPECT_EQ(item.text, r.NameOrOrdinal());
            WORD extra = r.Word();
            r.at += extra;
        }
        EXPECT_TRUE(r.ok) << "the template ends early";
    }
}

TEST(LicenseText, HasThirtyFourLinesWithSectionsAToHBetweenEmptyLines)
{
    const std::string text = LicenseText;
    EXPECT_GE(text.size(), 6500u);
    EXPECT_LE(text.size(), 7500u);

    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    ASSERT_EQ(34u, lines.size());
    for (const std::string& line : lines)
        EXPECT_EQ(std::string::npos, line.find_first_of("\r\n")) << "a lone line break in: " << line;
    EXPECT_FALSE(lines.front().empty()) << "heading";
    EXPECT_FALSE(lines.back().empty()) << "no line end after the last line";

    // Each section starts after an empty line, in letter order, and is the only one with its letter.
    char next = 'A';
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() > 3 && line[0] >= 'A' && line[0] <= 'H' && line[1] == '.' && line[2] == ' ') {
            EXPECT_EQ(next, line[0]) << line;
            EXPECT_TRUE(i > 0 && lines[i - 1].empty()) << "no empty line before: " << line;
            next = (char)(line[0] + 1);
        }
    }
    EXPECT_EQ('I', next) << "sections A to H";
    EXPECT_NE(std::string::npos, text.find("Halvorn"));
    for (unsigned char c : text)
        ASSERT_TRUE(c >= 0x20 || c == '\r' || c == '\n') << "control character " << (int)c;
}
