// The directory list view's entries and the owner-data list control that draws them. The control knows only the
// number of entries, the selection and the focus; texts, icons and marks come from the entries when it draws.
// Every change of the entries ends in one count for the control, and the selection and focus follow their
// entries through sorts and updates.
#include "components/DirView.h"

#include <commctrl.h>

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

// Above this many selected items, clearing the whole selection at once is cheaper than item by item.
constexpr size_t kDeselectOneByOne = 16;

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

} // namespace

void TDirView::RemoveItem(int Item) {
    if (Item < 0 || Item >= Count())
        return;
    // The control deselects the item first (its selection notice still finds the record) and moves the
    // selection and focus of the items behind it up by one.
    if (Handle() && Item < controlCount_ && ListView_DeleteItem(Handle(), Item))
        --controlCount_;
    const auto at = items_.begin() + Item;
    ReleaseRecord(*at->Rec, false);
    std::erase(pendingSelect_, at->Rec.get());
    items_.erase(at);
}

void TDirView::ResetControl() {
    if (!Handle())
        return;
    remapping_ = true;
    // Down to nothing and up again: the control drops selection and focus without a notice per item.
    ListView_SetItemCountEx(Handle(), 0, 0);
    ListView_SetItemCountEx(Handle(), Count(), 0);
    controlCount_ = Count();
    remapping_ = false;
    SelectPendingEntries();
}

void TDirView::SelectPendingEntries() {
    // New entries sit at the end until they are sorted.
    for (const TFileRec* rec : std::exchange(pendingSelect_, {}))
        for (int i = Count() - 1; i >= 0; --i)
            if (ItemRec(i) == rec) {
                TSortListView::SetItemSelected(i, true);
                break;
            }
}

