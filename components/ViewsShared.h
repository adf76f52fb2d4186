#pragma once
// What every file view of the process shares: which kind of paste the clipboard's files are waiting for, which
// directory list view started the drag that is running, and how the last directory creation ended. A drop target
// stops the source view's watcher through it, and a paste after "cut" empties the clipboard of all views.
#include <windows.h>

class TDirView;

enum TClipboardMode { cmNone = 0, cmCut = 1, cmCopy = 2 };

inline TClipboardMode ViewsClipboardMode = cmNone;
// The directory list view whose drag is running (nullptr when none, or when the tree started it).
inline TDirView* DragSourceDirView = nullptr;
// GetLastError of the last directory creation by a view; 0 when it succeeded.
inline DWORD LastDirectoryCreateError = 0;
