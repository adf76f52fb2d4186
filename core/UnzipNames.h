#pragma once
// How the unzip library judges the names an archive stores ("\" as separator): which entries a name pattern chooses,
// and which names may be written below the base folder at all.
#include <string>

// '*' and '?' matching, case-insensitive.
bool MatchWild(const wchar_t* pattern, const wchar_t* text);

// The part after the last "\" (the whole name when there is none).
std::wstring FilePart(const std::wstring& name);

// One part of a stored name as Windows resolves it when it opens a path: trailing dots and blanks are dropped.
std::wstring ResolvedPart(const std::wstring& part);

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 and COM or LPT with a superscript 1, 2 or 3 (also with an extension or
// trailing blanks) open a device, not a file.
bool IsDeviceName(const std::wstring& part);

// Whether a stored name, taken relative to the base folder, names a file below it: no part climbs, names a device
// or holds a character Windows gives a meaning of its own.
bool NameIsSafe(const std::wstring& relative);
