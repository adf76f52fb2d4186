#pragma once
// The settings dialog TEinstellungen_Form and its legend window TEin_Info_Form. The dialog's controls mirror
// SettingsDialogModel: every change a control makes goes into the model at once (its rule runs there) and the
// controls are then set from the model again, so the conversion can read the plain values at any time.
#include "app/dialogs/Profiles.h"
#include "app/dialogs/SettingsDialogRules.h"
#include "core/GhostscriptCommand.h"
#include "gui/Dialogs.h"
#include "gui/ExtCtrls.h"
#include "gui/Form.h"
#include "gui/Menus.h"
#include "gui/StdCtrls.h"

#include <array>
#include <filesystem>
#include <memory>

class TEncrypt_Form;

// The legend: ten panels, each a bold heading above a word-wrapped text.
class TEin_Info_Form : public gui::TForm {
public:
    TEin_Info_Form();
    void FormShow();
    // Each panel as tall as its design height or its text, the OK button below the last; the window follows.
    void Arrange();

    struct Entry {
        std::unique_ptr<gui::TPanel> Panel;
        std::unique_ptr<gui::TLabel> Heading;
        std::unique_ptr<gui::TLabel> Text;
    };
    std::array<Entry, 10> Panels;
    gui::TBitBtn JaBitBtn{this, L"JaBitBtn", 245, 508, 83, 25};
};

class TEinstellungen_Form : public gui::TForm, private IProfileUi {
public:
    // values is the program's DialogSettings; iniPath is Ostrel.ini beside the program, programFolder its folder.
    TEinstellungen_Form(DialogSettings& values, ISettingsMainWindow& main, std::filesystem::path programFolder,
                        std::wstring iniPath);
    ~TEinstellungen_Form() override;

    // The security dialog and the legend are made after this form; the program hands them over.
    void SetEncryptForm(TEncrypt_Form* form) { encryptForm_ = form; }
    void SetInfoForm(TEin_Info_Form* form) { infoForm_ = form; }

    SettingsDialogModel& Model() { return model_; }
    // Sets every control from the model (after something outside the dialog changed it).
    void SyncFromModel();

    // Handlers, named as the dialog's events.
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormDestroy();
    void Button1Click();
    void WasserzBtnClick();
    void WasserzeichenEditDblClick();
    void Kurzanleitungpdf1Click();
    void Information1Click();
    void EncryptBtClick();
    // The server-mode row for the texts of the language at hand: the count label and its edit stand after the
    // end-character label, as far right as the dialog allows.
    void ArrangeServerRow();

    gui::TLabel Label1{this, L"Label1", 8, 6, 250, 13};
    gui::TEdit Edit1{this, L"Edit1", 8, 22, 440, 21};
    gui::TButton Button1{this, L"Button1", 452, 21, 30, 23};

    gui::TRadioGroup loeschenRG1{this, L"loeschenRG1", 8, 48, 162, 40};
    gui::TRadioGroup AutostartRG1{this, L"AutostartRG1", 174, 48, 146, 40};
    gui::TGroupBox TimerGB1{this, L"TimerGB1", 324, 48, 158, 40};
    gui::TSpinEdit SpinEdit1{&TimerGB1, L"SpinEdit1", 10, 14, 138, 20};
    gui::TRadioGroup JNRG1{this, L"JNRG1", 266, 154, 100, 34};

    gui::TRadioGroup GrafikenRG1{this, L"GrafikenRG1", 8, 92, 84, 96};
    gui::TRadioGroup DPRG1{this, L"DPRG1", 96, 92, 166, 96};
    gui::TRadioGroup LevelRG1{this, L"LevelRG1", 266, 92, 216, 60};
    gui::TRadioGroup AutoRP{this, L"AutoRP", 370, 154, 112, 34};

    gui::TRadioGroup MailRG1{this, L"MailRG1", 8, 192, 118, 40};
    gui::TCheckBox MDCB1{this, L"MDCB1", 12, 236, 104, 17};
    gui::TRadioGroup NSRG1{this, L"NSRG1", 8, 256, 118, 56};
    gui::TLabel NameLabel{this, L"NameLabel", 130, 194, 162, 13};
    gui::TEdit NameEdit{this, L"NameEdit", 130, 208, 162, 21};
    gui::TLabel MailLabel{this, L"MailLabel", 300, 194, 182, 13};
    gui::TEdit MailEdit{this, L"MailEdit", 300, 208, 182, 21};
    gui::TLabel HDLabel{this, L"HDLabel", 130, 236, 352, 13};
    gui::TEdit DomainEdit{this, L"DomainEdit", 130, 250, 352, 21};
    gui::TLabel BenutzerLabel{this, L"BenutzerLabel", 130, 278, 190, 13};
    gui::TEdit BenutzerEdit{this, L"BenutzerEdit", 130, 292, 40, 21};
    gui::TLabel RestLabel{this, L"RestLabel", 330, 278, 132, 13};
    gui::TEdit RestEdit{this, L"RestEdit", 330, 292, 40, 21};

