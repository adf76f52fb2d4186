#pragma once
// Text forms of settings values that need no system call: colour text and the font-style code.
#include "app/main/Settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The name of a standard colour constant ("clWindow", "clRed", ...) when one matches, else "$" and eight
// hexadecimal digits ("$00C08040").
std::wstring ColorToText(std::int32_t color);
// Accepts a standard colour name (any letter case), "$"/"0x" hexadecimal or a decimal number; nullopt otherwise.
std::optional<std::int32_t> TextToColor(std::wstring_view text);
// True for 0xFF0000nn: system colour nn, resolved by the window that paints it.
bool IsSystemColor(std::int32_t color);

// The stored Font-Style code: 1 no style, 2 bold only, 3 italic only, 4 underlined only, 5 struck out only, 0 for
// bold with italic and for every other combination.
int EncodeFontStyle(const FontStyle& style);
// The style a stored code applies: codes 1..5 give their single style; 0 and every other value apply none.
std::optional<FontStyle> DecodeFontStyle(int code);
