// DLLs from the system folder only. The installer is often started from a download folder
// that may hold planted DLLs, so the search order is restricted before anything loads, and
// DLLs that Windows does not protect as known DLLs (COMCTL32, LZ32) are not imported
// statically but loaded here by their full path in the system folder.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <lzexpand.h>

// Called first thing in the process; does nothing where the platform lacks the call.
void RestrictDllSearchToSystem();
// Releases what the calls below loaded; they load again on next use.
void FreeSystemLibraries();

void InitCommonControlsFromSystem();
INT_PTR PropertySheetFromSystem(LPCPROPSHEETHEADERA header);

// LZ32's expansion calls; each fails as the platform's does when LZ32 cannot be loaded
// (LZERROR_BADINHANDLE, or nothing for LzClose).
INT LzInit(INT file);
INT LzRead(INT file, char* buffer, INT count);
void LzClose(INT file);
