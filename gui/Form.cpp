#include "gui/Form.h"

#include "gui/Application.h"
#include "gui/Menus.h"
#include "gui/StdCtrls.h"

#include <algorithm>

namespace gui {

namespace {

constexpr int kSnapDistance = 10;

struct FlagScope {
    bool& flag;
    explicit FlagScope(bool& f) : flag(f) { flag = true; }
    ~FlagScope() { flag = false; }
};

TControl* FirstTabStop(const TControl* parent) {
    std::vector<TControl*> list = parent->Controls();
    std::stable_sort(list.begin(), list.end(), [](TControl* a, TControl* b) { return a->TabOrder() < b->TabOrder(); });
    for (TControl* c : list) {
        if (!c->CanFocus())
            continue;
        if (c->TabStop())
            return c;
        if (TControl* inner = FirstTabStop(c))
            return inner;
    }
    return nullptr;
}

BOOL CALLBACK CollectEnabledWindow(HWND hwnd, LPARAM data) {
    auto* list = reinterpret_cast<std::vector<HWND>*>(data);
    if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd))
        list->push_back(hwnd);
    return TRUE;
}

template <class Pred> TButton* FindButton(const TControl* parent, Pred pred) {
    for (TControl* c : parent->Controls()) {
        if (auto* b = dynamic_cast<TButton*>(c); b && pred(b) && b->Visible() && b->Enabled())
            return b;
        if (TButton* inner = FindButton(c, pred))
            return inner;
    }
    return nullptr;
}

} // namespace

TForm::TForm(const std::wstring& className, const std::wstring& name) : TControl(nullptr, name) {
    isForm_ = true;
    SetVisible(false);
    Application.Initialize();
    controlsDeferred_ = Application.TakeDeferControls();
    // Registering a class with an icon makes the system build its small icon, a few milliseconds per form: a form
    // that keeps its window back registers when it makes it.
    if (!controlsDeferred_)
        RegisterFormClass(className);
    // No caption until the form sets one: a component name is never a text for the user.
    CreateHandle(className.c_str(), kInitialStyle, kInitialExStyle, L"", CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, true);
    if (Application.Icon())
        SetIcon(Application.Icon());
}

void TForm::RegisterFormClass(const std::wstring& className) {
    RegisterOwnClass(className.c_str(), CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), Application.Icon());
}

void TForm::CreateControls() {
    if (!controlsDeferred_)
        return;
    controlsDeferred_ = false;
    if (pending_) {
        // The window is made as a form made at once is, then given the style and size the form has set since, so
        // that both end up alike (the system places an overlapped window it makes; a pop-up would sit at 0,0).
        const std::unique_ptr<PendingWindow> window = std::move(pending_);
        RegisterFormClass(window->className);
        CreateWindowNow(PendingWindow{window->className, kInitialStyle, kInitialExStyle, window->text, window->bounds});
        if (window->style != kInitialStyle || window->exStyle != kInitialExStyle) {
            SetWindowLongPtrW(hwnd_, GWL_STYLE, window->style);
            SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, window->exStyle);
            SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        }
        if (icon_)
            SetIcon(icon_);
        if (menu_) {
            menu_->Attach(hwnd_);
            ::SetMenu(hwnd_, menu_->Handle());
        }
        // The kept size already counts the frame of the final style and the menu bar.
        const RECT& b = window->bounds;
        SetWindowPos(hwnd_, nullptr, 0, 0, b.right - b.left, b.bottom - b.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CreateChildWindows();
}

SIZE TForm::FrameSize() const {
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, WindowStyle(), menu_ != nullptr, pending_ ? pending_->exStyle : 0);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

TForm::~TForm() {
    if (Application.MainForm() == this)
        Application.SetMainForm(nullptr);
}

void TForm::DoCreate() {
    if (created_)
        return;
    created_ = true;
    RunNotify(OnCreate);
}

void TForm::DoDestroy() {
    if (destroyed_)
        return;
    destroyed_ = true;
    RunNotify(OnDestroy);
}

// --- appearance ------------------------------------------------------------------------------------------------

void TForm::SetClientSize(int width, int height) {
    if (pending_) {
        const SIZE frame = FrameSize();
        SetBounds(Left(), Top(), width + frame.cx, height + frame.cy);
        return;
    }
    if (!Handle())
        return;
    RECT r{0, 0, width, height};
    auto style = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE));
    auto ex = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE));
    AdjustWindowRectEx(&r, style, GetMenu(Handle()) != nullptr, ex);
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    borderStyle_ = style;
    ApplyStyle();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
    borderIcons_ = icons;
    ApplyStyle();
}

