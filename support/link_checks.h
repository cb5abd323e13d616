// Writes and deletions with administrator rights only where they were meant to land. Where
// other users may write in the destination, any of them can turn a folder or a file there
// into a junction or a symbolic link, and steer setup or the uninstaller to the link's
// target. So no folder from the root down to the file may be a reparse point, the file is
// opened without following one, and the opened object must be the path meant.
#pragma once
#include <windows.h>

// root: the folder path lies below (the destination); NULL, empty or a folder path does not
// lie below stands for path's drive root ("C:\", "\\server\share\"), whose folders are all
// checked then. The root folder itself is checked too, a drive root excepted.

// 1 when no folder from root down to path's own folder is a reparse point and path, when it
// exists, is a file of its own there.
int IsFreeOfLinks(const char* root, const char* path);

// path opened for writing, unshared, with its old content dropped only once the handle was
// found to be path itself; a file it created for nothing is removed again. The caller closes
// it. INVALID_HANDLE_VALUE when path cannot be opened or is refused.
HANDLE OpenToReplace(const char* root, const char* path);

// Sets a file's attributes through a handle that may write them (none given: normal); 1 when done.
int SetAttributesThrough(HANDLE file, DWORD attributes);

enum LinkFreeDeletion {
    FileDeleted,   // deleted, or there was nothing to delete
    FileRefused,   // a link on the way, or the object opened is not path
    FileHeld,      // in use or denied: still there, a file of its own
    FileNotDeleted // a folder, or no way to look at it
};

// Deletes the file path through the handle that was checked, its read-only attribute
// cleared first (the file is ours to remove).
LinkFreeDeletion DeleteWithoutLinks(const char* root, const char* path);
