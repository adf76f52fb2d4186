#include "core/SettingsValues.h"

#include "core/IniText.h"
#include "core/TextUtil.h"

#include <algorithm>
#include <limits>

namespace {

struct NamedColor {
    const wchar_t* name;
    std::uint32_t value;
};

// The standard colour constants: plain RGB values, then the system colours (0xFF000000 + system colour index).
constexpr NamedColor kColors[] = {
    {L"clBlack", 0x000000},
    {L"clMaroon", 0x000080},
    {L"clGreen", 0x008000},
    {L"clOlive", 0x008080},
    {L"clNavy", 0x800000},
    {L"clPurple", 0x800080},
    {L"clTeal", 0x808000},
    {L"clGray", 0x808080},
    {L"clSilver", 0xC0C0C0},
    {L"clRed", 0x0000FF},
    {L"clLime", 0x00FF00},
    {L"clYellow", 0x00FFFF},
    {L"clBlue", 0xFF0000},
    {L"clFuchsia", 0xFF00FF},
    {L"clAqua", 0xFFFF00},
    {L"clWhite", 0xFFFFFF},
    {L"clMoneyGreen", 0xC0DCC0},
    {L"clSkyBlue", 0xF0CAA6},
    {L"clCream", 0xF0FBFF},
    {L"clMedGray", 0xA4A0A0},
    {L"clScrollBar", 0xFF000000},
    {L"clBackground", 0xFF000001},
    {L"clActiveCaption", 0xFF000002},
    {L"clInactiveCaption", 0xFF000003},
    {L"clMenu", 0xFF000004},
    {L"clWindow", 0xFF000005},
    {L"clWindowFrame", 0xFF000006},
    {L"clMenuText", 0xFF000007},
    {L"clWindowText", 0xFF000008},
    {L"clCaptionText", 0xFF000009},
    {L"clActiveBorder", 0xFF00000A},
    {L"clInactiveBorder", 0xFF00000B},
    {L"clAppWorkSpace", 0xFF00000C},
    {L"clHighlight", 0xFF00000D},
    {L"clHighlightText", 0xFF00000E},
    {L"clBtnFace", 0xFF00000F},
    {L"clBtnShadow", 0xFF000010},
    {L"clGrayText", 0xFF000011},
    {L"clBtnText", 0xFF000012},
    {L"clInactiveCaptionText", 0xFF000013},
    {L"clBtnHighlight", 0xFF000014},
    {L"cl3DDkShadow", 0xFF000015},
    {L"cl3DLight", 0xFF000016},
    {L"clInfoText", 0xFF000017},
    {L"clInfoBk", 0xFF000018},
    {L"clHotLight", 0xFF00001A},
    {L"clGradientActiveCaption", 0xFF00001B},
    {L"clGradientInactiveCaption", 0xFF00001C},
    {L"clMenuHighlight", 0xFF00001D},
    {L"clMenuBar", 0xFF00001E},
    {L"clNone", 0x1FFFFFFF},
    {L"clDefault", 0x20000000},
};

} // namespace

std::wstring ColorToText(std::int32_t color) {
    const auto bits = static_cast<std::uint32_t>(color);
    for (const NamedColor& c : kColors)
        if (c.value == bits)
            return c.name;
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring text = L"$";
    for (int shift = 28; shift >= 0; shift -= 4)
        text += kHex[(bits >> shift) & 0xF];
    return text;
}

std::optional<std::int32_t> TextToColor(std::wstring_view text) {
    for (const NamedColor& c : kColors)
        if (EqualNoCaseAscii(text, c.name))
            return static_cast<std::int32_t>(c.value);
    // Two different defaults tell a number apart from text that is none.
    const std::int32_t a = ParseIniInteger(text, std::numeric_limits<int>::min());
    const std::int32_t b = ParseIniInteger(text, std::numeric_limits<int>::max());
    if (a == b)
        return a;
    return std::nullopt;
}

bool IsSystemColor(std::int32_t color) {
    return (static_cast<std::uint32_t>(color) & 0xFF000000u) == 0xFF000000u;
}

int EncodeFontStyle(const FontStyle& style) {
    if (style.Bold && style.Italic)
        return 0;
    const int count = style.Bold + style.Italic + style.Underline + style.StrikeOut;
    if (count == 0)
        return 1;
    if (count > 1)
        return 0;
    if (style.Bold)
        return 2;
    if (style.Italic)
        return 3;
    if (style.Underline)
        return 4;
    return 5;
}

std::optional<FontStyle> DecodeFontStyle(int code) {
    FontStyle style;
    switch (code) {
    case 1:
        return style;
    case 2:
        style.Bold = true;
        return style;
    case 3:
        style.Italic = true;
        return style;
    case 4:
        style.Underline = true;
        return style;
    case 5:
        style.StrikeOut = true;
        return style;
    default:
        return std::nullopt;
    }
}

WindowBounds FitIntoWorkArea(WindowBounds stored, const WindowBounds& fallback, const WorkAreaRect& area) {
    const int areaWidth = std::max(area.Right - area.Left, 1);
    const int areaHeight = std::max(area.Bottom - area.Top, 1);
    if (stored.Width < 1)
        stored.Width = fallback.Width;
    if (stored.Height < 1)
        stored.Height = fallback.Height;
    stored.Width = std::clamp(stored.Width, 1, areaWidth);
    stored.Height = std::clamp(stored.Height, 1, areaHeight);
    stored.Left = std::clamp(stored.Left, area.Left, area.Left + areaWidth - stored.Width);
    stored.Top = std::clamp(stored.Top, area.Top, area.Top + areaHeight - stored.Height);
    return stored;
}

int IndexWithin(int stored, int count, int current) {
    return stored >= 0 && stored < count ? stored : current;
}
