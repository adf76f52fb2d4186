#pragma once
// Shell item identifier lists (the shell's binary names for files and folders), the shell allocator that owns
// every such list, and the clipboard formats the drag-and-drop and clipboard code exchanges with the shell.
// No routine here raises: failure is a null list or false.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <memory>
#include <string>

// Returns a list to the shell allocator when the owner goes.
struct TPidlDeleter {
    void operator()(ITEMIDLIST* List) const noexcept;
};
using TPidlPtr = std::unique_ptr<ITEMIDLIST, TPidlDeleter>;
using TShellFolderPtr = Microsoft::WRL::ComPtr<IShellFolder>;

// The process-wide shell allocator (SHGetMalloc), fetched on first use.
IMalloc* ShellMalloc();

// Just behind the first item; null for a null list.
LPITEMIDLIST PIDL_GetNextItem(LPCITEMIDLIST List);
// Byte size including the 2-byte terminator; 0 for a null list.
UINT PIDL_GetSize(LPCITEMIDLIST List);
// A zero-filled block of Size bytes from the shell allocator; null when it fails.
TPidlPtr PIDL_Create(UINT Size);
TPidlPtr PIDL_Copy(LPCITEMIDLIST List);
// First (may be null) without its terminator, then the whole of Second. A null Second counts as an empty list.
TPidlPtr PIDL_Concatenate(LPCITEMIDLIST First, LPCITEMIDLIST Second);
// Parent: the list without its last item; Last: the last item alone, terminated. A null list gives two nulls; a
// list that is only a terminator gives an empty parent and a null last item. List itself is not changed.
void PIDL_Split(LPCITEMIDLIST List, TPidlPtr& Parent, TPidlPtr& Last);
// The absolute list of a path, parsed by the desktop folder; null on any failure.
TPidlPtr PIDL_GetFromPath(const std::wstring& Path);
// The list of Name relative to Folder; null on failure.
TPidlPtr PIDL_GetFromParentFolder(IShellFolder* Folder, const std::wstring& Name);
// Binds the folder of an absolute list into Folder (an empty Folder is first set to the desktop). True when the
// folder is in hand: also for an empty list (the desktop itself); false for a null list or a failed bind.
bool PIDL_GetFolder(LPCITEMIDLIST List, TShellFolderPtr& Folder);
// The display name of an item relative to Folder (null: the desktop) with SHGDN flags. False when the shell
// fails or answers in a form it does not know.
bool PIDL_GetDisplayName(IShellFolder* Folder, LPCITEMIDLIST List, DWORD Flags, std::wstring& Name);
// Returns a non-null list to the shell allocator.
void PIDL_Free(LPITEMIDLIST List);
// True when both lists are non-null and byte for byte the same.
bool PIDL_Equal(LPCITEMIDLIST First, LPCITEMIDLIST Second);

// The registered clipboard formats, set when the program starts.
extern const UINT CF_FILECONTENTS;
extern const UINT CF_FILEDESCRIPTOR;
extern const UINT CF_FILENAME;
extern const UINT CF_FILENAMEMAP;
extern const UINT CF_FILENAMEMAPW;
extern const UINT CF_INSHELLDRAGLOOP;
extern const UINT CF_NETRESOURCE;
extern const UINT CF_PASTESUCCEEDED;
extern const UINT CF_PERFORMEDDROPEFFECT;
extern const UINT CF_PREFERREDDROPEFFECT;
extern const UINT CF_PRINTERFRIENDLYNAME;
extern const UINT CF_IDLIST;
extern const UINT CF_OBJECTPOSITIONS;
extern const UINT CF_URL;