void TDirView::SyncItemCount() {
    if (!Handle())
        return;
    if (controlCount_ != Count()) {
        // Entries are only ever added at the end between two counts: the rows above keep their state and place.
        ListView_SetItemCountEx(Handle(), Count(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        controlCount_ = Count();
        InvalidateRect(Handle(), nullptr, FALSE);
    }
    SelectPendingEntries();
}

void TDirView::ReorderKeepingSelection(const std::function<void()>& Change) {
    if (!Handle()) {
        Change();
        return;
    }
    std::vector<std::pair<int, const TFileRec*>> selected;
    for (int i = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(Handle(), i, LVNI_SELECTED))
        if (const TFileRec* rec = ItemRec(i))
            selected.emplace_back(i, rec);
    const int focusedItem = ItemFocused();
    const TFileRec* focused = ItemRec(focusedItem);
    std::vector<const TFileRec*> order;
    order.reserve(items_.size());
    for (const TListEntry& entry : items_)
        order.push_back(entry.Rec.get());

    Change();

    const bool sameOrder = std::equal(order.begin(), order.end(), items_.begin(), items_.end(),
                                      [](const TFileRec* a, const TListEntry& b) { return a == b.Rec.get(); });
    if (sameOrder) {
        SyncItemCount();
        return;
    }
    std::unordered_map<const TFileRec*, int> places;
    if (!selected.empty() || focused)
        for (int i = 0; i < Count(); ++i)
            places.emplace(ItemRec(i), i);
    // The view moves its own selection: no selection notice, the totals stay as they are.
    remapping_ = true;
    if (selected.size() > kDeselectOneByOne) {
        ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED);
    } else {
        for (const auto& [item, rec] : selected)
            ListView_SetItemState(Handle(), item, 0, LVIS_SELECTED);
    }
    if (controlCount_ != Count()) {
        ListView_SetItemCountEx(Handle(), Count(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        controlCount_ = Count();
    }
    for (const auto& [item, rec] : selected)
        if (auto place = places.find(rec); place != places.end())
            ListView_SetItemState(Handle(), place->second, LVIS_SELECTED, LVIS_SELECTED);
    if (focused)
        if (auto place = places.find(focused); place != places.end() && place->second != focusedItem)
            ListView_SetItemState(Handle(), place->second, LVIS_FOCUSED, LVIS_FOCUSED);
    remapping_ = false;
    InvalidateRect(Handle(), nullptr, FALSE);
    // New entries that asked to be selected.
    SyncItemCount();
}

bool TDirView::SameEntries(const std::vector<TListEntry>& A, const std::vector<TListEntry>& B) {
    if (A.size() != B.size())
        return false;
    // The same entries in any order: a new load comes in the order of the folder, not of the list.
    std::unordered_map<std::wstring_view, const TFileRec*> listed;
    listed.reserve(A.size());
    for (const TListEntry& entry : A)
        listed.emplace(entry.Rec->FileName, entry.Rec.get());
    if (listed.size() != A.size())
        return false;
    return std::all_of(B.begin(), B.end(), [&listed](const TListEntry& entry) {
        auto found = listed.find(entry.Rec->FileName);
        if (found == listed.end())
            return false;
        const TFileRec& x = *found->second;
        const TFileRec& y = *entry.Rec;
        // A folder's size may be a scanner's total: folders compare without it.
        return x.DisplayName == y.DisplayName && x.Attr == y.Attr && x.IsDirectory == y.IsDirectory &&
               x.IsParentDir == y.IsParentDir && x.IsRecycleBin == y.IsRecycleBin &&
               (x.IsDirectory || x.Size == y.Size) && SameTime(x.FileTime, y.FileTime);
    });
}

void TDirView::SetEntryStates(int Item, UINT State, UINT Mask) {
    Mask &= kEntryStates;
    auto apply = [&](int i) {
        UINT& state = items_[static_cast<size_t>(i)].State;
        const UINT next = (state & ~Mask) | (State & Mask);
        if (next == state)
            return false;
        state = next;
        return true;
    };
    if (Item == -1) {
        bool any = false;
        for (int i = 0; i < Count(); ++i)
            any = apply(i) || any;
        if (any && Handle())
            InvalidateRect(Handle(), nullptr, FALSE);
    } else if (Item >= 0 && Item < Count() && apply(Item) && Handle() && Item < controlCount_) {
        ListView_RedrawItems(Handle(), Item, Item);
    }
}

int TDirView::FindDisplayName(const NMLVFINDITEMW& Find) const {
    if (!(Find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !Find.lvfi.psz || Count() == 0)
        return -1;
    const std::wstring wanted = Find.lvfi.psz;
    const bool partial = (Find.lvfi.flags & LVFI_PARTIAL) != 0;
    const int start = std::clamp(Find.iStart, 0, Count());
    auto matches = [&](int i) {
        const std::wstring& name = ItemRec(i)->DisplayName;
        if (partial)
            return name.size() >= wanted.size() &&
                   CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.c_str(), static_cast<int>(wanted.size()),
                                  wanted.c_str(), static_cast<int>(wanted.size())) == CSTR_EQUAL;
        return lstrcmpiW(name.c_str(), wanted.c_str()) == 0;
    };
    for (int i = start; i < Count(); ++i)
        if (matches(i))
            return i;
    if (Find.lvfi.flags & LVFI_WRAP)
        for (int i = 0; i < start; ++i)
            if (matches(i))
                return i;
    return -1;
}

bool TDirView::KnowSelection() const {
    // While a load rebuilds the entries they do not match the control's items.
    if (loading_ || !Handle() || controlCount_ != Count())
        return false;
    if (!selectionKnown_) {
        for (const TListEntry& entry : items_)
            entry.Selected = false;
        for (int i = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); i >= 0 && i < Count();
             i = ListView_GetNextItem(Handle(), i, LVNI_SELECTED))
            items_[static_cast<size_t>(i)].Selected = true;
        selectionKnown_ = true;
    }
    return true;
}

namespace {

// Messages after which the list's selection is what it was.
bool LeavesSelection(UINT Msg, WPARAM WParam) {
    switch (Msg) {
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_NCPAINT:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_GETDLGCODE:
    case WM_GETFONT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case LVM_GETITEMSTATE:
    case LVM_GETNEXTITEM:
    case LVM_GETITEMCOUNT:
    case LVM_GETSELECTEDCOUNT:
    case LVM_GETITEMW:
    case LVM_GETITEMA:
    case LVM_GETITEMTEXTW:
    case LVM_GETITEMRECT:
    case LVM_GETSUBITEMRECT:
    case LVM_GETTOPINDEX:
    case LVM_GETCOUNTPERPAGE:
    case LVM_GETHEADER:
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
    case LVM_GETEDITCONTROL:
    case LVM_GETCOLUMNWIDTH:
    case LVM_GETCOLUMNW:
    case LVM_GETCOLUMNORDERARRAY:
    case LVM_GETIMAGELIST:
    case LVM_GETORIGIN:
    case LVM_GETVIEWRECT:
    case LVM_GETITEMPOSITION:
    case LVM_GETSTRINGWIDTHW:
    case LVM_GETBKCOLOR:
    case LVM_GETTEXTCOLOR:
    case LVM_GETTEXTBKCOLOR:
    case LVM_GETCALLBACKMASK:
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST:
    case LVM_REDRAWITEMS:
    case LVM_ENSUREVISIBLE:
        return true;
    case WM_MOUSEMOVE:
        return (WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0;
    default:
        return false;
    }
}

} // namespace

void TDirView::TrackSelection(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (!selectionKnown_ || LeavesSelection(Msg, WParam))
        return;
    // One item selected or deselected in a list that allows many: the entry learns it at once (the control
    // tells the same change to the view, which may take it back for ".."; that comes here too).
    const auto* item = reinterpret_cast<const LVITEMW*>(LParam);
    const int index = static_cast<int>(WParam);
    if (Msg == LVM_SETITEMSTATE && item && index >= 0 && index < Count() && MultiSelect()) {
        if (item->stateMask & LVIS_SELECTED)
            items_[static_cast<size_t>(index)].Selected = (item->state & LVIS_SELECTED) != 0;
        return;
    }
    selectionKnown_ = false;
}

bool TDirView::HandleListMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result) {
    if (Msg != LVM_SETITEMSTATE)
        return false;
    auto* item = reinterpret_cast<LVITEMW*>(LParam);
    if (!item || !(item->stateMask & kEntryStates))
        return false;
    // The marks belong to the entries; what is left (selection, focus) goes on to the control.
    SetEntryStates(static_cast<int>(WParam), item->state, item->stateMask);
    Result = TRUE;
    if (item->stateMask & ~kEntryStates) {
        LVITEMW rest = *item;
        rest.stateMask &= ~kEntryStates;
        Result = TSortListView::WndProc(Msg, WParam, reinterpret_cast<LPARAM>(&rest));
    }
    return true;
}
