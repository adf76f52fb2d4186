#pragma once
// Texts by the system's rules. Letter case, the way the file system compares names: "ä" and "Ä" are one letter, and so
// are the letters of every script the system's case table knows. For texts the program defines itself (ASCII keys),
// core/TextUtil.h has the ASCII-only forms.
#include <string>
#include <string_view>

std::wstring UpperCase(std::wstring text);
std::wstring LowerCase(std::wstring text);

// Ordinal comparison after upper-casing both by the system's table, as the file system tells names apart: no
// language rules, so the result is the same on every machine.
bool EqualNoCase(std::wstring_view a, std::wstring_view b);
bool LessNoCase(std::wstring_view a, std::wstring_view b);

// The system's wording of an error code in the language of the Windows it runs on, without the line break it ends
// with; empty when the system has no text for the code.
std::wstring SystemMessage(unsigned long code);
