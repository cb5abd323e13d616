#include "install_steps.h"
#include "robot/robot.h"
#include <gtest/gtest.h>

using namespace robot;

const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintara";
const char ProductKey[] = "Software\\Halvorn\\Quintara\\2.0";
const char HostKey[] = "Software\\Corel\\CorelDRAW\\9.0";
const char OwnerKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char DefaultTarget[] = "C:\\Program Files\\Corel\\Graphics9\\Photopnt\\Scripts\\Scripts";
const char Medium[] = "C:\\medium";

std::string MediumExe()
{
    return std::string(Medium) + "\\QNTXSetup.exe";
}

std::string MediumData()
{
    return std::string(Medium) + "\\QNTXSetup.z";
}

std::string Log()
{
    return WindowsDir() + "\\QNTXSetup.log";
}

std::string Uninstaller()
{
    return WindowsDir() + "\\QNTXSetup.exe";
}

// The distribution medium: the executable, its data file (unless told otherwise) and decoy
// DLLs named like the DLLs it loads at run time, which must never be loaded from here.
void PrepareMedium(const std::string& dataFile)
{
    MakeFolders(Medium);
    ASSERT_TRUE(CopyFileA(BuildPath("QNTX_SETUP_EXE").c_str(), MediumExe().c_str(), FALSE));
    if (!dataFile.empty()) {
        ASSERT_TRUE(CopyFileA(dataFile.c_str(), MediumData().c_str(), FALSE)) << dataFile;
    }
    for (const char* dll : { "comctl32.dll", "lz32.dll" })
        ASSERT_TRUE(CopyFileA((BuildPath("QNTX_DECOYS") + "\\" + dll).c_str(),
                              (std::string(Medium) + "\\" + dll).c_str(), FALSE));
}

void ExpectNoDecoyLoaded()
{
    for (const char* dll : { "comctl32.dll", "lz32.dll" })
        EXPECT_FALSE(FileExists(std::string(Medium) + "\\" + dll + ".loaded")) << "the planted " << dll << " was loaded";
}

// The default proposal needs the host's script folder to exist: only one level is created.
void PrepareHostFolder(const std::string& target)
{
    MakeFolders(target.substr(0, target.find_last_of('\\')));
}

void StartSetup()
{
    ASSERT_TRUE(StartProgram(MediumExe(), ""));
}

void WalkToPersonalize()
{
    WaitForWizard();
    ExpectPage("Welcome");
    PressNext();
    ExpectPage("Software License Agreement");
    PressNext();
    ExpectPage("Choose Destination Location");
    PressNext();
    ExpectPage("Personalize Your Copy");
}

void FinishWizard(const std::string& userName)
{
    WalkToPersonalize();
    TypeInto(102, userName);
    ExpectFinishEnabled();
    PressFinish();
}

void ExpectSetupComplete()
{
    ExpectMessageBox("Setup", "Setup complete.");
    AnswerMessageBox(IDOK);
    ExpectExitCode(0);
}

std::string ExpectedLog(const std::string& target, const std::vector<ManifestEntry>& entries)
{
    std::string log;
    for (const ManifestEntry& entry : entries)
        if (entry.name[0] != '@')
            log += "+" + target + "\\" + entry.name + "\r\n";
    return log;
}

std::string DestinationOf(const std::string& target, const std::string& name)
{
    return name[0] == '@' ? SystemDir() + "\\" + name.substr(2) : target + "\\" + name;
}

void ExpectNothingInstalled()
{
    EXPECT_FALSE(FileExists(Log()));
    EXPECT_FALSE(FileExists(Uninstaller()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ProductKey));
}

void ExpectRegText(const char* key, const char* name, const std::string& text)
{
    RegValue value = ReadValue(HKEY_LOCAL_MACHINE, key, name);
    EXPECT_TRUE(value.present) << key << " " << name;
    EXPECT_EQ((DWORD)REG_SZ, value.type) << key << " " << name;
    EXPECT_EQ(TextData(text), value.data) << key << " " << name;
}

void ExpectEntries(const std::string& target, const std::string& owner)
{
    std::string command = Uninstaller() + " /r";
    ExpectRegText(UninstallKey, "DisplayName", "Quintara 2.0");
    ExpectRegText(UninstallKey, "UninstallPath", command);
    ExpectRegText(UninstallKey, "UninstallString", command);
    ExpectRegText(UninstallKey, "ModifyPath", command);
    ExpectRegText(UninstallKey, "InstallLocation", target);
    ExpectRegText(UninstallKey, "InstallSource", std::string(Medium) + "\\");
    ExpectRegText(UninstallKey, "DisplayVersion", "2.0");
    for (auto dword : { std::make_pair("VersionMajor", 2u), std::make_pair("VersionMinor", 0u) }) {
        RegValue value = ReadValue(HKEY_LOCAL_MACHINE, UninstallKey, dword.first);
        EXPECT_EQ((DWORD)REG_DWORD, value.type) << dword.first;
        EXPECT_EQ(DwordData(dword.second), value.data) << dword.first;
    }
    ExpectRegText(UninstallKey, "Publisher", "Halvorn");
    ExpectRegText(UninstallKey, "RegOwner", owner);
    for (const char* empty : { "ProductID", "RegCompany", "HelpTelephone", "HelpLink", "URLUpdateInfo", "URLInfoAbout" })
        ExpectRegText(UninstallKey, empty, "");
    ExpectRegText(ProductKey, "RegOwner", owner);
}

void ExpectInstalled(const std::string& target, const std::vector<ManifestEntry>& entries)
{
    for (const ManifestEntry& entry : entries) {
        std::string destination = DestinationOf(target, entry.name);
        EXPECT_TRUE(ReadFileBytes(destination) == ReadFileBytes(entry.source))
            << destination << " differs from " << entry.source;
        DWORD attributes = AttributesOf(destination);
        EXPECT_EQ(entry.hidden, attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN))
            << destination << " attributes " << std::hex << attributes;
    }
}


void InstallDemo(const std::string& userName)
{
    PrepareMedium();
    PrepareHostFolder();
    StartSetup();
    FinishWizard(userName);
    ExpectSetupComplete();
}

// The rightmost column of white title pixels on the backdrop, once it has been painted.
int BackdropTitleRightEdge()
{
    Picture screen = CaptureWhenStill(NULL);
    int right = 0;
    for (int y = 35; y < 80 && y < screen.height; ++y)
        for (int x = 35; x < screen.width / 2; ++x)
            if (screen.At(x, y) == 0xFFFFFF && x > right)
                right = x;
    return right;
}
