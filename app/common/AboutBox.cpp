#include "app/common/AboutBox.h"

#include "gui/Application.h"

#include <shellapi.h>

#include <utility>

const wchar_t* const MakerMailAddress = L"info@ostrel.de";
const wchar_t* const MakerHomePage = L"http://www.ostrel.de";
const wchar_t* const MakerForumPage = L"http://www.ostrel.de/forum";

namespace {

TShellOpenHook& ShellOpenHook() {
    static TShellOpenHook hook;
    return hook;
}

void MakeLink(gui::TLabel& label) {
    gui::TFont font = label.Font();
    font.Underline = true;
    font.Color = gui::clBlue;
    label.SetFont(font);
    label.SetCursor(IDC_HAND);
}

} // namespace

std::wstring MakerMailLink() {
    return std::wstring(L"mailto:") + MakerMailAddress + L"?subject=Ostrel";
}

TShellOpenHook SetShellOpenHook(TShellOpenHook hook) {
    return std::exchange(ShellOpenHook(), std::move(hook));
}

bool OpenLink(HWND parent, const std::wstring& address) {
    if (ShellOpenHook())
        return ShellOpenHook()(parent, address);
    auto code =
        reinterpret_cast<INT_PTR>(ShellExecuteW(parent, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return code > 32;
}

TAboutBox::TAboutBox() : TForm(L"TInfo_Form", L"Info_Form") {
    SetBorderStyle(gui::TFormBorderStyle::bsDialog);
    SetClientSize(360, 262);
    SetPosition(gui::TPosition::poMainFormCenter);
    KeyPreview = true;
    SetCaption(L"Info");

    gui::TFont big = ProductL.Font();
    big.Size = 14;
    big.Bold = true;
    ProductL.SetFont(big);
    ProductL.SetText(L"Ostrel");
    FragenL.SetAutoSize(false);
    FragenL.SetWordWrap(true);
    HaftungL.SetAutoSize(false);
    HaftungL.SetWordWrap(true);

    MailL.SetText(MakerMailAddress);
    InternetL.SetText(MakerHomePage);
    Label1.SetText(MakerForumPage);
    for (gui::TLabel* link : {&MailL, &InternetL, &Label1})
        MakeLink(*link);
    MailL.OnClick = [this](gui::TComponent*) { MailLClick(); };
    InternetL.OnClick = [this](gui::TComponent*) { InternetLClick(); };
    Label1.OnClick = [this](gui::TComponent*) { Label1Click(); };

    OKBitBtn.SetKind(gui::TBitBtnKind::bkOK);
    OKBitBtn.SetCaption(L"OK");
    OnKeyDown = [this](gui::TComponent*, WORD& key, gui::TShiftState shift) { FormKeyDown(key, shift); };
}

void TAboutBox::MailLClick() {
    gui::TForm* main = gui::Application.MainForm();
    OpenLink(main ? main->Handle() : nullptr, MakerMailLink());
}

void TAboutBox::InternetLClick() {
    OpenLink(nullptr, MakerHomePage);
}

void TAboutBox::Label1Click() {
    OpenLink(nullptr, MakerForumPage);
}

void TAboutBox::FormKeyDown(WORD& Key, gui::TShiftState) {
    if (Key == VK_ESCAPE)
        Close();
}
