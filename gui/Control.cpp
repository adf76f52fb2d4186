#include "gui/Control.h"

#include "gui/Application.h"
#include "gui/Form.h"
#include "gui/Menus.h"
#include "win/MeasuringDC.h"
#include "win/Trace.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>
#include <mutex>
#include <unordered_map>

namespace gui {

namespace {

constexpr wchar_t kNameProp[] = L"OstrelName";
UINT g_nextControlId = 1000;

// The object of each window, kept in the process: a window property would cost a round trip to the window server
// under Wine for every message and every reflected notification.
class WindowObjects {
public:
    void Bind(HWND hwnd, TControl* object) {
        std::lock_guard<std::mutex> lock(mutex_);
        objects_[hwnd] = object;
    }
    void Unbind(HWND hwnd) {
        std::lock_guard<std::mutex> lock(mutex_);
        objects_.erase(hwnd);
    }
    TControl* Find(HWND hwnd) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = objects_.find(hwnd);
        return found == objects_.end() ? nullptr : found->second;
    }

private:
    mutable std::mutex mutex_;
    std::unordered_map<HWND, TControl*> objects_;
};

WindowObjects& Objects() {
    static WindowObjects objects;
    return objects;
}

// Fonts are shared between controls with equal font values.
std::shared_ptr<const win::UniqueFont> SharedFont(const TFont& font) {
    static std::map<std::wstring, std::weak_ptr<const win::UniqueFont>> cache;
    wchar_t key[160];
    swprintf(key, 160, L"%ls|%d|%d%d%d%d", font.Name.c_str(), font.Size, font.Bold, font.Italic, font.Underline,
             font.StrikeOut);
    if (auto found = cache[key].lock())
        return found;
    const int height = -MulDiv(font.Size, win::ScreenPixelsPerInchY(), 72);
    auto shared = std::make_shared<const win::UniqueFont>(CreateFontW(
        height, 0, 0, 0, font.Bold ? FW_BOLD : FW_NORMAL, font.Italic, font.Underline, font.StrikeOut, DEFAULT_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.Name.c_str()));
    cache[key] = shared;
    return shared;
}

} // namespace

TShiftState KeyboardShiftState() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    return s;
}

std::wstring GetShortHint(const std::wstring& hint) {
    auto bar = hint.find(L'|');
    return bar == std::wstring::npos ? hint : hint.substr(0, bar);
}

std::wstring GetLongHint(const std::wstring& hint) {
    auto bar = hint.find(L'|');
    return bar == std::wstring::npos ? hint : hint.substr(bar + 1);
}

void ReportCallbackException(const char* where) noexcept {
    // The places are ASCII names in the code, so widening byte by byte is exact.
    wchar_t place[128] = {};
    for (std::size_t i = 0; where && where[i] && i + 1 < std::size(place); ++i)
        place[i] = static_cast<unsigned char>(where[i]);
    win::TraceCaught(place);
}

std::wstring ShortCutToText(TShortCut shortCut) {
    std::wstring text;
    if (shortCut & scCtrl)
        text += L"Ctrl+";
    if (shortCut & scShift)
        text += L"Shift+";
    if (shortCut & scAlt)
        text += L"Alt+";
    WORD key = static_cast<WORD>(shortCut & 0xFF);
    if (key >= VK_F1 && key <= VK_F24) {
        text += L"F" + std::to_wstring(key - VK_F1 + 1);
    } else if (key == VK_DELETE) {
        text += L"Del";
    } else if (key == VK_INSERT) {
        text += L"Ins";
    } else if (key == VK_ESCAPE) {
        text += L"Esc";
    } else if (key == VK_RETURN) {
        text += L"Enter";
    } else if (key == VK_BACK) {
        text += L"BkSp";
    } else if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        text += static_cast<wchar_t>(key);
    } else {
        wchar_t name[32] = {};
        UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
        if (GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 32) > 0)
            text += name;
    }
    return text;
}

// ---------------------------------------------------------------------------------------------------------------

