// What the wizard and progress-window tests share: the test host beside the test program, a
// scratch folder per test and the host's result file.
#pragma once
#include "common/files.h"
#include "robot.h"
#include <gtest/gtest.h>
#include <map>
#include <string>

// The page titles, in order.
extern const char WelcomeTitle[];
extern const char LicenseTitle[];
extern const char DestinationTitle[];
extern const char PersonalizeTitle[];

std::string HostPath();

class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A folder (created) inside this test's scratch folder.
    std::string MakeFolder(const std::string& name);
    // Runs the wizard in the host with these proposals and waits for it.
    bool StartWizard(const std::string& targetFolder, const std::string& userName);
    // Presses Next from the first page until the page with this title shows.
    void GoToPage(int pageIndex);
    // The host's result file after it has ended: "result", "TargetFolder", "UserName".
    std::map<std::string, std::string> Result();

    TempFolder folder; // removed after TearDown has ended the program
    std::string scratch;
    std::string resultFile;
};

// The screen's DPI the test runs at: $QNTX_DPI (tests/wine/at-dpi.sh), else 96.
int ExpectedDpi();
// Every visible control of `dialog` that draws something (not an empty text) lies inside its
// client area and no two overlap, except that a group box or an etched frame may enclose others.
void ExpectLaidOut(HWND dialog);

// A shortened path in the form SetCompactPathText gives: the path itself, or its start, "..."
// and its end.
bool ShowsPath(const std::string& display, const std::string& path);
