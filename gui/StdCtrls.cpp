#include "gui/StdCtrls.h"

#include "gui/Form.h"
#include "win/MeasuringDC.h"

#include <algorithm>

namespace gui {

namespace {
constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            if (start < text.size())
                lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}
} // namespace

// --- TLabel ----------------------------------------------------------------------------------------------------

TLabel::TLabel(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    CreateHandle(L"STATIC", kChild | SS_LEFTNOWORDWRAP | SS_NOTIFY, 0, L"", left, top, width, height);
}

void TLabel::SetText(const std::wstring& text) {
    TControl::SetText(text);
    FitToText();
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    FitToText();
}

void TLabel::SetWordWrap(bool wrap) {
    wordWrap_ = wrap;
    UpdateStyle();
}

void TLabel::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    UpdateStyle();
}

void TLabel::UpdateStyle() {
    DWORD style = WindowStyle() & ~static_cast<DWORD>(SS_TYPEMASK);
    DWORD type = alignment_ == TAlignment::taCenter         ? SS_CENTER
                 : alignment_ == TAlignment::taRightJustify ? SS_RIGHT
                 : wordWrap_                                ? SS_LEFT
                                                            : SS_LEFTNOWORDWRAP;
    SetWindowStyle(style | type);
    if (HandleAllocated())
        InvalidateRect(Handle(), nullptr, TRUE);
    FitToText();
}

