#include "app/dialogs/SmallDialogs.h"

#include "app/main/LanguageTexts.h"

namespace {

void MakeDialog(gui::TForm& form, int width, int height, gui::TPosition position) {
    form.SetBorderStyle(gui::TFormBorderStyle::bsDialog);
    form.SetClientSize(width, height);
    form.SetPosition(position);
    form.KeyPreview = true;
}

void MakeWrapping(gui::TLabel& label) {
    label.SetAutoSize(false);
    label.SetWordWrap(true);
}

void MakeReadOnlyMemo(gui::TMemo& memo, const wchar_t* text) {
    memo.SetReadOnly(true);
    memo.SetText(text);
}

} // namespace

const wchar_t* const NoLanguageFileText =
    L"Ostrel benötigt zum Start Sprachdateien (zum Beispiel \"Deutsch.plf\", \"English.plf\") in seinem "
    L"Programmverzeichnis. Es wurde keine Sprachdatei gefunden. Die Sprachdateien können Sie von der Ostrel-Homepage "
    L"http://www.ostrel.de herunterladen.\r\n"
    L"\r\n"
    L"Ostrel needs language files (for example \"Deutsch.plf\", \"English.plf\") in its program folder. No language "
    L"file was found. You can download the language files from the Ostrel home page http://www.ostrel.de.";

const wchar_t* const FirstStartText =
    L"Willkommen! Vor der ersten Umwandlung:\r\n"
    L"1. Installieren Sie Ghostscript ab Version 8.50 (https://www.ghostscript.com/releases/).\r\n"
    L"2. Richten Sie den PDF-Drucker (einen PostScript-Drucker) ein.\r\n"
    L"3. Wahlweise: die Anschlussumleitung für den automatischen Betrieb.\r\n"
    L"4. Lesen Sie die \"Kurzanleitung.pdf\" im Programmverzeichnis.\r\n"
    L"5. Tragen Sie unter Optionen - Einstellungen den Pfad von \"gswin32c.exe\" ein.\r\n"
    L"6. Prüfen Sie danach das Eingabe- und das Ausgabeverzeichnis.\r\n"
    L"\r\n"
    L"Welcome! Before the first conversion:\r\n"
    L"1. Install Ghostscript 8.50 or later (https://www.ghostscript.com/releases/).\r\n"
    L"2. Set up the PDF printer (a PostScript printer).\r\n"
    L"3. Optionally: the port redirection for the automatic mode.\r\n"
    L"4. Read \"Kurzanleitung.pdf\" in the program folder.\r\n"
    L"5. Set the path of \"gswin32c.exe\" under Options - Settings.\r\n"
    L"6. Then check the input and the output folder.";

// --- about box -------------------------------------------------------------------------------------------------

TInfo_Form::TInfo_Form() {
    OnShow = [this](gui::TComponent*) { FormShow(); };
}

void TInfo_Form::FormShow() {
    SetCaption(Texts().Get(L"INFOCAP"));
    FragenL.SetText(Texts().Get(L"FRAGEN"));
    HaftungL.SetText(Texts().Get(L"HAFTUNG"));
    MailL.SetHint(Texts().Get(L"MAILH"));
    InternetL.SetHint(Texts().Get(L"INTERNETH"));
}

// --- exit question ---------------------------------------------------------------------------------------------

TBeenden_Form::TBeenden_Form() : TForm(L"TBeenden_Form", L"Beenden_Form") {
    MakeDialog(*this, 332, 96, gui::TPosition::poMainFormCenter);
    SetCaption(L"Ostrel beenden?");
    BeendenL.SetText(L"Möchten Sie Ostrel wirklich beenden?");
    JaBitBtn.SetKind(gui::TBitBtnKind::bkOK);
    JaBitBtn.SetCaption(L"OK");
    NeinBitBtn.SetKind(gui::TBitBtnKind::bkCancel);
    NeinBitBtn.SetCaption(L"Abbrechen");
    JaBitBtn.OnClick = [this](gui::TComponent*) { JaBitBtnClick(); };
    NeinBitBtn.OnClick = [this](gui::TComponent*) { NeinBitBtnClick(); };
    OnShow = [this](gui::TComponent*) { FormShow(); };
}

