// The rule that picks installing or uninstalling from the command line.
#include "app/application.h"
#include "state/app_state.h"
#include <gtest/gtest.h>

static void ExpectMode(const char* commandLine, int expected)
{
    EXPECT_EQ(expected, InstallModeFromCommandLine(commandLine)) << "command line: [" << commandLine << "]";
}

TEST(CommandLine, InstallsWithoutAnUninstallSwitch)
{
    for (const char* line : { "setup.exe", "setup.exe xyz", "setup.exe /x r", "setup.exe --r", "setup.exe ",
                              "\"C:\\My Setup\\setup.exe\"", "\"C:\\My Setup\\setup.exe /r", "setup.exe /",
                              "setup.exe\t-", "" })
        ExpectMode(line, InstallModeSetup);
}

TEST(CommandLine, UninstallsOnRAfterAtMostOneSwitchCharacter)
{
    for (const char* line : { "setup.exe /r", "setup.exe -R", "setup.exe r", "setup.exe /Remove",
                              "\"C:\\Program Files\\x y\\setup.exe\"    /r", "setup.exe \t \t-rest",
                              "\"C:\\WINDOWS\\QNTXSetup.exe\" /r", "setup.exe\t/R" })
        ExpectMode(line, InstallModeUninstall);
}

TEST(CommandLine, QuotedNameEndsAtItsClosingQuoteEvenWithoutABlank)
{
    // Only the closing quote itself is stepped over; no blank is needed after it.
    ExpectMode("\"setup.exe\"r", InstallModeUninstall);
    ExpectMode("\"setup.exe\"xr", InstallModeSetup);
}
