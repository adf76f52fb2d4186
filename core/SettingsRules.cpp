#include "core/SettingsRules.h"

#include "core/GhostscriptCommand.h"
#include "core/SettingsKeys.h"

namespace {

constexpr int kYes = 0; // item 0 of every "Ja"/"Nein" group
constexpr int kNo = 1;
constexpr int kServerMode = 1;

bool IsImageFormat(int format) {
    return format >= GsOutputJpeg && format <= GsOutputTiff24;
}

const wchar_t* FormatCaptionSuffix(int format) {
    switch (format) {
    case GsOutputPdf:
        return L"PDF";
    case GsOutputPostScript:
        return L"PS";
    case GsOutputJpeg:
        return L"JPEG";
    default:
        return L"TIFF";
    }
}

bool IsValidFormat(int format) {
    return format >= GsOutputPdf && format <= GsOutputTiff24;
}

// A setter's rule runs only when the control's value really changes, as a click on the selected item does nothing.
template <typename T, typename Rule> void ChangeAndRun(T& field, T value, Rule rule) {
    if (value == field)
        return;
    field = value;
    rule();
}

} // namespace

SettingsRules::SettingsRules(DialogSettings& values, ISettingsMainWindow& main, const IDialogEnvironment& environment)
    : values_(values), main_(main), environment_(environment) {}

// --- setters that run a rule -------------------------------------------------------------------------------------

void SettingsRules::SetOutputType(int index) {
    ChangeAndRun(values_.OutputType, ClampRadioIndex(index, kOutputTypeCount), [this] { OutputTypeChanged(); });
}

void SettingsRules::SetSendMail(int index) {
    ChangeAndRun(values_.SendMail, ClampRadioIndex(index, kRadioCountYesNo), [this] { SendMailChanged(); });
}

void SettingsRules::SetMailMode(int index) {
    ChangeAndRun(values_.MailMode, ClampRadioIndex(index, kMailModeCount), [this] { MailModeChanged(); });
}

void SettingsRules::SetFilePerPage(bool checked) {
    ChangeAndRun(values_.FilePerPage, checked, [this] { FilePerPageChanged(); });
}

void SettingsRules::SetAutoStart(int index) {
    ChangeAndRun(values_.AutoStart, ClampRadioIndex(index, kRadioCountYesNo),
                 [this] { AutoStartOrDeleteInputsChanged(); });
}

void SettingsRules::SetDeleteInputs(int index) {
    ChangeAndRun(values_.DeleteInputs, ClampRadioIndex(index, kRadioCountYesNo),
                 [this] { AutoStartOrDeleteInputsChanged(); });
}

void SettingsRules::SetMayChangePdfLevel(int index) {
    ChangeAndRun(values_.MayChangePdfLevel, ClampRadioIndex(index, kRadioCountYesNo),
                 [this] { MayChangePdfLevelChanged(); });
}

void SettingsRules::SetAutoRotatePages(int index) {
    ChangeAndRun(values_.AutoRotatePages, ClampRadioIndex(index, kRadioCountYesNo),
                 [this] { AutoRotatePagesChanged(); });
}

void SettingsRules::SetStampWatermark(bool checked) {
    ChangeAndRun(values_.StampWatermark, checked, [this] { StampWatermarkChanged(); });
}

void SettingsRules::SetPollSeconds(int seconds) {
    values_.PollSeconds = seconds < kPollSecondsControlMin ? kPollSecondsControlMin : seconds;
}

void SettingsRules::Assign(const DialogSettings& loaded, DialogKeySet keys) {
    for (const DialogKey& key : kDialogKeys) {
        if (keys == DialogKeySet::Without23 && !key.InDialogExitSet)
            continue;
        // Controls with a rule go through their setter; the rest are plain values.
        if (auto text = std::get_if<std::wstring DialogSettings::*>(&key.Member)) {
            values_.*(*text) = loaded.*(*text);
        } else if (auto number = std::get_if<int DialogSettings::*>(&key.Member)) {
            const int value = loaded.*(*number);
            if (*number == &DialogSettings::OutputType)
                SetOutputType(value);
            else if (*number == &DialogSettings::SendMail)
                SetSendMail(value);
            else if (*number == &DialogSettings::MailMode)
                SetMailMode(value);
            else if (*number == &DialogSettings::AutoStart)
                SetAutoStart(value);
            else if (*number == &DialogSettings::DeleteInputs)
                SetDeleteInputs(value);
            else if (*number == &DialogSettings::MayChangePdfLevel)
                SetMayChangePdfLevel(value);
            else if (*number == &DialogSettings::AutoRotatePages)
                SetAutoRotatePages(value);
            else if (*number == &DialogSettings::PollSeconds)
                SetPollSeconds(value);
            else
                values_.*(*number) = value;
        } else if (auto flag = std::get_if<bool DialogSettings::*>(&key.Member)) {
            const bool value = loaded.*(*flag);
            if (*flag == &DialogSettings::FilePerPage)
                SetFilePerPage(value);
            else if (*flag == &DialogSettings::StampWatermark)
                SetStampWatermark(value);
            else
                values_.*(*flag) = value;
        }
    }
    ClampToControls(values_);
}

