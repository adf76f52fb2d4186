#pragma once
// The check for a newer program version: the maker's web server keeps "update.ini" with [Version] Ostrel=a.b.c.d;
// the check fetches it into the program folder and compares that number with the running program's own.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Both on the maker's web server, MakerHomePage (app/common/AboutBox.h).
std::wstring UpdateFileAddress();   // MakerHomePage + "/update.ini"
std::wstring DownloadPageAddress(); // MakerHomePage + "/html/downloads.html"

// The status line's language keys (section Updateform), in the order a check can show them.
enum class UpdateStatus { UPD1, UPD2, UPD3, UPD4, UPD5 };
const wchar_t* StatusKey(UpdateStatus status);

// "major.minor.release.build": exactly four dot-separated decimal numbers.
std::optional<std::array<unsigned long, 4>> ParseFileVersion(std::wstring_view text);

// UPD4 only when the server offers a higher version than the program's own; the same or an older one is UPD3.
// When either side is no four-number version the texts are compared: equal UPD3, different UPD4.
UpdateStatus CompareVersions(const std::wstring& newest, const std::wstring& own);

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
