#pragma once
// What the main window's file commands share with the rest of the program and with tests: how a program is started
// for the user (editor, PDF reader), the single-line input box of the new-folder command, and the small rules of the
// commands that need no window.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A program the main window starts for the user through the shell's "open" verb: the program file as the file to
// open, the document as the parameter string, no working folder, a normal window.
struct ProgramStart {
    HWND Parent = nullptr;
    std::wstring Program;
    std::wstring Parameters;
    // The process's current folder at the moment of the start (some commands set it first).
    std::wstring CurrentFolder;
};

// Replaces the shell start (tests record the starts instead); returns the previous hook. An empty hook restores the
// shell. The shell's result is not judged: a missing program simply does not start.
using ProgramStartHook = std::function<void(const ProgramStart&)>;
ProgramStartHook SetProgramStartHook(ProgramStartHook hook);
void StartProgram(HWND parent, const std::wstring& program, const std::wstring& parameters);

// A single-line input box: caption, prompt, and the text to start with. True when the user confirmed; value then
// holds the text typed. Tests answer through the hook instead of a window.
using InputQueryHook =
    std::function<bool(const std::wstring& caption, const std::wstring& prompt, std::wstring& value)>;
InputQueryHook SetInputQueryHook(InputQueryHook hook);
bool InputQuery(const std::wstring& caption, const std::wstring& prompt, std::wstring& value);

// The upper-cased extension of a path with its dot (".PDF"), empty when the file name has none.
std::wstring UpperFileExt(const std::wstring& path);
// The file name part of a path (after the last backslash, slash or drive colon).
std::wstring FileNamePart(const std::wstring& path);

// The extensions whose double-click in the input pane only opens the file and never converts it.
bool OpensWithoutConversion(const std::wstring& upperExtension);

// The text of the warning when the new-folder command could not make the folder.
std::wstring FolderNotCreatedText(const std::wstring& name);

// The registry values of the file-type registration: key below HKEY_CLASSES_ROOT and its default value (empty for
// a key created without value), in the order they are written.
struct FileTypeKey {
    std::wstring Key;
    std::wstring Value;
    bool HasValue = true;
};
// The four keys for an extension ("ps", in the case given) and a program path. The command value names the program
// in double quotes, so a path with blanks stays one program for the shell.
std::vector<FileTypeKey> FileTypeKeys(const std::wstring& extension, const std::wstring& program);
