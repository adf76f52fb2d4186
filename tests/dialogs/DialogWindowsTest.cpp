// Both dialogs as real windows under Wine: controls are clicked and typed into, message boxes and file dialogs are
// answered by the hooks, and what the windows show is compared with the model behind them.
#include "DialogFakes.h"

#include "app/dialogs/Einstellungen_Unit.h"
#include "app/dialogs/Encrypt_Unit.h"
#include "app/main/SettingsFile.h"
#include "gui/Application.h"
#include "gui/Dialogs.h"
#include "gui/MessageBox.h"
#include "support/FormSteps.h"
#include "support/GuiDriver.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace gui;

namespace {

using testenv::PumpUntil;

bool On(const TControl& c) {
    return IsWindowEnabled(c.Handle()) != FALSE;
}

// A failed step must not leave the test waiting in the modal loop.
struct WhenShown : testenv::WhenShown {
    WhenShown(TForm& form, std::function<void()> steps)
        : testenv::WhenShown(form, std::move(steps), Guard::CloseOnFatalFailure) {}
};

// The program's dialogs over a program folder of their own, German texts, boxes recorded.
struct Windows {
    explicit Windows(bool withPdftk = true) {
        if (withPdftk)
            testenv::WriteFileBytes(folder / L"pdftk.exe", "stand-in");
        settings = std::make_unique<TEinstellungen_Form>(values, main, folder.path(), IniPath());
        settings->DoCreate();
        encrypt = std::make_unique<TEncrypt_Form>(record, state, *settings, keepSecurity);
        settings->SetEncryptForm(encrypt.get());
        settings->SetInfoForm(&info);
    }
    std::wstring IniPath() const { return (folder / L"Ostrel.ini").wstring(); }
    void ClickItem(TRadioGroup& group, int index) {
        guidriver::Click(group.Button(index)->Handle());
        ASSERT_EQ(group.ItemIndex(), index);
    }

    testenv::TempDir folder{L"win"};
    DialogSettings values;
    SecuritySettings record;
    EncryptDialogState state;
    bool keepSecurity = false;
    dialogtest::FakeMainWindow main;
    TEin_Info_Form info;
    std::unique_ptr<TEinstellungen_Form> settings;
    std::unique_ptr<TEncrypt_Form> encrypt;
};

class DialogWindowsTest : public testing::Test {
protected:
    void SetUp() override {
        dialogtest::LoadGermanTexts();
        Application.Initialize();
    }
    void TearDown() override { SetCommonDialogHook({}); }
    // The texts of the recorded boxes.
    std::vector<std::wstring> BoxTexts() const {
        std::vector<std::wstring> texts;
        for (const auto& r : boxes.Records)
            texts.push_back(r.Text);
        return texts;
    }

    MessageBoxRecorder boxes;
};

struct FormatCase {
    int Format;
    const wchar_t* Caption;
    bool Pdf;
    bool Dpi;
    bool Quality;
};

TEST_F(DialogWindowsTest, EachOutputTypeShapesTheControls) {
    const FormatCase cases[] = {
        {1, L"Umwandeln in PS", false, false, false},  {2, L"Umwandeln in JPEG", false, true, true},
        {3, L"Umwandeln in TIFF", false, true, false}, {4, L"Umwandeln in TIFF", false, true, false},
        {5, L"Umwandeln in TIFF", false, true, false}, {0, L"Umwandeln in PDF", true, false, false}};
    Windows w;
    TEinstellungen_Form& f = *w.settings;
    f.Show();
    w.ClickItem(f.JNRG1, 0);
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.Format);
        w.ClickItem(f.AuswahlRG, c.Format);
        EXPECT_EQ(w.values.OutputType, c.Format);
        EXPECT_EQ(w.main.Caption, c.Caption);
        EXPECT_EQ(w.main.MergeEnabled, c.Pdf);
        for (TControl* pdfOnly :
             std::initializer_list<TControl*>{&f.EncryptBt, &f.GrafikenRG1, &f.DPRG1, &f.AutoRP, &f.JNRG1, &f.LevelRG1,
                                              &f.AnzeigenCB, &f.WasserzeichenCB})
            EXPECT_EQ(On(*pdfOnly), c.Pdf) << guidriver::ControlName(pdfOnly->Handle());
        EXPECT_EQ(On(f.SpinEdit2), c.Dpi);
        EXPECT_EQ(On(f.SeiteCB), c.Dpi);
        EXPECT_EQ(On(f.SpinEdit3), c.Quality);
        EXPECT_TRUE(On(f.MailRG1));
    }
    f.Hide();
}