TControl::TControl(TControl* parent, std::wstring name) : TComponent(std::move(name)), parent_(parent) {
    if (parent_) {
        font_ = parent_->font_;
        tabOrder_ = static_cast<int>(parent_->children_.size());
        parent_->children_.push_back(this);
    }
}

TControl::~TControl() {
    DestroyHandle();
    for (TControl* child : children_)
        child->parent_ = nullptr;
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        if (TForm* form = parent_ ? ParentForm() : nullptr) {
            if (form->focused_ == this)
                form->focused_ = nullptr;
            if (form->pendingFocus_ == this)
                form->pendingFocus_ = nullptr;
        }
    }
}

TForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c && !c->isForm_)
        c = c->parent_;
    return static_cast<TForm*>(const_cast<TControl*>(c));
}

TControl* TControl::FromHandle(HWND hwnd) {
    return hwnd ? Objects().Find(hwnd) : nullptr;
}

void TControl::RegisterOwnClass(const wchar_t* className, UINT classStyle, HBRUSH background, HICON icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc))
        return;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = &TControl::OwnClassProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

void TControl::CreateHandle(const wchar_t* className, DWORD style, DWORD exStyle, const std::wstring& text, int x,
                            int y, int w, int h, bool ownClass) {
    ownClass_ = ownClass;
    PendingWindow window{className, style, exStyle, text, RECT{x, y, x + w, y + h}};
    // A deferring form keeps its own window back as well as its controls'.
    TForm* form = ParentForm();
    if (form && form->controlsDeferred_) {
        pending_ = std::make_unique<PendingWindow>(std::move(window));
        ApplyFont(); // text is measured in the control's font before its window exists
        return;
    }
    CreateWindowNow(window);
}

void TControl::CreateWindowNow(const PendingWindow& window) {
    HWND parentWindow = parent_ ? parent_->hwnd_ : nullptr;
    DWORD style = window.style;
    HMENU id = nullptr;
    if (style & WS_CHILD)
        id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(g_nextControlId++));
    if (visible_ && (style & WS_CHILD))
        style |= WS_VISIBLE;
    const RECT& b = window.bounds;
    HWND hwnd = CreateWindowExW(window.exStyle, window.className.c_str(), window.text.c_str(), style, b.left, b.top,
                                b.right - b.left, b.bottom - b.top, parentWindow, id, GetModuleHandleW(nullptr),
                                ownClass_ ? this : nullptr);
    if (!hwnd)
        throw std::runtime_error("CreateWindowEx failed");
    if (!ownClass_) {
        hwnd_ = hwnd;
        Objects().Bind(hwnd, this);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        nativeProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TControl::NativeProc)));
    }
    SetName(Name());
    ApplyFont();
    RememberAnchorBase();
}

void TControl::CreatePendingWindows() const {
    if (TForm* form = ParentForm())
        form->CreateControls();
}

void TControl::CreateChildWindows() {
    bool reordered = false;
    for (size_t i = 0; i < children_.size(); ++i) {
        TControl* child = children_[i];
        if (child->pending_) {
            const std::unique_ptr<PendingWindow> window = std::move(child->pending_);
            child->CreateWindowNow(*window);
            if (!child->hint_.empty())
                child->UpdateTooltip();
            child->AfterDeferredCreation();
        }
        reordered = reordered || child->tabOrder_ != static_cast<int>(i);
        child->CreateChildWindows();
    }
    if (reordered)
        OrderChildWindows();
    if (!children_.empty())
        Realign();
}

// A combo box makes its own height from its font: its size is known once it exists.
bool TControl::SizeKnownBeforeCreation() const {
    return !pending_ || _wcsicmp(pending_->className.c_str(), L"COMBOBOX") != 0;
}

DWORD TControl::WindowStyle() const {
    if (pending_)
        return pending_->style;
    return hwnd_ ? static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)) : 0;
}

void TControl::SetWindowStyle(DWORD style) {
    if (pending_) {
        pending_->style = style;
    } else if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(style));
    }
}

