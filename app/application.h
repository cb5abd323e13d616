// Process entry: mode selection and the run of one flow.
#pragma once
#include <windows.h>

int RunApplication(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

// Sets AppState.InstallMode from the process command line (GetCommandLineA).
void ParseInstallMode();

// The rule behind ParseInstallMode, on a given command-line text: 1 uninstalls, 0 installs.
int InstallModeFromCommandLine(const char* commandLine);