TEST_F(DialogWindowsTest, MailModesAndPerPageImages) {
    Windows w;
    TEinstellungen_Form& f = *w.settings;
    f.Show();
    f.AnzeigenCB.SetChecked(true);
    w.ClickItem(f.MailRG1, 0);
    EXPECT_TRUE(On(f.MDCB1));
    EXPECT_FALSE(On(f.AnzeigenCB));
    EXPECT_FALSE(f.AnzeigenCB.Checked());
    EXPECT_FALSE(w.values.ShowInReader);
    w.ClickItem(f.MailRG1, 1);
    EXPECT_FALSE(On(f.MDCB1));
    EXPECT_FALSE(f.MDCB1.Checked());
    EXPECT_TRUE(On(f.AnzeigenCB));

    w.ClickItem(f.NSRG1, 1);
    EXPECT_FALSE(On(f.NameEdit));
    EXPECT_FALSE(On(f.MailLabel));
    EXPECT_TRUE(On(f.DomainEdit));
    EXPECT_TRUE(On(f.RestLabel));
    w.ClickItem(f.NSRG1, 0);
    EXPECT_TRUE(On(f.NameEdit));
    EXPECT_FALSE(On(f.BenutzerEdit));

    w.ClickItem(f.MailRG1, 0);
    w.ClickItem(f.AuswahlRG, 2);
    guidriver::Click(f.SeiteCB.Handle());
    ASSERT_TRUE(w.values.FilePerPage);
    for (TControl* c : std::initializer_list<TControl*>{&f.MDCB1, &f.MailRG1, &f.NameEdit, &f.MailEdit, &f.NSRG1})
        EXPECT_FALSE(On(*c));
    guidriver::Click(f.SeiteCB.Handle());
    for (TControl* c : std::initializer_list<TControl*>{&f.MDCB1, &f.MailRG1, &f.NameEdit, &f.MailEdit, &f.NSRG1})
        EXPECT_TRUE(On(*c));
    f.Hide();
}

TEST_F(DialogWindowsTest, RestEditTakesDigitsAndCapsAt255) {
    Windows w;
    TEinstellungen_Form& f = *w.settings;
    f.Show();
    w.ClickItem(f.NSRG1, 1);
    f.RestEdit.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return f.RestEdit.Focused(); }));
    guidriver::PostChars(f.RestEdit.Handle(), L"9x9-9");
    ASSERT_TRUE(PumpUntil([&] { return f.RestEdit.Text().size() >= 3; }));
    EXPECT_EQ(f.RestEdit.Text(), L"999");
    f.DomainEdit.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return f.DomainEdit.Focused(); }));
    EXPECT_EQ(f.RestEdit.Text(), L"255");
    EXPECT_EQ(w.values.MailUserNameDigits, L"255");
    f.Hide();
}

