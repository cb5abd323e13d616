// Registry routines and the uninstall entries, in a scratch key below HKEY_CURRENT_USER.
#include "common/files.h"
#include "common/registry.h"
#include "install/uninstall_entries.h"
#include "state/app_state.h"
#include "support/registry.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

const unsigned char Poison = 0xA5;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch.Create()) << "scratch key " << scratch.Path(); }
    void TearDown() override { scratch.Remove(); }

    std::string Key(const std::string& below) const { return scratch.Path() + "\\" + below; }

    void SetRaw(const std::string& key, const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY handle;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS,
                                                 NULL, &handle, NULL));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(handle, name, 0, type, (const BYTE*)data, size));
        RegCloseKey(handle);
    }

    // Reads into a poisoned buffer and checks that nothing past the terminator was touched.
    std::string Read(const std::string& key, const char* name, const char* defaultText, int outMax = 300)
    {
        char out[400];
        memset(out, Poison, sizeof out);
        ReadRegString(HKEY_CURRENT_USER, key.c_str(), name, defaultText, out, outMax);
        const char* end = (const char*)memchr(out, 0, outMax);
        if (!end) {
            ADD_FAILURE() << "no terminator within outMax " << outMax;
            return std::string();
        }
        for (size_t i = end - out + 1; i < sizeof out; ++i) {
            if ((unsigned char)out[i] != Poison) {
                ADD_FAILURE() << "byte " << i << " past the terminator was written";
                break;
            }
        }
        return std::string((const char*)out, end);
    }

    RegistryScratch scratch;
};

TEST_F(RegistryTest, MissingKeyOrValueGivesTheDefault)
{
    EXPECT_EQ("fallback", Read(Key("absent"), "Value", "fallback"));
    SetRaw(Key("k"), "Other", REG_SZ, "x", 2);
    EXPECT_EQ("fallback", Read(Key("k"), "Value", "fallback"));
    EXPECT_EQ("", Read(Key("k"), "Value", ""));
}

TEST_F(RegistryTest, OnlyPlainTextIsReadAsText)
{
    DWORD number = 0x00343332; // "234" in memory, terminated
    SetRaw(Key("k"), "Expand", REG_EXPAND_SZ, "C:\\x", 5);
    SetRaw(Key("k"), "Multi", REG_MULTI_SZ, "a\0b\0", 5);
    SetRaw(Key("k"), "Number", REG_DWORD, &number, 4);
    SetRaw(Key("k"), "Binary", REG_BINARY, "abc", 4);
    for (const char* name : { "Expand", "Multi", "Number", "Binary" })
        EXPECT_EQ("dflt", Read(Key("k"), name, "dflt")) << "value " << name;
}

TEST_F(RegistryTest, TextOf255CharactersIsReadOneOf256GivesTheDefault)
{
    std::string fits(255, 'f'), tooLong(256, 't');
    SetRaw(Key("k"), "Fits", REG_SZ, fits.c_str(), (DWORD)fits.size() + 1);
    SetRaw(Key("k"), "TooLong", REG_SZ, tooLong.c_str(), (DWORD)tooLong.size() + 1);
    EXPECT_EQ(fits, Read(Key("k"), "Fits", "dflt"));
    EXPECT_EQ("dflt", Read(Key("k"), "TooLong", "dflt"));
}

TEST_F(RegistryTest, ValueAndDefaultAreCutToOutMaxAndTerminated)
{
    std::string value(150, 'v'), fallback(150, 'd');
    SetRaw(Key("k"), "Long", REG_SZ, value.c_str(), (DWORD)value.size() + 1);
    EXPECT_EQ(value.substr(0, 99), Read(Key("k"), "Long", "dflt", 100));
    EXPECT_EQ(fallback.substr(0, 99), Read(Key("k"), "Missing", fallback.c_str(), 100));
    EXPECT_EQ("", Read(Key("k"), "Long", "dflt", 1));
}

TEST_F(RegistryTest, EmptyTextIsReadAsEmptyNotAsTheDefault)
{
    SetRaw(Key("k"), "Empty", REG_SZ, "", 1);
    EXPECT_EQ("", Read(Key("k"), "Empty", "dflt"));
}

TEST_F(RegistryTest, StoredTextWithoutTerminatorEndsWithItsData)
{
    // The byte after the counted data must not be NUL, or the platform counts it in.
    SetRaw(Key("k"), "Short", REG_SZ, "abcX", 3);
    EXPECT_EQ("abc", Read(Key("k"), "Short", "dflt"));
    std::string full(256, 'n');
    full += 'X';
    SetRaw(Key("k"), "Full", REG_SZ, full.c_str(), 256);
    EXPECT_EQ(full.substr(0, 256), Read(Key("k"), "Full", "dflt"));
}

