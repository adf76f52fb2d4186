#include "components/PathComboBox.h"

#include "components/ViewsShared.h"
#include "win/Handles.h"
#include "win/MeasuringDC.h"

#include <shellapi.h>

#include <algorithm>

namespace {

constexpr int kIconRoom = 22; // the item text starts right of the drive icon
constexpr int kListMargin = 8;

// The measuring DC with a font selected, restored on scope exit.
class MeasuringFontDC {
public:
    explicit MeasuringFontDC(HFONT font) : font_(win::MeasuringDC(), font) {}
    HDC get() const { return win::MeasuringDC(); }

private:
    win::SelectedObject font_;
};

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    if (!dc || !GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size))
        return 0;
    return size.cx;
}

wchar_t UpperLetter(wchar_t letter) {
    wchar_t text[2] = {letter, 0};
    CharUpperW(text);
    return text[0];
}

} // namespace

// --- TCustomPathComboBox ---------------------------------------------------------------------------------------

TCustomPathComboBox::TCustomPathComboBox(gui::TControl* parent, std::wstring name, int left, int top, int width,
                                         int height, gui::TComboBoxStyle style)
    : TComboBox(parent, std::move(name), left, top, width, height, style) {}

TCustomPathComboBox::TCustomPathComboBox(gui::TControl* parent, std::wstring name, int left, int top, int width,
                                         int height, gui::TComboBoxStyle style, DWORD ownerDrawStyle)
    : TComboBox(parent, std::move(name), left, top, width, height, style, ownerDrawStyle) {}

int TCustomPathComboBox::GetTextWidth(const std::wstring& Text) const {
    MeasuringFontDC dc(FontHandle());
    return TextWidth(dc.get(), Text);
}

int TCustomPathComboBox::GetMaxTextWidth() const {
    MeasuringFontDC dc(FontHandle());
    int widest = 0;
    for (int i = 0; i < Count(); ++i)
        widest = std::max(widest, TextWidth(dc.get(), Item(i)));
    return widest;
}

void TCustomPathComboBox::DropDown() {
    int width = DropDownFixedWidth;
    if (DropDownFixedWidth < 1) {
        dropDownWidth_ = GetMaxTextWidth() + kListMargin;
        width = dropDownWidth_;
    }
    SendMessageW(Handle(), CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

bool TCustomPathComboBox::ListDropped() const {
    return SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

void TCustomPathComboBox::RestoreAfterCancel() {
    if (ItemIndex() != droppedIndex_)
        SetItemIndex(droppedIndex_);
    // An edit field shows what was typed or moved to; a drop-down list shows only its item.
    const bool editable = (GetWindowLongPtrW(Handle(), GWL_STYLE) & 3) == CBS_DROPDOWN;
    if (editable && Text() != droppedText_)
        SetText(droppedText_);
}

bool TCustomPathComboBox::HandleCommand(WORD code, LRESULT& result) {
    switch (code) {
    case CBN_DROPDOWN:
        selectionOK_ = false;
        droppedIndex_ = ItemIndex();
        droppedText_ = Text();
        DropDown();
        return true;
    case CBN_SELCHANGE:
        // Only the highlight moves while the list is open.
        if (ListDropped())
            return true;
        return TComboBox::HandleCommand(code, result);
    case CBN_SELENDOK:
        selectionOK_ = true;
        return true;
    case CBN_SELENDCANCEL:
        selectionOK_ = false;
        return true;
    case CBN_CLOSEUP:
        if (!selectionOK_)
            RestoreAfterCancel();
        if (OnCloseUp)
            OnCloseUp(this, selectionOK_);
        return true;
    default:
        return TComboBox::HandleCommand(code, result);
    }
}

// --- TDriveComboBox --------------------------------------------------------------------------------------------

TDriveComboBox::TDriveComboBox(gui::TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TDriveComboBox(DriveInfo, parent, std::move(name), left, top, width, height) {}

TDriveComboBox::TDriveComboBox(TDriveInfo& table, gui::TControl* parent, std::wstring name, int left, int top,
                               int width, int height)
    : TCustomPathComboBox(parent, std::move(name), left, top, width, height, gui::TComboBoxStyle::csDropDownList,
                          CBS_OWNERDRAWFIXED | CBS_HASSTRINGS),
      table_(table) {
    images_ = SystemImageList(SHGFI_SMALLICON);
    UpdateItemHeight();
    ResetItems();
}

TDriveComboBox::~TDriveComboBox() {
    SetDriveView(nullptr);
}

bool TDriveComboBox::HandleDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_COMBOBOX)
        return false;
    gui::GuardedVoid("drive combo box drawing", [&] { DrawItem(item); });
    return true;
}

void TDriveComboBox::UpdateItemHeight() {
    TEXTMETRICW metrics{};
    {
        MeasuringFontDC dc(FontHandle());
        if (dc.get())
            GetTextMetricsW(dc.get(), &metrics);
    }
    int h = std::max<int>(metrics.tmHeight, 10) + 2;
    itemHeight_ = h;
    if (!Handle())
        return;
    SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, std::max(h, 12));
    // The selection field; the window keeps its height, which here includes the dropped-down list.
    SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), h);
}

