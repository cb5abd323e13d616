// Deletion of a file at the next start of Windows through Wininit.ini.
#pragma once

void ScheduleBootRename(const char* entry);
