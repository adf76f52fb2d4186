#pragma once
// Text conversions with a stated encoding, the same on every platform. A std::wstring holds UTF-16: one code unit
// per wchar_t, also where wchar_t is wider (so core's results match the Windows build unit for unit).
#include <exception>
#include <string>
#include <string_view>

// Windows-1252, the ANSI code page of the files the programs store. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same value, as Windows maps them.
std::wstring WideFromWindows1252(std::string_view bytes);
// Characters the code page lacks become replacement.
std::string Windows1252FromWide(std::wstring_view text, char replacement = '?');

// UTF-8. A byte sequence that is no UTF-8 becomes U+FFFD; so does a surrogate that has no partner.
std::wstring WideFromUtf8(std::string_view bytes);
std::string Utf8FromWide(std::wstring_view text);

// The message of an exception as the user reads it. The program words every exception message in UTF-8, so that a
// path in it keeps each of its characters whatever the system's code page.
std::wstring ErrorMessage(const std::exception& error);