void TControl::DestroyHandle() {
    pending_.reset();
    if (hwnd_) {
        HWND hwnd = hwnd_;
        DestroyWindow(hwnd); // WM_NCDESTROY detaches
        if (hwnd_)
            Detach();
    }
}

void TControl::Detach() {
    if (!hwnd_)
        return;
    // Under a hook set since, ours stays in the chain and passes everything to the class's own procedure.
    if (!ownClass_ && GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&TControl::NativeProc))
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(nativeProc_));
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    Objects().Unbind(hwnd_);
    tooltip_ = nullptr;
    RemovePropW(hwnd_, kNameProp);
    if (nameAtom_)
        GlobalDeleteAtom(nameAtom_);
    nameAtom_ = 0;
    hwnd_ = nullptr;
}

void TControl::SetName(const std::wstring& name) {
    TComponent::SetName(name);
    if (!hwnd_)
        return;
    if (nameAtom_)
        GlobalDeleteAtom(nameAtom_);
    nameAtom_ = name.empty() ? 0 : GlobalAddAtomW(name.substr(0, 255).c_str());
    if (nameAtom_) {
        SetPropW(hwnd_, kNameProp, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(nameAtom_)));
    } else {
        RemovePropW(hwnd_, kNameProp);
    }
}

LRESULT CALLBACK TControl::OwnClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<TControl*>(cs->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            Objects().Bind(hwnd, self);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    // The object rides in the window's user data, which is read without leaving the process.
    auto* self = reinterpret_cast<TControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT CALLBACK TControl::NativeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || self->hwnd_ != hwnd) {
        // Detached while a hook above still calls us: the procedure we replaced is the class's.
        auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC));
        return CallWindowProcW(classProc, hwnd, msg, wParam, lParam);
    }
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT TControl::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    bool own = ownClass_;
    LRESULT result = 0;
    if (tooltip_ && ((msg >= WM_LBUTTONDOWN && msg <= WM_MBUTTONDBLCLK) || msg == WM_MOUSEMOVE)) {
        MSG relayed{hwnd, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        const DWORD pos = GetMessagePos();
        relayed.pt = POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
        SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    try {
        result = WndProc(msg, wParam, lParam);
    } catch (...) {
        ReportCallbackException("window procedure");
        result =
            own ? DefWindowProcW(hwnd, msg, wParam, lParam) : CallWindowProcW(nativeProc_, hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY && hwnd_ == hwnd)
        Detach();
    return result;
}

LRESULT TControl::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ownClass_ ? DefWindowProcW(hwnd_, msg, wParam, lParam)
                     : CallWindowProcW(nativeProc_, hwnd_, msg, wParam, lParam);
}

bool TControl::HandleCommand(WORD, LRESULT&) {
    return false;
}
bool TControl::HandleNotify(NMHDR*, LRESULT&) {
    return false;
}

bool TControl::HandleDrawItem(const DRAWITEMSTRUCT&) {
    return false;
}

HBRUSH TControl::HandleCtlColor(UINT msg, HDC dc) {
    if (font_.Color == clDefault && color_ == clDefault)
        return nullptr;
    bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
    if (font_.Color != clDefault)
        SetTextColor(dc, font_.Color);
    if (color_ != clDefault) {
        SetBkColor(dc, color_);
        return brush_.get();
    }
    SetBkColor(dc, GetSysColor(field ? COLOR_WINDOW : COLOR_BTNFACE));
    return GetSysColorBrush(field ? COLOR_WINDOW : COLOR_BTNFACE);
}

void TControl::FireKeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

LRESULT TControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (lParam) {
            if (TControl* child = FromHandle(reinterpret_cast<HWND>(lParam)); child && child != this) {
                LRESULT r = 0;
                if (child->HandleCommand(HIWORD(wParam), r))
                    return r;
            }
        } else if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1) {
            if (TMenuItem* item = TMenuItem::FromCommand(LOWORD(wParam))) {
                item->Click();
                return 0;
            }
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (TControl* child = FromHandle(header->hwndFrom); child && child != this) {
            LRESULT r = 0;
            if (child->HandleNotify(header, r))
                return r;
        }
        break;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (TControl* child = FromHandle(reinterpret_cast<HWND>(lParam)); child && child != this) {
            LRESULT r = 0;
            if (child->HandleCommand(static_cast<WORD>(msg == WM_HSCROLL ? 0xFFFE : 0xFFFF), r))
                return r;
        }
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlType != ODT_MENU) {
            if (TControl* child = FromHandle(item->hwndItem); child && child != this && child->HandleDrawItem(*item))
                return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (TControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
            if (HBRUSH brush = child->HandleCtlColor(msg, reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        }
        break;
    case WM_SIZE:
        if (!children_.empty())
            Realign();
        RunNotify(OnResize);
        break;
    case WM_SETFOCUS:
        if (!isForm_)
            HandleFocusGained();
        break;
    case WM_SETCURSOR:
        if (cursor_ && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(cursor_);
            return TRUE;
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (OnKeyDown && !isForm_) {
            WORD key = static_cast<WORD>(wParam);
            OnKeyDown(this, key, KeyboardShiftState());
            if (key == 0)
                return 0;
            wParam = key;
        }
        break;
    case WM_KEYUP:
        if (OnKeyUp) {
            WORD key = static_cast<WORD>(wParam);
            OnKeyUp(this, key, KeyboardShiftState());
            if (key == 0)
                return 0;
            wParam = key;
        }
        break;
    case WM_CHAR:
        if (OnKeyPress) {
            wchar_t key = static_cast<wchar_t>(wParam);
            OnKeyPress(this, key);
            if (key == 0)
                return 0;
            wParam = key;
        }
        break;
    case WM_CONTEXTMENU:
        if (PopupMenu) {
            int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
            if (x == -1 && y == -1) {
                RECT r;
                GetWindowRect(hwnd_, &r);
                x = r.left;
                y = r.top;
            }
            PopupMenu->PopupComponent = this;
            PopupMenu->Popup(x, y, hwnd_);
            return 0;
        }
        break;
    default:
        if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
            if (HandleMouse(msg, wParam, lParam))
                return 0;
        }
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

bool TControl::HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    TShiftState shift = KeyboardShiftState();
    if (wParam & MK_LBUTTON)
        shift |= ssLeft;
    if (wParam & MK_RBUTTON)
        shift |= ssRight;
    if (wParam & MK_MBUTTON)
        shift |= ssMiddle;
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!hint_.empty() || !isForm_)
            Application.SetHint(hint_);
        if (OnMouseMove)
            OnMouseMove(this, shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
        RunNotify(OnDblClick);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (OnMouseDown) {
            auto b = msg == WM_LBUTTONDOWN   ? TMouseButton::mbLeft
                     : msg == WM_RBUTTONDOWN ? TMouseButton::mbRight
                                             : TMouseButton::mbMiddle;
            OnMouseDown(this, b, shift, x, y);
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (OnMouseUp) {
            auto b = msg == WM_LBUTTONUP   ? TMouseButton::mbLeft
                     : msg == WM_RBUTTONUP ? TMouseButton::mbRight
                                           : TMouseButton::mbMiddle;
            OnMouseUp(this, b, shift, x, y);
        }
        break;
    default:
        break;
    }
    return false;
}

void TControl::HandleFocusGained() {
    if (TForm* form = ParentForm())
        form->FocusChanged(this);
}

// --- geometry --------------------------------------------------------------------------------------------------

namespace {
RECT BoundsInParent(HWND hwnd) {
    RECT r{};
    if (!hwnd)
        return r;
    GetWindowRect(hwnd, &r);
    HWND parent = GetParent(hwnd);
    if (parent && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Moves a child window to the bounds (in its parent's client coordinates) unless it stands there already: layouts
// set every control again, and an unchanged position still costs the window system a round of messages.
void PlaceWindow(HWND hwnd, int left, int top, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const RECT now = BoundsInParent(hwnd);
    if (now.left == left && now.top == top && now.right - now.left == width && now.bottom - now.top == height)
        return;
    SetWindowPos(hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
} // namespace

int TControl::Left() const {
    return pending_ ? pending_->bounds.left : BoundsInParent(hwnd_).left;
}
int TControl::Top() const {
    return pending_ ? pending_->bounds.top : BoundsInParent(hwnd_).top;
}
int TControl::Width() const {
    RECT r = pending_ ? pending_->bounds : BoundsInParent(hwnd_);
    return r.right - r.left;
}
int TControl::Height() const {
    if (!SizeKnownBeforeCreation())
        Handle();
    RECT r = pending_ ? pending_->bounds : BoundsInParent(hwnd_);
    return r.bottom - r.top;
}
int TControl::ClientWidth() const {
    if (pending_ && isForm_)
        return Width() - static_cast<const TForm*>(this)->FrameSize().cx;
    RECT r{};
    if (HWND hwnd = Handle())
        GetClientRect(hwnd, &r);
    return r.right;
}
int TControl::ClientHeight() const {
    if (pending_ && isForm_)
        return Height() - static_cast<const TForm*>(this)->FrameSize().cy;
    RECT r{};
    if (HWND hwnd = Handle())
        GetClientRect(hwnd, &r);
    return r.bottom;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (pending_) {
        pending_->bounds = RECT{left, top, left + std::max(width, 0), top + std::max(height, 0)};
        return;
    }
    if (!hwnd_)
        return;
    PlaceWindow(hwnd_, left, top, width, height);
    RememberAnchorBase();
    if (parent_ && align_ != TAlign::alNone && parent_->realignDepth_ == 0)
        parent_->Realign();
}

void TControl::RememberAnchorBase() {
    if (!hwnd_ || !parent_ || !parent_->hwnd_)
        return;
    anchorBounds_ = BoundsInParent(hwnd_);
    anchorParentSize_ = SIZE{parent_->ClientWidth(), parent_->ClientHeight()};
    // Bounds set while the parent is minimised belong to the size it was last laid out at.
    bool noRoom = IsIconic(parent_->hwnd_) || anchorParentSize_.cx <= 0 || anchorParentSize_.cy <= 0;
    if (noRoom && parent_->laidOut_.cx > 0)
        anchorParentSize_ = parent_->laidOut_;
}

void TControl::SetAlign(TAlign align) {
    align_ = align;
    if (parent_)
        parent_->Realign();
}

void TControl::SetAnchors(TAnchors anchors) {
    anchors_ = anchors;
    RememberAnchorBase();
}

RECT TControl::AlignArea() const {
    RECT r{};
    if (hwnd_)
        GetClientRect(hwnd_, &r);
    return r;
}

void TControl::EnableAlign() {
    if (alignDisabled_ > 0 && --alignDisabled_ == 0)
        Realign();
}

void TControl::Realign() {
    if (!hwnd_ || realignDepth_ > 0 || alignDisabled_ > 0)
        return;
    SIZE client{ClientWidth(), ClientHeight()};
    // A minimised window (or a panel squeezed to nothing) has no room to lay anything out in: the children keep
    // their places until there is room again.
    if (IsIconic(hwnd_) || client.cx <= 0 || client.cy <= 0)
        return;
    ++realignDepth_;
    laidOut_ = client;
    RECT area = AlignArea();
    auto place = [](TControl* c, int l, int t, int w, int h) {
        PlaceWindow(c->hwnd_, l, t, w, h);
        c->anchorBounds_ = BoundsInParent(c->hwnd_);
    };
    // The nearer a control already stands to its edge, the earlier it takes its share (stable for ties). The
    // order goes by the left or top edge, which a change of size keeps: a bottom panel that grows (or a right
    // button that widens) keeps its place among its neighbours; only a move changes the order.
    auto ordered = [&](TAlign which) {
        std::vector<TControl*> list;
        for (TControl* c : children_)
            if (c->align_ == which && c->visible_ && c->hwnd_)
                list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [which](TControl* a, TControl* b) {
            RECT ra = BoundsInParent(a->hwnd_), rb = BoundsInParent(b->hwnd_);
            switch (which) {
            case TAlign::alTop:
                return ra.top < rb.top;
            case TAlign::alBottom:
                return ra.top > rb.top;
            case TAlign::alLeft:
                return ra.left < rb.left;
            case TAlign::alRight:
                return ra.left > rb.left;
            default:
                return false;
            }
        });
        return list;
    };
    for (TControl* c : ordered(TAlign::alTop)) {
        int h = c->Height();
        place(c, area.left, area.top, area.right - area.left, h);
        area.top += h;
    }
    for (TControl* c : ordered(TAlign::alBottom)) {
        int h = c->Height();
        place(c, area.left, area.bottom - h, area.right - area.left, h);
        area.bottom -= h;
    }
    for (TControl* c : ordered(TAlign::alLeft)) {
        int w = c->Width();
        place(c, area.left, area.top, w, area.bottom - area.top);
        area.left += w;
    }
    for (TControl* c : ordered(TAlign::alRight)) {
        int w = c->Width();
        place(c, area.right - w, area.top, w, area.bottom - area.top);
        area.right -= w;
    }
    for (TControl* c : ordered(TAlign::alClient))
        place(c, area.left, area.top, area.right - area.left, area.bottom - area.top);
    // An anchored control keeps the distances its bounds had to the named edges when they were last set by the
    // program; each layout starts again from those bounds, so a squeezed parent loses nothing.
    for (TControl* c : children_) {
        if (c->align_ != TAlign::alNone || !c->hwnd_ || c->anchors_ == (akLeft | akTop))
            continue;
        int dw = client.cx - c->anchorParentSize_.cx, dh = client.cy - c->anchorParentSize_.cy;
        RECT b = c->anchorBounds_;
        if (c->anchors_ & akRight) {
            if (c->anchors_ & akLeft)
                b.right += dw;
            else
                OffsetRect(&b, dw, 0);
        }
        if (c->anchors_ & akBottom) {
            if (c->anchors_ & akTop)
                b.bottom += dh;
            else
                OffsetRect(&b, 0, dh);
        }
        PlaceWindow(c->hwnd_, b.left, b.top, b.right - b.left, b.bottom - b.top);
    }
    --realignDepth_;
    AfterChildrenAligned();
}

// --- state -----------------------------------------------------------------------------------------------------

bool TControl::Enabled() const {
    if (pending_)
        return !(pending_->style & WS_DISABLED);
    return hwnd_ && IsWindowEnabled(hwnd_);
}

void TControl::SetEnabled(bool enabled) {
    if (pending_) {
        pending_->style =
            enabled ? (pending_->style & ~static_cast<DWORD>(WS_DISABLED)) : (pending_->style | WS_DISABLED);
    } else if (hwnd_) {
        EnableWindow(hwnd_, enabled);
    }
}

void TControl::SetVisible(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    if (hwnd_)
        ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
    if (parent_ && align_ != TAlign::alNone)
        parent_->Realign();
}

void TControl::SetHint(const std::wstring& hint) {
    hint_ = hint;
    UpdateTooltip();
}

void TControl::SetShowHint(bool show) {
    showHint_ = show;
    UpdateTooltip();
}

void TControl::UpdateTooltip() {
    TForm* form = ParentForm();
    if (!hwnd_ || !form || form == this)
        return;
    static std::map<HWND, HWND> tips; // one tooltip window per form window, destroyed with it
    HWND& tip = tips[form->hwnd_];
    if (!tip || !IsWindow(tip)) {
        tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                              0, form->hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    if (!tip)
        return;
    std::wstring text = GetShortHint(hint_);
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = form->hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    // A tool that stays only needs its text.
    wchar_t existingText[INFOTIPSIZE] = {}; // the tool's text is copied out with its other values
    TTTOOLINFOW existing{};
    existing.cbSize = sizeof existing;
    existing.hwnd = ti.hwnd;
    existing.uId = ti.uId;
    existing.lpszText = existingText;
    const bool present = SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&existing)) != 0;
    if (text.empty() || !showHint_) {
        if (present)
            SendMessageW(tip, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&ti));
        tooltip_ = nullptr;
        return;
    }
    ti.lpszText = text.data();
    SendMessageW(tip, present ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    tooltip_ = tip;
}

std::wstring TControl::Text() const {
    if (pending_)
        return pending_->text;
    if (!hwnd_)
        return {};
    int n = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd_, text.data(), n + 1);
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

void TControl::SetText(const std::wstring& text) {
    if (pending_)
        pending_->text = text;
    else if (hwnd_ && Text() != text)
        SetWindowTextW(hwnd_, text.c_str());
}

void TControl::SetFont(const TFont& font) {
    font_ = font;
    ownFont_ = true;
    ApplyFont();
    for (TControl* child : children_)
        if (!child->ownFont_) {
            child->font_ = font;
            child->ApplyFont();
        }
}

void TControl::ApplyFont() {
    hfont_ = SharedFont(font_);
    if (hwnd_)
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), TRUE);
}

HFONT TControl::FontHandle() const {
    return hfont_ ? hfont_->get() : nullptr;
}

SIZE TControl::TextExtent(const std::wstring& text, int wrapWidth) const {
    RECT r{0, 0, wrapWidth, 0};
    {
        const HDC dc = win::MeasuringDC();
        const win::SelectedObject font(dc, FontHandle());
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    }
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void TControl::SetColor(COLORREF color) {
    color_ = color;
    if (color != clDefault) {
        brush_.reset(CreateSolidBrush(color));
    } else {
        brush_.reset();
    }
    if (hwnd_)
        InvalidateRect(hwnd_, nullptr, TRUE);
}

void TControl::SetCursor(LPCWSTR systemCursor) {
    cursor_ = systemCursor ? LoadCursorW(nullptr, systemCursor) : nullptr;
}

void TControl::SetTabOrder(int order) {
    if (!parent_)
        return;
    auto& sib = parent_->children_;
    std::vector<TControl*> list(sib.begin(), sib.end());
    std::stable_sort(list.begin(), list.end(), [](TControl* a, TControl* b) { return a->tabOrder_ < b->tabOrder_; });
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
    for (size_t i = 0; i < list.size(); ++i)
        list[i]->tabOrder_ = static_cast<int>(i);
    parent_->OrderChildWindows();
}

void TControl::OrderChildWindows() {
    std::vector<TControl*> list(children_.begin(), children_.end());
    std::stable_sort(list.begin(), list.end(), [](TControl* a, TControl* b) { return a->tabOrder_ < b->tabOrder_; });
    HWND after = HWND_TOP;
    for (TControl* c : list) {
        if (c->hwnd_) {
            SetWindowPos(c->hwnd_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            after = c->hwnd_;
        }
    }
}

bool TControl::TabStop() const {
    return WindowStyle() & WS_TABSTOP;
}

void TControl::SetTabStop(bool stop) {
    const DWORD style = WindowStyle();
    if (pending_ || hwnd_)
        SetWindowStyle(stop ? (style | WS_TABSTOP) : (style & ~static_cast<DWORD>(WS_TABSTOP)));
}

bool TControl::Focused() const {
    HWND focus = GetFocus();
    return hwnd_ && (focus == hwnd_ || IsChild(hwnd_, focus)) && !isForm_;
}

bool TControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->hwnd_ || !IsWindowEnabled(c->hwnd_) || !c->visible_)
            return false;
    return true;
}

void TControl::SetFocus() {
    TForm* form = ParentForm();
    if (pending_ && form && form != this) {
        form->pendingFocus_ = this;
        return;
    }
    if (!hwnd_)
        return;
    if (form && form != this && !IsWindowVisible(form->hwnd_)) {
        form->pendingFocus_ = this;
        return;
    }
    ::SetFocus(hwnd_);
}

void TControl::Click() {
    RunNotify(OnClick);
}

} // namespace gui
