#include "installer/setup/SetupForms.h"

#include <richedit.h>

namespace installer {

TAnleitung_Form::TAnleitung_Form() : TForm(L"TAnleitung_Form_Setup", L"Anleitung_Form") {
    SetCaption(L"Anleitung - ESC-Taste f\u00fcr Schlie\u00dfen");
    SetClientSize(500, 466);
    SetPosition(gui::TPosition::poDesktopCenter);
    KeyPreview = true;
    SetColor(GetSysColor(COLOR_BTNFACE));
    RichEdit1.SetAlign(gui::TAlign::alClient);
    RichEdit1.SetReadOnly(true);
    RichEdit1.SetColor(GetSysColor(COLOR_BTNFACE));
    // A rich edit paints its own background; the control colour alone does not reach it.
    SendMessageW(RichEdit1.Handle(), EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_BTNFACE)));
    OnKeyDown = [this](gui::TComponent*, WORD& key, gui::TShiftState shift) { FormKeyDown(key, shift); };
    OnResize = [this](gui::TComponent*) { FormResize(); };
}

void TAnleitung_Form::FormKeyDown(WORD& Key, gui::TShiftState) {
    if (Key == VK_ESCAPE)
        Close();
}

void TAnleitung_Form::FormResize() {
    HWND edit = RichEdit1.Handle();
    if (!edit)
        return;
    SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit, nullptr, TRUE);
}

TDownload::TDownload() : TForm(L"TDownload", L"Download") {
    SetBorderStyle(gui::TFormBorderStyle::bsDialog);
    SetCaption(L"Download");
    SetClientSize(300, 80);
    SetPosition(gui::TPosition::poMainFormCenter);
    gui::TFont font = Label1.Font();
    font.Bold = true;
    font.Size = 18; // 24 pixels at 96 dpi
    Label1.SetFont(font);
    Label1.SetText(L"Download l\u00e4uft...");
}

TInfo_Form::TInfo_Form() {
    SetCaption(L"Info");
    ProductL.SetText(L"Ostrel-Setup");
    FragenL.SetText(L"Ostrel-Setup f\u00fcr W2K/XP - Freeware. Fragen und Anregungen bitte per Mail oder im Forum:");
    HaftungL.SetText(L"Die Benutzung erfolgt auf eigene Gefahr; f\u00fcr Sch\u00e4den wird keine Haftung "
                     L"\u00fcbernommen.");
}

} // namespace installer
