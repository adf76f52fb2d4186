#pragma once
// The small fixed dialogs of the conversion program: about box, exit question, short instructions, the notices for
// a missing language file and the first start, and the splash shown while the main window is built. Each is made
// once at start and shown when needed; the ones with language texts take them from Texts() when they show.
#include "app/common/AboutBox.h"
#include "gui/ExtCtrls.h"
#include "gui/Form.h"
#include "gui/StdCtrls.h"

#include <array>

class TInfo_Form : public TAboutBox {
public:
    TInfo_Form();
    // Caption INFOCAP, texts FRAGEN and HAFTUNG, link hints MAILH and INTERNETH.
    void FormShow();
};

// The exit question. ShowModal gives mrOk when the user wants to end the program.
class TBeenden_Form : public gui::TForm {
public:
    TBeenden_Form();
    // Caption PRGENDE, question ENDECAP, buttons OK and ABBRECHEN; the focus goes to JaBitBtn.
    void FormShow();
    void JaBitBtnClick();
    void NeinBitBtnClick();

    gui::TLabel BeendenL{this, L"BeendenL", 16, 20, 300, 13};
    gui::TBitBtn JaBitBtn{this, L"JaBitBtn", 64, 56, 90, 27};
    gui::TBitBtn NeinBitBtn{this, L"NeinBitBtn", 178, 56, 90, 27};
};

class TAnleitung_Form : public gui::TForm {
public:
    TAnleitung_Form();
    // Caption ANLEITCAP, the labels AT1 to AT6, button OK.
    void FormShow();
    void FormKeyDown(WORD& Key, gui::TShiftState Shift);

    gui::TLabel AT1{this, L"AT1", 12, 12, 456, 40};
    gui::TLabel AT2{this, L"AT2", 12, 58, 456, 40};
    gui::TLabel AT3{this, L"AT3", 12, 104, 456, 40};
    gui::TLabel AT4{this, L"AT4", 12, 150, 456, 40};
    gui::TLabel AT5{this, L"AT5", 12, 196, 456, 40};
    gui::TLabel AT6{this, L"AT6", 12, 242, 456, 40};
    gui::TBitBtn JaBitBtn{this, L"JaBitBtn", 198, 292, 84, 27};

    std::array<gui::TLabel*, 6> TextLabels() { return {&AT1, &AT2, &AT3, &AT4, &AT5, &AT6}; }
};

// Shown when neither language file is beside the program; its texts are fixed because there is no language.
class TInfo_Sprache_Form : public gui::TForm {
public:
    TInfo_Sprache_Form();
    void FormKeyDown(WORD& Key, gui::TShiftState Shift);

    gui::TMemo Memo1{this, L"Memo1", 8, 8, 424, 200};
    gui::TBitBtn BitBtn1{this, L"BitBtn1", 178, 218, 84, 27};
};

class TStartbild_Form : public gui::TForm {
public:
    TStartbild_Form();

    gui::TMemo Memo1{this, L"Memo1", 8, 8, 504, 272};
    gui::TBitBtn BitBtn1{this, L"BitBtn1", 218, 290, 84, 27};
};

// The splash: borderless, centred on the screen, shown while the main window is being created.
class TIntroWin : public gui::TForm {
public:
    TIntroWin();

    gui::TPanel Panel1{this, L"Panel1", 0, 0, 280, 137};
    gui::TLabel ProductL{&Panel1, L"ProductL", 0, 22, 280, 36};
    gui::TLabel Label1{&Panel1, L"Label1", 0, 72, 280, 16};
    gui::TLabel Label2{&Panel1, L"Label2", 0, 94, 280, 16};
};

// The fixed memo texts of the two notices, as the memos show them (lines joined by CR LF).
extern const wchar_t* const NoLanguageFileText;
extern const wchar_t* const FirstStartText;
