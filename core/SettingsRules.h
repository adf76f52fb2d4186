#pragma once
// The settings dialog without its window: the values it edits (DialogSettings, owned by the program), the enabled
// state of its controls, and every rule that ties them together. TEinstellungen_Form mirrors this model; the
// rules are here so that they can be driven and checked without a window, and without the files the program reads
// (the dialog model of app/dialogs brings the language file, the settings file and the program folder).
#include "core/Settings.h"

#include <string>
#include <string_view>

// What the settings dialog changes in the main window (the main window implements it).
class ISettingsMainWindow {
public:
    virtual ~ISettingsMainWindow() = default;
    // Caption of the conversion button PDF_Erstellung.
    virtual void SetConversionCaption(const std::wstring& caption) = 0;
    // MergeBitBtn and the menu item Merge1.
    virtual void SetMergeEnabled(bool enabled) = 0;
    // The watermark indicator WasserzeichenSB.
    virtual void SetWatermarkIndicatorVisible(bool visible) = 0;
    // GsAutoRotateOption, which AutoRotatePages changes at once.
    virtual void SetAutoRotateOption(const std::wstring& option) = 0;
    // The Ghostscript path the program last took from GhostscriptProgram to run Ghostscript (empty until the first
    // run).
    virtual std::wstring LastGhostscriptProgram() const = 0;
    // The once-after-start-up request to check the kept security settings: returns it and clears it, so the
    // security dialog opens for it exactly once.
    virtual bool TakeSecurityCheckRequest() = 0;
    // [Start] PDF-Reader.
    virtual std::wstring ReaderProgram() const = 0;
};

// What the dialogs' rules learn from the program around them: the texts of the chosen language and whether pdftk
// (which stamps the watermark) lies beside the program.
class IDialogEnvironment {
public:
    virtual ~IDialogEnvironment() = default;
    // The text of a language-file key; empty for a missing key.
    virtual std::wstring Text(std::wstring_view key) const = 0;
    // Asked each time: the file may come or go while the program runs.
    virtual bool PdftkPresent() const = 0;
};

// Enabled state of the dialog's controls, each named by the value it edits (or as the label or button beside it);
// initial values are the design values.
struct SettingsDialogEnabled {
    bool SecurityButton = true;
    bool PdfResolution = true;
    bool PdfPreset = true;
    bool AutoRotatePages = true;
    bool MayChangePdfLevel = true;
    bool PdfLevel = true;
    bool ShowInReader = true;
    bool StampWatermark = true;
    bool WatermarkFile = false;
    bool WatermarkFileButton = false;
    bool ShowMailDialog = true;
    bool SendMail = true;
    bool MailMode = true;
    bool MailName = true;
    bool MailNameLabel = true;
    bool MailAddress = true;
    bool MailAddressLabel = true;
    bool MailDomain = false;
    bool MailDomainLabel = false;
    bool MailUserNameEnd = false;
    bool MailUserNameEndLabel = false;
    bool MailUserNameDigits = false;
    bool MailUserNameDigitsLabel = false;
    bool ImageResolutionLabel = true;
    bool ImageResolution = true;
    bool JpegQualityLabel = true;
    bool JpegQuality = true;
    bool FilePerPage = true;
    bool FilePerPageLabel = true;
    bool operator==(const SettingsDialogEnabled&) const = default;
};

// Which keys a load moves: all 24, or the 23 without [Start] Wasserzeichen.
enum class DialogKeySet { All24, Without23 };

class SettingsRules {
public:
    SettingsRules(DialogSettings& values, ISettingsMainWindow& main, const IDialogEnvironment& environment);

    const DialogSettings& Values() const { return values_; }
    const SettingsDialogEnabled& Enabled() const { return enabled_; }
    ISettingsMainWindow& Main() const { return main_; }
    const IDialogEnvironment& Environment() const { return environment_; }
    bool PdftkPresent() const { return environment_.PdftkPresent(); }

    // Red notes beside the watermark box, set by FormShow.
    const std::wstring& PdftkLabel() const { return pdftkLabel_; }
    const std::wstring& PdftkLabel2() const { return pdftkLabel2_; }