TEST_F(DialogWindowsTest, EscAndOkBothKeepEveryChangeAndTheMainWindowRebuilds) {
    Windows w;
    TEinstellungen_Form& f = *w.settings;
    GsOptions options;
    SetGsOptions(options, {});
    for (WORD key : {WORD(VK_ESCAPE), WORD(VK_RETURN)}) {
        SCOPED_TRACE(key);
        TModalResult seen = mrNone;
        WhenShown steps(f, [&] {
            w.ClickItem(f.JNRG1, 0);
            w.ClickItem(f.LevelRG1, 0);
            w.ClickItem(f.GrafikenRG1, 0);
            w.ClickItem(f.DPRG1, 3);
            w.ClickItem(f.loeschenRG1, 0);
            f.SpinEdit1.SetText(L"45");
            if (key == VK_ESCAPE)
                guidriver::PostKey(f.Edit1.Handle(), VK_ESCAPE);
            else
                guidriver::Click(f.OKBitBtn1.Handle());
        });
        const SettingsDialogClosed closed = Einstellungen1Click(f, options);
        seen = f.ModalResult();
        EXPECT_EQ(seen, key == VK_ESCAPE ? mrCancel : mrOk);
        EXPECT_FALSE(IsWindowVisible(f.Handle()));
        EXPECT_TRUE(closed.DeleteInputs);
        EXPECT_EQ(closed.Options.GsCompatLevelOption, L" -dCompatibilityLevel=1.2");
        EXPECT_EQ(closed.Options.GsResolutionOption, L" -r72");
        EXPECT_EQ(closed.Options.GsPdfSettingsOption, L" -dPDFSETTINGS=/printer");
        EXPECT_EQ(closed.PollSeconds, 45);
        EXPECT_EQ(closed.TimerInterval, 45000u);
        // Closing never undoes a change.
        EXPECT_EQ(w.values.PdfResolution, 0);
        EXPECT_EQ(w.values.PollSeconds, 45);
        w.ClickItem(f.JNRG1, 1);
    }
    // "Nein" fixes PDF 1.3 whatever the level shows; a huge poll period is held at the timer's maximum.
    w.ClickItem(f.JNRG1, 1);
    f.SpinEdit1.SetText(L"3000000");
    WhenShown esc(f, [&] { guidriver::PostKey(f.Edit1.Handle(), VK_ESCAPE); });
    const SettingsDialogClosed closed = Einstellungen1Click(f, options);
    EXPECT_EQ(closed.Options.GsCompatLevelOption, L" -dCompatibilityLevel=1.3");
    EXPECT_EQ(closed.PollSeconds, 3000000);
    EXPECT_EQ(closed.TimerInterval, kUserTimerMaximum);
}

TEST_F(DialogWindowsTest, EncryptionExcludesTheWatermarkAndCloseSetsTheLevel) {
    Windows w;
    TEinstellungen_Form& f = *w.settings;
    TEncrypt_Form& e = *w.encrypt;
    guidriver::Click(f.WasserzeichenCB.Handle());
    ASSERT_TRUE(w.values.StampWatermark);
    ASSERT_TRUE(w.main.WatermarkIndicator);
    w.ClickItem(f.LevelRG1, 0);

    WhenShown steps(e, [&] {
        EXPECT_EQ(e.EncryptCombo.Item(0), L"Niedrig (40-Bit RC4)");
        EXPECT_EQ(e.Caption(), L"Verschlüsselung - erst ab V8.50!");
        guidriver::Click(e.BerechtigungCB.Handle());
        EXPECT_TRUE(On(e.BerechtigungE));
        EXPECT_TRUE(On(e.EncryptCombo));
        EXPECT_FALSE(On(e.HQCB));
        EXPECT_FALSE(f.WasserzeichenCB.Checked());
        EXPECT_FALSE(On(f.WasserzeichenCB));
        EXPECT_FALSE(On(f.WasserzeichenEdit));
        EXPECT_FALSE(w.main.WatermarkIndicator);
        ASSERT_TRUE(PumpUntil([&] { return e.BerechtigungE.Focused(); }));
        guidriver::PostChars(e.BerechtigungE.Handle(), L"geheim");
        ASSERT_TRUE(PumpUntil([&] { return w.record.OwnerPassword == L"geheim"; }));
        // The user picks 128-bit.
        SendMessageW(e.EncryptCombo.Handle(), CB_SETCURSEL, 1, 0);
        SendMessageW(GetParent(e.EncryptCombo.Handle()), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(e.EncryptCombo.Handle()), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(e.EncryptCombo.Handle()));
        EXPECT_TRUE(On(e.HQCB));
        EXPECT_TRUE(On(e.InhaltCB));
        guidriver::Click(e.DruckenCB.Handle());
        EXPECT_FALSE(On(e.HQCB));
        guidriver::Click(e.Button1.Handle());
    });
    f.EncryptBt.Click();
    EXPECT_EQ(e.ModalResult(), mrOk);
    EXPECT_TRUE(boxes.Records.empty()) << (BoxTexts().empty()
                                               ? ""
                                               : std::string(BoxTexts()[0].begin(), BoxTexts()[0].end()));
    EXPECT_EQ(w.record.KeyLength, 1);
    EXPECT_TRUE(w.record.OwnerPasswordOn);
    EXPECT_TRUE(w.record.DenyPrinting);
    EXPECT_EQ(f.JNRG1.ItemIndex(), 0);
    EXPECT_EQ(f.LevelRG1.ItemIndex(), 2);
    EXPECT_TRUE(On(f.LevelRG1));
    EXPECT_EQ(w.state.FormatAtEncryptClose, 0);

    // Esc with 40-bit: the key length is not stored, the level goes to PDF 1.3.
    WhenShown esc(e, [&] {
        SendMessageW(e.EncryptCombo.Handle(), CB_SETCURSEL, 0, 0);
        SendMessageW(GetParent(e.EncryptCombo.Handle()), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(e.EncryptCombo.Handle()), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(e.EncryptCombo.Handle()));
        guidriver::PostKey(e.Button1.Handle(), VK_ESCAPE);
    });
    f.EncryptBt.Click();
    EXPECT_EQ(e.ModalResult(), mrCancel);
    EXPECT_EQ(w.record.KeyLength, 1);
    EXPECT_EQ(f.LevelRG1.ItemIndex(), 1);
    EXPECT_EQ(e.EncryptCombo.ItemIndex(), 0);
}

