#include "app/application.h"
#include "support/system_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    RestrictDllSearchToSystem();
    return RunApplication(instance, previousInstance, commandLine, showCommand);
}
