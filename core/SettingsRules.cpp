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

void SettingsRules::SetAuswahlRG(int index) {
    ChangeAndRun(values_.AuswahlRG, ClampRadioIndex(index, kRadioCountAuswahlRG), [this] { AuswahlRGClick(); });
}

void SettingsRules::SetMailRG1(int index) {
    ChangeAndRun(values_.MailRG1, ClampRadioIndex(index, kRadioCountYesNo), [this] { MailRG1Click(); });
}

void SettingsRules::SetNSRG1(int index) {
    ChangeAndRun(values_.NSRG1, ClampRadioIndex(index, kRadioCountNSRG1), [this] { NSRG1Click(); });
}

void SettingsRules::SetSeiteCB(bool checked) {
    ChangeAndRun(values_.SeiteCB, checked, [this] { SeiteCBClick(); });
}

void SettingsRules::SetAutostartRG1(int index) {
    ChangeAndRun(values_.AutostartRG1, ClampRadioIndex(index, kRadioCountYesNo),
                 [this] { AutostartOrLoeschenClick(); });
}

void SettingsRules::SetloeschenRG1(int index) {
    ChangeAndRun(values_.loeschenRG1, ClampRadioIndex(index, kRadioCountYesNo), [this] { AutostartOrLoeschenClick(); });
}

void SettingsRules::SetJNRG1(int index) {
    ChangeAndRun(values_.JNRG1, ClampRadioIndex(index, kRadioCountYesNo), [this] { JNRG1Click(); });
}

void SettingsRules::SetAutoRP(int index) {
    ChangeAndRun(values_.AutoRP, ClampRadioIndex(index, kRadioCountYesNo), [this] { AutoRPClick(); });
}

void SettingsRules::SetWasserzeichenCB(bool checked) {
    ChangeAndRun(values_.WasserzeichenCB, checked, [this] { WasserzeichenCBClick(); });
}

void SettingsRules::SetSpinEdit1(int seconds) {
    values_.SpinEdit1 = seconds < kSpinEdit1Min ? kSpinEdit1Min : seconds;
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
            if (*number == &DialogSettings::AuswahlRG)
                SetAuswahlRG(value);
            else if (*number == &DialogSettings::MailRG1)
                SetMailRG1(value);
            else if (*number == &DialogSettings::NSRG1)
                SetNSRG1(value);
            else if (*number == &DialogSettings::AutostartRG1)
                SetAutostartRG1(value);
            else if (*number == &DialogSettings::loeschenRG1)
                SetloeschenRG1(value);
            else if (*number == &DialogSettings::JNRG1)
                SetJNRG1(value);
            else if (*number == &DialogSettings::AutoRP)
                SetAutoRP(value);
            else if (*number == &DialogSettings::SpinEdit1)
                SetSpinEdit1(value);
            else
                values_.*(*number) = value;
        } else if (auto flag = std::get_if<bool DialogSettings::*>(&key.Member)) {
            const bool value = loaded.*(*flag);
            if (*flag == &DialogSettings::SeiteCB)
                SetSeiteCB(value);
            else if (*flag == &DialogSettings::WasserzeichenCB)
                SetWasserzeichenCB(value);
            else
                values_.*(*flag) = value;
        }
    }
    ClampToControls(values_);
}

// --- the rules ---------------------------------------------------------------------------------------------------

void SettingsRules::SetMailGroupEnabled(bool enabled) {
    enabled_.MailRG1 = enabled;
    enabled_.NameEdit = enabled;
    enabled_.MailEdit = enabled;
    enabled_.NSRG1 = enabled;
}

void SettingsRules::SetWatermarkControls(bool enabled, bool indicator) {
    enabled_.WasserzeichenEdit = enabled;
    enabled_.WasserzBtn = enabled;
    if (indicator)
        main_.SetWatermarkIndicatorVisible(enabled);
}

