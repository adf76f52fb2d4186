#include "core/Settings.h"

#include <algorithm>

int ClampRadioIndex(int index, int count) {
    return std::clamp(index, -1, count - 1);
}

int ClampSpinValue(int value, int min, int max) {
    return std::clamp(value, min, max);
}

void ClampToControls(DialogSettings& s) {
    s.DeleteInputs = ClampRadioIndex(s.DeleteInputs, kRadioCountYesNo);
    s.AutoStart = ClampRadioIndex(s.AutoStart, kRadioCountYesNo);
    s.OutputType = ClampRadioIndex(s.OutputType, kOutputTypeCount);
    s.PdfLevel = ClampRadioIndex(s.PdfLevel, kPdfLevelCount);
    s.MayChangePdfLevel = ClampRadioIndex(s.MayChangePdfLevel, kRadioCountYesNo);
    s.PdfResolution = ClampRadioIndex(s.PdfResolution, kPdfResolutionCount);
    s.PdfPreset = ClampRadioIndex(s.PdfPreset, kPdfPresetCount);
    s.AutoRotatePages = ClampRadioIndex(s.AutoRotatePages, kRadioCountYesNo);
    s.SendMail = ClampRadioIndex(s.SendMail, kRadioCountYesNo);
    s.MailMode = ClampRadioIndex(s.MailMode, kMailModeCount);
    s.PollSeconds = std::max(s.PollSeconds, kPollSecondsControlMin);
    s.ImageResolution = ClampSpinValue(s.ImageResolution, kImageResolutionMin, kImageResolutionMax);
    s.JpegQuality = ClampSpinValue(s.JpegQuality, kJpegQualityMin, kJpegQualityMax);
}
