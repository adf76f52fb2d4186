#pragma once
// What every file view of the process shares: which kind of paste the clipboard's files are waiting for, which
// directory list view started the drag that is running, and how the last directory creation ended. A drop target
// stops the source view's watcher through it, and a paste after "cut" empties the clipboard of all views. And the
// shell's system image lists, which every view and drive box draws its icons from.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

class TDirView;

enum TClipboardMode { cmNone = 0, cmCut = 1, cmCopy = 2 };

inline TClipboardMode ViewsClipboardMode = cmNone;
// The directory list view whose drag is running (nullptr when none, or when the tree started it).
inline TDirView* DragSourceDirView = nullptr;
// GetLastError of the last directory creation by a view; 0 when it succeeded.
inline DWORD LastDirectoryCreateError = 0;

// The shell's system image list of small (SHGFI_SMALLICON) or large icons; null when the shell gives none. The
// shell keeps one per process and never lets a view free it, so it is asked for once and the answer kept: every
// further request would cost a look-up of the drive's icon.
inline HIMAGELIST SystemImageList(UINT iconSize) {
    const auto ask = [](UINT size) {
        SHFILEINFOW info{};
        return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | size));
    };
    static const HIMAGELIST small = ask(SHGFI_SMALLICON);
    static const HIMAGELIST large = ask(SHGFI_LARGEICON);
    return iconSize == SHGFI_SMALLICON ? small : large;
}
