#include "app/dialogs/Einstellungen_Unit.h"

#include "app/dialogs/Encrypt_Unit.h"
#include "app/main/LanguageTexts.h"
#include "gui/Application.h"
#include "win/IniFile.h"
#include "gui/MessageBox.h"

#include <shellapi.h>

#include <algorithm>

using namespace gui;

namespace {

constexpr int kInfoPanelHeights[10] = {33, 33, 41, 41, 93, 41, 41, 53, 29, 41};
constexpr const wchar_t* kInfoHeadings[10] = {L"EIN8",  L"EIN9",  L"EIN10", L"EIN11", L"EIN12",
                                              L"EIN15", L"EIN14", L"EIN16", L"EIN19", L"E_I11"};
constexpr const wchar_t* kInfoTexts[10] = {L"E_I1", L"E_I2", L"E_I3", L"E_I4", L"E_I5",
                                           L"E_I6", L"E_I7", L"E_I8", L"E_I9", L"E_I12"};

void SetYesNoItems(TRadioGroup& group) {
    group.SetItem(0, Texts().Get(L"EI1"));
    group.SetItem(1, Texts().Get(L"EI2"));
}

} // namespace

// --- legend ------------------------------------------------------------------------------------------------------

TEin_Info_Form::TEin_Info_Form() : TForm(L"TEin_Info_Form", L"Ein_Info_Form") {
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBorderIcons(0);
    SetClientSize(573, 541);
    SetPosition(TPosition::poDesktopCenter);
    KeyPreview = true;
    int top = 8;
    for (size_t i = 0; i < Panels.size(); ++i) {
        const int height = kInfoPanelHeights[i] + 16;
        Entry& e = Panels[i];
        e.Panel = std::make_unique<TPanel>(this, L"Panel" + std::to_wstring(i + 1), 8, top, 557, height);
        e.Panel->SetBevelOuter(TBevelCut::bvNone);
        e.Heading = std::make_unique<TLabel>(e.Panel.get(), L"HeadLabel" + std::to_wstring(i + 1), 4, 0, 549, 15);
        TFont bold = e.Heading->Font();
        bold.Bold = true;
        e.Heading->SetFont(bold);
        e.Text = std::make_unique<TLabel>(e.Panel.get(), L"TextLabel" + std::to_wstring(i + 1), 4, 15, 549,
                                          kInfoPanelHeights[i]);
        e.Text->SetAutoSize(false);
        e.Text->SetWordWrap(true);
        top += height;
    }
    JaBitBtn.SetText(L"OK");
    JaBitBtn.ModalResult = mrOk;
    JaBitBtn.SetDefault(true);
    OnShow = [this](TComponent*) { FormShow(); };
    OnKeyDown = [this](TComponent*, WORD& key, TShiftState) {
        if (key == VK_ESCAPE) {
            key = 0;
            Close();
        }
    };
}

void TEin_Info_Form::FormShow() {
    SetText(Texts().Get(L"E_ICAP"));
    JaBitBtn.SetText(Texts().Get(L"OK"));
    for (size_t i = 0; i < Panels.size(); ++i) {
        Panels[i].Heading->SetText(Texts().Get(kInfoHeadings[i]));
        Panels[i].Text->SetText(Texts().Get(kInfoTexts[i]));
    }
    Arrange();
}

void TEin_Info_Form::Arrange() {
    constexpr int kMargin = 8;
    constexpr int kHeading = 15;
    int top = kMargin;
    for (size_t i = 0; i < Panels.size(); ++i) {
        Entry& e = Panels[i];
        const int textWidth = e.Text->Width();
        const int textHeight =
            std::max<int>(kInfoPanelHeights[i] - kHeading, e.Text->TextExtent(e.Text->Text(), textWidth).cy);
        e.Panel->SetBounds(kMargin, top, e.Panel->Width(), kHeading + textHeight);
        e.Text->SetBounds(e.Text->Left(), kHeading, textWidth, textHeight);
        top += kHeading + textHeight;
    }
    JaBitBtn.SetTop(top + kMargin);
    SetClientHeight(std::max(JaBitBtn.Top() + JaBitBtn.Height() + kMargin, 541));
    CenterOn(Position());
}

// --- settings dialog ---------------------------------------------------------------------------------------------

