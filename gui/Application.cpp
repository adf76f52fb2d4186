#include "gui/Application.h"

#include "gui/Menus.h"
#include "gui/StdCtrls.h"

#include <commctrl.h>

#include <algorithm>

namespace gui {

TApplication Application;

void TApplication::Initialize() {
    if (initialized_)
        return;
    initialized_ = true;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                             ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
}

void TApplication::AddForm(std::unique_ptr<TForm> form) {
    if (!mainForm_)
        mainForm_ = form.get();
    forms_.push_back(std::move(form));
}

void TApplication::Run() {
    if (mainForm_ && ShowMainForm && !terminated_)
        mainForm_->Show();
    while (!terminated_ && HandleMessage()) {
    }
    DestroyForms();
}

void TApplication::DestroyForms() {
    // Every OnDestroy runs while all forms still exist (a dialog's destroy handler may read the main window);
    // the dialogs made last go first.
    for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
        (*it)->DoDestroy();
    while (!forms_.empty())
        forms_.pop_back();
    mainForm_ = nullptr;
    terminated_ = false;
}

bool TApplication::HandleMessage() {
    MSG msg;
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        terminated_ = true;
        return false;
    }
    if (!PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            PostQuitMessage(static_cast<int>(msg.wParam)); // the running loop must see it too
            return;
        }
        if (!PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void TApplication::Terminate() {
    if (terminated_)
        return;
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::Minimize() {
    if (mainForm_ && mainForm_->Handle())
        ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
    if (!mainForm_ || !mainForm_->Handle())
        return;
    HWND hwnd = mainForm_->Handle();
    if (!IsWindowVisible(hwnd))
        ShowWindow(hwnd, SW_SHOW);
    if (IsIconic(hwnd))
        ShowWindow(hwnd, SW_RESTORE);
}

void TApplication::BringToFront() {
    if (mainForm_)
        mainForm_->BringToFront();
}

void TApplication::SetHint(const std::wstring& hint) {
    if (hint == hint_)
        return;
    hint_ = hint;
    if (OnHint)
        OnHint(nullptr);
}

void TApplication::NotifyMinimized() {
    if (OnMinimize)
        OnMinimize(nullptr);
}

void TApplication::NotifyRestored() {
    if (OnRestore)
        OnRestore(nullptr);
}

namespace {

TControl* OwningControl(HWND hwnd) {
    // The focus may sit in an inner window of a control (a combo box's edit): walk up to the object.
    for (HWND h = hwnd; h; h = GetParent(h)) {
        if (TControl* c = TControl::FromHandle(h))
            return c;
        if (!(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD))
            break;
    }
    return nullptr;
}

bool WantsKey(HWND hwnd, WORD key) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    if (key == VK_RETURN && lstrcmpiW(cls, L"Edit") == 0 && (style & ES_MULTILINE) && (style & ES_WANTRETURN))
        return true;
    if ((key == VK_RETURN || key == VK_ESCAPE)) {
        HWND combo = lstrcmpiW(cls, L"ComboBox") == 0 ? hwnd : GetParent(hwnd);
        wchar_t pcls[32] = {};
        if (combo)
            GetClassNameW(combo, pcls, 32);
        if (combo && lstrcmpiW(pcls, L"ComboBox") == 0 && SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0))
            return true;
    }
    return false;
}

} // namespace

bool TApplication::PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    TControl* control = OwningControl(msg.hwnd);
    TForm* form = control ? control->ParentForm() : nullptr;
    if (!form)
        return false;
    WORD key = static_cast<WORD>(msg.wParam);
    TShiftState shift = KeyboardShiftState();
    if (key != VK_SHIFT && key != VK_CONTROL && key != VK_MENU && form->Menu() &&
        form->Menu()->Items.ClickShortCut(ShortCut(key, shift)))
        return true;
    if (form->KeyPreview || control == form) {
        form->FireKeyDown(key, shift);
        if (key == 0)
            return true;
        msg.wParam = key;
    }
    if (control == form)
        return false;
    bool dialogKey = key == VK_RETURN || key == VK_ESCAPE || (key == VK_TAB && !(shift & (ssCtrl | ssAlt)));
    if (!dialogKey || WantsKey(msg.hwnd, key))
        return false;
    // The control sees the key first; what it leaves is a dialog key of the form. Without a button to press,
    // Enter and Esc go to the control as ordinary keys.
    auto* focusedButton = dynamic_cast<TButton*>(control);
    if (key == VK_RETURN && !focusedButton && !form->HasDefaultButton(false))
        return false;
    if (key == VK_ESCAPE && !form->HasDefaultButton(true))
        return false;
    control->FireKeyDown(key, shift);
    if (key == 0)
        return true;
    if (key == VK_RETURN) {
        if (focusedButton) {
            focusedButton->Click();
            return true;
        }
        form->ClickDefaultButton(false);
        return true;
    }
    if (key == VK_ESCAPE) {
        form->ClickDefaultButton(true);
        return true;
    }
    msg.wParam = key;
    return IsDialogMessageW(form->Handle(), &msg) != FALSE;
}

} // namespace gui