    // Setting a control that has a change rule runs the rule when the value changes, as a click would.
    void SetOutputType(int index);
    void SetSendMail(int index);
    void SetMailMode(int index);
    void SetFilePerPage(bool checked);
    void SetAutoStart(int index);
    void SetDeleteInputs(int index);
    void SetMayChangePdfLevel(int index);
    void SetAutoRotatePages(int index);
    void SetStampWatermark(bool checked);
    void SetPollSeconds(int seconds); // below 0 becomes 0
    // Controls without a rule.
    void SetPdfLevel(int index) { values_.PdfLevel = ClampRadioIndex(index, kPdfLevelCount); }
    void SetPdfResolution(int index) { values_.PdfResolution = ClampRadioIndex(index, kPdfResolutionCount); }
    void SetPdfPreset(int index) { values_.PdfPreset = ClampRadioIndex(index, kPdfPresetCount); }
    void SetShowInReader(bool checked) { values_.ShowInReader = checked; }
    void SetShowMailDialog(bool checked) { values_.ShowMailDialog = checked; }
    void SetImageResolution(int value) {
        values_.ImageResolution = ClampSpinValue(value, kImageResolutionMin, kImageResolutionMax);
    }
    void SetJpegQuality(int value) { values_.JpegQuality = ClampSpinValue(value, kJpegQualityMin, kJpegQualityMax); }
    void SetGhostscriptProgram(const std::wstring& text) { values_.GhostscriptProgram = text; }
    void SetWatermarkFile(const std::wstring& text) { values_.WatermarkFile = text; }
    void SetMailName(const std::wstring& text) { values_.MailName = text; }
    void SetMailAddress(const std::wstring& text) { values_.MailAddress = text; }
    void SetMailDomain(const std::wstring& text) { values_.MailDomain = text; }
    void SetMailUserNameEnd(const std::wstring& text) { values_.MailUserNameEnd = text.substr(0, 1); }
    void SetMailUserNameDigits(const std::wstring& text) { values_.MailUserNameDigits = text.substr(0, 3); }
    void SetPdfLevelEnabled(bool enabled) { enabled_.PdfLevel = enabled; }

    // Moves loaded values in, key by key in the stored order, each through its setter (so the rules run).
    void Assign(const DialogSettings& loaded, DialogKeySet keys);

    // The rules, each run when its value changes.
    void OutputTypeChanged();
    void SendMailChanged();
    void MailModeChanged();
    void FilePerPageChanged();
    void AutoStartOrDeleteInputsChanged();
    void MayChangePdfLevelChanged();
    void AutoRotatePagesChanged();
    void StampWatermarkChanged();

    // What the security dialog does to the watermark: checking the owner password switches it off, unchecking
    // makes the box available again (still unchecked).
    void DisableWatermarkForEncryption();
    void EnableWatermarkCheck() { enabled_.StampWatermark = true; }

    // Creation with the values the dialog start burst read (moved in through the setters), the pdftk check, the
    // level rule and the start-up variant of the format rules.
    void CreateFrom(const DialogSettings& stored);
    void ApplyStartupFormatRules();
    // Showing, the steps after the texts. Returns whether SecurityButton takes the focus.
    bool FormShow();
    // Returns whether the dialog opens the security dialog now (once after start-up).
    bool FormActivate() { return main_.TakeSecurityCheckRequest(); }
    // MailUserNameDigits takes digits and Backspace only; false swallows the key.
    static bool MailUserNameDigitsAcceptsKey(wchar_t key);
    // On leaving MailUserNameDigits: a number above 255 becomes "255"; anything else stays as it is.
    static std::wstring MailUserNameDigitsAfterEditing(const std::wstring& text);
    void MailUserNameDigitsLeft() {
        values_.MailUserNameDigits = MailUserNameDigitsAfterEditing(values_.MailUserNameDigits);
    }

private:
    void SetMailGroupEnabled(bool enabled); // SendMail, MailName, MailAddress, MailMode
    void SetWatermarkControls(bool enabled, bool indicator);

    DialogSettings& values_;
    ISettingsMainWindow& main_;
    const IDialogEnvironment& environment_;
    SettingsDialogEnabled enabled_;
    std::wstring pdftkLabel_;
    std::wstring pdftkLabel2_;
};

// How the reader is started for a file: ShellExecute's file and parameters. The path is quoted so that blanks
// survive.
struct ReaderCall {
    std::wstring File;
    std::wstring Parameters;
};
ReaderCall ReaderCallFor(const std::wstring& readerProgram, const std::wstring& documentPath);
// The folder part of a file path, as the initial directory of a file dialog; empty for a path without a folder.
std::wstring InitialDirOf(const std::wstring& path);