void SettingsRules::AuswahlRGClick() {
    const int format = values_.AuswahlRG;
    if (!IsValidFormat(format))
        return;
    const bool pdf = format == GsOutputPdf;
    const bool image = IsImageFormat(format);
    const bool mailOff = values_.MailRG1 == kNo;

    main_.SetConversionCaption(environment_.Text(L"PEC") + FormatCaptionSuffix(format));
    enabled_.EncryptBt = pdf;
    main_.SetMergeEnabled(pdf);
    enabled_.GrafikenRG1 = pdf;
    enabled_.DPRG1 = pdf;
    enabled_.AutoRP = pdf;
    enabled_.JNRG1 = pdf;
    enabled_.LevelRG1 = pdf && values_.JNRG1 != kNo;
    enabled_.AnzeigenCB = pdf;

    if (pdf) {
        if (PdftkPresent())
            enabled_.WasserzeichenCB = true;
        // Leaving PDF kept the box's state: coming back shows the watermark again when it is still checked.
        if (values_.WasserzeichenCB)
            SetWatermarkControls(true, true);
    } else {
        enabled_.WasserzeichenCB = false;
        SetWatermarkControls(false, true);
    }

    if (image) {
        if (values_.SeiteCB) {
            enabled_.MDCB1 = false;
            SetMailGroupEnabled(false);
        }
    } else {
        enabled_.MDCB1 = !mailOff;
        SetMailGroupEnabled(true);
    }

    enabled_.Label2 = image;
    enabled_.SpinEdit2 = image;
    enabled_.Label3 = format == GsOutputJpeg;
    enabled_.SpinEdit3 = format == GsOutputJpeg;
    enabled_.SeiteCB = image;
    enabled_.SeiteLB1 = image;
}

void SettingsRules::ApplyStartupFormatRules() {
    const int format = values_.AuswahlRG;
    if (!IsValidFormat(format))
        return;
    const bool pdf = format == GsOutputPdf;
    const bool image = IsImageFormat(format);

    main_.SetConversionCaption(environment_.Text(L"PEC") + FormatCaptionSuffix(format));
    enabled_.EncryptBt = pdf;
    main_.SetMergeEnabled(pdf);
    enabled_.GrafikenRG1 = pdf;
    enabled_.DPRG1 = pdf;
    enabled_.AutoRP = pdf;
    enabled_.JNRG1 = pdf;
    enabled_.LevelRG1 = pdf && values_.JNRG1 != kNo;

    if (pdf) {
        // The mail rule has already run while the values were read; here the box is offered whatever mail says.
        enabled_.MDCB1 = true;
        SetMailGroupEnabled(true);
    } else {
        if (values_.SeiteCB) {
            enabled_.MDCB1 = false;
            SetMailGroupEnabled(false);
        }
        enabled_.WasserzeichenCB = false;
        SetWatermarkControls(false, false);
    }

    enabled_.Label2 = image;
    enabled_.SpinEdit2 = image;
    enabled_.Label3 = format == GsOutputJpeg;
    enabled_.SpinEdit3 = format == GsOutputJpeg;
    enabled_.SeiteCB = image;
    enabled_.SeiteLB1 = image;
}

void SettingsRules::MailRG1Click() {
    if (values_.MailRG1 == kNo) {
        enabled_.MDCB1 = false;
        values_.MDCB1 = false;
        enabled_.AnzeigenCB = values_.AuswahlRG == GsOutputPdf;
    } else if (values_.MailRG1 == kYes) {
        enabled_.MDCB1 = true;
        enabled_.AnzeigenCB = false;
        values_.AnzeigenCB = false;
    }
}

void SettingsRules::NSRG1Click() {
    if (values_.NSRG1 < 0)
        return;
    const bool normal = values_.NSRG1 != kServerMode;
    enabled_.NameEdit = normal;
    enabled_.NameLabel = normal;
    enabled_.MailEdit = normal;
    enabled_.MailLabel = normal;
    enabled_.DomainEdit = !normal;
    enabled_.HDLabel = !normal;
    enabled_.BenutzerEdit = !normal;
    enabled_.BenutzerLabel = !normal;
    enabled_.RestEdit = !normal;
    enabled_.RestLabel = !normal;
}