void TLabel::FitToText() {
    if (!autoSize_ || wordWrap_ || Align() != TAlign::alNone)
        return;
    const std::wstring text = Text();
    const SIZE size = TextExtent(text.empty() ? L" " : text);
    const int width = text.empty() ? Width() : size.cx;
    if (HandleAllocated()) {
        SetWindowPos(Handle(), nullptr, 0, 0, width, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetBounds(Left(), Top(), width, size.cy); // kept until the window is made
    }
}

bool TLabel::HandleCommand(WORD code, LRESULT&) {
    if (code != STN_CLICKED)
        return false;
    Click();
    return true;
}

HBRUSH TLabel::HandleCtlColor(UINT msg, HDC dc) {
    if (HBRUSH b = TControl::HandleCtlColor(msg, dc))
        return b;
    return nullptr;
}

// --- TButton ---------------------------------------------------------------------------------------------------

TButton::TButton(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TButton(parent, std::move(name), left, top, width, height, WS_TABSTOP | BS_PUSHBUTTON) {}

TButton::TButton(TControl* parent, std::wstring name, int left, int top, int width, int height, DWORD style)
    : TControl(parent, std::move(name)) {
    CreateHandle(L"BUTTON", kChild | style, 0, L"", left, top, width, height);
}

void TButton::Click() {
    if (ModalResult != mrNone) {
        if (TForm* form = ParentForm())
            form->SetModalResult(ModalResult);
    }
    TControl::Click();
}

void TButton::SetDefault(bool value) {
    default_ = value;
    if (!HandleAllocated()) {
        const DWORD style = WindowStyle() & ~static_cast<DWORD>(BS_TYPEMASK);
        SetWindowStyle(style | (value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
        return;
    }
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE) & ~static_cast<LONG_PTR>(BS_TYPEMASK);
    SendMessageW(Handle(), BM_SETSTYLE, static_cast<WPARAM>(style | (value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)), TRUE);
}

void TButton::SetWordWrap(bool wrap) {
    if (!HandleAllocated()) {
        const DWORD style = WindowStyle();
        SetWindowStyle(wrap ? (style | BS_MULTILINE) : (style & ~static_cast<DWORD>(BS_MULTILINE)));
        return;
    }
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    style = wrap ? (style | BS_MULTILINE) : (style & ~static_cast<LONG_PTR>(BS_MULTILINE));
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
    InvalidateRect(Handle(), nullptr, TRUE);
}

bool TButton::HandleCommand(WORD code, LRESULT&) {
    if (code != BN_CLICKED)
        return false;
    Click();
    return true;
}

// --- TBitBtn ---------------------------------------------------------------------------------------------------

TBitBtn::TBitBtn(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TButton(parent, std::move(name), left, top, width, height) {}

TBitBtn::~TBitBtn() {
    if (HandleAllocated())
        SendMessageW(Handle(), BM_SETIMAGE, IMAGE_BITMAP, 0);
}

void TBitBtn::SetKind(TBitBtnKind kind) {
    struct KindInfo {
        TModalResult result;
        const wchar_t* caption;
        bool isDefault, isCancel;
    };
    KindInfo info{};
    switch (kind) {
    case TBitBtnKind::bkCustom:
        return;
    case TBitBtnKind::bkOK:
        info = {mrOk, L"OK", true, false};
        break;
    case TBitBtnKind::bkCancel:
        info = {mrCancel, L"Abbrechen", false, true};
        break;
    case TBitBtnKind::bkYes:
        info = {mrYes, L"&Ja", true, false};
        break;
    case TBitBtnKind::bkNo:
        info = {mrNo, L"&Nein", false, true};
        break;
    case TBitBtnKind::bkClose:
        info = {mrNone, L"&Schließen", false, false};
        break;
    case TBitBtnKind::bkAbort:
        info = {mrAbort, L"Abbrechen", false, true};
        break;
    }
    ModalResult = info.result;
    if (Text().empty())
        SetText(info.caption);
    if (info.isDefault)
        SetDefault(true);
    if (info.isCancel)
        SetCancel(true);
}

void TBitBtn::SetGlyph(HBITMAP bitmap) {
    if (HandleAllocated())
        SendMessageW(Handle(), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    glyph_.reset(bitmap);
}

void TBitBtn::AfterDeferredCreation() {
    if (glyph_)
        SendMessageW(Handle(), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyph_.get()));
}

// --- TSpeedButton ----------------------------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TButton(parent, std::move(name), left, top, width, height, BS_PUSHBUTTON) {}

TSpeedButton::~TSpeedButton() {
    if (HandleAllocated())
        SendMessageW(Handle(), BM_SETIMAGE, IMAGE_ICON, 0);
}

void TSpeedButton::SetIcon(HICON icon) {
    SetWindowLongPtrW(Handle(), GWL_STYLE, GetWindowLongPtrW(Handle(), GWL_STYLE) | BS_ICON);
    SendMessageW(Handle(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    icon_.reset(icon);
}

void TSpeedButton::SetDown(bool down) {
    down_ = down;
    if (down && GroupIndex != 0 && Parent()) {
        for (TControl* c : Parent()->Controls())
            if (auto* other = dynamic_cast<TSpeedButton*>(c); other && other != this && other->GroupIndex == GroupIndex)
                other->SetDown(false);
    }
    SendMessageW(Handle(), BM_SETSTATE, down_ || pressed_, 0);
}

void TSpeedButton::Click() {
    if (GroupIndex != 0)
        SetDown(AllowAllUp ? !down_ : true);
    TButton::Click();
}

// The native button takes the focus on a click; this one handles the mouse itself so the focus stays where it is.
LRESULT TSpeedButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = true;
        SetCapture(Handle());
        SendMessageW(Handle(), BM_SETSTATE, TRUE, 0);
        return 0;
    case WM_MOUSEMOVE:
        if (pressed_) {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            RECT r;
            GetClientRect(Handle(), &r);
            SendMessageW(Handle(), BM_SETSTATE, PtInRect(&r, p) || down_, 0);
        }
        break;
    case WM_LBUTTONUP:
        if (pressed_) {
            pressed_ = false;
            ReleaseCapture();
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            RECT r;
            GetClientRect(Handle(), &r);
            SendMessageW(Handle(), BM_SETSTATE, down_, 0);
            if (PtInRect(&r, p))
                Click();
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (pressed_) {
            pressed_ = false;
            SendMessageW(Handle(), BM_SETSTATE, down_, 0);
        }
        break;
    default:
        break;
    }
    return TButton::WndProc(msg, wParam, lParam);
}

// --- TCheckBox -------------------------------------------------------------------------------------------------

TCheckBox::TCheckBox(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    CreateHandle(L"BUTTON", kChild | WS_TABSTOP | BS_CHECKBOX, 0, L"", left, top, width, height);
}

bool TCheckBox::Checked() const {
    if (!HandleAllocated())
        return checked_;
    return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
    if (Checked() == checked)
        return;
    if (HandleAllocated())
        SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    else
        checked_ = checked;
    TControl::Click();
}

void TCheckBox::SetWordWrap(bool wrap) {
    const DWORD style = WindowStyle();
    SetWindowStyle(wrap ? (style | BS_MULTILINE) : (style & ~static_cast<DWORD>(BS_MULTILINE)));
    if (HandleAllocated())
        InvalidateRect(Handle(), nullptr, TRUE);
}

void TCheckBox::AfterDeferredCreation() {
    if (checked_)
        SendMessageW(Handle(), BM_SETCHECK, BST_CHECKED, 0);
}

// A click toggles the box (and so runs OnClick once).
void TCheckBox::Click() {
    SetChecked(!Checked());
}

bool TCheckBox::HandleCommand(WORD code, LRESULT&) {
    if (code != BN_CLICKED)
        return false;
    Click();
    return true;
}

HBRUSH TCheckBox::HandleCtlColor(UINT msg, HDC dc) {
    return TControl::HandleCtlColor(msg, dc);
}

// --- TRadioButton ----------------------------------------------------------------------------------------------

TRadioButton::TRadioButton(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    CreateHandle(L"BUTTON", kChild | WS_TABSTOP | BS_RADIOBUTTON, 0, L"", left, top, width, height);
}

bool TRadioButton::Checked() const {
    if (!HandleAllocated())
        return checked_;
    return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TRadioButton::SetCheckState(bool checked) {
    if (HandleAllocated()) {
        SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        return;
    }
    checked_ = checked;
    // As the native button does: only the checked button of a group is a tab stop.
    const DWORD style = WindowStyle();
    SetWindowStyle(checked ? (style | WS_TABSTOP) : (style & ~static_cast<DWORD>(WS_TABSTOP)));
}

void TRadioButton::AfterDeferredCreation() {
    if (checked_)
        SendMessageW(Handle(), BM_SETCHECK, BST_CHECKED, 0);
}

void TRadioButton::SetChecked(bool checked) {
    if (Checked() == checked)
        return;
    SetCheckState(checked);
    if (!checked)
        return;
    if (Parent()) {
        for (TControl* c : Parent()->Controls())
            if (auto* other = dynamic_cast<TRadioButton*>(c); other && other != this)
                other->SetCheckState(false);
    }
    if (!silent_)
        TControl::Click();
}

void TRadioButton::Click() {
    if (Checked()) {
        if (!silent_)
            TControl::Click();
        return;
    }
    SetChecked(true);
}

bool TRadioButton::HandleCommand(WORD code, LRESULT&) {
    if (code != BN_CLICKED)
        return false;
    if (silent_) {
        // A radio group's button: the group takes the click.
        if (auto* group = dynamic_cast<TRadioGroup*>(Parent())) {
            for (int i = 0; i < group->Count(); ++i)
                if (group->Button(i) == this)
                    group->SetItemIndex(i);
        }
        return true;
    }
    Click();
    return true;
}

HBRUSH TRadioButton::HandleCtlColor(UINT msg, HDC dc) {
    return TControl::HandleCtlColor(msg, dc);
}

// --- TGroupBox, TRadioGroup ------------------------------------------------------------------------------------

TGroupBox::TGroupBox(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    CreateHandle(L"BUTTON", kChild | BS_GROUPBOX, WS_EX_CONTROLPARENT, L"", left, top, width, height);
}

RECT TGroupBox::AlignArea() const {
    RECT r = TControl::AlignArea();
    InflateRect(&r, -2, -2);
    r.top += 13;
    return r;
}

HBRUSH TGroupBox::HandleCtlColor(UINT msg, HDC dc) {
    return TControl::HandleCtlColor(msg, dc);
}

// The native group box paints only its frame and caption; as a parent of controls it must fill its face too.
LRESULT TGroupBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(Handle(), &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

TRadioGroup::TRadioGroup(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TGroupBox(parent, std::move(name), left, top, width, height) {}

TRadioGroup::~TRadioGroup() {
    buttons_.clear();
}

void TRadioGroup::SetItems(const std::vector<std::wstring>& items) {
    buttons_.clear();
    for (const auto& text : items) {
        auto button = std::make_unique<TRadioButton>(this, L"");
        button->silent_ = true;
        button->SetText(text);
        button->SetEnabled(Enabled());
        buttons_.push_back(std::move(button));
    }
    if (itemIndex_ >= Count())
        itemIndex_ = -1;
    if (itemIndex_ >= 0)
        buttons_[static_cast<size_t>(itemIndex_)]->SetCheckState(true);
    Arrange();
}

std::wstring TRadioGroup::Item(int index) const {
    return Button(index)->Text();
}

void TRadioGroup::SetItem(int index, const std::wstring& text) {
    Button(index)->SetText(text);
}

void TRadioGroup::SetItemIndex(int index) {
    if (index < -1 || index >= Count())
        index = -1;
    if (index == itemIndex_)
        return;
    itemIndex_ = index;
    for (int i = 0; i < Count(); ++i)
        Button(i)->SetCheckState(i == index);
    RunNotify(OnClick);
}

void TRadioGroup::SetColumns(int columns) {
    columns_ = std::max(columns, 1);
    Arrange();
}

void TRadioGroup::SetEnabled(bool enabled) {
    TGroupBox::SetEnabled(enabled);
    for (auto& b : buttons_)
        b->SetEnabled(enabled);
}

void TRadioGroup::AfterChildrenAligned() {
    Arrange();
}

LRESULT TRadioGroup::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SIZE)
        Arrange();
    return TGroupBox::WndProc(msg, wParam, lParam);
}

// The items fill the box below its caption in evenly spaced rows, column by column.
void TRadioGroup::Arrange() {
    // A deferred group is arranged once its window and its buttons' exist.
    if (buttons_.empty() || !HandleAllocated())
        return;
    RECT area = AlignArea();
    int rows = (Count() + columns_ - 1) / columns_;
    int colWidth = (area.right - area.left - 8) / columns_;
    int rowHeight = (area.bottom - area.top) / std::max(rows, 1);
    int buttonHeight = std::min(rowHeight, 17);
    for (int i = 0; i < Count(); ++i) {
        int col = i / rows, row = i % rows;
        int x = area.left + 6 + col * colWidth;
        int y = area.top + row * rowHeight + (rowHeight - buttonHeight) / 2;
        if (!Button(i)->HandleAllocated())
            continue;
        SetWindowPos(Button(i)->Handle(), nullptr, x, y, colWidth - 2, buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// --- TEdit, TMemo ----------------------------------------------------------------------------------------------

TEdit::TEdit(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TEdit(parent, std::move(name), left, top, width, height, ES_AUTOHSCROLL) {}

TEdit::TEdit(TControl* parent, std::wstring name, int left, int top, int width, int height, DWORD style)
    : TControl(parent, std::move(name)) {
    CreateHandle(L"EDIT", kChild | WS_TABSTOP | style, WS_EX_CLIENTEDGE, L"", left, top, width, height);
}

void TEdit::SetMaxLength(int length) {
    maxLength_ = std::max(length, 0);
    if (HandleAllocated())
        SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TEdit::SetPasswordChar(wchar_t ch) {
    passwordChar_ = ch;
    if (!HandleAllocated())
        return;
    SendMessageW(Handle(), EM_SETPASSWORDCHAR, ch, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TEdit::SetReadOnly(bool readOnly) {
    if (HandleAllocated()) {
        SendMessageW(Handle(), EM_SETREADONLY, readOnly, 0);
    } else {
        const DWORD style = WindowStyle();
        SetWindowStyle(readOnly ? (style | ES_READONLY) : (style & ~static_cast<DWORD>(ES_READONLY)));
    }
}

bool TEdit::ReadOnly() const {
    return WindowStyle() & ES_READONLY;
}

void TEdit::AfterDeferredCreation() {
    if (maxLength_ >= 0)
        SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
    if (passwordChar_)
        SendMessageW(Handle(), EM_SETPASSWORDCHAR, passwordChar_, 0);
}

void TEdit::SelectAll() {
    SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TEdit::SetSelection(int start, int length) {
    SendMessageW(Handle(), EM_SETSEL, start, start + length);
}

int TEdit::SelStart() const {
    DWORD start = 0;
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<int>(start);
}

bool TEdit::HandleCommand(WORD code, LRESULT&) {
    if (code != EN_CHANGE)
        return false;
    RunNotify(OnChange);
    return true;
}

HBRUSH TEdit::HandleCtlColor(UINT msg, HDC dc) {
    return TControl::HandleCtlColor(msg, dc);
}

LRESULT TEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Ctrl+A selects all, as users expect (the old edit control lacks it).
    if (msg == WM_CHAR && wParam == 1 && !OnKeyPress) {
        SelectAll();
        return 0;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

TMemo::TMemo(TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TEdit(parent, std::move(name), left, top, width, height,
            ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL) {
    // Appending goes through the control's own editing, which stops at its text limit (about 30,000 characters by
    // default); the memo holds what its line bound allows instead.
    if (HandleAllocated()) {
        SendMessageW(Handle(), EM_LIMITTEXT, 0, 0);
        UpdateScrollBar();
    }
}

void TMemo::AfterDeferredCreation() {
    SendMessageW(Handle(), EM_LIMITTEXT, 0, 0);
    TEdit::AfterDeferredCreation();
    UpdateScrollBar();
}

void TMemo::SetText(const std::wstring& text) {
    TEdit::SetText(text);
    lineLengths_.clear();
    openLineLength_ = 0;
    TrackLines(Text());
    DropOldestLines();
    UpdateScrollBar();
}

void TMemo::Append(const std::wstring& text) {
    std::wstring normalised;
    normalised.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' || text[i] == L'\n') {
            normalised += L"\r\n";
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
        } else {
            normalised += text[i];
        }
    }
    if (normalised.empty())
        return;
    const LRESULT end = GetWindowTextLengthW(Handle());
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(normalised.c_str()));
    TrackLines(normalised);
    DropOldestLines();
}

void TMemo::SetMaxLines(std::size_t maxLines) {
    maxLines_ = maxLines;
    DropOldestLines();
}

void TMemo::TrackLines(const std::wstring& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        ++openLineLength_;
        const bool crlf = text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n';
        if (crlf) {
            ++openLineLength_;
            ++i;
        }
        if (crlf || text[i] == L'\n' || text[i] == L'\r') {
            lineLengths_.push_back(openLineLength_);
            openLineLength_ = 0;
        }
    }
}

void TMemo::DropOldestLines() {
    const std::size_t lines = lineLengths_.size() + (openLineLength_ > 0 ? 1 : 0);
    // Cutting at the start makes the control lay out all its text again, so the oldest lines go in batches: a
    // tenth of the bound over it, the memo is cut back to the bound.
    if (maxLines_ == 0 || lines <= maxLines_ + maxLines_ / 10)
        return;
    std::size_t cut = 0;
    for (std::size_t n = lines - maxLines_; n > 0 && !lineLengths_.empty(); --n) {
        cut += lineLengths_.front();
        lineLengths_.pop_front();
    }
    const LRESULT end = GetWindowTextLengthW(Handle());
    SendMessageW(Handle(), EM_SETSEL, 0, static_cast<LPARAM>(cut));
    SendMessageW(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    const LPARAM newEnd = static_cast<LPARAM>(end) - static_cast<LPARAM>(cut);
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(newEnd), newEnd);
    SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
}

bool TMemo::HandleCommand(WORD code, LRESULT& result) {
    bool handled = TEdit::HandleCommand(code, result);
    if (code == EN_CHANGE)
        UpdateScrollBar();
    return handled;
}

LRESULT TMemo::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = TEdit::WndProc(msg, wParam, lParam);
    if (msg == WM_SIZE || msg == WM_SETFONT)
        UpdateScrollBar();
    return result;
}

// The edit control keeps its scroll bar once it has one, disabled when there is nothing to scroll; a scroll bar
// that cannot scroll only takes room from the text.
void TMemo::UpdateScrollBar() {
    if (!HandleAllocated() || updatingScrollBar_)
        return;
    updatingScrollBar_ = true;
    TEXTMETRICW metrics{};
    {
        const win::SelectedObject font(win::MeasuringDC(), FontHandle());
        GetTextMetricsW(win::MeasuringDC(), &metrics);
    }
    // Two rounds: showing or hiding the bar changes the width the lines wrap in.
    for (int round = 0; round < 2; ++round) {
        RECT format{};
        SendMessageW(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        const int visible = metrics.tmHeight > 0 ? (format.bottom - format.top) / metrics.tmHeight : 0;
        const auto lines = static_cast<int>(SendMessageW(Handle(), EM_GETLINECOUNT, 0, 0));
        const bool needed = lines > visible;
        const bool shown = (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VSCROLL) != 0;
        if (needed == shown)
            break;
        ShowScrollBar(Handle(), SB_VERT, needed);
    }
    updatingScrollBar_ = false;
}

std::vector<std::wstring> TMemo::Lines() const {
    return SplitLines(Text());
}

void TMemo::SetLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += L"\r\n";
        text += lines[i];
    }
    SetText(text);
}

void TMemo::AddLine(const std::wstring& line) {
    std::wstring text = Text();
    if (!text.empty() && text.size() >= 2 && text.substr(text.size() - 2) != L"\r\n")
        text += L"\r\n";
    SetText(text + line + L"\r\n");
    SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
}

// --- TComboBox -------------------------------------------------------------------------------------------------

TComboBox::TComboBox(TControl* parent, std::wstring name, int left, int top, int width, int height,
                     TComboBoxStyle style)
    : TComboBox(parent, std::move(name), left, top, width, height, style, 0) {}

TComboBox::TComboBox(TControl* parent, std::wstring name, int left, int top, int width, int height,
                     TComboBoxStyle style, DWORD ownerDrawStyle)
    : TControl(parent, std::move(name)), style_(style) {
    DWORD s = (style == TComboBoxStyle::csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL) |
              WS_VSCROLL | ownerDrawStyle;
    // The window height includes the dropped-down list.
    CreateHandle(L"COMBOBOX", kChild | WS_TABSTOP | s, 0, L"", left, top, width, height + 200);
}

// A drop-down list without its window keeps its items and selection as the list would: an item inserted or deleted
// before the selection moves it, deleting the selected item or selecting outside the list selects nothing. A combo
// box with an edit field has its window made for its items (its text and selection follow the edit's own rules).
bool TComboBox::KeepsItems() const {
    return !HandleAllocated() && style_ == TComboBoxStyle::csDropDownList;
}

void TComboBox::AfterDeferredCreation() {
    for (const std::wstring& item : items_)
        SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    if (itemIndex_ >= 0)
        SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    items_.clear();
    itemIndex_ = -1;
}

int TComboBox::AddItem(const std::wstring& text) {
    if (KeepsItems()) {
        items_.push_back(text);
        return static_cast<int>(items_.size()) - 1;
    }
    return static_cast<int>(SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
void TComboBox::InsertItem(int index, const std::wstring& text) {
    if (KeepsItems()) {
        if (index == -1)
            index = static_cast<int>(items_.size());
        if (index < 0 || index > static_cast<int>(items_.size()))
            return; // the list refuses a place outside it
        items_.insert(items_.begin() + index, text);
        if (itemIndex_ >= index)
            ++itemIndex_;
        return;
    }
    SendMessageW(Handle(), CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}
void TComboBox::DeleteItem(int index) {
    if (KeepsItems()) {
        if (index < 0 || index >= static_cast<int>(items_.size()))
            return;
        items_.erase(items_.begin() + index);
        if (itemIndex_ == index)
            itemIndex_ = -1;
        else if (itemIndex_ > index)
            --itemIndex_;
        return;
    }
    SendMessageW(Handle(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}
void TComboBox::ClearItems() {
    if (KeepsItems()) {
        items_.clear();
        itemIndex_ = -1;
        return;
    }
    SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
}
int TComboBox::Count() const {
    if (KeepsItems())
        return static_cast<int>(items_.size());
    return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0));
}

std::wstring TComboBox::Item(int index) const {
    if (KeepsItems())
        return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : std::wstring();
    LRESULT n = SendMessageW(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == CB_ERR)
        return {};
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(n));
    return text;
}

void TComboBox::SetItem(int index, const std::wstring& text) {
    bool selected = ItemIndex() == index;
    DeleteItem(index);
    InsertItem(index, text);
    if (selected)
        SetItemIndex(index);
}

int TComboBox::IndexOf(const std::wstring& text) const {
    for (int i = 0; i < Count(); ++i)
        if (Item(i) == text)
            return i;
    return -1;
}

int TComboBox::ItemIndex() const {
    if (KeepsItems())
        return itemIndex_;
    return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
}
void TComboBox::SetItemIndex(int index) {
    if (KeepsItems()) {
        itemIndex_ = index >= 0 && index < Count() ? index : -1;
        return;
    }
    SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::wstring TComboBox::Text() const {
    // A drop-down list shows its selected item.
    if (KeepsItems())
        return Item(itemIndex_);
    return TControl::Text();
}

void TComboBox::SetText(const std::wstring& text) {
    int index = IndexOf(text);
    if (index >= 0)
        SetItemIndex(index);
    else if (!KeepsItems()) // a drop-down list takes no text that is not one of its items
        TControl::SetText(text);
}

bool TComboBox::HandleCommand(WORD code, LRESULT&) {
    if (code != CBN_SELCHANGE && code != CBN_EDITCHANGE)
        return false;
    RunNotify(OnChange);
    return true;
}

// --- TListBox --------------------------------------------------------------------------------------------------

TListBox::TListBox(TControl* parent, std::wstring name, int left, int top, int width, int height, bool multiSelect)
    : TControl(parent, std::move(name)), multi_(multiSelect) {
    DWORD s = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | (multiSelect ? LBS_EXTENDEDSEL : 0);
    CreateHandle(L"LISTBOX", kChild | WS_TABSTOP | s, WS_EX_CLIENTEDGE, L"", left, top, width, height);
}

int TListBox::AddItem(const std::wstring& text) {
    return static_cast<int>(SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
void TListBox::InsertItem(int index, const std::wstring& text) {
    SendMessageW(Handle(), LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}
void TListBox::DeleteItem(int index) {
    SendMessageW(Handle(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void TListBox::MoveItem(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= Count() || to >= Count())
        return;
    std::wstring text = Item(from);
    bool selected = Selected(from);
    DeleteItem(from);
    InsertItem(to, text);
    if (selected)
        SetSelected(to, true);
}

void TListBox::ClearItems() {
    SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
}
int TListBox::Count() const {
    return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0));
}

std::wstring TListBox::Item(int index) const {
    LRESULT n = SendMessageW(Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == LB_ERR)
        return {};
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(Handle(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(n));
    return text;
}

std::vector<std::wstring> TListBox::Items() const {
    std::vector<std::wstring> items;
    for (int i = 0; i < Count(); ++i)
        items.push_back(Item(i));
    return items;
}

int TListBox::ItemIndex() const {
    return static_cast<int>(SendMessageW(Handle(), multi_ ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int index) {
    if (multi_) {
        SendMessageW(Handle(), LB_SETSEL, FALSE, -1);
        if (index >= 0)
            SendMessageW(Handle(), LB_SETSEL, TRUE, index);
        SendMessageW(Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
    } else {
        SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

bool TListBox::Selected(int index) const {
    return SendMessageW(Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void TListBox::SetSelected(int index, bool selected) {
    if (multi_)
        SendMessageW(Handle(), LB_SETSEL, selected, index);
    else if (selected)
        SetItemIndex(index);
    else if (ItemIndex() == index)
        SetItemIndex(-1);
}

int TListBox::SelCount() const {
    if (!multi_)
        return ItemIndex() >= 0 ? 1 : 0;
    return static_cast<int>(SendMessageW(Handle(), LB_GETSELCOUNT, 0, 0));
}

bool TListBox::HandleCommand(WORD code, LRESULT&) {
    if (code != LBN_SELCHANGE)
        return false;
    RunNotify(OnClick);
    return true;
}

} // namespace gui