void TForm::ApplyStyle() {
    if (!pending_ && !Handle())
        return;
    int cw = ClientWidth(), ch = ClientHeight();
    DWORD style = WS_CLIPCHILDREN | (WindowStyle() & WS_VISIBLE);
    DWORD ex = WS_EX_CONTROLPARENT;
    bool sys = borderIcons_ & biSystemMenu;
    switch (borderStyle_) {
    case TFormBorderStyle::bsNone:
        style |= WS_POPUP;
        break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsSizeable:
        style |= WS_OVERLAPPED | WS_CAPTION;
        if (borderStyle_ == TFormBorderStyle::bsSizeable)
            style |= WS_THICKFRAME;
        if (sys) {
            style |= WS_SYSMENU;
            if (borderIcons_ & biMinimize)
                style |= WS_MINIMIZEBOX;
            if (borderIcons_ & biMaximize)
                style |= WS_MAXIMIZEBOX;
        }
        break;
    case TFormBorderStyle::bsDialog:
        style |= WS_POPUP | WS_CAPTION | (sys ? WS_SYSMENU : 0);
        ex |= WS_EX_DLGMODALFRAME;
        break;
    case TFormBorderStyle::bsToolWindow:
        style |= WS_POPUP | WS_CAPTION | (sys ? WS_SYSMENU : 0);
        ex |= WS_EX_TOOLWINDOW;
        break;
    }
    if (pending_) {
        pending_->style = style;
        pending_->exStyle = ex;
        SetClientSize(cw, ch);
        return;
    }
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
    SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ex);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetClientSize(cw, ch);
}

void TForm::SetMinSize(int width, int height) {
    minSize_ = SIZE{width, height};
}

