#pragma once
// The shell's own context menu for files and folders, and shell verbs run on them by name. The views show the menu
// and act on the verb the user chose: "rename" (and "paste" unless the shell is asked to paste) is left to them.
// Every shell failure ends a routine quietly: the display routines show or run nothing, the execute routines
// return false. All routines run on the user-interface thread; points are in screen coordinates.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

// Context menu of one file or folder given by its full path. Verb receives the chosen command's verb in lower
// case, empty when nothing was chosen.
void ShellDisplayContextMenu(HWND Handle, POINT Position, const std::wstring& Path, bool CanRename, std::wstring& Verb,
                             bool ShellPaste = false);
// Context menu of several items of one folder (names relative to Folder); rename is never offered. Names that do
// not name an item directly in Folder are left out; when none is left nothing is shown.
void ShellDisplayContextMenuList(HWND Handle, POINT Position, const std::wstring& Folder,
                                 const std::vector<std::wstring>& Names, std::wstring& Verb, bool ShellPaste = false);
// The common core: Items are Count single-level lists relative to Folder.
void ShellDisplayContextMenuItems(HWND Handle, POINT Position, IShellFolder* Folder, int Count, LPCITEMIDLIST* Items,
                                  bool CanRename, std::wstring& Verb, bool ShellPaste = false);

// Runs Verb (empty: the item's default command) on one file or folder; true when the shell carried it out.
bool ShellExecuteContextVerb(HWND Handle, const std::wstring& Verb, const std::wstring& Path);
// Runs Verb on the items of one folder named in Names (the same rules as ShellDisplayContextMenuList).
bool ShellExecuteContextVerbList(HWND Handle, const std::wstring& Verb, const std::wstring& Folder,
                                 const std::vector<std::wstring>& Names);
bool ShellExecuteContextVerbItems(HWND Handle, const std::wstring& Verb, IShellFolder* Folder, int Count,
                                  LPCITEMIDLIST* Items);

// The step that shows the filled menu and returns the chosen command number (0: dismissed). Owner is the hidden
// callback window while the shell draws its own items, else the caller's window. Replaceable so that a command
// can be chosen without a person at the screen; the tracker must not throw.
using TContextMenuTracker = std::function<UINT(HMENU Menu, HWND Owner, POINT Position, IContextMenu* Commands)>;
// Installs Tracker (empty: the real menu again) and returns the one it replaces.
TContextMenuTracker SetContextMenuTracker(TContextMenuTracker Tracker);

// The hidden window that forwards the shell's owner-drawn menu messages while such a menu is on screen.
inline constexpr wchar_t ShellDialogsCallBackClass[] = L"ShellDialogsCallBack";
LRESULT CALLBACK ShellDialogsCallBackProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
