// Trimming, joining and module-relative paths, within their MAX_PATH buffers.
#include "state/app_state.h"
#include "support/paths.h"
#include <gtest/gtest.h>
#include <string.h>
#include <string>

namespace {

std::string Trimmed(const char* text)
{
    char buffer[64];
    lstrcpyA(buffer, text);
    TrimBlanks(buffer);
    return buffer;
}

// A MAX_PATH buffer followed by canary bytes that no routine may touch.
struct GuardedPath {
    char bytes[MAX_PATH + 16];
    explicit GuardedPath(const std::string& text = "")
    {
        memset(bytes, 0xA5, sizeof bytes);
        lstrcpynA(bytes, text.c_str(), MAX_PATH);
    }
    char* text() { return bytes; }
    bool CanaryIntact() const
    {
        for (size_t i = MAX_PATH; i < sizeof bytes; ++i)
            if (bytes[i] != (char)0xA5)
                return false;
        return true;
    }
};

std::string ModulePath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    return path;
}

struct ModulePathTest : testing::Test {
    void SetUp() override { AppState.Instance = GetModuleHandleA(NULL); }
};

} // namespace

TEST(TrimBlanks, RemovesOnlyLeadingAndTrailingSpacesAndTabs)
{
    EXPECT_EQ("a b", Trimmed("  a b\t "));
    EXPECT_EQ("a b", Trimmed("a b"));
    EXPECT_EQ("", Trimmed(""));
    EXPECT_EQ("", Trimmed("   "));
    EXPECT_EQ("", Trimmed("\t \t"));
    EXPECT_EQ("x\r", Trimmed(" x\r"));
    EXPECT_EQ("\xA0x", Trimmed("\t\xA0x"));
    EXPECT_EQ("abc def", Trimmed("abc def"));
}

TEST(AppendPathComponent, JoinsWithExactlyOneBackslash)
{
    struct { const char* base; const char* name; const char* joined; } cases[] = {
        { "C:\\WINDOWS", "QNTXSetup.log", "C:\\WINDOWS\\QNTXSetup.log" },
        { "C:\\WINDOWS\\", "QNTXSetup.log", "C:\\WINDOWS\\QNTXSetup.log" },
        { "C:\\", "QNTXSetup.log", "C:\\QNTXSetup.log" },
        { "C:/x/", "a", "C:/x/\\a" },
        { "", "a", "\\a" },
        { "C:\\x", "\\a", "C:\\x\\\\a" },
        { "C:\\Graphics9", "Photopnt\\Scripts\\Scripts", "C:\\Graphics9\\Photopnt\\Scripts\\Scripts" },
    };
    for (auto& c : cases) {
        GuardedPath path(c.base);
        EXPECT_EQ(1, AppendPathComponent(path.text(), c.name)) << c.base << " + " << c.name;
        EXPECT_STREQ(c.joined, path.text());
    }
}

TEST(AppendPathComponent, FillsAtMost259CharactersAndRefusesMore)
{
    std::string base = "C:\\" + std::string(250, 'f');   // 253 characters
    GuardedPath fits(base);
    EXPECT_EQ(1, AppendPathComponent(fits.text(), "12345"));   // 253 + 1 + 5 = 259
    EXPECT_EQ(base + "\\12345", fits.text());
    EXPECT_TRUE(fits.CanaryIntact());

    GuardedPath tooLong(base);
    EXPECT_EQ(0, AppendPathComponent(tooLong.text(), "123456"));   // 260
    EXPECT_TRUE(tooLong.CanaryIntact());
    EXPECT_LT(lstrlenA(tooLong.text()), MAX_PATH);
    EXPECT_NE(nullptr, strchr(tooLong.text(), '?')) << "no open may accept: " << tooLong.text();

    GuardedPath full(std::string(259, 'b'));
    EXPECT_EQ(0, AppendPathComponent(full.text(), std::string(300, 'n').c_str()));
    EXPECT_TRUE(full.CanaryIntact());
    EXPECT_EQ('?', full.text()[lstrlenA(full.text()) - 1]);
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA(full.text(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
}

TEST_F(ModulePathTest, CutsAfterTheLastDotOrFolderSeparator)
{
    std::string own = ModulePath();
    std::string folder = own.substr(0, own.find_last_of("\\/") + 1);
    std::string stem = own.substr(0, own.find_last_of('.') + 1);

    GuardedPath dataFile;
    MakeModulePath(AppState.Instance, dataFile.text(), "z", 0);
    EXPECT_EQ(stem + "z", dataFile.text());

    GuardedPath folderOnly;
    MakeModulePath(AppState.Instance, folderOnly.text(), "", 1);
    EXPECT_EQ(folder, folderOnly.text());
    EXPECT_EQ('\\', folder.back()) << folder;

    GuardedPath log;
    MakeModulePath(AppState.Instance, log.text(), "QNTXSetup.log", 1);
    EXPECT_EQ(folder + "QNTXSetup.log", log.text());
}

TEST_F(ModulePathTest, FillsAtMost259CharactersAndMarksALongerResult)
{
    std::string folder = ModulePath();
    folder.erase(folder.find_last_of("\\/") + 1);
    ASSERT_LT(folder.size(), 200u) << folder;

    std::string fitting(259 - folder.size(), 'n');
    GuardedPath exact;
    MakeModulePath(AppState.Instance, exact.text(), fitting.c_str(), 1);
    EXPECT_EQ(folder + fitting, exact.text());
    EXPECT_TRUE(exact.CanaryIntact());

    GuardedPath over;
    MakeModulePath(AppState.Instance, over.text(), (fitting + "n").c_str(), 1);
    EXPECT_EQ(folder + "?", over.text());
    EXPECT_TRUE(over.CanaryIntact());
}

TEST_F(ModulePathTest, AnUnknownModuleGivesAPathNoOpenAccepts)
{
    AppState.Instance = (HINSTANCE)(ULONG_PTR)0x7ff10000;
    GuardedPath path;
    MakeModulePath(AppState.Instance, path.text(), "z", 0);
    EXPECT_STREQ("?", path.text());
    EXPECT_TRUE(path.CanaryIntact());
}