void TForm::SetIcon(HICON icon) {
    icon_ = icon;
    if (HandleAllocated()) {
        SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
}

void TForm::SetMenu(TMainMenu* menu) {
    int cw = ClientWidth(), ch = ClientHeight();
    menu_ = menu;
    if (HandleAllocated()) {
        if (menu)
            menu->Attach(Handle());
        ::SetMenu(Handle(), menu ? menu->Handle() : nullptr);
    }
    SetClientSize(cw, ch);
}

void TForm::CenterOn(TPosition where) {
    if (!Handle() || where == TPosition::poDesigned)
        return;
    RECT self;
    GetWindowRect(Handle(), &self);
    int w = self.right - self.left, h = self.bottom - self.top;
    RECT area{};
    TForm* main = Application.MainForm();
    if (where == TPosition::poMainFormCenter && main && main != this && main->Handle()) {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        // A minimised window's rectangle lies far off screen; its normal placement is where it comes back.
        if (IsIconic(main->Handle()) && GetWindowPlacement(main->Handle(), &wp)) {
            area = wp.rcNormalPosition;
        } else {
            GetWindowRect(main->Handle(), &area);
        }
    } else if (where == TPosition::poDesktopCenter || where == TPosition::poMainFormCenter) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    } else {
        area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    int x = area.left + ((area.right - area.left) - w) / 2;
    int y = area.top + ((area.bottom - area.top) - h) / 2;
    SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- showing, closing ------------------------------------------------------------------------------------------

void TForm::SetVisible(bool visible) {
    // Hiding a form whose window was never made needs no window.
    if (!visible && !HandleAllocated()) {
        TControl::SetVisible(visible);
        return;
    }
    if (!Handle()) {
        TControl::SetVisible(visible);
        return;
    }
    if (visible) {
        CreateControls();
        TForm* main = Application.MainForm();
        if (main && main != this && main->Handle() && !GetWindowLongPtrW(Handle(), GWLP_HWNDPARENT))
            SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(main->Handle()));
        if (IsWindowVisible(Handle())) {
            BringToFront();
            return;
        }
        focused_ = nullptr;
        CenterOn(position_);
        visible_ = true;
        RunNotify(OnShow);
        if (!visible_)
            return; // OnShow hid or closed the form again
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
        // Without an activation (another process in front) the focus still goes to the chosen control.
        if (GetActiveWindow() == Handle() && !focused_)
            ActivateFocus();
    } else {
        if (!IsWindowVisible(Handle())) {
            visible_ = false;
            return;
        }
        RunNotify(OnHide);
        visible_ = false;
        ShowWindow(Handle(), SW_HIDE);
    }
}

void TForm::BringToFront() {
    if (!HandleAllocated())
        return;
    if (IsIconic(Handle()))
        ShowWindow(Handle(), SW_RESTORE);
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(Handle());
}

void TForm::SetModalResult(TModalResult result) {
    modalResult_ = result;
    // A result set while a sent message runs (another process or thread clicking) leaves the modal loop waiting
    // inside GetMessage, which returns only for a posted message: post one so the loop sees the result.
    if (Modal() && result != mrNone && Handle())
        PostMessageW(Handle(), WM_NULL, 0, 0);
}

void TForm::Close() {
    RunClose();
}

void TForm::RunClose() {
    if (closing_)
        return;
    FlagScope scope(closing_);
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    if (!canClose) {
        if (Modal())
            modalResult_ = mrNone;
        return;
    }
    TCloseAction action = (Application.MainForm() == this && !Modal()) ? TCloseAction::caFree : TCloseAction::caHide;
    if (OnClose)
        OnClose(this, action);
    switch (action) {
    case TCloseAction::caNone:
        if (Modal())
            modalResult_ = mrNone;
        break;
    case TCloseAction::caMinimize:
        ShowWindow(Handle(), SW_MINIMIZE);
        break;
    case TCloseAction::caHide:
        if (Modal() && modalResult_ == mrNone)
            SetModalResult(mrCancel);
        if (!Modal())
            Hide();
        break;
    case TCloseAction::caFree:
        if (Modal() && modalResult_ == mrNone)
            SetModalResult(mrCancel);
        if (Application.MainForm() == this)
            Application.Terminate();
        if (!Modal())
            Hide();
        break;
    }
}

TModalResult TForm::ShowModal() {
    if (!Handle())
        return mrCancel;
    if (IsWindowVisible(Handle()))
        return mrCancel; // already shown: not a modal run
    // Every other enabled top-level window of this thread is disabled while the dialog runs.
    std::vector<HWND> disabled;
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
    disabled.erase(std::remove(disabled.begin(), disabled.end(), Handle()), disabled.end());
    for (HWND hwnd : disabled)
        EnableWindow(hwnd, FALSE);
    modalResult_ = mrNone;
    ++modalDepth_;
    TModalResult result = mrCancel;
    try {
        Show();
        while (IsWindowVisible(Handle())) {
            if (modalResult_ != mrNone) {
                RunClose(); // OnCloseQuery/OnClose may keep the dialog open by clearing the result
                if (modalResult_ != mrNone)
                    break;
            }
            if (Application.Terminated())
                break;
            if (!Application.HandleMessage()) {
                PostQuitMessage(0);
                break;
            }
        }
        result = modalResult_ == mrNone ? mrCancel : modalResult_;
    } catch (...) {
        --modalDepth_;
        for (HWND hwnd : disabled)
            EnableWindow(hwnd, TRUE);
        Hide();
        throw;
    }
    --modalDepth_;
    for (HWND hwnd : disabled)
        EnableWindow(hwnd, TRUE);
    Hide();
    modalResult_ = result;
    return result;
}

TWindowState TForm::WindowState() const {
    if (!HandleAllocated())
        return TWindowState::wsNormal;
    if (IsIconic(Handle()))
        return TWindowState::wsMinimized;
    if (IsZoomed(Handle()))
        return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
    int cmd = state == TWindowState::wsMinimized   ? SW_MINIMIZE
              : state == TWindowState::wsMaximized ? SW_MAXIMIZE
                                                   : SW_RESTORE;
    ShowWindow(Handle(), cmd);
}

bool TForm::Active() const {
    return HandleAllocated() && GetActiveWindow() == Handle();
}

TControl* TForm::ActiveControl() const {
    return pendingFocus_ ? pendingFocus_ : focused_;
}

void TForm::SetMessageHandler(UINT msg, TMessageHandler handler) {
    if (handler) {
        handlers_[msg] = std::move(handler);
    } else {
        handlers_.erase(msg);
    }
}

bool TForm::HasDefaultButton(bool cancel) const {
    return cancel ? FindButton(this, [](TButton* x) { return x->Cancel(); }) != nullptr
                  : FindButton(this, [](TButton* x) { return x->Default(); }) != nullptr;
}

bool TForm::ClickDefaultButton(bool cancel) {
    TButton* b = cancel ? FindButton(this, [](TButton* x) { return x->Cancel(); })
                        : FindButton(this, [](TButton* x) { return x->Default(); });
    if (!b)
        return false;
    b->Click();
    return true;
}

// --- focus -----------------------------------------------------------------------------------------------------

// A control got the focus. OnExit of the previous control and OnEnter of the new one run here; focus moves made
// by those handlers (an exit check putting the focus back) raise no further enter or exit events.
void TForm::FocusChanged(TControl* control) {
    if (focused_ == control)
        return;
    TControl* previous = focused_;
    focused_ = control;
    if (focusEventsRunning_)
        return;
    FlagScope scope(focusEventsRunning_);
    if (previous)
        previous->RunNotify(previous->OnExit);
    if (focused_ == control)
        control->RunNotify(control->OnEnter);
}

void TForm::ActivateFocus() {
    TControl* target = nullptr;
    if (pendingFocus_ && pendingFocus_->CanFocus())
        target = pendingFocus_;
    else if (focused_ && focused_->CanFocus())
        target = focused_;
    else
        target = FirstTabStop(this);
    pendingFocus_ = nullptr;
    ::SetFocus(target ? target->Handle() : Handle());
}

// --- messages --------------------------------------------------------------------------------------------------

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (auto found = handlers_.find(msg); found != handlers_.end()) {
        TMessage m{msg, wParam, lParam, 0, false};
        found->second(m);
        if (!m.Default)
            return m.Result;
    }
    switch (msg) {
    case WM_CLOSE:
        RunClose();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            if (!HIWORD(wParam))
                ActivateFocus();
            RunNotify(OnActivate);
        } else {
            RunNotify(OnDeactivate);
        }
        return 0;
    case WM_SETFOCUS:
        // The form itself got the focus (a click on its client area): hand it to its control.
        if (focused_ && focused_->CanFocus())
            ::SetFocus(focused_->Handle());
        return 0;
    case WM_GETMINMAXINFO: {
        LRESULT r = DefaultProc(msg, wParam, lParam);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (minSize_.cx > 0)
            info->ptMinTrackSize.x = minSize_.cx;
        if (minSize_.cy > 0)
            info->ptMinTrackSize.y = minSize_.cy;
        return r;
    }
    case WM_WINDOWPOSCHANGING:
        if (ScreenSnap) {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            if (!(pos->flags & SWP_NOMOVE)) {
                RECT work;
                SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
                RECT cur;
                GetWindowRect(Handle(), &cur);
                int w = (pos->flags & SWP_NOSIZE) ? cur.right - cur.left : pos->cx;
                int h = (pos->flags & SWP_NOSIZE) ? cur.bottom - cur.top : pos->cy;
                if (std::abs(pos->x - work.left) < kSnapDistance)
                    pos->x = work.left;
                if (std::abs(pos->y - work.top) < kSnapDistance)
                    pos->y = work.top;
                if (std::abs(pos->x + w - work.right) < kSnapDistance)
                    pos->x = work.right - w;
                if (std::abs(pos->y + h - work.bottom) < kSnapDistance)
                    pos->y = work.bottom - h;
            }
        }
        break;
    case WM_SIZE:
        if (Application.MainForm() == this) {
            if (wParam == SIZE_MINIMIZED)
                Application.NotifyMinimized();
            else if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED)
                Application.NotifyRestored();
        }
        break;
    case WM_PAINT:
        if (OnPaint) {
            LRESULT r = DefaultProc(msg, wParam, lParam);
            RunNotify(OnPaint);
            return r;
        }
        break;
    case WM_MENUSELECT:
        if (HIWORD(wParam) == 0xFFFF && lParam == 0) {
            Application.SetHint(L"");
        } else if (!(HIWORD(wParam) & MF_POPUP)) {
            if (TMenuItem* item = TMenuItem::FromCommand(LOWORD(wParam)))
                Application.SetHint(item->Hint());
        }
        break;
    case WM_MOUSEMOVE:
        Application.SetHint(Hint());
        break;
    default:
        break;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

} // namespace gui
