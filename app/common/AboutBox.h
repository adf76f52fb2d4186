#pragma once
// The about box both programs show: the product name, two texts, a mail link, a home-page link and a forum link.
// The links and the Esc key behave the same in the conversion program and in the installer; each program derives
// its TInfo_Form from TAboutBox and fills the texts its own way.
#include "gui/Form.h"
#include "gui/StdCtrls.h"

#include <functional>
#include <string>

// The maker's addresses.
extern const wchar_t* const MakerMailAddress;
extern const wchar_t* const MakerHomePage;
extern const wchar_t* const MakerForumPage;

// "mailto:" + the maker's address + "?subject=Ostrel".
std::wstring MakerMailLink();

// Opens an address with the shell's "open" verb (no parameters, no folder, show mode 1). True when the shell took
// it. Tests replace the shell call with a hook so that no browser or mail client starts.
using TShellOpenHook = std::function<bool(HWND parent, const std::wstring& address)>;
TShellOpenHook SetShellOpenHook(TShellOpenHook hook);
bool OpenLink(HWND parent, const std::wstring& address);

class TAboutBox : public gui::TForm {
public:
    TAboutBox();

    // Link handlers: the mail link belongs to the main window, the web links to no window of ours (the
    // application window of the class library has no window of its own here).
    void MailLClick();
    void InternetLClick();
    void Label1Click();
    // Esc (key code 27) closes the box.
    void FormKeyDown(WORD& Key, gui::TShiftState Shift);

    gui::TLabel ProductL{this, L"ProductL", 16, 14, 300, 24};
    gui::TLabel FragenL{this, L"FragenL", 16, 52, 330, 44};
    gui::TLabel MailL{this, L"MailL", 16, 102, 330, 13};
    gui::TLabel InternetL{this, L"InternetL", 16, 122, 330, 13};
    gui::TLabel Label1{this, L"Label1", 16, 142, 330, 13};
    gui::TLabel HaftungL{this, L"HaftungL", 16, 168, 330, 44};
    gui::TBitBtn OKBitBtn{this, L"OKBitBtn", 138, 222, 84, 27};
};