TEST_F(RegistryTest, WritesCreateEveryMissingKeyAndStoreExactData)
{
    std::string nested = Key("one\\two\\three");
    WriteRegString(HKEY_CURRENT_USER, nested.c_str(), "Text", "hello");
    WriteRegString(HKEY_CURRENT_USER, nested.c_str(), "Empty", "");
    WriteRegDword(HKEY_CURRENT_USER, nested.c_str(), "Number", 2);
    auto values = ReadAllValues(HKEY_CURRENT_USER, nested);
    ASSERT_EQ(3u, values.size());
    EXPECT_EQ(RegData(REG_SZ, std::string("hello", 6)), values["Text"]);
    EXPECT_EQ(RegData(REG_SZ, std::string(1, '\0')), values["Empty"]);
    EXPECT_EQ(RegData(REG_DWORD, std::string("\x02\x00\x00\x00", 4)), values["Number"]);
}

TEST_F(RegistryTest, WritesReplaceAValueOfAnyType)
{
    std::string key = Key("k");
    WriteRegDword(HKEY_CURRENT_USER, key.c_str(), "Value", 0x01020304);
    WriteRegString(HKEY_CURRENT_USER, key.c_str(), "Value", "now text");
    EXPECT_EQ(RegData(REG_SZ, std::string("now text", 9)), ReadAllValues(HKEY_CURRENT_USER, key)["Value"]);
    WriteRegDword(HKEY_CURRENT_USER, key.c_str(), "Value", 0xFFFFFFFE);
    EXPECT_EQ(RegData(REG_DWORD, std::string("\xFE\xFF\xFF\xFF", 4)), ReadAllValues(HKEY_CURRENT_USER, key)["Value"]);
}

TEST_F(RegistryTest, DeleteRemovesTheLeafAndLeavesItsParents)
{
    SetRaw(Key("A\\B\\C"), "v", REG_SZ, "x", 2);
    SetRaw(Key("A\\B"), "kept", REG_SZ, "y", 2);
    SetRaw(Key("A\\B\\Sibling"), "v", REG_SZ, "x", 2);
    DeleteRegKey(HKEY_CURRENT_USER, Key("A\\B\\C").c_str());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("A\\B\\C")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Key("A\\B\\Sibling")));
    EXPECT_EQ(RegData(REG_SZ, std::string("y", 2)), ReadAllValues(HKEY_CURRENT_USER, Key("A\\B"))["kept"]);
}

TEST_F(RegistryTest, DeleteOfAKeyDirectlyBelowTheRoot)
{
    SetRaw(Key("Leaf"), "v", REG_SZ, "x", 2);
    SetRaw(Key("Other"), "v", REG_SZ, "x", 2);
    HKEY root = scratch.Open();
    ASSERT_TRUE(root != NULL);
    DeleteRegKey(root, "Leaf");
    RegCloseKey(root);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key("Leaf")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Key("Other")));
}

TEST_F(RegistryTest, DeleteBelowAMissingParentChangesNothing)
{
    SetRaw(Key("A\\C"), "v", REG_SZ, "x", 2);
    DeleteRegKey(HKEY_CURRENT_USER, Key("Missing\\C").c_str());
    DeleteRegKey(HKEY_CURRENT_USER, Key("A\\Missing\\C").c_str());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Key("A\\C")));
}

TEST_F(RegistryTest, DeleteWithoutALeafNameDeletesNeitherParentNorRoot)
{
    SetRaw(Key("A\\B"), "v", REG_SZ, "x", 2);
    DeleteRegKey(HKEY_CURRENT_USER, Key("A\\").c_str());
    DeleteRegKey(HKEY_CURRENT_USER, Key("A\\B\\").c_str());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Key("A\\B")));
    // An empty path below an open key would name that key itself.
    HKEY root = scratch.Open();
    ASSERT_TRUE(root != NULL);
    DeleteRegKey(root, "");
    DeleteRegKey(root, "\\");
    RegCloseKey(root);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Key("A\\B")));
}

// A path of exactly length characters below the scratch key: components of at most 100
// characters, the last one ending the path.
static std::string PathOfLength(const std::string& scratchPath, size_t length)
{
    std::string path = scratchPath;
    char letter = 'a';
    while (path.size() < length) {
        size_t room = length - path.size() - 1;
        path += "\\" + std::string(room > 100 ? 100 : room, letter++);
    }
    return path;
}

TEST_F(RegistryTest, DeleteTakesPathsUpTo259CharactersAndRefusesLongerOnes)
{
    std::string fits = PathOfLength(scratch.Path(), 259);
    ASSERT_EQ(259u, fits.size());
    SetRaw(fits, "v", REG_SZ, "x", 2);
    DeleteRegKey(HKEY_CURRENT_USER, fits.c_str());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, fits)) << fits;

    // Cut to 259 characters, each long path would name the existing key: its parent, or
    // (cut inside the last name) a shorter sibling.
    SetRaw(fits, "v", REG_SZ, "x", 2);
    for (const char* tail : { "\\C", "\\CCCC", "zzzzz" }) {
        std::string tooLong = fits + tail;
        DeleteRegKey(HKEY_CURRENT_USER, tooLong.c_str());
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, fits)) << "after deleting a " << tooLong.size() << "-character path";
    }
}