TEinstellungen_Form::TEinstellungen_Form(DialogSettings& values, ISettingsMainWindow& main,
                                         std::filesystem::path programFolder, std::wstring iniPath)
    : TForm(L"TEinstellungen_Form", L"Einstellungen_Form"), model_(values, main, std::move(programFolder)),
      iniPath_(std::move(iniPath)) {
    SetText(L"Einstellungen");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetBorderIcons(0);
    SetPosition(TPosition::poDesktopCenter);
    KeyPreview = true;
    BuildMenu();
    SetClientSize(490, 544);

    Label1.SetText(L"Ghostscript-Programm (gswin32c.exe):");
    Button1.SetText(L">>");
    WasserzBtn.SetText(L">>");
    for (TRadioGroup* g : {&loeschenRG1, &AutostartRG1, &JNRG1, &AutoRP, &MailRG1}) {
        g->SetItems({L"Ja", L"Nein"});
        g->SetColumns(2);
    }
    loeschenRG1.SetText(L"Eingabedateien löschen?");
    AutostartRG1.SetText(L"Automatisch starten?");
    JNRG1.SetText(L"Level ändern?");
    AutoRP.SetText(L"AutoRotate");
    MailRG1.SetText(L"eMail-Versand?");
    TimerGB1.SetText(L"Prüfintervall (Sekunden)");
    GrafikenRG1.SetItems({L"72 dpi", L"96 dpi", L"300 dpi", L"600 dpi"});
    GrafikenRG1.SetText(L"Auflösung");
    DPRG1.SetItems({L"Default", L"Screen", L"eBook (erst ab V8.0x)", L"Printer", L"Prepress"});
    DPRG1.SetText(L"Distiller-Parameter");
    LevelRG1.SetItems({L"Acrobat 3 (PDF 1.2)", L"Acrobat 4 (PDF 1.3)", L"Acrobat 5 (PDF 1.4)"});
    LevelRG1.SetText(L"PDF-Kompatibilität");
    NSRG1.SetItems({L"Normalbetrieb", L"Serverbetrieb"});
    NSRG1.SetText(L"eMail-Betrieb");
    MDCB1.SetText(L"mit Dialog");
    AuswahlRG.SetItems({L"PDF", L"PDF to PS", L"JPEG", L"TIFF (G4 - BW)", L"TIFF (LZW - BW)", L"TIFF (uncompressed)"});
    Label2.SetText(L"DPI:");
    SpinEdit2.SetRange(kImageResolutionMin, kImageResolutionMax);
    SpinEdit3.SetRange(kJpegQualityMin, kJpegQualityMax);
    SeiteLB1.SetText(L"Jede Seite in einer eigenen Datei");
    WasserzeichenCB.SetText(L"Wasserzeichen (PDF):");
    BenutzerEdit.SetMaxLength(1);
    RestEdit.SetMaxLength(3);
    for (TLabel* red : {&pdftkLabel, &pdftkLabel2}) {
        TFont font = red->Font();
        font.Color = clRed;
        red->SetFont(font);
    }
    OKBitBtn1.SetKind(TBitBtnKind::bkOK);
    OKBitBtn1.SetText(L"OK");
    OKBitBtn1.ModalResult = mrOk;

    OpenDialog1.Filter = L"gswin32c.exe|gswin32c.exe";
    OpenDialog3.Filter = L"PDF-Datei (*.pdf)|*.pdf";
    OpenDialog3.DefaultExt = L"pdf";
    OpenDialog3.Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist;
    OpenDialog2.Filter = SaveDialog1.Filter = ProfileCommands::Filter();
    OpenDialog2.DefaultExt = SaveDialog1.DefaultExt = ProfileCommands::DefaultExt();
    OpenDialog2.Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofNoReadOnlyReturn;
    SaveDialog1.Options = ofOverwritePrompt | ofHideReadOnly | ofPathMustExist;

    BindControls();
    SyncFromModel();
}

TEinstellungen_Form::~TEinstellungen_Form() = default;