LRESULT TDriveComboBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = TCustomPathComboBox::WndProc(msg, wParam, lParam);
    // A new font (set on the box or handed down from its parent) changes the item height.
    if (msg == WM_SETFONT)
        UpdateItemHeight();
    return result;
}

std::wstring TDriveComboBox::GetDriveDisplayName(wchar_t Drive) {
    switch (displayStyle_) {
    case doDisplayName:
        return table_.DisplayName(Drive);
    case doLongPrettyName:
        return table_.LongPrettyName(Drive);
    case doPrettyName:
    default:
        return table_.PrettyName(Drive);
    }
}

void TDriveComboBox::ResetItems() {
    ClearItems();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        TDriveInfoRec rec = table_.Data(letter);
        if (!rec.Valid || rec.DriveType < 0 || rec.DriveType > dtRAM)
            continue;
        if (!(driveTypes_ & (1u << rec.DriveType)))
            continue;
        std::wstring item = GetDriveDisplayName(letter);
        item.insert(item.begin(), letter);
        AddItem(item);
    }
    SelectDriveItem();
    if (ItemIndex() < 0 && Count() > 0)
        SetItemIndex(0);
}

void TDriveComboBox::SelectDriveItem() {
    for (int i = 0; i < Count(); ++i) {
        if (Item(i)[0] == drive_) {
            SetItemIndex(i);
            return;
        }
    }
}

void TDriveComboBox::SetDrive(wchar_t Value) {
    wchar_t letter = UpperLetter(Value);
    if (letter == drive_ || letter < L'A' || letter > L'Z')
        return;
    table_.ReadDriveStatus(letter, 0);
    TDriveInfoRec rec = table_.Data(letter);
    if (!rec.Valid || rec.DriveType < 0 || rec.DriveType > dtRAM || !(driveTypes_ & (1u << rec.DriveType)))
        return;
    drive_ = letter;
    SelectDriveItem();
}

void TDriveComboBox::SetDisplayStyle(TVolumeDisplayStyle Value) {
    if (Value == displayStyle_)
        return;
    displayStyle_ = Value;
    ResetItems();
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TDriveComboBox::SetDriveTypes(TDriveTypes Value) {
    if (Value == driveTypes_)
        return;
    driveTypes_ = Value;
    ResetItems();
}

void TDriveComboBox::SetDriveView(TDriveView* Value) {
    if (Value == driveView_)
        return;
    if (driveView_ && driveView_->DriveComboBox() == this)
        driveView_->SetDriveComboBox(nullptr);
    driveView_ = Value;
    if (!driveView_)
        return;
    // A tree reports to one box: the box it drops forgets it, as it would if the tree went, so that no box keeps a
    // link the tree no longer knows of.
    TDriveViewDriveBox* previous = driveView_->DriveComboBox();
    if (previous && previous != this)
        previous->DriveBoxDriveViewDestroyed(driveView_);
    driveView_->SetDriveComboBox(this);
}

void TDriveComboBox::DriveBoxDriveViewDestroyed(TDriveView* view) {
    if (view == driveView_)
        driveView_ = nullptr;
}

int TDriveComboBox::GetMaxTextWidth() const {
    return TCustomPathComboBox::GetMaxTextWidth() + kIconRoom;
}

void TDriveComboBox::TakeChoice(LRESULT& result) {
    const int index = ItemIndex();
    const std::wstring item = index >= 0 ? Item(index) : std::wstring();
    if (item.empty() || item[0] == drive_)
        return;
    // Taken as it is (the list holds only drives the table accepted), the tree follows, then OnChange.
    drive_ = item[0];
    if (driveView_)
        driveView_->SelectDrive(drive_);
    TComboBox::HandleCommand(CBN_SELCHANGE, result);
}

void TDriveComboBox::RestoreAfterCancel() {
    SelectDriveItem();
}

bool TDriveComboBox::HandleCommand(WORD code, LRESULT& result) {
    switch (code) {
    case CBN_SELCHANGE:
        // A change of the closed box (arrow keys) is a choice; in the open list it only moves the highlight.
        if (!ListDropped())
            TakeChoice(result);
        return true;
    case CBN_SELENDOK:
        TakeChoice(result);
        return TCustomPathComboBox::HandleCommand(code, result);
    default:
        return TCustomPathComboBox::HandleCommand(code, result);
    }
}

void TDriveComboBox::DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1))
        return;
    std::wstring text = Item(static_cast<int>(item.itemID));
    if (text.empty())
        return;
    const wchar_t letter = text[0];

    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    if (images_)
        ImageList_Draw(images_, table_.ImageIndex(letter), dc, item.rcItem.left + 2, item.rcItem.top + 1,
                       ILD_TRANSPARENT);
    RECT textRect = item.rcItem;
    textRect.left += kIconRoom;
    std::wstring name = GetDriveDisplayName(letter);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (GetWindowLongPtrW(Handle(), GWL_EXSTYLE) & WS_EX_RTLREADING)
        format |= DT_RTLREADING | DT_RIGHT;
    {
        const win::SelectedObject font(dc, FontHandle());
        DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &textRect, format);
    }
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT))
        DrawFocusRect(dc, &item.rcItem);
}