    gui::TRadioGroup AuswahlRG{this, L"AuswahlRG", 8, 318, 150, 110};
    gui::TGroupBox AusgabeRG{this, L"AusgabeRG", 162, 318, 320, 110};
    gui::TLabel Label2{&AusgabeRG, L"Label2", 10, 20, 40, 13};
    gui::TSpinEdit SpinEdit2{&AusgabeRG, L"SpinEdit2", 60, 16, 70, 20};
    gui::TLabel Label3{&AusgabeRG, L"Label3", 146, 20, 60, 13};
    gui::TSpinEdit SpinEdit3{&AusgabeRG, L"SpinEdit3", 210, 16, 70, 20};
    gui::TGroupBox SeiteGB{&AusgabeRG, L"SeiteGB", 10, 44, 300, 56};
    gui::TCheckBox SeiteCB{&SeiteGB, L"SeiteCB", 10, 22, 17, 17};
    gui::TLabel SeiteLB1{&SeiteGB, L"SeiteLB1", 30, 24, 260, 13};

    gui::TCheckBox AnzeigenCB{this, L"AnzeigenCB", 8, 434, 474, 17};
    gui::TCheckBox WasserzeichenCB{this, L"WasserzeichenCB", 8, 458, 150, 17};
    gui::TEdit WasserzeichenEdit{this, L"WasserzeichenEdit", 160, 456, 288, 21};
    gui::TButton WasserzBtn{this, L"WasserzBtn", 452, 455, 30, 23};
    gui::TLabel pdftkLabel{this, L"pdftkLabel", 8, 482, 474, 13};
    gui::TLabel pdftkLabel2{this, L"pdftkLabel2", 8, 496, 474, 13};

    gui::TButton EncryptBt{this, L"EncryptBt", 8, 514, 150, 25};
    gui::TBitBtn OKBitBtn1{this, L"OKBitBtn1", 400, 514, 82, 25};

    gui::TOpenDialog OpenDialog1{L"OpenDialog1"};
    gui::TOpenDialog OpenDialog2{L"OpenDialog2"};
    gui::TOpenDialog OpenDialog3{L"OpenDialog3"};
    gui::TSaveDialog SaveDialog1{L"SaveDialog1"};

    gui::TMainMenu MainMenu1{L"MainMenu1"};
    gui::TMenuItem* Startein = nullptr;
    gui::TMenuItem* Originalladen = nullptr;
    gui::TMenuItem* Startsp = nullptr;
    gui::TMenuItem* Test1 = nullptr;
    gui::TMenuItem* Profladen = nullptr;
    gui::TMenuItem* Profspeichern = nullptr;
    gui::TMenuItem* Hilfe1 = nullptr;
    gui::TMenuItem* Information1 = nullptr;
    gui::TMenuItem* Kurzanleitungpdf1 = nullptr;

private:
    // IProfileUi: the menu commands' question, file dialogs and boxes.
    YesNoCancel AskSaveStartSettings(const std::wstring& text, const std::wstring& caption) override;
    std::optional<std::wstring> ChooseProfileToLoad(const std::wstring& initialDir) override;
    std::optional<std::wstring> ChooseProfileToSave(const std::wstring& initialDir) override;
    void ShowMessage(const std::wstring& text) override;
    void ShowSecurityDialog() override;
    void CloseSettingsDialog() override;

    void BuildMenu();
    void BindControls();
    void ApplyTexts();
    // Runs a change from a control into the model and brings every control up to date; ignored while the
    // controls are being set from the model.
    template <class F> void FromControl(F&& change);
    void OpenReader(const std::wstring& document);
    // The menu commands need the security dialog, which exists only once the program handed it over.
    void RunProfileCommand(void (ProfileCommands::*command)());

    SettingsDialogModel model_;
    std::wstring iniPath_;
    TEncrypt_Form* encryptForm_ = nullptr;
    TEin_Info_Form* infoForm_ = nullptr;
    bool syncing_ = false;
};

// TOstrel_Form.Einstellungen1Click: shows the dialog centred on the main window and, however it was closed,
// rebuilds what the main window derives from it (delete flag, option strings, poll period and timer interval).
SettingsDialogClosed Einstellungen1Click(TEinstellungen_Form& form, const GsOptions& current);
