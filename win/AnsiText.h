#pragma once
// Conversions between the program's UTF-16 text and the ANSI code page bytes that stored files and the
// narrow-character libraries use. A character the code page cannot hold becomes its best-fit or default character.
#include <string>
#include <string_view>

namespace win {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);

} // namespace win
