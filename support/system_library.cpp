#include "support/system_library.h"
#include "support/paths.h"

static HMODULE CommonControls;
static HMODULE Lz;

void RestrictDllSearchToSystem()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesProc)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesProc setDirectories =
        kernel ? (SetDefaultDllDirectoriesProc)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories") : NULL;
    if (setDirectories)
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// Loads `name` from the system folder, once. By name where the system can be told to search
// the system folder alone: only a load by name gets the side-by-side version the manifest asks
// for (COMCTL32 6); a full path would get version 5. Systems without that search option get the
// full path.
static HMODULE LoadFromSystemFolder(HMODULE* cache, const char* name)
{
    if (*cache)
        return *cache;
    *cache = LoadLibraryExA(name, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (*cache)
        return *cache;
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !AppendPathComponent(path, name))
        return NULL;
    *cache = LoadLibraryA(path);
    return *cache;
}

static FARPROC SystemProc(HMODULE* cache, const char* dll, const char* proc)
{
    HMODULE module = LoadFromSystemFolder(cache, dll);
    return module ? GetProcAddress(module, proc) : NULL;
}

void FreeSystemLibraries()
{
    if (CommonControls)
        FreeLibrary(CommonControls);
    if (Lz)
        FreeLibrary(Lz);
    CommonControls = NULL;
    Lz = NULL;
}

void InitCommonControlsFromSystem()
{
    typedef void(WINAPI * Proc)(void);
    Proc proc = (Proc)(void*)SystemProc(&CommonControls, "comctl32.dll", "InitCommonControls");
    if (proc)
        proc();
}

INT_PTR PropertySheetFromSystem(LPCPROPSHEETHEADERA header)
{
    typedef INT_PTR(WINAPI * Proc)(LPCPROPSHEETHEADERA);
    Proc proc = (Proc)(void*)SystemProc(&CommonControls, "comctl32.dll", "PropertySheetA");
    return proc ? proc(header) : -1;
}

INT LzInit(INT file)
{
    typedef INT(WINAPI * Proc)(INT);
    Proc proc = (Proc)(void*)SystemProc(&Lz, "lz32.dll", "LZInit");
    return proc ? proc(file) : LZERROR_BADINHANDLE;
}

INT LzRead(INT file, char* buffer, INT count)
{
    typedef INT(WINAPI * Proc)(INT, LPSTR, INT);
    Proc proc = (Proc)(void*)SystemProc(&Lz, "lz32.dll", "LZRead");
    return proc ? proc(file, buffer, count) : LZERROR_BADINHANDLE;
}

void LzClose(INT file)
{
    typedef void(WINAPI * Proc)(INT);
    Proc proc = (Proc)(void*)SystemProc(&Lz, "lz32.dll", "LZClose");
    if (proc)
        proc(file);
}
