#pragma once
// Handing a file named on a second start's command line to the copy of the program that already runs, so that
// opening a document while the program runs converts it instead of doing nothing.
#include "core/ForwardedFile.h"

#include <windows.h>

#include <optional>
#include <string>

// WM_COPYDATA carries the bytes of core/ForwardedFile, marked with kForwardFileTag among any others a window might
// receive.
// How long the second start waits for the running copy to take the file.
inline constexpr UINT kForwardTimeoutMs = 5000;

inline constexpr wchar_t kForwardFailedText[] =
    L"Die Datei konnte nicht an das laufende Ostrel \u00fcbergeben werden.\r\rThe file could not be passed to the "
    L"running Ostrel.";

// Sends the file's full path; true when the running copy accepted it within the timeout.
bool ForwardFileToRunningCopy(HWND running, const std::wstring& argument);

// The path a WM_COPYDATA message carries when it is one of ours; nullopt otherwise.
std::optional<std::wstring> ForwardedFile(const COPYDATASTRUCT* data);

// The path with the current folder applied (the second start may run in another folder).
std::wstring FullPathOf(const std::wstring& path);
