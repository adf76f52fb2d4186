#pragma once
// TMerge_Form: asks for the name of the merged PDF file in the output folder. The edit starts with ".pdf" and the
// caret before it, so the user types the name in front of the extension.
#include "gui/Form.h"
#include "gui/StdCtrls.h"

class TMerge_Form : public gui::TForm {
public:
    TMerge_Form();

    // Captions from the language file, ".pdf" in the edit, the caret at its start and the focus on it.
    void FormShow();
    void JaBitBtnClick() { SetModalResult(gui::mrOk); }
    void NeinBitBtnClick() { SetModalResult(gui::mrCancel); }
    void FormKeyDown(WORD& key, gui::TShiftState shift);

    gui::TLabel Frage{this, L"Frage", 12, 12, 330, 13};
    gui::TEdit MergeNameEdit{this, L"MergeNameEdit", 12, 32, 330, 21};
    gui::TBitBtn JaBitBtn{this, L"JaBitBtn", 92, 66, 80, 25};
    gui::TBitBtn NeinBitBtn{this, L"NeinBitBtn", 182, 66, 80, 25};
};