void SettingsRules::SeiteCBClick() {
    if (values_.SeiteCB) {
        enabled_.MDCB1 = false;
        SetMailGroupEnabled(false);
    } else {
        enabled_.MDCB1 = values_.MailRG1 != kNo;
        SetMailGroupEnabled(true);
    }
}

void SettingsRules::AutostartOrLoeschenClick() {
    enabled_.AnzeigenCB = !(values_.AutostartRG1 == kYes && values_.loeschenRG1 == kNo);
}

void SettingsRules::JNRG1Click() {
    if (values_.JNRG1 == kNo)
        enabled_.LevelRG1 = false;
    else if (values_.JNRG1 == kYes)
        enabled_.LevelRG1 = true;
}

void SettingsRules::AutoRPClick() {
    if (values_.AutoRP == kYes)
        main_.SetAutoRotateOption(L"-dAutoRotatePages=/PageByPage ");
    else if (values_.AutoRP == kNo)
        main_.SetAutoRotateOption(L"-dAutoRotatePages=/None ");
}

void SettingsRules::WasserzeichenCBClick() {
    SetWatermarkControls(values_.WasserzeichenCB, true);
}

void SettingsRules::DisableWatermarkForEncryption() {
    enabled_.WasserzeichenCB = false;
    SetWasserzeichenCB(false);
    enabled_.WasserzeichenEdit = false;
    enabled_.WasserzBtn = false;
}

// --- life cycle --------------------------------------------------------------------------------------------------

void SettingsRules::CreateFrom(const DialogSettings& stored) {
    Assign(stored, DialogKeySet::All24);
    if (!PdftkPresent())
        SetWasserzeichenCB(false);
    if (values_.Edit1.empty())
        values_.Edit1 = kDefaultGhostscriptProgram;
    enabled_.LevelRG1 = values_.JNRG1 == kYes;
    ApplyStartupFormatRules();
}

bool SettingsRules::FormShow() {
    const bool pdf = values_.AuswahlRG == GsOutputPdf;
    const bool image = IsImageFormat(values_.AuswahlRG);
    if (pdf) {
        enabled_.AnzeigenCB = true;
        enabled_.WasserzeichenCB = false;
    } else {
        enabled_.AnzeigenCB = false;
    }
    if (values_.WasserzeichenCB)
        main_.SetWatermarkIndicatorVisible(true);
    if (values_.SeiteCB && image) {
        enabled_.MDCB1 = false;
        SetMailGroupEnabled(false);
    } else if (!values_.SeiteCB && pdf) {
        enabled_.MDCB1 = values_.MailRG1 != kNo;
        SetMailGroupEnabled(true);
    }
    if (values_.NSRG1 == kServerMode) {
        enabled_.NameEdit = false;
        enabled_.MailEdit = false;
    }
    if (PdftkPresent() && pdf) {
        pdftkLabel_ = environment_.Text(L"PDFTK1");
        pdftkLabel2_ = environment_.Text(L"PDFTK3");
        enabled_.WasserzeichenCB = true;
    } else {
        pdftkLabel_ = environment_.Text(L"PDFTK2");
        pdftkLabel2_ = environment_.Text(L"PDFTK3");
        enabled_.WasserzeichenCB = false;
        SetWasserzeichenCB(false);
    }
    if (values_.MailRG1 == kYes)
        enabled_.AnzeigenCB = false;
    return pdf;
}

bool SettingsRules::RestEditAcceptsKey(wchar_t key) {
    return (key >= L'0' && key <= L'9') || key == L'\b';
}

std::wstring SettingsRules::RestEditExitValue(const std::wstring& text) {
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