// --- the rules ---------------------------------------------------------------------------------------------------

void SettingsRules::SetMailGroupEnabled(bool enabled) {
    enabled_.SendMail = enabled;
    enabled_.MailName = enabled;
    enabled_.MailAddress = enabled;
    enabled_.MailMode = enabled;
}

void SettingsRules::SetWatermarkControls(bool enabled, bool indicator) {
    enabled_.WatermarkFile = enabled;
    enabled_.WatermarkFileButton = enabled;
    if (indicator)
        main_.SetWatermarkIndicatorVisible(enabled);
}

void SettingsRules::OutputTypeChanged() {
    const int format = values_.OutputType;
    if (!IsValidFormat(format))
        return;
    const bool pdf = format == GsOutputPdf;
    const bool image = IsImageFormat(format);
    const bool mailOff = values_.SendMail == kNo;

    main_.SetConversionCaption(environment_.Text(L"PEC") + FormatCaptionSuffix(format));
    enabled_.SecurityButton = pdf;
    main_.SetMergeEnabled(pdf);
    enabled_.PdfResolution = pdf;
    enabled_.PdfPreset = pdf;
    enabled_.AutoRotatePages = pdf;
    enabled_.MayChangePdfLevel = pdf;
    enabled_.PdfLevel = pdf && values_.MayChangePdfLevel != kNo;
    enabled_.ShowInReader = pdf;

    if (pdf) {
        if (PdftkPresent())
            enabled_.StampWatermark = true;
        // Leaving PDF kept the box's state: coming back shows the watermark again when it is still checked.
        if (values_.StampWatermark)
            SetWatermarkControls(true, true);
    } else {
        enabled_.StampWatermark = false;
        SetWatermarkControls(false, true);
    }

    if (image) {
        if (values_.FilePerPage) {
            enabled_.ShowMailDialog = false;
            SetMailGroupEnabled(false);
        }
    } else {
        enabled_.ShowMailDialog = !mailOff;
        SetMailGroupEnabled(true);
    }

    enabled_.ImageResolutionLabel = image;
    enabled_.ImageResolution = image;
    enabled_.JpegQualityLabel = format == GsOutputJpeg;
    enabled_.JpegQuality = format == GsOutputJpeg;
    enabled_.FilePerPage = image;
    enabled_.FilePerPageLabel = image;
}

void SettingsRules::ApplyStartupFormatRules() {
    const int format = values_.OutputType;
    if (!IsValidFormat(format))
        return;
    const bool pdf = format == GsOutputPdf;
    const bool image = IsImageFormat(format);

    main_.SetConversionCaption(environment_.Text(L"PEC") + FormatCaptionSuffix(format));
    enabled_.SecurityButton = pdf;
    main_.SetMergeEnabled(pdf);
    enabled_.PdfResolution = pdf;
    enabled_.PdfPreset = pdf;
    enabled_.AutoRotatePages = pdf;
    enabled_.MayChangePdfLevel = pdf;
    enabled_.PdfLevel = pdf && values_.MayChangePdfLevel != kNo;

    if (pdf) {
        // The mail rule has already run while the values were read; here the box is offered whatever mail says.
        enabled_.ShowMailDialog = true;
        SetMailGroupEnabled(true);
    } else {
        if (values_.FilePerPage) {
            enabled_.ShowMailDialog = false;
            SetMailGroupEnabled(false);
        }
        enabled_.StampWatermark = false;
        SetWatermarkControls(false, false);
    }

    enabled_.ImageResolutionLabel = image;
    enabled_.ImageResolution = image;
    enabled_.JpegQualityLabel = format == GsOutputJpeg;
    enabled_.JpegQuality = format == GsOutputJpeg;
    enabled_.FilePerPage = image;
    enabled_.FilePerPageLabel = image;
}

void SettingsRules::SendMailChanged() {
    if (values_.SendMail == kNo) {
        enabled_.ShowMailDialog = false;
        values_.ShowMailDialog = false;
        enabled_.ShowInReader = values_.OutputType == GsOutputPdf;
    } else if (values_.SendMail == kYes) {
        enabled_.ShowMailDialog = true;
        enabled_.ShowInReader = false;
        values_.ShowInReader = false;
    }
}

