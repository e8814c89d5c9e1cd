#pragma once

// The configurator program: the settings tree's version check, the
// Direct3D enumeration, the four pages in their property sheet, and the
// report of a failed start.
#include <windows.h>

namespace zelk {

// Shows the sheet until the user closes it; 0 then.  Throws ZelkException
// when it cannot start (logged; a failed page key also removes the whole
// settings tree, a missing Direct3D leaves it alone).
int Run(HINSTANCE instance, const char* commandLine, int showCommand);

// The program's entry: initialises COM and the common controls, runs the
// sheet, and reports a failed start in a message box; the result is the
// program's exit code (non-zero after a failure).
int ConfiguratorWinMain(HINSTANCE instance, HINSTANCE previousInstance, const char* commandLine, int showCommand);

// The sheet's caption and the failure box's caption.
extern const char* const kConfiguratorCaption;

}  // namespace zelk
