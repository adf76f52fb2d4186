#include "app/common/Sprachhinweis_Unit.h"

#include "gui/Application.h"

TSprachhinweis_Form::TSprachhinweis_Form() : TForm(L"TSprachhinweis_Form", L"Sprachhinweis_Form") {
    SetBorderStyle(gui::TFormBorderStyle::bsDialog);
    SetClientSize(432, 112);
    SetPosition(gui::TPosition::poMainFormCenter);
    KeyPreview = true;
    SetCaption(L"Sprache, Language");
    Label1.SetText(L"- Sie haben die Sprache gewechselt. Bitte starten Sie Ostrel neu!");
    Label2.SetText(L"- You have chosen the Language. Please restart Ostrel!");
    JaBitBtn.SetCaption(L"Ok");
    JaBitBtn.SetDefault(true);
    JaBitBtn.OnClick = [this](gui::TComponent*) { JaBitBtnClick(); };
    OnKeyDown = [this](gui::TComponent*, WORD& key, gui::TShiftState shift) { FormKeyDown(key, shift); };
}

void TSprachhinweis_Form::JaBitBtnClick() {
    Hide();
    if (EndProgram)
        EndProgram();
    else
        gui::Application.Terminate();
}

void TSprachhinweis_Form::FormKeyDown(WORD& Key, gui::TShiftState) {
    if (Key == VK_ESCAPE)
        Close();
}
