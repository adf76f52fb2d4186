#pragma once
// The installer's small forms: the manual window, the download notice and the about box. They live in their own
// namespace because the conversion program has classes of the same names.
#include "app/common/AboutBox.h"
#include "gui/ExtCtrls.h"
#include "gui/Form.h"
#include "gui/StdCtrls.h"

namespace installer {

// The set-up manual (rich text) in a read-only rich edit that fills the window; Esc closes it.
class TAnleitung_Form : public gui::TForm {
public:
    TAnleitung_Form();
    void FormKeyDown(WORD& Key, gui::TShiftState Shift);
    // The rich edit lays its lines out again for the new width.
    void FormResize();

    gui::TRichEdit RichEdit1{this, L"RichEdit1", 0, 0, 500, 466};
};

// Shown while a download blocks the window.
class TDownload : public gui::TForm {
public:
    TDownload();
    gui::TLabel Label1{this, L"Label1", 24, 24, 260, 29};
};

// The about box with the installer's own texts; links and Esc as in the conversion program.
class TInfo_Form : public TAboutBox {
public:
    TInfo_Form();
};

} // namespace installer
