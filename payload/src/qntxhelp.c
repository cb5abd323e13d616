/* qntxhelp.dll: the small helper Quintara's scripts may call for their version and
   default settings. Built without the C runtime so that it needs nothing but KERNEL32. */
#include <windows.h>

static const char Defaults[] = "FrameWidth=24;GlowRadius=12;TileColumns=3;TileRows=3";

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

__declspec(dllexport) DWORD WINAPI QuintaraVersion(void)
{
    return 0x00020000;
}

/* Copies the default settings into buffer (size bytes); returns their length. */
__declspec(dllexport) int WINAPI QuintaraDefaults(char* buffer, int size)
{
    int length = lstrlenA(Defaults);
    if (buffer && size > 0)
        lstrcpynA(buffer, Defaults, size);
    return length;
}