void TEinstellungen_Form::BuildMenu() {
    Startein = MainMenu1.Items.Add(L"Startein", L"&Starteinstellungen");
    Originalladen = Startein->Add(L"Originalladen", L"Starteinstellungen &laden");
    Startsp = Startein->Add(L"Startsp", L"&Speichern als Starteinstellungen");
    Test1 = MainMenu1.Items.Add(L"Test1", L"&Profile");
    Test1->SetShortCut(ShortCut('L', ssCtrl));
    Profladen = Test1->Add(L"Profladen", L"&Laden...");
    Profspeichern = Test1->Add(L"Profspeichern", L"&Speichern unter...");
    Hilfe1 = MainMenu1.Items.Add(L"Hilfe1", L"&Hilfe");
    Information1 = Hilfe1->Add(L"Information1", L"&Anleitung");
    Information1->SetShortCut(VK_F1);
    Kurzanleitungpdf1 = Hilfe1->Add(L"Kurzanleitungpdf1", L"Kurzanleitung.pdf");
    SetMenu(&MainMenu1);

    Originalladen->OnClick = [this](TComponent*) { RunProfileCommand(&ProfileCommands::OriginalladenClick); };
    Startsp->OnClick = [this](TComponent*) { RunProfileCommand(&ProfileCommands::StartspClick); };
    Profladen->OnClick = [this](TComponent*) { RunProfileCommand(&ProfileCommands::ProfladenClick); };
    Profspeichern->OnClick = [this](TComponent*) { RunProfileCommand(&ProfileCommands::ProfspeichernClick); };
    Information1->OnClick = [this](TComponent*) { Information1Click(); };
    Kurzanleitungpdf1->OnClick = [this](TComponent*) { Kurzanleitungpdf1Click(); };
}

template <class F> void TEinstellungen_Form::FromControl(F&& change) {
    if (syncing_)
        return;
    change();
    SyncFromModel();
}

void TEinstellungen_Form::BindControls() {
    auto radio = [this](TRadioGroup& group, void (SettingsDialogModel::*set)(int)) {
        group.OnClick = [this, &group, set](TComponent*) { FromControl([&] { (model_.*set)(group.ItemIndex()); }); };
    };
    radio(loeschenRG1, &SettingsDialogModel::SetDeleteInputs);
    radio(AutostartRG1, &SettingsDialogModel::SetAutoStart);
    radio(JNRG1, &SettingsDialogModel::SetMayChangePdfLevel);
    radio(AutoRP, &SettingsDialogModel::SetAutoRotatePages);
    radio(MailRG1, &SettingsDialogModel::SetSendMail);
    radio(NSRG1, &SettingsDialogModel::SetMailMode);
    radio(AuswahlRG, &SettingsDialogModel::SetOutputType);
    radio(GrafikenRG1, &SettingsDialogModel::SetPdfResolution);
    radio(DPRG1, &SettingsDialogModel::SetPdfPreset);
    radio(LevelRG1, &SettingsDialogModel::SetPdfLevel);

    auto check = [this](TCheckBox& box, void (SettingsDialogModel::*set)(bool)) {
        box.OnClick = [this, &box, set](TComponent*) { FromControl([&] { (model_.*set)(box.Checked()); }); };
    };
    check(SeiteCB, &SettingsDialogModel::SetFilePerPage);
    check(WasserzeichenCB, &SettingsDialogModel::SetStampWatermark);
    check(AnzeigenCB, &SettingsDialogModel::SetShowInReader);
    check(MDCB1, &SettingsDialogModel::SetShowMailDialog);

    auto text = [this](TEdit& edit, void (SettingsDialogModel::*set)(const std::wstring&)) {
        edit.OnChange = [this, &edit, set](TComponent*) { FromControl([&] { (model_.*set)(edit.Text()); }); };
    };
    text(Edit1, &SettingsDialogModel::SetGhostscriptProgram);
    text(WasserzeichenEdit, &SettingsDialogModel::SetWatermarkFile);
    text(NameEdit, &SettingsDialogModel::SetMailName);
    text(MailEdit, &SettingsDialogModel::SetMailAddress);
    text(DomainEdit, &SettingsDialogModel::SetMailDomain);
    text(BenutzerEdit, &SettingsDialogModel::SetMailUserNameEnd);
    text(RestEdit, &SettingsDialogModel::SetMailUserNameDigits);

    auto spin = [this](TSpinEdit& edit, void (SettingsDialogModel::*set)(int)) {
        edit.OnChange = [this, &edit, set](TComponent*) { FromControl([&] { (model_.*set)(edit.Value()); }); };
    };
    spin(SpinEdit1, &SettingsDialogModel::SetPollSeconds);
    spin(SpinEdit2, &SettingsDialogModel::SetImageResolution);
    spin(SpinEdit3, &SettingsDialogModel::SetJpegQuality);

    RestEdit.OnKeyPress = [](TComponent*, wchar_t& key) {
        if (!SettingsDialogModel::MailUserNameDigitsAcceptsKey(key))
            key = 0;
    };
    RestEdit.OnExit = [this](TComponent*) { FromControl([&] { model_.MailUserNameDigitsLeft(); }); };

    Button1.OnClick = [this](TComponent*) { Button1Click(); };
    WasserzBtn.OnClick = [this](TComponent*) { WasserzBtnClick(); };
    WasserzeichenEdit.OnDblClick = [this](TComponent*) { WasserzeichenEditDblClick(); };
    EncryptBt.OnClick = [this](TComponent*) { EncryptBtClick(); };

    OnCreate = [this](TComponent*) { FormCreate(); };
    OnShow = [this](TComponent*) { FormShow(); };
    OnActivate = [this](TComponent*) { FormActivate(); };
    OnDestroy = [this](TComponent*) { FormDestroy(); };
    OnKeyDown = [this](TComponent*, WORD& key, TShiftState) {
        if (key == VK_ESCAPE) {
            key = 0;
            Close();
        }
    };
}

