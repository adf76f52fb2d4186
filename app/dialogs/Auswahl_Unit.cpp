#include "app/dialogs/Auswahl_Unit.h"

#include "app/common/ProcessRunner.h"
#include "app/dialogs/Encrypt_Unit.h"
#include "app/main/LanguageTexts.h"
#include "app/main/Merge.h"
#include "gui/Application.h"
#include "gui/MessageBox.h"

using namespace gui;

namespace {

constexpr int kMinWidth = 531;
constexpr int kMinHeight = 390;

} // namespace

TAuswahl_Form::TAuswahl_Form(DialogSettings& dialog, TEncrypt_Form* encrypt)
    : TForm(L"TAuswahl_Form", L"Auswahl_Form"), dialog_(dialog), encrypt_(encrypt) {
    SetText(L"Welche PDF-Datei(en)?");
    SetClientSize(523, 356);
    SetMinSize(kMinWidth, kMinHeight);
    SetPosition(TPosition::poMainFormCenter);
    KeyPreview = true;

    FileList.SetAnchors(akLeft | akTop | akRight | akBottom);
    FileList.SetExtendedStyle(LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    FileList.AddColumn(L"", 380);
    for (TControl* c : std::initializer_list<TControl*>{&Hinzufuegen, &EntfernenBitBtn, &UpBitBtn, &DownBitBtn,
                                                        &MergeViewer, &KeyBt, &PDFAnzRG})
        c->SetAnchors(akTop | akRight);
    AufgehtsBitBtn.SetAnchors(akRight | akBottom);

    Hinzufuegen.SetText(L"&Hinzufügen...");
    EntfernenBitBtn.SetText(L"&Entfernen");
    AufgehtsBitBtn.SetText(L"&Auf geht's...");
    UpBitBtn.SetText(L"\u2191");
    DownBitBtn.SetText(L"\u2193");
    MergeViewer.SetText(L"V");
    KeyBt.SetText(L"Key");
    PDFAnzRG.SetItems({L"Ja", L"Nein"});

    OpenDialog1.Filter = kMergeFileFilter;
    OpenDialog1.Options = ofHideReadOnly | ofAllowMultiSelect | ofPathMustExist | ofFileMustExist | ofNoChangeDir;

    int order = 0;
    for (TControl* c : std::initializer_list<TControl*>{&FileList, &Hinzufuegen, &EntfernenBitBtn, &UpBitBtn,
                                                        &DownBitBtn, &MergeViewer, &KeyBt, &PDFAnzRG, &AufgehtsBitBtn})
        c->SetTabOrder(order++);

    OnCreate = [this](TComponent*) { FormCreate(); };
    OnShow = [this](TComponent*) { FormShow(); };
    OnKeyDown = [this](TComponent*, WORD& key, TShiftState shift) { FormKeyDown(key, shift); };
    OnClose = [this](TComponent*, TCloseAction& action) { FormClose(action); };
    Hinzufuegen.OnClick = [this](TComponent*) { HinzufuegenClick(); };
    EntfernenBitBtn.OnClick = [this](TComponent*) { EntfernenBitBtnClick(); };
    UpBitBtn.OnClick = [this](TComponent*) { UpBitBtnClick(); };
    DownBitBtn.OnClick = [this](TComponent*) { DownBitBtnClick(); };
    MergeViewer.OnClick = [this](TComponent*) { MergeViewerClick(); };
    KeyBt.OnClick = [this](TComponent*) { KeyBtClick(); };
    AufgehtsBitBtn.OnClick = [this](TComponent*) { AufgehtsBitBtnClick(); };
    if (encrypt_)
        encrypt_->OnMergeKeyButtonFocus = [this] { KeyBt.SetFocus(); };
}

void TAuswahl_Form::FormCreate() {
    UpdateColumnCaption();
}

void TAuswahl_Form::FormShow() {
    grip_.SetTargetControl(this);
    const LanguageTexts& texts = Texts();
    if (!texts.Get(L"AUSWAHL1").empty())
        SetText(texts.Get(L"AUSWAHL1"));
    FileList.SetHint(texts.Get(L"AUSWAHL1H"));
    Hinzufuegen.SetText(texts.Get(L"AUSWAHL2"));
    Hinzufuegen.SetHint(texts.Get(L"AUSWAHL2H"));
    EntfernenBitBtn.SetText(texts.Get(L"AUSWAHL3"));
    EntfernenBitBtn.SetHint(texts.Get(L"AUSWAHL3H"));
    if (!texts.Get(L"AUSWAHL4").empty())
        AufgehtsBitBtn.SetText(texts.Get(L"AUSWAHL4"));
    AufgehtsBitBtn.SetHint(texts.Get(L"AUSWAHL4H"));
    MergeViewer.SetHint(texts.Get(L"VIEWER2"));
    KeyBt.SetHint(texts.Get(L"E_I10"));
    PDFAnzRG.SetText(texts.Get(L"EI6"));
    PDFAnzRG.SetItem(0, texts.Get(L"EI1"));
    PDFAnzRG.SetItem(1, texts.Get(L"EI2"));

    PDFAnzRG.SetItemIndex(dialog_.ShowInReader ? 0 : 1);
    if (DriveBoxColor) {
        const COLORREF colour = DriveBoxColor();
        if (colour != clDefault) {
            SendMessageW(FileList.Handle(), LVM_SETBKCOLOR, 0, static_cast<LPARAM>(colour));
            SendMessageW(FileList.Handle(), LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(colour));
        }
    }
    FileList.ClearItems(); // every merge starts with an empty list
    Hinzufuegen.SetFocus();
    OpenDialog1.InitialDir = OutputFolder ? OutputFolder() : std::wstring();
    UpdateColumnCaption();
}

std::vector<std::wstring> TAuswahl_Form::Files() const {
    std::vector<std::wstring> files;
    for (int i = 0; i < FileList.ItemCount(); ++i)
        files.push_back(FileList.ItemText(i));
    return files;
}

bool TAuswahl_Form::HasItem(const std::wstring& path) const {
    for (int i = 0; i < FileList.ItemCount(); ++i)
        if (FileList.ItemText(i) == path) // exact, case-sensitive: the same file spelt otherwise is kept
            return true;
    return false;
}

void TAuswahl_Form::UpdateColumnCaption() {
    FileList.SetColumnCaption(0, L"Datei(en)/File(s): " + std::to_wstring(FileList.ItemCount()));
    FileList.SetColumnWidth(0, LVSCW_AUTOSIZE_USEHEADER);
}

void TAuswahl_Form::HinzufuegenClick() {
    OpenDialog1.FileName.clear();
    if (!OpenDialog1.Execute(Handle()))
        return;
    for (const std::wstring& file : OpenDialog1.Files)
        if (!HasItem(file))
            FileList.AddItem(file);
    UpdateColumnCaption();
}

void TAuswahl_Form::EntfernenBitBtnClick() {
    for (int i = FileList.ItemCount() - 1; i >= 0; --i)
        if (FileList.ItemSelected(i))
            FileList.DeleteItem(i);
    UpdateColumnCaption();
}

int TAuswahl_Form::FirstSelected() const {
    for (int i = 0; i < FileList.ItemCount(); ++i)
        if (FileList.ItemSelected(i))
            return i;
    return -1;
}

void TAuswahl_Form::ClearSelection() {
    for (int i = 0; i < FileList.ItemCount(); ++i)
        FileList.SetItemSelected(i, false);
}

void TAuswahl_Form::MoveSelected(int step) {
    if (FileList.SelCount() < 2) {
        const int item = FirstSelected();
        const int other = item + step;
        if (item >= 0 && other >= 0 && other < FileList.ItemCount()) {
            const std::wstring moved = FileList.ItemText(item);
            FileList.SetItemText(item, 0, FileList.ItemText(other));
            FileList.SetItemText(other, 0, moved);
            ClearSelection();
            FileList.SetItemSelected(other, true);
            FileList.SetItemFocused(other);
        }
    } else {
        ClearSelection();
    }
    const int selected = FirstSelected();
    if (selected >= 0)
        SendMessageW(FileList.Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(selected), FALSE);
}

void TAuswahl_Form::UpBitBtnClick() {
    MoveSelected(-1);
}

void TAuswahl_Form::DownBitBtnClick() {
    MoveSelected(1);
}

void TAuswahl_Form::MergeViewerClick() {
    const std::wstring program = dialog_.GhostscriptProgram;
    for (int i = 0; i < FileList.ItemCount(); ++i) {
        if (!FileList.ItemSelected(i))
            continue;
        const std::wstring file = FileList.ItemText(i);
        if (OnCurrentInputPath)
            OnCurrentInputPath(file);
        Application.ProcessMessages();
        RunAndWait(MergePreviewCommand(program, file), SW_SHOWNORMAL);
        FileList.SetItemSelected(i, false);
        if (FileList.SelCount() > 0 && MessageDlg(L"Abbruch? / Cancel?", L"", TMsgDlgType::mtConfirmation,
                                                  TMsgDlgButtons::mbYesNo, Handle()) == mrYes)
            break;
    }
    Hinzufuegen.SetFocus();
}

void TAuswahl_Form::KeyBtClick() {
    if (!encrypt_)
        return;
    encrypt_->Model().State().MergeEncryptMode = true;
    encrypt_->SetPosition(TPosition::poDesktopCenter);
    encrypt_->ShowModal();
}

void TAuswahl_Form::AufgehtsBitBtnClick() {
    MergeConfirmed = true;
    SetModalResult(mrOk);
}

void TAuswahl_Form::LeaveMergeMode(bool ownerPasswordOff) {
    if (!encrypt_)
        return;
    if (ownerPasswordOff)
        encrypt_->Model().SetChecked(EncryptCheckBox::BerechtigungCB, false);
    encrypt_->Model().LeaveMergeMode();
    encrypt_->SyncFromModel();
}

void TAuswahl_Form::FormKeyDown(WORD& key, TShiftState) {
    if (key != VK_ESCAPE)
        return;
    key = 0;
    LeaveMergeMode(false);
    SetModalResult(mrCancel);
}

void TAuswahl_Form::FormClose(TCloseAction&) {
    LeaveMergeMode(FileList.ItemCount() == 0);
}
