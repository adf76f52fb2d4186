#include "app/dialogs/DokuInfo1_Unit.h"

#include "app/main/DocInfoFile.h"
#include "app/main/LanguageTexts.h"
#include "core/OutputNaming.h"
#include "gui/MessageBox.h"
#include "win/SystemText.h"
#include "core/TextEncoding.h"

using namespace gui;

namespace {

constexpr int kGaugeMin = 0;
constexpr int kGaugeMax = 100;

// The language text of a key; the built-in caption when the language file has none (no language file at all).
void SetCaptionFrom(TControl& control, const wchar_t* key) {
    const std::wstring& text = Texts().Get(key);
    if (!text.empty()) {
        control.SetText(text);
    }
}

std::wstring SystemErrorText(unsigned long code) {
    const std::wstring text = SystemMessage(code);
    return text.empty() ? L"Error " + std::to_wstring(code) : text;
}

} // namespace

TDokuInfo1_Form::TDokuInfo1_Form() : TForm(L"TDokuInfo1_Form", L"DokuInfo1_Form") {
    SetText(L"Beschreibung \u00e4ndern");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBorderIcons(biSystemMenu);
    SetClientSize(404, 245);
    SetPosition(TPosition::poMainFormCenter);
    KeyPreview = true;

    Label1.SetText(L"Datei:");
    Edit2.SetReadOnly(true);
    DI1L1.SetText(L"Titel:");
    DI1L2.SetText(L"Verfasser:");
    DI2L1.SetText(L"Thema:");
    DI2L2.SetText(L"Stichw\u00f6rter:");
    DI2L3.SetText(L"Anwendung:");
    BitBtn1.SetText(L"Speichern");
    BitBtn1.SetDefault(true);
    BitBtn2.SetText(L"Abbrechen");
    BitBtn2.ModalResult = mrCancel;
    BitBtn2.SetCancel(true);

    int order = 0;
    for (TControl* c : std::initializer_list<TControl*>{&DI1Edit1, &DI1Edit2, &DI2Edit1, &DI2Edit2, &DI2Edit3, &BitBtn1,
                                                        &BitBtn2, &Edit2}) {
        c->SetTabOrder(order++);
    }

    OnShow = [this](TComponent*) { FormShow(); };
    OnClose = [this](TComponent*, TCloseAction&) { FormClose(); };
    OnKeyDown = [this](TComponent*, WORD& key, TShiftState) { FormKeyDown(key); };
    // The dialog closes with OK only once the file is written.
    BitBtn1.OnClick = [this](TComponent*) { BitBtn1Click(); };
}

void TDokuInfo1_Form::Progress(int position) const {
    if (OnProgress) {
        OnProgress(position);
    }
}

void TDokuInfo1_Form::ShowFileError(const std::exception& error) const {
    std::wstring text;
    if (const auto* fileError = dynamic_cast<const docinfo::DocInfoFileError*>(&error)) {
        text = fileError->Path() + L"\r\r" + SystemErrorText(fileError->Code());
    } else {
        text = ErrorMessage(error);
    }
    MessageDlg(text, L"", TMsgDlgType::mtError, TMsgDlgButtons::mbOK, Handle());
}

void TDokuInfo1_Form::FormShow() {
    SetCaptionFrom(*this, L"DI1FC");
    SetCaptionFrom(Label1, L"DI1L");
    SetCaptionFrom(DI1L1, L"DI1L1C");
    SetCaptionFrom(DI1L2, L"DI1L2C");
    SetCaptionFrom(DI2L1, L"DI2L1C");
    SetCaptionFrom(DI2L2, L"DI2L2C");
    SetCaptionFrom(DI2L3, L"DI2L3C");
    SetCaptionFrom(BitBtn1, L"DI1BT1");
    DI1Edit1.SetFocus();
    // The application field keeps its text when the file names no application.
    DI1Edit1.SetText(L"");
    DI1Edit2.SetText(L"");
    DI2Edit1.SetText(L"");
    DI2Edit2.SetText(L"");
    Edit2.SetText(ExtractFileName(FileName));

    Progress(kGaugeMin);
    Progress(kGaugeMin + kGaugeMax / 2);
    docinfo::DocumentFields fields;
    fields.Creator = docinfo::FieldFromWide(DI2Edit3.Text());
    try {
        docinfo::ReadDocumentFile(FileName, fields);
    } catch (const std::exception& error) {
        Progress(kGaugeMin);
        ShowFileError(error);
        Hide(); // the command ends; nothing was read, so nothing may be saved
        return;
    }
    Progress(kGaugeMax);
    DI1Edit1.SetText(docinfo::FieldToWide(fields.Title));
    DI1Edit2.SetText(docinfo::FieldToWide(fields.Author));
    DI2Edit1.SetText(docinfo::FieldToWide(fields.Subject));
    DI2Edit2.SetText(docinfo::FieldToWide(fields.Keywords));
    DI2Edit3.SetText(docinfo::FieldToWide(fields.Creator));
}

void TDokuInfo1_Form::BitBtn1Click() {
    docinfo::DocumentFields fields;
    fields.Title = docinfo::FieldFromWide(DI1Edit1.Text());
    fields.Author = docinfo::FieldFromWide(DI1Edit2.Text());
    fields.Subject = docinfo::FieldFromWide(DI2Edit1.Text());
    fields.Keywords = docinfo::FieldFromWide(DI2Edit2.Text());
    fields.Creator = docinfo::FieldFromWide(DI2Edit3.Text());
    Progress(kGaugeMin);
    Progress(kGaugeMin + kGaugeMax / 2);
    try {
        docinfo::WriteDocumentFile(FileName, fields);
    } catch (const std::exception& error) {
        Progress(kGaugeMin);
        ShowFileError(error);
        SetModalResult(mrCancel); // the file is as it was
        return;
    }
    Progress(kGaugeMax);
    SetModalResult(mrOk);
}

void TDokuInfo1_Form::FormKeyDown(WORD& key) {
    if (key == VK_ESCAPE) {
        key = 0;
        Progress(kGaugeMin);
        SetModalResult(mrCancel);
    }
}

void TDokuInfo1_Form::FormClose() {
    Progress(kGaugeMin);
}

std::wstring DocInfoCommandFile(const FilePane& inputPane, bool inputPaneFocused) {
    if (!inputPaneFocused || inputPane.SelCount() == 0) {
        return {};
    }
    const int index = inputPane.FirstSelectedIndex();
    if (index < 0 || inputPane.ItemIsParentDir(index) || inputPane.ItemIsDirectory(index)) {
        return {};
    }
    const std::wstring path = inputPane.ItemFullFileName(index);
    if (UpperCase(ExtractFileExt(path)) == L".PDF") {
        return {};
    }
    return path;
}

TModalResult ShowDocInfoDialog(TDokuInfo1_Form& form, const FilePane& inputPane, bool inputPaneFocused) {
    std::wstring file = DocInfoCommandFile(inputPane, inputPaneFocused);
    if (file.empty()) {
        return mrNone;
    }
    form.FileName = std::move(file);
    form.SetPosition(TPosition::poMainFormCenter);
    return form.ShowModal();
}
