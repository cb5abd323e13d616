// Not a test: one timed installation for scripts/bench-install.sh. Proposes QNTX_BENCH_HOST
// (a Windows folder, created with its script folders) as the host application's folder, walks
// the real installer QNTX_BENCH_SETUP through its wizard and prints the milliseconds from
// pressing Finish to the "Setup complete." box appearing, measured here with
// QueryPerformanceCounter (the robot looks every 20 ms).
#include "install_steps.h"
#include "robot/robot.h"
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

using namespace robot;

namespace {

std::string Setting(const char* name)
{
    const char* value = getenv(name);
    return value ? value : "";
}

// Setup creates only the last level of the target: make the ones above it.
bool ProposeHostFolder(const std::string& host)
{
    std::string scripts = host + "\\Photopnt\\Scripts";
    for (const std::string& folder : {host, host + "\\Photopnt", scripts})
        if (!CreateDirectoryA(folder.c_str(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Corel\\CorelDRAW\\9.0", 0, NULL, 0, KEY_SET_VALUE,
                        NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, "Destination", 0, REG_SZ, (const BYTE*)host.c_str(),
                                 DWORD(host.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

} // namespace

TEST(InstallBench, FinishToSetupComplete)
{
    ASSERT_TRUE(ProposeHostFolder(Setting("QNTX_BENCH_HOST")));
    SetStepTimeoutMs(900000);   // a large payload under an emulated Wine takes minutes
    ASSERT_TRUE(StartProgram(Setting("QNTX_BENCH_SETUP"), ""));
    WalkToPersonalize();
    TypeInto(102, "Bench Marker");
    ExpectFinishEnabled();
    ASSERT_FALSE(RobotFailed());

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PressFinish();
    bool complete = ExpectMessageBox("Setup", "Setup complete.");
    QueryPerformanceCounter(&end);
    if (complete)
        printf("elapsed_ms: %.1f\n", double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart));
    AnswerMessageBox(IDOK);
    ExpectExitCode(0);
}
