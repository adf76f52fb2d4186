// Colour text, font-style codes and the controls' clamping.
#include "core/Settings.h"
#include "core/SettingsValues.h"

#include <gtest/gtest.h>

namespace {

TEST(ColorText, StandardNamesBothWays) {
    EXPECT_EQ(ColorToText(clWindow), L"clWindow");
    EXPECT_EQ(ColorToText(0x0000FF), L"clRed");
    EXPECT_EQ(ColorToText(0xFFFFFF), L"clWhite");
    EXPECT_EQ(ColorToText(static_cast<std::int32_t>(0xFF00000F)), L"clBtnFace");
    EXPECT_EQ(TextToColor(L"clWindow"), clWindow);
    EXPECT_EQ(TextToColor(L"CLRED"), 0x0000FF);
    EXPECT_EQ(TextToColor(L"clInfoBk"), static_cast<std::int32_t>(0xFF000018));
}

TEST(ColorText, OtherColoursAsEightHexDigits) {
    EXPECT_EQ(ColorToText(0x00C08040), L"$00C08040");
    EXPECT_EQ(ColorToText(0x00000001), L"$00000001");
    EXPECT_EQ(ColorToText(static_cast<std::int32_t>(0xFF000025)), L"$FF000025");
    EXPECT_EQ(TextToColor(L"$00C08040"), 0x00C08040);
    EXPECT_EQ(TextToColor(L"12632256"), 0xC0C0C0);
    EXPECT_EQ(TextToColor(L"0x10"), 16);
    EXPECT_EQ(TextToColor(L"-16777211"), static_cast<std::int32_t>(0xFF000005));
    EXPECT_FALSE(TextToColor(L"clNoSuchColour").has_value());
    EXPECT_FALSE(TextToColor(L"$XYZ").has_value());
    for (std::int32_t c : {0x00123456, 0x00FFFFFE, static_cast<std::int32_t>(0xFF000005), 0x1FFFFFFF})
        EXPECT_EQ(TextToColor(ColorToText(c)), c) << c;
    EXPECT_TRUE(IsSystemColor(clWindow));
    EXPECT_FALSE(IsSystemColor(0x00FFFFFF));
}

struct StyleCase {
    FontStyle style;
    int code;
};

class FontStyleCodes : public testing::TestWithParam<StyleCase> {};

TEST_P(FontStyleCodes, Encode) {
    EXPECT_EQ(EncodeFontStyle(GetParam().style), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FontStyleCodes,
    testing::Values(StyleCase{{false, false, false, false}, 1}, StyleCase{{true, false, false, false}, 2},
                    StyleCase{{false, true, false, false}, 3}, StyleCase{{false, false, true, false}, 4},
                    StyleCase{{false, false, false, true}, 5}, StyleCase{{true, true, false, false}, 0},
                    StyleCase{{true, true, true, true}, 0}, StyleCase{{true, false, true, false}, 0},
                    StyleCase{{false, false, true, true}, 0}));

TEST(FontStyleCodes, DecodeSingleStylesOnly) {
    for (int code = 1; code <= 5; ++code) {
        std::optional<FontStyle> s = DecodeFontStyle(code);
        ASSERT_TRUE(s.has_value()) << code;
        EXPECT_EQ(EncodeFontStyle(*s), code);
    }
    EXPECT_FALSE(DecodeFontStyle(0).has_value());
    EXPECT_FALSE(DecodeFontStyle(6).has_value());
    EXPECT_FALSE(DecodeFontStyle(-1).has_value());
}

TEST(ControlClamping, RadioGroupsAndSpinEdits) {
    EXPECT_EQ(ClampRadioIndex(9, 6), 5);
    EXPECT_EQ(ClampRadioIndex(-7, 6), -1);
    EXPECT_EQ(ClampRadioIndex(3, 6), 3);
    DialogSettings d;
    d.OutputType = 6;
    d.PdfLevel = 3;
    d.MayChangePdfLevel = -2;
    d.PdfResolution = 4;
    d.PdfPreset = 5;
    d.MailMode = 2;
    d.PollSeconds = -1;
    d.ImageResolution = 601;
    d.JpegQuality = -3;
    ClampToControls(d);
    EXPECT_EQ(d.OutputType, 5);
    EXPECT_EQ(d.PdfLevel, 2);
    EXPECT_EQ(d.MayChangePdfLevel, -1);
    EXPECT_EQ(d.PdfResolution, 3);
    EXPECT_EQ(d.PdfPreset, 4);
    EXPECT_EQ(d.MailMode, 1);
    EXPECT_EQ(d.PollSeconds, 0);
    EXPECT_EQ(d.ImageResolution, 600);
    EXPECT_EQ(d.JpegQuality, 0);
    d.PollSeconds = 1000000;
    ClampToControls(d);
    EXPECT_EQ(d.PollSeconds, 1000000) << "the poll period has no upper limit";
    DialogSettings defaults, clamped;
    ClampToControls(clamped);
    EXPECT_EQ(clamped, defaults);
}

} // namespace