void SettingsRules::MailModeChanged() {
    if (values_.MailMode < 0)
        return;
    const bool normal = values_.MailMode != kServerMode;
    enabled_.MailName = normal;
    enabled_.MailNameLabel = normal;
    enabled_.MailAddress = normal;
    enabled_.MailAddressLabel = normal;
    enabled_.MailDomain = !normal;
    enabled_.MailDomainLabel = !normal;
    enabled_.MailUserNameEnd = !normal;
    enabled_.MailUserNameEndLabel = !normal;
    enabled_.MailUserNameDigits = !normal;
    enabled_.MailUserNameDigitsLabel = !normal;
}

void SettingsRules::FilePerPageChanged() {
    if (values_.FilePerPage) {
        enabled_.ShowMailDialog = false;
        SetMailGroupEnabled(false);
    } else {
        enabled_.ShowMailDialog = values_.SendMail != kNo;
        SetMailGroupEnabled(true);
    }
}

void SettingsRules::AutoStartOrDeleteInputsChanged() {
    enabled_.ShowInReader = !(values_.AutoStart == kYes && values_.DeleteInputs == kNo);
}

void SettingsRules::MayChangePdfLevelChanged() {
    if (values_.MayChangePdfLevel == kNo)
        enabled_.PdfLevel = false;
    else if (values_.MayChangePdfLevel == kYes)
        enabled_.PdfLevel = true;
}

void SettingsRules::AutoRotatePagesChanged() {
    if (values_.AutoRotatePages == kYes)
        main_.SetAutoRotateOption(L"-dAutoRotatePages=/PageByPage ");
    else if (values_.AutoRotatePages == kNo)
        main_.SetAutoRotateOption(L"-dAutoRotatePages=/None ");
}

void SettingsRules::StampWatermarkChanged() {
    SetWatermarkControls(values_.StampWatermark, true);
}

void SettingsRules::DisableWatermarkForEncryption() {
    enabled_.StampWatermark = false;
    SetStampWatermark(false);
    enabled_.WatermarkFile = false;
    enabled_.WatermarkFileButton = false;
}

// --- life cycle --------------------------------------------------------------------------------------------------

void SettingsRules::CreateFrom(const DialogSettings& stored) {
    Assign(stored, DialogKeySet::All24);
    if (!PdftkPresent())
        SetStampWatermark(false);
    if (values_.GhostscriptProgram.empty())
        values_.GhostscriptProgram = kDefaultGhostscriptProgram;
    enabled_.PdfLevel = values_.MayChangePdfLevel == kYes;
    ApplyStartupFormatRules();
}

bool SettingsRules::FormShow() {
    const bool pdf = values_.OutputType == GsOutputPdf;
    const bool image = IsImageFormat(values_.OutputType);
    if (pdf) {
        enabled_.ShowInReader = true;
        enabled_.StampWatermark = false;
    } else {
        enabled_.ShowInReader = false;
    }
    if (values_.StampWatermark)
        main_.SetWatermarkIndicatorVisible(true);
    if (values_.FilePerPage && image) {
        enabled_.ShowMailDialog = false;
        SetMailGroupEnabled(false);
    } else if (!values_.FilePerPage && pdf) {
        enabled_.ShowMailDialog = values_.SendMail != kNo;
        SetMailGroupEnabled(true);
    }
    if (values_.MailMode == kServerMode) {
        enabled_.MailName = false;
        enabled_.MailAddress = false;
    }
    if (PdftkPresent() && pdf) {
        pdftkLabel_ = environment_.Text(L"PDFTK1");
        pdftkLabel2_ = environment_.Text(L"PDFTK3");
        enabled_.StampWatermark = true;
    } else {
        pdftkLabel_ = environment_.Text(L"PDFTK2");
        pdftkLabel2_ = environment_.Text(L"PDFTK3");
        enabled_.StampWatermark = false;
        SetStampWatermark(false);
    }
    if (values_.SendMail == kYes)
        enabled_.ShowInReader = false;
    return pdf;
}

bool SettingsRules::MailUserNameDigitsAcceptsKey(wchar_t key) {
    return (key >= L'0' && key <= L'9') || key == L'\b';
}

std::wstring SettingsRules::MailUserNameDigitsAfterEditing(const std::wstring& text) {
    if (text.empty())
        return text;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return text;
        value = value * 10 + (c - L'0');
        if (value > 255)
            return L"255";
    }
    return text;
}

// --- small commands ----------------------------------------------------------------------------------------------

ReaderCall ReaderCallFor(const std::wstring& readerProgram, const std::wstring& documentPath) {
    return {readerProgram, L"\"" + documentPath + L"\""};
}

std::wstring InitialDirOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return {};
    return path.substr(0, slash == 2 && path.size() > 1 && path[1] == L':' ? 3 : slash);
}
