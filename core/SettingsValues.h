#pragma once
// Text forms of settings values that need no system call: colour text and the font-style code.
#include "core/Settings.h"

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

// A window's place and size, and the part of a screen windows may use (its work area, right and bottom exclusive).
struct WindowBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const WindowBounds&) const = default;
};
struct WorkAreaRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// Where a stored window may open so that the user sees it whole: a size below 1 takes fallback's, a size larger
// than the area shrinks to it, and the window is moved the least that puts it inside the area.
WindowBounds FitIntoWorkArea(WindowBounds stored, const WindowBounds& fallback, const WorkAreaRect& area);

// A stored index of a list of count items: kept when it names one (0..count-1), else current stays.
int IndexWithin(int stored, int count, int current);
