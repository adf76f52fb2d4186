#pragma once
// The restart notice after a change of language, fixed and bilingual, shared by the conversion program and the
// installer. OK ends the program; Esc only closes the notice, so the program keeps running with the new language
// chosen but not yet active.
#include "gui/Form.h"
#include "gui/StdCtrls.h"

#include <functional>

class TSprachhinweis_Form : public gui::TForm {
public:
    TSprachhinweis_Form();

    // How OK ends the program. The owner sets its normal shut-down here (the one that saves the language choice,
    // removes the tray icon and releases the single-instance guard, without asking the exit question): a bare
    // process halt would lose the choice just made. Without a routine OK ends the message loop, after which the
    // program body destroys its forms as at every normal end.
    std::function<void()> EndProgram;

    void JaBitBtnClick();
    void FormKeyDown(WORD& Key, gui::TShiftState Shift);

    gui::TLabel Label1{this, L"Label1", 16, 16, 400, 13};
    gui::TLabel Label2{this, L"Label2", 16, 40, 400, 13};
    gui::TBitBtn JaBitBtn{this, L"JaBitBtn", 174, 72, 84, 27};
};
