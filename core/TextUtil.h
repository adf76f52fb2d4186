#pragma once
// Small text and path helpers that need no system: backslash-separated paths as strings, quoting, and letter case
// for the texts the program defines itself (keys, switches, extensions), which are ASCII. Case of file names goes
// by the system's rules instead (win/SystemText.h).
#include <string>
#include <string_view>

// A folder path with exactly one trailing backslash added where it has none; the empty string stays empty.
std::wstring WithTrailingBackslash(std::wstring_view folder);
// The path without any trailing backslashes ("C:\" becomes "C:").
std::wstring WithoutTrailingBackslashes(std::wstring_view path);

// The text in double quotes, as a command line takes a path with blanks.
std::wstring Quoted(std::wstring_view text);

// Only the letters A-Z and a-z change; every other character stays as it is.
std::wstring UpperCaseAscii(std::wstring text);
std::wstring LowerCaseAscii(std::wstring text);
// Equal when they differ at most in the case of A-Z.
bool EqualNoCaseAscii(std::wstring_view a, std::wstring_view b);
