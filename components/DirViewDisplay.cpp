// What the directory list view shows: columns and their captions, cell texts, type names and icons fetched from
// the shell when an item is first drawn, and the list notifications that keep the records.
#include "components/DirView.h"

#include "components/BaseUtils.h"
#include "core/TextUtil.h"

#include <shellapi.h>

#include <algorithm>
#include <unordered_map>

namespace {

constexpr int kColumnCount = 5;
constexpr int kTypeNameLength = 80;

constexpr UINT kIconTypeByName = SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES; // 0x4410
constexpr UINT kIconTypeByPidl = kIconTypeByName | SHGFI_PIDL;                                  // 0x4418
constexpr UINT kDirIconTypeByName = SHGFI_SYSICONINDEX | SHGFI_TYPENAME;                        // 0x4400
constexpr UINT kDirIconTypeByPidl = kDirIconTypeByName | SHGFI_PIDL;                            // 0x4408
constexpr UINT kTypeByName = SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES;                          // 0x410

struct ShellAnswer {
    bool Ok = false;
    int Icon = 0;
    std::wstring TypeName;
};

ShellAnswer AskShell(const void* nameOrPidl, DWORD attributes, UINT flags) {
    SHFILEINFOW info{};
    ShellAnswer answer;
    DWORD_PTR ok = (flags & SHGFI_PIDL)
                       ? SHGetFileInfoW(static_cast<LPCWSTR>(nameOrPidl), attributes, &info, sizeof info, flags)
                       : SHGetFileInfoW(static_cast<const wchar_t*>(nameOrPidl), attributes, &info, sizeof info, flags);
    if (!ok)
        return answer;
    answer.Ok = true;
    answer.Icon = info.iIcon;
    answer.TypeName.assign(info.szTypeName, std::min<size_t>(wcslen(info.szTypeName), kTypeNameLength));
    return answer;
}

int CompareExt(const std::wstring& a, const std::wstring& b) {
    int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

} // namespace

struct TDirView::TTypeMemo {
    struct Answer {
        bool Ok = false;
        int Icon = 0;
        std::wstring TypeName;
    };
    std::unordered_map<std::wstring, Answer> ByExtension;
};

// --- formatting ------------------------------------------------------------------------------------------------

std::wstring TDirView::FormatDisplayName(const std::wstring& Name) const {
    return ::FormatDisplayName(fileNameDisplay_, Name);
}

std::wstring TDirView::FormatFileTime(const FILETIME& FileTime) const {
    FILETIME local{};
    SYSTEMTIME time{};
    if (!FileTimeToLocalFileTime(&FileTime, &local) || !FileTimeToSystemTime(&local, &time))
        return {};
    return FormatDateTime(time);
}

std::wstring TDirView::GetAttrString(DWORD Attr) const {
    return ::GetAttrString(Attr, AttrSpace);
}

// --- columns ---------------------------------------------------------------------------------------------------

std::wstring TDirView::NameColumnCaption() const {
    std::wstring caption = DirViewTexts().Columns[0];
    if (showMaskInHeader_ && Mask() != L"*.*")
        caption += L" (" + Mask() + L")";
    return caption;
}

void TDirView::CreateColumns() {
    if (!Handle())
        return;
    BeginUpdate();
    while (ColumnCount() > 0)
        ListView_DeleteColumn(Handle(), 0);
    const TDirViewTexts& texts = DirViewTexts();
    const int widths[kColumnCount] = {ColWidthName, ColWidthSize, ColWidthType, ColWidthDate, ColWidthAttr};
    for (int column = 0; column < kColumnCount; ++column)
        AddColumn(column == 0 ? NameColumnCaption() : texts.Columns[column], widths[column],
                  column == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT);
    EndUpdate();
}

void TDirView::RedoNameCaption() {
    if (!Handle() || ColumnCount() == 0)
        return;
    std::wstring caption = NameColumnCaption();
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = caption.data();
    SendMessageW(Handle(), LVM_SETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void TDirView::StoreColumnWidths() {
    if (!Handle())
        return;
    int* widths[kColumnCount] = {&ColWidthName, &ColWidthSize, &ColWidthType, &ColWidthDate, &ColWidthAttr};
    // The attribute column may have been taken away; only the columns that exist give their width.
    int count = std::min(ColumnCount(), kColumnCount);
    for (int column = 0; column < count; ++column)
        *widths[column] = ListView_GetColumnWidth(Handle(), column);
}

std::vector<int> TDirView::GetColumnOrder() const {
    std::vector<int> order(static_cast<size_t>(Handle() ? ColumnCount() : 0));
    if (!order.empty())
        ListView_GetColumnOrderArray(Handle(), static_cast<int>(order.size()), order.data());
    return order;
}

void TDirView::SetColumnOrder(const std::vector<int>& Order) {
    if (!Handle() || Order.size() != static_cast<size_t>(ColumnCount()))
        return;
    std::vector<int> order = Order;
    ListView_SetColumnOrderArray(Handle(), static_cast<int>(order.size()), order.data());
    InvalidateRect(Handle(), nullptr, TRUE);
}

// --- type names and icons --------------------------------------------------------------------------------------

void TDirView::GetDisplayData(int Item, bool FetchIcon) {
    TFileRec* rec = ItemRec(Item);
    if (!rec)
        return;
    const bool special = IsSpecialExt(rec->FileExt);
    const std::wstring fullName = ItemFullFileName(Item);
    const std::wstring cacheKey = FullFileExt(rec->FileName);
    auto cacheCompare = [](const TTypeCacheRec* a, const TTypeCacheRec* b) { return CompareExt(a->Ext, b->Ext); };

    if (UseIconCache && !special && !rec->IsDirectory && rec->Empty) {
        TTypeCacheRec key{cacheKey, {}, 0};
        int found = typeCache_.FindItem(&key, cacheCompare);
        if (found >= 0) {
            const TTypeCacheRec* hit = typeCache_.GetItem(found);
            rec->TypeName = hit->TypeName;
            rec->ImageIndex = hit->ImageIndex;
            rec->Empty = false;
            rec->IconEmpty = false;
        }
    }
    // By file attributes the shell answers for a file's extension alone: a sort asks once per extension.
    auto askByName = [&](UINT flags) {
        if (!typeMemo_)
            return AskShell(fullName.c_str(), FILE_ATTRIBUTE_NORMAL, flags);
        auto [at, added] = typeMemo_->ByExtension.try_emplace(cacheKey + (flags == kTypeByName ? L"|t" : L"|i"));
        if (added) {
            ShellAnswer answer = AskShell(fullName.c_str(), FILE_ATTRIBUTE_NORMAL, flags);
            at->second = TTypeMemo::Answer{answer.Ok, answer.Icon, answer.TypeName};
        }
        return ShellAnswer{at->second.Ok, at->second.Icon, at->second.TypeName};
    };
    FetchIcon = rec->IconEmpty && (FetchIcon || !special);
    if (!rec->Empty && !FetchIcon)
        return;

    if (FetchIcon) {
        if (special && !rec->PIDL && !inRecycleBin_)
            rec->PIDL = PIDL_GetFromPath(fullName);
        if (rec->IsDirectory && rec->PIDL && currentFolder_) {
            LPCITEMIDLIST last = ILFindLastID(rec->PIDL.get());
            SFGAOF attributes = 0xF0000;
            if (SUCCEEDED(currentFolder_->GetAttributesOf(1, &last, &attributes)) && (attributes & SFGAO_SHARE))
                ListView_SetItemState(Handle(), Item, INDEXTOOVERLAYMASK(1), LVIS_OVERLAYMASK);
        }
        if (!rec->IsDirectory) {
            ShellAnswer answer = rec->PIDL ? AskShell(rec->PIDL.get(), FILE_ATTRIBUTE_NORMAL, kIconTypeByPidl)
                                           : askByName(kIconTypeByName);
            if (answer.Ok) {
                rec->TypeName = answer.TypeName;
                rec->ImageIndex = answer.Icon;
            } else if (rec->ImageIndex == 0) {
                rec->ImageIndex = rec->FileExt == L"EXE" ? ExeFileIcon : DefaultFileIcon;
            }
            rec->IconEmpty = false;
        } else if (driveType_ != DRIVE_FIXED) {
            // No medium access for folders on removable, remote or optical drives.
            rec->TypeName = L"<DIR>";
            rec->ImageIndex = StdDirIcon;
            rec->IconEmpty = false;
        } else {
            ShellAnswer answer = rec->PIDL ? AskShell(rec->PIDL.get(), 0, kDirIconTypeByPidl)
                                           : AskShell(fullName.c_str(), 0, kDirIconTypeByName);
            HIMAGELIST images = SmallImages();
            int count = images ? ImageList_GetImageCount(images) : 0;
            if (!answer.Ok || answer.Icon < 1 || answer.Icon > count)
                answer = AskShell(fullName.c_str(), FILE_ATTRIBUTE_DIRECTORY, kIconTypeByName);
            rec->TypeName = L"<DIR>";
            rec->ImageIndex = answer.Ok ? answer.Icon : StdDirIcon;
            rec->IconEmpty = false;
        }
        if (rec->TypeName.empty()) {
            rec->TypeName = UnknownTypeText(DirViewTexts(), rec->FileExt);
        } else if (UseIconCache && !special && !rec->IsDirectory && !rec->IconEmpty) {
            TTypeCacheRec key{cacheKey, {}, 0};
            if (typeCache_.IndexOfItem(&key, cacheCompare) < 0)
                typeCache_.Add(
                    std::make_unique<TTypeCacheRec>(TTypeCacheRec{cacheKey, rec->TypeName, rec->ImageIndex}));
        }
    } else {
        if (rec->IsDirectory) {
            // A folder's type column reads "<DIR>" whatever the shell calls folders.
            rec->TypeName = L"<DIR>";
        } else {
            rec->TypeName = askByName(kTypeByName).TypeName;
            if (rec->TypeName.empty())
                rec->TypeName = UnknownTypeText(DirViewTexts(), rec->FileExt);
        }
        if (rec->IconEmpty)
            rec->ImageIndex = rec->FileExt == L"EXE" ? ExeFileIcon : DefaultFileIcon;
    }
    rec->Empty = false;
}

void TDirView::FetchTypeNames() {
    TTypeMemo memo;
    typeMemo_ = &memo;
    try {
        for (int i = 0; i < Count(); ++i)
            if (items_[static_cast<size_t>(i)].Rec->Empty)
                GetDisplayData(i, false);
    } catch (...) {
        typeMemo_ = nullptr;
        throw;
    }
    typeMemo_ = nullptr;
}

int TDirView::ItemImageIndex(int Item) {
    TFileRec* rec = ItemRec(Item);
    if (!rec)
        return -1;
    bool fetch = !UseIconUpdateThread || ViewStyle() != vsReport;
    if (rec->Empty || rec->IconEmpty)
        GetDisplayData(Item, rec->IconEmpty && fetch);
    if (rec->IconEmpty)
        RequestIconUpdate(Item, ListView_GetTopIndex(Handle()));
    return rec->ImageIndex;
}

std::wstring TDirView::CellText(int Item, int Column) {
    TFileRec* rec = ItemRec(Item);
    if (!rec)
        return {};
    if (rec->Empty)
        GetDisplayData(Item, rec->IconEmpty && (!UseIconUpdateThread || ViewStyle() != vsReport));
    switch (Column) {
    case 0:
        return rec->DisplayName;
    case 1:
        if (!rec->IsDirectory) {
            std::int64_t size = GetFileSize64(ItemFullFileName(Item));
            return size < 0 ? std::wstring(L"0") : FormatWithThousands64(size);
        }
        if (showSubDirSize_ && rec->Size >= 0)
            return FormatWithThousands64(rec->Size);
        return {};
    case 2:
        if (!rec->IsDirectory && sortByExtension_)
            return (fileNameDisplay_ == fndNoCap || fileNameDisplay_ == fndNice) ? LowerCaseAscii(rec->FileExt)
                                                                                 : rec->FileExt;
        return rec->TypeName;
    case 3:
        return FormatFileTime(rec->FileTime);
    case 4:
        return fileNameDisplay_ == fndCap ? UpperCaseAscii(GetAttrString(rec->Attr)) : GetAttrString(rec->Attr);
    default:
        return {};
    }
}

void TDirView::FillDisplayInfo(NMLVDISPINFOW* Info) {
    LVITEMW& item = Info->item;
    if ((item.mask & LVIF_STATE) && item.iItem >= 0 && item.iItem < Count()) {
        const UINT asked = item.stateMask & kEntryStates;
        item.state = (item.state & ~asked) | (items_[static_cast<size_t>(item.iItem)].State & asked);
    }
    if (!drawing_) {
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
            item.pszText[0] = L'\0';
        return;
    }
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        std::wstring text = CellText(item.iItem, item.iSubItem);
        size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(text.c_str(), length, item.pszText);
        item.pszText[length] = L'\0';
    }
    if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) {
        item.iImage = ItemImageIndex(item.iItem);
        const TFileRec* rec = ItemRec(item.iItem);
        if (rec && !rec->IconEmpty)
            item.mask |= LVIF_DI_SETITEM;
    }
}

bool TDirView::HandleNotify(NMHDR* header, LRESULT& result) {
    switch (header->code) {
    case LVN_GETDISPINFOW:
        gui::GuardedVoid("dir view display data", [&] { FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(header)); });
        return true;
    case LVN_ODFINDITEMW:
        // Typing a name's first letters finds the entry.
        result = gui::Guarded("dir view find", -1,
                              [&] { return FindDisplayName(*reinterpret_cast<NMLVFINDITEMW*>(header)); });
        return true;
    case LVN_ODCACHEHINT:
        return true;
    case LVN_ODSTATECHANGED: {
        // A range selected or deselected at once (Shift with a click or a key).
        auto* nm = reinterpret_cast<NMLVODSTATECHANGE*>(header);
        if (!remapping_ && ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED))
            gui::GuardedVoid("dir view range selection", [&] {
                RecountSelectionSize();
                const bool selected = (nm->uNewState & LVIS_SELECTED) != 0;
                for (int i = std::max(nm->iFrom, 0); i <= std::min(nm->iTo, Count() - 1); ++i) {
                    if (selected && ItemRec(i)->IsParentDir && !loading_)
                        TSortListView::SetItemSelected(i, false);
                    else if (OnSelectItemNew)
                        OnSelectItemNew(this, i, selected);
                }
            });
        return true;
    }
    case LVN_ITEMCHANGED: {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
        if (!remapping_ && (nm->uChanged & LVIF_STATE) && ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED))
            gui::GuardedVoid("dir view selection",
                             [&] { ItemSelectionChanged(nm->iItem, (nm->uNewState & LVIS_SELECTED) != 0); });
        break;
    }
    default:
        if (bool handled =
                gui::Guarded("dir view command notice", false, [&] { return HandleCommandNotify(header, result); }))
            return handled;
        break;
    }
    return TSortListView::HandleNotify(header, result);
}

