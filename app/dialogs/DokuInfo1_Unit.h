#pragma once
// The document description dialog TDokuInfo1_Form (F3 of the main window): title, author, subject, keywords and
// creating application of a PostScript file, read when it shows and written back into the file by "Speichern".
#include "components/FilePane.h"
#include "gui/Form.h"
#include "gui/StdCtrls.h"

#include <functional>
#include <string>

class TDokuInfo1_Form : public gui::TForm {
public:
    TDokuInfo1_Form();

    // The file the dialog works on: set by the F3 command before each showing.
    std::wstring FileName;
    // The main window's progress gauge (Gauge1), 0..100: the dialog shows its file work there.
    std::function<void(int position)> OnProgress;

    void FormShow();
    void BitBtn1Click();
    void FormKeyDown(WORD& key);
    void FormClose();

    gui::TLabel Label1{this, L"Label1", 12, 15, 90, 13};
    gui::TEdit Edit2{this, L"Edit2", 108, 12, 284, 21};
    gui::TLabel DI1L1{this, L"DI1L1", 12, 51, 90, 13};
    gui::TEdit DI1Edit1{this, L"DI1Edit1", 108, 48, 284, 21};
    gui::TLabel DI1L2{this, L"DI1L2", 12, 81, 90, 13};
    gui::TEdit DI1Edit2{this, L"DI1Edit2", 108, 78, 284, 21};
    gui::TLabel DI2L1{this, L"DI2L1", 12, 111, 90, 13};
    gui::TEdit DI2Edit1{this, L"DI2Edit1", 108, 108, 284, 21};
    gui::TLabel DI2L2{this, L"DI2L2", 12, 141, 90, 13};
    gui::TEdit DI2Edit2{this, L"DI2Edit2", 108, 138, 284, 21};
    gui::TLabel DI2L3{this, L"DI2L3", 12, 171, 90, 13};
    gui::TEdit DI2Edit3{this, L"DI2Edit3", 108, 168, 284, 21};
    gui::TBitBtn BitBtn1{this, L"BitBtn1", 216, 208, 85, 25};
    gui::TBitBtn BitBtn2{this, L"BitBtn2", 307, 208, 85, 25};

private:
    void Progress(int position) const;
    void ShowFileError(const std::exception& error) const;
};

// The F3 command's rules: the full path of the file whose description F3 edits, or empty when F3 does nothing
// now (the input pane has not the focus, nothing is selected, or the first selected item is a PDF or a folder).
std::wstring DocInfoCommandFile(const FilePane& inputPane, bool inputPaneFocused);

// F3 (TitelVerfassereingeben1Click's work): when the rules give a file, shows the dialog for it modally, centred on
// the main window. Returns the dialog's modal result, mrNone when it was not shown.
gui::TModalResult ShowDocInfoDialog(TDokuInfo1_Form& form, const FilePane& inputPane, bool inputPaneFocused);
