#include "gui/ComCtrls.h"

namespace gui {

namespace {
constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP;

struct SortContext {
    std::function<int(LPARAM, LPARAM)>* compare;
};

int CALLBACK CompareThunk(LPARAM a, LPARAM b, LPARAM context) {
    auto* ctx = reinterpret_cast<SortContext*>(context);
    return Guarded("list view sort", 0, [&] { return (*ctx->compare)(a, b); });
}
} // namespace

// --- TCustomListView -------------------------------------------------------------------------------------------

TCustomListView::TCustomListView(TControl* parent, std::wstring name, int left, int top, int width, int height,
                                 DWORD style)
    : TControl(parent, std::move(name)) {
    CreateHandle(WC_LISTVIEWW, kChild | style, WS_EX_CLIENTEDGE, L"", left, top, width, height);
}

HWND TCustomListView::HeaderHandle() const {
    return ListView_GetHeader(Handle());
}

void TCustomListView::SetExtendedStyle(DWORD mask, DWORD style) {
    if (!HandleAllocated()) {
        keptCalls_.push_back([this, mask, style] { SetExtendedStyle(mask, style); });
        return;
    }
    ListView_SetExtendedListViewStyleEx(Handle(), mask, style);
}

// A list view whose window is not made yet has no items. Its extended style and columns are given to the window in
// the order they were set: a column sized to its header takes what the columns before it leave, as it would have.
void TCustomListView::AfterDeferredCreation() {
    const std::vector<std::function<void()>> calls = std::move(keptCalls_);
    keptCalls_.clear();
    keptColumns_ = 0;
    for (const auto& call : calls)
        call();
}

int TCustomListView::AddColumn(const std::wstring& caption, int width, int format) {
    if (!HandleAllocated()) {
        keptCalls_.push_back([this, caption, width, format] { AddColumn(caption, width, format); });
        return keptColumns_++;
    }
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.fmt = format;
    col.cx = width;
    std::wstring text = caption;
    col.pszText = text.data();
    return static_cast<int>(
        SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(ColumnCount()), reinterpret_cast<LPARAM>(&col)));
}