void TEinstellungen_Form::SyncFromModel() {
    if (syncing_)
        return;
    syncing_ = true;
    const DialogSettings& v = model_.Values();
    const SettingsDialogEnabled& e = model_.Enabled();
    Edit1.SetText(v.GhostscriptProgram);
    WasserzeichenEdit.SetText(v.WatermarkFile);
    loeschenRG1.SetItemIndex(v.DeleteInputs);
    AutostartRG1.SetItemIndex(v.AutoStart);
    AuswahlRG.SetItemIndex(v.OutputType);
    AnzeigenCB.SetChecked(v.ShowInReader);
    WasserzeichenCB.SetChecked(v.StampWatermark);
    SeiteCB.SetChecked(v.FilePerPage);
    LevelRG1.SetItemIndex(v.PdfLevel);
    JNRG1.SetItemIndex(v.MayChangePdfLevel);
    GrafikenRG1.SetItemIndex(v.PdfResolution);
    DPRG1.SetItemIndex(v.PdfPreset);
    AutoRP.SetItemIndex(v.AutoRotatePages);
    // A spin box the user has just emptied is left alone while it has the focus.
    if (SpinEdit1.Value() != v.PollSeconds || (SpinEdit1.Text().empty() && !SpinEdit1.Focused()))
        SpinEdit1.SetValue(v.PollSeconds);
    MailRG1.SetItemIndex(v.SendMail);
    MDCB1.SetChecked(v.ShowMailDialog);
    NSRG1.SetItemIndex(v.MailMode);
    NameEdit.SetText(v.MailName);
    MailEdit.SetText(v.MailAddress);
    DomainEdit.SetText(v.MailDomain);
    BenutzerEdit.SetText(v.MailUserNameEnd);
    RestEdit.SetText(v.MailUserNameDigits);
    if (SpinEdit2.Value() != v.ImageResolution || (SpinEdit2.Text().empty() && !SpinEdit2.Focused()))
        SpinEdit2.SetValue(v.ImageResolution);
    if (SpinEdit3.Value() != v.JpegQuality || (SpinEdit3.Text().empty() && !SpinEdit3.Focused()))
        SpinEdit3.SetValue(v.JpegQuality);

    const std::pair<TControl*, bool> enabling[] = {
        {&EncryptBt, e.SecurityButton},
        {&GrafikenRG1, e.PdfResolution},
        {&DPRG1, e.PdfPreset},
        {&AutoRP, e.AutoRotatePages},
        {&JNRG1, e.MayChangePdfLevel},
        {&LevelRG1, e.PdfLevel},
        {&AnzeigenCB, e.ShowInReader},
        {&WasserzeichenCB, e.StampWatermark},
        {&WasserzeichenEdit, e.WatermarkFile},
        {&WasserzBtn, e.WatermarkFileButton},
        {&MDCB1, e.ShowMailDialog},
        {&MailRG1, e.SendMail},
        {&NSRG1, e.MailMode},
        {&NameEdit, e.MailName},
        {&NameLabel, e.MailNameLabel},
        {&MailEdit, e.MailAddress},
        {&MailLabel, e.MailAddressLabel},
        {&DomainEdit, e.MailDomain},
        {&HDLabel, e.MailDomainLabel},
        {&BenutzerEdit, e.MailUserNameEnd},
        {&BenutzerLabel, e.MailUserNameEndLabel},
        {&RestEdit, e.MailUserNameDigits},
        {&RestLabel, e.MailUserNameDigitsLabel},
        {&Label2, e.ImageResolutionLabel},
        {&SpinEdit2, e.ImageResolution},
        {&Label3, e.JpegQualityLabel},
        {&SpinEdit3, e.JpegQuality},
        {&SeiteCB, e.FilePerPage},
        {&SeiteLB1, e.FilePerPageLabel},
    };
    for (const auto& [control, enabled] : enabling)
        control->SetEnabled(enabled);
    pdftkLabel.SetText(model_.PdftkLabel());
    pdftkLabel2.SetText(model_.PdftkLabel2());
    syncing_ = false;
}

