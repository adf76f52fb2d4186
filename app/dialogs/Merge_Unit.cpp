#include "app/dialogs/Merge_Unit.h"

#include "app/main/LanguageTexts.h"

using namespace gui;

TMerge_Form::TMerge_Form() : TForm(L"TMerge_Form", L"Merge_Form") {
    SetText(L"Wie soll die Merge-PDF-Datei heissen?");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBorderIcons(biSystemMenu);
    SetClientSize(354, 102);
    SetPosition(TPosition::poMainFormCenter);
    KeyPreview = true;

    JaBitBtn.SetText(L"OK");
    JaBitBtn.ModalResult = mrOk;
    JaBitBtn.SetDefault(true);
    NeinBitBtn.SetText(L"Abbrechen");
    NeinBitBtn.ModalResult = mrCancel;
    NeinBitBtn.SetCancel(true);
    MergeNameEdit.SetTabOrder(0);
    JaBitBtn.SetTabOrder(1);
    NeinBitBtn.SetTabOrder(2);

    OnShow = [this](TComponent*) { FormShow(); };
    JaBitBtn.OnClick = [this](TComponent*) { JaBitBtnClick(); };
    NeinBitBtn.OnClick = [this](TComponent*) { NeinBitBtnClick(); };
    OnKeyDown = [this](TComponent*, WORD& key, TShiftState shift) { FormKeyDown(key, shift); };
}

void TMerge_Form::FormShow() {
    const LanguageTexts& texts = Texts();
    if (!texts.Get(L"MERGENAME1").empty())
        SetText(texts.Get(L"MERGENAME1"));
    Frage.SetText(texts.Get(L"MERGENAME2"));
    JaBitBtn.SetText(texts.Get(L"OK"));
    NeinBitBtn.SetText(texts.Get(L"ABBRECHEN"));
    MergeNameEdit.SetText(L".pdf");
    // The caret goes straight before ".pdf"; a synthetic Home key would stay logically down.
    MergeNameEdit.SetSelection(0, 0);
    MergeNameEdit.SetFocus();
}

void TMerge_Form::FormKeyDown(WORD& key, TShiftState) {
    if (key == VK_ESCAPE) {
        key = 0;
        SetModalResult(mrCancel);
    }
}
