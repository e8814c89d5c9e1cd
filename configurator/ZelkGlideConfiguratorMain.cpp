#include <windows.h>

#include "configurator/ZelkGlideConfigurator.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    return zelk::ConfiguratorWinMain(instance, previousInstance, commandLine, showCommand);
}