// The Add/Remove Programs entry, written below the scratch key instead of HKEY_LOCAL_MACHINE.
class UninstallEntriesTest : public RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        AppState.Instance = GetModuleHandleA(NULL);
        lstrcpyA(AppState.TargetFolder, "C:\\Program Files\\Corel\\Graphics9\\Photopnt\\Scripts\\Scripts");
        lstrcpyA(AppState.UserName, "Ada Lovelace");
    }
    void Write(const char* uninstaller)
    {
        WriteUninstallEntriesUnder(HKEY_CURRENT_USER, Key("Uninstall\\Quintara").c_str(),
                                   Key("Halvorn\\Quintara\\2.0").c_str(), uninstaller);
    }
    RegValues Entry() { return ReadAllValues(HKEY_CURRENT_USER, Key("Uninstall\\Quintara")); }
    RegValues Product() { return ReadAllValues(HKEY_CURRENT_USER, Key("Halvorn\\Quintara\\2.0")); }
};

TEST_F(UninstallEntriesTest, WritesEveryValueWithItsTypeAndData)
{
    Write("C:\\WINDOWS\\QNTXSetup.exe");
    RegValues expected = ExpectedUninstallValues("C:\\WINDOWS\\QNTXSetup.exe /r", AppState.TargetFolder,
                                                 ModuleFolder().c_str(), "Ada Lovelace");
    EXPECT_EQ(expected, Entry());
    EXPECT_EQ((RegValues{ { "RegOwner", RegData(REG_SZ, std::string("Ada Lovelace", 13)) } }), Product());
}

// A key that cannot be created (a name longer than the registry allows) is reported, and the
// values that can be stored still are.
TEST_F(UninstallEntriesTest, EveryWriteIsAttemptedAndAFailedOneReported)
{
    EXPECT_EQ(1, WriteUninstallEntriesUnder(HKEY_CURRENT_USER, Key("Uninstall\\Quintara").c_str(),
                                            Key("Halvorn\\Quintara\\2.0").c_str(), "C:\\WINDOWS\\QNTXSetup.exe"));
    scratch.Remove();
    ASSERT_TRUE(scratch.Create());
    std::string unwritable = Key(std::string(300, 'k'));
    EXPECT_EQ(0, WriteUninstallEntriesUnder(HKEY_CURRENT_USER, Key("Uninstall\\Quintara").c_str(), unwritable.c_str(),
                                            "C:\\WINDOWS\\QNTXSetup.exe"));
    EXPECT_EQ(17u, Entry().size());
    EXPECT_EQ(0, WriteRegDword((HKEY)(ULONG_PTR)0x1234, "Key", "Value", 1));
}

TEST_F(UninstallEntriesTest, EmptyUserNameGivesEmptyOwnerValues)
{
    AppState.UserName[0] = '\0';
    Write("C:\\WINDOWS\\QNTXSetup.exe");
    EXPECT_EQ(RegData(REG_SZ, std::string(1, '\0')), Entry()["RegOwner"]);
    EXPECT_EQ(RegData(REG_SZ, std::string(1, '\0')), Product()["RegOwner"]);
}

TEST_F(UninstallEntriesTest, RewritingReplacesOurValuesAndKeepsForeignOnes)
{
    SetRaw(Key("Uninstall\\Quintara"), "DisplayName", REG_SZ, "Old", 4);
    SetRaw(Key("Uninstall\\Quintara"), "EstimatedSize", REG_DWORD, "\x10\0\0\0", 4);
    Write("C:\\WINDOWS\\QNTXSetup.exe");
    RegValues entry = Entry();
    EXPECT_EQ(18u, entry.size());
    EXPECT_EQ(RegData(REG_SZ, std::string("Quintara 2.0", 13)), entry["DisplayName"]);
    EXPECT_EQ(RegData(REG_DWORD, std::string("\x10\0\0\0", 4)), entry["EstimatedSize"]);
}

TEST_F(UninstallEntriesTest, UninstallCommandIsWrittenWholeOrNotAtAll)
{
    // 256 characters, " /r" and the terminator fill the 260 bytes exactly.
    std::string longest = "C:\\" + std::string(253, 'w');
    Write(longest.c_str());
    EXPECT_EQ(RegData(REG_SZ, longest + " /r" + '\0'), Entry()["UninstallString"]);

    scratch.Remove();
    ASSERT_TRUE(scratch.Create());
    std::string tooLong = longest + "x";
    Write(tooLong.c_str());
    RegValues entry = Entry();
    for (const char* name : { "UninstallPath", "UninstallString", "ModifyPath" })
        EXPECT_EQ(0u, entry.count(name)) << name << " written for a " << tooLong.size() << "-character path";
    EXPECT_EQ(14u, entry.size());
    EXPECT_EQ(RegData(REG_SZ, std::string("Quintara 2.0", 13)), entry["DisplayName"]);
    EXPECT_EQ(1u, Product().size());
}

} // namespace