TEST_F(DialogWindowsTest, ClosingWithEmptyOwnerPasswordSwitchesEncryptionOff) {
    Windows w;
    TEncrypt_Form& e = *w.encrypt;
    WhenShown steps(e, [&] {
        guidriver::Click(e.BerechtigungCB.Handle());
        ASSERT_TRUE(w.record.OwnerPasswordOn);
        guidriver::PostKey(e.Button1.Handle(), VK_ESCAPE);
    });
    w.settings->EncryptBt.Click();
    ASSERT_FALSE(boxes.Records.empty());
    const TMessageBoxRecord& last = boxes.Records.back();
    EXPECT_EQ(last.Text, Texts().Get(L"ENC11"));
    EXPECT_EQ(last.Type, TMsgDlgType::mtError);
    EXPECT_EQ(last.Buttons, TMsgDlgButtons::mbOK);
    EXPECT_FALSE(e.BerechtigungCB.Checked());
    EXPECT_FALSE(w.record.OwnerPasswordOn);
    EXPECT_TRUE(On(w.settings->WasserzeichenCB)) << "the watermark box is offered again";
}

TEST_F(DialogWindowsTest, PasswordMessagesComeFromTheLanguageFile) {
    Windows w;
    TEncrypt_Form& e = *w.encrypt;
    WhenShown steps(e, [&] {
        guidriver::Click(e.BerechtigungCB.Handle());
        ASSERT_TRUE(PumpUntil([&] { return e.BerechtigungE.Focused(); }));
        guidriver::PostChars(e.BerechtigungE.Handle(), L"owner");
        ASSERT_TRUE(PumpUntil([&] { return w.record.OwnerPassword == L"owner"; }));
        guidriver::Click(e.KennwortCB.Handle());
        ASSERT_TRUE(PumpUntil([&] { return e.KennwortE.Focused(); }));
        ASSERT_TRUE(boxes.Records.empty());
        guidriver::PostChars(e.KennwortE.Handle(), L" ");
        ASSERT_TRUE(PumpUntil([&] { return e.KennwortE.Text() == L" "; }));
        guidriver::PostKey(e.KennwortE.Handle(), 'A'); // the single blank is reported at the next key
        ASSERT_TRUE(PumpUntil([&] { return !boxes.Records.empty(); }));
        EXPECT_EQ(boxes.Records[0].Text, Texts().Get(L"ENC12"));
        e.KennwortE.SetText(L"same");
        e.BerechtigungE.SetText(L"same");
        boxes.Records.clear();
        e.KennwortE.SetFocus();
        e.DruckenCB.SetFocus(); // leaving the open password equal to the owner password
        ASSERT_TRUE(PumpUntil([&] { return !boxes.Records.empty(); }));
        EXPECT_EQ(boxes.Records[0].Text, Texts().Get(L"ENC13"));
        EXPECT_EQ(boxes.Records[0].Type, TMsgDlgType::mtWarning);
        EXPECT_TRUE(PumpUntil([&] { return e.KennwortE.Focused(); })) << "the focus returns to the field";
        e.KennwortE.SetText(L"other");
        guidriver::Click(e.Button1.Handle());
    });
    w.settings->EncryptBt.Click();
    EXPECT_EQ(w.record.UserPassword, L"other");
    EXPECT_EQ(w.record.OwnerPassword, L"same");
}

