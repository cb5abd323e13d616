// Every message and fixed text the program shows or writes, named after where it appears.
#pragma once

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
extern const char MsgCreatingRegistryKeys[];
extern const char MsgSetupComplete[];

// Extraction
extern const char TempFilePrefix[];
extern const char MsgCannotCreateTempFile[];
extern const char MsgCannotReadDataFile[];
extern const char MsgInvalidFileNameFormat[];
extern const char MsgPathTooLongFormat[];
extern const char MsgCannotInstallFileFormat[];

// Uninstall entries (shown by Add/Remove Programs)
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
extern const char BootDeleteEntryFormat[];

// Wizard
extern const char MsgUserNameTooShort[];
extern const char BrowseTitle[];
extern const char LicenseText[];
