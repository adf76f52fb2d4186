#pragma once
// The installer's windows, made in the program's order: the set-up window (the main form), the restart notice,
// the download notice, the about box and the manual window, each handed to the set-up window. The program body
// calls this; tests call it to get the windows the installer has.
#include <windows.h>

#include <string>

class TOstrel_Setup;

// The installer's icon (resource "OSTREL_SETUP" of the running program file; the system's application icon when
// the file has none).
HICON SetupProgramIcon();

// Sets the application's icon and makes the windows through gui::Application. programFolder: the folder of the
// installer's companion files.
TOstrel_Setup* CreateSetupForms(const std::wstring& programFolder);
