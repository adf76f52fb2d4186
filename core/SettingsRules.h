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
    // GsAutoRotateOption, which AutoRP changes at once.
    virtual void SetAutoRotateOption(const std::wstring& option) = 0;
    // The Ghostscript path the program last took from Edit1 to run Ghostscript (empty until the first run).
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

// Enabled state of the dialog's controls; initial values are the design values.
struct SettingsDialogEnabled {
    bool EncryptBt = true;
    bool GrafikenRG1 = true;
    bool DPRG1 = true;
    bool AutoRP = true;
    bool JNRG1 = true;
    bool LevelRG1 = true;
    bool AnzeigenCB = true;
    bool WasserzeichenCB = true;
    bool WasserzeichenEdit = false;
    bool WasserzBtn = false;
    bool MDCB1 = true;
    bool MailRG1 = true;
    bool NSRG1 = true;
    bool NameEdit = true;
    bool NameLabel = true;
    bool MailEdit = true;
    bool MailLabel = true;
    bool DomainEdit = false;
    bool HDLabel = false;
    bool BenutzerEdit = false;
    bool BenutzerLabel = false;
    bool RestEdit = false;
    bool RestLabel = false;
    bool Label2 = true;
    bool SpinEdit2 = true;
    bool Label3 = true;
    bool SpinEdit3 = true;
    bool SeiteCB = true;
    bool SeiteLB1 = true;
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
    void SetAuswahlRG(int index);
    void SetMailRG1(int index);
    void SetNSRG1(int index);
    void SetSeiteCB(bool checked);
    void SetAutostartRG1(int index);
    void SetloeschenRG1(int index);
    void SetJNRG1(int index);
    void SetAutoRP(int index);
    void SetWasserzeichenCB(bool checked);
    void SetSpinEdit1(int seconds); // below 0 becomes 0
    // Controls without a rule.
    void SetLevelRG1(int index) { values_.LevelRG1 = ClampRadioIndex(index, kRadioCountLevelRG1); }
    void SetGrafikenRG1(int index) { values_.GrafikenRG1 = ClampRadioIndex(index, kRadioCountGrafikenRG1); }
    void SetDPRG1(int index) { values_.DPRG1 = ClampRadioIndex(index, kRadioCountDPRG1); }
    void SetAnzeigenCB(bool checked) { values_.AnzeigenCB = checked; }
    void SetMDCB1(bool checked) { values_.MDCB1 = checked; }
    void SetSpinEdit2(int value) { values_.SpinEdit2 = ClampSpinValue(value, kSpinEdit2Min, kSpinEdit2Max); }
    void SetSpinEdit3(int value) { values_.SpinEdit3 = ClampSpinValue(value, kSpinEdit3Min, kSpinEdit3Max); }
    void SetEdit1(const std::wstring& text) { values_.Edit1 = text; }
    void SetWasserzeichenEdit(const std::wstring& text) { values_.WasserzeichenEdit = text; }
    void SetNameEdit(const std::wstring& text) { values_.NameEdit = text; }
    void SetMailEdit(const std::wstring& text) { values_.MailEdit = text; }
    void SetDomainEdit(const std::wstring& text) { values_.DomainEdit = text; }
    void SetBenutzerEdit(const std::wstring& text) { values_.BenutzerEdit = text.substr(0, 1); }
    void SetRestEdit(const std::wstring& text) { values_.RestEdit = text.substr(0, 3); }
    void SetLevelRG1Enabled(bool enabled) { enabled_.LevelRG1 = enabled; }

    // Moves loaded values in, key by key in the stored order, each through its setter (so the rules run).
    void Assign(const DialogSettings& loaded, DialogKeySet keys);

    // The rules, by the handler that runs them.
    void AuswahlRGClick();
    void MailRG1Click();
    void NSRG1Click();
    void SeiteCBClick();
    void AutostartOrLoeschenClick(); // AutostartRG1Click and loeschenRG1Click
    void JNRG1Click();
    void AutoRPClick();
    void WasserzeichenCBClick();

    // What the security dialog does to the watermark: checking the owner password switches it off, unchecking
    // makes the box available again (still unchecked).
    void DisableWatermarkForEncryption();
    void EnableWatermarkCheck() { enabled_.WasserzeichenCB = true; }

    // Creation with the values the dialog start burst read (moved in through the setters), the pdftk check, the
    // level rule and the start-up variant of the format rules.
    void CreateFrom(const DialogSettings& stored);
    void ApplyStartupFormatRules();
    // Showing, the steps after the texts. Returns whether EncryptBt takes the focus.
    bool FormShow();
    // Returns whether the dialog opens the security dialog now (once after start-up).
    bool FormActivate() { return main_.TakeSecurityCheckRequest(); }
    // RestEdit takes digits and Backspace only; false swallows the key.
    static bool RestEditAcceptsKey(wchar_t key);
    // On leaving RestEdit: a number above 255 becomes "255"; anything else stays as it is.
    static std::wstring RestEditExitValue(const std::wstring& text);
    void RestEditExit() { values_.RestEdit = RestEditExitValue(values_.RestEdit); }

private:
    void SetMailGroupEnabled(bool enabled); // MailRG1, NameEdit, MailEdit, NSRG1
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