TEST_F(DialogWindowsTest, ProfileRoundTripThroughTheMenus) {
    Windows w;
    TEinstellungen_Form& f = *w.settings;
    const std::wstring file = (w.folder / L"Büro Profil.ppf").wstring();
    // Values set through the controls.
    f.Edit1.SetText(L"D:\\gs\\gswin32c.exe");
    f.WasserzeichenEdit.SetText(L"C:\\Stempel.pdf");
    w.ClickItem(f.loeschenRG1, 0);
    w.ClickItem(f.AutostartRG1, 0);
    w.ClickItem(f.JNRG1, 0);
    w.ClickItem(f.GrafikenRG1, 3);
    w.ClickItem(f.DPRG1, 2);
    w.ClickItem(f.AutoRP, 1);
    f.SpinEdit1.SetText(L"33");
    w.ClickItem(f.MailRG1, 0);
    f.NameEdit.SetText(L"Jörg");
    f.MailEdit.SetText(L"j@example.org");
    w.ClickItem(f.NSRG1, 1);
    f.DomainEdit.SetText(L"example.org");
    f.BenutzerEdit.SetText(L"_");
    f.RestEdit.SetText(L"4");
    guidriver::Click(f.MDCB1.Handle());
    w.ClickItem(f.AuswahlRG, 0);
    f.SpinEdit2.SetText(L"200");
    f.SpinEdit3.SetText(L"60");
    WhenShown on(*w.encrypt, [&] {
        TEncrypt_Form& e = *w.encrypt;
        guidriver::Click(e.BerechtigungCB.Handle());
        e.BerechtigungE.SetText(L"own er");
        guidriver::Click(e.KennwortCB.Handle());
        e.KennwortE.SetText(L"open");
        guidriver::Click(e.KopEntCB.Handle());
        guidriver::Click(e.FormularCB.Handle());
        guidriver::Click(e.Button1.Handle());
    });
    f.EncryptBt.Click();
    const DialogSettings saved = w.values;
    const SecuritySettings savedSecurity = w.encrypt->Model().ControlsAsRecord();
    ASSERT_TRUE(savedSecurity.OwnerPasswordOn);

    std::wstring initialDir;
    SetCommonDialogHook([&](TCommonDialog& d) {
        auto& open = dynamic_cast<TOpenDialog&>(d);
        initialDir = open.InitialDir;
        EXPECT_EQ(open.Filter, L"Ostrel-Profile (*.ppf)|*.ppf|*.*|*.*");
        EXPECT_EQ(open.DefaultExt, L"ppf");
        open.FileName = file;
        return true;
    });
    f.Profspeichern->Click();
    EXPECT_EQ(initialDir, w.folder.path().wstring() + L"\\");
    ASSERT_TRUE(std::filesystem::exists(file));

    Windows fresh;
    int securityShown = 0;
    WhenShown closeSecurity(*fresh.encrypt, [&] {
        ++securityShown;
        EXPECT_TRUE(fresh.encrypt->BerechtigungCB.Checked());
        EXPECT_EQ(fresh.encrypt->BerechtigungE.Text(), L"own er");
        EXPECT_TRUE(fresh.encrypt->KopEntCB.Checked());
        guidriver::Click(fresh.encrypt->Button1.Handle());
    });
    fresh.settings->Profladen->Click();
    EXPECT_EQ(securityShown, 1);
    DialogSettings expected = saved;
    expected.StampWatermark = fresh.values.StampWatermark;
    EXPECT_EQ(fresh.values, expected);
    EXPECT_EQ(fresh.record, savedSecurity);
    EXPECT_EQ(fresh.settings->NameEdit.Text(), L"Jörg");
    EXPECT_EQ(fresh.settings->GrafikenRG1.ItemIndex(), 3);
    EXPECT_EQ(fresh.settings->SpinEdit1.Value(), 33);
}

