#pragma once
// The windows of the conversion program, made in the program's order: the main window (whose creation reads the
// settings and the language file), the update window, then the twelve dialogs, each handed to the windows that
// open it. The program body calls this under its splash; tests call it to get the windows the program has.
#include "gui/Form.h"

#include <string>

// The program's icon (resource "OSTREL" of the running program file; the system's application icon when the file
// has none): the windows', the taskbar's and the tray's.
HICON OstrelProgramIcon();

// Sets the application's icon, makes every window through gui::Application (the first is the main form) and fills
// the program-wide window pointers of Ostrel_Unit.h. intro, when given, is hidden once the update window exists.
// Throws what a window's creation throws; the windows made so far stay with gui::Application.
void CreateOstrelForms(const std::wstring& commandLineFile, gui::TForm* intro);

// Sets the program-wide window pointers back to null (after gui::Application.DestroyForms()).
void ForgetOstrelForms();
