#include "install/setup_flow.h"

void RunSetup(HWND)
{
}

int EnsureFolder(HWND, const char*)
{
    return 0;
}
