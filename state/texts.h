// Every message and fixed text the program shows or writes, named after where it appears.
#pragma once
#include <windows.h>

extern const char CaptionSetup[];
extern const char CaptionUninstall[];
extern const char CaptionError[];
extern const char CaptionWarning[];

// Install flow
extern const char HostKeyPath[];
extern const char HostValueName[];
extern const char DefaultHostFolder[];
extern const char HostScriptsSubfolder[];
extern const char OwnerKeyPath[];
extern const char OwnerValueName[];
extern const char DataFileSuffix[];
extern const char SetupLogName[];
extern const char UninstallerName[];
extern const char MsgCannotOpenDataFile[];
extern const char MsgSetupAborted[];
extern const char MsgCannotCreateFolder[];
extern const char MsgCannotLocateTargetFormat[];
extern const char MsgCannotCreateLog[];
extern const char MsgCannotShowWizard[];
extern const char MsgCannotCopyUninstallerFormat[];
extern const char MsgCannotWriteRegistry[];
extern const char MsgCreatingRegistryKeys[];
extern const char MsgSetupComplete[];

// Extraction
extern const char TempFilePrefix[];
extern const char MsgCannotCreateTempFile[];
extern const char MsgCannotReadDataFile[];
extern const char MsgInvalidFileNameFormat[];
extern const char MsgPathTooLongFormat[];
extern const char MsgCannotInstallFileFormat[];

// Uninstall entries: the Add/Remove Programs key and the product key, below HKEY_LOCAL_MACHINE
extern const char UninstallKeyPath[];
extern const char ProductKeyPath[];
extern const char ValueDisplayName[];
extern const char ValueUninstallPath[];
extern const char ValueUninstallString[];
extern const char ValueModifyPath[];
extern const char ValueInstallLocation[];
extern const char ValueInstallSource[];
extern const char ValueDisplayVersion[];
extern const char ValueVersionMajor[];
extern const char ValueVersionMinor[];
extern const char ValuePublisher[];
extern const char ValueProductID[];
extern const char ValueRegOwner[];
extern const char* const EmptyValueNames[]; // written as empty texts, in this order
extern const int EmptyValueCount;
extern const char ProductDisplayName[];
extern const char ProductDisplayVersion[];
extern const char ProductPublisher[];
extern const char UninstallSwitch[];

// Uninstall flow
extern const char MsgNotInstalled[];
extern const char MsgConfirmUninstall[];
extern const char MsgCannotOpenLogFormat[];
extern const char MsgUninstallComplete[];
extern const char MsgUninstallErrors[];
extern const char MsgFilesRemovedAtRestart[]; // heads the list of files left to the next start
extern const char MsgFilesNotRemoved[];       // heads the list of files that stay
extern const char MsgMoreFilesFormat[];       // ends a list cut short: how many more
extern const char BootDeleteEntryFormat[];

// Wininit.ini, in the Windows directory
extern const char WininitName[];
extern const char WininitCopyName[];
extern const char RenameSectionHeader[];
extern const char BootDeleteKey[];       // "NUL=": the start of a deletion line

// The system's own list of deletions at its next start (NT family), below HKEY_LOCAL_MACHINE
extern const char SessionManagerKeyPath[];
extern const WCHAR PendingRenamesValueName[];
extern const WCHAR NtPathPrefix[];

// Background window
extern const char BackgroundClassName[];
extern const char SetupTitle[];          // also the window's title
extern const char UninstallTitle[];
extern const char CreditsLine[];
extern const char CopyrightNotice[];

// Wizard
extern const char MsgUserNameTooShort[];
extern const char BrowseTitle[];
extern const char LicenseText[];
