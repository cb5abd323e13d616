#include "state/texts.h"

const char CaptionSetup[] = "Setup";
const char CaptionUninstall[] = "Uninstall";
const char CaptionError[] = "Error";
const char CaptionWarning[] = "Warning";

const char HostKeyPath[] = "Software\\Corel\\CorelDRAW\\9.0";
const char HostValueName[] = "Destination";
const char DefaultHostFolder[] = "C:\\Program Files\\Corel\\Graphics9";
const char HostScriptsSubfolder[] = "Photopnt\\Scripts\\Scripts";
const char OwnerKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char OwnerValueName[] = "RegisteredOwner";
const char DataFileSuffix[] = "z";
const char SetupLogName[] = "QNTXSetup.log";
const char UninstallerName[] = "QNTXSetup.exe";
const char MsgCannotOpenDataFile[] = "Unable to open Setup Data File. Exiting...";
const char MsgSetupAborted[] = "Setup aborted.";
const char MsgCannotCreateFolder[] = "Unable to create specified folder";
const char MsgCannotLocateTargetFormat[] = "Unable to locate target folder: \"%s\"";
const char MsgCannotCreateLog[] =
    "Unable to create Setup Log File. If you continue now, you may not be able to uninstall "
    "Quintara later.\rDo you want to continue?";
const char MsgCannotShowWizard[] = "Unable to show the Setup wizard.";
const char MsgCannotCopyUninstallerFormat[] =
    "Unable to create the uninstaller: \"%s\"\rQuintara cannot be removed through Add/Remove Programs.";
const char MsgCannotWriteRegistry[] =
    "Unable to write the registry entries of Quintara.\rIt may not appear in Add/Remove Programs.";
const char MsgCreatingRegistryKeys[] = "Creating Registry Keys...";
const char MsgSetupComplete[] = "Setup complete.";

const char TempFilePrefix[] = "~qtx";
const char MsgCannotCreateTempFile[] = "Error creating temporary file";
const char MsgCannotReadDataFile[] = "Error reading Setup Data file";
const char MsgInvalidFileNameFormat[] = "Invalid file name in Setup Data file: \"%s\"";
const char MsgPathTooLongFormat[] = "Destination path too long: \"%s\"";
const char MsgCannotInstallFileFormat[] = "Unable to install file: \"%s\"";

const char UninstallKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintara";
const char ProductKeyPath[] = "Software\\Halvorn\\Quintara\\2.0";
const char ValueDisplayName[] = "DisplayName";
const char ValueUninstallPath[] = "UninstallPath";
const char ValueUninstallString[] = "UninstallString";
const char ValueModifyPath[] = "ModifyPath";
const char ValueInstallLocation[] = "InstallLocation";
const char ValueInstallSource[] = "InstallSource";
const char ValueDisplayVersion[] = "DisplayVersion";
const char ValueVersionMajor[] = "VersionMajor";
const char ValueVersionMinor[] = "VersionMinor";
const char ValuePublisher[] = "Publisher";
const char ValueProductID[] = "ProductID";
const char ValueRegOwner[] = "RegOwner";
const char* const EmptyValueNames[] = {
    "RegCompany", "HelpTelephone", "HelpLink", "URLUpdateInfo", "URLInfoAbout",
};
const int EmptyValueCount = sizeof EmptyValueNames / sizeof EmptyValueNames[0];
const char ProductDisplayName[] = "Quintara 2.0";
const char ProductDisplayVersion[] = "2.0";
const char ProductPublisher[] = "Halvorn";
const char UninstallSwitch[] = " /r";

const char MsgNotInstalled[] =
    "Unable to locate Quintara installation.\rQuintara was not installed on your system or the "
    "installation is damaged.\rUninstall will not continue...";
const char MsgConfirmUninstall[] =
    "This will uninstall Quintara from your system.\rDo you want to continue with Uninstall?";
const char MsgCannotOpenLogFormat[] =
    "Unable to open setup log file ('%s').\rQuintara Uninstaller can't remove files from your "
    "system without the log file.\rDo you wish the Uninstaller to clear the registry entries only?";
const char MsgUninstallComplete[] = "Uninstall complete.";
const char MsgUninstallErrors[] = "There were errors during uninstall.";
const char MsgFilesRemovedAtRestart[] = "These files are in use and will be removed when Windows restarts:";
const char MsgFilesNotRemoved[] = "These files could not be removed:";
const char MsgMoreFilesFormat[] = "...and %d more.";
const char BootDeleteEntryFormat[] = "NUL=%s";

const char WininitName[] = "Wininit.ini";
const char WininitCopyName[] = "Wininit.~in";
const char RenameSectionHeader[] = "[rename]";
const char BootDeleteKey[] = "NUL=";

const char SessionManagerKeyPath[] = "System\\CurrentControlSet\\Control\\Session Manager";
const WCHAR PendingRenamesValueName[] = L"PendingFileRenameOperations";
const WCHAR NtPathPrefix[] = L"\\?" L"?\\"; // split: no trigraph

const char BackgroundClassName[] = "QTXSetupClass";
const char SetupTitle[] = "Quintara Setup";
const char UninstallTitle[] = "Quintara Uninstall";
const char CreditsLine[] = "Skelda Setup Utility 2.0";
const char CopyrightNotice[] = "Copyright (c) 2026 Skelda Software. All rights reserved.";

const char MsgUserNameTooShort[] = "The User Name must be at least 6 characters long";
const char BrowseTitle[] = "Select the destination folder";