// --- life cycle --------------------------------------------------------------------------------------------------

void TEinstellungen_Form::FormCreate() {
    model_.FormCreate(iniPath_);
    Hilfe1->SetCaption(Texts().Get(L"MHC"));
    Hilfe1->SetRightJustify(true);
    SyncFromModel();
}

void TEinstellungen_Form::ApplyTexts() {
    SetText(Texts().Get(L"EINCAP"));
    OKBitBtn1.SetText(Texts().Get(L"OK"));
    Label1.SetText(Texts().Get(L"EIN1"));
    HDLabel.SetText(Texts().Get(L"EIN2"));
    BenutzerLabel.SetText(Texts().Get(L"EIN3"));
    RestLabel.SetText(Texts().Get(L"EIN4"));
    NameLabel.SetText(Texts().Get(L"EIN5"));
    MailLabel.SetText(Texts().Get(L"EIN6"));
    Button1.SetHint(Texts().Get(L"EIN7"));
    loeschenRG1.SetText(Texts().Get(L"EIN8"));
    AutostartRG1.SetText(Texts().Get(L"EIN9"));
    MailRG1.SetText(Texts().Get(L"EIN14"));
    JNRG1.SetText(Texts().Get(L"EIN15"));
    for (TRadioGroup* g : {&loeschenRG1, &AutostartRG1, &MailRG1, &JNRG1, &AutoRP})
        SetYesNoItems(*g);
    TimerGB1.SetText(Texts().Get(L"EIN10"));
    GrafikenRG1.SetText(Texts().Get(L"EIN11"));
    DPRG1.SetText(Texts().Get(L"EIN12"));
    DPRG1.SetItem(2, Texts().Get(L"EI3"));
    LevelRG1.SetText(Texts().Get(L"EIN13"));
    MDCB1.SetText(Texts().Get(L"EIN17"));
    NSRG1.SetText(Texts().Get(L"EIN16"));
    NSRG1.SetItem(0, Texts().Get(L"EI4"));
    NSRG1.SetItem(1, Texts().Get(L"EI5"));
    AnzeigenCB.SetText(Texts().Get(L"EI6"));
    AnzeigenCB.SetHint(Texts().Get(L"EI7"));
    EncryptBt.SetText(Texts().Get(L"EIN19"));
    EncryptBt.SetHint(Texts().Get(L"E_I10"));
    AuswahlRG.SetText(Texts().Get(L"AUSW1"));
    AusgabeRG.SetText(Texts().Get(L"AUSG1"));
    Label3.SetText(Texts().Get(L"LAB3"));
    SeiteLB1.SetText(Texts().Get(L"SLB1"));
    SpinEdit3.SetHint(Texts().Get(L"SE3H"));
    WasserzeichenCB.SetText(Texts().Get(L"WASSERZ"));
    WasserzeichenEdit.SetHint(Texts().Get(L"WASSERANZ"));
    Information1->SetCaption(Texts().Get(L"E_ICAP"));
    Startein->SetCaption(Texts().Get(L"STA1"));
    Startsp->SetCaption(Texts().Get(L"STA2"));
    Profladen->SetCaption(Texts().Get(L"Pro1"));
    Profspeichern->SetCaption(Texts().Get(L"Pro2"));
    Originalladen->SetCaption(Texts().Get(L"Pro3"));
    Hilfe1->SetCaption(Texts().Get(L"MHC"));
}

void TEinstellungen_Form::ArrangeServerRow() {
    constexpr int kGap = 8;
    const int right = ClientWidth() - 8;
    const int afterEndLabel = BenutzerLabel.Left() + BenutzerLabel.Width() + kGap;
    const int left = std::max(afterEndLabel, std::min(330, right - RestLabel.Width()));
    RestLabel.SetLeft(left);
    RestEdit.SetLeft(left);
}

