#pragma once
// List view and tree view wrappers that the file-view components derive from. Notifications arrive in the
// virtual HandleNotify (their own) and HandleHeaderNotify (the list's header); derived views override them and
// call the base for what they leave. The HWND is theirs to send any message to.
#include "gui/Control.h"

#include <commctrl.h>

namespace gui {

using TItemEvent = std::function<void(TComponent* Sender, int Item)>;
using TColumnEvent = std::function<void(TComponent* Sender, int Column)>;
using TEditingEvent = std::function<void(TComponent* Sender, int Item, bool& AllowEdit)>;
using TEditedEvent = std::function<void(TComponent* Sender, int Item, std::wstring& Text)>;

class TCustomListView : public TControl {
public:
    TCustomListView(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 250, int height = 150,
                    DWORD style = LVS_REPORT | LVS_SHOWSELALWAYS);
    HWND HeaderHandle() const;
    void SetExtendedStyle(DWORD mask, DWORD style);

    int AddColumn(const std::wstring& caption, int width, int format = LVCFMT_LEFT);
    void SetColumnCaption(int column, const std::wstring& caption);
    // A width in pixels, or LVSCW_AUTOSIZE / LVSCW_AUTOSIZE_USEHEADER.
    void SetColumnWidth(int column, int width);
    int ColumnCount() const;

    int ItemCount() const;
    int AddItem(const std::wstring& caption, LPARAM data = 0, int image = -1);
    int InsertItem(int index, const std::wstring& caption, LPARAM data = 0, int image = -1);
    void DeleteItem(int index);
    void ClearItems();
    std::wstring ItemText(int item, int subItem = 0) const;
    void SetItemText(int item, int subItem, const std::wstring& text);
    LPARAM ItemData(int item) const;
    bool ItemSelected(int item) const;
    void SetItemSelected(int item, bool selected);
    int SelCount() const;
    int ItemFocused() const;
    void SetItemFocused(int item);
    // The item a point of the client area lies on, -1 for none.
    int ItemAt(int x, int y) const;

    // Nested: drawing resumes at the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    // Sorts by the items' data values; the comparison must not throw (a throw leaves the order as it is).
    void CustomSort(std::function<int(LPARAM, LPARAM)> compare);

    TColumnEvent OnColumnClick;
    TItemEvent OnSelectItem;
    TEditingEvent OnEditing;
    TEditedEvent OnEdited;

protected:
    bool HandleNotify(NMHDR* header, LRESULT& result) override;
    virtual bool HandleHeaderNotify(NMHDR* header, LRESULT& result);
    virtual LRESULT DoCustomDraw(NMLVCUSTOMDRAW* draw);
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void AfterDeferredCreation() override;

private:
    int updateCount_ = 0;
    // The style and column calls made before the window exists, run on it when it is made.
    std::vector<std::function<void()>> keptCalls_;
    int keptColumns_ = 0;
};

using TNodeEvent = std::function<void(TComponent* Sender, HTREEITEM Node)>;
using TNodeAllowEvent = std::function<void(TComponent* Sender, HTREEITEM Node, bool& Allow)>;
using TNodeEditedEvent = std::function<void(TComponent* Sender, HTREEITEM Node, std::wstring& Text)>;

class TCustomTreeView : public TControl {
public:
    TCustomTreeView(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 150, int height = 200,
                    DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    HTREEITEM AddNode(HTREEITEM parent, const std::wstring& text, LPARAM data = 0, int image = -1,
                      HTREEITEM after = TVI_LAST, bool hasChildren = false);
    void DeleteNode(HTREEITEM node);
    void ClearNodes();
    std::wstring NodeText(HTREEITEM node) const;
    void SetNodeText(HTREEITEM node, const std::wstring& text);
    LPARAM NodeData(HTREEITEM node) const;
    HTREEITEM Selected() const;
    void SetSelected(HTREEITEM node);
    HTREEITEM ParentNode(HTREEITEM node) const;
    HTREEITEM FirstChild(HTREEITEM node) const;
    HTREEITEM NextSibling(HTREEITEM node) const;
    void Expand(HTREEITEM node, bool expand);
    int NodeCount() const;
    void BeginUpdate();
    void EndUpdate();

    TNodeEvent OnChange;
    TNodeAllowEvent OnExpanding;
    TNodeEvent OnExpanded;
    TNodeAllowEvent OnEditing;
    TNodeEditedEvent OnEdited;

protected:
    bool HandleNotify(NMHDR* header, LRESULT& result) override;
    virtual LRESULT DoCustomDraw(NMTVCUSTOMDRAW* draw);

private:
    int updateCount_ = 0;
};

} // namespace gui
