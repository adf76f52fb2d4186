#pragma once
// The check for a newer program version: the maker's web server keeps "update.ini" with [Version] Ostrel=a.b.c.d;
// the check fetches it into the program folder and compares that number with the running program's own.
#include "core/UpdateVersion.h"

#include <filesystem>
#include <functional>
#include <string>

// Both on the maker's web server, MakerHomePage (app/common/AboutBox.h).
std::wstring UpdateFileAddress();   // MakerHomePage + "/update.ini"
std::wstring DownloadPageAddress(); // MakerHomePage + "/html/downloads.html"

// The file version of a file's version resource as "a.b.c.d"; empty when the file has none.
std::wstring FileVersionString(const std::wstring& file);
// The file version of the running program.
std::wstring RunningProgramVersion();

using DownloadFunction = std::function<bool(const std::wstring& address, const std::wstring& localPath)>;

// One program run's update checks. NewestVersion survives failed checks and files without the key.
struct UpdateCheck {
    std::wstring Address = UpdateFileAddress();
    std::filesystem::path LocalCopy; // program folder + "update.ini"; stays after the check
    std::wstring OwnVersion;         // the running program's version string
    std::wstring NewestVersion;      // empty until a check has read one
    DownloadFunction Download;       // DownloadToFile unless a caller supplies another
    std::function<void(UpdateStatus)> OnStatus;

    // Runs one check, reporting each status as it is reached; returns the last one.
    UpdateStatus CheckForNewVersion();
};
