// The uninstall entry under the real HKEY_LOCAL_MACHINE of a throw-away system, as the
// platform's own clients see it: Add/Remove Programs ("uninstaller") and "reg".
#include "common/files.h"
#include "common/registry.h"
#include "install/uninstall_entries.h"
#include "state/app_state.h"
#include "state/texts.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>

namespace {

int WineMajorVersion()
{
    typedef const char*(__cdecl * GetVersionProc)();
    GetVersionProc version = (GetVersionProc)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    return version ? atoi(version()) : 0;
}

// Runs a console program of the system and returns what it wrote to its standard output.
std::string OutputOf(const std::string& commandLine)
{
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return "<no pipe>";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process;
    std::string line = commandLine;
    BOOL started = CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process);
    CloseHandle(writeEnd);
    std::string output = started ? "" : "<could not start " + commandLine + ">";
    // The pipe is drained until the program ends, not until the pipe closes: a program that
    // starts Wine's desktop process hands it the pipe, which then stays open.
    for (DWORD waited = 0; started && waited < 60000; waited += 10) {
        bool ended = WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0;
        DWORD available = 0;
        char block[4096];
        while (PeekNamedPipe(readEnd, NULL, 0, NULL, &available, NULL) && available > 0) {
            DWORD done = 0;
            if (!ReadFile(readEnd, block, available < sizeof block ? available : sizeof block, &done, NULL))
                break;
            output.append(block, done);
        }
        if (ended)
            break;
    }
    CloseHandle(readEnd);
    if (started) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    return output;
}

TEST(AddRemovePrograms, FullEntryIsWrittenAndListed)
{
    AppState.Instance = GetModuleHandleA(NULL);
    lstrcpyA(AppState.TargetFolder, "C:\\Program Files\\Corel\\Graphics9\\Photopnt\\Scripts\\Scripts");
    lstrcpyA(AppState.UserName, "Ada Lovelace");
    std::string uninstaller = WindowsFile("QNTXSetup.exe");
    WriteUninstallEntries(uninstaller.c_str());

    EXPECT_EQ(ExpectedUninstallValues(uninstaller + " /r", AppState.TargetFolder, ModuleFolder(), "Ada Lovelace"),
              ReadAllValues(HKEY_LOCAL_MACHINE, UninstallKeyPath));
    EXPECT_EQ((RegValues{ { "RegOwner", Text("Ada Lovelace") } }), ReadAllValues(HKEY_LOCAL_MACHINE, ProductKeyPath));

    std::string listed = OutputOf("uninstaller.exe --list");
    // Wine 10's uninstaller prints its list past the standard output it is given (it showed up
    // on the session's own output), so there an empty answer proves nothing; Wine 8's must list it.
    if (!(listed.empty() && WineMajorVersion() >= 10)) {
        EXPECT_NE(std::string::npos, listed.find("Quintara|||Quintara 2.0")) << listed;
    }

    std::string shown = OutputOf("reg.exe query \"HKLM\\" + std::string(UninstallKeyPath) + "\" /reg:32");
    std::string expectedLines[] = {
        "DisplayName    REG_SZ    Quintara 2.0",
        "UninstallString    REG_SZ    " + uninstaller + " /r",
        "InstallSource    REG_SZ    " + ModuleFolder(),
        "VersionMajor    REG_DWORD    0x2",
        "VersionMinor    REG_DWORD    0x0",
        "URLInfoAbout    REG_SZ    \r\n",
    };
    for (const std::string& expected : expectedLines)
        EXPECT_NE(std::string::npos, shown.find(expected)) << "[" << expected << "] not in:\n" << shown;
}

} // namespace
