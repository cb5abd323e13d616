#include "uninstall/uninstall_flow.h"

void RunUninstall(HWND)
{
}

int ReplaySetupLog(HWND)
{
    return 0;
}
