// Deletions of files at the next start of Windows: the [rename] section of Wininit.ini, and
// on the NT family the system's own list (PendingFileRenameOperations). The uninstaller
// enters its own; setup withdraws those that name a file it is about to write.
#pragma once

// Enters entry as the first line of Wininit.ini's [rename] section.
void ScheduleBootRename(const char* entry);

// Windows of the NT family ignore Wininit.ini: there the system is also asked to delete path
// (a full path) at its next start. 1 when the system took the deletion; 0 when it refused, and
// on other platforms, where it does nothing.
int ScheduleNtBootDelete(const char* path);

// Removes every pending deletion of path (a full path), named by its short or its long form
// in any case: the "NUL=" lines of Wininit.ini's [rename] section and the deletions of the
// system's list. Every other line and entry stays as it was. Reads both once per run while
// nothing is pending, and rewrites only what holds a match.
void WithdrawBootDeletion(const char* path);