void TEinstellungen_Form::FormShow() {
    ApplyTexts();
    ArrangeServerRow();
    const bool focusEncrypt = model_.FormShow();
    SyncFromModel();
    if (focusEncrypt)
        EncryptBt.SetFocus();
}

void TEinstellungen_Form::FormActivate() {
    if (model_.FormActivate())
        EncryptBt.Click();
}

void TEinstellungen_Form::FormDestroy() {
    try {
        model_.FormDestroy(iniPath_);
    } catch (const EIniFileException& e) {
        gui::ShowMessage(e.Message());
    }
}

// --- commands ----------------------------------------------------------------------------------------------------

void TEinstellungen_Form::Button1Click() {
    OpenDialog1.InitialDir = InitialDirOf(Edit1.Text());
    if (OpenDialog1.Execute(Handle()))
        Edit1.SetText(OpenDialog1.FileName);
}

void TEinstellungen_Form::WasserzBtnClick() {
    OpenDialog3.InitialDir = InitialDirOf(WasserzeichenEdit.Text());
    if (OpenDialog3.Execute(Handle()))
        WasserzeichenEdit.SetText(OpenDialog3.FileName);
}

void TEinstellungen_Form::OpenReader(const std::wstring& document) {
    const ReaderCall call = ReaderCallFor(model_.Main().ReaderProgram(), document);
    TForm* owner = Application.MainForm();
    // A reader that cannot be started is not reported.
    ShellExecuteW(owner ? owner->Handle() : Handle(), L"open", call.File.c_str(), call.Parameters.c_str(), nullptr,
                  SW_SHOWNORMAL);
}

void TEinstellungen_Form::WasserzeichenEditDblClick() {
    OpenReader(WasserzeichenEdit.Text());
}

void TEinstellungen_Form::Kurzanleitungpdf1Click() {
    OpenReader(ManualPath(model_.ProgramFolder()));
}

void TEinstellungen_Form::Information1Click() {
    if (!infoForm_)
        return;
    infoForm_->SetPosition(TPosition::poDesktopCenter);
    infoForm_->ShowModal();
}

void TEinstellungen_Form::EncryptBtClick() {
    if (!encryptForm_)
        return;
    encryptForm_->SetPosition(TPosition::poDesktopCenter);
    encryptForm_->ShowModal();
    SyncFromModel();
}

void TEinstellungen_Form::RunProfileCommand(void (ProfileCommands::*command)()) {
    if (!encryptForm_)
        return;
    ProfileCommands commands(model_, encryptForm_->Model(), *this, iniPath_);
    (commands.*command)();
    SyncFromModel();
    encryptForm_->SyncFromModel();
}

// --- IProfileUi --------------------------------------------------------------------------------------------------

YesNoCancel TEinstellungen_Form::AskSaveStartSettings(const std::wstring& text, const std::wstring& caption) {
    // "No" is the default: Enter must not overwrite the start settings by accident.
    switch (MessageDlg(text, caption, TMsgDlgType::mtPlain, TMsgDlgButtons::mbYesNoCancel, Handle(), 1)) {
    case mrYes:
        return YesNoCancel::Yes;
    case mrNo:
        return YesNoCancel::No;
    default:
        return YesNoCancel::Cancel;
    }
}

std::optional<std::wstring> TEinstellungen_Form::ChooseProfileToLoad(const std::wstring& initialDir) {
    OpenDialog2.InitialDir = initialDir;
    if (!OpenDialog2.Execute(Handle()))
        return std::nullopt;
    return OpenDialog2.FileName;
}

std::optional<std::wstring> TEinstellungen_Form::ChooseProfileToSave(const std::wstring& initialDir) {
    SaveDialog1.InitialDir = initialDir;
    if (!SaveDialog1.Execute(Handle()))
        return std::nullopt;
    return SaveDialog1.FileName;
}

void TEinstellungen_Form::ShowMessage(const std::wstring& text) {
    MessageDlg(text, L"", TMsgDlgType::mtPlain, TMsgDlgButtons::mbOK, Handle());
}

void TEinstellungen_Form::ShowSecurityDialog() {
    EncryptBtClick();
}

void TEinstellungen_Form::CloseSettingsDialog() {
    Close();
}

// --- main window -------------------------------------------------------------------------------------------------

SettingsDialogClosed Einstellungen1Click(TEinstellungen_Form& form, const GsOptions& current) {
    form.SetPosition(TPosition::poMainFormCenter);
    form.ShowModal();
    return RebuildAfterSettingsDialog(form.Model().Values(), current);
}
