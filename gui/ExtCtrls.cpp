#include "gui/ExtCtrls.h"

#include "win/Trace.h"
#include "win/UiThreadCall.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace gui {

namespace {
constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
constexpr wchar_t kPanelClass[] = L"TPanel";
constexpr wchar_t kBevelClass[] = L"TBevel";
constexpr wchar_t kSplitterClass[] = L"TSplitter";
constexpr wchar_t kImageClass[] = L"TImage";
} // namespace

// --- TPanel ----------------------------------------------------------------------------------------------------

TPanel::TPanel(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    RegisterOwnClass(kPanelClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateHandle(kPanelClass, kChild | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, L"", left, top, width, height, true);
}

void TPanel::SetBevelOuter(TBevelCut cut) {
    bevelOuter_ = cut;
    if (HandleAllocated())
        InvalidateRect(Handle(), nullptr, TRUE);
}

void TPanel::SetText(const std::wstring& text) {
    TControl::SetText(text);
    if (HandleAllocated())
        InvalidateRect(Handle(), nullptr, TRUE);
}

HBRUSH TPanel::HandleCtlColor(UINT msg, HDC dc) {
    return TControl::HandleCtlColor(msg, dc);
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        if (Color() != clDefault) {
            RECT r;
            GetClientRect(Handle(), &r);
            const win::UniqueBrush brush(CreateSolidBrush(Color()));
            FillRect(reinterpret_cast<HDC>(wParam), &r, brush.get());
            return 1;
        }
        break;
    case WM_PAINT: {
        const win::PaintDC paint(Handle());
        const HDC dc = paint.get();
        RECT r;
        GetClientRect(Handle(), &r);
        if (bevelOuter_ != TBevelCut::bvNone)
            DrawEdge(dc, &r, bevelOuter_ == TBevelCut::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
        std::wstring text = Text();
        if (!text.empty()) {
            const win::SelectedObject font(dc, FontHandle());
            SetBkMode(dc, TRANSPARENT);
            if (Font().Color != clDefault)
                SetTextColor(dc, Font().Color);
            DrawTextW(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        return 0;
    }
    default:
        break;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

// --- TBevel ----------------------------------------------------------------------------------------------------

TBevel::TBevel(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    RegisterOwnClass(kBevelClass, CS_HREDRAW | CS_VREDRAW, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    // A bevel is decoration: it must not take clicks from what lies under it.
    CreateHandle(kBevelClass, kChild | WS_DISABLED, WS_EX_TRANSPARENT, L"", left, top, width, height, true);
}

void TBevel::SetShape(TBevelShape shape) {
    shape_ = shape;
    if (HandleAllocated())
        InvalidateRect(Handle(), nullptr, TRUE);
}

void TBevel::SetStyle(TBevelCut style) {
    style_ = style;
    if (HandleAllocated())
        InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT TBevel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        const win::PaintDC paint(Handle());
        RECT r;
        GetClientRect(Handle(), &r);
        UINT edge = style_ == TBevelCut::bvRaised ? EDGE_RAISED : EDGE_ETCHED;
        if (style_ == TBevelCut::bvLowered && shape_ == TBevelShape::bsBox)
            edge = BDR_SUNKENOUTER;
        UINT flags = 0;
        switch (shape_) {
        case TBevelShape::bsBox:
        case TBevelShape::bsFrame:
            flags = BF_RECT;
            break;
        case TBevelShape::bsTopLine:
            flags = BF_TOP;
            break;
        case TBevelShape::bsBottomLine:
            flags = BF_BOTTOM;
            break;
        case TBevelShape::bsLeftLine:
            flags = BF_LEFT;
            break;
        case TBevelShape::bsRightLine:
            flags = BF_RIGHT;
            break;
        case TBevelShape::bsSpacer:
            break;
        }
        if (flags)
            DrawEdge(paint.get(), &r, edge, flags);
        return 0;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

// --- TSplitter -------------------------------------------------------------------------------------------------

TSplitter::TSplitter(TControl* parent, std::wstring name, TAlign align, int size) : TControl(parent, std::move(name)) {
    RegisterOwnClass(kSplitterClass, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    bool vertical = align == TAlign::alLeft || align == TAlign::alRight;
    // Placed after the controls already aligned to that edge, so it lies beside the last of them.
    int x = 0, y = 0;
    if (parent) {
        int right = parent->ClientWidth(), bottom = parent->ClientHeight();
        for (TControl* c : parent->Controls())
            if (c != this && c->Align() == align && c->Visible()) {
                if (align == TAlign::alLeft)
                    x = std::max(x, c->Left() + c->Width());
                if (align == TAlign::alTop)
                    y = std::max(y, c->Top() + c->Height());
                if (align == TAlign::alRight)
                    x = std::min(x == 0 ? right : x + size, c->Left()) - size;
                if (align == TAlign::alBottom)
                    y = std::min(y == 0 ? bottom : y + size, c->Top()) - size;
            }
    }
    CreateHandle(kSplitterClass, kChild, 0, L"", x, y, vertical ? size : 10, vertical ? 10 : size, true);
    SetCursor(vertical ? MAKEINTRESOURCEW(32644) /* IDC_SIZEWE */ : MAKEINTRESOURCEW(32645) /* IDC_SIZENS */);
    SetAlign(align);
}

TControl* TSplitter::Target() const {
    if (!Parent())
        return nullptr;
    TControl* best = nullptr;
    int bestDistance = INT_MAX;
    for (TControl* c : Parent()->Controls()) {
        if (c == this || c->Align() != Align() || !c->Visible())
            continue;
        int distance = INT_MAX;
        switch (Align()) {
        case TAlign::alLeft:
            distance = Left() - (c->Left() + c->Width());
            break;
        case TAlign::alRight:
            distance = c->Left() - (Left() + Width());
            break;
        case TAlign::alTop:
            distance = Top() - (c->Top() + c->Height());
            break;
        case TAlign::alBottom:
            distance = c->Top() - (Top() + Height());
            break;
        default:
            break;
        }
        if (distance >= 0 && distance < bestDistance) {
            bestDistance = distance;
            best = c;
        }
    }
    return best;
}

LRESULT TSplitter::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    bool vertical = Align() == TAlign::alLeft || Align() == TAlign::alRight;
    switch (msg) {
    case WM_LBUTTONDOWN:
        if (TControl* target = Target()) {
            dragging_ = true;
            GetCursorPos(&start_);
            startSize_ = vertical ? target->Width() : target->Height();
            SetCapture(Handle());
        }
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) {
            if (TControl* target = Target()) {
                POINT p;
                GetCursorPos(&p);
                int delta = vertical ? p.x - start_.x : p.y - start_.y;
                if (Align() == TAlign::alRight || Align() == TAlign::alBottom)
                    delta = -delta;
                int size = std::max(startSize_ + delta, MinSize);
                if (vertical)
                    target->SetWidth(size);
                else
                    target->SetHeight(size);
            }
        }
        break;
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            ReleaseCapture();
            RunNotify(OnMoved);
        }
        return 0;
    case WM_CAPTURECHANGED:
        dragging_ = false;
        break;
    default:
        break;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

// --- TImage ----------------------------------------------------------------------------------------------------

TImage::TImage(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    RegisterOwnClass(kImageClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateHandle(kImageClass, kChild, 0, L"", left, top, width, height, true);
}

void TImage::Release() {
    bitmap_.reset();
    ownedIcon_.reset();
    icon_ = nullptr;
}

void TImage::SetBitmap(HBITMAP bitmap) {
    Release();
    bitmap_.reset(bitmap);
    if (HandleAllocated())
        InvalidateRect(Handle(), nullptr, TRUE);
}

void TImage::SetIcon(HICON icon, bool owned) {
    Release();
    icon_ = icon;
    if (owned)
        ownedIcon_.reset(icon);
    if (HandleAllocated())
        InvalidateRect(Handle(), nullptr, TRUE);
}

bool TImage::LoadFromResource(const wchar_t* name) {
    auto bitmap =
        static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return false;
    SetBitmap(bitmap);
    return true;
}

LRESULT TImage::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        const win::PaintDC paint(Handle());
        const HDC dc = paint.get();
        RECT r;
        GetClientRect(Handle(), &r);
        if (bitmap_) {
            BITMAP bm{};
            GetObjectW(bitmap_.get(), sizeof bm, &bm);
            const win::UniqueCreatedDC mem(CreateCompatibleDC(dc));
            const win::SelectedObject selected(mem.get(), bitmap_.get());
            if (Stretch) {
                StretchBlt(dc, 0, 0, r.right, r.bottom, mem.get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
            } else {
                int x = Center ? (r.right - bm.bmWidth) / 2 : 0, y = Center ? (r.bottom - bm.bmHeight) / 2 : 0;
                BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem.get(), 0, 0, SRCCOPY);
            }
        } else if (icon_) {
            int s = GetSystemMetrics(SM_CXICON);
            int x = Center ? (r.right - s) / 2 : 0, y = Center ? (r.bottom - s) / 2 : 0;
            DrawIconEx(dc, x, y, icon_, Stretch ? r.right : 0, Stretch ? r.bottom : 0, 0, nullptr, DI_NORMAL);
        }
        return 0;
    }
    if (msg == WM_LBUTTONUP)
        RunNotify(OnClick);
    return TControl::WndProc(msg, wParam, lParam);
}

// --- TStatusBar ------------------------------------------------------------------------------------------------

TStatusBar::TStatusBar(TControl* parent, std::wstring name) : TControl(parent, std::move(name)) {
    CreateHandle(STATUSCLASSNAMEW, kChild | SBARS_SIZEGRIP | CCS_NOPARENTALIGN | CCS_NORESIZE, 0, L"", 0, 0, 100, 19);
    SetAlign(TAlign::alBottom);
}

void TStatusBar::SetPanels(const std::vector<int>& widths) {
    widths_ = widths;
    SendMessageW(Handle(), SB_SIMPLE, FALSE, 0);
    ApplyParts();
}

void TStatusBar::ApplyParts() {
    std::vector<int> edges;
    int x = 0;
    for (size_t i = 0; i < widths_.size(); ++i) {
        bool last = i + 1 == widths_.size();
        x += widths_[i];
        edges.push_back(last ? -1 : x);
    }
    if (!edges.empty())
        SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

std::wstring TStatusBar::PanelText(int index) const {
    LRESULT info = SendMessageW(Handle(), SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0);
    std::wstring text(static_cast<size_t>(LOWORD(info)) + 1, L'\0');
    SendMessageW(Handle(), SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(LOWORD(info));
    return text;
}

void TStatusBar::SetPanelText(int index, const std::wstring& text) {
    SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::SetSimpleText(const std::wstring& text) {
    SendMessageW(Handle(), SB_SIMPLE, TRUE, 0);
    SendMessageW(Handle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
}

LRESULT TStatusBar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return TControl::WndProc(msg, wParam, lParam);
}

// --- TProgressBar ----------------------------------------------------------------------------------------------

TProgressBar::TProgressBar(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    CreateHandle(PROGRESS_CLASSW, kChild | PBS_SMOOTH, 0, L"", left, top, width, height);
    SetRange(0, 100);
}

void TProgressBar::SetRange(int min, int max) {
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min), max);
}
int TProgressBar::Position() const {
    return static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0));
}
void TProgressBar::SetPosition(int position) {
    SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

// --- TSpinEdit -------------------------------------------------------------------------------------------------

namespace {
// The arrows stand inside the width the form gives the spin edit, as a spin edit's design width includes them.
constexpr int kUpDownWidth = 16;
} // namespace

TSpinEdit::TSpinEdit(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TEdit(parent, std::move(name), left, top, width > kUpDownWidth ? width - kUpDownWidth : width, height) {
    if (HandleAllocated())
        CreateUpDown();
    SetRange(0, 0);
    SetText(L"0");
}

// The arrows are made with the edit: on a deferring form, when the form makes its windows.
void TSpinEdit::CreateUpDown() {
    const DWORD visible = Visible() ? WS_VISIBLE : 0;
    updown_ = CreateWindowExW(
        0, UPDOWN_CLASSW, nullptr, WS_CHILD | visible | UDS_ARROWKEYS | UDS_SETBUDDYINT | UDS_NOTHOUSANDS, 0, 0,
        kUpDownWidth, Height(), Parent() ? Parent()->Handle() : nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Handle()), 0);
    if (!Enabled())
        EnableWindow(updown_, FALSE);
    PlaceUpDown();
}

void TSpinEdit::AfterDeferredCreation() {
    TEdit::AfterDeferredCreation();
    CreateUpDown();
    SetRange(min_, max_);
}

void TSpinEdit::PlaceUpDown() {
    if (!updown_)
        return;
    SetWindowPos(updown_, nullptr, Left() + Width(), Top(), kUpDownWidth, Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSpinEdit::SetBounds(int left, int top, int width, int height) {
    TEdit::SetBounds(left, top, width > kUpDownWidth ? width - kUpDownWidth : width, height);
    PlaceUpDown();
}

void TSpinEdit::SetEnabled(bool enabled) {
    TEdit::SetEnabled(enabled);
    if (updown_)
        EnableWindow(updown_, enabled);
}

void TSpinEdit::SetVisible(bool visible) {
    TEdit::SetVisible(visible);
    if (updown_)
        ShowWindow(updown_, visible ? SW_SHOWNA : SW_HIDE);
}

int TSpinEdit::Value() const {
    std::wstring text = Text();
    try {
        size_t used = 0;
        long long v = std::stoll(text, &used);
        v = std::clamp<long long>(v, INT_MIN, INT_MAX);
        if (min_ != 0 || max_ != 0)
            v = std::clamp<long long>(v, min_, max_);
        return static_cast<int>(v);
    } catch (...) {
        win::TraceCaught(L"TSpinEdit::Value");
        return min_; // an empty or non-numeric text counts as the lowest value
    }
}

void TSpinEdit::SetValue(int value) {
    if (min_ != 0 || max_ != 0)
        value = std::clamp(value, min_, max_);
    SetText(std::to_wstring(value));
}

void TSpinEdit::SetRange(int minValue, int maxValue) {
    min_ = minValue;
    max_ = maxValue;
    bool unlimited = minValue == 0 && maxValue == 0;
    if (!updown_)
        return; // given to the arrows when they are made
    SendMessageW(updown_, UDM_SETRANGE32, static_cast<WPARAM>(unlimited ? INT_MIN : minValue),
                 unlimited ? INT_MAX : maxValue);
}

// --- TRichEdit -------------------------------------------------------------------------------------------------

TRichEdit::TRichEdit(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    static HMODULE library = LoadLibraryW(L"riched20.dll");
    (void)library;
    CreateHandle(RICHEDIT_CLASSW, kChild | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                 WS_EX_CLIENTEDGE, L"", left, top, width, height);
    SendMessageW(Handle(), EM_SETEVENTMASK, 0, ENM_CHANGE);
}

namespace {
struct RtfSource {
    const std::string* data;
    size_t pos;
};

DWORD CALLBACK ReadRtfSource(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    auto* s = reinterpret_cast<RtfSource*>(cookie);
    size_t n = std::min(static_cast<size_t>(count), s->data->size() - s->pos);
    std::copy_n(s->data->data() + s->pos, n, buffer);
    s->pos += n;
    *done = static_cast<LONG>(n);
    return 0;
}
} // namespace

void TRichEdit::SetReadOnly(bool readOnly) {
    SendMessageW(Handle(), EM_SETREADONLY, readOnly, 0);
}

bool TRichEdit::LoadRtf(const std::string& rtf) {
    RtfSource source{&rtf, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadRtfSource;
    UINT format = rtf.rfind("{\\rtf", 0) == 0 ? SF_RTF : SF_TEXT;
    SendMessageW(Handle(), EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0;
}

bool TRichEdit::LoadFromFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        return false;
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return LoadRtf(data);
}

bool TRichEdit::HandleCommand(WORD code, LRESULT&) {
    if (code != EN_CHANGE)
        return false;
    RunNotify(OnChange);
    return true;
}

// --- TTimer ----------------------------------------------------------------------------------------------------

namespace {
std::map<UINT_PTR, TTimer*>& Timers() {
    static std::map<UINT_PTR, TTimer*> timers;
    return timers;
}
UINT_PTR g_nextTimerId = 1;
} // namespace

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = Timers().find(id);
    if (found != Timers().end() && found->second->OnTimer) {
        TTimer* timer = found->second;
        GuardedVoid("timer", [timer] { timer->OnTimer(timer); });
    }
}

TTimer::TTimer(std::wstring name, bool enabled) : TComponent(std::move(name)), enabled_(enabled), id_(g_nextTimerId++) {
    Timers()[id_] = this;
    Update();
}

TTimer::~TTimer() {
    if (armed_)
        KillTimer(win::UiThreadWindow(), id_);
    Timers().erase(id_);
}

void TTimer::SetInterval(unsigned long long milliseconds) {
    interval_ = static_cast<unsigned>(std::min<unsigned long long>(milliseconds, USER_TIMER_MAXIMUM));
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Update();
}

void TTimer::Update() {
    // The thread's window for handed-over calls carries the timers too; each timer runs its own procedure.
    HWND window = win::UiThreadWindow();
    if (armed_)
        KillTimer(window, id_);
    armed_ = enabled_ && interval_ > 0 && SetTimer(window, id_, interval_, &TTimer::TimerProc) != 0;
}

} // namespace gui
