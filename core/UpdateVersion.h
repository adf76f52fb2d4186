#pragma once
// The version comparison of the update check: the number the maker's server offers against the running program's.
#include <array>
#include <optional>
#include <string>
#include <string_view>

// The status line's language keys (section Updateform), in the order a check can show them.
enum class UpdateStatus { UPD1, UPD2, UPD3, UPD4, UPD5 };
const wchar_t* StatusKey(UpdateStatus status);

// "major.minor.release.build": exactly four dot-separated decimal numbers.
std::optional<std::array<unsigned long, 4>> ParseFileVersion(std::wstring_view text);

// UPD4 only when the server offers a higher version than the program's own; the same or an older one is UPD3.
// When either side is no four-number version the texts are compared: equal UPD3, different UPD4.
UpdateStatus CompareVersions(const std::wstring& newest, const std::wstring& own);
