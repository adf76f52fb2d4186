#pragma once
// Text rules of the settings files that need no system call: how a stored value becomes an integer, and what a
// value may not contain before it is written.
#include <string>
#include <string_view>

// Decimal with an optional sign; "$..." or "0x..."/"0X..." (longer than two characters) as hexadecimal of up to
// 32 bits. Anything else, including overflow and trailing characters, yields def.
int ParseIniInteger(std::wstring_view text, int def);

// A profile line ends at CR or LF, so a value carrying one would start a key of its own.
std::wstring StripLineBreaks(std::wstring_view text);