// --- selection totals ------------------------------------------------------------------------------------------

std::int64_t TDirView::SelectionSize(const TFileRec& Rec, int Item) const {
    if (Rec.IsParentDir)
        return 0;
    if (Rec.IsDirectory)
        return std::max<std::int64_t>(Rec.Size, 0); // -1 until a scanner has summed the folder
    if (Rec.Size >= 0)
        return Rec.Size;
    return std::max<std::int64_t>(GetFileSize64(ItemFullFileName(Item)), 0);
}

void TDirView::RecountSelectionSize() {
    filesSelSize_ = 0;
    for (int i = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(Handle(), i, LVNI_SELECTED))
        if (const TFileRec* rec = ItemRec(i))
            filesSelSize_ += SelectionSize(*rec, i);
}

void TDirView::ItemSelectionChanged(int Item, bool Selected) {
    const TFileRec* rec = ItemRec(Item);
    if (Item < 0 || !rec) {
        // A change of all items at once (index -1) tells nothing about single sizes: count again.
        RecountSelectionSize();
    } else if (Selected && SelCount() == 1) {
        filesSelSize_ = SelectionSize(*rec, Item);
    } else {
        filesSelSize_ += Selected ? SelectionSize(*rec, Item) : -SelectionSize(*rec, Item);
    }
    if (filesSelSize_ < 0)
        filesSelSize_ = 0;
    // ".." is never part of a selection that commands act on.
    if (Selected && rec && rec->IsParentDir && !loading_) {
        TSortListView::SetItemSelected(Item, false);
        return;
    }
    if (OnSelectItemNew)
        OnSelectItemNew(this, Item, Selected);
}