void TCustomListView::SetColumnCaption(int column, const std::wstring& caption) {
    if (!HandleAllocated()) {
        keptCalls_.push_back([this, column, caption] { SetColumnCaption(column, caption); });
        return;
    }
    std::wstring text = caption;
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = text.data();
    SendMessageW(Handle(), LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

void TCustomListView::SetColumnWidth(int column, int width) {
    if (!HandleAllocated()) {
        keptCalls_.push_back([this, column, width] { SetColumnWidth(column, width); });
        return;
    }
    SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

int TCustomListView::ColumnCount() const {
    if (!HandleAllocated())
        return keptColumns_;
    HWND header = HeaderHandle();
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int TCustomListView::ItemCount() const {
    if (!HandleAllocated())
        return 0;
    return ListView_GetItemCount(Handle());
}

int TCustomListView::AddItem(const std::wstring& caption, LPARAM data, int image) {
    return InsertItem(ItemCount(), caption, data, image);
}

int TCustomListView::InsertItem(int index, const std::wstring& caption, LPARAM data, int image) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = index;
    std::wstring text = caption;
    item.pszText = text.data();
    item.lParam = data;
    item.iImage = image;
    return static_cast<int>(SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void TCustomListView::DeleteItem(int index) {
    ListView_DeleteItem(Handle(), index);
}
void TCustomListView::ClearItems() {
    if (!HandleAllocated())
        return;
    ListView_DeleteAllItems(Handle());
}

std::wstring TCustomListView::ItemText(int item, int subItem) const {
    std::wstring text(1024, L'\0');
    LVITEMW lv{};
    lv.iSubItem = subItem;
    lv.pszText = text.data();
    lv.cchTextMax = static_cast<int>(text.size());
    auto n = SendMessageW(Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
    text.resize(static_cast<size_t>(n));
    return text;
}

void TCustomListView::SetItemText(int item, int subItem, const std::wstring& text) {
    std::wstring copy = text;
    LVITEMW lv{};
    lv.iSubItem = subItem;
    lv.pszText = copy.data();
    SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
}

LPARAM TCustomListView::ItemData(int item) const {
    LVITEMW lv{};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    SendMessageW(Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
    return lv.lParam;
}

bool TCustomListView::ItemSelected(int item) const {
    return ListView_GetItemState(Handle(), item, LVIS_SELECTED) != 0;
}

void TCustomListView::SetItemSelected(int item, bool selected) {
    ListView_SetItemState(Handle(), item, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

int TCustomListView::SelCount() const {
    return static_cast<int>(ListView_GetSelectedCount(Handle()));
}

int TCustomListView::ItemFocused() const {
    return ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED);
}

void TCustomListView::SetItemFocused(int item) {
    ListView_SetItemState(Handle(), item, LVIS_FOCUSED, LVIS_FOCUSED);
}

int TCustomListView::ItemAt(int x, int y) const {
    LVHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    return ListView_HitTest(Handle(), &hit);
}

void TCustomListView::BeginUpdate() {
    if (updateCount_++ == 0)
        SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TCustomListView::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) {
        SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

void TCustomListView::CustomSort(std::function<int(LPARAM, LPARAM)> compare) {
    SortContext ctx{&compare};
    ListView_SortItems(Handle(), CompareThunk, reinterpret_cast<LPARAM>(&ctx));
}

bool TCustomListView::HandleNotify(NMHDR* header, LRESULT& result) {
    switch (header->code) {
    case LVN_COLUMNCLICK:
        if (OnColumnClick)
            OnColumnClick(this, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        return true;
    case LVN_ITEMCHANGED: {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
        if (OnSelectItem && (nm->uChanged & LVIF_STATE) && ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED))
            OnSelectItem(this, nm->iItem);
        return true;
    }
    case LVN_BEGINLABELEDITW: {
        bool allow = true;
        if (OnEditing)
            OnEditing(this, reinterpret_cast<NMLVDISPINFOW*>(header)->item.iItem, allow);
        result = allow ? FALSE : TRUE;
        return true;
    }
    case LVN_ENDLABELEDITW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        if (!info->item.pszText) {
            result = FALSE;
            return true;
        }
        std::wstring text = info->item.pszText;
        if (OnEdited)
            OnEdited(this, info->item.iItem, text);
        SetItemText(info->item.iItem, 0, text);
        result = FALSE; // the text is set above, possibly changed by the handler
        return true;
    }
    case NM_CUSTOMDRAW:
        result = DoCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
        return true;
    default:
        return false;
    }
}

bool TCustomListView::HandleHeaderNotify(NMHDR*, LRESULT&) {
    return false;
}

LRESULT TCustomListView::DoCustomDraw(NMLVCUSTOMDRAW*) {
    return CDRF_DODEFAULT;
}

LRESULT TCustomListView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (header->hwndFrom == HeaderHandle() && HandleHeaderNotify(header, result))
            return result;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

// --- TCustomTreeView -------------------------------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(TControl* parent, std::wstring name, int left, int top, int width, int height,
                                 DWORD style)
    : TControl(parent, std::move(name)) {
    CreateHandle(WC_TREEVIEWW, kChild | style, WS_EX_CLIENTEDGE, L"", left, top, width, height);
}

HTREEITEM TCustomTreeView::AddNode(HTREEITEM parent, const std::wstring& text, LPARAM data, int image, HTREEITEM after,
                                   bool hasChildren) {
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent ? parent : TVI_ROOT;
    ins.hInsertAfter = after;
    std::wstring copy = text;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | (image >= 0 ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
    ins.item.pszText = copy.data();
    ins.item.lParam = data;
    ins.item.iImage = image;
    ins.item.iSelectedImage = image;
    ins.item.cChildren = hasChildren ? 1 : 0;
    return reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
}

void TCustomTreeView::DeleteNode(HTREEITEM node) {
    TreeView_DeleteItem(Handle(), node);
}
void TCustomTreeView::ClearNodes() {
    TreeView_DeleteAllItems(Handle());
}

std::wstring TCustomTreeView::NodeText(HTREEITEM node) const {
    std::wstring text(1024, L'\0');
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    text.resize(wcslen(text.c_str()));
    return text;
}

void TCustomTreeView::SetNodeText(HTREEITEM node, const std::wstring& text) {
    std::wstring copy = text;
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = copy.data();
    SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

LPARAM TCustomTreeView::NodeData(HTREEITEM node) const {
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = node;
    SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

HTREEITEM TCustomTreeView::Selected() const {
    return TreeView_GetSelection(Handle());
}
void TCustomTreeView::SetSelected(HTREEITEM node) {
    TreeView_SelectItem(Handle(), node);
}
HTREEITEM TCustomTreeView::ParentNode(HTREEITEM node) const {
    return TreeView_GetParent(Handle(), node);
}
HTREEITEM TCustomTreeView::FirstChild(HTREEITEM node) const {
    return TreeView_GetChild(Handle(), node);
}
HTREEITEM TCustomTreeView::NextSibling(HTREEITEM node) const {
    return TreeView_GetNextSibling(Handle(), node);
}
void TCustomTreeView::Expand(HTREEITEM node, bool expand) {
    TreeView_Expand(Handle(), node, expand ? TVE_EXPAND : TVE_COLLAPSE);
}
int TCustomTreeView::NodeCount() const {
    return static_cast<int>(TreeView_GetCount(Handle()));
}

void TCustomTreeView::BeginUpdate() {
    if (updateCount_++ == 0)
        SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TCustomTreeView::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) {
        SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

bool TCustomTreeView::HandleNotify(NMHDR* header, LRESULT& result) {
    switch (header->code) {
    case TVN_SELCHANGEDW:
        if (OnChange)
            OnChange(this, reinterpret_cast<NMTREEVIEWW*>(header)->itemNew.hItem);
        return true;
    case TVN_ITEMEXPANDINGW: {
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(header);
        bool allow = true;
        if (OnExpanding && (nm->action & TVE_EXPAND))
            OnExpanding(this, nm->itemNew.hItem, allow);
        result = allow ? FALSE : TRUE;
        return true;
    }
    case TVN_ITEMEXPANDEDW:
        if (OnExpanded)
            OnExpanded(this, reinterpret_cast<NMTREEVIEWW*>(header)->itemNew.hItem);
        return true;
    case TVN_BEGINLABELEDITW: {
        bool allow = true;
        if (OnEditing)
            OnEditing(this, reinterpret_cast<NMTVDISPINFOW*>(header)->item.hItem, allow);
        result = allow ? FALSE : TRUE;
        return true;
    }
    case TVN_ENDLABELEDITW: {
        auto* info = reinterpret_cast<NMTVDISPINFOW*>(header);
        if (!info->item.pszText)
            return true;
        std::wstring text = info->item.pszText;
        if (OnEdited)
            OnEdited(this, info->item.hItem, text);
        SetNodeText(info->item.hItem, text);
        result = FALSE;
        return true;
    }
    case NM_CUSTOMDRAW:
        result = DoCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(header));
        return true;
    default:
        return false;
    }
}

LRESULT TCustomTreeView::DoCustomDraw(NMTVCUSTOMDRAW*) {
    return CDRF_DODEFAULT;
}

} // namespace gui
