// Deletion of a file at the next start of Windows through Wininit.ini.
#pragma once

void ScheduleBootRename(const char* entry);

// Windows of the NT family ignore Wininit.ini: there the system is also asked to delete path
// (a full path) at its next start. Does nothing on other platforms.
void ScheduleNtBootDelete(const char* path);