void TBeenden_Form::FormShow() {
    SetCaption(Texts().Get(L"PRGENDE"));
    BeendenL.SetText(Texts().Get(L"ENDECAP"));
    JaBitBtn.SetCaption(Texts().Get(L"OK"));
    NeinBitBtn.SetCaption(Texts().Get(L"ABBRECHEN"));
    JaBitBtn.SetFocus();
}

// The buttons' modal results carry the answer; the main window acts on it (it closes on OK).
void TBeenden_Form::JaBitBtnClick() {
    SetModalResult(gui::mrOk);
}
void TBeenden_Form::NeinBitBtnClick() {
    SetModalResult(gui::mrCancel);
}

// --- instructions ----------------------------------------------------------------------------------------------

TAnleitung_Form::TAnleitung_Form() : TForm(L"TAnleitung_Form", L"Anleitung_Form") {
    MakeDialog(*this, 480, 330, gui::TPosition::poMainFormCenter);
    SetCaption(L"Anleitung");
    for (gui::TLabel* label : TextLabels())
        MakeWrapping(*label);
    JaBitBtn.SetKind(gui::TBitBtnKind::bkOK);
    JaBitBtn.SetCaption(L"OK");
    OnShow = [this](gui::TComponent*) { FormShow(); };
    OnKeyDown = [this](gui::TComponent*, WORD& key, gui::TShiftState shift) { FormKeyDown(key, shift); };
}

void TAnleitung_Form::FormShow() {
    SetCaption(Texts().Get(L"ANLEITCAP"));
    static constexpr const wchar_t* keys[] = {L"AT1", L"AT2", L"AT3", L"AT4", L"AT5", L"AT6"};
    auto labels = TextLabels();
    for (size_t i = 0; i < labels.size(); ++i)
        labels[i]->SetText(Texts().Get(keys[i]));
    JaBitBtn.SetCaption(Texts().Get(L"OK"));
}

void TAnleitung_Form::FormKeyDown(WORD& Key, gui::TShiftState) {
    if (Key == VK_ESCAPE)
        Close();
}

// --- notices ---------------------------------------------------------------------------------------------------

TInfo_Sprache_Form::TInfo_Sprache_Form() : TForm(L"TInfo_Sprache_Form", L"Info_Sprache_Form") {
    MakeDialog(*this, 440, 254, gui::TPosition::poDesktopCenter);
    SetCaption(L"Ostrel - Keine Sprachdatei gefunden!");
    MakeReadOnlyMemo(Memo1, NoLanguageFileText);
    BitBtn1.SetKind(gui::TBitBtnKind::bkOK);
    BitBtn1.SetCaption(L"OK");
    // Enter confirms: the focus starts on OK at every showing (in the memo Enter would be a line break).
    OnShow = [this](gui::TComponent*) { BitBtn1.SetFocus(); };
    OnKeyDown = [this](gui::TComponent*, WORD& key, gui::TShiftState shift) { FormKeyDown(key, shift); };
}

void TInfo_Sprache_Form::FormKeyDown(WORD& Key, gui::TShiftState) {
    if (Key == VK_ESCAPE)
        Close();
}

TStartbild_Form::TStartbild_Form() : TForm(L"TStartbild_Form", L"Startbild_Form") {
    MakeDialog(*this, 520, 326, gui::TPosition::poDesktopCenter);
    SetCaption(L"Ostrel: Der erste Start - the first start");
    MakeReadOnlyMemo(Memo1, FirstStartText);
    BitBtn1.SetKind(gui::TBitBtnKind::bkOK);
    BitBtn1.SetCaption(L"OK");
    OnShow = [this](gui::TComponent*) { BitBtn1.SetFocus(); };
}

// --- splash ----------------------------------------------------------------------------------------------------

TIntroWin::TIntroWin() : TForm(L"TIntroWin", L"IntroWin") {
    SetBorderStyle(gui::TFormBorderStyle::bsNone);
    SetClientSize(280, 137);
    SetPosition(gui::TPosition::poScreenCenter);
    SetCaption(L"Ostrel");
    gui::TFont big = ProductL.Font();
    big.Size = 20;
    big.Bold = true;
    ProductL.SetFont(big);
    for (gui::TLabel* label : {&ProductL, &Label1, &Label2}) {
        label->SetAutoSize(false);
        label->SetAlignment(gui::TAlignment::taCenter);
    }
    ProductL.SetText(L"Ostrel");
    Label1.SetText(L"Einstellungen werden geladen...");
    Label2.SetText(L"Settings are loaded...");
}
