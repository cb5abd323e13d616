// Steps and checks shared by the end-to-end scenarios: the distribution medium, the wizard
// walked through as a person does, and what an installation leaves on the system.
#pragma once
#include "system_state.h"
#include <string>
#include <vector>

extern const char UninstallKey[];
extern const char ProductKey[];
extern const char HostKey[];
extern const char OwnerKey[];
extern const char DefaultTarget[];
extern const char Medium[];   // the distribution folder setup runs from

std::string MediumExe();
std::string MediumData();
std::string Log();            // the setup log in the Windows directory
std::string Uninstaller();    // the uninstaller copy in the Windows directory

// Lays the medium: QNTXSetup.exe, the data file (none for an empty name) and decoy DLLs.
void PrepareMedium(const std::string& dataFile = BuildPath("QNTX_DEMO_DATA"));
void ExpectNoDecoyLoaded();
// Creates the host's script folder above the target: setup creates one level only.
void PrepareHostFolder(const std::string& target = DefaultTarget);
void StartSetup();
void WalkToPersonalize();
void FinishWizard(const std::string& userName);
void ExpectSetupComplete();
// The demo payload installed into the default target by the robot.
void InstallDemo(const std::string& userName = "Quintara Tester");

std::string ExpectedLog(const std::string& target, const std::vector<ManifestEntry>& entries);
std::string DestinationOf(const std::string& target, const std::string& name);
void ExpectNothingInstalled();
void ExpectRegText(const char* key, const char* name, const std::string& text);
void ExpectEntries(const std::string& target, const std::string& owner);
// The rightmost column of the backdrop's white title, once the backdrop has been painted.
int BackdropTitleRightEdge();
void ExpectInstalled(const std::string& target, const std::vector<ManifestEntry>& entries);