TEST_F(DialogWindowsTest, StartSettingsYesNoCancel) {
    Windows w;
    TEinstellungen_Form& f = *w.settings;
    f.SpinEdit1.SetText(L"21");
    struct Case {
        TModalResult Answer;
        bool Written;
        bool Closed;
    };
    for (Case c : {Case{mrCancel, false, false}, Case{mrNo, false, true}, Case{mrYes, true, true}}) {
        SCOPED_TRACE(c.Answer);
        f.Show();
        boxes.Records.clear();
        boxes.Answers = {c.Answer};
        f.Startsp->Click();
        ASSERT_EQ(boxes.Records.size(), 1u);
        EXPECT_EQ(boxes.Records[0].Caption, L"Starteinstellungen speichern");
        EXPECT_EQ(boxes.Records[0].Text, Texts().Get(L"StSp1"));
        EXPECT_EQ(boxes.Records[0].Buttons, TMsgDlgButtons::mbYesNoCancel);
        EXPECT_EQ(boxes.Records[0].Type, TMsgDlgType::mtPlain);
        EXPECT_EQ(boxes.Records[0].DefaultButton, 1) << "No is the default";
        EXPECT_EQ(SettingsFileExists(w.IniPath()), c.Written);
        EXPECT_EQ(IsWindowVisible(f.Handle()) == FALSE, c.Closed);
    }
    DialogSettings read;
    ReadDialogStart(w.IniPath(), read, L"");
    EXPECT_EQ(read.PollSeconds, 21);

    // Loading them back after changes restores them and switches encryption off.
    f.SpinEdit1.SetText(L"99");
    w.encrypt->BerechtigungCB.SetChecked(true);
    ASSERT_TRUE(w.record.OwnerPasswordOn);
    f.Originalladen->Click();
    EXPECT_EQ(f.SpinEdit1.Value(), 21);
    EXPECT_FALSE(w.record.OwnerPasswordOn);
    EXPECT_FALSE(w.encrypt->BerechtigungCB.Checked());
}

TEST_F(DialogWindowsTest, SecurityReminderOpensTheEncryptionDialogOnce) {
    Windows w;
    w.main.SecurityCheckRequest = true;
    int shown = 0;
    WhenShown closeSecurity(*w.encrypt, [&] {
        ++shown;
        guidriver::Click(w.encrypt->Button1.Handle());
    });
    WhenShown closeSettings(*w.settings, [&] {
        ASSERT_TRUE(PumpUntil([&] { return shown == 1; }));
        guidriver::PostKey(w.settings->Edit1.Handle(), VK_ESCAPE);
    });
    GsOptions options;
    Einstellungen1Click(*w.settings, options);
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(w.main.SecurityCheckRequest);
}

TEST_F(DialogWindowsTest, LegendShowsTheTextsAndClosesWithEsc) {
    Windows w;
    std::wstring caption, heading5, text10;
    WhenShown steps(w.info, [&] {
        caption = w.info.Caption();
        heading5 = w.info.Panels[4].Heading->Caption();
        text10 = w.info.Panels[9].Text->Caption();
        guidriver::PostKey(w.info.JaBitBtn.Handle(), VK_ESCAPE);
    });
    w.settings->Information1->Click();
    EXPECT_EQ(caption, L"Anleitung");
    EXPECT_EQ(heading5, Texts().Get(L"EIN12"));
    EXPECT_EQ(text10, Texts().Get(L"E_I12"));
    EXPECT_FALSE(IsWindowVisible(w.info.Handle()));
}

} // namespace
